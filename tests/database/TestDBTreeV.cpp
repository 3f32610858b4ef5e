// The DB tree view, its analyser and the folder browser, on both engines: the
// analysed tree of the demo database against the tree worked out by hand,
// catalog-only analysis, tree text files, table names checked against the
// catalog, key values bound (quotes, NULL), schema prefixes on PostgreSQL.
#include <gtest/gtest.h>

#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QListWidget>
#include <QProgressBar>
#include <QStandardPaths>
#include <QTableWidget>
#include <QTemporaryDir>

#include <Tarnwell/database/BrowsFld.h>
#include <Tarnwell/database/DBEngine.h>
#include <Tarnwell/database/demo/DBDemos.h>
#include <Tarnwell/database/DBTreeV.h>
#include <Tarnwell/database/DBTreeVAnalysis.h>
#include <Tarnwell/database/DBTreeVForm.h>
#include <Tarnwell/platform/TDialogs.h>
#include "DbTestUtil.h"
#include "SmallDisk.h"

using namespace Tarnwell;

namespace {

// The demo database's tree, worked out by hand from its keys: a table with
// details is a main one, one that only refers to other tables' keys a
// secondary one, the table without keys goes with the others.
const QStringList kDemoTree = {
    "Tabelle",
    "\tPrincipali",
    "\t\tARTICOLI",
    "\t\t\tDettagli",
    "\t\t\t\tRighe Ordine",
    "\t\t\tCollegamenti",
    "\t\t\t\tCATEGORIE",
    "\t\tCATEGORIE",
    "\t\t\tDettagli",
    "\t\t\t\tARTICOLI",
    "\t\tCLIENTI",
    "\t\t\tDettagli",
    "\t\t\t\tORDINI",
    "\t\tORDINI",
    "\t\t\tDettagli",
    "\t\t\t\tRighe Ordine",
    "\t\t\tCollegamenti",
    "\t\t\t\tCLIENTI",
    "\tSecondarie",
    "\t\tMOVIMENTI",
    "\t\t\tCollegamenti",
    "\t\t\t\tARTICOLI",
    "\t\t\t\tCLIENTI",
    "\t\tRighe Ordine",
    "\t\t\tCollegamenti",
    "\t\t\t\tARTICOLI",
    "\t\t\t\tORDINI",
    "\tAltre",
    "\t\tNOTE",
};

const QStringList kDemoKeys = {"ARTICOLI=CODART",     "CATEGORIE=CATEGORIA", "CLIENTI=CODCLI", "MOVIMENTI=ID",
                               "NOTE=",               "ORDINI=NUMORD",       "Righe Ordine=NUMORD;RIGA"};

QStringList Analyze(const QString& alias, const QStringList& tables) {
  QSqlDatabase db = TDBSession::Connection(alias);
  const auto gathered = TDBAnalyzer::GatherIndexes(db, tables, std::vector<bool>(size_t(tables.size()), true));
  return TreeText::Format({TDBAnalyzer::AnalyzeRelations(gathered)});
}

int CountRows(TDataSet& q) {
  int n = 0;
  for (q.First(); !q.Eof(); q.Next()) ++n;
  q.First();
  return n;
}

class DBTreeTest : public EngineTest {
 protected:
  // Suppliers ("Fornitori Tw", a blank in the name, keyed by a text) and
  // their supplies, one with a quote in the key and one without a supplier.
  void Suppliers() {
    DropSuppliers();
    Exec(Alias(), "CREATE TABLE \"Fornitori Tw\" (\"CODFOR\" VARCHAR(20) NOT NULL PRIMARY KEY, \"NOME\" "
                  "VARCHAR(40))");
    Exec(Alias(), "CREATE TABLE \"FORNITURE_TW\" (\"ID\" INTEGER PRIMARY KEY, \"CODFOR\" VARCHAR(20), "
                  "\"QTA\" INTEGER)");
    Exec(Alias(), "CREATE INDEX \"FORNITURE_TW_CODFOR\" ON \"FORNITURE_TW\" (\"CODFOR\")");
    Exec(Alias(), "INSERT INTO \"Fornitori Tw\" VALUES ('O''Brien', 'Irlanda'), ('Rossi', 'Italia')");
    Exec(Alias(), "INSERT INTO \"FORNITURE_TW\" VALUES (1, 'O''Brien', 5), (2, 'O''Brien', 7), (3, NULL, 1), "
                  "(4, 'Rossi', 2)");
  }
  void DropSuppliers() {
    Exec(Alias(), "DROP TABLE IF EXISTS \"FORNITURE_TW\"");
    Exec(Alias(), "DROP TABLE IF EXISTS \"Fornitori Tw\"");
  }
  void TearDown() override {
    if (!IsSkipped()) {
      try {
        DropSuppliers();
      } catch (...) {
      }
    }
  }
};

// The three queries and the tree, owned by one window.
struct TTreeRig {
  QWidget owner;
  TEnhQuery* master = new TEnhQuery(&owner);
  TEnhQuery* detail = new TEnhQuery(&owner);
  TEnhQuery* linked = new TEnhQuery(&owner);
  TDBTreeView* tree = new TDBTreeView(&owner);
  TRecordingDialogs dialogs;
  explicit TTreeRig(const QString& alias) {
    tree->setQueryMaster(master);
    tree->setQueryDetail(detail);
    tree->setQueryLinked(linked);
    tree->setAlias(alias);
  }
  void Analyze(const QStringList& tables) {
    QSqlDatabase db = TDBSession::Connection(tree->Alias());
    const auto gathered =
        TDBAnalyzer::GatherIndexes(db, tables, std::vector<bool>(size_t(tables.size()), true));
    QStringList keys;
    for (size_t i = 0; i < gathered.size(); ++i) keys << tables[int(i)] + '=' + TDBAnalyzer::KeyFieldsOf(gathered[i]);
    tree->setTableList(tables);
    tree->setIndexesList(keys);
    tree->setNodesList(TreeText::Format({TDBAnalyzer::AnalyzeRelations(gathered)}));
  }
  QTreeWidgetItem* Node(const QStringList& path) {
    QTreeWidgetItem* n = tree->FindNode(path);
    EXPECT_NE(n, nullptr) << path.join('/').toStdString();
    return n;
  }
  void Expand(const QStringList& path) { Node(path)->setExpanded(true); }
  void Click(const QStringList& path) { tree->NodeClicked(Node(path)); }
};

}  // namespace

// --- tree text

TEST(TreeText, RoundTripAndMalformedIndentation) {
  const TTreeText tree = TreeText::Parse(kDemoTree);
  ASSERT_EQ(tree.size(), 1u);
  EXPECT_EQ(tree[0].Children.size(), 3u);
  EXPECT_EQ(TreeText::Format(tree), kDemoTree);
  // Several top nodes, and a return by more than one level, are sound.
  EXPECT_NO_THROW(TreeText::Parse({"A", "\tB", "\t\tC", "D"}));
  for (const QStringList& bad : {QStringList{"\tA"}, QStringList{"A", "\t\tB"}, QStringList{"A", "\tB", "\t\t\t\tC"},
                                 QStringList{"A", "\t"}, QStringList{"A", ""}, QStringList{"A", "\tB\tC"}}) {
    EXPECT_THROW(TreeText::Parse(bad), EStreamError) << bad.join('|').toStdString();
  }
  try {
    TreeText::Parse({"A", "\tB", "\t\t\tC"});
  } catch (const EStreamError& e) {
    EXPECT_TRUE(e.Message().contains("riga 3")) << e.Message().toStdString();
  }
}

TEST(TreeText, FilesAreCrLfAtomicAndValidated) {
  QTemporaryDir dir;
  const QString file = dir.filePath("albero.dat");
  TreeText::Save(file, TreeText::Parse(kDemoTree));
  QFile f(file);
  ASSERT_TRUE(f.open(QIODevice::ReadOnly));
  const QByteArray bytes = f.readAll();
  f.close();
  EXPECT_TRUE(bytes.startsWith("Tabelle\r\n\tPrincipali\r\n"));
  EXPECT_EQ(bytes.count("\r\n"), kDemoTree.size());
  EXPECT_EQ(TreeText::Format(TreeText::Load(file)), kDemoTree);
  // Written by another program with bare LF: read the same.
  const QString lf = dir.filePath("lf.dat");
  QFile g(lf);
  ASSERT_TRUE(g.open(QIODevice::WriteOnly));
  g.write(kDemoTree.join('\n').toUtf8() + '\n');
  g.close();
  EXPECT_EQ(TreeText::Format(TreeText::Load(lf)), kDemoTree);
  // Not UTF-8, malformed, missing: refused.
  ASSERT_TRUE(g.open(QIODevice::WriteOnly));
  g.write("Tabelle\r\n\t\xff\xfe\r\n");
  g.close();
  EXPECT_THROW(TreeText::Load(lf), EStreamError);
  EXPECT_THROW(TreeText::Load(dir.filePath("manca.dat")), EStreamError);
  // A file that cannot be written leaves the old one whole.
  EXPECT_THROW(TreeText::Save(dir.filePath("manca/albero.dat"), TreeText::Parse(kDemoTree)), EStreamError);
  QFile(file).setPermissions(QFileDevice::ReadOwner);
  QFile::setPermissions(dir.path(), QFileDevice::ReadOwner | QFileDevice::ExeOwner);
  if (!QFileInfo(dir.path()).isWritable()) {
    EXPECT_THROW(TreeText::Save(file, {{"X", {}}}), EStreamError);
    EXPECT_EQ(TreeText::Format(TreeText::Load(file)), kDemoTree);
  }
  QFile::setPermissions(dir.path(), QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
}

// --- the analyser

TEST_P(DBTreeTest, DemoDatabaseAnalysedAsWorkedOutByHand) {
  const QStringList demo = DemoTableNames();
  EXPECT_EQ(Analyze(Alias(), demo), kDemoTree);
  QSqlDatabase db = TDBSession::Connection(Alias());
  const auto gathered = TDBAnalyzer::GatherIndexes(db, demo, std::vector<bool>(size_t(demo.size()), true));
  QStringList keys;
  for (size_t i = 0; i < gathered.size(); ++i) keys << gathered[i].Name + '=' + TDBAnalyzer::KeyFieldsOf(gathered[i]);
  EXPECT_EQ(keys, kDemoKeys);
  // An unchecked table, and a name the catalog does not know, stay in their
  // place as undefined entries and out of the tree.
  std::vector<bool> checked(size_t(demo.size()), true);
  checked[size_t(demo.indexOf("NOTE"))] = false;
  const auto partial = TDBAnalyzer::GatherIndexes(db, demo + QStringList{"MANCA"}, checked);
  ASSERT_EQ(partial.size(), size_t(demo.size() + 1));
  EXPECT_EQ(partial[size_t(demo.indexOf("NOTE"))].Name, TDBAnalyzer::kUndefinedTable);
  EXPECT_FALSE(partial.back().Defined);
  const QStringList tree = TreeText::Format({TDBAnalyzer::AnalyzeRelations(partial)});
  EXPECT_FALSE(tree.contains("\tAltre"));
  EXPECT_FALSE(tree.contains("\t\tNOTE"));
}

TEST_P(DBTreeTest, AnalysisReadsTheCatalogOnly) {
  // A view that fails whenever it is read: the analyser must not read it.
  if (Pg()) {
    Exec(Alias(), "CREATE OR REPLACE FUNCTION tw_fallisce() RETURNS integer LANGUAGE plpgsql AS "
                  "$$BEGIN RAISE EXCEPTION 'letta'; END$$");
    Exec(Alias(), "CREATE VIEW \"VISTA_TW\" AS SELECT tw_fallisce() AS \"X\"");
  } else {
    Exec(Alias(), "CREATE VIEW \"VISTA_TW\" AS SELECT json('non json') AS \"X\"");
  }
  TQuery probe;
  probe.setDatabaseName(Alias());
  probe.SetSQLText("SELECT * FROM \"VISTA_TW\"");
  EXPECT_THROW(probe.Open(), EDatabaseError);
  const QStringList tree = Analyze(Alias(), {"CLIENTI", "VISTA_TW"});
  Exec(Alias(), "DROP VIEW \"VISTA_TW\"");
  EXPECT_EQ(tree, (QStringList{"Tabelle", "\tAltre", "\t\tCLIENTI", "\t\tVISTA_TW"}));
}

TEST(DBAnalyzer, DetailIndexRules) {
  auto idx = [](const QString& fields, bool unique, bool partial = false) {
    TIndexDef d;
    d.Fields = fields;
    if (unique) d.Options = ixUnique;
    d.Partial = partial;
    return d;
  };
  const TIndexDef x = idx("NUMORD", true);
  EXPECT_TRUE(TDBAnalyzer::IsDetailIndex(x, idx("NUMORD;RIGA", true)));
  EXPECT_FALSE(TDBAnalyzer::IsDetailIndex(x, idx("NUMORD;RIGA;SUB", true)));
  EXPECT_FALSE(TDBAnalyzer::IsDetailIndex(x, idx("NUMORD", true)));
  EXPECT_FALSE(TDBAnalyzer::IsDetailIndex(x, idx("NUMORDX;RIGA", true)));
  EXPECT_TRUE(TDBAnalyzer::IsDetailIndex(x, idx("numord", false)));
  EXPECT_FALSE(TDBAnalyzer::IsDetailIndex(x, idx("NUMORD;RIGA", false)));
  // A partial unique index tells only some rows apart: not a key.
  EXPECT_TRUE(TDBAnalyzer::IsDetailIndex(x, idx("NUMORD", true, true)));
  EXPECT_FALSE(TDBAnalyzer::IsKey(idx("NUMORD", true, true)));
  EXPECT_EQ(TDBAnalyzer::CatalogName({"CLIENTI", "Righe Ordine"}, "righe ordine"), "Righe Ordine");
  EXPECT_EQ(TDBAnalyzer::CatalogName({"ab", "AB"}, "Ab"), "");
  EXPECT_EQ(TDBAnalyzer::CatalogName({"ab", "AB"}, "AB"), "AB");
}

// --- the tree view driving the queries

TEST_P(DBTreeTest, MasterDetailAndLinkedFollowTheTree) {
  TTreeRig rig(Alias());
  rig.Analyze(DemoTableNames());
  EXPECT_EQ(rig.tree->topLevelItem(0)->text(0), "Tabelle");
  EXPECT_EQ(TDBTreeView::ImageIndexFor(rig.Node({"Tabelle", "Principali", "CLIENTI"})), 1);
  EXPECT_EQ(TDBTreeView::ImageIndexFor(rig.Node({"Tabelle", "Principali", "CLIENTI", "Dettagli", "ORDINI"})), 2);
  EXPECT_EQ(TDBTreeView::ImageIndexFor(rig.Node({"Tabelle", "Principali", "ORDINI", "Collegamenti", "CLIENTI"})),
            3);

  rig.Expand({"Tabelle", "Principali", "CLIENTI"});
  ASSERT_TRUE(rig.master->Active()) << rig.master->LastError().toStdString();
  EXPECT_EQ(rig.tree->MasterTableName(), "CLIENTI");
  EXPECT_EQ(rig.master->RecordCount(), TDemoDb::Outside(GetParam(), "SELECT COUNT(*) FROM \"CLIENTI\"").toInt());

  rig.Click({"Tabelle", "Principali", "CLIENTI", "Dettagli", "ORDINI"});
  ASSERT_TRUE(rig.detail->Active()) << rig.detail->LastError().toStdString();
  EXPECT_EQ(rig.tree->DetailTableName(), "ORDINI");
  EXPECT_EQ(rig.tree->currentItem(), rig.Node({"Tabelle", "Principali", "CLIENTI"}));
  auto check = [&] {
    const qint64 cod = rig.master->FieldByName("CODCLI")->Value().toLongLong();
    const int want =
        TDemoDb::Outside(GetParam(), QString("SELECT COUNT(*) FROM \"ORDINI\" WHERE \"CODCLI\" = %1").arg(cod)).toInt();
    EXPECT_EQ(CountRows(*rig.detail), want) << cod;
    for (rig.detail->First(); !rig.detail->Eof(); rig.detail->Next())
      EXPECT_EQ(rig.detail->FieldByName("CODCLI")->Value().toLongLong(), cod);
  };
  check();
  // Scrolling the master refreshes the detail; SyncDependents changes nothing then.
  rig.master->Next();
  rig.master->Next();
  rig.tree->SyncDependents();
  check();
  // The detail's key values are bound, never written into its text.
  EXPECT_FALSE(rig.detail->SQL().join(' ').contains(rig.master->FieldByName("CODCLI")->Value().toString()));

  // Collapsing the master closes the three queries.
  rig.Node({"Tabelle", "Principali", "CLIENTI"})->setExpanded(false);
  EXPECT_FALSE(rig.master->Active());
  EXPECT_FALSE(rig.detail->Active());
  EXPECT_EQ(rig.tree->MasterTableName(), "");

  // A table with a blank in its name, as a detail and as a master.
  rig.Expand({"Tabelle", "Principali", "ORDINI"});
  rig.Click({"Tabelle", "Principali", "ORDINI", "Dettagli", "Righe Ordine"});
  ASSERT_TRUE(rig.detail->Active()) << rig.detail->LastError().toStdString();
  EXPECT_EQ(rig.detail->ZFrom(), QStringList{"\"Righe Ordine\""});
  rig.Click({"Tabelle", "Principali", "ORDINI", "Collegamenti", "CLIENTI"});
  ASSERT_TRUE(rig.linked->Active()) << rig.linked->LastError().toStdString();
  EXPECT_EQ(CountRows(*rig.linked), 1);
  EXPECT_EQ(rig.linked->FieldByName("CODCLI")->Value(), rig.master->FieldByName("CODCLI")->Value());
  EXPECT_TRUE(rig.dialogs.Messages.empty());
}

TEST_P(DBTreeTest, KeysWithQuotesAndNullAreBound) {
  Suppliers();
  TTreeRig rig(Alias());
  rig.Analyze({"FORNITURE_TW", "Fornitori Tw"});
  EXPECT_EQ(rig.tree->NodesList(),
            (QStringList{"Tabelle", "\tPrincipali", "\t\tFornitori Tw", "\t\t\tDettagli", "\t\t\t\tFORNITURE_TW",
                         "\tSecondarie", "\t\tFORNITURE_TW", "\t\t\tCollegamenti", "\t\t\t\tFornitori Tw"}));
  // The master with a blank in its name, positioned on the key with a quote.
  rig.Expand({"Tabelle", "Principali", "Fornitori Tw"});
  ASSERT_TRUE(rig.master->Active()) << rig.master->LastError().toStdString();
  ASSERT_TRUE(rig.master->Locate("CODFOR", QString("O'Brien"), 0));
  rig.Click({"Tabelle", "Principali", "Fornitori Tw", "Dettagli", "FORNITURE_TW"});
  ASSERT_TRUE(rig.detail->Active()) << rig.detail->LastError().toStdString();
  EXPECT_EQ(CountRows(*rig.detail), 2);
  ASSERT_TRUE(rig.master->Locate("CODFOR", QString("Rossi"), 0));
  EXPECT_EQ(CountRows(*rig.detail), 1);

  // Showing the detail's table as the master places it on the detail's record.
  ASSERT_TRUE(rig.detail->Locate("ID", 4, 0));
  rig.Expand({"Tabelle", "Secondarie", "FORNITURE_TW"});
  ASSERT_TRUE(rig.master->Active());
  EXPECT_EQ(rig.tree->MasterTableName(), "FORNITURE_TW");
  EXPECT_EQ(rig.master->FieldByName("ID")->Value().toInt(), 4);

  // The linked supplier by the supply's key: none for a NULL key.
  rig.Click({"Tabelle", "Secondarie", "FORNITURE_TW", "Collegamenti", "Fornitori Tw"});
  ASSERT_TRUE(rig.linked->Active()) << rig.linked->LastError().toStdString();
  EXPECT_EQ(CountRows(*rig.linked), 1);
  EXPECT_EQ(rig.linked->FieldByName("CODFOR")->Value().toString(), "Rossi");
  ASSERT_TRUE(rig.master->Locate("ID", 3, 0));
  EXPECT_EQ(CountRows(*rig.linked), 0);
  ASSERT_TRUE(rig.master->Locate("ID", 1, 0));
  EXPECT_EQ(CountRows(*rig.linked), 1);
  EXPECT_EQ(rig.linked->FieldByName("CODFOR")->Value().toString(), "O'Brien");
  EXPECT_TRUE(rig.dialogs.Messages.empty());
}

TEST_P(DBTreeTest, LabelsAreCheckedAgainstTheCatalog) {
  TTreeRig rig(Alias());
  rig.Analyze(DemoTableNames());
  rig.Expand({"Tabelle", "Principali", "CLIENTI"});
  ASSERT_TRUE(rig.master->Active());
  const QStringList sql = rig.master->SQL();
  // Tree text from elsewhere naming tables the database does not have.
  rig.tree->setNodesList({"Tabelle", "\tPrincipali", "\t\tCLIENTI", "\t\t\tDettagli", "\t\t\t\tORDINI; DROP TABLE x",
                          "\t\tCLIENTI\" WHERE 1=1 --", "\t\t\tDettagli", "\t\t\t\tORDINI", "\tAltre",
                          "\t\tNESSUNA"});
  rig.tree->setIndexesList(QStringList{"CLIENTI=CODCLI"});
  rig.Expand({"Tabelle", "Principali", "CLIENTI\" WHERE 1=1 --"});
  ASSERT_EQ(rig.dialogs.Messages.size(), 1u);
  EXPECT_TRUE(rig.dialogs.Messages[0].Text.contains("non è nel database"));
  EXPECT_EQ(rig.master->SQL(), sql);
  rig.Click({"Tabelle", "Altre", "NESSUNA"});
  EXPECT_EQ(rig.dialogs.Messages.size(), 2u);
  EXPECT_EQ(rig.tree->MasterTableName(), "CLIENTI");
  // The tree's own master: the dependent name is refused too.
  rig.Node({"Tabelle", "Principali", "CLIENTI"})->setExpanded(true);
  rig.Click({"Tabelle", "Principali", "CLIENTI", "Dettagli", "ORDINI; DROP TABLE x"});
  EXPECT_EQ(rig.dialogs.Messages.size(), 3u);
  EXPECT_FALSE(rig.detail->Active());
  // Case differences alone are the catalog's spelling.
  EXPECT_EQ(rig.tree->CatalogTable("righe ordine"), "Righe Ordine");
}

TEST_P(DBTreeTest, MalformedTreeRefusedAndTreeUnchanged) {
  TTreeRig rig(Alias());
  rig.tree->setNodesList(kDemoTree);
  QStringList handled;
  auto old = SetExceptionHandler([&](const QString& m) { handled << m; });
  rig.tree->setNodesList({"Tabelle", "\t\tPrincipali"});
  SetExceptionHandler(old);
  EXPECT_EQ(handled.size(), 1);
  EXPECT_EQ(rig.tree->NodesList(), kDemoTree);
  EXPECT_EQ(TDBTreeView::TreeOf(rig.tree), TreeText::Parse(kDemoTree));
  // From a file: the same.
  QTemporaryDir dir;
  QFile f(dir.filePath("rotto.dat"));
  ASSERT_TRUE(f.open(QIODevice::WriteOnly));
  f.write("Tabelle\r\n\tAltre\r\n\t\t\t\tNOTE\r\n");
  f.close();
  EXPECT_THROW(rig.tree->LoadTreeFromFile(f.fileName()), EStreamError);
  EXPECT_EQ(rig.tree->NodesList(), kDemoTree);
  rig.tree->SaveTreeToFile(dir.filePath("buono.dat"));
  rig.tree->setNodesList({"X"});
  rig.tree->LoadTreeFromFile(dir.filePath("buono.dat"));
  EXPECT_EQ(rig.tree->NodesList(), kDemoTree);
  EXPECT_EQ(rig.tree->topLevelItemCount(), 1);
}

TEST_P(DBTreeTest, DescriptionsAndDrawing) {
  TTreeRig rig(Alias());
  rig.tree->setNodesList(kDemoTree);
  rig.tree->setTabDescList({"CLIENTI=Anagrafica clienti", "ORDINI="});
  EXPECT_EQ(rig.tree->TableDisplayName("CLIENTI"), "Anagrafica clienti");
  EXPECT_EQ(rig.tree->TableDisplayName("ORDINI"), "ORDINI");
  rig.owner.resize(300, 400);
  rig.tree->setGeometry(0, 0, 300, 400);
  rig.owner.show();
  rig.tree->topLevelItem(0)->setExpanded(true);
  // The root is expanded: its box shows a minus; a category is collapsed: a plus.
  const QImage img = rig.tree->viewport()->grab().toImage();
  const QRect rootRow = rig.tree->visualItemRect(rig.tree->topLevelItem(0));
  const QRect catRow = rig.tree->visualItemRect(rig.tree->topLevelItem(0)->child(0));
  const int indent = rig.tree->indentation();
  auto dark = [&](int x, int y) { return qGray(img.pixel(x, y)) < 128; };
  const int rx = indent / 2 - 4, ry = rootRow.top() + rootRow.height() / 2 - 4;
  EXPECT_TRUE(dark(rx, ry));           // outline corner
  EXPECT_TRUE(dark(rx + 7, ry + 7));   // opposite corner: 8 x 8
  EXPECT_FALSE(dark(rx + 8, ry + 8));
  EXPECT_TRUE(dark(rx + 3, ry + 4));   // minus
  EXPECT_FALSE(dark(rx + 4, ry + 2));  // no vertical stroke
  const int cx = indent + indent / 2 - 4, cy = catRow.top() + catRow.height() / 2 - 4;
  EXPECT_TRUE(dark(cx + 4, cy + 2));  // plus
}

// --- the analyser window

TEST_P(DBTreeTest, AnalyzerWindowExploresAndStores) {
  TTreeRig rig(Alias());
  rig.tree->setTableList({"X"});
  rig.tree->setIndexesList({"X=Y"});
  {
    // OK without exploring keeps the tables and keys, stores the rest.
    TFormDBAnalizer form(rig.tree, false);
    EXPECT_EQ(form.windowTitle(), "Editor Analizzatore DB");
    EXPECT_EQ(form.ComboAlias->currentText(), Alias());
    form.GridDesc->setRowCount(1);
    form.GridDesc->setItem(0, 0, new QTableWidgetItem("CLIENTI"));
    form.GridDesc->setItem(0, 1, new QTableWidgetItem("Clienti"));
    form.OkClick();
    EXPECT_EQ(form.result(), QDialog::Accepted);
  }
  EXPECT_EQ(rig.tree->TableList(), QStringList{"X"});
  EXPECT_EQ(rig.tree->IndexesList(), QStringList{"X=Y"});
  EXPECT_EQ(rig.tree->TabDescList(), QStringList{"CLIENTI=Clienti"});

  TFormDBAnalizer form(rig.tree, false);
  form.LoadTables(Alias(), false);
  QStringList listed = form.Tables();
  for (const QString& t : DemoTableNames()) EXPECT_TRUE(listed.contains(t)) << t.toStdString();
  // Only the demo tables: whatever else the test database holds stays out.
  for (int i = 0; i < form.CheckListTables->count(); ++i) {
    QListWidgetItem* it = form.CheckListTables->item(i);
    it->setCheckState(DemoTableNames().contains(it->text()) ? Qt::Checked : Qt::Unchecked);
  }
  form.CheckPlainNames();
  EXPECT_EQ(form.CheckListTables->findItems("Righe Ordine", Qt::MatchExactly)[0]->checkState(), Qt::Unchecked);
  for (int i = 0; i < form.CheckListTables->count(); ++i) {
    QListWidgetItem* it = form.CheckListTables->item(i);
    it->setCheckState(DemoTableNames().contains(it->text()) ? Qt::Checked : Qt::Unchecked);
  }
  form.Explore();
  EXPECT_TRUE(form.Explored());
  EXPECT_EQ(form.ProgressBar->value(), form.ProgressBar->maximum());
  EXPECT_EQ(TreeText::Format(TDBTreeView::TreeOf(form.TreeEdit)), kDemoTree);
  EXPECT_EQ(form.GridDesc->rowCount(), form.CheckListTables->count());
  // The kept description of CLIENTI.
  EXPECT_EQ(form.GridDesc->item(int(listed.indexOf("CLIENTI")), 1)->text(), "Clienti");

  // New nodes and deletion on the tree page.
  form.TreeEdit->setCurrentItem(form.TreeEdit->topLevelItem(0)->child(2));  // "Altre"
  QTreeWidgetItem* made = form.NewNode();
  ASSERT_NE(made, nullptr);
  EXPECT_EQ(made->text(0), "*NewTable");
  EXPECT_EQ(made->childCount(), 2);
  form.TreeEdit->EndEdit(false);
  form.TreeEdit->setCurrentItem(made);
  form.DeleteNode();
  form.TreeEdit->setCurrentItem(form.TreeEdit->topLevelItem(0));
  form.DeleteNode();  // the root stays
  EXPECT_EQ(form.TreeEdit->topLevelItemCount(), 1);

  // A malformed tree file leaves the page's tree as it was.
  QTemporaryDir dir;
  QFile bad(dir.filePath("rotto.dat"));
  ASSERT_TRUE(bad.open(QIODevice::WriteOnly));
  bad.write("\tTabelle\r\n");
  bad.close();
  TRecordingDialogs msgs;
  EXPECT_FALSE(form.LoadTreeFile(bad.fileName()));
  EXPECT_EQ(msgs.Messages.size(), 1u);
  EXPECT_EQ(TreeText::Format(TDBTreeView::TreeOf(form.TreeEdit)), kDemoTree);
  form.SaveTree(dir.filePath("albero.dat"));
  EXPECT_EQ(TreeText::Format(TreeText::Load(dir.filePath("albero.dat"))), kDemoTree);

  form.OkClick();
  EXPECT_EQ(rig.tree->NodesList(), kDemoTree);
  EXPECT_EQ(rig.tree->TableList(), listed);
  EXPECT_TRUE(rig.tree->IndexesList().contains("Righe Ordine=NUMORD;RIGA"));
  EXPECT_TRUE(rig.tree->IndexesList().contains("NOTE="));
  EXPECT_EQ(rig.tree->Alias(), Alias());
}

TEST_P(DBTreeTest, SchemaPrefixesKept) {
  if (!Pg()) {
    // Folder aliases attach their files under a prefix: kept the same way.
    QTemporaryDir dir;
    const QString file = dir.filePath("magazzino.sqlite");
    {
      QFile f(file);
      ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    }
    Exec(file, "CREATE TABLE depositi (id INTEGER PRIMARY KEY, nome VARCHAR(20))");
    TDBSession::CloseConnection(file);
    const QStringList names = TDBAnalyzer::TableNames(TDBSession::Connection(dir.path()));
    EXPECT_TRUE(names.contains("magazzino.depositi")) << names.join(',').toStdString();
    TDBSession::CloseConnection(dir.path());
    return;
  }
  Exec(Alias(), "CREATE SCHEMA magazzino");
  Exec(Alias(), "CREATE TABLE magazzino.depositi (id integer PRIMARY KEY, nome varchar(20))");
  Exec(Alias(), "CREATE TABLE magazzino.scorte (num integer PRIMARY KEY, id integer, qta integer)");
  Exec(Alias(), "CREATE INDEX scorte_id ON magazzino.scorte (id)");
  Exec(Alias(), "INSERT INTO magazzino.depositi VALUES (1, 'Nord'), (2, 'Sud')");
  Exec(Alias(), "INSERT INTO magazzino.scorte VALUES (10, 1, 5), (11, 1, 6), (12, 2, 7)");
  {
    TTreeRig rig(Alias());
    TFormDBAnalizer form(rig.tree, false);
    form.LoadTables(Alias(), false);
    EXPECT_TRUE(form.Tables().contains("magazzino.depositi"));
    rig.Analyze({"magazzino.depositi", "magazzino.scorte"});
    EXPECT_EQ(rig.tree->NodesList(),
              (QStringList{"Tabelle", "\tPrincipali", "\t\tmagazzino.depositi", "\t\t\tDettagli",
                           "\t\t\t\tmagazzino.scorte", "\tSecondarie", "\t\tmagazzino.scorte", "\t\t\tCollegamenti",
                           "\t\t\t\tmagazzino.depositi"}));
    rig.Expand({"Tabelle", "Principali", "magazzino.depositi"});
    ASSERT_TRUE(rig.master->Active()) << rig.master->LastError().toStdString();
    EXPECT_EQ(rig.master->ZFrom(), QStringList{"\"magazzino\".\"depositi\""});
    rig.Click({"Tabelle", "Principali", "magazzino.depositi", "Dettagli", "magazzino.scorte"});
    ASSERT_TRUE(rig.detail->Active()) << rig.detail->LastError().toStdString();
    EXPECT_EQ(CountRows(*rig.detail), 2);
    EXPECT_TRUE(rig.dialogs.Messages.empty());
  }
  TDBSession::CloseConnection(Alias());
  Exec(Alias(), "DROP SCHEMA magazzino CASCADE");
}

INSTANTIATE_TEST_SUITE_P(Engines, DBTreeTest, ::testing::Values(TEngine::SQLite, TEngine::PostgreSQL), EngineName);

// --- the folder browser

TEST(BrowserFold, AnswersThroughTheDialogHook) {
  QTemporaryDir dir;
  QDir(dir.path()).mkdir("dati");
  const QString target = QDir(dir.path()).filePath("dati");
  TBrowserFold b;
  EXPECT_EQ(b.RootFolder(), foDesktopExpanded);
  EXPECT_EQ(b.Options(), TBrowseInfoFlagSet(bfDirectoriesOnly | bfNewDialogStyle));
  TRecordingDialogs d;
  QString startedIn, preselected;
  bool dirsOnly = false;
  d.OnModal = [&](QDialog& dlg) {
    auto* fd = qobject_cast<QFileDialog*>(&dlg);
    if (!fd) return int(QDialog::Rejected);
    startedIn = fd->directory().absolutePath();
    preselected = fd->selectedFiles().value(0);
    dirsOnly = fd->fileMode() == QFileDialog::Directory && fd->testOption(QFileDialog::ShowDirsOnly);
    fd->selectFile(target);
    return int(QDialog::Accepted);
  };
  b.setDirectory(dir.path());
  EXPECT_TRUE(b.Execute());
  EXPECT_EQ(b.Directory(), target);
  // The folder is selected in its parent.
  EXPECT_EQ(preselected, QDir(dir.path()).absolutePath());
  EXPECT_TRUE(dirsOnly);
  // A missing folder: no preselection, the dialog starts at the root.
  b.setDirectory(dir.filePath("manca"));
  b.setRootFolder(foMyComputer);
  EXPECT_TRUE(b.Execute());
  EXPECT_EQ(startedIn, "/");
  // Cancelled, or a choice that is no folder: false and no directory.
  d.OnModal = [](QDialog&) { return int(QDialog::Rejected); };
  EXPECT_FALSE(b.Execute());
  EXPECT_EQ(b.Directory(), "");
  d.OnModal = [&](QDialog& dlg) {
    qobject_cast<QFileDialog*>(&dlg)->selectFile(dir.filePath("manca"));
    return int(QDialog::Accepted);
  };
  EXPECT_FALSE(b.Execute());
  EXPECT_EQ(b.Directory(), "");
}

TEST(BrowserFold, OptionsAndRootFolders) {
  TBrowserFold b;
  b.setOptions(bfIncludeURLs);
  EXPECT_EQ(b.Options(), TBrowseInfoFlagSet(bfIncludeURLs | bfIncludeFiles | bfUseNewUI | bfEditBox | bfNewDialogStyle));
  b.setOptions(bfShareable);
  EXPECT_EQ(b.Options(), TBrowseInfoFlagSet(bfShareable | bfUseNewUI | bfEditBox | bfNewDialogStyle));
  b.resetOptions();
  EXPECT_EQ(b.Options(), TBrowserFold::OptionsDefault());
  EXPECT_TRUE(b.setProperty("RootFolder", "foFonts"));
  EXPECT_EQ(b.RootFolder(), foFonts);
  const QString desktop = QStandardPaths::writableLocation(QStandardPaths::DesktopLocation);
  EXPECT_EQ(TBrowserFold::RootPath(foMyComputer), "/");
  EXPECT_EQ(TBrowserFold::RootPath(foPersonal), QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation));
  EXPECT_EQ(TBrowserFold::RootPath(foFonts), QStandardPaths::writableLocation(QStandardPaths::FontsLocation));
  EXPECT_EQ(TBrowserFold::RootPath(foPrograms), QStandardPaths::writableLocation(QStandardPaths::ApplicationsLocation));
  EXPECT_TRUE(TBrowserFold::RootPath(foRecycleBin).endsWith("/Trash/files"));
  for (TSHFolders f : {foDesktop, foDesktopExpanded, foControlPanel, foPrinters, foNetwork})
    EXPECT_EQ(TBrowserFold::RootPath(f), desktop);
}

// The analyser's tree file on a disk that filled up: EStreamError naming the
// file, the old file byte for byte, no temporary left.
TEST(TreeText, SaveOnAFullDiskKeepsTheOldFile) {
  TSmallDisk disk(128);
  REQUIRE_SMALL_DISK(disk);
  const QString file = disk.File(QStringLiteral("tree.dat"));
  PutFileBytes(file, QByteArray(3314, 'o'));
  disk.Fill();
  try {
    TreeText::Save(file, TreeText::Parse({"CLIENTI", "\tORDINI"}));
    ADD_FAILURE() << "no error";
  } catch (const EStreamError& e) {
    EXPECT_TRUE(e.Message().contains(file)) << e.Message().toStdString();
  }
  EXPECT_EQ(FileBytes(file), QByteArray(3314, 'o'));
  EXPECT_EQ(disk.Entries(), QStringList{QStringLiteral("tree.dat")});
}
