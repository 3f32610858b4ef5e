// The bar code control's geometry and pixels, and its window.
#include <gtest/gtest.h>

#include <QImage>
#include <climits>

#include <Tarnwell/barcodes/BarCodes.h>
#include <Tarnwell/barcodes/FBarCodes.h>
#include <Tarnwell/platform/TCanvas.h>
#include "Readers.h"
#include "TestUtil.h"

using namespace Tarnwell;

namespace {

TBarCodes* Make(TBarCodes& bc, TBarCodesType type, const char* caption, int px) {
  bc.setA_BarPixels(px);
  bc.setA_CodeType(type);
  bc.setCaption(QString::fromLatin1(caption));
  return &bc;
}

// Paints the control at (0,0) on a white image with a white background.
QImage Paint(TBarCodes& bc) {
  QImage img = WhiteImage(bc.width(), bc.height());
  TCanvas canvas(&img);
  bc.DrawBarCode(canvas, 0, 0, bc.height(), bc.width(), bc.A_BarPixels(), clWhite);
  canvas.Release();
  return img;
}

bool Black(const QImage& img, int x, int y) { return PixelAt(img, x, y) == clBlack; }

}  // namespace

TEST(BarCodesControl, SizesItselfBeforeBeingShown) {
  struct {
    TBarCodesType Type;
    const char* Caption;
    int Px;
    int Width;
  } cases[] = {{bcEAN_13, "1234567890", 1, 103}, {bcUPC_A, "1234567890", 1, 112},
               {bcEAN_8, "12345678", 1, 68},     {bcUPC_E, "123456", 1, 52},
               {bcCODE39, "12345", 2, 256},      {bcEAN_13, "1", 2, 206},
               {bcCODE128A, "12345", 1, 91}};
  for (const auto& c : cases) {
    TBarCodes bc;
    Make(bc, c.Type, c.Caption, c.Px);
    EXPECT_FALSE(bc.isVisible());
    EXPECT_EQ(bc.width(), c.Width) << c.Caption;
    EXPECT_EQ(bc.height(), c.Px * 66);
  }
  TBarCodes bc;
  EXPECT_EQ(bc.height(), 132);
  EXPECT_EQ(bc.A_BarCode(), "0000000000000");
  bc.setA_BarCode("1234567890");
  EXPECT_EQ(bc.Caption(), "1234567890");
  EXPECT_EQ(bc.A_BarCode(), "1234567890005");
  EXPECT_EQ(bc.TextMargin(), 14);
}

TEST(BarCodesControl, PropertyRules) {
  TBarCodes bc;
  bc.setA_HeightMult(5);
  EXPECT_EQ(bc.A_HeightMult(), 10);
  EXPECT_EQ(bc.height(), 20);
  bc.setA_WideRatio(4);
  EXPECT_EQ(bc.A_WideRatio(), 3);
  bc.setA_CodeType(bcCODE39);
  bc.setCaption("12345");
  const int wide = bc.width();
  bc.setA_WideRatio(2);
  EXPECT_EQ(bc.A_WideRatio(), 2);
  EXPECT_EQ(bc.width(), 2 * (13 * 8 - 1 + 1));
  EXPECT_LT(bc.width(), wide);
  bc.setA_C39CheckChar(false);
  EXPECT_EQ(bc.A_BarCode(), "12345");
  bc.setA_HeightAuto(false);
  bc.resize(bc.width(), 49);
  bc.setA_BarPixels(3);
  EXPECT_EQ(bc.height(), 49);
}

TEST(BarCodesControl, BadSizesStayPositiveAndBounded) {
  TBarCodes bc;
  Make(bc, bcEAN_13, "1234567890", 0);
  EXPECT_EQ(bc.A_BarPixels(), 0);
  EXPECT_EQ(bc.width(), 103);
  EXPECT_EQ(bc.height(), 66);
  bc.setA_BarPixels(-7);
  EXPECT_EQ(bc.width(), 103);
  EXPECT_EQ(bc.height(), 66);
  EXPECT_FALSE(Paint(bc).isNull());

  bc.setA_BarPixels(INT_MAX);
  EXPECT_GT(bc.width(), 0);
  EXPECT_LE(bc.width(), TBarCodes::MaxExtent);
  EXPECT_GT(bc.height(), 0);
  bc.setA_BarPixels(1);
  bc.setA_HeightMult(INT_MAX);
  EXPECT_GT(bc.height(), 0);
  EXPECT_LE(bc.height(), TBarCodes::MaxExtent);

  TBarCodes big;
  Make(big, bcCODE128B, "", 1000);
  big.setCaption(QString(20000, QChar('x')));
  EXPECT_GT(big.width(), 0);
  EXPECT_LE(big.width(), TBarCodes::MaxExtent);
}

TEST(BarCodesControl, GuardBarsStandLongerThanDataBars) {
  for (int q : {1, 2}) {
    for (bool readable : {true, false}) {
      TBarCodes bc;
      Make(bc, bcEAN_13, "1234567890", q);
      bc.setA_Readable(readable);
      const QImage img = Paint(bc);
      const int M = bc.TextMargin();
      const int B = bc.height();
      const int h = q == 1 ? 12 : 24;                       // 9 and 18 points at 96 dpi
      auto x = [&](int module) { return M + module * q; };  // module positions from 1
      EXPECT_FALSE(Black(img, x(1), 1));
      EXPECT_TRUE(Black(img, x(1), 2));
      const int yGuard = B - h / 2 - 1;
      const int yShort = B - h - 1;
      for (int guard : {1, 3, 47, 49, 93, 95}) {
        EXPECT_TRUE(Black(img, x(guard), yGuard)) << "guard module " << guard << " q " << q;
        EXPECT_FALSE(Black(img, x(guard), B - 1));
      }
      // The last module of the left half is always a bar (L and G patterns
      // end in one); it ends with the data bars above the text.
      EXPECT_TRUE(Black(img, x(45), yShort));
      EXPECT_FALSE(Black(img, x(45), yGuard));
      EXPECT_TRUE(Black(img, x(51), yShort));  // R patterns start with a bar
      EXPECT_FALSE(Black(img, x(51), yGuard));
      // Text in the boxes only when readable.
      int dark = 0;
      for (int yy = B - h; yy < B; ++yy)
        for (int xx = x(4); xx < x(46); ++xx) dark += PixelAt(img, xx, yy) != clWhite;
      if (readable)
        EXPECT_GT(dark, 10);
      else
        EXPECT_EQ(dark, 0);
    }
  }
}

TEST(BarCodesControl, OtherSymbologiesPrintTheCaptionUnderFullBars) {
  TBarCodes bc;
  Make(bc, bcCODE39, "12345", 2);
  const QImage img = Paint(bc);
  const int h = 24;
  // No blank strip: the first bar reaches above the text box, then the box cuts it.
  EXPECT_TRUE(Black(img, 2, bc.height() - h - 1));
  EXPECT_FALSE(Black(img, 2, bc.height() - 1) && Black(img, 3, bc.height() - 1));
  // The caption is centred: dark pixels fall in the middle half of the box.
  int left = INT_MAX, right = -1;
  for (int yy = bc.height() - h; yy < bc.height(); ++yy)
    for (int xx = 0; xx < img.width(); ++xx)
      if (PixelAt(img, xx, yy) != clWhite) left = std::min(left, xx), right = std::max(right, xx);
  ASSERT_GE(right, 0);
  EXPECT_NEAR((left + right) / 2.0, img.width() / 2.0, 6);
}

TEST(BarCodesControl, PaintsAsAWidgetToo) {
  TBarCodes bc;
  Make(bc, bcEAN_8, "12345678", 2);
  bc.setColor(clWhite);
  const QImage img = bc.grab().toImage();
  ASSERT_EQ(img.width(), bc.width());
  EXPECT_TRUE(Black(img, 2, 10));   // first guard bar at module 1
  EXPECT_FALSE(Black(img, 0, 10));  // the empty module before it
}

// The quiet zone is off by default (the widths stay as they were); on, each
// symbology gets its zone as blank background on both sides, and the
// control's own picture then decodes without any margin added around it.
TEST(BarCodesControl, QuietZoneWidensByTheSymbologysZoneOnly) {
  struct {
    TBarCodesType Type;
    const char* Caption;
    int Left, Right;  // modules of zone added at 2 pixels per module
    const char* Read;
  } cases[] = {
      {bcEAN_13, "590123412345", 11 - 8, 7, "5901234123457"},
      {bcEAN_8, "9638507", 7 - 1, 7, "96385074"},
      {bcUPC_A, "03600029145", 9 - 9, 9 - 8, "036000291452"},
      {bcUPC_E, "042526", 9 - 1, 7, nullptr},
      {bcCODE39, "TARN-1", 10 - 1, 10, "TARN-1"},
      {bcCODE128B, "Quiet", 10 - 1, 10, "Quiet"},
  };
  for (const auto& c : cases) {
    TBarCodes bc;
    Make(bc, c.Type, c.Caption, 2);
    EXPECT_FALSE(bc.A_QuietZone());
    const int plain = bc.width();
    EXPECT_EQ(bc.QuietLeft(), 0);
    bc.setA_QuietZone(true);
    EXPECT_EQ(bc.QuietLeft(), 2 * c.Left) << c.Caption;
    EXPECT_EQ(bc.QuietRight(), 2 * c.Right) << c.Caption;
    EXPECT_EQ(bc.width(), plain + 2 * (c.Left + c.Right)) << c.Caption;
    const QImage img = Paint(bc);
    // The zones are background only.
    for (int x = 0; x < bc.QuietLeft(); ++x) EXPECT_FALSE(Black(img, x, 10)) << c.Caption << " x " << x;
    for (int x = bc.width() - bc.QuietRight(); x < bc.width(); ++x)
      EXPECT_FALSE(Black(img, x, 10)) << c.Caption << " x " << x;
    if (c.Read && HaveZxing()) {
      const auto got = ZxingDecode(img, c.Type);
      EXPECT_TRUE(got.size() == 1 && got[0] == c.Read) << c.Caption;
    }
    bc.setA_QuietZone(false);
    EXPECT_EQ(bc.width(), plain);
  }
}

TEST(FormBarCodes, HoldsItsEightCodes) {
  TFormBarCodes form;
  EXPECT_EQ(form.Caption(), "TBarCodes");
  EXPECT_EQ(form.DesignSize(), QSize(421, 244));
  ASSERT_EQ(form.ComponentCount(), 8);
  EXPECT_EQ(form.BarCodes1->geometry(), QRect(12, 12, 103, 66));
  EXPECT_EQ(form.BarCodes2->geometry(), QRect(132, 12, 68, 66));
  EXPECT_EQ(form.BarCodes3->geometry(), QRect(228, 12, 112, 66));
  EXPECT_EQ(form.BarCodes4->geometry(), QRect(352, 12, 52, 66));
  EXPECT_EQ(form.BarCodes5->pos(), QPoint(20, 92));
  EXPECT_EQ(form.BarCodes6->geometry(), QRect(148, 96, 256, 49));
  EXPECT_EQ(form.BarCodes7->geometry(), QRect(20, 164, 91, 66));
  EXPECT_EQ(form.BarCodes8->geometry(), QRect(148, 164, 256, 66));
  EXPECT_EQ(form.BarCodes5->A_BarCode(), "12345678903");
  EXPECT_EQ(form.BarCodes7->A_BarCode(), QString("12345") + QChar(0x19));
  form.resize(421, 244);
  EXPECT_FALSE(form.grab().isNull());
}
