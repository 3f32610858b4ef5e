#pragma once
// TCanvas: classic GDI-style drawing over a QPainter. Shapes cover the pixels
// the drawing code expects: Rectangle(0,0,10,10) covers x 0..9, LineTo leaves
// out its last pixel, TextOut anchors the text cell's top-left, nothing is
// antialiased, and the pen mode is a raster operation on raster devices.
//
// A canvas either owns a painter on a paint device (opened on first use, ended
// by Release() or the destructor) or borrows one that is already active.

#include <QPainter>
#include <QPolygon>
#include <QString>
#include <memory>
#include <vector>

#include "TGraphics.h"
#include "TTypes.h"
#include <Tarnwell/TarnwellExport.h>
class QPicture;

namespace Tarnwell {

class TBitmap;
class TMetafile;
class TMetafileCanvas;

// A drawing surface over a widget, an image or a printer, with a pen, a brush and a font;
// measurements are in pixels.
class TARNWELL_PLATFORMCORE_EXPORT TCanvas {
 public:
  // Paints on `device`; the painter opens lazily and ends in Release().
  explicit TCanvas(QPaintDevice* device);
  // Borrows an active painter (a widget's paint event, a printer, a picture).
  explicit TCanvas(QPainter* painter);
  // A canvas with no device: for measuring text only.
  TCanvas();
  virtual ~TCanvas();
  TCanvas(const TCanvas&) = delete;
  TCanvas& operator=(const TCanvas&) = delete;

  TPen& Pen() { return mPen; }
  TBrush& Brush() { return mBrush; }
  TFont& Font() { return mFont; }
  const TPen& Pen() const { return mPen; }
  const TBrush& Brush() const { return mBrush; }
  const TFont& Font() const { return mFont; }
  TPoint PenPos() const { return mPenPos; }
  void SetPenPos(TPoint p) { mPenPos = p; }
  // Palette used to resolve system colours (defaults to the application's).
  void SetPalette(const QPalette& pal) {
    mPalette = pal;
    mHasPalette = true;
  }

  void MoveTo(int x, int y);
  void LineTo(int x, int y);
  void Polyline(const std::vector<TPoint>& pts);
  void Polyline(const TPoint* pts, int count);
  void Polygon(const std::vector<TPoint>& pts);
  void Polygon(const TPoint* pts, int count);
  void Rectangle(int l, int t, int r, int b);
  void Rectangle(const TRect& r) { Rectangle(r.Left, r.Top, r.Right, r.Bottom); }
  void RoundRect(int l, int t, int r, int b, int rx, int ry);
  void Ellipse(int l, int t, int r, int b);
  void Ellipse(const TRect& r) { Ellipse(r.Left, r.Top, r.Right, r.Bottom); }
  // Counter-clockwise from the radial through (x3,y3) to the radial through (x4,y4).
  void Arc(int x1, int y1, int x2, int y2, int x3, int y3, int x4, int y4);
  void Pie(int x1, int y1, int x2, int y2, int x3, int y3, int x4, int y4);
  void Chord(int x1, int y1, int x2, int y2, int x3, int y3, int x4, int y4);
  // Brush fill, no outline.
  void FillRect(const TRect& r);
  // One-pixel frame in the brush colour.
  void FrameRect(const TRect& r);
  // Classic 3D frame: `width` rings, top-left in topColor, bottom-right in
  // bottomColor; the rectangle shrinks by one on every side per ring.
  void Frame3D(TRect& r, TColor topColor, TColor bottomColor, int width);
  // Focus rectangle (dotted, XOR).
  void DrawFocusRect(const TRect& r);
  // Flood-free single pixels. Reading works on raster devices; elsewhere it
  // returns clNone.
  TColor Pixel(int x, int y);
  void SetPixel(int x, int y, TColor c);

  // Text cell's top-left at (x, y); the background is filled with the brush
  // unless the brush is clear. PenPos moves to the end of the text.
  void TextOut(int x, int y, const QString& text);
  // Like TextOut, clipped to r, whose background is filled unless clear.
  void TextRect(const TRect& r, int x, int y, const QString& text);
  // Single line centred in r (vertically and horizontally), clipped to r.
  void TextCentered(const TRect& r, const QString& text);
  // Text with Qt alignment flags inside r (word wrap etc.), clipped to r.
  void DrawText(const TRect& r, const QString& text, int qtFlags);
  int TextWidth(const QString& text);
  int TextHeight(const QString& text);
  QSize TextExtent(const QString& text);

  void Draw(int x, int y, const TBitmap& bmp);
  void Draw(int x, int y, const QImage& img);
  void Draw(int x, int y, const TMetafile& mf);
  void StretchDraw(const TRect& r, const TBitmap& bmp);
  void StretchDraw(const TRect& r, const QImage& img);
  void StretchDraw(const TRect& r, const TMetafile& mf);
  // Copies src's srcRect into dest, scaling when the sizes differ.
  void CopyRect(const TRect& dest, TCanvas& src, const TRect& srcRect);
  void CopyRect(const TRect& dest, const QImage& src, const TRect& srcRect);
  // Copies srcRect of bmp into dest with every pixel of `color` replaced by
  // the brush colour.
  void BrushCopy(const TRect& dest, const TBitmap& bmp, const TRect& srcRect, TColor color);

  // Clip rectangle; an empty TRect removes the clip.
  void SetClipRect(const TRect& r);
  TRect ClipRect() const;
  bool HasClip() const { return mHasClip; }

  // The painter (opened if need be) with pen, brush and font applied, for code
  // that needs Qt directly (fast paths, transforms). Returns nullptr when the
  // canvas has no device.
  QPainter* Painter();
  // Ends an owned painter so that the device may be read or resized.
  void Release();
  QPaintDevice* Device() const { return mDevice; }
  bool IsRaster() const;

 protected:
  friend class TBitmap;
  friend class TMetafileCanvas;
  QColor Q(TColor c) const;
  void ApplyPen(QPainter& p, bool forText = false);
  void ApplyBrush(QPainter& p);
  QPainter* Begin();
  void RasterLine(QPainter& p, int x0, int y0, int x1, int y1);
  void RasterEllipse(QPainter& p, int l, int t, int r, int b, bool outline);
  // 0 arc, 1 pie, 2 chord.
  void ArcShape(int shape, int x1, int y1, int x2, int y2, int x3, int y3, int x4, int y4);
  void ArcPoints(int x1, int y1, int x2, int y2, int x3, int y3, int x4, int y4, QRectF& box,
                 double& startDeg, double& spanDeg) const;

  TPen mPen;
  TBrush mBrush;
  TFont mFont;
  TPoint mPenPos;
  QPalette mPalette;
  bool mHasPalette = false;
  // Called when an owned painter opens on the device or a pixel is written
  // directly (a bitmap drops caches derived from its image).
  std::function<void()> mOnDeviceWrite;
  const QFont& CachedFont();
  // Laid-out text of the current font, shared by all canvases: captions and
  // labels are measured and drawn again and again with the same few fonts.
  const struct TTextCacheEntry& Shaped(const QString& text);
  QFont mQFont;
  QString mQFontKey;
  bool mFontDirty = true;
  QPaintDevice* mDevice = nullptr;
  QPainter* mPainter = nullptr;
  std::unique_ptr<QPainter> mOwned;
  bool mHasClip = false;
  TRect mClip;
};

// Blends two colours (weight 0..1 of b): used for shading.
TARNWELL_PLATFORMCORE_EXPORT TColor BlendColor(TColor a, TColor b, double weight);

}  // namespace Tarnwell
