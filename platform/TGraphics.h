#pragma once
// Pens, brushes and fonts with the classic semantics: a font's Height is
// signed (negative = character height in pixels, positive = cell height),
// Size is in points at a fixed 96 dots per inch, and every object reports its
// changes through OnChange so that the owning control can redraw.

#include <QBrush>
#include <QFont>
#include <QImage>
#include <QPen>
#include <QString>
#include <functional>
#include <memory>

#include "TColor.h"
#include <Tarnwell/TarnwellExport.h>

namespace Tarnwell {

// The line of a pen: solid, dashed, dotted, clear or inside the frame.
enum TPenStyle { psSolid, psDash, psDot, psDashDot, psDashDotDot, psClear, psInsideFrame };
// How a pen combines with what is drawn already (copy, xor, not ...).
enum TPenMode {
  pmBlack,
  pmWhite,
  pmNop,
  pmNot,
  pmCopy,
  pmNotCopy,
  pmMergePenNot,
  pmMaskPenNot,
  pmMergeNotPen,
  pmMaskNotPen,
  pmMerge,
  pmNotMerge,
  pmMask,
  pmNotMask,
  pmXor,
  pmNotXor
};
// The fill of a brush: solid, clear or a hatch.
enum TBrushStyle {
  bsSolid,
  bsClear,
  bsHorizontal,
  bsVertical,
  bsFDiagonal,
  bsBDiagonal,
  bsCross,
  bsDiagCross
};

// Style flags of a font: bold, italic, underline, strike-out.
enum TFontStyle : unsigned { fsBold = 1, fsItalic = 2, fsUnderline = 4, fsStrikeOut = 8 };
using TFontStyles = unsigned;  // an OR of TFontStyle flags
// Whether a font has fixed or variable character widths.
enum TFontPitch { fpDefault, fpVariable, fpFixed };

constexpr int ScreenPixelsPerInch = 96;

// The base of the pen, brush and font: tells its canvas when it changes.
class TARNWELL_PLATFORMCORE_EXPORT TGraphicsObject {
 public:
  TGraphicsObject() = default;
  // A copy carries the values, never the owner's change handler.
  TGraphicsObject(const TGraphicsObject&) {}
  TGraphicsObject& operator=(const TGraphicsObject&) { return *this; }
  virtual ~TGraphicsObject() = default;
  std::function<void(TGraphicsObject* sender)> OnChange;

 protected:
  void Changed();
  friend class TCanvas;
};

// The pen of a canvas: colour, width in pixels, style and drawing mode.
class TARNWELL_PLATFORMCORE_EXPORT TPen : public TGraphicsObject {
 public:
  TColor Color() const { return mColor; }
  void SetColor(TColor c);
  int Width() const { return mWidth; }
  void SetWidth(int w);
  TPenStyle Style() const { return mStyle; }
  void SetStyle(TPenStyle s);
  TPenMode Mode() const { return mMode; }
  void SetMode(TPenMode m);
  void Assign(const TPen& other);
  TPen() = default;
  TPen(const TPen& o) : TGraphicsObject() { CopyValues(o); }
  // Assignment notifies like Assign.
  TPen& operator=(const TPen& o) {
    Assign(o);
    return *this;
  }
  // Qt pen with system colours resolved; psClear gives Qt::NoPen.
  QPen ToQPen() const;

 private:
  void CopyValues(const TPen& o) {
    mColor = o.mColor;
    mWidth = o.mWidth;
    mStyle = o.mStyle;
    mMode = o.mMode;
  }
  TColor mColor = clBlack;
  int mWidth = 1;
  TPenStyle mStyle = psSolid;
  TPenMode mMode = pmCopy;
};

class TBitmap;

// The brush of a canvas: colour and style (solid, clear or a hatch), or a picture.
class TARNWELL_PLATFORMCORE_EXPORT TBrush : public TGraphicsObject {
 public:
  TColor Color() const { return mColor; }
  void SetColor(TColor c);
  TBrushStyle Style() const { return mStyle; }
  void SetStyle(TBrushStyle s);
  // A pattern bitmap overrides Style and Color (a copy is kept). Empty clears it.
  const QImage& Bitmap() const { return mBitmap; }
  void SetBitmap(const QImage& img);
  void Assign(const TBrush& other);
  TBrush() = default;
  TBrush(const TBrush& o) : TGraphicsObject(), mColor(o.mColor), mStyle(o.mStyle), mBitmap(o.mBitmap) {}
  TBrush& operator=(const TBrush& o) {
    Assign(o);
    return *this;
  }
  QBrush ToQBrush() const;

 private:
  TColor mColor = clWhite;
  TBrushStyle mStyle = bsSolid;
  QImage mBitmap;
};

// The font of a canvas: face, Height in pixels (negative: character height), Size in points at 96
// dpi, style and colour; classic face names are substituted (InitializeTarnwell).
class TARNWELL_PLATFORMCORE_EXPORT TFont : public TGraphicsObject {
 public:
  TFont();
  TFont(const TFont& o);
  TFont& operator=(const TFont& o) {
    Assign(o);
    return *this;
  }
  QString Name() const { return mName; }
  void SetName(const QString& n);
  // Negative: character height in pixels; positive: cell height; 0: default.
  int Height() const { return mHeight; }
  void SetHeight(int h);
  // Points at 96 dpi: Size = -Height * 72 / 96, rounded.
  int Size() const;
  void SetSize(int points);
  TFontStyles Style() const { return mStyle; }
  void SetStyle(TFontStyles s);
  TColor Color() const { return mColor; }
  void SetColor(TColor c);
  TFontPitch Pitch() const { return mPitch; }
  void SetPitch(TFontPitch p);
  int Charset() const { return mCharset; }
  void SetCharset(int c);
  // Escapement/orientation in tenths of a degree, counter-clockwise.
  int Orientation() const { return mOrientation; }
  void SetOrientation(int tenths);
  void Assign(const TFont& other);
  bool operator==(const TFont& o) const;

  // Qt font with the name mapped to an installed family and the height in
  // pixels (conversions are cached: the same few fonts recur everywhere).
  QFont ToQFont() const;
  // A short text that differs for fonts that draw differently (not colour).
  QString Key() const;
  // Reads a QFont back (pixel or point size).
  void AssignQFont(const QFont& f);

  static constexpr const char* DefaultName = "MS Sans Serif";
  static constexpr int DefaultHeight = -11;

 private:
  QString mName = DefaultName;
  int mHeight = DefaultHeight;
  TFontStyles mStyle = 0;
  TColor mColor = clWindowText;
  TFontPitch mPitch = fpDefault;
  int mCharset = 1;
  int mOrientation = 0;
};

// Maps the classic font names used in stored designs to families that are
// installed here (Liberation, DejaVu); called once, on first font use.
TARNWELL_PLATFORMCORE_EXPORT void InstallFontSubstitutes();

// A copy of `font` turned by `tenths` of a degree: text at an angle.
TARNWELL_PLATFORMCORE_EXPORT TFont RotatedFont(const TFont& font, int tenths);

}  // namespace Tarnwell
