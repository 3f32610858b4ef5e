// The "Run Time Designing" window.
#include <gtest/gtest.h>

#include <QSignalSpy>

#include <Tarnwell/rtdesign/FRTDsgn.h>

#include "DesignTestUtil.h"
#include "TestUtil.h"

TEST(RTDesignWindow, HoldsItsControlsAsDesigned) {
  TFormRTDesign f;
  EXPECT_EQ(f.Caption(), QStringLiteral("Run Time Designing"));
  EXPECT_EQ(f.MeasureDisplay1->DisplayStyle(), Measdisp::mdAnima);
  EXPECT_EQ(f.MeasureDisplay2->DisplayStyle(), Measdisp::mdTermo);
  EXPECT_EQ(f.CheckBox1->text(),
            QStringLiteral("Design Mode Enabled (This Check can't be changed because it has Tag < 0) "));
  EXPECT_EQ(f.CheckBox1->property("Tag").toInt(), -1);
  EXPECT_EQ(f.DesignAtRunTime1->GridSize(), 4);
  EXPECT_TRUE(f.DesignAtRunTime1->ChangeEnabled());
  EXPECT_FALSE(f.DesignAtRunTime1->Active());
  EXPECT_EQ(f.Timer1->interval(), 100);
  EXPECT_FALSE(f.Timer1->isActive());
  EXPECT_EQ(f.Button1->geometry(), QRect(192, 112, 75, 25));
  EXPECT_FALSE(TFormRTDesign::AnimationStrip().isNull());
  EXPECT_EQ(f.MeasureDisplay1->Monitor() != nullptr, true);
}

TEST(RTDesignWindow, TimerRunsWhileShownAndAnimates) {
  auto* f = new TFormRTDesign;
  QPointer<TFormRTDesign> alive(f);
  f->show();
  EXPECT_TRUE(f->Timer1->isActive());
  const QImage before = f->MeasureDisplay1->Surface().copy();
  f->Timer1Timer();
  f->Timer1Timer();
  EXPECT_NE(f->MeasureDisplay1->Surface(), before);
  f->close();
  EXPECT_TRUE(WaitUntil([&] { return alive.isNull(); }));  // frees itself on close
}

TEST(RTDesignWindow, CheckBoxSwitchesDesignModeAndEventsWriteTheStatusBar) {
  TFormRTDesign f;
  f.show();
  QCoreApplication::processEvents();
  TMouse m(&f);
  const QPoint cb = f.CheckBox1->geometry().center();
  m.Press(cb);
  m.Release(cb);
  ASSERT_TRUE(f.DesignAtRunTime1->Active());
  const QList<QWidget*> designed = f.DesignAtRunTime1->DesignedControls();
  EXPECT_EQ(designed.size(), 1 + 7);  // the form and seven controls
  EXPECT_FALSE(designed.contains(f.CheckBox1));
  EXPECT_FALSE(designed.contains(f.StatusBar1));
  EXPECT_TRUE(f.CheckBox1->isEnabled());
  EXPECT_FALSE(f.Button1->isEnabled());

  const QPoint b = f.Button1->geometry().center();
  m.Press(b);
  EXPECT_EQ(f.StatusBar1->currentMessage(), QStringLiteral("Begin Change"));
  m.Move(b + QPoint(20, 12));
  EXPECT_EQ(f.StatusBar1->currentMessage(), QStringLiteral("Changing..."));
  m.Release(b + QPoint(20, 12));
  EXPECT_EQ(f.StatusBar1->currentMessage(), QStringLiteral("End Change"));
  EXPECT_EQ(f.Button1->geometry(), QRect(212, 124, 76, 24));
  m.Press(f.Memo1->geometry().center(), Qt::RightButton);
  m.Release(f.Memo1->geometry().center(), Qt::RightButton);
  EXPECT_EQ(f.StatusBar1->currentMessage(), QStringLiteral("Right Down"));
  // A measure display is designed like any control.
  const QRect md = f.MeasureDisplay2->geometry();
  m.Drag(md.bottomRight() + QPoint(1, 1), md.bottomRight() + QPoint(9, 21));
  EXPECT_EQ(f.MeasureDisplay2->geometry(), QRect(136, 8, 56, 180));

  m.Press(cb);
  m.Release(cb);
  EXPECT_FALSE(f.DesignAtRunTime1->Active());
  EXPECT_TRUE(f.Button1->isEnabled());
  EXPECT_EQ(f.Button1->geometry(), QRect(212, 124, 76, 24));  // where it was put
}

TEST(RTDesignWindow, LabelShowsARandomDigitUnderTheMouse) {
  TFormRTDesign f;
  f.show();
  TMouse m(&f);
  for (int i = 0; i < 5; ++i) {
    m.Hover(f.Label1->geometry().center() + QPoint(i, 0));
    bool ok = false;
    const int v = f.Label1->text().toInt(&ok);
    EXPECT_TRUE(ok);
    EXPECT_GE(v, 0);
    EXPECT_LE(v, 9);
  }
}

TEST(RTDesignWindow, EveryHandleOfTheSelectedControlStartsSizingIt) {
  // Button1 (192, 112, 75 x 25): handles of 4 x 4 around it, from (188, 108)
  // to (271, 141). Some lie over other controls or nearer to them.
  struct Row {
    QPoint at;
    int zone;
  };
  const Row rows[] = {
      {{190, 110}, 1}, {{188, 108}, 1}, {{270, 110}, 2}, {{190, 138}, 3}, {{268, 139}, 4},
      {{229, 109}, 5}, {{189, 124}, 6}, {{229, 140}, 7}, {{270, 125}, 8},
  };
  TFormRTDesign f;
  f.show();
  QCoreApplication::processEvents();
  TMouse m(&f);
  m.Press(f.CheckBox1->geometry().center());
  m.Release(f.CheckBox1->geometry().center());
  ASSERT_TRUE(f.DesignAtRunTime1->Active());
  for (const Row& r : rows) {
    SCOPED_TRACE(testing::Message() << r.at.x() << "," << r.at.y());
    // Button1 selected, as a click on it leaves it.
    m.Press(f.Button1->geometry().center());
    m.Release(f.Button1->geometry().center());
    ASSERT_EQ(f.DesignAtRunTime1->MarkedControl(), f.Button1);
    m.Press(r.at);
    EXPECT_EQ(f.DesignAtRunTime1->SelectedControl(), f.Button1);
    EXPECT_TRUE(f.DesignAtRunTime1->Resizing());
    EXPECT_EQ(f.DesignAtRunTime1->DragZone(), r.zone);
    m.Release(r.at);
    EXPECT_EQ(f.Button1->geometry(), QRect(192, 112, 75, 25));  // a press and release alone change nothing
  }
}
