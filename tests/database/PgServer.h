#pragma once
// A private PostgreSQL server for the suite: initdb in a temporary folder, a
// Unix socket in that folder, started before the first test and stopped after
// the last. As root the server runs as the unprivileged user "nobody".

#include <QString>

struct TPgServer {
  // Whether the server runs; when not, Reason() says why.
  static bool Running();
  static QString Reason();
  static QString SocketDir();
  static int Port();
  static QString User() { return QStringLiteral("tarnwell"); }
  static QString Database() { return QStringLiteral("postgres"); }
  // The alias the suite registers for it.
  static QString Alias() { return QStringLiteral("PGTEST"); }
  // Runs psql with a command; the output (unaligned, tuples only).
  static QString Psql(const QString& sql);
};

// Skips the current test visibly when there is no server.
#define REQUIRE_PG()                                                                                \
  do {                                                                                              \
    if (!TPgServer::Running()) GTEST_SKIP() << "PostgreSQL: " << TPgServer::Reason().toStdString(); \
  } while (0)
