#pragma once
// The PostgreSQL side of the layer, spoken through libpq on the connection Qt
// opened: values travel apart from the statement text (PQexecParams), so no
// session setting can turn a value into SQL; large results are read through a
// server-side cursor on a reading connection of their own.

#include <QSqlDatabase>
#include <QString>
#include <QVariant>
#include <QVariantList>
#include <memory>

#include "DBTypes.h"
#include <Tarnwell/TarnwellExport.h>

typedef struct pg_conn PGconn;
typedef struct pg_result PGresult;

namespace Tarnwell::Pg {

// The libpq connection behind a Qt PostgreSQL connection; raises when there is none.
TARNWELL_DATABASE_EXPORT PGconn* Handle(const QSqlDatabase& db);
// Whether a transaction (or a failed one) is open on the connection.
TARNWELL_DATABASE_EXPORT bool InTransaction(PGconn* conn);

// Rewrites "?" placeholders as "$1", "$2" ... leaving string literals (also
// E'' strings and, with standard_conforming_strings off, backslash escapes in
// plain ones), quoted identifiers, dollar-quoted text and comments alone.
TARNWELL_DATABASE_EXPORT QString NumberedPlaceholders(const QString& sql, bool backslashEscapes, int* count = nullptr);

// One result, owned.
class TARNWELL_DATABASE_EXPORT TResult {
 public:
  TResult() = default;
  explicit TResult(PGresult* r) : mRes(r) {}
  TResult(TResult&& o) noexcept : mRes(o.mRes) { o.mRes = nullptr; }
  TResult& operator=(TResult&& o) noexcept;
  TResult(const TResult&) = delete;
  TResult& operator=(const TResult&) = delete;
  ~TResult();
  int Rows() const;
  int Columns() const;
  QString ColumnName(int c) const;
  unsigned ColumnType(int c) const;  // the type's oid
  int ColumnMod(int c) const;        // the type modifier (length, precision)
  bool IsNull(int r, int c) const;
  // The value in the form the dataset layer holds it (see Decode).
  QVariant Value(int r, int c) const;
  // Rows changed by an INSERT, UPDATE or DELETE.
  int Affected() const;
  bool HasTuples() const;
  // The command tag ("COMMIT", "ROLLBACK", "UPDATE 1").
  QString Status() const;
  PGresult* Raw() const { return mRes; }

 private:
  PGresult* mRes = nullptr;
};

// Runs one statement with its values bound out of band; raises EDatabaseError
// ("what: the server's message") on failure. A text value holding a NUL is
// refused before it reaches the server.
TARNWELL_DATABASE_EXPORT TResult Exec(PGconn* conn, const QString& sql, const QVariantList& binds, const QString& what);
// Runs one statement without values (several separated by ";" are allowed).
TARNWELL_DATABASE_EXPORT TResult Exec(PGconn* conn, const QString& sql, const QString& what);

// A field type and size for a column of a result (oid and modifier).
TARNWELL_DATABASE_EXPORT TFieldType FieldType(unsigned oid, int mod, int& size);
// A name for a column's type, for the native descriptions.
TARNWELL_DATABASE_EXPORT QString TypeName(unsigned oid);
// A value as the server sends it in text form, decoded by its type.
TARNWELL_DATABASE_EXPORT QVariant Decode(unsigned oid, const char* text, int len);
// A value in the text form the server reads (dates in ISO form, zoned
// moments with their offset); raises for text holding a NUL.
TARNWELL_DATABASE_EXPORT QByteArray ParamText(const QVariant& v);

// The settings every connection of ours starts with: money and dates in
// forms that read back exactly, lock waits with a limit.
TARNWELL_DATABASE_EXPORT void PrepareSession(PGconn* conn, int lockTimeoutMs);

// A server-side cursor over one select, on a reading connection of its own
// (a copy of the dataset's connection, with the same search path), so that a
// large table opens at once and the program's own statements and
// transactions stay untouched.
class TARNWELL_DATABASE_EXPORT TCursor {
 public:
  // Declares the cursor and fetches the first `first` rows.
  TCursor(PGconn* source, const QString& sql, const QVariantList& binds, int first, int lockTimeoutMs);
  ~TCursor();
  TCursor(const TCursor&) = delete;
  TCursor& operator=(const TCursor&) = delete;
  // The rows fetched last; Fetch replaces them. False at the end.
  const TResult& Page() const { return mPage; }
  bool Fetch(int n);
  bool AtEnd() const { return mEnd; }
  void Close();

 private:
  PGconn* mConn = nullptr;
  TResult mPage;
  bool mEnd = false;
  QString mName;
};

}  // namespace Tarnwell::Pg
