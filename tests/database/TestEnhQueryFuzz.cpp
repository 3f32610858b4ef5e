// Replays the enhanced query's fuzz corpus and any crash the fuzzer kept
// (fuzz/database): each input runs through the same entry as the fuzzer.
#include <gtest/gtest.h>

#include "FuzzEnhQuery.h"
#include "FuzzReplay.h"

TEST(EnhQueryFuzz, CorpusAndCrashesReplay) {
  EXPECT_GE(ReplayFuzzCorpusAndCrashes(QStringLiteral(ENHQUERY_FUZZ_DIR), EnhQueryFuzzOne), 7);
}
