#pragma once
// TBarCodes: a control that shows its Caption as a bar code, sizes itself to
// the symbol and prints the human-readable text under the bars the way
// retail codes do (EAN/UPC guard bars stand longer than the data bars).
//
// The symbol is encoded and the control resized whenever a property or the
// caption changes, so that A_BarCode and the size are right before the
// control is ever shown, printed or rendered off screen; painting only draws.

#include <QWidget>
#include <memory>
#include <string>

#include "BarCdObj.h"
#include <Tarnwell/platform/TCanvas.h>
#include <Tarnwell/platform/TColor.h>
#include <Tarnwell/platform/TProperty.h>
#include <Tarnwell/platform/TWidgetLook.h>
#include <Tarnwell/TarnwellExport.h>

namespace Tarnwell {

// The base of the bar code control: encodes its Caption in the chosen symbology and paints the
// bars.
class TARNWELL_BARCODES_EXPORT TCustomBarCodes : public QWidget {
  Q_OBJECT
  // The control's text, shown as the bar code; a change re-encodes at once.
  TW_PROPERTY(QString, Caption, BarCodeChanged())
  // Background of the blank strip and the text boxes (the bars are black):
  // the background role of the palette, so setPalette and style sheets
  // reach it.
  TW_COLOR_PROPERTY_CUSTOM(Color)

 public:
  explicit TCustomBarCodes(QWidget* parent = nullptr);
  ~TCustomBarCodes() override;

  // The module string and readable text of the current caption.
  const std::string& Modules() const { return mModules; }

 protected:
  // Runs the three encoders in their fixed order over the caption.
  void Encode();
  // A property changed: encode, let the subclass size itself, repaint.
  virtual void BarCodeChanged();

  std::unique_ptr<TBarCdEAN_UPC> mEncEAN;
  std::unique_ptr<TBarCd39_128_93> mEnc39;
  std::unique_ptr<TBarCdNUMERIC> mEnc11;
  QString mA_BarCode;  // readable text
  bool mA_Readable = true;
  TBarCodesType mA_CodeType = bcEAN_13;
  int mA_BarPixels = 2;
  bool mA_HeightAuto = true;
  int mA_HeightMult = 66;
  std::string mModules;
  QString mCaption;
  TControlColor mColorView{this, clBtnFace};
};

// A bar code control: its Caption shown as a symbol of one of eleven linear symbologies, sized to
// the symbol.
class TARNWELL_BARCODES_EXPORT TBarCodes : public TCustomBarCodes {
  Q_OBJECT
  // Values that name no code type are ignored.
  TW_PROPERTY_FIXED(Tarnwell::BarCodeTypes::TBarCodesType, A_CodeType,
                    static_cast<int>(value) >= 0 && static_cast<int>(value) < BarCodesTypeCount ? value : mA_CodeType,
                    BarCodeChanged())
  // The readable text (check characters included); setting it sets Caption.
  TW_PROPERTY_CUSTOM(QString, A_BarCode)
  // Pixels per module; any value is stored, values below 1 draw as 1.
  TW_PROPERTY(int, A_BarPixels, BarCodeChanged())
  // Writes the readable text under the bars (default on); the bars leave it room.
  TW_PROPERTY(bool, A_Readable, repaint())
  // Adds the modulo-43 check character to Code 39 symbols (default on); only code types of the
  // Code 39 family have it, for the others it reads true and setting it does nothing.
  TW_PROPERTY_CUSTOM(bool, A_C39CheckChar)
  // Only 2 and 3 are accepted; other values are ignored.
  TW_PROPERTY_CUSTOM(int, A_WideRatio)
  // The control's height follows the symbol, A_HeightMult times the module width
  // (default on), and a layout keeps it; off, the height is the one the
  // control is given and may follow the layout.
  TW_PROPERTY(bool, A_HeightAuto, BarCodeChanged())
  // Values below 10 become 10.
  TW_PROPERTY_FIXED(int, A_HeightMult, std::max(value, 10), BarCodeChanged())
  // Blank margins on both sides, so that the bars have the quiet zone their
  // symbology asks of a reader (EAN-13 11 modules left and 7 right, EAN-8 7
  // and 7, UPC-A 9 and 9, UPC-E 9 and 7, the others 10 and 10); the margin
  // that holds the outer digits counts. Off: the symbol as wide as it needs.
  TW_PROPERTY_DEFAULT(bool, A_QuietZone, false, BarCodeChanged())

 public:
  explicit TBarCodes(QWidget* parent = nullptr);

  // Blank margin left of the first module (EAN-13, UPC-A; also right of the
  // last for UPC-A), as computed by the last BarCodeWidth.
  int TextMargin() const { return mTextMargin; }
  // The quiet zones added by A_QuietZone, in pixels, as computed by the last
  // BarCodeWidth (0 with A_QuietZone off).
  int QuietLeft() const { return mQuietLeft; }
  int QuietRight() const { return mQuietRight; }
  // The width the symbol needs at `BarPixels` per module; sets TextMargin.
  int BarCodeWidth(int BarPixels);
  // Paints the bars and the text boxes with the top-left corner at (X, Y);
  // usable on any canvas (a printer's, an image's).
  void DrawBarCode(TCanvas& Canvas, int X, int Y, int Height, int Width, int BarPixels, TColor Color);
  // Blanks a box under the bars and centres Text in it (when A_Readable).
  void DrawTextBox(TCanvas& Canvas, int Left, int Right, int Bottom, const QString& Text);

  // The whole symbol: its width, and the height A_HeightAuto gives. In a
  // layout the control keeps that size (with A_HeightAuto off the height
  // may follow the layout).
  QSize sizeHint() const override;
  QSize minimumSizeHint() const override;

  // Largest module width honoured, and the size limit of the control, so that
  // huge values cannot overflow the geometry.
  static constexpr int MaxBarPixels = 4096;
  static constexpr int MaxExtent = 16777215;

 protected:
  void BarCodeChanged() override;
  void paintEvent(QPaintEvent*) override;

 private:
  int mTextMargin = 0;
  int mQuietLeft = 0, mQuietRight = 0;
  bool mA_QuietZone = false;
  int mTextHeight = 0;  // of the last DrawBarCode's font
  QSize mSymbolSize;    // width and automatic height of the current symbol
};

}  // namespace Tarnwell
