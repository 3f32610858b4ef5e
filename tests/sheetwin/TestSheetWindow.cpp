// The "Foglio di Calcolo" window: layout, keys, commands, files, printing.
#include <Tarnwell/app/DemoRegistry.h>
#include <Tarnwell/app/FPreview.h>
#include <Tarnwell/app/QuickRpt.h>
#include <Tarnwell/database/MemoTab.h>
#include <Tarnwell/pattern/PatPanel.h>
#include <Tarnwell/platform/THourglass.h>
#include <Tarnwell/spreadsheet/FCelFrmt.h>
#include <Tarnwell/spreadsheet/SShtPrint.h>
#include <Tarnwell/visuals/FntCbBox.h>
#include <gtest/gtest.h>

#include <QComboBox>
#include <QFile>
#include <QLineEdit>
#include <QProcess>
#include <QTemporaryDir>
#include <QUndoStack>

#include "SheetWinTestUtil.h"

namespace Tarnwell {
void RegisterDemo_spreadsheet();
}

namespace {

QByteArray ReadAll(const QString& file) {
  QFile f(file);
  return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

}  // namespace

TEST(SheetWindow, LayoutControlsAndStartState) {
  TSheetWindow t;
  auto& w = *t.w;
  EXPECT_EQ(w.windowTitle(), "Foglio di Calcolo");
  EXPECT_EQ(w.DesignSize(), QSize(559, 415));
  EXPECT_EQ(w.BorderIcons(), TBorderIcons(biSystemMenu | biMinimize));
  EXPECT_EQ(w.PanelButtons->geometry(), QRect(0, 0, w.width(), 60));
  EXPECT_EQ(w.PanelGrid->BorderWidth(), 4);
  EXPECT_EQ(w.PanelFormula->height(), 24);
  EXPECT_EQ(w.PanelGrid->geometry().bottom(), w.height() - 1);
  EXPECT_EQ(w.EditFormula->geometry().right(), w.PanelFormula->width() - 1);  // stretches
  EXPECT_TRUE(t.g.Headers());
  EXPECT_FALSE(t.g.AutoRecalc());
  EXPECT_FALSE(t.g.EditEnabled());
  EXPECT_EQ(t.g.ColCount(), 703);
  EXPECT_GE(t.g.RowCount(), 1001);
  EXPECT_EQ(t.g.DefaultRowHeight(), 16);
  EXPECT_FALSE(w.EditAreaID->isEnabled());
  EXPECT_TRUE(w.EditAreaID->isReadOnly());
  EXPECT_FALSE(w.BtnFindNext->isEnabled());
  EXPECT_FALSE(w.PopGridColWidth->isEnabled());
  EXPECT_FALSE(w.PopGridRowHeight->isEnabled());
  EXPECT_TRUE(TFormVDBChildSpreadSheet().BtnLeft->isChecked());  // as designed, before any move
  for (auto* b : {w.BtnPrintGrid, w.BtnPrintLandscape, w.BtnEdit, w.BtnAutoRecalc, w.BtnBold, w.BtnItalic,
                  w.BtnUnder, w.BtnLeft, w.BtnCenter, w.BtnRight})
    EXPECT_TRUE(b->isCheckable()) << b->objectName().toStdString();
  EXPECT_EQ(w.BtnBold->text(), "B");
  EXPECT_EQ(w.BtnItalic->text(), "I ");
  EXPECT_EQ(w.BtnUnder->text(), "U");
  QStringList sizes;
  for (int i = 0; i < w.CBFontSize->count(); ++i) sizes << w.CBFontSize->itemText(i);
  EXPECT_EQ(sizes.join(","), "6,7,8,9,10,11,12,13,14,16,18,20,22,24,26,28,30,32,34,36");
  QStringList types;
  for (int i = 0; i < w.CBDataType->count(); ++i) types << w.CBDataType->itemText(i);
  EXPECT_EQ(types.join(","), "General,Text,Number,Boolean,Date,Time,DateTime");
}

TEST(SheetWindow, HintsShowInTheStatusLineOnly) {
  TSheetWindow t;
  auto& w = *t.w;
  EXPECT_EQ(w.BtnNew->Hint(), "|Svuota il Foglio di Calcolo");
  EXPECT_EQ(w.BtnNew->statusTip(), "Svuota il Foglio di Calcolo");
  EXPECT_TRUE(w.BtnNew->toolTip().isEmpty());
  EXPECT_EQ(w.BtnEdit->statusTip(), "Abilita/Disabilita l'editing diretto sulla griglia");
  EXPECT_EQ(w.BtnFindNext->statusTip(), "Trova la successiva cella con il testo specificato");
  EXPECT_EQ(w.BtnMakeBox->statusTip(), "Crea un rettangolo sulle celle selezionate");
  EXPECT_EQ(w.BtnRecalc->statusTip(), "Esegue il ricalcolo dell'intero foglio");
  // The menu: captions, hints and separators after height, insert and import.
  QStringList items;
  for (QAction* a : w.PopupMenuGrid->actions()) items << (a->isSeparator() ? QString("-") : a->text());
  EXPECT_EQ(
      items.join("|"),
      "Formato &Celle...|&Larghezza Colonne...|&Altezza Righe...|-|&Cancella|&Elimina|&Rimuovi|&Inserisci|-|"
      "Importa &File|-|Esponi Dati &Selezionati");
  EXPECT_EQ(w.PopGridExpData->statusTip(),
            "Rende i dati selezionati disponibili ai moduli speciali tramite Tabella Memo");
  EXPECT_TRUE(w.PopGridCellFormat->statusTip().isEmpty());
}

TEST(SheetWindow, TypingOnTheGridTypesIntoTheFormulaBarAndEnterMovesDown) {
  TSheetWindow t;
  auto& w = *t.w;
  QTest::keyClick(&t.g, Qt::Key_Equal, Qt::NoModifier);  // "=" is no letter, yet starts a formula
  EXPECT_EQ(w.EditFormula->text(), "=");
  QTest::keyClicks(w.EditFormula, "2*21");
  QTest::keyClick(w.EditFormula, Qt::Key_Return);
  EXPECT_EQ(t.g.Cells().CellDisplayText(1, 1), "42");
  EXPECT_EQ(t.g.Row(), 2);
  EXPECT_EQ(t.g.Col(), 1);
  // A shifted and an accented letter arrive as typed.
  QKeyEvent shifted(QEvent::KeyPress, Qt::Key_P, Qt::ShiftModifier, "P");
  QApplication::sendEvent(&t.g, &shifted);
  EXPECT_EQ(w.EditFormula->text(), "P");
  QKeyEvent accented(QEvent::KeyPress, Qt::Key_Egrave, Qt::NoModifier, QString::fromUtf8("è"));
  QApplication::sendEvent(w.EditFormula, &accented);
  QTest::keyClick(w.EditFormula, Qt::Key_Down);
  EXPECT_EQ(t.g.Cells().CellDisplayText(1, 2), QString::fromUtf8("Pè"));
  EXPECT_EQ(t.g.Row(), 3);
  // F2 edits the cell's text where it stands, in the formula bar.
  t.g.SetCellText(1, 3, "abc");
  w.GridSelectCell(1, 3);
  QTest::keyClick(&t.g, Qt::Key_F2);
  QTest::keyClicks(w.EditFormula, "d");
  QTest::keyClick(w.EditFormula, Qt::Key_Return);
  EXPECT_EQ(t.g.Cells().CellDisplayText(1, 3), "abcd");
  EXPECT_EQ(t.g.Row(), 4);
  // With Ctrl the grid keeps the key (copy, paste...), with editing on the
  // grid edits in place.
  QTest::keyClick(&t.g, Qt::Key_C, Qt::ControlModifier);
  EXPECT_TRUE(w.EditFormula->text().isEmpty());
  w.BtnEdit->click();
  EXPECT_TRUE(t.g.EditEnabled());
  QTest::keyClick(&t.g, Qt::Key_X);
  EXPECT_TRUE(t.g.EditorMode());
}

TEST(SheetWindow, EscapeRestoresTheFormulaNotItsValue) {
  TSheetWindow t;
  auto& w = *t.w;
  t.g.SetCellText(1, 1, "5");
  t.g.SetCellText(1, 2, "=A1*2");
  t.g.MoveCurrent(1, 2, false);
  EXPECT_EQ(w.EditFormula->text(), "=A1*2");
  QTest::keyClick(&t.g, Qt::Key_9);
  EXPECT_EQ(w.EditFormula->text(), "9");
  QTest::keyClick(w.EditFormula, Qt::Key_Escape);
  EXPECT_EQ(w.EditFormula->text(), "=A1*2");
  QTest::keyClick(w.EditFormula, Qt::Key_Return);
  t.g.SetCellText(1, 1, "7");
  t.g.Recalculate();
  EXPECT_EQ(t.g.Cells().CellDisplayText(1, 2), "14");  // still a formula
  // The undo button does the same; apply stores without moving.
  t.g.MoveCurrent(1, 2, false);
  w.EditFormula->setText("=A1+1");
  w.BtnApply->click();
  EXPECT_EQ(t.g.Cells().CellDisplayText(1, 2), "8");
  w.EditFormula->setText("junk");
  w.BtnUndo->click();
  EXPECT_EQ(w.EditFormula->text(), "=A1+1");
  EXPECT_EQ(t.g.Row(), 2);
}

TEST(SheetWindow, RangeSelectionShowsMarkersAndMenuItemsFollowTheSelection) {
  TSheetWindow t;
  auto& w = *t.w;
  TSpreadSheetCell* c = t.g.Cells().GetCell(1, 1, true);
  c->SetFont(TCellFont{"Courier New", 12, clBlack, 1});
  c->SetDataType(cdtNumber);
  c->SetAlignment(3, 1);
  t.g.MoveCurrent(2, 1, false);
  t.g.MoveCurrent(1, 1, false);
  EXPECT_EQ(w.EditAreaID->text(), "A1");
  EXPECT_EQ(w.CBFontSize->currentText(), "12");
  EXPECT_EQ(w.CBDataType->currentIndex(), int(cdtNumber));
  EXPECT_TRUE(w.BtnBold->isChecked());
  EXPECT_TRUE(w.BtnRight->isChecked());
  EXPECT_FALSE(w.BtnLeft->isChecked());
  QTest::keyClick(&t.g, Qt::Key_Right, Qt::ShiftModifier);
  QTest::keyClick(&t.g, Qt::Key_Down, Qt::ShiftModifier);
  QTest::keyClick(&t.g, Qt::Key_Down, Qt::ShiftModifier);
  EXPECT_EQ(w.EditAreaID->text(), "A1:B3");
  EXPECT_EQ(w.CBDataType->currentIndex(), -1);
  EXPECT_TRUE(w.CBFontName->FontName().isEmpty());
  EXPECT_EQ(w.CBFontSize->currentIndex(), -1);
  EXPECT_FALSE(w.BtnBold->isChecked());
  EXPECT_TRUE(w.PopGridExpData->isEnabled());
  EXPECT_FALSE(w.PopGridColWidth->isEnabled());
  t.g.SetHeaderSelection(1, 2, 3);
  EXPECT_TRUE(w.PopGridColWidth->isEnabled());
  EXPECT_FALSE(w.PopGridRowHeight->isEnabled());
  EXPECT_FALSE(w.PopGridExpData->isEnabled());
  t.g.SetHeaderSelection(2, 4, 4);
  EXPECT_FALSE(w.PopGridColWidth->isEnabled());
  EXPECT_TRUE(w.PopGridRowHeight->isEnabled());
  t.g.SetHeaderSelection(3);
  EXPECT_TRUE(w.PopGridColWidth->isEnabled());
  EXPECT_TRUE(w.PopGridRowHeight->isEnabled());
  EXPECT_FALSE(w.PopGridExpData->isEnabled());
}

TEST(SheetWindow, ToolbarFormatsTheSelection) {
  TSheetWindow t;
  auto& w = *t.w;
  t.g.SetCellText(1, 1, "x");
  t.g.MoveCurrent(2, 2, true);
  w.BtnBold->click();
  w.BtnCenter->click();
  w.CBDataType->setCurrentIndex(cdtNumber);
  w.CBDataTypeChange();
  for (int r = 1; r <= 2; ++r)
    for (int c = 1; c <= 2; ++c) {
      const TSpreadSheetCell* cell = t.g.Cells().FindCell(c, r);
      ASSERT_TRUE(cell);
      EXPECT_EQ(cell->Font().Style & 1, 1);
      EXPECT_EQ(cell->HAlign(), 2);
      EXPECT_EQ(cell->DataType(), int(cdtNumber));
    }
  // Pressing the centre button again lifts it: no alignment.
  w.BtnCenter->click();
  EXPECT_EQ(t.g.Cells().FindCell(1, 1)->HAlign(), 0);
  w.PickColor = [](TColor, TColor& c) {
    c = clRed;
    return true;
  };
  w.BtnBackColorClick();
  EXPECT_EQ(t.g.Cells().FindCell(2, 2)->BackColor(), clRed);
  w.BtnMakeBox->click();
  EXPECT_EQ(t.g.Cells().FindCell(1, 1)->Border(cbsTop).Width, 2);
  EXPECT_EQ(t.g.Cells().FindCell(2, 2)->Border(cbsRight).Width, 2);
}

TEST(SheetWindow, TypedSizesAndCountsAreChecked) {
  TSheetWindow t;
  auto& w = *t.w;
  t.g.SetHeaderSelection(1, 2, 2);
  for (const char* bad : {"-5", "0", "99999999", "abc", ""}) {
    t.dialogs.Messages.clear();
    t.AnswerPrompt(QString::fromLatin1(bad));
    w.PopGridColWidthClick();
    EXPECT_EQ(t.g.ColWidth(2), 64) << bad;
    ASSERT_EQ(t.dialogs.Messages.size(), 1u) << bad;
    EXPECT_TRUE(t.LastMessage().contains("non è un valore valido")) << bad;
  }
  t.AnswerPrompt("80");
  w.PopGridColWidthClick();
  EXPECT_EQ(t.g.ColWidth(2), 80);
  t.AnswerPrompt("120", false);  // cancelled
  w.PopGridColWidthClick();
  EXPECT_EQ(t.g.ColWidth(2), 80);
  t.g.SetHeaderSelection(2, 3, 3);
  t.AnswerPrompt("-1");
  w.PopGridRowHeightClick();
  EXPECT_EQ(t.g.RowHeight(3), 16);
  t.AnswerPrompt("30");
  w.PopGridRowHeightClick();
  EXPECT_EQ(t.g.RowHeight(3), 30);
  // Insert: rows 3 and below move down by the typed count.
  t.g.SetCellText(1, 3, "here");
  t.g.SetHeaderSelection(2, 3, 3);
  t.AnswerPrompt("0");
  w.PopGridInsertClick();
  EXPECT_EQ(t.g.Cells().CellDisplayText(1, 3), "here");
  t.AnswerPrompt("2");
  w.PopGridInsertClick();
  EXPECT_EQ(t.g.Cells().CellDisplayText(1, 5), "here");
}

TEST(SheetWindow, FindFirstAndNext) {
  TSheetWindow t;
  auto& w = *t.w;
  t.g.SetCellText(1, 2, "mela");
  t.g.SetCellText(1, 5, "melone");
  t.AnswerPrompt("mel");
  w.BtnFindFirstClick();
  EXPECT_TRUE(w.BtnFindNext->isEnabled());
  EXPECT_EQ(t.g.Row(), 2);
  w.BtnFindNextClick();
  EXPECT_EQ(t.g.Row(), 5);
  EXPECT_TRUE(t.dialogs.Messages.empty());
  w.BtnFindNextClick();
  EXPECT_FALSE(w.BtnFindNext->isEnabled());
  EXPECT_EQ(t.LastMessage(), "Testo non Trovato!");
  t.AnswerPrompt("pera");
  w.BtnFindFirstClick();
  EXPECT_FALSE(w.BtnFindNext->isEnabled());
  EXPECT_EQ(t.dialogs.Messages.size(), 2u);
}

TEST(SheetWindow, SaveNamesFollowTheFilterEntry) {
  using W = TFormVDBChildSpreadSheet;
  EXPECT_EQ(W::SaveFileName("/d/report", 1), "/d/report.QVS");
  EXPECT_EQ(W::SaveFileName("/d/report", 2), "/d/report.CSV");
  EXPECT_EQ(W::SaveFileName("/d/report.", 3), "/d/report.TXT");
  EXPECT_EQ(W::SaveFileName("/d/report.csv", 1), "/d/report.csv");
  EXPECT_EQ(W::SaveFileName("/d.x/report", 2), "/d.x/report.CSV");
  // Both cases in every filter: Linux names are case-sensitive.
  EXPECT_EQ(W::SheetFilters().value(0), "Foglio di Calcolo (*.qvs *.QVS)");
  EXPECT_EQ(W::CsvFilters().value(0), "File di Scambio (*.csv *.CSV)");

  TSheetWindow t;
  QTemporaryDir dir;
  t.g.SetCellText(1, 1, "uno");
  t.g.SetCellText(2, 1, "2");
  t.AnswerFile(dir.filePath("report"), 2);
  t.w->BtnSaveClick();
  const QByteArray csv = ReadAll(dir.filePath("report.CSV"));
  EXPECT_TRUE(csv.startsWith("uno;2")) << csv.toStdString();
  t.AnswerFile(dir.filePath("report"), 3);
  t.w->BtnSaveClick();
  QFile txt(dir.filePath("report.TXT"));
  ASSERT_TRUE(txt.open(QIODevice::ReadOnly));
  EXPECT_EQ(TSpreadSheetGrid::CheckSignature(txt), 0);  // a sheet file
  txt.close();
  // A damaged file: a message, the sheet as it was.
  QFile bad(dir.filePath("bad.qvs"));
  ASSERT_TRUE(bad.open(QIODevice::WriteOnly));
  bad.write("\x07QVSS100garbage");
  bad.close();
  t.dialogs.Messages.clear();
  t.AnswerFile(dir.filePath("bad.qvs"));
  t.w->BtnOpenClick();
  EXPECT_EQ(t.dialogs.Messages.size(), 1u);
  EXPECT_EQ(t.g.Cells().CellDisplayText(1, 1), "uno");
}

TEST(SheetWindow, ExportsTheSelectionToTheMemoryTable) {
  TSheetWindow t;
  auto& w = *t.w;
  t.g.Cells().GetCell(2, 0, true)->SetDataType(cdtNumber);  // column B holds numbers
  t.g.SetCellText(1, 2, "alfa");
  t.g.SetCellText(2, 2, "1.5");
  t.g.SetCellText(1, 3, "beta");
  t.g.SetCellText(2, 3, "3");
  t.g.SetSelection({1, 2, 2, 4});
  w.PopGridExpDataClick();
  TMemoTable& m = *w.MemoTable;
  ASSERT_TRUE(m.Active());
  EXPECT_EQ(m.FieldDefs().Names().join(","), "Row,A,B");
  EXPECT_EQ(m.FieldDefs()[1].DataType, ftString);
  EXPECT_EQ(m.FieldDefs()[2].DataType, ftFloat);
  EXPECT_EQ(m.RecordCount(), 3);
  m.First();
  EXPECT_EQ(m.FieldByName("Row")->AsInteger(), 2);
  EXPECT_EQ(m.FieldByName("A")->AsString(), "alfa");
  EXPECT_DOUBLE_EQ(m.FieldByName("B")->AsFloat(), 1.5);
  m.Last();
  EXPECT_EQ(m.FieldByName("Row")->AsInteger(), 4);
  EXPECT_TRUE(m.FieldByName("A")->IsNull());
}

TEST(SheetWindow, TheLauncherOpensTheWindow) {
  RegisterDemo_spreadsheet();
  TDemoWindowFactory make = FindDemoWindow("TFormVDBChildSpreadSheet");
  ASSERT_NE(make, nullptr);
  std::unique_ptr<TForm> f(make());
  EXPECT_EQ(f->windowTitle(), "Foglio di Calcolo");
  // It opens on a sample that shows formats and formulas.
  auto* w = qobject_cast<TFormVDBChildSpreadSheet*>(f.get());
  ASSERT_TRUE(w);
  EXPECT_FALSE(w->Grid->Cells().CellDisplayText(4, 9).isEmpty());
}

// Type formulas, format, save, load, print to PDF: an outside reader finds
// the values on the page.
TEST(SheetWindow, EndToEndTypeFormatSaveLoadPrintToPdf) {
  TSheetWindow t;
  auto& w = *t.w;
  TFormReportPreview preview;
  FormReportPreview = &preview;
  struct TReset {
    ~TReset() { FormReportPreview = nullptr; }
  } reset;
  auto type = [&](int col, int row, const char* text) {
    t.g.MoveCurrent(col, row, false);
    QTest::keyClicks(&t.g, QString::fromLatin1(text).left(1));
    QTest::keyClicks(w.EditFormula, QString::fromLatin1(text).mid(1));
    QTest::keyClick(w.EditFormula, Qt::Key_Return);
  };
  type(1, 1, "Importo");
  type(1, 2, "1200");
  type(1, 3, "345");
  type(1, 4, "=SUM(A2:A3)*2");
  type(2, 4, "=A4/5");
  EXPECT_EQ(t.g.Cells().CellDisplayText(1, 4), "3090");
  // Format through the dialog: bold, yellow, a border, on A1:A4.
  t.g.SetSelection({1, 1, 1, 4});
  t.dialogs.OnModal = [](QDialog& d) {
    auto* f = qobject_cast<TFormCellsFormat*>(&d);
    if (!f) return int(QDialog::Rejected);
    f->BtnBold->click();
    f->PickColor = [](TColor, TColor& c) {
      c = clYellow;
      return true;
    };
    f->BackColorClick();
    f->CBLine[3]->setCurrentIndex(0);
    f->BorderChange(f->CBLine[3]);
    f->CBWidth[3]->setCurrentIndex(1);
    f->BorderChange(f->CBWidth[3]);
    return int(QDialog::Accepted);
  };
  w.PopGridCellFormatClick();
  EXPECT_EQ(t.g.Cells().FindCell(1, 3)->BackColor(), clYellow);
  EXPECT_TRUE(t.g.Cells().FindCell(1, 2)->Font().Style & 1);
  // Save, clear, load.
  QTemporaryDir dir;
  t.AnswerFile(dir.filePath("conti"), 1);
  w.BtnSaveClick();
  ASSERT_TRUE(QFile::exists(dir.filePath("conti.QVS")));
  w.BtnNewClick();
  EXPECT_TRUE(t.g.Cells().CellDisplayText(1, 4).isEmpty());
  t.AnswerFile(dir.filePath("conti.QVS"), 1);
  w.BtnOpenClick();
  EXPECT_EQ(t.g.Cells().CellDisplayText(1, 4), "3090");
  EXPECT_EQ(t.g.Cells().CellDisplayText(2, 4), "618");
  EXPECT_EQ(t.g.Cells().FindCell(1, 3)->BackColor(), clYellow);
  // Print, landscape with grid lines: the preview shows the report.
  w.BtnPrintGrid->click();
  w.BtnPrintLandscape->click();
  t.g.SetSelection({1, 1, 2, 4});  // not printed
  w.BtnPrintClick();
  EXPECT_EQ(THourglass::Depth(), 0);
  EXPECT_EQ(w.PrintedPages(), 1);
  EXPECT_EQ(w.QuickRep->Orientation(), poLandscape);
  EXPECT_EQ(w.QuickRep->ReportTitle(), "Foglio di Calcolo");
  EXPECT_EQ(t.g.PrintPages().PageCount(), 0);  // cleared after the preview
  EXPECT_TRUE(preview.isVisible());
  EXPECT_EQ(preview.QRPreview->PageCount(), 1);
  const QString pdf = dir.filePath("conti.pdf");
  QString err;
  ASSERT_TRUE(w.QuickRep->ExportToPdf(pdf, &err)) << err.toStdString();
  if (qEnvironmentVariableIsSet("SHEETWIN_KEEP_PDF"))
    QFile::copy(pdf, qEnvironmentVariable("SHEETWIN_KEEP_PDF"));
  QProcess p;
  p.start("pdftotext", {"-layout", pdf, "-"});
  if (!p.waitForStarted()) GTEST_SKIP() << "pdftotext (poppler-utils) not installed";
  ASSERT_TRUE(p.waitForFinished());
  const QString text = QString::fromUtf8(p.readAllStandardOutput());
  for (const char* v : {"Importo", "1200", "345", "3090", "618"})
    EXPECT_TRUE(text.contains(QLatin1String(v))) << v << " in\n" << text.toStdString();
}

TEST(SheetWindow, PrintingALongSheetGivesOnePagePerPageOfRows) {
  TSheetWindow t;
  for (int r = 1; r <= 200; ++r) t.g.Cells().SetCellText(1, r, QString::number(r));
  t.w->BtnPrintClick();
  // Portrait: 1062 pixels of rows of 17 hold 62 rows a page.
  EXPECT_EQ(t.w->PrintedPages(), 4);
  EXPECT_EQ(t.w->QuickRep->QRPrinter()->PageCount(), 4);
  EXPECT_EQ(t.w->QuickRep->Orientation(), poPortrait);
}

// The sample sheet printed and shown in the preview window, and the format
// dialog on one of its cells, as the user sees them (written as pictures
// when SHEETWIN_SNAP_DIR names a folder).
TEST(SheetWindow, SamplePrintsIntoThePreviewAndTheDialogShowsItsCell) {
  TFixedLocale locale(QLocale(QLocale::Italian, QLocale::Italy));
  TRecordingDialogs dialogs;
  TFormVDBChildSpreadSheet w;
  w.show();
  TFormReportPreview preview;
  FormReportPreview = &preview;
  struct TReset {
    ~TReset() { FormReportPreview = nullptr; }
  } reset;
  w.BtnPrintGrid->click();
  w.BtnPrintClick();
  ASSERT_EQ(preview.QRPreview->PageCount(), 1);
  preview.resize(800, 600);
  preview.ZoomPageWidthClick();
  QCoreApplication::processEvents();
  const QImage shot = preview.grab().toImage();
  // Somewhere on the page the header cells' teal shows.
  bool teal = false;
  for (int y = 0; y < shot.height() && !teal; ++y)
    for (int x = 0; x < shot.width() && !teal; ++x) teal = PixelAt(shot, x, y) == clTeal;
  EXPECT_TRUE(teal);
  w.Grid->MoveCurrent(4, 9, false);
  dialogs.OnModal = [&](QDialog& d) {
    auto* f = qobject_cast<TFormCellsFormat*>(&d);
    if (!f) return int(QDialog::Rejected);
    EXPECT_TRUE(f->BtnBold->isChecked());
    EXPECT_EQ(f->CBLine[0]->currentIndex(), 0);
    EXPECT_EQ(f->CBWidth[0]->currentIndex(), 2);
    const QString dir = qEnvironmentVariable("SHEETWIN_SNAP_DIR");
    if (!dir.isEmpty()) {
      f->show();
      QCoreApplication::processEvents();
      f->grab().save(dir + "/formato-celle.png");
    }
    return int(QDialog::Rejected);
  };
  w.PopGridCellFormatClick();
  const QString dir = qEnvironmentVariable("SHEETWIN_SNAP_DIR");
  if (!dir.isEmpty()) shot.save(dir + "/anteprima-foglio.png");
}

TEST(SheetWindow, ShortcutsReachTheCommands) {
  TSheetWindow t;
  t.w->activateWindow();
  t.g.setFocus();
  if (!WaitUntil([&] { return QApplication::activeWindow() == t.w.get(); }, 1000))
    GTEST_SKIP() << "the window cannot be made active here";
  int fileDialogs = 0;
  t.dialogs.OnModal = [&](QDialog& d) {
    fileDialogs += qobject_cast<QFileDialog*>(&d) != nullptr;
    return int(QDialog::Rejected);
  };
  QTest::keyClick(&t.g, Qt::Key_S, Qt::ControlModifier);
  QTest::keyClick(&t.g, Qt::Key_O, Qt::ControlModifier);
  EXPECT_EQ(fileDialogs, 2);
  t.g.SetCellText(1, 1, "x");
  QTest::keyClick(&t.g, Qt::Key_P, Qt::ControlModifier);
  EXPECT_EQ(t.w->PrintedPages(), 1);
  // Ctrl+Z on the grid undoes the last command.
  QTest::keyClick(&t.g, Qt::Key_Z, Qt::ControlModifier);
  EXPECT_TRUE(t.g.Cells().CellDisplayText(1, 1).isEmpty());
}
