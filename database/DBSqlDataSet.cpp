#include "DBSqlDataSet.h"

#include <sqlite3.h>

#include <QSqlDriver>
#include <QSqlError>
#include <QSqlField>
#include <QSqlRecord>
#include <QSqlResult>
#include <cmath>

#include "DBEngine.h"
#include "DBSql_p.h"

namespace Tarnwell {

namespace {

TFieldType TypeFromMeta(const QSqlField& f, int& size) {
  size = 0;
  switch (f.metaType().id()) {
    case QMetaType::Bool:
      return ftBoolean;
    case QMetaType::Short:
    case QMetaType::UShort:
      return ftSmallint;
    case QMetaType::Int:
    case QMetaType::UInt:
      return ftInteger;
    case QMetaType::LongLong:
    case QMetaType::ULongLong:
      return ftLargeint;
    case QMetaType::Double:
    case QMetaType::Float:
      return ftFloat;
    case QMetaType::QDate:
      return ftDate;
    case QMetaType::QTime:
      return ftTime;
    case QMetaType::QDateTime:
      return ftDateTime;
    case QMetaType::QByteArray:
      return ftBlob;
    default:
      size = f.length() > 0 ? f.length() : 0;
      return ftString;
  }
}

}  // namespace

// Date and time values travel as ISO text: SQLite keeps them as text and
// compares them as text, so one spelling must be used everywhere.
QVariant BindForm(const QVariant& v) {
  switch (v.metaType().id()) {
    case QMetaType::QDate:
      return v.toDate().toString(Qt::ISODate);
    case QMetaType::QTime: {
      QTime t = v.toTime();
      return t.toString(t.msec() ? QStringLiteral("HH:mm:ss.zzz") : QStringLiteral("HH:mm:ss"));
    }
    case QMetaType::QDateTime: {
      QDateTime dt = v.toDateTime();
      return dt.toString(dt.time().msec() ? QStringLiteral("yyyy-MM-dd HH:mm:ss.zzz")
                                          : QStringLiteral("yyyy-MM-dd HH:mm:ss"));
    }
    default:
      return v;
  }
}

// ---------------------------------------------------------------------------
// TDBDataSet

TDBDataSet::~TDBDataSet() {
  // Close without events: the owner of the handlers may be gone already.
  ClearRecords();
  mQuery.reset();
}

QSqlDatabase TDBDataSet::Database() const { return TDBSession::Connection(DatabaseName()); }

bool TDBDataSet::CanModify() const { return !mUpdateTable.isEmpty() && !mKeyFields.isEmpty(); }

void TDBDataSet::InternalEdit() {
  if (!Active()) return;
  if (mUpdateTable.isEmpty())
    throw EDatabaseError(QStringLiteral("Impossibile modificare: il dataset è di sola lettura"));
  if (mKeyFields.isEmpty())
    throw EDatabaseError(QStringLiteral("Impossibile modificare la tabella '%1': non ha una chiave primaria")
                             .arg(mUpdateTable));
}

static int NativeLength(const TFieldDef& d) {
  switch (d.DataType) {
    case ftString:
    case ftFixedChar:
    case ftWideString:
      return std::max(d.Size, 1) * 4;
    case ftMemo:
    case ftFmtMemo:
      return 1024;
    case ftBoolean:
      return 1;
    case ftDate:
      return 10;
    case ftTime:
      return 12;
    case ftDateTime:
      return 23;
    case ftBlob:
    case ftGraphic:
    case ftBytes:
    case ftVarBytes:
    case ftTypedBinary:
    case ftOleObject:
    case ftOleLink:
      return 0;
    default:
      return 24;
  }
}

std::vector<TDBDataSet::TNativeFieldDesc> TDBDataSet::NativeFieldDescs() const {
  std::vector<TNativeFieldDesc> r;
  int offset = 0;
  for (int i = 0; i < mFieldDefs.Count(); ++i) {
    const TFieldDef& d = mFieldDefs[i];
    TNativeFieldDesc n;
    n.FieldNo = i + 1;
    n.Name = d.Name;
    n.NativeType = d.NativeType;
    n.SubType = IsTextFieldType(d.DataType) ? 1 : (NativeLength(d) == 0 ? 2 : 0);
    n.Units1 = d.DataType == ftBCD ? 0 : d.Size;
    n.Units2 = d.DataType == ftBCD ? d.Size : 0;
    n.Offset = offset;
    n.Length = NativeLength(d);
    n.ReadOnly = !CanModify();
    offset += n.Length;
    r.push_back(n);
  }
  return r;
}

QByteArray TDBDataSet::NativeRecord() const {
  QByteArray out;
  for (int i = 0; i < mFieldDefs.Count(); ++i) {
    const int len = NativeLength(mFieldDefs[i]);
    QByteArray slot(len, '\0');
    const TField* f = FindField(mFieldDefs[i].Name);
    const QVariant v = f ? FieldValue(f) : QVariant();
    if (!v.isNull() && len > 0) {
      QByteArray text;
      switch (v.metaType().id()) {
        case QMetaType::Double:
          text = QByteArray::number(v.toDouble(), 'g', 17);
          break;
        case QMetaType::Bool:
          text = v.toBool() ? "1" : "0";
          break;
        default:
          text = BindForm(v).toString().toUtf8();
          break;
      }
      memcpy(slot.data(), text.constData(), std::min<qsizetype>(len, text.size()));
    }
    out += slot;
  }
  return out;
}

bool TDBDataSet::NativeFieldBlank(int fieldNo) const {
  if (fieldNo < 1 || fieldNo > mFieldDefs.Count()) return true;
  const TField* f = FindField(mFieldDefs[fieldNo - 1].Name);
  return !f || FieldValue(f).isNull();
}

void TDBDataSet::InternalOpen() {
  mFieldDefs.Clear();
  QSqlDatabase db = TDBSession::Connection(DatabaseName());
  QVariantList binds;
  const QString sql = SelectSQL(binds);
  if (sql.trimmed().isEmpty()) throw EDatabaseError(QStringLiteral("Il testo SQL è vuoto"));
  mQuery = std::make_unique<QSqlQuery>(db);
  // PostgreSQL streams a forward-only result row by row and loses it when
  // another statement runs on the connection meanwhile; its results are
  // therefore taken whole by the client library and read into records lazily.
  mQuery->setForwardOnly(!Catalog::IsPostgres(db));
  if (binds.isEmpty()) {
    if (!mQuery->exec(sql)) throw EngineError(QStringLiteral("Errore SQL"), mQuery->lastError());
  } else {
    if (!mQuery->prepare(sql)) throw EngineError(QStringLiteral("Errore SQL"), mQuery->lastError());
    for (int i = 0; i < binds.size(); ++i) mQuery->bindValue(i, BindForm(binds[i]));
    if (!mQuery->exec()) throw EngineError(QStringLiteral("Errore SQL"), mQuery->lastError());
  }
  if (!mQuery->isSelect())
    throw EDatabaseError(QStringLiteral("L'istruzione SQL non restituisce un insieme di record"));

  const QSqlRecord rec = mQuery->record();
  // SQLite reports most declared types as text; its statement knows them.
  sqlite3_stmt* stmt = nullptr;
  QVariant h = mQuery->result()->handle();
  if (h.isValid() && qstrcmp(h.typeName(), "sqlite3_stmt*") == 0)
    stmt = *static_cast<sqlite3_stmt* const*>(h.data());
  mNative.clear();
  for (int i = 0; i < rec.count(); ++i) {
    QSqlField f = rec.field(i);
    TFieldDef d;
    d.Name = f.name();
    int size = 0;
    if (stmt) {
      const char* decl = sqlite3_column_decltype(stmt, i);
      d.NativeType = decl ? QString::fromUtf8(decl) : QString();
      d.DataType = decl ? Catalog::MapDeclaredType(d.NativeType, size) : TypeFromMeta(f, size);
    } else {
      d.DataType = TypeFromMeta(f, size);
      d.NativeType = QString::fromLatin1(f.metaType().name());
    }
    d.Size = size;
    mNative.push_back(d);
  }
  // A live dataset writes to one table through its key.
  mUpdateTable.clear();
  mKeyFields.clear();
  mKeySlots.clear();
  const QString table = WantLive() ? LiveTableName() : QString();
  TFieldDefs tableDefs;
  if (!table.isEmpty()) {
    try {
      tableDefs = Catalog::FieldDefs(db, table);
      TIndexDefs idx = Catalog::IndexDefs(db, table);
      mUpdateTable = table;
      if (const TIndexDef* pk = idx.PrimaryKey()) mKeyFields = pk->Fields.split(';');
    } catch (const EDatabaseError&) {
      mUpdateTable.clear();
    }
  }
  QStringList seen;
  for (auto& n : mNative) {
    TFieldDef d = n;
    if (const TFieldDef* td = tableDefs.Find(d.Name)) {
      d.DataType = td->DataType;
      d.Size = td->Size;
      d.Required = td->Required;
      d.NativeType = td->NativeType;
    }
    QString name = d.Name;
    for (int k = 1; seen.contains(name, Qt::CaseInsensitive); ++k)
      name = QStringLiteral("%1_%2").arg(d.Name).arg(k);
    seen << name;
    d.Name = name;
    mFieldDefs.Add(d.Name, d.DataType, d.Size, d.Required).NativeType = d.NativeType;
  }
  mSqliteNumbersAsTimes = !Catalog::IsPostgres(db);
  FieldDefsBuilt();
  mIntern.assign(mFieldDefs.Count(), {});
  for (const QString& k : mKeyFields) {
    int i = mFieldDefs.IndexOf(k);
    if (i < 0) {  // the key is not selected: rows cannot be told apart
      mKeyFields.clear();
      mKeySlots.clear();
      break;
    }
    mKeySlots.push_back(i);
  }
}

// SQLite keeps dates also as Julian day numbers or as seconds since 1970;
// either is read as the moment it names, in the engine's own (UTC) reading,
// as its date functions do.
static QVariant SqliteTimeValue(double v) {
  QDateTime u;
  if (v >= 1721425.5 && v < 5373484.5)  // Julian days of the years 1 to 9999
    u = QDateTime::fromMSecsSinceEpoch(qint64(std::llround((v - 2440587.5) * 86400000.0)), Qt::UTC);
  else if (std::fabs(v) < 253402300800.0)  // seconds, up to the year 9999
    u = QDateTime::fromSecsSinceEpoch(qint64(v), Qt::UTC);
  else
    return v;
  return QDateTime(u.date(), u.time());
}

void TDBDataSet::ReadRow(TRecord& r) {
  const int n = mFieldDefs.Count();
  for (int i = 0; i < n; ++i) {
    QVariant v = mQuery->value(i);
    if (v.isNull()) {
      r.Values[i] = QVariant();
      continue;
    }
    const TFieldType t = mFieldDefs[i].DataType;
    const int id = v.metaType().id();
    bool direct = false;
    switch (t) {
      case ftString:
      case ftFixedChar:
      case ftWideString:
      case ftMemo:
      case ftFmtMemo:
        direct = id == QMetaType::QString;
        break;
      case ftSmallint:
      case ftInteger:
      case ftWord:
      case ftAutoInc:
      case ftLargeint:
        direct = id == QMetaType::LongLong;
        break;
      case ftFloat:
      case ftCurrency:
      case ftBCD:
        direct = id == QMetaType::Double;
        break;
      case ftDate:
        direct = id == QMetaType::QDate;
        break;
      case ftDateTime:
        direct = id == QMetaType::QDateTime;
        break;
      default:
        break;
    }
    if (direct) {
      r.Values[i] = std::move(v);
      continue;
    }
    if (mSqliteNumbersAsTimes && IsDateFieldType(t) && (id == QMetaType::LongLong || id == QMetaType::Double))
      v = SqliteTimeValue(v.toDouble());
    QVariant out;
    r.Values[i] = CoerceToFieldType(v, t, out) ? out : v;
  }
}

bool TDBDataSet::FetchRows(int atLeast) {
  if (!mQuery || mFetchedAll) return false;
  bool any = false;
  while (int(mRows.size()) < atLeast) {
    if (!mQuery->next()) {
      mFetchedAll = true;
      QSqlError e = mQuery->lastError();
      mQuery->finish();
      if (e.isValid() && e.type() != QSqlError::NoError)
        throw EngineError(QStringLiteral("Errore di lettura"), e);
      break;
    }
    std::unique_ptr<TRecord> r(MakeRecord());
    ReadRow(*r);
    AddFetched(std::move(r));
    any = true;
  }
  return any;
}

void TDBDataSet::InternalClose() {
  mQuery.reset();
  mIntern.clear();
  mUpdateTable.clear();
  mKeyFields.clear();
  mKeySlots.clear();
}

namespace {
// Runs a statement that must touch exactly one row, inside a transaction (or a
// savepoint when one is already open), and rolls it back otherwise.
class TOneRowWrite {
 public:
  explicit TOneRowWrite(QSqlDatabase db) : mDb(db) {
    mOwn = mDb.transaction();
    if (!mOwn) mSavepoint = QSqlQuery(mDb).exec(QStringLiteral("SAVEPOINT tarnwell_write"));
  }
  void Commit() {
    if (mOwn) {
      if (!mDb.commit()) {
        QSqlError e = mDb.lastError();
        mDb.rollback();
        mOwn = false;
        throw EngineError(QStringLiteral("Errore nel salvataggio"), e);
      }
    } else if (mSavepoint) {
      QSqlQuery(mDb).exec(QStringLiteral("RELEASE SAVEPOINT tarnwell_write"));
    }
    mDone = true;
  }
  ~TOneRowWrite() {
    if (mDone) return;
    if (mOwn)
      mDb.rollback();
    else if (mSavepoint) {
      QSqlQuery(mDb).exec(QStringLiteral("ROLLBACK TO SAVEPOINT tarnwell_write"));
      QSqlQuery(mDb).exec(QStringLiteral("RELEASE SAVEPOINT tarnwell_write"));
    }
  }

 private:
  QSqlDatabase mDb;
  bool mOwn = false, mSavepoint = false, mDone = false;
};

QString RowCountMessage(int n) {
  if (n == 0)
    return QStringLiteral("Il record non esiste più: è stato modificato o cancellato da un altro utente");
  return QStringLiteral("La modifica interesserebbe %1 record invece di uno: annullata").arg(n);
}
}  // namespace

void TDBDataSet::InternalPost(TRecord& rec, const TRecord* old) {
  QSqlDatabase db = TDBSession::Connection(DatabaseName());
  const QString table = Catalog::QuoteTableName(db, mUpdateTable);
  QStringList cols, assigns;
  QVariantList binds;
  const int n = mFieldDefs.Count();
  for (int i = 0; i < n; ++i) {
    const QVariant& v = rec.Values[i];
    if (old) {
      const QVariant& o = old->Values[i];
      if (v.isNull() == o.isNull() && (v.isNull() || CompareFieldValues(v, o, mFieldDefs[i].DataType) == 0))
        continue;
      assigns << Catalog::QuoteIdentifier(db, mFieldDefs[i].Name) + QStringLiteral(" = ?");
      binds << BindForm(v);
    } else if (!v.isNull()) {
      cols << Catalog::QuoteIdentifier(db, mFieldDefs[i].Name);
      binds << BindForm(v);
    }
  }
  if (old && assigns.isEmpty()) return;  // nothing changed
  QString sql;
  if (old) {
    QStringList where;
    for (int slot : mKeySlots) {
      const QVariant& k = old->Values[slot];
      if (k.isNull())
        where << Catalog::QuoteIdentifier(db, mFieldDefs[slot].Name) + QStringLiteral(" IS NULL");
      else {
        where << Catalog::QuoteIdentifier(db, mFieldDefs[slot].Name) + QStringLiteral(" = ?");
        binds << BindForm(k);
      }
    }
    sql = QStringLiteral("UPDATE %1 SET %2 WHERE %3").arg(table, assigns.join(", "), where.join(" AND "));
  } else if (cols.isEmpty()) {
    sql = QStringLiteral("INSERT INTO %1 DEFAULT VALUES").arg(table);
  } else {
    QStringList marks;
    for (int i = 0; i < cols.size(); ++i) marks << QStringLiteral("?");
    sql = QStringLiteral("INSERT INTO %1 (%2) VALUES (%3)").arg(table, cols.join(", "), marks.join(", "));
  }
  QStringList ret;
  for (int i = 0; i < n; ++i) ret << Catalog::QuoteIdentifier(db, mFieldDefs[i].Name);
  sql += QStringLiteral(" RETURNING ") + ret.join(", ");

  // The statement goes before the transaction guard so that a rollback
  // happens before the statement is freed.
  QSqlQuery q(db);
  q.setForwardOnly(!Catalog::IsPostgres(db));
  TOneRowWrite tx(db);
  if (!q.prepare(sql)) throw EngineError(QStringLiteral("Errore nel salvataggio"), q.lastError());
  for (int i = 0; i < binds.size(); ++i) q.bindValue(i, binds[i]);
  if (!q.exec()) throw EngineError(QStringLiteral("Errore nel salvataggio"), q.lastError());
  int rows = 0;
  TRecord fresh = rec;
  while (q.next()) {
    if (++rows == 1)
      for (int i = 0; i < n; ++i) {
        QVariant v = q.value(i), out;
        fresh.Values[i] =
            v.isNull() ? QVariant() : (CoerceToFieldType(v, mFieldDefs[i].DataType, out) ? out : v);
      }
  }
  if (q.lastError().isValid()) throw EngineError(QStringLiteral("Errore nel salvataggio"), q.lastError());
  q.finish();
  if (rows != 1) throw EDatabaseError(RowCountMessage(rows));
  tx.Commit();
  rec = std::move(fresh);
}

void TDBDataSet::InternalDelete(const TRecord& rec) {
  QSqlDatabase db = TDBSession::Connection(DatabaseName());
  QStringList where;
  QVariantList binds;
  for (int slot : mKeySlots) {
    const QVariant& k = rec.Values[slot];
    if (k.isNull())
      where << Catalog::QuoteIdentifier(db, mFieldDefs[slot].Name) + QStringLiteral(" IS NULL");
    else {
      where << Catalog::QuoteIdentifier(db, mFieldDefs[slot].Name) + QStringLiteral(" = ?");
      binds << BindForm(k);
    }
  }
  const QString sql =
      QStringLiteral("DELETE FROM %1 WHERE %2")
          .arg(Catalog::QuoteTableName(db, mUpdateTable), where.join(QStringLiteral(" AND ")));
  QSqlQuery q(db);
  TOneRowWrite tx(db);
  if (!q.prepare(sql)) throw EngineError(QStringLiteral("Errore nella cancellazione"), q.lastError());
  for (int i = 0; i < binds.size(); ++i) q.bindValue(i, binds[i]);
  if (!q.exec()) throw EngineError(QStringLiteral("Errore nella cancellazione"), q.lastError());
  int rows = q.numRowsAffected();
  q.finish();
  if (rows != 1) throw EDatabaseError(RowCountMessage(rows));
  tx.Commit();
}

}  // namespace Tarnwell
