#include "DBSqlite_p.h"

#include <sqlite3.h>

#include <QSqlDriver>

#include "DBSql_p.h"
#include "DBTypes.h"

namespace Tarnwell::Lite {

namespace {
bool gDirectRows = true;
}

void SetDirectRows(bool on) { gDirectRows = on; }
bool DirectRows() { return gDirectRows; }

sqlite3* Handle(const QSqlDatabase& db) {
  const QVariant h = db.driver() ? db.driver()->handle() : QVariant();
  if (h.isValid() && qstrcmp(h.typeName(), "sqlite3*") == 0)
    if (sqlite3* c = *static_cast<sqlite3* const*>(h.data())) return c;
  throw EDatabaseError(QStringLiteral("Connessione SQLite non disponibile"));
}

bool KeepsWriteAheadLog(sqlite3* db, const QString& schema) {
  QStringList schemas;
  if (!schema.isEmpty()) {
    schemas << schema;
  } else {
    TStatement list(db, QStringLiteral("SELECT name, file FROM pragma_database_list"), QStringLiteral("Errore SQL"));
    while (list.Step())
      if (list.Name(0) != QLatin1String("temp") && !list.Value(1).toString().isEmpty())
        schemas << list.Value(0).toString();
  }
  for (const QString& s : schemas) {
    QString quoted = s;
    quoted.replace('"', QLatin1String("\"\""));
    TStatement mode(db, QStringLiteral("PRAGMA \"%1\".journal_mode").arg(quoted), QStringLiteral("Errore SQL"));
    if (!mode.Step()) return false;
    const QString m = mode.Value(0).toString().toLower();
    if (m != QLatin1String("wal") && m != QLatin1String("memory")) return false;
  }
  return true;
}

TStatement::TStatement(sqlite3* db, const QString& sql, const QString& what) : mDb(db), mWhat(what) {
  const QByteArray text = sql.toUtf8();
  if (sqlite3_prepare_v2(db, text.constData(), int(text.size()), &mStmt, nullptr) != SQLITE_OK || !mStmt) {
    const QString msg = QString::fromUtf8(sqlite3_errmsg(db));
    sqlite3_finalize(mStmt);
    mStmt = nullptr;
    throw EDatabaseError(msg.isEmpty() ? what : what + QStringLiteral(": ") + msg);
  }
}

TStatement::~TStatement() { sqlite3_finalize(mStmt); }

void TStatement::Bind(int i, const QVariant& v0) {
  int rc = SQLITE_OK;
  if (v0.isNull() || !v0.isValid()) {
    rc = sqlite3_bind_null(mStmt, i);
  } else {
    const QVariant v = BindForm(v0);
    switch (v.metaType().id()) {
      case QMetaType::Bool:
        rc = sqlite3_bind_int(mStmt, i, v.toBool() ? 1 : 0);
        break;
      case QMetaType::Int:
      case QMetaType::UInt:
      case QMetaType::Short:
      case QMetaType::UShort:
      case QMetaType::Long:
      case QMetaType::LongLong:
      case QMetaType::Char:
      case QMetaType::SChar:
      case QMetaType::UChar:
        rc = sqlite3_bind_int64(mStmt, i, v.toLongLong());
        break;
      case QMetaType::ULong:
      case QMetaType::ULongLong: {
        const qulonglong u = v.toULongLong();
        rc = u > qulonglong(std::numeric_limits<qint64>::max()) ? sqlite3_bind_double(mStmt, i, double(u))
                                                                 : sqlite3_bind_int64(mStmt, i, qint64(u));
        break;
      }
      case QMetaType::Double:
      case QMetaType::Float:
        rc = sqlite3_bind_double(mStmt, i, v.toDouble());
        break;
      case QMetaType::QByteArray: {
        const QByteArray b = v.toByteArray();
        rc = sqlite3_bind_blob64(mStmt, i, b.constData(), sqlite3_uint64(b.size()), SQLITE_TRANSIENT);
        break;
      }
      default: {
        const QByteArray t = v.toString().toUtf8();
        rc = sqlite3_bind_text64(mStmt, i, t.constData(), sqlite3_uint64(t.size()), SQLITE_TRANSIENT, SQLITE_UTF8);
        break;
      }
    }
  }
  if (rc != SQLITE_OK) throw EDatabaseError(mWhat + QStringLiteral(": ") + QString::fromUtf8(sqlite3_errmsg(mDb)));
}

bool TStatement::Step() {
  const int rc = sqlite3_step(mStmt);
  if (rc == SQLITE_ROW) return true;
  if (rc == SQLITE_DONE) return false;
  const QString msg = QString::fromUtf8(sqlite3_errmsg(mDb));
  sqlite3_reset(mStmt);
  throw EDatabaseError(mWhat + QStringLiteral(": ") + msg);
}

void TStatement::Release() { sqlite3_reset(mStmt); }

int TStatement::Columns() const { return sqlite3_column_count(mStmt); }

QString TStatement::Name(int c) const { return QString::fromUtf8(sqlite3_column_name(mStmt, c)); }

QString TStatement::DeclaredType(int c, bool* known) const {
  const char* d = sqlite3_column_decltype(mStmt, c);
  if (known) *known = d != nullptr;
  return d ? QString::fromUtf8(d) : QString();
}

QVariant TStatement::Value(int c) const {
  switch (sqlite3_column_type(mStmt, c)) {
    case SQLITE_INTEGER:
      return QVariant(qlonglong(sqlite3_column_int64(mStmt, c)));
    case SQLITE_FLOAT:
      return QVariant(sqlite3_column_double(mStmt, c));
    case SQLITE_TEXT: {
      const char* p = reinterpret_cast<const char*>(sqlite3_column_text(mStmt, c));
      return QVariant(QString::fromUtf8(p, sqlite3_column_bytes(mStmt, c)));
    }
    case SQLITE_BLOB: {
      const char* p = static_cast<const char*>(sqlite3_column_blob(mStmt, c));
      const int n = sqlite3_column_bytes(mStmt, c);
      return QVariant(n > 0 ? QByteArray(p, n) : QByteArray(""));
    }
    default:
      return QVariant();
  }
}

bool TStatement::ReadOnly() const { return sqlite3_stmt_readonly(mStmt) != 0; }

}  // namespace Tarnwell::Lite
