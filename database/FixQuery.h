#pragma once
// TFixQuery: a query that also shows the columns whose native type the
// engine does not know. Such a column becomes a read-only string field whose
// bytes are taken as they stand in the native record (RawFields keeps where).

#include <QList>

#include "DBQuery.h"

namespace Tarnwell {

// Where a field sits in the engine's native record.
struct TFixFldParm {
  quint8 Raw = 0;  // 1: read from the native record's bytes
  quint16 Offset = 0;
  quint16 Length = 0;
};
using TFixFldList = QList<TFixFldParm>;

class TFixQuery : public TQuery {
  Q_OBJECT
 public:
  explicit TFixQuery(QObject* owner = nullptr);
  // One entry per field definition of the open cursor.
  const TFixFldList& RawFields() const { return mRawFields; }

  // Whether the engine knows a declared (or reported) native type.
  static bool KnownNativeType(const QString& nativeType, bool postgres);

  QVariant FieldValue(const TField* f) const override;
  void SetFieldValue(TField* f, const QVariant& v) override;

 protected:
  void FieldDefsBuilt() override;
  // Raw fields are created read-only.
  void DoAfterOpen() override;

 private:
  const TFixFldParm* RawParm(const TField* f) const;
  TFixFldList mRawFields;
};

}  // namespace Tarnwell
