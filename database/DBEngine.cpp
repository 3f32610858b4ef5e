#include "DBEngine.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QSettings>
#include <QSqlDriver>
#include <QSqlError>
#include <QSqlQuery>
#include <QSqlRecord>
#include <map>
#include <QTextStream>
#include <QUuid>

#include <sqlite3.h>

#include "DBPg_p.h"
#include "DBSql_p.h"

namespace Tarnwell {

namespace {

struct TRegisteredAlias {
  QString Name;  // as registered
  TAliasParams Params;
  TAliasPrepare Prepare;
};

struct TSessionData {
  std::map<QString, TRegisteredAlias> Registered;  // upper-cased name -> alias
  QStringList Order;                               // upper-cased names, in registration order
  std::map<QString, QString> Connections;          // key -> Qt connection name
};

TSessionData& Data() {
  static TSessionData d;
  return d;
}

QString Key(const QString& name) { return name.trimmed().toUpper(); }

const QStringList kSqliteSuffixes = {QStringLiteral("db"), QStringLiteral("sqlite"),
                                     QStringLiteral("sqlite3")};

// The service files libpq reads, in its order: the user's, then the system's.
QStringList PgServiceFiles() {
  QString user = qEnvironmentVariable("PGSERVICEFILE");
  if (user.isEmpty()) user = QDir::homePath() + QStringLiteral("/.pg_service.conf");
  QString sys = qEnvironmentVariable("PGSYSCONFDIR");
  if (sys.isEmpty()) sys = QStringLiteral("/etc/postgresql-common");  // where Debian's libpq looks
  return {user, sys + QStringLiteral("/pg_service.conf")};
}

// A value of a libpq connection string, quoted so that blanks, quotes and
// backslashes stay part of it.
QString ConnInfoValue(const QString& v) {
  QString q = v;
  q.replace('\\', QLatin1String("\\\\")).replace('\'', QLatin1String("\\'"));
  return '\'' + q + '\'';
}

}  // namespace

EDatabaseError EngineError(const QString& what, const QSqlError& e) {
  QString msg = e.text().trimmed();
  return EDatabaseError(msg.isEmpty() ? what : what + QStringLiteral(": ") + msg);
}

TRows RunStatement(const QSqlDatabase& db, const QString& sql, const QVariantList& binds, const QString& what) {
  TRows out;
  if (Catalog::IsPostgres(db)) {
    Pg::TResult r = Pg::Exec(Pg::Handle(db), sql, binds, what);
    const int rows = r.Rows(), cols = r.Columns();
    out.Data.reserve(rows);
    for (int i = 0; i < rows; ++i) {
      QVariantList row;
      row.reserve(cols);
      for (int c = 0; c < cols; ++c) row << r.Value(i, c);
      out.Data.push_back(std::move(row));
    }
    out.Affected = r.Affected();
    return out;
  }
  QSqlQuery q(db);
  q.setForwardOnly(true);
  if (!q.prepare(sql)) throw EngineError(what, q.lastError());
  for (int i = 0; i < binds.size(); ++i) q.bindValue(i, binds[i]);
  if (!q.exec()) throw EngineError(what, q.lastError());
  if (q.isSelect()) {
    const int cols = q.record().count();
    while (q.next()) {
      QVariantList row;
      row.reserve(cols);
      for (int c = 0; c < cols; ++c) row << q.value(c);
      out.Data.push_back(std::move(row));
    }
    if (q.lastError().isValid() && q.lastError().type() != QSqlError::NoError)
      throw EngineError(what, q.lastError());
  }
  out.Affected = q.numRowsAffected();
  q.finish();
  return out;
}

bool InProgramTransaction(const QSqlDatabase& db) {
  if (Catalog::IsPostgres(db)) return Pg::InTransaction(Pg::Handle(db));
  QVariant h = db.driver() ? db.driver()->handle() : QVariant();
  if (h.isValid() && qstrcmp(h.typeName(), "sqlite3*") == 0) {
    sqlite3* c = *static_cast<sqlite3* const*>(h.data());
    return c && sqlite3_get_autocommit(c) == 0;
  }
  return false;
}

namespace {
int gLockTimeoutMs = 10000;
}

int TDBSession::LockTimeout() { return gLockTimeoutMs; }
void TDBSession::SetLockTimeout(int ms) { gLockTimeoutMs = std::max(ms, 0); }

QStringList TDBSession::PgServiceNames() {
  QStringList names;
  for (const QString& file : PgServiceFiles()) {
    QFile f(file);
    if (!f.open(QIODevice::ReadOnly | QIODevice::Text)) continue;
    QTextStream in(&f);
    while (!in.atEnd()) {
      QString line = in.readLine().trimmed();
      if (line.startsWith('[') && line.endsWith(']')) {
        QString n = line.mid(1, line.size() - 2).trimmed();
        if (!n.isEmpty() && !names.contains(n, Qt::CaseInsensitive)) names << n;
      }
    }
  }
  return names;
}

QStringList TDBSession::AliasNames() {
  QStringList r;
  for (const QString& k : Data().Order) r << Data().Registered.at(k).Name;
  for (const QString& s : PgServiceNames())
    if (!r.contains(s, Qt::CaseInsensitive)) r << s;
  return r;
}

bool TDBSession::IsAlias(const QString& name) {
  const QString k = Key(name);
  if (k.isEmpty()) return false;
  for (auto& n : AliasNames())
    if (Key(n) == k) return true;
  return false;
}

void TDBSession::RegisterAlias(const QString& name, const TAliasParams& params, TAliasPrepare prepare) {
  const QString k = Key(name);
  if (k.isEmpty()) throw EDatabaseError(QStringLiteral("Nome di alias vuoto"));
  CloseConnection(name);
  if (!Data().Order.contains(k)) Data().Order << k;
  Data().Registered[k] = TRegisteredAlias{name.trimmed(), params, std::move(prepare)};
}

void TDBSession::UnregisterAlias(const QString& name) {
  CloseConnection(name);
  Data().Registered.erase(Key(name));
  Data().Order.removeAll(Key(name));
}

TAliasParams TDBSession::AliasParams(const QString& aliasOrPath) {
  const QString k = Key(aliasOrPath);
  if (k.isEmpty()) throw EDatabaseError(QStringLiteral("Nessun database indicato"));
  auto it = Data().Registered.find(k);
  if (it != Data().Registered.end()) return it->second.Params;
  TAliasParams p;
  for (const QString& s : PgServiceNames()) {
    if (Key(s) == k) {
      p.Driver = QStringLiteral("QPSQL");
      p.ConnectOptions = QStringLiteral("service=") + ConnInfoValue(s);
      return p;
    }
  }
  QFileInfo fi(aliasOrPath.trimmed());
  if (fi.isDir() || fi.isFile()) {
    p.DatabaseName = fi.absoluteFilePath();
    return p;
  }
  throw EDatabaseError(QStringLiteral("Alias o percorso sconosciuto: %1").arg(aliasOrPath));
}

QSqlDatabase TDBSession::Connection(const QString& aliasOrPath) {
  const QString k = Key(aliasOrPath);
  auto& conns = Data().Connections;
  auto it = conns.find(k);
  if (it != conns.end()) {
    QSqlDatabase db = QSqlDatabase::database(it->second, false);
    if (db.isOpen()) return db;
    QSqlDatabase::removeDatabase(it->second);
    conns.erase(it);
  }
  TAliasParams p = AliasParams(aliasOrPath);
  auto reg = Data().Registered.find(k);
  if (reg != Data().Registered.end() && reg->second.Prepare) {
    const TAliasPrepare prepare = reg->second.Prepare;  // it may re-register the alias
    prepare(p);
  }
  const QString cname = QStringLiteral("tarnwell-") + QUuid::createUuid().toString(QUuid::WithoutBraces);
  QSqlDatabase db;
  {
    db = QSqlDatabase::addDatabase(p.Driver, cname);
    if (!db.isValid()) {
      db = QSqlDatabase();
      QSqlDatabase::removeDatabase(cname);
      throw EDatabaseError(QStringLiteral("Driver di database non disponibile: %1").arg(p.Driver));
    }
  }
  QStringList attach;
  if (p.Driver == "QSQLITE") {
    QFileInfo fi(p.DatabaseName);
    if (fi.isDir()) {
      // A folder: each SQLite file is attached under its own base name.
      db.setDatabaseName(QStringLiteral(":memory:"));
      for (const QFileInfo& f : QDir(fi.absoluteFilePath()).entryInfoList(QDir::Files, QDir::Name))
        if (kSqliteSuffixes.contains(f.suffix().toLower())) attach << f.absoluteFilePath();
    } else {
      if (!fi.isFile()) {
        db = QSqlDatabase();
        QSqlDatabase::removeDatabase(cname);
        throw EDatabaseError(QStringLiteral("Il file di database non esiste: %1").arg(p.DatabaseName));
      }
      db.setDatabaseName(fi.absoluteFilePath());
    }
  } else {
    db.setDatabaseName(p.DatabaseName);
    if (!p.Host.isEmpty()) db.setHostName(p.Host);
    if (p.Port > 0) db.setPort(p.Port);
    if (!p.UserName.isEmpty()) db.setUserName(p.UserName);
    if (!p.Password.isEmpty()) db.setPassword(p.Password);
    if (!p.ConnectOptions.isEmpty()) db.setConnectOptions(p.ConnectOptions);
  }
  if (!db.open()) {
    EDatabaseError err =
        EngineError(QStringLiteral("Impossibile aprire il database %1").arg(aliasOrPath), db.lastError());
    db = QSqlDatabase();
    QSqlDatabase::removeDatabase(cname);
    throw err;
  }
  try {
    if (p.Driver == "QPSQL") {
      Pg::PrepareSession(Pg::Handle(db), gLockTimeoutMs);
    } else {
      // The engine checks references only when asked to, per connection.
      QSqlQuery fk(db);
      if (!fk.exec(QStringLiteral("PRAGMA foreign_keys = ON")))
        throw EngineError(QStringLiteral("Impossibile aprire il database %1").arg(aliasOrPath), fk.lastError());
    }
  } catch (...) {
    db.close();
    db = QSqlDatabase();
    QSqlDatabase::removeDatabase(cname);
    throw;
  }
  for (const QString& file : attach) {
    QSqlQuery q(db);
    QString schema = QFileInfo(file).completeBaseName();
    if (!q.prepare(QStringLiteral("ATTACH DATABASE ? AS ") + Catalog::QuoteIdentifier(db, schema))) continue;
    q.addBindValue(file);
    q.exec();  // a file that is not a database is left out
  }
  conns[k] = cname;
  return db;
}

void TDBSession::CloseConnection(const QString& aliasOrPath) {
  auto& conns = Data().Connections;
  auto it = conns.find(Key(aliasOrPath));
  if (it == conns.end()) return;
  QString cname = it->second;
  conns.erase(it);
  {
    QSqlDatabase db = QSqlDatabase::database(cname, false);
    db.close();
  }
  QSqlDatabase::removeDatabase(cname);
}

void TDBSession::CloseAll() {
  QStringList keys;
  for (auto& [k, c] : Data().Connections) {
    Q_UNUSED(c);
    keys << k;
  }
  for (auto& k : keys) CloseConnection(k);
}

// ---------------------------------------------------------------------------

namespace Catalog {

bool IsPostgres(const QSqlDatabase& db) { return db.driverName() == QLatin1String("QPSQL"); }

QString QuoteIdentifier(const QSqlDatabase& db, const QString& name) {
  // Both engines quote with double quotes and double an embedded one; the
  // driver's own routine would also split at full stops, which we do ourselves.
  Q_UNUSED(db);
  QString n = name;
  n.remove(QChar(0));
  n.replace('"', QLatin1String("\"\""));
  return '"' + n + '"';
}

// "owner.table", "table", each part bare or in double quotes ("a.b" names a
// table whose name holds a full stop). A bare name that does not split
// cleanly is taken whole.
static void SplitTableName(const QString& name, QString& owner, QString& table) {
  const QString n = name.trimmed();
  QStringList parts;
  int i = 0;
  bool ok = true;
  while (i < n.size() && ok) {
    QString part;
    if (n[i] == '"') {
      ++i;
      for (;;) {
        if (i >= n.size()) {
          ok = false;
          break;
        }
        if (n[i] == '"') {
          if (i + 1 < n.size() && n[i + 1] == '"') {
            part += '"';
            i += 2;
            continue;
          }
          ++i;
          break;
        }
        part += n[i++];
      }
    } else {
      while (i < n.size() && n[i] != '.') part += n[i++];
    }
    parts << part;
    if (i < n.size()) {
      if (n[i] != '.') ok = false;
      ++i;
      if (i == n.size()) ok = false;
    }
  }
  if (!ok || parts.size() > 2 || parts.isEmpty()) {
    owner.clear();
    table = n;
    return;
  }
  owner = parts.size() == 2 ? parts[0] : QString();
  table = parts.last();
}

// A catalog name part as it must be written to come back whole.
static QString ListedPart(const QString& part) {
  if (!part.contains('.') && !part.startsWith('"')) return part;
  return '"' + QString(part).replace('"', QLatin1String("\"\"")) + '"';
}

QString QuoteTableName(const QSqlDatabase& db, const QString& name) {
  QString owner, table;
  SplitTableName(name, owner, table);
  if (owner.isEmpty()) return QuoteIdentifier(db, table);
  return QuoteIdentifier(db, owner) + '.' + QuoteIdentifier(db, table);
}

static TRows Run(const QSqlDatabase& db, const QString& sql, const QVariantList& binds = {}) {
  return RunStatement(db, sql, binds, QStringLiteral("Errore nel catalogo"));
}

static QStringList SqliteSchemas(const QSqlDatabase& db) {
  QStringList r;
  TRows q = Run(db, QStringLiteral("SELECT name FROM pragma_database_list ORDER BY seq"));
  while (q.next()) {
    QString s = q.value(0).toString();
    if (s != "temp") r << s;
  }
  return r;
}

QStringList TableNames(const QSqlDatabase& db) {
  QStringList r;
  if (IsPostgres(db)) {
    TRows q =
        Run(db, QStringLiteral("SELECT n.nspname, c.relname FROM pg_catalog.pg_class c "
                               "JOIN pg_catalog.pg_namespace n ON n.oid = c.relnamespace "
                               "WHERE c.relkind IN ('r','p','v','m','f') AND n.nspname NOT IN "
                               "('pg_catalog','information_schema') "
                               "AND n.nspname NOT LIKE 'pg\\_toast%' AND n.nspname NOT LIKE 'pg\\_temp%' "
                               "ORDER BY (n.nspname <> 'public'), n.nspname, c.relname"));
    while (q.next()) {
      QString schema = q.value(0).toString(), table = q.value(1).toString();
      r << (schema == "public" ? ListedPart(table) : ListedPart(schema) + '.' + ListedPart(table));
    }
    return r;
  }
  const QStringList schemas = SqliteSchemas(db);
  const bool memoryMain = db.databaseName() == QLatin1String(":memory:");
  for (const QString& schema : schemas) {
    if (schema == "main" && memoryMain) continue;
    TRows q = Run(db, QStringLiteral("SELECT name FROM %1.sqlite_master WHERE type IN ('table','view') "
                                         "AND name NOT LIKE 'sqlite\\_%' ESCAPE '\\' ORDER BY name")
                              .arg(QuoteIdentifier(db, schema)));
    while (q.next()) {
      QString t = q.value(0).toString();
      r << (schema == "main" ? ListedPart(t) : ListedPart(schema) + '.' + ListedPart(t));
    }
  }
  return r;
}

TFieldType MapDeclaredType(const QString& declared, int& size) {
  QString t = declared.trimmed().toUpper();
  size = 0;
  int open = t.indexOf('(');
  QString base = open < 0 ? t : t.left(open).trimmed();
  if (open >= 0) {
    int close = t.indexOf(')', open);
    QStringList args = t.mid(open + 1, (close < 0 ? t.size() : close) - open - 1).split(',');
    size = args.value(0).trimmed().toInt();
    if (base.startsWith("NUMERIC") || base.startsWith("DECIMAL")) {
      int scale = args.value(1).trimmed().toInt();
      // Whole numbers that fit 64 bits are integers; wider ones stay exact decimals.
      if (scale == 0 && size <= 18) return ftLargeint;
      size = scale;
      return ftBCD;
    }
  }
  if (base.isEmpty()) return ftString;
  if (base == "SERIAL" || base == "BIGSERIAL" || base == "AUTOINC") return ftAutoInc;
  if (base == "SMALLINT" || base == "INT2" || base == "TINYINT") return ftSmallint;
  if (base == "BIGINT" || base == "INT8" || base == "LARGEINT" || base == "UNSIGNED BIG INT")
    return ftLargeint;
  if (base == "WORD") return ftWord;
  if (base.startsWith("INTERVAL") || base == "POINT") return ftString;
  if (base.contains("INT")) return ftInteger;  // SQLite's own affinity rule
  if (base == "MEMO") return ftMemo;
  // SQLite's own rule: a type naming CHAR, CLOB or TEXT holds text. Long
  // texts by name stay memos; every other one is an ordinary string: TEXT is
  // the plain string type of SQLite, as text and varchar without a length
  // are PostgreSQL's.
  if (base.contains("CHAR") || base.contains("CLOB") || base.contains("TEXT")) {
    if (base.contains("CLOB") || base == "LONGTEXT" || base == "MEDIUMTEXT" ||
        base == "LONG VARCHAR")
      return ftMemo;
    // A fixed-length text keeps its declared length; without one the engine
    // keeps the text whole, and so do we (size 0: no limit).
    if (base == "CHAR" || base == "CHARACTER" || base == "NCHAR" || base == "BPCHAR" ||
        base == "NATIVE CHARACTER")
      return ftFixedChar;
    return ftString;
  }
  if (base == "BOOLEAN" || base == "BOOL" || base == "BIT" || base == "LOGICAL") return ftBoolean;
  if (base == "MONEY" || base == "CURRENCY") return ftCurrency;
  if (base == "NUMERIC" || base == "DECIMAL") return ftFloat;
  if (base.contains("REAL") || base.contains("FLOA") || base.contains("DOUB")) return ftFloat;
  if (base == "DATE") return ftDate;
  if (base.startsWith("TIMESTAMP") || base == "DATETIME") return ftDateTime;
  if (base.startsWith("TIME")) return ftTime;
  if (base == "IMAGE" || base == "GRAPHIC" || base == "PICTURE") return ftGraphic;
  if (base.contains("BLOB") || base == "BYTEA" || base.contains("BINARY")) return ftBlob;
  return ftString;
}

static QString PgRegclassText(const QSqlDatabase& db, const QString& table) {
  return QuoteTableName(db, table);
}

TFieldDefs FieldDefs(const QSqlDatabase& db, const QString& table) {
  TFieldDefs defs;
  QString owner, name;
  SplitTableName(table, owner, name);
  if (IsPostgres(db)) {
    TRows q =
        Run(db,
            QStringLiteral("SELECT a.attname, pg_catalog.format_type(a.atttypid, a.atttypmod), a.attnotnull, "
                           "COALESCE(pg_catalog.pg_get_expr(d.adbin, d.adrelid), ''), a.attidentity "
                           "FROM pg_catalog.pg_attribute a LEFT JOIN pg_catalog.pg_attrdef d "
                           "ON d.adrelid = a.attrelid AND d.adnum = a.attnum "
                           "WHERE a.attrelid = pg_catalog.to_regclass(?) AND a.attnum > 0 AND NOT a.attisdropped "
                           "ORDER BY a.attnum"),
            {PgRegclassText(db, table)});
    while (q.next()) {
      int size = 0;
      QString declared = q.value(1).toString();
      TFieldType t = MapDeclaredType(declared, size);
      if (declared == QLatin1String("numeric")) t = ftBCD;  // no declared scale: every digit counts
      const QString def = q.value(3).toString();
      if ((t == ftInteger || t == ftLargeint) &&
          (def.startsWith("nextval(") || !q.value(4).toString().isEmpty()))
        t = ftAutoInc;
      TFieldDef& d = defs.Add(q.value(0).toString(), t, size, q.value(2).toBool() && t != ftAutoInc);
      d.NativeType = declared;
    }
  } else {
    TRows q = Run(
        db, QStringLiteral("SELECT name, type, \"notnull\", pk FROM pragma_table_info(?, ?) ORDER BY cid"),
        {name, owner.isEmpty() ? QStringLiteral("main") : owner});
    int pkCount = 0;
    std::vector<int> pkInteger;
    while (q.next()) {
      int size = 0;
      QString declared = q.value(1).toString();
      TFieldType t = MapDeclaredType(declared, size);
      TFieldDef& d = defs.Add(q.value(0).toString(), t, size, q.value(2).toBool());
      d.NativeType = declared;
      if (q.value(3).toInt() > 0) {
        ++pkCount;
        if (declared.trimmed().compare("INTEGER", Qt::CaseInsensitive) == 0)
          pkInteger.push_back(defs.Count() - 1);
      }
    }
    // A lone INTEGER PRIMARY KEY is the row id: the engine assigns it.
    if (pkCount == 1 && pkInteger.size() == 1) {
      defs[pkInteger[0]].DataType = ftAutoInc;
      defs[pkInteger[0]].Required = false;
    }
  }
  if (defs.Count() == 0) throw EDatabaseError(QStringLiteral("Tabella '%1' non trovata").arg(table));
  return defs;
}

// The key terms of an SQLite CREATE INDEX text, as written, without their
// collation and direction.
static QStringList IndexTerms(const QString& sql) {
  QStringList terms;
  const int on = sql.indexOf(QRegularExpression(QStringLiteral("\\bON\\b"), QRegularExpression::CaseInsensitiveOption));
  int i = on < 0 ? -1 : sql.indexOf('(', on);
  if (i < 0) return terms;
  int depth = 0;
  QString cur;
  QChar quote;
  for (++i; i < sql.size(); ++i) {
    const QChar c = sql[i];
    if (!quote.isNull()) {
      if (c == quote) quote = QChar();
    } else if (c == '\'' || c == '"' || c == '`' || c == '[') {
      quote = c == '[' ? QChar(']') : c;
    } else if (c == '(') {
      ++depth;
    } else if (c == ')') {
      if (depth-- == 0) break;
    } else if (c == ',' && depth == 0) {
      terms << cur.trimmed();
      cur.clear();
      continue;
    }
    cur += c;
  }
  terms << cur.trimmed();
  static const QRegularExpression tail(QStringLiteral("(\\s+COLLATE\\s+\\S+)?(\\s+(ASC|DESC))?$"),
                                       QRegularExpression::CaseInsensitiveOption);
  for (QString& t : terms) t.remove(tail);
  return terms;
}

TIndexDefs IndexDefs(const QSqlDatabase& db, const QString& table) {
  TIndexDefs defs;
  QString owner, name;
  SplitTableName(table, owner, name);
  if (IsPostgres(db)) {
    TRows q =
        Run(db,
            QStringLiteral(
                "SELECT i.relname, x.indisprimary, x.indisunique, "
                "array_to_string(ARRAY(SELECT COALESCE(a.attname, pg_catalog.pg_get_indexdef(x.indexrelid, k + 1, "
                "true)) FROM generate_series(0, x.indnkeyatts - 1) k "
                "  LEFT JOIN pg_catalog.pg_attribute a ON a.attrelid = x.indrelid AND a.attnum = x.indkey[k] "
                "  ORDER BY k), ';'), "
                "(SELECT bool_or((x.indoption[k] & 1) = 1) FROM generate_series(0, x.indnkeyatts - 1) k), "
                "(x.indexprs IS NOT NULL), (x.indpred IS NOT NULL) "
                "FROM pg_catalog.pg_index x JOIN pg_catalog.pg_class i ON i.oid = x.indexrelid "
                "WHERE x.indrelid = pg_catalog.to_regclass(?) ORDER BY NOT x.indisprimary, i.relname"),
            {PgRegclassText(db, table)});
    while (q.next()) {
      TIndexDef d;
      d.Name = q.value(0).toString();
      d.Fields = q.value(3).toString();
      if (q.value(1).toBool()) d.Options |= ixPrimary;
      if (q.value(2).toBool()) d.Options |= ixUnique;
      if (q.value(4).toBool()) d.Options |= ixDescending;
      if (q.value(5).toBool()) d.Options |= ixExpression;
      d.Partial = q.value(6).toBool();
      defs.Add(d);
    }
  } else {
    const QString schema = owner.isEmpty() ? QStringLiteral("main") : owner;
    // The implicit key of an INTEGER PRIMARY KEY has no entry in the index list.
    TFieldDefs fields = FieldDefs(db, table);
    {
      TRows q =
          Run(db, QStringLiteral("SELECT name FROM pragma_table_info(?, ?) WHERE pk > 0 ORDER BY pk"),
              {name, schema});
      QStringList pk;
      while (q.next()) pk << q.value(0).toString();
      if (pk.size() == 1 && fields.Find(pk[0]) && fields.Find(pk[0])->DataType == ftAutoInc) {
        TIndexDef d;
        d.Name = name + QStringLiteral("_pkey");
        d.Fields = pk[0];
        d.Options = ixPrimary | ixUnique;
        defs.Add(d);
      }
    }
    std::vector<std::pair<QString, QString>> list;  // name, origin
    std::vector<bool> uniques, partials;
    {
      TRows q =
          Run(db,
              QStringLiteral("SELECT name, \"unique\", origin, partial FROM pragma_index_list(?, ?) "
                             "ORDER BY origin <> 'pk', name"),
              {name, schema});
      while (q.next()) {
        list.emplace_back(q.value(0).toString(), q.value(2).toString());
        uniques.push_back(q.value(1).toBool());
        partials.push_back(q.value(3).toBool());
      }
    }
    for (size_t i = 0; i < list.size(); ++i) {
      TIndexDef d;
      d.Name = list[i].first;
      if (list[i].second == "pk") d.Options |= ixPrimary;
      if (uniques[i]) d.Options |= ixUnique;
      d.Partial = partials[i];
      // The engine names no column for an expression key: its text comes
      // from the index's own definition.
      QStringList terms;
      {
        TRows def = Run(db, QStringLiteral("SELECT sql FROM %1.sqlite_master WHERE type = 'index' AND name = ?")
                                .arg(QuoteIdentifier(db, schema)),
                        {d.Name});
        if (def.next()) terms = IndexTerms(def.value(0).toString());
      }
      TRows q = Run(db,
                        QStringLiteral("SELECT name, \"desc\", coll, cid FROM pragma_index_xinfo(?, ?) "
                                       "WHERE key = 1 ORDER BY seqno"),
                        {d.Name, schema});
      QStringList cols;
      while (q.next()) {
        if (q.value(3).toInt() == -2) {
          d.Options |= ixExpression;
          cols << terms.value(int(cols.size()), QStringLiteral("<espressione>"));
          continue;
        }
        cols << q.value(0).toString();
        if (q.value(1).toInt()) d.Options |= ixDescending;
        if (q.value(2).toString().compare("NOCASE", Qt::CaseInsensitive) == 0) d.Options |= ixCaseInsensitive;
      }
      d.Fields = cols.join(';');
      defs.Add(d);
    }
  }
  defs.SetUpdated(true);
  return defs;
}

}  // namespace Catalog

}  // namespace Tarnwell
