#pragma once
// TFastCompress: a small, fast block compressor (LZ77 with a 4 KiB window and
// a hash of three bytes, plus a run-length token). Input is cut into chunks of
// 8192 bytes; each chunk becomes one block preceded by its 16-bit length.
// The stream has no header and no terminator: it ends where its container ends.

#include <QByteArray>
#include <QString>
#include <cstdint>
#include <Tarnwell/TarnwellExport.h>
class QIODevice;

namespace Tarnwell {


// The block compressor of the spreadsheet files: input cut into chunks of 8192 bytes, each
// compressed into one block.
class TARNWELL_COMPRESS_EXPORT TFastCompress {
 public:
  static constexpr int ChunkSize = 8192;
  // A block is at most a stored chunk: flag + 8192 bytes.
  static constexpr int MaxBlockSize = ChunkSize + 1;
  static constexpr std::uint8_t FlagCompressed = 0x40;
  static constexpr std::uint8_t FlagStored = 0x80;

  TFastCompress();

  // Compresses from source's current position to its end; returns the number
  // of bytes written to dest, or -1 when reading or writing failed.
  qint64 CompressStream(QIODevice& source, QIODevice& dest);
  // Decompresses from source's current position to its end; returns the bytes
  // written, or -1 for a damaged or truncated stream (LastError() says why).
  qint64 DecompressStream(QIODevice& source, QIODevice& dest);

  // Compresses one chunk of 1..8192 bytes into out (room for MaxBlockSize + 8
  // bytes); returns the block length.
  int CompressBlock(const std::uint8_t* in, int n, std::uint8_t* out);
  // Decodes one block of m bytes into out (room for ChunkSize bytes); returns
  // the output length, or -1 when the block is corrupt (LastError() says why).
  int DecompressBlock(const std::uint8_t* in, int m, std::uint8_t* out);

  // Whole-buffer conveniences over the same stream format.
  QByteArray Compress(const QByteArray& data);
  // Returns false for a damaged stream, or when the output would pass
  // maxOut bytes (when maxOut >= 0); out then holds what was decoded.
  bool Decompress(const QByteArray& data, QByteArray& out, qint64 maxOut = -1);

  const QString& LastError() const { return mLastError; }

 private:
  std::int16_t mHash[4096];
  std::uint8_t mInput[ChunkSize];
  std::uint8_t mOutput[MaxBlockSize + 8];
  QString mLastError;
};

}  // namespace Tarnwell
