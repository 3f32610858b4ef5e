#include <gtest/gtest.h>

#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>

#include "SmallDisk.h"

namespace {

int RunTool(const QStringList& args, QByteArray& out, QByteArray& err, const QByteArray& lcAll = "C") {
  QProcess p;
  QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
  env.insert("LC_ALL", QString::fromLatin1(lcAll));
  p.setProcessEnvironment(env);
  p.start(QStringLiteral(SSHT_TOOL_PATH), args);
  if (!p.waitForFinished(60000)) return -1;
  out = p.readAllStandardOutput();
  err = p.readAllStandardError();
  return p.exitCode();
}

void Write(const QString& path, const QByteArray& data) {
  QFile f(path);
  ASSERT_TRUE(f.open(QIODevice::WriteOnly));
  f.write(data);
}

QByteArray Read(const QString& path) {
  QFile f(path);
  return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<missing>");
}

}  // namespace

TEST(SheetTool, CellsAndConvert) {
  QTemporaryDir dir;
  const QString csv = dir.filePath("f.csv");
  Write(csv, "1;2,5;=A1+B1\r\n=SUM(A1:A1,C1);=MEAN(A1:A3)*2;\r\n;;=C1/0\r\n");
  QByteArray out, err;
  ASSERT_EQ(RunTool({"cells", csv}, out, err), 0) << err.constData();
  // "2,5" is no number in the C locale, so everything that reads it fails.
  EXPECT_EQ(out.toStdString(),
            "A1\t1\t1\nB1\t2,5\t2,5\nC1\t=A1+B1\tError!\nA2\t=SUM(A1:A1,C1)\tError!\n"
            "B2\t=MEAN(A1:A3)*2\tError!\nC3\t=C1/0\tError!\n");
  ASSERT_EQ(RunTool({"cells", csv}, out, err, "it_IT.UTF-8"), 0);
  EXPECT_EQ(out.toStdString(),
            "A1\t1\t1\nB1\t2,5\t2,5\nC1\t=A1+B1\t3,5\nA2\t=SUM(A1:A1,C1)\t4,5\n"
            "B2\t=MEAN(A1:A3)*2\t3,66666666666667\nC3\t=C1/0\tError!\n");
  // CSV -> sheet -> CSV gives the same bytes.
  const QString plain = dir.filePath("p.csv");
  Write(plain, "name;qty;note\r\n\"Rossi; M\";3;\"say \"\"hi\"\"\"\r\n;;x\r\n");
  ASSERT_EQ(RunTool({"convert", plain, dir.filePath("p.QvS")}, out, err), 0) << err.constData();
  ASSERT_EQ(RunTool({"convert", dir.filePath("p.QvS"), dir.filePath("back.csv")}, out, err), 0);
  EXPECT_EQ(Read(dir.filePath("back.csv")), Read(plain));
  // A damaged sheet: a message naming it, exit 1, the output untouched.
  const QByteArray sheet = Read(dir.filePath("p.QvS"));
  Write(dir.filePath("cut.qvs"), sheet.left(sheet.size() - 5));
  Write(dir.filePath("out.csv"), "previous");
  EXPECT_EQ(RunTool({"convert", dir.filePath("cut.qvs"), dir.filePath("out.csv")}, out, err), 1);
  EXPECT_TRUE(err.contains("cut.qvs")) << err.constData();
  EXPECT_EQ(Read(dir.filePath("out.csv")), "previous");
  EXPECT_EQ(RunTool({"cells", dir.filePath("none.qvs")}, out, err), 1);
  EXPECT_TRUE(err.contains("none.qvs"));
  EXPECT_NE(RunTool({"bogus"}, out, err), 0);
}

// A .qvs cannot hold every character: exit 3 naming the cells and nothing
// written, unless --lossy asks to go on; CSV output needs no option.
TEST(SheetTool, ConvertRefusesToChangeCharactersUnasked) {
  QTemporaryDir dir;
  const QString csv = dir.filePath("u.csv");
  Write(csv, QString::fromUtf8("caffè;Δ\r\n;✓\r\n").toUtf8());
  const QString qvs = dir.filePath("u.qvs");
  QByteArray out, err;
  EXPECT_EQ(RunTool({"convert", csv, qvs}, out, err), 3);
  EXPECT_TRUE(err.contains("B1, B2")) << err.constData();
  EXPECT_FALSE(QFile::exists(qvs));
  EXPECT_EQ(RunTool({"convert", "--lossy", csv, qvs}, out, err), 0) << err.constData();
  EXPECT_TRUE(err.contains("B1, B2")) << err.constData();
  ASSERT_EQ(RunTool({"cells", qvs}, out, err), 0);
  EXPECT_EQ(QString::fromUtf8(out), QString::fromUtf8("A1\tcaffè\tcaffè\nB1\t?\t?\nB2\t?\t?\n"));
  EXPECT_EQ(RunTool({"convert", csv, dir.filePath("again.csv")}, out, err), 0);
  EXPECT_EQ(Read(dir.filePath("again.csv")), Read(csv));
}

// Every output of the command on a disk that filled up meanwhile: exit 1,
// the old file byte for byte, no temporary left.
TEST(SheetTool, FullDiskKeepsEveryOldOutput) {
  TSmallDisk disk(512);
  REQUIRE_SMALL_DISK(disk);
  QTemporaryDir dir;
  QByteArray csv;
  for (int r = 1; r <= 600; ++r) csv += QByteArray::number(r) + ";=A" + QByteArray::number(r) + "*2;testo " + QByteArray::number(r) + "\r\n";
  const QString in = dir.filePath("in.csv");
  Write(in, csv);
  for (const char* name : {"out.qvs", "out.csv", "out.png"}) {
    SCOPED_TRACE(name);
    const QString out = disk.File(name);
    const QStringList args = QByteArray(name).endsWith("png") ? QStringList{"render", in, out, "--size", "400x300"}
                                                              : QStringList{"convert", in, out};
    QByteArray o, e;
    Write(out, QByteArray(3314, 'o'));
    disk.Fill();
    EXPECT_EQ(RunTool(args, o, e), 1);
    EXPECT_TRUE(e.contains(name)) << e.constData();
    EXPECT_EQ(Read(out), QByteArray(3314, 'o'));
    EXPECT_EQ(disk.Entries(), QStringList{name});
    disk.Unfill();
    QFile::remove(out);
  }
}

// Killed at random moments while it replaces a large picture or sheet.
TEST(SheetTool, KilledWhileWritingLeavesOldOrNew) {
  QTemporaryDir dir;
  QByteArray csv;
  for (int r = 1; r <= 20000; ++r) csv += QByteArray::number(r) + ";" + QByteArray::number(r * 7 % 1000) + ";=A" + QByteArray::number(r) + "+B" + QByteArray::number(r) + "\r\n";
  const QString in = dir.filePath("in.csv");
  Write(in, csv);
  const QList<QStringList> runs = {{"render", in, dir.filePath("o.png"), "--size", "4000x3000"},
                                   {"convert", in, dir.filePath("o.qvs")}};
  for (const QStringList& args : runs) {
    SCOPED_TRACE(args[0].toStdString());
    QByteArray o, e;
    QElapsedTimer t;
    t.start();
    ASSERT_EQ(RunTool(args, o, e), 0) << e.constData();
    const int ms = int(t.elapsed());
    const QByteArray fresh = Read(args[2]);
    QString what;
    EXPECT_EQ(KillLoop(QStringLiteral(SSHT_TOOL_PATH), args, args[2], "old", fresh, 15, ms, &what), 0)
        << what.toStdString();
  }
}
