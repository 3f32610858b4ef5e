// The encoders against the worked examples and the structure of the tables.
#include <gtest/gtest.h>

#include <set>
#include <string>

#include <Tarnwell/barcodes/BarCdDef.h>
#include <Tarnwell/barcodes/BarCdObj.h>

using namespace Tarnwell;

namespace {

struct TEncoded {
  std::string Modules;
  std::string Readable;
};

TEncoded Enc(TBarCodesType type, std::string_view text, int ratio = 3, bool check = true) {
  TEncoded r;
  EXPECT_TRUE(EncodeBarCodeText(type, text, r.Modules, r.Readable, ratio, check));
  return r;
}

// Bar and space widths of a module string, as "2111..." digits.
std::string Widths(const std::string& m) {
  std::string w;
  for (std::size_t i = 0; i < m.size();) {
    std::size_t j = i;
    while (j < m.size() && m[j] == m[i]) ++j;
    w.push_back(char('0' + (j - i)));
    i = j;
  }
  return w;
}

}  // namespace

TEST(BarCdDef, TablesHaveTheirStructure) {
  for (int d = 0; d < 10; ++d) {
    const std::string l = EANDigits[d * 3], g = EANDigits[d * 3 + 1], r = EANDigits[d * 3 + 2];
    std::string complement = l, reversed(r.rbegin(), r.rend());
    for (char& c : complement) c = c == '1' ? '0' : '1';
    EXPECT_EQ(r, complement) << d;
    EXPECT_EQ(g, reversed) << d;
    EXPECT_EQ(std::count(l.begin(), l.end(), '1') % 2, 1) << "L patterns have odd parity";
    EXPECT_EQ(UPCADigits[d * 2], l);
    EXPECT_EQ(UPCADigits[d * 2 + 1], r);
    EXPECT_EQ(UPCEDigits[d * 2], l);
    EXPECT_EQ(UPCEDigits[d * 2 + 1], g);
  }
  std::set<std::string> seen39;
  for (int i = 0; i < 44; ++i) {
    const std::string bars = Code39Table[i].Bars, spaces = Code39Table[i].Spaces;
    ASSERT_EQ(bars.size(), 5u);
    ASSERT_EQ(spaces.size(), 4u);
    EXPECT_EQ(std::count(bars.begin(), bars.end(), '1') + std::count(spaces.begin(), spaces.end(), '1'), 3)
        << "three wide elements in " << Code39Chars[i];
    EXPECT_TRUE(seen39.insert(bars + spaces).second);
  }
  std::set<std::string> seen128;
  for (int v = 0; v < 103; ++v) {
    const std::string w = Code128Table[v].Widths;
    ASSERT_EQ(w.size(), 6u);
    EXPECT_EQ(w[0] + w[1] + w[2] + w[3] + w[4] + w[5] - 6 * '0', 11) << v;
    EXPECT_EQ((w[0] + w[2] + w[4] - 3 * '0') % 2, 0) << "even bar modules in value " << v;
    EXPECT_TRUE(seen128.insert(w).second);
  }
  std::set<std::string> seen93;
  for (int v = 0; v < 47; ++v) {
    const std::string p = Code93Table[v];
    ASSERT_EQ(p.size(), 9u);
    EXPECT_EQ(p.front(), '1');
    EXPECT_EQ(p.back(), '0');
    EXPECT_EQ(Widths(p).size(), 6u) << "three bars and three spaces in value " << v;
    EXPECT_TRUE(seen93.insert(p).second);
  }
  EXPECT_STREQ(Code93Table[0], "100010100");
  EXPECT_STREQ(Code128Table[0].Widths, "212222");
  EXPECT_STREQ(Code128Table[102].Widths, "411131");
  EXPECT_EQ(Code128Table[64].SetA, '\0');
  EXPECT_EQ(Code128Table[95].SetB, '\x7F');
}

TEST(EncoderEAN, WorkedExamples) {
  auto e13 = Enc(bcEAN_13, "1234567890");
  EXPECT_EQ(e13.Readable, "1234567890005");
  ASSERT_EQ(e13.Modules.size(), 95u);
  EXPECT_EQ(e13.Modules.substr(0, 3), "101");
  EXPECT_EQ(e13.Modules.substr(45, 5), "01010");
  EXPECT_EQ(e13.Modules.substr(92), "101");
  // First digit 1: parity LLGLGG for digits 2-7.
  EXPECT_EQ(e13.Modules.substr(3, 7), EANDigits[2 * 3 + 0]);
  EXPECT_EQ(e13.Modules.substr(17, 7), EANDigits[4 * 3 + 1]);

  EXPECT_EQ(Enc(bcEAN_8, "12345678").Readable, "12345670");
  EXPECT_EQ(Enc(bcEAN_8, "12345678").Modules.size(), 67u);
  EXPECT_EQ(Enc(bcUPC_A, "1234567890").Readable, "123456789005");

  auto upce = Enc(bcUPC_E, "123456");
  EXPECT_EQ(upce.Readable, "123456");
  ASSERT_EQ(upce.Modules.size(), 51u);
  // Check digit 5 of "01234500006": parity row GLLGGL.
  const int parity[6] = {1, 0, 0, 1, 1, 0};
  for (int i = 0; i < 6; ++i)
    EXPECT_EQ(upce.Modules.substr(3 + 7 * i, 7), UPCEDigits[(i + 1) * 2 + parity[i]]);
  EXPECT_EQ(upce.Modules.substr(45), "010101");
}

TEST(EncoderEAN, FilteringPaddingAndCheckDigit) {
  EXPECT_EQ(Enc(bcEAN_13, "").Readable, "0000000000000");
  // Letters become "0"; a 13th digit is replaced by the computed check digit;
  // anything after the 13th character is ignored.
  EXPECT_EQ(Enc(bcEAN_13, "4006381333939").Readable, "4006381333931");
  EXPECT_EQ(Enc(bcEAN_13, "40063813339319999").Readable, "4006381333931");
  EXPECT_EQ(Enc(bcEAN_13, "4x06381333931").Readable, "4006381333931");
  EXPECT_EQ(Enc(bcUPC_A, "03600029145").Readable, "036000291452");
  // UPC-E expansions by the last digit.
  EXPECT_EQ(Enc(bcUPC_E, "425261").Modules.size(), 51u);
}

TEST(EncoderEAN, UnhandledTypeAnswersZeroAndKeepsReadable) {
  TBarCdEAN_UPC ean;
  std::string modules, readable = "keep";
  ean.EncodeBarCode(bcCODE39, "123", modules, readable);
  EXPECT_EQ(modules, "0");
  EXPECT_EQ(readable, "keep");
  TBarCd39_128_93 c39;
  c39.EncodeBarCode(bcEAN_13, "123", modules, readable);
  EXPECT_EQ(modules, "0");
  c39.EncodeBarCode(200, "123", modules, readable);
  EXPECT_EQ(modules, "0");
  TBarCdNUMERIC c11;
  c11.EncodeBarCode(bcCODE93, "123", modules, readable);
  EXPECT_EQ(modules, "0");
  EXPECT_EQ(readable, "keep");
  EXPECT_FALSE(EncodeBarCodeText(static_cast<TBarCodesType>(11), "1", modules, readable));
}

TEST(EncoderCode39, WorkedExamplesAndRatios) {
  auto c = Enc(bcCODE39, "12345");
  EXPECT_EQ(c.Readable, "12345F");
  EXPECT_EQ(c.Modules.size(), 127u);
  EXPECT_EQ(c.Modules.substr(0, 16), "1000101110111010");
  EXPECT_EQ(c.Modules.substr(112), "100010111011101");
  auto r2 = Enc(bcCODE39, "12345", 2);
  EXPECT_EQ(r2.Modules.substr(0, 13), "1001011011010");
  EXPECT_EQ(r2.Modules.substr(r2.Modules.size() - 12), "100101101101");
  EXPECT_EQ(r2.Modules.size(), 13u * 8 - 1);

  auto empty = Enc(bcCODE39, "");
  EXPECT_EQ(empty.Readable, "0");
  EXPECT_EQ(empty.Modules.size(), 16u * 3 - 1);
  EXPECT_EQ(Enc(bcCODE39, "", 3, false).Modules.size(), 16u * 2 - 1);
  EXPECT_EQ(Enc(bcCODE39, "AB", 3, false).Readable, "AB");
}

TEST(EncoderCode39, ForeignCharactersAndStarBecomeZero) {
  EXPECT_EQ(Enc(bcCODE39, "ab", 3, false).Readable, "00");
  // The start/stop character is not data: inside the symbol it would end it.
  EXPECT_EQ(Enc(bcCODE39, "A*B", 3, false).Readable, "A0B");
  EXPECT_EQ(RejectedBarCodeChars(bcCODE39, "A*b*c"), "*bc");
  // Full ASCII: "a" is "+A"; the readable text keeps the data as typed.
  auto x = Enc(bcCODE39X, "a");
  auto plain = Enc(bcCODE39, "+A");
  EXPECT_EQ(x.Modules, plain.Modules);
  EXPECT_EQ(x.Readable.substr(1), plain.Readable.substr(2));
  EXPECT_EQ(x.Readable[0], 'a');
  EXPECT_EQ(Enc(bcCODE39X, "\xE9").Readable.substr(0, 1), "0");
}

TEST(EncoderCode128, WorkedExamples) {
  auto a = Enc(bcCODE128A, "12345");
  EXPECT_EQ(a.Modules.size(), 90u);
  EXPECT_EQ(a.Readable, std::string("12345\x19"));
  EXPECT_EQ(a.Modules.substr(0, 11), Code128StartA);
  EXPECT_EQ(a.Modules.substr(77), Code128Stop);

  auto del = Enc(bcCODE128B, "\x7F");
  EXPECT_EQ(Widths(del.Modules.substr(11, 11)), Code128Table[95].Widths);
  EXPECT_EQ(del.Readable[0], '\x7F');

  // Control characters in set A are values 64..95.
  auto ctl = Enc(bcCODE128A, std::string("\0\x1F", 2));
  EXPECT_EQ(Widths(ctl.Modules.substr(11, 11)), Code128Table[64].Widths);
  EXPECT_EQ(Widths(ctl.Modules.substr(22, 11)), Code128Table[95].Widths);

  // Empty: start, check = start value mod 103, stop.
  for (auto [type, check] : {std::pair{bcCODE128A, 0}, {bcCODE128B, 1}, {bcCODE128C, 2}}) {
    auto e = Enc(type, "");
    ASSERT_EQ(e.Modules.size(), 35u);
    EXPECT_EQ(Widths(e.Modules.substr(11, 11)), Code128Table[check].Widths);
  }
  EXPECT_EQ(Enc(bcCODE128A, "a").Readable.substr(0, 1), "0");
  EXPECT_EQ(Enc(bcCODE128B, "\t").Readable.substr(0, 1), "0");
}

TEST(EncoderCode128, SetCPadsAnOddDigitCount) {
  auto even = Enc(bcCODE128C, "123456");
  EXPECT_EQ(even.Modules.size(), 11u * 5 + 13);
  // (105 + 12*1 + 34*2 + 56*3) mod 103 = 44
  EXPECT_EQ(even.Readable, "12345644");
  // "12345" is encoded as "012345" (values 1, 23, 45), not "12","34","5?".
  auto odd = Enc(bcCODE128C, "12345");
  EXPECT_EQ(odd.Modules, Enc(bcCODE128C, "012345").Modules);
  EXPECT_EQ(odd.Readable.substr(0, 6), "012345");
  EXPECT_EQ(Enc(bcCODE128C, "1a").Readable.substr(0, 2), "10");
}

TEST(EncoderCode93, ChecksAndFullAscii) {
  // "TEST93": C and K by the weighted sums over the values (29,14,28,29,9,3).
  auto t = Enc(bcCODE93, "TEST93");
  EXPECT_EQ(t.Readable, "TEST93+6");
  EXPECT_EQ(t.Modules.size(), 9u * (1 + 6 + 2) + 10);
  EXPECT_EQ(t.Modules.substr(0, 9), Code93Start);
  EXPECT_EQ(t.Modules.substr(t.Modules.size() - 10), Code93Stop);
  // Lowercase goes through the (+) shift: two symbols per letter.
  auto a = Enc(bcCODE93, "a");
  EXPECT_EQ(a.Modules.size(), 9u * (1 + 2 + 2) + 10);
  EXPECT_EQ(a.Modules.substr(9, 9), Code93Table[46]);
  EXPECT_EQ(a.Readable.substr(0, 1), "a");
}

TEST(EncoderCode11, WorkedExamples) {
  auto c = Enc(bcCODE11, "123456789");
  EXPECT_EQ(c.Readable, "12345678903");
  EXPECT_EQ(c.Modules.substr(0, 8), "10110010");
  EXPECT_EQ(c.Modules.substr(c.Modules.size() - 7), Code11Start);
  // A check value of 10 is written "-".
  EXPECT_EQ(Enc(bcCODE11, "-").Readable, "--8");
  EXPECT_EQ(Enc(bcCODE11, "1A").Readable.substr(0, 2), "10");
}

TEST(EncoderAll, ModuleStringsAreOnlyBarsAndSpaces) {
  std::string all;
  for (int c = 0; c < 256; ++c) all.push_back(static_cast<char>(c));
  for (int t = 0; t < BarCodesTypeCount; ++t) {
    for (const std::string& text : {std::string(), all, all + all}) {
      auto e = Enc(static_cast<TBarCodesType>(t), text);
      EXPECT_NE(e.Modules, "0");
      EXPECT_EQ(e.Modules.find_first_not_of("01"), std::string::npos) << BarCodesTypeName(TBarCodesType(t));
      EXPECT_EQ(e.Modules.front(), '1');
      EXPECT_EQ(e.Modules.back(), '1');
    }
  }
}

TEST(EncoderAll, QStringConversionReplacesNonLatin1) {
  EXPECT_EQ(BarCodeBytes(QString::fromUtf8("A\u00E9\u20AC")), std::string("A\xE9\xFF"));
  EXPECT_EQ(FilterBarCodeText(bcCODE128B, BarCodeBytes(QString::fromUtf8("x\u20AC"))), "x0");
  TBarCodesType t;
  EXPECT_TRUE(BarCodesTypeFromName("code128c", t));
  EXPECT_EQ(t, bcCODE128C);
  EXPECT_FALSE(BarCodesTypeFromName("qr", t));
}
