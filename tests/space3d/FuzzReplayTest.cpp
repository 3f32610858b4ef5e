// Replays the fuzz corpus and any crash the fuzzer found through the same
// entry function, in the normal build.
#include <gtest/gtest.h>

#include <QElapsedTimer>

#include "FuzzReplay.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size);

TEST(Fuzz3D, ReplaysCorpusAndCrashes) {
  QElapsedTimer t;
  t.start();
  EXPECT_GE(ReplayFuzzCorpusAndCrashes(QStringLiteral(SPACE3D_FUZZ_DIR), LLVMFuzzerTestOneInput), 5);
  EXPECT_LT(t.elapsed(), 60000);
}
