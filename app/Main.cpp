#include "Main.h"

#include <QGuiApplication>
#include <QHBoxLayout>
#include <QMdiSubWindow>
#include <QScreen>
#include <QStatusTipEvent>
#include <QVBoxLayout>

#include <Tarnwell/platform/TResources.h>

namespace Tarnwell {

TFormMain::TFormMain(QWidget* parent) : QMainWindow(parent) {
  setObjectName(QStringLiteral("FormMain"));
  setWindowTitle(QStringLiteral("Tarnwell - Dimostrazione dei componenti"));
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

  for (const TLauncher& l : Launchers()) {
    auto* b = new TShineButton(Panel1);
    b->setObjectName(QString::fromLatin1(l.ComponentName));
    b->setGeometry(4, l.Top, 100, 22);
    b->setFlat(true);
    b->setCaption(QString::fromUtf8(l.ButtonCaption));
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
  if (form->DesignSize().isValid() && !form->DesignSize().isEmpty()) sub->resize(form->DesignSize());
  mLast.at(l.Number - 1) = form;
  form->show();
  sub->show();
  return form;
}

}  // namespace Tarnwell

TARNWELL_LIBRARY_RESOURCES(tarnwell_main)
