#pragma once
// The 8-bit code page of sheet files and the clipboard (Windows-1252):
// characters it cannot hold are written as "?".

#include <QByteArray>
#include <QString>

namespace Tarnwell {

QByteArray Cp1252FromUnicode(const QString& s);
QString UnicodeFromCp1252(const QByteArray& b);
// Text files: UTF-8 when the bytes are valid UTF-8 (a BOM is skipped),
// otherwise the 8-bit code page.
QString DecodeTextFile(const QByteArray& b);

}  // namespace Tarnwell
