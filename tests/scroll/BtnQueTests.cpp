#include <gtest/gtest.h>

#include <QMouseEvent>
#include <QSignalSpy>
#include <QTest>

#include <Tarnwell/scroll/BtnQueDs.h>
#include <Tarnwell/scroll/BtnQueDs_p.h>

#include "TestUtil.h"

namespace {

QImage Render(QWidget& w) { return w.grab().toImage().convertToFormat(QImage::Format_RGB32); }

TEST(BtnQueDisplay, PlacesBarsAndFillsGapsWithAFiller) {
  TBtnQueDisplay q;
  EXPECT_TRUE(q.AutoWidth());
  EXPECT_EQ(q.AddButton("a", -1, 1, -1, 0, clRed, 30), 0);
  EXPECT_EQ(q.AddButton("b", -1, 2, -1, 0, clBlue, 40), 1);
  EXPECT_EQ(q.Button(0).X, 0);
  EXPECT_EQ(q.Button(1).X, 30);
  EXPECT_EQ(q.width(), 70);
  EXPECT_EQ(q.AddButton("c", 100, 3, -1, 0, clLime, 10), 3);
  ASSERT_EQ(q.ButtonCount(), 4);
  EXPECT_EQ(q.Button(2).X, 70);
  EXPECT_EQ(q.Button(2).Width, 30);
  EXPECT_EQ(q.Button(2).Color, clBlack);
  EXPECT_TRUE(q.Button(2).Caption.isEmpty());
  EXPECT_EQ(q.width(), 110);
  // Painting leaves the width alone; FitWidth follows the last bar.
  q.setAutoWidth(false);
  q.resize(500, 24);
  (void)Render(q);
  EXPECT_EQ(q.width(), 500);
  q.FitWidth();
  EXPECT_EQ(q.width(), 110);
  q.ClearButtons();
  q.FitWidth();
  EXPECT_EQ(q.width(), 1);
}

TEST(BtnQueDisplay, BevelWidthIsKeptInRange) {
  TBtnQueDisplay q;
  q.setBevelWidth(7);
  EXPECT_EQ(q.BevelWidth(), 4);
  q.setBevelWidth(0);
  EXPECT_EQ(q.BevelWidth(), 1);
  q.setProperty("BevelWidth", 3);
  EXPECT_EQ(q.BevelWidth(), 3);
}

TEST(BtnQueDisplay, ShadesHatchesAndPressedLook) {
  EXPECT_EQ(BtnQueShades(clTeal).Dark, clNavy);
  EXPECT_EQ(BtnQueShades(clTeal).Text, clBlack);
  EXPECT_EQ(BtnQueShades(clWhite).Light, clBlack);
  EXPECT_EQ(BtnQueShades(0x123456).Dark, clBlack);

  TBtnQueDisplay q;
  q.resize(100, 24);
  q.AddButton("", -1, {}, -1, 3, clYellow, 60);  // vertical lines
  QImage img = Render(q);
  // Vertical hatch lines every 5 pixels from x 4, in the dark shade (olive).
  EXPECT_EQ(PixelAt(img, 9, 12), clOlive);
  EXPECT_EQ(PixelAt(img, 14, 12), clOlive);
  EXPECT_EQ(PixelAt(img, 11, 12), clYellow);
  // Raised: light shade top-left, dark shade bottom-right.
  EXPECT_EQ(PixelAt(img, 0, 10), clWhite);
  EXPECT_EQ(PixelAt(img, 59, 10), clOlive);

  QTest::mousePress(&q, Qt::LeftButton, {}, QPoint(20, 10));
  img = Render(q);
  EXPECT_EQ(PixelAt(img, 0, 10), clOlive);  // pressed: shades swapped
  EXPECT_EQ(PixelAt(img, 59, 10), clWhite);
  QTest::mouseRelease(&q, Qt::LeftButton, {}, QPoint(20, 10));
  img = Render(q);
  EXPECT_EQ(PixelAt(img, 0, 10), clWhite);
}

TEST(BtnQueDisplay, MouseEventsAndClicks) {
  TBtnQueDisplay q;
  q.resize(200, 24);
  q.AddButton("a", -1, QString("A"), -1, 0, clRed, 50);
  q.AddButton("b", -1, QString("B"), -1, 0, clBlue, 50);
  QSignalSpy down(&q, &TBtnQueDisplay::ButtonDown), up(&q, &TBtnQueDisplay::ButtonUp),
      click(&q, &TBtnQueDisplay::ButtonClick);
  int assignedClicks = 0;
  q.OnButtonClick = [&](TObject*, int, const QVariant&) { ++assignedClicks; };

  QTest::mouseClick(&q, Qt::LeftButton, {}, QPoint(70, 10));
  ASSERT_EQ(down.count(), 1);
  EXPECT_EQ(down.at(0).at(1).toInt(), 1);
  EXPECT_EQ(down.at(0).at(2).toString(), "B");
  ASSERT_EQ(click.count(), 1);
  EXPECT_EQ(click.at(0).at(1).toInt(), 1);
  EXPECT_EQ(assignedClicks, 1);

  // Released outside the pressed bar: an up, no click.
  QTest::mousePress(&q, Qt::LeftButton, {}, QPoint(10, 10));
  QMouseEvent move(QEvent::MouseMove, QPointF(150, 10), QPointF(150, 10), Qt::NoButton, Qt::LeftButton, {});
  QCoreApplication::sendEvent(&q, &move);
  QTest::mouseRelease(&q, Qt::LeftButton, {}, QPoint(150, 10));
  EXPECT_EQ(up.count(), 2);
  EXPECT_EQ(up.last().at(1).toInt(), 0);
  EXPECT_EQ(click.count(), 1);

  // Clicks switched off: events report no bar.
  q.setClickEnabled(false);
  QTest::mouseClick(&q, Qt::LeftButton, {}, QPoint(10, 10));
  EXPECT_EQ(down.last().at(1).toInt(), -1);
  EXPECT_EQ(click.count(), 1);

  // No bars: a press does nothing but report -1.
  TBtnQueDisplay empty;
  empty.resize(50, 24);
  QSignalSpy emptyDown(&empty, &TBtnQueDisplay::ButtonDown);
  QTest::mouseClick(&empty, Qt::LeftButton, {}, QPoint(10, 10));
  ASSERT_EQ(emptyDown.count(), 1);
  EXPECT_EQ(emptyDown.at(0).at(1).toInt(), -1);
}

struct Schedule {
  TScrollRule rule;
  TBtnQuePeriodDisplay line;
  Schedule() {
    rule.setValueType(srvDate);
    rule.setStepSize(80);
    rule.setStepValue("1");
    rule.SetStartNumber(46000);
    line.setRule(&rule);
    line.resize(50, 20);
  }
};

TEST(BtnQuePeriodDisplay, PeriodsPlacedOnTheRule) {
  Schedule s;
  s.line.AddPeriod("due giorni", clRed, 46001, 46003, 0, -1, {});
  s.line.RebuildButtons();
  ASSERT_EQ(s.line.ButtonCount(), 2);  // a filler from 0, then the period
  EXPECT_EQ(s.line.Button(0).Width, 80);
  EXPECT_EQ(s.line.Button(1).X, 80);
  EXPECT_EQ(s.line.Button(1).Width, 160);
  EXPECT_EQ(s.line.width(), 240);

  // Whole days count by calendar day: 20:00 to 00:48 two days later is 28 h.
  TPeriodObject p;
  p.Start = 46001 + 20.0 / 24;
  p.Stop = p.Start + 1.2;
  int x = 0, w = 0;
  ASSERT_TRUE(s.line.PeriodToPixels(p, x, w));
  EXPECT_EQ(x, 80 + 66);
  EXPECT_EQ(w, 28 * 80 / 24);
}

TEST(BtnQuePeriodDisplay, SameStartsMergeAndOrderIsKept) {
  Schedule s;
  EXPECT_EQ(s.line.AddPeriod("b", clRed, 46005, 46006, 0, -1, {}), 0);
  EXPECT_EQ(s.line.AddPeriod("a", clRed, 46002, 46004, 0, -1, {}), 0);
  EXPECT_EQ(s.line.AddPeriod("a2", clBlue, 46002, 46003, 0, -1, {}), 0);
  ASSERT_EQ(s.line.PeriodCount(), 2);
  EXPECT_EQ(s.line.Period(0).Caption, "a2");
  EXPECT_EQ(s.line.Period(0).Stop, 46004);  // the later stop stays
  EXPECT_EQ(s.line.AddPeriod("a3", clBlue, 46002, 46008, 0, -1, {}), 0);
  EXPECT_EQ(s.line.Period(0).Stop, 46008);
  EXPECT_EQ(s.line.FindPeriod(46005), 1);
  EXPECT_EQ(s.line.FindPeriod(46007), -1);
}

TEST(BtnQuePeriodDisplay, PeriodsThatCannotBePlacedAreLeftOut) {
  Schedule s;
  s.rule.setValueType(srvDateTime);
  s.rule.setStepValue(RuleTimeText(0.5 / 24));  // half an hour: under one hour
  s.line.AddPeriod("x", clRed, 46001, 46002, 0, -1, {});
  s.line.RebuildButtons();
  EXPECT_EQ(s.line.ButtonCount(), 0);
  s.rule.setStepValue(RuleTimeText(6.0 / 24));  // six hours a cell
  s.rule.SetStartNumber(46001);
  s.line.RebuildButtons();
  ASSERT_EQ(s.line.ButtonCount(), 1);
  EXPECT_EQ(s.line.Button(0).Width, 4 * 80);
  s.line.setRule(nullptr);
  s.line.RebuildButtons();
  EXPECT_EQ(s.line.ButtonCount(), 0);
}

TEST(BtnQuePeriodDisplay, PaintingDrawsOnlyTheVisibleBars) {
  Schedule s;
  for (int i = 0; i < 10000; ++i) s.line.AddPeriod(QString::number(i), clSilver, 46000 + i, 46001 + i, 0, -1, {});
  s.line.RebuildButtons();
  EXPECT_EQ(s.line.ButtonCount(), 10000);
  EXPECT_EQ(s.line.width(), 800000);
  (void)s.line.grab(QRect(4000, 0, 400, 20));
  EXPECT_LE(LastPaintedCount(s.line), 7);
  EXPECT_GE(LastPaintedCount(s.line), 5);
}

}  // namespace

// From the keyboard: the arrows choose the bar, Space clicks it on release,
// Enter at once; with clicks disabled nothing fires.
TEST(BtnQueKeys, ArrowsChooseSpaceAndEnterClick) {
  TBtnQueDisplay q;
  q.AddButton("a", -1, 1, -1, 0, clRed, 30);
  q.AddButton("b", -1, 2, -1, 0, clBlue, 40);
  q.AddButton("c", -1, 3, -1, 0, clLime, 20);
  EXPECT_TRUE(q.focusPolicy() & Qt::TabFocus);
  QSignalSpy click(&q, &TBtnQueDisplay::ButtonClick);
  QTest::keyClick(&q, Qt::Key_Right);
  QTest::keyPress(&q, Qt::Key_Space);
  EXPECT_EQ(q.PressedButton(), 1);
  EXPECT_EQ(click.count(), 0);
  QTest::keyRelease(&q, Qt::Key_Space);
  ASSERT_EQ(click.count(), 1);
  EXPECT_EQ(click.at(0).at(2).toInt(), 2);  // the bar's data
  QTest::keyClick(&q, Qt::Key_End);
  QTest::keyClick(&q, Qt::Key_Right);  // stays on the last
  QTest::keyClick(&q, Qt::Key_Return);
  ASSERT_EQ(click.count(), 2);
  EXPECT_EQ(click.at(1).at(1).toInt(), 2);
  q.setClickEnabled(false);
  QTest::keyClick(&q, Qt::Key_Return);
  EXPECT_EQ(click.count(), 2);
  EXPECT_EQ(q.PressedButton(), -1);
}
