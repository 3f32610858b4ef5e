#include "DtType3D.h"

#include <cstring>
#include <new>

namespace Tarnwell {

void TGeneric3DList::SetData(const void* source, int count, int itemSize) {
  mCount = 0;
  if (count <= 0 || itemSize <= 0) {
    Clear();
    return;
  }
  mData.reset();
  const std::size_t bytes = std::size_t(count) * std::size_t(itemSize);
  std::byte* block = new (std::nothrow) std::byte[bytes];
  if (!block) return;
  if (source)
    std::memcpy(block, source, bytes);
  else
    std::memset(block, 0, bytes);
  mData.reset(block);
  mItemSize = itemSize;
  mCount = count;
}

void TGeneric3DList::SetItem(int index, const void* source, int itemSize) {
  if (index < 0 || index >= mCount || !source || itemSize != mItemSize) return;
  std::memcpy(mData.get() + std::size_t(index) * std::size_t(mItemSize), source, std::size_t(itemSize));
}

const void* TGeneric3DList::ItemPtr(int index) const {
  if (index < 0 || index >= mCount) return nullptr;
  return mData.get() + std::size_t(index) * std::size_t(mItemSize);
}

void* TGeneric3DList::ItemPtr(int index) {
  if (index < 0 || index >= mCount) return nullptr;
  return mData.get() + std::size_t(index) * std::size_t(mItemSize);
}

void TGeneric3DList::Clear() {
  mData.reset();
  mCount = 0;
  mItemSize = 0;
}

TVertex3D TVertex3DList::GetItem(int index) const {
  const void* p = ItemPtr(index);
  TVertex3D v;
  if (p) std::memcpy(&v, p, sizeof v);
  return v;
}

TFaceVert3D TFaceVert3DList::GetItem(int index) const {
  const void* p = ItemPtr(index);
  TFaceVert3D f;
  if (p) std::memcpy(&f, p, sizeof f);
  return f;
}

}  // namespace Tarnwell
