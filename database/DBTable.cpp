#include "DBTable.h"

#include "DBEngine.h"

namespace Tarnwell {

// ---------------------------------------------------------------------------
// TTable

void TTable::setTableName(QString v) {
  try {
    SetTableName(std::move(v));
  } catch (...) {
    HandleCurrentException();
  }
}

void TTable::setIndexFieldNames(QString v) {
  try {
    SetIndexFieldNames(std::move(v));
  } catch (...) {
    HandleCurrentException();
  }
}

void TTable::SetTableName(QString v) {
  if (v == mTableName) return;
  if (Active()) throw EDatabaseError(QStringLiteral("Impossibile cambiare la tabella di un dataset aperto"));
  mTableName = std::move(v);
  mIndexDefs.Clear();
  mIndexDefs.SetUpdated(false);
  Q_EMIT TableNameChanged(mTableName);
}

// Every name of an order must be a field of the table: SQLite would take an
// unknown quoted name for a text and order by nothing.
static void CheckOrderFields(const QStringList& names, const TFieldDefs& defs) {
  for (const QString& n : names)
    if (!defs.Find(n.trimmed()))
      throw EDatabaseError(QStringLiteral("Campo '%1' non trovato").arg(n.trimmed()));
}

void TTable::SetIndexFieldNames(QString v) {
  if (v == mIndexFieldNames) return;
  if (Active()) CheckOrderFields(v.split(';', Qt::SkipEmptyParts), FieldDefs());  // the order in force stays
  mIndexFieldNames = std::move(v);
  if (Active()) Refresh();
  Q_EMIT IndexFieldNamesChanged(mIndexFieldNames);
}

void TTable::UpdateIndexDefs() {
  if (mTableName.trimmed().isEmpty()) throw EDatabaseError(QStringLiteral("Nome della tabella mancante"));
  mIndexDefs = Catalog::IndexDefs(TDBSession::Connection(DatabaseName()), mTableName);
}

TIndexDefs& TTable::IndexDefs() {
  if (!mIndexDefs.Updated()) UpdateIndexDefs();
  return mIndexDefs;
}

// The order SelectSQL reads in: IndexFieldNames, or else the primary key.
// On SQLite an order of other fields ends with a key that is the row's own
// number, so that it tells every row apart at no cost (its indexes hold it).
QStringList TTable::ReadOrder(const QSqlDatabase& db) {
  QStringList order;
  if (!mIndexFieldNames.trimmed().isEmpty()) {
    for (const QString& f : mIndexFieldNames.split(';', Qt::SkipEmptyParts)) order << f.trimmed();
    const TFieldDefs defs = Catalog::FieldDefs(db, mTableName);
    CheckOrderFields(order, defs);
    // Found in any case, and written as the catalog spells them.
    for (QString& f : order) f = defs.Find(f)->Name;
    const TIndexDef* pk = Catalog::IsPostgres(db) ? nullptr : IndexDefs().PrimaryKey();
    if (pk && (pk->Options & ixPrimary) && !(pk->Options & ixExpression) && !pk->Fields.contains(';') &&
        defs.Find(pk->Fields) && defs.Find(pk->Fields)->DataType == ftAutoInc &&
        !order.contains(pk->Fields, Qt::CaseInsensitive))
      order << pk->Fields;
  } else if (const TIndexDef* pk = IndexDefs().PrimaryKey()) {
    if (!(pk->Options & ixExpression)) order = pk->Fields.split(';', Qt::SkipEmptyParts);
  }
  return order;
}

QStringList TTable::PageOrder() { return ReadOrder(TDBSession::Connection(DatabaseName())); }

QString TTable::SelectSQL(QVariantList& /*binds*/) {
  if (mTableName.trimmed().isEmpty()) throw EDatabaseError(QStringLiteral("Nome della tabella mancante"));
  QSqlDatabase db = TDBSession::Connection(DatabaseName());
  QString sql = QStringLiteral("SELECT * FROM ") + Catalog::QuoteTableName(db, mTableName);
  QStringList quoted;
  for (auto& f : ReadOrder(db)) quoted << Catalog::QuoteIdentifier(db, f.trimmed());
  if (!quoted.isEmpty()) sql += QStringLiteral(" ORDER BY ") + quoted.join(", ");
  return sql;
}

}  // namespace Tarnwell
