#include "SShtCell.h"

#include <QIODevice>
#include <sys/mman.h>
#include <QLocale>
#include <QRegularExpression>
#include <charconv>
#include <cmath>
#include <cstring>
#include <mutex>
#include <string_view>
#include <tuple>
#include <unordered_map>
#include <utility>

#include "SShtEval.h"
#include "SShtText.h"

namespace Tarnwell {

// ---------------------------------------------------------------- names

QString ColumnName(int col) {
  if (col < 1 || col > SShtMaxCol) return QString();
  if (col <= 26) return QString(QChar(64 + col));
  return QString(QChar(64 + (col - 1) / 26)) + QChar(65 + (col - 1) % 26);
}

int ColumnFromName(const QString& s) {
  const QString u = s.toUpper();
  auto letter = [](QChar c) { return c >= QLatin1Char('A') && c <= QLatin1Char('Z'); };
  if (u.size() == 1 && letter(u[0])) return u[0].unicode() - 64;
  if (u.size() == 2 && letter(u[0]) && letter(u[1])) return u[0].unicode() * 26 + u[1].unicode() - 1728;
  return 0;
}

QString CellRefName(int col, int row) { return ColumnName(col) + QString::number(row); }

QString CellDataTypeName(int t) {
  static const char* const names[] = {"General", "Text", "Number", "Boolean", "Date", "Time", "DateTime"};
  return t >= 0 && t < CellDataTypeCount ? QString::fromLatin1(names[t]) : QString();
}

QString CellDataTypeEditMask(int t) {
  switch (t) {
    case cdtDate:
      return QStringLiteral("!99/99/0000;1;_");
    case cdtTime:
      return QStringLiteral("!90.00.00;1;_");
    case cdtDateTime:
      return QStringLiteral("!99/99/0000 00.00.00;1;_");
    default:
      return QString();
  }
}

QString CellPatternName(int p) {
  static const char* const names[] = {"CLEAR",  "HLINE",  "VLINE",   "HLINEB", "VLINEB", "DIAGD",
                                      "DIAGU",  "DIAGDB", "DIAGUB",  "CROSS",  "DCROSS", "CHESS",
                                      "CHESSB", "ALTERN", "ALTERNL", "NET",    "NETB",   "SOLID"};
  return p >= 0 && p < CellPatternCount ? QString::fromLatin1(names[p]) : QString();
}

// ---------------------------------------------------------------- conversions

namespace {

struct TScopedLocale {
  QLocale locale;
  QString decimalPoint;
};
thread_local TScopedLocale* gScoped = nullptr;

QLocale FreshNumberLocale() {
  QLocale loc;
  loc.setNumberOptions(QLocale::RejectGroupSeparator | QLocale::OmitGroupSeparator);
  return loc;
}

// The locale's short date with a four-digit year, so that no century is lost.
QString DateFormat() {
  QString f = QLocale().dateFormat(QLocale::ShortFormat);
  if (!f.contains(QLatin1String("yyyy"))) f.replace(QLatin1String("yy"), QLatin1String("yyyy"));
  return f;
}

// The locale's long time format without the time zone.
QString TimeFormat() {
  static const QRegularExpression zone(QStringLiteral("\\s*t+"));
  QString f = QLocale().timeFormat(QLocale::LongFormat);
  f.remove(zone);
  return f.trimmed();
}

// Two-digit years fall in 1950..2049.
int WindowYear(int y, int digits) {
  if (digits > 2) return y;
  return y < 50 ? 2000 + y : 1900 + y;
}

// Whether the locale writes the month before the day.
bool MonthFirst(const QLocale& loc) {
  const QString f = loc.dateFormat(QLocale::ShortFormat);
  const qsizetype m = f.indexOf(QLatin1Char('M')), d = f.indexOf(QLatin1Char('d'));
  return m >= 0 && d >= 0 && m < d;
}

// Three numbers: year first when the first has three or four digits (ISO,
// the East Asian orders), else day and month in the locale's order and the
// year last (the order of the Date mask in every locale).
bool NumericDate(const QString& t, const QLocale& loc, QDate& d) {
  static const QRegularExpression re(QStringLiteral(
      "^(\\d{1,4})\\s*([./\\-]|[^\\d\\s.\\-/])\\s*(\\d{1,2})\\s*\\2\\s*(\\d{1,4})\\s*\\.?$"));
  const QRegularExpressionMatch m = re.match(t);
  if (!m.hasMatch()) return false;
  const QString sep = m.captured(2);
  if (sep != QLatin1String("/") && sep != QLatin1String(".") && sep != QLatin1String("-") &&
      sep != LocaleDateSeparator(loc))
    return false;
  const QString a = m.captured(1), b = m.captured(3), c = m.captured(4);
  int y, mo, day;
  if (a.size() > 2) {
    if (c.size() > 2) return false;
    y = a.toInt();
    mo = b.toInt();
    day = c.toInt();
  } else {
    y = WindowYear(c.toInt(), int(c.size()));
    const bool mf = MonthFirst(loc);
    mo = mf ? a.toInt() : b.toInt();
    day = mf ? b.toInt() : a.toInt();
  }
  d = QDate(y, mo, day);
  return d.isValid();
}

bool TextToDate(const QString& s, QDate& d) {
  const QLocale loc;
  const QString t = s.trimmed();
  if (NumericDate(t, loc, d)) return true;
  for (const QString& f :
       {DateFormat(), loc.dateFormat(QLocale::ShortFormat), QStringLiteral("yyyy-MM-dd")}) {
    d = loc.toDate(t, f);
    if (d.isValid()) return true;
  }
  return false;
}

bool TextToTime(const QString& s, QTime& tm) {
  const QLocale loc;
  const QString t = s.trimmed();
  for (const QString& f : {TimeFormat(), loc.timeFormat(QLocale::ShortFormat), QStringLiteral("H:mm:ss"),
                           QStringLiteral("H:mm"), QStringLiteral("H.mm.ss"), QStringLiteral("H.mm")}) {
    tm = loc.toTime(t, f);
    if (tm.isValid()) return true;
  }
  return false;
}

bool TextToDateTime(const QString& s, TDateTime& v) {
  const QString t = s.trimmed();
  QDate d;
  QTime tm;
  if (TextToDate(t, d)) {
    v = DateToSerial(d);
    return true;
  }
  const int sp = t.indexOf(QLatin1Char(' '));
  if (sp > 0 && TextToDate(t.left(sp), d) && TextToTime(t.mid(sp + 1), tm)) {
    v = DateToSerial(d) + TimeToSerial(tm);
    return true;
  }
  return false;
}

// The words for true and false in the languages people type them in; the
// program's own Italian words count in every locale.
struct TBoolWords {
  QLocale::Language Language;
  const char16_t* True;
  const char16_t* False;
};
constexpr TBoolWords kBoolWords[] = {
    {QLocale::Italian, u"vero", u"falso"},          {QLocale::English, u"true", u"false"},
    {QLocale::German, u"wahr", u"falsch"},          {QLocale::French, u"vrai", u"faux"},
    {QLocale::Spanish, u"verdadero", u"falso"},     {QLocale::Portuguese, u"verdadeiro", u"falso"},
    {QLocale::Dutch, u"waar", u"onwaar"},           {QLocale::Swedish, u"sant", u"falskt"},
    {QLocale::Danish, u"sand", u"falsk"},           {QLocale::NorwegianBokmal, u"sann", u"usann"},
    {QLocale::Finnish, u"tosi", u"epätosi"},        {QLocale::Polish, u"prawda", u"fałsz"},
    {QLocale::Czech, u"pravda", u"nepravda"},       {QLocale::Hungarian, u"igaz", u"hamis"},
    {QLocale::Russian, u"истина", u"ложь"},         {QLocale::Turkish, u"doğru", u"yanlış"},
    {QLocale::Greek, u"αληθές", u"ψευδές"},         {QLocale::Japanese, u"真", u"偽"},
    {QLocale::Chinese, u"真", u"假"},
};

bool SameWord(const QString& t, const char16_t* w) {
  return t.compare(QString::fromUtf16(w), Qt::CaseInsensitive) == 0;
}

// A word of Italian or of the locale's language decides; any other text is
// true exactly when it begins with "1", "T" or "t".
bool BooleanFromText(const QString& s) {
  const QString t = s.trimmed();
  if (t.isEmpty()) return false;
  const QLocale::Language lang = gScoped ? gScoped->locale.language() : QLocale().language();
  for (const TBoolWords& w : kBoolWords) {
    if (w.Language != QLocale::Italian && w.Language != lang) continue;
    if (SameWord(t, w.False)) return false;
    if (SameWord(t, w.True)) return true;
  }
  return s[0] == QLatin1Char('1') || s[0] == QLatin1Char('T') || s[0] == QLatin1Char('t');
}

QString DateText(TDateTime v) {
  if (!IsValidSerial(v)) return QString();
  return QLocale().toString(SerialToDate(v), DateFormat());
}
QString TimeText(TDateTime v) {
  if (!IsValidSerial(v)) return QString();
  return QLocale().toString(SerialToTime(v), TimeFormat());
}

}  // namespace

QString CellEditText(const TCellValue& value, int dataType) {
  if (value.IsNull() || value.Kind() == TCellValue::vkString) return QString();
  const TDateTime v = value.AsNumber();
  if (!IsValidSerial(v)) return QString();
  const QLocale loc;
  QString date;
  if (dataType == cdtDate || dataType == cdtDateTime) {
    const QDate d = SerialToDate(v);
    const QString sep = LocaleDateSeparator(loc);
    const QString dd = QStringLiteral("%1").arg(d.day(), 2, 10, QLatin1Char('0'));
    const QString mm = QStringLiteral("%1").arg(d.month(), 2, 10, QLatin1Char('0'));
    date = (MonthFirst(loc) ? mm + sep + dd : dd + sep + mm) + sep +
           QStringLiteral("%1").arg(d.year(), 4, 10, QLatin1Char('0'));
  }
  const QString time = SerialToTime(v).toString(QStringLiteral("hh.mm.ss"));
  switch (dataType) {
    case cdtDate:
      return date;
    case cdtTime:
      return time;
    case cdtDateTime:
      return date + QLatin1Char(' ') + time;
    default:
      return QString();
  }
}

TSheetLocaleScope::TSheetLocaleScope() {
  if (gScoped) return;
  mOwner = true;
  gScoped = new TScopedLocale{FreshNumberLocale(), QString()};
  gScoped->decimalPoint = gScoped->locale.decimalPoint();
}

TSheetLocaleScope::~TSheetLocaleScope() {
  if (!mOwner) return;
  delete gScoped;
  gScoped = nullptr;
}

// The locale's number format is the decimal separator alone: no group
// separators, an optional sign and exponent. Parsed here rather than through
// QLocale, whose system-locale lookups cost more than the whole evaluation.
bool TextToFloat(const QString& s, double& out) {
  // Inside a scope the separator is read in place: copying its string per
  // number costs two atomic operations on every cell a formula reads.
  QString fresh;
  if (!gScoped) fresh = QLocale().decimalPoint();
  const QString& dp = gScoped ? gScoped->decimalPoint : fresh;
  const QChar sep = dp.size() == 1 ? dp[0] : QLatin1Char('.');
  char buf[128];
  size_t n = 0;
  qsizetype i = 0, end = s.size();
  while (i < end && s[i].isSpace()) ++i;
  while (end > i && s[end - 1].isSpace()) --end;
  if (i < end && s[i] == QLatin1Char('+')) ++i;
  if (end - i >= qsizetype(sizeof(buf)) || i == end) return false;
  {
    // The common form, [-]digits[<sep>digits] with at most 15 digits, is
    // the integer of its digits divided by a power of ten: both exact in a
    // double, and one division rounds correctly, as from_chars does.
    static constexpr double kTens[] = {1e0,  1e1,  1e2,  1e3,  1e4,  1e5,  1e6,  1e7,
                                       1e8,  1e9,  1e10, 1e11, 1e12, 1e13, 1e14, 1e15};
    qsizetype k = i;
    const bool negative = s[k] == QLatin1Char('-');
    if (negative) ++k;
    std::uint64_t m = 0;
    int digits = 0, fraction = -1;
    for (; k < end && digits <= 15; ++k) {
      const char16_t c = s[k].unicode();
      if (c >= '0' && c <= '9') {
        m = m * 10 + (c - '0');
        ++digits;
        if (fraction >= 0) ++fraction;
      } else if (c == sep.unicode() && fraction < 0 && digits > 0) {
        fraction = 0;
      } else {
        break;
      }
    }
    if (k == end && digits > 0 && digits <= 15 && fraction != 0) {
      const double v = fraction > 0 ? double(m) / kTens[fraction] : double(m);
      out = negative ? -v : v;
      return true;
    }
  }
  for (; i < end; ++i) {
    const QChar c = s[i];
    if (c == sep)
      buf[n++] = '.';
    else if (c >= QLatin1Char('0') && c <= QLatin1Char('9'))
      buf[n++] = char(c.unicode());
    else if (c == QLatin1Char('-') || c == QChar(0x2212))
      buf[n++] = '-';
    else if (c == QLatin1Char('+'))
      buf[n++] = '+';
    else if (c == QLatin1Char('e') || c == QLatin1Char('E'))
      buf[n++] = 'e';
    else
      return false;
  }
  // from_chars takes no "+" but after an exponent mark.
  for (size_t k = 0; k < n; ++k)
    if (buf[k] == '+' && (k == 0 || buf[k - 1] != 'e')) return false;
  double v;
  const auto res = std::from_chars(buf, buf + n, v, std::chars_format::general);
  if (res.ec != std::errc() || res.ptr != buf + n || !std::isfinite(v)) return false;
  out = v;
  return true;
}

namespace {

// The fixed-notation text of a value that is, as the nearest double, a
// decimal of at most 15 significant digits and 9 decimals: what "%.15g"
// prints for it, found without the general conversion. Such a decimal
// survives the trip through a double (15 digits are below a double's
// precision), so rounding the value to 15 digits gives it back exactly.
// Most numbers a sheet computes from typed ones are of this kind.
qsizetype ShortDecimal(double v, char* out) {
  const double a = std::fabs(v);
  if (!(a >= 1e-4 && a < 1e15)) return 0;
  static constexpr double kTens[] = {1e0, 1e1, 1e2, 1e3, 1e4, 1e5, 1e6, 1e7, 1e8, 1e9};
  for (int k = 0; k < 10; ++k) {
    const double scaled = a * kTens[k];
    if (scaled >= 1e15) return 0;
    const double r = double(std::uint64_t(scaled + 0.5));
    if (r / kTens[k] != a) continue;
    char digits[24] = {};  // zeroed so that gcc can tell every read is of a written digit
    int d = 0;
    for (auto m = std::uint64_t(r); m != 0; m /= 10) digits[d++] = char('0' + m % 10);
    // digits holds the decimal's digits, last first; k of them are decimals.
    int skip = 0;
    while (skip < k && digits[skip] == '0') ++skip;  // trailing zeros of the fraction
    qsizetype n = 0;
    if (v < 0) out[n++] = '-';
    if (d <= k) {
      out[n++] = '0';
    } else {
      for (int i = d - 1; i >= k; --i) out[n++] = digits[i];
    }
    if (skip < k) {
      out[n++] = '.';
      for (int i = k - 1; i >= skip; --i) out[n++] = i < d ? digits[i] : '0';
    }
    return n;
  }
  return 0;
}

}  // namespace

QString FloatToText(double v) {
  if (v == 0 || !std::isfinite(v)) return QStringLiteral("0");
  {
    char fixed[40];
    const qsizetype n = ShortDecimal(v, fixed);
    if (n > 0) {
      const QString* dp = gScoped ? &gScoped->decimalPoint : nullptr;
      const QString fresh = dp ? QString() : QLocale().decimalPoint();
      if (!dp) dp = &fresh;
      if (dp->size() == 1) {
        const char16_t point = (*dp)[0].unicode();
        QString s(n, Qt::Uninitialized);
        char16_t* q = reinterpret_cast<char16_t*>(s.data());
        for (qsizetype i = 0; i < n; ++i) q[i] = fixed[i] == '.' ? point : char16_t(fixed[i]);
        return s;
      }
    }
  }
  char buf[64];
  const auto res = std::to_chars(buf, buf + sizeof(buf), v, std::chars_format::general, 15);
  std::string_view text(buf, size_t(res.ptr - buf));
  char out[64];
  size_t n = 0;
  const size_t e = text.find('e');
  const std::string_view mantissa = text.substr(0, e);
  for (char c : mantissa) out[n++] = c;
  if (e != std::string_view::npos) {
    // "1e+20" reads "1E20", "1.5e-07" reads "1.5E-7".
    out[n++] = 'E';
    int exp = 0;
    std::from_chars(text.data() + e + 2, text.data() + text.size(), exp);
    if (text[e + 1] == '-') exp = -exp;
    n = size_t(std::to_chars(out + n, out + sizeof(out), exp).ptr - out);
  }
  QString s = QString::fromLatin1(out, qsizetype(n));
  const QString dp = gScoped ? gScoped->decimalPoint : QLocale().decimalPoint();
  if (dp != QLatin1String(".")) s.replace(QLatin1Char('.'), dp);
  return s;
}

bool TCellValue::ToNumber(double& out) const {
  switch (mKind) {
    case vkNumber:
    case vkDateTime:
      out = mNumber;
      return true;
    case vkBoolean:
      out = mNumber != 0 ? -1 : 0;
      return true;
    case vkString:
      return !mString.isEmpty() && TextToFloat(mString, out);
    default:
      return false;
  }
}

QVariant TCellValue::ToVariant() const {
  switch (mKind) {
    case vkString:
      return mString;
    case vkNumber:
      return mNumber;
    case vkBoolean:
      return mNumber != 0;
    case vkDateTime:
      return SerialToDateTime(mNumber);
    default:
      return QVariant();
  }
}

TCellValue TextToCellValue(const QString& text, int dataType) {
  switch (dataType) {
    case cdtNumber: {
      double v;
      return TextToFloat(text, v) ? TCellValue::Number(v) : TCellValue();
    }
    case cdtBoolean:
      return TCellValue::Boolean(BooleanFromText(text));
    case cdtDate: {
      QDate d;
      return TextToDate(text, d) ? TCellValue::DateTime(DateToSerial(d)) : TCellValue();
    }
    case cdtTime: {
      QTime t;
      return TextToTime(text, t) ? TCellValue::DateTime(TimeToSerial(t)) : TCellValue();
    }
    case cdtDateTime: {
      TDateTime v;
      return TextToDateTime(text, v) ? TCellValue::DateTime(v) : TCellValue();
    }
    default:
      return TCellValue::String(text);
  }
}

QString CellValueToText(const TCellValue& value, int dataType) {
  if (value.IsNull()) return QString();
  double num = 0;
  const bool isString = value.Kind() == TCellValue::vkString;
  switch (dataType) {
    case cdtNumber:
      if (isString) return TextToFloat(value.AsString(), num) ? FloatToText(num) : QString();
      value.ToNumber(num);
      return FloatToText(num);
    case cdtBoolean: {
      const bool b = isString ? BooleanFromText(value.AsString()) : value.AsNumber() != 0;
      return b ? QStringLiteral("True") : QStringLiteral("False");
    }
    case cdtDate:
    case cdtTime:
    case cdtDateTime: {
      TDateTime v = 0;
      if (isString) {
        const TCellValue parsed = TextToCellValue(value.AsString(), dataType);
        if (parsed.IsNull()) return QString();
        v = parsed.AsNumber();
      } else {
        value.ToNumber(v);
      }
      if (dataType == cdtDate) return DateText(v);
      if (dataType == cdtTime) return TimeText(v);
      const QString d = DateText(v);
      return d.isEmpty() ? d : d + QLatin1Char(' ') + TimeText(v);
    }
    default:
      switch (value.Kind()) {
        case TCellValue::vkString:
          return value.AsString();
        case TCellValue::vkNumber:
          return FloatToText(value.AsNumber());
        case TCellValue::vkBoolean:
          return value.AsBoolean() ? QStringLiteral("True") : QStringLiteral("False");
        case TCellValue::vkDateTime: {
          const double v = value.AsNumber();
          const QString d = DateText(v);
          if (d.isEmpty() || v == std::floor(v)) return d;
          return d + QLatin1Char(' ') + TimeText(v);
        }
        default:
          return QString();
      }
  }
}

// ---------------------------------------------------------------- shared formats

namespace {

using SShtDetail::TSharedFormat;

void PutU32(char* p, std::uint32_t v) {
  p[0] = char(v);
  p[1] = char(v >> 8);
  p[2] = char(v >> 16);
  p[3] = char(v >> 24);
}
std::uint32_t GetU32(const char* p) {
  const auto* u = reinterpret_cast<const unsigned char*>(p);
  return std::uint32_t(u[0]) | (std::uint32_t(u[1]) << 8) | (std::uint32_t(u[2]) << 16) |
         (std::uint32_t(u[3]) << 24);
}

constexpr int FixedRecordSize = 162;
constexpr int ImageAt = 8;  // where the format's bytes begin in a record

// The format's bytes of a record (offsets 8..160 there).
void FormatImage(const TCellFormat& fmt, char* image) {
  std::memset(image, 0, TSharedFormat::ImageSize);
  char* f = image;  // record offset 8
  const QByteArray name = Cp1252FromUnicode(fmt.Font.Name.left(CellFontNameMax));
  f[0] = char(name.size());
  std::memcpy(f + 1, name.constData(), size_t(name.size()));
  PutU32(f + 68, std::uint32_t(fmt.Font.Size));
  PutU32(f + 72, fmt.Font.Color);
  f[76] = char(fmt.Font.Style);
  f[80] = char(fmt.HAlign);
  f[81] = char(fmt.VAlign);
  PutU32(f + 84, fmt.BackColor);
  PutU32(f + 88, fmt.PatternColor);
  f[92] = char(fmt.Pattern);
  for (int i = 0; i < 4; ++i) {
    char* b = f + 96 + 12 * i;
    b[0] = char(fmt.Borders[size_t(i)].Style);
    PutU32(b + 4, std::uint32_t(fmt.Borders[size_t(i)].Width));
    PutU32(b + 8, fmt.Borders[size_t(i)].Color);
  }
  f[152 - ImageAt] = char(fmt.DataType);
  std::uint64_t bits;
  std::memcpy(&bits, &fmt.FormatStamp, 8);
  PutU32(f + 153 - ImageAt, std::uint32_t(bits));
  PutU32(f + 157 - ImageAt, std::uint32_t(bits >> 32));
}

std::size_t HashFormat(const TCellFormat& f) {
  std::size_t h = qHash(f.Font.Name);
  auto mix = [&h](std::uint64_t v) { h = (h ^ v) * 0x9E3779B97F4A7C15ull + (h >> 29); };
  mix(std::uint32_t(f.Font.Size));
  mix(f.Font.Color);
  mix(f.Font.Style | (f.HAlign << 8) | (f.VAlign << 16) | (std::uint32_t(f.Pattern) << 24));
  mix(f.DataType);
  mix(f.BackColor);
  mix(f.PatternColor);
  for (const TCellBorder& b : f.Borders)
    mix((std::uint64_t(std::uint32_t(b.Style)) << 40) ^ (std::uint64_t(std::uint32_t(b.Width)) << 32) ^ b.Color);
  mix(qHash(f.EditMask));
  std::uint64_t bits;
  std::memcpy(&bits, &f.FormatStamp, 8);
  mix(bits);
  return h;
}

// Every shared format, found by its content. A format lives while cells
// (or memos) refer to it; the last reference takes it out. A format whose
// count reached 0 is never taken up again: the one that let it go deletes it.
class TFormatTable {
 public:
  const TSharedFormat* Intern(const TCellFormat& f) {
    const std::size_t h = HashFormat(f);
    std::lock_guard<std::mutex> lock(mMutex);
    auto [a, b] = mTable.equal_range(h);
    for (auto it = a; it != b; ++it) {
      TSharedFormat* e = it->second;
      if (!(e->Format == f)) continue;
      if (e->Refs.load(std::memory_order_acquire) == 0) {
        // Being let go right now: leave it to its last holder.
        e->InTable = false;
        mTable.erase(it);
        break;
      }
      e->Refs.fetch_add(1, std::memory_order_relaxed);
      return e;
    }
    auto* e = new TSharedFormat;
    e->Format = f;
    e->Hash = h;
    e->Refs.store(1, std::memory_order_relaxed);
    e->InTable = true;
    FormatImage(f, e->Image);
    mTable.emplace(h, e);
    return e;
  }
  void Release(const TSharedFormat* e) {
    if (e->Refs.fetch_sub(1, std::memory_order_acq_rel) != 1) return;
    auto* m = const_cast<TSharedFormat*>(e);
    {
      std::lock_guard<std::mutex> lock(mMutex);
      if (m->InTable) {
        auto [a, b] = mTable.equal_range(m->Hash);
        for (auto it = a; it != b; ++it)
          if (it->second == m) {
            mTable.erase(it);
            break;
          }
      }
    }
    delete m;
  }
  std::size_t Size() {
    std::lock_guard<std::mutex> lock(mMutex);
    return mTable.size();
  }

 private:
  std::mutex mMutex;
  std::unordered_multimap<std::size_t, TSharedFormat*> mTable;
};

// Never destroyed: cells and memos of other threads may outlive main().
TFormatTable& Formats() {
  static TFormatTable* table = new TFormatTable;
  return *table;
}

inline const TSharedFormat* Retain(const TSharedFormat* e) {
  e->Refs.fetch_add(1, std::memory_order_relaxed);
  return e;
}
inline void Release(const TSharedFormat* e) {
  if (e) Formats().Release(e);
}

const TSharedFormat* DefaultFormat() {
  static const TSharedFormat* d = Formats().Intern(TCellFormat{});  // one reference kept for good
  return Retain(d);
}

// The last change of one kind (from a format, with given arguments) and its
// result: whole-column and whole-sheet commands change thousands of cells of
// one format in the same way, and so intern once. Holding both formats keeps
// their addresses from being reused while remembered.
template <class Args>
struct TFormatMemo {
  const TSharedFormat* From = nullptr;
  const TSharedFormat* To = nullptr;
  Args Key{};
  TFormatMemo() = default;
  TFormatMemo(const TFormatMemo&) = delete;
  ~TFormatMemo() {
    Release(From);
    Release(To);
  }
  // The format that change makes of from (with a reference for the caller).
  template <class F>
  const TSharedFormat* Apply(const TSharedFormat* from, const Args& key, F&& change) {
    if (From == from && To && Key == key) return Retain(To);
    TCellFormat f = from->Format;
    change(f);
    const TSharedFormat* to = f == from->Format ? Retain(from) : Formats().Intern(f);
    Release(From);
    Release(To);
    From = Retain(from);
    To = Retain(to);
    Key = key;
    return to;
  }
};

}  // namespace

namespace SShtDetail {
// The number of distinct formats in use (for tests and measurements).
std::size_t SharedFormatCount() { return Formats().Size(); }
}  // namespace SShtDetail

// ---------------------------------------------------------------- the cell

namespace {

// Fixed-size slots cut from 2 MiB slabs that the kernel may back with huge
// pages: one page fault per slab instead of one per 4 KiB, and no search of
// the general heap's free lists. Freed slots are reused by later cells; the
// slabs stay with the process.
class TCellSlots {
 public:
  static constexpr std::size_t kSlot = (sizeof(TSpreadSheetCell) + alignof(TSpreadSheetCell) - 1) /
                                       alignof(TSpreadSheetCell) * alignof(TSpreadSheetCell);
  static constexpr std::size_t kSlab = std::size_t(2) << 20;

  void* Take() {
    std::lock_guard<std::mutex> lock(mMutex);
    if (mFree) {
      void* p = mFree;
      mFree = *static_cast<void**>(p);
      return p;
    }
    if (std::size_t(mEnd - mNext) < kSlot) NewSlab();
    void* p = mNext;
    mNext += kSlot;
    return p;
  }
  void Give(void* p) noexcept {
    std::lock_guard<std::mutex> lock(mMutex);
    *static_cast<void**>(p) = mFree;
    mFree = p;
  }

 private:
  void NewSlab() {
    // Twice the size, so that a 2 MiB-aligned slab lies inside.
    void* m = mmap(nullptr, 2 * kSlab, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
    if (m == MAP_FAILED) throw std::bad_alloc();
    auto* raw = static_cast<char*>(m);
    char* slab = reinterpret_cast<char*>((reinterpret_cast<std::uintptr_t>(raw) + kSlab - 1) & ~(kSlab - 1));
    if (slab > raw) munmap(raw, std::size_t(slab - raw));
    if (slab + kSlab < raw + 2 * kSlab) munmap(slab + kSlab, std::size_t(raw + 2 * kSlab - (slab + kSlab)));
    madvise(slab, kSlab, MADV_HUGEPAGE);
    mNext = slab;
    mEnd = slab + kSlab;
  }

  std::mutex mMutex;
  void* mFree = nullptr;
  char* mNext = nullptr;
  char* mEnd = nullptr;
};

// Never destroyed: cells of other threads may outlive main().
TCellSlots& CellSlots() {
  static TCellSlots* pool = new TCellSlots;
  return *pool;
}

}  // namespace

// Under AddressSanitizer every cell comes from the general heap, so a use
// after free or a leaked cell is still reported.
#if defined(__SANITIZE_ADDRESS__)
#define TARNWELL_CELL_SLOTS 0
#else
#define TARNWELL_CELL_SLOTS 1
#endif

void* TSpreadSheetCell::operator new(std::size_t size) {
  if (!TARNWELL_CELL_SLOTS || size != sizeof(TSpreadSheetCell)) return ::operator new(size);
  return CellSlots().Take();
}

void TSpreadSheetCell::operator delete(void* p, std::size_t size) noexcept {
  if (!p) return;
  if (!TARNWELL_CELL_SLOTS || size != sizeof(TSpreadSheetCell)) {
    ::operator delete(p);
    return;
  }
  CellSlots().Give(p);
}

const QString& TCellValue::EmptyString() {
  static const QString empty;
  return empty;
}

const std::string& TSpreadSheetCell::FormulaBytes() const {
  static const std::string none;
  return mExtra ? mExtra->FormulaBytes : none;
}

TSpreadSheetCell::TExtra& TSpreadSheetCell::Extra() {
  if (!mExtra) mExtra = std::make_unique<TExtra>();
  return *mExtra;
}

// Frees the extra part when it holds nothing.
void TSpreadSheetCell::TrimExtra() {
  if (mExtra && mExtra->FormulaBytes.empty() && !(mFlags & kOwnDisplay) && mExtra->RecalcIndex < 0)
    mExtra.reset();
}

void TSpreadSheetCell::DropFormulaBytes() {
  if (!mExtra) return;
  mExtra->FormulaBytes.clear();
  mExtra->FormulaBytes.shrink_to_fit();
  TrimExtra();
}

// Most texts show as typed: one string then serves both (a sheet of a
// million cells holds a million such pairs).
void TSpreadSheetCell::SetDisplay(const QString& d) {
  if (d.size() == mText.size() && d == mText) {
    if (mFlags & kOwnDisplay) {
      mFlags &= std::uint8_t(~kOwnDisplay);
      mExtra->DisplayText.clear();
      TrimExtra();
    }
    return;
  }
  Extra().DisplayText = d;
  mFlags |= kOwnDisplay;
}

void TSpreadSheetCell::SetError() {
  static const QString error = QStringLiteral("Error!");
  mValue = TCellValue::String(error);
  SetDisplay(error);
}

TSpreadSheetCell::TSpreadSheetCell(int col, int row, TSpreadSheetFormuler* formuler,
                                   const TSpreadSheetCell* templ)
    : mRow(row), mCol(std::int16_t(col)), mFormat(DefaultFormat()), mFormuler(formuler) {
  if (templ) Assign(templ);
}

TSpreadSheetCell::~TSpreadSheetCell() { Release(mFormat); }

void TSpreadSheetCell::TakeFormat(const TSharedFormat* next) {
  const TSharedFormat* old = mFormat;
  mFormat = next;
  Release(old);
}

void TSpreadSheetCell::EnterPlain(const QString& s) {
  mText = s;
  DropFormulaBytes();
  mValue = TextToCellValue(s, DataType());
  SetDisplay(CellValueToText(mValue, DataType()));
}

void TSpreadSheetCell::ApplyFormulaResult(double r) {
  mValue = TCellValue::Number(r == 0 ? 0.0 : r);
  SetDisplay(CellValueToText(mValue, DataType()));
}

void TSpreadSheetCell::SetText(const QString& s) {
  mFlags &= std::uint8_t(~kFormula);
  const QString t = s.trimmed();
  if (s.isEmpty() || t.isEmpty()) {
    mText = s;
    DropFormulaBytes();
    mValue = TCellValue::String(s);
    SetDisplay(s);
    return;
  }
  if (!t.startsWith(QLatin1Char('=')) || !mFormuler) {
    EnterPlain(s);
    return;
  }
  mText = t.toUpper();
  Extra().FormulaBytes = TSpreadSheetFormuler::Prepare(mText);
  const double r = mFormuler->EvaluatePrepared(FormulaBytes());
  if (mFormuler->SyntaxError()) {
    EnterPlain(s);
    return;
  }
  mFlags |= kFormula;
  if (mFormuler->EvalError())
    SetError();
  else
    ApplyFormulaResult(r);
}

bool TSpreadSheetCell::Recalc() {
  if (!IsFormula() || !mFormuler) return false;
  const TCellValue old = mValue;
  const double r = mFormuler->EvaluatePrepared(FormulaBytes());
  // A syntax fault can surface only now when an earlier evaluation error
  // stopped the reading before it: the formula still cannot be computed.
  if (mFormuler->EvalError() || mFormuler->SyntaxError())
    SetError();
  else
    ApplyFormulaResult(r);
  return !(old == mValue);
}

void TSpreadSheetCell::Assign(const TSpreadSheetCell* source) {
  if (!source || source == this) return;
  if (mFormat != source->mFormat) TakeFormat(Retain(source->mFormat));
  mFlags = std::uint8_t((mFlags & ~kFormula) | (source->mFlags & kFormula));
  try {
    SetText(source->mText);
  } catch (...) {
  }
}

namespace {

// Whether SetText takes the text for a formula (given an evaluator).
bool StartsFormula(const QString& s) {
  for (QChar c : s)
    if (!c.isSpace()) return c == QLatin1Char('=');
  return false;
}

// A formula's text trimmed and in capitals. Saved formulas are already so:
// ASCII text without small letters is its own capitals, which spares the
// general case mapping and a copy.
QString UpperFormula(const QString& s) {
  QString t = s.trimmed();
  for (QChar c : t)
    if (c.unicode() >= 0x80 || (c.unicode() >= 'a' && c.unicode() <= 'z')) return t.toUpper();
  return t;
}

}  // namespace

void TSpreadSheetCell::EnterLoaded(const TSpreadSheetCell& source, TSpreadSheetFormuler* probe) {
  if (mFormat != source.mFormat) TakeFormat(Retain(source.mFormat));
  const QString& s = source.mText;
  try {
    if (!mFormuler || !StartsFormula(s)) {
      if (DataType() != cdtGeneral || mFlags != 0 || mExtra) {
        SetText(s);
        return;
      }
      // A General cell holds and shows such a text as it is (SetText's
      // outcome, without its conversions).
      mText = s;
      mValue = TCellValue::String(s);
      return;
    }
    if (probe) {
      const QString upper = UpperFormula(s);
      std::string bytes = TSpreadSheetFormuler::Prepare(upper);
      probe->EvaluatePrepared(bytes);
      // Evaluated to its end, the formula parses whatever its cells hold:
      // SetText would keep it as a formula, and the recalculation gives it
      // its value. Otherwise the outcome depends on the cells read so far.
      if (!probe->SyntaxError() && !probe->EvalError()) {
        mFlags &= std::uint8_t(~kFormula);
        mText = upper;
        Extra().FormulaBytes = std::move(bytes);
        mFlags |= kFormula;
        ApplyFormulaResult(0);
        return;
      }
    }
    SetText(s);
  } catch (...) {
  }
}

void TSpreadSheetCell::SetDataType(int t) {
  if (t < 0 || t >= CellDataTypeCount) return;
  thread_local TFormatMemo<int> memo;
  TakeFormat(memo.Apply(mFormat, t, [t](TCellFormat& f) {
    f.DataType = std::uint8_t(t);
    f.EditMask = CellDataTypeEditMask(t);
  }));
  SetDisplay(IsFormula() && mValue.Kind() == TCellValue::vkString ? mValue.AsString()
                                                                   : CellValueToText(mValue, t));
}

void TSpreadSheetCell::SetFont(const TCellFont& font) {
  thread_local TFormatMemo<TCellFont> memo;
  TakeFormat(memo.Apply(mFormat, font, [&font](TCellFormat& f) {
    if (!font.Name.isEmpty()) f.Font.Name = font.Name.left(CellFontNameMax);
    if (font.Size >= 0) f.Font.Size = font.Size;
    if (font.Color != scKeepColor) f.Font.Color = font.Color;
    if (font.Style < scKeepStyle) f.Font.Style = font.Style;
  }));
}

void TSpreadSheetCell::SetFontExact(const TCellFont& font) {
  TCellFormat f = mFormat->Format;
  f.Font = font;
  TakeFormat(Formats().Intern(f));
}

void TSpreadSheetCell::IncludeStyle(int bit) {
  if (bit < 0 || bit > 3) return;
  thread_local TFormatMemo<int> memo;
  TakeFormat(memo.Apply(mFormat, bit, [bit](TCellFormat& f) { f.Font.Style |= std::uint8_t(1u << bit); }));
}
void TSpreadSheetCell::ExcludeStyle(int bit) {
  if (bit < 0 || bit > 3) return;
  thread_local TFormatMemo<int> memo;
  TakeFormat(memo.Apply(mFormat, bit, [bit](TCellFormat& f) { f.Font.Style &= std::uint8_t(~(1u << bit)); }));
}

void TSpreadSheetCell::SetAlignment(int h, int v) {
  thread_local TFormatMemo<std::pair<int, int>> memo;
  TakeFormat(memo.Apply(mFormat, {h, v}, [h, v](TCellFormat& f) {
    if (h >= 0 && h < scKeepHAlign) f.HAlign = std::uint8_t(h);
    if (v >= 0 && v < scKeepVAlign) f.VAlign = std::uint8_t(v);
  }));
}

void TSpreadSheetCell::SetBackground(TColor back, TColor patternColor, int pattern) {
  thread_local TFormatMemo<std::tuple<TColor, TColor, int>> memo;
  TakeFormat(memo.Apply(mFormat, {back, patternColor, pattern}, [&](TCellFormat& f) {
    if (back != scKeepColor) f.BackColor = back;
    if (patternColor != scKeepColor) f.PatternColor = patternColor;
    if (pattern >= 0 && pattern < CellPatternCount) f.Pattern = std::uint8_t(pattern);
  }));
}

void TSpreadSheetCell::SetBorders(const QString& sides, int style, int width, TColor color) {
  thread_local TFormatMemo<std::tuple<QString, int, int, TColor>> memo;
  TakeFormat(memo.Apply(mFormat, {sides, style, width, color}, [&](TCellFormat& f) {
    const QString u = sides.toUpper();
    static const char letters[4] = {'L', 'T', 'R', 'B'};
    for (int i = 0; i < 4; ++i) {
      if (!u.contains(QLatin1Char(letters[i]))) continue;
      TCellBorder& b = f.Borders[size_t(i)];
      if (style >= 0 && style < scKeepBorderStyle) b.Style = style;
      if (width >= 0) b.Width = std::min(width, CellBorderMaxWidth);
      if (color != scKeepColor) b.Color = color;
    }
  }));
}

void TSpreadSheetCell::SetFormatStamp(TDateTime v) {
  if (!std::isfinite(v) || v == FormatStamp()) return;
  thread_local TFormatMemo<double> memo;
  TakeFormat(memo.Apply(mFormat, v, [v](TCellFormat& f) { f.FormatStamp = v; }));
}

bool TSpreadSheetCell::GetBorder(QChar side, TCellBorder& out) const {
  switch (side.toUpper().unicode()) {
    case 'L':
      out = Borders()[cbsLeft];
      return true;
    case 'T':
      out = Borders()[cbsTop];
      return true;
    case 'R':
      out = Borders()[cbsRight];
      return true;
    case 'B':
      out = Borders()[cbsBottom];
      return true;
    default:
      return false;
  }
}

void TSpreadSheetCell::SetFormatExact(const TCellFormat& f) {
  thread_local TFormatMemo<TCellFormat> memo;
  TakeFormat(memo.Apply(mFormat, f, [&f](TCellFormat& g) { g = f; }));
}

void TSpreadSheetCell::SetFormat(const TCellFormat& f) {
  const int oldType = DataType();
  TCellFormat g = f;
  if (g.DataType >= CellDataTypeCount) g.DataType = std::uint8_t(oldType);
  SetFormatExact(g);
  if (DataType() != oldType)
    SetDisplay(IsFormula() && mValue.Kind() == TCellValue::vkString ? mValue.AsString()
                                                                     : CellValueToText(mValue, DataType()));
}

bool TSpreadSheetCell::HasSameFormat(const TSpreadSheetCell& o) const {
  if (mFormat == o.mFormat) return true;
  const TCellFormat &a = mFormat->Format, &b = o.mFormat->Format;
  return a.Font == b.Font && a.HAlign == b.HAlign && a.VAlign == b.VAlign && a.BackColor == b.BackColor &&
         a.PatternColor == b.PatternColor && a.Pattern == b.Pattern && a.Borders == b.Borders &&
         a.DataType == b.DataType;
}

// ---------------------------------------------------------------- the record

namespace {

void PutString(QByteArray& out, const QString& s, bool wide) {
  char len[4];
  if (wide) {
    // UTF-16 code units, little-endian: the text exactly as held.
    PutU32(len, std::uint32_t(s.size()));
    out.append(len, 4);
    const qsizetype at = out.size();
    out.resize(at + 2 * s.size());
    char* p = out.data() + at;
    for (QChar c : s) {
      *p++ = char(c.unicode());
      *p++ = char(c.unicode() >> 8);
    }
    return;
  }
  // Texts of plain ASCII (most are) go straight in.
  const qsizetype n = s.size();
  const auto* u = reinterpret_cast<const char16_t*>(s.utf16());
  qsizetype k = 0;
  while (k < n && u[k] < 0x80) ++k;
  if (k == n) {
    PutU32(len, std::uint32_t(n));
    out.append(len, 4);
    const qsizetype at = out.size();
    out.resize(at + n);
    char* p = out.data() + at;
    for (qsizetype i = 0; i < n; ++i) p[i] = char(u[i]);
    return;
  }
  const QByteArray b = Cp1252FromUnicode(s);
  PutU32(len, std::uint32_t(b.size()));
  out.append(len, 4);
  out.append(b);
}

// A string of a record: code page 1252, or UTF-16 in wide records.
QString RecordString(const char* p, std::uint32_t n, bool wide) {
  if (wide) {
    QString s(qsizetype(n), Qt::Uninitialized);
    const auto* u = reinterpret_cast<const unsigned char*>(p);
    char16_t* d = reinterpret_cast<char16_t*>(s.data());
    for (qsizetype k = 0; k < qsizetype(n); ++k) d[k] = char16_t(u[2 * k] | (u[2 * k + 1] << 8));
    return s;
  }
  qsizetype k = 0;
  while (k < qsizetype(n) && static_cast<unsigned char>(p[k]) < 0x80) ++k;
  if (k == qsizetype(n)) return QString::fromLatin1(p, qsizetype(n));
  return UnicodeFromCp1252(QByteArray(p, qsizetype(n)));
}

// The format of the last record read, by its bytes: records of one sheet
// mostly share a few formats, and comparing bytes is cheaper than building
// and looking up a format per record.
struct TReadMemo {
  const TSharedFormat* Format = nullptr;
  char Image[TSharedFormat::ImageSize];
  QString Mask, WideName;
  ~TReadMemo() { Release(Format); }
};

}  // namespace

bool TSpreadSheetCell::StoresExactly() const {
  auto exact = [](const QString& t) { return UnicodeFromCp1252(Cp1252FromUnicode(t)) == t; };
  return exact(mText) && ((mFlags & kOwnDisplay) == 0 || exact(DisplayText())) && exact(EditMask()) &&
         exact(Font().Name.left(CellFontNameMax));
}

void TSpreadSheetCell::WriteTo(QByteArray& out, bool wide) const {
  char rec[FixedRecordSize];
  PutU32(rec + 0, std::uint32_t(mCol));
  PutU32(rec + 4, std::uint32_t(mRow));
  std::memcpy(rec + ImageAt, mFormat->Image, TSharedFormat::ImageSize);
  rec[161] = IsFormula() ? 1 : 0;
  out.append(rec, FixedRecordSize);
  PutString(out, EditMask(), wide);
  PutString(out, mText, wide);
  PutString(out, DisplayText(), wide);
  if (wide) PutString(out, Font().Name.left(CellFontNameMax), true);
}

void TSpreadSheetCell::WriteTo(QIODevice& dev) const {
  QByteArray b;
  WriteTo(b);
  if (dev.write(b) != b.size())
    throw ECellRecordError(QStringLiteral("cannot write a cell record: %1").arg(dev.errorString()));
}

qsizetype TSpreadSheetCell::RecordLength(const char* data, qsizetype size, qsizetype pos, bool wide) {
  if (size - pos < FixedRecordSize) return -1;
  qsizetype p = pos + FixedRecordSize;
  const int unit = wide ? 2 : 1;
  for (int i = 0; i < (wide ? 4 : 3); ++i) {
    if (size - p < 4) return -1;
    const std::uint64_t n = GetU32(data + p);
    p += 4;
    if (n * unit > std::uint64_t(size - p)) return -1;
    p += qsizetype(n) * unit;
  }
  return p - pos;
}

void TSpreadSheetCell::ReadFrom(const char* data, qsizetype size, qsizetype& pos, bool wide) {
  auto fail = [&](const QString& what) {
    throw ECellRecordError(QStringLiteral("cell record at byte %1: %2").arg(pos).arg(what));
  };
  if (size - pos < FixedRecordSize) fail(QStringLiteral("cut off"));
  const char* rec = data + pos;
  const std::int32_t col = std::int32_t(GetU32(rec));
  const std::int32_t row = std::int32_t(GetU32(rec + 4));
  if (col < 0 || col > SShtMaxCol) fail(QStringLiteral("column %1 out of range").arg(col));
  if (row < 0 || row > SShtMaxRow) fail(QStringLiteral("row %1 out of range").arg(row));
  const int isFormula = static_cast<unsigned char>(rec[161]);
  if (isFormula > 1) fail(QStringLiteral("formula flag %1 unknown").arg(isFormula));
  // The strings first: the memo of formats needs the mask (and the full
  // font name of wide records).
  qsizetype p = pos + FixedRecordSize;
  const char* at[4] = {};
  std::uint32_t len[4] = {};
  static const char* const what[4] = {"edit mask", "text", "display text", "font name"};
  const int unit = wide ? 2 : 1;
  for (int i = 0; i < (wide ? 4 : 3); ++i) {
    if (size - p < 4) fail(QStringLiteral("%1 length cut off").arg(QLatin1String(what[i])));
    const std::uint32_t n = GetU32(data + p);
    p += 4;
    if (std::uint64_t(n) * unit > std::uint64_t(size - p))
      fail(QStringLiteral("%1 length %2 runs past the data").arg(QLatin1String(what[i])).arg(n));
    at[i] = data + p;
    len[i] = n;
    p += qsizetype(n) * unit;
  }
  if (wide && len[3] > std::uint32_t(CellFontNameMax)) fail(QStringLiteral("font name too long"));
  const QString mask = RecordString(at[0], len[0], wide);
  const QString wideName = wide ? RecordString(at[3], len[3], true) : QString();

  thread_local TReadMemo memo;
  const TSharedFormat* format = nullptr;
  if (memo.Format && std::memcmp(memo.Image, rec + ImageAt, TSharedFormat::ImageSize) == 0 &&
      memo.Mask == mask && memo.WideName == wideName) {
    format = Retain(memo.Format);
  } else {
    const char* f = rec + 8;
    const int nameLen = static_cast<unsigned char>(f[0]);
    if (nameLen > CellFontNameMax)
      fail(QStringLiteral("font name length %1 over %2").arg(nameLen).arg(CellFontNameMax));
    TCellFormat fmt;
    fmt.Font.Name = wide ? wideName : UnicodeFromCp1252(QByteArray(f + 1, nameLen));
    fmt.Font.Size = std::int32_t(GetU32(f + 68));
    fmt.Font.Color = GetU32(f + 72);
    fmt.Font.Style = std::uint8_t(f[76]);
    if (fmt.Font.Style > 15) fail(QStringLiteral("font style %1 unknown").arg(fmt.Font.Style));
    const int h = static_cast<unsigned char>(f[80]), v = static_cast<unsigned char>(f[81]);
    if (h > 3) fail(QStringLiteral("horizontal alignment %1 unknown").arg(h));
    if (v > 2) fail(QStringLiteral("vertical alignment %1 unknown").arg(v));
    const int pattern = static_cast<unsigned char>(f[92]);
    if (pattern >= CellPatternCount) fail(QStringLiteral("pattern %1 unknown").arg(pattern));
    for (int i = 0; i < 4; ++i) {
      const char* b = f + 96 + 12 * i;
      TCellBorder& bd = fmt.Borders[size_t(i)];
      bd.Style = static_cast<unsigned char>(b[0]);
      bd.Width = std::int32_t(GetU32(b + 4));
      bd.Color = GetU32(b + 8);
      if (bd.Style > CellBorderNone) fail(QStringLiteral("border style %1 unknown").arg(bd.Style));
      if (bd.Width < 0 || bd.Width > CellBorderMaxWidth)
        fail(QStringLiteral("border width %1 out of range").arg(bd.Width));
    }
    const int dataType = static_cast<unsigned char>(rec[152]);
    if (dataType >= CellDataTypeCount) fail(QStringLiteral("data type %1 unknown").arg(dataType));
    const std::uint64_t bits = std::uint64_t(GetU32(rec + 153)) | (std::uint64_t(GetU32(rec + 157)) << 32);
    double stamp;
    std::memcpy(&stamp, &bits, 8);
    if (!std::isfinite(stamp)) fail(QStringLiteral("format stamp is not a number"));
    fmt.HAlign = std::uint8_t(h);
    fmt.VAlign = std::uint8_t(v);
    fmt.BackColor = GetU32(f + 84);
    fmt.PatternColor = GetU32(f + 88);
    fmt.Pattern = std::uint8_t(pattern);
    fmt.DataType = std::uint8_t(dataType);
    fmt.FormatStamp = stamp;
    fmt.EditMask = mask;
    format = Formats().Intern(fmt);
    Release(memo.Format);
    memo.Format = Retain(format);
    std::memcpy(memo.Image, rec + ImageAt, TSharedFormat::ImageSize);
    memo.Mask = mask;
    memo.WideName = wideName;
  }
  mCol = std::int16_t(col);
  mRow = row;
  TakeFormat(format);
  mFlags = isFormula ? kFormula : 0;
  mText = RecordString(at[1], len[1], wide);
  if (len[2] == len[1] && std::memcmp(at[2], at[1], size_t(len[1]) * unit) == 0) {
    if (mExtra) mExtra->DisplayText.clear();
  } else {
    Extra().DisplayText = RecordString(at[2], len[2], wide);
    mFlags |= kOwnDisplay;
  }
  DropFormulaBytes();
  TrimExtra();
  mValue = IsFormula() ? TCellValue::String(DisplayText()) : TextToCellValue(mText, DataType());
  pos = p;
}

void TSpreadSheetCell::ReadFrom(QIODevice& dev) {
  // Records carry no length: read the fixed part, then each string.
  QByteArray buf = dev.read(FixedRecordSize);
  for (int i = 0; i < 3 && buf.size() >= FixedRecordSize; ++i) {
    const QByteArray len = dev.read(4);
    buf.append(len);
    if (len.size() < 4) break;
    const std::uint32_t n = GetU32(len.constData());
    const qint64 avail = dev.bytesAvailable();
    if (avail >= 0 && std::uint64_t(avail) < n) break;
    buf.append(dev.read(qint64(n)));
  }
  qsizetype pos = 0;
  ReadFrom(buf.constData(), buf.size(), pos);
}

}  // namespace Tarnwell
