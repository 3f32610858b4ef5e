#pragma once
// The symbology tables of the bar code encoders: patterns as strings of
// "0"/"1" flags or element widths, indexed from 0. Function symbols of Code
// 128 and the shift symbols of Code 93, which have no ASCII form, stand as
// single Latin-1 characters (see the constants below).

#include <QObject>
#include <cstdint>
#include <Tarnwell/TarnwellExport.h>

namespace Tarnwell {

// The code types, in the order their ordinals are passed to the encoders.
// Registered so that A_CodeType takes the names ("bcCODE39") as well as the
// numbers.
namespace BarCodeTypes {
Q_NAMESPACE_EXPORT(TARNWELL_BARCODEENCODERS_EXPORT)
// The symbology a bar code is drawn in.
enum TBarCodesType : std::uint8_t {
  bcEAN_13,
  bcEAN_8,
  bcUPC_A,
  bcUPC_E,
  bcCODE39,
  bcCODE39X,
  bcCODE128A,
  bcCODE128B,
  bcCODE128C,
  bcCODE93,
  bcCODE11
};
Q_ENUM_NS(TBarCodesType)
}  // namespace BarCodeTypes
using namespace BarCodeTypes;
constexpr int BarCodesTypeCount = 11;

// Stand-ins for symbols that have no character of their own.
constexpr char chFNC1 = '\xBA';   // Code 128 FNC1; Code 93 ($)
constexpr char chFNC2 = '\xB9';   // Code 128 FNC2; Code 93 (%)
constexpr char chFNC3 = '\xB2';   // Code 128 FNC3; Code 93 (/)
constexpr char chFNC4 = '\xB3';   // Code 128 FNC4; Code 93 (+)
constexpr char chSHIFT = '\xBB';  // Code 128 SHIFT
constexpr char chCODEC = '\xA9';  // Code 128 CODE C
constexpr char chCODEB = '\xAE';  // Code 128 CODE B
constexpr char chCODEA = '\xAA';  // Code 128 CODE A

// EAN/UPC 7-module patterns: index digit*3 + set (0 L, 1 G, 2 R).
extern TARNWELL_BARCODEENCODERS_EXPORT const char* const EANDigits[30];
// Index digit*2 + set (0 L, 1 R).
extern TARNWELL_BARCODEENCODERS_EXPORT const char* const UPCADigits[20];
// Index digit*2 + parity (0 L odd, 1 G even).
extern TARNWELL_BARCODEENCODERS_EXPORT const char* const UPCEDigits[20];
// First-digit parity rows of EAN-13, 0 = L, 1 = G, for digits 2 to 7.
extern TARNWELL_BARCODEENCODERS_EXPORT const std::uint8_t EAN13Parity[10][6];
// UPC-E parity rows by check digit (number system 0), 1 = G, 0 = L.
extern TARNWELL_BARCODEENCODERS_EXPORT const std::uint8_t UPCEParity[10][6];

// Code 39: per character 5 bar flags and 4 space flags, "1" = wide, in the
// order of Code39Chars.
struct TARNWELL_BARCODEENCODERS_EXPORT TCode39Pattern {
  const char* Bars;
  const char* Spaces;
};
extern TARNWELL_BARCODEENCODERS_EXPORT const char Code39Chars[45];  // 44 characters and a terminating NUL
extern TARNWELL_BARCODEENCODERS_EXPORT const TCode39Pattern Code39Table[44];
// One or two Code 39 characters per ASCII code 0..127.
extern TARNWELL_BARCODEENCODERS_EXPORT const char* const Code39FullASCII[128];

// Code 128: per symbol value the set A character, the set B character, the
// set C text and the six element widths (bar, space, bar, space, bar, space).
struct TARNWELL_BARCODEENCODERS_EXPORT TCode128Row {
  char SetA;
  char SetB;
  const char* SetC;
  const char* Widths;
};
extern TARNWELL_BARCODEENCODERS_EXPORT const TCode128Row Code128Table[103];
constexpr const char* Code128StartA = "11010000100";  // value 103
constexpr const char* Code128StartB = "11010010000";  // value 104
constexpr const char* Code128StartC = "11010011100";  // value 105
constexpr const char* Code128Stop = "1100011101011";

// Code 93: 9-module patterns in value order; the value list as characters.
extern TARNWELL_BARCODEENCODERS_EXPORT const char* const Code93Table[47];
extern TARNWELL_BARCODEENCODERS_EXPORT const char Code93Chars[48];  // 47 characters and a terminating NUL
// The Code 39 full-ASCII table with the Code 93 shift characters.
extern TARNWELL_BARCODEENCODERS_EXPORT const char* const Code93FullASCII[128];
constexpr const char* Code93Start = "101011110";
constexpr const char* Code93Stop = "1010111101";

// Code 11: bar/space patterns of "0".."9" and "-".
extern TARNWELL_BARCODEENCODERS_EXPORT const char* const Code11Table[11];
constexpr const char* Code11Start = "1011001";

}  // namespace Tarnwell
