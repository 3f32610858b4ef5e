#include "Main.h"

#include <QApplication>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QIcon>
#include <QKeyEvent>
#include <QPainter>
#include <QMdiSubWindow>
#include <QScreen>
#include <QShortcut>
#include <QStyle>
#include <algorithm>
#include <QStatusTipEvent>
#include <QVBoxLayout>

#include <Tarnwell/platform/TFormSize.h>
#include <Tarnwell/platform/TResources.h>

namespace Tarnwell {

QIcon ProgramIcon() {
  // Our own mark: a white "T" on a slate tile with a light edge, drawn at
  // the sizes title bars and task bars ask for.
  QIcon icon;
  for (int px : {16, 24, 32, 48, 64}) {
    QImage img(px, px, QImage::Format_ARGB32_Premultiplied);
    img.fill(Qt::transparent);
    QPainter p(&img);
    p.setRenderHint(QPainter::Antialiasing);
    const qreal r = px / 6.0;
    p.setPen(QPen(QColor(0xC8, 0xD4, 0xE4), std::max(1.0, px / 16.0)));
    p.setBrush(QColor(0x3A, 0x4E, 0x6E));
    p.drawRoundedRect(QRectF(0.5, 0.5, px - 1.0, px - 1.0), r, r);
    p.setPen(Qt::NoPen);
    p.setBrush(Qt::white);
    const qreal u = px / 8.0;
    p.drawRect(QRectF(1.5 * u, 1.6 * u, 5 * u, 1.2 * u));   // the bar
    p.drawRect(QRectF(3.4 * u, 2.6 * u, 1.2 * u, 4.0 * u));  // the stem
    p.end();
    icon.addPixmap(QPixmap::fromImage(img));
  }
  return icon;
}

namespace {

// Ctrl+F4 closes the frame's active window. Taken before the shortcut map
// sees the key: each window's own system menu may bind it as well, and an
// ambiguous shortcut would close nothing.
class TCloseWindowKey : public QObject {
 public:
  explicit TCloseWindowKey(TFormMain* frame) : QObject(frame), mFrame(frame) { qApp->installEventFilter(this); }

 protected:
  bool eventFilter(QObject* o, QEvent* e) override {
    if (e->type() != QEvent::ShortcutOverride || !o->isWidgetType()) return false;
    auto* k = static_cast<QKeyEvent*>(e);
    if (k->key() != Qt::Key_F4 || (k->modifiers() & ~Qt::KeypadModifier) != Qt::ControlModifier) return false;
    if (static_cast<QWidget*>(o)->window() != mFrame) return false;
    QMdiSubWindow* sub = mFrame->MdiArea->activeSubWindow();
    if (!sub) return false;
    k->accept();
    // The window's own close, as its title bar button does it.
    if (auto* form = qobject_cast<TForm*>(sub->widget()))
      form->Close();
    else
      sub->close();
    return true;
  }

 private:
  TFormMain* mFrame;
};

}  // namespace

TFormMain::TFormMain(QWidget* parent) : QMainWindow(parent) {
  setObjectName(QStringLiteral("FormMain"));
  setWindowTitle(QStringLiteral("Tarnwell - Dimostrazione dei componenti"));
  setWindowIcon(ProgramIcon());
  TFont font;  // "MS Sans Serif", height -11
  setFont(font.ToQFont());

  auto* central = new QWidget(this);
  auto* rows = new QVBoxLayout(central);
  rows->setContentsMargins(0, 0, 0, 0);
  rows->setSpacing(0);
  auto* layout = new QHBoxLayout();
  layout->setContentsMargins(0, 0, 0, 0);
  layout->setSpacing(0);
  rows->addLayout(layout, 1);

  Panel1 = new TCustomPanel(central);
  Panel1->setObjectName(QStringLiteral("Panel1"));
  Panel1->setFixedWidth(109);
  layout->addWidget(Panel1);

  MdiArea = new QMdiArea(central);
  MdiArea->setObjectName(QStringLiteral("MdiArea"));
  MdiArea->setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
  MdiArea->setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
  // Closing the top window brings forward the one that was active before
  // it, not the oldest.
  MdiArea->setActivationOrder(QMdiArea::ActivationHistoryOrder);
  layout->addWidget(MdiArea, 1);
  // A plain panel rather than a status bar with a size grip: it is all the
  // long hints need, and it keeps start-up light.
  StatusLine = new TCustomPanel(central);
  StatusLine->setObjectName(QStringLiteral("StatusLine"));
  StatusLine->setBevelOuter(bvLowered);
  StatusLine->setAlignment(taLeftJustify);
  StatusLine->setFixedHeight(19);
  rows->addWidget(StatusLine);
  setCentralWidget(central);
  // Windows are closed and gone through from the keyboard as in other MDI
  // programs: Ctrl+F4 closes the active one, Ctrl+F6 / Ctrl+Shift+F6 go to
  // the next or previous one (Qt binds none of these on X11).
  new TCloseWindowKey(this);
  auto* nextWindow = new QShortcut(QKeySequence(Qt::CTRL | Qt::Key_F6), this);
  connect(nextWindow, &QShortcut::activated, MdiArea, &QMdiArea::activateNextSubWindow);
  auto* previousWindow = new QShortcut(QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_F6), this);
  connect(previousWindow, &QShortcut::activated, MdiArea, &QMdiArea::activatePreviousSubWindow);

  for (const TLauncher& l : Launchers()) {
    auto* b = new TShineButton(Panel1);
    b->setObjectName(QString::fromLatin1(l.ComponentName));
    b->setGeometry(4, l.Top, 100, 22);
    b->setFlat(true);
    b->setCaption(QString::fromUtf8(l.ButtonCaption));
    // Reached with Tab (and Up/Down along the column), opened with Space or
    // Enter: the showcase can be used without a mouse.
    b->setFocusPolicy(Qt::TabFocus);
    b->setShineColor(clRed);
    b->setDefColor(clBlack);
    b->Font().SetColor(clBlack);
    const QString wcap = QString::fromUtf8(l.WindowCaption);
    if (l.Create) {
      b->setHint(QStringLiteral("%1|Apre una nuova finestra \"%1\"").arg(wcap));
      const TLauncher* launcher = &l;
      connect(b, &QAbstractButton::clicked, this, [this, launcher] { Launch(*launcher); });
    } else {
      b->setEnabled(false);
      b->setHint(QStringLiteral(
                     "Non ancora disponibile|La finestra \"%1\" non è ancora disponibile in questa versione")
                     .arg(wcap));
    }
    mButtons.at(l.Number - 1) = b;
  }

  PatternHolder1 = new TPatternHolder(this);
  PatternHolder1->setObjectName(QStringLiteral("PatternHolder1"));
  PatternHolder1->setColor(clNone);
  PatternHolder1->setSubstColor(clNone);
  PatternFormPaint1 = new TPatternFormPaint(this);
  PatternFormPaint1->setObjectName(QStringLiteral("PatternFormPaint1"));
  PatternFormPaint1->setPatternHolder(PatternHolder1);
  PatternFormPaint1->setImage(LoadResourcePicture(QStringLiteral("MAINPICTURE")));
  PatternFormPaint1->setImagePosition(pipBottomRight);
  PatternFormPaint1->setImageTransparent(true);
  PatternFormPaint1->setOffSetR(120);
  PatternFormPaint1->setOffSetB(10);
  PatternFormPaint1->setFreeOnClose(false);

  resize(640, 422);
  if (QScreen* s = QGuiApplication::primaryScreen()) {
    const QRect avail = s->availableGeometry();
    move(avail.center() - QPoint(width() / 2, height() / 2));
  }
}

TFormMain::~TFormMain() = default;

bool TFormMain::event(QEvent* e) {
  if (e->type() == QEvent::StatusTip) {
    StatusLine->setCaption(QLatin1Char(' ') + static_cast<QStatusTipEvent*>(e)->tip());
    return true;
  }
  return QMainWindow::event(e);
}

TForm* TFormMain::Launch(const TLauncher& l) {
  if (!l.Create) return nullptr;
  TForm* form = l.Create();
  QMdiSubWindow* sub = MdiArea->addSubWindow(form);
  sub->setAttribute(Qt::WA_DeleteOnClose, true);
  sub->setWindowTitle(form->Caption());
  sub->setWindowIcon(windowIcon());
  // A design that gives the client area has the frame window grow around it
  // by its borders and title bar, so nothing of the form is cut off; one that
  // gives the whole window is the frame window's size.
  form->ApplyBorder();  // title bar and border first: they decide the margins
  sub->ensurePolished();
  const QMargins m = sub->contentsMargins();
  const QSize frameExtra(m.left() + m.right(), m.top() + m.bottom());
  QSize client = form->DesignSize();
  if (!client.isValid() || client.isEmpty())
    client = form->sizeHint();
  else if (DesignSizeIsOuter(form))
    client -= frameExtra;
  client = client.expandedTo(form->minimumSizeHint()).expandedTo(form->minimumSize()).boundedTo(form->maximumSize());
  const QSize outer = client + frameExtra;
  sub->resize(outer);
  if (form->FixedBorder()) sub->setFixedSize(outer);
  sub->move(NextWindowPosition(outer));
  mLast.at(l.Number - 1) = form;
  mLastOpened = sub;
  form->show();
  sub->show();
  MdiArea->setActiveSubWindow(sub);
  return form;
}

QPoint TFormMain::NextWindowPosition(const QSize& outer) {
  const QSize area = MdiArea->viewport()->size();
  // One title bar further down and right than the window opened last, so
  // each new window shows its own title bar; the cascade starts again at the
  // top, shifted right, when the next window would leave the client area.
  const int step = std::max(16, style()->pixelMetric(QStyle::PM_TitleBarHeight) + 4);
  if (!mLastOpened || !mLastOpened->isVisible()) {
    mWraps = 0;
    for (QMdiSubWindow* w : MdiArea->subWindowList())
      if (w != mLastOpened && w->isVisible() && w->pos() == QPoint(0, 0)) return QPoint(step, step);
    return QPoint(0, 0);
  }
  QPoint next = mLastOpened->pos() + QPoint(step, step);
  // Windows larger than the area still cascade over a third of it.
  const int rangeX = std::max(area.width() - outer.width(), area.width() / 3);
  const int rangeY = std::max(area.height() - outer.height(), area.height() / 3);
  if (next.x() > rangeX || next.y() > rangeY) {
    ++mWraps;
    next = QPoint((mWraps * step) % std::max(1, rangeX + 1), 0);
  }
  return next;
}

}  // namespace Tarnwell

TARNWELL_LIBRARY_RESOURCES(tarnwell_main)
