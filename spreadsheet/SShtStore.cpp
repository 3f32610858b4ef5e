#include "SShtStore.h"

#include <QCollator>
#include <algorithm>
#include <cmath>
#include <optional>

#include <Tarnwell/platform/TGraphics.h>

namespace Tarnwell {

// ================================================================ column

TSpreadSheetDataColumn::TSpreadSheetDataColumn(int col, TSpreadSheetFormuler* formuler,
                                               const TSpreadSheetCell* templ)
    : mCol(col), mFormuler(formuler) {
  mCells.push_back(std::make_unique<TSpreadSheetCell>(col, 0, formuler, templ));
}

namespace {

// The first cell at or below row. A column without gaps holds row r at
// index r (the header is row 0), so that guess is tried before searching:
// filled sheets are nearly always dense, and a search touches a dozen cells
// scattered over the heap where the guess touches one.
template <class It>
It RowLowerBound(It begin, It end, int row) {
  const auto n = end - begin;
  if (row >= 0 && row < n) {
    const It guess = begin + row;
    if ((*guess)->Row() == row && (row == 0 || (*(guess - 1))->Row() < row)) return guess;
  } else if (n > 0 && row > 0 && (*(end - 1))->Row() < row) {
    return end;
  }
  return std::lower_bound(begin, end, row, [](const TCellPtr& c, int r) { return c->Row() < r; });
}

}  // namespace

std::vector<TCellPtr>::iterator TSpreadSheetDataColumn::LowerBound(int row) {
  return RowLowerBound(mCells.begin(), mCells.end(), row);
}

std::vector<TCellPtr>::iterator TSpreadSheetDataColumn::UpperBound(int row) {
  return std::upper_bound(mCells.begin(), mCells.end(), row,
                          [](int r, const TCellPtr& c) { return r < c->Row(); });
}

TSpreadSheetCell* TSpreadSheetDataColumn::FindCell(int row) const {
  auto it = RowLowerBound(mCells.begin(), mCells.end(), row);
  return it != mCells.end() && (*it)->Row() == row ? it->get() : nullptr;
}

TSpreadSheetCell* TSpreadSheetDataColumn::GetCell(int row, const TSpreadSheetCell* templ, bool create) {
  auto it = LowerBound(row);
  if (it != mCells.end() && (*it)->Row() == row) return it->get();
  if (!create) return nullptr;
  if (!templ) templ = FindCell(0);
  auto cell = std::make_unique<TSpreadSheetCell>(mCol, row, mFormuler, templ);
  // The template's formats are wanted, not its text.
  if (templ && !templ->Text().isEmpty()) cell->SetText(QString());
  TSpreadSheetCell* raw = cell.get();
  mCells.insert(it, std::move(cell));
  return raw;
}

void TSpreadSheetDataColumn::InsertSorted(TCellPtr cell) {
  auto it = std::upper_bound(mCells.begin(), mCells.end(), cell->Row(),
                             [](int r, const TCellPtr& c) { return r < c->Row(); });
  mCells.insert(it, std::move(cell));
}

TCellPtr TSpreadSheetDataColumn::Detach(int row) {
  auto it = LowerBound(row);
  if (it == mCells.end() || (*it)->Row() != row) return nullptr;
  TCellPtr cell = std::move(*it);
  mCells.erase(it);
  return cell;
}

void TSpreadSheetDataColumn::DeleteRows(int a, int b) {
  a = std::max(a, 1);  // the header cell lives as long as the column
  if (b < a) return;
  mCells.erase(LowerBound(a), UpperBound(b));
}

void TSpreadSheetDataColumn::EraseRows(int a, int b) {
  for (auto it = LowerBound(a); it != mCells.end() && (*it)->Row() <= b; ++it) (*it)->SetText(QString());
}

void TSpreadSheetDataColumn::EraseAll() {
  for (auto& c : mCells) c->SetText(QString());
}

void TSpreadSheetDataColumn::Renumber(int col) {
  if (col <= 0) return;
  mCol = col;
  for (auto& c : mCells) c->mCol = std::int16_t(col);
}

void TSpreadSheetDataColumn::MoveRow(int from, int to) {
  if (from == to || from < 1 || to < 1 || from > SShtMaxRow || to > SShtMaxRow) return;
  TCellPtr moved = Detach(from);
  if (from < to) {
    for (auto it = UpperBound(from); it != mCells.end() && (*it)->Row() <= to; ++it) --(*it)->mRow;
  } else {
    for (auto it = LowerBound(to); it != mCells.end() && (*it)->Row() < from; ++it) ++(*it)->mRow;
  }
  if (moved) {
    moved->mRow = to;
    InsertSorted(std::move(moved));
  }
}

bool TSpreadSheetDataColumn::ShiftRows(int from, int n) {
  if (n <= 0) return true;
  from = std::max(from, 1);
  if (LastRow() >= from && (long long)LastRow() + n > SShtMaxRow) return false;
  for (auto it = LowerBound(from); it != mCells.end(); ++it) (*it)->mRow += n;
  return true;
}

void TSpreadSheetDataColumn::DeleteRowsShift(int a, int b) {
  a = std::max(a, 1);
  if (b < a) return;
  DeleteRows(a, b);
  const int k = b - a + 1;
  for (auto it = UpperBound(b); it != mCells.end(); ++it) (*it)->mRow -= k;
}

namespace {

// A total order on cells, whatever their types: numbers (and dates) first,
// then texts in the locale's order, then Booleans false before true; within
// each group the cells whose value cannot be read as one come last; equal
// keys keep their row order. Ties never depend on the comparison's direction.
// General cells holding a number (typed or imported) count as numbers, so a
// column of them sorts 9, 10, 100 rather than by its texts; cells that show
// nothing go after all others in either direction.
struct TSortKey {
  bool blank = false;
  int group;  // 0 numeric, 1 text, 2 Boolean
  int bad;    // 1 when the value does not convert for its group
  double num = 0;
  std::optional<QCollatorSortKey> collated;
  QString text;
  int row;
  TCellPtr cell;
};

int CompareKeys(const TSortKey& p, const TSortKey& q) {
  if (p.group != q.group) return p.group < q.group ? -1 : 1;
  if (p.bad != q.bad) return p.bad < q.bad ? -1 : 1;
  if (!p.bad) {
    if (p.group == 1) {
      int c = p.collated->compare(*q.collated);
      // Texts the collation deems equal still differ: order them by code.
      if (c == 0) c = p.text.compare(q.text);
      if (c != 0) return c < 0 ? -1 : 1;
    } else if (p.num != q.num) {
      return p.num < q.num ? -1 : 1;
    }
  }
  return p.row < q.row ? -1 : (p.row > q.row ? 1 : 0);
}

void SortCells(std::vector<TCellPtr>& cells, bool descending) {
  TSheetLocaleScope locale;
  QCollator collator;
  collator.setCaseSensitivity(Qt::CaseSensitive);
  std::vector<TSortKey> keys;
  keys.reserve(cells.size());
  for (auto& c : cells) {
    TSortKey k{};
    k.row = c->Row();
    const TCellValue& v = c->Value();
    k.blank = c->DisplayText().trimmed().isEmpty();
    double generalNumber = 0;
    if (k.blank) {
      k.group = 3;
    } else if (c->DataType() == cdtGeneral &&
               (v.Kind() == TCellValue::vkNumber ||
                (v.Kind() == TCellValue::vkString && v.ToNumber(generalNumber)))) {
      k.group = 0;
      k.num = v.Kind() == TCellValue::vkNumber ? v.AsNumber() : generalNumber;
    } else {
      switch (c->DataType()) {
        case cdtGeneral:
        case cdtText: {
          k.group = 1;
          k.text = c->DisplayText();
          k.collated.emplace(collator.sortKey(k.text));
          break;
        }
        case cdtBoolean:
          k.group = 2;
          if (v.Kind() == TCellValue::vkBoolean || v.Kind() == TCellValue::vkNumber) {
            k.num = v.AsNumber() != 0 ? 1 : 0;
          } else {
            k.bad = 1;
          }
          break;
        default: {
          k.group = 0;
          double d;
          if (!c->Text().isEmpty() && v.ToNumber(d))
            k.num = d;
          else
            k.bad = 1;
        }
      }
    }
    k.cell = std::move(c);
    keys.push_back(std::move(k));
  }
  std::sort(keys.begin(), keys.end(), [descending](const TSortKey& a, const TSortKey& b) {
    if (a.blank != b.blank) return b.blank;
    if (a.blank) return a.row < b.row;
    const int c = CompareKeys(a, b);
    return descending ? c > 0 : c < 0;
  });
  for (size_t i = 0; i < keys.size(); ++i) cells[i] = std::move(keys[i].cell);
}

}  // namespace

void TSpreadSheetDataColumn::Sort(int a, int b, bool descending) {
  if (mCells.size() < 2 || (a != -1 && a >= b)) return;
  if (a == -1) {
    TCellPtr header = Detach(0);
    SortCells(mCells, descending);
    int row = 1;
    for (auto& c : mCells) c->mRow = row++;
    if (header) mCells.insert(mCells.begin(), std::move(header));
    return;
  }
  a = std::max(a, 1);
  auto first = LowerBound(a);
  auto last = UpperBound(b);
  std::vector<TCellPtr> part(std::make_move_iterator(first), std::make_move_iterator(last));
  mCells.erase(first, last);
  SortCells(part, descending);
  int row = a;
  for (auto& c : part) c->mRow = row++;
  mCells.insert(LowerBound(a), std::make_move_iterator(part.begin()), std::make_move_iterator(part.end()));
}

TSpreadSheetCell* TSpreadSheetDataColumn::FindText(const QString& text, int& row) const {
  const QString u = text.toUpper();
  auto it = std::lower_bound(mCells.begin(), mCells.end(), row,
                             [](const TCellPtr& c, int r) { return c->Row() < r; });
  for (; it != mCells.end(); ++it) {
    if ((*it)->DisplayText().toUpper().contains(u)) {
      row = (*it)->Row();
      return it->get();
    }
  }
  return nullptr;
}

void TSpreadSheetDataColumn::RecalcAll() {
  for (auto& c : mCells) c->Recalc();
}

void TSpreadSheetDataColumn::SetFormuler(TSpreadSheetFormuler* f) {
  mFormuler = f;
  for (auto& c : mCells) c->mFormuler = f;
}

// ================================================================ store

TSpreadSheetDataCells::TSpreadSheetDataCells() : mFormuler(std::make_unique<TSpreadSheetFormuler>(this)) {
  ResetColumn0();
}

TSpreadSheetDataCells::~TSpreadSheetDataCells() = default;

void TSpreadSheetDataCells::ResetColumn0() {
  mColumns.clear();
  mColumns.push_back(std::make_unique<TSpreadSheetDataColumn>(0, mFormuler.get(), nullptr));
}

void TSpreadSheetDataCells::SetDefaultFont(const TFont& font) {
  TCellFont f;
  f.Name = font.Name().left(CellFontNameMax);
  f.Size = font.Size();
  f.Color = font.Color();
  f.Style = std::uint8_t(font.Style() & 15u);
  SetDefaultCellFont(f);
}

void TSpreadSheetDataCells::SetDefaultCellFont(const TCellFont& font) { DefaultCell()->SetFontExact(font); }

namespace {

// As RowLowerBound: column c of a sheet without empty columns is at index c.
template <class It>
It ColumnLowerBound(It begin, It end, int col) {
  const auto n = end - begin;
  if (col >= 0 && col < n) {
    const It guess = begin + col;
    if ((*guess)->Col() == col && (col == 0 || (*(guess - 1))->Col() < col)) return guess;
  }
  return std::lower_bound(begin, end, col,
                          [](const std::unique_ptr<TSpreadSheetDataColumn>& c, int v) { return c->Col() < v; });
}

}  // namespace

std::vector<std::unique_ptr<TSpreadSheetDataColumn>>::iterator TSpreadSheetDataCells::LowerBound(int col) {
  return ColumnLowerBound(mColumns.begin(), mColumns.end(), col);
}

TSpreadSheetDataColumn* TSpreadSheetDataCells::FindColumn(int col) const {
  auto it = ColumnLowerBound(mColumns.begin(), mColumns.end(), col);
  return it != mColumns.end() && (*it)->Col() == col ? it->get() : nullptr;
}

TSpreadSheetDataColumn* TSpreadSheetDataCells::GetColumn(int col) {
  auto it = LowerBound(col);
  if (it != mColumns.end() && (*it)->Col() == col) return it->get();
  auto column = std::make_unique<TSpreadSheetDataColumn>(col, mFormuler.get(), DefaultCell());
  TSpreadSheetDataColumn* raw = column.get();
  mColumns.insert(it, std::move(column));
  return raw;
}

TSpreadSheetCell* TSpreadSheetDataCells::GetCell(int col, int row, bool create) {
  if (col < 0 || col > SShtMaxCol || row < 0 || row > SShtMaxRow) return nullptr;
  TSpreadSheetDataColumn* column = create ? GetColumn(col) : FindColumn(col);
  if (!column) return nullptr;
  const TSpreadSheetCell* rowHeader = row > 0 && col > 0 ? FindCell(0, row) : nullptr;
  return column->GetCell(row, rowHeader, create);
}

TSpreadSheetCell* TSpreadSheetDataCells::FindCell(int col, int row) const {
  const TSpreadSheetDataColumn* column = FindColumn(col);
  return column ? column->FindCell(row) : nullptr;
}

TSpreadSheetCell* TSpreadSheetDataCells::GetFormatCell(int col, int row) const {
  if (TSpreadSheetCell* c = FindCell(col, row)) return c;
  TSpreadSheetCell* colHeader = FindCell(col, 0);
  TSpreadSheetCell* rowHeader = FindCell(0, row);
  if (colHeader && rowHeader)
    return rowHeader->FormatStamp() > colHeader->FormatStamp() ? rowHeader : colHeader;
  if (colHeader) return colHeader;
  if (rowHeader) return rowHeader;
  return DefaultCell();
}

QString TSpreadSheetDataCells::CellDisplayText(int col, int row) const {
  const TSpreadSheetCell* c = FindCell(col, row);
  return c ? c->DisplayText() : QString();
}

TSpreadSheetCell* TSpreadSheetDataCells::PlaceRecord(const TSpreadSheetCell& source, TSpreadSheetFormuler* probe) {
  const int col = source.Col(), row = source.Row();
  if (col > 0 && row > 0 && col <= SShtMaxCol && row <= SShtMaxRow) {
    TSpreadSheetDataColumn* column = GetColumn(col);
    auto& cells = column->mCells;
    // Below the column's last cell: a new cell, whose template (row or
    // column header) Assign would overwrite entirely.
    if (cells.back()->Row() < row) {
      cells.push_back(std::make_unique<TSpreadSheetCell>(col, row, column->mFormuler));
      TSpreadSheetCell* cell = cells.back().get();
      cell->EnterLoaded(source, probe);
      return cell;
    }
  }
  TSpreadSheetCell* cell = GetCell(col, row, true);
  if (cell) cell->Assign(&source);
  return cell;
}

bool TSpreadSheetDataCells::SetCellText(int col, int row, const QString& text) {
  TSpreadSheetCell* c = GetCell(col, row, true);
  if (!c) return false;
  c->SetText(text);
  return true;
}

int TSpreadSheetDataCells::CellCount() const {
  int n = 0;
  for (const auto& c : mColumns) n += c->Count();
  return n;
}

void TSpreadSheetDataCells::ClearAll() {
  const TCellFont font = DefaultCell()->Font();
  ResetColumn0();
  DefaultCell()->SetFontExact(font);
}

void TSpreadSheetDataCells::DropColumn(int col) {
  if (col < 1) return;
  auto it = LowerBound(col);
  if (it != mColumns.end() && (*it)->Col() == col) mColumns.erase(it);
}

void TSpreadSheetDataCells::DeleteRect(const TGridRect& r) {
  for (auto it = mColumns.begin(); it != mColumns.end();) {
    TSpreadSheetDataColumn* c = it->get();
    if (c->Col() >= r.Left && c->Col() <= r.Right) {
      c->DeleteRows(r.Top, r.Bottom);
      if (c->Count() == 0 && c->Col() != 0) {
        it = mColumns.erase(it);
        continue;
      }
    }
    ++it;
  }
}

void TSpreadSheetDataCells::DeleteHeaderSel(const THeaderSelection& sel) {
  switch (sel.Kind) {
    case 1: {
      const int a = std::max(1, std::min(sel.Col1, sel.Col2)), b = std::max(sel.Col1, sel.Col2);
      mColumns.erase(std::remove_if(mColumns.begin() + 1, mColumns.end(),
                                    [&](const auto& c) { return c->Col() >= a && c->Col() <= b; }),
                     mColumns.end());
      break;
    }
    case 2:
      for (auto& c : mColumns) c->DeleteRows(std::min(sel.Row1, sel.Row2), std::max(sel.Row1, sel.Row2));
      break;
    case 3:
      ClearAll();
      break;
    default:
      break;
  }
}

void TSpreadSheetDataCells::EraseRect(const TGridRect& r) {
  for (auto& c : mColumns)
    if (c->Col() >= r.Left && c->Col() <= r.Right) c->EraseRows(r.Top, r.Bottom);
}

void TSpreadSheetDataCells::EraseHeaderSel(const THeaderSelection& sel) {
  switch (sel.Kind) {
    case 1: {
      const int a = std::min(sel.Col1, sel.Col2), b = std::max(sel.Col1, sel.Col2);
      for (auto& c : mColumns)
        if (c->Col() >= a && c->Col() <= b) c->EraseAll();
      break;
    }
    case 2:
      for (auto& c : mColumns) c->EraseRows(std::min(sel.Row1, sel.Row2), std::max(sel.Row1, sel.Row2));
      break;
    case 3:
      for (auto& c : mColumns) c->EraseAll();
      break;
    default:
      break;
  }
}

void TSpreadSheetDataCells::MoveColumn(int from, int to) {
  if (from == to || from < 1 || to < 1 || from > SShtMaxCol || to > SShtMaxCol) return;
  std::unique_ptr<TSpreadSheetDataColumn> moved;
  if (auto it = LowerBound(from); it != mColumns.end() && (*it)->Col() == from) {
    moved = std::move(*it);
    mColumns.erase(it);
  }
  for (auto& c : mColumns) {
    if (from < to && c->Col() > from && c->Col() <= to)
      c->Renumber(c->Col() - 1);
    else if (from > to && c->Col() >= to && c->Col() < from)
      c->Renumber(c->Col() + 1);
  }
  if (moved) {
    moved->Renumber(to);
    mColumns.insert(LowerBound(to), std::move(moved));
  }
}

void TSpreadSheetDataCells::MoveRowAll(int from, int to) {
  for (auto& c : mColumns) c->MoveRow(from, to);
}

bool TSpreadSheetDataCells::ShiftColumns(int from, int n) {
  if (n <= 0) return true;
  from = std::max(from, 1);
  if (mColumns.back()->Col() >= from && mColumns.back()->Col() + n > SShtMaxCol) return false;
  for (auto it = LowerBound(from); it != mColumns.end(); ++it) (*it)->Renumber((*it)->Col() + n);
  return true;
}

bool TSpreadSheetDataCells::ShiftRowsAll(int from, int n) {
  if (n <= 0) return true;
  for (auto& c : mColumns)
    if (c->LastRow() >= std::max(from, 1) && (long long)c->LastRow() + n > SShtMaxRow) return false;
  for (auto& c : mColumns) c->ShiftRows(from, n);
  return true;
}

void TSpreadSheetDataCells::DeleteColumnsShift(int a, int b) {
  a = std::max(a, 1);
  if (b < a) return;
  mColumns.erase(std::remove_if(mColumns.begin() + 1, mColumns.end(),
                                [&](const auto& c) { return c->Col() >= a && c->Col() <= b; }),
                 mColumns.end());
  const int k = b - a + 1;
  for (auto& c : mColumns)
    if (c->Col() > b) c->Renumber(c->Col() - k);
}

void TSpreadSheetDataCells::DeleteRowsShiftAll(int a, int b) {
  for (auto& c : mColumns) c->DeleteRowsShift(a, b);
}

namespace {
void ShiftSizesDown(std::map<int, int>& sizes, int a, int b) {
  if (b < a) return;
  const int k = b - a + 1;
  std::map<int, int> out;
  for (const auto& [i, w] : sizes) {
    if (i < a)
      out[i] = w;
    else if (i > b)
      out[i - k] = w;
  }
  sizes.swap(out);
}
}  // namespace

void TSpreadSheetDataCells::RemoveColumns(int a, int b) {
  a = std::max(a, 1);
  if (b < a) return;
  DeleteColumnsShift(a, b);
  ShiftSizesDown(mColWidths, a, b);
}

void TSpreadSheetDataCells::RemoveRows(int a, int b) {
  a = std::max(a, 1);
  if (b < a) return;
  DeleteRowsShiftAll(a, b);
  ShiftSizesDown(mRowHeights, a, b);
}

void TSpreadSheetDataCells::Sort(int col, int top, int bottom, bool descending) {
  if (col == -1) {
    for (auto& c : mColumns)
      if (c->Col() > 0) c->Sort(top, bottom, descending);
    return;
  }
  if (TSpreadSheetDataColumn* c = FindColumn(col)) c->Sort(top, bottom, descending);
}

bool TSpreadSheetDataCells::FindText(const QString& text, int& col, int& row) const {
  int r = row;
  for (const auto& c : mColumns) {
    if (c->Col() < col) continue;
    if (c->Col() > col) r = 1;
    if (c->FindText(text, r)) {
      col = c->Col();
      row = r;
      return true;
    }
  }
  return false;
}

namespace {

// The number a formula reads from a cell.
inline bool CellNumber(const TSpreadSheetCell* cell, double& out) {
  if (cell->Text().isEmpty()) {  // an erased cell reads like a missing one
    out = 0;
    return true;
  }
  const TCellValue& v = cell->Value();
  if (v.Kind() == TCellValue::vkNumber) {
    out = v.AsNumber();
    return true;
  }
  return v.ToNumber(out);
}

}  // namespace

bool TSpreadSheetDataCells::ReadNumber(int col, int row, double& out) {
  const TSpreadSheetCell* cell = FindCell(col, row);
  if (!cell) {
    out = 0;
    return true;
  }
  return CellNumber(cell, out);
}

bool TSpreadSheetDataCells::ReadRange(int c1, int r1, int c2, int r2, double* out) {
  const long long height = (long long)r2 - r1 + 1;
  for (auto it = LowerBound(c1); it != mColumns.end() && (*it)->Col() <= c2; ++it) {
    const int c = (*it)->Col();
    const auto& cells = (*it)->mCells;
    auto ct = RowLowerBound(cells.begin(), cells.end(), r1);
    for (; ct != cells.end() && (*ct)->Row() <= r2; ++ct) {
      const TSpreadSheetCell* cell = ct->get();
      if (!CellNumber(cell, out[(c - c1) * height + (cell->Row() - r1)])) return false;
    }
  }
  return true;
}

void TSpreadSheetDataCells::RecalcAll() {
  TSheetLocaleScope locale;
  for (auto& c : mColumns) c->RecalcAll();
}

namespace {

// Every reference and range bound of a prepared formula, as the evaluator
// would read them: a cell name not followed by "(", and "X:Y" pairs.
template <class F>
void ForEachReference(std::string_view s, F&& visit) {
  auto isLetter = [](char c) { return c >= 'A' && c <= 'Z'; };
  auto isIdent = [&](char c) { return isLetter(c) || (c >= '0' && c <= '9') || c == '_'; };
  size_t i = 0;
  while (i < s.size()) {
    if (!isLetter(s[i]) && s[i] != '_') {
      // Digits of a number never start a reference ("2A1" is not one).
      if (s[i] >= '0' && s[i] <= '9')
        while (i < s.size() && isIdent(s[i])) ++i;
      else
        ++i;
      continue;
    }
    size_t j = i;
    while (j < s.size() && isIdent(s[j])) ++j;
    int c1, r1;
    const bool ref = (j >= s.size() || s[j] != '(') &&
                     TSpreadSheetFormuler::ParseCellRef(s.substr(i, j - i), c1, r1);
    i = j;
    if (!ref) continue;
    int c2 = c1, r2 = r1;
    if (i < s.size() && s[i] == ':') {
      size_t k = i + 1;
      while (k < s.size() && isIdent(s[k])) ++k;
      if (TSpreadSheetFormuler::ParseCellRef(s.substr(i + 1, k - i - 1), c2, r2)) i = k;
    }
    if (c1 > c2) std::swap(c1, c2);
    if (r1 > r2) std::swap(r1, r2);
    visit(c1, r1, std::min(c2, SShtMaxCol), std::min(r2, SShtMaxRow));
  }
}

}  // namespace

int TSpreadSheetDataCells::Recalculate() {
  TSheetLocaleScope locale;
  // Number the formulas; only formulas can be stale, so only they are nodes.
  std::vector<TSpreadSheetCell*> nodes;
  // Columns without a formula give no edges: their cells are not looked at.
  std::vector<char> hasFormula(mColumns.size(), 0);
  for (size_t k = 0; k < mColumns.size(); ++k)
    for (auto& cell : mColumns[k]->mCells)
      if (cell->IsFormula()) {
        cell->Extra().RecalcIndex = int(nodes.size());
        nodes.push_back(cell.get());
        hasFormula[k] = 1;
      }
  if (nodes.empty()) return 0;
  // The formulas each formula reads (compressed rows).
  std::vector<int> first(nodes.size() + 1), edges;
  for (size_t n = 0; n < nodes.size(); ++n) {
    first[n] = int(edges.size());
    ForEachReference(nodes[n]->FormulaBytes(), [&](int c1, int r1, int c2, int r2) {
      for (auto it = LowerBound(c1); it != mColumns.end() && (*it)->Col() <= c2; ++it) {
        if (!hasFormula[size_t(it - mColumns.begin())]) continue;
        const auto& cells = (*it)->mCells;
        auto ct = RowLowerBound(cells.begin(), cells.end(), r1);
        for (; ct != cells.end() && (*ct)->Row() <= r2; ++ct)
          if ((*ct)->IsFormula()) edges.push_back((*ct)->mExtra->RecalcIndex);
      }
    });
  }
  first[nodes.size()] = int(edges.size());
  // Strongly connected components, iteratively (chains can be as long as
  // the sheet). A component is complete only after every component it reads,
  // so evaluating them as they complete is a dependency order; a component
  // of more than one formula, or one reading itself, is a circular reference.
  const int count = int(nodes.size());
  std::vector<int> index(size_t(count), -1), low(size_t(count), 0), stack, component;
  std::vector<char> onStack(size_t(count), 0);
  std::vector<std::pair<int, int>> frames;  // node, next edge
  int counter = 0;
  for (int root = 0; root < count; ++root) {
    if (index[size_t(root)] >= 0) continue;
    frames.push_back({root, first[size_t(root)]});
    index[size_t(root)] = low[size_t(root)] = counter++;
    stack.push_back(root);
    onStack[size_t(root)] = 1;
    while (!frames.empty()) {
      auto& [v, e] = frames.back();
      if (e < first[size_t(v) + 1]) {
        const int w = edges[size_t(e++)];
        if (index[size_t(w)] < 0) {
          index[size_t(w)] = low[size_t(w)] = counter++;
          stack.push_back(w);
          onStack[size_t(w)] = 1;
          frames.push_back({w, first[size_t(w)]});
        } else if (onStack[size_t(w)]) {
          low[size_t(v)] = std::min(low[size_t(v)], index[size_t(w)]);
        }
        continue;
      }
      const int done = v;
      frames.pop_back();
      if (!frames.empty()) low[size_t(frames.back().first)] = std::min(low[size_t(frames.back().first)], low[size_t(done)]);
      if (low[size_t(done)] != index[size_t(done)]) continue;
      component.clear();
      int w;
      do {
        w = stack.back();
        stack.pop_back();
        onStack[size_t(w)] = 0;
        component.push_back(w);
      } while (w != done);
      bool cycle = component.size() > 1;
      if (!cycle)
        for (int k = first[size_t(done)]; k < first[size_t(done) + 1]; ++k) cycle |= edges[size_t(k)] == done;
      for (int m : component) {
        TSpreadSheetCell* c = nodes[size_t(m)];
        if (cycle) {
          c->SetError();
        } else {
          c->Recalc();
        }
      }
    }
  }
  for (TSpreadSheetCell* c : nodes) {
    c->mExtra->RecalcIndex = -1;
    c->TrimExtra();
  }
  return 1;
}

TGridRect TSpreadSheetDataCells::UsedExtent() const {
  int maxCol = 1, maxRow = 1;
  for (const auto& c : mColumns) {
    maxRow = std::max(maxRow, c->LastRow());
    if (c->Col() > 0) maxCol = std::max(maxCol, c->Col());
  }
  if (!mColWidths.empty()) maxCol = std::max(maxCol, std::min(mColWidths.rbegin()->first, SShtMaxCol));
  if (!mRowHeights.empty()) maxRow = std::max(maxRow, std::min(mRowHeights.rbegin()->first, SShtMaxRow));
  return {1, 1, maxCol, maxRow};
}

TGridRect TSpreadSheetDataCells::CellExtent() const {
  int maxCol = 1, maxRow = 1;
  for (const auto& c : mColumns) {
    if (c->Col() == 0) continue;
    maxRow = std::max(maxRow, c->LastRow());
    maxCol = std::max(maxCol, c->Col());
  }
  return {1, 1, maxCol, maxRow};
}

TDateTime TSpreadSheetDataCells::NextFormatStamp() const {
  double latest = 0;
  for (const auto& c : mColumns) latest = std::max(latest, c->mCells.front()->FormatStamp());
  for (const auto& c : mColumns.front()->mCells) latest = std::max(latest, c->FormatStamp());
  const TDateTime now = Now();
  return now > latest ? now : std::nextafter(latest, HUGE_VAL);
}

bool TSpreadSheetDataCells::IterMatches(const THeaderSelection& sel, const TSpreadSheetCell* c) const {
  switch (sel.Kind) {
    case 1:
      return c->Col() >= std::min(sel.Col1, sel.Col2) && c->Col() <= std::max(sel.Col1, sel.Col2);
    case 2:
      return c->Row() >= std::min(sel.Row1, sel.Row2) && c->Row() <= std::max(sel.Row1, sel.Row2);
    case 3:
      return true;
    default:
      return false;
  }
}

bool TSpreadSheetDataCells::AdvanceIter(THeaderSelection& sel) {
  // Moves the cursor to the next matching cell at or after its position.
  while (sel.IterColumn >= 0 && sel.IterColumn < int(mColumns.size())) {
    const auto& cells = mColumns[size_t(sel.IterColumn)]->mCells;
    while (sel.IterCell >= 0 && sel.IterCell < int(cells.size())) {
      if (IterMatches(sel, cells[size_t(sel.IterCell)].get())) return true;
      ++sel.IterCell;
    }
    ++sel.IterColumn;
    sel.IterCell = 0;
  }
  sel.IterColumn = -1;
  sel.IterCell = -1;
  return false;
}

TSpreadSheetCell* TSpreadSheetDataCells::FirstCell(THeaderSelection& sel) {
  sel.IterColumn = -1;
  sel.IterCell = -1;
  if (sel.Kind == 1) {
    const int a = std::max(1, std::min(sel.Col1, sel.Col2)),
              b = std::min(SShtMaxCol, std::max(sel.Col1, sel.Col2));
    for (int c = a; c <= b; ++c) {
      TSpreadSheetCell* h = GetCell(c, 0, true);
      h->SetFormatStamp(NextFormatStamp());
    }
  } else if (sel.Kind == 2) {
    const int a = std::max(1, std::min(sel.Row1, sel.Row2)),
              b = std::min(SShtMaxRow, std::max(sel.Row1, sel.Row2));
    // Whole-row selections come from the grid's visible rows; a runaway
    // range would only create cells nobody asked for.
    for (int r = a; r <= b && r - a < 1000000; ++r) {
      TSpreadSheetCell* h = GetCell(0, r, true);
      h->SetFormatStamp(NextFormatStamp());
    }
  } else if (sel.Kind != 3) {
    return nullptr;
  }
  sel.IterColumn = 0;
  sel.IterCell = 0;
  if (!AdvanceIter(sel)) return nullptr;
  return mColumns[size_t(sel.IterColumn)]->mCells[size_t(sel.IterCell)].get();
}

TSpreadSheetCell* TSpreadSheetDataCells::NextCell(THeaderSelection& sel) {
  if (sel.IterColumn < 0) return nullptr;
  ++sel.IterCell;
  if (!AdvanceIter(sel)) return nullptr;
  return mColumns[size_t(sel.IterColumn)]->mCells[size_t(sel.IterCell)].get();
}

namespace {
// Sizes stay within what sheet files accept, so that whatever is set can be
// saved and read back.
int ClampSize(int v) { return std::clamp(v, 0, TSpreadSheetDataCells::MaxSize); }
}  // namespace

void TSpreadSheetDataCells::SetDefaultColWidth(int w) {
  mDefaultColWidth = ClampSize(w);
  mColWidths.clear();
}
void TSpreadSheetDataCells::SetDefaultRowHeight(int h) {
  mDefaultRowHeight = ClampSize(h);
  mRowHeights.clear();
}
int TSpreadSheetDataCells::ColWidth(int col) const {
  auto it = mColWidths.find(col);
  return it == mColWidths.end() ? mDefaultColWidth : it->second;
}
void TSpreadSheetDataCells::SetColWidth(int col, int w) {
  if (col < 0 || col > SShtMaxCol) return;
  w = ClampSize(w);
  if (w == mDefaultColWidth)
    mColWidths.erase(col);
  else
    mColWidths[col] = w;
}
int TSpreadSheetDataCells::RowHeight(int row) const {
  auto it = mRowHeights.find(row);
  return it == mRowHeights.end() ? mDefaultRowHeight : it->second;
}
void TSpreadSheetDataCells::SetRowHeight(int row, int h) {
  if (row < 0 || row > SShtMaxRow) return;
  h = ClampSize(h);
  if (h == mDefaultRowHeight)
    mRowHeights.erase(row);
  else
    mRowHeights[row] = h;
}
void TSpreadSheetDataCells::ResetSizes() {
  mColWidths.clear();
  mRowHeights.clear();
}

void TSpreadSheetDataCells::Swap(TSpreadSheetDataCells& other) {
  mColumns.swap(other.mColumns);
  std::swap(mDefaultColWidth, other.mDefaultColWidth);
  std::swap(mDefaultRowHeight, other.mDefaultRowHeight);
  mColWidths.swap(other.mColWidths);
  mRowHeights.swap(other.mRowHeights);
  for (auto& c : mColumns) c->SetFormuler(mFormuler.get());
  for (auto& c : other.mColumns) c->SetFormuler(other.mFormuler.get());
}

std::unique_ptr<TSpreadSheetDataCells> TSpreadSheetDataCells::NewEmptyLike() const {
  auto s = std::make_unique<TSpreadSheetDataCells>();
  s->DefaultCell()->SetFontExact(DefaultCell()->Font());
  s->mDefaultColWidth = mDefaultColWidth;
  s->mDefaultRowHeight = mDefaultRowHeight;
  return s;
}

}  // namespace Tarnwell
