// Fuzz target of the model reader: any bytes go through the reader, and
// whatever meshes it keeps go through every render level of the engine.
#include <QByteArray>
#include <cstddef>
#include <cstdint>

#include <Tarnwell/space3d/Engine3D.h>
#include <Tarnwell/space3d/Loader3D.h>

using namespace Tarnwell;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const QByteArray bytes = QByteArray::fromRawData(reinterpret_cast<const char*>(data), qsizetype(size));
  TObject3DList list;
  TObject3D root;
  TLoader3DFile loader;
  const int count = loader.LoadFromMemory(bytes, list, &root);
  if (count != int(list.size())) __builtin_trap();
  for (const auto& o : list) {
    // Every kept mesh is complete and consistent.
    if (o->LocalVertices.Count() <= 0 || o->Faces.Count() <= 0) __builtin_trap();
    for (int i = 0; i < o->Faces.Count(); ++i) {
      const TFaceVert3D f = o->Faces.GetItem(i);
      if (f.A >= o->LocalVertices.Count() || f.B >= o->LocalVertices.Count() ||
          f.C >= o->LocalVertices.Count())
        __builtin_trap();
    }
    o->Visible = true;
    o->RotateX(0.8f, 0.6f);
    o->UpdateWorld();
  }
  if (count > 0) {
    TEngine3D engine;
    engine.PrepareScene(list);
    for (int level = 0; level <= 5; ++level) engine.Render(48, 36, level);
  }
  return 0;
}
