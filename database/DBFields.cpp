#include "DBFields.h"

#include <QLocale>
#include <cmath>

namespace Tarnwell {

TField::TField(TFieldStore* store, const QString& name, TFieldType type, int size, TFieldKind kind)
    : QObject(store->FieldOwner()),
      mStore(store),
      mDataSet(store->FieldDataSet()),
      mFieldName(name),
      mDataType(type),
      mSize(size),
      mFieldKind(kind) {
  setObjectName(name);
}

QString TField::DisplayLabel() const { return mDisplayLabel.isEmpty() ? mFieldName : mDisplayLabel; }

void TField::setDisplayLabel(QString value) {
  if (value == mDisplayLabel) return;
  const QString before = DisplayLabel();
  mDisplayLabel = std::move(value);
  if (DisplayLabel() != before) Q_EMIT DisplayLabelChanged(DisplayLabel());
}

void TField::setDisplayWidth(int value) {
  value = std::max(value, 0);
  if (value == mDisplayWidth) return;
  const int before = DisplayWidth();
  mDisplayWidth = value;
  if (DisplayWidth() != before) Q_EMIT DisplayWidthChanged(DisplayWidth());
}

int TField::DisplayWidth() const {
  if (mDisplayWidth > 0) return mDisplayWidth;
  if (IsTextFieldType(mDataType) && mDataType != ftMemo && mDataType != ftFmtMemo)
    return mSize > 0 ? std::min(mSize, 60) : kUnsizedTextWidth;
  if (IsDateFieldType(mDataType)) return mDataType == ftDateTime ? 19 : 10;
  return 10;
}

TAlignment TField::Alignment() const {
  return IsNumericFieldType(mDataType) ? taRightJustify : taLeftJustify;
}

bool TField::IsBlob() const {
  return mDataType == ftBlob || mDataType == ftMemo || mDataType == ftGraphic || mDataType == ftFmtMemo ||
         mDataType == ftOleObject || mDataType == ftOleLink || mDataType == ftTypedBinary;
}


// An exact decimal with the locale's decimal point, every digit kept.
static QString LocaleDecimal(const QVariant& v) {
  QString d;
  if (!ExactDecimal(v.toString(), d)) return v.toString();
  const QString dp = QLocale().decimalPoint();
  if (dp != QLatin1String(".")) d.replace('.', dp);
  return d;
}

QString TField::AsString() const {
  QVariant v = Value();
  if (v.isNull()) return QString();
  // Values no date type holds (an infinite date, the end of a day) are shown as the engine wrote them.
  if (IsDateFieldType(mDataType) && v.metaType().id() == QMetaType::QString) return v.toString();
  switch (mDataType) {
    case ftBCD:
      return LocaleDecimal(v);
    case ftDate:
      return v.toDate().toString(ShortDateFormat());
    case ftTime:
      return v.toTime().toString(QStringLiteral("HH:mm:ss"));
    case ftDateTime: {
      QDateTime dt = v.toDateTime();
      QString s = dt.date().toString(ShortDateFormat());
      if (dt.time() != QTime(0, 0)) s += ' ' + dt.time().toString(QStringLiteral("HH:mm:ss"));
      return s;
    }
    case ftFloat:
    case ftCurrency: {
      QLocale loc;
      loc.setNumberOptions(QLocale::OmitGroupSeparator);
      return loc.toString(v.toDouble(), 'g', 15);
    }
    case ftBoolean:
      return v.toBool() ? QStringLiteral("True") : QStringLiteral("False");
    default:
      return v.toString();
  }
}

void TField::SetAsString(const QString& s) {
  if (s.isEmpty() && !IsTextFieldType(mDataType))
    SetValue(QVariant());
  else
    SetValue(s);
}

qint64 TField::AsInteger() const {
  QVariant v = Value(), out;
  if (v.isNull()) return 0;
  if (!CoerceToFieldType(v, ftLargeint, out))
    throw EDatabaseError(QStringLiteral("'%1' non è un valore intero valido").arg(v.toString()));
  return out.toLongLong();
}

double TField::AsFloat() const {
  QVariant v = Value(), out;
  if (v.isNull()) return 0;
  if (IsDateFieldType(mDataType)) return AsDateTime();
  if (!CoerceToFieldType(v, ftFloat, out))
    throw EDatabaseError(QStringLiteral("'%1' non è un valore numerico valido").arg(v.toString()));
  return out.toDouble();
}

bool TField::AsBoolean() const {
  QVariant v = Value(), out;
  if (v.isNull()) return false;
  if (!CoerceToFieldType(v, ftBoolean, out))
    throw EDatabaseError(QStringLiteral("'%1' non è un valore logico valido").arg(v.toString()));
  return out.toBool();
}

TDateTime TField::AsDateTime() const {
  QVariant v = Value();
  if (v.isNull()) return 0;
  switch (v.metaType().id()) {
    case QMetaType::QDate:
      return DateToSerial(v.toDate());
    case QMetaType::QTime:
      return TimeToSerial(v.toTime());
    case QMetaType::QDateTime:
      return DateTimeToSerial(v.toDateTime());
    default: {
      QVariant out;
      if (!CoerceToFieldType(v, ftDateTime, out))
        throw EDatabaseError(QStringLiteral("'%1' non è una data valida").arg(v.toString()));
      return DateTimeToSerial(out.toDateTime());
    }
  }
}

void TField::SetAsDateTime(TDateTime v) {
  if (mDataType == ftTime)
    SetValue(SerialToTime(v));
  else if (mDataType == ftDate)
    SetValue(SerialToDate(v));
  else
    SetValue(SerialToDateTime(v));
}

QString TField::DisplayText() const {
  switch (mDataType) {
    case ftBlob:
      return QStringLiteral("(Blob)");
    case ftMemo:
    case ftFmtMemo:
      return QStringLiteral("(Memo)");
    case ftGraphic:
      return QStringLiteral("(Graphic)");
    case ftOleObject:
    case ftOleLink:
      return QStringLiteral("(OLE)");
    case ftTypedBinary:
    case ftBytes:
    case ftVarBytes:
      return QStringLiteral("(Bytes)");
    default:
      break;
  }
  QVariant v = Value();
  if (v.isNull()) return QString();
  QLocale loc;
  loc.setNumberOptions(QLocale::OmitGroupSeparator);
  switch (mDataType) {
    case ftFloat:
      return loc.toString(v.toDouble(), 'g', 15);
    case ftBCD:
      return LocaleDecimal(v);
    case ftCurrency:
      return QLocale().toCurrencyString(v.toDouble());
    case ftBoolean:
      return v.toBool() ? QStringLiteral("Vero") : QStringLiteral("Falso");
    default:
      return AsString();
  }
}

}  // namespace Tarnwell
