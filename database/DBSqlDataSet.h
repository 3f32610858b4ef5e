#pragma once
// TDBDataSet: the base of queries and tables, a dataset over an SQL cursor
// of a connection named by DatabaseName (an alias or a path, see DBEngine.h).
// Values never travel inside SQL text: they are bound, and identifiers are quoted.

#include <QByteArray>
#include <QSet>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QStringList>
#include <memory>
#include <vector>

#include "DBDataSet.h"
#include <Tarnwell/TarnwellExport.h>

namespace Tarnwell {

namespace Lite {
class TStatement;
}

// Base of TQuery and TTable: a dataset over an SQL cursor of a connection.
class TARNWELL_DATABASE_EXPORT TDBDataSet : public TDataSet {
  Q_OBJECT
 public:
  explicit TDBDataSet(QObject* owner = nullptr);
  ~TDBDataSet() override;
  // The connection this dataset uses (opened on demand from DatabaseName).
  QSqlDatabase Database() const;
  // The table that live edits write to, and its key fields (empty when none).
  QString UpdateTable() const { return mUpdateTable; }
  QStringList KeyFields() const { return mKeyFields; }
  bool CanModify() const override;
  // A search for one value of an indexed field of the table that is not in
  // the engine ends without reading the rest of the table.
  bool Locate(const QString& keyFields, const QVariant& keyValues, TLocateOptions options) override;

  // Native access: the engine's view of the open cursor's columns, and the
  // current record as one byte block in which every column has a slot of
  // fixed length holding its value as UTF-8 text (ISO dates, C-locale
  // numbers), zero-padded and cut at the slot's length.
  struct TNativeFieldDesc {
    int FieldNo = 0;  // 1-based
    QString Name;
    QString NativeType;  // the engine's declared type
    int SubType = 0;     // 1 text, 2 binary, 0 other
    int Units1 = 0;      // declared size (characters, digits)
    int Units2 = 0;      // scale of a decimal type
    int Offset = 0;      // of the slot in NativeRecord()
    int Length = 0;      // of the slot, 0 for binary columns
    bool ReadOnly = false;
    bool Calculated = false;
  };
  std::vector<TNativeFieldDesc> NativeFieldDescs() const;
  QByteArray NativeRecord() const;
  bool NativeFieldBlank(int fieldNo) const;  // 1-based; true without a current record

 protected:
  // The select statement and its bound values.
  virtual QString SelectSQL(QVariantList& binds) = 0;
  // Whether this dataset may write back, and to which table.
  virtual bool WantLive() const = 0;
  virtual QString LiveTableName() const = 0;
  // The fields the select is ordered by when it reads a whole table (PageTable)
  // in that order with no other condition; empty otherwise. On SQLite, when
  // they hold a key of the table and admit no blanks, it is read in pages.
  virtual QStringList PageOrder() { return {}; }
  // The table such a select reads (live or not); empty for other selects.
  virtual QString PageTable() const { return {}; }
  void InternalOpen() override;
  // Called once the field definitions of a new cursor are known and before
  // fields are made from them: subclasses may adjust mFieldDefs (names,
  // types, sizes) here; the record slots follow the definitions' order.
  virtual void FieldDefsBuilt() {}
  bool FetchRows(int atLeast) override;
  void InternalClose() override;
  void InternalPost(TRecord& rec, const TRecord* old) override;
  void InternalDelete(const TRecord& rec) override;
  void InternalEdit() override;
  // A filter that requires one value of an indexed field asks the engine
  // which rows hold it; once all of them are read, reading stops.
  std::function<bool(const TRecordRef&)> CompileFilter(const QString& text) override;
  bool UnreadMayPass() override;

 private:
  void ReadValue(TRecord& r, int i, QVariant v) { r.Values[i] = ReadForm(i, std::move(v)); }
  // What field i holds for a value read from the engine.
  QVariant ReadForm(int i, QVariant v) const;
  // The current row of mLite straight into the store (see FetchRows).
  void StoreRowDirect(const std::vector<TRowStore::TKind>& plan);
  void OpenPostgres(QSqlDatabase& db, const QString& sql, const QVariantList& binds);
  bool FetchPostgres(int atLeast);
  // The identity of a record (its write key), to recognise a row met twice.
  QString RowIdentity(const TRecordRef& r) const;
  void AskEngineForFilter(const QString& text);
  void Fetched(const TRecord& r);
  void StartPage(int rows);
  // SQLite's statement being read (through the engine's C API).
  std::unique_ptr<Lite::TStatement> mLite;
  bool mLitePending = false;  // it holds a row not taken yet
  // SQLite's reading in pages (see InternalOpen): each page is a statement
  // of its own, so that between pages the file is free for other writers.
  struct TPaging {
    enum TMode { NotPaged, ByKeys, ByPosition } Mode = NotPaged;
    bool Needed = false;        // the statement was released: the next read starts a page
    int Read = 0;               // rows the statement gave so far
    int Limit = 1 << 30;        // rows it can give at most
    QString Table;
    QStringList Terms;          // ByKeys: the order, as SQL (the last may be the row's own number)
    std::vector<int> Slots;     // ByKeys: the column of each term in a row read
    QString RowidName;          // ByKeys: the row number's name, read as a column after the fields
    QVariantList After;         // ByKeys: the terms' values in the last row read, as read
    bool AnyRead = false;       // ByKeys: a row was read (After holds its values)
    QString Sql;                // ByPosition: the statement read page by page, and its values
    QVariantList Binds;
    qint64 Offset = 0;          // ByPosition: rows read by the pages before
  } mPage;
  // The PostgreSQL reading state (cursor or whole result), see DBPg_p.h.
  struct TPgRead;
  std::unique_ptr<TPgRead> mPg;
  // Write keys of the records already in the cache: an SQLite cursor can meet
  // a row again after it was changed or inserted through this dataset.
  QSet<QString> mSeen;
  // The filter asked of the engine: the write keys of the rows that may pass
  // and were not read yet.
  bool mFilterAsked = false;
  QSet<QString> mFilterUnread;
  bool mSqliteNumbersAsTimes = false;
  QString mUpdateTable;
  QStringList mIndexedFirst;  // fields that lead an index of the update table
  QStringList mKeyFields;
  std::vector<int> mKeySlots;
  std::vector<TFieldDef> mNative;
  QString mConnection;
};

}  // namespace Tarnwell
