#pragma once
// TEnhDBGrid: a data grid on the shared base grid. One row per record of the
// dataset behind its data source, a title row and an indicator column; the
// columns (TDBGridColumns) are bound to fields by name and carry their own
// title, width, colours, font and alignment.
//
// On top of a plain data grid it adds rule colours and text conversions
// (EnhDBGrdRules.h), a raised or lowered cell edge, fixed data columns, a
// search box and a filter box that open over a title, title-click sorting
// with indicators for the enhanced query and the memory table, a layout
// saved to and restored from a stream (EnhDBGrdLayout.h), and the entry
// points of the customisation window and the record window (EDGRecEd.h).
//
// Records are read as they come into view: opening a table of a hundred
// thousand rows reads the first page only, and painting touches the visible
// rows alone, read in place without moving the dataset's cursor.

#include <QByteArray>
#include <QPointer>
#include <QStringList>
#include <functional>
#include <memory>
#include <vector>

#include <Tarnwell/database/DBDataSource.h>
#include <Tarnwell/database/EnhDBGrdLayout.h>
#include <Tarnwell/database/EnhDBGrdRules.h>
#include <Tarnwell/grids/TGrids.h>
#include <Tarnwell/platform/TGraphics.h>
#include <Tarnwell/TarnwellExport.h>

class QDataStream;
class QIODevice;
class QLineEdit;
class QMenu;

namespace Tarnwell {

namespace EnhDBGridTypes {
Q_NAMESPACE_EXPORT(TARNWELL_DATABASEFORMS_EXPORT)
// How the enhanced grid draws its cells: flat, raised or lowered.
enum TCellStyle { csNone, csRaised, csLowered };
Q_ENUM_NS(TCellStyle)
}  // namespace EnhDBGridTypes
using namespace EnhDBGridTypes;

class TEnhDBGrid;
class TDBGridColumns;

// One column: bound to a field by name. Values not set on the column follow
// the grid (colour, fonts) and the field (title, width, alignment).
class TARNWELL_DATABASEFORMS_EXPORT TDBGridColumn {
 public:
  explicit TDBGridColumn(TDBGridColumns* owner) : mOwner(owner) {}

  QString FieldName() const { return mFieldName; }
  void SetFieldName(const QString& name);
  // The bound field; null without a field name, a dataset or such a field.
  TField* Field() const;
  int Index() const;
  void SetIndex(int index);

  QString TitleCaption() const;
  void SetTitleCaption(const QString& caption);
  TAlignment TitleAlignment() const { return mTitleAlignment; }
  void SetTitleAlignment(TAlignment a);
  TFont TitleFont() const;
  void SetTitleFont(const TFont& f);
  int Width() const;
  void SetWidth(int w);
  TColor Color() const;
  void SetColor(TColor c);
  TFont Font() const;
  void SetFont(const TFont& f);
  TAlignment Alignment() const;
  void SetAlignment(TAlignment a);

  // TLayoutColumn::cv* flags of the values the column holds itself.
  unsigned AssignedValues() const { return mAssigned; }
  void RestoreDefaults();

  TLayoutColumn ToLayout() const;
  void FromLayout(const TLayoutColumn& c);

 private:
  friend class TDBGridColumns;
  friend class TEnhDBGrid;
  void Changed();
  TDBGridColumns* mOwner;
  unsigned mAssigned = 0;
  QString mFieldName;
  QString mTitleCaption;
  TAlignment mTitleAlignment = taLeftJustify;
  TFont mTitleFont;
  int mWidth = 64;
  TColor mColor = clWindow;
  TFont mFont;
  TAlignment mAlignment = taLeftJustify;
  // The bound field as last found (fields are looked up by name once, not per cell).
  mutable QPointer<TField> mFieldCache;
  mutable TDataSet* mFieldCacheSet = nullptr;
};

// The columns of a TEnhDBGrid.
class TARNWELL_DATABASEFORMS_EXPORT TDBGridColumns {
 public:
  explicit TDBGridColumns(TEnhDBGrid* grid) : mGrid(grid) {}
  TEnhDBGrid* Grid() const { return mGrid; }
  int Count() const { return int(mItems.size()); }
  TDBGridColumn* Items(int i) const { return mItems.at(size_t(i)).get(); }
  TDBGridColumn* operator[](int i) const { return Items(i); }
  int IndexOf(const TDBGridColumn* c) const;
  TDBGridColumn* Add();
  void Delete(int i);
  void Clear();
  void Move(int from, int to);
  // One column per visible field of the dataset (none without an open one).
  void RebuildColumns();
  // Whether the columns were set up by hand (kept across reopening) or made
  // from the fields (remade whenever the dataset's fields change).
  bool Customized() const { return mCustomized; }
  void SetCustomized(bool v) { mCustomized = v; }

 private:
  friend class TDBGridColumn;
  friend class TEnhDBGrid;
  void Changed();
  TEnhDBGrid* mGrid;
  std::vector<std::unique_ptr<TDBGridColumn>> mItems;
  bool mCustomized = false;
};

class TFormDBGridEdit;
class TFormEditRecord;

// A data grid with rule-based cell colours and value conversions, title search, filter and sort,
// and a layout that can be saved.
class TARNWELL_DATABASEFORMS_EXPORT TEnhDBGrid : public TCustomGrid {
  Q_OBJECT
  // The data source whose dataset the grid shows, one row a record (none by default).
  Q_PROPERTY(Tarnwell::TDataSource* DataSource READ DataSource WRITE setDataSource NOTIFY DataSourceChanged)
  // The 3-D frame of every data cell: csNone (default), csRaised or csLowered.
  TW_PROPERTY_DEFAULT(Tarnwell::EnhDBGridTypes::TCellStyle, CellStyle, csNone, viewport()->update())
  // The leftmost columns that stay when the grid scrolls sideways, the indicator column
  // included: 1 to kLayoutMaxFixedColumns (default 1; values outside are clamped).
  Q_PROPERTY(int FixedColumns READ FixedColumns WRITE setFixedColumns RESET resetFixedColumns NOTIFY
                 FixedColumnsChanged)
  // The colour conditions, one rule a line: "column | operator | value | cell colour | font
  // colour" (operators =, >, <, >=, <=, <>; a value "@NAME" reads the field NAME). A line with
  // a colour that names no colour raises EConvertError and keeps the previous rules. Empty by
  // default.
  TW_PROPERTY_SETTER(QStringList, ColorCond)
  // The value conversions, one rule a line: "column | operator | value | function | parameter
  // 1 | parameter 2", which replace the displayed text of the cells whose value satisfies the
  // comparison (ConversionFunctionNames lists the functions). Empty by default.
  TW_PROPERTY_SETTER(QStringList, Conversion)
  // Empty: the component's name.
  TW_PROPERTY_CUSTOM(QString, Caption)
  // A right click on a column title opens the title edit as a filter of the column (default
  // false; a left click always opens it as a search).
  TW_PROPERTY_DEFAULT(bool, CanFilter, false, (void)0)
  // Restoring the default layout clears the grid's columns and rules instead of going back to
  // the layout it had when it was created (default false).
  TW_PROPERTY_DEFAULT(bool, ClearOnRestore, false, (void)0)
  // The grid's cells cannot be edited (default false).
  TW_PROPERTY_DEFAULT(bool, ReadOnly, false, viewport()->update())
  // The font of the column titles; emits TitleFontChanged.
  Q_PROPERTY(QFont TitleFont READ TitleQFont WRITE setTitleFont NOTIFY TitleFontChanged)
  // The colour of the column titles' text (the title font's colour); emits TitleFontChanged.
  Q_PROPERTY(QColor TitleFontColor READ TitleFontQColor WRITE setTitleFontColor NOTIFY TitleFontChanged)

 public:
  explicit TEnhDBGrid(QWidget* parent = nullptr);
  ~TEnhDBGrid() override;

  static constexpr int IndicatorWidth = 11;

  TDataSource* DataSource() const { return mDataSource; }
  TDataSet* DataSet() const;
  TDBGridColumns& Columns() { return mColumns; }
  const TDBGridColumns& Columns() const { return mColumns; }
  int FixedColumns() const { return mFixedColumns; }
  static int FixedColumnsDefault() { return 1; }
  const TFont& TitleFont() const { return mTitleFont; }
  QFont TitleQFont() const { return mTitleFont.ToQFont(); }
  QColor TitleFontQColor() const { return ToQColor(mTitleFont.Color(), palette()); }
  // Follow the parent's font and palette (what ResetLayout turns on).
  bool ParentFont() const;
  bool ParentColor() const;
  void SetParentFont(bool on);
  void SetParentColor(bool on);

  // The parsed rules (rebuilt whenever their lines change).
  const std::vector<TColorCondObj>& ColorRules() const { return mColorRules; }
  const std::vector<TConversionObj>& ConversionRules() const { return mConversionRules; }
  // Both rule lists parsed again (a colour that names nothing raises).
  void ParseRules();

  // Raw grid columns and data columns: raw 0 is the indicator.
  int RawToDataColumn(int rawCol) const { return rawCol - 1; }
  int DataToRawColumn(int dataCol) const { return dataCol + 1; }
  // The data column at the current cell (-1 when none).
  int SelectedIndex() const { return RawToDataColumn(Col()); }
  TDBGridColumn* SelectedColumn() const;
  // Left edge of a data column in the viewport and what is left to the grid's edge.
  void ColumnLeft(int dataCol, int& left, int& rest) const;

  // --- the cell's texts and colours as the rules give them, for the
  // current record (or the one SetDisplayRecord chose).
  QString ConvertCellText(int dataCol) const;
  // Titles in the title row; a record's row its converted text.
  QString CellDisplayText(int col, int row) const override;
  void GetCellColors(int dataCol, TColor& cellColor, TColor& fontColor) const;
  // The light and dark edge colours drawn on a background.
  static void GetEdgeColors(TColor background, TColor& light, TColor& dark);
  // The caption shortened with "..." to fit `width` pixels in `font`.
  static QString FitCaption(const QString& text, int width, const QFont& font);

  // --- layout
  TGridLayout SaveLayoutData() const;
  void SaveLayout(QIODevice& out) const;
  void SaveLayout(QDataStream& out) const;
  QByteArray LayoutBytes() const;
  // Reads one layout from the device's position; a damaged, truncated or
  // foreign layout gives false, says why in LastLayoutError() and leaves the
  // grid (and the device's position) as they were.
  bool LoadLayout(QIODevice& in);
  bool LoadLayout(QDataStream& in);
  bool LoadLayout(const QByteArray& bytes);
  QString LastLayoutError() const { return mLayoutError; }
  void ResetLayout();
  void RestoreDefaultLayout();
  void RestorePreviousLayout();
  const QByteArray& InitialLayout() const { return mInitialLayout; }
  const QByteArray& PreviousLayout() const { return mPreviousLayout; }

  // --- the windows (EDGRecEd.h). Customize: true when the user chose OK;
  // otherwise every change made in the window is undone.
  bool Customize();
  void EditRecord();
  void ShowRecord();

  // --- sorting by title (enhanced query and memory table only)
  void ToggleSortColumn(int dataCol);
  void RemoveSortColumn(int dataCol);
  int GetSortPosition(int dataCol, bool& descending) const;
  bool CanSort() const;

  // --- the title box
  QLineEdit* TitleEdit() const { return mTitleEdit; }
  bool TitleEditVisible() const;
  bool TitleEditFiltering() const { return mFilterMode; }
  int TitleEditColumn() const { return mTitleEditCol; }
  // Opens the box over a data column's title (as a click there does).
  void OpenTitleEdit(int dataCol, bool filter);
  void HideTitleEdit();
  // What Enter in the filter box does with its text; false (with the reason
  // in `why`, and the previous filter in force) when it cannot be used.
  bool ApplyTitleFilter(const QString& text, QString* why = nullptr);

  // The menu a right click on a data row pops up (none by default; the grid
  // does not own it). customContextMenuRequested is emitted there as well.
  QMenu* PopupMenu() const;
  void SetPopupMenu(QMenu* menu);

  // --- records
  // The record position shown on a raw row (0 for the title row and rows past the end).
  int RowRecNo(int row) const;
  // Record rows known so far (more are read as they come into view).
  int KnownRows() const { return mKnownRows; }

  // Assignable events, called after their signals.
  TNotifyEvent OnInit;
  std::function<void(TObject* sender, const QString& topic, const QString& subTopic)> OnHelp;
  using TDrawColumnCellEvent =
      std::function<void(TObject* sender, QPainter& p, const TRect& r, int dataCol, TDBGridColumn* column,
                         TGridDrawState state)>;
  TDrawColumnCellEvent OnDrawColumnCell;

  // The window's F1 asks this (when OnHelp is assigned or Help is connected).
  bool HasHelp() const;
  void FireHelp(const QString& topic, const QString& subTopic);

 public Q_SLOTS:
  // Sets the data source (DataSource); emits DataSourceChanged.
  void setDataSource(Tarnwell::TDataSource* ds);
  // Sets FixedColumns (clamped to 1..kLayoutMaxFixedColumns); emits FixedColumnsChanged.
  void setFixedColumns(int n);
  // Back to one fixed column (the indicator).
  void resetFixedColumns() { setFixedColumns(1); }
  // Sets the title font, its colour included; emits TitleFontChanged.
  void setTitleFont(const Tarnwell::TFont& f);
  // Sets the title font from a Qt font (the colour stays); emits TitleFontChanged.
  void setTitleFont(const QFont& f);
  // Sets the colour of the title text; emits TitleFontChanged.
  void setTitleFontColor(const QColor& c);

 Q_SIGNALS:
  // DataSource changed.
  void DataSourceChanged(Tarnwell::TDataSource* value);
  // FixedColumns changed (also when the layout is reset).
  void FixedColumnsChanged(int value);
  // The title font or its colour changed.
  void TitleFontChanged(const QFont& value);
  // Emitted once when the grid is first shown, after it took its initial layout and before its
  // rules are read (OnInit is called after it).
  void Init(QObject* sender);
  // Emitted when F1 asks for help in a window of the grid (the customisation window:
  // topic "TFormDBGridEdit", subTopic the focused control's name); OnHelp is called after it.
  void Help(QObject* sender, const QString& topic, const QString& subTopic);
  // Emitted for each data cell after the grid drew it, with the painter set up for the cell: a
  // handler may draw over it. dataCol is the column, state the TGridDrawState flags;
  // OnDrawColumnCell is called after it.
  void drawColumnCell(QObject* sender, QPainter& p, const QRect& r, int dataCol, unsigned state);
  // The columns were added, removed, moved or changed.
  void columnsChanged(QObject* sender);

 public:
  // Used by the columns.
  void ColumnsChanged();
  int DefaultColumnWidth(const TDBGridColumn& c) const;

  int ColWidth(int col) const override;
  void SetColWidth(int col, int w) override;
  void MoveColumn(int from, int to) override;
  void PaintGrid(QPainter& p, const QRect& clip) override;

 protected:
  void DrawCell(QPainter& p, int col, int row, const TRect& r, TGridDrawState state) override;
  // Draws one data cell after the default drawing: the rules' colours and text.
  virtual void DrawColumnCell(QPainter& p, const TRect& r, int dataCol, TGridDrawState state);
  bool SelectCell(int col, int row) override;
  QString GetEditText(int col, int row) override;
  void SetEditText(int col, int row, const QString& value) override;
  bool CanEditShow() const override;
  void TopLeftChanged() override;
  void ColWidthsChanged() override;
  void SizingBegun() override;
  void SizingEnded() override;
  void FontViewChanged() override;
  void PrepareEditor(QLineEdit* editor, int col, int row) override;

  void showEvent(QShowEvent* e) override;
  void resizeEvent(QResizeEvent* e) override;
  void keyPressEvent(QKeyEvent* e) override;
  void mousePressEvent(QMouseEvent* e) override;
  void mouseReleaseEvent(QMouseEvent* e) override;
  void mouseDoubleClickEvent(QMouseEvent* e) override;
  void changeEvent(QEvent* e) override;
  void scrollContentsBy(int dx, int dy) override;
  bool eventFilter(QObject* o, QEvent* e) override;

 private:
  class TGridLink;
  friend class TGridLink;
  struct TKeepColumns;
  friend class TDBGridColumn;
  void CreateWnd();
  void LinkActive();
  void LinkDataChanged();
  void LinkScrolled();
  void LinkRecordChanged(TField* field);
  void LinkLayoutChanged();
  void LinkEditingChanged();
  void LinkUpdateData();
  void UpdateRowCount();
  void EnsureRowsFor(int lastRow);
  void SyncCurrentRow();
  void LayoutChanged();
  void UpdateRowHeights();
  void RebuildRuleIndex();
  void DrawTitleCell(QPainter& p, int col, const TRect& r);
  void DrawSortIndicator(QPainter& p, const TRect& r, int dataCol, TColor light, TColor dark);
  void DrawIndicator(QPainter& p, int row, const TRect& r);
  void WriteCellText(QPainter& p, const TRect& r, TAlignment a, const QString& text, int dx, int dy,
                     const QFont& font, TColor color, TColor brush);
  bool InSortZone(int x, int dataCol) const;
  void TitleEditChanged();
  void TitleEditClicked();
  bool TitleEditKey(QKeyEvent* e);
  void ApplyLayout(const TGridLayout& g);
  void ReselectAfterLayout(int col, int row);
  void FireInit();

  // What painting needs of each column, found once per paint.
  struct TPaintColumn {
    QFont Font;
    TColor FontColor;
    TColor Color;
    TAlignment Alignment;
    TRuleColumn Rule;
  };
  std::vector<TPaintColumn> mPaint;
  QString CellText(int dataCol, const TRuleColumn& rc) const;
  void CellColors(int dataCol, const TRuleColumn& rc, TColor& cellColor, TColor& fontColor) const;
  std::unique_ptr<TGridLink> mLink;
  QPointer<TDataSource> mDataSource;
  TDBGridColumns mColumns{this};
  TCellStyle mCellStyle = csNone;
  int mFixedColumns = 1;
  QStringList mColorCond, mConversion;
  std::vector<TColorCondObj> mColorRules;
  std::vector<TConversionObj> mConversionRules;
  // Per data column: the rules that name its title, in list order.
  std::vector<std::vector<TColorCondObj>> mColumnColorRules;
  std::vector<std::vector<TConversionObj>> mColumnConversionRules;
  QString mCaption;
  bool mCanFilter = false, mClearOnRestore = false, mReadOnly = false;
  TFont mTitleFont;
  bool mTitleFontSet = false;  // TitleFont set apart from Font
  bool mParentFont = true;     // the font is the parent's (as far as the layout knows)
  bool mSettingFont = false;
  QLineEdit* mTitleEdit = nullptr;
  QPointer<QObject> mPopupMenu;
  bool mFilterMode = false;
  int mTitleEditCol = -1;
  QImage mGlyphSearch, mGlyphFilter;
  QPoint mMouseDownPt;
  Qt::MouseButton mMouseDownButton = Qt::NoButton;
  QByteArray mInitialLayout, mPreviousLayout;
  QString mLayoutError;
  bool mCreated = false;
  int mKnownRows = 0;
  bool mSyncing = false;
  int mSizingCol = -1, mSizingRow = -1;
};

}  // namespace Tarnwell
