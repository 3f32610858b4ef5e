#include "FntCbBox.h"

#include <QAbstractItemView>
#include <QFontDatabase>
#include <QStyleOptionComboBox>
#include <QStylePainter>
#include <QStyledItemDelegate>

#include <Tarnwell/platform/TExceptions.h>
#include <Tarnwell/platform/TPixelRatio.h>
#include <Tarnwell/platform/TResources.h>

namespace Tarnwell {

namespace {

class FontItemDelegate : public QStyledItemDelegate {
 public:
  explicit FontItemDelegate(TFontComboBox* box) : QStyledItemDelegate(box), mBox(box) {}
  void paint(QPainter* p, const QStyleOptionViewItem& opt, const QModelIndex& index) const override {
    TCanvas c(p);
    mBox->DrawItem(c, TRect(opt.rect), index.row(), opt.state & QStyle::State_Selected);
  }
  QSize sizeHint(const QStyleOptionViewItem& opt, const QModelIndex& index) const override {
    const int extra = mBox->ShowMode() == smBoth ? 200 : 0;
    return QSize(QStyledItemDelegate::sizeHint(opt, index).width() + mBox->ItemHeight() + extra,
                 mBox->ItemHeight());
  }

 private:
  TFontComboBox* mBox;
};

QImage LoadMark(const char* name) {
  try {
    return LoadResourcePicture(name);
  } catch (const ETarnwellError&) {
    return QImage();  // the list works without its marks
  }
}

}  // namespace

TFontComboBox::TFontComboBox(QWidget* parent) : QComboBox(parent) {
  setItemDelegate(new FontItemDelegate(this));
  setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Fixed);
  mFont.Font().SetSize(10);
  mFont.changed = [this] { AfterFont(); };
  mColor.changed = [this] {
    update();
    Q_EMIT ColorChanged(ColorQColor());
  };
  mTrueType = LoadMark("TRUETYPE");
  mDevice = LoadMark("DEVICEFN");
  AfterFont();
  LoadFonts();
  mLastName = FontName();
  connect(this, &QComboBox::activated, this, [this](int) { TW_FIRE(OnChange, Change, this); });
  connect(this, &QComboBox::currentIndexChanged, this, [this](int) {
    if (FontName() == mLastName) return;
    mLastName = FontName();
    Q_EMIT FontNameChanged(mLastName);
  });
}

TColor TFontComboBox::Color() const { return mColor.Color(); }

void TFontComboBox::setColor(TColor c) { mColor.SetColor(c); }

QSize TFontComboBox::sizeHint() const {
  // Room for the kind mark before the name; rows as high as ItemHeight.
  QSize s = QComboBox::sizeHint();
  return QSize(s.width() + mItemHeight, std::max(s.height(), mItemHeight + 6));
}

QSize TFontComboBox::minimumSizeHint() const {
  QSize s = QComboBox::minimumSizeHint();
  return QSize(s.width() + mItemHeight, std::max(s.height(), mItemHeight + 6));
}

void TFontComboBox::LoadFonts() {
  if (count() > 0) return;
  const QStringList families = QFontDatabase::families();
  for (const QString& f : families) {
    if (QFontDatabase::isPrivateFamily(f)) continue;
    int kind = KindOther;
    if (QFontDatabase::isSmoothlyScalable(f))
      kind = KindTrueType;
    else if (QFontDatabase::isBitmapScalable(f) || !QFontDatabase::isScalable(f))
      kind = KindDevice;
    addItem(f, kind);
  }
  if (count() > 0) setCurrentIndex(0);
}

int TFontComboBox::KindOf(int index) const {
  return index >= 0 && index < count() ? itemData(index).toInt() : KindOther;
}

QString TFontComboBox::FontName() const { return currentIndex() >= 0 ? currentText() : QString(); }

void TFontComboBox::setFontName(QString name) {
  setCurrentIndex(findText(name, Qt::MatchFixedString | Qt::MatchCaseSensitive));
}

void TFontComboBox::AfterShowMode() {
  if (view()) view()->reset();
  update();
}

void TFontComboBox::AfterFont() {
  Q_EMIT FontChanged(font());
  TCanvas measure;
  measure.Font().Assign(mFont.Font());
  mItemHeight = std::max(16, measure.TextHeight("Wg"));
  if (view()) view()->reset();
  updateGeometry();
  update();
}

void TFontComboBox::DrawItem(TCanvas& c, const TRect& rect, int index, bool selected) const {
  TRect r = rect;
  const int h = r.Height();
  c.Font().Assign(mFont.Font());
  if (selected) c.Font().SetColor(clHighlightText);
  c.Brush().SetStyle(bsSolid);
  c.Brush().SetColor(selected ? clHighlight : Color());
  c.FillRect(r);
  if (index < 0 || index >= count()) return;
  const QString name = itemText(index);
  const int kind = KindOf(index);
  QImage mark = kind == KindTrueType ? mTrueType : kind == KindDevice ? mDevice : QImage();
  const TRect square(r.Left, r.Top, r.Left + h, r.Bottom);
  const qreal ratio = PixelRatio(c);
  if (!mark.isNull() && ratio != 1.0) {
    // Sharp on a high-density screen: the mark from its vector source.
    try {
      mark = LoadResourcePictureFor(QString::fromLatin1(kind == KindTrueType ? "TRUETYPE" : "DEVICEFN"),
                                    QSize(square.Width(), square.Height()), ratio);
    } catch (const ETarnwellError&) {
    }
  }
  int start = 0;
  c.Brush().SetStyle(bsClear);
  if (mShowMode == smNormal || mShowMode == smBoth) {
    if (!mark.isNull()) c.StretchDraw(square, mark);
    c.TextOut(r.Left + h, r.Top, name);
    start = h + r.Width() / 2;
  }
  if (mShowMode == smFonts || mShowMode == smBoth) {
    r.Left += start - 10;
    TFont own;
    own.Assign(c.Font());
    own.SetName(name);
    if (mShowMode == smFonts) {
      // The mark keeps its square; the name follows it instead of covering it.
      if (!mark.isNull()) c.StretchDraw(square, mark);
      c.Font().Assign(own);
      c.TextOut(square.Right + 2, r.Top, name);
    } else {
      c.Brush().SetStyle(bsSolid);
      c.FillRect(TRect(r.Left, r.Top, rect.Right, r.Bottom));
      c.Brush().SetStyle(bsClear);
      c.Font().Assign(own);
      c.TextOut(r.Left + 10, r.Top, SampleText);
    }
  }
}

void TFontComboBox::paintEvent(QPaintEvent*) {
  QStylePainter p(this);
  QStyleOptionComboBox opt;
  initStyleOption(&opt);
  opt.currentText.clear();
  p.drawComplexControl(QStyle::CC_ComboBox, opt);
  const QRect field = style()->subControlRect(QStyle::CC_ComboBox, &opt, QStyle::SC_ComboBoxEditField, this);
  TCanvas c(static_cast<QPainter*>(&p));
  c.SetClipRect(TRect(field));
  DrawItem(c, TRect(field), currentIndex(), false);
}

}  // namespace Tarnwell

TARNWELL_LIBRARY_RESOURCES(tarnwell_visuals)
