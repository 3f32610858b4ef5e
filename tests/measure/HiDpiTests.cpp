// The measurement displays on a high-density screen: painted at ratio 2 they
// compose their faces in the device's pixels (text twice the 1x size, with
// detail of its own), and going back to ratio 1 gives the 1x picture again.
#include <gtest/gtest.h>

#include <functional>
#include <memory>

#include <Tarnwell/measure/Measdisp.h>
#include <Tarnwell/measure/MoniDisp.h>

#include "HiDpiUtil.h"
#include "MeasureTestUtil.h"

namespace {

struct TDisplayCase {
  const char* what;
  std::function<std::unique_ptr<QWidget>()> make;
  QRect caption;  // logical: the caption line, inside the border
};

TEST(MeasureHiDpi, FacesAreComposedAtTheDeviceResolution) {
  const std::vector<TDisplayCase> cases = {
      {"monitor display, value bar",
       [] {
         auto m = std::make_unique<TMonitorDisplay>();
         m->resize(160, 120);
         m->setSignalCaption(QStringLiteral("Pressione"));
         m->setSignalValue(42);
         return std::unique_ptr<QWidget>(std::move(m));
       },
       QRect(2, 2, 156, 18)},
      {"monitor display, dial",
       [] {
         auto m = std::make_unique<TMonitorDisplay>();
         m->resize(160, 160);
         m->setDisplayStyle(MoniDisp::mdMeter);
         m->setSignalCaption(QStringLiteral("Pressione"));
         m->setSignalValue(42);
         return std::unique_ptr<QWidget>(std::move(m));
       },
       QRect(2, 2, 156, 18)},
      {"measure display, dial",
       [] {
         auto m = std::make_unique<TMeasureDisplay>();
         m->resize(160, 160);
         m->setDisplayStyle(Measdisp::mdMeter);
         m->setControlName(QStringLiteral("Pressione"));
         m->setControlValue(42);
         return std::unique_ptr<QWidget>(std::move(m));
       },
       QRect(2, 1, 156, 16)},
  };
  for (const TDisplayCase& c : cases) {
    SCOPED_TRACE(c.what);
    auto w = c.make();
    const QImage at1 = HiDpi::Render(w.get(), 1), at2 = HiDpi::Render(w.get(), 2);
    DumpImage(at1, QString("hidpi-%1-1x").arg(c.what));
    DumpImage(at2, QString("hidpi-%1-2x").arg(c.what));
    const QRect b1 = HiDpi::InkBox(at1, c.caption, 1, HiDpi::Dark), b2 = HiDpi::InkBox(at2, c.caption, 2, HiDpi::Dark);
    ASSERT_FALSE(b1.isEmpty());
    EXPECT_NEAR(b2.width(), 2 * b1.width(), 2) << "1x " << b1.width() << " 2x " << b2.width();
    EXPECT_NEAR(b2.height(), 2 * b1.height(), 2) << "1x " << b1.height() << " 2x " << b2.height();
    EXPECT_GT(HiDpi::Detail(at1, at2, c.caption), 0.01);
    // The ratio-2 paint leaves nothing behind in the 1x picture.
    EXPECT_EQ(HiDpi::Render(w.get(), 1), at1);
  }
}

// Updates at ratio 2 draw into the device-resolution surface (the dial read
// back, the plot scrolled, shapes drawn again over themselves): the result
// must equal painting afresh at that ratio.
TEST(MeasureHiDpi, UpdatesAtRatio2MatchAFullPaint) {
  for (auto style : {Measdisp::mdLevel, Measdisp::mdOnOff, Measdisp::mdMeter, Measdisp::mdTermo}) {
    TMeasureDisplay d;
    d.resize(200, 120);
    d.setDisplayStyle(style);
    HiDpi::Render(&d, 2);
    ASSERT_EQ(d.Surface().devicePixelRatio(), 2.0) << style;
    for (double v : {10.0, 120.0, 30.0, 40.0}) d.setControlValue(v);
    d.setStop(true);
    d.setControlValue(60);
    d.setStop(false);
    d.setControlValue(55);
    const QImage incremental = d.Surface().copy();
    d.Paint();
    EXPECT_EQ(incremental, d.Surface()) << style;
  }
  for (auto style : {MoniDisp::mdLevel, MoniDisp::mdMeter, MoniDisp::mdOnOff, MoniDisp::mdTermo, MoniDisp::mdHalfM}) {
    TMonitorDisplay d;
    d.resize(160, 200);
    d.setDisplayStyle(style);
    HiDpi::Render(&d, 2);
    for (int v : {10, 120, 30, 40}) d.setSignalValue(v);
    d.setSignalStop(true);
    d.setSignalValue(60);
    HiDpi::Render(&d, 2);  // pending repaints, as the screen gets them
    const QImage incremental = d.Surface().copy();
    d.Paint();
    EXPECT_EQ(incremental, d.Surface()) << style;
  }
}

}  // namespace
