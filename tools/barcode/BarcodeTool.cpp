#include "BarcodeTool.h"

#include <QFile>
#include <QFileInfo>
#include <QFont>
#include <QGuiApplication>
#include <QHash>
#include <QImage>
#include <QPainter>
#include <cmath>
#include <cstring>
#include <zlib.h>

#include <Tarnwell/barcodes/BarCdMore.h>
#include <Tarnwell/barcodes/BarCdObj.h>
#include <Tarnwell/platform/TFileWriter.h>

using namespace Tarnwell;

namespace {
constexpr int kMaxScale = 100;
constexpr int kMaxHeight = 10000;
constexpr int kMaxQuiet = 1000;
constexpr qint64 kMaxPixels = 400LL * 1000 * 1000;  // 400 megapixels
// A batch syncs its pictures to the disk after this many and at its end.
constexpr int kBatchSyncEvery = 1000;

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
      "                        [--quiet N] [--notext] [--out FILE.png|FILE.svg|FILE.eps]\n"
      "                        (TEXT | --stdin | --batch)\n"
      "  TYPE: ean13 ean8 upca upce code39 code39x code128 code128a code128b code128c\n"
      "        gs1128 code93 code11\n"
      "        code128 chooses and switches the sets itself; code128a/b/c keep the set named.\n"
      "        gs1128 takes application identifiers in parentheses: (01)09501101530003(10)AB1\n"
      "  --modules   print the module string (1 = bar, 0 = space)\n"
      "  --readable  print the readable text (control characters as \\xNN)\n"
      "  --scale N   pixels per module, 1..100 (default 2)\n"
      "  --height PX bar height in pixels, 1..10000 (default 50 modules)\n"
      "  --quiet N   modules of quiet zone on each side, 0..1000 (default 10)\n"
      "  --notext    no human-readable text under the bars of a picture\n"
      "  --out FILE  write a PNG, SVG or EPS picture of the symbol\n"
      "  --stdin     the data is standard input (one trailing newline is dropped)\n"
      "  --batch     one symbol per line of standard input; --out names the files, a run\n"
      "              of \"~\" in the file name becoming the line number (out.png gives\n"
      "              out00001.png, ...); 1-bit PNGs\n"
      "  --          the next argument is TEXT, even when it starts with \"--\"\n"
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
      const QString t = v.toLower();
      if (t == QLatin1String("code128")) {
        opt.Symbol = TToolSymbol::Code128Auto;
      } else if (t == QLatin1String("gs1128") || t == QLatin1String("gs1-128")) {
        opt.Symbol = TToolSymbol::GS1_128;
      } else if (BarCodesTypeFromName(v.toStdString(), opt.Type)) {
        opt.Symbol = TToolSymbol::Fixed;
      } else {
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
    } else if (a == QLatin1String("--notext")) {
      opt.ShowText = false;
    } else if (a == QLatin1String("--stdin")) {
      opt.Stdin = true;
    } else if (a == QLatin1String("--batch")) {
      opt.Batch = true;
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
      if (suffix != QLatin1String("png") && suffix != QLatin1String("svg") && suffix != QLatin1String("eps")) {
        error = QStringLiteral("--out must name a .png, .svg or .eps file, not \"%1\"").arg(v);
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
  if (opt.Stdin && opt.Batch) {
    error = QStringLiteral("--stdin and --batch exclude each other (--batch reads standard input too)");
    return false;
  }
  if ((opt.Stdin || opt.Batch) && haveText) {
    error = QStringLiteral("TEXT is not taken with %1: the data comes from standard input")
                .arg(opt.Batch ? QStringLiteral("--batch") : QStringLiteral("--stdin"));
    return false;
  }
  if (!haveText && !opt.Stdin && !opt.Batch) {
    error = QStringLiteral("TEXT is required (or --stdin, or --batch)");
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

// ---- pictures ---------------------------------------------------------------

namespace {
struct TGuards {
  std::vector<std::pair<int, int>> Spans;  // [first, last) modules of long bars
  bool Has(int m) const {
    for (const auto& [a, b] : Spans)
      if (m >= a && m < b) return true;
    return false;
  }
};
}  // namespace

TSymbolPicture BuildSymbolPicture(const std::string& modules, TTextLayout layout, const QString& text,
                                  int scale, int quiet, int barHeight, bool showText) {
  TSymbolPicture p;
  const int S = std::max(1, scale);
  const int n = static_cast<int>(modules.size());
  const bool retail = showText && layout != TTextLayout::Plain;
  // Digits printed beside EAN-13, UPC-A and UPC-E need seven modules there.
  int left = quiet * S, right = quiet * S;
  if (retail && layout != TTextLayout::EAN8) left = std::max(quiet, 7) * S;
  if (retail && (layout == TTextLayout::UPCA || layout == TTextLayout::UPCE)) right = std::max(quiet, 7) * S;
  p.FontPixels = showText ? std::max(8, 8 * S) : 0;
  const int F = p.FontPixels;
  const int textTop = barHeight + S;
  const int guardExtra = retail ? F / 2 : 0;
  p.Width = left + n * S + right;
  p.Height = showText && !text.isEmpty() ? textTop + F + S : barHeight;

  TGuards guards;
  switch (layout) {
    case TTextLayout::EAN13: guards.Spans = {{0, 3}, {45, 50}, {92, 95}}; break;
    case TTextLayout::EAN8: guards.Spans = {{0, 3}, {31, 36}, {64, 67}}; break;
    case TTextLayout::UPCA: guards.Spans = {{0, 10}, {45, 50}, {85, 95}}; break;
    case TTextLayout::UPCE: guards.Spans = {{0, 3}, {45, 51}}; break;
    case TTextLayout::Plain: break;
  }
  for (int i = 0; i < n;) {
    if (modules[size_t(i)] != '1') {
      ++i;
      continue;
    }
    const bool g = guards.Has(i);
    int e = i;
    while (e < n && modules[size_t(e)] == '1' && guards.Has(e) == g) ++e;
    p.Bars.push_back(QRect(left + i * S, 0, (e - i) * S, barHeight + (g ? guardExtra : 0)));
    i = e;
  }
  if (!showText || text.isEmpty()) return p;

  auto at = [&](double module, const QString& t) {
    if (!t.isEmpty()) p.Labels.push_back({left + module * S, textTop, t});
  };
  auto digits = [&](int from, int count, int firstModule) {
    for (int k = 0; k < count; ++k) at(firstModule + 7 * k + 3.5, text.mid(from + k, 1));
  };
  const double outsideLeft = -4, outsideRight = n + 4;
  switch (layout) {
    case TTextLayout::EAN13:
      at(outsideLeft, text.mid(0, 1));
      digits(1, 6, 3);
      digits(7, 6, 50);
      break;
    case TTextLayout::EAN8:
      digits(0, 4, 3);
      digits(4, 4, 36);
      break;
    case TTextLayout::UPCA:
      at(outsideLeft, text.mid(0, 1));
      digits(1, 5, 10);
      digits(6, 5, 50);
      at(outsideRight, text.mid(11, 1));
      break;
    case TTextLayout::UPCE:
      at(outsideLeft, text.mid(0, 1));
      digits(1, 6, 3);
      at(outsideRight, text.mid(7, 1));
      break;
    case TTextLayout::Plain:
      at(n / 2.0, text);
      break;
  }
  return p;
}

namespace {
QString XmlEscape(const QString& s) { return s.toHtmlEscaped(); }

QString Num(double v) { return QString::number(v, 'f', v == std::floor(v) ? 0 : 1); }

// A PostScript string: parentheses and backslashes escaped, everything outside
// printable ASCII as an octal escape (the font's Latin-1 codes).
QString PsString(const QString& s) {
  QString o = QStringLiteral("(");
  for (const QChar ch : s) {
    const ushort c = ch.unicode();
    if (c == '(' || c == ')' || c == '\\')
      { o += QChar(0x5C); o += ch; }
    else if (c >= 32 && c < 127)
      o += ch;
    else
      o += QStringLiteral("\\%1").arg(c > 255 ? 63 : c, 3, 8, QChar('0'));
  }
  return o + QChar(')');
}
}  // namespace

QString PictureToSvg(const TSymbolPicture& p) {
  QString svg = QStringLiteral(
                    "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
                    "<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"%1\" height=\"%2\" viewBox=\"0 0 %1 %2\" "
                    "shape-rendering=\"crispEdges\">\n"
                    "<rect width=\"%1\" height=\"%2\" fill=\"#FFFFFF\"/>\n<path fill=\"#000000\" d=\"")
                    .arg(p.Width)
                    .arg(p.Height);
  for (const QRect& r : p.Bars)
    svg += QStringLiteral("M%1 %2h%3v%4h-%3z").arg(r.x()).arg(r.y()).arg(r.width()).arg(r.height());
  svg += QStringLiteral("\"/>\n");
  if (!p.Labels.empty()) {
    svg += QStringLiteral(
               "<g font-family=\"DejaVu Sans, Helvetica, Arial, sans-serif\" font-size=\"%1\" "
               "text-anchor=\"middle\" fill=\"#000000\">\n")
               .arg(p.FontPixels);
    // The baseline sits a cap height below the top of the text line.
    for (const auto& l : p.Labels)
      svg += QStringLiteral("<text x=\"%1\" y=\"%2\">%3</text>\n")
                 .arg(Num(l.CenterX))
                 .arg(Num(l.Top + p.FontPixels * 0.8))
                 .arg(XmlEscape(l.Text));
    svg += QStringLiteral("</g>\n");
  }
  svg += QStringLiteral("</svg>\n");
  return svg;
}

QString PictureToEps(const TSymbolPicture& p) {
  // PostScript counts y upwards from the bottom; one pixel is one point.
  QString eps = QStringLiteral(
                    "%!PS-Adobe-3.0 EPSF-3.0\n"
                    "%%Creator: tarnwell-barcode\n"
                    "%%BoundingBox: 0 0 %1 %2\n"
                    "%%EndComments\n"
                    "gsave\n"
                    "1 1 1 setrgbcolor 0 0 %1 %2 rectfill\n"
                    "0 0 0 setrgbcolor\n")
                    .arg(p.Width)
                    .arg(p.Height);
  for (const QRect& r : p.Bars)
    eps += QStringLiteral("%1 %2 %3 %4 rectfill\n")
               .arg(r.x())
               .arg(p.Height - r.y() - r.height())
               .arg(r.width())
               .arg(r.height());
  if (!p.Labels.empty()) {
    eps += QStringLiteral("/Helvetica findfont %1 scalefont setfont\n").arg(p.FontPixels);
    for (const auto& l : p.Labels)
      eps += QStringLiteral("%1 %2 moveto %3 dup stringwidth pop 2 div neg 0 rmoveto show\n")
                 .arg(Num(l.CenterX))
                 .arg(Num(p.Height - (l.Top + p.FontPixels * 0.8)))
                 .arg(PsString(l.Text));
  }
  eps += QStringLiteral("grestore\nshowpage\n%%EOF\n");
  return eps;
}

namespace {
// A bar code is black on white: a 1-bit PNG, written here with one zlib
// stream kept for the whole run (a batch of thousands of small pictures
// would otherwise spend its time setting up and freeing the encoder).
class TMonoPng {
 public:
  TMonoPng() {
    mOk = deflateInit2(&mZ, 1, Z_DEFLATED, 15, 5, Z_DEFAULT_STRATEGY) == Z_OK;
  }
  ~TMonoPng() {
    if (mOk) deflateEnd(&mZ);
  }
  // rows: height rows of stride bytes, each with its filter byte (0) first.
  bool Encode(const std::vector<uchar>& rows, int width, int height, QByteArray& png) {
    if (!mOk || deflateReset(&mZ) != Z_OK) return false;
    png.resize(0);
    png.append("\x89PNG\r\n\x1a\n", 8);
    QByteArray ihdr;
    Put32(ihdr, quint32(width));
    Put32(ihdr, quint32(height));
    ihdr.append("\x01\x00\x00\x00\x00", 5);  // 1 bit, greyscale, deflate, no filter choice, not interlaced
    Chunk(png, "IHDR", ihdr);
    mIdat.resize(qsizetype(deflateBound(&mZ, uLong(rows.size()))));
    mZ.next_in = const_cast<Bytef*>(rows.data());
    mZ.avail_in = uInt(rows.size());
    mZ.next_out = reinterpret_cast<Bytef*>(mIdat.data());
    mZ.avail_out = uInt(mIdat.size());
    if (deflate(&mZ, Z_FINISH) != Z_STREAM_END) return false;
    mIdat.resize(qsizetype(mZ.total_out));
    Chunk(png, "IDAT", mIdat);
    Chunk(png, "IEND", QByteArray());
    return true;
  }

 private:
  static void Put32(QByteArray& a, quint32 v) {
    const char b[4] = {char(v >> 24), char(v >> 16), char(v >> 8), char(v)};
    a.append(b, 4);
  }
  static void Chunk(QByteArray& png, const char* type, const QByteArray& data) {
    Put32(png, quint32(data.size()));
    const qsizetype at = png.size();
    png.append(type, 4);
    png.append(data);
    Put32(png, quint32(crc32(0, reinterpret_cast<const Bytef*>(png.constData() + at), uInt(data.size() + 4))));
  }
  z_stream mZ{};
  bool mOk = false;
  QByteArray mIdat;
};
}  // namespace

bool PictureToPng(const TSymbolPicture& p, QIODevice& device) {
  if (p.Width <= 0 || p.Height <= 0) return false;
  // Rows of packed bits, 1 = white, after each row's filter byte.
  const qsizetype stride = 1 + (qsizetype(p.Width) + 7) / 8;
  static std::vector<uchar> rows;
  rows.assign(size_t(stride * p.Height), 0xFF);
  for (int y = 0; y < p.Height; ++y) rows[size_t(y * stride)] = 0;
  const uchar pad = uchar(0xFF >> (p.Width % 8 ? p.Width % 8 : 8));
  auto black = [&](uchar* row, int x0, int x1) {  // [x0, x1)
    for (int x = x0; x < x1 && (x & 7); ++x) row[x >> 3] &= uchar(~(0x80 >> (x & 7)));
    int x = (x0 + 7) & ~7;
    if (x >= x1) return;
    for (; x + 8 <= x1; x += 8) row[x >> 3] = 0;
    for (; x < x1; ++x) row[x >> 3] &= uchar(~(0x80 >> (x & 7)));
  };
  // Every bar starts at the top: a row is the one above it, less the bars
  // that ended there.
  for (int y = 0; y < p.Height; ++y) {
    uchar* row = rows.data() + y * stride + 1;
    bool same = y > 0;
    for (const QRect& r : p.Bars)
      if (r.top() > y - 1 || r.bottom() == y - 1) same = false;
    if (same) {
      std::memcpy(row, row - stride, size_t(stride - 1));
      continue;
    }
    for (const QRect& r : p.Bars)
      if (y >= r.top() && y <= r.bottom()) black(row, std::max(0, r.left()), std::min(p.Width, r.right() + 1));
  }
  // The text, drawn crisp (no grey edges), over the rows below the bars.
  if (!p.Labels.empty() && qobject_cast<QGuiApplication*>(QCoreApplication::instance())) {
    QFont font(QStringLiteral("DejaVu Sans"));
    font.setPixelSize(p.FontPixels);
    font.setStyleStrategy(QFont::NoAntialias);
    auto setBlack = [&](int x, int y) {
      if (x >= 0 && x < p.Width && y >= 0 && y < p.Height) rows[size_t(y * stride + 1 + (x >> 3))] &= uchar(~(0x80 >> (x & 7)));
    };
    // Where a label's box starts, and the box itself (drawText clips to it).
    auto box = [&](const TSymbolPicture::Label& l, int& ix, double& frac) {
      const int w = p.FontPixels * std::max<int>(1, static_cast<int>(l.Text.size()));
      const double x0 = l.CenterX - w;
      ix = int(std::floor(x0));
      frac = x0 - ix;
      return QRectF(frac, 0, 2.0 * w, p.FontPixels + 2);
    };
    // The digits of EAN and UPC come back symbol after symbol: each is drawn
    // once, at each sub-pixel offset, and then copied as black pixels.
    struct TGlyphs {
      int Width = 0;
      std::vector<std::pair<short, short>> Black;
    };
    static QHash<QString, TGlyphs> cache;
    if (cache.size() > 4096) cache.clear();
    std::vector<const TSymbolPicture::Label*> drawn;
    for (const auto& l : p.Labels) {
      if (l.Text.size() > 2) {
        drawn.push_back(&l);
        continue;
      }
      int ix;
      double frac;
      const QRectF r = box(l, ix, frac);
      const QString key = QStringLiteral("%1/%2/").arg(p.FontPixels).arg(frac) + l.Text;
      auto it = cache.find(key);
      if (it == cache.end()) {
        QImage img(int(std::ceil(r.right())) + 1, int(r.height()), QImage::Format_Grayscale8);
        img.fill(255);
        {
          QPainter painter(&img);
          painter.setFont(font);
          painter.setPen(Qt::black);
          painter.drawText(r, Qt::AlignHCenter | Qt::AlignTop, l.Text);
        }
        TGlyphs g;
        for (int y = 0; y < img.height(); ++y)
          for (int x = 0; x < img.width(); ++x)
            if (img.constScanLine(y)[x] < 128) g.Black.push_back({short(x), short(y)});
        it = cache.insert(key, g);
      }
      for (const auto& [x, y] : it->Black) setBlack(ix + x, l.Top + y);
    }
    if (!drawn.empty()) {
      int top = p.Height;
      for (const auto* l : drawn) top = std::min(top, l->Top);
      top = std::max(0, top);
      QImage strip(p.Width, p.Height - top, QImage::Format_Grayscale8);
      strip.fill(255);
      {
        QPainter painter(&strip);
        painter.setFont(font);
        painter.setPen(Qt::black);
        for (const auto* l : drawn) {
          int ix;
          double frac;
          const QRectF r = box(*l, ix, frac);
          painter.drawText(r.translated(ix, l->Top - top), Qt::AlignHCenter | Qt::AlignTop, l->Text);
        }
      }
      for (int y = 0; y < strip.height(); ++y) {
        const uchar* g = strip.constScanLine(y);
        for (int x = 0; x < p.Width; ++x)
          if (g[x] < 128) setBlack(x, top + y);
      }
    }
  }
  // The bits past the width are part of no pixel; keep them white.
  if (p.Width % 8)
    for (int y = 0; y < p.Height; ++y) rows[size_t(y * stride + stride - 1)] |= pad;
  static TMonoPng encoder;
  static QByteArray png;
  if (!encoder.Encode(rows, p.Width, p.Height, png)) return false;
  return device.write(png) == png.size();
}

QString ModulesToSvg(const std::string& modules, int scale, int quiet, int height) {
  return PictureToSvg(BuildSymbolPicture(modules, TTextLayout::Plain, QString(), scale, quiet, height, false));
}

QString BatchFileName(const QString& pattern, int n) {
  // Only the file name is numbered: a "~" in a folder name is the folder's.
  const int name = static_cast<int>(pattern.lastIndexOf(QChar('/'))) + 1;
  const int first = static_cast<int>(pattern.indexOf(QChar('~'), name));
  if (first < 0) {
    const QFileInfo fi(pattern);
    const QString suffix = fi.suffix();
    const QString stem = pattern.left(pattern.size() - suffix.size() - (suffix.isEmpty() ? 0 : 1));
    return stem + QStringLiteral("%1").arg(n, 5, 10, QChar('0')) + (suffix.isEmpty() ? QString() : "." + suffix);
  }
  int last = first;
  while (last < pattern.size() && pattern[last] == QChar('~')) ++last;
  return pattern.left(first) + QStringLiteral("%1").arg(n, last - first, 10, QChar('0')) + pattern.mid(last);
}

// ---- encoding ---------------------------------------------------------------

namespace {
bool AllDigits(const std::string& s) {
  for (const char c : s)
    if (c < '0' || c > '9') return false;
  return true;
}

struct TEncoded {
  std::string Modules, Readable;
  QString PictureText;  // under the bars
  TTextLayout Layout = TTextLayout::Plain;
};

QString PrintableText(const std::string& bytes) {
  QString s = BarCodeQString(bytes);
  for (QChar& c : s)
    if (c.unicode() < 32 || c.unicode() == 127) c = QChar(' ');
  return s;
}

// Encodes one text; the refusals (each a way the symbol would differ from the
// data) go to `refusals`, and `fatal` is set where even --force cannot help.
// Returns false when nothing was encoded.
bool EncodeOne(const TBarcodeOptions& opt, std::string text, TEncoded& enc, QStringList& refusals,
               bool& fatal) {
  fatal = false;
  if (text.empty()) {
    refusals << QStringLiteral("no data to encode");
    fatal = true;
    return false;
  }
  if (opt.Symbol == TToolSymbol::GS1_128) {
    std::string elements, readable, error;
    if (!ParseGS1(text, elements, readable, error)) {
      refusals << QStringLiteral("GS1: %1").arg(QString::fromStdString(error));
      fatal = true;
      return false;
    }
    if (!EncodeCode128Auto(elements, enc.Modules)) {
      refusals << QStringLiteral("GS1-128 cannot carry these characters");
      fatal = true;
      return false;
    }
    enc.Readable = readable;
    enc.PictureText = PrintableText(readable);
    return true;
  }
  if (opt.Symbol == TToolSymbol::Code128Auto) {
    std::string bad;
    for (char& c : text)
      if (static_cast<unsigned char>(c) > 127) {
        if (bad.find(c) == std::string::npos) bad += c;
        c = '0';
      }
    if (!bad.empty()) refusals << QStringLiteral("code128 cannot carry %1 (replaced by \"0\")").arg(Describe(bad));
    EncodeCode128Auto(text, enc.Modules);
    enc.Readable = text;
    enc.PictureText = PrintableText(text);
    return true;
  }

  const TBarCodesType type = opt.Type;
  const QString name = QString::fromLatin1(BarCodesTypeName(type));
  const std::string rejected = RejectedBarCodeChars(type, text);
  if (!rejected.empty())
    refusals << QStringLiteral("%1 cannot carry %2 (replaced by \"0\")").arg(name, Describe(rejected));
  bool encoded = false;
  if (type == bcUPC_E && (text.size() == 7 || text.size() == 8) && AllDigits(text)) {
    // The printed forms: number system first, then the six digits, then
    // (8 digits) the check digit.
    int ns = text[0] - '0';
    if (ns > 1) {
      refusals << QStringLiteral("the UPC-E number system must be 0 or 1, not %1 (0 used)").arg(ns);
      ns = 0;
    }
    EncodeUPCE(std::string_view(text).substr(1, 6), ns, enc.Modules, enc.Readable);
    if (text.size() == 8 && text[7] != enc.Readable[7])
      refusals << QStringLiteral("wrong check digit %1; %2 is right for %3")
                      .arg(QChar(text[7]))
                      .arg(QChar(enc.Readable[7]))
                      .arg(QString::fromLatin1(text.substr(0, 7).c_str()));
    encoded = true;
  } else if (type <= bcUPC_E) {
    const std::size_t full = type == bcEAN_13 ? 13 : type == bcEAN_8 ? 8 : type == bcUPC_A ? 12 : 6;
    const std::size_t data = type == bcUPC_E ? 6 : full - 1;
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
  } else if (type == bcCODE128C && FilterBarCodeText(type, text).size() % 2 != 0) {
    refusals << QStringLiteral("odd number of digits (a leading \"0\" added)");
  }
  if (!encoded) EncodeBarCodeText(type, text, enc.Modules, enc.Readable);
  switch (type) {
    case bcEAN_13: enc.Layout = TTextLayout::EAN13; break;
    case bcEAN_8: enc.Layout = TTextLayout::EAN8; break;
    case bcUPC_A: enc.Layout = TTextLayout::UPCA; break;
    case bcUPC_E: enc.Layout = TTextLayout::UPCE; break;
    default: enc.Layout = TTextLayout::Plain; break;
  }
  // Retail codes print their digits (check digit included); the others the
  // data as given, as the control does.
  enc.PictureText = enc.Layout == TTextLayout::Plain ? PrintableText(text) : BarCodeQString(enc.Readable);
  return true;
}

int WritePicture(const TBarcodeOptions& opt, const TEncoded& enc, const QString& path, TWriteBatch* batch,
                 QString& err) {
  const int height = opt.Height > 0 ? opt.Height : 50 * opt.Scale;
  const qint64 estimate = (static_cast<qint64>(enc.Modules.size()) + 2 * std::max(opt.Quiet, 7)) * opt.Scale;
  if (estimate * (height + 10LL * opt.Scale) > kMaxPixels || estimate > 1000000) {
    err += QStringLiteral(
               "tarnwell-barcode: the picture would be %1 x %2 pixels, too large; lower --scale or --height\n")
               .arg(estimate)
               .arg(height);
    return 2;
  }
  const TSymbolPicture pic =
      BuildSymbolPicture(enc.Modules, enc.Layout, enc.PictureText, opt.Scale, opt.Quiet, height, opt.ShowText);
  TFileWriter file(path, batch);
  if (!file.open()) {
    err += QStringLiteral("tarnwell-barcode: %1\n").arg(file.Message());
    return 1;
  }
  const QString suffix = QFileInfo(path).suffix().toLower();
  bool ok;
  if (suffix == QLatin1String("svg"))
    ok = file.write(PictureToSvg(pic).toUtf8()) >= 0;
  else if (suffix == QLatin1String("eps"))
    ok = file.write(PictureToEps(pic).toLatin1()) >= 0;
  else
    ok = PictureToPng(pic, file);
  if (!ok && !file.Failed()) {
    err += QStringLiteral("tarnwell-barcode: cannot write %1: the picture could not be encoded\n").arg(path);
    return 1;
  }
  if (!ok || !file.Commit()) {
    err += QStringLiteral("tarnwell-barcode: %1\n").arg(file.Message());
    return 1;
  }
  return 0;
}

// One symbol: refusals, the printed forms and the picture. `tag` prefixes
// the messages ("line 3: " in batch mode).
int RunOne(const TBarcodeOptions& opt, const std::string& text, const QString& outPath, const QString& tag,
           TWriteBatch* batch, QString& out, QString& err) {
  TEncoded enc;
  QStringList refusals;
  bool fatal = false;
  const bool encoded = EncodeOne(opt, text, enc, refusals, fatal);
  for (const QString& r : refusals) err += QStringLiteral("tarnwell-barcode: %1%2\n").arg(tag, r);
  if (!refusals.isEmpty()) {
    if (fatal || !encoded) {
      if (!text.empty()) err += QStringLiteral("tarnwell-barcode: %1refused, nothing written\n").arg(tag);
      return 3;
    }
    if (!opt.Force) {
      err += QStringLiteral("tarnwell-barcode: %1refused, nothing written; --force encodes it with the changes above\n")
                 .arg(tag);
      return 3;
    }
    err += QStringLiteral("tarnwell-barcode: %1--force: encoded with the changes above\n").arg(tag);
  }
  if (opt.PrintModules)
    out += QString::fromLatin1(enc.Modules.data(), static_cast<qsizetype>(enc.Modules.size())) + '\n';
  if (opt.PrintReadable) out += EscapeReadable(enc.Readable) + '\n';
  if (!outPath.isEmpty()) return WritePicture(opt, enc, outPath, batch, err);
  return 0;
}
}  // namespace

int RunBarcode(const TBarcodeOptions& opt, QString& out, QString& err) {
  if (!opt.Batch) {
    std::string text = opt.Text;
    if (opt.Stdin) {
      QString in = QString::fromUtf8(opt.Input);
      if (in.endsWith(QChar('\n'))) in.chop(1);
      if (in.endsWith(QChar('\r'))) in.chop(1);
      text = BarCodeBytes(in);
    }
    return RunOne(opt, text, opt.Out, QString(), nullptr, out, err);
  }
  QStringList lines = QString::fromUtf8(opt.Input).split(QChar('\n'));
  if (!lines.isEmpty() && lines.last().isEmpty()) lines.removeLast();  // the final newline
  if (lines.isEmpty()) {
    err += QStringLiteral("tarnwell-barcode: --batch: no lines on standard input\n");
    return 3;
  }
  // Every line is tried; the worst outcome is the exit code (a write
  // failure or a too-large picture over a refusal).
  int worst = 0;
  auto rank = [](int rc) { return rc == 0 ? 0 : rc == 3 ? 1 : 2; };
  // The pictures reach the disk together, not one wait for the disk each.
  TWriteBatch batch(kBatchSyncEvery);
  for (int i = 0; i < lines.size(); ++i) {
    QString line = lines[i];
    if (line.endsWith(QChar('\r'))) line.chop(1);
    const QString path = opt.Out.isEmpty() ? QString() : BatchFileName(opt.Out, i + 1);
    const int rc =
        RunOne(opt, BarCodeBytes(line), path, QStringLiteral("line %1: ").arg(i + 1), &batch, out, err);
    if (rank(rc) > rank(worst)) worst = rc;
  }
  if (!batch.Finish()) {
    err += QStringLiteral("tarnwell-barcode: %1\n").arg(batch.ErrorString());
    worst = 1;
  }
  return worst;
}
