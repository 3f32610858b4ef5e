#pragma once
// TFormDBAnalizer ("Editor Analizzatore DB"): the DB tree view's analyser.
// Page "Analizza" chooses the database (an alias or a folder path) and the
// tables, and deduces keys and relations from the catalog; "Tab Desc." edits
// the tables' descriptions; "Tree View" edits the tree, saves it to a tree
// file and reads one back. OK stores the results in the tree view.

#include <QDialog>
#include <vector>

#include <Tarnwell/commonctrls/MyTreeV.h>
#include <Tarnwell/database/DBTreeVAnalysis.h>
#include <Tarnwell/TarnwellExport.h>

class QComboBox;
class QLineEdit;
class QListWidget;
class QMenu;
class QAction;
class QProgressBar;
class QPushButton;
class QTabWidget;
class QTableWidget;
class QTreeWidgetItem;

namespace Tarnwell {

class TDBTreeView;
class TBrowserFold;
class TPatternRadioButton;

// The tree page's tree: a label edit can be ended (kept) or cancelled.
class TARNWELL_DATABASEFORMS_EXPORT TAnalyzerTree : public TMyTreeView {
 public:
  using TMyTreeView::TMyTreeView;
  bool Editing() const;
  void EndEdit(bool keep);
};

// The analyser dialog of a TDBTreeView: the database and tables to analyse, the table
// descriptions and the tree to edit; on OK the tree takes the result.
class TARNWELL_DATABASEFORMS_EXPORT TFormDBAnalizer : public QDialog {
  Q_OBJECT
 public:
  TFormDBAnalizer(TDBTreeView* tree, bool tablesOnly, QWidget* parent = nullptr);
  ~TFormDBAnalizer() override;

  QTabWidget* PageControl = nullptr;
  QWidget* TabAnalyze = nullptr;
  QWidget* TabDesc = nullptr;
  QWidget* TabTree = nullptr;
  TPatternRadioButton* RadioAlias = nullptr;
  TPatternRadioButton* RadioPath = nullptr;
  QComboBox* ComboAlias = nullptr;
  QLineEdit* EditPath = nullptr;
  QPushButton* BtnBrowse = nullptr;
  QListWidget* CheckListTables = nullptr;
  QPushButton* BtnAll = nullptr;
  QPushButton* BtnNone = nullptr;
  QPushButton* BtnExplore = nullptr;
  QProgressBar* ProgressBar = nullptr;
  QTableWidget* GridDesc = nullptr;
  TAnalyzerTree* TreeEdit = nullptr;
  QMenu* PopupTree = nullptr;
  QAction* ActNew = nullptr;
  QAction* ActDelete = nullptr;
  QPushButton* BtnSaveTree = nullptr;
  QPushButton* BtnLoadTree = nullptr;
  QPushButton* BtnOK = nullptr;
  QPushButton* BtnCancel = nullptr;
  TBrowserFold* BrowserFold = nullptr;

  // Lists the tables of an alias or folder path in the check list (none
  // checked); a database that cannot be read shows its message.
  void LoadTables(const QString& name, bool isPath);
  void CheckAll(bool checked);
  // Checks the tables whose names have no blank.
  void CheckPlainNames();
  QStringList Tables() const;
  std::vector<bool> Checked() const;
  // The alias or path the page has chosen.
  QString Database() const;
  bool PathMode() const;

  // "Analizza Database...": gathers the keys from the catalog and rebuilds the tree.
  void Explore();
  bool Explored() const { return mExplored; }
  const std::vector<TAnalyzedTable>& Analyzed() const { return mAnalyzed; }

  // The tree page's popup commands on the selected node.
  QTreeWidgetItem* NewNode();
  void DeleteNode();
  void SaveTree(const QString& path);
  // Reads a tree file into the tree page; a malformed file shows its
  // message and the tree stays.
  bool LoadTreeFile(const QString& path);
  // "..." next to the path: the folder browser.
  void BrowseClick();

  void OkClick();
  void CancelClick();

 private:
  void BuildAnalyzePage();
  void BuildDescPage();
  void BuildTreePage();
  void ModeChanged();
  void AliasChosen();
  void SaveTreeClick();
  void LoadTreeClick();
  void FillFromTree();
  // The images the tree page shows (the tree view's).
  void SetDescRows(const QStringList& names, const QStringList& descriptions);

  TDBTreeView* mTree;
  bool mTablesOnly;
  bool mExplored = false;
  bool mFilling = false;
  std::vector<TAnalyzedTable> mAnalyzed;
};

}  // namespace Tarnwell
