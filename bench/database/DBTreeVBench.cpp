// The database analyser on 200 tables with keys and relations, against the
// catalog queries it is made of (the table list, then the field and index
// definitions of every table) run alone in the same process, on SQLite and on
// a private PostgreSQL server (there in a schema of its own, so every name
// carries its prefix).
//
// Table Tnnn has the key IDnnn and a column IDmmm (m = n - 1) with an index:
// each table is a detail of the one before and links to it.
#include <benchmark/benchmark.h>

#include <QFile>
#include <QGuiApplication>
#include <QTemporaryDir>
#include <cstdio>
#include <map>

#include <Tarnwell/database/DBEngine.h>
#include <Tarnwell/database/DBQuery.h>
#include <Tarnwell/database/DBTreeVAnalysis.h>
#include "BenchPostgres.h"
#include "PgCluster.h"

using namespace Tarnwell;

namespace {

constexpr int kTables = 200;
const QString kLite = QStringLiteral("BENCHTREELITE");
const QString kPg = QStringLiteral("BENCHTREEPG");
TPgCluster gPg;
bool gPgUp = false;

QString AliasOf(int engine) { return engine ? kPg : kLite; }

using TarnwellBench::ExecOn;

void CreateTables(const QString& alias, const QString& prefix) {
  auto name = [](const char* what, int i) { return QStringLiteral("%1%2").arg(what).arg(i, 3, 10, QChar('0')); };
  ExecOn(alias, "BEGIN");
  for (int i = 0; i < kTables; ++i) {
    const QString t = prefix + name("T", i);
    const QString prev = name("ID", i == 0 ? kTables - 1 : i - 1);
    ExecOn(alias, QStringLiteral("CREATE TABLE %1 (%2 INTEGER PRIMARY KEY, %3 INTEGER, DESCR VARCHAR(40), "
                               "QTA INTEGER, DATA DATE)")
                    .arg(t, name("ID", i), prev));
    ExecOn(alias, QStringLiteral("CREATE INDEX %1 ON %2 (%3)").arg(name("IX", i), t, prev));
  }
  ExecOn(alias, "COMMIT");
}

bool Skip(benchmark::State& state) { return TarnwellBench::SkipWithoutPostgres(state, gPgUp); }

// The analysis as the analyser window runs it: every table checked.
void BM_Analyze_Tree(benchmark::State& state) {
  if (Skip(state)) return;
  QSqlDatabase db = TDBSession::Connection(AliasOf(int(state.range(0))));
  size_t tables = 0;
  for (auto _ : state) {
    const QStringList names = TDBAnalyzer::TableNames(db);
    const std::vector<bool> checked(size_t(names.size()), true);
    const auto gathered = TDBAnalyzer::GatherIndexes(db, names, checked);
    const TTreeTextNode root = TDBAnalyzer::AnalyzeRelations(gathered);
    tables = 0;
    for (const TTreeTextNode& c : root.Children) tables += c.Children.size();
    benchmark::DoNotOptimize(root);
  }
  if (tables != size_t(kTables)) state.SkipWithError("wrong number of tables in the tree");
}
BENCHMARK(BM_Analyze_Tree)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

// The catalog queries alone.
void BM_Analyze_Catalog(benchmark::State& state) {
  if (Skip(state)) return;
  QSqlDatabase db = TDBSession::Connection(AliasOf(int(state.range(0))));
  for (auto _ : state) {
    const QStringList names = Catalog::TableNames(db);
    for (const QString& n : names) {
      benchmark::DoNotOptimize(Catalog::FieldDefs(db, n));
      benchmark::DoNotOptimize(Catalog::IndexDefs(db, n));
    }
  }
}
BENCHMARK(BM_Analyze_Catalog)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

class TRatioReporter : public benchmark::ConsoleReporter {
 public:
  void ReportRuns(const std::vector<Run>& runs) override {
    ConsoleReporter::ReportRuns(runs);
    for (const Run& r : runs)
      if (r.run_type == Run::RT_Iteration && !r.error_occurred) mTimes[r.benchmark_name()] = r.GetAdjustedRealTime();
  }
  void Finalize() override {
    ConsoleReporter::Finalize();
    std::printf("\nAnalyser of %d tables against the catalog queries alone (0 SQLite, 1 PostgreSQL):\n", kTables);
    for (const char* arg : {"/0", "/1"}) {
      auto a = mTimes.find(std::string("BM_Analyze_Tree") + arg);
      auto b = mTimes.find(std::string("BM_Analyze_Catalog") + arg);
      if (a == mTimes.end() || b == mTimes.end() || b->second <= 0) continue;
      std::printf("  engine %s  analyser %8.1f ms  catalog %8.1f ms  ratio %.2f  (limit 2000 ms)\n", arg + 1,
                  a->second, b->second, a->second / b->second);
    }
  }

 private:
  std::map<std::string, double> mTimes;
};

void StartPostgres() {
  if (!TarnwellBench::StartBenchServer(gPg, kPg, "tarnwell-benchtree")) return;
  gPgUp = TarnwellBench::PrepareBenchServer(gPg, [] {
    ExecOn(kPg, "CREATE SCHEMA magazzino");
    CreateTables(kPg, "magazzino.");
    ExecOn(kPg, "ANALYZE");
  });
}

}  // namespace

int main(int argc, char** argv) {
  qputenv("QT_QPA_PLATFORM",
          qgetenv("QT_QPA_PLATFORM").isEmpty() ? QByteArray("offscreen") : qgetenv("QT_QPA_PLATFORM"));
  QGuiApplication app(argc, argv);
  QTemporaryDir dir;
  TAliasParams p;
  p.DatabaseName = dir.filePath("benchtree.sqlite");
  {
    QFile f(p.DatabaseName);  // the alias wants an existing file
    (void)f.open(QIODevice::WriteOnly);
  }
  TDBSession::RegisterAlias(kLite, p);
  try {
    CreateTables(kLite, QString());
  } catch (const EDatabaseError& e) {
    std::printf("SQLite set-up failed: %s\n", qPrintable(e.Message()));
    return 1;
  }
  StartPostgres();
  benchmark::Initialize(&argc, argv);
  TRatioReporter reporter;
  benchmark::RunSpecifiedBenchmarks(&reporter);
  benchmark::Shutdown();
  TDBSession::CloseAll();
  if (gPgUp) gPg.Stop();
  return 0;
}
