// Databases as users make them, with the engines' own tools (the sqlite3
// command-line tool on a new file in its default journal, psql with unquoted
// names): their text columns, their files left free for other writers, their
// names in any case, their dates with two-digit years, the grid's layout over
// them, and setters that refuse without raising.
#include <gtest/gtest.h>

#include <QBuffer>
#include <QProcess>
#include <QSet>
#include <QWidget>

#include <Tarnwell/database/DBTables.h>
#include <Tarnwell/database/EnhDBGrd.h>
#include <Tarnwell/database/EnhQuery.h>
#include <Tarnwell/platform/TDateTime.h>
#include <Tarnwell/platform/TExceptions.h>
#include "DbTestUtil.h"
#include "PgServer.h"

using namespace Tarnwell;

namespace {

class UserDb : public EngineTest {
 protected:
  // The messages the exception handler received while the test ran.
  void SetUp() override {
    EngineTest::SetUp();
    mPrevious = SetExceptionHandler([this](const QString& m) { Messages << m; });
  }
  void TearDown() override {
    SetExceptionHandler(mPrevious);
    TEnhQuery::SetPrompter({});
    QLocale::setDefault(QLocale(QLocale::Italian, QLocale::Italy));
  }
  QString Db(const QString& sqlite, const QString& psql) {
    QString out;
    const QString name = UserDatabase(GetParam(), Pg() ? psql : sqlite, &out);
    EXPECT_FALSE(out.contains("Error", Qt::CaseInsensitive)) << out.toStdString();
    return name;
  }
  QStringList Messages;

 private:
  TExceptionHandler mPrevious;
};

TEST_P(UserDb, TextColumnsAreStringsThatShowTheirText) {
  const QString db =
      Db("CREATE TABLE rubrica (codice CHAR(4) PRIMARY KEY, nome TEXT, citta VARCHAR(30), nota NVARCHAR(200), "
         "sigla CHAR, foto BLOB, lungo CLOB);"
         "INSERT INTO rubrica VALUES ('A1', 'Anna Maria Rossi', 'Roma', 'da richiamare', 'XYZ', x'00', 'testo');",
         "DROP TABLE IF EXISTS rubrica; CREATE TABLE rubrica (codice char(4) PRIMARY KEY, nome text, "
         "citta varchar(30), nota varchar, sigla char(3), foto bytea, lungo text);"
         "INSERT INTO rubrica VALUES ('A1', 'Anna Maria Rossi', 'Roma', 'da richiamare', 'XYZ', '\\x00', 'testo');");
  struct TCase {
    const char* Field;
    TFieldType Type;
    int Size;
    const char* Text;
  };
  const std::vector<TCase> cases = {
      {"codice", ftFixedChar, 4, nullptr},
      {"nome", ftString, 0, "Anna Maria Rossi"},
      {"citta", ftString, 30, "Roma"},
      {"nota", ftString, Pg() ? 0 : 200, "da richiamare"},
      {"sigla", ftFixedChar, Pg() ? 3 : 0, "XYZ"},  // SQLite's CHAR has no length: the text stays whole
      {"foto", ftBlob, 0, "(Blob)"},
      {"lungo", Pg() ? ftString : ftMemo, 0, Pg() ? "testo" : "(Memo)"},
  };
  TTable t;
  t.setDatabaseName(db);
  t.setTableName("rubrica");
  t.Open();
  TQuery q;
  q.setDatabaseName(db);
  q.SetSQLText("SELECT nome, citta FROM rubrica");
  q.Open();
  for (const TCase& c : cases) {
    TField* f = t.FieldByName(c.Field);
    EXPECT_EQ(f->DataType(), c.Type) << c.Field;
    EXPECT_EQ(f->Size(), c.Size) << c.Field;
    if (c.Text) {
      EXPECT_EQ(f->DisplayText(), c.Text) << c.Field;
    }
    if (c.Type == ftString && c.Size == 0) {
      EXPECT_EQ(f->DisplayWidth(), TField::kUnsizedTextWidth) << c.Field;
    }
  }
  EXPECT_EQ(q.FieldByName("nome")->DataType(), ftString);
  EXPECT_EQ(q.FieldByName("nome")->DisplayText(), "Anna Maria Rossi");
  // A text longer than a length the type never declared is written whole.
  t.Edit();
  t.FieldByName(Pg() ? "nota" : "sigla")->SetAsString("una nota ben più lunga di un carattere");
  t.Post();
  t.Close();
  t.Open();
  EXPECT_EQ(t.FieldByName(Pg() ? "nota" : "sigla")->AsString(), "una nota ben più lunga di un carattere");
}

// Another program writes (without waiting) while each dataset is open and
// partly read; then every row is read once.
TEST_P(UserDb, APartlyReadTableOrQueryLetsOthersWrite) {
  const QString rows = "WITH RECURSIVE g(x) AS (SELECT 1 UNION ALL SELECT x + 1 FROM g WHERE x < 3000) ";
  const QString ddl =
      "CREATE TABLE voci (codice varchar(10) PRIMARY KEY, n integer);"
      "CREATE TABLE sparse (nome text, n integer);" +
      rows + "INSERT INTO voci SELECT 'c' || x, x FROM g;" + rows +
      "INSERT INTO sparse SELECT CASE WHEN x % 100 = 0 THEN NULL ELSE 'n' || (x % 37) END, x FROM g;";
  // SQLite lets a primary key that is not an integer hold blanks.
  const QString blanks = "INSERT INTO sparse VALUES (NULL, 3001), (NULL, 3002);";
  const QString db = Db(ddl + blanks + "INSERT INTO voci VALUES (NULL, 3001), (NULL, 3002);",
                        "DROP TABLE IF EXISTS voci; DROP TABLE IF EXISTS sparse; " + ddl + blanks +
                            "INSERT INTO voci VALUES ('z1', 3001), ('z2', 3002);");
  if (!Pg()) {
    ASSERT_EQ(TDemoDb::Sqlite3(db, "PRAGMA journal_mode"), "delete");
  }
  auto write = [&](const QString& sql) {
    if (Pg()) return TPgServer::Psql(sql + "; SELECT 'fatto'") == "fatto";
    QProcess p;  // no busy timeout: a held file fails at once
    p.start("sqlite3", {"-bail", db, sql});
    return p.waitForFinished(20000) && p.exitCode() == 0;
  };
  struct TCase {
    const char* Table;       // a table, or
    const char* Sql;         // a query
    const char* Order;       // IndexFieldNames of the table
  };
  const std::vector<TCase> cases = {{"voci", nullptr, ""},
                                    {"sparse", nullptr, ""},
                                    {"sparse", nullptr, "nome"},
                                    {nullptr, "SELECT * FROM sparse WHERE n > 0 ORDER BY nome, n", ""}};
  int k = 0;
  for (const TCase& c : cases) {
    std::unique_ptr<TDataSet> ds;
    if (c.Table) {
      auto t = std::make_unique<TTable>();
      t->setDatabaseName(db);
      t->setTableName(c.Table);
      t->setIndexFieldNames(c.Order);
      ds = std::move(t);
    } else {
      auto q = std::make_unique<TQuery>();
      q->setDatabaseName(db);
      q->SetSQLText(c.Sql);
      ds = std::move(q);
    }
    ds->Open();
    ASSERT_LT(ds->CachedCount(), 3002);
    ++k;
    EXPECT_TRUE(write(QStringLiteral("UPDATE sparse SET n = n + 10000 WHERE n = %1").arg(2990 + k)))
        << (c.Table ? c.Table : c.Sql);
    QSet<qint64> seen;
    for (ds->First(); !ds->Eof(); ds->Next()) seen.insert(ds->FieldByName("n")->AsInteger() % 10000);
    EXPECT_EQ(seen.size(), 3002) << (c.Table ? c.Table : c.Sql);
    EXPECT_EQ(ds->RecordCount(), 3002) << (c.Table ? c.Table : c.Sql);
  }
  if (!Pg()) {
    EXPECT_EQ(TDemoDb::Sqlite3(db, "PRAGMA journal_mode"), "delete");
  }
}

TEST_P(UserDb, LinksFindTheirFieldsInAnyCaseAndABrokenOneShowsNothing) {
  const QString ddl =
      "CREATE TABLE clienti (codice integer PRIMARY KEY, nome varchar(40));"
      "CREATE TABLE ordini (numero integer PRIMARY KEY, codice integer, importo integer);"
      "INSERT INTO clienti VALUES (1, 'Anna'), (2, 'Bruno');"
      "INSERT INTO ordini VALUES (10, 1, 5), (11, 1, 6), (12, 1, 7), (20, 2, 8), (21, 2, 9);";
  const QString db = Db(ddl, "DROP TABLE IF EXISTS ordini; DROP TABLE IF EXISTS clienti; " + ddl);
  QObject owner;
  auto* master = new TEnhQuery(&owner);
  auto* detail = new TEnhQuery(&owner);
  auto* other = new TEnhQuery(&owner);
  for (TEnhQuery* q : {master, detail, other}) q->setDatabaseName(db);
  master->setZFrom({"clienti"});
  master->setZOrderBy({"CODICE"});
  detail->setZFrom({"ordini"});
  other->setZFrom({"ordini"});
  other->Open();  // on its own it shows every order
  ASSERT_EQ(other->RecordCount(), 5);
  master->setDetailQuery(detail);
  master->setDetailIndex("CODICE");
  master->Open();
  EXPECT_EQ(detail->RecordCount(), 3) << detail->LastError().toStdString();
  master->Next();
  EXPECT_EQ(detail->RecordCount(), 2) << detail->LastError().toStdString();
  // An index field the detail lacks: no rows, never the whole table.
  master->setDetailQuery2(other);
  master->setDetailIndex2("nome");
  EXPECT_TRUE(!other->Active() || other->RecordCount() == 0);
  if (Pg()) {
    EXPECT_FALSE(other->LastError().isEmpty());
    EXPECT_EQ(Messages.size(), 1) << Messages.join('\n').toStdString();
  }
  master->Prior();
  EXPECT_TRUE(!other->Active() || other->RecordCount() == 0);
  EXPECT_EQ(detail->RecordCount(), 3);
  EXPECT_LE(Messages.size(), 1);  // told once, not at every move

  // A table's order and a filter name their fields in any case too.
  TTable t;
  t.setDatabaseName(db);
  t.setTableName("ordini");
  t.setIndexFieldNames("IMPORTO");
  t.Open();
  t.Last();
  EXPECT_EQ(t.FieldByName("numero")->AsInteger(), 21);
  t.setFilter("CODICE = 2");
  t.setFiltered(true);
  EXPECT_EQ(t.RecordCount(), 2);
}

TEST_P(UserDb, TwoDigitYearsFallBetween1950And2049) {
  const QString ddl =
      "CREATE TABLE scadenze (id integer PRIMARY KEY, d date, m timestamp);"
      "INSERT INTO scadenze VALUES (1, '2023-06-01', '2023-06-01 08:00:00'), "
      "(2, '2024-12-31', '2024-12-31 12:00:00'), (3, '2025-03-01', '2025-03-01 09:00:00');";
  const QString db = Db(ddl, "DROP TABLE IF EXISTS scadenze; " + ddl);
  struct TCase {
    QLocale Locale;
    const char* Date;      // typed for the where-line's prompt
    const char* DateTime;  // typed for a date-time parameter
  };
  const std::vector<TCase> cases = {{QLocale(QLocale::Italian, QLocale::Italy), "31/12/24", "31/12/24 10:00"},
                                    {QLocale(QLocale::English, QLocale::UnitedStates), "12/31/24", "12/31/24 10:00 AM"}};
  for (const TCase& c : cases) {
    QLocale::setDefault(c.Locale);
    QString typed = c.Date;
    TEnhQuery::SetPrompter([&typed](TQueryPrompt& p) {
      for (auto& r : p.Rows) {
        if (!p.Parameters) r.Operator = ">=";
        r.Value = typed;
      }
      return true;
    });
    QObject owner;
    TEnhQuery q(&owner);
    q.setDatabaseName(db);
    q.setZFrom({"scadenze"});
    q.setZWhere({"D >= [RICHIEDI  DATA]"});
    ASSERT_TRUE(q.Rebuild(true)) << q.LastError().toStdString();
    EXPECT_EQ(q.RecordCount(), 2) << c.Date;

    typed = c.DateTime;
    TEnhQuery p(&owner);
    p.setDatabaseName(db);
    p.setFreeSQL(true);
    p.setSQL({"SELECT * FROM scadenze WHERE m >= :kDal"});
    ASSERT_TRUE(p.Rebuild(true)) << p.LastError().toStdString();
    EXPECT_EQ(p.RecordCount(), 2) << c.DateTime;
    // A date typed into a field reads the same way.
    TTable t;
    t.setDatabaseName(db);
    t.setTableName("scadenze");
    t.Open();
    t.Edit();
    t.FieldByName("d")->SetAsString(c.Date);
    EXPECT_EQ(t.FieldByName("d")->AsDateTime(), DateToSerial(QDate(2024, 12, 31))) << c.Date;
    t.Cancel();
  }
}

TEST_P(UserDb, ALayoutLoadedAfterAnotherRestoresExactlyWhatWasSaved) {
  const QString ddl = "CREATE TABLE voci (id integer PRIMARY KEY, nome varchar(20)); INSERT INTO voci VALUES (1, 'a');";
  const QString db = Db(ddl, "DROP TABLE IF EXISTS voci; " + ddl);
  QWidget w;
  w.resize(400, 300);
  auto* grid = new TEnhDBGrid(&w);
  grid->setObjectName("Griglia");
  auto* table = new TTable(&w);
  auto* source = new TDataSource(&w);
  table->setDatabaseName(db);
  table->setTableName("voci");
  source->setDataSet(table);
  grid->setDataSource(source);
  table->Open();
  w.show();
  grid->ResetLayout();
  ASSERT_TRUE(grid->ParentFont());
  const QByteArray parentOn = grid->LayoutBytes();
  grid->SetParentFont(false);
  const QByteArray parentOff = grid->LayoutBytes();
  ASSERT_NE(parentOn, parentOff);
  for (const auto& [first, second] : {std::pair(parentOn, parentOff), std::pair(parentOff, parentOn)}) {
    ASSERT_TRUE(grid->LoadLayout(first));
    ASSERT_TRUE(grid->LoadLayout(second));
    EXPECT_EQ(grid->LayoutBytes(), second);
  }
}

TEST_P(UserDb, SettersRefuseWithoutRaisingAndKeepTheirValue) {
  const QString ddl = "CREATE TABLE cose (id integer PRIMARY KEY, nome varchar(20)); INSERT INTO cose VALUES (1, 'a');";
  const QString db = Db(ddl, "DROP TABLE IF EXISTS cose; " + ddl);
  TTable t;
  t.setDatabaseName(db);
  t.setTableName("cose");
  t.Open();
  t.setFilter("nome >");  // kept for later: judged when filtering starts
  struct TCase {
    const char* Property;
    QVariant Value;
  };
  const std::vector<TCase> cases = {
      {"TableName", "altra"}, {"DatabaseName", "altro"}, {"IndexFieldNames", "nessuno"}, {"Filtered", true}};
  for (const TCase& c : cases) {
    const QVariant before = t.property(c.Property);
    const qsizetype told = Messages.size();
    EXPECT_NO_THROW(t.setProperty(c.Property, c.Value)) << c.Property;
    EXPECT_EQ(t.property(c.Property), before) << c.Property;
    EXPECT_EQ(Messages.size(), told + 1) << c.Property;
  }
  EXPECT_TRUE(t.Active());
  // A table that cannot open: Active stays off.
  TTable none;
  none.setDatabaseName(db);
  none.setTableName("nessuna");
  EXPECT_NO_THROW(none.setActive(true));
  EXPECT_FALSE(none.Active());
  EXPECT_THROW(none.SetActive(true), EDatabaseError);  // for C++ callers that want the failure
}

INSTANTIATE_TEST_SUITE_P(Engines, UserDb, ::testing::Values(TEngine::SQLite, TEngine::PostgreSQL), EngineName);

}  // namespace
