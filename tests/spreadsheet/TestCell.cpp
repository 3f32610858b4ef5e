#include <gtest/gtest.h>

#include <Tarnwell/spreadsheet/SShtStore.h>
#include "SheetTestUtil.h"

using namespace Tarnwell;

TEST(SheetCell, NamesAndDefaults) {
  EXPECT_EQ(ColumnName(1), "A");
  EXPECT_EQ(ColumnName(26), "Z");
  EXPECT_EQ(ColumnName(27), "AA");
  EXPECT_EQ(ColumnName(52), "AZ");
  EXPECT_EQ(ColumnName(53), "BA");
  EXPECT_EQ(ColumnName(702), "ZZ");
  EXPECT_EQ(ColumnName(703), "");
  EXPECT_EQ(ColumnFromName("zz"), 702);
  EXPECT_EQ(CellRefName(3, 5), "C5");
  TSpreadSheetCell c(2, 3);
  EXPECT_EQ(c.Font().Name, "Arial");
  EXPECT_EQ(c.Font().Size, 8);
  EXPECT_EQ(c.VAlign(), 1);
  EXPECT_EQ(c.BackColor(), clWhite);
  EXPECT_EQ(c.PatternColor(), clGray);
  EXPECT_EQ(c.Border(cbsLeft).Style, 5);
  EXPECT_TRUE(c.Value().IsNull());
}

TEST(SheetCell, EnteringTexts) {
  TSpreadSheetDataCells cells;
  TSpreadSheetCell* c = cells.GetCell(1, 1, true);
  c->SetText("   ");
  EXPECT_EQ(c->DisplayText(), "   ");
  EXPECT_FALSE(c->IsFormula());
  c->SetText(" =1+ ");
  EXPECT_EQ(c->Text(), "=1+");
  EXPECT_EQ(c->DisplayText(), "1");
  EXPECT_TRUE(c->IsFormula());
  c->SetText("=(1");
  EXPECT_EQ(c->Text(), "=(1");
  EXPECT_EQ(c->DisplayText(), "=(1");
  EXPECT_FALSE(c->IsFormula());
  c->SetText("=sum(1,2)");
  EXPECT_EQ(c->Text(), "=SUM(1,2)");
  c->SetText("=1/0");
  EXPECT_EQ(c->DisplayText(), "Error!");
  EXPECT_EQ(c->Value().AsString(), "Error!");
  EXPECT_TRUE(c->IsFormula());
  // A formula referring to a non-numeric string shows "Error!".
  cells.SetCellText(2, 1, "abc");
  c->SetText("=B1+1");
  EXPECT_EQ(c->DisplayText(), "Error!");
  // Without an evaluator a formula stays text.
  TSpreadSheetCell free(1, 1);
  free.SetText("=1+2");
  EXPECT_FALSE(free.IsFormula());
  EXPECT_EQ(free.DisplayText(), "=1+2");
}

TEST(SheetCell, DataTypesFollowTheLocale) {
  TLocaleGuard it(QLocale(QLocale::Italian, QLocale::Italy));
  TSpreadSheetDataCells cells;
  TSpreadSheetCell* c = cells.GetCell(1, 1, true);
  c->SetDataType(cdtNumber);
  c->SetText("abc");
  EXPECT_TRUE(c->Value().IsNull());
  EXPECT_EQ(c->DisplayText(), "");
  c->SetText("1,5");
  EXPECT_EQ(c->Value().AsNumber(), 1.5);
  EXPECT_EQ(c->DisplayText(), "1,5");
  c->SetText("=10/4");
  EXPECT_EQ(c->DisplayText(), "2,5");
  c->SetText("=10^20");
  EXPECT_EQ(c->DisplayText(), "1E20");
  c->SetText("=0.00001");
  EXPECT_EQ(c->DisplayText(), "1E-5");
  // Text -> Number re-displays but keeps a string value a string.
  TSpreadSheetCell* t = cells.GetCell(2, 1, true);
  t->SetDataType(cdtText);
  t->SetText("007");
  t->SetDataType(cdtNumber);
  EXPECT_EQ(t->DisplayText(), "7");
  EXPECT_EQ(t->Value().Kind(), TCellValue::vkString);
  c->SetDataType(cdtBoolean);
  c->SetText("t");
  EXPECT_EQ(c->DisplayText(), "True");
  c->SetText("no");
  EXPECT_EQ(c->DisplayText(), "False");
  c->SetDataType(cdtDate);
  EXPECT_EQ(c->EditMask(), "!99/99/0000;1;_");
  c->SetText("24/12/2023");
  EXPECT_EQ(c->Value().Kind(), TCellValue::vkDateTime);
  EXPECT_EQ(c->Value().AsNumber(), DateToSerial(QDate(2023, 12, 24)));
  EXPECT_EQ(c->DisplayText(), "24/12/2023");
  c->SetText("31/02/2023");
  EXPECT_EQ(c->DisplayText(), "");
  c->SetDataType(cdtTime);
  EXPECT_EQ(c->EditMask(), "!90.00.00;1;_");
  c->SetText("13:30:15");
  EXPECT_NEAR(c->Value().AsNumber(), (13 * 3600 + 30 * 60 + 15) / 86400.0, 1e-9);
  EXPECT_EQ(c->DisplayText(), "13:30:15");
  c->SetDataType(cdtDateTime);
  c->SetText("01/02/2024 06:00:00");
  EXPECT_DOUBLE_EQ(c->Value().AsNumber(), DateToSerial(QDate(2024, 2, 1)) + 0.25);
  EXPECT_EQ(c->DisplayText(), "01/02/2024 06:00:00");
  c->SetDataType(7);  // leave unchanged
  EXPECT_EQ(c->DataType(), cdtDateTime);
}

TEST(SheetCell, PartialSettersKeepMarkedItems) {
  TSpreadSheetCell c(1, 1);
  c.SetFont({"Courier New", 12, clRed, 1});
  c.SetFont({"", -1, scKeepColor, 16});
  EXPECT_EQ(c.Font(), (TCellFont{"Courier New", 12, clRed, 1}));
  c.SetFont({"", 14, scKeepColor, 16});
  EXPECT_EQ(c.Font().Size, 14);
  c.IncludeStyle(2);
  c.ExcludeStyle(0);
  EXPECT_EQ(c.Font().Style, 4);
  c.SetAlignment(3, 3);
  EXPECT_EQ(c.HAlign(), 3);
  EXPECT_EQ(c.VAlign(), 1);
  c.SetAlignment(4, 2);
  EXPECT_EQ(c.HAlign(), 3);
  EXPECT_EQ(c.VAlign(), 2);
  c.SetBackground(clYellow, scKeepColor, 18);
  EXPECT_EQ(c.BackColor(), clYellow);
  EXPECT_EQ(c.PatternColor(), clGray);
  EXPECT_EQ(c.Pattern(), 0);
  c.SetBackground(scKeepColor, clBlue, 17);
  EXPECT_EQ(c.Pattern(), 17);
  c.SetBorders("lr", 0, 2, clBlue);
  TCellBorder b;
  ASSERT_TRUE(c.GetBorder('L', b));
  EXPECT_EQ(b, (TCellBorder{0, 2, clBlue}));
  ASSERT_TRUE(c.GetBorder('r', b));
  EXPECT_EQ(b.Width, 2);
  ASSERT_TRUE(c.GetBorder('T', b));
  EXPECT_EQ(b.Style, 5);
  b.Width = 99;
  EXPECT_FALSE(c.GetBorder('x', b));
  EXPECT_EQ(b.Width, 99);
  c.SetBorders("B", 6, -1, scKeepColor);
  EXPECT_EQ(c.Border(cbsBottom), TCellBorder());
  c.SetBorders("B", 2, 100000, clRed);
  EXPECT_EQ(c.Border(cbsBottom).Width, CellBorderMaxWidth);
  // Assign copies the format and re-enters the text, not the position.
  c.SetText("hello");
  TSpreadSheetCell d(5, 6);
  d.Assign(&c);
  EXPECT_EQ(d.Col(), 5);
  EXPECT_TRUE(d.HasSameFormat(c));
  EXPECT_EQ(d.DisplayText(), "hello");
}

TEST(SheetCell, RecordRoundTripAndDamage) {
  TSpreadSheetCell c(12, 345);
  c.SetFont({QString::fromUtf8("Times New Roman àè€"), 11, 0x123456, 9});
  c.SetAlignment(2, 0);
  c.SetBackground(0xABCDEF, 0x010203, 13);
  c.SetBorders("LTRB", 3, 4, 0x0000FF);
  c.SetDataType(cdtNumber);
  c.SetText("42");
  c.SetFormatStamp(45000.5);
  QByteArray rec;
  c.WriteTo(rec);
  ASSERT_EQ(rec.size(), 162 + 4 + 4 + 2 + 4 + 2);
  EXPECT_EQ(quint8(rec[8]), 19);  // name length byte
  EXPECT_EQ(quint8(rec[8 + 96]), 3);
  TSpreadSheetCell back(0, 0);
  qsizetype pos = 0;
  back.ReadFrom(rec.constData(), rec.size(), pos);
  EXPECT_EQ(pos, rec.size());
  EXPECT_EQ(back.Col(), 12);
  EXPECT_EQ(back.Row(), 345);
  EXPECT_TRUE(back.HasSameFormat(c));
  EXPECT_EQ(back.Font().Name, QString::fromUtf8("Times New Roman àè€"));
  EXPECT_EQ(back.Text(), "42");
  EXPECT_EQ(back.EditMask(), "");
  EXPECT_EQ(back.FormatStamp(), 45000.5);
  auto damaged = [&](int offset, quint8 value) {
    QByteArray r = rec;
    r[offset] = char(value);
    TSpreadSheetCell x(0, 0);
    qsizetype p = 0;
    EXPECT_THROW(x.ReadFrom(r.constData(), r.size(), p), ECellRecordError) << offset;
  };
  damaged(8, 65);              // font name over 64
  damaged(8 + 92, 18);         // pattern
  damaged(152, 7);             // data type
  damaged(8 + 96, 6);          // border style
  damaged(8 + 100 + 3, 0x40);  // huge border width
  damaged(8 + 80, 4);          // alignment
  damaged(1, 0x10);            // column out of range
  damaged(7, 0x80);            // negative row
  damaged(166 + 2, 0x10);      // text length past the data
  for (qsizetype cut = 0; cut < rec.size(); cut += 7) {
    TSpreadSheetCell x(0, 0);
    qsizetype p = 0;
    EXPECT_THROW(x.ReadFrom(rec.constData(), cut, p), ECellRecordError);
  }
}

// The program's Italian words read in every locale, the locale's own words
// in that locale; other texts keep the first-character rule.
TEST(SheetCell, BooleanWords) {
  struct TCase {
    QLocale locale;
    const char* text;
    bool value;
  };
  const TCase cases[] = {
      {QLocale(QLocale::Italian, QLocale::Italy), "Vero", true},
      {QLocale(QLocale::Italian, QLocale::Italy), "  VERO ", true},
      {QLocale(QLocale::Italian, QLocale::Italy), "Falso", false},
      {QLocale(QLocale::Italian, QLocale::Italy), "True", true},
      {QLocale(QLocale::Italian, QLocale::Italy), "1", true},
      {QLocale(QLocale::Italian, QLocale::Italy), "Verona", false},
      {QLocale(QLocale::English, QLocale::UnitedStates), "vero", true},
      {QLocale(QLocale::English, QLocale::UnitedStates), "FALSE", false},
      {QLocale(QLocale::German, QLocale::Germany), "Wahr", true},
      {QLocale(QLocale::German, QLocale::Germany), "falsch", false},
      {QLocale(QLocale::French, QLocale::France), "Vrai", true},
      {QLocale(QLocale::Finnish, QLocale::Finland), "epätosi", false},
      {QLocale(QLocale::Russian, QLocale::Russia), "Истина", true},
      {QLocale(QLocale::English, QLocale::UnitedStates), "Wahr", false},
  };
  for (const TCase& k : cases) {
    TLocaleGuard g(k.locale);
    TSpreadSheetDataCells cells;
    TSpreadSheetCell* c = cells.GetCell(1, 1, true);
    c->SetDataType(cdtBoolean);
    c->SetText(QString::fromUtf8(k.text));
    EXPECT_EQ(c->Value().AsBoolean(), k.value) << k.text << " in " << k.locale.name().toStdString();
    EXPECT_EQ(c->DisplayText(), k.value ? "True" : "False") << k.text;
    // A General cell holding the word shows it as Boolean once retyped.
    TSpreadSheetCell* g2 = cells.GetCell(2, 1, true);
    g2->SetText(QString::fromUtf8(k.text));
    g2->SetDataType(cdtBoolean);
    EXPECT_EQ(g2->DisplayText(), k.value ? "True" : "False") << k.text;
  }
}

// Numeric dates in each locale's order; two-digit years in 1950..2049; the
// locale's separator or "/"; text that is no date stays Null.
TEST(SheetCell, DatesInEveryLocaleWithASlidingCentury) {
  struct TCase {
    QLocale locale;
    const char* text;
    QDate date;  // invalid: Null
  };
  const QDate xmas(2023, 12, 25);
  const TCase cases[] = {
      {QLocale(QLocale::Italian, QLocale::Italy), "25/12/23", xmas},
      {QLocale(QLocale::Italian, QLocale::Italy), "25/12/2023", xmas},
      {QLocale(QLocale::Italian, QLocale::Italy), "1/2/50", QDate(1950, 2, 1)},
      {QLocale(QLocale::Italian, QLocale::Italy), "1/2/49", QDate(2049, 2, 1)},
      {QLocale(QLocale::Italian, QLocale::Italy), "31/12/99", QDate(1999, 12, 31)},
      {QLocale(QLocale::Italian, QLocale::Italy), "00/00/2023", QDate()},
      {QLocale(QLocale::Italian, QLocale::Italy), "29/02/2023", QDate()},
      {QLocale(QLocale::English, QLocale::UnitedStates), "12/25/23", xmas},
      {QLocale(QLocale::English, QLocale::UnitedStates), "25/12/2023", QDate()},
      {QLocale(QLocale::German, QLocale::Germany), "25.12.23", xmas},
      {QLocale(QLocale::German, QLocale::Germany), "25/12/2023", xmas},
      {QLocale(QLocale::Japanese, QLocale::Japan), "2023/12/25", xmas},
      {QLocale(QLocale::Japanese, QLocale::Japan), "12/25/2023", xmas},
      {QLocale::c(), "25/12/2023", xmas},
      {QLocale::c(), "2023-12-25", xmas},
      {QLocale::c(), "25 Dec 2023", xmas},
      {QLocale::c(), "25/12", QDate()},
      {QLocale::c(), "1.5", QDate()},
  };
  for (const TCase& k : cases) {
    TLocaleGuard g(k.locale);
    const TCellValue v = TextToCellValue(QString::fromLatin1(k.text), cdtDate);
    const std::string where = k.locale.name().toStdString() + " " + k.text;
    if (!k.date.isValid()) {
      EXPECT_TRUE(v.IsNull()) << where;
      continue;
    }
    ASSERT_EQ(v.Kind(), TCellValue::vkDateTime) << where;
    EXPECT_EQ(v.AsNumber(), DateToSerial(k.date)) << where;
    // The display text reads back as the same date, year and all.
    const QString shown = CellValueToText(v, cdtDate);
    EXPECT_EQ(TextToCellValue(shown, cdtDate), v) << where << " shown " << shown.toStdString();
    EXPECT_EQ(TextToCellValue(CellEditText(v, cdtDate), cdtDate), v) << where;
  }
  TLocaleGuard de(QLocale(QLocale::German, QLocale::Germany));
  EXPECT_EQ(LocaleDateSeparator(QLocale()), ".");
  EXPECT_EQ(CellEditText(TCellValue::DateTime(DateToSerial(xmas) + 0.5), cdtDateTime), "25.12.2023 12.00.00");
  EXPECT_EQ(LocaleDateSeparator(QLocale::c()), "/");
}
