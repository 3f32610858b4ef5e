#include "FScroll.h"

#include <QRandomGenerator>
#include <QVBoxLayout>

#include <Tarnwell/app/DemoRegistry.h>

namespace Tarnwell {

namespace {
// The sixteen colours the demonstration picks from, in its order.
constexpr TColor kColours[16] = {clBlack, clAqua,   clBlue, clFuchsia, clGray, clGreen, clLime,  clMaroon,
                                 clNavy,  clOlive, clPurple, clRed,   clSilver, clTeal, clWhite, clYellow};
}  // namespace

TFormScroll::TFormScroll(QWidget* parent) : TForm(parent) {
  SetCaption(QStringLiteral("Scroll Components"));
  setObjectName(QStringLiteral("FormScroll"));

  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->setSpacing(0);

  ScrollRuleH = new TScrollRule(this);
  ScrollRuleH->setObjectName(QStringLiteral("ScrollRuleH"));
  ScrollRuleH->setFixedHeight(28);
  ScrollRuleH->setDirection(srdHorizontal);
  ScrollRuleH->setValueType(srvDate);
  ScrollRuleH->setLabelType(srlRaised);
  ScrollRuleH->setStepSize(80);
  ScrollRuleH->setJumpSize(0);
  ScrollRuleH->setStepValue(QStringLiteral("1"));
  layout->addWidget(ScrollRuleH);

  ScrollBoxSked = new TEnhScrollBox(this);
  ScrollBoxSked->setObjectName(QStringLiteral("ScrollBoxSked"));
  ScrollBoxSked->setHorzRule(ScrollRuleH);
  layout->addWidget(ScrollBoxSked, 1);

  for (int i = 0; i < 16; ++i) {
    auto* line = new TBtnQuePeriodDisplay(ScrollBoxSked->Content());
    line->setObjectName(QStringLiteral("BtnQuePeriodDisplay%1").arg(i + 1));
    line->setRule(ScrollRuleH);
    line->setAutoWidth(false);
    line->setAutoRepaint(false);
    line->setGeometry(0, i * 24 + 8, 50, 20);
    Lines.append(line);
  }

  AddComponent(ScrollRuleH);
  AddComponent(ScrollBoxSked);
  for (auto* l : Lines) AddComponent(l);
  SetDesignSize(512, 352);
}

void TFormScroll::FormShow() {
  ScrollRuleH->SetStartNumber(Date());
  auto* rnd = QRandomGenerator::global();
  for (TBtnQuePeriodDisplay* line : Lines) {
    line->ClearPeriods();
    TDateTime start = Date();
    for (int j = 0; j < 11; ++j) {
      const TDateTime stop = start + 1 + int(rnd->bounded(4));
      line->AddPeriod(QString::number(j), kColours[rnd->bounded(16)], start, stop, 0, -1, 0);
      start = stop;
    }
    line->RebuildButtons();
  }
}

void TFormScroll::showEvent(QShowEvent* e) {
  TForm::showEvent(e);
  if (mShown) return;
  mShown = true;
  FormShow();
}

void RegisterDemo_scroll() {
  RegisterDemoWindow("TFormScroll", []() -> TForm* { return new TFormScroll(); });
}

}  // namespace Tarnwell
