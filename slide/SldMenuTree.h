#pragma once
// TFormSlideMenuTree: the stay-on-top "Funzioni" window that lists every item
// of a manager's menu chain as a tree, in place of the sliding menus. It has
// no title bar of its own to double-click; a double-click on its caption
// panel rolls it up to a small strip and back.

#include <QPointer>
#include <QSet>

#include <Tarnwell/platform/TControls.h>

#include "SldBBar.h"
#include <Tarnwell/TarnwellExport.h>

namespace Tarnwell {

class TLabel3D;
class TMyTreeView;
class TShineButton;
class TCustomPanel;

// The menu tree window: a chain of slide menus shown as a tree.
class TARNWELL_SLIDE_EXPORT TFormSlideMenuTree : public TForm {
  Q_OBJECT
 public:
  explicit TFormSlideMenuTree(TSlideMenuMan* manager);
  ~TFormSlideMenuTree() override;

  // Shows the window at `rect` (the first time only), hides the menus and
  // the manager, and builds the tree.
  void ShowTree(const TRect& rect, QWidget* ownerForm, const QImage& glyph);
  // Rebuilds the tree (only while showing and not closing).
  void Rebuild();
  // What a double-click on the caption does: roll up, or back.
  void CaptionDoubleClick();
  // Double-click or Enter on a node.
  void ActivateItem(QTreeWidgetItem* item);
  // The hint shown for a node, as the mouse moving over it sets it.
  QString HintFor(QTreeWidgetItem* item) const;

  TCustomPanel* Panel1;
  TLabel3D* Label3D1;
  TShineButton* BtnMin;
  TShineButton* BtnClose;
  TMyTreeView* TreeView1;
  TSlideImageList* ImageList1;

 protected:
  void FormClose(TCloseAction& action) override;
  bool eventFilter(QObject* watched, QEvent* event) override;
  void resizeEvent(QResizeEvent* e) override;

 private:
  friend class TSlideMenuMan;
  // The menu and the button index a node stands for; null when none.
  TSlideMenu* MenuOf(QTreeWidgetItem* item, int* index) const;

  QPointer<TSlideMenuMan> mManager;
  QPointer<QWidget> mOwnerForm;
  QImage mGlyph;
  QList<QPointer<TSlideMenu>> mMenus;  // node data indexes into this
  QSet<QString> mExpanded;
  bool mFirstShow = true;
  bool mClosing = false;
  TRect mRequested, mSaved;
};

}  // namespace Tarnwell
