#include "DbTestUtil.h"

#include <QDir>
#include <QLocale>
#include <QProcess>
#include <QTemporaryDir>

#include <Tarnwell/database/demo/DBDemos.h>
#include <Tarnwell/database/DBEngine.h>
#include "PgServer.h"

using namespace Tarnwell;

namespace {
QTemporaryDir& Dir() {
  static QTemporaryDir d;
  return d;
}
bool gSqliteReady = false, gPgReady = false;
// As the showcase does at start-up; before any other alias, so it comes first.
[[maybe_unused]] const bool gDemoAliasRegistered = (RegisterDemoAlias(), true);
}  // namespace

QString TDemoDb::SqliteFile() { return Dir().filePath("demo.sqlite"); }

QString TDemoDb::Alias(TEngine e) {
  if (e == TEngine::SQLite) {
    if (!gSqliteReady) {
      GenerateDemoDatabase(SqliteFile(), Anchor(), kMovements);
      TAliasParams p;
      p.DatabaseName = SqliteFile();
      TDBSession::RegisterAlias("DEMOLITE", p);
      gSqliteReady = true;
    }
    return "DEMOLITE";
  }
  if (!gPgReady && TPgServer::Running() && !TPgServer::DemoFilled()) {
    FillDemoDatabase(TDBSession::Connection(TPgServer::Alias()), Anchor(), kMovements);
    gPgReady = true;
  }
  return TPgServer::Alias();
}

QString TDemoDb::Sqlite3(const QString& file, const QString& sql) {
  QProcess p;
  p.start("sqlite3", {"-batch", "-noheader", "-list", file, sql});
  if (!p.waitForFinished(30000)) return "<sqlite3 timed out>";
  return QString::fromUtf8(p.readAllStandardOutput()).trimmed();
}

QString TDemoDb::Outside(TEngine e, const QString& sql) {
  return e == TEngine::SQLite ? Sqlite3(SqliteFile(), sql) : TPgServer::Psql(sql);
}

QString UserDatabase(TEngine e, const QString& script, QString* output) {
  static int files = 0;
  QString out, name;
  if (e == TEngine::SQLite) {
    name = Dir().filePath(QStringLiteral("utente%1.db").arg(++files));
    out = TDemoDb::Sqlite3(name, script);
  } else {
    name = TPgServer::Alias();
    out = TPgServer::Psql(script);
    TDBSession::CloseConnection(name);  // the catalog may have changed under it
  }
  if (output) *output = out;
  return name;
}

void EngineTest::SetUp() {
  QLocale::setDefault(QLocale(QLocale::Italian, QLocale::Italy));
  if (GetParam() == TEngine::PostgreSQL) REQUIRE_PG();
}
