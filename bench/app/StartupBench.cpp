// Start-up of the main frame to its first painted frame, against a bare
// QMainWindow of the same size measured in the same run.
//
//   build/bin/tarnwell-bench-startup            (headless)
//   xvfb-run -a env QT_QPA_PLATFORM=xcb build/bin/tarnwell-bench-startup   (a real X server)
#include <benchmark/benchmark.h>

#include "BenchUtil.h"

#include <QEvent>
#include <QEventLoop>
#include <QMainWindow>
#include <QTimer>
#include <QWidget>

#include <Tarnwell/app/Main.h>
#include <Tarnwell/platform/TApplication.h>

using namespace Tarnwell;

namespace {

// Notes the first paint of the widget it watches.
class FirstPaint : public QObject {
 public:
  bool painted = false;
  QEventLoop loop;

 protected:
  bool eventFilter(QObject*, QEvent* e) override {
    if (e->type() == QEvent::Paint && !painted) {
      painted = true;
      // Quit once this paint is done, not before it ran.
      QTimer::singleShot(0, &loop, &QEventLoop::quit);
    }
    return false;
  }
};

// Runs the event loop until the first paint (a real display paints
// asynchronously, after the window is mapped), at most two seconds.
void PumpUntilPainted(FirstPaint& fp) {
  if (fp.painted) return;
  QTimer::singleShot(2000, &fp.loop, &QEventLoop::quit);
  fp.loop.exec();
}

void BM_BareMainWindow(benchmark::State& state) {
  for (auto _ : state) {
    QMainWindow w;
    auto* central = new QWidget(&w);
    w.setCentralWidget(central);
    w.resize(640, 422);
    FirstPaint fp;
    central->installEventFilter(&fp);
    w.show();
    PumpUntilPainted(fp);
    if (!fp.painted) state.SkipWithError("no paint");
  }
}
BENCHMARK(BM_BareMainWindow)->Unit(benchmark::kMillisecond);

void BM_MainFrame(benchmark::State& state) {
  for (auto _ : state) {
    TFormMain f;
    FirstPaint fp;
    f.MdiArea->viewport()->installEventFilter(&fp);
    f.show();
    PumpUntilPainted(fp);
    if (!fp.painted) state.SkipWithError("no paint");
  }
}
BENCHMARK(BM_MainFrame)->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) { return TarnwellBench::RunWidgetsBenchmarks(argc, argv); }
