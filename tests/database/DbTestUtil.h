#pragma once
// Shared set-up of the database suites: a demo database on SQLite (a file in
// a temporary folder) and on the private PostgreSQL server, both filled by
// the same generator with a fixed anchor date.

#include <gtest/gtest.h>

#include <QDate>
#include <QString>

#include <Tarnwell/database/DBTables.h>
#include "PgCluster.h"

using namespace Tarnwell;

enum class TEngine { SQLite, PostgreSQL };

struct TDemoDb {
  // The alias of the demo data on that engine (filled on first use).
  static QString Alias(TEngine e);
  static QDate Anchor() { return PgDemoAnchor(); }
  static constexpr int kMovements = kPgDemoMovements;
  // The SQLite file behind Alias(TEngine::SQLite).
  static QString SqliteFile();
  // Runs the sqlite3 command-line tool on a file.
  static QString Sqlite3(const QString& file, const QString& sql);
  // A single value read from outside with the engine's own command-line tool.
  static QString Outside(TEngine e, const QString& sql);
};

// A database made the way users make theirs, with the engine's own tool:
// the sqlite3 command-line tool on a new file (its default journal), or psql
// on the test server with unquoted (so lower-case) names. The script's output
// goes to `output`; the result is the DatabaseName that opens it.
QString UserDatabase(TEngine e, const QString& script, QString* output = nullptr);

// Runs one statement on an alias through the layer (errors throw).
inline void Exec(const QString& alias, const QString& sql) {
  TQuery q;
  q.setDatabaseName(alias);
  q.SetSQLText(sql);
  q.ExecSQL();
}

inline std::string EngineName(const ::testing::TestParamInfo<TEngine>& i) {
  return i.param == TEngine::SQLite ? "SQLite" : "PostgreSQL";
}

// The fixture of engine-parametrised suites; PostgreSQL cases skip visibly
// when the server is not running.
class EngineTest : public ::testing::TestWithParam<TEngine> {
 protected:
  void SetUp() override;
  QString Alias() const { return TDemoDb::Alias(GetParam()); }
  bool Pg() const { return GetParam() == TEngine::PostgreSQL; }
};
