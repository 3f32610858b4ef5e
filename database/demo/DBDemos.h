#pragma once
// The showcase's demo database behind the alias "DBDEMOS": customers, orders
// with order lines, articles with pictures, categories, notes without a key,
// and a movements table large enough to measure against. Its content is fixed
// by the anchor date alone (dates around it and in late September 2000).
//
// The component library knows nothing of it: the showcase, the tools and the
// tests register the alias (RegisterDemoAlias), and the file is generated the
// first time a connection to it is asked for.

#include <QDate>
#include <QSqlDatabase>
#include <QString>
#include <functional>

namespace Tarnwell {

// Told the share of the work done so far, 0 to 100.
using TDemoProgress = std::function<void(int percent)>;

// What a program is told while the alias generates its file (seconds of
// work); nothing is told when the file is already there and sound.
struct TDemoGenerationHooks {
  std::function<void()> Started;
  TDemoProgress Progress;
  std::function<void()> Finished;  // also when the generation fails
};

// The alias name.
inline QString DemoAliasName() { return QStringLiteral("DBDEMOS"); }
// Registers "DBDEMOS" with the session: an SQLite file at DemoDatabasePath(),
// made (or made anew when damaged) before the first connection to it.
void RegisterDemoAlias(TDemoGenerationHooks hooks = {});
// Where the alias keeps its file: the platform's generic data folder unless
// set otherwise (tests). Setting it (empty: back to the default) takes effect
// for the next connection.
QString DemoDatabasePath();
void SetDemoDatabasePath(const QString& path);

// Identifies our file: a file without this mark is never overwritten.
constexpr int kDemoApplicationId = 0x54524E57;
constexpr int kDemoSchemaVersion = 1;
constexpr int kDemoMovementRows = 100000;

// Makes sure `path` holds the current demo database: generated into a
// temporary file in one transaction and renamed into place. An existing file
// that is not ours raises EDatabaseError and is left alone; one of ours that
// is damaged is renamed aside (".danneggiato-<time>") and made anew.
void EnsureDemoDatabase(const QString& path, const QDate& anchor = QDate::currentDate(),
                        const TDemoProgress& progress = {});
// Generates the file unconditionally (same rules about files not ours).
void GenerateDemoDatabase(const QString& path, const QDate& anchor, int movementRows = kDemoMovementRows,
                          const TDemoProgress& progress = {});
// Whether the engine's quick check finds the file sound.
bool DemoDatabaseIntact(const QString& path);
// Whether the file carries our mark and version.
bool IsDemoDatabaseFile(const QString& path, int* version = nullptr);
// Creates the demo tables and rows in an open connection (SQLite or
// PostgreSQL), inside one transaction. Existing demo tables are an error.
void FillDemoDatabase(QSqlDatabase db, const QDate& anchor, int movementRows = kDemoMovementRows,
                      const TDemoProgress& progress = {});
// The demo table names in catalog order.
QStringList DemoTableNames();

}  // namespace Tarnwell
