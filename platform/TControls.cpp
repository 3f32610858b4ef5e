#include "TControls.h"

#include "TAccessible.h"

#include <QCloseEvent>
#include <QEnterEvent>
#include <QEvent>
#include <QApplication>
#include <QFontInfo>
#include <QMdiSubWindow>
#include <QProxyStyle>
#include <QStyle>
#include <algorithm>
#include <QPaintEvent>
#include <QStyleOption>
#include <QPainter>
#include <QFocusEvent>
#include <QKeyEvent>

TARNWELL_LIBRARY_ACCESSIBLE(platform)

namespace Tarnwell {

// ---- hints -------------------------------------------------------------------

QString GetShortHint(const QString& hint) {
  const int bar = hint.indexOf(QLatin1Char('|'));
  return bar < 0 ? hint : hint.left(bar);
}

QString GetLongHint(const QString& hint) {
  const int bar = hint.indexOf(QLatin1Char('|'));
  return bar < 0 ? hint : hint.mid(bar + 1);
}

void SetHint(QWidget* w, const QString& hint) {
  if (!w) return;
  w->setToolTip(GetShortHint(hint));
  w->setStatusTip(GetLongHint(hint));
}

// ---- TForm -------------------------------------------------------------------

TForm::TForm(QWidget* parent) : QWidget(parent) {
  setAutoFillBackground(true);
  setBackgroundRole(QPalette::Window);
  connect(this, &QWidget::windowTitleChanged, this, &TForm::CaptionChanged);
}

TForm::~TForm() = default;

namespace {
// Tool windows have a small caption: the title bar of the frame window is
// measured by this style, the rest is the application's.
class TToolWindowStyle : public QProxyStyle {
 public:
  TToolWindowStyle() : QProxyStyle(QApplication::style()->name()) {}
  int pixelMetric(PixelMetric metric, const QStyleOption* option, const QWidget* widget) const override {
    if (metric == PM_TitleBarHeight) return std::max(12, QProxyStyle::pixelMetric(metric, option, widget) * 2 / 3);
    return QProxyStyle::pixelMetric(metric, option, widget);
  }
};
QStyle* ToolWindowStyle() {
  static QPointer<QStyle> style;
  if (!style) {
    style = new TToolWindowStyle;
    style->setParent(qApp);  // lives as long as the application
  }
  return style;
}
}  // namespace

bool TForm::FixedBorder() const {
  return mBorderStyle == bsSingle || mBorderStyle == bsDialog || mBorderStyle == bsToolWindow;
}

void TForm::ApplyBorder() {
  auto* sub = qobject_cast<QMdiSubWindow*>(parentWidget());
  if (!sub) return;
  const bool tool = mBorderStyle == bsToolWindow || mBorderStyle == bsSizeToolWin;
  const bool fixed = FixedBorder();
  Qt::WindowFlags flags = Qt::SubWindow | Qt::CustomizeWindowHint;
  if (mBorderStyle != bsNone) flags |= Qt::WindowTitleHint;
  if (mBorderIcons & biSystemMenu) flags |= Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint;
  // Tool windows and dialogs have no minimise or maximise button; a window
  // that cannot be sized cannot be maximised either.
  if (!tool && mBorderStyle != bsDialog && (mBorderIcons & biMinimize)) flags |= Qt::WindowMinimizeButtonHint;
  if (!tool && !fixed && (mBorderIcons & biMaximize)) flags |= Qt::WindowMaximizeButtonHint;
  if (mBorderIcons & biHelp) flags |= Qt::WindowContextHelpButtonHint;
  const bool visible = sub->isVisible();
  sub->setWindowFlags(flags);
  if (tool && sub->style() != ToolWindowStyle()) {
    QFont own = font();  // the form keeps its font; only the caption shrinks
    own.setResolveMask(QFont::AllPropertiesResolved);
    sub->setStyle(ToolWindowStyle());
    QFont small = sub->font();
    small.setPixelSize(std::max(9, QFontInfo(small).pixelSize() - 2));
    sub->setFont(small);
    setFont(own);
  }
  // A window that cannot be sized keeps the size it was given (the main
  // frame fixes it once it has sized the frame window round the design).
  if (fixed) {
    if (sub->isVisible()) sub->setFixedSize(sub->size());
  } else {
    sub->setMinimumSize(0, 0);
    sub->setMaximumSize(QWIDGETSIZE_MAX, QWIDGETSIZE_MAX);
  }
  if (visible) sub->show();
}

void TForm::SetDesignSize(int width, int height) {
  mDesignSize = QSize(width, height);
  resize(mDesignSize);
}

QSize TForm::sizeHint() const {
  if (mDesignSize.isValid() && !mDesignSize.isEmpty()) return mDesignSize;
  return QWidget::sizeHint();
}

void TForm::AddComponent(QObject* c) {
  if (!c) return;
  for (const auto& p : mComponents)
    if (p == c) return;
  mComponents.append(QPointer<QObject>(c));
}

void TForm::RemoveComponent(QObject* c) {
  mComponents.removeIf([c](const QPointer<QObject>& p) { return p.isNull() || p == c; });
}

QList<QObject*> TForm::Components() const {
  QList<QObject*> out;
  for (const auto& p : mComponents)
    if (p) out.append(p.data());
  return out;
}

int TForm::ComponentCount() const { return int(Components().size()); }

void TForm::FormClose(TCloseAction& action) {
  if (OnClose) OnClose(this, action);
}

void TForm::closeEvent(QCloseEvent* e) {
  TCloseAction action = mDefaultCloseAction;
  FormClose(action);
  auto* sub = qobject_cast<QMdiSubWindow*>(parentWidget());
  switch (action) {
    case caNone:
      e->ignore();
      return;
    case caMinimize:
      e->ignore();
      if (sub)
        sub->showMinimized();
      else
        showMinimized();
      return;
    case caHide:
      setAttribute(Qt::WA_DeleteOnClose, false);
      if (sub) sub->setAttribute(Qt::WA_DeleteOnClose, false);
      e->accept();
      return;
    case caFree:
      // The MDI frame window goes with the form; without one the form itself.
      if (sub)
        sub->setAttribute(Qt::WA_DeleteOnClose, true);
      else
        setAttribute(Qt::WA_DeleteOnClose, true);
      e->accept();
      return;
  }
}

void TForm::Close() {
  if (auto* sub = qobject_cast<QMdiSubWindow*>(parentWidget()))
    sub->close();
  else
    close();
}

namespace {

// The name of the dynamic property that marks a speed button whose focus
// came from the keyboard.
constexpr char kFocusShown[] = "_tarnwellFocusShown";

// Keyboard use of the speed buttons a program gives focus to (their default
// policy is NoFocus): the focus is shown once it was reached with Tab, Space
// or Enter press the button, Up and Down go to the previous and next control.
// One filter serves every button.
class TSpeedButtonKeys : public QObject {
 public:
  bool eventFilter(QObject* o, QEvent* e) override {
    // Checked, not assumed: the filter still sees the events a button gets
    // while it is being destroyed, when it is no longer a speed button.
    auto* b = qobject_cast<TSpeedButton*>(o);
    if (!b) return false;
    switch (e->type()) {
      case QEvent::FocusIn: {
        // Shown for the keyboard only, so a click or the window's own
        // activation draws the button as before.
        const Qt::FocusReason r = static_cast<QFocusEvent*>(e)->reason();
        if (r == Qt::TabFocusReason || r == Qt::BacktabFocusReason || r == Qt::ShortcutFocusReason)
          b->setProperty(kFocusShown, true);
        else if (r != Qt::ActiveWindowFocusReason)
          b->setProperty(kFocusShown, QVariant());
        b->update();
        break;
      }
      case QEvent::FocusOut:
        if (static_cast<QFocusEvent*>(e)->reason() != Qt::ActiveWindowFocusReason)
          b->setProperty(kFocusShown, QVariant());
        b->update();
        break;
      case QEvent::KeyPress: {
        auto* k = static_cast<QKeyEvent*>(e);
        const bool plain = k->modifiers() == Qt::NoModifier || k->modifiers() == Qt::KeypadModifier;
        if (plain && (k->key() == Qt::Key_Return || k->key() == Qt::Key_Enter)) {
          if (!k->isAutoRepeat() && b->isEnabled()) b->animateClick();
          return true;
        }
        if (plain && (k->key() == Qt::Key_Up || k->key() == Qt::Key_Down)) {
          // The next control in the window's focus chain.
          QWidget* w = k->key() == Qt::Key_Down ? b->nextInFocusChain() : b->previousInFocusChain();
          while (w && w != b && !(w->isVisible() && w->isEnabled() && (w->focusPolicy() & Qt::TabFocus)))
            w = k->key() == Qt::Key_Down ? w->nextInFocusChain() : w->previousInFocusChain();
          if (w && w != b) w->setFocus(k->key() == Qt::Key_Down ? Qt::TabFocusReason : Qt::BacktabFocusReason);
          return true;
        }
        break;
      }
      default:
        break;
    }
    return false;
  }
};

TSpeedButtonKeys& SpeedButtonKeys() {
  static TSpeedButtonKeys keys;
  return keys;
}

}  // namespace

// ---- TSpeedButton ---------------------------------------------------------------

TSpeedButton::TSpeedButton(QWidget* parent) : QAbstractButton(parent) {
  mFont.changed = [this] {
    update();
    updateGeometry();
    Q_EMIT FontChanged(font());
  };
  setFocusPolicy(Qt::NoFocus);
  setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
  installEventFilter(&SpeedButtonKeys());
  connect(this, &QAbstractButton::clicked, this, [this] {
    if (OnClick) OnClick(this);
  });
}

QString TSpeedButton::Caption() const { return text(); }

void TSpeedButton::setCaption(QString c) {
  if (c == text()) return;
  setText(c);  // repaints and asks the layout again
  Q_EMIT CaptionChanged(c);
}

void TSpeedButton::Paint(TCanvas& canvas) {
  TRect r(0, 0, width(), height());
  canvas.Brush().SetColor(FromQColor(palette().color(QPalette::Button)));
  canvas.FillRect(r);
  const bool down = isDown() || isChecked();
  if (down)
    canvas.Frame3D(r, clBtnShadow, clBtnHighlight, 1);
  else if (!mFlat || (mMouseIn && isEnabled()))
    canvas.Frame3D(r, clBtnHighlight, clBtnShadow, 1);
  canvas.Font().Assign(mFont.Font());
  const QString cap = text();
  const QSize ts = cap.isEmpty() ? QSize(0, 0) : canvas.TextExtent(cap);
  // A glyph made for a high-density screen is laid out in logical pixels.
  const QSize glyph = mGlyph.isNull() ? QSize(0, 0) : mGlyph.deviceIndependentSize().toSize();
  const int gw = glyph.width();
  const int gap = (gw > 0 && !cap.isEmpty()) ? 4 : 0;
  int x = (width() - (gw + gap + ts.width())) / 2 + (down ? 1 : 0);
  const int off = down ? 1 : 0;
  if (gw > 0) {
    canvas.Draw(x, (height() - glyph.height()) / 2 + off, mGlyph);
    x += gw + gap;
  }
  if (!cap.isEmpty()) {
    canvas.Brush().SetStyle(bsClear);
    const int y = (height() - ts.height()) / 2 + off;
    if (!isEnabled()) {
      // Disabled captions are embossed: highlight below-right, shadow on top.
      canvas.Font().SetColor(clBtnHighlight);
      canvas.TextOut(x + 1, y + 1, cap);
      canvas.Font().SetColor(clBtnShadow);
    }
    canvas.TextOut(x, y, cap);
  }
}

QSize TSpeedButton::sizeHint() const {
  TCanvas measure;
  measure.Font().Assign(mFont.Font());
  const QSize t = text().isEmpty() ? QSize(0, 0) : measure.TextExtent(text());
  const int gw = mGlyph.isNull() ? 0 : mGlyph.deviceIndependentSize().toSize().width() + (text().isEmpty() ? 0 : 4);
  return QSize(std::max(23, t.width() + gw + 8), std::max(22, t.height() + 6));
}

QSize TSpeedButton::minimumSizeHint() const { return sizeHint(); }

void TSpeedButton::paintEvent(QPaintEvent*) {
  ++mPaintCount;
  TCanvas canvas(this);
  Paint(canvas);
  if (hasFocus() && property(kFocusShown).toBool()) {
    // A flat button shows its frame too, as under the mouse, so the focused
    // one stands out of a column of them.
    if (mFlat && !isDown() && !isChecked() && !(mMouseIn && isEnabled())) {
      TRect r(0, 0, width(), height());
      canvas.Frame3D(r, clBtnHighlight, clBtnShadow, 1);
    }
    QPainter p(this);
    QStyleOptionFocusRect o;
    o.initFrom(this);
    o.rect = rect().adjusted(3, 3, -3, -3);
    o.backgroundColor = palette().color(QPalette::Button);
    style()->drawPrimitive(QStyle::PE_FrameFocusRect, &o, &p, this);
  }
}

void TSpeedButton::MouseEnter() {}
void TSpeedButton::MouseLeave() {}

void TSpeedButton::enterEvent(QEnterEvent* e) {
  QAbstractButton::enterEvent(e);
  mMouseIn = true;
  update();
  MouseEnter();
}

void TSpeedButton::leaveEvent(QEvent* e) {
  QAbstractButton::leaveEvent(e);
  mMouseIn = false;
  update();
  MouseLeave();
}

void TSpeedButton::changeEvent(QEvent* e) {
  QAbstractButton::changeEvent(e);
  if (e->type() == QEvent::EnabledChange) update();
}

TColor FollowedParentColor(const QWidget* w, bool parentColor, TColor own) {
  if (!parentColor || w->testAttribute(Qt::WA_SetPalette) || w->testAttribute(Qt::WA_StyleSheet)) return own;
  if (auto* panel = qobject_cast<const TCustomPanel*>(w->parentWidget())) return panel->Color();
  return clBtnFace;
}

// ---- TCustomPanel ---------------------------------------------------------------

TCustomPanel::TCustomPanel(QWidget* parent) : QWidget(parent) {
  mFont.changed = [this] {
    update();
    Q_EMIT FontChanged(font());
  };
  mColorView.WhenColorChanges([this] {
    update();
    Q_EMIT ColorChanged(ColorQColor());
  });
}

void TCustomPanel::setBevelWidth(int w) {
  w = std::max(1, w);
  if (w == mBevelWidth) return;
  mBevelWidth = w;
  update();
  Q_EMIT BevelWidthChanged(w);
}

TRect TCustomPanel::InnerRect() const {
  TRect r(0, 0, width(), height());
  int shrink = mBorderWidth + (mBorderStyle == bsSingle ? 1 : 0);
  if (mBevelOuter != bvNone) shrink += mBevelWidth;
  if (mBevelInner != bvNone) shrink += mBevelWidth;
  InflateRect(r, -shrink, -shrink);
  return r;
}

namespace {
void BevelColors(TBevelCut b, TColor& top, TColor& bottom) {
  top = b == bvLowered ? clBtnShadow : clBtnHighlight;
  bottom = b == bvLowered ? clBtnHighlight : clBtnShadow;
}
}  // namespace

void TCustomPanel::PaintBevels(TCanvas& canvas, TRect& r) {
  TColor top, bottom;
  if (mBorderStyle == bsSingle) canvas.Frame3D(r, clWindowFrame, clWindowFrame, 1);
  if (mBevelOuter != bvNone) {
    BevelColors(mBevelOuter, top, bottom);
    canvas.Frame3D(r, top, bottom, mBevelWidth);
  }
  if (mBorderWidth > 0) canvas.Frame3D(r, Color(), Color(), mBorderWidth);
  if (mBevelInner != bvNone) {
    BevelColors(mBevelInner, top, bottom);
    canvas.Frame3D(r, top, bottom, mBevelWidth);
  }
}

void TCustomPanel::PaintCaption(TCanvas& canvas) {
  if (mCaption.isEmpty()) return;
  canvas.Brush().SetStyle(bsClear);
  canvas.Font().Assign(mFont.Font());
  const int fh = canvas.TextHeight(QStringLiteral("W"));
  TRect r = InnerRect();
  r.Top = (height() - fh) / 2;
  r.Bottom = r.Top + fh;
  int flags = Qt::AlignVCenter | Qt::TextExpandTabs | Qt::TextSingleLine;
  flags |= mAlignment == taLeftJustify    ? Qt::AlignLeft
           : mAlignment == taRightJustify ? Qt::AlignRight
                                          : Qt::AlignHCenter;
  canvas.DrawText(r, mCaption, flags);
}

void TCustomPanel::Paint(TCanvas& canvas) {
  TRect r(0, 0, width(), height());
  PaintBevels(canvas, r);
  canvas.Brush().SetColor(Color());
  canvas.Brush().SetStyle(bsSolid);
  canvas.FillRect(r);
  PaintCaption(canvas);
}

void TCustomPanel::paintEvent(QPaintEvent*) {
  TCanvas canvas(this);
  Paint(canvas);
}

}  // namespace Tarnwell
