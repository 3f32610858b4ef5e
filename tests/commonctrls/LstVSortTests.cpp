// The column-sorting list view: header-click cycle, each column type, empty
// and unreadable values, and the comparison as a strict weak order.
#include <gtest/gtest.h>

#include <QHeaderView>
#include <QLocale>
#include <QRandomGenerator>
#include <QSignalSpy>
#include <QTest>

#include <Tarnwell/commonctrls/LstVSort.h>

using namespace Tarnwell;

namespace {

QStringList Column(const TColSortListView& v, int column) {
  QStringList out;
  for (int i = 0; i < v.topLevelItemCount(); ++i) out << v.topLevelItem(i)->text(column);
  return out;
}

QString ShortDate(const QDate& d) { return QLocale().toString(d, QLocale::ShortFormat); }
QString LongTime(const QTime& t) { return QLocale().toString(t, QLocale::LongFormat); }

void Fill(TColSortListView& v) {
  v.setColumnCount(5);
  v.AddItem("C", {"1000", ShortDate(QDate(2026, 3, 2)), LongTime(QTime(9, 0, 0)), "b"});
  v.AddItem("A", {"999", "", LongTime(QTime(23, 59, 58)), "a"});
  v.AddItem("B", {"20", ShortDate(QDate(2025, 12, 31)), LongTime(QTime(0, 0, 1)), "c"});
  v.AddItem("D", {"100", ShortDate(QDate(2026, 1, 15)), "", "d"});
}

}  // namespace

TEST(ColSortListView, HeaderClicksTurnTheDirectionAndChangeColumn) {
  TColSortListView v;
  Fill(v);
  v.ColumnTypes[1] = cstInteger;
  QSignalSpy spy(&v, &TColSortListView::ColumnClick);
  int heard = -1;
  v.OnColumnClick = [&](TObject* sender, int column) {
    EXPECT_EQ(sender, &v);
    heard = column;
  };
  v.show();
  // A real click on the "Integer" header section.
  QHeaderView* h = v.header();
  const int x = h->sectionViewportPosition(1) + h->sectionSize(1) / 2;
  QTest::mouseClick(h->viewport(), Qt::LeftButton, {}, QPoint(x, h->height() / 2));
  EXPECT_EQ(v.SortColumn, 1);
  EXPECT_EQ(v.SortDirection, 1);
  EXPECT_EQ(Column(v, 1), QStringList({"20", "100", "999", "1000"}));  // 999 before 1000
  EXPECT_EQ(heard, 1);
  ASSERT_EQ(spy.count(), 1);
  v.ColClick(1);
  EXPECT_EQ(v.SortDirection, -1);
  EXPECT_EQ(Column(v, 1), QStringList({"1000", "999", "100", "20"}));
  v.ColClick(4);  // an untyped column sorts as text
  EXPECT_EQ(v.SortColumn, 4);
  EXPECT_EQ(v.SortDirection, 1);
  EXPECT_EQ(Column(v, 4), QStringList({"a", "b", "c", "d"}));
  v.ColumnTypes[1] = cstText;
  v.ColClick(1);
  EXPECT_EQ(Column(v, 1), QStringList({"100", "1000", "20", "999"}));  // text order
  EXPECT_EQ(spy.count(), 4);
  EXPECT_EQ(v.header()->sortIndicatorSection(), 1);
}

TEST(ColSortListView, DatesAndTimesEmptyFirstChronologicalAfter) {
  TColSortListView v;
  Fill(v);
  v.ColumnTypes[2] = cstDate;
  v.ColumnTypes[3] = cstTime;
  v.ColClick(2);
  EXPECT_EQ(Column(v, 0), QStringList({"A", "B", "D", "C"}));  // empty date first
  v.ColClick(2);
  EXPECT_EQ(Column(v, 0), QStringList({"C", "D", "B", "A"}));
  v.ColClick(3);
  EXPECT_EQ(Column(v, 0), QStringList({"D", "B", "C", "A"}));
}

TEST(ColSortListView, ValuesThatDoNotReadSortLikeEmptyOnes) {
  TColSortListView v;
  v.setColumnCount(2);
  v.ColumnTypes[1] = cstInteger;
  v.AddItem("x", {"5"});
  v.AddItem("y", {"cinque"});  // not an integer: -1
  v.AddItem("z", {"0"});
  v.ColClick(1);
  EXPECT_EQ(Column(v, 0), QStringList({"y", "z", "x"}));
  v.ColumnTypes[1] = cstDate;
  v.topLevelItem(0)->setText(1, "31 febbraio");
  v.topLevelItem(1)->setText(1, ShortDate(QDate(2020, 1, 1)));
  v.topLevelItem(2)->setText(1, "");
  v.SortBy(1, 1);
  // The unreadable and the empty date are equal and keep their order.
  EXPECT_EQ(Column(v, 1).last(), ShortDate(QDate(2020, 1, 1)));
  const int value = v.SortValue(1, 1);
  EXPECT_EQ(value, 1000 + 2 + 1001);
  EXPECT_EQ(TColSortListView::CompareItems(v.topLevelItem(0), v.topLevelItem(1), value), 0);
  EXPECT_EQ(TColSortListView::CompareItems(v.topLevelItem(0), v.topLevelItem(1), -value), 0);
  // Equal dates compare equal (not "the second is earlier").
  v.topLevelItem(0)->setText(1, ShortDate(QDate(2020, 1, 1)));
  EXPECT_EQ(TColSortListView::CompareItems(v.topLevelItem(0), v.topLevelItem(2), value), 0);
  // A column past the typed ones, and a stored type out of range, sort as text.
  EXPECT_EQ(v.ColumnType(200), cstText);
  v.ColumnTypes[0] = 77;
  EXPECT_EQ(v.ColumnType(0), cstText);
}

TEST(ColSortListView, ReadsTheLocaleFormatsItWrites) {
  qint64 a = 0, b = 0;
  ASSERT_TRUE(TColSortListView::ParseDate(ShortDate(QDate(2026, 12, 9)), a));
  EXPECT_EQ(a, QDate(2026, 12, 9).toJulianDay());
  ASSERT_TRUE(TColSortListView::ParseTime(LongTime(QTime(13, 5, 7)), a));
  EXPECT_EQ(a, QTime(13, 5, 7).msecsSinceStartOfDay());
  ASSERT_TRUE(TColSortListView::ParseDateTime(ShortDate(QDate(2026, 12, 9)) + " " + LongTime(QTime(13, 5, 7)), b));
  EXPECT_EQ(b, QDate(2026, 12, 9).toJulianDay() * 86400000LL + a);
  EXPECT_FALSE(TColSortListView::ParseTime("25:99:00", a));
  EXPECT_FALSE(TColSortListView::ParseDate("", a));
  EXPECT_FALSE(TColSortListView::ParseInteger("12a", a));
  // A locale whose short dates have two-digit years: read as this century.
  const QLocale before;
  QLocale::setDefault(QLocale(QLocale::Italian, QLocale::Italy));
  const bool read = TColSortListView::ParseDate(ShortDate(QDate(2026, 12, 9)), a);
  QLocale::setDefault(before);
  ASSERT_TRUE(read);
  EXPECT_EQ(a, QDate(2026, 12, 9).toJulianDay());
}

// Thousands of random rows with many ties and empty or unreadable values:
// the comparison must be antisymmetric and transitive for every type, and
// the sort must leave every neighbouring pair in order.
TEST(ColSortListView, ComparisonIsAStrictWeakOrder) {
  QRandomGenerator rng(15);
  TColSortListView v;
  v.setColumnCount(5);
  for (int c = 0; c < 5; ++c) v.ColumnTypes[size_t(c)] = std::uint8_t(c);
  const QString junk[] = {"", "", "?", "abc", "12:xx"};
  auto pick = [&](int kind) -> QString {
    if (rng.bounded(6) == 0) return junk[rng.bounded(5)];
    const QDate d = QDate(2026, 1, 1).addDays(rng.bounded(10));
    const QTime t(int(rng.bounded(3)), int(rng.bounded(2)), 0);
    switch (kind) {
      case 0: return QStringList({"a", "B", "b", "A", "", "ab"})[int(rng.bounded(6))];
      case 1: return QString::number(int(rng.bounded(8)) - 2);
      case 2: return ShortDate(d);
      case 3: return LongTime(t);
      default: return ShortDate(d) + " " + LongTime(t);
    }
  };
  const int rows = 2000;
  for (int i = 0; i < rows; ++i) {
    QStringList sub;
    for (int c = 1; c < 5; ++c) sub << pick(c);
    v.AddItem(pick(0), sub);
  }
  auto sgn = [](int x) { return (x > 0) - (x < 0); };
  for (int c = 0; c < 5; ++c) {
    SCOPED_TRACE(c);
    for (int dir : {1, -1}) {
      const int value = v.SortValue(c, dir);
      for (int k = 0; k < 20000; ++k) {
        const auto* a = v.topLevelItem(int(rng.bounded(rows)));
        const auto* b = v.topLevelItem(int(rng.bounded(rows)));
        const auto* d = v.topLevelItem(int(rng.bounded(rows)));
        const int ab = sgn(TColSortListView::CompareItems(a, b, value));
        ASSERT_EQ(ab, -sgn(TColSortListView::CompareItems(b, a, value)));
        ASSERT_EQ(TColSortListView::CompareItems(a, a, value), 0);
        const int bd = sgn(TColSortListView::CompareItems(b, d, value));
        const int ad = sgn(TColSortListView::CompareItems(a, d, value));
        if (ab <= 0 && bd <= 0) {
          ASSERT_LE(ad, 0);
        }
        if (ab == 0 && bd == 0) {
          ASSERT_EQ(ad, 0);
        }
      }
      v.SortBy(c, dir);
      for (int i = 1; i < rows; ++i)
        ASSERT_LE(TColSortListView::CompareItems(v.topLevelItem(i - 1), v.topLevelItem(i), value), 0) << i;
    }
  }
}

TEST(ColSortListView, SortKeepsTheCurrentAndSelectedRows) {
  TColSortListView v;
  Fill(v);
  v.setSelectionMode(QAbstractItemView::ExtendedSelection);
  QTreeWidgetItem* b = v.topLevelItem(2);
  QTreeWidgetItem* d = v.topLevelItem(3);
  v.setCurrentItem(b);
  d->setSelected(true);
  v.ColClick(0);
  EXPECT_EQ(v.currentItem(), b);
  EXPECT_TRUE(b->isSelected());
  EXPECT_TRUE(d->isSelected());
  EXPECT_EQ(v.topLevelItemCount(), 4);
}
