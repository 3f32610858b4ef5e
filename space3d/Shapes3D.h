#pragma once
// Generated meshes: the demonstration model, test scenes and benchmarks.

#include <QString>
#include <memory>
#include <vector>

#include "Engine3D.h"
#include <Tarnwell/TarnwellExport.h>

namespace Tarnwell {

// A named mesh: vertices and the faces that join them.
struct TARNWELL_SPACE3DENGINE_EXPORT TMesh3D {
  QString Name;
  std::vector<TVertex3D> Vertices;
  std::vector<TFaceVert3D> Faces;
  void Translate(float dx, float dy, float dz);
  // A visible object holding this mesh (world = local).
  std::unique_ptr<TObject3D> ToObject() const;
};

// A UV sphere with about `faces` triangles (at least 8), centred on the origin.
TARNWELL_SPACE3DENGINE_EXPORT TMesh3D MakeSphere3D(const QString& name, float radius, int faces);
// A ring around the Y axis.
TARNWELL_SPACE3DENGINE_EXPORT TMesh3D MakeTorus3D(const QString& name, float major, float minor, int rings, int sides);
// An axis-aligned box of the given half extents.
TARNWELL_SPACE3DENGINE_EXPORT TMesh3D MakeBox3D(const QString& name, float hx, float hy, float hz);
// A cone along +Y from its base at y = 0.
TARNWELL_SPACE3DENGINE_EXPORT TMesh3D MakeCone3D(const QString& name, float radius, float height, int sides);
// The meshes of the demonstration model "Demo.DDD".
TARNWELL_SPACE3DENGINE_EXPORT std::vector<TMesh3D> MakeDemoModel3D();

}  // namespace Tarnwell
