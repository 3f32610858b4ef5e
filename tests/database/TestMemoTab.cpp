// The memory table.
#include <gtest/gtest.h>

#include <QLocale>

#include <Tarnwell/database/MemoTab.h>

using namespace Tarnwell;

namespace {

class MemoTab : public ::testing::Test {
 protected:
  void SetUp() override {
    QLocale::setDefault(QLocale(QLocale::Italian, QLocale::Italy));
    t.FieldDefs().Add("NOME", ftString, 20);
    t.FieldDefs().Add("VALORE", ftInteger);
    t.FieldDefs().Add("DATA", ftDate);
    t.Open();
  }
  void Add(const QVariant& nome, const QVariant& valore, const QVariant& data = {}) {
    t.Append();
    t.FieldByName("NOME")->SetValue(nome);
    t.FieldByName("VALORE")->SetValue(valore);
    t.FieldByName("DATA")->SetValue(data);
    t.Post();
  }
  QStringList Names() {
    QStringList r;
    for (t.First(); !t.Eof(); t.Next()) r << t.FieldByName("NOME")->AsString();
    return r;
  }
  TMemoTable t;
};

TEST_F(MemoTab, ClosingDiscardsRecords) {
  Add("a", 1);
  Add("b", 2);
  Add("c", 3);
  EXPECT_EQ(t.RecordCount(), 3);
  t.Close();
  t.Open();
  EXPECT_EQ(t.RecordCount(), 0);
  EXPECT_TRUE(t.IsEmpty());
  EXPECT_EQ(t.RecNo(), -1);
}

TEST_F(MemoTab, InsertGoesAtTheCursor) {
  t.Insert();
  t.FieldByName("NOME")->SetAsString("primo");
  t.Post();
  EXPECT_EQ(Names(), QStringList{"primo"});
  Add("secondo", 2);
  Add("terzo", 3);
  t.SetRecNo(2);
  t.Insert();
  EXPECT_EQ(t.RecNo(), -1);  // a new record has no number yet
  t.FieldByName("NOME")->SetAsString("nuovo");
  t.Post();
  EXPECT_EQ(t.RecNo(), 2);
  EXPECT_EQ(Names(), QStringList({"primo", "nuovo", "secondo", "terzo"}));
  t.SetRecNo(9);  // outside 1..count: stays
  EXPECT_EQ(t.RecNo(), 4);
  t.SetRecNo(-3);
  EXPECT_EQ(t.RecNo(), 4);
  // Deleting keeps the cursor on the record that took the place.
  t.SetRecNo(2);
  t.Delete();
  EXPECT_EQ(t.FieldByName("NOME")->AsString(), "secondo");
  EXPECT_EQ(t.RecordCount(), 3);
}

TEST_F(MemoTab, OneConditionFilter) {
  Add("alfa", 5);
  Add("beta", 10);
  Add("a<>b", 15);
  Add("gamma", 20);
  Add("vuoto", QVariant());
  t.setFilter("VALORE >= 10");
  t.setFiltered(true);
  EXPECT_EQ(Names(), QStringList({"beta", "a<>b", "gamma"}));
  EXPECT_EQ(t.RecordCount(), 3);
  t.Last();
  EXPECT_EQ(t.RecNo(), 3);  // numbers count accepted records only
  t.setFilter("NOME = 'beta'");
  EXPECT_EQ(Names(), QStringList{"beta"});
  t.setFilter("NOME='a<>b'");  // the operator inside the quotes is part of the value
  EXPECT_EQ(Names(), QStringList{"a<>b"});
  t.setFilter("NOME <> alfa");  // "<>" wins over "="
  EXPECT_EQ(Names(), QStringList({"beta", "a<>b", "gamma", "vuoto"}));
  // A bad text raises and keeps the previous condition.
  EXPECT_THROW(t.SetFilter("COGNOME = 'x'"), EDatabaseError);
  EXPECT_THROW(t.SetFilter("VALORE > dieci"), EDatabaseError);
  EXPECT_THROW(t.SetFilter("VALORE"), EDatabaseError);
  EXPECT_EQ(t.Filter(), "NOME <> alfa");
  EXPECT_EQ(t.RecordCount(), 4);
  t.setFiltered(false);
  EXPECT_EQ(t.RecordCount(), 5);

  // A text naming no field cannot switch filtering on.
  TMemoTable m;
  m.FieldDefs().Add("A", ftInteger);
  m.setFilter("B = 1");  // closed: only stored
  m.Open();
  EXPECT_THROW(m.SetFiltered(true), EDatabaseError);
  EXPECT_FALSE(m.Filtered());
  // Closed, the same refusal comes at once: the table still opens afterwards.
  m.Close();
  EXPECT_THROW(m.SetFiltered(true), EDatabaseError);
  EXPECT_FALSE(m.Filtered());
  EXPECT_NO_THROW(m.Open());
  // Open and not filtering, an unfinished text is kept for later.
  EXPECT_NO_THROW(m.setFilter("A >"));
  EXPECT_EQ(m.Filter(), "A >");
  EXPECT_THROW(m.SetFiltered(true), EDatabaseError);
  m.setFilter("A > 0");
  m.setFiltered(true);
  EXPECT_TRUE(m.Filtered());
}

TEST_F(MemoTab, FilteredNumbersFollowEdits) {
  Add("alfa", 5);
  Add("beta", 10);
  Add("a<>b", 15);
  Add("gamma", 20);
  t.setFilter("VALORE >= 10");
  t.setFiltered(true);
  EXPECT_EQ(t.RecordCount(), 3);
  // Posting a value the filter refuses, and deleting, renumber the rest.
  t.SetRecNo(1);
  t.Edit();
  t.FieldByName("VALORE")->SetAsInteger(1);
  t.Post();
  EXPECT_EQ(t.RecordCount(), 2);
  t.SetRecNo(2);
  EXPECT_EQ(t.FieldByName("NOME")->AsString(), "gamma");
  EXPECT_EQ(t.RecNo(), 2);
  t.Delete();
  EXPECT_EQ(t.RecordCount(), 1);
  EXPECT_EQ(t.RecNo(), 1);
  t.Insert();
  t.FieldByName("NOME")->SetAsString("beta");
  t.FieldByName("VALORE")->SetAsInteger(10);
  t.Post();
  t.Append();
  t.FieldByName("NOME")->SetAsString("gamma");
  t.FieldByName("VALORE")->SetAsInteger(20);
  t.Post();
  EXPECT_EQ(t.RecNo(), 3);
  EXPECT_EQ(t.RecordCount(), 3);
  // A filter consulting OnFilterRecord is evaluated afresh every time.
  int limit = 15;
  t.OnFilterRecord = [&](TDataSet* ds, bool& accept) {
    accept = ds->FieldByName("VALORE")->AsInteger() <= limit;
  };
  EXPECT_EQ(t.RecordCount(), 2);
  limit = 100;
  EXPECT_EQ(t.RecordCount(), 3);
}

TEST_F(MemoTab, StableSortWithNulls) {
  Add("c", 2);
  Add("a", QVariant());
  Add("Bruno", 1);
  Add("b", 2);
  Add("àncora", 3);
  Add(QVariant(), 2);
  int sorted = 0;
  t.AfterSort = [&](TObject*) { ++sorted; };
  t.SetRecNo(2);
  t.SortOnField("valore", false);
  EXPECT_EQ(sorted, 1);
  EXPECT_EQ(t.RecNo(), 2);  // same position, another record
  EXPECT_EQ(t.FieldByName("NOME")->AsString(), "Bruno");
  EXPECT_EQ(Names(), QStringList({"a", "Bruno", "c", "b", "", "àncora"}));  // equal values keep their order
  bool desc = true;
  EXPECT_EQ(t.SortPosition("VALORE", desc), 0);
  EXPECT_FALSE(desc);
  EXPECT_EQ(t.SortPosition("NOME", desc), -1);
  t.SortOnField("VALORE", true);
  EXPECT_EQ(Names(), QStringList({"àncora", "c", "b", "", "Bruno", "a"}));
  EXPECT_EQ(t.SortPosition("VALORE", desc), 0);
  EXPECT_TRUE(desc);
  // Text sorts case- and accent-insensitively; blanks first.
  t.SortOnField("NOME", false);
  EXPECT_EQ(Names(), QStringList({"", "a", "àncora", "b", "Bruno", "c"}));
  // A failed sort keeps the order and every record.
  EXPECT_THROW(t.SortOnField("MANCA", false), EDatabaseError);
  EXPECT_EQ(Names(), QStringList({"", "a", "àncora", "b", "Bruno", "c"}));
  EXPECT_EQ(t.SortField(), "NOME");
  t.ClearSort();
  EXPECT_EQ(t.SortPosition("NOME", desc), -1);
  EXPECT_EQ(Names(), QStringList({"", "a", "àncora", "b", "Bruno", "c"}));
}

TEST_F(MemoTab, LocateBookmarksAndDates) {
  Add("Rossi Mario", 1, QDate(2000, 9, 24));
  Add("Bianchi", 2, QDate(2000, 9, 25));
  Add("rossetti", 3, QDate(2024, 3, 15));
  EXPECT_TRUE(t.Locate("NOME", "ROSS", loPartialKey | loCaseInsensitive));
  EXPECT_EQ(t.RecNo(), 1);
  EXPECT_FALSE(t.Locate("NOME", "ROSS", loPartialKey));
  EXPECT_EQ(t.RecNo(), 1);
  EXPECT_TRUE(t.Locate("NOME;VALORE", QVariantList{"rossetti", 3}, 0));
  EXPECT_EQ(t.RecNo(), 3);
  EXPECT_TRUE(t.Locate("DATA", "25/09/2000", 0));
  EXPECT_EQ(t.RecNo(), 2);
  // Dates order as dates, not as their text.
  t.setFilter("DATA < '15/03/2024'");
  t.setFiltered(true);
  EXPECT_EQ(t.RecordCount(), 2);
  t.setFiltered(false);

  t.SetRecNo(2);
  TBookmark bm = t.GetBookmark();
  t.First();
  t.GotoBookmark(bm);
  EXPECT_EQ(t.FieldByName("NOME")->AsString(), "Bianchi");
  t.SortOnField("NOME", false);
  t.GotoBookmark(bm);  // the bookmark follows its record through a sort
  EXPECT_EQ(t.FieldByName("NOME")->AsString(), "Bianchi");
  t.Delete();
  EXPECT_FALSE(t.BookmarkValid(bm));
  EXPECT_THROW(t.GotoBookmark(bm), EDatabaseError);
  EXPECT_THROW(t.GotoBookmark(QByteArray("junk")), EDatabaseError);
}

TEST_F(MemoTab, FieldsGuardTheirValues) {
  Add("a", 1);
  t.Edit();
  t.FieldByName("VALORE")->setReadOnly(true);
  EXPECT_THROW(t.FieldByName("VALORE")->SetAsInteger(5), EDatabaseError);
  EXPECT_THROW(t.FieldByName("NOME")->SetAsString(QString(21, 'x')), EDatabaseError);
  EXPECT_THROW(t.FieldByName("DATA")->SetAsString("31/02/2000"), EDatabaseError);
  EXPECT_EQ(t.FieldByName("VALORE")->AsInteger(), 1);
  t.Cancel();
  EXPECT_THROW(t.FieldByName("NOME")->SetAsString("b"), EDatabaseError);  // browsing
}

TEST(MemoTable, PersistentFieldsRebuildAndCalculatedFields) {
  TMemoTable t;
  EXPECT_THROW(t.Open(), EDatabaseError);  // no fields
  EXPECT_FALSE(t.Active());
  t.CreateField("QTA", ftInteger);
  t.CreateField("PREZZO", ftFloat);
  t.CreateField("TOTALE", ftFloat, 0, fkCalculated);
  t.OnCalcFields = [](TDataSet* ds) {
    ds->FieldByName("TOTALE")->SetAsFloat(ds->FieldByName("QTA")->AsFloat() *
                                          ds->FieldByName("PREZZO")->AsFloat());
  };
  t.Open();
  EXPECT_EQ(t.FieldDefs().Names(), QStringList({"QTA", "PREZZO"}));
  t.Append();
  t.FieldByName("QTA")->SetAsInteger(3);
  t.FieldByName("PREZZO")->SetAsFloat(2.5);
  EXPECT_DOUBLE_EQ(t.FieldByName("TOTALE")->AsFloat(), 7.5);
  t.Post();
  EXPECT_DOUBLE_EQ(t.FieldByName("TOTALE")->AsFloat(), 7.5);
  t.Close();

  // What the spreadsheet does: new definitions, default fields again.
  t.FieldDefs().Clear();
  t.FieldDefs().Add("Row", ftInteger);
  t.FieldDefs().Add("A", ftFloat);
  t.RebuildFields();
  t.Open();
  EXPECT_EQ(t.FieldNames(), QStringList({"Row", "A"}));
  t.Append();
  t.FieldByName("Row")->SetAsInteger(1);
  t.Post();
  EXPECT_EQ(t.RecordCount(), 1);
  EXPECT_THROW(t.RebuildFields(), EDatabaseError);  // open
}

}  // namespace
