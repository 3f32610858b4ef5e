// Replays the compressed-report fuzz corpus and every crash the fuzzer
// found through the same entry function, in the normal build.
#include <gtest/gtest.h>

#include "FuzzReplay.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size);

TEST(ReportFuzz, ReplaysCorpusAndCrashes) {
  EXPECT_GE(ReplayFuzzCorpusAndCrashes(QStringLiteral(REPORT_FUZZ_DIR), LLVMFuzzerTestOneInput), 5);
}
