#pragma once
// Shared by the benchmarks: process CPU time (the machine is shared, and wall
// time would count the other processes' turns against whichever side ran
// during them) and a main() that starts the headless widgets application.
#include <benchmark/benchmark.h>

#include <QtGlobal>
#include <ctime>

#include <Tarnwell/platform/TApplication.h>

namespace TarnwellBench {

inline double CpuNow() {
  timespec ts{};
  clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &ts);
  return double(ts.tv_sec) + double(ts.tv_nsec) * 1e-9;
}

inline int RunWidgetsBenchmarks(int argc, char** argv) {
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  Tarnwell::TApplication app(argc, argv);
  Tarnwell::InitializeTarnwell();
  Tarnwell::ApplyClassicLook();
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}

}  // namespace TarnwellBench
