// Spreadsheet grid benchmarks, each next to its baseline in the same run:
//   painting a 1920x1080 view of formatted cells (fonts, borders, patterns)
//     vs the same view painted with plain fillRect + drawText;
//   scrolling one page at row 100 000 (move and repaint) vs the plain paint;
//   copying and pasting a 100 x 100 block through the private format, with
//     undo, vs the bare records written and assigned by the engine alone;
//   whole-column and whole-sheet format commands vs the direct change;
//   inserting and removing whole columns and rows and erasing the whole
//     sheet, each with its undo, vs one compressed snapshot of the sheet.
#include <benchmark/benchmark.h>

#include <QApplication>
#include <QPainter>
#include <QUndoStack>
#include <cstdio>
#include <map>
#include <memory>
#include <string>

#include <Tarnwell/spreadsheet/SShtGrid.h>
#include <Tarnwell/spreadsheet/FastCompress.h>
#include <Tarnwell/spreadsheet/SShtGrid_p.h>

using namespace Tarnwell;

namespace {

constexpr int kW = 1920, kH = 1080;

std::unique_ptr<TSpreadSheetGrid> MakeGrid() {
  auto g = std::make_unique<TSpreadSheetGrid>();
  g->setAttribute(Qt::WA_DontShowOnScreen);
  g->setFrameShape(QFrame::NoFrame);
  g->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
  g->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
  g->resize(kW, kH);
  g->show();
  return g;
}

// Every visible cell formatted: a text or number, one of four fonts, a
// pattern of its own colours, borders on every third cell.
void FormatView(TSpreadSheetGrid& g, int top) {
  TSpreadSheetDataCells& c = g.Cells();
  const TColor colours[] = {clYellow, clAqua, clSilver, clLime, clWhite, clFuchsia};
  const char* fonts[] = {"Arial", "Times New Roman", "Courier New", "Arial"};
  for (int col = 1; col <= 31; ++col)
    for (int row = top; row < top + 70; ++row) {
      const int k = col * 7 + row;
      TSpreadSheetCell* cell = c.GetCell(col, row, true);
      cell->SetText(k % 3 ? QString::number(k * 1.25) : QStringLiteral("Voce %1").arg(k));
      cell->SetFont(
          TCellFont{fonts[k % 4], 8 + k % 3, TColor(k * 2654435761u & 0x7F7F7F), std::uint8_t(k % 4)});
      cell->SetBackground(colours[k % 6], colours[(k + 3) % 6], k % 18);
      if (k % 3 == 0) cell->SetBorders("LTRB", k % 5, 1 + k % 2, clBlack);
      cell->SetAlignment(k % 4, k % 3);
    }
}

QImage& Target() {
  static QImage img(kW, kH, QImage::Format_RGB32);
  return img;
}

void BM_GridPaintFormatted(benchmark::State& state) {
  auto g = MakeGrid();
  FormatView(*g, 1);
  QImage& img = Target();
  for (auto _ : state) {
    QPainter p(&img);
    g->PaintGrid(p, img.rect());
  }
  state.counters["tiles"] = TileCacheCount(*g);
}

// The same cells, one fill and one text each, nothing else.
void BM_PlainPaint(benchmark::State& state) {
  auto g = MakeGrid();
  FormatView(*g, 1);
  QImage& img = Target();
  const QFont font("Arial", 8);
  for (auto _ : state) {
    QPainter p(&img);
    p.setFont(font);
    int y = 0;
    for (int row = 0; y < kH; ++row) {
      int x = 0;
      for (int col = 0; x < kW; ++col) {
        p.fillRect(x, y, 64, 16, row % 2 ? Qt::white : Qt::yellow);
        p.drawText(x + 2, y + 12, g->Cells().CellDisplayText(col, row));
        x += 65;
      }
      y += 17;
    }
  }
}

void BM_GridScrollPage(benchmark::State& state) {
  auto g = MakeGrid();
  FormatView(*g, 100000);
  FormatView(*g, 100000 + 70);
  g->EnsureRows(100200);
  g->setTopRow(100000);
  QImage& img = Target();
  bool down = true;
  for (auto _ : state) {
    g->setTopRow(down ? g->TopRow() + g->VisibleRowCount() : 100000);
    down = !down;
    QPainter p(&img);
    g->PaintGrid(p, img.rect());
  }
}

void BM_CopyPaste100(benchmark::State& state) {
  auto g = MakeGrid();
  for (int col = 1; col <= 100; ++col)
    for (int row = 1; row <= 100; ++row) g->Cells().SetCellText(col, row, QString::number(col * row));
  for (auto _ : state) {
    g->SetSelection({1, 1, 100, 100});
    const QByteArray block = g->CopyBlock();
    g->SetSelection({120, 1, 120, 1});
    g->PasteBlock(block);
  }
  state.counters["undo_steps"] = g->UndoStack()->count();
}

// The engine's part alone: write the records, read and assign them.
void BM_RawRecordCopy100(benchmark::State& state) {
  TSpreadSheetDataCells cells;
  for (int col = 1; col <= 100; ++col)
    for (int row = 1; row <= 100; ++row) cells.SetCellText(col, row, QString::number(col * row));
  for (auto _ : state) {
    QByteArray out;
    for (int col = 1; col <= 100; ++col)
      for (int row = 1; row <= 100; ++row) cells.FindCell(col, row)->WriteTo(out);
    qsizetype pos = 0;
    TSpreadSheetCell scratch(0, 0);
    while (pos < out.size()) {
      scratch.ReadFrom(out.constData(), out.size(), pos);
      cells.GetCell(scratch.Col() + 119, scratch.Row(), true)->Assign(&scratch);
    }
    benchmark::DoNotOptimize(out.size());
  }
}

// A format command on a sheet of 100 000 cells: the undo step's cost.
void BM_FormatCellLargeSheet(benchmark::State& state) {
  auto g = MakeGrid();
  for (int col = 1; col <= 10; ++col)
    for (int row = 1; row <= 10000; ++row) g->Cells().SetCellText(col, row, QString::number(col * row));
  bool bold = false;
  for (auto _ : state) {
    g->SetSelection({2, 2, 2, 2});
    bold = !bold;
    if (bold)
      g->IncludeSelectionStyle(0);
    else
      g->ExcludeSelectionStyle(0);
  }
}

// A sheet of 1 000 000 cells (10 columns x 100 000 rows) in a grid.
// Never destroyed: a widget must not outlive the application object, and
// statics are destroyed after main() returns.
TSpreadSheetGrid& MillionGrid() {
  static TSpreadSheetGrid* g = [] {
    auto grid = MakeGrid();
    TSpreadSheetDataCells& c = grid->Cells();
    for (int col = 1; col <= 10; ++col)
      for (int row = 1; row <= 100000; ++row) c.SetCellText(col, row, QString::number(col * row));
    return grid.release();
  }();
  return *g;
}

// Bold on and off for a whole column (100 000 cells) or the whole sheet
// (1 000 000 cells) as undoable commands...
void BM_WholeFormatCommand(benchmark::State& state) {
  TSpreadSheetGrid& g = MillionGrid();
  g.UndoStack()->clear();
  bool bold = false;
  for (auto _ : state) {
    if (state.range(0) == 1)
      g.SetHeaderSelection(1, 3, 3);
    else
      g.SetHeaderSelection(3);
    bold = !bold;
    if (bold)
      g.IncludeSelectionStyle(0);
    else
      g.ExcludeSelectionStyle(0);
  }
  state.counters["undo_MB"] = double(g.UndoMemory()) / 1e6;
  state.SetLabel(state.range(0) == 1 ? "column, 100k cells" : "sheet, 1M cells");
  g.SetHeaderSelection(0);
}

// ... against the same change made on the cells directly, without undo.
void BM_WholeFormatDirect(benchmark::State& state) {
  TSpreadSheetGrid& g = MillionGrid();
  bool bold = false;
  for (auto _ : state) {
    bold = !bold;
    for (const auto& col : g.Cells().Columns()) {
      if (state.range(0) == 1 && col->Col() != 3) continue;
      for (const auto& c : col->Cells()) bold ? c->IncludeStyle(0) : c->ExcludeStyle(0);
    }
  }
  state.SetLabel(state.range(0) == 1 ? "column, 100k cells" : "sheet, 1M cells");
}

// Eight whole-column commands, then three undos: the steps' cost.
void BM_ThreeUndos(benchmark::State& state) {
  TSpreadSheetGrid& g = MillionGrid();
  for (auto _ : state) {
    state.PauseTiming();
    g.UndoStack()->clear();
    for (int k = 0; k < 8; ++k) {
      g.SetHeaderSelection(1, 1 + k, 1 + k);
      g.SetSelectionBackground(clYellow, clRed, k + 1);
    }
    g.SetHeaderSelection(0);
    state.ResumeTiming();
    for (int k = 0; k < 3; ++k) g.Undo();
  }
  state.counters["undo_MB_after_8"] = double(g.UndoMemory()) / 1e6;
}

// Erasing a whole column (100 000 cells) of the million-cell sheet and
// undoing it: the undo step keeps that column alone.
void BM_WholeColumnEraseUndo(benchmark::State& state) {
  TSpreadSheetGrid& g = MillionGrid();
  g.UndoStack()->clear();
  for (auto _ : state) {
    g.SetHeaderSelection(1, 5, 5);
    g.EraseSelection();
    g.Undo();
  }
  g.SetHeaderSelection(0);
  if (g.Cells().CellDisplayText(5, 100000) != "500000") state.SkipWithError("undo lost the column");
}

// Erasing 100 whole rows and undoing it: those rows alone are kept.
void BM_WholeRowsEraseUndo(benchmark::State& state) {
  TSpreadSheetGrid& g = MillionGrid();
  g.UndoStack()->clear();
  for (auto _ : state) {
    g.SetHeaderSelection(2, 50001, 50100);
    g.EraseSelection();
    g.Undo();
  }
  g.SetHeaderSelection(0);
  if (g.Cells().CellDisplayText(3, 50050) != "150150") state.SkipWithError("undo lost the rows");
}

// Structure commands on the million-cell sheet, each done and undone:
// inserting or removing a whole column or 100 whole rows, erasing the whole
// sheet. The undo step's memory is taken before the undo.
void BM_StructureCommandUndo(benchmark::State& state) {
  TSpreadSheetGrid& g = MillionGrid();
  g.UndoStack()->clear();
  double memory = 0;
  static const char* const names[] = {"insert column", "remove column", "insert 100 rows", "remove 100 rows",
                                      "erase sheet"};
  for (auto _ : state) {
    switch (state.range(0)) {
      case 0:
        g.SetHeaderSelection(1, 4, 4);
        g.InsertAtSelection(1);
        break;
      case 1:
        g.SetHeaderSelection(1, 4, 4);
        g.RemoveSelection();
        break;
      case 2:
        g.SetHeaderSelection(2, 50001, 50001);
        g.InsertAtSelection(100);
        break;
      case 3:
        g.SetHeaderSelection(2, 50001, 50100);
        g.RemoveSelection();
        break;
      default:
        g.SetHeaderSelection(3);
        g.EraseSelection();
        break;
    }
    memory = double(g.UndoMemory());
    g.Undo();
  }
  g.SetHeaderSelection(0);
  g.UndoStack()->clear();
  if (g.Cells().CellDisplayText(4, 60000) != "240000" || g.Cells().CellCount() < 1000000)
    state.SkipWithError("undo did not give the sheet back");
  state.counters["undo_MB"] = memory / 1e6;
  state.SetLabel(names[state.range(0)]);
}

// The baseline: one compressed snapshot of the whole sheet, what each of
// those commands kept twice before.
void BM_WholeSheetSnapshot(benchmark::State& state) {
  TSpreadSheetGrid& g = MillionGrid();
  qsizetype size = 0;
  for (auto _ : state) {
    TFastCompress z;
    size = z.Compress(SheetBodyBytes(g.Cells(), true)).size();
  }
  state.counters["snapshot_MB"] = double(size) / 1e6;
}

BENCHMARK(BM_StructureCommandUndo)->DenseRange(0, 4)->Unit(benchmark::kMillisecond)->Iterations(2);
BENCHMARK(BM_WholeSheetSnapshot)->Unit(benchmark::kMillisecond)->Iterations(2);
BENCHMARK(BM_WholeColumnEraseUndo)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_WholeRowsEraseUndo)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_WholeFormatCommand)->Arg(1)->Arg(3)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_WholeFormatDirect)->Arg(1)->Arg(3)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ThreeUndos)->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(BM_FormatCellLargeSheet)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_GridPaintFormatted)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_PlainPaint)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_GridScrollPage)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_CopyPaste100)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_RawRecordCopy100)->Unit(benchmark::kMillisecond);

class TRatioReporter : public benchmark::ConsoleReporter {
 public:
  std::map<std::string, double> times;  // ns per iteration
  void ReportRuns(const std::vector<Run>& runs) override {
    for (const Run& r : runs)
      if (!r.error_occurred && r.iterations > 0)
        times[r.benchmark_name()] = r.real_accumulated_time * 1e9 / double(r.iterations);
    ConsoleReporter::ReportRuns(runs);
  }
};

void PrintRatio(const TRatioReporter& rep, const std::string& a, const std::string& b, const char* what,
                double goalMs) {
  auto ia = rep.times.find(a), ib = rep.times.find(b);
  if (ia == rep.times.end() || ib == rep.times.end()) return;
  std::printf("  %-40s %8.2f ms vs %8.2f ms  ratio %5.2f", what, ia->second / 1e6, ib->second / 1e6,
              ia->second / ib->second);
  if (goalMs > 0) std::printf("  (goal < %.0f ms)", goalMs);
  std::printf("\n");
}

}  // namespace

int main(int argc, char** argv) {
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication app(argc, argv);
  benchmark::Initialize(&argc, argv);
  TRatioReporter rep;
  benchmark::RunSpecifiedBenchmarks(&rep);
  std::printf("\nRatios (grid / baseline):\n");
  PrintRatio(rep, "BM_GridPaintFormatted", "BM_PlainPaint", "paint 1920x1080 formatted / plain", 16);
  PrintRatio(rep, "BM_GridScrollPage", "BM_PlainPaint", "page scroll at row 100000 / plain", 16);
  PrintRatio(rep, "BM_CopyPaste100", "BM_RawRecordCopy100", "copy+paste 100x100 / raw records", 100);
  PrintRatio(rep, "BM_WholeFormatCommand/1", "BM_WholeFormatDirect/1", "whole-column bold (100k) / direct", 500);
  PrintRatio(rep, "BM_WholeFormatCommand/3", "BM_WholeFormatDirect/3", "whole-sheet bold (1M) / direct", 500);
  static const char* const structure[] = {"insert column", "remove column", "insert 100 rows", "remove 100 rows",
                                          "erase sheet"};
  for (int k = 0; k < 5; ++k)
    PrintRatio(rep, "BM_StructureCommandUndo/" + std::to_string(k) + "/iterations:2",
               "BM_WholeSheetSnapshot/iterations:2", (std::string(structure[k]) + " + undo (1M) / snapshot").c_str(),
               0);
  benchmark::Shutdown();
  return 0;
}
