#include "FileViewEnv.h"

#include <stdlib.h>

#include <QDir>
#include <QProcessEnvironment>
#include <QUuid>
#include <cstdio>
#include <string>

namespace {

std::string& Root() {
  static std::string r;
  return r;
}

// Runs before main(): the application and QStandardPaths see this home.
const bool kPrepared = [] {
  char tmpl[] = "/tmp/tarnwell-fileview-XXXXXX";
  const char* d = ::mkdtemp(tmpl);
  Root() = d ? d : "/tmp/tarnwell-fileview";
  const std::string home = Root() + "/home";
  ::setenv("HOME", home.c_str(), 1);
  ::setenv("XDG_DATA_HOME", (home + "/.local/share").c_str(), 1);
  ::setenv("XDG_CONFIG_HOME", (home + "/.config").c_str(), 1);
  QDir().mkpath(QString::fromStdString(home + "/.local/share"));
  QDir().mkpath(QString::fromStdString(home + "/.config"));
  QDir().mkpath(QString::fromStdString(home + "/Desktop"));
  std::atexit([] {
    if (Root().rfind("/tmp/tarnwell-fileview-", 0) == 0) QDir(QString::fromStdString(Root())).removeRecursively();
  });
  return true;
}();

}  // namespace

QString TestHome() { return QString::fromStdString(Root()) + QStringLiteral("/home"); }
QString TestDataHome() { return TestHome() + QStringLiteral("/.local/share"); }

QString FreshDir(const QString& name) {
  const QString p = QString::fromStdString(Root()) + QStringLiteral("/work/") + name + QLatin1Char('-') +
                    QUuid::createUuid().toString(QUuid::Id128).left(8);
  QDir().mkpath(p);
  return p;
}

void WriteFile(const QString& path, const QByteArray& data) {
  QFile f(path);
  if (f.open(QIODevice::WriteOnly)) f.write(data);
}

QByteArray ReadAll(const QString& path) {
  QFile f(path);
  return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

QString RunTool(const QString& program, const QStringList& args, int* exitCode) {
  QProcess p;
  p.setProcessEnvironment(QProcessEnvironment::systemEnvironment());
  p.start(program, args);
  p.waitForFinished(20000);
  if (exitCode) *exitCode = p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1;
  return QString::fromUtf8(p.readAllStandardOutput());
}
