#pragma once
// TQuery: a dataset over an SQL statement with named parameters (":name").

#include <QDate>
#include <QDateTime>
#include <QStringList>
#include <QTime>
#include <QVariant>
#include <vector>

#include "DBSqlDataSet.h"
#include <Tarnwell/platform/TProperty.h>
#include <Tarnwell/TarnwellExport.h>

namespace Tarnwell {

// A parameter of a query (":name" in its SQL): its name, data type and value. The SetAs
// functions set the type with the value (SetAsString only when none was set).
class TARNWELL_DATABASE_EXPORT TParam {
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

// The parameters of a query, found by name (ParamByName raises for a missing one).
class TARNWELL_DATABASE_EXPORT TParams {
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

// A dataset of the records an SQL statement gives, with ":name" parameters (Params) bound at
// open.
class TARNWELL_DATABASE_EXPORT TQuery : public TDBDataSet {
  Q_OBJECT
  // Setting the text re-reads the parameter names; values of names that remain are kept.
  TW_PROPERTY_SETTER(QStringList, SQL)
  // Whether the result may be edited and written back to its one table.
  TW_PROPERTY_DEFAULT(bool, RequestLive, false, (void)0)

 public:
  explicit TQuery(QObject* owner = nullptr);
  void SetSQLText(const QString& text) { setSQL(text.split('\n')); }
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

}  // namespace Tarnwell
