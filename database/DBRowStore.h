#pragma once
// The records a dataset holds, kept compactly: one block of bytes per record
// with a fixed slot of eight bytes for every field (a moment has sixteen),
// numbers, dates and times held as such, texts and blobs at the block's end
// reached through their slot's offset and length, and blanks as bits. A value
// of another kind than its field's (a text the engine kept in a date column,
// PostgreSQL's `infinity`) is kept whole beside the block. Every value comes
// back exactly as it was put in, type included.

#include <QLatin1String>
#include <QStringView>
#include <QVariant>
#include <vector>

#include "DBTypes.h"
#include <Tarnwell/TarnwellExport.h>

namespace Tarnwell {

// The records of an open dataset in memory, packed slot by slot by field type; each row
// keeps the serial number its bookmarks name.
class TARNWELL_DATABASE_EXPORT TRowStore {
 public:
  // How a slot keeps its values.
  enum class TKind : quint8 { Int, Float, Bool, Date, Time, Moment, Text, Bytes, Other };
  // The kind of slot a field of type t gets.
  static TKind KindOf(TFieldType t);

  TRowStore() = default;
  ~TRowStore();
  TRowStore(const TRowStore&) = delete;
  TRowStore& operator=(const TRowStore&) = delete;

  // The field type of every slot (data fields, then calculated ones). Only
  // while the store is empty.
  void SetLayout(const std::vector<TFieldType>& types);
  int SlotCount() const { return int(mSlots.size()); }
  TKind SlotKind(int slot) const { return mSlots[size_t(slot)].Kind; }

  int size() const { return int(mRows.size()); }
  bool empty() const { return mRows.empty(); }
  void clear();

  quint64 Serial(int row) const;
  bool IsNull(int row, int slot) const;
  QVariant Value(int row, int slot) const;
  // The record with every slot (out's list is reused when it has the size).
  void Unpack(int row, TRecord& out) const;
  // The characters of a text slot where they are kept, without a copy: in
  // `narrow` (one byte each) or, with `wide` set, in `chars`. False for a
  // blank, a value kept whole, or a slot of another kind.
  bool TextView(int row, int slot, QLatin1String& narrow, QStringView& chars, bool& wide) const;
  TRecord Record(int row) const;

  // The record's serial goes with it; slots beyond its values are blank.
  void Append(const TRecord& r);
  void Insert(int at, const TRecord& r);
  void Assign(int row, const TRecord& r);
  void Erase(int row);
  // Row k becomes the former row order[k]; order is a permutation.
  void Reorder(const std::vector<int>& order);
  // -1 when no row has that serial.
  int FindSerial(quint64 serial) const;

  // Bytes held for the records (blocks, values kept beside, the index).
  size_t Bytes() const;

  // A record appended slot by slot, kept exactly as Append keeps the record
  // of the same values, without making one: BeginRow, a Put for slots in
  // their order (a slot not put is blank), then EndRow (or DropRow). A Put of
  // one kind puts nothing and answers false for a slot of another kind or a
  // value it could not keep as PutValue would.
  void BeginRow(quint64 serial);
  void PutValue(int slot, const QVariant& v);
  bool PutInt(int slot, qint64 v);
  bool PutFloat(int slot, double v);
  bool PutDate(int slot, qint64 julianDay);
  // A moment with an offset from UTC (a UTC moment at offset 0).
  bool PutMoment(int slot, qint64 msecsSinceEpoch, qint32 offsetSeconds);
  // A text as QString::fromUtf8 would read it.
  bool PutUtf8(int slot, const char* p, qsizetype n);
  void EndRow();
  void DropRow();

 private:
  struct TSlot {
    TKind Kind;
    quint32 Offset;
  };
  uchar* Pack(const TRecord& r, bool pooled);
  // Puts a valid value in slot i of the block being built; false when it is
  // to be kept beside.
  bool PackSlot(std::vector<uchar>& buf, int i, const QVariant& v) const;
  void KeepBeside(std::vector<uchar>& buf, int i, const QVariant& v, std::vector<QVariant*>& kept) const;
  // The block of buf, from the arena when `pooled` and it is small enough.
  uchar* Seal(std::vector<uchar>& buf, std::vector<QVariant*>& kept, bool pooled);
  bool PutText(int slot, const char16_t* p, qsizetype n, bool narrow);
  void Free(uchar* row) const;
  QVariant Read(const uchar* row, int slot) const;

  std::vector<TSlot> mSlots;
  quint32 mBitmapBytes = 0;
  quint32 mFixedEnd = 0;  // where the tail of a block begins
  std::vector<uchar*> mRows;
  // Blocks of rows read in bulk are cut from large chunks, freed together by
  // clear(): one allocation for hundreds of rows. A row cut from them that is
  // erased or replaced leaves its room unused until then.
  std::vector<uchar*> mChunks;
  uchar* mChunkAt = nullptr;
  size_t mChunkLeft = 0;
  std::vector<uchar> mBlank;  // a block with every slot blank
  // The record being built by BeginRow .. EndRow, and its values kept beside.
  std::vector<uchar> mBuild;
  std::vector<QVariant*> mBuildKept;
  std::vector<char16_t> mChars;  // a text being read from UTF-8
  bool mBuilding = false;
};

// One record wherever it is kept: a row of a store, or a record being built.
// What filters read.
class TARNWELL_DATABASE_EXPORT TRecordRef {
 public:
  TRecordRef(const TRecord& r) : mRecord(&r) {}  // NOLINT: a record is a record reference
  TRecordRef(const TRowStore& s, int row) : mStore(&s), mRow(row) {}
  QVariant Value(int slot) const {
    if (mRecord) return slot >= 0 && slot < mRecord->Values.size() ? mRecord->Values[slot] : QVariant();
    return slot >= 0 && slot < mStore->SlotCount() ? mStore->Value(mRow, slot) : QVariant();
  }
  bool TextView(int slot, QLatin1String& narrow, QStringView& chars, bool& wide) const {
    return mStore && slot >= 0 && slot < mStore->SlotCount() && mStore->TextView(mRow, slot, narrow, chars, wide);
  }
  bool IsNull(int slot) const {
    if (mRecord) return slot < 0 || slot >= mRecord->Values.size() || mRecord->Values[slot].isNull();
    return slot < 0 || slot >= mStore->SlotCount() || mStore->IsNull(mRow, slot);
  }

 private:
  const TRecord* mRecord = nullptr;
  const TRowStore* mStore = nullptr;
  int mRow = -1;
};

}  // namespace Tarnwell
