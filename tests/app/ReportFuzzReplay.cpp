// Replays the compressed-report fuzz corpus and every crash the fuzzer
// found through the same entry function, in the normal build.
#include <gtest/gtest.h>

#include <QDir>
#include <QFile>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size);

TEST(ReportFuzz, ReplaysCorpusAndCrashes) {
  int replayed = 0;
  for (const char* sub : {"corpus", "crashes"}) {
    const QDir dir(QStringLiteral(REPORT_FUZZ_DIR) + '/' + sub);
    for (const QFileInfo& fi : dir.entryInfoList(QDir::Files, QDir::Name)) {
      QFile f(fi.filePath());
      ASSERT_TRUE(f.open(QIODevice::ReadOnly)) << fi.filePath().toStdString();
      const QByteArray data = f.readAll();
      SCOPED_TRACE(fi.fileName().toStdString());
      EXPECT_EQ(LLVMFuzzerTestOneInput(reinterpret_cast<const std::uint8_t*>(data.constData()),
                                       std::size_t(data.size())),
                0);
      ++replayed;
    }
  }
  EXPECT_GE(replayed, 5);
}
