// The report engine, its saved-report file and the report preview window.
#include <gtest/gtest.h>

#include <QBuffer>
#include <QDir>
#include <QFileDialog>
#include <QPdfWriter>
#include <QPrintDialog>
#include <QPrinter>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QToolButton>
#include <QSignalSpy>
#include <QSpinBox>
#include <QTemporaryDir>

#include <Tarnwell/app/FPreview.h>
#include <Tarnwell/platform/TDialogs.h>
#include <Tarnwell/platform/THourglass.h>
#include <Tarnwell/utility/MapiSend.h>
#include "ReportTestUtil.h"
#include "SmallDisk.h"
#include "TestUtil.h"

namespace {

// Sets an environment variable for a scope (unset when value is null).
struct TEnvScope {
  QByteArray name, old;
  bool had;
  TEnvScope(const char* n, const QString& value) : name(n), old(qgetenv(n)), had(qEnvironmentVariableIsSet(n)) {
    if (value.isNull())
      qunsetenv(n);
    else
      qputenv(n, value.toLocal8Bit());
  }
  ~TEnvScope() {
    if (had)
      qputenv(name.constData(), old);
    else
      qunsetenv(name.constData());
  }
};

bool WhiteOnly(const QImage& img) {
  for (int y = 0; y < img.height(); ++y)
    for (int x = 0; x < img.width(); ++x)
      if (qGray(img.pixel(x, y)) < 200) return false;
  return true;
}

}  // namespace

// ---- engine ------------------------------------------------------------------

TEST(ReportEngine, BandsFillPagesAndSkippedRecordsPrintNothing) {
  TQuickRep rep;
  rep.Detail()->setHeight(400);  // two bands a page (A4 is 1123 units high)
  int n = 0;
  rep.OnNeedData = [&](TQuickRep*, bool& more) { more = n < 7; };
  rep.Detail()->BeforePrint = [&](TQRBand*, bool& print) { print = (n++ % 7) != 3; };
  QSignalSpy pages(rep.QRPrinter(), &TQRPrinter::PageAvailable);
  rep.Prepare();
  EXPECT_EQ(rep.QRPrinter()->PageCount(), 3);  // six bands printed, two a page
  EXPECT_EQ(pages.count(), 3);
  EXPECT_TRUE(rep.QRPrinter()->Finished());

  // Without a need-data callback there is exactly one record.
  TQuickRep one;
  int bands = 0;
  one.Detail()->BeforePrint = [&](TQRBand*, bool&) { ++bands; };
  one.Prepare();
  EXPECT_EQ(bands, 1);
  EXPECT_EQ(one.QRPrinter()->PageCount(), 1);

  // No record at all: no pages, and the document still finishes.
  TQuickRep none;
  none.OnNeedData = [](TQuickRep*, bool& more) { more = false; };
  QSignalSpy fin(none.QRPrinter(), &TQRPrinter::DocumentFinished);
  none.Prepare();
  EXPECT_EQ(none.QRPrinter()->PageCount(), 0);
  EXPECT_EQ(fin.count(), 1);
}

TEST(ReportEngine, ProgressFirstPageAndReentry) {
  TPagedReport r(4);
  QSignalSpy progress(r.Report.QRPrinter(), &TQRPrinter::Progress);
  bool reentered = false;
  r.Report.Detail()->BeforePrint = [&](TQRBand*, bool&) {
    r.Image->SetPicture(r.Pages[size_t(r.Produced++)]);
    try {
      r.Report.Prepare();
    } catch (const EInvalidOperation&) {
      reentered = true;
    }
  };
  r.Report.Prepare();
  EXPECT_TRUE(reentered);
  ASSERT_GE(progress.count(), 4);
  EXPECT_EQ(progress.first().at(0).toInt(), 25);
  EXPECT_EQ(progress.last().at(0).toInt(), 100);
  EXPECT_EQ(r.Report.QRPrinter()->PageCount(), 4);
}

TEST(ReportEngine, PagesOutliveThePicturesTheyWereMadeOf) {
  TPagedReport r(2);
  r.Report.Prepare();
  // The caller frees its page pictures once the report is produced.
  r.Pages.clear();
  r.Image->ClearPicture();
  EXPECT_FALSE(WhiteOnly(r.Report.QRPrinter()->PageImage(2, QSize(397, 561))));
}

TEST(ReportEngine, PdfHasThePagesTextAndPaperOfTheReport) {
  if (!HavePoppler()) GTEST_SKIP() << "pdfinfo/pdftotext (poppler-utils) not installed";
  QTemporaryDir dir;
  for (auto o : {poPortrait, poLandscape}) {
    SCOPED_TRACE(int(o));
    TPagedReport r(3, o, QStringLiteral("Conti 2026"));
    const QString pdf = dir.filePath(QStringLiteral("r%1.pdf").arg(int(o)));
    QString err;
    ASSERT_TRUE(r.Report.ExportToPdf(pdf, &err)) << err.toStdString();
    EXPECT_EQ(PdfPages(pdf), 3);
    EXPECT_EQ(PdfField(pdf, QStringLiteral("Title")), QStringLiteral("Conti 2026"));
    const QString size = PdfField(pdf, QStringLiteral("Page size"));
    EXPECT_TRUE(size.startsWith(o == poPortrait ? QLatin1String("595") : QLatin1String("842")))
        << size.toStdString();
    const QString text = PdfText(pdf);
    EXPECT_TRUE(text.contains(QStringLiteral("Pagina 2 di 3"))) << text.left(300).toStdString();
    EXPECT_TRUE(text.contains(QStringLiteral("30005"))) << "a cell of page 3";
  }
}

TEST(ReportEngine, PrintingMakesTheCopies) {
  if (!HavePoppler()) GTEST_SKIP() << "pdfinfo (poppler-utils) not installed";
  QTemporaryDir dir;
  TPagedReport r(2);
  r.Report.Printer()->setOutputFormat(QPrinter::PdfFormat);
  r.Report.Printer()->setOutputFileName(dir.filePath(QStringLiteral("printed.pdf")));
  r.Report.setCopies(3);
  QString err;
  ASSERT_TRUE(r.Report.Print(&err)) << err.toStdString();
  // Pages come from the finished report: no second round of records.
  EXPECT_EQ(r.Produced, 2);
  const int pages = PdfPages(dir.filePath(QStringLiteral("printed.pdf")));
  EXPECT_TRUE(pages == 6 || (r.Report.Printer()->supportsMultipleCopies() && pages == 2)) << pages;
}

// ---- the .odr file -------------------------------------------------------------

TEST(ReportFile, HeaderAndExactRoundTrip) {
  QByteArray pdf("%PDF-1.4\n");
  for (int i = 0; i < 5000; ++i) pdf += QByteArray::number(i * 7919 % 10007) + (i % 13 ? " " : "\n");
  const QByteArray odr = EncodeOdr(pdf);
  EXPECT_EQ(odr.left(9), QByteArray("\x08QVR10CMP"));
  QByteArray back;
  EXPECT_TRUE(DecodeOdr(odr, back).Ok());
  EXPECT_EQ(back, pdf);
}

TEST(ReportFile, DamagedFilesAreRefusedWithTheirReason) {
  const QByteArray good = EncodeOdr(QByteArray("%PDF-1.4\nsome report body ") + QByteArray(20000, 'x'));
  QByteArray badBlock = good;
  badBlock[9] = char(0xff);
  badBlock[10] = char(0xff);  // block length 65535
  struct Row {
    const char* what;
    QByteArray data;
    TOdrError error;
  } rows[] = {
      {"empty", QByteArray(), TOdrError::BadSignature},
      {"signature cut", good.left(5), TOdrError::BadSignature},
      {"other signature", QByteArray("\x07QVSS100") + good.mid(8), TOdrError::BadSignature},
      {"truncated block", good.left(good.size() - 3), TOdrError::Damaged},
      {"length cut", good.left(10), TOdrError::Damaged},
      {"bad block length", badBlock, TOdrError::Damaged},
      {"not a pdf inside", EncodeOdr(QByteArray(3000, 'a')), TOdrError::NotPdf},
  };
  for (const Row& r : rows) {
    SCOPED_TRACE(r.what);
    QByteArray pdf("left over");
    const TOdrResult res = DecodeOdr(r.data, pdf);
    EXPECT_EQ(res.Error, r.error);
    EXPECT_FALSE(res.Detail.isEmpty());
    EXPECT_TRUE(pdf.isEmpty());
  }
  // Just the signature: an empty report is not a PDF.
  QByteArray pdf;
  EXPECT_EQ(DecodeOdr(QByteArray("\x08QVR10CMP"), pdf).Error, TOdrError::NotPdf);
}

namespace {
// Fails after a few reads, like a disk that goes away mid-way.
class TFailingDevice : public QIODevice {
 public:
  TFailingDevice() { open(ReadOnly); }
  qint64 size() const override { return 1 << 20; }
  bool atEnd() const override { return false; }

 protected:
  qint64 readData(char* data, qint64 max) override {
    if (++mReads > 2) return -1;
    const qint64 n = std::min<qint64>(max, 4096);
    memset(data, 'z', size_t(n));
    return n;
  }
  qint64 writeData(const char*, qint64) override { return -1; }

 private:
  int mReads = 0;
};
}  // namespace

TEST(ReportFile, AFailedWriteKeepsTheExistingFile) {
  QTemporaryDir dir;
  const QString target = dir.filePath(QStringLiteral("keep.odr"));
  ASSERT_TRUE(WriteFile(target, "old contents"));
  TFailingDevice src;
  const TOdrResult r = WriteOdrFile(src, target);
  EXPECT_EQ(r.Error, TOdrError::CannotWrite);
  EXPECT_EQ(ReadFile(target), QByteArray("old contents"));
  EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden), QStringList{QStringLiteral("keep.odr")});
}

// ---- the window --------------------------------------------------------------

namespace {

struct TPreviewFixture {
  TFormReportPreview form;
  TPagedReport rep;
  explicit TPreviewFixture(int pages = 3) : rep(pages) {
    rep.Report.OnPreview = [this](TQuickRep* r) {
      form.SetReport(r);
      form.ShowPreview();
    };
  }
};

// Answers the save dialog with fileName.
void AnswerSaveDialog(TRecordingDialogs& d, const QString& fileName) {
  d.OnModal = [fileName](QDialog& dlg) {
    auto* fd = qobject_cast<QFileDialog*>(&dlg);
    if (!fd) return int(QDialog::Rejected);
    fd->selectFile(fileName);
    return int(QDialog::Accepted);
  };
}

}  // namespace

TEST(ReportPreview, LayoutCaptionsAndStartState) {
  TFormReportPreview f;
  EXPECT_EQ(f.windowTitle(), QStringLiteral("Anteprima di Stampa"));
  EXPECT_TRUE(f.windowFlags() & Qt::FramelessWindowHint);
  EXPECT_EQ(f.ButtonPanel->height(), 33);
  EXPECT_EQ(f.ProgressPanel->height(), 18);
  EXPECT_EQ(f.ProgressBar->minimum(), 0);
  EXPECT_EQ(f.ProgressBar->maximum(), 100);
  EXPECT_EQ(f.BtnSetPrinter->text(), QStringLiteral("&Imposta"));
  EXPECT_EQ(f.BitPrint->text(), QStringLiteral("&Stampa"));
  EXPECT_EQ(f.BtnSave->text(), QStringLiteral("&Salva"));
  EXPECT_EQ(f.BtnSend->text(), QStringLiteral("&Invia"));
  EXPECT_EQ(f.BtnClose->text(), QStringLiteral("&Chiudi"));
  EXPECT_EQ(f.LabelCopies->text(), QStringLiteral("Copie"));
  EXPECT_EQ(f.UpDownNCopies->minimum(), 1);
  EXPECT_EQ(f.UpDownNCopies->maximum(), 32);
  EXPECT_EQ(f.UpDownNCopies->value(), 1);
  EXPECT_FALSE(f.UpDownNCopies->wrapping());
  EXPECT_EQ(f.QRPreview->PageNumber(), 1);
  EXPECT_EQ(f.QRPreview->Zoom(), 100);
  EXPECT_EQ(f.focusProxy(), static_cast<QWidget*>(f.BtnZToFit));
}

TEST(ReportPreview, ZoomFormulasAndTheirTies) {
  // Page width: 64 x 75 / 640 = 7.5 and 192 x 75 / 640 = 22.5 go to the even.
  EXPECT_EQ(TFormReportPreview::ZoomToPageWidth(64, poPortrait), 8);
  EXPECT_EQ(TFormReportPreview::ZoomToPageWidth(192, poPortrait), 22);
  EXPECT_EQ(TFormReportPreview::ZoomToPageWidth(320, poLandscape), 26);  // 26.5
  EXPECT_EQ(TFormReportPreview::ZoomToPageWidth(960, poLandscape), 80);  // 79.5
  EXPECT_EQ(TFormReportPreview::ZoomToPageWidth(853, poPortrait), 100);
  // Fit: the smaller of the two.
  EXPECT_EQ(TFormReportPreview::ZoomToFit(1000, 447, poPortrait), 37);
  EXPECT_EQ(TFormReportPreview::ZoomToFit(447, 1000, poPortrait), 36);
  EXPECT_EQ(TFormReportPreview::ZoomToFit(1000, 447, poLandscape), 53);
  EXPECT_EQ(TFormReportPreview::ZoomToFit(447, 1000, poLandscape), 36);
  EXPECT_EQ(TFormReportPreview::ZoomToFit(800, 600, poPortrait), 50);  // 49.66 / 64.4

  TPreviewFixture fx(1);
  fx.rep.Report.Preview();
  fx.form.QRPreview->resize(640, 480);
  fx.form.ZoomPageWidthClick();
  EXPECT_EQ(fx.form.QRPreview->Zoom(), 75);
  fx.form.ZoomToFitClick();
  EXPECT_EQ(fx.form.QRPreview->Zoom(), std::min(nearest(480 / 447.0 * 37), nearest(640 / 447.0 * 36)));
  fx.form.Zoom100Click();
  EXPECT_EQ(fx.form.QRPreview->Zoom(), 100);
}

TEST(ReportPreview, PagingShowsPagesAndCloseResetsToPageOne) {
  QTemporaryDir temp;
  TEnvScope env("TEMP", temp.path());
  // Another program's temporary file of the engine's old naming stays.
  ASSERT_TRUE(WriteFile(temp.filePath(QStringLiteral("QRP00.TMP")), "foreign"));
  TPreviewFixture fx(3);
  fx.rep.Report.Preview();
  EXPECT_TRUE(fx.form.isVisible());
  EXPECT_EQ(THourglass::Depth(), 0);
  EXPECT_EQ(fx.form.ProgressBar->value(), 100);
  EXPECT_EQ(fx.form.QRPreview->PageCount(), 3);
  fx.form.LastClick();
  EXPECT_EQ(fx.form.QRPreview->PageNumber(), 3);
  fx.form.NextClick();
  EXPECT_EQ(fx.form.QRPreview->PageNumber(), 3);  // kept within range
  fx.form.PriorClick();
  EXPECT_EQ(fx.form.QRPreview->PageNumber(), 2);
  EXPECT_EQ(fx.form.LabelPage->text(), QStringLiteral("Pagina 2 di 3"));
  // The page shown has ink on it.
  fx.form.QRPreview->resize(900, 1200);
  const QImage shot = fx.form.QRPreview->viewport()->grab().toImage();
  EXPECT_FALSE(WhiteOnly(shot.copy(shot.rect().adjusted(20, 20, -20, -20))));
  fx.form.Close();
  EXPECT_FALSE(fx.form.isVisible());
  EXPECT_EQ(fx.form.QRPreview->PageNumber(), 1);
  EXPECT_EQ(fx.form.QRPreview->QRPrinter(), nullptr);
  EXPECT_EQ(ReadFile(temp.filePath(QStringLiteral("QRP00.TMP"))), QByteArray("foreign"));
}

TEST(ReportPreview, FirstPageComesWhileTheRestIsProducedAndSetUpKeepsTheCopies) {
  TPreviewFixture fx(5);
  bool firstEarly = false;
  int shownAtFirst = -1;
  QObject::connect(fx.form.QRPreview, &TQRPreview::PageAvailable, [&] {
    firstEarly = fx.rep.Report.Preparing();
    shownAtFirst = fx.form.ProgressBar->value();
  });
  fx.rep.Report.Preview();
  EXPECT_TRUE(firstEarly);
  EXPECT_LT(shownAtFirst, 100);
  EXPECT_EQ(fx.form.ProgressBar->value(), 100);
  // The set-up dialog gets the field's copies and hands back its own.
  TRecordingDialogs dialogs;
  int offered = 0;
  dialogs.OnModal = [&](QDialog& dlg) {
    auto* pd = qobject_cast<QPrintDialog*>(&dlg);
    if (!pd) return int(QDialog::Rejected);
    offered = pd->printer()->copyCount();
    pd->printer()->setCopyCount(7);
    return int(QDialog::Accepted);
  };
  fx.form.UpDownNCopies->setValue(4);
  fx.form.SetPrinterClick();
  EXPECT_EQ(offered, 4);
  EXPECT_EQ(fx.form.UpDownNCopies->value(), 7);
  EXPECT_EQ(fx.rep.Report.Copies(), 7);
}

TEST(ReportPreview, AReportWithoutPagesRestoresTheCursor) {
  TPreviewFixture fx(0);
  fx.rep.Report.Preview();
  EXPECT_TRUE(fx.form.isVisible());
  EXPECT_EQ(THourglass::Depth(), 0);
  EXPECT_FALSE(fx.form.BtnSave->isEnabled());
  EXPECT_FALSE(fx.form.BitPrint->isEnabled());
}

TEST(ReportPreview, SavedReportIsTheSignatureAndTheCompressedPdf) {
  QTemporaryDir temp;
  TEnvScope env("TEMP", temp.path());
  TRecordingDialogs dialogs;
  TPreviewFixture fx(3);
  fx.rep.Report.Preview();
  const QString target = temp.filePath(QStringLiteral("saved.odr"));
  AnswerSaveDialog(dialogs, target);
  fx.form.SaveClick();
  EXPECT_TRUE(dialogs.Messages.empty());
  const QByteArray odr = ReadFile(target);
  ASSERT_GT(odr.size(), 9);
  EXPECT_EQ(odr.left(9), QByteArray("\x08QVR10CMP"));
  QByteArray pdf;
  ASSERT_TRUE(DecodeOdr(odr, pdf).Ok());
  EXPECT_TRUE(pdf.startsWith("%PDF-"));
  // The temporary file is gone; nothing else is left behind.
  EXPECT_EQ(QDir(temp.path()).entryList(QDir::Files | QDir::Hidden), QStringList{QStringLiteral("saved.odr")});
  if (HavePoppler()) {
    const QString pdfFile = temp.filePath(QStringLiteral("inside.pdf"));
    ASSERT_TRUE(WriteFile(pdfFile, pdf));
    EXPECT_EQ(PdfPages(pdfFile), 3);
    EXPECT_TRUE(PdfText(pdfFile).contains(QStringLiteral("Pagina 3 di 3")));
  }
  // Opened again and saved again, the report inside is the same byte for byte.
  TFormReportPreview again;
  ASSERT_TRUE(again.OpenReport(target));
  EXPECT_EQ(again.QRPreview->PageCount(), 3);
  EXPECT_EQ(again.ReportTitle(), QStringLiteral("Prova"));
  EXPECT_FALSE(WhiteOnly(again.QRPreview->QRPrinter()->PageImage(2, QSize(200, 283))));
  const QString second = temp.filePath(QStringLiteral("second.odr"));
  ASSERT_TRUE(again.SaveCompressedReport(second));
  QByteArray pdf2;
  ASSERT_TRUE(DecodeOdr(ReadFile(second), pdf2).Ok());
  EXPECT_EQ(pdf2, pdf);
}

TEST(ReportPreview, AnOpenedReportPrintsItsPages) {
  if (!HavePoppler()) GTEST_SKIP() << "pdfinfo (poppler-utils) not installed";
  QTemporaryDir temp;
  TPagedReport r(2);
  r.Report.Prepare();
  const QString pdf = temp.filePath(QStringLiteral("in.pdf"));
  ASSERT_TRUE(r.Report.QRPrinter()->SaveToPdf(pdf));
  const QString odr = temp.filePath(QStringLiteral("in.odr"));
  ASSERT_TRUE(WriteOdrFile(ReadFile(pdf), odr).Ok());
  TFormReportPreview form;
  ASSERT_TRUE(form.OpenReport(odr));
  TRecordingDialogs dialogs;
  const QString printed = temp.filePath(QStringLiteral("printed.pdf"));
  dialogs.OnModal = [&](QDialog& dlg) {
    auto* pd = qobject_cast<QPrintDialog*>(&dlg);
    if (!pd) return int(QDialog::Rejected);
    pd->printer()->setOutputFormat(QPrinter::PdfFormat);
    pd->printer()->setOutputFileName(printed);
    return int(QDialog::Accepted);
  };
  form.PrintClick();
  EXPECT_TRUE(dialogs.Messages.empty());
  EXPECT_EQ(PdfPages(printed), 2);
}

TEST(ReportPreview, TemporaryNamesAndFolders) {
  QTemporaryDir temp;
  TRecordingDialogs dialogs;
  TPreviewFixture fx(1);
  fx.rep.Report.Preview();
  TQRPrinter* printer = fx.rep.Report.QRPrinter();
  // Which temporary files exist while the report is written out.
  QStringList during;
  QString watched;
  QObject::connect(printer, &TQRPrinter::RenderProgress, [&] {
    during = QDir(watched).entryList({QStringLiteral("~ODBR*")}, QDir::Files | QDir::Hidden);
  });
  {
    // Counter 0 is taken by someone else: 1 is used, 0 is left alone.
    TEnvScope env("TEMP", temp.path());
    watched = temp.path();
    ASSERT_TRUE(WriteFile(temp.filePath(QStringLiteral("~ODBR0.TMP")), "someone else's"));
    ASSERT_TRUE(fx.form.SaveCompressedReport(temp.filePath(QStringLiteral("a.odr"))));
    EXPECT_EQ(during, (QStringList{QStringLiteral("~ODBR0.TMP"), QStringLiteral("~ODBR1.TMP")}));
    EXPECT_EQ(ReadFile(temp.filePath(QStringLiteral("~ODBR0.TMP"))), QByteArray("someone else's"));
    EXPECT_FALSE(QFile::exists(temp.filePath(QStringLiteral("~ODBR1.TMP"))));
  }
  {
    // TEMP unset: the system's temporary folder.
    QTemporaryDir sys;
    TEnvScope env("TEMP", QString());
    TEnvScope tmpdir("TMPDIR", sys.path());
    watched = sys.path();
    during.clear();
    ASSERT_TRUE(fx.form.SaveCompressedReport(temp.filePath(QStringLiteral("b.odr"))));
    EXPECT_EQ(during, QStringList{QStringLiteral("~ODBR0.TMP")});
    EXPECT_TRUE(QFile::exists(temp.filePath(QStringLiteral("b.odr"))));
  }
  for (const QString& bad : {temp.filePath(QStringLiteral("missing/dir")), temp.filePath(QStringLiteral("a.odr"))}) {
    // A folder that is not there (or is a file): the message, nothing written.
    SCOPED_TRACE(bad.toStdString());
    TEnvScope env("TEMP", bad);
    dialogs.Messages.clear();
    const QString target = temp.filePath(QStringLiteral("c.odr"));
    EXPECT_FALSE(fx.form.SaveCompressedReport(target));
    ASSERT_EQ(dialogs.Messages.size(), 1u);
    EXPECT_EQ(dialogs.Messages[0].Text, QStringLiteral("Sorry, Can't Get Temp File!"));
    EXPECT_FALSE(QFile::exists(target));
  }
}

TEST(ReportPreview, ButtonsAreBlockedWhileSaving) {
  QTemporaryDir temp;
  TEnvScope env("TEMP", temp.path());
  TRecordingDialogs dialogs;
  TPreviewFixture fx(2);
  fx.rep.Report.Preview();
  int dialogsRun = 0;
  bool sawDisabled = false;
  dialogs.OnModal = [&](QDialog& dlg) {
    ++dialogsRun;
    qobject_cast<QFileDialog*>(&dlg)->selectFile(temp.filePath(QStringLiteral("x.odr")));
    return int(QDialog::Accepted);
  };
  QObject::connect(fx.rep.Report.QRPrinter(), &TQRPrinter::RenderProgress, [&] {
    sawDisabled = !fx.form.BtnSave->isEnabled() && !fx.form.BitPrint->isEnabled() && !fx.form.BtnClose->isEnabled();
    fx.form.SaveClick();  // a click that got through pending events
  });
  fx.form.SaveClick();
  EXPECT_TRUE(sawDisabled);
  EXPECT_EQ(dialogsRun, 1);
  EXPECT_TRUE(fx.form.BtnSave->isEnabled());
}

TEST(ReportPreview, DamagedReportsOpenWithAMessageAndChangeNothing) {
  QTemporaryDir temp;
  TRecordingDialogs dialogs;
  TPreviewFixture fx(2);
  fx.rep.Report.Preview();
  const QByteArray good = EncodeOdr(QByteArray("%PDF-1.4\n") + QByteArray(9000, 'q'));
  struct Row {
    const char* name;
    QByteArray data;
  } rows[] = {{"empty.odr", QByteArray()},
              {"sig.odr", QByteArray("\x08QVR10CM")},
              {"other.odr", QByteArray("\x07QVSS100") + good.mid(8)},
              {"cut.odr", good.left(good.size() - 1)},
              {"notpdf.odr", EncodeOdr(QByteArray(100, 'n'))},
              {"badpdf.odr", good}};  // looks like a PDF, is none
  for (const Row& r : rows) {
    SCOPED_TRACE(r.name);
    const QString file = temp.filePath(QLatin1String(r.name));
    ASSERT_TRUE(WriteFile(file, r.data));
    dialogs.Messages.clear();
    EXPECT_FALSE(fx.form.OpenReport(file));
    ASSERT_EQ(dialogs.Messages.size(), 1u);
    EXPECT_TRUE(dialogs.Messages[0].Text.startsWith(QStringLiteral("Impossibile aprire il report")));
    EXPECT_EQ(fx.form.QRPreview->QRPrinter(), fx.rep.Report.QRPrinter());
    EXPECT_EQ(fx.form.QRPreview->PageCount(), 2);
  }
  dialogs.Messages.clear();
  EXPECT_FALSE(fx.form.OpenReport(temp.filePath(QStringLiteral("nowhere.odr"))));
  EXPECT_EQ(dialogs.Messages.size(), 1u);
}

namespace {

// An xdg-email first on the PATH that records its arguments and a copy of
// the attachment, as the mail client would read it.
struct TMailStub {
  QTemporaryDir dir;
  QString log, copy;
  std::unique_ptr<TEnvScope> path;
  explicit TMailStub(int exitCode = 0) {
    log = dir.filePath(QStringLiteral("args.txt"));
    copy = dir.filePath(QStringLiteral("attachment.bin"));
    const QString script = QStringLiteral(
                               "#!/bin/sh\n"
                               "for a in \"$@\"; do printf '%s\\n' \"$a\"; done > '%1.part'\n"
                               "while [ $# -gt 0 ]; do\n"
                               "  if [ \"$1\" = --attach ]; then cp \"$2\" '%2'; fi\n"
                               "  shift\n"
                               "done\n"
                               "mv '%1.part' '%1'\n"
                               "exit %3\n")
                               .arg(log, copy)
                               .arg(exitCode);
    const QString exe = dir.filePath(QStringLiteral("xdg-email"));
    WriteFile(exe, script.toUtf8());
    QFile::setPermissions(exe, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    path = std::make_unique<TEnvScope>("PATH", dir.path() + QLatin1Char(':') + qEnvironmentVariable("PATH"));
  }
};

}  // namespace

TEST(ReportPreview, SendMailsTheSavedReport) {
  QTemporaryDir temp;
  TEnvScope env("TEMP", temp.path());
  TMailStub stub;
  TRecordingDialogs dialogs;
  TPreviewFixture fx(2);
  fx.rep.Report.setReportTitle(QStringLiteral("Conti 1/2026"));
  fx.rep.Report.Preview();
  QSignalSpy done(fx.form.MAPISender, &TMAPISender::SendFinished);
  fx.form.SendClick();
  ASSERT_TRUE(WaitUntil([&] { return done.count() > 0; }, 10000));
  EXPECT_TRUE(done.first().at(0).toBool());
  const QStringList args = QString::fromUtf8(ReadFile(stub.log)).split(QLatin1Char('\n'));
  ASSERT_GE(args.size(), 7);
  EXPECT_EQ(args[0], QStringLiteral("--utf8"));
  EXPECT_EQ(args[1], QStringLiteral("--subject"));
  EXPECT_EQ(args[2], QStringLiteral("Conti 1/2026"));
  const qsizetype at = args.indexOf(QStringLiteral("--attach"));
  ASSERT_GT(at, 0);
  const QString attachment = args[at + 1];
  // The "/" of the title does not become a folder.
  EXPECT_EQ(QFileInfo(attachment).fileName(), QStringLiteral("Conti 1_2026.ODR"));
  const QByteArray mailed = ReadFile(stub.copy);
  EXPECT_TRUE(mailed.startsWith("\x08QVR10CMP"));
  // Still there for a mail client that reads it later.
  EXPECT_EQ(ReadFile(attachment), mailed);
  EXPECT_TRUE(dialogs.Messages.empty());
}

TEST(MailSender, ArgumentsAndFailures) {
  TMAPISender s;
  s.setSubject(QStringLiteral("Oggetto"));
  s.setNotes({QStringLiteral("riga 1"), QStringLiteral("riga 2")});
  s.setAttach(QStringLiteral("/no/such/file.odr"));
  // A missing attachment is left out; the message goes without it.
  EXPECT_EQ(s.MailArguments(), (QStringList{QStringLiteral("--utf8"), QStringLiteral("--subject"),
                                           QStringLiteral("Oggetto"), QStringLiteral("--body"),
                                           QStringLiteral("riga 1\nriga 2")}));
  TRecordingDialogs dialogs;
  {
    QTemporaryDir empty;
    TEnvScope path("PATH", empty.path());
    EXPECT_FALSE(TMAPISender::MAPIAvailable());
    EXPECT_FALSE(s.Send(false));
    EXPECT_TRUE(dialogs.Messages.empty());
    EXPECT_FALSE(s.Send(true));
    ASSERT_EQ(dialogs.Messages.size(), 1u);
    EXPECT_EQ(dialogs.Messages[0].Text, QStringLiteral("Error!"));
  }
  {
    // A mail client that refuses: the box comes when it has answered.
    TMailStub refusing(3);
    dialogs.Messages.clear();
    QSignalSpy done(&s, &TMAPISender::SendFinished);
    EXPECT_TRUE(s.Send(true));
    ASSERT_TRUE(WaitUntil([&] { return done.count() > 0; }, 10000));
    EXPECT_FALSE(done.first().at(0).toBool());
    ASSERT_EQ(dialogs.Messages.size(), 1u);
    EXPECT_EQ(dialogs.Messages[0].Text, QStringLiteral("Error!"));
  }
}

// Save, the mail attachment (the same save) and the PDF export on a disk
// that filled up: an error, the old file byte for byte, no temporary left;
// and a full temporary folder never lets a cut report reach the target.
TEST(ReportPreview, SavesOnAFullDiskKeepTheOldFile) {
  TSmallDisk disk(256);
  REQUIRE_SMALL_DISK(disk);
  QTemporaryDir temp;
  TPreviewFixture fx(30);
  fx.rep.Report.Preview();
  const QByteArray old(3314, 'o');
  const QString onDisk = disk.File(QStringLiteral("r.odr")), elsewhere = temp.filePath(QStringLiteral("r.odr"));
  {
    TEnvScope env("TEMP", temp.path());
    PutFileBytes(onDisk, old);
    disk.Fill();
    EXPECT_THROW(fx.form.SaveCompressedReport(onDisk), EStreamError);
    QString err;
    EXPECT_FALSE(fx.rep.Report.ExportToPdf(disk.File(QStringLiteral("r.odr")), &err));
    EXPECT_EQ(err, QString::fromLocal8Bit(strerror(ENOSPC)));
    EXPECT_EQ(FileBytes(onDisk), old);
    EXPECT_EQ(disk.Entries(), QStringList{QStringLiteral("r.odr")});
    disk.Unfill();
  }
  {
    TEnvScope env("TEMP", disk.Path());
    PutFileBytes(elsewhere, old);
    disk.Fill(4096);
    EXPECT_THROW(fx.form.SaveCompressedReport(elsewhere), EStreamError);
    EXPECT_EQ(FileBytes(elsewhere), old);
    EXPECT_EQ(disk.Entries(), QStringList{QStringLiteral("r.odr")});
    disk.Unfill();
  }
}
