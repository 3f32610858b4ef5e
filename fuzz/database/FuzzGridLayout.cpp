// Any bytes go to the layout reader. It must never fault, must take no more
// than it was given, and whatever it accepts must write back to bytes that
// read as the same layout and write again identically.
#include "FuzzGridLayout.h"

#include <QByteArray>
#include <cstdlib>

#include <Tarnwell/database/EnhDBGrdLayout.h>

using namespace Tarnwell;

int GridLayoutFuzzOne(const std::uint8_t* data, std::size_t size) {
  const QByteArray bytes(reinterpret_cast<const char*>(data), qsizetype(size));
  TGridLayout g;
  qsizetype used = 0;
  QString why;
  if (!ReadGridLayout(bytes, g, used, why)) {
    if (why.isEmpty()) std::abort();  // a refusal always says why
    return 0;
  }
  if (used <= 0 || used > bytes.size()) std::abort();
  const QByteArray written = WriteGridLayout(g);
  TGridLayout again;
  qsizetype usedAgain = 0;
  if (!ReadGridLayout(written, again, usedAgain, why)) std::abort();
  if (usedAgain != written.size()) std::abort();
  // The header keeps the name upper-cased and at most 63 characters.
  g.Name = g.Name.left(63).toUpper();
  if (!(again == g)) std::abort();
  if (WriteGridLayout(again) != written) std::abort();
  // Whatever follows a layout is left alone.
  QByteArray twice = written + written;
  TGridLayout first;
  qsizetype usedFirst = 0;
  if (!ReadGridLayout(twice, first, usedFirst, why) || usedFirst != written.size()) std::abort();
  return 0;
}
