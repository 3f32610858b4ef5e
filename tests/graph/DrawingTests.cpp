// The drawing objects: mapping, ticks, label formats, and what the series,
// connectors and bars put into an image.
#include <gtest/gtest.h>

#include <QDate>
#include <QLocale>
#include <QPicture>
#include <cmath>
#include <limits>

#include <Tarnwell/graph/GraphObj.h>
#include <Tarnwell/platform/TDateTime.h>
#include "TestUtil.h"

using namespace Tarnwell;

namespace {
constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();
constexpr double kInf = std::numeric_limits<double>::infinity();

// Draws the series of `list` into a white image with the given plot rectangle.
QImage DrawSeries(TPointSeries& list, const TGraphRange& range, const TRect& plot, int w = 320, int h = 240,
                  TGraphDrawer* drawer = nullptr) {
  QImage img = WhiteImage(w, h);
  TGraphDrawer own;
  TGraphDrawer& d = drawer ? *drawer : own;
  d.SetSeries(&list);
  TCanvas canvas(&img);
  d.Draw(canvas, range, false, plot);
  canvas.Release();
  return img;
}

int CountColor(const QImage& img, TColor c) {
  int n = 0;
  for (int y = 0; y < img.height(); ++y)
    for (int x = 0; x < img.width(); ++x)
      if (PixelAt(img, x, y) == c) ++n;
  return n;
}
}  // namespace

TEST(GraphMapping, ScaleGuardsAndRounding) {
  TGraphDrawObject m;
  m.SetScale({5, 0, 5, 10}, TRect(0, 0, 100, 100));
  EXPECT_DOUBLE_EQ(m.XScale(), 1e-8);  // zero span
  m.SetScale({0, 0, 10, 10}, TRect(20, 0, 20, 100));
  EXPECT_DOUBLE_EQ(m.XScale(), 1.0);  // zero width
  m.SetScale({0, 0, 100, 50}, TRect(10, 20, 110, 70));
  EXPECT_DOUBLE_EQ(m.XScale(), 1.0);
  EXPECT_EQ(m.XToPixel(0), 10);
  EXPECT_EQ(m.XToPixel(2.5), 12);  // ties to even
  EXPECT_EQ(m.XToPixel(3.5), 14);
  EXPECT_EQ(m.YToPixel(0), 70);
  EXPECT_EQ(m.YToPixel(50), 20);
  // Far-away values are clamped, never wrapped.
  EXPECT_EQ(m.XToPixel(1e300), TGraphDrawObject::kPixelLimit);
  EXPECT_EQ(m.XToPixel(-1e300), -TGraphDrawObject::kPixelLimit + 10);
  EXPECT_EQ(m.YToPixel(kNaN), 70);
}

TEST(GraphTicks, StepsFirstTickAndMax) {
  EXPECT_EQ(GraphTicks(-10, 10, 5, false, 10, 1), (std::vector<double>{-8, -4, 0, 4, 8}));
  EXPECT_EQ(GraphTicks(8, 20, 4, true, 10, 1), (std::vector<double>{12, 16}));
  EXPECT_EQ(GraphTicks(0, 10, 5, true, 10, 1), (std::vector<double>{0, 5}));
  // Too close for the minimum distance: the step doubles (5 px -> 20 px).
  EXPECT_EQ(GraphTicks(0, 100, 1, true, 5, 20),
            (std::vector<double>{0,  4 * 1.0 * 1, 8,  12, 16, 20, 24, 28, 32, 36, 40, 44, 48,
                                 52, 56,          60, 64, 68, 72, 76, 80, 84, 88, 92, 96}));
}

TEST(GraphTicks, EveryLoopEnds) {
  EXPECT_TRUE(GraphTicks(0, 10, 0, false, 10, 10).empty());  // division by zero
  EXPECT_TRUE(GraphTicks(0, 10, 0, true, 10, 10).empty());   // zero step
  EXPECT_TRUE(GraphTicks(0, 10, -2, true, 10, 10).empty());  // negative step
  EXPECT_TRUE(GraphTicks(10, 0, 5, false, 10, 10).empty());  // inverted range
  EXPECT_TRUE(GraphTicks(5, 5, 5, false, 10, 10).empty());   // zero span
  EXPECT_TRUE(GraphTicks(0, 10, 5, false, -3, 10).empty());  // negative pixel distances
  EXPECT_TRUE(GraphTicks(kNaN, 10, 5, false, 1, 10).empty());
  EXPECT_TRUE(GraphTicks(0, kInf, 5, false, 1, 10).empty());
  // Min + step == Min: refused instead of looping forever.
  EXPECT_LE(GraphTicks(1e300, 1e300 * 1.0000001, 1, true, 1e-290, 0).size(), 1000000u);
  // A huge span in unit steps with no minimum distance stays bounded.
  EXPECT_LE(GraphTicks(0, 1e12, 1, true, 1e-9, 0).size(), 1000000u);
  // Labels of no width over a wide span: bounded by pixels.
  EXPECT_LE(GraphTicks(-1e9, 1e9, 1, true, 500.0 / 2e9, 0).size(), 501u);
}

TEST(GraphLabels, ValueFormats) {
  TGraphLabels l;
  EXPECT_EQ(l.FormatValue(glkInteger, -4.4321), "    -4");
  EXPECT_EQ(l.FormatValue(glkNone, 3), "");
  const QString dp = QLocale().decimalPoint();
  EXPECT_EQ(l.FormatValue(glkFloat, -4.4321), "-4" + dp + "43210");
  EXPECT_EQ(l.FormatValue(glkFloat, 123456789), "123456789");
  EXPECT_EQ(l.FormatValue(glkFloat, -0.0000001), "0" + dp + "00000");
  EXPECT_EQ(l.FormatValue(glkEngineer, 1234.5), "1" + dp + "234500E+03");
  l.setDigit(2);
  EXPECT_EQ(l.FormatValue(glkInteger, 7), " 7");
  l.setDigit(1000000);  // an absurd field width is capped
  EXPECT_LE(l.FormatValue(glkInteger, 7).size(), 64);
  EXPECT_FALSE(l.FormatValue(glkInteger, 1e300).isEmpty());

  const double serial = DateToSerial(QDate(2026, 12, 9)) + 0.5;
  EXPECT_EQ(l.FormatValue(glkShortDate, serial), "091226");
  EXPECT_EQ(l.FormatValue(glkDate, serial), QLocale().toString(QDate(2026, 12, 9), QLocale::ShortFormat));
  EXPECT_EQ(l.FormatValue(glkTime, serial), QLocale().toString(QTime(12, 0), QLocale::ShortFormat));
  EXPECT_TRUE(
      l.FormatValue(glkDateTime, serial).contains(QLocale().toString(QTime(12, 0), QLocale::ShortFormat)));
  EXPECT_EQ(l.FormatValue(glkDate, 1e12), "");  // no such date
  EXPECT_EQ(l.FormatValue(glkDate, kNaN), "");

  l.setTextLab({"uno", "due", "tre"});
  EXPECT_EQ(l.FormatValue(glkText, 1.5), "tre");  // 1.5 rounds to 2
  EXPECT_EQ(l.FormatValue(glkText, 2.5), "tre");  // 2.5 rounds to 2
  EXPECT_EQ(l.FormatValue(glkText, 2.6), "");
  EXPECT_EQ(l.FormatValue(glkText, -1), "uno");  // the longest (first of equals)
  l.setTextLab({"a", "lungo", "bb"});
  EXPECT_EQ(l.FormatValue(glkText, -0.7), "lungo");
  EXPECT_EQ(l.FormatValue(glkText, -0.2), "a");  // rounds to 0

  QString x, y;
  l.setAXKind(glkText);
  l.setAYKind(glkNone);
  l.FormatPoint(0, 5, x, y);
  EXPECT_EQ(x, "a");
  EXPECT_EQ(y, "");
}

TEST(GraphLabels, SettersNotifyButTextLabDoesNot) {
  TGraphLabels l;
  int changes = 0;
  l.OnChange = [&](TGraphicsObject*) { ++changes; };
  l.setDivisionX(5);  // unchanged
  EXPECT_EQ(changes, 0);
  l.setDivisionX(3);
  l.Font().SetHeight(-20);
  EXPECT_EQ(changes, 2);
  l.setTextLab({"x"});
  EXPECT_EQ(changes, 2);
}

TEST(GraphSeriesDrawing, SinglePointAndDotsAreVisible) {
  TPointSeries list;
  TPointSerie& s = *list.Add();
  s.SetKind(skPoints);
  s.SetColor(clBlue);
  s.AddPoint(5, 5);
  const QImage img = DrawSeries(list, {0, 0, 10, 10}, TRect(10, 10, 110, 110));
  // X 5 -> column 60; Y 5 -> row 60, one above the grid's mapping.
  EXPECT_EQ(PixelAt(img, 60, 59), clBlue);
  EXPECT_EQ(CountColor(img, clBlue), 1);
}

TEST(GraphSeriesDrawing, LinesLeavingThePlotKeepTheirSlope) {
  TPointSeries list;
  TPointSerie& s = *list.Add();
  s.SetColor(clBlue);
  // y = x from far left of the plot to far right: both ends outside.
  s.AddPoint(-100, -100);
  s.AddPoint(100, 100);
  const TRect plot(0, 0, 101, 101);
  const QImage img = DrawSeries(list, {0, 0, 100, 100}, plot, 120, 120);
  // The clipped part is the diagonal itself, not bent by clamped rows.
  EXPECT_EQ(PixelAt(img, 50, 50), clBlue);
  EXPECT_EQ(PixelAt(img, 10, 90), clBlue);
  EXPECT_EQ(PixelAt(img, 90, 10), clBlue);
  EXPECT_EQ(PixelAt(img, 0, 100), clBlue);   // the edge segments are kept
  EXPECT_EQ(PixelAt(img, 110, 5), clWhite);  // nothing beyond the plot
}

TEST(GraphSeriesDrawing, DenseLineCoversEveryColumnAndItsExtremes) {
  TPointSeries list;
  TPointSerie& s = *list.Add();
  s.SetColor(clBlue);
  // 100 points per pixel column, alternating between 20 and 80.
  for (int i = 0; i < 10000; ++i) s.AddPoint(i / 100.0, (i % 2) ? 80 : 20);
  const QImage img = DrawSeries(list, {0, 0, 100, 100}, TRect(0, 0, 100, 100), 100, 100);
  for (int x : {1, 37, 98}) {
    EXPECT_EQ(PixelAt(img, x, 100 - 80 - 1), clBlue) << x;
    EXPECT_EQ(PixelAt(img, x, 50), clBlue) << x;
    EXPECT_EQ(PixelAt(img, x, 100 - 20 - 1), clBlue) << x;
    EXPECT_EQ(PixelAt(img, x, 90), clWhite) << x;
  }
}

TEST(GraphSeriesDrawing, NonFiniteValuesAreSkipped) {
  TPointSeries list;
  TPointSerie& s = *list.Add();
  s.SetColor(clBlue);
  s.AddPoint(0, 10);
  s.AddPoint(2, kNaN);
  s.AddPoint(kNaN, 4);
  s.AddPoint(4, kInf);
  s.AddPoint(10, 10);
  TPointSerie& f = *list.Add();
  f.SetIsFunction(true);
  f.SetKind(skFill);
  f.SetColor(clLime);
  f.OnCalcPoint = [](TPointSerie*, int, double& x, double& y) { y = 1 / (x - 5); };
  const QImage img = DrawSeries(list, {0, 0, 10, 20}, TRect(0, 0, 100, 100), 100, 100);
  // The line connects the finite neighbours: y = 10 across the plot.
  EXPECT_EQ(PixelAt(img, 20, 49), clBlue);
  EXPECT_EQ(PixelAt(img, 80, 49), clBlue);
  EXPECT_EQ(PixelAt(img, 80, 98), clLime);
}

TEST(GraphSeriesDrawing, BarsArePagedAndSized) {
  TPointSeries list;
  TPointSerie& s = *list.Add();
  s.SetKind(skBars);
  for (int i = 0; i < 10; ++i) s.AddBar("", clLime, i, 5, clBlack);
  // 300 pixels for 10 bars: half width 10, bars 20 pixels wide.
  const QImage img = DrawSeries(list, {-0.5, 0, 9.5, 10}, TRect(0, 0, 300, 100), 320, 120);
  const int row = 80;
  int x = 0;
  while (x < 300 && PixelAt(img, x, row) == clWhite) ++x;
  int w = 0;
  while (x + w < 300 && PixelAt(img, x + w, row) != clWhite) ++w;
  EXPECT_EQ(x, 5);
  EXPECT_EQ(w, 20);
  EXPECT_EQ(PixelAt(img, x, row), clBlack);  // outline
  EXPECT_EQ(PixelAt(img, x + 10, row), clLime);

  // Second page of four bars per page shows bars 4..7 only.
  s.SetPointsPerPage(4);
  s.SetPage(2);
  for (int i = 0; i < 10; ++i) s.Tasks(i).Color = i >= 4 && i < 8 ? clBlue : clRed;
  const QImage paged = DrawSeries(list, {-0.5, 0, 9.5, 10}, TRect(0, 0, 300, 100), 320, 120);
  EXPECT_GT(CountColor(paged, clBlue), 0);
  EXPECT_EQ(CountColor(paged, clRed), 0);
}

TEST(GraphSeriesDrawing, CrowdedBarsPaintBackToFront) {
  TPointSeries list;
  TPointSerie& s = *list.Add();
  s.SetKind(skBars);
  // Many more bars than pixels: a later bar wins where they overlap.
  for (int i = 0; i < 20; ++i) s.AddBar("", i == 19 ? clBlue : clLime, 50, i == 19 ? 5 : 8, clBlack);
  // 20 bars on 300 pixels: half width 5, all of them on column 150.
  const QImage img = DrawSeries(list, {0, 0, 100, 10}, TRect(0, 0, 300, 100), 300, 100);
  EXPECT_EQ(PixelAt(img, 145, 70), clBlack);  // left edge
  EXPECT_EQ(PixelAt(img, 150, 70), clBlue);
  EXPECT_EQ(PixelAt(img, 150, 30), clLime);             // above it: the taller earlier bars
  EXPECT_EQ(PixelAt(img, 150, 100 - 50 - 1), clBlack);  // the last bar's top edge
}

TEST(GraphConnector, StraightAndDetour) {
  QImage img = WhiteImage(60, 60);
  TCanvas c(&img);
  c.Pen().SetColor(clBlack);
  TGraphDrawer::DrawConnector(c, 5, 10, 45, 30);   // forwards: via mx = 25
  TGraphDrawer::DrawConnector(c, 40, 50, 38, 40);  // backwards: a detour through my = 45
  c.Release();
  EXPECT_EQ(PixelAt(img, 15, 10), clBlack);
  EXPECT_EQ(PixelAt(img, 25, 20), clBlack);
  EXPECT_EQ(PixelAt(img, 35, 30), clBlack);
  EXPECT_EQ(PixelAt(img, 44, 47), clBlack);  // ax + 4 going up
  EXPECT_EQ(PixelAt(img, 34, 42), clBlack);  // bx - 4 going up
  EXPECT_EQ(PixelAt(img, 40, 45), clBlack);  // the crossing at my
}

TEST(GraphGantt, MissingLinkTaskSkipsOnlyThatLinkAndHitTest) {
  TPointSeries list;
  TPointSerie& g = *list.Add();
  g.SetKind(skGantt);
  auto links = std::make_shared<TGanttLinkList>();
  g.SetLinks(links);
  g.AddTask("A", clLime, 1, 3, 2, clBlack);
  g.AddTask("B", clLime, 6, 9, 6, clBlack);
  links->AddLink(0, 7);  // no task 7
  links->AddLink(0, 1);
  TGraphDrawer d;
  const QImage img = DrawSeries(list, {0, 0, 10, 8}, TRect(0, 0, 200, 160), 220, 180, &d);
  // The good link still runs from A's end (x 60) across to B's start (x 120).
  const int ay = d.YToPixel(2) - 1, by = d.YToPixel(6) - 1;
  EXPECT_EQ(PixelAt(img, 90, (ay + by) / 2), clBlack);
  EXPECT_EQ(PixelAt(img, 30, ay + 1), clLime);

  const TGanttTask hit = d.TaskAt(150, by);
  EXPECT_EQ(hit.Text, "B");
  EXPECT_EQ(hit.X1, 6);
  EXPECT_EQ(d.TaskAt(100, by), TGanttTask());
  EXPECT_EQ(d.TaskAt(150, by + 40), TGanttTask());
}

// Rows closer than a font-high bar: bars thin down so neighbouring rows keep
// a free pixel row between them (the links show through), and drop their text;
// roomy rows keep the full bar with its text.
TEST(GraphGantt, BarsThinToTheirRowsAndKeepFullHeightWhenRoomy) {
  TPointSeries list;
  TPointSerie& g = *list.Add();
  g.SetKind(skGantt);
  for (int row = 1; row <= 10; ++row) g.AddTask("WW", clLime, 0, 100, row, clRed);
  TGraphDrawer dense;
  const QImage tight = DrawSeries(list, {0, 0, 100, 11}, TRect(0, 0, 200, 66), 220, 80, &dense);
  const int th = dense.TaskHalfHeightAtPitch();
  for (int row = 1; row < 10; ++row) {
    const int y = dense.YToPixel(row) - 1, above = dense.YToPixel(row + 1) - 1;
    EXPECT_EQ(PixelAt(tight, 100, y), clLime) << row;
    bool gap = false;
    for (int py = above + th + 2; py < y - th; ++py) gap = gap || PixelAt(tight, 100, py) == clWhite;
    EXPECT_TRUE(gap) << "rows " << row << " and " << row + 1 << " touch";
    EXPECT_EQ(dense.TaskAt(100, y).Y, row);
  }
  EXPECT_EQ(CountColor(tight, clRed), 0);  // no text in thinned bars

  TGraphDrawer roomy;
  const QImage wide = DrawSeries(list, {0, 0, 100, 11}, TRect(0, 0, 200, 440), 220, 460, &roomy);
  EXPECT_GT(roomy.TaskHalfHeightAtPitch(), th);
  const int y = roomy.YToPixel(5) - 1, h = roomy.TaskHalfHeightAtPitch();
  EXPECT_EQ(PixelAt(wide, 100, y - h + 1), clLime);
  EXPECT_EQ(PixelAt(wide, 100, y + h + 1), clBlack);  // the bar's bottom edge
  EXPECT_GT(CountColor(wide, clRed), 0);
}

TEST(GraphZoom, InOutAndMinimumSpan) {
  TGraphDrawer d;
  const TRect plot(0, 0, 100, 100);
  const TGraphRange r{0, 0, 100, 100};
  EXPECT_FALSE(d.IsZoomed());
  const TGraphRange z = d.ZoomIn(r, plot, TRect(60, 80, 20, 30));  // dragged backwards
  EXPECT_EQ(z, (TGraphRange{20, 20, 60, 70}));
  EXPECT_TRUE(d.IsZoomed());
  // A rectangle under 1e-6 data units: no change, no history.
  const TGraphRange tiny{0, 0, 1e-7, 1e-7};
  EXPECT_EQ(d.ZoomIn(tiny, plot, TRect(10, 10, 50, 50)), tiny);
  EXPECT_EQ(d.ZoomList().Count(), 1);
  EXPECT_EQ(d.ZoomOut(z), r);
  EXPECT_FALSE(d.IsZoomed());
  EXPECT_EQ(d.ZoomOut(z), z);
  // Y is kept inside the plot, X is not.
  const TGraphRange wide = d.ZoomIn(r, plot, TRect(-50, -50, 50, 150));
  EXPECT_EQ(wide, (TGraphRange{-50, 0, 50, 100}));
}

TEST(GraphDrawing, MonoTurnsColoursBlack) {
  TPointSeries list;
  TPointSerie& s = *list.Add();
  s.SetColor(clRed);
  s.AddPoint(0, 5);
  s.AddPoint(10, 5);
  QImage img = WhiteImage(100, 100);
  TGraphDrawer d;
  d.SetSeries(&list);
  TCanvas c(&img);
  d.Draw(c, {0, 0, 10, 10}, true, TRect(0, 0, 100, 100));
  c.Release();
  EXPECT_EQ(PixelAt(img, 50, 49), clBlack);
  EXPECT_EQ(CountColor(img, clRed), 0);
}

// On a recorded picture (a printer takes the same road) nothing can be
// written into pixels: the painter's own lines, points and rectangles are used.
TEST(GraphSeriesDrawing, PaintersWithoutPixelsGetTheSamePicture) {
  TPointSeries list;
  TPointSerie& line = *list.Add();
  line.SetColor(clBlue);
  for (int i = 0; i <= 1000; ++i) line.AddPoint(i / 10.0, 50);
  TPointSerie& pts = *list.Add();
  pts.SetKind(skPoints);
  pts.SetColor(clGreen);
  pts.AddPoint(20, 80);
  TPointSerie& bars = *list.Add();
  bars.SetKind(skBars);
  bars.AddBar("", clLime, 70, 20, clBlack);
  TPointSerie& fill = *list.Add();
  fill.SetKind(skFill);
  fill.SetColor(clRed);
  fill.AddPoint(40, 30);

  QPicture picture;
  {
    QPainter recorder(&picture);
    TCanvas canvas(&recorder);
    TGraphDrawer d;
    d.SetSeries(&list);
    d.Draw(canvas, {0, 0, 100, 100}, false, TRect(0, 0, 100, 100));
  }
  QImage img = WhiteImage(100, 100);
  {
    QPainter p(&img);
    p.drawPicture(0, 0, picture);
  }
  EXPECT_EQ(PixelAt(img, 10, 49), clBlue);
  EXPECT_EQ(PixelAt(img, 90, 49), clBlue);
  EXPECT_EQ(PixelAt(img, 20, 19), clGreen);
  EXPECT_EQ(PixelAt(img, 70, 90), clLime);
  EXPECT_EQ(PixelAt(img, 40, 85), clRed);
  EXPECT_EQ(PixelAt(img, 40, 60), clWhite);
}
