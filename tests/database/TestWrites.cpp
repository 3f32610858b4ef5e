// Writes on both engines: values never become SQL, the program's own
// transaction is left to the program, foreign keys, lost updates; exact
// numbers and zoned moments on PostgreSQL.
#include <gtest/gtest.h>

#include <QSqlQuery>
#include <ctime>

#include <Tarnwell/database/DBEngine.h>
#include "DbTestUtil.h"

using namespace Tarnwell;

namespace {

void Scratch(const QString& alias) {
  Exec(alias, "DROP TABLE IF EXISTS \"SCRITTE\"");
  Exec(alias,
       "CREATE TABLE \"SCRITTE\" (\"ID\" INTEGER PRIMARY KEY, \"NOME\" VARCHAR(60) NOT NULL, \"VALORE\" FLOAT)");
  for (int i = 1; i <= 3; ++i)
    Exec(alias, QString("INSERT INTO \"SCRITTE\" VALUES (%1, 'Nome %1', %1.5)").arg(i));
}

// Runs a statement on the dataset layer's own connection, as a program does.
bool Own(const QString& alias, const QString& sql) { return QSqlQuery(TDBSession::Connection(alias)).exec(sql); }

class WriteTest : public EngineTest {};

TEST_P(WriteTest, HostileValuesStayValuesWhateverTheSessionSays) {
  if (!Pg()) GTEST_SKIP() << "the literal mode is PostgreSQL's";
  Scratch(Alias());
  // The session switches backslash escapes on after connecting.
  ASSERT_TRUE(Own(Alias(), "SET standard_conforming_strings = off"));
  const QString hostile = "\\'); DROP TABLE \"SCRITTE\"; --";
  TQuery q;
  q.setDatabaseName(Alias());
  q.setSQL({"SELECT * FROM \"SCRITTE\" WHERE \"NOME\" <> :v /* :x ? */ AND '?' = '?' AND $$?$$ = $$?$$",
            "ORDER BY \"ID\""});
  ASSERT_EQ(q.Params().Count(), 1);
  q.ParamByName("v").SetAsString(hostile);
  q.setRequestLive(true);
  q.Open();
  EXPECT_EQ(q.RecordCount(), 3);
  q.Edit();
  q.FieldByName("NOME")->SetAsString(hostile);
  q.Post();
  q.Append();
  q.FieldByName("ID")->SetAsInteger(4);
  q.FieldByName("NOME")->SetAsString("E'\\\\' || chr(39) \\");
  q.Post();
  EXPECT_EQ(TDemoDb::Outside(GetParam(), "SELECT count(*) FROM \"SCRITTE\""), "4");
  EXPECT_EQ(TDemoDb::Outside(GetParam(), "SELECT \"NOME\" FROM \"SCRITTE\" WHERE \"ID\" = 1"), hostile);
  EXPECT_EQ(TDemoDb::Outside(GetParam(), "SELECT \"NOME\" FROM \"SCRITTE\" WHERE \"ID\" = 4"),
            "E'\\\\' || chr(39) \\");

  // A NUL cannot travel as text: a clear refusal, the typed value kept.
  q.Edit();
  q.FieldByName("NOME")->SetAsString(QString("a") + QChar(0) + "b");
  try {
    q.Post();
    FAIL() << "a NUL reached the server";
  } catch (const EDatabaseError& e) {
    EXPECT_TRUE(e.Message().contains("a text value cannot contain the NUL character")) << e.Message().toStdString();
  }
  EXPECT_EQ(q.State(), dsEdit);
  EXPECT_EQ(q.FieldByName("NOME")->AsString().size(), 3);
  q.Cancel();
  q.ParamByName("v").SetAsString(QString("x") + QChar(0));
  q.Close();
  EXPECT_THROW(q.Open(), EDatabaseError);
  ASSERT_TRUE(Own(Alias(), "SET standard_conforming_strings = on"));
}

TEST_P(WriteTest, PostsLeaveTheProgramsTransactionToTheProgram) {
  Scratch(Alias());
  TTable t;
  t.setDatabaseName(Alias());
  t.setTableName("SCRITTE");
  t.Open();
  ASSERT_TRUE(Own(Alias(), "BEGIN"));
  t.Edit();
  t.FieldByName("NOME")->SetAsString("Nella transazione");
  t.Post();
  // A refused post inside it undoes only itself.
  t.Append();
  t.FieldByName("ID")->SetAsInteger(2);
  t.FieldByName("NOME")->SetAsString("Doppione");
  EXPECT_THROW(t.Post(), EDatabaseError);
  EXPECT_EQ(t.State(), dsInsert);
  t.FieldByName("ID")->SetAsInteger(9);
  t.Post();
  // Nothing is visible outside until the program decides.
  EXPECT_EQ(TDemoDb::Outside(GetParam(), "SELECT \"NOME\" FROM \"SCRITTE\" WHERE \"ID\" = 1"), "Nome 1");
  ASSERT_TRUE(Own(Alias(), "ROLLBACK"));
  EXPECT_EQ(TDemoDb::Outside(GetParam(), "SELECT \"NOME\" FROM \"SCRITTE\" WHERE \"ID\" = 1"), "Nome 1");
  EXPECT_EQ(TDemoDb::Outside(GetParam(), "SELECT count(*) FROM \"SCRITTE\""), "3");

  ASSERT_TRUE(Own(Alias(), "BEGIN"));
  t.Refresh();  // opened inside the transaction: it sees what the program wrote
  t.First();
  t.Edit();
  t.FieldByName("NOME")->SetAsString("Confermato");
  t.Post();
  t.Delete();
  ASSERT_TRUE(Own(Alias(), "COMMIT"));
  EXPECT_EQ(TDemoDb::Outside(GetParam(), "SELECT count(*) FROM \"SCRITTE\" WHERE \"ID\" = 1"), "0");
  EXPECT_EQ(TDemoDb::Outside(GetParam(), "SELECT count(*) FROM \"SCRITTE\""), "2");
}

TEST_P(WriteTest, ForeignKeysRefuseOrphansAndReferencedParents) {
  Exec(Alias(), "DROP TABLE IF EXISTS \"FIGLI\"");
  Exec(Alias(), "DROP TABLE IF EXISTS \"PADRI\"");
  Exec(Alias(), "CREATE TABLE \"PADRI\" (\"ID\" INTEGER PRIMARY KEY, \"NOME\" VARCHAR(20))");
  Exec(Alias(),
       "CREATE TABLE \"FIGLI\" (\"ID\" INTEGER PRIMARY KEY, \"PADRE\" INTEGER REFERENCES \"PADRI\" (\"ID\"))");
  Exec(Alias(), "INSERT INTO \"PADRI\" VALUES (1, 'uno')");
  Exec(Alias(), "INSERT INTO \"FIGLI\" VALUES (1, 1)");
  TTable f;
  f.setDatabaseName(Alias());
  f.setTableName("FIGLI");
  f.Open();
  f.Append();
  f.FieldByName("ID")->SetAsInteger(2);
  f.FieldByName("PADRE")->SetAsInteger(7);
  try {
    f.Post();
    FAIL() << "an orphan was stored";
  } catch (const EDatabaseError& e) {
    EXPECT_TRUE(e.Message().contains(Pg() ? "foreign key" : "FOREIGN KEY")) << e.Message().toStdString();
  }
  EXPECT_EQ(f.State(), dsInsert);
  EXPECT_EQ(f.FieldByName("PADRE")->AsInteger(), 7);
  f.Cancel();
  TTable p;
  p.setDatabaseName(Alias());
  p.setTableName("PADRI");
  p.Open();
  EXPECT_THROW(p.Delete(), EDatabaseError);
  EXPECT_EQ(p.RecordCount(), 1);
  EXPECT_EQ(p.FieldByName("NOME")->AsString(), "uno");
  EXPECT_EQ(TDemoDb::Outside(GetParam(), "SELECT count(*) FROM \"PADRI\""), "1");
  EXPECT_EQ(TDemoDb::Outside(GetParam(), "SELECT count(*) FROM \"FIGLI\""), "1");
}

TEST_P(WriteTest, NoSilentLostUpdate) {
  Scratch(Alias());
  auto outside = [&](const QString& sql) {
    if (Pg())
      TDemoDb::Outside(GetParam(), sql);
    else
      TDemoDb::Sqlite3(TDemoDb::SqliteFile(), sql);
  };
  TTable t;
  t.setDatabaseName(Alias());
  t.setTableName("SCRITTE");
  t.Open();
  t.Edit();
  t.FieldByName("NOME")->SetAsString("Mio");
  outside("UPDATE \"SCRITTE\" SET \"NOME\" = 'Altrui' WHERE \"ID\" = 1");
  try {
    t.Post();
    FAIL() << "another user's change was overwritten";
  } catch (const EDatabaseError& e) {
    EXPECT_TRUE(e.Message().contains("è stato modificato o cancellato da un altro utente")) << e.Message().toStdString();
  }
  EXPECT_EQ(t.State(), dsEdit);
  EXPECT_EQ(t.FieldByName("NOME")->AsString(), "Mio");
  EXPECT_EQ(TDemoDb::Outside(GetParam(), "SELECT \"NOME\" FROM \"SCRITTE\" WHERE \"ID\" = 1"), "Altrui");
  t.Cancel();

  // A change to another column is no conflict: the post goes through and
  // the record shows both.
  t.Next();
  t.Edit();
  t.FieldByName("NOME")->SetAsString("Mio");
  outside("UPDATE \"SCRITTE\" SET \"VALORE\" = 99.25 WHERE \"ID\" = 2");
  t.Post();
  EXPECT_EQ(t.FieldByName("VALORE")->AsFloat(), 99.25);
  EXPECT_EQ(TDemoDb::Outside(GetParam(), "SELECT \"NOME\" FROM \"SCRITTE\" WHERE \"ID\" = 2"), "Mio");
}

TEST_P(WriteTest, ExactDecimalsAndMoney) {
  Exec(Alias(), "DROP TABLE IF EXISTS \"CIFRE\"");
  Exec(Alias(), QString("CREATE TABLE \"CIFRE\" (\"ID\" INTEGER PRIMARY KEY, \"A\" NUMERIC(18,4), "
                        "\"B\" NUMERIC(30,10)%1)")
                    .arg(Pg() ? ", \"C\" MONEY, \"D\" NUMERIC" : ""));
  Exec(Alias(), QString("INSERT INTO \"CIFRE\" VALUES (1, %1, %2%3)")
                    .arg(Pg() ? "12345678901234.5678" : "'1234.5'", Pg() ? "12345678901234567890.1234567890" : "2.5",
                         Pg() ? ", 1234.50, 0.1" : ""));
  TTable t;
  t.setDatabaseName(Alias());
  t.setTableName("CIFRE");
  t.Open();
  TField* a = t.FieldByName("A");
  EXPECT_EQ(a->DataType(), ftBCD);
  if (Pg()) {
    EXPECT_EQ(a->AsString(), "12345678901234,5678");  // Italian decimal comma, every digit
    EXPECT_EQ(t.FieldByName("B")->AsString(), "12345678901234567890,1234567890");
    EXPECT_EQ(t.FieldByName("C")->DataType(), ftCurrency);
    EXPECT_EQ(t.FieldByName("C")->AsFloat(), 1234.5);
    EXPECT_EQ(t.FieldByName("D")->AsString(), "0,1");
    t.Edit();
    a->SetAsString("-98765432109876,5432");
    t.FieldByName("C")->SetAsFloat(99.99);
    t.Post();
    EXPECT_EQ(TDemoDb::Outside(GetParam(), "SELECT \"A\"::text || ' ' || \"C\"::numeric::text || ' ' || \"B\"::text "
                                           "FROM \"CIFRE\""),
              "-98765432109876.5432 99.99 12345678901234567890.1234567890");
    EXPECT_EQ(a->AsString(), "-98765432109876,5432");
  } else {
    EXPECT_EQ(a->AsString(), "1234,5");
    EXPECT_EQ(a->AsFloat(), 1234.5);
    t.Edit();
    a->SetAsString("1,25e3");
    t.Post();
    EXPECT_EQ(TDemoDb::Outside(GetParam(), "SELECT \"A\" FROM \"CIFRE\""), "1250");
  }
}

TEST_P(WriteTest, ZonedMomentsAreTheInstantTyped) {
  if (!Pg()) GTEST_SKIP() << "SQLite has no zoned type";
  // The program runs in Rome, the server's sessions in UTC.
  const QByteArray tzBefore = qgetenv("TZ");
  qputenv("TZ", "Europe/Rome");
  tzset();
  Exec(Alias(), "DROP TABLE IF EXISTS \"ISTANTI\"");
  Exec(Alias(), "CREATE TABLE \"ISTANTI\" (\"ID\" INTEGER PRIMARY KEY, \"Z\" TIMESTAMPTZ, \"L\" TIMESTAMP, "
                "\"T\" TIME, \"G\" DATE)");
  Exec(Alias(), "INSERT INTO \"ISTANTI\" VALUES (1, NULL, NULL, '24:00:00', 'infinity')");
  ASSERT_TRUE(Own(Alias(), "SET TimeZone = 'UTC'"));
  {
    TTable t;
    t.setDatabaseName(Alias());
    t.setTableName("ISTANTI");
    t.Open();
    EXPECT_EQ(t.FieldByName("T")->AsString(), "24:00:00");
    EXPECT_EQ(t.FieldByName("G")->AsString(), "infinity");
    t.Edit();
    t.FieldByName("Z")->SetValue(QDateTime(QDate(2024, 3, 15), QTime(15, 0)));
    t.FieldByName("L")->SetAsString("2024-06-01 10:00:00");
    t.Post();
    EXPECT_EQ(TDemoDb::Outside(GetParam(), "SELECT to_char(\"Z\" AT TIME ZONE 'UTC', 'HH24:MI') || ' ' || "
                                           "to_char(\"L\", 'HH24:MI') || ' ' || \"T\"::text || ' ' || \"G\"::text "
                                           "FROM \"ISTANTI\""),
              "14:00 10:00 24:00:00 infinity");
    EXPECT_EQ(t.FieldByName("Z")->AsString(), "15/03/2024 15:00:00");
    t.Refresh();
    EXPECT_EQ(t.FieldByName("Z")->AsString(), "15/03/2024 15:00:00");
  }
  // A zone-less moment in the local clock's daylight-saving gap reads and writes back as stored.
  Exec(Alias(), "UPDATE \"ISTANTI\" SET \"L\" = '2024-03-31 02:30:00'");
  {
    TTable t;
    t.setDatabaseName(Alias());
    t.setTableName("ISTANTI");
    t.Open();
    EXPECT_EQ(t.FieldByName("L")->AsString(), "31/03/2024 02:30:00");
    t.Edit();
    t.FieldByName("T")->SetAsString("10:15:00");
    t.Post();
    EXPECT_EQ(TDemoDb::Outside(GetParam(), "SELECT \"L\"::text || ' ' || \"T\"::text FROM \"ISTANTI\""),
              "2024-03-31 02:30:00 10:15:00");
  }
  ASSERT_TRUE(Own(Alias(), "RESET TimeZone"));
  if (tzBefore.isNull())
    qunsetenv("TZ");
  else
    qputenv("TZ", tzBefore);
  tzset();
}

TEST_P(WriteTest, CatalogNamesAndIndexKeysComeBackWhole) {
  Exec(Alias(), "DROP TABLE IF EXISTS \"a.b\"");
  Exec(Alias(), "CREATE TABLE \"a.b\" (\"ID\" INTEGER PRIMARY KEY, \"X\" VARCHAR(10))");
  Exec(Alias(), "CREATE INDEX \"AB_X\" ON \"a.b\" (lower(\"X\"), \"ID\" DESC)");
  Exec(Alias(), "INSERT INTO \"a.b\" VALUES (1, 'Uno')");
  const QStringList names = Catalog::TableNames(Alias());
  ASSERT_TRUE(names.contains("\"a.b\"")) << names.join(' ').toStdString();
  TTable t;
  t.setDatabaseName(Alias());
  t.setTableName("\"a.b\"");
  t.Open();
  EXPECT_EQ(t.FieldByName("X")->AsString(), "Uno");
  const TIndexDef* x = t.IndexDefs().Find("AB_X");
  ASSERT_NE(x, nullptr);
  EXPECT_TRUE(x->Options & ixExpression);
  const QStringList keys = x->Fields.split(';');
  ASSERT_EQ(keys.size(), 2);
  EXPECT_TRUE(keys[0].contains("lower", Qt::CaseInsensitive)) << keys[0].toStdString();
  EXPECT_EQ(keys[1], "ID");
  t.Edit();
  t.FieldByName("X")->SetAsString("Due");
  t.Post();
  EXPECT_EQ(TDemoDb::Outside(GetParam(), "SELECT \"X\" FROM \"a.b\""), "Due");
}

INSTANTIATE_TEST_SUITE_P(Engines, WriteTest, ::testing::Values(TEngine::SQLite, TEngine::PostgreSQL), EngineName);

}  // namespace
