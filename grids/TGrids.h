#pragma once
// TCustomGrid: a scrolling grid of fixed and scrollable columns and rows with
// a current cell, a rectangular selection, an in-place editor, column and row
// sizing and moving. It knows nothing of what the cells hold: subclasses
// paint cells in DrawCell and supply and take the editor's text through the
// edit hooks. Scrolling is by whole cells: the scroll bars count the
// scrollable columns and rows, so a grid of millions of rows costs nothing
// until they are shown.

#include <QAbstractScrollArea>
#include <QPointer>
#include <algorithm>
#include <functional>
#include <map>

#include <Tarnwell/platform/TColor.h>
#include <Tarnwell/platform/TProperty.h>
#include <Tarnwell/platform/TTypes.h>
#include <Tarnwell/platform/TWidgetLook.h>
#include <Tarnwell/TarnwellExport.h>
class QLineEdit;
class QPainter;

namespace Tarnwell {

// The option flags, registered so that the Options property takes and shows
// their names (setProperty("Options", "goEditing|goTabs")).
namespace GridTypes {
Q_NAMESPACE_EXPORT(TARNWELL_GRIDS_EXPORT)

// Options of a grid: lines, selection, sizing, moving and editing behaviour.
enum TGridOption : unsigned {
  goFixedVertLine = 1u << 0,
  goFixedHorzLine = 1u << 1,
  goVertLine = 1u << 2,
  goHorzLine = 1u << 3,
  goRangeSelect = 1u << 4,
  goDrawFocusSelected = 1u << 5,
  goRowSizing = 1u << 6,
  goColSizing = 1u << 7,
  goRowMoving = 1u << 8,
  goColMoving = 1u << 9,
  goEditing = 1u << 10,
  goTabs = 1u << 11,
  goRowSelect = 1u << 12,
  goAlwaysShowEditor = 1u << 13,
  goThumbTracking = 1u << 14,
};
Q_DECLARE_FLAGS(TGridOptions, TGridOption)
Q_FLAG_NS(TGridOptions)
Q_DECLARE_OPERATORS_FOR_FLAGS(TGridOptions)

}  // namespace GridTypes
using namespace GridTypes;

// Flags of a cell being drawn: selected, focused, fixed.
enum TGridDrawStateFlag : unsigned { gdSelected = 1, gdFocused = 2, gdFixed = 4 };
using TGridDrawState = unsigned;

// What a grid's mouse is doing: nothing, selecting, sizing or moving a row or column.
enum TGridState { gsNormal, gsSelecting, gsRowSizing, gsColSizing, gsRowMoving, gsColMoving };

// A rectangle of cell positions, all edges inclusive.
struct TARNWELL_GRIDS_EXPORT TGridCoordRect {
  int Left = 0, Top = 0, Right = 0, Bottom = 0;
  bool Contains(int c, int r) const { return c >= Left && c <= Right && r >= Top && r <= Bottom; }
  bool operator==(const TGridCoordRect&) const = default;
};

// Translates an edit mask in the classic syntax into a Qt input mask.
TARNWELL_GRIDS_EXPORT QString ToQtInputMask(const QString& mask);

// The base of the grids: rows and columns with fixed ones, scrolling, selection and in-place
// editing.
class TARNWELL_GRIDS_EXPORT TCustomGrid : public QAbstractScrollArea {
  Q_OBJECT
  // The number of columns, fixed ones included: FixedCols + 1 to MaxCells (default 5).
  TW_PROPERTY_FIXED(int, ColCount, std::clamp(value, mFixedCols + 1, MaxCells), CountsChanged())
  // The number of rows, fixed ones included: FixedRows + 1 to MaxCells (default 5).
  TW_PROPERTY_FIXED(int, RowCount, std::clamp(value, mFixedRows + 1, MaxCells), CountsChanged())
  // The leftmost columns that do not scroll (titles), 0 to ColCount - 1 (default 1).
  TW_PROPERTY_FIXED(int, FixedCols, std::clamp(value, 0, mColCount - 1), CountsChanged())
  // The top rows that do not scroll (titles), 0 to RowCount - 1 (default 1).
  TW_PROPERTY_FIXED(int, FixedRows, std::clamp(value, 0, mRowCount - 1), CountsChanged())
  // Written out: the default sizes are virtual, a subclass may keep them in
  // its own model.
  Q_PROPERTY(int DefaultColWidth READ DefaultColWidth WRITE setDefaultColWidth NOTIFY DefaultColWidthChanged)
  // The height of every row without a height of its own, in pixels (default 24; negative
  // values become 0).
  Q_PROPERTY(int DefaultRowHeight READ DefaultRowHeight WRITE setDefaultRowHeight NOTIFY DefaultRowHeightChanged)
  // The width of the lines between cells in pixels, 0 to 16 (default 1).
  TW_PROPERTY_FIXED(int, GridLineWidth, std::clamp(value, 0, 16), UpdateScrollBars(); viewport()->update())
  // Lines, selection, sizing, moving, editing and tabbing behaviour (TGridOption flags;
  // default: the fixed and the cell lines, vertical and horizontal, and range selection).
  TW_PROPERTY_SETTER(Tarnwell::GridTypes::TGridOptions, Options)
  // Color is the palette's Base role (what the viewport is filled with), the
  // font the widget's: setPalette, setFont and style sheets reach the cells.
  TW_COLOR_PROPERTY_CUSTOM(Color)
  // The background of the fixed cells (default clBtnFace).
  TW_COLOR_PROPERTY(FixedColor, viewport()->update())
  // The font of the cells; its colour is the WindowText role of the palette.
  TW_FONT_PROPERTY(mFont)

 public:
  static constexpr int MaxCells = 1 << 30;

  explicit TCustomGrid(QWidget* parent = nullptr);
  ~TCustomGrid() override;

  // Sizes are virtual so that a subclass can keep them in its own model.
  virtual int DefaultColWidth() const { return mDefaultColWidth; }
  virtual int DefaultRowHeight() const { return mDefaultRowHeight; }
  virtual int ColWidth(int col) const;
  virtual void SetColWidth(int col, int w);
  virtual int RowHeight(int row) const;
  virtual void SetRowHeight(int row, int h);

 public Q_SLOTS:
  // Also resets every individual width / height.
  virtual void setDefaultColWidth(int w);
  // Sets DefaultRowHeight (negative values become 0) and drops every row's own height; emits
  // DefaultRowHeightChanged when the value changed.
  virtual void setDefaultRowHeight(int h);
  // Makes column c of the current row the current cell (as a click does, kept within the
  // scrolling cells).
  void setCol(int c) { MoveCurrent(c, mRow, false); }
  // Makes row r of the current column the current cell (as a click does, kept within the
  // scrolling cells).
  void setRow(int r) { MoveCurrent(mCol, r, false); }
  // Scrolls so that column c is the first scrolling column shown.
  void setLeftCol(int c) { SetTopLeft(c, mTopRow); }
  // Scrolls so that row r is the first scrolling row shown.
  void setTopRow(int r) { SetTopLeft(mLeftCol, r); }

 Q_SIGNALS:
  // DefaultColWidth changed.
  void DefaultColWidthChanged(int value);
  // DefaultRowHeight changed.
  void DefaultRowHeightChanged(int value);
  // The grid's notifications. Their names are the contract's events in Qt's
  // spelling: the contract's own spelling is taken by the overridable hooks
  // (ColumnMoved, RowMoved, TopLeftChanged, SetEditText, DrawCell) that a
  // subclass implements and that fire them.
  void columnMoved(QObject* sender, int from, int to);
  // A row was moved from index from to index to (by the user's drag with goRowMoving, or
  // MoveRow).
  void rowMoved(QObject* sender, int from, int to);
  // The first scrolling column or row shown (LeftCol, TopRow) changed.
  void topLeftChanged(QObject* sender);
  // The in-place editor's text was handed to cell (col, row): value is the new text.
  void editTextSet(QObject* sender, int col, int row, const QString& value);

 public:
  QSize sizeHint() const override;
  QSize minimumSizeHint() const override;

  // The current cell; moving it goes through SelectCell.
  int Col() const { return mCol; }
  int Row() const { return mRow; }
  // Moves the current cell (and, unless extending, the selection anchor)
  // and scrolls it into view. False when SelectCell refused.
  bool MoveCurrent(int col, int row, bool extend, bool show = true);
  TGridCoordRect Selection() const;
  void SetSelection(const TGridCoordRect& r);

  int LeftCol() const { return mLeftCol; }
  int TopRow() const { return mTopRow; }
  void SetTopLeft(int col, int row);
  // Scrollable columns / rows wholly visible in the viewport (at least 1).
  int VisibleColCount() const;
  int VisibleRowCount() const;

  // Viewport coordinates; an empty rectangle for cells out of view.
  TRect CellRect(int col, int row) const;
  // The text a cell shows, for assistive technology; the base knows no
  // contents and gives none.
  virtual QString CellDisplayText(int col, int row) const;
  // The cell under a viewport point; -1 parts beyond the last cell.
  void MouseToCell(int x, int y, int& col, int& row) const;
  // Like MouseToCell but clamped to the cells (for drags past the edges).
  void MouseToCellClamped(int x, int y, int& col, int& row) const;
  // What a press at (x, y) would start: gsColSizing or gsRowSizing with the
  // index of the column or row whose edge is there, else gsNormal.
  TGridState CalcSizingState(int x, int y, int& index) const;
  TGridState State() const { return mState; }

  void InvalidateCell(int col, int row);
  void InvalidateCol(int col);
  void InvalidateRow(int row);
  void InvalidateGrid();

  bool EditorMode() const;
  void SetEditorMode(bool on);
  void ShowEditor();
  // Commits the editor's text through SetEditText and closes it.
  void HideEditor();
  void CancelEditor();
  QLineEdit* InplaceEditor() const { return mEditor; }

  // Paints the grid as the viewport shows it into any painter (images,
  // printers); clip in viewport coordinates.
  virtual void PaintGrid(QPainter& p, const QRect& clip);

  // Moves a column or row the way a header drag does (hooks included).
  virtual void MoveColumn(int from, int to);
  virtual void MoveRow(int from, int to);

 protected:
  // Hooks.
  virtual void DrawCell(QPainter& p, int col, int row, const TRect& r, TGridDrawState state) = 0;
  virtual bool SelectCell(int col, int row);
  virtual QString GetEditText(int col, int row);
  virtual QString GetEditMask(int col, int row);
  virtual void SetEditText(int col, int row, const QString& value);
  virtual void ColumnMoved(int from, int to);
  virtual void RowMoved(int from, int to);
  virtual void TopLeftChanged();
  virtual void SelectionMoved() {}
  virtual void ColWidthsChanged() {}
  // A mouse drag that sizes a column or row begins and ends.
  virtual void SizingBegun() {}
  virtual void SizingEnded() {}
  virtual void RowHeightsChanged() {}
  virtual bool CanEditShow() const;
  // The font or its text colour changed, from either side (setFont,
  // setPalette, a style sheet, or Font() in code).
  virtual void FontViewChanged();
  // Options were set (the editor is already closed when editing went off).
  virtual void OptionsApplied() {}
  // Lets a subclass dress the editor (font, alignment) for a cell.
  virtual void PrepareEditor(QLineEdit* editor, int col, int row);

  void paintEvent(QPaintEvent* e) override;
  void resizeEvent(QResizeEvent* e) override;
  void scrollContentsBy(int dx, int dy) override;
  void mousePressEvent(QMouseEvent* e) override;
  void mouseMoveEvent(QMouseEvent* e) override;
  void mouseReleaseEvent(QMouseEvent* e) override;
  void mouseDoubleClickEvent(QMouseEvent* e) override;
  void keyPressEvent(QKeyEvent* e) override;
  void wheelEvent(QWheelEvent* e) override;
  bool eventFilter(QObject* o, QEvent* e) override;
  void focusInEvent(QFocusEvent* e) override;
  void focusOutEvent(QFocusEvent* e) override;

  void UpdateScrollBars();
  // X of the left edge of a column in viewport coordinates, -1 when hidden.
  int ColLeft(int col) const;
  int RowTop(int row) const;
  int FixedWidth() const;
  int FixedHeight() const;
  void ScrollIntoView(int col, int row);

 private:
  void CountsChanged();
  void ClampCurrent();
  void PlaceEditor();
  void StartEditor(const QString* typed);
  QRect ViewRect() const;

  TControlFont mFont{this, QPalette::Text};
  TControlColor mColor{this, clWindow, QPalette::Base};
  int mColCount = 5, mRowCount = 5;
  int mFixedCols = 1, mFixedRows = 1;
  int mDefaultColWidth = 64, mDefaultRowHeight = 24;
  std::map<int, int> mColWidths, mRowHeights;
  int mGridLineWidth = 1;
  TGridOptions mOptions = goFixedVertLine | goFixedHorzLine | goVertLine | goHorzLine | goRangeSelect;
  int mCol = 1, mRow = 1;
  int mAnchorCol = 1, mAnchorRow = 1;
  int mLeftCol = 1, mTopRow = 1;
  TColor mFixedColor = clBtnFace;
  TGridState mState = gsNormal;
  int mSizingIndex = -1, mSizingOrigin = 0, mSizingStart = 0;
  int mMoveFrom = -1;
  bool mUpdatingBars = false;
  QLineEdit* mEditor = nullptr;
  int mEditCol = -1, mEditRow = -1;
  bool mInHide = false;
};

// A grid whose cells are painted by an event.
class TARNWELL_GRIDS_EXPORT TDrawGrid : public TCustomGrid {
  Q_OBJECT
 public:
  using TDrawCellEvent =
      std::function<void(TObject* sender, QPainter& p, int col, int row, const TRect& r, TGridDrawState s)>;
  using TSelectCellEvent = std::function<void(TObject* sender, int col, int row, bool& canSelect)>;
  using TGetEditEvent = std::function<void(TObject* sender, int col, int row, QString& value)>;
  using TSetEditEvent = std::function<void(TObject* sender, int col, int row, const QString& value)>;
  using TMovedEvent = std::function<void(TObject* sender, int from, int to)>;

  explicit TDrawGrid(QWidget* parent = nullptr) : TCustomGrid(parent) {}
  // Assignable events, called after the signals. OnSelectCell, OnGetEditText
  // and OnGetEditMask answer a question and stay callbacks only.
  TDrawCellEvent OnDrawCell;
  TSelectCellEvent OnSelectCell;
  TGetEditEvent OnGetEditText;
  TGetEditEvent OnGetEditMask;
  TSetEditEvent OnSetEditText;
  TMovedEvent OnColumnMoved;
  TMovedEvent OnRowMoved;
  TNotifyEvent OnTopLeftChanged;

 Q_SIGNALS:
  // Emitted while the cell is painted, with the painter: connect directly.
  void drawCell(QObject* sender, QPainter& p, int col, int row, const QRect& r, unsigned state);

 protected:
  void DrawCell(QPainter& p, int col, int row, const TRect& r, TGridDrawState s) override;
  bool SelectCell(int col, int row) override;
  QString GetEditText(int col, int row) override;
  QString GetEditMask(int col, int row) override;
  void SetEditText(int col, int row, const QString& value) override;
  void ColumnMoved(int from, int to) override;
  void RowMoved(int from, int to) override;
  void TopLeftChanged() override;
};

}  // namespace Tarnwell
