#pragma once
// The PostgreSQL server of the suite. Under CTest one server serves every
// test process (a fixture starts it, see PgFixture.cpp) and each process works
// in a database of its own copied from the filled demo template; a test
// program run by hand makes a private server for its run instead.

#include <QString>
#include <string>

#include "PgCluster.h"  // PgRequired()

struct TPgServer {
  // Whether the server runs; when not, Reason() says why.
  static bool Running();
  static QString Reason();
  static QString SocketDir();
  static int Port();
  static QString User() { return QStringLiteral("tarnwell"); }
  // The database this process works in.
  static QString Database();
  // Whether it already holds the demo data (a copy of the fixture's template).
  static bool DemoFilled();
  // The alias the suite registers for it.
  static QString Alias() { return QStringLiteral("PGTEST"); }
  // Runs psql with a command; the output (unaligned, tuples only).
  static QString Psql(const QString& sql);
};

// Skips the current test visibly when there is no server (fails it when
// PgRequired()). Also usable in a fixture's SetUp().
#define REQUIRE_PG()                                                               \
  do {                                                                             \
    if (!TPgServer::Running()) {                                                   \
      const std::string why_ = TPgServer::Reason().toStdString();                  \
      if (PgRequired()) GTEST_FAIL() << "PostgreSQL required under CI: " << why_;  \
      GTEST_SKIP() << "PostgreSQL: " << why_;                                      \
    }                                                                              \
  } while (0)
