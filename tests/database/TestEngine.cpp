// Aliases, the demo database generator and the SQL helpers.
#include <gtest/gtest.h>
#include <unistd.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSqlQuery>
#include <QTemporaryDir>

#include <Tarnwell/database/demo/DBDemos.h>
#include <Tarnwell/database/DBEngine.h>
#include "DbTestUtil.h"
#include "PgServer.h"

using namespace Tarnwell;

namespace {

QByteArray ReadAll(const QString& path) {
  QFile f(path);
  f.open(QIODevice::ReadOnly);
  return f.readAll();
}

TEST(DemoDatabase, GeneratedOnFirstUseWholeAndDeterministic) {
  QTemporaryDir dir;
  const QString path = dir.filePath("sub/DBDEMOS.sqlite");
  SetDemoDatabasePath(path);
  ASSERT_FALSE(QFile::exists(path));
  QStringList tables = Catalog::TableNames("DBDEMOS");  // first use generates it
  EXPECT_EQ(tables, DemoTableNames());
  EXPECT_TRUE(IsDemoDatabaseFile(path));
  EXPECT_EQ(TDemoDb::Sqlite3(path, "PRAGMA integrity_check"), "ok");
  EXPECT_EQ(TDemoDb::Sqlite3(path, "SELECT count(*) FROM MOVIMENTI"), "100000");
  TDBSession::CloseConnection("DBDEMOS");  // an open file in WAL mode has its log beside it
  EXPECT_EQ(QDir(dir.filePath("sub")).entryList(QDir::Files), QStringList{"DBDEMOS.sqlite"});  // no leftovers
  // What later windows rely on: DELTA on both sides of the colour rules, ORG
  // in Tipo, late September 2000, a name with a blank.
  EXPECT_EQ(
      TDemoDb::Sqlite3(path, "SELECT min(DELTA) < 100, max(DELTA) > 200, sum(Tipo = 'ORG') > 0 FROM CLIENTI"),
      "1|1|1");
  EXPECT_EQ(TDemoDb::Sqlite3(
                path, "SELECT count(*) FROM ORDINI WHERE DATAORD BETWEEN '2000-09-24' AND '2000-09-27'"),
            "60");
  EXPECT_EQ(TDemoDb::Sqlite3(path, "SELECT count(*) FROM \"Righe Ordine\" r JOIN ORDINI o USING (NUMORD)"),
            TDemoDb::Sqlite3(path, "SELECT count(*) FROM \"Righe Ordine\""));
  const QByteArray first = ReadAll(path);
  SetDemoDatabasePath({});

  // The same anchor gives the same database.
  const QString a = dir.filePath("a.sqlite"), b = dir.filePath("b.sqlite");
  GenerateDemoDatabase(a, QDate(2024, 1, 31), 500);
  GenerateDemoDatabase(b, QDate(2024, 1, 31), 500);
  EXPECT_EQ(TDemoDb::Sqlite3(a, ".dump"), TDemoDb::Sqlite3(b, ".dump"));
  EXPECT_EQ(TDemoDb::Sqlite3(a, "SELECT max(DATAORD) FROM ORDINI"), "2024-02-05");
  // Ours may be replaced (a newer version); a file of someone else never is.
  GenerateDemoDatabase(a, QDate(2024, 1, 31), 10);
  EXPECT_EQ(TDemoDb::Sqlite3(a, "SELECT count(*) FROM MOVIMENTI"), "10");
  Q_UNUSED(first);
}

TEST(DemoDatabase, StaleTemporariesOfAnInterruptedRunGo) {
  QTemporaryDir dir;
  const QString path = dir.filePath("DBDEMOS.sqlite");
  auto touch = [](const QString& f) {
    QFile file(f);
    return file.open(QIODevice::WriteOnly) && file.write("x") == 1;
  };
  // pid 2147483 is beyond any pid the system hands out; the parent runs.
  const QString dead = path + ".tmp-2147483", alive = path + QString(".tmp-%1").arg(::getppid());
  ASSERT_TRUE(touch(dead) && touch(dead + "-journal") && touch(alive) && touch(dir.filePath("altro.tmp-2147483")));
  GenerateDemoDatabase(path, QDate(2024, 1, 31), 10);
  QStringList left = QDir(dir.path()).entryList(QDir::Files);
  left.sort();
  EXPECT_EQ(left, (QStringList{"DBDEMOS.sqlite", QFileInfo(alive).fileName(), "altro.tmp-2147483"}));
  EXPECT_EQ(TDemoDb::Sqlite3(path, "PRAGMA journal_mode"), "wal");
}

TEST(DemoDatabase, AFileNotOursIsNeverOverwritten) {
  QTemporaryDir dir;
  const QString path = dir.filePath("DBDEMOS.sqlite");
  {
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write("i miei appunti\n");
  }
  SetDemoDatabasePath(path);
  try {
    TDBSession::Connection("DBDEMOS");
    FAIL() << "opened over a foreign file";
  } catch (const EDatabaseError& e) {
    EXPECT_TRUE(e.Message().contains("non viene sovrascritto")) << e.Message().toStdString();
  }
  EXPECT_EQ(ReadAll(path), QByteArray("i miei appunti\n"));
  // Another SQLite database is not ours either.
  QFile::remove(path);
  TDemoDb::Sqlite3(path, "CREATE TABLE mia (x); INSERT INTO mia VALUES (42);");
  EXPECT_THROW(GenerateDemoDatabase(path, QDate(2024, 1, 1), 10), EDatabaseError);
  EXPECT_EQ(TDemoDb::Sqlite3(path, "SELECT x FROM mia"), "42");
  SetDemoDatabasePath({});
}

TEST(DemoDatabase, ADamagedOneIsPutAsideAndMadeAnew) {
  QTemporaryDir dir;
  const QString path = dir.filePath("DBDEMOS.sqlite");
  GenerateDemoDatabase(path, QDate(2024, 1, 1), 3000);
  ASSERT_TRUE(DemoDatabaseIntact(path));
  {
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::ReadWrite));
    f.seek(f.size() / 2);  // the header stays: the file is still recognisably ours
    f.write(QByteArray(8192, '\x5a'));
  }
  EXPECT_FALSE(DemoDatabaseIntact(path));
  EnsureDemoDatabase(path, QDate(2024, 1, 1));
  EXPECT_EQ(TDemoDb::Sqlite3(path, "PRAGMA integrity_check"), "ok");
  const QStringList aside = QDir(dir.path()).entryList({"DBDEMOS.sqlite.danneggiato-*"});
  ASSERT_EQ(aside.size(), 1);
  EXPECT_FALSE(DemoDatabaseIntact(dir.filePath(aside[0])));  // kept as it was
}

TEST(Aliases, FoldersFilesAndUnknownNames) {
  QTemporaryDir dir;
  TDemoDb::Sqlite3(dir.filePath("anagrafe.db"),
                   "CREATE TABLE persone (id INTEGER PRIMARY KEY, nome TEXT);"
                   "INSERT INTO persone VALUES (1, 'Anna');");
  TDemoDb::Sqlite3(dir.filePath("magazzino.sqlite"),
                   "CREATE TABLE scorte (cod VARCHAR(5) PRIMARY KEY, qta INT);");
  QFile junk(dir.filePath("leggimi.txt"));
  junk.open(QIODevice::WriteOnly);
  junk.write("non un database");
  junk.close();
  // A folder: each SQLite file is an owner.
  EXPECT_EQ(Catalog::TableNames(dir.path()), QStringList({"anagrafe.persone", "magazzino.scorte"}));
  TTable t;
  t.setDatabaseName(dir.path());
  t.setTableName("anagrafe.persone");
  t.Open();
  EXPECT_EQ(t.FieldByName("nome")->AsString(), "Anna");
  EXPECT_EQ(t.FieldByName("nome")->DataType(), ftString);
  t.Edit();
  t.FieldByName("nome")->SetAsString("Anna Maria");
  t.Post();
  t.Close();
  EXPECT_EQ(TDemoDb::Sqlite3(dir.filePath("anagrafe.db"), "SELECT nome FROM persone"), "Anna Maria");
  EXPECT_EQ(Catalog::IndexDefs(TDBSession::Connection(dir.path()), "magazzino.scorte").PrimaryKey()->Fields,
            "cod");
  // Dates kept as text, as Julian days or as seconds since 1970 all read as dates.
  TDemoDb::Sqlite3(dir.filePath("anagrafe.db"),
                   "CREATE TABLE date (n INTEGER PRIMARY KEY, d DATE, t DATETIME);"
                   "INSERT INTO date VALUES (1, '2000-09-25', '2000-09-25 10:30:00'),"
                   "(2, julianday('2000-09-25'), julianday('2000-09-25 10:30:00')),"
                   "(3, unixepoch('2000-09-25'), unixepoch('2000-09-25 10:30:00'));");
  TTable d;
  d.setDatabaseName(dir.path());
  d.setTableName("anagrafe.date");
  d.Open();
  EXPECT_EQ(d.RecordCount(), 3);
  for (d.First(); !d.Eof(); d.Next()) {
    EXPECT_EQ(d.FieldByName("d")->Value().toDate(), QDate(2000, 9, 25)) << d.RecNo();
    EXPECT_EQ(d.FieldByName("t")->Value().toDateTime(), QDateTime(QDate(2000, 9, 25), QTime(10, 30)))
        << d.RecNo();
  }
  d.Close();
  // A file directly.
  EXPECT_EQ(Catalog::TableNames(dir.filePath("magazzino.sqlite")), QStringList{"scorte"});
  EXPECT_THROW(TDBSession::Connection(dir.filePath("manca.db")), EDatabaseError);
  EXPECT_THROW(TDBSession::Connection("NESSUN_ALIAS"), EDatabaseError);
  EXPECT_TRUE(TDBSession::AliasNames().contains("DBDEMOS"));
  TDBSession::CloseConnection(dir.path());
  TDBSession::CloseConnection(dir.filePath("magazzino.sqlite"));
}

TEST(Aliases, PostgresServicesComeFromLibpqServiceFile) {
  QTemporaryDir dir;
  const QString file = dir.filePath("pg_service.conf");
  {
    QFile f(file);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(QString("# servizi\n[contabilita]\nhost=%1\nport=%2\nuser=%3\ndbname=%4\n\n[vuoto]\n"
                    "[conti di casa]\nhost=%1\nport=%2\nuser=%3\ndbname=%4\n")
                .arg(TPgServer::SocketDir())
                .arg(TPgServer::Port())
                .arg(TPgServer::User(), TPgServer::Database())
                .toUtf8());
    QFile g(dir.filePath("sys/pg_service.conf"));
    QDir(dir.path()).mkdir("sys");
    ASSERT_TRUE(g.open(QIODevice::WriteOnly));
    g.write("[sistema]\nhost=/nessuno\n[vuoto]\n");
  }
  const QByteArray saved = qgetenv("PGSERVICEFILE"), savedSys = qgetenv("PGSYSCONFDIR");
  qputenv("PGSERVICEFILE", file.toLocal8Bit());
  qputenv("PGSYSCONFDIR", dir.filePath("sys").toLocal8Bit());
  EXPECT_EQ(TDBSession::PgServiceNames(), QStringList({"contabilita", "vuoto", "conti di casa", "sistema"}));
  QStringList names = TDBSession::AliasNames();
  EXPECT_EQ(names.first(), "DBDEMOS");
  EXPECT_TRUE(names.contains("contabilita"));
  EXPECT_EQ(TDBSession::AliasParams("CONTABILITA").Driver, "QPSQL");
  if (TPgServer::Running()) {
    QSqlQuery q(TDBSession::Connection("contabilita"));
    ASSERT_TRUE(q.exec("SELECT current_user"));
    ASSERT_TRUE(q.next());
    EXPECT_EQ(q.value(0).toString(), TPgServer::User());
    TDBSession::CloseConnection("contabilita");
    // A blank in the name is part of it.
    QSqlQuery c(TDBSession::Connection("conti di casa"));
    ASSERT_TRUE(c.exec("SELECT current_database()"));
    ASSERT_TRUE(c.next());
    EXPECT_EQ(c.value(0).toString(), TPgServer::Database());
    TDBSession::CloseConnection("conti di casa");
  }
  if (savedSys.isEmpty())
    qunsetenv("PGSYSCONFDIR");
  else
    qputenv("PGSYSCONFDIR", savedSys);
  if (saved.isEmpty())
    qunsetenv("PGSERVICEFILE");
  else
    qputenv("PGSERVICEFILE", saved);
  REQUIRE_PG();
}

TEST(SqlText, PlaceholdersAndQuoting) {
  QStringList names;
  EXPECT_EQ(TQuery::PositionalSQL(
                "SELECT ':no', \":nome\" FROM t WHERE a = :a AND b::text = :b_2 -- :c\n/* :d */", names),
            "SELECT ':no', \":nome\" FROM t WHERE a = ? AND b::text = ? -- :c\n/* :d */");
  EXPECT_EQ(names, QStringList({"a", "b_2"}));
  EXPECT_EQ(TQuery::ParamNames("x = :è AND y = 'it''s :z'"), QStringList{"è"});
  QSqlDatabase none;
  EXPECT_EQ(Catalog::QuoteIdentifier(none, "a\"b"), "\"a\"\"b\"");
  EXPECT_EQ(Catalog::QuoteTableName(none, "Righe Ordine"), "\"Righe Ordine\"");
  EXPECT_EQ(Catalog::QuoteTableName(none, "anagrafe.persone"), "\"anagrafe\".\"persone\"");
  int size = 0;
  EXPECT_EQ(Catalog::MapDeclaredType("character varying(40)", size), ftString);
  EXPECT_EQ(size, 40);
  EXPECT_EQ(Catalog::MapDeclaredType("numeric(10,2)", size), ftBCD);
  EXPECT_EQ(Catalog::MapDeclaredType("timestamp without time zone", size), ftDateTime);
  EXPECT_EQ(Catalog::MapDeclaredType("time without time zone", size), ftTime);
  EXPECT_EQ(Catalog::MapDeclaredType("bigint", size), ftLargeint);
  EXPECT_EQ(Catalog::MapDeclaredType("", size), ftString);
  EXPECT_EQ(Catalog::MapDeclaredType("interval", size), ftString);
  EXPECT_EQ(Catalog::MapDeclaredType("UNSIGNED BIG INT", size), ftLargeint);
}

}  // namespace
