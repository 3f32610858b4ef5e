#include "PgServer.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QSettings>
#include <QSqlError>
#include <QSqlQuery>

#include <Tarnwell/database/DBEngine.h>
#include "PgCluster.h"

using namespace Tarnwell;

namespace {

struct TState {
  bool Running = false;
  bool Shared = false;      // the suite's server (CTest fixture), not our own
  bool DemoFilled = false;  // our database is a copy of the filled template
  QString Reason = QStringLiteral("not started");
  QString Database = QStringLiteral("postgres");
  TPgCluster Cluster;
};

TState& S() {
  static TState s;
  return s;
}

TAliasParams Params(const QString& database) {
  TAliasParams p;
  p.Driver = QStringLiteral("QPSQL");
  p.Host = S().Cluster.Socket;
  p.Port = S().Cluster.Port;
  p.UserName = TPgCluster::User();
  p.DatabaseName = database;
  return p;
}

// Runs one statement on the server's maintenance database.
bool Admin(const QString& sql, QString& error) {
  TDBSession::RegisterAlias("PGADMIN", Params("postgres"));
  bool ok = false;
  try {
    QSqlQuery q(TDBSession::Connection("PGADMIN"));
    ok = q.exec(sql);
    if (!ok) error = q.lastError().text();
  } catch (const EDatabaseError& e) {
    error = e.Message();
  }
  TDBSession::UnregisterAlias("PGADMIN");
  return ok;
}

// The suite's server, when the CTest fixture started one: this process works
// in a copy of the template database that the fixture filled.
bool UseSharedServer() {
#ifdef TARNWELL_PG_FIXTURE_DIR
  const QString dir = QStringLiteral(TARNWELL_PG_FIXTURE_DIR);
  if (!QFile::exists(dir + "/cluster.ini")) return false;
  QSettings st(dir + "/cluster.ini", QSettings::IniFormat);
  TState& s = S();
  if (st.contains("Unavailable")) {
    s.Reason = st.value("Unavailable").toString();
    return true;
  }
  s.Cluster.Root = s.Cluster.Socket = dir;
  s.Cluster.Port = st.value("Port").toInt();
  const QString db = QStringLiteral("tarnwell_p%1").arg(::getpid());
  QString error;
  Admin("DROP DATABASE IF EXISTS " + db, error);
  if (!Admin(QStringLiteral("CREATE DATABASE %1 TEMPLATE %2").arg(db, st.value("Template").toString()),
             error))
    return false;  // a stale state file: make a server of our own
  s.Shared = s.DemoFilled = true;
  s.Database = db;
  return true;
#else
  return false;
#endif
}

void StartOwnServer() {
  TState& s = S();
  char tmpl[] = "/tmp/tarnwell-pg-XXXXXX";
  if (!::mkdtemp(tmpl)) {
    s.Reason = QStringLiteral("cannot make a temporary folder");
    return;
  }
  QString reason;
  if (!s.Cluster.Start(QString::fromLocal8Bit(tmpl), reason)) {
    s.Reason = reason;
    s.Cluster.Stop();
    return;
  }
  s.Running = true;
}

class TPgEnvironment : public ::testing::Environment {
 public:
  void SetUp() override {
    TState& s = S();
    // Stands in for a machine without PostgreSQL (the suite checks that CI
    // then fails instead of skipping).
    if (qEnvironmentVariableIsSet("TARNWELL_PG_UNAVAILABLE")) {
      s.Reason = qEnvironmentVariable("TARNWELL_PG_UNAVAILABLE");
      return;
    }
    if (!UseSharedServer()) StartOwnServer();
    else s.Running = s.Shared;
    if (!s.Running) return;
    TDBSession::RegisterAlias(TPgServer::Alias(), Params(s.Database));
    try {
      TDBSession::Connection(TPgServer::Alias());
    } catch (const EDatabaseError& e) {
      s.Reason = QStringLiteral("cannot connect: ") + e.Message();
      s.Running = false;
    }
  }

  void TearDown() override {
    TState& s = S();
    TDBSession::CloseAll();
    if (s.Shared) {
      QString error;
      Admin("DROP DATABASE IF EXISTS " + s.Database, error);
    } else if (!s.Cluster.Root.isEmpty()) {
      s.Cluster.Stop();
    }
    s.Running = false;
  }
};

[[maybe_unused]] ::testing::Environment* const gPgEnv =
    ::testing::AddGlobalTestEnvironment(new TPgEnvironment);

}  // namespace

bool TPgServer::Running() { return S().Running; }
QString TPgServer::Reason() { return S().Reason; }
QString TPgServer::SocketDir() { return S().Cluster.Socket; }
int TPgServer::Port() { return S().Cluster.Port; }
QString TPgServer::Database() { return S().Database; }
bool TPgServer::DemoFilled() { return S().DemoFilled; }

QString TPgServer::Psql(const QString& sql) {
  QProcess p;
  p.setProcessChannelMode(QProcess::SeparateChannels);
  p.start(QStringLiteral("psql"), {"-X", "-q", "-A", "-t", "-h", SocketDir(), "-p", QString::number(Port()),
                                   "-U", User(), "-d", Database(), "-v", "ON_ERROR_STOP=1", "-c", sql});
  if (!p.waitForFinished(30000)) return QStringLiteral("<psql timed out>");
  return QString::fromUtf8(p.readAllStandardOutput()).trimmed();
}
