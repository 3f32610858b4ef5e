#pragma once
// The dataset layer the database components stand on: datasets with states,
// navigation, bookmarks, locate and filter; fields and field definitions;
// queries and tables over Qt SQL; data sources and data links.
//
// Records are kept in a client-side cache that is filled on demand, so opening
// a large table costs only the first rows. Values never travel inside SQL text:
// they are bound, and identifiers are quoted.

#include <QByteArray>
#include <QDate>
#include <QDateTime>
#include <QList>
#include <QObject>
#include <QPointer>
#include <QSet>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QStringList>
#include <QTime>
#include <QVariant>
#include <functional>
#include <memory>
#include <vector>

#include <Tarnwell/platform/TDateTime.h>
#include <Tarnwell/platform/TExceptions.h>
#include <Tarnwell/platform/TTypes.h>

namespace Tarnwell {

class TDataSet;
class TDataSource;
class TField;

// Every failure of the dataset layer, with the engine's message where there is one.
class EDatabaseError : public ETarnwellError {
 public:
  using ETarnwellError::ETarnwellError;
};

enum TDataSetState {
  dsInactive,
  dsBrowse,
  dsEdit,
  dsInsert,
  dsSetKey,
  dsCalcFields,
  dsFilter,
  dsNewValue,
  dsOldValue,
  dsCurValue,
  dsBlockRead,
  dsInternalCalc,
  dsOpening
};

enum TFieldType {
  ftUnknown,
  ftString,
  ftSmallint,
  ftInteger,
  ftWord,
  ftBoolean,
  ftFloat,
  ftCurrency,
  ftBCD,
  ftDate,
  ftTime,
  ftDateTime,
  ftBytes,
  ftVarBytes,
  ftAutoInc,
  ftBlob,
  ftMemo,
  ftGraphic,
  ftFmtMemo,
  ftOleObject,
  ftOleLink,
  ftTypedBinary,
  ftCursor,
  ftFixedChar,
  ftWideString,
  ftLargeint
};

enum TFieldKind { fkData, fkCalculated, fkLookup, fkInternalCalc };

enum TLocateOption { loCaseInsensitive = 1, loPartialKey = 2 };
using TLocateOptions = int;

enum TIndexOption { ixPrimary = 1, ixUnique = 2, ixDescending = 4, ixCaseInsensitive = 8, ixExpression = 16 };
using TIndexOptions = int;

enum TFilterOption { foCaseInsensitive = 1, foNoPartialCompare = 2 };
using TFilterOptions = int;

enum TDataAction { daFail, daAbort, daRetry };

enum TDataEvent {
  deFieldChange,
  deRecordChange,
  deDataSetChange,
  deDataSetScroll,
  deLayoutChange,
  deUpdateRecord,
  deUpdateState,
  deCheckBrowseMode
};

using TBookmark = QByteArray;
using TDataSetNotifyEvent = std::function<void(TDataSet* DataSet)>;
using TFilterRecordEvent = std::function<void(TDataSet* DataSet, bool& Accept)>;
using TDataSetErrorEvent =
    std::function<void(TDataSet* DataSet, const EDatabaseError& E, TDataAction& Action)>;

// Type names for messages and catalog dumps ("ftInteger").
QString FieldTypeName(TFieldType t);
bool IsTextFieldType(TFieldType t);     // string, fixed-char, wide-string, memo
bool IsNumericFieldType(TFieldType t);  // integers, floats, currency, BCD, auto-increment
bool IsDateFieldType(TFieldType t);     // date, time, date-time
// Converts a value to what a field of type t holds (QDate for ftDate, qint64
// for integers, ...). Strings are read in ISO form first, then in the locale's
// short form. Returns false when it cannot be converted; a null stays null.
bool CoerceToFieldType(const QVariant& in, TFieldType t, QVariant& out);
// Compares two values of the same field type: -1, 0, 1. Nulls order first.
int CompareFieldValues(const QVariant& a, const QVariant& b, TFieldType t, bool caseInsensitive = false);

// ---------------------------------------------------------------------------
class TFieldDef {
 public:
  QString Name;
  TFieldType DataType = ftUnknown;
  int Size = 0;
  bool Required = false;
  int Precision = 0;
  // The engine's declared type ("VARCHAR(40)", "integer"), for the catalog.
  QString NativeType;
  bool operator==(const TFieldDef&) const = default;
};

class TFieldDefs {
 public:
  int Count() const { return int(mItems.size()); }
  const TFieldDef& operator[](int i) const { return mItems.at(i); }
  TFieldDef& operator[](int i) { return mItems[i]; }
  TFieldDef& Add(const QString& name, TFieldType type, int size = 0, bool required = false);
  void Clear() { mItems.clear(); }
  // -1 when absent; names compare case-insensitively.
  int IndexOf(const QString& name) const;
  const TFieldDef* Find(const QString& name) const;
  QStringList Names() const;
  auto begin() const { return mItems.begin(); }
  auto end() const { return mItems.end(); }

 private:
  std::vector<TFieldDef> mItems;
};

class TIndexDef {
 public:
  QString Name;
  QString Fields;  // key field names joined by ";"
  TIndexOptions Options = 0;
  bool operator==(const TIndexDef&) const = default;
};

class TIndexDefs {
 public:
  int Count() const { return int(mItems.size()); }
  const TIndexDef& operator[](int i) const { return mItems.at(i); }
  void Add(const TIndexDef& d) { mItems.push_back(d); }
  void Clear() { mItems.clear(); }
  const TIndexDef* Find(const QString& name) const;
  // The primary index, or else the first unique one; null when none.
  const TIndexDef* PrimaryKey() const;
  bool Updated() const { return mUpdated; }
  void SetUpdated(bool v) { mUpdated = v; }
  auto begin() const { return mItems.begin(); }
  auto end() const { return mItems.end(); }

 private:
  std::vector<TIndexDef> mItems;
  bool mUpdated = false;
};

// ---------------------------------------------------------------------------
// A column of a dataset. Reads and writes go to the dataset's active record
// (the edit buffer while editing or inserting).
class TField : public QObject {
  Q_OBJECT
 public:
  TField(TDataSet* dataSet, const QString& name, TFieldType type, int size, TFieldKind kind = fkData);

  TDataSet* DataSet() const { return mDataSet; }
  const QString& FieldName() const { return mFieldName; }
  TFieldType DataType() const { return mDataType; }
  int Size() const { return mSize; }
  TFieldKind FieldKind() const { return mFieldKind; }
  int Index() const { return mIndex; }
  bool Required() const { return mRequired; }
  void SetRequired(bool v) { mRequired = v; }
  bool ReadOnly() const { return mReadOnly; }
  void SetReadOnly(bool v) { mReadOnly = v; }
  bool Visible() const { return mVisible; }
  void SetVisible(bool v) { mVisible = v; }
  QString DisplayLabel() const { return mDisplayLabel.isEmpty() ? mFieldName : mDisplayLabel; }
  void SetDisplayLabel(const QString& v) { mDisplayLabel = v; }
  int DisplayWidth() const;
  void SetDisplayWidth(int v) { mDisplayWidth = v; }
  TAlignment Alignment() const;
  bool IsBlob() const;
  bool Calculated() const { return mFieldKind == fkCalculated || mFieldKind == fkInternalCalc; }

  QVariant Value() const;
  // Raises when the dataset is not editing, the field is read-only, or the
  // value cannot be converted to the field's type. The dataset keeps its state.
  void SetValue(const QVariant& v);
  bool IsNull() const { return Value().isNull(); }
  void Clear() { SetValue(QVariant()); }
  QString AsString() const;
  void SetAsString(const QString& s);
  qint64 AsInteger() const;  // raises on text that is no number
  void SetAsInteger(qint64 v) { SetValue(v); }
  double AsFloat() const;
  void SetAsFloat(double v) { SetValue(v); }
  bool AsBoolean() const;
  void SetAsBoolean(bool v) { SetValue(v); }
  TDateTime AsDateTime() const;
  void SetAsDateTime(TDateTime v);
  QByteArray AsBytes() const { return Value().toByteArray(); }
  // The text a grid shows: numbers and dates in the locale's format, blobs as
  // "(Blob)", "(Memo)", "(Graphic)".
  QString DisplayText() const;
  // The value before the current edit began (null while inserting).
  QVariant OldValue() const;

 private:
  friend class TDataSet;
  TDataSet* mDataSet;
  QString mFieldName;
  TFieldType mDataType;
  int mSize;
  TFieldKind mFieldKind;
  int mIndex = -1;  // slot in the record
  bool mRequired = false;
  bool mReadOnly = false;
  bool mVisible = true;
  QString mDisplayLabel;
  int mDisplayWidth = 0;
};

// ---------------------------------------------------------------------------
class TDataLink {
 public:
  TDataLink() = default;
  virtual ~TDataLink();
  TDataLink(const TDataLink&) = delete;
  TDataLink& operator=(const TDataLink&) = delete;

  TDataSource* DataSource() const { return mDataSource; }
  void SetDataSource(TDataSource* ds);
  TDataSet* DataSet() const;
  bool Active() const;
  bool Editing() const;

 protected:
  friend class TDataSource;
  virtual void ActiveChanged() {}
  virtual void DataSetChanged() {}
  virtual void DataSetScrolled(int /*distance*/) { DataSetChanged(); }
  virtual void RecordChanged(TField* /*field*/) {}
  virtual void LayoutChanged() { DataSetChanged(); }
  virtual void EditingChanged() {}
  virtual void UpdateData() {}

 private:
  TDataSource* mDataSource = nullptr;
  bool mLastActive = false, mLastEditing = false;  // what the link was last told
};

// Binds grids and data-aware controls to a dataset.
class TDataSource : public QObject {
  Q_OBJECT
 public:
  explicit TDataSource(QObject* owner = nullptr);
  ~TDataSource() override;
  TDataSet* DataSet() const { return mDataSet; }
  void SetDataSet(TDataSet* ds);
  bool Enabled() const { return mEnabled; }
  void SetEnabled(bool v);
  TDataSetState State() const;
  const std::vector<TDataLink*>& Links() const { return mLinks; }

  std::function<void(TObject* Sender, TField* Field)> OnDataChange;
  TNotifyEvent OnStateChange;
  TNotifyEvent OnUpdateData;

 private:
  friend class TDataSet;
  friend class TDataLink;
  void DataEvent(TDataEvent ev, TField* field, int info);
  std::vector<TDataLink*> mLinks;
  QPointer<TDataSet> mDataSet;
  bool mEnabled = true;
};

// ---------------------------------------------------------------------------
// One cached record.
struct TRecord {
  quint64 Serial = 0;      // never reused within a dataset
  QList<QVariant> Values;  // data fields, then calculated fields
};

class TDataSet : public QObject {
  Q_OBJECT
 public:
  explicit TDataSet(QObject* owner = nullptr);
  ~TDataSet() override;

  // --- connection and life cycle
  QString DatabaseName() const { return mDatabaseName; }
  void SetDatabaseName(const QString& v);
  void Open();
  void Close();
  bool Active() const { return mState != dsInactive; }
  void SetActive(bool v) { v ? Open() : Close(); }
  TDataSetState State() const { return mState; }
  // Closes and opens again, keeping the position by record number.
  void Refresh();

  // --- fields
  TFieldDefs& FieldDefs() { return mFieldDefs; }
  const TFieldDefs& FieldDefs() const { return mFieldDefs; }
  int FieldCount() const { return int(mFields.size()); }
  TField* Fields(int i) const;
  TField* FindField(const QString& name) const;
  TField* FieldByName(const QString& name) const;  // raises when missing
  // Persistent fields: created before opening, kept across open and close.
  TField* CreateField(const QString& name, TFieldType type, int size = 0, TFieldKind kind = fkData);
  bool DefaultFields() const { return mDefaultFields; }
  QStringList FieldNames() const;
  bool AutoCalcFields() const { return mAutoCalcFields; }
  void SetAutoCalcFields(bool v) { mAutoCalcFields = v; }

  // --- navigation
  void First();
  void Last();
  void Next();
  void Prior();
  int MoveBy(int distance);
  bool Eof() const { return mEof; }
  bool Bof() const { return mBof; }
  bool IsEmpty();
  // 1-based position among the accepted records; -1 without a current record.
  virtual int RecNo();
  // Moves to the given 1-based position; positions outside 1..count are ignored.
  virtual void SetRecNo(int n);
  // Records accepted by the filter (all records when unfiltered).
  virtual int RecordCount();

  // --- bookmarks: opaque byte strings; a bookmark of a closed-and-reopened
  // dataset or of a deleted record is refused, it never lands elsewhere.
  TBookmark GetBookmark() const;
  bool BookmarkValid(const TBookmark& bm) const;
  void GotoBookmark(const TBookmark& bm);  // raises on a stale bookmark
  void FreeBookmark(TBookmark& bm) { bm.clear(); }
  int CompareBookmarks(const TBookmark& a, const TBookmark& b) const;

  // --- search and filter
  // keyFields: names separated by ";"; values: one value, or a list with one
  // element per key field. Dates compare as dates, numbers as numbers.
  virtual bool Locate(const QString& keyFields, const QVariant& keyValues, TLocateOptions options);
  QVariant Lookup(const QString& keyFields, const QVariant& keyValues, const QString& resultFields);
  QString Filter() const { return mFilter; }
  // An unusable text raises and leaves the previous filter in force.
  void SetFilter(const QString& v);
  bool Filtered() const { return mFiltered; }
  void SetFiltered(bool v);
  TFilterOptions FilterOptions() const { return mFilterOptions; }
  void SetFilterOptions(TFilterOptions v);

  // --- data controls
  void DisableControls();
  // Re-enabling sends one change notice to the data links.
  void EnableControls();
  bool ControlsDisabled() const { return mDisableCount > 0; }

  // --- editing
  virtual bool CanModify() const { return true; }
  void Append();
  void Insert();
  void Edit();
  // A failed post raises the engine's message and keeps the edit state and values.
  void Post();
  void Cancel();
  void Delete();
  void CheckBrowseMode();
  bool Modified() const { return mModified; }

  // --- events
  TDataSetNotifyEvent BeforeOpen, AfterOpen, BeforeClose, AfterClose;
  TDataSetNotifyEvent BeforeInsert, AfterInsert, BeforeEdit, AfterEdit;
  TDataSetNotifyEvent BeforePost, AfterPost, BeforeCancel, AfterCancel;
  TDataSetNotifyEvent BeforeDelete, AfterDelete, BeforeScroll, AfterScroll;
  TDataSetNotifyEvent BeforeRefresh, AfterRefresh;
  TDataSetNotifyEvent OnNewRecord, OnCalcFields;
  TFilterRecordEvent OnFilterRecord;
  TDataSetErrorEvent OnPostError, OnEditError, OnDeleteError;

  // --- internals shared with fields and sources
  QVariant FieldValue(const TField* f) const;
  void SetFieldValue(TField* f, const QVariant& v);
  QVariant OldFieldValue(const TField* f) const;
  // How many records the cache holds now (tests and benchmarks).
  int CachedCount() const { return int(mRows.size()); }
  // Fetches every remaining record of the engine.
  void FetchAll();

 protected:
  // Engine hooks.
  virtual void InternalOpen() = 0;                           // fills mFieldDefs, starts the cursor
  virtual bool FetchRows(int /*atLeast*/) { return false; }  // appends to mRows; false at the end
  virtual void InternalClose() {}
  // Writes the record; `old` is null when inserting. May update rec (keys
  // assigned by the engine). Raises EDatabaseError on failure.
  virtual void InternalPost(TRecord& /*rec*/, const TRecord* /*old*/) {}
  virtual void InternalDelete(const TRecord& /*rec*/) {}
  virtual void InternalEdit() {}  // refuse editing by raising
  // The predicate for a filter text; raises EDatabaseError when unusable.
  virtual std::function<bool(const TRecord&)> CompileFilter(const QString& text);
  // Where a new record goes (index into mRows) for Append/Insert.
  virtual int InsertPosition(bool append);
  void BeginInsert(bool append);
  virtual void DoAfterOpen() {}

  TRecord* NewRecord();
  void AddFetched(std::unique_ptr<TRecord> rec);
  int DataFieldCount() const { return mDataFieldCount; }
  // Maps a field def to a field slot after InternalOpen (-1 when absent).
  std::vector<std::unique_ptr<TRecord>> mRows;
  TFieldDefs mFieldDefs;
  bool mFetchedAll = false;

  void DataEvent(TDataEvent ev, TField* field = nullptr, int info = 0);
  void SetState(TDataSetState s);
  bool RecordAccepted(const TRecord& r);
  bool EnsureRow(int i);  // fetches until row i exists
  int mCursor = -1;       // index into mRows of the current record
  // Moves the cursor to row i (which must be accepted) with scroll events.
  void MoveCursorTo(int i, bool events = true);
  void ClearRecords();
  void CalcRecord(TRecord& r);
  void RunFilterChange();
  int FindAccepted(int from, int step);  // next accepted index from `from` on, or -1
  // To be called whenever records change place or content outside Post and Delete.
  void InvalidatePositions();
  static int FieldValueSlot(const TField* f) { return f->mIndex; }
  // Drops persistent fields: default fields are made from FieldDefs at open.
  void ResetToDefaultFields() {
    mFields.clear();
    mDefaultFields = true;
  }

 private:
  friend class TDataSource;
  friend class TField;
  TRecord* ActiveRecord() const;
  void BindFields();
  void DoPost();
  void HandleError(const TDataSetErrorEvent& handler, const std::function<void()>& action);

  QString mDatabaseName;
  TDataSetState mState = dsInactive;
  std::vector<std::unique_ptr<TField>> mFields;
  bool mDefaultFields = true;
  int mDataFieldCount = 0;
  bool mAutoCalcFields = true;
  bool mEof = true, mBof = true;
  quint64 mNextSerial = 1;
  quint32 mGeneration = 0;
  std::unique_ptr<TRecord> mEditBuffer;
  std::unique_ptr<TRecord> mOldBuffer;
  bool mModified = false;
  int mInsertAt = -1;
  QString mFilter;
  bool mFiltered = false;
  TFilterOptions mFilterOptions = 0;
  std::function<bool(const TRecord&)> mFilterPred;
  bool UsePositionCache() const;
  void ExtendPositions(int upTo);
  std::vector<int> mAccepted;  // indexes of accepted rows among the first mAcceptedUpTo
  int mAcceptedUpTo = 0;
  int mDisableCount = 0;
  std::vector<TDataSource*> mSources;
  const TRecord* mCalcRecord = nullptr;
};

// ---------------------------------------------------------------------------
class TParam {
 public:
  QString Name;
  TFieldType DataType = ftUnknown;
  QVariant Value;
  QString AsString() const { return Value.toString(); }
  qint64 AsInteger() const { return Value.toLongLong(); }
  double AsFloat() const { return Value.toDouble(); }
  QDate AsDate() const { return Value.toDate(); }
  QTime AsTime() const { return Value.toTime(); }
  QDateTime AsDateTime() const { return Value.toDateTime(); }
  void SetAsString(const QString& v) {
    Value = v;
    if (DataType == ftUnknown) DataType = ftString;
  }
  void SetAsInteger(qint64 v) {
    Value = v;
    DataType = ftInteger;
  }
  void SetAsFloat(double v) {
    Value = v;
    DataType = ftFloat;
  }
  void SetAsDate(const QDate& d) {
    Value = d;
    DataType = ftDate;
  }
  void SetAsTime(const QTime& t) {
    Value = t;
    DataType = ftTime;
  }
  void SetAsDateTime(const QDateTime& dt) {
    Value = dt;
    DataType = ftDateTime;
  }
  void Clear() { Value = QVariant(); }
  bool IsNull() const { return Value.isNull(); }
};

class TParams {
 public:
  int Count() const { return int(mItems.size()); }
  TParam& operator[](int i) { return mItems.at(i); }
  const TParam& operator[](int i) const { return mItems.at(i); }
  TParam* FindParam(const QString& name);
  TParam& ParamByName(const QString& name);  // raises when missing
  void Clear() { mItems.clear(); }
  void Add(const TParam& p) { mItems.push_back(p); }
  auto begin() { return mItems.begin(); }
  auto end() { return mItems.end(); }

 private:
  std::vector<TParam> mItems;
};

// Base of TQuery and TTable: a dataset over an SQL cursor of a connection.
class TDBDataSet : public TDataSet {
  Q_OBJECT
 public:
  using TDataSet::TDataSet;
  ~TDBDataSet() override;
  // The connection this dataset uses (opened on demand from DatabaseName).
  QSqlDatabase Database() const;
  // The table that live edits write to, and its key fields (empty when none).
  QString UpdateTable() const { return mUpdateTable; }
  QStringList KeyFields() const { return mKeyFields; }
  bool CanModify() const override;

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

 private:
  void ReadRow(TRecord& r);
  std::unique_ptr<QSqlQuery> mQuery;
  // Texts that repeat (codes, categories) are kept once and shared.
  std::vector<QSet<QString>> mIntern;
  bool mSqliteNumbersAsTimes = false;
  QString mUpdateTable;
  QStringList mKeyFields;
  std::vector<int> mKeySlots;
  std::vector<TFieldDef> mNative;
  QString mConnection;
};

class TQuery : public TDBDataSet {
  Q_OBJECT
 public:
  explicit TQuery(QObject* owner = nullptr);
  QStringList SQL() const { return mSQL; }
  // Re-reads the parameter names from the text; values of names that remain are kept.
  void SetSQL(const QStringList& lines);
  void SetSQLText(const QString& text) { SetSQL(text.split('\n')); }
  bool RequestLive() const { return mRequestLive; }
  void SetRequestLive(bool v) { mRequestLive = v; }
  TParams& Params() { return mParams; }
  TParam& ParamByName(const QString& name) { return mParams.ParamByName(name); }
  // Runs a statement that returns no rows; the number of rows it changed.
  int ExecSQL();
  int RowsAffected() const { return mRowsAffected; }

  // ":name" placeholders of a statement, in order of appearance (quoted text,
  // quoted identifiers, comments and "::" casts are skipped).
  static QStringList ParamNames(const QString& sql);
  // The statement with every placeholder replaced by "?" and the names in
  // binding order.
  static QString PositionalSQL(const QString& sql, QStringList& names);

 protected:
  QString SelectSQL(QVariantList& binds) override;
  bool WantLive() const override { return mRequestLive; }
  QString LiveTableName() const override;

 private:
  QStringList mSQL;
  bool mRequestLive = false;
  TParams mParams;
  int mRowsAffected = 0;
};

class TTable : public TDBDataSet {
  Q_OBJECT
 public:
  using TDBDataSet::TDBDataSet;
  QString TableName() const { return mTableName; }
  void SetTableName(const QString& v);
  bool ReadOnly() const { return mReadOnly; }
  void SetReadOnly(bool v) { mReadOnly = v; }
  // Read from the engine's catalog on first use and after Update().
  TIndexDefs& IndexDefs();
  void UpdateIndexDefs();
  // Orders by these fields (names separated by ";"); empty: by the primary key.
  QString IndexFieldNames() const { return mIndexFieldNames; }
  void SetIndexFieldNames(const QString& v);

 protected:
  QString SelectSQL(QVariantList& binds) override;
  bool WantLive() const override { return !mReadOnly; }
  QString LiveTableName() const override { return mTableName; }

 private:
  QString mTableName;
  bool mReadOnly = false;
  TIndexDefs mIndexDefs;
  QString mIndexFieldNames;
};

}  // namespace Tarnwell
