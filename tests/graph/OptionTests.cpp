// The graph's options beyond the classic control: round tick steps, wheel
// zoom and drag panning, antialiasing, and export to PNG, SVG and PDF. Each
// is off by default and leaves the classic drawing as it was.
#include <gtest/gtest.h>

#include <QApplication>
#include <QFile>
#include <QProcess>
#include <QStandardPaths>
#include <QSvgRenderer>
#include <QTemporaryDir>
#include <QTest>
#include <QWheelEvent>
#include <cmath>

#include <Tarnwell/graph/Graph2D.h>
#include "TestUtil.h"

using namespace Tarnwell;

namespace {

struct TwoLineGraph {
  TGraph2D g;
  int zoomEvents = 0;
  TwoLineGraph() {
    g.resize(300, 240);
    TPointSerie* s = g.Series().Add();
    s->SetPenWidth(1);
    for (int i = 0; i <= 20; ++i) s->AddPoint(i * 5, (i % 2) * 100);
    g.setRange({0, 0, 100, 100});
    g.OnZoomChange = [this](TObject*, bool) { ++zoomEvents; };
    g.show();
    g.grab();
  }
  QPoint Inside(double fx, double fy) const {
    const TRect p = g.PlotRect();
    return QPoint(p.Left + int(p.Width() * fx), p.Top + int(p.Height() * fy));
  }
  void Wheel(QPoint at, int delta) {
    QWheelEvent e(QPointF(at), QPointF(g.mapToGlobal(at)), QPoint(), QPoint(0, delta), Qt::NoButton,
                  Qt::NoModifier, Qt::NoScrollPhase, false);
    QApplication::sendEvent(&g, &e);
  }
};

bool Close(double a, double b) { return std::fabs(a - b) < 1e-9 * std::max(1.0, std::fabs(b)); }

int CountNonPure(const QImage& img) {
  // Pixels that are none of the colours the classic drawing uses here.
  int n = 0;
  for (int y = 0; y < img.height(); ++y)
    for (int x = 0; x < img.width(); ++x) {
      const QRgb c = img.pixel(x, y) & 0xFFFFFF;
      if (c != 0xFFFFFF && c != 0x000000 && c != 0xFF0000 && c != 0x808080) ++n;
    }
  return n;
}

int CountRedish(const QImage& img) {
  int n = 0;
  for (int y = 0; y < img.height(); ++y)
    for (int x = 0; x < img.width(); ++x) {
      const QColor c = img.pixelColor(x, y);
      if (c.red() > 200 && c.green() < 90 && c.blue() < 90) ++n;
    }
  return n;
}

}  // namespace

TEST(GraphNiceSteps, RoundStepsWithExactEnds) {
  EXPECT_EQ(NiceStep(1.4), 2);
  EXPECT_EQ(NiceStep(2), 2);
  EXPECT_EQ(NiceStep(0.23), 0.5);
  EXPECT_EQ(NiceStep(7), 10);
  EXPECT_EQ(NiceStep(1e-7 * 3), 5e-7);
  // 0..7 in five parts: 1.4 becomes 2; the plain division keeps 1.4.
  EXPECT_EQ(GraphTicks(0, 7, 5, false, 100, 1, true), (std::vector<double>{0, 2, 4, 6}));
  const auto plain = GraphTicks(0, 7, 5, false, 100, 1, false);
  ASSERT_GE(plain.size(), 2u);
  EXPECT_DOUBLE_EQ(plain[1], 1.4);
  // Decimal steps land on their decimal values, zero without a sign.
  const auto dec = GraphTicks(-0.3, 0.7, 5, false, 1000, 1, true);
  ASSERT_EQ(dec.size(), 5u);
  const double want[] = {-0.2, 0, 0.2, 0.4, 0.6};
  for (size_t i = 0; i < 5; ++i) EXPECT_EQ(dec[i], want[i]) << i;
  EXPECT_FALSE(std::signbit(dec[1]));
  // Too close: 1 grows to 2, 5, 10 (never 4 or 8).
  EXPECT_EQ(GraphTicks(0, 100, 1, true, 1, 4.5, true), (std::vector<double>{0, 5, 10, 15, 20, 25, 30, 35, 40, 45, 50, 55, 60, 65, 70, 75, 80, 85, 90, 95}));
  EXPECT_EQ(GraphTicks(3, 100, 1, true, 1, 12, true).front(), 20);
  // Refused input stays refused.
  EXPECT_TRUE(GraphTicks(0, 7, 0, false, 100, 1, true).empty());
  EXPECT_TRUE(GraphTicks(7, 0, 5, false, 100, 1, true).empty());
}

TEST(GraphNiceSteps, LabelsAndGridFollowTheOptionOnlyWhenOn) {
  TwoLineGraph f;
  f.g.setRange({0, 0, 7, 7});
  f.g.grab();
  const auto classic = f.g.Labels().YTicks();
  EXPECT_FALSE(f.g.Labels().NiceSteps());
  EXPECT_FALSE(f.g.Grid().NiceSteps());
  const QImage before = f.g.grab().toImage();
  f.g.Labels().setNiceSteps(true);
  f.g.Grid().setNiceSteps(true);
  const QImage nice = f.g.grab().toImage();
  for (double t : f.g.Labels().YTicks()) EXPECT_EQ(std::fmod(t, 2.0), 0.0) << t;
  EXPECT_NE(f.g.Labels().YTicks(), classic);
  EXPECT_NE(nice, before);
  f.g.Labels().setNiceSteps(false);
  f.g.Grid().setNiceSteps(false);
  EXPECT_EQ(f.g.grab().toImage(), before);
  // Copied with the rest of the published values.
  TGraphLabels l;
  l.setNiceSteps(true);
  f.g.setLabels(l);
  EXPECT_TRUE(f.g.Labels().NiceSteps());
}

TEST(GraphZoomOptions, WheelZoomsAboutTheMouseAndStepsBack) {
  TwoLineGraph f;
  const QPoint at = f.Inside(0.25, 0.5);
  // Off: the wheel does nothing.
  f.Wheel(at, 120);
  EXPECT_EQ(f.g.Range(), (TGraphRange{0, 0, 100, 100}));
  EXPECT_EQ(f.zoomEvents, 0);

  f.g.setZoomEnabled(true);
  double x0 = 0, y0 = 0;
  f.g.Drawer().PixelToData(at.x(), at.y(), x0, y0);
  f.Wheel(at, 120);
  TGraphRange r = f.g.Range();
  EXPECT_TRUE(Close(r.XMax - r.XMin, 80)) << r.XMax - r.XMin;
  EXPECT_TRUE(Close(r.YMax - r.YMin, 80));
  double x1 = 0, y1 = 0;
  f.g.Drawer().PixelToData(at.x(), at.y(), x1, y1);
  EXPECT_NEAR(x1, x0, 0.5);  // the point under the mouse stays under it
  EXPECT_NEAR(y1, y0, 0.5);
  EXPECT_EQ(f.zoomEvents, 1);
  EXPECT_TRUE(f.g.IsZoomed());
  f.Wheel(at, -240);  // two notches back out: wider than the start
  EXPECT_GT(f.g.Range().XMax - f.g.Range().XMin, 100);
  // A right click steps back one wheel step at a time.
  QTest::mouseClick(&f.g, Qt::RightButton, Qt::NoModifier, at);
  EXPECT_TRUE(Close(f.g.Range().XMax - f.g.Range().XMin, 80));
  QTest::mouseClick(&f.g, Qt::RightButton, Qt::NoModifier, at);
  EXPECT_EQ(f.g.Range(), (TGraphRange{0, 0, 100, 100}));
  EXPECT_FALSE(f.g.IsZoomed());
  // Never below the rubber band's smallest span.
  for (int i = 0; i < 200; ++i) f.Wheel(at, 1200);
  EXPECT_GE(f.g.Range().XMax - f.g.Range().XMin, 1e-6);
}

TEST(GraphZoomOptions, DragPansAndReleaseKeepsThePan) {
  TwoLineGraph f;
  const QPoint from = f.Inside(0.5, 0.5), to = from + QPoint(30, -20);
  // Off: a middle click only steps back (nothing to step back to here).
  QTest::mousePress(&f.g, Qt::MiddleButton, Qt::NoModifier, from);
  QTest::mouseMove(&f.g, to);
  QTest::mouseRelease(&f.g, Qt::MiddleButton, Qt::NoModifier, to);
  EXPECT_EQ(f.g.Range(), (TGraphRange{0, 0, 100, 100}));

  f.g.setZoomEnabled(true);
  const double xs = f.g.Drawer().XScale(), ys = f.g.Drawer().YScale();
  QTest::mousePress(&f.g, Qt::MiddleButton, Qt::NoModifier, from);
  EXPECT_TRUE(f.g.Panning());
  QTest::mouseMove(&f.g, from + QPoint(10, 0));
  QTest::mouseMove(&f.g, to);
  QTest::mouseRelease(&f.g, Qt::MiddleButton, Qt::NoModifier, to);
  EXPECT_FALSE(f.g.Panning());
  TGraphRange r = f.g.Range();
  EXPECT_TRUE(Close(r.XMin, -30 * xs)) << r.XMin;
  EXPECT_TRUE(Close(r.XMax - r.XMin, 100));
  EXPECT_TRUE(Close(r.YMin, -20 * ys)) << r.YMin;  // dragged up: the data goes up
  EXPECT_EQ(f.zoomEvents, 1);
  EXPECT_EQ(f.g.Drawer().ZoomList().Count(), 1);  // one step, however many moves

  // Ctrl + left pans too; a Ctrl click without a drag changes nothing.
  QTest::mouseClick(&f.g, Qt::LeftButton, Qt::ControlModifier, from);
  EXPECT_EQ(f.g.Range(), r);
  QTest::mousePress(&f.g, Qt::LeftButton, Qt::ControlModifier, from);
  QTest::mouseMove(&f.g, from - QPoint(30, -20));
  QTest::mouseRelease(&f.g, Qt::LeftButton, Qt::ControlModifier, from - QPoint(30, -20));
  EXPECT_FALSE(f.g.Zooming());
  EXPECT_TRUE(Close(f.g.Range().XMin, 0) || std::fabs(f.g.Range().XMin) < 1e-9);
  // A middle click without a drag steps back, as any other click.
  QTest::mouseClick(&f.g, Qt::MiddleButton, Qt::NoModifier, from);
  EXPECT_EQ(f.g.Range(), r);
  // Turning zoom off in the middle of a pan ends it.
  QTest::mousePress(&f.g, Qt::MiddleButton, Qt::NoModifier, from);
  f.g.setZoomEnabled(false);
  EXPECT_FALSE(f.g.Panning());
  QTest::mouseRelease(&f.g, Qt::MiddleButton, Qt::NoModifier, from);
}

TEST(GraphAntialiasing, OffDrawsHardPixelsOnSmoothsTheLines) {
  TwoLineGraph f;
  f.g.Labels().setAStyle(glsNone);  // text is smoothed by the platform anyway
  f.g.Layout().Font().SetSize(1);
  const QImage hard = f.g.grab().toImage();
  EXPECT_FALSE(f.g.Antialiased());
  EXPECT_EQ(CountNonPure(hard), 0);
  f.g.setAntialiased(true);
  const QImage smooth = f.g.grab().toImage();
  EXPECT_GT(CountNonPure(smooth), 100);
  f.g.setAntialiased(false);
  EXPECT_EQ(f.g.grab().toImage(), hard);
}

TEST(GraphExport, PngSvgAndPdfShowTheGraph) {
  TwoLineGraph f;
  QTemporaryDir dir;
  QString error;
  // PNG: the same pixels as the control shows.
  const QString png = dir.filePath("g.png");
  ASSERT_TRUE(f.g.ExportGraph(png, QSize(), &error)) << error.toStdString();
  const QImage shown = f.g.grab().toImage().convertToFormat(QImage::Format_RGB32);
  EXPECT_EQ(QImage(png).convertToFormat(QImage::Format_RGB32), shown);
  // Any size, any paint device.
  ASSERT_TRUE(f.g.ExportGraph(dir.filePath("big.png"), QSize(900, 600), &error));
  EXPECT_EQ(QImage(dir.filePath("big.png")).size(), QSize(900, 600));

  const QString svg = dir.filePath("g.svg");
  ASSERT_TRUE(f.g.ExportGraph(svg, QSize(300, 240), &error)) << error.toStdString();
  QSvgRenderer renderer(svg);
  ASSERT_TRUE(renderer.isValid());
  QImage fromSvg(300, 240, QImage::Format_RGB32);
  fromSvg.fill(Qt::white);
  QPainter p(&fromSvg);
  renderer.render(&p);
  p.end();
  EXPECT_GT(CountRedish(fromSvg), 200);  // the red trace

  const QString pdf = dir.filePath("g.pdf");
  ASSERT_TRUE(f.g.ExportGraph(pdf, QSize(300, 240), &error)) << error.toStdString();
  QFile pf(pdf);
  ASSERT_TRUE(pf.open(QIODevice::ReadOnly));
  EXPECT_TRUE(pf.readAll().startsWith("%PDF-"));
  const QString pdftoppm = QStandardPaths::findExecutable("pdftoppm");
  if (!pdftoppm.isEmpty()) {
    QProcess r;
    r.start(pdftoppm, {"-png", "-r", "72", "-singlefile", pdf, dir.filePath("pdf")});
    ASSERT_TRUE(r.waitForFinished(30000));
    const QImage page(dir.filePath("pdf.png"));
    ASSERT_FALSE(page.isNull());
    EXPECT_EQ(page.size(), QSize(300, 240));
    EXPECT_GT(CountRedish(page), 200);
  }

  // Refusals: an unknown type, an unwritable place, a silly size.
  EXPECT_FALSE(f.g.ExportGraph(dir.filePath("g.xyz"), QSize(), &error));
  EXPECT_TRUE(error.contains("xyz"));
  EXPECT_FALSE(QFile::exists(dir.filePath("g.xyz")));
  EXPECT_FALSE(f.g.ExportGraph("/nonexistent-dir/g.png", QSize(), &error));
  EXPECT_TRUE(error.contains("cannot write"));
  EXPECT_FALSE(f.g.ExportGraph("/nonexistent-dir/g.svg", QSize(), &error));
  EXPECT_FALSE(f.g.ExportGraph(dir.filePath("h.png"), QSize(0, 10), &error));
  EXPECT_FALSE(f.g.ExportGraph(dir.filePath("h.png"), QSize(100000, 10), &error));
}
