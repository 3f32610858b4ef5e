#pragma once
// TSpace3DViewer: a control that loads a 3D Studio model, renders it with the
// software engine and lets the user turn, move and zoom the scene with the
// mouse; where a drag starts decides what it does (top band: roll, right
// band: distance, left band: up/down, bottom band: sideways, centre: turn).

#include <QColor>
#include <QFont>
#include <QString>
#include <QWidget>
#include <functional>

#include "Engine3D.h"
#include <Tarnwell/platform/TColor.h>
#include <Tarnwell/platform/TProperty.h>
#include <Tarnwell/platform/TTypes.h>
#include <Tarnwell/platform/TWidgetLook.h>
#include <Tarnwell/TarnwellExport.h>

namespace Tarnwell {

// A software 3D viewer: loads a 3D Studio model (FileName), renders it with the engine and rotates
// it with the mouse.
class TARNWELL_SPACE3D_EXPORT TSpace3DViewer : public QWidget {
  Q_OBJECT
  // Setting a name that differs clears the scene and, when the file
  // exists, loads it. A file that cannot be read leaves name and scene
  // unchanged and passes its message to the exception handler (LoadFile
  // throws E3DFileError instead).
  TW_PROPERTY_SETTER(QString, FileName)
  // The camera's distance: the engine's camera sits at Z = -Distance. Every
  // write renders a frame, even an equal one.
  TW_PROPERTY_CUSTOM(float, Distance)
  // The render level read as a style (levels 4 and 5 both read as
  // rsDepthShade); writing a style sets the level.
  TW_PROPERTY_CUSTOM(Tarnwell::Space3DTypes::TRenderStyle, RenderStyle)
  // The engine's ratio, clamped there to 1..100.
  TW_PROPERTY_CUSTOM(int, PerspectRatio)
  // Whether the camera projects with perspective (by PerspectRatio) or in parallel; a change
  // renders a frame.
  TW_PROPERTY_CUSTOM(bool, PerspectActive)
  // The engine keeps 24 bits; a system colour is resolved when it is set.
  TW_COLOR_PROPERTY_CUSTOM(AmbientLight)
  // Nothing is rendered while it is off (the control shows its Color).
  TW_PROPERTY(bool, RealTime, RenderFrame(); update())
  // The mouse turns and moves the model (left-button drags in the bands and the centre) and
  // the right button sets Distance to 5 (default false).
  TW_PROPERTY(bool, CtrlEnabled, )
  // The background, a view of the palette's background role.
  TW_COLOR_PROPERTY_CUSTOM(Color)
  // The widget's font; its colour is the WindowText role of the palette.
  TW_FONT_PROPERTY(mFont)
  // Between reports: the running sum of the frame rates since the last one.
  // A frame counts from the start of its render to the end of its copy to
  // the screen.
  TW_PROPERTY_READONLY(float, FramePerSecond)
  // Frames each loaded model (FitToView) and keeps it framed when the
  // control is resized or the perspective changes. Turning it on frames the
  // model at once.
  TW_PROPERTY_DEFAULT(bool, AutoFit, true, if (mAutoFit) FitToView())
  // Leaves out the faces turned away from the camera (levels 1 to 6).
  TW_PROPERTY_DEFAULT(bool, BackFaceCulling, false, mEngine.SetCullBackFaces(mBackFaceCulling); RenderFrame())

 public:
  explicit TSpace3DViewer(QWidget* parent = nullptr);
  ~TSpace3DViewer() override;

  // The level byte: 0..6 (5 shades faces by how squarely they face the
  // viewer, 6 draws with a depth buffer).
  int RenderLevel() const { return mRenderLevel; }

  // Frame-rate report: every 20 frames the mean rate of those frames (and
  // after ShowObject, that frame's rate). Assigned events run after the
  // signals.
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
  // Centres the model's bounds on the origin, so that it turns about its own
  // centre, and scales it to fill most of the control at the current
  // distance and perspective (a Distance below 2, where nothing at the
  // origin is in front, becomes 20). Turns made so far are kept.
  void FitToView();

  const TObject3DList& Objects() const { return mObjects; }
  TEngine3D& Engine() { return mEngine; }
  int DragZone() const { return mDragZone; }
  QSize sizeHint() const override { return {160, 120}; }
  // Room for the four 30-pixel drag bands around a centre.
  QSize minimumSizeHint() const override { return {90, 90}; }

 public Q_SLOTS:
  // Sets the render level, clamped to 0..6 (wire frame up to the lit depth buffer), and
  // renders a frame; emits RenderStyleChanged when the style read from it changed.
  void setRenderLevel(int level);

 Q_SIGNALS:
  // The frame-rate report: every 20 frames the mean rate of those frames, in frames per second
  // (and after ShowObject that frame's rate); OnRenderized is called after it.
  void Renderized(QObject* sender, float fps);
  // A mouse button was pressed at (x, y), in control pixels; OnMouseDown is called after it.
  void MouseDown(QObject* sender, Qt::MouseButton button, int x, int y);
  // A mouse button was released at (x, y), in control pixels; OnMouseUp is called after it.
  void MouseUp(QObject* sender, Qt::MouseButton button, int x, int y);

 protected:
  void paintEvent(QPaintEvent*) override;
  void mousePressEvent(QMouseEvent* e) override;
  void mouseMoveEvent(QMouseEvent* e) override;
  void mouseReleaseEvent(QMouseEvent* e) override;

 private:
  // Renders into the engine's buffer at the control's size and copies it to
  // the screen when the control is visible; returns the rate of the whole.
  double RenderNow();
  void CountFrame(double rate);
  // FitToView without the frame; Refit also brings the scene up to date.
  void FitModel();
  void Refit();
  // With AutoFit, a frame at a size other than the last fit's fits again.
  void RefitIfResized();
  bool CanRender() const { return mRealTime && !mObjects.empty() && width() > 0 && height() > 0; }

  TControlFont mFont{this};
  TControlColor mColor{this, clBlack};
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
  float mFramePerSecond = 0;
  int mFrameCount = 0;
  bool mAutoFit = true;
  bool mBackFaceCulling = false;
  bool mInPaint = false;
  QSize mFittedSize;
};

}  // namespace Tarnwell
