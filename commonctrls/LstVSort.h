#pragma once
// TColSortListView: a report-style list view that sorts its rows when a
// column header is clicked: ascending on the first click, descending on the
// next click of the same column, and so on. Each column compares as text
// (locale-aware, case-sensitive), integer, date, time or date-time, as its
// entry in ColumnTypes says.
//
// Sorting computes every row's key once (a collation key, a number or a
// point in time) and sorts those; texts that are not numbers, dates or
// times sort like empty ones, first when ascending.

#include <QLocale>
#include <QStringList>
#include <QTreeWidget>
#include <array>
#include <cstdint>
#include <functional>

#include <Tarnwell/platform/TTypes.h>
#include <Tarnwell/TarnwellExport.h>

namespace Tarnwell {

namespace ColSortTypes {
Q_NAMESPACE_EXPORT(TARNWELL_COMMONCTRLS_EXPORT)
// The values stored in ColumnTypes.
enum TColumnSortType { cstText = 0, cstInteger = 1, cstDate = 2, cstTime = 3, cstDateTime = 4 };
Q_ENUM_NS(TColumnSortType)
}  // namespace ColSortTypes
using namespace ColSortTypes;

// A report-style list whose column headers sort the rows when clicked, each column as text,
// integer, date, time or date-time (ColumnTypes).
class TARNWELL_COMMONCTRLS_EXPORT TColSortListView : public QTreeWidget {
  Q_OBJECT
 public:
  explicit TColSortListView(QWidget* parent = nullptr);

  static constexpr int MaxTypedColumns = 65;
  // One type per column index 0..64 (0 text, 1 integer, 2 date, 3 time,
  // 4 date-time); columns beyond them, and unknown values, sort as text.
  std::array<std::uint8_t, MaxTypedColumns> ColumnTypes{};
  // The column last sorted (-1 before the first sort, so that the first
  // click on any column, the first included, sorts ascending) and its
  // direction (+1 ascending, -1 descending).
  int SortColumn = -1;
  int SortDirection = 1;

  // A row: the caption (column 0) and the sub-item texts (columns 1 ...).
  QTreeWidgetItem* AddItem(const QString& caption, const QStringList& subItems = {});
  // The type column `column` sorts by.
  TColumnSortType ColumnType(int column) const;

  // What a header click does: turns the direction or takes the new column,
  // sorts, then fires OnColumnClick / ColumnClick.
  void ColClick(int column);
  // Sorts the rows by `column` (+1 ascending, -1 descending) as its type says.
  void SortBy(int column, int direction);

  // The comparison of two rows for the sort value (column x 1000 + type
  // + 1001) x direction: negative, zero or positive. A strict weak order:
  // equal keys compare equal, and unreadable values equal empty ones.
  static int CompareItems(const QTreeWidgetItem* item1, const QTreeWidgetItem* item2, int value);
  // The sort value a click on `column` in `direction` sorts with.
  int SortValue(int column, int direction) const;

  // Texts as the column types read them: false when the text is not one.
  static bool ParseInteger(const QString& s, qint64& out);
  static bool ParseDate(const QString& s, qint64& out);      // Julian day
  static bool ParseTime(const QString& s, qint64& out);      // ms of the day
  static bool ParseDateTime(const QString& s, qint64& out);  // ms from the Julian epoch
  // The locale's long time format without its time zone ("HH:mm:ss" where
  // Qt's has "HH:mm:ss t"): times of the day as the classic long format
  // writes them, and as the time columns read them first.
  static QString LongTimeFormat(const QLocale& locale);

  std::function<void(TObject* sender, int column)> OnColumnClick;

 Q_SIGNALS:
  // Emitted after a click on the header of column sorted the list by it (ascending, or
  // reversed when it was already the sort column); OnColumnClick is called after it.
  void ColumnClick(QObject* sender, int column);

 private:
  void ReorderRows(const std::vector<int>& order);
};

}  // namespace Tarnwell
