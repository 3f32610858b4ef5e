#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include <Tarnwell/measure/Measdisp.h>
#include <Tarnwell/measure/ScaleText_p.h>
#include "MeasureTestUtil.h"
#include <Tarnwell/platform/TResources.h>

using namespace Tarnwell;

using namespace Measdisp;

namespace {

// A monitor drawing on its own raster surface.
template <class Kind>
struct Rig {
  TBitmap surface;
  Kind m;
  Rig(int w, int h) : surface(w, h), m(&surface.Canvas()) {
    surface.Canvas().Font().SetName("Arial");
    surface.Canvas().Font().SetHeight(-11);
    surface.Canvas().Brush().SetColor(clSilver);
    m.SetFont(surface.Canvas().Font());
    m.Width = w;
    m.Height = h;
    m.SetMaxValue(100);
  }
  QImage Image() { return surface.Image(); }
};

constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();
constexpr double kInf = std::numeric_limits<double>::infinity();

}  // namespace

TEST(MeasureMonitor, FormatsValues) {
  EXPECT_EQ(TMeasureMonitor::FormatValue(0, 2), "0");
  EXPECT_EQ(TMeasureMonitor::FormatValue(-0.0, 3), "0");
  EXPECT_EQ(TMeasureMonitor::FormatValue(1.5, 2), "1.50");
  EXPECT_EQ(TMeasureMonitor::FormatValue(1234567.25, 1), "1234567.3");  // no group separators
  EXPECT_EQ(TMeasureMonitor::FormatValue(-45, 0), "-45");
  TBitmap b(10, 10);
  TMeasureLabel m(&b.Canvas());
  EXPECT_EQ(m.ControlName(), "MeasureLabel");
  EXPECT_EQ(m.ValueText(), "0");
  m.SetDecimalDigits(2);
  m.SetControlValue(3);
  EXPECT_EQ(m.ValueText(), "3.00");
  m.SetControlValue(0);
  EXPECT_EQ(m.ValueText(), "0");
  m.SetWithWhat(true);
  EXPECT_EQ(m.HeaderUnits(), 20);
}

TEST(MeasureMonitor, GaugeBarIsClampedAndNeverDividesByZero) {
  Rig<TMeasureGauge> r(200, 80);
  r.m.Paint();
  const int left = r.m.Left, right = r.m.Right;
  ASSERT_LT(left, right);
  r.m.SetControlValue(50);
  EXPECT_EQ(r.m.BarEnd(), left + nearest(0.5 * (right - left)));
  for (double v : {1e300, kInf}) {
    r.m.SetControlValue(v);
    EXPECT_EQ(r.m.BarEnd(), right);
  }
  for (double v : {-1e300, -kInf, kNaN}) {
    r.m.SetControlValue(v);
    EXPECT_EQ(r.m.BarEnd(), left);
  }
  r.m.SetMaxValue(0);  // = MinValue
  r.m.SetControlValue(5);
  EXPECT_EQ(r.m.BarEnd(), left);
  r.m.Update();
  // The bar is empty: the inside of the trough stays white.
  EXPECT_EQ(PixelAt(r.Image(), left + 5, (r.m.Top + r.m.Bottom) / 2), clWhite);
}

TEST(MeasureMonitor, MeterNeedleAngles) {
  Rig<TMeasureMeter> r(160, 160);
  r.m.SetMinValue(4);
  r.m.SetMaxValue(76);
  r.m.SetControlValue(4);
  EXPECT_EQ(r.m.ComputeNeedleAngle(), 160);
  r.m.SetControlValue(76);
  EXPECT_EQ(r.m.ComputeNeedleAngle(), 380);
  r.m.SetControlValue(150);  // the ramp goes past the custom range: the needle rests at its stop
  EXPECT_EQ(r.m.ComputeNeedleAngle(), 380);
  r.m.SetControlValue(-45);
  EXPECT_EQ(r.m.ComputeNeedleAngle(), 160);
  r.m.SetControlValue(kNaN);
  EXPECT_EQ(r.m.ComputeNeedleAngle(), 160);
  r.m.SetMaxValue(4);
  r.m.SetControlValue(40);
  EXPECT_EQ(r.m.ComputeNeedleAngle(), 160);
  // Drawn: the needle of 270 degrees points straight up from the centre.
  r.m.SetMaxValue(76);
  r.m.SetControlValue(40);
  r.m.Paint();
  EXPECT_EQ(r.m.NeedleAngle, 270);
  const QImage img = r.Image();
  EXPECT_EQ(PixelAt(img, r.m.CenterX, r.m.CenterY - r.m.Radius / 2), clBlack);
  r.m.Stop = true;
  r.m.Update();
  EXPECT_EQ(PixelAt(r.Image(), r.m.CenterX, r.m.CenterY - r.m.Radius / 2), clRed);
}

TEST(MeasureMonitor, LampColours) {
  Rig<TMeasureOnOff> r(100, 100);
  r.m.SetControlValue(50);
  r.m.Paint();
  // The lamp's centre shows the lamp colour (the last, innermost disc).
  auto centre = [&] { return PixelAt(r.Image(), 50, 50); };
  EXPECT_EQ(r.m.LampColor(), clLime);
  const int s = std::min(100 + (-11 * 10 / 7), 80), t = -(-11 * 10 / 8);
  const int top = t + (100 - t - s) / 2 - 1;
  EXPECT_EQ(PixelAt(r.Image(), 50, top + s / 2), clLime);
  r.m.SetControlValue(150);
  r.m.Update();
  EXPECT_EQ(PixelAt(r.Image(), 50, top + s / 2), clRed);
  r.m.SetControlValue(50);
  r.m.Stop = true;
  r.m.Update();
  EXPECT_EQ(r.m.LampColor(), clRed);
  r.m.Stop = false;
  r.m.SetControlValue(kNaN);
  EXPECT_EQ(r.m.LampColor(), clRed);
  (void)centre;
}

TEST(MeasureMonitor, GraphHistoryAndContinuity) {
  Rig<TMeasureGraph> r(200, 120);
  r.m.SetMinValue(-50);
  r.m.SetMaxValue(150);
  r.m.Paint();
  EXPECT_EQ(r.m.History.Capacity() >= 1024, true);
  // The first segment is flat: LastY starts at -1 and takes the new point.
  EXPECT_EQ(r.m.LastY, -1);
  r.m.SetControlValue(100);
  r.m.Update();
  EXPECT_EQ(r.m.LastY, r.m.PointY(100));
  for (int i = 0; i < 1025; ++i) {
    r.m.SetControlValue(i % 200 - 50);
    r.m.Update();
  }
  EXPECT_EQ(r.m.History.Count(), 1024);
  EXPECT_EQ(r.m.History.Item(1023), 1024 % 200 - 50);
  // A repaint leaves the pen at the newest point, so the next update does
  // not draw a jump from the oldest point drawn.
  r.m.Paint();
  EXPECT_EQ(r.m.LastY, r.m.PointY(r.m.History.Item(1023)));
  // Points stay inside the plot for any value, and a flat range sits at the bottom.
  EXPECT_EQ(r.m.PointY(1e300), r.m.Top + 1);
  EXPECT_EQ(r.m.PointY(-kInf), r.m.Bottom - 1);
  r.m.SetMaxValue(-50);
  EXPECT_EQ(r.m.PointY(20), r.m.Bottom - 1);
}

TEST(MeasureMonitor, ThermometerLevel) {
  Rig<TMeasureTermo> r(80, 240);
  r.m.SetMinValue(-50);
  r.m.SetMaxValue(150);
  r.m.SetControlValue(150);
  r.m.Paint();
  const int top = r.m.Top + r.m.BulbRadius + 1, bottom = r.m.BulbY - 2 * r.m.BulbRadius;
  EXPECT_EQ(r.m.Level, top);
  r.m.SetControlValue(-50);
  EXPECT_EQ(r.m.ComputeLevel(), bottom);
  r.m.SetControlValue(1e300);
  EXPECT_EQ(r.m.ComputeLevel(), top);
  r.m.SetControlValue(kNaN);
  EXPECT_EQ(r.m.ComputeLevel(), bottom);
  r.m.SetMaxValue(-50);
  EXPECT_EQ(r.m.ComputeLevel(), top);  // an empty range shows a full column
  // Out of range at paint: the bulb turns red.
  r.m.SetMaxValue(150);
  r.m.SetControlValue(300);
  r.m.Paint();
  EXPECT_EQ(PixelAt(r.Image(), r.m.AxisX, r.m.BulbY), clRed);
  r.m.SetControlValue(20);
  r.m.Paint();
  EXPECT_EQ(PixelAt(r.Image(), r.m.AxisX, r.m.BulbY), clLime);
}

TEST(MeasureMonitor, EveryKindPaintsAtAnySize) {
  for (QSize s : {QSize(0, 0), QSize(1, 1), QSize(2, 2), QSize(2000, 40), QSize(40, 2000), QSize(7, 300)}) {
    TMeasureDisplay d;
    d.resize(s);
    QImage strip(30, 10, QImage::Format_RGB32);
    strip.fill(Qt::red);
    d.setAnimImage(strip);
    d.setStatImage(strip);
    for (auto style : {mdAnima, mdLevel, mdValue, mdMeter, mdImage, mdOnOff, mdGraph, mdTermo}) {
      d.setDisplayStyle(style);
      d.setWithWhat(!d.WithWhat());
      d.setControlValue(d.ControlValue() + 1);
      d.setStop(!d.Stop());
      d.Animate();
      d.Paint();
      d.setMaxValue(d.MinValue());
      d.Paint();
      d.setMaxValue(100);
    }
    EXPECT_EQ(d.Surface().width(), s.width());
  }
}

TEST(MeasureDisplay, ValueChangesFireOnceAndOnlyOnChange) {
  TMeasureDisplay d;
  d.resize(120, 100);
  d.setControlID(7);
  int calls = 0;
  double seenOld = -1, seenNew = -1;
  d.OnChangeValue = [&](TObject* sender, int id, double o, double n) {
    EXPECT_EQ(sender, &d);
    EXPECT_EQ(id, 7);
    seenOld = o;
    seenNew = n;
    ++calls;
  };
  d.setControlValue(12.5);
  EXPECT_EQ(calls, 1);
  EXPECT_EQ(seenOld, 0);
  EXPECT_EQ(seenNew, 12.5);
  const QImage before = d.Surface();
  d.setControlValue(12.5);
  EXPECT_EQ(calls, 1);
  EXPECT_EQ(d.Surface(), before);  // an equal value draws nothing
  // Stop redraws through an update: the graph takes a point for it.
  d.setDisplayStyle(mdGraph);
  auto* g = static_cast<TMeasureGraph*>(d.Monitor());
  const int count = g->History.Count();
  d.setStop(true);
  EXPECT_EQ(g->History.Count(), count + 1);
  EXPECT_EQ(calls, 1);
}

TEST(MeasureDisplay, StyleChangeKeepsTheState) {
  TMeasureDisplay d;
  d.resize(150, 120);
  d.setDecimalDigits(2);
  d.setControlValue(3.25);
  d.setStop(true);
  d.setWithWhat(true);
  d.setDisplayStyle(mdLevel);
  TMeasureMonitor* m = d.Monitor();
  ASSERT_NE(dynamic_cast<TMeasureGauge*>(m), nullptr);
  EXPECT_EQ(m->ValueText(), "3.25");
  EXPECT_EQ(m->MaxText(), "100.00");
  EXPECT_TRUE(m->Stop);
  EXPECT_TRUE(m->WithWhat());
  EXPECT_EQ(m->ControlValue(), 3.25);
  // The picture agrees: the bar is red while stopped.
  auto* g = static_cast<TMeasureGauge*>(m);
  EXPECT_EQ(PixelAt(d.Surface(), g->Left + 2, (g->Top + g->Bottom) / 2), clRed);
}

TEST(MeasureDisplay, AnimationCyclesAndKeepsTheArtwork) {
  TMeasureDisplay d;
  d.resize(120, 120);
  // Four 10 x 10 frames; the background key colour is the bottom-left pixel
  // (white); frame k has a 4 x 4 navy square at (k*2, 2).
  QImage strip(40, 10, QImage::Format_RGB32);
  strip.fill(Qt::white);
  for (int k = 0; k < 4; ++k)
    for (int y = 2; y < 6; ++y)
      for (int x = 0; x < 4; ++x) strip.setPixel(k * 10 + k * 2 + x, y, qRgb(0, 0, 128));
  d.setAnimImage(strip);
  d.setDisplayStyle(mdAnima);
  auto* a = static_cast<TMeasureAnima*>(d.Monitor());
  EXPECT_EQ(a->FrameCount, 4);
  // Repeated colour changes: one of them navy, the colour of the artwork.
  for (TColor c : {clNavy, clRed, clSilver}) d.setColor(c);
  EXPECT_EQ(d.AnimBitmap().Image(), strip.convertToFormat(d.AnimBitmap().Image().format()));
  const QImage& prepared = a->PreparedStrip().Image();
  EXPECT_EQ(PixelAt(prepared, 0, 9), clSilver);
  EXPECT_EQ(PixelAt(prepared, 12, 3), clNavy);  // artwork unchanged by the navy round
  int seen = 0;
  for (int i = 0; i < 8; ++i) {
    d.Animate();
    seen |= 1 << a->FrameIndex;
  }
  EXPECT_EQ(seen, 0b1111);
  // Stopped: the animation stands still on its stop picture.
  d.setStop(true);
  const int frozen = a->FrameIndex;
  const QImage before = d.Surface();
  d.Animate();
  EXPECT_EQ(a->FrameIndex, frozen);
  EXPECT_EQ(d.Surface(), before);
  // Other styles ignore Animate.
  d.setDisplayStyle(mdLevel);
  const QImage level = d.Surface();
  d.Animate();
  EXPECT_EQ(d.Surface(), level);
}

TEST(MeasureDisplay, EmptyStripGivesNoFrames) {
  TMeasureDisplay d;
  d.resize(100, 100);
  d.setDisplayStyle(mdAnima);
  auto* a = static_cast<TMeasureAnima*>(d.Monitor());
  EXPECT_EQ(a->FrameCount, 0);
  const QImage before = d.Surface();
  d.Animate();
  EXPECT_EQ(d.Surface(), before);
}

TEST(MeasureDisplay, BordersAndUpdateOnlyTouchTheValue) {
  TMeasureDisplay d;
  d.resize(120, 100);
  d.setColor(clSilver);
  d.setBorderStyle(mdbBoxRaised);
  EXPECT_EQ(PixelAt(d.Surface(), 0, 50), clWhite);
  EXPECT_EQ(PixelAt(d.Surface(), 119, 50), clGray);
  d.setBorderStyle(mdbBoxLowered);
  EXPECT_EQ(PixelAt(d.Surface(), 0, 50), clGray);
  EXPECT_EQ(PixelAt(d.Surface(), 119, 50), clWhite);
  d.setDisplayStyle(mdMeter);
  d.setControlName("Dial");
  const QImage before = d.Surface();
  d.setControlValue(60);
  const QImage after = d.Surface();
  // The caption line is untouched by a value update.
  for (int y = 1; y < 12; ++y)
    for (int x = 1; x < 119; ++x) ASSERT_EQ(before.pixel(x, y), after.pixel(x, y)) << x << "," << y;
  DumpImage(after, "measure-meter");
}

TEST(MeasureDisplay, IncrementalUpdatesMatchAFullPaint) {
  // Updates redraw only what changed (the bar's strip, the lamp when its
  // state changes, the needle): the result must equal painting afresh.
  for (auto style : {mdLevel, mdOnOff, mdMeter, mdTermo, mdValue}) {
    TMeasureDisplay d;
    d.resize(200, 120);
    d.setDisplayStyle(style);
    d.setMinValue(-50);
    d.setMaxValue(150);
    for (double v : {10.0, 120.0, 30.0, 200.0, 40.0, 35.0}) d.setControlValue(v);
    d.setStop(true);
    d.setControlValue(60);
    d.setStop(false);
    d.setControlValue(55);
    const QImage incremental = d.Surface();
    d.Paint();
    EXPECT_EQ(incremental, d.Surface()) << style;
  }
}

TEST(MeasureDisplay, PicturesLookRight) {
  // Every kind as a design surface would show it (TARNWELL_DUMP_DIR to look).
  QImage strip = LoadResourcePicture("MEASANIM");
  QImage still = LoadResourcePicture("MEASSTAT");
  int i = 0;
  for (auto style : {mdAnima, mdLevel, mdValue, mdMeter, mdImage, mdOnOff, mdGraph, mdTermo}) {
    TMeasureDisplay d;
    d.resize(160, 160);
    d.setColor(clBtnFace);
    d.setAnimImage(strip);
    d.setStatImage(still);
    d.setDisplayStyle(style);
    d.setControlName("Pressione");
    d.setControlWhat("bar");
    d.setWithWhat(true);
    d.setMinValue(-50);
    d.setMaxValue(150);
    d.setDecimalDigits(1);
    for (int v = -45; v <= 60; v += 5) d.setControlValue(v);
    d.Animate();
    d.Paint();
    DumpImage(d.Surface(), QString("measdisp-%1").arg(i++));
    // The label, animation and image kinds write the number on the value line.
    if (style == mdValue || style == mdAnima || style == mdImage) {
      EXPECT_LT(CountColor(d.Surface(), Rect(40, 145, 120, 159), ColorToRGB(clBtnFace)), 80 * 14) << style;
    }
  }
}

// The strip chart draws its trace with a 2-pixel pen: every column of the
// plot that holds history must show it, for a steady signal (zero-length
// steps) as for a moving one, after updates and after a full repaint.
TEST(MeasureMonitor, GraphTraceHasNoHoles) {
  for (bool steady : {true, false}) {
    Rig<TMeasureGraph> r(200, 120);
    r.m.SetMinValue(-50);
    r.m.SetMaxValue(150);
    r.m.Paint();
    constexpr int kUpdates = 80;
    for (int i = 0; i < kUpdates; ++i) {
      r.m.SetControlValue(steady ? 50 : 50 + 90 * std::sin(i / 5.0));
      r.m.Update();
    }
    auto holes = [&](const QImage& img) {
      int n = 0;
      for (int x = r.m.Right - kUpdates + 2; x <= r.m.Right - 2; ++x) {
        bool ink = false;
        for (int y = r.m.Top + 1; y < r.m.Bottom - 1 && !ink; ++y) ink = PixelAt(img, x, y) == clBlack;
        if (!ink) ++n;
      }
      return n;
    };
    ASSERT_GT(r.m.Right - r.m.Left, kUpdates + 4);
    EXPECT_EQ(holes(r.Image()), 0) << (steady ? "steady" : "sine") << " after updates";
    r.m.Paint();
    EXPECT_EQ(holes(r.Image()), 0) << (steady ? "steady" : "sine") << " after a repaint";
  }
}

TEST(MeasureMonitor, ScaleDecimalsShowEveryTick) {
  EXPECT_EQ(ScaleText::Decimals(-50, 150, 5, 0), 0);
  EXPECT_EQ(ScaleText::Decimals(0, 7, 10, 0), 1);
  EXPECT_EQ(ScaleText::Decimals(4, 76, 5, 0), 1);
  EXPECT_EQ(ScaleText::Decimals(0, 100, 5, 2), 2);  // never fewer than asked
  EXPECT_EQ(ScaleText::Decimals(0, 1, 3, 0), 3);    // thirds: as close as it gets
  EXPECT_EQ(ScaleText::Decimals(0, kNaN, 5, 1), 1);
  EXPECT_EQ(ScaleText::Tick(4, 76, 5, 5), 76);
  EXPECT_EQ(ScaleText::Tick(4, 76, 0, 5), 4);
}

namespace {
int CountOf(const QImage& img, TColor c) {
  const QRgb want = ToQColor(c).rgb();
  int n = 0;
  for (int y = 0; y < img.height(); ++y)
    for (int x = 0; x < img.width(); ++x)
      if (img.pixel(x, y) == want) ++n;
  return n;
}
}  // namespace

// The measure display's thermometer and level bar with an alarm level: off
// by default and then the classic picture; on, the level is marked and the
// value turns to the alarm colour at the level, also through the updates
// that only redraw what the value changed.
TEST(MeasureDisplay, AlarmLevelOnTheThermometerAndTheLevelBar) {
  for (TMeasureDisplayStyle style : {mdTermo, mdLevel}) {
    SCOPED_TRACE(int(style));
    TMeasureDisplay d;
    d.resize(160, 200);
    d.setDisplayStyle(style);
    d.setMinValue(0);
    d.setMaxValue(100);
    d.setControlValue(40);
    EXPECT_FALSE(d.AlarmEnabled());
    EXPECT_EQ(d.AlarmColor(), clRed);
    d.setAlarmColor(clFuchsia);
    d.setAlarmLevel(70);
    const QImage classic = d.Surface().copy();
    EXPECT_EQ(CountOf(classic, clFuchsia), 0);

    d.setAlarmEnabled(true);
    const int mark = CountOf(d.Surface(), clFuchsia);
    EXPECT_GT(mark, 0);  // the level's mark only
    d.setControlValue(80);  // an update past the level
    EXPECT_GT(CountOf(d.Surface(), clFuchsia), mark + 50);
    d.setControlValue(90);  // and a further one keeps the colour
    const int high = CountOf(d.Surface(), clFuchsia);
    EXPECT_GT(high, mark + 50);
    d.setControlValue(40);  // back under: the value's colour again
    EXPECT_EQ(CountOf(d.Surface(), clFuchsia), mark);
    d.setAlarmEnabled(false);
    EXPECT_EQ(d.Surface(), classic);
  }
}
