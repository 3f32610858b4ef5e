#pragma once
// The "Common Controls" demonstration window: a check tree, a column-sorting
// list of sixteen random rows and a source editor with its caret panel and
// a popup menu that pastes, copies, cuts and prints black on white.

#include <QMenu>

#include "ChkTreeV.h"
#include "ExtRich.h"
#include "LstVSort.h"
#include <Tarnwell/platform/TControls.h>
#include <Tarnwell/platform/TStatusBar.h>

namespace Tarnwell {

class TFormCommCtrls : public TForm {
  Q_OBJECT
 public:
  explicit TFormCommCtrls(QWidget* parent = nullptr);

  TCheckTreeView* CheckTreeView = nullptr;
  TColSortListView* ListView = nullptr;
  TExtRichEdit* RichEditSource = nullptr;
  TStatusBar* StatusBar = nullptr;
  QMenu* PopupSource = nullptr;
  QAction* Paste1 = nullptr;
  QAction* Copy1 = nullptr;
  QAction* Cut1 = nullptr;
  QAction* PrintSection1 = nullptr;

  // The editor's first text: the declaration of the editor itself.
  static QString SourceSample();

  // Column types, sixteen random rows, the tree expanded (once, on the
  // first show).
  void FormShow();
  void PrintSection1Click();

 protected:
  void showEvent(QShowEvent* e) override;
  void resizeEvent(QResizeEvent* e) override;

 private:
  void PlaceControls();
  bool mShown = false;
};

}  // namespace Tarnwell
