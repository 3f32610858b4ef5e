#include "LstVSort.h"

#include <QCollator>
#include <QDateTime>
#include <QHeaderView>
#include <QLocale>
#include <QSet>
#include <algorithm>
#include <numeric>
#include <vector>

#include <Tarnwell/platform/TDateTime.h>
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

// Reads texts written with one of the locale's date or time formats. The
// locale's own parsing costs microseconds per text, which a sort of a
// hundred thousand rows feels; this reader compiles the format once into
// fields and literals and reads a text in one pass. Texts it cannot read go
// to the locale's parsing after all.
class TFormatReader {
 public:
  struct TFields {
    int year = -1, month = -1, day = -1, hour = -1, minute = 0, second = 0, msec = 0;
    int ampm = -1;  // 0 am, 1 pm
    bool twoDigitYear = false;
  };

  explicit TFormatReader(const QString& format, const QLocale& loc) {
    for (int m = 1; m <= 12; ++m) {
      mShortMonths << loc.monthName(m, QLocale::ShortFormat);
      mLongMonths << loc.monthName(m, QLocale::LongFormat);
    }
    mAm = loc.amText();
    mPm = loc.pmText();
    Compile(format);
  }

  bool Read(QStringView s, TFields& f) const {
    qsizetype i = 0;
    for (const TToken& t : mTokens) {
      switch (t.kind) {
        case kLiteral:
          if (!s.mid(i).startsWith(t.text, Qt::CaseInsensitive)) return false;
          i += t.text.size();
          break;
        case kNumber: {
          int v = 0, digits = 0;
          while (i < s.size() && digits < t.maxDigits && s[i].isDigit()) {
            v = v * 10 + s[i].digitValue();
            ++i;
            ++digits;
          }
          if (digits == 0) return false;
          *FieldOf(f, t.field) = v;
          if (t.field == fYear) f.twoDigitYear = t.maxDigits == 2;
          break;
        }
        case kMonthName: {
          const QStringList& names = t.maxDigits == 3 ? mShortMonths : mLongMonths;
          int found = -1;
          qsizetype len = 0;
          for (int m = 0; m < 12; ++m)
            if (names[m].size() > len && s.mid(i).startsWith(names[m], Qt::CaseInsensitive)) {
              found = m + 1;
              len = names[m].size();
            }
          if (found < 0) return false;
          f.month = found;
          i += len;
          break;
        }
        case kAmPm:
          if (!mAm.isEmpty() && s.mid(i).startsWith(mAm, Qt::CaseInsensitive)) {
            f.ampm = 0;
            i += mAm.size();
          } else if (!mPm.isEmpty() && s.mid(i).startsWith(mPm, Qt::CaseInsensitive)) {
            f.ampm = 1;
            i += mPm.size();
          } else {
            return false;
          }
          break;
        case kWord:  // a day name or a time zone: read over it
          if (i >= s.size() || s[i].isSpace()) return false;
          // Up to a blank or to the literal that follows, "(UTC)" say.
          while (i < s.size() && !s[i].isSpace() && (t.text.isEmpty() || s[i] != t.text[0])) ++i;
          break;
      }
    }
    return i == s.size();
  }

 private:
  enum TKind { kLiteral, kNumber, kMonthName, kAmPm, kWord };
  enum TField { fYear, fMonth, fDay, fHour, fMinute, fSecond, fMsec };
  struct TToken {
    TKind kind;
    TField field = fYear;
    int maxDigits = 0;
    QString text;
  };
  static int* FieldOf(TFields& f, TField which) {
    switch (which) {
      case fYear: return &f.year;
      case fMonth: return &f.month;
      case fDay: return &f.day;
      case fHour: return &f.hour;
      case fMinute: return &f.minute;
      case fSecond: return &f.second;
      case fMsec: return &f.msec;
    }
    return &f.msec;
  }
  void Add(TKind kind, TField field = fYear, int maxDigits = 0) { mTokens.push_back({kind, field, maxDigits, QString()}); }
  void Literal(const QString& text) {
    if (!mTokens.empty() && mTokens.back().kind == kLiteral)
      mTokens.back().text += text;
    else
      mTokens.push_back({kLiteral, fYear, 0, text});
  }
  void Compile(const QString& format) {
    for (qsizetype i = 0; i < format.size();) {
      const QChar c = format[i];
      if (c == QLatin1Char('\'')) {
        const qsizetype close = format.indexOf(QLatin1Char('\''), i + 1);
        const qsizetype stop = close < 0 ? format.size() : close;
        Literal(stop == i + 1 ? QStringLiteral("'") : format.mid(i + 1, stop - i - 1));
        i = stop + 1;
        continue;
      }
      qsizetype run = 1;
      while (i + run < format.size() && format[i + run] == c) ++run;
      const char k = c.toLatin1();
      switch (k) {
        case 'd':
          if (run >= 3)
            Add(kWord);
          else
            Add(kNumber, fDay, 2);
          break;
        case 'M':
          if (run >= 3)
            Add(kMonthName, fMonth, run == 3 ? 3 : 4);
          else
            Add(kNumber, fMonth, 2);
          break;
        case 'y': Add(kNumber, fYear, run >= 4 ? 4 : 2); break;
        case 'h':
        case 'H': Add(kNumber, fHour, 2); break;
        case 'm': Add(kNumber, fMinute, 2); break;
        case 's': Add(kNumber, fSecond, 2); break;
        case 'z': Add(kNumber, fMsec, 3); break;
        case 'a':
        case 'A':
          Add(kAmPm);
          if (i + 1 < format.size() && (format[i + 1] == QLatin1Char('p') || format[i + 1] == QLatin1Char('P'))) ++run;
          break;
        case 't': Add(kWord); break;
        default: Literal(format.mid(i, run)); break;
      }
      i += run;
    }
    for (size_t k = 0; k + 1 < mTokens.size(); ++k)
      if (mTokens[k].kind == kWord && mTokens[k + 1].kind == kLiteral) {
        const QString lit = mTokens[k + 1].text.trimmed();
        if (!lit.isEmpty()) mTokens[k].text = lit.left(1);
      }
  }
  std::vector<TToken> mTokens;
  QStringList mShortMonths, mLongMonths;
  QString mAm, mPm;
};

// The readers of the current default locale's formats, rebuilt when the
// default locale changes.
struct TLocaleReaders {
  QString name;
  QLocale loc;
  std::vector<TFormatReader> dates, times, dateTimes;
};

const TLocaleReaders& Readers() {
  static TLocaleReaders r;
  const QLocale loc;
  if (r.dates.empty() || r.name != loc.name() || r.loc != loc) {
    r.name = loc.name();
    r.loc = loc;
    r.dates.clear();
    r.times.clear();
    r.dateTimes.clear();
    for (auto f : {QLocale::ShortFormat, QLocale::LongFormat}) r.dates.emplace_back(loc.dateFormat(f), loc);
    // The long format without its zone first: the window writes its times so.
    const QStringList timeFormats = {TColSortListView::LongTimeFormat(loc), loc.timeFormat(QLocale::LongFormat),
                                     loc.timeFormat(QLocale::ShortFormat)};
    for (const QString& f : timeFormats) r.times.emplace_back(f, loc);
    for (auto d : {QLocale::ShortFormat, QLocale::LongFormat})
      for (const QString& t : timeFormats) r.dateTimes.emplace_back(loc.dateFormat(d) + QLatin1Char(' ') + t, loc);
  }
  return r;
}

// Two-digit years would read as 1900..1999; dates of this program's
// lifetime are wanted.
int FullYear(int year, bool twoDigits) { return twoDigits ? (year < 50 ? 2000 + year : 1900 + year) : year; }

QDate DateOf(const TFormatReader::TFields& f) {
  if (f.year < 0 || f.month < 0 || f.day < 0) return QDate();
  return QDate(FullYear(f.year, f.twoDigitYear), f.month, f.day);
}

QTime TimeOf(const TFormatReader::TFields& f) {
  if (f.hour < 0) return QTime();
  int h = f.hour;
  if (f.ampm >= 0) {
    if (h < 1 || h > 12) return QTime();
    h = h % 12 + (f.ampm == 1 ? 12 : 0);
  }
  return QTime(h, f.minute, f.second, f.msec);
}

QDate ReadDate(QStringView s, bool slowToo) {
  if (s.isEmpty()) return QDate();
  for (const TFormatReader& r : Readers().dates) {
    TFormatReader::TFields f;
    if (r.Read(s, f)) {
      const QDate d = DateOf(f);
      if (d.isValid()) return d;
    }
  }
  if (!slowToo) return QDate();
  const QString text = s.toString();
  const QLocale loc;
  for (QLocale::FormatType ft : {QLocale::ShortFormat, QLocale::LongFormat}) {
    const QString format = loc.dateFormat(ft);
    const QDate d = loc.toDate(text, format);
    if (d.isValid()) return WindowTwoDigitYear(d, format);
  }
  return QDate::fromString(text, Qt::ISODate);
}

QTime ReadTime(QStringView s, bool slowToo) {
  if (s.isEmpty()) return QTime();
  for (const TFormatReader& r : Readers().times) {
    TFormatReader::TFields f;
    if (r.Read(s, f)) {
      const QTime t = TimeOf(f);
      if (t.isValid()) return t;
    }
  }
  if (!slowToo) return QTime();
  const QString text = s.toString();
  const QLocale loc;
  for (QLocale::FormatType ft : {QLocale::LongFormat, QLocale::ShortFormat}) {
    const QTime t = loc.toTime(text, ft);
    if (t.isValid()) return t;
  }
  for (const char* f : {"H:mm:ss", "H:mm"}) {
    const QTime t = QTime::fromString(text, QLatin1String(f));
    if (t.isValid()) return t;
  }
  return QTime();
}

}  // namespace

QString TColSortListView::LongTimeFormat(const QLocale& locale) {
  const QString f = locale.timeFormat(QLocale::LongFormat);
  QString out;
  bool quoted = false;
  for (const QChar c : f) {
    if (c == QLatin1Char('\'')) quoted = !quoted;
    if (!quoted && c == QLatin1Char('t')) continue;  // the zone, however long its run
    out += c;
  }
  // What stood round the zone goes with it: brackets left empty, blanks.
  out.remove(QStringLiteral("()"));
  out.remove(QStringLiteral("[]"));
  return out.simplified();
}

bool TColSortListView::ParseDate(const QString& s, qint64& out) {
  const QDate d = ReadDate(QStringView(s).trimmed(), true);
  if (!d.isValid()) return false;
  out = d.toJulianDay();
  return true;
}

bool TColSortListView::ParseTime(const QString& s, qint64& out) {
  const QTime t = ReadTime(QStringView(s).trimmed(), true);
  if (!t.isValid()) return false;
  out = t.msecsSinceStartOfDay();
  return true;
}

bool TColSortListView::ParseDateTime(const QString& text, qint64& out) {
  const QStringView s = QStringView(text).trimmed();
  if (s.isEmpty()) return false;
  auto join = [&](const QDate& d, const QTime& t) {
    out = d.toJulianDay() * qint64(86400000) + (t.isValid() ? t.msecsSinceStartOfDay() : 0);
    return true;
  };
  for (const TFormatReader& r : Readers().dateTimes) {
    TFormatReader::TFields f;
    if (r.Read(s, f)) {
      const QDate d = DateOf(f);
      const QTime t = TimeOf(f);
      if (d.isValid() && t.isValid()) return join(d, t);
    }
  }
  // A date, a blank and a time; the date itself may hold blanks. The quick
  // readers first at every blank, then the locale's parsing.
  for (bool slow : {false, true})
    for (qsizetype i = s.indexOf(QLatin1Char(' ')); i > 0; i = s.indexOf(QLatin1Char(' '), i + 1)) {
      const QDate d = ReadDate(s.left(i).trimmed(), slow);
      if (!d.isValid()) continue;
      const QTime t = ReadTime(s.mid(i + 1).trimmed(), slow);
      if (t.isValid()) return join(d, t);
    }
  // A date alone is its midnight.
  const QDate d = ReadDate(s, true);
  if (!d.isValid()) return false;
  return join(d, QTime());
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
