// The tarnwell-barcode command: arguments, messages, and pictures that the
// independent readers decode.
#include <gtest/gtest.h>

#include <QFile>
#include <QImage>
#include <QTemporaryDir>

#include "BarcodeTool.h"
#include <Tarnwell/barcodes/BarCdMore.h>
#include "Readers.h"

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
