// The dataset layer on the 100 000-row movements table, each case against the
// same work done with the raw sqlite3 C API in the same run (the floor).
#include <benchmark/benchmark.h>
#include <malloc.h>
#include <sqlite3.h>
#include <unistd.h>

#include <QFile>
#include <QGuiApplication>
#include <QTemporaryDir>
#include <cstdio>
#include <fstream>
#include <map>

#include <Tarnwell/database/demo/DBDemos.h>
#include <Tarnwell/database/DBEngine.h>
#include <Tarnwell/database/DBTable.h>
#include <Tarnwell/database/MemoTab.h>

using namespace Tarnwell;

namespace {

QString gFile;
const QString kAlias = QStringLiteral("BENCHDEMOS");

double RssMB() {
  std::ifstream f("/proc/self/statm");
  long pages = 0, rss = 0;
  f >> pages >> rss;
  return double(rss) * double(::sysconf(_SC_PAGESIZE)) / (1024.0 * 1024.0);
}

sqlite3* OpenRaw() {
  sqlite3* h = nullptr;
  sqlite3_open_v2(QFile::encodeName(gFile).constData(), &h, SQLITE_OPEN_READONLY, nullptr);
  return h;
}

// Reads one row the way a client keeps it: numbers, and text copied out.
struct TRawRow {
  sqlite3_int64 Id, CodCli, Qta, Delta, Durata;
  std::string Data, CodArt, Causale, Tipo;
  double Importo;
};

void ReadRaw(sqlite3_stmt* st, TRawRow& r) {
  r.Id = sqlite3_column_int64(st, 0);
  r.Data = reinterpret_cast<const char*>(sqlite3_column_text(st, 1));
  r.CodCli = sqlite3_column_int64(st, 2);
  r.CodArt = reinterpret_cast<const char*>(sqlite3_column_text(st, 3));
  r.Causale = reinterpret_cast<const char*>(sqlite3_column_text(st, 4));
  r.Qta = sqlite3_column_int64(st, 5);
  r.Importo = sqlite3_column_double(st, 6);
  r.Delta = sqlite3_column_int64(st, 7);
  r.Tipo = reinterpret_cast<const char*>(sqlite3_column_text(st, 8));
  r.Durata = sqlite3_column_int64(st, 9);
}

// --- open and the first 60 rows

void BM_OpenFirst60_Dataset(benchmark::State& state) {
  for (auto _ : state) {
    TTable t;
    t.setDatabaseName(kAlias);
    t.setTableName("MOVIMENTI");
    t.Open();
    for (int i = 0; i < 60 && !t.Eof(); ++i, t.Next())
      for (int f = 0; f < t.FieldCount(); ++f) benchmark::DoNotOptimize(t.Fields(f)->Value());
    t.Close();
  }
}
BENCHMARK(BM_OpenFirst60_Dataset)->Unit(benchmark::kMillisecond);

void BM_OpenFirst60_Sqlite3(benchmark::State& state) {
  sqlite3* h = OpenRaw();
  for (auto _ : state) {
    sqlite3_stmt* st = nullptr;
    sqlite3_prepare_v2(h, "SELECT * FROM MOVIMENTI ORDER BY ID", -1, &st, nullptr);
    TRawRow r;
    for (int i = 0; i < 60 && sqlite3_step(st) == SQLITE_ROW; ++i) ReadRaw(st, r);
    benchmark::DoNotOptimize(r);
    sqlite3_finalize(st);
  }
  sqlite3_close(h);
}
BENCHMARK(BM_OpenFirst60_Sqlite3)->Unit(benchmark::kMillisecond);

// --- every row into memory

void BM_FullFetch_Dataset(benchmark::State& state) {
  for (auto _ : state) {
    TTable t;
    t.setDatabaseName(kAlias);
    t.setTableName("MOVIMENTI");
    t.Open();
    benchmark::DoNotOptimize(t.RecordCount());
    t.Close();
  }
}

// Memory of a full fetch, measured once in a fresh process before the timings
// (the allocator keeps freed memory, so later runs would show nothing).
double FullFetchMB() {
  ::malloc_trim(0);
  const double before = RssMB();
  const double heapBefore = double(mallinfo2().uordblks);
  TTable t;
  t.setDatabaseName(kAlias);
  t.setTableName("MOVIMENTI");
  t.Open();
  t.FetchAll();
  const double after = RssMB();
  std::printf("heap in use: %.1f MB\n", (double(mallinfo2().uordblks) - heapBefore) / 1048576.0);
  t.Close();
  return after - before;
}
BENCHMARK(BM_FullFetch_Dataset)->Unit(benchmark::kMillisecond);

void BM_FullFetch_Sqlite3(benchmark::State& state) {
  sqlite3* h = OpenRaw();
  for (auto _ : state) {
    std::vector<TRawRow> rows;
    sqlite3_stmt* st = nullptr;
    sqlite3_prepare_v2(h, "SELECT * FROM MOVIMENTI ORDER BY ID", -1, &st, nullptr);
    TRawRow r;
    while (sqlite3_step(st) == SQLITE_ROW) {
      ReadRaw(st, r);
      rows.push_back(r);
    }
    sqlite3_finalize(st);
    benchmark::DoNotOptimize(rows.size());
  }
  sqlite3_close(h);
}
BENCHMARK(BM_FullFetch_Sqlite3)->Unit(benchmark::kMillisecond);

// --- a locate that finds nothing, over every row

struct TOpenTable {
  TTable T;
  TOpenTable() {
    T.setDatabaseName(kAlias);
    T.setTableName("MOVIMENTI");
    T.Open();
    T.FetchAll();
  }
};

void BM_LocateMiss_Dataset(benchmark::State& state) {
  TOpenTable t;
  for (auto _ : state) benchmark::DoNotOptimize(t.T.Locate("CAUSALE", "Nessuna", loCaseInsensitive));
}
BENCHMARK(BM_LocateMiss_Dataset)->Unit(benchmark::kMillisecond);

void BM_LocateMiss_Sqlite3(benchmark::State& state) {
  sqlite3* h = OpenRaw();
  for (auto _ : state) {
    sqlite3_stmt* st = nullptr;
    sqlite3_prepare_v2(h, "SELECT ID FROM MOVIMENTI WHERE CAUSALE = ? COLLATE NOCASE LIMIT 1", -1, &st,
                       nullptr);
    sqlite3_bind_text(st, 1, "Nessuna", -1, SQLITE_STATIC);
    benchmark::DoNotOptimize(sqlite3_step(st));
    sqlite3_finalize(st);
  }
  sqlite3_close(h);
}
BENCHMARK(BM_LocateMiss_Sqlite3)->Unit(benchmark::kMillisecond);

// --- a filter over every row, counting what it accepts

void BM_Filter_Dataset(benchmark::State& state) {
  TOpenTable t;
  for (auto _ : state) {
    t.T.setFiltered(false);
    t.T.setFilter("Tipo = 'ORG' AND DELTA < 100");
    t.T.setFiltered(true);
    benchmark::DoNotOptimize(t.T.RecordCount());
  }
}
BENCHMARK(BM_Filter_Dataset)->Unit(benchmark::kMillisecond);

void BM_Filter_Sqlite3(benchmark::State& state) {
  sqlite3* h = OpenRaw();
  for (auto _ : state) {
    sqlite3_stmt* st = nullptr;
    sqlite3_prepare_v2(h, "SELECT count(*) FROM MOVIMENTI WHERE Tipo = 'ORG' AND DELTA < 100", -1, &st,
                       nullptr);
    sqlite3_step(st);
    benchmark::DoNotOptimize(sqlite3_column_int(st, 0));
    sqlite3_finalize(st);
  }
  sqlite3_close(h);
}
BENCHMARK(BM_Filter_Sqlite3)->Unit(benchmark::kMillisecond);

// --- sorting 100 000 records of the memory table on one field

struct TFilledMemo {
  TMemoTable M;
  TFilledMemo() {
    TOpenTable src;
    M.FieldDefs().Add("ID", ftInteger);
    M.FieldDefs().Add("CAUSALE", ftString, 30);
    M.FieldDefs().Add("IMPORTO", ftFloat);
    M.Open();
    M.DisableControls();
    for (src.T.First(); !src.T.Eof(); src.T.Next()) {
      M.Append();
      M.Fields(0)->SetValue(src.T.FieldByName("ID")->Value());
      M.Fields(1)->SetValue(src.T.FieldByName("CAUSALE")->Value());
      M.Fields(2)->SetValue(src.T.FieldByName("IMPORTO")->Value());
      M.Post();
    }
    M.EnableControls();
  }
};

void BM_MemoSort_Dataset(benchmark::State& state) {
  TFilledMemo m;
  const QString field = state.range(0) ? "CAUSALE" : "IMPORTO";
  bool desc = false;
  for (auto _ : state) {
    m.M.SortOnField(field, desc);
    desc = !desc;
  }
  state.SetLabel(field.toStdString());
}
BENCHMARK(BM_MemoSort_Dataset)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

void BM_MemoSort_Sqlite3(benchmark::State& state) {
  sqlite3* h = OpenRaw();
  const char* sql = state.range(0) ? "SELECT ID FROM MOVIMENTI ORDER BY CAUSALE COLLATE NOCASE"
                                   : "SELECT ID FROM MOVIMENTI ORDER BY IMPORTO";
  for (auto _ : state) {
    sqlite3_stmt* st = nullptr;
    sqlite3_prepare_v2(h, sql, -1, &st, nullptr);
    sqlite3_int64 sum = 0;
    while (sqlite3_step(st) == SQLITE_ROW) sum += sqlite3_column_int64(st, 0);
    benchmark::DoNotOptimize(sum);
    sqlite3_finalize(st);
  }
  sqlite3_close(h);
  state.SetLabel(state.range(0) ? "CAUSALE" : "IMPORTO");
}
BENCHMARK(BM_MemoSort_Sqlite3)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

// Prints each case's ratio to its floor after the usual table.
class TRatioReporter : public benchmark::ConsoleReporter {
 public:
  void ReportRuns(const std::vector<Run>& runs) override {
    ConsoleReporter::ReportRuns(runs);
    for (const Run& r : runs)
      if (r.run_type == Run::RT_Iteration) mTimes[r.benchmark_name()] = r.GetAdjustedRealTime();
  }
  void Finalize() override {
    ConsoleReporter::Finalize();
    std::printf("\nRatios to the raw sqlite3 floor:\n");
    for (auto& [name, t] : mTimes) {
      auto pos = name.find("_Dataset");
      if (pos == std::string::npos) continue;
      std::string base = name;
      base.replace(pos, 8, "_Sqlite3");
      auto it = mTimes.find(base);
      if (it != mTimes.end() && it->second > 0)
        std::printf("  %-28s %9.3f ms vs %9.3f ms  ratio %.2f\n", name.c_str(), t, it->second,
                    t / it->second);
    }
  }

 private:
  std::map<std::string, double> mTimes;
};

}  // namespace

int main(int argc, char** argv) {
  qputenv("QT_QPA_PLATFORM",
          qgetenv("QT_QPA_PLATFORM").isEmpty() ? QByteArray("offscreen") : qgetenv("QT_QPA_PLATFORM"));
  QGuiApplication app(argc, argv);
  QTemporaryDir dir;
  gFile = dir.filePath("bench.sqlite");
  GenerateDemoDatabase(gFile, QDate(2024, 3, 15), kDemoMovementRows);
  TAliasParams p;
  p.DatabaseName = gFile;
  TDBSession::RegisterAlias(kAlias, p);
  TDBSession::Connection(kAlias);
  std::printf("Full fetch of %d rows: %.1f MB resident\n", kDemoMovementRows, FullFetchMB());
  benchmark::Initialize(&argc, argv);
  TRatioReporter reporter;
  benchmark::RunSpecifiedBenchmarks(&reporter);
  benchmark::Shutdown();
  TDBSession::CloseAll();
  return 0;
}
