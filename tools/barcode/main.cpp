// tarnwell-barcode: a bar code without writing code.
#include <QCoreApplication>
#include <cstdio>

#include "BarcodeTool.h"

using namespace Tarnwell;

int main(int argc, char** argv) {
  // No windows are opened: a core application suffices to write pictures.
  QCoreApplication app(argc, argv);
  QStringList args = app.arguments();
  args.removeFirst();
  if (args.contains(QStringLiteral("--help")) || args.contains(QStringLiteral("-h"))) {
    std::fputs(BarcodeUsage().toLocal8Bit().constData(), stdout);
    return 0;
  }
  TBarcodeOptions opt;
  QString error;
  if (!ParseBarcodeArgs(args, opt, error)) {
    std::fprintf(stderr, "tarnwell-barcode: %s\n%s", error.toLocal8Bit().constData(),
                 BarcodeUsage().toLocal8Bit().constData());
    return 2;
  }
  QString out, err;
  const int rc = RunBarcode(opt, out, err);
  std::fputs(out.toLocal8Bit().constData(), stdout);
  std::fputs(err.toLocal8Bit().constData(), stderr);
  return rc;
}
