// Grids as tables for assistive technology: the grid is a table whose
// cells (fixed ones as headers) give their shown text, their place and
// whether they are selected or current. Only the cells in view are children,
// as a screen shows them: a sheet has millions of cells, and walking them
// all would stall a screen reader; any cell is reached through cellAt().
#include <QAccessibleWidget>
#include <QPointer>
#include <QScrollBar>

#include <Tarnwell/platform/TAccessible.h>

#include "TGrids.h"

namespace Tarnwell {

namespace {

class TGridCell : public QAccessibleInterface, public QAccessibleTableCellInterface {
 public:
  TGridCell(TCustomGrid* g, int col, int row) : mGrid(g), mCol(col), mRow(row) {}
  bool isValid() const override { return mGrid && mCol < mGrid->ColCount() && mRow < mGrid->RowCount(); }
  QObject* object() const override { return nullptr; }
  QAccessibleInterface* parent() const override { return mGrid ? QAccessible::queryAccessibleInterface(mGrid) : nullptr; }
  QAccessibleInterface* child(int) const override { return nullptr; }
  int childCount() const override { return 0; }
  int indexOfChild(const QAccessibleInterface*) const override { return -1; }
  QAccessibleInterface* childAt(int, int) const override { return nullptr; }
  QAccessibleInterface* focusChild() const override { return nullptr; }
  QString text(QAccessible::Text t) const override {
    if (!isValid()) return QString();
    if (t == QAccessible::Name || t == QAccessible::Value) return mGrid->CellDisplayText(mCol, mRow);
    return QString();
  }
  void setText(QAccessible::Text, const QString&) override {}
  QRect rect() const override {
    if (!isValid()) return QRect();
    const QRect r = mGrid->CellRect(mCol, mRow).ToQRect();
    if (r.isEmpty()) return QRect();
    return QRect(mGrid->viewport()->mapToGlobal(r.topLeft()), r.size());
  }
  QAccessible::Role role() const override {
    if (!isValid()) return QAccessible::NoRole;
    if (mRow < mGrid->FixedRows()) return QAccessible::ColumnHeader;
    if (mCol < mGrid->FixedCols()) return QAccessible::RowHeader;
    return QAccessible::Cell;
  }
  QAccessible::State state() const override {
    QAccessible::State s;
    if (!isValid()) {
      s.invalid = true;
      return s;
    }
    s.selectable = mRow >= mGrid->FixedRows() && mCol >= mGrid->FixedCols();
    s.selected = s.selectable && isSelected();
    s.focusable = s.selectable;
    s.focused = mGrid->hasFocus() && mGrid->Col() == mCol && mGrid->Row() == mRow;
    if (mGrid->CellRect(mCol, mRow).IsEmpty()) s.invisible = s.offscreen = true;
    return s;
  }
  void* interface_cast(QAccessible::InterfaceType t) override {
    return t == QAccessible::TableCellInterface ? static_cast<QAccessibleTableCellInterface*>(this) : nullptr;
  }
  bool isSelected() const override { return mGrid && mGrid->Selection().Contains(mCol, mRow); }
  QList<QAccessibleInterface*> columnHeaderCells() const override;
  QList<QAccessibleInterface*> rowHeaderCells() const override;
  int columnIndex() const override { return mCol; }
  int rowIndex() const override { return mRow; }
  int columnExtent() const override { return 1; }
  int rowExtent() const override { return 1; }
  QAccessibleInterface* table() const override { return parent(); }

 private:
  QPointer<TCustomGrid> mGrid;
  int mCol, mRow;
};

class TGridAccessible : public QAccessibleWidget, public QAccessibleTableInterface {
 public:
  explicit TGridAccessible(TCustomGrid* g) : QAccessibleWidget(g, QAccessible::Table) {}
  ~TGridAccessible() override {
    for (QAccessible::Id id : std::as_const(mCells)) QAccessible::deleteAccessibleInterface(id);
  }
  TCustomGrid* Grid() const { return static_cast<TCustomGrid*>(widget()); }

  void* interface_cast(QAccessible::InterfaceType t) override {
    if (t == QAccessible::TableInterface) return static_cast<QAccessibleTableInterface*>(this);
    return QAccessibleWidget::interface_cast(t);
  }
  QString text(QAccessible::Text t) const override {
    if (t == QAccessible::Name) return AccessibleNameOf(widget(), QString());
    if (t == QAccessible::Value) return Grid()->CellDisplayText(Grid()->Col(), Grid()->Row());
    return QAccessibleWidget::text(t);
  }

  // The cells in view: the fixed ones and the scrolled ones shown.
  QList<int> ViewCols() const { return ViewIndexes(true); }
  QList<int> ViewRows() const { return ViewIndexes(false); }
  QList<int> ViewIndexes(bool cols) const {
    const TCustomGrid* g = Grid();
    QList<int> out;
    const int fixed = cols ? g->FixedCols() : g->FixedRows();
    const int count = cols ? g->ColCount() : g->RowCount();
    const int first = cols ? g->LeftCol() : g->TopRow();
    const int visible = (cols ? g->VisibleColCount() : g->VisibleRowCount()) + 1;  // a part-shown last one
    for (int i = 0; i < fixed; ++i) out << i;
    for (int i = first; i < count && i < first + visible; ++i) out << i;
    return out;
  }
  int childCount() const override {
    return int(ViewCols().size() * ViewRows().size()) + QAccessibleWidget::childCount();
  }
  QAccessibleInterface* child(int index) const override {
    const QList<int> cols = ViewCols(), rows = ViewRows();
    const int cells = int(cols.size() * rows.size());
    if (index < 0) return nullptr;
    if (index >= cells) return QAccessibleWidget::child(index - cells);
    return cellAt(rows[index / cols.size()], cols[index % cols.size()]);
  }
  int indexOfChild(const QAccessibleInterface* c) const override {
    if (QAccessibleTableCellInterface* cell = const_cast<QAccessibleInterface*>(c)->tableCellInterface()) {
      const QList<int> cols = ViewCols(), rows = ViewRows();
      const int ci = cols.indexOf(cell->columnIndex()), ri = rows.indexOf(cell->rowIndex());
      if (ci >= 0 && ri >= 0) return int(ri * cols.size() + ci);
      return -1;
    }
    const int w = QAccessibleWidget::indexOfChild(c);
    return w < 0 ? -1 : w + int(ViewCols().size() * ViewRows().size());
  }
  QAccessibleInterface* childAt(int x, int y) const override {
    const QPoint p = Grid()->viewport()->mapFromGlobal(QPoint(x, y));
    int col = -1, row = -1;
    Grid()->MouseToCell(p.x(), p.y(), col, row);
    if (col >= 0 && row >= 0) return cellAt(row, col);
    return QAccessibleWidget::childAt(x, y);
  }

  QAccessibleInterface* caption() const override { return nullptr; }
  QAccessibleInterface* summary() const override { return nullptr; }
  QAccessibleInterface* cellAt(int row, int column) const override {
    const TCustomGrid* g = Grid();
    if (row < 0 || column < 0 || row >= g->RowCount() || column >= g->ColCount()) return nullptr;
    const quint64 key = (quint64(quint32(row)) << 32) | quint32(column);
    auto it = mCells.constFind(key);
    if (it != mCells.constEnd()) return QAccessible::accessibleInterface(*it);
    auto* cell = new TGridCell(const_cast<TCustomGrid*>(g), column, row);
    mCells.insert(key, QAccessible::registerAccessibleInterface(cell));
    return cell;
  }
  int selectedCellCount() const override {
    const TGridCoordRect s = Grid()->Selection();
    return (s.Right - s.Left + 1) * (s.Bottom - s.Top + 1);
  }
  QList<QAccessibleInterface*> selectedCells() const override {
    QList<QAccessibleInterface*> out;
    const TGridCoordRect s = Grid()->Selection();
    // A whole selected sheet would be millions: the first thousand do.
    for (int r = s.Top; r <= s.Bottom && out.size() < 1000; ++r)
      for (int c = s.Left; c <= s.Right && out.size() < 1000; ++c) out << cellAt(r, c);
    return out;
  }
  QString columnDescription(int column) const override {
    return Grid()->FixedRows() > 0 ? Grid()->CellDisplayText(column, 0) : QString();
  }
  QString rowDescription(int row) const override {
    return Grid()->FixedCols() > 0 ? Grid()->CellDisplayText(0, row) : QString();
  }
  int selectedColumnCount() const override { return 0; }
  int selectedRowCount() const override { return 0; }
  int columnCount() const override { return Grid()->ColCount(); }
  int rowCount() const override { return Grid()->RowCount(); }
  QList<int> selectedColumns() const override { return {}; }
  QList<int> selectedRows() const override { return {}; }
  bool isColumnSelected(int) const override { return false; }
  bool isRowSelected(int) const override { return false; }
  bool selectRow(int row) override {
    TCustomGrid* g = Grid();
    if (row < g->FixedRows() || row >= g->RowCount()) return false;
    g->SetSelection(TGridCoordRect{g->FixedCols(), row, g->ColCount() - 1, row});
    return true;
  }
  bool selectColumn(int column) override {
    TCustomGrid* g = Grid();
    if (column < g->FixedCols() || column >= g->ColCount()) return false;
    g->SetSelection(TGridCoordRect{column, g->FixedRows(), column, g->RowCount() - 1});
    return true;
  }
  bool unselectRow(int) override { return false; }
  bool unselectColumn(int) override { return false; }
  void modelChange(QAccessibleTableModelChangeEvent*) override {}

 private:
  mutable QHash<quint64, QAccessible::Id> mCells;
};

QList<QAccessibleInterface*> TGridCell::columnHeaderCells() const {
  QList<QAccessibleInterface*> out;
  if (!isValid()) return out;
  if (QAccessibleInterface* t = table())
    if (QAccessibleTableInterface* ti = t->tableInterface())
      for (int r = 0; r < mGrid->FixedRows() && r < mRow; ++r) out << ti->cellAt(r, mCol);
  return out;
}

QList<QAccessibleInterface*> TGridCell::rowHeaderCells() const {
  QList<QAccessibleInterface*> out;
  if (!isValid()) return out;
  if (QAccessibleInterface* t = table())
    if (QAccessibleTableInterface* ti = t->tableInterface())
      for (int c = 0; c < mGrid->FixedCols() && c < mCol; ++c) out << ti->cellAt(mRow, c);
  return out;
}

QAccessibleInterface* Factory(const QString&, QObject* o) {
  if (auto* g = qobject_cast<TCustomGrid*>(o)) return new TGridAccessible(g);
  return nullptr;
}

}  // namespace

int InstallAccessible_grids() { return InstallAccessibleFactory(&Factory); }

}  // namespace Tarnwell
