#pragma once
// Small helpers shared by the suites.
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QImage>
#include <QString>
#include <functional>

#include <Tarnwell/platform/TColor.h>

using namespace Tarnwell;

// Runs the event loop until cond() holds or ms pass; returns cond().
inline bool WaitUntil(const std::function<bool()>& cond, int ms = 2000) {
  QElapsedTimer t;
  t.start();
  while (!cond() && t.elapsed() < ms) {
    QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
    // Outside a running event loop deleteLater() waits for this explicitly.
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
  }
  return cond();
}

// The colour of one pixel of an image as a TColor.
inline TColor PixelAt(const QImage& img, int x, int y) { return FromQRgb(img.pixel(x, y)); }

// A white RGB32 image.
inline QImage WhiteImage(int w, int h) {
  QImage img(w, h, QImage::Format_RGB32);
  img.fill(Qt::white);
  return img;
}

// Where the source tree is (set by CTest), for test data files.
inline QString SourceDir() { return qEnvironmentVariable("TARNWELL_SOURCE_DIR", QStringLiteral(".")); }
