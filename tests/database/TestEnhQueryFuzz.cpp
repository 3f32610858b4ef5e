// Replays the enhanced query's fuzz corpus and any crash the fuzzer kept
// (fuzz/database): each input runs through the same entry as the fuzzer.
#include <gtest/gtest.h>

#include <QDir>
#include <QFile>

#include "FuzzEnhQuery.h"

TEST(EnhQueryFuzz, CorpusAndCrashesReplay) {
  int replayed = 0;
  for (const char* sub : {"corpus", "crashes"}) {
    const QDir dir(QStringLiteral(ENHQUERY_FUZZ_DIR) + '/' + sub);
    for (const QString& name : dir.entryList(QDir::Files)) {
      QFile f(dir.filePath(name));
      ASSERT_TRUE(f.open(QIODevice::ReadOnly)) << name.toStdString();
      const QByteArray bytes = f.readAll();
      SCOPED_TRACE(name.toStdString());
      EXPECT_EQ(EnhQueryFuzzOne(reinterpret_cast<const std::uint8_t*>(bytes.constData()), size_t(bytes.size())), 0);
      ++replayed;
    }
  }
  EXPECT_GE(replayed, 7);
}
