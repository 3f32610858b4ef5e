#pragma once
// The work of the tarnwell-barcode command, apart from main() so that it can
// be driven from tests: parse the arguments, encode, write the outputs.
#include <QString>
#include <QStringList>
#include <string>

#include <Tarnwell/barcodes/BarCdDef.h>

using namespace Tarnwell;

struct TBarcodeOptions {
  TBarCodesType Type = bcEAN_13;
  bool PrintModules = false;
  bool PrintReadable = false;
  bool Force = false;  // encode data that would change, naming each change
  int Scale = 2;
  int Height = 0;  // 0: 50 modules' worth
  int Quiet = 10;
  QString Out;
  std::string Text;  // Latin-1 bytes
};

// Exit codes: 0 done (with --force maybe with the changes named), 1 the
// output could not be written, 2 bad arguments, 3 data refused: the symbol
// would carry other data than given.
// Parses argv[1..]; on failure returns false with a message in `error`.
bool ParseBarcodeArgs(const QStringList& args, TBarcodeOptions& opt, QString& error);
// Runs the command; `out` and `err` collect what goes to stdout and stderr.
int RunBarcode(const TBarcodeOptions& opt, QString& out, QString& err);
QString BarcodeUsage();
// The readable text on one line: control characters as \xNN, "\" as "\\".
QString EscapeReadable(const std::string& readable);
// SVG of black bars on white.
QString ModulesToSvg(const std::string& modules, int scale, int quiet, int height);
