#include "BarCdObj.h"

#include <array>

namespace Tarnwell {

namespace {

inline int Digit(char c) { return c - '0'; }

// Expanded patterns, built once: the tables hold flags and widths, the
// encoders append whole modules.
struct TExpanded {
  std::array<std::string, 44> Code39[2];  // ratio 2 and 3, each with its gap
  std::array<std::string, 106> Code128;   // values 0..105 (105 = start C ...)
  std::array<signed char, 256> Code39Value;
  std::array<signed char, 256> Code93Value;

  TExpanded() {
    for (int r = 0; r < 2; ++r) {
      const int ratio = r + 2;
      for (int i = 0; i < 44; ++i) {
        std::string& s = Code39[r][i];
        for (int e = 0; e < 9; ++e) {
          const bool bar = (e % 2) == 0;
          const char flag = bar ? Code39Table[i].Bars[e / 2] : Code39Table[i].Spaces[e / 2];
          s.append(flag == '1' ? ratio : 1, bar ? '1' : '0');
        }
        s.push_back('0');
      }
    }
    for (int v = 0; v < 103; ++v) {
      const char* w = Code128Table[v].Widths;
      for (int e = 0; e < 6; ++e) Code128[v].append(w[e] - '0', (e % 2) == 0 ? '1' : '0');
    }
    Code128[103] = Code128StartA;
    Code128[104] = Code128StartB;
    Code128[105] = Code128StartC;
    Code39Value.fill(-1);
    for (int i = 0; i < 44; ++i) Code39Value[static_cast<unsigned char>(Code39Chars[i])] = i;
    Code93Value.fill(-1);
    for (int i = 0; i < 47; ++i) Code93Value[static_cast<unsigned char>(Code93Chars[i])] = i;
  }
};

const TExpanded& Expanded() {
  static const TExpanded e;
  return e;
}

// Weighted EAN/UPC check digit over the first n digits; `oddWeight` is the
// weight of positions 1, 3, 5 ... counted from the left.
char EanCheck(const char* d, int n, int oddWeight) {
  const int evenWeight = oddWeight == 1 ? 3 : 1;
  int sum = 0;
  for (int i = 0; i < n; ++i) sum += Digit(d[i]) * ((i % 2) == 0 ? oddWeight : evenWeight);
  return char('0' + (10 - sum % 10) % 10);
}

void FilterInto(TBarCodesType type, std::string_view text, std::string& out) {
  out.clear();
  switch (type) {
    case bcEAN_13:
    case bcEAN_8:
    case bcUPC_A:
    case bcUPC_E: {
      const std::size_t n = text.size() < 13 ? text.size() : 13;
      out.reserve(n + 13);
      for (std::size_t i = 0; i < n; ++i) out.push_back(BarCodeAccepts(type, text[i]) ? text[i] : '0');
      out.append(13, '0');
      return;
    }
    default:
      out.reserve(text.size());
      for (const char c : text) out.push_back(BarCodeAccepts(type, static_cast<unsigned char>(c)) ? c : '0');
      return;
  }
}

}  // namespace

bool BarCodeAccepts(TBarCodesType type, unsigned char c) {
  switch (type) {
    case bcEAN_13:
    case bcEAN_8:
    case bcUPC_A:
    case bcUPC_E:
    case bcCODE128C:
      return c >= '0' && c <= '9';
    case bcCODE39:
      // "*" is the start/stop character: as data it would end the symbol early.
      return c != '*' && Expanded().Code39Value[c] >= 0;
    case bcCODE39X:
    case bcCODE93:
      return c < 128;
    case bcCODE128A:
      return c < 96;
    case bcCODE128B:
      return c >= 32 && c < 128;
    case bcCODE11:
      return (c >= '0' && c <= '9') || c == '-';
  }
  return false;
}

std::string FilterBarCodeText(TBarCodesType type, std::string_view text) {
  std::string out;
  FilterInto(type, text, out);
  return out;
}

std::string RejectedBarCodeChars(TBarCodesType type, std::string_view text) {
  std::string out;
  for (const char c : text)
    if (!BarCodeAccepts(type, static_cast<unsigned char>(c)) && out.find(c) == std::string::npos)
      out.push_back(c);
  return out;
}

// ---------------------------------------------------------------------------
// EAN / UPC

void TBarCdEAN_UPC::EncodeBarCode(std::uint8_t CodeType, std::string_view Text, std::string& Modules,
                                  std::string& Readable) {
  if (CodeType > bcUPC_E) {
    Modules.assign(1, '0');
    return;
  }
  const auto type = static_cast<TBarCodesType>(CodeType);
  char d[26];
  {
    const std::size_t n = Text.size() < 13 ? Text.size() : 13;
    std::size_t i = 0;
    for (; i < n; ++i) d[i] = BarCodeAccepts(type, Text[i]) ? Text[i] : '0';
    for (; i < 13; ++i) d[i] = '0';
  }
  Modules.clear();
  switch (type) {
    case bcEAN_13: {
      d[12] = EanCheck(d, 12, 1);
      Modules.reserve(95);
      Modules.append("101");
      const std::uint8_t* parity = EAN13Parity[Digit(d[0])];
      for (int i = 1; i <= 6; ++i) Modules.append(EANDigits[Digit(d[i]) * 3 + parity[i - 1]], 7);
      Modules.append("01010");
      for (int i = 7; i <= 12; ++i) Modules.append(EANDigits[Digit(d[i]) * 3 + 2], 7);
      Modules.append("101");
      ReadableText.assign(d, 13);
      break;
    }
    case bcEAN_8: {
      d[7] = EanCheck(d, 7, 3);
      Modules.reserve(67);
      Modules.append("101");
      for (int i = 0; i < 4; ++i) Modules.append(EANDigits[Digit(d[i]) * 3], 7);
      Modules.append("01010");
      for (int i = 4; i < 8; ++i) Modules.append(EANDigits[Digit(d[i]) * 3 + 2], 7);
      Modules.append("101");
      ReadableText.assign(d, 8);
      break;
    }
    case bcUPC_A: {
      d[11] = EanCheck(d, 11, 3);
      Modules.reserve(95);
      Modules.append("101");
      for (int i = 0; i < 6; ++i) Modules.append(UPCADigits[Digit(d[i]) * 2], 7);
      Modules.append("01010");
      for (int i = 6; i < 12; ++i) Modules.append(UPCADigits[Digit(d[i]) * 2 + 1], 7);
      Modules.append("101");
      ReadableText.assign(d, 12);
      break;
    }
    default: {  // UPC-E, number system 0
      char e[12];
      const char* s = d;
      e[0] = '0';
      switch (s[5]) {
        case '0':
        case '1':
        case '2':
          e[1] = s[0], e[2] = s[1], e[3] = s[5], e[4] = e[5] = e[6] = e[7] = '0';
          e[8] = s[2], e[9] = s[3], e[10] = s[4];
          break;
        case '3':
          e[1] = s[0], e[2] = s[1], e[3] = s[2];
          e[4] = e[5] = e[6] = e[7] = e[8] = '0';
          e[9] = s[3], e[10] = s[4];
          break;
        case '4':
          e[1] = s[0], e[2] = s[1], e[3] = s[2], e[4] = s[3];
          e[5] = e[6] = e[7] = e[8] = e[9] = '0';
          e[10] = s[4];
          break;
        default:
          e[1] = s[0], e[2] = s[1], e[3] = s[2], e[4] = s[3], e[5] = s[4];
          e[6] = e[7] = e[8] = e[9] = '0';
          e[10] = s[5];
          break;
      }
      const std::uint8_t* parity = UPCEParity[Digit(EanCheck(e, 11, 3))];
      Modules.reserve(51);
      Modules.append("101");
      for (int i = 0; i < 6; ++i) Modules.append(UPCEDigits[Digit(s[i]) * 2 + parity[i]], 7);
      Modules.append("010101");
      ReadableText.assign(d, 6);
      break;
    }
  }
  Readable = ReadableText;
}

// ---------------------------------------------------------------------------
// Code 39, Code 128, Code 93

void TBarCd39_128_93::EncodeBarCode(std::uint8_t CodeType, std::string_view Text, std::string& Modules,
                                    std::string& Readable) {
  if (CodeType < bcCODE39 || CodeType > bcCODE93) {
    Modules.assign(1, '0');
    return;
  }
  const auto type = static_cast<TBarCodesType>(CodeType);
  const TExpanded& x = Expanded();
  std::string& rd = ReadableText;
  FilterInto(type, Text, rd);  // the readable text starts as the filtered data
  Modules.clear();

  switch (type) {
    case bcCODE39:
    case bcCODE39X: {
      const auto& pat = x.Code39[WideRatio <= 2 ? 0 : 1];
      const std::string& star = pat[43];
      Modules.reserve((rd.size() * (type == bcCODE39X ? 2 : 1) + 3) * star.size());
      Modules.append(star);
      int sum = 0;
      auto put = [&](char c) {
        const int v = x.Code39Value[static_cast<unsigned char>(c)];
        sum += v;
        Modules.append(pat[v]);
      };
      if (type == bcCODE39) {
        for (const char c : rd) put(c);
      } else {
        for (const char c : rd) {
          const char* e = Code39FullASCII[static_cast<unsigned char>(c)];
          put(e[0]);
          if (e[1]) put(e[1]);
        }
      }
      if (C39CheckChar) {
        const int check = sum % 43;
        Modules.append(pat[check]);
        rd.push_back(Code39Chars[check]);
      }
      Modules.append(star, 0, star.size() - 1);  // the stop has no trailing gap
      break;
    }
    case bcCODE128A:
    case bcCODE128B:
    case bcCODE128C: {
      int start;
      if (type == bcCODE128C) {
        // A lone digit would match no pair; a leading zero keeps the value.
        if (rd.size() % 2 != 0) rd.insert(rd.begin(), '0');
        start = 105;
      } else {
        start = type == bcCODE128A ? 103 : 104;
      }
      const std::size_t symbols = type == bcCODE128C ? rd.size() / 2 : rd.size();
      Modules.reserve(11 * (symbols + 2) + 13);
      Modules.append(x.Code128[start]);
      long long sum = start;
      for (std::size_t i = 0; i < symbols; ++i) {
        int v;
        if (type == bcCODE128C) {
          v = Digit(rd[2 * i]) * 10 + Digit(rd[2 * i + 1]);
        } else {
          const int c = static_cast<unsigned char>(rd[i]);
          v = (type == bcCODE128A && c < 32) ? c + 64 : c - 32;
        }
        sum += static_cast<long long>(v) * static_cast<long long>((i + 1) % 103);
        Modules.append(x.Code128[v]);
      }
      const int check = static_cast<int>(sum % 103);
      Modules.append(x.Code128[check]);
      Modules.append(Code128Stop);
      const TCode128Row& row = Code128Table[check];
      if (type == bcCODE128A)
        rd.push_back(row.SetA);
      else if (type == bcCODE128B)
        rd.push_back(row.SetB);
      else
        rd.append(row.SetC);
      break;
    }
    default: {  // Code 93
      // The full-ASCII replacement, as values.
      thread_local std::string values;
      values.clear();
      values.reserve(rd.size() * 2 + 2);
      for (const char c : rd) {
        const char* e = Code93FullASCII[static_cast<unsigned char>(c)];
        for (; *e; ++e) {
          const int v = x.Code93Value[static_cast<unsigned char>(*e)];
          values.push_back(static_cast<char>(v < 0 ? 0 : v));
        }
      }
      auto weighted = [&](int maxWeight) {
        long long sum = 0;
        int w = 1;
        for (std::size_t i = values.size(); i-- > 0;) {
          sum += static_cast<long long>(values[i]) * w;
          if (++w > maxWeight) w = 1;
        }
        return static_cast<int>(sum % 47);
      };
      const int c = weighted(20);
      values.push_back(static_cast<char>(c));
      const int k = weighted(15);
      values.push_back(static_cast<char>(k));
      Modules.reserve(9 * (values.size() + 1) + 10);
      Modules.append(Code93Start);
      for (const char v : values) Modules.append(Code93Table[static_cast<int>(v)], 9);
      Modules.append(Code93Stop);
      rd.push_back(Code93Chars[c]);
      rd.push_back(Code93Chars[k]);
      break;
    }
  }
  Readable = ReadableText;
}

// ---------------------------------------------------------------------------
// Code 11

void TBarCdNUMERIC::EncodeBarCode(std::uint8_t CodeType, std::string_view Text, std::string& Modules,
                                  std::string& Readable) {
  if (CodeType != bcCODE11) {
    Modules.assign(1, '0');
    return;
  }
  std::string& rd = ReadableText;
  FilterInto(bcCODE11, Text, rd);
  auto value = [](char c) { return c == '-' ? 10 : Digit(c); };
  auto check = [&](int maxWeight) {
    long long sum = 0;
    int w = 1;
    for (std::size_t i = rd.size(); i-- > 0;) {
      sum += static_cast<long long>(value(rd[i])) * w;
      if (++w > maxWeight) w = 1;
    }
    const int v = static_cast<int>(sum % 11);
    return v == 10 ? '-' : char('0' + v);
  };
  rd.push_back(check(10));
  rd.push_back(check(9));
  Modules.clear();
  Modules.reserve(8 * (rd.size() + 1) + 7);
  Modules.append(Code11Start);
  Modules.push_back('0');
  for (const char c : rd) {
    Modules.append(Code11Table[value(c)]);
    Modules.push_back('0');
  }
  Modules.append(Code11Start);
  Readable = ReadableText;
}

// ---------------------------------------------------------------------------

bool EncodeBarCodeText(TBarCodesType type, std::string_view text, std::string& modules, std::string& readable,
                       int wideRatio, bool c39CheckChar) {
  TBarCdEAN_UPC ean;
  ean.EncodeBarCode(type, text, modules, readable);
  if (modules != "0") return true;
  TBarCd39_128_93 c39;
  c39.WideRatio = wideRatio;
  c39.C39CheckChar = c39CheckChar;
  c39.EncodeBarCode(type, text, modules, readable);
  if (modules != "0") return true;
  TBarCdNUMERIC c11;
  c11.EncodeBarCode(type, text, modules, readable);
  return modules != "0";
}

std::string BarCodeBytes(const QString& s) {
  std::string out;
  out.reserve(s.size());
  for (const QChar ch : s) out.push_back(ch.unicode() <= 0xFF ? static_cast<char>(ch.unicode()) : '\xFF');
  return out;
}

QString BarCodeQString(std::string_view bytes) {
  return QString::fromLatin1(bytes.data(), static_cast<qsizetype>(bytes.size()));
}

namespace {
const char* const kTypeNames[BarCodesTypeCount] = {"ean13",    "ean8",    "upca",     "upce",
                                                   "code39",   "code39x", "code128a", "code128b",
                                                   "code128c", "code93",  "code11"};
}

const char* BarCodesTypeName(TBarCodesType type) {
  return static_cast<int>(type) < BarCodesTypeCount ? kTypeNames[type] : "";
}

bool BarCodesTypeFromName(std::string_view name, TBarCodesType& type) {
  for (int i = 0; i < BarCodesTypeCount; ++i)
    if (name == kTypeNames[i]) {
      type = static_cast<TBarCodesType>(i);
      return true;
    }
  return false;
}

}  // namespace Tarnwell
