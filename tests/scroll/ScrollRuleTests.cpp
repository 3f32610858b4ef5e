#include <gtest/gtest.h>

#include <QScrollBar>
#include <QSignalSpy>

#include <Tarnwell/scroll/EnhScrol.h>
#include <Tarnwell/scroll/FScroll.h>

#include "TestUtil.h"

namespace {

QColor Shown(const QWidget& w, TColor c) { return ToQColor(c, w.palette()); }

QImage Render(QWidget& w) { return w.grab().toImage().convertToFormat(QImage::Format_RGB32); }

TEST(ScrollRule, DateRuleFollowsTheScrollBoxAcrossTheCells) {
  QWidget host;
  host.resize(400, 300);
  auto* rule = new TScrollRule(&host);
  rule->setGeometry(0, 0, 400, 28);
  rule->setValueType(srvDate);
  rule->setStepSize(80);
  rule->setStepValue("1");
  EXPECT_DOUBLE_EQ(rule->StartNumber(), Date());
  auto* box = new TEnhScrollBox(&host);
  box->setGeometry(0, 28, 400, 200);
  auto* wide = new QWidget(box->Content());
  wide->setGeometry(0, 0, 2000, 100);
  box->setHorzRule(rule);
  host.show();
  ASSERT_TRUE(WaitUntil([&] { return box->horizontalScrollBar()->maximum() > 100; }));

  QSignalSpy scrolled(box, &TEnhScrollBox::HScroll);
  box->setLeftPosition(-100);
  EXPECT_EQ(box->LeftPosition(), -100);
  EXPECT_EQ(rule->LeftPosition(), -100);
  ASSERT_GE(scrolled.count(), 1);
  EXPECT_EQ(scrolled.last().at(2).toInt(), -100);

  // Cell n begins at StartPos + n * pitch + LeftPosition: tomorrow at -20,
  // the day after at 60.
  EXPECT_EQ(rule->CellStart(1), -20);
  EXPECT_EQ(rule->CellStart(2), 60);
  const QImage img = Render(*rule);
  EXPECT_EQ(img.pixelColor(60, 10), Shown(*rule, clBtnHighlight));
  EXPECT_EQ(img.pixelColor(59, 10), Shown(*rule, clBtnShadow));
  EXPECT_EQ(rule->CellLabel(1), RuleDateText(Date() + 1));

  // Dragging the thumb tracks: the rule follows at once, the event says so.
  QSignalSpy tracked(box, &TEnhScrollBox::HTrack);
  int trackedCode = -1;
  box->OnHTrack = [&](TObject*, int code, int) { trackedCode = code; };
  box->horizontalScrollBar()->setSliderDown(true);
  box->horizontalScrollBar()->setValue(150);
  EXPECT_EQ(rule->LeftPosition(), -150);
  ASSERT_EQ(tracked.count(), 1);
  EXPECT_EQ(tracked.at(0).at(2).toInt(), -150);
  EXPECT_EQ(trackedCode, int(scTrack));
  box->horizontalScrollBar()->setSliderDown(false);
}

TEST(ScrollRule, LabelsGapsAndStopPosition) {
  TScrollRule rule;
  rule.resize(300, 24);
  rule.setColor(clYellow);
  rule.setValueType(srvLabels);
  rule.setLabels({"uno", "due", "tre"});
  EXPECT_EQ(rule.CellLabel(0), "uno");
  EXPECT_EQ(rule.CellLabel(2), "tre");
  EXPECT_EQ(rule.CellLabel(3), "");
  EXPECT_EQ(rule.CellLabel(-1), "");

  rule.setLabelType(srlSingle);
  rule.setStepSize(40);
  rule.setJumpSize(4);
  QImage img = Render(rule);
  // The gap between cell 0 (0..39, its line at 40) and cell 1 (from 44).
  EXPECT_EQ(rule.CellStart(1), 44);
  EXPECT_EQ(img.pixelColor(42, 12), Shown(rule, clYellow));
  EXPECT_EQ(img.pixelColor(44, 12), QColor(Qt::black));
  // Past the labels the cells are empty: only the frame, no text pixels.
  int dark = 0;
  for (int x = 3 * 44 + 2; x < 3 * 44 + 38; ++x)
    for (int y = 2; y < 22; ++y) dark += img.pixelColor(x, y) == QColor(Qt::black);
  EXPECT_EQ(dark, 0);

  rule.setStopPos(200);
  img = Render(rule);
  for (int x = 200; x < 300; x += 7) EXPECT_EQ(img.pixelColor(x, 12), Shown(rule, clYellow)) << x;
}

TEST(ScrollRule, TextFormsAndTheirFallbacks) {
  TScrollRule rule;
  rule.setStartValue("abc");
  EXPECT_EQ(rule.StartNumber(), 1);
  EXPECT_EQ(rule.StartValue(), "1");
  rule.setStepValue("x");
  EXPECT_EQ(rule.StepNumber(), 1);

  rule.setValueType(srvDate);
  rule.setStartValue(RuleDateText(46000));
  EXPECT_EQ(rule.StartNumber(), 46000);
  rule.setStepValue("7");
  EXPECT_EQ(rule.StepValue(), "7");
  rule.setStartValue("not a date");
  EXPECT_EQ(rule.StartNumber(), 1);

  rule.setValueType(srvDateTime);
  EXPECT_EQ(rule.StepNumber(), 0);
  rule.setStepValue("not a time");
  EXPECT_EQ(rule.StepNumber(), 0);
  rule.setStepValue(RuleTimeText(0.25));
  EXPECT_DOUBLE_EQ(rule.StepNumber(), 0.25);
  rule.setStartValue(RuleDateTimeText(46000.5));
  EXPECT_DOUBLE_EQ(rule.StartNumber(), 46000.5);
}

TEST(ScrollRule, DegenerateSizesStillPaintAndTerminate) {
  TScrollRule rule;
  rule.resize(120, 24);
  rule.setStepSize(0);
  rule.setJumpSize(0);
  EXPECT_EQ(rule.Pitch(), 1);
  (void)Render(rule);
  rule.setStepSize(-10);
  rule.setJumpSize(2);
  EXPECT_EQ(rule.Pitch(), 1);
  (void)Render(rule);
  rule.setDirection(srdVertical);
  rule.setStepSize(10);
  rule.setTopPosition(-35);
  EXPECT_EQ(rule.CellStart(0), -35);
  (void)Render(rule);
}

TEST(ScrollRule, DateAndTimeLinesFormattedApart) {
  TScrollRule rule;
  rule.resize(160, 40);
  rule.setValueType(srvDatePTime);
  rule.setStepSize(100);
  rule.SetStartNumber(46000.75);
  // The label is the value as date and time; painted as two lines.
  EXPECT_EQ(rule.CellLabel(0), RuleDateTimeText(46000.75));
  const QImage img = Render(rule);
  int rowsWithInk = 0;
  for (int y = 1; y < 39; ++y) {
    bool ink = false;
    for (int x = 2; x < 98 && !ink; ++x) ink = img.pixelColor(x, y).lightness() < 80;
    rowsWithInk += ink;
  }
  EXPECT_GT(rowsWithInk, 14);  // two text lines, not one
}

TEST(ScrollForm, SixteenScheduleLinesFromToday) {
  TFormScroll form;
  form.resize(form.DesignSize());
  form.show();
  ASSERT_TRUE(WaitUntil([&] { return form.Lines.front()->ButtonCount() > 0; }));
  EXPECT_EQ(form.windowTitle(), "Scroll Components");
  ASSERT_EQ(form.Lines.size(), 16);
  EXPECT_EQ(form.ScrollRuleH->StartNumber(), Date());
  EXPECT_EQ(form.ScrollRuleH->height(), 28);
  for (int i = 0; i < 16; ++i) {
    TBtnQuePeriodDisplay* line = form.Lines[i];
    EXPECT_EQ(line->PeriodCount(), 11);
    EXPECT_EQ(line->geometry().top(), i * 24 + 8);
    EXPECT_EQ(line->height(), 20);
    EXPECT_EQ(line->Button(0).X, 0);
    // Eleven periods of 1..4 days at 80 pixels a day, end to end.
    EXPECT_GE(line->width(), 11 * 80);
    EXPECT_LE(line->width(), 11 * 4 * 80);
  }
  form.ScrollBoxSked->setLeftPosition(-240);
  EXPECT_EQ(form.ScrollRuleH->LeftPosition(), -240);
}

}  // namespace
