#pragma once
// The simple visual components demonstration: labels raised, engraved and
// angled, lamps, spherical buttons, rhomb pads, date and time edits, button
// arrays, address labels and the pickers; "Color" recolours the window.

#include <QLabel>

#include <Tarnwell/app/ShineBtn.h>
#include <Tarnwell/platform/TControls.h>
#include <Tarnwell/visuals/Button3D.h>
#include <Tarnwell/visuals/ColCbBox.h>
#include <Tarnwell/visuals/ColSelec.h>
#include <Tarnwell/visuals/DTEdit.h>
#include <Tarnwell/visuals/ERombBtn.h>
#include <Tarnwell/visuals/FntCbBox.h>
#include <Tarnwell/visuals/GraphLed.h>
#include <Tarnwell/visuals/Label3D.h>
#include <Tarnwell/visuals/LabelAng.h>
#include <Tarnwell/visuals/URLLabel.h>

namespace Tarnwell {

class TFormSimpleVis : public TForm {
  Q_OBJECT
 public:
  explicit TFormSimpleVis(QWidget* parent = nullptr);

  TColorComboBox* ColorComboBox1;
  TFontComboBox* FontComboBox1;
  TSpeedButton* SpeedButton1;
  TColorSelector* ColorSelector1;
  TLabel3D *Label3D1, *Label3D2, *Label3D3;
  TLabelAngle *LabelAngle1, *LabelAngle2, *LabelAngle3, *LabelAngle4;
  TShineButton *ShineButton1, *ShineButton2;
  TGraphicLed *GraphicLed1, *GraphicLed2, *GraphicLed3;
  TSphericalButton *SphericalButton1, *SphericalButton2, *SphericalButton3, *SphericalButton4, *SphericalButton5;
  TButtonArray *ButtonArray1, *ButtonArray2;
  TDateTimeEdit *DateTimeEdit1, *DateTimeEdit2;
  TEnhRombButtons *EnhRombButtons1, *EnhRombButtons2, *EnhRombButtons3;
  TURLLabel *URLLabel1, *URLLabel2;
  QLabel *Label1, *Label2, *Label3, *Label4;

  // The "Color" button: the colour selector, then the window's colour.
  void SpeedButton1Click();
};

// The pictures of the window, drawn by code: the six 16 x 16 images of the
// button arrays, the up and down glyphs of the date edits, a glyph for each
// spherical button and the palette glyph of the colour button.
// Pictures made for a screen of pixel ratio `ratio` (exact pixels at 1).
QList<QImage> SimpleVisImageList(qreal ratio = 1);
QImage SimpleVisArrowGlyph(bool up, qreal ratio = 1);
QImage SimpleVisSphereGlyph(int index);
QImage SimpleVisPaletteGlyph(qreal ratio = 1);

}  // namespace Tarnwell
