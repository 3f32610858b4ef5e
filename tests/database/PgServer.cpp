#include "PgServer.h"

#include <gtest/gtest.h>
#include <pwd.h>
#include <unistd.h>

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>

#include <Tarnwell/database/DBEngine.h>

using namespace Tarnwell;

namespace {

struct TState {
  bool Running = false;
  QString Reason = QStringLiteral("not started");
  QString Bin, Root, Data, Socket;
  int Port = 0;
  bool AsNobody = false;
};

TState& S() {
  static TState s;
  return s;
}

QString FindBin() {
  QDir base(QStringLiteral("/usr/lib/postgresql"));
  QStringList versions = base.entryList(QDir::Dirs | QDir::NoDotAndDotDot, QDir::Name);
  // Prefer 15, then the newest installed.
  if (versions.contains("15"))
    versions.prepend("15");
  else
    std::reverse(versions.begin(), versions.end());
  for (const QString& v : versions) {
    QString bin = base.filePath(v + "/bin");
    if (QFile::exists(bin + "/initdb") && QFile::exists(bin + "/pg_ctl")) return bin;
  }
  return {};
}

// Runs a server program, as "nobody" when we are root (initdb refuses root).
bool Run(const QString& program, const QStringList& args, QString& output, int timeoutMs = 60000) {
  QProcess p;
  p.setWorkingDirectory(S().Root);
  p.setProcessChannelMode(QProcess::MergedChannels);
  if (S().AsNobody)
    p.start(QStringLiteral("setpriv"),
            QStringList{"--reuid=nobody", "--regid=nogroup", "--clear-groups", "--", program} + args);
  else
    p.start(program, args);
  if (!p.waitForStarted(10000)) {
    output = program + QStringLiteral(": cannot start");
    return false;
  }
  if (!p.waitForFinished(timeoutMs)) {
    p.kill();
    p.waitForFinished(2000);
    output = program + QStringLiteral(": timed out");
    return false;
  }
  output = QString::fromLocal8Bit(p.readAll());
  return p.exitStatus() == QProcess::NormalExit && p.exitCode() == 0;
}

class TPgEnvironment : public ::testing::Environment {
 public:
  void SetUp() override {
    TState& s = S();
    s.Bin = FindBin();
    if (s.Bin.isEmpty()) {
      s.Reason =
          QStringLiteral("no PostgreSQL server binaries in /usr/lib/postgresql (Debian package postgresql)");
      return;
    }
    s.AsNobody = ::geteuid() == 0;
    char tmpl[] = "/tmp/tarnwell-pg-XXXXXX";
    if (!::mkdtemp(tmpl)) {
      s.Reason = QStringLiteral("cannot make a temporary folder");
      return;
    }
    s.Root = QString::fromLocal8Bit(tmpl);
    s.Data = s.Root + "/data";
    s.Socket = s.Root;
    if (s.AsNobody) {
      struct passwd* pw = ::getpwnam("nobody");
      if (!pw || ::chown(tmpl, pw->pw_uid, pw->pw_gid) != 0) {
        s.Reason = QStringLiteral("cannot hand the temporary folder to the user nobody");
        return;
      }
    }
    // The socket lives in our private folder, so any port number is free there.
    s.Port = 50000 + int(::getpid() % 10000);
    QString out;
    if (!Run(s.Bin + "/initdb",
             {"-D", s.Data, "-U", TPgServer::User(), "-A", "trust", "-E", "UTF8", "--no-locale", "--no-sync",
              "--no-instructions"},
             out)) {
      s.Reason = QStringLiteral("initdb failed: ") + out.trimmed().left(400);
      return;
    }
    const QString opts = QStringLiteral(
                             "-k %1 -p %2 -c listen_addresses= -c fsync=off -c synchronous_commit=off "
                             "-c full_page_writes=off -c max_connections=20 -c shared_buffers=16MB")
                             .arg(s.Socket)
                             .arg(s.Port);
    if (!Run(s.Bin + "/pg_ctl",
             {"-D", s.Data, "-o", opts, "-l", s.Root + "/server.log", "-w", "-t", "60", "start"}, out)) {
      QFile log(s.Root + "/server.log");
      log.open(QIODevice::ReadOnly);
      s.Reason = QStringLiteral("pg_ctl start failed: ") + out.trimmed().left(300) + " " +
                 QString::fromLocal8Bit(log.readAll()).trimmed().right(300);
      return;
    }
    s.Running = true;
    TAliasParams p;
    p.Driver = QStringLiteral("QPSQL");
    p.Host = s.Socket;
    p.Port = s.Port;
    p.UserName = TPgServer::User();
    p.DatabaseName = TPgServer::Database();
    TDBSession::RegisterAlias(TPgServer::Alias(), p);
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
    if (s.Running) {
      QString out;
      Run(s.Bin + "/pg_ctl", {"-D", s.Data, "-m", "fast", "-w", "-t", "30", "stop"}, out);
      s.Running = false;
    }
    if (!s.Root.isEmpty()) QDir(s.Root).removeRecursively();
  }
};

[[maybe_unused]] ::testing::Environment* const gPgEnv =
    ::testing::AddGlobalTestEnvironment(new TPgEnvironment);

}  // namespace

bool TPgServer::Running() { return S().Running; }
QString TPgServer::Reason() { return S().Reason; }
QString TPgServer::SocketDir() { return S().Socket; }
int TPgServer::Port() { return S().Port; }

QString TPgServer::Psql(const QString& sql) {
  QProcess p;
  p.setProcessChannelMode(QProcess::SeparateChannels);
  p.start(QStringLiteral("psql"), {"-X", "-q", "-A", "-t", "-h", SocketDir(), "-p", QString::number(Port()),
                                   "-U", User(), "-d", Database(), "-v", "ON_ERROR_STOP=1", "-c", sql});
  if (!p.waitForFinished(30000)) return QStringLiteral("<psql timed out>");
  return QString::fromUtf8(p.readAllStandardOutput()).trimmed();
}
