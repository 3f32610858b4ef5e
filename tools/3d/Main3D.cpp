// tarnwell-3d: lists the meshes of a 3D Studio model file, renders it with
// the software engine, or writes the demonstration model.
//
//   tarnwell-3d info FILE.3ds
//   tarnwell-3d render FILE.3ds OUT.png [--level 0..6] [--size WxH] [--rotate X,Y,Z] [--ambient R,G,B]
//                      [--cull]
//     (level 6, the depth buffer lit by an ambient share and a directional
//     light, is the default, and its light is white; for the levels 3 to 5
//     the ambient light defaults to black, so that their depth shading shows)
//   tarnwell-3d demo OUT.DDD

#include <QCoreApplication>
#include <QImage>
#include <QRegularExpression>
#include <QTextStream>
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <limits>
#include <numbers>

#include <Tarnwell/platform/TFileWriter.h>
#include <Tarnwell/space3d/Loader3D.h>
#include <Tarnwell/space3d/Shapes3D.h>

using namespace Tarnwell;

namespace {

QTextStream& Out() {
  static QTextStream s(stdout);
  return s;
}
QTextStream& Err() {
  static QTextStream s(stderr);
  return s;
}

int Usage() {
  Err() << "uso: tarnwell-3d info FILE.3ds\n"
           "     tarnwell-3d render FILE.3ds OUT.png [--level 0..6] [--size WxH] [--rotate X,Y,Z]"
           " [--ambient R,G,B] [--cull]\n"
           "     tarnwell-3d demo OUT.DDD\n";
  Err().flush();
  return 2;
}

// Loads the file; prints what went wrong and returns false when it is
// unreadable or damaged (the complete meshes stay in the list).
bool Load(const QString& file, TObject3DList& list, TObject3D& root) {
  TLoader3DFile loader;
  try {
    loader.Load3DFile(file, list, &root);
  } catch (const ETarnwellError& e) {
    Err() << e.Message() << "\n";
    return false;
  }
  if (loader.Damaged()) {
    Err() << file << ": " << loader.Problems().first() << "\n";
    for (int i = 1; i < loader.Problems().size(); ++i) Err() << "  " << loader.Problems()[i] << "\n";
    return false;
  }
  return true;
}

int Info(const QString& file) {
  TObject3DList list;
  TObject3D root;
  const bool ok = Load(file, list, root);
  long long v = 0, f = 0;
  for (const auto& o : list) {
    Out() << o->ObjectName << '\t' << o->LocalVertices.Count() << '\t' << o->Faces.Count() << '\n';
    v += o->LocalVertices.Count();
    f += o->Faces.Count();
  }
  Out() << "total\t" << v << '\t' << f << '\n';
  return ok ? 0 : 1;
}

// Centres the model on the origin and scales it so that it fills about
// three fifths of the smaller side of the picture (the camera sits at -20,
// where the engine's perspective halves sizes at Z = 0).
void FitToView(TObject3DList& list, int width, int height) {
  float lo[3] = {std::numeric_limits<float>::max(), std::numeric_limits<float>::max(),
                 std::numeric_limits<float>::max()};
  float hi[3] = {-lo[0], -lo[0], -lo[0]};
  for (const auto& o : list)
    for (int i = 0; i < o->LocalVertices.Count(); ++i) {
      const TVertex3D v = o->LocalVertices.GetItem(i);
      const float c[3] = {v.X, v.Y, v.Z};
      for (int k = 0; k < 3; ++k) {
        lo[k] = std::min(lo[k], c[k]);
        hi[k] = std::max(hi[k], c[k]);
      }
    }
  if (lo[0] > hi[0]) return;
  const double centre[3] = {(double(lo[0]) + hi[0]) / 2, (double(lo[1]) + hi[1]) / 2,
                            (double(lo[2]) + hi[2]) / 2};
  double radius = 0;
  for (int k = 0; k < 3; ++k) radius = std::max(radius, (double(hi[k]) - lo[k]) / 2);
  const double scale = radius > 0 ? 0.6 * std::min(width, height) / radius : 1;
  for (const auto& o : list) {
    TVertex3D* v = o->LocalVertices.Data();
    for (int i = 0; i < o->LocalVertices.Count(); ++i)
      v[i] = {float((v[i].X - centre[0]) * scale), float((v[i].Y - centre[1]) * scale),
              float((v[i].Z - centre[2]) * scale)};
  }
}

int Render(const QStringList& args) {
  if (args.size() < 2) return Usage();
  const QString file = args[0], out = args[1];
  int level = rlZBuffered, width = 640, height = 480;
  double angle[3] = {0, 0, 0};
  TColor ambient = clBlack;
  bool ambientGiven = false, cull = false;
  for (int i = 2; i < args.size(); ++i) {
    const QString& a = args[i];
    if (a == "--cull") {
      cull = true;
      continue;
    }
    if (i + 1 >= args.size()) return Usage();
    const QString value = args[++i];
    bool ok = false;
    if (a == "--level") {
      level = value.toInt(&ok);
      if (!ok || level < 0 || level > rlLastLevel) {
        Err() << "livello non valido: " << value << " (0..6)\n";
        return 2;
      }
    } else if (a == "--size") {
      const auto m = QRegularExpression(R"(^(\d{1,5})x(\d{1,5})$)").match(value);
      width = m.captured(1).toInt();
      height = m.captured(2).toInt();
      if (!m.hasMatch() || width < 1 || height < 1 || width > 16384 || height > 16384) {
        Err() << "dimensione non valida: " << value << " (LxA, fino a 16384x16384)\n";
        return 2;
      }
    } else if (a == "--rotate") {
      const QStringList p = value.split(',');
      bool okAll = p.size() == 3;
      for (int k = 0; okAll && k < 3; ++k) {
        angle[k] = p[k].toDouble(&okAll);
        okAll = okAll && std::isfinite(angle[k]);
      }
      if (!okAll) {
        Err() << "rotazione non valida: " << value << " (X,Y,Z in gradi)\n";
        return 2;
      }
    } else if (a == "--ambient") {
      const QStringList p = value.split(',');
      bool okAll = p.size() == 3;
      int c[3] = {0, 0, 0};
      for (int k = 0; okAll && k < 3; ++k) {
        c[k] = p[k].toInt(&okAll);
        okAll = okAll && c[k] >= 0 && c[k] <= 255;
      }
      if (!okAll) {
        Err() << "luce ambiente non valida: " << value << " (R,G,B da 0 a 255)\n";
        return 2;
      }
      ambient = RGB(c[0], c[1], c[2]);
      ambientGiven = true;
    } else {
      return Usage();
    }
  }
  TObject3DList list;
  TObject3D root;
  // A refused model leaves an existing picture as it is.
  if (!Load(file, list, root)) return 1;
  FitToView(list, width, height);
  constexpr double kRad = std::numbers::pi / 180;
  for (const auto& o : list) {
    o->Visible = true;
    if (angle[0]) o->RotateX(float(std::cos(angle[0] * kRad)), float(std::sin(angle[0] * kRad)));
    if (angle[1]) o->RotateY(float(std::cos(angle[1] * kRad)), float(std::sin(angle[1] * kRad)));
    if (angle[2]) o->RotateZ(float(std::cos(angle[2] * kRad)), float(std::sin(angle[2] * kRad)));
    o->UpdateWorld();
  }
  TEngine3D engine;
  engine.SetCamera(0, 0, -20);
  // The lit level takes the ambient setting as its light's colour.
  if (level == rlZBuffered && !ambientGiven) ambient = clWhite;
  engine.SetAmbient(ambient);
  engine.SetCullBackFaces(cull);
  engine.PrepareScene(list);
  engine.Render(width, height, level);
  TFileWriter picture(out);
  if (!picture.open() || !engine.Image().save(&picture, "PNG") || !picture.Commit()) {
    Err() << "impossibile scrivere " << out << ": " << picture.errorString() << "\n";
    return 1;
  }
  return 0;
}

int Demo(const QStringList& args) {
  if (args.size() != 1) return Usage();
  TWriter3DFile w;
  for (const TMesh3D& m : MakeDemoModel3D()) w.AddMesh(m.Name, m.Vertices, m.Faces);
  try {
    w.SaveToFile(args[0]);
  } catch (const ETarnwellError& e) {
    Err() << e.Message() << "\n";
    return 1;
  }
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  QCoreApplication app(argc, argv);
  QStringList args = app.arguments().mid(1);
  if (args.isEmpty()) return Usage();
  const QString cmd = args.takeFirst();
  int rc;
  if (cmd == "info" && args.size() == 1)
    rc = Info(args[0]);
  else if (cmd == "render")
    rc = Render(args);
  else if (cmd == "demo")
    rc = Demo(args);
  else
    rc = Usage();
  Out().flush();
  Err().flush();
  return rc;
}
