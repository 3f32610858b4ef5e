#pragma once
// The "Foglio di Calcolo" demonstration window: a spreadsheet grid under a
// two-row toolbar and a formula bar, with its context menu, files, printing
// through the report preview and the export of a selection to a memory table.

#include <Tarnwell/app/QuickRpt.h>
#include <Tarnwell/database/MemoTab.h>
#include <Tarnwell/pattern/PatPanel.h>
#include <Tarnwell/platform/TControls.h>
#include <Tarnwell/spreadsheet/SShtGrid.h>
#include <Tarnwell/visuals/ColSelec.h>
#include <Tarnwell/visuals/FntCbBox.h>

#include <QComboBox>
#include <QLineEdit>
#include <QMenu>
#include <functional>

namespace Tarnwell {

class TFormVDBChildSpreadSheet : public TForm {
  Q_OBJECT
 public:
  explicit TFormVDBChildSpreadSheet(QWidget* parent = nullptr);
  ~TFormVDBChildSpreadSheet() override;

  // The file dialogs' filters (Linux names are case-sensitive: both cases).
  static QStringList SheetFilters();
  static QStringList CsvFilters();
  // A name typed without extension (or ending in ".") gets the extension of
  // the chosen filter entry (1 sheet, 2 CSV, 3 all files).
  static QString SaveFileName(const QString& chosen, int filterEntry);
  // The page rectangles of printing, in report pixels.
  static TRect PrintPageRect(bool landscape);
  // Asks for a text; false when cancelled.
  static bool InputQuery(const QString& caption, const QString& prompt, QString& value);
  // A whole number from minimum to maximum typed by the user, or a message
  // and false.
  static bool ReadCount(const QString& text, int minimum, int maximum, int& out);
  static constexpr int MaxTypedSize = 4096;
  // The sample the window opens with.
  static void FillSampleSheet(TSpreadSheetGrid& grid);
  static constexpr int MaxInsertCount = 10000;

  // Components (names as the window's design has them).
  TPatternPanel* PanelButtons;
  TPatternPanel* PanelGrid;
  QWidget* PanelFormula;
  TSpreadSheetGrid* Grid;
  TSpeedButton *BtnNew, *BtnOpen, *BtnSave, *BtnPrintGrid, *BtnPrintLandscape, *BtnPrint, *BtnEdit,
      *BtnAutoRecalc, *BtnCut, *BtnCopy, *BtnPaste, *BtnSortAsc, *BtnSortDesc, *BtnFindFirst, *BtnFindNext;
  TFontComboBox* CBFontName;
  QComboBox* CBFontSize;
  TSpeedButton *BtnBold, *BtnItalic, *BtnUnder, *BtnFontColor, *BtnLeft, *BtnCenter, *BtnRight;
  QComboBox* CBDataType;
  TSpeedButton *BtnBackColor, *BtnMakeBox;
  QLineEdit* EditAreaID;
  TSpeedButton *BtnRecalc, *BtnUndo, *BtnApply;
  QLineEdit* EditFormula;
  TColorSelector* ColorSelector;
  QMenu* PopupMenuGrid;
  QAction *PopGridCellFormat, *PopGridColWidth, *PopGridRowHeight, *PopGridErase, *PopGridDelete,
      *PopGridRemove, *PopGridInsert, *PopGridImportFile, *PopGridExpData;
  TQuickRep* QuickRep;
  TQRBand* QRDetailBand;
  TQRImage* QRImage;
  TMemoTable* MemoTable;

  // Asks for a colour starting at `start`; false when none was chosen.
  // Replaceable (tests).
  std::function<bool(TColor start, TColor& chosen)> PickColor;

  // The handlers (also reached through the controls).
  void GridSelectCell(int col, int row);
  void GridSelectionChanged(bool single, const QString& areaId, int col, int row, TSpreadSheetCell* cell);
  void BtnNewClick();
  void BtnOpenClick();
  void BtnSaveClick();
  void BtnPrintClick();
  void BtnFindFirstClick();
  void BtnFindNextClick();
  void BtnUndoClick();
  void BtnApplyClick();
  void BtnRecalcClick();
  void CBFontNameChange();
  void CBFontSizeChange();
  void StyleClick(int bit, bool down);
  void BtnFontColorClick();
  void AlignClick(TSpeedButton* sender);
  void CBDataTypeChange();
  void BtnBackColorClick();
  void BtnMakeBoxClick();
  void PopGridCellFormatClick();
  void PopGridColWidthClick();
  void PopGridRowHeightClick();
  void PopGridInsertClick();
  void PopGridImportFileClick();
  void PopGridExpDataClick();
  // The pages the last print produced (the report keeps them).
  int PrintedPages() const { return mPagesPrinted; }

 protected:
  bool eventFilter(QObject* o, QEvent* e) override;
  void resizeEvent(QResizeEvent* e) override;

 private:
  void BuildToolbar();
  void BuildFormulaBar();
  void BuildMenu();
  void PlaceControls();
  bool GridKeyDown(QKeyEvent* e);
  bool EditFormulaKeyDown(QKeyEvent* e);
  bool Pick(TColor start, TColor& chosen);
  // Runs a command; a failure becomes a message and leaves the sheet as it was.
  void Run(const std::function<void()>& action);
  bool mUpdating = false;
  bool mPrinting = false;
  int mPagesPrinted = 0;
};

}  // namespace Tarnwell
