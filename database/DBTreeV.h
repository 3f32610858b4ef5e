#pragma once
// TDBTreeView: the tables of a database as a tree — a root, categories,
// tables, and under each table the groups "Dettagli" (detail tables) and
// "Collegamenti" (linked tables). Expanding a table opens it in the master
// query; clicking a detail or linked table under it opens that table in the
// detail or linked query, restricted to the master's current key.
//
// The tree, the key fields and the descriptions of the tables are properties
// (NodesList, IndexesList, TabDescList); the analyser window (ShowAnalyzer)
// produces them from the engine's catalog.
//
// A table name from a label is looked up in the catalog before it reaches a
// query, and written quoted; the key values of the dependent queries are
// bound to their statements (a missing key value is IS NULL). The dependent
// queries follow the master through its own links (MasterQuery and
// MasterIndex, which the tree sets), so they are refreshed on every move of
// the master; the three queries must have the same owner.

#include <QIcon>
#include <QPointer>
#include <QStringList>
#include <QVariant>
#include <functional>

#include <Tarnwell/commonctrls/MyTreeV.h>
#include <Tarnwell/database/DBTreeVAnalysis.h>
#include <Tarnwell/database/EnhQuery.h>
#include <Tarnwell/platform/TTypes.h>
#include <Tarnwell/TarnwellExport.h>

namespace Tarnwell {

class TFormDBAnalizer;

using TDBConnectEvent = std::function<void(TObject* sender, QString& alias)>;

// A tree of a database's tables that drives master, detail and linked queries.
class TARNWELL_DATABASEFORMS_EXPORT TDBTreeView : public TMyTreeView {
  Q_OBJECT
  // The tree in the tree text format; a text with malformed indentation is
  // refused (the tree and the property stay as they were).
  TW_PROPERTY_SETTER(QStringList, NodesList)
  // The tables the analyser offers (checked) for a new analysis, one name a line; empty by
  // default.
  TW_PROPERTY(QStringList, TableList, (void)0)
  // Lines "table=description".
  TW_PROPERTY(QStringList, TabDescList, viewport()->update())
  // Lines "table=key fields" (names separated by ";").
  TW_PROPERTY(QStringList, IndexesList, (void)0)
  // Database alias or folder path; setting it closes the three queries and
  // gives them the new database.
  TW_PROPERTY_SETTER(QString, Alias)
  // The analyser may not change the database.
  TW_PROPERTY_DEFAULT(bool, FixedAlias, false, (void)0)
  // The query that shows the table of the node clicked at the first level (its FROM is set to
  // the table); none by default.
  Q_PROPERTY(Tarnwell::TEnhQuery* QueryMaster READ QueryMaster WRITE setQueryMaster NOTIFY QueryMasterChanged)
  // The query that shows the table of a "Dettagli" (detail) node, filtered by the master's
  // current record; none by default.
  Q_PROPERTY(Tarnwell::TEnhQuery* QueryDetail READ QueryDetail WRITE setQueryDetail NOTIFY QueryDetailChanged)
  // The query that shows the table of a "Collegamenti" (link) node, filtered by the master's
  // current record; none by default.
  Q_PROPERTY(Tarnwell::TEnhQuery* QueryLinked READ QueryLinked WRITE setQueryLinked NOTIFY QueryLinkedChanged)

 public:
  explicit TDBTreeView(QWidget* parent = nullptr);
  ~TDBTreeView() override;

  TEnhQuery* QueryMaster() const { return mQueryMaster; }
  TEnhQuery* QueryDetail() const { return mQueryDetail; }
  TEnhQuery* QueryLinked() const { return mQueryLinked; }

  // Called before an alias is used; may replace it.
  TDBConnectEvent OnDBConnect;
  // Called before the master query is rebuilt for a new table.
  TNotifyEvent OnBeforeShowTable;

  // The four images: 0 root and categories, 1 tables, 2 details, 3 links.
  void SetImages(const QList<QIcon>& images);
  QList<QIcon> Images() const { return mImages; }
  // The image a node gets from its parent's label.
  static int ImageIndexFor(const QTreeWidgetItem* item);

  // Reads NodesList into the tree and sets the images.
  void LoadTree();
  // Reads a tree file (tree text, validated) into NodesList and the tree;
  // raises EStreamError and changes nothing when it is malformed.
  void LoadTreeFromFile(const QString& path);
  // Writes the tree text of NodesList, atomically.
  void SaveTreeToFile(const QString& path) const;

  // Shows the analyser modally; on OK the tree is reloaded, collapsed and
  // opened one level. Tables-only hides the description and tree pages.
  // True when the user confirmed.
  bool ShowAnalyzer(bool tablesOnly = false);

  // Called by the owner after each scroll of the master query. The master
  // refreshes the dependent queries itself on every move; this puts the
  // links back when something removed them.
  void SyncDependents();

  void ShowMasterTable(QTreeWidgetItem* node);
  void ShowDependentTable(QTreeWidgetItem* node);
  void CloseQueries(QTreeWidgetItem* node);

  QString MasterTableName() const { return mMasterTableName; }
  QString DetailTableName() const { return mDetailTableName; }
  QString LinkedTableName() const { return mLinkedTableName; }
  QTreeWidgetItem* MasterNode() const { return mMasterNode; }

  // The description of a table from TabDescList, else the name.
  QString TableDisplayName(const QString& table) const;
  // The key fields IndexesList gives a table (names compared upper-cased).
  QStringList KeyFields(const QString& table) const;
  // The catalog's spelling of a table label; raises EDatabaseError when the
  // database has no such table.
  QString CatalogTable(const QString& label);
  // The label quoted for a query's FROM clause (after CatalogTable).
  QString QuotedTable(const QString& label);

  // A tree widget filled from tree text (images by the parents' labels),
  // and the tree text of a tree widget.
  static void FillTree(QTreeWidget* tree, const TTreeText& text, const QList<QIcon>& images);
  static TTreeText TreeOf(const QTreeWidget* tree);

  // The level of a node (0 for a top node).
  static int Level(const QTreeWidgetItem* item);
  // The node whose label path (from a top node) is `path`; null when none.
  QTreeWidgetItem* FindNode(const QStringList& path) const;

  // Clicking a node as the user does: dependent tables, "Altre" tables.
  void NodeClicked(QTreeWidgetItem* node);

 public Q_SLOTS:
  // Sets the master query (QueryMaster); emits QueryMasterChanged.
  void setQueryMaster(Tarnwell::TEnhQuery* q);
  // Sets the detail query (QueryDetail); emits QueryDetailChanged.
  void setQueryDetail(Tarnwell::TEnhQuery* q);
  // Sets the linked query (QueryLinked); emits QueryLinkedChanged.
  void setQueryLinked(Tarnwell::TEnhQuery* q);

 Q_SIGNALS:
  // QueryMaster changed.
  void QueryMasterChanged(Tarnwell::TEnhQuery* value);
  // QueryDetail changed.
  void QueryDetailChanged(Tarnwell::TEnhQuery* value);
  // QueryLinked changed.
  void QueryLinkedChanged(Tarnwell::TEnhQuery* value);
  // Emitted when a table is about to be shown in the master query, after its FROM is set and
  // before it is rebuilt (OnBeforeShowTable is called next).
  void beforeShowTable(QObject* sender);

 protected:
  void drawRow(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const override;
  void drawBranches(QPainter*, const QRect&, const QModelIndex&) const override {}

 private:
  friend class TFormDBAnalizer;
  void NodeExpanded(QTreeWidgetItem* node);
  void NodeCollapsed(QTreeWidgetItem* node);
  // The database the queries use: the master's, else Alias.
  QString DatabaseOf() const;
  void Link(TEnhQuery* dependent, const QStringList& fields);
  void Unlink(TEnhQuery* dependent);
  QVariant CurrentKey(TEnhQuery* q, const QStringList& fields) const;
  void ApplyTree(const TTreeText& tree);

  QStringList mNodesList, mTableList, mTabDescList, mIndexesList;
  QString mAlias;
  bool mFixedAlias = false;
  QPointer<TEnhQuery> mQueryMaster, mQueryDetail, mQueryLinked;
  QList<QIcon> mImages;
  QString mMasterTableName, mDetailTableName, mLinkedTableName;
  QTreeWidgetItem* mMasterNode = nullptr;
  QVariant mSavedKey;
  bool mRelocate = false;
  // The catalog's table names of the last database looked at.
  QString mCatalogOf;
  QStringList mCatalog;
  bool mBusy = false;
};

}  // namespace Tarnwell
