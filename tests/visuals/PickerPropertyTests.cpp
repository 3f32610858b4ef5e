// The pickers as Qt components: properties, the Change signal, fonts and
// palettes from outside, size hints.
#include <gtest/gtest.h>

#include <QSignalSpy>
#include <QTest>

#include <Tarnwell/visuals/ColCbBox.h>
#include <Tarnwell/visuals/ColSelec.h>
#include <Tarnwell/visuals/FntCbBox.h>
#include "../measure/PropertyRoundTrip.h"

using namespace Tarnwell;

TEST(PickerProperties, EveryPropertyRoundTripsAndNotifies) {
  TColorComboBox colors;
  EXPECT_GE(TestUtil::CheckRoundTrips(colors, QComboBox::staticMetaObject), 4);
  // A name is taken only when the list has it.
  TFontComboBox fonts;
  EXPECT_GE(TestUtil::CheckRoundTrips(fonts, QComboBox::staticMetaObject, {"FontName"}), 3);
  TColorSelector selector;
  EXPECT_EQ(TestUtil::CheckRoundTrips(selector, QObject::staticMetaObject), 1);
  EXPECT_TRUE(fonts.setProperty("ShowMode", "smBoth"));
  EXPECT_EQ(fonts.ShowMode(), smBoth);
}

TEST(PickerProperties, ColorValueNotifiesOnlyWhenTheColourChanges) {
  TColorComboBox box;
  QSignalSpy spy(&box, &TColorComboBox::ColorValueChanged);
  box.setColorValue(clRed);
  box.setColorValue(clRed);
  box.setCurrentIndex(2);  // from the list: notified too
  ASSERT_EQ(spy.count(), 2);
  EXPECT_EQ(spy.at(0).at(0).value<QColor>(), QColor(255, 0, 0));
  EXPECT_EQ(box.ColorValue(), clGreen);
}

TEST(PickerProperties, FontFromOutsideSetsTheRowHeight) {
  TColorComboBox colors;
  TFontComboBox fonts;
  QFont big = colors.font();
  big.setPixelSize(40);
  colors.setFont(big);
  fonts.setFont(big);
  EXPECT_GE(colors.ItemHeight(), 40);
  EXPECT_GE(fonts.ItemHeight(), 40);
  EXPECT_GE(colors.sizeHint().height(), colors.ItemHeight());
  // The swatch is as wide as two rows: the hint leaves room for it.
  EXPECT_GE(colors.sizeHint().width(), 2 * colors.ItemHeight());
}

TEST(PickerProperties, ColourOfTheEntriesFollowsThePalette) {
  TColorComboBox box;
  box.resize(160, 24);
  box.setStyleSheet(QString());
  QPalette pal = box.palette();
  pal.setColor(QPalette::Base, QColor(0, 128, 128));
  box.setPalette(pal);
  EXPECT_EQ(box.Color(), clTeal);
  QImage img(160, 20, QImage::Format_RGB32);
  img.fill(Qt::black);
  {
    TCanvas c(&img);
    box.DrawItem(c, TRect(0, 0, 160, 20), 3, false);
  }
  EXPECT_EQ(img.pixelColor(150, 10), QColor(0, 128, 128));
}
