#include "EDGRecEd.h"

#include <QApplication>
#include <QComboBox>
#include <QFocusEvent>
#include <QFontInfo>
#include <QFontMetrics>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QListWidget>
#include <QPainter>
#include <QPushButton>
#include <QScreen>
#include <QScrollArea>
#include <QSlider>
#include <QSpinBox>
#include <QTabWidget>
#include <QToolButton>
#include <QTreeWidget>
#include <QVBoxLayout>
#include <algorithm>
#include <cmath>

#include <Tarnwell/platform/TDialogs.h>
#include <Tarnwell/platform/THourglass.h>
#include <Tarnwell/visuals/ColCbBox.h>
#include <Tarnwell/visuals/FntCbBox.h>

namespace Tarnwell {

namespace {

const QString kPersonalizza = QStringLiteral("Personalizza");
const QString kNuovaColonna = QStringLiteral("Nuova Colonna");
const QString kNomeColonna = QStringLiteral("*Nome Colonna*");
const QString kOperandHint =
    QStringLiteral("|Usare il simbolo @ per fare riferimento ad un campo. Es. @NomeCampo");

QStringList FontSizes() {
  return {"6", "7", "8", "9", "10", "11", "12", "14", "16", "18", "20"};
}
QStringList FontStyles() { return {"Normale", "Corsivo", "Grassetto", "Gras. Corsivo"}; }
QStringList Operators() { return {"", "=", ">", "<", ">=", "<=", "<>"}; }
QStringList Alignments() { return {"A Sinistra", "A Destra", "Centrato"}; }

// The style list's index of a font style; -1 for underline or strike-out,
// which the list cannot show.
int StyleIndex(TFontStyles s) {
  if (s & (fsUnderline | fsStrikeOut)) return -1;
  return ((s & fsBold) ? 2 : 0) + ((s & fsItalic) ? 1 : 0);
}
TFontStyles StyleOf(int index) {
  TFontStyles s = 0;
  if (index == 1 || index == 3) s |= fsItalic;
  if (index == 2 || index == 3) s |= fsBold;
  return s;
}

// A classic font name that is not installed shows as the family drawn instead.
void ShowFontName(TFontComboBox* box, const TFont& f) {
  box->setFontName(f.Name());
  if (box->FontName().isEmpty()) box->setFontName(QFontInfo(f.ToQFont()).family());
}

// Whether the box names another font than the one `f` draws with (a classic
// name shown as its installed family keeps its own name).
bool PickedOtherFont(TFontComboBox* box, const TFont& f) {
  const QString n = box->FontName();
  return !n.isEmpty() && n != f.Name() && n != QFontInfo(f.ToQFont()).family();
}

QComboBox* MakeCombo(QWidget* parent, const QStringList& items, bool editable = false) {
  auto* c = new QComboBox(parent);
  c->setEditable(editable);
  c->addItems(items);
  return c;
}

void SetHintText(QWidget* w, const QString& hint) {
  const int bar = int(hint.indexOf(QLatin1Char('|')));
  w->setToolTip(bar < 0 ? hint : hint.left(bar));
  w->setStatusTip(bar < 0 ? hint : hint.mid(bar + 1));
}

// Splits a rule line into at most `parts` trimmed parts.
QStringList RuleParts(const QString& line, int parts) {
  QStringList p = line.split(QLatin1Char('|'));
  while (p.size() > parts) p.removeLast();
  for (QString& s : p) s = s.trimmed();
  while (p.size() < parts) p << QString();
  return p;
}

}  // namespace

// ------------------------------------------------------------------ data links

TField* TFieldDataLink::Field() const {
  TDataSet* ds = DataSet();
  if (!ds || !ds->Active() || FieldName.isEmpty()) return nullptr;
  return ds->FindField(FieldName);
}

bool TFieldDataLink::Edit() {
  if (!Active()) return false;
  if (Editing()) return true;
  if (!DataSource()->AutoEdit()) return false;
  try {
    DataSet()->Edit();
  } catch (...) {
    HandleCurrentException();
    return false;
  }
  return Editing();
}

void TFieldDataLink::RecordChanged(TField* f) {
  if (Writing) return;
  if (!f || f == Field())
    if (OnDataChange) OnDataChange();
}

// ------------------------------------------------------------------ TDBEdit

TDBEdit::TDBEdit(TDataSource* source, const QString& field, QWidget* parent) : QLineEdit(parent) {
  mLink.FieldName = field;
  mLink.OnDataChange = [this] { Load(); };
  mLink.OnUpdateData = [this] { UpdateRecord(); };
  mLink.SetDataSource(source);
  connect(this, &QLineEdit::textEdited, this, [this] {
    if (isReadOnly()) return;
    if (!mLink.EditFromControl()) {
      Load();
      return;
    }
    mModified = true;
  });
  Load();
}

void TDBEdit::Load() {
  mModified = false;
  TField* f = mLink.Field();
  setText(f ? f->AsString() : QString());
  home(false);
}

void TDBEdit::UpdateRecord() {
  if (!mModified) return;
  TField* f = mLink.Field();
  if (!f) return;
  // An emptied box empties the field (a required one then refuses the post).
  // A refusal throws: the post stops there and what was typed stays.
  mLink.WriteFromControl([&] {
    if (text().isEmpty())
      f->Clear();
    else
      f->SetAsString(text());
  });
  mModified = false;
}

void TDBEdit::focusOutEvent(QFocusEvent* e) {
  QLineEdit::focusOutEvent(e);
  try {
    UpdateRecord();
  } catch (...) {
    HandleCurrentException();
  }
}

// ------------------------------------------------------------------ TDBCheckBox

TDBCheckBox::TDBCheckBox(TDataSource* source, const QString& field, QWidget* parent) : QCheckBox(parent) {
  mLink.FieldName = field;
  mLink.OnDataChange = [this] { Load(); };
  mLink.SetDataSource(source);
  connect(this, &QCheckBox::toggled, this, [this](bool on) {
    if (mLoading) return;
    TField* f = mLink.Field();
    if (!f || !mLink.Edit()) {
      Load();
      return;
    }
    try {
      mLink.WriteFromControl([&] { f->SetAsBoolean(on); });
    } catch (...) {
      HandleCurrentException();
    }
  });
  Load();
}

void TDBCheckBox::Load() {
  mLoading = true;
  TField* f = mLink.Field();
  setChecked(f && !f->IsNull() && f->AsBoolean());
  mLoading = false;
}

// ------------------------------------------------------------------ TDBRichEdit

TDBRichEdit::TDBRichEdit(TDataSource* source, const QString& field, QWidget* parent) : QTextEdit(parent) {
  setAcceptRichText(false);
  mLink.FieldName = field;
  mLink.OnDataChange = [this] { Load(); };
  mLink.OnUpdateData = [this] { UpdateRecord(); };
  mLink.SetDataSource(source);
  connect(this, &QTextEdit::textChanged, this, [this] {
    if (mLoading || isReadOnly()) return;
    if (!mLink.EditFromControl()) {
      Load();
      return;
    }
    mModified = true;
  });
  Load();
}

void TDBRichEdit::Load() {
  mLoading = true;
  mModified = false;
  TField* f = mLink.Field();
  setPlainText(f ? f->AsString() : QString());
  mLoading = false;
}

void TDBRichEdit::UpdateRecord() {
  if (!mModified) return;
  TField* f = mLink.Field();
  if (!f) return;
  mLink.WriteFromControl([&] { f->SetAsString(toPlainText()); });
  mModified = false;
}

void TDBRichEdit::focusOutEvent(QFocusEvent* e) {
  QTextEdit::focusOutEvent(e);
  try {
    UpdateRecord();
  } catch (...) {
    HandleCurrentException();
  }
}

// ------------------------------------------------------------------ TDBImage

TDBImage::TDBImage(TDataSource* source, const QString& field, bool autoDisplay, QWidget* parent)
    : QLabel(parent), mAutoDisplay(autoDisplay) {
  setFrameShape(QFrame::StyledPanel);
  setAlignment(Qt::AlignLeft | Qt::AlignTop);
  mLink.FieldName = field;
  mLink.OnDataChange = [this] { Load(); };
  mLink.SetDataSource(source);
  Load();
}

void TDBImage::Load() {
  if (!mAutoDisplay) {
    mPicture = QImage();
    Show();
    return;
  }
  TField* f = mLink.Field();
  QImage img;
  if (f && !f->IsNull()) img.loadFromData(f->AsBytes());
  mPicture = img.height() > 0 && img.width() > 0 ? img : QImage();
  Show();
}

bool TDBImage::LoadPicture() {
  TField* f = mLink.Field();
  if (!f || f->IsNull()) return false;
  const QByteArray blob = f->AsBytes();
  // The bitmap may sit behind a header of the program that stored it; a
  // blob that holds a picture of another format is read as it stands.
  QImage img;
  const qsizetype at = blob.indexOf("BM");
  if (at < 0 || !img.loadFromData(blob.mid(at), "BMP")) img.loadFromData(blob);
  if (img.isNull() || img.height() <= 0 || img.width() <= 0) return false;
  mPicture = img;
  Show();
  return true;
}

void TDBImage::FitWidth() {
  if (mPicture.isNull() || mPicture.height() <= 0) return;
  const int w = int(std::lround(double(mPicture.width()) / mPicture.height() * height()));
  resize(std::clamp(w, 10, 400), height());
}

void TDBImage::SetStretch(bool on) {
  if (on == mStretch) return;
  mStretch = on;
  Show();
}

void TDBImage::Show() {
  if (mPicture.isNull()) {
    clear();
    return;
  }
  const QSize inner = contentsRect().size();
  setPixmap(QPixmap::fromImage(mStretch ? mPicture.scaled(inner, Qt::IgnoreAspectRatio, Qt::SmoothTransformation)
                                        : mPicture.scaled(inner, Qt::KeepAspectRatio, Qt::SmoothTransformation)));
}

void TDBImage::resizeEvent(QResizeEvent* e) {
  QLabel::resizeEvent(e);
  Show();
}

void TDBImage::mouseDoubleClickEvent(QMouseEvent*) { SetStretch(!mStretch); }

// ------------------------------------------------------------------ TDBNavigator

TDBNavigator::TDBNavigator(TDataSource* source, bool editing, QWidget* parent) : QWidget(parent) {
  auto* lay = new QHBoxLayout(this);
  lay->setContentsMargins(0, 0, 0, 0);
  lay->setSpacing(0);
  const char* texts[7] = {"|◀", "◀", "▶", "▶|", "+", "−", "↻"};
  const char* hints[7] = {"Primo record", "Record precedente", "Record successivo", "Ultimo record",
                          "Inserisci record", "Cancella record", "Aggiorna i dati"};
  const char* names[7] = {"nbFirst", "nbPrior", "nbNext", "nbLast", "nbInsert", "nbDelete", "nbRefresh"};
  // The order on screen: first, prior, next, last, [insert, delete,] refresh.
  for (int b : {0, 1, 2, 3, 4, 5, 6}) {
    auto* t = new QToolButton(this);
    t->setText(QString::fromUtf8(texts[b]));
    t->setToolTip(QString::fromUtf8(hints[b]));
    t->setObjectName(QString::fromLatin1(names[b]));
    t->setFixedSize(25, 25);
    t->setAutoRaise(false);
    connect(t, &QToolButton::clicked, this, [this, b] { BtnClick(TNavigateBtn(b)); });
    mButtons[b] = t;
    if ((b == nbInsert || b == nbDelete) && !editing) t->hide();
    lay->addWidget(t);
  }
  lay->addStretch();
  mLink.OnDataChange = [this] { UpdateButtons(); };
  mLink.OnEditingChange = [this] { UpdateButtons(); };
  mLink.SetDataSource(source);
  UpdateButtons();
}

void TDBNavigator::UpdateButtons() {
  const bool active = mLink.Active();
  TDataSet* ds = mLink.DataSet();
  const bool bof = !active || ds->Bof(), eof = !active || ds->Eof();
  mButtons[nbFirst]->setEnabled(active && !bof);
  mButtons[nbPrior]->setEnabled(active && !bof);
  mButtons[nbNext]->setEnabled(active && !eof);
  mButtons[nbLast]->setEnabled(active && !eof);
  mButtons[nbInsert]->setEnabled(active && ds->CanModify());
  mButtons[nbDelete]->setEnabled(active && ds->CanModify() && !ds->IsEmpty());
  mButtons[nbRefresh]->setEnabled(active);
}

void TDBNavigator::BtnClick(TNavigateBtn b) {
  TDataSet* ds = mLink.DataSet();
  if (!mLink.Active()) return;
  try {
    switch (b) {
      case nbFirst:
        ds->First();
        break;
      case nbPrior:
        ds->Prior();
        break;
      case nbNext:
        ds->Next();
        break;
      case nbLast:
        ds->Last();
        break;
      case nbInsert:
        ds->Insert();
        break;
      case nbDelete:
        if (MessageDlg(QStringLiteral("Cancellare il record?"), mtConfirmation, mbYes | mbNo, mbNo) == mrYes)
          ds->Delete();
        break;
      case nbRefresh:
        ds->Refresh();
        break;
    }
  } catch (...) {
    HandleCurrentException();
  }
  Q_EMIT Click(this, int(b));
}

// ------------------------------------------------------------------ customisation window

TFormDBGridEdit::TFormDBGridEdit(TEnhDBGrid* grid, QWidget* parent) : QDialog(parent), mGrid(grid) {
  setObjectName(QStringLiteral("FormDBGridEdit"));
  setWindowTitle(kPersonalizza);
  auto* top = new QVBoxLayout(this);
  Pages = new QTabWidget(this);
  Pages->setObjectName(QStringLiteral("Pages"));
  Pages->addTab(MakeGridPage(), QStringLiteral("Proprietà Griglia"));
  Pages->addTab(MakeFieldsPage(), QStringLiteral("Selezione Campi"));
  Pages->addTab(MakeColumnsPage(), QStringLiteral("Proprietà Colonne"));
  Pages->addTab(MakeConversionPage(), QStringLiteral("Funzioni"));
  Pages->addTab(MakeSignalPage(), QStringLiteral("Segnalazioni"));
  top->addWidget(Pages);
  auto* bottom = new QHBoxLayout;
  RestoreButton = new QPushButton(QStringLiteral("Ripristina"), this);
  DefaultButton = new QPushButton(QStringLiteral("Predefinito"), this);
  OkButton = new QPushButton(QStringLiteral("&OK"), this);
  CancelButton = new QPushButton(QStringLiteral("&Cancel"), this);
  RestoreButton->setObjectName(QStringLiteral("RestoreButton"));
  DefaultButton->setObjectName(QStringLiteral("DefaultButton"));
  OkButton->setObjectName(QStringLiteral("OkButton"));
  CancelButton->setObjectName(QStringLiteral("CancelButton"));
  bottom->addWidget(RestoreButton);
  bottom->addWidget(DefaultButton);
  bottom->addStretch();
  bottom->addWidget(OkButton);
  bottom->addWidget(CancelButton);
  top->addLayout(bottom);
  OkButton->setDefault(true);
  connect(OkButton, &QPushButton::clicked, this, &QDialog::accept);
  connect(CancelButton, &QPushButton::clicked, this, &QDialog::reject);
  connect(RestoreButton, &QPushButton::clicked, this, [this] {
    if (!mGrid) return;
    mGrid->RestorePreviousLayout();
    FillForm();
  });
  connect(DefaultButton, &QPushButton::clicked, this, [this] {
    if (!mGrid) return;
    mGrid->RestoreDefaultLayout();
    FillForm();
  });
  connect(Pages, &QTabWidget::currentChanged, this, [this](int page) {
    if (page == 2) FillColumnProps();
    if (page == 3 || page == 4) FillRuleColumns();
  });
  resize(620, 420);
  FillForm();
}

TFormDBGridEdit::~TFormDBGridEdit() = default;

QWidget* TFormDBGridEdit::MakeGridPage() {
  auto* page = new QWidget;
  auto* lay = new QVBoxLayout(page);
  auto fontGroup = [&](const QString& title, TFontComboBox*& name, TColorComboBox*& color, QComboBox*& size,
                       QComboBox*& style, bool isTitle) {
    auto* g = new QGroupBox(title, page);
    auto* gl = new QGridLayout(g);
    name = new TFontComboBox(g);
    name->LoadFonts();
    color = new TColorComboBox(g);
    size = MakeCombo(g, FontSizes(), true);
    style = MakeCombo(g, FontStyles());
    gl->addWidget(new QLabel(QStringLiteral("Carattere:"), g), 0, 0);
    gl->addWidget(name, 0, 1);
    gl->addWidget(new QLabel(QStringLiteral("Colore:"), g), 0, 2);
    gl->addWidget(color, 0, 3);
    gl->addWidget(new QLabel(QStringLiteral("Dimensione:"), g), 1, 0);
    gl->addWidget(size, 1, 1);
    gl->addWidget(new QLabel(QStringLiteral("Stile:"), g), 1, 2);
    gl->addWidget(style, 1, 3);
    lay->addWidget(g);
    connect(name, &TFontComboBox::Change, this, [this, isTitle] { ApplyGridFont(isTitle); });
    connect(color, &TColorComboBox::Change, this, [this, isTitle] { ApplyGridFont(isTitle); });
    connect(size, &QComboBox::currentTextChanged, this, [this, isTitle] { ApplyGridFont(isTitle); });
    connect(style, &QComboBox::currentIndexChanged, this, [this, isTitle] { ApplyGridFont(isTitle); });
  };
  fontGroup(QStringLiteral(" Carattere per i Dati "), DataFontName, DataFontColor, DataFontSize, DataFontStyle,
            false);
  fontGroup(QStringLiteral(" Carattere per i Titoli delle Colonne "), TitleFontName, TitleFontColor, TitleFontSize,
            TitleFontStyle, true);
  DataFontName->setObjectName(QStringLiteral("DataFontName"));
  TitleFontName->setObjectName(QStringLiteral("TitleFontName"));
  auto* v = new QGroupBox(QStringLiteral(" Visualizzazione "), page);
  auto* vl = new QGridLayout(v);
  FixedColorBox = new TColorComboBox(v);
  CellColorBox = new TColorComboBox(v);
  CellStyleBox = MakeCombo(v, {"Normale", "Rilevato", "Incavato"});
  FixedColumnsBox = new QSpinBox(v);
  FixedColumnsBox->setRange(0, kLayoutMaxColumns);
  FixedColumnsBox->setReadOnly(false);
  FixedColumnsBox->findChild<QLineEdit*>()->setReadOnly(true);
  FixedColumnsBox->setObjectName(QStringLiteral("FixedColumnsBox"));
  vl->addWidget(new QLabel(QStringLiteral("Colore delle Colonne Fisse"), v), 0, 0);
  vl->addWidget(FixedColorBox, 0, 1);
  vl->addWidget(new QLabel(QStringLiteral("Colore delle Celle"), v), 0, 2);
  vl->addWidget(CellColorBox, 0, 3);
  vl->addWidget(new QLabel(QStringLiteral("Stile delle Celle:"), v), 1, 0);
  vl->addWidget(CellStyleBox, 1, 1);
  vl->addWidget(new QLabel(QStringLiteral("Numero di Colonne Fisse"), v), 1, 2);
  vl->addWidget(FixedColumnsBox, 1, 3);
  lay->addWidget(v);
  lay->addStretch();
  connect(FixedColorBox, &TColorComboBox::Change, this, [this] {
    if (!mLoading && mGrid) mGrid->setFixedColor(FixedColorBox->ColorValue());
  });
  connect(CellColorBox, &TColorComboBox::Change, this, [this] {
    if (!mLoading && mGrid) mGrid->setColor(CellColorBox->ColorValue());
  });
  connect(CellStyleBox, &QComboBox::currentIndexChanged, this, [this](int i) {
    if (!mLoading && mGrid && i >= 0) mGrid->setCellStyle(TCellStyle(i));
  });
  connect(FixedColumnsBox, &QSpinBox::valueChanged, this, [this](int n) {
    if (mLoading || !mGrid) return;
    mGrid->setFixedCols(n + 1);
    mGrid->setFixedColumns(mGrid->FixedCols());
    if (mGrid->FixedColumns() != n + 1) {
      const QSignalBlocker block(FixedColumnsBox);
      FixedColumnsBox->setValue(mGrid->FixedColumns() - 1);
    }
  });
  return page;
}

void TFormDBGridEdit::ApplyGridFont(bool title) {
  if (mLoading || !mGrid) return;
  TFontComboBox* name = title ? TitleFontName : DataFontName;
  TColorComboBox* color = title ? TitleFontColor : DataFontColor;
  QComboBox* size = title ? TitleFontSize : DataFontSize;
  QComboBox* style = title ? TitleFontStyle : DataFontStyle;
  TFont f = title ? mGrid->TitleFont() : TFont(mGrid->Font());
  if (PickedOtherFont(name, f)) f.SetName(name->FontName());
  f.SetColor(color->ColorValue());
  bool ok = false;
  const int points = size->currentText().trimmed().toInt(&ok);
  if (ok && points > 0 && points <= 200) f.SetSize(points);  // a text that is no number keeps the size
  if (style->currentIndex() >= 0) f.SetStyle((f.Style() & (fsUnderline | fsStrikeOut)) | StyleOf(style->currentIndex()));
  if (title)
    mGrid->setTitleFont(f);
  else
    mGrid->Font().Assign(f);
}

QWidget* TFormDBGridEdit::MakeFieldsPage() {
  auto* page = new QWidget;
  auto* lay = new QHBoxLayout(page);
  mFieldsLeft = new QWidget(page);
  auto* ll = new QVBoxLayout(mFieldsLeft);
  ll->setContentsMargins(0, 0, 0, 0);
  ll->addWidget(new QLabel(QStringLiteral("Campi Disponibili"), mFieldsLeft));
  AvailableList = new QListWidget(mFieldsLeft);
  AvailableList->setObjectName(QStringLiteral("AvailableList"));
  ll->addWidget(AvailableList);
  mFieldsButtons = new QWidget(page);
  auto* bl = new QVBoxLayout(mFieldsButtons);
  AddButton = new QPushButton(QStringLiteral(">"), mFieldsButtons);
  AddAllButton = new QPushButton(QStringLiteral(">>"), mFieldsButtons);
  RemoveButton = new QPushButton(QStringLiteral("<"), mFieldsButtons);
  RemoveAllButton = new QPushButton(QStringLiteral("<<"), mFieldsButtons);
  RebuildButton = new QPushButton(QStringLiteral("Tutti"), mFieldsButtons);
  NewColumnButton = new QPushButton(QStringLiteral("Nuova"), mFieldsButtons);
  SetHintText(RebuildButton, QStringLiteral("Ricrea le colonne|Ricrea una colonna per ogni campo"));
  SetHintText(NewColumnButton, QStringLiteral("Nuova colonna|Aggiunge una colonna senza campo"));
  for (QPushButton* b : {AddButton, AddAllButton, RemoveButton, RemoveAllButton, RebuildButton, NewColumnButton}) {
    b->setFixedWidth(48);
    bl->addWidget(b);
  }
  bl->addStretch();
  auto* right = new QWidget(page);
  auto* rl = new QVBoxLayout(right);
  rl->setContentsMargins(0, 0, 0, 0);
  rl->addWidget(new QLabel(QStringLiteral("Colonne"), right));
  ColumnsList = new QListWidget(right);
  ColumnsList->setObjectName(QStringLiteral("ColumnsList"));
  ColumnsList->setDragDropMode(QAbstractItemView::InternalMove);
  ColumnsList->setDefaultDropAction(Qt::MoveAction);
  rl->addWidget(ColumnsList);
  lay->addWidget(mFieldsLeft);
  lay->addWidget(mFieldsButtons);
  lay->addWidget(right, 1);
  connect(AvailableList, &QListWidget::itemDoubleClicked, this,
          [this](QListWidgetItem* it) { AddField(AvailableList->row(it)); });
  connect(ColumnsList, &QListWidget::itemDoubleClicked, this,
          [this](QListWidgetItem* it) { RemoveColumn(ColumnsList->row(it)); });
  connect(AddButton, &QPushButton::clicked, this, [this] {
    const int at = AvailableList->currentRow();
    if (at < 0) return;
    AddField(at);
    AvailableList->setCurrentRow(std::min(at, AvailableList->count() - 1));
  });
  connect(RemoveButton, &QPushButton::clicked, this, [this] {
    const int at = ColumnsList->currentRow();
    if (at < 0) return;
    RemoveColumn(at);
    ColumnsList->setCurrentRow(std::min(at, ColumnsList->count() - 1));
  });
  connect(AddAllButton, &QPushButton::clicked, this, [this] { AddAllFields(); });
  connect(RemoveAllButton, &QPushButton::clicked, this, [this] { RemoveAllColumns(); });
  connect(RebuildButton, &QPushButton::clicked, this, [this] { RebuildAllColumns(); });
  connect(NewColumnButton, &QPushButton::clicked, this, [this] { NewColumn(); });
  connect(ColumnsList->model(), &QAbstractItemModel::rowsMoved, this,
          [this](const QModelIndex&, int start, int, const QModelIndex&, int dest) {
            if (mLoading || !mGrid) return;
            mGrid->Columns().Move(start, dest > start ? dest - 1 : dest);
          });
  return page;
}

void TFormDBGridEdit::resizeEvent(QResizeEvent* e) {
  QDialog::resizeEvent(e);
  // The field list takes half of what the buttons leave.
  if (mFieldsLeft && mFieldsButtons)
    mFieldsLeft->setFixedWidth(std::max(80, (width() - mFieldsButtons->width() - 33) / 2));
}

namespace {
bool IsPlaceholder(TEnhDBGrid* g) {
  return g->Columns().Count() == 1 && g->Columns()[0]->FieldName().isEmpty() &&
         g->Columns()[0]->TitleCaption().isEmpty();
}
}  // namespace

void TFormDBGridEdit::FillColumnLists() {
  const bool was = mLoading;
  mLoading = true;
  AvailableList->clear();
  ColumnsList->clear();
  if (mGrid) {
    QStringList used;
    if (!IsPlaceholder(mGrid))
      for (int i = 0; i < mGrid->Columns().Count(); ++i) {
        ColumnsList->addItem(mGrid->Columns()[i]->TitleCaption());
        used << mGrid->Columns()[i]->FieldName().toUpper();
      }
    if (TDataSet* ds = mGrid->DataSet(); ds && ds->Active())
      for (int i = 0; i < ds->FieldCount(); ++i)
        if (!used.contains(ds->Fields(i)->FieldName().toUpper())) AvailableList->addItem(ds->Fields(i)->FieldName());
  }
  mLoading = was;
}

void TFormDBGridEdit::AddField(int index) {
  if (!mGrid || index < 0 || index >= AvailableList->count()) return;
  const QString entry = AvailableList->item(index)->text();
  const bool wasEmpty = ColumnsList->count() == 0;
  TDBGridColumns& cols = mGrid->Columns();
  TDBGridColumn* c = nullptr;
  if (wasEmpty) {
    // The grid's single placeholder column makes way for the new one.
    while (cols.Count() > 1) cols.Delete(cols.Count() - 1);
    c = cols.Add();
    if (cols.Count() > 1) cols.Delete(0);
  } else {
    c = cols.Add();
  }
  if (entry.startsWith(QLatin1Char('[')) && entry.endsWith(QLatin1Char(']')))
    c->SetTitleCaption(entry.mid(1, entry.size() - 2));
  else
    c->SetFieldName(entry);
  ColumnsList->addItem(c->TitleCaption());
  delete AvailableList->takeItem(index);
}

void TFormDBGridEdit::AddAllFields() {
  while (AvailableList->count() > 0) AddField(0);
}

void TFormDBGridEdit::RemoveColumn(int index) {
  if (!mGrid || index < 0 || index >= ColumnsList->count() || index >= mGrid->Columns().Count()) return;
  TDBGridColumn* c = mGrid->Columns()[index];
  AvailableList->addItem(c->FieldName().isEmpty() ? QLatin1Char('[') + c->TitleCaption() + QLatin1Char(']')
                                                  : c->FieldName());
  delete ColumnsList->takeItem(index);
  mGrid->Columns().Delete(index);
  if (mGrid->Columns().Count() == 0) mGrid->Columns().Add();  // a blank grid keeps one empty column
}

void TFormDBGridEdit::RemoveAllColumns() {
  if (!mGrid) return;
  mGrid->Columns().Clear();
  mGrid->Columns().Add();
  FillColumnLists();
}

void TFormDBGridEdit::RebuildAllColumns() {
  if (!mGrid) return;
  mGrid->Columns().RebuildColumns();
  mGrid->Columns().SetCustomized(true);
  const bool was = mLoading;
  mLoading = true;
  ColumnsList->clear();
  AvailableList->clear();
  for (int i = 0; i < mGrid->Columns().Count(); ++i) ColumnsList->addItem(mGrid->Columns()[i]->FieldName());
  mLoading = was;
}

void TFormDBGridEdit::NewColumn() {
  if (!mGrid) return;
  const bool wasEmpty = ColumnsList->count() == 0;
  TDBGridColumns& cols = mGrid->Columns();
  if (wasEmpty) cols.Clear();
  TDBGridColumn* c = cols.Add();
  c->SetTitleCaption(kNuovaColonna);
  cols.Move(cols.Count() - 1, 0);
  const bool was = mLoading;
  mLoading = true;
  ColumnsList->insertItem(0, kNuovaColonna);
  mLoading = was;
}

void TFormDBGridEdit::MoveColumnEntry(int from, int to) {
  if (!mGrid || from < 0 || from >= ColumnsList->count() || to < 0 || to >= ColumnsList->count() || from == to)
    return;
  const bool was = mLoading;
  mLoading = true;
  QListWidgetItem* it = ColumnsList->takeItem(from);
  ColumnsList->insertItem(to, it);
  mLoading = was;
  mGrid->Columns().Move(from, to);
}

// --- column properties

QWidget* TFormDBGridEdit::MakeColumnsPage() {
  auto* page = new QWidget;
  auto* lay = new QVBoxLayout(page);
  ColumnPropsList = new QTreeWidget(page);
  ColumnPropsList->setObjectName(QStringLiteral("ColumnPropsList"));
  ColumnPropsList->setRootIsDecorated(false);
  ColumnPropsList->setHeaderLabels({"Titolo Colonna", "Campo", "Colore", "Allineamento", "Carattere"});
  lay->addWidget(ColumnPropsList, 1);
  auto* g = new QGridLayout;
  ColumnTitle = new QLineEdit(page);
  ColumnColor = new TColorComboBox(page);
  ColumnAlignment = MakeCombo(page, Alignments());
  ColumnWidth = new QSlider(Qt::Horizontal, page);
  const QScreen* screen = QGuiApplication::primaryScreen();
  ColumnWidth->setRange(10, std::max(11, (screen ? screen->geometry().width() : 1024) - 128));
  g->addWidget(new QLabel(QStringLiteral("Titolo:"), page), 0, 0);
  g->addWidget(ColumnTitle, 0, 1);
  g->addWidget(new QLabel(QStringLiteral("Colore:"), page), 0, 2);
  g->addWidget(ColumnColor, 0, 3);
  g->addWidget(new QLabel(QStringLiteral("Allineamento:"), page), 1, 0);
  g->addWidget(ColumnAlignment, 1, 1);
  g->addWidget(new QLabel(QStringLiteral("Dimensione:"), page), 1, 2);
  g->addWidget(ColumnWidth, 1, 3);
  lay->addLayout(g);
  auto* fg = new QGroupBox(QStringLiteral(" Carattere"), page);
  auto* fl = new QGridLayout(fg);
  ColumnFontName = new TFontComboBox(fg);
  ColumnFontName->LoadFonts();
  ColumnFontColor = new TColorComboBox(fg);
  ColumnFontSize = MakeCombo(fg, FontSizes(), true);
  ColumnFontStyle = MakeCombo(fg, FontStyles());
  fl->addWidget(ColumnFontName, 0, 0);
  fl->addWidget(ColumnFontColor, 0, 1);
  fl->addWidget(ColumnFontSize, 0, 2);
  fl->addWidget(ColumnFontStyle, 0, 3);
  lay->addWidget(fg);
  connect(ColumnPropsList, &QTreeWidget::currentItemChanged, this, [this] { ShowColumnProps(); });
  auto apply = [this] { ApplyColumnProps(); };
  connect(ColumnTitle, &QLineEdit::textEdited, this, apply);
  connect(ColumnColor, &TColorComboBox::Change, this, apply);
  connect(ColumnAlignment, &QComboBox::currentIndexChanged, this, apply);
  connect(ColumnWidth, &QSlider::valueChanged, this, apply);
  connect(ColumnFontName, &TFontComboBox::Change, this, apply);
  connect(ColumnFontColor, &TColorComboBox::Change, this, apply);
  connect(ColumnFontSize, &QComboBox::currentTextChanged, this, apply);
  connect(ColumnFontStyle, &QComboBox::currentIndexChanged, this, apply);
  return page;
}

namespace {
QStringList ColumnRow(const TDBGridColumn* c) {
  const TFont f = c->Font();
  return {c->TitleCaption(), c->FieldName(), TColorComboBox::ColorToName(c->Color()).isEmpty()
                                                 ? ColorToString(c->Color())
                                                 : TColorComboBox::ColorToName(c->Color()),
          Alignments().value(int(c->Alignment())), f.Name() + QStringLiteral(",  ") + QString::number(f.Size())};
}
}  // namespace

void TFormDBGridEdit::FillColumnProps() {
  if (!mGrid) return;
  const bool was = mShowing;
  mShowing = true;
  ColumnPropsList->clear();
  mPropsColumns.clear();
  for (int i = 0; i < mGrid->Columns().Count(); ++i) {
    const TDBGridColumn* c = mGrid->Columns()[i];
    if (c->TitleCaption().trimmed().isEmpty() && c->FieldName().isEmpty()) continue;
    ColumnPropsList->addTopLevelItem(new QTreeWidgetItem(ColumnRow(c)));
    mPropsColumns.push_back(i);
  }
  Pages->widget(2)->setEnabled(!mPropsColumns.empty());
  mShowing = was;
  if (!mPropsColumns.empty()) ColumnPropsList->setCurrentItem(ColumnPropsList->topLevelItem(0));
  ShowColumnProps();
}

TDBGridColumn* TFormDBGridEdit::PropsColumn() const {
  if (!mGrid || !ColumnPropsList->currentItem()) return nullptr;
  const int row = ColumnPropsList->indexOfTopLevelItem(ColumnPropsList->currentItem());
  if (row < 0 || size_t(row) >= mPropsColumns.size()) return nullptr;
  const int i = mPropsColumns[size_t(row)];
  return i < mGrid->Columns().Count() ? mGrid->Columns()[i] : nullptr;
}

void TFormDBGridEdit::ShowColumnProps() {
  const bool was = mShowing;
  mShowing = true;
  const TDBGridColumn* c = PropsColumn();
  if (!c) {
    ColumnTitle->clear();
    ColumnColor->setColorValue(clWhite);
    ColumnFontName->setFontName(QStringLiteral("Arial"));
  } else {
    ColumnTitle->setText(c->TitleCaption());
    ColumnColor->setColorValue(c->Color());
    ColumnAlignment->setCurrentIndex(int(c->Alignment()));
    ColumnWidth->setValue(c->Width());
    const TFont f = c->Font();
    ShowFontName(ColumnFontName, f);
    ColumnFontColor->setColorValue(f.Color());
    ColumnFontSize->setCurrentText(QString::number(f.Size()));
    if (StyleIndex(f.Style()) >= 0) ColumnFontStyle->setCurrentIndex(StyleIndex(f.Style()));
  }
  mShowing = was;
}

void TFormDBGridEdit::ApplyColumnProps() {
  if (mShowing || mLoading) return;
  TDBGridColumn* c = PropsColumn();
  if (!c) return;
  const QString title = ColumnTitle->text();
  c->SetTitleCaption(title.isEmpty() ? QStringLiteral(" ") : title);
  c->SetColor(ColumnColor->ColorValue());
  c->SetAlignment(TAlignment(std::max(0, ColumnAlignment->currentIndex())));
  c->SetWidth(ColumnWidth->value());
  TFont f = c->Font();
  if (PickedOtherFont(ColumnFontName, f)) f.SetName(ColumnFontName->FontName());
  f.SetColor(ColumnFontColor->ColorValue());
  bool ok = false;
  const int points = ColumnFontSize->currentText().trimmed().toInt(&ok);
  if (ok && points > 0 && points <= 200) f.SetSize(points);
  if (ColumnFontStyle->currentIndex() >= 0)
    f.SetStyle((f.Style() & (fsUnderline | fsStrikeOut)) | StyleOf(ColumnFontStyle->currentIndex()));
  c->SetFont(f);
  // The title follows the column's font (name, size and style).
  TFont tf = c->TitleFont();
  tf.SetName(f.Name());
  tf.SetSize(f.Size());
  tf.SetStyle(f.Style());
  c->SetTitleFont(tf);
  const QStringList row = ColumnRow(c);
  if (QTreeWidgetItem* it = ColumnPropsList->currentItem())
    for (int k = 0; k < row.size(); ++k) it->setText(k, row[k]);
}

// --- the rule pages

QStringList TFormDBGridEdit::OperandChoices() const {
  QStringList l{QString()};
  if (mGrid)
    if (TDataSet* ds = mGrid->DataSet(); ds && ds->Active())
      for (const QString& n : ds->FieldNames()) l << QLatin1Char('@') + n;
  return l;
}

QWidget* TFormDBGridEdit::MakeConversionPage() {
  auto* page = new QWidget;
  auto* lay = new QVBoxLayout(page);
  ConvList = new QTreeWidget(page);
  ConvList->setObjectName(QStringLiteral("ConvList"));
  ConvList->setRootIsDecorated(false);
  ConvList->setHeaderLabels({"Colonna", "Cond.", "Valore", "Funzione", "Parametro 1", "Parametro 2"});
  lay->addWidget(ConvList, 1);
  auto* buttons = new QHBoxLayout;
  ConvNew = new QPushButton(QStringLiteral("Nuova"), page);
  ConvDelete = new QPushButton(QStringLiteral("Elimina"), page);
  buttons->addWidget(ConvNew);
  buttons->addWidget(ConvDelete);
  buttons->addStretch();
  lay->addLayout(buttons);
  ConvPanel = new QWidget(page);
  auto* g = new QGridLayout(ConvPanel);
  ConvColumn = MakeCombo(ConvPanel, {}, true);
  ConvOperator = MakeCombo(ConvPanel, Operators());
  ConvValue = MakeCombo(ConvPanel, {}, true);
  ConvFunction = MakeCombo(ConvPanel, QStringList{QString()} + ConversionFunctionNames());
  ConvParam1 = MakeCombo(ConvPanel, {}, true);
  ConvParam2 = MakeCombo(ConvPanel, {}, true);
  for (QComboBox* c : {ConvValue, ConvParam1, ConvParam2}) SetHintText(c, kOperandHint);
  ConvOperatorLabel = new QLabel(QStringLiteral("Condiz.:"), ConvPanel);
  ConvValueLabel = new QLabel(QStringLiteral("Valore:"), ConvPanel);
  g->addWidget(new QLabel(QStringLiteral("Colonna:"), ConvPanel), 0, 0);
  g->addWidget(ConvColumn, 0, 1);
  g->addWidget(ConvOperatorLabel, 0, 2);
  g->addWidget(ConvOperator, 0, 3);
  g->addWidget(ConvValueLabel, 0, 4);
  g->addWidget(ConvValue, 0, 5);
  g->addWidget(new QLabel(QStringLiteral("Funzione:"), ConvPanel), 1, 0);
  g->addWidget(ConvFunction, 1, 1);
  g->addWidget(new QLabel(QStringLiteral("Parametri:"), ConvPanel), 1, 2);
  g->addWidget(ConvParam1, 1, 3);
  g->addWidget(ConvParam2, 1, 5);
  lay->addWidget(ConvPanel);
  connect(ConvNew, &QPushButton::clicked, this, [this] { NewConversion(); });
  connect(ConvDelete, &QPushButton::clicked, this, [this] { DeleteConversion(); });
  connect(ConvList, &QTreeWidget::currentItemChanged, this, [this] { ShowConversion(); });
  for (QComboBox* c : {ConvColumn, ConvValue, ConvParam1, ConvParam2})
    connect(c, &QComboBox::currentTextChanged, this, [this] { ApplyConversion(); });
  for (QComboBox* c : {ConvOperator, ConvFunction})
    connect(c, &QComboBox::currentIndexChanged, this, [this] { ApplyConversion(); });
  return page;
}

QWidget* TFormDBGridEdit::MakeSignalPage() {
  auto* page = new QWidget;
  auto* lay = new QVBoxLayout(page);
  SignalList = new QTreeWidget(page);
  SignalList->setObjectName(QStringLiteral("SignalList"));
  SignalList->setRootIsDecorated(false);
  SignalList->setHeaderLabels({"Colonna", "Condizione", "Valore", "Colore Sfondo", "Colore Testo"});
  lay->addWidget(SignalList, 1);
  auto* buttons = new QHBoxLayout;
  SignalNew = new QPushButton(QStringLiteral("Nuova"), page);
  SignalDelete = new QPushButton(QStringLiteral("Elimina"), page);
  buttons->addWidget(SignalNew);
  buttons->addWidget(SignalDelete);
  buttons->addStretch();
  lay->addLayout(buttons);
  SignalPanel = new QWidget(page);
  auto* g = new QGridLayout(SignalPanel);
  SignalColumn = MakeCombo(SignalPanel, {});
  SignalOperator = MakeCombo(SignalPanel, Operators());
  SignalValue = MakeCombo(SignalPanel, {}, true);
  SetHintText(SignalValue, kOperandHint);
  SignalBack = new TColorComboBox(SignalPanel);
  SignalText = new TColorComboBox(SignalPanel);
  g->addWidget(new QLabel(QStringLiteral("Colonna:"), SignalPanel), 0, 0);
  g->addWidget(SignalColumn, 0, 1);
  g->addWidget(new QLabel(QStringLiteral("Condiz.:"), SignalPanel), 0, 2);
  g->addWidget(SignalOperator, 0, 3);
  g->addWidget(new QLabel(QStringLiteral("Valore:"), SignalPanel), 0, 4);
  g->addWidget(SignalValue, 0, 5);
  g->addWidget(new QLabel(QStringLiteral("Colore Sfondo:"), SignalPanel), 1, 0);
  g->addWidget(SignalBack, 1, 1);
  g->addWidget(new QLabel(QStringLiteral("Colore Testo:"), SignalPanel), 1, 2);
  g->addWidget(SignalText, 1, 3);
  lay->addWidget(SignalPanel);
  connect(SignalNew, &QPushButton::clicked, this, [this] { NewSignal(); });
  connect(SignalDelete, &QPushButton::clicked, this, [this] { DeleteSignal(); });
  connect(SignalList, &QTreeWidget::currentItemChanged, this, [this] { ShowSignal(); });
  connect(SignalColumn, &QComboBox::currentTextChanged, this, [this] { ApplySignal(); });
  connect(SignalValue, &QComboBox::currentTextChanged, this, [this] { ApplySignal(); });
  connect(SignalOperator, &QComboBox::currentIndexChanged, this, [this] { ApplySignal(); });
  connect(SignalBack, &TColorComboBox::Change, this, [this] { ApplySignal(); });
  connect(SignalText, &TColorComboBox::Change, this, [this] { ApplySignal(); });
  return page;
}

void TFormDBGridEdit::FillRuleColumns() {
  if (!mGrid) return;
  const bool was = mShowing;
  mShowing = true;
  const QString conv = ConvColumn->currentText(), sig = SignalColumn->currentText();
  ConvColumn->clear();
  SignalColumn->clear();
  for (int i = 0; i < mGrid->Columns().Count(); ++i) {
    const TDBGridColumn* c = mGrid->Columns()[i];
    const QString t = c->TitleCaption().toUpper();
    if (t.trimmed().isEmpty()) continue;
    ConvColumn->addItem(t);
    if (!c->FieldName().isEmpty()) SignalColumn->addItem(t);
  }
  ConvColumn->setCurrentText(conv);
  SignalColumn->setCurrentIndex(SignalColumn->findText(sig));
  const QStringList operands = OperandChoices();
  for (QComboBox* c : {ConvValue, ConvParam1, ConvParam2, SignalValue}) {
    const QString t = c->currentText();
    c->clear();
    c->addItems(operands);
    c->setCurrentText(t);
  }
  mShowing = was;
}

namespace {
QString OperatorText(int op) { return op >= 1 && op <= 6 ? Operators().at(op) : QString(); }
QString ColorDisplay(const QString& part) {
  TColor c;
  if (part.isEmpty() || !StringToColor(part, c)) return part;
  const QString name = TColorComboBox::ColorToName(c);
  return name.isEmpty() ? part : name;
}
}  // namespace

void TFormDBGridEdit::FillForm() {
  if (!mGrid) return;
  mLoading = true;
  mShowing = true;
  setWindowTitle(kPersonalizza + QStringLiteral(" - ") + mGrid->Caption());
  auto showFont = [](const TFont& f, TFontComboBox* name, TColorComboBox* color, QComboBox* size, QComboBox* style) {
    ShowFontName(name, f);
    color->setColorValue(f.Color());
    size->setCurrentText(QString::number(f.Size()));
    if (StyleIndex(f.Style()) >= 0) style->setCurrentIndex(StyleIndex(f.Style()));
  };
  showFont(mGrid->Font(), DataFontName, DataFontColor, DataFontSize, DataFontStyle);
  showFont(mGrid->TitleFont(), TitleFontName, TitleFontColor, TitleFontSize, TitleFontStyle);
  FixedColorBox->setColorValue(mGrid->FixedColor());
  CellColorBox->setColorValue(mGrid->Color());
  CellStyleBox->setCurrentIndex(int(mGrid->CellStyle()));
  FixedColumnsBox->setValue(mGrid->FixedColumns() - 1);
  FillColumnLists();
  // The rule lists, one row per line.
  ConvList->clear();
  for (const QString& line : mGrid->Conversion()) {
    const QStringList p = RuleParts(line, 6);
    auto* it = new QTreeWidgetItem(
        {p[0].toUpper(), OperatorText(RuleOperator(p[1])), p[2], p[3], p[4], p[5]});
    it->setData(1, Qt::UserRole, RuleOperator(p[1]));
    ConvList->addTopLevelItem(it);
  }
  SignalList->clear();
  for (const QString& line : mGrid->ColorCond()) {
    const QStringList p = RuleParts(line, 5);
    auto* it = new QTreeWidgetItem(
        {p[0].toUpper(), OperatorText(RuleOperator(p[1])), p[2], ColorDisplay(p[3]), ColorDisplay(p[4])});
    it->setData(1, Qt::UserRole, RuleOperator(p[1]));
    it->setData(3, Qt::UserRole, p[3]);
    it->setData(4, Qt::UserRole, p[4]);
    SignalList->addTopLevelItem(it);
  }
  FillRuleColumns();
  mShowing = false;
  ShowConversion();
  ShowSignal();
  if (Pages->currentIndex() == 2) FillColumnProps();
  mLoading = false;
}

void TFormDBGridEdit::NewConversion() {
  if (!mGrid) return;
  QStringList lines = mGrid->Conversion();
  lines << QStringLiteral(" | | | | | ");
  mGrid->setConversion(lines);
  auto* it = new QTreeWidgetItem({kNomeColonna, "", "", "", "", ""});
  it->setData(1, Qt::UserRole, -1);
  ConvList->addTopLevelItem(it);
  ConvList->setCurrentItem(it);
}

// Removes the current line of a rule list and its line in the grid's rules
// (conversions or colour conditions); a refused rule set keeps both.
void TFormDBGridEdit::DeleteRuleLine(QTreeWidget* list, QStringList (TEnhDBGrid::*get)() const,
                                     void (TEnhDBGrid::*set)(QStringList)) {
  if (!mGrid || !list->currentItem()) return;
  const int row = list->indexOfTopLevelItem(list->currentItem());
  QStringList lines = (mGrid->*get)();
  if (row < lines.size()) lines.removeAt(row);
  try {
    (mGrid->*set)(lines);
  } catch (...) {
    HandleCurrentException();
    return;
  }
  delete list->takeTopLevelItem(row);
  if (list->topLevelItemCount() > 0)
    list->setCurrentItem(list->topLevelItem(std::min(row, list->topLevelItemCount() - 1)));
}

void TFormDBGridEdit::DeleteConversion() {
  DeleteRuleLine(ConvList, &TEnhDBGrid::Conversion, &TEnhDBGrid::setConversion);
  ShowConversion();
}

void TFormDBGridEdit::ShowConversion() {
  QTreeWidgetItem* it = ConvList->currentItem();
  ConvPanel->setEnabled(it != nullptr);
  ConvDelete->setEnabled(it != nullptr);
  if (!it) return;
  const bool was = mShowing;
  mShowing = true;
  const QString col = it->text(0) == kNomeColonna ? QString() : it->text(0);
  ConvColumn->setCurrentText(col);
  ConvOperator->setCurrentIndex(std::max(0, it->data(1, Qt::UserRole).toInt()));
  ConvValue->setCurrentText(it->text(2));
  ConvFunction->setCurrentIndex(std::max(0, ConvFunction->findText(it->text(3))));
  ConvParam1->setCurrentText(it->text(4));
  ConvParam2->setCurrentText(it->text(5));
  const int fn = ConversionFunctionNumber(it->text(3));
  ConvParam2->setVisible(fn >= 12 && fn <= 16);
  // A column without a field has nothing to compare.
  bool hasField = false;
  if (mGrid)
    for (int i = 0; i < mGrid->Columns().Count(); ++i)
      if (mGrid->Columns()[i]->TitleCaption().toUpper() == col.toUpper()) hasField = !mGrid->Columns()[i]->FieldName().isEmpty();
  for (QWidget* w : std::initializer_list<QWidget*>{ConvOperator, ConvValue, ConvOperatorLabel, ConvValueLabel})
    w->setVisible(hasField || col.isEmpty());
  mShowing = was;
}

void TFormDBGridEdit::ApplyConversion() {
  if (mShowing || mLoading || !mGrid) return;
  QTreeWidgetItem* it = ConvList->currentItem();
  if (!it) return;
  const int row = ConvList->indexOfTopLevelItem(it);
  const QString col = ConvColumn->currentText().trimmed();
  const int op = ConvOperator->currentIndex();
  const QString fn = ConvFunction->currentText();
  const QString line = col + " | " + OperatorText(op) + " | " + ConvValue->currentText() + " | " + fn + " | " +
                       ConvParam1->currentText() + " | " + ConvParam2->currentText();
  QStringList lines = mGrid->Conversion();
  while (lines.size() <= row) lines << QStringLiteral(" | | | | | ");
  lines[row] = line;
  try {
    mGrid->setConversion(lines);
  } catch (...) {
    HandleCurrentException();
    return;
  }
  it->setText(0, col.isEmpty() ? kNomeColonna : col.toUpper());
  it->setText(1, OperatorText(op));
  it->setData(1, Qt::UserRole, op == 0 ? -1 : op);
  it->setText(2, ConvValue->currentText());
  it->setText(3, fn);
  it->setText(4, ConvParam1->currentText());
  it->setText(5, ConvParam2->currentText());
  ShowConversion();
}

void TFormDBGridEdit::NewSignal() {
  if (!mGrid) return;
  QStringList lines = mGrid->ColorCond();
  lines << QStringLiteral(" | | | clWhite | clBlack");
  mGrid->setColorCond(lines);
  auto* it = new QTreeWidgetItem(
      {kNomeColonna, "", "", TColorComboBox::ColorToName(clWhite), TColorComboBox::ColorToName(clBlack)});
  it->setData(1, Qt::UserRole, -1);
  it->setData(3, Qt::UserRole, QStringLiteral("clWhite"));
  it->setData(4, Qt::UserRole, QStringLiteral("clBlack"));
  SignalList->addTopLevelItem(it);
  SignalList->setCurrentItem(it);
}

void TFormDBGridEdit::DeleteSignal() {
  DeleteRuleLine(SignalList, &TEnhDBGrid::ColorCond, &TEnhDBGrid::setColorCond);
  ShowSignal();
}

void TFormDBGridEdit::ShowSignal() {
  QTreeWidgetItem* it = SignalList->currentItem();
  SignalPanel->setEnabled(it != nullptr);
  SignalDelete->setEnabled(it != nullptr);
  if (!it) return;
  const bool was = mShowing;
  mShowing = true;
  SignalColumn->setCurrentIndex(SignalColumn->findText(it->text(0)));
  SignalOperator->setCurrentIndex(std::max(0, it->data(1, Qt::UserRole).toInt()));
  SignalValue->setCurrentText(it->text(2));
  TColor c = clWhite;
  if (StringToColor(it->data(3, Qt::UserRole).toString(), c)) SignalBack->setColorValue(c);
  c = clBlack;
  if (StringToColor(it->data(4, Qt::UserRole).toString(), c)) SignalText->setColorValue(c);
  mShowing = was;
}

void TFormDBGridEdit::ApplySignal() {
  if (mShowing || mLoading || !mGrid) return;
  QTreeWidgetItem* it = SignalList->currentItem();
  if (!it) return;
  const int row = SignalList->indexOfTopLevelItem(it);
  const QString col = SignalColumn->currentText();
  const int op = SignalOperator->currentIndex();
  const QString back = ColorToString(SignalBack->ColorValue()), text = ColorToString(SignalText->ColorValue());
  const QString line = col + " | " + OperatorText(op) + " | " + SignalValue->currentText() + " | " + back + " | " + text;
  QStringList lines = mGrid->ColorCond();
  while (lines.size() <= row) lines << QStringLiteral(" | | | clWhite | clBlack");
  lines[row] = line;
  try {
    mGrid->setColorCond(lines);
  } catch (...) {
    HandleCurrentException();
    return;
  }
  it->setText(0, col.isEmpty() ? kNomeColonna : col);
  it->setText(1, OperatorText(op));
  it->setData(1, Qt::UserRole, op == 0 ? -1 : op);
  it->setText(2, SignalValue->currentText());
  it->setText(3, ColorDisplay(back));
  it->setText(4, ColorDisplay(text));
  it->setData(3, Qt::UserRole, back);
  it->setData(4, Qt::UserRole, text);
}

void TFormDBGridEdit::showEvent(QShowEvent* e) {
  QDialog::showEvent(e);
  FillForm();
}

void TFormDBGridEdit::keyPressEvent(QKeyEvent* e) {
  if (e->key() == Qt::Key_F1 && mGrid && mGrid->HasHelp()) {
    QWidget* focused = QApplication::focusWidget();
    mGrid->FireHelp(QStringLiteral("TFormDBGridEdit"), focused ? focused->objectName() : QString());
    return;
  }
  QDialog::keyPressEvent(e);
}

bool TFormDBGridEdit::eventFilter(QObject* o, QEvent* e) { return QDialog::eventFilter(o, e); }

// ------------------------------------------------------------------ the grid's entry points

bool TEnhDBGrid::Customize() {
  const int col = Col(), row = Row();
  // Saved and loaded back at once, so that Cancel returns to exactly these bytes.
  mPreviousLayout = LayoutBytes();
  LoadLayout(mPreviousLayout);
  mPreviousLayout = LayoutBytes();
  std::unique_ptr<TFormDBGridEdit> w;
  {
    THourglass wait;
    w = std::make_unique<TFormDBGridEdit>(this, window());
  }
  const int result = ExecModal(*w);
  w.reset();
  const bool ok = result == QDialog::Accepted;
  if (!ok) RestorePreviousLayout();
  ReselectAfterLayout(col, row);
  return ok;
}

void TEnhDBGrid::EditRecord() {
  TFormEditRecord w(this, true, window());
  ExecModal(w);
}

void TEnhDBGrid::ShowRecord() {
  TFormEditRecord w(this, false, window());
  ExecModal(w);
}

// ------------------------------------------------------------------ record window

TFormEditRecord::TFormEditRecord(TEnhDBGrid* grid, bool editMode, QWidget* parent)
    : QDialog(parent), mGrid(grid), mEditMode(editMode) {
  setObjectName(QStringLiteral("FormEditRecord"));
  setWindowTitle(editMode ? QStringLiteral("Modifica Record") : QStringLiteral("Visualizza Record"));
  mSource = grid ? grid->DataSource() : nullptr;
  auto* lay = new QVBoxLayout(this);
  mNavigator = new TDBNavigator(mSource, editMode, this);
  lay->addWidget(mNavigator);
  mScroll = new QScrollArea(this);
  mScroll->setFrameShape(QFrame::NoFrame);
  mContent = new QWidget;
  mScroll->setWidget(mContent);
  lay->addWidget(mScroll, 1);
  auto* buttons = new QHBoxLayout;
  buttons->addStretch();
  mOk = new QPushButton(QStringLiteral("&OK"), this);
  auto* cancel = new QPushButton(QStringLiteral("&Cancel"), this);
  buttons->addWidget(mOk);
  buttons->addWidget(cancel);
  lay->addLayout(buttons);
  connect(mOk, &QPushButton::clicked, this, &QDialog::accept);
  connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
  connect(mNavigator, &TDBNavigator::Click, this, [this](QObject*, int b) {
    if (b <= TDBNavigator::nbLast) FitImages();
  });
  resize(320, 200);
}

void TFormEditRecord::Build() {
  if (mBuilt || !mGrid) return;
  mBuilt = true;
  TDataSet* ds = mGrid->DataSet();
  if (!ds || !ds->Active()) return;
  THourglass wait;
  const QFont titleFont = mGrid->TitleFont().ToQFont();
  const QFontMetrics tfm(titleFont);
  const TDBGridColumns& cols = mGrid->Columns();
  int L = 0;
  for (int i = 0; i < cols.Count(); ++i)
    L = std::max(L, tfm.horizontalAdvance(QLatin1Char(' ') + cols[i]->TitleCaption() + QStringLiteral("  ")));
  const QScreen* screen = QGuiApplication::primaryScreen();
  const QSize scr = screen ? screen->geometry().size() : QSize(1024, 768);
  const int M = std::max(40, scr.width() * 2 / 3 - L - 36);
  int y = 10, widest = 0, bottom = 10;
  for (int i = 0; i < cols.Count(); ++i) {
    const TDBGridColumn* c = cols[i];
    TField* f = c->Field();
    if (!f) continue;
    auto* label = new QLabel(QLatin1Char(' ') + c->TitleCaption() + QStringLiteral("  "), mContent);
    label->setFont(titleFont);
    label->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    label->setAutoFillBackground(true);
    QPalette lp = label->palette();
    lp.setColor(QPalette::Window, ToQColor(mGrid->FixedColor(), mGrid->palette()));
    lp.setColor(QPalette::WindowText, ToQColor(mGrid->TitleFont().Color(), mGrid->palette()));
    label->setPalette(lp);
    label->setGeometry(10, y, L, tfm.height() + 4);
    label->show();
    mLabels.push_back(label);
    QWidget* ed = nullptr;
    const TFieldType t = f->DataType();
    const bool readOnly = !mEditMode;
    if (t == ftBoolean) {
      auto* cb = new TDBCheckBox(mSource, f->FieldName(), mContent);
      cb->setEnabled(!readOnly);
      ed = cb;
    } else if (t == ftMemo || t == ftFmtMemo) {
      auto* re = new TDBRichEdit(mSource, f->FieldName(), mContent);
      re->setReadOnly(readOnly);
      ed = re;
    } else if (t == ftGraphic) {
      ed = new TDBImage(mSource, f->FieldName(), true, mContent);
    } else if (f->IsBlob()) {
      ed = new TDBImage(mSource, f->FieldName(), false, mContent);
    } else {
      auto* le = new TDBEdit(mSource, f->FieldName(), mContent);
      le->setReadOnly(readOnly || f->ReadOnly());
      ed = le;
    }
    ed->setObjectName(QStringLiteral("Edit_") + f->FieldName());
    const TFont cf = c->Font();
    if (mEditMode) {
      QFont qf = ed->font();
      qf.setFamily(cf.ToQFont().family());
      qf.setPixelSize(cf.ToQFont().pixelSize() > 0 ? cf.ToQFont().pixelSize() : qf.pixelSize());
      ed->setFont(qf);
    } else {
      ed->setFont(cf.ToQFont());
      QPalette ep = ed->palette();
      ep.setColor(QPalette::Base, ToQColor(c->Color(), mGrid->palette()));
      ep.setColor(QPalette::Text, ToQColor(cf.Color(), mGrid->palette()));
      ed->setPalette(ep);
    }
    int w = std::min(c->Width() + 10, M), h = ed->sizeHint().height();
    if (qobject_cast<TDBCheckBox*>(ed)) {
      const int side = std::max(12, tfm.height());
      w = h = side;
    } else if (qobject_cast<TDBImage*>(ed)) {
      w = h = 150;
    } else if (qobject_cast<TDBRichEdit*>(ed)) {
      w = std::min(std::max(w, 240), std::max(M, 240));
      h = w * 2 / 3;
    }
    ed->setGeometry(L + 14, y - 2 < 0 ? 0 : y - 2, w, h);
    ed->show();
    mEditors.push_back(ed);
    widest = std::max(widest, w);
    y += h + 4;
    bottom = y;
  }
  mContent->resize(widest + L + 36, bottom + 4);
  // The window fits the editors, at least 256 x 120; a record taller than
  // the screen allows scrolls, with room for the scroll bar.
  int width = std::max(256, widest + L + 36);
  int height = bottom + 4;
  if (bottom > scr.height() - 120 - 72) {
    height = scr.height() - 120 - 72;
    width += 16;
  }
  mScroll->setMinimumSize(width + 2, std::max(48, height) + 2);
  layout()->invalidate();
  layout()->activate();
  resize(layout()->totalMinimumSize().expandedTo(layout()->totalSizeHint()).expandedTo(QSize(256, 120)));
  if (mEditMode && !mEditors.empty()) mEditors.front()->setFocus();
  FitImages();
}

void TFormEditRecord::FitImages() {
  for (QWidget* w : mEditors)
    if (auto* img = qobject_cast<TDBImage*>(w)) {
      if (!img->AutoDisplay() && !img->LoadPicture()) continue;
      img->FitWidth();
    }
}

void TFormEditRecord::showEvent(QShowEvent* e) {
  Build();
  QDialog::showEvent(e);
}

void TFormEditRecord::keyPressEvent(QKeyEvent* e) {
  if (e->key() == Qt::Key_Return || e->key() == Qt::Key_Enter) {
    mOk->setFocus();
    accept();
    return;
  }
  if (e->key() == Qt::Key_Escape) {
    reject();
    return;
  }
  QDialog::keyPressEvent(e);
}

void TFormEditRecord::done(int r) {
  TDataSet* ds = mGrid ? mGrid->DataSet() : nullptr;
  mLastError.clear();
  if (ds && (ds->State() == dsEdit || ds->State() == dsInsert)) {
    if (r != QDialog::Accepted) {
      ds->Cancel();
    } else {
      try {
        ds->Post();
      } catch (const ETarnwellError& e) {
        // The window stays open with what was typed, and says why.
        mLastError = e.Message();
        MessageDlg(mLastError, mtError, mbOK);
        return;
      }
    }
  }
  QDialog::done(r);
}

}  // namespace Tarnwell
