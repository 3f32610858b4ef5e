// Value updates of every display kind at 200 x 200 against a full repaint of
// the same display, measured in the same run. Counters: updates per second,
// full repaints per second, and how many times cheaper an update is.
#include <benchmark/benchmark.h>

#include "BenchUtil.h"

#include <QApplication>
#include <ctime>

#include <Tarnwell/measure/Measdisp.h>
#include <Tarnwell/measure/MoniDisp.h>
#include <Tarnwell/platform/TApplication.h>

using namespace Tarnwell;

namespace {

using TarnwellBench::CpuNow;

template <class F>
double SecondsPer(int n, F&& f) {
  const double t0 = CpuNow();
  for (int i = 0; i < n; ++i) f(i);
  return (CpuNow() - t0) / n;
}

void Report(benchmark::State& state, double update, double full) {
  state.counters["updates_per_s"] = 1.0 / update;
  state.counters["full_per_s"] = 1.0 / full;
  state.counters["ratio"] = full / update;
}

void BM_MonitorDisplay(benchmark::State& state) {
  using namespace MoniDisp;
  const auto style = TMeasureDisplayStyle(state.range(0));
  // range(1), where given: the alarm at level 50 off (0) or on (1).
  const bool alarm = state.range(1) != 0;
  TMonitorDisplay d;
  d.BeginLoad();
  d.resize(200, 200);
  d.setDisplayStyle(style);
  d.setSignalCaption("Segnale 1");
  d.setSignalDesc("Descrizione 1");
  d.setSignalState("LAV");
  d.setSignalColor(clLime);
  d.setSignalValueMin(-50);
  d.setSignalValueMax(150);
  d.setBorderStyle(mdbBoxRaised);
  d.setAlarmEnabled(alarm);
  d.setAlarmLevel(50);
  d.Loaded();
  int v = 0;
  auto update = [&](int) {
    v = v >= 150 ? -50 : v + 5;
    d.setSignalValue(v);
    d.Surface();  // flushed: the surface holds the new picture, ready to show
  };
  auto full = [&](int) {
    d.Rebuild();
    d.Paint();
  };
  for (int i = 0; i < 20; ++i) update(i);
  const double fullTime = SecondsPer(100, full);
  const double t0 = CpuNow();
  int64_t n = 0;
  for (auto _ : state) {
    update(0);
    ++n;
  }
  const double updateTime = (CpuNow() - t0) / double(std::max<int64_t>(1, n));
  Report(state, updateTime, fullTime);
}

void BM_MeasureDisplay(benchmark::State& state) {
  using namespace Measdisp;
  const auto style = TMeasureDisplayStyle(state.range(0));
  const bool alarm = state.range(1) != 0;  // the alarm at level 50 off or on
  TMeasureDisplay d;
  d.resize(200, 200);
  QImage strip(120, 30, QImage::Format_RGB32);
  strip.fill(Qt::blue);
  d.setAnimImage(strip);
  d.setStatImage(strip);
  d.setDisplayStyle(style);
  d.setControlName("Segnale 1");
  d.setMinValue(-50);
  d.setMaxValue(150);
  d.setAlarmLevel(50);
  d.setAlarmEnabled(alarm);
  double v = 0;
  auto update = [&](int) {
    v = v >= 150 ? -50 : v + 5;
    d.setControlValue(v);
    d.Surface();  // flushed: ready to show
  };
  auto full = [&](int) {
    d.Paint();
    d.Surface();
  };
  for (int i = 0; i < 20; ++i) update(i);
  const double fullTime = SecondsPer(100, full);
  const double t0 = CpuNow();
  int64_t n = 0;
  for (auto _ : state) {
    update(0);
    ++n;
  }
  const double updateTime = (CpuNow() - t0) / double(std::max<int64_t>(1, n));
  Report(state, updateTime, fullTime);
}

}  // namespace

BENCHMARK(BM_MonitorDisplay)->ArgsProduct({benchmark::CreateDenseRange(0, 10, 1), {0}})->Unit(benchmark::kMicrosecond);
// The alarm off and on for the styles that draw it: level, thermometer, bar.
BENCHMARK(BM_MonitorDisplay)
    ->ArgsProduct({{int(MoniDisp::mdLevel), int(MoniDisp::mdTermo), int(MoniDisp::mdVBarL)}, {1}})
    ->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_MeasureDisplay)->ArgsProduct({benchmark::CreateDenseRange(0, 7, 1), {0}})->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_MeasureDisplay)
    ->ArgsProduct({{int(Measdisp::mdLevel), int(Measdisp::mdTermo)}, {1}})
    ->Unit(benchmark::kMicrosecond);

int main(int argc, char** argv) { return TarnwellBench::RunWidgetsBenchmarks(argc, argv); }
