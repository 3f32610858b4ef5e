#include "SShtFile.h"

#include <QFile>
#include <QIODevice>
#include <algorithm>
#include <functional>
#include <vector>
#include <cstring>

#include "SShtCsv.h"
#include <Tarnwell/platform/TFileWriter.h>
#include <Tarnwell/platform/THourglass.h>
#include "FastCompress.h"

namespace Tarnwell {

const QByteArray SheetSignature = QByteArray("\x07QVSS100", 8);

namespace {

// The decompressed body may be at most this large: a damaged size or a
// crafted stream must not exhaust memory.
constexpr qsizetype MaxBodySize = qsizetype(1) << 30;
constexpr int MaxSize = TSpreadSheetDataCells::MaxSize;  // widths and heights beyond are damage

void PutI32(QByteArray& out, std::int32_t v) {
  const auto u = std::uint32_t(v);
  const char b[4] = {char(u), char(u >> 8), char(u >> 16), char(u >> 24)};
  out.append(b, 4);
}

std::int32_t GetI32(const char* p) {
  const auto* u = reinterpret_cast<const unsigned char*>(p);
  return std::int32_t(std::uint32_t(u[0]) | (std::uint32_t(u[1]) << 8) | (std::uint32_t(u[2]) << 16) |
                      (std::uint32_t(u[3]) << 24));
}

[[noreturn]] void Fail(const QString& msg) { throw ESheetFileError(msg); }

}  // namespace

int CheckSignature(QIODevice& dev) {
  const qint64 pos = dev.pos();
  const QByteArray head = dev.read(8);
  dev.seek(pos);
  if (head.size() < 8) return 2;
  return head == SheetSignature ? 0 : 1;
}

namespace {

// Emits the body of a sheet in pieces, so that no image of the whole body
// is ever held (a million cells make some 200 MB of records).
template <class Sink>
void WriteBody(const TSpreadSheetDataCells& cells, bool wide, Sink&& sink) {
  const TGridRect ext = cells.UsedExtent();
  const int c = ext.Right, r = ext.Bottom;
  std::vector<const TSpreadSheetCell*> list;
  list.reserve(size_t(cells.CellCount()));
  for (const auto& column : cells.Columns()) {
    if (column->Col() > c) break;
    for (const auto& cell : column->Cells()) {
      if (cell->Row() > r) break;
      list.push_back(cell.get());
    }
  }
  std::stable_sort(list.begin(), list.end(), [](const TSpreadSheetCell* a, const TSpreadSheetCell* b) {
    return a->Row() != b->Row() ? a->Row() < b->Row() : a->Col() < b->Col();
  });
  QByteArray buf;
  buf.reserve(1 << 16);
  auto flush = [&] {
    sink(buf.constData(), buf.size());
    buf.resize(0);
  };
  PutI32(buf, 0);
  PutI32(buf, 0);
  PutI32(buf, c);
  PutI32(buf, r);
  for (int i = 0; i <= c; ++i) PutI32(buf, cells.ColWidth(i));
  for (int i = 0; i <= r; ++i) {
    PutI32(buf, cells.RowHeight(i));
    if (buf.size() >= (1 << 16)) flush();
  }
  for (const TSpreadSheetCell* cell : list) {
    cell->WriteTo(buf, wide);
    if (buf.size() >= (1 << 16)) flush();
  }
  flush();
}

// Compresses what it is given chunk by chunk, exactly as TFastCompress
// compresses a whole buffer, and hands on each block with its length.
template <class Out>
class TPackedWriter {
 public:
  explicit TPackedWriter(Out out) : mOut(std::move(out)) {}
  void Write(const char* data, qsizetype n) {
    while (n > 0) {
      const int take = int(std::min<qsizetype>(TFastCompress::ChunkSize - mFill, n));
      std::memcpy(mChunk + mFill, data, size_t(take));
      mFill += take;
      data += take;
      n -= take;
      if (mFill == TFastCompress::ChunkSize) Flush();
    }
  }
  void Flush() {
    if (mFill == 0) return;
    const int len = mCompressor.CompressBlock(mChunk, mFill, mBlock + 2);
    mBlock[0] = std::uint8_t(len & 0xFF);
    mBlock[1] = std::uint8_t((len >> 8) & 0xFF);
    mOut(reinterpret_cast<const char*>(mBlock), len + 2);
    mPacked += len + 2;
    mFill = 0;
  }
  qint64 Packed() const { return mPacked; }

 private:
  Out mOut;
  TFastCompress mCompressor;
  std::uint8_t mChunk[TFastCompress::ChunkSize];
  std::uint8_t mBlock[TFastCompress::MaxBlockSize + 10];
  int mFill = 0;
  qint64 mPacked = 0;
};

}  // namespace

QByteArray SheetBodyBytes(const TSpreadSheetDataCells& cells, bool wide) {
  QByteArray body;
  body.reserve(16 + 4 * qsizetype(cells.UsedExtent().Right + cells.UsedExtent().Bottom + 2) +
               qsizetype(cells.CellCount()) * 190);
  WriteBody(cells, wide, [&](const char* d, qsizetype n) { body.append(d, n); });
  return body;
}

QStringList CellsNotStoredExactly(const TSpreadSheetDataCells& cells, int limit) {
  std::vector<const TSpreadSheetCell*> bad;
  for (const auto& column : cells.Columns())
    for (const auto& cell : column->Cells())
      if (!cell->StoresExactly()) bad.push_back(cell.get());
  std::stable_sort(bad.begin(), bad.end(), [](const TSpreadSheetCell* a, const TSpreadSheetCell* b) {
    return a->Row() != b->Row() ? a->Row() < b->Row() : a->Col() < b->Col();
  });
  QStringList out;
  for (const TSpreadSheetCell* c : bad) {
    if (out.size() >= limit) break;
    if (c->Col() == 0 && c->Row() == 0)
      out << QStringLiteral("default format");
    else if (c->Row() == 0)
      out << QStringLiteral("column %1").arg(ColumnName(c->Col()));
    else if (c->Col() == 0)
      out << QStringLiteral("row %1").arg(c->Row());
    else
      out << CellRefName(c->Col(), c->Row());
  }
  return out;
}

QByteArray SheetFileBytes(const TSpreadSheetDataCells& cells) {
  QByteArray file = SheetSignature;
  PutI32(file, 0);
  auto packer = std::make_unique<TPackedWriter<std::function<void(const char*, qsizetype)>>>(
      [&](const char* d, qsizetype n) { file.append(d, n); });
  WriteBody(cells, false, [&](const char* d, qsizetype n) { packer->Write(d, n); });
  packer->Flush();
  const auto size = std::uint32_t(packer->Packed());
  for (int i = 0; i < 4; ++i) file[8 + i] = char(size >> (8 * i));
  return file;
}

namespace {

// Parses a body as its bytes arrive: the area, the sizes, then one record
// after another; a record cut by a piece's end waits for the next piece.
class TBodyReader {
 public:
  // recalculated: the caller recalculates the sheet after the body, so
  // formulas need not be evaluated as they are read.
  TBodyReader(TSpreadSheetDataCells& cells, bool wide, bool recalculated = false)
      : mCells(cells), mWide(wide), mProbe(recalculated ? std::make_unique<TSpreadSheetFormuler>() : nullptr) {}

  // Records are parsed where the piece lies; only a record cut by a
  // piece's end is copied, with as much of the next piece as completes it.
  void Feed(const char* data, qsizetype n) {
    qsizetype off = 0;  // where the parse goes on in data
    if (mPos < mPending.size()) {
      mBase += mPos;
      mPending.remove(0, mPos);
      mPos = 0;
      const qsizetype kept = mPending.size();
      for (qsizetype step = 512;; step *= 2) {
        const qsizetype take = std::min(n - off, step);
        mPending.append(data + off, take);
        off += take;
        ParseOver(mPending.constData(), mPending.size());
        if (mPos > kept) break;  // past the cut item: the rest is data's own
        if (off == n) return;
      }
      off -= mPending.size() - mPos;
    }
    mBase += mPos;
    mPending.clear();
    mPos = 0;
    ParseOver(data + off, n - off);
    mBase += mPos;
    mPending = QByteArray(data + off + mPos, n - off - mPos);
    mPos = 0;
  }

  void Finish() {
    ParseOver(mPending.constData(), mPending.size());
    if (mState == kArea)
      Fail(QStringLiteral("the sheet body is cut off before its area (%1 bytes)").arg(mBase + mPending.size()));
    if (mState == kSizes) Fail(QStringLiteral("the column widths and row heights are cut off"));
    if (mPos < mPending.size()) ReadRecord();  // cut off: says where and what
  }

 private:
  enum { kArea, kSizes, kRecords };

  // Parses what follows mPos in the buffer [d, d + size), which stands at
  // the body offset mBase.
  void ParseOver(const char* d, qsizetype size) {
    mBuf = d;
    mBufSize = size;
    if (mState == kArea) {
      if (size - mPos < 16) return;
      mLeft = GetI32(d + mPos);
      mTop = GetI32(d + mPos + 4);
      mRight = GetI32(d + mPos + 8);
      mBottom = GetI32(d + mPos + 12);
      if (mLeft < 0 || mRight < mLeft || mRight > SShtMaxCol)
        Fail(QStringLiteral("column range %1..%2 is outside the sheet").arg(mLeft).arg(mRight));
      if (mTop < 0 || mBottom < mTop || mBottom > SShtMaxRow)
        Fail(QStringLiteral("row range %1..%2 is outside the sheet").arg(mTop).arg(mBottom));
      mPos += 16;
      mSize = 0;
      mState = kSizes;
    }
    if (mState == kSizes) {
      const qint64 cols = mRight - mLeft + 1, all = cols + (qint64(mBottom) - mTop + 1);
      for (; mSize < all && size - mPos >= 4; ++mSize, mPos += 4) {
        const int v = GetI32(d + mPos);
        if (mSize < cols) {
          const int i = mLeft + int(mSize);
          if (v < 0 || v > MaxSize) Fail(QStringLiteral("column %1 has the width %2").arg(i).arg(v));
          mCells.SetColWidth(i, v);
        } else {
          const int i = mTop + int(mSize - cols);
          if (v < 0 || v > MaxSize) Fail(QStringLiteral("row %1 has the height %2").arg(i).arg(v));
          mCells.SetRowHeight(i, v);
        }
      }
      if (mSize < all) return;
      mState = kRecords;
    }
    while (TSpreadSheetCell::RecordLength(mBuf, mBufSize, mPos, mWide) >= 0) ReadRecord();
  }

  void ReadRecord() {
    qsizetype pos = mPos;
    try {
      mScratch.ReadFrom(mBuf, mBufSize, pos, mWide);
    } catch (const ECellRecordError& e) {
      // The record's position in the whole body, not in this piece.
      QString what = e.Message();
      const qsizetype colon = what.indexOf(QLatin1String(": "));
      if (colon >= 0) what = what.mid(colon + 2);
      Fail(QStringLiteral("cell record at byte %1: %2").arg(mBase + mPos).arg(what));
    }
    mPos = pos;
    const TSpreadSheetCell& s = mScratch;
    if (s.Col() < mLeft || s.Col() > mRight || s.Row() < mTop || s.Row() > mBottom)
      Fail(QStringLiteral("the record of %1 lies outside the saved area")
               .arg(s.Col() == 0 ? QStringLiteral("column 0, row %1").arg(s.Row()) : CellRefName(s.Col(), s.Row())));
    mCells.PlaceRecord(s, mProbe.get());
  }

  TSpreadSheetDataCells& mCells;
  bool mWide;
  std::unique_ptr<TSpreadSheetFormuler> mProbe;  // reads no cells
  TSheetLocaleScope mLocale;
  TSpreadSheetCell mScratch{0, 0};
  int mState = kArea;
  QByteArray mPending;  // the unparsed end of the last piece
  const char* mBuf = nullptr;  // what is being parsed: mPending or a piece
  qsizetype mBufSize = 0;
  qsizetype mPos = 0;   // parsed up to here in the buffer
  qint64 mBase = 0;     // the body offset of the buffer's first byte
  int mLeft = 0, mTop = 0, mRight = 0, mBottom = 0;
  qint64 mSize = 0;     // sizes read so far
};

// Decodes the compressed body block by block into a body reader, so that
// neither the whole packed stream nor the whole body is ever held.
class TPackedReader {
 public:
  explicit TPackedReader(TBodyReader& body) : mBody(body) {}

  void Feed(const char* data, qsizetype n) {
    while (n > 0) {
      if (mHave < 2) {
        mHead[mHave++] = static_cast<unsigned char>(*data++);
        --n;
        if (mHave == 2) {
          ++mBlockNo;
          mLen = mHead[0] | (mHead[1] << 8);
          if (mLen == 0 || mLen > TFastCompress::MaxBlockSize)
            Damaged(QStringLiteral("block %1: length %2 out of range").arg(mBlockNo).arg(mLen));
          mFill = 0;
        }
        continue;
      }
      // A whole block in the given bytes decodes in place.
      const std::uint8_t* block = nullptr;
      if (mFill == 0 && n >= mLen) {
        block = reinterpret_cast<const std::uint8_t*>(data);
        data += mLen;
        n -= mLen;
      } else {
        const int take = int(std::min<qsizetype>(mLen - mFill, n));
        std::memcpy(mBlock + mFill, data, size_t(take));
        mFill += take;
        data += take;
        n -= take;
        if (mFill < mLen) return;
        block = mBlock;
      }
      const int out = mDecoder.DecompressBlock(block, mLen, mChunk);
      if (out < 0) Damaged(QStringLiteral("block %1: %2").arg(mBlockNo).arg(mDecoder.LastError()));
      mDecoded += out;
      if (mDecoded > MaxBodySize) Damaged(QStringLiteral("the decoded data pass %1 bytes").arg(MaxBodySize));
      mBody.Feed(reinterpret_cast<const char*>(mChunk), out);
      mHave = 0;
    }
  }

  void Finish() {
    if (mHave == 1) Damaged(QStringLiteral("block %1: length cut off").arg(mBlockNo + 1));
    if (mHave == 2) Damaged(QStringLiteral("block %1: truncated (%2 bytes announced)").arg(mBlockNo).arg(mLen));
    mBody.Finish();
  }

 private:
  [[noreturn]] static void Damaged(const QString& why) {
    Fail(QStringLiteral("the compressed body is damaged: %1").arg(why));
  }

  TBodyReader& mBody;
  TFastCompress mDecoder;
  unsigned char mHead[2] = {};
  int mHave = 0;  // bytes of the block's length read (2: inside the block)
  int mLen = 0, mFill = 0;
  qint64 mBlockNo = 0;
  qint64 mDecoded = 0;
  std::uint8_t mBlock[TFastCompress::MaxBlockSize + 8];
  std::uint8_t mChunk[TFastCompress::ChunkSize + 8];
};

// The packed body's size from the 12-byte head of a sheet file.
std::uint32_t PackedSize(const char* head, qint64 fileSize) {
  if (fileSize < 8 || QByteArray::fromRawData(head, 8) != SheetSignature)
    Fail(QStringLiteral("not a sheet file (no signature)"));
  if (fileSize < 12) Fail(QStringLiteral("the body size is cut off"));
  const auto s = std::uint32_t(GetI32(head + 8));
  if (qint64(s) > fileSize - 12)
    Fail(QStringLiteral("the body size %1 is larger than the file (%2 bytes follow)").arg(s).arg(fileSize - 12));
  return s;
}

}  // namespace

void ReadSheetBody(const QByteArray& body, TSpreadSheetDataCells& cells, bool wide) {
  auto reader = std::make_unique<TBodyReader>(cells, wide);
  // In slices, so that the reader's own buffer stays small.
  for (qsizetype at = 0; at < body.size(); at += 1 << 16)
    reader->Feed(body.constData() + at, std::min<qsizetype>(1 << 16, body.size() - at));
  reader->Finish();
}

QByteArray PackedSheetBody(const TSpreadSheetDataCells& cells, bool wide) {
  QByteArray packed;
  auto packer = std::make_unique<TPackedWriter<std::function<void(const char*, qsizetype)>>>(
      [&](const char* d, qsizetype n) { packed.append(d, n); });
  WriteBody(cells, wide, [&](const char* d, qsizetype n) { packer->Write(d, n); });
  packer->Flush();
  return packed;
}

void ReadPackedSheetBody(const QByteArray& packed, TSpreadSheetDataCells& cells, bool wide) {
  auto body = std::make_unique<TBodyReader>(cells, wide);
  auto reader = std::make_unique<TPackedReader>(*body);
  reader->Feed(packed.constData(), packed.size());
  reader->Finish();
}

std::unique_ptr<TSpreadSheetDataCells> ReadSheetFileBytes(const QByteArray& file,
                                                          const TSpreadSheetDataCells& like) {
  THourglass hourglass;
  QByteArray head = file.left(12);
  head.resize(12);
  const std::uint32_t s = PackedSize(head.constData(), file.size());
  auto cells = like.NewEmptyLike();
  {
    auto body = std::make_unique<TBodyReader>(*cells, false, true);
    auto packed = std::make_unique<TPackedReader>(*body);
    packed->Feed(file.constData() + 12, qsizetype(s));
    packed->Finish();
  }
  cells->Recalculate();
  return cells;
}

QByteArray ReadWholeFile(const QString& fileName) {
  QFile f(fileName);
  if (!f.open(QIODevice::ReadOnly))
    Fail(QStringLiteral("%1: cannot open: %2").arg(fileName, f.errorString()));
  QByteArray all = f.readAll();
  if (f.error() != QFileDevice::NoError)
    Fail(QStringLiteral("%1: cannot read: %2").arg(fileName, f.errorString()));
  return all;
}

void SaveSheetToFile(const TSpreadSheetDataCells& cells, TSheetFileKind kind, const QString& fileName) {
  THourglass hourglass;
  TFileWriter f(fileName);
  if (!f.open())
    Fail(QStringLiteral("%1: cannot create: %2").arg(fileName, f.errorString()));
  auto failWrite = [&] {
    const QString err = f.errorString();
    f.Discard();
    Fail(QStringLiteral("%1: cannot write: %2").arg(fileName, err));
  };
  if (kind == sfkCsv) {
    const QByteArray bytes = CsvBytes(cells);
    if (f.write(bytes) != bytes.size()) failWrite();
  } else {
    // The body goes out block by block; its packed size, which stands in
    // front of it, is filled in at the end.
    QByteArray out = SheetSignature;
    PutI32(out, 0);
    bool ok = true;
    auto packer = std::make_unique<TPackedWriter<std::function<void(const char*, qsizetype)>>>(
        [&](const char* d, qsizetype n) {
          out.append(d, n);
          if (out.size() >= (1 << 20)) {
            ok = ok && f.write(out) == out.size();
            out.resize(0);
          }
        });
    WriteBody(cells, false, [&](const char* d, qsizetype n) { packer->Write(d, n); });
    packer->Flush();
    ok = ok && f.write(out) == out.size();
    QByteArray size;
    PutI32(size, std::int32_t(std::uint32_t(packer->Packed())));
    ok = ok && f.seek(8) && f.write(size) == 4;
    if (!ok) failWrite();
  }
  if (!f.Commit()) Fail(QStringLiteral("%1: cannot save: %2").arg(fileName, f.errorString()));
}

void LoadSheetFromFile(TSpreadSheetDataCells& cells, const QString& fileName) {
  THourglass hourglass;
  QFile f(fileName);
  if (!f.open(QIODevice::ReadOnly))
    Fail(QStringLiteral("%1: cannot open: %2").arg(fileName, f.errorString()));
  auto readFailed = [&] {
    if (f.error() != QFileDevice::NoError)
      Fail(QStringLiteral("%1: cannot read: %2").arg(fileName, f.errorString()));
  };
  const QByteArray head = f.read(12);
  readFailed();
  std::unique_ptr<TSpreadSheetDataCells> fresh;
  try {
    if (head.size() >= 8 && head.startsWith(SheetSignature)) {
      // Read and decoded piece by piece: only the cells take room.
      QByteArray padded = head;
      padded.resize(12);
      qint64 left = PackedSize(padded.constData(), f.size());
      fresh = cells.NewEmptyLike();
      {
        auto body = std::make_unique<TBodyReader>(*fresh, false, true);
        auto packed = std::make_unique<TPackedReader>(*body);
        QByteArray buf(1 << 18, Qt::Uninitialized);
        while (left > 0) {
          const qint64 n = f.read(buf.data(), std::min<qint64>(left, buf.size()));
          readFailed();
          if (n <= 0) Fail(QStringLiteral("the file ends before its body"));
          packed->Feed(buf.constData(), qsizetype(n));
          left -= n;
        }
        packed->Finish();
      }
      fresh->Recalculate();
    } else {
      QByteArray all = head + f.readAll();
      readFailed();
      fresh = cells.NewEmptyLike();
      QString text = DecodeCsvBytes(all);
      all = QByteArray();
      ImportCsv(*fresh, text, 1, 1);
    }
  } catch (const ESheetFileError& e) {
    if (e.Message().startsWith(fileName)) throw;
    Fail(QStringLiteral("%1: %2").arg(fileName, e.Message()));
  } catch (const ETarnwellError& e) {
    Fail(QStringLiteral("%1: %2").arg(fileName, e.Message()));
  } catch (const std::bad_alloc&) {
    Fail(QStringLiteral("%1: not enough memory to load the file").arg(fileName));
  }
  cells.Swap(*fresh);
}

}  // namespace Tarnwell
