// The compact record store: every value comes back as it went in (type,
// blank, spelling), whatever its field type, through inserts, changes,
// deletions and reordering.
#include <gtest/gtest.h>

#include <QDateTime>
#include <QTimeZone>

#include <Tarnwell/database/DBFilter.h>
#include <Tarnwell/database/DBRowStore.h>
#include <Tarnwell/database/MemoTab.h>

using namespace Tarnwell;

namespace {

// Same type, same blank-ness and same value; moments also the same zone
// kind and wall clock.
void ExpectSame(const QVariant& got, const QVariant& want, const char* what) {
  SCOPED_TRACE(what);
  EXPECT_EQ(got.isValid(), want.isValid());
  EXPECT_EQ(got.isNull(), want.isNull());
  EXPECT_EQ(got.metaType(), want.metaType());
  if (want.metaType().id() == QMetaType::QDateTime) {
    const QDateTime a = got.toDateTime(), b = want.toDateTime();
    EXPECT_EQ(a.timeSpec(), b.timeSpec());
    EXPECT_EQ(a.offsetFromUtc(), b.offsetFromUtc());
    EXPECT_EQ(a.date(), b.date());
    EXPECT_EQ(a.time(), b.time());
    EXPECT_EQ(a.toMSecsSinceEpoch(), b.toMSecsSinceEpoch());
  } else if (want.metaType().id() == QMetaType::QString) {
    EXPECT_EQ(got.toString().isNull(), want.toString().isNull());
    EXPECT_EQ(got.toString(), want.toString());
  } else if (want.metaType().id() == QMetaType::QByteArray) {
    EXPECT_EQ(got.toByteArray().isNull(), want.toByteArray().isNull());
    EXPECT_EQ(got.toByteArray(), want.toByteArray());
  } else {
    EXPECT_TRUE(got == want) << got.toString().toStdString() << " / " << want.toString().toStdString();
  }
}

TRecord Rec(quint64 serial, QList<QVariant> values) {
  TRecord r;
  r.Serial = serial;
  r.Values = std::move(values);
  return r;
}

TEST(RowStore, EveryKindOfValueComesBackExactly) {
  const QByteArray zone = qgetenv("TZ");
  qputenv("TZ", "Europe/Rome");
  const std::vector<TFieldType> types = {ftInteger, ftFloat,  ftBoolean, ftDate, ftTime,   ftDateTime,
                                         ftString,  ftMemo,   ftBCD,     ftBlob, ftUnknown, ftDateTime};
  TRowStore s;
  s.SetLayout(types);
  const QString wide = QString::fromUtf8("Città 東京 \xF0\x9F\x98\x80");  // beyond Latin-1, a surrogate pair
  QString lone = QStringLiteral("a");
  lone.append(QChar(0xD800));  // an unpaired surrogate survives too
  const QByteArray bytes("\x00\x01\xff PNG", 8);
  const QDateTime inGap(QDate(2024, 3, 31), QTime(2, 30));                                   // the spring gap
  const QDateTime repeated = QDateTime::fromMSecsSinceEpoch(1729990800000 + 1800000, Qt::LocalTime);  // 02:30 the second time
  const std::vector<QList<QVariant>> rows = {
      {qint64(-9007199254740993LL), 1234.5, true, QDate(2000, 9, 25), QTime(23, 59, 59, 999),
       QDateTime(QDate(2000, 9, 25), QTime(10, 30), Qt::OffsetFromUTC, 7200), QStringLiteral("Rossi"), wide,
       QStringLiteral("-12345678901234.5678"), bytes, QVariant(QPointF(1, 2)),
       QDateTime(QDate(1999, 12, 31), QTime(23, 0), Qt::UTC)},
      // blanks, empty texts and blobs, null texts
      {QVariant(), QVariant(), false, QVariant(), QTime(0, 0), inGap, QString(""), QString(), QVariant(),
       QByteArray(""), QVariant(), QByteArray()},
      // values of another kind than the field's: kept whole
      {QStringLiteral("abc"), QStringLiteral("12,5"), qint64(1), QStringLiteral("infinity"),
       QStringLiteral("24:00:00"), QDate(2020, 1, 1), qint64(7), lone, 3.25, QStringLiteral("text"),
       QVariant(QMetaType::fromType<QString>()), repeated},
      // invalid values and a zoned moment
      {int(5), QVariant(float(1.5f)), QVariant(), QDate(), QTime(), QDateTime(),
       QString(QChar(0xFEFF)) + "bom", QString(QChar(0)) + "nul", QString(), QByteArray(3000000, 'x'), QVariant(),
       QDateTime(QDate(2024, 6, 1), QTime(12, 0), QTimeZone("America/New_York"))},
  };
  for (size_t i = 0; i < rows.size(); ++i) s.Append(Rec(100 + i, rows[i]));
  ASSERT_EQ(s.size(), int(rows.size()));
  for (size_t i = 0; i < rows.size(); ++i) {
    EXPECT_EQ(s.Serial(int(i)), 100 + i);
    const TRecord back = s.Record(int(i));
    ASSERT_EQ(back.Values.size(), int(types.size()));
    for (int c = 0; c < int(types.size()); ++c) {
      const std::string what = "row " + std::to_string(i) + " slot " + std::to_string(c);
      ExpectSame(s.Value(int(i), c), rows[i][c], what.c_str());
      ExpectSame(back.Values[c], rows[i][c], what.c_str());
      EXPECT_EQ(s.IsNull(int(i), c), rows[i][c].isNull()) << what;
    }
  }
  // A record shorter than the layout has blanks beyond its values.
  s.Append(Rec(200, {qint64(1)}));
  EXPECT_TRUE(s.IsNull(s.size() - 1, 5));
  EXPECT_FALSE(s.Value(s.size() - 1, 5).isValid());
  if (zone.isEmpty())
    qunsetenv("TZ");
  else
    qputenv("TZ", zone);
}

TEST(RowStore, RowsMoveAndChangeWithTheirSerials) {
  TRowStore s;
  s.SetLayout({ftInteger, ftString, ftUnknown});
  for (int i = 0; i < 5; ++i) s.Append(Rec(quint64(i + 1), {qint64(i), QString::number(i), QVariant(QSizeF(i, i))}));
  s.Insert(0, Rec(10, {qint64(10), QStringLiteral("dieci"), QVariant()}));
  s.Erase(3);  // the former serial 3
  s.Assign(1, Rec(1, {qint64(11), QString(300, QChar(0x263A)), QVariant(QSizeF(9, 9))}));
  EXPECT_EQ(s.FindSerial(3), -1);
  EXPECT_EQ(s.FindSerial(10), 0);
  EXPECT_EQ(s.FindSerial(5), 4);
  std::vector<int> order = {4, 3, 2, 1, 0};
  s.Reorder(order);
  QList<quint64> serials;
  for (int i = 0; i < s.size(); ++i) serials << s.Serial(i);
  EXPECT_EQ(serials, (QList<quint64>{5, 4, 2, 1, 10}));
  EXPECT_EQ(s.Value(3, 1).toString(), QString(300, QChar(0x263A)));
  EXPECT_EQ(s.Value(3, 2).toSizeF(), QSizeF(9, 9));
  EXPECT_EQ(s.Value(1, 2).toSizeF(), QSizeF(3, 3));
  TRecord reused;
  s.Unpack(0, reused);
  s.Unpack(4, reused);
  EXPECT_EQ(reused.Serial, 10u);
  EXPECT_EQ(reused.Values[1].toString(), QStringLiteral("dieci"));
  // A typical row of movements costs far less than a value object per field.
  TRowStore m;
  m.SetLayout({ftInteger, ftDateTime, ftInteger, ftString, ftString, ftInteger, ftFloat, ftInteger, ftString,
               ftInteger});
  for (int i = 0; i < 1000; ++i)
    m.Append(Rec(quint64(i),
                 {qint64(i), QDateTime(QDate(2024, 3, 1), QTime(9, 0), Qt::OffsetFromUTC, 3600), qint64(1001),
                  QStringLiteral("ART0042"), QStringLiteral("Vendita banco"), qint64(3), 12.5, qint64(7),
                  QStringLiteral("ORG"), qint64(1000)}));
  EXPECT_LT(m.Bytes() / 1000, 160u);
  m.clear();
  EXPECT_TRUE(m.empty());
}

// Filters and Locate compare texts where the store keeps them: the answers
// are those of the same values read out into a record.
TEST(RowStore, TextsComparedInPlaceAnswerAsReadOut) {
  TRowStore s;
  s.SetLayout({ftString, ftInteger});
  const QList<QVariant> texts = {QStringLiteral("Rossi"), QStringLiteral("rossi"), QStringLiteral("Rossetti"),
                                 QString::fromUtf8("Città"), QString::fromUtf8("CITTÀ di 東京"), QString(""),
                                 QStringLiteral("ROSSI*"), QVariant(), QStringLiteral("Zeta")};
  for (int i = 0; i < texts.size(); ++i) s.Append(Rec(quint64(i), {texts[i], qint64(i)}));
  auto resolve = [](const QString& name, int& slot, TFieldType& type) {
    slot = name == "NOME" ? 0 : 1;
    type = slot == 0 ? ftString : ftInteger;
    return name == "NOME" || name == "N";
  };
  for (const char* f : {"NOME = 'Rossi'", "NOME = 'ross*'", "NOME <> 'Ross*'", "NOME < 'Rossi'",
                        "NOME >= 'città'", "NOME = 'CITTÀ di 東京'", "NOME = 'città*'", "NOME = ''",
                        "NOME > 'ROSSI*' AND N < 8"}) {
    const auto expr = TFilterExpr::Compile(QString::fromUtf8(f), resolve);
    for (int mode = 0; mode < 4; ++mode)
      for (int i = 0; i < s.size(); ++i)
        EXPECT_EQ(expr->Evaluate(TRecordRef(s, i), mode & 1, mode & 2),
                  expr->Evaluate(s.Record(i).Values, mode & 1, mode & 2))
            << f << " mode " << mode << " row " << i;
  }
  TMemoTable t;
  t.FieldDefs().Add("NOME", ftString, 20);
  t.Open();
  for (const QVariant& v : texts) {
    t.Append();
    t.FieldByName("NOME")->SetValue(v);
    t.Post();
  }
  EXPECT_TRUE(t.Locate("NOME", QString::fromUtf8("città di"), loCaseInsensitive | loPartialKey));
  EXPECT_EQ(t.RecNo(), 5);
  EXPECT_TRUE(t.Locate("NOME", "rossi", 0));
  EXPECT_EQ(t.RecNo(), 2);
  EXPECT_FALSE(t.Locate("NOME", "ROSSI", 0));
  EXPECT_TRUE(t.Locate("NOME", "ROSSI", loCaseInsensitive));
  EXPECT_EQ(t.RecNo(), 1);
}

// The memory table keeps its records in the same store: values typed in,
// sorted and filtered come back unchanged.
TEST(RowStore, MemoryTableKeepsExactValues) {
  TMemoTable t;
  t.FieldDefs().Add("N", ftInteger);
  t.FieldDefs().Add("IMPORTO", ftBCD, 4);
  t.FieldDefs().Add("QUANDO", ftDateTime);
  t.FieldDefs().Add("NOTE", ftMemo);
  t.Open();
  const QDateTime when(QDate(2024, 10, 27), QTime(1, 30), Qt::OffsetFromUTC, 7200);
  for (int i = 3; i >= 1; --i) {
    t.Append();
    t.FieldByName("N")->SetValue(i);
    t.FieldByName("IMPORTO")->SetValue(QStringLiteral("12345678901234.567%1").arg(i));
    t.FieldByName("QUANDO")->SetValue(when.addSecs(i));
    if (i != 2) t.FieldByName("NOTE")->SetValue(QString::fromUtf8("riga ∑ %1").arg(i));
    t.Post();
  }
  t.SortOnField("N", false);
  t.First();
  EXPECT_EQ(t.FieldByName("N")->AsInteger(), 1);
  EXPECT_EQ(t.FieldByName("IMPORTO")->Value().toString(), QStringLiteral("12345678901234.5671"));
  EXPECT_EQ(t.FieldByName("QUANDO")->Value().toDateTime(), when.addSecs(1));
  EXPECT_EQ(t.FieldByName("QUANDO")->Value().toDateTime().offsetFromUtc(), 7200);
  EXPECT_EQ(t.FieldByName("NOTE")->Value().toString(), QString::fromUtf8("riga ∑ 1"));
  t.Next();
  EXPECT_TRUE(t.FieldByName("NOTE")->Value().isNull());
  t.setFilter("N >= 2");
  t.setFiltered(true);
  EXPECT_EQ(t.RecordCount(), 2);
  t.Last();
  t.Edit();
  t.FieldByName("NOTE")->Clear();
  t.Post();
  EXPECT_TRUE(t.FieldByName("NOTE")->Value().isNull());
  EXPECT_EQ(t.FieldByName("IMPORTO")->Value().toString(), QStringLiteral("12345678901234.5673"));
}

}  // namespace
