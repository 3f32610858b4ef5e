// The graph on a high-density screen: painted at ratio 2 its labels are twice
// the 1x size with detail of their own, and its dotted grid keeps the 1x
// rows and columns, each dot the square its logical pixel covers.
#include <gtest/gtest.h>

#include <QDir>

#include <Tarnwell/graph/Graph2D.h>

#include "HiDpiUtil.h"
#include "TestUtil.h"

using namespace Tarnwell;

namespace {

void Dump(const QImage& img, const QString& name) {
  const QString dir = qEnvironmentVariable("TARNWELL_DUMP_DIR");
  if (dir.isEmpty()) return;
  QDir().mkpath(dir);
  img.save(dir + "/" + name + ".png");
}

TEST(GraphHiDpi, LabelsAndGridScaleWithTheRatio) {
  TGraph2D g;
  g.resize(320, 200);
  const QImage at1 = HiDpi::Render(&g, 1), at2 = HiDpi::Render(&g, 2);
  Dump(at1, "graph-1x");
  Dump(at2, "graph-2x");
  const QRect labels(0, 0, 50, 160);  // the value labels left of the plot
  const QRect b1 = HiDpi::InkBox(at1, labels, 1, HiDpi::Dark), b2 = HiDpi::InkBox(at2, labels, 2, HiDpi::Dark);
  ASSERT_FALSE(b1.isEmpty());
  EXPECT_NEAR(b2.width(), 2 * b1.width(), 2) << "1x " << b1.width() << " 2x " << b2.width();
  EXPECT_NEAR(b2.height(), 2 * b1.height(), 2) << "1x " << b1.height() << " 2x " << b2.height();
  EXPECT_GT(HiDpi::Detail(at1, at2, labels), 0.01);
  // Inside the plot nothing but the grid and the axes is drawn: there the 2x
  // picture is the 1x one enlarged, pixel for pixel.
  const QRect plot = g.PlotRect().ToQRect().adjusted(2, 2, -2, -2);
  const QImage up = at1.scaled(at1.size() * 2, Qt::IgnoreAspectRatio, Qt::FastTransformation);
  EXPECT_EQ(up.copy(QRect(plot.topLeft() * 2, plot.size() * 2)), at2.copy(QRect(plot.topLeft() * 2, plot.size() * 2)));
}

}  // namespace
