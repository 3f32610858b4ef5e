// Colours, fonts, bitmaps, rounding and date serials.
#include <gtest/gtest.h>

#include <QFontMetrics>
#include <QPalette>
#include <cmath>
#include <limits>

#include <Tarnwell/platform/TBitmap.h>
#include <Tarnwell/platform/TDateTime.h>
#include <Tarnwell/platform/TGraphics.h>
#include <Tarnwell/platform/TTypes.h>
#include "TestUtil.h"

using namespace Tarnwell;

TEST(Color, NamedColoursAreBGR) {
  EXPECT_EQ(clRed, 0x0000FFu);
  EXPECT_EQ(clNavy, 0x800000u);
  EXPECT_EQ(GetRValue(clRed), 255);
  EXPECT_EQ(GetBValue(clBlue), 255);
  EXPECT_EQ(ToQColor(clTeal), QColor(0, 128, 128));
  EXPECT_EQ(FromQColor(QColor(1, 2, 3)), RGB(1, 2, 3));
  EXPECT_EQ(ToQColor(clNone).alpha(), 0);
}

TEST(Color, SystemColoursFollowThePalette) {
  QPalette pal;
  pal.setColor(QPalette::Button, QColor(10, 20, 30));
  pal.setColor(QPalette::Highlight, QColor(200, 0, 0));
  EXPECT_EQ(ColorToRGB(clBtnFace, pal), RGB(10, 20, 30));
  EXPECT_EQ(ColorToRGB(clHighlight, pal), RGB(200, 0, 0));
  EXPECT_EQ(ColorToRGB(clOlive, pal), clOlive);
  EXPECT_TRUE(IsSystemColor(clBtnShadow));
  EXPECT_FALSE(IsSystemColor(clNone));
}

TEST(Color, NamesRoundTrip) {
  for (TColor c : {clBlack, clAqua, clBtnFace, clNone, RGB(1, 2, 3)}) {
    TColor back = 12345;
    ASSERT_TRUE(StringToColor(ColorToString(c), back)) << ColorToString(c).toStdString();
    EXPECT_EQ(back, c);
  }
  TColor keep = clRed;
  EXPECT_FALSE(StringToColor(QStringLiteral("clNotAColour"), keep));
  EXPECT_EQ(keep, clRed);
}

TEST(Nearest, HalvesGoToEven) {
  EXPECT_EQ(nearest(0.5), 0);
  EXPECT_EQ(nearest(1.5), 2);
  EXPECT_EQ(nearest(2.5), 2);
  EXPECT_EQ(nearest(-0.5), 0);
  EXPECT_EQ(nearest(-1.5), -2);
  EXPECT_EQ(nearest(-2.5), -2);
  EXPECT_EQ(nearest(2.4999), 2);
  EXPECT_EQ(nearest(-2.6), -3);
  EXPECT_EQ(nearest(std::nan("")), 0);
  EXPECT_EQ(nearest(1e300), std::numeric_limits<int>::max());
  EXPECT_EQ(nearest(-1e300), std::numeric_limits<int>::min());
  EXPECT_EQ(idiv(-7, 2), -3);
  EXPECT_EQ(idiv(7, 0), 0);
}

TEST(Rect, IntersectionAndUnion) {
  EXPECT_EQ(IntersectRect(Rect(0, 0, 10, 10), Rect(5, 5, 20, 20)), Rect(5, 5, 10, 10));
  EXPECT_TRUE(IntersectRect(Rect(0, 0, 5, 5), Rect(5, 0, 9, 5)).IsEmpty());
  EXPECT_EQ(UnionRect(Rect(0, 0, 1, 1), Rect(4, 4, 5, 6)), Rect(0, 0, 5, 6));
  EXPECT_EQ(Bounds(2, 3, 4, 5).ToQRect(), QRect(2, 3, 4, 5));
}

TEST(Font, SignedHeightsAndPoints) {
  TFont f;
  EXPECT_EQ(f.Height(), -11);
  EXPECT_EQ(f.Size(), 8);
  f.SetSize(12);
  EXPECT_EQ(f.Height(), -16);
  EXPECT_EQ(f.ToQFont().pixelSize(), 16);
  f.SetHeight(20);  // a positive height is the whole cell
  EXPECT_NEAR(QFontMetrics(f.ToQFont()).height(), 20, 1);
}

TEST(Font, ChangeNotificationAndCopies) {
  TFont f;
  int changes = 0;
  f.OnChange = [&](TGraphicsObject*) { ++changes; };
  f.SetColor(clRed);
  f.SetColor(clRed);  // equal: no notice
  EXPECT_EQ(changes, 1);
  TFont copy(f);
  copy.SetStyle(fsBold);  // a copy does not notify the original's owner
  EXPECT_EQ(changes, 1);
  f = copy;  // assignment notifies like Assign
  EXPECT_EQ(changes, 2);
  EXPECT_TRUE(f.ToQFont().bold());
  TPen pen;
  int penChanges = 0;
  pen.OnChange = [&](TGraphicsObject*) { ++penChanges; };
  pen.SetWidth(3);
  pen.SetWidth(3);
  EXPECT_EQ(penChanges, 1);
}

TEST(Font, ClassicNamesMapToInstalledFamilies) {
  TFont f;
  f.SetName(QStringLiteral("Courier New"));
  EXPECT_EQ(f.ToQFont().family(), QStringLiteral("Liberation Mono"));
  f.SetName(QStringLiteral("Arial"));
  EXPECT_EQ(f.ToQFont().family(), QStringLiteral("Liberation Sans"));
}

TEST(Bitmap, ResizeKeepsContentAndCanvasFlushes) {
  TBitmap b(4, 4);
  b.Canvas().Brush().SetColor(clRed);
  b.Canvas().FillRect(Rect(0, 0, 2, 2));
  EXPECT_EQ(PixelAt(b.Image(), 1, 1), clRed);
  b.SetSize(8, 8);
  EXPECT_EQ(PixelAt(b.Image(), 1, 1), clRed);
  EXPECT_EQ(PixelAt(b.Image(), 7, 7), clWhite);
  b.Canvas().SetPixel(7, 7, clBlue);
  EXPECT_EQ(PixelAt(b.Image(), 7, 7), clBlue);
  TBitmap copy(b);
  b.Canvas().SetPixel(7, 7, clLime);
  EXPECT_EQ(PixelAt(copy.Image(), 7, 7), clBlue);
  b.SetSize(-3, 2);
  EXPECT_TRUE(b.Empty());
}

TEST(Bitmap, KeyedImageFollowsLaterPainting) {
  TBitmap b(2, 1);
  b.SetTransparent(true);
  b.SetTransparentColor(clWhite);
  EXPECT_EQ(qAlpha(b.KeyedImage().pixel(1, 0)), 0);
  b.Canvas().SetPixel(1, 0, clRed);
  EXPECT_EQ(qAlpha(b.KeyedImage().pixel(1, 0)), 255);
}

TEST(DateSerial, KnownDays) {
  EXPECT_EQ(DateToSerial(QDate(1899, 12, 30)), 0.0);
  EXPECT_EQ(DateToSerial(QDate(1900, 1, 1)), 2.0);
  EXPECT_EQ(DateToSerial(QDate(2000, 1, 1)), 36526.0);
  EXPECT_EQ(SerialToDateTime(36526.5), QDateTime(QDate(2000, 1, 1), QTime(12, 0)));
  // Before the epoch the time of day still runs forward.
  EXPECT_EQ(SerialToDateTime(-1.25), QDateTime(QDate(1899, 12, 29), QTime(6, 0)));
  EXPECT_DOUBLE_EQ(DateTimeToSerial(QDateTime(QDate(1899, 12, 29), QTime(6, 0))), -1.25);
}

TEST(DateSerial, TwoDigitYearsFallIn1950To2049) {
  EXPECT_EQ(WindowTwoDigitYear(QDate(1925, 12, 25), "dd/MM/yy"), QDate(2025, 12, 25));
  EXPECT_EQ(WindowTwoDigitYear(QDate(1949, 1, 1), "d.M.yy"), QDate(2049, 1, 1));
  EXPECT_EQ(WindowTwoDigitYear(QDate(1950, 1, 1), "dd/MM/yy"), QDate(1950, 1, 1));
  // Four-digit years are what was typed.
  EXPECT_EQ(WindowTwoDigitYear(QDate(1925, 12, 25), "dd/MM/yyyy"), QDate(1925, 12, 25));
  EXPECT_FALSE(WindowTwoDigitYear(QDate(), "dd/MM/yy").isValid());
}

TEST(DateSerial, RoundTripsAndRejectsNonsense) {
  for (double v : {0.0, 1.0 / 3, 40000.999, 2958465.5, -100.75}) {
    const QDateTime dt = SerialToDateTime(v);
    ASSERT_TRUE(dt.isValid()) << v;
    EXPECT_NEAR(DateTimeToSerial(dt), v, 1e-6) << v;
  }
  // Rounding to the millisecond never yields 24:00.
  EXPECT_EQ(SerialToDateTime(1.9999999999).date(), QDate(1900, 1, 1));
  // Before the epoch the time still runs forward: 29 Dec 23:59:59.99999
  // rounds to midnight of the 30th, not back to the 28th.
  EXPECT_EQ(SerialToDateTime(-1.9999999999), QDateTime(QDate(1899, 12, 30), QTime(0, 0)));
  EXPECT_EQ(SerialToDateTime(-0.9999999999), QDateTime(QDate(1899, 12, 31), QTime(0, 0)));
  EXPECT_FALSE(SerialToDateTime(std::nan("")).isValid());
  EXPECT_FALSE(SerialToDateTime(1e12).isValid());
  EXPECT_FALSE(IsValidSerial(std::numeric_limits<double>::infinity()));
}

TEST(Fonts, PositiveHeightsGiveThatCellHeight) {
  // A positive height is the whole cell, internal leading included, exactly;
  // the glyphs take the largest em size whose line height fits in it.
  QImage img(8, 8, QImage::Format_RGB32);
  for (const char* face : {"MS Sans Serif", "Times New Roman", "Courier New", "Arial"}) {
    for (TFontStyles style : {TFontStyles(0), TFontStyles(fsBold)}) {
      for (int h = 8; h <= 48; ++h) {
        TCanvas c(&img);
        c.Font().SetName(QString::fromLatin1(face));
        c.Font().SetStyle(style);
        c.Font().SetHeight(h);
        EXPECT_EQ(c.TextHeight(QStringLiteral("Ag")), h) << face << " " << style << " " << h;
        QFont q = c.Font().ToQFont();
        const QFontMetrics fm(q);
        EXPECT_LE(fm.height(), h) << face << " " << h;
        q.setPixelSize(q.pixelSize() + 1);
        EXPECT_GT(QFontMetrics(q).height(), h) << face << " " << h;
      }
    }
  }
}

