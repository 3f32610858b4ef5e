#include <QMouseEvent>
#include <QPainter>
#include <QTreeWidgetItem>

#include "SldBBar.h"

#include <Tarnwell/platform/TAccessible.h>
#include <Tarnwell/platform/TPixelRatio.h>

TARNWELL_LIBRARY_ACCESSIBLE(slide)

namespace Tarnwell {

// ---- TSlideMenuItem --------------------------------------------------------------

TSlideMenuItem TSlideMenuItem::Parse(const QString& line, int position) {
  TSlideMenuItem item;
  const QStringList f = line.split(QLatin1Char('|'));
  if (f.size() > 0) item.Caption = f[0].trimmed();
  if (f.size() > 1) item.Enabled = f[1].trimmed().toUpper() == QLatin1String("TRUE");
  if (f.size() > 2) item.CheckMark = f[2].trimmed().toUpper() == QLatin1String("TRUE");
  if (f.size() > 3) {
    bool ok = false;
    const int n = f[3].trimmed().toInt(&ok, 10);
    item.ImageIndex = ok ? n : -1;
  }
  if (item.ImageIndex == -1) item.ImageIndex = position;
  return item;
}

QString TSlideMenuItem::Line() const {
  auto b = [](bool v) { return v ? QStringLiteral("True") : QStringLiteral("False"); };
  return Caption + QStringLiteral(" | ") + b(Enabled) + QStringLiteral(" | ") + b(CheckMark) + QStringLiteral(" | ") +
         QString::number(ImageIndex);
}

// ---- TSlideMenu ------------------------------------------------------------------

TSlideMenu::TSlideMenu(QWidget* parent) : TSlideButtonBar(parent) {
  mFrameInShades = true;
  resize(120, 24);
}

QStringList TSlideMenu::Items() const {
  if (mItems.isEmpty() || (mHasParsed && !mParsed.isEmpty())) {
    QStringList lines;
    for (const TSlideMenuItem& it : mParsed) lines << it.Line();
    return lines;
  }
  return mItems;
}

void TSlideMenu::setItems(QStringList value) {
  if (value == mItems || value == Items()) return;
  mParsed.clear();
  mHasParsed = false;
  mItems = std::move(value);
  InvalidateUnlessCustom();
  Q_EMIT ItemsChanged(mItems);
}

void TSlideMenu::Parse() {
  if (mHasParsed) return;
  mParsed.clear();
  for (int i = 0; i < mItems.size(); ++i) {
    mParsed.append(TSlideMenuItem::Parse(mItems[i], i));
    if (i >= mHints.size()) mHints.append(QString());
  }
  mHasParsed = true;
}

const QList<TSlideMenuItem>& TSlideMenu::ParsedItems() {
  Parse();
  return mParsed;
}

bool TSlideMenu::Clickable(int index) {
  if (mCustom) return index >= 0 && index <= mButtonCount;
  index = Reported(index);
  Parse();
  return index >= 0 && index < mParsed.size() && index < mButtonCount && !mParsed[index].IsSeparator() &&
         mParsed[index].Enabled;
}

void TSlideMenu::ActiveChanged_() {
  Parse();
  if (!mParsed.isEmpty()) mParsed[0].Enabled = mActive;
  InvalidateUnlessCustom();
}

TSlideImageList* TSlideMenu::ImageList() const { return mImageList; }
void TSlideMenu::setImageList(TSlideImageList* value) {
  if (mImageList == value) return;
  mImageList = value;
  InvalidateUnlessCustom();
  Q_EMIT ImageListChanged(value);
}

TPatternHolder* TSlideMenu::PatternHolder() const { return mPatternHolder; }
void TSlideMenu::setPatternHolder(TPatternHolder* value) {
  if (mPatternHolder == value) return;
  disconnect(mHolderConn);
  mPatternHolder = value;
  if (value) {
    value->BuildTiled(false);
    mHolderConn = connect(value, &TPatternHolder::Changed, this, [this] { InvalidateUnlessCustom(); });
  }
  InvalidateUnlessCustom();
  Q_EMIT PatternHolderChanged(value);
}

void TSlideMenu::setDirection(TSlideMDirection value) {
  if (value == mMenuDirection) return;
  mMenuDirection = value;
  update();
  Q_EMIT DirectionChanged(value);
}

void TSlideMenu::InvalidateUnlessCustom() {
  if (!mCustom) Invalidate();
}

void TSlideMenu::Invalidate() {
  mPaintValid = false;
  // The strip is rebuilt here rather than while painting, because building
  // it may change the menu's width (and so its neighbours' places).
  if (!mCustom) BuildStrip();
  update();
}

void TSlideMenu::TakeDesignHeight() {
  if (mDesignHeightTaken) return;
  mDesignHeight = height();
  mDesignHeightTaken = true;
}

void TSlideMenu::showEvent(QShowEvent* e) {
  TSlideButtonBar::showEvent(e);
  TakeDesignHeight();
  // The pattern is anchored to where the menu now stands.
  if (mPatternHolder && !mCustom) Invalidate();
}

void TSlideMenu::AutoWidth() {
  if (mCustom) return;
  TCanvas measure;
  measure.Font().Assign(Font());
  const int a = mImageList ? mImageList->Width() * 4 / 3 + 20 : 20;
  int w = 50;
  const int n = std::min<int>(int(mParsed.size()), mButtonCount);
  for (int i = 0; i < n; ++i)
    if (!mParsed[i].IsSeparator()) w = std::max(w, a + measure.TextWidth(mParsed[i].Caption));
  if (w != width()) resize(w, height());
  ArrangeNext();
}

void TSlideMenu::ArrangeNext() {
  // Each menu once, also when the chain runs in a circle.
  const QList<TSlideButtonBar*> chain = Chain();
  for (int i = 0; i + 1 < chain.size(); ++i) chain[i + 1]->move(chain[i]->x() + chain[i]->width(), chain[i + 1]->y());
}

void TSlideMenu::BuildStrip() {
  if (mCustom) return;
  Parse();
  TakeDesignHeight();
  AutoWidth();
  mItemHeight = mDesignHeight;
  mSharpStrip = TBitmap();
  if (width() <= 0 || mItemHeight <= 0) return;
  ComposeStrip(mBitmap, 1);
  mButtonWidth = width();
  mButtonHeight = mItemHeight;
  mPaintValid = true;
}

void TSlideMenu::ComposeStrip(TBitmap& into, qreal ratio) {
  const int W = width(), IH = mItemHeight, BH = IH * mButtonCount;
  QImage img(InDevicePixels(QSize(W, BH), ratio), QImage::Format_RGB32);
  img.setDevicePixelRatio(ratio);
  img.fill(ToQColor(Color(), palette()));
  into.Assign(img);
  TCanvas& c = into.Canvas();
  c.SetPalette(palette());
  if (mPatternHolder && mPatternHolder->Active()) mPatternHolder->PaintControl(this, c, TRect(0, 0, W, BH));
  TRect title(0, 0, W, IH), body(0, IH, W, BH);
  c.Frame3D(title, mHighlightColor, mShadowColor, BevelWidth());
  c.Frame3D(body, mHighlightColor, mShadowColor, BevelWidth());
  const int tx = mImageList ? mImageList->Width() * 4 / 3 + 10 : 10;
  c.Font().Assign(Font());
  const TColor fontColor = c.Font().Color();
  c.Brush().SetStyle(mTextTransparent ? bsClear : bsSolid);
  c.Brush().SetColor(Color());
  const int n = std::min<int>(int(mParsed.size()), mButtonCount);
  for (int i = 0; i < n; ++i) {
    const TSlideMenuItem& it = mParsed[i];
    const int yi = i * IH, m = yi + IH / 2;
    if (it.IsSeparator()) {
      c.Pen().SetWidth(1);
      c.Pen().SetColor(mShadowColor);
      c.MoveTo(1, m);
      c.LineTo(W - 1, m);
      c.Pen().SetColor(mHighlightColor);
      c.MoveTo(1, m + 1);
      c.LineTo(W - 1, m + 1);
      continue;
    }
    if (it.CheckMark) {
      c.Pen().SetWidth(2);
      c.Pen().SetColor(clBlack);
      c.MoveTo(3, m);
      c.LineTo(7, m + IH / 3);
      c.LineTo(11, m - IH / 3);
      c.Pen().SetWidth(1);
    }
    if (mImageList) {
      const QImage pic = mImageList->Image(it.ImageIndex == -1 ? i : it.ImageIndex);
      if (!pic.isNull()) c.Draw(10, yi + (IH - pic.height()) / 2, pic);
    }
    if (!it.Enabled) c.Font().SetColor(mDisabledColor);
    c.TextOut(tx, yi + (Font().Height() + IH) / 2, it.Caption);
    c.Font().SetColor(fontColor);
  }
  c.Release();
}

void TSlideMenu::Paint(TCanvas& canvas) {
  QPainter& p = *canvas.Painter();
  const int W = width(), H = height();
  if (mBitmap.Empty()) {
    p.fillRect(rect(), ToQColor(clBtnFace, palette()));
    TRect r(0, 0, W, H);
    canvas.Frame3D(r, clBtnHighlight, clBtnShadow, 1);
    return;
  }
  const QImage& strip = mBitmap.Image();
  const int BH = BitmapHeight();
  const int IH = mCustom ? (mButtonCount > 0 ? BH / mButtonCount : BH) : mItemHeight;
  if (W > BitmapWidth() || H > BH) p.fillRect(rect(), ToQColor(Color(), palette()));
  // Above ratio 1 the items' strip is composed at the device's resolution
  // (a picture given as the strip stays as it is).
  const qreal ratio = PixelRatio(p);
  const bool sharp = !mCustom && ratio != 1;
  if (sharp && mSharpStrip.Image().devicePixelRatio() != ratio) ComposeStrip(mSharpStrip, ratio);
  const QImage& img = sharp ? mSharpStrip.Image() : strip;
  // Source rectangles in the strip's own pixels (a custom strip may be a
  // picture made for a high-density screen).
  auto src = [&img](int x, int y, int w, int h) { return StripPixels(img, QRect(x, y, w, h)); };
  if (mMenuDirection == slbToDown) {
    p.drawImage(QRect(0, IH, W, H - IH), img, src(0, BH + IH - H, W, H - IH));
    p.drawImage(QRect(0, 0, W, IH), img, src(0, 0, W, IH));
  } else {
    p.drawImage(QRect(0, 0, W, H - IH), img, src(0, IH, W, H - IH));
    p.drawImage(QRect(0, H - IH, W, IH), img, src(0, 0, W, IH));
  }
  PaintFrame(p);
}

void TSlideMenu::Step() {
  if (mCustom && !mDesignHeightTaken) TakeDesignHeight();
  if (mCustom) mItemHeight = mButtonCount > 0 ? BitmapHeight() / mButtonCount : 0;
  if (!mActive || mBitmap.Empty() || mItemHeight <= 0) {
    PauseTimer();
    return;
  }
  const int bh = BitmapHeight(), IH = mItemHeight;
  const int top = y(), h = height();
  if (!mBottomTaken) {
    mBottomEdge = top + h;
    mBottomTaken = true;
  }
  const bool up = mMenuDirection == slbToUp;
  if (mHot) {
    if (h == IH) FireSlideOpen();
    if (h < bh - mStepOut)
      setGeometry(x(), up ? top - mStepOut : top, width(), h + mStepOut);
    else if (h < bh)
      setGeometry(x(), up ? mBottomEdge - bh : top, width(), bh);
    return;
  }
  if (mPressed) return;
  if (mCloseNow) {
    mFrameShown = false;
    setGeometry(x(), up ? mBottomEdge - IH : top, width(), IH);
    mCloseNow = false;
    if (mMenuManager && mMenuManager->Active()) mMenuManager->HideMenus();
    PauseTimer();
  } else if (IH + mStepIn < h) {
    mFrameShown = false;
    setGeometry(x(), up ? top + mStepIn : top, width(), h - mStepIn);
  } else if (h < IH) {
    PauseTimer();
  } else {
    mFrameShown = false;
    setGeometry(x(), up ? mBottomEdge - IH : top, width(), IH);
    PauseTimer();
  }
}

int TSlideMenu::ButtonAt(int, int y) const {
  const int IH = mCustom ? (mButtonCount > 0 ? BitmapHeight() / mButtonCount : 0) : mItemHeight;
  if (IH <= 0) return -1;
  return y / IH + (mMenuDirection == slbToUp ? 1 : 0);
}

TRect TSlideMenu::ButtonRect(int index) const {
  const int IH = mCustom ? (mButtonCount > 0 ? BitmapHeight() / mButtonCount : 0) : mItemHeight;
  const int k = mMenuDirection == slbToDown ? index : index - 1;
  return TRect(0, k * IH, width(), k * IH + IH);
}

TRect TSlideMenu::FrameRect(int index) const {
  TRect r = ButtonRect(index);
  InflateRect(r, -mBtnOffSet, -1);
  return r;
}

void TSlideMenu::mouseReleaseEvent(QMouseEvent* e) {
  if (KeyModeOn() || width() < BitmapWidth()) return;
  const QPoint pt = e->position().toPoint();
  const int index = mHotIndex;  // taken before anything resets it
  const bool wasPressed = mPressed;
  if (e->button() == Qt::LeftButton && index >= 0) DrawButtonState(false);
  TW_FIRE(OnButtonUp, ButtonUp, this, Reported(index), e->button(), e->modifiers(), pt.x(), pt.y());
  mPressed = false;
  if (e->button() == Qt::LeftButton && wasPressed && index >= 0 && index == mPressedIndex && Clickable(index) &&
      ButtonRect(index).Contains(pt)) {
    if (mCloseOnClick) {
      mCloseNow = true;
      mHot = false;
    }
    FireButtonClick(index);
  }
  mHotIndex = -1;
  mPressedIndex = -1;
}

// ---- keyboard ----------------------------------------------------------------------

void TSlideMenu::FocusBar() {
  mHot = true;
  mKeyFocus = true;
  if (!mActive) return;
  ResumeTimer();
  mHotIndex = 0;
  DrawButtonState(false);
  ShowButtonHint(0);
  FireButtonMove(0, {}, mHotRect.Left, mHotRect.Top);
}

void TSlideMenu::KeyMove(int delta) {
  const int last = delta < 0 ? 0 : mButtonCount - 1;
  auto canMove = [&] { return delta < 0 ? mHotIndex > last : mHotIndex < last; };
  if (canMove()) {
    mHotIndex += delta;
    // One separator or disabled item is stepped over per key press.
    if (!mCustom && !Clickable(mHotIndex) && canMove()) mHotIndex += delta;
  }
  DrawButtonState(false);
  ShowButtonHint(mHotIndex);
  FireButtonMove(mHotIndex, {}, mHotRect.Left, mHotRect.Top);
}

void TSlideMenu::KeyDispatch(TSlideMenu* prior, int key) {
  // Walked as a loop over the chain (each menu once), not by recursion.
  for (TSlideButtonBar* bar : Chain()) {
    auto* m = qobject_cast<TSlideMenu*>(bar);
    if (!m) return;
    if (!m->mKeyFocus) {
      m->mHot = false;
      prior = m;
      continue;
    }
    switch (key) {
      case vkReturn: {
        m->mKeyFocus = false;
        m->mCloseNow = m->mCloseOnClick;
        m->mHot = false;
        // A separator, a disabled or a missing item closes without a click,
        // as the mouse does.
        const int index = m->mHotIndex;
        if (m->Clickable(index)) m->FireButtonClick(index);
        break;
      }
      case vkEnd:
        m->mHot = false;
        m->mKeyFocus = false;
        break;
      case vkLeft:
        if (prior && prior != m) {
          m->mHot = false;
          m->mKeyFocus = false;
          prior->FocusBar();
        }
        break;
      case vkRight:
        if (auto* next = qobject_cast<TSlideMenu*>(m->mMenuNext.data()); next && next != m) {
          m->mHot = false;
          m->mKeyFocus = false;
          next->FocusBar();
        }
        break;
      case vkUp: m->KeyMove(-1); break;
      case vkDown: m->KeyMove(+1); break;
      default: break;
    }
    return;
  }
}

// ---- tree export -------------------------------------------------------------------

QTreeWidgetItem* TSlideMenu::AddToTree(QTreeWidgetItem* parent, TSlideImageList& images) {
  Parse();
  if (mParsed.isEmpty() || !mActive) return nullptr;
  const int base = images.Count();
  if (mImageList)
    for (int i = 0; i < mImageList->Count(); ++i) images.Add(mImageList->Image(i));
  auto iconOf = [&](int imageIndex) { return QIcon(QPixmap::fromImage(images.Image(base + imageIndex))); };
  const QVariant self = QVariant::fromValue(static_cast<QObject*>(this));
  auto* node = new QTreeWidgetItem(parent, QStringList{mParsed[0].Caption});
  node->setIcon(0, iconOf(mParsed[0].ImageIndex));
  node->setData(0, Qt::UserRole, self);
  // Only the items the menu shows (ButtonCount of them) are exported.
  const int n = std::min<int>(int(mParsed.size()), mButtonCount);
  for (int i = 1; i < n; ++i) {
    const TSlideMenuItem& it = mParsed[i];
    QString text = it.IsSeparator() ? QStringLiteral("-------------------") : it.Enabled ? it.Caption : QStringLiteral(" ");
    auto* child = new QTreeWidgetItem(node, QStringList{text});
    child->setIcon(0, iconOf(it.ImageIndex));
    if (!it.IsSeparator() && it.Enabled) child->setData(0, Qt::UserRole, self);
  }
  return node;
}

}  // namespace Tarnwell
