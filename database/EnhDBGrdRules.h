#pragma once
// The enhanced grid's cell rules, as plain functions over field values:
// colour conditions ("DELTA | < | 100 | clRed | clWhite") paint a cell when the
// record's value satisfies a comparison, and value conversions
// ("Tipo | = | ORG | Sostituisci con | Organiz.") replace its displayed text.

#include <QString>
#include <QStringList>
#include <QVariant>
#include <vector>

#include "DBDataSet.h"
#include <Tarnwell/platform/TColor.h>
#include <Tarnwell/TarnwellExport.h>

namespace Tarnwell {

// "Not set" for the two colours of a rule.
constexpr TColor NoColor = 0x1FFFFFFF;

// A parsed colour condition: cells of the column TargetColumn whose value compares to
// CompareValue by Condition get CellColor and FontColor (NoColor: the colour stays).
struct TARNWELL_DATABASE_EXPORT TColorCondObj {
  QString TargetColumn;  // upper-cased column title
  int Condition = -1;    // 1 "=", 2 ">", 3 "<", 4 ">=", 5 "<=", 6 "<>"
  QString CompareValue;
  TColor CellColor = NoColor;
  TColor FontColor = NoColor;
};

// A parsed value conversion: cells of the column TargetColumn whose value compares to
// CompareValue by Condition show the text that function ConvFunction makes with Param1 and
// Param2.
struct TARNWELL_DATABASE_EXPORT TConversionObj {
  QString TargetColumn;
  int Condition = -1;
  QString CompareValue;
  int ConvFunction = -1;  // 1..19, see ConversionFunctionNames()
  QString Param1;
  QString Param2;
};

// The column a rule is tested against: its title caption (not the field
// name), the bound field (may be null) and the dataset that "@NAME" operands read.
struct TARNWELL_DATABASE_EXPORT TRuleColumn {
  QString Title;
  TField* Field = nullptr;
  TDataSet* DataSet = nullptr;
};

// Operator text to number; anything else gives -1.
TARNWELL_DATABASE_EXPORT int RuleOperator(const QString& text);
// The 19 function names in number order (index 0 is function 1).
TARNWELL_DATABASE_EXPORT const QStringList& ConversionFunctionNames();
TARNWELL_DATABASE_EXPORT int ConversionFunctionNumber(const QString& name);  // -1 when unknown

// A colour part that names no colour raises EConvertError; `out` then keeps
// its previous content.
TARNWELL_DATABASE_EXPORT void ParseColorRules(const QStringList& lines, std::vector<TColorCondObj>& out);
TARNWELL_DATABASE_EXPORT void ParseConversionRules(const QStringList& lines, std::vector<TConversionObj>& out);

// "@NAME" reads the field NAME of the dataset (its text, or its value when
// asValue); any other text stands for itself. A failed look-up gives "".
TARNWELL_DATABASE_EXPORT QVariant ResolveOperand(const QString& text, TDataSet* dataSet, bool asValue);

// Whether a rule applies to the field's current value; `def` when there is no
// field, the operator is not 1..6 or the comparison fails.
TARNWELL_DATABASE_EXPORT bool TestCondition(const TField* field, int op, bool def, const QString& compareText, TDataSet* dataSet);

// The last holding colour rule of the column wins; NoColor when none holds.
TARNWELL_DATABASE_EXPORT void GetCellColors(const std::vector<TColorCondObj>& rules, const TRuleColumn& column, TColor& cellColor,
                   TColor& fontColor);
// The field's display text transformed by every holding conversion rule.
TARNWELL_DATABASE_EXPORT QString ConvertCellText(const std::vector<TConversionObj>& rules, const TRuleColumn& column);

// Numeric results of the arithmetic functions, formatted for the column's field.
TARNWELL_DATABASE_EXPORT QString FormatConverted(double value, int decimals, const TField* field);

// Durations from seconds; a value that is not a number of seconds (negative,
// not finite, text) raises EConvertError.
TARNWELL_DATABASE_EXPORT QString SecondsToDayTime(const QVariant& seconds);
TARNWELL_DATABASE_EXPORT QString SecondsToHours(const QVariant& seconds);
TARNWELL_DATABASE_EXPORT QString SecondsToDaysHours(const QVariant& seconds);
// The locale's time format with seconds and without a time-zone name.
TARNWELL_DATABASE_EXPORT QString LongTimeFormat();

}  // namespace Tarnwell
