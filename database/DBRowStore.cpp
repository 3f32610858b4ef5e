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

void TRowStore::SetLayout(const std::vector<TFieldType>& types) {
  clear();
  mSlots.clear();
  mBitmapBytes = quint32((types.size() + 7) / 8);
  quint32 at = (kHeader + 2 * mBitmapBytes + 7) & ~7u;
  for (TFieldType t : types) {
    TKind k = TKind::Other;
    switch (t) {
      case ftSmallint:
      case ftInteger:
      case ftWord:
      case ftAutoInc:
      case ftLargeint:
        k = TKind::Int;
        break;
      case ftFloat:
      case ftCurrency:
        k = TKind::Float;
        break;
      case ftBoolean:
        k = TKind::Bool;
        break;
      case ftDate:
        k = TKind::Date;
        break;
      case ftTime:
        k = TKind::Time;
        break;
      case ftDateTime:
        k = TKind::Moment;
        break;
      case ftBCD:  // exact text
        k = TKind::Text;
        break;
      default:
        if (IsTextFieldType(t))
          k = TKind::Text;
        else if (t == ftBytes || t == ftVarBytes || t == ftBlob || t == ftGraphic || t == ftOleObject ||
                 t == ftOleLink || t == ftTypedBinary)
          k = TKind::Bytes;
        break;
    }
    mSlots.push_back({k, at});
    at += k == TKind::Moment ? 16 : 8;
  }
  mFixedEnd = at;
}

void TRowStore::clear() {
  for (uchar* r : mRows) Free(r);
  mRows.clear();
  mRows.shrink_to_fit();
}

void TRowStore::Free(uchar* row) const {
  if (!row) return;
  const uchar* other = row + kHeader + mBitmapBytes;
  for (quint32 b = 0; b < mBitmapBytes; ++b) {
    if (!other[b]) continue;
    for (int i = int(b * 8); i < int(b * 8 + 8) && i < SlotCount(); ++i)
      if (Bit(other, i)) delete Load<QVariant*>(row + mSlots[i].Offset);
  }
  std::free(row);
}

uchar* TRowStore::Pack(const TRecord& r) const {
  std::vector<uchar>& buf = tScratch;
  buf.assign(mFixedEnd, 0);
  Put<quint64>(buf.data(), r.Serial);
  const int n = SlotCount();
  std::vector<QVariant*> kept;  // values kept beside, freed if packing fails
  try {
    for (int i = 0; i < n; ++i) {
      const quint32 at = mSlots[i].Offset;
      if (i >= r.Values.size() || !r.Values[i].isValid()) {
        SetBit(buf.data() + kHeader, i);
        continue;
      }
      const QVariant& v = r.Values[i];
      const int id = v.metaType().id();
      bool done = false;
      if (!v.isNull()) {
        switch (mSlots[i].Kind) {
          case TKind::Int:
            if ((done = id == QMetaType::LongLong)) Put<qint64>(buf.data() + at, *static_cast<const qint64*>(v.constData()));
            break;
          case TKind::Float:
            if ((done = id == QMetaType::Double)) Put<double>(buf.data() + at, *static_cast<const double*>(v.constData()));
            break;
          case TKind::Bool:
            if ((done = id == QMetaType::Bool)) buf[at] = *static_cast<const bool*>(v.constData()) ? 1 : 0;
            break;
          case TKind::Date:
            if (id == QMetaType::QDate) {
              const QDate d = *static_cast<const QDate*>(v.constData());
              if ((done = d.isValid())) Put<qint64>(buf.data() + at, d.toJulianDay());
            }
            break;
          case TKind::Time:
            if (id == QMetaType::QTime) {
              const QTime t = *static_cast<const QTime*>(v.constData());
              if ((done = t.isValid())) Put<qint64>(buf.data() + at, t.msecsSinceStartOfDay());
            }
            break;
          case TKind::Moment:
            if (id == QMetaType::QDateTime) {
              const QDateTime& dt = *static_cast<const QDateTime*>(v.constData());
              if (!dt.isValid()) break;
              switch (dt.timeSpec()) {
                case Qt::UTC:
                case Qt::OffsetFromUTC:
                  Put<qint64>(buf.data() + at, dt.toMSecsSinceEpoch());
                  Put<qint32>(buf.data() + at + 8, dt.offsetFromUtc());
                  Put<qint32>(buf.data() + at + 12, dt.timeSpec() == Qt::UTC ? 1 : 2);
                  done = true;
                  break;
                case Qt::LocalTime: {
                  // The wall clock, as typed; kept so only when it gives back
                  // the same moment (not in the repeated hour of autumn).
                  const QDate d = dt.date();
                  const QTime t = dt.time();
                  const QDateTime again(d, t);
                  if (again.toMSecsSinceEpoch() != dt.toMSecsSinceEpoch() || again.time() != t ||
                      again.date() != d)
                    break;
                  Put<qint64>(buf.data() + at, d.toJulianDay());
                  Put<qint32>(buf.data() + at + 8, t.msecsSinceStartOfDay());
                  Put<qint32>(buf.data() + at + 12, 3);
                  done = true;
                  break;
                }
                default:
                  break;
              }
            }
            break;
          case TKind::Text:
            if (id == QMetaType::QString) {
              const QString& s = *static_cast<const QString*>(v.constData());
              if (s.isNull()) break;
              const bool narrow = Latin1(s);
              const size_t bytes = size_t(s.size()) * (narrow ? 1 : 2);
              if (!narrow && buf.size() % 2) buf.push_back(0);  // characters of two bytes start even
              const size_t tail = buf.size();
              if (tail + bytes > std::numeric_limits<quint32>::max() / 2) break;
              buf.resize(tail + bytes);
              if (narrow) {
                const char16_t* p = reinterpret_cast<const char16_t*>(s.constData());
                uchar* o = buf.data() + tail;
                for (qsizetype k = 0; k < s.size(); ++k) o[k] = uchar(p[k]);
              } else {
                std::memcpy(buf.data() + tail, s.constData(), bytes);
              }
              Put<quint32>(buf.data() + at, quint32(tail));
              Put<quint32>(buf.data() + at + 4, quint32(s.size()) | (narrow ? 0 : kWide));
              done = true;
            }
            break;
          case TKind::Bytes:
            if (id == QMetaType::QByteArray) {
              const QByteArray& b = *static_cast<const QByteArray*>(v.constData());
              if (b.isNull()) break;
              const size_t tail = buf.size();
              if (tail + size_t(b.size()) > std::numeric_limits<quint32>::max() / 2) break;
              buf.resize(tail + size_t(b.size()));
              if (!b.isEmpty()) std::memcpy(buf.data() + tail, b.constData(), size_t(b.size()));
              Put<quint32>(buf.data() + at, quint32(tail));
              Put<quint32>(buf.data() + at + 4, quint32(b.size()));
              done = true;
            }
            break;
          case TKind::Other:
            break;
        }
      }
      if (!done) {
        kept.push_back(new QVariant(v));
        Put<QVariant*>(buf.data() + at, kept.back());
        SetBit(buf.data() + kHeader + mBitmapBytes, i);
      }
    }
  } catch (...) {
    for (QVariant* k : kept) delete k;
    throw;
  }
  Put<quint32>(buf.data() + 8, quint32(buf.size()));
  auto* row = static_cast<uchar*>(std::malloc(buf.size()));
  if (!row) {
    for (QVariant* k : kept) delete k;
    throw std::bad_alloc();
  }
  std::memcpy(row, buf.data(), buf.size());
  if (buf.capacity() > 1 << 20) std::vector<uchar>().swap(buf);  // a large blob's room is not kept
  return row;
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
  uchar* row = Pack(r);
  try {
    mRows.push_back(row);
  } catch (...) {
    Free(row);
    throw;
  }
}

void TRowStore::Insert(int at, const TRecord& r) {
  uchar* row = Pack(r);
  try {
    mRows.insert(mRows.begin() + at, row);
  } catch (...) {
    Free(row);
    throw;
  }
}

void TRowStore::Assign(int row, const TRecord& r) {
  uchar* fresh = Pack(r);
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
  for (const uchar* r : mRows) n += Load<quint32>(r + 8);
  return n;
}

}  // namespace Tarnwell
