#include "DBTreeV.h"

#include <QCoreApplication>
#include <QHeaderView>
#include <QPainter>

#include <Tarnwell/database/DBEngine.h>
#include <Tarnwell/platform/TDialogs.h>
#include <Tarnwell/platform/TExceptions.h>
#include "DBTreeVForm.h"

namespace Tarnwell {

namespace {
constexpr int kImageRole = Qt::UserRole + 1;
}

TDBTreeView::TDBTreeView(QWidget* parent) : TMyTreeView(parent) {
  setEditTriggers(QAbstractItemView::NoEditTriggers);
  setIndentation(19);
  setIconSize(QSize(16, 16));
  setUniformRowHeights(true);
  // The selection stays visible while the tree has no focus.
  QPalette pal = palette();
  pal.setColor(QPalette::Inactive, QPalette::Highlight, pal.color(QPalette::Active, QPalette::Highlight));
  pal.setColor(QPalette::Inactive, QPalette::HighlightedText, pal.color(QPalette::Active, QPalette::HighlightedText));
  setPalette(pal);
  connect(this, &QTreeWidget::itemExpanded, this, &TDBTreeView::NodeExpanded);
  connect(this, &QTreeWidget::itemCollapsed, this, &TDBTreeView::NodeCollapsed);
  connect(this, &QTreeWidget::itemClicked, this, [this](QTreeWidgetItem* item, int) { NodeClicked(item); });
}

TDBTreeView::~TDBTreeView() {
  // No handler runs while the items go.
  disconnect(this, nullptr, this, nullptr);
}

// --- properties

void TDBTreeView::setNodesList(QStringList value) {
  if (value == mNodesList) return;
  TTreeText tree;
  try {
    tree = TreeText::Parse(value);
  } catch (const ETarnwellError& e) {
    // The tree and the property stay as they were.
    HandleExceptionMessage(e.Message());
    return;
  }
  mNodesList = std::move(value);
  ApplyTree(tree);
  Q_EMIT NodesListChanged(mNodesList);
}

void TDBTreeView::setAlias(QString value) {
  if (OnDBConnect) OnDBConnect(this, value);
  if (value == mAlias) return;
  mAlias = value;
  for (TEnhQuery* q : {mQueryMaster.data(), mQueryDetail.data(), mQueryLinked.data()}) {
    if (!q) continue;
    q->Close();
    q->setDatabaseName(mAlias);
  }
  Q_EMIT AliasChanged(mAlias);
}

void TDBTreeView::setQueryMaster(TEnhQuery* q) {
  if (q == mQueryMaster) return;
  mQueryMaster = q;
  Q_EMIT QueryMasterChanged(q);
}

void TDBTreeView::setQueryDetail(TEnhQuery* q) {
  if (q == mQueryDetail) return;
  mQueryDetail = q;
  Q_EMIT QueryDetailChanged(q);
}

void TDBTreeView::setQueryLinked(TEnhQuery* q) {
  if (q == mQueryLinked) return;
  mQueryLinked = q;
  Q_EMIT QueryLinkedChanged(q);
}

void TDBTreeView::SetImages(const QList<QIcon>& images) {
  mImages = images;
  viewport()->update();
}

// --- the tree

int TDBTreeView::Level(const QTreeWidgetItem* item) {
  int level = 0;
  for (const QTreeWidgetItem* p = item ? item->parent() : nullptr; p; p = p->parent()) ++level;
  return level;
}

int TDBTreeView::ImageIndexFor(const QTreeWidgetItem* item) {
  const QTreeWidgetItem* p = item ? item->parent() : nullptr;
  if (!p) return 0;
  const QString t = p->text(0);
  if (t == TDBAnalyzer::kMain || t == TDBAnalyzer::kSecondary || t == TDBAnalyzer::kOther) return 1;
  if (t == TDBAnalyzer::kDetails) return 2;
  if (t == TDBAnalyzer::kLinks) return 3;
  return 0;
}

namespace {
void AddNodes(QTreeWidget* tree, QTreeWidgetItem* parent, const std::vector<TTreeTextNode>& nodes,
              const QList<QIcon>& images) {
  for (const TTreeTextNode& n : nodes) {
    auto* item = parent ? new QTreeWidgetItem(parent) : new QTreeWidgetItem(tree);
    item->setText(0, n.Text);
    const int image = TDBTreeView::ImageIndexFor(item);
    item->setData(0, kImageRole, image);
    if (image < images.size()) item->setIcon(0, images[image]);
    AddNodes(tree, item, n.Children, images);
  }
}

TTreeTextNode NodeOf(const QTreeWidgetItem* item) {
  TTreeTextNode n{item->text(0), {}};
  for (int i = 0; i < item->childCount(); ++i) n.Children.push_back(NodeOf(item->child(i)));
  return n;
}
}  // namespace

void TDBTreeView::FillTree(QTreeWidget* tree, const TTreeText& text, const QList<QIcon>& images) {
  tree->clear();
  AddNodes(tree, nullptr, text, images);
}

TTreeText TDBTreeView::TreeOf(const QTreeWidget* tree) {
  TTreeText t;
  for (int i = 0; i < tree->topLevelItemCount(); ++i) t.push_back(NodeOf(tree->topLevelItem(i)));
  return t;
}

void TDBTreeView::ApplyTree(const TTreeText& tree) {
  const bool was = mBusy;
  mBusy = true;  // clearing collapses nothing the queries care about
  mMasterNode = nullptr;
  FillTree(this, tree, mImages);
  mBusy = was;
}

void TDBTreeView::LoadTree() { ApplyTree(TreeText::Parse(mNodesList)); }

void TDBTreeView::LoadTreeFromFile(const QString& path) {
  const TTreeText tree = TreeText::Load(path);
  mNodesList = TreeText::Format(tree);
  ApplyTree(tree);
  Q_EMIT NodesListChanged(mNodesList);
}

void TDBTreeView::SaveTreeToFile(const QString& path) const { TreeText::Save(path, TreeText::Parse(mNodesList)); }

QTreeWidgetItem* TDBTreeView::FindNode(const QStringList& path) const {
  QTreeWidgetItem* cur = nullptr;
  for (const QString& label : path) {
    QTreeWidgetItem* next = nullptr;
    const int n = cur ? cur->childCount() : topLevelItemCount();
    for (int i = 0; i < n && !next; ++i) {
      QTreeWidgetItem* c = cur ? cur->child(i) : topLevelItem(i);
      if (c->text(0) == label) next = c;
    }
    if (!next) return nullptr;
    cur = next;
  }
  return cur;
}

QString TDBTreeView::TableDisplayName(const QString& table) const {
  for (const QString& line : mTabDescList) {
    const int eq = line.indexOf(QLatin1Char('='));
    if (eq < 0 || line.left(eq) != table) continue;
    const QString desc = line.mid(eq + 1);
    if (!desc.isEmpty()) return desc;
  }
  return table;
}

QStringList TDBTreeView::KeyFields(const QString& table) const {
  const QString upper = table.toUpper();
  for (const QString& line : mIndexesList) {
    const int eq = line.indexOf(QLatin1Char('='));
    if (eq >= 0 && line.left(eq).toUpper() == upper) return TEnhQuery::SplitFieldList(line.mid(eq + 1));
  }
  return {};
}

// --- drawing

void TDBTreeView::drawRow(QPainter* p, const QStyleOptionViewItem& option, const QModelIndex& index) const {
  const QTreeWidgetItem* item = itemFromIndex(index);
  if (!item) return;
  const int level = Level(item);
  const int indent = indentation();
  const QRect row = option.rect;
  p->save();
  p->fillRect(row, option.palette.brush(QPalette::Base));
  // Where the row's level 0 begins, whatever the horizontal scroll.
  const QRect shown = visualRect(index);
  int left = shown.left() - indent * (level + (rootIsDecorated() ? 1 : 0)) + level * indent;
  const int mid = row.top() + row.height() / 2;
  if (rootIsDecorated()) {
    if (item->childCount() > 0) {
      const int x = left + indent / 2 - 4, y = mid - 4;
      const QColor pen = option.palette.color(QPalette::Text);
      p->setPen(pen);
      p->setBrush(Qt::NoBrush);
      p->drawRect(x, y, 7, 7);
      // The vertical stroke turns the minus into a plus while collapsed.
      p->setPen(item->isExpanded() ? option.palette.color(QPalette::Base) : pen);
      p->drawLine(x + 4, y + 2, x + 4, y + 6);
      p->setPen(Qt::black);
      p->drawLine(x + 2, y + 4, x + 6, y + 4);
    }
    left += indent;
  }
  if (!mImages.isEmpty()) {
    const int image = item->data(0, kImageRole).toInt();
    const QSize size = iconSize();
    if (image >= 0 && image < mImages.size())
      mImages[image].paint(p, QRect(left, mid - size.height() / 2, size.width(), size.height()));
    left += size.width() + 5;
  }
  const QString text = TableDisplayName(item->text(0));
  const QFontMetrics fm(font());
  const QRect textRect(left, row.top(), fm.horizontalAdvance(text) + 4, row.height());
  const bool selected = selectionModel() && selectionModel()->isSelected(index);
  if (selected) p->fillRect(textRect, option.palette.brush(QPalette::Highlight));
  p->setPen(option.palette.color(selected ? QPalette::HighlightedText : QPalette::Text));
  p->setFont(font());
  p->drawText(textRect.adjusted(2, 0, 0, 0), Qt::AlignVCenter | Qt::AlignLeft | Qt::TextSingleLine, text);
  p->restore();
}

// --- tables and queries

QString TDBTreeView::DatabaseOf() const {
  const QString db = mQueryMaster ? mQueryMaster->DatabaseName() : QString();
  return db.trimmed().isEmpty() ? mAlias : db;
}

QString TDBTreeView::CatalogTable(const QString& label) {
  const QString db = DatabaseOf();
  QString name;
  if (mCatalogOf == db) name = TDBAnalyzer::CatalogName(mCatalog, label);
  if (name.isEmpty()) {
    // The catalog is read again: the table may be new.
    mCatalog = TDBAnalyzer::TableNames(TDBSession::Connection(db));
    mCatalogOf = db;
    name = TDBAnalyzer::CatalogName(mCatalog, label);
  }
  if (name.isEmpty()) throw EDatabaseError(QStringLiteral("La tabella '%1' non è nel database %2").arg(label, db));
  return name;
}

QString TDBTreeView::QuotedTable(const QString& label) {
  const QString name = CatalogTable(label);
  return Catalog::QuoteTableName(TDBSession::Connection(DatabaseOf()), name);
}

QVariant TDBTreeView::CurrentKey(TEnhQuery* q, const QStringList& fields) const {
  if (!q || !q->Active() || q->IsEmpty() || fields.isEmpty()) return {};
  QVariantList values;
  for (const QString& f : fields) {
    const TField* fld = q->FindField(f);
    if (!fld) return {};
    values << fld->Value();
  }
  return values.size() == 1 ? values[0] : QVariant(values);
}

void TDBTreeView::Unlink(TEnhQuery* q) {
  if (!q) return;
  q->setMasterQuery(nullptr);
  q->setMasterIndex(QString());
}

void TDBTreeView::Link(TEnhQuery* q, const QStringList& fields) {
  Unlink(q);
  q->setMasterIndex(fields.join(QLatin1Char(';')));
  // The master rebuilds its dependents at once and on each of its moves,
  // with the key values bound.
  q->setMasterQuery(mQueryMaster);
  if (q->MasterQuery() != mQueryMaster)
    throw EDatabaseError(QStringLiteral("Le query dell'albero devono appartenere allo stesso proprietario"));
}

void TDBTreeView::ShowMasterTable(QTreeWidgetItem* node) {
  if (!mQueryMaster || !node || Level(node) != 2 || node->text(0) == mMasterTableName) return;
  const QString table = node->text(0);
  // Checked before anything changes: an unknown name leaves all as it was.
  const QString quoted = QuotedTable(table);
  mRelocate = false;
  mSavedKey = QVariant();
  if (table == mDetailTableName && mQueryDetail) {
    mSavedKey = CurrentKey(mQueryDetail, KeyFields(table));
    mRelocate = mSavedKey.isValid();
  } else if (table == mLinkedTableName && mQueryLinked) {
    mSavedKey = CurrentKey(mQueryLinked, KeyFields(table));
    mRelocate = mSavedKey.isValid();
  }
  if (mMasterNode && mMasterNode != node) collapseItem(mMasterNode);
  // Dependents of another master would be filtered by the wrong key.
  Unlink(mQueryDetail);
  Unlink(mQueryLinked);
  if (mQueryDetail) mQueryDetail->Close();
  if (mQueryLinked) mQueryLinked->Close();
  mDetailTableName.clear();
  mLinkedTableName.clear();
  mMasterNode = node;
  mMasterTableName = table;
  mQueryMaster->setZFrom({quoted});
  mQueryMaster->setZOrderBy({});
  Q_EMIT beforeShowTable(this);
  if (OnBeforeShowTable) OnBeforeShowTable(this);
  mQueryMaster->Rebuild(true);
  setCurrentItem(node);
  if (mRelocate && mQueryMaster->Active()) {
    try {
      mQueryMaster->Locate(KeyFields(table).join(QLatin1Char(';')), mSavedKey, 0);
    } catch (const ETarnwellError&) {
    }
  }
}

void TDBTreeView::ShowDependentTable(QTreeWidgetItem* node) {
  if (!mQueryMaster || !node || Level(node) != 4) return;
  const QString group = node->parent()->text(0);
  const QString table = node->text(0);
  const bool linked = group == TDBAnalyzer::kLinks;
  const bool detail = group == TDBAnalyzer::kDetails;
  TEnhQuery* q = linked ? mQueryLinked.data() : detail ? mQueryDetail.data() : nullptr;
  if (!q || table == (linked ? mLinkedTableName : mDetailTableName)) return;
  const QString quoted = QuotedTable(table);
  // A linked table is found by its own key, a detail by the master's.
  const QStringList fields = KeyFields(linked ? table : mMasterTableName);
  if (fields.isEmpty())
    throw EDatabaseError(
        QStringLiteral("Nessun campo chiave per la tabella '%1': analizzare di nuovo il database")
            .arg(linked ? table : mMasterTableName));
  Unlink(q);
  q->Close();
  q->setZFrom({quoted});
  q->setZOrderBy({});
  q->setZWhere({});
  (linked ? mLinkedTableName : mDetailTableName) = table;
  Link(q, fields);
}

void TDBTreeView::CloseQueries(QTreeWidgetItem* node) {
  for (TEnhQuery* q : {mQueryMaster.data(), mQueryDetail.data(), mQueryLinked.data()})
    if (q) q->Close();
  Unlink(mQueryDetail);
  Unlink(mQueryLinked);
  mMasterTableName.clear();
  mDetailTableName.clear();
  mLinkedTableName.clear();
  if (node) setCurrentItem(node);
}

void TDBTreeView::SyncDependents() {
  if (!mQueryMaster) return;
  auto relink = [&](TEnhQuery* q, const QString& table, const QString& keyOf) {
    if (!q || table.isEmpty()) return;
    const QString index = KeyFields(keyOf).join(QLatin1Char(';'));
    if (q->MasterQuery() == mQueryMaster && q->MasterIndex() == index) return;
    if (!index.isEmpty()) Link(q, KeyFields(keyOf));
  };
  try {
    relink(mQueryDetail, mDetailTableName, mMasterTableName);
    relink(mQueryLinked, mLinkedTableName, mLinkedTableName);
  } catch (const ETarnwellError&) {
    HandleCurrentException();
  }
}

void TDBTreeView::NodeClicked(QTreeWidgetItem* node) {
  if (!mQueryMaster || !node || mBusy) return;
  try {
    QTreeWidgetItem* parentNode = node->parent();
    if (Level(node) == 4 && parentNode->parent()->parent()->text(0) != TDBAnalyzer::kOther) {
      QTreeWidgetItem* tableNode = parentNode->parent();
      // The dependent follows the table it is listed under.
      if (tableNode->text(0) != mMasterTableName) ShowMasterTable(tableNode);
      ShowDependentTable(node);
      setCurrentItem(tableNode);
    } else if (parentNode && parentNode->text(0) == TDBAnalyzer::kOther) {
      CatalogTable(node->text(0));
      CloseQueries(node);
      for (TEnhQuery* q : {mQueryDetail.data(), mQueryLinked.data()}) {
        if (!q) continue;
        q->ClearClauses(true);
        q->setSQL({});
      }
      ShowMasterTable(node);
    }
  } catch (const ETarnwellError& e) {
    MessageDlg(e.Message(), mtError, mbOK);
  }
}

void TDBTreeView::NodeExpanded(QTreeWidgetItem* node) {
  if (mBusy) return;
  try {
    if (mMasterNode && mMasterNode->parent() && mMasterNode->parent()->text(0) == TDBAnalyzer::kOther)
      CloseQueries(nullptr);
    ShowMasterTable(node);
  } catch (const ETarnwellError& e) {
    MessageDlg(e.Message(), mtError, mbOK);
  }
}

void TDBTreeView::NodeCollapsed(QTreeWidgetItem* node) {
  if (mBusy) return;
  if (node && node == mMasterNode && Level(node) == 2 && !mMasterTableName.isEmpty()) CloseQueries(node);
}

// --- the analyser

bool TDBTreeView::ShowAnalyzer(bool tablesOnly) {
  TFormDBAnalizer form(this, tablesOnly, window());
  if (ExecModal(form) != QDialog::Accepted) return false;
  // The form has stored its results; the tree shows them.
  LoadTree();
  const bool was = mBusy;
  mBusy = true;
  for (int i = 0; i < topLevelItemCount(); ++i) {
    QTreeWidgetItem* root = topLevelItem(i);
    collapseItem(root);
    QList<QTreeWidgetItem*> stack{root};
    while (!stack.isEmpty()) {
      QTreeWidgetItem* it = stack.takeLast();
      it->setExpanded(false);
      for (int k = 0; k < it->childCount(); ++k) stack << it->child(k);
    }
    root->setExpanded(true);
  }
  mBusy = was;
  return true;
}

}  // namespace Tarnwell
