// The tooltip tree view: tooltips really suppressed when switched off and
// shown for cut-off labels when on; the child lookup.
#include <gtest/gtest.h>

#include <QHelpEvent>
#include <QMetaProperty>
#include <QTest>
#include <QToolTip>

#include <Tarnwell/commonctrls/MyTreeV.h>
#include "TestUtil.h"

using namespace Tarnwell;

namespace {

QString HoverTip(TMyTreeView& t, QTreeWidgetItem* item) {
  QToolTip::hideText();
  WaitUntil([] { return !QToolTip::isVisible(); }, 500);
  const QPoint pos = t.visualItemRect(item).center();
  QHelpEvent e(QEvent::ToolTip, pos, t.viewport()->mapToGlobal(pos));
  QCoreApplication::sendEvent(t.viewport(), &e);
  return QToolTip::isVisible() ? QToolTip::text() : QString();
}

}  // namespace

TEST(MyTreeView, ToolTipsOnlyWhenSwitchedOn) {
  TMyTreeView t;
  t.resize(80, 120);
  auto* longItem = new QTreeWidgetItem(&t, {"Un'etichetta troppo lunga per questo albero"});
  auto* shortItem = new QTreeWidgetItem(&t, {"Breve"});
  auto* own = new QTreeWidgetItem(&t, {"Con suggerimento"});
  own->setToolTip(0, "Suggerimento proprio");
  t.show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(&t));
  EXPECT_FALSE(t.ShowToolTip());
  EXPECT_EQ(HoverTip(t, longItem), "");
  EXPECT_EQ(HoverTip(t, own), "");  // not even an item's own tooltip
  t.setShowToolTip(true);
  EXPECT_EQ(HoverTip(t, longItem), longItem->text(0));
  EXPECT_EQ(HoverTip(t, shortItem), "");  // it fits
  EXPECT_EQ(HoverTip(t, own), "Suggerimento proprio");
  t.setShowToolTip(false);
  EXPECT_EQ(HoverTip(t, longItem), "");
  // Stored with a design even at its default.
  const QMetaProperty p = t.metaObject()->property(t.metaObject()->indexOfProperty("ShowToolTip"));
  EXPECT_TRUE(p.isStored());
  EXPECT_TRUE(p.hasNotifySignal());
}

TEST(MyTreeView, HasChildNamedLooksAtDirectChildrenOnly) {
  TMyTreeView t;
  auto* root = new QTreeWidgetItem(&t, {"Root"});
  auto* sub2 = new QTreeWidgetItem(root, {"SubItem2"});
  new QTreeWidgetItem(root, {"SubItem1"});
  new QTreeWidgetItem(sub2, {"Nipote"});
  EXPECT_TRUE(t.HasChildNamed(root, "SubItem2"));
  EXPECT_FALSE(t.HasChildNamed(root, "subitem2"));
  EXPECT_FALSE(t.HasChildNamed(root, "SubItem"));
  EXPECT_FALSE(t.HasChildNamed(root, "SubItem2 "));
  EXPECT_FALSE(t.HasChildNamed(root, "Nipote"));  // a grandchild
  EXPECT_FALSE(t.HasChildNamed(nullptr, "SubItem2"));
  EXPECT_FALSE(t.HasChildNamed(new QTreeWidgetItem(&t, {"Vuoto"}), ""));
}
