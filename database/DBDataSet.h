#pragma once
// TDataSet: the abstract dataset the queries, tables and the memory table
// derive from: states, navigation, bookmarks, locate and filter, editing
// and the events around each step.
//
// Records are kept in a client-side cache that is filled on demand by the
// engine hooks, so opening a large table costs only the first rows. The
// dataset knows its data sources only as observers (TDataSetObserver).

#include <QByteArray>
#include <QList>
#include <QObject>
#include <QStringList>
#include <QVariant>
#include <functional>
#include <memory>
#include <vector>

#include "DBFields.h"
#include "DBRowStore.h"
#include <Tarnwell/platform/TProperty.h>
#include <Tarnwell/TarnwellExport.h>

namespace Tarnwell {

class TDataSet;

using TDataSetNotifyEvent = std::function<void(TDataSet* DataSet)>;
using TFilterRecordEvent = std::function<void(TDataSet* DataSet, bool& Accept)>;
using TDataSetErrorEvent =
    std::function<void(TDataSet* DataSet, const EDatabaseError& E, TDataAction& Action)>;

// What a dataset tells those listening to it (the data sources).
class TARNWELL_DATABASE_EXPORT TDataSetObserver {
 public:
  virtual void DataSetEvent(TDataEvent ev, TField* field, int info) = 0;
  // The dataset is being destroyed: forget it.
  virtual void DataSetDestroyed(TDataSet* dataSet) = 0;

 protected:
  ~TDataSetObserver() = default;
};

// A dataset: the records of a table or query of a database engine, with a cursor, fields,
// editing, filtering, bookmarks and the events of every step. Derived datasets (TTable,
// TQuery) say where the records come from.
class TARNWELL_DATABASE_EXPORT TDataSet : public QObject, public TFieldStore {
  Q_OBJECT
  // Setting Active opens or closes the dataset.
  Q_PROPERTY(bool Active READ Active WRITE setActive NOTIFY ActiveChanged)
  // What the dataset is doing: dsInactive when closed, dsBrowse when open, dsEdit or dsInsert
  // while a record is edited, and the transient states of calculation and filtering. Read
  // only; StateChanged tells each change.
  Q_PROPERTY(Tarnwell::DBTypes::TDataSetState State READ State NOTIFY StateChanged)
  // An alias or a path; refused while the dataset is open.
  TW_PROPERTY_SETTER(QString, DatabaseName)
  // An unusable text is refused and leaves the previous filter in force.
  TW_PROPERTY_SETTER(QString, Filter)
  // Whether Filter and OnFilterRecord select the records (default false).
  Q_PROPERTY(bool Filtered READ Filtered WRITE setFiltered RESET resetFiltered NOTIFY FilteredChanged)
  // How Filter compares texts: a combination of foCaseInsensitive and foNoPartialCompare
  // (default 0: case-sensitive, a trailing "*" matches any ending).
  Q_PROPERTY(int FilterOptions READ FilterOptions WRITE setFilterOptions RESET resetFilterOptions NOTIFY
                 FilterOptionsChanged)
  // Whether the calculated fields are computed by OnCalcFields for every record read and again
  // when a data field of the record being edited changes (default true); off, the program
  // calls for them itself.
  TW_PROPERTY_DEFAULT(bool, AutoCalcFields, true, (void)0)

 public:
  explicit TDataSet(QObject* owner = nullptr);
  ~TDataSet() override;

  // --- connection and life cycle
  void Open();
  void Close();
  bool Active() const { return mState != dsInactive; }
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

  // --- for grids, which show many records without moving the cursor
  // Accepted records among those read so far, after reading on until at
  // least `atLeast` are known or the engine has no more.
  int KnownRecordCount(int atLeast = 0);
  bool AllRecordsRead() const { return mFetchedAll; }
  // While set, fields read the accepted record at 1-based position recNo
  // instead of the current one (the current record in edit state still reads
  // its edit buffer); 0 reads the current record again. Nothing moves and
  // nobody is told. False, and the current record again, when there is none.
  bool SetDisplayRecord(int recNo);
  // While inserting: the 1-based position the new record is shown at.
  int InsertRecNo();

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
  bool Filtered() const { return mFiltered; }
  TFilterOptions FilterOptions() const { return mFilterOptions; }

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

  // --- events: each is a signal (below) and, for callers that assign it, the
  // member of the same contract name, called after the signal.
  TDataSetNotifyEvent BeforeOpen, AfterOpen, BeforeClose, AfterClose;
  TDataSetNotifyEvent BeforeInsert, AfterInsert, BeforeEdit, AfterEdit;
  TDataSetNotifyEvent BeforePost, AfterPost, BeforeCancel, AfterCancel;
  TDataSetNotifyEvent BeforeDelete, AfterDelete, BeforeScroll, AfterScroll;
  TDataSetNotifyEvent BeforeRefresh, AfterRefresh;
  TDataSetNotifyEvent OnNewRecord, OnCalcFields;
  // These answer through their reference argument, so they stay callbacks.
  TFilterRecordEvent OnFilterRecord;
  TDataSetErrorEvent OnPostError, OnEditError, OnDeleteError;

  // The data sources listening to this dataset (DBDataSource.h).
  void AttachObserver(TDataSetObserver* o);
  void DetachObserver(TDataSetObserver* o);

  /// The property setters for C++ callers that want the failure: these raise
  /// EDatabaseError and leave the value as it was (the slots set<Name> never
  /// raise: they pass the message to the program's exception handler).
  void SetActive(bool v) { v ? Open() : Close(); }
  void SetDatabaseName(QString v);
  void SetFilter(QString v);
  void SetFiltered(bool v);
  void SetFilterOptions(int v);

 public Q_SLOTS:
  // Opens (true) or closes (false) the dataset; a failure goes to the program's exception
  // handler. Emits ActiveChanged and StateChanged.
  void setActive(bool v);
  // Switches filtering on or off; a failure goes to the program's exception handler. Emits
  // FilteredChanged.
  void setFiltered(bool v);
  // Switches filtering off.
  void resetFiltered() { setFiltered(false); }
  // Sets FilterOptions; a failure goes to the program's exception handler. Emits
  // FilterOptionsChanged.
  void setFilterOptions(int v);
  // Back to the default filter options (0).
  void resetFilterOptions() { setFilterOptions(0); }

 Q_SIGNALS:
  // The dataset was opened (true) or closed (false).
  void ActiveChanged(bool value);
  // State changed; value is the new state.
  void StateChanged(Tarnwell::DBTypes::TDataSetState value);
  // Filtered changed.
  void FilteredChanged(bool value);
  // FilterOptions changed.
  void FilterOptionsChanged(int value);
  // Emitted when Open starts, before the engine is asked for the records (BeforeOpen is called
  // next).
  void beforeOpen(Tarnwell::TDataSet* dataSet);
  // Emitted once the dataset is open and on its first record.
  void afterOpen(Tarnwell::TDataSet* dataSet);
  // Emitted when Close starts, while the records are still there.
  void beforeClose(Tarnwell::TDataSet* dataSet);
  // Emitted once the dataset is closed.
  void afterClose(Tarnwell::TDataSet* dataSet);
  // Emitted when Insert or Append starts, before the current record is left.
  void beforeInsert(Tarnwell::TDataSet* dataSet);
  // Emitted once the new record is being edited (after NewRecord).
  void afterInsert(Tarnwell::TDataSet* dataSet);
  // Emitted when Edit starts, before the current record enters the edit state.
  void beforeEdit(Tarnwell::TDataSet* dataSet);
  // Emitted once the current record is in the edit state.
  void afterEdit(Tarnwell::TDataSet* dataSet);
  // Emitted when Post starts, before the edited record is written; a handler may raise to
  // refuse it.
  void beforePost(Tarnwell::TDataSet* dataSet);
  // Emitted once the edited record was written and the dataset is back in the browse state.
  void afterPost(Tarnwell::TDataSet* dataSet);
  // Emitted when Cancel starts, while the edit is still there.
  void beforeCancel(Tarnwell::TDataSet* dataSet);
  // Emitted once the edit was dropped and the dataset is back in the browse state.
  void afterCancel(Tarnwell::TDataSet* dataSet);
  // Emitted when Delete starts, before the current record is deleted.
  void beforeDelete(Tarnwell::TDataSet* dataSet);
  // Emitted once the record was deleted, on the record that took its place.
  void afterDelete(Tarnwell::TDataSet* dataSet);
  // Emitted before the cursor moves to another record, also when an insert or a delete starts.
  void beforeScroll(Tarnwell::TDataSet* dataSet);
  // Emitted after the cursor moved to another record.
  void afterScroll(Tarnwell::TDataSet* dataSet);
  // Emitted when Refresh starts, before the dataset closes to read its records again.
  void beforeRefresh(Tarnwell::TDataSet* dataSet);
  // Emitted once Refresh has read the records again and returned to the record it was on.
  void afterRefresh(Tarnwell::TDataSet* dataSet);
  // Emitted while a new record is inserted, after its fields are empty and before afterInsert:
  // the place to set default values.
  void NewRecord(Tarnwell::TDataSet* dataSet);
  // Connected or assigned, it runs for every record read and every change.
  void CalcFields(Tarnwell::TDataSet* dataSet);

 public:

  // --- internals shared with fields and sources
  TDataSet* FieldDataSet() override { return this; }
  QObject* FieldOwner() override { return this; }
  QVariant FieldValue(const TField* f) const override;
  void SetFieldValue(TField* f, const QVariant& v) override;
  QVariant OldFieldValue(const TField* f) const override;
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
  virtual std::function<bool(const TRecordRef&)> CompileFilter(const QString& text);
  // Judges a filter text while the dataset is closed, where the fields are
  // known without opening; raises EDatabaseError when it can never filter.
  virtual void CheckFilterWhileClosed(const QString& /*text*/) {}
  // Where a new record goes (index into mRows) for Append/Insert.
  virtual int InsertPosition(bool append);
  void BeginInsert(bool append);
  virtual void DoAfterOpen() {}

  // A record with a blank slot for every field.
  TRecord* MakeRecord();
  // Adds a record read from the engine (its calculated fields are computed
  // here); rec may be reused for the next one.
  void AddFetched(TRecord& rec);
  // Whether AddFetched computes calculated fields (a record read needs to be
  // a record then), and the serial AddFetched gives the next one.
  bool CalcOnFetch() const {
    return mAutoCalcFields && !mFields.empty() && mRows.SlotCount() > mDataFieldCount && HasCalcFieldsHandler();
  }
  quint64 TakeSerial() { return mNextSerial++; }
  int DataFieldCount() const { return mDataFieldCount; }
  // The records read, in their order, kept compactly (DBRowStore.h).
  TRowStore mRows;
  TFieldDefs mFieldDefs;
  bool mFetchedAll = false;

  void DataEvent(TDataEvent ev, TField* field = nullptr, int info = 0);
  // Scroll events of the dataset's own internal moves (Lookup) stay quiet.
  void FireBeforeScroll();
  void FireAfterScroll();
  void SetState(TDataSetState s);
  bool RecordAccepted(int row) { return RecordAccepted(TRecordRef(mRows, row)); }
  bool RecordAccepted(const TRecordRef& r);
  bool EnsureRow(int i);  // fetches until row i exists
  // As EnsureRow, but under a filter only while an unread row may pass.
  bool EnsureCandidate(int i);
  // Reads every row that may pass the filter in force (every row unfiltered).
  void FetchCandidates();
  // Whether a row not read yet may still pass the filter in force; a dataset
  // whose engine can tell that none will answers false, and reading stops.
  virtual bool UnreadMayPass() { return true; }
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
  friend class TField;
  bool HasCalcFieldsHandler() const;
  int mQuietScroll = 0;
  bool mLastActive = false;  // what ActiveChanged last told
  // The record being edited or computed, or null (browsing shows a stored row).
  const TRecord* BufferRecord() const;
  void BindFields();
  void LayOutRecords();
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
  std::function<bool(const TRecordRef&)> mFilterPred;
  bool UsePositionCache() const;
  void ExtendPositions(int upTo);
  std::vector<int> mAccepted;  // indexes of accepted rows among the first mAcceptedUpTo
  int mAcceptedUpTo = 0;
  int mDisableCount = 0;
  std::vector<TDataSetObserver*> mSources;
  const TRecord* mCalcRecord = nullptr;      // computed by the CalcFields handlers
  const TRecordRef* mFilterRecord = nullptr;  // judged by OnFilterRecord
  int mDisplayRow = -1;  // index into mRows of the record SetDisplayRecord shows, -1 when none
  int RowOfPosition(int recNo);  // index into mRows of an accepted position, -1 when none
};

}  // namespace Tarnwell
