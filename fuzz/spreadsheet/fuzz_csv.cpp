// libFuzzer target: csv.
#include "FuzzEntries.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  return SheetFuzzCsv(data, size);
}
