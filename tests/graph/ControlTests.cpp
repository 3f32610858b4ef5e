// The graph control: automatic ranging, drawing anywhere, mouse zoom, and the window.
#include <gtest/gtest.h>

#include <QRandomGenerator>
#include <QTest>
#include <cmath>

#include <Tarnwell/graph/FGraph2d.h>
#include <Tarnwell/graph/Graph2D.h>
#include <Tarnwell/graph/Graph2D_p.h>
#include "TestUtil.h"

using namespace Tarnwell;

namespace {

QImage Render(TGraph2D& g, int w, int h) {
  QImage img = WhiteImage(std::max(w, 1), std::max(h, 1));
  if (w == 0 || h == 0) img = QImage(w, h, QImage::Format_RGB32);
  TCanvas c(&img);
  c.Font().Assign(g.Font());
  c.Brush().SetColor(clWhite);
  g.DrawGraph(c, TRect(0, 0, w, h), false);
  c.Release();
  return img;
}

// A graph with a line over [0, 100] x [0, 100], shown and painted once.
struct ZoomFixture {
  TGraph2D g;
  std::vector<bool> events;
  ZoomFixture() {
    g.resize(300, 240);
    TPointSerie* s = g.Series().Add();
    s->AddPoint(0, 0);
    s->AddPoint(100, 100);
    g.setRange({0, 0, 100, 100});
    g.setZoomEnabled(true);
    g.OnZoomChange = [this](TObject*, bool zoomed) { events.push_back(zoomed); };
    g.show();
    g.grab();  // paints once: the plot rectangle is known
  }
  void Drag(QPoint from, QPoint to) {
    QTest::mousePress(&g, Qt::LeftButton, Qt::NoModifier, from);
    QTest::mouseMove(&g, to);
    QTest::mouseRelease(&g, Qt::LeftButton, Qt::NoModifier, to);
  }
  QPoint Inside(double fx, double fy) const {
    const TRect p = g.PlotRect();
    return QPoint(p.Left + int(p.Width() * fx), p.Top + int(p.Height() * fy));
  }
};

}  // namespace

TEST(GraphAutoRange, BarsKeepTheirBaseLine) {
  TGraph2D g;
  TPointSerie* s = g.Series().Add();
  s->SetKind(skBars);
  s->AddBar("", clRed, 0, 20, clBlack);
  for (int i = 1; i <= 9; ++i) s->AddBar("", clRed, i, 10, clBlack);
  TGraphRange r = g.AutoRange();
  EXPECT_DOUBLE_EQ(r.YMin, 0);
  EXPECT_NEAR(r.YMax, 22.44, 1e-9);

  s->Clear();
  s->AddBar("", clRed, 0, 10, clBlack);
  for (int i = 1; i <= 9; ++i) s->AddBar("", clRed, i, 20, clBlack);
  r = g.AutoRange();
  EXPECT_NEAR(r.YMax, 20.4, 1e-9);
  EXPECT_NEAR(r.XMin, -9.0 / 50, 1e-9);
}

TEST(GraphAutoRange, UnionOfSeriesAndFunctionsDoNotGrowIt) {
  TGraph2D g;
  TPointSerie* a = g.Series().Add();
  a->AddPoint(0, 0);
  a->AddPoint(10, 100);
  TPointSerie* b = g.Series().Add();
  b->AddPoint(0, -50);
  b->AddPoint(10, 50);
  TGraphRange r = g.AutoRange();
  EXPECT_DOUBLE_EQ(r.YMin, -50 - 3);
  EXPECT_DOUBLE_EQ(r.YMax, 100 + 3);

  TGraph2D f;
  f.setRange({-1, -2, 3, 4});
  TPointSerie* fn = f.Series().Add();
  fn->SetIsFunction(true);
  fn->OnCalcPoint = [](TPointSerie*, int, double& x, double& y) { y = x * x; };
  f.setAutoSize(true);
  for (int i = 0; i < 5; ++i) {
    f.RefreshGraph();
    Render(f, 200, 150);
  }
  EXPECT_EQ(f.Range(), (TGraphRange{-1, -2, 3, 4}));
}

TEST(GraphControl, DrawsIntoEmptyAndTinyImages) {
  TGraph2D g;
  g.Layout().setTitle("Titolo");
  g.Layout().setLegend(true);
  TPointSerie* s = g.Series().Add();
  s->SetName("serie");
  for (int i = 0; i < 100; ++i) s->AddPoint(i, std::sin(i));
  TPointSerie* bars = g.Series().Add();
  bars->SetKind(skBars);
  bars->AddBar("x", clBlue, 1, 2, clBlack);
  TPointSerie* gantt = g.Series().Add();
  gantt->SetKind(skGantt);
  gantt->AddTask("t", clBlue, 1, 2, 1, clBlack);
  g.setAutoSize(true);
  g.RefreshGraph();
  for (QSize sz : {QSize(0, 0), QSize(1, 1), QSize(3, 2), QSize(12, 9), QSize(40, 30)}) {
    const QImage img = Render(g, sz.width(), sz.height());
    EXPECT_EQ(img.size(), sz);
  }
  // A zero division count abandons only its own step.
  g.Labels().setDivisionX(0);
  g.Grid().setDivisionY(0);
  g.Grid().setUnitaryX(true);
  g.Grid().setDivisionX(-3);
  const QImage img = Render(g, 300, 200);
  EXPECT_EQ(img.size(), QSize(300, 200));
}

TEST(GraphControl, DrawsLegendGridAndSeries) {
  TGraph2D g;
  g.resize(300, 200);
  g.setColor(clWhite);
  g.Layout().setLegend(true);
  TPointSerie* s = g.Series().Add();
  s->SetName("Seno");
  s->SetColor(clBlue);
  for (int i = 0; i <= 100; ++i) s->AddPoint(i, 50);
  g.setRange({0, 0, 100, 100});
  const QImage img = g.grab().toImage();
  const TRect p = g.PlotRect();
  ASSERT_FALSE(p.IsEmpty());
  const int row = g.Drawer().YToPixel(50) - 1;
  EXPECT_EQ(PixelAt(img, (p.Left + p.Right) / 2, row), clBlue);
  EXPECT_EQ(PixelAt(img, p.Left, (p.Top + p.Bottom) / 2), clBlack);  // border
  int blue = 0;  // the legend writes the name in the serie's colour above the plot
  for (int y = 0; y < p.Top; ++y)
    for (int x = 0; x < img.width(); ++x) blue += PixelAt(img, x, y) == clBlue;
  EXPECT_GT(blue, 0);
}

TEST(GraphControl, ZoomWithRubberBandAndHistory) {
  ZoomFixture f;
  const int renders = RenderCount(f.g);
  // A plain left click neither zooms nor unzooms.
  QTest::mouseClick(&f.g, Qt::LeftButton, Qt::NoModifier, f.Inside(0.5, 0.5));
  EXPECT_EQ(f.g.Range(), (TGraphRange{0, 0, 100, 100}));
  EXPECT_TRUE(f.events.empty());

  // Dragging the band repaints from the cache only.
  QTest::mousePress(&f.g, Qt::LeftButton, Qt::NoModifier, f.Inside(0.25, 0.25));
  EXPECT_TRUE(f.g.Zooming());
  for (int i = 0; i < 5; ++i) QTest::mouseMove(&f.g, f.Inside(0.5 + i * 0.05, 0.5 + i * 0.05));
  QCoreApplication::processEvents();
  f.g.grab();
  EXPECT_EQ(RenderCount(f.g), renders);
  QTest::mouseRelease(&f.g, Qt::LeftButton, Qt::NoModifier, f.Inside(0.75, 0.75));
  EXPECT_FALSE(f.g.Zooming());
  const TGraphRange z = f.g.Range();
  EXPECT_NEAR(z.XMin, 25, 1.5);
  EXPECT_NEAR(z.XMax, 75, 1.5);
  EXPECT_NEAR(z.YMax, 75, 1.5);
  ASSERT_EQ(f.events.size(), 1u);
  EXPECT_TRUE(f.events[0]);

  f.Drag(f.Inside(0.1, 0.1), f.Inside(0.9, 0.9));
  EXPECT_EQ(f.g.Drawer().ZoomList().Count(), 2);
  // A left click now still does nothing; a right click steps back once.
  QTest::mouseClick(&f.g, Qt::LeftButton, Qt::NoModifier, f.Inside(0.5, 0.5));
  EXPECT_EQ(f.g.Drawer().ZoomList().Count(), 2);
  QTest::mouseClick(&f.g, Qt::RightButton, Qt::NoModifier, f.Inside(0.5, 0.5));
  EXPECT_EQ(f.g.Range(), z);
  QTest::mouseClick(&f.g, Qt::RightButton, Qt::NoModifier, f.Inside(0.5, 0.5));
  EXPECT_EQ(f.g.Range(), (TGraphRange{0, 0, 100, 100}));
  ASSERT_EQ(f.events.size(), 4u);
  EXPECT_FALSE(f.events.back());
  QTest::mouseClick(&f.g, Qt::RightButton, Qt::NoModifier, f.Inside(0.5, 0.5));
  EXPECT_EQ(f.events.size(), 4u);  // nothing left to undo: no event
}

TEST(GraphControl, ThinBandAndDisabledZoom) {
  ZoomFixture f;
  f.g.setRange({0, 0, 1e-7, 1e-7});
  f.g.grab();
  f.Drag(f.Inside(0.2, 0.2), f.Inside(0.6, 0.6));
  // Under the minimum span: the event still fires, the range stays.
  ASSERT_EQ(f.events.size(), 1u);
  EXPECT_FALSE(f.events[0]);
  EXPECT_EQ(f.g.Range(), (TGraphRange{0, 0, 1e-7, 1e-7}));

  f.g.setRange({0, 0, 100, 100});
  f.g.grab();
  f.Drag(f.Inside(0.2, 0.2), f.Inside(0.6, 0.6));
  EXPECT_TRUE(f.g.IsZoomed());
  // With zoom off a left click unzooms while there is a history.
  f.g.setZoomEnabled(false);
  QTest::mouseClick(&f.g, Qt::LeftButton, Qt::NoModifier, f.Inside(0.5, 0.5));
  EXPECT_FALSE(f.g.IsZoomed());
  EXPECT_EQ(f.g.Range(), (TGraphRange{0, 0, 100, 100}));
}

TEST(GraphControl, MouseMoveReportsPointAndTask) {
  TGraph2D g;
  g.resize(300, 240);
  TPointSerie* s = g.Series().Add();
  s->SetKind(skGantt);
  s->AddTask("Lavoro", clLime, 20, 80, 50, clBlack);
  g.setRange({0, 0, 100, 100});
  g.show();
  g.grab();
  int moves = 0;
  g.OnMouseMove = [&](TObject*, Qt::KeyboardModifiers, int, int) {
    ++moves;
    EXPECT_FALSE(g.MouseXText().isEmpty());  // fresh values for the handler
  };
  const int x = g.Drawer().XToPixel(50), y = g.Drawer().YToPixel(50) - 1;
  QTest::mouseMove(&g, QPoint(x, y));
  EXPECT_GE(moves, 1);
  EXPECT_NEAR(g.MousePointX(), 50, 1);
  EXPECT_EQ(g.MouseXText().trimmed(), QString::number(int(g.MousePointX())));
  EXPECT_EQ(g.MouseTask().Text, "Lavoro");
  QTest::mouseMove(&g, QPoint(x, y + 60));
  EXPECT_EQ(g.MouseTask(), TGanttTask());
}

TEST(GraphWindow, FiveGraphsFilledOnShow) {
  auto* f = new TFormGraph2D();
  EXPECT_EQ(f->Caption(), "TGraph2D");
  EXPECT_EQ(f->DesignSize(), QSize(486, 469));
  EXPECT_EQ(f->ComponentCount(), 5);
  f->resize(478, 442);
  f->show();
  QCoreApplication::processEvents();
  for (TGraph2D* g : {f->GraphPoint, f->GraphLine, f->GraphFill, f->GraphBars, f->GraphGantt}) {
    ASSERT_EQ(g->Series().Count(), 1);
    EXPECT_GT(g->Series()[0]->Count(), 0);
    EXPECT_TRUE(g->AutoSize());
  }
  EXPECT_EQ(f->GraphPoint->Series()[0]->Kind(), skPoints);
  EXPECT_EQ(f->GraphGantt->Series()[0]->TaskCount(), 10);
  EXPECT_EQ(f->GraphGantt->Series()[0]->Links()->Count(), 8);  // tasks 2..9 link back
  EXPECT_EQ(f->GraphBars->Series()[0]->TaskCount(), 10);
  // The left graphs stand at their designed widths; no legend was asked for.
  EXPECT_EQ(f->GraphPoint->width(), 229);
  EXPECT_EQ(f->GraphFill->width(), 205);
  for (TGraph2D* g : {f->GraphPoint, f->GraphLine, f->GraphFill, f->GraphBars, f->GraphGantt})
    EXPECT_FALSE(g->Layout().Legend()) << g->objectName().toStdString();
  // The Gantt stays readable: every bar inside the plot, bars of neighbouring
  // rows apart.
  {
    TGraph2D* gg = f->GraphGantt;
    gg->grab();
    const TRect plot = gg->PlotRect();
    TGraphDrawer& d = gg->Drawer();
    const int th = d.TaskHalfHeightAtPitch();
    const int pitch = std::abs(d.YToPixel(1) - d.YToPixel(2));
    EXPECT_LT(2 * th + 2, pitch);
    // Room for a legible text beside each bar, one row from the next.
    EXPECT_GE(pitch, 9);
    EXPECT_GE(2 * th + 2, 6);
    for (const auto& t : gg->Series()[0]->TaskData()) {
      const TExtParm e = d.ToExtParm(t);
      EXPECT_GE(e.Y - th, plot.Top) << "row " << t.Y;
      EXPECT_LT(e.Y + th + 1, plot.Bottom) << "row " << t.Y;
    }
  }
  const QImage img = f->grab().toImage();
  EXPECT_FALSE(img.isNull());
  f->Close();
  QCoreApplication::processEvents();
}

// Random data and ranges, extremes included: every drawing finishes.
TEST(GraphControl, HostileDataAndRangesNeverHang) {
  const double specials[] = {0, -0.0, 1e308, -1e308, 1e-308, std::nan(""), INFINITY, -INFINITY, 1e15, -7};
  static int run = 0;  // a new seed each time the suite is repeated
  QRandomGenerator rng(2026 + run++);
  auto value = [&]() { return rng.bounded(3) == 0 ? specials[rng.bounded(10)] : rng.bounded(2000.0) - 1000; };
  TGraph2D g;
  for (int round = 0; round < 150; ++round) {
    g.Series().Clear();
    for (int k = 0; k < 5; ++k) {
      TPointSerie* s = g.Series().Add();
      s->SetKind(TSerieKind(rng.bounded(5)));
      s->SetPointsPerPage(rng.bounded(4) - 1);
      s->SetPenWidth(rng.bounded(3));
      if (rng.bounded(6) == 0) {
        s->SetIsFunction(true);
        s->OnCalcPoint = [&](TPointSerie*, int, double&, double& y) { y = value(); };
      }
      auto links = std::make_shared<TGanttLinkList>();
      s->SetLinks(links);
      for (int i = 0; i < 30; ++i) {
        s->AddPoint(value(), value());
        s->AddTask("t", clBlue, value(), value(), value(), clBlack);
        links->AddLink(rng.bounded(40) - 5, rng.bounded(40) - 5);
      }
      s->SetPage(rng.bounded(5));
    }
    g.Labels().setAXKind(TGraphLabelKind(rng.bounded(9)));
    g.Labels().setAYKind(TGraphLabelKind(rng.bounded(9)));
    g.Labels().setDivisionX(rng.bounded(7) - 2);
    g.Labels().setUnitaryY(rng.bounded(2));
    g.Labels().setXLabVert(rng.bounded(2));
    g.Grid().setDivisionY(rng.bounded(7) - 2);
    g.Grid().setUnitaryX(rng.bounded(2));
    g.setAutoSize(rng.bounded(2));
    if (!g.AutoSize()) g.setRange({value(), value(), value(), value()});
    g.RefreshGraph();
    const QImage img = Render(g, rng.bounded(120), rng.bounded(90));
    (void)img;
  }
  SUCCEED();
}
