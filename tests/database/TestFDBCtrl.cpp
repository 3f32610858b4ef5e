// The "DB Controls" window end to end, offscreen, on both engines: choosing
// the alias, opening a table with a double click, the rule colours as the
// main grid paints them, the conversion's text, the lower grids following
// the page, the layout file, the analyser and the tree driving the grids,
// and the caption strip of the maximised window.
#include <gtest/gtest.h>

#include <QComboBox>
#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QListWidget>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QStandardPaths>
#include <QTest>

#include <Tarnwell/database/DBEngine.h>
#include <Tarnwell/database/DBTreeVForm.h>
#include <Tarnwell/database/demo/DBDemos.h>
#include <Tarnwell/database/demo/FDBCtrl.h>
#include <Tarnwell/platform/TDialogs.h>
#include "DbTestUtil.h"
#include "SmallDisk.h"

using namespace Tarnwell;

namespace {

class DBCtrlTest : public EngineTest {
 protected:
  void SetUp() override {
    EngineTest::SetUp();
    if (IsSkipped()) return;
    QStandardPaths::setTestModeEnabled(true);
    // A folder of this process's own: CTest runs the engines' cases side by
    // side, and one's "Save Grid" must not meet the other's "Load Grid first".
    mAppName = QCoreApplication::applicationName();
    QCoreApplication::setApplicationName(mAppName + QStringLiteral("-%1").arg(QCoreApplication::applicationPid()));
    QFile::remove(TFormDBCtrl::LayoutFile());
  }
  void TearDown() override {
    if (!mAppName.isNull()) {
      QFile::remove(TFormDBCtrl::LayoutFile());
      QDir().rmdir(QFileInfo(TFormDBCtrl::LayoutFile()).path());
      QCoreApplication::setApplicationName(mAppName);
    }
    EngineTest::TearDown();
  }
  QString mAppName;
  // The window's own alias on SQLite; the server's on PostgreSQL.
  QString DemoAlias() {
    if (Pg()) return Alias();
    TDemoDb::Alias(TEngine::SQLite);
    SetDemoDatabasePath(TDemoDb::SqliteFile());
    return DemoAliasName();
  }
};

int DataColumn(TEnhDBGrid* g, const QString& field) {
  for (int i = 0; i < g->Columns().Count(); ++i)
    if (g->Columns()[i]->FieldName().compare(field, Qt::CaseInsensitive) == 0) return i;
  return -1;
}

}  // namespace

TEST_P(DBCtrlTest, ChooseAliasOpenTableRulesPagesAndLayout) {
  TRecordingDialogs dialogs;
  int modals = 0;
  dialogs.OnModal = [&](QDialog&) {
    ++modals;
    return int(QDialog::Rejected);
  };
  TFormDBCtrl form;
  form.resize(1400, 600);
  form.show();
  EXPECT_EQ(form.windowTitle(), "FormDBCtrl");
  EXPECT_EQ(form.PageControl->tabText(0), "Browse");
  EXPECT_EQ(form.PageControl->tabText(1), "Explore");
  EXPECT_EQ(form.EnhDBGrid1->height(), 1);
  EXPECT_EQ(form.EnhDBGrid2->height(), 1);
  EXPECT_FALSE(form.PanelCaption->isVisible());
  EXPECT_TRUE(form.DBGrid->ReadOnly());
  EXPECT_EQ(form.EnhDBGrid2->Caption(), "Griglia di Prova");

  // Choose the alias, double-click a table.
  const QString alias = DemoAlias();
  const int at = form.ComboAlias->findText(alias);
  ASSERT_GE(at, 0) << alias.toStdString();
  form.ComboAlias->setCurrentIndex(at);
  Q_EMIT form.ComboAlias->activated(at);
  const auto found = form.ListTables->findItems("CLIENTI", Qt::MatchExactly);
  ASSERT_EQ(found.size(), 1);
  EXPECT_FALSE(form.ListTables->findItems("Righe Ordine", Qt::MatchExactly).isEmpty());
  const QRect itemRect = form.ListTables->visualItemRect(found[0]);
  QTest::mouseClick(form.ListTables->viewport(), Qt::LeftButton, {}, itemRect.center());
  QTest::mouseDClick(form.ListTables->viewport(), Qt::LeftButton, {}, itemRect.center());
  ASSERT_TRUE(form.EnhQueryT->Active()) << form.EnhQueryT->LastError().toStdString() << " "
                                        << (dialogs.Messages.empty() ? "" : dialogs.Messages[0].Text.toStdString());
  EXPECT_EQ(form.EnhQueryT->ZFrom(), QStringList{"\"CLIENTI\""});
  EXPECT_TRUE(dialogs.Messages.empty());

  // The rules as the main grid paints them: DELTA below 100 red, above 200
  // blue; Tipo "ORG" reads "Organiz.".
  TEnhDBGrid* g = form.DBGrid;
  const int delta = DataColumn(g, "DELTA"), tipo = DataColumn(g, "Tipo");
  ASSERT_GE(delta, 0);
  ASSERT_GE(tipo, 0);
  g->setLeftCol(std::max(g->FixedCols() + 1, g->DataToRawColumn(tipo) - 1));
  QApplication::processEvents();
  const QImage img = g->viewport()->grab().toImage();
  int red = 0, blue = 0, plain = 0, organiz = 0;
  TDataSet* ds = form.EnhQueryT;
  for (int row = g->TopRow(); row < g->RowCount(); ++row) {
    // Rows out of view have an empty rectangle.
    const TRect shown = g->CellRect(g->DataToRawColumn(delta), row);
    if (shown.Bottom <= shown.Top || shown.Bottom >= img.height()) break;
    const int recNo = g->RowRecNo(row);
    if (recNo <= 0) continue;
    ds->SetRecNo(recNo);
    const QVariant v = ds->FieldByName("DELTA")->Value();
    const TRect r = g->CellRect(g->DataToRawColumn(delta), row);
    ASSERT_GT(r.Right, r.Left) << "DELTA not visible";
    const QColor px = img.pixelColor(r.Left + 3, (r.Top + r.Bottom) / 2);
    if (!v.isNull() && v.toInt() < 100) {
      EXPECT_EQ(px, QColor(Qt::red)) << recNo;
      ++red;
    } else if (!v.isNull() && v.toInt() > 200) {
      EXPECT_EQ(px, QColor(Qt::blue)) << recNo;
      ++blue;
    } else {
      EXPECT_NE(px, QColor(Qt::red));
      EXPECT_NE(px, QColor(Qt::blue));
      ++plain;
    }
    const QString t = ds->FieldByName("Tipo")->AsString();
    if (t == "ORG") {
      EXPECT_EQ(g->ConvertCellText(tipo), "Organiz.");
      ++organiz;
    } else {
      EXPECT_EQ(g->ConvertCellText(tipo), t);
    }
  }
  EXPECT_GT(red, 0);
  EXPECT_GT(blue, 0);
  EXPECT_GT(plain, 0);
  EXPECT_GT(organiz, 0);

  // The lower grids follow the page.
  form.PageControl->setCurrentWidget(form.TabExplore);
  EXPECT_EQ(form.EnhDBGrid1->height(), 110);
  EXPECT_EQ(form.EnhDBGrid2->height(), 70);
  form.PageControl->setCurrentWidget(form.TabBrowse);
  EXPECT_EQ(form.EnhDBGrid1->height(), 1);
  EXPECT_EQ(form.EnhDBGrid2->height(), 1);

  // "Load Grid" before any "Save Grid": a message, the grid as it was.
  const QByteArray before = g->LayoutBytes();
  form.BtnLoadGrid->click();
  ASSERT_EQ(dialogs.Messages.size(), 1u);
  EXPECT_TRUE(dialogs.Messages[0].Text.contains("DBGrid.RES"));
  EXPECT_EQ(g->LayoutBytes(), before);
  // Saved, changed, loaded back.
  form.BtnSaveGrid->click();
  EXPECT_TRUE(QFile::exists(TFormDBCtrl::LayoutFile()));
  EXPECT_TRUE(TFormDBCtrl::LayoutFile().startsWith(
      QStandardPaths::writableLocation(QStandardPaths::AppDataLocation)));
  const int width = g->Columns()[tipo]->Width();
  g->Columns()[tipo]->SetWidth(width + 40);
  form.ActRestore->trigger();
  EXPECT_EQ(g->Columns()[tipo]->Width(), width);
  EXPECT_EQ(dialogs.Messages.size(), 1u);

  // The windows of the main grid.
  form.BtnCustomize->click();
  form.BtnShowRec->click();
  EXPECT_EQ(modals, 2);
  QTest::mouseClick(form.EnhDBGrid2->viewport(), Qt::LeftButton, {}, QPoint(0, 0));
  QTest::mouseDClick(form.EnhDBGrid2->viewport(), Qt::LeftButton, {}, QPoint(0, 0));
  EXPECT_EQ(modals, 3);
  QFile::remove(TFormDBCtrl::LayoutFile());
}

TEST_P(DBCtrlTest, AnalyserAndTreeDriveTheLowerGrids) {
  TRecordingDialogs dialogs;
  const QString alias = DemoAlias();
  dialogs.OnModal = [&](QDialog& d) {
    auto* f = qobject_cast<TFormDBAnalizer*>(&d);
    if (!f) return int(QDialog::Rejected);
    f->ComboAlias->setCurrentIndex(f->ComboAlias->findText(alias));
    f->LoadTables(alias, false);
    for (int i = 0; i < f->CheckListTables->count(); ++i) {
      QListWidgetItem* it = f->CheckListTables->item(i);
      it->setCheckState(DemoTableNames().contains(it->text()) ? Qt::Checked : Qt::Unchecked);
    }
    f->Explore();
    f->OkClick();
    return f->result();
  };
  TFormDBCtrl form;
  form.resize(1000, 600);
  form.show();
  form.PageControl->setCurrentWidget(form.TabExplore);
  form.BtnAnalize->click();
  TDBTreeView* tree = form.DBTreeView;
  ASSERT_NE(tree->FindNode({"Tabelle", "Principali", "CLIENTI", "Dettagli", "ORDINI"}), nullptr);
  EXPECT_EQ(tree->Alias(), alias);
  EXPECT_TRUE(tree->topLevelItem(0)->isExpanded());
  tree->FindNode({"Tabelle", "Principali", "CLIENTI"})->setExpanded(true);
  ASSERT_TRUE(form.EnhQueryT->Active()) << form.EnhQueryT->LastError().toStdString();
  tree->NodeClicked(tree->FindNode({"Tabelle", "Principali", "CLIENTI", "Dettagli", "ORDINI"}));
  ASSERT_TRUE(form.EnhQuery1->Active()) << form.EnhQuery1->LastError().toStdString();
  auto check = [&] {
    const QVariant cod = form.EnhQueryT->FieldByName("CODCLI")->Value();
    for (form.EnhQuery1->First(); !form.EnhQuery1->Eof(); form.EnhQuery1->Next())
      EXPECT_EQ(form.EnhQuery1->FieldByName("CODCLI")->Value().toLongLong(), cod.toLongLong());
  };
  check();
  EXPECT_GT(form.EnhDBGrid1->KnownRows(), 0);
  form.EnhQueryT->Next();
  check();
  // A table opened from the browser has no dependents of the tree's master.
  form.ComboAlias->setCurrentIndex(form.ComboAlias->findText(alias));
  form.OpenTable("ORDINI");
  ASSERT_TRUE(form.EnhQueryT->Active());
  EXPECT_FALSE(form.EnhQuery1->Active());
  EXPECT_EQ(tree->DetailTableName(), "");
  form.EnhQueryT->Next();
  EXPECT_FALSE(form.EnhQuery1->Active());
  EXPECT_TRUE(dialogs.Messages.empty());
}

TEST(DBCtrlWindow, CaptionStripWhileMaximised) {
  QMdiArea area;
  area.resize(900, 700);
  auto* form = new TFormDBCtrl;
  QMdiSubWindow* sub = area.addSubWindow(form);
  area.show();
  sub->show();
  EXPECT_FALSE(form->PanelCaption->isVisible());
  sub->showMaximized();
  QApplication::processEvents();
  EXPECT_TRUE(form->PanelCaption->isVisible());
  EXPECT_EQ(form->LabelCaption->text(), "Data Browser");
  EXPECT_EQ(form->BtnClose->Hint(), "Chiudi|Chiude la finestra");
  EXPECT_EQ(form->PageControl->y(), form->PanelCaption->height());
  form->BtnRestore->click();
  QApplication::processEvents();
  EXPECT_FALSE(sub->isMaximized());
  EXPECT_FALSE(form->PanelCaption->isVisible());
  EXPECT_EQ(form->PageControl->y(), 0);
  QPointer<QMdiSubWindow> gone(sub);
  form->BtnClose->click();
  QApplication::processEvents();
  QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
  EXPECT_TRUE(gone.isNull());
}

INSTANTIATE_TEST_SUITE_P(Engines, DBCtrlTest, ::testing::Values(TEngine::SQLite, TEngine::PostgreSQL), EngineName);

// "Save Grid" on a disk that filled up: the message, the old layout file
// byte for byte, no temporary left.
TEST(DBCtrlWindow, SaveGridOnAFullDiskKeepsTheOldLayout) {
  QStandardPaths::setTestModeEnabled(true);
  struct TRestore {
    QString App, Folder;
    ~TRestore() {
      QDir(Folder).removeRecursively();
      QCoreApplication::setApplicationName(App);
    }
  } restore{QCoreApplication::applicationName(), QString()};
  QCoreApplication::setApplicationName(restore.App + QStringLiteral("-full-%1").arg(QCoreApplication::applicationPid()));
  const QString file = TFormDBCtrl::LayoutFile();
  restore.Folder = QFileInfo(file).path();
  QDir().mkpath(restore.Folder);
  TSmallDisk disk(128, restore.Folder);
  REQUIRE_SMALL_DISK(disk);
  PutFileBytes(file, QByteArray(3314, 'o'));
  disk.Fill();
  TRecordingDialogs dialogs;
  TFormDBCtrl form;
  form.BtnSaveGrid->click();
  EXPECT_EQ(dialogs.Messages.size(), 1u);
  EXPECT_EQ(FileBytes(file), QByteArray(3314, 'o'));
  EXPECT_EQ(disk.Entries(), QStringList{QStringLiteral("DBGrid.RES")});
}
