#include "DBDataSet.h"

#include <QLocale>
#include <QScopedValueRollback>
#include <QMetaMethod>
#include <QtEndian>
#include <algorithm>
#include <cmath>

#include "DBFilter.h"
#include <Tarnwell/platform/THourglass.h>

namespace Tarnwell {


// ---------------------------------------------------------------------------
// TDataSet

TDataSet::TDataSet(QObject* owner) : QObject(owner) {}

TDataSet::~TDataSet() {
  for (auto* s : std::vector<TDataSetObserver*>(mSources)) s->DataSetDestroyed(this);
  mFields.clear();
}

// The slots report a refusal to the program's exception handler instead of
// raising: a slot may be reached from the event loop or from a form.
void TDataSet::setActive(bool v) {
  try {
    SetActive(v);
  } catch (...) {
    HandleCurrentException();
  }
}

void TDataSet::setDatabaseName(QString v) {
  try {
    SetDatabaseName(std::move(v));
  } catch (...) {
    HandleCurrentException();
  }
}

void TDataSet::setFilter(QString v) {
  try {
    SetFilter(std::move(v));
  } catch (...) {
    HandleCurrentException();
  }
}

void TDataSet::setFiltered(bool v) {
  try {
    SetFiltered(v);
  } catch (...) {
    HandleCurrentException();
  }
}

void TDataSet::setFilterOptions(int v) {
  try {
    SetFilterOptions(v);
  } catch (...) {
    HandleCurrentException();
  }
}

void TDataSet::SetDatabaseName(QString v) {
  if (v == mDatabaseName) return;
  if (Active()) throw EDatabaseError(QStringLiteral("Impossibile cambiare il database di un dataset aperto"));
  mDatabaseName = std::move(v);
  Q_EMIT DatabaseNameChanged(mDatabaseName);
}

void TDataSet::AttachObserver(TDataSetObserver* o) {
  if (std::find(mSources.begin(), mSources.end(), o) == mSources.end()) mSources.push_back(o);
}

void TDataSet::DetachObserver(TDataSetObserver* o) {
  mSources.erase(std::remove(mSources.begin(), mSources.end(), o), mSources.end());
}

bool TDataSet::HasCalcFieldsHandler() const {
  static const QMetaMethod signal = QMetaMethod::fromSignal(&TDataSet::CalcFields);
  return OnCalcFields || isSignalConnected(signal);
}

void TDataSet::FireBeforeScroll() {
  if (mQuietScroll == 0) TW_FIRE(BeforeScroll, beforeScroll, this);
}

void TDataSet::FireAfterScroll() {
  if (mQuietScroll == 0) TW_FIRE(AfterScroll, afterScroll, this);
}

void TDataSet::SetState(TDataSetState s) {
  if (s == mState) return;
  mState = s;
  DataEvent(deUpdateState);
}

void TDataSet::DataEvent(TDataEvent ev, TField* field, int info) {
  if (ev == deUpdateState) {
    // Property listeners hear every change, even with the controls disabled.
    Q_EMIT StateChanged(mState);
    if (Active() != mLastActive) {
      mLastActive = Active();
      Q_EMIT ActiveChanged(mLastActive);
    }
  }
  // Disabled controls miss the notices, but may still hand over what they hold.
  if (mDisableCount > 0 && ev != deUpdateRecord && ev != deCheckBrowseMode) return;
  for (auto* s : std::vector<TDataSetObserver*>(mSources)) s->DataSetEvent(ev, field, info);
}

void TDataSet::DisableControls() { ++mDisableCount; }

void TDataSet::EnableControls() {
  if (mDisableCount == 0) return;
  if (--mDisableCount > 0) return;
  // A state change missed meanwhile reaches only the links it concerns.
  for (auto* s : std::vector<TDataSetObserver*>(mSources)) s->DataSetEvent(deUpdateState, nullptr, 0);
  for (auto* s : std::vector<TDataSetObserver*>(mSources)) s->DataSetEvent(deDataSetChange, nullptr, 0);
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

TRecord* TDataSet::MakeRecord() {
  auto* r = new TRecord;
  r->Values = QList<QVariant>(mRows.SlotCount());
  return r;
}

// The record slots: the data fields' definitions, then the calculated and
// lookup fields in their order.
void TDataSet::LayOutRecords() {
  int slotCount = mDataFieldCount;
  for (auto& f : mFields)
    if (f->mIndex >= slotCount) slotCount = f->mIndex + 1;
  std::vector<TFieldType> types(size_t(slotCount), ftUnknown);
  for (int i = 0; i < mDataFieldCount && i < mFieldDefs.Count(); ++i) types[size_t(i)] = mFieldDefs[i].DataType;
  for (auto& f : mFields)
    if (f->mIndex >= mDataFieldCount) types[size_t(f->mIndex)] = f->DataType();
  mRows.SetLayout(types);
}

void TDataSet::AddFetched(TRecord& rec) {
  rec.Serial = mNextSerial++;
  if (mAutoCalcFields && int(mFields.size()) > 0 && rec.Values.size() > mDataFieldCount && HasCalcFieldsHandler())
    CalcRecord(rec);
  mRows.Append(rec);
}

void TDataSet::CalcRecord(TRecord& r) {
  if (!HasCalcFieldsHandler()) return;
  bool any = false;
  for (auto& f : mFields)
    if (f->Calculated()) {
      any = true;
      if (f->mIndex < r.Values.size()) r.Values[f->mIndex] = QVariant();
    }
  if (!any) return;
  // The handlers see the record being computed; state and record come back
  // on every way out.
  const QScopedValueRollback<TDataSetState> state(mState, dsCalcFields);
  const QScopedValueRollback<const TRecord*> record(mCalcRecord, &r);
  TW_FIRE(OnCalcFields, CalcFields, this);
}

void TDataSet::ClearRecords() {
  mDisplayRow = -1;
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
  TW_FIRE(BeforeOpen, beforeOpen, this);
  THourglass wait;
  ++mGeneration;
  try {
    ClearRecords();
    InternalOpen();
    BindFields();
    LayOutRecords();
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
  TW_FIRE(AfterOpen, afterOpen, this);
  if (first >= 0) FireAfterScroll();
}

void TDataSet::Close() {
  if (!Active()) return;
  TW_FIRE(BeforeClose, beforeClose, this);
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
  TW_FIRE(AfterClose, afterClose, this);
}

void TDataSet::Refresh() {
  CheckBrowseMode();
  if (!Active()) return;
  TW_FIRE(BeforeRefresh, beforeRefresh, this);
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
  TW_FIRE(AfterRefresh, afterRefresh, this);
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

// Under a filter, rows are read only while an unread one may still pass.
bool TDataSet::EnsureCandidate(int i) {
  if (mFiltered && i >= int(mRows.size()) && !mFetchedAll && !UnreadMayPass()) return false;
  return EnsureRow(i);
}

void TDataSet::FetchCandidates() {
  if (!mFiltered) {
    FetchAll();
    return;
  }
  if (mFetchedAll || !UnreadMayPass()) return;
  THourglass wait;
  while (!mFetchedAll && UnreadMayPass())
    if (!FetchRows(int(mRows.size()) + 4096)) mFetchedAll = true;
}

bool TDataSet::RecordAccepted(const TRecordRef& r) {
  if (!mFiltered) return true;
  if (mFilterPred && !mFilterPred(r)) return false;
  if (OnFilterRecord) {
    bool accept = true;
    const QScopedValueRollback<TDataSetState> state(mState, dsFilter);
    const QScopedValueRollback<const TRecordRef*> record(mFilterRecord, &r);
    OnFilterRecord(this, accept);
    return accept;
  }
  return true;
}

int TDataSet::FindAccepted(int from, int step) {
  if (step > 0) {
    for (int i = std::max(from, 0); EnsureCandidate(i); ++i)
      if (RecordAccepted(i)) return i;
    return -1;
  }
  for (int i = std::min(from, int(mRows.size()) - 1); i >= 0; --i)
    if (RecordAccepted(i)) return i;
  return -1;
}

static void CheckActiveDS(const TDataSet* ds) {
  if (!ds->Active())
    throw EDatabaseError(QStringLiteral("Impossibile eseguire l'operazione su un dataset chiuso"));
}

void TDataSet::MoveCursorTo(int i, bool events) {
  if (events) FireBeforeScroll();
  mCursor = i;
  mEof = mBof = false;
  if (events) FireAfterScroll();
  DataEvent(deDataSetChange);
}

void TDataSet::First() {
  CheckActiveDS(this);
  CheckBrowseMode();
  FireBeforeScroll();
  int i = FindAccepted(0, 1);
  mCursor = i;
  mBof = true;
  mEof = i < 0;
  FireAfterScroll();
  DataEvent(deDataSetChange);
}

void TDataSet::Last() {
  CheckActiveDS(this);
  CheckBrowseMode();
  FireBeforeScroll();
  FetchCandidates();
  int i = FindAccepted(int(mRows.size()) - 1, -1);
  mCursor = i;
  mEof = true;
  mBof = i < 0;
  FireAfterScroll();
  DataEvent(deDataSetChange);
}

int TDataSet::MoveBy(int distance) {
  CheckActiveDS(this);
  CheckBrowseMode();
  if (distance == 0) return 0;
  FireBeforeScroll();
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
  FireAfterScroll();
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
  mDisplayRow = -1;  // row indices may have moved
  mAccepted.clear();
  mAcceptedUpTo = 0;
}

void TDataSet::ExtendPositions(int upTo) {
  upTo = std::min(upTo, int(mRows.size()));
  for (; mAcceptedUpTo < upTo; ++mAcceptedUpTo)
    if (RecordAccepted(mAcceptedUpTo)) mAccepted.push_back(mAcceptedUpTo);
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
    if (RecordAccepted(i)) ++n;
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
    while (int(mAccepted.size()) < n && EnsureCandidate(mAcceptedUpTo)) ExtendPositions(mAcceptedUpTo + 1024);
    if (int(mAccepted.size()) >= n) target = mAccepted[n - 1];
  } else {
    int k = 0;
    for (int i = 0; EnsureCandidate(i); ++i)
      if (RecordAccepted(i) && ++k == n) {
        target = i;
        break;
      }
  }
  if (target < 0 || target == mCursor) return;
  MoveCursorTo(target);
}

int TDataSet::RecordCount() {
  if (!Active()) return 0;
  FetchCandidates();
  if (!mFiltered) return int(mRows.size());
  if (UsePositionCache()) {
    ExtendPositions(int(mRows.size()));
    return int(mAccepted.size());
  }
  int n = 0;
  for (int i = 0; i < int(mRows.size()); ++i)
    if (RecordAccepted(i)) ++n;
  return n;
}

int TDataSet::KnownRecordCount(int atLeast) {
  if (!Active()) return 0;
  if (!mFiltered) {
    if (atLeast > 0) EnsureRow(atLeast - 1);
    return int(mRows.size());
  }
  if (UsePositionCache()) {
    ExtendPositions(int(mRows.size()));
    while (int(mAccepted.size()) < atLeast && EnsureCandidate(int(mRows.size()))) ExtendPositions(int(mRows.size()));
    return int(mAccepted.size());
  }
  int n = 0, i = 0;
  for (; i < int(mRows.size()); ++i)
    if (RecordAccepted(i)) ++n;
  for (; n < atLeast && EnsureCandidate(i); ++i)
    if (RecordAccepted(i)) ++n;
  return n;
}

int TDataSet::RowOfPosition(int recNo) {
  if (!Active() || recNo < 1) return -1;
  if (!mFiltered) return EnsureRow(recNo - 1) ? recNo - 1 : -1;
  if (UsePositionCache()) {
    ExtendPositions(int(mRows.size()));
    while (int(mAccepted.size()) < recNo && EnsureCandidate(int(mRows.size()))) ExtendPositions(int(mRows.size()));
    return int(mAccepted.size()) >= recNo ? mAccepted[recNo - 1] : -1;
  }
  int k = 0;
  for (int i = 0; EnsureCandidate(i); ++i)
    if (RecordAccepted(i) && ++k == recNo) return i;
  return -1;
}

bool TDataSet::SetDisplayRecord(int recNo) {
  mDisplayRow = -1;
  if (recNo == 0) return true;
  const int i = RowOfPosition(recNo);
  if (i < 0) return false;
  // The current record keeps reading its edit buffer while it is edited.
  if (!(i == mCursor && mState == dsEdit)) mDisplayRow = i;
  return true;
}

int TDataSet::InsertRecNo() {
  if (mState != dsInsert) return -1;
  const int at = std::clamp(mInsertAt, 0, int(mRows.size()));
  if (!mFiltered) return at + 1;
  int n = 0;
  for (int i = 0; i < at; ++i)
    if (RecordAccepted(i)) ++n;
  return n + 1;
}

const TRecord* TDataSet::BufferRecord() const {
  switch (mState) {
    case dsEdit:
    case dsInsert:
      return mEditBuffer.get();
    case dsCalcFields:
      return mCalcRecord;
    default:
      return nullptr;
  }
}

QVariant TDataSet::FieldValue(const TField* f) const {
  // A record shown by SetDisplayRecord is read instead of the current one
  // (but not by calculated fields or filters, which judge their own record).
  if (mDisplayRow >= 0 && mDisplayRow < int(mRows.size()) && mState != dsInactive && mState != dsCalcFields &&
      mState != dsFilter)
    return TRecordRef(mRows, mDisplayRow).Value(f->mIndex);
  switch (mState) {
    case dsInactive:
      return QVariant();
    case dsEdit:
    case dsInsert:
    case dsCalcFields:
      return BufferRecord() ? TRecordRef(*BufferRecord()).Value(f->mIndex) : QVariant();
    case dsFilter:
      return mFilterRecord ? mFilterRecord->Value(f->mIndex) : QVariant();
    default:
      if (mCursor < 0 || mCursor >= int(mRows.size())) return QVariant();
      return TRecordRef(mRows, mCursor).Value(f->mIndex);
  }
}

QVariant TDataSet::OldFieldValue(const TField* f) const {
  if (mState == dsEdit) return mOldBuffer ? TRecordRef(*mOldBuffer).Value(f->mIndex) : QVariant();
  if (mState == dsInsert) return QVariant();
  return FieldValue(f);
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
  qToLittleEndian<quint64>(mRows.Serial(mCursor), b.data() + 4);
  return b;
}

static int FindSerial(const TRowStore& rows, const TBookmark& bm, quint32 gen) {
  if (bm.size() != 12 || qFromLittleEndian<quint32>(bm.constData()) != gen) return -1;
  return rows.FindSerial(qFromLittleEndian<quint64>(bm.constData() + 4));
}

bool TDataSet::BookmarkValid(const TBookmark& bm) const {
  if (!Active()) return false;
  int i = FindSerial(mRows, bm, mGeneration);
  return i >= 0 && const_cast<TDataSet*>(this)->RecordAccepted(i);
}

void TDataSet::GotoBookmark(const TBookmark& bm) {
  CheckActiveDS(this);
  CheckBrowseMode();
  int i = FindSerial(mRows, bm, mGeneration);
  if (i < 0 || !RecordAccepted(i))
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
  bool Match(const TRecordRef& r, const TField* f) const {
    if (Impossible) return false;
    if (!Key.isNull() && IsTextFieldType(Type)) {
      // Texts are compared where the store keeps them.
      QLatin1String narrow;
      QStringView chars;
      bool wide = false;
      if (r.TextView(Slot, narrow, chars, wide)) {
        const Qt::CaseSensitivity cs = CaseIns ? Qt::CaseInsensitive : Qt::CaseSensitive;
        if (wide) return Partial ? chars.startsWith(KeyText, cs) : chars.compare(KeyText, cs) == 0;
        return Partial ? narrow.startsWith(KeyText, cs) : narrow.compare(KeyText, cs) == 0;
      }
    }
    const QVariant v = r.Value(Slot);
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
  FireBeforeScroll();
  THourglass wait;
  for (int i = 0; EnsureCandidate(i); ++i) {
    const TRecordRef r(mRows, i);
    bool all = true;
    for (size_t k = 0; k < ms.size() && all; ++k) all = ms[k].Match(r, fs[k]);
    if (all && RecordAccepted(r)) {
      mCursor = i;
      mEof = mBof = false;
      FireAfterScroll();
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
  ++mQuietScroll;
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
    --mQuietScroll;
    EnableControls();
    throw;
  }
  --mQuietScroll;
  EnableControls();
  return result;
}

// --- filter

std::function<bool(const TRecordRef&)> TDataSet::CompileFilter(const QString& text) {
  if (text.trimmed().isEmpty()) return nullptr;
  auto expr = TFilterExpr::Compile(text, [this](const QString& name, int& slot, TFieldType& type) {
    TField* f = FindField(name);
    if (!f) return false;
    slot = f->mIndex;
    type = f->DataType();
    return true;
  });
  const bool ci = mFilterOptions & foCaseInsensitive, partial = !(mFilterOptions & foNoPartialCompare);
  return [expr, ci, partial](const TRecordRef& r) { return expr->Evaluate(r, ci, partial); };
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

void TDataSet::SetFilter(QString v) {
  if (v == mFilter) return;
  if (Active() && mFiltered) {
    auto pred = CompileFilter(v);  // raises: the previous filter stays
    mFilter = std::move(v);
    mFilterPred = pred;
    RunFilterChange();
  } else {
    // Not filtering: the text is kept for later and judged when filtering starts.
    mFilter = std::move(v);
  }
  Q_EMIT FilterChanged(mFilter);
}

void TDataSet::SetFiltered(bool v) {
  if (v == mFiltered) return;
  if (Active()) {
    CheckBrowseMode();
    if (v) mFilterPred = CompileFilter(mFilter);
    mFiltered = v;
    RunFilterChange();
  } else {
    // Closed: a text that can never filter is refused now, not at every later open.
    if (v) CheckFilterWhileClosed(mFilter);
    mFiltered = v;
  }
  Q_EMIT FilteredChanged(v);
}

void TDataSet::SetFilterOptions(int v) {
  if (v == mFilterOptions) return;
  if (Active() && mFiltered) {
    const TFilterOptions before = mFilterOptions;
    mFilterOptions = v;
    try {
      mFilterPred = CompileFilter(mFilter);
    } catch (...) {
      mFilterOptions = before;
      throw;
    }
    RunFilterChange();
  } else {
    mFilterOptions = v;
  }
  Q_EMIT FilterOptionsChanged(v);
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
  TW_FIRE(BeforeEdit, beforeEdit, this);
  mOldBuffer = std::make_unique<TRecord>(mRows.Record(mCursor));
  mEditBuffer = std::make_unique<TRecord>(*mOldBuffer);
  mModified = false;
  SetState(dsEdit);
  DataEvent(deRecordChange);
  TW_FIRE(AfterEdit, afterEdit, this);
}

void TDataSet::Append() { BeginInsert(true); }

// Append and Insert differ only in where the new record will go.
void TDataSet::BeginInsert(bool append) {
  CheckActiveDS(this);
  CheckBrowseMode();
  InternalEdit();
  if (!CanModify()) throw EDatabaseError(QStringLiteral("Impossibile modificare un dataset di sola lettura"));
  TW_FIRE(BeforeInsert, beforeInsert, this);
  FireBeforeScroll();
  mInsertAt = InsertPosition(append);
  mEditBuffer.reset(MakeRecord());
  mOldBuffer.reset();
  SetState(dsInsert);
  TW_FIRE(OnNewRecord, NewRecord, this);
  mModified = false;
  DataEvent(deDataSetChange);
  TW_FIRE(AfterInsert, afterInsert, this);
  FireAfterScroll();
}

void TDataSet::Insert() { BeginInsert(false); }

void TDataSet::Post() {
  if (mState != dsEdit && mState != dsInsert) return;
  DataEvent(deUpdateRecord);
  for (auto& f : mFields) {
    if (f->Required() && !f->ReadOnly() && !f->Calculated() && f->Value().isNull())
      throw EDatabaseError(QStringLiteral("Il campo '%1' deve avere un valore").arg(f->FieldName()));
  }
  TW_FIRE(BeforePost, beforePost, this);
  HandleError(OnPostError, [this] { DoPost(); });
  TW_FIRE(AfterPost, afterPost, this);
}

void TDataSet::DoPost() {
  InvalidatePositions();
  // Work on a copy: a failure must leave the typed values exactly as they were.
  TRecord rec = *mEditBuffer;
  const bool inserting = mState == dsInsert;
  InternalPost(rec, inserting ? nullptr : mOldBuffer.get());
  if (inserting) {
    rec.Serial = mNextSerial++;
    CalcRecord(rec);
    int at = std::clamp(mInsertAt, 0, int(mRows.size()));
    mDisplayRow = -1;
    mRows.Insert(at, rec);
    mCursor = at;
  } else {
    rec.Serial = mRows.Serial(mCursor);
    CalcRecord(rec);
    mRows.Assign(mCursor, rec);
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
  TW_FIRE(BeforeCancel, beforeCancel, this);
  mEditBuffer.reset();
  mOldBuffer.reset();
  mModified = false;
  SetState(dsBrowse);
  DataEvent(deDataSetChange);
  TW_FIRE(AfterCancel, afterCancel, this);
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
  TW_FIRE(BeforeDelete, beforeDelete, this);
  FireBeforeScroll();
  HandleError(OnDeleteError, [this] { InternalDelete(mRows.Record(mCursor)); });
  int at = mCursor;
  InvalidatePositions();
  mDisplayRow = -1;
  mRows.Erase(at);
  int i = FindAccepted(at, 1);
  if (i < 0) i = FindAccepted(at - 1, -1);
  mCursor = i;
  mEof = i < 0;
  mBof = i < 0;
  TW_FIRE(AfterDelete, afterDelete, this);
  FireAfterScroll();
  DataEvent(deDataSetChange);
}

}  // namespace Tarnwell
