// The simple visual components on a high-density screen: rendered at pixel
// ratio 2 their glyphs are twice the 1x size and carry detail of their own,
// not the 1x picture enlarged.
#include <gtest/gtest.h>

#include <QPainter>
#include <functional>
#include <memory>

#include <Tarnwell/platform/TPixelRatio.h>
#include <Tarnwell/platform/TResources.h>
#include <Tarnwell/visuals/DTEdit.h>
#include <Tarnwell/visuals/ERombBtn.h>
#include <Tarnwell/visuals/FSimpVis.h>
#include <Tarnwell/visuals/GraphLed.h>
#include <Tarnwell/visuals/URLLabel.h>

#include "HiDpiUtil.h"
#include "TestUtil.h"

namespace {

using HiDpi::Detail;
using HiDpi::Dark;
using HiDpi::Ink;
using HiDpi::InkBox;
using HiDpi::Render;
using HiDpi::WidestGap;

bool Green(QRgb c) { return qGreen(c) > qRed(c) + 40 && qGreen(c) > qBlue(c) + 40; }
bool Navy(QRgb c) { return qBlue(c) > 80 && qRed(c) < 60 && qGreen(c) < 60; }

struct THiDpiCase {
  const char* what;
  // Makes the control for a screen of the given ratio.
  std::function<std::unique_ptr<QWidget>(qreal ratio)> make;
  QRect region;  // logical
  Ink ink;
  bool text;  // a caption: checked for gaps inside words
};

TEST(HiDpi, GlyphsScaleWithTheRatioAndHaveDetail) {
  const std::vector<THiDpiCase> cases = {
      {"date-time edit arrow",
       [](qreal r) {
         auto e = std::make_unique<TDateTimeEdit>();
         e->setBtnUpGlyph(SimpleVisArrowGlyph(true, r));
         e->setBtnDnGlyph(SimpleVisArrowGlyph(false, r));
         return std::unique_ptr<QWidget>(std::move(e));
       },
       QRect(16, 3, 28, 11), Dark, false},
      {"rhomb arrow",
       [](qreal) {
         auto p = std::make_unique<TEnhRombButtons>();
         p->setDrawContur(false);
         return std::unique_ptr<QWidget>(std::move(p));
       },
       QRect(30, 0, 40, 45), Dark, false},
      {"lit LED",
       [](qreal) {
         auto l = std::make_unique<TGraphicLed>();
         l->setChecked(true);
         l->setCaption(QStringLiteral("GraphicLed1"));
         l->resize(l->width(), 18);
         return std::unique_ptr<QWidget>(std::move(l));
       },
       QRect(0, 0, 18, 18), Green, false},
      {"URL label",
       [](qreal) {
         auto l = std::make_unique<TURLLabel>();
         l->setCaption(QStringLiteral("Tarnwell"));  // one word: no gap belongs in it
         l->setNormFontColor(QColor(0, 0, 128));
         l->adjustSize();
         return std::unique_ptr<QWidget>(std::move(l));
       },
       QRect(0, 0, 200, 40), Navy, true},
      {"auto-sized label, nothing cut off",
       [](qreal) {
         auto l = std::make_unique<TURLLabel>();
         l->setCaption(QStringLiteral("Send an Email"));
         l->setNormFontColor(QColor(0, 0, 128));
         l->adjustSize();
         return std::unique_ptr<QWidget>(std::move(l));
       },
       QRect(0, 0, 200, 40), Navy, true},
  };
  for (const THiDpiCase& c : cases) {
    SCOPED_TRACE(c.what);
    auto w1 = c.make(1), w2 = c.make(2);
    const QImage at1 = Render(w1.get(), 1), at2 = Render(w2.get(), 2);
    const QRect b1 = InkBox(at1, c.region, 1, c.ink), b2 = InkBox(at2, c.region, 2, c.ink);
    ASSERT_FALSE(b1.isEmpty());
    EXPECT_NEAR(b2.width(), 2 * b1.width(), 2) << "1x " << b1.width() << " 2x " << b2.width();
    EXPECT_NEAR(b2.height(), 2 * b1.height(), 2) << "1x " << b1.height() << " 2x " << b2.height();
    EXPECT_GT(Detail(at1, at2, c.region), 0.01);
    if (c.text) {
      EXPECT_LE(WidestGap(at2, b2, c.ink), 2 * WidestGap(at1, b1, c.ink) + 1);
    }
  }
}

// Pictures with a vector source: exact at ratio 1, drawn at the screen's
// resolution above it.
TEST(HiDpi, ResourcePicturesComeFromTheirVectorSource) {
  for (const char* name : {"LEDON", "LEDOFF", "TRUETYPE", "DEVICEFN"}) {
    SCOPED_TRACE(name);
    const QImage plain = LoadResourcePicture(QString::fromLatin1(name));
    EXPECT_EQ(LoadResourcePictureFor(QString::fromLatin1(name), QSize(15, 15), 1), plain);
    const QImage sharp = LoadResourcePictureFor(QString::fromLatin1(name), QSize(15, 15), 2);
    EXPECT_EQ(sharp.size(), QSize(30, 30));
    EXPECT_EQ(sharp.devicePixelRatio(), 2.0);
  }
}

}  // namespace
