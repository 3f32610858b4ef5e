// tarnwell-report: converts the preview's compressed reports (.odr) to PDF
// and back, and tells what a report file holds.
//
//   tarnwell-report pdf IN.odr OUT.pdf
//   tarnwell-report odr IN.pdf OUT.odr
//   tarnwell-report info FILE
//
// Exit status: 0 done, 1 a file cannot be read or written, 2 wrong usage,
// 3 the input is damaged or of another kind (a PDF that does not end as a
// whole one is damaged). An output is written whole or not at all; an
// existing one is kept on failure, and on a refused input it is not opened.
#include <QBuffer>
#include <QFile>
#include <QGuiApplication>
#include <QPdfDocument>
#include <QTextStream>

#include <Tarnwell/app/QuickRptFile.h>
#include <Tarnwell/platform/TEnvironment.h>
#include <Tarnwell/platform/TFileWriter.h>

using namespace Tarnwell;

namespace {

const char* const Usage =
    "usage: tarnwell-report pdf IN.odr OUT.pdf | odr IN.pdf OUT.odr | info FILE";

int Fail(int code, const QString& msg) {
  QTextStream(stderr) << "tarnwell-report: " << msg << "\n";
  return code;
}

int CodeOf(const TOdrResult& r) {
  switch (r.Error) {
    case TOdrError::None:
      return 0;
    case TOdrError::CannotOpen:
    case TOdrError::CannotWrite:
      return 1;
    default:
      return 3;
  }
}

bool ReadAll(const QString& name, QByteArray& data, QString& error) {
  QFile f(name);
  if (!f.open(QIODevice::ReadOnly)) {
    error = QStringLiteral("cannot open %1: %2").arg(name, f.errorString());
    return false;
  }
  data = f.readAll();
  return true;
}

// Pages and title as Qt PDF reads them; false when it cannot.
bool PdfFacts(const QByteArray& pdf, int& pages, QString& title) {
  QBuffer buf;
  buf.setData(pdf);
  buf.open(QIODevice::ReadOnly);
  QPdfDocument doc;
  doc.load(&buf);
  if (doc.status() != QPdfDocument::Status::Ready) return false;
  pages = doc.pageCount();
  title = doc.metaData(QPdfDocument::MetaDataField::Title).toString();
  return true;
}

// Whether a PDF is whole: its end as a whole file ends, and Qt PDF reads
// it with at least one page. False with the reason in `why`.
bool PdfComplete(const QByteArray& pdf, QString& why) {
  if (!PdfEndIsComplete(pdf, &why)) return false;
  int pages = 0;
  QString title;
  if (!PdfFacts(pdf, pages, title) || pages < 1) {
    why = QStringLiteral("it cannot be read");
    return false;
  }
  return true;
}

}  // namespace

int main(int argc, char** argv) {
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  PrepareProgramEnvironment();
  QGuiApplication app(argc, argv);
  const QStringList args = app.arguments();
  if (args.size() == 2 && (args[1] == QLatin1String("-h") || args[1] == QLatin1String("--help"))) {
    QTextStream(stdout) << Usage << "\n";
    return 0;
  }
  if (args.size() < 2) return Fail(2, QString::fromLatin1(Usage));
  const QString cmd = args[1];
  if (cmd == QLatin1String("pdf") || cmd == QLatin1String("odr")) {
    if (args.size() != 4) return Fail(2, QStringLiteral("%1 needs IN and OUT; %2").arg(cmd, QLatin1String(Usage)));
    const QString in = args[2], out = args[3];
    if (cmd == QLatin1String("pdf")) {
      QByteArray pdf;
      const TOdrResult r = ReadOdrFile(in, pdf);
      if (!r.Ok()) return Fail(CodeOf(r), QStringLiteral("%1: %2").arg(in, r.Detail));
      // The format has no size field: a report cut at a block boundary
      // decodes without complaint, and only its PDF shows what is missing.
      QString why;
      if (!PdfComplete(pdf, why))
        return Fail(3, QStringLiteral("%1: the compressed report is damaged: the PDF inside is incomplete (%2)")
                           .arg(in, why));
      QString err;
      if (!WriteFileAtomically(out, pdf, &err)) return Fail(1, err);
      return 0;
    }
    QByteArray pdf;
    QString err;
    if (!ReadAll(in, pdf, err)) return Fail(1, err);
    if (!LooksLikePdf(pdf)) return Fail(3, QStringLiteral("%1 is not a PDF file").arg(in));
    QString why;
    if (!PdfComplete(pdf, why))
      return Fail(3, QStringLiteral("%1: the PDF is damaged (%2)").arg(in, why));
    const TOdrResult r = WriteOdrFile(pdf, out);
    if (!r.Ok()) return Fail(CodeOf(r), r.Detail);
    return 0;
  }
  if (cmd == QLatin1String("info")) {
    if (args.size() != 3) return Fail(2, QStringLiteral("info needs one FILE; %1").arg(QLatin1String(Usage)));
    const QString in = args[2];
    QByteArray data;
    QString err;
    if (!ReadAll(in, data, err)) return Fail(1, err);
    QByteArray pdf;
    QString kind;
    if (data.startsWith(QByteArray(OdrSignature, OdrSignatureSize))) {
      const TOdrResult r = DecodeOdr(data, pdf);
      if (!r.Ok()) return Fail(CodeOf(r), QStringLiteral("%1: %2").arg(in, r.Detail));
      kind = QStringLiteral("compressed report (.odr)");
    } else if (LooksLikePdf(data)) {
      pdf = data;
      kind = QStringLiteral("PDF");
    } else {
      return Fail(3, QStringLiteral("%1 is neither a compressed report nor a PDF").arg(in));
    }
    int pages = 0;
    QString title;
    if (!PdfFacts(pdf, pages, title)) return Fail(3, QStringLiteral("%1: the PDF cannot be read").arg(in));
    QTextStream o(stdout);
    o << "file: " << in << "\n"
      << "kind: " << kind << "\n"
      << "size: " << data.size() << " bytes\n";
    if (pdf.size() != data.size()) o << "pdf size: " << pdf.size() << " bytes\n";
    o << "pages: " << pages << "\n"
      << "title: " << title << "\n";
    return 0;
  }
  return Fail(2, QStringLiteral("unknown command \"%1\"; %2").arg(cmd, QLatin1String(Usage)));
}
