#include "BarCdMore.h"

#include <array>
#include <climits>
#include <cstdint>
#include <vector>

namespace Tarnwell {

namespace {

inline bool IsDigit(char c) { return c >= '0' && c <= '9'; }

// Code 128 sets as states of the shortest-path search.
enum : int { kA = 0, kB = 1, kC = 2 };

// The symbol value of `c` in set A or B, -1 when that set lacks it.
int ValueIn(int set, unsigned char c) {
  if (c == static_cast<unsigned char>(chFNC1)) return 102;
  if (set == kA) {
    if (c < 32) return c + 64;
    if (c < 96) return c - 32;
    return -1;
  }
  if (c >= 32 && c < 128) return c - 32;
  return -1;
}

void AppendValue(std::string& modules, int v) {
  if (v >= 103) {
    modules.append(v == 103 ? Code128StartA : v == 104 ? Code128StartB : Code128StartC);
    return;
  }
  const char* w = Code128Table[v].Widths;
  for (int e = 0; e < 6; ++e) modules.append(static_cast<std::size_t>(w[e] - '0'), (e % 2) == 0 ? '1' : '0');
}

// How a state of the search was reached.
enum class TStep : std::uint8_t { None, Char, Shift, Pair, Fnc1C, Switch };

struct TCell {
  int Cost = INT_MAX;
  TStep Step = TStep::None;
  int From = -1;  // the set switched from (Switch)
};

}  // namespace

bool EncodeCode128Auto(std::string_view text, std::string& modules) {
  modules.clear();
  const std::size_t n = text.size();
  if (n == 0) return false;
  for (const char ch : text) {
    const auto c = static_cast<unsigned char>(ch);
    if (c >= 128 && ch != chFNC1) return false;
  }
  // arrive[i][s]: fewest symbols for the first i characters, in set s after
  // the character that got there; best[i][s] also allows a switch at i.
  std::vector<std::array<TCell, 3>> arrive(n + 1), best(n + 1);
  for (int s = 0; s < 3; ++s) arrive[0][s].Cost = 0, best[0][s].Cost = 0;
  auto relax = [](TCell& cell, int cost, TStep step, int from = -1) {
    if (cost < cell.Cost) cell = {cost, step, from};
  };
  for (std::size_t i = 0; i <= n; ++i) {
    if (i > 0) {
      for (int s = 0; s < 3; ++s) best[i][s] = arrive[i][s];
      for (int s = 0; s < 3; ++s)
        for (int t = 0; t < 3; ++t)
          if (t != s && arrive[i][t].Cost != INT_MAX) relax(best[i][s], arrive[i][t].Cost + 1, TStep::Switch, t);
    }
    if (i == n) break;
    const auto c = static_cast<unsigned char>(text[i]);
    for (int s = 0; s < 3; ++s) {
      const int cost = best[i][s].Cost;
      if (cost == INT_MAX) continue;
      if (s == kC) {
        if (text[i] == chFNC1)
          relax(arrive[i + 1][kC], cost + 1, TStep::Fnc1C);
        else if (i + 1 < n && IsDigit(text[i]) && IsDigit(text[i + 1]))
          relax(arrive[i + 2][kC], cost + 1, TStep::Pair);
        continue;
      }
      if (ValueIn(s, c) >= 0)
        relax(arrive[i + 1][s], cost + 1, TStep::Char);
      else if (ValueIn(1 - s, c) >= 0)
        relax(arrive[i + 1][s], cost + 2, TStep::Shift);
    }
  }
  int end = -1;
  for (int s = 0; s < 3; ++s)
    if (arrive[n][s].Cost != INT_MAX && (end < 0 || arrive[n][s].Cost < arrive[n][end].Cost)) end = s;
  if (end < 0) return false;

  // Walk back to the start, then emit forwards.
  struct TOp {
    TStep Step;
    std::size_t Pos;
    int Set;
  };
  std::vector<TOp> ops;
  std::size_t i = n;
  int s = end;
  while (i > 0) {
    const TCell& cell = arrive[i][s];
    const std::size_t back = cell.Step == TStep::Pair ? 2 : 1;
    ops.push_back({cell.Step, i - back, s});
    i -= back;
    if (i > 0 && best[i][s].Step == TStep::Switch) {
      ops.push_back({TStep::Switch, i, s});
      s = best[i][s].From;
    }
  }
  std::vector<int> values;
  values.reserve(ops.size() * 2 + 1);
  values.push_back(103 + s);
  int set = s;
  for (auto it = ops.rbegin(); it != ops.rend(); ++it) {
    const auto ch = static_cast<unsigned char>(text[it->Pos]);
    switch (it->Step) {
      case TStep::Switch:
        values.push_back(it->Set == kA ? 101 : it->Set == kB ? 100 : 99);
        set = it->Set;
        break;
      case TStep::Char:
        values.push_back(ValueIn(set, ch));
        break;
      case TStep::Shift:
        values.push_back(98);
        values.push_back(ValueIn(1 - set, ch));
        break;
      case TStep::Pair:
        values.push_back((text[it->Pos] - '0') * 10 + (text[it->Pos + 1] - '0'));
        break;
      case TStep::Fnc1C:
        values.push_back(102);
        break;
      case TStep::None:
        break;
    }
  }
  long long sum = values[0];
  for (std::size_t k = 1; k < values.size(); ++k) sum += static_cast<long long>(values[k]) * static_cast<long long>(k % 103);
  values.push_back(static_cast<int>(sum % 103));
  modules.reserve(11 * values.size() + 13);
  for (const int v : values) AppendValue(modules, v);
  modules.append(Code128Stop);
  return true;
}

// ---------------------------------------------------------------------------
// GS1

namespace {

// Element lengths (identifier and data) fixed by the first two digits of
// the identifier: these need no separator after them.
int PredefinedLength(std::string_view ai) {
  static const struct {
    const char* Prefix;
    int Length;
  } table[] = {{"00", 20}, {"01", 16}, {"02", 16}, {"03", 16}, {"04", 18}, {"11", 8},  {"12", 8},
               {"13", 8},  {"14", 8},  {"15", 8},  {"16", 8},  {"17", 8},  {"18", 8},  {"19", 8},
               {"20", 4},  {"31", 10}, {"32", 10}, {"33", 10}, {"34", 10}, {"35", 10}, {"36", 10},
               {"41", 16}};
  for (const auto& t : table)
    if (ai.substr(0, 2) == t.Prefix) return t.Length;
  return 0;
}

// The characters GS1 allows in element data (its subset of ISO 646).
bool GS1Char(char c) {
  if (IsDigit(c) || (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z')) return true;
  return std::string_view("!\"%&'()*+,-./:;<=>?_").find(c) != std::string_view::npos;
}

// "(ai)"; built by appending, which also spares GCC 12 a false -Wrestrict.
std::string Tag(std::string_view ai) {
  std::string t;
  t.reserve(ai.size() + 2);
  t.push_back('(');
  t.append(ai);
  t.push_back(')');
  return t;
}

}  // namespace

char GS1CheckDigit(std::string_view digits) {
  int sum = 0;
  int w = 3;
  for (std::size_t i = digits.size(); i-- > 0;) {
    sum += (digits[i] - '0') * w;
    w = 4 - w;
  }
  return static_cast<char>('0' + (10 - sum % 10) % 10);
}

bool ParseGS1(std::string_view text, std::string& elements, std::string& readable, std::string& error) {
  elements.assign(1, chFNC1);
  readable.clear();
  error.clear();
  if (text.empty()) {
    error = "no data: a GS1 text is one or more \"(AI)data\" elements";
    return false;
  }
  std::size_t i = 0;
  bool lastVariable = false;
  while (i < text.size()) {
    if (text[i] != '(') {
      error = "expected \"(\" to open an application identifier at position " + std::to_string(i + 1);
      return false;
    }
    const std::size_t close = text.find(')', i);
    if (close == std::string_view::npos) {
      error = "unclosed \"(\" at position " + std::to_string(i + 1);
      return false;
    }
    const std::string_view ai = text.substr(i + 1, close - i - 1);
    bool digits = ai.size() >= 2 && ai.size() <= 4;
    for (const char c : ai) digits = digits && IsDigit(c);
    if (!digits) {
      error = "application identifier \"" + std::string(ai) + "\" is not 2 to 4 digits";
      return false;
    }
    std::size_t end = text.find('(', close + 1);
    if (end == std::string_view::npos) end = text.size();
    const std::string_view data = text.substr(close + 1, end - close - 1);
    if (data.empty()) {
      error = Tag(ai) + " has no data";
      return false;
    }
    for (const char c : data)
      if (!GS1Char(c)) {
        error = Tag(ai) + " data holds a character GS1 does not allow";
        return false;
      }
    const int fixed = PredefinedLength(ai);
    if (fixed) {
      const int want = fixed - 2 - static_cast<int>(ai.size() - 2);
      bool allDigits = true;
      for (const char c : data) allDigits = allDigits && IsDigit(c);
      // Identifiers of four digits (31xx ...) carry the rest of the fixed length.
      if (static_cast<int>(ai.size() + data.size()) != fixed || !allDigits) {
        error = Tag(ai) + " takes " + std::to_string(want) + " digits, not \"" + std::string(data) + "\"";
        return false;
      }
      if (ai == "00" || ai == "01" || ai == "02") {
        const char check = GS1CheckDigit(data.substr(0, data.size() - 1));
        if (data.back() != check) {
          error = Tag(ai) + " " + std::string(data) + " has a wrong check digit; it should end in " +
                  std::string(1, check);
          return false;
        }
      }
    } else if (data.size() > 90) {
      error = Tag(ai) + " data is longer than 90 characters";
      return false;
    }
    if (lastVariable) elements.push_back(chFNC1);
    elements.append(ai);
    elements.append(data);
    readable += Tag(ai) + std::string(data);
    lastVariable = fixed == 0;
    i = end;
  }
  return true;
}

// ---------------------------------------------------------------------------
// UPC-E

std::string ExpandUPCE(std::string_view s, int numberSystem) {
  std::string e(11, '0');
  e[0] = static_cast<char>('0' + numberSystem);
  switch (s[5]) {
    case '0':
    case '1':
    case '2':
      e[1] = s[0], e[2] = s[1], e[3] = s[5], e[8] = s[2], e[9] = s[3], e[10] = s[4];
      break;
    case '3':
      e[1] = s[0], e[2] = s[1], e[3] = s[2], e[9] = s[3], e[10] = s[4];
      break;
    case '4':
      e[1] = s[0], e[2] = s[1], e[3] = s[2], e[4] = s[3], e[10] = s[4];
      break;
    default:
      e[1] = s[0], e[2] = s[1], e[3] = s[2], e[4] = s[3], e[5] = s[4], e[10] = s[5];
      break;
  }
  return e;
}

bool EncodeUPCE(std::string_view six, int numberSystem, std::string& modules, std::string& readable) {
  modules.clear();
  if (six.size() != 6 || (numberSystem != 0 && numberSystem != 1)) return false;
  for (const char c : six)
    if (!IsDigit(c)) return false;
  const char check = GS1CheckDigit(ExpandUPCE(six, numberSystem));
  // Number system 1 mirrors the parity pattern of number system 0.
  const std::uint8_t* parity = UPCEParity[check - '0'];
  modules.reserve(51);
  modules.append("101");
  for (int i = 0; i < 6; ++i) {
    const int p = numberSystem == 0 ? parity[i] : 1 - parity[i];
    modules.append(UPCEDigits[(six[static_cast<std::size_t>(i)] - '0') * 2 + p], 7);
  }
  modules.append("010101");
  readable.assign(1, static_cast<char>('0' + numberSystem));
  readable.append(six);
  readable.push_back(check);
  return true;
}

}  // namespace Tarnwell
