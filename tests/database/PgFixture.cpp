// One PostgreSQL server for the whole database suite, started before the
// first test case and stopped after the last (CTest fixture), so that every
// test process need not make a cluster of its own:
//
//   tarnwell-pgfixture start DIR   makes the cluster in DIR, fills the demo
//                                  data into the template database, writes DIR/cluster.ini
//   tarnwell-pgfixture stop DIR    stops it and removes DIR
//
// Each test process copies the template into a database of its own (see
// PgServer.cpp), so test cases neither see each other's changes nor depend
// on their order. Without PostgreSQL the state file says why, and the
// PostgreSQL cases skip (under CI=true the start and the cases fail instead).
#include <QCoreApplication>
#include <QDir>
#include <QSettings>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <cstdio>

#include <Tarnwell/database/DBEngine.h>
#include <Tarnwell/database/demo/DBDemos.h>
#include "PgCluster.h"

using namespace Tarnwell;

namespace {

const QString kTemplate = QStringLiteral("tarnwell_demo");

TPgCluster FromState(const QString& dir) {
  QSettings st(dir + "/cluster.ini", QSettings::IniFormat);
  TPgCluster c;
  c.Bin = st.value("Bin").toString();
  c.Root = dir;
  c.Data = dir + "/data";
  c.Socket = dir;
  c.Port = st.value("Port").toInt();
  c.AsNobody = st.value("AsNobody").toBool();
  return c;
}

int Start(const QString& dir) {
  // Whatever a run that was interrupted left behind goes first.
  if (QFile::exists(dir + "/cluster.ini")) FromState(dir).Stop();
  QDir(dir).removeRecursively();
  if (!QDir().mkpath(dir)) {
    std::fprintf(stderr, "tarnwell-pgfixture: cannot make %s\n", qPrintable(dir));
    return 1;
  }
  TPgCluster c;
  QString reason;
  QSettings st(dir + "/cluster.ini", QSettings::IniFormat);
  auto unavailable = [&](const QString& why) {
    c.Stop();
    QDir().mkpath(dir);
    QSettings again(dir + "/cluster.ini", QSettings::IniFormat);
    again.setValue("Unavailable", why);
    again.sync();
    std::printf("PostgreSQL unavailable: %s\n", qPrintable(why));
    // The PostgreSQL cases skip and say why; under CI they fail, and so does this.
    return PgRequired() ? 1 : 0;
  };
  if (!c.Start(dir, reason)) return unavailable(reason);
  try {
    TAliasParams p;
    p.Driver = QStringLiteral("QPSQL");
    p.Host = c.Socket;
    p.Port = c.Port;
    p.UserName = TPgCluster::User();
    p.DatabaseName = QStringLiteral("postgres");
    TDBSession::RegisterAlias("PGADMIN", p);
    QSqlQuery q(TDBSession::Connection("PGADMIN"));
    if (!q.exec("CREATE DATABASE " + kTemplate)) return unavailable(q.lastError().text());
    p.DatabaseName = kTemplate;
    TDBSession::RegisterAlias("PGTEMPLATE", p);
    FillDemoDatabase(TDBSession::Connection("PGTEMPLATE"), PgDemoAnchor(), kPgDemoMovements);
    TDBSession::CloseAll();
  } catch (const ETarnwellError& e) {
    return unavailable(e.Message());
  }
  st.setValue("Bin", c.Bin);
  st.setValue("Port", c.Port);
  st.setValue("AsNobody", c.AsNobody);
  st.setValue("Template", kTemplate);
  st.sync();
  std::printf("PostgreSQL on port %d in %s\n", c.Port, qPrintable(dir));
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  QCoreApplication app(argc, argv);
  const QStringList args = app.arguments();
  if (args.size() != 3 || (args[1] != "start" && args[1] != "stop")) {
    std::fprintf(stderr, "usage: tarnwell-pgfixture start|stop DIR\n");
    return 2;
  }
  const QString dir = QDir(args[2]).absolutePath();
  if (args[1] == "start") return Start(dir);
  if (QFile::exists(dir + "/cluster.ini")) FromState(dir).Stop();
  QDir(dir).removeRecursively();
  return 0;
}
