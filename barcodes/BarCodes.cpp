#include "BarCodes.h"

#include <QPaintEvent>
#include <algorithm>
#include <cstdint>

#include <Tarnwell/platform/TTypes.h>

#include <Tarnwell/platform/TAccessible.h>

TARNWELL_LIBRARY_ACCESSIBLE(barcodes)

namespace Tarnwell {

namespace {
// The module width actually drawn: at least 1, at most MaxBarPixels.
int ModulePixels(int barPixels) { return std::clamp(barPixels, 1, TBarCodes::MaxBarPixels); }
}  // namespace

TCustomBarCodes::TCustomBarCodes(QWidget* parent)
    : QWidget(parent),
      mEncEAN(std::make_unique<TBarCdEAN_UPC>()),
      mEnc39(std::make_unique<TBarCd39_128_93>()),
      mEnc11(std::make_unique<TBarCdNUMERIC>()) {
  // The colour may change from either side (setColor, setPalette, a style
  // sheet); the control repaints at once and says so only on a real change.
  mColorView.WhenColorChanges([this] {
    repaint();
    Q_EMIT ColorChanged(ColorQColor());
  });
}

TCustomBarCodes::~TCustomBarCodes() = default;

TColor TCustomBarCodes::Color() const { return mColorView.Color(); }

void TCustomBarCodes::setColor(TColor c) { mColorView.SetColor(c); }

void TCustomBarCodes::Encode() {
  const std::string text = BarCodeBytes(mCaption);
  std::string readable;
  mEncEAN->EncodeBarCode(mA_CodeType, text, mModules, readable);
  if (mModules == "0") mEnc39->EncodeBarCode(mA_CodeType, text, mModules, readable);
  if (mModules == "0") mEnc11->EncodeBarCode(mA_CodeType, text, mModules, readable);
  if (mModules != "0") mA_BarCode = BarCodeQString(readable);
}

void TCustomBarCodes::BarCodeChanged() {
  Encode();
  repaint();
}

// ---------------------------------------------------------------------------

TBarCodes::TBarCodes(QWidget* parent) : TCustomBarCodes(parent) {
  setGeometry(0, 0, 30, 30);
  BarCodeChanged();
}

QString TBarCodes::A_BarCode() const { return mA_BarCode; }

void TBarCodes::setA_BarCode(QString text) {
  setCaption(text);
  repaint();
}

bool TBarCodes::A_C39CheckChar() const { return mEnc39 ? mEnc39->C39CheckChar : true; }

void TBarCodes::setA_C39CheckChar(bool c) {
  if (!mEnc39 || c == mEnc39->C39CheckChar) return;
  mEnc39->C39CheckChar = c;
  BarCodeChanged();
  Q_EMIT A_C39CheckCharChanged(c);
}

int TBarCodes::A_WideRatio() const { return mEnc39 ? mEnc39->WideRatio : 3; }

void TBarCodes::setA_WideRatio(int r) {
  if ((r != 2 && r != 3) || !mEnc39 || r == mEnc39->WideRatio) return;
  mEnc39->WideRatio = r;
  BarCodeChanged();
  Q_EMIT A_WideRatioChanged(r);
}

int TBarCodes::BarCodeWidth(int BarPixels) {
  const std::int64_t q = ModulePixels(BarPixels);
  std::int64_t margin = 0;
  if (mA_CodeType == bcEAN_13) margin = 7 * q;
  if (mA_CodeType == bcUPC_A) margin = 8 * q;
  mTextMargin = static_cast<int>(margin);
  mQuietLeft = mQuietRight = 0;
  if (mA_QuietZone) {
    // Modules of quiet zone each symbology asks for; the blank the symbol
    // has anyway (the margin, the module before the first bar) counts.
    int left = 10, right = 10;
    switch (mA_CodeType) {
      case bcEAN_13: left = 11, right = 7; break;
      case bcEAN_8: left = 7, right = 7; break;
      case bcUPC_A: left = 9, right = 9; break;
      case bcUPC_E: left = 9, right = 7; break;
      default: break;
    }
    const std::int64_t haveLeft = margin + q, haveRight = mA_CodeType == bcUPC_A ? margin : 0;
    mQuietLeft = static_cast<int>(std::clamp<std::int64_t>(left * q - haveLeft, 0, MaxExtent));
    mQuietRight = static_cast<int>(std::clamp<std::int64_t>(right * q - haveRight, 0, MaxExtent));
  }
  // UPC-A has the margin on both sides (its check digit stands right of the bars).
  const std::int64_t w = q * (static_cast<std::int64_t>(mModules.size()) + 1) +
                         (mA_CodeType == bcUPC_A ? 2 * margin : margin) + mQuietLeft + mQuietRight;
  return static_cast<int>(std::min<std::int64_t>(w, MaxExtent));
}

void TBarCodes::BarCodeChanged() {
  const QString readableBefore = mA_BarCode;
  Encode();
  const int w = BarCodeWidth(mA_BarPixels);
  // The module width as drawn: a stored width of 0 or less must not give an
  // empty or negative control.
  const std::int64_t autoHeight = static_cast<std::int64_t>(ModulePixels(mA_BarPixels)) * mA_HeightMult;
  const QSize symbol(w, static_cast<int>(std::min<std::int64_t>(autoHeight, MaxExtent)));
  const int h = mA_HeightAuto ? symbol.height() : height();
  const QSizePolicy policy(QSizePolicy::Fixed, mA_HeightAuto ? QSizePolicy::Fixed : QSizePolicy::Preferred);
  if (policy != sizePolicy()) setSizePolicy(policy);
  if (symbol != mSymbolSize) {
    mSymbolSize = symbol;
    updateGeometry();  // a layout that holds the control gives it the new size
  }
  if (w != width() || h != height()) resize(w, h);
  repaint();
  if (mA_BarCode != readableBefore) Q_EMIT A_BarCodeChanged(mA_BarCode);
}

QSize TBarCodes::sizeHint() const { return mSymbolSize; }

QSize TBarCodes::minimumSizeHint() const {
  if (mA_HeightAuto) return mSymbolSize;
  // Bars shorter than the shortest automatic height leave no room for them
  // above the text boxes.
  const int q = ModulePixels(mA_BarPixels);
  return QSize(mSymbolSize.width(), std::min(mSymbolSize.height(), 10 * q));
}

void TBarCodes::DrawBarCode(TCanvas& Canvas, int X, int Y, int Height, int Width, int BarPixels,
                            TColor Color) {
  const int q = ModulePixels(BarPixels);
  if (mQuietLeft > 0 || mQuietRight > 0) {
    // The quiet zones are blank in the background colour; the symbol is
    // drawn between them as it would be without.
    Canvas.Brush().SetStyle(bsSolid);
    Canvas.Brush().SetColor(Color);
    Canvas.FillRect(TRect(X, Y, X + mQuietLeft, Y + Height));
    Canvas.FillRect(TRect(X + Width - mQuietRight, Y, X + Width, Y + Height));
    X += mQuietLeft;
    Width -= mQuietLeft + mQuietRight;
  }
  const int M = mTextMargin;
  const int B = Y + Height;

  Canvas.Pen().SetWidth(1);
  Canvas.Pen().SetColor(clBlack);
  Canvas.Pen().SetStyle(psSolid);
  Canvas.Brush().SetColor(clBlack);
  Canvas.Brush().SetStyle(bsSolid);

  // One rectangle per run of bar modules; module i (from 0) starts one
  // module width right of the margin.
  const std::int64_t n = static_cast<std::int64_t>(mModules.size());
  const std::int64_t left = static_cast<std::int64_t>(X) + M;
  for (std::int64_t i = 0; i < n;) {
    if (mModules[i] == '0') {
      ++i;
      continue;
    }
    std::int64_t e = i;
    while (e + 1 < n && mModules[e + 1] != '0') ++e;
    Canvas.Rectangle(ClampToInt(left + (i + 1) * q), Y + 2, ClampToInt(left + (e + 2) * q), B);
    i = e + 1;
  }

  Canvas.Pen().SetColor(Color);
  Canvas.Brush().SetColor(Color);
  Canvas.Font().SetName(QStringLiteral("Arial"));
  Canvas.Font().SetColor(clBlack);
  Canvas.Font().SetStyle(0);
  Canvas.Font().SetSize(std::max(1, nearest(8736.0 * q / (10.0 * ScreenPixelsPerInch))));
  mTextHeight = std::abs(Canvas.Font().Height());
  const int h = mTextHeight;

  const QString& rd = mA_BarCode;
  auto strip = [&] { Canvas.Rectangle(X, B - h / 2, X + Width, B); };
  // The inner boxes start one module right of where the data's first module
  // would suggest: the guard bar left of the digits then keeps its full
  // length and the last data module is shortened with the rest of the digits.
  switch (mA_CodeType) {
    case bcEAN_13:
      strip();
      DrawTextBox(Canvas, X, X + M, B, rd.mid(0, 1));
      DrawTextBox(Canvas, X + M + 4 * q, X + M + 46 * q, B, rd.mid(1, 6));
      DrawTextBox(Canvas, X + M + 51 * q, X + M + 93 * q, B, rd.mid(7, 6));
      break;
    case bcEAN_8:
      strip();
      DrawTextBox(Canvas, X + 4 * q, X + 32 * q, B, rd.mid(0, 4));
      DrawTextBox(Canvas, X + 37 * q, X + 65 * q, B, rd.mid(4, 4));
      break;
    case bcUPC_A:
      strip();
      DrawTextBox(Canvas, X, X + M, B, rd.mid(0, 1));
      DrawTextBox(Canvas, X + M + 4 * q, X + M + 46 * q, B, rd.mid(1, 5));
      DrawTextBox(Canvas, X + M + 51 * q, X + M + 93 * q, B, rd.mid(6, 5));
      DrawTextBox(Canvas, X + M + 96 * q, X + Width, B, rd.mid(11, 1));
      break;
    case bcUPC_E:
      strip();
      DrawTextBox(Canvas, X + 4 * q, X + 46 * q, B, rd);
      break;
    default:
      DrawTextBox(Canvas, X, X + Width, B, mCaption);
      break;
  }
}

void TBarCodes::DrawTextBox(TCanvas& Canvas, int Left, int Right, int Bottom, const QString& Text) {
  const int top = Bottom - mTextHeight;
  Canvas.Rectangle(Left, top, Right, Bottom);
  if (!mA_Readable || Text.isEmpty()) return;
  const int tw = Canvas.TextWidth(Text);
  Canvas.TextRect(TRect(Left, top, Right, Bottom), Left + idiv(Right - Left - tw, 2), top, Text);
}

void TBarCodes::paintEvent(QPaintEvent*) {
  TCanvas canvas(this);
  DrawBarCode(canvas, 0, 0, height(), width(), mA_BarPixels, Color());
}

}  // namespace Tarnwell
