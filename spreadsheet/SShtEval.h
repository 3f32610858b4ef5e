#pragma once
// TSpreadSheetFormuler: evaluates a cell formula such as =SUM(A1:A10)/2+B3
// directly on its text by splitting it at operators. "^" binds tighter than
// "*" and "/", which bind tighter than "+" and "-"; "+" and "%" take all the
// text to their right as one operand. Referenced cells are read as they stand,
// through the sheet's TSheetCellAccess.

#include <QString>
#include <string>
#include <string_view>
#include <vector>

#include "SShtCellAccess.h"
#include <Tarnwell/TarnwellExport.h>

namespace Tarnwell {

// The formula evaluator of a spreadsheet: parses and computes cell formulas with the table of
// mathematical and statistical functions.
class TARNWELL_SPREADSHEET_EXPORT TSpreadSheetFormuler {
 public:
  // Bounds past which a formula is an evaluation error instead of a crash.
  static constexpr int MaxFormulaLength = 8192;
  static constexpr int MaxDepth = 1000;
  static constexpr long long MaxRangeCells = 1 << 20;

  explicit TSpreadSheetFormuler(TSheetCellAccess* source = nullptr) : mSource(source) {}

  // formula includes its leading "=". Returns 0 on any error; the flags
  // tell the caller how to treat the result.
  double Evaluate(const QString& formula);
  // The formula as Prepare() left it.
  double EvaluatePrepared(std::string_view s);
  // Drops the first character, removes blanks and upper-cases.
  static std::string Prepare(const QString& formula);

  bool SyntaxError() const { return mSyntaxError; }
  bool EvalError() const { return mEvalError; }
  // Where references are read; none: every reference reads 0.
  TSheetCellAccess* Source() const { return mSource; }
  void SetSource(TSheetCellAccess* source) { mSource = source; }

  // Applies the function table to a value list (exposed for tests).
  // Throws on domain errors.
  static double ApplyFunction(std::string_view name, const std::vector<double>& values);

  // "A1", "ZZ1000": one or two letters followed by digits (row 0 and
  // column 0 allowed). False for anything else.
  static bool ParseCellRef(std::string_view id, int& col, int& row);

 private:
  struct TEvalFault {};  // evaluation error, unwinds to Evaluate

  double EvalFrom(std::string_view s, size_t& pos);
  double EvalPrimary(std::string_view s, size_t& pos);
  double EvalText(std::string_view s);
  double Divide(std::string_view s, size_t& pos, double v);
  double Raise(std::string_view s, size_t& pos, double v);
  double CellValue(int col, int row);
  double CallFunction(std::string_view name, std::string_view args);
  void AddRange(std::string_view a, std::string_view b, std::vector<double>& values);
  bool ReadParenthesised(std::string_view s, size_t& pos, std::string_view& inner);

  TSheetCellAccess* mSource;
  bool mSyntaxError = false;
  bool mEvalError = false;
  int mDepth = 0;
};

}  // namespace Tarnwell
