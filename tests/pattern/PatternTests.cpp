// Pattern holder, pattern controls and the form painter.
#include <gtest/gtest.h>

#include <QTest>

#include <QHBoxLayout>
#include <QMainWindow>
#include <QMdiArea>

#include <Tarnwell/pattern/FPattern.h>
#include <Tarnwell/pattern/PatPanel.h>
#include "TestUtil.h"

using namespace Tarnwell;

namespace {

QImage Checker(TColor a, TColor b) {
  QImage img(4, 4, QImage::Format_RGB32);
  for (int y = 0; y < 4; ++y)
    for (int x = 0; x < 4; ++x) img.setPixel(x, y, ToQRgb(((x + y) % 2) ? a : b));
  return img;
}

// A tile in which every pixel differs, so a wrong anchor shows.
QImage Gradient(int w, int h) {
  QImage img(w, h, QImage::Format_RGB32);
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) img.setPixel(x, y, qRgb(x * 255 / w, y * 255 / h, 77));
  return img;
}

}  // namespace

TEST(PatternHolder, SubstitutesExactlyOneColour) {
  TPatternHolder h;
  h.setPattern(Checker(clRed, RGB(255, 0, 1)));
  h.setSubstColor(clRed);
  EXPECT_EQ(FromQRgb(h.Working().pixel(1, 0)), clRed);  // Color still clNone: unchanged
  h.setColor(clBlue);
  EXPECT_EQ(FromQRgb(h.Working().pixel(1, 0)), clBlue);
  EXPECT_EQ(FromQRgb(h.Working().pixel(0, 0)), RGB(255, 0, 1));  // a near colour stays
  h.setSubstColor(clNone);
  EXPECT_EQ(FromQRgb(h.Working().pixel(1, 0)), clRed);
}

TEST(PatternHolder, TilingRepeatsTheTileOverTheScreen) {
  TPatternHolder h;
  h.setPattern(Gradient(7, 5));
  const QImage& t = h.Tiled();
  ASSERT_GE(t.width(), 7);
  for (QPoint p :
       {QPoint(0, 0), QPoint(6, 4), QPoint(7, 0), QPoint(100, 51), QPoint(t.width() - 1, t.height() - 1)})
    EXPECT_EQ(t.pixel(p), h.Working().pixel(p.x() % 7, p.y() % 5)) << p.x() << "," << p.y();
}

TEST(PatternHolder, DisablingStopsPaintingAndEnablingRestoresIt) {
  TPatternHolder h;
  int notices = 0;
  QObject::connect(&h, &TPatternHolder::Changed, [&] { ++notices; });
  EXPECT_TRUE(h.Active());
  h.setEnabled(false);
  EXPECT_FALSE(h.Active());
  EXPECT_TRUE(h.SwitchedOff());
  h.setPattern(Gradient(3, 3));  // not rebuilt while off
  h.setEnabled(true);
  EXPECT_TRUE(h.Active());
  EXPECT_EQ(h.Working().size(), QSize(3, 3));
  EXPECT_EQ(notices, 3);
}

TEST(PatternPanel, NeighbouringPanelsShowOneContinuousPattern) {
  TForm form;
  form.resize(300, 120);
  TPatternHolder holder(&form);
  holder.setPattern(Gradient(13, 11));
  TPatternPanel left(&form), right(&form);
  left.setBevelOuter(bvNone);
  right.setBevelOuter(bvNone);
  left.setGeometry(0, 0, 150, 120);
  right.setGeometry(150, 0, 150, 120);
  left.setPatternHolder(&holder);
  right.setPatternHolder(&holder);
  form.show();
  const QImage img = form.grab().toImage();
  for (int x : {140, 149, 150, 151, 299})
    for (int y : {0, 57, 119})
      EXPECT_EQ(img.pixel(x, y), holder.Working().pixel(x % 13, y % 11)) << x << "," << y;
}

TEST(PatternPanel, WithoutAnActiveHolderItIsAPlainPanel) {
  TPatternPanel p;
  p.resize(40, 30);
  p.setColor(clLime);
  p.setBevelOuter(bvNone);
  EXPECT_EQ(PixelAt(p.grab().toImage(), 20, 5), clLime);
  TPatternHolder h;
  h.setPattern(Checker(clRed, clRed));
  p.setPatternHolder(&h);
  EXPECT_EQ(PixelAt(p.grab().toImage(), 20, 5), clRed);
  h.setEnabled(false);
  EXPECT_EQ(PixelAt(p.grab().toImage(), 20, 5), clLime);
  int painted = 0;
  p.OnPaint = [&](TObject*, TCanvas&) { ++painted; };
  p.grab();
  EXPECT_EQ(painted, 1);
}

TEST(PatternControls, CheckBoxInAGroupBoxTakesThePatternOfTheGrandparentPanel) {
  TForm form;
  form.resize(200, 120);
  TPatternHolder holder(&form);
  holder.setPattern(Checker(clRed, clRed));
  TPatternPanel panel(&form);
  panel.setGeometry(0, 0, 200, 120);
  panel.setPatternHolder(&holder);
  TPatternGroupBox box(&panel);
  box.setGeometry(10, 10, 180, 90);
  box.setPatternPaint(true);
  box.setCaption(QStringLiteral("Gruppo"));
  TPatternCheckBox check(&box);
  check.setGeometry(10, 30, 150, 20);
  check.setText(QStringLiteral("x"));
  check.setPatternPaint(true);
  EXPECT_EQ(FindPatternPanel(&check), &panel);
  form.show();
  const QImage img = check.grab().toImage();
  EXPECT_EQ(PixelAt(img, 140, 10), clRed);  // caption area patterned
  EXPECT_EQ(PixelAt(box.grab().toImage(), 170, 60), clRed);
  // Without PatternPaint nothing is patterned.
  check.setPatternPaint(false);
  EXPECT_NE(PixelAt(check.grab().toImage(), 140, 10), clRed);
}

TEST(PatternControls, KeyboardFocusIsVisibleOnPatternedButtons) {
  TForm form;
  form.resize(200, 80);
  TPatternHolder holder(&form);
  holder.setPattern(Checker(clSilver, clWhite));
  TPatternPanel panel(&form);
  panel.setGeometry(0, 0, 200, 80);
  panel.setPatternHolder(&holder);
  TPatternCheckBox check(&panel);
  check.setGeometry(10, 10, 170, 20);
  check.setText(QStringLiteral("TPatternCheckBox"));
  check.setPatternPaint(true);
  TPatternRadioButton radio(&panel);
  radio.setGeometry(10, 40, 170, 20);
  radio.setText(QStringLiteral("TPatternRadioButton"));
  radio.setPatternPaint(true);
  form.show();
  form.activateWindow();
  ASSERT_TRUE(QTest::qWaitForWindowActive(&form));
  for (QAbstractButton* b : {static_cast<QAbstractButton*>(&check), static_cast<QAbstractButton*>(&radio)}) {
    SCOPED_TRACE(qPrintable(b->text()));
    b->clearFocus();
    const QImage without = b->grab().toImage();
    b->setFocus(Qt::TabFocusReason);
    ASSERT_TRUE(b->hasFocus());
    const QImage with = b->grab().toImage();
    int changed = 0;
    for (int y = 0; y < with.height(); ++y)
      for (int x = 16; x < with.width(); ++x) changed += with.pixel(x, y) != without.pixel(x, y);
    // A frame round the whole caption, not a handful of pixels.
    EXPECT_GT(changed, 200);
  }
}

TEST(PatternControls, GroupBoxOutsideAPatternPanelPaintsPlain) {
  TForm form;
  form.resize(200, 120);
  TCustomPanel plain(&form);
  plain.setGeometry(0, 0, 200, 120);
  TPatternGroupBox box(&plain);
  box.setPatternPaint(true);
  box.setGeometry(10, 10, 100, 60);
  form.show();
  EXPECT_NE(PixelAt(box.grab().toImage(), 50, 40), clRed);
  EXPECT_EQ(FindPatternPanel(&box), nullptr);
}

TEST(FormPaint, ImagePositionsAndOffsets) {
  QWidget w;
  w.resize(100, 80);
  TPatternFormPaint fp(&w);
  fp.setImage(QImage(30, 20, QImage::Format_RGB32));
  const TRect c(0, 0, 100, 80);
  fp.setOffSetL(1);
  fp.setOffSetT(2);
  fp.setOffSetR(3);
  fp.setOffSetB(4);
  fp.setImagePosition(pipBottomRight);
  EXPECT_EQ(fp.ImageRect(c), Bounds(100 - 30 - 3, 80 - 20 - 4, 30, 20));
  fp.setImagePosition(pipTopRight);
  EXPECT_EQ(fp.ImageRect(c), Bounds(67, 2, 30, 20));
  fp.setImagePosition(pipBottomLeft);
  EXPECT_EQ(fp.ImageRect(c), Bounds(1, 56, 30, 20));
  fp.setImagePosition(pipStretch);
  EXPECT_EQ(fp.ImageRect(c), Rect(1, 2, 97, 76));
  fp.setImage(QImage(300, 200, QImage::Format_RGB32));
  fp.setImagePosition(pipCenter);
  EXPECT_EQ(fp.ImageRect(c), Bounds(-100, -60, 300, 200));  // cut on both sides
}

TEST(FormPaint, PaintsPatternPictureAndShadowedTextIntoTheMDIClientArea) {
  QMainWindow frame;
  auto* mdi = new QMdiArea(&frame);
  frame.setCentralWidget(mdi);
  frame.resize(300, 200);
  TPatternHolder holder(&frame);
  holder.setPattern(Checker(clSilver, clSilver));
  TPatternFormPaint fp(&frame);
  EXPECT_EQ(fp.Target(), mdi->viewport());
  fp.setPatternHolder(&holder);
  QImage pic(10, 10, QImage::Format_RGB32);
  pic.fill(ToQColor(clNavy));
  pic.setPixel(0, 9, ToQRgb(clFuchsia));  // key colour
  fp.setImage(pic);
  fp.setImageTransparent(true);
  fp.setImagePosition(pipTopLeft);
  fp.setText({QStringLiteral("Riga")});
  fp.TextFont().SetColor(clYellow);
  fp.TextFont().SetHeight(-20);
  fp.setTextShadow(2);
  fp.setTextLayout(tlBottom);
  frame.show();
  const QImage img = mdi->viewport()->grab().toImage();
  EXPECT_EQ(PixelAt(img, 5, 5), clNavy);
  EXPECT_EQ(PixelAt(img, 0, 9), clSilver);  // transparent pixel shows the pattern
  EXPECT_EQ(PixelAt(img, 200, 30), clSilver);
  bool yellow = false, black = false;
  for (int y = img.height() - 40; y < img.height(); ++y)
    for (int x = 0; x < 80; ++x) {
      yellow |= PixelAt(img, x, y) == clYellow;
      black |= PixelAt(img, x, y) == clBlack;
    }
  EXPECT_TRUE(yellow);
  EXPECT_TRUE(black);  // the shadow
}

TEST(PatternWindow, Design) {
  TFormPattern f;
  EXPECT_EQ(f.Caption(), QStringLiteral("TPattern...."));
  EXPECT_EQ(f.DesignSize(), QSize(479, 281));
  EXPECT_EQ(f.PatternPanel1->PatternHolder(), f.PatternHolder1);
  EXPECT_EQ(f.PatternPanel2->PatternHolder(), f.PatternHolder1);
  EXPECT_EQ(f.PatternHolder1->Working().width(), 150);
  EXPECT_EQ(f.PatternGroupBox1->Caption(), QStringLiteral("TPatternGroupBox"));
  EXPECT_EQ(f.PatternCheckBox1->parentWidget(), f.PatternGroupBox1);
  EXPECT_EQ(f.PatternRadioButton3->parentWidget(), f.PatternPanel2);
  EXPECT_EQ(f.PatternRadioButton2->text(), QStringLiteral("TPatternRadioButton"));
  f.show();
  QCoreApplication::processEvents();
  EXPECT_EQ(f.PatternPanel1->width(), 245);
}
