// The shine button lights its caption while the mouse is over it.
#include <gtest/gtest.h>

#include <QEnterEvent>
#include <QSignalSpy>
#include <QTest>

#include <Tarnwell/app/ShineBtn.h>
#include <Tarnwell/platform/TControls_p.h>
#include "PropertyRoundTrip.h"
#include "TestUtil.h"

using namespace Tarnwell;

namespace {

void Enter(QWidget& w) {
  QEnterEvent e(QPointF(5, 5), QPointF(5, 5), QPointF(5, 5));
  QApplication::sendEvent(&w, &e);
}
void Leave(QWidget& w) {
  QEvent e(QEvent::Leave);
  QApplication::sendEvent(&w, &e);
}

// Is there a pixel of this colour in the caption?
bool CaptionHas(QWidget& w, TColor c) {
  const QImage img = w.grab().toImage();
  for (int y = 0; y < img.height(); ++y)
    for (int x = 0; x < img.width(); ++x)
      if (PixelAt(img, x, y) == c) return true;
  return false;
}

}  // namespace

TEST(ShineButton, DefaultsAndColoursOnEnterAndLeave) {
  TShineButton b;
  EXPECT_EQ(b.ShineColor(), clRed);
  EXPECT_EQ(b.DefColor(), clBlack);
  b.setCaption(QStringLiteral("TBarCodes"));
  b.resize(100, 22);
  Enter(b);
  EXPECT_EQ(b.Font().Color(), clRed);
  EXPECT_TRUE(CaptionHas(b, clRed));
  Leave(b);
  EXPECT_EQ(b.Font().Color(), clBlack);
  EXPECT_FALSE(CaptionHas(b, clRed));
  EXPECT_TRUE(CaptionHas(b, clBlack));
}

TEST(ShineButton, StoredFontColourStaysUntilTheMouseHasBeenOver) {
  TShineButton b;
  b.Font().SetColor(clBlue);
  b.setDefColor(clGreen);
  EXPECT_EQ(b.Font().Color(), clBlue);  // setting DefColor does not recolour
  Enter(b);
  Leave(b);
  EXPECT_EQ(b.Font().Color(), clGreen);
  b.setDefColor(clMaroon);  // outside the button: shows from the next leave on
  EXPECT_EQ(b.Font().Color(), clGreen);
}

TEST(ShineButton, AnEqualValueCausesNoRepaintAndANewOneRepaintsAtOnce) {
  TShineButton b;
  b.resize(100, 22);
  b.show();
  // Let the window settle: exposure and activation paint it once or twice.
  int settled = -1;
  while (settled != PaintCount(b)) {
    settled = PaintCount(b);
    WaitUntil([] { return false; }, 50);
  }
  const int before = PaintCount(b);
  b.setShineColor(clRed);
  b.setDefColor(clBlack);
  QCoreApplication::processEvents();
  EXPECT_EQ(PaintCount(b), before);
  b.setShineColor(clYellow);  // painted synchronously, no event loop needed
  EXPECT_EQ(PaintCount(b), before + 1);
  b.setDefColor(clWhite);
  EXPECT_EQ(PaintCount(b), before + 2);
}

TEST(ShineButton, ClickRunsTheHandler) {
  TShineButton b;
  b.resize(100, 22);
  int clicks = 0;
  b.OnClick = [&](TObject* sender) {
    EXPECT_EQ(sender, &b);
    ++clicks;
  };
  QTest::mouseClick(&b, Qt::LeftButton);
  EXPECT_EQ(clicks, 1);
}

TEST(ShineButton, ClickedReachesEveryListenerAndTheAssignedHandler) {
  TShineButton b;
  b.resize(100, 22);
  QSignalSpy spy(&b, &QAbstractButton::clicked);
  int assigned = 0;
  b.OnClick = [&](TObject*) { ++assigned; };
  QTest::mouseClick(&b, Qt::LeftButton);
  EXPECT_EQ(spy.count(), 1);
  EXPECT_EQ(assigned, 1);
}

TEST(ShineButton, EveryPropertyRoundTripsAndTheFormCaptionToo) {
  TShineButton b;
  // Caption, Flat, Hint, Glyph, Font of the speed button; the two colours.
  EXPECT_EQ(ExpectPropertyRoundTrips(&b, &TSpeedButton::staticMetaObject), 7);
  TCustomPanel panel;
  EXPECT_EQ(ExpectPropertyRoundTrips(&panel, &TCustomPanel::staticMetaObject), 9);
  TForm form;
  EXPECT_EQ(ExpectPropertyRoundTrips(&form, &TForm::staticMetaObject), 3);  // Caption, BorderStyle, BorderIcons
  form.SetCaption(QStringLiteral("Anteprima"));
  EXPECT_EQ(form.property("Caption").toString(), QStringLiteral("Anteprima"));
}

TEST(ShineButton, FontAndPaletteReachTheCaptionAndTheSizeHint) {
  TShineButton b;
  b.setCaption(QStringLiteral("TBarCodes"));
  const QSize small = b.sizeHint();
  QFont f = b.font();
  f.setPixelSize(26);
  b.setFont(f);
  EXPECT_EQ(b.Font().Height(), -26);
  const QSize big = b.sizeHint();
  EXPECT_GT(big.width(), small.width() + 20);
  EXPECT_GE(big.height(), QFontMetrics(f).height());
  EXPECT_EQ(b.sizePolicy().horizontalPolicy(), QSizePolicy::Fixed);

  // The caption colour is the ButtonText role: a palette set from outside
  // shows, and the mouse-over colour still replaces it.
  b.resize(big);
  QPalette pal = b.palette();
  pal.setColor(QPalette::ButtonText, QColor(0, 0, 255));
  pal.setColor(QPalette::Button, QColor(255, 255, 255));
  b.setPalette(pal);
  EXPECT_EQ(b.Font().Color(), clBlue);
  EXPECT_TRUE(CaptionHas(b, clBlue));
  EXPECT_EQ(PixelAt(b.grab().toImage(), 3, 3), clWhite);  // the face
  Enter(b);
  EXPECT_TRUE(CaptionHas(b, clRed));
  EXPECT_FALSE(CaptionHas(b, clBlue));
}
