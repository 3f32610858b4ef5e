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

#include "MoniPnt.h"
#include <Tarnwell/platform/TBitmap.h>

namespace Tarnwell {

namespace MoniDisp {
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
enum TMeasDispBorderStyle {
  mdbNone,
  mdbSingle,
  mdbBoxLowered,
  mdbBoxRaised,
  mdbFrameLowered,
  mdbFrameRaised
};
}  // namespace MoniDisp

class TMonitorDisplay : public QWidget {
  Q_OBJECT
  // Lets the form resizer scale the display's own font.
  Q_PROPERTY(int FontSize READ FontSize WRITE SetFontSize)
 public:
  explicit TMonitorDisplay(QWidget* parent = nullptr);
  ~TMonitorDisplay() override;

  int AspectRatio() const { return mAspectRatio; }
  void SetAspectRatio(int a);
  MoniDisp::TMeasDispBorderStyle BorderStyle() const { return mBorderStyle; }
  void SetBorderStyle(MoniDisp::TMeasDispBorderStyle s);
  int BorderWidth() const { return mBorderWidth; }
  void SetBorderWidth(int w);
  MoniDisp::TMeasureDisplayStyle DisplayStyle() const { return mDisplayStyle; }
  void SetDisplayStyle(MoniDisp::TMeasureDisplayStyle s);
  bool DisplayCustom() const { return mDisplayCustom; }
  void SetDisplayCustom(bool b);
  const QImage& ImageAnim() const { return mImageAnim; }
  void SetImageAnim(const QImage& img);
  const TBitmap& ImageStat() const { return mImageStat; }
  void SetImageStat(const QImage& img);
  bool ShowState() const { return mShowState; }
  void SetShowState(bool b);
  bool ShowValue() const { return mShowValue; }
  void SetShowValue(bool b);
  bool Selected() const { return mSelected; }
  void SetSelected(bool b);
  QString SignalCaption() const { return mSignalCaption; }
  void SetSignalCaption(const QString& s);
  TColor SignalColor() const { return mSignalColor; }
  void SetSignalColor(TColor c);
  QString SignalDesc() const { return mSignalDesc; }
  void SetSignalDesc(const QString& s);
  QString SignalKey;
  int SignalID = 0;
  QString SignalState() const { return mSignalState; }
  void SetSignalState(const QString& s);
  bool SignalStop() const { return mSignalStop; }
  void SetSignalStop(bool b);
  int SignalValue() const { return mSignalValue; }
  void SetSignalValue(int v);
  int SignalValueMax() const { return mSignalValueMax; }
  void SetSignalValueMax(int v);
  int SignalValueMin() const { return mSignalValueMin; }
  void SetSignalValueMin(int v);

  TColor Color() const;
  void SetColor(TColor c);
  bool ParentColor() const { return mParentColor; }
  void SetParentColor(bool b);
  TFont& Font() { return mFont; }
  int FontSize() const { return mFont.Size(); }
  void SetFontSize(int points) { mFont.SetSize(std::max(1, points)); }
  bool Designing() const { return mDesigning; }
  void SetDesigning(bool b);

  // One animation step (the host calls it from a timer).
  void Animate();
  // While loading, setters only store; Loaded builds everything once.
  void BeginLoad() { mLoading = true; }
  void Loaded();

  // The layers and state, for hosts and tests.
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
  TColor mColor = clBtnFace;
  bool mParentColor = true;
  bool mDesigning = false;
  bool mLoading = false;
  bool mDirty = true;
  TFont mFont;

  TMetafile mBackPicture, mValuePicture;
  QSize mValueSize{200, 200};
  bool mValuePictureStale = true;
  QString mDrawnKey;  // what the surface's value picture was drawn from
  TBitmap mStatic, mSurface;
  TMonitorHistory mHistory;
  int mEffectiveAspect = 1;
  int mFrameCount = 0, mFrameIndex = -1;
  TRect mInnerRect;
};

}  // namespace Tarnwell
