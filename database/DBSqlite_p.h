#pragma once
// The SQLite side of the layer's reading, spoken through the engine's C API
// on the connection Qt opened: the statements a dataset reads its rows from.

#include <QSqlDatabase>
#include <QString>
#include <QVariant>
#include <Tarnwell/TarnwellExport.h>

struct sqlite3;
struct sqlite3_stmt;

namespace Tarnwell::Lite {

// The engine's handle behind a Qt SQLite connection; raises when there is none.
TARNWELL_DATABASE_EXPORT sqlite3* Handle(const QSqlDatabase& db);

// Whether the files of the connection keep a write-ahead log (then an open
// reader never keeps a writer out); `schema` limits the question to one of
// them ("main", an attached name). In-memory databases count as such.
TARNWELL_DATABASE_EXPORT bool KeepsWriteAheadLog(sqlite3* db, const QString& schema = {});

// Whether a dataset reads rows that need no record of their own straight
// from the statement into its store (on by default); off, every row goes
// through a record, the general way (to compare the two).
TARNWELL_DATABASE_EXPORT void SetDirectRows(bool on);
TARNWELL_DATABASE_EXPORT bool DirectRows();

// One prepared statement, finalized with the object.
class TARNWELL_DATABASE_EXPORT TStatement {
 public:
  // Raises EDatabaseError ("what: the engine's message").
  TStatement(sqlite3* db, const QString& sql, const QString& what);
  ~TStatement();
  TStatement(const TStatement&) = delete;
  TStatement& operator=(const TStatement&) = delete;

  // Binds parameter i (1-based) in the form the layer binds values in.
  void Bind(int i, const QVariant& v);
  // The next row: true when there is one; raises on an engine error.
  bool Step();
  // Ends the reading so far: the statement lets go of the file (it can be
  // stepped again from the start).
  void Release();
  int Columns() const;
  QString Name(int c) const;
  // The declared type of a table column, empty for an expression.
  QString DeclaredType(int c, bool* known = nullptr) const;
  // The value of column c of the current row: integer (qlonglong), real
  // (double), text (QString), blob (QByteArray) or null.
  QVariant Value(int c) const;
  bool ReadOnly() const;
  sqlite3_stmt* Raw() const { return mStmt; }

 private:
  sqlite3* mDb = nullptr;
  sqlite3_stmt* mStmt = nullptr;
  QString mWhat;
};

}  // namespace Tarnwell::Lite
