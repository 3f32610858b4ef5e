#pragma once
// The bar code encoders: each turns a text into a module string ("1" = one
// module of bar, "0" = one module of space) and a human-readable text. They
// know nothing of painting. Texts are byte strings in Latin-1; the function
// symbols of Code 128 and the shifts of Code 93 are the stand-ins of BarCdDef.
//
// A class that does not handle a code type answers the module string "0"
// (which no real symbol equals) and leaves the caller's readable text alone.

#include <QString>
#include <cstdint>
#include <string>
#include <string_view>

#include "BarCdDef.h"
#include <Tarnwell/TarnwellExport.h>

namespace Tarnwell {

// EAN-13, EAN-8, UPC-A, UPC-E.
class TARNWELL_BARCODEENCODERS_EXPORT TBarCdEAN_UPC {
 public:
  TBarCdEAN_UPC() = default;
  void EncodeBarCode(std::uint8_t CodeType, std::string_view Text, std::string& Modules,
                     std::string& Readable);

  // Readable form of the last successful encoding.
  std::string ReadableText;
};

// Code 39, Code 39 full ASCII, Code 128 A/B/C, Code 93.
class TARNWELL_BARCODEENCODERS_EXPORT TBarCd39_128_93 {
 public:
  TBarCd39_128_93() = default;
  void EncodeBarCode(std::uint8_t CodeType, std::string_view Text, std::string& Modules,
                     std::string& Readable);

  std::string ReadableText;
  // Modules per wide Code 39 element; values outside 2..3 are used as the
  // nearest of them, so that a stray value cannot blow the symbol up.
  int WideRatio = 3;
  // Append the modulo-43 check character to Code 39 and its full-ASCII form.
  bool C39CheckChar = true;
};

// Code 11.
class TARNWELL_BARCODEENCODERS_EXPORT TBarCdNUMERIC {
 public:
  TBarCdNUMERIC() = default;
  void EncodeBarCode(std::uint8_t CodeType, std::string_view Text, std::string& Modules,
                     std::string& Readable);

  std::string ReadableText;
};

// Whether the symbology carries the character as data.
TARNWELL_BARCODEENCODERS_EXPORT bool BarCodeAccepts(TBarCodesType type, unsigned char c);
// The text as the encoder sees it: every character the symbology cannot
// carry becomes "0" (never dropped). EAN/UPC keep the first 13 characters
// and are padded with 13 "0" characters.
TARNWELL_BARCODEENCODERS_EXPORT std::string FilterBarCodeText(TBarCodesType type, std::string_view text);
// The distinct characters of `text` that the symbology cannot carry, in order
// of first appearance (what FilterBarCodeText replaces).
TARNWELL_BARCODEENCODERS_EXPORT std::string RejectedBarCodeChars(TBarCodesType type, std::string_view text);

// Encodes with the three encoders in the fixed order (EAN/UPC, 39/128/93,
// Code 11); false for a code type none of them handles.
TARNWELL_BARCODEENCODERS_EXPORT bool EncodeBarCodeText(TBarCodesType type, std::string_view text, std::string& modules, std::string& readable,
                       int wideRatio = 3, bool c39CheckChar = true);

// QString <-> Latin-1 bytes. Characters beyond Latin-1 become 0xFF, which no
// symbology accepts, so they are replaced like any other foreign character.
TARNWELL_BARCODEENCODERS_EXPORT std::string BarCodeBytes(const QString& s);
TARNWELL_BARCODEENCODERS_EXPORT QString BarCodeQString(std::string_view bytes);

// The names the command line uses ("ean13", "code128a", ...).
TARNWELL_BARCODEENCODERS_EXPORT const char* BarCodesTypeName(TBarCodesType type);
// False for an unknown name.
TARNWELL_BARCODEENCODERS_EXPORT bool BarCodesTypeFromName(std::string_view name, TBarCodesType& type);

}  // namespace Tarnwell
