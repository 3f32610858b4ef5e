#include "TDateTime.h"

#include <cmath>

namespace Tarnwell {

namespace {
const QDate kEpoch(1899, 12, 30);
}

TDateTime DateToSerial(const QDate& d) { return d.isValid() ? double(kEpoch.daysTo(d)) : 0.0; }

TDateTime TimeToSerial(const QTime& t) { return t.isValid() ? t.msecsSinceStartOfDay() / MSecsPerDay : 0.0; }

TDateTime DateTimeToSerial(const QDateTime& dt) {
  const double day = DateToSerial(dt.date());
  const double frac = TimeToSerial(dt.time());
  // Before the epoch the day counts backwards but the time still runs forward.
  return day >= 0 ? day + frac : day - frac;
}

bool IsValidSerial(TDateTime v) {
  if (!std::isfinite(v)) return false;
  return v >= -693593.0 && v < 2958466.0;  // 1 Jan 0001 .. 31 Dec 9999
}

QDate SerialToDate(TDateTime v) {
  if (!IsValidSerial(v)) return QDate();
  return kEpoch.addDays(qint64(std::trunc(v)));
}

QTime SerialToTime(TDateTime v) {
  if (!std::isfinite(v)) return QTime();
  double frac = std::fabs(v - std::trunc(v));
  qint64 ms = qint64(std::llround(frac * MSecsPerDay));
  if (ms >= qint64(MSecsPerDay)) ms = qint64(MSecsPerDay) - 1;
  return QTime::fromMSecsSinceStartOfDay(int(ms));
}

QDateTime SerialToDateTime(TDateTime v) {
  if (!IsValidSerial(v)) return QDateTime();
  // Rounding the time may carry into the next day; time runs forward on
  // both sides of the epoch, so the carry is always to the following day.
  double frac = std::fabs(v - std::trunc(v));
  qint64 ms = qint64(std::llround(frac * MSecsPerDay));
  QDate d = SerialToDate(v);
  if (ms >= qint64(MSecsPerDay)) {
    ms -= qint64(MSecsPerDay);
    d = d.addDays(1);
  }
  return QDateTime(d, QTime::fromMSecsSinceStartOfDay(int(ms)));
}

TDateTime Now() { return DateTimeToSerial(QDateTime::currentDateTime()); }
TDateTime Date() { return DateToSerial(QDate::currentDate()); }

namespace {
QString FirstSeparator(const QString& format, const char* fallback) {
  for (QChar c : format)
    if (!c.isLetter() && !c.isSpace() && c != QLatin1Char('\'')) return QString(c);
  return QString::fromLatin1(fallback);
}
}  // namespace

QString LocaleDateSeparator(const QLocale& locale) {
  return FirstSeparator(locale.dateFormat(QLocale::ShortFormat), "/");
}
QString LocaleTimeSeparator(const QLocale& locale) {
  return FirstSeparator(locale.timeFormat(QLocale::ShortFormat), ":");
}

QDate WindowTwoDigitYear(const QDate& d, const QString& format) {
  if (!d.isValid() || format.contains(QLatin1String("yyyy")) || !format.contains(QLatin1String("yy"))) return d;
  return d.year() < 1950 ? d.addYears(100) : d;
}

}  // namespace Tarnwell
