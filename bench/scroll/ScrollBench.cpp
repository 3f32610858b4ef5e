// Building a schedule line of 10 000 periods (RebuildButtons) against the
// floor: appending the same bars to a plain list without placing them; and
// painting a scrolled 400-pixel window of that line. CPU time, same run.
#include <benchmark/benchmark.h>

#include "BenchUtil.h"

#include <QApplication>
#include <ctime>
#include <vector>

#include <Tarnwell/platform/TApplication.h>
#include <Tarnwell/scroll/BtnQueDs.h>
#include <Tarnwell/scroll/BtnQueDs_p.h>

using namespace Tarnwell;

namespace {

using TarnwellBench::CpuNow;

struct Line {
  TScrollRule rule;
  TBtnQuePeriodDisplay display;
  explicit Line(int periods) {
    rule.setValueType(srvDate);
    rule.setStepSize(80);
    rule.SetStartNumber(46000);
    display.setRule(&rule);
    display.setAutoWidth(false);
    display.resize(50, 20);
    for (int i = 0; i < periods; ++i)
      display.AddPeriod(QString::number(i), clSilver, 46000 + 2 * i, 46001 + 2 * i, 0, -1, {});
  }
};

void BM_RebuildButtons(benchmark::State& state) {
  const int n = int(state.range(0));
  Line line(n);
  double rebuild = 0, floor = 0;
  int rounds = 0;
  for (auto _ : state) {
    double t0 = CpuNow();
    line.display.RebuildButtons();
    rebuild += CpuNow() - t0;
    t0 = CpuNow();
    std::vector<TBtnQueObject> plain;
    for (int i = 0; i < n; ++i) {
      TBtnQueObject b;
      b.Caption = line.display.Period(i).Caption;
      b.X = 160 * i;
      b.Width = 80;
      b.Color = clSilver;
      plain.push_back(std::move(b));
    }
    benchmark::DoNotOptimize(plain.data());
    floor += CpuNow() - t0;
    ++rounds;
  }
  state.counters["rebuild_ms"] = rebuild / rounds * 1e3;
  state.counters["floor_ms"] = floor / rounds * 1e3;
  state.counters["ratio"] = rebuild / floor;
}

void BM_PaintScrolledWindow(benchmark::State& state) {
  Line line(10000);
  line.display.RebuildButtons();
  const int left = int(state.range(0));
  for (auto _ : state) benchmark::DoNotOptimize(line.display.grab(QRect(left, 0, 400, 20)));
  state.counters["bars_drawn"] = LastPaintedCount(line.display);
}

}  // namespace

BENCHMARK(BM_RebuildButtons)->Arg(1000)->Arg(10000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_PaintScrolledWindow)->Arg(0)->Arg(800000)->Unit(benchmark::kMicrosecond);

int main(int argc, char** argv) { return TarnwellBench::RunWidgetsBenchmarks(argc, argv); }
