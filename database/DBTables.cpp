#include "DBTables.h"

#include <QLocale>
#include <QtEndian>
#include <cmath>

#include "DBFilter.h"
#include <Tarnwell/platform/THourglass.h>

namespace Tarnwell {

// ---------------------------------------------------------------------------
// Types and values

QString FieldTypeName(TFieldType t) {
  static const char* const names[] = {
      "ftUnknown",     "ftString", "ftSmallint",  "ftInteger",    "ftWord",     "ftBoolean",   "ftFloat",
      "ftCurrency",    "ftBCD",    "ftDate",      "ftTime",       "ftDateTime", "ftBytes",     "ftVarBytes",
      "ftAutoInc",     "ftBlob",   "ftMemo",      "ftGraphic",    "ftFmtMemo",  "ftOleObject", "ftOleLink",
      "ftTypedBinary", "ftCursor", "ftFixedChar", "ftWideString", "ftLargeint"};
  int i = int(t);
  return (i >= 0 && i < int(std::size(names))) ? QString::fromLatin1(names[i]) : QStringLiteral("ftUnknown");
}

bool IsTextFieldType(TFieldType t) {
  return t == ftString || t == ftFixedChar || t == ftWideString || t == ftMemo || t == ftFmtMemo;
}

static bool IsIntegerType(TFieldType t) {
  return t == ftSmallint || t == ftInteger || t == ftWord || t == ftAutoInc || t == ftLargeint;
}

bool IsNumericFieldType(TFieldType t) {
  return IsIntegerType(t) || t == ftFloat || t == ftCurrency || t == ftBCD;
}

bool IsDateFieldType(TFieldType t) { return t == ftDate || t == ftTime || t == ftDateTime; }

static bool IsBinaryType(TFieldType t) {
  return t == ftBytes || t == ftVarBytes || t == ftBlob || t == ftGraphic || t == ftOleObject ||
         t == ftOleLink || t == ftTypedBinary;
}

// The locale's short date with a four-digit year: two-digit years make
// dates of different centuries read alike.
static QString ShortDateFormat() {
  QString f = QLocale().dateFormat(QLocale::ShortFormat);
  if (!f.contains(QLatin1String("yyyy"))) f.replace(QLatin1String("yy"), QLatin1String("yyyy"));
  return f;
}

static bool ParseDouble(const QString& s0, double& out) {
  QString s = s0.trimmed();
  if (s.isEmpty()) return false;
  bool ok = false;
  out = s.toDouble(&ok);
  if (!ok) out = QLocale().toDouble(s, &ok);
  return ok && std::isfinite(out);
}

// The ISO forms the engines store ("2000-09-25", "2000-09-25 10:30:00.250")
// are read by hand: they are most of what a large fetch converts.
static int Digits(const QString& s, int at, int n) {
  int v = 0;
  for (int i = at; i < at + n; ++i) {
    const char16_t c = s[i].unicode();
    if (c < '0' || c > '9') return -1;
    v = v * 10 + (c - '0');
  }
  return v;
}

static bool FastIsoDate(const QString& s, QDate& out) {
  if (s.size() < 10 || s[4] != '-' || s[7] != '-') return false;
  const int y = Digits(s, 0, 4), m = Digits(s, 5, 2), d = Digits(s, 8, 2);
  if (y < 0 || m < 0 || d < 0) return false;
  out = QDate(y, m, d);
  return out.isValid();
}

static bool FastIsoTime(const QString& s, int at, QTime& out) {
  const int n = s.size() - at;
  if (n != 5 && n != 8 && !(n > 9 && s[at + 8] == '.')) return false;
  if (s[at + 2] != ':' || (n >= 8 && s[at + 5] != ':')) return false;
  const int h = Digits(s, at, 2), mi = Digits(s, at + 3, 2), sec = n >= 8 ? Digits(s, at + 6, 2) : 0;
  int ms = 0;
  if (n > 9) {
    const int frac = std::min(n - 9, 3);
    ms = Digits(s, at + 9, frac);
    if (ms < 0 || Digits(s, at + 9, n - 9) < 0) return false;
    for (int k = frac; k < 3; ++k) ms *= 10;
  }
  if (h < 0 || mi < 0 || sec < 0) return false;
  out = QTime(h, mi, sec, ms);
  return out.isValid();
}

static bool ParseDate(const QString& s0, QDate& out) {
  if (s0.size() == 10 && FastIsoDate(s0, out)) return true;
  QString s = s0.trimmed();
  out = QDate::fromString(s.left(10), Qt::ISODate);
  if (out.isValid() && (s.size() == 10 || s.at(10) == 'T' || s.at(10) == ' ')) return true;
  out = QDate::fromString(s, ShortDateFormat());
  if (out.isValid()) return true;
  out = QLocale().toDate(s, QLocale::ShortFormat);
  if (out.isValid()) return true;
  out = QDate::fromString(s, QStringLiteral("d/M/yyyy"));
  return out.isValid();
}

static bool ParseTime(const QString& s0, QTime& out) {
  if (FastIsoTime(s0, 0, out)) return true;
  QString s = s0.trimmed();
  for (const char* f : {"HH:mm:ss.zzz", "HH:mm:ss", "H:mm:ss", "HH:mm", "H:mm"}) {
    out = QTime::fromString(s, QLatin1String(f));
    if (out.isValid()) return true;
  }
  out = QLocale().toTime(s, QLocale::ShortFormat);
  return out.isValid();
}

static bool ParseDateTime(const QString& s0, QDateTime& out) {
  {
    QDate d;
    QTime t(0, 0);
    if (FastIsoDate(s0, d) &&
        (s0.size() == 10 || ((s0[10] == ' ' || s0[10] == 'T') && FastIsoTime(s0, 11, t)))) {
      out = QDateTime(d, t);
      return true;
    }
  }
  QString s = s0.trimmed();
  if (s.size() >= 10) {
    QDate d;
    if (ParseDate(s.left(10), d)) {
      QString rest = s.mid(10).trimmed();
      if (rest.startsWith('T')) rest = rest.mid(1);
      QTime t(0, 0);
      if (!rest.isEmpty() && !ParseTime(rest, t)) goto locale;
      out = QDateTime(d, t);
      return true;
    }
  }
locale:
  int sp = s.indexOf(' ');
  QDate d;
  if (ParseDate(sp < 0 ? s : s.left(sp), d)) {
    QTime t(0, 0);
    if (sp >= 0 && !ParseTime(s.mid(sp + 1), t)) return false;
    out = QDateTime(d, t);
    return true;
  }
  return false;
}

bool CoerceToFieldType(const QVariant& in, TFieldType t, QVariant& out) {
  if (in.isNull() || !in.isValid()) {
    out = QVariant();
    return true;
  }
  const int id = in.metaType().id();
  const bool isString = id == QMetaType::QString;
  if (IsTextFieldType(t)) {
    if (id == QMetaType::QDate)
      out = in.toDate().toString(ShortDateFormat());
    else
      out = in.toString();
    return true;
  }
  if (IsIntegerType(t)) {
    switch (id) {
      case QMetaType::Int:
      case QMetaType::UInt:
      case QMetaType::LongLong:
      case QMetaType::Short:
      case QMetaType::UShort:
      case QMetaType::Long:
      case QMetaType::Char:
        out = in.toLongLong();
        return true;
      case QMetaType::ULongLong:
        if (in.toULongLong() > quint64(std::numeric_limits<qint64>::max())) return false;
        out = in.toLongLong();
        return true;
      case QMetaType::Bool:
        out = qint64(in.toBool());
        return true;
      case QMetaType::Double:
      case QMetaType::Float: {
        double d = in.toDouble();
        if (!std::isfinite(d) || d != std::floor(d) || std::fabs(d) > 9.2e18) return false;
        out = qint64(d);
        return true;
      }
      default: {
        bool ok = false;
        qint64 v = in.toString().trimmed().toLongLong(&ok);
        if (!ok) v = QLocale().toLongLong(in.toString().trimmed(), &ok);
        if (!ok) {
          double d;
          if (!ParseDouble(in.toString(), d) || d != std::floor(d) || std::fabs(d) > 9.2e18) return false;
          v = qint64(d);
        }
        out = v;
        return true;
      }
    }
  }
  if (t == ftFloat || t == ftCurrency || t == ftBCD) {
    if (isString || id == QMetaType::QByteArray) {
      double d;
      if (!ParseDouble(in.toString(), d)) return false;
      out = d;
      return true;
    }
    bool ok = false;
    double d = in.toDouble(&ok);
    if (!ok || !std::isfinite(d)) return false;
    out = d;
    return true;
  }
  if (t == ftBoolean) {
    if (id == QMetaType::Bool) {
      out = in;
      return true;
    }
    if (isString) {
      QString s = in.toString().trimmed().toUpper();
      if (s == "TRUE" || s == "T" || s == "1" || s == "VERO" || s == "SI" || s == "SÌ" || s == "Y") {
        out = true;
        return true;
      }
      if (s == "FALSE" || s == "F" || s == "0" || s == "FALSO" || s == "NO" || s == "N") {
        out = false;
        return true;
      }
      return false;
    }
    bool ok = false;
    double d = in.toDouble(&ok);
    if (!ok) return false;
    out = d != 0;
    return true;
  }
  if (t == ftDate) {
    if (id == QMetaType::QDate) {
      out = in;
      return in.toDate().isValid();
    }
    if (id == QMetaType::QDateTime) {
      out = in.toDateTime().date();
      return true;
    }
    if (id == QMetaType::Double || id == QMetaType::Int || id == QMetaType::LongLong) {
      if (!IsValidSerial(in.toDouble())) return false;
      out = SerialToDate(in.toDouble());
      return true;
    }
    QDate d;
    if (!ParseDate(in.toString(), d)) return false;
    out = d;
    return true;
  }
  if (t == ftTime) {
    if (id == QMetaType::QTime) {
      out = in;
      return in.toTime().isValid();
    }
    if (id == QMetaType::QDateTime) {
      out = in.toDateTime().time();
      return true;
    }
    if (id == QMetaType::Double) {
      out = SerialToTime(in.toDouble());
      return true;
    }
    QTime tm;
    if (!ParseTime(in.toString(), tm)) return false;
    out = tm;
    return true;
  }
  if (t == ftDateTime) {
    if (id == QMetaType::QDateTime) {
      out = in;
      return in.toDateTime().isValid();
    }
    if (id == QMetaType::QDate) {
      out = QDateTime(in.toDate(), QTime(0, 0));
      return true;
    }
    if (id == QMetaType::Double || id == QMetaType::Int || id == QMetaType::LongLong) {
      if (!IsValidSerial(in.toDouble())) return false;
      out = SerialToDateTime(in.toDouble());
      return true;
    }
    QDateTime dt;
    if (!ParseDateTime(in.toString(), dt)) return false;
    out = dt;
    return true;
  }
  if (IsBinaryType(t)) {
    out = in.toByteArray();
    return true;
  }
  out = in;
  return true;
}

template <typename T>
static int Cmp(const T& a, const T& b) {
  return a < b ? -1 : (b < a ? 1 : 0);
}

int CompareFieldValues(const QVariant& a, const QVariant& b, TFieldType t, bool ci) {
  const bool an = a.isNull(), bn = b.isNull();
  if (an || bn) return an == bn ? 0 : (an ? -1 : 1);
  if (IsTextFieldType(t))
    return Cmp(QString::compare(a.toString(), b.toString(), ci ? Qt::CaseInsensitive : Qt::CaseSensitive), 0);
  if (IsIntegerType(t)) return Cmp(a.toLongLong(), b.toLongLong());
  if (t == ftFloat || t == ftCurrency || t == ftBCD) return Cmp(a.toDouble(), b.toDouble());
  if (t == ftBoolean) return Cmp(a.toBool(), b.toBool());
  if (t == ftDate) return Cmp(a.toDate(), b.toDate());
  if (t == ftTime) return Cmp(a.toTime(), b.toTime());
  if (t == ftDateTime) return Cmp(a.toDateTime(), b.toDateTime());
  if (IsBinaryType(t)) return Cmp(a.toByteArray(), b.toByteArray());
  QPartialOrdering o = QVariant::compare(a, b);
  if (o == QPartialOrdering::Less) return -1;
  if (o == QPartialOrdering::Greater) return 1;
  return 0;
}

// ---------------------------------------------------------------------------
// Definitions

TFieldDef& TFieldDefs::Add(const QString& name, TFieldType type, int size, bool required) {
  TFieldDef d;
  d.Name = name;
  d.DataType = type;
  d.Size = size;
  d.Required = required;
  mItems.push_back(d);
  return mItems.back();
}

int TFieldDefs::IndexOf(const QString& name) const {
  for (int i = 0; i < Count(); ++i)
    if (mItems[i].Name.compare(name, Qt::CaseInsensitive) == 0) return i;
  return -1;
}

const TFieldDef* TFieldDefs::Find(const QString& name) const {
  int i = IndexOf(name);
  return i < 0 ? nullptr : &mItems[i];
}

QStringList TFieldDefs::Names() const {
  QStringList r;
  for (auto& d : mItems) r << d.Name;
  return r;
}

const TIndexDef* TIndexDefs::Find(const QString& name) const {
  for (auto& d : mItems)
    if (d.Name.compare(name, Qt::CaseInsensitive) == 0) return &d;
  return nullptr;
}

const TIndexDef* TIndexDefs::PrimaryKey() const {
  for (auto& d : mItems)
    if (d.Options & ixPrimary) return &d;
  for (auto& d : mItems)
    if ((d.Options & ixUnique) && !(d.Options & ixExpression)) return &d;
  return nullptr;
}

// ---------------------------------------------------------------------------
// TField

TField::TField(TDataSet* dataSet, const QString& name, TFieldType type, int size, TFieldKind kind)
    : QObject(dataSet), mDataSet(dataSet), mFieldName(name), mDataType(type), mSize(size), mFieldKind(kind) {
  setObjectName(name);
}

int TField::DisplayWidth() const {
  if (mDisplayWidth > 0) return mDisplayWidth;
  if (IsTextFieldType(mDataType) && mDataType != ftMemo && mDataType != ftFmtMemo && mSize > 0)
    return std::min(mSize, 60);
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

QVariant TField::Value() const { return mDataSet->FieldValue(this); }
void TField::SetValue(const QVariant& v) { mDataSet->SetFieldValue(this, v); }
QVariant TField::OldValue() const { return mDataSet->OldFieldValue(this); }

QString TField::AsString() const {
  QVariant v = Value();
  if (v.isNull()) return QString();
  switch (mDataType) {
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
    case ftCurrency:
    case ftBCD: {
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
    case ftBCD:
      return loc.toString(v.toDouble(), 'g', 15);
    case ftCurrency:
      return QLocale().toCurrencyString(v.toDouble());
    case ftBoolean:
      return v.toBool() ? QStringLiteral("Vero") : QStringLiteral("Falso");
    default:
      return AsString();
  }
}

// ---------------------------------------------------------------------------
// Data links and sources

TDataLink::~TDataLink() { SetDataSource(nullptr); }

void TDataLink::SetDataSource(TDataSource* ds) {
  if (ds == mDataSource) return;
  if (mDataSource) {
    auto& v = mDataSource->mLinks;
    v.erase(std::remove(v.begin(), v.end(), this), v.end());
  }
  mDataSource = ds;
  if (ds) ds->mLinks.push_back(this);
  mLastActive = Active();
  mLastEditing = Editing();
  ActiveChanged();
}

TDataSet* TDataLink::DataSet() const { return mDataSource ? mDataSource->DataSet() : nullptr; }
bool TDataLink::Active() const { return DataSet() && DataSet()->Active() && mDataSource->Enabled(); }
bool TDataLink::Editing() const {
  return Active() && (DataSet()->State() == dsEdit || DataSet()->State() == dsInsert);
}

TDataSource::TDataSource(QObject* owner) : QObject(owner) {}

TDataSource::~TDataSource() {
  SetDataSet(nullptr);
  for (auto* l : std::vector<TDataLink*>(mLinks)) l->SetDataSource(nullptr);
}

void TDataSource::SetDataSet(TDataSet* ds) {
  if (ds == mDataSet) return;
  if (mDataSet) {
    auto& v = mDataSet->mSources;
    v.erase(std::remove(v.begin(), v.end(), this), v.end());
  }
  mDataSet = ds;
  if (ds) ds->mSources.push_back(this);
  for (auto* l : std::vector<TDataLink*>(mLinks)) {
    l->mLastActive = l->Active();
    l->mLastEditing = l->Editing();
    l->ActiveChanged();
  }
  if (OnStateChange) OnStateChange(this);
}

void TDataSource::SetEnabled(bool v) {
  if (v == mEnabled) return;
  mEnabled = v;
  for (auto* l : std::vector<TDataLink*>(mLinks)) {
    l->mLastActive = l->Active();
    l->mLastEditing = l->Editing();
    l->ActiveChanged();
  }
}

TDataSetState TDataSource::State() const { return mDataSet ? mDataSet->State() : dsInactive; }

void TDataSource::DataEvent(TDataEvent ev, TField* field, int info) {
  if (!mEnabled) return;
  const auto links = mLinks;
  switch (ev) {
    case deUpdateState:
      // Links hear only about what changed for them.
      for (auto* l : links) {
        const bool active = l->Active(), editing = l->Editing();
        if (active != l->mLastActive) {
          l->mLastActive = active;
          l->ActiveChanged();
        }
        if (editing != l->mLastEditing) {
          l->mLastEditing = editing;
          l->EditingChanged();
        }
      }
      if (OnStateChange) OnStateChange(this);
      return;
    case deFieldChange:
      for (auto* l : links) l->RecordChanged(field);
      break;
    case deRecordChange:
      for (auto* l : links) l->RecordChanged(nullptr);
      break;
    case deDataSetChange:
      for (auto* l : links) l->DataSetChanged();
      break;
    case deDataSetScroll:
      for (auto* l : links) l->DataSetScrolled(info);
      break;
    case deLayoutChange:
      for (auto* l : links) l->LayoutChanged();
      break;
    case deUpdateRecord:
      for (auto* l : links) l->UpdateData();
      if (OnUpdateData) OnUpdateData(this);
      return;
    case deCheckBrowseMode:
      return;
  }
  if (OnDataChange) OnDataChange(this, field);
}

// ---------------------------------------------------------------------------
// TDataSet

TDataSet::TDataSet(QObject* owner) : QObject(owner) {}

TDataSet::~TDataSet() {
  for (auto* s : std::vector<TDataSource*>(mSources)) s->SetDataSet(nullptr);
  mFields.clear();
}

void TDataSet::SetDatabaseName(const QString& v) {
  if (v == mDatabaseName) return;
  if (Active()) throw EDatabaseError(QStringLiteral("Impossibile cambiare il database di un dataset aperto"));
  mDatabaseName = v;
}

void TDataSet::SetState(TDataSetState s) {
  if (s == mState) return;
  mState = s;
  DataEvent(deUpdateState);
}

void TDataSet::DataEvent(TDataEvent ev, TField* field, int info) {
  // Disabled controls miss the notices, but may still hand over what they hold.
  if (mDisableCount > 0 && ev != deUpdateRecord && ev != deCheckBrowseMode) return;
  for (auto* s : std::vector<TDataSource*>(mSources)) s->DataEvent(ev, field, info);
}

void TDataSet::DisableControls() { ++mDisableCount; }

void TDataSet::EnableControls() {
  if (mDisableCount == 0) return;
  if (--mDisableCount > 0) return;
  // A state change missed meanwhile reaches only the links it concerns.
  for (auto* s : std::vector<TDataSource*>(mSources)) s->DataEvent(deUpdateState, nullptr, 0);
  for (auto* s : std::vector<TDataSource*>(mSources)) s->DataEvent(deDataSetChange, nullptr, 0);
}

TField* TDataSet::Fields(int i) const {
  if (i < 0 || i >= FieldCount())
    throw EDatabaseError(QStringLiteral("Indice di campo fuori dai limiti: %1").arg(i));
  return mFields[i].get();
}

TField* TDataSet::FindField(const QString& name) const {
  for (auto& f : mFields)
    if (f->FieldName().compare(name.trimmed(), Qt::CaseInsensitive) == 0) return f.get();
  return nullptr;
}

TField* TDataSet::FieldByName(const QString& name) const {
  TField* f = FindField(name);
  if (!f) throw EDatabaseError(QStringLiteral("Campo '%1' non trovato").arg(name));
  return f;
}

QStringList TDataSet::FieldNames() const {
  QStringList r;
  for (auto& f : mFields) r << f->FieldName();
  return r;
}

TField* TDataSet::CreateField(const QString& name, TFieldType type, int size, TFieldKind kind) {
  if (Active()) throw EDatabaseError(QStringLiteral("Impossibile aggiungere campi a un dataset aperto"));
  if (name.trimmed().isEmpty()) throw EDatabaseError(QStringLiteral("Il nome del campo è vuoto"));
  if (FindField(name)) throw EDatabaseError(QStringLiteral("Campo '%1' già presente").arg(name));
  if (mDefaultFields) mFields.clear();
  mDefaultFields = false;
  mFields.push_back(std::make_unique<TField>(this, name.trimmed(), type, size, kind));
  return mFields.back().get();
}

void TDataSet::BindFields() {
  if (mDefaultFields) {
    mFields.clear();
    for (int i = 0; i < mFieldDefs.Count(); ++i) {
      const TFieldDef& d = mFieldDefs[i];
      auto f = std::make_unique<TField>(this, d.Name, d.DataType, d.Size);
      f->mIndex = i;
      f->mRequired = d.Required;
      if (d.DataType == ftAutoInc) f->mRequired = false;
      mFields.push_back(std::move(f));
    }
    mDataFieldCount = mFieldDefs.Count();
    return;
  }
  int calc = 0;
  for (auto& f : mFields) {
    if (f->Calculated() || f->FieldKind() == fkLookup) continue;
    int i = mFieldDefs.IndexOf(f->FieldName());
    if (i < 0) throw EDatabaseError(QStringLiteral("Campo '%1' non trovato").arg(f->FieldName()));
    f->mIndex = i;
  }
  mDataFieldCount = mFieldDefs.Count();
  for (auto& f : mFields)
    if (f->Calculated() || f->FieldKind() == fkLookup) f->mIndex = mDataFieldCount + calc++;
}

TRecord* TDataSet::NewRecord() {
  auto* r = new TRecord;
  int slotCount = mDataFieldCount;
  for (auto& f : mFields)
    if (f->mIndex >= slotCount) slotCount = f->mIndex + 1;
  r->Values = QList<QVariant>(slotCount);  // exact: resize() would keep spare room in every record
  return r;
}

void TDataSet::AddFetched(std::unique_ptr<TRecord> rec) {
  rec->Serial = mNextSerial++;
  if (mAutoCalcFields && OnCalcFields && int(mFields.size()) > 0 && rec->Values.size() > mDataFieldCount)
    CalcRecord(*rec);
  mRows.push_back(std::move(rec));
}

void TDataSet::CalcRecord(TRecord& r) {
  if (!OnCalcFields) return;
  bool any = false;
  for (auto& f : mFields)
    if (f->Calculated()) {
      any = true;
      if (f->mIndex < r.Values.size()) r.Values[f->mIndex] = QVariant();
    }
  if (!any) return;
  TDataSetState saved = mState;
  const TRecord* savedRec = mCalcRecord;
  mState = dsCalcFields;
  mCalcRecord = &r;
  try {
    OnCalcFields(this);
  } catch (...) {
    mState = saved;
    mCalcRecord = savedRec;
    throw;
  }
  mState = saved;
  mCalcRecord = savedRec;
}

void TDataSet::ClearRecords() {
  InvalidatePositions();
  mRows.clear();
  mCursor = -1;
  mEof = mBof = true;
  mFetchedAll = false;
  mEditBuffer.reset();
  mOldBuffer.reset();
}

void TDataSet::Open() {
  if (Active()) return;
  if (BeforeOpen) BeforeOpen(this);
  THourglass wait;
  ++mGeneration;
  try {
    ClearRecords();
    InternalOpen();
    BindFields();
    mFilterPred = nullptr;
    if (mFiltered) mFilterPred = CompileFilter(mFilter);
  } catch (...) {
    try {
      InternalClose();
    } catch (...) {
    }
    ClearRecords();
    if (mDefaultFields) mFields.clear();
    throw;
  }
  mState = dsBrowse;
  int first = FindAccepted(0, 1);
  mCursor = first;
  mBof = true;
  mEof = first < 0;
  DataEvent(deUpdateState);
  DoAfterOpen();
  if (AfterOpen) AfterOpen(this);
  if (first >= 0 && AfterScroll) AfterScroll(this);
}

void TDataSet::Close() {
  if (!Active()) return;
  if (BeforeClose) BeforeClose(this);
  mState = dsBrowse;
  try {
    InternalClose();
  } catch (...) {
  }
  ClearRecords();
  if (mDefaultFields) mFields.clear();
  ++mGeneration;
  mState = dsInactive;
  DataEvent(deUpdateState);
  if (AfterClose) AfterClose(this);
}

void TDataSet::Refresh() {
  CheckBrowseMode();
  if (!Active()) return;
  if (BeforeRefresh) BeforeRefresh(this);
  int rec = RecNo();
  DisableControls();
  try {
    Close();
    Open();
    if (rec > 1) SetRecNo(rec);
  } catch (...) {
    EnableControls();
    throw;
  }
  EnableControls();
  if (AfterRefresh) AfterRefresh(this);
}

bool TDataSet::EnsureRow(int i) {
  while (i >= int(mRows.size()) && !mFetchedAll) {
    if (!FetchRows(std::max(i + 1, int(mRows.size()) + 256))) mFetchedAll = true;
  }
  return i >= 0 && i < int(mRows.size());
}

void TDataSet::FetchAll() {
  if (mFetchedAll) return;
  THourglass wait;
  while (!mFetchedAll)
    if (!FetchRows(int(mRows.size()) + 4096)) mFetchedAll = true;
}

bool TDataSet::RecordAccepted(const TRecord& r) {
  if (!mFiltered) return true;
  if (mFilterPred && !mFilterPred(r)) return false;
  if (OnFilterRecord) {
    bool accept = true;
    TDataSetState saved = mState;
    const TRecord* savedRec = mCalcRecord;
    mState = dsFilter;
    mCalcRecord = &r;
    try {
      OnFilterRecord(this, accept);
    } catch (...) {
      mState = saved;
      mCalcRecord = savedRec;
      throw;
    }
    mState = saved;
    mCalcRecord = savedRec;
    return accept;
  }
  return true;
}

int TDataSet::FindAccepted(int from, int step) {
  if (step > 0) {
    for (int i = std::max(from, 0); EnsureRow(i); ++i)
      if (RecordAccepted(*mRows[i])) return i;
    return -1;
  }
  for (int i = std::min(from, int(mRows.size()) - 1); i >= 0; --i)
    if (RecordAccepted(*mRows[i])) return i;
  return -1;
}

static void CheckActiveDS(const TDataSet* ds) {
  if (!ds->Active())
    throw EDatabaseError(QStringLiteral("Impossibile eseguire l'operazione su un dataset chiuso"));
}

void TDataSet::MoveCursorTo(int i, bool events) {
  if (events && BeforeScroll) BeforeScroll(this);
  mCursor = i;
  mEof = mBof = false;
  if (events && AfterScroll) AfterScroll(this);
  DataEvent(deDataSetChange);
}

void TDataSet::First() {
  CheckActiveDS(this);
  CheckBrowseMode();
  if (BeforeScroll) BeforeScroll(this);
  int i = FindAccepted(0, 1);
  mCursor = i;
  mBof = true;
  mEof = i < 0;
  if (AfterScroll) AfterScroll(this);
  DataEvent(deDataSetChange);
}

void TDataSet::Last() {
  CheckActiveDS(this);
  CheckBrowseMode();
  if (BeforeScroll) BeforeScroll(this);
  FetchAll();
  int i = FindAccepted(int(mRows.size()) - 1, -1);
  mCursor = i;
  mEof = true;
  mBof = i < 0;
  if (AfterScroll) AfterScroll(this);
  DataEvent(deDataSetChange);
}

int TDataSet::MoveBy(int distance) {
  CheckActiveDS(this);
  CheckBrowseMode();
  if (distance == 0) return 0;
  if (BeforeScroll) BeforeScroll(this);
  int moved = 0;
  if (distance > 0) {
    mBof = false;
    while (moved < distance) {
      int i = mCursor < 0 ? -1 : FindAccepted(mCursor + 1, 1);
      if (i < 0) {
        mEof = true;
        break;
      }
      mCursor = i;
      ++moved;
    }
  } else {
    mEof = false;
    while (moved > distance) {
      int i = mCursor <= 0 ? -1 : FindAccepted(mCursor - 1, -1);
      if (i < 0) {
        mBof = true;
        break;
      }
      mCursor = i;
      --moved;
    }
  }
  if (AfterScroll) AfterScroll(this);
  DataEvent(deDataSetScroll, nullptr, moved);
  return moved;
}

void TDataSet::Next() {
  if (!mEof) MoveBy(1);
}
void TDataSet::Prior() {
  if (!mBof) MoveBy(-1);
}

bool TDataSet::IsEmpty() {
  if (!Active()) return true;
  if (mState == dsInsert) return false;
  return FindAccepted(0, 1) < 0;
}

// Positions among the accepted records are kept in a list that grows with
// the rows read; a filter that consults OnFilterRecord may depend on things
// outside the records, so it is evaluated afresh instead.
bool TDataSet::UsePositionCache() const { return mFiltered && !OnFilterRecord; }

void TDataSet::InvalidatePositions() {
  mAccepted.clear();
  mAcceptedUpTo = 0;
}

void TDataSet::ExtendPositions(int upTo) {
  upTo = std::min(upTo, int(mRows.size()));
  for (; mAcceptedUpTo < upTo; ++mAcceptedUpTo)
    if (RecordAccepted(*mRows[mAcceptedUpTo])) mAccepted.push_back(mAcceptedUpTo);
}

int TDataSet::RecNo() {
  if (!Active() || mState == dsInsert || mCursor < 0) return -1;
  if (!mFiltered) return mCursor + 1;
  if (UsePositionCache()) {
    ExtendPositions(mCursor + 1);
    return int(std::upper_bound(mAccepted.begin(), mAccepted.end(), mCursor) - mAccepted.begin());
  }
  int n = 0;
  for (int i = 0; i <= mCursor; ++i)
    if (RecordAccepted(*mRows[i])) ++n;
  return n;
}

void TDataSet::SetRecNo(int n) {
  CheckActiveDS(this);
  if (n < 1) return;
  CheckBrowseMode();
  int target = -1;
  if (!mFiltered) {
    if (EnsureRow(n - 1)) target = n - 1;
  } else if (UsePositionCache()) {
    while (int(mAccepted.size()) < n && EnsureRow(mAcceptedUpTo)) ExtendPositions(mAcceptedUpTo + 1024);
    if (int(mAccepted.size()) >= n) target = mAccepted[n - 1];
  } else {
    int k = 0;
    for (int i = 0; EnsureRow(i); ++i)
      if (RecordAccepted(*mRows[i]) && ++k == n) {
        target = i;
        break;
      }
  }
  if (target < 0 || target == mCursor) return;
  MoveCursorTo(target);
}

int TDataSet::RecordCount() {
  if (!Active()) return 0;
  FetchAll();
  if (!mFiltered) return int(mRows.size());
  if (UsePositionCache()) {
    ExtendPositions(int(mRows.size()));
    return int(mAccepted.size());
  }
  int n = 0;
  for (auto& r : mRows)
    if (RecordAccepted(*r)) ++n;
  return n;
}

TRecord* TDataSet::ActiveRecord() const {
  switch (mState) {
    case dsEdit:
    case dsInsert:
      return mEditBuffer.get();
    case dsCalcFields:
    case dsFilter:
      return const_cast<TRecord*>(mCalcRecord);
    case dsInactive:
      return nullptr;
    default:
      if (mCursor >= 0 && mCursor < int(mRows.size())) return mRows[mCursor].get();
      return nullptr;
  }
}

QVariant TDataSet::FieldValue(const TField* f) const {
  const TRecord* r = ActiveRecord();
  if (!r || f->mIndex < 0 || f->mIndex >= r->Values.size()) return QVariant();
  return r->Values[f->mIndex];
}

QVariant TDataSet::OldFieldValue(const TField* f) const {
  const TRecord* r = mState == dsEdit ? mOldBuffer.get() : (mState == dsInsert ? nullptr : ActiveRecord());
  if (!r || f->mIndex < 0 || f->mIndex >= r->Values.size()) return QVariant();
  return r->Values[f->mIndex];
}

void TDataSet::SetFieldValue(TField* f, const QVariant& v) {
  TRecord* r = nullptr;
  if (mState == dsCalcFields && f->Calculated())
    r = const_cast<TRecord*>(mCalcRecord);
  else if (mState == dsEdit || mState == dsInsert)
    r = mEditBuffer.get();
  if (!r) throw EDatabaseError(QStringLiteral("Il dataset non è in modifica né in inserimento"));
  if (f->ReadOnly() && mState != dsCalcFields)
    throw EDatabaseError(QStringLiteral("Il campo '%1' è di sola lettura").arg(f->FieldName()));
  QVariant val;
  if (!CoerceToFieldType(v, f->DataType(), val))
    throw EDatabaseError(
        QStringLiteral("'%1' non è un valore valido per il campo '%2'").arg(v.toString(), f->FieldName()));
  if (IsTextFieldType(f->DataType()) && f->DataType() != ftMemo && f->DataType() != ftFmtMemo &&
      f->Size() > 0 && val.toString().size() > f->Size())
    throw EDatabaseError(
        QStringLiteral("Il valore è troppo lungo per il campo '%1' (al massimo %2 caratteri)")
            .arg(f->FieldName())
            .arg(f->Size()));
  if (f->mIndex < 0 || f->mIndex >= r->Values.size()) return;
  r->Values[f->mIndex] = val;
  if (mState == dsCalcFields) return;
  mModified = true;
  if (mAutoCalcFields && !f->Calculated()) CalcRecord(*r);
  DataEvent(deFieldChange, f);
}

// --- bookmarks

TBookmark TDataSet::GetBookmark() const {
  if (!Active() || mCursor < 0 || mCursor >= int(mRows.size()) || mState == dsInsert) return {};
  QByteArray b(12, 0);
  qToLittleEndian<quint32>(mGeneration, b.data());
  qToLittleEndian<quint64>(mRows[mCursor]->Serial, b.data() + 4);
  return b;
}

static int FindSerial(const std::vector<std::unique_ptr<TRecord>>& rows, const TBookmark& bm, quint32 gen) {
  if (bm.size() != 12 || qFromLittleEndian<quint32>(bm.constData()) != gen) return -1;
  quint64 serial = qFromLittleEndian<quint64>(bm.constData() + 4);
  for (int i = 0; i < int(rows.size()); ++i)
    if (rows[i]->Serial == serial) return i;
  return -1;
}

bool TDataSet::BookmarkValid(const TBookmark& bm) const {
  if (!Active()) return false;
  int i = FindSerial(mRows, bm, mGeneration);
  return i >= 0 && const_cast<TDataSet*>(this)->RecordAccepted(*mRows[i]);
}

void TDataSet::GotoBookmark(const TBookmark& bm) {
  CheckActiveDS(this);
  CheckBrowseMode();
  int i = FindSerial(mRows, bm, mGeneration);
  if (i < 0 || !RecordAccepted(*mRows[i]))
    throw EDatabaseError(QStringLiteral("Segnalibro non valido: il record non è più disponibile"));
  MoveCursorTo(i);
}

int TDataSet::CompareBookmarks(const TBookmark& a, const TBookmark& b) const {
  int ia = FindSerial(mRows, a, mGeneration), ib = FindSerial(mRows, b, mGeneration);
  return ia < ib ? -1 : (ia > ib ? 1 : 0);
}

// --- locate

namespace {
struct TKeyMatcher {
  int Slot;
  TFieldType Type;
  QVariant Key;     // coerced to the field type
  QString KeyText;  // for partial keys and text fields
  bool Partial, CaseIns, Impossible = false;
  bool Match(const TRecord& r, const TField* f) const {
    if (Impossible) return false;
    const QVariant& v = r.Values[Slot];
    if (Key.isNull()) return v.isNull();
    if (v.isNull()) return false;
    const Qt::CaseSensitivity cs = CaseIns ? Qt::CaseInsensitive : Qt::CaseSensitive;
    if (IsTextFieldType(Type)) {
      const QString s = v.toString();
      return Partial ? s.startsWith(KeyText, cs) : s.compare(KeyText, cs) == 0;
    }
    if (Partial) {
      Q_UNUSED(f);
      QString s = v.toString();
      if (IsDateFieldType(Type)) {
        QVariant t;
        CoerceToFieldType(v, ftString, t);
        s = t.toString();
      }
      return s.startsWith(KeyText, cs);
    }
    return CompareFieldValues(v, Key, Type) == 0;
  }
};
}  // namespace

bool TDataSet::Locate(const QString& keyFields, const QVariant& keyValues, TLocateOptions options) {
  CheckActiveDS(this);
  CheckBrowseMode();
  QStringList names = keyFields.split(';', Qt::SkipEmptyParts);
  for (auto& n : names) n = n.trimmed();
  if (names.isEmpty()) throw EDatabaseError(QStringLiteral("Nessun campo chiave per la ricerca"));
  QVariantList values;
  if (names.size() == 1) {
    if (keyValues.metaType().id() == QMetaType::QVariantList && keyValues.toList().size() == 1)
      values << keyValues.toList().first();
    else
      values << keyValues;
  } else {
    values = keyValues.toList();
    if (values.size() != names.size())
      throw EDatabaseError(QStringLiteral("Il numero dei valori non corrisponde ai campi chiave"));
  }
  std::vector<TKeyMatcher> ms;
  std::vector<const TField*> fs;
  for (int k = 0; k < names.size(); ++k) {
    TField* f = FieldByName(names[k]);
    TKeyMatcher m{
        f->mIndex, f->DataType(), {}, {}, bool(options & loPartialKey), bool(options & loCaseInsensitive)};
    if (!CoerceToFieldType(values[k], f->DataType(), m.Key)) m.Impossible = !m.Partial;
    m.KeyText = values[k].toString();
    if (values[k].metaType().id() == QMetaType::QDate)
      m.KeyText = values[k].toDate().toString(ShortDateFormat());
    ms.push_back(m);
    fs.push_back(f);
  }
  if (BeforeScroll) BeforeScroll(this);
  THourglass wait;
  for (int i = 0; EnsureRow(i); ++i) {
    const TRecord& r = *mRows[i];
    bool all = true;
    for (size_t k = 0; k < ms.size() && all; ++k) all = ms[k].Match(r, fs[k]);
    if (all && RecordAccepted(r)) {
      mCursor = i;
      mEof = mBof = false;
      if (AfterScroll) AfterScroll(this);
      DataEvent(deDataSetChange);
      return true;
    }
  }
  return false;
}

QVariant TDataSet::Lookup(const QString& keyFields, const QVariant& keyValues, const QString& resultFields) {
  TBookmark bm = GetBookmark();
  QVariant result;
  DisableControls();
  auto saveBefore = BeforeScroll, saveAfter = AfterScroll;
  BeforeScroll = nullptr;
  AfterScroll = nullptr;
  try {
    if (Locate(keyFields, keyValues, 0)) {
      QStringList rf = resultFields.split(';', Qt::SkipEmptyParts);
      if (rf.size() == 1)
        result = FieldByName(rf[0])->Value();
      else {
        QVariantList l;
        for (auto& n : rf) l << FieldByName(n)->Value();
        result = l;
      }
    }
    if (!bm.isEmpty() && BookmarkValid(bm)) mCursor = FindSerial(mRows, bm, mGeneration);
  } catch (...) {
    BeforeScroll = saveBefore;
    AfterScroll = saveAfter;
    EnableControls();
    throw;
  }
  BeforeScroll = saveBefore;
  AfterScroll = saveAfter;
  EnableControls();
  return result;
}

// --- filter

std::function<bool(const TRecord&)> TDataSet::CompileFilter(const QString& text) {
  if (text.trimmed().isEmpty()) return nullptr;
  auto expr = TFilterExpr::Compile(text, [this](const QString& name, int& slot, TFieldType& type) {
    TField* f = FindField(name);
    if (!f) return false;
    slot = f->mIndex;
    type = f->DataType();
    return true;
  });
  const bool ci = mFilterOptions & foCaseInsensitive, partial = !(mFilterOptions & foNoPartialCompare);
  return [expr, ci, partial](const TRecord& r) { return expr->Evaluate(r.Values, ci, partial); };
}

void TDataSet::RunFilterChange() {
  InvalidatePositions();
  if (!Active()) return;
  CheckBrowseMode();
  int i = FindAccepted(0, 1);
  mCursor = i;
  mBof = true;
  mEof = i < 0;
  DataEvent(deDataSetChange);
}

void TDataSet::SetFilter(const QString& v) {
  if (v == mFilter) return;
  if (Active() && mFiltered) {
    auto pred = CompileFilter(v);  // raises: the previous filter stays
    mFilter = v;
    mFilterPred = pred;
    RunFilterChange();
    return;
  }
  if (Active()) CompileFilter(v);  // a bad text is refused now rather than when filtering starts
  mFilter = v;
}

void TDataSet::SetFiltered(bool v) {
  if (v == mFiltered) return;
  if (Active()) {
    CheckBrowseMode();
    if (v) mFilterPred = CompileFilter(mFilter);
    mFiltered = v;
    RunFilterChange();
    return;
  }
  mFiltered = v;
}

void TDataSet::SetFilterOptions(TFilterOptions v) {
  if (v == mFilterOptions) return;
  mFilterOptions = v;
  if (Active() && mFiltered) {
    mFilterPred = CompileFilter(mFilter);
    RunFilterChange();
  }
}

// --- editing

void TDataSet::HandleError(const TDataSetErrorEvent& handler, const std::function<void()>& action) {
  for (int attempt = 0;; ++attempt) {
    try {
      action();
      return;
    } catch (const EDatabaseError& e) {
      if (!handler) throw;
      TDataAction a = daFail;
      handler(this, e, a);
      if (a == daFail || (a == daRetry && attempt >= 100)) throw;
      if (a == daAbort) throw EDatabaseError(e.Message());
    }
  }
}

int TDataSet::InsertPosition(bool append) {
  if (append) {
    FetchAll();
    return int(mRows.size());
  }
  return mCursor < 0 ? 0 : mCursor;
}

void TDataSet::CheckBrowseMode() {
  if (!Active()) return;
  DataEvent(deCheckBrowseMode);
  if (mState == dsEdit || mState == dsInsert) {
    DataEvent(deUpdateRecord);
    if (mModified)
      Post();
    else
      Cancel();
  }
}

void TDataSet::Edit() {
  CheckActiveDS(this);
  if (mState == dsEdit || mState == dsInsert) return;
  if (mCursor < 0) {
    Insert();
    return;
  }
  HandleError(OnEditError, [this] {
    InternalEdit();
    if (!CanModify())
      throw EDatabaseError(QStringLiteral("Impossibile modificare un dataset di sola lettura"));
  });
  if (BeforeEdit) BeforeEdit(this);
  mOldBuffer = std::make_unique<TRecord>(*mRows[mCursor]);
  mEditBuffer = std::make_unique<TRecord>(*mRows[mCursor]);
  mModified = false;
  SetState(dsEdit);
  DataEvent(deRecordChange);
  if (AfterEdit) AfterEdit(this);
}

void TDataSet::Append() { BeginInsert(true); }

// Append and Insert differ only in where the new record will go.
void TDataSet::BeginInsert(bool append) {
  CheckActiveDS(this);
  CheckBrowseMode();
  InternalEdit();
  if (!CanModify()) throw EDatabaseError(QStringLiteral("Impossibile modificare un dataset di sola lettura"));
  if (BeforeInsert) BeforeInsert(this);
  if (BeforeScroll) BeforeScroll(this);
  mInsertAt = InsertPosition(append);
  mEditBuffer.reset(NewRecord());
  mOldBuffer.reset();
  SetState(dsInsert);
  if (OnNewRecord) OnNewRecord(this);
  mModified = false;
  DataEvent(deDataSetChange);
  if (AfterInsert) AfterInsert(this);
  if (AfterScroll) AfterScroll(this);
}

void TDataSet::Insert() { BeginInsert(false); }

void TDataSet::Post() {
  if (mState != dsEdit && mState != dsInsert) return;
  DataEvent(deUpdateRecord);
  for (auto& f : mFields) {
    if (f->Required() && !f->ReadOnly() && !f->Calculated() && f->Value().isNull())
      throw EDatabaseError(QStringLiteral("Il campo '%1' deve avere un valore").arg(f->FieldName()));
  }
  if (BeforePost) BeforePost(this);
  HandleError(OnPostError, [this] { DoPost(); });
  if (AfterPost) AfterPost(this);
}

void TDataSet::DoPost() {
  InvalidatePositions();
  // Work on a copy: a failure must leave the typed values exactly as they were.
  TRecord rec = *mEditBuffer;
  const bool inserting = mState == dsInsert;
  InternalPost(rec, inserting ? nullptr : mOldBuffer.get());
  if (inserting) {
    auto row = std::make_unique<TRecord>(std::move(rec));
    row->Serial = mNextSerial++;
    CalcRecord(*row);
    int at = std::clamp(mInsertAt, 0, int(mRows.size()));
    mRows.insert(mRows.begin() + at, std::move(row));
    mCursor = at;
  } else {
    rec.Serial = mRows[mCursor]->Serial;
    CalcRecord(rec);
    *mRows[mCursor] = std::move(rec);
  }
  mEof = mBof = false;
  mEditBuffer.reset();
  mOldBuffer.reset();
  mModified = false;
  SetState(dsBrowse);
  DataEvent(deDataSetChange);
}

void TDataSet::Cancel() {
  if (mState != dsEdit && mState != dsInsert) return;
  if (BeforeCancel) BeforeCancel(this);
  mEditBuffer.reset();
  mOldBuffer.reset();
  mModified = false;
  SetState(dsBrowse);
  DataEvent(deDataSetChange);
  if (AfterCancel) AfterCancel(this);
}

void TDataSet::Delete() {
  CheckActiveDS(this);
  if (mState == dsInsert) {
    Cancel();
    return;
  }
  CheckBrowseMode();
  if (mCursor < 0 || mCursor >= int(mRows.size()))
    throw EDatabaseError(QStringLiteral("Impossibile cancellare: il dataset è vuoto"));
  InternalEdit();
  if (!CanModify()) throw EDatabaseError(QStringLiteral("Impossibile modificare un dataset di sola lettura"));
  if (BeforeDelete) BeforeDelete(this);
  if (BeforeScroll) BeforeScroll(this);
  HandleError(OnDeleteError, [this] { InternalDelete(*mRows[mCursor]); });
  int at = mCursor;
  InvalidatePositions();
  mRows.erase(mRows.begin() + at);
  int i = FindAccepted(at, 1);
  if (i < 0) i = FindAccepted(at - 1, -1);
  mCursor = i;
  mEof = i < 0;
  mBof = i < 0;
  if (AfterDelete) AfterDelete(this);
  if (AfterScroll) AfterScroll(this);
  DataEvent(deDataSetChange);
}

}  // namespace Tarnwell
