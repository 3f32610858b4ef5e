#include "SShtEval.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <functional>
#include <random>
#include <stdexcept>
#include <unordered_map>

namespace Tarnwell {

namespace {

inline bool IsDigit(char c) { return c >= '0' && c <= '9'; }
inline bool IsLetter(char c) { return c >= 'A' && c <= 'Z'; }

// Every division by zero, domain fault and overflow ends here: C++ does not
// trap them, so each result is checked.
inline double Check(double v) {
  if (!std::isfinite(v)) throw std::domain_error("not a finite number");
  return v;
}

// The operands of a flat chain ("1+2+3", "2*3*4"), in order: the first
// sixteen without a heap allocation, which covers nearly every formula.
class TOperands {
 public:
  void Push(double v) {
    if (mCount < kInline)
      mInline[mCount] = v;
    else
      mMore.push_back(v);
    ++mCount;
  }
  // Combined from the right, each step checked: a+(b+(c+d)), as nested
  // evaluation did, so results round as they always have.
  template <class Op>
  double FoldRight(Op op) const {
    double acc = At(mCount - 1);
    for (size_t i = mCount - 1; i-- > 0;) acc = Check(op(At(i), acc));
    return acc;
  }

 private:
  static constexpr size_t kInline = 16;
  double At(size_t i) const { return i < kInline ? mInline[i] : mMore[i - kInline]; }
  double mInline[kInline];
  std::vector<double> mMore;
  size_t mCount = 0;
};

double RoundEven(double x) {
  const double r = std::round(x);
  if (std::fabs(x - std::trunc(x)) == 0.5) return 2.0 * std::round(x / 2.0);
  return r;
}

struct TDepthGuard {
  int& depth;
  explicit TDepthGuard(int& d) : depth(d) { ++depth; }
  ~TDepthGuard() { --depth; }
};

enum TFunc {
  fnCOS,
  fnSIN,
  fnTAN,
  fnACOS,
  fnASIN,
  fnATAN,
  fnCOSH,
  fnSINH,
  fnTANH,
  fnACOSH,
  fnASINH,
  fnATANH,
  fnSEC,
  fnCOSEC,
  fnCOTAN,
  fnABS,
  fnSQRT,
  fnLN,
  fnLOG,
  fnLG2,
  fnEXP,
  fnSIGN,
  fnLOGN,
  fnHYPOT,
  fnPOWER,
  fnTRUNC,
  fnFRAC,
  fnROUND,
  fnROUNDX,
  fnMEAN,
  fnMIN,
  fnMAX,
  fnSUM,
  fnSUMSQR,
  fnSTDDEV,
  fnSTDDEVPOP,
  fnVARIANCE,
  fnVARIANPOP,
  fnVARIANTOT,
  fnNORM,
  fnRANDG,
  fnPROD,
  fnGMEAN,
  fnAMEAN,
  fnSDMEAN,
  fnDISTMEAN,
  fnQUADDEV,
  fnASYMMET,
  fnCURTOSI
};

const std::unordered_map<std::string_view, TFunc>& FunctionTable() {
  static const std::unordered_map<std::string_view, TFunc> table = {{"COS", fnCOS},
                                                                    {"SIN", fnSIN},
                                                                    {"TAN", fnTAN},
                                                                    {"ACOS", fnACOS},
                                                                    {"ASIN", fnASIN},
                                                                    {"ATAN", fnATAN},
                                                                    {"COSH", fnCOSH},
                                                                    {"SINH", fnSINH},
                                                                    {"TANH", fnTANH},
                                                                    {"ACOSH", fnACOSH},
                                                                    {"ASINH", fnASINH},
                                                                    {"ATANH", fnATANH},
                                                                    {"SEC", fnSEC},
                                                                    {"COSEC", fnCOSEC},
                                                                    {"COTAN", fnCOTAN},
                                                                    {"ABS", fnABS},
                                                                    {"SQRT", fnSQRT},
                                                                    {"LN", fnLN},
                                                                    {"LOG", fnLOG},
                                                                    {"LG2", fnLG2},
                                                                    {"EXP", fnEXP},
                                                                    {"SIGN", fnSIGN},
                                                                    {"LOGN", fnLOGN},
                                                                    {"HYPOT", fnHYPOT},
                                                                    {"POWER", fnPOWER},
                                                                    {"TRUNC", fnTRUNC},
                                                                    {"FRAC", fnFRAC},
                                                                    {"ROUND", fnROUND},
                                                                    {"ROUNDX", fnROUNDX},
                                                                    {"MEAN", fnMEAN},
                                                                    {"MIN", fnMIN},
                                                                    {"MAX", fnMAX},
                                                                    {"SUM", fnSUM},
                                                                    {"SUMSQR", fnSUMSQR},
                                                                    {"STDDEV", fnSTDDEV},
                                                                    {"STDDEVPOP", fnSTDDEVPOP},
                                                                    {"VARIANCE", fnVARIANCE},
                                                                    {"VARIANPOP", fnVARIANPOP},
                                                                    {"VARIANTOT", fnVARIANTOT},
                                                                    {"NORM", fnNORM},
                                                                    {"RANDG", fnRANDG},
                                                                    {"PROD", fnPROD},
                                                                    {"GMEAN", fnGMEAN},
                                                                    {"AMEAN", fnAMEAN},
                                                                    {"SDMEAN", fnSDMEAN},
                                                                    {"DISTMEAN", fnDISTMEAN},
                                                                    {"QUADDEV", fnQUADDEV},
                                                                    {"ASYMMET", fnASYMMET},
                                                                    {"CURTOSI", fnCURTOSI}};
  return table;
}

double Gaussian() {
  thread_local std::mt19937_64 gen{std::random_device{}()};
  thread_local std::normal_distribution<double> dist(0.0, 1.0);
  return dist(gen);
}

}  // namespace

std::string TSpreadSheetFormuler::Prepare(const QString& formula) {
  std::string s;
  s.reserve(size_t(formula.size()));
  for (qsizetype i = 1; i < formula.size(); ++i) {
    const char16_t u = formula[i].unicode();
    if (u == ' ') continue;
    if (u < 0x80) {
      s.push_back(u >= 'a' && u <= 'z' ? char(u - 32) : char(u));
    } else {
      s.push_back('\x80');  // never an operand or operator: reads as a syntax fault
    }
  }
  return s;
}

double TSpreadSheetFormuler::Evaluate(const QString& formula) { return EvaluatePrepared(Prepare(formula)); }

double TSpreadSheetFormuler::EvaluatePrepared(std::string_view s) {
  mSyntaxError = false;
  mEvalError = false;
  mDepth = 0;
  if (s.size() > size_t(MaxFormulaLength)) {
    mEvalError = true;
    return 0;
  }
  double r = 0;
  try {
    r = EvalText(s);
    Check(r);
  } catch (...) {
    mEvalError = true;
    mDepth = 0;
    return 0;
  }
  return mSyntaxError ? 0 : r;
}

double TSpreadSheetFormuler::EvalText(std::string_view s) {
  size_t p = 0;
  return EvalFrom(s, p);
}

bool TSpreadSheetFormuler::ReadParenthesised(std::string_view s, size_t& pos, std::string_view& inner) {
  ++pos;
  const size_t start = pos;
  int depth = 1;
  while (pos < s.size()) {
    const char c = s[pos];
    if (c == '(') {
      ++depth;
    } else if (c == ')' && --depth == 0) {
      inner = s.substr(start, pos - start);
      ++pos;
      return true;
    }
    ++pos;
  }
  mSyntaxError = true;
  return false;
}

namespace {

// Advances past the operator at pos and collects the operand up to one of
// stops at parenthesis depth 0. A sign right after the operator belongs to
// the operand, so that 2*-3 multiplies by -3.
std::string_view ScanOperand(std::string_view s, size_t& pos, std::string_view stops, char& stoppedAt) {
  ++pos;
  const size_t start = pos;
  if (pos < s.size() && (s[pos] == '+' || s[pos] == '-')) ++pos;
  int depth = 0;
  while (pos < s.size()) {
    const char c = s[pos];
    if (c == '(')
      ++depth;
    else if (c == ')')
      --depth;
    // A sign right after "*", "/" or "^" inside the operand is unary too.
    const bool unary = (c == '+' || c == '-') && pos > start &&
                       (s[pos - 1] == '*' || s[pos - 1] == '/' || s[pos - 1] == '^');
    if (depth == 0 && !unary && stops.find(c) != std::string_view::npos) break;
    ++pos;
  }
  stoppedAt = pos < s.size() ? s[pos] : '\0';
  return s.substr(start, pos - start);
}

}  // namespace

double TSpreadSheetFormuler::EvalPrimary(std::string_view s, size_t& pos) {
  double r = 0;
  const char c = s[pos];
  if (c == '(') {
    std::string_view inner;
    if (!ReadParenthesised(s, pos, inner)) return 0;
    r = EvalText(inner);
  } else if (IsDigit(c) || c == '.') {
    size_t j = pos;
    while (j < s.size() && (IsDigit(s[j]) || s[j] == '.')) ++j;
    const char* first = s.data() + pos;
    const char* last = s.data() + j;
    auto res = std::from_chars(first, last, r, std::chars_format::fixed);
    if (res.ec != std::errc() || res.ptr != last) {
      mSyntaxError = true;
      return 0;
    }
    pos = j;
  } else if (IsLetter(c) || c == '_') {
    size_t j = pos;
    while (j < s.size() && (IsLetter(s[j]) || IsDigit(s[j]) || s[j] == '_')) ++j;
    const std::string_view id = s.substr(pos, j - pos);
    pos = j;
    int col, row;
    if ((pos >= s.size() || s[pos] != '(') && ParseCellRef(id, col, row)) {
      r = CellValue(col, row);
    } else {
      std::string_view args;
      if (!ReadParenthesised(s, pos, args)) return 0;
      r = CallFunction(id, args);
    }
  }
  return r;
}

// The text is a chain of terms, each added to the sum of the terms to its
// right. The terms are collected in a loop and summed from the right, so a
// chain of any length costs one level of nesting and the sums round as they
// always have.
double TSpreadSheetFormuler::EvalFrom(std::string_view s, size_t& pos) {
  if (mSyntaxError || pos >= s.size()) return 0;
  TDepthGuard guard(mDepth);
  if (mDepth > MaxDepth) throw TEvalFault();
  TOperands terms;
  auto push = [&](double t) { terms.Push(t); };
  auto total = [&]() { return terms.FoldRight(std::plus<double>()); };
  char stop;
  for (;;) {
    const double r = pos < s.size() ? EvalPrimary(s, pos) : 0;
    if (mSyntaxError) return 0;
    if (pos >= s.size()) {
      push(r);
      return total();
    }
    switch (s[pos]) {
      case '+':
        push(r);
        ++pos;
        if (pos >= s.size()) {  // "1+" adds nothing
          push(0);
          return total();
        }
        break;
      case '%': {
        size_t p = pos + 1;
        const double d = EvalFrom(s, p);
        pos = p;
        push(Check(r * 100 / d));
        return total();
      }
      case '-': {
        const std::string_view operand = ScanOperand(s, pos, "+-", stop);
        push(r - EvalText(operand));
        if (pos >= s.size()) return total();
        break;
      }
      case '*': {
        // The factors up to the next "+" or "-", multiplied from the right.
        TOperands factors;
        factors.Push(r);
        do {
          factors.Push(EvalText(ScanOperand(s, pos, "+-*", stop)));
          if (mSyntaxError) return 0;
        } while (stop == '*');
        push(factors.FoldRight(std::multiplies<double>()));
        if (pos >= s.size()) return total();
        break;
      }
      case '/':
        push(Divide(s, pos, r));
        if (pos >= s.size()) return total();
        break;
      case '^':
        push(Raise(s, pos, r));
        if (pos >= s.size()) return total();
        break;
      default:
        mSyntaxError = true;
        return 0;
    }
    if (mSyntaxError) return 0;
  }
}

// Divide and Raise return their term; the caller goes on from pos.
double TSpreadSheetFormuler::Divide(std::string_view s, size_t& pos, double v) {
  char stop;
  std::string_view operand = ScanOperand(s, pos, "+-*/", stop);
  while (stop == '/') {
    v = Check(v / EvalText(operand));
    operand = ScanOperand(s, pos, "+-*/", stop);
  }
  if (stop == '*') {
    v = Check(v / EvalText(operand));
    operand = ScanOperand(s, pos, "+-", stop);
    return Check(EvalText(operand) * v);
  }
  return Check(v / EvalText(operand));
}

double TSpreadSheetFormuler::Raise(std::string_view s, size_t& pos, double v) {
  char stop;
  std::string_view operand = ScanOperand(s, pos, "+-*/^", stop);
  while (stop == '^') {
    v = Check(std::pow(v, EvalText(operand)));
    operand = ScanOperand(s, pos, "+-*/^", stop);
  }
  if (stop == '/') return Divide(s, pos, Check(std::pow(v, EvalText(operand))));
  if (stop == '*') {
    v = Check(std::pow(v, EvalText(operand)));
    operand = ScanOperand(s, pos, "+-", stop);
    return Check(EvalText(operand) * v);
  }
  return Check(std::pow(v, EvalText(operand)));
}

bool TSpreadSheetFormuler::ParseCellRef(std::string_view id, int& col, int& row) {
  if (id.size() < 2) return false;
  size_t letters = 0;
  while (letters < id.size() && IsLetter(id[letters])) ++letters;
  if (letters < 1 || letters > 2 || letters == id.size()) return false;
  long long r = 0;
  for (size_t i = letters; i < id.size(); ++i) {
    if (!IsDigit(id[i])) return false;
    // Saturates past the last row; reading such a reference is an error.
    if (r <= SShtMaxRow) r = r * 10 + (id[i] - '0');
  }
  col = letters == 1 ? id[0] - 64 : id[0] * 26 + id[1] - 1728;
  row = int(std::min<long long>(r, SShtMaxRow + 1LL));
  return true;
}

double TSpreadSheetFormuler::CellValue(int col, int row) {
  if (col > SShtMaxCol || row > SShtMaxRow) throw TEvalFault();
  double d = 0;
  if (mSource && !mSource->ReadNumber(col, row, d)) throw TEvalFault();
  return d;
}

void TSpreadSheetFormuler::AddRange(std::string_view a, std::string_view b, std::vector<double>& values) {
  int c1, r1, c2, r2;
  if (!ParseCellRef(a, c1, r1) || !ParseCellRef(b, c2, r2)) {
    mSyntaxError = true;
    return;
  }
  if (c1 > c2) std::swap(c1, c2);
  if (r1 > r2) std::swap(r1, r2);
  if (c2 > SShtMaxCol || r2 > SShtMaxRow) throw TEvalFault();
  const long long area = (long long)(c2 - c1 + 1) * (r2 - r1 + 1);
  if (area + (long long)values.size() > MaxRangeCells) throw TEvalFault();
  const size_t base = values.size();
  values.resize(base + size_t(area), 0.0);
  if (mSource && !mSource->ReadRange(c1, r1, c2, r2, values.data() + base)) throw TEvalFault();
}

double TSpreadSheetFormuler::CallFunction(std::string_view name, std::string_view args) {
  std::vector<double> values;
  // Split at commas at depth 0; each part is an expression or a range.
  size_t start = 0;
  int depth = 0;
  bool hasColon = false;
  for (size_t i = 0; i <= args.size(); ++i) {
    const char c = i < args.size() ? args[i] : ',';
    if (c == '(')
      ++depth;
    else if (c == ')')
      --depth;
    else if (c == ':' && depth == 0)
      hasColon = true;
    if (c != ',' || depth != 0) continue;
    const std::string_view part = args.substr(start, i - start);
    const bool last = i >= args.size();
    start = i + 1;
    if (part.empty()) {
      if (!last) values.push_back(0);
    } else if (hasColon) {
      const size_t colon = part.find(':');
      AddRange(part.substr(0, colon), part.substr(colon + 1), values);
    } else {
      values.push_back(EvalText(part));
    }
    hasColon = false;
    if (mSyntaxError) return 0;
    if ((long long)values.size() > MaxRangeCells) throw TEvalFault();
  }
  return ApplyFunction(name, values);
}

double TSpreadSheetFormuler::ApplyFunction(std::string_view name, const std::vector<double>& v) {
  const size_t n = v.size();
  const double x = n > 0 ? v[0] : 0.0;
  const double y = n > 1 ? v[1] : 0.0;
  const auto& table = FunctionTable();
  const auto it = table.find(name);
  if (it == table.end()) throw std::domain_error("unknown function");
  auto needValues = [n](size_t min) {
    if (n < min) throw std::domain_error("too few values");
  };
  auto sum = [&v] {
    double s = 0;
    for (double d : v) s += d;
    return s;
  };
  auto mean = [&] { return sum() / double(n); };
  auto quadDev = [&] {
    const double m = mean();
    double q = 0;
    for (double d : v) q += (d - m) * (d - m);
    return q;
  };
  auto sampleSd = [&] { return std::sqrt(quadDev() / double(n - 1)); };
  double r = x;
  switch (it->second) {
    case fnCOS:
      r = std::cos(x);
      break;
    case fnSIN:
      r = std::sin(x);
      break;
    case fnTAN:
      r = std::tan(x);
      break;
    case fnACOS:
      r = std::acos(x);
      break;
    case fnASIN:
      r = std::asin(x);
      break;
    case fnATAN:
      r = std::atan(x);
      break;
    case fnCOSH:
      r = std::cosh(x);
      break;
    case fnSINH:
      r = std::sinh(x);
      break;
    case fnTANH:
      r = std::tanh(x);
      break;
    case fnACOSH:
      r = std::acosh(x);
      break;
    case fnASINH:
      r = std::asinh(x);
      break;
    case fnATANH:
      r = std::atanh(x);
      break;
    case fnSEC:
      r = 1.0 / std::cos(x);
      break;
    case fnCOSEC:
      r = 1.0 / std::sin(x);
      break;
    case fnCOTAN:
      r = 1.0 / std::tan(x);
      break;
    case fnABS:
      r = std::fabs(x);
      break;
    case fnSQRT:
      r = std::sqrt(x);
      break;
    case fnLN:
      r = std::log(x);
      break;
    case fnLOG:
      r = std::log10(x);
      break;
    case fnLG2:
      r = std::log2(x);
      break;
    case fnEXP:
      r = std::exp(x);
      break;
    case fnSIGN:
      r = x >= 0 ? 1 : -1;
      break;
    case fnLOGN:
      r = std::log(y) / std::log(x);
      break;
    case fnHYPOT:
      r = std::hypot(x, y);
      break;
    case fnPOWER:
      r = std::pow(x, y);
      break;
    case fnTRUNC:
      r = std::trunc(x);
      break;
    case fnFRAC:
      r = x - std::trunc(x);
      break;
    case fnROUND:
      r = RoundEven(x);
      break;
    case fnROUNDX: {
      const double p = std::pow(10.0, x);
      const double q = y * p;
      r = (std::isfinite(p) && p != 0 && std::isfinite(q)) ? RoundEven(q) / p : RoundEven(y);
      if (!std::isfinite(r)) r = RoundEven(y);
      break;
    }
    case fnMEAN:
      needValues(1);
      r = mean();
      break;
    case fnMIN:
      needValues(1);
      for (double d : v) r = std::min(r, d);
      break;
    case fnMAX:
      needValues(1);
      for (double d : v) r = std::max(r, d);
      break;
    case fnSUM:
      r = sum();
      break;
    case fnSUMSQR:
    case fnNORM:
      r = 0;
      for (double d : v) r += d * d;
      if (it->second == fnNORM) r = std::sqrt(r);
      break;
    case fnSTDDEV:
      needValues(2);
      r = sampleSd();
      break;
    case fnSTDDEVPOP:
      needValues(1);
      r = std::sqrt(quadDev() / double(n));
      break;
    case fnVARIANCE:
      needValues(2);
      r = quadDev() / double(n - 1);
      break;
    case fnVARIANPOP:
      needValues(1);
      r = quadDev() / double(n);
      break;
    case fnVARIANTOT:
    case fnQUADDEV:
      r = n ? quadDev() : 0;  // a sum over no values
      break;
    case fnRANDG:
      r = x + y * Gaussian();
      break;
    case fnPROD:
      for (size_t i = 1; i < n; ++i) r *= v[i];
      break;
    case fnGMEAN: {
      needValues(1);
      double p = 1;
      for (double d : v) p *= d;
      r = std::pow(p, 1.0 / double(n));
      break;
    }
    case fnAMEAN: {
      needValues(1);
      double inv = 0;
      for (double d : v) inv += Check(1.0 / d);
      r = 1.0 / (inv / double(n));
      break;
    }
    case fnSDMEAN: {
      needValues(1);
      const double m = mean();
      double a = 0;
      for (double d : v) a += std::fabs(d - m);
      r = a / double(n);
      break;
    }
    case fnDISTMEAN: {
      if (n <= 1) {
        r = 0;
        break;
      }
      double d = 0;
      for (size_t i = 1; i < n; ++i) d += v[i] - v[i - 1];
      r = d / double(n - 1);
      break;
    }
    case fnASYMMET:
    case fnCURTOSI: {
      const bool skew = it->second == fnASYMMET;
      if (n < (skew ? 3u : 4u)) {
        r = 0;
        break;
      }
      const double m = mean();
      const double s = sampleSd();
      if (s == 0) throw std::domain_error("no spread");
      double acc = 0;
      for (double d : v) {
        const double z = (d - m) / s;
        acc += skew ? z * z * z : z * z * z * z;
      }
      const double dn = double(n);
      if (skew) {
        r = dn * acc / ((dn - 1) * (dn - 2));
      } else {
        r = dn * (dn + 1) * acc / ((dn - 1) * (dn - 2) * (dn - 3)) -
            3 * (dn - 1) * (dn - 1) / ((dn - 2) * (dn - 3));
      }
      break;
    }
  }
  return Check(r);
}

}  // namespace Tarnwell
