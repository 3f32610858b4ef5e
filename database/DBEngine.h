#pragma once
// The engine behind the datasets: named aliases that map to Qt SQL
// connections, and the catalog (tables, field and index definitions) read from
// the engine's own system tables.
//
// Where aliases come from:
//  - aliases registered by the program (RegisterAlias), optionally with a
//    preparation step run before each new connection (a program's sample
//    database can be generated there on first use);
//  - every service of libpq's service files ($PGSERVICEFILE, else
//    ~/.pg_service.conf, and the system's) is a PostgreSQL alias of the same name;
//  - a database name that is a path is used directly: an SQLite file, or a
//    directory whose SQLite files (*.db, *.sqlite, *.sqlite3) are attached
//    each under its own base name, which becomes the owner prefix of its tables.

#include <QSqlDatabase>
#include <QStringList>
#include <functional>

#include "DBTypes.h"
#include <Tarnwell/TarnwellExport.h>

namespace Tarnwell {

// How to reach a database: the Qt SQL driver and its connection parameters, as an alias
// stands for them.
struct TARNWELL_DATABASE_EXPORT TAliasParams {
  QString Driver = QStringLiteral("QSQLITE");  // or "QPSQL"
  QString DatabaseName;                        // file path (SQLite) or database
  QString Host;                                // host name or Unix socket folder
  int Port = -1;
  QString UserName;
  QString Password;
  QString ConnectOptions;  // e.g. "service=name" for libpq
};

// Runs before a new connection of an alias is opened, for example to create its
// database file; raises EDatabaseError to refuse the connection.
using TAliasPrepare = std::function<void(const TAliasParams& params)>;

// The database session: the aliases and the open connections the datasets share, one per
// alias or path (static functions only).
class TARNWELL_DATABASE_EXPORT TDBSession {
 public:
  // Alias names: the registered ones in registration order, then the libpq services.
  static QStringList AliasNames();
  static bool IsAlias(const QString& name);
  // Registering a name again replaces it (and closes its open connection).
  static void RegisterAlias(const QString& name, const TAliasParams& params, TAliasPrepare prepare = {});
  static void UnregisterAlias(const QString& name);
  // The parameters an alias or path stands for; raises EDatabaseError for an
  // unknown name.
  static TAliasParams AliasParams(const QString& aliasOrPath);
  // libpq's service names from $PGSERVICEFILE (else ~/.pg_service.conf), then
  // from the system's file ($PGSYSCONFDIR/pg_service.conf), as libpq reads them.
  static QStringList PgServiceNames();

  // The open connection for an alias or path (one per name, reused); raises
  // EDatabaseError with the engine's message when it cannot be opened.
  static QSqlDatabase Connection(const QString& aliasOrPath);
  // Closes and forgets every connection (tests, and before files are replaced).
  static void CloseAll();
  static void CloseConnection(const QString& aliasOrPath);
  // How long a statement waits for a lock held by someone else before it
  // gives up with the engine's message (PostgreSQL), in milliseconds;
  // applies to connections opened afterwards.
  static int LockTimeout();
  static void SetLockTimeout(int ms);
};

// The catalog of one connection.
namespace Catalog {
// Table names without system tables; tables outside the default schema carry
// their owner as prefix ("owner.table").
TARNWELL_DATABASE_EXPORT QStringList TableNames(const QSqlDatabase& db);
inline QStringList TableNames(const QString& aliasOrPath) {
  return TableNames(TDBSession::Connection(aliasOrPath));
}
// Field definitions with the declared types mapped to field types.
TARNWELL_DATABASE_EXPORT TFieldDefs FieldDefs(const QSqlDatabase& db, const QString& table);
// Index definitions, including the implicit key of an SQLite INTEGER PRIMARY KEY.
TARNWELL_DATABASE_EXPORT TIndexDefs IndexDefs(const QSqlDatabase& db, const QString& table);
// A declared SQL type ("VARCHAR(40)", "numeric(10,2)") as a field type and size.
TARNWELL_DATABASE_EXPORT TFieldType MapDeclaredType(const QString& declared, int& size);
// "owner.table" or "table" quoted for SQL, each part with the engine's rules.
TARNWELL_DATABASE_EXPORT QString QuoteTableName(const QSqlDatabase& db, const QString& name);
TARNWELL_DATABASE_EXPORT QString QuoteIdentifier(const QSqlDatabase& db, const QString& name);
TARNWELL_DATABASE_EXPORT bool IsPostgres(const QSqlDatabase& db);
}  // namespace Catalog

}  // namespace Tarnwell
