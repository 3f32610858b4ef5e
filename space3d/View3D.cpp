#include "View3D.h"

#include <QFileInfo>
#include <QMouseEvent>
#include <QPainter>
#include <cmath>
#include <numbers>

#include "Loader3D.h"
#include <Tarnwell/platform/THourglass.h>

namespace Tarnwell {

TSpace3DViewer::TSpace3DViewer(QWidget* parent) : QWidget(parent) {
  for (int i = 0; i < 360; ++i) {
    const double a = i * std::numbers::pi / 180;
    mSin[i] = float(std::sin(a));
    mCos[i] = float(std::cos(a));
  }
  mEngine.SetCamera(mCamera.X, mCamera.Y, mCamera.Z);
  setAttribute(Qt::WA_OpaquePaintEvent);
  resize(30, 30);
}

TSpace3DViewer::~TSpace3DViewer() {
  mObjects.clear();
  mEngine.ReleaseScene();
}

void TSpace3DViewer::SetFileName(const QString& name) {
  if (name == mFileName) return;
  mFileName = name;
  ClearObjects();
  if (!name.isEmpty() && QFileInfo::exists(name)) LoadFile(name);
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
      update();
      if (OnRenderized) OnRenderized(this, float(rate));
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

void TSpace3DViewer::SetDistance(float d) {
  mCamera.Z = -d;
  mEngine.SetCamera(mCamera.X, mCamera.Y, mCamera.Z);
  RenderFrame();
}

void TSpace3DViewer::SetRenderLevel(int level) {
  level = std::clamp(level, 0, int(rlFacingShade));
  if (level == mRenderLevel) return;
  mRenderLevel = level;
  RenderFrame();
}

void TSpace3DViewer::SetPerspectRatio(int n) {
  if (n == mEngine.PerspectRatio()) return;
  mEngine.SetPerspectRatio(n);
  RenderFrame();
}

void TSpace3DViewer::SetPerspectActive(bool on) {
  if (on == mEngine.PerspectActive()) return;
  mEngine.SetPerspectActive(on);
  RenderFrame();
}

void TSpace3DViewer::SetAmbientLight(TColor c) {
  if ((c & 0xFFFFFF) == mEngine.GetAmbient()) return;
  mEngine.SetAmbient(c);
  RenderFrame();
}

void TSpace3DViewer::SetRealTime(bool on) {
  if (on == mRealTime) return;
  mRealTime = on;
  RenderFrame();
  update();  // off: back to the background colour
}

void TSpace3DViewer::SetColor(TColor c) {
  if (c == mColor) return;
  mColor = c;
  update();
}

double TSpace3DViewer::RenderNow() { return mEngine.Render(width(), height(), mRenderLevel); }

void TSpace3DViewer::RenderFrame() {
  if (!CanRender()) return;
  mFramePerSecond += float(RenderNow());
  update();
  if (++mFrameCount >= 20) {
    if (OnRenderized) OnRenderized(this, mFramePerSecond / 20);
    mFramePerSecond = 0;
    mFrameCount = 0;
  }
}

void TSpace3DViewer::paintEvent(QPaintEvent*) {
  QPainter p(this);
  if (CanRender()) {
    // A resize (or a first show) leaves the last frame at the wrong size.
    if (mEngine.Image().size() != size()) RenderFrame();
    if (mEngine.Image().size() == size()) {
      p.drawImage(0, 0, mEngine.Image());
      return;
    }
  }
  p.fillRect(rect(), ToQColor(mColor));
}

void TSpace3DViewer::mousePressEvent(QMouseEvent* e) {
  const int x = int(e->position().x()), y = int(e->position().y());
  if (e->button() != Qt::LeftButton) {
    if (mCtrlEnabled) SetDistance(5);
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
  if (OnMouseDown) OnMouseDown(this, e->button(), x, y);
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
      SetDistance(Distance() + float(y - mLastY) / 4);
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
  if (OnMouseUp) OnMouseUp(this, e->button(), int(e->position().x()), int(e->position().y()));
}

}  // namespace Tarnwell
