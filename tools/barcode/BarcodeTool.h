#pragma once
// The work of the tarnwell-barcode command, apart from main() so that it can
// be driven from tests: parse the arguments, encode, write the outputs.
#include <QByteArray>
#include <QRect>
#include <QString>
#include <QStringList>
#include <string>
#include <vector>

#include <Tarnwell/barcodes/BarCdDef.h>

using namespace Tarnwell;

// What the command encodes: one of the control's eleven fixed code types, or
// Code 128 with the sets chosen by the encoder, or GS1-128.
enum class TToolSymbol { Fixed, Code128Auto, GS1_128 };

struct TBarcodeOptions {
  TToolSymbol Symbol = TToolSymbol::Fixed;
  TBarCodesType Type = bcEAN_13;  // for TToolSymbol::Fixed
  bool PrintModules = false;
  bool PrintReadable = false;
  bool Force = false;     // encode data that would change, naming each change
  bool ShowText = true;   // the human-readable text under the bars of a picture
  bool Stdin = false;     // the data is standard input (one trailing newline dropped)
  bool Batch = false;     // one symbol per line of standard input
  int Scale = 2;
  int Height = 0;  // 0: 50 modules' worth
  int Quiet = 10;
  QString Out;
  std::string Text;  // Latin-1 bytes
  QByteArray Input;  // standard input (UTF-8) with --stdin or --batch, read by the caller
};

// Exit codes: 0 done (with --force maybe with the changes named), 1 an
// output could not be written, 2 bad arguments, 3 data refused: the symbol
// would carry other data than given (in batch mode: some line was).
// Parses argv[1..]; on failure returns false with a message in `error`.
bool ParseBarcodeArgs(const QStringList& args, TBarcodeOptions& opt, QString& error);
// Runs the command; `out` and `err` collect what goes to stdout and stderr.
int RunBarcode(const TBarcodeOptions& opt, QString& out, QString& err);
QString BarcodeUsage();
// The readable text on one line: control characters as \xNN, "\" as "\\".
QString EscapeReadable(const std::string& readable);

// A symbol as a picture: bar rectangles and text lines in pixels, drawn the
// same way into PNG, SVG and EPS.
struct TSymbolPicture {
  struct Label {
    double CenterX = 0;
    int Top = 0;  // top of the text line
    QString Text;
  };
  int Width = 0, Height = 0;
  int FontPixels = 0;
  std::vector<QRect> Bars;
  std::vector<Label> Labels;
};
// How the text stands under the bars: EAN/UPC digits in their boxes between
// the longer guard bars (with the outer digits beside the symbol), any other
// symbology one centred line.
enum class TTextLayout { EAN13, EAN8, UPCA, UPCE, Plain };
TSymbolPicture BuildSymbolPicture(const std::string& modules, TTextLayout layout, const QString& text,
                                  int scale, int quiet, int barHeight, bool showText);
QString PictureToSvg(const TSymbolPicture& p);
QString PictureToEps(const TSymbolPicture& p);
bool PictureToPng(const TSymbolPicture& p, QIODevice& device);
// SVG of black bars on white, no text.
QString ModulesToSvg(const std::string& modules, int scale, int quiet, int height);
// The file of batch line `n`: a run of "~" in `pattern` becomes n padded
// with zeros to its length; without one, five digits go before the suffix.
QString BatchFileName(const QString& pattern, int n);
