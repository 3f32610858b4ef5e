#pragma once
// TEnhQuery: a query whose SQL text is assembled from five clause lists
// (select, from, where, group by, order by). Where-lines may carry markers:
// date markers become today, yesterday, the start of the month or year or the
// two default dates; prompt markers and the query's own parameters are asked
// of the user in the prompt window. Queries can be linked (master, details, a
// dataset kept positioned on the same key), sorted by field and counted.
//
// What the user types never becomes SQL text: prompted values and the key
// values of a master are bound to the statement; operators come from a fixed
// list; an unquoted prompted value must be a number. Date markers are written
// in ISO form, which both engines read the same way whatever the locale.
//
// The prompt window is a widget and lives in the widgets library
// (FQryParm.h): the query asks through TEnhQuery::SetPrompter, which that
// library's InstallQueryPromptWindow() sets.

#include <QDateTime>
#include <QPointer>
#include <QSet>
#include <QStringList>
#include <QVariant>
#include <functional>
#include <vector>

#include "FixQuery.h"
#include <Tarnwell/TarnwellExport.h>

namespace Tarnwell {

// One parsed where-line: "[OR]" and "[AND]" lines have that as FieldName.
struct TARNWELL_DATABASE_EXPORT TWhereCondItem {
  QString FieldName;
  QString Operator;
  QString Value;
  bool Quoted = false;  // the value begins with a single quote
};

// What the prompt window shows and gives back. Where-prompts have an
// editable operator (from QueryOperators()) and value; parameter prompts an
// editable value only.
struct TARNWELL_DATABASE_EXPORT TQueryPromptRow {
  QString Field;      // column 0 (read-only)
  QString Operator;   // column 1: the operator, or the type label of a parameter
  QString Value;      // column 2
  QString TypeLabel;  // column 3 (read-only): "", "(Data)", "(Ora)", ...
};
// A request to the prompt window: its caption, whether it asks for parameters (the operator
// column then fixed) or for where-conditions, and the rows to show and fill in.
struct TARNWELL_DATABASE_EXPORT TQueryPrompt {
  QString Caption = QStringLiteral("Parametri Query");
  bool Parameters = false;  // parameter prompt: the operator column is fixed too
  std::vector<TQueryPromptRow> Rows;
};
// Shows the prompt; true when the user confirmed (the rows hold the answers).
using TQueryPrompter = std::function<bool(TQueryPrompt& prompt)>;

// A query whose SQL text Rebuild assembles from clause lists, with date and prompt markers
// in its where-lines, prompted parameters, links to master, detail and linked datasets, and
// sorting by field.
class TARNWELL_DATABASE_EXPORT TEnhQuery : public TFixQuery {
  Q_OBJECT
  // Free text for the user's eyes (empty by default); the query itself does not read it.
  TW_PROPERTY(QString, Caption, (void)0)
  // The select items, one a line.
  TW_PROPERTY_SETTER(QStringList, ZSelect)
  // The tables, one a line; Rebuild does nothing while it is empty (unless FreeSQL).
  TW_PROPERTY_SETTER(QStringList, ZFrom)
  // The where-lines: "field operator value" conditions, markers allowed in the value, and
  // "[OR]" / "[AND]" lines that join the groups around them; WhereBoolOp joins consecutive
  // lines.
  TW_PROPERTY_SETTER(QStringList, ZWhere)
  // The group-by items, one a line.
  TW_PROPERTY_SETTER(QStringList, ZGroupBy)
  // The order-by items, one a line: a field name, optionally followed by " ASC" or " DESC".
  // The sort functions change it.
  TW_PROPERTY_SETTER(QStringList, ZOrderBy)
  // The SQL text is the program's own: Rebuild and the sort functions change only its order-by
  // clause, and masters do not restrict it (default false).
  TW_PROPERTY_DEFAULT(bool, FreeSQL, false, (void)0)
  // Kept for the designer; it has no effect at run time.
  TW_PROPERTY_DEFAULT(bool, FreeWizard, false, (void)0)
  // What "[DT INIZIO DEFAULT]" and the parameter dDefaultDTFrom stand for; by default
  // yesterday at 00:00 (today at creation, minus one day).
  TW_PROPERTY(QDateTime, DefDTFrom, (void)0)
  // What "[DT FINE DEFAULT]" and the parameter dDefaultDTTo stand for; by default tomorrow at
  // 00:00 (today at creation, plus one day).
  TW_PROPERTY(QDateTime, DefDTTo, (void)0)
  // Never prompt: where-lines with prompt markers are dropped and parameters are not asked for
  // (default false).
  TW_PROPERTY_DEFAULT(bool, IgnoreParams, false, (void)0)
  // "AND" or "OR"; any other text is refused and the previous one stays.
  TW_PROPERTY_SETTER(QString, WhereBoolOp)
  // The query whose current record restricts this one by the MasterIndex fields (none by
  // default); the master refreshes it on every move.
  Q_PROPERTY(Tarnwell::TEnhQuery* MasterQuery READ MasterQuery WRITE setMasterQuery NOTIFY MasterQueryChanged)
  // The key fields, separated by ";", that this query takes from MasterQuery's current record
  // (empty by default).
  TW_PROPERTY_SETTER(QString, MasterIndex)
  // The first detail query, restricted to the DetailIndex key of this query's current record
  // and refreshed on every move (none by default).
  Q_PROPERTY(Tarnwell::TEnhQuery* DetailQuery READ DetailQuery WRITE setDetailQuery NOTIFY DetailQueryChanged)
  // The key fields, separated by ";", that DetailQuery takes from this query's current record
  // (empty by default).
  TW_PROPERTY_SETTER(QString, DetailIndex)
  // The second detail query, restricted by DetailIndex2 as DetailQuery is by DetailIndex (none
  // by default).
  Q_PROPERTY(Tarnwell::TEnhQuery* DetailQuery2 READ DetailQuery2 WRITE setDetailQuery2 NOTIFY DetailQuery2Changed)
  // The key fields, separated by ";", that DetailQuery2 takes from this query's current record
  // (empty by default).
  TW_PROPERTY_SETTER(QString, DetailIndex2)
  // A dataset kept positioned on this query's LinkedIndex key as the query moves (none by
  // default).
  Q_PROPERTY(Tarnwell::TDataSet* LinkedDataSet READ LinkedDataSet WRITE setLinkedDataSet NOTIFY LinkedDataSetChanged)
  // The key fields, separated by ";", that LinkedDataSet is positioned by (empty by default).
  TW_PROPERTY_SETTER(QString, LinkedIndex)
  // Posts and deletions are repeated on LinkedDataSet, on the record of the same key (default
  // false); the linked dataset closes with the query.
  TW_PROPERTY_DEFAULT(bool, LinkedUpdate, false, (void)0)
  // Why the last Rebuild failed (empty after a good one).
  Q_PROPERTY(QString LastError READ LastError NOTIFY LastErrorChanged)

 public:
  explicit TEnhQuery(QObject* owner = nullptr);
  ~TEnhQuery() override;

  // Marker texts (two blanks where they show two).
  static const QString kAskValue, kAskDate, kAskTime, kToday, kNowTime, kNow, kYesterday, kMonthStart,
      kYearStart, kDefFrom, kDefTo;
  // The operators a prompted condition may use.
  static const QStringList& QueryOperators();

  // Assembles the SQL text; reopens when the query is open or `force` is set.
  // False when the prompt was cancelled, a prompted value was refused or the
  // new text did not open: the previous text is then back (and reopened),
  // LastError says why.
  bool Rebuild(bool force = false);
  void ClearClauses(bool includeFrom);
  QString LastError() const { return mLastError; }

  // The where-line language.
  static std::vector<TWhereCondItem> ParseWhere(const QStringList& lines);
  static QString JoinClause(const QStringList& lines);
  // Dates as the SQL text shows them: ISO, from the date itself.
  static QString SQLDate(const QDate& d);
  static QString SQLDateTime(const QDateTime& dt);
  // The value a date marker stands for at `now` (empty for a non-marker).
  QString MarkerValue(const QString& marker, const QDateTime& now) const;
  // The time the date markers read (the system clock; EnhQuery_p.h can fix it).
  static QDateTime CurrentDateTime();

  // How the prompt window is shown (the widgets library sets it).
  static void SetPrompter(TQueryPrompter prompter);
  static TQueryPrompter Prompter();

  // --- links
  TEnhQuery* MasterQuery() const { return mMasterQuery; }
  TEnhQuery* DetailQuery() const { return mDetailQuery; }
  TEnhQuery* DetailQuery2() const { return mDetailQuery2; }
  TDataSet* LinkedDataSet() const { return mLinkedDataSet; }
  // A key condition and its bound value, set by a master.
  struct TLinkCondition {
    QString Field;
    QVariant Value;  // null: "IS NULL"
  };
  const std::vector<TLinkCondition>& LinkConditions() const { return mLinkConditions; }
  void RefreshDetails();
  bool LocateLinked();
  static QStringList SplitFieldList(const QString& text);

  // --- sorting by field (the grid's title clicks)
  int SortPosition(const QString& field, bool* descending = nullptr) const;
  void ToggleSort(const QString& field);
  void RemoveSort(const QString& field);
  bool Resorting() const { return mResorting; }

  // A count the engine makes without fetching: the statement wrapped as a
  // subquery, with its values bound.
  int RecordCount() override;

  TDataSetNotifyEvent AfterSort;

 public Q_SLOTS:
  // Sets MasterQuery; emits MasterQueryChanged.
  void setMasterQuery(Tarnwell::TEnhQuery* q);
  // Sets DetailQuery (the query itself, its master, its other detail or its linked dataset
  // give none) and restricts it at once; emits DetailQueryChanged.
  void setDetailQuery(Tarnwell::TEnhQuery* q);
  // Sets DetailQuery2 (the query itself, its master, its other detail or its linked dataset
  // give none) and restricts it at once; emits DetailQuery2Changed.
  void setDetailQuery2(Tarnwell::TEnhQuery* q);
  // Sets LinkedDataSet (the query itself, its master or its details give none) and positions it
  // on the current key; emits LinkedDataSetChanged.
  void setLinkedDataSet(Tarnwell::TDataSet* d);

 Q_SIGNALS:
  // MasterQuery changed.
  void MasterQueryChanged(Tarnwell::TEnhQuery* value);
  // DetailQuery changed.
  void DetailQueryChanged(Tarnwell::TEnhQuery* value);
  // DetailQuery2 changed.
  void DetailQuery2Changed(Tarnwell::TEnhQuery* value);
  // LinkedDataSet changed.
  void LinkedDataSetChanged(Tarnwell::TDataSet* value);
  // LastError changed: a Rebuild failed (the reason) or succeeded after a failure (empty).
  void LastErrorChanged(const QString& value);
  // Emitted after ToggleSort or RemoveSort changed the order and the query was rebuilt
  // (AfterSort is called after it).
  void afterSort(Tarnwell::TDataSet* dataSet);

 protected:
  QString SelectSQL(QVariantList& binds) override;
  void DoAfterOpen() override;
  void InternalPost(TRecord& rec, const TRecord* old) override;
  void InternalDelete(const TRecord& rec) override;

 private:
  bool BuildSQL();
  void OpenQuery();
  bool ResolveWhere(QStringList& where);
  bool PrepareParams();
  void SetLastError(const QString& e);
  QString BindName(const QVariant& v);
  // On PostgreSQL a bare name whose folded spelling is not in the catalog
  // but another spelling is (any case) is quoted as the catalog spells it.
  QString EngineName(const QString& item) const;
  // A name as the catalog spells it, found case-insensitively (the folded
  // lower-case spelling first); as written when there is none or on SQLite.
  QString CatalogSpelling(const QString& name) const;
  // A field of the tables in ZFrom as the catalog spells it, found as
  // CatalogSpelling finds names (other tables' columns do not count).
  QString FieldSpelling(const QString& field) const;
  QString NormaliseClause(const QString& item, bool upper) const;
  void LoadCatalogNames();
  void ApplyLink(TEnhQuery* detail, const QStringList& fields);
  void OnScrolled();
  bool LocateLinkedBy(bool oldValues);
  void WithLinkedTransaction(const std::function<void()>& work);
  // Sets the text; the placeholders of our own bound values are no parameters.
  void StoreSQL(const QStringList& lines);

  QStringList mZSelect, mZFrom, mZWhere, mZGroupBy, mZOrderBy;
  QString mCaption;
  bool mFreeSQL = false, mFreeWizard = false, mIgnoreParams = false, mLinkedUpdate = false;
  QDateTime mDefDTFrom, mDefDTTo;
  QString mWhereBoolOp = QStringLiteral("AND");
  QPointer<TEnhQuery> mMasterQuery, mDetailQuery, mDetailQuery2;
  QPointer<TDataSet> mLinkedDataSet;
  QString mMasterIndex, mDetailIndex, mDetailIndex2, mLinkedIndex;
  QStringList mDetailFields, mDetailFields2, mLinkedFields;
  std::vector<TLinkCondition> mLinkConditions;
  bool mResorting = false;
  bool mOpenDone = false;
  bool mLinkRebuild = false;  // a master is rebuilding this query
  bool mRefreshing = false;
  bool mSkipScroll = false;
  bool mPostgres = false;
  QString mPendingError;
  QString mLastError;
  // Values bound to the assembled text, by placeholder name.
  QVariantMap mBound;
  int mBindSerial = 0;
  // The last confirmed answers: linked rebuilds reuse them instead of asking again.
  bool mHaveAnswers = false;
  std::vector<TQueryPromptRow> mWhereAnswers;
  QStringList mParamAnswers;
  // Exact names of the connection's tables and columns (PostgreSQL).
  QString mCatalogFor;
  QSet<QString> mCatalogNames;
  QHash<QString, QStringList> mCatalogFolded;  // lower-cased name -> spellings
  QHash<QString, QStringList> mCatalogColumns; // table -> its columns
};

}  // namespace Tarnwell
