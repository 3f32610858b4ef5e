// The dataset components as Qt objects: every published property through
// setProperty/property with its change signal, and every notification as a
// signal that any number of listeners hear, next to the assignable handler.
#include <gtest/gtest.h>

#include <QMetaProperty>
#include <QSignalSpy>

#include <Tarnwell/database/DBTables.h>
#include <Tarnwell/database/MemoTab.h>
#include "DbTestUtil.h"

using namespace Tarnwell;

namespace {

// A value different from `v` that the property accepts.
QVariant Changed(QObject* obj, const QMetaProperty& p, const QVariant& v, QObject* other) {
  if (p.metaType().id() == QMetaType::Bool) return !v.toBool();
  if (p.metaType().id() == QMetaType::Int) return v.toInt() + 1;
  if (p.metaType().id() == QMetaType::QString) return v.toString() + QStringLiteral("X");
  if (p.metaType().id() == QMetaType::QStringList)
    return v.toStringList() + QStringList{QStringLiteral("-- altro")};  // a comment keeps a query valid
  if (p.metaType().flags() & QMetaType::PointerToQObject) return QVariant::fromValue(other);
  ADD_FAILURE() << obj->metaObject()->className() << "::" << p.name() << ": no test value for "
                << p.metaType().name();
  return v;
}

// Each writable property of obj (its own and those of its Tarnwell bases):
// a changed value reads back, its NOTIFY signal fires once with it, writing
// it again fires nothing, the declared default comes back with reset, and
// the old value can be written back. Returns the names it went through.
QStringList RoundTrip(QObject* obj, QObject* other) {
  QStringList seen;
  const QMetaObject* mo = obj->metaObject();
  for (int i = QObject::staticMetaObject.propertyCount(); i < mo->propertyCount(); ++i) {
    const QMetaProperty p = mo->property(i);
    seen << QString::fromLatin1(p.name());
    SCOPED_TRACE(std::string(mo->className()) + "::" + p.name());
    EXPECT_TRUE(p.isReadable());
    if (!p.isWritable()) {
      EXPECT_TRUE(p.isConstant() || p.hasNotifySignal());
      continue;
    }
    if (!p.hasNotifySignal()) {
      ADD_FAILURE() << "no NOTIFY signal";
      continue;
    }
    const QByteArray sig = "2" + p.notifySignal().methodSignature();
    const QVariant before = obj->property(p.name());
    const QVariant after = Changed(obj, p, before, other);
    QSignalSpy spy(obj, sig.constData());
    if (!spy.isValid()) {
      ADD_FAILURE() << "cannot listen to " << sig.constData();
      continue;
    }
    EXPECT_TRUE(obj->setProperty(p.name(), after));
    EXPECT_EQ(obj->property(p.name()), after);
    EXPECT_GE(spy.count(), 1);
    if (!spy.isEmpty() && !spy.last().isEmpty()) {
      EXPECT_EQ(spy.last().at(0), after);
    }
    const int fired = spy.count();
    obj->setProperty(p.name(), after);
    EXPECT_EQ(spy.count(), fired) << "equal value notified";
    if (p.isResettable()) {
      EXPECT_TRUE(p.reset(obj));
      EXPECT_EQ(obj->property(p.name()), before) << "default is not the initial value";
    }
    obj->setProperty(p.name(), before);
    EXPECT_EQ(obj->property(p.name()), before);
  }
  return seen;
}

class Properties : public ::testing::Test {
 protected:
  void SetUp() override { QLocale::setDefault(QLocale(QLocale::Italian, QLocale::Italy)); }
};

TEST_F(Properties, EveryPublishedPropertyOfTheDatasetComponentsRoundTrips) {
  TMemoTable other;
  TTable table;
  table.setDatabaseName(TDemoDb::Alias(TEngine::SQLite));
  table.setTableName("CLIENTI");
  EXPECT_EQ(RoundTrip(&table, &other),
            QStringList({"Active", "State", "DatabaseName", "Filter", "Filtered", "FilterOptions",
                         "AutoCalcFields", "TableName", "ReadOnly", "IndexFieldNames"}));
  EXPECT_FALSE(table.Active());

  TQuery query;
  query.setDatabaseName(TDemoDb::Alias(TEngine::SQLite));
  query.SetSQLText("SELECT * FROM CLIENTI");
  EXPECT_TRUE(RoundTrip(&query, &other).contains("RequestLive"));
  EXPECT_EQ(query.SQL(), QStringList{"SELECT * FROM CLIENTI"});

  TMemoTable memo;
  memo.FieldDefs().Add("NOME", ftString, 20);
  EXPECT_TRUE(RoundTrip(&memo, &other).contains("Caption"));

  TDataSource source;
  EXPECT_EQ(RoundTrip(&source, &other), QStringList({"DataSet", "Enabled", "AutoEdit"}));

  memo.Open();
  TField* f = memo.FieldByName("NOME");
  EXPECT_EQ(RoundTrip(f, &other), QStringList({"FieldName", "DataType", "Size", "FieldKind", "Required",
                                               "ReadOnly", "Visible", "DisplayLabel", "DisplayWidth"}));
}

TEST_F(Properties, EnumerationsAndSettersKeepTheirMeaning) {
  TMemoTable t;
  t.FieldDefs().Add("VALORE", ftInteger);
  QSignalSpy active(&t, &TDataSet::ActiveChanged), state(&t, &TDataSet::StateChanged);
  EXPECT_TRUE(t.setProperty("Active", true));  // opens
  EXPECT_EQ(t.State(), dsBrowse);
  EXPECT_EQ(t.property("State").toInt(), int(dsBrowse));
  const QMetaProperty sp = t.metaObject()->property(t.metaObject()->indexOfProperty("State"));
  EXPECT_STREQ(sp.enumerator().valueToKey(t.property("State").toInt()), "dsBrowse");
  t.Append();
  t.Post();
  EXPECT_EQ(active.count(), 1);
  EXPECT_GE(state.count(), 3);  // browse, insert, browse
  EXPECT_EQ(t.FieldByName("VALORE")->property("DataType").toInt(), int(ftInteger));
  // The filter raises on text it cannot use and keeps the one in force.
  t.setFilter("VALORE > 0");
  t.setFiltered(true);
  EXPECT_THROW(t.SetFilter("VALORE >"), EDatabaseError);
  EXPECT_EQ(t.Filter(), "VALORE > 0");
  t.setActive(false);
  EXPECT_EQ(active.count(), 2);
  EXPECT_EQ(active.last().at(0).toBool(), false);
}

TEST_F(Properties, EventsReachEveryListenerAndTheAssignedHandler) {
  TTable t;
  t.setDatabaseName(TDemoDb::Alias(TEngine::SQLite));
  t.setTableName("CLIENTI");
  TDataSource ds;
  ds.setDataSet(&t);
  int assignedState = 0, first = 0, second = 0, assignedScroll = 0;
  ds.OnStateChange = [&](TObject*) { ++assignedState; };
  QSignalSpy stateSpy(&ds, &TDataSource::StateChange), dataSpy(&ds, &TDataSource::DataChange);
  QObject::connect(&t, &TDataSet::afterScroll, [&](TDataSet*) { ++first; });
  QObject::connect(&t, &TDataSet::afterScroll, [&](TDataSet*) { ++second; });
  t.AfterScroll = [&](TDataSet*) { ++assignedScroll; };
  t.Open();
  t.Next();
  EXPECT_EQ(first, 2);  // open lands on the first record, then one step
  EXPECT_EQ(second, 2);
  EXPECT_EQ(assignedScroll, 2);
  EXPECT_EQ(stateSpy.count(), 1);
  EXPECT_EQ(assignedState, 1);
  ASSERT_GE(dataSpy.count(), 1);
  EXPECT_EQ(dataSpy.last().at(0).value<QObject*>(), &ds);
  // A look-up moves the cursor and back without telling anyone.
  const QString code = t.Fields(0)->AsString();
  t.Lookup(t.Fields(0)->FieldName(), code, t.Fields(0)->FieldName());
  EXPECT_EQ(first, 2);
  EXPECT_EQ(assignedScroll, 2);

  // Queued delivery works: the signals carry registered types.
  int queued = 0;
  QObject::connect(
      &t, &TDataSet::beforeScroll, &ds, [&](TDataSet* sender) { queued += sender == &t; }, Qt::QueuedConnection);
  t.Prior();
  EXPECT_EQ(queued, 0);
  QCoreApplication::processEvents();
  EXPECT_EQ(queued, 1);
}

TEST_F(Properties, ACalcFieldsListenerAloneComputesTheCalculatedFields) {
  TMemoTable t;
  t.CreateField("QTA", ftInteger);
  t.CreateField("DOPPIO", ftInteger, 0, fkCalculated);
  QObject::connect(&t, &TDataSet::CalcFields, [](TDataSet* d) {
    d->FieldByName("DOPPIO")->SetAsInteger(2 * d->FieldByName("QTA")->AsInteger());
  });
  t.Open();
  t.Append();
  t.FieldByName("QTA")->SetAsInteger(21);
  t.Post();
  EXPECT_EQ(t.FieldByName("DOPPIO")->AsInteger(), 42);
}

TEST_F(Properties, ADataSourceForgetsADatasetThatGoes) {
  TDataSource ds;
  QSignalSpy changed(&ds, &TDataSource::DataSetChanged);
  {
    TMemoTable t;
    ds.setDataSet(&t);
    EXPECT_EQ(ds.property("DataSet").value<QObject*>(), &t);
  }
  EXPECT_EQ(ds.DataSet(), nullptr);
  EXPECT_EQ(changed.count(), 2);
  EXPECT_EQ(ds.State(), dsInactive);
}

}  // namespace
