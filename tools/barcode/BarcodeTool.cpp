#include "BarcodeTool.h"

#include <QFile>
#include <QFileInfo>
#include <QImage>
#include <QPainter>
#include <QSaveFile>

#include <Tarnwell/barcodes/BarCdMore.h>
#include <Tarnwell/barcodes/BarCdObj.h>

using namespace Tarnwell;

namespace {
constexpr int kMaxScale = 100;
constexpr int kMaxHeight = 10000;
constexpr int kMaxQuiet = 1000;
constexpr qint64 kMaxPixels = 400LL * 1000 * 1000;  // 400 megapixels

bool ParseInt(const QString& s, int lo, int hi, int& v) {
  bool ok = false;
  const int n = s.toInt(&ok);
  if (!ok || n < lo || n > hi) return false;
  v = n;
  return true;
}

QString Describe(const std::string& chars) {
  QStringList parts;
  for (unsigned char c : chars) {
    if (c >= 32 && c < 127)
      parts << QStringLiteral("\"%1\"").arg(QChar(c));
    else if (c == 0xFF)
      parts << QStringLiteral("characters beyond Latin-1");
    else
      parts << QStringLiteral("U+%1").arg(c, 4, 16, QChar('0')).toUpper();
  }
  return parts.join(QStringLiteral(", "));
}
}  // namespace

QString BarcodeUsage() {
  return QStringLiteral(
      "usage: tarnwell-barcode --type TYPE [--modules] [--readable] [--scale N] [--height PX]\n"
      "                        [--quiet N] [--out FILE.png|FILE.svg] TEXT\n"
      "  TYPE: ean13 ean8 upca upce code39 code39x code128a code128b code128c code93 code11\n"
      "  --modules   print the module string (1 = bar, 0 = space)\n"
      "  --readable  print the readable text (control characters as \\xNN)\n"
      "  --scale N   pixels per module, 1..100 (default 2)\n"
      "  --height PX bar height in pixels, 1..10000 (default 50 modules)\n"
      "  --quiet N   modules of quiet zone on each side, 0..1000 (default 10)\n"
      "  --out FILE  write a PNG or SVG picture of the symbol\n"
      "  --force     encode data the symbol cannot carry as given, naming each change\n"
      "  Data the symbol would not carry as given is refused (exit 3): characters the\n"
      "  symbology lacks, a wrong EAN/UPC check digit, too many or too few digits, an\n"
      "  odd number of Code 128 C digits, no data. upce takes 6 digits (number system 0),\n"
      "  7 (number system 0 or 1 first) or 8 (and the check digit last).\n"
      "  Exit: 0 done, 1 output not written, 2 bad arguments, 3 data refused.\n");
}

bool ParseBarcodeArgs(const QStringList& args, TBarcodeOptions& opt, QString& error) {
  bool haveType = false, haveText = false;
  for (int i = 0; i < args.size(); ++i) {
    const QString& a = args[i];
    auto value = [&](QString& v) {
      if (i + 1 >= args.size()) {
        error = QStringLiteral("%1 needs a value").arg(a);
        return false;
      }
      v = args[++i];
      return true;
    };
    QString v;
    if (a == QLatin1String("--type")) {
      if (!value(v)) return false;
      if (!BarCodesTypeFromName(v.toStdString(), opt.Type)) {
        error = QStringLiteral("unknown type \"%1\"").arg(v);
        return false;
      }
      haveType = true;
    } else if (a == QLatin1String("--modules")) {
      opt.PrintModules = true;
    } else if (a == QLatin1String("--force")) {
      opt.Force = true;
    } else if (a == QLatin1String("--readable")) {
      opt.PrintReadable = true;
    } else if (a == QLatin1String("--scale")) {
      if (!value(v)) return false;
      if (!ParseInt(v, 1, kMaxScale, opt.Scale)) {
        error =
            QStringLiteral("--scale must be a whole number from 1 to %1, not \"%2\"").arg(kMaxScale).arg(v);
        return false;
      }
    } else if (a == QLatin1String("--height")) {
      if (!value(v)) return false;
      if (!ParseInt(v, 1, kMaxHeight, opt.Height)) {
        error =
            QStringLiteral("--height must be a whole number from 1 to %1, not \"%2\"").arg(kMaxHeight).arg(v);
        return false;
      }
    } else if (a == QLatin1String("--quiet")) {
      if (!value(v)) return false;
      if (!ParseInt(v, 0, kMaxQuiet, opt.Quiet)) {
        error =
            QStringLiteral("--quiet must be a whole number from 0 to %1, not \"%2\"").arg(kMaxQuiet).arg(v);
        return false;
      }
    } else if (a == QLatin1String("--out")) {
      if (!value(v)) return false;
      const QString suffix = QFileInfo(v).suffix().toLower();
      if (suffix != QLatin1String("png") && suffix != QLatin1String("svg")) {
        error = QStringLiteral("--out must name a .png or .svg file, not \"%1\"").arg(v);
        return false;
      }
      opt.Out = v;
    } else if (a == QLatin1String("--")) {
      if (i + 1 != args.size() - 1 || haveText) {
        error = QStringLiteral("exactly one TEXT is expected after --");
        return false;
      }
      opt.Text = BarCodeBytes(args[++i]);
      haveText = true;
    } else if (a.startsWith(QLatin1String("--"))) {
      error = QStringLiteral("unknown option %1").arg(a);
      return false;
    } else {
      if (haveText) {
        error = QStringLiteral("more than one TEXT given (\"%1\"); quote a text with spaces").arg(a);
        return false;
      }
      opt.Text = BarCodeBytes(a);
      haveText = true;
    }
  }
  if (!haveType) {
    error = QStringLiteral("--type is required");
    return false;
  }
  if (!haveText) {
    error = QStringLiteral("TEXT is required");
    return false;
  }
  if (!opt.PrintModules && !opt.PrintReadable && opt.Out.isEmpty()) {
    error = QStringLiteral("nothing to do: give --modules, --readable or --out");
    return false;
  }
  return true;
}

QString EscapeReadable(const std::string& readable) {
  QString s;
  for (unsigned char c : readable) {
    if (c < 32 || c == 127)
      s += QStringLiteral("\\x%1").arg(c, 2, 16, QChar('0')).toUpper().replace(QLatin1String("\\X"), "\\x");
    else if (c == '\\')
      s += QStringLiteral("\\\\");
    else
      s += QChar(c);
  }
  return s;
}

QString ModulesToSvg(const std::string& modules, int scale, int quiet, int height) {
  const qint64 w = (static_cast<qint64>(modules.size()) + 2 * quiet) * scale;
  QString svg =
      QStringLiteral(
          "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
          "<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"%1\" height=\"%2\" viewBox=\"0 0 %1 %2\" "
          "shape-rendering=\"crispEdges\">\n"
          "<rect width=\"%1\" height=\"%2\" fill=\"#FFFFFF\"/>\n<path fill=\"#000000\" d=\"")
          .arg(w)
          .arg(height);
  for (std::size_t i = 0; i < modules.size();) {
    if (modules[i] != '1') {
      ++i;
      continue;
    }
    std::size_t e = i;
    while (e < modules.size() && modules[e] == '1') ++e;
    const qint64 x = (static_cast<qint64>(i) + quiet) * scale;
    svg += QStringLiteral("M%1 0h%2v%3h-%2z").arg(x).arg(static_cast<qint64>(e - i) * scale).arg(height);
    i = e;
  }
  svg += QStringLiteral("\"/>\n</svg>\n");
  return svg;
}

namespace {
bool AllDigits(const std::string& s) {
  for (const char c : s)
    if (c < '0' || c > '9') return false;
  return true;
}
}  // namespace

int RunBarcode(const TBarcodeOptions& opt, QString& out, QString& err) {
  std::string modules, readable;
  const QString name = QString::fromLatin1(BarCodesTypeName(opt.Type));
  QStringList refusals;  // each a way the symbol would differ from the data
  bool encoded = false;
  const std::string& text = opt.Text;

  if (text.empty()) {
    err += QStringLiteral("tarnwell-barcode: no data to encode\n");
    return 3;
  }
  const std::string rejected = RejectedBarCodeChars(opt.Type, text);
  if (!rejected.empty())
    refusals << QStringLiteral("%1 cannot carry %2 (replaced by \"0\")").arg(name, Describe(rejected));

  if (opt.Type == bcUPC_E && (text.size() == 7 || text.size() == 8) && AllDigits(text)) {
    // The printed forms: number system first, then the six digits, then
    // (8 digits) the check digit.
    int ns = text[0] - '0';
    if (ns > 1) {
      refusals << QStringLiteral("the UPC-E number system must be 0 or 1, not %1 (0 used)").arg(ns);
      ns = 0;
    }
    EncodeUPCE(std::string_view(text).substr(1, 6), ns, modules, readable);
    if (text.size() == 8 && text[7] != readable[7])
      refusals << QStringLiteral("wrong check digit %1; %2 is right for %3")
                      .arg(QChar(text[7]))
                      .arg(QChar(readable[7]))
                      .arg(QString::fromLatin1(text.substr(0, 7).c_str()));
    encoded = true;
  } else if (opt.Type <= bcUPC_E) {
    const std::size_t full = opt.Type == bcEAN_13 ? 13 : opt.Type == bcEAN_8 ? 8 : opt.Type == bcUPC_A ? 12 : 6;
    const std::size_t data = opt.Type == bcUPC_E ? 6 : full - 1;
    if (text.size() > full)
      refusals << QStringLiteral("%1 holds %2 digits; \"%3\" would be dropped")
                      .arg(name)
                      .arg(full)
                      .arg(QString::fromLatin1(text.substr(full).c_str()));
    else if (text.size() < data)
      refusals << QStringLiteral("%1 takes %2 digits%3, not %4 (padded with \"0\" on the right)")
                      .arg(name)
                      .arg(data)
                      .arg(full != data ? QStringLiteral(" (%1 with the check digit)").arg(full) : QString())
                      .arg(text.size());
    else if (text.size() == full && full != data && AllDigits(text)) {
      const char check = GS1CheckDigit(std::string_view(text).substr(0, data));
      if (text[data] != check)
        refusals << QStringLiteral("wrong check digit %1; %2 is right for %3")
                        .arg(QChar(text[data]))
                        .arg(QChar(check))
                        .arg(QString::fromLatin1(text.substr(0, data).c_str()));
    }
  } else if (opt.Type == bcCODE128C && FilterBarCodeText(opt.Type, text).size() % 2 != 0) {
    refusals << QStringLiteral("odd number of digits (a leading \"0\" added)");
  }

  for (const QString& r : refusals) err += QStringLiteral("tarnwell-barcode: %1\n").arg(r);
  if (!refusals.isEmpty()) {
    if (!opt.Force) {
      err += QStringLiteral("tarnwell-barcode: refused, nothing written; --force encodes it with the changes above\n");
      return 3;
    }
    err += QStringLiteral("tarnwell-barcode: --force: encoded with the changes above\n");
  }
  if (!encoded) EncodeBarCodeText(static_cast<TBarCodesType>(opt.Type), text, modules, readable);

  if (opt.PrintModules)
    out += QString::fromLatin1(modules.data(), static_cast<qsizetype>(modules.size())) + '\n';
  if (opt.PrintReadable) out += EscapeReadable(readable) + '\n';

  if (!opt.Out.isEmpty()) {
    const int height = opt.Height > 0 ? opt.Height : 50 * opt.Scale;
    const qint64 width = (static_cast<qint64>(modules.size()) + 2 * opt.Quiet) * opt.Scale;
    if (width * height > kMaxPixels || width > 1000000) {
      err +=
          QStringLiteral(
              "tarnwell-barcode: the picture would be %1 x %2 pixels, too large; lower --scale or --height\n")
              .arg(width)
              .arg(height);
      return 2;
    }
    QSaveFile file(opt.Out);
    if (!file.open(QIODevice::WriteOnly)) {
      err += QStringLiteral("tarnwell-barcode: cannot write %1: %2\n").arg(opt.Out, file.errorString());
      return 1;
    }
    bool ok;
    if (QFileInfo(opt.Out).suffix().toLower() == QLatin1String("svg")) {
      ok = file.write(ModulesToSvg(modules, opt.Scale, opt.Quiet, height).toUtf8()) >= 0;
    } else {
      QImage img(static_cast<int>(width), height, QImage::Format_Grayscale8);
      img.fill(255);
      for (std::size_t i = 0; i < modules.size(); ++i)
        if (modules[i] == '1')
          for (int y = 0; y < height; ++y) {
            uchar* row = img.scanLine(y);
            const qint64 x0 = (static_cast<qint64>(i) + opt.Quiet) * opt.Scale;
            for (int s = 0; s < opt.Scale; ++s) row[x0 + s] = 0;
          }
      ok = img.save(&file, "PNG");
    }
    if (!ok || !file.commit()) {
      err += QStringLiteral("tarnwell-barcode: cannot write %1: %2\n").arg(opt.Out, file.errorString());
      return 1;
    }
  }
  return 0;
}
