#include "TAccessible.h"

#include <QCoreApplication>
#include <QEnterEvent>
#include <QMouseEvent>
#include <QAccessibleActionInterface>
#include <QMutex>
#include <QAbstractButton>
#include <QAbstractItemView>
#include <QAbstractSlider>
#include <QAbstractSpinBox>
#include <QComboBox>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QScrollBar>
#include <QSplitter>
#include <QStatusBar>
#include <QTextEdit>

#include "TControls.h"
#include "TLabel.h"
#include "TStatusBar.h"
#include <QPointer>
#include <QWidget>
#include <algorithm>

namespace Tarnwell {

namespace {

// One painted part of a TAccessibleControl. It asks its control for
// everything, so it never shows stale text; it goes invalid with the widget.
class TAccessibleElement : public QAccessibleInterface, public QAccessibleActionInterface {
 public:
  TAccessibleElement(const TAccessibleControl* owner, QWidget* w, int index)
      : mOwner(owner), mWidget(w), mIndex(index) {}

  bool isValid() const override { return mWidget && mIndex < Owner()->ElementCount(); }
  QObject* object() const override { return nullptr; }
  QWindow* window() const override { return mWidget ? mWidget->window()->windowHandle() : nullptr; }
  QAccessibleInterface* focusChild() const override { return nullptr; }
  QAccessibleInterface* childAt(int, int) const override { return nullptr; }
  QAccessibleInterface* parent() const override { return mWidget ? QAccessible::queryAccessibleInterface(mWidget) : nullptr; }
  QAccessibleInterface* child(int) const override { return nullptr; }
  int childCount() const override { return 0; }
  int indexOfChild(const QAccessibleInterface*) const override { return -1; }
  QString text(QAccessible::Text t) const override {
    if (!isValid() || t != QAccessible::Name || !Elements().name) return QString();
    return Elements().name(mIndex);
  }
  void setText(QAccessible::Text, const QString&) override {}
  QRect rect() const override {
    if (!isValid() || !Elements().rect) return QRect();
    const QRect r = Elements().rect(mIndex);
    if (r.isEmpty()) return QRect();
    return QRect(mWidget->mapToGlobal(r.topLeft()), r.size());
  }
  QAccessible::Role role() const override { return isValid() ? Elements().role : QAccessible::NoRole; }
  QAccessible::State state() const override {
    QAccessible::State s;
    if (!isValid()) {
      s.invalid = true;
      return s;
    }
    if (!mWidget->isEnabled()) s.disabled = true;
    if (!mWidget->isVisible() || (Elements().rect && Elements().rect(mIndex).isEmpty())) s.invisible = true;
    if (Elements().states) Elements().states(mIndex, s);
    return s;
  }
  void* interface_cast(QAccessible::InterfaceType t) override {
    if (t == QAccessible::ActionInterface) return static_cast<QAccessibleActionInterface*>(this);
    return nullptr;
  }
  QStringList actionNames() const override {
    return isValid() && Elements().press ? QStringList{pressAction()} : QStringList();
  }
  void doAction(const QString& action) override {
    if (action == pressAction() && isValid() && Elements().press && mWidget->isEnabled()) Elements().press(mIndex);
  }
  QStringList keyBindingsForAction(const QString&) const override { return {}; }

 private:
  const TAccessibleControl* Owner() const { return mOwner; }
  const TAccessibleElements& Elements() const { return *Owner()->elements; }
  const TAccessibleControl* mOwner;
  QPointer<QWidget> mWidget;
  int mIndex;
};

}  // namespace

TAccessibleControl::TAccessibleControl(QWidget* w, QAccessible::Role role) : QAccessibleWidget(w, role) {}

TAccessibleControl::~TAccessibleControl() {
  for (QAccessible::Id id : std::as_const(mElementIds)) QAccessible::deleteAccessibleInterface(id);
}

QString AccessibleNameOf(const QWidget* w, const QString& text) {
  if (!text.isEmpty()) return text;
  if (!w->accessibleName().isEmpty()) return w->accessibleName();
  return w->objectName();
}

void TAccessibleControl::AddAction(const QString& action, std::function<void()> run) {
  mActions.emplace_back(action, std::move(run));
}

QString TAccessibleControl::text(QAccessible::Text t) const {
  switch (t) {
    case QAccessible::Name:
      // A name set on the widget by the program wins, as for Qt's own.
      if (!widget()->accessibleName().isEmpty()) return widget()->accessibleName();
      return AccessibleNameOf(widget(), name ? name() : QString());
    case QAccessible::Description:
      if (!widget()->accessibleDescription().isEmpty()) return widget()->accessibleDescription();
      return description ? description() : QString();
    case QAccessible::Value:
      if (valueText) return valueText();
      if (range && range->current) return QString::number(range->current());
      return QString();
    default:
      return QAccessibleWidget::text(t);
  }
}

QAccessible::State TAccessibleControl::state() const {
  QAccessible::State s = QAccessibleWidget::state();
  if (states) states(s);
  return s;
}

void* TAccessibleControl::interface_cast(QAccessible::InterfaceType t) {
  if (t == QAccessible::ValueInterface) return range ? static_cast<QAccessibleValueInterface*>(this) : nullptr;
  return QAccessibleWidget::interface_cast(t);
}

int TAccessibleControl::WidgetChildCount() const { return QAccessibleWidget::childCount(); }

int TAccessibleControl::ElementCount() const {
  return elements && elements->count ? std::max(0, elements->count()) : 0;
}

int TAccessibleControl::childCount() const { return WidgetChildCount() + ElementCount(); }

QAccessibleInterface* TAccessibleControl::Element(int i) const {
  if (i < 0 || i >= ElementCount()) return nullptr;
  auto it = mElementIds.constFind(i);
  if (it != mElementIds.constEnd()) return QAccessible::accessibleInterface(*it);
  auto* e = new TAccessibleElement(this, widget(), i);
  mElementIds.insert(i, QAccessible::registerAccessibleInterface(e));
  return e;
}

QAccessibleInterface* TAccessibleControl::child(int index) const {
  const int widgets = WidgetChildCount();
  if (index < widgets) return QAccessibleWidget::child(index);
  return Element(index - widgets);
}

int TAccessibleControl::indexOfChild(const QAccessibleInterface* c) const {
  for (auto it = mElementIds.constBegin(); it != mElementIds.constEnd(); ++it)
    if (QAccessible::accessibleInterface(it.value()) == c) return WidgetChildCount() + it.key();
  return QAccessibleWidget::indexOfChild(c);
}

QAccessibleInterface* TAccessibleControl::childAt(int x, int y) const {
  if (elements && elements->rect) {
    const QPoint local = widget()->mapFromGlobal(QPoint(x, y));
    for (int i = 0; i < ElementCount(); ++i)
      if (elements->rect(i).contains(local)) return Element(i);
  }
  return QAccessibleWidget::childAt(x, y);
}

QStringList TAccessibleControl::actionNames() const {
  QStringList names;
  for (const auto& a : mActions) names << a.first;
  // Focusing stays available as for every widget.
  for (const QString& n : QAccessibleWidget::actionNames())
    if (!names.contains(n)) names << n;
  return names;
}

void TAccessibleControl::doAction(const QString& action) {
  for (const auto& a : mActions)
    if (a.first == action) {
      if (widget()->isEnabled()) a.second();
      return;
    }
  QAccessibleWidget::doAction(action);
}

QStringList TAccessibleControl::keyBindingsForAction(const QString& action) const {
  return QAccessibleWidget::keyBindingsForAction(action);
}

QVariant TAccessibleControl::currentValue() const {
  return range && range->current ? QVariant(range->current()) : QVariant();
}
void TAccessibleControl::setCurrentValue(const QVariant& value) {
  if (!range || !range->set || !widget()->isEnabled()) return;
  double v = value.toDouble();
  if (range->minimum) v = std::max(v, range->minimum());
  if (range->maximum) v = std::min(v, range->maximum());
  range->set(v);
}
QVariant TAccessibleControl::maximumValue() const {
  return range && range->maximum ? QVariant(range->maximum()) : QVariant();
}
QVariant TAccessibleControl::minimumValue() const {
  return range && range->minimum ? QVariant(range->minimum()) : QVariant();
}
QVariant TAccessibleControl::minimumStepSize() const { return range ? QVariant(range->step) : QVariant(); }

void AccessibleClickAt(QWidget* w, QPoint p) {
  if (!w || !w->isEnabled()) return;
  QPointer<QWidget> guard(w);
  const QPointF local(p), global(w->mapToGlobal(p));
  QEnterEvent enter(local, local, global);
  QCoreApplication::sendEvent(w, &enter);
  QMouseEvent move(QEvent::MouseMove, local, local, global, Qt::NoButton, Qt::NoButton, Qt::NoModifier);
  if (guard) QCoreApplication::sendEvent(w, &move);
  QMouseEvent press(QEvent::MouseButtonPress, local, local, global, Qt::LeftButton, Qt::LeftButton, Qt::NoModifier);
  if (guard) QCoreApplication::sendEvent(w, &press);
  QMouseEvent release(QEvent::MouseButtonRelease, local, local, global, Qt::LeftButton, Qt::NoButton, Qt::NoModifier);
  if (guard) QCoreApplication::sendEvent(w, &release);
}

int InstallAccessibleFactory(QAccessible::InterfaceFactory factory) {
  static QMutex lock;
  static QList<QAccessible::InterfaceFactory> installed;
  QMutexLocker guard(&lock);
  if (!installed.contains(factory)) {
    installed << factory;
    QAccessible::installFactory(factory);
  }
  return 1;
}

namespace {

// What a control is called when nothing names it: its class without the
// namespace and the leading T ("CustomPanel"), or Qt's Q ("Slider").
QString ClassName(const QObject* o) {
  QString n = QString::fromLatin1(o->metaObject()->className());
  n = n.mid(n.lastIndexOf(QLatin1Char(':')) + 1);
  const bool prefixed = n.startsWith(QLatin1Char('T')) || (n.startsWith(QLatin1Char('Q')) && n.size() > 1 && n[1].isUpper());
  return prefixed ? n.mid(1) : n;
}

// Our controls built on Qt's own editors, lists and labels keep Qt's
// interfaces; those take their name from accessibleName, which is filled in
// (tooltip, object name, class) when the program gave none.
bool NameQtBased(QWidget* w) {
  if (!QByteArray(w->metaObject()->className()).startsWith("Tarnwell::")) return false;
  if (!w->inherits("QLineEdit") && !w->inherits("QAbstractItemView") && !w->inherits("QTextEdit") &&
      !w->inherits("QPlainTextEdit") && !w->inherits("QLabel") && !w->inherits("QComboBox"))
    return false;
  if (w->accessibleName().isEmpty()) {
    QString name = GetShortHint(w->toolTip());
    if (name.isEmpty()) name = w->objectName();
    if (name.isEmpty()) name = ClassName(w);
    w->setAccessibleName(name);
  }
  return true;
}

// A part of a combo box or spin box (its line edit, its popup list) is
// read as the box itself.
bool PartOfABox(const QWidget* w, const QWidget* form) {
  for (const QWidget* p = w->parentWidget(); p && p != form; p = p->parentWidget())
    if (qobject_cast<const QComboBox*>(p) || qobject_cast<const QAbstractSpinBox*>(p)) return true;
  return false;
}

// Qt's own controls that have nothing to be read by but a name.
bool NeedsAName(QWidget* w) {
  // A picture, an icon; not a label or button still waiting for its text,
  // which would be hidden behind the name.
  if (auto* l = qobject_cast<QLabel*>(w)) return l->text().isEmpty() && (!l->pixmap().isNull() || l->movie());
  if (auto* b = qobject_cast<QAbstractButton*>(w)) return b->text().isEmpty() && !b->icon().isNull();
  if (qobject_cast<QHeaderView*>(w) || qobject_cast<QScrollBar*>(w)) return false;
  return qobject_cast<QLineEdit*>(w) || qobject_cast<QAbstractSpinBox*>(w) || qobject_cast<QAbstractSlider*>(w) ||
         qobject_cast<QComboBox*>(w) || qobject_cast<QAbstractItemView*>(w) || qobject_cast<QTextEdit*>(w) ||
         qobject_cast<QPlainTextEdit*>(w) || qobject_cast<QStatusBar*>(w) || qobject_cast<QProgressBar*>(w);
}

// Qt's own editors, lists, sliders, status bars, pictures and icon buttons
// placed on our forms (or inside our controls) are named by nothing but a
// buddy label, and a form seldom has one for each: without a name a screen
// reader announces just "edit" or "list". Each that has neither a name nor
// a buddy gets one the way our own controls do: tooltip, object name, else
// the name of our control it is part of. Done when the form is first asked
// for, before its controls are, so no name changes under an interface
// being made.
void NameQtControlsOf(QWidget* form) {
  QList<QWidget*> buddies;
  for (QLabel* l : form->findChildren<QLabel*>())
    if (l->buddy()) buddies << l->buddy();
  for (QWidget* w : form->findChildren<QWidget*>()) {
    if (QByteArray(w->metaObject()->className()).startsWith("Tarnwell::")) continue;
    if (!w->accessibleName().isEmpty() || buddies.contains(w) || !NeedsAName(w) || PartOfABox(w, form)) continue;
    QString name = GetShortHint(w->toolTip());
    if (name.isEmpty()) name = w->objectName();
    for (QWidget* p = w->parentWidget(); name.isEmpty() && p && p != form; p = p->parentWidget())
      if (QByteArray(p->metaObject()->className()).startsWith("Tarnwell::")) name = p->objectName();
    if (name.isEmpty()) name = ClassName(w);
    w->setAccessibleName(name);
  }
}

// Names the Qt controls of a form again when it is shown: a form asked for
// while it was being made (its title set) had none of its controls yet.
class TNameOnShow : public QObject {
 public:
  bool eventFilter(QObject* o, QEvent* e) override {
    if (e->type() == QEvent::Show && o->isWidgetType()) NameQtControlsOf(static_cast<QWidget*>(o));
    return false;
  }
};

// The platform's own painted bases: labels, panels, speed buttons, the
// status bar, forms.
QAccessibleInterface* PlatformFactory(const QString&, QObject* o) {
  if (!o || !o->isWidgetType()) return nullptr;
  if (NameQtBased(static_cast<QWidget*>(o))) return nullptr;
  if (auto* b = qobject_cast<TSpeedButton*>(o)) {
    // A speed button often shows only a glyph: its hint names it then.
    auto* a = new TAccessibleControl(b, b->isCheckable() ? QAccessible::CheckBox : QAccessible::Button);
    a->name = [b] {
      QString t = QString(b->text()).remove(QLatin1Char('&'));
      if (t.isEmpty()) t = GetShortHint(b->toolTip());
      return t.isEmpty() && b->objectName().isEmpty() ? ClassName(b) : t;
    };
    a->states = [b](QAccessible::State& s) {
      s.pressed = b->isDown();
      s.checkable = b->isCheckable();
      s.checked = b->isChecked();
    };
    a->AddAction(QAccessibleActionInterface::pressAction(), [b] { b->click(); });
    if (b->isCheckable()) a->AddAction(QAccessibleActionInterface::toggleAction(), [b] { b->toggle(); });
    return a;
  }
  if (auto* l = qobject_cast<TCustomLabel*>(o)) {
    auto* a = new TAccessibleControl(l, QAccessible::StaticText);
    a->name = [l] { return QString(l->Caption()).remove(QLatin1Char('&')); };
    return a;
  }
  if (auto* p = qobject_cast<TCustomPanel*>(o)) {
    auto* a = new TAccessibleControl(p, QAccessible::Pane);
    a->name = [p] { return !p->Caption().isEmpty() || !p->objectName().isEmpty() ? p->Caption() : ClassName(p); };
    return a;
  }
  if (auto* sb = qobject_cast<TStatusBar*>(o)) {
    auto* a = new TAccessibleControl(sb, QAccessible::StatusBar);
    a->name = [sb] { return sb->objectName().isEmpty() ? ClassName(sb) : QString(); };
    a->valueText = [sb] {
      QStringList parts;
      for (int i = 0; i < sb->PanelCount(); ++i)
        if (!sb->PanelText(i).isEmpty()) parts << sb->PanelText(i);
      return parts.join(QStringLiteral(", "));
    };
    return a;
  }
  if (auto* f = qobject_cast<TForm*>(o)) {
    NameQtControlsOf(f);
    static TNameOnShow nameOnShow;
    f->installEventFilter(&nameOnShow);
    auto* a = new TAccessibleControl(f, QAccessible::Form);
    a->name = [f] { return f->Caption(); };
    return a;
  }
  return nullptr;
}

// Qt's own controls described better than Qt does: the handle of a
// splitter, which Qt calls a grip, reaches AT-SPI as an unknown role with
// no name; it is the separator between two panes.
QAccessibleInterface* QtOverridesFactory(const QString& className, QObject* o) {
  if (className != QLatin1String("QSplitterHandle")) return nullptr;
  auto* h = static_cast<QSplitterHandle*>(o);
  auto* a = new TAccessibleControl(h, QAccessible::Separator);
  a->name = [] { return QStringLiteral("Splitter"); };
  return a;
}

// Qt asks the factory installed last first, and QApplication installs its
// own for Qt's widgets when it is made, after ours: the overrides go in
// once the application runs its events.
void InstallQtOverrides() {
  QMetaObject::invokeMethod(
      QCoreApplication::instance(), [] { QAccessible::installFactory(&QtOverridesFactory); },
      Qt::QueuedConnection);
}

}  // namespace

Q_COREAPP_STARTUP_FUNCTION(InstallQtOverrides)

int InstallAccessible_platform() { return InstallAccessibleFactory(&PlatformFactory); }

}  // namespace Tarnwell
