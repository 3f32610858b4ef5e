// One animation step (the tick and the repaint it causes) of a 348-pixel
// button bar and of a 12-item slide menu from the "TSlideControls..."
// window, against a plain drawPixmap of the same strip, measured in the same
// run. Counters: milliseconds per step and per plain draw, the ratio, and
// the share of a 40 ms interval the GUI stays idle.
#include <benchmark/benchmark.h>

#include <QApplication>
#include <QPainter>
#include <QPixmap>
#include <ctime>

#include <Tarnwell/platform/TApplication.h>
#include <Tarnwell/slide/FSlide.h>

using namespace Tarnwell;

namespace {

double CpuNow() {
  timespec ts{};
  clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &ts);
  return double(ts.tv_sec) + double(ts.tv_nsec) * 1e-9;
}

// The plain floor: the whole strip drawn once onto a surface of its size.
double PlainDraw(const QImage& strip, int n) {
  const QPixmap pix = QPixmap::fromImage(strip);
  QImage target(strip.size(), QImage::Format_RGB32);
  const double t0 = CpuNow();
  for (int i = 0; i < n; ++i) {
    QPainter p(&target);
    p.drawPixmap(0, 0, pix);
  }
  return (CpuNow() - t0) / n;
}

void StepOnce(TSlideButtonBar* b) {
  const QImage& strip = b->StripBitmap().Image();
  const bool open = b->width() >= strip.width() && b->height() >= strip.height();
  const bool closed = !b->TimerActive();
  if (open) b->MouseLeave();
  if (closed) b->MouseEnter();
  b->Step();
  b->repaint();  // the paint the tick asks for, done now
}

void Run(benchmark::State& state, bool menu) {
  TFormSlideMenu f;
  f.resize(623, 392);
  f.show();
  QCoreApplication::processEvents();
  TSlideButtonBar* b = menu ? static_cast<TSlideButtonBar*>(f.SlideMenu2) : f.SlideButtonBar1;
  if (menu) f.SlideMenuMan->setActive(false);  // the menus stay in view
  QCoreApplication::processEvents();
  const double plain = PlainDraw(b->StripBitmap().Image(), 2000);
  int64_t n = 0;
  const double t0 = CpuNow();
  for (auto _ : state) {
    StepOnce(b);
    ++n;
  }
  const double step = (CpuNow() - t0) / double(std::max<int64_t>(1, n));
  state.counters["step_ms"] = step * 1e3;
  state.counters["drawpixmap_ms"] = plain * 1e3;
  state.counters["ratio"] = step / plain;
  state.counters["idle_at_40ms_pct"] = 100.0 * (1.0 - step / 0.040);
}

void BM_BarStep348(benchmark::State& state) { Run(state, false); }
void BM_MenuStep12(benchmark::State& state) { Run(state, true); }

}  // namespace

BENCHMARK(BM_BarStep348)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_MenuStep12)->Unit(benchmark::kMicrosecond);

int main(int argc, char** argv) {
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  TApplication app(argc, argv);
  InitializeTarnwell();
  ApplyClassicLook();
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
