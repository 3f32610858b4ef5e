// The cell-format dialog and the image combo box.
#include <Tarnwell/spreadsheet/FCelFrmt.h>
#include <Tarnwell/spreadsheet/ImgCbBox.h>
#include <Tarnwell/spreadsheet/SShtGlyphs.h>
#include <Tarnwell/visuals/FntCbBox.h>
#include <gtest/gtest.h>

#include <QComboBox>
#include <QPainter>
#include <QUndoStack>

#include "HiDpiUtil.h"
#include "SheetWinTestUtil.h"

namespace {

struct TDialogFixture {
  TFixedLocale locale;
  TRecordingDialogs dialogs;
  TSpreadSheetGrid grid;
  TFormCellsFormat dlg;
  TDialogFixture() {
    grid.resize(600, 300);
    dlg.PickColor = [](TColor, TColor& c) {
      c = clAqua;
      return true;
    };
  }
};

}  // namespace

TEST(CellsFormat, LayoutAndLists) {
  TDialogFixture t;
  EXPECT_EQ(t.dlg.windowTitle(), "Formato Celle");
  EXPECT_EQ(t.dlg.PanelCell->height(), 68);
  EXPECT_EQ(t.dlg.BtnOk->text(), "&OK");
  EXPECT_TRUE(t.dlg.BtnOk->isDefault());
  EXPECT_EQ(t.dlg.BtnCancel->text(), "&Cancel");
  EXPECT_EQ(t.dlg.GroupFont->title(), "Font");
  EXPECT_EQ(t.dlg.GroupLayout->title(), "Layout");
  EXPECT_EQ(t.dlg.GroupBack->title(), "Sfondo");
  EXPECT_EQ(t.dlg.GroupBorders->title(), "Bordi");
  EXPECT_EQ(t.dlg.BtnPattColor->text(), "Col. Patt.");
  EXPECT_EQ(t.dlg.BtnLeft->toolTip(), "Allineato a Sinistra");
  EXPECT_EQ(t.dlg.LabelSide[3]->text(), "In Basso");
  EXPECT_EQ(t.dlg.CBLine[0]->count(), 6);
  EXPECT_EQ(t.dlg.CBLine[0]->itemText(5), "Non Presente");
  EXPECT_EQ(t.dlg.CBWidth[2]->itemText(9), "9");
  EXPECT_EQ(t.dlg.CBLine[2]->property("Tag").toInt(), 3);
  EXPECT_EQ(t.dlg.CBPattern->count(), 18);
  t.dlg.Prepare(&t.grid);
  EXPECT_EQ(t.dlg.ImageListPatt->Count(), 18);
  EXPECT_EQ(t.dlg.ImageListPatt->Width(), 32);
  EXPECT_EQ(t.dlg.ImageListPatt->Height(), 12);
  EXPECT_FALSE(t.dlg.ImageListPatt->Masked());
  EXPECT_EQ(t.dlg.CBPattern->currentIndex(), -1);
}

TEST(CellsFormat, StartsFromTheCellOrTheFormatThePositionShows) {
  TDialogFixture t;
  TSpreadSheetCell* c = t.grid.Cells().GetCell(2, 2, true);
  c->SetFont(TCellFont{"Courier New", 14, clRed, 2});
  c->SetAlignment(3, 0);
  c->SetBorders("B", 1, 3, clBlue);
  t.grid.MoveCurrent(2, 2, false);
  t.dlg.Prepare(&t.grid);
  EXPECT_EQ(t.dlg.CBFontSize->currentText(), "14");
  EXPECT_TRUE(t.dlg.BtnItalic->isChecked());
  EXPECT_FALSE(t.dlg.BtnBold->isChecked());
  EXPECT_TRUE(t.dlg.BtnRight->isChecked());
  EXPECT_TRUE(t.dlg.BtnLayTop->isChecked());
  EXPECT_EQ(t.dlg.CBLine[3]->currentIndex(), 1);
  EXPECT_EQ(t.dlg.CBWidth[3]->currentIndex(), 3);
  EXPECT_EQ(t.dlg.CBLine[0]->currentIndex(), 5);
  EXPECT_EQ(t.dlg.ScratchCell().Text(), "34568,234556");
  // An empty position of a bold row starts bold.
  t.grid.Cells().GetCell(0, 5, true)->SetFont(TCellFont{QString(), 10, scKeepColor, 1});
  t.grid.MoveCurrent(3, 5, false);
  ASSERT_EQ(t.grid.GetCurrentCell(), nullptr);
  t.dlg.Prepare(&t.grid);
  EXPECT_TRUE(t.dlg.BtnBold->isChecked());
  EXPECT_EQ(t.dlg.CBFontSize->currentText(), "10");
}

TEST(CellsFormat, ControlsChangeTheScratchCellOnly) {
  TDialogFixture t;
  t.grid.SetCellText(1, 1, "a");
  t.dlg.Prepare(&t.grid);
  t.dlg.BtnBold->click();
  t.dlg.BtnCenter->click();
  t.dlg.BtnLayBott->click();
  t.dlg.BackColorClick();
  t.dlg.CBPattern->setCurrentIndex(4);
  t.dlg.PatternChange();
  t.dlg.CBLine[1]->setCurrentIndex(2);
  t.dlg.BorderChange(t.dlg.CBLine[1]);
  t.dlg.CBWidth[1]->setCurrentIndex(4);
  t.dlg.BorderChange(t.dlg.CBWidth[1]);
  t.dlg.BorderColorClick(t.dlg.BtnLineColor[1]);
  const TSpreadSheetCell& s = t.dlg.ScratchCell();
  EXPECT_EQ(s.Font().Style & 1, 1);
  EXPECT_EQ(s.HAlign(), 2);
  EXPECT_EQ(s.VAlign(), 2);
  EXPECT_EQ(s.BackColor(), clAqua);
  EXPECT_EQ(s.Pattern(), 4);
  EXPECT_EQ(s.Border(cbsTop), (TCellBorder{2, 4, clAqua}));
  EXPECT_FALSE(s.Border(cbsLeft).Visible());
  // Cancel: the sheet is as it was.
  EXPECT_EQ(t.grid.Cells().FindCell(1, 1)->Font().Style, 0);
  EXPECT_EQ(t.grid.Cells().FindCell(1, 1)->BackColor(), clWhite);
  EXPECT_EQ(t.grid.UndoStack()->count(), 1);
}

TEST(CellsFormat, OkFormatsEveryCellOfTheRangeAndUndoTakesItBack) {
  TDialogFixture t;
  t.grid.SetCellText(1, 1, "a");
  t.grid.SetSelection({1, 1, 3, 2});
  t.dialogs.OnModal = [](QDialog& d) {
    auto* f = qobject_cast<TFormCellsFormat*>(&d);
    if (!f) return int(QDialog::Rejected);
    f->BtnUnder->click();
    f->CBDataType->setCurrentIndex(cdtNumber);
    f->DataTypeChange();
    f->CBLine[0]->setCurrentIndex(0);
    f->BorderChange(f->CBLine[0]);
    f->CBWidth[0]->setCurrentIndex(1);
    f->BorderChange(f->CBWidth[0]);
    return int(QDialog::Accepted);
  };
  const int steps = t.grid.UndoStack()->count();
  EXPECT_TRUE(t.dlg.Execute(&t.grid));
  for (int r = 1; r <= 2; ++r)
    for (int c = 1; c <= 3; ++c) {
      const TSpreadSheetCell* cell = t.grid.Cells().FindCell(c, r);
      ASSERT_TRUE(cell) << c << "," << r;
      EXPECT_EQ(cell->Font().Style & 4, 4);
      EXPECT_EQ(cell->DataType(), int(cdtNumber));
      EXPECT_EQ(cell->Border(cbsLeft), (TCellBorder{0, 1, clBlack}));
    }
  const int added = t.grid.UndoStack()->count() - steps;
  EXPECT_GT(added, 0);
  for (int i = 0; i < added; ++i) t.grid.Undo();
  EXPECT_EQ(t.grid.Cells().FindCell(1, 1)->Font().Style, 0);
  EXPECT_EQ(t.grid.Cells().FindCell(1, 1)->DataType(), int(cdtGeneral));
  // Cancel changes nothing.
  t.dialogs.OnModal = [](QDialog& d) {
    if (auto* f = qobject_cast<TFormCellsFormat*>(&d)) f->BtnBold->click();
    return int(QDialog::Rejected);
  };
  EXPECT_FALSE(t.dlg.Execute(&t.grid));
  EXPECT_EQ(t.grid.Cells().FindCell(1, 1)->Font().Style, 0);
}

TEST(CellsFormat, NumberSampleFollowsTheLocale) {
  TDialogFixture t;
  {
    TFixedLocale italian(QLocale(QLocale::Italian, QLocale::Italy));
    t.dlg.Prepare(&t.grid);
    t.dlg.CBDataType->setCurrentIndex(cdtNumber);
    t.dlg.DataTypeChange();
    const QString shown = t.dlg.ScratchCell().DisplayText();
    EXPECT_EQ(shown, CellValueToText(TCellValue::Number(34568.234556), cdtNumber));
    EXPECT_TRUE(shown.startsWith("34568,23")) << shown.toStdString();
    // The preview draws it.
    QImage img = WhiteImage(t.dlg.PaintBoxCell->width(), t.dlg.PaintBoxCell->height());
    t.dlg.PaintBoxCell->render(&img);
    int ink = 0;
    for (int x = 10; x < img.width() - 10; ++x)
      for (int y = 10; y < img.height() - 10; ++y) ink += qGray(img.pixel(x, y)) < 128;
    EXPECT_GT(ink, 20);
    EXPECT_EQ(PixelAt(img, 0, 0), clBlack);  // the outer frame
    EXPECT_EQ(PixelAt(img, img.width() - 1, img.height() - 1), clWhite);
  }
  // Where the comma is no decimal separator the sample is no number.
  t.dlg.Prepare(&t.grid);
  t.dlg.CBDataType->setCurrentIndex(cdtNumber);
  t.dlg.DataTypeChange();
  EXPECT_NE(t.dlg.ScratchCell().DisplayText(), "34568.234556");
}

TEST(ImageComboBox, ItemHeightFollowsTheImageListAndForgetsItWhenItGoes) {
  TImageComboBox box;
  EXPECT_EQ(box.ItemHeight(), 20);
  box.addItems({"uno", "due", "tre"});
  auto list = std::make_unique<TImageList>();
  list->setWidth(32);
  list->setHeight(12);
  QImage red(32, 12, QImage::Format_RGB32);
  red.fill(Qt::red);
  list->Add(red);
  list->Add(red);
  box.setImageList(list.get());
  EXPECT_EQ(box.ItemHeight(), 16);
  // An item with a picture: the picture at x 5, then the text.
  QImage img = WhiteImage(120, 16);
  {
    QPainter p(&img);
    box.DrawItem(p, QRect(0, 0, 120, 16), 1, false);
  }
  EXPECT_EQ(PixelAt(img, 5, 2), clRed);
  EXPECT_EQ(PixelAt(img, 36, 13), clRed);
  EXPECT_NE(PixelAt(img, 4, 2), clRed);
  // Past the list's pictures the item is drawn as plain text.
  img = WhiteImage(120, 16);
  {
    QPainter p(&img);
    box.DrawItem(p, QRect(0, 0, 120, 16), 2, false);
  }
  EXPECT_NE(PixelAt(img, 5, 2), clRed);
  list.reset();
  EXPECT_EQ(box.ImageList(), nullptr);
  img = WhiteImage(120, 16);
  {
    QPainter p(&img);
    box.DrawItem(p, QRect(0, 0, 120, 16), 0, false);
  }
  EXPECT_NE(PixelAt(img, 5, 2), clRed);
}

// The tool buttons' glyphs made for a high-density screen: drawn at its
// resolution (twice the 1x size, with detail of their own) and laid out in
// the button as the 1x glyph is.
TEST(SheetGlyphs, MadeForRatio2TheyAreDrawnAtTheDeviceResolution) {
  for (TSheetGlyph g : {sgCut, sgSortAsc, sgFindFirst, sgRecalc, sgUndo}) {
    SCOPED_TRACE(int(g));
    TSpeedButton b1, b2;
    for (auto [b, ratio] : {std::pair{&b1, 1.0}, std::pair{&b2, 2.0}}) {
      b->setFlat(true);
      b->setGlyph(SheetGlyph(g, ratio));
      b->resize(23, 22);
    }
    EXPECT_EQ(b2.sizeHint(), b1.sizeHint());
    const QImage at1 = HiDpi::Render(&b1, 1), at2 = HiDpi::Render(&b2, 2);
    const QRgb face = at1.pixel(0, 0);
    const HiDpi::Ink ink = [face](QRgb p) { return p != face; };
    const QRect all(0, 0, 23, 22);
    const QRect k1 = HiDpi::InkBox(at1, all, 1, ink), k2 = HiDpi::InkBox(at2, all, 2, ink);
    ASSERT_FALSE(k1.isEmpty());
    EXPECT_NEAR(k2.left(), 2 * k1.left(), 1);
    EXPECT_NEAR(k2.top(), 2 * k1.top(), 1);
    EXPECT_NEAR(k2.width(), 2 * k1.width(), 2) << "1x " << k1.width() << " 2x " << k2.width();
    EXPECT_NEAR(k2.height(), 2 * k1.height(), 2) << "1x " << k1.height() << " 2x " << k2.height();
    EXPECT_GT(HiDpi::Detail(at1, at2, all), 0.01);
  }
}
