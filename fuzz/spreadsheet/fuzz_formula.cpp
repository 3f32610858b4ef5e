// libFuzzer target: formula.
#include "FuzzEntries.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  return SheetFuzzFormula(data, size);
}
