// tarnwell-report: conversions both ways, info, and the exit status of
// damaged inputs and wrong usage.
#include <gtest/gtest.h>

#include <QBuffer>
#include <QElapsedTimer>
#include <QPainter>
#include <QPdfWriter>
#include <QRandomGenerator>
#include <QTemporaryDir>

#include <Tarnwell/app/QuickRptFile.h>
#include "ReportTestUtil.h"
#include "SmallDisk.h"

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
  TPagedReport real(1);
  const QString realPdf = dir.filePath(QStringLiteral("real.pdf"));
  ASSERT_TRUE(real.Report.ExportToPdf(realPdf));
  ASSERT_TRUE(WriteFile(dir.filePath(QStringLiteral("g.odr")), EncodeOdr(ReadFile(realPdf))));
  EXPECT_EQ(RunReport({QStringLiteral("pdf"), dir.filePath(QStringLiteral("g.odr")), dir.filePath(QStringLiteral("no/dir/x.pdf"))}),
            1);
  // Usage.
  EXPECT_EQ(RunReport({}), 2);
  EXPECT_EQ(RunReport({QStringLiteral("pdf"), keep}), 2);
  EXPECT_EQ(RunReport({QStringLiteral("frobnicate"), keep, keep}), 2);
  EXPECT_EQ(RunReport({QStringLiteral("--help")}), 0);
}

namespace {
// A PDF of about `mib` MiB: a page of noise, which no compression shrinks.
QByteArray LargePdf(int mib) {
  QImage noise(2048, 512 * mib, QImage::Format_RGB32);  // about a byte a pixel as JPEG
  auto* rng = QRandomGenerator::global();
  for (int y = 0; y < noise.height(); ++y) {
    auto* row = reinterpret_cast<quint32*>(noise.scanLine(y));
    for (int x = 0; x < noise.width(); ++x) row[x] = rng->generate() | 0xFF000000u;
  }
  QBuffer buf;
  buf.open(QIODevice::WriteOnly);
  {
    QPdfWriter w(&buf);
    w.setResolution(72);
    QPainter p(&w);
    p.drawImage(QRect(0, 0, 500, 700), noise);
  }
  return buf.data();
}
}  // namespace

// A PDF that does not end as a whole one: cut at a block boundary inside a
// report (which decodes without complaint), or a PDF header with garbage or
// only the start of a real PDF behind it. Exit 3, the output untouched.
TEST(ReportTool, RefusesIncompletePdfsAndKeepsTheOutput) {
  QTemporaryDir dir;
  TPagedReport r(3);
  const QString pdfFile = dir.filePath(QStringLiteral("r.pdf"));
  ASSERT_TRUE(r.Report.ExportToPdf(pdfFile));
  const QByteArray pdf = ReadFile(pdfFile);
  const QString out = dir.filePath(QStringLiteral("out"));
  struct Row {
    const char* Command;
    QByteArray Input;
  } rows[] = {
      {"pdf", EncodeOdr(pdf.left(pdf.size() / 2))},
      {"pdf", EncodeOdr(pdf.left(pdf.size() - 30))},
      {"odr", QByteArray("%PDF-1.4\n") + QByteArray(5000, 'g')},
      {"odr", pdf.left(1000)},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(std::string(row.Command) + " " + std::to_string(row.Input.size()));
    const QString in = dir.filePath(QStringLiteral("in"));
    ASSERT_TRUE(WriteFile(in, row.Input));
    ASSERT_TRUE(WriteFile(out, "previous"));
    EXPECT_EQ(RunReport({QLatin1String(row.Command), in, out}), 3);
    EXPECT_EQ(ReadFile(out), QByteArray("previous"));
  }
  QString why;
  EXPECT_TRUE(PdfEndIsComplete(pdf, &why)) << why.toStdString();
}

// Both conversions on a disk that filled up, and killed at random moments
// while writing a 4 MB output: the old file or the new one, never a part.
TEST(ReportTool, FullDiskAndKillsKeepTheOldOutput) {
  QTemporaryDir dir;
  const QByteArray big = LargePdf(4);
  ASSERT_GT(big.size(), 3 * 1024 * 1024);
  const QString pdf = dir.filePath(QStringLiteral("big.pdf")), odr = dir.filePath(QStringLiteral("big.odr"));
  ASSERT_TRUE(WriteFile(pdf, big));
  ASSERT_TRUE(WriteFile(odr, EncodeOdr(big)));
  for (const auto& [cmd, in, out] : {std::tuple{"pdf", odr, dir.filePath("k.pdf")}, std::tuple{"odr", pdf, dir.filePath("k.odr")}}) {
    SCOPED_TRACE(cmd);
    const QStringList args = {QLatin1String(cmd), in, out};
    QElapsedTimer t;
    t.start();
    ASSERT_EQ(RunReport(args), 0);
    const int ms = int(t.elapsed());
    QString what;
    EXPECT_EQ(KillLoop(Tool, args, out, "old", ReadFile(out), 15, ms, &what), 0) << what.toStdString();
  }

  TSmallDisk disk(4096 + 512);
  REQUIRE_SMALL_DISK(disk);
  for (const auto& [cmd, in] : {std::pair{"pdf", odr}, std::pair{"odr", pdf}}) {
    SCOPED_TRACE(cmd);
    const QString out = disk.File(QStringLiteral("out"));
    ASSERT_TRUE(WriteFile(out, QByteArray(3314, 'o')));
    disk.Fill(8 * 1024);  // short of the last few KB
    EXPECT_EQ(RunReport({QLatin1String(cmd), in, out}), 1);
    EXPECT_EQ(ReadFile(out), QByteArray(3314, 'o'));
    EXPECT_EQ(disk.Entries(), QStringList{QStringLiteral("out")});
    disk.Unfill();
  }
}
