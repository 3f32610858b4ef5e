#pragma once
// TMemoTable: a dataset that keeps its records in memory (no engine, no
// file). Fields come from FieldDefs or from persistent fields; it offers a
// one-condition filter ("FIELD >= 10", "NOME = 'Rossi'"), locate, bookmarks,
// record numbers and a stable sort on one field. Closing it discards the records.

#include "DBDataSet.h"
#include <Tarnwell/platform/TProperty.h>
#include <Tarnwell/TarnwellExport.h>

namespace Tarnwell {

// A dataset held in memory: its records live only in the table (from FieldDefs, filled by
// the program), with sorting on one field and a one-condition filter.
class TARNWELL_DATABASE_EXPORT TMemoTable : public TDataSet {
  Q_OBJECT
  // Free text for the user's eyes; the table itself does not read it.
  TW_PROPERTY(QString, Caption, (void)0)

 public:
  explicit TMemoTable(QObject* owner = nullptr);
  ~TMemoTable() override;

  // Assignable; called after the signal afterSort.
  TNotifyEvent AfterSort;

  // Sorts the records on one field, nulls first (last when descending); equal
  // values keep their order. The cursor stays at the same position. On any
  // failure the previous order and every record are kept.
  void SortOnField(const QString& fieldName, bool descending);
  void ClearSort();
  // 0 with the direction when the table is sorted on that field, else -1.
  int SortPosition(const QString& fieldName, bool& descending) const;
  QString SortField() const { return mSortField; }
  bool SortDescending() const { return mSortDescending; }
  // Makes the fields default again, built from FieldDefs (which are first
  // filled from the current fields when empty). The table must be closed.
  void RebuildFields();

  // The one-condition filter: field, operator ("<>", "<=", ">=", "=", "<",
  // ">", the first of that sequence found outside quoted text) and value
  // (single quotes removed). False when the text is not of that form or names
  // no field definition.
  static bool ParseFilter(const QString& text, const TFieldDefs& defs, int& fieldIndex, int& op,
                          QString& value);

 Q_SIGNALS:
  // Emitted after SortOnField sorted the records (AfterSort is called after it).
  void afterSort(QObject* sender);

 protected:
  void InternalOpen() override;
  std::function<bool(const TRecordRef&)> CompileFilter(const QString& text) override;
  void CheckFilterWhileClosed(const QString& text) override;

 private:
  QString mCaption;
  QString mSortField;
  bool mSortDescending = false;
};

}  // namespace Tarnwell
