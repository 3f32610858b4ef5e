// The grid layout's byte format without a grid: round trips, and streams
// that are cut short, foreign, inconsistent or out of range, which must be
// refused with a reason and without touching the target. The fuzzer's kept
// inputs replay through the same entry it drives.
#include <gtest/gtest.h>

#include <QtEndian>

#include <Tarnwell/database/EnhDBGrdLayout.h>
#include "FuzzGridLayout.h"
#include "FuzzReplay.h"

using namespace Tarnwell;

namespace {

TGridLayout Sample() {
  TGridLayout g;
  g.Name = QStringLiteral("GrigliaClienti");
  g.Color = clYellow;
  g.CellStyle = 2;
  g.FixedColumns = 2;
  g.ColorCond = {"DELTA | < | 100 | clRed | clWhite"};
  g.Conversion = {"Tipo | = | ORG | Sostituisci con | Organiz."};
  g.Caption = QStringLiteral("Città e clienti");
  for (const char* n : {"CODCLI", "RAGSOCIALE"}) {
    TLayoutColumn c;
    c.FieldName = QString::fromLatin1(n);
    c.Assigned = TLayoutColumn::cvWidth;
    c.Width = 77;
    g.Columns.push_back(c);
  }
  return g;
}

TEST(GridLayoutFormat, RoundTripsAndLeavesWhatFollows) {
  const TGridLayout g = Sample();
  const QByteArray bytes = WriteGridLayout(g);
  TGridLayout back;
  qsizetype used = 0;
  QString why;
  ASSERT_TRUE(ReadGridLayout(bytes + "trailing", back, used, why)) << why.toStdString();
  EXPECT_EQ(used, bytes.size());
  TGridLayout want = g;
  want.Name = want.Name.toUpper();
  EXPECT_EQ(back, want);
  EXPECT_EQ(WriteGridLayout(back), bytes);
  // The header as other readers of the resource format expect it.
  EXPECT_EQ(quint8(bytes[0]), 0xFF);
  EXPECT_EQ(qFromLittleEndian<quint16>(bytes.constData() + 1), 10);
  const qsizetype zero = bytes.indexOf('\0', 3);
  EXPECT_EQ(bytes.mid(3, zero - 3), "GRIGLIACLIENTI");
  EXPECT_EQ(qFromLittleEndian<quint16>(bytes.constData() + zero + 1), 0x1030);
  const quint32 length = qFromLittleEndian<quint32>(bytes.constData() + zero + 3);
  EXPECT_EQ(bytes.mid(zero + 7, 4), "TPF0");
  EXPECT_EQ(bytes.mid(zero + 7 + qsizetype(length), 4), "TPF0");
}

TEST(GridLayoutFormat, RefusesDamageAndLeavesTheTargetAlone) {
  const QByteArray bytes = WriteGridLayout(Sample());
  const TGridLayout untouched = Sample();
  auto refused = [&](const QByteArray& b) {
    TGridLayout target = untouched;
    qsizetype used = -1;
    QString why;
    const bool ok = ReadGridLayout(b, target, used, why);
    EXPECT_EQ(target, untouched);
    EXPECT_EQ(used, -1);
    return !ok && !why.isEmpty();
  };
  for (qsizetype n = 0; n < bytes.size(); ++n) EXPECT_TRUE(refused(bytes.left(n))) << n;
  QByteArray b = bytes;
  b[0] = char(0xFE);
  EXPECT_TRUE(refused(b));
  // A huge string length, column count or line count with nothing behind it.
  const qsizetype caption = bytes.indexOf("Caption");
  ASSERT_GT(caption, 0);
  b = bytes;
  qToLittleEndian<quint32>(0x7FFFFFF0u, b.data() + caption + 7 + 1);
  EXPECT_TRUE(refused(b));
  const qsizetype wrapper = bytes.indexOf("TColumnsWrapper");
  b = bytes;
  qToLittleEndian<quint32>(100000u, b.data() + wrapper + 15);
  EXPECT_TRUE(refused(b));
  // Unknown or repeated properties, a wrong type tag, values out of range.
  b = bytes;
  b.replace("CellStyle", "CellStylo");
  EXPECT_TRUE(refused(b));
  b = bytes;
  b.replace("CanFilter", "ReadOnly\x02\x00\x09" "CanFilter");
  EXPECT_TRUE(refused(b));
  TGridLayout g = Sample();
  g.CellStyle = 7;
  EXPECT_TRUE(refused(WriteGridLayout(g)));
  g = Sample();
  g.FixedColumns = 0;
  EXPECT_TRUE(refused(WriteGridLayout(g)));
  g = Sample();
  g.Columns[0].Width = -5;
  EXPECT_TRUE(refused(WriteGridLayout(g)));
  // Text that is not UTF-8.
  b = bytes;
  const qsizetype text = b.indexOf("CODCLI");
  b[text] = char(0xC3);
  b[text + 1] = char(0x28);
  EXPECT_TRUE(refused(b));
}

TEST(GridLayoutFuzz, CorpusAndCrashesReplay) {
  const QString root = QStringLiteral(GRIDLAYOUT_FUZZ_DIR);
  EXPECT_GE(ReplayFuzzFolder(root + "/layout-corpus", GridLayoutFuzzOne) +
                ReplayFuzzFolder(root + "/layout-crashes", GridLayoutFuzzOne),
            4);
}

}  // namespace
