#pragma once
// Helpers of the measurement suites: rendering metafiles and surfaces, and an
// optional dump of what was drawn (TARNWELL_DUMP_DIR) for looking at it.
#include <QDir>
#include <QImage>

#include <Tarnwell/platform/TBitmap.h>
#include "TestUtil.h"

using namespace Tarnwell;

inline void DumpImage(const QImage& img, const QString& name) {
  const QString dir = qEnvironmentVariable("TARNWELL_DUMP_DIR");
  if (dir.isEmpty()) return;
  QDir().mkpath(dir);
  img.save(dir + "/" + name + ".png");
}

// Plays a metafile into a white image of the given size (stretched).
inline QImage RenderMetafile(const TMetafile& mf, int w, int h, TColor back = clWhite) {
  TBitmap bmp(w, h);
  bmp.Canvas().Brush().SetColor(back);
  bmp.Canvas().FillRect(Rect(0, 0, w, h));
  bmp.Canvas().StretchDraw(Rect(0, 0, w, h), mf);
  return bmp.Image();
}

// Counts the pixels of one colour inside a rectangle.
inline int CountColor(const QImage& img, const TRect& r, TColor c) {
  int n = 0;
  for (int y = std::max(0, r.Top); y < std::min(img.height(), r.Bottom); ++y)
    for (int x = std::max(0, r.Left); x < std::min(img.width(), r.Right); ++x)
      if (PixelAt(img, x, y) == c) ++n;
  return n;
}
