// tarnwell-barcode: a bar code without writing code.
#include <QFile>
#include <QGuiApplication>
#include <cstdio>

#include "BarcodeTool.h"

using namespace Tarnwell;

namespace {
// The platform's own notes (runtime folders, session bus) are not the
// command's business: only fatal messages get through.
void QuietMessages(QtMsgType type, const QMessageLogContext&, const QString& msg) {
  if (type == QtFatalMsg || type == QtCriticalMsg) std::fprintf(stderr, "%s\n", msg.toLocal8Bit().constData());
}
}  // namespace

int main(int argc, char** argv) {
  qInstallMessageHandler(QuietMessages);
  // No windows are opened, but the digits under the bars need fonts, which
  // need a GUI application; the offscreen platform needs no display.
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  QGuiApplication app(argc, argv);
  QStringList args = app.arguments();
  args.removeFirst();
  // After "--" everything is data, "--help" too.
  const QStringList options = args.mid(0, args.contains(QStringLiteral("--")) ? args.indexOf(QStringLiteral("--")) : -1);
  if (options.contains(QStringLiteral("--help")) || options.contains(QStringLiteral("-h"))) {
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
  if (opt.Stdin || opt.Batch) {
    QFile in;
    if (!in.open(stdin, QIODevice::ReadOnly)) {
      std::fputs("tarnwell-barcode: cannot read standard input\n", stderr);
      return 2;
    }
    opt.Input = in.readAll();
  }
  QString out, err;
  const int rc = RunBarcode(opt, out, err);
  std::fputs(out.toLocal8Bit().constData(), stdout);
  std::fputs(err.toLocal8Bit().constData(), stderr);
  return rc;
}
