// tarnwell-report: conversions both ways, info, and the exit status of
// damaged inputs and wrong usage.
#include <gtest/gtest.h>

#include <QTemporaryDir>

#include <Tarnwell/app/QuickRptFile.h>
#include "ReportTestUtil.h"

namespace {
const QString Tool = QStringLiteral(REPORT_TOOL_PATH);
int RunReport(const QStringList& args, QString* out = nullptr) {
  int code = -1;
  const QString o = RunTool(Tool, args, &code);
  if (out) *out = o;
  return code;
}
}  // namespace

TEST(ReportTool, ConvertsBothWaysByteForByte) {
  QTemporaryDir dir;
  TPagedReport r(2, poLandscape, QStringLiteral("Giro"));
  const QString pdf = dir.filePath(QStringLiteral("a.pdf"));
  ASSERT_TRUE(r.Report.ExportToPdf(pdf));
  const QString odr = dir.filePath(QStringLiteral("a.odr"));
  ASSERT_EQ(RunReport({QStringLiteral("odr"), pdf, odr}), 0);
  EXPECT_TRUE(ReadFile(odr).startsWith("\x08QVR10CMP"));
  const QString back = dir.filePath(QStringLiteral("b.pdf"));
  ASSERT_EQ(RunReport({QStringLiteral("pdf"), odr, back}), 0);
  EXPECT_EQ(ReadFile(back), ReadFile(pdf));
  QString info;
  ASSERT_EQ(RunReport({QStringLiteral("info"), odr}, &info), 0);
  EXPECT_TRUE(info.contains(QStringLiteral("pages: 2"))) << info.toStdString();
  EXPECT_TRUE(info.contains(QStringLiteral("title: Giro"))) << info.toStdString();
  EXPECT_TRUE(info.contains(QStringLiteral("compressed report"))) << info.toStdString();
  ASSERT_EQ(RunReport({QStringLiteral("info"), pdf}, &info), 0);
  EXPECT_TRUE(info.contains(QStringLiteral("kind: PDF")));
}

TEST(ReportTool, DamagedInputsAndUsage) {
  QTemporaryDir dir;
  const QByteArray good = EncodeOdr(QByteArray("%PDF-1.4\n") + QByteArray(12000, 'k'));
  const QString keep = dir.filePath(QStringLiteral("keep.pdf"));
  struct Row {
    const char* name;
    QByteArray data;
  } rows[] = {{"empty.odr", QByteArray()},
              {"sig.odr", QByteArray("\x08QVR")},
              {"other.odr", QByteArray("\x07QVSS100xxxx")},
              {"cut.odr", good.left(good.size() - 2)},
              {"notpdf.odr", EncodeOdr(QByteArray(50, 'n'))}};
  for (const Row& r : rows) {
    SCOPED_TRACE(r.name);
    const QString in = dir.filePath(QLatin1String(r.name));
    ASSERT_TRUE(WriteFile(in, r.data));
    ASSERT_TRUE(WriteFile(keep, "previous"));
    EXPECT_EQ(RunReport({QStringLiteral("pdf"), in, keep}), 3);
    EXPECT_EQ(ReadFile(keep), QByteArray("previous"));  // never half-written
    EXPECT_EQ(RunReport({QStringLiteral("info"), in}), 3);
  }
  // A PDF header with nothing readable behind it.
  const QString fake = dir.filePath(QStringLiteral("fake.odr"));
  ASSERT_TRUE(WriteFile(fake, good));
  EXPECT_EQ(RunReport({QStringLiteral("info"), fake}), 3);
  // odr of something that is no PDF.
  const QString text = dir.filePath(QStringLiteral("t.txt"));
  ASSERT_TRUE(WriteFile(text, "hello"));
  EXPECT_EQ(RunReport({QStringLiteral("odr"), text, dir.filePath(QStringLiteral("t.odr"))}), 3);
  EXPECT_FALSE(QFile::exists(dir.filePath(QStringLiteral("t.odr"))));
  // Files that are not there or cannot be written.
  EXPECT_EQ(RunReport({QStringLiteral("pdf"), dir.filePath(QStringLiteral("none.odr")), keep}), 1);
  ASSERT_TRUE(WriteFile(dir.filePath(QStringLiteral("g.odr")), good));
  EXPECT_EQ(RunReport({QStringLiteral("pdf"), dir.filePath(QStringLiteral("g.odr")), dir.filePath(QStringLiteral("no/dir/x.pdf"))}),
            1);
  // Usage.
  EXPECT_EQ(RunReport({}), 2);
  EXPECT_EQ(RunReport({QStringLiteral("pdf"), keep}), 2);
  EXPECT_EQ(RunReport({QStringLiteral("frobnicate"), keep, keep}), 2);
  EXPECT_EQ(RunReport({QStringLiteral("--help")}), 0);
}
