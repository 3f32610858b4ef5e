#pragma once
// TBitmap over QImage and TMetafile over QPicture. A bitmap's canvas paints
// into its image; reading the image (Image(), Pixel) ends that painter first.

#include <QImage>
#include <QPicture>
#include <QString>
#include <memory>

#include "TCanvas.h"
#include <Tarnwell/TarnwellExport.h>

namespace Tarnwell {

// The bits per pixel of a bitmap (pfDevice: the screen's).
enum TPixelFormat { pfDevice, pf1bit, pf4bit, pf8bit, pf15bit, pf16bit, pf24bit, pf32bit };
// How a transparent bitmap's transparent colour is chosen: its bottom-left pixel (tmAuto) or
// TransparentColor (tmFixed).
enum TTransparentMode { tmAuto, tmFixed };

// A picture of a given pixel format with a canvas to draw on, optionally transparent in one colour.
class TARNWELL_PLATFORMCORE_EXPORT TBitmap {
 public:
  TBitmap();
  TBitmap(int width, int height);
  explicit TBitmap(const QImage& img);
  TBitmap(const TBitmap& other);
  TBitmap& operator=(const TBitmap& other);
  ~TBitmap();

  int Width() const { return mImage.width(); }
  int Height() const { return mImage.height(); }
  bool Empty() const { return mImage.isNull() || mImage.width() == 0 || mImage.height() == 0; }
  // Keeps the old contents in the top-left; new area is white.
  void SetSize(int width, int height);
  void SetWidth(int w) { SetSize(w, Height()); }
  void SetHeight(int h) { SetSize(Width(), h); }
  TPixelFormat PixelFormat() const { return mFormat; }
  void SetPixelFormat(TPixelFormat f) { mFormat = f; }

  bool Transparent() const { return mTransparent; }
  void SetTransparent(bool t);
  // tmAuto: the bottom-left pixel is the transparent colour.
  TTransparentMode TransparentMode() const { return mTransparentMode; }
  void SetTransparentMode(TTransparentMode m) {
    mTransparentMode = m;
    mKeyedValid = false;
  }
  TColor TransparentColor() const;
  void SetTransparentColor(TColor c);

  TCanvas& Canvas();
  // The image (any painting on the canvas is flushed first).
  const QImage& Image() const;
  QImage& ImageForWrite();
  void Assign(const QImage& img);
  void Assign(const TBitmap& other);
  // The image with the transparent colour keyed out (cached).
  const QImage& KeyedImage() const;

  // PNG or BMP files and Qt resources; returns false on failure and keeps the old picture.
  bool LoadFromFile(const QString& path);
  // Saves in the format its suffix names, all or nothing (see TFileWriter).
  bool SaveToFile(const QString& path) const;
  void Clear();

  std::function<void(TBitmap* sender)> OnChange;
  void Changed();

 private:
  void Flush() const;
  QImage mImage;
  mutable std::unique_ptr<TCanvas> mCanvas;
  TPixelFormat mFormat = pfDevice;
  bool mTransparent = false;
  TTransparentMode mTransparentMode = tmAuto;
  TColor mTransparentColor = clNone;
  mutable QImage mKeyed;
  mutable bool mKeyedValid = false;
};

// A recorded picture that scales without losing sharpness.
class TARNWELL_PLATFORMCORE_EXPORT TMetafile {
 public:
  TMetafile() = default;
  TMetafile(const TMetafile&) = default;
  TMetafile& operator=(const TMetafile&) = default;
  int Width() const { return mWidth; }
  int Height() const { return mHeight; }
  void SetSize(int w, int h) {
    mWidth = w;
    mHeight = h;
  }
  bool Empty() const { return mPicture.isNull() || mWidth <= 0 || mHeight <= 0; }
  const QPicture& Picture() const { return mPicture; }
  QPicture& Picture() { return mPicture; }
  void Clear() { mPicture = QPicture(); }

 private:
  QPicture mPicture;
  int mWidth = 0, mHeight = 0;
};

// Records into a metafile; the recording is stored when the canvas is destroyed
// (or Finish() is called). Drawing with StretchDraw scales the logical
// Width x Height area to the target rectangle.
class TARNWELL_PLATFORMCORE_EXPORT TMetafileCanvas : public TCanvas {
 public:
  explicit TMetafileCanvas(TMetafile& mf);
  ~TMetafileCanvas() override;
  void Finish();

 private:
  TMetafile& mMetafile;
  QPicture mRecording;
  bool mFinished = false;
};

}  // namespace Tarnwell
