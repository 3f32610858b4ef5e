#pragma once
// TSpace3DViewer: a control that loads a 3D Studio model, renders it with the
// software engine and lets the user turn, move and zoom the scene with the
// mouse; where a drag starts decides what it does (top band: roll, right
// band: distance, left band: up/down, bottom band: sideways, centre: turn).

#include <QString>
#include <QWidget>
#include <functional>

#include "Engine3D.h"
#include <Tarnwell/platform/TColor.h>
#include <Tarnwell/platform/TTypes.h>

namespace Tarnwell {

class TSpace3DViewer : public QWidget {
  Q_OBJECT
 public:
  explicit TSpace3DViewer(QWidget* parent = nullptr);
  ~TSpace3DViewer() override;

  // Setting a name that differs clears the scene and, when the file
  // exists, loads it.
  QString FileName() const { return mFileName; }
  void SetFileName(const QString& name);
  // The camera's distance: the engine's camera sits at Z = -Distance.
  float Distance() const { return -mCamera.Z; }
  void SetDistance(float d);
  TRenderStyle RenderStyle() const { return TRenderStyle(std::min(mRenderLevel, int(rsDepthShade))); }
  void SetRenderStyle(TRenderStyle s) { SetRenderLevel(int(s)); }
  // The level byte: 0..5 (5 shades faces by how squarely they face the viewer).
  int RenderLevel() const { return mRenderLevel; }
  void SetRenderLevel(int level);
  int PerspectRatio() const { return mEngine.PerspectRatio(); }
  void SetPerspectRatio(int n);
  bool PerspectActive() const { return mEngine.PerspectActive(); }
  void SetPerspectActive(bool on);
  TColor AmbientLight() const { return mEngine.GetAmbient(); }
  void SetAmbientLight(TColor c);
  bool RealTime() const { return mRealTime; }
  void SetRealTime(bool on);
  bool CtrlEnabled() const { return mCtrlEnabled; }
  void SetCtrlEnabled(bool on) { mCtrlEnabled = on; }
  TColor Color() const { return mColor; }
  void SetColor(TColor c);
  // Between reports: the running sum of the frame rates since the last one.
  float FramePerSecond() const { return mFramePerSecond; }

  // Frame-rate report: every 20 frames the mean rate of those frames.
  std::function<void(TObject* sender, float fps)> OnRenderized;
  std::function<void(TObject* sender, Qt::MouseButton button, int x, int y)> OnMouseDown;
  std::function<void(TObject* sender, Qt::MouseButton button, int x, int y)> OnMouseUp;

  // Appends a root object named after the file and the file's meshes;
  // returns how many meshes were loaded. Throws E3DFileError when the file
  // cannot be read; a damaged file keeps its complete meshes and LoadError()
  // says what was wrong.
  int LoadFile(const QString& fileName);
  QString LoadError() const { return mLoadError; }
  void ClearObjects();
  // nullptr: everything visible; otherwise only obj and the objects below it.
  void ShowObject(TObject3D* obj);
  // Whole degrees; any angle is reduced modulo 360.
  void Rotate(int ax, int ay, int az);
  void Translate(float dx, float dy, float dz);
  void RenderFrame();

  const TObject3DList& Objects() const { return mObjects; }
  TEngine3D& Engine() { return mEngine; }
  int DragZone() const { return mDragZone; }
  QSize sizeHint() const override { return {30, 30}; }

 protected:
  void paintEvent(QPaintEvent*) override;
  void mousePressEvent(QMouseEvent* e) override;
  void mouseMoveEvent(QMouseEvent* e) override;
  void mouseReleaseEvent(QMouseEvent* e) override;

 private:
  // Renders into the engine's buffer at the control's size; returns the rate.
  double RenderNow();
  bool CanRender() const { return mRealTime && !mObjects.empty() && width() > 0 && height() > 0; }

  TEngine3D mEngine;
  float mSin[360], mCos[360];
  TObject3DList mObjects;
  TVertex3D mCamera{0, 0, 20};
  int mDragZone = 0;
  int mLastX = 0, mLastY = 0;
  QString mFileName;
  QString mLoadError;
  int mRenderLevel = rsPoint;
  bool mRealTime = false;
  bool mCtrlEnabled = false;
  TColor mColor = clBlack;
  float mFramePerSecond = 0;
  int mFrameCount = 0;
};

}  // namespace Tarnwell
