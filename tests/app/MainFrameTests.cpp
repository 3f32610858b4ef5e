// The main frame: launcher table, layout, instances of windows, the hidden
// report preview.
#include <gtest/gtest.h>

#include <algorithm>

#include <QApplication>
#include <QMdiSubWindow>
#include <QSet>
#include <QStatusTipEvent>
#include <QTest>

#include <Tarnwell/app/FPreview.h>
#include <Tarnwell/app/Main.h>
#include "TestUtil.h"

using namespace Tarnwell;

TEST(Launchers, TableInScreenOrder) {
  const auto& t = Launchers();
  ASSERT_EQ(t.size(), 15u);
  struct Row {
    int n;
    const char* cap;
    const char* cls;
    const char* wcap;
  };
  const Row expected[] = {
      {7, "Simple Visuals", "TFormSimpleVis", "Simple Visual Components"},
      {2, "TPattern....", "TFormPattern", "TPattern...."},
      {1, "TMeasureDisplay", "TFormMeasDisp", "TMeasureDisplay"},
      {3, "TFileListView...", "TFormFileView", "TFileListView..."},
      {4, "TSlideControls", "TFormSlideMenu", "TSlideControls..."},
      {5, "TBarCodes", "TFormBarCodes", "TBarCodes"},
      {6, "TGraph2D", "TFormGraph2D", "TGraph2D"},
      {8, "Scroll Components", "TFormScroll", "Scroll Components"},
      {9, "DB Controls", "TFormDBCtrl", "FormDBCtrl"},
      {10, "Common Controls", "TFormCommCtrls", "Common Controls"},
      {15, "Foglio di Calcolo", "TFormVDBChildSpreadSheet", "Foglio di Calcolo"},
      {11, "Gadget", "TFormGadget", "Gadget"},
      {14, "Run Time Design", "TFormRTDesign", "Run Time Designing"},
      {12, "Other Components", "TFormUtilityComp", "Other Components"},
      {13, "Other Objects", "TFormOtherObject", "Other Objects"},
  };
  for (size_t i = 0; i < t.size(); ++i) {
    SCOPED_TRACE(i);
    EXPECT_EQ(t[i].Number, expected[i].n);
    EXPECT_STREQ(t[i].ButtonCaption, expected[i].cap);
    EXPECT_STREQ(t[i].WindowClass, expected[i].cls);
    EXPECT_STREQ(t[i].WindowCaption, expected[i].wcap);
    EXPECT_EQ(t[i].Top, 4 + 24 * int(i));
    EXPECT_EQ(QString::fromLatin1(t[i].ComponentName), QStringLiteral("ShineButton%1").arg(t[i].Number));
  }
  EXPECT_EQ(FindLauncher("Gadget")->Number, 11);
  EXPECT_EQ(FindLauncher("gadget"), nullptr);
}

TEST(MainFrame, LayoutOfFrameAndLaunchers) {
  TFormMain f;
  EXPECT_EQ(f.size(), QSize(640, 422));
  EXPECT_TRUE(f.windowTitle().startsWith(QStringLiteral("Tarnwell")));
  EXPECT_EQ(f.Panel1->width(), 109);
  for (const TLauncher& l : Launchers()) {
    TShineButton* b = f.ShineButton(l.Number);
    ASSERT_NE(b, nullptr);
    EXPECT_EQ(b->geometry(), QRect(4, l.Top, 100, 22)) << l.ButtonCaption;
    EXPECT_EQ(b->Caption(), QString::fromUtf8(l.ButtonCaption));
    EXPECT_TRUE(b->Flat());
    EXPECT_EQ(b->ShineColor(), clRed);
    EXPECT_EQ(b->DefColor(), clBlack);
    // A launcher is on exactly when its window exists, and says so otherwise.
    EXPECT_EQ(b->isEnabled(), l.Create != nullptr) << l.ButtonCaption;
    if (!l.Create) {
      EXPECT_TRUE(b->statusTip().contains(QStringLiteral("non è ancora disponibile")));
    }
  }
  EXPECT_EQ(f.PatternFormPaint1->ImagePosition(), pipBottomRight);
  EXPECT_EQ(f.PatternFormPaint1->OffSetR(), 120);
  EXPECT_EQ(f.PatternFormPaint1->OffSetB(), 10);
  EXPECT_TRUE(f.PatternFormPaint1->ImageTransparent());
}

TEST(MainFrame, EachClickOpensAnIndependentWindowThatFreesItselfOnClose) {
  TFormMain f;
  f.show();
  TShineButton* b = f.ShineButton(2);  // "TPattern...."
  ASSERT_TRUE(b->isEnabled());
  QTest::mouseClick(b, Qt::LeftButton);
  QPointer<TForm> first = f.LastWindow(2);
  QTest::mouseClick(b, Qt::LeftButton);
  QPointer<TForm> second = f.LastWindow(2);
  ASSERT_TRUE(first && second);
  EXPECT_NE(first, second);
  EXPECT_EQ(f.MdiArea->subWindowList().size(), 2);
  EXPECT_EQ(first->Caption(), QStringLiteral("TPattern...."));
  first->Close();
  WaitUntil([&] { return first.isNull(); });
  EXPECT_TRUE(first.isNull());  // freed, and no reference dangles
  ASSERT_FALSE(second.isNull());
  EXPECT_TRUE(second->isVisible());
  EXPECT_EQ(f.MdiArea->subWindowList().size(), 1);
  // Closing the last instance leaves no dangling "last window".
  second->Close();
  WaitUntil([&] { return f.LastWindow(2) == nullptr; });
  EXPECT_EQ(f.LastWindow(2), nullptr);
  // Opening again builds a fresh instance.
  TForm* third = f.Launch(*FindLauncher("TPattern...."));
  ASSERT_NE(third, nullptr);
  EXPECT_EQ(third->ComponentCount(), 10);
}

// Without a mouse: Ctrl+F6 goes to the other window, Ctrl+F4 closes the
// active one, whatever control inside it has the focus.
TEST(MainFrame, TheKeyboardGoesThroughAndClosesTheWindows) {
  TFormMain f;
  f.show();
  f.activateWindow();
  ASSERT_TRUE(QTest::qWaitForWindowActive(&f));
  QPointer<TForm> first = f.Launch(*FindLauncher("TPattern...."));
  QPointer<TForm> second = f.Launch(*FindLauncher("TBarCodes"));
  ASSERT_TRUE(first && second);
  auto active = [&] { return f.MdiArea->activeSubWindow() ? f.MdiArea->activeSubWindow()->widget() : nullptr; };
  auto focused = [&] { return QApplication::focusWidget() ? QApplication::focusWidget() : static_cast<QWidget*>(&f); };
  EXPECT_EQ(active(), second.data());
  QTest::keyClick(focused(), Qt::Key_F6, Qt::ControlModifier);
  EXPECT_EQ(active(), first.data());
  QTest::keyClick(focused(), Qt::Key_F6, Qt::ControlModifier | Qt::ShiftModifier);
  EXPECT_EQ(active(), second.data());
  QTest::keyClick(focused(), Qt::Key_F4, Qt::ControlModifier);
  WaitUntil([&] { return second.isNull(); });
  EXPECT_TRUE(second.isNull());
  ASSERT_FALSE(first.isNull());
  EXPECT_EQ(active(), first.data());
}

// The launchers are reached with Tab and walked with Up/Down; Enter opens the
// window of the focused one, which then shows a focus frame.
TEST(MainFrame, TheLaunchersWorkFromTheKeyboard) {
  TFormMain f;
  f.show();
  f.activateWindow();
  ASSERT_TRUE(QTest::qWaitForWindowActive(&f));
  // The column as it stands on the screen, top to bottom.
  std::vector<TShineButton*> column;
  for (int n = 1; n <= 15; ++n) {
    EXPECT_EQ(f.ShineButton(n)->focusPolicy(), Qt::TabFocus) << n;
    column.push_back(f.ShineButton(n));
  }
  std::sort(column.begin(), column.end(), [](auto* a, auto* b) { return a->y() < b->y(); });
  column.front()->setFocus(Qt::TabFocusReason);
  ASSERT_EQ(QApplication::focusWidget(), column[0]);
  const QImage plain = column[1]->grab().toImage();
  QTest::keyClick(column[0], Qt::Key_Down);
  ASSERT_EQ(QApplication::focusWidget(), column[1]);
  EXPECT_NE(column[1]->grab().toImage(), plain);  // the focus shows
  QTest::keyClick(column[1], Qt::Key_Up);
  ASSERT_EQ(QApplication::focusWidget(), column[0]);
  QTest::keyClick(column[0], Qt::Key_Down);
  QTest::keyClick(column[1], Qt::Key_Return);
  WaitUntil([&] { return f.MdiArea->subWindowList().size() == 1; });
  ASSERT_EQ(f.MdiArea->subWindowList().size(), 1);
  const TLauncher* l = FindLauncher(column[1]->Caption().toUtf8().constData());
  ASSERT_NE(l, nullptr);
  EXPECT_EQ(f.MdiArea->subWindowList().front()->windowTitle(), QString::fromUtf8(l->WindowCaption));
}

TEST(MainFrame, LaunchersOfWindowsNotBuiltOpenNothing) {
  TFormMain f;
  for (const TLauncher& l : Launchers())
    if (!l.Create) {
      EXPECT_EQ(f.Launch(l), nullptr);
    }
}

TEST(MainFrame, ReportPreviewStaysHiddenAfterStartUp) {
  TFormMain f;
  TFormReportPreview preview;
  FormReportPreview = &preview;
  f.show();
  QCoreApplication::processEvents();
  EXPECT_FALSE(preview.isVisible());
  EXPECT_EQ(preview.Caption(), QStringLiteral("Anteprima di Stampa"));
  // Closing only hides it: it lives as long as the program.
  preview.show();
  preview.close();
  QCoreApplication::processEvents();
  EXPECT_FALSE(FormReportPreview.isNull());
}

TEST(MainFrame, BackgroundIsPatternedWithThePictureAtTheBottomRight) {
  TFormMain f;
  f.show();
  QCoreApplication::processEvents();
  QWidget* client = f.MdiArea->viewport();
  const QImage img = client->grab().toImage();
  const QImage tile = f.PatternHolder1->Working();
  // Away from the picture the client area is the tile, anchored at its origin.
  for (QPoint p : {QPoint(0, 0), QPoint(17, 5), QPoint(100, 33)})
    EXPECT_EQ(img.pixel(p) & 0xFFFFFF, tile.pixel(p.x() % tile.width(), p.y() % tile.height()) & 0xFFFFFF);
  const TRect pic = f.PatternFormPaint1->ImageRect(TRect(0, 0, client->width(), client->height()));
  EXPECT_EQ(pic.Right, client->width() - 120);
  EXPECT_EQ(pic.Bottom, client->height() - 10);
  // The picture's key colour is transparent: its corner shows the pattern.
  EXPECT_EQ(img.pixel(pic.Left, pic.Top) & 0xFFFFFF,
            tile.pixel(pic.Left % tile.width(), pic.Top % tile.height()) & 0xFFFFFF);
}

TEST(MainFrame, TheStatusLineShowsTheLongHintOfTheLauncherUnderTheMouse) {
  TFormMain f;
  f.show();
  TShineButton* b = f.ShineButton(2);
  QStatusTipEvent tip(b->statusTip());
  QApplication::sendEvent(b, &tip);  // what hovering sends; it travels up to the frame
  EXPECT_TRUE(f.StatusLine->Caption().contains(QStringLiteral("Apre una nuova finestra \"TPattern....\"")));
}
