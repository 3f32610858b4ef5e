#include <gtest/gtest.h>

#include <climits>

#include "MeasureTestUtil.h"
#include <Tarnwell/measure/MoniPnt.h>

using namespace Tarnwell;

namespace {

using Routine = void (*)(TCanvas&, const TMonitorPaintData&);

// Records one routine into a metafile of the style's picture size.
TMetafile Record(Routine r, const TMonitorPaintData& d, int w, int h) {
  TMetafile mf;
  mf.SetSize(w, h);
  TMetafileCanvas c(mf);
  c.Font().SetName("Arial");
  c.Font().SetHeight(-11);
  r(c, d);
  c.Finish();
  return mf;
}

// Draws straight onto a raster image, 1:1, for pixel checks.
QImage Draw(Routine r, const TMonitorPaintData& d, int w, int h, TColor back = clWhite) {
  TBitmap bmp(w, h);
  bmp.Canvas().Brush().SetColor(back);
  bmp.Canvas().FillRect(Rect(0, 0, w, h));
  bmp.Canvas().Brush().SetColor(clWhite);
  r(bmp.Canvas(), d);
  return bmp.Image();
}

}  // namespace

TEST(MonitorPainter, ColorShadesFollowTheTable) {
  struct Row {
    TColor c, dark, light, contrast;
  } rows[] = {
      {clBlack, clWhite, clWhite, clWhite},         {clTeal, clNavy, clAqua, clBlack},
      {clSilver, clGray, clWhite, clBlack},         {clRed, clMaroon, clWhite, clWhite},
      {clLime, clGreen, clWhite, clBlack},          {clWhite, clBlack, clBlack, clBlack},
      {clBtnFace, clGray, clWhite, clBlack},        {clWindow, clBlack, clBlack, clBlack},
      {RGB(12, 34, 56), clBlack, clWhite, clWhite},  // not in the table
  };
  for (const Row& r : rows) {
    const TColorShade s = ColorShades(r.c);
    EXPECT_EQ(s.Dark, r.dark) << std::hex << r.c;
    EXPECT_EQ(s.Light, r.light) << std::hex << r.c;
    EXPECT_EQ(s.Contrast, r.contrast) << std::hex << r.c;
  }
}

TEST(MonitorPainter, DigitPatternsAndSegments) {
  const char* expected[] = {"1111110", "0001100", "1011011", "0011111", "0101101",
                            "0110111", "1110111", "0011100", "1111111", "0111111"};
  for (int i = 0; i < 10; ++i) EXPECT_STREQ(DigitPattern(QChar('0' + i)), expected[i]);
  EXPECT_STREQ(DigitPattern('-'), "0000001");
  EXPECT_STREQ(DigitPattern('*'), "1111111");
  EXPECT_STREQ(DigitPattern(' '), "0000000");
  EXPECT_STREQ(DigitPattern('A'), "0000000");

  // Rendered: sample the centre of each segment of a 60 x 100 cell.
  auto lit = [](QChar ch) {
    TBitmap bmp(60, 100);
    bmp.Canvas().FillRect(Rect(0, 0, 60, 100));
    bmp.Canvas().Brush().SetColor(clRed);
    bmp.Canvas().Pen().SetColor(clRed);
    DrawDigit(bmp.Canvas(), ch, Rect(0, 0, 60, 100));
    const QImage img = bmp.Image();
    // L=2 T=2 R=58 B=98; t=11; M=50.
    const QPoint centres[7] = {{7, 74}, {7, 27}, {30, 7}, {52, 27}, {52, 74}, {30, 92}, {30, 50}};
    QString s;
    for (const QPoint& p : centres) s += PixelAt(img, p.x(), p.y()) == clRed ? '1' : '0';
    return s;
  };
  EXPECT_EQ(lit('8'), "1111111");
  EXPECT_EQ(lit('*'), "1111111");
  EXPECT_EQ(lit('-'), "0000001");
  EXPECT_EQ(lit(' '), "0000000");
  EXPECT_EQ(lit('7'), "0011100");
  EXPECT_EQ(lit('2'), "1011011");
}

TEST(MonitorPainter, NeedleAnglesClampAndSurviveEmptyRanges) {
  EXPECT_EQ(MoniPnt::MeterAngle(-50, -50, 150), 160);
  EXPECT_EQ(MoniPnt::MeterAngle(150, -50, 150), 380);
  EXPECT_EQ(MoniPnt::MeterAngle(50, -50, 150), 270);
  EXPECT_EQ(MoniPnt::MeterAngle(-1000, 4, 76), 160);
  EXPECT_EQ(MoniPnt::MeterAngle(1000, 4, 76), 380);
  EXPECT_EQ(MoniPnt::MeterAngle(5, 7, 7), 160);
  EXPECT_EQ(MoniPnt::MeterAngle(INT_MAX, INT_MIN, INT_MAX), 380);
  EXPECT_EQ(MoniPnt::HalfMeterAngle(0, 0, 100), 180);
  EXPECT_EQ(MoniPnt::HalfMeterAngle(50, 0, 100), 270);
  EXPECT_EQ(MoniPnt::HalfMeterAngle(100, 0, 100), 360);
  EXPECT_EQ(MoniPnt::HalfMeterAngle(3, 3, 3), 180);
  // An inverted range runs the other way and still stays on the scale.
  EXPECT_EQ(MoniPnt::MeterAngle(100, 100, 0), 160);
  EXPECT_EQ(MoniPnt::MeterAngle(0, 100, 0), 380);
}

TEST(MonitorPainter, ScaleUsesSixtyFourBits) {
  EXPECT_EQ(MoniPnt::ScaleInt(INT_MAX, INT_MIN, INT_MAX, 200), 200);
  EXPECT_EQ(MoniPnt::ScaleInt(INT_MIN, INT_MIN, INT_MAX, 200), 0);
  EXPECT_EQ(MoniPnt::ScaleInt(5, 5, 5, 200), 0);
  EXPECT_EQ(MoniPnt::ScaleInt(50, 0, 100, 176), 88);
  EXPECT_EQ(MoniPnt::ClampValue(500, 100, 0), 100);
  EXPECT_EQ(MoniPnt::ClampValue(-5, 100, 0), 0);
  EXPECT_EQ(MoniPnt::DigitCells(-50, 150), 3);
  EXPECT_EQ(MoniPnt::DigitCells(0, 0), 1);
  EXPECT_EQ(MoniPnt::DigitCells(INT_MIN, 0), 11);
}

TEST(MonitorPainter, EveryRoutineCopesWithAnyRangeAndAspect) {
  const Routine routines[] = {PaintLevelBack, PaintLevelValue, PaintMeterBack,     PaintMeterValue,
                              PaintOnOffBack, PaintOnOffValue, PaintGraphBack,     PaintGraphValue,
                              PaintTermoBack, PaintTermoValue, PaintDigitBack,     PaintDigitValue,
                              PaintVBarBack,  PaintVBarValue,  PaintHalfMeterBack, PaintHalfMeterValue};
  const int ranges[][3] = {{0, 0, 0},
                           {7, 7, 7},
                           {50, 100, 0},
                           {-50, -50, 150},
                           {INT_MAX, INT_MIN, INT_MAX},
                           {INT_MIN, INT_MIN, INT_MAX},
                           {INT_MIN, 0, 0},
                           {123, -50, 150}};
  for (int aspect : {1, 2, 4, 10}) {
    for (const auto& r : ranges) {
      TMonitorHistory history;
      TMonitorPaintData d;
      d.Value = r[0];
      d.ValueMin = r[1];
      d.ValueMax = r[2];
      d.Aspect = aspect;
      d.History = &history;
      for (Routine f : routines) {
        const TMetafile mf = Record(f, d, 200, 200 / aspect);
        EXPECT_EQ(mf.Width(), 200);
      }
    }
  }
}

TEST(MonitorPainter, GraphHistoryNeverOutgrowsThePlot) {
  TMonitorHistory history;
  TMonitorPaintData d;
  d.ValueMin = -50;
  d.ValueMax = 150;
  d.Aspect = 2;
  d.History = &history;
  TCanvas measure;
  measure.Font().SetName("Arial");
  measure.Font().SetHeight(-11);
  const int n = MoniPnt::GraphPlotLength(d, measure);
  ASSERT_GT(n, 100);
  for (int i = 0; i < n + 30; ++i) {
    d.Value = i * 7 % 300 - 100;  // also outside the range: stored clamped
    Record(PaintGraphValue, d, 200, 100);
  }
  ASSERT_EQ(int(history.size()), n);
  for (int v : history) {
    EXPECT_GE(v, -50);
    EXPECT_LE(v, 150);
  }
  EXPECT_EQ(history.back(), MoniPnt::ClampValue((n + 29) * 7 % 300 - 100, -50, 150));
}

TEST(MonitorPainter, LevelSegmentsFollowTheValue) {
  TMonitorPaintData d;
  d.ValueMin = 0;
  d.ValueMax = 100;
  d.SignalColor = clLime;
  d.Aspect = 6;  // 200 x 33
  auto litSegments = [&](int value) {
    d.Value = value;
    const QImage img = Draw(PaintLevelValue, d, 200, 33);
    int n = 0;
    for (int x = 5; x < 200; x += 10)
      if (PixelAt(img, x, 20) == clLime) ++n;
    return n;
  };
  EXPECT_EQ(litSegments(0), 0);
  EXPECT_EQ(litSegments(50), 10);  // b = 100: segments at 1, 11, ..., 91
  EXPECT_EQ(litSegments(100), 20);
  EXPECT_EQ(litSegments(1000), 20);
  EXPECT_EQ(litSegments(-20), 0);  // only the top is clamped: nothing below the minimum
  d.ValueMax = d.ValueMin;
  EXPECT_EQ(litSegments(50), 0);
}

TEST(MonitorPainter, LampShowsTheSignalColour) {
  TMonitorPaintData d;
  d.SignalColor = clLime;
  const QImage img = Draw(PaintOnOffValue, d, 200, 200);
  EXPECT_EQ(PixelAt(img, 100, 100), clLime);
  EXPECT_EQ(PixelAt(img, 2, 2), clWhite);  // outside the lamp
  d.SignalColor = clRed;
  d.Stop = true;  // neither stop nor range change the lamp
  EXPECT_EQ(PixelAt(Draw(PaintOnOffValue, d, 200, 200), 100, 100), clRed);
}

TEST(MonitorPainter, MeterNeedlePointsAtTheValue) {
  TMonitorPaintData d;
  d.ValueMin = 0;
  d.ValueMax = 220;
  d.SignalColor = clLime;
  auto needleAt = [&](int value, int angle) {
    d.Value = value;
    const QImage img = Draw(PaintMeterValue, d, 200, 200);
    const double a = angle * 3.14159265358979 / 180.0;
    const int x = 100 + int(std::lround(std::cos(a) * 60)), y = 100 + int(std::lround(std::sin(a) * 60));
    return PixelAt(img, x, y) == clBlack;
  };
  EXPECT_TRUE(needleAt(0, 160));
  EXPECT_TRUE(needleAt(220, 380));
  EXPECT_TRUE(needleAt(110, 270));
  EXPECT_FALSE(needleAt(0, 270));
  d.Stop = true;
  d.Value = 110;
  EXPECT_EQ(PixelAt(Draw(PaintMeterValue, d, 200, 200), 100, 40), clRed);
}

TEST(MonitorPainter, DigitCounterRightAlignsItsDigits) {
  TMonitorPaintData d;
  d.ValueMin = -50;
  d.ValueMax = 150;
  d.Aspect = 2;
  d.SignalColor = clLime;
  // Three cells of width 64 with gaps of 2: x = 2, 68, 134. Middle segment at y 50.
  auto middles = [&](int value) {
    d.Value = value;
    const QImage img = Draw(PaintDigitValue, d, 200, 100);
    QString s;
    for (int x : {34, 100, 166}) s += PixelAt(img, x, 50) == clLime ? '1' : '0';
    return s;
  };
  EXPECT_EQ(middles(-45), "111");  // "-", "4", "5" all light the middle
  EXPECT_EQ(middles(0), "000");    // "0" has no middle segment
  EXPECT_EQ(middles(8), "001");
  EXPECT_EQ(middles(-8), "101");
}

// Scale labels must show the values their ticks stand at, also when the
// steps do not divide the range (integer steps used to print 0 for every
// tick of 0..7 and top 4..76 at 74).
TEST(MonitorPainter, ScaleLabelsFollowTheRealRange) {
  EXPECT_EQ(MoniPnt::ScaleLabels(-50, 150, 5), QStringList({"-50", "-10", "30", "70", "110", "150"}));
  QStringList termo = MoniPnt::ScaleLabels(0, 7, 10);
  ASSERT_EQ(termo.size(), 11);
  EXPECT_EQ(termo.front(), "0");
  EXPECT_EQ(termo.back(), "7");
  EXPECT_EQ(QStringList(termo).removeDuplicates(), 0);
  EXPECT_EQ(QLocale().toDouble(termo[1]), 0.7);
  EXPECT_EQ(MoniPnt::ScaleLabels(4, 76, 5).back(), "76");
  EXPECT_EQ(MoniPnt::ScaleLabels(4, 76, 10).back(), "76");
  EXPECT_EQ(MoniPnt::ScaleLabels(0, 5, 5), QStringList({"0", "1", "2", "3", "4", "5"}));
  // Extreme ranges neither overflow nor lose their ends.
  const QStringList wide = MoniPnt::ScaleLabels(INT_MIN, INT_MAX, 5);
  EXPECT_EQ(wide.front(), QString::number(INT_MIN));
  EXPECT_EQ(wide.back(), QString::number(INT_MAX));

  // The strip chart of 0..7 is no longer the picture of 0..5.
  TMonitorPaintData a, b;
  a.Aspect = b.Aspect = 2;
  a.ValueMax = 7;
  b.ValueMax = 5;
  EXPECT_NE(Draw(PaintGraphBack, a, 200, 100), Draw(PaintGraphBack, b, 200, 100));
  a.Aspect = b.Aspect = 4;
  EXPECT_NE(Draw(PaintTermoBack, a, 50, 200), Draw(PaintTermoBack, b, 50, 200));
}
