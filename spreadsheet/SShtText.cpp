#include "SShtText.h"

#include <QStringDecoder>

namespace Tarnwell {

namespace {
// 0x80..0x9F; 0 marks the five bytes the code page leaves undefined, which
// map to the control characters of the same number.
constexpr char16_t kHigh[32] = {0x20AC, 0,      0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,
                                0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0,      0x017D, 0,
                                0,      0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
                                0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0,      0x017E, 0x0178};
}  // namespace

QByteArray Cp1252FromUnicode(const QString& s) {
  QByteArray out;
  out.resize(s.size());
  char* p = out.data();
  for (QChar c : s) {
    const char16_t u = c.unicode();
    char b = '?';
    if (u < 0x80 || (u >= 0xA0 && u <= 0xFF)) {
      b = char(u);
    } else if (u >= 0x80 && u <= 0x9F) {
      if (kHigh[u - 0x80] == 0) b = char(u);
    } else {
      for (int i = 0; i < 32; ++i)
        if (kHigh[i] == u) {
          b = char(0x80 + i);
          break;
        }
    }
    *p++ = b;
  }
  return out;
}

QString UnicodeFromCp1252(const QByteArray& b) {
  QString out(b.size(), Qt::Uninitialized);
  QChar* p = out.data();
  for (char ch : b) {
    const auto u = static_cast<unsigned char>(ch);
    *p++ = (u >= 0x80 && u <= 0x9F && kHigh[u - 0x80]) ? QChar(kHigh[u - 0x80]) : QChar(u);
  }
  return out;
}

QString DecodeTextFile(const QByteArray& b, QString* error) {
  // A byte-order mark names the encoding; UTF-32 first, its little-endian
  // mark begins like UTF-16's.
  struct TMark {
    const char* Bytes;
    int Size;
    QStringConverter::Encoding Encoding;
    const char* Name;
    int Unit;  // bytes per code unit
  };
  static const TMark marks[] = {
      {"\xFF\xFE\x00\x00", 4, QStringConverter::Utf32LE, "UTF-32", 4},
      {"\x00\x00\xFE\xFF", 4, QStringConverter::Utf32BE, "UTF-32", 4},
      {"\xEF\xBB\xBF", 3, QStringConverter::Utf8, "UTF-8", 1},
      {"\xFF\xFE", 2, QStringConverter::Utf16LE, "UTF-16", 2},
      {"\xFE\xFF", 2, QStringConverter::Utf16BE, "UTF-16", 2},
  };
  for (const TMark& m : marks) {
    if (!b.startsWith(QByteArrayView(m.Bytes, m.Size))) continue;
    const QByteArrayView body = QByteArrayView(b).sliced(m.Size);
    QStringDecoder dec(m.Encoding, QStringDecoder::Flag::Stateless);
    QString s = dec.decode(body);
    // A unit cut off at the end: the decoder replaces it without an error.
    if ((dec.hasError() || body.size() % m.Unit != 0) && error)
      *error = QStringLiteral("the text is not valid %1 after its byte-order mark").arg(QLatin1String(m.Name));
    return s;
  }
  QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
  QString s = utf8.decode(b);
  if (!utf8.hasError()) return s;
  return UnicodeFromCp1252(b);
}

}  // namespace Tarnwell
