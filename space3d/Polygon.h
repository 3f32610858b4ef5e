#pragma once
// TAnimatedPolygon: a closed polygon (or a smooth closed curve through its
// edge midpoints) whose vertices drift across the control and bounce off its
// edges, leaving a trail of its last positions. A worker thread paces the
// animation; every step that moves vertices or draws runs on the GUI thread
// (through Synchronize), so the worker never touches the control itself.

#include <QColor>
#include <QImage>
#include <QWidget>
#include <algorithm>
#include <atomic>
#include <memory>
#include <random>

#include <Tarnwell/platform/TColor.h>
#include <Tarnwell/platform/TProperty.h>
#include <Tarnwell/platform/TThread.h>
#include <Tarnwell/platform/TTypes.h>
#include <Tarnwell/TarnwellExport.h>

namespace Tarnwell {

// Access to internal counters for the tests (defined in the *_p.h header).
template <class T>
struct TProbe;

class TAnimatedPolygon;

// A point of the animated polygon, in control pixels.
struct TARNWELL_SPACE3D_EXPORT TPolyPoint {
  int X = 0, Y = 0;
};

// The timer thread that moves the points of an animated polygon.
class TARNWELL_SPACE3D_EXPORT TPolyAnimatorThread : public TThread {
 public:
  static constexpr int kFrames = 32;
  static constexpr int kMaxPoints = 18;
  static constexpr int kMaxCurve = 51;

  explicit TPolyAnimatorThread(TAnimatedPolygon* owner);

  // Takes the settings; a new number of vertices re-places vertices 2 and up
  // at random inside clip (vertex 1 keeps its place). GUI thread only.
  void Configure(QImage* canvas, const QSize& clip, TColor lineColor, bool bezier, int lineWidth, int lates,
                 int lines, int velocity, TColor backColor);
  // One cycle's two halves, on the GUI thread: move and draw the new frame;
  // erase the frame that falls off the trail.
  void StepFrame();
  void EraseOldFrame();

  int Delay() const { return mDelay; }
  int N() const { return mN; }
  int Current() const { return mCurrent; }
  // Frame f (1..32), point i (1..N+1).
  TPolyPoint Point(int f, int i) const { return mFrames[f][i]; }
  TPolyPoint Velocity(int i) const { return mVel[i]; }
  void SetVelocity(int i, TPolyPoint v) { mVel[i] = v; }
  void SetPoint(int f, int i, TPolyPoint p) { mFrames[f][i] = p; }
  int CurveCount(int f) const { return mCurveCount[f]; }
  // Ends the cycle without calling the owner (the owner is going away).
  void Detach() { mOwner = nullptr; }

 protected:
  void Execute() override;

 private:
  int Random(int lo, int hi);  // inclusive; an empty range gives lo
  void DrawFrame(int f, TColor color, bool fresh);

  TAnimatedPolygon* mOwner;
  QImage* mCanvas = nullptr;
  QSize mClip{50, 50};
  TColor mLineColor = clRed, mBackColor = clBlack;
  std::atomic<int> mDelay{100};
  int mTrail = 1;
  int mCopies = 1;
  int mN = 3;
  bool mBezier = false;
  int mCurrent = 1, mPrevious = 1;
  TPolyPoint mFrames[kFrames + 1][kMaxPoints + 1];
  TPolyPoint mVel[kMaxPoints + 1];
  TPolyPoint mCurve[kFrames + 1][kMaxCurve];
  int mCurveCount[kFrames + 1] = {};
  std::mt19937 mRandom;
};

// A control that draws an animated polygon and Bezier lines, moved by a timer thread.
class TARNWELL_SPACE3D_EXPORT TAnimatedPolygon : public QWidget {
  Q_OBJECT
  // Every change restarts the animation with the new settings. The declared
  // defaults (RESET) are the values a new control starts with, so that a
  // stored design holding one of them reads back what was designed.
  TW_COLOR_PROPERTY_DEFAULT(LineColor, clRed, Restart())
  // The background the polygon is drawn on (default clBlack).
  TW_COLOR_PROPERTY_DEFAULT(BackColor, clBlack, Restart())
  // The pen width of the lines in pixels, 1 to 9 (default 1).
  TW_PROPERTY_FIXED_DEFAULT(int, LineWidth, 1, std::clamp(value, 1, 9), Restart())
  // The speed of the animation, 1 to 200 (default 100): each frame waits 200 - Velocity ms.
  TW_PROPERTY_FIXED_DEFAULT(int, Velocity, 100, std::clamp(value, 1, 200), Restart())
  // Trail length.
  TW_PROPERTY_FIXED_DEFAULT(int, Lines, 1, std::clamp(value, 1, 31), Restart())
  // Number of vertices.
  TW_PROPERTY_FIXED_DEFAULT(int, Lates, 3, std::clamp(value, 2, 15), Restart())
  // The points are joined by Bezier curves instead of straight lines (default false).
  TW_PROPERTY_DEFAULT(bool, Bezier, false, Restart())

 public:
  explicit TAnimatedPolygon(QWidget* parent = nullptr);
  ~TAnimatedPolygon() override;

  bool Active() const { return mActive; }

  TPolyAnimatorThread* Animator() const { return mThread.get(); }
  const QImage& Canvas() const { return mCanvas; }
  QSize sizeHint() const override { return {50, 50}; }
  QSize minimumSizeHint() const override { return {10, 10}; }

 public Q_SLOTS:
  // Starts (on) or stops the animation; the control is cleared either way.
  void setActive(bool on);

 protected:
  bool event(QEvent* e) override;
  void paintEvent(QPaintEvent*) override;
  void resizeEvent(QResizeEvent*) override;

 private:
  friend class TPolyAnimatorThread;
  // Whether the canvas has the control's size at its screen's pixel ratio.
  bool CanvasFits() const;
  void Restart();
  void Configure();
  void ClearCanvas(bool repaint = true);
  void FrameDrawn();

  TColor mLineColor = clRed;
  TColor mBackColor = clBlack;
  int mLineWidth = 1;
  int mVelocity = 100;
  int mLines = 1;
  int mLates = 3;
  bool mBezier = false;
  bool mActive = false;
  QImage mCanvas;  // in the device pixels of the control's screen
  qreal mCanvasRatio = 1;
  int mFrameCount = 0;
  std::unique_ptr<TPolyAnimatorThread> mThread;
  friend struct TProbe<TAnimatedPolygon>;  // Polygon_p.h
};

}  // namespace Tarnwell
