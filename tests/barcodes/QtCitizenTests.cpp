// The bar code control as a Qt programmer meets it: properties by name,
// signals, palette and layouts.
#include <gtest/gtest.h>

#include <QHBoxLayout>
#include <QMetaEnum>
#include <QSignalSpy>
#include <QWidget>

#include <Tarnwell/barcodes/BarCodes.h>
#include "PropertyRoundTrip.h"
#include "Readers.h"
#include "TestUtil.h"

using namespace Tarnwell;

TEST(BarCodesProperties, EveryPropertyRoundTripsAndNotifies) {
  TBarCodes bc;
  // The readable text carries the check digit: an EAN-8 text with the
  // right one comes back as written.
  const int n = ExpectPropertyRoundTrips(
      &bc, &TCustomBarCodes::staticMetaObject,
      {{"A_CodeType", QStringLiteral("bcEAN_8")}, {"A_BarCode", QStringLiteral("96385074")}});
  EXPECT_EQ(n, 11);  // Caption, Color and the nine A_ properties
}

TEST(BarCodesProperties, CodeTypeByNameOrNumberAndTheSettersRules) {
  TBarCodes bc;
  EXPECT_TRUE(bc.setProperty("A_CodeType", QStringLiteral("bcCODE39")));
  EXPECT_EQ(bc.A_CodeType(), bcCODE39);
  EXPECT_TRUE(bc.setProperty("A_CodeType", 3));
  EXPECT_EQ(bc.A_CodeType(), bcUPC_E);
  bc.setProperty("A_CodeType", 11);  // past the last type: ignored
  EXPECT_EQ(bc.A_CodeType(), bcUPC_E);
  const QMetaProperty p = bc.metaObject()->property(bc.metaObject()->indexOfProperty("A_CodeType"));
  EXPECT_STREQ(p.enumerator().key(bcCODE128C), "bcCODE128C");

  bc.setProperty("A_HeightMult", 5);
  EXPECT_EQ(bc.property("A_HeightMult").toInt(), 10);
  bc.setProperty("A_WideRatio", 4);
  EXPECT_EQ(bc.property("A_WideRatio").toInt(), 3);

  // A new caption re-encodes: the readable text announces itself.
  bc.setA_CodeType(bcEAN_13);
  QSignalSpy readable(&bc, &TBarCodes::A_BarCodeChanged);
  QSignalSpy caption(&bc, &TCustomBarCodes::CaptionChanged);
  bc.setProperty("Caption", QStringLiteral("1234567890"));
  ASSERT_EQ(readable.count(), 1);
  EXPECT_EQ(readable.at(0).at(0).toString(), QStringLiteral("1234567890005"));
  EXPECT_EQ(caption.count(), 1);
}

TEST(BarCodesLook, ColourFollowsPaletteAndStyleSheet) {
  QWidget parent;
  auto* bc = new TBarCodes(&parent);
  bc->setA_CodeType(bcCODE39);
  bc->setCaption(QStringLiteral("12345"));
  QSignalSpy spy(bc, &TCustomBarCodes::ColorChanged);
  QPalette pal = bc->palette();
  pal.setColor(bc->backgroundRole(), QColor(0, 255, 0));
  bc->setPalette(pal);
  EXPECT_EQ(bc->Color(), clLime);
  EXPECT_EQ(spy.count(), 1);
  // The text box is blanked in the background colour: bottom left corner.
  EXPECT_EQ(PixelAt(bc->grab().toImage(), 0, bc->height() - 1), clLime);

  bc->setStyleSheet(QStringLiteral("background-color: #0000ff"));
  EXPECT_EQ(PixelAt(bc->grab().toImage(), 0, bc->height() - 1), clBlue);
  bc->setStyleSheet(QString());
  bc->setColor(clYellow);
  EXPECT_EQ(bc->palette().color(bc->backgroundRole()), QColor(255, 255, 0));
  EXPECT_EQ(PixelAt(bc->grab().toImage(), 0, bc->height() - 1), clYellow);
}

TEST(BarCodesLayout, ALayoutGivesTheWholeSymbolAndAReaderDecodesIt) {
  QWidget w;
  auto* row = new QHBoxLayout(&w);
  // Room for the readers' quiet zone right of the last bar.
  row->setContentsMargins(24, 12, 24, 12);
  auto* bc = new TBarCodes;
  row->addWidget(bc);
  bc->setColor(clWhite);
  bc->setCaption(QStringLiteral("1234567890"));
  EXPECT_EQ(bc->sizeHint(), QSize(206, 132));
  w.setStyleSheet(QString());
  QPalette pal = w.palette();
  pal.setColor(QPalette::Window, Qt::white);
  w.setPalette(pal);
  w.show();
  EXPECT_EQ(bc->size(), QSize(206, 132));

  // A change of symbol reaches the layout.
  bc->setA_BarPixels(3);
  w.layout()->activate();
  EXPECT_EQ(bc->size(), QSize(309, 198));
  bc->setA_BarPixels(2);
  w.layout()->activate();
  EXPECT_EQ(bc->size(), QSize(206, 132));

  const QImage img = w.grab().toImage();
  if (!HaveZbar() && !HaveZxing()) GTEST_SKIP() << "neither zbar nor ZXing-C++ is installed";
  if (HaveZbar()) {
    const auto got = ZbarDecode(img, bcEAN_13);
    ASSERT_EQ(got.size(), 1u);
    EXPECT_EQ(got[0], "1234567890005");
  }
  if (HaveZxing()) {
    const auto got = ZxingDecode(img, bcEAN_13);
    ASSERT_EQ(got.size(), 1u);
    EXPECT_EQ(got[0], "1234567890005");
  }
}

TEST(BarCodesLayout, HeightFollowsTheLayoutOnlyWithoutAutomaticHeight) {
  QWidget w;
  w.resize(400, 400);
  auto* row = new QHBoxLayout(&w);
  auto* bc = new TBarCodes;
  row->addWidget(bc);
  w.show();
  w.layout()->activate();
  EXPECT_EQ(bc->height(), 132);
  bc->setA_HeightAuto(false);
  w.layout()->activate();
  EXPECT_GT(bc->height(), 132);  // stretched by the layout
  EXPECT_EQ(bc->width(), 206);   // the symbol's width stays
}

TEST(BarCodesBoundary, OutOfRangeCodeTypesAreIgnored) {
  TBarCodes bc;
  bc.setA_CodeType(bcCODE39);
  QSignalSpy spy(&bc, &TBarCodes::A_CodeTypeChanged);
  bc.setProperty("A_CodeType", -1);
  bc.setProperty("A_CodeType", 999);
  EXPECT_EQ(bc.A_CodeType(), bcCODE39);
  EXPECT_EQ(spy.count(), 0);
}
