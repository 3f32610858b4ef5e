#pragma once
// The "DB Controls" demonstration window ("FormDBCtrl"): an alias and table
// browser and a tree explorer of the database on the left; on the right a
// button bar and three enhanced grids on three enhanced queries — the main
// grid on the master, below it the detail and the linked grid that the tree
// view drives. While the window is maximised a caption strip with its own
// minimise, restore and close buttons runs along the top.
//
// The main grid's layout is saved to "DBGrid.RES" in the user's application
// data folder, written whole or not at all.

#include <QLabel>
#include <QListWidget>
#include <QMenu>
#include <QPushButton>
#include <QTabWidget>

#include <Tarnwell/app/ShineBtn.h>
#include <Tarnwell/database/DBDataSource.h>
#include <Tarnwell/database/DBTreeV.h>
#include <Tarnwell/database/EnhDBGrd.h>
#include <Tarnwell/database/EnhQuery.h>
#include <Tarnwell/platform/TControls.h>

class QComboBox;

namespace Tarnwell {

class TSplitBar;

class TFormDBCtrl : public TForm {
  Q_OBJECT
 public:
  explicit TFormDBCtrl(QWidget* parent = nullptr);
  ~TFormDBCtrl() override;

  // The caption strip.
  QWidget* PanelCaption = nullptr;
  QLabel* LabelCaption = nullptr;
  TShineButton* BtnMinimize = nullptr;
  TShineButton* BtnRestore = nullptr;
  TShineButton* BtnClose = nullptr;
  // Left.
  QTabWidget* PageControl = nullptr;
  QWidget* TabBrowse = nullptr;
  QWidget* TabExplore = nullptr;
  QComboBox* ComboAlias = nullptr;
  QListWidget* ListTables = nullptr;
  QPushButton* BtnAnalize = nullptr;
  TDBTreeView* DBTreeView = nullptr;
  // Right.
  QWidget* PanelButtons = nullptr;
  QPushButton* BtnSaveGrid = nullptr;
  QPushButton* BtnLoadGrid = nullptr;
  QPushButton* BtnCustomize = nullptr;
  QPushButton* BtnEditRec = nullptr;
  QPushButton* BtnShowRec = nullptr;
  TEnhDBGrid* DBGrid = nullptr;
  TEnhDBGrid* EnhDBGrid1 = nullptr;
  TEnhDBGrid* EnhDBGrid2 = nullptr;
  TSplitBar* Splitter1 = nullptr;
  TSplitBar* Splitter2 = nullptr;
  QMenu* PopupGrid = nullptr;
  QAction* ActShow = nullptr;
  QAction* ActEdit = nullptr;
  QAction* ActCustomize = nullptr;
  QAction* ActSave = nullptr;
  QAction* ActRestore = nullptr;
  // The queries and their sources.
  TEnhQuery* EnhQueryT = nullptr;
  TEnhQuery* EnhQuery1 = nullptr;
  TEnhQuery* EnhQuery2 = nullptr;
  TDataSource* DataSourceT = nullptr;
  TDataSource* DataSource1 = nullptr;
  TDataSource* DataSource2 = nullptr;

  // Where the main grid's layout is kept: DBGrid.RES in the user's
  // application data folder.
  static QString LayoutFile();

  // Lists the tables of an alias (errors leave the list empty).
  void AliasChosen(const QString& alias);
  // Opens a table of the chosen alias in the main grid; a name the
  // database does not have is refused with a message.
  void OpenTable(const QString& table);
  void PageChanged();
  void SaveGrid();
  void LoadGrid();
  void Customize();
  void EditRec();
  void ShowRec();
  void Analize();
  // Shows the caption strip while the window is maximised.
  void UpdateCaptionStrip();
  bool Maximized() const;

 protected:
  void resizeEvent(QResizeEvent* e) override;
  void changeEvent(QEvent* e) override;
  bool eventFilter(QObject* o, QEvent* e) override;

 private:
  void PlaceControls();
  QWidget* FrameWindow() const;
  int mGrid1Height = 1;
  int mGrid2Height = 1;
  friend class TSplitBar;
};

// Registers the window class with the showcase.
void RegisterDemoWindowDBCtrl();

}  // namespace Tarnwell
