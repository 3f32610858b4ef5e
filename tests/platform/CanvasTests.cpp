// Pixel tests of the canvas: every primitive is drawn into a QImage and the
// pixels at its edges are checked against the classic conventions.
#include <gtest/gtest.h>

#include <Tarnwell/platform/TBitmap.h>
#include <Tarnwell/platform/TCanvas.h>
#include "HiDpiUtil.h"
#include "TestUtil.h"

using namespace Tarnwell;

namespace {

struct Surface {
  QImage img = WhiteImage(40, 40);
  TCanvas c{&img};
  TColor at(int x, int y) {
    c.Release();
    return PixelAt(img, x, y);
  }
  // Bounding box of non-white pixels.
  QRect ink() {
    c.Release();
    QRect r;
    for (int y = 0; y < img.height(); ++y)
      for (int x = 0; x < img.width(); ++x)
        if (PixelAt(img, x, y) != clWhite) r |= QRect(x, y, 1, 1);
    return r;
  }
};

}  // namespace

TEST(Canvas, RectangleCoversLeftTopToRightBottomExclusive) {
  Surface s;
  s.c.Pen().SetColor(clRed);
  s.c.Brush().SetColor(clBlue);
  s.c.Rectangle(0, 0, 10, 10);
  EXPECT_EQ(s.ink(), QRect(0, 0, 10, 10));
  EXPECT_EQ(s.at(0, 0), clRed);
  EXPECT_EQ(s.at(9, 9), clRed);
  EXPECT_EQ(s.at(9, 0), clRed);
  EXPECT_EQ(s.at(5, 5), clBlue);
  EXPECT_EQ(s.at(10, 5), clWhite);
}

TEST(Canvas, ClearPenOrBrushLeavesThatPartAlone) {
  Surface s;
  s.c.Pen().SetStyle(psClear);
  s.c.Brush().SetColor(clGreen);
  s.c.Rectangle(2, 2, 8, 8);
  EXPECT_EQ(s.ink(), QRect(2, 2, 6, 6));
  Surface t;
  t.c.Brush().SetStyle(bsClear);
  t.c.Rectangle(2, 2, 8, 8);
  EXPECT_EQ(t.at(4, 4), clWhite);
  EXPECT_EQ(t.at(2, 2), clBlack);
  EXPECT_EQ(t.at(7, 7), clBlack);
}

TEST(Canvas, FillAndFrameRect) {
  Surface s;
  s.c.Brush().SetColor(clYellow);
  s.c.FillRect(Rect(3, 4, 13, 9));
  EXPECT_EQ(s.ink(), QRect(3, 4, 10, 5));
  Surface f;
  f.c.Brush().SetColor(clNavy);
  f.c.FrameRect(Rect(0, 0, 6, 5));
  EXPECT_EQ(f.ink(), QRect(0, 0, 6, 5));
  EXPECT_EQ(f.at(5, 4), clNavy);
  EXPECT_EQ(f.at(2, 2), clWhite);
}

TEST(Canvas, LineToLeavesOutTheLastPixel) {
  Surface h;
  h.c.MoveTo(2, 3);
  h.c.LineTo(10, 3);
  EXPECT_EQ(h.ink(), QRect(2, 3, 8, 1));
  Surface back;  // drawn right to left: the start is in, the end out
  back.c.MoveTo(10, 3);
  back.c.LineTo(2, 3);
  EXPECT_EQ(back.ink(), QRect(3, 3, 8, 1));
  Surface v;
  v.c.MoveTo(5, 1);
  v.c.LineTo(5, 6);
  EXPECT_EQ(v.ink(), QRect(5, 1, 1, 5));
  Surface d;
  d.c.MoveTo(0, 0);
  d.c.LineTo(5, 5);
  EXPECT_EQ(d.ink(), QRect(0, 0, 5, 5));
  EXPECT_EQ(d.at(4, 4), clBlack);
  EXPECT_EQ(d.at(5, 5), clWhite);
  EXPECT_EQ(d.c.PenPos(), QPoint(5, 5));
}

TEST(Canvas, XorPolylineDrawsEveryJointOnceAndUndoesItself) {
  Surface s;
  s.c.Pen().SetMode(pmXor);
  s.c.Pen().SetColor(clWhite);
  const std::vector<TPoint> pts{{1, 1}, {10, 1}, {10, 10}, {1, 10}, {1, 1}};
  s.c.Polyline(pts);
  // White XOR white is black: every pixel of the closed path is set once.
  EXPECT_EQ(s.at(10, 1), clBlack);
  EXPECT_EQ(s.at(1, 1), clBlack);
  EXPECT_EQ(s.at(5, 10), clBlack);
  s.c.Polyline(pts);
  EXPECT_TRUE(s.ink().isNull());
}

TEST(Canvas, Frame3DPutsTheFarCornersInTheBottomColour) {
  Surface s;
  TRect r = Rect(0, 0, 10, 8);
  s.c.Frame3D(r, clRed, clBlue, 2);
  EXPECT_EQ(r, Rect(2, 2, 8, 6));
  EXPECT_EQ(s.at(0, 0), clRed);
  EXPECT_EQ(s.at(8, 0), clRed);
  EXPECT_EQ(s.at(9, 0), clBlue);
  EXPECT_EQ(s.at(0, 7), clBlue);
  EXPECT_EQ(s.at(9, 7), clBlue);
  EXPECT_EQ(s.at(1, 1), clRed);
  EXPECT_EQ(s.at(8, 6), clBlue);
  EXPECT_EQ(s.at(2, 2), clWhite);
}

TEST(Canvas, TextOutAnchorsTopLeftAndFillsItsCell) {
  Surface s;
  s.c.Brush().SetColor(clYellow);
  s.c.Font().SetHeight(-12);
  s.c.TextOut(5, 6, QStringLiteral("Hg"));
  const QSize ext = s.c.TextExtent(QStringLiteral("Hg"));
  EXPECT_EQ(s.ink(), QRect(5, 6, ext.width(), ext.height()));
  EXPECT_EQ(s.c.PenPos(), QPoint(5 + ext.width(), 6));
  Surface clear;
  clear.c.Brush().SetStyle(bsClear);
  clear.c.Font().SetHeight(-12);
  clear.c.TextOut(5, 6, QStringLiteral("H"));
  const QRect ink = clear.ink();
  EXPECT_GE(ink.top(), 6);
  EXPECT_GE(ink.left(), 5);
  EXPECT_LE(ink.top(), 6 + 4);  // the cap is near the cell's top
}

TEST(Canvas, TextAtAnAngleRunsUpwards) {
  QImage img = WhiteImage(60, 60);
  TCanvas c(&img);
  c.Brush().SetStyle(bsClear);
  c.Font().Assign(RotatedFont(c.Font(), 900));
  c.TextOut(20, 50, QStringLiteral("WWWW"));
  c.Release();
  QRect ink;
  for (int y = 0; y < 60; ++y)
    for (int x = 0; x < 60; ++x)
      if (PixelAt(img, x, y) != clWhite) ink |= QRect(x, y, 1, 1);
  EXPECT_GT(ink.height(), ink.width());
  EXPECT_LE(ink.bottom(), 50);
}

TEST(Canvas, PixelsAndClipping) {
  Surface s;
  s.c.SetPixel(3, 4, clRed);
  EXPECT_EQ(s.c.Pixel(3, 4), clRed);
  EXPECT_EQ(s.c.Pixel(-1, 4), clNone);
  s.c.SetClipRect(Rect(0, 0, 5, 5));
  s.c.Brush().SetColor(clLime);
  s.c.FillRect(Rect(0, 0, 40, 40));
  EXPECT_EQ(s.ink(), QRect(0, 0, 5, 5));
  s.c.SetClipRect(TRect());
  s.c.FillRect(Rect(30, 30, 31, 31));
  EXPECT_EQ(s.at(30, 30), clLime);
}

TEST(Canvas, EllipseStaysInsideItsBox) {
  Surface s;
  s.c.Brush().SetColor(clRed);
  s.c.Ellipse(4, 4, 24, 14);
  const QRect ink = s.ink();
  EXPECT_GE(ink.left(), 4);
  EXPECT_LE(ink.right(), 23);
  EXPECT_GE(ink.top(), 4);
  EXPECT_LE(ink.bottom(), 13);
  EXPECT_EQ(s.at(14, 9), clRed);
}

// On a high-density picture an ellipse is drawn at its resolution over the
// same box: twice the 1x ink box, not the 1x rows enlarged.
TEST(Canvas, EllipsesAtRatio2AreDrawnAtTheDeviceResolution) {
  struct Case {
    const char* what;
    int penWidth;
    TPenStyle pen;
    TBrushStyle brush;
  } cases[] = {{"thin outline, filled", 1, psSolid, bsSolid},
               {"wide outline, filled", 3, psSolid, bsSolid},
               {"no outline", 1, psClear, bsSolid},
               {"outline only", 1, psSolid, bsClear}};
  for (const Case& k : cases) {
    SCOPED_TRACE(k.what);
    QImage at[2];
    for (int i = 0; i < 2; ++i) {
      const int ratio = i + 1;
      at[i] = WhiteImage(40 * ratio, 30 * ratio);
      at[i].setDevicePixelRatio(ratio);
      TCanvas c(&at[i]);
      c.Pen().SetColor(clNavy);
      c.Pen().SetWidth(k.penWidth);
      c.Pen().SetStyle(k.pen);
      c.Brush().SetColor(clYellow);
      c.Brush().SetStyle(k.brush);
      c.Ellipse(3, 4, 35, 26);
      c.Release();
      at[i].setDevicePixelRatio(1);
    }
    const auto ink = [](QRgb p) { return (p & 0xffffff) != 0xffffff; };
    const QRect b1 = HiDpi::InkBox(at[0], QRect(0, 0, 40, 30), 1, ink);
    const QRect b2 = HiDpi::InkBox(at[1], QRect(0, 0, 40, 30), 2, ink);
    EXPECT_EQ(b1, QRect(3, 4, 32, 22));
    EXPECT_NEAR(b2.left(), 2 * b1.left(), 1);
    EXPECT_NEAR(b2.top(), 2 * b1.top(), 1);
    EXPECT_NEAR(b2.right() + 1, 2 * (b1.right() + 1), 1);
    EXPECT_NEAR(b2.bottom() + 1, 2 * (b1.bottom() + 1), 1);
    EXPECT_GT(HiDpi::Detail(at[0], at[1], QRect(0, 0, 40, 30)), 0.005);
  }
}

TEST(Canvas, EllipsesAreSymmetricClosedAndTouchTheirBox) {
  for (int w = 3; w <= 24; ++w) {
    for (int h = 3; h <= 24; ++h) {
      SCOPED_TRACE(testing::Message() << w << "x" << h);
      QImage img = WhiteImage(32, 32);
      {
        TCanvas c(&img);
        c.Brush().SetStyle(bsClear);
        c.Ellipse(2, 3, 2 + w, 3 + h);
      }
      bool inside = true, symmetric = true, rowsFilled = true;
      int minX = 99, maxX = -1, minY = 99, maxY = -1;
      for (int y = 0; y < 32; ++y) {
        bool any = false;
        for (int x = 0; x < 32; ++x) {
          const bool ink = PixelAt(img, x, y) != clWhite;
          if (!ink) continue;
          any = true;
          if (x < 2 || x >= 2 + w || y < 3 || y >= 3 + h) inside = false;
          minX = std::min(minX, x), maxX = std::max(maxX, x);
          minY = std::min(minY, y), maxY = std::max(maxY, y);
          // Mirror images across both axes of the box.
          const int mx = 2 + (2 + w - 1) - x, my = 3 + (3 + h - 1) - y;
          if (PixelAt(img, mx, y) == clWhite || PixelAt(img, x, my) == clWhite) symmetric = false;
        }
        if (y >= 3 && y < 3 + h && !any) rowsFilled = false;
      }
      EXPECT_TRUE(inside);
      EXPECT_TRUE(symmetric);
      EXPECT_TRUE(rowsFilled);
      EXPECT_EQ(QRect(QPoint(minX, minY), QPoint(maxX, maxY)), QRect(2, 3, w, h));
    }
  }
}

TEST(Canvas, XorEllipseWithABrushUndoesItself) {
  // Outline and interior never share a pixel, so drawing twice in XOR mode
  // gives back the picture that was there.
  QImage img = WhiteImage(40, 40);
  {
    TCanvas c(&img);
    c.Brush().SetColor(clRed);
    c.FillRect(Rect(0, 0, 20, 40));
  }
  const QImage before = img.copy();
  {
    TCanvas c(&img);
    c.Pen().SetMode(pmXor);
    c.Pen().SetColor(clBlue);
    c.Brush().SetColor(clYellow);
    c.Ellipse(3, 5, 31, 27);
    c.Release();
    EXPECT_NE(img, before);
    c.Ellipse(3, 5, 31, 27);
  }
  EXPECT_EQ(img, before);
}

TEST(Canvas, MetafilesKeepXorAndNotPenModesOnPlayback) {
  TMetafile mf;
  mf.SetSize(20, 20);
  {
    TMetafileCanvas mc(mf);
    mc.Pen().SetMode(pmXor);
    mc.Pen().SetColor(clBlue);
    mc.MoveTo(0, 5);
    mc.LineTo(20, 5);
    mc.Pen().SetMode(pmNot);
    mc.MoveTo(0, 9);
    mc.LineTo(20, 9);
  }
  Surface s;
  s.c.Brush().SetColor(clBlack);
  s.c.FillRect(Rect(0, 0, 40, 40));
  s.c.Draw(0, 0, mf);
  EXPECT_EQ(s.at(3, 5), clBlue);   // black XOR blue
  EXPECT_EQ(s.at(3, 9), clWhite);  // NOT black
  s.c.Draw(0, 0, mf);
  EXPECT_EQ(s.at(3, 5), clBlack);  // played twice: undone
  EXPECT_EQ(s.at(3, 9), clBlack);
}

TEST(Canvas, WidePensIncludeTheEndAndDrawDotsForZeroLengthSteps) {
  Surface s;
  s.c.Pen().SetWidth(3);
  s.c.MoveTo(5, 10);
  s.c.LineTo(15, 10);
  const QRect ink = s.ink();
  EXPECT_EQ(ink.top(), 9);
  EXPECT_EQ(ink.bottom(), 11);
  EXPECT_LE(ink.left(), 5);    // round start
  EXPECT_GE(ink.right(), 15);  // the end point is drawn, round end beyond it
  EXPECT_LE(ink.right(), 17);

  Surface dot;
  dot.c.Pen().SetWidth(5);
  dot.c.MoveTo(20, 20);
  dot.c.LineTo(20, 20);
  const QRect d = dot.ink();
  EXPECT_TRUE(d.contains(QPoint(20, 20)));
  EXPECT_GE(d.width(), 4);
  EXPECT_LE(d.width(), 6);
  EXPECT_EQ(d.width(), d.height());

  // A steady trace of one-pixel steps with a wide pen has no holes.
  Surface trace;
  trace.c.Pen().SetWidth(2);
  trace.c.MoveTo(2, 30);
  for (int x = 3; x < 38; ++x) trace.c.LineTo(x, 30);
  for (int x = 2; x < 38; ++x) EXPECT_NE(trace.at(x, 30), clWhite) << x;
  // Thin pens still leave out their last pixel.
  Surface thin;
  thin.c.MoveTo(2, 2);
  thin.c.LineTo(2, 2);
  EXPECT_TRUE(thin.ink().isEmpty());
}

TEST(Canvas, PieTakesTheCounterClockwiseSweep) {
  Surface s;
  s.c.Brush().SetColor(clRed);
  s.c.Pen().SetStyle(psClear);
  // From the radial to the right (east) counter-clockwise to the one up (north).
  s.c.Pie(0, 0, 40, 40, 40, 20, 20, 0);
  EXPECT_EQ(s.at(28, 12), clRed);    // upper right quarter
  EXPECT_EQ(s.at(12, 12), clWhite);  // upper left
  EXPECT_EQ(s.at(28, 28), clWhite);  // lower right
}

TEST(Canvas, BrushCopyReplacesOneColour) {
  TBitmap bmp(4, 1);
  bmp.Canvas().SetPixel(0, 0, clRed);
  bmp.Canvas().SetPixel(1, 0, clBlue);
  bmp.Canvas().SetPixel(2, 0, clRed);
  Surface s;
  s.c.Brush().SetColor(clLime);
  s.c.BrushCopy(Rect(0, 0, 4, 1), bmp, Rect(0, 0, 4, 1), clRed);
  EXPECT_EQ(s.at(0, 0), clLime);
  EXPECT_EQ(s.at(1, 0), clBlue);
  EXPECT_EQ(s.at(2, 0), clLime);
  EXPECT_EQ(s.at(3, 0), clWhite);
}

TEST(Canvas, DrawHonoursTransparencyAndStretch) {
  TBitmap bmp(2, 2);
  bmp.Canvas().Brush().SetColor(clFuchsia);
  bmp.Canvas().FillRect(Rect(0, 0, 2, 2));
  bmp.Canvas().SetPixel(1, 0, clNavy);
  bmp.SetTransparent(true);  // the bottom-left pixel names the transparent colour
  EXPECT_EQ(bmp.TransparentColor(), clFuchsia);
  Surface s;
  s.c.Draw(5, 5, bmp);
  EXPECT_EQ(s.at(5, 5), clWhite);
  EXPECT_EQ(s.at(6, 5), clNavy);
  Surface t;
  t.c.StretchDraw(Rect(0, 0, 8, 8), bmp);
  EXPECT_EQ(t.at(6, 1), clNavy);
  EXPECT_EQ(t.at(1, 6), clWhite);
}

TEST(Canvas, MetafileScalesWithoutLosingItsShape) {
  TMetafile mf;
  mf.SetSize(10, 10);
  {
    TMetafileCanvas mc(mf);
    mc.Brush().SetColor(clRed);
    mc.Pen().SetStyle(psClear);
    mc.Rectangle(0, 0, 5, 10);
  }
  ASSERT_FALSE(mf.Empty());
  Surface s;
  s.c.StretchDraw(Rect(0, 0, 40, 20), mf);
  EXPECT_EQ(s.at(2, 2), clRed);
  EXPECT_EQ(s.at(18, 18), clRed);
  EXPECT_EQ(s.at(22, 10), clWhite);
}

TEST(Canvas, PenModesOnRaster) {
  Surface s;
  s.c.Brush().SetColor(clBlack);
  s.c.FillRect(Rect(0, 0, 4, 4));
  s.c.Pen().SetMode(pmNot);
  s.c.MoveTo(0, 1);
  s.c.LineTo(4, 1);
  EXPECT_EQ(s.at(0, 1), clWhite);
  EXPECT_EQ(s.at(0, 0), clBlack);
  s.c.Pen().SetMode(pmNop);
  s.c.Pen().SetColor(clRed);
  s.c.MoveTo(0, 2);
  s.c.LineTo(4, 2);
  EXPECT_EQ(s.at(1, 2), clBlack);
}

TEST(Canvas, DegenerateInputDrawsNothingAndNeverCrashes) {
  QImage empty;
  TCanvas none(&empty);
  none.Rectangle(0, 0, 10, 10);
  none.TextOut(0, 0, QStringLiteral("x"));
  none.LineTo(5, 5);
  EXPECT_EQ(none.Pixel(0, 0), clNone);
  Surface s;
  s.c.Rectangle(5, 5, 5, 9);
  s.c.Ellipse(3, 3, 3, 3);
  s.c.Polygon(nullptr, 0);
  s.c.Frame3D(*std::make_unique<TRect>(0, 0, 0, 0), clRed, clRed, 5);
  s.c.Rectangle(10, 10, 4, 4);  // reversed corners are the same rectangle
  EXPECT_EQ(s.ink(), QRect(4, 4, 6, 6));
}

TEST(Canvas, RecordedEllipsesPlayBackAsTheDirectlyDrawnOnes) {
  struct Box {
    int l, t, r, b;
  };
  const Box boxes[] = {{3, 4, 37, 30}, {0, 0, 40, 40}, {5, 18, 35, 21}, {18, 2, 21, 38}, {7, 7, 8, 8}, {2, 9, 31, 10}};
  for (TPenMode mode : {pmCopy, pmXor}) {
    for (const Box& box : boxes) {
      SCOPED_TRACE(testing::Message() << "mode " << int(mode) << " box " << box.l << "," << box.t << "," << box.r
                                      << "," << box.b);
      auto style = [&](TCanvas& c) {
        c.Pen().SetColor(clRed);
        c.Pen().SetMode(mode);
        c.Brush().SetColor(clBlue);
      };
      Surface direct;
      direct.c.Brush().SetColor(clGreen);
      direct.c.FillRect(Rect(0, 0, 40, 40));
      style(direct.c);
      direct.c.Ellipse(box.l, box.t, box.r, box.b);
      direct.c.Release();
      TMetafile mf;
      mf.SetSize(40, 40);
      {
        TMetafileCanvas mc(mf);
        style(mc);
        mc.Ellipse(box.l, box.t, box.r, box.b);
      }
      Surface played;
      played.c.Brush().SetColor(clGreen);
      played.c.FillRect(Rect(0, 0, 40, 40));
      played.c.Draw(0, 0, mf);
      played.c.Release();
      EXPECT_EQ(played.img, direct.img);
    }
  }
  // Played back smaller, the outline stays whole: along every row the
  // first pixel of the ellipse from either side is the pen's.
  TMetafile mf;
  mf.SetSize(200, 200);
  {
    TMetafileCanvas mc(mf);
    mc.Pen().SetColor(clBlack);
    mc.Brush().SetColor(clBlue);
    mc.Ellipse(9, 9, 190, 190);
  }
  QImage img = WhiteImage(113, 149);
  {
    TCanvas c(&img);
    c.StretchDraw(Rect(0, 0, 113, 149), mf);
  }
  for (int y = 0; y < img.height(); ++y) {
    int first = -1, last = -1;
    for (int x = 0; x < img.width(); ++x)
      if (PixelAt(img, x, y) != clWhite) {
        if (first < 0) first = x;
        last = x;
      }
    if (first < 0) continue;
    EXPECT_EQ(PixelAt(img, first, y), clBlack) << "row " << y;
    EXPECT_EQ(PixelAt(img, last, y), clBlack) << "row " << y;
  }
}
