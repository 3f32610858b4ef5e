// Printing a sheet of 100 000 cells (10 columns x 10 000 rows) from the
// "Foglio di Calcolo" window, up to the first page shown in the preview:
// the page pictures cut, the report's pages produced and page 1 drawn at
// the preview's size. Baseline, in the same run: the same 100 000 cells
// painted by the grid's own cell painter straight into one page-sized
// QImage (rows wrapping round the image), with no pages, pictures or report.
#include <Tarnwell/app/QuickRpt.h>
#include <Tarnwell/spreadsheet/FSpread.h>
#include <Tarnwell/spreadsheet/SShtPrint.h>
#include <benchmark/benchmark.h>

#include <QImage>
#include <QPainter>
#include <cstdio>

#include "BenchUtil.h"

using namespace Tarnwell;
using TarnwellBench::CpuNow;

namespace {

constexpr int kCols = 10, kRows = 10000;

void FillSheet(TSpreadSheetGrid& g) {
  TSpreadSheetDataCells& c = g.Cells();
  c.ClearAll();
  c.ResetSizes();
  for (int col = 1; col <= kCols; ++col)
    for (int row = 1; row <= kRows; ++row) {
      const int k = col * 7 + row;
      TSpreadSheetCell* cell = c.GetCell(col, row, true);
      cell->SetText(k % 3 ? QString::number(k * 1.25) : QStringLiteral("Voce %1").arg(k));
      if (k % 5 == 0) cell->SetFont(TCellFont{QStringLiteral("Arial"), 9, clNavy, 1});
      if (k % 7 == 0) cell->SetBackground(clYellow, clGray, 0);
    }
}

// The cells painted by PaintCell into one image of a page's size.
void PaintStraight(TSpreadSheetGrid& g, QImage& img) {
  QPainter p(&img);
  const TRect page = TFormVDBChildSpreadSheet::PrintPageRect(false);
  int y = page.Top;
  for (int row = 1; row <= kRows; ++row) {
    if (y + 16 > page.Bottom) y = page.Top;
    int x = page.Left;
    for (int col = 1; col <= kCols; ++col) {
      g.PaintCell(-1, -1, 0, TRect(x, y, x + 64, y + 16), p, g.Cells().GetFormatCell(col, row));
      x += 65;
    }
    y += 17;
  }
}

void BM_PrintToFirstPreviewPage(benchmark::State& state) {
  TFormVDBChildSpreadSheet w;
  FillSheet(*w.Grid);
  w.BtnPrintGrid->setChecked(true);
  const QSize pageSize = ReportPageSize(poPortrait);
  QImage baseline(pageSize, QImage::Format_RGB32);
  double printCpu = 0, baseCpu = 0;
  int pages = 0;
  for (auto _ : state) {
    double t0 = CpuNow();
    w.BtnPrintClick();
    const QImage first = w.QuickRep->QRPrinter()->PageImage(1, pageSize);
    printCpu += CpuNow() - t0;
    benchmark::DoNotOptimize(first.constBits());
    pages = w.QuickRep->QRPrinter()->PageCount();
    state.PauseTiming();
    t0 = CpuNow();
    baseline.fill(Qt::white);
    PaintStraight(*w.Grid, baseline);
    baseCpu += CpuNow() - t0;
    state.ResumeTiming();
  }
  const double n = double(state.iterations());
  state.counters["pages"] = pages;
  state.counters["print_cpu_ms"] = printCpu / n * 1e3;
  state.counters["straight_cpu_ms"] = baseCpu / n * 1e3;
  state.counters["ratio"] = printCpu / baseCpu;
  std::printf(
      "print to the first preview page: %.0f ms CPU, straight painting %.0f ms CPU, ratio %.2f "
      "(%d pages; goal under 1000 ms)\n",
      printCpu / n * 1e3, baseCpu / n * 1e3, printCpu / baseCpu, pages);
  if (pages != 162) state.SkipWithError("unexpected page count");
}

// The share of cutting the pages alone.
void BM_PrintToPagesOnly(benchmark::State& state) {
  TFormVDBChildSpreadSheet w;
  FillSheet(*w.Grid);
  for (auto _ : state) {
    w.Grid->PrintToPages(TFormVDBChildSpreadSheet::PrintPageRect(false), true);
    benchmark::DoNotOptimize(w.Grid->PrintPages().PageCount());
  }
  qint64 bytes = 0;
  for (int i = 1; i <= w.Grid->PrintPages().PageCount(); ++i)
    bytes += w.Grid->PrintPages().Page(i)->Picture().size();
  state.counters["recorded_MB"] = double(bytes) / 1e6;
}

}  // namespace

BENCHMARK(BM_PrintToPagesOnly)->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(BM_PrintToFirstPreviewPage)->Unit(benchmark::kMillisecond)->Iterations(5);

int main(int argc, char** argv) { return TarnwellBench::RunWidgetsBenchmarks(argc, argv); }
