#include "MemoTab.h"

#include <QCollator>
#include <QHash>
#include <algorithm>

#include <Tarnwell/platform/THourglass.h>

namespace Tarnwell {

TMemoTable::TMemoTable(QObject* owner) : TDataSet(owner) {}

TMemoTable::~TMemoTable() { ClearRecords(); }

void TMemoTable::InternalOpen() {
  if (!DefaultFields()) {
    // Persistent fields define the table.
    mFieldDefs.Clear();
    for (int i = 0; i < FieldCount(); ++i) {
      TField* f = Fields(i);
      if (f->FieldKind() != fkData) continue;
      mFieldDefs.Add(f->FieldName(), f->DataType(), f->Size(), f->Required());
    }
  }
  if (mFieldDefs.Count() == 0) throw EDatabaseError(QStringLiteral("La tabella in memoria non ha campi"));
  QStringList seen;
  for (const TFieldDef& d : mFieldDefs) {
    if (d.Name.trimmed().isEmpty())
      throw EDatabaseError(QStringLiteral("Un campo della tabella non ha nome"));
    if (seen.contains(d.Name, Qt::CaseInsensitive))
      throw EDatabaseError(QStringLiteral("Campo '%1' definito due volte").arg(d.Name));
    seen << d.Name;
  }
  mFetchedAll = true;
}

void TMemoTable::RebuildFields() {
  if (Active()) throw EDatabaseError(QStringLiteral("Chiudere la tabella prima di ricostruirne i campi"));
  if (mFieldDefs.Count() == 0)
    for (int i = 0; i < FieldCount(); ++i) {
      TField* f = Fields(i);
      if (f->FieldKind() == fkData) mFieldDefs.Add(f->FieldName(), f->DataType(), f->Size(), f->Required());
    }
  // Default fields are created from the definitions when the table opens.
  ResetToDefaultFields();
  ClearSort();
}

bool TMemoTable::ParseFilter(const QString& text, const TFieldDefs& defs, int& fieldIndex, int& op,
                             QString& value) {
  static const char* const ops[] = {"<>", "<=", ">=", "=", "<", ">"};
  // Quoted stretches do not count: NOME='a<>b' compares with "a<>b".
  QString masked = text;
  bool inQuote = false;
  for (int i = 0; i < masked.size(); ++i) {
    if (masked[i] == '\'')
      inQuote = !inQuote;
    else if (inQuote)
      masked[i] = ' ';
  }
  int pos = -1;
  op = -1;
  for (int k = 0; k < 6 && pos < 0; ++k) {
    pos = masked.indexOf(QLatin1String(ops[k]));
    if (pos >= 0) op = k;
  }
  if (pos < 0) return false;
  const QString name = text.left(pos).trimmed();
  fieldIndex = defs.IndexOf(name);
  if (name.isEmpty() || fieldIndex < 0) return false;
  value = text.mid(pos + int(qstrlen(ops[op]))).trimmed();
  if (value.size() >= 2 && value.startsWith('\'') && value.endsWith('\'')) {
    value = value.mid(1, value.size() - 2);
    value.replace(QLatin1String("''"), QLatin1String("'"));
  }
  return true;
}

void TMemoTable::CheckFilterWhileClosed(const QString& text) {
  if (text.trimmed().isEmpty()) return;
  int index = -1, op = -1;
  QString value;
  // The definitions say which fields the table will have.
  if (mFieldDefs.Count() > 0 && !ParseFilter(text, mFieldDefs, index, op, value))
    throw EDatabaseError(QStringLiteral("Filtro non valido: %1").arg(text));
}

std::function<bool(const TRecordRef&)> TMemoTable::CompileFilter(const QString& text) {
  if (text.trimmed().isEmpty()) return nullptr;
  int index = -1, op = -1;
  QString value;
  if (!ParseFilter(text, mFieldDefs, index, op, value))
    throw EDatabaseError(QStringLiteral("Filtro non valido: %1").arg(text));
  TField* f = FindField(mFieldDefs[index].Name);
  if (!f) throw EDatabaseError(QStringLiteral("Filtro non valido: %1").arg(text));
  const TFieldType type = f->DataType();
  QVariant key;
  if (!CoerceToFieldType(value, type, key))
    throw EDatabaseError(QStringLiteral("Filtro non valido: '%1' non è un valore per il campo '%2'")
                             .arg(value, f->FieldName()));
  const int slot = FieldValueSlot(f);
  return [slot, type, key, op](const TRecordRef& r) {
    const QVariant v = r.Value(slot);
    if (v.isNull() || key.isNull()) return op == 0 && v.isNull() != key.isNull();
    const int c = CompareFieldValues(v, key, type);
    switch (op) {
      case 0:
        return c != 0;
      case 1:
        return c <= 0;
      case 2:
        return c >= 0;
      case 3:
        return c == 0;
      case 4:
        return c < 0;
      default:
        return c > 0;
    }
  };
}

void TMemoTable::ClearSort() {
  mSortField.clear();
  mSortDescending = false;
}

int TMemoTable::SortPosition(const QString& fieldName, bool& descending) const {
  if (!mSortField.isEmpty() && fieldName.trimmed().toUpper() == mSortField) {
    descending = mSortDescending;
    return 0;
  }
  return -1;
}

void TMemoTable::SortOnField(const QString& fieldName, bool descending) {
  if (!Active() || mRows.empty()) return;
  TField* f = FieldByName(fieldName);
  CheckBrowseMode();
  THourglass wait;
  const int slot = FieldValueSlot(f);
  const TFieldType type = f->DataType();
  const int n = int(mRows.size());
  // Work on a permutation: the records themselves move only when it is complete.
  std::vector<int> order(n);
  for (int i = 0; i < n; ++i) order[i] = i;
  if (IsTextFieldType(type)) {
    // Collate each distinct text once, then sort the records by its rank:
    // columns repeat their values far more often than not.
    QHash<QString, int> rankOf;
    std::vector<QString> distinct;
    std::vector<int> rank(n, -1);  // -1: null, before every text
    for (int i = 0; i < n; ++i) {
      const QVariant v = mRows.Value(i, slot);
      if (v.isNull()) continue;
      const QString text = v.toString();
      auto it = rankOf.constFind(text);
      if (it == rankOf.constEnd()) {
        it = rankOf.insert(text, int(distinct.size()));
        distinct.push_back(text);
      }
      rank[i] = it.value();
    }
    QCollator coll;
    coll.setCaseSensitivity(Qt::CaseInsensitive);
    std::vector<int> byText(distinct.size());
    for (size_t k = 0; k < byText.size(); ++k) byText[k] = int(k);
    std::stable_sort(byText.begin(), byText.end(),
                     [&](int a, int b) { return coll.compare(distinct[a], distinct[b]) < 0; });
    // Texts the collator finds equal share a rank, so their records keep their order.
    std::vector<int> collated(distinct.size());
    for (size_t k = 0, r = 0; k < byText.size(); ++k) {
      if (k > 0 && coll.compare(distinct[byText[k - 1]], distinct[byText[k]]) != 0) ++r;
      collated[byText[k]] = int(r);
    }
    for (int& r : rank)
      if (r >= 0) r = collated[r];
    std::stable_sort(order.begin(), order.end(),
                     [&](int a, int b) { return descending ? rank[a] > rank[b] : rank[a] < rank[b]; });
  } else {
    // Each value is read out of its record once.
    std::vector<QVariant> values(static_cast<size_t>(n));
    for (int i = 0; i < n; ++i) values[size_t(i)] = mRows.Value(i, slot);
    std::stable_sort(order.begin(), order.end(), [&](int a, int b) {
      int c = CompareFieldValues(values[size_t(a)], values[size_t(b)], type);
      return descending ? c > 0 : c < 0;
    });
  }
  DisableControls();
  mRows.Reorder(order);
  InvalidatePositions();
  mSortField = f->FieldName().toUpper();
  mSortDescending = descending;
  // The cursor keeps its position, which now holds another record.
  if (mCursor >= 0 && !RecordAccepted(mCursor)) {
    int i = FindAccepted(mCursor, 1);
    mCursor = i >= 0 ? i : FindAccepted(mCursor, -1);
  }
  EnableControls();
  TW_FIRE(AfterSort, afterSort, this);
}

}  // namespace Tarnwell
