#pragma once
// The file list view's own context menu: open, view style, sort order,
// send to, rename, delete and new folder, in the view's language. Send To
// lists the folder $XDG_DATA_HOME/Tarnwell/sendto: its folders (or links to
// folders) receive a copy of the selection, its .desktop files are links to
// folders or programs that get the selected files as arguments.

#include <QMenu>
#include <QStringList>
#include <Tarnwell/TarnwellExport.h>

namespace Tarnwell {

class TFileListViewLite;

// The context menu of a TFileListViewLite.
class TARNWELL_FILEVIEW_EXPORT TFileListLitePopup : public QMenu {
  Q_OBJECT
 public:
  explicit TFileListLitePopup(TFileListViewLite* view);

  // Builds the items with the texts of the block at `base`.
  void BuildMenu(int base);
  // Fills Send To from the send-to folder.
  void ScanSendTo();
  // The send-to folder.
  static QString SendToDir();
  // Check marks and visibility for the view's state, then shows the menu.
  void Prepare();
  void Popup(const QPoint& globalPos);
  // The item named `name` (object name), or null.
  QAction* Item(const QString& name) const;

  QStringList SendToPaths;

 private:
  void Clicked(QAction* a);
  TFileListViewLite* mView;
  QMenu* mSendMenu = nullptr;
  int mBase = 900;
};

}  // namespace Tarnwell
