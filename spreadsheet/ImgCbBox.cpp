#include "ImgCbBox.h"

#include <QAbstractItemView>
#include <QPainter>
#include <QStylePainter>
#include <QStyledItemDelegate>
#include <algorithm>

namespace Tarnwell {

// ---- TImageList ---------------------------------------------------------------

TImageList::TImageList(QObject* owner) : QObject(owner) {}

QImage TImageList::Fit(const QImage& image) const {
  if (image.isNull() || image.size() == QSize(mWidth, mHeight)) return image;
  return image.scaled(mWidth, mHeight, Qt::IgnoreAspectRatio, Qt::FastTransformation);
}

int TImageList::Add(const QImage& image) {
  mImages.append(Fit(image));
  Q_EMIT Change(this);
  return int(mImages.size()) - 1;
}

void TImageList::Clear() {
  if (mImages.isEmpty()) return;
  mImages.clear();
  Q_EMIT Change(this);
}

void TImageList::Rescale() {
  for (QImage& img : mImages) img = Fit(img);
  Q_EMIT Change(this);
}

// ---- TImageComboBox --------------------------------------------------------------

namespace {

// The drop-down list's rows, drawn by the combo box itself.
class TImageItemDelegate : public QStyledItemDelegate {
 public:
  explicit TImageItemDelegate(TImageComboBox* box) : QStyledItemDelegate(box), mBox(box) {}
  void paint(QPainter* p, const QStyleOptionViewItem& opt, const QModelIndex& index) const override {
    mBox->DrawItem(*p, opt.rect, index.row(), opt.state & QStyle::State_Selected);
  }
  QSize sizeHint(const QStyleOptionViewItem& opt, const QModelIndex& index) const override {
    return {QStyledItemDelegate::sizeHint(opt, index).width(), mBox->ItemHeight()};
  }

 private:
  TImageComboBox* mBox;
};

}  // namespace

TImageComboBox::TImageComboBox(QWidget* parent) : QComboBox(parent) {
  setItemDelegate(new TImageItemDelegate(this));
}

TImageList* TImageComboBox::ImageList() const { return mImageList; }

void TImageComboBox::setImageList(TImageList* value) {
  if (value == mImageList) return;
  disconnect(mListChange);
  mImageList = value;
  if (value) {
    mListChange = connect(value, &TImageList::Change, this, [this] {
      if (mImageList) setItemHeight(mImageList->Height() + 4);
      update();
    });
    // The list going away clears the reference (the QPointer) and repaints.
    connect(value, &QObject::destroyed, this, [this] { update(); });
    setItemHeight(value->Height() + 4);
  }
  update();
  Q_EMIT ImageListChanged(value);
}

void TImageComboBox::AfterItemHeight() {
  updateGeometry();
  if (view()) view()->doItemsLayout();
  update();
}

void TImageComboBox::DrawItem(QPainter& p, const QRect& r, int index, bool selected) const {
  const QPalette& pal = palette();
  const QColor back = pal.color(selected ? QPalette::Highlight : QPalette::Base);
  const QColor ink = pal.color(selected ? QPalette::HighlightedText : QPalette::Text);
  p.fillRect(r, back);
  p.setPen(ink);
  const QString text = itemText(index);
  if (mImageList && index >= 0 && index < mImageList->Count()) {
    p.drawImage(QPoint(r.left() + 5, r.top() + 2), mImageList->Image(index));
    const QRect tr(r.left() + mImageList->Width() + 8, r.top(),
                   std::max(0, r.width() - mImageList->Width() - 8), r.height());
    p.drawText(tr, Qt::AlignLeft | Qt::AlignVCenter, text);
  } else {
    p.drawText(r.adjusted(3, 0, 0, 0), Qt::AlignLeft | Qt::AlignVCenter, text);
  }
}

QSize TImageComboBox::sizeHint() const {
  QSize s = QComboBox::sizeHint();
  if (mImageList) s.setWidth(std::max(s.width(), mImageList->Width() + 40));
  return {s.width(), std::max(s.height(), std::min(mItemHeight, 24) + 2)};
}

QSize TImageComboBox::minimumSizeHint() const { return sizeHint(); }

void TImageComboBox::paintEvent(QPaintEvent*) {
  QStylePainter sp(this);
  QStyleOptionComboBox opt;
  initStyleOption(&opt);
  opt.currentText.clear();
  opt.currentIcon = QIcon();
  sp.drawComplexControl(QStyle::CC_ComboBox, opt);
  const int index = currentIndex();
  if (index < 0) return;
  QRect r = style()->subControlRect(QStyle::CC_ComboBox, &opt, QStyle::SC_ComboBoxEditField, this);
  sp.save();
  sp.setClipRect(r);
  DrawItem(sp, r, index, false);
  sp.restore();
}

}  // namespace Tarnwell
