#include "FixQuery.h"

#include <QRegularExpression>

namespace Tarnwell {

TFixQuery::TFixQuery(QObject* owner) : TQuery(owner) {}

bool TFixQuery::KnownNativeType(const QString& nativeType, bool postgres) {
  const QString t = nativeType.trimmed().toUpper();
  // The PostgreSQL reader names a type it has no mapping for by its oid.
  if (postgres) return !t.startsWith(QLatin1String("OID "));
  // SQLite takes any declared name; only the usual families are understood.
  if (t.isEmpty()) return true;  // expressions: the value's own type
  static const QRegularExpression known(QStringLiteral(
      "INT|CHAR|CLOB|TEXT|BLOB|REAL|FLOA|DOUB|NUMERIC|DECIMAL|BOOL|BIT|DATE|TIME|MONEY|CURRENCY|SERIAL|"
      "AUTOINC|WORD|MEMO|STRING|IMAGE|GRAPHIC|PICTURE|BYTEA|BINARY|LOGICAL|INTERVAL|POINT"));
  return known.match(t).hasMatch();
}

void TFixQuery::FieldDefsBuilt() {
  mRawFields.clear();
  const bool pg = Database().driverName() == QLatin1String("QPSQL");
  // Offsets and lengths as the native record lays the columns out.
  const auto descs = NativeFieldDescs();
  for (int i = 0; i < mFieldDefs.Count(); ++i) {
    TFixFldParm p;
    const auto& d = descs[size_t(i)];
    if (!KnownNativeType(mFieldDefs[i].NativeType, pg) && d.Length != 0) {
      p.Raw = 1;
      p.Offset = quint16(std::min(d.Offset, 0xffff));
      p.Length = quint16(std::min(d.Length, 0xffff));
      mFieldDefs[i].DataType = ftString;
      mFieldDefs[i].Size = d.Units1 > 0 ? d.Units1 : d.Length;
    }
    mRawFields << p;
  }
}

void TFixQuery::DoAfterOpen() {
  TQuery::DoAfterOpen();
  for (int i = 0; i < FieldCount(); ++i)
    if (RawParm(Fields(i))) Fields(i)->setReadOnly(true);
}

const TFixFldParm* TFixQuery::RawParm(const TField* f) const {
  if (!f || f->Calculated()) return nullptr;
  const int i = FieldDefs().IndexOf(f->FieldName());
  if (i < 0 || i >= mRawFields.size() || !mRawFields[i].Raw) return nullptr;
  return &mRawFields[i];
}

}  // namespace Tarnwell
