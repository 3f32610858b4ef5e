// The report engine on a 50-page report of sheet-like pages, against the
// floor: QPdfWriter drawing the same page pictures directly, measured in the
// same run. Goals: preview to the first page < 1 s and to all pages < 3 s,
// the PDF < 2 s, .odr save and open < 0.5 s each.
//
//   build/bin/tarnwell-bench-report            (headless)
#include <benchmark/benchmark.h>

#include <QBuffer>
#include <QElapsedTimer>
#include <QPainter>
#include <QPdfWriter>
#include <QTemporaryDir>
#include <cstdio>
#include <map>

#include <Tarnwell/app/FPreview.h>
#include <Tarnwell/platform/TApplication.h>
#include <Tarnwell/platform/TDialogs.h>
#include "ReportTestUtil.h"

using namespace Tarnwell;

namespace {

constexpr int Pages = 50;

const std::vector<TMetafile>& PagePictures() {
  static const std::vector<TMetafile> pages = [] {
    std::vector<TMetafile> v;
    for (int i = 1; i <= Pages; ++i) v.push_back(SamplePage(i, Pages));
    return v;
  }();
  return pages;
}

// The floor: the same pictures straight onto a PDF writer.
void BM_PdfWriterFloor(benchmark::State& state) {
  for (auto _ : state) {
    QBuffer out;
    out.open(QIODevice::WriteOnly);
    QPdfWriter w(&out);
    w.setResolution(600);
    w.setPageSize(QPageSize(QPageSize::A4));
    w.setPageMargins(QMarginsF(0, 0, 0, 0));
    QPainter p(&w);
    bool first = true;
    for (const TMetafile& mf : PagePictures()) {
      if (!first) w.newPage();
      first = false;
      // drawPicture scales by the resolution itself.
      p.drawPicture(0, 0, mf.Picture());
    }
    p.end();
    benchmark::DoNotOptimize(out.data().size());
  }
}
BENCHMARK(BM_PdfWriterFloor)->Unit(benchmark::kMillisecond);

// Report produced and written as PDF.
void BM_ReportPdf(benchmark::State& state) {
  QTemporaryDir dir;
  for (auto _ : state) {
    TPagedReport r(0);
    r.Pages = PagePictures();
    r.Report.setRecordCount(Pages);
    if (!r.Report.ExportToPdf(dir.filePath(QStringLiteral("r.pdf")))) state.SkipWithError("no pdf");
  }
}
BENCHMARK(BM_ReportPdf)->Unit(benchmark::kMillisecond);

// The preview window: time to the first page shown and to the last page.
void Preview(benchmark::State& state, bool firstOnly) {
  TFormReportPreview form;
  for (auto _ : state) {
    TPagedReport r(0);
    r.Pages = PagePictures();
    r.Report.setRecordCount(Pages);
    QElapsedTimer t;
    double first = -1;
    QObject::connect(form.QRPreview, &TQRPreview::PageAvailable, [&] {
      if (first < 0) {
        // What the user sees: the first page painted.
        benchmark::DoNotOptimize(form.QRPreview->viewport()->grab());
        first = t.nsecsElapsed() / 1e9;
      }
    });
    r.Report.OnPreview = [&](TQuickRep* rep) {
      form.SetReport(rep);
      form.ShowPreview();
    };
    t.start();
    r.Report.Preview();
    const double all = t.nsecsElapsed() / 1e9;
    state.SetIterationTime(firstOnly ? first : all);
    form.QRPreview->disconnect();
    form.Close();
  }
}
void BM_PreviewFirstPage(benchmark::State& state) { Preview(state, true); }
void BM_PreviewAllPages(benchmark::State& state) { Preview(state, false); }
BENCHMARK(BM_PreviewFirstPage)->Unit(benchmark::kMillisecond)->UseManualTime();
BENCHMARK(BM_PreviewAllPages)->Unit(benchmark::kMillisecond)->UseManualTime();

struct TSavedReport {
  QTemporaryDir dir;
  TPagedReport r{0};
  TFormReportPreview form;
  QString file;
  TSavedReport() {
    r.Pages = PagePictures();
    r.Report.setRecordCount(Pages);
    r.Report.Prepare();
    form.SetReport(&r.Report);
    qputenv("TEMP", dir.path().toLocal8Bit());
    file = dir.filePath(QStringLiteral("r.odr"));
  }
};

void BM_OdrSave(benchmark::State& state) {
  TSavedReport s;
  for (auto _ : state)
    if (!s.form.SaveCompressedReport(s.file)) state.SkipWithError("not saved");
}
BENCHMARK(BM_OdrSave)->Unit(benchmark::kMillisecond);

void BM_OdrOpen(benchmark::State& state) {
  TSavedReport s;
  s.form.SaveCompressedReport(s.file);
  for (auto _ : state) {
    TFormReportPreview other;
    if (!other.OpenReport(s.file)) state.SkipWithError("not opened");
  }
}
BENCHMARK(BM_OdrOpen)->Unit(benchmark::kMillisecond);

class TRatioReporter : public benchmark::ConsoleReporter {
 public:
  std::map<std::string, double> Ms, CpuMs;
  void ReportRuns(const std::vector<Run>& runs) override {
    for (const Run& r : runs) {
      Ms[r.benchmark_name()] = r.GetAdjustedRealTime();
      CpuMs[r.benchmark_name()] = r.GetAdjustedCPUTime();
    }
    ConsoleReporter::ReportRuns(runs);
  }
};

}  // namespace

int main(int argc, char** argv) {
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  PrepareProgramEnvironment();
  TApplication app(argc, argv);
  InitializeTarnwell();
  ApplyClassicLook();
  TRecordingDialogs dialogs(mrOk);
  benchmark::Initialize(&argc, argv);
  PagePictures();
  TRatioReporter reporter;
  benchmark::RunSpecifiedBenchmarks(&reporter);
  auto find = [](const std::map<std::string, double>& m, const std::string& n) {
    for (const auto& [k, v] : m)
      if (k.rfind(n, 0) == 0) return v;
    return 0.0;
  };
  auto ms = [&](const std::string& n) { return find(reporter.Ms, n); };
  const double floor = ms("BM_PdfWriterFloor");
  std::printf("\n%d pages; floor (QPdfWriter, same pictures) %.1f ms wall, %.1f ms CPU\n", Pages, floor,
              find(reporter.CpuMs, "BM_PdfWriterFloor"));
  std::printf("(on a loaded machine wall time passes CPU time: the goals are for wall time on an idle one)\n");
  struct Goal {
    const char* name;
    double goalMs;
  } goals[] = {{"BM_ReportPdf", 2000}, {"BM_PreviewFirstPage", 1000}, {"BM_PreviewAllPages", 3000},
               {"BM_OdrSave", 500}, {"BM_OdrOpen", 500}};
  for (const Goal& g : goals) {
    const double v = ms(g.name);
    if (v <= 0) continue;  // filtered out
    std::printf("%-22s %8.1f ms wall %8.1f ms CPU  (%.2f x floor; goal < %.0f ms: %s)\n", g.name, v,
                find(reporter.CpuMs, g.name), floor > 0 ? v / floor : 0.0, g.goalMs, v < g.goalMs ? "met" : "MISSED");
  }
  benchmark::Shutdown();
  return 0;
}
