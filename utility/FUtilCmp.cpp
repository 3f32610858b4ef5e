#include "FUtilCmp.h"

#include <QMouseEvent>
#include <QPainter>
#include <QPainterPath>
#include <QVBoxLayout>

#include <Tarnwell/platform/TPixelRatio.h>

namespace Tarnwell {

TIconStrip::TIconStrip(QWidget* parent) : QLabel(parent) {
  setMouseTracking(true);
  setAlignment(Qt::AlignLeft | Qt::AlignTop);
}

void TIconStrip::SetPicture(const QImage& img) {
  setPixmap(QPixmap::fromImage(img));
  // Its logical size: a picture made for a high-density screen is no bigger.
  setFixedSize(img.deviceIndependentSize().toSize());
}

void TIconStrip::mouseMoveEvent(QMouseEvent* e) {
  QLabel::mouseMoveEvent(e);
  const QPoint p = e->position().toPoint();
  Q_EMIT PointerMoved(p.x(), p.y());
}

namespace {

// The glyphs: small drawings of what each component shows, on a tile.
void DrawGlyph(QPainter& p, int strip, int i) {
  static const QColor tiles[3] = {QColor(0x2f, 0x5d, 0x8a), QColor(0x3c, 0x7a, 0x4a), QColor(0x8a, 0x4b, 0x2f)};
  p.setRenderHint(QPainter::Antialiasing, true);
  p.setPen(QPen(QColor(20, 20, 20), 1));
  p.setBrush(tiles[strip].lighter(150 + 10 * (i % 3)));
  p.drawRoundedRect(QRectF(2.5, 2.5, 23, 23), 4, 4);
  p.setPen(QPen(Qt::black, 1.4));
  p.setBrush(Qt::white);
  const int kind = strip * 10 + i;
  switch (kind % 10) {
    case 0:  // bars
      p.setRenderHint(QPainter::Antialiasing, false);
      for (int x = 7, k = 0; x < 21; x += 2 + (k++ % 2)) p.fillRect(x, 7, 1 + (k % 2), 14, Qt::black);
      break;
    case 1:  // a rising line over axes
      p.drawLine(7, 21, 21, 21);
      p.drawLine(7, 21, 7, 7);
      p.setPen(QPen(QColor(200, 0, 0), 1.6));
      p.drawPolyline(QPolygonF({QPointF(8, 19), QPointF(12, 14), QPointF(16, 16), QPointF(20, 9)}));
      break;
    case 2:  // a dial with its needle
      p.drawEllipse(QRectF(6, 6, 16, 16));
      p.setPen(QPen(QColor(200, 0, 0), 1.6));
      p.drawLine(QPointF(14, 14), QPointF(19, 9));
      break;
    case 3:  // a lamp
      p.setBrush(QColor(0, 200, 0));
      p.drawEllipse(QRectF(8, 8, 12, 12));
      break;
    case 4:  // a grid of cells
      p.drawRect(6, 7, 16, 14);
      for (int x = 11; x < 22; x += 5) p.drawLine(x, 7, x, 21);
      for (int y = 11; y < 21; y += 5) p.drawLine(6, y, 22, y);
      break;
    case 5:  // a tree
      p.drawRect(7, 7, 4, 4);
      p.drawRect(14, 13, 4, 4);
      p.drawRect(14, 19, 4, 3);
      p.drawLine(9, 11, 9, 20);
      p.drawLine(9, 15, 14, 15);
      p.drawLine(9, 20, 14, 20);
      break;
    case 6: {  // a rhomb
      QPainterPath path;
      path.moveTo(14, 5);
      path.lineTo(23, 14);
      path.lineTo(14, 23);
      path.lineTo(5, 14);
      path.closeSubpath();
      p.setBrush(QColor(240, 200, 40));
      p.drawPath(path);
      break;
    }
    case 7:  // a page with lines
      p.drawRect(8, 6, 12, 16);
      for (int y = 10; y < 20; y += 3) p.drawLine(10, y, 18, y);
      break;
    case 8:  // a ruler
      p.drawRect(5, 10, 18, 8);
      for (int x = 7; x < 23; x += 3) p.drawLine(x, 10, x, x % 2 ? 13 : 15);
      break;
    default:  // a cube
      p.drawPolygon(QPolygonF({QPointF(8, 11), QPointF(14, 8), QPointF(20, 11), QPointF(14, 14)}));
      p.setBrush(QColor(180, 180, 180));
      p.drawPolygon(QPolygonF({QPointF(8, 11), QPointF(14, 14), QPointF(14, 21), QPointF(8, 18)}));
      p.setBrush(QColor(120, 120, 120));
      p.drawPolygon(QPolygonF({QPointF(14, 14), QPointF(20, 11), QPointF(20, 18), QPointF(14, 21)}));
      break;
  }
  // Strips differ by a mark in the corner, so equal shapes stay apart.
  p.setPen(Qt::NoPen);
  p.setBrush(tiles[strip]);
  p.drawEllipse(QRectF(20, 20, 4, 4));
}

}  // namespace

QImage ComponentIconStrip(int strip, int count, qreal ratio) {
  QImage img(InDevicePixels(QSize(28 * count, 28), ratio), QImage::Format_ARGB32_Premultiplied);
  img.setDevicePixelRatio(ratio);
  img.fill(Qt::transparent);
  QPainter p(&img);
  for (int i = 0; i < count; ++i) {
    p.save();
    p.translate(28 * i, 0);
    DrawGlyph(p, strip, i);
    p.restore();
  }
  return img;
}

namespace {
QStringList Descriptions(int strip) {
  static const char* const texts[3][10] = {
      {"TBarCodes: codici a barre in undici simbologie, con cifre di controllo e testo leggibile",
       "TGraph2D: grafico a punti, linee, aree, barre e diagrammi di Gantt con zoom",
       "TMeasureDisplay: strumenti di misura (quadranti, termometri, barre, contatori)",
       "TGraphicLed: LED a colori con didascalia, acceso, spento o lampeggiante",
       "TSpreadSheetGrid: foglio di calcolo con formule, formati e file compressi",
       "TDBTreeView: albero di tabelle, chiavi e relazioni di un database",
       "TEnhRombButtons: quattro pulsanti a rombo per muoversi nelle quattro direzioni",
       "TFormReportPreview: anteprima di stampa con pagine, zoom e salvataggio",
       "TScrollRule: righello di date, ore o numeri che scorre con il contenuto",
       "TSpace3DViewer: motore 3D software con oggetti letti da file di modelli"},
      {"TCustomBarCodes: codifica di un testo nella stringa dei moduli, senza finestra",
       "TGanttLinkList: collegamenti tra le attività di un diagramma di Gantt",
       "TMonitorDisplay: pannello di stato con valore, descrizione e animazione",
       "TURLLabel: etichetta che apre un indirizzo web o di posta",
       "TEnhDBGrid: griglia di dati con colori per condizione, ricerca e ordinamento",
       "TCheckTreeView: albero con caselle a tre stati",
       "TSphericalButton: pulsante sferico con cornice in rilievo",
       "TExtRichEdit: editor di sorgenti con rientro automatico e posizione del cursore",
       "TBtnQueDisplay: fila di barre premibili, come una riga di pianificazione",
       "TAnimatedPolygon: poligono che rimbalza con scia e curve"},
      {"TStringHolder: lista di testi conservata con la finestra",
       "TFormResizer: adatta i controlli di una finestra alle sue dimensioni",
       "TPatternHolder: motivo di sfondo per pannelli, caselle e gruppi",
       "TShineButton: pulsante il cui testo si illumina al passaggio del mouse",
       "TMemoTable: tabella in memoria con campi, filtri e ordinamento",
       "TFileListViewLite: elenco di file con icone, colonne e operazioni sui file",
       "TSlideMenu: menu che scorre fuori dal bordo della finestra",
       "TEnhQuery: interrogazione SQL composta da clausole e parametri",
       "TDesignAtRunTime: sposta e ridimensiona i controlli durante l'esecuzione",
       "TColSortListView: elenco che si ordina facendo clic sul titolo di una colonna"}};
  QStringList lines;
  for (const char* t : texts[strip]) lines << QString::fromUtf8(t);
  lines << QString() << QString();
  return lines;
}
}  // namespace

TFormUtilityComp::TFormUtilityComp(QWidget* parent) : TForm(parent) {
  SetCaption(QStringLiteral("Other Components"));
  setObjectName(QStringLiteral("FormUtilityComp"));
  setBorderStyle(bsToolWindow);

  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->setSpacing(0);
  TCustomPanel* panels[3];
  TIconStrip* images[3];
  TStringHolder* holders[3];
  for (int i = 0; i < 3; ++i) {
    panels[i] = new TCustomPanel(this);
    panels[i]->setObjectName(QStringLiteral("Panel%1").arg(i + 1));
    panels[i]->setFixedHeight(35);
    layout->addWidget(panels[i]);
    images[i] = new TIconStrip(panels[i]);
    images[i]->setObjectName(QStringLiteral("Image%1").arg(i + 1));
    images[i]->SetPicture(ComponentIconStrip(i, 10, devicePixelRatioF()));  // for the screen it opens on
    images[i]->move(8, (35 - 28) / 2);
    holders[i] = new TStringHolder(this);
    holders[i]->setObjectName(QStringLiteral("StringHolder%1").arg(i + 1));
    holders[i]->setStrings(Descriptions(i));
    connect(images[i], &TIconStrip::PointerMoved, this, [this, i](int x, int) { ImageMouseMove(i + 1, x); });
  }
  Panel1 = panels[0];
  Panel2 = panels[1];
  Panel3 = panels[2];
  Image1 = images[0];
  Image2 = images[1];
  Image3 = images[2];
  StringHolder1 = holders[0];
  StringHolder2 = holders[1];
  StringHolder3 = holders[2];

  Memo1 = new QPlainTextEdit(this);
  Memo1->setObjectName(QStringLiteral("Memo1"));
  Memo1->setReadOnly(true);
  Memo1->setPlainText(QStringLiteral("Move mouse on component's glyph to show Description"));
  layout->addWidget(Memo1, 1);

  for (QObject* c : std::initializer_list<QObject*>{Panel1, Image1, Panel2, Image2, Panel3, Image3, Memo1,
                                                    StringHolder1, StringHolder2, StringHolder3})
    AddComponent(c);
  SetDesignSize(296, 295);
}

void TFormUtilityComp::ImageMouseMove(int image, int x) {
  const TStringHolder* holder = image == 1 ? StringHolder1 : image == 2 ? StringHolder2 : StringHolder3;
  // Past the last described icon the holders give empty lines.
  Memo1->setPlainText(holder->Line(x < 0 ? -1 : x / 28));
}

}  // namespace Tarnwell
