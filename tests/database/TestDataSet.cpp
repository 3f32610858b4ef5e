// Datasets, queries and tables on both engines.
#include <gtest/gtest.h>

#include <QImage>

#include <Tarnwell/database/demo/DBDemos.h>
#include <Tarnwell/database/DBEngine.h>
#include "DbTestUtil.h"

using namespace Tarnwell;

namespace {

// Counts what the data-aware side hears.
class TCountingLink : public TDataLink {
 public:
  int Changed = 0, Scrolled = 0, Active = 0, Editing = 0;

 protected:
  void DataSetChanged() override { ++Changed; }
  void DataSetScrolled(int) override { ++Scrolled; }
  void ActiveChanged() override { ++Active; }
  void EditingChanged() override { ++Editing; }
};

void ExecSql(const QString& alias, const QString& sql) {
  TQuery q;
  q.setDatabaseName(alias);
  q.SetSQLText(sql);
  q.ExecSQL();
}

// A scratch table of our own for the tests that write.
void MakeScratch(const QString& alias, bool withKey) {
  ExecSql(alias, "DROP TABLE IF EXISTS \"PROVE\"");
  ExecSql(alias,
          QString("CREATE TABLE \"PROVE\" (\"ID\" INTEGER %1, \"NOME\" VARCHAR(20) NOT NULL, \"DATA\" DATE, "
                  "\"VALORE\" FLOAT)")
              .arg(withKey ? "PRIMARY KEY" : ""));
  for (int i = 1; i <= 5; ++i)
    ExecSql(alias, QString("INSERT INTO \"PROVE\" VALUES (%1, 'Nome %1', '2000-09-2%1', %1.5)").arg(i));
}

class DataSetTest : public EngineTest {};

TEST_P(DataSetTest, CatalogListsTablesFieldsAndIndexes) {
  QStringList tables = Catalog::TableNames(Alias());
  for (const QString& t : DemoTableNames()) EXPECT_TRUE(tables.contains(t)) << t.toStdString();
  for (const QString& t : tables) EXPECT_FALSE(t.startsWith("sqlite_")) << t.toStdString();

  QSqlDatabase db = TDBSession::Connection(Alias());
  TFieldDefs f = Catalog::FieldDefs(db, "CLIENTI");
  ASSERT_EQ(f.Count(), 11);
  EXPECT_EQ(f[0].Name, "CODCLI");
  EXPECT_EQ(f[0].DataType, Pg() ? ftInteger : ftAutoInc);
  EXPECT_EQ(f.Find("RAGSOCIALE")->DataType, ftString);
  EXPECT_EQ(f.Find("RAGSOCIALE")->Size, 60);
  EXPECT_TRUE(f.Find("RAGSOCIALE")->Required);
  EXPECT_EQ(f.Find("PROVINCIA")->DataType, ftFixedChar);
  EXPECT_EQ(f.Find("DATAINS")->DataType, ftDate);
  EXPECT_EQ(f.Find("FIDO")->DataType, ftFloat);
  EXPECT_EQ(f.Find("Tipo")->Name, "Tipo");
  TFieldDefs o = Catalog::FieldDefs(db, "ORDINI");
  EXPECT_EQ(o.Find("DATASPED")->DataType, ftDateTime);
  EXPECT_EQ(o.Find("PAGATO")->DataType, ftBoolean);
  EXPECT_EQ(Catalog::FieldDefs(db, "ARTICOLI").Find("FOTO")->DataType, Pg() ? ftBlob : ftGraphic);

  TIndexDefs ci = Catalog::IndexDefs(db, "CLIENTI");
  ASSERT_NE(ci.PrimaryKey(), nullptr);  // on SQLite the implicit key of the INTEGER PRIMARY KEY
  EXPECT_EQ(ci.PrimaryKey()->Fields, "CODCLI");
  EXPECT_EQ(ci.PrimaryKey()->Options & (ixPrimary | ixUnique), ixPrimary | ixUnique);
  const TIndexDef* byName = ci.Find("CLIENTI_RAGSOCIALE");
  ASSERT_NE(byName, nullptr);
  EXPECT_EQ(byName->Fields, "RAGSOCIALE");
  EXPECT_FALSE(byName->Options & ixUnique);
  EXPECT_EQ(bool(byName->Options & ixCaseInsensitive), !Pg());

  TIndexDefs ri = Catalog::IndexDefs(db, "Righe Ordine");
  ASSERT_NE(ri.PrimaryKey(), nullptr);
  EXPECT_EQ(ri.PrimaryKey()->Fields, "NUMORD;RIGA");
  EXPECT_TRUE(Catalog::IndexDefs(db, "ORDINI").Find("ORDINI_DATA")->Options & ixDescending);
  EXPECT_EQ(Catalog::IndexDefs(db, "NOTE").Count(), 0);
  EXPECT_THROW(Catalog::FieldDefs(db, "NON_ESISTE"), EDatabaseError);

  // The same list as the engine's own command-line tool sees.
  QString outside = TDemoDb::Outside(
      GetParam(),
      Pg() ? "SELECT string_agg(tablename, ',' ORDER BY tablename COLLATE \"C\") FROM pg_tables WHERE "
             "schemaname = 'public' AND tablename NOT IN ('PROVE', 'DOPPI')"
           : "SELECT group_concat(name, ',') FROM (SELECT name FROM sqlite_master WHERE type = 'table' "
             "AND name NOT IN ('PROVE', 'DOPPI') ORDER BY name)");
  if (Pg()) {  // tables outside the default schema carry it as owner
    ExecSql(Alias(), "CREATE SCHEMA IF NOT EXISTS magazzino");
    ExecSql(Alias(), "DROP TABLE IF EXISTS magazzino.\"Scorte Attuali\"");
    ExecSql(Alias(), "CREATE TABLE magazzino.\"Scorte Attuali\" (cod VARCHAR(5) PRIMARY KEY, qta INT)");
    ExecSql(Alias(), "INSERT INTO magazzino.\"Scorte Attuali\" VALUES ('A001', 7)");
    EXPECT_TRUE(Catalog::TableNames(Alias()).contains("magazzino.Scorte Attuali"));
    TTable s;
    s.setDatabaseName(Alias());
    s.setTableName("magazzino.Scorte Attuali");
    EXPECT_EQ(s.IndexDefs().PrimaryKey()->Fields, "cod");
    s.Open();
    EXPECT_EQ(s.FieldByName("qta")->AsInteger(), 7);
    s.Edit();
    s.FieldByName("qta")->SetAsInteger(8);
    s.Post();
    EXPECT_EQ(TDemoDb::Outside(GetParam(), "SELECT qta FROM magazzino.\"Scorte Attuali\""), "8");
  }
  QStringList ours = tables;
  ours.removeAll("PROVE");
  ours.removeAll("DOPPI");
  ours.removeIf([](const QString& t) { return t.contains('.'); });  // other schemas
  std::sort(ours.begin(), ours.end());
  EXPECT_EQ(outside, ours.join(','));
}

TEST_P(DataSetTest, NavigationRecordNumbersAndBookmarks) {
  TTable t;
  t.setDatabaseName(Alias());
  t.setTableName("ORDINI");
  t.Open();
  EXPECT_LT(t.CachedCount(), 300);  // opening reads only the first rows
  EXPECT_EQ(t.RecordCount(), 300);
  t.First();
  EXPECT_TRUE(t.Bof());
  EXPECT_EQ(t.RecNo(), 1);
  EXPECT_EQ(t.FieldByName("NUMORD")->AsInteger(), 5001);  // ordered by the key
  t.MoveBy(5);
  EXPECT_EQ(t.RecNo(), 6);
  TBookmark bm = t.GetBookmark();
  t.Last();
  EXPECT_TRUE(t.Eof());
  EXPECT_EQ(t.RecNo(), 300);
  t.Next();
  EXPECT_EQ(t.RecNo(), 300);
  t.GotoBookmark(bm);
  EXPECT_EQ(t.RecNo(), 6);
  EXPECT_EQ(t.FieldByName("NUMORD")->AsInteger(), 5006);
  t.SetRecNo(301);  // outside: stays
  EXPECT_EQ(t.RecNo(), 6);
  t.SetRecNo(0);
  EXPECT_EQ(t.RecNo(), 6);

  // Filtered: numbers and count run over the accepted records only.
  t.setFilter("TOTALE > 500 AND PAGATO = 'True'");
  t.setFiltered(true);
  const int expected =
      TDemoDb::Outside(GetParam(),
                       Pg() ? "SELECT count(*) FROM \"ORDINI\" WHERE \"TOTALE\" > 500 AND \"PAGATO\""
                            : "SELECT count(*) FROM ORDINI WHERE TOTALE > 500 AND PAGATO")
          .toInt();
  ASSERT_GT(expected, 5);
  EXPECT_EQ(t.RecordCount(), expected);
  int n = 0;
  for (t.First(); !t.Eof(); t.Next()) {
    ++n;
    EXPECT_EQ(t.RecNo(), n);
    EXPECT_GT(t.FieldByName("TOTALE")->AsFloat(), 500);
  }
  EXPECT_EQ(n, expected);
  // A bookmark of a record the filter hides is refused, not moved elsewhere.
  if (!t.BookmarkValid(bm)) {
    EXPECT_THROW(t.GotoBookmark(bm), EDatabaseError);
  }
  t.SetRecNo(2);
  EXPECT_EQ(t.RecNo(), 2);
  t.setFiltered(false);

  // Closing makes every bookmark stale.
  t.Close();
  t.Open();
  EXPECT_FALSE(t.BookmarkValid(bm));
  t.MoveBy(3);
  EXPECT_THROW(t.GotoBookmark(bm), EDatabaseError);
  EXPECT_EQ(t.RecNo(), 4);
}

TEST_P(DataSetTest, LocateOptionsDatesAndSeveralKeys) {
  TTable t;
  t.setDatabaseName(Alias());
  t.setTableName("CLIENTI");
  t.Open();
  t.SetRecNo(10);
  EXPECT_FALSE(t.Locate("RAGSOCIALE", "dell'orto forniture s.r.l.", 0));
  EXPECT_EQ(t.RecNo(), 10);  // a miss stays put
  EXPECT_TRUE(t.Locate("RAGSOCIALE", "dell'orto forniture s.r.l.", loCaseInsensitive));
  EXPECT_EQ(t.FieldByName("CODCLI")->AsInteger(), 1001);
  EXPECT_TRUE(t.Locate("RAGSOCIALE", "MÜLLER", loCaseInsensitive | loPartialKey));
  EXPECT_EQ(t.FieldByName("RAGSOCIALE")->AsString(), "Müller Handels GmbH");
  EXPECT_FALSE(t.Locate("RAGSOCIALE", "Sconti 100", 0));
  EXPECT_TRUE(t.Locate("RAGSOCIALE", "Sconti 100", loPartialKey));
  EXPECT_TRUE(t.Locate("RAGSOCIALE", "Rossi_", loPartialKey));  // "_" and "%" are plain characters
  EXPECT_FALSE(t.Locate("RAGSOCIALE", "Ross%", loPartialKey));
  EXPECT_TRUE(t.Locate("CODCLI", "1020", 0));  // text converted to the field's type
  EXPECT_EQ(t.RecNo(), 20);
  EXPECT_FALSE(t.Locate("CODCLI", "abc", 0));
  EXPECT_THROW(t.Locate("NESSUNO", 1, 0), EDatabaseError);

  TTable o;
  o.setDatabaseName(Alias());
  o.setTableName("ORDINI");
  o.Open();
  ASSERT_TRUE(o.Locate("DATAORD", QDate(2000, 9, 25), 0));
  EXPECT_EQ(o.FieldByName("DATAORD")->Value().toDate(), QDate(2000, 9, 25));
  const int first = o.RecNo();
  ASSERT_TRUE(o.Locate("DATAORD", "25/09/2000", 0));  // the locale's date text names the same date
  EXPECT_EQ(o.RecNo(), first);

  TTable r;
  r.setDatabaseName(Alias());
  r.setTableName("Righe Ordine");
  r.Open();
  r.Last();
  const qint64 num = r.FieldByName("NUMORD")->AsInteger(), riga = r.FieldByName("RIGA")->AsInteger();
  r.First();
  ASSERT_TRUE(r.Locate("NUMORD;RIGA", QVariantList{num, riga}, 0));
  EXPECT_EQ(r.RecNo(), r.RecordCount());
  EXPECT_THROW(r.Locate("NUMORD;RIGA", QVariantList{num}, 0), EDatabaseError);
}

TEST_P(DataSetTest, FilterNeverReachesTheEngine) {
  TTable t;
  t.setDatabaseName(Alias());
  t.setTableName("CLIENTI");
  t.Open();
  t.setFilter("RAGSOCIALE = 'Sconti 100% S.p.A.' OR RAGSOCIALE = 'Rossi_Bianchi & C.'");
  t.setFiltered(true);
  EXPECT_EQ(t.RecordCount(), 2);
  t.setFilter("RAGSOCIALE = 'Dell''Orto*'");  // a quote inside, a prefix
  EXPECT_EQ(t.RecordCount(), 1);
  t.setFilter("RAGSOCIALE = 'x'' OR ''1''=''1'");
  EXPECT_EQ(t.RecordCount(), 0);
  // A bad text raises and keeps the filter in force.
  EXPECT_THROW(t.SetFilter("RAGSOCIALE = 'aperto"), EDatabaseError);
  EXPECT_THROW(t.SetFilter("NESSUNO = 1"), EDatabaseError);
  EXPECT_THROW(t.SetFilter("CODCLI = 'abc'"), EDatabaseError);
  EXPECT_EQ(t.Filter(), "RAGSOCIALE = 'x'' OR ''1''=''1'");
  EXPECT_EQ(t.RecordCount(), 0);
  t.setFilter("FIDO IS NULL");
  EXPECT_EQ(t.RecordCount(), 9);  // every seventh customer
  t.setFilter("NOT (Tipo = 'ORG') AND DELTA < 100");
  const QString q = Pg() ? "SELECT count(*) FROM \"CLIENTI\" WHERE \"Tipo\" <> 'ORG' AND \"DELTA\" < 100"
                         : "SELECT count(*) FROM CLIENTI WHERE Tipo <> 'ORG' AND DELTA < 100";
  EXPECT_EQ(t.RecordCount(), TDemoDb::Outside(GetParam(), q).toInt());

  TTable o;
  o.setDatabaseName(Alias());
  o.setTableName("ORDINI");
  o.Open();
  // Dates compare as dates: 60 orders fall in late September 2000.
  o.setFilter("DATAORD >= '24/09/2000' AND DATAORD <= '2000-09-27'");
  o.setFiltered(true);
  EXPECT_EQ(o.RecordCount(), 60);
  o.setFilterOptions(foCaseInsensitive);
  o.setFilter("NOTE = 'consegna*'");
  EXPECT_EQ(o.RecordCount(), 28);
}

TEST_P(DataSetTest, LivePostWritesExactlyOneRow) {
  MakeScratch(Alias(), true);
  TQuery q;
  q.setDatabaseName(Alias());
  q.setSQL({"SELECT * FROM \"PROVE\"", "WHERE \"NOME\" <> :nome -- :commento", "ORDER BY \"ID\""});
  ASSERT_EQ(q.Params().Count(), 1);
  q.ParamByName("nome").SetAsString("x' OR '1'='1");
  q.setRequestLive(true);
  q.Open();
  EXPECT_EQ(q.RecordCount(), 5);
  ASSERT_TRUE(q.CanModify());
  q.SetRecNo(3);
  q.Edit();
  q.FieldByName("NOME")->SetAsString("L'ultimo \"vero\"");
  q.FieldByName("DATA")->SetValue(QDate(2000, 9, 30));
  q.Post();
  EXPECT_EQ(q.State(), dsBrowse);
  EXPECT_EQ(TDemoDb::Outside(GetParam(), "SELECT \"NOME\" FROM \"PROVE\" WHERE \"ID\" = 3"),
            "L'ultimo \"vero\"");
  EXPECT_EQ(TDemoDb::Outside(GetParam(), "SELECT count(*) FROM \"PROVE\" WHERE \"NOME\" LIKE 'Nome%'"), "4");
  EXPECT_EQ(TDemoDb::Outside(GetParam(), "SELECT \"DATA\" FROM \"PROVE\" WHERE \"ID\" = 3"), "2000-09-30");

  q.Append();
  q.FieldByName("ID")->SetAsInteger(9);
  q.FieldByName("NOME")->SetAsString("Nuovo");
  q.Post();
  EXPECT_EQ(q.RecordCount(), 6);
  EXPECT_EQ(TDemoDb::Outside(GetParam(), "SELECT \"NOME\" FROM \"PROVE\" WHERE \"ID\" = 9"), "Nuovo");
  q.Delete();
  EXPECT_EQ(TDemoDb::Outside(GetParam(), "SELECT count(*) FROM \"PROVE\""), "5");
  EXPECT_EQ(q.RecordCount(), 5);

  // Writing while the cursor still has rows to read loses none of them.
  TTable m;
  m.setDatabaseName(Alias());
  m.setTableName("MOVIMENTI");
  m.Open();
  ASSERT_LT(m.CachedCount(), TDemoDb::kMovements);
  const qint64 qta = m.FieldByName("QTA")->AsInteger();
  m.Edit();
  m.FieldByName("QTA")->SetAsInteger(qta + 1000);
  m.Post();
  EXPECT_EQ(TDemoDb::Outside(GetParam(), "SELECT \"QTA\" FROM \"MOVIMENTI\" WHERE \"ID\" = 1").toLongLong(),
            qta + 1000);
  EXPECT_EQ(m.RecordCount(), TDemoDb::kMovements);
  m.First();
  m.Edit();
  m.FieldByName("QTA")->SetAsInteger(qta);
  m.Post();
  EXPECT_EQ(TDemoDb::Outside(GetParam(), "SELECT \"QTA\" FROM \"MOVIMENTI\" WHERE \"ID\" = 1").toLongLong(),
            qta);
}

TEST_P(DataSetTest, RefusedPostKeepsStateAndValues) {
  MakeScratch(Alias(), true);
  TTable t;
  t.setDatabaseName(Alias());
  t.setTableName("PROVE");
  t.Open();
  int afterPost = 0;
  t.AfterPost = [&](TDataSet*) { ++afterPost; };

  // The engine refuses a duplicate key: the message comes through, nothing is lost.
  t.Append();
  t.FieldByName("ID")->SetAsInteger(2);
  t.FieldByName("NOME")->SetAsString("Doppione");
  EXPECT_THROW(t.Post(), EDatabaseError);
  EXPECT_EQ(t.State(), dsInsert);
  EXPECT_EQ(t.FieldByName("NOME")->AsString(), "Doppione");
  EXPECT_EQ(afterPost, 0);
  t.FieldByName("ID")->SetAsInteger(7);
  t.Post();
  EXPECT_EQ(afterPost, 1);

  // A required field left blank is refused before the engine sees it.
  t.Append();
  t.FieldByName("ID")->SetAsInteger(8);
  EXPECT_THROW(t.Post(), EDatabaseError);
  EXPECT_EQ(t.State(), dsInsert);
  t.Cancel();

  // Wrong types and over-long text raise at once and keep the value.
  t.First();
  t.Edit();
  EXPECT_THROW(t.FieldByName("VALORE")->SetAsString("dieci"), EDatabaseError);
  EXPECT_THROW(t.FieldByName("NOME")->SetAsString(QString(21, 'x')), EDatabaseError);
  EXPECT_EQ(t.FieldByName("NOME")->AsString(), "Nome 1");

  // The row went away meanwhile: zero rows changed is a refusal, not success.
  t.FieldByName("NOME")->SetAsString("Cambiato");
  ExecSql(Alias(), "DELETE FROM \"PROVE\" WHERE \"ID\" = 1");
  try {
    t.Post();
    FAIL() << "post of a vanished row succeeded";
  } catch (const EDatabaseError& e) {
    EXPECT_TRUE(e.Message().contains("non esiste più")) << e.Message().toStdString();
  }
  EXPECT_EQ(t.State(), dsEdit);
  EXPECT_EQ(t.FieldByName("NOME")->AsString(), "Cambiato");
  t.Cancel();
  EXPECT_EQ(t.FieldByName("NOME")->AsString(), "Nome 1");

  // A unique column admits several blanks, so it is no write key, nor is a
  // unique index over part of the rows.
  ExecSql(Alias(), "DROP TABLE IF EXISTS \"DOPPI\"");
  ExecSql(Alias(), "CREATE TABLE \"DOPPI\" (\"CODICE\" VARCHAR(5) UNIQUE, \"NOME\" VARCHAR(20) NOT NULL)");
  ExecSql(Alias(), "CREATE UNIQUE INDEX \"DOPPI_PARTE\" ON \"DOPPI\" (\"NOME\") WHERE \"NOME\" <> 'b'");
  ExecSql(Alias(), "INSERT INTO \"DOPPI\" VALUES (NULL, 'a'), (NULL, 'b'), ('x', 'c')");
  {
    TTable u;
    u.setDatabaseName(Alias());
    u.setTableName("DOPPI");
    u.Open();
    EXPECT_FALSE(u.CanModify());
    EXPECT_THROW(u.Edit(), EDatabaseError);
    EXPECT_TRUE(u.IndexDefs().Find("DOPPI_PARTE")->Partial);
  }
  if (Pg()) return;
  // SQLite admits blanks even in a key that is not an integer: a post that
  // would change two rows is refused and undone.
  ExecSql(Alias(), "DROP TABLE IF EXISTS \"DOPPI\"");
  ExecSql(Alias(), "CREATE TABLE \"DOPPI\" (\"CODICE\" VARCHAR(5) PRIMARY KEY, \"NOME\" VARCHAR(20))");
  ExecSql(Alias(), "INSERT INTO \"DOPPI\" VALUES (NULL, 'a'), (NULL, 'b'), ('x', 'c')");
  TTable d;
  d.setDatabaseName(Alias());
  d.setTableName("DOPPI");
  d.Open();
  ASSERT_TRUE(d.CanModify());
  ASSERT_TRUE(d.Locate("NOME", "a", 0));
  d.Edit();
  d.FieldByName("NOME")->SetAsString("z");
  try {
    d.Post();
    FAIL() << "a post over two rows succeeded";
  } catch (const EDatabaseError& e) {
    EXPECT_TRUE(e.Message().contains("2 record")) << e.Message().toStdString();
  }
  EXPECT_EQ(d.State(), dsEdit);
  EXPECT_EQ(TDemoDb::Outside(GetParam(), "SELECT count(*) FROM \"DOPPI\" WHERE \"NOME\" IN ('a', 'b')"), "2");
  d.Cancel();
  ASSERT_TRUE(d.Locate("NOME", "c", 0));
  d.Edit();
  d.FieldByName("NOME")->SetAsString("zeta");
  d.Post();
  EXPECT_EQ(TDemoDb::Outside(GetParam(), "SELECT \"NOME\" FROM \"DOPPI\" WHERE \"CODICE\" = 'x'"), "zeta");
}

TEST_P(DataSetTest, ReadOnlyAndKeylessDataSetsRefuseEdits) {
  MakeScratch(Alias(), false);
  TTable t;
  t.setDatabaseName(Alias());
  t.setTableName("PROVE");
  t.Open();
  EXPECT_FALSE(t.CanModify());
  try {
    t.Edit();
    FAIL() << "a table without key was edited";
  } catch (const EDatabaseError& e) {
    EXPECT_TRUE(e.Message().contains("chiave")) << e.Message().toStdString();
  }
  EXPECT_THROW(t.Append(), EDatabaseError);
  EXPECT_THROW(t.Delete(), EDatabaseError);
  EXPECT_EQ(t.State(), dsBrowse);

  TQuery q;  // not live, and a join is never live
  q.setDatabaseName(Alias());
  q.SetSQLText("SELECT * FROM \"CLIENTI\"");
  q.Open();
  EXPECT_THROW(q.Edit(), EDatabaseError);
  q.Close();
  q.setRequestLive(true);
  q.SetSQLText("SELECT c.* FROM \"CLIENTI\" c JOIN \"ORDINI\" o ON o.\"CODCLI\" = c.\"CODCLI\"");
  q.Open();
  EXPECT_FALSE(q.CanModify());
  EXPECT_THROW(q.FieldByName("CITTA")->SetAsString("x"), EDatabaseError);  // not editing
}

TEST_P(DataSetTest, EventsAndOneChangeNoticeWhenControlsComeBack) {
  TTable t;
  t.setDatabaseName(Alias());
  t.setTableName("CLIENTI");
  TDataSource src;
  src.setDataSet(&t);
  TCountingLink link;
  link.SetDataSource(&src);
  QStringList log;
  t.BeforeOpen = [&](TDataSet*) { log << "BeforeOpen"; };
  t.AfterOpen = [&](TDataSet*) { log << "AfterOpen"; };
  t.BeforeScroll = [&](TDataSet*) { log << "BeforeScroll"; };
  t.AfterScroll = [&](TDataSet*) { log << "AfterScroll"; };
  t.BeforeClose = [&](TDataSet*) { log << "BeforeClose"; };
  t.AfterClose = [&](TDataSet*) { log << "AfterClose"; };
  link.Active = 0;
  t.Open();
  EXPECT_EQ(log, QStringList({"BeforeOpen", "AfterOpen", "AfterScroll"}));
  EXPECT_EQ(link.Active, 1);
  log.clear();
  t.Next();
  EXPECT_EQ(log, QStringList({"BeforeScroll", "AfterScroll"}));
  EXPECT_EQ(link.Scrolled, 1);

  link.Changed = link.Scrolled = 0;
  t.DisableControls();
  t.DisableControls();
  for (int i = 0; i < 10; ++i) t.Next();
  t.Locate("CODCLI", 1030, 0);
  t.EnableControls();
  EXPECT_EQ(link.Changed + link.Scrolled, 0);  // still disabled once
  t.EnableControls();
  EXPECT_EQ(link.Changed, 1);
  EXPECT_EQ(link.Scrolled, 0);
  EXPECT_FALSE(t.ControlsDisabled());
  // Editing is news for the links; activity is not.
  link.Active = 0;
  t.Edit();
  EXPECT_EQ(link.Editing, 1);
  t.Cancel();
  EXPECT_EQ(link.Editing, 2);
  EXPECT_EQ(link.Active, 0);
  log.clear();
  t.Close();
  EXPECT_EQ(log, QStringList({"BeforeClose", "AfterClose"}));
  EXPECT_EQ(link.Active, 1);
}

TEST_P(DataSetTest, ValuesKeepTheirTypes) {
  TQuery q;
  q.setDatabaseName(Alias());
  q.setSQL({"SELECT * FROM \"ORDINI\" WHERE \"DATAORD\" >= :dDa AND \"DATAORD\" <= :dA ORDER BY \"NUMORD\""});
  q.ParamByName("dDa").SetAsDate(QDate(2000, 9, 24));
  q.ParamByName("dA").SetAsDate(QDate(2000, 9, 27));
  q.Open();
  EXPECT_EQ(q.RecordCount(), 60);
  TField* d = q.FieldByName("DATAORD");
  EXPECT_EQ(d->DataType(), ftDate);
  EXPECT_EQ(d->Value().metaType().id(), QMetaType::QDate);
  const QDate first = d->Value().toDate();
  EXPECT_GE(first, QDate(2000, 9, 24));
  EXPECT_EQ(d->AsString(), first.toString("dd/MM/yyyy"));  // four-digit years in the Italian short form
  EXPECT_EQ(d->AsDateTime(), 36793.0 + QDate(2000, 9, 24).daysTo(first));
  TField* t = q.FieldByName("TOTALE");
  EXPECT_EQ(t->DataType(), ftFloat);
  EXPECT_EQ(t->Alignment(), taRightJustify);
  EXPECT_EQ(q.FieldByName("PAGATO")->DataType(), ftBoolean);
  EXPECT_EQ(q.FieldByName("DATASPED")->Value().metaType().id(), QMetaType::QDateTime);
  EXPECT_EQ(q.FieldByName("NUMORD")->AsInteger(), 5001);
  // The native view: one fixed slot per column.
  auto descs = q.NativeFieldDescs();
  ASSERT_EQ(int(descs.size()), q.FieldCount());
  const QByteArray rec = q.NativeRecord();
  EXPECT_EQ(rec.size(), descs.back().Offset + descs.back().Length);
  const auto& dd = descs[2];
  EXPECT_EQ(dd.Name, "DATAORD");
  EXPECT_EQ(rec.mid(dd.Offset, dd.Length), first.toString(Qt::ISODate).toLatin1());
  EXPECT_EQ(descs[0].Offset, 0);
  EXPECT_TRUE(q.NativeFieldDescs()[0].ReadOnly);  // not live
  EXPECT_FALSE(q.NativeFieldBlank(1));
  EXPECT_THROW(q.FieldByName("NESSUNO"), EDatabaseError);
  EXPECT_EQ(q.FindField("nessuno"), nullptr);
  EXPECT_EQ(q.FieldByName("numord"), q.Fields(0));  // names are case-insensitive
  EXPECT_THROW(q.Fields(99), EDatabaseError);

  TTable a;
  a.setDatabaseName(Alias());
  a.setTableName("ARTICOLI");
  a.Open();
  QImage img;
  EXPECT_TRUE(img.loadFromData(a.FieldByName("FOTO")->AsBytes(), "PNG"));
  EXPECT_EQ(img.size(), QSize(48, 48));
  EXPECT_EQ(a.FieldByName("FOTO")->DisplayText(), Pg() ? "(Blob)" : "(Graphic)");

  TQuery bad;
  bad.setDatabaseName(Alias());
  bad.SetSQLText("SELECT * FROM \"NON_ESISTE\"");
  EXPECT_THROW(bad.Open(), EDatabaseError);
  EXPECT_FALSE(bad.Active());
  bad.SetSQLText("SELECT :manca");
  EXPECT_NO_THROW(bad.ParamByName("manca"));
  EXPECT_THROW(bad.ParamByName("altro"), EDatabaseError);
}

INSTANTIATE_TEST_SUITE_P(Engines, DataSetTest, ::testing::Values(TEngine::SQLite, TEngine::PostgreSQL),
                         EngineName);

}  // namespace
