#pragma once
// Colours as the components' drawing code knows them: 0x00BBGGRR for a plain
// colour; a value with the top bit set names a system colour that is resolved
// through the application palette at the moment it is used.

#include <QColor>
#include <QPalette>
#include <cstdint>
#include <Tarnwell/TarnwellExport.h>

namespace Tarnwell {

using TColor = std::uint32_t;

constexpr TColor clBlack = 0x000000;
constexpr TColor clMaroon = 0x000080;
constexpr TColor clGreen = 0x008000;
constexpr TColor clOlive = 0x008080;
constexpr TColor clNavy = 0x800000;
constexpr TColor clPurple = 0x800080;
constexpr TColor clTeal = 0x808000;
constexpr TColor clGray = 0x808080;
constexpr TColor clSilver = 0xC0C0C0;
constexpr TColor clRed = 0x0000FF;
constexpr TColor clLime = 0x00FF00;
constexpr TColor clYellow = 0x00FFFF;
constexpr TColor clBlue = 0xFF0000;
constexpr TColor clFuchsia = 0xFF00FF;
constexpr TColor clAqua = 0xFFFF00;
constexpr TColor clWhite = 0xFFFFFF;

// No colour: "not set", "leave unchanged" or "draw nothing", as each user says.
constexpr TColor clNone = 0x1FFFFFFF;
constexpr TColor clDefault = 0x20000000;

// System colours (top bit set, low byte = index).
constexpr TColor clSystemColor = 0x80000000;
constexpr TColor clScrollBar = 0x80000000;
constexpr TColor clBackground = 0x80000001;
constexpr TColor clActiveCaption = 0x80000002;
constexpr TColor clInactiveCaption = 0x80000003;
constexpr TColor clMenu = 0x80000004;
constexpr TColor clWindow = 0x80000005;
constexpr TColor clWindowFrame = 0x80000006;
constexpr TColor clMenuText = 0x80000007;
constexpr TColor clWindowText = 0x80000008;
constexpr TColor clCaptionText = 0x80000009;
constexpr TColor clActiveBorder = 0x8000000A;
constexpr TColor clInactiveBorder = 0x8000000B;
constexpr TColor clAppWorkSpace = 0x8000000C;
constexpr TColor clHighlight = 0x8000000D;
constexpr TColor clHighlightText = 0x8000000E;
constexpr TColor clBtnFace = 0x8000000F;
constexpr TColor clBtnShadow = 0x80000010;
constexpr TColor clGrayText = 0x80000011;
constexpr TColor clBtnText = 0x80000012;
constexpr TColor clInactiveCaptionText = 0x80000013;
constexpr TColor clBtnHighlight = 0x80000014;
constexpr TColor cl3DDkShadow = 0x80000015;
constexpr TColor cl3DLight = 0x80000016;
constexpr TColor clInfoText = 0x80000017;
constexpr TColor clInfoBk = 0x80000018;

constexpr TColor RGB(int r, int g, int b) {
  return TColor(r & 0xFF) | (TColor(g & 0xFF) << 8) | (TColor(b & 0xFF) << 16);
}
constexpr int GetRValue(TColor c) { return int(c & 0xFF); }
constexpr int GetGValue(TColor c) { return int((c >> 8) & 0xFF); }
constexpr int GetBValue(TColor c) { return int((c >> 16) & 0xFF); }
constexpr bool IsSystemColor(TColor c) { return (c & clSystemColor) != 0 && c != clNone; }

// Resolves a system colour through the application palette (or the given
// one); plain colours come back unchanged. clNone and clDefault stay as they are.
TARNWELL_PLATFORMCORE_EXPORT TColor ColorToRGB(TColor c);
TARNWELL_PLATFORMCORE_EXPORT TColor ColorToRGB(TColor c, const QPalette& palette);

// clNone converts to a fully transparent QColor.
TARNWELL_PLATFORMCORE_EXPORT QColor ToQColor(TColor c);
TARNWELL_PLATFORMCORE_EXPORT QColor ToQColor(TColor c, const QPalette& palette);
// An invalid or fully transparent QColor gives clNone; alpha is dropped otherwise.
TARNWELL_PLATFORMCORE_EXPORT TColor FromQColor(const QColor& c);
// QImage pixel (0xAARRGGBB) to and from TColor.
constexpr TColor FromQRgb(unsigned rgb) {
  return RGB(int((rgb >> 16) & 0xFF), int((rgb >> 8) & 0xFF), int(rgb & 0xFF));
}
constexpr unsigned ToQRgb(TColor c) {
  return 0xFF000000u | (unsigned(GetRValue(c)) << 16) | (unsigned(GetGValue(c)) << 8) |
         unsigned(GetBValue(c));
}

// The names used in stored designs and pickers ("clRed", "clBtnFace", "$00FF8000").
TARNWELL_PLATFORMCORE_EXPORT QString ColorToString(TColor c);
// Returns false and leaves `out` alone for an unknown name.
TARNWELL_PLATFORMCORE_EXPORT bool StringToColor(const QString& s, TColor& out);

}  // namespace Tarnwell
