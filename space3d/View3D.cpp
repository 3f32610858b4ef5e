#include "View3D.h"

#include <QFileInfo>
#include <QElapsedTimer>
#include <QMouseEvent>
#include <QPainter>
#include <QScopedValueRollback>
#include <algorithm>
#include <cmath>
#include <numbers>

#include "Loader3D.h"
#include <Tarnwell/platform/THourglass.h>
#include <Tarnwell/platform/TPixelRatio.h>

#include <Tarnwell/platform/TAccessible.h>

TARNWELL_LIBRARY_ACCESSIBLE(space3d)

namespace Tarnwell {

TSpace3DViewer::TSpace3DViewer(QWidget* parent) : QWidget(parent) {
  for (int i = 0; i < 360; ++i) {
    const double a = i * std::numbers::pi / 180;
    mSin[i] = float(std::sin(a));
    mCos[i] = float(std::cos(a));
  }
  mEngine.SetCamera(mCamera.X, mCamera.Y, mCamera.Z);
  setAttribute(Qt::WA_OpaquePaintEvent);
  setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Expanding);
  resize(30, 30);
  mFont.changed = [this] { Q_EMIT FontChanged(font()); };
  // Palette changes from outside (setPalette, a style sheet, a theme) may
  // change the background; only a real change is announced.
  mColor.changed = [this, last = mColor.Color()]() mutable {
    if (mColor.Color() == last) return;
    last = mColor.Color();
    update();
    Q_EMIT ColorChanged(ColorQColor());
  };
}

TSpace3DViewer::~TSpace3DViewer() {
  mObjects.clear();
  mEngine.ReleaseScene();
}

void TSpace3DViewer::setFileName(QString name) {
  if (name == mFileName) return;
  // A property setter never throws (a form's setupUi or a connected signal
  // calls it): a file that cannot be read leaves the name and the scene as
  // they were and its message goes to the exception handler. LoadFile is
  // the throwing way for callers that want the error.
  TObject3DList previous = std::move(mObjects);
  mObjects.clear();
  mEngine.ReleaseScene();
  try {
    if (!name.isEmpty() && QFileInfo::exists(name)) LoadFile(name);
  } catch (...) {
    mObjects = std::move(previous);
    if (mObjects.size() > 1) {
      mEngine.PrepareScene(mObjects);
      RenderFrame();
    }
    update();
    HandleCurrentException();
    return;
  }
  previous.clear();
  update();
  mFileName = name;
  Q_EMIT FileNameChanged(mFileName);
}

int TSpace3DViewer::LoadFile(const QString& fileName) {
  THourglass busy;
  mLoadError.clear();
  auto root = std::make_unique<TObject3D>();
  root->ObjectName = QFileInfo(fileName).completeBaseName();
  TObject3D* rootPtr = root.get();
  TObject3DList loaded;
  loaded.push_back(std::move(root));
  TLoader3DFile loader;
  const int count = loader.Load3DFile(fileName, loaded, rootPtr);  // throws before anything is added
  if (loader.Damaged()) mLoadError = loader.Problems().join('\n');
  for (auto& o : loaded) mObjects.push_back(std::move(o));
  if (mAutoFit) FitModel();  // the scene is prepared just below
  if (mObjects.size() > 1) {
    mEngine.PrepareScene(mObjects);
    RenderFrame();
  }
  return count;
}

void TSpace3DViewer::ClearObjects() {
  mEngine.ReleaseScene();
  mObjects.clear();
  update();
}

void TSpace3DViewer::ShowObject(TObject3D* obj) {
  if (!obj) {
    for (auto& o : mObjects) o->Visible = true;
  } else {
    for (auto& o : mObjects) o->Visible = o.get() == obj;
    for (bool changed = true; changed;) {
      changed = false;
      for (auto& o : mObjects)
        if (!o->Visible && o->ParentObject && o->ParentObject->Visible) o->Visible = changed = true;
    }
  }
  // The scene follows the visibility even while nothing is rendered, so
  // that switching RealTime on later shows these objects.
  mEngine.PrepareScene(mObjects);
  if (mRealTime) {
    if (CanRender()) {
      const double rate = RenderNow();
      mFramePerSecond = float(rate);
      TW_FIRE(OnRenderized, Renderized, this, float(rate));
    }
  }
}

void TSpace3DViewer::Rotate(int ax, int ay, int az) {
  // Reduced modulo 360, so that any step has a table entry.
  auto wrap = [](int a) { return ((a % 360) + 360) % 360; };
  ax = wrap(ax);
  ay = wrap(ay);
  az = wrap(az);
  for (auto& o : mObjects) {
    if (ax) o->RotateX(mCos[ax], mSin[ax]);
    if (ay) o->RotateY(mCos[ay], mSin[ay]);
    if (az) o->RotateZ(mCos[az], mSin[az]);
    if (ax || ay || az) o->UpdateWorld();
  }
  mEngine.UpdateScene(mObjects);
  RenderFrame();
}

void TSpace3DViewer::Translate(float dx, float dy, float dz) {
  for (auto& o : mObjects) {
    o->Translate(dx, dy, dz);
    o->UpdateWorld();
  }
  mEngine.UpdateScene(mObjects);
  RenderFrame();
}

void TSpace3DViewer::FitToView() {
  Refit();
  RenderFrame();
}

void TSpace3DViewer::Refit() {
  if (mObjects.empty()) return;
  FitModel();
  mEngine.UpdateScene(mObjects);
}

void TSpace3DViewer::FitModel() {
  mFittedSize = size();
  double lo[3] = {HUGE_VAL, HUGE_VAL, HUGE_VAL}, hi[3] = {-HUGE_VAL, -HUGE_VAL, -HUGE_VAL};
  // Hidden meshes count too: showing another part keeps the same framing.
  for (const auto& o : mObjects) {
    const TVertex3D* v = o->LocalVertices.Data();
    for (int i = 0, n = o->LocalVertices.Count(); i < n; ++i) {
      const double c[3] = {double(v[i].X) + o->Position.X, double(v[i].Y) + o->Position.Y,
                           double(v[i].Z) + o->Position.Z};
      for (int k = 0; k < 3; ++k) {
        if (!std::isfinite(c[k])) continue;
        lo[k] = std::min(lo[k], c[k]);
        hi[k] = std::max(hi[k], c[k]);
      }
    }
  }
  if (!(lo[0] <= hi[0] && lo[1] <= hi[1] && lo[2] <= hi[2])) return;
  // The model is framed at the camera's distance from the origin; a camera
  // at the origin or beyond it (the constructor's -20) cannot see it there
  // and moves to the usual 20 first.
  if (Distance() < 2) {
    mCamera.Z = -20;
    mEngine.SetCamera(mCamera.X, mCamera.Y, mCamera.Z);
    Q_EMIT DistanceChanged(Distance());
  }
  const double centre[3] = {(lo[0] + hi[0]) / 2, (lo[1] + hi[1]) / 2, (lo[2] + hi[2]) / 2};
  // The bounding sphere: whichever way the model is turned it stays inside.
  const double radius = std::hypot(hi[0] - lo[0], hi[1] - lo[1], hi[2] - lo[2]) / 2;
  // At the camera's distance D the engine shows a length L as 10 L / D
  // pixels: the sphere gets a radius of 0.45 of the smaller side. Depth is
  // spread by k per unit, and the sphere is kept within half of D, so that
  // its near side is magnified at most twice and never reaches the camera
  // (at strong perspective this, not the control's size, bounds the model).
  const double d = Distance();
  const double k = mEngine.PerspectActive() ? mEngine.PerspectRatio() / 500.0 : 1 / 10000.0;
  const double side = std::max(1, std::min(width(), height()));
  const double target = std::min(0.045 * side * d, d / 2 / k);
  const double scale = radius > 0 ? target / radius : 1;
  // All meshes share the origin as their position, so that they turn
  // together about the model's centre.
  for (auto& o : mObjects) {
    TVertex3D* v = o->LocalVertices.Data();
    for (int i = 0, n = o->LocalVertices.Count(); i < n; ++i) {
      v[i] = {float((v[i].X + o->Position.X - centre[0]) * scale),
              float((v[i].Y + o->Position.Y - centre[1]) * scale),
              float((v[i].Z + o->Position.Z - centre[2]) * scale)};
    }
    o->ResetPosition();
    o->UpdateWorld();
  }
}

void TSpace3DViewer::RefitIfResized() {
  if (mAutoFit && size() != mFittedSize) Refit();
}

float TSpace3DViewer::Distance() const { return -mCamera.Z; }

void TSpace3DViewer::setDistance(float d) {
  const bool changed = d != Distance();
  mCamera.Z = -d;
  mEngine.SetCamera(mCamera.X, mCamera.Y, mCamera.Z);
  RenderFrame();
  if (changed) Q_EMIT DistanceChanged(d);
}

TRenderStyle TSpace3DViewer::RenderStyle() const {
  if (mRenderLevel == rlZBuffered) return rsZBuffered;
  return TRenderStyle(std::min(mRenderLevel, int(rsDepthShade)));
}

void TSpace3DViewer::setRenderStyle(TRenderStyle s) { setRenderLevel(int(s)); }

void TSpace3DViewer::setRenderLevel(int level) {
  level = std::clamp(level, 0, rlLastLevel);
  if (level == mRenderLevel) return;
  const TRenderStyle before = RenderStyle();
  mRenderLevel = level;
  RenderFrame();
  if (RenderStyle() != before) Q_EMIT RenderStyleChanged(RenderStyle());
}

int TSpace3DViewer::PerspectRatio() const { return mEngine.PerspectRatio(); }

void TSpace3DViewer::setPerspectRatio(int n) {
  if (n == mEngine.PerspectRatio()) return;
  const int before = mEngine.PerspectRatio();
  mEngine.SetPerspectRatio(n);
  if (mAutoFit) Refit();
  RenderFrame();
  // Clamped by the engine: a value past the range may leave it as it was.
  if (mEngine.PerspectRatio() != before) Q_EMIT PerspectRatioChanged(mEngine.PerspectRatio());
}

bool TSpace3DViewer::PerspectActive() const { return mEngine.PerspectActive(); }

void TSpace3DViewer::setPerspectActive(bool on) {
  if (on == mEngine.PerspectActive()) return;
  mEngine.SetPerspectActive(on);
  if (mAutoFit) Refit();
  RenderFrame();
  Q_EMIT PerspectActiveChanged(on);
}

TColor TSpace3DViewer::AmbientLight() const { return mEngine.GetAmbient(); }

void TSpace3DViewer::setAmbientLight(TColor c) {
  // The engine takes the colour's channel bytes: a system colour must be
  // resolved first, or its index would be taken for a red value.
  c = ColorToRGB(c, palette()) & 0xFFFFFF;
  if (c == mEngine.GetAmbient()) return;
  mEngine.SetAmbient(c);
  RenderFrame();
  Q_EMIT AmbientLightChanged(AmbientLightQColor());
}

TColor TSpace3DViewer::Color() const { return mColor.Color(); }

// The announcement comes from mColor.changed.
void TSpace3DViewer::setColor(TColor c) { mColor.SetColor(c); }

double TSpace3DViewer::RenderNow() {
  QElapsedTimer clock;
  clock.start();
  RefitIfResized();
  // At the screen's resolution: the frame is copied pixel for pixel.
  mEngine.Render(width(), height(), mRenderLevel, devicePixelRatioF());
  // The copy belongs to the frame: painted now when it can be (inside a
  // paint the caller copies it itself).
  if (isVisible() && !mInPaint)
    repaint();
  else
    update();
  return TEngine3D::FramesPerSecond(clock.nsecsElapsed());
}

void TSpace3DViewer::RenderFrame() {
  if (!CanRender()) return;
  CountFrame(RenderNow());
}

void TSpace3DViewer::CountFrame(double rate) {
  mFramePerSecond += float(rate);
  if (++mFrameCount >= 20) {
    TW_FIRE(OnRenderized, Renderized, this, mFramePerSecond / 20);
    mFramePerSecond = 0;
    mFrameCount = 0;
  }
}

void TSpace3DViewer::paintEvent(QPaintEvent*) {
  const QScopedValueRollback<bool> inPaint(mInPaint, true);
  QPainter p(this);
  if (CanRender()) {
    // A resize (or a first show, or a device of another pixel ratio: a
    // window moved to another screen, a grab at a higher resolution) leaves
    // the last frame at the wrong size: render it here and count it with
    // its copy.
    const qreal ratio = PixelRatio(p);
    const QSize pixels = InDevicePixels(size(), ratio);
    auto fits = [&] { return mEngine.Image().size() == pixels && mEngine.PixelRatio() == ratio; };
    if (!fits()) {
      QElapsedTimer clock;
      clock.start();
      RefitIfResized();
      mEngine.Render(width(), height(), mRenderLevel, ratio);
      if (fits()) p.drawImage(0, 0, mEngine.Image());
      CountFrame(TEngine3D::FramesPerSecond(clock.nsecsElapsed()));
      if (fits()) return;
    } else {
      p.drawImage(0, 0, mEngine.Image());
      return;
    }
  }
  p.fillRect(rect(), mColor.ToQColor());
}

void TSpace3DViewer::mousePressEvent(QMouseEvent* e) {
  const int x = int(e->position().x()), y = int(e->position().y());
  if (e->button() != Qt::LeftButton) {
    if (mCtrlEnabled) setDistance(5);
  } else {
    const int w = width(), h = height();
    if (y < 30 && x > 30 && x < w - 30)
      mDragZone = 1;  // top band: roll
    else if (x > w - 30)
      mDragZone = 2;  // right band: distance
    else if (x < 30)
      mDragZone = 3;  // left band: up and down
    else if (y > h - 30 && x < w - 30)
      mDragZone = 4;  // bottom band: sideways
    else
      mDragZone = 5;  // centre: turn
    mLastX = x;
    mLastY = y;
  }
  TW_FIRE(OnMouseDown, MouseDown, this, e->button(), x, y);
}

void TSpace3DViewer::mouseMoveEvent(QMouseEvent* e) {
  QWidget::mouseMoveEvent(e);
  if (!mCtrlEnabled || mDragZone == 0) return;
  const int x = int(e->position().x()), y = int(e->position().y());
  switch (mDragZone) {
    case 1:
      Rotate(0, 0, x - mLastX);
      break;
    case 2:
      setDistance(Distance() + float(y - mLastY) / 4);
      break;
    case 3:
      Translate(0, float(y - mLastY), 0);
      break;
    case 4:
      Translate(float(mLastX - x), 0, 0);
      break;
    default:
      Rotate(y - mLastY, x - mLastX, 0);
      break;
  }
  mLastX = x;
  mLastY = y;
}

void TSpace3DViewer::mouseReleaseEvent(QMouseEvent* e) {
  mDragZone = 0;
  TW_FIRE(OnMouseUp, MouseUp, this, e->button(), int(e->position().x()), int(e->position().y()));
}

}  // namespace Tarnwell
