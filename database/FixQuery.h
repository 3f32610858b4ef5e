#pragma once
// TFixQuery: a query that also shows the columns whose native type the
// engine does not know. Such a column becomes a read-only string field of
// the value's text; RawFields keeps where it sits in the native record. The
// text is never cut to the native slot: a type of unknown size has a slot of
// a few bytes only, and cutting there would lose the value.

#include <QList>

#include "DBQuery.h"
#include <Tarnwell/TarnwellExport.h>

namespace Tarnwell {

// Where a field sits in the engine's native record.
struct TARNWELL_DATABASE_EXPORT TFixFldParm {
  quint8 Raw = 0;  // 1: read from the native record's bytes
  quint16 Offset = 0;
  quint16 Length = 0;
};
using TFixFldList = QList<TFixFldParm>;

// The query base of TEnhQuery: a TQuery that knows where each field sits in the engine's
// native record (RawFields) and creates fields of raw native types read-only.
class TARNWELL_DATABASE_EXPORT TFixQuery : public TQuery {
  Q_OBJECT
 public:
  explicit TFixQuery(QObject* owner = nullptr);
  // One entry per field definition of the open cursor.
  const TFixFldList& RawFields() const { return mRawFields; }

  // Whether the engine knows a declared (or reported) native type.
  static bool KnownNativeType(const QString& nativeType, bool postgres);

 protected:
  void FieldDefsBuilt() override;
  // Raw fields are created read-only.
  void DoAfterOpen() override;

 private:
  const TFixFldParm* RawParm(const TField* f) const;
  TFixFldList mRawFields;
};

}  // namespace Tarnwell
