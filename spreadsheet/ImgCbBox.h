#pragma once
// TImageList: pictures of one size, shared by the controls that show them.
// TImageComboBox: a drop-down list whose items show a picture of an image
// list in front of their text (the cell-format dialog's pattern list).

#include <Tarnwell/platform/TProperty.h>

#include <QComboBox>
#include <QImage>
#include <QList>
#include <QObject>
#include <QPointer>
#include <Tarnwell/TarnwellExport.h>

namespace Tarnwell {

// A list of equally sized pictures, referred to by index.
class TARNWELL_SHEETFORMS_EXPORT TImageList : public QObject {
  Q_OBJECT
  // The size of every picture; a picture of another size is scaled to it.
  TW_PROPERTY_FIXED_DEFAULT(int, Width, 16, std::max(1, value), Rescale())
  // The height of every picture in pixels, at least 1 (default 16); a change scales the
  // pictures to it.
  TW_PROPERTY_FIXED_DEFAULT(int, Height, 16, std::max(1, value), Rescale())
  // Whether the pictures are drawn with their transparency.
  TW_PROPERTY_DEFAULT(bool, Masked, true, Q_EMIT Change(this))

 public:
  explicit TImageList(QObject* owner = nullptr);

  int Count() const { return int(mImages.size()); }
  // The index of the added picture.
  int Add(const QImage& image);
  void Clear();
  QImage Image(int index) const { return mImages.value(index); }

 Q_SIGNALS:
  // The pictures changed: one was added, the list was cleared or rescaled, or Masked changed.
  void Change(QObject* sender);

 private:
  void Rescale();
  QImage Fit(const QImage& image) const;
  int mWidth = 16, mHeight = 16;
  bool mMasked = true;
  QList<QImage> mImages;
};

// A drop-down list whose items show a picture of an image list next to their text.
class TARNWELL_SHEETFORMS_EXPORT TImageComboBox : public QComboBox {
  Q_OBJECT
  // Not owned; cleared when the list is destroyed.
  TW_PROPERTY_CUSTOM(Tarnwell::TImageList*, ImageList)
  // The height of a row of the drop-down list.
  TW_PROPERTY_FIXED_DEFAULT(int, ItemHeight, 20, std::max(1, value), AfterItemHeight())

 public:
  explicit TImageComboBox(QWidget* parent = nullptr);

  // Draws item `index` into r: its picture at x 5 and its text after it
  // when the list has a picture for it, otherwise the plain item text.
  void DrawItem(QPainter& p, const QRect& r, int index, bool selected) const;

  QSize sizeHint() const override;
  QSize minimumSizeHint() const override;

 protected:
  void paintEvent(QPaintEvent* e) override;

 private:
  void AfterItemHeight();
  QPointer<TImageList> mImageList;
  QMetaObject::Connection mListChange;
  int mItemHeight = 20;
};

}  // namespace Tarnwell
