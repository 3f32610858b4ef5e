#pragma once
// TColorSelector: pops up a small borderless palette window under the mouse
// and returns the chosen colour, remembering the last sixteen custom choices.

#include <QDialog>
#include <QImage>
#include <QObject>
#include <array>
#include <functional>

#include <Tarnwell/platform/TColor.h>
#include <Tarnwell/platform/TProperty.h>
#include <Tarnwell/TarnwellExport.h>

namespace Tarnwell {

// A plain painting surface with mouse callbacks.
class TARNWELL_VISUALS_EXPORT TPaintBox : public QWidget {
  Q_OBJECT
 public:
  explicit TPaintBox(QWidget* parent = nullptr) : QWidget(parent) {}
  std::function<void(QPainter&)> OnPaint;
  std::function<void(Qt::MouseButton, int x, int y)> OnMouseUp;
  std::function<void(int x, int y)> OnMouseMove;

 protected:
  void paintEvent(QPaintEvent*) override;
  void mouseMoveEvent(QMouseEvent* e) override;
  void mouseReleaseEvent(QMouseEvent* e) override;
};

// The palette window of a TColorSelector.
class TARNWELL_VISUALS_EXPORT TFormColorSelector : public QDialog {
  Q_OBJECT
 public:
  TFormColorSelector(const QImage& defCols, const QImage& userCols, const QImage& redScroll,
                     const QImage& colArea, TColor current, QWidget* parent = nullptr);

  TColor CurrentColor() const { return mColor; }
  const QImage& ColorArea() const { return mColArea; }

  TPaintBox* PBDefCols;
  TPaintBox* PBRedScroll;
  TPaintBox* PBColArea;
  TPaintBox* PBUserCols;
  TPaintBox* PBSelNone;
  TPaintBox* PBSelCol;

  // Where a picture answers the mouse: inside its one-pixel frame.
  static bool InDefCols(int x, int y) { return x >= 1 && x <= 32 && y >= 1 && y <= 128; }
  static bool InUserCols(int x, int y) { return x >= 1 && x <= 128 && y >= 1 && y <= 32; }
  static bool InColArea(int x, int y) { return x >= 1 && x <= 128 && y >= 1 && y <= 128; }
  static bool InRedScroll(int x, int y) { return x >= 1 && x <= 16 && y >= 1 && y <= 128; }

 private:
  void Hover(const QImage& img, int x, int y);
  void Release(const QImage& img, Qt::MouseButton b, int x, int y, bool inside);
  void SetRed(int red);
  QImage mDefCols, mUserCols, mRedScroll, mColArea;
  TColor mColor;
};

// Pops up a small palette window under the mouse and returns the colour chosen (SelectedColor),
// remembering the last sixteen custom choices.
class TARNWELL_VISUALS_EXPORT TColorSelector : public QObject {
  Q_OBJECT
  // The colour last chosen; clNone ("none", or nothing chosen yet) is an
  // invalid QColor at the Qt boundary.
  TW_COLOR_PROPERTY(SelectedColor, (void)0)

 public:
  explicit TColorSelector(QObject* owner = nullptr);

  // Shows the palette under the mouse; true when a colour (or "none") was chosen.
  bool Execute();

  const std::array<TColor, 16>& UserColors() const { return mUserColors; }
  const QImage& DefaultPalette() const { return mDefCols; }
  const QImage& UserPalette() const { return mUserCols; }
  const QImage& RedStrip() const { return mRedScroll; }
  const QImage& ColorArea() const { return mColArea; }

  // Takes a chosen colour as Execute does after OK.
  void Accept(TColor c);

 private:
  void BuildUserPalette();
  TColor mSelectedColor = clNone;
  std::array<TColor, 16> mUserColors;
  int mInsert = 0;
  QImage mDefCols, mUserCols, mRedScroll, mColArea;
};

}  // namespace Tarnwell
