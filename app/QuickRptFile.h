#pragma once
// The compressed report file (".odr"): the byte 8 and "QVR10CMP", then the
// report's PDF as a TFastCompress stream up to the end of the file. There is
// no size field: the stream ends where the file ends.
//
// Qt Core only (the command-line converter and the fuzz target use it too).

#include <QByteArray>
#include <QString>
#include <Tarnwell/TarnwellExport.h>
class QIODevice;

namespace Tarnwell {
class TFastCompress;
}

namespace Tarnwell {

inline constexpr char OdrSignature[] = "\x08QVR10CMP";
inline constexpr int OdrSignatureSize = 9;
// A decoded report larger than this is refused (a small damaged file must
// not make us allocate without bound).
inline constexpr qint64 OdrMaxReportSize = qint64(512) * 1024 * 1024;

// Why a saved report (.odr) could not be read or written.
enum class TOdrError {
  None,
  CannotOpen,    // the file cannot be opened for reading
  BadSignature,  // too short for the signature, or another signature
  Damaged,       // the compressed stream is truncated or corrupt
  NotPdf,        // it decodes, but what it holds is not a PDF
  TooLarge,      // it would decode past OdrMaxReportSize
  CannotWrite    // the target cannot be written (an existing one is kept)
};

// The outcome of reading or writing a saved-report file: Error says what went wrong (None on
// success), Detail says it in words.
struct TARNWELL_APP_EXPORT TOdrResult {
  TOdrError Error = TOdrError::None;
  QString Detail;  // English, for the command line and the log
  bool Ok() const { return Error == TOdrError::None; }
};

// Whether data looks like a PDF file ("%PDF-" within its first 1024 bytes,
// as PDF readers accept it).
TARNWELL_APP_EXPORT bool LooksLikePdf(const QByteArray& data);
// Whether a PDF ends as a whole one does: the end-of-file mark after a
// "startxref" that points at a cross-reference table inside the file. A
// report cut short fails this even where a lenient reader shows its first
// pages. False with the reason (English) in *why.
TARNWELL_APP_EXPORT bool PdfEndIsComplete(const QByteArray& pdf, QString* why = nullptr);

// Decodes a whole .odr image into the PDF it holds.
TARNWELL_APP_EXPORT TOdrResult DecodeOdr(const QByteArray& odr, QByteArray& pdf);
TARNWELL_APP_EXPORT TOdrResult ReadOdrFile(const QString& fileName, QByteArray& pdf);

// Writes signature + compressed source (from its current position to its
// end) to dest.
TARNWELL_APP_EXPORT TOdrResult EncodeOdr(QIODevice& source, QIODevice& dest, TFastCompress* compressor = nullptr);
TARNWELL_APP_EXPORT QByteArray EncodeOdr(const QByteArray& pdf);
// Writes the .odr to fileName all or nothing: a failure leaves no partial
// file and keeps an existing one.
TARNWELL_APP_EXPORT TOdrResult WriteOdrFile(QIODevice& source, const QString& fileName, TFastCompress* compressor = nullptr);
TARNWELL_APP_EXPORT TOdrResult WriteOdrFile(const QByteArray& pdf, const QString& fileName);

}  // namespace Tarnwell
