// The dataset layer on the movements table (100 000 and 1 000 000 rows), each
// case against the same work done in the same run with the raw engine (the
// floor): the sqlite3 C API, and libpq reading through a cursor on a private
// PostgreSQL server.
#include <benchmark/benchmark.h>
#include <libpq-fe.h>
#include <malloc.h>
#include <sqlite3.h>
#include <unistd.h>

#include <QDir>
#include <QFile>
#include <QGuiApplication>
#include <QTemporaryDir>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <map>
#include <set>

#include <Tarnwell/database/demo/DBDemos.h>
#include <Tarnwell/database/DBEngine.h>
#include <Tarnwell/database/DBQuery.h>
#include <Tarnwell/database/DBTable.h>
#include <Tarnwell/database/MemoTab.h>
#include "BenchPostgres.h"
#include "PgCluster.h"

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

// --- open + first 60 rows and full fetch on both engines and both sizes.
// Arguments: engine (0 SQLite, 1 PostgreSQL), rows (0: 100 000, 1: 1 000 000).

const QString kPgAlias = QStringLiteral("BENCHPG");
TPgCluster gPg;
bool gPgUp = false;
PGconn* gRawPg = nullptr;

const char* TableOf(int size) { return size ? "MOVIMENTI_1M" : "MOVIMENTI"; }
QString AliasOf(int engine) { return engine ? kPgAlias : kAlias; }

bool Skip(benchmark::State& state) { return TarnwellBench::SkipWithoutPostgres(state, gPgUp); }

void Label(benchmark::State& state) {
  state.SetLabel(std::string(state.range(0) ? "PostgreSQL " : "SQLite ") + (state.range(1) ? "1M" : "100k"));
}

void BM_Open60_Dataset(benchmark::State& state) {
  if (Skip(state)) return;
  for (auto _ : state) {
    TTable t;
    t.setDatabaseName(AliasOf(int(state.range(0))));
    t.setTableName(TableOf(int(state.range(1))));
    t.Open();
    for (int i = 0; i < 60 && !t.Eof(); ++i, t.Next())
      for (int f = 0; f < t.FieldCount(); ++f) benchmark::DoNotOptimize(t.Fields(f)->Value());
    t.Close();
  }
  Label(state);
}
BENCHMARK(BM_Open60_Dataset)->ArgsProduct({{0, 1}, {0, 1}})->Unit(benchmark::kMillisecond);

void BM_FullFetchN_Dataset(benchmark::State& state) {
  if (Skip(state)) return;
  for (auto _ : state) {
    TTable t;
    t.setDatabaseName(AliasOf(int(state.range(0))));
    t.setTableName(TableOf(int(state.range(1))));
    t.Open();
    benchmark::DoNotOptimize(t.RecordCount());
    t.Close();
  }
  Label(state);
}
BENCHMARK(BM_FullFetchN_Dataset)->ArgsProduct({{0, 1}, {0, 1}})->Unit(benchmark::kMillisecond)->Iterations(2);

// libpq: a row as a client keeps it, from the text the server sends.
void ReadPg(PGresult* r, int row, TRawRow& out) {
  out.Id = std::strtoll(PQgetvalue(r, row, 0), nullptr, 10);
  out.Data = PQgetvalue(r, row, 1);
  out.CodCli = std::strtoll(PQgetvalue(r, row, 2), nullptr, 10);
  out.CodArt = PQgetvalue(r, row, 3);
  out.Causale = PQgetvalue(r, row, 4);
  out.Qta = std::strtoll(PQgetvalue(r, row, 5), nullptr, 10);
  out.Importo = std::strtod(PQgetvalue(r, row, 6), nullptr);
  out.Delta = std::strtoll(PQgetvalue(r, row, 7), nullptr, 10);
  out.Tipo = PQgetvalue(r, row, 8);
  out.Durata = std::strtoll(PQgetvalue(r, row, 9), nullptr, 10);
}

void PgCmd(const char* sql) { PQclear(PQexec(gRawPg, sql)); }

// Reads up to `limit` rows (-1: all) through a cursor, `page` at a time.
size_t RawPgRead(int size, long limit, std::vector<TRawRow>* keep) {
  PgCmd("BEGIN");
  const std::string decl =
      std::string("DECLARE c NO SCROLL CURSOR FOR SELECT * FROM \"") + TableOf(size) + "\" ORDER BY \"ID\"";
  PgCmd(decl.c_str());
  size_t n = 0;
  TRawRow row;
  for (;;) {
    const long want = limit < 0 ? 10000 : limit;
    const std::string fetch = "FETCH FORWARD " + std::to_string(want) + " FROM c";
    PGresult* r = PQexec(gRawPg, fetch.c_str());
    const int rows = PQntuples(r);
    for (int i = 0; i < rows; ++i) {
      ReadPg(r, i, row);
      if (keep) keep->push_back(row);
      ++n;
    }
    PQclear(r);
    if (limit >= 0 || rows < want) break;
  }
  PgCmd("CLOSE c");
  PgCmd("COMMIT");
  return n;
}

void RawSqliteRead(int size, long limit, std::vector<TRawRow>* keep, sqlite3* h) {
  sqlite3_stmt* st = nullptr;
  const std::string sql = std::string("SELECT * FROM ") + TableOf(size) + " ORDER BY ID";
  sqlite3_prepare_v2(h, sql.c_str(), -1, &st, nullptr);
  TRawRow r;
  for (long i = 0; (limit < 0 || i < limit) && sqlite3_step(st) == SQLITE_ROW; ++i) {
    ReadRaw(st, r);
    if (keep) keep->push_back(r);
  }
  benchmark::DoNotOptimize(r);
  sqlite3_finalize(st);
}

void BM_Open60_Raw(benchmark::State& state) {
  if (Skip(state)) return;
  sqlite3* h = OpenRaw();
  for (auto _ : state) {
    if (state.range(0))
      benchmark::DoNotOptimize(RawPgRead(int(state.range(1)), 60, nullptr));
    else
      RawSqliteRead(int(state.range(1)), 60, nullptr, h);
  }
  sqlite3_close(h);
  Label(state);
}
BENCHMARK(BM_Open60_Raw)->ArgsProduct({{0, 1}, {0, 1}})->Unit(benchmark::kMillisecond);

void BM_FullFetchN_Raw(benchmark::State& state) {
  if (Skip(state)) return;
  sqlite3* h = OpenRaw();
  for (auto _ : state) {
    std::vector<TRawRow> rows;
    if (state.range(0))
      RawPgRead(int(state.range(1)), -1, &rows);
    else
      RawSqliteRead(int(state.range(1)), -1, &rows, h);
    benchmark::DoNotOptimize(rows.size());
  }
  sqlite3_close(h);
  Label(state);
}
BENCHMARK(BM_FullFetchN_Raw)->ArgsProduct({{0, 1}, {0, 1}})->Unit(benchmark::kMillisecond)->Iterations(2);

// Peak memory of one full fetch (MB above what the process held before):
// the kernel's high-water mark, reset just before.
double ResidentMB(const char* key) {
  std::ifstream f("/proc/self/status");
  std::string line;
  while (std::getline(f, line))
    if (line.rfind(key, 0) == 0) return std::atof(line.c_str() + std::strlen(key)) / 1024.0;
  return 0;
}

// Bytes of the heap in use, the allocator's own mappings of large blocks included.
double HeapInUse() {
  const struct mallinfo2 m = mallinfo2();
  return double(m.uordblks) + double(m.hblkhd);
}

// `work` reads every row and calls hold() while it still holds them all.
template <typename F>
void PeakOf(const char* what, int rows, F&& work) {
  ::malloc_trim(0);
  { std::ofstream("/proc/self/clear_refs") << "5"; }
  const double before = ResidentMB("VmRSS:");
  const double heap = HeapInUse();
  double held = 0;
  work([&] { held = HeapInUse() - heap; });
  std::printf("  %-34s peak %7.1f MB, held %6.1f MB = %5.0f bytes a row\n", what, ResidentMB("VmHWM:") - before,
              held / 1048576.0, held / rows);
}

void PrintPeaks() {
  std::printf("Peak memory of a full fetch (held until the end):\n");
  for (int engine = 0; engine < 2; ++engine)
    for (int size = 0; size < 2; ++size) {
      if (engine && !gPgUp) continue;
      const std::string tag = std::string(engine ? "PostgreSQL " : "SQLite ") + (size ? "1M" : "100k");
      const int rows = size ? 10 * kDemoMovementRows : kDemoMovementRows;
      PeakOf((tag + " dataset").c_str(), rows, [&](auto hold) {
        TTable t;
        t.setDatabaseName(AliasOf(engine));
        t.setTableName(TableOf(size));
        t.Open();
        t.FetchAll();
        hold();
      });
      PeakOf((tag + (engine ? " libpq+cursor" : " sqlite3")).c_str(), rows, [&](auto hold) {
        std::vector<TRawRow> kept;
        if (engine) {
          RawPgRead(size, -1, &kept);
        } else {
          sqlite3* h = OpenRaw();
          RawSqliteRead(size, -1, &kept, h);
          sqlite3_close(h);
        }
        hold();
      });
    }
}

// --- a filter on an indexed field of a table just opened: a value held by
// rows all over the table (0), and one no row holds (1), on both engines
// (engine in the first argument); the raw engine reads the rows that hold it.

const char* const kFilterValues[] = {"1005", "1"};

void BM_FilterKey_Dataset(benchmark::State& state) {
  if (Skip(state)) return;
  for (auto _ : state) {
    TTable t;
    t.setDatabaseName(AliasOf(int(state.range(0))));
    t.setTableName("MOVIMENTI");
    t.setFilter(QStringLiteral("CODCLI = %1").arg(kFilterValues[state.range(1)]));
    t.setFiltered(true);
    t.Open();
    benchmark::DoNotOptimize(t.RecordCount());
  }
  state.SetLabel(std::string(state.range(0) ? "PostgreSQL " : "SQLite ") + (state.range(1) ? "none" : "many"));
}
BENCHMARK(BM_FilterKey_Dataset)->ArgsProduct({{0, 1}, {0, 1}})->Unit(benchmark::kMillisecond);

void BM_FilterKey_Raw(benchmark::State& state) {
  if (Skip(state)) return;
  sqlite3* h = OpenRaw();
  const std::string where = std::string(" WHERE \"CODCLI\" = ") + kFilterValues[state.range(1)];
  for (auto _ : state) {
    size_t n = 0;
    TRawRow r;
    if (state.range(0)) {
      PGresult* res = PQexec(gRawPg, ("SELECT * FROM \"MOVIMENTI\"" + where + " ORDER BY \"ID\"").c_str());
      for (int i = 0; i < PQntuples(res); ++i, ++n) ReadPg(res, i, r);
      PQclear(res);
    } else {
      sqlite3_stmt* st = nullptr;
      sqlite3_prepare_v2(h, ("SELECT * FROM MOVIMENTI" + where + " ORDER BY ID").c_str(), -1, &st, nullptr);
      for (; sqlite3_step(st) == SQLITE_ROW; ++n) ReadRaw(st, r);
      sqlite3_finalize(st);
    }
    benchmark::DoNotOptimize(n);
  }
  sqlite3_close(h);
  state.SetLabel(std::string(state.range(0) ? "PostgreSQL " : "SQLite ") + (state.range(1) ? "none" : "many"));
}
BENCHMARK(BM_FilterKey_Raw)->ArgsProduct({{0, 1}, {0, 1}})->Unit(benchmark::kMillisecond);

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

// Prints each case's ratio to its floor after the usual table, in wall time
// and in the process's CPU time (the one to trust when the machine is busy).
class TRatioReporter : public benchmark::ConsoleReporter {
 public:
  void ReportRuns(const std::vector<Run>& runs) override {
    ConsoleReporter::ReportRuns(runs);
    // With repetitions, their median stands for the case.
    for (const Run& r : runs) {
      const TTimes t{r.GetAdjustedRealTime(), r.GetAdjustedCPUTime()};
      if (r.run_type == Run::RT_Aggregate && r.aggregate_name == "median")
        mTimes[r.run_name.str()] = t;
      else if (r.run_type == Run::RT_Iteration && !mMedians.count(r.run_name.str()))
        mTimes[r.run_name.str()] = t;
      if (r.run_type == Run::RT_Aggregate && r.aggregate_name == "median") mMedians.insert(r.run_name.str());
    }
  }
  void Finalize() override {
    ConsoleReporter::Finalize();
    std::printf("\nRatios to the raw engine (sqlite3 C API, libpq with a cursor):\n");
    for (auto& [name, t] : mTimes) {
      auto pos = name.find("_Dataset");
      if (pos == std::string::npos) continue;
      std::string base = name;
      base.replace(pos, 8, "_Raw");
      auto it = mTimes.find(base);
      if (it == mTimes.end()) {
        base = name;
        base.replace(pos, 8, "_Sqlite3");
        it = mTimes.find(base);
      }
      if (it != mTimes.end() && it->second.Real > 0 && it->second.Cpu > 0)
        std::printf("  %-34s %9.3f ms vs %9.3f ms  ratio %.2f  CPU %9.3f ms vs %9.3f ms  ratio %.2f\n",
                    name.c_str(), t.Real, it->second.Real, t.Real / it->second.Real, t.Cpu, it->second.Cpu,
                    t.Cpu / it->second.Cpu);
    }
  }

 private:
  struct TTimes {
    double Real = 0, Cpu = 0;
  };
  std::map<std::string, TTimes> mTimes;
  std::set<std::string> mMedians;
};

// The million-row table: ten copies of the movements under new keys.
void MakeMillionRows() {
  sqlite3* h = nullptr;
  sqlite3_open(QFile::encodeName(gFile).constData(), &h);
  sqlite3_stmt* st = nullptr;
  sqlite3_prepare_v2(h, "SELECT sql FROM sqlite_master WHERE name = 'MOVIMENTI'", -1, &st, nullptr);
  std::string ddl;
  if (sqlite3_step(st) == SQLITE_ROW) ddl = reinterpret_cast<const char*>(sqlite3_column_text(st, 0));
  sqlite3_finalize(st);
  const auto at = ddl.find("MOVIMENTI");
  ddl.replace(at, 9, "MOVIMENTI_1M");
  sqlite3_exec(h, ddl.c_str(), nullptr, nullptr, nullptr);
  sqlite3_exec(h,
               "INSERT INTO MOVIMENTI_1M SELECT ID + k * 100000, DATAMOV, CODCLI, CODART, CAUSALE, QTA, IMPORTO, "
               "DELTA, Tipo, DURATA FROM MOVIMENTI, (WITH RECURSIVE g(k) AS (SELECT 0 UNION ALL SELECT k + 1 "
               "FROM g WHERE k < 9) SELECT k FROM g)",
               nullptr, nullptr, nullptr);
  sqlite3_close(h);
}

// A private server with the same tables, filled on the server itself, and a
// table of 1 000 000 movements beside it.
void StartPostgres() {
  if (!TarnwellBench::StartBenchPostgres(gPg, kPgAlias, "tarnwell-benchpg")) return;
  const bool prepared = TarnwellBench::PrepareBenchServer(gPg, [] {
    TarnwellBench::ExecOn(kPgAlias, "CREATE TABLE \"MOVIMENTI_1M\" (LIKE \"MOVIMENTI\" INCLUDING ALL)");
    TarnwellBench::ExecOn(kPgAlias,
                          "INSERT INTO \"MOVIMENTI_1M\" SELECT \"ID\" + k * 100000, \"DATAMOV\", \"CODCLI\", "
                          "\"CODART\", \"CAUSALE\", \"QTA\", \"IMPORTO\", \"DELTA\", \"Tipo\", \"DURATA\" "
                          "FROM \"MOVIMENTI\", generate_series(0, 9) k");
    TarnwellBench::ExecOn(kPgAlias, "VACUUM ANALYZE");
  });
  if (!prepared) return;
  const std::string conninfo = QStringLiteral("host=%1 port=%2 user=%3 dbname=postgres")
                                   .arg(gPg.Socket)
                                   .arg(gPg.Port)
                                   .arg(TPgCluster::User())
                                   .toStdString();
  gRawPg = PQconnectdb(conninfo.c_str());
  gPgUp = PQstatus(gRawPg) == CONNECTION_OK;
}

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
  MakeMillionRows();
  StartPostgres();
  std::printf("Full fetch of %d rows: %.1f MB resident\n", kDemoMovementRows, FullFetchMB());
  PrintPeaks();
  benchmark::Initialize(&argc, argv);
  TRatioReporter reporter;
  benchmark::RunSpecifiedBenchmarks(&reporter);
  benchmark::Shutdown();
  TDBSession::CloseAll();
  if (gRawPg) PQfinish(gRawPg);
  if (gPgUp) gPg.Stop();
  return 0;
}
