// Replays the fuzz corpus and any crash the fuzzer found through the same
// entry function, in the normal build.
#include <gtest/gtest.h>

#include <QDir>
#include <QElapsedTimer>
#include <QFile>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size);

TEST(Fuzz3D, ReplaysCorpusAndCrashes) {
  int replayed = 0;
  QElapsedTimer t;
  t.start();
  for (const char* sub : {"corpus", "crashes"}) {
    const QDir dir(QStringLiteral(SPACE3D_FUZZ_DIR) + '/' + sub);
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
  EXPECT_LT(t.elapsed(), 60000);
}
