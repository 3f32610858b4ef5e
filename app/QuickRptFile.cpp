#include "QuickRptFile.h"

#include <QBuffer>
#include <QFile>
#include <QSaveFile>

#include <Tarnwell/spreadsheet/FastCompress.h>

namespace Tarnwell {

bool LooksLikePdf(const QByteArray& data) {
  const qsizetype at = data.indexOf("%PDF-");
  return at >= 0 && at < 1024;
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
  QSaveFile out(fileName);
  if (!out.open(QIODevice::WriteOnly))
    return {TOdrError::CannotWrite, QStringLiteral("cannot create %1: %2").arg(fileName, out.errorString())};
  TOdrResult r = EncodeOdr(source, out, compressor);
  if (!r.Ok()) {
    out.cancelWriting();
    r.Detail = QStringLiteral("%1 (%2 is unchanged)").arg(r.Detail, fileName);
    return r;
  }
  if (!out.commit())
    return {TOdrError::CannotWrite, QStringLiteral("cannot write %1: %2").arg(fileName, out.errorString())};
  return {};
}

TOdrResult WriteOdrFile(const QByteArray& pdf, const QString& fileName) {
  QBuffer in;
  in.setData(pdf);
  in.open(QIODevice::ReadOnly);
  return WriteOdrFile(in, fileName);
}

}  // namespace Tarnwell
