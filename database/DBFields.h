#pragma once
// TField: a column of a dataset. A field reads and writes the active record
// of whatever keeps it (its TFieldStore: the dataset), so this header needs
// nothing of the dataset classes.

#include <QObject>
#include <QString>
#include <QVariant>

#include "DBTypes.h"
#include <Tarnwell/platform/TDateTime.h>
#include <Tarnwell/platform/TProperty.h>
#include <Tarnwell/TarnwellExport.h>

namespace Tarnwell {

class TDataSet;
class TField;

// What a field reads and writes through: the record buffers of its dataset.
class TARNWELL_DATABASE_EXPORT TFieldStore {
 public:
  virtual TDataSet* FieldDataSet() = 0;
  virtual QObject* FieldOwner() = 0;
  // The field's value in the active record (the edit buffer while editing).
  virtual QVariant FieldValue(const TField* f) const = 0;
  virtual void SetFieldValue(TField* f, const QVariant& v) = 0;
  // The value before the current edit began (null while inserting).
  virtual QVariant OldFieldValue(const TField* f) const = 0;

 protected:
  ~TFieldStore() = default;
};

// Reads and writes go to the dataset's active record (the edit buffer while
// editing or inserting).
class TARNWELL_DATABASE_EXPORT TField : public QObject {
  Q_OBJECT
  // The name of the field in its dataset (the column's name); fixed at creation.
  Q_PROPERTY(QString FieldName READ FieldName CONSTANT)
  // The type of the field's values; fixed at creation.
  Q_PROPERTY(Tarnwell::DBTypes::TFieldType DataType READ DataType CONSTANT)
  // The declared size: the length of a text field in characters (0: no declared length), 0 for
  // the types without one; fixed at creation.
  Q_PROPERTY(int Size READ Size CONSTANT)
  // What the field's values come from (TFieldKind): the record, a calculation, a lookup;
  // fixed at creation.
  Q_PROPERTY(Tarnwell::DBTypes::TFieldKind FieldKind READ FieldKind CONSTANT)
  // Post refuses a record whose value of this field is null (default false; a field created
  // from the table's definition takes the column's NOT NULL, an auto-increment field never).
  TW_PROPERTY_DEFAULT(bool, Required, false, (void)0)
  // Writing the value raises EDatabaseError, and grids and record editors do not edit the
  // field (default false); calculated fields are still set by OnCalcFields.
  TW_PROPERTY_DEFAULT(bool, ReadOnly, false, (void)0)
  // Whether grids show the field as a column (default true).
  TW_PROPERTY_DEFAULT(bool, Visible, true, (void)0)
  // Empty: the field name is shown.
  TW_PROPERTY_CUSTOM(QString, DisplayLabel)
  // 0: the width follows the field's type and size (a text without a
  // declared length shows kUnsizedTextWidth characters and keeps its whole value).
  TW_PROPERTY_CUSTOM(int, DisplayWidth)

 public:
  /// Characters shown of a text field whose type declares no length.
  static constexpr int kUnsizedTextWidth = 30;
  TField(TFieldStore* store, const QString& name, TFieldType type, int size, TFieldKind kind = fkData);

  TDataSet* DataSet() const { return mDataSet; }
  const QString& FieldName() const { return mFieldName; }
  TFieldType DataType() const { return mDataType; }
  int Size() const { return mSize; }
  TFieldKind FieldKind() const { return mFieldKind; }
  int Index() const { return mIndex; }
  TAlignment Alignment() const;
  bool IsBlob() const;
  bool Calculated() const { return mFieldKind == fkCalculated || mFieldKind == fkInternalCalc; }

  QVariant Value() const { return mStore->FieldValue(this); }
  // Raises when the dataset is not editing, the field is read-only, or the
  // value cannot be converted to the field's type. The dataset keeps its state.
  void SetValue(const QVariant& v) { mStore->SetFieldValue(this, v); }
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
  QVariant OldValue() const { return mStore->OldFieldValue(this); }

 private:
  friend class TDataSet;
  TFieldStore* mStore;
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

}  // namespace Tarnwell
