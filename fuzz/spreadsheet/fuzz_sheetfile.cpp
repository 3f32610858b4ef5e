// libFuzzer target: sheetfile.
#include "FuzzEntries.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  return SheetFuzzSheetFile(data, size);
}
