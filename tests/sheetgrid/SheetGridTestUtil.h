#pragma once
// A spreadsheet grid laid out as if shown, at a known size, without frame
// or scroll bars so that viewport and widget coordinates agree.
#include <QApplication>
#include <QLocale>
#include <QMouseEvent>
#include <QTest>
#include <memory>

#include <Tarnwell/spreadsheet/SShtGrid.h>

using namespace Tarnwell;

inline std::unique_ptr<TSpreadSheetGrid> MakeGrid(int w = 800, int h = 400) {
  auto g = std::make_unique<TSpreadSheetGrid>();
  g->setAttribute(Qt::WA_DontShowOnScreen);
  g->setFrameShape(QFrame::NoFrame);
  g->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
  g->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
  g->resize(w, h);
  g->show();
  return g;
}

inline QPoint Centre(TSpreadSheetGrid& g, int col, int row) {
  return g.CellRect(col, row).ToQRect().center();
}

// A drag step with the left button held (QTest's mouseMove carries no button).
inline void DragTo(QWidget* w, QPoint p) {
  QMouseEvent e(QEvent::MouseMove, QPointF(p), w->mapToGlobal(QPointF(p)), Qt::NoButton, Qt::LeftButton,
                Qt::NoModifier);
  QApplication::sendEvent(w, &e);
}

// Formats and numbers read the same whatever the machine's locale.
struct TCLocale {
  QLocale old;
  TCLocale() { QLocale::setDefault(QLocale::c()); }
  ~TCLocale() { QLocale::setDefault(old); }
};

// A sheet that shows every kind of format: the eighteen patterns, fonts,
// alignments, borders and data types.
inline void BuildShowcase(TSpreadSheetGrid& g) {
  TSpreadSheetDataCells& c = g.Cells();
  const TColor backs[] = {clWhite, clYellow, clAqua, clSilver, clLime, clFuchsia};
  const TColor inks[] = {clNavy, clRed, clGreen, clPurple, clTeal, clMaroon};
  g.SetCellText(1, 1, "Pattern");
  g.SetCellText(2, 1, "Nome");
  for (int p = 0; p < CellPatternCount; ++p) {
    g.SetCellText(1, p + 2, QString::number(p));
    g.SetCellText(2, p + 2, CellPatternName(p));
    TSpreadSheetCell* cell = c.GetCell(3, p + 2, true);
    cell->SetBackground(backs[p % 6], inks[p % 6], p);
    cell = c.GetCell(4, p + 2, true);
    cell->SetBackground(clWhite, clBlack, p);
  }
  c.GetCell(1, 1, true)->SetFont(TCellFont{"Arial", 10, clBlue, 1});
  c.GetCell(2, 1, true)->SetFont(TCellFont{"Times New Roman", 12, clMaroon, 2});
  g.SetCellText(6, 1, "Sinistra");
  c.GetCell(6, 1, true)->SetAlignment(1, 0);
  g.SetCellText(6, 2, "Centro");
  c.GetCell(6, 2, true)->SetAlignment(2, 1);
  g.SetCellText(6, 3, "Destra");
  c.GetCell(6, 3, true)->SetAlignment(3, 2);
  g.SetCellText(6, 4, "1234");
  c.GetCell(6, 4, true)->SetDataType(cdtNumber);
  g.SetCellText(6, 5, "=F4*2");
  g.SetCellText(6, 6, "Grassetto corsivo");
  c.GetCell(6, 6, true)->SetFont(TCellFont{"Courier New", 9, clRed, 3});
  g.SetCellText(6, 7, "Sottolineato barrato");
  c.GetCell(6, 7, true)->SetFont(TCellFont{"Arial", 8, clGreen, 12});
  for (int s = 0; s < 5; ++s) {
    TSpreadSheetCell* cell = c.GetCell(7 + s, 9, true);
    cell->SetBorders("LTRB", s, 1 + s % 3, inks[s]);
  }
  g.SetRowHeight(6, 24);
  g.SetColWidth(6, 120);
  g.SetColWidth(2, 70);
  g.SetSelection({7, 12, 9, 14});
  g.MakeBox(0, 2, clBlack);
  g.SetSelection({1, 1, 1, 1});
  c.Recalculate();
}
