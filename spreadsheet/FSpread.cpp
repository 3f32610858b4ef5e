#include "FSpread.h"

#include <Tarnwell/platform/TFormSize.h>
#include <Tarnwell/app/DemoRegistry.h>
#include <Tarnwell/app/FPreview.h>
#include <Tarnwell/app/QuickRpt.h>
#include <Tarnwell/database/MemoTab.h>
#include <Tarnwell/pattern/PatPanel.h>
#include <Tarnwell/platform/TDialogs.h>
#include <Tarnwell/platform/TExceptions.h>
#include <Tarnwell/platform/THourglass.h>
#include <Tarnwell/visuals/ColSelec.h>
#include <Tarnwell/visuals/FntCbBox.h>

#include <QApplication>
#include <QComboBox>
#include <QFileDialog>
#include <QFileInfo>
#include <QFontInfo>
#include <QInputDialog>
#include <QKeyEvent>
#include <QLineEdit>
#include <QProgressDialog>
#include <QResizeEvent>
#include <QShortcut>
#include <optional>

#include "FCelFrmt.h"
#include "SShtGlyphs.h"
#include "SShtGrid.h"
#include "SShtPrint.h"

namespace Tarnwell {

namespace {

const char* const NotFound = "Testo non Trovato!";

// Shows a cell's font in the font list. A font that is not installed (sheets
// name "Arial" by default) shows as the family it is drawn with, instead of a
// blank box.
void ShowFontName(TFontComboBox* combo, const QString& name) {
  combo->setFontName(name);
  // An empty name (a selection of mixed fonts) stays blank.
  if (combo->currentIndex() < 0 && !name.isEmpty()) combo->setFontName(QFontInfo(QFont(name)).family());
}

TSpeedButton* Tool(QWidget* parent, const char* name, TSheetGlyph glyph, const char* hint, int x, int y,
                   bool toggle = false) {
  auto* b = new TSpeedButton(parent);
  b->setObjectName(QLatin1String(name));
  b->setGlyph(SheetGlyph(glyph, parent->devicePixelRatioF()));
  // Stored with a leading "|": the status line shows it, no tooltip.
  if (hint) b->setHint(QLatin1Char('|') + QString::fromUtf8(hint));
  b->setFlat(true);
  b->setCheckable(toggle);
  b->setFocusPolicy(Qt::NoFocus);
  b->setGeometry(x, y, 23, 22);
  return b;
}

TSpeedButton* TextTool(QWidget* parent, const char* name, const QString& caption, TFontStyles style, int x,
                       int y) {
  auto* b = new TSpeedButton(parent);
  b->setObjectName(QLatin1String(name));
  b->setCaption(caption);
  b->Font().SetStyle(style);
  b->setFlat(true);
  b->setCheckable(true);
  b->setFocusPolicy(Qt::NoFocus);
  b->setGeometry(x, y, 23, 22);
  return b;
}

QComboBox* DropDownList(QWidget* parent, const char* name, const QStringList& items, const QRect& r) {
  auto* c = new QComboBox(parent);
  c->setObjectName(QLatin1String(name));
  c->addItems(items);
  c->setGeometry(r);
  c->setFocusPolicy(Qt::NoFocus);
  c->setMaxVisibleItems(12);
  return c;
}

// The file dialog every file command uses (through the dialog hook).
struct TFileChoice {
  QString File;
  int Entry = 0;  // 1-based filter entry
};

std::optional<TFileChoice> RunFileDialog(QWidget* parent, bool save, const QString& title,
                                         const QStringList& filters) {
  QFileDialog dlg(parent, title);
  dlg.setOption(QFileDialog::DontUseNativeDialog);
  dlg.setAcceptMode(save ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
  dlg.setFileMode(save ? QFileDialog::AnyFile : QFileDialog::ExistingFile);
  dlg.setNameFilters(filters);
  if (ExecModal(dlg) != QDialog::Accepted) return std::nullopt;
  TFileChoice c;
  c.File = dlg.selectedFiles().value(0);
  c.Entry = int(filters.indexOf(dlg.selectedNameFilter())) + 1;
  if (c.Entry <= 0) c.Entry = 1;
  if (c.File.isEmpty()) return std::nullopt;
  return c;
}

}  // namespace

QStringList TFormVDBChildSpreadSheet::SheetFilters() {
  return {QStringLiteral("Foglio di Calcolo (*.qvs *.QVS)"), QStringLiteral("File di Scambio (*.csv *.CSV)"),
          QStringLiteral("Tutti i File (*)")};
}

QStringList TFormVDBChildSpreadSheet::CsvFilters() {
  return {QStringLiteral("File di Scambio (*.csv *.CSV)"), QStringLiteral("Tutti i File (*)")};
}

QString TFormVDBChildSpreadSheet::SaveFileName(const QString& chosen, int filterEntry) {
  const QString base = QFileInfo(chosen).fileName();
  const int dot = base.lastIndexOf(QLatin1Char('.'));
  const bool noExtension = dot < 0 || dot == base.size() - 1;
  if (!noExtension) return chosen;
  QString name = chosen;
  if (name.endsWith(QLatin1Char('.'))) name.chop(1);
  switch (filterEntry) {
    case 2:
      return name + QStringLiteral(".CSV");
    case 3:
      return name + QStringLiteral(".TXT");
    default:
      return name + QStringLiteral(".QVS");
  }
}

TRect TFormVDBChildSpreadSheet::PrintPageRect(bool landscape) {
  return landscape ? TRect(30, 30, 1092, 764) : TRect(30, 30, 764, 1092);
}

bool TFormVDBChildSpreadSheet::InputQuery(const QString& caption, const QString& prompt, QString& value) {
  QInputDialog dlg(QApplication::activeWindow());
  dlg.setWindowTitle(caption);
  dlg.setLabelText(prompt);
  dlg.setInputMode(QInputDialog::TextInput);
  dlg.setTextValue(value);
  if (ExecModal(dlg) != QDialog::Accepted) return false;
  value = dlg.textValue();
  return true;
}

bool TFormVDBChildSpreadSheet::ReadCount(const QString& text, int minimum, int maximum, int& out) {
  bool ok = false;
  const int v = text.trimmed().toInt(&ok);
  if (ok && v >= minimum && v <= maximum) {
    out = v;
    return true;
  }
  MessageDlg(QStringLiteral("\"%1\" non è un valore valido: inserire un numero intero da %2 a %3.")
                 .arg(text.trimmed())
                 .arg(minimum)
                 .arg(maximum),
             mtError, mbOK);
  return false;
}

TFormVDBChildSpreadSheet::TFormVDBChildSpreadSheet(QWidget* parent) : TForm(parent) {
  setObjectName(QStringLiteral("FormVDBChildSpreadSheet"));
  SetCaption(QStringLiteral("Foglio di Calcolo"));
  setBorderIcons(biSystemMenu | biMinimize);

  PanelButtons = new TPatternPanel(this);
  PanelButtons->setObjectName(QStringLiteral("PanelButtons"));
  PanelGrid = new TPatternPanel(this);
  PanelGrid->setObjectName(QStringLiteral("PanelGrid"));
  PanelGrid->setBorderWidth(4);
  PanelFormula = new QWidget(PanelGrid);
  PanelFormula->setObjectName(QStringLiteral("PanelFormula"));

  Grid = new TSpreadSheetGrid(PanelGrid);
  Grid->setObjectName(QStringLiteral("Grid"));
  Grid->setHeaders(true);
  Grid->setAutoRecalc(false);
  Grid->setEditEnabled(false);
  Grid->setColCount(703);
  Grid->setRowCount(1001);
  Grid->setDefaultRowHeight(16);
  Grid->setContextMenuPolicy(Qt::CustomContextMenu);
  Grid->installEventFilter(this);
  // The sample is there before the window listens to the grid: the
  // controls start as designed.
  FillSampleSheet(*Grid);

  ColorSelector = new TColorSelector(this);
  ColorSelector->setObjectName(QStringLiteral("ColorSelector"));
  AddComponent(ColorSelector);
  QuickRep = new TQuickRep(this);
  QuickRep->setObjectName(QStringLiteral("QuickRep"));
  QRDetailBand = QuickRep->Detail();
  QRDetailBand->setObjectName(QStringLiteral("QRDetailBand"));
  QRImage = new TQRImage(QRDetailBand);
  QRImage->setObjectName(QStringLiteral("QRImage"));
  AddComponent(QuickRep);
  MemoTable = new TMemoTable(this);
  MemoTable->setObjectName(QStringLiteral("MemoTable"));
  AddComponent(MemoTable);

  BuildToolbar();
  BuildFormulaBar();
  BuildMenu();

  Grid->OnSelectCell = [this](TObject*, int col, int row, bool&) { GridSelectCell(col, row); };
  connect(Grid, &TSpreadSheetGrid::SelectionChanged, this,
          [this](QObject*, bool single, const QString& id, int col, int row, TSpreadSheetCell* cell) {
            GridSelectionChanged(single, id, col, row, cell);
          });
  connect(Grid, &QWidget::customContextMenuRequested, this,
          [this](const QPoint& pos) { PopupMenuGrid->popup(Grid->mapToGlobal(pos)); });

  // The usual shortcuts; the grid itself answers copy, cut, paste, undo,
  // redo and F2, and the formula bar keeps them for its own text.
  auto shortcut = [this](QKeySequence seq, void (TFormVDBChildSpreadSheet::*slot)()) {
    auto* s = new QShortcut(seq, this);
    s->setContext(Qt::WidgetWithChildrenShortcut);
    connect(s, &QShortcut::activated, this, slot);
  };
  shortcut(QKeySequence::Save, &TFormVDBChildSpreadSheet::BtnSaveClick);
  shortcut(QKeySequence::Open, &TFormVDBChildSpreadSheet::BtnOpenClick);
  shortcut(QKeySequence::Print, &TFormVDBChildSpreadSheet::BtnPrintClick);
  shortcut(QKeySequence::Find, &TFormVDBChildSpreadSheet::BtnFindFirstClick);
  shortcut(QKeySequence::FindNext, &TFormVDBChildSpreadSheet::BtnFindNextClick);

  SetDesignOuterSize(this, 559, 415);
  PlaceControls();
  GridSelectCell(Grid->Col(), Grid->Row());
  EditAreaID->setText(CellRefName(Grid->Col(), Grid->Row()));
  // The font controls start on the sheet's font; the alignment buttons as
  // designed (left down) until the selection first moves.
  const TCellFont font = Grid->Cells().DefaultCell()->Font();
  mUpdating = true;
  ShowFontName(CBFontName, font.Name);
  CBFontSize->setCurrentIndex(CBFontSize->findText(QString::number(font.Size)));
  mUpdating = false;
  Grid->setFocus();
}

void TFormVDBChildSpreadSheet::FillSampleSheet(TSpreadSheetGrid& grid) {
  // A small estimate that shows what cells can do: fonts, alignments,
  // patterns, borders, number types and formulas. Written before any
  // command, so there is nothing to undo; "Svuota" clears it.
  TSpreadSheetDataCells& cells = grid.Cells();
  auto put = [&](int col, int row, const QString& text) {
    cells.SetCellText(col, row, text);
    return cells.GetCell(col, row, true);
  };
  TSpreadSheetCell* title = put(1, 1, QStringLiteral("Preventivo spese"));
  title->SetFont(TCellFont{QStringLiteral("Arial"), 12, clNavy, 1});
  const QString heads[4] = {QStringLiteral("Voce"), QStringLiteral("Quantità"), QStringLiteral("Prezzo"),
                            QStringLiteral("Totale")};
  for (int c = 0; c < 4; ++c) {
    TSpreadSheetCell* h = put(c + 1, 3, heads[c]);
    h->SetFont(TCellFont{QString(), -1, clWhite, 1});
    h->SetAlignment(2, 1);
    h->SetBackground(clTeal, clNavy, 0);
    h->SetBorders(QStringLiteral("B"), 0, 2, clBlack);
  }
  struct TItem {
    const char* Name;
    int Quantity;
    double Price;
  };
  const TItem items[4] = {
      {"Carta A4 (risme)", 10, 4.5}, {"Toner", 2, 78.9}, {"Penne", 50, 0.8}, {"Cartelle", 20, 1.25}};
  for (int i = 0; i < 4; ++i) {
    const int row = 4 + i;
    put(1, row, QString::fromUtf8(items[i].Name));
    put(2, row, QString::number(items[i].Quantity))->SetDataType(cdtNumber);
    put(3, row, FloatToText(items[i].Price))->SetDataType(cdtNumber);
    TSpreadSheetCell* total = put(4, row, QStringLiteral("=B%1*C%1").arg(row));
    total->SetDataType(cdtNumber);
    if (i % 2) {
      for (int c = 1; c <= 4; ++c) cells.GetCell(c, row, true)->SetBackground(TColor(0xF0FFFF), clSilver, 0);
    }
  }
  TSpreadSheetCell* label = put(3, 9, QStringLiteral("Totale"));
  label->SetFont(TCellFont{QString(), -1, scKeepColor, 1});
  label->SetAlignment(3, 1);
  TSpreadSheetCell* sum = put(4, 9, QStringLiteral("=SUM(D4:D7)"));
  sum->SetDataType(cdtNumber);
  sum->SetFont(TCellFont{QString(), -1, clMaroon, 1});
  sum->SetBackground(clYellow, clOlive, 0);
  sum->SetBorders(QStringLiteral("LTRB"), 0, 2, clBlack);
  put(1, 11, QStringLiteral("Scrivere nella barra della formula e premere Invio."))
      ->SetFont(TCellFont{QString(), -1, clGray, 2});
  // A band of the patterns between title and table.
  for (int c = 1; c <= 4; ++c) cells.GetCell(c, 2, true)->SetBackground(clWhite, clSilver, 6 + c);
  cells.SetColWidth(1, 170);
  cells.SetRowHeight(1, 22);
  cells.SetRowHeight(2, 6);
  cells.Recalculate();
  grid.InvalidateGrid();
  grid.MoveCurrent(4, 4, false, false);
  grid.SetTopLeft(1, 1);
}

TFormVDBChildSpreadSheet::~TFormVDBChildSpreadSheet() {
  Grid->removeEventFilter(this);
  EditFormula->removeEventFilter(this);
}

void TFormVDBChildSpreadSheet::BuildToolbar() {
  QWidget* p = PanelButtons;
  int y = 4;
  BtnNew = Tool(p, "BtnNew", sgNew, "Svuota il Foglio di Calcolo", 4, y);
  BtnOpen = Tool(p, "BtnOpen", sgOpen, "Apre un Foglio di Calcolo", 27, y);
  BtnSave = Tool(p, "BtnSave", sgSave, "Salva il foglio di calcolo", 50, y);
  BtnPrintGrid = Tool(p, "BtnPrintGrid", sgPrintGrid, "Stampa la griglia standard", 81, y, true);
  BtnPrintLandscape = Tool(p, "BtnPrintLandscape", sgLandscape, "Stampa in orizzontale", 104, y, true);
  BtnPrint = Tool(p, "BtnPrint", sgPrint, "Stampa il Foglio di Calcolo", 127, y);
  BtnEdit = Tool(p, "BtnEdit", sgEdit, "Abilita/Disabilita l'editing diretto sulla griglia", 158, y, true);
  BtnAutoRecalc =
      Tool(p, "BtnAutoRecalc", sgAutoRecalc, "Abilita/Disabilita il ricalcolo automatico", 181, y, true);
  BtnCut = Tool(p, "BtnCut", sgCut, "Taglia e Copia negli Appunti", 212, y);
  BtnCopy = Tool(p, "BtnCopy", sgCopy, "Copia negli Appunti", 235, y);
  BtnPaste = Tool(p, "BtnPaste", sgPaste, "Inserisce il contenuto degli Appunti", 258, y);
  BtnSortAsc = Tool(p, "BtnSortAsc", sgSortAsc, "Ordina le celle in modo Ascendente", 289, y);
  BtnSortDesc = Tool(p, "BtnSortDesc", sgSortDesc, "Ordina le celle in modo Discendente", 312, y);
  BtnFindFirst =
      Tool(p, "BtnFindFirst", sgFindFirst, "Trova la prima cella con il testo specificato", 343, y);
  BtnFindNext =
      Tool(p, "BtnFindNext", sgFindNext, "Trova la successiva cella con il testo specificato", 366, y);
  BtnFindNext->setEnabled(false);

  connect(BtnNew, &QAbstractButton::clicked, this, &TFormVDBChildSpreadSheet::BtnNewClick);
  connect(BtnOpen, &QAbstractButton::clicked, this, &TFormVDBChildSpreadSheet::BtnOpenClick);
  connect(BtnSave, &QAbstractButton::clicked, this, &TFormVDBChildSpreadSheet::BtnSaveClick);
  connect(BtnPrint, &QAbstractButton::clicked, this, &TFormVDBChildSpreadSheet::BtnPrintClick);
  connect(BtnEdit, &QAbstractButton::toggled, this, [this](bool down) { Grid->setEditEnabled(down); });
  connect(BtnAutoRecalc, &QAbstractButton::toggled, this, [this](bool down) {
    THourglass busy;
    Grid->setAutoRecalc(down);
  });
  connect(BtnCut, &QAbstractButton::clicked, this, [this] { Run([this] { Grid->CutToClipboard(); }); });
  connect(BtnCopy, &QAbstractButton::clicked, this, [this] { Run([this] { Grid->CopyToClipboard(); }); });
  connect(BtnPaste, &QAbstractButton::clicked, this, [this] { Run([this] { Grid->PasteFromClipboard(); }); });
  connect(BtnSortAsc, &QAbstractButton::clicked, this,
          [this] { Run([this] { Grid->SortSelection(false); }); });
  connect(BtnSortDesc, &QAbstractButton::clicked, this,
          [this] { Run([this] { Grid->SortSelection(true); }); });
  connect(BtnFindFirst, &QAbstractButton::clicked, this, &TFormVDBChildSpreadSheet::BtnFindFirstClick);
  connect(BtnFindNext, &QAbstractButton::clicked, this, &TFormVDBChildSpreadSheet::BtnFindNextClick);

  y = 32;
  CBFontName = new TFontComboBox(p);
  CBFontName->setObjectName(QStringLiteral("CBFontName"));
  CBFontName->setGeometry(4, y, 140, 22);
  CBFontName->setFocusPolicy(Qt::NoFocus);
  CBFontSize = DropDownList(p, "CBFontSize", TFormCellsFormat::FontSizes(), QRect(147, y, 44, 22));
  BtnBold = TextTool(p, "BtnBold", QStringLiteral("B"), fsBold, 196, y);
  BtnItalic = TextTool(p, "BtnItalic", QStringLiteral("I "), fsItalic, 219, y);
  BtnUnder = TextTool(p, "BtnUnder", QStringLiteral("U"), fsUnderline, 242, y);
  BtnFontColor = Tool(p, "BtnFontColor", sgFontColor, "Colore del Font", 268, y);
  BtnLeft = Tool(p, "BtnLeft", sgAlignLeft, nullptr, 296, y, true);
  BtnCenter = Tool(p, "BtnCenter", sgAlignCenter, nullptr, 319, y, true);
  BtnRight = Tool(p, "BtnRight", sgAlignRight, nullptr, 342, y, true);
  BtnLeft->setChecked(true);
  QStringList types;
  for (int t = 0; t < CellDataTypeCount; ++t) types << CellDataTypeName(t);
  CBDataType = DropDownList(p, "CBDataType", types, QRect(370, y, 84, 22));
  BtnBackColor = Tool(p, "BtnBackColor", sgBackColor, "Colore di Sfondo", 458, y);
  BtnMakeBox = Tool(p, "BtnMakeBox", sgMakeBox, "Crea un rettangolo sulle celle selezionate", 481, y);

  connect(CBFontName, &TFontComboBox::Change, this, &TFormVDBChildSpreadSheet::CBFontNameChange);
  connect(CBFontSize, &QComboBox::activated, this, &TFormVDBChildSpreadSheet::CBFontSizeChange);
  connect(BtnBold, &QAbstractButton::clicked, this, [this](bool d) { StyleClick(0, d); });
  connect(BtnItalic, &QAbstractButton::clicked, this, [this](bool d) { StyleClick(1, d); });
  connect(BtnUnder, &QAbstractButton::clicked, this, [this](bool d) { StyleClick(2, d); });
  connect(BtnFontColor, &QAbstractButton::clicked, this, &TFormVDBChildSpreadSheet::BtnFontColorClick);
  for (TSpeedButton* b : {BtnLeft, BtnCenter, BtnRight})
    connect(b, &QAbstractButton::clicked, this, [this, b] { AlignClick(b); });
  connect(CBDataType, &QComboBox::activated, this, &TFormVDBChildSpreadSheet::CBDataTypeChange);
  connect(BtnBackColor, &QAbstractButton::clicked, this, &TFormVDBChildSpreadSheet::BtnBackColorClick);
  connect(BtnMakeBox, &QAbstractButton::clicked, this, &TFormVDBChildSpreadSheet::BtnMakeBoxClick);
}

void TFormVDBChildSpreadSheet::BuildFormulaBar() {
  QWidget* p = PanelFormula;
  EditAreaID = new QLineEdit(p);
  EditAreaID->setObjectName(QStringLiteral("EditAreaID"));
  EditAreaID->setReadOnly(true);
  EditAreaID->setEnabled(false);
  EditAreaID->setGeometry(0, 1, 72, 22);
  BtnRecalc = Tool(p, "BtnRecalc", sgRecalc, "Esegue il ricalcolo dell'intero foglio", 76, 1);
  BtnUndo = Tool(p, "BtnUndo", sgUndo, nullptr, 100, 1);
  BtnApply = Tool(p, "BtnApply", sgApply, nullptr, 123, 1);
  EditFormula = new QLineEdit(p);
  EditFormula->setObjectName(QStringLiteral("EditFormula"));
  EditFormula->installEventFilter(this);
  connect(BtnRecalc, &QAbstractButton::clicked, this, &TFormVDBChildSpreadSheet::BtnRecalcClick);
  connect(BtnUndo, &QAbstractButton::clicked, this, &TFormVDBChildSpreadSheet::BtnUndoClick);
  connect(BtnApply, &QAbstractButton::clicked, this, &TFormVDBChildSpreadSheet::BtnApplyClick);
}

void TFormVDBChildSpreadSheet::BuildMenu() {
  PopupMenuGrid = new QMenu(this);
  PopupMenuGrid->setObjectName(QStringLiteral("PopupMenuGrid"));
  auto item = [this](QAction*& a, const char* name, const QString& caption, const char* hint,
                     void (TFormVDBChildSpreadSheet::*slot)()) {
    a = PopupMenuGrid->addAction(caption);
    a->setObjectName(QLatin1String(name));
    // Stored with a leading "|": the status line shows it.
    if (hint) a->setStatusTip(GetLongHint(QLatin1Char('|') + QString::fromUtf8(hint)));
    if (slot) connect(a, &QAction::triggered, this, slot);
  };
  item(PopGridCellFormat, "PopGridCellFormat", QStringLiteral("Formato &Celle..."), nullptr,
       &TFormVDBChildSpreadSheet::PopGridCellFormatClick);
  item(PopGridColWidth, "PopGridColWidth", QStringLiteral("&Larghezza Colonne..."),
       "Imposta la larghezza delle colonne selezionate", &TFormVDBChildSpreadSheet::PopGridColWidthClick);
  item(PopGridRowHeight, "PopGridRowHeight", QStringLiteral("&Altezza Righe..."),
       "Imposta l'altezza delle righe selezionate", &TFormVDBChildSpreadSheet::PopGridRowHeightClick);
  PopupMenuGrid->addSeparator();
  item(PopGridErase, "PopGridErase", QStringLiteral("&Cancella"),
       "Cancella il contenuto delle celle selezionate", nullptr);
  item(PopGridDelete, "PopGridDelete", QStringLiteral("&Elimina"),
       "Elimina contenuto e formattazione dalle celle selezionate", nullptr);
  item(PopGridRemove, "PopGridRemove", QStringLiteral("&Rimuovi"),
       "Rimuove completamente le celle selezionate", nullptr);
  item(PopGridInsert, "PopGridInsert", QStringLiteral("&Inserisci"), "Inserisce righe o colonne",
       &TFormVDBChildSpreadSheet::PopGridInsertClick);
  PopupMenuGrid->addSeparator();
  item(PopGridImportFile, "PopGridImportFile", QStringLiteral("Importa &File"),
       "Importa un file di testo formattato csv", &TFormVDBChildSpreadSheet::PopGridImportFileClick);
  PopupMenuGrid->addSeparator();
  item(PopGridExpData, "PopGridExpData", QStringLiteral("Esponi Dati &Selezionati"),
       "Rende i dati selezionati disponibili ai moduli speciali tramite Tabella Memo",
       &TFormVDBChildSpreadSheet::PopGridExpDataClick);
  connect(PopGridErase, &QAction::triggered, this, [this] { Run([this] { Grid->EraseSelection(); }); });
  connect(PopGridDelete, &QAction::triggered, this, [this] { Run([this] { Grid->DeleteSelection(); }); });
  connect(PopGridRemove, &QAction::triggered, this, [this] { Run([this] { Grid->RemoveSelection(); }); });
  PopGridColWidth->setEnabled(false);
  PopGridRowHeight->setEnabled(false);
}

void TFormVDBChildSpreadSheet::PlaceControls() {
  const int w = width(), h = height();
  PanelButtons->setGeometry(0, 0, w, 60);
  PanelGrid->setGeometry(0, 60, w, std::max(0, h - 60));
  const QRect inner = PanelGrid->InnerRect().ToQRect();
  PanelFormula->setGeometry(inner.left(), inner.top(), inner.width(), 24);
  EditFormula->setGeometry(148, 1, std::max(20, inner.width() - 148), 22);
  Grid->setGeometry(inner.left(), inner.top() + 24, inner.width(), std::max(0, inner.height() - 24));
}

void TFormVDBChildSpreadSheet::resizeEvent(QResizeEvent* e) {
  TForm::resizeEvent(e);
  PlaceControls();
}

void TFormVDBChildSpreadSheet::Run(const std::function<void()>& action) {
  try {
    // Commands on a large selection or sheet take a while: the busy cursor
    // shows until they end, however they end (and is gone for a message).
    THourglass busy;
    action();
  } catch (...) {
    HandleCurrentException();
  }
}

bool TFormVDBChildSpreadSheet::Pick(TColor start, TColor& chosen) {
  if (start == scKeepColor) start = clWhite;
  if (PickColor) return PickColor(start, chosen);
  ColorSelector->setSelectedColor(start);
  if (!ColorSelector->Execute()) return false;
  chosen = ColorSelector->SelectedColor();
  return true;
}

// ---- grid ------------------------------------------------------------------------

void TFormVDBChildSpreadSheet::GridSelectCell(int col, int row) {
  const TSpreadSheetCell* c = Grid->GetCellAt(col, row);
  EditFormula->setText(c ? c->Text() : QString());
}

void TFormVDBChildSpreadSheet::GridSelectionChanged(bool single, const QString& areaId, int, int,
                                                    TSpreadSheetCell* cell) {
  EditAreaID->setText(areaId);
  mUpdating = true;
  TCellFont font;
  int align = 0;
  int dataType = -1;
  if (single && cell) {
    font = cell->Font();
    align = cell->HAlign();
    dataType = cell->DataType();
  } else {
    font = Grid->GetSelectionFont();
    align = Grid->GetSelectionAlignment() & 0xFF;
  }
  ShowFontName(CBFontName, font.Name);
  CBFontSize->setCurrentIndex(CBFontSize->findText(QString::number(font.Size)));
  const bool styleKnown = font.Style < scKeepStyle;
  BtnBold->setChecked(styleKnown && (font.Style & 1));
  BtnItalic->setChecked(styleKnown && (font.Style & 2));
  BtnUnder->setChecked(styleKnown && (font.Style & 4));
  BtnLeft->setChecked(align == 1);
  BtnCenter->setChecked(align == 2);
  BtnRight->setChecked(align == 3);
  CBDataType->setCurrentIndex(dataType);
  PopGridColWidth->setEnabled(Grid->GetSelColWidth() >= 0);
  PopGridRowHeight->setEnabled(Grid->GetSelRowHeight() >= 0);
  PopGridExpData->setEnabled(!PopGridColWidth->isEnabled() && !PopGridRowHeight->isEnabled());
  mUpdating = false;
}

bool TFormVDBChildSpreadSheet::eventFilter(QObject* o, QEvent* e) {
  if (e->type() == QEvent::KeyPress) {
    auto* k = static_cast<QKeyEvent*>(e);
    if (o == Grid && GridKeyDown(k)) return true;
    if (o == EditFormula && EditFormulaKeyDown(k)) return true;
  }
  return TForm::eventFilter(o, e);
}

bool TFormVDBChildSpreadSheet::GridKeyDown(QKeyEvent* e) {
  if (Grid->EditEnabled() || Grid->EditorMode()) return false;
  if (e->modifiers() & (Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier)) return false;
  if (e->key() == Qt::Key_F2) {
    // Without editing on the grid, F2 edits the cell in the formula bar.
    EditFormula->setFocus();
    EditFormula->end(false);
    return true;
  }
  // By the typed text, not the key code: shifted and accented letters,
  // punctuation and "=" start a formula as well.
  const QString text = e->text();
  if (text.isEmpty() || !text.at(0).isPrint()) return false;
  EditFormula->setFocus();
  EditFormula->selectAll();
  QKeyEvent typed(QEvent::KeyPress, e->key(), e->modifiers(), text);
  QCoreApplication::sendEvent(EditFormula, &typed);
  return true;
}

bool TFormVDBChildSpreadSheet::EditFormulaKeyDown(QKeyEvent* e) {
  switch (e->key()) {
    case Qt::Key_Return:
    case Qt::Key_Enter:
    case Qt::Key_Up:
    case Qt::Key_Down: {
      const int col = Grid->Col(), row = Grid->Row();
      Run([&] { Grid->SetCellText(col, row, EditFormula->text()); });
      Grid->setFocus();
      if (e->key() == Qt::Key_Up || e->key() == Qt::Key_Down) {
        QKeyEvent move(QEvent::KeyPress, e->key(), Qt::NoModifier);
        QCoreApplication::sendEvent(Grid, &move);
      } else {
        Grid->EnsureRows(row + 1);
        Grid->MoveCurrent(col, row + 1, false);
      }
      GridSelectCell(Grid->Col(), Grid->Row());
      return true;
    }
    case Qt::Key_Escape: {
      // The text as written: a formula comes back as its formula, not as
      // the value it shows (which the next Enter would store as a constant).
      BtnUndoClick();
      Grid->setFocus();
      return true;
    }
    default:
      return false;
  }
}

// ---- first row ------------------------------------------------------------------

void TFormVDBChildSpreadSheet::BtnNewClick() {
  Run([this] { Grid->ClearSheet(); });
  GridSelectCell(Grid->Col(), Grid->Row());
}

void TFormVDBChildSpreadSheet::BtnOpenClick() {
  const auto choice = RunFileDialog(this, false, QStringLiteral("Apre un Foglio di Calcolo"), SheetFilters());
  if (!choice) return;
  Run([&] { Grid->LoadFromFile(choice->File); });
  GridSelectCell(Grid->Col(), Grid->Row());
}

void TFormVDBChildSpreadSheet::BtnSaveClick() {
  const auto choice = RunFileDialog(this, true, QStringLiteral("Salva il foglio di calcolo"), SheetFilters());
  if (!choice) return;
  const QString file = SaveFileName(choice->File, choice->Entry);
  Run([&] { Grid->SaveToFile(choice->Entry == 2 ? sfkCsv : sfkSheet, file); });
}

void TFormVDBChildSpreadSheet::BtnPrintClick() {
  // The preview keeps the program responsive while it builds the report:
  // a second print meanwhile would cut the pages under the first one.
  if (mPrinting) return;
  mPrinting = true;
  Run([this] {
    TGridPrintPages& pages = Grid->PrintPages();
    int produced = 0;
    // However the print ends, the report forgets this print's callbacks and
    // the grid its pages (the report keeps its own copies of them).
    struct TDone {
      TFormVDBChildSpreadSheet& w;
      TGridPrintPages& p;
      ~TDone() {
        w.QuickRep->OnNeedData = nullptr;
        w.QRDetailBand->BeforePrint = nullptr;
        w.QRImage->ClearPicture();
        p.OnProgress = nullptr;
        p.ClearPages();
        w.mPrinting = false;
      }
    } done{*this, pages};

    const bool landscape = BtnPrintLandscape->isChecked();
    QuickRep->setReportTitle(Caption());
    QuickRep->setOrientation(landscape ? poLandscape : poPortrait);
    QRDetailBand->setHeight(QuickRep->Height());
    QRImage->setLeft(0);
    QRImage->setTop(0);
    QRImage->setWidth(QuickRep->Width());
    QRImage->setHeight(QRDetailBand->Height());
    QRImage->ClearPicture();

    // Pages of a large sheet take seconds: a progress window appears when
    // the work lasts.
    QProgressDialog progress(QStringLiteral("Preparazione delle pagine..."), QString(), 0, 100, this);
    progress.setWindowModality(Qt::WindowModal);
    progress.setMinimumDuration(1500);
    progress.setAutoClose(false);
    pages.OnProgress = [&progress](int percent) { progress.setValue(percent); };
    Grid->PrintToPages(PrintPageRect(landscape), BtnPrintGrid->isChecked());
    pages.OnProgress = nullptr;
    progress.reset();

    QuickRep->setRecordCount(pages.PageCount());
    QuickRep->OnNeedData = [&](TQuickRep*, bool& more) { more = produced < pages.PageCount(); };
    QRDetailBand->BeforePrint = [&](TQRBand*, bool&) {
      if (const TMetafile* page = pages.Page(produced + 1)) QRImage->SetPicture(*page);
      ++produced;
    };
    QuickRep->OnPreview = [](TQuickRep* report) {
      if (!FormReportPreview) return;
      FormReportPreview->SetReport(report);
      FormReportPreview->ShowPreview();
    };
    QuickRep->Preview();
    mPagesPrinted = produced;
  });
}

void TFormVDBChildSpreadSheet::BtnFindFirstClick() {
  QString text = Grid->GetSelectedText();
  if (!InputQuery(QStringLiteral("Ricerca..."), QStringLiteral("Testo da Cercare"), text)) return;
  bool found = false;
  Run([&] { found = Grid->FindFirst(text); });
  BtnFindNext->setEnabled(found);
  if (!found) ShowMessage(QString::fromLatin1(NotFound));
}

void TFormVDBChildSpreadSheet::BtnFindNextClick() {
  if (!BtnFindNext->isEnabled()) return;
  bool found = false;
  Run([&] { found = Grid->FindNext(); });
  if (!found) {
    BtnFindNext->setEnabled(false);
    ShowMessage(QString::fromLatin1(NotFound));
  }
}

// ---- formula bar ------------------------------------------------------------------

void TFormVDBChildSpreadSheet::BtnUndoClick() {
  const TSpreadSheetCell* c = Grid->GetCurrentCell();
  EditFormula->setText(c ? c->Text() : QString());
}

void TFormVDBChildSpreadSheet::BtnApplyClick() {
  Run([this] { Grid->SetCellText(Grid->Col(), Grid->Row(), EditFormula->text()); });
}

void TFormVDBChildSpreadSheet::BtnRecalcClick() {
  Run([this] { Grid->Recalculate(); });
}

// ---- second row -------------------------------------------------------------------

void TFormVDBChildSpreadSheet::CBFontNameChange() {
  if (mUpdating || CBFontName->FontName().isEmpty()) return;
  TCellFont f = Grid->GetSelectionFont();
  f.Name = CBFontName->FontName().left(CellFontNameMax);
  Run([&] { Grid->SetSelectionFont(f); });
}

void TFormVDBChildSpreadSheet::CBFontSizeChange() {
  if (mUpdating) return;
  TCellFont f = Grid->GetSelectionFont();
  bool ok = false;
  const int size = CBFontSize->currentText().toInt(&ok);
  f.Size = ok ? size : -1;
  Run([&] { Grid->SetSelectionFont(f); });
}

void TFormVDBChildSpreadSheet::StyleClick(int bit, bool down) {
  if (mUpdating) return;
  Run([&] { down ? Grid->IncludeSelectionStyle(bit) : Grid->ExcludeSelectionStyle(bit); });
}

void TFormVDBChildSpreadSheet::BtnFontColorClick() {
  TCellFont f = Grid->GetSelectionFont();
  TColor c;
  if (!Pick(f.Color, c)) return;
  f.Color = c;
  Run([&] { Grid->SetSelectionFont(f); });
}

void TFormVDBChildSpreadSheet::AlignClick(TSpeedButton* sender) {
  if (mUpdating) return;
  // One group that may be all up: pressing the down button again lifts it.
  if (sender->isChecked())
    for (TSpeedButton* b : {BtnLeft, BtnCenter, BtnRight})
      if (b != sender) b->setChecked(false);
  const int h = BtnCenter->isChecked() ? 2 : BtnRight->isChecked() ? 3 : BtnLeft->isChecked() ? 1 : 0;
  const int word = (Grid->GetSelectionAlignment() & 0xFF00) | h;
  Run([&] { Grid->SetSelectionAlignment(word); });
}

void TFormVDBChildSpreadSheet::CBDataTypeChange() {
  if (mUpdating || CBDataType->currentIndex() < 0) return;
  Run([this] { Grid->SetSelectionDataType(CBDataType->currentIndex()); });
}

void TFormVDBChildSpreadSheet::BtnBackColorClick() {
  TColor back, ink;
  int pattern;
  Grid->GetSelectionBackground(back, ink, pattern);
  TColor c;
  if (!Pick(back, c)) return;
  Run([&] { Grid->SetSelectionBackground(c, ink, pattern); });
}

void TFormVDBChildSpreadSheet::BtnMakeBoxClick() {
  Run([this] { Grid->MakeBox(0, 2, clBlack); });
}

// ---- context menu ----------------------------------------------------------------

void TFormVDBChildSpreadSheet::PopGridCellFormatClick() {
  TFormCellsFormat dlg(this);
  dlg.PickColor = PickColor;
  Run([&] { dlg.Execute(Grid); });
}

void TFormVDBChildSpreadSheet::PopGridColWidthClick() {
  QString value = QString::number(Grid->GetSelColWidth());
  if (value == QLatin1String("-1")) return;
  if (!InputQuery(QStringLiteral("Larghezza Colonne"), QStringLiteral("Specificare la nuova Larghezza"),
                  value))
    return;
  int w = 0;
  if (!ReadCount(value, 2, MaxTypedSize, w)) return;
  Run([&] { Grid->SetSelColWidth(w); });
}

void TFormVDBChildSpreadSheet::PopGridRowHeightClick() {
  QString value = QString::number(Grid->GetSelRowHeight());
  if (value == QLatin1String("-1")) return;
  if (!InputQuery(QStringLiteral("Altezza Righe"), QStringLiteral("Specificare la nuova Altezza"), value))
    return;
  int h = 0;
  if (!ReadCount(value, 2, MaxTypedSize, h)) return;
  Run([&] { Grid->SetSelRowHeight(h); });
}

void TFormVDBChildSpreadSheet::PopGridInsertClick() {
  QString value = QStringLiteral("1");
  if (!InputQuery(QStringLiteral("Inserimento..."), QStringLiteral("Numero di Colonne/Righe da Inserire"),
                  value))
    return;
  int n = 0;
  if (!ReadCount(value, 1, MaxInsertCount, n)) return;
  Run([&] { Grid->InsertAtSelection(n); });
}

void TFormVDBChildSpreadSheet::PopGridImportFileClick() {
  const auto choice = RunFileDialog(this, false, QStringLiteral("Importa un file di testo"), CsvFilters());
  if (!choice) return;
  Run([&] { Grid->ImportCSVFile(choice->File); });
  GridSelectCell(Grid->Col(), Grid->Row());
}

void TFormVDBChildSpreadSheet::PopGridExpDataClick() {
  const TGridCoordRect sel = Grid->Selection();
  THourglass busy;
  try {
    MemoTable->Close();
    MemoTable->FieldDefs().Clear();
    MemoTable->FieldDefs().Add(QStringLiteral("Row"), ftInteger);
    for (int col = sel.Left; col <= sel.Right; ++col) {
      const TSpreadSheetCell* f = Grid->Cells().GetFormatCell(col, sel.Top);
      const QString name = ColumnName(col);
      switch (f ? f->DataType() : cdtGeneral) {
        case cdtNumber:
          MemoTable->FieldDefs().Add(name, ftFloat);
          break;
        case cdtBoolean:
          MemoTable->FieldDefs().Add(name, ftBoolean);
          break;
        case cdtDate:
        case cdtTime:
        case cdtDateTime:
          MemoTable->FieldDefs().Add(name, ftDateTime);
          break;
        default:
          MemoTable->FieldDefs().Add(name, ftString, 64);
          break;
      }
    }
    MemoTable->RebuildFields();
    MemoTable->Open();
  } catch (...) {
    // The table stays closed; nothing is exported.
  }
  if (!MemoTable->Active()) return;
  Run([&] {
    for (int row = sel.Top; row <= sel.Bottom; ++row) {
      MemoTable->Append();
      MemoTable->FieldByName(QStringLiteral("Row"))->SetAsInteger(row);
      for (int col = sel.Left; col <= sel.Right; ++col) {
        const TSpreadSheetCell* c = Grid->Cells().FindCell(col, row);
        if (!c) continue;
        try {
          MemoTable->FieldByName(ColumnName(col))->SetValue(c->Value().ToVariant());
        } catch (...) {
          // A value the field cannot hold leaves that field empty.
        }
      }
      MemoTable->Post();
    }
  });
}

void RegisterDemo_spreadsheet() {
  RegisterDemoWindow("TFormVDBChildSpreadSheet", []() -> TForm* { return new TFormVDBChildSpreadSheet(); });
}

}  // namespace Tarnwell
