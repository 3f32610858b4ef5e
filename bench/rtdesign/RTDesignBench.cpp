// One drag step on the "Run Time Designing" window (a mouse move that moves
// or resizes Button1, the handles repainted, the window painted) against a
// plain setGeometry of the same control through the same bounds, painted
// the same way, measured in the same run. Counters: milliseconds per drag
// step and per plain step, and how many times dearer the drag step is.
#include <benchmark/benchmark.h>

#include "BenchUtil.h"

#include <QApplication>
#include <QMouseEvent>
#include <ctime>
#include <vector>

#include <Tarnwell/platform/TApplication.h>
#include <Tarnwell/rtdesign/FRTDsgn.h>

using namespace Tarnwell;

namespace {

using TarnwellBench::CpuNow;

// Counts the paint events of a widget.
struct TPaintCounter : QObject {
  int Paints = 0;
  bool eventFilter(QObject*, QEvent* e) override {
    if (e->type() == QEvent::Paint) ++Paints;
    return false;
  }
};

void Send(QWidget* w, QEvent::Type type, QPoint p, Qt::MouseButton button, Qt::MouseButtons buttons) {
  QMouseEvent me(type, QPointF(p), QPointF(w->mapToGlobal(p)), button, buttons, Qt::NoModifier);
  QApplication::sendEvent(w, &me);
}

// The pointer's way: back and forth over 32 steps of 3 pixels.
QPoint Along(QPoint start, int i, bool resize) {
  const int k = i % 32, d = 3 * (k < 16 ? k : 32 - k);
  return resize ? start + QPoint(d, d / 2) : start + QPoint(d, d);
}

void BM_DragStep(benchmark::State& state) {
  const bool resize = state.range(0) != 0;
  TFormRTDesign f;
  f.resize(449, 226);
  f.show();
  QCoreApplication::processEvents();
  f.DesignAtRunTime1->setActive(true);
  QWidget* b = f.Button1;
  const QRect home = b->geometry();
  const QPoint start = resize ? home.topLeft() + QPoint(home.width(), home.height() / 2)  // right edge
                              : home.center();
  auto press = [&] {
    b->setGeometry(home);
    QCoreApplication::processEvents();
    Send(&f, QEvent::MouseButtonPress, start, Qt::LeftButton, Qt::LeftButton);
  };
  auto step = [&](int i) {
    Send(&f, QEvent::MouseMove, Along(start, i, resize), Qt::NoButton, Qt::LeftButton);
    QCoreApplication::processEvents();  // the window painted
  };

  // The bounds the drag goes through, for the plain steps.
  press();
  std::vector<QRect> bounds;
  for (int i = 0; i < 32; ++i) {
    step(i);
    bounds.push_back(b->geometry());
  }
  Send(&f, QEvent::MouseButtonRelease, Along(start, 31, resize), Qt::LeftButton, Qt::NoButton);
  if (bounds.front() == bounds[15]) state.SkipWithError("the drag moved nothing");

  // Plain steps with design mode off, the same control and bounds.
  f.DesignAtRunTime1->setActive(false);
  const int plainN = 400;
  double t0 = CpuNow();
  for (int i = 0; i < plainN; ++i) {
    b->setGeometry(bounds[size_t(i % 32)]);
    QCoreApplication::processEvents();
  }
  const double plain = (CpuNow() - t0) / plainN;

  f.DesignAtRunTime1->setActive(true);
  TPaintCounter overlayPaints;
  f.DesignAtRunTime1->Overlay()->installEventFilter(&overlayPaints);
  press();
  overlayPaints.Paints = 0;
  t0 = CpuNow();
  int64_t n = 0;
  for (auto _ : state) step(int(n++));
  const double drag = (CpuNow() - t0) / double(std::max<int64_t>(1, n));
  Send(&f, QEvent::MouseButtonRelease, start, Qt::LeftButton, Qt::NoButton);

  state.counters["drag_step_ms"] = drag * 1e3;
  state.counters["setgeometry_ms"] = plain * 1e3;
  state.counters["ratio"] = drag / plain;
  // Evidence that every step painted the handles.
  state.counters["overlay_paints_per_step"] = double(overlayPaints.Paints) / double(std::max<int64_t>(1, n));
}

}  // namespace

BENCHMARK(BM_DragStep)->Arg(0)->Arg(1)->ArgName("resize")->Unit(benchmark::kMicrosecond);

int main(int argc, char** argv) { return TarnwellBench::RunWidgetsBenchmarks(argc, argv); }
