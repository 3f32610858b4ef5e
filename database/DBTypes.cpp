#include "DBTypes.h"

#include <QDate>
#include <QDateTime>
#include <QHash>
#include <QLocale>
#include <QTime>
#include <QtEndian>
#include <algorithm>
#include <cmath>

#include <Tarnwell/platform/TDateTime.h>

namespace Tarnwell {

// ---------------------------------------------------------------------------
// Types and values

QString FieldTypeName(TFieldType t) {
  static const char* const names[] = {
      "ftUnknown",     "ftString", "ftSmallint",  "ftInteger",    "ftWord",     "ftBoolean",   "ftFloat",
      "ftCurrency",    "ftBCD",    "ftDate",      "ftTime",       "ftDateTime", "ftBytes",     "ftVarBytes",
      "ftAutoInc",     "ftBlob",   "ftMemo",      "ftGraphic",    "ftFmtMemo",  "ftOleObject", "ftOleLink",
      "ftTypedBinary", "ftCursor", "ftFixedChar", "ftWideString", "ftLargeint"};
  int i = int(t);
  return (i >= 0 && i < int(std::size(names))) ? QString::fromLatin1(names[i]) : QStringLiteral("ftUnknown");
}

bool IsTextFieldType(TFieldType t) {
  return t == ftString || t == ftFixedChar || t == ftWideString || t == ftMemo || t == ftFmtMemo;
}

static bool IsIntegerType(TFieldType t) {
  return t == ftSmallint || t == ftInteger || t == ftWord || t == ftAutoInc || t == ftLargeint;
}

bool IsNumericFieldType(TFieldType t) {
  return IsIntegerType(t) || t == ftFloat || t == ftCurrency || t == ftBCD;
}

bool IsDateFieldType(TFieldType t) { return t == ftDate || t == ftTime || t == ftDateTime; }

static bool IsBinaryType(TFieldType t) {
  return t == ftBytes || t == ftVarBytes || t == ftBlob || t == ftGraphic || t == ftOleObject ||
         t == ftOleLink || t == ftTypedBinary;
}

// The locale's short date with a four-digit year: two-digit years make
// dates of different centuries read alike.
QString ShortDateFormat() {
  QString f = QLocale().dateFormat(QLocale::ShortFormat);
  if (!f.contains(QLatin1String("yyyy"))) f.replace(QLatin1String("yy"), QLatin1String("yyyy"));
  return f;
}

static bool ParseDouble(const QString& s0, double& out) {
  QString s = s0.trimmed();
  if (s.isEmpty()) return false;
  bool ok = false;
  out = s.toDouble(&ok);
  if (!ok) out = QLocale().toDouble(s, &ok);
  return ok && std::isfinite(out);
}

// Exact decimals (ftBCD) are held as plain C-locale text ("-1234.5678"):
// more digits than a double carries survive reading, editing and writing.
bool ExactDecimal(const QString& s0, QString& out) {
  QString s = s0.trimmed();
  const QLocale loc;
  const QChar dp = loc.decimalPoint().size() == 1 ? loc.decimalPoint()[0] : QChar('.');
  const QChar gs = loc.groupSeparator().size() == 1 ? loc.groupSeparator()[0] : QChar(0);
  if (dp != '.' && s.contains(dp)) {  // typed in the locale's form
    if (gs != QChar(0)) s.remove(gs);
    s.replace(dp, '.');
  }
  int i = 0;
  const int n = s.size();
  bool neg = false;
  if (i < n && (s[i] == '+' || s[i] == '-')) neg = s[i++] == '-';
  QString intPart, frac;
  while (i < n && s[i].isDigit()) intPart += s[i++];
  if (i < n && s[i] == '.') {
    ++i;
    while (i < n && s[i].isDigit()) frac += s[i++];
  }
  if (intPart.isEmpty() && frac.isEmpty()) return false;
  long exp = 0;
  if (i < n && (s[i] == 'e' || s[i] == 'E')) {
    ++i;
    bool eneg = false;
    if (i < n && (s[i] == '+' || s[i] == '-')) eneg = s[i++] == '-';
    if (i >= n || !s[i].isDigit()) return false;
    while (i < n && s[i].isDigit()) {
      exp = exp * 10 + s[i++].digitValue();
      if (exp > 1000) return false;
    }
    if (eneg) exp = -exp;
  }
  if (i != n) return false;
  // Shift the point by the exponent.
  QString digits = intPart + frac;
  long point = long(intPart.size()) + exp;
  if (point < 0) {
    digits = QString(int(-point), '0') + digits;
    point = 0;
  }
  if (point > digits.size()) digits += QString(int(point - digits.size()), '0');
  QString ip = digits.left(int(point)), fp = digits.mid(int(point));
  while (ip.size() > 1 && ip[0] == '0') ip.remove(0, 1);
  if (ip.isEmpty()) ip = QStringLiteral("0");
  if (exp != 0)
    while (!fp.isEmpty() && fp.endsWith('0')) fp.chop(1);
  auto allZero = [](const QString& d) { return std::all_of(d.begin(), d.end(), [](QChar c) { return c == '0'; }); };
  const bool zero = allZero(ip) && allZero(fp);
  out = (neg && !zero ? QStringLiteral("-") : QString()) + ip + (fp.isEmpty() ? QString() : '.' + fp);
  return true;
}

// Compares two exact decimals in the form ExactDecimal writes.
static int CompareDecimal(const QString& a, const QString& b) {
  const bool an = a.startsWith('-'), bn = b.startsWith('-');
  if (an != bn) return an ? -1 : 1;
  auto parts = [](const QString& s, QString& ip, QString& fp) {
    const QString t = s.startsWith('-') ? s.mid(1) : s;
    const int dot = t.indexOf('.');
    ip = dot < 0 ? t : t.left(dot);
    fp = dot < 0 ? QString() : t.mid(dot + 1);
  };
  QString ai, af, bi, bf;
  parts(a, ai, af);
  parts(b, bi, bf);
  int r = ai.size() != bi.size() ? (ai.size() < bi.size() ? -1 : 1) : QString::compare(ai, bi);
  if (r == 0) {
    const int len = int(std::max(af.size(), bf.size()));
    r = QString::compare(af.leftJustified(len, '0'), bf.leftJustified(len, '0'));
  }
  r = r < 0 ? -1 : (r > 0 ? 1 : 0);
  return an ? -r : r;
}

// The ISO forms the engines store ("2000-09-25", "2000-09-25 10:30:00.250")
// are read by hand: they are most of what a large fetch converts.
static int Digits(const QString& s, int at, int n) {
  int v = 0;
  for (int i = at; i < at + n; ++i) {
    const char16_t c = s[i].unicode();
    if (c < '0' || c > '9') return -1;
    v = v * 10 + (c - '0');
  }
  return v;
}

// Whether the n characters at `at` are all digits, however many there are
// (a fraction of a second may carry more than an int holds).
static bool AllDigits(const QString& s, int at, int n) {
  for (int i = at; i < at + n; ++i)
    if (s[i].unicode() < '0' || s[i].unicode() > '9') return false;
  return true;
}

static bool FastIsoDate(const QString& s, QDate& out) {
  if (s.size() < 10 || s[4] != '-' || s[7] != '-') return false;
  const int y = Digits(s, 0, 4), m = Digits(s, 5, 2), d = Digits(s, 8, 2);
  if (y < 0 || m < 0 || d < 0) return false;
  out = QDate(y, m, d);
  return out.isValid();
}

static bool FastIsoTime(const QString& s, int at, QTime& out) {
  const int n = s.size() - at;
  if (n != 5 && n != 8 && !(n > 9 && s[at + 8] == '.')) return false;
  if (s[at + 2] != ':' || (n >= 8 && s[at + 5] != ':')) return false;
  const int h = Digits(s, at, 2), mi = Digits(s, at + 3, 2), sec = n >= 8 ? Digits(s, at + 6, 2) : 0;
  int ms = 0;
  if (n > 9) {
    const int frac = std::min(n - 9, 3);
    ms = Digits(s, at + 9, frac);
    if (ms < 0 || !AllDigits(s, at + 9, n - 9)) return false;
    for (int k = frac; k < 3; ++k) ms *= 10;
  }
  if (h < 0 || mi < 0 || sec < 0) return false;
  out = QTime(h, mi, sec, ms);
  return out.isValid();
}

// A year typed with two digits that a four-digit format took as it stands.
static QDate WindowShortYear(const QDate& d) {
  if (!d.isValid() || d.year() < 0 || d.year() >= 100) return d;
  return d.addYears(d.year() < 50 ? 2000 : 1900);
}

static bool ParseDate(const QString& s0, QDate& out) {
  if (s0.size() == 10 && FastIsoDate(s0, out)) return true;
  QString s = s0.trimmed();
  out = QDate::fromString(s.left(10), Qt::ISODate);
  if (out.isValid() && (s.size() == 10 || s.at(10) == 'T' || s.at(10) == ' ')) return true;
  out = WindowShortYear(QDate::fromString(s, ShortDateFormat()));
  if (out.isValid()) return true;
  const QString shortFormat = QLocale().dateFormat(QLocale::ShortFormat);
  out = WindowShortYear(WindowTwoDigitYear(QLocale().toDate(s, shortFormat), shortFormat));
  if (out.isValid()) return true;
  out = WindowShortYear(QDate::fromString(s, QStringLiteral("d/M/yyyy")));
  if (out.isValid()) return true;
  out = WindowTwoDigitYear(QDate::fromString(s, QStringLiteral("d/M/yy")), QStringLiteral("d/M/yy"));
  return out.isValid();
}

bool TextToDate(const QString& text, QDate& out) { return ParseDate(text, out); }

static bool ParseTime(const QString& s0, QTime& out) {
  if (FastIsoTime(s0, 0, out)) return true;
  QString s = s0.trimmed();
  for (const char* f : {"HH:mm:ss.zzz", "HH:mm:ss", "H:mm:ss", "HH:mm", "H:mm"}) {
    out = QTime::fromString(s, QLatin1String(f));
    if (out.isValid()) return true;
  }
  out = QLocale().toTime(s, QLocale::ShortFormat);
  return out.isValid();
}

// The local clock's offset is looked up once per hour of the calendar, not
// for every value read: asking the system costs more than the rest of a row.
// The moment carries the offset the local clock had then.
QDateTime LocalMoment(const QDate& d, const QTime& t) {
  struct TCache {
    QByteArray Zone;
    QHash<qint64, int> Offsets;  // hour since the epoch of the calendar -> seconds east of UTC
  };
  thread_local TCache cache;
  const QByteArray zone = qgetenv("TZ");
  if (zone != cache.Zone || cache.Offsets.size() > 200000) {
    cache.Zone = zone;
    cache.Offsets.clear();
  }
  const qint64 hour = d.toJulianDay() * 24 + t.hour();
  auto it = cache.Offsets.constFind(hour);
  if (it == cache.Offsets.cend()) {
    // Hours next to a change of the clock are always asked afresh.
    const QDateTime probe(d, QTime(t.hour(), 0));
    const QDateTime after(d, QTime(t.hour(), 59, 59, 999));
    if (!probe.isValid() || !after.isValid() || probe.offsetFromUtc() != after.offsetFromUtc() ||
        probe.time().hour() != t.hour())
      return QDateTime(d, t);
    it = cache.Offsets.insert(hour, probe.offsetFromUtc());
  }
  return QDateTime(d, t, Qt::OffsetFromUTC, *it);
}

QDateTime LocalMomentFromUtc(qint64 msecs) {
  thread_local QByteArray zone;
  thread_local QHash<qint64, int> offsets;  // hour since the epoch (UTC) -> seconds east of UTC
  const QByteArray z = qgetenv("TZ");
  if (z != zone || offsets.size() > 200000) {
    zone = z;
    offsets.clear();
  }
  const qint64 hour = msecs >= 0 ? msecs / 3600000 : (msecs - 3599999) / 3600000;
  auto it = offsets.constFind(hour);
  if (it == offsets.cend()) {
    const int a = QDateTime::fromMSecsSinceEpoch(hour * 3600000, Qt::LocalTime).offsetFromUtc();
    const int b = QDateTime::fromMSecsSinceEpoch(hour * 3600000 + 3599999, Qt::LocalTime).offsetFromUtc();
    if (a != b) return QDateTime::fromMSecsSinceEpoch(msecs, Qt::LocalTime);
    it = offsets.insert(hour, a);
  }
  return QDateTime::fromMSecsSinceEpoch(msecs, Qt::OffsetFromUTC, *it);
}

static bool ParseDateTime(const QString& s0, QDateTime& out) {
  {
    QDate d;
    QTime t(0, 0);
    if (FastIsoDate(s0, d) &&
        (s0.size() == 10 || ((s0[10] == ' ' || s0[10] == 'T') && FastIsoTime(s0, 11, t)))) {
      out = LocalMoment(d, t);
      return true;
    }
  }
  QString s = s0.trimmed();
  if (s.size() >= 10) {
    QDate d;
    if (ParseDate(s.left(10), d)) {
      QString rest = s.mid(10).trimmed();
      if (rest.startsWith('T')) rest = rest.mid(1);
      QTime t(0, 0);
      if (!rest.isEmpty() && !ParseTime(rest, t)) goto locale;
      out = QDateTime(d, t);
      return true;
    }
  }
locale:
  int sp = s.indexOf(' ');
  QDate d;
  if (ParseDate(sp < 0 ? s : s.left(sp), d)) {
    QTime t(0, 0);
    if (sp >= 0 && !ParseTime(s.mid(sp + 1), t)) return false;
    out = QDateTime(d, t);
    return true;
  }
  return false;
}

bool CoerceToFieldType(const QVariant& in, TFieldType t, QVariant& out) {
  if (in.isNull() || !in.isValid()) {
    out = QVariant();
    return true;
  }
  const int id = in.metaType().id();
  const bool isString = id == QMetaType::QString;
  if (IsTextFieldType(t)) {
    if (id == QMetaType::QDate)
      out = in.toDate().toString(ShortDateFormat());
    else
      out = in.toString();
    return true;
  }
  if (IsIntegerType(t)) {
    switch (id) {
      case QMetaType::Int:
      case QMetaType::UInt:
      case QMetaType::LongLong:
      case QMetaType::Short:
      case QMetaType::UShort:
      case QMetaType::Long:
      case QMetaType::Char:
        out = in.toLongLong();
        return true;
      case QMetaType::ULongLong:
        if (in.toULongLong() > quint64(std::numeric_limits<qint64>::max())) return false;
        out = in.toLongLong();
        return true;
      case QMetaType::Bool:
        out = qint64(in.toBool());
        return true;
      case QMetaType::Double:
      case QMetaType::Float: {
        double d = in.toDouble();
        if (!std::isfinite(d) || d != std::floor(d) || std::fabs(d) > 9.2e18) return false;
        out = qint64(d);
        return true;
      }
      default: {
        bool ok = false;
        qint64 v = in.toString().trimmed().toLongLong(&ok);
        if (!ok) v = QLocale().toLongLong(in.toString().trimmed(), &ok);
        if (!ok) {
          double d;
          if (!ParseDouble(in.toString(), d) || d != std::floor(d) || std::fabs(d) > 9.2e18) return false;
          v = qint64(d);
        }
        out = v;
        return true;
      }
    }
  }
  if (t == ftBCD) {
    if (isString || id == QMetaType::QByteArray) {
      QString d;
      if (!ExactDecimal(in.toString(), d)) return false;
      out = d;
      return true;
    }
    bool ok = false;
    const double d = in.toDouble(&ok);
    if (!ok || !std::isfinite(d)) return false;
    QString e;
    if (id == QMetaType::LongLong || id == QMetaType::Int || id == QMetaType::UInt || id == QMetaType::Short)
      e = QString::number(in.toLongLong());
    else
      ExactDecimal(QString::number(d, 'g', QLocale::FloatingPointShortest), e);
    out = e;
    return true;
  }
  if (t == ftFloat || t == ftCurrency) {
    if (isString || id == QMetaType::QByteArray) {
      double d;
      if (!ParseDouble(in.toString(), d)) return false;
      out = d;
      return true;
    }
    bool ok = false;
    double d = in.toDouble(&ok);
    if (!ok || !std::isfinite(d)) return false;
    out = d;
    return true;
  }
  if (t == ftBoolean) {
    if (id == QMetaType::Bool) {
      out = in;
      return true;
    }
    if (isString) {
      QString s = in.toString().trimmed().toUpper();
      if (s == "TRUE" || s == "T" || s == "1" || s == "VERO" || s == "SI" || s == "SÌ" || s == "Y") {
        out = true;
        return true;
      }
      if (s == "FALSE" || s == "F" || s == "0" || s == "FALSO" || s == "NO" || s == "N") {
        out = false;
        return true;
      }
      return false;
    }
    bool ok = false;
    double d = in.toDouble(&ok);
    if (!ok) return false;
    out = d != 0;
    return true;
  }
  if (t == ftDate) {
    if (id == QMetaType::QDate) {
      out = in;
      return in.toDate().isValid();
    }
    if (id == QMetaType::QDateTime) {
      out = in.toDateTime().date();
      return true;
    }
    if (id == QMetaType::Double || id == QMetaType::Int || id == QMetaType::LongLong) {
      if (!IsValidSerial(in.toDouble())) return false;
      out = SerialToDate(in.toDouble());
      return true;
    }
    QDate d;
    if (!ParseDate(in.toString(), d)) return false;
    out = d;
    return true;
  }
  if (t == ftTime) {
    if (id == QMetaType::QTime) {
      out = in;
      return in.toTime().isValid();
    }
    if (id == QMetaType::QDateTime) {
      out = in.toDateTime().time();
      return true;
    }
    if (id == QMetaType::Double) {
      out = SerialToTime(in.toDouble());
      return true;
    }
    QTime tm;
    if (!ParseTime(in.toString(), tm)) return false;
    out = tm;
    return true;
  }
  if (t == ftDateTime) {
    if (id == QMetaType::QDateTime) {
      out = in;
      return in.toDateTime().isValid();
    }
    if (id == QMetaType::QDate) {
      out = QDateTime(in.toDate(), QTime(0, 0));
      return true;
    }
    if (id == QMetaType::Double || id == QMetaType::Int || id == QMetaType::LongLong) {
      if (!IsValidSerial(in.toDouble())) return false;
      out = SerialToDateTime(in.toDouble());
      return true;
    }
    QDateTime dt;
    if (!ParseDateTime(in.toString(), dt)) return false;
    out = dt;
    return true;
  }
  if (IsBinaryType(t)) {
    out = in.toByteArray();
    return true;
  }
  out = in;
  return true;
}

template <typename T>
static int Cmp(const T& a, const T& b) {
  return a < b ? -1 : (b < a ? 1 : 0);
}

int CompareFieldValues(const QVariant& a, const QVariant& b, TFieldType t, bool ci) {
  const bool an = a.isNull(), bn = b.isNull();
  if (an || bn) return an == bn ? 0 : (an ? -1 : 1);
  if (IsTextFieldType(t))
    return Cmp(QString::compare(a.toString(), b.toString(), ci ? Qt::CaseInsensitive : Qt::CaseSensitive), 0);
  if (IsIntegerType(t)) return Cmp(a.toLongLong(), b.toLongLong());
  if (t == ftBCD) {
    QString x, y;
    if (ExactDecimal(a.toString(), x) && ExactDecimal(b.toString(), y)) return CompareDecimal(x, y);
    return Cmp(a.toDouble(), b.toDouble());
  }
  if (t == ftFloat || t == ftCurrency) return Cmp(a.toDouble(), b.toDouble());
  if (t == ftBoolean) return Cmp(a.toBool(), b.toBool());
  if (t == ftDate) return Cmp(a.toDate(), b.toDate());
  if (t == ftTime) return Cmp(a.toTime(), b.toTime());
  if (t == ftDateTime) return Cmp(a.toDateTime(), b.toDateTime());
  if (IsBinaryType(t)) return Cmp(a.toByteArray(), b.toByteArray());
  QPartialOrdering o = QVariant::compare(a, b);
  if (o == QPartialOrdering::Less) return -1;
  if (o == QPartialOrdering::Greater) return 1;
  return 0;
}

// ---------------------------------------------------------------------------
// Definitions

TFieldDef& TFieldDefs::Add(const QString& name, TFieldType type, int size, bool required) {
  TFieldDef d;
  d.Name = name;
  d.DataType = type;
  d.Size = size;
  d.Required = required;
  mItems.push_back(d);
  return mItems.back();
}

int TFieldDefs::IndexOf(const QString& name) const {
  // The exact spelling first: PostgreSQL may hold "code" and "Code" apart.
  for (int i = 0; i < Count(); ++i)
    if (mItems[i].Name == name) return i;
  for (int i = 0; i < Count(); ++i)
    if (mItems[i].Name.compare(name, Qt::CaseInsensitive) == 0) return i;
  return -1;
}

const TFieldDef* TFieldDefs::Find(const QString& name) const {
  int i = IndexOf(name);
  return i < 0 ? nullptr : &mItems[i];
}

QStringList TFieldDefs::Names() const {
  QStringList r;
  for (auto& d : mItems) r << d.Name;
  return r;
}

const TIndexDef* TIndexDefs::Find(const QString& name) const {
  for (auto& d : mItems)
    if (d.Name.compare(name, Qt::CaseInsensitive) == 0) return &d;
  return nullptr;
}

const TIndexDef* TIndexDefs::PrimaryKey() const {
  for (auto& d : mItems)
    if (d.Options & ixPrimary) return &d;
  for (auto& d : mItems)
    if ((d.Options & ixUnique) && !(d.Options & ixExpression) && !d.Partial) return &d;
  return nullptr;
}

const TIndexDef* TIndexDefs::WriteKey(const std::function<bool(const QString&)>& notNull) const {
  for (auto& d : mItems)
    if (d.Options & ixPrimary) return &d;
  for (auto& d : mItems) {
    if (!(d.Options & ixUnique) || (d.Options & ixExpression) || d.Partial) continue;
    const QStringList fields = d.Fields.split(';');
    if (std::all_of(fields.begin(), fields.end(), notNull)) return &d;
  }
  return nullptr;
}

}  // namespace Tarnwell
