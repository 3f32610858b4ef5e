// The graph as a Qt component: properties of the control and of its drawing
// objects, signals, font and palette from outside.
#include <gtest/gtest.h>

#include <QApplication>
#include <QSignalSpy>
#include <QTest>

#include <Tarnwell/graph/Graph2D.h>
#include <Tarnwell/graph/Graph2D_p.h>
#include "../measure/PropertyRoundTrip.h"

using namespace Tarnwell;

TEST(GraphProperties, ControlAndDrawingObjectsRoundTrip) {
  TGraph2D g;
  EXPECT_GE(TestUtil::CheckRoundTrips(g, QWidget::staticMetaObject), 4);
  EXPECT_GE(TestUtil::CheckRoundTrips(g.Layout(), TGraphDrawObject::staticMetaObject), 7);
  EXPECT_GE(TestUtil::CheckRoundTrips(g.Labels(), TGraphDrawObject::staticMetaObject), 11);
  EXPECT_GE(TestUtil::CheckRoundTrips(g.Grid(), TGraphDrawObject::staticMetaObject), 10);
  // The sub-objects are reachable through the control's own properties.
  auto* labels = g.property("Labels").value<TGraphLabels*>();
  ASSERT_EQ(labels, &g.Labels());
  EXPECT_TRUE(labels->setProperty("AXKind", "glkDate"));
  EXPECT_EQ(g.Labels().AXKind(), glkDate);
  g.Grid().setWidth(4);
  g.Grid().resetWidth();
  EXPECT_EQ(g.Grid().Width(), 1);
}

TEST(GraphProperties, ChangingADrawingObjectRedrawsTheControl) {
  TGraph2D g;
  g.resize(200, 150);
  g.grab();
  const int renders = RenderCount(g);
  g.Layout().setTitle("Vendite");
  g.Labels().setTextLab({"a", "b"});  // copies only: no redraw for it
  g.grab();
  EXPECT_EQ(RenderCount(g), renders + 1);
}

TEST(GraphProperties, ZoomAndMouseSignalsReachEveryListener) {
  TGraph2D g;
  g.resize(300, 200);
  g.setRange({0, 0, 100, 100});
  g.setZoomEnabled(true);
  g.grab();
  QSignalSpy zoom(&g, &TCustomGraph2D::ZoomChange), down(&g, &TCustomGraph2D::MouseDown),
      click(&g, &TCustomGraph2D::Click);
  int assigned = 0;
  g.OnZoomChange = [&](TObject*, bool) { ++assigned; };
  QTest::mousePress(&g, Qt::LeftButton, {}, QPoint(60, 60));
  QTest::mouseMove(&g, QPoint(150, 120));
  QTest::mouseRelease(&g, Qt::LeftButton, {}, QPoint(150, 120));
  ASSERT_EQ(zoom.count(), 1);
  EXPECT_TRUE(zoom.at(0).at(1).toBool());
  EXPECT_EQ(down.count(), 1);
  EXPECT_EQ(click.count(), 1);
  QTest::mouseClick(&g, Qt::RightButton, {}, QPoint(60, 60));
  ASSERT_EQ(zoom.count(), 2);
  EXPECT_FALSE(zoom.at(1).at(1).toBool());
  EXPECT_EQ(assigned, 2);
}

TEST(GraphProperties, BackgroundAndFontComeFromTheWidget) {
  TGraph2D g;
  g.resize(200, 150);
  QPalette pal = g.palette();
  pal.setColor(g.backgroundRole(), QColor(255, 255, 0));
  g.setPalette(pal);
  EXPECT_EQ(g.Color(), clYellow);
  const QImage img = g.grab().toImage();
  EXPECT_EQ(img.pixelColor(2, 2), QColor(255, 255, 0));  // a margin

  // The title is measured with the control's font: a bigger one pushes the
  // plot down.
  g.Layout().setTitle("Vendite");
  g.grab();
  const TRect small = g.PlotRect();
  QFont f = g.font();
  f.setPixelSize(24);
  g.setFont(f);
  EXPECT_EQ(g.Font().Height(), -24);
  g.grab();
  EXPECT_GT(g.PlotRect().Top, small.Top);
}
