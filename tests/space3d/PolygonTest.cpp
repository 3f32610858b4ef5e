// The animated polygon: property clamps, the animator's moves and bounces,
// and a worker that never outlives the control.
#include <gtest/gtest.h>

#include <QElapsedTimer>

#include <Tarnwell/space3d/Polygon.h>
#include <Tarnwell/space3d/Polygon_p.h>
#include "HiDpiUtil.h"
#include "Ratio2Screen.h"
#include "TestUtil.h"

using namespace Tarnwell;

TEST(Polygon, PropertyClampsAndDelay) {
  TAnimatedPolygon p;
  EXPECT_EQ(p.LineColor(), clRed);
  EXPECT_EQ(p.BackColor(), clBlack);
  p.setLates(20);
  EXPECT_EQ(p.Lates(), 15);
  p.setLates(0);
  EXPECT_EQ(p.Lates(), 2);
  p.setLines(0);
  EXPECT_EQ(p.Lines(), 1);
  p.setLines(99);
  EXPECT_EQ(p.Lines(), 31);
  p.setLineWidth(12);
  EXPECT_EQ(p.LineWidth(), 9);
  p.setVelocity(200);
  EXPECT_EQ(p.Animator()->Delay(), 0);
  p.setVelocity(1);
  EXPECT_EQ(p.Animator()->Delay(), 199);
  p.setVelocity(-5);
  EXPECT_EQ(p.Velocity(), 1);
  // Settings do not start an inactive control.
  EXPECT_FALSE(p.Active());
  EXPECT_EQ(FrameCount(p), 0);
}

TEST(Polygon, LatesReplacesAllButTheFirstVertex) {
  TAnimatedPolygon p;
  p.resize(200, 150);
  p.setLates(5);
  TPolyAnimatorThread* a = p.Animator();
  EXPECT_EQ(a->N(), 6);
  const TPolyPoint first = a->Point(2, 1);
  for (int tries = 0; tries < 5; ++tries) {
    p.setLates(tries % 2 ? 5 : 9);
    EXPECT_EQ(a->Point(2, 1).X, first.X);
    EXPECT_EQ(a->Point(2, 1).Y, first.Y);
    for (int i = 2; i < a->N(); ++i) {
      EXPECT_GE(a->Point(2, i).X, 1);
      EXPECT_LE(a->Point(2, i).X, 198);
      EXPECT_LE(a->Point(2, i).Y, 148);
      EXPECT_LE(std::abs(a->Velocity(i).X), 5);
    }
    // The closing point repeats the first.
    EXPECT_EQ(a->Point(2, a->N()).X, first.X);
  }
}

TEST(Polygon, VerticesMoveBounceAndKeepStillAxes) {
  TAnimatedPolygon p;
  p.resize(100, 80);
  p.setLates(3);
  TPolyAnimatorThread* a = p.Animator();
  const int f = a->Current();
  a->SetPoint(f, 1, {50, 40});
  a->SetVelocity(1, {0, 3});
  a->SetPoint(f, 2, {98, 40});
  a->SetVelocity(2, {5, 0});
  a->StepFrame();
  EXPECT_EQ(a->Point(a->Current(), 1).Y, 43);
  // Past the right edge: back to right - 2 with a leftward velocity within 3N.
  EXPECT_EQ(a->Point(a->Current(), 2).X, 98);
  EXPECT_LT(a->Velocity(2).X, 0);
  EXPECT_GE(a->Velocity(2).X, -3 * a->N());
  for (int i = 0; i < 500; ++i) {
    a->StepFrame();
    a->EraseOldFrame();
    ASSERT_EQ(a->Point(a->Current(), 1).X, 50);  // no x velocity: never moves along x
    ASSERT_GE(a->Point(a->Current(), 1).Y, 0);
    ASSERT_LE(a->Point(a->Current(), 1).Y, 79);
  }
}

TEST(Polygon, CurveAndTinyControls) {
  TAnimatedPolygon p;
  p.resize(60, 60);
  p.setBezier(true);
  p.setLates(4);
  TPolyAnimatorThread* a = p.Animator();
  a->StepFrame();
  EXPECT_EQ(a->CurveCount(a->Current()), 3 * a->N() - 2);
  // Width and height of 2 or less: valid random ranges, no crash.
  TAnimatedPolygon tiny;
  tiny.resize(2, 1);
  tiny.setLates(12);
  for (int i = 0; i < 100; ++i) tiny.Animator()->StepFrame();
  EXPECT_GE(tiny.Animator()->Point(tiny.Animator()->Current(), 3).X, 0);
}

TEST(Polygon, RunsDrawsAndDiesSafely) {
  TAnimatedPolygon p;
  p.resize(120, 90);
  p.setVelocity(190);
  p.setLines(4);
  p.setActive(true);
  EXPECT_TRUE(WaitUntil([&] { return FrameCount(p) > 10; }, 3000));
  int red = 0;
  const QImage img = p.Canvas();
  for (int y = 0; y < img.height(); ++y)
    for (int x = 0; x < img.width(); ++x) red += PixelAt(img, x, y) == clRed;
  EXPECT_GT(red, 5);
  p.setActive(false);
  QCoreApplication::processEvents();
  const int frames = FrameCount(p);
  WaitUntil([] { return false; }, 100);
  EXPECT_LE(FrameCount(p), frames + 1);
  // Destroyed while running, over and over (run under AddressSanitizer too).
  QElapsedTimer t;
  t.start();
  for (int i = 0; i < 20; ++i) {
    auto* q = new TAnimatedPolygon;
    q->resize(50, 50);
    q->setVelocity(200);
    q->setActive(true);
    WaitUntil([&] { return FrameCount(*q) > i % 3; }, 500);
    delete q;
  }
  EXPECT_LT(t.elapsed(), 10000);
}

// On a ratio-2 screen the frames are drawn at the screen's resolution: the
// canvas has its device pixels, a slanted edge is a smooth stroke of them
// (not steps of 2x2 blocks), and erasing the frame takes all of it away.
TEST(Polygon, DrawsForTheScreenItIsOn) {
  if (!HiDpi::OnARatio2Screen()) return;
  TAnimatedPolygon p;
  p.resize(80, 60);
  p.setLates(2);  // the edge from vertex 1 to vertex 2 and back
  TPolyAnimatorThread* a = p.Animator();
  ASSERT_EQ(p.Canvas().size(), QSize(160, 120));
  EXPECT_EQ(p.Canvas().devicePixelRatio(), 2);
  a->SetPoint(a->Current(), 1, {10, 10});
  a->SetPoint(a->Current(), 2, {70, 40});
  for (int i = 1; i <= 2; ++i) a->SetVelocity(i, {0, 0});
  a->StepFrame();
  const QImage& img = p.Canvas();
  const HiDpi::Ink red = [](QRgb c) { return (c & 0xFFFFFF) == 0xFF0000; };
  const QRect box = HiDpi::InkBox(img, QRect(0, 0, 160, 120), 1, red);
  EXPECT_NEAR(box.left(), 20, 2);
  EXPECT_NEAR(box.right() + 1, 142, 2);
  EXPECT_NEAR(box.top(), 20, 2);
  EXPECT_NEAR(box.bottom() + 1, 82, 2);
  int halfBlocks = 0;
  for (int y = 0; y < 120; y += 2)
    for (int x = 0; x < 160; x += 2) {
      const int n = red(img.pixel(x, y)) + red(img.pixel(x + 1, y)) + red(img.pixel(x, y + 1)) +
                    red(img.pixel(x + 1, y + 1));
      halfBlocks += n > 0 && n < 4;
    }
  EXPECT_GT(halfBlocks, 20);
  a->EraseOldFrame();  // the trail is one frame long: this one
  EXPECT_TRUE(HiDpi::InkBox(img, QRect(0, 0, 160, 120), 1, red).isEmpty());
}
