// Colour conditions and value conversions of the grid's rules.
#include <gtest/gtest.h>

#include <QLocale>

#include <Tarnwell/database/EnhDBGrdRules.h>
#include <Tarnwell/database/MemoTab.h>

using namespace Tarnwell;

namespace {

class Rules : public ::testing::Test {
 protected:
  void SetUp() override {
    QLocale::setDefault(QLocale(QLocale::Italian, QLocale::Italy));
    t.FieldDefs().Add("DELTA", ftInteger);
    t.FieldDefs().Add("Tipo", ftString, 3);
    t.FieldDefs().Add("PREZZO", ftFloat);
    t.FieldDefs().Add("DURATA", ftInteger);
    t.FieldDefs().Add("IMPORTO", ftCurrency);
    t.FieldDefs().Add("FATTORE", ftFloat);
    t.FieldDefs().Add("DATA", ftDate);
    t.Open();
  }
  void Row(const QVariant& delta, const QVariant& tipo = "ORG", const QVariant& prezzo = 1234.5,
           const QVariant& durata = 90061, const QVariant& fattore = 2) {
    t.Append();
    t.FieldByName("DELTA")->SetValue(delta);
    t.FieldByName("Tipo")->SetValue(tipo);
    t.FieldByName("PREZZO")->SetValue(prezzo);
    t.FieldByName("DURATA")->SetValue(durata);
    t.FieldByName("IMPORTO")->SetValue(prezzo);
    t.FieldByName("FATTORE")->SetValue(fattore);
    t.FieldByName("DATA")->SetValue(QDate(2000, 9, 25));
    t.Post();
  }
  TRuleColumn Col(const QString& field, const QString& title = {}) {
    return {title.isEmpty() ? field : title, t.FieldByName(field), &t};
  }
  std::pair<TColor, TColor> Colors(const QStringList& lines, const TRuleColumn& c) {
    std::vector<TColorCondObj> rules;
    ParseColorRules(lines, rules);
    TColor cell, font;
    GetCellColors(rules, c, cell, font);
    return {cell, font};
  }
  QString Convert(const QStringList& lines, const TRuleColumn& c) {
    std::vector<TConversionObj> rules;
    ParseConversionRules(lines, rules);
    return ConvertCellText(rules, c);
  }
  TMemoTable t;
};

TEST_F(Rules, ParsingLinesAndDefaults) {
  std::vector<TColorCondObj> c;
  ParseColorRules({"DELTA | < | 100 | clRed | clWhite", " delta|>=", "x|=>|1|$00FF8000|255", "|"}, c);
  ASSERT_EQ(c.size(), 4u);
  EXPECT_EQ(c[0].TargetColumn, "DELTA");
  EXPECT_EQ(c[0].Condition, 3);
  EXPECT_EQ(c[0].CompareValue, "100");
  EXPECT_EQ(c[0].CellColor, clRed);
  EXPECT_EQ(c[0].FontColor, clWhite);
  EXPECT_EQ(c[1].TargetColumn, "DELTA");
  EXPECT_EQ(c[1].Condition, 4);
  EXPECT_EQ(c[1].CellColor, NoColor);
  EXPECT_EQ(c[2].Condition, -1);  // "=>" is no operator
  EXPECT_EQ(c[2].CellColor, 0x00FF8000u);
  EXPECT_EQ(c[2].FontColor, 255u);
  EXPECT_EQ(c[3].Condition, -1);

  // A colour that names nothing raises and leaves the previous rules.
  EXPECT_THROW(ParseColorRules({"DELTA | < | 100 | rosso"}, c), EConvertError);
  EXPECT_EQ(c.size(), 4u);

  std::vector<TConversionObj> v;
  ParseConversionRules({"Tipo | = | ORG | Sostituisci con | Organiz.", "A||| Parm1 * Parm2 | 3 | 4 | 5"}, v);
  ASSERT_EQ(v.size(), 2u);
  EXPECT_EQ(v[0].TargetColumn, "TIPO");
  EXPECT_EQ(v[0].ConvFunction, 1);
  EXPECT_EQ(v[0].Param1, "Organiz.");
  EXPECT_EQ(v[1].Condition, -1);
  EXPECT_EQ(v[1].ConvFunction, 12);
  EXPECT_EQ(v[1].Param2, "4 | 5");
  EXPECT_EQ(ConversionFunctionNames().size(), 19);
  EXPECT_EQ(ConversionFunctionNumber("sostituisci con"), -1);  // names match exactly
}

TEST_F(Rules, ColourConditions) {
  Row(50);
  const QStringList demo = {"DELTA | < | 100 | clRed | clWhite", "DELTA | > | 200 | clBlue | clYellow"};
  EXPECT_EQ(Colors(demo, Col("DELTA")), std::make_pair(clRed, clWhite));
  Row(150);
  EXPECT_EQ(Colors(demo, Col("DELTA")), std::make_pair(NoColor, NoColor));
  Row(250);
  EXPECT_EQ(Colors(demo, Col("DELTA")), std::make_pair(clBlue, clYellow));
  // Numbers compare as numbers ("250" > "1000" as text).
  EXPECT_EQ(Colors({"DELTA | < | 1000 | clLime"}, Col("DELTA")).first, clLime);
  // Both hold: the second wins.
  EXPECT_EQ(Colors({"delta | > | 0 | clRed | clWhite", "DELTA | >= | 250 | clGreen | clBlack"}, Col("DELTA")),
            std::make_pair(clGreen, clBlack));
  // The title, not the field name, is matched.
  EXPECT_EQ(Colors(demo, Col("DELTA", "Scarto")).first, NoColor);
  EXPECT_EQ(Colors({"SCARTO | > | 200 | clBlue"}, Col("DELTA", "Scarto")).first, clBlue);
  // Text compares byte-wise and case-sensitively; "@" reads another field.
  EXPECT_EQ(Colors({"Tipo | = | ORG | clAqua"}, Col("Tipo")).first, clAqua);
  EXPECT_EQ(Colors({"Tipo | = | org | clAqua"}, Col("Tipo")).first, NoColor);
  EXPECT_EQ(Colors({"Tipo | < | PRI | clAqua"}, Col("Tipo")).first, clAqua);
  EXPECT_EQ(Colors({"PREZZO | > | @DELTA | clAqua"}, Col("PREZZO")).first, clAqua);
  EXPECT_EQ(Colors({"PREZZO | > | @NESSUNO | clAqua"}, Col("PREZZO")).first, NoColor);
  // Dates compare as dates whatever the text form.
  EXPECT_EQ(Colors({"DATA | > | 24/09/2000 | clAqua"}, Col("DATA")).first, clAqua);
  EXPECT_EQ(Colors({"DATA | < | 2000-10-01 | clAqua"}, Col("DATA")).first, clAqua);
  // No operator or no field: colour rules do not apply.
  EXPECT_EQ(Colors({"DELTA | | 1 | clAqua"}, Col("DELTA")).first, NoColor);
  EXPECT_EQ(Colors({"X | = | 1 | clAqua"}, TRuleColumn{"X", nullptr, &t}).first, NoColor);
  // A comparison that cannot be made does not apply either.
  EXPECT_EQ(Colors({"DELTA | = | molto | clAqua"}, Col("DELTA")).first, NoColor);
}

TEST_F(Rules, ConversionsOfTheFunctionTable) {
  Row(12, "ORG", 1234.5, 90061, 2);
  EXPECT_EQ(Convert({"Tipo | = | ORG | Sostituisci con | Organiz."}, Col("Tipo")), "Organiz.");
  EXPECT_EQ(Convert({"Tipo | = | PRI | Sostituisci con | Privato"}, Col("Tipo")), "ORG");
  EXPECT_EQ(Convert({"TIPO | | | Sostituisci con | *"}, Col("Tipo")), "*");  // no operator: every record
  EXPECT_EQ(Convert({"Tipo | | | Stringa in testa | >> "}, Col("Tipo")), ">>ORG");
  EXPECT_EQ(Convert({"Tipo | | | Sostituisci con | x", "Tipo | | | Stringa in coda | !"}, Col("Tipo")),
            "ORG!");
  // Arithmetic keeps the field's kind: float with separators, integer rounded.
  EXPECT_EQ(Convert({"PREZZO | | | Moltiplica per | 2"}, Col("PREZZO")), "2.469,00000");
  EXPECT_EQ(Convert({"PREZZO | | | Moltiplica per | @FATTORE"}, Col("PREZZO")), "2.469,00000");
  EXPECT_EQ(Convert({"PREZZO | | | Dividi per | 4"}, Col("PREZZO")), "308,62500");
  EXPECT_EQ(Convert({"PREZZO | | | Aggiungi | 0,5"}, Col("PREZZO")), "1.235,00000");
  EXPECT_EQ(Convert({"PREZZO | | | Sottrai | 1234.5"}, Col("PREZZO")), "0,00000");
  EXPECT_EQ(Convert({"PREZZO | | | % rispetto a | 2469"}, Col("PREZZO")), "50,00%");
  EXPECT_EQ(Convert({"DELTA | | | Dividi per | 8"}, Col("DELTA")), "2");   // 1.5 to the even 2
  EXPECT_EQ(Convert({"DELTA | | | Dividi per | 24"}, Col("DELTA")), "0");  // 0.5 to the even 0
  EXPECT_EQ(Convert({"IMPORTO | | | Aggiungi | 1"}, Col("IMPORTO")),
            QLocale().toCurrencyString(1235.5, QLocale().currencySymbol(), 4));
  // The parameter functions ignore the field's value.
  EXPECT_EQ(Convert({"X | | | Parm1 * Parm2 | 3 | 4"}, TRuleColumn{"X", nullptr, &t}), "12");
  EXPECT_EQ(Convert({"X | | | Parm1 / Parm2 | 1 | 4"}, TRuleColumn{"X", nullptr, &t}), "0,25000");
  EXPECT_EQ(Convert({"X | | | Parm1 + Parm2 | @DELTA | 0,5"}, TRuleColumn{"X", nullptr, &t}), "12,50000");
  EXPECT_EQ(Convert({"X | | | Parm1 - Parm2 | 10 | 20"}, TRuleColumn{"X", nullptr, &t}), "-10");
  EXPECT_EQ(Convert({"X | | | Parm1 % Parm2 | 1 | 3"}, TRuleColumn{"X", nullptr, &t}), "33,33%");
  // Unknown function numbers change nothing.
  EXPECT_EQ(Convert({"Tipo | | | Cancella | x"}, Col("Tipo")), "ORG");
}

TEST_F(Rules, DurationsAndFailedConversions) {
  Row(12, "ORG", 1234.5, 90061);
  EXPECT_EQ(Convert({"DURATA | | | sec. --> hh.mm.ss"}, Col("DURATA")), "1 gg  + 01:01:01");
  EXPECT_EQ(Convert({"DURATA | | | sec. --> GGG HH"}, Col("DURATA")), "1 gg  & 1 ore");
  EXPECT_EQ(Convert({"DURATA | | | sec. --> HHH,cc"}, Col("DURATA")), "25,02 ore");
  EXPECT_EQ(SecondsToDayTime(3599), "00:59:59");
  EXPECT_EQ(SecondsToDayTime(0), "00:00:00");
  EXPECT_EQ(SecondsToDaysHours(86400 + 5400), "1 gg  & 2 ore");  // 1.5 hours to the even 2
  EXPECT_EQ(Convert({"X | | | Parm1 --> hh.mm.ss | 3599"}, TRuleColumn{"X", nullptr, &t}), "00:59:59");
  EXPECT_EQ(Convert({"X | | | Parm1 --> HHH,cc | 5400"}, TRuleColumn{"X", nullptr, &t}), "1,50 ore");
  EXPECT_EQ(Convert({"X | | | Parm1 --> GGG HH | 172800"}, TRuleColumn{"X", nullptr, &t}), "2 gg  & 0 ore");
  // Failures leave the text as it was.
  EXPECT_THROW(SecondsToDayTime(-1), EConvertError);
  EXPECT_THROW(SecondsToHours("molti"), EConvertError);
  EXPECT_EQ(Convert({"X | | | Sostituisci con | prima", "X | | | Parm1 --> hh.mm.ss | -5"},
                    TRuleColumn{"X", nullptr, &t}),
            "prima");
  EXPECT_EQ(Convert({"PREZZO | | | Dividi per | 0"}, Col("PREZZO")), "1234,5");
  EXPECT_EQ(Convert({"PREZZO | | | % rispetto a | 0"}, Col("PREZZO")), "1234,5");
  EXPECT_EQ(Convert({"X | | | Sostituisci con | a", "X | | | Parm1 / Parm2 | 1 | 0"},
                    TRuleColumn{"X", nullptr, &t}),
            "a");
  EXPECT_EQ(Convert({"X | | | Sostituisci con | a", "X | | | Parm1 * Parm2 | 1e308 | 1e308"},
                    TRuleColumn{"X", nullptr, &t}),
            "a");
  EXPECT_EQ(Convert({"PREZZO | | | Moltiplica per | due"}, Col("PREZZO")), "1234,5");
  // Without a field, functions 2 and 3 fall back to Param1 alone.
  EXPECT_EQ(Convert({"X | | | Stringa in testa | solo"}, TRuleColumn{"X", nullptr, &t}), "solo");
  // A blank value makes arithmetic fail.
  Row(QVariant(), QVariant(), QVariant(), QVariant());
  EXPECT_EQ(Convert({"DELTA | | | Aggiungi | 1"}, Col("DELTA")), "");
  EXPECT_EQ(Convert({"DURATA | | | sec. --> hh.mm.ss"}, Col("DURATA")), "");
}

}  // namespace
