// The enhanced grid over the 100 000 movements, each case against raw
// QSqlQuery reading the same rows in the same run (SQLite and a private
// PostgreSQL server):
//  - opening the table and painting the first page;
//  - a page scroll at row 100 000 with its repaint;
//  - a full 1920x1080 viewport with 10 colour rules;
//  - a title-click sort of the 100 000 rows and the repaint of its first page.
#include <benchmark/benchmark.h>

#include <QApplication>
#include <QKeyEvent>
#include <QPainter>
#include <QSqlQuery>
#include <QSqlRecord>
#include <QTemporaryDir>
#include <cstdio>
#include <map>

#include <Tarnwell/database/DBEngine.h>
#include <Tarnwell/database/DBTable.h>
#include <Tarnwell/database/EnhDBGrd.h>
#include <Tarnwell/database/EnhQuery.h>
#include <Tarnwell/database/demo/DBDemos.h>
#include <Tarnwell/platform/TApplication.h>
#include "BenchPostgres.h"
#include "PgCluster.h"

using namespace Tarnwell;

namespace {

const QString kLite = QStringLiteral("BENCHGRIDLITE");
const QString kPg = QStringLiteral("BENCHGRIDPG");
TPgCluster gPg;
bool gPgUp = false;

QString AliasOf(int engine) { return engine ? kPg : kLite; }

bool Skip(benchmark::State& state) { return TarnwellBench::SkipWithoutPostgres(state, gPgUp); }

QString Table(int engine) { return engine ? QStringLiteral("\"MOVIMENTI\"") : QStringLiteral("MOVIMENTI"); }

// Reads `rows` rows of a statement, every column.
void RawRows(QSqlDatabase db, const QString& sql, int rows) {
  QSqlQuery q(db);
  q.setForwardOnly(true);
  q.exec(sql);
  const int n = q.record().count();
  for (int r = 0; r < rows && q.next(); ++r)
    for (int c = 0; c < n; ++c) benchmark::DoNotOptimize(q.value(c));
}

struct TGridRig {
  QWidget Window;
  TDataSource Source{&Window};
  TEnhDBGrid* Grid;
  QImage Image;
  TGridRig(int w, int h) : Grid(new TEnhDBGrid(&Window)) {
    Window.resize(w, h);
    Grid->setGeometry(0, 0, w, h);
    Grid->setDataSource(&Source);
    Window.show();
    Image = QImage(Grid->viewport()->size(), QImage::Format_RGB32);
  }
  void Paint() {
    QPainter p(&Image);
    Grid->PaintGrid(p, Image.rect());
  }
  int PageRows() const { return Grid->VisibleRowCount() + 1; }
  // The grid over the 100 000 movements of the engine.
  void Bind(TTable& t, int engine) {
    t.setDatabaseName(AliasOf(engine));
    t.setTableName("MOVIMENTI");
    Source.setDataSet(&t);
  }
};

// The baseline of a first page: the rows a grid of that size shows, read raw.
void RawFirstPage(benchmark::State& state, int w, int h) {
  if (Skip(state)) return;
  const int engine = int(state.range(0));
  TGridRig rig(w, h);
  const int rows = rig.PageRows();
  QSqlDatabase db = TDBSession::Connection(AliasOf(engine));
  for (auto _ : state) RawRows(db, "SELECT * FROM " + Table(engine) + " LIMIT " + QString::number(rows), rows);
}

// --- the first page

void BM_FirstPage_Grid(benchmark::State& state) {
  if (Skip(state)) return;
  TGridRig rig(1024, 768);
  TTable t(&rig.Window);
  rig.Bind(t, int(state.range(0)));
  int rows = 0;
  for (auto _ : state) {
    t.Open();
    rig.Paint();
    state.PauseTiming();
    rows = rig.PageRows();
    t.Close();
    state.ResumeTiming();
  }
  state.counters["rows"] = rows;
}
BENCHMARK(BM_FirstPage_Grid)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

void BM_FirstPage_Raw(benchmark::State& state) { RawFirstPage(state, 1024, 768); }
BENCHMARK(BM_FirstPage_Raw)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

// --- a page scroll at row 100 000

void BM_PageScroll_Grid(benchmark::State& state) {
  if (Skip(state)) return;
  TGridRig rig(1024, 768);
  TTable t(&rig.Window);
  rig.Bind(t, int(state.range(0)));
  t.Open();
  t.Last();
  bool up = true;
  for (auto _ : state) {
    QKeyEvent key(QEvent::KeyPress, up ? Qt::Key_PageUp : Qt::Key_PageDown, Qt::NoModifier);
    QApplication::sendEvent(rig.Grid, &key);
    rig.Paint();
    up = !up;
  }
  if (t.RecNo() < kDemoMovementRows - 2 * rig.PageRows()) state.SkipWithError("not at the end");
}
BENCHMARK(BM_PageScroll_Grid)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

void BM_PageScroll_Raw(benchmark::State& state) {
  if (Skip(state)) return;
  const int engine = int(state.range(0));
  TGridRig rig(1024, 768);
  const int rows = rig.PageRows();
  QSqlDatabase db = TDBSession::Connection(AliasOf(engine));
  const QString sql = "SELECT * FROM " + Table(engine) + " ORDER BY " + (engine ? "\"ID\"" : "ID") + " LIMIT " +
                      QString::number(rows) + " OFFSET " + QString::number(kDemoMovementRows - rows);
  for (auto _ : state) RawRows(db, sql, rows);
}
BENCHMARK(BM_PageScroll_Raw)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

// --- 1920x1080 with 10 colour rules

void BM_Rules1080p_Grid(benchmark::State& state) {
  if (Skip(state)) return;
  TGridRig rig(1920, 1080);
  TTable t(&rig.Window);
  rig.Bind(t, int(state.range(0)));
  rig.Grid->setColorCond({"DELTA | < | 100 | clRed | clWhite", "DELTA | > | 200 | clYellow | clBlue",
                          "QTA | > | 40 | clLime | clBlack", "QTA | < | 5 | clAqua | clNavy",
                          "IMPORTO | >= | 4000 | clFuchsia | clWhite", "IMPORTO | < | 100 | clSilver | clMaroon",
                          "Tipo | = | ORG | clTeal | clWhite", "CAUSALE | = | Reso | clOlive | clWhite",
                          "DURATA | > | 150000 | clGray | clWhite", "CODCLI | = | @DELTA | clNavy | clYellow"});
  rig.Grid->setConversion({"Tipo | = | ORG | Sostituisci con | Organiz."});
  t.Open();
  rig.Paint();
  for (auto _ : state) rig.Paint();
  state.counters["rows"] = rig.PageRows();
  state.counters["cols"] = rig.Grid->Columns().Count();
}
BENCHMARK(BM_Rules1080p_Grid)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

void BM_Rules1080p_Raw(benchmark::State& state) { RawFirstPage(state, 1920, 1080); }
BENCHMARK(BM_Rules1080p_Raw)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

// --- title-click sort

void BM_TitleSort_Grid(benchmark::State& state) {
  if (Skip(state)) return;
  TGridRig rig(1024, 768);
  TEnhQuery q(&rig.Window);
  q.setDatabaseName(AliasOf(int(state.range(0))));
  q.setZFrom({"MOVIMENTI"});
  rig.Source.setDataSet(&q);
  q.Open();
  int col = -1;
  for (int i = 0; i < rig.Grid->Columns().Count(); ++i)
    if (rig.Grid->Columns()[i]->FieldName() == "IMPORTO") col = i;
  for (auto _ : state) {
    rig.Grid->ToggleSortColumn(col);  // ascending, descending, ascending ...
    rig.Paint();
  }
  if (q.SortPosition("IMPORTO") != 0) state.SkipWithError("not sorted");
}
BENCHMARK(BM_TitleSort_Grid)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

void BM_TitleSort_Raw(benchmark::State& state) {
  if (Skip(state)) return;
  const int engine = int(state.range(0));
  TGridRig rig(1024, 768);
  const int rows = rig.PageRows();
  QSqlDatabase db = TDBSession::Connection(AliasOf(engine));
  bool desc = false;
  for (auto _ : state) {
    // The same statement as the grid's, the engine sorting every row.
    RawRows(db, "SELECT * FROM " + Table(engine) + " ORDER BY " + (engine ? "\"IMPORTO\"" : "IMPORTO") +
                    (desc ? " DESC" : ""),
            rows);
    desc = !desc;
  }
}
BENCHMARK(BM_TitleSort_Raw)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

class TRatioReporter : public benchmark::ConsoleReporter {
 public:
  void ReportRuns(const std::vector<Run>& runs) override {
    ConsoleReporter::ReportRuns(runs);
    for (const Run& r : runs)
      if (r.run_type == Run::RT_Iteration && !r.error_occurred) {
        mTimes[r.benchmark_name()] = r.GetAdjustedRealTime();
        mCpu[r.benchmark_name()] = r.GetAdjustedCPUTime();
      }
  }
  void Finalize() override {
    ConsoleReporter::Finalize();
    // CPU time of this process's main thread: the machine is shared, and wall
    // time would count other processes' turns (and, on PostgreSQL, the server's).
    std::printf("\nGrid against raw QSqlQuery reading the same rows (engine 0 SQLite, 1 PostgreSQL), CPU time:\n");
    for (auto& [name, t] : mTimes) {
      const auto pos = name.find("_Grid");
      if (pos == std::string::npos) continue;
      std::string b = name;
      b.replace(pos, 5, "_Raw");
      auto it = mCpu.find(b);
      const double cpu = mCpu[name];
      if (it != mCpu.end() && it->second > 0)
        std::printf("  %-24s %8.3f ms (wall %8.3f) vs %-22s %8.3f ms  ratio %.1f\n", name.c_str(), cpu, t, b.c_str(),
                    it->second, cpu / it->second);
    }
  }

 private:
  std::map<std::string, double> mTimes, mCpu;
};

}  // namespace

int main(int argc, char** argv) {
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  TApplication app(argc, argv);
  InitializeTarnwell();
  QTemporaryDir dir;
  const QString file = dir.filePath("benchgrid.sqlite");
  GenerateDemoDatabase(file, QDate(2024, 3, 15), kDemoMovementRows);
  TAliasParams p;
  p.DatabaseName = file;
  TDBSession::RegisterAlias(kLite, p);
  gPgUp = TarnwellBench::StartAnalysedBenchPostgres(gPg, kPg, "tarnwell-benchgrid");
  benchmark::Initialize(&argc, argv);
  TRatioReporter reporter;
  benchmark::RunSpecifiedBenchmarks(&reporter);
  benchmark::Shutdown();
  TDBSession::CloseAll();
  if (gPgUp) gPg.Stop();
  return 0;
}
