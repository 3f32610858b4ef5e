// The enhanced query against the same statements run through raw QSqlQuery
// in the same process, on SQLite and on a private PostgreSQL server:
//  - a detail refresh when the master scrolls (ORDINI by the indexed CODCLI);
//  - the record count of the 100 000 movements with an ORDER BY.
#include <benchmark/benchmark.h>

#include <QGuiApplication>
#include <QSqlQuery>
#include <QSqlRecord>
#include <QTemporaryDir>
#include <cstdio>
#include <map>

#include <Tarnwell/database/demo/DBDemos.h>
#include <Tarnwell/database/DBEngine.h>
#include <Tarnwell/database/EnhQuery.h>
#include "BenchPostgres.h"
#include "PgCluster.h"

using namespace Tarnwell;

namespace {

const QString kLite = QStringLiteral("BENCHLITE");
const QString kPg = QStringLiteral("BENCHPGQ");
TPgCluster gPg;
bool gPgUp = false;

QString AliasOf(int engine) { return engine ? kPg : kLite; }

bool Skip(benchmark::State& state) { return TarnwellBench::SkipWithoutPostgres(state, gPgUp); }

// --- detail refresh on a master scroll

void BM_DetailScroll_Query(benchmark::State& state) {
  if (Skip(state)) return;
  QObject owner;
  TEnhQuery master(&owner), detail(&owner);
  master.setDatabaseName(AliasOf(int(state.range(0))));
  detail.setDatabaseName(AliasOf(int(state.range(0))));
  master.setZFrom({"CLIENTI"});
  master.setZOrderBy({"CODCLI"});
  detail.setZFrom({"ORDINI"});
  master.setDetailQuery(&detail);
  master.setDetailIndex("CODCLI");
  master.Open();
  for (auto _ : state) {
    master.Next();
    if (master.Eof()) master.First();
    for (detail.First(); !detail.Eof(); detail.Next()) benchmark::DoNotOptimize(detail.Fields(0)->Value());
  }
}
BENCHMARK(BM_DetailScroll_Query)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

void BM_DetailScroll_Raw(benchmark::State& state) {
  if (Skip(state)) return;
  QSqlDatabase db = TDBSession::Connection(AliasOf(int(state.range(0))));
  std::vector<qint64> keys;
  {
    QSqlQuery k(db);
    k.exec("SELECT \"CODCLI\" FROM \"CLIENTI\" ORDER BY \"CODCLI\"");
    while (k.next()) keys.push_back(k.value(0).toLongLong());
  }
  size_t i = 0;
  for (auto _ : state) {
    QSqlQuery q(db);
    q.setForwardOnly(true);
    q.prepare("SELECT * FROM \"ORDINI\" WHERE (\"CODCLI\" = ?)");
    q.addBindValue(keys[i++ % keys.size()]);
    q.exec();
    const int n = q.record().count();
    while (q.next())
      for (int c = 0; c < n; ++c) benchmark::DoNotOptimize(q.value(c));
  }
}
BENCHMARK(BM_DetailScroll_Raw)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

// --- record count with ORDER BY

void BM_CountOrdered_Query(benchmark::State& state) {
  if (Skip(state)) return;
  TEnhQuery q;
  q.setDatabaseName(AliasOf(int(state.range(0))));
  q.setZFrom({"MOVIMENTI"});
  q.setZOrderBy({"DATAMOV DESC"});
  q.Open();
  int n = 0;
  for (auto _ : state) benchmark::DoNotOptimize(n = q.RecordCount());
  if (n != kDemoMovementRows) state.SkipWithError("wrong count");
}
BENCHMARK(BM_CountOrdered_Query)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

// The statement wrapped as it stands, ORDER BY included.
void BM_CountOrdered_Raw(benchmark::State& state) {
  if (Skip(state)) return;
  QSqlDatabase db = TDBSession::Connection(AliasOf(int(state.range(0))));
  for (auto _ : state) {
    QSqlQuery q(db);
    q.exec("SELECT COUNT(*) FROM (SELECT * FROM \"MOVIMENTI\" ORDER BY \"DATAMOV\" DESC) t");
    q.next();
    benchmark::DoNotOptimize(q.value(0));
  }
}
BENCHMARK(BM_CountOrdered_Raw)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

// The plain count of the table: the floor.
void BM_CountPlain_Raw(benchmark::State& state) {
  if (Skip(state)) return;
  QSqlDatabase db = TDBSession::Connection(AliasOf(int(state.range(0))));
  for (auto _ : state) {
    QSqlQuery q(db);
    q.exec("SELECT COUNT(*) FROM \"MOVIMENTI\"");
    q.next();
    benchmark::DoNotOptimize(q.value(0));
  }
}
BENCHMARK(BM_CountPlain_Raw)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

class TRatioReporter : public benchmark::ConsoleReporter {
 public:
  void ReportRuns(const std::vector<Run>& runs) override {
    ConsoleReporter::ReportRuns(runs);
    for (const Run& r : runs)
      if (r.run_type == Run::RT_Iteration && !r.error_occurred) mTimes[r.benchmark_name()] = r.GetAdjustedRealTime();
  }
  void Finalize() override {
    ConsoleReporter::Finalize();
    std::printf("\nRatios to raw QSqlQuery (engine 0 SQLite, 1 PostgreSQL):\n");
    for (auto& [name, t] : mTimes) {
      const auto pos = name.find("_Query");
      if (pos == std::string::npos) continue;
      for (const bool plain : {false, true}) {
        std::string b = name;
        b.replace(pos, 6, "_Raw");
        if (plain) {
          const auto o = b.find("Ordered");
          if (o == std::string::npos) continue;
          b.replace(o, 7, "Plain");
        }
        auto it = mTimes.find(b);
        if (it != mTimes.end() && it->second > 0)
          std::printf("  %-30s %8.3f ms vs %-28s %8.3f ms  ratio %.2f\n", name.c_str(), t, b.c_str(), it->second,
                      t / it->second);
      }
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
  const QString file = dir.filePath("benchq.sqlite");
  GenerateDemoDatabase(file, QDate(2024, 3, 15), kDemoMovementRows);
  TAliasParams p;
  p.DatabaseName = file;
  TDBSession::RegisterAlias(kLite, p);
  gPgUp = TarnwellBench::StartAnalysedBenchPostgres(gPg, kPg, "tarnwell-benchq");
  benchmark::Initialize(&argc, argv);
  TRatioReporter reporter;
  benchmark::RunSpecifiedBenchmarks(&reporter);
  benchmark::Shutdown();
  TDBSession::CloseAll();
  if (gPgUp) gPg.Stop();
  return 0;
}
