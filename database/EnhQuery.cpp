#include "EnhQuery.h"
#include "EnhQuery_p.h"

#include <QLocale>
#include <QRegularExpression>
#include <QSet>
#include <QSqlDatabase>

#include <Tarnwell/platform/TExceptions.h>
#include <Tarnwell/platform/TDateTime.h>
#include <Tarnwell/platform/THourglass.h>

#include "DBEngine.h"
#include "DBSql_p.h"

namespace Tarnwell {

const QString TEnhQuery::kAskValue = QStringLiteral("[RICHIEDI  VALORE]");
const QString TEnhQuery::kAskDate = QStringLiteral("[RICHIEDI  DATA]");
const QString TEnhQuery::kAskTime = QStringLiteral("[RICHIEDI  ORA]");
const QString TEnhQuery::kToday = QStringLiteral("[GIORNO  ATTUALE]");
const QString TEnhQuery::kNowTime = QStringLiteral("[ORA  ATTUALE]");
const QString TEnhQuery::kNow = QStringLiteral("[GIORNO/ORA  ATTUALE]");
const QString TEnhQuery::kYesterday = QStringLiteral("[DATA DI IERI]");
const QString TEnhQuery::kMonthStart = QStringLiteral("[INIZIO MESE IN CORSO]");
const QString TEnhQuery::kYearStart = QStringLiteral("[INIZIO ANNO IN CORSO]");
const QString TEnhQuery::kDefFrom = QStringLiteral("[DT INIZIO DEFAULT]");
const QString TEnhQuery::kDefTo = QStringLiteral("[DT FINE DEFAULT]");

namespace {

std::function<QDateTime()>& Clock() {
  static std::function<QDateTime()> c;
  return c;
}
TQueryPrompter& PrompterSlot() {
  static TQueryPrompter p;
  return p;
}

// Placeholders of values this query binds itself; never a user's parameter.
const QString kBindPrefix = QStringLiteral("tw__");
bool IsOwnBind(const QString& name) { return name.startsWith(kBindPrefix); }

bool IsOperatorLine(const QString& line) {
  const QString t = line.trimmed().toUpper();
  return t == QLatin1String("[OR]") || t == QLatin1String("[AND]");
}

const QString kLabelDate = QStringLiteral("(Data)");
const QString kLabelTime = QStringLiteral("(Ora)");
const QString kLabelDateTime = QStringLiteral("(Data/Ora)");

// Upper-cases outside quoted text: quoted names and strings keep their case.
QString UpperOutsideQuotes(const QString& s) {
  QString out;
  out.reserve(s.size());
  QChar quote;
  for (QChar c : s) {
    if (quote.isNull()) {
      if (c == '"' || c == '\'') quote = c;
      out += quote.isNull() ? c.toUpper() : c;
    } else {
      out += c;
      if (c == quote) quote = QChar();  // a doubled quote closes and reopens: same result
    }
  }
  return out;
}

bool IsIdentStart(QChar c) { return c.isLetter() || c == '_'; }
bool IsIdentChar(QChar c) { return c.isLetterOrNumber() || c == '_' || c == '$'; }
bool IsPlainIdentifier(const QString& s) {
  if (s.isEmpty() || !IsIdentStart(s[0])) return false;
  for (QChar c : s)
    if (!IsIdentChar(c)) return false;
  return true;
}

// Top-level words of a statement with their positions: strings, quoted
// names, comments, dollar-quoted text and parenthesised parts are skipped.
struct TTopWord {
  QString Upper;
  int Pos;
};
std::vector<TTopWord> TopLevelWords(const QString& s) {
  std::vector<TTopWord> out;
  const int n = s.size();
  int depth = 0;
  int i = 0;
  while (i < n) {
    const QChar c = s[i];
    if (c == '\'' || c == '"') {
      int j = i + 1;
      while (j < n) {
        if (s[j] == c) {
          if (j + 1 < n && s[j + 1] == c) {
            j += 2;
            continue;
          }
          break;
        }
        ++j;
      }
      i = j + 1;
    } else if (c == '-' && i + 1 < n && s[i + 1] == '-') {
      while (i < n && s[i] != '\n') ++i;
    } else if (c == '/' && i + 1 < n && s[i + 1] == '*') {
      const int j = s.indexOf(QLatin1String("*/"), i + 2);
      i = j < 0 ? n : j + 2;
    } else if (c == '$' && (i == 0 || !IsIdentChar(s[i - 1]))) {
      // $tag$ ... $tag$
      int j = i + 1;
      while (j < n && (s[j].isLetterOrNumber() || s[j] == '_')) ++j;
      if (j < n && s[j] == '$') {
        const QString tag = s.mid(i, j - i + 1);
        const int e = s.indexOf(tag, j + 1);
        i = e < 0 ? n : e + tag.size();
      } else {
        i = j;
      }
    } else if (c == '(') {
      ++depth;
      ++i;
    } else if (c == ')') {
      depth = std::max(depth - 1, 0);
      ++i;
    } else if (IsIdentStart(c)) {
      int j = i + 1;
      while (j < n && IsIdentChar(s[j])) ++j;
      if (depth == 0) out.push_back({s.mid(i, j - i).toUpper(), i});
      i = j;
    } else {
      ++i;
    }
  }
  return out;
}

// The span [start, end) of the last top-level ORDER BY clause, up to a
// LIMIT, OFFSET, FETCH or FOR that follows it; false when there is none.
bool LastOrderBy(const QString& sql, int& start, int& end) {
  const auto w = TopLevelWords(sql);
  int at = -1;
  for (int k = int(w.size()) - 2; k >= 0; --k)
    if (w[k].Upper == QLatin1String("ORDER") && w[k + 1].Upper == QLatin1String("BY")) {
      at = k;
      break;
    }
  if (at < 0) return false;
  start = w[at].Pos;
  end = sql.size();
  static const QStringList tail = {"LIMIT", "OFFSET", "FETCH", "FOR"};
  for (size_t k = at + 2; k < w.size(); ++k)
    if (tail.contains(w[k].Upper)) {
      end = w[k].Pos;
      break;
    }
  return true;
}

bool HasTopLevel(const QString& sql, const QStringList& words) {
  for (const auto& w : TopLevelWords(sql))
    if (words.contains(w.Upper)) return true;
  return false;
}

QString StripEnclosingQuotes(const QString& v) {
  if (!v.startsWith('\'')) return v;
  if (v.size() >= 2 && v.endsWith('\'')) return v.mid(1, v.size() - 2);
  return v.mid(1);
}

bool ParseNumber(const QString& text, QVariant& out) {
  const QString t = text.trimmed();
  bool ok = false;
  const qint64 i = QLocale::c().toLongLong(t, &ok);
  if (ok) {
    out = i;
    return true;
  }
  double d = QLocale::c().toDouble(t, &ok);
  if (!ok) d = QLocale().toDouble(t, &ok);
  if (!ok || !std::isfinite(d)) return false;
  out = d;
  return true;
}

bool ParseDate(const QString& text, QDate& d) { return TextToDate(text, d); }

bool ParseTime(const QString& text, QTime& tm) {
  const QString t = text.trimmed();
  tm = QTime::fromString(t, Qt::ISODate);
  if (!tm.isValid()) tm = QTime::fromString(t, QStringLiteral("H:mm"));
  if (!tm.isValid()) tm = QLocale().toTime(t, QLocale::ShortFormat);
  return tm.isValid();
}

bool ParseDateTime(const QString& text, QDateTime& dt) {
  const QString t = text.trimmed();
  dt = QDateTime::fromString(t, Qt::ISODate);
  if (!dt.isValid()) dt = QDateTime::fromString(t, QStringLiteral("yyyy-MM-dd HH:mm:ss"));
  if (!dt.isValid()) dt = QDateTime::fromString(t, QStringLiteral("yyyy-MM-dd HH:mm"));
  if (!dt.isValid()) {
    // A two-digit year falls in 1950..2049, as everywhere a date is typed.
    const QString format = QLocale().dateTimeFormat(QLocale::ShortFormat);
    dt = QLocale().toDateTime(t, format);
    if (dt.isValid()) dt.setDate(WindowTwoDigitYear(dt.date(), format));
  }
  if (!dt.isValid()) {
    QDate d;
    if (ParseDate(t, d)) dt = QDateTime(d, QTime(0, 0));
  }
  return dt.isValid();
}

QString TypeLabel(TFieldType t) {
  switch (t) {
    case ftInteger:
      return QStringLiteral("(Intero)");
    case ftFloat:
      return QStringLiteral("(Float)");
    case ftDate:
      return kLabelDate;
    case ftTime:
      return kLabelTime;
    case ftDateTime:
      return kLabelDateTime;
    default:
      return QStringLiteral("(Stringa)");
  }
}

}  // namespace

// ---------------------------------------------------------------------------

TEnhQuery::TEnhQuery(QObject* owner) : TFixQuery(owner) {
  const QDate today = CurrentDateTime().date();
  mDefDTFrom = QDateTime(today.addDays(-1), QTime(0, 0));
  mDefDTTo = QDateTime(today.addDays(1), QTime(0, 0));
  connect(this, &TDataSet::beforeOpen, this, [this] {
    mOpenDone = false;
    mSkipScroll = false;
  });
  connect(this, &TDataSet::afterScroll, this, [this] { OnScrolled(); });
  connect(this, &TDataSet::beforeClose, this, [this] {
    if (mLinkedUpdate && mLinkedDataSet) mLinkedDataSet->Close();
  });
}

TEnhQuery::~TEnhQuery() = default;

const QStringList& TEnhQuery::QueryOperators() {
  static const QStringList ops = {"=", "<>", "!=", "<", "<=", ">", ">=", "LIKE"};
  return ops;
}

void SetEnhQueryClock(std::function<QDateTime()> clock) { Clock() = std::move(clock); }
QDateTime TEnhQuery::CurrentDateTime() { return Clock() ? Clock()() : QDateTime::currentDateTime(); }
void TEnhQuery::SetPrompter(TQueryPrompter prompter) { PrompterSlot() = std::move(prompter); }
TQueryPrompter TEnhQuery::Prompter() { return PrompterSlot(); }

// --- clause lists

#define TW_ENH_LIST_SETTER(Name)                   \
  void TEnhQuery::set##Name(QStringList value) {   \
    if (value == m##Name) return;                  \
    m##Name = std::move(value);                    \
    Q_EMIT Name##Changed(m##Name);                 \
    Rebuild(false);                                \
  }
TW_ENH_LIST_SETTER(ZSelect)
TW_ENH_LIST_SETTER(ZFrom)
TW_ENH_LIST_SETTER(ZWhere)
TW_ENH_LIST_SETTER(ZGroupBy)
TW_ENH_LIST_SETTER(ZOrderBy)
#undef TW_ENH_LIST_SETTER

void TEnhQuery::setWhereBoolOp(QString value) {
  // The text goes between conditions: only the two operators are accepted.
  value = value.trimmed().toUpper();
  if (value != QLatin1String("AND") && value != QLatin1String("OR")) return;
  if (value == mWhereBoolOp) return;
  mWhereBoolOp = value;
  Q_EMIT WhereBoolOpChanged(mWhereBoolOp);
}

void TEnhQuery::ClearClauses(bool includeFrom) {
  mZSelect.clear();
  mZWhere.clear();
  mZGroupBy.clear();
  mZOrderBy.clear();
  if (includeFrom) mZFrom.clear();
}

QString TEnhQuery::JoinClause(const QStringList& lines) {
  QStringList parts;
  for (const QString& l : lines)
    if (!l.trimmed().isEmpty()) parts << l.trimmed();
  return parts.join(QStringLiteral(", "));
}

QString TEnhQuery::SQLDate(const QDate& d) { return d.toString(QStringLiteral("yyyy-MM-dd")); }
QString TEnhQuery::SQLDateTime(const QDateTime& dt) {
  return dt.toString(QStringLiteral("yyyy-MM-dd HH:mm:ss"));
}

QString TEnhQuery::MarkerValue(const QString& m, const QDateTime& now) const {
  const QDate today = now.date();
  if (m == kToday) return SQLDate(today);
  if (m == kNowTime) return now.time().toString(QStringLiteral("HH:mm:ss"));
  if (m == kNow) return SQLDateTime(now);
  if (m == kYesterday) return SQLDate(today.addDays(-1));
  if (m == kMonthStart) return SQLDate(QDate(today.year(), today.month(), 1));
  if (m == kYearStart) return SQLDate(QDate(today.year(), 1, 1));
  if (m == kDefFrom) return SQLDateTime(mDefDTFrom);
  if (m == kDefTo) return SQLDateTime(mDefDTTo);
  return {};
}

std::vector<TWhereCondItem> TEnhQuery::ParseWhere(const QStringList& lines) {
  std::vector<TWhereCondItem> items;
  items.reserve(lines.size());
  for (const QString& raw : lines) {
    TWhereCondItem it;
    const QString line = raw.trimmed();
    if (IsOperatorLine(line)) {
      it.FieldName = line.toUpper();
      items.push_back(it);
      continue;
    }
    const int b1 = line.indexOf(' ');
    if (b1 < 0) {
      it.FieldName = line;
    } else {
      it.FieldName = line.left(b1).trimmed();
      const QString rest = line.mid(b1 + 1).trimmed();
      const int b2 = rest.indexOf(' ');
      it.Operator = (b2 < 0 ? rest : rest.left(b2)).trimmed();
      it.Value = b2 < 0 ? QString() : rest.mid(b2 + 1).trimmed();
    }
    it.Quoted = it.Value.startsWith('\'');
    items.push_back(it);
  }
  return items;
}

QStringList TEnhQuery::SplitFieldList(const QString& text) {
  QStringList r;
  for (const QString& p : text.split(';'))
    if (!p.trimmed().isEmpty()) r << p.trimmed();
  return r;
}

void TEnhQuery::SetLastError(const QString& e) {
  if (e == mLastError) return;
  mLastError = e;
  Q_EMIT LastErrorChanged(mLastError);
}

QString TEnhQuery::BindName(const QVariant& v) {
  const QString name = kBindPrefix + QString::number(++mBindSerial);
  mBound.insert(name, v);
  return QLatin1Char(':') + name;
}

void TEnhQuery::StoreSQL(const QStringList& lines) {
  setSQL(lines);
  // The placeholders of bound values are ours, not parameters to prompt for.
  TParams kept;
  for (auto& p : Params())
    if (!IsOwnBind(p.Name)) kept.Add(p);
  Params() = kept;
}

// --- engine names

void TEnhQuery::LoadCatalogNames() {
  mPostgres = false;
  if (DatabaseName().trimmed().isEmpty()) return;
  try {
    mPostgres = TDBSession::AliasParams(DatabaseName()).Driver == QLatin1String("QPSQL");
  } catch (const EDatabaseError&) {
    return;
  }
  if (!mPostgres || mCatalogFor == DatabaseName()) return;
  mCatalogNames.clear();
  try {
    TRows r = RunStatement(
        Database(),
        QStringLiteral("SELECT table_name FROM information_schema.tables WHERE table_schema NOT IN "
                       "('pg_catalog','information_schema') UNION SELECT column_name FROM "
                       "information_schema.columns WHERE table_schema NOT IN ('pg_catalog','information_schema') "
                       "UNION SELECT schema_name FROM information_schema.schemata"),
        {}, QStringLiteral("Errore nel catalogo"));
    mCatalogFolded.clear();
    while (r.next()) {
      const QString n = r.value(0).toString();
      mCatalogNames.insert(n);
      mCatalogFolded[n.toLower()] << n;
    }
    mCatalogColumns.clear();
    TRows c = RunStatement(Database(),
                           QStringLiteral("SELECT table_name, column_name FROM information_schema.columns WHERE "
                                          "table_schema NOT IN ('pg_catalog','information_schema')"),
                           {}, QStringLiteral("Errore nel catalogo"));
    while (c.next()) mCatalogColumns[c.value(0).toString()] << c.value(1).toString();
    mCatalogFor = DatabaseName();
  } catch (const EDatabaseError&) {
  }
}

QString TEnhQuery::CatalogSpelling(const QString& name) const {
  if (!mPostgres || mCatalogNames.isEmpty() || mCatalogNames.contains(name)) return name;
  const auto it = mCatalogFolded.constFind(name.toLower());
  if (it == mCatalogFolded.constEnd()) return name;
  if (it->contains(name.toLower())) return name.toLower();
  return it->size() == 1 ? it->first() : name;
}

namespace {
// The spelling among `names` of a name found case-insensitively: as written,
// else folded to lower case (what a bare name means), else the only one.
QString PickSpelling(const QString& name, const QStringList& names) {
  if (names.contains(name)) return name;
  const QString lower = name.toLower();
  if (names.contains(lower)) return lower;
  QString found;
  for (const QString& n : names) {
    if (n.compare(name, Qt::CaseInsensitive) != 0) continue;
    if (!found.isEmpty()) return name;  // more than one: as written
    found = n;
  }
  return found.isEmpty() ? name : found;
}
}  // namespace

QString TEnhQuery::FieldSpelling(const QString& field) const {
  if (!mPostgres || mCatalogColumns.isEmpty()) return field;
  const QStringList tables = mCatalogColumns.keys();
  QStringList columns;
  for (const QString& line : mZFrom) {
    // The table of each line: its first word, without owner or quotes.
    QString t = line.trimmed().section(QRegularExpression(QStringLiteral("[\\s,]")), 0, 0).section('.', -1);
    const bool quoted = t.startsWith('"');
    t.remove('"');
    if (t.isEmpty()) continue;
    // A bare name is the table the engine folds it to, as EngineName writes it.
    const QString spelt = !quoted && tables.contains(t.toLower()) ? t.toLower() : PickSpelling(t, tables);
    columns += mCatalogColumns.value(spelt);
  }
  return columns.isEmpty() ? CatalogSpelling(field) : PickSpelling(field, columns);
}

namespace {
// Words of the clauses that are never names, whatever the catalog holds.
bool IsSqlWord(const QString& w) {
  static const QSet<QString> words = {
      "AND",  "OR",    "NOT",   "IS",    "NULL",   "LIKE",  "ILIKE", "IN",   "BETWEEN", "AS",    "ASC",
      "DESC", "ON",    "JOIN",  "LEFT",  "RIGHT",  "INNER", "OUTER", "FULL", "CROSS",   "USING", "CASE",
      "WHEN", "THEN",  "ELSE",  "END",   "TRUE",   "FALSE", "DISTINCT", "ALL", "ANY",   "SOME",  "EXISTS",
      "SELECT", "FROM", "WHERE", "GROUP", "ORDER", "BY",    "HAVING", "NULLS", "FIRST", "LAST",  "ESCAPE",
      "CAST", "DATE", "TIME", "TIMESTAMP", "INTERVAL", "COLLATE", "LIMIT", "OFFSET"};
  return words.contains(w.toUpper());
}
}  // namespace

QString TEnhQuery::EngineName(const QString& item) const {
  // PostgreSQL folds a bare name to lower case: a name the catalog holds
  // only in another spelling (capitals, mixed case) is quoted as spelt there
  // so that it still finds its table or column, as it would on SQLite.
  // Strings, quoted names and placeholders are left alone.
  if (!mPostgres || mCatalogNames.isEmpty()) return item;
  QString out;
  out.reserve(item.size() + 8);
  const int n = item.size();
  int i = 0;
  while (i < n) {
    const QChar c = item[i];
    if (c == '\'' || c == '"') {
      int j = i + 1;
      while (j < n) {
        if (item[j] == c) {
          if (j + 1 < n && item[j + 1] == c) {
            j += 2;
            continue;
          }
          break;
        }
        ++j;
      }
      j = std::min(j + 1, n);
      out += item.mid(i, j - i);
      i = j;
    } else if (IsIdentStart(c) && (i == 0 || (!IsIdentChar(item[i - 1]) && item[i - 1] != ':'))) {
      int j = i + 1;
      while (j < n && IsIdentChar(item[j])) ++j;
      const QString part = item.mid(i, j - i);
      // A bare name folds to lower case; one the catalog spells otherwise
      // is quoted as it is spelt there (a function call keeps its name).
      int k = j;
      while (k < n && item[k].isSpace()) ++k;
      const bool call = k < n && item[k] == '(';
      QString spelt;
      if (mCatalogNames.contains(part) && !mCatalogNames.contains(part.toLower()))
        spelt = part;
      else if (!call && !IsSqlWord(part) && !mCatalogNames.contains(part.toLower()))
        spelt = CatalogSpelling(part);
      if (!spelt.isEmpty() && mCatalogNames.contains(spelt))
        out += Catalog::QuoteIdentifier(QSqlDatabase(), spelt);
      else
        out += part;
      i = j;
    } else {
      out += c;
      ++i;
    }
  }
  return out;
}

QString TEnhQuery::NormaliseClause(const QString& item, bool upper) const {
  const QString t = item.trimmed();
  return upper ? UpperOutsideQuotes(t) : t;
}

// --- assembly

bool TEnhQuery::Rebuild(bool force) {
  if (JoinClause(mZFrom).isEmpty() && !mFreeSQL) return false;
  const QStringList backup = SQL();
  const QVariantMap backupBound = mBound;
  const TParams backupParams = Params();
  auto restore = [&] {
    setSQL(backup);
    Params() = backupParams;
    mBound = backupBound;
  };
  bool result = true;
  mPendingError.clear();
  QString openError;
  if (Active() || force) {
    const bool wasDisabled = ControlsDisabled();
    if (!wasDisabled) DisableControls();
    Close();
    if (!BuildSQL() || !PrepareParams()) {
      restore();
      result = false;
    }
    // A detail whose link to its master cannot be made shows no rows: the
    // text it had would show another master's rows, or every one of them.
    if (result || !mLinkRebuild) {
      THourglass wait;
      try {
        OpenQuery();
      } catch (const ETarnwellError& e) {
        openError = e.Message();
      }
      if (!Active()) {
        // The new text does not open: the previous one comes back, and the
        // rows shown are the previous query's, with the reason in LastError.
        result = false;
        restore();
        if (!mLinkRebuild) {
          try {
            OpenQuery();
          } catch (...) {
          }
        }
      }
    }
    if (!wasDisabled) EnableControls();
  } else if (!BuildSQL() || !PrepareParams()) {
    restore();
    result = false;
  }
  SetLastError(result ? QString() : (!mPendingError.isEmpty() ? mPendingError : openError));
  return result;
}

void TEnhQuery::OpenQuery() {
  // A detail that follows its master reads few rows, often: on PostgreSQL it
  // reads them whole on the program's connection (inside a short read-only
  // transaction) instead of opening a reading connection of its own each time.
  if (!mLinkRebuild || !mPostgres) return Open();
  QSqlDatabase db = Database();
  if (InProgramTransaction(db)) return Open();
  const QString what = QStringLiteral("Errore SQL");
  RunStatement(db, QStringLiteral("BEGIN READ ONLY"), {}, what);
  try {
    Open();
    FetchAll();
  } catch (...) {
    try {
      RunStatement(db, QStringLiteral("ROLLBACK"), {}, what);
    } catch (...) {
    }
    throw;
  }
  RunStatement(db, QStringLiteral("COMMIT"), {}, what);
}

bool TEnhQuery::BuildSQL() {
  for (QString& l : mZSelect) l = l.trimmed();
  for (QString& l : mZWhere) l = l.trimmed();
  for (QString& l : mZFrom) l = NormaliseClause(l, true);
  for (QString& l : mZGroupBy) l = NormaliseClause(l, true);
  for (QString& l : mZOrderBy) l = NormaliseClause(l, true);
  LoadCatalogNames();
  auto mapped = [this](const QStringList& l) {
    QStringList r;
    for (const QString& s : l) r << EngineName(s);
    return r;
  };

  if (mFreeSQL || mResorting) {
    // Only the order-by clause changes; the rest of the text (and what is
    // bound to it) stays as it is.
    QString text = SQL().join('\n');
    int start = 0, end = 0;
    QString tail;
    if (LastOrderBy(text, start, end)) {
      tail = text.mid(end).trimmed();
      text.truncate(start);
    }
    QStringList lines = text.split('\n');
    while (!lines.isEmpty() && lines.last().trimmed().isEmpty()) lines.removeLast();
    const QString order = JoinClause(mapped(mZOrderBy));
    if (!order.isEmpty()) lines << QStringLiteral("ORDER BY ") + order;
    if (!tail.isEmpty()) lines << tail;
    StoreSQL(lines);
    return true;
  }

  mBound.clear();
  mBindSerial = 0;
  QStringList out;
  const QString select = JoinClause(mapped(mZSelect));
  out << QStringLiteral("SELECT ") + (select.isEmpty() ? QStringLiteral("*") : select);
  out << QStringLiteral("FROM ") + JoinClause(mapped(mZFrom));

  // A working copy: ZWhere keeps its markers.
  QStringList where;
  for (const QString& l : mZWhere)
    if (!l.trimmed().isEmpty()) where << l.trimmed();
  QStringList links;
  for (const TLinkCondition& c : mLinkConditions) {
    const QString f = Catalog::QuoteIdentifier(QSqlDatabase(), FieldSpelling(c.Field.trimmed()));
    links << (c.Value.isNull() ? f + QStringLiteral(" IS NULL") : f + QStringLiteral(" = ") + BindName(c.Value));
  }
  if (!where.isEmpty() || !links.isEmpty()) {
    if (!where.isEmpty() && !ResolveWhere(where)) return false;
    QStringList w;
    for (const QString& l : where) {
      if (l.trimmed().isEmpty()) continue;
      if (IsOperatorLine(l) && (w.isEmpty() || IsOperatorLine(w.last()))) continue;
      w << l.trimmed();
    }
    while (!w.isEmpty() && IsOperatorLine(w.last())) w.removeLast();
    if (!w.isEmpty() || !links.isEmpty()) {
      out << QStringLiteral("WHERE (");
      for (int i = 0; i < links.size(); ++i)
        out << QStringLiteral("  ") + links[i] + (i + 1 < links.size() ? QStringLiteral(" AND") : QString());
      if (!links.isEmpty() && !w.isEmpty()) out << QStringLiteral(")   AND (");
      for (int i = 0; i < w.size(); ++i) {
        const QString op = w[i].toUpper();
        if (op == QLatin1String("[OR]"))
          out << QStringLiteral("   ) OR (");
        else if (op == QLatin1String("[AND]"))
          out << QStringLiteral("   ) AND (");
        else
          out << QStringLiteral("  ") + w[i] +
                     (i + 1 < w.size() && !IsOperatorLine(w[i + 1]) ? QStringLiteral(" ") + mWhereBoolOp
                                                                     : QString());
      }
      out << QStringLiteral(")");
    }
  }
  const QString group = JoinClause(mapped(mZGroupBy));
  if (!group.isEmpty()) out << QStringLiteral("GROUP BY ") + group;
  const QString order = JoinClause(mapped(mZOrderBy));
  if (!order.isEmpty()) out << QStringLiteral("ORDER BY ") + order;
  StoreSQL(out);
  return true;
}

bool TEnhQuery::ResolveWhere(QStringList& where) {
  const std::vector<TWhereCondItem> items = ParseWhere(where);
  const QDateTime now = CurrentDateTime();
  static const QStringList dateMarkers = {kToday,     kNowTime,   kNow,     kYesterday,
                                          kMonthStart, kYearStart, kDefFrom, kDefTo};
  std::vector<int> asked;
  TQueryPrompt prompt;
  for (int i = 0; i < int(items.size()); ++i) {
    const TWhereCondItem& it = items[size_t(i)];
    if (IsOperatorLine(it.FieldName) || it.Value.trimmed().isEmpty()) continue;
    const QString bare = StripEnclosingQuotes(it.Value).trimmed();
    if (bare == kAskValue || bare == kAskDate || bare == kAskTime) {
      asked.push_back(i);
      const QString label = bare == kAskDate ? kLabelDate : bare == kAskTime ? kLabelTime : QString();
      prompt.Rows.push_back({it.FieldName, it.Operator, QString(), label});
      continue;
    }
    // Date markers: the text is made here from the date, always in quotes.
    QString line = where[i];
    bool changed = false;
    for (const QString& m : dateMarkers) {
      int at = 0;
      while ((at = line.indexOf(m, at)) >= 0) {
        const bool quoted = at > 0 && line[at - 1] == '\'' && at + m.size() < line.size() &&
                            line[at + m.size()] == '\'';
        const QString v = MarkerValue(m, now);
        const QString text = quoted ? v : QLatin1Char('\'') + v + QLatin1Char('\'');
        line.replace(at, m.size(), text);
        at += text.size();
        changed = true;
      }
    }
    if (changed) where[i] = line;
    // Bare names in capitals on PostgreSQL.
    where[i] = EngineName(where[i]);
  }
  if (mIgnoreParams) {
    for (int i : asked) where[i].clear();
    return true;
  }
  if (asked.empty()) return true;

  // A master's refresh reuses the answers the user gave last.
  const bool reuse = mLinkRebuild && mHaveAnswers && mWhereAnswers.size() == prompt.Rows.size() &&
                     std::equal(mWhereAnswers.begin(), mWhereAnswers.end(), prompt.Rows.begin(),
                                [](const TQueryPromptRow& a, const TQueryPromptRow& b) {
                                  return a.Field == b.Field && a.TypeLabel == b.TypeLabel;
                                });
  if (reuse) {
    prompt.Rows = mWhereAnswers;
  } else {
    const TQueryPrompter ask = Prompter();
    if (!ask) {
      mPendingError = QStringLiteral("Nessuna finestra disponibile per richiedere i valori della query");
      return false;
    }
    if (!ask(prompt)) {
      mPendingError = QStringLiteral("Richiesta dei valori annullata");
      return false;
    }
  }
  for (size_t k = 0; k < asked.size() && k < prompt.Rows.size(); ++k) {
    const TWhereCondItem& it = items[size_t(asked[k])];
    const TQueryPromptRow& row = prompt.Rows[k];
    const QString op = row.Operator.trimmed().toUpper();
    const QString value = row.Value;
    if (op.isEmpty() || value.trimmed().isEmpty()) {
      where[asked[k]].clear();  // no answer: the condition is left out
      continue;
    }
    if (!QueryOperators().contains(op)) {
      mPendingError = QStringLiteral("Operatore non ammesso per %1: '%2'").arg(it.FieldName, row.Operator);
      return false;
    }
    if (value.contains(QChar(0))) {
      mPendingError = QStringLiteral("Il valore per %1 contiene un carattere non ammesso").arg(it.FieldName);
      return false;
    }
    QVariant bound;
    if (row.TypeLabel == kLabelDate) {
      QDate d;
      if (!ParseDate(value, d)) {
        mPendingError = QStringLiteral("'%1' non è una data valida per %2").arg(value, it.FieldName);
        return false;
      }
      bound = SQLDate(d);
    } else if (row.TypeLabel == kLabelTime) {
      QTime t;
      if (!ParseTime(value, t)) {
        mPendingError = QStringLiteral("'%1' non è un'ora valida per %2").arg(value, it.FieldName);
        return false;
      }
      bound = t.toString(QStringLiteral("HH:mm:ss"));
    } else if (it.Quoted) {
      bound = value;
    } else if (!ParseNumber(value, bound)) {
      mPendingError =
          QStringLiteral("'%1' non è un numero: per un testo la condizione su %2 va scritta fra apici")
              .arg(value.left(80), it.FieldName);
      return false;
    }
    where[asked[k]] = EngineName(it.FieldName + QLatin1Char(' ') + op) + QLatin1Char(' ') + BindName(bound);
  }
  mWhereAnswers = prompt.Rows;
  mHaveAnswers = true;
  return true;
}

bool TEnhQuery::PrepareParams() {
  if (mResorting) return true;
  TParams& ps = Params();
  if (ps.Count() == 0) return true;
  std::vector<int> asked;
  for (int i = 0; i < ps.Count(); ++i) {
    TParam& p = ps[i];
    // Type and default both follow the lower-cased first letter.
    const QChar first = p.Name.isEmpty() ? QChar() : p.Name[0].toLower();
    TFieldType t = ftString;
    QVariant def = QStringLiteral("*");
    if (first == 'd') {
      t = ftDate;
      def = QDate(1990, 1, 1);
    } else if (first == 'f') {
      t = ftFloat;
      def = 0.0;
    } else if (first == 'i') {
      t = ftInteger;
      def = qint64(0);
    } else if (first == 'k') {
      t = ftDateTime;
      def = QDateTime(QDate(1990, 1, 1), QTime(0, 0));
    } else if (first == 't') {
      t = ftTime;
      def = QTime(0, 0);
    }
    if (p.Name == QLatin1String("dDefaultDTFrom")) {
      p.SetAsDateTime(mDefDTFrom);
      continue;
    }
    if (p.Name == QLatin1String("dDefaultDTTo")) {
      p.SetAsDateTime(mDefDTTo);
      continue;
    }
    // A value the program (or the last answer) gave stays when it fits the type.
    QVariant keep;
    if (p.Value.isNull() || p.DataType != t || !CoerceToFieldType(p.Value, t, keep)) keep = def;
    p.DataType = t;
    p.Value = keep;
    asked.push_back(i);
  }
  if (mIgnoreParams || asked.empty()) return true;

  TQueryPrompt prompt;
  prompt.Parameters = true;
  for (int i : asked) {
    const TParam& p = ps[i];
    QString text;
    switch (p.DataType) {
      case ftDate:
        text = SQLDate(p.Value.toDate());
        break;
      case ftDateTime:
        text = SQLDateTime(p.Value.toDateTime());
        break;
      case ftTime:
        text = p.Value.toTime().toString(QStringLiteral("HH:mm:ss"));
        break;
      case ftFloat:
        text = QLocale().toString(p.Value.toDouble(), 'g', 15);
        break;
      default:
        text = p.Value.toString();
        break;
    }
    const QString label = TypeLabel(p.DataType);
    prompt.Rows.push_back({p.Name.mid(1), label, text, label});
  }
  const bool reuse = mLinkRebuild && mParamAnswers.size() == int(prompt.Rows.size());
  if (reuse) {
    for (size_t k = 0; k < prompt.Rows.size(); ++k) prompt.Rows[k].Value = mParamAnswers[int(k)];
  } else {
    const TQueryPrompter ask = Prompter();
    if (!ask) {
      mPendingError = QStringLiteral("Nessuna finestra disponibile per richiedere i parametri della query");
      return false;
    }
    if (!ask(prompt)) {
      mPendingError = QStringLiteral("Richiesta dei parametri annullata");
      return false;
    }
  }
  QStringList answers;
  for (size_t k = 0; k < asked.size() && k < prompt.Rows.size(); ++k) {
    TParam& p = ps[asked[k]];
    const QString text = prompt.Rows[k].Value;
    answers << text;
    QVariant v;
    bool ok = !text.contains(QChar(0));
    if (ok) switch (p.DataType) {
        case ftDate: {
          QDate d;
          ok = ParseDate(text, d);
          v = d;
          break;
        }
        case ftTime: {
          QTime t;
          ok = ParseTime(text, t);
          v = t;
          break;
        }
        case ftDateTime: {
          QDateTime dt;
          ok = ParseDateTime(text, dt);
          v = dt;
          break;
        }
        case ftInteger: {
          v = QLocale::c().toLongLong(text.trimmed(), &ok);
          if (!ok) v = QLocale().toLongLong(text.trimmed(), &ok);
          break;
        }
        case ftFloat: {
          double d = QLocale().toDouble(text.trimmed(), &ok);
          if (!ok) d = QLocale::c().toDouble(text.trimmed(), &ok);
          ok = ok && std::isfinite(d);
          v = d;
          break;
        }
        default:
          v = text;
          break;
      }
    if (!ok) {
      mPendingError = QStringLiteral("'%1' non è un valore valido per il parametro %2 %3")
                          .arg(text.left(80), p.Name.mid(1), TypeLabel(p.DataType));
      return false;
    }
    p.Value = v;
  }
  mParamAnswers = answers;
  return true;
}

QString TEnhQuery::SelectSQL(QVariantList& binds) {
  QStringList names;
  const QString sql = PositionalSQL(SQL().join('\n'), names);
  for (const QString& n : names) {
    auto it = mBound.constFind(n);
    binds << (it != mBound.constEnd() ? *it : ParamByName(n).Value);
  }
  return sql;
}

// --- record count

int TEnhQuery::RecordCount() {
  if (!Active() || mFetchedAll || Filtered()) return TFixQuery::RecordCount();
  try {
    QVariantList binds;
    QString sql = SelectSQL(binds).trimmed();
    while (sql.endsWith(';')) sql.chop(1);
    // The order does not change the count unless rows are cut after it.
    int start = 0, end = 0;
    if (LastOrderBy(sql, start, end) && !HasTopLevel(sql.mid(start), {"LIMIT", "OFFSET", "FETCH"}))
      sql = sql.left(start) + sql.mid(end);
    QSqlDatabase db = Database();
    if (!Catalog::IsPostgres(db))
      for (QVariant& b : binds) b = BindForm(b);
    TRows r = RunStatement(db, QStringLiteral("SELECT COUNT(*) AS RECCOUNT FROM (\n%1\n) tw_count").arg(sql), binds,
                           QStringLiteral("Errore nel conteggio"));
    if (r.next()) {
      // Rows this dataset appended are already in the table; one being
      // inserted is not yet.
      return int(r.value(0).toLongLong());
    }
  } catch (const ETarnwellError&) {
  }
  return TFixQuery::RecordCount();
}

// --- sorting

namespace {
void SplitOrderItem(const QString& item, QString& name, QString& dir) {
  const QString t = item.trimmed();
  const QString u = t.toUpper();
  if (u.endsWith(QLatin1String(" DESC"))) {
    name = t.left(t.size() - 5).trimmed();
    dir = QStringLiteral("DESC");
  } else if (u.endsWith(QLatin1String(" ASC"))) {
    name = t.left(t.size() - 4).trimmed();
    dir = QStringLiteral("ASC");
  } else {
    name = t;
    dir.clear();
  }
}
QString Unquoted(const QString& n) {
  if (n.size() >= 2 && n.startsWith('"') && n.endsWith('"'))
    return n.mid(1, n.size() - 2).replace(QLatin1String("\"\""), QLatin1String("\""));
  return n;
}
}  // namespace

int TEnhQuery::SortPosition(const QString& field, bool* descending) const {
  for (int i = 0; i < mZOrderBy.size(); ++i) {
    QString name, dir;
    SplitOrderItem(mZOrderBy[i], name, dir);
    if (Unquoted(name).compare(field.trimmed(), Qt::CaseInsensitive) == 0) {
      if (descending) *descending = dir == QLatin1String("DESC");
      return i;
    }
  }
  if (descending) *descending = false;
  return -1;
}

void TEnhQuery::ToggleSort(const QString& field) {
  const QString f = field.trimmed();
  if (f.isEmpty()) return;
  bool desc = false;
  const int pos = SortPosition(f, &desc);
  QString name;
  if (pos >= 0) {
    QString dir;
    SplitOrderItem(mZOrderBy[pos], name, dir);
    mZOrderBy[pos] = desc ? name : name + QStringLiteral(" DESC");
  } else {
    // A name that upper-casing would change on a case-sensitive engine goes in quotes.
    const bool bare = IsPlainIdentifier(f) && (f == f.toUpper() || f == f.toLower());
    mZOrderBy << (bare ? f.toUpper() : Catalog::QuoteIdentifier(QSqlDatabase(), f));
  }
  Q_EMIT ZOrderByChanged(mZOrderBy);
  mResorting = true;
  Rebuild(false);
  mResorting = false;
  TW_FIRE(AfterSort, afterSort, this);
}

void TEnhQuery::RemoveSort(const QString& field) {
  const int pos = SortPosition(field);
  if (pos < 0) return;
  mZOrderBy.removeAt(pos);
  Q_EMIT ZOrderByChanged(mZOrderBy);
  mResorting = true;
  Rebuild(false);
  mResorting = false;
  TW_FIRE(AfterSort, afterSort, this);
}

// --- links

void TEnhQuery::setMasterQuery(TEnhQuery* q) {
  if (q && (q == this || q == mDetailQuery || q == mDetailQuery2 || q == mLinkedDataSet.data() ||
            q->parent() != parent()))
    q = nullptr;
  if (q == mMasterQuery) return;
  mMasterQuery = q;
  Q_EMIT MasterQueryChanged(q);
  if (q) q->RefreshDetails();
}

void TEnhQuery::setDetailQuery(TEnhQuery* q) {
  if (q && (q == this || q == mMasterQuery || q == mDetailQuery2 || q == mLinkedDataSet.data())) q = nullptr;
  if (q == mDetailQuery) return;
  mDetailQuery = q;
  Q_EMIT DetailQueryChanged(q);
  if (q) RefreshDetails();
}

void TEnhQuery::setDetailQuery2(TEnhQuery* q) {
  if (q && (q == this || q == mMasterQuery || q == mDetailQuery || q == mLinkedDataSet.data())) q = nullptr;
  if (q == mDetailQuery2) return;
  mDetailQuery2 = q;
  Q_EMIT DetailQuery2Changed(q);
  if (q) RefreshDetails();
}

void TEnhQuery::setLinkedDataSet(TDataSet* d) {
  if (d && (d == this || d == mMasterQuery.data() || d == mDetailQuery.data() || d == mDetailQuery2.data()))
    d = nullptr;
  if (d == mLinkedDataSet) return;
  mLinkedDataSet = d;
  Q_EMIT LinkedDataSetChanged(d);
  LocateLinked();
}

void TEnhQuery::setMasterIndex(QString value) {
  if (value == mMasterIndex) return;
  mMasterIndex = value;
  Q_EMIT MasterIndexChanged(mMasterIndex);
  if (mMasterQuery) mMasterQuery->RefreshDetails();
}

void TEnhQuery::setDetailIndex(QString value) {
  if (value == mDetailIndex) return;
  mDetailIndex = value;
  mDetailFields = SplitFieldList(value);
  Q_EMIT DetailIndexChanged(mDetailIndex);
  RefreshDetails();
}

void TEnhQuery::setDetailIndex2(QString value) {
  if (value == mDetailIndex2) return;
  mDetailIndex2 = value;
  mDetailFields2 = SplitFieldList(value);
  Q_EMIT DetailIndex2Changed(mDetailIndex2);
  RefreshDetails();
}

void TEnhQuery::setLinkedIndex(QString value) {
  if (value == mLinkedIndex) return;
  mLinkedIndex = value;
  mLinkedFields = SplitFieldList(value);
  Q_EMIT LinkedIndexChanged(mLinkedIndex);
  LocateLinked();
}

void TEnhQuery::ApplyLink(TEnhQuery* detail, const QStringList& fields) {
  if (!detail || detail->FreeSQL() || fields.isEmpty()) return;
  detail->mLinkConditions.clear();
  const bool empty = IsEmpty();
  for (const QString& f : fields) {
    const TField* fld = FindField(f);
    // A key field the master lacks matches nothing rather than everything.
    detail->mLinkConditions.push_back({f, (!fld || empty) ? QVariant() : fld->Value()});
  }
  const bool was = detail->mLinkRebuild;
  const QString before = detail->LastError();
  detail->mLinkRebuild = true;
  bool ok = false;
  try {
    ok = detail->Rebuild(true);
  } catch (...) {
  }
  detail->mLinkRebuild = was;
  // The detail then shows no rows; the reason is told once, not on every move.
  if (!ok && !detail->LastError().isEmpty() && detail->LastError() != before)
    HandleExceptionMessage(detail->LastError());
}

void TEnhQuery::RefreshDetails() {
  if (!Active() || mRefreshing) return;
  mRefreshing = true;
  ApplyLink(mDetailQuery, mDetailFields);
  ApplyLink(mDetailQuery2, mDetailFields2);
  if (QObject* owner = parent()) {
    const auto children = owner->children();
    for (QObject* o : children) {
      auto* q = qobject_cast<TEnhQuery*>(o);
      if (!q || q == this || q->mMasterQuery != this || q->mMasterIndex.trimmed().isEmpty()) continue;
      ApplyLink(q, SplitFieldList(q->mMasterIndex));
    }
  }
  mRefreshing = false;
}

bool TEnhQuery::LocateLinked() { return LocateLinkedBy(false); }

bool TEnhQuery::LocateLinkedBy(bool oldValues) {
  if (!Active() || !mLinkedDataSet || mLinkedFields.isEmpty()) return false;
  try {
    QVariantList values;
    for (const QString& f : mLinkedFields) {
      const TField* fld = FieldByName(f);
      values << (oldValues ? fld->OldValue() : fld->Value());
    }
    if (!mLinkedDataSet->Active()) mLinkedDataSet->Open();
    const QVariant key = values.size() == 1 ? values[0] : QVariant(values);
    return mLinkedDataSet->Locate(mLinkedFields.join(';'), key, 0);
  } catch (const ETarnwellError&) {
    return false;
  }
}

void TEnhQuery::DoAfterOpen() {
  TFixQuery::DoAfterOpen();
  mOpenDone = true;
  RefreshDetails();
  if (State() == dsBrowse) LocateLinked();
  // The first record's scroll notice follows at once: it finds the details current.
  mSkipScroll = !Eof();
}

void TEnhQuery::OnScrolled() {
  if (mSkipScroll) {
    mSkipScroll = false;
    return;
  }
  if (!mOpenDone) return;
  RefreshDetails();
  if (State() == dsBrowse) LocateLinked();
}

void TEnhQuery::WithLinkedTransaction(const std::function<void()>& work) {
  TDataSet* linked = mLinkedDataSet;
  QSqlDatabase db = Database();
  auto* sqlLinked = qobject_cast<TDBDataSet*>(linked);
  bool shared = false;
  try {
    shared = sqlLinked && sqlLinked->Database().connectionName() == db.connectionName();
  } catch (const ETarnwellError&) {
  }
  // Both writes stand or fall together: one transaction of ours, unless the
  // program has its own open (then the writes' savepoints sit inside it).
  const bool own = shared && !InProgramTransaction(db);
  const QString what = QStringLiteral("Errore nel salvataggio");
  if (own) RunStatement(db, QStringLiteral("BEGIN"), {}, what);
  try {
    work();
    if (own) RunStatement(db, QStringLiteral("COMMIT"), {}, what);
  } catch (...) {
    if (own) {
      try {
        RunStatement(db, QStringLiteral("ROLLBACK"), {}, what);
      } catch (...) {
      }
    }
    if (linked) {
      try {
        if (linked->State() == dsEdit || linked->State() == dsInsert) linked->Cancel();
        // Its cache holds what was rolled back.
        else if (shared)
          linked->Refresh();
      } catch (...) {
      }
    }
    throw;
  }
}

void TEnhQuery::InternalPost(TRecord& rec, const TRecord* old) {
  if (!mLinkedUpdate || !mLinkedDataSet || mLinkedFields.isEmpty()) return TFixQuery::InternalPost(rec, old);
  WithLinkedTransaction([&] {
    TDataSet* linked = mLinkedDataSet;
    if (!linked->Active()) linked->Open();
    // An edit goes to the linked record of the same (old) key; without one
    // the record is added there, never written over another.
    if (old && LocateLinkedBy(true))
      linked->Edit();
    else
      linked->Append();
    for (int i = 0; i < FieldCount(); ++i) {
      const TField* f = Fields(i);
      if (f->Calculated()) continue;
      TField* lf = linked->FindField(f->FieldName());
      if (lf && !lf->ReadOnly() && !lf->Calculated()) lf->SetValue(f->Value());
    }
    linked->Post();
    TFixQuery::InternalPost(rec, old);
  });
}

void TEnhQuery::InternalDelete(const TRecord& rec) {
  if (!mLinkedUpdate || !mLinkedDataSet || mLinkedFields.isEmpty()) return TFixQuery::InternalDelete(rec);
  WithLinkedTransaction([&] {
    if (LocateLinked()) mLinkedDataSet->Delete();
    TFixQuery::InternalDelete(rec);
  });
}

}  // namespace Tarnwell
