#pragma once
// What the DB tree view knows without widgets: the tree text it keeps its
// nodes in, and the database analyser that deduces tables, keys and the
// relations between tables from the engine's catalog.
//
// The analyser reads only the catalog (table names, field and index
// definitions); it never opens a table to see whether it is usable, which on
// a server would transfer the whole table.
//
// Tree text: one line per node in pre-order, each preceded by as many tab
// characters as the node's depth (the top nodes have none). Files end their
// lines in CR LF and are UTF-8; they are written whole or not at all.

#include <QSqlDatabase>
#include <QStringList>
#include <functional>
#include <vector>

#include "DBTypes.h"
#include <Tarnwell/TarnwellExport.h>

namespace Tarnwell {

// A node of tree text: its label and its child nodes.
struct TARNWELL_DATABASE_EXPORT TTreeTextNode {
  QString Text;
  std::vector<TTreeTextNode> Children;
  bool operator==(const TTreeTextNode&) const = default;
};
// The top-level nodes of a tree.
using TTreeText = std::vector<TTreeTextNode>;

namespace TreeText {
TARNWELL_DATABASE_EXPORT QStringList Format(const TTreeText& tree);
// Raises EStreamError naming the line when the indentation is malformed: the
// first line indented, a line more than one level deeper than the one before,
// a line without text, or a label that begins or ends with a tab.
TARNWELL_DATABASE_EXPORT TTreeText Parse(const QStringList& lines);
// Splits text at CR LF, LF or CR; a last empty line is dropped.
TARNWELL_DATABASE_EXPORT QStringList SplitLines(const QString& text);
// Writes the tree through a temporary file that replaces `path` only when
// complete; raises EStreamError when it cannot be written.
TARNWELL_DATABASE_EXPORT void Save(const QString& path, const TTreeText& tree);
// Reads and validates a file (UTF-8, at most 16 MB); raises EStreamError.
TARNWELL_DATABASE_EXPORT TTreeText Load(const QString& path);
}  // namespace TreeText

// The catalog facts about one table the analyser works with.
struct TARNWELL_DATABASE_EXPORT TAnalyzedTable {
  QString Name;
  bool Defined = false;  // false: not read (unchecked, or not in the catalog)
  TIndexDefs Indexes;
  QStringList Fields;
};

using TAnalyzeProgress = std::function<void()>;

// The database analysis behind the tree: reads a connection's catalog (tables, keys, fields)
// and builds the tree of main, secondary and other tables with their details and links.
class TARNWELL_DATABASE_EXPORT TDBAnalyzer {
 public:
  // Node labels of the analysed tree.
  static const QString kRoot;       // "Tabelle"
  static const QString kMain;       // "Principali"
  static const QString kSecondary;  // "Secondarie"
  static const QString kOther;      // "Altre"
  static const QString kDetails;    // "Dettagli"
  static const QString kLinks;      // "Collegamenti"
  // The name an entry carries when its table was not read.
  static const QString kUndefinedTable;  // "**UNDEFINEDTABLE**"

  // The catalog's tables of a connection, prefixes kept ("owner.table").
  static QStringList TableNames(const QSqlDatabase& db);
  // The catalog's spelling of `name`: the same name, else the only one that
  // differs from it in case alone; empty when the catalog has none.
  static QString CatalogName(const QStringList& catalog, const QString& name);

  // Reads the index and field definitions of the checked tables that the
  // catalog lists; the others get an undefined entry, so that positions stay
  // parallel to `tables`. `progress` is called once per table.
  static std::vector<TAnalyzedTable> GatherIndexes(const QSqlDatabase& db, const QStringList& tables,
                                                   const std::vector<bool>& checked,
                                                   const TAnalyzeProgress& progress = {});
  // The tree "Tabelle" / "Principali", "Secondarie", "Altre" / tables /
  // "Dettagli", "Collegamenti" / related tables, from what was gathered.
  // `progress` is called once per defined table.
  static TTreeTextNode AnalyzeRelations(const std::vector<TAnalyzedTable>& tables,
                                        const TAnalyzeProgress& progress = {});
  // The key fields of a table: those of its last unique index over whole
  // columns of all rows, ";"-separated; empty when it has none.
  static QString KeyFieldsOf(const TAnalyzedTable& table);

  // Whether index `y` of another table makes that table a detail of a table
  // with the unique index `x`: a unique `y` that extends `x` by exactly one
  // field, or a non-unique `y` over exactly `x`'s fields.
  static bool IsDetailIndex(const TIndexDef& x, const TIndexDef& y);
  // A unique index: unique and over all rows (a partial one is not a key).
  static bool IsKey(const TIndexDef& d);
};

}  // namespace Tarnwell
