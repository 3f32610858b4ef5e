// Painting each family's main control at device pixel ratio 2 against the
// same control painted at ratio 1 in the same run (the baseline): a ratio-2
// picture has four times the pixels, so ratio <= 4 means the high-density
// drawing costs no more per pixel than the exact one. CPU time.
#include <benchmark/benchmark.h>

#include "BenchUtil.h"

#include <QImage>
#include <QWidget>
#include <functional>
#include <memory>

#include <Tarnwell/barcodes/BarCodes.h>
#include <Tarnwell/graph/Graph2D.h>
#include <Tarnwell/measure/Measdisp.h>
#include <Tarnwell/measure/MoniDisp.h>
#include <Tarnwell/pattern/PatPanel.h>
#include <Tarnwell/scroll/EnhScrol.h>
#include <Tarnwell/slide/SldBBar.h>
#include <Tarnwell/space3d/FGadget.h>
#include <Tarnwell/space3d/View3D.h>
#include <Tarnwell/spreadsheet/SShtGrid.h>
#include <Tarnwell/visuals/DTEdit.h>
#include <Tarnwell/visuals/ERombBtn.h>
#include <Tarnwell/visuals/FSimpVis.h>
#include <Tarnwell/visuals/GraphLed.h>

using namespace Tarnwell;

namespace {

using TarnwellBench::CpuNow;

struct TFamily {
  const char* name;
  std::function<std::unique_ptr<QWidget>()> make;
};

std::unique_ptr<QWidget> Viewer(TRenderStyle style) {
  auto v = std::make_unique<TSpace3DViewer>();
  v->resize(400, 300);
  v->setDistance(20);
  v->setFileName(FindDemoModel());
  v->ShowObject(nullptr);
  v->setRenderStyle(style);
  v->setRealTime(true);
  return v;
}

const std::vector<TFamily>& Families() {
  static const std::vector<TFamily> f = {
      {"visuals: date-time edit", [] {
         auto e = std::make_unique<TDateTimeEdit>();
         e->setBtnUpGlyph(SimpleVisArrowGlyph(true));
         e->setBtnDnGlyph(SimpleVisArrowGlyph(false));
         return std::unique_ptr<QWidget>(std::move(e));
       }},
      {"visuals: rhomb buttons", [] { return std::unique_ptr<QWidget>(new TEnhRombButtons); }},
      {"visuals: LED", [] {
         auto l = std::make_unique<TGraphicLed>();
         l->setCaption(QStringLiteral("GraphicLed1"));
         l->setChecked(true);
         return std::unique_ptr<QWidget>(std::move(l));
       }},
      {"barcodes: bar code", [] {
         auto b = std::make_unique<TBarCodes>();
         b->setCaption(QStringLiteral("1234567890128"));
         b->resize(240, 90);
         return std::unique_ptr<QWidget>(std::move(b));
       }},
      {"graph: graph", [] {
         auto g = std::make_unique<TGraph2D>();
         g->resize(320, 200);
         return std::unique_ptr<QWidget>(std::move(g));
       }},
      {"measure: monitor display", [] {
         auto m = std::make_unique<TMonitorDisplay>();
         m->resize(160, 120);
         m->setSignalCaption(QStringLiteral("Pressione"));
         m->setSignalValue(42);
         return std::unique_ptr<QWidget>(std::move(m));
       }},
      {"measure: measure display", [] {
         auto m = std::make_unique<TMeasureDisplay>();
         m->resize(160, 160);
         m->setDisplayStyle(Measdisp::mdMeter);
         m->setControlName(QStringLiteral("Pressione"));
         m->setControlValue(42);
         return std::unique_ptr<QWidget>(std::move(m));
       }},
      {"slide: button bar", [] {
         auto s = std::make_unique<TSlideButtonBar>();
         s->resize(200, 32);
         return std::unique_ptr<QWidget>(std::move(s));
       }},
      {"scroll: scroll rule", [] {
         auto r = std::make_unique<TScrollRule>();
         r->resize(400, 24);
         return std::unique_ptr<QWidget>(std::move(r));
       }},
      {"spreadsheet: grid", [] {
         auto g = std::make_unique<TSpreadSheetGrid>();
         g->resize(400, 240);
         return std::unique_ptr<QWidget>(std::move(g));
       }},
      {"pattern: panel", [] {
         auto p = std::make_unique<TPatternPanel>();
         p->resize(200, 100);
         return std::unique_ptr<QWidget>(std::move(p));
       }},
      // The showcase's model at the showcase's level, and shaded: every paint
      // at a ratio other than the last one's renders the frame again.
      {"space3d: 3D viewer, wire frame", [] { return Viewer(rsWireFrame); }},
      {"space3d: 3D viewer, depth shade", [] { return Viewer(rsDepthShade); }},
  };
  return f;
}

double Paint(QWidget* w, QImage& img) {
  const double t0 = CpuNow();
  w->render(&img);
  return CpuNow() - t0;
}

// Paints w1 at ratio 1 and w2 at ratio 2 at each step, and reports both
// times and their ratio.
void PaintBoth(benchmark::State& state, QWidget* w1, QWidget* w2) {
  QImage at1(w1->size(), QImage::Format_RGB32), at2(w2->size() * 2, QImage::Format_RGB32);
  at2.setDevicePixelRatio(2);
  if (w1 != w2) {  // each control composes for its own ratio once, as on a screen
    Paint(w1, at1);
    Paint(w2, at2);
  }
  double t1 = 0, t2 = 0;
  int n = 0;
  for (auto _ : state) {
    t1 += Paint(w1, at1);
    t2 += Paint(w2, at2);
    ++n;
  }
  state.counters["ratio1_us"] = t1 / n * 1e6;
  state.counters["ratio2_us"] = t2 / n * 1e6;
  state.counters["ratio"] = t2 / t1;
}

// One control painted at ratio 1 and 2 in turn: what it composes for a
// ratio (the displays' faces, the viewer's frame) is made again each time.
void BM_PaintAtRatio2(benchmark::State& state) {
  const TFamily& fam = Families()[size_t(state.range(0))];
  state.SetLabel(fam.name);
  auto w = fam.make();
  w->ensurePolished();
  PaintBoth(state, w.get(), w.get());
}

// The same paints on a screen of each ratio, as a window there repaints:
// one control per ratio, so what a control composes for its ratio and keeps
// is made once, as on a screen, and not again at every paint as above.
void BM_RepaintAtRatio2(benchmark::State& state) {
  const TFamily& fam = Families()[size_t(state.range(0))];
  state.SetLabel(fam.name);
  auto w1 = fam.make(), w2 = fam.make();
  w1->ensurePolished();
  w2->ensurePolished();
  PaintBoth(state, w1.get(), w2.get());
}

}  // namespace

BENCHMARK(BM_PaintAtRatio2)->DenseRange(0, 12)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_RepaintAtRatio2)->DenseRange(0, 12)->Unit(benchmark::kMicrosecond);

int main(int argc, char** argv) { return TarnwellBench::RunWidgetsBenchmarks(argc, argv); }
