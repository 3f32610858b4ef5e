#include "TBitmap.h"

#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QPainter>

#include "TFileWriter.h"
#include "TResources.h"

namespace Tarnwell {

TBitmap::TBitmap() = default;

TBitmap::TBitmap(int width, int height) { SetSize(width, height); }

TBitmap::TBitmap(const QImage& img) { Assign(img); }

TBitmap::TBitmap(const TBitmap& o)
    : mImage(o.Image()),
      mFormat(o.mFormat),
      mTransparent(o.mTransparent),
      mTransparentMode(o.mTransparentMode),
      mTransparentColor(o.mTransparentColor) {}

TBitmap& TBitmap::operator=(const TBitmap& o) {
  if (this != &o) Assign(o);
  return *this;
}

TBitmap::~TBitmap() = default;

void TBitmap::Flush() const {
  if (mCanvas) mCanvas->Release();
}

void TBitmap::Changed() {
  mKeyedValid = false;
  if (OnChange) OnChange(this);
}

void TBitmap::SetSize(int width, int height) {
  width = std::max(0, width);
  height = std::max(0, height);
  if (width == Width() && height == Height() && !mImage.isNull()) return;
  Flush();
  QImage img(width, height, QImage::Format_RGB32);
  img.fill(Qt::white);
  if (!mImage.isNull() && width > 0 && height > 0) {
    QPainter p(&img);
    p.drawImage(0, 0, mImage);
  }
  mImage = img;
  Changed();
}

void TBitmap::SetTransparent(bool t) {
  if (t == mTransparent) return;
  mTransparent = t;
  Changed();
}

TColor TBitmap::TransparentColor() const {
  if (mTransparentMode == tmFixed && mTransparentColor != clNone) return mTransparentColor;
  const QImage& img = Image();
  if (img.isNull() || img.width() == 0 || img.height() == 0) return clNone;
  return FromQRgb(img.pixel(0, img.height() - 1));
}

void TBitmap::SetTransparentColor(TColor c) {
  mTransparentColor = c;
  mTransparentMode = c == clNone ? tmAuto : tmFixed;
  mKeyedValid = false;
}

TCanvas& TBitmap::Canvas() {
  if (!mCanvas) {
    mCanvas = std::make_unique<TCanvas>(&mImage);
    mCanvas->mOnDeviceWrite = [this] { mKeyedValid = false; };
  }
  return *mCanvas;
}

const QImage& TBitmap::Image() const {
  Flush();
  return mImage;
}

QImage& TBitmap::ImageForWrite() {
  Flush();
  mKeyedValid = false;
  return mImage;
}

void TBitmap::Assign(const QImage& img) {
  Flush();
  if (img.isNull())
    mImage = QImage();
  else if (img.format() == QImage::Format_RGB32 || img.format() == QImage::Format_ARGB32 ||
           img.format() == QImage::Format_ARGB32_Premultiplied)
    mImage = img;
  else
    mImage = img.convertToFormat(img.hasAlphaChannel() ? QImage::Format_ARGB32 : QImage::Format_RGB32);
  Changed();
}

void TBitmap::Assign(const TBitmap& o) {
  if (this == &o) return;
  mFormat = o.mFormat;
  mTransparent = o.mTransparent;
  mTransparentMode = o.mTransparentMode;
  mTransparentColor = o.mTransparentColor;
  Assign(o.Image());
}

const QImage& TBitmap::KeyedImage() const {
  if (mKeyedValid) return mKeyed;
  const QImage& src = Image();
  if (src.isNull()) {
    mKeyed = QImage();
  } else {
    const unsigned key = ToQRgb(ColorToRGB(TransparentColor())) & 0xFFFFFF;
    // Pictures shared from resources are keyed once for all their users.
    thread_local QHash<QPair<qint64, unsigned>, QImage> shared;
    const auto id = qMakePair(src.cacheKey(), key);
    auto it = shared.constFind(id);
    if (it != shared.constEnd()) {
      mKeyed = *it;
    } else {
      mKeyed = src.convertToFormat(QImage::Format_ARGB32);
      for (int y = 0; y < mKeyed.height(); ++y) {
        auto* line = reinterpret_cast<QRgb*>(mKeyed.scanLine(y));
        for (int x = 0; x < mKeyed.width(); ++x)
          if ((line[x] & 0xFFFFFF) == key) line[x] = 0;
      }
      if (shared.size() > 64) shared.clear();
      shared.insert(id, mKeyed);
    }
  }
  mKeyedValid = true;
  return mKeyed;
}

bool TBitmap::LoadFromFile(const QString& path) {
  QImage img;
  if (!img.load(path) || img.isNull()) return false;
  Assign(img);
  return true;
}

bool TBitmap::SaveToFile(const QString& path) const {
  if (Empty()) return false;
  const QByteArray format = QFileInfo(path).suffix().toLower().toLatin1();
  TFileWriter out(path);
  return out.open() && Image().save(&out, format.isEmpty() ? "PNG" : format.constData()) && out.Commit();
}

void TBitmap::Clear() {
  Flush();
  mImage = QImage();
  Changed();
}

// ---- TMetafileCanvas -----------------------------------------------------------

TMetafileCanvas::TMetafileCanvas(TMetafile& mf)
    : TCanvas(static_cast<QPaintDevice*>(nullptr)), mMetafile(mf) {
  mDevice = &mRecording;
}

TMetafileCanvas::~TMetafileCanvas() { Finish(); }

void TMetafileCanvas::Finish() {
  if (mFinished) return;
  mFinished = true;
  Release();
  mDevice = nullptr;
  mMetafile.Picture() = mRecording;
  if (mMetafile.Width() <= 0 || mMetafile.Height() <= 0) {
    const QRect b = mRecording.boundingRect();
    mMetafile.SetSize(b.right() + 1, b.bottom() + 1);
  }
}

}  // namespace Tarnwell
