#pragma once
// Flat item lists of the 3D space: a counted block of fixed-size items.
// Reading past the end gives an all-zero item, so that code walking a list
// with a stale count never reads foreign memory.

#include <cstddef>
#include <cstdint>
#include <memory>
#include <Tarnwell/TarnwellExport.h>

namespace Tarnwell {

// A point of a 3D object, in the object's units.
struct TARNWELL_SPACE3DENGINE_EXPORT TVertex3D {
  float X = 0, Y = 0, Z = 0;
};
static_assert(sizeof(TVertex3D) == 12);

// A, B, C index vertices of the same object.
struct TARNWELL_SPACE3DENGINE_EXPORT TFaceVert3D {
  std::uint16_t A = 0, B = 0, C = 0, Flags = 0;
};
static_assert(sizeof(TFaceVert3D) == 8);

// The base of the 3D lists: a block of Count items of one size, copied in and out by index.
class TARNWELL_SPACE3DENGINE_EXPORT TGeneric3DList {
 public:
  TGeneric3DList() = default;
  virtual ~TGeneric3DList() = default;
  TGeneric3DList(const TGeneric3DList&) = delete;
  TGeneric3DList& operator=(const TGeneric3DList&) = delete;

  int Count() const { return mCount; }
  // Replaces the contents by count items of itemSize bytes, copied from
  // source when given, zero-filled otherwise. A count of 0 or less, or a
  // block that cannot be allocated, leaves the list empty.
  void SetData(const void* source, int count, int itemSize);
  // Copies one item in when index is inside the list.
  void SetItem(int index, const void* source, int itemSize);
  // The item's bytes, or nullptr outside the list.
  const void* ItemPtr(int index) const;
  void* ItemPtr(int index);
  void Clear();

 protected:
  std::unique_ptr<std::byte[]> mData;
  int mCount = 0;
  int mItemSize = 0;
};

// The vertices of a 3D object.
class TARNWELL_SPACE3DENGINE_EXPORT TVertex3DList : public TGeneric3DList {
 public:
  TVertex3D GetItem(int index) const;
  void SetItem(int index, const TVertex3D& v) { TGeneric3DList::SetItem(index, &v, sizeof(TVertex3D)); }
  // Direct access for the engine's loops; nullptr when empty.
  TVertex3D* Data() { return mCount ? reinterpret_cast<TVertex3D*>(mData.get()) : nullptr; }
  const TVertex3D* Data() const { return mCount ? reinterpret_cast<const TVertex3D*>(mData.get()) : nullptr; }
};

// The faces of a 3D object: triangles of three vertex indexes (TFaceVert3D).
class TARNWELL_SPACE3DENGINE_EXPORT TFaceVert3DList : public TGeneric3DList {
 public:
  TFaceVert3D GetItem(int index) const;
  void SetItem(int index, const TFaceVert3D& f) { TGeneric3DList::SetItem(index, &f, sizeof(TFaceVert3D)); }
  const TFaceVert3D* Data() const {
    return mCount ? reinterpret_cast<const TFaceVert3D*>(mData.get()) : nullptr;
  }
};

// Face parameters: declared for the object layout, never filled.
class TARNWELL_SPACE3DENGINE_EXPORT TFacePara3DList : public TGeneric3DList {};

}  // namespace Tarnwell
