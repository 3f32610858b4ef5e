#include "DBPg_p.h"

#include <libpq-fe.h>

#include <QDateTime>
#include <QSqlDriver>
#include <QTimeZone>
#include <cmath>
#include <vector>

namespace Tarnwell::Pg {

namespace {

// Type oids of the built-in types the layer reads as more than text.
enum : unsigned {
  kBool = 16,
  kBytea = 17,
  kInt8 = 20,
  kInt2 = 21,
  kInt4 = 23,
  kText = 25,
  kOid = 26,
  kFloat4 = 700,
  kFloat8 = 701,
  kMoney = 790,
  kBpchar = 1042,
  kVarchar = 1043,
  kDate = 1082,
  kTime = 1083,
  kTimestamp = 1114,
  kTimestamptz = 1184,
  kNumeric = 1700,
};

EDatabaseError ServerError(const QString& what, PGconn* conn, const PGresult* r) {
  QString msg = QString::fromUtf8(r ? PQresultErrorMessage(r) : PQerrorMessage(conn)).trimmed();
  if (msg.isEmpty()) msg = QString::fromUtf8(PQerrorMessage(conn)).trimmed();
  return EDatabaseError(msg.isEmpty() ? what : what + QStringLiteral(": ") + msg);
}

TResult Checked(PGconn* conn, PGresult* r, const QString& what) {
  TResult res(r);
  const ExecStatusType st = r ? PQresultStatus(r) : PGRES_FATAL_ERROR;
  if (st != PGRES_COMMAND_OK && st != PGRES_TUPLES_OK) throw ServerError(what, conn, r);
  return res;
}

int Num(const char* s, int n) {
  int v = 0;
  for (int i = 0; i < n; ++i) {
    if (s[i] < '0' || s[i] > '9') return -1;
    v = v * 10 + (s[i] - '0');
  }
  return v;
}

// "HH:MM:SS[.ffffff]" from s; the position after it in `end`.
bool ParseTimeText(const char* s, int len, int& h, int& m, int& sec, int& ms, int& end) {
  if (len < 8 || s[2] != ':' || s[5] != ':') return false;
  h = Num(s, 2);
  m = Num(s + 3, 2);
  sec = Num(s + 6, 2);
  if (h < 0 || m < 0 || sec < 0) return false;
  ms = 0;
  int i = 8;
  if (i < len && s[i] == '.') {
    ++i;
    int digits = 0;
    while (i < len && s[i] >= '0' && s[i] <= '9') {
      if (digits < 3) ms = ms * 10 + (s[i] - '0');
      ++digits;
      ++i;
    }
    for (; digits < 3; ++digits) ms *= 10;
  }
  end = i;
  return true;
}

// The offset "+HH[:MM[:SS]]" at s (seconds east of UTC).
bool ParseOffset(const char* s, int len, int& secs) {
  if (len < 3 || (s[0] != '+' && s[0] != '-')) return false;
  int h = Num(s + 1, 2), m = 0, sc = 0;
  if (h < 0) return false;
  if (len >= 6 && s[3] == ':') m = Num(s + 4, 2);
  if (len >= 9 && s[6] == ':') sc = Num(s + 7, 2);
  if (m < 0 || sc < 0) return false;
  secs = (h * 3600 + m * 60 + sc) * (s[0] == '-' ? -1 : 1);
  return true;
}

QVariant DecodeTimestamp(const char* s, int len, bool zoned) {
  // ISO output: "2024-03-15 14:00:00[.25][+01[:30]]", " BC" for years before 1.
  if (len < 19 || s[4] != '-' || s[7] != '-' || s[10] != ' ') return QString::fromUtf8(s, len);
  const int y = Num(s, 4), mo = Num(s + 5, 2), d = Num(s + 8, 2);
  int h, mi, sec, ms, end;
  if (y < 0 || mo < 0 || d < 0 || !ParseTimeText(s + 11, len - 11, h, mi, sec, ms, end))
    return QString::fromUtf8(s, len);
  const int rest = 11 + end;
  const QDate date(y, mo, d);
  const QTime time(h, mi, sec, ms);
  if (!date.isValid() || !time.isValid()) return QString::fromUtf8(s, len);
  if (!zoned) {
    if (rest != len) return QString::fromUtf8(s, len);
    // A moment without zone is the wall-clock time it names; one that falls
    // in the local clock's daylight-saving gap is kept in a fixed zone so it
    // still reads and writes back as stored.
    QDateTime local = LocalMoment(date, time);
    if (local.isValid() && local.date() == date && local.time() == time) return local;
    return QDateTime(date, time, Qt::UTC);
  }
  int offset = 0;
  if (!ParseOffset(s + rest, len - rest, offset)) return QString::fromUtf8(s, len);
  // The instant the server holds, shown in the program's own time zone.
  return LocalMomentFromUtc(QDateTime(date, time, Qt::UTC).toMSecsSinceEpoch() - qint64(offset) * 1000);
}

QByteArray HexDecode(const char* s, int len) {
  if (len >= 2 && s[0] == '\\' && s[1] == 'x') {
    return QByteArray::fromHex(QByteArray::fromRawData(s + 2, len - 2));
  }
  size_t n = 0;
  unsigned char* raw = PQunescapeBytea(reinterpret_cast<const unsigned char*>(s), &n);
  QByteArray out(reinterpret_cast<const char*>(raw), qsizetype(n));
  PQfreemem(raw);
  return out;
}

// money in the C monetary locale: "$1,234.50", "-$1,234.50".
QVariant DecodeMoney(const char* s, int len) {
  QByteArray t;
  for (int i = 0; i < len; ++i)
    if ((s[i] >= '0' && s[i] <= '9') || s[i] == '.' || s[i] == '-') t += s[i];
  bool ok = false;
  const double v = t.toDouble(&ok);
  return ok ? QVariant(v) : QVariant(QString::fromUtf8(s, len));
}

}  // namespace

PGconn* Handle(const QSqlDatabase& db) {
  QSqlDriver* d = db.driver();
  QVariant h = d ? d->handle() : QVariant();
  if (h.isValid() && (qstrcmp(h.typeName(), "PGconn*") == 0 || qstrcmp(h.typeName(), "pg_conn*") == 0)) {
    PGconn* c = *static_cast<PGconn* const*>(h.data());
    if (c) return c;
  }
  throw EDatabaseError(QStringLiteral("La connessione PostgreSQL non è aperta"));
}

bool InTransaction(PGconn* conn) {
  const PGTransactionStatusType s = PQtransactionStatus(conn);
  return s == PQTRANS_INTRANS || s == PQTRANS_INERROR || s == PQTRANS_ACTIVE;
}

QString NumberedPlaceholders(const QString& sql, bool backslashEscapes, int* count) {
  QString out;
  out.reserve(sql.size() + 8);
  const int n = sql.size();
  int k = 0, i = 0;
  auto isIdent = [](QChar c) { return c.isLetterOrNumber() || c == '_'; };
  while (i < n) {
    const QChar c = sql[i];
    int j = i + 1;
    if (c == '-' && j < n && sql[j] == '-') {
      while (j < n && sql[j] != '\n') ++j;
    } else if (c == '/' && j < n && sql[j] == '*') {
      // Block comments nest.
      int depth = 1;
      ++j;
      while (j < n && depth > 0) {
        if (sql[j] == '/' && j + 1 < n && sql[j + 1] == '*') {
          ++depth;
          j += 2;
        } else if (sql[j] == '*' && j + 1 < n && sql[j + 1] == '/') {
          --depth;
          j += 2;
        } else
          ++j;
      }
    } else if (c == '\'' || c == '"') {
      const bool escapes =
          c == '\'' && (backslashEscapes || (i > 0 && (sql[i - 1] == 'E' || sql[i - 1] == 'e') &&
                                             (i < 2 || !isIdent(sql[i - 2]))));
      while (j < n) {
        if (escapes && sql[j] == '\\') {
          j += 2;
          continue;
        }
        if (sql[j] == c) {
          if (j + 1 < n && sql[j + 1] == c) {
            j += 2;
            continue;
          }
          ++j;
          break;
        }
        ++j;
      }
    } else if (c == '$' && (i == 0 || !isIdent(sql[i - 1]))) {
      // A dollar quote: $$ ... $$ or $tag$ ... $tag$.
      int t = j;
      while (t < n && (sql[t].isLetter() || sql[t] == '_' || (t > j && sql[t].isDigit()))) ++t;
      if (t < n && sql[t] == '$') {
        const QString tag = sql.mid(i, t - i + 1);
        const int close = sql.indexOf(tag, t + 1);
        j = close < 0 ? n : close + int(tag.size());
      }
    } else if (c == '?') {
      out += '$' + QString::number(++k);
      i = j;
      continue;
    } else if (isIdent(c)) {
      while (j < n && (isIdent(sql[j]) || sql[j] == '$')) ++j;
    }
    j = std::min(j, n);
    out += QStringView(sql).mid(i, j - i);
    i = j;
  }
  if (count) *count = k;
  return out;
}

// ---------------------------------------------------------------------------

TResult& TResult::operator=(TResult&& o) noexcept {
  if (this != &o) {
    if (mRes) PQclear(mRes);
    mRes = o.mRes;
    o.mRes = nullptr;
  }
  return *this;
}

TResult::~TResult() {
  if (mRes) PQclear(mRes);
}

int TResult::Rows() const { return mRes ? PQntuples(mRes) : 0; }
int TResult::Columns() const { return mRes ? PQnfields(mRes) : 0; }
QString TResult::ColumnName(int c) const { return QString::fromUtf8(PQfname(mRes, c)); }
unsigned TResult::ColumnType(int c) const { return PQftype(mRes, c); }
int TResult::ColumnMod(int c) const { return PQfmod(mRes, c); }
bool TResult::IsNull(int r, int c) const { return PQgetisnull(mRes, r, c); }
bool TResult::HasTuples() const { return mRes && PQresultStatus(mRes) == PGRES_TUPLES_OK; }

QVariant TResult::Value(int r, int c) const {
  if (PQgetisnull(mRes, r, c)) return QVariant();
  return Decode(PQftype(mRes, c), PQgetvalue(mRes, r, c), PQgetlength(mRes, r, c));
}

QString TResult::Status() const { return mRes ? QString::fromLatin1(PQcmdStatus(mRes)) : QString(); }

int TResult::Affected() const {
  const char* s = mRes ? PQcmdTuples(mRes) : "";
  return s && *s ? atoi(s) : 0;
}

// ---------------------------------------------------------------------------

QByteArray ParamText(const QVariant& v) {
  switch (v.metaType().id()) {
    case QMetaType::Bool:
      return v.toBool() ? "t" : "f";
    case QMetaType::Int:
    case QMetaType::LongLong:
    case QMetaType::Short:
    case QMetaType::Long:
      return QByteArray::number(v.toLongLong());
    case QMetaType::UInt:
    case QMetaType::ULongLong:
    case QMetaType::UShort:
    case QMetaType::ULong:
      return QByteArray::number(v.toULongLong());
    case QMetaType::Double:
    case QMetaType::Float: {
      const double d = v.toDouble();
      if (std::isnan(d)) return "NaN";
      if (std::isinf(d)) return d > 0 ? "Infinity" : "-Infinity";
      return QByteArray::number(d, 'g', QLocale::FloatingPointShortest);
    }
    case QMetaType::QDate:
      return v.toDate().toString(Qt::ISODate).toLatin1();
    case QMetaType::QTime:
      return v.toTime().toString(QStringLiteral("HH:mm:ss.zzz")).toLatin1();
    case QMetaType::QDateTime: {
      const QDateTime dt = v.toDateTime();
      QByteArray s = dt.toString(QStringLiteral("yyyy-MM-dd HH:mm:ss.zzz")).toLatin1();
      // The offset makes a zoned column store the instant meant; a column
      // without zone ignores it and keeps the wall-clock time.
      if (dt.isValid()) {
        const int off = dt.offsetFromUtc();
        const int a = std::abs(off);
        s += QStringLiteral("%1%2:%3")
                 .arg(off < 0 ? '-' : '+')
                 .arg(a / 3600, 2, 10, QChar('0'))
                 .arg(a / 60 % 60, 2, 10, QChar('0'))
                 .toLatin1();
      }
      return s;
    }
    default: {
      const QString s = v.toString();
      if (s.contains(QChar(0)))
        throw EDatabaseError(QStringLiteral("a text value cannot contain the NUL character"));
      return s.toUtf8();
    }
  }
}

TResult Exec(PGconn* conn, const QString& sql, const QVariantList& binds, const QString& what) {
  const char* scs = PQparameterStatus(conn, "standard_conforming_strings");
  int count = 0;
  const QByteArray text =
      NumberedPlaceholders(sql, scs && qstrcmp(scs, "off") == 0, &count).toUtf8();
  if (count != binds.size())
    throw EDatabaseError(QStringLiteral("%1: l'istruzione ha %2 parametri ma i valori sono %3")
                             .arg(what)
                             .arg(count)
                             .arg(binds.size()));
  const int n = int(binds.size());
  std::vector<QByteArray> store(n);
  std::vector<const char*> values(n, nullptr);
  std::vector<int> lengths(n, 0), formats(n, 0);
  for (int i = 0; i < n; ++i) {
    const QVariant& v = binds[i];
    if (v.isNull() || !v.isValid()) continue;
    try {
      if (v.metaType().id() == QMetaType::QByteArray) {
        store[i] = v.toByteArray();
        formats[i] = 1;  // raw bytes: no escaping, any byte allowed
      } else {
        store[i] = ParamText(v);
      }
    } catch (const EDatabaseError& e) {
      throw EDatabaseError(what + QStringLiteral(": ") + e.Message());
    }
    values[i] = store[i].constData();
    lengths[i] = int(store[i].size());
  }
  PGresult* r = PQexecParams(conn, text.constData(), n, nullptr, values.data(), lengths.data(), formats.data(), 0);
  return Checked(conn, r, what);
}

TResult Exec(PGconn* conn, const QString& sql, const QString& what) {
  return Checked(conn, PQexec(conn, sql.toUtf8().constData()), what);
}

TFieldType FieldType(unsigned oid, int mod, int& size) {
  size = 0;
  switch (oid) {
    case kBool:
      return ftBoolean;
    case kInt2:
      return ftSmallint;
    case kInt4:
    case kOid:
      return ftInteger;
    case kInt8:
      return ftLargeint;
    case kFloat4:
    case kFloat8:
      return ftFloat;
    case kMoney:
      return ftCurrency;
    case kNumeric:
      if (mod >= 4) {
        size = (mod - 4) & 0xffff;  // the scale
        if (size == 0 && ((mod - 4) >> 16) <= 18) return ftLargeint;
      }
      return ftBCD;
    case kDate:
      return ftDate;
    case kTime:
      return ftTime;
    case kTimestamp:
    case kTimestamptz:
      return ftDateTime;
    case kBytea:
      return ftBlob;
    case kBpchar:
    case kVarchar:
      size = mod >= 4 ? mod - 4 : 0;
      return ftString;
    default:
      return ftString;
  }
}

QString TypeName(unsigned oid) {
  switch (oid) {
    case kBool: return QStringLiteral("boolean");
    case kBytea: return QStringLiteral("bytea");
    case kInt8: return QStringLiteral("bigint");
    case kInt2: return QStringLiteral("smallint");
    case kInt4: return QStringLiteral("integer");
    case kText: return QStringLiteral("text");
    case kOid: return QStringLiteral("oid");
    case kFloat4: return QStringLiteral("real");
    case kFloat8: return QStringLiteral("double precision");
    case kMoney: return QStringLiteral("money");
    case kBpchar: return QStringLiteral("character");
    case kVarchar: return QStringLiteral("character varying");
    case kDate: return QStringLiteral("date");
    case kTime: return QStringLiteral("time without time zone");
    case kTimestamp: return QStringLiteral("timestamp without time zone");
    case kTimestamptz: return QStringLiteral("timestamp with time zone");
    case kNumeric: return QStringLiteral("numeric");
    default: return QStringLiteral("oid %1").arg(oid);
  }
}

QVariant Decode(unsigned oid, const char* s, int len) {
  switch (oid) {
    case kBool:
      return len > 0 && s[0] == 't';
    case kInt2:
    case kInt4:
    case kInt8:
    case kOid: {
      bool ok = false;
      const qint64 v = QByteArray::fromRawData(s, len).toLongLong(&ok);
      return ok ? QVariant(v) : QVariant(QString::fromLatin1(s, len));
    }
    case kFloat4:
    case kFloat8: {
      const QByteArray t = QByteArray::fromRawData(s, len);
      if (t == "NaN") return std::nan("");
      if (t == "Infinity") return HUGE_VAL;
      if (t == "-Infinity") return -HUGE_VAL;
      bool ok = false;
      const double v = t.toDouble(&ok);
      return ok ? QVariant(v) : QVariant(QString::fromLatin1(s, len));
    }
    case kNumeric:
      // Kept as the server wrote it: digits a double cannot carry stay exact.
      return QString::fromLatin1(s, len);
    case kMoney:
      return DecodeMoney(s, len);
    case kDate: {
      if (len == 10 && s[4] == '-' && s[7] == '-') {
        const QDate d(Num(s, 4), Num(s + 5, 2), Num(s + 8, 2));
        if (d.isValid()) return d;
      }
      return QString::fromUtf8(s, len);  // infinity, years before 1
    }
    case kTime: {
      int h, m, sec, ms, end;
      if (ParseTimeText(s, len, h, m, sec, ms, end) && end == len) {
        const QTime t(h, m, sec, ms);
        if (t.isValid()) return t;
      }
      return QString::fromLatin1(s, len);  // 24:00:00 is kept as written
    }
    case kTimestamp:
      return DecodeTimestamp(s, len, false);
    case kTimestamptz:
      return DecodeTimestamp(s, len, true);
    case kBytea:
      return HexDecode(s, len);
    default:
      return QString::fromUtf8(s, len);
  }
}

void PrepareSession(PGconn* conn, int lockTimeoutMs) {
  Exec(conn,
       QStringLiteral("SET lc_monetary = 'C'; SET DateStyle = 'ISO, YMD'; SET IntervalStyle = 'postgres'; "
                      "SET lock_timeout = %1")
           .arg(std::max(lockTimeoutMs, 0)),
       QStringLiteral("Impostazione della sessione"));
}

// ---------------------------------------------------------------------------
// TCursor

TCursor::TCursor(PGconn* source, const QString& sql, const QVariantList& binds, int first, int lockTimeoutMs) {
  const QString what = QStringLiteral("Errore SQL");
  // The same server, database and user as the source connection.
  std::vector<QByteArray> keys, vals;
  PQconninfoOption* opts = PQconninfo(source);
  for (PQconninfoOption* o = opts; o && o->keyword; ++o)
    if (o->val && *o->val) {
      keys.emplace_back(o->keyword);
      vals.emplace_back(o->val);
    }
  PQconninfoFree(opts);
  std::vector<const char*> k, v;
  for (size_t i = 0; i < keys.size(); ++i) {
    k.push_back(keys[i].constData());
    v.push_back(vals[i].constData());
  }
  k.push_back(nullptr);
  v.push_back(nullptr);
  mConn = PQconnectdbParams(k.data(), v.data(), 0);
  if (PQstatus(mConn) != CONNECTION_OK) {
    EDatabaseError e = ServerError(what, mConn, nullptr);
    PQfinish(mConn);
    mConn = nullptr;
    throw e;
  }
  try {
    PrepareSession(mConn, lockTimeoutMs);
    // What the program set on its connection that changes how the text reads.
    TResult s = Exec(source,
                     QStringLiteral("SELECT current_setting('search_path'), "
                                    "current_setting('standard_conforming_strings'), current_setting('TimeZone')"),
                     {}, what);
    Exec(mConn,
         QStringLiteral("SELECT pg_catalog.set_config('search_path', ?, false), "
                        "pg_catalog.set_config('standard_conforming_strings', ?, false), "
                        "pg_catalog.set_config('TimeZone', ?, false)"),
         {s.Value(0, 0), s.Value(0, 1), s.Value(0, 2)}, what);
    Exec(mConn, QStringLiteral("BEGIN"), what);
    mName = QStringLiteral("tarnwell_cursor");
    Exec(mConn, QStringLiteral("DECLARE %1 NO SCROLL CURSOR FOR ").arg(mName) + sql, binds, what);
    Fetch(first);
  } catch (...) {
    PQfinish(mConn);
    mConn = nullptr;
    throw;
  }
}

TCursor::~TCursor() { Close(); }

bool TCursor::Fetch(int n) {
  if (mEnd || !mConn) {
    mPage = TResult();
    return false;
  }
  n = std::max(n, 1);
  mPage = Exec(mConn, QStringLiteral("FETCH FORWARD %1 FROM %2").arg(n).arg(mName),
               QStringLiteral("Errore di lettura"));
  if (mPage.Rows() < n) mEnd = true;
  return mPage.Rows() > 0;
}

void TCursor::Close() {
  if (!mConn) return;
  PQclear(PQexec(mConn, "ROLLBACK"));
  PQfinish(mConn);
  mConn = nullptr;
  mEnd = true;
}

}  // namespace Tarnwell::Pg
