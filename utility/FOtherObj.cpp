#include "FOtherObj.h"

#include <QFontDatabase>
#include <QVBoxLayout>

#include "FUtilCmp.h"
#include <Tarnwell/platform/TFormSize.h>
#include <Tarnwell/app/DemoRegistry.h>

namespace Tarnwell {

QString OtherObjectsCatalogue() {
  return QString::fromUtf8(
      "ALTRI OGGETTI DELLA RACCOLTA\n"
      "============================\n"
      "\n"
      "Oltre ai componenti visibili nelle finestre dimostrative, la raccolta comprende\n"
      "classi di servizio che i componenti usano e che un programma può usare a sua volta.\n"
      "\n"
      "Piattaforma\n"
      "  TCanvas          disegno su finestre, immagini, metafile e stampanti, con penna,\n"
      "                   pennello, carattere e posizione della penna\n"
      "  TColor           colori 0x00BBGGRR e colori di sistema risolti dalla tavolozza\n"
      "  TBitmap          immagine in memoria con la sua superficie di disegno\n"
      "  TMetafile        disegno registrato e riprodotto in scala\n"
      "  TThread          thread creato sospeso, con ripresa, sospensione e Synchronize\n"
      "  THourglass       cursore di attesa per la durata di un blocco di codice\n"
      "  TForm            finestra con stile del bordo, pulsanti del titolo e componenti\n"
      "\n"
      "Foglio di calcolo\n"
      "  TSpreadSheetCell       cella con tipo di dato, formato e testo visualizzato\n"
      "  TSpreadSheetDataCells  celle sparse con formati di riga, colonna e foglio\n"
      "  TSpreadSheetFormuler   formule con riferimenti, intervalli e funzioni\n"
      "  TFastCompress          compressione a blocchi dei file del foglio\n"
      "\n"
      "Codici a barre\n"
      "  TCustomBarCodes  stringa dei moduli, cifre di controllo e testo leggibile\n"
      "                   per undici simbologie, senza finestra\n"
      "\n"
      "Grafici e misure\n"
      "  TPointSeries     serie di punti; TGanttLinkList collegamenti di Gantt\n"
      "  TZoomList        cronologia degli ingrandimenti di un grafico\n"
      "  TMeasureMonitor  strumento di misura disegnato su qualsiasi superficie\n"
      "\n"
      "Motore 3D\n"
      "  TObject3D        vertici, facce e trasformazioni; TLoader3DFile li legge\n"
      "                   dai file di modelli, TWriter3DFile li scrive\n"
      "  TEngine3D        proiezione, ordinamento in profondità, ombreggiatura e\n"
      "                   riempimento ai livelli di resa da 0 a 6\n"
      "\n"
      "Database\n"
      "  TDataSet         record, campi, stati di modifica, segnalibri e filtri\n"
      "  TDataSource      collegamento tra un insieme di dati e i controlli\n"
      "  TMemoTable       tabella in memoria con definizioni dei campi e ordinamento\n"
      "  TQuery, TTable   interrogazioni e tabelle su SQLite e PostgreSQL\n"
      "  TFilterExpr      espressione di filtro sui campi di un record\n"
      "\n"
      "Utilità\n"
      "  TStringHolder    lista di testi conservata con la finestra\n"
      "  TFormResizer     adatta posizione e dimensione dei controlli alla finestra\n"
      "  TPatternHolder   motivo di sfondo condiviso da pannelli e caselle\n"
      "\n"
      "Ogni classe vive nello spazio dei nomi Tarnwell; le intestazioni si includono\n"
      "come <Tarnwell/cartella/Nome.h> e le librerie si collegano con\n"
      "find_package(Tarnwell COMPONENTS ...) e i bersagli Tarnwell::<Famiglia>.\n");
}

TFormOtherObject::TFormOtherObject(QWidget* parent) : TForm(parent) {
  SetCaption(QStringLiteral("Other Objects"));
  setObjectName(QStringLiteral("FormOtherObject"));
  setBorderStyle(bsSizeToolWin);
  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(0, 0, 0, 0);
  Memo1 = new QPlainTextEdit(this);
  Memo1->setObjectName(QStringLiteral("Memo1"));
  Memo1->setReadOnly(true);
  // Both scroll bars: lines keep their layout (the catalogue is in columns).
  Memo1->setLineWrapMode(QPlainTextEdit::NoWrap);
  Memo1->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
  Memo1->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
  Memo1->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
  Memo1->setPlainText(OtherObjectsCatalogue());
  layout->addWidget(Memo1);
  AddComponent(Memo1);
  SetDesignOuterSize(this, 573, 398);
}

void RegisterDemo_utility() {
  RegisterDemoWindow("TFormUtilityComp", []() -> TForm* { return new TFormUtilityComp(); });
  RegisterDemoWindow("TFormOtherObject", []() -> TForm* { return new TFormOtherObject(); });
}

}  // namespace Tarnwell
