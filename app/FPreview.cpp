#include "FPreview.h"

#include <QApplication>
#include <QBoxLayout>
#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QFileInfo>
#include <QKeyEvent>
#include <QLabel>
#include <QPainter>
#include <QPainterPath>
#include <QPrintDialog>
#include <QPrinter>
#include <QProgressBar>
#include <QPushButton>
#include <QSpinBox>
#include <QToolButton>

#include <Tarnwell/platform/TDialogs.h>
#include <Tarnwell/platform/TExceptions.h>
#include <Tarnwell/spreadsheet/FastCompress.h>
#include <Tarnwell/utility/MapiSend.h>

namespace Tarnwell {

QPointer<TFormReportPreview> FormReportPreview;

namespace {

const char* const TempFileMessage = "Sorry, Can't Get Temp File!";

// num / den rounded to the nearest integer, halves to the even one, exactly.
int RoundHalfEven(qint64 num, qint64 den) {
  if (den <= 0) return 0;
  qint64 q = num / den, r = num % den;
  if (r < 0) {
    r += den;
    --q;
  }
  if (2 * r > den || (2 * r == den && (q & 1))) ++q;
  return int(q);
}

enum TGlyph { gFirst, gPrior, gNext, gLast, gFit, g100, gWidth };

// The navigation and zoom glyphs, drawn here.
QIcon MakeGlyph(TGlyph g) {
  QPixmap pm(16, 16);
  pm.fill(Qt::transparent);
  QPainter p(&pm);
  p.setRenderHint(QPainter::Antialiasing);
  const QColor ink(0, 0, 96);
  auto triangle = [&](double x, bool left) {
    QPainterPath t;
    if (left) {
      t.moveTo(x + 5, 3);
      t.lineTo(x, 8);
      t.lineTo(x + 5, 13);
    } else {
      t.moveTo(x, 3);
      t.lineTo(x + 5, 8);
      t.lineTo(x, 13);
    }
    t.closeSubpath();
    p.fillPath(t, ink);
  };
  switch (g) {
    case gFirst:
      p.fillRect(QRectF(3, 3, 2, 10), ink);
      triangle(6, true);
      break;
    case gPrior:
      triangle(5, true);
      break;
    case gNext:
      triangle(6, false);
      break;
    case gLast:
      triangle(5, false);
      p.fillRect(QRectF(11, 3, 2, 10), ink);
      break;
    case gFit:
    case gWidth: {
      p.setPen(QPen(Qt::black, 1));
      p.setBrush(Qt::white);
      p.drawRect(QRectF(4.5, 1.5, 7, 13));
      p.setPen(QPen(ink, 1.5));
      if (g == gFit) {
        p.drawLine(QPointF(8, 3.5), QPointF(8, 12.5));
        p.drawLine(QPointF(6, 5.5), QPointF(8, 3.5));
        p.drawLine(QPointF(10, 5.5), QPointF(8, 3.5));
        p.drawLine(QPointF(6, 10.5), QPointF(8, 12.5));
        p.drawLine(QPointF(10, 10.5), QPointF(8, 12.5));
      } else {
        p.drawLine(QPointF(1, 8), QPointF(15, 8));
        p.drawLine(QPointF(3, 6), QPointF(1, 8));
        p.drawLine(QPointF(3, 10), QPointF(1, 8));
        p.drawLine(QPointF(13, 6), QPointF(15, 8));
        p.drawLine(QPointF(13, 10), QPointF(15, 8));
      }
      break;
    }
    case g100: {
      QFont f = p.font();
      f.setPixelSize(9);
      f.setBold(true);
      p.setFont(f);
      p.setPen(ink);
      p.drawText(QRect(0, 0, 16, 16), Qt::AlignCenter, QStringLiteral("1:1"));
      break;
    }
  }
  return QIcon(pm);
}

// A title as a file name: no folder separators, never empty.
QString TitleFileName(const QString& title) {
  QString t = title.trimmed();
  t.replace(QLatin1Char('/'), QLatin1Char('_'));
  t.replace(QChar(0), QLatin1Char('_'));
  if (t.isEmpty() || t == QLatin1String(".") || t == QLatin1String("..")) t = QStringLiteral("Report");
  return t + QStringLiteral(".ODR");
}

}  // namespace

TFormReportPreview::TFormReportPreview(QWidget* parent)
    : TForm(parent), mFastCompress(std::make_unique<TFastCompress>()) {
  setObjectName(QStringLiteral("FormReportPreview"));
  SetCaption(QStringLiteral("Anteprima di Stampa"));
  setWindowFlags(windowFlags() | Qt::Window | Qt::FramelessWindowHint);
  setBorderStyle(bsNone);
  // It lives as long as the program; closing only hides it.
  SetDefaultCloseAction(caHide);
  MAPISender = new TMAPISender(this);
  MAPISender->setObjectName(QStringLiteral("MAPISender"));
  AddComponent(MAPISender);

  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->setSpacing(0);
  ButtonPanel = new QWidget(this);
  ButtonPanel->setObjectName(QStringLiteral("PanelButtons"));
  ButtonPanel->setFixedHeight(33);
  ButtonPanel->setAutoFillBackground(true);
  layout->addWidget(ButtonPanel);
  QRPreview = new TQRPreview(this);
  layout->addWidget(QRPreview, 1);
  ProgressPanel = new QWidget(this);
  ProgressPanel->setObjectName(QStringLiteral("PanelProgress"));
  ProgressPanel->setFixedHeight(18);
  auto* pl = new QHBoxLayout(ProgressPanel);
  pl->setContentsMargins(4, 4, 4, 4);
  ProgressBar = new QProgressBar(ProgressPanel);
  ProgressBar->setObjectName(QStringLiteral("ProgressBar"));
  ProgressBar->setRange(0, 100);
  ProgressBar->setValue(0);
  ProgressBar->setTextVisible(false);
  pl->addWidget(ProgressBar);
  layout->addWidget(ProgressPanel);
  BuildButtons();

  connect(QRPreview, &TQRPreview::PageAvailable, this, [this] { OnFirstPage(); });
  connect(QRPreview, &TQRPreview::ProgressUpdate, this, [this](QObject*, int p) { OnProgress(p); });
  connect(QRPreview, &TQRPreview::PageNumberChanged, this, [this] { UpdateState(); });
  connect(QRPreview, &TQRPreview::PageCountChanged, this, [this] { UpdateState(); });
  resize(800, 600);
  UpdateState();
}

TFormReportPreview::~TFormReportPreview() {
  QRPreview->SetQRPrinter(nullptr);
}

void TFormReportPreview::BuildButtons() {
  auto* h = new QHBoxLayout(ButtonPanel);
  h->setContentsMargins(4, 4, 4, 4);
  h->setSpacing(4);
  auto button = [&](QPushButton*& b, const char* name, const QString& caption, auto slot) {
    b = new QPushButton(caption, ButtonPanel);
    b->setObjectName(QLatin1String(name));
    b->setFocusPolicy(Qt::TabFocus);
    b->setFixedHeight(25);
    connect(b, &QPushButton::clicked, this, slot);
    h->addWidget(b);
  };
  auto tool = [&](QToolButton*& b, const char* name, TGlyph g, const QString& hint,
                  void (TFormReportPreview::*slot)()) {
    b = new QToolButton(ButtonPanel);
    b->setObjectName(QLatin1String(name));
    b->setIcon(MakeGlyph(g));
    b->setToolTip(hint);
    b->setAutoRaise(false);
    b->setFixedSize(25, 25);
    connect(b, &QToolButton::clicked, this, slot);
    h->addWidget(b);
  };
  button(BtnSetPrinter, "BtnSetPrinter", QStringLiteral("&Imposta"), &TFormReportPreview::SetPrinterClick);
  button(BitPrint, "BitPrint", QStringLiteral("&Stampa"), &TFormReportPreview::PrintClick);
  LabelCopies = new QLabel(QStringLiteral("Copie"), ButtonPanel);
  LabelCopies->setObjectName(QStringLiteral("LabelCopies"));
  h->addWidget(LabelCopies);
  UpDownNCopies = new QSpinBox(ButtonPanel);
  UpDownNCopies->setObjectName(QStringLiteral("EditNCopies"));
  UpDownNCopies->setRange(1, 32);
  UpDownNCopies->setValue(1);
  UpDownNCopies->setWrapping(false);
  UpDownNCopies->setFixedHeight(23);
  LabelCopies->setBuddy(UpDownNCopies);
  h->addWidget(UpDownNCopies);
  h->addSpacing(8);
  button(BtnSave, "BtnSave", QStringLiteral("&Salva"), &TFormReportPreview::SaveClick);
  button(BtnSend, "BtnSend", QStringLiteral("&Invia"), &TFormReportPreview::SendClick);
  button(BtnClose, "BtnClose", QStringLiteral("&Chiudi"), [this] { Close(); });
  h->addSpacing(8);
  tool(BtnFirst, "BtnFirst", gFirst, QStringLiteral("Prima pagina"), &TFormReportPreview::FirstClick);
  tool(BtnPrior, "BtnPrior", gPrior, QStringLiteral("Pagina precedente"), &TFormReportPreview::PriorClick);
  tool(BtnNext, "BtnNext", gNext, QStringLiteral("Pagina successiva"), &TFormReportPreview::NextClick);
  tool(BtnLast, "BtnLast", gLast, QStringLiteral("Ultima pagina"), &TFormReportPreview::LastClick);
  h->addSpacing(8);
  tool(BtnZToFit, "BtnZToFit", gFit, QStringLiteral("Pagina intera"), &TFormReportPreview::ZoomToFitClick);
  tool(BtnZ100x100, "BtnZ100x100", g100, QStringLiteral("Zoom 100%"), &TFormReportPreview::Zoom100Click);
  tool(BtnZPageW, "BtnZPageW", gWidth, QStringLiteral("Larghezza pagina"),
       &TFormReportPreview::ZoomPageWidthClick);
  h->addSpacing(8);
  LabelPage = new QLabel(ButtonPanel);
  LabelPage->setObjectName(QStringLiteral("LabelPage"));
  h->addWidget(LabelPage);
  h->addStretch(1);
  QWidget* order[] = {BtnSetPrinter, BitPrint, UpDownNCopies, BtnSave, BtnSend, BtnClose, BtnFirst,
                      BtnPrior, BtnNext, BtnLast, BtnZToFit, BtnZ100x100, BtnZPageW};
  for (size_t i = 1; i < std::size(order); ++i) setTabOrder(order[i - 1], order[i]);
  BtnZToFit->setFocusPolicy(Qt::StrongFocus);
  setFocusProxy(BtnZToFit);
}

TQRPrinter* TFormReportPreview::Printer() const {
  if (mReport) return mReport->QRPrinter();
  return mLoaded.get();
}

QString TFormReportPreview::ReportTitle() const {
  if (mReport) return mReport->ReportTitle();
  return mLoaded ? mLoaded->Title() : QString();
}

void TFormReportPreview::SetReport(TQuickRep* report) {
  for (const auto& c : mReportConnections) disconnect(c);
  mReportConnections.clear();
  mReport = report;
  if (report) {
    mLoaded.reset();
    UpDownNCopies->setValue(report->Copies());
    mReportConnections << connect(report->QRPrinter(), &TQRPrinter::DocumentFinished, this,
                                  [this] { OnFinished(); });
    mReportConnections << connect(report, &QObject::destroyed, this, [this] { UpdateState(); });
  }
  QRPreview->SetQRPrinter(Printer());
  ProgressBar->setValue(Printer() && Printer()->Finished() ? 100 : 0);
  UpdateState();
}

void TFormReportPreview::ShowPreview() {
  showMaximized();
  raise();
  activateWindow();
  BtnZToFit->setFocus();
}

bool TFormReportPreview::OpenReport(const QString& fileName) {
  THourglass busy;
  QByteArray pdf;
  const TOdrResult r = ReadOdrFile(fileName, pdf);
  QString why;
  switch (r.Error) {
    case TOdrError::None:
      break;
    case TOdrError::CannotOpen:
      why = QStringLiteral("il file non si può leggere");
      break;
    case TOdrError::BadSignature:
      why = QStringLiteral("non è un report compresso");
      break;
    case TOdrError::Damaged:
      why = QStringLiteral("il file è danneggiato o troncato");
      break;
    case TOdrError::NotPdf:
      why = QStringLiteral("il contenuto non è un report");
      break;
    case TOdrError::TooLarge:
      why = QStringLiteral("il report è troppo grande");
      break;
    case TOdrError::CannotWrite:
      why = r.Detail;
      break;
  }
  auto loaded = std::make_unique<TQRPrinter>();
  QString err;
  if (r.Ok() && !loaded->LoadPdf(pdf, &err)) why = QStringLiteral("il contenuto non è un report leggibile");
  if (!why.isEmpty()) {
    MessageDlg(QStringLiteral("Impossibile aprire il report \"%1\": %2.")
                   .arg(QDir::toNativeSeparators(fileName), why),
               mtError, mbOK);
    return false;
  }
  if (loaded->Title().isEmpty()) {
    // The title of the report is the file's name without extension.
    loaded->BeginDocument(QFileInfo(fileName).completeBaseName(), loaded->Orientation());
    loaded->LoadPdf(pdf);
  }
  for (const auto& c : mReportConnections) disconnect(c);
  mReportConnections.clear();
  mReport = nullptr;
  mLoaded = std::move(loaded);
  QRPreview->SetQRPrinter(mLoaded.get());
  ProgressBar->setValue(100);
  mWaitCursor.reset();
  UpdateState();
  return true;
}

int TFormReportPreview::ZoomToFit(int w, int h, TPrinterOrientation o) {
  if (o == poLandscape) return std::min(RoundHalfEven(qint64(w) * 36, 447), RoundHalfEven(qint64(h) * 53, 447));
  return std::min(RoundHalfEven(qint64(h) * 37, 447), RoundHalfEven(qint64(w) * 36, 447));
}

int TFormReportPreview::ZoomToPageWidth(int w, TPrinterOrientation o) {
  return RoundHalfEven(qint64(w) * (o == poLandscape ? 53 : 75), 640);
}

QString TFormReportPreview::TempDirectory() {
  const QString temp = qEnvironmentVariable("TEMP");
  return temp.isEmpty() ? QDir::tempPath() : temp;
}

QString TFormReportPreview::AttachmentDirectory() {
  if (!mAttachDir || !mAttachDir->isValid() || !QFileInfo(mAttachDir->path()).isDir())
    mAttachDir = std::make_unique<QTemporaryDir>(QDir(TempDirectory()).filePath(QStringLiteral("tarnwell-mail-XXXXXX")));
  return mAttachDir->isValid() ? mAttachDir->path() : QString();
}

bool TFormReportPreview::SaveCompressedReport(const QString& fileName) {
  THourglass busy;
  TQRPrinter* printer = Printer();
  if (!printer || printer->PageCount() == 0)
    throw EInvalidOperation(QStringLiteral("Non c'è nessun report da salvare."));
  const QFileInfo dir(TempDirectory());
  QFile tmp;
  bool got = false;
  if (dir.isDir() && dir.isWritable()) {
    // Created exclusively: a name another program takes meanwhile is skipped.
    for (int n = 0; n < 10000 && !got; ++n) {
      tmp.setFileName(QDir(dir.filePath()).filePath(QStringLiteral("~ODBR%1.TMP").arg(n)));
      if (tmp.open(QIODevice::ReadWrite | QIODevice::NewOnly))
        got = true;
      else if (!tmp.exists())
        break;  // not a taken name: the folder refuses new files
    }
  }
  if (!got) {
    MessageDlg(QString::fromLatin1(TempFileMessage), mtError, mbOK);
    return false;
  }
  // Only the file made here is removed, on every way out.
  struct TRemove {
    QFile& f;
    ~TRemove() {
      f.close();
      f.remove();
    }
  } remove{tmp};
  QString err;
  if (!printer->SaveToPdf(tmp, &err))
    throw EStreamError(QStringLiteral("Impossibile salvare il report: %1").arg(err));
  if (!tmp.isOpen() && !tmp.open(QIODevice::ReadOnly))
    throw EStreamError(QStringLiteral("Impossibile rileggere il file temporaneo: %1").arg(tmp.errorString()));
  // The PDF writer does not report a full temporary folder: a failed write
  // shows in the file's own state, and the target is then not touched.
  if (!tmp.flush() || tmp.error() != QFileDevice::NoError)
    throw EStreamError(QStringLiteral("Impossibile scrivere il file temporaneo %1: %2")
                           .arg(QDir::toNativeSeparators(tmp.fileName()), tmp.errorString()));
  tmp.seek(0);
  const TOdrResult r = WriteOdrFile(tmp, fileName, mFastCompress.get());
  if (!r.Ok())
    throw EStreamError(QStringLiteral("Impossibile scrivere il report \"%1\": %2")
                           .arg(QDir::toNativeSeparators(fileName), r.Detail));
  return true;
}

void TFormReportPreview::Run(const std::function<void()>& action) {
  if (mBusy) return;
  ++mBusy;
  UpdateState();
  try {
    action();
  } catch (...) {
    HandleCurrentException();
  }
  --mBusy;
  UpdateState();
}

void TFormReportPreview::SetPrinterClick() {
  Run([this] {
    if (!mReport) {
      MessageDlg(QStringLiteral("Le impostazioni di stampa valgono per un report in anteprima."), mtInformation,
                 mbOK);
      return;
    }
    mReport->setCopies(UpDownNCopies->value());
    mReport->PrinterSetup();
    UpDownNCopies->setValue(mReport->Copies());
  });
}

void TFormReportPreview::PrintClick() {
  Run([this] {
    QString err;
    bool ok = false;
    if (mReport) {
      mReport->setCopies(UpDownNCopies->value());
      ok = mReport->Print(&err);
    } else if (mLoaded) {
      QPrinter printer(QPrinter::HighResolution);
      printer.setCopyCount(UpDownNCopies->value());
      QPrintDialog dlg(&printer, this);
      if (ExecModal(dlg) != QDialog::Accepted) return;
      THourglass busy;
      ok = mLoaded->Print(printer, &err);
    } else {
      return;
    }
    if (!ok) MessageDlg(QStringLiteral("Stampa non riuscita: %1.").arg(err), mtError, mbOK);
  });
}

void TFormReportPreview::SaveClick() {
  Run([this] {
    if (!Printer() || Printer()->PageCount() == 0) return;
    QFileDialog dlg(this, QStringLiteral("Salva il report"));
    dlg.setOption(QFileDialog::DontUseNativeDialog);
    dlg.setAcceptMode(QFileDialog::AcceptSave);
    dlg.setFileMode(QFileDialog::AnyFile);
    dlg.setNameFilters({QStringLiteral("File Report (*.odr *.ODR)"), QStringLiteral("Tutti i File (*)")});
    dlg.setDefaultSuffix(QStringLiteral("ODR"));
    dlg.selectFile(TitleFileName(ReportTitle()));
    if (ExecModal(dlg) != QDialog::Accepted) return;
    const QString file = dlg.selectedFiles().value(0);
    if (file.isEmpty()) return;
    QCoreApplication::processEvents();
    SaveCompressedReport(file);
  });
}

void TFormReportPreview::SendClick() {
  Run([this] {
    if (!Printer() || Printer()->PageCount() == 0) return;
    const QString dir = AttachmentDirectory();
    if (dir.isEmpty()) {
      MessageDlg(QString::fromLatin1(TempFileMessage), mtError, mbOK);
      return;
    }
    const QString file = QDir(dir).filePath(TitleFileName(ReportTitle()));
    if (!SaveCompressedReport(file)) return;
    // The file stays until the program ends: the mail client reads it
    // after Send has returned.
    MAPISender->setAttach(file);
    MAPISender->setSubject(ReportTitle());
    MAPISender->Send(true);
  });
}

void TFormReportPreview::FirstClick() { QRPreview->setPageNumber(1); }
void TFormReportPreview::PriorClick() { QRPreview->setPageNumber(QRPreview->PageNumber() - 1); }
void TFormReportPreview::NextClick() { QRPreview->setPageNumber(QRPreview->PageNumber() + 1); }
void TFormReportPreview::LastClick() { QRPreview->setPageNumber(QRPreview->PageCount()); }

void TFormReportPreview::ZoomToFitClick() {
  const TPrinterOrientation o = Printer() ? Printer()->Orientation() : poPortrait;
  QRPreview->setZoom(ZoomToFit(QRPreview->width(), QRPreview->height(), o));
}

void TFormReportPreview::Zoom100Click() { QRPreview->setZoom(100); }

void TFormReportPreview::ZoomPageWidthClick() {
  const TPrinterOrientation o = Printer() ? Printer()->Orientation() : poPortrait;
  QRPreview->setZoom(ZoomToPageWidth(QRPreview->width(), o));
}

void TFormReportPreview::UpdateState() {
  TQRPrinter* p = Printer();
  const int n = p ? p->PageCount() : 0;
  const bool producing = p && !p->Finished() && (!mReport || mReport->Preparing());
  const bool ready = n > 0 && !producing && mBusy == 0;
  BtnSetPrinter->setEnabled(mBusy == 0 && !producing);
  BitPrint->setEnabled(ready);
  BtnSave->setEnabled(ready);
  BtnSend->setEnabled(ready);
  BtnClose->setEnabled(mBusy == 0);
  UpDownNCopies->setEnabled(mBusy == 0);
  const int page = QRPreview->PageNumber();
  BtnFirst->setEnabled(page > 1);
  BtnPrior->setEnabled(page > 1);
  BtnNext->setEnabled(page < n);
  BtnLast->setEnabled(page < n);
  LabelPage->setText(n > 0 ? QStringLiteral("Pagina %1 di %2").arg(page).arg(n) : QString());
}

void TFormReportPreview::OnFirstPage() {
  mWaitCursor.reset();
  UpdateState();
}

void TFormReportPreview::OnProgress(int percent) {
  ProgressBar->setValue(percent);
  // Pages already there are shown (and paged through) while the rest come.
  QCoreApplication::processEvents();
}

void TFormReportPreview::OnFinished() {
  // A report without pages never reports a first page.
  mWaitCursor.reset();
  UpdateState();
}

void TFormReportPreview::showEvent(QShowEvent* e) {
  TForm::showEvent(e);
  TQRPrinter* p = Printer();
  if (!p || !p->Finished()) mWaitCursor.emplace();
  UpdateState();
}

void TFormReportPreview::keyPressEvent(QKeyEvent* e) {
  if (e->key() == Qt::Key_Escape && mBusy == 0) {
    Close();
    return;
  }
  TForm::keyPressEvent(e);
}

void TFormReportPreview::FormClose(TCloseAction& action) {
  TForm::FormClose(action);
  QRPreview->setPageNumber(1);
  QRPreview->SetQRPrinter(nullptr);
  mWaitCursor.reset();
  // The engine keeps its pages in memory and leaves no temporary files of
  // its own; files of that kind made by other programs are theirs.
  UpdateState();
}

}  // namespace Tarnwell
