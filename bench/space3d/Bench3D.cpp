// Rendering and loading speed of the 3D space.
//
// Render: generated spheres of 1 000, 20 000 and 100 000 faces at 640x480
// and 1280x1024 on every level, rotating between frames; counters give
// frames/s, faces/s, the split project/sort/draw per frame and the share of
// the frame the model covers. At 1280x1024 the sphere is large enough to
// cover most of the frame, so that those rows measure filling that many
// pixels. BM_RenderCulled: the same with back-face culling. Baseline: the
// same depth-sorted flat triangles filled by Qt's raster painter.
//
// Load: our reader against lib3ds on the same files in the same run.

#include <benchmark/benchmark.h>

#include <QDir>
#include <QImage>
#include <QPainter>
#include <QTemporaryDir>
#include <cmath>

#include <Tarnwell/space3d/Loader3D.h>
#include <Tarnwell/space3d/Shapes3D.h>

#ifdef HAVE_LIB3DS
#include <lib3ds/file.h>
#endif

using namespace Tarnwell;

namespace {

constexpr float kLargeRadius = 700;

// 200 fills about a tenth of 640x480. At 1280x1024 the sphere's near side
// comes to about half the camera's distance and it covers most of the frame.
float RadiusFor(int width) { return width > 640 ? kLargeRadius : 200; }

struct Scene {
  TObject3DList Objects;
  TEngine3D Engine;
  explicit Scene(int faces, float radius = 200) {
    Objects.push_back(MakeSphere3D("sfera", radius, faces).ToObject());
    Engine.SetCamera(0, 0, -20);
    Engine.SetAmbient(RGB(40, 40, 40));
    Engine.PrepareScene(Objects);
  }
  void Turn() {
    static const float c = std::cos(0.05f), s = std::sin(0.05f);
    for (auto& o : Objects) {
      o->RotateY(c, s);
      o->RotateX(c, s);
      o->UpdateWorld();
    }
    Engine.UpdateScene(Objects);
  }
};

double Coverage(const QImage& img) {
  std::int64_t n = 0;
  for (int y = 0; y < img.height(); ++y) {
    const QRgb* row = reinterpret_cast<const QRgb*>(img.constScanLine(y));
    for (int x = 0; x < img.width(); ++x) n += (row[x] & 0xFFFFFF) != 0;
  }
  return double(n) / (double(img.width()) * img.height());
}

void RenderLoop(benchmark::State& state, bool cull) {
  const int faces = int(state.range(0)), w = int(state.range(1)), h = int(state.range(2)),
            level = int(state.range(3));
  Scene scene(faces, RadiusFor(w));
  scene.Engine.SetCullBackFaces(cull);
  double project = 0, sort = 0, draw = 0;
  for (auto _ : state) {
    scene.Turn();
    scene.Engine.Render(w, h, level);
    project += scene.Engine.LastTimes().ProjectMs;
    sort += scene.Engine.LastTimes().SortMs;
    draw += scene.Engine.LastTimes().DrawMs;
    benchmark::DoNotOptimize(scene.Engine.Image().constBits());
  }
  const double n = double(state.iterations());
  state.counters["fps"] = benchmark::Counter(n, benchmark::Counter::kIsRate);
  state.counters["faces/s"] = benchmark::Counter(n * scene.Engine.FaceCount(), benchmark::Counter::kIsRate);
  state.counters["project_ms"] = project / n;
  state.counters["sort_ms"] = sort / n;
  state.counters["draw_ms"] = draw / n;
  // For the filled levels: the share of the frame the model covers.
  state.counters["cover"] = level >= rsFlatSolid ? Coverage(scene.Engine.Image()) : 0;
}

void BM_Render(benchmark::State& state) { RenderLoop(state, false); }
void BM_RenderCulled(benchmark::State& state) { RenderLoop(state, true); }

void RenderArgs(benchmark::internal::Benchmark* b) {
  for (int faces : {1000, 20000, 100000})
    for (auto [w, h] : {std::pair{640, 480}, std::pair{1280, 1024}})
      for (int level = 0; level <= rlLastLevel; ++level) b->Args({faces, w, h, level});
}
BENCHMARK(BM_Render)->Apply(RenderArgs)->Unit(benchmark::kMillisecond)->MinTime(0.2);
BENCHMARK(BM_RenderCulled)
    ->Args({100000, 1280, 1024, rsDepthShade})
    ->Args({100000, 1280, 1024, rlZBuffered})
    ->Unit(benchmark::kMillisecond)
    ->MinTime(0.2);

// Baseline: the engine's own projection and sort, then every triangle
// filled flat by QPainter (no antialiasing), as level 3 does it.
void BM_QPainterBaseline(benchmark::State& state) {
  const int faces = int(state.range(0)), w = int(state.range(1)), h = int(state.range(2));
  Scene scene(faces, RadiusFor(w));
  QImage img(w, h, QImage::Format_RGB32);
  for (auto _ : state) {
    scene.Turn();
    scene.Engine.Render(w, h, rsDepthSolid);  // projection and depth for the sort
    std::vector<std::pair<float, int>> order;
    order.reserve(scene.Engine.FaceBuffer().size());
    for (int i = 0; i < int(scene.Engine.FaceBuffer().size()); ++i)
      order.push_back({scene.Engine.FaceBuffer()[i].Depth, i});
    std::sort(order.begin(), order.end(), [](auto& a, auto& b) { return a.first > b.first; });
    img.fill(Qt::black);
    QPainter p(&img);
    p.setPen(Qt::NoPen);
    const auto& pr = scene.Engine.Projected();
    for (auto [d, i] : order) {
      const TFaceRecord3D& f = scene.Engine.FaceBuffer()[i];
      if (!pr[f.A].InFront || !pr[f.B].InFront || !pr[f.C].InFront) continue;
      const int shade = std::clamp(int(255 * 100 / (d + 360)), 0, 255);
      p.setBrush(QColor(shade, shade, shade));
      const QPoint pts[3] = {{pr[f.A].X, pr[f.A].Y}, {pr[f.B].X, pr[f.B].Y}, {pr[f.C].X, pr[f.C].Y}};
      p.drawPolygon(pts, 3);
    }
    p.end();
    benchmark::DoNotOptimize(img.constBits());
  }
  state.counters["fps"] = benchmark::Counter(double(state.iterations()), benchmark::Counter::kIsRate);
}
BENCHMARK(BM_QPainterBaseline)
    ->Args({20000, 640, 480})
    ->Args({100000, 1280, 1024})
    ->Unit(benchmark::kMillisecond)
    ->MinTime(0.2);

// ------------------------------------------------------------------ loading

QStringList& LoadFiles() {
  static QTemporaryDir dir;
  static QStringList files;
  if (files.isEmpty()) {
    const QDir real("/usr/share/assimp/models/3DS");
    for (const QFileInfo& fi : real.entryInfoList({"*.3ds", "*.3DS", "testFormatDetection"}, QDir::Files))
      files << fi.filePath();
    TWriter3DFile w;
    for (int i = 0; i < 4; ++i) {
      const TMesh3D m = MakeSphere3D(QString("Sfera%1").arg(i), 100, 100000);
      w.AddMesh(m.Name, m.Vertices, m.Faces);
    }
    files << dir.filePath("grande.3ds");
    w.SaveToFile(files.last());
  }
  return files;
}

// Arg 0: the real files, all of them; arg 1: a generated 400 000-face file.
QStringList Pick(int which) {
  QStringList all = LoadFiles();
  const QString big = all.takeLast();
  return which == 0 ? all : QStringList{big};
}

void BM_LoadOurs(benchmark::State& state) {
  const QStringList files = Pick(int(state.range(0)));
  std::int64_t bytes = 0;
  for (auto _ : state) {
    for (const QString& f : files) {
      TObject3DList list;
      TObject3D root;
      TLoader3DFile loader;
      benchmark::DoNotOptimize(loader.Load3DFile(f, list, &root));
    }
  }
  for (const QString& f : files) bytes += QFileInfo(f).size();
  state.SetBytesProcessed(bytes * std::int64_t(state.iterations()));
}
BENCHMARK(BM_LoadOurs)->Arg(0)->Arg(1)->Unit(benchmark::kMicrosecond);

#ifdef HAVE_LIB3DS
void BM_LoadLib3ds(benchmark::State& state) {
  const QStringList files = Pick(int(state.range(0)));
  std::vector<QByteArray> names;
  std::int64_t bytes = 0;
  for (const QString& f : files) {
    names.push_back(QFile::encodeName(f));
    bytes += QFileInfo(f).size();
  }
  for (auto _ : state) {
    for (const QByteArray& n : names) {
      Lib3dsFile* file = lib3ds_file_load(n.constData());
      benchmark::DoNotOptimize(file);
      if (file) lib3ds_file_free(file);
    }
  }
  state.SetBytesProcessed(bytes * std::int64_t(state.iterations()));
}
BENCHMARK(BM_LoadLib3ds)->Arg(0)->Arg(1)->Unit(benchmark::kMicrosecond);
#endif

}  // namespace

int main(int argc, char** argv) {
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
