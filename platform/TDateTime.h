#pragma once
// Date-time serials: days since 30 December 1899 as a double, the fraction
// being the time of day. For negative serials the fraction still counts
// forward from midnight (-1.25 is 29 Dec 1899, 06:00).

#include <QDate>
#include <QLocale>
#include <QDateTime>
#include <QTime>
#include <Tarnwell/TarnwellExport.h>

namespace Tarnwell {

using TDateTime = double;

constexpr TDateTime DateDelta = 693594;  // days from 1 Jan 0001 to 30 Dec 1899
constexpr double MSecsPerDay = 86400000.0;

TARNWELL_PLATFORMCORE_EXPORT TDateTime DateToSerial(const QDate& d);
TARNWELL_PLATFORMCORE_EXPORT TDateTime TimeToSerial(const QTime& t);
TARNWELL_PLATFORMCORE_EXPORT TDateTime DateTimeToSerial(const QDateTime& dt);
TARNWELL_PLATFORMCORE_EXPORT QDate SerialToDate(TDateTime v);
TARNWELL_PLATFORMCORE_EXPORT QTime SerialToTime(TDateTime v);
// Local time, no time-zone shift applied to the serial.
TARNWELL_PLATFORMCORE_EXPORT QDateTime SerialToDateTime(TDateTime v);
// Whether v maps to a valid date (1 Jan 0100 .. 31 Dec 9999).
TARNWELL_PLATFORMCORE_EXPORT bool IsValidSerial(TDateTime v);
TARNWELL_PLATFORMCORE_EXPORT TDateTime Now();
TARNWELL_PLATFORMCORE_EXPORT TDateTime Date();

// A date read with a format whose year has two digits ("yy", not "yyyy"):
// Qt puts those years in 1900..1999; they fall in 1950..2049 instead, so
// that "25" is 2025. Dates read with four-digit years pass unchanged.
TARNWELL_PLATFORMCORE_EXPORT QDate WindowTwoDigitYear(const QDate& d, const QString& format);

// The locale's date and time separators: the first character of its short
// formats that is no letter, blank or quote ("." in de_DE, "-" in nl_NL);
// "/" and ":" when the format has none. Edit masks' "/" and ":" stand for them.
TARNWELL_PLATFORMCORE_EXPORT QString LocaleDateSeparator(const QLocale& locale = QLocale());
TARNWELL_PLATFORMCORE_EXPORT QString LocaleTimeSeparator(const QLocale& locale = QLocale());

}  // namespace Tarnwell
