// Listing a large folder against `find DIR -maxdepth 1 -printf '%f %s %T@\n'`
// on the same folder in the same run (wall time: find runs in a process of
// its own). BM_ReadAndSort times the reading and sorting alone; BM_ViewListing
// the whole view, from ChangeDir to AfterRead, while a 5 ms timer measures
// the longest stall of the event loop (max_stall_ms: it includes the turns
// other processes take on a busy machine) and the view reports the longest
// step of its own on the GUI thread (gui_step_ms). BM_Resort clicks the
// column headers of a listed 100 000-entry folder (each column, then again
// for the inverse order) and takes the GUI thread's processor time of the
// click and of the events it leaves, against std::sort of the same 100 000
// names, shuffled, in the same run.
#include <benchmark/benchmark.h>

#include "BenchUtil.h"
#include <fcntl.h>
#include <unistd.h>

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QProcess>
#include <QHeaderView>
#include <QTimer>
#include <QTreeView>
#include <algorithm>
#include <random>

#include <Tarnwell/fileview/FileEntries.h>
#include <Tarnwell/fileview/FileList.h>
#include <Tarnwell/platform/TApplication.h>
#include <Tarnwell/fileview/FileList_p.h>

using namespace Tarnwell;

namespace {

QString Folder(int n) {
  const QString dir = QStringLiteral("/tmp/tarnwell-bench-fileview-%1").arg(n);
  if (QDir(dir).entryList(QDir::AllEntries | QDir::NoDotAndDotDot).size() == n) return dir;
  QDir(dir).removeRecursively();
  QDir().mkpath(dir);
  const char* ext[] = {"txt", "png", "c", "pdf", "zip", "csv", "mp3", "html"};
  for (int i = 0; i < n; ++i) {
    if (i % 100 == 0) {
      QDir(dir).mkdir(QStringLiteral("folder%1").arg(i, 6, 10, QLatin1Char('0')));
      continue;
    }
    const QByteArray name = QFile::encodeName(QStringLiteral("%1/File %2.%3").arg(dir).arg(i, 6, 10, QLatin1Char('0')).arg(ext[i % 8]));
    const int fd = ::open(name.constData(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    if (fd >= 0) {
      if (i % 3 == 0) ::ftruncate(fd, i);
      ::close(fd);
    }
  }
  return dir;
}

double FindSeconds(const QString& dir) {
  QElapsedTimer t;
  t.start();
  QProcess p;
  p.start(QStringLiteral("find"), {dir, QStringLiteral("-maxdepth"), QStringLiteral("1"), QStringLiteral("-printf"),
                                   QStringLiteral("%f %s %T@\\n")});
  p.waitForFinished(-1);
  const QByteArray out = p.readAllStandardOutput();
  benchmark::DoNotOptimize(out.size());
  return double(t.nsecsElapsed()) * 1e-9;
}

void BM_ReadAndSort(benchmark::State& state) {
  const QString dir = Folder(int(state.range(0)));
  double find = 0, ours = 0;
  int runs = 0;
  for (auto _ : state) {
    find += FindSeconds(dir);
    QElapsedTimer t;
    t.start();
    TFolderQuery q;
    q.Directory = dir;
    TFolderResult r = ReadFolder(q);
    SortItems(r.Items, sbName);
    const double s = double(t.nsecsElapsed()) * 1e-9;
    benchmark::DoNotOptimize(r.Items.data());
    ours += s;
    ++runs;
    state.SetIterationTime(s);
  }
  state.counters["find_s"] = find / runs;
  state.counters["ours_s"] = ours / runs;
  state.counters["ratio"] = ours / find;
}

void BM_ViewListing(benchmark::State& state) {
  const QString dir = Folder(int(state.range(0)));
  double find = 0, ours = 0, worstStall = 0, worstStep = 0;
  int runs = 0;
  for (auto _ : state) {
    find += FindSeconds(dir);
    TFileListViewLite view;
    view.setViewIconStyle(TViewIconStyle(state.range(1)));
    view.resize(480, 300);
    view.show();
    view.setReadEnabled(true);
    view.ChangeDir(QStringLiteral("/"));
    view.WaitForRead();
    QCoreApplication::processEvents();
    QElapsedTimer gap, t;
    double stall = 0;
    QTimer ticker;
    ticker.setInterval(5);
    QObject::connect(&ticker, &QTimer::timeout, [&] {
      stall = std::max(stall, double(gap.nsecsElapsed()) * 1e-6);
      gap.restart();
    });
    bool done = false;
    QObject::connect(&view, &TFileListViewLite::AfterRead, [&] { done = true; });
    ticker.start();
    gap.start();
    t.start();
    view.ChangeDir(dir);
    while (!done) QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
    const double s = double(t.nsecsElapsed()) * 1e-9;
    ticker.stop();
    stall = std::max(stall, double(gap.nsecsElapsed()) * 1e-6);
    if (view.ItemCount() != state.range(0)) state.SkipWithError("wrong count");
    worstStep = std::max(worstStep, LongestStepMs(view));
    ours += s;
    worstStall = std::max(worstStall, stall);
    ++runs;
    state.SetIterationTime(s);
  }
  state.counters["find_s"] = find / runs;
  state.counters["ours_s"] = ours / runs;
  state.counters["ratio"] = ours / find;
  state.counters["max_stall_ms"] = worstStall;
  state.counters["gui_step_ms"] = worstStep;
}

double ThreadCpuMs() {
  timespec ts{};
  clock_gettime(CLOCK_THREAD_CPUTIME_ID, &ts);
  return double(ts.tv_sec) * 1e3 + double(ts.tv_nsec) * 1e-6;
}

void BM_Resort(benchmark::State& state) {
  const int n = int(state.range(0));
  const QString dir = Folder(n);
  TFileListViewLite view;
  view.setViewIconStyle(visReport);
  view.resize(480, 300);
  view.show();
  view.setReadEnabled(true);
  view.ChangeDir(dir);
  view.WaitForRead(300000);
  QCoreApplication::processEvents();
  if (view.ItemCount() != n) {
    state.SkipWithError("wrong count");
    return;
  }
  QStringList names;
  for (int i = 0; i < view.ItemCount(); ++i) names << view.Caption(i);
  TFileItems copy;
  for (int i = 0; i < view.ItemCount(); ++i) copy.push_back(view.Item(i));
  std::mt19937 rng(7);
  double ours = 0, worst = 0, base = 0, sortOnly = 0;
  int runs = 0, column = 0;
  for (auto _ : state) {
    QStringList shuffled = names;
    std::shuffle(shuffled.begin(), shuffled.end(), rng);
    const double b0 = ThreadCpuMs();
    std::sort(shuffled.begin(), shuffled.end());
    base += ThreadCpuMs() - b0;
    benchmark::DoNotOptimize(shuffled.data());
    // Columns 0..4, each twice in a row (the second click inverts).
    const double t0 = ThreadCpuMs();
    Q_EMIT view.ReportView()->header()->sectionClicked(column / 2);
    QCoreApplication::processEvents();
    const double ms = ThreadCpuMs() - t0;
    // The rows' own sort, without the view (its share of the click).
    const double s0 = ThreadCpuMs();
    SortItems(copy, view.SortedBy());
    sortOnly += ThreadCpuMs() - s0;
    column = (column + 1) % 10;
    ours += ms;
    worst = std::max(worst, ms);
    ++runs;
    state.SetIterationTime(ms * 1e-3);
  }
  state.counters["click_ms"] = ours / runs;
  state.counters["worst_click_ms"] = worst;
  state.counters["std_sort_ms"] = base / runs;
  state.counters["rows_sort_ms"] = sortOnly / runs;
  state.counters["ratio"] = ours / base;
}

}  // namespace

BENCHMARK(BM_Resort)->Arg(100000)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(20);
BENCHMARK(BM_ReadAndSort)->Arg(10000)->Arg(100000)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(BM_ViewListing)
    ->Args({10000, int(visReport)})
    ->Args({100000, int(visReport)})
    ->Args({100000, int(visList)})
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond)
    ->Iterations(2);

int main(int argc, char** argv) { return TarnwellBench::RunWidgetsBenchmarks(argc, argv); }
