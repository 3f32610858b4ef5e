#pragma once
// The "Gadget" demonstration window: the animated polygon on one page and a
// self-spinning 3D view of the demonstration model on the other.

#include <QString>

#include <Tarnwell/platform/TControls.h>
class QTabWidget;
class QTimer;
class QSlider;
class QSpinBox;
class QCheckBox;
class QScrollBar;
class QLabel;

namespace Tarnwell {

class TAnimatedPolygon;
class TSpace3DViewer;

// Where the demonstration model is: next to the executable, in the
// program's data folders, else the copy built into the program.
QString FindDemoModel();

class TFormGadget : public TForm {
  Q_OBJECT
 public:
  explicit TFormGadget(QWidget* parent = nullptr);
  ~TFormGadget() override;

  TAnimatedPolygon* Polygon = nullptr;
  TSpace3DViewer* Space3DViewer = nullptr;
  QTabWidget* PageControl = nullptr;
  QSlider* TrackBar1 = nullptr;
  QSlider* TrackBar2 = nullptr;
  QSpinBox* UpDown1 = nullptr;
  QCheckBox* CheckBoxRealTime = nullptr;
  QSlider* TrackBarRenderLevel = nullptr;
  QCheckBox* CheckBoxPerspect = nullptr;
  QSlider* TrackBarPerspect = nullptr;
  QScrollBar* ScrollBarRed = nullptr;
  QScrollBar* ScrollBarGreen = nullptr;
  QScrollBar* ScrollBarBlue = nullptr;
  QLabel* LabelFPS = nullptr;
  QTimer* TimerAniX = nullptr;
  QTimer* TimerAniY = nullptr;
  QTimer* TimerRand = nullptr;
  int StepX = 0, StepY = 8;

 protected:
  void showEvent(QShowEvent* e) override;

 private:
  void PageChanged();
  void SetTimers(bool on);
  void AmbientChanged();
  void SyncControls();
  bool mShown = false;
};

}  // namespace Tarnwell
