#pragma once
// Encoders beyond the control's eleven fixed symbologies, for callers that
// want a symbol that carries exactly their data: Code 128 with the sets
// chosen (and switched) automatically, GS1-128, and UPC-E in either number
// system. They return false instead of altering the data.

#include <string>
#include <string_view>

#include "BarCdDef.h"
#include <Tarnwell/TarnwellExport.h>

namespace Tarnwell {

// Code 128 over ASCII 0..127 and the FNC1 stand-in (chFNC1), choosing the
// start set and every switch or shift so that the symbol is as short as
// possible. False (modules empty) for an empty text or a character outside
// that range.
TARNWELL_BARCODEENCODERS_EXPORT bool EncodeCode128Auto(std::string_view text, std::string& modules);

// A GS1 text with its application identifiers in parentheses,
// "(01)09501101530003(10)ABC", as the element string Code 128 carries: a
// leading FNC1, the identifiers and their data, and an FNC1 after each
// variable-length element that is not the last. `readable` becomes the text
// under the bars. False with a message in `error` for a malformed text.
TARNWELL_BARCODEENCODERS_EXPORT bool ParseGS1(std::string_view text, std::string& elements, std::string& readable, std::string& error);

// The mod-10 check digit of EAN/UPC and of the GS1 keys: weights 3 and 1
// alternating from the rightmost digit.
TARNWELL_BARCODEENCODERS_EXPORT char GS1CheckDigit(std::string_view digits);

// UPC-E from its six digits and number system 0 or 1; `readable` becomes the
// eight printed digits (number system, the six, the check digit). False for
// other than six digits or another number system.
TARNWELL_BARCODEENCODERS_EXPORT bool EncodeUPCE(std::string_view six, int numberSystem, std::string& modules, std::string& readable);
// The eleven-digit UPC-A number a UPC-E symbol stands for (without check).
TARNWELL_BARCODEENCODERS_EXPORT std::string ExpandUPCE(std::string_view six, int numberSystem);

}  // namespace Tarnwell
