#pragma once
// TMonitorDisplay: shows one signal (an integer value with a range, a colour,
// a caption, a description and a state text) in one of eleven picture styles.
// It paints through three layers: a static bitmap (background, captions, the
// style's back picture, still images, border), a value picture redrawn when
// the signal changes, and the control's surface. The style pictures are
// metafiles in a 200-unit space stretched into the inner rectangle, so they
// scale with the control and keep their proportions.

#include <QImage>
#include <QWidget>
#include <algorithm>

#include "MoniPnt.h"
#include <Tarnwell/platform/TProperty.h>
#include <Tarnwell/platform/TWidgetLook.h>
#include <Tarnwell/platform/TBitmap.h>
#include <Tarnwell/TarnwellExport.h>

namespace Tarnwell {

namespace MoniDisp {
Q_NAMESPACE_EXPORT(TARNWELL_MEASURE_EXPORT)
// The picture a monitor display draws.
enum TMeasureDisplayStyle {
  mdAnima,
  mdLevel,
  mdValue,
  mdMeter,
  mdImage,
  mdOnOff,
  mdGraph,
  mdTermo,
  mdDigit,
  mdVBarL,
  mdHalfM
};
Q_ENUM_NS(TMeasureDisplayStyle)
// The frame around a monitor display.
enum TMeasDispBorderStyle {
  mdbNone,
  mdbSingle,
  mdbBoxLowered,
  mdbBoxRaised,
  mdbFrameLowered,
  mdbFrameRaised
};
Q_ENUM_NS(TMeasDispBorderStyle)
}  // namespace MoniDisp

// An instrument display: a gauge, bar, thermometer, digits, lamp, graph or animation that shows one
// signal's value.
class TARNWELL_MEASURE_EXPORT TMonitorDisplay : public QWidget {
  Q_OBJECT
  // What each change rebuilds: the back picture, the static layer, the value
  // layer, and whether the control is invalidated.
  enum : unsigned { kBack = 1, kStatic = 2, kValue = 4, kInvalidate = 8, kAll = 15 };

  // The width-to-height ratio of the style's picture, 0 to 10 (default 0: the style's own, for
  // example 6 for the level bar, 2 for the graph, 4 for the thermometer).
  TW_PROPERTY_FIXED_DEFAULT(int, AspectRatio, 0, std::clamp(value, 0, 10), Refresh(kAll))
  // The border: none, a single line (mdbSingle, default), or a lowered or raised box or frame.
  TW_PROPERTY_DEFAULT(Tarnwell::MoniDisp::TMeasDispBorderStyle, BorderStyle, MoniDisp::mdbSingle,
                      Refresh(kStatic | kInvalidate))
  // The pen width of the border in pixels (default 1; negative values become 0).
  TW_PROPERTY_FIXED_DEFAULT(int, BorderWidth, 1, std::max(0, value), Refresh(kStatic | kInvalidate))
  // The picture style: value (mdValue, default), level bar, meter, image, lamp, graph,
  // thermometer, digits, vertical bar, half meter or animation. A change restarts the
  // animation.
  TW_PROPERTY_DEFAULT(Tarnwell::MoniDisp::TMeasureDisplayStyle, DisplayStyle, MoniDisp::mdValue,
                      (mFrameIndex = -1, Refresh(kAll)))
  // ImageStat replaces the style's back picture (scale and frame), and the value is drawn over
  // it (default false).
  TW_PROPERTY_DEFAULT(bool, DisplayCustom, false, Refresh(kAll))
  // The frames of the animation style (mdAnima): square frames side by side in one strip, as
  // many as the strip is wide by its height. Empty by default.
  TW_PROPERTY_CUSTOM(QImage, ImageAnim)
  // The still picture of the image style, the stop picture of the animation, and the back
  // picture with DisplayCustom. Empty by default.
  TW_PROPERTY_CUSTOM(QImage, ImageStat)
  // Writes SignalState before the value text under the picture (default true).
  TW_PROPERTY_DEFAULT(bool, ShowState, true, Refresh(kStatic | kInvalidate))
  // Writes SignalValue under the picture (default true).
  TW_PROPERTY_DEFAULT(bool, ShowValue, true, Refresh(kStatic | kInvalidate))
  // Draws the eight selection handles of a design surface (default false).
  TW_PROPERTY_DEFAULT(bool, Selected, false, Invalidate())
  // The first caption line over the picture (by default the component's name at construction).
  TW_PROPERTY(QString, SignalCaption, Refresh(kStatic | kInvalidate))
  // The colour of the value's picture: bar, needle, column, lamp, digits (default clWhite).
  TW_COLOR_PROPERTY_DEFAULT(SignalColor, clWhite, Refresh(kAll))
  // The second caption line over the picture (empty by default).
  TW_PROPERTY(QString, SignalDesc, Refresh(kStatic | kInvalidate))
  // A state text written before the value under the picture (with ShowState; empty by
  // default).
  TW_PROPERTY(QString, SignalState, Refresh(kStatic | kValue))
  // The stopped state: the picture shows it (the label in red, the animation's stop picture);
  // default false.
  TW_PROPERTY_DEFAULT(bool, SignalStop, false, AfterSignalStop())
  // The signal's value, an integer in SignalValueMin..SignalValueMax (50 at construction). A
  // change redraws only the value layer and adds a sample to the graph style's history.
  TW_PROPERTY_DEFAULT(int, SignalValue, 0, AfterSignalValue())
  // The upper end of the scale (default 100).
  TW_PROPERTY_DEFAULT(int, SignalValueMax, 100, Refresh(kAll))
  // The lower end of the scale (default 0).
  TW_PROPERTY_DEFAULT(int, SignalValueMin, 0, Refresh(kAll))
  // The alarm of the thermometer, vertical bar and level styles: at or past
  // AlarmLevel the value shows in AlarmColor, and the level is marked.
  TW_PROPERTY_DEFAULT(bool, AlarmEnabled, false, Refresh(kValue | kInvalidate))
  // The value at or past which the alarm shows (default 0), in the units of the signal.
  TW_PROPERTY_DEFAULT(int, AlarmLevel, 0, Refresh(kValue | kInvalidate))
  // The colour of the value and the level mark at or past AlarmLevel (default clRed).
  TW_COLOR_PROPERTY_DEFAULT(AlarmColor, clRed, Refresh(kValue | kInvalidate))
  // The background (clBtnFace): the background role of the palette; with ParentColor the
  // parent's.
  TW_COLOR_PROPERTY_CUSTOM(Color)
  // The control takes its parent's background colour (default true); setting Color turns it
  // off.
  TW_PROPERTY_DEFAULT(bool, ParentColor, true, AfterParentColor())
  // The font of the captions and texts; its colour is the WindowText role of the palette.
  TW_FONT_PROPERTY(mFont)
  // Design surfaces show a dashed outline for the borderless style.
  TW_PROPERTY(bool, Designing, Refresh(kStatic | kInvalidate))

 public:
  explicit TMonitorDisplay(QWidget* parent = nullptr);
  ~TMonitorDisplay() override;

  // The still image as the layers draw it (transparent).
  const TBitmap& ImageStatBitmap() const { return mImageStat; }
  QString SignalKey;
  int SignalID = 0;

  QSize sizeHint() const override { return QSize(80, 80); }
  QSize minimumSizeHint() const override { return QSize(16, 16); }

  // One animation step (the host calls it from a timer).
  void Animate();
  // While loading, setters only store; Loaded builds everything once.
  void BeginLoad() { mLoading = true; }
  void Loaded();

  // The layers and state, for hosts and tests. The surface and the static
  // layer hold the pixels of the device last painted on (their
  // devicePixelRatio tells how many per logical pixel).
  const QImage& Surface() const { return mSurface.Image(); }
  const QImage& StaticImage() const { return mStatic.Image(); }
  const TMetafile& BackPicture() const { return mBackPicture; }
  // The value layer as a scalable picture (recorded when asked for).
  const TMetafile& ValuePicture() const;
  TRect InnerRect() const { return mInnerRect; }
  int EffectiveAspect() const { return mEffectiveAspect; }
  int FrameCount() const { return mFrameCount; }
  int FrameIndex() const { return mFrameIndex; }
  const TMonitorHistory& History() const { return mHistory; }
  // Composes the surface from the static layer and the value picture now.
  void Paint();
  // Rebuilds every layer (what a colour or font change does), for benchmarks
  // and design surfaces.
  void Rebuild();

 protected:
  void paintEvent(QPaintEvent*) override;
  void resizeEvent(QResizeEvent*) override;
  void changeEvent(QEvent*) override;
  void showEvent(QShowEvent*) override;

 private:
  void Invalidate();
  void SetupPictureSize(TMetafile& mf);
  TMonitorPaintData PaintData();
  void BuildBackPicture();
  void ComposeStatic();
  void PaintValueLayer();
  void DrawValuePicture(TCanvas& target, bool appendHistory);
  QString StateText() const;
  void StretchKeepAspect(TCanvas& c, int gw, int gh, const TRect& r,
                         const std::function<void(const TRect&)>& draw);
  void DrawAnimFrame(TCanvas& c);
  void PrepareAnimStrip();
  void DrawBorder(TCanvas& c);
  void DrawHandles(TCanvas& c);
  void DrawStateText(TCanvas& c, const QString& text);
  static TRect KeepAspectRect(int gw, int gh, const TRect& r);
  QString ValueKey();
  // Copies an area of the static layer onto the surface.
  void CopyStatic(const TRect& area);
  void UpdateFrameCount();
  bool Active() const { return !mLoading; }

  void Refresh(unsigned what);
  void AfterSignalStop();
  void AfterSignalValue();
  void AfterParentColor();
  // A font or colour arrived from outside (setFont, setPalette, a style sheet).
  void LookChanged();

  int mAspectRatio = 0;
  MoniDisp::TMeasDispBorderStyle mBorderStyle = MoniDisp::mdbSingle;
  int mBorderWidth = 1;
  MoniDisp::TMeasureDisplayStyle mDisplayStyle = MoniDisp::mdValue;
  bool mDisplayCustom = false;
  QImage mImageAnim;   // the artwork as given; never altered
  TBitmap mAnimStrip;  // its copy with the background in the display's colour
  TBitmap mImageStat;
  bool mShowState = true, mShowValue = true, mSelected = false;
  QString mSignalCaption, mSignalDesc, mSignalState;
  TColor mSignalColor = clWhite;
  bool mSignalStop = false;
  int mSignalValue = 50, mSignalValueMax = 100, mSignalValueMin = 0;
  bool mAlarmEnabled = false;
  int mAlarmLevel = 0;
  TColor mAlarmColor = clRed;
  TControlColor mColor{this, clBtnFace};
  TColor mDrawnColor = clNone;  // the face colour the layers were built with
  bool mParentColor = true;
  bool mDesigning = false;
  bool mLoading = false;
  bool mDirty = true;
  TControlFont mFont{this};

  TMetafile mBackPicture, mValuePicture;
  QSize mValueSize{200, 200};
  bool mValuePictureStale = true;
  QString mDrawnKey;  // what the surface's value picture was drawn from
  // Both in the device's pixels: mRatio of them per logical pixel.
  TBitmap mStatic, mSurface;
  qreal mRatio = 1;
  TMonitorHistory mHistory;
  int mEffectiveAspect = 1;
  int mFrameCount = 0, mFrameIndex = -1;
  TRect mInnerRect;
};

}  // namespace Tarnwell
