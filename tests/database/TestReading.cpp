// Reading large tables: a row is never shown twice, other writers are not
// locked out, PostgreSQL reads through a cursor and a lock wait has a limit.
#include <gtest/gtest.h>

#include <QDateTime>
#include <QProcess>
#include <QSet>
#include <QSqlQuery>
#include <QTemporaryDir>

#include <Tarnwell/database/DBEngine.h>
#include <Tarnwell/database/DBSqlite_p.h>
#include "DbTestUtil.h"
#include "PgServer.h"

using namespace Tarnwell;

namespace {

class ReadTest : public EngineTest {};

// Every ID once, and as many as the engine holds.
void ExpectEachRowOnce(TDataSet& t, int count) {
  EXPECT_EQ(t.RecordCount(), count);
  QSet<qint64> ids;
  t.First();
  while (!t.Eof()) {
    EXPECT_FALSE(ids.contains(t.FieldByName("ID")->AsInteger())) << t.FieldByName("ID")->AsInteger();
    ids.insert(t.FieldByName("ID")->AsInteger());
    t.Next();
  }
  EXPECT_EQ(ids.size(), count);
}

TEST_P(ReadTest, ARowWrittenAheadOfTheCursorIsNotShownTwice) {
  Exec(Alias(), "DROP TABLE IF EXISTS \"MOLTI\"");
  Exec(Alias(), "CREATE TABLE \"MOLTI\" (\"ID\" INTEGER PRIMARY KEY, \"ORDINE\" INTEGER NOT NULL)");
  Exec(Alias(), Pg() ? "INSERT INTO \"MOLTI\" SELECT g, g FROM generate_series(1, 3000) g"
                     : "WITH RECURSIVE g(x) AS (SELECT 1 UNION ALL SELECT x + 1 FROM g WHERE x < 3000) "
                       "INSERT INTO \"MOLTI\" SELECT x, x FROM g");
  Exec(Alias(), "CREATE INDEX \"MOLTI_ORDINE\" ON \"MOLTI\" (\"ORDINE\")");
  {  // the key moves the row ahead
    TTable t;
    t.setDatabaseName(Alias());
    t.setTableName("MOLTI");
    t.Open();
    ASSERT_LT(t.CachedCount(), 3000);
    t.Edit();
    t.FieldByName("ID")->SetAsInteger(5000);
    t.Post();
    t.Append();  // and a new row lands ahead too
    t.FieldByName("ID")->SetAsInteger(6000);
    t.FieldByName("ORDINE")->SetAsInteger(6000);
    t.Post();
    ExpectEachRowOnce(t, 3001);
  }
  {  // a field of the current order moves it ahead
    TTable t;
    t.setDatabaseName(Alias());
    t.setTableName("MOLTI");
    t.setIndexFieldNames("ORDINE");
    t.Open();
    ASSERT_LT(t.CachedCount(), 3000);
    t.SetRecNo(2);
    t.Edit();
    t.FieldByName("ORDINE")->SetAsInteger(9999);
    t.Post();
    ExpectEachRowOnce(t, 3001);
    // An order naming no field is refused; the one in force stays.
    EXPECT_THROW(t.SetIndexFieldNames("NESSUNO"), EDatabaseError);
    EXPECT_EQ(t.IndexFieldNames(), "ORDINE");
    EXPECT_TRUE(t.Active());
  }
  TTable c;
  c.setDatabaseName(Alias());
  c.setTableName("MOLTI");
  c.setIndexFieldNames("ORDINE;NESSUNO");
  EXPECT_THROW(c.Open(), EDatabaseError);
  EXPECT_FALSE(c.Active());
}

TEST_P(ReadTest, AnOpenTableDoesNotLockOutOtherWriters) {
  TTable t;
  t.setDatabaseName(Alias());
  t.setTableName("MOVIMENTI");
  t.Open();
  ASSERT_LT(t.CachedCount(), TDemoDb::kMovements);
  // Another process writes while the table is open and not fully read.
  QProcess p;
  if (Pg())
    p.start("psql", {"-X", "-q", "-h", TPgServer::SocketDir(), "-p", QString::number(TPgServer::Port()), "-U",
                     TPgServer::User(), "-d", TPgServer::Database(), "-v", "ON_ERROR_STOP=1", "-c",
                     "UPDATE \"MOVIMENTI\" SET \"QTA\" = \"QTA\" + 1 WHERE \"ID\" = 1999"});
  else
    p.start("sqlite3", {"-bail", TDemoDb::SqliteFile(), "UPDATE MOVIMENTI SET QTA = QTA + 1 WHERE ID = 1999"});
  ASSERT_TRUE(p.waitForFinished(20000));
  EXPECT_EQ(p.exitCode(), 0) << p.readAllStandardError().toStdString();
  EXPECT_EQ(t.RecordCount(), TDemoDb::kMovements);
  Exec(Alias(), "UPDATE \"MOVIMENTI\" SET \"QTA\" = \"QTA\" - 1 WHERE \"ID\" = 1999");
}

TEST_P(ReadTest, PostgresOpensThroughACursorAndALockWaitEnds) {
  if (!Pg()) GTEST_SKIP() << "PostgreSQL's cursor";
  TTable t;
  t.setDatabaseName(Alias());
  t.setTableName("MOVIMENTI");
  t.Open();
  EXPECT_LT(t.CachedCount(), TDemoDb::kMovements);  // only the first page came
  // The program's own statements run meanwhile on its connection.
  EXPECT_EQ(TDemoDb::Outside(GetParam(), "SELECT count(*) FROM \"MOVIMENTI\""),
            QString::number(TDemoDb::kMovements));
  Exec(Alias(), "UPDATE \"MOVIMENTI\" SET \"QTA\" = \"QTA\" WHERE \"ID\" = 2");
  EXPECT_EQ(t.RecordCount(), TDemoDb::kMovements);
  t.Close();

  // Another session holds the table: opening waits at most the lock timeout.
  TAliasParams other = TDBSession::AliasParams(Alias());
  TDBSession::RegisterAlias("PGALTRO", other);
  QSqlDatabase db = TDBSession::Connection("PGALTRO");
  ASSERT_TRUE(QSqlQuery(db).exec("BEGIN"));
  ASSERT_TRUE(QSqlQuery(db).exec("LOCK TABLE \"MOVIMENTI\" IN ACCESS EXCLUSIVE MODE"));
  const int before = TDBSession::LockTimeout();
  TDBSession::SetLockTimeout(300);
  try {
    t.Open();
    FAIL() << "the open waited for ever or ignored the lock";
  } catch (const EDatabaseError& e) {
    EXPECT_TRUE(e.Message().contains("lock")) << e.Message().toStdString();
  }
  EXPECT_FALSE(t.Active());
  TDBSession::SetLockTimeout(before);
  QSqlQuery(db).exec("ROLLBACK");
  TDBSession::UnregisterAlias("PGALTRO");
  t.Open();
  EXPECT_EQ(t.RecordCount(), TDemoDb::kMovements);
}

TEST_P(ReadTest, ALocateMissOnAnIndexedFieldAsksTheEngine) {
  TTable t;
  t.setDatabaseName(Alias());
  t.setTableName("MOVIMENTI");
  t.Open();
  const int cached = t.CachedCount();
  ASSERT_LT(cached, TDemoDb::kMovements);
  int before = 0;
  t.BeforeScroll = [&](TDataSet*) { ++before; };
  EXPECT_FALSE(t.Locate("ID", 999999, 0));
  EXPECT_FALSE(t.Locate("CODCLI", 1, 0));  // leads an index of two fields
  EXPECT_EQ(t.CachedCount(), cached);      // nothing more was read
  EXPECT_EQ(before, 2);
  EXPECT_EQ(t.FieldByName("ID")->AsInteger(), 1);  // the position stays
  // A hit, a value the engine cannot compare as the dataset does, and a
  // field without index take the usual way.
  EXPECT_TRUE(t.Locate("ID", 1500, 0));
  EXPECT_EQ(t.FieldByName("ID")->AsInteger(), 1500);
  EXPECT_FALSE(t.Locate("ID", "mille", 0));
  EXPECT_FALSE(t.Locate("CAUSALE", "Nessuna", 0));
  EXPECT_EQ(t.CachedCount(), TDemoDb::kMovements);
}

// A filter that requires one value of an indexed field asks the engine which
// rows hold it, and reading stops once they are all in; the result is the
// one a reading of every row gives.
TEST_P(ReadTest, AFilterOnAnIndexedFieldAsksTheEngine) {
  TTable t;
  t.setDatabaseName(Alias());
  t.setTableName("MOVIMENTI");
  t.Open();
  const int cached = t.CachedCount();
  ASSERT_LT(cached, TDemoDb::kMovements);
  t.setFilter("CODCLI = 1");
  t.setFiltered(true);
  EXPECT_TRUE(t.IsEmpty());
  EXPECT_EQ(t.RecordCount(), 0);
  EXPECT_EQ(t.CachedCount(), cached);  // nothing more was read
  t.setFilter("ID = 1500 AND QTA > 0");
  EXPECT_EQ(t.RecordCount(), 1);
  EXPECT_EQ(t.FieldByName("ID")->AsInteger(), 1500);
  EXPECT_LT(t.CachedCount(), TDemoDb::kMovements);
  t.Last();
  EXPECT_EQ(t.FieldByName("ID")->AsInteger(), 1500);
  EXPECT_LT(t.CachedCount(), TDemoDb::kMovements);
  // A value held by rows all over the table: the engine's count, the same
  // rows as a filter the engine is not asked for (an OR), in the same order.
  t.setFilter("CODCLI = 1005");
  const int n = t.RecordCount();
  EXPECT_EQ(QString::number(n),
            TDemoDb::Outside(GetParam(), "SELECT count(*) FROM \"MOVIMENTI\" WHERE \"CODCLI\" = 1005"));
  QList<qint64> asked;
  for (t.First(); !t.Eof(); t.Next()) asked << t.FieldByName("ID")->AsInteger();
  t.setFilter("CODCLI = 1005 OR CODCLI = 1005");
  QList<qint64> read;
  for (t.First(); !t.Eof(); t.Next()) read << t.FieldByName("ID")->AsInteger();
  EXPECT_EQ(asked, read);
  EXPECT_EQ(t.CachedCount(), TDemoDb::kMovements);
  t.setFiltered(false);
  EXPECT_EQ(t.RecordCount(), TDemoDb::kMovements);

  // Filtering before the table opens asks the engine at the open.
  TTable f;
  f.setDatabaseName(Alias());
  f.setTableName("MOVIMENTI");
  f.setFilter("CODCLI = 1");
  f.setFiltered(true);
  f.Open();
  EXPECT_TRUE(f.Eof());
  EXPECT_EQ(f.RecordCount(), 0);
  EXPECT_LT(f.CachedCount(), TDemoDb::kMovements);
}

// Rows changed through the dataset, and on SQLite values of another kind
// than the column's that the dataset reads as equal, still pass.
TEST_P(ReadTest, AFilterAskedOfTheEngineMissesNoRow) {
  Exec(Alias(), "DROP TABLE IF EXISTS \"FILTRATI\"");
  Exec(Alias(),
       "CREATE TABLE \"FILTRATI\" (\"ID\" INTEGER PRIMARY KEY, \"CODICE\" INTEGER, \"SIGLA\" VARCHAR(10))");
  Exec(Alias(), Pg() ? "INSERT INTO \"FILTRATI\" SELECT g, g % 100, 'S' || (g % 50) FROM generate_series(1, 3000) g"
                     : "WITH RECURSIVE g(x) AS (SELECT 1 UNION ALL SELECT x + 1 FROM g WHERE x < 3000) "
                       "INSERT INTO \"FILTRATI\" SELECT x, x % 100, 'S' || (x % 50) FROM g");
  Exec(Alias(), "CREATE INDEX \"FILTRATI_CODICE\" ON \"FILTRATI\" (\"CODICE\")");
  Exec(Alias(), "CREATE INDEX \"FILTRATI_SIGLA\" ON \"FILTRATI\" (\"SIGLA\")");
  if (!Pg()) {
    Exec(Alias(), "UPDATE \"FILTRATI\" SET \"CODICE\" = CAST('777' AS BLOB) WHERE \"ID\" = 2900");
    Exec(Alias(), "UPDATE \"FILTRATI\" SET \"SIGLA\" = CAST('S777' AS BLOB) WHERE \"ID\" = 2950");
  }
  TTable t;
  t.setDatabaseName(Alias());
  t.setTableName("FILTRATI");
  t.Open();
  ASSERT_LT(t.CachedCount(), 3000);
  t.Edit();
  t.FieldByName("CODICE")->SetAsInteger(777);
  t.FieldByName("SIGLA")->SetAsString("S777");
  t.Post();
  t.setFilter("CODICE = 777");
  t.setFiltered(true);
  EXPECT_EQ(t.RecordCount(), Pg() ? 1 : 2);
  t.setFilter("SIGLA = 'S777'");
  EXPECT_EQ(t.RecordCount(), Pg() ? 1 : 2);
  t.Last();
  EXPECT_EQ(t.FieldByName("ID")->AsInteger(), Pg() ? 1 : 2950);
  // A filter that ignores case is judged row by row, as before.
  t.setFilter("SIGLA = 's777'");
  t.setFilterOptions(foCaseInsensitive);
  EXPECT_EQ(t.RecordCount(), Pg() ? 1 : 2);
  EXPECT_EQ(t.CachedCount(), 3000);
  t.Close();
  Exec(Alias(), "DROP TABLE \"FILTRATI\"");
}

// An SQLite file the layer did not make keeps its journal, and a table read
// in the order of its key is read in pages: left partly read, it does not
// keep another process from writing, and no row is shown twice or lost.
TEST(ReadSqliteFile, APartlyReadTableLetsOthersWriteInAnyJournal) {
  QTemporaryDir dir;
  const QString file = dir.filePath("altrui.db");
  ASSERT_EQ(TDemoDb::Sqlite3(file,
                             "PRAGMA journal_mode = DELETE; "
                             "CREATE TABLE A (K TEXT NOT NULL, N INTEGER NOT NULL, V INTEGER, PRIMARY KEY (K, N)); "
                             "WITH RECURSIVE g(x) AS (SELECT 1 UNION ALL SELECT x + 1 FROM g WHERE x < 3000) "
                             "INSERT INTO A SELECT 'k' || (x % 7), x, 0 FROM g; SELECT count(*) FROM A"),
            "delete\n3000");
  TTable t;
  t.setDatabaseName(file);
  t.setTableName("A");
  t.Open();
  ASSERT_LT(t.CachedCount(), 3000);
  QProcess p;  // no busy timeout: a held file fails at once
  p.start("sqlite3", {"-bail", file, "UPDATE A SET V = 1 WHERE N = 2999"});
  ASSERT_TRUE(p.waitForFinished(20000));
  EXPECT_EQ(p.exitCode(), 0) << p.readAllStandardError().toStdString();
  EXPECT_EQ(TDemoDb::Sqlite3(file, "PRAGMA journal_mode"), "delete");
  // A key changed through the dataset moves the row ahead of the reading.
  t.Edit();
  t.FieldByName("N")->SetAsInteger(5000);
  t.Post();
  EXPECT_EQ(t.RecordCount(), 3000);
  QSet<QString> keys;
  int changed = 0;
  for (t.First(); !t.Eof(); t.Next()) {
    keys.insert(t.FieldByName("K")->AsString() + "/" + t.FieldByName("N")->AsString());
    if (t.FieldByName("N")->AsInteger() == 2999) changed = int(t.FieldByName("V")->AsInteger());
  }
  EXPECT_EQ(keys.size(), 3000);
  EXPECT_TRUE(keys.contains("k0/5000"));  // the first row in key order was k0/7
  EXPECT_FALSE(keys.contains("k0/7"));
  EXPECT_EQ(changed, 1);

  // Another order over fields without blanks, on a table opened read-only:
  // the row's own number ends the order and the reading is in pages too.
  ASSERT_EQ(TDemoDb::Sqlite3(file,
                             "CREATE TABLE B (ID INTEGER PRIMARY KEY, G INTEGER NOT NULL); "
                             "CREATE INDEX B_G ON B (G); "
                             "WITH RECURSIVE g(x) AS (SELECT 1 UNION ALL SELECT x + 1 FROM g WHERE x < 3000) "
                             "INSERT INTO B SELECT x, x % 10 FROM g; SELECT count(*) FROM B"),
            "3000");
  TTable b;
  b.setDatabaseName(file);
  b.setTableName("B");
  b.setReadOnly(true);
  b.setIndexFieldNames("G");
  b.Open();
  ASSERT_LT(b.CachedCount(), 3000);
  p.start("sqlite3", {"-bail", file, "UPDATE B SET G = 10 WHERE ID = 5"});
  ASSERT_TRUE(p.waitForFinished(20000));
  EXPECT_EQ(p.exitCode(), 0) << p.readAllStandardError().toStdString();
  QSet<qint64> ids;
  QPair<qint64, qint64> last(-1, -1);
  bool ordered = true;
  for (b.First(); !b.Eof(); b.Next()) {
    const QPair<qint64, qint64> at(b.FieldByName("G")->AsInteger(), b.FieldByName("ID")->AsInteger());
    ordered = ordered && last < at;
    last = at;
    ids.insert(at.second);
  }
  EXPECT_TRUE(ordered);
  EXPECT_EQ(ids.size(), 3000);
  EXPECT_EQ(last, qMakePair(qint64(10), qint64(5)));  // changed before its page was read
}

// A value as a dataset holds it: type, blank-ness, and for moments the
// zone kind, offset and instant too.
std::string Held(const QVariant& v) {
  std::string s = std::string(v.metaType().name() ? v.metaType().name() : "-") + (v.isNull() ? " null " : " ");
  switch (v.metaType().id()) {
    case QMetaType::QDateTime: {
      const QDateTime m = v.toDateTime();
      return s + m.toString(Qt::ISODateWithMs).toStdString() + " zone kind " + std::to_string(int(m.timeSpec())) +
             " offset " + std::to_string(m.offsetFromUtc()) + " at " + std::to_string(m.toMSecsSinceEpoch());
    }
    case QMetaType::QByteArray:
      return s + v.toByteArray().toHex().toStdString();
    case QMetaType::QString:
      return s + std::to_string(v.toString().size()) + " " + v.toString().toUtf8().toHex().toStdString();
    default:
      return s + v.toString().toStdString();
  }
}

// Rows that need no record go straight from the statement into the store:
// they must hold what the general way through a record holds, whatever the
// value (blanks, values of another kind than their column's, texts beyond
// Latin-1 or broken, dates in and out of the changes of the clock).
TEST(ReadSqliteFile, RowsReadStraightIntoTheStoreHoldWhatRecordsHold) {
  const QString db = UserDatabase(
      TEngine::SQLite,
      "CREATE TABLE tipi (id INTEGER PRIMARY KEY, s SMALLINT, l BIGINT, w WORD, f REAL, m MONEY, n NUMERIC(12,4), "
      "t TEXT, c CHAR(3), v VARCHAR(20), mm MEMO, cl CLOB, b BOOLEAN, d DATE, ts DATETIME, tm TIME, g BLOB, x STRANO);"
      "INSERT INTO tipi VALUES (1, 2, 3, 4, 1.5, 2.25, 12.3456, 'Rossi', 'ABC', 'Città', 'memo è', 'clob', 1, "
      "'2024-03-31', '2024-01-15 08:00:00', '10:30:00', x'00ff', 'x');"
      "INSERT INTO tipi (id) VALUES (2);"
      "INSERT INTO tipi VALUES (3, '12', 3.5, 'w', '1,5', 'sette', 'abc', x'4142', 3.5, 7, 8.25, '', 'T', "
      "2460000.5, 1700000000, '25:00', 'testo', 9);"
      "INSERT INTO tipi VALUES (4, -9223372036854775808, 9223372036854775807, 0, -0.0, 1e308, '-1.5e3', "
      "'東京 😀', 'Ω', char(65279) || 'bom', 'a' || char(0) || 'b', CAST(x'C328' AS TEXT), 0, "
      "'2024-02-30', '2024-06-01 24:00:00', '23:59:59.999', x'', CAST(x'EFBFBE' AS TEXT));"
      "INSERT INTO tipi VALUES (5, 1, 1, 1, 1, 1, 1, 'ÿ', ' a ', 'è' || char(256), 'x', 'y', 'no', "
      "'2024-06-01 10:00', '2024-06-01T12:00', '12:00', 'z', '2024-06-01');"
      "INSERT INTO tipi (id, d, ts, x) VALUES (6, '2024-10-27', '2024-10-27 02:30:00', '2024-10-27 02:30');"
      "INSERT INTO tipi (id, ts) VALUES (7, '2024-03-31 02:30:00'), (8, '2024-06-01 12:00:00.1234'), "
      "(9, '2024-06-01 12:00:00.'), (10, '2024-06-01 12:00:00.1234567890123'), (11, ' 2024-06-01'), "
      "(12, '0000-01-01 00:00'), (13, '9999-12-31 23:59:59.999'), (14, '1900-01-01');"
      // every half hour over both changes of the clock of the year
      "WITH RECURSIVE h(k) AS (SELECT 0 UNION ALL SELECT k + 1 FROM h WHERE k < 700) "
      "INSERT INTO tipi (id, d, ts, t) SELECT 100 + k, date('2024-03-29', '+' || (k / 48) || ' days'), "
      "datetime('2024-03-29', '+' || (k * 30) || ' minutes'), 'riga ' || k FROM h;"
      "WITH RECURSIVE h(k) AS (SELECT 0 UNION ALL SELECT k + 1 FROM h WHERE k < 700) "
      "INSERT INTO tipi (id, ts) SELECT 1000 + k, strftime('%Y-%m-%d %H:%M:%f', '2024-10-25', '+' || (k * 30) || "
      "' minutes', '+' || (k % 1000) || ' seconds') FROM h;");
  const QByteArray zone = qgetenv("TZ");
  for (const char* tz : {"Europe/Rome", "UTC"}) {
    SCOPED_TRACE(tz);
    qputenv("TZ", tz);
    std::vector<std::vector<std::string>> seen[2];
    for (int direct = 0; direct < 2; ++direct) {
      Lite::SetDirectRows(direct);
      TTable t;
      t.setDatabaseName(db);
      t.setTableName("tipi");
      t.Open();
      for (t.First(); !t.Eof(); t.Next()) {
        std::vector<std::string> row;
        for (int f = 0; f < t.FieldCount(); ++f) row.push_back(Held(t.FieldValue(t.Fields(f))));
        seen[direct].push_back(row);
      }
    }
    Lite::SetDirectRows(true);
    ASSERT_EQ(seen[0].size(), 1416u);
    ASSERT_EQ(seen[1].size(), seen[0].size());
    for (size_t r = 0; r < seen[0].size(); ++r)
      for (size_t f = 0; f < seen[0][r].size(); ++f)
        EXPECT_EQ(seen[1][r][f], seen[0][r][f]) << "row " << r << " field " << f;
  }
  if (zone.isEmpty())
    qunsetenv("TZ");
  else
    qputenv("TZ", zone);
}

// Moments of days read in turn, one in summer time and one not, that share
// their place among the days the direct reading remembers: what it learns of
// one must not be taken for the other.
TEST(ReadSqliteFile, MomentsOfDaysReadInTurnKeepTheirOwnOffsets) {
  const QString db = UserDatabase(TEngine::SQLite,
                                  "CREATE TABLE m (id INTEGER PRIMARY KEY, ts DATETIME);"
                                  "WITH RECURSIVE h(k) AS (SELECT 0 UNION ALL SELECT k + 1 FROM h WHERE k < 11) "
                                  "INSERT INTO m (id, ts) SELECT k, CASE k % 2 WHEN 0 THEN '2024-06-01' ELSE "
                                  "'2029-12-03' END || ' 10:' || (10 + k) || ':00' FROM h;");
  const QByteArray zone = qgetenv("TZ");
  qputenv("TZ", "Europe/Rome");
  TTable t;
  t.setDatabaseName(db);
  t.setTableName("m");
  t.Open();
  int rows = 0;
  for (t.First(); !t.Eof(); t.Next(), ++rows) {
    const QDateTime m = t.FieldByName("ts")->Value().toDateTime();
    const bool summer = t.FieldByName("id")->Value().toInt() % 2 == 0;
    EXPECT_EQ(m.offsetFromUtc(), summer ? 7200 : 3600) << rows;
    EXPECT_EQ(m.toOffsetFromUtc(summer ? 7200 : 3600).date(), summer ? QDate(2024, 6, 1) : QDate(2029, 12, 3));
    EXPECT_EQ(m.toOffsetFromUtc(summer ? 7200 : 3600).time(), QTime(10, 10 + rows)) << rows;
  }
  EXPECT_EQ(rows, 12);
  if (zone.isEmpty())
    qunsetenv("TZ");
  else
    qputenv("TZ", zone);
}

INSTANTIATE_TEST_SUITE_P(Engines, ReadTest, ::testing::Values(TEngine::SQLite, TEngine::PostgreSQL), EngineName);

}  // namespace
