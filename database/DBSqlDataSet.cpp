#include "DBSqlDataSet.h"

#include <sqlite3.h>

#include <QSqlDriver>
#include <QSqlError>
#include <QSqlField>
#include <QSqlRecord>
#include <QSqlResult>
#include <QDateTime>
#include <QHash>
#include <QRegularExpression>
#include <algorithm>
#include <cmath>
#include <iterator>
#include <limits>

#include "DBEngine.h"
#include "DBFilter.h"
#include "DBPg_p.h"
#include "DBSql_p.h"
#include "DBSqlite_p.h"

namespace Tarnwell {

struct TDBDataSet::TPgRead {
  std::unique_ptr<Pg::TCursor> Cursor;  // a cursor of its own, or
  Pg::TResult Whole;                    // the whole result (inside the program's transaction)
  const Pg::TResult* Page = nullptr;    // the rows being read
  int Row = 0;                          // the next row of Page
};

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

TDBDataSet::TDBDataSet(QObject* owner) : TDataSet(owner) {}

TDBDataSet::~TDBDataSet() {
  // Close without events: the owner of the handlers may be gone already.
  ClearRecords();
  mLite.reset();
}

QSqlDatabase TDBDataSet::Database() const { return TDBSession::Connection(DatabaseName()); }

bool TDBDataSet::CanModify() const { return !mUpdateTable.isEmpty() && !mKeyFields.isEmpty(); }

bool TDBDataSet::Locate(const QString& keyFields, const QVariant& keyValues, TLocateOptions options) {
  // Only where the engine's equality is at least as wide as the dataset's:
  // whole integers and texts, compared exactly.
  const QString name = keyFields.trimmed();
  if (Active() && State() == dsBrowse && !mFetchedAll && options == 0 && !Filtered() && !mUpdateTable.isEmpty() &&
      !name.contains(';') && mIndexedFirst.contains(name, Qt::CaseInsensitive) &&
      keyValues.metaType().id() != QMetaType::QVariantList) {
    TField* f = FindField(name);
    const int def = mFieldDefs.IndexOf(name);
    QVariant key;
    if (f && def >= 0 && f->FieldKind() == fkData && !keyValues.isNull() &&
        (IsTextFieldType(f->DataType()) || f->DataType() == ftInteger || f->DataType() == ftSmallint ||
         f->DataType() == ftLargeint || f->DataType() == ftAutoInc) &&
        CoerceToFieldType(keyValues, f->DataType(), key)) {
      QSqlDatabase db = TDBSession::Connection(DatabaseName());
      const TRows any = RunStatement(db,
                                     QStringLiteral("SELECT 1 FROM %1 WHERE %2 = ? LIMIT 1")
                                         .arg(Catalog::QuoteTableName(db, mUpdateTable),
                                              Catalog::QuoteIdentifier(db, mFieldDefs[def].Name)),
                                     {Catalog::IsPostgres(db) ? key : BindForm(key)}, QStringLiteral("Errore SQL"));
      if (any.size() == 0) {
        // Not in the table: the records already read may still hold it (a
        // row gone meanwhile is not found either way).
        bool cached = false;
        for (int i = 0; i < mRows.size() && !cached; ++i)
          cached = !mRows.IsNull(i, f->Index()) &&
                   CompareFieldValues(mRows.Value(i, f->Index()), key, f->DataType()) == 0;
        if (!cached) {
          FireBeforeScroll();
          return false;
        }
      }
    }
  }
  return TDataSet::Locate(keyFields, keyValues, options);
}

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


namespace {
// Whether a statement is a plain query a cursor can run: writes, and queries
// that lock rows, run on the program's own connection instead.
bool CursorCanRun(const QString& sql) {
  static const QRegularExpression head(
      QStringLiteral("^(?:\\s|--[^\\n]*\\n|/\\*.*?\\*/|\\()*(SELECT|VALUES|TABLE)\\b"),
      QRegularExpression::CaseInsensitiveOption | QRegularExpression::DotMatchesEverythingOption);
  static const QRegularExpression locks(QStringLiteral("\\bFOR\\s+(UPDATE|SHARE|NO\\s+KEY|KEY)\\b|\\bINTO\\b"),
                                        QRegularExpression::CaseInsensitiveOption);
  return head.match(sql).hasMatch() && !locks.match(sql).hasMatch();
}
}  // namespace

namespace {
// The attached file a table lives in ("main" without an owner).
QString TableSchema(const QString& table) {
  const QString t = table.trimmed();
  if (t.startsWith('"')) {
    int i = 1;
    QString part;
    while (i < t.size()) {
      if (t[i] == '"') {
        if (i + 1 < t.size() && t[i + 1] == '"') {
          part += '"';
          i += 2;
          continue;
        }
        break;
      }
      part += t[i++];
    }
    return i + 1 < t.size() && t[i + 1] == '.' ? part : QStringLiteral("main");
  }
  const int dot = t.indexOf('.');
  return dot > 0 ? t.left(dot) : QStringLiteral("main");
}

// Whether the file is in write-ahead mode; a file it cannot ask counts as not.
bool FileKeepsLog(const QSqlDatabase& db, const QString& schema) {
  try {
    return Lite::KeepsWriteAheadLog(Lite::Handle(db), schema);
  } catch (const EDatabaseError&) {
    return false;
  }
}

// The name a table's own row number is read by (one that no column of the
// table takes); empty for a view or a table without row numbers.
QString RowNumberName(const QSqlDatabase& db, const QString& table, const TFieldDefs& defs) {
  try {
    sqlite3* h = Lite::Handle(db);
    QString schema = TableSchema(table), name = table.trimmed();
    QString quoted = QString(schema).replace('"', QLatin1String("\"\""));
    // Only a table has row numbers of its own (a view answers blanks).
    Lite::TStatement type(h, QStringLiteral("SELECT 1 FROM \"%1\".sqlite_master WHERE type = 'table'").arg(quoted) +
                                 QStringLiteral(" AND name = ?1 COLLATE NOCASE"),
                          QStringLiteral("Errore nel catalogo"));
    // The table's own name: the catalog's split is not repeated here, so
    // both the whole name and its part after the owner are tried.
    const int dot = name.lastIndexOf('.');
    type.Bind(1, dot > 0 && schema != QLatin1String("main") ? QString(name.mid(dot + 1)).remove('"') : QString(name).remove('"'));
    if (!type.Step()) return {};
    for (const char* c : {"rowid", "_rowid_", "oid"}) {
      if (defs.Find(QLatin1String(c))) continue;
      Lite::TStatement probe(h, QStringLiteral("SELECT %1 FROM %2 LIMIT 0").arg(QLatin1String(c), Catalog::QuoteTableName(db, table)),
                             QStringLiteral("Errore nel catalogo"));
      return QLatin1String(c);
    }
  } catch (const EDatabaseError&) {
  }
  return {};
}
}  // namespace

void TDBDataSet::OpenPostgres(QSqlDatabase& db, const QString& sql, const QVariantList& binds) {
  mPg = std::make_unique<TPgRead>();
  PGconn* conn = Pg::Handle(db);
  // A program's open transaction may hold changes of its own that the query
  // must see: the query then runs inside it and is read whole.
  if (!Pg::InTransaction(conn) && CursorCanRun(sql)) {
    mPg->Cursor = std::make_unique<Pg::TCursor>(conn, sql, binds, 100, TDBSession::LockTimeout());
    mPg->Page = &mPg->Cursor->Page();
  } else {
    mPg->Whole = Pg::Exec(conn, sql, binds, QStringLiteral("Errore SQL"));
    mPg->Page = &mPg->Whole;
  }
  const Pg::TResult& r = *mPg->Page;
  if (!r.HasTuples() || r.Columns() == 0)
    throw EDatabaseError(QStringLiteral("L'istruzione SQL non restituisce un insieme di record"));
  for (int c = 0; c < r.Columns(); ++c) {
    TFieldDef d;
    d.Name = r.ColumnName(c);
    int size = 0;
    d.DataType = Pg::FieldType(r.ColumnType(c), r.ColumnMod(c), size);
    d.Size = size;
    d.NativeType = Pg::TypeName(r.ColumnType(c));
    mNative.push_back(d);
  }
}

void TDBDataSet::InternalOpen() {
  mFieldDefs.Clear();
  mSeen.clear();
  mFilterAsked = false;
  mFilterUnread.clear();
  mPg.reset();
  QSqlDatabase db = TDBSession::Connection(DatabaseName());
  QVariantList binds;
  const QString sql = SelectSQL(binds);
  if (sql.trimmed().isEmpty()) throw EDatabaseError(QStringLiteral("Il testo SQL è vuoto"));
  mNative.clear();
  const bool pg = Catalog::IsPostgres(db);
  if (pg) {
    OpenPostgres(db, sql, binds);
  } else {
    mLite = std::make_unique<Lite::TStatement>(Lite::Handle(db), sql, QStringLiteral("Errore SQL"));
    for (int i = 0; i < binds.size(); ++i) mLite->Bind(i + 1, binds[i]);
    const int cols = mLite->Columns();
    if (cols == 0) throw EDatabaseError(QStringLiteral("L'istruzione SQL non restituisce un insieme di record"));
    // A column of a table has the type it was declared with; an expression
    // takes the kind of its first value.
    bool expressions = false;
    for (int i = 0; i < cols; ++i) {
      bool known = false;
      mLite->DeclaredType(i, &known);
      expressions = expressions || !known;
    }
    if (expressions) mLitePending = mLite->Step();
    for (int i = 0; i < cols; ++i) {
      TFieldDef d;
      d.Name = mLite->Name(i);
      int size = 0;
      bool known = false;
      d.NativeType = mLite->DeclaredType(i, &known);
      if (known) {
        d.DataType = Catalog::MapDeclaredType(d.NativeType, size);
      } else {
        switch (mLitePending ? sqlite3_column_type(mLite->Raw(), i) : SQLITE_NULL) {
          case SQLITE_INTEGER:
            d.DataType = ftInteger;
            break;
          case SQLITE_FLOAT:
            d.DataType = ftFloat;
            break;
          case SQLITE_BLOB:
            d.DataType = ftBlob;
            break;
          default:
            d.DataType = ftString;
            break;
        }
      }
      d.Size = size;
      mNative.push_back(d);
    }
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
      mIndexedFirst.clear();
      for (const TIndexDef& d : idx)
        if (!(d.Options & ixExpression) && !d.Partial) mIndexedFirst << d.Fields.section(';', 0, 0);
      // A blank admitted by a unique column would let a write meet several rows.
      auto notNull = [&tableDefs](const QString& f) {
        const TFieldDef* d = tableDefs.Find(f);
        return d && (d->Required || d->DataType == ftAutoInc);
      };
      if (const TIndexDef* pk = idx.WriteKey(notNull)) mKeyFields = pk->Fields.split(';');
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
  mSqliteNumbersAsTimes = !pg;
  FieldDefsBuilt();
  for (const QString& k : mKeyFields) {
    int i = mFieldDefs.IndexOf(k);
    if (i < 0) {  // the key is not selected: rows cannot be told apart
      mKeyFields.clear();
      mKeySlots.clear();
      break;
    }
    mKeySlots.push_back(i);
  }
  // SQLite: a table read in an order that tells every row apart (it holds
  // the write key) over fields without blanks is read in pages, each a
  // statement of its own, so that a table left partly read never holds the
  // file against other writers (whatever the file's journal).
  mPage = {};
  const QString pageTable = pg ? QString() : PageTable();
  if (!pageTable.isEmpty()) {
    // A read-only table has no write key of its own yet: the same rule finds it.
    QStringList key = mKeyFields;
    TFieldDefs& defs = tableDefs;
    if (mUpdateTable.isEmpty()) {
      try {
        defs = Catalog::FieldDefs(db, pageTable);
        auto notNull = [&defs](const QString& f) {
          const TFieldDef* d = defs.Find(f);
          return d && (d->Required || d->DataType == ftAutoInc);
        };
        const TIndexDefs idx = Catalog::IndexDefs(db, pageTable);
        if (const TIndexDef* k = idx.WriteKey(notNull)) key = k->Fields.split(';');
      } catch (const EDatabaseError&) {
        key.clear();
      }
    }
    const QStringList order = PageOrder();
    bool pageable = !order.isEmpty() && !key.isEmpty();
    for (const QString& k : key)
      pageable = pageable && std::any_of(order.begin(), order.end(), [&k](const QString& o) {
                   return o.trimmed().compare(k, Qt::CaseInsensitive) == 0;
                 });
    for (const QString& o : order) {
      const TFieldDef* d = defs.Find(o.trimmed());
      pageable = pageable && d && (d->Required || d->DataType == ftAutoInc) && mFieldDefs.IndexOf(o.trimmed()) >= 0;
    }
    // Any other order (a key that admits blanks, no key at all) is told
    // apart by the row's own number, where the file is not in write-ahead
    // mode (there a reader keeps no writer out): the order's blanks first.
    QString rowid;
    if (!pageable && !FileKeepsLog(db, TableSchema(pageTable))) {
      rowid = RowNumberName(db, pageTable, defs);
      pageable = !rowid.isEmpty();
      for (const QString& o : order) pageable = pageable && mFieldDefs.IndexOf(o.trimmed()) >= 0;
    }
    if (pageable) {
      mPage.Mode = TPaging::ByKeys;
      mPage.Table = pageTable;
      for (const QString& o : order) {
        const int slot = mFieldDefs.IndexOf(o.trimmed());
        mPage.Terms << Catalog::QuoteIdentifier(db, mFieldDefs[slot].Name);
        mPage.Slots.push_back(slot);
      }
      if (!rowid.isEmpty()) {
        mPage.RowidName = rowid;
        mPage.Terms << rowid;
        mPage.Slots.push_back(mFieldDefs.Count());  // read after the fields
      }
    }
  }
  // Any other select of a file not in write-ahead mode is read in pages by
  // their position, outside the program's own transaction (which holds the
  // file anyway).
  if (!pg && mPage.Mode == TPaging::NotPaged && mLite->ReadOnly() && !InProgramTransaction(db) &&
      !FileKeepsLog(db, QString())) {
    QString text = sql.trimmed();
    while (text.endsWith(';')) text = text.chopped(1).trimmed();
    const QString wrapped = QStringLiteral("SELECT * FROM (\n%1\n) LIMIT 1 OFFSET 0").arg(text);
    try {
      Lite::TStatement probe(Lite::Handle(db), wrapped, QStringLiteral("Errore SQL"));
      if (probe.Columns() == int(mNative.size())) {
        mPage.Mode = TPaging::ByPosition;
        mPage.Sql = text;
        mPage.Binds = binds;
      }
    } catch (const EDatabaseError&) {
      // Not a select that can be wrapped: read through one statement.
    }
  }
  if (mPage.Mode != TPaging::NotPaged) {
    // Every page, the first one too, is a statement of its own.
    mLite.reset();
    mLitePending = false;
    mPage.Needed = true;
    mPage.After = QVariantList(int(mPage.Terms.size()));
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
  return LocalMoment(u.date(), u.time());
}

QVariant TDBDataSet::ReadForm(int i, QVariant v) const {
  if (v.isNull()) return QVariant();
  const TFieldType t = mFieldDefs[i].DataType;
  const int id = v.metaType().id();
  bool direct = false;
  switch (t) {
    case ftString:
    case ftFixedChar:
    case ftWideString:
    case ftMemo:
    case ftFmtMemo:
    case ftBCD:  // PostgreSQL's exact text
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
  if (direct) return v;
  if (mSqliteNumbersAsTimes && IsDateFieldType(t) && (id == QMetaType::LongLong || id == QMetaType::Double))
    v = SqliteTimeValue(v.toDouble());
  QVariant out;
  return CoerceToFieldType(v, t, out) ? out : v;
}

QString TDBDataSet::RowIdentity(const TRecordRef& r) const {
  QString id;
  for (int slot : mKeySlots) {
    const QVariant v = r.Value(slot);
    id += v.isNull() ? QStringLiteral("\x01") : BindForm(v).toString();
    id += QChar(0x1f);
  }
  return id;
}

bool TDBDataSet::FetchPostgres(int atLeast) {
  bool any = false;
  const int n = mFieldDefs.Count();
  // One record is filled for every row read; the store keeps a packed copy.
  const std::unique_ptr<TRecord> r(MakeRecord());
  while (int(mRows.size()) < atLeast) {
    const Pg::TResult& page = *mPg->Page;
    if (mPg->Row >= page.Rows()) {
      if (mPg->Cursor && !mPg->Cursor->AtEnd()) {
        mPg->Cursor->Fetch(std::clamp(atLeast - int(mRows.size()), 256, 20000));
        mPg->Row = 0;
        continue;
      }
      mFetchedAll = true;
      mPg.reset();  // ends the cursor's transaction and its connection
      break;
    }
    for (int i = 0; i < n; ++i) ReadValue(*r, i, page.Value(mPg->Row, i));
    ++mPg->Row;
    AddFetched(*r);
    Fetched(*r);
    any = true;
  }
  if (mPg && mPg->Cursor && mPg->Cursor->AtEnd() && mPg->Row >= mPg->Page->Rows()) {
    mFetchedAll = true;
    mPg.reset();
  }
  return any;
}

namespace {
// What FetchRows puts straight into the store is what the store keeps in the
// field's slot, read from the engine's own forms, so that the general reading
// (ReadForm, then the store's packing) would give it to the byte. Any other
// value takes the general way, and so do these kinds of slot: SQLite keeps
// booleans as numbers and times as texts of many spellings, which only the
// general reading turns into the field's value.
TRowStore::TKind DirectKind(const TRowStore& rows, int slot) {
  if (slot >= rows.SlotCount()) return TRowStore::TKind::Other;
  const TRowStore::TKind k = rows.SlotKind(slot);
  switch (k) {
    case TRowStore::TKind::Bool:
    case TRowStore::TKind::Time:
    case TRowStore::TKind::Bytes:
      return TRowStore::TKind::Other;
    default:
      return k;
  }
}

int Digits(const char* s, qsizetype at, int n) {
  int v = 0;
  for (qsizetype i = at; i < at + n; ++i) {
    if (s[i] < '0' || s[i] > '9') return -1;
    v = v * 10 + (s[i] - '0');
  }
  return v;
}

// The ISO forms the general reading takes first ("2000-09-25",
// "2000-09-25 10:30:00.250"), read alike; whatever it reads otherwise is
// left to it. Every character of a form read is an ASCII one, so a byte is
// a character.
bool IsoDate(const char* s, qsizetype n, QDate& out) {
  if (n < 10 || s[4] != '-' || s[7] != '-') return false;
  const int y = Digits(s, 0, 4), m = Digits(s, 5, 2), d = Digits(s, 8, 2);
  if (y < 0 || m < 0 || d < 0) return false;
  out = QDate(y, m, d);
  return out.isValid();
}

// The hour and the milliseconds since midnight of a time of day, checked as
// QTime checks its parts.
bool IsoTime(const char* s, qsizetype size, qsizetype at, int& hour, int& msecs) {
  const qsizetype n = size - at;
  if (n != 5 && n != 8 && !(n > 9 && s[at + 8] == '.')) return false;
  if (s[at + 2] != ':' || (n >= 8 && s[at + 5] != ':')) return false;
  const int h = Digits(s, at, 2), mi = Digits(s, at + 3, 2), sec = n >= 8 ? Digits(s, at + 6, 2) : 0;
  int ms = 0;
  if (n > 9) {
    if (n - 9 > 9) return false;  // more digits than an int counts
    const int frac = int(std::min<qsizetype>(n - 9, 3));
    ms = Digits(s, at + 9, frac);
    if (ms < 0 || Digits(s, at + 9, int(n - 9)) < 0) return false;
    for (int k = frac; k < 3; ++k) ms *= 10;
  }
  if (h < 0 || mi < 0 || sec < 0 || h > 23 || mi > 59 || sec > 59) return false;
  hour = h;
  msecs = ((h * 60 + mi) * 60 + sec) * 1000 + ms;
  return true;
}

// The days met in the text of moments, by their digits, with the offsets
// LocalMoment gives in each of their hours, learnt from it: an hour it gives
// a local time for (next to a change of the clock) is never kept, so its
// values are asked of LocalMoment every time, like everywhere. A day has one
// place among 2048, the places of a few years running one after the other (a
// day takes the place of another that falls there).
struct TDays {
  static constexpr qint32 kUnknown = std::numeric_limits<qint32>::min();
  struct TDay {
    qint32 Digits = -1;  // yyyymmdd
    qint64 Julian = 0;
    qint32 Offsets[24];
  };
  static constexpr int kPlaces = 2048;
  QByteArray Zone;
  std::vector<TDay> Days;
  // Read once for every batch of rows: no other code runs in between.
  void Check() {
    const QByteArray zone = qgetenv("TZ");
    if (zone != Zone || Days.empty()) {
      Zone = zone;
      Days.assign(kPlaces, TDay());
    }
  }
  // The day of valid digits, known or learnt; null for no date.
  TDay* Find(int y, int m, int d) {
    const qint32 digits = y * 10000 + m * 100 + d;
    TDay& day = Days[size_t((y * 372 + m * 31 + d) % kPlaces)];
    if (day.Digits != digits) {
      const QDate date(y, m, d);
      if (!date.isValid()) return nullptr;
      day.Digits = digits;
      day.Julian = date.toJulianDay();
      std::fill(std::begin(day.Offsets), std::end(day.Offsets), kUnknown);
    }
    return &day;
  }
};
thread_local TDays tDays;

// A moment in the forms IsoDate and IsoTime read, read alike; the date is
// made once for every day met.
bool StoreMoment(TRowStore& rows, int slot, const char* s, qsizetype n) {
  if (n < 10 || s[4] != '-' || s[7] != '-') return false;
  const int y = Digits(s, 0, 4), mo = Digits(s, 5, 2), d = Digits(s, 8, 2);
  if (y < 0 || mo < 0 || d < 0) return false;
  int h = 0, msecs = 0;
  if (n != 10 && !((s[10] == ' ' || s[10] == 'T') && IsoTime(s, n, 11, h, msecs))) return false;
  TDays::TDay* day = tDays.Find(y, mo, d);
  if (!day) return false;
  const qint32 offset = day->Offsets[h];
  if (offset != TDays::kUnknown)
    return rows.PutMoment(slot, (day->Julian - 2440588) * 86400000 + msecs - qint64(offset) * 1000, offset);
  const QDateTime m = LocalMoment(QDate::fromJulianDay(day->Julian), QTime::fromMSecsSinceStartOfDay(msecs));
  if (m.timeSpec() != Qt::LocalTime) day->Offsets[h] = m.offsetFromUtc();
  rows.PutValue(slot, QVariant(m));
  return true;
}

// The connection's lock held while a row is read, so the values of its
// columns may be read where the engine keeps them (as the column_* calls
// do, one taking of the lock for the row instead of one for every call).
class TRowLock {
 public:
  explicit TRowLock(sqlite3_stmt* st) : mMutex(sqlite3_db_mutex(sqlite3_db_handle(st))) { sqlite3_mutex_enter(mMutex); }
  ~TRowLock() { sqlite3_mutex_leave(mMutex); }
  TRowLock(const TRowLock&) = delete;
  TRowLock& operator=(const TRowLock&) = delete;

 private:
  sqlite3_mutex* mMutex;
};
}  // namespace

void TDBDataSet::StoreRowDirect(const std::vector<TRowStore::TKind>& plan) {
  using K = TRowStore::TKind;
  sqlite3_stmt* st = mLite->Raw();
  const TRowLock lock(st);
  mRows.BeginRow(TakeSerial());
  try {
    for (int i = 0; i < int(plan.size()); ++i) {
      sqlite3_value* v = sqlite3_column_value(st, i);
      bool done = false;
      switch (sqlite3_value_type(v)) {
        case SQLITE_NULL:
          done = true;  // a blank, whatever the field
          break;
        case SQLITE_INTEGER:
          done = plan[i] == K::Int && mRows.PutInt(i, sqlite3_value_int64(v));
          break;
        case SQLITE_FLOAT:
          done = plan[i] == K::Float && mRows.PutFloat(i, sqlite3_value_double(v));
          break;
        case SQLITE_TEXT:
          if (plan[i] == K::Text || plan[i] == K::Date || plan[i] == K::Moment) {
            const char* p = reinterpret_cast<const char*>(sqlite3_value_text(v));
            const int bytes = sqlite3_value_bytes(v);
            if (!p) break;
            if (plan[i] == K::Text) {
              done = mRows.PutUtf8(i, p, bytes);
            } else if (plan[i] == K::Date) {
              QDate d;
              done = bytes == 10 && IsoDate(p, bytes, d) && mRows.PutDate(i, d.toJulianDay());
            } else {
              done = StoreMoment(mRows, i, p, bytes);
            }
          }
          break;
        default:
          break;
      }
      if (!done) mRows.PutValue(i, ReadForm(i, mLite->Value(i)));
    }
    mRows.EndRow();
  } catch (...) {
    mRows.DropRow();
    throw;
  }
}

bool TDBDataSet::FetchRows(int atLeast) {
  if (mFetchedAll) return false;
  if (mPg) return FetchPostgres(atLeast);
  if (!mLite && mPage.Mode == TPaging::NotPaged) return false;
  bool any = false;
  const int n = mFieldDefs.Count();
  const std::unique_ptr<TRecord> r(MakeRecord());
  // A row that nothing needs as a record (no calculated fields to compute,
  // no identity to check or strike off) goes straight into the store.
  const bool direct = Lite::DirectRows() && !CalcOnFetch() && mSeen.isEmpty() && mFilterUnread.isEmpty();
  std::vector<TRowStore::TKind> plan;
  if (direct) {
    for (int i = 0; i < n; ++i) plan.push_back(DirectKind(mRows, i));
    tDays.Check();
  }
  auto finished = [this] {
    mFetchedAll = true;
    mSeen.clear();
    mLite.reset();
    mLitePending = false;
  };
  while (int(mRows.size()) < atLeast) {
    bool row = false;
    try {
      if (mPage.Needed) StartPage(std::clamp(atLeast - int(mRows.size()), 256, 20000));
      row = mLitePending || mLite->Step();
    } catch (const EDatabaseError& e) {
      finished();
      throw EDatabaseError(QString(e.Message()).replace(QStringLiteral("Errore SQL"), QStringLiteral("Errore di lettura")));
    }
    mLitePending = false;
    if (!row) {
      mLite->Release();
      if (mPage.Mode != TPaging::NotPaged && mPage.Read >= mPage.Limit) {  // a whole page: more may follow
        if (mPage.Mode == TPaging::ByPosition) mPage.Offset += mPage.Read;
        mPage.Needed = true;
        continue;
      }
      finished();
      break;
    }
    ++mPage.Read;
    if (mPage.Mode == TPaging::ByKeys) {
      for (size_t k = 0; k < mPage.Slots.size(); ++k) mPage.After[int(k)] = mLite->Value(mPage.Slots[k]);
      mPage.AnyRead = true;
    }
    if (direct) {
      StoreRowDirect(plan);
      any = true;
      continue;
    }
    for (int i = 0; i < n; ++i) ReadValue(*r, i, mLite->Value(i));
    // A row this dataset wrote is met again when the write moved it ahead
    // of the cursor: the cache already holds it.
    if (!mSeen.isEmpty() && mSeen.contains(RowIdentity(*r))) continue;
    AddFetched(*r);
    Fetched(*r);
    any = true;
  }
  // Between readings the file is left free for other writers; the next
  // page starts after the last row read.
  if (mPage.Mode != TPaging::NotPaged && !mFetchedAll && !mPage.Needed) {
    if (mPage.Mode == TPaging::ByPosition) mPage.Offset += mPage.Read;
    mLite->Release();
    mPage.Needed = true;
  }
  return any;
}

namespace {
// The rows after the given values of an order, in that order, blanks first
// as the engine sorts them; the values are bound in the order of the text.
QString AfterCondition(const QStringList& terms, const QVariantList& after, int from, QVariantList& binds) {
  bool set = true;
  for (int k = from; k < terms.size(); ++k) set = set && !after[k].isNull();
  if (set) {
    QStringList marks;
    for (int k = from; k < terms.size(); ++k) {
      marks << QStringLiteral("?");
      binds << after[k];
    }
    if (from == terms.size() - 1) return terms[from] + QStringLiteral(" > ?");
    return QStringLiteral("(%1) > (%2)").arg(terms.mid(from).join(QStringLiteral(", ")), marks.join(QStringLiteral(", ")));
  }
  const QString& t = terms[from];
  QVariantList rest;
  const QString tail = from + 1 < terms.size() ? AfterCondition(terms, after, from + 1, rest) : QString();
  if (after[from].isNull()) {
    binds += rest;
    return tail.isEmpty() ? QStringLiteral("%1 IS NOT NULL").arg(t)
                          : QStringLiteral("(%1 IS NOT NULL OR (%1 IS NULL AND %2))").arg(t, tail);
  }
  binds << after[from];
  if (tail.isEmpty()) return t + QStringLiteral(" > ?");
  binds << after[from];
  binds += rest;
  return QStringLiteral("(%1 > ? OR (%1 = ? AND %2))").arg(t, tail);
}
}  // namespace

// The next page: in the order's terms after the last row read (the values
// are bound as they were read, so a key kept in any spelling or kind compares
// as the order does), or the next rows by position.
void TDBDataSet::StartPage(int rows) {
  QSqlDatabase db = TDBSession::Connection(DatabaseName());
  QString sql;
  QVariantList binds;
  if (mPage.Mode == TPaging::ByKeys) {
    const QString where =
        mPage.AnyRead ? QStringLiteral(" WHERE ") + AfterCondition(mPage.Terms, mPage.After, 0, binds) : QString();
    sql = QStringLiteral("SELECT *%1 FROM %2%3 ORDER BY %4 LIMIT %5")
              .arg(mPage.RowidName.isEmpty() ? QString() : QStringLiteral(", ") + mPage.RowidName,
                   Catalog::QuoteTableName(db, mPage.Table), where, mPage.Terms.join(QStringLiteral(", ")))
              .arg(rows);
  } else {
    sql = QStringLiteral("SELECT * FROM (\n%1\n) LIMIT %2 OFFSET %3").arg(mPage.Sql).arg(rows).arg(mPage.Offset);
    binds = mPage.Binds;
  }
  mLite = std::make_unique<Lite::TStatement>(Lite::Handle(db), sql, QStringLiteral("Errore di lettura"));
  for (int i = 0; i < binds.size(); ++i) mLite->Bind(i + 1, binds[i]);
  mLitePending = false;
  mPage.Needed = false;
  mPage.Read = 0;
  mPage.Limit = rows;
}

void TDBDataSet::Fetched(const TRecord& r) {
  if (!mFilterUnread.isEmpty()) mFilterUnread.remove(RowIdentity(r));
}

std::function<bool(const TRecordRef&)> TDBDataSet::CompileFilter(const QString& text) {
  auto pred = TDataSet::CompileFilter(text);  // raises for an unusable text
  mFilterAsked = false;
  mFilterUnread.clear();
  if (pred && !mFetchedAll) {
    try {
      AskEngineForFilter(text);
    } catch (const EDatabaseError&) {
      // The rows are then judged as they are read, as always.
      mFilterAsked = false;
      mFilterUnread.clear();
    }
  }
  return pred;
}

bool TDBDataSet::UnreadMayPass() { return !mFilterAsked || !mFilterUnread.isEmpty(); }

// The engine is asked only where its equality is at least as wide as the
// filter's (integers, texts compared exactly), for a field that leads an
// index of the table, and answers with the write keys of the rows holding
// the value as the table stands now, like Locate.
void TDBDataSet::AskEngineForFilter(const QString& filterText) {
  if (mUpdateTable.isEmpty() || mKeySlots.empty()) return;
  auto expr = TFilterExpr::Compile(filterText, [this](const QString& name, int& slot, TFieldType& type) {
    TField* f = FindField(name);
    if (!f) return false;
    slot = f->Index();
    type = f->DataType();
    return true;
  });
  int slot = -1;
  QVariant value;
  const TFilterOptions o = FilterOptions();
  if (!expr->RequiredEquality(o & foCaseInsensitive, !(o & foNoPartialCompare), slot, value)) return;
  if (slot < 0 || slot >= mFieldDefs.Count()) return;  // a calculated field
  const TFieldDef& def = mFieldDefs[slot];
  const bool text = IsTextFieldType(def.DataType);
  if (!text && def.DataType != ftInteger && def.DataType != ftSmallint && def.DataType != ftLargeint &&
      def.DataType != ftAutoInc)
    return;
  for (int i = 0; i < FieldCount(); ++i)
    if (Fields(i)->Index() == slot && (Fields(i)->FieldKind() != fkData || Fields(i)->DataType() != def.DataType))
      return;
  if (!mIndexedFirst.contains(def.Name, Qt::CaseInsensitive)) return;

  QSqlDatabase db = TDBSession::Connection(DatabaseName());
  const bool pg = Catalog::IsPostgres(db);
  QStringList keys;
  for (int k : mKeySlots) keys << Catalog::QuoteIdentifier(db, mFieldDefs[k].Name);
  const QString col = Catalog::QuoteIdentifier(db, def.Name);
  QString where = col + QStringLiteral(" = ?");
  // SQLite keeps a value of any kind in any column, and the dataset may read
  // a number as a text, or a text as a number, that the engine finds unequal:
  // those rows are asked for too (numbers sort before texts, texts before
  // blobs, so the index reaches them).
  if (!pg)
    where = QStringLiteral("(%1 = ? OR %2)")
                .arg(col, text ? QStringLiteral("%1 < '' OR %1 >= x''").arg(col) : QStringLiteral("%1 >= ''").arg(col));
  constexpr int kMostKeys = 50000;  // more would cost more than reading on
  TRows rows = RunStatement(db,
                            QStringLiteral("SELECT %1 FROM %2 WHERE %3 LIMIT %4")
                                .arg(keys.join(QStringLiteral(", ")), Catalog::QuoteTableName(db, mUpdateTable), where)
                                .arg(kMostKeys + 1),
                            {pg ? value : BindForm(value)}, QStringLiteral("Errore SQL"));
  if (rows.size() > kMostKeys) return;
  const std::unique_ptr<TRecord> r(MakeRecord());
  while (rows.next()) {
    for (size_t k = 0; k < mKeySlots.size(); ++k) ReadValue(*r, mKeySlots[k], rows.value(int(k)));
    mFilterUnread.insert(RowIdentity(*r));
  }
  for (int i = 0; i < mRows.size() && !mFilterUnread.isEmpty(); ++i)
    mFilterUnread.remove(RowIdentity(TRecordRef(mRows, i)));
  mFilterAsked = true;
}

void TDBDataSet::InternalClose() {
  mLite.reset();
  mLitePending = false;
  mPage = {};
  mPg.reset();
  mSeen.clear();
  mFilterAsked = false;
  mFilterUnread.clear();
  mUpdateTable.clear();
  mIndexedFirst.clear();
  mKeyFields.clear();
  mKeySlots.clear();
}

namespace {
// Runs a statement that must touch exactly one row inside a transaction of
// its own, or inside a savepoint when the program has a transaction open
// (which the write then never ends), and undoes it otherwise.
class TOneRowWrite {
 public:
  explicit TOneRowWrite(QSqlDatabase db) : mDb(db), mPg(Catalog::IsPostgres(db)) {
    mSavepoint = InProgramTransaction(db);
    // SQLite takes the write lock at once, so the check of the row and the
    // write see the same data.
    Run(mSavepoint ? QStringLiteral("SAVEPOINT tarnwell_write")
                   : (mPg ? QStringLiteral("BEGIN") : QStringLiteral("BEGIN IMMEDIATE")));
    mActive = true;
  }
  void Commit() {
    if (mSavepoint) {
      Run(QStringLiteral("RELEASE SAVEPOINT tarnwell_write"));
    } else if (mPg) {
      // A transaction that failed meanwhile answers COMMIT with ROLLBACK.
      Pg::TResult r = Pg::Exec(Pg::Handle(mDb), QStringLiteral("COMMIT"), QStringLiteral("Errore nel salvataggio"));
      if (r.Status() != QLatin1String("COMMIT"))
        throw EDatabaseError(QStringLiteral("Errore nel salvataggio: la transazione è stata annullata"));
    } else {
      Run(QStringLiteral("COMMIT"));
    }
    mActive = false;
  }
  ~TOneRowWrite() {
    if (!mActive) return;
    try {
      if (mSavepoint) {
        Run(QStringLiteral("ROLLBACK TO SAVEPOINT tarnwell_write"));
        Run(QStringLiteral("RELEASE SAVEPOINT tarnwell_write"));
      } else {
        Run(QStringLiteral("ROLLBACK"));
      }
    } catch (...) {
    }
  }

 private:
  void Run(const QString& sql) {
    if (mPg) {
      Pg::Exec(Pg::Handle(mDb), sql, QStringLiteral("Errore nel salvataggio"));
      return;
    }
    QSqlQuery q(mDb);
    if (!q.exec(sql)) throw EngineError(QStringLiteral("Errore nel salvataggio"), q.lastError());
  }
  QSqlDatabase mDb;
  bool mPg = false, mSavepoint = false, mActive = false;
};

QString RowCountMessage(int n) {
  if (n == 0)
    return QStringLiteral("Il record non esiste più: è stato modificato o cancellato da un altro utente");
  return QStringLiteral("La modifica interesserebbe %1 record invece di uno: annullata").arg(n);
}
}  // namespace

void TDBDataSet::InternalPost(TRecord& rec, const TRecord* old) {
  QSqlDatabase db = TDBSession::Connection(DatabaseName());
  const bool pg = Catalog::IsPostgres(db);
  // PostgreSQL takes values as they are (zoned moments keep their offset).
  auto Bind = [pg](const QVariant& v) { return pg ? v : BindForm(v); };
  const QString table = Catalog::QuoteTableName(db, mUpdateTable);
  QStringList cols, assigns;
  QVariantList binds;
  std::vector<int> changed;
  const int n = mFieldDefs.Count();
  for (int i = 0; i < n; ++i) {
    const QVariant& v = rec.Values[i];
    if (old) {
      const QVariant& o = old->Values[i];
      if (v.isNull() == o.isNull() && (v.isNull() || CompareFieldValues(v, o, mFieldDefs[i].DataType) == 0))
        continue;
      assigns << Catalog::QuoteIdentifier(db, mFieldDefs[i].Name) + QStringLiteral(" = ?");
      binds << Bind(v);
      changed.push_back(i);
    } else if (!v.isNull()) {
      cols << Catalog::QuoteIdentifier(db, mFieldDefs[i].Name);
      binds << Bind(v);
    }
  }
  if (old && assigns.isEmpty()) return;  // nothing changed
  QString sql, where;
  QVariantList keyBinds;
  if (old) {
    QStringList w;
    for (int slot : mKeySlots) {
      const QVariant& k = old->Values[slot];
      if (k.isNull())
        w << Catalog::QuoteIdentifier(db, mFieldDefs[slot].Name) + QStringLiteral(" IS NULL");
      else {
        w << Catalog::QuoteIdentifier(db, mFieldDefs[slot].Name) + QStringLiteral(" = ?");
        keyBinds << Bind(k);
      }
    }
    where = w.join(QStringLiteral(" AND "));
    sql = QStringLiteral("UPDATE %1 SET %2 WHERE %3").arg(table, assigns.join(", "), where);
    binds += keyBinds;
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

  const QString what = QStringLiteral("Errore nel salvataggio");
  TOneRowWrite tx(db);
  if (old) {
    // No silent lost update: the columns this post changes must still hold
    // what was read, checked under the write lock (the row's lock on
    // PostgreSQL, the database's on SQLite) and compared as the values were
    // read, so that a value's spelling in the file does not matter.
    QStringList sel;
    for (int i : changed) sel << Catalog::QuoteIdentifier(db, mFieldDefs[i].Name);
    TRows cur = RunStatement(
        db,
        QStringLiteral("SELECT %1 FROM %2 WHERE %3%4").arg(sel.join(", "), table, where, pg ? " FOR UPDATE" : ""),
        keyBinds, what);
    if (cur.size() == 0) throw EDatabaseError(RowCountMessage(0));
    if (cur.size() > 1) throw EDatabaseError(RowCountMessage(cur.size()));
    cur.next();
    TRecord now = *old;
    for (size_t k = 0; k < changed.size(); ++k) {
      const int i = changed[k];
      ReadValue(now, i, cur.value(int(k)));
      const QVariant &a = now.Values[i], &b = old->Values[i];
      if (a.isNull() != b.isNull() || (!a.isNull() && CompareFieldValues(a, b, mFieldDefs[i].DataType) != 0))
        throw EDatabaseError(RowCountMessage(0));
    }
  }
  TRows done = RunStatement(db, sql, binds, what);
  const int rows = done.size();
  if (rows != 1) throw EDatabaseError(RowCountMessage(rows));
  TRecord fresh = rec;
  done.next();
  for (int i = 0; i < n; ++i) ReadValue(fresh, i, done.value(i));
  tx.Commit();
  rec = std::move(fresh);
  // The cursor may meet the written row again further on.
  if ((mLite || mPage.Mode != TPaging::NotPaged) && !mFetchedAll && !mKeySlots.empty()) mSeen.insert(RowIdentity(rec));
}

void TDBDataSet::InternalDelete(const TRecord& rec) {
  QSqlDatabase db = TDBSession::Connection(DatabaseName());
  const bool pg = Catalog::IsPostgres(db);
  auto Bind = [pg](const QVariant& v) { return pg ? v : BindForm(v); };
  QStringList where;
  QVariantList binds;
  for (int slot : mKeySlots) {
    const QVariant& k = rec.Values[slot];
    if (k.isNull())
      where << Catalog::QuoteIdentifier(db, mFieldDefs[slot].Name) + QStringLiteral(" IS NULL");
    else {
      where << Catalog::QuoteIdentifier(db, mFieldDefs[slot].Name) + QStringLiteral(" = ?");
      binds << Bind(k);
    }
  }
  const QString sql =
      QStringLiteral("DELETE FROM %1 WHERE %2")
          .arg(Catalog::QuoteTableName(db, mUpdateTable), where.join(QStringLiteral(" AND ")));
  TOneRowWrite tx(db);
  const int rows = RunStatement(db, sql, binds, QStringLiteral("Errore nella cancellazione")).Affected;
  if (rows != 1) throw EDatabaseError(RowCountMessage(rows));
  tx.Commit();
}


}  // namespace Tarnwell
