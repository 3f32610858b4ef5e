#pragma once
// Helpers of the spreadsheet engine suite.
#include <QLocale>
#include <QProcess>
#include <QStandardPaths>
#include <QString>

// Switches the default locale for one test and restores it.
class TLocaleGuard {
 public:
  explicit TLocaleGuard(const QLocale& l) : mOld(QLocale()) { QLocale::setDefault(l); }
  ~TLocaleGuard() { QLocale::setDefault(mOld); }

 private:
  QLocale mOld;
};

// Runs python3 with a script and input; empty optional-like flag when absent.
inline bool RunPython(const QString& script, const QByteArray& input, QByteArray& out, QString& error) {
  const QString exe = QStandardPaths::findExecutable(QStringLiteral("python3"));
  if (exe.isEmpty()) {
    error = QStringLiteral("python3 not found");
    return false;
  }
  QProcess p;
  p.start(exe, {QStringLiteral("-c"), script});
  if (!p.waitForStarted(10000)) {
    error = QStringLiteral("python3 did not start");
    return false;
  }
  p.write(input);
  p.closeWriteChannel();
  p.waitForFinished(60000);
  out = p.readAllStandardOutput();
  error = QString::fromLocal8Bit(p.readAllStandardError());
  return p.exitStatus() == QProcess::NormalExit && p.exitCode() == 0;
}

inline bool HavePython() { return !QStandardPaths::findExecutable(QStringLiteral("python3")).isEmpty(); }
