#include "EnhDBGrd.h"
#include "EnhDBGrd_p.h"

#include <QApplication>
#include <QBuffer>
#include <QDataStream>
#include <QFontMetrics>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMenu>
#include <QMetaMethod>
#include <QMouseEvent>
#include <QPainter>
#include <QScrollBar>
#include <algorithm>
#include <climits>

#include <Tarnwell/database/EnhQuery.h>
#include <Tarnwell/database/MemoTab.h>
#include <Tarnwell/platform/TDialogs.h>
#include <Tarnwell/platform/THourglass.h>
#include <Tarnwell/platform/TResources.h>

TARNWELL_LIBRARY_RESOURCES(tarnwell_dbforms)

namespace Tarnwell {

namespace {

// Rows read ahead of the view, so that scrolling a page reads in batches.
constexpr int kReadAhead = 64;

}  // namespace

// ------------------------------------------------------------------ link

class TEnhDBGrid::TGridLink : public TDataLink {
 public:
  explicit TGridLink(TEnhDBGrid* g) : mGrid(g) {}

 protected:
  void ActiveChanged() override { mGrid->LinkActive(); }
  void DataSetChanged() override { mGrid->LinkDataChanged(); }
  void DataSetScrolled(int) override { mGrid->LinkScrolled(); }
  void RecordChanged(TField* f) override { mGrid->LinkRecordChanged(f); }
  void LayoutChanged() override { mGrid->LinkLayoutChanged(); }
  void EditingChanged() override { mGrid->LinkEditingChanged(); }
  void UpdateData() override { mGrid->LinkUpdateData(); }

 private:
  TEnhDBGrid* mGrid;
};

// ------------------------------------------------------------------ grid

TEnhDBGrid::TEnhDBGrid(QWidget* parent) : TCustomGrid(parent), mLink(std::make_unique<TGridLink>(this)) {
  setObjectName(QStringLiteral("EnhDBGrid"));
  setOptions(goFixedVertLine | goFixedHorzLine | goVertLine | goHorzLine | goColSizing | goColMoving | goEditing);
  mTitleFont.Assign(Font());
  if (HasResourcePicture(QStringLiteral("GLYPHSEARCH"))) mGlyphSearch = LoadResourcePicture(QStringLiteral("GLYPHSEARCH"));
  if (HasResourcePicture(QStringLiteral("GLYPHFILTER"))) mGlyphFilter = LoadResourcePicture(QStringLiteral("GLYPHFILTER"));
  setColCount(2);
  setRowCount(2);
  setFixedCols(1);
  setFixedRows(1);
  UpdateRowHeights();
  // The title box lives over the title row; it is made now and shown on demand.
  mTitleEdit = new QLineEdit(viewport());
  mTitleEdit->setObjectName(QStringLiteral("TitleEdit"));
  mTitleEdit->setFrame(false);
  mTitleEdit->hide();
  mTitleEdit->installEventFilter(this);
  connect(mTitleEdit, &QLineEdit::textEdited, this, [this] { TitleEditChanged(); });
  // The popup menu opens only over data rows, from the mouse-up handler.
  setContextMenuPolicy(Qt::PreventContextMenu);
}

TEnhDBGrid::~TEnhDBGrid() {
  if (TDataSet* ds = DataSet()) ds->SetDisplayRecord(0);
  mLink->SetDataSource(nullptr);
}

TDataSet* TEnhDBGrid::DataSet() const { return mLink->DataSet(); }

void TEnhDBGrid::setDataSource(TDataSource* ds) {
  if (ds == mDataSource) return;
  if (mDataSource) disconnect(mDataSource, nullptr, this, nullptr);
  mDataSource = ds;
  if (ds) connect(ds, &QObject::destroyed, this, [this] { setDataSource(nullptr); });
  mLink->SetDataSource(ds);
  Q_EMIT DataSourceChanged(ds);
}

QString TEnhDBGrid::Caption() const { return mCaption.isEmpty() ? objectName() : mCaption; }

void TEnhDBGrid::setCaption(QString value) {
  if (value == mCaption) return;
  mCaption = std::move(value);
  Q_EMIT CaptionChanged(Caption());
}

bool TEnhDBGrid::ParentFont() const { return mParentFont; }
bool TEnhDBGrid::ParentColor() const { return Color() == clWindow; }

void TEnhDBGrid::SetParentFont(bool on) {
  if (!on) {
    mParentFont = false;
    return;
  }
  mSettingFont = true;
  setFont(QFont());
  mSettingFont = false;
  mParentFont = true;
}

void TEnhDBGrid::SetParentColor(bool on) {
  if (on) setColor(clWindow);
}

void TEnhDBGrid::setColorCond(QStringList value) {
  if (value == mColorCond) return;
  std::vector<TColorCondObj> parsed;
  ParseColorRules(value, parsed);  // raises: the previous lines stay
  mColorCond = std::move(value);
  mColorRules = std::move(parsed);
  RebuildRuleIndex();
  viewport()->update();
  Q_EMIT ColorCondChanged(mColorCond);
}

void TEnhDBGrid::setConversion(QStringList value) {
  if (value == mConversion) return;
  std::vector<TConversionObj> parsed;
  ParseConversionRules(value, parsed);
  mConversion = std::move(value);
  mConversionRules = std::move(parsed);
  RebuildRuleIndex();
  viewport()->update();
  Q_EMIT ConversionChanged(mConversion);
}

void TEnhDBGrid::ParseRules() {
  std::vector<TColorCondObj> colors;
  std::vector<TConversionObj> conversions;
  ParseColorRules(mColorCond, colors);
  ParseConversionRules(mConversion, conversions);
  mColorRules = std::move(colors);
  mConversionRules = std::move(conversions);
  RebuildRuleIndex();
  viewport()->update();
}

// The rules of a column are found once per change, not once per cell.
void TEnhDBGrid::RebuildRuleIndex() {
  const int n = mColumns.Count();
  mColumnColorRules.assign(size_t(n), {});
  mColumnConversionRules.assign(size_t(n), {});
  for (int i = 0; i < n; ++i) {
    const QString title = mColumns[i]->TitleCaption().toUpper();
    for (const auto& r : mColorRules)
      if (r.TargetColumn == title) mColumnColorRules[size_t(i)].push_back(r);
    for (const auto& r : mConversionRules)
      if (r.TargetColumn == title) mColumnConversionRules[size_t(i)].push_back(r);
  }
}

void TEnhDBGrid::setFixedColumns(int n) {
  n = std::clamp(n, 1, kLayoutMaxFixedColumns);
  if (n == mFixedColumns) return;
  const int col = Col(), row = Row();
  mFixedColumns = n;
  setFixedCols(std::min(n, ColCount() - 1));
  if (n <= col) MoveCurrent(col, row, false);
  Q_EMIT FixedColumnsChanged(n);
}

void TEnhDBGrid::setTitleFont(const TFont& f) {
  if (mTitleFontSet && f == mTitleFont && f.Color() == mTitleFont.Color()) return;
  mTitleFont.Assign(f);
  mTitleFontSet = true;
  UpdateRowHeights();
  viewport()->update();
  Q_EMIT TitleFontChanged(mTitleFont.ToQFont());
}

void TEnhDBGrid::setTitleFont(const QFont& f) {
  TFont t;
  t.AssignQFont(f);
  t.SetColor(mTitleFont.Color());
  setTitleFont(t);
}

void TEnhDBGrid::setTitleFontColor(const QColor& c) {
  TFont t = mTitleFont;
  t.SetColor(FromQColor(c));
  setTitleFont(t);
}

void TEnhDBGrid::FontViewChanged() {
  if (!mSettingFont) mParentFont = !testAttribute(Qt::WA_SetFont);
  if (!mTitleFontSet) mTitleFont.Assign(Font());
  UpdateRowHeights();
  TCustomGrid::FontViewChanged();
}

void TEnhDBGrid::UpdateRowHeights() {
  const int data = QFontMetrics(Font().ToQFont()).height() + 3;
  const int title = QFontMetrics(mTitleFont.ToQFont()).height() + 4;
  if (DefaultRowHeight() != data) setDefaultRowHeight(data);
  SetRowHeight(0, std::max(title, 18));
  UpdateScrollBars();
}

int TEnhDBGrid::DefaultColumnWidth(const TDBGridColumn& c) const {
  const QFontMetrics fm(c.Font().ToQFont());
  int chars = 10;
  if (TField* f = c.Field()) chars = f->DisplayWidth();
  int data = chars * fm.horizontalAdvance(QLatin1Char('0')) + 4;
  // A conversion that puts a text of its own into the column (a substitute,
  // a prefix or a suffix) widens it, so "ORG" shown as "Organiz." is not cut.
  const QString target = c.FieldName().toUpper();
  for (const TConversionObj& rule : mConversionRules) {
    if (rule.TargetColumn != target || rule.Param1.isEmpty()) continue;
    const int text = fm.horizontalAdvance(rule.Param1);
    if (rule.ConvFunction == 1)
      data = std::max(data, text + 6);
    else if (rule.ConvFunction == 2 || rule.ConvFunction == 3)
      data = std::max(data, chars * fm.horizontalAdvance(QLatin1Char('0')) + text + 6);
  }
  const int title = QFontMetrics(c.TitleFont().ToQFont()).horizontalAdvance(c.TitleCaption()) + 18;
  return std::clamp(std::max(data, title), 24, 400);
}

void TEnhDBGrid::ColumnsChanged() {
  setColCount(1 + std::max(1, mColumns.Count()));
  setFixedCols(std::min(mFixedColumns, ColCount() - 1));
  RebuildRuleIndex();
  UpdateScrollBars();
  viewport()->update();
  Q_EMIT columnsChanged(this);
}

int TEnhDBGrid::ColWidth(int col) const {
  if (col == 0) return IndicatorWidth;
  const int i = RawToDataColumn(col);
  if (i >= 0 && i < mColumns.Count()) return mColumns[i]->Width();
  return DefaultColWidth();
}

void TEnhDBGrid::SetColWidth(int col, int w) {
  const int i = RawToDataColumn(col);
  if (i < 0 || i >= mColumns.Count()) return;
  mColumns[i]->SetWidth(w);
}

void TEnhDBGrid::MoveColumn(int from, int to) {
  const int a = RawToDataColumn(from), b = RawToDataColumn(to);
  if (from == to || from < FixedCols() || to < FixedCols() || a >= mColumns.Count() || b >= mColumns.Count()) return;
  HideEditor();
  mColumns.Move(a, b);
  Q_EMIT columnMoved(this, from, to);
  MoveCurrent(to, Row(), false);
}

TDBGridColumn* TEnhDBGrid::SelectedColumn() const {
  const int i = SelectedIndex();
  return i >= 0 && i < mColumns.Count() ? mColumns[i] : nullptr;
}

void TEnhDBGrid::ColumnLeft(int dataCol, int& left, int& rest) const {
  const int raw = DataToRawColumn(dataCol);
  const int lw = GridLineWidth();
  if (raw < FixedCols()) {
    left = IndicatorWidth + lw;
    for (int c = 1; c < raw; ++c) left += ColWidth(c) + lw;
  } else {
    left = FixedWidth();
    for (int c = LeftCol(); c < raw; ++c) left += ColWidth(c) + lw;
  }
  rest = viewport()->width() - left;
}

// ------------------------------------------------------------------ records

int TEnhDBGrid::RowRecNo(int row) const {
  TDataSet* ds = DataSet();
  if (row < 1 || !ds || !ds->Active()) return 0;
  if (ds->State() == dsInsert) {
    const int at = ds->InsertRecNo();
    if (row == at) return -1;  // the record being inserted
    if (row > at) --row;
  }
  return row <= mKnownRows ? row : 0;
}

void TEnhDBGrid::UpdateRowCount() {
  TDataSet* ds = DataSet();
  const bool active = mLink->Active();
  mKnownRows = active ? ds->KnownRecordCount(0) : 0;
  int rows = mKnownRows + (active && ds->State() == dsInsert ? 1 : 0);
  setRowCount(1 + std::max(rows, 1));
}

// Reads on until the rows up to `lastRow` (and a batch more) are known.
void TEnhDBGrid::EnsureRowsFor(int lastRow) {
  if (!mLink->Active()) return;
  TDataSet* ds = DataSet();
  if (ds->AllRecordsRead() || lastRow + kReadAhead / 2 <= mKnownRows) {
    if (ds->KnownRecordCount(0) != mKnownRows) UpdateRowCount();
    return;
  }
  ds->KnownRecordCount(lastRow + kReadAhead);
  UpdateRowCount();
}

void TEnhDBGrid::SyncCurrentRow() {
  TDataSet* ds = DataSet();
  if (!mLink->Active()) return;
  int row = ds->State() == dsInsert ? ds->InsertRecNo() : ds->RecNo();
  if (row < 1) row = 1;
  EnsureRowsFor(row);
  const bool was = mSyncing;
  mSyncing = true;
  // The dataset moved: the view follows the row, and leaves the columns alone.
  MoveCurrent(std::max(Col(), FixedCols()), row, false, false);
  if (row < TopRow())
    setTopRow(row);
  else if (row >= TopRow() + VisibleRowCount())
    setTopRow(row - VisibleRowCount() + 1);
  mSyncing = was;
}

void TEnhDBGrid::LinkActive() {
  HideTitleEdit();
  CancelEditor();
  if (!mColumns.Customized()) {
    mColumns.RebuildColumns();
    mColumns.SetCustomized(false);
  } else {
    ColumnsChanged();
  }
  UpdateRowCount();
  SetTopLeft(LeftCol(), 1);
  SyncCurrentRow();
  viewport()->update();
}

void TEnhDBGrid::LinkDataChanged() {
  // A query rebuilt with other fields: columns made from the fields follow.
  if (!mColumns.Customized() && mLink->Active()) {
    QStringList names;
    for (int i = 0; i < mColumns.Count(); ++i) names << mColumns[i]->FieldName();
    QStringList fields;
    TDataSet* ds = DataSet();
    for (int i = 0; i < ds->FieldCount(); ++i)
      if (ds->Fields(i)->Visible()) fields << ds->Fields(i)->FieldName();
    if (names != fields) {
      mColumns.RebuildColumns();
      mColumns.SetCustomized(false);
    }
  }
  UpdateRowCount();
  if (!mSyncing) SyncCurrentRow();
  viewport()->update();
}

void TEnhDBGrid::LinkScrolled() {
  if (!mSyncing) SyncCurrentRow();
  viewport()->update();
}

void TEnhDBGrid::LinkRecordChanged(TField*) { InvalidateRow(Row()); InvalidateCell(0, Row()); }

void TEnhDBGrid::LinkLayoutChanged() {
  if (!mColumns.Customized()) {
    mColumns.RebuildColumns();
    mColumns.SetCustomized(false);
  }
  viewport()->update();
}

void TEnhDBGrid::LinkEditingChanged() {
  UpdateRowCount();
  if (!mSyncing) SyncCurrentRow();
  viewport()->update();
}

// The dataset is about to post: what the cell editor holds goes first.
void TEnhDBGrid::LinkUpdateData() {
  if (EditorMode()) HideEditor();
}

bool TEnhDBGrid::SelectCell(int col, int row) {
  if (mSyncing) return true;
  if (col >= 1 && col < FixedCols() && row >= 1) return false;
  TDataSet* ds = DataSet();
  if (!mLink->Active() || row == Row()) return true;
  const int recNo = RowRecNo(row);
  if (recNo == 0) return false;
  if (recNo < 0) return true;
  const bool was = mSyncing;
  mSyncing = true;
  try {
    ds->SetRecNo(recNo);
  } catch (...) {
    mSyncing = was;
    HandleCurrentException();
    return false;
  }
  mSyncing = was;
  // Posting may have moved records about: follow the dataset.
  const int now = ds->State() == dsInsert ? ds->InsertRecNo() : ds->RecNo();
  if (now != row && now >= 1) {
    QMetaObject::invokeMethod(this, [this] { SyncCurrentRow(); }, Qt::QueuedConnection);
  }
  return true;
}

bool TEnhDBGrid::CanEditShow() const {
  if (!TCustomGrid::CanEditShow() || mReadOnly || !mLink->Active()) return false;
  TDBGridColumn* c = SelectedColumn();
  TField* f = c ? c->Field() : nullptr;
  return f && !f->ReadOnly() && !f->IsBlob() && !f->Calculated() && DataSet()->CanModify();
}

QString TEnhDBGrid::GetEditText(int col, int) {
  const int i = RawToDataColumn(col);
  TField* f = i >= 0 && i < mColumns.Count() ? mColumns[i]->Field() : nullptr;
  return f ? f->AsString() : QString();
}

void TEnhDBGrid::SetEditText(int col, int, const QString& value) {
  const int i = RawToDataColumn(col);
  TField* f = i >= 0 && i < mColumns.Count() ? mColumns[i]->Field() : nullptr;
  if (!f) return;
  try {
    TDataSet* ds = DataSet();
    if (ds->State() != dsEdit && ds->State() != dsInsert) ds->Edit();
    f->SetAsString(value);
  } catch (...) {
    HandleCurrentException();
  }
}

void TEnhDBGrid::PrepareEditor(QLineEdit* editor, int col, int) {
  const int i = RawToDataColumn(col);
  if (i < 0 || i >= mColumns.Count()) return;
  editor->setFont(mColumns[i]->Font().ToQFont());
  const TAlignment a = mColumns[i]->Alignment();
  editor->setAlignment(a == taRightJustify ? Qt::AlignRight : a == taCenter ? Qt::AlignHCenter : Qt::AlignLeft);
}

// ------------------------------------------------------------------ rules

QString TEnhDBGrid::ConvertCellText(int dataCol) const {
  if (dataCol < 0 || dataCol >= mColumns.Count()) return QString();
  const TDBGridColumn* c = mColumns[dataCol];
  return CellText(dataCol, TRuleColumn{c->TitleCaption(), c->Field(), DataSet()});
}

QString TEnhDBGrid::CellText(int dataCol, const TRuleColumn& rc) const {
  if (size_t(dataCol) < mColumnConversionRules.size() && !mColumnConversionRules[size_t(dataCol)].empty())
    return Tarnwell::ConvertCellText(mColumnConversionRules[size_t(dataCol)], rc);
  return rc.Field ? rc.Field->DisplayText() : QString();
}

void TEnhDBGrid::GetCellColors(int dataCol, TColor& cellColor, TColor& fontColor) const {
  cellColor = fontColor = NoColor;
  if (dataCol < 0 || dataCol >= mColumns.Count()) return;
  const TDBGridColumn* c = mColumns[dataCol];
  CellColors(dataCol, TRuleColumn{c->TitleCaption(), c->Field(), DataSet()}, cellColor, fontColor);
}

void TEnhDBGrid::CellColors(int dataCol, const TRuleColumn& rc, TColor& cellColor, TColor& fontColor) const {
  cellColor = fontColor = NoColor;
  if (dataCol < 0 || size_t(dataCol) >= mColumnColorRules.size() || mColumnColorRules[size_t(dataCol)].empty())
    return;
  Tarnwell::GetCellColors(mColumnColorRules[size_t(dataCol)], rc, cellColor, fontColor);
}

void TEnhDBGrid::GetEdgeColors(TColor background, TColor& light, TColor& dark) {
  struct E {
    TColor bg, light, dark;
  };
  static const E table[] = {
      {clBtnFace, clBtnHighlight, clBtnShadow}, {clBlack, clWhite, clWhite},  {clMaroon, clRed, clBlack},
      {clRed, clWhite, clMaroon},               {clGreen, clLime, clBlack},   {clOlive, clYellow, clBlack},
      {clLime, clWhite, clGreen},               {clYellow, clWhite, clOlive}, {clNavy, clBlue, clBlack},
      {clPurple, clFuchsia, clBlack},           {clTeal, clAqua, clNavy},     {clGray, clSilver, clBlack},
      {clSilver, clWhite, clBlack},             {clBlue, clAqua, clNavy},     {clFuchsia, clWhite, clPurple},
      {clAqua, clWhite, clTeal},                {clWhite, clBlack, clBlack},
  };
  for (const E& e : table)
    if (e.bg == background) {
      light = e.light;
      dark = e.dark;
      return;
    }
  light = clBlack;
  dark = clWhite;
}

QString TEnhDBGrid::FitCaption(const QString& text, int width, const QFont& font) {
  const QFontMetrics fm(font);
  QString s = text;
  const int n = int(text.size());
  for (int i = 1; i <= n && fm.horizontalAdvance(s) > width; ++i)
    s = text.left(std::max(0, n - i - 1)) + QStringLiteral("...");
  return s;
}

// ------------------------------------------------------------------ painting

void TEnhDBGrid::PaintGrid(QPainter& p, const QRect& clip) {
  TDataSet* ds = DataSet();
  if (mLink->Active()) {
    const int rows = viewport()->height() / std::max(1, DefaultRowHeight() + GridLineWidth()) + 1;
    EnsureRowsFor(TopRow() + rows);
  }
  mPaint.clear();
  for (int i = 0; i < mColumns.Count(); ++i) {
    const TDBGridColumn* c = mColumns[i];
    const TFont f = c->Font();
    mPaint.push_back({f.ToQFont(), f.Color(), c->Color(), c->Alignment(), TRuleColumn{c->TitleCaption(), c->Field(), ds}});
  }
  try {
    TCustomGrid::PaintGrid(p, clip);
  } catch (...) {
    mPaint.clear();
    if (ds) ds->SetDisplayRecord(0);
    throw;
  }
  mPaint.clear();
  if (ds) ds->SetDisplayRecord(0);
}

void TEnhDBGrid::WriteCellText(QPainter& p, const TRect& r, TAlignment a, const QString& text, int dx, int dy,
                               const QFont& font, TColor color, TColor brush) {
  Q_UNUSED(brush);
  if (text.isEmpty()) return;
  p.setFont(font);
  p.setPen(ToQColor(color, palette()));
  int flags = Qt::AlignTop | Qt::TextSingleLine;
  QRect box;
  switch (a) {
    case taRightJustify:
      flags |= Qt::AlignRight;
      box = QRect(r.Left, r.Top + dy, r.Width() - 3, r.Height() - dy);
      break;
    case taCenter:
      flags |= Qt::AlignHCenter;
      box = QRect(r.Left, r.Top + dy, r.Width(), r.Height() - dy);
      break;
    default:
      flags |= Qt::AlignLeft;
      box = QRect(r.Left + dx, r.Top + dy, r.Width() - dx, r.Height() - dy);
  }
  p.drawText(box, flags, text);
}

namespace {
void Frame3D(QPainter& p, const TRect& r, const QColor& light, const QColor& dark) {
  p.setPen(light);
  p.drawLine(r.Left, r.Bottom - 1, r.Left, r.Top);
  p.drawLine(r.Left, r.Top, r.Right - 1, r.Top);
  p.setPen(dark);
  p.drawLine(r.Right - 1, r.Top, r.Right - 1, r.Bottom - 1);
  p.drawLine(r.Left, r.Bottom - 1, r.Right - 1, r.Bottom - 1);
}
}  // namespace

void TEnhDBGrid::DrawCell(QPainter& p, int col, int row, const TRect& r, TGridDrawState state) {
  TDataSet* ds = DataSet();
  const int dataCol = RawToDataColumn(col);
  const bool isData = dataCol >= 0 && dataCol < mColumns.Count();
  TColor light, dark;
  if (row == 0) {
    if (isData) {
      DrawTitleCell(p, col, r);
    } else {
      GetEdgeColors(FixedColor(), light, dark);
      Frame3D(p, r, ToQColor(light, palette()), ToQColor(dark, palette()));
    }
    return;
  }
  // Which record this row shows; a row past the last record stays empty.
  const int recNo = RowRecNo(row);
  bool hasRecord = false;
  if (ds && mLink->Active()) {
    if (recNo > 0)
      hasRecord = ds->SetDisplayRecord(recNo);
    else if (recNo < 0)
      hasRecord = ds->SetDisplayRecord(0);  // the insert buffer
  }
  if (col == 0) {
    GetEdgeColors(FixedColor(), light, dark);
    Frame3D(p, r, ToQColor(light, palette()), ToQColor(dark, palette()));
    if (hasRecord && row == Row()) DrawIndicator(p, row, r);
    return;
  }
  if (state & gdFixed) {
    // A fixed data column: the rules' text on the fixed colour in the title font.
    p.fillRect(r.ToQRect(), ToQColor(FixedColor(), palette()));
    if (hasRecord && isData)
      WriteCellText(p, r, mColumns[dataCol]->Alignment(), ConvertCellText(dataCol), 2, 2, mTitleFont.ToQFont(),
                    mTitleFont.Color(), FixedColor());
    GetEdgeColors(FixedColor(), light, dark);
    Frame3D(p, r, ToQColor(light, palette()), ToQColor(dark, palette()));
    return;
  }
  // The default drawing: the column's colour and the field's text, the
  // current cell highlighted while the grid has the focus.
  const TPaintColumn* pc = isData && size_t(dataCol) < mPaint.size() ? &mPaint[size_t(dataCol)] : nullptr;
  TColor brush = pc ? pc->Color : isData ? mColumns[dataCol]->Color() : Color();
  const bool focused = hasFocus() || (InplaceEditor() && InplaceEditor()->hasFocus());
  const bool highlight = (state & gdSelected) && focused && !EditorMode();
  if (highlight) brush = clHighlight;
  p.fillRect(r.ToQRect(), ToQColor(brush, palette()));
  if (hasRecord && isData) {
    const TDBGridColumn* c = mColumns[dataCol];
    const TRuleColumn rc = pc ? pc->Rule : TRuleColumn{c->TitleCaption(), c->Field(), ds};
    const QFont font = pc ? pc->Font : c->Font().ToQFont();
    const TAlignment align = pc ? pc->Alignment : c->Alignment();
    if (!highlight) {
      // Normal cells go through the rules.
      TColor cellColor, fontColor;
      CellColors(dataCol, rc, cellColor, fontColor);
      if (cellColor != NoColor) {
        brush = cellColor;
        p.fillRect(r.ToQRect(), ToQColor(cellColor, palette()));
      }
      const TColor textColor = fontColor != NoColor ? fontColor : pc ? pc->FontColor : c->Font().Color();
      WriteCellText(p, r, align, CellText(dataCol, rc), 2, 2, font, textColor, brush);
    } else {
      WriteCellText(p, r, align, CellText(dataCol, rc), 2, 2, font, clHighlightText, brush);
    }
    DrawColumnCell(p, r, dataCol, state);
  }
  if (mCellStyle != csNone) {
    GetEdgeColors(brush, light, dark);
    if (mCellStyle == csLowered) std::swap(light, dark);
    Frame3D(p, r, ToQColor(light, palette()), ToQColor(dark, palette()));
  }
}

void TEnhDBGrid::DrawColumnCell(QPainter& p, const TRect& r, int dataCol, TGridDrawState state) {
  static const QMetaMethod signal = QMetaMethod::fromSignal(&TEnhDBGrid::drawColumnCell);
  if (!OnDrawColumnCell && !isSignalConnected(signal)) return;
  p.save();
  try {
    Q_EMIT drawColumnCell(this, p, r.ToQRect(), dataCol, state);
    if (OnDrawColumnCell) OnDrawColumnCell(this, p, r, dataCol, mColumns[dataCol], state);
  } catch (...) {
    HandleCurrentException();
  }
  p.restore();
}

void TEnhDBGrid::DrawIndicator(QPainter& p, int, const TRect& r) {
  TDataSet* ds = DataSet();
  const int cx = r.Left + r.Width() / 2, cy = r.Top + r.Height() / 2;
  p.setPen(Qt::black);
  p.setBrush(Qt::black);
  if (ds->State() == dsInsert) {
    p.drawText(r.ToQRect(), Qt::AlignCenter, QStringLiteral("*"));
  } else if (ds->State() == dsEdit) {
    p.drawLine(cx, cy - 4, cx, cy + 4);
    p.drawLine(cx - 2, cy - 4, cx + 2, cy - 4);
    p.drawLine(cx - 2, cy + 4, cx + 2, cy + 4);
  } else {
    const QPoint tri[3] = {QPoint(cx - 2, cy - 4), QPoint(cx + 2, cy), QPoint(cx - 2, cy + 4)};
    p.drawPolygon(tri, 3);
  }
  p.setBrush(Qt::NoBrush);
}

void TEnhDBGrid::DrawTitleCell(QPainter& p, int col, const TRect& r) {
  const int dataCol = RawToDataColumn(col);
  const TDBGridColumn* c = mColumns[dataCol];
  TColor light, dark;
  GetEdgeColors(FixedColor(), light, dark);
  p.fillRect(r.ToQRect(), ToQColor(FixedColor(), palette()));
  Frame3D(p, r, ToQColor(light, palette()), ToQColor(dark, palette()));
  TRect inner = r;
  InflateRect(inner, -2, -2);
  const TFont tf = c->TitleFont();
  const QFont qf = tf.ToQFont();
  const QString caption = FitCaption(c->TitleCaption(), r.Width() - 14, qf);
  WriteCellText(p, inner, c->TitleAlignment(), caption, 0, 0, qf, tf.Color(), FixedColor());
  if (TitleEditVisible() && mTitleEditCol == dataCol) {
    p.fillRect(inner.ToQRect(), ToQColor(FixedColor(), palette()));
    const QImage& glyph = mFilterMode ? mGlyphFilter : mGlyphSearch;
    if (!glyph.isNull()) p.drawImage(QPoint(mTitleEdit->x() - 17, 2), glyph);
  }
  DrawSortIndicator(p, r, dataCol, light, dark);
}

void TEnhDBGrid::DrawSortIndicator(QPainter& p, const TRect& cell, int dataCol, TColor lightC, TColor darkC) {
  if (!CanSort()) return;
  bool desc = false;
  const int pos = GetSortPosition(dataCol, desc);
  const int R = cell.Right, T = cell.Top, B = cell.Bottom;
  const int h = (cell.Height() - 8) / 2;
  const QColor light = ToQColor(lightC, palette()), dark = ToQColor(darkC, palette());
  auto line = [&](const QColor& c, std::initializer_list<QPoint> pts) {
    p.setPen(c);
    const QPoint* prev = nullptr;
    for (const QPoint& q : pts) {
      if (prev) p.drawLine(*prev, q);
      prev = &q;
    }
  };
  if (pos < 0) {
    line(light, {QPoint(R - 12, B - h), QPoint(R - 12, T + h), QPoint(R - 4, T + h)});
    line(dark, {QPoint(R - 12, B - h), QPoint(R - 4, B - h), QPoint(R - 4, T + h)});
    return;
  }
  p.setPen(Qt::black);
  p.setBrush(Qt::black);
  if (pos > 1) p.drawRect(R - 13, T + 1, 1, 1);
  if (pos == 1 || pos > 2) p.drawRect(R - 9, T + 1, 1, 1);
  if (pos > 1) p.drawRect(R - 5, T + 1, 1, 1);
  p.setBrush(Qt::NoBrush);
  if (desc) {
    line(dark, {QPoint(R - 8, B - h), QPoint(R - 12, T + h), QPoint(R - 4, T + h)});
    line(light, {QPoint(R - 8, B - h), QPoint(R - 4, T + h)});
  } else {
    line(dark, {QPoint(R - 12, B - h), QPoint(R - 8, T + h)});
    line(light, {QPoint(R - 12, B - h), QPoint(R - 4, B - h), QPoint(R - 8, T + h)});
  }
}

// ------------------------------------------------------------------ sorting

// A sort reopens the query: the view stays on the same columns.
struct TEnhDBGrid::TKeepColumns {
  explicit TKeepColumns(TEnhDBGrid* g) : Grid(g), Left(g->LeftCol()), Col(g->Col()) {}
  ~TKeepColumns() {
    if (Col >= Grid->ColCount() || Left >= Grid->ColCount()) return;
    const bool was = Grid->mSyncing;
    Grid->mSyncing = true;
    Grid->SetTopLeft(Left, Grid->TopRow());
    Grid->MoveCurrent(Col, Grid->Row(), false, false);
    Grid->mSyncing = was;
  }
  TEnhDBGrid* Grid;
  int Left, Col;
};

bool TEnhDBGrid::CanSort() const {
  TDataSet* ds = DataSet();
  return qobject_cast<TEnhQuery*>(ds) || qobject_cast<TMemoTable*>(ds);
}

int TEnhDBGrid::GetSortPosition(int dataCol, bool& descending) const {
  descending = false;
  if (dataCol < 0 || dataCol >= mColumns.Count()) return -1;
  TField* f = mColumns[dataCol]->Field();
  if (!f) return -1;
  if (auto* q = qobject_cast<TEnhQuery*>(DataSet())) return q->SortPosition(f->FieldName(), &descending);
  if (auto* m = qobject_cast<TMemoTable*>(DataSet())) return m->SortPosition(f->FieldName(), descending);
  return -1;
}

void TEnhDBGrid::ToggleSortColumn(int dataCol) {
  if (dataCol < 0 || dataCol >= mColumns.Count()) return;
  TField* f = mColumns[dataCol]->Field();
  if (!f) return;
  const QString name = f->FieldName();
  THourglass wait;
  const TKeepColumns keep(this);
  try {
    if (auto* q = qobject_cast<TEnhQuery*>(DataSet())) {
      q->ToggleSort(name);
      if (!q->LastError().isEmpty()) MessageDlg(q->LastError(), mtError, mbOK);
    } else if (auto* m = qobject_cast<TMemoTable*>(DataSet())) {
      bool desc = false;
      const bool sorted = m->SortPosition(name, desc) >= 0;
      m->SortOnField(name, sorted && !desc);
    }
  } catch (...) {
    HandleCurrentException();
  }
  viewport()->update();
}

void TEnhDBGrid::RemoveSortColumn(int dataCol) {
  if (dataCol < 0 || dataCol >= mColumns.Count()) return;
  TField* f = mColumns[dataCol]->Field();
  if (!f) return;
  const QString name = f->FieldName();
  THourglass wait;
  const TKeepColumns keep(this);
  try {
    if (auto* q = qobject_cast<TEnhQuery*>(DataSet())) {
      q->RemoveSort(name);
    } else if (auto* m = qobject_cast<TMemoTable*>(DataSet())) {
      bool desc = false;
      if (m->SortPosition(name, desc) >= 0) m->ClearSort();
    }
  } catch (...) {
    HandleCurrentException();
  }
  viewport()->update();
}

// ------------------------------------------------------------------ events

void TEnhDBGrid::CreateWnd() {
  mCreated = true;
  mInitialLayout = LayoutBytes();
  FireInit();
  ParseRules();
}

void TEnhDBGrid::FireInit() { TW_FIRE(OnInit, Init, this); }

void TEnhDBGrid::showEvent(QShowEvent* e) {
  TCustomGrid::showEvent(e);
  if (!mCreated) CreateWnd();
}

void TEnhDBGrid::resizeEvent(QResizeEvent* e) {
  TCustomGrid::resizeEvent(e);
  HideTitleEdit();
}

void TEnhDBGrid::changeEvent(QEvent* e) {
  TCustomGrid::changeEvent(e);
  if (e->type() == QEvent::EnabledChange) viewport()->update();
}

void TEnhDBGrid::scrollContentsBy(int dx, int dy) {
  TCustomGrid::scrollContentsBy(dx, dy);
  HideTitleEdit();
}

void TEnhDBGrid::TopLeftChanged() {
  HideTitleEdit();
  EnsureRowsFor(TopRow() + VisibleRowCount() + 1);
  Q_EMIT topLeftChanged(this);
}

void TEnhDBGrid::ColWidthsChanged() { HideTitleEdit(); }

void TEnhDBGrid::SizingBegun() {
  mSizingCol = Col();
  mSizingRow = Row();
}

void TEnhDBGrid::SizingEnded() {
  if (mSizingCol >= FixedCols() && mSizingCol < ColCount()) {
    const bool was = mSyncing;
    mSyncing = true;
    MoveCurrent(mSizingCol, mSizingRow, false, false);
    mSyncing = was;
  }
}

void TEnhDBGrid::keyPressEvent(QKeyEvent* e) {
  HideTitleEdit();
  TDataSet* ds = DataSet();
  const bool ctrl = e->modifiers() & Qt::ControlModifier;
  switch (e->key()) {
    case Qt::Key_Left:
      // The first scrolling column is as far left as the cursor goes.
      if (Col() == FixedCols()) return;
      break;
    case Qt::Key_Down:
    case Qt::Key_PageDown:
      EnsureRowsFor(Row() + VisibleRowCount() + 1);
      break;
    case Qt::Key_End:
    case Qt::Key_Home:
      if (ctrl && mLink->Active()) {
        try {
          e->key() == Qt::Key_End ? ds->Last() : ds->First();
        } catch (...) {
          HandleCurrentException();
        }
        SyncCurrentRow();
        return;
      }
      break;
    case Qt::Key_Escape:
      if (mLink->Active() && (ds->State() == dsEdit || ds->State() == dsInsert)) {
        ds->Cancel();
        return;
      }
      break;
    case Qt::Key_Insert:
      if (mLink->Active() && !mReadOnly && ds->CanModify()) {
        try {
          ds->Insert();
        } catch (...) {
          HandleCurrentException();
        }
        return;
      }
      break;
    default:
      break;
  }
  TCustomGrid::keyPressEvent(e);
}

void TEnhDBGrid::mousePressEvent(QMouseEvent* e) {
  mMouseDownPt = e->position().toPoint();
  mMouseDownButton = e->button();
  int col, row;
  MouseToCell(mMouseDownPt.x(), mMouseDownPt.y(), col, row);
  // Fixed data columns cannot be selected.
  if (col > 0 && col < FixedCols() && row >= FixedRows()) {
    setFocus();
    return;
  }
  TCustomGrid::mousePressEvent(e);
}

// A quick second click on a title is a click like the first (it toggles the
// sort again); on a data cell it opens the editor as ever.
void TEnhDBGrid::mouseDoubleClickEvent(QMouseEvent* e) {
  mMouseDownPt = e->position().toPoint();
  mMouseDownButton = e->button();
  int col, row;
  MouseToCell(mMouseDownPt.x(), mMouseDownPt.y(), col, row);
  if (row == 0 || (col > 0 && col < FixedCols())) return;
  TCustomGrid::mouseDoubleClickEvent(e);
}

bool TEnhDBGrid::InSortZone(int x, int dataCol) const {
  // From the column's own edges, so that the last column's zone never looks
  // past the grid.
  const int raw = DataToRawColumn(dataCol);
  const int left = ColLeft(raw);
  if (left < 0) return false;
  const int right = left + ColWidth(raw);
  return x + 14 >= right && x + 4 < right;
}

void TEnhDBGrid::mouseReleaseEvent(QMouseEvent* e) {
  TCustomGrid::mouseReleaseEvent(e);
  const QPoint pt = e->position().toPoint();
  if ((pt - mMouseDownPt).manhattanLength() > 0) {
    HideTitleEdit();
    return;
  }
  int col, row;
  MouseToCell(pt.x(), pt.y(), col, row);
  const int dataCol = RawToDataColumn(col);
  if (row == 0 && dataCol >= 0 && dataCol < mColumns.Count()) {
    if (InSortZone(pt.x(), dataCol)) {
      HideTitleEdit();
      if (e->button() == Qt::LeftButton)
        ToggleSortColumn(dataCol);
      else
        RemoveSortColumn(dataCol);
      viewport()->update();
      return;
    }
    if (mLink->Active() && mColumns[dataCol]->Field())
      OpenTitleEdit(dataCol, e->button() == Qt::RightButton && mCanFilter);
    return;
  }
  if (row >= 1) {
    HideTitleEdit();
    if (e->button() == Qt::RightButton) {
      Q_EMIT customContextMenuRequested(pt);
      if (QMenu* m = PopupMenu()) m->popup(viewport()->mapToGlobal(pt));
    }
  }
}

// ------------------------------------------------------------------ title box

QMenu* TEnhDBGrid::PopupMenu() const { return qobject_cast<QMenu*>(mPopupMenu.data()); }
void TEnhDBGrid::SetPopupMenu(QMenu* menu) { mPopupMenu = menu; }

bool TEnhDBGrid::TitleEditVisible() const { return mTitleEdit && mTitleEdit->isVisible(); }

void TEnhDBGrid::OpenTitleEdit(int dataCol, bool filter) {
  if (dataCol < 0 || dataCol >= mColumns.Count()) return;
  HideTitleEdit();
  if (mTitleEditCol != dataCol) mTitleEdit->clear();
  mTitleEditCol = dataCol;
  int left, rest;
  ColumnLeft(dataCol, left, rest);
  const int cw = mColumns[dataCol]->Width();
  const int w = cw < rest ? cw : rest + 10;
  const int h = RowHeight(0);
  mTitleEdit->setGeometry(left + 20, 2, std::max(w - 34, 8), std::max(h - 3, 8));
  QPalette pal = mTitleEdit->palette();
  pal.setColor(QPalette::Base, ToQColor(FixedColor(), palette()));
  pal.setColor(QPalette::Text, ToQColor(mTitleFont.Color(), palette()));
  mTitleEdit->setPalette(pal);
  mTitleEdit->setFont(mTitleFont.ToQFont());
  mFilterMode = filter;
  mTitleEdit->setToolTip(QString());
  mTitleEdit->show();
  mTitleEdit->raise();
  mTitleEdit->setFocus();
  viewport()->update();
}

void TEnhDBGrid::HideTitleEdit() {
  if (!TitleEditVisible()) return;
  const bool hadFocus = mTitleEdit->hasFocus();
  mTitleEdit->hide();
  if (hadFocus) setFocus();
  viewport()->update();
}

void TEnhDBGrid::TitleEditChanged() {
  if (mFilterMode || !mLink->Active()) return;
  TDBGridColumn* c = mTitleEditCol >= 0 && mTitleEditCol < mColumns.Count() ? mColumns[mTitleEditCol] : nullptr;
  TField* f = c ? c->Field() : nullptr;
  if (!f || mTitleEdit->text().isEmpty()) return;
  // A text that matches nothing leaves the cursor where it is.
  try {
    DataSet()->Locate(f->FieldName(), mTitleEdit->text(), loCaseInsensitive | loPartialKey);
  } catch (...) {
  }
}

void TEnhDBGrid::TitleEditClicked() {
  if (!mFilterMode || !mLink->Active()) return;
  mTitleEdit->clear();
  try {
    DataSet()->SetFiltered(false);
  } catch (...) {
  }
}

namespace {
// A name the filter language reads as it stands, else bracketed.
QString FilterFieldName(const QString& name) {
  bool plain = !name.isEmpty() && (name[0].isLetter() || name[0] == QLatin1Char('_'));
  for (QChar c : name) plain = plain && (c.isLetterOrNumber() || c == QLatin1Char('_'));
  return plain ? name : QLatin1Char('[') + name + QLatin1Char(']');
}
}  // namespace

bool TEnhDBGrid::ApplyTitleFilter(const QString& text, QString* why) {
  auto fail = [&](const QString& reason) {
    if (why) *why = reason;
    return false;
  };
  TDataSet* ds = DataSet();
  TDBGridColumn* c = mTitleEditCol >= 0 && mTitleEditCol < mColumns.Count() ? mColumns[mTitleEditCol] : nullptr;
  TField* f = c ? c->Field() : nullptr;
  if (!mLink->Active() || !f) return fail(QStringLiteral("La colonna non ha un campo da filtrare"));
  const QString t = text.trimmed();
  const bool startsWithOp = !t.isEmpty() && QStringLiteral("<=>").contains(t[0]);
  if (!startsWithOp) {
    // No operator: no filter.
    try {
      ds->SetFiltered(false);
    } catch (...) {
      HandleCurrentException();
    }
    return true;
  }
  // The operator: one of the six the filter knows, nothing else.
  static const QStringList ops = {QStringLiteral("<="), QStringLiteral(">="), QStringLiteral("<>"),
                                  QStringLiteral("="), QStringLiteral("<"), QStringLiteral(">")};
  QString op;
  for (const QString& o : ops)
    if (t.startsWith(o)) {
      op = o;
      break;
    }
  const QString rest = t.mid(op.size()).trimmed();
  if (rest.isEmpty() || QStringLiteral("<=>").contains(rest[0]))
    return fail(QStringLiteral("Operatore non valido: usare =, <, >, <=, >= o <>"));
  QVariant v;
  if (!CoerceToFieldType(rest, f->DataType(), v) || v.isNull())
    return fail(QStringLiteral("'%1' non è un valore valido per il campo '%2'").arg(rest, f->FieldName()));
  QString value;
  const TFieldType type = f->DataType();
  if (IsNumericFieldType(type)) {
    value = type == ftBCD ? v.toString() : QString::number(v.toDouble(), 'g', 17);
    if (type != ftBCD && type != ftFloat && type != ftCurrency) value = QString::number(v.toLongLong());
  } else {
    QString s;
    if (IsDateFieldType(type)) {
      if (type == ftDate) s = v.toDate().toString(Qt::ISODate);
      else if (type == ftTime) s = v.toTime().toString(Qt::ISODate);
      else s = v.toDateTime().toString(QStringLiteral("yyyy-MM-dd HH:mm:ss"));
    } else if (type == ftBoolean) {
      s = v.toBool() ? QStringLiteral("True") : QStringLiteral("False");
    } else {
      s = v.toString();
    }
    value = QLatin1Char('\'') + QString(s).replace(QLatin1Char('\''), QStringLiteral("''")) + QLatin1Char('\'');
  }
  const QString before = ds->Filter();
  const bool wasFiltered = ds->Filtered();
  try {
    ds->SetFiltered(false);
    ds->SetFilter(FilterFieldName(f->FieldName()) + QLatin1Char(' ') + op + QLatin1Char(' ') + value);
    ds->SetFiltered(true);
  } catch (const ETarnwellError& e) {
    // The previous filter comes back.
    try {
      ds->SetFiltered(false);
      ds->SetFilter(before);
      ds->SetFiltered(wasFiltered);
    } catch (...) {
    }
    return fail(e.Message());
  }
  return true;
}

bool TEnhDBGrid::TitleEditKey(QKeyEvent* e) {
  switch (e->key()) {
    case Qt::Key_Escape:
      HideTitleEdit();
      setFocus();
      return true;
    case Qt::Key_Return:
    case Qt::Key_Enter:
      if (!mFilterMode) {
        HideTitleEdit();
        setFocus();
        return true;
      }
      {
        QString why;
        if (!ApplyTitleFilter(mTitleEdit->text(), &why)) {
          mTitleEdit->setToolTip(why);
          MessageDlg(why, mtWarning, mbOK);
        } else {
          mTitleEdit->setToolTip(QString());
        }
      }
      return true;
    default:
      return false;
  }
}

bool TEnhDBGrid::eventFilter(QObject* o, QEvent* e) {
  if (o == mTitleEdit) {
    if (e->type() == QEvent::KeyPress && TitleEditKey(static_cast<QKeyEvent*>(e))) return true;
    if (e->type() == QEvent::MouseButtonPress) TitleEditClicked();
    return false;
  }
  return TCustomGrid::eventFilter(o, e);
}

// ------------------------------------------------------------------ layout

TGridLayout TEnhDBGrid::SaveLayoutData() const {
  TGridLayout g;
  g.Name = objectName();
  g.Color = Color();
  g.ParentColor = ParentColor();
  g.Font = ToLayoutFont(Font());
  g.ParentFont = ParentFont();
  g.FixedColor = FixedColor();
  g.TitleFont = ToLayoutFont(mTitleFont);
  g.Options = unsigned(Options().toInt());
  g.ReadOnly = mReadOnly;
  g.CellStyle = int(mCellStyle);
  g.FixedColumns = mFixedColumns;
  g.ColorCond = mColorCond;
  g.Conversion = mConversion;
  g.Caption = mCaption;
  g.CanFilter = mCanFilter;
  g.ClearOnRestore = mClearOnRestore;
  if (mColumns.Count() == 0) {
    // No columns at all is kept as one blank column, which loading turns
    // back into the fields' columns.
    g.Columns.push_back(TDBGridColumn(nullptr).ToLayout());
  }
  for (int i = 0; i < mColumns.Count(); ++i) g.Columns.push_back(mColumns[i]->ToLayout());
  return g;
}

QByteArray TEnhDBGrid::LayoutBytes() const { return WriteGridLayout(SaveLayoutData()); }

void TEnhDBGrid::SaveLayout(QIODevice& out) const { out.write(LayoutBytes()); }

void TEnhDBGrid::SaveLayout(QDataStream& out) const {
  const QByteArray b = LayoutBytes();
  out.writeRawData(b.constData(), int(b.size()));
}

bool TEnhDBGrid::LoadLayout(QIODevice& in) {
  if (!in.isOpen() || !in.isReadable()) {
    mLayoutError = QStringLiteral("Il flusso del layout non è leggibile");
    return false;
  }
  // A random-access device gives its rest without losing it; a sequential one
  // is read to its end.
  const QByteArray data = in.isSequential() ? in.readAll() : in.peek(in.bytesAvailable());
  TGridLayout g;
  qsizetype used = 0;
  QString why;
  if (!ReadGridLayout(data, g, used, why)) {
    mLayoutError = why;
    return false;
  }
  // The rule lines must parse before anything is applied.
  try {
    std::vector<TColorCondObj> c;
    std::vector<TConversionObj> v;
    ParseColorRules(g.ColorCond, c);
    ParseConversionRules(g.Conversion, v);
  } catch (const ETarnwellError& e) {
    mLayoutError = e.Message();
    return false;
  }
  if (!in.isSequential()) in.seek(in.pos() + used);
  ApplyLayout(g);
  mLayoutError.clear();
  return true;
}

bool TEnhDBGrid::LoadLayout(QDataStream& in) {
  if (!in.device()) {
    mLayoutError = QStringLiteral("Il flusso del layout non ha un dispositivo");
    return false;
  }
  const bool ok = LoadLayout(*in.device());
  if (!ok) in.setStatus(QDataStream::ReadCorruptData);
  return ok;
}

bool TEnhDBGrid::LoadLayout(const QByteArray& bytes) {
  QBuffer b;
  b.setData(bytes);
  b.open(QIODevice::ReadOnly);
  return LoadLayout(b);
}

void TEnhDBGrid::ApplyLayout(const TGridLayout& g) {
  THourglass wait;
  const int col = Col(), row = Row();
  HideTitleEdit();
  CancelEditor();
  if (g.ParentColor)
    SetParentColor(true);
  else
    setColor(g.Color);
  if (g.ParentFont) {
    SetParentFont(true);
    // The parent's font under the name the layout knows it by (a classic
    // name and the installed family it stands for draw alike).
    const TFont f = FromLayoutFont(g.Font);
    if (!(Font() == f) || Font().Color() != f.Color()) {
      mSettingFont = true;
      Font().Assign(f);
      mSettingFont = false;
    }
  } else {
    TFont f = FromLayoutFont(g.Font);
    Font().Assign(f);
    // The font may already be this one (a layout with the parent's font was
    // loaded before): the grid's own it is even so.
    SetParentFont(false);
  }
  setFixedColor(g.FixedColor);
  mTitleFontSet = false;
  setTitleFont(FromLayoutFont(g.TitleFont));
  setOptions(TGridOptions::fromInt(int(g.Options)));
  setReadOnly(g.ReadOnly);
  setCellStyle(TCellStyle(g.CellStyle));
  mColorCond = g.ColorCond;
  mConversion = g.Conversion;
  setCaption(g.Caption);
  setCanFilter(g.CanFilter);
  setClearOnRestore(g.ClearOnRestore);
  mColumns.mItems.clear();
  for (const TLayoutColumn& lc : g.Columns) {
    auto c = std::make_unique<TDBGridColumn>(&mColumns);
    c->mOwner = nullptr;
    c->FromLayout(lc);
    c->mOwner = &mColumns;
    mColumns.mItems.push_back(std::move(c));
  }
  mColumns.SetCustomized(true);
  if (mColumns.Count() == 1 && mColumns[0]->FieldName().isEmpty() && mColumns[0]->AssignedValues() == 0) {
    mColumns.RebuildColumns();
    mColumns.SetCustomized(false);
  }
  mFixedColumns = 0;
  setFixedColumns(g.FixedColumns);
  ColumnsChanged();
  ParseRules();
  Q_EMIT ColorCondChanged(mColorCond);
  Q_EMIT ConversionChanged(mConversion);
  ReselectAfterLayout(col, row);
}

void TEnhDBGrid::ReselectAfterLayout(int col, int row) {
  const bool was = mSyncing;
  mSyncing = true;
  if (col >= mFixedColumns && col <= ColCount() - 1) MoveCurrent(col, Row(), false, false);
  if (row >= FixedRows() && row <= RowCount() - 1) MoveCurrent(Col(), row, false, false);
  mSyncing = was;
  viewport()->update();
}

void TEnhDBGrid::ResetLayout() {
  HideTitleEdit();
  CancelEditor();
  SetParentColor(true);
  SetParentFont(true);
  mTitleFontSet = false;
  mTitleFont.Assign(Font());
  UpdateRowHeights();
  setFixedColor(Color());
  mFixedColumns = 1;
  setFixedCols(1);
  setCellStyle(csNone);
  mColorCond.clear();
  mConversion.clear();
  mColorRules.clear();
  mConversionRules.clear();
  mColumns.RebuildColumns();
  mColumns.SetCustomized(false);
  Q_EMIT FixedColumnsChanged(1);
  Q_EMIT ColorCondChanged(mColorCond);
  Q_EMIT ConversionChanged(mConversion);
}

void TEnhDBGrid::RestoreDefaultLayout() {
  ResetLayout();
  if (!mClearOnRestore && !mInitialLayout.isEmpty()) LoadLayout(mInitialLayout);
}

void TEnhDBGrid::RestorePreviousLayout() {
  if (mPreviousLayout.isEmpty()) return;
  ResetLayout();
  LoadLayout(mPreviousLayout);
}

bool TEnhDBGrid::HasHelp() const {
  static const QMetaMethod signal = QMetaMethod::fromSignal(&TEnhDBGrid::Help);
  return OnHelp || isSignalConnected(signal);
}

void TEnhDBGrid::FireHelp(const QString& topic, const QString& subTopic) {
  TW_FIRE(OnHelp, Help, this, topic, subTopic);
}

}  // namespace Tarnwell
