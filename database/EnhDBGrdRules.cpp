#include "EnhDBGrdRules.h"

#include <QLocale>
#include <cmath>

#include <Tarnwell/platform/TExceptions.h>
#include <Tarnwell/platform/TTypes.h>

namespace Tarnwell {

namespace {

const QString kDays = QStringLiteral("gg");
const QString kHours = QStringLiteral("ore");

QStringList SplitRule(const QString& line, int maxParts) {
  QStringList parts = line.split('|');
  while (parts.size() > maxParts) {
    // Text after the last part's own bar belongs to that part.
    parts[maxParts - 1] += '|' + parts[maxParts];
    parts.removeAt(maxParts);
  }
  for (auto& p : parts) p = p.trimmed();
  return parts;
}

TColor ParseColorPart(const QString& part) {
  if (part.isEmpty()) return NoColor;
  TColor c;
  if (!StringToColor(part, c)) throw EConvertError(QStringLiteral("'%1' non è un colore valido").arg(part));
  return c;
}

// A number of an operand; false when it is none (text, blank, not finite).
bool ToNumber(const QVariant& v, double& out) {
  if (v.isNull()) return false;
  QVariant n;
  if (!CoerceToFieldType(v, ftFloat, n)) return false;
  out = n.toDouble();
  return std::isfinite(out);
}

double Seconds(const QVariant& v) {
  double s;
  if (!ToNumber(v, s))
    throw EConvertError(QStringLiteral("'%1' non è un numero di secondi").arg(v.toString()));
  if (s < 0) throw EConvertError(QStringLiteral("Numero di secondi negativo: %1").arg(v.toString()));
  if (s > 9.0e15)
    throw EConvertError(QStringLiteral("Numero di secondi troppo grande: %1").arg(v.toString()));
  return s;
}

}  // namespace

int RuleOperator(const QString& text) {
  static const QStringList ops = {"=", ">", "<", ">=", "<=", "<>"};
  int i = ops.indexOf(text);
  return i < 0 ? -1 : i + 1;
}

const QStringList& ConversionFunctionNames() {
  static const QStringList names = {
      "Sostituisci con",    "Stringa in testa", "Stringa in coda", "Moltiplica per",
      "Dividi per",         "Aggiungi",         "Sottrai",         "% rispetto a",
      "sec. --> hh.mm.ss",  "sec. --> HHH,cc",  "sec. --> GGG HH", "Parm1 * Parm2",
      "Parm1 / Parm2",      "Parm1 + Parm2",    "Parm1 - Parm2",   "Parm1 % Parm2",
      "Parm1 --> hh.mm.ss", "Parm1 --> HHH,cc", "Parm1 --> GGG HH"};
  return names;
}

int ConversionFunctionNumber(const QString& name) {
  int i = ConversionFunctionNames().indexOf(name);
  return i < 0 ? -1 : i + 1;
}

void ParseColorRules(const QStringList& lines, std::vector<TColorCondObj>& out) {
  std::vector<TColorCondObj> rules;
  for (const QString& line : lines) {
    QStringList p = SplitRule(line, 5);
    TColorCondObj r;
    if (p.size() > 0) r.TargetColumn = p[0].toUpper();
    if (p.size() > 1) r.Condition = RuleOperator(p[1]);
    if (p.size() > 2) r.CompareValue = p[2];
    if (p.size() > 3) r.CellColor = ParseColorPart(p[3]);
    if (p.size() > 4) r.FontColor = ParseColorPart(p[4]);
    rules.push_back(r);
  }
  out = std::move(rules);
}

void ParseConversionRules(const QStringList& lines, std::vector<TConversionObj>& out) {
  std::vector<TConversionObj> rules;
  for (const QString& line : lines) {
    QStringList p = SplitRule(line, 6);
    TConversionObj r;
    if (p.size() > 0) r.TargetColumn = p[0].toUpper();
    if (p.size() > 1) r.Condition = RuleOperator(p[1]);
    if (p.size() > 2) r.CompareValue = p[2];
    if (p.size() > 3) r.ConvFunction = ConversionFunctionNumber(p[3]);
    if (p.size() > 4) r.Param1 = p[4];
    if (p.size() > 5) r.Param2 = p[5];
    rules.push_back(r);
  }
  out = std::move(rules);
}

QVariant ResolveOperand(const QString& text, TDataSet* dataSet, bool asValue) {
  if (!text.startsWith('@')) return text;
  if (!dataSet) return QString();
  TField* f = dataSet->FindField(text.mid(1));
  if (!f) return QString();
  try {
    return asValue ? f->Value() : QVariant(f->AsString());
  } catch (const ETarnwellError&) {
    return QString();
  }
}

bool TestCondition(const TField* field, int op, bool def, const QString& compareText, TDataSet* dataSet) {
  if (!field || op < 1 || op > 6) return def;
  int c = 0;
  try {
    if (field->DataType() == ftString) {
      // Fixed text compares byte by byte, case-sensitive.
      const QByteArray a = field->AsString().toUtf8();
      const QByteArray b = ResolveOperand(compareText, dataSet, false).toString().toUtf8();
      c = a < b ? -1 : (b < a ? 1 : 0);
    } else {
      const QVariant v = field->Value();
      const QVariant operand = ResolveOperand(compareText, dataSet, true);
      QVariant key;
      if (v.isNull() || operand.isNull()) return def;
      if (!CoerceToFieldType(operand, field->DataType(), key) || key.isNull()) return def;
      c = CompareFieldValues(v, key, field->DataType());
    }
  } catch (const ETarnwellError&) {
    return def;
  }
  switch (op) {
    case 1:
      return c == 0;
    case 2:
      return c > 0;
    case 3:
      return c < 0;
    case 4:
      return c >= 0;
    case 5:
      return c <= 0;
    default:
      return c != 0;
  }
}

void GetCellColors(const std::vector<TColorCondObj>& rules, const TRuleColumn& column, TColor& cellColor,
                   TColor& fontColor) {
  cellColor = fontColor = NoColor;
  const QString title = column.Title.toUpper();
  TDataSet* ds = column.DataSet ? column.DataSet : (column.Field ? column.Field->DataSet() : nullptr);
  for (const TColorCondObj& r : rules) {
    if (r.TargetColumn != title) continue;
    if (!TestCondition(column.Field, r.Condition, false, r.CompareValue, ds)) continue;
    cellColor = r.CellColor;
    fontColor = r.FontColor;
  }
}

QString FormatConverted(double value, int decimals, const TField* field) {
  QLocale loc;
  if (field) {
    if (field->DataType() == ftFloat) return loc.toString(value, 'f', decimals);
    if (field->DataType() == ftCurrency) return loc.toCurrencyString(value, loc.currencySymbol(), 4);
    return QString::number(nearest64(value));
  }
  if (value != std::trunc(value)) return loc.toString(value, 'f', decimals);
  return QString::number(nearest64(value));
}

QString LongTimeFormat() {
  QString f = QLocale().timeFormat(QLocale::LongFormat);
  f.remove('t');
  f = f.trimmed();
  if (!f.contains('s')) f += QStringLiteral(":ss");
  return f;
}

QString SecondsToDayTime(const QVariant& seconds) {
  const qint64 s = qint64(Seconds(seconds));
  const qint64 days = s / 86400;
  const qint64 r = s - days * 86400;
  const int hours = int(r / 3600);
  const int minutes = int((r - hours * 3600) / 60);
  const int secs = int(r - hours * 3600 - minutes * 60);
  QString text = QTime(hours, minutes, secs).toString(LongTimeFormat());
  if (days > 0) text = QStringLiteral("%1 %2  + ").arg(days).arg(kDays) + text;
  return text;
}

QString SecondsToHours(const QVariant& seconds) {
  return QLocale().toString(Seconds(seconds) / 3600.0, 'f', 2) + ' ' + kHours;
}

QString SecondsToDaysHours(const QVariant& seconds) {
  const double s = Seconds(seconds);
  const qint64 days = qint64(s) / 86400;
  const qint64 hours = nearest64((s - double(days) * 86400) / 3600);
  return QStringLiteral("%1 %2  & %3 %4").arg(days).arg(kDays).arg(hours).arg(kHours);
}

namespace {

// Applies one function; raises (or returns false) when it cannot, and the
// caller then keeps the text it had.
bool ApplyFunction(const TConversionObj& r, const TRuleColumn& col, TDataSet* ds, QString& text) {
  const TField* f = col.Field;
  const QVariant p1 = ResolveOperand(r.Param1, ds, true);
  const QVariant p2 = ResolveOperand(r.Param2, ds, true);
  const QString p1Text = ResolveOperand(r.Param1, ds, false).toString();
  auto number = [](const QVariant& v) {
    double d;
    if (!ToNumber(v, d)) throw EConvertError(QStringLiteral("'%1' non è un numero").arg(v.toString()));
    return d;
  };
  auto fieldValue = [&]() -> QVariant {
    if (!f) throw EConvertError(QStringLiteral("La colonna non ha un campo"));
    return f->Value();
  };
  // Division by zero and overflow do not trap in C++: a result that is not a
  // finite number counts as a failed conversion.
  auto result = [&](double v, int decimals, bool percent) {
    if (!std::isfinite(v)) return false;
    text = FormatConverted(v, decimals, f) + (percent ? QStringLiteral("%") : QString());
    return true;
  };
  switch (r.ConvFunction) {
    case 1:
      text = p1Text;
      return true;
    case 2:
    case 3:
      try {
        if (!f) throw EConvertError(QStringLiteral("La colonna non ha un campo"));
        text = r.ConvFunction == 2 ? p1Text + f->DisplayText() : f->DisplayText() + p1Text;
      } catch (const ETarnwellError&) {
        text = p1Text;
      }
      return true;
    case 4:
      return result(number(fieldValue()) * number(p1), 5, false);
    case 5: {
      double d = number(p1);
      if (d == 0) return false;
      return result(number(fieldValue()) / d, 5, false);
    }
    case 6:
      return result(number(fieldValue()) + number(p1), 5, false);
    case 7:
      return result(number(fieldValue()) - number(p1), 5, false);
    case 8: {
      double d = number(p1);
      if (d == 0) return false;
      return result(number(fieldValue()) * 100 / d, 2, true);
    }
    case 9:
      text = SecondsToDayTime(fieldValue());
      return true;
    case 10:
      text = SecondsToHours(fieldValue());
      return true;
    case 11:
      text = SecondsToDaysHours(fieldValue());
      return true;
    case 12:
      return result(number(p1) * number(p2), 5, false);
    case 13: {
      double d = number(p2);
      if (d == 0) return false;
      return result(number(p1) / d, 5, false);
    }
    case 14:
      return result(number(p1) + number(p2), 5, false);
    case 15:
      return result(number(p1) - number(p2), 5, false);
    case 16: {
      double d = number(p2);
      if (d == 0) return false;
      return result(number(p1) * 100 / d, 2, true);
    }
    case 17:
      text = SecondsToDayTime(p1);
      return true;
    case 18:
      text = SecondsToHours(p1);
      return true;
    case 19:
      text = SecondsToDaysHours(p1);
      return true;
    default:
      return false;
  }
}

}  // namespace

QString ConvertCellText(const std::vector<TConversionObj>& rules, const TRuleColumn& column) {
  QString text;
  try {
    if (column.Field) text = column.Field->DisplayText();
  } catch (const ETarnwellError&) {
  }
  const QString title = column.Title.toUpper();
  TDataSet* ds = column.DataSet ? column.DataSet : (column.Field ? column.Field->DataSet() : nullptr);
  for (const TConversionObj& r : rules) {
    if (r.TargetColumn != title) continue;
    if (!TestCondition(column.Field, r.Condition, true, r.CompareValue, ds)) continue;
    QString next = text;
    try {
      if (ApplyFunction(r, column, ds, next)) text = next;
    } catch (const ETarnwellError&) {
      // A failed function leaves the text as it was.
    }
  }
  return text;
}

}  // namespace Tarnwell
