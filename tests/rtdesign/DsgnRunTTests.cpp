// Design mode on and off, what it takes over and gives back, selection,
// hints, cursors and the handles.
#include <gtest/gtest.h>

#include <QSignalSpy>
#include <QStatusTipEvent>
#include <QWindow>

#include "DesignTestUtil.h"
#include "TestUtil.h"

using Zone = std::tuple<int, int, int>;  // x, y, zone

TEST(DesignAtRunTime, PropertiesStartAsDeclared) {
  TForm f;
  TDesignAtRunTime d(&f);
  EXPECT_EQ(d.GridSize(), 0);
  EXPECT_FALSE(d.ChangeEnabled());
  EXPECT_EQ(d.ClientControl(), &f);
  EXPECT_EQ(d.SelectorColor(), clRed);
  EXPECT_FALSE(d.Active());
  // The contract names reach them through the meta-object.
  EXPECT_TRUE(d.setProperty("GridSize", 4));
  EXPECT_TRUE(d.setProperty("SelectorColor", QColor(Qt::blue)));
  EXPECT_EQ(d.GridSize(), 4);
  EXPECT_EQ(d.SelectorColor(), clBlue);
  QSignalSpy active(&d, &TDesignAtRunTime::ActiveChanged);
  d.setActive(true);
  d.setActive(true);  // the same value again does nothing
  EXPECT_EQ(active.count(), 1);
}

TEST(DesignAtRunTime, HitZonesEndBetweenThreeAndFourPixels) {
  const int w = 75, h = 25;
  // Each zone at |d| = 3 (in) and the first point beyond (out).
  const std::vector<Zone> cases = {
      {0, 0, 1},   {-3, -3, 1}, {3, 3, 1},   {-4, 0, 0},  {0, -4, 0},  {w, 0, 2},    {w + 3, -3, 2},
      {w + 4, 0, 0}, {0, h, 3}, {-3, h + 3, 3}, {0, h + 4, 0}, {w, h, 4},  {w - 3, h - 3, 4}, {w + 4, h, 0},
      {4, 0, 5},   {w - 4, 3, 5}, {w - 4, -3, 5}, {4, 4, 0}, {0, 4, 6},   {-3, h - 4, 6}, {w / 2, h, 7},
      {w / 2, h + 3, 7}, {w / 2, h - 4, 0}, {w, h / 2, 8}, {w + 3, h / 2, 8}, {w + 4, h / 2, 0}, {w / 2, h / 2, 0}};
  for (const auto& [x, y, z] : cases)
    EXPECT_EQ(TDesignAtRunTime::HitZone(x, y, w, h), z) << "at " << x << "," << y;
  EXPECT_EQ(TDesignAtRunTime::ZoneCursor(1), Qt::SizeFDiagCursor);
  EXPECT_EQ(TDesignAtRunTime::ZoneCursor(4), Qt::SizeFDiagCursor);
  EXPECT_EQ(TDesignAtRunTime::ZoneCursor(2), Qt::SizeBDiagCursor);
  EXPECT_EQ(TDesignAtRunTime::ZoneCursor(3), Qt::SizeBDiagCursor);
  EXPECT_EQ(TDesignAtRunTime::ZoneCursor(5), Qt::SizeVerCursor);
  EXPECT_EQ(TDesignAtRunTime::ZoneCursor(7), Qt::SizeVerCursor);
  EXPECT_EQ(TDesignAtRunTime::ZoneCursor(6), Qt::SizeHorCursor);
  EXPECT_EQ(TDesignAtRunTime::ZoneCursor(8), Qt::SizeHorCursor);
  EXPECT_EQ(TDesignAtRunTime::ZoneCursor(0), Qt::ArrowCursor);
}

TEST(DesignAtRunTime, HoverSetsTheClientCursorByZone) {
  TDesignForm t;
  t.D->setChangeEnabled(true);
  t.D->setActive(true);
  TMouse m(&t.Form);
  const QPoint tl(40, 40), br(115, 65);
  const std::vector<std::pair<QPoint, Qt::CursorShape>> cases = {
      {tl + QPoint(-3, -3), Qt::SizeFDiagCursor}, {br + QPoint(3, 3), Qt::SizeFDiagCursor},
      {QPoint(114, 38), Qt::SizeBDiagCursor},     {QPoint(43, 68), Qt::SizeBDiagCursor},
      {QPoint(70, 43), Qt::SizeVerCursor},        {QPoint(70, 68), Qt::SizeVerCursor},
      {QPoint(37, 52), Qt::SizeHorCursor},        {QPoint(118, 52), Qt::SizeHorCursor},
      {QPoint(70, 52), Qt::ArrowCursor},          {QPoint(70, 44), Qt::ArrowCursor}};
  for (const auto& [p, shape] : cases) {
    m.Hover(p);
    EXPECT_EQ(t.Form.cursor().shape(), shape) << p.x() << "," << p.y();
  }
  // Without ChangeEnabled the cursor is left alone.
  t.D->setChangeEnabled(false);
  m.Hover(QPoint(250, 20));
  const Qt::CursorShape before = t.Form.cursor().shape();
  m.Hover(tl);
  EXPECT_EQ(t.Form.cursor().shape(), before);
}

TEST(DesignAtRunTime, SwitchingOnTakesOverOnlyDesignableChildren) {
  TDesignForm t;
  t.D->setActive(true);
  const QList<QWidget*> designed = t.D->DesignedControls();
  EXPECT_EQ(designed, (QList<QWidget*>{&t.Form, t.A, t.B, t.C}));
  for (QWidget* w : {static_cast<QWidget*>(t.A), static_cast<QWidget*>(t.B), static_cast<QWidget*>(t.C)}) {
    EXPECT_FALSE(w->isEnabled()) << w->objectName().toStdString();
    EXPECT_TRUE(w->testAttribute(Qt::WA_TransparentForMouseEvents));
  }
  EXPECT_TRUE(t.Tagged->isEnabled());
  EXPECT_TRUE(t.Aligned->isEnabled());
  EXPECT_TRUE(t.Status->isEnabled());
  // The last designable child is selected, with its handles.
  EXPECT_EQ(t.D->SelectedControl(), t.C);
  EXPECT_EQ(t.D->MarkedControl(), t.C);
  EXPECT_EQ(t.D->SelectorBox(), QRect(36, 196, 68, 28));
  // The overlay covers the client, lies on top and lets the mouse through.
  QWidget* o = t.D->Overlay();
  ASSERT_TRUE(o);
  EXPECT_EQ(o->geometry(), t.Form.rect());
  EXPECT_EQ(t.Form.children().last(), o);
  EXPECT_TRUE(o->testAttribute(Qt::WA_TransparentForMouseEvents));
  t.Form.resize(500, 350);
  EXPECT_EQ(o->geometry(), t.Form.rect());
}

TEST(DesignAtRunTime, TaggedAndAlignedControlsAreNeverSelected) {
  TDesignForm t;
  t.D->setChangeEnabled(true);
  t.D->setActive(true);
  TMouse m(&t.Form);
  // On them, and just beside them where a handle would be.
  for (QWidget* w : {static_cast<QWidget*>(t.Tagged), static_cast<QWidget*>(t.Status), static_cast<QWidget*>(t.Aligned)}) {
    const QRect g = w->geometry();
    for (const QPoint& p : {g.center(), QPoint(g.right() + 3, g.center().y()), QPoint(g.center().x(), g.top() - 2)}) {
      EXPECT_EQ(t.D->ControlAt(p.x(), p.y()), nullptr) << w->objectName().toStdString();
      m.Hover(p);
      EXPECT_NE(t.D->SelectedControl(), w);
    }
  }
  // A click on the tagged check box is its own.
  const QPoint box = t.Tagged->geometry().topLeft() + QPoint(6, 8);
  m.Press(box);
  m.Release(box);
  EXPECT_TRUE(t.Tagged->isChecked());
  EXPECT_NE(t.D->SelectedControl(), t.Tagged);
  EXPECT_EQ(t.Form.Presses, 0);
}

TEST(DesignAtRunTime, PressOnAHandleJustOutsideFindsTheControl) {
  TDesignForm t;
  t.D->setActive(true);
  // The handles lie 1 to 4 pixels outside the control (40..114 x 40..64);
  // the tried offsets reach all but their outermost line on the left and top.
  EXPECT_EQ(t.D->ControlAt(38, 52), t.A);
  EXPECT_EQ(t.D->ControlAt(37, 52), t.A);   // (x + 3, y)
  EXPECT_EQ(t.D->ControlAt(36, 52), nullptr);
  EXPECT_EQ(t.D->ControlAt(118, 52), t.A);  // (x - 6, y)
  EXPECT_EQ(t.D->ControlAt(70, 37), t.A);   // (x, y + 3)
  EXPECT_EQ(t.D->ControlAt(70, 68), t.A);   // (x, y - 6)
  EXPECT_EQ(t.D->ControlAt(118, 68), t.A);  // (x - 6, y - 6)
  EXPECT_EQ(t.D->ControlAt(120, 75), nullptr);
}

TEST(DesignAtRunTime, SwitchingOffGivesEverythingBack) {
  TDesignForm t;
  t.Form.setCursor(Qt::CrossCursor);
  t.A->setCursor(Qt::PointingHandCursor);
  SetHint(&t.Form, QStringLiteral("Form|The form"));
  SetHint(t.B, QStringLiteral("B|The edit"));
  t.D->setChangeEnabled(true);
  t.D->setActive(true);
  TMouse m(&t.Form);
  m.Hover(QPoint(70, 52));
  EXPECT_EQ(t.Form.statusTip(), QStringLiteral("A -  L: 40, T: 40, W: 75, H: 25"));
  m.Drag(QPoint(70, 52), QPoint(90, 60));
  EXPECT_EQ(t.Form.Presses + t.Form.Moves + t.Form.Releases, 0);  // taken over

  t.D->setActive(false);
  EXPECT_TRUE(t.A->isEnabled());
  EXPECT_TRUE(t.B->isEnabled());
  EXPECT_FALSE(t.C->isEnabled());  // disabled before, disabled after
  for (QWidget* w : {static_cast<QWidget*>(t.A), static_cast<QWidget*>(t.B), static_cast<QWidget*>(t.C)})
    EXPECT_FALSE(w->testAttribute(Qt::WA_TransparentForMouseEvents));
  EXPECT_EQ(t.Form.cursor().shape(), Qt::CrossCursor);
  EXPECT_EQ(t.A->cursor().shape(), Qt::PointingHandCursor);
  EXPECT_EQ(t.B->cursor().shape(), Qt::IBeamCursor);  // the edit's own
  EXPECT_EQ(t.Form.statusTip(), QStringLiteral("The form"));
  EXPECT_EQ(t.Form.toolTip(), QStringLiteral("Form"));
  EXPECT_EQ(t.B->statusTip(), QStringLiteral("The edit"));
  EXPECT_FALSE(t.Form.hasMouseTracking());
  EXPECT_EQ(t.D->SelectedControl(), nullptr);
  EXPECT_EQ(t.D->Overlay(), nullptr);
  EXPECT_TRUE(t.D->DesignedControls().isEmpty());

  // The form's own mouse handling works as before, and the button its own.
  QTest::mouseClick(&t.Form, Qt::LeftButton, {}, QPoint(300, 150));
  EXPECT_EQ(t.Form.Presses, 1);
  EXPECT_EQ(t.Form.Releases, 1);
  QSignalSpy clicked(t.A, &QPushButton::clicked);
  m.Press(t.A->geometry().center());
  m.Release(t.A->geometry().center());
  EXPECT_EQ(clicked.count(), 1);
}

TEST(DesignAtRunTime, HintReportsTheControlOrTheForm) {
  TDesignForm t;
  t.D->setActive(true);
  TMouse m(&t.Form);
  m.Hover(QPoint(210, 105));
  EXPECT_EQ(t.D->SelectedControl(), t.B);
  EXPECT_EQ(t.Form.statusTip(), QStringLiteral("B -  L: 200, T: 100, W: 80, H: 20"));
  EXPECT_EQ(t.Form.toolTip(), QString());  // the short part is empty
  m.Hover(QPoint(300, 150));
  EXPECT_EQ(t.D->SelectedControl(), nullptr);
  const QRect fg = t.Form.frameGeometry();
  EXPECT_EQ(t.Form.statusTip(), QStringLiteral("Design Test -  L: %1, T: %2, W: %3, H: %4")
                                    .arg(fg.x())
                                    .arg(fg.y())
                                    .arg(fg.width())
                                    .arg(fg.height()));
  EXPECT_EQ(t.D->HintFor(t.A), QStringLiteral("|A -  L: 40, T: 40, W: 75, H: 25"));
}

TEST(DesignAtRunTime, EventsOfAPressAndTheRightButton) {
  TDesignForm t;
  t.D->setChangeEnabled(true);
  t.D->setActive(true);
  QSignalSpy select(t.D, &TDesignAtRunTime::SelectControl);
  QSignalSpy right(t.D, &TDesignAtRunTime::MouseRight);
  QSignalSpy begin(t.D, &TDesignAtRunTime::BeginChange);
  int assigned = 0;
  t.D->OnMouseRight = [&](TObject* s) {
    EXPECT_EQ(s, t.D);
    ++assigned;
  };
  TMouse m(&t.Form);
  m.Press(QPoint(300, 150), Qt::RightButton);  // nothing there: only selects nothing
  m.Release(QPoint(300, 150), Qt::RightButton);
  EXPECT_EQ(select.count(), 1);
  EXPECT_EQ(right.count(), 0);
  m.Press(QPoint(70, 52), Qt::RightButton);
  m.Release(QPoint(70, 52), Qt::RightButton);
  EXPECT_EQ(select.count(), 2);
  EXPECT_EQ(right.count(), 1);
  EXPECT_EQ(assigned, 1);
  EXPECT_EQ(begin.count(), 0);
  EXPECT_EQ(t.D->SelectedControl(), t.A);
  EXPECT_EQ(t.D->MarkedControl(), t.A);
}

TEST(DesignAtRunTime, WithoutChangeEnabledAClickOnlySelects) {
  TDesignForm t;
  t.D->setActive(true);
  QSignalSpy begin(t.D, &TDesignAtRunTime::BeginChange);
  QSignalSpy change(t.D, &TDesignAtRunTime::Change);
  TMouse m(&t.Form);
  m.Drag(QPoint(210, 105), QPoint(260, 160));
  EXPECT_EQ(t.B->geometry(), QRect(200, 100, 80, 20));
  EXPECT_EQ(begin.count(), 0);
  EXPECT_EQ(change.count(), 0);
  EXPECT_EQ(t.D->MarkedControl(), t.B);
  EXPECT_FALSE(t.D->KeyDown(Qt::Key_Right, {}));
}

TEST(DesignAtRunTime, HandlesArePaintedAroundTheControl) {
  TDesignForm t;
  t.D->setActive(true);
  TMouse m(&t.Form);
  m.Press(QPoint(70, 52));
  m.Release(QPoint(70, 52));
  ASSERT_EQ(t.D->MarkedControl(), t.A);
  QImage img = t.Form.grab().toImage();
  // Box (36, 36)-(119, 69): corners, edge midpoints; nothing between them.
  const QColor red(Qt::red);
  for (const QPoint& p : {QPoint(36, 36), QPoint(39, 39), QPoint(118, 36), QPoint(36, 68), QPoint(118, 68),
                          QPoint(77, 36), QPoint(75, 39), QPoint(36, 52), QPoint(118, 53), QPoint(77, 68)})
    EXPECT_EQ(img.pixelColor(p), red) << p.x() << "," << p.y();
  for (const QPoint& p : {QPoint(50, 37), QPoint(36, 44), QPoint(35, 35), QPoint(119, 69), QPoint(40, 40)})
    EXPECT_NE(img.pixelColor(p), red) << p.x() << "," << p.y();
  // The old place is cleared when another control is selected.
  m.Press(QPoint(210, 105));
  m.Release(QPoint(210, 105));
  img = t.Form.grab().toImage();
  EXPECT_NE(img.pixelColor(36, 36), red);
  EXPECT_EQ(img.pixelColor(196, 96), red);
  // clNone draws no handles.
  t.D->setSelectorColor(clNone);
  img = t.Form.grab().toImage();
  EXPECT_NE(img.pixelColor(196, 96), red);
  t.D->setSelectorColor(clBlue);
  img = t.Form.grab().toImage();
  EXPECT_EQ(img.pixelColor(196, 96), QColor(Qt::blue));
}

TEST(DesignAtRunTime, FollowsItsClientControl) {
  TDesignForm t;
  auto* panel = new QWidget(&t.Form);
  panel->setGeometry(10, 230, 380, 40);
  auto* inner = new QPushButton(QStringLiteral("I"), panel);
  inner->setObjectName(QStringLiteral("Inner"));
  inner->setGeometry(8, 8, 40, 20);
  panel->show();
  t.D->setActive(true);
  EXPECT_FALSE(t.A->isEnabled());
  QSignalSpy changed(t.D, &TDesignAtRunTime::ClientControlChanged);
  t.D->setClientControl(panel);  // design moves to the panel
  EXPECT_EQ(changed.count(), 1);
  EXPECT_TRUE(t.D->Active());
  EXPECT_TRUE(t.A->isEnabled());
  EXPECT_FALSE(inner->isEnabled());
  EXPECT_EQ(t.D->SelectedControl(), inner);
  delete panel;  // its controls go with it
  EXPECT_EQ(t.D->ClientControl(), nullptr);
  EXPECT_FALSE(t.D->Active());
  EXPECT_EQ(changed.count(), 2);
  // The owning form stands in for an empty client.
  t.D->setActive(true);
  EXPECT_EQ(t.D->Client(), &t.Form);
  EXPECT_FALSE(t.A->isEnabled());
  t.D->setActive(false);
  EXPECT_TRUE(t.A->isEnabled());
}

TEST(DesignAtRunTime, WithoutAnyClientSwitchingOnIsRefused) {
  TDesignAtRunTime d;
  EXPECT_THROW(d.setActive(true), EInvalidOperation);
  EXPECT_FALSE(d.Active());
}

TEST(DesignAtRunTime, RemovedWhileOnGivesTheControlsBack) {
  TDesignForm t;
  t.D->setActive(true);
  delete t.D;
  EXPECT_TRUE(t.A->isEnabled());
  EXPECT_FALSE(t.C->isEnabled());
  EXPECT_EQ(t.Form.findChild<QWidget*>(QStringLiteral("DesignSelector")), nullptr);
  // And a form closing in design mode takes its designer along quietly.
  auto* f = new TDesignForm;
  f->D->setActive(true);
  delete f;
}

TEST(DesignAtRunTime, WindowSystemEventsReachTheDesigner) {
  // Through the window, as the platform delivers them: the widget under the
  // pointer is picked by Qt itself. A disabled push button would swallow a
  // press, and a hover over a disabled control would never reach the form.
  TDesignForm t;
  t.D->setChangeEnabled(true);
  t.D->setActive(true);
  QWindow* win = t.Form.windowHandle();
  ASSERT_TRUE(win);
  std::vector<QString> tips;
  struct TTips : QObject {
    std::vector<QString>* Out;
    bool eventFilter(QObject*, QEvent* e) override {
      if (e->type() == QEvent::StatusTip) Out->push_back(static_cast<QStatusTipEvent*>(e)->tip());
      return false;
    }
  } watch;
  watch.Out = &tips;
  t.Form.installEventFilter(&watch);
  QTest::mouseMove(win, QPoint(210, 105));
  EXPECT_EQ(t.D->SelectedControl(), t.B);
  ASSERT_FALSE(tips.empty());  // the status line hears of the new hint
  EXPECT_EQ(tips.back(), QStringLiteral("B -  L: 200, T: 100, W: 80, H: 20"));
  QTest::mousePress(win, Qt::LeftButton, {}, QPoint(70, 52));
  QTest::mouseMove(win, QPoint(76, 56));
  QTest::mouseMove(win, QPoint(83, 59));
  QTest::mouseRelease(win, Qt::LeftButton, {}, QPoint(83, 59));
  EXPECT_EQ(t.A->geometry(), QRect(53, 47, 75, 25));
  EXPECT_EQ(t.Form.Presses, 0);
  t.D->setActive(false);
  QSignalSpy clicked(t.A, &QPushButton::clicked);
  QTest::mouseClick(win, Qt::LeftButton, {}, QPoint(70, 52));
  EXPECT_EQ(clicked.count(), 1);
}
