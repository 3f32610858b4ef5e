#pragma once
// TMyTreeView: a tree view whose item tooltips can be switched off, and
// that finds a child by its text. With ShowToolTip on, hovering a label
// that does not fit shows the whole label (or the item's own tooltip);
// with it off, no item tooltip is shown at all.

#include <QTreeWidget>

#include <Tarnwell/platform/TProperty.h>
#include <Tarnwell/TarnwellExport.h>

namespace Tarnwell {

// A tree whose item tooltips can be switched off (ShowToolTip).
class TARNWELL_COMMONCTRLS_EXPORT TMyTreeView : public QTreeWidget {
  Q_OBJECT
  // Always stored with a design, also at its default.
  Q_PROPERTY(bool ShowToolTip READ ShowToolTip WRITE setShowToolTip NOTIFY ShowToolTipChanged STORED true)
  TW_DETAIL_GETTER(bool, ShowToolTip)
 public Q_SLOTS:
  // Shows (true) or hides the items' tooltips (default false); emits ShowToolTipChanged.
  void setShowToolTip(bool value) { TW_DETAIL_STORE(ShowToolTip, (void)0) }
  TW_DETAIL_SIGNAL(bool, ShowToolTip)

 public:
  explicit TMyTreeView(QWidget* parent = nullptr);

  // True when one of node's direct children has exactly `text` (case and
  // whole text); false for a null node or one without children.
  bool HasChildNamed(const QTreeWidgetItem* node, const QString& text) const;
  // The tooltip the tree would show at `pos` (viewport coordinates), empty
  // when none: the item's own tooltip, else its label when cut off.
  QString ToolTipAt(const QPoint& pos) const;

 protected:
  bool viewportEvent(QEvent* e) override;

 private:
  bool mShowToolTip = false;
};

}  // namespace Tarnwell
