#include <gtest/gtest.h>

#include <QBuffer>
#include <random>

#include <Tarnwell/spreadsheet/FastCompress.h>

using namespace Tarnwell;

namespace {

QByteArray Hex(const QByteArray& b) { return b.toHex(' '); }

QByteArray RandomBytes(int n, unsigned seed) {
  std::mt19937 g(seed);
  QByteArray b(n, Qt::Uninitialized);
  for (auto& c : b) c = char(g());
  return b;
}

QByteArray Block(const QByteArray& chunk) {
  TFastCompress fc;
  std::uint8_t out[TFastCompress::MaxBlockSize + 8];
  const int n =
      fc.CompressBlock(reinterpret_cast<const std::uint8_t*>(chunk.constData()), int(chunk.size()), out);
  return QByteArray(reinterpret_cast<const char*>(out), n);
}

int Decode(const QByteArray& block, QByteArray& out, QString* err = nullptr) {
  TFastCompress fc;
  out = QByteArray(TFastCompress::ChunkSize, '\0');
  const int n = fc.DecompressBlock(reinterpret_cast<const std::uint8_t*>(block.constData()),
                                   int(block.size()), reinterpret_cast<std::uint8_t*>(out.data()));
  if (n >= 0) out.truncate(n);
  if (err) *err = fc.LastError();
  return n;
}

}  // namespace

TEST(FastCompress, KnownVectors) {
  EXPECT_EQ(Hex(Block("abcabcabc")), Hex(QByteArray::fromHex("4010006162630033")));
  const QByteArray same(8192, 'x');
  EXPECT_EQ(Hex(Block(same)), Hex(QByteArray::fromHex("40c000000fef78000fef787878")));
  const QByteArray rnd = RandomBytes(1000, 7);
  const QByteArray stored = Block(rnd);
  ASSERT_EQ(stored.size(), 1001);
  EXPECT_EQ(quint8(stored[0]), 0x80);
  EXPECT_EQ(stored.mid(1), rnd);
}

TEST(FastCompress, StreamRoundTrips) {
  TFastCompress fc;
  QByteArray text;
  for (int i = 0; i < 3000; ++i)
    text += "Riga " + QByteArray::number(i % 97) + ";valore=" + QByteArray::number(i * 7) + "\n";
  std::mt19937 g(3);
  QByteArray mixed;
  for (int i = 0; i < 40000; ++i) mixed += char(g() % 4 == 0 ? g() : 'a' + i % 3);
  for (const QByteArray& data : {QByteArray("z"), QByteArray(8192, 'q'), QByteArray(8193, 'q'), text,
                                 RandomBytes(70000, 11), mixed, QByteArray(100000, '\0')}) {
    QByteArray packed;
    QBuffer src, dst(&packed);
    src.setData(data);
    src.open(QIODevice::ReadOnly);
    dst.open(QIODevice::WriteOnly);
    const qint64 written = fc.CompressStream(src, dst);
    ASSERT_EQ(written, packed.size());
    EXPECT_EQ(packed, fc.Compress(data));
    // Every block but the last decodes to 8192 bytes.
    QByteArray back;
    ASSERT_TRUE(fc.Decompress(packed, back)) << fc.LastError().toStdString();
    EXPECT_EQ(back, data);
  }
  QByteArray empty;
  EXPECT_TRUE(fc.Compress(QByteArray()).isEmpty());
  EXPECT_TRUE(fc.Decompress(QByteArray(), empty));
}

TEST(FastCompress, DamagedBlocksAreRejected) {
  QByteArray out;
  QString err;
  EXPECT_EQ(Decode(QByteArray(), out, &err), -1);
  EXPECT_EQ(Decode(QByteArray::fromHex("40"), out, &err), -1);        // too short
  EXPECT_EQ(Decode(QByteArray::fromHex("12000061"), out, &err), -1);  // unknown flag
  EXPECT_TRUE(err.contains("flag"));
  EXPECT_EQ(Decode(QByteArray::fromHex("4080000033"), out, &err), -1);  // token before any output
  EXPECT_TRUE(err.contains("distance"));
  EXPECT_EQ(Decode(QByteArray::fromHex("40800000"), out, &err), -1);    // token cut off
  EXPECT_EQ(Decode(QByteArray::fromHex("4080000fef"), out, &err), -1);  // run token cut off
  // Three runs of 4095 pass the 8192 bytes of one chunk.
  EXPECT_EQ(Decode(QByteArray::fromHex("40e000000fef78000fef78000fef78"), out, &err), -1);
  EXPECT_TRUE(err.contains("8192"));
  // Overlapping copies are allowed: a, then 17 more from distance 1.
  ASSERT_EQ(Decode(QByteArray::fromHex("4040006100"
                                       "1f"),
                   out),
            19);
  EXPECT_EQ(out, QByteArray(19, 'a'));
  // A stream whose announced block is longer than the data.
  TFastCompress fc;
  QByteArray back;
  EXPECT_FALSE(fc.Decompress(QByteArray::fromHex("0a00"
                                                 "8061"),
                             back));
  EXPECT_TRUE(fc.LastError().contains("truncated"));
  EXPECT_FALSE(fc.Decompress(QByteArray::fromHex("0000"), back));
  EXPECT_FALSE(fc.Decompress(QByteArray::fromHex("05"), back));
}
