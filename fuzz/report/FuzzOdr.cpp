// Fuzz target of the compressed report reader: any bytes go through the
// .odr decoder; what it accepts must be a PDF that encodes back to an .odr
// decoding to the same bytes, and what it refuses must leave nothing behind.
#include <QByteArray>
#include <cstddef>
#include <cstdint>

#include <Tarnwell/app/QuickRptFile.h>

using namespace Tarnwell;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const QByteArray bytes = QByteArray::fromRawData(reinterpret_cast<const char*>(data), qsizetype(size));
  QByteArray pdf("stale");
  const TOdrResult r = DecodeOdr(bytes, pdf);
  if (!r.Ok()) {
    if (!pdf.isEmpty() || r.Detail.isEmpty()) __builtin_trap();
    return 0;
  }
  if (!LooksLikePdf(pdf) || pdf.size() > OdrMaxReportSize) __builtin_trap();
  QByteArray again;
  if (!DecodeOdr(EncodeOdr(pdf), again).Ok() || again != pdf) __builtin_trap();
  return 0;
}
