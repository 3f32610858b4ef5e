#include <gtest/gtest.h>

#include <QKeyEvent>
#include <QLocale>
#include <QSignalSpy>
#include <QTest>

#include <Tarnwell/visuals/Button3D.h>
#include <Tarnwell/visuals/DTEdit.h>
#include <Tarnwell/visuals/ERombBtn.h>

#include "TestUtil.h"

namespace {

// ---- rhomb pad ------------------------------------------------------------------

TEST(EnhRombButtons, GeometryClicksAndDeadBands) {
  TEnhRombButtons pad;
  EXPECT_EQ(pad.size(), QSize(99, 99));
  EXPECT_EQ(pad.HalfWidth(), 22);
  QSignalSpy up(&pad, &TEnhRombButtons::UpClick), left(&pad, &TEnhRombButtons::LeftClick),
      down(&pad, &TEnhRombButtons::DownClick), right(&pad, &TEnhRombButtons::RightClick);
  QTest::mouseClick(&pad, Qt::LeftButton, {}, QPoint(49, 10));
  EXPECT_EQ(up.count(), 1);
  QTest::mouseClick(&pad, Qt::LeftButton, {}, QPoint(50, 50));  // on the diagonal
  QTest::mouseClick(&pad, Qt::LeftButton, {}, QPoint(48, 49));  // within 2S of it
  EXPECT_EQ(up.count() + left.count() + down.count() + right.count(), 1);
  QTest::mouseClick(&pad, Qt::LeftButton, {}, QPoint(10, 45));
  EXPECT_EQ(left.count(), 1);
  QTest::mouseClick(&pad, Qt::LeftButton, {}, QPoint(90, 52));
  EXPECT_EQ(right.count(), 1);
  QTest::mouseClick(&pad, Qt::LeftButton, {}, QPoint(45, 90));
  EXPECT_EQ(down.count(), 1);
  EXPECT_EQ(pad.ButtonDown(), erbNone);

  // While one is held, another press does nothing.
  QTest::mousePress(&pad, Qt::LeftButton, {}, QPoint(49, 10));
  EXPECT_EQ(pad.ButtonDown(), erbUp);
  int assigned = 0;
  pad.OnLeftClick = [&](TObject*) { ++assigned; };
  QTest::mousePress(&pad, Qt::LeftButton, {}, QPoint(10, 45));
  EXPECT_EQ(assigned, 0);
  QTest::mouseRelease(&pad, Qt::LeftButton, {}, QPoint(49, 10));
  EXPECT_EQ(pad.ButtonDown(), erbNone);
}

TEST(EnhRombButtons, StaysSquareAndClampsTheSpace) {
  TEnhRombButtons pad;
  pad.show();
  pad.resize(120, 80);
  EXPECT_EQ(pad.size(), QSize(120, 120));
  pad.resize(99, 99);
  pad.setButtonSpace(30);
  EXPECT_EQ(pad.ButtonSpace(), 16);
  pad.setButtonSpace(0);
  EXPECT_EQ(pad.ButtonSpace(), 2);
  // Setting the held button draws it but fires nothing.
  QSignalSpy right(&pad, &TEnhRombButtons::RightClick);
  pad.setButtonDown(erbRight);
  EXPECT_EQ(right.count(), 0);
}

TEST(EnhRombButtons, ArrowKeysFireOncePerHoldAndLostHoldsEnd) {
  QWidget host;
  auto* pad = new TEnhRombButtons(&host);
  auto* other = new QWidget(&host);
  other->setFocusPolicy(Qt::StrongFocus);
  host.show();
  pad->setFocus();
  QSignalSpy down(pad, &TEnhRombButtons::DownClick);
  QKeyEvent press(QEvent::KeyPress, Qt::Key_Down, {});
  QKeyEvent repeat(QEvent::KeyPress, Qt::Key_Down, {}, QString(), true);
  QKeyEvent release(QEvent::KeyRelease, Qt::Key_Down, {});
  QCoreApplication::sendEvent(pad, &press);
  QCoreApplication::sendEvent(pad, &repeat);
  QCoreApplication::sendEvent(pad, &repeat);
  EXPECT_EQ(down.count(), 1);
  EXPECT_EQ(pad->ButtonDown(), erbDown);
  QCoreApplication::sendEvent(pad, &release);
  EXPECT_EQ(pad->ButtonDown(), erbNone);

  QCoreApplication::sendEvent(pad, &press);
  EXPECT_EQ(pad->ButtonDown(), erbDown);
  pad->hide();  // the release will never come
  EXPECT_EQ(pad->ButtonDown(), erbNone);
  EXPECT_FALSE(pad->accessibleName().isEmpty());
}

TEST(EnhRombButtons, FocusFrameAndPressedArrow) {
  QWidget host;
  auto* pad = new TEnhRombButtons(&host);
  host.show();
  const QImage unfocused = pad->grab().toImage();
  pad->setFocus();
  ASSERT_TRUE(WaitUntil([&] { return pad->hasFocus(); }));
  const QImage focused = pad->grab().toImage();
  EXPECT_EQ(focused.pixelColor(10, 0), QColor(Qt::black));
  EXPECT_NE(unfocused.pixelColor(10, 0), QColor(Qt::black));
  // Pressed: a red arrow in the up rhomb.
  pad->setButtonDown(erbUp);
  const QImage pressed = pad->grab().toImage();
  int red = 0;
  for (int y = 0; y < 50; ++y)
    for (int x = 20; x < 80; ++x) red += pressed.pixelColor(x, y) == QColor(Qt::red);
  EXPECT_GT(red, 10);
}

// ---- button array ----------------------------------------------------------------

TEST(ButtonArray, CountRangeClicksAndRepeats) {
  TButtonArray a;
  EXPECT_EQ(a.geometry(), QRect(0, 0, 25, 50));
  a.setCount(1);
  EXPECT_EQ(a.Count(), 2);
  a.setCount(5000);
  EXPECT_EQ(a.Count(), 1023);
  a.setCount(4);
  a.resize(200, 20);
  EXPECT_EQ(a.ButtonWidth(), 50);
  QSignalSpy down(&a, &TButtonArray::ButtonDown), click(&a, &TButtonArray::ButtonClick),
      rep(&a, &TButtonArray::ButtonRepeat);
  a.show();
  QTest::mousePress(&a, Qt::LeftButton, {}, QPoint(120, 10));
  ASSERT_EQ(down.count(), 1);
  EXPECT_EQ(down.at(0).at(1).toInt(), 2);
  // About 200 ms before the first repeat, then every 40 ms.
  QTest::qWait(120);
  EXPECT_EQ(rep.count(), 0);
  ASSERT_TRUE(WaitUntil([&] { return rep.count() >= 3; }, 2000));
  EXPECT_EQ(rep.last().at(1).toInt(), 2);
  EXPECT_EQ(rep.last().at(2).toInt(), rep.count());
  QTest::mouseRelease(&a, Qt::LeftButton, {}, QPoint(149, 10));  // right edge counts as inside
  EXPECT_EQ(click.count(), 1);
  const int repeats = rep.count();
  QTest::qWait(120);
  EXPECT_EQ(rep.count(), repeats);
  EXPECT_FALSE(a.Repeating());

  // A modal box takes the release away: the repeat stops, no click.
  QTest::mousePress(&a, Qt::LeftButton, {}, QPoint(10, 10));
  EXPECT_TRUE(a.Repeating());
  QEvent blocked(QEvent::WindowBlocked);
  QCoreApplication::sendEvent(a.window(), &blocked);
  EXPECT_FALSE(a.Repeating());
  EXPECT_EQ(a.PressedIndex(), -1);
  QTest::mouseRelease(&a, Qt::LeftButton, {}, QPoint(10, 10));
  EXPECT_EQ(click.count(), 1);
}

// ---- date-time edit ---------------------------------------------------------------

struct LocaleScope {
  QLocale old;
  explicit LocaleScope(const char* name) { QLocale::setDefault(QLocale(QString::fromLatin1(name))); }
  ~LocaleScope() { QLocale::setDefault(old); }
};

TEST(DateTimeEdit, GroupsStepsAndInvalidStepsUndone) {
  for (const char* loc : {"it_IT", "en_US"}) {
    LocaleScope scope(loc);
    TDateTimeEdit e;
    EXPECT_EQ(e.size(), QSize(160, 65));
    e.setDate(36510);
    std::array<quint16, 4> want{16, 12, 19, 99};
    EXPECT_EQ(e.Groups(), want) << loc;
    e.setDate(DateToSerial(QDate(1999, 12, 31)));
    e.StepGroup(0, +1);  // day 32 is no date
    EXPECT_EQ(e.Groups()[0], 31) << loc;
    EXPECT_EQ(e.Date(), DateToSerial(QDate(1999, 12, 31)));
    e.setDate(DateToSerial(QDate(1999, 12, 25)));
    e.StepGroup(2, +1);  // century
    EXPECT_EQ(e.Date(), DateToSerial(QDate(2099, 12, 25))) << loc;
    e.StepGroup(7, +1);  // no such group
    EXPECT_EQ(e.Date(), DateToSerial(QDate(2099, 12, 25)));

    e.setDTType(dteTime);
    EXPECT_EQ(e.UpButtons()->Count(), 3);
    e.setTime("12.25.22");
    EXPECT_EQ(e.Time(), QString("12") + LocaleTimeSeparator() + "25" + LocaleTimeSeparator() + "22");
    e.setTime("00:59:00");
    e.StepGroup(0, -1);  // hour 0 stays 0
    EXPECT_EQ(e.Groups()[0], 0);
    e.StepGroup(1, +1);  // minute 60 is no time
    EXPECT_EQ(e.Groups()[1], 59);
    e.setTime("rubbish");
    EXPECT_EQ(e.Groups()[1], 59);
    e.setTime("25:00:00");
    EXPECT_EQ(e.Groups()[0], 0);
  }
}

TEST(DateTimeEdit, LayoutClampsAndNoWorkInPainting) {
  TDateTimeEdit e;
  e.setBtnHeight(40);
  EXPECT_EQ(e.BtnHeight(), 21);
  e.setBorderWidth(1);
  EXPECT_EQ(e.BorderWidth(), 5);
  e.setBtnHeight(16);
  e.setBorderWidth(10);
  // M = (160 - 4 * ((160 - 20) / 4)) / 2 = 10; rows 140 wide.
  EXPECT_EQ(e.Margin(), 10);
  EXPECT_EQ(e.UpButtons()->geometry(), QRect(10, 0, 140, 16));
  EXPECT_EQ(e.DownButtons()->geometry(), QRect(10, 49, 140, 16));
  const QFont fitted = e.DigitFont();
  const QFont before = e.font();
  (void)e.grab();
  EXPECT_EQ(e.DigitFont(), fitted);
  EXPECT_EQ(e.font(), before);
  EXPECT_LT(QFontMetrics(fitted).horizontalAdvance("99/99/9999"), 160 - 20);
  // A zero size divides nothing by zero.
  e.resize(0, 0);
  (void)e.grab();
  e.resize(160, 65);

  // The up row adds one per click.
  e.setDate(36510);
  e.show();
  QTest::mouseClick(e.UpButtons(), Qt::LeftButton, {}, QPoint(5, 5));
  EXPECT_EQ(e.Groups()[0], 17);
  QTest::mouseClick(e.DownButtons(), Qt::LeftButton, {}, QPoint(40, 5));
  EXPECT_EQ(e.Groups()[1], 11);
}

// ---- spherical button ---------------------------------------------------------------

TEST(SphericalButton, StripTintAndGlyph) {
  TSphericalButton b;
  EXPECT_EQ(b.size(), QSize(48, 48));
  for (auto ft : {ftDefault4Bit, ftDefault8Bit, ftDefault24Bit}) {
    b.setFrameType(ft);
    ASSERT_FALSE(b.Strip().isNull());
    EXPECT_EQ(b.Strip().width(), 4 * 48);
  }
  const QImage plain = b.Strip();
  b.setButtonColor(bclRed);
  const QImage red = b.Strip();
  // Inside the discs red rises by 96 (capped), green and blue stay; the
  // disabled frame is untouched.
  for (int f = 0; f < 3; ++f) {
    const QRgb p0 = plain.pixel(f * 48 + 24, 30), p1 = red.pixel(f * 48 + 24, 30);
    EXPECT_EQ(qRed(p1), std::min(255, qRed(p0) + 96)) << f;
    EXPECT_EQ(qGreen(p1), qGreen(p0));
  }
  EXPECT_EQ(red.pixel(3 * 48 + 24, 30), plain.pixel(3 * 48 + 24, 30));

  // A 32 x 16 glyph: left half on frames 0..2, right half on the disabled one.
  QImage glyph(32, 16, QImage::Format_RGB32);
  glyph.fill(Qt::white);
  for (int y = 0; y < 15; ++y)
    for (int x = 0; x < 16; ++x) {
      glyph.setPixel(x, y, qRgb(0, 0, 200));
      glyph.setPixel(16 + x, y, qRgb(0, 200, 0));
    }
  b.setButtonColor(bclNone);
  b.setGlyph(glyph);
  const QImage s = b.Strip();
  EXPECT_EQ(s.pixel(16 + 2, 16 + 2), qRgb(0, 0, 200));
  EXPECT_EQ(s.pixel(48 + 18, 18), qRgb(0, 0, 200));
  EXPECT_EQ(s.pixel(96 + 19, 19), qRgb(0, 0, 200));  // one pixel right and down
  EXPECT_EQ(s.pixel(144 + 18, 18), qRgb(0, 200, 0));
  // The corners take the colour behind the button.
  EXPECT_EQ(s.pixel(0, 0) | 0xFF000000u, b.palette().color(b.backgroundRole()).rgb());
}

TEST(SphericalButton, ClicksOnlyWhenReleasedInside) {
  TSphericalButton b;
  b.show();
  QSignalSpy click(&b, &TSphericalButton::Click);
  QTest::mouseClick(&b, Qt::LeftButton, {}, QPoint(24, 24));
  EXPECT_EQ(click.count(), 1);
  QTest::mousePress(&b, Qt::LeftButton, {}, QPoint(24, 24));
  EXPECT_EQ(b.ShownFrame(), 2);
  QTest::mouseRelease(&b, Qt::LeftButton, {}, QPoint(44, 24));  // in the 5-pixel margin
  EXPECT_EQ(click.count(), 1);
  b.setEnabled(false);
  EXPECT_EQ(b.ShownFrame(), 3);
}

}  // namespace
