#include <gtest/gtest.h>

#include <QDir>
#include <QFile>

#include "FuzzEntries.h"


// The fuzz targets' seed corpus and every crash input found so far must run
// through the readers without a fault.
TEST(SheetFuzzReplay, CorpusAndCrashes) {
  const QDir root(QStringLiteral(SSHT_FUZZ_DIR));
  for (const TSheetFuzzTarget& t : SheetFuzzTargets) {
    int seeds = 0;
    for (const char* kind : {"corpus", "crashes"}) {
      const QDir dir(root.filePath(QStringLiteral("%1/%2").arg(QLatin1String(kind), QLatin1String(t.Name))));
      for (const QString& name : dir.entryList(QDir::Files)) {
        QFile f(dir.filePath(name));
        ASSERT_TRUE(f.open(QIODevice::ReadOnly)) << name.toStdString();
        const QByteArray data = f.readAll();
        SCOPED_TRACE(std::string(t.Name) + "/" + name.toStdString());
        EXPECT_EQ(t.Entry(reinterpret_cast<const std::uint8_t*>(data.constData()), size_t(data.size())), 0);
        if (QLatin1String(kind) == QLatin1String("corpus")) ++seeds;
      }
    }
    EXPECT_GT(seeds, 0) << t.Name;
  }
}
