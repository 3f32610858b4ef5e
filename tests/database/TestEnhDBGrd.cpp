// The enhanced grid on both engines: lazy reading and painting over the demo
// tables, the layout stream (round trip, damaged streams), title sorting,
// fixed columns, the rules' colours sampled from a rendered grid, and the
// title box in search and filter mode.
#include <gtest/gtest.h>

#include <QFontMetrics>

#include <QBuffer>
#include <QDataStream>
#include <QLineEdit>
#include <QMenu>
#include <QSignalSpy>
#include <QPainter>
#include <QTest>

#include <Tarnwell/database/DBTables.h>
#include <Tarnwell/database/EnhDBGrd.h>
#include <Tarnwell/database/EnhQuery.h>
#include <Tarnwell/database/MemoTab.h>
#include <Tarnwell/platform/TDialogs.h>
#include "DbTestUtil.h"
#include "TestUtil.h"

using namespace Tarnwell;

namespace {

class GridTest : public EngineTest {
 protected:
  void SetUp() override {
    EngineTest::SetUp();
    if (IsSkipped()) return;
    mWindow.resize(700, 420);
    mGrid = new TEnhDBGrid(&mWindow);
    mGrid->setObjectName("GrigliaMovimenti");
    mGrid->setGeometry(0, 0, 700, 420);
    mSource.setParent(&mWindow);
  }
  // The grid over a table of the demo database.
  void OverTable(const QString& table) {
    mTable = new TTable(&mWindow);
    mTable->setDatabaseName(Alias());
    mTable->setTableName(table);
    mSource.setDataSet(mTable);
    mGrid->setDataSource(&mSource);
    mTable->Open();
    mWindow.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&mWindow));
  }
  TEnhQuery* OverQuery(const QString& table) {
    auto* q = new TEnhQuery(&mWindow);
    q->setDatabaseName(Alias());
    q->setZFrom({table});
    mSource.setDataSet(q);
    mGrid->setDataSource(&mSource);
    q->Open();
    mWindow.show();
    EXPECT_TRUE(QTest::qWaitForWindowExposed(&mWindow));
    return q;
  }
  int RawOf(const QString& field) const {
    for (int i = 0; i < mGrid->Columns().Count(); ++i)
      if (mGrid->Columns()[i]->FieldName().compare(field, Qt::CaseInsensitive) == 0) return i + 1;
    return -1;
  }
  QPoint SortZone(int raw) const {
    const TRect r = mGrid->CellRect(raw, 0);
    return QPoint(r.Right - 8, r.Top + r.Height() / 2);
  }
  QPoint TitleMiddle(int raw) const {
    const TRect r = mGrid->CellRect(raw, 0);
    return QPoint(r.Left + 30, r.Top + r.Height() / 2);
  }
  QImage Render() {
    QImage img(mGrid->viewport()->size(), QImage::Format_RGB32);
    img.fill(Qt::white);
    QPainter p(&img);
    mGrid->PaintGrid(p, img.rect());
    return img;
  }
  QWidget mWindow;
  TEnhDBGrid* mGrid = nullptr;
  TDataSource mSource;
  TTable* mTable = nullptr;
};

TEST_P(GridTest, ShowsTheFirstPageAndReadsOnAsItScrolls) {
  OverTable("MOVIMENTI");
  EXPECT_EQ(mGrid->Columns().Count(), mTable->FieldCount());
  EXPECT_EQ(mGrid->Columns()[0]->TitleCaption(), "ID");
  // Only about a page (and a batch more) has been read.
  EXPECT_LT(mTable->CachedCount(), TDemoDb::kMovements);
  EXPECT_GE(mGrid->KnownRows(), mGrid->VisibleRowCount());
  const QImage img = Render();
  EXPECT_FALSE(img.isNull());
  // The row of the current record is the dataset's.
  EXPECT_EQ(mGrid->Row(), 1);
  mTable->MoveBy(5);
  EXPECT_EQ(mGrid->Row(), 6);
  // A click on a row moves the dataset there.
  QTest::mouseClick(mGrid->viewport(), Qt::LeftButton, {}, mGrid->CellRect(2, 3).ToQRect().center());
  EXPECT_EQ(mTable->RecNo(), 3);
  // Ctrl+End reads to the end and shows the last record.
  mGrid->setFocus();
  QTest::keyClick(mGrid, Qt::Key_End, Qt::ControlModifier);
  EXPECT_EQ(mTable->RecNo(), TDemoDb::kMovements);
  EXPECT_EQ(mGrid->Row(), TDemoDb::kMovements);
  EXPECT_EQ(mGrid->RowCount(), TDemoDb::kMovements + 1);
  // The cell texts read the shown records, not the current one.
  ASSERT_TRUE(mTable->SetDisplayRecord(1));
  const QString first = mGrid->ConvertCellText(0);
  mTable->SetDisplayRecord(0);
  EXPECT_EQ(first, TDemoDb::Outside(GetParam(), "SELECT MIN(\"ID\") FROM \"MOVIMENTI\""));
  EXPECT_EQ(mTable->FieldByName("ID")->AsString(),
            TDemoDb::Outside(GetParam(), "SELECT MAX(\"ID\") FROM \"MOVIMENTI\""));
}

TEST_P(GridTest, LayoutRoundTripsAndRefusesDamagedStreams) {
  OverTable("CLIENTI");
  mGrid->setColorCond({"DELTA | < | 100 | clRed | clWhite"});
  mGrid->setCellStyle(csRaised);
  mGrid->Columns()[1]->SetTitleCaption("Ragione Sociale");
  mGrid->Columns()[1]->SetWidth(150);
  TFont big = mGrid->Font();
  big.SetSize(12);
  big.SetStyle(fsBold);
  mGrid->Font().Assign(big);
  QBuffer buf;
  buf.open(QIODevice::ReadWrite);
  mGrid->SaveLayout(buf);
  const QByteArray saved = buf.data();
  ASSERT_EQ(quint8(saved[0]), 0xFF);
  EXPECT_TRUE(saved.mid(3).startsWith("GRIGLIAMOVIMENTI"));

  // Change fonts, colours, order and rules; loading brings back every one.
  TFont small = mGrid->Font();
  small.SetSize(8);
  small.SetStyle(0);
  mGrid->Font().Assign(small);
  mGrid->setTitleFont(small);
  mGrid->Columns().Move(0, 3);
  mGrid->Columns()[0]->SetColor(clYellow);
  mGrid->setColorCond({});
  mGrid->setCellStyle(csLowered);
  buf.seek(0);
  ASSERT_TRUE(mGrid->LoadLayout(buf)) << mGrid->LastLayoutError().toStdString();
  EXPECT_EQ(buf.pos(), saved.size());
  EXPECT_EQ(mGrid->Font().Size(), 12);
  EXPECT_EQ(mGrid->Font().Style(), TFontStyles(fsBold));
  EXPECT_EQ(mGrid->Columns()[0]->FieldName(), "CODCLI");
  EXPECT_EQ(mGrid->Columns()[1]->TitleCaption(), "Ragione Sociale");
  EXPECT_EQ(mGrid->Columns()[1]->Width(), 150);
  EXPECT_EQ(mGrid->ColorCond(), QStringList{"DELTA | < | 100 | clRed | clWhite"});
  EXPECT_EQ(mGrid->CellStyle(), csRaised);
  EXPECT_EQ(mGrid->LayoutBytes(), saved);

  // Damaged streams: every truncation, a foreign header, a wrong length, a
  // colour rule that names no colour. Each is refused and changes nothing.
  mGrid->Columns().Move(0, 2);
  const QByteArray before = mGrid->LayoutBytes();
  for (int n = 0; n < saved.size(); n += std::max(1, int(saved.size()) / 97))
    EXPECT_FALSE(mGrid->LoadLayout(saved.left(n))) << n;
  QByteArray badHeader = saved;
  badHeader[1] = 11;
  EXPECT_FALSE(mGrid->LoadLayout(badHeader));
  EXPECT_EQ(mGrid->LastLayoutError(), "Invalid stream format");
  QByteArray badLength = saved;
  const int lengthAt = 3 + int(saved.indexOf('\0', 3)) - 3 + 1 + 2;
  badLength[lengthAt] = char(quint8(badLength[lengthAt]) + 1);
  EXPECT_FALSE(mGrid->LoadLayout(badLength));
  QByteArray badColour = saved;
  badColour.replace("clRed", "clRxd");
  EXPECT_FALSE(mGrid->LoadLayout(badColour));
  EXPECT_FALSE(mGrid->LoadLayout(QByteArray()));
  EXPECT_EQ(mGrid->LayoutBytes(), before);

  // Two layouts in one stream (as the database window keeps three grids in
  // one file) are read one after the other.
  QByteArray two;
  QDataStream out(&two, QIODevice::WriteOnly);
  mGrid->SaveLayout(out);
  const QByteArray firstBytes = mGrid->LayoutBytes();
  mGrid->setCanFilter(true);
  mGrid->SaveLayout(out);
  QDataStream in(two);
  ASSERT_TRUE(mGrid->LoadLayout(in));
  EXPECT_FALSE(mGrid->CanFilter());
  ASSERT_TRUE(mGrid->LoadLayout(in));
  EXPECT_TRUE(mGrid->CanFilter());
  EXPECT_FALSE(mGrid->LoadLayout(in));
  Q_UNUSED(firstBytes);
}

TEST_P(GridTest, AGridWithoutColumnsSavesOneBlankAndLoadsTheFields) {
  OverTable("CLIENTI");
  mGrid->Columns().Clear();
  EXPECT_EQ(mGrid->ColCount(), 2);  // the indicator and one blank column
  const QByteArray blank = mGrid->LayoutBytes();
  TGridLayout g;
  qsizetype used = 0;
  QString why;
  ASSERT_TRUE(ReadGridLayout(blank, g, used, why));
  ASSERT_EQ(g.Columns.size(), 1u);
  EXPECT_TRUE(g.Columns[0].FieldName.isEmpty());
  ASSERT_TRUE(mGrid->LoadLayout(blank));
  EXPECT_EQ(mGrid->Columns().Count(), mTable->FieldCount());
}

TEST_P(GridTest, TitleClicksCycleTheSortAndTheSqlShowsIt) {
  TEnhQuery* q = OverQuery("CLIENTI");
  const int raw = RawOf("CITTA");
  ASSERT_GT(raw, 0);
  mGrid->SetTopLeft(raw, 1);
  const QString citta = Pg() ? "\"CITTA\"" : "CITTA";
  QTest::mouseClick(mGrid->viewport(), Qt::LeftButton, {}, SortZone(raw));
  EXPECT_EQ(q->SQL().last(), "ORDER BY " + citta);
  bool desc = true;
  EXPECT_EQ(mGrid->GetSortPosition(raw - 1, desc), 0);
  EXPECT_FALSE(desc);
  QTest::mouseClick(mGrid->viewport(), Qt::LeftButton, {}, SortZone(raw));
  EXPECT_EQ(q->SQL().last(), "ORDER BY " + citta + " DESC");
  EXPECT_EQ(mGrid->GetSortPosition(raw - 1, desc), 0);
  EXPECT_TRUE(desc);
  QTest::mouseClick(mGrid->viewport(), Qt::LeftButton, {}, SortZone(raw));
  EXPECT_EQ(q->SQL().last(), "ORDER BY " + citta);
  // The grid shows the sorted rows.
  q->First();
  EXPECT_EQ(q->FieldByName("CITTA")->AsString(),
            TDemoDb::Outside(GetParam(), "SELECT \"CITTA\" FROM \"CLIENTI\" ORDER BY \"CITTA\" LIMIT 1"));
  // A right click in the zone removes the field from the order.
  QTest::mouseClick(mGrid->viewport(), Qt::RightButton, {}, SortZone(raw));
  EXPECT_EQ(mGrid->GetSortPosition(raw - 1, desc), -1);
  EXPECT_FALSE(q->SQL().join(' ').contains("ORDER BY"));
  // A click elsewhere on the title opens the search box, not a sort.
  QTest::mouseClick(mGrid->viewport(), Qt::LeftButton, {}, TitleMiddle(raw));
  EXPECT_TRUE(mGrid->TitleEditVisible());
  EXPECT_FALSE(mGrid->TitleEditFiltering());
  EXPECT_EQ(mGrid->GetSortPosition(raw - 1, desc), -1);
}

TEST_P(GridTest, TheLastColumnsSortZoneIsItsOwn) {
  TEnhQuery* q = OverQuery("CATEGORIE");
  mGrid->resize(900, 300);
  const int last = mGrid->Columns().Count();
  QTest::mouseClick(mGrid->viewport(), Qt::LeftButton, {}, SortZone(last));
  EXPECT_TRUE(q->SQL().join(' ').contains("ORDER BY"));
  // Past the last column is no zone at all.
  const TRect r = mGrid->CellRect(last, 0);
  QTest::mouseClick(mGrid->viewport(), Qt::LeftButton, {}, QPoint(r.Right + 30, r.Top + 3));
  bool desc = false;
  EXPECT_EQ(mGrid->GetSortPosition(last - 1, desc), 0);
  EXPECT_FALSE(desc);
}

TEST_P(GridTest, FixedColumnsKeepTheFirstDataColumnOutOfReach) {
  OverTable("CLIENTI");
  mGrid->setFixedColumns(2);
  EXPECT_EQ(mGrid->FixedCols(), 2);
  EXPECT_EQ(mGrid->Col(), 2);
  mGrid->setFocus();
  QTest::keyClick(mGrid, Qt::Key_Left);
  EXPECT_EQ(mGrid->Col(), 2);
  QTest::keyClick(mGrid, Qt::Key_Right);
  EXPECT_EQ(mGrid->Col(), 3);
  QTest::keyClick(mGrid, Qt::Key_Left);
  QTest::keyClick(mGrid, Qt::Key_Left);
  EXPECT_EQ(mGrid->Col(), 2);
  // A click on the fixed data column selects nothing and moves no record.
  QTest::mouseClick(mGrid->viewport(), Qt::LeftButton, {}, mGrid->CellRect(1, 4).ToQRect().center());
  EXPECT_EQ(mGrid->Col(), 2);
  EXPECT_EQ(mTable->RecNo(), 1);
  // The fixed column stays when the others scroll.
  mGrid->SetTopLeft(5, 1);
  EXPECT_FALSE(mGrid->CellRect(1, 1).IsEmpty());
}

TEST_P(GridTest, RuleColoursAndConversionsAsRendered) {
  TEnhQuery* q = OverQuery("MOVIMENTI");
  q->setZSelect({"ID", "DELTA", "Tipo"});
  q->setZOrderBy({"ID"});
  q->Rebuild(true);
  mGrid->setColorCond({"DELTA | < | 100 | clRed | clWhite", "delta | > | 200 | clYellow | clBlue"});
  mGrid->setConversion({"Tipo | = | ORG | Sostituisci con | Organiz."});
  const QImage img = Render();
  int low = 0, high = 0, middle = 0, org = 0;
  for (int row = 1; row <= mGrid->VisibleRowCount() && row <= mGrid->KnownRows(); ++row) {
    ASSERT_TRUE(q->SetDisplayRecord(row));
    const double delta = q->FieldByName("DELTA")->AsFloat();
    const QString tipo = q->FieldByName("Tipo")->AsString();
    const QString shown = mGrid->ConvertCellText(2);
    q->SetDisplayRecord(0);
    const TRect r = mGrid->CellRect(2, row);
    // A pixel of the cell's background, away from the text.
    const TColor bg = PixelAt(img, r.Right - 3, r.Bottom - 2);
    if (delta < 100) {
      EXPECT_EQ(bg, clRed) << row;
      ++low;
    } else if (delta > 200) {
      EXPECT_EQ(bg, clYellow) << row;
      ++high;
    } else {
      EXPECT_EQ(bg, clWhite) << row;
      ++middle;
    }
    if (tipo == "ORG") {
      EXPECT_EQ(shown, "Organiz.");
      ++org;
    } else {
      EXPECT_EQ(shown, tipo);
    }
    // Text pixels of the DELTA cell carry the rule's text colour.
    if (delta < 100 || delta > 200) {
      const TRect dr = mGrid->CellRect(2, row);
      const TColor want = delta < 100 ? clWhite : clBlue;
      bool found = false;
      for (int x = dr.Left; x < dr.Right && !found; ++x)
        for (int y = dr.Top; y < dr.Bottom && !found; ++y) found = PixelAt(img, x, y) == want;
      EXPECT_TRUE(found) << row;
    }
  }
  EXPECT_GT(low, 0);
  EXPECT_GT(high, 0);
  EXPECT_GT(org, 0);
  // The three-letter Tipo column is widened to show its substitute whole.
  const TRect tr = mGrid->CellRect(3, 1);
  EXPECT_GE(tr.Right - tr.Left, QFontMetrics(mGrid->Font().ToQFont()).horizontalAdvance(QStringLiteral("Organiz.")));
}

TEST_P(GridTest, FilterBoxUsesOnlyItsOperatorsAndKeepsTheFilterOnBadValues) {
  OverTable("CLIENTI");
  TRecordingDialogs dialogs;
  mGrid->setCanFilter(true);
  const int delta = RawOf("DELTA"), citta = RawOf("CITTA");
  mGrid->SetTopLeft(delta, 1);
  QTest::mouseClick(mGrid->viewport(), Qt::RightButton, {}, TitleMiddle(delta));
  ASSERT_TRUE(mGrid->TitleEditVisible());
  EXPECT_TRUE(mGrid->TitleEditFiltering());
  QTest::keyClicks(mGrid->TitleEdit(), ">= 100");
  QTest::keyClick(mGrid->TitleEdit(), Qt::Key_Return);
  EXPECT_EQ(mTable->Filter(), "DELTA >= 100");
  EXPECT_TRUE(mTable->Filtered());
  const int kept = mTable->RecordCount();
  EXPECT_EQ(QString::number(kept),
            TDemoDb::Outside(GetParam(), "SELECT COUNT(*) FROM \"CLIENTI\" WHERE \"DELTA\" >= 100"));
  // A value that is no number, an operator outside the six: the filter stays, the user is told.
  for (QString bad : {"> cento", "=> 5", ">< 5", ">= 1; DROP TABLE x"}) {
    QString why;
    EXPECT_FALSE(mGrid->ApplyTitleFilter(bad, &why)) << bad.toStdString();
    EXPECT_FALSE(why.isEmpty());
    EXPECT_EQ(mTable->Filter(), "DELTA >= 100");
    EXPECT_TRUE(mTable->Filtered());
  }
  mGrid->TitleEdit()->setText("> cento");
  QTest::keyClick(mGrid->TitleEdit(), Qt::Key_Return);
  ASSERT_FALSE(dialogs.Messages.empty());
  EXPECT_TRUE(dialogs.Messages.back().Text.contains("cento"));
  // On a text field the value is quoted, quotes doubled.
  mGrid->OpenTitleEdit(citta - 1, true);
  EXPECT_TRUE(mGrid->ApplyTitleFilter("= Bologna"));
  EXPECT_EQ(mTable->Filter(), "CITTA = 'Bologna'");
  EXPECT_TRUE(mGrid->ApplyTitleFilter("= L'Aquila"));
  EXPECT_EQ(mTable->Filter(), "CITTA = 'L''Aquila'");
  // A name without an operator removes the filter.
  EXPECT_TRUE(mGrid->ApplyTitleFilter("Bologna"));
  EXPECT_FALSE(mTable->Filtered());
  // A click in the filter box clears it and switches the filter off.
  EXPECT_TRUE(mGrid->ApplyTitleFilter("= Bologna"));
  mGrid->TitleEdit()->setText("x");
  QTest::mouseClick(mGrid->TitleEdit(), Qt::LeftButton);
  EXPECT_TRUE(mGrid->TitleEdit()->text().isEmpty());
  EXPECT_FALSE(mTable->Filtered());
}

TEST_P(GridTest, SearchBoxFindsByPrefixAndHidesOnKeys) {
  OverTable("CLIENTI");
  const int rag = RawOf("RAGSOCIALE");
  QTest::mouseClick(mGrid->viewport(), Qt::RightButton, {}, TitleMiddle(rag));  // CanFilter off: search
  ASSERT_TRUE(mGrid->TitleEditVisible());
  EXPECT_FALSE(mGrid->TitleEditFiltering());
  const QString target =
      TDemoDb::Outside(GetParam(), "SELECT \"RAGSOCIALE\" FROM \"CLIENTI\" ORDER BY \"CODCLI\" DESC LIMIT 1");
  QTest::keyClicks(mGrid->TitleEdit(), target.left(6).toLower());
  EXPECT_TRUE(mTable->FieldByName("RAGSOCIALE")->AsString().startsWith(target.left(6), Qt::CaseInsensitive));
  EXPECT_EQ(mGrid->Row(), mTable->RecNo());
  QTest::keyClick(mGrid->TitleEdit(), Qt::Key_Escape);
  EXPECT_FALSE(mGrid->TitleEditVisible());
  // Any key on the grid hides it as well.
  mGrid->OpenTitleEdit(0, false);
  ASSERT_TRUE(mGrid->TitleEditVisible());
  mGrid->setFocus();
  QTest::keyClick(mGrid, Qt::Key_Down);
  EXPECT_FALSE(mGrid->TitleEditVisible());
}

TEST_P(GridTest, SortsAMemoryTableByTitle) {
  TMemoTable m(&mWindow);
  m.FieldDefs().Add("NOME", ftString, 20);
  m.FieldDefs().Add("ETA", ftInteger);
  m.Open();
  for (auto [n, e] : {std::pair{"Carlo", 30}, {"Anna", 50}, {"Bruno", 40}}) {
    m.Append();
    m.FieldByName("NOME")->SetAsString(n);
    m.FieldByName("ETA")->SetAsInteger(e);
    m.Post();
  }
  mSource.setDataSet(&m);
  mGrid->setDataSource(&mSource);
  mWindow.show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(&mWindow));
  QTest::mouseClick(mGrid->viewport(), Qt::LeftButton, {}, SortZone(2));
  m.First();
  EXPECT_EQ(m.FieldByName("ETA")->AsInteger(), 30);
  QTest::mouseClick(mGrid->viewport(), Qt::LeftButton, {}, SortZone(2));
  m.First();
  EXPECT_EQ(m.FieldByName("ETA")->AsInteger(), 50);
  bool desc = false;
  EXPECT_EQ(mGrid->GetSortPosition(1, desc), 0);
  EXPECT_TRUE(desc);
  QTest::mouseClick(mGrid->viewport(), Qt::RightButton, {}, SortZone(2));
  EXPECT_EQ(mGrid->GetSortPosition(1, desc), -1);
}

TEST_P(GridTest, EditsThroughTheDataset) {
  OverTable("CLIENTI");
  const int city = RawOf("CITTA");
  mGrid->setFocus();
  mGrid->MoveCurrent(city, 2, false);
  EXPECT_EQ(mTable->RecNo(), 2);
  QTest::keyClick(mGrid, Qt::Key_F2);
  ASSERT_TRUE(mGrid->EditorMode());
  mGrid->InplaceEditor()->setText("Vercelli");
  QTest::keyClick(mGrid->InplaceEditor(), Qt::Key_Return);
  EXPECT_EQ(mTable->State(), dsEdit);
  const QString key = mTable->FieldByName("CODCLI")->AsString();
  QTest::keyClick(mGrid, Qt::Key_Down);  // leaving the row posts
  EXPECT_EQ(mTable->State(), dsBrowse);
  EXPECT_EQ(mTable->RecNo(), 3);
  EXPECT_EQ(TDemoDb::Outside(GetParam(), "SELECT \"CITTA\" FROM \"CLIENTI\" WHERE \"CODCLI\" = " + key), "Vercelli");
  mGrid->setReadOnly(true);
  QTest::keyClick(mGrid, Qt::Key_F2);
  EXPECT_FALSE(mGrid->EditorMode());
  // A right click on a data row pops the grid's menu up.
  QMenu menu;
  menu.addAction("Personalizza...");
  mGrid->SetPopupMenu(&menu);
  QSignalSpy asked(mGrid, &QWidget::customContextMenuRequested);
  QTest::mouseClick(mGrid->viewport(), Qt::RightButton, {}, mGrid->CellRect(2, 2).ToQRect().center());
  EXPECT_EQ(asked.count(), 1);
  EXPECT_TRUE(menu.isVisible());
  menu.hide();
}

TEST_P(GridTest, ShowsAFilteredDatasetAndTheRecordBeingInserted) {
  OverTable("MOVIMENTI");
  mTable->setFilter("Tipo = 'ORG'");
  mTable->setFiltered(true);
  // Rows are the accepted records; painting reads them without moving.
  const int want = TDemoDb::Outside(GetParam(), "SELECT COUNT(*) FROM \"MOVIMENTI\" WHERE \"Tipo\" = 'ORG'").toInt();
  QTest::keyClick(mGrid, Qt::Key_End, Qt::ControlModifier);
  EXPECT_EQ(mGrid->KnownRows(), want);
  EXPECT_EQ(mGrid->RowCount(), want + 1);
  const int tipo = RawOf("Tipo") - 1;
  for (int row : {1, want / 2, want}) {
    ASSERT_TRUE(mTable->SetDisplayRecord(row));
    EXPECT_EQ(mGrid->ConvertCellText(tipo), "ORG") << row;
  }
  EXPECT_FALSE(mTable->SetDisplayRecord(want + 1));
  mTable->SetDisplayRecord(0);
  EXPECT_EQ(mTable->RecNo(), want);
  Render();
  EXPECT_EQ(mTable->RecNo(), want);
  // Inserting before the current record shows one row more, there.
  mTable->setFiltered(false);
  mTable->SetRecNo(3);
  mTable->Insert();
  EXPECT_EQ(mTable->InsertRecNo(), 3);
  EXPECT_EQ(mGrid->Row(), 3);
  EXPECT_EQ(mGrid->RowRecNo(3), -1);
  EXPECT_EQ(mGrid->RowRecNo(4), 3);
  EXPECT_EQ(mGrid->RowCount(), mGrid->KnownRows() + 2);
  Render();
  mTable->Cancel();
  EXPECT_EQ(mGrid->RowRecNo(3), 3);
  EXPECT_EQ(mGrid->Row(), 3);
}

TEST_P(GridTest, ResetAndDefaultLayouts) {
  OverTable("CLIENTI");
  // The layout the grid had when it was shown is its default.
  const QByteArray initial = mGrid->InitialLayout();
  ASSERT_FALSE(initial.isEmpty());
  mGrid->setColorCond({"DELTA | < | 100 | clRed | clWhite"});
  mGrid->setFixedColumns(3);
  mGrid->Columns().Move(0, 2);
  mGrid->ResetLayout();
  EXPECT_TRUE(mGrid->ColorCond().isEmpty());
  EXPECT_TRUE(mGrid->ColorRules().empty());
  EXPECT_EQ(mGrid->FixedColumns(), 1);
  EXPECT_EQ(mGrid->FixedCols(), 1);
  EXPECT_EQ(mGrid->Columns()[0]->FieldName(), "CODCLI");
  mGrid->setCellStyle(csLowered);
  mGrid->RestoreDefaultLayout();
  EXPECT_EQ(mGrid->LayoutBytes(), initial);
  // ClearOnRestore stops after the reset.
  mGrid->setCellStyle(csLowered);
  mGrid->setClearOnRestore(true);
  mGrid->RestoreDefaultLayout();
  EXPECT_EQ(mGrid->CellStyle(), csNone);
  EXPECT_TRUE(mGrid->ClearOnRestore());
}

INSTANTIATE_TEST_SUITE_P(Engines, GridTest, ::testing::Values(TEngine::SQLite, TEngine::PostgreSQL), EngineName);

// Edge colours and caption fitting need no database.
TEST(GridDrawing, EdgeColoursAndCaptions) {
  TColor l, d;
  TEnhDBGrid::GetEdgeColors(clYellow, l, d);
  EXPECT_EQ(l, clWhite);
  EXPECT_EQ(d, clOlive);
  TEnhDBGrid::GetEdgeColors(clBtnFace, l, d);
  EXPECT_EQ(l, clBtnHighlight);
  EXPECT_EQ(d, clBtnShadow);
  TEnhDBGrid::GetEdgeColors(RGB(1, 2, 3), l, d);
  EXPECT_EQ(l, clBlack);
  EXPECT_EQ(d, clWhite);
  QFont f("DejaVu Sans");
  f.setPixelSize(11);
  const QString longTitle(60, QLatin1Char('W'));
  const QString fitted = TEnhDBGrid::FitCaption(longTitle, 100 - 14, f);
  EXPECT_TRUE(fitted.endsWith("..."));
  EXPECT_LE(QFontMetrics(f).horizontalAdvance(fitted), 86);
  EXPECT_EQ(TEnhDBGrid::FitCaption("ID", 86, f), "ID");
}

}  // namespace
