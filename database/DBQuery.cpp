#include "DBQuery.h"

#include <QSqlError>

#include "DBEngine.h"
#include "DBSql_p.h"

namespace Tarnwell {

namespace {

// A tiny SQL tokenizer: enough to find placeholders and to see whether a
// select statement reads one plain table.
struct TSqlTok {
  enum Kind { Word, QuotedIdent, String, Punct, Param } K;
  QString Text;
};

std::vector<TSqlTok> SqlTokens(const QString& s) {
  std::vector<TSqlTok> out;
  const int n = s.size();
  int i = 0;
  while (i < n) {
    QChar c = s[i];
    if (c.isSpace()) {
      ++i;
      continue;
    }
    if (c == '-' && i + 1 < n && s[i + 1] == '-') {
      while (i < n && s[i] != '\n') ++i;
      continue;
    }
    if (c == '/' && i + 1 < n && s[i + 1] == '*') {
      int j = s.indexOf(QLatin1String("*/"), i + 2);
      i = j < 0 ? n : j + 2;
      continue;
    }
    if (c == '\'' || c == '"') {
      int j = i + 1;
      QString v;
      while (j < n) {
        if (s[j] == c) {
          if (j + 1 < n && s[j + 1] == c) {
            v += c;
            j += 2;
            continue;
          }
          break;
        }
        v += s[j++];
      }
      out.push_back({c == '\'' ? TSqlTok::String : TSqlTok::QuotedIdent, v});
      i = j + 1;
      continue;
    }
    if (c == ':' && i + 1 < n && s[i + 1] == ':') {
      out.push_back({TSqlTok::Punct, QStringLiteral("::")});
      i += 2;
      continue;
    }
    if (c == ':' && i + 1 < n && (s[i + 1].isLetter() || s[i + 1] == '_')) {
      int j = i + 1;
      while (j < n && (s[j].isLetterOrNumber() || s[j] == '_')) ++j;
      out.push_back({TSqlTok::Param, s.mid(i + 1, j - i - 1)});
      i = j;
      continue;
    }
    if (c.isLetterOrNumber() || c == '_' || c == '$') {
      int j = i + 1;
      while (j < n && (s[j].isLetterOrNumber() || s[j] == '_' || s[j] == '$')) ++j;
      out.push_back({TSqlTok::Word, s.mid(i, j - i)});
      i = j;
      continue;
    }
    out.push_back({TSqlTok::Punct, QString(c)});
    ++i;
  }
  return out;
}

}  // namespace

// ---------------------------------------------------------------------------
// TQuery

TQuery::TQuery(QObject* owner) : TDBDataSet(owner) {}

QStringList TQuery::ParamNames(const QString& sql) {
  QStringList r;
  for (auto& t : SqlTokens(sql))
    if (t.K == TSqlTok::Param) r << t.Text;
  return r;
}

QString TQuery::PositionalSQL(const QString& sql, QStringList& names) {
  // Rewrites in place so that the text around the placeholders stays as written.
  names.clear();
  QString out;
  const int n = sql.size();
  int i = 0;
  while (i < n) {
    QChar c = sql[i];
    if (c == '-' && i + 1 < n && sql[i + 1] == '-') {
      int j = sql.indexOf('\n', i);
      j = j < 0 ? n : j;
      out += sql.mid(i, j - i);
      i = j;
    } else if (c == '/' && i + 1 < n && sql[i + 1] == '*') {
      int j = sql.indexOf(QLatin1String("*/"), i + 2);
      j = j < 0 ? n : j + 2;
      out += sql.mid(i, j - i);
      i = j;
    } else if (c == '\'' || c == '"') {
      int j = i + 1;
      while (j < n) {
        if (sql[j] == c) {
          if (j + 1 < n && sql[j + 1] == c) {
            j += 2;
            continue;
          }
          break;
        }
        ++j;
      }
      j = std::min(j + 1, n);
      out += sql.mid(i, j - i);
      i = j;
    } else if (c == ':' && i + 1 < n && sql[i + 1] == ':') {
      out += QLatin1String("::");
      i += 2;
    } else if (c == ':' && i + 1 < n && (sql[i + 1].isLetter() || sql[i + 1] == '_')) {
      int j = i + 1;
      while (j < n && (sql[j].isLetterOrNumber() || sql[j] == '_')) ++j;
      names << sql.mid(i + 1, j - i - 1);
      out += '?';
      i = j;
    } else {
      out += c;
      ++i;
    }
  }
  return out;
}

void TQuery::setSQL(QStringList lines) {
  if (lines == mSQL) return;
  Close();
  mSQL = std::move(lines);
  TParams fresh;
  QStringList seen;
  for (const QString& name : ParamNames(mSQL.join('\n'))) {
    if (seen.contains(name, Qt::CaseInsensitive)) continue;
    seen << name;
    TParam p;
    if (TParam* old = mParams.FindParam(name)) p = *old;
    p.Name = name;
    fresh.Add(p);
  }
  mParams = fresh;
  Q_EMIT SQLChanged(mSQL);
}

TParam* TParams::FindParam(const QString& name) {
  for (auto& p : mItems)
    if (p.Name.compare(name, Qt::CaseInsensitive) == 0) return &p;
  return nullptr;
}

TParam& TParams::ParamByName(const QString& name) {
  TParam* p = FindParam(name);
  if (!p) throw EDatabaseError(QStringLiteral("Parametro '%1' non trovato").arg(name));
  return *p;
}

QString TQuery::SelectSQL(QVariantList& binds) {
  QStringList names;
  QString sql = PositionalSQL(mSQL.join('\n'), names);
  for (const QString& n : names) binds << mParams.ParamByName(n).Value;
  return sql;
}

QString TQuery::LiveTableName() const {
  static const QStringList stop = {"WHERE", "ORDER", "LIMIT", "OFFSET", "FOR"};
  static const QStringList refuse = {"JOIN",      "UNION",  "GROUP",    "HAVING",
                                     "INTERSECT", "EXCEPT", "DISTINCT", "WITH"};
  auto toks = SqlTokens(mSQL.join('\n'));
  if (toks.empty() || toks[0].K != TSqlTok::Word || toks[0].Text.compare("SELECT", Qt::CaseInsensitive) != 0)
    return {};
  size_t i = 1;
  // Select list: "*" or plain column names.
  for (;;) {
    if (i >= toks.size()) return {};
    const auto& t = toks[i];
    if (t.K == TSqlTok::Punct && t.Text == "*")
      ++i;
    else if ((t.K == TSqlTok::Word || t.K == TSqlTok::QuotedIdent) &&
             t.Text.compare("FROM", Qt::CaseInsensitive) != 0) {
      if (refuse.contains(t.Text.toUpper()) && t.K == TSqlTok::Word) return {};
      ++i;
    } else
      return {};
    if (i < toks.size() && toks[i].K == TSqlTok::Punct && toks[i].Text == ",") {
      ++i;
      continue;
    }
    break;
  }
  if (i >= toks.size() || toks[i].K != TSqlTok::Word ||
      toks[i].Text.compare("FROM", Qt::CaseInsensitive) != 0)
    return {};
  ++i;
  if (i >= toks.size() || (toks[i].K != TSqlTok::Word && toks[i].K != TSqlTok::QuotedIdent)) return {};
  QString table = toks[i].Text;
  ++i;
  if (i + 1 < toks.size() && toks[i].K == TSqlTok::Punct && toks[i].Text == "." &&
      (toks[i + 1].K == TSqlTok::Word || toks[i + 1].K == TSqlTok::QuotedIdent)) {
    table += '.' + toks[i + 1].Text;
    i += 2;
  }
  // Optional alias, then nothing that joins or groups.
  if (i < toks.size() && toks[i].K == TSqlTok::Word && !stop.contains(toks[i].Text.toUpper()) &&
      !refuse.contains(toks[i].Text.toUpper()))
    ++i;
  for (; i < toks.size(); ++i) {
    if (toks[i].K == TSqlTok::Punct && toks[i].Text == ",") return {};
    if (toks[i].K == TSqlTok::Word && refuse.contains(toks[i].Text.toUpper())) return {};
  }
  return table;
}

int TQuery::ExecSQL() {
  QSqlDatabase db = TDBSession::Connection(DatabaseName());
  QStringList names;
  QString sql = PositionalSQL(mSQL.join('\n'), names);
  if (!names.isEmpty() && Catalog::IsPostgres(db)) {
    QVariantList binds;
    for (const QString& name : names) binds << mParams.ParamByName(name).Value;
    mRowsAffected = RunStatement(db, sql, binds, QStringLiteral("Errore SQL")).Affected;
    return mRowsAffected;
  }
  QSqlQuery q(db);
  if (names.isEmpty()) {  // statements without parameters need no preparing (PostgreSQL cannot prepare DDL)
    if (!q.exec(sql)) throw EngineError(QStringLiteral("Errore SQL"), q.lastError());
  } else {
    if (!q.prepare(sql)) throw EngineError(QStringLiteral("Errore SQL"), q.lastError());
    for (int i = 0; i < names.size(); ++i) q.bindValue(i, BindForm(mParams.ParamByName(names[i]).Value));
    if (!q.exec()) throw EngineError(QStringLiteral("Errore SQL"), q.lastError());
  }
  mRowsAffected = q.numRowsAffected();
  return mRowsAffected;
}

}  // namespace Tarnwell
