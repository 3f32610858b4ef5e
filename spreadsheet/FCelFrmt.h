#pragma once
// TFormCellsFormat, "Formato Celle": the modal cell-format dialog of a
// spreadsheet grid. It starts from the current cell (or, where the position
// has no cell, from the format that position shows), lets every item be
// changed with a live preview of one cell showing a sample number, and on
// OK applies the whole format to the grid's selection.

#include <Tarnwell/platform/TControls.h>
#include <Tarnwell/spreadsheet/SShtCell.h>
#include <Tarnwell/visuals/ColSelec.h>
#include <Tarnwell/visuals/FntCbBox.h>

#include <QComboBox>
#include <QDialog>
#include <QGroupBox>
#include <QLabel>
#include <QPushButton>
#include <array>
#include <functional>
#include <memory>

#include "ImgCbBox.h"
#include <Tarnwell/TarnwellExport.h>

namespace Tarnwell {

class TSpreadSheetGrid;

// The cell-format dialog of the spreadsheet window: font, borders, pattern, alignment and data type
// of the selected cells.
class TARNWELL_SHEETFORMS_EXPORT TFormCellsFormat : public QDialog {
  Q_OBJECT
 public:
  explicit TFormCellsFormat(QWidget* parent = nullptr);
  ~TFormCellsFormat() override;

  // What the preview shows: how the chosen data type displays a number.
  static QString SampleText() { return QStringLiteral("34568,234556"); }
  // The sizes offered, shared with the spreadsheet window.
  static QStringList FontSizes();
  static QStringList LineStyleNames();

  // Runs the dialog on grid; true when OK applied the format.
  bool Execute(TSpreadSheetGrid* grid);
  // Execute's two halves: take the cell and set the controls; apply the
  // scratch cell to the grid's selection.
  void Prepare(TSpreadSheetGrid* grid);
  void ApplyToGrid();
  const TSpreadSheetCell& ScratchCell() const { return *mCell; }

  // Asks for a colour starting at `start` (white for "no colour"); false
  // when none was chosen. Replaceable (tests).
  std::function<bool(TColor start, TColor& chosen)> PickColor;

  QWidget* PanelCell;
  TPaintBox* PaintBoxCell;
  QPushButton* BtnOk;
  QPushButton* BtnCancel;
  QWidget* PanelCtrls;
  QGroupBox *GroupFont, *GroupLayout, *GroupBack, *GroupBorders;
  TSpeedButton *BtnBold, *BtnItalic, *BtnUnder, *BtnFontColor;
  TFontComboBox* CBFontName;
  QComboBox* CBFontSize;
  TSpeedButton *BtnLeft, *BtnCenter, *BtnRight;
  TSpeedButton *BtnLayTop, *BtnLayCent, *BtnLayBott;
  QLabel* LabelDataType;
  QComboBox* CBDataType;
  TSpeedButton *BtnPattColor, *BtnBackColor;
  QLabel* LabelPattern;
  TImageComboBox* CBPattern;
  TImageList* ImageListPatt;
  // Per side, in the order of the tags 1 left, 2 top, 3 right, 4 bottom.
  std::array<QLabel*, 4> LabelSide{};
  std::array<QComboBox*, 4> CBLine{};
  std::array<QComboBox*, 4> CBWidth{};
  std::array<TSpeedButton*, 4> BtnLineColor{};
  TColorSelector* ColorSelector;

  // The handlers (also reached through the controls).
  void FontChange();
  void HAlignClick(TSpeedButton* sender);
  void VAlignClick(TSpeedButton* sender);
  void DataTypeChange();
  void FontColorClick();
  void BackColorClick();
  void PattColorClick();
  void PatternChange();
  void BorderChange(QObject* sender);
  void BorderColorClick(QObject* sender);

 private:
  void BuildControls();
  void SetControls();
  void PaintPreview(QPainter& p);
  bool Pick(TColor start, TColor& chosen);
  QString SideOf(const QObject* control) const;
  TSpreadSheetGrid* mGrid = nullptr;
  std::unique_ptr<TSpreadSheetCell> mCell;
  bool mUpdating = false;
};

}  // namespace Tarnwell
