#include "FCelFrmt.h"

#include <Tarnwell/platform/TCanvas.h>
#include <Tarnwell/platform/TControls.h>
#include <Tarnwell/platform/TDialogs.h>
#include <Tarnwell/visuals/ColSelec.h>
#include <Tarnwell/visuals/FntCbBox.h>

#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QPainter>
#include <QPushButton>

#include "SShtGlyphs.h"
#include "SShtGrid.h"

namespace Tarnwell {

namespace {

const char* const SideLetters[4] = {"L", "T", "R", "B"};

TSpeedButton* ToolButton(QWidget* parent, const char* name, const QString& caption, const QString& hint,
                         const QRect& geometry, bool toggle) {
  auto* b = new TSpeedButton(parent);
  b->setObjectName(QLatin1String(name));
  b->setCaption(caption);
  if (!hint.isEmpty()) b->setHint(hint);
  b->setGeometry(geometry);
  b->setCheckable(toggle);
  return b;
}

QComboBox* ListCombo(QWidget* parent, const char* name, const QStringList& items, const QRect& geometry) {
  auto* c = new QComboBox(parent);
  c->setObjectName(QLatin1String(name));
  c->addItems(items);
  c->setGeometry(geometry);
  c->setMaxVisibleItems(12);
  return c;
}

QLabel* Label(QWidget* parent, const QString& text, const QRect& geometry) {
  auto* l = new QLabel(text, parent);
  l->setGeometry(geometry);
  return l;
}

}  // namespace

QStringList TFormCellsFormat::FontSizes() {
  return {"6",  "7",  "8",  "9",  "10", "11", "12", "13", "14", "16",
          "18", "20", "22", "24", "26", "28", "30", "32", "34", "36"};
}

QStringList TFormCellsFormat::LineStyleNames() {
  return {QStringLiteral("Linea Continua"),
          QStringLiteral("Trattini"),
          QStringLiteral("Punti"),
          QStringLiteral("Trattino Punto"),
          QStringLiteral("Trattino Punto Punto"),
          QStringLiteral("Non Presente")};
}

TFormCellsFormat::TFormCellsFormat(QWidget* parent)
    : QDialog(parent), mCell(std::make_unique<TSpreadSheetCell>(1, 1, nullptr)) {
  setObjectName(QStringLiteral("FormCellsFormat"));
  setWindowTitle(QStringLiteral("Formato Celle"));
  setModal(true);
  ColorSelector = new TColorSelector(this);
  ColorSelector->setObjectName(QStringLiteral("ColorSelector"));
  ImageListPatt = new TImageList(this);
  ImageListPatt->setObjectName(QStringLiteral("ImageListPatt"));
  ImageListPatt->setWidth(32);
  ImageListPatt->setHeight(12);
  ImageListPatt->setMasked(false);
  BuildControls();
  setFixedSize(472, 316);
}

TFormCellsFormat::~TFormCellsFormat() = default;

void TFormCellsFormat::BuildControls() {
  PanelCell = new QWidget(this);
  PanelCell->setObjectName(QStringLiteral("PanelCell"));
  PanelCell->setGeometry(0, 0, 472, 68);
  PaintBoxCell = new TPaintBox(PanelCell);
  PaintBoxCell->setObjectName(QStringLiteral("PaintBoxCell"));
  PaintBoxCell->setGeometry(8, 8, 360, 52);
  PaintBoxCell->OnPaint = [this](QPainter& p) { PaintPreview(p); };
  BtnOk = new QPushButton(QStringLiteral("&OK"), PanelCell);
  BtnOk->setObjectName(QStringLiteral("BtnOk"));
  BtnOk->setGeometry(384, 8, 80, 25);
  BtnOk->setDefault(true);
  connect(BtnOk, &QPushButton::clicked, this, &QDialog::accept);
  BtnCancel = new QPushButton(QStringLiteral("&Cancel"), PanelCell);
  BtnCancel->setObjectName(QStringLiteral("BtnCancel"));
  BtnCancel->setGeometry(384, 36, 80, 25);
  connect(BtnCancel, &QPushButton::clicked, this, &QDialog::reject);

  PanelCtrls = new QWidget(this);
  PanelCtrls->setObjectName(QStringLiteral("PanelCtrls"));
  PanelCtrls->setGeometry(0, 68, 472, 248);
  auto group = [this](const char* name, const QString& title, const QRect& r) {
    auto* g = new QGroupBox(title, PanelCtrls);
    g->setObjectName(QLatin1String(name));
    g->setGeometry(r);
    return g;
  };
  GroupFont = group("GroupFont", QStringLiteral("Font"), QRect(8, 0, 200, 104));
  GroupLayout = group("GroupLayout", QStringLiteral("Layout"), QRect(216, 0, 248, 104));
  GroupBack = group("GroupBack", QStringLiteral("Sfondo"), QRect(8, 108, 200, 132));
  GroupBorders = group("GroupBorders", QStringLiteral("Bordi"), QRect(216, 108, 248, 132));

  // Font
  BtnBold = ToolButton(GroupFont, "BtnBold", QStringLiteral("B"), QString(), QRect(8, 20, 24, 22), true);
  BtnBold->Font().SetStyle(fsBold);
  BtnItalic =
      ToolButton(GroupFont, "BtnItalic", QStringLiteral("I "), QString(), QRect(34, 20, 24, 22), true);
  BtnItalic->Font().SetStyle(fsItalic);
  BtnUnder = ToolButton(GroupFont, "BtnUnder", QStringLiteral("U"), QString(), QRect(60, 20, 24, 22), true);
  BtnUnder->Font().SetStyle(fsUnderline);
  BtnFontColor = ToolButton(GroupFont, "BtnFontColor", QString(), QStringLiteral("|Colore del Font"),
                            QRect(94, 20, 24, 22), false);
  BtnFontColor->setGlyph(SheetGlyph(sgFontColor, devicePixelRatioF()));
  CBFontName = new TFontComboBox(GroupFont);
  CBFontName->setObjectName(QStringLiteral("CBFontName"));
  CBFontName->setGeometry(8, 48, 184, 22);
  CBFontSize = ListCombo(GroupFont, "CBFontSize", FontSizes(), QRect(8, 74, 56, 22));
  for (TSpeedButton* b : {BtnBold, BtnItalic, BtnUnder})
    connect(b, &QAbstractButton::clicked, this, [this] { FontChange(); });
  connect(CBFontName, &TFontComboBox::Change, this, [this] { FontChange(); });
  connect(CBFontSize, &QComboBox::activated, this, [this] { FontChange(); });
  connect(BtnFontColor, &QAbstractButton::clicked, this, [this] { FontColorClick(); });

  // Layout
  BtnLeft = ToolButton(GroupLayout, "BtnLeft", QString(), QStringLiteral("Allineato a Sinistra"),
                       QRect(8, 20, 24, 22), true);
  BtnLeft->setGlyph(SheetGlyph(sgAlignLeft, devicePixelRatioF()));
  BtnCenter = ToolButton(GroupLayout, "BtnCenter", QString(), QStringLiteral("Centrato"),
                         QRect(34, 20, 24, 22), true);
  BtnCenter->setGlyph(SheetGlyph(sgAlignCenter, devicePixelRatioF()));
  BtnRight = ToolButton(GroupLayout, "BtnRight", QString(), QStringLiteral("Allineato a Destra"),
                        QRect(60, 20, 24, 22), true);
  BtnRight->setGlyph(SheetGlyph(sgAlignRight, devicePixelRatioF()));
  BtnLayTop = ToolButton(GroupLayout, "BtnLayTop", QString(), QStringLiteral("In Alto"),
                         QRect(112, 20, 24, 22), true);
  BtnLayTop->setGlyph(SheetGlyph(sgLayTop, devicePixelRatioF()));
  BtnLayCent = ToolButton(GroupLayout, "BtnLayCent", QString(), QStringLiteral("Al Centro"),
                          QRect(138, 20, 24, 22), true);
  BtnLayCent->setGlyph(SheetGlyph(sgLayCenter, devicePixelRatioF()));
  BtnLayBott = ToolButton(GroupLayout, "BtnLayBott", QString(), QStringLiteral("In Basso"),
                          QRect(164, 20, 24, 22), true);
  BtnLayBott->setGlyph(SheetGlyph(sgLayBottom, devicePixelRatioF()));
  for (TSpeedButton* b : {BtnLeft, BtnCenter, BtnRight})
    connect(b, &QAbstractButton::clicked, this, [this, b] { HAlignClick(b); });
  for (TSpeedButton* b : {BtnLayTop, BtnLayCent, BtnLayBott})
    connect(b, &QAbstractButton::clicked, this, [this, b] { VAlignClick(b); });
  LabelDataType = Label(GroupLayout, QStringLiteral("Tipo Dati"), QRect(8, 52, 120, 16));
  QStringList types;
  for (int t = 0; t < CellDataTypeCount; ++t) types << CellDataTypeName(t);
  CBDataType = ListCombo(GroupLayout, "CBDataType", types, QRect(8, 70, 120, 22));
  CBDataType->setToolTip(QStringLiteral("Tipo dei Dati"));
  connect(CBDataType, &QComboBox::activated, this, [this] { DataTypeChange(); });

  // Sfondo
  BtnPattColor = ToolButton(GroupBack, "BtnPattColor", QStringLiteral("Col. Patt."),
                            QStringLiteral("Colore del Pattern"), QRect(8, 20, 88, 24), false);
  BtnBackColor = ToolButton(GroupBack, "BtnBackColor", QStringLiteral("Colore"),
                            QStringLiteral("Colore di Sfondo"), QRect(104, 20, 88, 24), false);
  BtnBackColor->setGlyph(SheetGlyph(sgBackColor, devicePixelRatioF()));
  connect(BtnPattColor, &QAbstractButton::clicked, this, [this] { PattColorClick(); });
  connect(BtnBackColor, &QAbstractButton::clicked, this, [this] { BackColorClick(); });
  LabelPattern = Label(GroupBack, QStringLiteral("Pattern"), QRect(8, 54, 120, 16));
  CBPattern = new TImageComboBox(GroupBack);
  CBPattern->setObjectName(QStringLiteral("CBPattern"));
  CBPattern->setGeometry(8, 72, 184, 24);
  CBPattern->setMaxVisibleItems(18);
  for (int i = 0; i < CellPatternCount; ++i) CBPattern->addItem(QString());
  CBPattern->setImageList(ImageListPatt);
  connect(CBPattern, &QComboBox::activated, this, [this] { PatternChange(); });

  // Bordi
  const QString sideNames[4] = {QStringLiteral("A Sinistra"), QStringLiteral("In Alto"),
                                QStringLiteral("A Destra"), QStringLiteral("In Basso")};
  QStringList widths;
  for (int w = 0; w <= 9; ++w) widths << QString::number(w);
  for (int i = 0; i < 4; ++i) {
    const int y = 20 + i * 27;
    const int tag = i + 1;
    LabelSide[i] = Label(GroupBorders, sideNames[i], QRect(8, y + 3, 58, 16));
    CBLine[i] = ListCombo(GroupBorders, "", LineStyleNames(), QRect(66, y, 118, 22));
    CBLine[i]->setObjectName(QStringLiteral("CBLine%1").arg(tag));
    CBWidth[i] = ListCombo(GroupBorders, "", widths, QRect(186, y, 32, 22));
    CBWidth[i]->setObjectName(QStringLiteral("CBWidth%1").arg(tag));
    BtnLineColor[i] = ToolButton(GroupBorders, "", QString(), QStringLiteral("Colore della Linea"),
                                 QRect(220, y, 22, 22), false);
    BtnLineColor[i]->setObjectName(QStringLiteral("BtnLineColor%1").arg(tag));
    BtnLineColor[i]->setGlyph(SheetGlyph(sgLineColor, devicePixelRatioF()));
    for (QObject* o : {static_cast<QObject*>(CBLine[i]), static_cast<QObject*>(CBWidth[i]),
                       static_cast<QObject*>(BtnLineColor[i])})
      o->setProperty("Tag", tag);
    connect(CBLine[i], &QComboBox::activated, this, [this, i] { BorderChange(CBLine[i]); });
    connect(CBWidth[i], &QComboBox::activated, this, [this, i] { BorderChange(CBWidth[i]); });
    connect(BtnLineColor[i], &QAbstractButton::clicked, this,
            [this, i] { BorderColorClick(BtnLineColor[i]); });
  }
}

void TFormCellsFormat::Prepare(TSpreadSheetGrid* grid) {
  mGrid = grid;
  if (ImageListPatt->Count() == 0 && grid) {
    for (const QImage& img : grid->FillPatternImages(QSize(ImageListPatt->Width(), ImageListPatt->Height())))
      ImageListPatt->Add(img);
  }
  mCell = std::make_unique<TSpreadSheetCell>(1, 1, nullptr);
  if (grid) {
    // Where the position has no cell, start from the format it shows (its
    // row's, its column's or the sheet's) rather than from a blank cell.
    const TSpreadSheetCell* source = grid->GetCurrentCell();
    if (!source) source = grid->Cells().GetFormatCell(grid->Col(), grid->Row());
    mCell->Assign(source);
  }
  mCell->SetText(SampleText());
  SetControls();
}

void TFormCellsFormat::SetControls() {
  mUpdating = true;
  const TSpreadSheetCell& c = *mCell;
  CBDataType->setCurrentIndex(c.DataType());
  CBFontName->setFontName(c.Font().Name);
  CBFontSize->setCurrentIndex(CBFontSize->findText(QString::number(c.Font().Size)));
  BtnBold->setChecked(c.Font().Style & 1);
  BtnItalic->setChecked(c.Font().Style & 2);
  BtnUnder->setChecked(c.Font().Style & 4);
  BtnLeft->setChecked(c.HAlign() == 1);
  BtnCenter->setChecked(c.HAlign() == 2);
  BtnRight->setChecked(c.HAlign() == 3);
  BtnLayTop->setChecked(c.VAlign() == 0);
  BtnLayCent->setChecked(c.VAlign() == 1);
  BtnLayBott->setChecked(c.VAlign() == 2);
  for (int i = 0; i < 4; ++i) {
    const TCellBorder& b = c.Borders()[i];
    CBLine[i]->setCurrentIndex(std::clamp<int>(b.Style, 0, CellBorderNone));
    CBWidth[i]->setCurrentIndex(b.Width >= 0 && b.Width <= 9 ? b.Width : -1);
  }
  CBPattern->setCurrentIndex(-1);
  mUpdating = false;
  PaintBoxCell->update();
}

bool TFormCellsFormat::Execute(TSpreadSheetGrid* grid) {
  Prepare(grid);
  if (ExecModal(*this) != QDialog::Accepted) return false;
  ApplyToGrid();
  return true;
}

void TFormCellsFormat::ApplyToGrid() {
  if (!mGrid) return;
  const TSpreadSheetCell& c = *mCell;
  mGrid->SetSelectionDataType(c.DataType());
  mGrid->SetSelectionFont(c.Font());
  mGrid->SetSelectionAlignment(c.HAlign() | (c.VAlign() << 8));
  mGrid->SetSelectionBackground(c.BackColor(), c.PatternColor(), c.Pattern());
  for (int i = 0; i < 4; ++i) mGrid->SetSelectionBorders(QLatin1String(SideLetters[i]), c.Borders()[i]);
}

void TFormCellsFormat::FontChange() {
  if (mUpdating) return;
  TCellFont f = mCell->Font();
  const QString name = CBFontName->FontName();
  if (!name.isEmpty()) f.Name = name.left(CellFontNameMax);
  bool ok = false;
  const int size = CBFontSize->currentText().toInt(&ok);
  if (ok) f.Size = size;
  f.Style = std::uint8_t((f.Style & ~7u) | (BtnBold->isChecked() ? 1 : 0) | (BtnItalic->isChecked() ? 2 : 0) |
                         (BtnUnder->isChecked() ? 4 : 0));
  mCell->SetFont(f);
  PaintBoxCell->update();
}

void TFormCellsFormat::HAlignClick(TSpeedButton* sender) {
  if (mUpdating) return;
  // One group that may be all up: a button pressed again goes up.
  for (TSpeedButton* b : {BtnLeft, BtnCenter, BtnRight})
    if (b != sender && sender->isChecked()) b->setChecked(false);
  const int h = BtnCenter->isChecked() ? 2 : BtnRight->isChecked() ? 3 : BtnLeft->isChecked() ? 1 : 0;
  mCell->SetAlignment(h, scKeepVAlign);
  PaintBoxCell->update();
}

void TFormCellsFormat::VAlignClick(TSpeedButton* sender) {
  if (mUpdating) return;
  for (TSpeedButton* b : {BtnLayTop, BtnLayCent, BtnLayBott})
    if (b != sender && sender->isChecked()) b->setChecked(false);
  const int v = BtnLayCent->isChecked()   ? 1
                : BtnLayTop->isChecked()  ? 0
                : BtnLayBott->isChecked() ? 2
                                          : scKeepVAlign;
  mCell->SetAlignment(scKeepHAlign, v);
  PaintBoxCell->update();
}

void TFormCellsFormat::DataTypeChange() {
  if (mUpdating) return;
  mCell->SetDataType(CBDataType->currentIndex());
  PaintBoxCell->update();
}

bool TFormCellsFormat::Pick(TColor start, TColor& chosen) {
  if (start == scKeepColor) start = clWhite;
  if (PickColor) return PickColor(start, chosen);
  ColorSelector->setSelectedColor(start);
  if (!ColorSelector->Execute()) return false;
  chosen = ColorSelector->SelectedColor();
  return true;
}

void TFormCellsFormat::FontColorClick() {
  TColor c;
  if (!Pick(mCell->Font().Color, c)) return;
  TCellFont f = mCell->Font();
  f.Color = c;
  mCell->SetFont(f);
  PaintBoxCell->update();
}

void TFormCellsFormat::BackColorClick() {
  TColor c;
  if (!Pick(mCell->BackColor(), c)) return;
  mCell->SetBackground(c, scKeepColor, scKeepPattern);
  PaintBoxCell->update();
}

void TFormCellsFormat::PattColorClick() {
  TColor c;
  if (!Pick(mCell->PatternColor(), c)) return;
  mCell->SetBackground(scKeepColor, c, scKeepPattern);
  PaintBoxCell->update();
}

void TFormCellsFormat::PatternChange() {
  if (mUpdating || CBPattern->currentIndex() < 0) return;
  mCell->SetBackground(scKeepColor, scKeepColor, CBPattern->currentIndex());
  PaintBoxCell->update();
}

QString TFormCellsFormat::SideOf(const QObject* control) const {
  const int tag = control ? control->property("Tag").toInt() : 0;
  return tag >= 1 && tag <= 4 ? QLatin1String(SideLetters[tag - 1]) : QString();
}

void TFormCellsFormat::BorderChange(QObject* sender) {
  if (mUpdating) return;
  const QString side = SideOf(sender);
  if (side.isEmpty()) return;
  const int i = sender->property("Tag").toInt() - 1;
  if (sender == CBLine[i])
    mCell->SetBorders(side, CBLine[i]->currentIndex(), -1, scKeepColor);
  else
    mCell->SetBorders(side, scKeepBorderStyle, CBWidth[i]->currentIndex(), scKeepColor);
  PaintBoxCell->update();
}

void TFormCellsFormat::BorderColorClick(QObject* sender) {
  const QString side = SideOf(sender);
  if (side.isEmpty()) return;
  TCellBorder b;
  mCell->GetBorder(side.at(0), b);
  TColor c;
  if (!Pick(b.Color, c)) return;
  mCell->SetBorders(side, scKeepBorderStyle, -1, c);
  PaintBoxCell->update();
}

void TFormCellsFormat::PaintPreview(QPainter& p) {
  const TRect client(0, 0, PaintBoxCell->width(), PaintBoxCell->height());
  TRect r = client;
  InflateRect(r, -4, -4);
  if (mGrid)
    mGrid->PaintCellPreview(mCell.get(), p, r);
  else
    p.fillRect(r.ToQRect(), Qt::white);
  TCanvas c(&p);
  c.Brush().SetStyle(bsClear);
  c.Pen().SetWidth(1);
  c.Pen().SetStyle(psSolid);
  TRect f = r;
  InflateRect(f, 1, 1);
  c.Pen().SetColor(TColor(0x808080));
  c.Rectangle(f);
  c.Pen().SetColor(clBtnFace);
  InflateRect(f, 2, 2);
  c.Rectangle(f);
  InflateRect(f, 1, 1);
  c.Rectangle(f);
  TRect all = client;
  c.Frame3D(all, clBlack, clWhite, 1);
}

}  // namespace Tarnwell
