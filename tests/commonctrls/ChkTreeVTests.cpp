// The check tree view: clicks on the box only, the demonstration cycle,
// one-level propagation, the options' setters and the pictures drawn.
#include <gtest/gtest.h>

#include <QSignalSpy>
#include <QTest>
#include <QWindow>

#include <Tarnwell/commonctrls/ChkTreeV.h>

using namespace Tarnwell;

namespace {

struct DemoTree {
  TCheckTreeView tree;
  QTreeWidgetItem* root;
  QTreeWidgetItem* sub[3];
  int fired = 0;
  DemoTree() {
    tree.setAutoCheckChild(true);
    tree.setAutoUnCheckChild(true);
    tree.setAutoGrayParent(true);
    tree.setIndentation(19);
    tree.resize(121, 141);
    root = tree.AddNode(nullptr, "Root", TCheckTreeView::stUnchecked, 0);
    for (int i = 0; i < 3; ++i) sub[i] = tree.AddNode(root, QStringLiteral("SubItem%1").arg(i + 1), 1, 0);
    tree.Loaded();
    tree.expandAll();
    tree.OnChangeCheckState = [this](TObject*) { ++fired; };
    tree.show();
  }
  void ClickBox(QTreeWidgetItem* n) {
    const QRect box = tree.StateRect(n);
    ASSERT_FALSE(box.isEmpty());
    QTest::mouseClick(tree.viewport(), Qt::LeftButton, {}, box.center());
  }
  int S(QTreeWidgetItem* n) const { return TCheckTreeView::StateIndex(n); }
};

}  // namespace

TEST(CheckTreeView, DemonstrationCycleRootChildrenGrayedAndBack) {
  DemoTree d;
  QSignalSpy spy(&d.tree, &TCheckTreeView::ChangeCheckState);
  d.ClickBox(d.root);
  EXPECT_EQ(d.S(d.root), 3);
  for (auto* s : d.sub) EXPECT_EQ(d.S(s), 3);
  d.ClickBox(d.sub[1]);
  EXPECT_EQ(d.S(d.sub[1]), 1);
  EXPECT_EQ(d.S(d.root), 2);  // grayed, although AllowGrayed is off
  d.ClickBox(d.sub[1]);
  EXPECT_EQ(d.S(d.root), 3);
  // The event fires for every change, the grayed parent included.
  EXPECT_EQ(d.fired, 3);
  EXPECT_EQ(spy.count(), 3);
  d.ClickBox(d.root);
  for (auto* s : d.sub) EXPECT_EQ(d.S(s), 1);
}

TEST(CheckTreeView, ClicksBesideTheBoxChangeNothing) {
  DemoTree d;
  QList<QImage> images{QImage(16, 16, QImage::Format_ARGB32), QImage(16, 16, QImage::Format_ARGB32)};
  images[0].fill(Qt::red);
  images[1].fill(Qt::blue);
  d.tree.SetImages(images);
  const QRect box = d.tree.StateRect(d.sub[0]);
  const QRect text = d.tree.NodeTextRect(d.sub[0]);
  EXPECT_GE(text.left(), box.right() + 16);  // box, picture, then text
  QTest::mouseClick(d.tree.viewport(), Qt::LeftButton, {}, QPoint(text.left() + 5, text.center().y()));
  QTest::mouseClick(d.tree.viewport(), Qt::LeftButton, {}, QPoint(box.right() + 8, box.center().y()));  // the picture
  QTest::mouseClick(d.tree.viewport(), Qt::LeftButton, {}, QPoint(box.left() - 3, box.center().y()));   // the indent
  EXPECT_EQ(d.S(d.sub[0]), 1);
  EXPECT_EQ(d.fired, 0);
  QTest::mouseClick(d.tree.viewport(), Qt::LeftButton, {}, QPoint(box.left(), box.center().y()));
  EXPECT_EQ(d.S(d.sub[0]), 3);
  QTest::mouseClick(d.tree.viewport(), Qt::RightButton, {}, box.center());
  EXPECT_EQ(d.S(d.sub[0]), 3);
  // A double click on Root's box toggles it once, as one click would, and
  // leaves it expanded.
  const QRect rootBox = d.tree.StateRect(d.root);
  QTest::mouseClick(d.tree.viewport(), Qt::LeftButton, {}, rootBox.center());
  ASSERT_EQ(d.S(d.root), 3);
  // Through the window system: press, release, press (a double click), release.
  QWindow* win = d.tree.windowHandle();
  ASSERT_NE(win, nullptr);
  const QPoint at = d.tree.viewport()->mapTo(&d.tree, rootBox.center());
  QTest::mouseDClick(win, Qt::LeftButton, {}, at);
  EXPECT_TRUE(d.root->isExpanded());
  EXPECT_EQ(d.S(d.root), 1);
  QTest::mouseClick(win, Qt::LeftButton, {}, at, 500);
  EXPECT_EQ(d.S(d.root), 3);  // the next single click counts again
}

TEST(CheckTreeView, PropagationReachesOneLevelOnly) {
  DemoTree d;
  auto* grand = d.tree.AddNode(d.sub[0], "Nipote", 1);
  d.tree.expandAll();
  d.ClickBox(d.root);
  EXPECT_EQ(d.S(d.sub[0]), 3);
  EXPECT_EQ(d.S(grand), 1);
}

TEST(CheckTreeView, AllowChildOnlyAndAllowGrayedSetters) {
  DemoTree d;
  d.ClickBox(d.root);
  d.tree.setAllowChildOnly(true);
  EXPECT_EQ(d.S(d.root), 0);
  EXPECT_TRUE(d.tree.StateRect(d.root).isEmpty());
  for (auto* s : d.sub) EXPECT_EQ(d.S(s), 1);
  // Clicking a child does not give the box-less parent a box.
  d.ClickBox(d.sub[0]);
  EXPECT_EQ(d.S(d.root), 0);
  d.tree.setAllowGrayed(true);
  EXPECT_EQ(d.tree.NextState(1), 2);
  EXPECT_EQ(d.tree.NextState(2), 3);
  EXPECT_EQ(d.tree.NextState(3), 1);
  d.ClickBox(d.sub[1]);
  EXPECT_EQ(d.S(d.sub[1]), 2);
  d.tree.setAllowGrayed(false);
  EXPECT_EQ(d.S(d.sub[1]), 1);
  EXPECT_EQ(d.S(d.root), 0);  // still no box
  EXPECT_EQ(d.tree.NextState(2), 3);
  d.tree.setAllowChildOnly(false);
  EXPECT_EQ(d.S(d.root), 1);
}

TEST(CheckTreeView, LoadedSettlesUnknownStates) {
  TCheckTreeView t;
  auto* a = t.AddNode(nullptr, "a", -1);
  auto* b = t.AddNode(nullptr, "b", 0);
  auto* c = t.AddNode(b, "c", 2);
  t.setAllowChildOnly(false);
  t.setAllowGrayed(true);
  t.SetStateIndex(c, 2);
  t.Loaded();
  EXPECT_EQ(TCheckTreeView::StateIndex(a), -1);
  EXPECT_EQ(TCheckTreeView::StateIndex(b), 2);
  EXPECT_EQ(TCheckTreeView::StateIndex(c), 2);
  TCheckTreeView u;
  u.setAllowChildOnly(true);
  auto* p = u.AddNode(nullptr, "p", 2);
  auto* q = u.AddNode(p, "q", 0);
  u.Loaded();
  EXPECT_EQ(TCheckTreeView::StateIndex(p), 0);
  EXPECT_EQ(TCheckTreeView::StateIndex(q), 1);
  EXPECT_FALSE(u.ClickAt(QPoint(-5, -5)));
}

TEST(CheckTreeView, BoxesAreDrawnFromTheStatePictures) {
  DemoTree d;
  d.ClickBox(d.sub[0]);
  const QImage img = d.tree.viewport()->grab().toImage().convertToFormat(QImage::Format_RGB32);
  auto darkIn = [&](const QRect& r) {
    int n = 0;
    for (int y = r.top(); y <= r.bottom(); ++y)
      for (int x = r.left(); x <= r.right(); ++x) n += qGray(img.pixel(x, y)) < 80;
    return n;
  };
  const QRect checkedBox = d.tree.StateRect(d.sub[0]);
  const QRect plainBox = d.tree.StateRect(d.sub[1]);
  // Both have the dark inner frame; the checked one also its tick.
  EXPECT_GE(darkIn(plainBox), 15);
  EXPECT_GE(darkIn(checkedBox), darkIn(plainBox) + 15);
  for (const QImage& pic : d.tree.StateImages()) EXPECT_EQ(pic.size(), QSize(16, 16));
}
