#include "DBRowStore.h"

#include <QDate>
#include <QDateTime>
#include <QTime>
#include <cstdlib>
#include <cstring>
#include <limits>

namespace Tarnwell {

// A block: serial (8 bytes), length (4), the blank bits, the bits of values
// kept beside, padding to 8, the fixed slots, then the tail of texts and blobs.
// A text slot holds the offset of its characters in the block and their
// count; the count's top bit says the text needed two bytes a character
// (otherwise every character fits one, Latin-1).

namespace {

constexpr quint32 kHeader = 12;
constexpr quint32 kWide = 0x80000000u;
// In a block's length: the block was cut from a chunk (a block is never
// longer than half the range).
constexpr quint32 kPooled = 0x80000000u;
constexpr size_t kChunkBytes = 256 * 1024;
constexpr size_t kPooledAtMost = 4 * 1024;  // a larger block is allocated alone

template <typename T>
T Load(const uchar* p) {
  T v;
  std::memcpy(&v, p, sizeof v);
  return v;
}

template <typename T>
void Put(uchar* p, T v) {
  std::memcpy(p, &v, sizeof v);
}

bool Bit(const uchar* bits, int i) { return bits[i >> 3] & (1u << (i & 7)); }
void SetBit(uchar* bits, int i) { bits[i >> 3] |= uchar(1u << (i & 7)); }

// Where a record is packed before it gets a block of its exact size.
thread_local std::vector<uchar> tScratch;

bool Latin1(const QString& s) {
  const char16_t* p = reinterpret_cast<const char16_t*>(s.constData());
  const char16_t* end = p + s.size();
  char16_t any = 0;
  for (; p != end; ++p) any |= *p;
  return any < 0x100;
}

}  // namespace

TRowStore::~TRowStore() { clear(); }

TRowStore::TKind TRowStore::KindOf(TFieldType t) {
  switch (t) {
    case ftSmallint:
    case ftInteger:
    case ftWord:
    case ftAutoInc:
    case ftLargeint:
      return TKind::Int;
    case ftFloat:
    case ftCurrency:
      return TKind::Float;
    case ftBoolean:
      return TKind::Bool;
    case ftDate:
      return TKind::Date;
    case ftTime:
      return TKind::Time;
    case ftDateTime:
      return TKind::Moment;
    case ftBCD:  // exact text
      return TKind::Text;
    default:
      if (IsTextFieldType(t)) return TKind::Text;
      if (t == ftBytes || t == ftVarBytes || t == ftBlob || t == ftGraphic || t == ftOleObject || t == ftOleLink ||
          t == ftTypedBinary)
        return TKind::Bytes;
      return TKind::Other;
  }
}

void TRowStore::SetLayout(const std::vector<TFieldType>& types) {
  clear();
  mSlots.clear();
  mBitmapBytes = quint32((types.size() + 7) / 8);
  quint32 at = (kHeader + 2 * mBitmapBytes + 7) & ~7u;
  for (TFieldType t : types) {
    const TKind k = KindOf(t);
    mSlots.push_back({k, at});
    at += k == TKind::Moment ? 16 : 8;
  }
  mFixedEnd = at;
  mBlank.assign(mFixedEnd, 0);
  for (int i = 0; i < SlotCount(); ++i) SetBit(mBlank.data() + kHeader, i);
}

void TRowStore::clear() {
  DropRow();
  for (uchar* r : mRows) Free(r);
  mRows.clear();
  mRows.shrink_to_fit();
  for (uchar* c : mChunks) std::free(c);
  mChunks.clear();
  mChunkAt = nullptr;
  mChunkLeft = 0;
}

void TRowStore::Free(uchar* row) const {
  if (!row) return;
  const uchar* other = row + kHeader + mBitmapBytes;
  for (quint32 b = 0; b < mBitmapBytes; ++b) {
    if (!other[b]) continue;
    for (int i = int(b * 8); i < int(b * 8 + 8) && i < SlotCount(); ++i)
      if (Bit(other, i)) delete Load<QVariant*>(row + mSlots[i].Offset);
  }
  if (!(Load<quint32>(row + 8) & kPooled)) std::free(row);
}

namespace {

// Room for a text of n characters at the block's end, its slot pointing
// there; null when the block would grow too large (the text is then kept
// beside).
uchar* TextRoom(std::vector<uchar>& buf, quint32 at, qsizetype n, bool narrow) {
  const size_t bytes = size_t(n) * (narrow ? 1 : 2);
  if (!narrow && buf.size() % 2) buf.push_back(0);  // characters of two bytes start even
  const size_t tail = buf.size();
  if (tail + bytes > std::numeric_limits<quint32>::max() / 2) return nullptr;
  buf.resize(tail + bytes);
  Put<quint32>(buf.data() + at, quint32(tail));
  Put<quint32>(buf.data() + at + 4, quint32(n) | (narrow ? 0 : kWide));
  return buf.data() + tail;
}

void ClearBit(uchar* bits, int i) { bits[i >> 3] &= uchar(~(1u << (i & 7))); }

}  // namespace

bool TRowStore::PackSlot(std::vector<uchar>& buf, int i, const QVariant& v) const {
  if (v.isNull()) return false;
  const quint32 at = mSlots[i].Offset;
  const int id = v.metaType().id();
  switch (mSlots[i].Kind) {
    case TKind::Int:
      if (id != QMetaType::LongLong) return false;
      Put<qint64>(buf.data() + at, *static_cast<const qint64*>(v.constData()));
      return true;
    case TKind::Float:
      if (id != QMetaType::Double) return false;
      Put<double>(buf.data() + at, *static_cast<const double*>(v.constData()));
      return true;
    case TKind::Bool:
      if (id != QMetaType::Bool) return false;
      buf[at] = *static_cast<const bool*>(v.constData()) ? 1 : 0;
      return true;
    case TKind::Date: {
      if (id != QMetaType::QDate) return false;
      const QDate d = *static_cast<const QDate*>(v.constData());
      if (!d.isValid()) return false;
      Put<qint64>(buf.data() + at, d.toJulianDay());
      return true;
    }
    case TKind::Time: {
      if (id != QMetaType::QTime) return false;
      const QTime t = *static_cast<const QTime*>(v.constData());
      if (!t.isValid()) return false;
      Put<qint64>(buf.data() + at, t.msecsSinceStartOfDay());
      return true;
    }
    case TKind::Moment: {
      if (id != QMetaType::QDateTime) return false;
      const QDateTime& dt = *static_cast<const QDateTime*>(v.constData());
      if (!dt.isValid()) return false;
      switch (dt.timeSpec()) {
        case Qt::UTC:
        case Qt::OffsetFromUTC:
          Put<qint64>(buf.data() + at, dt.toMSecsSinceEpoch());
          Put<qint32>(buf.data() + at + 8, dt.offsetFromUtc());
          Put<qint32>(buf.data() + at + 12, dt.timeSpec() == Qt::UTC ? 1 : 2);
          return true;
        case Qt::LocalTime: {
          // The wall clock, as typed; kept so only when it gives back
          // the same moment (not in the repeated hour of autumn).
          const QDate d = dt.date();
          const QTime t = dt.time();
          const QDateTime again(d, t);
          if (again.toMSecsSinceEpoch() != dt.toMSecsSinceEpoch() || again.time() != t || again.date() != d)
            return false;
          Put<qint64>(buf.data() + at, d.toJulianDay());
          Put<qint32>(buf.data() + at + 8, t.msecsSinceStartOfDay());
          Put<qint32>(buf.data() + at + 12, 3);
          return true;
        }
        default:
          return false;
      }
    }
    case TKind::Text: {
      if (id != QMetaType::QString) return false;
      const QString& s = *static_cast<const QString*>(v.constData());
      if (s.isNull()) return false;
      const bool narrow = Latin1(s);
      uchar* o = TextRoom(buf, at, s.size(), narrow);
      if (!o) return false;
      if (narrow) {
        const char16_t* p = reinterpret_cast<const char16_t*>(s.constData());
        for (qsizetype k = 0; k < s.size(); ++k) o[k] = uchar(p[k]);
      } else {
        std::memcpy(o, s.constData(), size_t(s.size()) * 2);
      }
      return true;
    }
    case TKind::Bytes: {
      if (id != QMetaType::QByteArray) return false;
      const QByteArray& b = *static_cast<const QByteArray*>(v.constData());
      if (b.isNull()) return false;
      const size_t tail = buf.size();
      if (tail + size_t(b.size()) > std::numeric_limits<quint32>::max() / 2) return false;
      buf.resize(tail + size_t(b.size()));
      if (!b.isEmpty()) std::memcpy(buf.data() + tail, b.constData(), size_t(b.size()));
      Put<quint32>(buf.data() + at, quint32(tail));
      Put<quint32>(buf.data() + at + 4, quint32(b.size()));
      return true;
    }
    case TKind::Other:
      break;
  }
  return false;
}

void TRowStore::KeepBeside(std::vector<uchar>& buf, int i, const QVariant& v, std::vector<QVariant*>& kept) const {
  kept.reserve(kept.size() + 1);
  kept.push_back(new QVariant(v));
  Put<QVariant*>(buf.data() + mSlots[i].Offset, kept.back());
  SetBit(buf.data() + kHeader + mBitmapBytes, i);
}

// The block of its exact size; the values kept beside now belong to it.
uchar* TRowStore::Seal(std::vector<uchar>& buf, std::vector<QVariant*>& kept, bool pooled) {
  const size_t size = buf.size();
  const size_t room = (size + 7) & ~size_t(7);  // every block starts on 8 bytes
  uchar* row = nullptr;
  pooled = pooled && room <= kPooledAtMost;
  if (pooled) {
    if (mChunkLeft < room) {
      try {
        mChunks.reserve(mChunks.size() + 1);
        mChunkAt = static_cast<uchar*>(std::malloc(kChunkBytes));
      } catch (...) {
        mChunkAt = nullptr;
      }
      mChunkLeft = mChunkAt ? kChunkBytes : 0;
      if (mChunkAt) mChunks.push_back(mChunkAt);
    }
    row = mChunkAt;
  } else {
    row = static_cast<uchar*>(std::malloc(size));
  }
  if (!row) {
    for (QVariant* k : kept) delete k;
    kept.clear();
    throw std::bad_alloc();
  }
  if (pooled) {
    mChunkAt += room;
    mChunkLeft -= room;
  }
  Put<quint32>(buf.data() + 8, quint32(size) | (pooled ? kPooled : 0));
  std::memcpy(row, buf.data(), size);
  kept.clear();
  if (buf.capacity() > 1 << 20) std::vector<uchar>().swap(buf);  // a large blob's room is not kept
  return row;
}

uchar* TRowStore::Pack(const TRecord& r, bool pooled) {
  std::vector<uchar>& buf = tScratch;
  buf.assign(mFixedEnd, 0);
  Put<quint64>(buf.data(), r.Serial);
  const int n = SlotCount();
  std::vector<QVariant*> kept;  // values kept beside, freed if packing fails
  try {
    for (int i = 0; i < n; ++i) {
      if (i >= r.Values.size() || !r.Values[i].isValid())
        SetBit(buf.data() + kHeader, i);
      else if (!PackSlot(buf, i, r.Values[i]))
        KeepBeside(buf, i, r.Values[i], kept);
    }
  } catch (...) {
    for (QVariant* k : kept) delete k;
    throw;
  }
  return Seal(buf, kept, pooled);
}

void TRowStore::BeginRow(quint64 serial) {
  DropRow();
  mBuild.assign(mBlank.begin(), mBlank.end());
  Put<quint64>(mBuild.data(), serial);
  mBuilding = true;
}

void TRowStore::PutValue(int slot, const QVariant& v) {
  if (!v.isValid()) return;
  ClearBit(mBuild.data() + kHeader, slot);
  if (!PackSlot(mBuild, slot, v)) KeepBeside(mBuild, slot, v, mBuildKept);
}

bool TRowStore::PutInt(int slot, qint64 v) {
  if (mSlots[slot].Kind != TKind::Int) return false;
  ClearBit(mBuild.data() + kHeader, slot);
  Put<qint64>(mBuild.data() + mSlots[slot].Offset, v);
  return true;
}

bool TRowStore::PutFloat(int slot, double v) {
  if (mSlots[slot].Kind != TKind::Float) return false;
  ClearBit(mBuild.data() + kHeader, slot);
  Put<double>(mBuild.data() + mSlots[slot].Offset, v);
  return true;
}

bool TRowStore::PutDate(int slot, qint64 julianDay) {
  if (mSlots[slot].Kind != TKind::Date) return false;
  ClearBit(mBuild.data() + kHeader, slot);
  Put<qint64>(mBuild.data() + mSlots[slot].Offset, julianDay);
  return true;
}

bool TRowStore::PutMoment(int slot, qint64 msecsSinceEpoch, qint32 offsetSeconds) {
  if (mSlots[slot].Kind != TKind::Moment) return false;
  ClearBit(mBuild.data() + kHeader, slot);
  uchar* p = mBuild.data() + mSlots[slot].Offset;
  Put<qint64>(p, msecsSinceEpoch);
  Put<qint32>(p + 8, offsetSeconds);
  Put<qint32>(p + 12, offsetSeconds == 0 ? 1 : 2);  // a zero offset is UTC
  return true;
}

namespace {
bool Ascii(const uchar* p, qsizetype n) {
  qsizetype k = 0;
  quint64 any = 0;
  for (; k + 8 <= n; k += 8) any |= Load<quint64>(p + k);
  for (; k < n; ++k) any |= p[k];
  return !(any & 0x8080808080808080ULL);
}

bool Continues(uchar c) { return (c & 0xC0) == 0x80; }

// Well-formed UTF-8 as UTF-16 in out, and the units or'ed together; false
// for anything else (broken sequences, a leading byte-order mark, which the
// reading of a QString skips, non-characters): that takes the general way.
bool DecodeUtf8(const uchar* p, qsizetype n, std::vector<char16_t>& out, char16_t& any) {
  out.clear();
  any = 0;
  const uchar* end = p + n;
  while (p < end) {
    const uchar b = *p;
    char32_t c;
    if (b < 0x80) {
      c = b;
      p += 1;
    } else if (b >= 0xC2 && b <= 0xDF) {
      if (end - p < 2 || !Continues(p[1])) return false;
      c = char32_t(b & 0x1F) << 6 | (p[1] & 0x3F);
      p += 2;
    } else if (b >= 0xE0 && b <= 0xEF) {
      if (end - p < 3 || !Continues(p[1]) || !Continues(p[2])) return false;
      c = char32_t(b & 0x0F) << 12 | char32_t(p[1] & 0x3F) << 6 | (p[2] & 0x3F);
      if (c < 0x800 || (c >= 0xD800 && c <= 0xDFFF) || (c >= 0xFDD0 && c <= 0xFDEF) || (c & 0xFFFE) == 0xFFFE)
        return false;
      if (c == 0xFEFF && out.empty()) return false;
      p += 3;
    } else if (b >= 0xF0 && b <= 0xF4) {
      if (end - p < 4 || !Continues(p[1]) || !Continues(p[2]) || !Continues(p[3])) return false;
      c = char32_t(b & 0x07) << 18 | char32_t(p[1] & 0x3F) << 12 | char32_t(p[2] & 0x3F) << 6 | (p[3] & 0x3F);
      if (c < 0x10000 || c > 0x10FFFF || (c & 0xFFFE) == 0xFFFE) return false;
      p += 4;
    } else {
      return false;
    }
    if (c < 0x10000) {
      out.push_back(char16_t(c));
      any |= char16_t(c);
    } else {
      out.push_back(char16_t(0xD800 + ((c - 0x10000) >> 10)));
      out.push_back(char16_t(0xDC00 + ((c - 0x10000) & 0x3FF)));
      any |= 0xD800;
    }
  }
  return true;
}
}  // namespace

bool TRowStore::PutUtf8(int slot, const char* text, qsizetype n) {
  if (mSlots[slot].Kind != TKind::Text || n <= 0) return false;  // an empty text takes the general way
  const auto* p = reinterpret_cast<const uchar*>(text);
  const quint32 at = mSlots[slot].Offset;
  if (Ascii(p, n)) {
    uchar* o = TextRoom(mBuild, at, n, true);
    if (!o) return false;
    std::memcpy(o, p, size_t(n));
  } else {
    char16_t any = 0;
    if (!DecodeUtf8(p, n, mChars, any)) return false;
    const bool narrow = any < 0x100;
    const qsizetype chars = qsizetype(mChars.size());
    uchar* o = TextRoom(mBuild, at, chars, narrow);
    if (!o) return false;
    if (narrow)
      for (qsizetype k = 0; k < chars; ++k) o[k] = uchar(mChars[size_t(k)]);
    else
      std::memcpy(o, mChars.data(), size_t(chars) * 2);
    if (mChars.capacity() > 1 << 20) std::vector<char16_t>().swap(mChars);
  }
  ClearBit(mBuild.data() + kHeader, slot);
  return true;
}

void TRowStore::EndRow() {
  uchar* row = Seal(mBuild, mBuildKept, true);
  mBuilding = false;
  try {
    mRows.push_back(row);
  } catch (...) {
    Free(row);
    throw;
  }
}

void TRowStore::DropRow() {
  for (QVariant* k : mBuildKept) delete k;
  mBuildKept.clear();
  mBuilding = false;
}

QVariant TRowStore::Read(const uchar* row, int slot) const {
  if (Bit(row + kHeader, slot)) return QVariant();
  const uchar* p = row + mSlots[slot].Offset;
  if (Bit(row + kHeader + mBitmapBytes, slot)) return *Load<QVariant*>(p);
  switch (mSlots[slot].Kind) {
    case TKind::Int:
      return QVariant(Load<qint64>(p));
    case TKind::Float:
      return QVariant(Load<double>(p));
    case TKind::Bool:
      return QVariant(p[0] != 0);
    case TKind::Date:
      return QVariant(QDate::fromJulianDay(Load<qint64>(p)));
    case TKind::Time:
      return QVariant(QTime::fromMSecsSinceStartOfDay(int(Load<qint64>(p))));
    case TKind::Moment: {
      const qint64 a = Load<qint64>(p);
      const qint32 b = Load<qint32>(p + 8);
      switch (Load<qint32>(p + 12)) {
        case 1:
          return QVariant(QDateTime::fromMSecsSinceEpoch(a, Qt::UTC));
        case 2:
          return QVariant(QDateTime::fromMSecsSinceEpoch(a, Qt::OffsetFromUTC, b));
        default:
          return QVariant(QDateTime(QDate::fromJulianDay(a), QTime::fromMSecsSinceStartOfDay(b)));
      }
    }
    case TKind::Text: {
      const quint32 off = Load<quint32>(p), len = Load<quint32>(p + 4);
      if (len & kWide)
        return QVariant(QString(reinterpret_cast<const QChar*>(row + off), qsizetype(len & ~kWide)));
      return QVariant(QString::fromLatin1(reinterpret_cast<const char*>(row + off), qsizetype(len)));
    }
    case TKind::Bytes: {
      const quint32 off = Load<quint32>(p), len = Load<quint32>(p + 4);
      return QVariant(QByteArray(reinterpret_cast<const char*>(row + off), qsizetype(len)));
    }
    case TKind::Other:
      break;
  }
  return QVariant();
}

quint64 TRowStore::Serial(int row) const { return Load<quint64>(mRows[size_t(row)]); }

bool TRowStore::IsNull(int row, int slot) const {
  const uchar* r = mRows[size_t(row)];
  if (Bit(r + kHeader, slot)) return true;
  if (Bit(r + kHeader + mBitmapBytes, slot)) return Load<QVariant*>(r + mSlots[slot].Offset)->isNull();
  return false;
}

QVariant TRowStore::Value(int row, int slot) const { return Read(mRows[size_t(row)], slot); }

bool TRowStore::TextView(int row, int slot, QLatin1String& narrow, QStringView& chars, bool& wide) const {
  const uchar* r = mRows[size_t(row)];
  if (mSlots[slot].Kind != TKind::Text || Bit(r + kHeader, slot) || Bit(r + kHeader + mBitmapBytes, slot))
    return false;
  const uchar* p = r + mSlots[slot].Offset;
  const quint32 off = Load<quint32>(p), len = Load<quint32>(p + 4);
  wide = len & kWide;
  if (wide)
    chars = QStringView(reinterpret_cast<const QChar*>(r + off), qsizetype(len & ~kWide));
  else
    narrow = QLatin1String(reinterpret_cast<const char*>(r + off), qsizetype(len));
  return true;
}

void TRowStore::Unpack(int row, TRecord& out) const {
  const uchar* r = mRows[size_t(row)];
  out.Serial = Load<quint64>(r);
  if (out.Values.size() != SlotCount()) out.Values = QList<QVariant>(SlotCount());
  for (int i = 0; i < SlotCount(); ++i) out.Values[i] = Read(r, i);
}

TRecord TRowStore::Record(int row) const {
  TRecord r;
  Unpack(row, r);
  return r;
}

void TRowStore::Append(const TRecord& r) {
  uchar* row = Pack(r, true);
  try {
    mRows.push_back(row);
  } catch (...) {
    Free(row);
    throw;
  }
}

void TRowStore::Insert(int at, const TRecord& r) {
  uchar* row = Pack(r, false);
  try {
    mRows.insert(mRows.begin() + at, row);
  } catch (...) {
    Free(row);
    throw;
  }
}

void TRowStore::Assign(int row, const TRecord& r) {
  uchar* fresh = Pack(r, false);
  Free(mRows[size_t(row)]);
  mRows[size_t(row)] = fresh;
}

void TRowStore::Erase(int row) {
  Free(mRows[size_t(row)]);
  mRows.erase(mRows.begin() + row);
}

void TRowStore::Reorder(const std::vector<int>& order) {
  std::vector<uchar*> sorted;
  sorted.reserve(order.size());
  for (int i : order) sorted.push_back(mRows[size_t(i)]);
  mRows.swap(sorted);
}

int TRowStore::FindSerial(quint64 serial) const {
  for (size_t i = 0; i < mRows.size(); ++i)
    if (Load<quint64>(mRows[i]) == serial) return int(i);
  return -1;
}

size_t TRowStore::Bytes() const {
  size_t n = mRows.capacity() * sizeof(uchar*);
  for (const uchar* r : mRows) n += Load<quint32>(r + 8) & ~kPooled;
  return n;
}

}  // namespace Tarnwell
