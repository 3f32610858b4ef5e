#include "LstVSort.h"

#include <QCollator>
#include <QDateTime>
#include <QHeaderView>
#include <QLocale>
#include <QSet>
#include <algorithm>
#include <numeric>
#include <vector>

#include <Tarnwell/platform/TProperty.h>

namespace Tarnwell {

TColSortListView::TColSortListView(QWidget* parent) : QTreeWidget(parent) {
  // Report style: rows without a tree, the header sorts.
  setRootIsDecorated(false);
  setItemsExpandable(false);
  setUniformRowHeights(true);
  setAllColumnsShowFocus(true);
  setSortingEnabled(false);
  header()->setSectionsClickable(true);
  header()->setStretchLastSection(false);
  connect(header(), &QHeaderView::sectionClicked, this, &TColSortListView::ColClick);
}

QTreeWidgetItem* TColSortListView::AddItem(const QString& caption, const QStringList& subItems) {
  auto* item = new QTreeWidgetItem(this);
  item->setText(0, caption);
  for (int i = 0; i < subItems.size(); ++i) item->setText(i + 1, subItems[i]);
  return item;
}

TColumnSortType TColSortListView::ColumnType(int column) const {
  if (column < 0 || column >= MaxTypedColumns) return cstText;
  const int t = ColumnTypes[size_t(column)];
  return t >= cstText && t <= cstDateTime ? TColumnSortType(t) : cstText;
}

int TColSortListView::SortValue(int column, int direction) const {
  return (column * 1000 + int(ColumnType(column)) + 1001) * (direction < 0 ? -1 : 1);
}

void TColSortListView::ColClick(int column) {
  if (column == SortColumn) {
    SortDirection = -SortDirection;
  } else {
    SortColumn = column;
    SortDirection = 1;
  }
  SortBy(SortColumn, SortDirection);
  TW_FIRE(OnColumnClick, ColumnClick, this, column);
}

// ---- reading the texts ---------------------------------------------------

bool TColSortListView::ParseInteger(const QString& s, qint64& out) {
  bool ok = false;
  const qint64 v = s.trimmed().toLongLong(&ok);
  if (ok) out = v;
  return ok;
}

namespace {

// Two-digit years of the locale's short format read as 1900..1999 in Qt;
// dates of this program's lifetime are wanted.
QDate TwoDigitYearFix(const QDate& d, const QString& format) {
  if (!d.isValid() || format.contains(QLatin1String("yyyy")) || !format.contains(QLatin1String("yy"))) return d;
  return d.year() < 1950 ? d.addYears(100) : d;
}

QDate ReadDate(const QString& text) {
  const QString s = text.trimmed();
  if (s.isEmpty()) return QDate();
  const QLocale loc;
  for (QLocale::FormatType f : {QLocale::ShortFormat, QLocale::LongFormat}) {
    const QString format = loc.dateFormat(f);
    const QDate d = loc.toDate(s, format);
    if (d.isValid()) return TwoDigitYearFix(d, format);
  }
  return QDate::fromString(s, Qt::ISODate);
}

QTime ReadTime(const QString& text) {
  const QString s = text.trimmed();
  if (s.isEmpty()) return QTime();
  const QLocale loc;
  for (QLocale::FormatType f : {QLocale::LongFormat, QLocale::ShortFormat}) {
    const QTime t = loc.toTime(s, f);
    if (t.isValid()) return t;
  }
  // The long format may end in a time-zone name that does not read back.
  QString format = loc.timeFormat(QLocale::LongFormat);
  if (format.endsWith(QLatin1String(" t"))) {
    format.chop(2);
    const int blank = s.lastIndexOf(QLatin1Char(' '));
    if (blank > 0) {
      const QTime t = loc.toTime(s.left(blank), format);
      if (t.isValid()) return t;
    }
  }
  for (const char* f : {"H:mm:ss", "H:mm"}) {
    const QTime t = QTime::fromString(s, QLatin1String(f));
    if (t.isValid()) return t;
  }
  return QTime();
}

}  // namespace

bool TColSortListView::ParseDate(const QString& s, qint64& out) {
  const QDate d = ReadDate(s);
  if (!d.isValid()) return false;
  out = d.toJulianDay();
  return true;
}

bool TColSortListView::ParseTime(const QString& s, qint64& out) {
  const QTime t = ReadTime(s);
  if (!t.isValid()) return false;
  out = t.msecsSinceStartOfDay();
  return true;
}

bool TColSortListView::ParseDateTime(const QString& text, qint64& out) {
  const QString s = text.trimmed();
  if (s.isEmpty()) return false;
  // A date, a blank and a time; the date itself may hold blanks.
  for (int i = s.indexOf(QLatin1Char(' ')); i > 0; i = s.indexOf(QLatin1Char(' '), i + 1)) {
    const QDate d = ReadDate(s.left(i));
    if (!d.isValid()) continue;
    const QTime t = ReadTime(s.mid(i + 1));
    if (!t.isValid()) continue;
    out = d.toJulianDay() * qint64(86400000) + t.msecsSinceStartOfDay();
    return true;
  }
  // A date alone is its midnight.
  const QDate d = ReadDate(s);
  if (!d.isValid()) return false;
  out = d.toJulianDay() * qint64(86400000);
  return true;
}

// ---- comparing -------------------------------------------------------------

namespace {

QCollator& TextCollator() {
  static QCollator c = [] {
    QCollator k{QLocale()};
    k.setCaseSensitivity(Qt::CaseSensitive);
    return k;
  }();
  return c;
}

// A number or an instant; `valid` false for empty and unreadable texts.
struct TValueKey {
  qint64 value = 0;
  bool valid = false;
};

TValueKey ReadKey(const QString& s, TColumnSortType type) {
  TValueKey k;
  switch (type) {
    case cstInteger:
      // A text that is not an integer counts as -1.
      k.valid = true;
      if (!TColSortListView::ParseInteger(s, k.value)) k.value = -1;
      break;
    case cstDate: k.valid = TColSortListView::ParseDate(s, k.value); break;
    case cstTime: k.valid = TColSortListView::ParseTime(s, k.value); break;
    case cstDateTime: k.valid = TColSortListView::ParseDateTime(s, k.value); break;
    case cstText: break;
  }
  return k;
}

int CompareKeys(const TValueKey& a, const TValueKey& b) {
  if (!a.valid || !b.valid) return int(a.valid) - int(b.valid);
  return a.value < b.value ? -1 : a.value > b.value ? 1 : 0;
}

}  // namespace

int TColSortListView::CompareItems(const QTreeWidgetItem* item1, const QTreeWidgetItem* item2, int value) {
  const int sign = value < 0 ? -1 : 1;
  const int v = value < 0 ? -value : value;
  const int column = v / 1000 - 1;
  int code = v % 1000;
  if (code < 1 || code > 5) code = 1;
  const QString a = item1 ? item1->text(column) : QString();
  const QString b = item2 ? item2->text(column) : QString();
  const auto type = TColumnSortType(code - 1);
  if (type == cstText) {
    const int c = TextCollator().compare(a, b);
    return (c < 0 ? -1 : c > 0 ? 1 : 0) * sign;
  }
  return CompareKeys(ReadKey(a, type), ReadKey(b, type)) * sign;
}

void TColSortListView::SortBy(int column, int direction) {
  const int n = topLevelItemCount();
  if (n < 2 || column < 0) return;
  const TColumnSortType type = ColumnType(column);
  std::vector<int> order(static_cast<size_t>(n));
  std::iota(order.begin(), order.end(), 0);
  const bool down = direction < 0;
  // Stable, so rows of equal keys keep the order they had.
  if (type == cstText) {
    std::vector<QCollatorSortKey> keys;
    keys.reserve(size_t(n));
    const QCollator& coll = TextCollator();
    for (int i = 0; i < n; ++i) keys.push_back(coll.sortKey(topLevelItem(i)->text(column)));
    std::stable_sort(order.begin(), order.end(), [&](int x, int y) {
      const int c = keys[size_t(x)].compare(keys[size_t(y)]);
      return down ? c > 0 : c < 0;
    });
  } else {
    std::vector<TValueKey> keys(static_cast<size_t>(n));
    for (int i = 0; i < n; ++i) keys[size_t(i)] = ReadKey(topLevelItem(i)->text(column), type);
    std::stable_sort(order.begin(), order.end(), [&](int x, int y) {
      const int c = CompareKeys(keys[size_t(x)], keys[size_t(y)]);
      return down ? c > 0 : c < 0;
    });
  }
  ReorderRows(order);
  header()->setSortIndicatorShown(true);
  header()->setSortIndicator(column, down ? Qt::DescendingOrder : Qt::AscendingOrder);
}

void TColSortListView::ReorderRows(const std::vector<int>& order) {
  QTreeWidgetItem* current = currentItem();
  const QList<QTreeWidgetItem*> selected = selectedItems();
  QList<QTreeWidgetItem*> rows = invisibleRootItem()->takeChildren();
  QList<QTreeWidgetItem*> sorted;
  sorted.reserve(rows.size());
  for (int i : order) sorted.push_back(rows[i]);
  addTopLevelItems(sorted);
  if (current) setCurrentItem(current, 0, QItemSelectionModel::NoUpdate);
  for (QTreeWidgetItem* it : selected) it->setSelected(true);
}

}  // namespace Tarnwell
