#pragma once
// The slide controls demonstration window: a menu manager with a chain of
// four slide menus along the top, a custom menu opening upward at the
// bottom, three bars opening to the right and five opening to the left.

#include <Tarnwell/platform/TControls.h>
#include <Tarnwell/slide/SldBBar.h>

namespace Tarnwell {

class TFormSlideMenu : public TForm {
  Q_OBJECT
 public:
  explicit TFormSlideMenu(QWidget* parent = nullptr);

  TSlideMenuMan* SlideMenuMan;
  TSlideMenu* SlideMenu1;
  TSlideMenu* SlideMenu2;
  TSlideMenu* SlideMenu3;
  TSlideMenu* SlideMenu4;
  TSlideMenu* SlideMenuServices;
  TSlideButtonBar* SlideButtonBar1;
  TSlideButtonBar* SlideButtonBar2;
  TSlideButtonBar* SlideButtonBar3;
  TSlideButtonBar* SlideButtonBar4;
  TSlideButtonBar* SlideButtonBar5;
  TSlideButtonBar* SlideButtonBar6;
  TSlideButtonBar* SlideButtonBar7;
  TSlideButtonBar* SlideButtonBar8;
  TSlideImageList* ImageList1;
  TPatternHolder* PatternHolder1;

  // The demo's own artwork, drawn here: strips of the sizes the controls use.
  static QImage ManagerGlyph();
  static QImage MenuImage(int index);
  // The pictures for a screen of `ratio` device pixels per logical pixel
  // (their devicePixelRatio set); at 1 the classic pictures.
  static QImage ServicesPicture(qreal ratio = 1);
  static QImage BigStrip(int bar, qreal ratio = 1);
  static QImage SmallStrip(int bar, qreal ratio = 1);
  static QImage PatternTile();
};

}  // namespace Tarnwell
