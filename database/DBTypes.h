#pragma once
// The vocabulary of the dataset layer: its error, states, field types and
// options, value conversions between them, field and index definitions and
// the cached record. Everything above (fields, datasets, queries, the engine)
// builds on this header; it depends on nothing of the layer itself.

#include <QByteArray>
#include <QDateTime>
#include <QList>
#include <QObject>
#include <QString>
#include <QStringList>
#include <QVariant>
#include <functional>
#include <vector>

#include <Tarnwell/platform/TExceptions.h>
#include <Tarnwell/platform/TTypes.h>
#include <Tarnwell/TarnwellExport.h>

namespace Tarnwell {

// Every failure of the dataset layer, with the engine's message where there is one.
class TARNWELL_DATABASE_EXPORT EDatabaseError : public ETarnwellError {
 public:
  using ETarnwellError::ETarnwellError;
};

// The enumerations live in a namespace of their own so that they can be
// registered with the meta-object system (read-only properties of datasets
// and fields show them by name).
namespace DBTypes {
Q_NAMESPACE_EXPORT(TARNWELL_DATABASE_EXPORT)

// The state of a dataset: inactive, browsing, editing, inserting ...
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
Q_ENUM_NS(TDataSetState)

// The data type of a field.
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
Q_ENUM_NS(TFieldType)

// Where a field's value comes from: the data, a calculation or a lookup.
enum TFieldKind { fkData, fkCalculated, fkLookup, fkInternalCalc };
Q_ENUM_NS(TFieldKind)

// Flags of Locate: case-insensitive, partial key (prefix) match.
enum TLocateOption { loCaseInsensitive = 1, loPartialKey = 2 };
using TLocateOptions = int;

// Flags of an index: primary, unique, descending, case-insensitive, an expression.
enum TIndexOption { ixPrimary = 1, ixUnique = 2, ixDescending = 4, ixCaseInsensitive = 8, ixExpression = 16 };
using TIndexOptions = int;

// Flags of a dataset's filter: case-insensitive, no partial (prefix) comparison.
enum TFilterOption { foCaseInsensitive = 1, foNoPartialCompare = 2 };
using TFilterOptions = int;

// What a dataset does after an error event: fail with the error, abort silently, or retry.
enum TDataAction { daFail, daAbort, daRetry };
Q_ENUM_NS(TDataAction)

// What a dataset tells its data links (record moved, data changed, state changed ...).
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

}  // namespace DBTypes
using namespace DBTypes;

using TBookmark = QByteArray;

// Type names for messages and catalog dumps ("ftInteger").
TARNWELL_DATABASE_EXPORT QString FieldTypeName(TFieldType t);
TARNWELL_DATABASE_EXPORT bool IsTextFieldType(TFieldType t);     // string, fixed-char, wide-string, memo
TARNWELL_DATABASE_EXPORT bool IsNumericFieldType(TFieldType t);  // integers, floats, currency, BCD, auto-increment
TARNWELL_DATABASE_EXPORT bool IsDateFieldType(TFieldType t);     // date, time, date-time
// Converts a value to what a field of type t holds (QDate for ftDate, qint64
// for integers, ...). Strings are read in ISO form first, then in the locale's
// short form. Returns false when it cannot be converted; a null stays null.
TARNWELL_DATABASE_EXPORT bool CoerceToFieldType(const QVariant& in, TFieldType t, QVariant& out);
// A wall-clock time of the local clock as a moment with the offset the
// clock had then (quick to make for many values read at once), and an
// instant as the local clock shows it.
TARNWELL_DATABASE_EXPORT QDateTime LocalMoment(const QDate& d, const QTime& t);
TARNWELL_DATABASE_EXPORT QDateTime LocalMomentFromUtc(qint64 msecs);
// An exact decimal number (text in the C or the locale's form, exponent
// allowed) as plain C-locale text, e.g. "-12345678901234.5678".
TARNWELL_DATABASE_EXPORT bool ExactDecimal(const QString& in, QString& out);
// Compares two values of the same field type: -1, 0, 1. Nulls order first.
TARNWELL_DATABASE_EXPORT int CompareFieldValues(const QVariant& a, const QVariant& b, TFieldType t, bool caseInsensitive = false);

// The locale's short date with a four-digit year, as fields show and read dates.
TARNWELL_DATABASE_EXPORT QString ShortDateFormat();
// A date typed as text: ISO ("2024-12-31"), or the locale's short form with a
// four-digit or a two-digit year ("31/12/24" in Italy, "12/31/24" in the
// United States). Two-digit years fall in 1950..2049, as in the spreadsheet.
TARNWELL_DATABASE_EXPORT bool TextToDate(const QString& text, QDate& out);

// ---------------------------------------------------------------------------
// The definition of a column of a table or query result: name, field type, size (characters
// of a text, 0 without a declared length), whether a value is required, and the precision of
// a decimal number.
class TARNWELL_DATABASE_EXPORT TFieldDef {
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

// The column definitions of a dataset, in column order.
class TARNWELL_DATABASE_EXPORT TFieldDefs {
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

// The definition of an index of a table: its name, its key fields and its options (primary,
// unique, descending, case-insensitive).
class TARNWELL_DATABASE_EXPORT TIndexDef {
 public:
  QString Name;
  QString Fields;  // key field names joined by ";"
  TIndexOptions Options = 0;
  // A unique index over part of the rows only (a WHERE clause): it does not
  // tell all rows apart.
  bool Partial = false;
  bool operator==(const TIndexDef&) const = default;
};

// The indexes of a table, as the catalog gives them.
class TARNWELL_DATABASE_EXPORT TIndexDefs {
 public:
  int Count() const { return int(mItems.size()); }
  const TIndexDef& operator[](int i) const { return mItems.at(i); }
  void Add(const TIndexDef& d) { mItems.push_back(d); }
  void Clear() { mItems.clear(); }
  const TIndexDef* Find(const QString& name) const;
  // The primary index, or else the first unique one over whole columns of
  // all rows; null when none.
  const TIndexDef* PrimaryKey() const;
  // The key a write can find exactly one row by: the primary index, or a
  // unique one over whole columns of all rows none of which admits blanks
  // (`notNull` answers for a field name); null when none.
  const TIndexDef* WriteKey(const std::function<bool(const QString&)>& notNull) const;
  bool Updated() const { return mUpdated; }
  void SetUpdated(bool v) { mUpdated = v; }
  auto begin() const { return mItems.begin(); }
  auto end() const { return mItems.end(); }

 private:
  std::vector<TIndexDef> mItems;
  bool mUpdated = false;
};

// ---------------------------------------------------------------------------
// One cached record.
struct TARNWELL_DATABASE_EXPORT TRecord {
  quint64 Serial = 0;      // never reused within a dataset
  QList<QVariant> Values;  // data fields, then calculated fields
};

}  // namespace Tarnwell
