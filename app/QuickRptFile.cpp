#include "QuickRptFile.h"

#include <QBuffer>
#include <QFile>

#include <Tarnwell/platform/TFileWriter.h>
#include <Tarnwell/spreadsheet/FastCompress.h>

namespace Tarnwell {

bool LooksLikePdf(const QByteArray& data) {
  const qsizetype at = data.indexOf("%PDF-");
  return at >= 0 && at < 1024;
}

bool PdfEndIsComplete(const QByteArray& pdf, QString* why) {
  auto fail = [&](const char* reason) {
    if (why) *why = QString::fromLatin1(reason);
    return false;
  };
  auto space = [](char c) { return c == ' ' || c == '\n' || c == '\r' || c == '\t' || c == '\f' || c == '\0'; };
  qsizetype end = pdf.size();
  while (end > 0 && space(pdf[end - 1])) --end;
  if (end < 5 || pdf.mid(end - 5, 5) != "%%EOF") return fail("it ends before its end-of-file mark");
  const qsizetype sx = pdf.lastIndexOf("startxref", end);
  if (sx < 0 || end - sx > 64) return fail("it has no cross-reference pointer before its end");
  qsizetype i = sx + 9;
  while (i < end && space(pdf[i])) ++i;
  qint64 at = 0;
  const qsizetype digits = i;
  while (i < end && pdf[i] >= '0' && pdf[i] <= '9' && i - digits < 15) at = at * 10 + (pdf[i++] - '0');
  if (i == digits || at <= 0 || at >= sx) return fail("its cross-reference pointer points outside the file");
  // The table itself, or a cross-reference stream object ("N G obj").
  qsizetype k = qsizetype(at);
  while (k < sx && space(pdf[k])) ++k;
  if (pdf.mid(k, 4) == "xref") return true;
  auto number = [&] {
    const qsizetype from = k;
    while (k < sx && pdf[k] >= '0' && pdf[k] <= '9') ++k;
    return k > from;
  };
  auto gap = [&] {
    const qsizetype from = k;
    while (k < sx && space(pdf[k])) ++k;
    return k > from;
  };
  if (number() && gap() && number() && gap() && pdf.mid(k, 3) == "obj") return true;
  return fail("its cross-reference pointer does not point at a cross-reference table");
}

TOdrResult DecodeOdr(const QByteArray& odr, QByteArray& pdf) {
  pdf.clear();
  if (odr.size() < OdrSignatureSize || !odr.startsWith(QByteArray(OdrSignature, OdrSignatureSize)))
    return {TOdrError::BadSignature, QStringLiteral("not a compressed report (no 8 + \"QVR10CMP\" signature)")};
  TFastCompress fc;
  QByteArray out;
  if (!fc.Decompress(odr.mid(OdrSignatureSize), out, OdrMaxReportSize)) {
    if (fc.LastError().startsWith(QLatin1String("the decoded data pass")))
      return {TOdrError::TooLarge, QStringLiteral("the report inside is larger than %1 MiB")
                                       .arg(OdrMaxReportSize / (1024 * 1024))};
    return {TOdrError::Damaged, QStringLiteral("the compressed report is damaged: %1").arg(fc.LastError())};
  }
  if (!LooksLikePdf(out))
    return {TOdrError::NotPdf, QStringLiteral("the compressed data is not a PDF report")};
  pdf = std::move(out);
  return {};
}

TOdrResult ReadOdrFile(const QString& fileName, QByteArray& pdf) {
  pdf.clear();
  QFile f(fileName);
  if (!f.open(QIODevice::ReadOnly))
    return {TOdrError::CannotOpen, QStringLiteral("cannot open %1: %2").arg(fileName, f.errorString())};
  // Compressed blocks never grow a chunk by more than a few bytes, so a file
  // can be read whole; the decoded size is what is bounded.
  const QByteArray data = f.readAll();
  if (f.error() != QFileDevice::NoError)
    return {TOdrError::CannotOpen, QStringLiteral("cannot read %1: %2").arg(fileName, f.errorString())};
  return DecodeOdr(data, pdf);
}

TOdrResult EncodeOdr(QIODevice& source, QIODevice& dest, TFastCompress* compressor) {
  if (dest.write(OdrSignature, OdrSignatureSize) != OdrSignatureSize)
    return {TOdrError::CannotWrite, QStringLiteral("cannot write: %1").arg(dest.errorString())};
  TFastCompress own;
  TFastCompress& fc = compressor ? *compressor : own;
  if (fc.CompressStream(source, dest) < 0)
    return {TOdrError::CannotWrite, QStringLiteral("cannot compress the report: %1").arg(dest.errorString())};
  return {};
}

QByteArray EncodeOdr(const QByteArray& pdf) {
  TFastCompress fc;
  return QByteArray(OdrSignature, OdrSignatureSize) + fc.Compress(pdf);
}

TOdrResult WriteOdrFile(QIODevice& source, const QString& fileName, TFastCompress* compressor) {
  TFileWriter out(fileName);
  if (!out.open())
    return {TOdrError::CannotWrite, QStringLiteral("cannot create %1: %2").arg(fileName, out.errorString())};
  TOdrResult r = EncodeOdr(source, out, compressor);
  if (r.Ok() && out.Failed())
    r = {TOdrError::CannotWrite, QStringLiteral("cannot write: %1").arg(out.errorString())};
  if (!r.Ok()) {
    out.Discard();
    r.Detail = QStringLiteral("%1 (%2 is unchanged)").arg(r.Detail, fileName);
    return r;
  }
  if (!out.Commit())
    return {TOdrError::CannotWrite,
            QStringLiteral("cannot write %1: %2 (it is unchanged)").arg(fileName, out.errorString())};
  return {};
}

TOdrResult WriteOdrFile(const QByteArray& pdf, const QString& fileName) {
  QBuffer in;
  in.setData(pdf);
  in.open(QIODevice::ReadOnly);
  return WriteOdrFile(in, fileName);
}

}  // namespace Tarnwell
