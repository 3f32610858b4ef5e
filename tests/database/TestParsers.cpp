// Text typed by users (filters, rule lines) never crashes a parser: it is
// either understood or refused with a clear error.
#include <gtest/gtest.h>

#include <QRandomGenerator>

#include <Tarnwell/database/DBFilter.h>
#include <Tarnwell/database/EnhDBGrdRules.h>
#include <Tarnwell/database/MemoTab.h>

using namespace Tarnwell;

namespace {

// Mostly well-formed: clauses joined by AND and OR, with a fault now and then.
QString RandomClauses(QRandomGenerator& rnd) {
  static const QStringList fields = {"NOME", "VALORE", "DATA", "[NOME]", "valore"};
  static const QStringList ops = {"=", "<>", "<", ">", "<=", ">="};
  static const QStringList values = {"'a*'",         "10",     "-3.5", "'25/09/2000'",
                                     "'2000-09-24'", "'x''y'", "NOME", "'%_'"};
  QString s;
  const int n = 1 + rnd.bounded(4);
  for (int i = 0; i < n; ++i) {
    if (i > 0) s += rnd.bounded(2) ? " AND " : " OR ";
    if (rnd.bounded(5) == 0) s += "NOT ";
    s += fields[rnd.bounded(fields.size())] + ' ' + ops[rnd.bounded(ops.size())] + ' ' +
         values[rnd.bounded(values.size())];
  }
  return s;
}

QString RandomText(QRandomGenerator& rnd) {
  if (rnd.bounded(2)) return RandomClauses(rnd);
  static const QStringList pieces = {
      "NOME", "VALORE", "DATA",  "[NOME]", "\"VALORE\"", "X",      "'",  "''", "'a<>b'",
      "=",    "<>",     "<",     ">=",     "!=",         "!",      "(",  ")",  "AND",
      "OR",   "NOT",    "IS",    "NULL",   "10",         "-3.5e2", "1e", "*",  " ",
      "|",    "@",      "@NOME", "clRed",  "$FF",        "è",      "\t", "[",  "\""};
  QString s;
  const int n = rnd.bounded(12);
  for (int i = 0; i < n; ++i) s += pieces[rnd.bounded(pieces.size())];
  return s;
}

TEST(Parsers, RandomTextIsUnderstoodOrRefused) {
  QRandomGenerator rnd(20000925);
  TFieldDefs defs;
  defs.Add("NOME", ftString, 20);
  defs.Add("VALORE", ftInteger);
  defs.Add("DATA", ftDate);
  auto resolve = [&](const QString& name, int& slot, TFieldType& type) {
    slot = defs.IndexOf(name);
    if (slot < 0) return false;
    type = defs[slot].DataType;
    return true;
  };
  const QList<QVariant> row = {QString("a<>b"), qint64(10), QDate(2000, 9, 25)};
  const QList<QVariant> blanks = {QVariant(), QVariant(), QVariant()};
  int understood = 0;
  for (int i = 0; i < 20000; ++i) {
    const QString text = RandomText(rnd);
    try {
      auto e = TFilterExpr::Compile(text, resolve);
      e->Evaluate(row, i % 2, i % 3);
      e->Evaluate(blanks, false, true);
      ++understood;
    } catch (const EDatabaseError& e) {
      EXPECT_FALSE(e.Message().isEmpty());
    }
    int index, op;
    QString value;
    if (TMemoTable::ParseFilter(text, defs, index, op, value)) {
      EXPECT_GE(index, 0);
      EXPECT_GE(op, 0);
    }
    std::vector<TColorCondObj> c;
    std::vector<TConversionObj> v;
    try {
      ParseColorRules({text}, c);
    } catch (const EConvertError&) {
    }
    ParseConversionRules({text}, v);
    ConvertCellText(v, TRuleColumn{text, nullptr, nullptr});
  }
  EXPECT_GT(understood, 100);  // the generator does reach the evaluator
}

TEST(Parsers, FilterExpressionsReadAsWritten) {
  TFieldDefs defs;
  defs.Add("NOME", ftString, 20);
  defs.Add("VALORE", ftInteger);
  auto resolve = [&](const QString& name, int& slot, TFieldType& type) {
    slot = defs.IndexOf(name);
    if (slot < 0) return false;
    type = defs[slot].DataType;
    return true;
  };
  auto eval = [&](const QString& text, const QList<QVariant>& row) {
    return TFilterExpr::Compile(text, resolve)->Evaluate(row, false, true);
  };
  const QList<QVariant> row = {QString("O'Brien"), qint64(7)};
  EXPECT_TRUE(eval("NOME = 'O''Brien'", row));
  EXPECT_TRUE(eval("[NOME] = 'O*' and valore > 6.5", row));  // keywords in any case
  EXPECT_FALSE(eval("NOT (NOME = 'O*') OR VALORE <> 7", row));
  EXPECT_TRUE(eval("VALORE = 7 OR VALORE = 8 AND NOME = 'x'", row));  // AND binds tighter
  EXPECT_TRUE(eval("VALORE IS NOT NULL AND 7 = VALORE", row));
  EXPECT_FALSE(eval("NOME < 'A'", {QVariant(), qint64(1)}));  // a blank compares with nothing
  EXPECT_TRUE(eval("NOME IS NULL", {QVariant(), qint64(1)}));
  for (const char* bad : {"NOME =", "= 'x'", "NOME == 'x'", "(VALORE > 1", "VALORE > 1)", "NOME = 'x",
                          "[NOME = 1", "VALORE > 'sette'", "NOME LIKE 'x'", "VALORE = NULL", "NOME ! 'x'"})
    EXPECT_THROW(TFilterExpr::Compile(bad, resolve), EDatabaseError) << bad;
}

}  // namespace

TEST(MomentsRead, KeepTheWallClockAndTheOffsetAroundClockChanges) {
  const QByteArray before = qgetenv("TZ");
  qputenv("TZ", "Europe/Rome");
  tzset();
  struct TCase {
    const char* Text;
    int Hour, Offset;
  } cases[] = {{"2024-03-31 01:30:00", 1, 3600}, {"2024-03-31 03:30:00", 3, 7200},
               {"2024-07-01 12:00:00", 12, 7200}, {"2024-10-27 03:15:00", 3, 3600},
               {"2024-12-01 23:59:59", 23, 3600}};
  for (int pass = 0; pass < 2; ++pass)  // the second pass reads through the remembered offsets
    for (const TCase& c : cases) {
      QVariant out;
      ASSERT_TRUE(CoerceToFieldType(QString(c.Text), ftDateTime, out));
      const QDateTime dt = out.toDateTime();
      EXPECT_EQ(dt.time().hour(), c.Hour) << c.Text;
      EXPECT_EQ(dt.offsetFromUtc(), c.Offset) << c.Text;
      EXPECT_EQ(dt, QDateTime::fromString(c.Text, "yyyy-MM-dd HH:mm:ss")) << c.Text;  // the same instant as local
    }
  if (before.isNull())
    qunsetenv("TZ");
  else
    qputenv("TZ", before);
  tzset();
}
