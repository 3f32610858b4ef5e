#include "TGrids.h"

#include <QApplication>
#include <QKeyEvent>
#include <QLineEdit>
#include <QLocale>
#include <QMouseEvent>
#include <QPainter>
#include <QScrollBar>
#include <QStyle>
#include <QWheelEvent>
#include <algorithm>

#include <Tarnwell/platform/TAccessible.h>
#include <Tarnwell/platform/TDateTime.h>

TARNWELL_LIBRARY_ACCESSIBLE(grids)

namespace Tarnwell {

QString TCustomGrid::CellDisplayText(int, int) const { return QString(); }

namespace {
// How near (pixels) to a column or row edge a press starts sizing.
constexpr int kSizingMargin = 3;
}  // namespace

TCustomGrid::TCustomGrid(QWidget* parent) : QAbstractScrollArea(parent) {
  setFocusPolicy(Qt::StrongFocus);
  viewport()->setMouseTracking(true);
  viewport()->setAttribute(Qt::WA_OpaquePaintEvent);
  mEditor = new QLineEdit(viewport());
  mEditor->setFrame(false);
  mEditor->hide();
  mEditor->installEventFilter(this);
  mFont.changed = [this] { FontViewChanged(); };
  UpdateScrollBars();
}

void TCustomGrid::FontViewChanged() {
  viewport()->update();
  Q_EMIT FontChanged(font());
}

TCustomGrid::~TCustomGrid() = default;

void TCustomGrid::CountsChanged() {
  ClampCurrent();
  UpdateScrollBars();
  viewport()->update();
}

void TCustomGrid::ClampCurrent() {
  mCol = std::clamp(mCol, mFixedCols, mColCount - 1);
  mRow = std::clamp(mRow, mFixedRows, mRowCount - 1);
  mAnchorCol = std::clamp(mAnchorCol, mFixedCols, mColCount - 1);
  mAnchorRow = std::clamp(mAnchorRow, mFixedRows, mRowCount - 1);
  mLeftCol = std::clamp(mLeftCol, mFixedCols, mColCount - 1);
  mTopRow = std::clamp(mTopRow, mFixedRows, mRowCount - 1);
}

void TCustomGrid::setDefaultColWidth(int w) {
  w = std::max(w, 0);
  if (w == mDefaultColWidth && mColWidths.empty()) return;
  const bool changed = w != mDefaultColWidth;
  mDefaultColWidth = w;
  mColWidths.clear();
  ColWidthsChanged();
  UpdateScrollBars();
  viewport()->update();
  if (changed) Q_EMIT DefaultColWidthChanged(w);
}

void TCustomGrid::setDefaultRowHeight(int h) {
  h = std::max(h, 0);
  if (h == mDefaultRowHeight && mRowHeights.empty()) return;
  const bool changed = h != mDefaultRowHeight;
  mDefaultRowHeight = h;
  mRowHeights.clear();
  RowHeightsChanged();
  UpdateScrollBars();
  viewport()->update();
  if (changed) Q_EMIT DefaultRowHeightChanged(h);
}

int TCustomGrid::ColWidth(int col) const {
  auto it = mColWidths.find(col);
  return it == mColWidths.end() ? mDefaultColWidth : it->second;
}

void TCustomGrid::SetColWidth(int col, int w) {
  w = std::max(w, 0);
  if (col < 0 || col >= mColCount || ColWidth(col) == w) return;
  mColWidths[col] = w;
  ColWidthsChanged();
  UpdateScrollBars();
  viewport()->update();
}

int TCustomGrid::RowHeight(int row) const {
  auto it = mRowHeights.find(row);
  return it == mRowHeights.end() ? mDefaultRowHeight : it->second;
}

void TCustomGrid::SetRowHeight(int row, int h) {
  h = std::max(h, 0);
  if (row < 0 || row >= mRowCount || RowHeight(row) == h) return;
  mRowHeights[row] = h;
  RowHeightsChanged();
  UpdateScrollBars();
  viewport()->update();
}

void TCustomGrid::setOptions(TGridOptions o) {
  if (o == mOptions) return;
  mOptions = o;
  if (!(o & goEditing)) CancelEditor();
  viewport()->update();
  OptionsApplied();
  Q_EMIT OptionsChanged(o);
}

TColor TCustomGrid::Color() const { return mColor.Color(); }

void TCustomGrid::setColor(TColor c) {
  const TColor before = Color();
  mColor.SetColor(c);
  if (Color() != before) Q_EMIT ColorChanged(ColorQColor());
}

// Grids show many cells: as many as fit a comfortable window, never more than
// there are. The minimum keeps the fixed cells and one scrollable cell.
QSize TCustomGrid::sizeHint() const {
  ensurePolished();
  int w = 0, h = 0;
  for (int c = 0; c < std::min(mColCount, 8); ++c) w += ColWidth(c) + mGridLineWidth;
  for (int r = 0; r < std::min(mRowCount, 12); ++r) h += RowHeight(r) + mGridLineWidth;
  const int frame = 2 * frameWidth();
  const int bar = style()->pixelMetric(QStyle::PM_ScrollBarExtent, nullptr, this);
  if (mColCount > 8) h += bar;
  if (mRowCount > 12) w += bar;
  return QSize(std::min(w, 800) + frame, std::min(h, 600) + frame);
}

QSize TCustomGrid::minimumSizeHint() const {
  ensurePolished();
  const int frame = 2 * frameWidth();
  const int bar = style()->pixelMetric(QStyle::PM_ScrollBarExtent, nullptr, this);
  const int w = FixedWidth() + (mFixedCols < mColCount ? ColWidth(mFixedCols) + mGridLineWidth : 0);
  const int h = FixedHeight() + (mFixedRows < mRowCount ? RowHeight(mFixedRows) + mGridLineWidth : 0);
  return QSize(std::min(w, 400) + frame + bar, std::min(h, 300) + frame + bar);
}

// ---------------------------------------------------------------- geometry

QRect TCustomGrid::ViewRect() const { return viewport()->rect(); }

int TCustomGrid::FixedWidth() const {
  int w = 0;
  for (int c = 0; c < mFixedCols; ++c) w += ColWidth(c) + mGridLineWidth;
  return w;
}

int TCustomGrid::FixedHeight() const {
  int h = 0;
  for (int r = 0; r < mFixedRows; ++r) h += RowHeight(r) + mGridLineWidth;
  return h;
}

int TCustomGrid::ColLeft(int col) const {
  if (col < 0 || col >= mColCount) return -1;
  const int limit = ViewRect().width();
  int x = 0;
  if (col < mFixedCols) {
    for (int c = 0; c < col; ++c) x += ColWidth(c) + mGridLineWidth;
    return x < limit ? x : -1;
  }
  if (col < mLeftCol) return -1;
  x = FixedWidth();
  for (int c = mLeftCol; c < col; ++c) {
    x += ColWidth(c) + mGridLineWidth;
    if (x >= limit) return -1;
  }
  return x < limit ? x : -1;
}

int TCustomGrid::RowTop(int row) const {
  if (row < 0 || row >= mRowCount) return -1;
  const int limit = ViewRect().height();
  int y = 0;
  if (row < mFixedRows) {
    for (int r = 0; r < row; ++r) y += RowHeight(r) + mGridLineWidth;
    return y < limit ? y : -1;
  }
  if (row < mTopRow) return -1;
  y = FixedHeight();
  for (int r = mTopRow; r < row; ++r) {
    y += RowHeight(r) + mGridLineWidth;
    if (y >= limit) return -1;
  }
  return y < limit ? y : -1;
}

TRect TCustomGrid::CellRect(int col, int row) const {
  const int x = ColLeft(col), y = RowTop(row);
  if (x < 0 || y < 0) return TRect();
  return Bounds(x, y, ColWidth(col), RowHeight(row));
}

void TCustomGrid::MouseToCell(int x, int y, int& col, int& row) const {
  col = row = -1;
  if (x >= 0) {
    int cx = 0;
    for (int c = 0; c < mFixedCols && col < 0; ++c) {
      cx += ColWidth(c) + mGridLineWidth;
      if (x < cx) col = c;
    }
    for (int c = mLeftCol; col < 0 && c < mColCount && cx <= x; ++c) {
      cx += ColWidth(c) + mGridLineWidth;
      if (x < cx) col = c;
    }
  }
  if (y >= 0) {
    int cy = 0;
    for (int r = 0; r < mFixedRows && row < 0; ++r) {
      cy += RowHeight(r) + mGridLineWidth;
      if (y < cy) row = r;
    }
    for (int r = mTopRow; row < 0 && r < mRowCount && cy <= y; ++r) {
      cy += RowHeight(r) + mGridLineWidth;
      if (y < cy) row = r;
    }
  }
}

void TCustomGrid::MouseToCellClamped(int x, int y, int& col, int& row) const {
  const QRect v = ViewRect();
  MouseToCell(std::clamp(x, 0, std::max(0, v.width() - 1)), std::clamp(y, 0, std::max(0, v.height() - 1)),
              col, row);
  // Beyond the last cell: the last visible one.
  if (col < 0) col = std::min(mColCount - 1, mLeftCol + VisibleColCount());
  if (row < 0) row = std::min(mRowCount - 1, mTopRow + VisibleRowCount());
}

TGridState TCustomGrid::CalcSizingState(int x, int y, int& index) const {
  index = -1;
  if ((mOptions & goColSizing) && y >= 0 && y < FixedHeight()) {
    int cx = 0;
    auto test = [&](int c) {
      cx += ColWidth(c) + mGridLineWidth;
      if (std::abs(x - cx) <= kSizingMargin) index = c;
    };
    for (int c = 0; c < mFixedCols && index < 0; ++c) test(c);
    for (int c = mLeftCol; c < mColCount && index < 0 && cx <= x + kSizingMargin; ++c) test(c);
    if (index >= 0) return gsColSizing;
  }
  if ((mOptions & goRowSizing) && x >= 0 && x < FixedWidth()) {
    int cy = 0;
    auto test = [&](int r) {
      cy += RowHeight(r) + mGridLineWidth;
      if (std::abs(y - cy) <= kSizingMargin) index = r;
    };
    for (int r = 0; r < mFixedRows && index < 0; ++r) test(r);
    for (int r = mTopRow; r < mRowCount && index < 0 && cy <= y + kSizingMargin; ++r) test(r);
    if (index >= 0) return gsRowSizing;
  }
  return gsNormal;
}

int TCustomGrid::VisibleColCount() const {
  const int avail = ViewRect().width() - FixedWidth();
  int n = 0, w = 0;
  for (int c = mLeftCol; c < mColCount; ++c) {
    w += ColWidth(c) + mGridLineWidth;
    if (w > avail) break;
    ++n;
  }
  return std::max(n, 1);
}

int TCustomGrid::VisibleRowCount() const {
  const int avail = ViewRect().height() - FixedHeight();
  int n = 0, h = 0;
  for (int r = mTopRow; r < mRowCount; ++r) {
    h += RowHeight(r) + mGridLineWidth;
    if (h > avail) break;
    ++n;
  }
  return std::max(n, 1);
}

// ---------------------------------------------------------------- scrolling

void TCustomGrid::UpdateScrollBars() {
  // The last top row / left column that still fills the view.
  const int availH = ViewRect().height() - FixedHeight();
  int maxTop = mRowCount - 1, h = 0;
  for (int r = mRowCount - 1; r >= mFixedRows; --r) {
    h += RowHeight(r) + mGridLineWidth;
    if (h > availH) break;
    maxTop = r;
  }
  const int availW = ViewRect().width() - FixedWidth();
  int maxLeft = mColCount - 1, w = 0;
  for (int c = mColCount - 1; c >= mFixedCols; --c) {
    w += ColWidth(c) + mGridLineWidth;
    if (w > availW) break;
    maxLeft = c;
  }
  maxTop = std::max(maxTop, mFixedRows);
  maxLeft = std::max(maxLeft, mFixedCols);
  mUpdatingBars = true;
  verticalScrollBar()->setRange(mFixedRows, maxTop);
  verticalScrollBar()->setPageStep(VisibleRowCount());
  verticalScrollBar()->setValue(mTopRow);
  horizontalScrollBar()->setRange(mFixedCols, maxLeft);
  horizontalScrollBar()->setPageStep(VisibleColCount());
  horizontalScrollBar()->setValue(mLeftCol);
  mUpdatingBars = false;
}

void TCustomGrid::SetTopLeft(int col, int row) {
  col = std::clamp(col, mFixedCols, mColCount - 1);
  row = std::clamp(row, mFixedRows, mRowCount - 1);
  if (col == mLeftCol && row == mTopRow) return;
  mLeftCol = col;
  mTopRow = row;
  UpdateScrollBars();
  PlaceEditor();
  viewport()->update();
  TopLeftChanged();
}

void TCustomGrid::scrollContentsBy(int, int) {
  if (mUpdatingBars) return;
  const int col = horizontalScrollBar()->value(), row = verticalScrollBar()->value();
  if (col == mLeftCol && row == mTopRow) return;
  mLeftCol = std::clamp(col, mFixedCols, mColCount - 1);
  mTopRow = std::clamp(row, mFixedRows, mRowCount - 1);
  PlaceEditor();
  viewport()->update();
  TopLeftChanged();
}

void TCustomGrid::ScrollIntoView(int col, int row) {
  int left = mLeftCol, top = mTopRow;
  if (col >= mFixedCols) {
    if (col < left) {
      left = col;
    } else {
      // Scroll right until col is wholly visible.
      const int avail = ViewRect().width() - FixedWidth();
      int w = 0;
      for (int c = col; c >= mFixedCols; --c) {
        w += ColWidth(c) + mGridLineWidth;
        if (w > avail) {
          left = std::max(left, std::min(col, c + 1));
          break;
        }
        if (c == left) break;
      }
    }
  }
  if (row >= mFixedRows) {
    if (row < top) {
      top = row;
    } else {
      const int avail = ViewRect().height() - FixedHeight();
      int h = 0;
      for (int r = row; r >= mFixedRows; --r) {
        h += RowHeight(r) + mGridLineWidth;
        if (h > avail) {
          top = std::max(top, std::min(row, r + 1));
          break;
        }
        if (r == top) break;
      }
    }
  }
  SetTopLeft(left, top);
}

void TCustomGrid::resizeEvent(QResizeEvent* e) {
  QAbstractScrollArea::resizeEvent(e);
  UpdateScrollBars();
  PlaceEditor();
}

void TCustomGrid::wheelEvent(QWheelEvent* e) {
  const int steps = e->angleDelta().y() / 40;  // three rows per notch
  if (steps != 0) setTopRow(mTopRow - steps);
  e->accept();
}

// ---------------------------------------------------------------- selection

TGridCoordRect TCustomGrid::Selection() const {
  if (mOptions & goRowSelect)
    return {mFixedCols, std::min(mRow, mAnchorRow), mColCount - 1, std::max(mRow, mAnchorRow)};
  return {std::min(mCol, mAnchorCol), std::min(mRow, mAnchorRow), std::max(mCol, mAnchorCol),
          std::max(mRow, mAnchorRow)};
}

void TCustomGrid::SetSelection(const TGridCoordRect& r) {
  mAnchorCol = std::clamp(r.Left, mFixedCols, mColCount - 1);
  mAnchorRow = std::clamp(r.Top, mFixedRows, mRowCount - 1);
  mCol = std::clamp(r.Right, mFixedCols, mColCount - 1);
  mRow = std::clamp(r.Bottom, mFixedRows, mRowCount - 1);
  viewport()->update();
  SelectionMoved();
}

bool TCustomGrid::MoveCurrent(int col, int row, bool extend, bool show) {
  col = std::clamp(col, mFixedCols, mColCount - 1);
  row = std::clamp(row, mFixedRows, mRowCount - 1);
  if (EditorMode() && (col != mCol || row != mRow)) HideEditor();
  if ((col != mCol || row != mRow) && !SelectCell(col, row)) return false;
  const bool anchorMoves = !extend || !(mOptions & goRangeSelect);
  const bool changed =
      col != mCol || row != mRow || (anchorMoves && (mAnchorCol != col || mAnchorRow != row));
  mCol = col;
  mRow = row;
  if (anchorMoves) {
    mAnchorCol = col;
    mAnchorRow = row;
  }
  if (show) ScrollIntoView(col, row);
  if (changed) {
    viewport()->update();
    SelectionMoved();
  }
  return true;
}

bool TCustomGrid::SelectCell(int, int) { return true; }
QString TCustomGrid::GetEditText(int, int) { return QString(); }
QString TCustomGrid::GetEditMask(int, int) { return QString(); }
void TCustomGrid::SetEditText(int, int, const QString&) {}
void TCustomGrid::ColumnMoved(int, int) {}
void TCustomGrid::RowMoved(int, int) {}
void TCustomGrid::TopLeftChanged() {}
void TCustomGrid::PrepareEditor(QLineEdit*, int, int) {}

bool TCustomGrid::CanEditShow() const { return (mOptions & goEditing) && !(mOptions & goRowSelect); }

void TCustomGrid::MoveColumn(int from, int to) {
  if (from == to || from < mFixedCols || to < mFixedCols || from >= mColCount || to >= mColCount) return;
  HideEditor();
  // The width travels with the column.
  const int w = ColWidth(from);
  if (from < to)
    for (int c = from; c < to; ++c) SetColWidth(c, ColWidth(c + 1));
  else
    for (int c = from; c > to; --c) SetColWidth(c, ColWidth(c - 1));
  SetColWidth(to, w);
  ColumnMoved(from, to);
  viewport()->update();
}

void TCustomGrid::MoveRow(int from, int to) {
  if (from == to || from < mFixedRows || to < mFixedRows || from >= mRowCount || to >= mRowCount) return;
  HideEditor();
  const int h = RowHeight(from);
  if (from < to)
    for (int r = from; r < to; ++r) SetRowHeight(r, RowHeight(r + 1));
  else
    for (int r = from; r > to; --r) SetRowHeight(r, RowHeight(r - 1));
  SetRowHeight(to, h);
  RowMoved(from, to);
  viewport()->update();
}

// ---------------------------------------------------------------- painting

void TCustomGrid::InvalidateCell(int col, int row) {
  const TRect r = CellRect(col, row);
  if (!r.IsEmpty()) viewport()->update(r.ToQRect().adjusted(0, 0, mGridLineWidth, mGridLineWidth));
}

void TCustomGrid::InvalidateCol(int col) {
  const int x = ColLeft(col);
  if (x >= 0) viewport()->update(QRect(x, 0, ColWidth(col) + mGridLineWidth, ViewRect().height()));
}

void TCustomGrid::InvalidateRow(int row) {
  const int y = RowTop(row);
  if (y >= 0) viewport()->update(QRect(0, y, ViewRect().width(), RowHeight(row) + mGridLineWidth));
}

void TCustomGrid::InvalidateGrid() { viewport()->update(); }

void TCustomGrid::paintEvent(QPaintEvent* e) {
  QPainter p(viewport());
  PaintGrid(p, e->rect());
}

void TCustomGrid::PaintGrid(QPainter& p, const QRect& clip) {
  const QRect view = ViewRect();
  const TGridCoordRect sel = Selection();
  const bool focused = hasFocus() || (mEditor && mEditor->hasFocus());
  const QColor fixedLine = ToQColor(clBtnShadow, palette());
  const QColor cellLine = ToQColor(clSilver, palette());
  const int lw = mGridLineWidth;
  p.save();
  p.setClipRect(clip);

  // Rows: the fixed ones, then from the top row on until the view is full.
  int y = 0;
  auto paintRow = [&](int row) {
    const int h = RowHeight(row);
    if (y + h + lw > clip.top() && y < clip.bottom() + 1) {
      int x = 0;
      auto paintCell = [&](int col) {
        const int w = ColWidth(col);
        if (x + w + lw > clip.left() && x < clip.right() + 1) {
          const bool fixed = col < mFixedCols || row < mFixedRows;
          TGridDrawState s = 0;
          if (fixed) {
            s |= gdFixed;
          } else {
            if (sel.Contains(col, row)) s |= gdSelected;
            if (col == mCol && row == mRow && focused) s |= gdFocused;
          }
          const TRect r = Bounds(x, y, w, h);
          if (fixed) p.fillRect(r.ToQRect(), ToQColor(mFixedColor, palette()));
          DrawCell(p, col, row, r, s);
          if (lw > 0) {
            const bool vert = fixed ? (mOptions & goFixedVertLine) : (mOptions & goVertLine);
            const bool horz = fixed ? (mOptions & goFixedHorzLine) : (mOptions & goHorzLine);
            const QColor lc = fixed ? fixedLine : cellLine;
            const QColor bg = ToQColor(fixed ? mFixedColor : Color(), palette());
            p.fillRect(x + w, y, lw, h + lw, vert ? lc : bg);
            p.fillRect(x, y + h, w, lw, horz ? lc : bg);
          }
        }
        x += w + lw;
      };
      for (int c = 0; c < mFixedCols; ++c) paintCell(c);
      for (int c = mLeftCol; c < mColCount && x < view.width(); ++c) paintCell(c);
      if (x < view.width()) p.fillRect(x, y, view.width() - x, h + lw, ToQColor(Color(), palette()));
    }
    y += h + lw;
  };
  for (int r = 0; r < mFixedRows; ++r) paintRow(r);
  for (int r = mTopRow; r < mRowCount && y < view.height(); ++r) paintRow(r);
  if (y < view.height()) p.fillRect(0, y, view.width(), view.height() - y, ToQColor(Color(), palette()));

  // The current cell's frame when the grid has the focus.
  if (focused && !EditorMode()) {
    const TRect r = CellRect(mCol, mRow);
    if (!r.IsEmpty()) {
      p.setPen(QPen(ToQColor(clWindowText, palette()), 1, Qt::DotLine));
      p.setBrush(Qt::NoBrush);
      p.drawRect(r.Left, r.Top, r.Width() - 1, r.Height() - 1);
    }
  }
  p.restore();
}

// ---------------------------------------------------------------- mouse

void TCustomGrid::mousePressEvent(QMouseEvent* e) {
  if (e->button() != Qt::LeftButton) return;
  setFocus();
  const QPoint pt = e->position().toPoint();
  int index = -1;
  const TGridState sizing = CalcSizingState(pt.x(), pt.y(), index);
  if (sizing != gsNormal) {
    HideEditor();
    mState = sizing;
    mSizingIndex = index;
    mSizingOrigin = sizing == gsColSizing ? ColLeft(index) : RowTop(index);
    SizingBegun();
    return;
  }
  int col, row;
  MouseToCell(pt.x(), pt.y(), col, row);
  if (col < 0 || row < 0) return;
  if (row < mFixedRows && col >= mFixedCols && (mOptions & goColMoving)) {
    mState = gsColMoving;
    mMoveFrom = col;
    return;
  }
  if (col < mFixedCols && row >= mFixedRows && (mOptions & goRowMoving)) {
    mState = gsRowMoving;
    mMoveFrom = row;
    return;
  }
  if (col < mFixedCols || row < mFixedRows) return;
  const bool extend = (e->modifiers() & Qt::ShiftModifier) != 0;
  if (!extend && col == mCol && row == mRow && (mOptions & goEditing) && !EditorMode()) {
    // A second click on the current cell opens the editor.
    MoveCurrent(col, row, false);
    mState = gsSelecting;
    return;
  }
  MoveCurrent(col, row, extend);
  mState = gsSelecting;
}

void TCustomGrid::mouseMoveEvent(QMouseEvent* e) {
  const QPoint pt = e->position().toPoint();
  switch (mState) {
    case gsColSizing:
      if (mSizingOrigin >= 0) SetColWidth(mSizingIndex, std::max(0, pt.x() - mSizingOrigin));
      break;
    case gsRowSizing:
      if (mSizingOrigin >= 0) SetRowHeight(mSizingIndex, std::max(0, pt.y() - mSizingOrigin));
      break;
    case gsSelecting: {
      // Past an edge the view follows the pointer.
      const QRect v = ViewRect();
      if (pt.x() >= v.width()) setLeftCol(mLeftCol + 1);
      if (pt.y() >= v.height()) setTopRow(mTopRow + 1);
      if (pt.x() < FixedWidth() && mLeftCol > mFixedCols) setLeftCol(mLeftCol - 1);
      if (pt.y() < FixedHeight() && mTopRow > mFixedRows) setTopRow(mTopRow - 1);
      int col, row;
      MouseToCellClamped(pt.x(), pt.y(), col, row);
      col = std::max(col, mFixedCols);
      row = std::max(row, mFixedRows);
      if (mOptions & goRangeSelect) MoveCurrent(col, row, true, false);
      break;
    }
    default: {
      int index;
      const TGridState s = CalcSizingState(pt.x(), pt.y(), index);
      viewport()->setCursor(s == gsColSizing   ? Qt::SplitHCursor
                            : s == gsRowSizing ? Qt::SplitVCursor
                                               : Qt::ArrowCursor);
      break;
    }
  }
}

void TCustomGrid::mouseReleaseEvent(QMouseEvent* e) {
  const QPoint pt = e->position().toPoint();
  const TGridState s = mState;
  mState = gsNormal;
  if (s == gsColSizing || s == gsRowSizing) SizingEnded();
  if (s == gsColMoving || s == gsRowMoving) {
    int col, row;
    MouseToCellClamped(pt.x(), pt.y(), col, row);
    if (s == gsColMoving) MoveColumn(mMoveFrom, std::max(col, mFixedCols));
    if (s == gsRowMoving) MoveRow(mMoveFrom, std::max(row, mFixedRows));
  }
  mMoveFrom = -1;
}

void TCustomGrid::mouseDoubleClickEvent(QMouseEvent* e) {
  int col, row;
  const QPoint pt = e->position().toPoint();
  MouseToCell(pt.x(), pt.y(), col, row);
  if (col == mCol && row == mRow && CanEditShow()) ShowEditor();
}

// ---------------------------------------------------------------- keys

void TCustomGrid::keyPressEvent(QKeyEvent* e) {
  const bool shift = e->modifiers() & Qt::ShiftModifier;
  const bool ctrl = e->modifiers() & Qt::ControlModifier;
  int col = mCol, row = mRow;
  switch (e->key()) {
    case Qt::Key_Left:
      --col;
      break;
    case Qt::Key_Right:
      ++col;
      break;
    case Qt::Key_Up:
      --row;
      break;
    case Qt::Key_Down:
      ++row;
      break;
    case Qt::Key_PageUp:
      row -= VisibleRowCount();
      break;
    case Qt::Key_PageDown:
      row += VisibleRowCount();
      break;
    case Qt::Key_Home:
      col = mFixedCols;
      if (ctrl) row = mFixedRows;
      break;
    case Qt::Key_End:
      col = mColCount - 1;
      if (ctrl) row = mRowCount - 1;
      break;
    case Qt::Key_Tab:
    case Qt::Key_Backtab:
      if (!(mOptions & goTabs)) {
        QAbstractScrollArea::keyPressEvent(e);
        return;
      }
      col += e->key() == Qt::Key_Backtab ? -1 : 1;
      MoveCurrent(col, row, false);
      return;
    case Qt::Key_F2:
    case Qt::Key_Return:
    case Qt::Key_Enter:
      if (CanEditShow()) ShowEditor();
      return;
    default: {
      const QString t = e->text();
      if (!ctrl && !t.isEmpty() && t.at(0).isPrint() && CanEditShow()) {
        StartEditor(&t);
        return;
      }
      QAbstractScrollArea::keyPressEvent(e);
      return;
    }
  }
  MoveCurrent(col, row, shift);
}

// ---------------------------------------------------------------- editor

bool TCustomGrid::EditorMode() const { return mEditCol >= 0; }

void TCustomGrid::SetEditorMode(bool on) {
  if (on)
    ShowEditor();
  else
    HideEditor();
}

void TCustomGrid::ShowEditor() { StartEditor(nullptr); }

// Edit masks are written in the classic mask syntax ("!99/99/0000;1;_": the
// mask, whether literals stay in the text, the blank character). Qt's input
// masks differ in the meaning of most letters, so translate them; "/" and
// ":" stand for the locale's date and time separators.
QString ToQtInputMask(const QString& mask) {
  if (mask.isEmpty()) return QString();
  const QStringList parts = mask.split(QLatin1Char(';'));
  const QString body = parts.value(0);
  const QString blank = parts.size() > 2 && !parts[2].isEmpty() ? parts[2].left(1) : QStringLiteral("_");
  const QString dateSep = LocaleDateSeparator();
  const QString timeSep = LocaleTimeSeparator();
  QString out;
  for (int i = 0; i < body.size(); ++i) {
    const QChar c = body[i];
    switch (c.unicode()) {
      case '!':
        break;  // blank trimming: Qt keeps blanks out of text() anyway
      case '0':
        out += QLatin1Char('9');
        break;  // digit required
      case '9':
        out += QLatin1Char('0');
        break;  // digit optional
      case '#':
        out += QLatin1Char('#');
        break;
      case 'L':
        out += QLatin1Char('A');
        break;
      case 'l':
        out += QLatin1Char('a');
        break;
      case 'A':
        out += QLatin1Char('N');
        break;
      case 'a':
        out += QLatin1Char('n');
        break;
      case 'C':
        out += QLatin1Char('X');
        break;
      case 'c':
        out += QLatin1Char('x');
        break;
      case '>':
      case '<':
        out += c;
        break;
      case '\\':
        if (i + 1 < body.size()) out += QLatin1Char('\\') + body[++i];
        break;
      case '/':
      case ':':
        // The locale's date and time separators, as the classic syntax has it.
        for (QChar sc : c == QLatin1Char('/') ? dateSep : timeSep) {
          if (QStringLiteral("AaNnXx90Dd#HhBb><!{}[]\\").contains(sc)) out += QLatin1Char('\\');
          out += sc;
        }
        break;
      default:
        // Everything else is a literal; escape the ones Qt would read as codes.
        if (QStringLiteral("AaNnXx90Dd#HhBb><!{}[]\\").contains(c)) out += QLatin1Char('\\');
        out += c;
    }
  }
  return out + QLatin1Char(';') + blank;
}

void TCustomGrid::StartEditor(const QString* typed) {
  if (!CanEditShow() || mCol < mFixedCols || mRow < mFixedRows) return;
  if (EditorMode()) {
    if (typed) mEditor->insert(*typed);
    return;
  }
  ScrollIntoView(mCol, mRow);
  mEditCol = mCol;
  mEditRow = mRow;
  mEditor->setInputMask(ToQtInputMask(GetEditMask(mCol, mRow)));
  PrepareEditor(mEditor, mCol, mRow);
  const QString text = GetEditText(mCol, mRow);
  // The baseline is the text as the editor holds it (through its mask), so an
  // untouched masked editor commits nothing.
  mEditor->setText(text);
  mEditor->setProperty("tarnwellOriginal", mEditor->text());
  if (mEditor->inputMask().isEmpty()) {
    if (typed) mEditor->setText(*typed);
    mEditor->end(false);
  } else {
    // A masked editor's end is past its last position, where nothing can be
    // typed: start at the first position, a typed key filling it.
    mEditor->home(false);
    if (typed) {
      mEditor->clear();
      mEditor->home(false);
      mEditor->insert(*typed);
    }
  }
  PlaceEditor();
  mEditor->show();
  mEditor->setFocus();
}

void TCustomGrid::PlaceEditor() {
  if (!EditorMode()) return;
  const TRect r = CellRect(mEditCol, mEditRow);
  if (r.IsEmpty()) {
    mEditor->move(-10000, -10000);
    return;
  }
  mEditor->setGeometry(r.ToQRect());
}

void TCustomGrid::HideEditor() {
  if (!EditorMode() || mInHide) return;
  mInHide = true;
  const int col = mEditCol, row = mEditRow;
  QString text = mEditor->text();
  const QString original = mEditor->property("tarnwellOriginal").toString();
  // An untouched editor changes nothing (no edit to undo, no formula re-entered).
  const bool changed = text != original;
  // A masked editor emptied by the user holds only the mask's literals.
  if (!mEditor->inputMask().isEmpty() &&
      std::none_of(text.begin(), text.end(), [](QChar c) { return c.isLetterOrNumber(); }))
    text.clear();
  mEditCol = mEditRow = -1;
  const bool hadFocus = mEditor->hasFocus();
  mEditor->hide();
  if (hadFocus) setFocus();
  if (changed) SetEditText(col, row, text);
  mInHide = false;
  InvalidateCell(col, row);
}

void TCustomGrid::CancelEditor() {
  if (!EditorMode()) return;
  mEditCol = mEditRow = -1;
  const bool hadFocus = mEditor->hasFocus();
  mEditor->hide();
  if (hadFocus) setFocus();
  viewport()->update();
}

bool TCustomGrid::eventFilter(QObject* o, QEvent* e) {
  if (o == mEditor && EditorMode()) {
    if (e->type() == QEvent::KeyPress) {
      auto* k = static_cast<QKeyEvent*>(e);
      switch (k->key()) {
        case Qt::Key_Return:
        case Qt::Key_Enter:
          HideEditor();
          return true;
        case Qt::Key_Escape:
          CancelEditor();
          return true;
        case Qt::Key_Up:
        case Qt::Key_Down:
        case Qt::Key_PageUp:
        case Qt::Key_PageDown:
        case Qt::Key_Tab:
        case Qt::Key_Backtab:
          HideEditor();
          keyPressEvent(k);
          return true;
        default:
          break;
      }
    } else if (e->type() == QEvent::FocusOut && !mInHide) {
      HideEditor();
    }
  }
  return QAbstractScrollArea::eventFilter(o, e);
}

void TCustomGrid::focusInEvent(QFocusEvent* e) {
  QAbstractScrollArea::focusInEvent(e);
  InvalidateCell(mCol, mRow);
}

void TCustomGrid::focusOutEvent(QFocusEvent* e) {
  QAbstractScrollArea::focusOutEvent(e);
  InvalidateCell(mCol, mRow);
}

// ---------------------------------------------------------------- TDrawGrid

void TDrawGrid::DrawCell(QPainter& p, int col, int row, const TRect& r, TGridDrawState s) {
  if (!(s & gdFixed)) p.fillRect(r.ToQRect(), ToQColor((s & gdSelected) ? clHighlight : Color(), palette()));
  Q_EMIT drawCell(this, p, col, row, r.ToQRect(), s);
  if (OnDrawCell) OnDrawCell(this, p, col, row, r, s);
}

bool TDrawGrid::SelectCell(int col, int row) {
  bool can = true;
  if (OnSelectCell) OnSelectCell(this, col, row, can);
  return can;
}

QString TDrawGrid::GetEditText(int col, int row) {
  QString v;
  if (OnGetEditText) OnGetEditText(this, col, row, v);
  return v;
}

QString TDrawGrid::GetEditMask(int col, int row) {
  QString v;
  if (OnGetEditMask) OnGetEditMask(this, col, row, v);
  return v;
}

void TDrawGrid::SetEditText(int col, int row, const QString& value) {
  TW_FIRE(OnSetEditText, editTextSet, this, col, row, value);
}

void TDrawGrid::ColumnMoved(int from, int to) { TW_FIRE(OnColumnMoved, columnMoved, this, from, to); }

void TDrawGrid::RowMoved(int from, int to) { TW_FIRE(OnRowMoved, rowMoved, this, from, to); }

void TDrawGrid::TopLeftChanged() { TW_FIRE(OnTopLeftChanged, topLeftChanged, this); }

}  // namespace Tarnwell
