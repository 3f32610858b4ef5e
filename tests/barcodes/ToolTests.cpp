// The tarnwell-barcode command: arguments, messages, and pictures that the
// independent readers decode.
#include <gtest/gtest.h>

#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QImage>
#include <QPainter>
#include <QProcess>
#include <QStandardPaths>
#include <QSvgRenderer>
#include <QTemporaryDir>

#include "BarcodeTool.h"
#include <Tarnwell/barcodes/BarCdMore.h>
#include "Readers.h"
#include "SmallDisk.h"

using namespace Tarnwell;

namespace {

int RunTool(const QStringList& args, QString& out, QString& err) {
  TBarcodeOptions opt;
  QString error;
  if (!ParseBarcodeArgs(args, opt, error)) {
    err = error;
    return 2;
  }
  return RunBarcode(opt, out, err);
}

}  // namespace

TEST(BarcodeTool, PrintsModulesAndReadableText) {
  QString out, err;
  ASSERT_EQ(RunTool({"--type", "ean13", "--modules", "123456789012"}, out, err), 0);
  EXPECT_EQ(out.trimmed().size(), 95);
  EXPECT_TRUE(err.isEmpty());
  out.clear();
  ASSERT_EQ(RunTool({"--type", "code128a", "--readable", "12345"}, out, err), 0);
  EXPECT_EQ(out, "12345\\x19\n");
  EXPECT_EQ(EscapeReadable(std::string("a\\b\x7F", 4)), "a\\\\b\\x7F");
}

TEST(BarcodeTool, BadArgumentsExitTwoWithAMessage) {
  const QList<QStringList> bad = {
      {},
      {"--type", "qr", "--modules", "x"},
      {"--type", "ean13", "123"},  // nothing to do
      {"--type", "ean13", "--modules"},
      {"--modules", "123"},
      {"--type", "ean13", "--modules", "--scale", "0", "1"},
      {"--type", "ean13", "--modules", "--scale", "x", "1"},
      {"--type", "ean13", "--modules", "--height", "-5", "1"},
      {"--type", "ean13", "--modules", "--quiet", "99999", "1"},
      {"--type", "ean13", "--out", "a.gif", "1"},
      {"--type", "ean13", "--modules", "--frobnicate", "1"},
      {"--type", "ean13", "--modules", "1", "2"},
      {"--type"},
  };
  for (const QStringList& args : bad) {
    QString out, err;
    EXPECT_EQ(RunTool(args, out, err), 2) << args.join(' ').toStdString();
    EXPECT_FALSE(err.isEmpty()) << args.join(' ').toStdString();
  }
}

TEST(BarcodeTool, RefusesDataTheSymbolWouldNotCarry) {
  const QList<QStringList> bad = {
      {"--type", "code39", "--modules", "ab*1"},          // characters Code 39 lacks
      {"--type", "ean13", "--modules", "1234567890123"},  // check digit should be 8
      {"--type", "ean13", "--modules", "12345678901234"}, // a digit beyond the symbol
      {"--type", "ean13", "--modules", "1234567890"},     // too few digits
      {"--type", "upca", "--modules", "036000291453"},
      {"--type", "ean8", "--modules", "12345671"},
      {"--type", "upce", "--modules", "04252615"},        // check digit should be 4
      {"--type", "upce", "--modules", "2425261"},         // number system 2
      {"--type", "code128b", "--modules", ""},
      {"--type", "code128c", "--modules", "123"},
  };
  for (const QStringList& args : bad) {
    QString out, err;
    EXPECT_EQ(RunTool(args, out, err), 3) << args.join(' ').toStdString();
    EXPECT_TRUE(out.isEmpty()) << args.join(' ').toStdString();
    EXPECT_TRUE(err.contains("refused") || err.contains("no data")) << err.toStdString();
  }
  QString out, err;
  ASSERT_EQ(RunTool({"--type", "ean13", "--readable", "1234567890128"}, out, err), 0);
  EXPECT_EQ(out, "1234567890128\n");
  EXPECT_TRUE(err.isEmpty());
  out.clear();
  ASSERT_EQ(RunTool({"--type", "ean13", "--readable", "--force", "1234567890123"}, out, err), 0);
  EXPECT_EQ(out, "1234567890128\n");
  EXPECT_TRUE(err.contains("8 is right")) << err.toStdString();
}

TEST(BarcodeTool, PrintedUpcEFormsDecodeInBothNumberSystems) {
  QTemporaryDir dir;
  struct {
    const char* Text;
    const char* Read;
  } cases[] = {{"04252614", "04252614"}, {"0425261", "04252614"}, {"1425261", "14252611"}};
  for (const auto& c : cases) {
    QString out, err;
    const QString path = dir.filePath(QString::fromLatin1(c.Text) + ".png");
    ASSERT_EQ(RunTool({"--type", "upce", "--readable", "--out", path, c.Text}, out, err), 0) << c.Text;
    EXPECT_EQ(out.trimmed(), c.Read);
    const QImage img(path);
    if (HaveZxing()) {
      const auto got = ZxingDecode(img, bcUPC_E);
      EXPECT_TRUE(got.size() == 1 && got[0] == c.Read) << c.Text << " " << (got.empty() ? "" : got[0]);
    }
    // zbar reads number system 0 only.
    if (HaveZbar() && c.Read[0] == '0') {
      const auto got = ZbarDecode(img, bcUPC_E);
      EXPECT_TRUE(got.size() == 1 && got[0] == c.Read) << c.Text << " " << (got.empty() ? "" : got[0]);
    }
  }
}

TEST(BarcodeTool, ForceNamesReplacedCharactersAndStillWrites) {
  QString out, err;
  ASSERT_EQ(RunTool({"--type", "code39", "--force", "--readable", "ab*1"}, out, err), 0);
  EXPECT_TRUE(err.contains("\"a\", \"b\", \"*\"")) << err.toStdString();
  EXPECT_TRUE(out.startsWith("0001"));
  err.clear();
  ASSERT_EQ(RunTool({"--type", "code128c", "--force", "--readable", "123"}, out, err), 0);
  EXPECT_TRUE(err.contains("leading")) << err.toStdString();
  err.clear();
  ASSERT_EQ(RunTool({"--type", "code128b", "--force", "--modules", QString::fromUtf8("x\u20AC")}, out, err), 0);
  EXPECT_TRUE(err.contains("Latin-1")) << err.toStdString();
}

TEST(BarcodeTool, RefusesUnwritableAndHugePictures) {
  QString out, err;
  EXPECT_EQ(RunTool({"--type", "ean13", "--out", "/nonexistent-dir/x.png", "123456789012"}, out, err), 1);
  EXPECT_TRUE(err.contains("cannot write"));
  err.clear();
  QTemporaryDir dir;
  const QString path = dir.filePath("big.png");
  EXPECT_EQ(RunTool({"--type", "code128b", "--scale", "100", "--height", "10000", "--out", path,
                     QString(3000, QChar('x'))},
                    out, err),
            2);
  EXPECT_TRUE(err.contains("too large"));
  EXPECT_FALSE(QFile::exists(path));
}

TEST(BarcodeTool, PicturesOfEveryTypeDecode) {
  if (!HaveZxing() && !HaveZbar()) GTEST_SKIP() << "neither zbar nor ZXing-C++ is installed";
  QTemporaryDir dir;
  struct {
    const char* Type;
    TBarCodesType Code;
    const char* Text;
    const char* Read;
  } cases[] = {
      {"ean13", bcEAN_13, "123456789012", "1234567890128"},
      {"ean8", bcEAN_8, "1234567", "12345670"},
      {"upca", bcUPC_A, "03600029145", "036000291452"},
      {"upce", bcUPC_E, "425261", "04252614"},
      {"code39", bcCODE39, "CODE-39", "CODE-39"},
      {"code39x", bcCODE39X, "Code-39x", "Code-39x"},
      {"code128a", bcCODE128A, "ABC\t1", "ABC\t1"},
      {"code128b", bcCODE128B, "Bar codes!", "Bar codes!"},
      {"code128c", bcCODE128C, "02026120", "02026120"},
      {"code93", bcCODE93, "Code 93", "Code 93"},
  };
  for (const auto& c : cases) {
    const QString path = dir.filePath(QString::fromLatin1(c.Type) + ".png");
    QString out, err;
    ASSERT_EQ(RunTool({"--type", c.Type, "--out", path, QString::fromLatin1(c.Text)}, out, err), 0) << c.Type;
    const QImage img(path);
    ASSERT_FALSE(img.isNull()) << c.Type;
    if (HaveZxing()) {
      const auto got = ZxingDecode(img, c.Code);
      EXPECT_TRUE(got.size() == 1 && got[0] == c.Read) << c.Type;
    }
  }
  // The SVG holds one path of bars inside a white page.
  QString out, err;
  const QString svg = dir.filePath("c.svg");
  ASSERT_EQ(RunTool({"--type", "code11", "--out", svg, "123-45"}, out, err), 0);
  QFile f(svg);
  ASSERT_TRUE(f.open(QIODevice::ReadOnly));
  const QByteArray text = f.readAll();
  EXPECT_TRUE(text.startsWith("<?xml"));
  EXPECT_TRUE(text.contains("<path fill=\"#000000\" d=\"M20 0h2v100h-2z"));
}

TEST(BarcodeEncoders, AutomaticCode128AndGS1DecodeToTheirData) {
  if (!HaveZxing()) GTEST_SKIP() << "ZXing-C++ is not installed";
  const std::string texts[] = {"abc123456XY\t", "1234567890", "A", "x\x01y", "Hello 2026-12-09 0042"};
  for (const std::string& t : texts) {
    std::string modules;
    ASSERT_TRUE(EncodeCode128Auto(t, modules)) << t;
    const auto got = ZxingDecode(RenderModules(modules), bcCODE128B);
    EXPECT_TRUE(got.size() == 1 && got[0] == t) << t;
  }
  std::string modules;
  EXPECT_FALSE(EncodeCode128Auto("", modules));
  // Digits in set C take half the room of set B.
  std::string digits, letters;
  EncodeCode128Auto("12345678", digits);
  EncodeCode128Auto("abcdefgh", letters);
  EXPECT_LT(digits.size(), letters.size());

  std::string elements, readable, error;
  ASSERT_TRUE(ParseGS1("(01)09501101530003(10)AB12(17)261231", elements, readable, error)) << error;
  EXPECT_EQ(readable, "(01)09501101530003(10)AB12(17)261231");
  ASSERT_TRUE(EncodeCode128Auto(elements, modules));
  const auto got = ZxingDecode(RenderModules(modules), bcCODE128B);
  ASSERT_EQ(got.size(), 1u);
  EXPECT_EQ(got[0], "010950110153000310AB12\x1D" "17261231");
  EXPECT_FALSE(ParseGS1("(01)09501101530004", elements, readable, error));  // check digit
  EXPECT_FALSE(ParseGS1("01)1", elements, readable, error));
  EXPECT_FALSE(ParseGS1("(10)", elements, readable, error));
}

namespace {
int RunWithInput(const QStringList& args, const QByteArray& input, QString& out, QString& err) {
  TBarcodeOptions opt;
  QString error;
  if (!ParseBarcodeArgs(args, opt, error)) {
    err = error;
    return 2;
  }
  opt.Input = input;
  return RunBarcode(opt, out, err);
}

bool Decodes(const QImage& img, TBarCodesType type, const std::string& want, std::string& why) {
  if (HaveZxing()) {
    const auto got = ZxingDecode(img, type);
    if (got.size() != 1 || got[0] != want) {
      why = "ZXing read " + (got.empty() ? std::string("nothing") : got[0]);
      return false;
    }
  }
  if (HaveZbar()) {
    const auto got = ZbarDecode(img, type);
    if (got.size() != 1 || got[0] != want) {
      why = "zbar read " + (got.empty() ? std::string("nothing") : got[0]);
      return false;
    }
  }
  return true;
}

// The bars of an EPS picture (its rectfill lines after the white page),
// rasterised to check them with the readers.
QImage RasteriseEps(const QByteArray& eps) {
  int w = 0, h = 0;
  QImage img;
  bool page = true;
  for (const QByteArray& line : eps.split('\n')) {
    if (line.startsWith("%%BoundingBox:")) {
      const auto f = line.split(' ');
      w = f.value(3).toInt();
      h = f.value(4).toInt();
      img = QImage(w, h, QImage::Format_Grayscale8);
      img.fill(255);
    } else if (line.endsWith(" rectfill")) {
      const auto f = line.split(' ');
      if (page) {
        page = false;  // the white page
        continue;
      }
      const int x = f[0].toInt(), y = f[1].toInt(), rw = f[2].toInt(), rh = f[3].toInt();
      for (int py = h - y - rh; py < h - y; ++py)
        for (int px = x; px < x + rw; ++px) img.scanLine(py)[px] = 0;
    }
  }
  return img;
}

int DarkRowsBelow(const QImage& img, int fromRow) {
  int n = 0;
  for (int y = fromRow; y < img.height(); ++y)
    for (int x = 0; x < img.width(); ++x)
      if (qGray(img.pixel(x, y)) < 128) {
        ++n;
        break;
      }
  return n;
}
}  // namespace

TEST(BarcodeTool, AutomaticCode128AndGS1128FromTheCommandDecode) {
  QTemporaryDir dir;
  const std::string texts[] = {"Lot 4711-2026 x", "00123456789012345678", "a\tb"};
  for (const std::string& t : texts) {
    QString out, err;
    const QString path = dir.filePath("c.png");
    ASSERT_EQ(RunTool({"--type", "code128", "--readable", "--out", path, QString::fromLatin1(t.c_str())}, out, err), 0)
        << t;
    EXPECT_EQ(out.trimmed(), EscapeReadable(t));
    std::string why;
    EXPECT_TRUE(Decodes(QImage(path), bcCODE128B, t, why)) << t << ": " << why;
  }
  // All digits: set C throughout, shorter than the same count of letters in B.
  QString digits, letters, err;
  RunTool({"--type", "code128", "--modules", "12345678901234"}, digits, err);
  RunTool({"--type", "code128b", "--modules", "12345678901234"}, letters, err);
  EXPECT_LT(digits.size(), letters.size());

  QString out;
  const QString gs1 = dir.filePath("g.svg");
  ASSERT_EQ(RunTool({"--type", "gs1128", "--readable", "--out", gs1, "(01)09501101530003(17)261231(10)AB-12"}, out, err), 0)
      << err.toStdString();
  EXPECT_EQ(out.trimmed(), "(01)09501101530003(17)261231(10)AB-12");
  QFile f(gs1);
  ASSERT_TRUE(f.open(QIODevice::ReadOnly));
  const QByteArray svg = f.readAll();
  EXPECT_TRUE(svg.contains(">(01)09501101530003(17)261231(10)AB-12</text>"));
  QSvgRenderer renderer(svg);
  QImage img(renderer.defaultSize(), QImage::Format_RGB32);
  img.fill(Qt::white);
  QPainter painter(&img);
  renderer.render(&painter);
  painter.end();
  if (HaveZxing()) {
    const auto got = ZxingDecode(img, bcCODE128B);
    ASSERT_EQ(got.size(), 1u);
    EXPECT_EQ(got[0], "01095011015300031726123110AB-12");
  }

  // Refused: what Code 128 cannot carry; a malformed GS1 text even with --force.
  out.clear();
  err.clear();
  EXPECT_EQ(RunTool({"--type", "code128", "--modules", QString::fromUtf8("caf\u00E9")}, out, err), 3);
  EXPECT_TRUE(err.contains("U+00E9")) << err.toStdString();
  EXPECT_TRUE(out.isEmpty());
  for (const char* bad : {"(01)09501101530004", "01)123", "(10)", ""}) {
    err.clear();
    EXPECT_EQ(RunTool({"--type", "gs1128", "--force", "--modules", bad}, out, err), 3) << bad;
    EXPECT_FALSE(err.isEmpty()) << bad;
  }
  EXPECT_TRUE(out.isEmpty());
}

TEST(BarcodeTool, PicturesCarryTheDigitsUnderTheBarsInPngSvgAndEps) {
  QTemporaryDir dir;
  struct {
    const char* Type;
    TBarCodesType Code;
    const char* Text;
    const char* Read;
    int Labels;  // digits written one by one for EAN/UPC
  } cases[] = {
      {"ean13", bcEAN_13, "590123412345", "5901234123457", 13},
      {"ean8", bcEAN_8, "9638507", "96385074", 8},
      {"upca", bcUPC_A, "03600029145", "036000291452", 12},
      {"upce", bcUPC_E, "0425261", "04252614", 8},
      {"code128b", bcCODE128B, "Tarn 128", "Tarn 128", 1},
  };
  for (const auto& c : cases) {
    const QString png = dir.filePath("p.png"), bare = dir.filePath("b.png"), svg = dir.filePath("s.svg"),
                  eps = dir.filePath("e.eps");
    QString out, err;
    ASSERT_EQ(RunTool({"--type", c.Type, "--out", png, c.Text}, out, err), 0) << c.Type;
    ASSERT_EQ(RunTool({"--type", c.Type, "--notext", "--out", bare, c.Text}, out, err), 0) << c.Type;
    ASSERT_EQ(RunTool({"--type", c.Type, "--out", svg, c.Text}, out, err), 0) << c.Type;
    ASSERT_EQ(RunTool({"--type", c.Type, "--out", eps, c.Text}, out, err), 0) << c.Type;
    const QImage withText(png), without(bare);
    // Bars of 100 pixels (50 modules at 2 pixels); the text below them.
    EXPECT_EQ(without.height(), 100) << c.Type;
    EXPECT_GT(withText.height(), 100) << c.Type;
    EXPECT_GT(DarkRowsBelow(withText, 110), 5) << c.Type << ": no digits under the bars";
    std::string why;
    EXPECT_TRUE(Decodes(withText, c.Code, c.Read, why)) << c.Type << ": " << why;

    QFile s(svg);
    ASSERT_TRUE(s.open(QIODevice::ReadOnly));
    const QByteArray svgText = s.readAll();
    EXPECT_EQ(svgText.count("<text "), c.Labels) << c.Type;
    QSvgRenderer renderer(svgText);
    QImage img(renderer.defaultSize(), QImage::Format_RGB32);
    img.fill(Qt::white);
    QPainter painter(&img);
    renderer.render(&painter);
    painter.end();
    EXPECT_EQ(img.size(), withText.size()) << c.Type;
    EXPECT_TRUE(Decodes(img, c.Code, c.Read, why)) << c.Type << " SVG: " << why;

    QFile e(eps);
    ASSERT_TRUE(e.open(QIODevice::ReadOnly));
    const QByteArray epsText = e.readAll();
    EXPECT_TRUE(epsText.startsWith("%!PS-Adobe-3.0 EPSF-3.0\n"));
    EXPECT_TRUE(epsText.contains(QStringLiteral("%%BoundingBox: 0 0 %1 %2")
                                     .arg(withText.width())
                                     .arg(withText.height())
                                     .toLatin1()));
    EXPECT_EQ(epsText.count(" show\n"), c.Labels) << c.Type;
    EXPECT_TRUE(epsText.endsWith("%%EOF\n"));
    EXPECT_TRUE(Decodes(RasteriseEps(epsText), c.Code, c.Read, why)) << c.Type << " EPS: " << why;
  }
  // PostScript strings keep their parentheses and backslashes escaped.
  QString out, err;
  const QString eps = dir.filePath("x.eps");
  ASSERT_EQ(RunTool({"--type", "code128", "--out", eps, "a(b)\\c"}, out, err), 0);
  QFile e(eps);
  ASSERT_TRUE(e.open(QIODevice::ReadOnly));
  EXPECT_TRUE(e.readAll().contains("(a\\(b\\)\\\\c) dup"));
}

TEST(BarcodeTool, StandardInputAndBatchLines) {
  QTemporaryDir dir;
  QString out, err;
  ASSERT_EQ(RunWithInput({"--type", "code128", "--stdin", "--readable"}, "Tarn well\r\n", out, err), 0);
  EXPECT_EQ(out, "Tarn well\n");
  // TEXT and standard input at once, or both modes: bad arguments.
  EXPECT_EQ(RunWithInput({"--type", "code128", "--stdin", "--readable", "x"}, "", out, err), 2);
  EXPECT_EQ(RunWithInput({"--type", "code128", "--stdin", "--batch", "--readable"}, "", out, err), 2);
  err.clear();
  EXPECT_EQ(RunWithInput({"--type", "code128", "--stdin", "--readable"}, "", out, err), 3);
  EXPECT_TRUE(err.contains("no data"));

  // One symbol a line, numbered by line; a bad line is named, the others
  // are still written, and the exit says something was refused.
  out.clear();
  err.clear();
  const QString pattern = dir.filePath("item~~~.png");
  EXPECT_EQ(RunWithInput({"--type", "ean13", "--batch", "--readable", "--out", pattern},
                         "590123412345\n123\n4006381333931\n", out, err),
            3);
  EXPECT_EQ(out, "5901234123457\n4006381333931\n");
  EXPECT_TRUE(err.contains("line 2: ")) << err.toStdString();
  EXPECT_FALSE(err.contains("line 1: ") || err.contains("line 3: ")) << err.toStdString();
  EXPECT_TRUE(QFile::exists(dir.filePath("item001.png")));
  EXPECT_FALSE(QFile::exists(dir.filePath("item002.png")));
  std::string why;
  EXPECT_TRUE(Decodes(QImage(dir.filePath("item003.png")), bcEAN_13, "4006381333931", why)) << why;

  EXPECT_EQ(BatchFileName("out.svg", 7), "out00007.svg");
  EXPECT_EQ(BatchFileName("a~~b.png", 3), "a03b.png");
  EXPECT_EQ(BatchFileName("a~b.png", 12), "a12b.png");  // never cut short
  EXPECT_EQ(RunWithInput({"--type", "ean13", "--batch", "--modules"}, "", out, err), 3);
}

// The installed command end to end: lines on its standard input, pictures
// read back by the readers' own command-line programs.
TEST(BarcodeTool, CommandBatchReadByZbarimgAndZXingReader) {
  const QString zbarimg = QStandardPaths::findExecutable("zbarimg");
  const QString zxing = QStandardPaths::findExecutable("ZXingReader");
  if (zbarimg.isEmpty() && zxing.isEmpty()) GTEST_SKIP() << "neither zbarimg nor ZXingReader is installed";
  QTemporaryDir dir;
  QProcess tool;
  tool.start(QStringLiteral(TARNWELL_BARCODE_TOOL),
             {"--type", "code128", "--batch", "--out", dir.filePath("sym~~.png")});
  ASSERT_TRUE(tool.waitForStarted());
  tool.write("First line\n0042 0042\nend\n");
  tool.closeWriteChannel();
  ASSERT_TRUE(tool.waitForFinished(30000));
  ASSERT_EQ(tool.exitCode(), 0) << tool.readAllStandardError().toStdString();
  const char* want[] = {"First line", "0042 0042", "end"};
  for (int i = 0; i < 3; ++i) {
    const QString png = dir.filePath(QStringLiteral("sym%1.png").arg(i + 1, 2, 10, QChar('0')));
    ASSERT_TRUE(QFile::exists(png));
    if (!zbarimg.isEmpty()) {
      QProcess r;
      r.start(zbarimg, {"-q", "--raw", png});
      ASSERT_TRUE(r.waitForFinished(30000));
      EXPECT_EQ(QString::fromUtf8(r.readAllStandardOutput()).trimmed(), want[i]);
    }
    if (!zxing.isEmpty()) {
      QProcess r;
      r.start(zxing, {png});
      ASSERT_TRUE(r.waitForFinished(30000));
      const QString text = QString::fromUtf8(r.readAllStandardOutput());
      EXPECT_TRUE(text.contains(QStringLiteral("Text:       \"%1\"").arg(want[i]))) << text.toStdString();
    }
  }
  // Refused data: nothing written, exit 3.
  QProcess bad;
  bad.start(QStringLiteral(TARNWELL_BARCODE_TOOL), {"--type", "ean13", "--stdin", "--out", dir.filePath("x.png")});
  ASSERT_TRUE(bad.waitForStarted());
  bad.write("1234567890123\n");
  bad.closeWriteChannel();
  ASSERT_TRUE(bad.waitForFinished(30000));
  EXPECT_EQ(bad.exitCode(), 3);
  EXPECT_FALSE(QFile::exists(dir.filePath("x.png")));
}

namespace {
int RunCommand(const QStringList& args, const QByteArray& input, QString* err = nullptr) {
  QProcess p;
  p.start(QStringLiteral(TARNWELL_BARCODE_TOOL), args);
  if (!p.waitForStarted()) return -1;
  p.write(input);
  p.closeWriteChannel();
  if (!p.waitForFinished(120000)) return -1;
  if (err) *err = QString::fromLocal8Bit(p.readAllStandardError());
  return p.exitCode();
}
}  // namespace

// A picture written again on a disk that has filled up meanwhile: exit 1,
// the old picture byte for byte, no temporary, the reason named.
TEST(BarcodeTool, FullDiskKeepsTheOldPicture) {
  TSmallDisk disk(128);
  REQUIRE_SMALL_DISK(disk);
  for (const char* name : {"a.png", "a.svg", "a.eps", "lot~.png"}) {
    SCOPED_TRACE(name);
    const bool batch = QByteArray(name).contains('~');
    const QString out = disk.File(name), written = batch ? disk.File("lot1.png") : out;
    QStringList args = {"--type", "code128", "--out", out};
    args << (batch ? QStringList{"--batch"} : QStringList{"Tarn 1"});
    ASSERT_EQ(RunCommand(args, "Tarn 1\n"), 0);
    const QByteArray old = FileBytes(written);
    ASSERT_FALSE(old.isEmpty());
    disk.Fill();
    if (!batch) args.last() = "Tarn 22";
    QString err;
    EXPECT_EQ(RunCommand(args, "Tarn 22\n", &err), 1);
    EXPECT_TRUE(err.contains(written) && err.contains(QString::fromLocal8Bit(strerror(ENOSPC)))) << err.toStdString();
    EXPECT_EQ(FileBytes(written), old);
    EXPECT_EQ(disk.Entries(), QStringList{QFileInfo(written).fileName()});
    disk.Unfill();
    QFile::remove(written);
  }
}

// Numbering is the file name's; "--" ends the options, "--help" after it is
// data; the pictures are 1-bit and still read back.
TEST(BarcodeTool, BatchNumbersFileNamesOnlyAndDataAfterDoubleDash) {
  QTemporaryDir dir;
  ASSERT_TRUE(QDir(dir.path()).mkpath("bk~"));
  EXPECT_EQ(BatchFileName("bk~/lot~~.png", 3), "bk~/lot03.png");
  EXPECT_EQ(BatchFileName("bk~/lot.png", 3), "bk~/lot00003.png");
  ASSERT_EQ(RunCommand({"--type", "code128", "--batch", "--out", dir.filePath("bk~/lot~~.png")}, "A1\nB2\n"), 0);
  EXPECT_EQ(QDir(dir.filePath("bk~")).entryList(QDir::Files), (QStringList{"lot01.png", "lot02.png"}));
  EXPECT_EQ(QDir(dir.path()).entryList(QDir::Dirs | QDir::NoDotAndDotDot), QStringList{"bk~"});
  QFile png(dir.filePath("bk~/lot02.png"));
  ASSERT_TRUE(png.open(QIODevice::ReadOnly));
  EXPECT_EQ(png.read(26).at(24), 1) << "bit depth";
  if (HaveZbar()) {
    const auto got = ZbarDecode(QImage(dir.filePath("bk~/lot02.png")), bcCODE128B);
    EXPECT_TRUE(got.size() == 1 && got[0] == "B2");
  }
  QString err;
  EXPECT_EQ(RunCommand({"--type", "code39", "--modules", "--", "--help"}, ""), 3);
  EXPECT_EQ(RunCommand({"--type", "code128b", "--modules", "--", "--help"}, ""), 0);
}

// Killed at random moments while it replaces a large picture: the old or
// the new picture, never a part of one.
TEST(BarcodeTool, KilledWhileWritingLeavesOldOrNewPicture) {
  QTemporaryDir dir;
  const QString out = dir.filePath("big.png");
  const QStringList args = {"--type", "code128b", "--scale", "20", "--height", "3000", "--out", out, QString(100, 'w')};
  QElapsedTimer t;
  t.start();
  ASSERT_EQ(RunCommand(args, ""), 0);
  const int ms = int(t.elapsed());
  const QByteArray fresh = FileBytes(out);
  ASSERT_GT(fresh.size(), 1000);
  QString what;
  EXPECT_EQ(KillLoop(QStringLiteral(TARNWELL_BARCODE_TOOL), args, out, "old picture", fresh, 15, ms, &what), 0)
      << what.toStdString();
  EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden), QStringList{"big.png"});
}
