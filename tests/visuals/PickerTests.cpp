#include <gtest/gtest.h>

#include <QFontDatabase>
#include <QMouseEvent>
#include <QTest>

#include <Tarnwell/visuals/ColCbBox.h>
#include <Tarnwell/visuals/ColSelec.h>
#include <Tarnwell/visuals/FntCbBox.h>
#include <Tarnwell/platform/TBitmap.h>
#include <Tarnwell/platform/TDialogs.h>
#include "TestUtil.h"

using namespace Tarnwell;

TEST(ColorComboBox, ReadsBackWhatWasWritten) {
  TColorComboBox box;
  EXPECT_EQ(box.count(), 20);
  EXPECT_EQ(box.currentIndex(), 0);
  EXPECT_EQ(box.ColorValue(), clBlack);
  for (int i = 0; i < TColorComboBox::ColorCount; ++i) {
    box.setColorValue(TColorComboBox::ColorAt(i));
    EXPECT_EQ(box.currentIndex(), i);
    EXPECT_EQ(box.ColorValue(), TColorComboBox::ColorAt(i));
  }
  EXPECT_EQ(box.itemText(9), "Rosso");
  EXPECT_EQ(box.itemText(16), "Sfondo Finestra");
  // A colour the table lacks is kept as written, with no entry selected.
  box.setColorValue(RGB(1, 2, 3));
  EXPECT_EQ(box.currentIndex(), -1);
  EXPECT_EQ(box.ColorValue(), RGB(1, 2, 3));
  box.setColorValue(clAqua);
  EXPECT_EQ(box.currentText(), "Celeste");
}

TEST(ColorComboBox, NameLookups) {
  EXPECT_EQ(TColorComboBox::NameToColor("ROSSO"), clRed);
  EXPECT_EQ(TColorComboBox::NameToColor("verde CHIARO"), clLime);
  EXPECT_EQ(TColorComboBox::NameToColor("Magenta"), clBlack);
  EXPECT_EQ(TColorComboBox::ColorToName(clBtnShadow), "Ombreggiatura");
  EXPECT_EQ(TColorComboBox::ColorToName(RGB(9, 9, 9)), "");
}

TEST(ColorComboBox, FiresOnUserChoiceAndDrawsSwatches) {
  TColorComboBox box;
  int changes = 0;
  box.OnChange = [&](TObject* s) {
    EXPECT_EQ(s, &box);
    ++changes;
  };
  box.setColorValue(clRed);  // programmatic: no event
  EXPECT_EQ(changes, 0);
  box.show();
  QTest::keyClick(&box, Qt::Key_Down);
  EXPECT_EQ(changes, 1);
  EXPECT_EQ(box.ColorValue(), clLime);
  // The item: white frame, then the swatch in the entry's colour.
  TBitmap bmp(150, 16);
  box.DrawItem(bmp.Canvas(), Rect(0, 0, 150, 16), 9, false);
  const QImage img = bmp.Image();
  EXPECT_EQ(PixelAt(img, 4, 8), clWhite);
  EXPECT_EQ(PixelAt(img, 15, 8), clRed);
  box.Font().SetHeight(-24);
  EXPECT_GE(box.ItemHeight(), 24);
}

TEST(FontComboBox, ListsTheInstalledFonts) {
  TFontComboBox box;
  ASSERT_GT(box.count(), 0);
  EXPECT_EQ(box.ShowMode(), smFonts);
  EXPECT_EQ(box.Font().Size(), 10);
  EXPECT_GE(box.ItemHeight(), 16);
  const QString name = box.itemText(box.count() - 1);
  box.setFontName(name);
  EXPECT_EQ(box.FontName(), name);
  box.setFontName("No Such Font 123");
  EXPECT_EQ(box.FontName(), "");
  EXPECT_EQ(box.currentIndex(), -1);
  for (int i = 0; i < box.count(); ++i) {
    const int k = box.KindOf(i);
    EXPECT_TRUE(k == 0 || k == 1 || k == 2);
  }
  // Every mode draws without touching anything outside the row.
  for (auto mode : {smNormal, smFonts, smBoth}) {
    box.setShowMode(mode);
    TBitmap bmp(300, 20);
    box.DrawItem(bmp.Canvas(), Rect(0, 0, 300, 20), 0, true);
    EXPECT_EQ(PixelAt(bmp.Image(), 299, 10), ColorToRGB(clHighlight));
  }
}

namespace {

void Click(QWidget* w, int x, int y, Qt::MouseButton b = Qt::LeftButton) {
  QMouseEvent move(QEvent::MouseMove, QPointF(x, y), w->mapToGlobal(QPointF(x, y)), Qt::NoButton,
                   Qt::NoButton, Qt::NoModifier);
  QCoreApplication::sendEvent(w, &move);
  QMouseEvent up(QEvent::MouseButtonRelease, QPointF(x, y), w->mapToGlobal(QPointF(x, y)), b, Qt::NoButton,
                 Qt::NoModifier);
  QCoreApplication::sendEvent(w, &up);
}

}  // namespace

TEST(ColorSelector, PalettesAreBuiltAsDescribed) {
  TColorSelector s;
  EXPECT_EQ(s.SelectedColor(), clNone);
  EXPECT_EQ(s.DefaultPalette().size(), QSize(34, 130));
  EXPECT_EQ(s.UserPalette().size(), QSize(130, 34));
  EXPECT_EQ(s.RedStrip().size(), QSize(18, 130));
  EXPECT_EQ(s.ColorArea().size(), QSize(130, 130));
  EXPECT_EQ(PixelAt(s.DefaultPalette(), 0, 5), clBlack);     // frame
  EXPECT_EQ(PixelAt(s.DefaultPalette(), 33, 5), clWhite);    // frame
  EXPECT_EQ(PixelAt(s.DefaultPalette(), 5, 5), clBlack);     // first swatch
  EXPECT_EQ(PixelAt(s.DefaultPalette(), 20, 5), clSilver);   // ninth, second column
  EXPECT_EQ(PixelAt(s.DefaultPalette(), 20, 120), clWhite);  // sixteenth
  EXPECT_EQ(PixelAt(s.RedStrip(), 5, 128), RGB(254, 0, 0));
  EXPECT_EQ(PixelAt(s.ColorArea(), 128, 1), RGB(0, 254, 0));
  EXPECT_EQ(PixelAt(s.ColorArea(), 1, 128), RGB(0, 0, 254));
}

TEST(ColorSelector, RemembersSixteenCustomColours) {
  TColorSelector s;
  s.Accept(RGB(1, 0, 0));
  s.Accept(RGB(1, 0, 0));  // already there: not added again
  EXPECT_EQ(s.UserColors()[0], RGB(1, 0, 0));
  EXPECT_EQ(s.UserColors()[1], clNone);
  for (int i = 2; i <= 17; ++i) s.Accept(RGB(i, 0, 0));
  EXPECT_EQ(s.UserColors()[0], RGB(17, 0, 0));  // the seventeenth overwrote the first
  EXPECT_EQ(s.UserColors()[1], RGB(2, 0, 0));
  EXPECT_EQ(PixelAt(s.UserPalette(), 5, 5), RGB(17, 0, 0));
  s.Accept(clNone);
  EXPECT_EQ(s.SelectedColor(), clNone);
  EXPECT_EQ(s.UserColors()[1], RGB(2, 0, 0));
}

TEST(ColorSelector, ExecutePicksFromThePalettes) {
  TColorSelector s;
  TRecordingDialogs dialogs;
  auto run = [&](std::function<void(TFormColorSelector&)> act) {
    dialogs.OnModal = [&](QDialog& dlg) {
      auto& f = dynamic_cast<TFormColorSelector&>(dlg);
      EXPECT_EQ(f.size(), QSize(199, 179));
      act(f);
      return f.result();
    };
    return s.Execute();
  };
  // A swatch of the default palette: red is the tenth, second column, second row.
  EXPECT_TRUE(run([](TFormColorSelector& f) { Click(f.PBDefCols, 20, 20); }));
  EXPECT_EQ(s.SelectedColor(), clRed);
  EXPECT_EQ(s.UserColors()[0], clRed);
  // The red strip sets the area's red; then a pick in the area.
  EXPECT_TRUE(run([](TFormColorSelector& f) {
    QMouseEvent move(QEvent::MouseMove, QPointF(5, 65), QPointF(5, 65), Qt::NoButton, Qt::NoButton,
                     Qt::NoModifier);
    QCoreApplication::sendEvent(f.PBRedScroll, &move);
    Click(f.PBColArea, 11, 21);
  }));
  EXPECT_EQ(s.SelectedColor(), RGB(128, 20, 40));
  // Right button cancels; nothing changes.
  EXPECT_FALSE(run([](TFormColorSelector& f) { Click(f.PBDefCols, 5, 5, Qt::RightButton); }));
  EXPECT_EQ(s.SelectedColor(), RGB(128, 20, 40));
  // The user palette answers only inside its picture.
  EXPECT_FALSE(run([](TFormColorSelector& f) {
    Click(f.PBUserCols, 140, 10);
    if (f.result() == 0) f.reject();
  }));
  EXPECT_TRUE(run([](TFormColorSelector& f) { Click(f.PBSelNone, 5, 5); }));
  EXPECT_EQ(s.SelectedColor(), clNone);
  EXPECT_EQ(s.UserColors()[2], clNone);
}

TEST(Pickers, RowsLookRight) {
  // Rows of both combos (TARNWELL_DUMP_DIR to look at them).
  TColorComboBox colors;
  TFontComboBox fonts;
  const int h = fonts.ItemHeight();
  TBitmap sheet(320, 20 * 16 + 3 * 6 * h);
  for (int i = 0; i < 20; ++i) colors.DrawItem(sheet.Canvas(), Rect(0, i * 16, 320, i * 16 + 16), i, i == 9);
  int y = 20 * 16;
  for (auto mode : {smNormal, smFonts, smBoth}) {
    fonts.setShowMode(mode);
    for (int i = 0; i < 6 && i < fonts.count(); ++i, y += h)
      fonts.DrawItem(sheet.Canvas(), Rect(0, y, 320, y + h), i, i == 1);
  }
  const QString dir = qEnvironmentVariable("TARNWELL_DUMP_DIR");
  if (!dir.isEmpty()) sheet.SaveToFile(dir + "/pickers.png");
  EXPECT_EQ(PixelAt(sheet.Image(), 15, 9 * 16 + 8), clRed);
}
