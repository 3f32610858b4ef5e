#include "Shapes3D.h"

#include <algorithm>
#include <cmath>
#include <numbers>

namespace Tarnwell {

namespace {
constexpr float kPi = std::numbers::pi_v<float>;
TFaceVert3D Tri(int a, int b, int c) { return {std::uint16_t(a), std::uint16_t(b), std::uint16_t(c), 7}; }
}  // namespace

void TMesh3D::Translate(float dx, float dy, float dz) {
  for (TVertex3D& v : Vertices) {
    v.X += dx;
    v.Y += dy;
    v.Z += dz;
  }
}

std::unique_ptr<TObject3D> TMesh3D::ToObject() const {
  auto o = std::make_unique<TObject3D>();
  o->ObjectName = Name;
  o->SetVertices(Vertices.data(), int(Vertices.size()));
  o->SetFaces(Faces.data(), int(Faces.size()));
  o->Visible = true;
  return o;
}

TMesh3D MakeSphere3D(const QString& name, float radius, int faces) {
  // 2 * slices * (stacks - 1) faces with slices = 2 * (stacks - 1).
  const int bands = std::max(2, int(std::lround(std::sqrt(std::max(faces, 8) / 4.0))));
  const int stacks = bands + 1, slices = 2 * bands;
  TMesh3D m;
  m.Name = name;
  m.Vertices.push_back({0, radius, 0});
  for (int t = 1; t < stacks; ++t) {
    const float phi = kPi * float(t) / float(stacks);
    for (int s = 0; s < slices; ++s) {
      const float theta = 2 * kPi * float(s) / float(slices);
      m.Vertices.push_back({radius * std::sin(phi) * std::cos(theta), radius * std::cos(phi),
                            radius * std::sin(phi) * std::sin(theta)});
    }
  }
  const int bottom = int(m.Vertices.size());
  m.Vertices.push_back({0, -radius, 0});
  auto ring = [&](int t, int s) { return 1 + (t - 1) * slices + (s % slices); };
  for (int s = 0; s < slices; ++s) m.Faces.push_back(Tri(0, ring(1, s + 1), ring(1, s)));
  for (int t = 1; t < stacks - 1; ++t)
    for (int s = 0; s < slices; ++s) {
      m.Faces.push_back(Tri(ring(t, s), ring(t, s + 1), ring(t + 1, s)));
      m.Faces.push_back(Tri(ring(t, s + 1), ring(t + 1, s + 1), ring(t + 1, s)));
    }
  for (int s = 0; s < slices; ++s)
    m.Faces.push_back(Tri(bottom, ring(stacks - 1, s), ring(stacks - 1, s + 1)));
  return m;
}

TMesh3D MakeTorus3D(const QString& name, float major, float minor, int rings, int sides) {
  TMesh3D m;
  m.Name = name;
  for (int r = 0; r < rings; ++r) {
    const float u = 2 * kPi * float(r) / float(rings);
    for (int s = 0; s < sides; ++s) {
      const float v = 2 * kPi * float(s) / float(sides);
      const float d = major + minor * std::cos(v);
      m.Vertices.push_back({d * std::cos(u), minor * std::sin(v), d * std::sin(u)});
    }
  }
  auto at = [&](int r, int s) { return (r % rings) * sides + (s % sides); };
  for (int r = 0; r < rings; ++r)
    for (int s = 0; s < sides; ++s) {
      // Counter-clockwise seen from outside, as the other shapes.
      m.Faces.push_back(Tri(at(r, s), at(r, s + 1), at(r + 1, s)));
      m.Faces.push_back(Tri(at(r + 1, s), at(r, s + 1), at(r + 1, s + 1)));
    }
  return m;
}

TMesh3D MakeBox3D(const QString& name, float hx, float hy, float hz) {
  TMesh3D m;
  m.Name = name;
  for (int i = 0; i < 8; ++i)
    m.Vertices.push_back({(i & 1) ? hx : -hx, (i & 2) ? hy : -hy, (i & 4) ? hz : -hz});
  const int quads[6][4] = {{0, 1, 3, 2}, {4, 6, 7, 5}, {0, 4, 5, 1},
                           {2, 3, 7, 6}, {0, 2, 6, 4}, {1, 5, 7, 3}};
  // The quads above run clockwise seen from outside; the faces are wound
  // the other way, as in the other shapes and in the files we read, so that
  // back-face culling keeps the outside.
  for (const auto& q : quads) {
    m.Faces.push_back(Tri(q[0], q[2], q[1]));
    m.Faces.push_back(Tri(q[0], q[3], q[2]));
  }
  return m;
}

TMesh3D MakeCone3D(const QString& name, float radius, float height, int sides) {
  // The sides are cut into bands, so that the depth sort sees short faces.
  constexpr int kBands = 5;
  TMesh3D m;
  m.Name = name;
  m.Vertices.push_back({0, height, 0});
  m.Vertices.push_back({0, 0, 0});
  for (int b = 1; b <= kBands; ++b) {
    const float t = float(b) / kBands;
    for (int s = 0; s < sides; ++s) {
      const float a = 2 * kPi * float(s) / float(sides);
      m.Vertices.push_back({radius * t * std::cos(a), height * (1 - t), radius * t * std::sin(a)});
    }
  }
  auto ring = [&](int b, int s) { return 2 + (b - 1) * sides + (s % sides); };
  for (int s = 0; s < sides; ++s) {
    m.Faces.push_back(Tri(0, ring(1, s + 1), ring(1, s)));
    for (int b = 1; b < kBands; ++b) {
      m.Faces.push_back(Tri(ring(b, s), ring(b, s + 1), ring(b + 1, s)));
      m.Faces.push_back(Tri(ring(b, s + 1), ring(b + 1, s + 1), ring(b + 1, s)));
    }
    m.Faces.push_back(Tri(1, ring(kBands, s), ring(kBands, s + 1)));
  }
  return m;
}

std::vector<TMesh3D> MakeDemoModel3D() {
  // A small spinning-top gadget: a ring around a core, four fins, a spire and a base.
  std::vector<TMesh3D> meshes;
  meshes.push_back(MakeTorus3D(QStringLiteral("Anello"), 110, 18, 36, 12));
  meshes.push_back(MakeSphere3D(QStringLiteral("Nucleo"), 55, 400));
  TMesh3D spire = MakeCone3D(QStringLiteral("Guglia"), 24, 95, 16);
  spire.Translate(0, 45, 0);
  meshes.push_back(spire);
  TMesh3D base = MakeCone3D(QStringLiteral("Base"), 40, -70, 16);
  base.Translate(0, -45, 0);
  meshes.push_back(base);
  for (int i = 0; i < 4; ++i) {
    TMesh3D fin = MakeBox3D(QStringLiteral("Aletta%1").arg(i + 1), 28, 4, 4);
    const float a = kPi / 2 * float(i);
    for (TVertex3D& v : fin.Vertices) {
      const float x = v.X + 80, z = v.Z;
      v.X = x * std::cos(a) - z * std::sin(a);
      v.Z = x * std::sin(a) + z * std::cos(a);
    }
    meshes.push_back(fin);
  }
  // Tilted towards the viewer, so that the ring shows its face from the start.
  const float tilt = 25 * kPi / 180, scale = 1.3f;
  for (TMesh3D& m : meshes)
    for (TVertex3D& v : m.Vertices) {
      const float y = v.Y, z = v.Z;
      v = {v.X * scale, (y * std::cos(tilt) + z * std::sin(tilt)) * scale,
           (-y * std::sin(tilt) + z * std::cos(tilt)) * scale};
    }
  return meshes;
}

}  // namespace Tarnwell
