#include "FuzzGridLayout.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  return GridLayoutFuzzOne(data, size);
}
