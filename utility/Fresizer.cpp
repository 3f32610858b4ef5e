#include "Fresizer.h"

#include <QFont>
#include <QMdiSubWindow>
#include <QVariant>
#include <algorithm>

#include <Tarnwell/platform/TFormSize.h>
#include <Tarnwell/platform/TControls.h>
#include <Tarnwell/platform/TTypes.h>

namespace Tarnwell {

TFormResizer::TFormResizer(TForm* owner) : QObject(owner), mForm(owner) {
  if (owner) {
    const QSize s = owner->DesignSize().isValid() && !owner->DesignSize().isEmpty() ? DesignClientSize(owner)
                                                                                    : owner->size();
    mMinFormHeight = s.height();
    mMinFormWidth = s.width();
  }
}

int TFormResizer::TagOf(const QObject* o) {
  const QVariant v = o->property("Tag");
  return v.isValid() ? v.toInt() : 0;
}

int TFormResizer::FontSizeOf(const QWidget* w) {
  const QFont f = w->font();
  if (f.pointSize() > 0) return f.pointSize();
  if (f.pixelSize() > 0) return nearest(f.pixelSize() * 72.0 / 96.0);
  return 0;
}

void TFormResizer::SetFontSizeOf(QWidget* w, int points) {
  points = std::max(1, points);
  QFont f = w->font();
  if (f.pointSize() <= 0 && f.pixelSize() > 0)
    f.setPixelSize(std::max(1, nearest(points * 96.0 / 72.0)));
  else
    f.setPointSize(points);
  w->setFont(f);
}

void TFormResizer::Capture() {
  mH0 = mForm->height();
  mW0 = mForm->width();
  mBounds.clear();
  const QList<QObject*> comps = mForm->Components();
  for (int i = 0; i < comps.size() && i < MaxComponents; ++i) {
    CapturedBounds c;
    if (auto* w = qobject_cast<QWidget*>(comps[i])) {
      c.Control = w;
      c.Left = w->x();
      c.Top = w->y();
      c.Height = w->height();
      c.Width = w->width();
      c.FontSize = FontSizeOf(w);
    }
    mBounds.push_back(c);
  }
  mCaptured = true;
}

bool TFormResizer::Resize() {
  if (!mActive || !mForm) return false;
  // Correcting the form's size below resizes it again, which calls us again.
  if (mInResize) return true;
  mInResize = true;
  struct Reset {
    bool& flag;
    ~Reset() { flag = false; }
  } reset{mInResize};

  if (!mCaptured) {
    // A form that has not been laid out yet has no size to scale from.
    if (mForm->height() <= 0 || mForm->width() <= 0) return false;
    Capture();
  }
  mValid = false;
  int H = mForm->height(), W = mForm->width();
  const int fixedH = std::max({H, 10, mMinFormHeight}), fixedW = std::max({W, 10, mMinFormWidth});
  if (fixedH != H || fixedW != W) {
    // Inside a frame window (an MDI child) the frame is what the user drags:
    // growing the form alone would leave it cut off by the frame, so the
    // frame snaps back around the corrected client size.
    QWidget* frame = mForm->parentWidget();
    if (frame && qobject_cast<QMdiSubWindow*>(frame))
      frame->resize(frame->size() + QSize(fixedW - W, fixedH - H));
    if (mForm->size() != QSize(fixedW, fixedH)) mForm->resize(fixedW, fixedH);
    H = fixedH;
    W = fixedW;
  }
  mRy = double(mH0) / H;
  mRx = double(mW0) / W;
  mValid = true;

  const QList<QObject*> comps = mForm->Components();
  const double fontRatio = (mRy + mRx) / 2;
  for (int i = 0; i < comps.size() && i < MaxComponents && i < int(mBounds.size()); ++i) {
    const CapturedBounds& c = mBounds[size_t(i)];
    QWidget* w = c.Control;
    if (!w || w != comps[i]) continue;  // added after the capture, or gone
    const int t = TagOf(w);
    if (t == mZNoThing) continue;
    QRect g = w->geometry();
    if (t != mZNoMove && t != mZNoReDimV) g.moveTop(nearest(c.Top / mRy));
    if (t != mZNoMove && t != mZNoReDimO) g.moveLeft(nearest(c.Left / mRx));
    if (t != mZNoReDim && t != mZNoReDimV) g.setHeight(nearest(c.Height / mRy));
    if (t != mZNoReDim && t != mZNoReDimO) g.setWidth(nearest(c.Width / mRx));
    w->setGeometry(g);
    if (mFontResizer && c.FontSize > 0 && t != mZNoChFont && t != mZNoReDim && t != mZNoReDimV &&
        t != mZNoReDimO) {
      int size = std::max(1, nearest(c.FontSize / fontRatio));
      if (mMaxFontSize > 0 && size > mMaxFontSize) size = mMaxFontSize;
      if (size != FontSizeOf(w)) SetFontSizeOf(w, size);
    }
  }
  return true;
}

}  // namespace Tarnwell
