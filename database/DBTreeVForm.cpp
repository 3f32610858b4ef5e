#include "DBTreeVForm.h"

#include <QComboBox>
#include <QFileDialog>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QProgressBar>
#include <QPushButton>
#include <QTabWidget>
#include <QTableWidget>
#include <QTreeWidgetItemIterator>
#include <QVBoxLayout>

#include <Tarnwell/database/DBEngine.h>
#include <Tarnwell/pattern/PatPanel.h>
#include <Tarnwell/platform/TDialogs.h>
#include <Tarnwell/platform/THourglass.h>
#include "BrowsFld.h"
#include "DBTreeV.h"

namespace Tarnwell {

namespace {
void MakeEditable(QTreeWidget* tree) {
  for (QTreeWidgetItemIterator it(tree); *it; ++it) (*it)->setFlags((*it)->flags() | Qt::ItemIsEditable);
}
}  // namespace

TFormDBAnalizer::TFormDBAnalizer(TDBTreeView* tree, bool tablesOnly, QWidget* parent)
    : QDialog(parent), mTree(tree), mTablesOnly(tablesOnly) {
  setObjectName(QStringLiteral("FormDBAnalizer"));
  setWindowTitle(QStringLiteral("Editor Analizzatore DB"));
  resize(460, 400);
  BrowserFold = new TBrowserFold(this);
  BrowserFold->setTitle(QStringLiteral("Cartella del database"));

  PageControl = new QTabWidget(this);
  PageControl->setObjectName(QStringLiteral("PageControl"));
  BuildAnalyzePage();
  BuildDescPage();
  BuildTreePage();

  BtnOK = new QPushButton(QStringLiteral("&OK"), this);
  BtnOK->setObjectName(QStringLiteral("BtnOK"));
  BtnCancel = new QPushButton(QStringLiteral("&Cancel"), this);
  BtnCancel->setObjectName(QStringLiteral("BtnCancel"));
  // Enter in a label edit must not close the window.
  BtnOK->setAutoDefault(false);
  BtnCancel->setAutoDefault(false);
  connect(BtnOK, &QPushButton::clicked, this, &TFormDBAnalizer::OkClick);
  connect(BtnCancel, &QPushButton::clicked, this, &TFormDBAnalizer::CancelClick);
  auto* buttons = new QHBoxLayout;
  buttons->addStretch();
  buttons->addWidget(BtnOK);
  buttons->addWidget(BtnCancel);
  auto* main = new QVBoxLayout(this);
  main->addWidget(PageControl);
  main->addLayout(buttons);

  // What the tree view holds.
  THourglass wait;
  if (mTablesOnly) {
    PageControl->setTabVisible(PageControl->indexOf(TabDesc), false);
    PageControl->setTabVisible(PageControl->indexOf(TabTree), false);
  }
  const QString alias = mTree->Alias();
  const bool path = !alias.isEmpty() && QFileInfo(alias).isDir();
  mFilling = true;
  RadioPath->setChecked(path);
  RadioAlias->setChecked(!path);
  if (!mTree->FixedAlias()) {
    ComboAlias->addItems(TDBSession::AliasNames());
    if (path)
      EditPath->setText(alias);
    else
      ComboAlias->setCurrentIndex(ComboAlias->findText(alias));
    for (const QString& t : mTree->TableList()) {
      auto* item = new QListWidgetItem(t, CheckListTables);
      item->setFlags(item->flags() | Qt::ItemIsUserCheckable);
      item->setCheckState(Qt::Checked);
    }
  } else {
    // Only the tree's own database is offered.
    if (path) {
      EditPath->setText(alias);
    } else {
      ComboAlias->addItem(alias);
      ComboAlias->setCurrentIndex(0);
    }
    RadioAlias->setEnabled(false);
    RadioPath->setEnabled(false);
    BtnBrowse->setEnabled(false);
    EditPath->setReadOnly(true);
    mFilling = false;
    LoadTables(alias, path);
    CheckAll(true);
    mFilling = true;
  }
  ComboAlias->setEnabled(!path && !mTree->FixedAlias());
  EditPath->setEnabled(path);
  BtnBrowse->setEnabled(path && !mTree->FixedAlias());
  QStringList names, descs;
  for (const QString& line : mTree->TabDescList()) {
    const int eq = line.indexOf(QLatin1Char('='));
    names << (eq < 0 ? line : line.left(eq));
    descs << (eq < 0 ? QString() : line.mid(eq + 1));
  }
  SetDescRows(names, descs);
  try {
    TDBTreeView::FillTree(TreeEdit, TreeText::Parse(mTree->NodesList()), mTree->Images());
    MakeEditable(TreeEdit);
  } catch (const ETarnwellError&) {
    // The tree view refuses malformed text, so its own is sound.
  }
  mFilling = false;
}

TFormDBAnalizer::~TFormDBAnalizer() = default;

bool TAnalyzerTree::Editing() const { return state() == QAbstractItemView::EditingState; }

void TAnalyzerTree::EndEdit(bool keep) {
  QWidget* editor = indexWidget(currentIndex());
  if (!editor) {
    for (QWidget* w : viewport()->findChildren<QWidget*>(QString(), Qt::FindDirectChildrenOnly))
      if (w->isVisible()) editor = w;
  }
  if (!editor) return;
  if (keep) commitData(editor);
  closeEditor(editor, keep ? QAbstractItemDelegate::SubmitModelCache : QAbstractItemDelegate::RevertModelCache);
}

void TFormDBAnalizer::BuildAnalyzePage() {
  TabAnalyze = new QWidget;
  TabAnalyze->setObjectName(QStringLiteral("TabAnalyze"));
  RadioAlias = new TPatternRadioButton(TabAnalyze);
  RadioAlias->setObjectName(QStringLiteral("RadioAlias"));
  RadioAlias->setText(QStringLiteral("Alias"));
  RadioAlias->setPatternPaint(true);
  RadioAlias->setChecked(true);
  RadioPath = new TPatternRadioButton(TabAnalyze);
  RadioPath->setObjectName(QStringLiteral("RadioPath"));
  RadioPath->setText(QStringLiteral("Path"));
  RadioPath->setPatternPaint(true);
  ComboAlias = new QComboBox(TabAnalyze);
  ComboAlias->setObjectName(QStringLiteral("ComboAlias"));
  EditPath = new QLineEdit(TabAnalyze);
  EditPath->setObjectName(QStringLiteral("EditPath"));
  BtnBrowse = new QPushButton(QStringLiteral("..."), TabAnalyze);
  BtnBrowse->setObjectName(QStringLiteral("BtnBrowse"));
  BtnBrowse->setFixedWidth(25);
  CheckListTables = new QListWidget(TabAnalyze);
  CheckListTables->setObjectName(QStringLiteral("CheckListTables"));
  BtnAll = new QPushButton(QStringLiteral("Tutte"), TabAnalyze);
  BtnAll->setObjectName(QStringLiteral("BtnAll"));
  BtnNone = new QPushButton(QStringLiteral("Nessuna"), TabAnalyze);
  BtnNone->setObjectName(QStringLiteral("BtnNone"));
  BtnExplore = new QPushButton(QStringLiteral("Analizza Database..."), TabAnalyze);
  BtnExplore->setObjectName(QStringLiteral("BtnExplore"));
  ProgressBar = new QProgressBar(TabAnalyze);
  ProgressBar->setObjectName(QStringLiteral("ProgressBar"));
  ProgressBar->setValue(0);
  for (QPushButton* b : {BtnBrowse, BtnAll, BtnNone, BtnExplore}) b->setAutoDefault(false);

  auto* grid = new QGridLayout(TabAnalyze);
  grid->addWidget(RadioAlias, 0, 0);
  grid->addWidget(ComboAlias, 0, 1, 1, 2);
  grid->addWidget(RadioPath, 1, 0);
  grid->addWidget(EditPath, 1, 1);
  grid->addWidget(BtnBrowse, 1, 2);
  grid->addWidget(CheckListTables, 2, 0, 1, 3);
  auto* row = new QHBoxLayout;
  row->addWidget(BtnAll);
  row->addWidget(BtnNone);
  row->addStretch();
  row->addWidget(BtnExplore);
  grid->addLayout(row, 3, 0, 1, 3);
  grid->addWidget(ProgressBar, 4, 0, 1, 3);
  PageControl->addTab(TabAnalyze, QStringLiteral("Analizza"));

  connect(RadioAlias, &QRadioButton::toggled, this, [this](bool on) {
    if (on) ModeChanged();
  });
  connect(RadioPath, &QRadioButton::toggled, this, [this](bool on) {
    if (on) ModeChanged();
  });
  connect(ComboAlias, &QComboBox::activated, this, [this](int) { AliasChosen(); });
  connect(BtnBrowse, &QPushButton::clicked, this, &TFormDBAnalizer::BrowseClick);
  connect(BtnAll, &QPushButton::clicked, this, [this] { CheckAll(true); });
  connect(BtnNone, &QPushButton::clicked, this, [this] { CheckAll(false); });
  connect(BtnExplore, &QPushButton::clicked, this, &TFormDBAnalizer::Explore);
}

void TFormDBAnalizer::BuildDescPage() {
  TabDesc = new QWidget;
  TabDesc->setObjectName(QStringLiteral("TabDesc"));
  GridDesc = new QTableWidget(0, 2, TabDesc);
  GridDesc->setObjectName(QStringLiteral("GridDesc"));
  GridDesc->setHorizontalHeaderLabels({QStringLiteral("Table Name"), QStringLiteral("Table Description")});
  GridDesc->horizontalHeader()->setStretchLastSection(true);
  GridDesc->setColumnWidth(0, 140);
  auto* l = new QVBoxLayout(TabDesc);
  l->addWidget(GridDesc);
  PageControl->addTab(TabDesc, QStringLiteral("Tab Desc."));
}

void TFormDBAnalizer::BuildTreePage() {
  TabTree = new QWidget;
  TabTree->setObjectName(QStringLiteral("TabTree"));
  TreeEdit = new TAnalyzerTree(TabTree);
  TreeEdit->setObjectName(QStringLiteral("TreeEdit"));
  TreeEdit->setEditTriggers(QAbstractItemView::EditKeyPressed | QAbstractItemView::SelectedClicked);
  TreeEdit->setContextMenuPolicy(Qt::CustomContextMenu);
  PopupTree = new QMenu(this);
  PopupTree->setObjectName(QStringLiteral("PopupTree"));
  ActNew = PopupTree->addAction(QStringLiteral("Nuovo"), this, [this] { NewNode(); });
  ActDelete = PopupTree->addAction(QStringLiteral("Elimina"), this, [this] { DeleteNode(); });
  connect(TreeEdit, &QWidget::customContextMenuRequested, this, [this](const QPoint& at) {
    if (QTreeWidgetItem* item = TreeEdit->itemAt(at)) TreeEdit->setCurrentItem(item);
    PopupTree->popup(TreeEdit->viewport()->mapToGlobal(at) + QPoint(10, 10));
  });
  BtnSaveTree = new QPushButton(QStringLiteral("&Salva Albero"), TabTree);
  BtnSaveTree->setObjectName(QStringLiteral("BtnSaveTree"));
  BtnLoadTree = new QPushButton(QStringLiteral("&Carica Albero"), TabTree);
  BtnLoadTree->setObjectName(QStringLiteral("BtnLoadTree"));
  for (QPushButton* b : {BtnSaveTree, BtnLoadTree}) b->setAutoDefault(false);
  connect(BtnSaveTree, &QPushButton::clicked, this, &TFormDBAnalizer::SaveTreeClick);
  connect(BtnLoadTree, &QPushButton::clicked, this, &TFormDBAnalizer::LoadTreeClick);
  auto* row = new QHBoxLayout;
  row->addWidget(BtnSaveTree);
  row->addWidget(BtnLoadTree);
  row->addStretch();
  auto* l = new QVBoxLayout(TabTree);
  l->addWidget(TreeEdit);
  l->addLayout(row);
  PageControl->addTab(TabTree, QStringLiteral("Tree View"));
}

// --- database and tables

bool TFormDBAnalizer::PathMode() const { return RadioPath->isChecked(); }

QString TFormDBAnalizer::Database() const { return PathMode() ? EditPath->text() : ComboAlias->currentText(); }

void TFormDBAnalizer::LoadTables(const QString& nameIn, bool isPath) {
  CheckListTables->clear();
  QString name = nameIn;
  if (!isPath && mTree->OnDBConnect) mTree->OnDBConnect(mTree, name);
  if (name.trimmed().isEmpty()) return;
  THourglass wait;
  try {
    // Owner prefixes stay: they are part of the name on the engine.
    for (const QString& t : TDBAnalyzer::TableNames(TDBSession::Connection(name))) {
      auto* item = new QListWidgetItem(t, CheckListTables);
      item->setFlags(item->flags() | Qt::ItemIsUserCheckable);
      item->setCheckState(Qt::Unchecked);
    }
  } catch (const ETarnwellError& e) {
    MessageDlg(e.Message(), mtError, mbOK);
  }
  mExplored = false;
}

void TFormDBAnalizer::CheckAll(bool checked) {
  for (int i = 0; i < CheckListTables->count(); ++i)
    CheckListTables->item(i)->setCheckState(checked ? Qt::Checked : Qt::Unchecked);
}

void TFormDBAnalizer::CheckPlainNames() {
  for (int i = 0; i < CheckListTables->count(); ++i) {
    QListWidgetItem* it = CheckListTables->item(i);
    it->setCheckState(it->text().contains(QLatin1Char(' ')) ? Qt::Unchecked : Qt::Checked);
  }
}

QStringList TFormDBAnalizer::Tables() const {
  QStringList r;
  for (int i = 0; i < CheckListTables->count(); ++i) r << CheckListTables->item(i)->text();
  return r;
}

std::vector<bool> TFormDBAnalizer::Checked() const {
  std::vector<bool> r;
  for (int i = 0; i < CheckListTables->count(); ++i)
    r.push_back(CheckListTables->item(i)->checkState() == Qt::Checked);
  return r;
}

void TFormDBAnalizer::ModeChanged() {
  if (mFilling) return;
  const bool path = PathMode();
  ComboAlias->setEnabled(!path);
  EditPath->setEnabled(path);
  BtnBrowse->setEnabled(path);
  LoadTables(Database(), path);
  CheckAll(true);
}

void TFormDBAnalizer::AliasChosen() {
  if (mFilling) return;
  LoadTables(ComboAlias->currentText(), false);
  CheckPlainNames();
  GridDesc->setRowCount(0);
}

void TFormDBAnalizer::BrowseClick() {
  BrowserFold->setDirectory(EditPath->text());
  if (!BrowserFold->Execute()) return;
  const QString path = BrowserFold->Directory();
  EditPath->setText(path);
  EditPath->setToolTip(path);
  LoadTables(path, true);
  CheckAll(true);
  GridDesc->setRowCount(0);
}

void TFormDBAnalizer::SetDescRows(const QStringList& names, const QStringList& descriptions) {
  GridDesc->setRowCount(int(names.size()));
  for (int i = 0; i < names.size(); ++i) {
    auto* name = new QTableWidgetItem(names[i]);
    GridDesc->setItem(i, 0, name);
    GridDesc->setItem(i, 1, new QTableWidgetItem(descriptions.value(i)));
  }
}

void TFormDBAnalizer::Explore() {
  THourglass wait;
  const QStringList tables = Tables();
  // Descriptions already typed for a table stay with it.
  QMap<QString, QString> typed;
  for (int i = 0; i < GridDesc->rowCount(); ++i) {
    const QTableWidgetItem* n = GridDesc->item(i, 0);
    const QTableWidgetItem* d = GridDesc->item(i, 1);
    if (n && d && !d->text().isEmpty()) typed.insert(n->text(), d->text());
  }
  QStringList descs;
  for (const QString& t : tables) descs << typed.value(t);
  SetDescRows(tables, descs);
  ProgressBar->setMaximum(std::max(1, 2 * int(tables.size())));
  ProgressBar->setValue(0);
  auto step = [this] { ProgressBar->setValue(ProgressBar->value() + 1); };
  try {
    QSqlDatabase db = TDBSession::Connection(Database());
    mAnalyzed = TDBAnalyzer::GatherIndexes(db, tables, Checked(), step);
  } catch (const ETarnwellError& e) {
    ProgressBar->setValue(0);
    MessageDlg(e.Message(), mtError, mbOK);
    return;
  }
  const TTreeTextNode root = TDBAnalyzer::AnalyzeRelations(mAnalyzed, step);
  ProgressBar->setValue(ProgressBar->maximum());
  TDBTreeView::FillTree(TreeEdit, {root}, mTree->Images());
  MakeEditable(TreeEdit);
  mExplored = true;
}

// --- tree page

QTreeWidgetItem* TFormDBAnalizer::NewNode() {
  QTreeWidgetItem* sel = TreeEdit->currentItem();
  if (!sel) return nullptr;
  const int level = TDBTreeView::Level(sel);
  QTreeWidgetItem* made = nullptr;
  auto add = [&](QTreeWidgetItem* parent, const QString& text) {
    auto* item = new QTreeWidgetItem(parent, {text});
    item->setFlags(item->flags() | Qt::ItemIsEditable);
    const int image = TDBTreeView::ImageIndexFor(item);
    if (image < mTree->Images().size()) item->setIcon(0, mTree->Images()[image]);
    return item;
  };
  if (level == 0) {
    made = add(sel, QStringLiteral("*NewFolder"));
  } else if (level == 1) {
    made = add(sel, QStringLiteral("*NewTable"));
    add(made, TDBAnalyzer::kDetails);
    add(made, TDBAnalyzer::kLinks);
  } else if (level == 3) {
    made = add(sel, sel->text(0) == TDBAnalyzer::kDetails ? QStringLiteral("*NewDetail") : QStringLiteral("*NewLink"));
  }
  if (!made) return nullptr;
  sel->setExpanded(true);
  TreeEdit->setCurrentItem(made);
  TreeEdit->editItem(made, 0);
  return made;
}

void TFormDBAnalizer::DeleteNode() {
  QTreeWidgetItem* sel = TreeEdit->currentItem();
  if (!sel || !sel->parent()) return;
  delete sel;
}

void TFormDBAnalizer::SaveTree(const QString& path) { TreeText::Save(path, TDBTreeView::TreeOf(TreeEdit)); }

bool TFormDBAnalizer::LoadTreeFile(const QString& path) {
  try {
    const TTreeText tree = TreeText::Load(path);
    TDBTreeView::FillTree(TreeEdit, tree, mTree->Images());
    MakeEditable(TreeEdit);
    return true;
  } catch (const ETarnwellError& e) {
    MessageDlg(e.Message(), mtError, mbOK);
    return false;
  }
}

namespace {
QString AskTreeFile(QWidget* parent, bool save) {
  QFileDialog dlg(parent, save ? QStringLiteral("Salva Albero") : QStringLiteral("Carica Albero"));
  dlg.setAcceptMode(save ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
  dlg.setFileMode(save ? QFileDialog::AnyFile : QFileDialog::ExistingFile);
  dlg.setNameFilters({QStringLiteral("Tree Data File (*.dat *.DAT)"), QStringLiteral("All Files (*)")});
  if (save) dlg.setDefaultSuffix(QStringLiteral("dat"));
  if (ExecModal(dlg) != QDialog::Accepted) return QString();
  return dlg.selectedFiles().value(0);
}
}  // namespace

void TFormDBAnalizer::SaveTreeClick() {
  const QString file = AskTreeFile(this, true);
  if (file.isEmpty()) return;
  try {
    THourglass wait;
    SaveTree(file);
  } catch (const ETarnwellError& e) {
    MessageDlg(e.Message(), mtError, mbOK);
  }
}

void TFormDBAnalizer::LoadTreeClick() {
  const QString file = AskTreeFile(this, false);
  if (!file.isEmpty()) LoadTreeFile(file);
}

// --- closing

void TFormDBAnalizer::OkClick() {
  if (TreeEdit->Editing()) {
    TreeEdit->EndEdit(true);
    return;
  }
  QStringList descs;
  for (int i = 0; i < GridDesc->rowCount(); ++i) {
    const QTableWidgetItem* n = GridDesc->item(i, 0);
    const QTableWidgetItem* d = GridDesc->item(i, 1);
    if (!n || n->text().isEmpty()) continue;
    descs << n->text() + QLatin1Char('=') + (d ? d->text() : QString());
  }
  // The edited tree must be text the tree view can read back.
  QStringList nodes;
  try {
    nodes = TreeText::Format(TDBTreeView::TreeOf(TreeEdit));
    TreeText::Parse(nodes);
  } catch (const ETarnwellError& e) {
    MessageDlg(e.Message(), mtError, mbOK);
    return;
  }
  mTree->setTabDescList(descs);
  if (mExplored) {
    mTree->setAlias(Database());
    mTree->setTableList(Tables());
    QStringList keys;
    for (const QString& t : Tables()) {
      QString key;
      for (const TAnalyzedTable& a : mAnalyzed)
        if (a.Defined && a.Name.toUpper() == t.toUpper()) key = TDBAnalyzer::KeyFieldsOf(a);
      keys << t + QLatin1Char('=') + key;
    }
    mTree->setIndexesList(keys);
  }
  mTree->setNodesList(nodes);
  accept();
}

void TFormDBAnalizer::CancelClick() {
  if (TreeEdit->Editing()) {
    TreeEdit->EndEdit(false);
    return;
  }
  reject();
}

}  // namespace Tarnwell
