#pragma once
// The database benchmarks' private PostgreSQL server: started in a folder of
// its own (the server may run as another user, who must reach it), `alias`
// registered on it, the demo tables created and MOVIMENTI filled with
// 100 000 rows on the server itself.
#include <benchmark/benchmark.h>

#include <QDate>
#include <QString>
#include <cstdio>
#include <cstdlib>

#include <Tarnwell/database/DBEngine.h>
#include <Tarnwell/database/DBQuery.h>
#include <Tarnwell/database/demo/DBDemos.h>
#include "PgCluster.h"

namespace TarnwellBench {

// Runs one statement through the layer on `alias` (errors throw).
inline void ExecOn(const QString& alias, const QString& sql) {
  Tarnwell::TQuery q;
  q.setDatabaseName(alias);
  q.SetSQLText(sql);
  q.ExecSQL();
}

// Skips a benchmark whose first argument picks PostgreSQL (1) when no server is up.
inline bool SkipWithoutPostgres(benchmark::State& state, bool pgUp) {
  if (state.range(0) == 1 && !pgUp) {
    state.SkipWithError("PostgreSQL is not available");
    return true;
  }
  return false;
}

// Starts an empty server in a folder of its own and registers `alias` on its
// "postgres" database; false, with the reason printed, when it cannot.
inline bool StartBenchServer(TPgCluster& pg, const QString& alias, const char* folderPrefix) {
  using namespace Tarnwell;
  QByteArray tmpl = QByteArray("/tmp/") + folderPrefix + "-XXXXXX";
  if (!::mkdtemp(tmpl.data())) return false;
  QString reason;
  if (!pg.Start(QString::fromLocal8Bit(tmpl), reason)) {
    std::printf("PostgreSQL not available: %s\n", qPrintable(reason));
    return false;
  }
  TAliasParams p;
  p.Driver = QStringLiteral("QPSQL");
  p.Host = pg.Socket;
  p.Port = pg.Port;
  p.UserName = TPgCluster::User();
  p.DatabaseName = QStringLiteral("postgres");
  TDBSession::RegisterAlias(alias, p);
  return true;
}

// Runs `prepare` (statements through the layer) on a started server; when it
// fails the reason is printed and the server stopped.
template <class F>
inline bool PrepareBenchServer(TPgCluster& pg, F&& prepare) {
  try {
    prepare();
  } catch (const Tarnwell::EDatabaseError& e) {
    std::printf("PostgreSQL not available: %s\n", qPrintable(e.Message()));
    pg.Stop();
    return false;
  }
  return true;
}

// False, with the reason printed, when no server could be started or filled.
inline bool StartBenchPostgres(TPgCluster& pg, const QString& alias, const char* folderPrefix) {
  using namespace Tarnwell;
  if (!StartBenchServer(pg, alias, folderPrefix)) return false;
  return PrepareBenchServer(pg, [&] {
    QSqlDatabase db = TDBSession::Connection(alias);
    FillDemoDatabase(db, QDate(2024, 3, 15), 10);
    ExecOn(alias, "DELETE FROM \"MOVIMENTI\"");
    ExecOn(alias,
           "INSERT INTO \"MOVIMENTI\" SELECT g, TIMESTAMP '2024-01-01' + g * INTERVAL '7 minutes', 1001 + g % 40, "
           "'A' || lpad((g % 50)::text, 3, '0'), (ARRAY['Vendita','Reso','Carico'])[1 + g % 3], 1 + g % 20, "
           "(g % 10000) / 100.0, g % 300, (ARRAY['ORG','PRV','ENT'])[1 + g % 3], g % 500 "
           "FROM generate_series(1, 100000) g");
  });
}

// As StartBenchPostgres, with the planner's statistics gathered.
inline bool StartAnalysedBenchPostgres(TPgCluster& pg, const QString& alias, const char* folderPrefix) {
  return StartBenchPostgres(pg, alias, folderPrefix) &&
         PrepareBenchServer(pg, [&] { ExecOn(alias, "VACUUM ANALYZE"); });
}

}  // namespace TarnwellBench
