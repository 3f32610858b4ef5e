#pragma once
// The 8-bit code page of sheet files and the clipboard (Windows-1252):
// characters it cannot hold are written as "?".

#include <QByteArray>
#include <QString>
#include <Tarnwell/TarnwellExport.h>

namespace Tarnwell {

TARNWELL_SPREADSHEET_EXPORT QByteArray Cp1252FromUnicode(const QString& s);
TARNWELL_SPREADSHEET_EXPORT QString UnicodeFromCp1252(const QByteArray& b);
// Text files: in the encoding a byte-order mark names (UTF-8, UTF-16,
// UTF-32, either byte order; the mark skipped), else UTF-8 when the bytes
// are valid UTF-8, else the 8-bit code page. Bytes that break the encoding
// of their mark become U+FFFD, and error (when given) says so.
TARNWELL_SPREADSHEET_EXPORT QString DecodeTextFile(const QByteArray& b, QString* error = nullptr);

}  // namespace Tarnwell
