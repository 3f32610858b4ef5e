#pragma once
// Shared inside the SQL side of the layer (engine, SQL datasets, queries).

#include <QSqlDatabase>
#include <QSqlError>
#include <QVariant>
#include <vector>

#include "DBTypes.h"
#include <Tarnwell/TarnwellExport.h>

namespace Tarnwell {

// The failure `what` with the engine's own message appended.
TARNWELL_DATABASE_EXPORT EDatabaseError EngineError(const QString& what, const QSqlError& e);
// A value in the form it is bound to a statement (dates as ISO text, ...).
TARNWELL_DATABASE_EXPORT QVariant BindForm(const QVariant& v);

// The rows of a statement run to its end (catalog queries, writes with
// RETURNING), read the same way on both engines.
class TARNWELL_DATABASE_EXPORT TRows {
 public:
  bool next() { return ++mPos < int(Data.size()); }
  QVariant value(int c) const { return Data[mPos].value(c); }
  int size() const { return int(Data.size()); }
  std::vector<QVariantList> Data;
  int Affected = 0;

 private:
  int mPos = -1;
};

// Runs one statement with its values bound ("?" placeholders); on
// PostgreSQL the values travel apart from the text. Raises EDatabaseError
// ("what: the engine's message").
TARNWELL_DATABASE_EXPORT TRows RunStatement(const QSqlDatabase& db, const QString& sql, const QVariantList& binds, const QString& what);

// Whether the program has a transaction of its own open on the connection.
TARNWELL_DATABASE_EXPORT bool InProgramTransaction(const QSqlDatabase& db);

}  // namespace Tarnwell
