// The shine button lights its caption while the mouse is over it.
#include <gtest/gtest.h>

#include <QEnterEvent>
#include <QTest>

#include <Tarnwell/app/ShineBtn.h>
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
  while (settled != b.PaintCount()) {
    settled = b.PaintCount();
    WaitUntil([] { return false; }, 50);
  }
  const int before = b.PaintCount();
  b.setShineColor(clRed);
  b.setDefColor(clBlack);
  QCoreApplication::processEvents();
  EXPECT_EQ(b.PaintCount(), before);
  b.setShineColor(clYellow);  // painted synchronously, no event loop needed
  EXPECT_EQ(b.PaintCount(), before + 1);
  b.setDefColor(clWhite);
  EXPECT_EQ(b.PaintCount(), before + 2);
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
