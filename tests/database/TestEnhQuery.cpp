// The enhanced query on both engines: SQL assembly, date markers, prompts
// answered through the real window, values that must never become SQL,
// links between queries, sorting and counting; the fixed query's raw fields.
#include <gtest/gtest.h>

#include <QComboBox>
#include <QLocale>
#include <QProcess>
#include <QPushButton>
#include <QTableWidget>
#include <QTest>

#include <Tarnwell/database/EnhQuery.h>
#include <Tarnwell/database/FQryParm.h>
#include <Tarnwell/database/DBEngine.h>
#include <Tarnwell/platform/TDialogs.h>
#include <Tarnwell/database/EnhQuery_p.h>
#include "DbTestUtil.h"

using namespace Tarnwell;

namespace {

// Answers the prompt window: the handler fills it and says whether to confirm.
struct TPromptAnswers {
  TRecordingDialogs Dialogs;
  int Shown = 0;
  std::function<bool(TFormQueryParms&)> Answer;
  TPromptAnswers() {
    InstallQueryPromptWindow();
    Dialogs.OnModal = [this](QDialog& d) {
      ++Shown;
      auto* f = qobject_cast<TFormQueryParms*>(&d);
      if (!f || !Answer) return int(QDialog::Rejected);
      return Answer(*f) ? int(QDialog::Accepted) : int(QDialog::Rejected);
    };
  }
};

// Fixes the markers' clock for a test.
struct TFixedClock {
  explicit TFixedClock(const QDateTime& at) {
    SetEnhQueryClock([at] { return at; });
  }
  ~TFixedClock() { SetEnhQueryClock({}); }
};

QString GnuDate(const QString& expr) {
  QProcess p;
  p.start("date", {"-d", expr, "+%Y-%m-%d"});
  p.waitForFinished(5000);
  return QString::fromUtf8(p.readAllStandardOutput()).trimmed();
}

class EnhQueryTest : public EngineTest {
 protected:
  // How the engine spells a name in capitals that the text leaves bare.
  QString N(const QString& name) const { return Pg() ? '"' + name + '"' : name; }
  void Ostili() {
    Exec(Alias(), "DROP TABLE IF EXISTS \"OSTILI\"");
    Exec(Alias(), "CREATE TABLE \"OSTILI\" (\"ID\" INTEGER PRIMARY KEY, \"NOME\" VARCHAR(200))");
    Exec(Alias(), "INSERT INTO \"OSTILI\" VALUES (1, 'Rossi'), (2, 'O''Brien'), (3, 'x'' OR ''1''=''1')");
  }
  QObject mOwner;
};

// ---------------------------------------------------------------------------
// Assembly

TEST_P(EnhQueryTest, AssemblesClauseListsLineByLine) {
  TEnhQuery q(&mOwner);
  q.setDatabaseName(Alias());
  q.setZFrom({" clienti "});
  EXPECT_EQ(q.SQL(), QStringList({"SELECT *", "FROM " + N("CLIENTI")}));
  EXPECT_EQ(q.ZFrom(), QStringList({"CLIENTI"}));

  // Leading, doubled and trailing operator lines go.
  q.setZWhere({"[OR]", "CODCLI > 1", "[AND]", "[OR]", "CODCLI < 5", "[AND]"});
  EXPECT_EQ(q.SQL(), QStringList({"SELECT *", "FROM " + N("CLIENTI"), "WHERE (", "  " + N("CODCLI") + " > 1",
                                  "   ) AND (", "  " + N("CODCLI") + " < 5", ")"}));
  // Two conditions in a row are joined by WhereBoolOp.
  q.setWhereBoolOp("or");
  q.setWhereBoolOp("1=1 OR");  // refused
  EXPECT_EQ(q.WhereBoolOp(), "OR");
  q.setZWhere({"CODCLI > 1", "CODCLI < 5"});
  EXPECT_EQ(q.SQL()[3], "  " + N("CODCLI") + " > 1 OR");
  q.setZSelect({"CODCLI", "", " CITTA "});
  q.setZGroupBy({"codcli", "citta"});
  q.setZOrderBy({"citta desc"});
  EXPECT_EQ(q.SQL()[0], "SELECT " + N("CODCLI") + ", " + N("CITTA"));
  EXPECT_EQ(q.SQL().mid(q.SQL().size() - 2),
            QStringList({"GROUP BY " + N("CODCLI") + ", " + N("CITTA"), "ORDER BY " + N("CITTA") + " DESC"}));
  q.Open();
  EXPECT_EQ(q.FieldCount(), 2);
  EXPECT_EQ(q.RecordCount(), TDemoDb::Outside(GetParam(),
                                              "SELECT count(*) FROM (SELECT \"CODCLI\" FROM \"CLIENTI\" WHERE "
                                              "\"CODCLI\" > 1 OR \"CODCLI\" < 5 GROUP BY \"CODCLI\", \"CITTA\") t")
                                 .toInt());
}

TEST_P(EnhQueryTest, QuotedNamesKeepTheirCase) {
  TEnhQuery q(&mOwner);
  q.setDatabaseName(Alias());
  q.setZFrom({"\"Righe Ordine\" r"});
  q.setZOrderBy({"r.\"RIGA\" desc"});
  EXPECT_EQ(q.SQL(), QStringList({"SELECT *", "FROM \"Righe Ordine\" R", "ORDER BY R.\"RIGA\" DESC"}));
  ASSERT_TRUE(q.Rebuild(true)) << q.LastError().toStdString();
  EXPECT_TRUE(q.Active());
  // A title click on a name in mixed case keeps it exact.
  TEnhQuery m(&mOwner);
  m.setDatabaseName(Alias());
  m.setZFrom({"MOVIMENTI"});
  m.ToggleSort("Tipo");
  EXPECT_EQ(m.ZOrderBy(), QStringList({"\"Tipo\""}));
  ASSERT_TRUE(m.Rebuild(true)) << m.LastError().toStdString();
}

TEST_P(EnhQueryTest, DateMarkersAreIsoInQuotesAndSurviveTheRebuild) {
  TFixedClock clock(QDateTime(QDate(2024, 3, 15), QTime(10, 30, 0)));
  TEnhQuery q(&mOwner);
  q.setDatabaseName(Alias());
  q.setZFrom({"ORDINI"});
  const QStringList where = {"DATAORD >= [DATA DI IERI]", "DATAORD <= '[GIORNO  ATTUALE]'"};
  q.setZWhere(where);
  ASSERT_TRUE(q.Rebuild(true)) << q.LastError().toStdString();
  EXPECT_EQ(q.SQL()[3], "  " + N("DATAORD") + " >= '2024-03-14' AND");
  EXPECT_EQ(q.SQL()[4], "  " + N("DATAORD") + " <= '2024-03-15'");
  EXPECT_EQ(q.ZWhere(), where);
  EXPECT_EQ(q.RecordCount(),
            TDemoDb::Outside(GetParam(), "SELECT count(*) FROM \"ORDINI\" WHERE \"DATAORD\" BETWEEN '2024-03-14' "
                                         "AND '2024-03-15'")
                .toInt());
}

TEST(EnhQueryMarkers, MonthAndYearEndsGiveTheSameTextInEveryLocale) {
  const QList<QDateTime> moments = {QDateTime(QDate(2024, 3, 1), QTime(0, 0, 1)),
                                    QDateTime(QDate(2025, 1, 1), QTime(23, 59, 59)),
                                    QDateTime(QDate(2024, 12, 31), QTime(12, 0)),
                                    QDateTime(QDate(2023, 3, 1), QTime(8, 0))};
  for (const QLocale& loc : {QLocale(QLocale::Italian, QLocale::Italy), QLocale(QLocale::English, QLocale::UnitedStates),
                             QLocale::c()}) {
    QLocale::setDefault(loc);
    for (const QDateTime& at : moments) {
      TFixedClock clock(at);
      TEnhQuery q;
      const QString d = at.date().toString(Qt::ISODate);
      EXPECT_EQ(q.MarkerValue(TEnhQuery::kToday, at), GnuDate(d));
      EXPECT_EQ(q.MarkerValue(TEnhQuery::kYesterday, at), GnuDate(d + " -1 day"));
      EXPECT_EQ(q.MarkerValue(TEnhQuery::kMonthStart, at), GnuDate(at.date().toString("yyyy-MM-01")));
      EXPECT_EQ(q.MarkerValue(TEnhQuery::kYearStart, at), GnuDate(at.date().toString("yyyy-01-01")));
      EXPECT_EQ(q.MarkerValue(TEnhQuery::kDefFrom, at), GnuDate(d + " -1 day") + " 00:00:00");
      EXPECT_EQ(q.MarkerValue(TEnhQuery::kDefTo, at), GnuDate(d + " +1 day") + " 00:00:00");
      EXPECT_EQ(q.MarkerValue(TEnhQuery::kNow, at), d + at.time().toString(" HH:mm:ss"));
    }
  }
  QLocale::setDefault(QLocale(QLocale::Italian, QLocale::Italy));
}

// ---------------------------------------------------------------------------
// Prompts

TEST_P(EnhQueryTest, PromptWindowAnswersAreBoundAndItsFixedCellsCannotChange) {
  TPromptAnswers answers;
  QString seenField, seenLabel;
  bool fixedCells = true;
  answers.Answer = [&](TFormQueryParms& f) {
    EXPECT_EQ(f.windowTitle(), "Parametri Query");
    EXPECT_EQ(f.RowCount(), 2);
    seenField = f.Field(0);
    seenLabel = f.TypeLabel(1);
    for (int c : {0, 3}) fixedCells &= !(f.Grid()->item(0, c)->flags() & Qt::ItemIsEditable);
    EXPECT_NE(f.Picker(1), nullptr);  // the date row has its picker
    f.SetOperator(0, "= 1 OR 1=1 --");  // not in the list: refused
    f.SetValue(0, "3");
    f.SetValue(1, "2024-01-31");
    return true;
  };
  TEnhQuery q(&mOwner);
  q.setDatabaseName(Alias());
  q.setZFrom({"ORDINI"});
  q.setZWhere({"CODCLI = [RICHIEDI  VALORE]", "DATAORD >= '[RICHIEDI  DATA]'"});
  // The setter of a closed query assembles (and so asks) once, the forced rebuild again.
  ASSERT_TRUE(q.Rebuild(true)) << q.LastError().toStdString();
  EXPECT_EQ(answers.Shown, 2);
  EXPECT_EQ(seenField, "CODCLI");
  EXPECT_EQ(seenLabel, "(Data)");
  EXPECT_TRUE(fixedCells);
  EXPECT_FALSE(q.SQL().join('\n').contains("2024-01-31"));  // bound, not pasted
  EXPECT_EQ(q.RecordCount(),
            TDemoDb::Outside(GetParam(),
                             "SELECT count(*) FROM \"ORDINI\" WHERE \"CODCLI\" = 3 AND \"DATAORD\" >= '2024-01-31'")
                .toInt());

  // Cancelled: the previous text and rows come back, and the reason is told.
  const QStringList before = q.SQL();
  const int rows = q.RecordCount();
  answers.Answer = [](TFormQueryParms&) { return false; };
  EXPECT_FALSE(q.Rebuild(true));
  EXPECT_EQ(q.SQL(), before);
  EXPECT_TRUE(q.Active());
  EXPECT_EQ(q.RecordCount(), rows);
  EXPECT_FALSE(q.LastError().isEmpty());

  // Without asking: the prompted lines drop out.
  const int shown = answers.Shown;
  q.setIgnoreParams(true);
  ASSERT_TRUE(q.Rebuild(true));
  EXPECT_EQ(answers.Shown, shown);
  EXPECT_EQ(q.SQL(), QStringList({"SELECT *", "FROM " + N("ORDINI")}));
}

TEST_P(EnhQueryTest, ParametersAreTypedByTheirFirstLetter) {
  TPromptAnswers answers;
  QStringList fields, labels;
  answers.Answer = [&](TFormQueryParms& f) {
    for (int r = 0; r < f.RowCount(); ++r) {
      fields << f.Field(r);
      labels << f.TypeLabel(r);
    }
    f.SetValue(0, "4");
    return true;
  };
  TEnhQuery q(&mOwner);
  q.setDatabaseName(Alias());
  q.setFreeSQL(true);
  q.setSQL({"SELECT * FROM \"ORDINI\" WHERE \"CODCLI\" = :iCliente AND \"DATAORD\" > :dDefaultDTFrom"});
  q.setDefDTFrom(QDateTime(QDate(2000, 1, 1), QTime(0, 0)));
  ASSERT_TRUE(q.Rebuild(true)) << q.LastError().toStdString();
  EXPECT_EQ(fields, QStringList({"Cliente"}));
  EXPECT_EQ(labels, QStringList({"(Intero)"}));
  EXPECT_EQ(q.ParamByName("iCliente").DataType, ftInteger);
  EXPECT_EQ(q.ParamByName("iCliente").AsInteger(), 4);
  EXPECT_EQ(q.RecordCount(), TDemoDb::Outside(GetParam(), "SELECT count(*) FROM \"ORDINI\" WHERE \"CODCLI\" = 4").toInt());

  // A typed text that is no integer is refused, not turned into "*".
  answers.Answer = [](TFormQueryParms& f) {
    f.SetValue(0, "4 OR 1=1");
    return true;
  };
  EXPECT_FALSE(q.Rebuild(true));
  EXPECT_TRUE(q.LastError().contains("Cliente")) << q.LastError().toStdString();
  EXPECT_EQ(q.ParamByName("iCliente").AsInteger(), 4);

  // Only the two default dates: no window.
  const int shown = answers.Shown;
  TEnhQuery d(&mOwner);
  d.setDatabaseName(Alias());
  d.setFreeSQL(true);
  d.setSQL({"SELECT * FROM \"ORDINI\" WHERE \"DATAORD\" BETWEEN :dDefaultDTFrom AND :dDefaultDTTo"});
  ASSERT_TRUE(d.Rebuild(true)) << d.LastError().toStdString();
  EXPECT_EQ(answers.Shown, shown);
  // Type and default follow the same letter, whatever its case.
  TEnhQuery u(&mOwner);
  u.setDatabaseName(Alias());
  u.setFreeSQL(true);
  u.setIgnoreParams(true);
  u.setSQL({"SELECT * FROM \"ORDINI\" WHERE \"CODCLI\" = :ICliente"});
  u.Rebuild(false);
  EXPECT_EQ(u.ParamByName("ICliente").DataType, ftInteger);
  EXPECT_EQ(u.ParamByName("ICliente").Value, QVariant(qint64(0)));
}

// The values a user might type to break out of the statement: each is
// refused with a reason or stays a value, and every table is whole after.
TEST_P(EnhQueryTest, HostileValuesAreRefusedOrStayValues) {
  Ostili();
  const QString clienti = TDemoDb::Outside(GetParam(), "SELECT count(*) FROM \"CLIENTI\"");
  struct TCase {
    QString Line, Op, Value;
    int Rows;  // -1: refused
  };
  const QString longText = QString(200000, 'x') + "' OR '1'='1";
  const std::vector<TCase> cases = {
      {"NOME = '[RICHIEDI  VALORE]'", "=", "x' OR '1'='1", 1},  // the stored row of that very text
      {"NOME = '[RICHIEDI  VALORE]'", "=", "Rossi' OR '1'='1", 0},
      {"NOME = '[RICHIEDI  VALORE]'", "=", "O'Brien", 1},
      {"ID = [RICHIEDI  VALORE]", "=", "1 OR 1=1", -1},
      {"ID = [RICHIEDI  VALORE]", "= 1 OR 1=1 --", "1", -1},
      {"ID = [RICHIEDI  VALORE]", "=", "1; DROP TABLE CLIENTI", -1},
      {"NOME = '[RICHIEDI  VALORE]'", "=", "1'; DROP TABLE \"CLIENTI\"; --", 0},
      {"NOME = '[RICHIEDI  VALORE]'", "=", QString("Rossi") + QChar(0) + "' OR 1=1", -1},
      {"NOME LIKE '[RICHIEDI  VALORE]'", "LIKE", "%' --", 0},
      {"NOME = '[RICHIEDI  VALORE]'", "=", longText, 0},
      {"ID = [RICHIEDI  VALORE]", "=", "2", 1},
      {"ID >= [RICHIEDI  VALORE]", ">=", "1e0", 3},
  };
  for (const TCase& c : cases) {
    SCOPED_TRACE(c.Value.left(60).toStdString() + " / " + c.Op.toStdString());
    TEnhQuery::SetPrompter([&c](TQueryPrompt& p) {
      p.Rows[0].Operator = c.Op;
      p.Rows[0].Value = c.Value;
      return true;
    });
    TEnhQuery q(&mOwner);
    q.setDatabaseName(Alias());
    q.setZFrom({"OSTILI"});
    q.setZWhere({c.Line});
    const bool ok = q.Rebuild(true);
    if (c.Rows < 0) {
      EXPECT_FALSE(ok);
      EXPECT_FALSE(q.LastError().isEmpty());
    } else {
      ASSERT_TRUE(ok) << q.LastError().toStdString();
      EXPECT_EQ(q.RecordCount(), c.Rows);
      EXPECT_FALSE(q.SQL().join('\n').contains(c.Value.left(20)));
    }
  }
  TEnhQuery::SetPrompter({});
  EXPECT_EQ(TDemoDb::Outside(GetParam(), "SELECT count(*) FROM \"OSTILI\""), "3");
  EXPECT_EQ(TDemoDb::Outside(GetParam(), "SELECT count(*) FROM \"CLIENTI\""), clienti);
}

TEST_P(EnhQueryTest, FreeSqlReplacesOnlyTheLastTopLevelOrderBy) {
  TEnhQuery q(&mOwner);
  q.setDatabaseName(Alias());
  q.setFreeSQL(true);
  q.setSQL({"SELECT c.*, 'ORDER BY x' AS \"order by\" FROM \"CLIENTI\" c",
            "WHERE c.\"CODCLI\" IN (SELECT \"CODCLI\" FROM \"ORDINI\" ORDER BY \"CODCLI\" LIMIT 5)",
            "ORDER BY c.\"RAGSOCIALE\" LIMIT 3"});
  q.setZOrderBy({"c.\"CITTA\" desc"});
  ASSERT_TRUE(q.Rebuild(true)) << q.LastError().toStdString();
  EXPECT_EQ(q.SQL(), QStringList({"SELECT c.*, 'ORDER BY x' AS \"order by\" FROM \"CLIENTI\" c",
                                  "WHERE c.\"CODCLI\" IN (SELECT \"CODCLI\" FROM \"ORDINI\" ORDER BY \"CODCLI\" "
                                  "LIMIT 5)",
                                  "ORDER BY C.\"CITTA\" DESC", "LIMIT 3"}));
  EXPECT_EQ(q.RecordCount(),
            TDemoDb::Outside(GetParam(), "SELECT count(*) FROM (SELECT 1 FROM \"CLIENTI\" c WHERE c.\"CODCLI\" IN "
                                         "(SELECT \"CODCLI\" FROM \"ORDINI\" ORDER BY \"CODCLI\" LIMIT 5) LIMIT 3) t")
                .toInt());
}

// ---------------------------------------------------------------------------
// Links, sorting, counting

TEST_P(EnhQueryTest, DetailFollowsMasterWithQuotedNullAndEmptyKeys) {
  Exec(Alias(), "DROP TABLE IF EXISTS \"FIGLI\"");
  Exec(Alias(), "DROP TABLE IF EXISTS \"PADRI\"");
  Exec(Alias(), "CREATE TABLE \"PADRI\" (\"ID\" INTEGER PRIMARY KEY, \"CHIAVE\" VARCHAR(20))");
  Exec(Alias(), "CREATE TABLE \"FIGLI\" (\"ID\" INTEGER PRIMARY KEY, \"CHIAVE\" VARCHAR(20))");
  Exec(Alias(), "INSERT INTO \"PADRI\" VALUES (1, 'O''Hara'), (2, NULL), (3, ''), (4, 'x'' OR ''1''=''1')");
  Exec(Alias(),
       "INSERT INTO \"FIGLI\" VALUES (1, 'O''Hara'), (2, 'O''Hara'), (3, NULL), (4, ''), (5, ''), (6, ''), (7, 'z')");
  TEnhQuery master(&mOwner), detail(&mOwner);
  master.setDatabaseName(Alias());
  detail.setDatabaseName(Alias());
  master.setZFrom({"PADRI"});
  master.setZOrderBy({"ID"});
  detail.setZFrom({"FIGLI"});
  master.setDetailQuery(&detail);
  master.setDetailIndex("CHIAVE");
  master.Open();
  ASSERT_TRUE(detail.Active()) << detail.LastError().toStdString();
  const std::vector<int> expected = {2, 1, 3, 0};
  for (int i = 0; i < 4; ++i) {
    SCOPED_TRACE(i);
    EXPECT_EQ(detail.RecordCount(), expected[size_t(i)]);
    master.Next();
  }
  // An empty master restricts the detail to blank keys.
  master.setZWhere({"ID > 100"});
  EXPECT_TRUE(master.IsEmpty());
  EXPECT_TRUE(detail.SQL().join(' ').contains("\"CHIAVE\" IS NULL"));
  EXPECT_EQ(detail.RecordCount(), 1);
  EXPECT_EQ(TDemoDb::Outside(GetParam(), "SELECT count(*) FROM \"FIGLI\""), "7");
}

TEST_P(EnhQueryTest, LinkedRefreshReusesTheAnswersAndDetailOfDemoData) {
  TPromptAnswers answers;
  answers.Answer = [](TFormQueryParms& f) {
    f.SetValue(0, "0");
    return true;
  };
  TEnhQuery master(&mOwner), detail(&mOwner);
  master.setDatabaseName(Alias());
  detail.setDatabaseName(Alias());
  master.setZFrom({"CLIENTI"});
  master.setZOrderBy({"CODCLI"});
  detail.setZFrom({"ORDINI"});
  detail.setZWhere({"TOTALE >= [RICHIEDI  VALORE]"});
  detail.setMasterQuery(&master);
  detail.setMasterIndex("CODCLI");
  master.Open();
  for (int i = 0; i < 5 && !master.Eof(); ++i, master.Next()) {
    const qint64 cod = master.FieldByName("CODCLI")->AsInteger();
    EXPECT_EQ(detail.RecordCount(),
              TDemoDb::Outside(GetParam(), QString("SELECT count(*) FROM \"ORDINI\" WHERE \"CODCLI\" = %1").arg(cod))
                  .toInt());
  }
  EXPECT_EQ(answers.Shown, 1);  // asked once, not at every scroll
}

TEST_P(EnhQueryTest, LinkSettersRefuseLoopsAndForgetFreedQueries) {
  TEnhQuery a(&mOwner), b(&mOwner);
  a.setMasterQuery(&b);
  a.setDetailQuery(&b);
  EXPECT_EQ(a.DetailQuery(), nullptr);
  a.setLinkedDataSet(&b);
  EXPECT_EQ(a.LinkedDataSet(), nullptr);
  auto* c = new TEnhQuery(&mOwner);
  a.setDetailQuery2(c);
  EXPECT_EQ(a.DetailQuery2(), c);
  delete c;
  EXPECT_EQ(a.DetailQuery2(), nullptr);
  QObject other;
  TEnhQuery stranger(&other);
  b.setMasterQuery(&stranger);
  EXPECT_EQ(b.MasterQuery(), nullptr);
}

TEST_P(EnhQueryTest, CountWrapsTheStatementWithOrderDistinctAndGroups) {
  TEnhQuery q(&mOwner);
  q.setDatabaseName(Alias());
  q.setZFrom({"MOVIMENTI"});
  q.setZOrderBy({"DATAMOV DESC"});
  q.Open();
  EXPECT_EQ(q.RecordCount(), TDemoDb::Outside(GetParam(), "SELECT count(*) FROM \"MOVIMENTI\"").toInt());
  EXPECT_LT(q.CachedCount(), 1000);  // counted by the engine, not fetched
  q.setZOrderBy({"CODCLI DESC"});
  q.setZSelect({"DISTINCT CODCLI"});
  EXPECT_TRUE(q.LastError().isEmpty()) << q.LastError().toStdString();
  EXPECT_EQ(q.RecordCount(),
            TDemoDb::Outside(GetParam(), "SELECT count(DISTINCT \"CODCLI\") FROM \"MOVIMENTI\"").toInt());
  q.setZSelect({"CAUSALE", "COUNT(*)"});
  q.setZGroupBy({"CAUSALE"});
  q.setZOrderBy({"CAUSALE"});
  EXPECT_EQ(q.RecordCount(),
            TDemoDb::Outside(GetParam(), "SELECT count(DISTINCT \"CAUSALE\") FROM \"MOVIMENTI\"").toInt());
}

TEST_P(EnhQueryTest, TitleSortingTogglesAndRemoves) {
  TEnhQuery q(&mOwner);
  q.setDatabaseName(Alias());
  q.setZFrom({"CLIENTI"});
  q.Open();
  int sorts = 0;
  q.AfterSort = [&](TDataSet*) { ++sorts; };
  bool desc = true;
  q.ToggleSort("citta");
  EXPECT_EQ(q.SortPosition("CITTA", &desc), 0);
  EXPECT_FALSE(desc);
  q.ToggleSort("CITTA");
  EXPECT_EQ(q.ZOrderBy(), QStringList({"CITTA DESC"}));
  q.ToggleSort("RAGSOCIALE");
  q.ToggleSort("CITTA");
  EXPECT_EQ(q.ZOrderBy(), QStringList({"CITTA", "RAGSOCIALE"}));
  EXPECT_EQ(q.SQL().last(), "ORDER BY " + N("CITTA") + ", " + N("RAGSOCIALE"));
  q.RemoveSort("citta");
  EXPECT_EQ(q.SortPosition("CITTA"), -1);
  EXPECT_EQ(sorts, 5);
  EXPECT_TRUE(q.Active());
  q.First();
  EXPECT_EQ(q.FieldByName("RAGSOCIALE")->AsString(),
            TDemoDb::Outside(GetParam(), "SELECT \"RAGSOCIALE\" FROM \"CLIENTI\" ORDER BY \"RAGSOCIALE\" LIMIT 1"));
}

TEST_P(EnhQueryTest, LinkedUpdateWritesBothOrNeither) {
  Exec(Alias(), "DROP TABLE IF EXISTS \"COPIA\"");
  Exec(Alias(), "DROP TABLE IF EXISTS \"FONTE\"");
  Exec(Alias(), "CREATE TABLE \"FONTE\" (\"ID\" INTEGER PRIMARY KEY, \"V\" INTEGER CHECK (\"V\" < 100))");
  Exec(Alias(), "CREATE TABLE \"COPIA\" (\"ID\" INTEGER PRIMARY KEY, \"V\" INTEGER)");
  TTable copia(&mOwner);
  copia.setDatabaseName(Alias());
  copia.setTableName("COPIA");
  TEnhQuery q(&mOwner);
  q.setDatabaseName(Alias());
  q.setRequestLive(true);
  q.setZFrom({"FONTE"});
  q.setLinkedDataSet(&copia);
  q.setLinkedIndex("ID");
  q.setLinkedUpdate(true);
  q.Open();
  q.Append();
  q.FieldByName("ID")->SetAsInteger(1);
  q.FieldByName("V")->SetAsInteger(7);
  q.Post();
  EXPECT_EQ(TDemoDb::Outside(GetParam(), "SELECT \"V\" FROM \"COPIA\" WHERE \"ID\" = 1"), "7");
  q.Edit();
  q.FieldByName("V")->SetAsInteger(8);
  q.Post();
  EXPECT_EQ(TDemoDb::Outside(GetParam(), "SELECT \"V\" FROM \"COPIA\" WHERE \"ID\" = 1"), "8");
  // The own write fails after the linked one: both are undone.
  q.Append();
  q.FieldByName("ID")->SetAsInteger(2);
  q.FieldByName("V")->SetAsInteger(500);
  EXPECT_THROW(q.Post(), EDatabaseError);
  q.Cancel();
  EXPECT_EQ(TDemoDb::Outside(GetParam(), "SELECT count(*) FROM \"COPIA\""), "1");
  EXPECT_EQ(TDemoDb::Outside(GetParam(), "SELECT count(*) FROM \"FONTE\""), "1");
  q.Delete();
  EXPECT_EQ(TDemoDb::Outside(GetParam(), "SELECT count(*) FROM \"COPIA\""), "0");
}

TEST_P(EnhQueryTest, FailedOpenKeepsThePreviousRowsAndSaysWhy) {
  TEnhQuery q(&mOwner);
  q.setDatabaseName(Alias());
  q.setZFrom({"CLIENTI"});
  q.Open();
  const int rows = q.RecordCount();
  q.setZWhere({"NESSUNA_COLONNA = 1"});
  EXPECT_TRUE(q.Active());
  EXPECT_EQ(q.RecordCount(), rows);
  EXPECT_FALSE(q.LastError().isEmpty());
  EXPECT_EQ(q.SQL(), QStringList({"SELECT *", "FROM " + N("CLIENTI")}));
  q.setZWhere({});
  EXPECT_TRUE(q.LastError().isEmpty());
}

TEST_P(EnhQueryTest, UnknownNativeTypesBecomeReadOnlyRawFields) {
  Exec(Alias(), "DROP TABLE IF EXISTS \"GREZZI\"");
  Exec(Alias(), Pg() ? "CREATE TABLE \"GREZZI\" (\"ID\" INTEGER PRIMARY KEY, \"G\" uuid, \"G_1\" INTEGER)"
                     : "CREATE TABLE \"GREZZI\" (\"ID\" INTEGER PRIMARY KEY, \"G\" GEOCODICE(40), \"G_1\" INTEGER)");
  Exec(Alias(), "INSERT INTO \"GREZZI\" VALUES (1, 'a0eebc99-9c0b-4ef8-bb6d-6bb9bd380a11', 5)");
  TFixQuery q;
  q.setDatabaseName(Alias());
  q.SetSQLText("SELECT \"ID\", \"G\", \"G_1\", \"ID\" FROM \"GREZZI\"");
  q.Open();
  ASSERT_EQ(q.RawFields().size(), 4);
  EXPECT_EQ(q.RawFields()[1].Raw, 1);
  EXPECT_EQ(q.RawFields()[0].Raw, 0);
  EXPECT_EQ(q.Fields(3)->FieldName(), "ID_1");
  TField* g = q.FieldByName("G");
  EXPECT_EQ(g->DataType(), ftString);
  EXPECT_TRUE(g->ReadOnly());
  EXPECT_EQ(g->AsString(), "a0eebc99-9c0b-4ef8-bb6d-6bb9bd380a11");
}

TEST(EnhQueryPromptWindow, LayoutKeysAndPickers) {
  TQueryPrompt p;
  p.Rows = {{"CITTA", "=", "", ""}, {"DATAORD", ">=", "", "(Data)"}, {"ORAINIZIO", "<", "", "(Ora)"}};
  TFixedClock clock(QDateTime(QDate(2024, 2, 29), QTime(9, 15, 0)));
  TFormQueryParms f(p);
  f.show();
  EXPECT_EQ(f.windowTitle(), "Parametri Query");
  EXPECT_EQ(f.height(), 3 * TFormQueryParms::kRowHeight + 88);
  EXPECT_EQ(f.Grid()->columnWidth(0), 150);
  EXPECT_EQ(f.Grid()->columnWidth(1), 56);
  EXPECT_EQ(f.Grid()->columnWidth(2), 201);
  EXPECT_EQ(f.Grid()->columnWidth(3), 150);
  EXPECT_EQ(f.OkButton()->text(), "&OK");
  EXPECT_EQ(f.CancelButton()->text(), "&Cancel");
  // The pickers write their value into the value cell at once.
  EXPECT_EQ(f.Picker(0), nullptr);
  EXPECT_EQ(f.Value(1), "2024-02-29");
  EXPECT_EQ(f.Value(2).size(), 8);
  // Only listed operators can be chosen.
  f.SetOperator(0, "LIKE");
  EXPECT_EQ(f.Operator(0), "LIKE");
  f.SetOperator(0, "; DROP");
  EXPECT_EQ(f.Operator(0), "LIKE");
  f.SetValue(0, "Mi%");
  TQueryPrompt back = p;
  f.Apply(back);
  EXPECT_EQ(back.Rows[0].Operator, "LIKE");
  EXPECT_EQ(back.Rows[0].Value, "Mi%");
  if (qEnvironmentVariableIsSet("TARNWELL_SHOT")) f.grab().save(qEnvironmentVariable("TARNWELL_SHOT"));
  // Escape cancels; Enter in a value's editor confirms with what was typed.
  QTest::keyClick(&f, Qt::Key_Escape);
  EXPECT_EQ(f.result(), int(QDialog::Rejected));
  TQueryPrompt one;
  one.Rows = {{"CITTA", "=", "", ""}};
  TFormQueryParms g(one);
  g.show();
  QWidget* editor = g.Grid()->indexWidget(g.Grid()->model()->index(0, 2));
  ASSERT_NE(editor, nullptr);
  QTest::keyClicks(editor, "Roma");
  QTest::keyClick(editor, Qt::Key_Return);
  EXPECT_EQ(g.result(), int(QDialog::Accepted));
  EXPECT_EQ(g.Value(0), "Roma");
}

INSTANTIATE_TEST_SUITE_P(Engines, EnhQueryTest, ::testing::Values(TEngine::SQLite, TEngine::PostgreSQL), EngineName);

}  // namespace
