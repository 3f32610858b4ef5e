#include "ChkTreeV.h"

#include <QHeaderView>
#include <QIcon>
#include <QMouseEvent>
#include <QPainter>
#include <QPixmap>
#include <QStyledItemDelegate>

#include <Tarnwell/platform/TResources.h>

namespace Tarnwell {

namespace {

constexpr int BoxSize = 16;

// Draws the state picture at the left of the row and the rest of the node
// (picture, text, selection) to its right.
class TCheckTreeDelegate : public QStyledItemDelegate {
 public:
  explicit TCheckTreeDelegate(TCheckTreeView* tree) : QStyledItemDelegate(tree), mTree(tree) {}

  void paint(QPainter* p, const QStyleOptionViewItem& option, const QModelIndex& index) const override {
    const int state = index.data(TCheckTreeView::StateRole).toInt();
    if (state <= 0) {
      QStyledItemDelegate::paint(p, option, index);
      return;
    }
    const QRect box(option.rect.left(), option.rect.top() + (option.rect.height() - BoxSize) / 2, BoxSize, BoxSize);
    const auto& pics = mTree->StateImages();
    if (state < int(pics.size())) p->drawImage(box, pics[size_t(state)]);
    QStyleOptionViewItem rest(option);
    rest.rect.setLeft(option.rect.left() + BoxSize);
    QStyledItemDelegate::paint(p, rest, index);
  }

  QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override {
    QSize s = QStyledItemDelegate::sizeHint(option, index);
    if (index.data(TCheckTreeView::StateRole).toInt() > 0) s = QSize(s.width() + BoxSize, std::max(s.height(), BoxSize));
    return s;
  }

 private:
  TCheckTreeView* mTree;
};

// The pictures have white around the box: keyed out when they have no
// transparency of their own.
QImage StatePicture(const char* name) {
  QImage img = LoadResourcePicture(QLatin1String(name)).convertToFormat(QImage::Format_ARGB32);
  if (img.hasAlphaChannel()) {
    bool anyClear = false;
    for (int y = 0; y < img.height() && !anyClear; ++y)
      for (int x = 0; x < img.width() && !anyClear; ++x) anyClear = qAlpha(img.pixel(x, y)) < 255;
    if (anyClear) return img;
  }
  for (int y = 0; y < img.height(); ++y)
    for (int x = 0; x < img.width(); ++x)
      if ((img.pixel(x, y) & 0xFFFFFF) == 0xFFFFFF) img.setPixel(x, y, 0);
  return img;
}

}  // namespace

TCheckTreeView::TCheckTreeView(QWidget* parent) : QTreeWidget(parent) {
  mStateImages = {StatePicture("UNCHECKED"), StatePicture("UNCHECKED"), StatePicture("GRAYED"),
                  StatePicture("CHECKED")};
  setHeaderHidden(true);
  setColumnCount(1);
  setItemDelegate(new TCheckTreeDelegate(this));
}

template <class F>
void TCheckTreeView::ForEachNode(F f) {
  std::vector<QTreeWidgetItem*> stack;
  for (int i = topLevelItemCount() - 1; i >= 0; --i) stack.push_back(topLevelItem(i));
  while (!stack.empty()) {
    QTreeWidgetItem* n = stack.back();
    stack.pop_back();
    f(n);
    for (int i = n->childCount() - 1; i >= 0; --i) stack.push_back(n->child(i));
  }
}

QTreeWidgetItem* TCheckTreeView::AddNode(QTreeWidgetItem* parent, const QString& text, int state, int imageIndex) {
  auto* n = parent ? new QTreeWidgetItem(parent) : new QTreeWidgetItem(this);
  n->setText(0, text);
  SetStateIndex(n, state);
  SetImageIndex(n, imageIndex);
  return n;
}

int TCheckTreeView::StateIndex(const QTreeWidgetItem* node) {
  if (!node) return stNone;
  const QVariant v = node->data(0, StateRole);
  return v.isValid() ? v.toInt() : stNone;
}

void TCheckTreeView::SetStateIndex(QTreeWidgetItem* node, int state) {
  if (!node) return;
  if (state < stNone || state > stChecked) state = stNone;
  if (StateIndex(node) == state && node->data(0, StateRole).isValid()) return;
  node->setData(0, StateRole, state);
}

int TCheckTreeView::ImageIndex(const QTreeWidgetItem* node) {
  if (!node) return -1;
  const QVariant v = node->data(0, ImageRole);
  return v.isValid() ? v.toInt() : -1;
}

void TCheckTreeView::SetImageIndex(QTreeWidgetItem* node, int index) {
  if (!node) return;
  node->setData(0, ImageRole, index);
  if (index >= 0 && index < mImages.size())
    node->setIcon(0, QIcon(QPixmap::fromImage(mImages[index])));
  else
    node->setIcon(0, QIcon());
}

void TCheckTreeView::SetImages(const QList<QImage>& images) {
  mImages = images;
  if (!images.isEmpty()) setIconSize(images.first().size());
  ForEachNode([this](QTreeWidgetItem* n) { SetImageIndex(n, ImageIndex(n)); });
}

void TCheckTreeView::setAllowGrayed(bool value) {
  if (mAllowGrayed == value) return;
  mAllowGrayed = value;
  // Only grayed boxes change: nodes without a box keep having none.
  if (!value)
    ForEachNode([this](QTreeWidgetItem* n) {
      if (StateIndex(n) == stGrayed) SetStateIndex(n, stUnchecked);
    });
  Q_EMIT AllowGrayedChanged(value);
}

void TCheckTreeView::setAllowChildOnly(bool value) {
  if (mAllowChildOnly == value) return;
  mAllowChildOnly = value;
  ForEachNode([this, value](QTreeWidgetItem* n) {
    if (value && n->childCount() > 0)
      SetStateIndex(n, stNoBox);
    else if (StateIndex(n) >= 0)
      SetStateIndex(n, stUnchecked);
  });
  scheduleDelayedItemsLayout();
  Q_EMIT AllowChildOnlyChanged(value);
}

void TCheckTreeView::Loaded() {
  ForEachNode([this](QTreeWidgetItem* n) {
    const int s = StateIndex(n);
    if (s == stUnchecked || s == stChecked) return;
    if (s < 0)
      SetStateIndex(n, stNone);
    else if (mAllowChildOnly && n->childCount() > 0)
      SetStateIndex(n, stNoBox);
    else
      SetStateIndex(n, mAllowGrayed ? stGrayed : stUnchecked);
  });
}

QRect TCheckTreeView::StateRect(const QTreeWidgetItem* node) const {
  if (!node || StateIndex(node) <= 0) return QRect();
  const QRect row = visualItemRect(node);
  if (row.isEmpty()) return QRect();
  return QRect(row.left(), row.top() + (row.height() - BoxSize) / 2, BoxSize, BoxSize);
}

QRect TCheckTreeView::NodeTextRect(const QTreeWidgetItem* node) const {
  if (!node) return QRect();
  QRect r = visualItemRect(node);
  if (r.isEmpty()) return r;
  if (StateIndex(node) > 0) r.setLeft(r.left() + BoxSize);
  const int image = ImageIndex(node);
  if (image >= 0 && image < mImages.size()) r.setLeft(r.left() + iconSize().width() + 4);
  return r;
}

int TCheckTreeView::NextState(int state) const {
  if (mAllowGrayed) return state == stUnchecked ? stGrayed : state == stGrayed ? stChecked : stUnchecked;
  return state == stChecked ? stUnchecked : stChecked;
}

bool TCheckTreeView::InBox(const QPoint& pos, QTreeWidgetItem** node) const {
  QTreeWidgetItem* n = itemAt(pos);
  if (node) *node = n;
  if (!n || StateIndex(n) <= 0) return false;
  const QRect box = StateRect(n);
  return pos.x() >= box.left() && pos.x() <= box.right();
}

bool TCheckTreeView::ClickAt(const QPoint& pos) {
  QTreeWidgetItem* node = nullptr;
  if (!InBox(pos, &node)) return false;
  ToggleNode(node);
  return true;
}

void TCheckTreeView::mouseDoubleClickEvent(QMouseEvent* e) {
  // A double click on the box is one click for it: the first release
  // toggled it, the release that ends the double click leaves it so; the
  // node does not expand or collapse for it either.
  if (e->button() == Qt::LeftButton && InBox(e->position().toPoint(), nullptr)) {
    mSkipRelease = true;
    e->accept();
    return;
  }
  QTreeWidget::mouseDoubleClickEvent(e);
}

void TCheckTreeView::ToggleNode(QTreeWidgetItem* node) {
  if (!node || StateIndex(node) <= 0) return;
  const int now = NextState(StateIndex(node));
  SetStateIndex(node, now);
  // Only the direct children follow; grandchildren keep their state.
  if ((mAutoCheckChild && now == stChecked) || (mAutoUnCheckChild && now == stUnchecked))
    for (int i = 0; i < node->childCount(); ++i)
      if (StateIndex(node->child(i)) > 0) SetStateIndex(node->child(i), now);
  if (mAutoGrayParent && node->parent()) {
    QTreeWidgetItem* parent = node->parent();
    int common = StateIndex(parent->child(0));
    for (int i = 1; i < parent->childCount(); ++i)
      if (StateIndex(parent->child(i)) != common) common = stGrayed;
    // A parent without a box (AllowChildOnly) gets none.
    if (StateIndex(parent) > 0 && common > 0) SetStateIndex(parent, common);
  }
  TW_FIRE(OnChangeCheckState, ChangeCheckState, this);
}

void TCheckTreeView::mousePressEvent(QMouseEvent* e) {
  mSkipRelease = false;  // a new click: its release counts
  QTreeWidget::mousePressEvent(e);
}

void TCheckTreeView::mouseReleaseEvent(QMouseEvent* e) {
  QTreeWidget::mouseReleaseEvent(e);
  if (e->button() != Qt::LeftButton) return;
  if (mSkipRelease) {
    mSkipRelease = false;
    return;
  }
  ClickAt(e->position().toPoint());
}

}  // namespace Tarnwell

TARNWELL_LIBRARY_RESOURCES(tarnwell_commonctrls)
