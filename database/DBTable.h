#pragma once
// TTable: a dataset over one table of a connection, ordered by its primary
// key or by the fields asked for.

#include "DBSqlDataSet.h"
#include <Tarnwell/platform/TProperty.h>
#include <Tarnwell/TarnwellExport.h>

namespace Tarnwell {

// A dataset of the records of one database table (TableName), in IndexFieldNames order,
// editable unless ReadOnly.
class TARNWELL_DATABASE_EXPORT TTable : public TDBDataSet {
  Q_OBJECT
  // Refused while the table is open (the value stays).
  TW_PROPERTY_SETTER(QString, TableName)
  // Opens the table without writing back: the records cannot be edited, inserted or deleted
  // (default false). Takes effect at the next open.
  TW_PROPERTY_DEFAULT(bool, ReadOnly, false, (void)0)
  // Orders by these fields (names separated by ";"); empty: by the primary key.
  // Changing it on an open table reads the records again in the new order;
  // an order naming no field of the table is refused (the value stays).
  TW_PROPERTY_SETTER(QString, IndexFieldNames)

 public:
  using TDBDataSet::TDBDataSet;
  /// As the slots setTableName and setIndexFieldNames, but a refusal (an
  /// open table, an order naming no field) raises EDatabaseError; the
  /// slots pass it to the exception handler. Either way the value stays.
  void SetTableName(QString v);
  void SetIndexFieldNames(QString v);
  // Read from the engine's catalog on first use and after Update().
  TIndexDefs& IndexDefs();
  void UpdateIndexDefs();

 protected:
  QString SelectSQL(QVariantList& binds) override;
  bool WantLive() const override { return !mReadOnly; }
  QString LiveTableName() const override { return mTableName; }
  QStringList PageOrder() override;
  QString PageTable() const override { return mTableName; }

 private:
  QStringList ReadOrder(const QSqlDatabase& db);
  QString mTableName;
  bool mReadOnly = false;
  TIndexDefs mIndexDefs;
  QString mIndexFieldNames;
};

}  // namespace Tarnwell
