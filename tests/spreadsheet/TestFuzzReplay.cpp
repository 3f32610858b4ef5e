#include <gtest/gtest.h>

#include "FuzzEntries.h"
#include "FuzzReplay.h"

// The fuzz targets' seed corpus and every crash input found so far must run
// through the readers without a fault.
TEST(SheetFuzzReplay, CorpusAndCrashes) {
  const QDir root(QStringLiteral(SSHT_FUZZ_DIR));
  for (const TSheetFuzzTarget& t : SheetFuzzTargets) {
    const std::string label = std::string(t.Name) + "/";
    const int seeds = ReplayFuzzFolder(root.filePath(QStringLiteral("corpus/%1").arg(QLatin1String(t.Name))), t.Entry, label);
    ReplayFuzzFolder(root.filePath(QStringLiteral("crashes/%1").arg(QLatin1String(t.Name))), t.Entry, label);
    EXPECT_GT(seeds, 0) << t.Name;
  }
}
