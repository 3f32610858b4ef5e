#pragma once
// TSpreadSheetGrid: the visible spreadsheet. A TCustomGrid of 702 columns
// and rows that grow on demand, drawing every cell from its store's formats
// (fonts, alignments, borders, eighteen background patterns). Besides the
// grid's own cell selection it keeps a header selection of whole columns,
// rows or the sheet. Commands act on the selection; every change of cells,
// formats or sizes can be undone.
//
// Files: SShtGridPaint.cpp (construction, painting, pattern tiles),
// SShtGridEdit.cpp (header selection, editor hooks, keys, notifications),
// SShtGridCmds.cpp (commands, undo, files), SShtGridClip.cpp (clipboard).

#include <QByteArray>
#include <QGlyphRun>
#include <QHash>
#include <QImage>
#include <QTimer>
#include <functional>
#include <map>
#include <memory>
#include <vector>

#include "SShtEngine.h"
#include <Tarnwell/grids/TGrids.h>
#include <Tarnwell/TarnwellExport.h>
class QMimeData;
class QUndoStack;
class QIODevice;

namespace Tarnwell {

// Access to internal counters for the tests (defined in the *_p.h header).
template <class T>
struct TProbe;

class TSpreadSheetGrid;
class TSheetStep;
class TGridPrintPages;

// One coloured tile of the pattern cache.
struct TARNWELL_SHEETGRID_EXPORT TGridPatternBitmap {
  std::uint8_t Pattern = 0;
  TColor BackColor = clWhite;
  TColor InkColor = clBlack;
  QImage Bitmap;  // 8x8, 24 bits per pixel
  QBrush Brush;   // the bitmap as a repeating brush
  QBrush ScreenBrush;  // the same pattern repeated to 64x64, faster to fill on screen
};

// The private clipboard format (a custom MIME type carrying cell records).
extern TARNWELL_SHEETGRID_EXPORT const char* const SShtClipboardFormatName;  // "QV SpreadSheet Cells"
TARNWELL_SHEETGRID_EXPORT QString SShtClipboardMimeType();
// The same block with wide cell records (UTF-16 texts): the format our own
// sheets prefer, which loses no character.
TARNWELL_SHEETGRID_EXPORT QString SShtWideClipboardMimeType();

// A spreadsheet grid: a sparse sheet of cells with fonts, borders, patterns and data types,
// formulas, files, clipboard and printing.
class TARNWELL_SHEETGRID_EXPORT TSpreadSheetGrid : public TCustomGrid {
  Q_OBJECT
  // Writes the column letters and row numbers in the fixed header cells (default true).
  TW_PROPERTY_DEFAULT(bool, Headers, true, InvalidateGrid())
  // Switching it on or off recalculates at once.
  TW_PROPERTY_DEFAULT(bool, AutoRecalc, false, Recalculate())
  // The editing option of the base grid, under a name of its own.
  Q_PROPERTY(bool EditEnabled READ EditEnabled WRITE setEditEnabled RESET resetEditEnabled NOTIFY EditEnabledChanged)

 public:
  using TSelectionChangedEvent = std::function<void(TObject* sender, bool single, const QString& areaId,
                                                    int col, int row, TSpreadSheetCell* cell)>;
  using TMovedEvent = std::function<void(TObject* sender, int from, int to)>;
  using TGetEditEvent = std::function<void(TObject* sender, int col, int row, QString& value)>;
  using TSetEditEvent = std::function<void(TObject* sender, int col, int row, const QString& value)>;
  using TSelectCellEvent = std::function<void(TObject* sender, int col, int row, bool& canSelect)>;

  static constexpr int MaxTileCache = 512;

  explicit TSpreadSheetGrid(QWidget* parent = nullptr);
  ~TSpreadSheetGrid() override;

  TSpreadSheetDataCells& Cells() { return *mCells; }
  const TSpreadSheetDataCells& Cells() const { return *mCells; }
  const THeaderSelection& HeaderSelection() const { return mHeaderSel; }
  // Selects whole columns (1), rows (2) or the sheet (3) as the headers do;
  // kind 0 clears the header selection.
  void SetHeaderSelection(int kind, int a = 0, int b = 0);
  QUndoStack* UndoStack() const { return mUndo.get(); }

  bool EditEnabled() const { return Options() & goEditing; }
 public Q_SLOTS:
  // Sets EditEnabled: the goEditing option of the grid (cells can be typed into). Emits
  // EditEnabledChanged.
  void setEditEnabled(bool on);
  // Editing on again (EditEnabled true).
  void resetEditEnabled() { setEditEnabled(true); }
 Q_SIGNALS:
  // EditEnabled changed.
  void EditEnabledChanged(bool value);
  // The selection moved or grew: Single for one cell (AreaId "C5"), else a
  // range or a header selection; the format cell of the position.
  void SelectionChanged(QObject* sender, bool single, const QString& areaId, int col, int row,
                        Tarnwell::TSpreadSheetCell* cell);

 public:
  // Assignable events, called after the signals (columnMoved, rowMoved,
  // topLeftChanged, editTextSet, SelectionChanged). OnGetEditMask,
  // OnGetEditText and OnSelectCell answer a question and stay callbacks.
  TSelectionChangedEvent OnSelectionChanged;
  TMovedEvent OnColumnMoved;
  TMovedEvent OnRowMoved;
  TGetEditEvent OnGetEditMask;
  TGetEditEvent OnGetEditText;
  TSelectCellEvent OnSelectCell;
  TSetEditEvent OnSetEditText;
  TNotifyEvent OnTopLeftChanged;

  // While the counter is above 0 data cells are not painted; the step back
  // to 0 repaints the control.
  void BeginUpdate();
  void EndUpdate();
  int UpdateCount() const { return mUpdateCount; }

  TSpreadSheetCell* GetCellAt(int col, int row);
  TSpreadSheetCell* GetCurrentCell();
  // Grows RowCount so that row and a page below it exist; never shrinks.
  void EnsureRows(int row);

  // Painting steps. PaintCell is the one routine that draws a cell on
  // screen, in a preview and on paper.
  virtual void DrawColHeader(QPainter& p, int col, const TRect& r, TGridDrawState s);
  virtual void DrawRowHeader(QPainter& p, int row, const TRect& r, TGridDrawState s);
  virtual void PaintCell(int col, int row, TGridDrawState s, const TRect& r, QPainter& p,
                         const TSpreadSheetCell* cell);
  virtual void DrawDataCell(QPainter& p, int col, int row, TGridDrawState s, const TRect& r);
  void PaintCellPreview(const TSpreadSheetCell* cell, QPainter& p, const TRect& r);
  // One image per pattern 0..17 of the given size, tiled with the raw picture.
  std::vector<QImage> FillPatternImages(QSize size) const;
  // The whole control as it would appear (headless rendering).
  QImage RenderImage();

  void PaintGrid(QPainter& p, const QRect& clip) override;
  // One undoable step each: cells, formats and the size move together.
  void MoveColumn(int from, int to) override;
  void MoveRow(int from, int to) override;

  // The coloured tile cache.
  const TGridPatternBitmap& GetPatternTile(int pattern, TColor back, TColor ink);
  bool TileCached(int pattern, TColor back, TColor ink) const;
  void ClearTileCache();

  QString SelectionText() const;
  qint64 SelectedCount() const;

  // ---- commands
  QString GetSelectedText() const;
  TCellFont GetSelectionFont() const;
  int GetSelectionAlignment() const;
  void GetSelectionBackground(TColor& back, TColor& ink, int& pattern) const;
  void SetSelectionDataType(int t);
  void SetSelectionFont(const TCellFont& f);
  void SetSelectionAlignment(int word);
  void SetSelectionBackground(TColor back, TColor ink, int pattern);
  void SetSelectionBorders(const QString& sides, const TCellBorder& b);
  void IncludeSelectionStyle(int s);
  void ExcludeSelectionStyle(int s);
  int GetSelColWidth() const;
  void SetSelColWidth(int w);
  int GetSelRowHeight() const;
  void SetSelRowHeight(int h);
  void MakeBox(int style, int width, TColor color);
  void EraseSelection();
  void DeleteSelection();
  void RemoveSelection();
  // False (and a message) when cells would leave the sheet.
  bool InsertAtSelection(int n);
  void SortSelection(bool descending);
  bool FindFirst(const QString& text);
  bool FindNext();
  void Recalculate();
  void ClearSheet();
  QString GetCellText(int col, int row);
  // Headers give their column letter and row number.
  QString CellDisplayText(int col, int row) const override;
  void SetCellText(int col, int row, const QString& text);
  void InvalidateSelection();

  // ---- clipboard
  // The private block and the tab-separated text of the current selection.
  QByteArray CopyBlock(bool wide = false) const;
  QString CopyText() const;
  QMimeData* CreateMimeData() const;
  // False when nothing was copied (then a cut deletes nothing).
  bool CopyToClipboard();
  bool CutToClipboard();
  bool PasteFromClipboard();
  // Pastes data in either format; false (nothing changed) on malformed
  // data or when the cells would pass the sheet's bounds, with a message.
  bool PasteMimeData(const QMimeData* data);
  bool PasteBlock(const QByteArray& block, bool wide = false);
  bool PasteText(const QString& text);

  // ---- files (errors are ESheetFileError / ECsvError; the sheet stays)
  // A sheet file whose 8-bit texts would change characters is saved only
  // when the user agrees (the cells are named); false when not saved.
  bool SaveToFile(int kind, const QString& fileName);
  void LoadFromFile(const QString& fileName);
  void ImportCSVFile(const QString& fileName);
  static int CheckSignature(QIODevice& dev);

  // ---- printing (SShtPrint.h)
  // The pages the last PrintToPages made (kept until cleared or replaced).
  TGridPrintPages& PrintPages();
  // Cuts the used area into page pictures of pageRect's size: rows from the
  // rectangle's top down, a new page when the next row does not fit (a row
  // is never split), columns from its left while they fit. With gridLines
  // the one-pixel gaps between cells carry the cell lines.
  void PrintToPages(const TRect& pageRect, bool gridLines);

  // ---- undo
  void Undo();
  void Redo();
  // The memory the undo history may hold (256 MB unless set); past it the
  // oldest steps go, the newest always stays.
  static constexpr qint64 DefaultUndoMemoryLimit = qint64(256) << 20;
  void SetUndoMemoryLimit(qint64 bytes);
  qint64 UndoMemoryLimit() const { return mUndoMemoryLimit; }
  // What the steps of the history hold now.
  qint64 UndoMemory() const;

  // Sizes live in the store.
  int DefaultColWidth() const override { return mCells->DefaultColWidth(); }
  void setDefaultColWidth(int w) override;
  int DefaultRowHeight() const override { return mCells->DefaultRowHeight(); }
  void setDefaultRowHeight(int h) override;
  int ColWidth(int col) const override { return mCells->ColWidth(col); }
  void SetColWidth(int col, int w) override;
  int RowHeight(int row) const override { return mCells->RowHeight(row); }
  void SetRowHeight(int row, int h) override;

  // One auto-scroll step of a header drag with the pointer at pos
  // (viewport coordinates); the 100 ms ticker calls it with the cursor.
  void TickAt(const QPoint& pos);

 protected:
  void DrawCell(QPainter& p, int col, int row, const TRect& r, TGridDrawState s) override;
  bool SelectCell(int col, int row) override;
  QString GetEditText(int col, int row) override;
  QString GetEditMask(int col, int row) override;
  void SetEditText(int col, int row, const QString& value) override;
  void ColumnMoved(int from, int to) override;
  void RowMoved(int from, int to) override;
  void TopLeftChanged() override;
  void mousePressEvent(QMouseEvent* e) override;
  void mouseMoveEvent(QMouseEvent* e) override;
  void mouseReleaseEvent(QMouseEvent* e) override;
  void keyPressEvent(QKeyEvent* e) override;
  void FontViewChanged() override;
  void OptionsApplied() override;
  void PrepareEditor(QLineEdit* editor, int col, int row) override;
  void SizingBegun() override;
  void SizingEnded() override;

 private:
  friend class TSheetUndoCommand;
  friend class TCellUndoCommand;
  friend class TFormatUndoCommand;
  friend class TSizesUndoCommand;
  struct TSizes {
    int DefColWidth = 0, DefRowHeight = 0;
    std::map<int, int> Cols, Rows;
    bool operator==(const TSizes&) const = default;
  };
  TSizes TakeSizes() const;
  void RestoreSizes(const TSizes& s);
  // Adds a step and drops the oldest ones past the memory limit.
  void PushStep(TSheetStep* step);
  // Runs f on every cell of the selection as one undoable step that keeps
  // only the formats it changed.
  void FormatSelection(const QString& text, const std::function<void(TSpreadSheetCell*)>& f);
  // f changes widths or heights only.
  void SizesUndoable(const QString& text, const std::function<void()>& f);
  // The sheet, or only the cells of one area, at one moment. Whole sheets
  // are kept compressed: a step of a large sheet must not cost its size.
  struct TSnapshot {
    bool IsRegion = false;
    TGridRect Area;
    QByteArray Data;  // compressed body, or the area's cell records
    int DefColWidth = 0, DefRowHeight = 0;
    bool operator==(const TSnapshot&) const = default;
  };
  struct TFontEntry;
  // A text shaped once in one font: drawn again without shaping.
  struct TTextRun {
    QList<QGlyphRun> Runs;
    int Width = 0;
  };
  const TTextRun& Shaped(const TFontEntry& fe, const QString& text);
  void DrawHeaderText(QPainter& p, const TRect& r, const QString& text);

  bool InHeaderSelection(int col, int row) const;
  bool SelectionListened() const;
  void NotifyRange();
  void NotifySingle(int col, int row);
  void StartHeaderDrag();
  void Tick();
  TGridRect SelRect() const;
  // The selection rectangle as an undo area; null with a header selection.
  const TGridRect* SelArea();
  // Visits every cell of the selection (created when missing).
  void VisitSelection(const std::function<void(TSpreadSheetCell*)>& f);
  // Runs f as one undoable step named text (whole-sheet snapshots).
  // With an area of data cells whose columns all exist, only that area is
  // kept; otherwise the whole sheet.
  // wholeRows: the area is whole rows (columns 0..ZZ) of a command that
  // creates no column.
  void Undoable(const QString& text, const std::function<void()>& f, const TGridRect* area = nullptr,
                bool wholeRows = false);
  // The rows of a whole-row selection across every column.
  const TGridRect* RowsArea();
  TSnapshot TakeSnapshot(const TGridRect* area = nullptr) const;
  void RestoreSnapshot(const TSnapshot& s);
  // Enters text into one cell as an undoable step.
  void SetCellTextUndoable(int col, int row, const QString& text);
  void RestoreCellRecord(int col, int row, const QByteArray& record);
  void AfterStructureChange();
  const TFontEntry& FontFor(const TCellFont& f);
  bool RefuseBeyondSheet(const QString& what);

  std::unique_ptr<TSpreadSheetDataCells> mCells;
  THeaderSelection mHeaderSel;
  int mUpdateCount = 0;
  bool mHeaders = true;
  bool mAutoRecalc = false;
  bool mEditEnabledSeen = true;  // last EditEnabled announced
  std::vector<std::unique_ptr<TGridPatternBitmap>> mTiles;
  TGridPatternBitmap* mLastTile = nullptr;
  std::vector<std::unique_ptr<TFontEntry>> mFonts;
  TFontEntry* mLastFont = nullptr;
  // The font last set on a painter by PaintCell (identity only).
  const TFontEntry* mFontOnPainter = nullptr;
  bool mInGridPaint = false;
  std::unique_ptr<TFontEntry> mHeaderFont;
  QHash<QPair<quintptr, QString>, TTextRun> mRuns;
  QTimer mTicker;
  QString mSearchText;
  std::unique_ptr<QUndoStack> mUndo;
  bool mInUndo = false;
  TGridRect mAreaScratch;
  std::unique_ptr<TSizes> mSizingBefore;  // during a mouse sizing drag
  qint64 mUndoMemoryLimit = DefaultUndoMemoryLimit;
  // Shared so that this header needs no complete type (made on first use).
  std::shared_ptr<TGridPrintPages> mPrintPages;
  friend struct TProbe<TSpreadSheetGrid>;  // SShtGrid_p.h
};

}  // namespace Tarnwell
