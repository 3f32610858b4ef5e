// The grid's customisation window and record window on both engines:
// Cancel gives back the exact layout bytes, the column page's moves, the rule
// pages' lines, help, and the record window's editors, pictures and failed
// posts. TARNWELL_RENDER_DIR=folder writes what they look like as PNGs.
#include <gtest/gtest.h>

#include <QBuffer>
#include <QComboBox>
#include <QListWidget>
#include <QPainter>
#include <QPushButton>
#include <QSlider>
#include <QSpinBox>
#include <QTabWidget>
#include <QTest>
#include <QTreeWidget>

#include <Tarnwell/database/DBTables.h>
#include <Tarnwell/database/EDGRecEd.h>
#include <Tarnwell/database/EnhQuery.h>
#include <Tarnwell/database/MemoTab.h>
#include <Tarnwell/platform/TDialogs.h>
#include <Tarnwell/visuals/ColCbBox.h>
#include <Tarnwell/visuals/FntCbBox.h>
#include "DbTestUtil.h"
#include "TestUtil.h"

using namespace Tarnwell;

namespace {

void SaveIfAsked(QWidget& w, const QString& name) {
  const QString dir = qEnvironmentVariable("TARNWELL_RENDER_DIR");
  if (dir.isEmpty()) return;
  QCoreApplication::processEvents();  // the layout's pending geometry
  w.grab().save(dir + QLatin1Char('/') + name);
}

class WindowTest : public EngineTest {
 protected:
  void SetUp() override {
    EngineTest::SetUp();
    if (IsSkipped()) return;
    mWindow.resize(760, 420);
    mGrid = new TEnhDBGrid(&mWindow);
    mGrid->setObjectName("GrigliaClienti");
    mGrid->setCaption("Clienti");
    mGrid->setGeometry(0, 0, 760, 420);
    mSource.setParent(&mWindow);
  }
  void Over(const QString& table) {
    mTable = new TTable(&mWindow);
    mTable->setDatabaseName(Alias());
    mTable->setTableName(table);
    mSource.setDataSet(mTable);
    mGrid->setDataSource(&mSource);
    mTable->Open();
    mWindow.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&mWindow));
  }
  // Runs Customize with `work` done inside the window; `ok` chooses the button.
  bool Customize(const std::function<void(TFormDBGridEdit&)>& work, bool ok) {
    TRecordingDialogs dialogs;
    dialogs.OnModal = [&](QDialog& d) {
      auto* f = qobject_cast<TFormDBGridEdit*>(&d);
      if (!f) return int(QDialog::Rejected);
      f->show();
      work(*f);
      return ok ? int(QDialog::Accepted) : int(QDialog::Rejected);
    };
    return mGrid->Customize();
  }
  QWidget mWindow;
  TEnhDBGrid* mGrid = nullptr;
  TDataSource mSource;
  TTable* mTable = nullptr;
};

TEST_P(WindowTest, CancelRestoresTheLayoutExactly) {
  Over("CLIENTI");
  mGrid->setConversion({"Tipo | = | ORG | Sostituisci con | Organiz."});
  mGrid->Columns()[2]->SetWidth(120);
  const QByteArray before = mGrid->LayoutBytes();
  bool checked = false;
  EXPECT_FALSE(Customize(
      [&](TFormDBGridEdit& f) {
        EXPECT_EQ(f.windowTitle(), "Personalizza - Clienti");
        EXPECT_EQ(f.Pages->count(), 5);
        EXPECT_EQ(f.ColumnsList->count(), mTable->FieldCount());
        EXPECT_EQ(f.AvailableList->count(), 0);
        f.MoveColumnEntry(0, 4);
        f.RemoveColumn(1);
        f.DataFontName->setFontName("DejaVu Serif");
        Q_EMIT f.DataFontName->Change(f.DataFontName);
        EXPECT_EQ(mGrid->Font().Name(), "DejaVu Serif");
        f.DataFontSize->setCurrentText("14");
        f.CellStyleBox->setCurrentIndex(2);
        f.FixedColumnsBox->setValue(2);
        // Every edit reaches the grid at once.
        EXPECT_EQ(mGrid->Columns()[3]->FieldName(), "CODCLI");
        EXPECT_EQ(mGrid->Columns().Count(), mTable->FieldCount() - 1);
        EXPECT_EQ(mGrid->Font().Size(), 14);
        EXPECT_EQ(mGrid->CellStyle(), csLowered);
        EXPECT_EQ(mGrid->FixedColumns(), 3);
        EXPECT_EQ(mGrid->FixedCols(), 3);
        checked = true;
      },
      false));
  EXPECT_TRUE(checked);
  EXPECT_EQ(mGrid->LayoutBytes(), before);
  // OK keeps them.
  EXPECT_TRUE(Customize([](TFormDBGridEdit& f) { f.MoveColumnEntry(0, 1); }, true));
  EXPECT_EQ(mGrid->Columns()[1]->FieldName(), "CODCLI");
  EXPECT_NE(mGrid->LayoutBytes(), before);
  // "Ripristina" goes back to how the window found the grid.
  Customize(
      [&](TFormDBGridEdit& f) {
        const QByteArray at = mGrid->LayoutBytes();
        f.RemoveColumn(0);
        f.RestoreButton->click();
        EXPECT_EQ(mGrid->LayoutBytes(), at);
        EXPECT_EQ(f.ColumnsList->count(), mTable->FieldCount());
      },
      true);
}

TEST_P(WindowTest, RemovingEveryColumnLeavesOneBlankThatTheNextFieldReplaces) {
  Over("CLIENTI");
  Customize(
      [&](TFormDBGridEdit& f) {
        f.RemoveAllColumns();
        ASSERT_EQ(mGrid->Columns().Count(), 1);
        EXPECT_TRUE(mGrid->Columns()[0]->FieldName().isEmpty());
        EXPECT_EQ(f.ColumnsList->count(), 0);
        EXPECT_EQ(f.AvailableList->count(), mTable->FieldCount());
        const QString first = f.AvailableList->item(2)->text();
        f.AddField(2);
        ASSERT_EQ(mGrid->Columns().Count(), 1);
        EXPECT_EQ(mGrid->Columns()[0]->FieldName(), first);
        EXPECT_EQ(f.AvailableList->count(), mTable->FieldCount() - 1);
        f.AddAllFields();
        EXPECT_EQ(mGrid->Columns().Count(), mTable->FieldCount());
        // A column without a field goes back as "[title]" and returns titled so.
        f.NewColumn();
        EXPECT_EQ(mGrid->Columns()[0]->TitleCaption(), "Nuova Colonna");
        EXPECT_EQ(f.ColumnsList->item(0)->text(), "Nuova Colonna");
        f.RemoveColumn(0);
        const int at = f.AvailableList->count() - 1;
        EXPECT_EQ(f.AvailableList->item(at)->text(), "[Nuova Colonna]");
        f.AddField(at);
        EXPECT_TRUE(mGrid->Columns()[mGrid->Columns().Count() - 1]->FieldName().isEmpty());
        EXPECT_EQ(mGrid->Columns()[mGrid->Columns().Count() - 1]->TitleCaption(), "Nuova Colonna");
        f.RemoveAllColumns();
      },
      true);
  // Saved blank, loaded as the fields.
  const QByteArray blank = mGrid->LayoutBytes();
  ASSERT_TRUE(mGrid->LoadLayout(blank));
  EXPECT_EQ(mGrid->Columns().Count(), mTable->FieldCount());
}

TEST_P(WindowTest, RulePagesWriteTheirLines) {
  Over("CLIENTI");
  Customize(
      [&](TFormDBGridEdit& f) {
        f.Pages->setCurrentIndex(4);
        f.NewSignal();
        EXPECT_EQ(mGrid->ColorCond(), QStringList{" | | | clWhite | clBlack"});
        f.SignalColumn->setCurrentIndex(f.SignalColumn->findText("DELTA"));
        f.SignalOperator->setCurrentIndex(3);
        f.SignalValue->setCurrentText("100");
        f.SignalBack->setColorValue(clRed);
        Q_EMIT f.SignalBack->Change(f.SignalBack);
        f.SignalText->setColorValue(clWhite);
        Q_EMIT f.SignalText->Change(f.SignalText);
        EXPECT_EQ(mGrid->ColorCond(), QStringList{"DELTA | < | 100 | clRed | clWhite"});
        ASSERT_EQ(mGrid->ColorRules().size(), 1u);
        EXPECT_EQ(mGrid->ColorRules()[0].CellColor, clRed);
        // The conversion page: a column without a field hides operator and value.
        f.Pages->setCurrentIndex(1);
        f.NewColumn();
        f.Pages->setCurrentIndex(3);
        f.NewConversion();
        f.ConvColumn->setCurrentText("NUOVA COLONNA");
        f.ConvFunction->setCurrentIndex(f.ConvFunction->findText("Parm1 * Parm2"));
        f.ConvParam1->setCurrentText("@DELTA");
        f.ConvParam2->setCurrentText("2");
        EXPECT_FALSE(f.ConvOperator->isVisible());
        EXPECT_FALSE(f.ConvValue->isVisible());
        EXPECT_TRUE(f.ConvParam2->isVisible());
        EXPECT_EQ(mGrid->Conversion(), QStringList{"NUOVA COLONNA |  |  | Parm1 * Parm2 | @DELTA | 2"});
        ASSERT_EQ(mGrid->ConversionRules().size(), 1u);
        EXPECT_EQ(mGrid->ConversionRules()[0].ConvFunction, 12);
        f.DeleteConversion();
        EXPECT_TRUE(mGrid->Conversion().isEmpty());
        EXPECT_FALSE(f.ConvDelete->isEnabled());
        // The column page: an empty title is kept as one blank.
        f.Pages->setCurrentIndex(2);
        ASSERT_GT(f.ColumnPropsList->topLevelItemCount(), 1);
        f.ColumnPropsList->setCurrentItem(f.ColumnPropsList->topLevelItem(1));
        f.ColumnTitle->setText("");
        Q_EMIT f.ColumnTitle->textEdited("");
        EXPECT_EQ(mGrid->Columns()[1]->TitleCaption(), " ");
        f.ColumnWidth->setValue(200);
        EXPECT_EQ(mGrid->Columns()[1]->Width(), 200);
      },
      true);
  EXPECT_EQ(mGrid->ColorCond(), QStringList{"DELTA | < | 100 | clRed | clWhite"});
}

TEST_P(WindowTest, HelpKeyAsksTheGrid) {
  Over("CATEGORIE");
  QString topic, sub;
  mGrid->OnHelp = [&](TObject*, const QString& t, const QString& s) {
    topic = t;
    sub = s;
  };
  Customize(
      [&](TFormDBGridEdit& f) {
        f.DataFontName->setFocus();
        QApplication::setActiveWindow(&f);
        QTest::keyClick(&f, Qt::Key_F1);
      },
      false);
  EXPECT_EQ(topic, "TFormDBGridEdit");
  Q_UNUSED(sub);
}

TEST_P(WindowTest, RecordWindowKeepsTheTypedValuesWhenThePostFails) {
  Over("CLIENTI");
  mTable->SetRecNo(3);
  const QString key = mTable->FieldByName("CODCLI")->AsString();
  TRecordingDialogs dialogs;
  bool checked = false;
  dialogs.OnModal = [&](QDialog& d) {
    auto* w = qobject_cast<TFormEditRecord*>(&d);
    if (!w) return int(QDialog::Rejected);
    w->show();
    EXPECT_EQ(w->windowTitle(), "Modifica Record");
    EXPECT_EQ(int(w->Editors().size()), mTable->FieldCount());
    auto* rag = w->findChild<TDBEdit*>("Edit_RAGSOCIALE");
    auto* city = w->findChild<TDBEdit*>("Edit_CITTA");
    EXPECT_NE(rag, nullptr);
    EXPECT_NE(city, nullptr);
    if (!rag || !city) return int(QDialog::Rejected);
    city->setFocus();
    city->selectAll();
    QTest::keyClicks(city, "Novara");
    rag->setFocus();
    rag->selectAll();
    QTest::keyClick(rag, Qt::Key_Backspace);  // a required field left empty
    EXPECT_EQ(mTable->State(), dsEdit);
    w->done(QDialog::Accepted);
    // Refused: the window stays, with the error and every typed value.
    EXPECT_TRUE(w->isVisible());
    EXPECT_FALSE(w->LastError().isEmpty());
    EXPECT_FALSE(dialogs.Messages.empty());
    EXPECT_EQ(city->text(), "Novara");
    EXPECT_TRUE(rag->text().isEmpty());
    EXPECT_EQ(mTable->State(), dsEdit);
    QTest::keyClicks(rag, "Rossi Ferramenta");
    w->done(QDialog::Accepted);
    EXPECT_FALSE(w->isVisible());
    EXPECT_TRUE(w->LastError().isEmpty());
    checked = true;
    return int(QDialog::Accepted);
  };
  mGrid->EditRecord();
  EXPECT_TRUE(checked);
  EXPECT_EQ(mTable->State(), dsBrowse);
  EXPECT_EQ(TDemoDb::Outside(GetParam(), "SELECT \"CITTA\" || '/' || \"RAGSOCIALE\" FROM \"CLIENTI\" WHERE \"CODCLI\" = " + key),
            "Novara/Rossi Ferramenta");
}

TEST_P(WindowTest, RecordWindowShowsPicturesAndLooksOnly) {
  Over("ARTICOLI");
  TRecordingDialogs dialogs;
  bool checked = false;
  dialogs.OnModal = [&](QDialog& d) {
    auto* w = qobject_cast<TFormEditRecord*>(&d);
    if (!w) return int(QDialog::Rejected);
    w->show();
    EXPECT_EQ(w->windowTitle(), "Visualizza Record");
    auto* foto = w->findChild<TDBImage*>("Edit_FOTO");
    EXPECT_NE(foto, nullptr);
    if (!foto) return int(QDialog::Rejected);
    for (QWidget* e : w->Editors())
      if (auto* le = qobject_cast<TDBEdit*>(e)) {
        EXPECT_TRUE(le->isReadOnly());
      }
    if (foto->AutoDisplay()) {
      EXPECT_FALSE(foto->Picture().isNull());
      if (foto->Picture().isNull()) return int(QDialog::Rejected);
      const int want =
          std::clamp(int(std::lround(double(foto->Picture().width()) / foto->Picture().height() * foto->height())),
                     10, 400);
      EXPECT_EQ(foto->width(), want);
    }
    w->Navigator()->BtnClick(TDBNavigator::nbNext);
    EXPECT_EQ(mTable->RecNo(), 2);
    // Every article has its picture, whichever way the engine keeps it.
    EXPECT_FALSE(foto->Picture().isNull());
    EXPECT_FALSE(foto->pixmap().isNull());
    SaveIfAsked(*w, "record-window.png");
    checked = true;
    return int(QDialog::Rejected);
  };
  mGrid->ShowRecord();
  EXPECT_TRUE(checked);
}

INSTANTIATE_TEST_SUITE_P(Engines, WindowTest, ::testing::Values(TEngine::SQLite, TEngine::PostgreSQL), EngineName);

// A picture kept behind a header of its own in a blob, and blobs that hold
// no usable picture: those change nothing.
TEST(RecordWindowPictures, BitmapBehindAHeaderAndDamagedBlobs) {
  TMemoTable m;
  m.FieldDefs().Add("NOME", ftString, 20);
  m.FieldDefs().Add("DATI", ftBlob);
  m.Open();
  QImage pic(40, 20, QImage::Format_RGB32);
  pic.fill(Qt::red);
  QByteArray bmp;
  {
    QBuffer b(&bmp);
    b.open(QIODevice::WriteOnly);
    pic.save(&b, "BMP");
  }
  auto add = [&](const QString& n, const QByteArray& bytes) {
    m.Append();
    m.FieldByName("NOME")->SetAsString(n);
    m.FieldByName("DATI")->SetValue(bytes);
    m.Post();
  };
  add("buono", QByteArray("OLE HEADER \x01\x02 xx\0\0", 18) + bmp);  // 18 header bytes, two of them zero
  add("rotto", QByteArray("xxBMgarbage-garbage-garbage"));
  add("vuoto", QByteArray());
  QWidget window;
  TDataSource src(&window);
  src.setDataSet(&m);
  auto* grid = new TEnhDBGrid(&window);
  grid->setDataSource(&src);
  m.First();
  TFormEditRecord w(grid, false);
  w.Build();
  auto* img = w.findChild<TDBImage*>("Edit_DATI");
  ASSERT_NE(img, nullptr);
  EXPECT_FALSE(img->AutoDisplay());
  ASSERT_FALSE(img->Picture().isNull());
  EXPECT_EQ(img->Picture().size(), QSize(40, 20));
  EXPECT_EQ(img->width(), 300);  // 40 / 20 * 150
  m.Next();
  w.FitImages();
  // Another record's picture is not shown for this one; the damaged bitmap
  // itself changes nothing.
  EXPECT_TRUE(img->Picture().isNull());
  EXPECT_FALSE(img->LoadPicture());
  EXPECT_EQ(img->width(), 300);
  m.Next();
  w.FitImages();
  EXPECT_EQ(img->width(), 300);
  // A closed dataset: no editors, the designed size.
  m.Close();
  TFormEditRecord closed(grid, true);
  const QSize designed = closed.size();
  closed.Build();
  EXPECT_TRUE(closed.Editors().empty());
  EXPECT_EQ(closed.size(), designed);
}

// What the user sees: the grid over the demo table with its rules, and the
// customisation window's first two pages.
TEST(GridPictures, RenderGridAndCustomisationWindow) {
  QLocale::setDefault(QLocale(QLocale::Italian, QLocale::Italy));
  QWidget window;
  window.resize(760, 360);
  TTable t(&window);
  t.setDatabaseName(TDemoDb::Alias(TEngine::SQLite));
  t.setTableName("MOVIMENTI");
  TDataSource src(&window);
  src.setDataSet(&t);
  auto* grid = new TEnhDBGrid(&window);
  grid->setGeometry(0, 0, 760, 360);
  grid->setDataSource(&src);
  grid->setCaption("Movimenti");
  grid->setColorCond({"DELTA | < | 100 | clRed | clWhite", "DELTA | > | 200 | clYellow | clBlue"});
  grid->setConversion({"Tipo | = | ORG | Sostituisci con | Organiz."});
  grid->setCellStyle(csRaised);
  t.Open();
  window.show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
  const int delta = [&] {
    for (int i = 0; i < grid->Columns().Count(); ++i)
      if (grid->Columns()[i]->FieldName() == "DELTA") return i + 1;
    return -1;
  }();
  grid->SetTopLeft(std::max(1, delta - 3), 1);
  const QImage shot = grid->grab().toImage();
  EXPECT_EQ(shot.size(), grid->size());
  SaveIfAsked(*grid, "grid.png");
  // The filter box over a title, its glyph beside it.
  grid->setCanFilter(true);
  grid->OpenTitleEdit(grid->Columns().Count() - 3, true);
  EXPECT_TRUE(grid->TitleEditVisible());
  SaveIfAsked(*grid, "grid-filter.png");
  grid->HideTitleEdit();
  // Sort indicators over a query: primary ascending, second descending.
  TEnhQuery q(&window);
  q.setDatabaseName(TDemoDb::Alias(TEngine::SQLite));
  q.setZFrom({"CLIENTI"});
  src.setDataSet(&q);
  q.Open();
  grid->setColorCond({});
  grid->setConversion({});
  grid->ToggleSortColumn(3);
  grid->ToggleSortColumn(1);
  grid->ToggleSortColumn(1);
  bool desc = false;
  EXPECT_EQ(grid->GetSortPosition(3, desc), 0);
  EXPECT_EQ(grid->GetSortPosition(1, desc), 1);
  EXPECT_TRUE(desc);
  SaveIfAsked(*grid, "grid-sorted.png");
  TFormDBGridEdit edit(grid);
  edit.show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(&edit));
  SaveIfAsked(edit, "customise-grid.png");
  edit.Pages->setCurrentIndex(1);
  SaveIfAsked(edit, "customise-fields.png");
  edit.Pages->setCurrentIndex(4);
  SaveIfAsked(edit, "customise-signals.png");
  EXPECT_EQ(edit.windowTitle(), "Personalizza - Movimenti");
}

}  // namespace
