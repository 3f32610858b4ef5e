#include "PgCluster.h"

#include <pwd.h>
#include <unistd.h>

#include <QDir>
#include <QFile>
#include <QProcess>
#include <algorithm>

bool PgRequired() { return qEnvironmentVariable("CI") == QLatin1String("true"); }

QString TPgCluster::FindBin() {
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

bool TPgCluster::Run(const QString& program, const QStringList& args, QString& output, int timeoutMs) const {
  QProcess p;
  p.setWorkingDirectory(Root);
  p.setProcessChannelMode(QProcess::MergedChannels);
  if (AsNobody)
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

bool TPgCluster::Start(const QString& root, QString& reason) {
  Bin = FindBin();
  if (Bin.isEmpty()) {
    reason = QStringLiteral("no PostgreSQL server binaries in /usr/lib/postgresql (Debian package postgresql)");
    return false;
  }
  AsNobody = ::geteuid() == 0;
  Root = root;
  Data = Root + "/data";
  Socket = Root;
  if (AsNobody) {
    struct passwd* pw = ::getpwnam("nobody");
    if (!pw || ::chown(QFile::encodeName(Root).constData(), pw->pw_uid, pw->pw_gid) != 0) {
      reason = QStringLiteral("cannot hand the temporary folder to the user nobody");
      return false;
    }
  }
  Port = 50000 + int(::getpid() % 10000);
  QString out;
  if (!Run(Bin + "/initdb",
           {"-D", Data, "-U", User(), "-A", "trust", "-E", "UTF8", "--no-locale", "--no-sync",
            "--no-instructions"},
           out)) {
    reason = QStringLiteral("initdb failed: ") + out.trimmed().left(400);
    return false;
  }
  const QString opts = QStringLiteral(
                           "-k %1 -p %2 -c listen_addresses= -c fsync=off -c synchronous_commit=off "
                           "-c full_page_writes=off -c max_connections=40 -c shared_buffers=16MB")
                           .arg(Socket)
                           .arg(Port);
  if (!Run(Bin + "/pg_ctl", {"-D", Data, "-o", opts, "-l", Root + "/server.log", "-w", "-t", "60", "start"},
           out)) {
    QFile log(Root + "/server.log");
    log.open(QIODevice::ReadOnly);
    reason = QStringLiteral("pg_ctl start failed: ") + out.trimmed().left(300) + " " +
             QString::fromLocal8Bit(log.readAll()).trimmed().right(300);
    return false;
  }
  return true;
}

void TPgCluster::Stop() {
  if (!Bin.isEmpty() && QFile::exists(Data + "/postmaster.pid")) {
    QString out;
    Run(Bin + "/pg_ctl", {"-D", Data, "-m", "fast", "-w", "-t", "30", "stop"}, out);
  }
  if (!Root.isEmpty()) QDir(Root).removeRecursively();
}
