#include "Polygon.h"

#include <QPaintEvent>
#include <QPainter>
#include <QPainterPath>
#include <chrono>

#include <Tarnwell/platform/TCanvas.h>
#include <Tarnwell/platform/TPixelRatio.h>

#include <Tarnwell/platform/TAccessible.h>

TARNWELL_LIBRARY_ACCESSIBLE(space3d)

namespace Tarnwell {

// ------------------------------------------------------------ the animator

TPolyAnimatorThread::TPolyAnimatorThread(TAnimatedPolygon* owner)
    : TThread(true),
      mOwner(owner),
      mRandom(std::uint32_t(std::chrono::steady_clock::now().time_since_epoch().count())) {
  for (int i = 1; i <= 2; ++i) {
    mFrames[1][i] = {Random(1, 50), Random(1, 50)};
    mVel[i] = {Random(-5, 5), Random(-5, 5)};
  }
  mFrames[1][mN] = mFrames[1][1];
}

int TPolyAnimatorThread::Random(int lo, int hi) {
  if (hi <= lo) return lo;
  return std::uniform_int_distribution<int>(lo, hi)(mRandom);
}

void TPolyAnimatorThread::Configure(QImage* canvas, const QSize& clip, TColor lineColor, bool bezier,
                                    int lineWidth, int lates, int lines, int velocity, TColor backColor) {
  mCanvas = canvas;
  mClip = clip;
  mLineColor = lineColor;
  mBackColor = backColor;
  mBezier = bezier;
  mCopies = lineWidth;
  mTrail = lines;
  mDelay = 200 - velocity;
  // Animation restarts in frame 2; the vertices keep the places they had.
  if (mCurrent != 2)
    for (int i = 1; i <= kMaxPoints; ++i) mFrames[2][i] = mFrames[mCurrent][i];
  mCurrent = 2;
  if (lates + 1 != mN) {
    mN = lates + 1;
    for (int i = 2; i <= mN - 1; ++i) {
      // A control of width or height 2 or less still gets valid positions.
      mFrames[mCurrent][i] = {Random(1, mClip.width() - 2), Random(1, mClip.height() - 2)};
      mVel[i] = {Random(-5, 5), Random(-5, 5)};
    }
    mFrames[mCurrent][mN] = mFrames[mCurrent][1];
  }
}

void TPolyAnimatorThread::StepFrame() {
  mPrevious = mCurrent;
  mCurrent = mCurrent % kFrames + 1;
  // The control's current size: it may have changed since Configure.
  const QSize clip = mOwner ? mOwner->size() : mClip;
  const int right = clip.width(), bottom = clip.height();
  const int speed = 3 * mN;
  for (int i = 1; i <= mN - 1; ++i) {
    TPolyPoint p = mFrames[mPrevious][i];
    p.X += mVel[i].X;
    p.Y += mVel[i].Y;
    if (p.X < 0) {
      mVel[i].X = Random(1, speed);
      p.X = 1;
    } else if (p.X > right - 1) {
      mVel[i].X = Random(-speed, -1);
      p.X = std::max(right - 2, 0);
    }
    if (p.Y < 0) {
      mVel[i].Y = Random(1, speed);
      p.Y = 1;
    } else if (p.Y > bottom - 1) {
      mVel[i].Y = Random(-speed, -1);
      p.Y = std::max(bottom - 2, 0);
    }
    mFrames[mCurrent][i] = p;
  }
  mFrames[mCurrent][mN] = mFrames[mCurrent][1];
  mFrames[mCurrent][mN + 1] = mFrames[mCurrent][2];
  DrawFrame(mCurrent, mLineColor, true);
}

void TPolyAnimatorThread::EraseOldFrame() {
  int old = mCurrent - mTrail + 1;
  while (old < 1) old += kFrames;
  DrawFrame(old, mBackColor, false);
}

void TPolyAnimatorThread::DrawFrame(int f, TColor color, bool fresh) {
  if (!mCanvas || mCanvas->isNull()) return;
  TCanvas canvas(mCanvas);
  canvas.Pen().SetColor(color);
  canvas.Pen().SetWidth(1);
  if (!mBezier && mCanvas->devicePixelRatio() != 1) {
    // On a high-density screen the polyline is one stroke at the screen's
    // resolution through the pixel centres, a logical pixel wide. Aliased,
    // so that the same stroke in the background colour erases exactly what
    // it drew (a smooth edge would leave a ghost of every frame).
    QPainter* p = canvas.Painter();
    if (!p) return;
    p->setRenderHint(QPainter::Antialiasing, false);
    p->setBrush(Qt::NoBrush);
    p->setPen(QPen(ToQColor(color), 1, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    for (int k = 0; k < mCopies; ++k) {
      QPolygonF line;
      for (int i = 1; i <= mN; ++i) line << QPointF(mFrames[f][i].X + k + 0.5, mFrames[f][i].Y + k + 0.5);
      p->drawPolyline(line);
    }
    return;
  }
  if (!mBezier) {
    // Wider lines are diagonal offset copies of the polyline.
    for (int k = 0; k < mCopies; ++k) {
      canvas.MoveTo(mFrames[f][1].X + k, mFrames[f][1].Y + k);
      for (int i = 2; i <= mN; ++i) canvas.LineTo(mFrames[f][i].X + k, mFrames[f][i].Y + k);
    }
    return;
  }
  if (fresh) {
    // The curve through the edge midpoints: each vertex is the middle
    // control of one cubic segment from midpoint to midpoint.
    auto mid = [](TPolyPoint a, TPolyPoint b) { return TPolyPoint{(a.X + b.X) / 2, (a.Y + b.Y) / 2}; };
    int n = 0;
    for (int j = 1; j <= mN - 1; ++j) {
      const TPolyPoint p = mFrames[f][j], q = mFrames[f][j + 1], r = mFrames[f][j + 2];
      const TPolyPoint m1 = mid(p, q), m2 = mid(q, r);
      if (j == 1) mCurve[f][n++] = m1;
      mCurve[f][n++] = mid(m1, q);
      mCurve[f][n++] = mid(q, m2);
      mCurve[f][n++] = m2;
    }
    mCurveCount[f] = n;
  }
  const int n = mCurveCount[f];
  if (n < 4) return;
  QPainterPath path(QPointF(mCurve[f][0].X, mCurve[f][0].Y));
  for (int i = 1; i + 2 < n; i += 3)
    path.cubicTo(mCurve[f][i].X, mCurve[f][i].Y, mCurve[f][i + 1].X, mCurve[f][i + 1].Y, mCurve[f][i + 2].X,
                 mCurve[f][i + 2].Y);
  QPainter* p = canvas.Painter();
  p->setRenderHint(QPainter::Antialiasing, false);
  p->setBrush(Qt::NoBrush);
  p->setPen(QPen(ToQColor(color), 1));
  p->drawPath(path);
}

void TPolyAnimatorThread::Execute() {
  // The worker only paces: the steps run on the GUI thread, and a step
  // requested while the control goes away is dropped.
  while (!Terminated()) {
    if (!Synchronize([this] {
          if (mOwner) {
            StepFrame();
            mOwner->FrameDrawn();
          }
        }))
      break;
    if (!Sleep(mDelay)) break;
    if (!Synchronize([this] {
          if (mOwner) {
            EraseOldFrame();
            mOwner->update();
          }
        }))
      break;
  }
}

// -------------------------------------------------------------- the control

TAnimatedPolygon::TAnimatedPolygon(QWidget* parent) : QWidget(parent) {
  setAttribute(Qt::WA_OpaquePaintEvent);
  setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Expanding);
  resize(50, 50);
  mThread = std::make_unique<TPolyAnimatorThread>(this);
  mThread->SetPriority(tpIdle);
}

TAnimatedPolygon::~TAnimatedPolygon() {
  // Wait for the worker before the canvas goes: a step it still asks for is
  // dropped, and the detached animator could not reach this control anyway.
  mThread->Detach();
  mThread->Terminate();
  mThread->WaitFor();
  mThread.reset();
}

bool TAnimatedPolygon::CanvasFits() const {
  return mCanvasRatio == devicePixelRatioF() && mCanvas.size() == InDevicePixels(size(), mCanvasRatio);
}

void TAnimatedPolygon::ClearCanvas(bool repaint) {
  // The frames are drawn for the screen the control is on, at its
  // resolution; the thread reads nothing of the screen itself.
  if (!CanvasFits()) {
    mCanvasRatio = devicePixelRatioF();
    mCanvas = QImage(InDevicePixels(size(), mCanvasRatio), QImage::Format_RGB32);
    mCanvas.setDevicePixelRatio(mCanvasRatio);
  }
  if (!mCanvas.isNull()) mCanvas.fill(ToQColor(mBackColor));
  if (repaint) update();
}

void TAnimatedPolygon::Configure() {
  if (!CanvasFits()) ClearCanvas();
  mThread->Configure(&mCanvas, size(), mLineColor, mBezier, mLineWidth, mLates, mLines, mVelocity,
                     mBackColor);
}

void TAnimatedPolygon::setActive(bool on) {
  if (on == mActive) return;
  ClearCanvas();
  mActive = on;
  if (!on) {
    mThread->Suspend();
  } else {
    Configure();
    mThread->Resume();
  }
}

void TAnimatedPolygon::Restart() {
  // An inactive control takes the new settings without starting to move.
  mThread->Suspend();
  Configure();
  ClearCanvas();
  if (mActive) mThread->Resume();
}

void TAnimatedPolygon::FrameDrawn() {
  ++mFrameCount;
  update();
}

void TAnimatedPolygon::resizeEvent(QResizeEvent*) {
  ClearCanvas();
  mThread->Configure(&mCanvas, size(), mLineColor, mBezier, mLineWidth, mLates, mLines, mVelocity,
                     mBackColor);
}

bool TAnimatedPolygon::event(QEvent* e) {
  // Moved to a screen of another pixel ratio: the next paint starts the
  // trail again at the new resolution.
  if (e->type() == QEvent::ScreenChangeInternal) update();
  return QWidget::event(e);
}

void TAnimatedPolygon::paintEvent(QPaintEvent*) {
  // A canvas of another screen: cleared at this screen's resolution (the
  // vertices go on from where they are).
  if (!CanvasFits()) ClearCanvas(false);
  QPainter p(this);
  if (CanvasFits())
    p.drawImage(0, 0, mCanvas);
  else
    p.fillRect(rect(), ToQColor(mBackColor));
}

}  // namespace Tarnwell
