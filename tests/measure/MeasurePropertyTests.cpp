// The measure displays as Qt components: properties, signals, fonts and
// palettes from outside, size hints in layouts.
#include <gtest/gtest.h>

#include <QHBoxLayout>
#include <QSignalSpy>
#include <QWidget>

#include <Tarnwell/measure/Measdisp.h>
#include <Tarnwell/measure/MoniDisp.h>
#include "MeasureTestUtil.h"
#include "PropertyRoundTrip.h"

using namespace Tarnwell;

TEST(MeasureProperties, EveryPropertyRoundTripsAndNotifies) {
  TMonitorDisplay monitor;
  EXPECT_GE(TestUtil::CheckRoundTrips(monitor, QWidget::staticMetaObject), 22);
  TMeasureDisplay display;
  EXPECT_GE(TestUtil::CheckRoundTrips(display, QWidget::staticMetaObject), 17);
}

TEST(MeasureProperties, EnumerationsByNameAndDefaultsByReset) {
  TMonitorDisplay d;
  EXPECT_TRUE(d.setProperty("DisplayStyle", "mdHalfM"));
  EXPECT_EQ(d.DisplayStyle(), MoniDisp::mdHalfM);
  EXPECT_TRUE(d.setProperty("BorderStyle", 4));
  EXPECT_EQ(d.BorderStyle(), MoniDisp::mdbFrameLowered);
  d.setAspectRatio(42);  // clamped before it is stored
  EXPECT_EQ(d.AspectRatio(), 10);
  // The constructor's value and the declared default differ for SignalValue.
  EXPECT_EQ(d.SignalValue(), 50);
  d.resetSignalValue();
  EXPECT_EQ(d.SignalValue(), 0);

  TMeasureDisplay m;
  EXPECT_TRUE(m.setProperty("DisplayStyle", "mdTermo"));
  EXPECT_NE(dynamic_cast<TMeasureTermo*>(m.Monitor()), nullptr);
  m.setMaxValue(7);
  m.resetMaxValue();
  EXPECT_EQ(m.MaxValue(), 100.0);
}

TEST(MeasureProperties, ChangeValueReachesEveryListenerThenTheAssignedHandler) {
  TMeasureDisplay d;
  d.setControlID(7);
  QSignalSpy a(&d, &TMeasureDisplay::ChangeValue), b(&d, &TMeasureDisplay::ChangeValue);
  std::vector<int> order;
  QObject::connect(&d, &TMeasureDisplay::ChangeValue, [&] { order.push_back(1); });
  d.OnChangeValue = [&](TObject*, int, double, double) { order.push_back(2); };
  d.setControlValue(3.5);
  d.setControlValue(3.5);
  ASSERT_EQ(a.count(), 1);
  EXPECT_EQ(b.count(), 1);
  EXPECT_EQ(a.at(0).at(1).toInt(), 7);
  EXPECT_EQ(a.at(0).at(2).toDouble(), 0.0);
  EXPECT_EQ(a.at(0).at(3).toDouble(), 3.5);
  EXPECT_EQ(order, (std::vector<int>{1, 2}));
}

// The face colour of a display as the surface shows it (a pixel of the
// background, away from captions and pictures).
static TColor Face(const QImage& surface) { return FromQRgb(surface.pixel(2, surface.height() / 2)); }

TEST(MeasureProperties, PaletteAndFontFromOutsideReachThePictures) {
  QWidget host;
  auto* d = new TMonitorDisplay(&host);
  d->setBorderStyle(MoniDisp::mdbNone);
  d->setSignalCaption("Pressione");
  d->Paint();
  const TColor before = Face(d->Surface());
  QPalette pal = d->palette();
  pal.setColor(d->backgroundRole(), QColor(0, 0, 128));
  d->setPalette(pal);
  d->Paint();
  EXPECT_EQ(Face(d->Surface()), clNavy);
  EXPECT_NE(before, clNavy);
  EXPECT_EQ(d->Color(), clNavy);

  // A bigger font from the parent moves the value picture down.
  const TRect inner = d->InnerRect();
  QFont big = host.font();
  big.setPixelSize(30);
  host.setFont(big);
  EXPECT_EQ(d->Font().Height(), -30);
  EXPECT_GT(d->InnerRect().Top, inner.Top);

  auto* m = new TMeasureDisplay(&host);
  m->setBorderStyle(Measdisp::mdbNone);
  m->setStyleSheet("background-color: #808000;");
  m->ensurePolished();
  m->Paint();
  EXPECT_EQ(m->Color(), clOlive);
  EXPECT_EQ(Face(m->Surface()), clOlive);
}

TEST(MeasureProperties, DisplaysKeepTheirNaturalSizeInALayout) {
  QWidget w;
  auto* row = new QHBoxLayout(&w);
  auto* a = new TMonitorDisplay;
  auto* b = new TMeasureDisplay;
  row->setContentsMargins(0, 0, 0, 0);
  row->setSpacing(0);
  row->addWidget(a);
  row->addWidget(b);
  EXPECT_EQ(row->sizeHint(), QSize(160, 80));
  EXPECT_EQ(a->sizeHint(), QSize(80, 80));
  EXPECT_EQ(b->sizeHint(), QSize(80, 80));
}
