#include "FastCompress.h"

#include <QIODevice>
#include <algorithm>
#include <cstring>

namespace Tarnwell {

TFastCompress::TFastCompress() {
  std::memset(mHash, 0xFF, sizeof(mHash));
  std::memset(mInput, 0, sizeof(mInput));
  std::memset(mOutput, 0, sizeof(mOutput));
}

namespace {

inline unsigned HashAt(const std::uint8_t* in, int ip, int n) {
  // Bytes past the chunk end read as 0; only positions that cannot match
  // anyway (fewer than three bytes left) are affected.
  unsigned b0 = in[ip];
  unsigned b1 = ip + 1 < n ? in[ip + 1] : 0;
  unsigned b2 = ip + 2 < n ? in[ip + 2] : 0;
  return ((40543u * ((((b0 << 4) ^ b1) << 4) ^ b2)) >> 4) & 0xFFFu;
}

}  // namespace

int TFastCompress::CompressBlock(const std::uint8_t* in, int n, std::uint8_t* out) {
  for (auto& h : mHash) h = -1;
  out[0] = FlagCompressed;
  int ctrlPos = 1;
  int op = 3;
  int ip = 0;
  unsigned control = 0;
  int items = 0;
  while (ip < n && op <= n) {
    if (items == 16) {
      out[ctrlPos] = std::uint8_t(control >> 8);
      out[ctrlPos + 1] = std::uint8_t(control);
      ctrlPos = op;
      op += 2;
      items = 0;
      control = 0;
    }
    const std::uint8_t b = in[ip];
    int run = 1;
    while (run < 4095 && ip + run < n && in[ip + run] == b) ++run;
    if (run >= 16) {
      const int c = run - 16;
      out[op] = 0;
      out[op + 1] = std::uint8_t(c >> 8);
      out[op + 2] = std::uint8_t(c);
      out[op + 3] = b;
      op += 4;
      ip += run;
      control = (control << 1) | 1u;
    } else {
      const unsigned h = HashAt(in, ip, n);
      const int t = mHash[h];
      mHash[h] = std::int16_t(ip);
      int len = 0;
      if (t >= 0 && ip - t <= 4095) {
        while (len < 18 && ip + len < n && in[t + len] == in[ip + len]) ++len;
      }
      if (len >= 3) {
        const unsigned key = unsigned(ip - t) * 16u + unsigned(len - 3);
        out[op] = std::uint8_t(key >> 8);
        out[op + 1] = std::uint8_t(key);
        op += 2;
        ip += len;
        control = (control << 1) | 1u;
      } else {
        out[op++] = b;
        ++ip;
        control <<= 1;
      }
    }
    ++items;
  }
  control = (control << (16 - items)) & 0xFFFFu;
  out[ctrlPos] = std::uint8_t(control >> 8);
  out[ctrlPos + 1] = std::uint8_t(control);
  if (op <= n) return op;
  out[0] = FlagStored;
  std::memcpy(out + 1, in, size_t(n));
  return n + 1;
}

int TFastCompress::DecompressBlock(const std::uint8_t* in, int m, std::uint8_t* out) {
  if (m < 1) {
    mLastError = QStringLiteral("empty block");
    return -1;
  }
  if (in[0] == FlagStored) {
    if (m - 1 > ChunkSize) {
      mLastError = QStringLiteral("stored block longer than %1 bytes").arg(ChunkSize);
      return -1;
    }
    std::memcpy(out, in + 1, size_t(m - 1));
    return m - 1;
  }
  if (in[0] != FlagCompressed) {
    mLastError = QStringLiteral("unknown block flag 0x%1").arg(in[0], 2, 16, QLatin1Char('0'));
    return -1;
  }
  if (m < 3) {
    mLastError = QStringLiteral("compressed block too short");
    return -1;
  }
  unsigned control = (unsigned(in[1]) << 8) | in[2];
  int remaining = 16;
  int ip = 3;
  int op = 0;
  while (ip < m) {
    if (remaining == 0) {
      if (ip + 2 > m) {
        mLastError = QStringLiteral("control word cut off by the block end");
        return -1;
      }
      control = (unsigned(in[ip]) << 8) | in[ip + 1];
      ip += 2;
      remaining = 16;
      if (ip >= m) break;  // a trailing control word without items
    }
    // A whole group of items far from both ends: no bound needs checking
    // but the copy distance (16 items take at most 32 input bytes and give
    // at most 288). A run token, or a fault, is left to the checked steps.
    if (remaining == 16 && m - ip >= 64 && ChunkSize - op >= 16 * 18 + 32) {
      unsigned c = control;
      int k = 0;
      for (; k < 16; ++k, c <<= 1) {
        if (!(c & 0x8000u)) {
          out[op++] = in[ip++];
          continue;
        }
        const unsigned key = (unsigned(in[ip]) << 8) | in[ip + 1];
        const int d = int(key >> 4);
        if (d == 0 || d > op) break;
        const int len = int(key & 15u) + 3;
        ip += 2;
        std::uint8_t* dst = out + op;
        if (d >= 16) {
          std::memcpy(dst, dst - d, 16);
          std::memcpy(dst + 16, dst - d + 16, 16);
        } else {
          for (int i = 0; i < len; ++i) dst[i] = dst[i - d];
        }
        op += len;
      }
      control = c & 0xFFFFu;
      remaining = 16 - k;
      if (remaining == 0) continue;
      // The item that stopped the group takes the checked step below.
    }
    if (control & 0x8000u) {
      if (ip + 2 > m) {
        mLastError = QStringLiteral("token cut off by the block end");
        return -1;
      }
      const unsigned key = (unsigned(in[ip]) << 8) | in[ip + 1];
      const int d = int(key >> 4);
      if (d != 0) {
        const int len = int(key & 15u) + 3;
        ip += 2;
        if (d > op) {
          mLastError = QStringLiteral("copy distance %1 reaches before the block's output").arg(d);
          return -1;
        }
        if (op + len > ChunkSize) {
          mLastError = QStringLiteral("block output longer than %1 bytes").arg(ChunkSize);
          return -1;
        }
        if (d >= 16 && op + 32 <= ChunkSize) {
          // Two fixed 16-byte moves (at most 18 bytes are wanted): the
          // bytes past the copy are overwritten by what follows, or lie
          // past the output. With d >= 16 each source lies before its
          // destination, so the result is the byte-wise copy.
          std::uint8_t* dst = out + op;
          const std::uint8_t* src = dst - d;
          std::memcpy(dst, src, 16);
          std::memcpy(dst + 16, src + 16, 16);
          op += len;
        } else if (d >= len) {
          std::memcpy(out + op, out + op - d, size_t(len));
          op += len;
        } else {
          for (int i = 0; i < len; ++i, ++op) out[op] = out[op - d];  // overlapping: byte by byte
        }
      } else {
        if (ip + 4 > m) {
          mLastError = QStringLiteral("run token cut off by the block end");
          return -1;
        }
        const int count = int((unsigned(in[ip + 1]) << 8) | in[ip + 2]) + 16;
        const std::uint8_t b = in[ip + 3];
        ip += 4;
        if (op + count > ChunkSize) {
          mLastError = QStringLiteral("block output longer than %1 bytes").arg(ChunkSize);
          return -1;
        }
        std::memset(out + op, b, size_t(count));
        op += count;
      }
    } else {
      if (op + 1 > ChunkSize) {
        mLastError = QStringLiteral("block output longer than %1 bytes").arg(ChunkSize);
        return -1;
      }
      out[op++] = in[ip++];
    }
    control = (control << 1) & 0xFFFFu;
    --remaining;
  }
  return op;
}

qint64 TFastCompress::CompressStream(QIODevice& source, QIODevice& dest) {
  mLastError.clear();
  qint64 written = 0;
  while (!source.atEnd()) {
    const qint64 n = source.read(reinterpret_cast<char*>(mInput), ChunkSize);
    if (n < 0) {
      mLastError = QStringLiteral("cannot read the source: %1").arg(source.errorString());
      return -1;
    }
    if (n == 0) break;
    const int len = CompressBlock(mInput, int(n), mOutput);
    const char header[2] = {char(len & 0xFF), char((len >> 8) & 0xFF)};
    if (dest.write(header, 2) != 2 || dest.write(reinterpret_cast<const char*>(mOutput), len) != len) {
      mLastError = QStringLiteral("cannot write the destination: %1").arg(dest.errorString());
      return -1;
    }
    written += 2 + len;
  }
  return written;
}

qint64 TFastCompress::DecompressStream(QIODevice& source, QIODevice& dest) {
  mLastError.clear();
  qint64 written = 0;
  qint64 blockNo = 0;
  while (!source.atEnd()) {
    ++blockNo;
    unsigned char header[2];
    if (source.read(reinterpret_cast<char*>(header), 2) != 2) {
      mLastError = QStringLiteral("block %1: length cut off").arg(blockNo);
      return -1;
    }
    const int len = header[0] | (header[1] << 8);
    if (len == 0) {
      mLastError = QStringLiteral("block %1: length 0").arg(blockNo);
      return -1;
    }
    if (len > MaxBlockSize) {
      mLastError =
          QStringLiteral("block %1: length %2 is more than %3").arg(blockNo).arg(len).arg(MaxBlockSize);
      return -1;
    }
    // The block is read into mOutput's room and decoded into mInput.
    if (source.read(reinterpret_cast<char*>(mOutput), len) != len) {
      mLastError = QStringLiteral("block %1: truncated (%2 bytes announced)").arg(blockNo).arg(len);
      return -1;
    }
    const int out = DecompressBlock(mOutput, len, mInput);
    if (out < 0) {
      mLastError = QStringLiteral("block %1: %2").arg(blockNo).arg(mLastError);
      return -1;
    }
    if (dest.write(reinterpret_cast<const char*>(mInput), out) != out) {
      mLastError = QStringLiteral("cannot write the destination: %1").arg(dest.errorString());
      return -1;
    }
    written += out;
  }
  return written;
}

QByteArray TFastCompress::Compress(const QByteArray& data) {
  QByteArray result;
  result.reserve(data.size() + data.size() / 8192 * 3 + 8);
  const auto* p = reinterpret_cast<const std::uint8_t*>(data.constData());
  for (qsizetype pos = 0; pos < data.size(); pos += ChunkSize) {
    const int n = int(std::min<qsizetype>(ChunkSize, data.size() - pos));
    const int len = CompressBlock(p + pos, n, mOutput);
    result.append(char(len & 0xFF));
    result.append(char((len >> 8) & 0xFF));
    result.append(reinterpret_cast<const char*>(mOutput), len);
  }
  return result;
}

bool TFastCompress::Decompress(const QByteArray& data, QByteArray& out, qint64 maxOut) {
  mLastError.clear();
  out.resize(0);  // keeps the capacity of a reused buffer
  out.reserve(std::max<qsizetype>(out.capacity(), data.size() * 3));
  const auto* p = reinterpret_cast<const std::uint8_t*>(data.constData());
  const qsizetype size = data.size();
  qsizetype pos = 0;
  qint64 blockNo = 0;
  while (pos < size) {
    ++blockNo;
    if (size - pos < 2) {
      mLastError = QStringLiteral("block %1: length cut off").arg(blockNo);
      return false;
    }
    const int len = p[pos] | (p[pos + 1] << 8);
    pos += 2;
    if (len == 0 || len > MaxBlockSize) {
      mLastError = QStringLiteral("block %1: length %2 out of range").arg(blockNo).arg(len);
      return false;
    }
    if (size - pos < len) {
      mLastError = QStringLiteral("block %1: truncated (%2 bytes announced)").arg(blockNo).arg(len);
      return false;
    }
    // Decode straight into the output's tail.
    const qsizetype had = out.size();
    if (out.capacity() < had + ChunkSize)
      out.reserve(std::max<qsizetype>(2 * out.capacity(), had + ChunkSize));
    out.resize(had + ChunkSize);
    const int n = DecompressBlock(p + pos, len, reinterpret_cast<std::uint8_t*>(out.data()) + had);
    out.resize(had + std::max(n, 0));
    if (n < 0) {
      mLastError = QStringLiteral("block %1: %2").arg(blockNo).arg(mLastError);
      return false;
    }
    if (maxOut >= 0 && out.size() > maxOut) {
      mLastError = QStringLiteral("the decoded data pass %1 bytes").arg(maxOut);
      out.truncate(had);
      return false;
    }
    pos += len;
  }
  return true;
}

}  // namespace Tarnwell
