// Preparing a spherical button's four-frame strip (background swap, tint
// discs, glyph) at 48 and 256 pixels for each depth, against the floor:
// drawing one radial gradient of the same size with QPainter. CPU time.
#include <benchmark/benchmark.h>

#include "BenchUtil.h"

#include <QApplication>
#include <QPainter>
#include <QRadialGradient>
#include <ctime>

#include <Tarnwell/platform/TApplication.h>
#include <Tarnwell/platform/TResources.h>
#include <Tarnwell/visuals/Button3D.h>

using namespace Tarnwell;

namespace {

using TarnwellBench::CpuNow;

void BM_SphericalFrames(benchmark::State& state) {
  static const char* const names[3] = {"DEFAULTFRAME4", "DEFAULTFRAME8", "DEFAULTFRAME24"};
  const int depth = int(state.range(0)), size = int(state.range(1));
  const QImage strip = LoadResourcePicture(QString::fromLatin1(names[depth])).scaled(4 * size, size);
  QImage glyph(size / 3, size / 3, QImage::Format_RGB32);
  glyph.fill(Qt::white);
  glyph.fill(QColor(0, 0, 160));
  double build = 0, floor = 0;
  int n = 0;
  for (auto _ : state) {
    double t0 = CpuNow();
    benchmark::DoNotOptimize(PrepareSphericalStrip(strip, qRgb(212, 208, 200), bclRed, true, glyph));
    build += CpuNow() - t0;
    t0 = CpuNow();
    QImage img(size, size, QImage::Format_RGB32);
    {
      QPainter p(&img);
      QRadialGradient g(QPointF(size / 2.0, size / 2.0), size / 2.0);
      g.setColorAt(0, Qt::white);
      g.setColorAt(1, Qt::darkGray);
      p.fillRect(img.rect(), g);
    }
    benchmark::DoNotOptimize(img.bits());
    floor += CpuNow() - t0;
    ++n;
  }
  state.counters["build_ms"] = build / n * 1e3;
  state.counters["gradient_ms"] = floor / n * 1e3;
  state.counters["ratio"] = build / floor;
}

}  // namespace

BENCHMARK(BM_SphericalFrames)->ArgsProduct({{0, 1, 2}, {48, 256}})->Unit(benchmark::kMillisecond);

int main(int argc, char** argv) { return TarnwellBench::RunWidgetsBenchmarks(argc, argv); }
