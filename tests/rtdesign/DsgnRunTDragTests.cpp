// Moving and resizing with the mouse and the keys: snapping, the 8 x 8
// floor, the half-inside limits, Escape.
#include <gtest/gtest.h>

#include <QSignalSpy>

#include "DesignTestUtil.h"

namespace {

struct TDragForm : TDesignForm {
  TMouse Mouse{&Form};
  explicit TDragForm(int grid) {
    D->setGridSize(grid);
    D->setChangeEnabled(true);
    D->setActive(true);
  }
};

}  // namespace

TEST(DesignSnap, RoundsToTheNearestMultipleTiesToEven) {
  const std::vector<std::tuple<int, int, int>> cases = {
      {85, 4, 84},  {35, 4, 36},  {6, 4, 8},    {10, 4, 8},  {2, 4, 0},   {14, 4, 16}, {-6, 4, -8},
      {-2, 4, 0},   {-10, 4, -8}, {-14, 4, -16}, {-7, 4, -8}, {-5, 4, -4}, {3, 2, 4},   {1, 2, 0},
      {-1, 2, 0},   {-3, 2, -4},  {-3, 1, -3},  {7, 5, 5},   {8, 5, 10},  {5, 0, 5},   {-9, -3, -9}};
  for (const auto& [v, g, want] : cases) EXPECT_EQ(TDesignAtRunTime::Snap(v, g), want) << v << " grid " << g;
}

TEST(DesignDrag, MovesAControlOnTheGrid) {
  TDragForm t(4);
  QSignalSpy begin(t.D, &TDesignAtRunTime::BeginChange);
  QSignalSpy change(t.D, &TDesignAtRunTime::Change);
  QSignalSpy end(t.D, &TDesignAtRunTime::EndChange);
  t.Mouse.Press(QPoint(70, 52));
  EXPECT_TRUE(t.D->Moving());
  EXPECT_EQ(t.D->DragZone(), 0);
  EXPECT_EQ(t.D->GrabPoint(), QPoint(30, 12));
  EXPECT_EQ(t.D->StartBounds(), QRect(40, 40, 75, 25));
  t.Mouse.Move(QPoint(76, 55));
  EXPECT_EQ(t.A->geometry(), QRect(48, 44, 76, 24));  // 46 ties up to 48; the size snaps too
  t.Mouse.Move(QPoint(83, 59));
  EXPECT_EQ(t.A->geometry(), QRect(52, 48, 76, 24));
  EXPECT_EQ(t.D->SelectorBox(), QRect(48, 44, 84, 32));
  t.Mouse.Release(QPoint(83, 59));
  EXPECT_FALSE(t.D->Dragging());
  EXPECT_EQ(begin.count(), 1);
  EXPECT_EQ(change.count(), 2);
  EXPECT_EQ(end.count(), 1);
  EXPECT_EQ(t.Form.cursor().shape(), Qt::ArrowCursor);
  // The moved control came to the front, the handles above it.
  const QObjectList& kids = t.Form.children();
  EXPECT_LT(kids.indexOf(t.A), kids.indexOf(t.D->Overlay()));
  EXPECT_GT(kids.indexOf(t.A), kids.indexOf(t.C));
}

TEST(DesignDrag, ChangeFiresOnlyWhenTheBoundsChange) {
  TDragForm t(4);
  QSignalSpy change(t.D, &TDesignAtRunTime::Change);
  t.Mouse.Press(QPoint(210, 105));  // B lies on the grid
  t.Mouse.Move(QPoint(211, 105));
  EXPECT_EQ(change.count(), 0);
  t.Mouse.Move(QPoint(213, 105));
  EXPECT_EQ(change.count(), 1);
  EXPECT_EQ(t.B->geometry(), QRect(204, 100, 80, 20));
  t.Mouse.Release(QPoint(213, 105));
}

TEST(DesignDrag, BottomRightHandleSnapsTheSize) {
  TDragForm t(4);
  // 75 x 25 dragged by (+10, +10): 85 x 35, snapped to 84 x 36.
  t.Mouse.Press(QPoint(115, 65));
  EXPECT_TRUE(t.D->Resizing());
  EXPECT_EQ(t.D->DragZone(), 4);
  t.Mouse.Move(QPoint(120, 70));
  t.Mouse.Move(QPoint(125, 75));
  EXPECT_EQ(t.Form.cursor().shape(), Qt::SizeFDiagCursor);
  t.Mouse.Release(QPoint(125, 75));
  EXPECT_EQ(t.A->geometry(), QRect(40, 40, 84, 36));
}

TEST(DesignDrag, EachHandleMovesItsEdges) {
  // Grid 1: the pointer's way exactly.
  struct Case { QPoint from, by; QRect want; };
  const std::vector<Case> cases = {
      {{40, 40}, {-5, -6}, {35, 34, 80, 31}},    // top-left
      {{115, 40}, {5, -6}, {40, 34, 80, 31}},    // top-right
      {{40, 65}, {-5, 6}, {35, 40, 80, 31}},     // bottom-left
      {{115, 65}, {5, 6}, {40, 40, 80, 31}},     // bottom-right
      {{70, 40}, {9, -6}, {40, 34, 75, 31}},     // top
      {{40, 52}, {-5, 9}, {35, 40, 80, 25}},     // left
      {{70, 65}, {9, 6}, {40, 40, 75, 31}},      // bottom
      {{115, 52}, {5, 9}, {40, 40, 80, 25}},     // right
      {{70, 52}, {5, 6}, {45, 46, 75, 25}},      // move
  };
  for (const Case& c : cases) {
    TDragForm t(1);
    t.Mouse.Drag(c.from, c.from + c.by);
    EXPECT_EQ(t.A->geometry(), c.want) << "from " << c.from.x() << "," << c.from.y();
  }
}

TEST(DesignDrag, SizesStopAtEightBeforeSnapping) {
  {
    TDragForm t(0);
    t.Mouse.Drag(QPoint(115, 65), QPoint(44, 44));
    EXPECT_EQ(t.A->geometry(), QRect(40, 40, 8, 8));
  }
  {
    TDragForm t(5);  // 8 snaps to 10 on a grid of 5
    t.Mouse.Drag(QPoint(115, 65), QPoint(44, 44));
    EXPECT_EQ(t.A->geometry(), QRect(40, 40, 10, 10));
  }
  {
    // Past the opposite corner: that corner stays where it was.
    TDragForm t(0);
    t.Mouse.Drag(QPoint(40, 40), QPoint(200, 200));
    EXPECT_EQ(t.A->geometry(), QRect(107, 57, 8, 8));
  }
  {
    // A grid coarser than the floor never snaps a control away to nothing.
    TDragForm t(40);
    t.Mouse.Drag(QPoint(115, 65), QPoint(44, 44));
    EXPECT_EQ(t.A->geometry().size(), QSize(40, 40));
  }
}

TEST(DesignDrag, HalfOfTheControlStaysInsideOnEverySide) {
  const int C = 400, H = 300;
  {
    TDragForm t(1);
    ASSERT_EQ(t.Form.size(), QSize(C, H));
    t.Mouse.Drag(QPoint(70, 52), QPoint(-200, -200));
    EXPECT_EQ(t.A->geometry(), QRect(-37, -12, 75, 25));
    t.Mouse.Drag(QPoint(-7, 0), QPoint(1000, 1000));
    EXPECT_EQ(t.A->geometry(), QRect(C - 38, H - 13, 75, 25));
  }
  {
    TDragForm t(4);  // snapped inside, never past the limit
    t.Mouse.Drag(QPoint(70, 52), QPoint(-200, -200));
    EXPECT_EQ(t.A->geometry(), QRect(-36, -12, 76, 24));
    t.Mouse.Drag(QPoint(-6, 0), QPoint(1000, 1000));
    const QRect g = t.A->geometry();
    EXPECT_LE(g.x() + g.width() - C, g.width() / 2);
    EXPECT_LE(g.y() + g.height() - H, g.height() / 2);
    EXPECT_GE(g.x() + g.width() - C, g.width() / 2 - 4);
  }
  {
    // Edges dragged far out: the other edge stays, half stays inside.
    TDragForm t(1);
    t.Mouse.Drag(QPoint(115, 52), QPoint(2000, 52));
    EXPECT_EQ(t.A->geometry(), QRect(40, 40, 2 * C - 80, 25));
    // Its right edge at 760: the left may go to -760 (half of 1520 out).
    t.Mouse.Drag(QPoint(40, 52), QPoint(-2000, 52));
    EXPECT_EQ(t.A->geometry(), QRect(-760, 40, 1520, 25));
    t.Mouse.Drag(QPoint(70, 65), QPoint(70, 2000));
    EXPECT_EQ(t.A->geometry(), QRect(-760, 40, 1520, 2 * H - 80));
  }
}

TEST(DesignDrag, NegativeTiesSnapToEven) {
  TDragForm t(4);
  // Grab point (30, 12): left -6 is a tie between -4 and -8.
  t.Mouse.Drag(QPoint(70, 52), QPoint(24, 52));
  EXPECT_EQ(t.A->geometry(), QRect(-8, 40, 76, 24));
  t.Mouse.Drag(QPoint(0, 52), QPoint(6, 52));  // -2 ties to 0
  EXPECT_EQ(t.A->geometry().x(), 0);
}

TEST(DesignDrag, GridBelowOneMeansNoSnapping) {
  for (int g : {0, -3}) {
    TDragForm t(g);
    t.Mouse.Drag(QPoint(70, 52), QPoint(83, 59));
    EXPECT_EQ(t.A->geometry(), QRect(53, 47, 75, 25));
  }
}

TEST(DesignDrag, ArrowKeysMoveAndShiftArrowsResize) {
  TDragForm t(4);
  QSignalSpy change(t.D, &TDesignAtRunTime::Change);
  QSignalSpy end(t.D, &TDesignAtRunTime::EndChange);
  t.Mouse.Press(QPoint(70, 52));
  t.Mouse.Release(QPoint(70, 52));
  ASSERT_EQ(t.D->MarkedControl(), t.A);
  EXPECT_EQ(change.count(), 0);
  QTest::keyClick(&t.Form, Qt::Key_Right);
  EXPECT_EQ(t.A->geometry(), QRect(44, 40, 76, 24));
  QTest::keyClick(&t.Form, Qt::Key_Down);
  EXPECT_EQ(t.A->geometry(), QRect(44, 44, 76, 24));
  QTest::keyClick(&t.Form, Qt::Key_Right, Qt::ShiftModifier);
  EXPECT_EQ(t.A->geometry(), QRect(44, 44, 80, 24));
  for (int i = 0; i < 6; ++i) QTest::keyClick(&t.Form, Qt::Key_Up, Qt::ShiftModifier);
  EXPECT_EQ(t.A->geometry(), QRect(44, 44, 80, 8));
  QTest::keyClick(&t.Form, Qt::Key_Left);
  EXPECT_EQ(t.A->geometry(), QRect(40, 44, 80, 8));
  EXPECT_EQ(t.D->SelectorBox(), QRect(36, 40, 88, 16));
  EXPECT_EQ(change.count(), 8);  // the last two Shift+Up steps changed nothing
  EXPECT_EQ(end.count(), 1 + 10);
  EXPECT_EQ(t.Form.statusTip(), QStringLiteral("A -  L: 40, T: 44, W: 80, H: 8"));
  // Far to the left: the half-inside limit holds for keys too.
  for (int i = 0; i < 40; ++i) QTest::keyClick(&t.Form, Qt::Key_Left);
  EXPECT_GE(t.A->x(), -40);
}

TEST(DesignDrag, EscapeEndsADragWhereItStarted) {
  TDragForm t(4);
  QSignalSpy end(t.D, &TDesignAtRunTime::EndChange);
  t.Mouse.Press(QPoint(115, 65));
  t.Mouse.Move(QPoint(150, 90));
  EXPECT_NE(t.A->geometry(), QRect(40, 40, 75, 25));
  QTest::keyClick(&t.Form, Qt::Key_Escape);
  EXPECT_EQ(t.A->geometry(), QRect(40, 40, 75, 25));
  EXPECT_FALSE(t.D->Dragging());
  EXPECT_EQ(end.count(), 1);
  EXPECT_EQ(t.D->SelectorBox(), QRect(36, 36, 83, 33));
  // The rest of that drag changes nothing.
  t.Mouse.Move(QPoint(170, 100));
  t.Mouse.Release(QPoint(170, 100));
  EXPECT_EQ(t.A->geometry(), QRect(40, 40, 75, 25));
  EXPECT_EQ(end.count(), 1);
}
