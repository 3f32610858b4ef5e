#pragma once
// A throw-away PostgreSQL cluster: initdb in a folder of ours, the server's
// Unix socket in that folder (so any port number is free there), no fsync.
// As root the server programs run as the unprivileged user "nobody".

#include <QDate>
#include <QString>
#include <QStringList>

// What the suite's demo data on PostgreSQL is made from (the same as on SQLite).
inline QDate PgDemoAnchor() { return QDate(2024, 3, 15); }
constexpr int kPgDemoMovements = 2000;

// Whether a missing server is a failure rather than a reason to skip the
// PostgreSQL cases: under CI (CI=true), where a run that skipped them must not
// pass.
bool PgRequired();

struct TPgCluster {
  QString Bin, Root, Data, Socket;
  int Port = 0;
  bool AsNobody = false;

  static QString User() { return QStringLiteral("tarnwell"); }
  // Where the server binaries are; empty when PostgreSQL is not installed.
  static QString FindBin();
  // Makes and starts a cluster in `root` (an empty folder); false with the reason.
  bool Start(const QString& root, QString& reason);
  // Stops the server (if it runs) and removes the folder.
  void Stop();
  // Runs a server program, as "nobody" when we are root (initdb refuses root).
  bool Run(const QString& program, const QStringList& args, QString& output, int timeoutMs = 60000) const;
};
