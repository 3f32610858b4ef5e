#pragma once
// The file list view demonstration window: a directory combo and view-style
// buttons on top, the list in the middle, a file-mask edit at the bottom
// and a status bar with the object count and their size.

#include <QLabel>
#include <QStatusBar>

#include "DirCombo.h"
#include "FileList.h"
#include <Tarnwell/platform/TControls.h>

namespace Tarnwell {

class TFormFileView : public TForm {
  Q_OBJECT
 public:
  explicit TFormFileView(QWidget* parent = nullptr);

  TCustomPanel* Panel1;
  TDirectoryComboLite* DirectoryComboLite1;
  TSpeedButton* BtnPrevDir;
  TSpeedButton* BtnList;
  TSpeedButton* BtnReport;
  TSpeedButton* BtnSmall;
  TSpeedButton* BtnBig;
  TCustomPanel* Panel3;
  TFileListViewLite* FileListView;
  TCustomPanel* Panel2;
  QLabel* Label1;
  TFileNameEditLite* FileNameEditLite1;
  QStatusBar* StatusBar;

  // The texts of the status bar's two panels.
  QString StatusText(int panel) const;
  void UpdateStatus();

 protected:
  void showEvent(QShowEvent* e) override;

 private:
  void BtnListClick(TSpeedButton* sender);
  QLabel* mPanels[2];
  bool mShown = false;
};

}  // namespace Tarnwell
