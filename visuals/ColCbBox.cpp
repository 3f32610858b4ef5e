#include "ColCbBox.h"

#include <QAbstractItemView>
#include <QPainter>
#include <QStyleOptionComboBox>
#include <QStylePainter>

namespace Tarnwell {

namespace {

struct Entry {
  const char* Name;
  TColor Color;
};

constexpr Entry kColors[TColorComboBox::ColorCount] = {
    {"Nero", clBlack},
    {"Marrone", clMaroon},
    {"Verde Scuro", clGreen},
    {"Verde Oliva", clOlive},
    {"Blue Scuro", clNavy},
    {"Viola", clPurple},
    {"Alzavola", clTeal},
    {"Grigio Scuro", clGray},
    {"Grigio Chiaro", clSilver},
    {"Rosso", clRed},
    {"Verde chiaro", clLime},
    {"Giallo", clYellow},
    {"Blue Chiaro", clBlue},
    {"Fucsia", clFuchsia},
    {"Celeste", clAqua},
    {"Bianco", clWhite},
    {"Sfondo Finestra", clWindow},
    {"Testo Finestra", clWindowText},
    {"Sfondo Bottoni", clBtnFace},
    {"Ombreggiatura", clBtnShadow},
};

class ColorItemDelegate : public QStyledItemDelegate {
 public:
  explicit ColorItemDelegate(TColorComboBox* box) : QStyledItemDelegate(box), mBox(box) {}
  void paint(QPainter* p, const QStyleOptionViewItem& opt, const QModelIndex& index) const override {
    TCanvas c(p);
    mBox->DrawItem(c, TRect(opt.rect), index.row(), opt.state & QStyle::State_Selected);
  }
  QSize sizeHint(const QStyleOptionViewItem& opt, const QModelIndex& index) const override {
    return QSize(QStyledItemDelegate::sizeHint(opt, index).width() + 2 * mBox->ItemHeight() + 10,
                 mBox->ItemHeight());
  }

 private:
  TColorComboBox* mBox;
};

}  // namespace

TColorComboBox::TColorComboBox(QWidget* parent) : QComboBox(parent) {
  setItemDelegate(new ColorItemDelegate(this));
  setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Fixed);
  mFont.changed = [this] { AfterFont(); };
  mColor.changed = [this] {
    update();
    Q_EMIT ColorChanged(ColorQColor());
  };
  {
    TCanvas measure;
    measure.Font().Assign(mFont.Font());
    mItemHeight = std::max(8, measure.TextHeight("Wg"));
  }
  Rebuild();
  mLastValue = ColorValue();
  connect(this, &QComboBox::activated, this, [this](int) { TW_FIRE(OnChange, Change, this); });
  connect(this, &QComboBox::currentIndexChanged, this, [this](int) {
    if (ColorValue() == mLastValue) return;
    mLastValue = ColorValue();
    Q_EMIT ColorValueChanged(ColorValueQColor());
  });
}

void TColorComboBox::AfterFont() {
  Q_EMIT FontChanged(font());
  TCanvas measure;
  measure.Font().Assign(mFont.Font());
  setItemHeight(std::max(8, measure.TextHeight("Wg")));
}

TColor TColorComboBox::Color() const { return mColor.Color(); }

void TColorComboBox::setColor(TColor c) { mColor.SetColor(c); }

QSize TColorComboBox::sizeHint() const {
  // The swatch comes before the name, and a row is as high as ItemHeight.
  QSize s = QComboBox::sizeHint();
  return QSize(s.width() + 2 * mItemHeight + 10, std::max(s.height(), mItemHeight + 6));
}

QSize TColorComboBox::minimumSizeHint() const {
  QSize s = QComboBox::minimumSizeHint();
  return QSize(s.width() + 2 * mItemHeight + 10, std::max(s.height(), mItemHeight + 6));
}

QString TColorComboBox::ColorName(int index) {
  return index >= 0 && index < ColorCount ? QString::fromUtf8(kColors[index].Name) : QString();
}

TColor TColorComboBox::ColorAt(int index) {
  return index >= 0 && index < ColorCount ? kColors[index].Color : clNone;
}

QString TColorComboBox::ColorToName(TColor c) {
  for (const Entry& e : kColors)
    if (e.Color == c) return QString::fromUtf8(e.Name);
  return QString();
}

TColor TColorComboBox::NameToColor(const QString& name) {
  for (const Entry& e : kColors)
    if (name.compare(QString::fromUtf8(e.Name), Qt::CaseInsensitive) == 0) return e.Color;
  return clBlack;
}

void TColorComboBox::Rebuild() {
  clear();
  for (const Entry& e : kColors) addItem(QString::fromUtf8(e.Name), QVariant::fromValue<uint>(e.Color));
  setCurrentIndex(0);
}

TColor TColorComboBox::ColorValue() const {
  const int i = currentIndex();
  return i >= 0 && i < ColorCount ? kColors[i].Color : mFreeValue;
}

void TColorComboBox::setColorValue(TColor c) {
  int index = -1;
  for (int i = 0; i < ColorCount && index < 0; ++i)
    if (kColors[i].Color == c) index = i;
  if (index < 0) mFreeValue = c;
  setCurrentIndex(index);
  if (ColorValue() != mLastValue) {
    mLastValue = ColorValue();
    Q_EMIT ColorValueChanged(ColorValueQColor());
  }
}

void TColorComboBox::setItemHeight(int h) {
  h = std::max(1, h);
  if (h == mItemHeight) return;
  mItemHeight = h;
  Q_EMIT ItemHeightChanged(h);
  // The list's rows take their height from the delegate: make the view ask again.
  if (view()) view()->reset();
  updateGeometry();
  update();
}

void TColorComboBox::DrawItem(TCanvas& c, const TRect& r, int index, bool selected) const {
  const int h = r.Height(), S = 2 * h;
  c.Font().Assign(mFont.Font());
  c.Brush().SetStyle(bsSolid);
  c.Brush().SetColor(selected ? clHighlight : Color());
  if (selected) c.Font().SetColor(clHighlightText);
  c.FillRect(r);
  const TPen prev = [&] {
    TPen p;
    p.Assign(c.Pen());
    p.SetColor(c.Font().Color());
    return p;
  }();
  c.Pen().SetColor(clWhite);
  c.Rectangle(r.Left + 4, r.Top + 1, r.Left + S - 1, r.Bottom - 1);
  c.Pen().Assign(prev);
  const TColor col = index >= 0 ? ColorAt(index) : mFreeValue;
  c.Brush().SetColor(col);
  c.Rectangle(r.Left + 5, r.Top + 2, r.Left + S - 2, r.Bottom - 2);
  c.Brush().SetStyle(bsClear);
  const QString name = index >= 0 ? ColorName(index) : ColorToString(mFreeValue);
  c.TextOut(r.Left + S + 10, r.Top + std::max(0, (h - c.TextHeight(name)) / 2), name);
}

void TColorComboBox::paintEvent(QPaintEvent*) {
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
