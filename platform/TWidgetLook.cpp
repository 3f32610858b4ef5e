#include "TWidgetLook.h"

#include <QApplication>
#include <QEvent>

namespace Tarnwell {

// ---- font ------------------------------------------------------------------

TControlFont::TControlFont(QWidget* owner, QPalette::ColorRole textRole)
    : QObject(owner), mOwner(owner), mTextRole(textRole) {
  ReadFromWidget();
  mFont.OnChange = [this](TGraphicsObject*) { WriteToWidget(); };
  owner->installEventFilter(this);
}

void TControlFont::ReadFromWidget() {
  mSyncing = true;
  TFont f;
  f.AssignQFont(mOwner->font());
  f.SetOrientation(mFont.Orientation());
  f.SetColor(FromQColor(mOwner->palette().color(mTextRole)));
  // Keep the classic name while the widget still shows what it maps to, so a
  // stored design reads back the name it was given.
  if (mFont.ToQFont().family() == mOwner->font().family()) f.SetName(mFont.Name());
  // A font that reads back to the same height keeps its signed form
  // (a positive cell height stays positive).
  if (mFont.ToQFont().pixelSize() == mOwner->font().pixelSize() && mFont.Height() != 0) f.SetHeight(mFont.Height());
  if (FromQColor(ToQColor(mFont.Color(), mOwner->palette())) == f.Color()) f.SetColor(mFont.Color());
  mFont.Assign(f);
  mSyncing = false;
}

void TControlFont::WriteToWidget() {
  if (mSyncing) return;
  mSyncing = true;
  QFont q = mFont.ToQFont();
  if (q != mOwner->font()) mOwner->setFont(q);
  const QColor text = Tarnwell::ToQColor(mFont.Color(), mOwner->palette());
  if (mOwner->palette().color(mTextRole) != text) {
    QPalette p = mOwner->palette();
    p.setColor(mTextRole, text);
    mOwner->setPalette(p);
  }
  mSyncing = false;
  if (changed) changed();
}

bool TControlFont::eventFilter(QObject* watched, QEvent* event) {
  if (watched == mOwner && !mSyncing &&
      (event->type() == QEvent::FontChange || event->type() == QEvent::PaletteChange)) {
    const TFont before(mFont);
    ReadFromWidget();
    if (!(before == mFont) && changed) changed();
  }
  return false;
}

// ---- colour ----------------------------------------------------------------

TControlColor::TControlColor(QWidget* owner, TColor defaultColor, QPalette::ColorRole role)
    : QObject(owner), mOwner(owner), mRole(role), mColor(defaultColor) {
  owner->installEventFilter(this);
}

void TControlColor::WhenColorChanges(std::function<void()> fn) {
  changed = [this, fn = std::move(fn), shown = Color()]() mutable {
    const TColor now = Color();
    if (now == shown) return;
    shown = now;
    fn();
  };
}

QPalette::ColorRole TControlColor::Role() const {
  return mRole == QPalette::NoRole ? mOwner->backgroundRole() : mRole;
}

TColor TControlColor::Color() const {
  const QPalette& pal = mOwner->palette();
  const QColor now = pal.color(Role());
  // Somebody else set the role (setPalette, a style sheet, a parent):
  // the widget's own colour wins.
  if (pal.isBrushSet(QPalette::Active, Role()) && now != mWritten) return FromQColor(now);
  return mColor;
}

QColor TControlColor::ToQColor() const { return Tarnwell::ToQColor(Color(), mOwner->palette()); }

void TControlColor::SetColor(TColor c) {
  if (c == mColor && Color() == c) return;
  mColor = c;
  Apply();
  if (changed) changed();
}

void TControlColor::Apply() {
  mSyncing = true;
  const QColor q = Tarnwell::ToQColor(mColor, QGuiApplication::palette());
  QPalette p = mOwner->palette();
  p.setColor(Role(), q);
  mWritten = q;
  mOwner->setPalette(p);
  mSyncing = false;
}

bool TControlColor::eventFilter(QObject* watched, QEvent* event) {
  if (watched != mOwner || mSyncing) return false;
  if (event->type() == QEvent::ApplicationPaletteChange && mWritten.isValid() && IsSystemColor(mColor) &&
      mOwner->palette().color(Role()) == mWritten) {
    Apply();  // a system colour follows the new theme
    if (changed) changed();
  } else if (event->type() == QEvent::PaletteChange && changed) {
    changed();
  }
  return false;
}

}  // namespace Tarnwell
