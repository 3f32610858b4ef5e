// Spreadsheet engine benchmarks, each next to its baseline in the same run:
//   recalculation of 100 000 formula cells vs a plain C++ loop of the same numbers;
//   TFastCompress vs zlib level 1 on sheet bodies, text and random bytes;
//   saving and loading a 100 000-cell sheet vs writing/reading its raw body;
//   loading 1 000 000 cells: heap per cell and peak resident size (the
//     kernel's high-water mark, reset before the load) vs the file's body
//     size, and opening a 4 000 x 250 sheet of numbers from its file vs
//     reading and decompressing that file; the same with 50 formula columns,
//     loaded and recalculated.
// The ratios are printed after the table.
#include <benchmark/benchmark.h>
#include <malloc.h>
#include <zlib.h>

#include <QCoreApplication>
#include <QFile>
#include <QTemporaryDir>
#include <cstdio>
#include <map>
#include <memory>
#include <random>
#include <string>

#include <Tarnwell/spreadsheet/SShtEngine.h>
#include <Tarnwell/spreadsheet/FastCompress.h>

using namespace Tarnwell;

namespace {

constexpr int kRows = 10000;  // 10 formula columns x 10 000 rows

// Column A holds numbers; B..K hold formulas of every kind.
std::unique_ptr<TSpreadSheetDataCells> MakeSheet() {
  auto cells = std::make_unique<TSpreadSheetDataCells>();
  std::mt19937 g(1);
  for (int r = 1; r <= kRows + 10; ++r) cells->SetCellText(1, r, QString::number(int(g() % 1000) / 10.0));
  for (int r = 1; r <= kRows; ++r) {
    const QString n = QString::number(r), n9 = QString::number(r + 9), p = QString::number(r - 1);
    cells->SetCellText(2, r, "=A" + n + "*2+1");
    cells->SetCellText(3, r, "=B" + n + "+A" + n);
    cells->SetCellText(4, r, "=SUM(A" + n + ":A" + n9 + ")");
    cells->SetCellText(5, r, "=MEAN(B" + n + ":B" + n9 + ")");
    cells->SetCellText(6, r, r == 1 ? QString("=C1") : "=F" + p + "+C" + n);
    cells->SetCellText(7, r, "=(D" + n + "-E" + n + ")/2");
    cells->SetCellText(8, r, "=B" + n + "*C" + n + "-D" + n);
    cells->SetCellText(9, r, "=SUM(B" + n + ":H" + n + ")");
    cells->SetCellText(10, r, "=MAX(A" + n + ":A" + n9 + ")");
    cells->SetCellText(11, r, "=I" + n + "+J" + n + "*0.5");
  }
  return cells;
}

TSpreadSheetDataCells& Sheet() {
  static std::unique_ptr<TSpreadSheetDataCells> sheet = MakeSheet();
  return *sheet;
}

// Every input changes before each pass, so that every formula value and
// display text is computed anew.
void BM_RecalcSheet(benchmark::State& state) {
  TSpreadSheetDataCells& cells = Sheet();
  int passes = 0;
  int round = 0;
  for (auto _ : state) {
    state.PauseTiming();
    ++round;
    for (int r = 1; r <= kRows + 10; ++r)
      cells.SetCellText(1, r, QString::number((r * 37 + round) % 1000 / 10.0));
    state.ResumeTiming();
    passes = cells.Recalculate();
  }
  // Leave the inputs the plain loop uses.
  std::mt19937 g(1);
  for (int r = 1; r <= kRows + 10; ++r) cells.SetCellText(1, r, QString::number(int(g() % 1000) / 10.0));
  cells.Recalculate();
  state.counters["passes"] = passes;
  state.counters["cells/s"] =
      benchmark::Counter(double(kRows) * 10, benchmark::Counter::kIsIterationInvariantRate);
}
BENCHMARK(BM_RecalcSheet)->Unit(benchmark::kMillisecond);

// The floor: the same numbers from plain arrays.
void BM_RecalcPlainLoop(benchmark::State& state) {
  std::vector<double> a(kRows + 11);
  std::mt19937 g(1);
  for (int r = 1; r <= kRows + 10; ++r) a[size_t(r)] = int(g() % 1000) / 10.0;
  std::vector<double> b(kRows + 11), c(kRows + 1), d(kRows + 1), e(kRows + 1), f(kRows + 1), gg(kRows + 1),
      h(kRows + 1), i(kRows + 1), j(kRows + 1), k(kRows + 1);
  for (auto _ : state) {
    for (int r = 1; r <= kRows; ++r) b[size_t(r)] = a[size_t(r)] * 2 + 1;
    for (int r = 1; r <= kRows; ++r) c[size_t(r)] = b[size_t(r)] + a[size_t(r)];
    for (int r = 1; r <= kRows; ++r) {
      double s = 0, m = 0, mx = a[size_t(r)];
      for (int q = r; q <= r + 9; ++q) {
        s += a[size_t(q)];
        m += q <= kRows ? b[size_t(q)] : 0;
        mx = std::max(mx, a[size_t(q)]);
      }
      d[size_t(r)] = s;
      e[size_t(r)] = m / 10;
      j[size_t(r)] = mx;
    }
    for (int r = 1; r <= kRows; ++r) f[size_t(r)] = (r == 1 ? 0 : f[size_t(r - 1)]) + c[size_t(r)];
    for (int r = 1; r <= kRows; ++r) {
      gg[size_t(r)] = (d[size_t(r)] - e[size_t(r)]) / 2;
      h[size_t(r)] = b[size_t(r)] * c[size_t(r)] - d[size_t(r)];
      i[size_t(r)] = b[size_t(r)] + c[size_t(r)] + d[size_t(r)] + e[size_t(r)] + f[size_t(r)] +
                     gg[size_t(r)] + h[size_t(r)];
      k[size_t(r)] = i[size_t(r)] + j[size_t(r)] * 0.5;
    }
    benchmark::DoNotOptimize(k.data());
    benchmark::ClobberMemory();
  }
  // The engine must agree with the floor.
  const double engine = Sheet().FindCell(11, kRows)->Value().AsNumber();
  if (std::fabs(engine - k[kRows]) > 1e-6 * std::fabs(k[kRows]))
    state.SkipWithError("engine and loop disagree");
  state.counters["cells/s"] =
      benchmark::Counter(double(kRows) * 10, benchmark::Counter::kIsIterationInvariantRate);
}
BENCHMARK(BM_RecalcPlainLoop)->Unit(benchmark::kMillisecond);

// A chain of 100 000 formulas laid out against the row order: A100000 holds
// the input, every row above reads the row below it. Each pass must settle
// the whole chain.
constexpr int kChain = 100000;

TSpreadSheetDataCells& ChainSheet() {
  static std::unique_ptr<TSpreadSheetDataCells> sheet = [] {
    auto cells = std::make_unique<TSpreadSheetDataCells>();
    cells->SetCellText(1, kChain, "1");
    for (int r = kChain - 1; r >= 1; --r) cells->SetCellText(1, r, "=A" + QString::number(r + 1) + "+1");
    return cells;
  }();
  return *sheet;
}

void BM_RecalcReverseChain(benchmark::State& state) {
  TSpreadSheetDataCells& cells = ChainSheet();
  int round = 0;
  for (auto _ : state) {
    state.PauseTiming();
    cells.FindCell(1, kChain)->SetText(QString::number(++round));
    state.ResumeTiming();
    cells.Recalculate();
  }
  if (cells.FindCell(1, 1)->Value().AsNumber() != round + kChain - 1) state.SkipWithError("chain not settled");
  state.counters["cells"] = kChain;
}
BENCHMARK(BM_RecalcReverseChain)->Unit(benchmark::kMillisecond);

// The floor: the same chain from a plain array, walked in its order.
void BM_ChainPlainLoop(benchmark::State& state) {
  std::vector<double> a(kChain + 1);
  int round = 0;
  for (auto _ : state) {
    a[kChain] = ++round;
    for (int r = kChain - 1; r >= 1; --r) a[size_t(r)] = a[size_t(r) + 1] + 1;
    benchmark::DoNotOptimize(a.data());
  }
}
BENCHMARK(BM_ChainPlainLoop)->Unit(benchmark::kMillisecond);

// ------------------------------------------------------------ memory

// Heap bytes in use (freed blocks the allocator keeps do not count, as
// they would in the resident size).
long ResidentBytes() { return long(mallinfo2().uordblks) + long(mallinfo2().hblkhd); }

// The resident size of the process, as a system monitor shows it.
long ProcessResidentBytes() {
  long pages = 0, resident = 0;
  if (FILE* f = std::fopen("/proc/self/statm", "r")) {
    if (std::fscanf(f, "%ld %ld", &pages, &resident) != 2) resident = 0;
    std::fclose(f);
  }
  return resident * 4096;
}

// Peak resident size since the last reset (the kernel's high-water mark).
long PeakResidentBytes() {
  long kb = 0;
  if (FILE* f = std::fopen("/proc/self/status", "r")) {
    char line[256];
    while (std::fgets(line, sizeof(line), f))
      if (std::sscanf(line, "VmHWM: %ld kB", &kb) == 1) break;
    std::fclose(f);
  }
  return kb * 1024;
}

// Gives freed memory back and restarts the high-water mark from the
// current resident size, so that a peak belongs to what follows.
void ResetPeak() {
  malloc_trim(0);
  if (FILE* f = std::fopen("/proc/self/clear_refs", "w")) {
    std::fputs("5", f);
    std::fclose(f);
  }
}

// A sheet file of 1 000 000 cells (100 columns x 10 000 rows of numbers,
// texts and formulas) loaded into a fresh store: the memory it takes, next
// to the file's own uncompressed body as the baseline.
void BM_LoadMillionCells(benchmark::State& state) {
  static QByteArray file;
  static qsizetype bodySize = 0;
  if (file.isEmpty()) {
    TSpreadSheetDataCells src;
    for (int c = 1; c <= 100; ++c)
      for (int r = 1; r <= 10000; ++r) {
        const int k = c * 7 + r;
        src.SetCellText(c, r, k % 5 == 0   ? QStringLiteral("Voce %1").arg(k)
                              : k % 5 == 1 ? QStringLiteral("=A%1*2").arg(r)
                                           : QString::number(k * 1.25));
      }
    file = SheetFileBytes(src);
    bodySize = SheetBodyBytes(src).size();
  }
  double grown = 0, rss = 0, peak = 0, before = 0;
  for (auto _ : state) {
    state.PauseTiming();
    TSpreadSheetDataCells like;
    ResetPeak();
    const long heapBefore = ResidentBytes();
    before = double(ProcessResidentBytes());
    state.ResumeTiming();
    auto cells = ReadSheetFileBytes(file, like);
    state.PauseTiming();
    grown = double(ResidentBytes() - heapBefore);
    rss = double(ProcessResidentBytes());
    peak = double(PeakResidentBytes());
    if (cells->CellCount() < 1000000) state.SkipWithError("cells missing");
    cells.reset();
    state.ResumeTiming();
  }
  // Cells live in slabs of their own, outside the heap's count: the
  // resident growth is the whole cost.
  state.counters["MB"] = (rss - before) / 1e6;  // also the bytes per cell
  state.counters["heap_MB"] = grown / 1e6;      // texts and the rest
  state.counters["body_MB"] = double(bodySize) / 1e6;
  state.counters["sizeof_cell"] = double(sizeof(TSpreadSheetCell));
  state.counters["process_MB"] = rss / 1e6;        // with the file image and everything else
  state.counters["peak_MB"] = peak / 1e6;          // the highest resident size while loading
  state.counters["start_MB"] = before / 1e6;       // the resident size the load started from
}
BENCHMARK(BM_LoadMillionCells)->Unit(benchmark::kMillisecond)->Iterations(1);

// The sheet of the command-line check: 4 000 rows x 250 columns of numbers,
// saved to a file and opened from it as the program opens files. Baseline
// in the same run: reading the same file and decompressing its body.
constexpr int kNumRows = 4000, kNumCols = 250;

const QString& NumbersFile() {
  static QString path;
  if (path.isEmpty()) {
    static QTemporaryDir dir;
    path = dir.filePath("numbers.qvs");
    TSpreadSheetDataCells src;
    std::mt19937 g(3);
    for (int r = 1; r <= kNumRows; ++r)
      for (int c = 1; c <= kNumCols; ++c) src.SetCellText(c, r, QString::number(int(g() % 1000000) / 100.0));
    SaveSheetToFile(src, sfkSheet, path);
  }
  return path;
}

void BM_OpenMillionNumbers(benchmark::State& state) {
  const QString path = NumbersFile();
  double peak = 0, start = 0, grown = 0;
  qsizetype count = 0;
  for (auto _ : state) {
    state.PauseTiming();
    {
      TSpreadSheetDataCells cells;
      ResetPeak();
      start = double(ProcessResidentBytes());
      const long heapBefore = ResidentBytes();
      state.ResumeTiming();
      LoadSheetFromFile(cells, path);
      state.PauseTiming();
      grown = double(ResidentBytes() - heapBefore);
      peak = double(PeakResidentBytes());
      count = cells.CellCount();
    }
    state.ResumeTiming();
  }
  if (count < kNumRows * kNumCols) state.SkipWithError("cells missing");
  state.counters["cells"] = double(count);
  state.counters["heap_bytes_per_cell"] = grown / double(count);  // without the cells' own slabs
  state.counters["peak_MB"] = peak / 1e6;
  state.counters["start_MB"] = start / 1e6;
  state.counters["peak_over_start_MB"] = (peak - start) / 1e6;
}
BENCHMARK(BM_OpenMillionNumbers)->Unit(benchmark::kMillisecond)->Iterations(2);

// The same size with formulas: 4 000 rows of 200 number columns (A..GR)
// and 50 formula columns (GS..IP) reading the numbers of their row, a range
// of them, or the formula column before them. Opening it loads and then
// recalculates every formula; the goal is under a second of CPU time and
// 400 MB.
constexpr int kMixedNumberCols = 200, kMixedFormulaCols = 50;

const QString& MixedFile() {
  static QString path;
  if (path.isEmpty()) {
    static QTemporaryDir dir;
    path = dir.filePath("mixed.qvs");
    TSpreadSheetDataCells src;
    std::mt19937 g(5);
    for (int r = 1; r <= kNumRows; ++r) {
      const QString n = QString::number(r);
      for (int c = 1; c <= kMixedNumberCols; ++c) src.SetCellText(c, r, QString::number(int(g() % 1000000) / 100.0));
      for (int k = 0; k < kMixedFormulaCols; ++k) {
        const int c = kMixedNumberCols + 1 + k;
        const QString a = ColumnName(1 + k * 4), b = ColumnName(2 + k * 4), prev = ColumnName(c - 1);
        QString f;
        switch (k % 5) {
          case 0: f = "=" + a + n + "*2+" + b + n; break;
          case 1: f = "=SUM(" + a + n + ":" + ColumnName(10 + k * 3) + n + ")"; break;
          case 2: f = "=" + prev + n + "-" + a + n + "/4"; break;
          case 3: f = "=MAX(" + a + n + ":" + b + n + ")+" + prev + n; break;
          default: f = "=(" + a + n + "+" + b + n + ")*0.5"; break;
        }
        src.SetCellText(c, r, f);
      }
    }
    SaveSheetToFile(src, sfkSheet, path);
  }
  return path;
}

void BM_OpenMillionMixed(benchmark::State& state) {
  const QString path = MixedFile();
  double peak = 0, start = 0;
  qsizetype count = 0;
  double check = 0;
  for (auto _ : state) {
    state.PauseTiming();
    {
      TSpreadSheetDataCells cells;
      ResetPeak();
      start = double(ProcessResidentBytes());
      state.ResumeTiming();
      LoadSheetFromFile(cells, path);
      state.PauseTiming();
      peak = double(PeakResidentBytes());
      count = cells.CellCount();
      check = cells.FindCell(kMixedNumberCols + kMixedFormulaCols, kNumRows)->Value().AsNumber();
    }
    state.ResumeTiming();
  }
  if (count < kNumRows * (kMixedNumberCols + kMixedFormulaCols)) state.SkipWithError("cells missing");
  if (check == 0) state.SkipWithError("formulas not computed");
  state.counters["cells"] = double(count);
  state.counters["peak_MB"] = peak / 1e6;
  state.counters["peak_over_start_MB"] = (peak - start) / 1e6;
}
BENCHMARK(BM_OpenMillionMixed)->Unit(benchmark::kMillisecond)->Iterations(2);

void BM_ReadMillionMixedRaw(benchmark::State& state) {
  const QString path = MixedFile();
  for (auto _ : state) {
    QFile f(path);
    f.open(QIODevice::ReadOnly);
    const QByteArray all = f.readAll();
    TFastCompress fc;
    QByteArray body;
    fc.Decompress(all.mid(12), body);
    benchmark::DoNotOptimize(body.data());
  }
}
BENCHMARK(BM_ReadMillionMixedRaw)->Unit(benchmark::kMillisecond)->Iterations(2);

void BM_ReadMillionNumbersRaw(benchmark::State& state) {
  const QString path = NumbersFile();
  for (auto _ : state) {
    QFile f(path);
    f.open(QIODevice::ReadOnly);
    const QByteArray all = f.readAll();
    TFastCompress fc;
    QByteArray body;
    fc.Decompress(all.mid(12), body);
    benchmark::DoNotOptimize(body.data());
  }
}
BENCHMARK(BM_ReadMillionNumbersRaw)->Unit(benchmark::kMillisecond)->Iterations(2);

// ------------------------------------------------------------ compression

QByteArray Data(int kind) {
  static std::map<int, QByteArray> cache;
  auto it = cache.find(kind);
  if (it != cache.end()) return it->second;
  QByteArray d;
  std::mt19937 g(9);
  if (kind == 0) {
    d = SheetBodyBytes(Sheet());
  } else if (kind == 1) {
    const char* words[] = {"il",    "foglio", "di",      "calcolo", "cella", "valore", "formula",
                           "somma", "della",  "colonna", "riga",    "e",     "che",    "per",
                           "un",    "una",    "numero",  "testo",   "salva"};
    while (d.size() < 4 << 20) {
      d += words[g() % std::size(words)];
      d += g() % 12 == 0 ? ".\n" : " ";
    }
  } else {
    d.resize(4 << 20);
    for (auto& c : d) c = char(g());
  }
  cache[kind] = d;
  return d;
}

const char* kDataNames[] = {"sheet body", "text", "random"};

void SetCompressCounters(benchmark::State& state, qsizetype in, qsizetype out) {
  state.SetBytesProcessed(int64_t(state.iterations()) * in);
  state.counters["bytes_in"] = double(in);
  state.counters["bytes_out"] = double(out);
  state.SetLabel(kDataNames[state.range(0)]);
}

void BM_FastCompress(benchmark::State& state) {
  const QByteArray in = Data(int(state.range(0)));
  TFastCompress fc;
  QByteArray out;
  for (auto _ : state) {
    out = fc.Compress(in);
    benchmark::DoNotOptimize(out.data());
  }
  SetCompressCounters(state, in.size(), out.size());
}

void BM_ZlibCompress(benchmark::State& state) {
  const QByteArray in = Data(int(state.range(0)));
  std::vector<Bytef> out(compressBound(uLong(in.size())));
  uLongf len = 0;
  for (auto _ : state) {
    len = uLongf(out.size());
    compress2(out.data(), &len, reinterpret_cast<const Bytef*>(in.constData()), uLong(in.size()), 1);
    benchmark::DoNotOptimize(out.data());
  }
  SetCompressCounters(state, in.size(), qsizetype(len));
}

void BM_FastDecompress(benchmark::State& state) {
  const QByteArray plain = Data(int(state.range(0)));
  TFastCompress fc;
  const QByteArray packed = fc.Compress(plain);
  QByteArray out;
  for (auto _ : state) {
    fc.Decompress(packed, out);
    benchmark::DoNotOptimize(out.data());
  }
  if (out != plain) state.SkipWithError("round trip failed");
  SetCompressCounters(state, plain.size(), packed.size());
}

void BM_ZlibDecompress(benchmark::State& state) {
  const QByteArray plain = Data(int(state.range(0)));
  std::vector<Bytef> packed(compressBound(uLong(plain.size())));
  uLongf plen = uLongf(packed.size());
  compress2(packed.data(), &plen, reinterpret_cast<const Bytef*>(plain.constData()), uLong(plain.size()), 1);
  std::vector<Bytef> out(size_t(plain.size()));
  for (auto _ : state) {
    uLongf len = uLongf(out.size());
    uncompress(out.data(), &len, packed.data(), plen);
    benchmark::DoNotOptimize(out.data());
  }
  SetCompressCounters(state, plain.size(), qsizetype(plen));
}

BENCHMARK(BM_FastCompress)->DenseRange(0, 2)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ZlibCompress)->DenseRange(0, 2)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_FastDecompress)->DenseRange(0, 2)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ZlibDecompress)->DenseRange(0, 2)->Unit(benchmark::kMillisecond);

// ------------------------------------------------------------ files

QTemporaryDir& Dir() {
  static QTemporaryDir dir;
  return dir;
}

void BM_SaveSheet(benchmark::State& state) {
  const QString path = Dir().filePath("bench.qvs");
  for (auto _ : state) SaveSheetToFile(Sheet(), sfkSheet, path);
  state.counters["cells"] = Sheet().CellCount();
  state.counters["file_bytes"] = double(QFile(path).size());
}

void BM_LoadSheet(benchmark::State& state) {
  const QString path = Dir().filePath("bench.qvs");
  SaveSheetToFile(Sheet(), sfkSheet, path);
  TSpreadSheetDataCells cells;
  for (auto _ : state) LoadSheetFromFile(cells, path);
  if (cells.CellCount() != Sheet().CellCount()) state.SkipWithError("cell count differs");
  state.counters["cells"] = cells.CellCount();
}

// Baselines: the uncompressed body written and read as plain bytes.
void BM_SaveRawBody(benchmark::State& state) {
  const QString path = Dir().filePath("raw.bin");
  for (auto _ : state) {
    const QByteArray body = SheetBodyBytes(Sheet());
    QFile f(path);
    f.open(QIODevice::WriteOnly);
    f.write(body);
  }
}

void BM_LoadRawBody(benchmark::State& state) {
  const QString path = Dir().filePath("raw.bin");
  {
    QFile f(path);
    f.open(QIODevice::WriteOnly);
    f.write(SheetBodyBytes(Sheet()));
  }
  for (auto _ : state) {
    QFile f(path);
    f.open(QIODevice::ReadOnly);
    QByteArray b = f.readAll();
    benchmark::DoNotOptimize(b.data());
  }
}

BENCHMARK(BM_SaveSheet)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_SaveRawBody)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_LoadSheet)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_LoadRawBody)->Unit(benchmark::kMillisecond);

// Collects the time per iteration of every run for the ratio summary.
class TRatioReporter : public benchmark::ConsoleReporter {
 public:
  std::map<std::string, double> times;  // ns per iteration
  std::map<std::string, double> cpu;    // CPU ns per iteration (robust to a loaded machine)
  void ReportRuns(const std::vector<Run>& runs) override {
    for (const Run& r : runs)
      if (!r.error_occurred && r.iterations > 0) {
        times[r.benchmark_name()] = r.real_accumulated_time * 1e9 / double(r.iterations);
        cpu[r.benchmark_name()] = r.cpu_accumulated_time * 1e9 / double(r.iterations);
      }
    ConsoleReporter::ReportRuns(runs);
  }
};

void PrintRatio(const TRatioReporter& rep, const std::string& a, const std::string& b, const char* what) {
  auto ia = rep.times.find(a), ib = rep.times.find(b);
  if (ia == rep.times.end() || ib == rep.times.end()) return;
  std::printf("  %-44s %8.2f ms vs %8.2f ms  ratio %.2f\n", what, ia->second / 1e6, ib->second / 1e6,
              ia->second / ib->second);
}

// The same in CPU time, for the goals that are stated in CPU time.
void PrintCpuRatio(const TRatioReporter& rep, const std::string& a, const std::string& b, const char* what) {
  auto ia = rep.cpu.find(a), ib = rep.cpu.find(b);
  if (ia == rep.cpu.end() || ib == rep.cpu.end()) return;
  std::printf("  %-44s %8.2f ms vs %8.2f ms  ratio %.2f (CPU)\n", what, ia->second / 1e6, ib->second / 1e6,
              ia->second / ib->second);
}

}  // namespace

int main(int argc, char** argv) {
  QCoreApplication app(argc, argv);
  benchmark::Initialize(&argc, argv);
  TRatioReporter rep;
  benchmark::RunSpecifiedBenchmarks(&rep);
  std::printf("\nRatios (engine / baseline; below 1 is faster than the baseline):\n");
  PrintRatio(rep, "BM_RecalcSheet", "BM_RecalcPlainLoop", "recalculation / plain loop");
  PrintRatio(rep, "BM_RecalcReverseChain", "BM_ChainPlainLoop", "100k reverse chain / plain loop (goal <1 s)");
  for (int k = 0; k < 3; ++k) {
    std::string s = "/";
    s += std::to_string(k);
    const std::string data = kDataNames[k];
    PrintRatio(rep, std::string("BM_FastCompress") + s, std::string("BM_ZlibCompress") + s,
               ("compress " + data + " / zlib-1").c_str());
    PrintRatio(rep, std::string("BM_FastDecompress") + s, std::string("BM_ZlibDecompress") + s,
               ("decompress " + data + " / zlib-1").c_str());
  }
  PrintRatio(rep, "BM_SaveSheet", "BM_SaveRawBody", "save 100k cells / raw body write");
  PrintRatio(rep, "BM_LoadSheet", "BM_LoadRawBody", "load 100k cells / raw body read");
  PrintRatio(rep, "BM_OpenMillionNumbers/iterations:2", "BM_ReadMillionNumbersRaw/iterations:2",
             "open 1M numbers / read+decompress its file");
  PrintCpuRatio(rep, "BM_OpenMillionNumbers/iterations:2", "BM_ReadMillionNumbersRaw/iterations:2",
                "open 1M numbers (goal <500 ms CPU)");
  PrintCpuRatio(rep, "BM_OpenMillionMixed/iterations:2", "BM_ReadMillionMixedRaw/iterations:2",
                "open+recalc 1M, 50 formula cols (goal <1 s CPU)");
  benchmark::Shutdown();
  return 0;
}
