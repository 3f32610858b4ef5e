// The button bar: tick widths, edges, clicks, ranges and the timer's life.
#include <gtest/gtest.h>

#include <QSignalSpy>
#include <QTest>

#include <Tarnwell/slide/SldBBar.h>

#include "HiDpiUtil.h"
#include "TestUtil.h"

namespace {

QImage Strip(int w, int h) {
  QImage img(w, h, QImage::Format_RGB32);
  for (int x = 0; x < w; ++x)
    for (int y = 0; y < h; ++y) img.setPixel(x, y, qRgb(x % 256, y % 256, (x * 7) % 256));
  return img;
}

struct BigBar {
  QWidget form;
  TSlideButtonBar* bar = new TSlideButtonBar(&form);
  BigBar() {
    form.resize(623, 392);
    bar->setGeometry(4, 208, 58, 58);
    bar->setButtonCount(6);
    bar->setBitmap(Strip(348, 58));
    bar->setStepIn(24);
    bar->setStepOut(36);
    form.show();
  }
  void OpenFully() {
    bar->MouseEnter();
    for (int i = 0; i < 20 && bar->width() < 348; ++i) bar->Step();
  }
};

TEST(SlideBar, OpensAtStepOutToTheFullStripThenClosesAndStopsItsTimer) {
  BigBar b;
  EXPECT_EQ(b.bar->ButtonWidth(), 58);
  EXPECT_FALSE(b.bar->TimerActive());
  QSignalSpy opened(b.bar, &TSlideControl::SlideOpen);
  b.bar->MouseEnter();
  EXPECT_TRUE(b.bar->TimerActive());
  std::vector<int> widths{b.bar->width()};
  for (int i = 0; i < 12; ++i) {
    b.bar->Step();
    if (widths.back() != b.bar->width()) widths.push_back(b.bar->width());
  }
  const std::vector<int> expected{58, 94, 130, 166, 202, 238, 274, 310, 346, 348};
  EXPECT_EQ(widths, expected);
  EXPECT_EQ(opened.count(), 1);
  EXPECT_TRUE(b.bar->TimerActive());  // open and hot: it keeps ticking
  EXPECT_EQ(b.bar->x(), 4);

  b.bar->MouseLeave();
  int ticks = 0;
  while (b.bar->TimerActive() && ticks < 40) {
    b.bar->Step();
    ++ticks;
  }
  EXPECT_EQ(b.bar->width(), 58);
  EXPECT_FALSE(b.bar->TimerActive());
  EXPECT_EQ(ticks, 13);  // 348 -> 60 in 12 steps of 24, then the handle
}

TEST(SlideBar, LeftGrowingBarKeepsItsRightEdgeAndClosesToTheNarrowerButton) {
  QWidget form;
  form.resize(623, 392);
  auto* bar = new TSlideButtonBar(&form);
  bar->setGeometry(592, 152, 24, 24);
  bar->setButtonCount(13);
  bar->setBitmap(Strip(300, 24));
  bar->setDirection(slbToLeft);
  form.show();
  EXPECT_EQ(bar->ButtonWidth(), 23);
  bar->MouseEnter();
  for (int i = 0; i < 20; ++i) {
    bar->Step();
    EXPECT_EQ(bar->x() + bar->width(), 616) << "tick " << i;
  }
  EXPECT_EQ(bar->width(), 300);
  // The handle of a left-growing bar, at the right, is button 0 to events.
  EXPECT_EQ(bar->ButtonAt(280, 5), 13);
  QSignalSpy down(bar, &TSlideButtonBar::ButtonDown);
  QTest::mousePress(bar, Qt::LeftButton, {}, QPoint(280, 5));
  QTest::mouseRelease(bar, Qt::LeftButton, {}, QPoint(280, 5));
  ASSERT_EQ(down.count(), 1);
  EXPECT_EQ(down[0][1].toInt(), 0);
  EXPECT_EQ(bar->ButtonAt(5, 5), 1);
  bar->MouseLeave();
  for (int i = 0; i < 40 && bar->TimerActive(); ++i) {
    bar->Step();
    EXPECT_EQ(bar->x() + bar->width(), 616);
  }
  EXPECT_EQ(bar->width(), 23);
  EXPECT_FALSE(bar->TimerActive());
}

TEST(SlideBar, ReleaseOutsideThePressedButtonGivesNoClickAndKeepsTheBarOpen) {
  BigBar b;
  b.OpenFully();
  ASSERT_EQ(b.bar->width(), 348);
  QSignalSpy up(b.bar, &TSlideButtonBar::ButtonUp);
  QSignalSpy click(b.bar, &TSlideButtonBar::ButtonClick);
  QTest::mousePress(b.bar, Qt::LeftButton, {}, QPoint(2 * 58 + 20, 20));
  QTest::mouseRelease(b.bar, Qt::LeftButton, {}, QPoint(3 * 58 + 20, 20));
  EXPECT_EQ(up.count(), 1);
  EXPECT_EQ(up[0][1].toInt(), 2);
  EXPECT_EQ(click.count(), 0);
  b.bar->Step();
  EXPECT_EQ(b.bar->width(), 348);  // still hot, still open
}

TEST(SlideBar, ClickReportsThePressedButtonAndClosesAtTheNextTick) {
  BigBar b;
  b.OpenFully();
  int clicked = -1;
  b.bar->OnButtonClick = [&](TObject*, int index) { clicked = index; };
  QTest::mousePress(b.bar, Qt::LeftButton, {}, QPoint(4 * 58 + 10, 30));
  QTest::mouseRelease(b.bar, Qt::LeftButton, {}, QPoint(4 * 58 + 12, 31));
  EXPECT_EQ(clicked, 4);
  EXPECT_EQ(b.bar->HotIndex(), -1);
  b.bar->Step();
  EXPECT_EQ(b.bar->width(), 58);
  EXPECT_FALSE(b.bar->TimerActive());
}

TEST(SlideBar, ButtonsAreIgnoredUntilTheBarIsFullyOpen) {
  BigBar b;
  b.bar->MouseEnter();
  b.bar->Step();
  QSignalSpy down(b.bar, &TSlideButtonBar::ButtonDown);
  QTest::mousePress(b.bar, Qt::LeftButton, {}, QPoint(70, 20));
  EXPECT_EQ(down.count(), 0);
}

TEST(SlideBar, OutOfRangeCountsAndIntervalsAreIgnored) {
  TSlideButtonBar bar;
  bar.setButtonCount(6);
  bar.setButtonCount(0);
  bar.setButtonCount(256);
  EXPECT_EQ(bar.ButtonCount(), 6);
  bar.setButtonCount(255);
  EXPECT_EQ(bar.ButtonCount(), 255);
  bar.setInterval(0);
  bar.setInterval(1001);
  EXPECT_EQ(bar.Interval(), 50);
  bar.setInterval(1000);
  EXPECT_EQ(bar.Interval(), 1000);
  EXPECT_EQ(bar.property("Interval").toInt(), 1000);
  // A step of nothing, or backwards, would tick for ever.
  bar.setStepOut(-5);
  bar.setStepIn(0);
  EXPECT_EQ(bar.StepOut(), 1);
  EXPECT_EQ(bar.StepIn(), 1);
}

TEST(SlideBar, NothingToAnimateStopsTheTimer) {
  TSlideButtonBar empty;
  empty.MouseEnter();
  EXPECT_TRUE(empty.TimerActive());
  empty.Step();
  EXPECT_FALSE(empty.TimerActive());

  // Narrower than its buttons and not hot: nothing left to close.
  TSlideButtonBar narrow;
  narrow.setButtonCount(6);
  narrow.setBitmap(Strip(348, 58));
  narrow.resize(10, 58);
  narrow.ResumeTimer();
  narrow.Step();
  EXPECT_FALSE(narrow.TimerActive());
  EXPECT_EQ(narrow.width(), 10);

  // Switched off while open.
  BigBar b;
  b.OpenFully();
  b.bar->setActive(false);
  b.bar->Step();
  EXPECT_FALSE(b.bar->TimerActive());
}

TEST(SlideBar, ThePacingTimerRunsEveryIntervalOnTheGuiThread) {
  BigBar b;
  b.bar->setInterval(5);
  b.bar->MouseEnter();
  EXPECT_TRUE(WaitUntil([&] { return b.bar->width() == 348; }, 3000));
  b.bar->MouseLeave();
  EXPECT_TRUE(WaitUntil([&] { return !b.bar->TimerActive(); }, 3000));
  EXPECT_EQ(b.bar->width(), 58);
}

TEST(SlideBar, ShadesFollowTheFaceColour) {
  const TSlideShades teal = SlideShades(clTeal);
  EXPECT_EQ(teal.Highlight, clAqua);
  EXPECT_EQ(teal.Shadow, clNavy);
  EXPECT_EQ(teal.Disabled, clSilver);
  const TSlideShades face = SlideShades(clBtnFace);
  EXPECT_EQ(face.Highlight, clBtnHighlight);
  EXPECT_EQ(face.Disabled, clBtnShadow);
  const TSlideShades other = SlideShades(RGB(1, 2, 3));
  EXPECT_EQ(other.Highlight, clBlack);
  EXPECT_EQ(other.Shadow, clWhite);

  TSlideButtonBar bar;
  bar.setColor(clMaroon);
  EXPECT_EQ(bar.HighlightColor(), clRed);
  EXPECT_EQ(bar.ShadowColor(), clBlack);
  // A custom control keeps the shades it was given.
  bar.setCustom(true);
  bar.setColor(clWhite);
  EXPECT_EQ(bar.HighlightColor(), clRed);
}

TEST(SlideBar, StripIsDrawnWithTheHandleFixedAndTheRightPartSlidingOut) {
  BigBar b;
  b.bar->MouseEnter();
  b.bar->Step();  // 94 wide
  const QImage shot = b.bar->grab().toImage();
  const QImage strip = b.bar->Bitmap();
  // Handle columns come from the strip's start, the rest from its far end.
  EXPECT_EQ(shot.pixel(10, 10) & 0xFFFFFF, strip.pixel(10, 10) & 0xFFFFFF);
  EXPECT_EQ(shot.pixel(93, 10) & 0xFFFFFF, strip.pixel(347, 10) & 0xFFFFFF);
  EXPECT_EQ(shot.pixel(58, 10) & 0xFFFFFF, strip.pixel(348 + 58 - 94, 10) & 0xFFFFFF);
}

// A strip made for a high-density screen (devicePixelRatio 2) is laid out
// by its logical size, as a bar's strip and as a custom menu's picture:
// buttons, rows, opening and clicks as for its 1x twin, and painted at
// ratio 2 it shows its own pixels, not half of them enlarged.
TEST(SlideBar, AStripMadeForARatio2ScreenKeepsItsLogicalSize) {
  QImage sharp = Strip(696, 116);
  sharp.setDevicePixelRatio(2);
  BigBar b;
  b.bar->setBitmap(sharp);
  EXPECT_EQ(b.bar->ButtonWidth(), 58);
  b.OpenFully();
  EXPECT_EQ(b.bar->width(), 348);
  EXPECT_EQ(b.bar->height(), 58);
  QImage shot = HiDpi::Render(b.bar, 2);
  EXPECT_EQ(shot.pixel(300, 100) & 0xFFFFFF, sharp.pixel(300, 100) & 0xFFFFFF);
  EXPECT_EQ(shot.pixel(301, 101) & 0xFFFFFF, sharp.pixel(301, 101) & 0xFFFFFF);

  QWidget form;
  form.resize(623, 392);
  auto* m = new TSlideMenu(&form);
  m->setGeometry(376, 352, 205, 39);
  m->setCustom(true);
  m->setButtonCount(10);
  QImage pic = Strip(410, 780);
  pic.setDevicePixelRatio(2);
  m->setBitmap(pic);
  m->setStepOut(40);
  form.show();
  m->MouseEnter();
  for (int i = 0; i < 20; ++i) m->Step();
  EXPECT_EQ(m->height(), 390);
  int clicked = -1;
  m->OnButtonClick = [&](TObject*, int i) { clicked = i; };
  QTest::mousePress(m, Qt::LeftButton, {}, QPoint(50, 39 * 2 + 5));
  QTest::mouseRelease(m, Qt::LeftButton, {}, QPoint(50, 39 * 2 + 6));
  EXPECT_EQ(clicked, 2);
  m->MouseEnter();
  for (int i = 0; i < 20; ++i) m->Step();
  shot = HiDpi::Render(m, 2);
  EXPECT_EQ(shot.pixel(201, 301) & 0xFFFFFF, pic.pixel(201, 301) & 0xFFFFFF);
}

}  // namespace
