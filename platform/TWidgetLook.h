#pragma once
// A control's Font and Color as views of its QWidget::font() and palette().
//
// The components' drawing code speaks TFont (name, signed height, style and
// colour) and TColor (system colours resolved late); Qt programs speak
// setFont(), setPalette(), style sheets and application-wide themes. These
// two small members keep both in step, so that either side may set them:
//
//   class TGauge : public QWidget {
//     TControlFont mFont{this};                  // Font() for the canvas
//     TControlColor mColor{this, clBtnFace};     // Color()
//   };
//
// - TControlFont follows the widget's font and the text role of its palette:
//   an application font, a parent's font, setFont() or a style sheet reach
//   the TFont at once (the widget's FontChange/PaletteChange refresh it), and
//   changing the TFont writes through with setFont() and the palette.
// - TControlColor is the colour of one palette role (the background role by
//   default). Setting a TColor writes the role; a system colour is kept by
//   name and re-resolved when the application palette changes. When somebody
//   else sets the role (setPalette, a style sheet), Color() reads it back.
//
// Both call `changed` (if given) after every change from either side, for
// controls that keep pictures built from their font or colour.

#include <QObject>
#include <QPalette>
#include <QPointer>
#include <QWidget>
#include <functional>

#include "TColor.h"
#include "TGraphics.h"
#include <Tarnwell/TarnwellExport.h>

namespace Tarnwell {

// The Font of a control as a view of the widget's own font and text colour.
class TARNWELL_PLATFORM_EXPORT TControlFont : public QObject {
 public:
  explicit TControlFont(QWidget* owner, QPalette::ColorRole textRole = QPalette::WindowText);
  TControlFont(const TControlFont&) = delete;
  TControlFont& operator=(const TControlFont&) = delete;

  // The widget's font as a TFont; changing it changes the widget.
  TFont& Font() { return mFont; }
  const TFont& Font() const { return mFont; }
  operator TFont&() { return mFont; }
  void Assign(const TFont& f) { mFont.Assign(f); }

  std::function<void()> changed;

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void ReadFromWidget();
  void WriteToWidget();
  QWidget* mOwner;
  QPalette::ColorRole mTextRole;
  TFont mFont;
  bool mSyncing = false;
};

// The Color of a control as a view of one role of its palette, so setPalette, style sheets and
// themes reach it.
class TARNWELL_PLATFORM_EXPORT TControlColor : public QObject {
 public:
  TControlColor(QWidget* owner, TColor defaultColor, QPalette::ColorRole role = QPalette::NoRole);
  TControlColor(const TControlColor&) = delete;
  TControlColor& operator=(const TControlColor&) = delete;

  // The colour as the drawing code uses it (a system colour stays symbolic
  // while nobody else has set the role).
  TColor Color() const;
  void SetColor(TColor c);
  // The resolved colour, for the Qt boundary.
  QColor ToQColor() const;
  QPalette::ColorRole Role() const;

  std::function<void()> changed;
  // Sets `changed` to call fn only when Color() itself changes: palette
  // changes of other roles, or to the same colour, stay quiet.
  void WhenColorChanges(std::function<void()> fn);

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void Apply();
  QWidget* mOwner;
  QPalette::ColorRole mRole;
  TColor mColor;
  QColor mWritten;  // what we last wrote into the role (invalid: nothing)
  bool mSyncing = false;
};

}  // namespace Tarnwell
