#pragma once
// "Other Components": three strips of component icons; moving the mouse
// over an icon shows its description, kept in one string holder per strip.

#include <QLabel>
#include <QPlainTextEdit>

#include "Stringhl.h"
#include <Tarnwell/platform/TControls.h>

namespace Tarnwell {

// An auto-sized picture that reports the pointer moving over it.
class TIconStrip : public QLabel {
  Q_OBJECT
 public:
  explicit TIconStrip(QWidget* parent = nullptr);
  void SetPicture(const QImage& img);
 Q_SIGNALS:
  void PointerMoved(int x, int y);

 protected:
  void mouseMoveEvent(QMouseEvent* e) override;
};

// One strip of `count` icons, 28 pixels apart; `strip` 0..2 picks the set.
// Drawn for a screen of `ratio` device pixels per logical pixel (the
// picture's devicePixelRatio set).
QImage ComponentIconStrip(int strip, int count = 10, qreal ratio = 1);

class TFormUtilityComp : public TForm {
  Q_OBJECT
 public:
  explicit TFormUtilityComp(QWidget* parent = nullptr);

  TCustomPanel* Panel1;
  TCustomPanel* Panel2;
  TCustomPanel* Panel3;
  TIconStrip* Image1;
  TIconStrip* Image2;
  TIconStrip* Image3;
  QPlainTextEdit* Memo1;
  TStringHolder* StringHolder1;
  TStringHolder* StringHolder2;
  TStringHolder* StringHolder3;

  // The description of the icon under x in strip `image` (1..3).
  void ImageMouseMove(int image, int x);
};

}  // namespace Tarnwell
