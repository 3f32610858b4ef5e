#pragma once
// Entry points shared by the libFuzzer targets and the test suite's corpus
// replay. Each returns 0; a broken invariant aborts.
#include <cstddef>
#include <cstdint>

int SheetFuzzDecompress(const std::uint8_t* data, std::size_t size);
int SheetFuzzSheetFile(const std::uint8_t* data, std::size_t size);
int SheetFuzzCellRecord(const std::uint8_t* data, std::size_t size);
int SheetFuzzCsv(const std::uint8_t* data, std::size_t size);
int SheetFuzzFormula(const std::uint8_t* data, std::size_t size);

// Target names (the corpus folders) and their entries, for the replay.
struct TSheetFuzzTarget {
  const char* Name;
  int (*Entry)(const std::uint8_t*, std::size_t);
};
extern const TSheetFuzzTarget SheetFuzzTargets[5];
