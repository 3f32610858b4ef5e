// The simple visual components worked from the keyboard alone.
#include <gtest/gtest.h>

#include <QSignalSpy>
#include <QTest>
#include <vector>

#include <Tarnwell/platform/TDateTime.h>
#include <Tarnwell/visuals/Button3D.h>
#include <Tarnwell/visuals/DTEdit.h>
#include <Tarnwell/visuals/ERombBtn.h>
#include <Tarnwell/visuals/FSimpVis.h>
#include <Tarnwell/visuals/URLLabel.h>

#include "TestUtil.h"

namespace {

using Groups = std::array<quint16, 4>;

struct TDTKeysCase {
  const char* what;
  TDTEditType type;
  std::vector<int> keys;
  Groups expected;  // the first three groups count for a time
  int field;
};

TEST(DateTimeEditKeys, StepTheFieldUnderTheCaret) {
  const std::vector<TDTKeysCase> cases = {
      {"Up adds one to the day", dteDate, {Qt::Key_Up}, {17, 12, 19, 99}, 0},
      {"Right then Down: the month", dteDate, {Qt::Key_Right, Qt::Key_Down}, {16, 11, 19, 99}, 1},
      {"month 13 does not convert", dteDate, {Qt::Key_Right, Qt::Key_Up}, {16, 12, 19, 99}, 1},
      {"the century", dteDate, {Qt::Key_Right, Qt::Key_Right, Qt::Key_Up}, {16, 12, 20, 99}, 2},
      {"End: the year", dteDate, {Qt::Key_End, Qt::Key_Down}, {16, 12, 19, 98}, 3},
      {"Right stops at the last field", dteDate, {Qt::Key_End, Qt::Key_Right, Qt::Key_Right}, {16, 12, 19, 99}, 3},
      {"Left stops at the first", dteDate, {Qt::Key_Left, Qt::Key_Up}, {17, 12, 19, 99}, 0},
      {"PageUp adds ten", dteDate, {Qt::Key_PageUp}, {26, 12, 19, 99}, 0},
      {"day 0 is undone", dteDate, {Qt::Key_PageDown, Qt::Key_PageDown}, {6, 12, 19, 99}, 0},
      {"Home after End", dteDate, {Qt::Key_End, Qt::Key_Home, Qt::Key_Up}, {17, 12, 19, 99}, 0},
      {"time: hours", dteTime, {Qt::Key_Up}, {13, 25, 22, 0}, 0},
      {"time: minutes ten up", dteTime, {Qt::Key_Right, Qt::Key_PageUp}, {12, 35, 22, 0}, 1},
      {"time: the seconds are the last field", dteTime, {Qt::Key_End, Qt::Key_Down}, {12, 25, 21, 0}, 2},
  };
  for (const TDTKeysCase& c : cases) {
    SCOPED_TRACE(c.what);
    TDateTimeEdit e;
    e.setDTType(c.type);
    e.setDate(DateToSerial(QDate(1999, 12, 16)));
    e.setTime(QStringLiteral("12.25.22"));
    for (int k : c.keys) QTest::keyClick(&e, Qt::Key(k));
    const Groups g = e.Groups();
    const int n = c.type == dteDate ? 4 : 3;
    for (int i = 0; i < n; ++i) EXPECT_EQ(g[size_t(i)], c.expected[size_t(i)]) << "group " << i;
    EXPECT_EQ(e.CurrentField(), c.field);
  }
}

// The edit takes the focus (its rows do not: they are worked with the mouse
// and move the caret to their column).
TEST(DateTimeEditKeys, FocusIsTheEditsNotItsRows) {
  TDateTimeEdit e;
  EXPECT_TRUE(e.focusPolicy() & Qt::TabFocus);
  EXPECT_EQ(e.UpButtons()->focusPolicy(), Qt::NoFocus);
  EXPECT_EQ(e.DownButtons()->focusPolicy(), Qt::NoFocus);
  TButtonArray* down = e.DownButtons();
  QTest::mouseClick(down, Qt::LeftButton, {}, QPoint(down->ButtonWidth() * 2 + 3, 5));
  EXPECT_EQ(e.CurrentField(), 2);
}

TEST(ButtonArrayKeys, ArrowsChooseSpacePresses) {
  TButtonArray a;
  a.setCount(6);
  a.resize(240, 30);
  QSignalSpy down(&a, &TButtonArray::ButtonDown), click(&a, &TButtonArray::ButtonClick);
  QTest::keyClick(&a, Qt::Key_Left);  // stays on the first
  EXPECT_EQ(a.CurrentIndex(), 0);
  QTest::keyClick(&a, Qt::Key_Right);
  QTest::keyClick(&a, Qt::Key_Right);
  QTest::keyPress(&a, Qt::Key_Space);
  EXPECT_EQ(a.PressedIndex(), 2);
  // The key's own auto-repeat presses nothing more: the array repeats.
  QKeyEvent again(QEvent::KeyPress, Qt::Key_Space, Qt::NoModifier, QString(), true);
  QCoreApplication::sendEvent(&a, &again);
  QTest::keyRelease(&a, Qt::Key_Space);
  ASSERT_EQ(down.count(), 1);
  EXPECT_EQ(down.at(0).at(1).toInt(), 2);
  ASSERT_EQ(click.count(), 1);
  EXPECT_EQ(click.at(0).at(1).toInt(), 2);
  EXPECT_EQ(a.PressedIndex(), -1);
  QTest::keyClick(&a, Qt::Key_End);
  EXPECT_EQ(a.CurrentIndex(), 5);
  QTest::keyClick(&a, Qt::Key_Home);
  EXPECT_EQ(a.CurrentIndex(), 0);
}

TEST(SphericalButtonKeys, SpaceAndEnterClick) {
  TSphericalButton b;
  EXPECT_TRUE(b.focusPolicy() & Qt::TabFocus);
  QSignalSpy click(&b, &TSphericalButton::Click);
  QTest::keyPress(&b, Qt::Key_Space);
  EXPECT_EQ(b.MouseState(), 2);  // drawn pressed while the key is down
  EXPECT_EQ(click.count(), 0);
  QTest::keyRelease(&b, Qt::Key_Space);
  EXPECT_EQ(click.count(), 1);
  EXPECT_EQ(b.MouseState(), 0);
  QTest::keyClick(&b, Qt::Key_Return);
  QTest::keyClick(&b, Qt::Key_Enter);
  EXPECT_EQ(click.count(), 3);
  b.setEnabled(false);
  b.PerformClick();
  EXPECT_EQ(click.count(), 3);
}

TEST(URLLabelKeys, ReachedWithTabOpenedWithEnter) {
  TURLLabel l;
  EXPECT_TRUE(l.focusPolicy() & Qt::TabFocus);
  QSignalSpy click(&l, &TURLLabel::Clicked);
  QTest::keyClick(&l, Qt::Key_Return);  // no address: an error box, not a crash
  EXPECT_EQ(click.count(), 1);
}

// Every control of the window that is worked with keys is on the Tab chain.
TEST(SimpleVisKeys, EveryInteractiveControlTakesTab) {
  TFormSimpleVis f;
  std::vector<QWidget*> wanted;
  for (QWidget* w : f.findChildren<QWidget*>()) {
    const bool interactive = qobject_cast<TSphericalButton*>(w) || qobject_cast<TEnhRombButtons*>(w) ||
                             qobject_cast<TDateTimeEdit*>(w) || qobject_cast<TURLLabel*>(w) ||
                             (qobject_cast<TButtonArray*>(w) && !qobject_cast<TDateTimeEdit*>(w->parentWidget()));
    if (interactive) wanted.push_back(w);
  }
  EXPECT_EQ(wanted.size(), size_t(14));
  for (QWidget* w : wanted) EXPECT_TRUE(w->focusPolicy() & Qt::TabFocus) << w->objectName().toStdString();
}

}  // namespace
