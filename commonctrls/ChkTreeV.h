#pragma once
// TCheckTreeView: a tree whose nodes carry a check box drawn as a state
// picture: unchecked, checked and, optionally, grayed. A click on the box
// (and only on the box) cycles its state; options hand a change down to the
// children and sum the children up in their parent.
//
// A node's state: -1 or 0 no box, 1 unchecked, 2 grayed, 3 checked.

#include <QImage>
#include <QList>
#include <QTreeWidget>
#include <array>

#include <Tarnwell/platform/TProperty.h>
#include <Tarnwell/platform/TTypes.h>
#include <Tarnwell/TarnwellExport.h>

namespace Tarnwell {

// A tree whose items carry check boxes (unchecked, checked and, with AllowGrayed, grayed); options
// hand a change down to the children and sum the children up in their parent.
class TARNWELL_COMMONCTRLS_EXPORT TCheckTreeView : public QTreeWidget {
  Q_OBJECT
  // Clicks cycle unchecked -> grayed -> checked; switched off, grayed
  // boxes become unchecked.
  TW_PROPERTY_SETTER(bool, AllowGrayed)
  // Checking a node checks its direct children.
  TW_PROPERTY(bool, AutoCheckChild, (void)0)
  // Unchecking a node unchecks its direct children.
  TW_PROPERTY(bool, AutoUnCheckChild, (void)0)
  // After a click the parent shows its children's common state, or grayed.
  TW_PROPERTY(bool, AutoGrayParent, (void)0)
  // Nodes with children have no box.
  TW_PROPERTY_SETTER(bool, AllowChildOnly)

 public:
  static constexpr int stNone = -1, stNoBox = 0, stUnchecked = 1, stGrayed = 2, stChecked = 3;
  static constexpr int StateRole = Qt::UserRole + 0x5c1;
  static constexpr int ImageRole = Qt::UserRole + 0x5c2;

  explicit TCheckTreeView(QWidget* parent = nullptr);

  // A node under `parent` (top level when null) with a state and an image index.
  QTreeWidgetItem* AddNode(QTreeWidgetItem* parent, const QString& text, int state = stUnchecked,
                           int imageIndex = -1);
  static int StateIndex(const QTreeWidgetItem* node);
  void SetStateIndex(QTreeWidgetItem* node, int state);
  static int ImageIndex(const QTreeWidgetItem* node);
  void SetImageIndex(QTreeWidgetItem* node, int index);

  // The nodes' own pictures (image indexes point into it); empty: none.
  void SetImages(const QList<QImage>& images);
  const QList<QImage>& Images() const { return mImages; }
  // The four state pictures; the first is never shown.
  const std::array<QImage, 4>& StateImages() const { return mStateImages; }

  // Where the node's box is and where its text starts, in viewport
  // coordinates (empty when the node has no box or is not shown).
  QRect StateRect(const QTreeWidgetItem* node) const;
  QRect NodeTextRect(const QTreeWidgetItem* node) const;

  // Brings stored states in line with the options, as after loading a
  // design: no state stays none, parents lose their box with
  // AllowChildOnly, and any other unknown state becomes grayed (with
  // AllowGrayed) or unchecked.
  void Loaded();
  // What a mouse-up at `pos` (viewport coordinates) does; true when a box
  // changed.
  bool ClickAt(const QPoint& pos);
  // The click on node's box: next state, children, parent, event.
  void ToggleNode(QTreeWidgetItem* node);
  // The state that follows `state` on a click.
  int NextState(int state) const;

  // Fired after a click changed a state, also when that turned the parent
  // grayed.
  TNotifyEvent OnChangeCheckState;

 Q_SIGNALS:
  // Emitted after a click changed a node's check state (also when that turned its parent
  // grayed); OnChangeCheckState is called after it.
  void ChangeCheckState(QObject* sender);

 protected:
  void mousePressEvent(QMouseEvent* e) override;
  void mouseReleaseEvent(QMouseEvent* e) override;
  void mouseDoubleClickEvent(QMouseEvent* e) override;

 private:
  template <class F>
  void ForEachNode(F f);
  // Whether pos is on the box of the node there (returned in node).
  bool InBox(const QPoint& pos, QTreeWidgetItem** node) const;
  bool mAllowGrayed = false;
  bool mAutoCheckChild = false;
  bool mAutoUnCheckChild = false;
  bool mAutoGrayParent = false;
  bool mAllowChildOnly = false;
  bool mSkipRelease = false;  // the release that ends a double click on a box
  std::array<QImage, 4> mStateImages;
  QList<QImage> mImages;
};

}  // namespace Tarnwell
