#include <gtest/gtest.h>

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <cmath>
#include <map>
#include <random>
#include <set>

#include <Tarnwell/spreadsheet/SShtStore.h>
#include "SheetTestUtil.h"

using namespace Tarnwell;

namespace {

struct TEval {
  TSpreadSheetDataCells cells;
  double Eval(const char* f) { return cells.Formuler()->Evaluate(QString::fromUtf8(f)); }
  bool Syntax() const { return cells.Formuler()->SyntaxError(); }
  bool Error() const { return cells.Formuler()->EvalError(); }
};

}  // namespace

TEST(Formuler, PrecedenceAndChains) {
  TEval e;
  const std::pair<const char*, double> cases[] = {{"=2+3*4", 14},
                                                  {"=2*3+4*5", 26},
                                                  {"=8/2/2", 2},
                                                  {"=8/2*3", 12},
                                                  {"=2*6/3", 4},
                                                  {"=2^3^2", 64},
                                                  {"=-2^2", -4},
                                                  {"=50%200", 25},
                                                  {"=10%4+1", 200},
                                                  {"=1+", 1},
                                                  {"=1-2-3", -4},
                                                  {"=10-2*3-1", 3},
                                                  {"=2^3*4", 32},
                                                  {"=2^3/4", 2},
                                                  {"=(1+2)*3", 9},
                                                  {"=((2))", 2},
                                                  {"=.5+1.", 1.5},
                                                  {"=8/2^2", 2},
                                                  {"=2*3^2", 18},
                                                  {"=1-(2-3)", 2},
                                                  // A sign after an operator negates the next operand.
                                                  {"=2*-3", -6},
                                                  {"=2^-1", 0.5},
                                                  {"=8/-2", -4},
                                                  {"=3--2", 5},
                                                  {"=2*-3+4", -2},
                                                  {"=3+-2", 1},
                                                  {"=2*-3*4", -24},
                                                  {"=-3*-3", 9}};
  for (const auto& [f, want] : cases) {
    EXPECT_DOUBLE_EQ(e.Eval(f), want) << f;
    EXPECT_FALSE(e.Syntax() || e.Error()) << f;
  }
}

TEST(Formuler, SyntaxAndEvaluationErrors) {
  TEval e;
  for (const char* f : {"=(1", "=1E5", "=1.2.3", "=.", "=1)", "=1,2", "=A", "=SUM(1", "=2$", "=SUM(A1:X)"}) {
    EXPECT_EQ(e.Eval(f), 0) << f;
    EXPECT_TRUE(e.Syntax()) << f;
  }
  for (const char* f :
       {"=1/0",         "=0/0",      "=SQRT(-1)",   "=LN(0)",     "=LN(-1)", "=LOG(-2)",
        "=10^400",      "=5%0",      "=MIN()",      "=MAX()",     "=MEAN()", "=STDDEV(1)",
        "=VARIANCE(4)", "=COTAN(0)", "=AMEAN(1,0)", "=EXP(1000)", "=A1:B2",  "=SUM(A1:ZZ99999999)",
        "=A999999999",  "=ASIN(2)",  "=1/(1/0)"}) {
    EXPECT_EQ(e.Eval(f), 0) << f;
    EXPECT_TRUE(e.Error() || e.Syntax()) << f;
  }
  EXPECT_TRUE(e.Eval("=SUM(A1:ZZ99999999)") == 0 && e.Error());
  // Bounds: nesting, length and chains end as evaluation errors.
  QString deep = "=" + QString(3000, '(') + "1" + QString(3000, ')');
  e.cells.Formuler()->Evaluate(deep);
  EXPECT_TRUE(e.Error());
  QString chain = "=1";
  for (int i = 0; i < 3000; ++i) chain += "+1";
  // Flat chains are not nesting: 3001 terms, 1201 factors.
  EXPECT_EQ(e.cells.Formuler()->Evaluate(chain), 3001);
  EXPECT_FALSE(e.Error());
  chain = "=1";
  for (int i = 0; i < 1200; ++i) chain += "*1";
  EXPECT_EQ(e.cells.Formuler()->Evaluate(chain), 1);
  EXPECT_FALSE(e.Error());
  // An unknown function is an error, not its first argument.
  e.cells.Formuler()->Evaluate("=SUMM(1,2)");
  EXPECT_TRUE(e.Error());
  chain = "=1";
  for (int i = 0; i < 400; ++i) chain += "+1";
  EXPECT_EQ(e.cells.Formuler()->Evaluate(chain), 401);
  EXPECT_EQ(e.cells.Formuler()->Evaluate("=" + QString(9000, '1')), 0);
  EXPECT_TRUE(e.Error());
}

TEST(Formuler, ReferencesAndRanges) {
  TEval e;
  e.cells.SetCellText(1, 1, "1");
  e.cells.SetCellText(1, 2, "2");
  EXPECT_EQ(e.Eval("=SUM(A1:A3)"), 3);  // a missing cell counts 0
  EXPECT_EQ(e.Eval("=sum(a1 : a2)"), 3);
  EXPECT_EQ(e.Eval("=SUM(A3:A1)"), 3);  // reversed corners
  EXPECT_EQ(e.Eval("=MEAN(A1:A4)"), 0.75);
  e.cells.SetCellText(2, 1, "10");
  EXPECT_EQ(e.Eval("=SUM(A1:A3,B1)"), 13);
  EXPECT_EQ(e.Eval("=SUM(B1,A1:A2,5)"), 18);
  EXPECT_EQ(e.Eval("=SUM(ABS(A1:A2),1)"), 2);  // first value of the inner range
  EXPECT_EQ(e.Eval("=A1+B1*2"), 21);
  EXPECT_EQ(e.Eval("=ZZ1000"), 0);
  // Header cells are addressable.
  EXPECT_EQ(e.Eval("=A0"), 0);
  e.cells.SetCellText(1, 3, "x");
  EXPECT_EQ(e.Eval("=SUM(A1:A3)"), 0);
  EXPECT_TRUE(e.Error());
  // An erased cell reads like a missing one.
  e.cells.SetCellText(1, 3, "");
  EXPECT_EQ(e.Eval("=SUM(A1:A3)"), 3);
  EXPECT_FALSE(e.Error());
  // Booleans read as -1 / 0.
  TSpreadSheetCell* b = e.cells.GetCell(3, 1, true);
  b->SetDataType(cdtBoolean);
  b->SetText("T");
  EXPECT_EQ(e.Eval("=C1"), -1);
  // Locale numbers in string cells.
  {
    TLocaleGuard it(QLocale(QLocale::Italian, QLocale::Italy));
    e.cells.SetCellText(4, 1, "1,5");
    EXPECT_EQ(e.Eval("=D1*2"), 3);
    EXPECT_EQ(e.Eval("=1.25*2"), 2.5);  // formulas always use "."
  }
}

TEST(Formuler, FunctionTable) {
  TEval e;
  const std::pair<const char*, double> cases[] = {{"=ROUNDX(2,3.14159)", 3.14},
                                                  {"=ROUND(2.5)", 2},
                                                  {"=ROUND(3.5)", 4},
                                                  {"=ROUND(-2.5)", -2},
                                                  {"=SIGN(0)", 1},
                                                  {"=SIGN(-3)", -1},
                                                  {"=DISTMEAN(1,4,10)", 4.5},
                                                  {"=DISTMEAN(7)", 0},
                                                  {"=AMEAN(1,2,4)", 12.0 / 7},
                                                  
                                                  {"=SUM()", 0},
                                                  {"=SUM(1,,2)", 3},
                                                  {"=SUM(1,2,)", 3},
                                                  {"=MIN(3,1,2)", 1},
                                                  {"=MAX(3,1,2)", 3},
                                                  {"=PROD(2,3,4)", 24},
                                                  {"=SUMSQR(1,2,3)", 14},
                                                  {"=NORM(3,4)", 5},
                                                  {"=HYPOT(3,4)", 5},
                                                  {"=POWER(2,10)", 1024},
                                                  {"=LOGN(2,8)", 3},
                                                  {"=LG2(1024)", 10},
                                                  {"=LOG(1000)", 3},
                                                  {"=TRUNC(-2.7)", -2},
                                                  {"=FRAC(2.25)", 0.25},
                                                  {"=ABS(-4)", 4},
                                                  {"=SQRT(16)", 4},
                                                  {"=STDDEVPOP(2,4,4,4,5,5,7,9)", 2},
                                                  {"=VARIANPOP(2,4,4,4,5,5,7,9)", 4},
                                                  {"=VARIANTOT(1,2,3)", 2},
                                                  {"=QUADDEV(1,2,3)", 2},
                                                  {"=SDMEAN(1,2,3,6)", 1.5},
                                                  {"=GMEAN(2,8)", 4},
                                                  {"=ASYMMET(1,2)", 0},
                                                  {"=CURTOSI(1,2,3)", 0},
                                                  {"=ROUNDX(400,2.5)", 2},
                                                  {"=COS(0)+SIN(0)+TAN(0)", 1},
                                                  {"=SEC(0)", 1},
                                                  {"=EXP(0)", 1},
                                                  {"=RANDG(5,0)", 5},
                                                  {"=SQRT(SUM(9,7))*2", 8}};
  for (const auto& [f, want] : cases) {
    EXPECT_NEAR(e.Eval(f), want, 1e-12) << f;
    EXPECT_FALSE(e.Syntax() || e.Error()) << f;
  }
}

// Statistics over numeric ranges against Python's statistics module.
TEST(Formuler, StatisticsAgainstPython) {
  if (!HavePython()) GTEST_SKIP() << "python3 not found: independent statistics check skipped";
  TEval e;
  std::mt19937 g(42);
  QJsonArray sets;
  const char* funcs[] = {"SUM",   "MEAN",   "STDDEV",    "STDDEVPOP", "VARIANCE", "VARIANPOP",
                         "GMEAN", "AMEAN",  "SUMSQR",    "NORM",      "PROD",     "MIN",
                         "MAX",   "SDMEAN", "VARIANTOT", "ASYMMET",   "CURTOSI",  "DISTMEAN"};
  std::vector<std::vector<double>> results;
  for (int set = 0; set < 6; ++set) {
    const int n = 4 + set * 5;
    QJsonArray values;
    std::uniform_real_distribution<double> d(0.5, 100.0);
    for (int i = 0; i < n; ++i) {
      const double v = std::round(d(g) * 1000) / 1000;
      values.append(v);
      e.cells.SetCellText(set + 1, i + 1, QString::number(v, 'g', 17));
    }
    sets.append(values);
    std::vector<double> row;
    const QString col = ColumnName(set + 1);
    for (const char* f : funcs) {
      row.push_back(
          e.cells.Formuler()->Evaluate("=" + QString(f) + "(" + col + "1:" + col + QString::number(n) + ")"));
      EXPECT_FALSE(e.Error()) << f;
    }
    results.push_back(row);
  }
  const QString script = QStringLiteral(R"PY(
import json, math, statistics as st, sys
out = []
for v in json.load(sys.stdin):
    n = len(v); m = st.mean(v); s = st.stdev(v)
    skew = n * math.fsum(((x - m) / s) ** 3 for x in v) / ((n - 1) * (n - 2))
    kurt = n * (n + 1) * math.fsum(((x - m) / s) ** 4 for x in v) / ((n - 1) * (n - 2) * (n - 3)) \
        - 3 * (n - 1) ** 2 / ((n - 2) * (n - 3))
    out.append([math.fsum(v), m, s, st.pstdev(v), st.variance(v), st.pvariance(v),
                st.geometric_mean(v), st.harmonic_mean(v), math.fsum(x * x for x in v),
                math.sqrt(math.fsum(x * x for x in v)), math.prod(v), min(v), max(v),
                math.fsum(abs(x - m) for x in v) / n, math.fsum((x - m) ** 2 for x in v),
                skew, kurt, (v[-1] - v[0]) / (n - 1)])
print(json.dumps(out))
)PY");
  QByteArray out;
  QString err;
  ASSERT_TRUE(RunPython(script, QJsonDocument(sets).toJson(), out, err)) << err.toStdString();
  const QJsonArray expected = QJsonDocument::fromJson(out).array();
  ASSERT_EQ(expected.size(), int(results.size()));
  for (int s = 0; s < expected.size(); ++s)
    for (int f = 0; f < int(std::size(funcs)); ++f) {
      const double want = expected[s].toArray()[f].toDouble();
      EXPECT_NEAR(results[size_t(s)][size_t(f)], want, 1e-9 * std::max(1.0, std::fabs(want)))
          << funcs[f] << " set " << s;
    }
}

namespace {

// A source of numbers that is not a cell store: a formula must evaluate over
// it with nothing but the access interface.
class TTableSource : public TSheetCellAccess {
 public:
  std::map<std::pair<int, int>, double> numbers;
  std::set<std::pair<int, int>> texts;  // cells that hold a non-number
  int rangeCalls = 0;
  bool ReadNumber(int col, int row, double& out) override {
    if (texts.count({col, row})) return false;
    const auto it = numbers.find({col, row});
    out = it == numbers.end() ? 0 : it->second;
    return true;
  }
  bool ReadRange(int c1, int r1, int c2, int r2, double* out) override {
    ++rangeCalls;
    for (const auto& [pos, v] : numbers)
      if (pos.first >= c1 && pos.first <= c2 && pos.second >= r1 && pos.second <= r2)
        out[(pos.first - c1) * (r2 - r1 + 1) + (pos.second - r1)] = v;
    for (const auto& pos : texts)
      if (pos.first >= c1 && pos.first <= c2 && pos.second >= r1 && pos.second <= r2) return false;
    return true;
  }
};

}  // namespace

TEST(Formuler, ReadsAnySourceThroughTheAccessInterface) {
  TTableSource t;
  t.numbers = {{{1, 1}, 1}, {{1, 2}, 2}, {{2, 1}, 10}, {{2, 3}, 30}};
  TSpreadSheetFormuler f(&t);
  EXPECT_EQ(f.Evaluate("=A1+B3"), 31);
  // Values come in column by column: DISTMEAN depends on the order.
  EXPECT_EQ(f.Evaluate("=SUM(A1:B3)"), 43);
  EXPECT_EQ(f.Evaluate("=DISTMEAN(A1:B3)"), (30.0 - 1.0) / 5);
  EXPECT_EQ(f.Evaluate("=SUM(B3:A1)"), 43);
  EXPECT_EQ(t.rangeCalls, 3);  // one call per range, not per cell
  t.texts.insert({2, 2});
  EXPECT_EQ(f.Evaluate("=SUM(A1:B3)"), 0);
  EXPECT_TRUE(f.EvalError());
  EXPECT_EQ(f.Evaluate("=B2+1"), 0);
  EXPECT_TRUE(f.EvalError());
  EXPECT_EQ(f.Evaluate("=A2+1"), 3);
  EXPECT_FALSE(f.EvalError());
  // Without a source every reference reads 0.
  f.SetSource(nullptr);
  EXPECT_EQ(f.Evaluate("=A1+SUM(A1:B3)+5"), 5);
}
