// The "TSlideControls..." window: its controls as placed, the keyboard walk
// of its menus, clicks without handlers, the tree window and closing.
#include <gtest/gtest.h>

#include <QApplication>
#include <QDir>
#include <QSignalSpy>
#include <QCursor>
#include <QTest>
#include <QTreeWidget>

#include <Tarnwell/app/ShineBtn.h>
#include <Tarnwell/commonctrls/MyTreeV.h>
#include <Tarnwell/slide/FSlide.h>
#include <Tarnwell/slide/SldMenuTree.h>

#include "TestUtil.h"

namespace {

void OpenFully(TSlideButtonBar* b) {
  b->MouseEnter();
  for (int i = 0; i < 40 && (b->width() < b->StripBitmap().Width() || b->height() < b->StripBitmap().Height()); ++i)
    b->Step();
}

// Pictures of the window in a given state, for looking at (not compared).
void Keep(QWidget* w, const char* name) {
  const QString dir = qEnvironmentVariable("TARNWELL_SLIDE_SHOTS");
  if (dir.isEmpty()) return;
  QDir().mkpath(dir);
  w->grab().save(dir + QLatin1Char('/') + QLatin1String(name));
}

struct Window {
  TFormSlideMenu* form = new TFormSlideMenu;
  Window() {
    form->resize(form->DesignSize());
    form->show();
    // The pointer away from the manager: entering it would show the menus.
    QCursor::setPos(form->mapToGlobal(QPoint(300, 150)));
  }
  ~Window() { delete form; }
};

TEST(SlideWindow, ControlsStandAsDesigned) {
  Window w;
  TFormSlideMenu* f = w.form;
  EXPECT_EQ(f->Caption(), "TSlideControls...");
  EXPECT_EQ(f->DesignSize(), QSize(623, 392));
  EXPECT_EQ(f->SlideMenuMan->geometry(), QRect(0, 0, 23, 24));
  EXPECT_EQ(f->SlideMenuMan->MenuFirst(), f->SlideMenu1);
  EXPECT_EQ(f->ImageList1->Count(), 11);
  EXPECT_EQ(f->SlideMenuMan->ManagedBars().size(), 4);
  for (TSlideMenu* m : {f->SlideMenu1, f->SlideMenu2, f->SlideMenu3, f->SlideMenu4}) {
    EXPECT_FALSE(m->isVisible());
    EXPECT_EQ(m->height(), 24);
    EXPECT_EQ(m->Interval(), 40);
  }
  EXPECT_EQ(f->SlideMenu1->x(), 23);
  EXPECT_EQ(f->SlideMenu2->x(), f->SlideMenu1->x() + f->SlideMenu1->width());
  EXPECT_EQ(f->SlideMenu2->Items()[2], "Item2 asdf | False | False | 2");
  EXPECT_EQ(f->SlideMenu2->ButtonCount(), 12);
  EXPECT_EQ(f->SlideMenuServices->geometry(), QRect(376, 352, 205, 39));
  EXPECT_EQ(f->SlideMenuServices->StripBitmap().Width(), 205);
  EXPECT_EQ(f->SlideMenuServices->StripBitmap().Height(), 390);
  for (TSlideButtonBar* b : {f->SlideButtonBar1, f->SlideButtonBar2, f->SlideButtonBar3}) {
    EXPECT_EQ(b->size(), QSize(58, 58));
    EXPECT_EQ(b->StripBitmap().Image().size(), QSize(348, 58));
  }
  EXPECT_EQ(f->SlideButtonBar3->y(), 328);
  for (TSlideButtonBar* b : {f->SlideButtonBar4, f->SlideButtonBar8}) {
    EXPECT_EQ(b->StripBitmap().Image().size(), QSize(300, 24));
    EXPECT_EQ(b->ButtonWidth(), 23);
  }
  EXPECT_EQ(f->SlideButtonBar8->geometry(), QRect(592, 248, 24, 24));
  Keep(f, "slide-closed.png");
}

TEST(SlideWindow, AClickWithoutAHandlerOnlyClosesTheMenu) {
  Window w;
  TFormSlideMenu* f = w.form;
  f->SlideMenuMan->ShowMenus();
  TSlideMenu* m = f->SlideMenu1;
  ASSERT_TRUE(m->isVisible());
  OpenFully(m);
  EXPECT_EQ(m->height(), 240);
  OpenFully(f->SlideButtonBar2);
  Keep(f, "slide-open.png");
  QTest::mousePress(m, Qt::LeftButton, {}, QPoint(30, 3 * 24 + 10));
  QTest::mouseRelease(m, Qt::LeftButton, {}, QPoint(30, 3 * 24 + 11));
  m->Step();
  EXPECT_EQ(m->height(), 24);
  EXPECT_FALSE(m->TimerActive());
  // The manager hid the chain (auto-hide), last menu first.
  EXPECT_TRUE(WaitUntil([&] { return !f->SlideMenu1->isVisible() && !f->SlideMenu4->isVisible(); }));
}

TEST(SlideWindow, TheMenusAreWalkedWithTheHotKeys) {
  Window w;
  TFormSlideMenu* f = w.form;
  TSlideMenuMan* man = f->SlideMenuMan;
  if (!man->HotKeyRegistered(3)) GTEST_SKIP() << "another manager of this process holds the keys";
  int clicked = -1;
  f->SlideMenu2->OnButtonClick = [&](TObject*, int i) { clicked = i; };
  man->HotKey(5);  // nothing before Alt+Right
  EXPECT_FALSE(man->KeyMode());
  man->HotKey(3);
  EXPECT_TRUE(man->KeyMode());
  EXPECT_TRUE(f->SlideMenu4->isVisible());
  EXPECT_TRUE(f->SlideMenu1->KeyFocus());
  man->HotKey(3);
  EXPECT_TRUE(f->SlideMenu2->KeyFocus());
  EXPECT_FALSE(f->SlideMenu1->KeyFocus());
  // Down: Item1 (1), over the disabled Item2 onto Item3 (3).
  man->HotKey(5);
  man->HotKey(5);
  EXPECT_EQ(f->SlideMenu2->HotIndex(), 3);
  // While keys rule, the mouse buttons are ignored.
  QSignalSpy down(f->SlideMenu2, &TSlideButtonBar::ButtonDown);
  QTest::mousePress(f->SlideMenu2, Qt::LeftButton, {}, QPoint(10, 10));
  EXPECT_EQ(down.count(), 0);
  man->HotKey(6);
  EXPECT_EQ(clicked, 3);
  EXPECT_FALSE(man->KeyMode());

  // Alt+Left while the first menu has the keyboard closes everything.
  man->HotKey(3);
  man->HotKey(3);
  man->HotKey(2);
  EXPECT_TRUE(f->SlideMenu1->KeyFocus());
  man->HotKey(2);
  EXPECT_FALSE(man->KeyMode());
  EXPECT_FALSE(f->SlideMenu1->KeyFocus());
  EXPECT_TRUE(WaitUntil([&] { return !f->SlideMenu1->isVisible(); }));
}

TEST(SlideWindow, TheTreeWindowListsTheMenusAndRollsUpOnItsCaption) {
  Window w;
  TFormSlideMenu* f = w.form;
  QSignalSpy dbl(f->SlideMenuMan, &TSlideMenuMan::DblClick);
  QTest::mouseDClick(f->SlideMenuMan, Qt::LeftButton, {}, QPoint(5, 5));
  EXPECT_EQ(dbl.count(), 1);
  TFormSlideMenuTree* tree = f->SlideMenuMan->MenuTree();
  ASSERT_TRUE(tree);
  EXPECT_TRUE(tree->isVisible());
  EXPECT_FALSE(f->SlideMenuMan->isVisible());
  EXPECT_EQ(tree->Caption(), "Funzioni");
  QTreeWidgetItem* root = tree->TreeView1->topLevelItem(0);
  ASSERT_TRUE(root);
  ASSERT_EQ(root->childCount(), 4);
  QTreeWidgetItem* prova = root->child(1);
  EXPECT_EQ(prova->text(0), "Prova Menù L");
  EXPECT_EQ(prova->childCount(), 11);
  EXPECT_EQ(prova->child(1)->text(0), " ");  // Item2 is disabled

  int clicked = -1;
  f->SlideMenu2->OnButtonClick = [&](TObject*, int i) { clicked = i; };
  tree->ActivateItem(prova->child(2));
  EXPECT_EQ(clicked, 3);
  tree->ActivateItem(prova);
  EXPECT_EQ(clicked, 0);
  clicked = -1;
  tree->ActivateItem(prova->child(1));  // disabled: no menu behind it
  EXPECT_EQ(clicked, -1);

  Keep(tree, "slide-tree.png");
  // The menus keep their hands off while the tree shows.
  f->SlideMenuMan->HotKey(3);
  EXPECT_FALSE(f->SlideMenuMan->KeyMode());

  const QRect before = tree->geometry();
  QTest::mouseDClick(tree->Panel1, Qt::LeftButton, {}, QPoint(50, 10));
  EXPECT_EQ(tree->size(), QSize(130, 27));
  QTest::mouseDClick(tree->Panel1, Qt::LeftButton, {}, QPoint(50, 10));
  EXPECT_EQ(tree->geometry(), before);

  QSignalSpy closed(f->SlideMenuMan, &TSlideMenuMan::CloseMenuForm);
  tree->close();
  ASSERT_EQ(closed.count(), 1);
  EXPECT_FALSE(closed[0][2].toBool());
  EXPECT_TRUE(f->SlideMenuMan->isVisible());
}

TEST(SlideWindow, ClosingTheWindowWhileTheTreeShowsLeavesNothingBehind) {
  auto* f = new TFormSlideMenu;
  f->show();
  f->SlideMenuMan->ShowMenuTree();
  QPointer<TFormSlideMenuTree> tree = f->SlideMenuMan->MenuTree();
  ASSERT_TRUE(tree && tree->isVisible());
  OpenFully(f->SlideButtonBar1);
  f->close();  // frees itself
  EXPECT_TRUE(WaitUntil([&] { return tree.isNull(); }));
  // Nothing ticks on afterwards.
  QTest::qWait(60);
}

TEST(SlideWindow, TheTreeWindowsCloseButtonClosesTheWindowItServes) {
  auto* f = new TFormSlideMenu;
  QPointer<TFormSlideMenu> alive = f;
  f->show();
  bool closingSeen = false;
  f->SlideMenuMan->OnCloseMenuForm = [&](TObject*, TRect r, bool closing) {
    closingSeen = closing && r.Width() > 0;
  };
  f->SlideMenuMan->ShowMenuTree();
  QPointer<TFormSlideMenuTree> tree = f->SlideMenuMan->MenuTree();
  ASSERT_TRUE(tree);
  QTest::mouseClick(static_cast<QWidget*>(tree->BtnClose), Qt::LeftButton);
  EXPECT_TRUE(closingSeen);
  EXPECT_TRUE(WaitUntil([&] { return alive.isNull() && tree.isNull(); }));
}

TEST(SlideWindow, AltRightReachesTheManagerThroughTheShortcut) {
  Window w;
  TFormSlideMenu* f = w.form;
  if (!f->SlideMenuMan->HotKeyRegistered(3)) GTEST_SKIP() << "another manager holds the keys";
  f->activateWindow();
  if (!WaitUntil([&] { return QApplication::activeWindow() == f; }, 500)) GTEST_SKIP() << "no active window here";
  QTest::keyClick(f, Qt::Key_Right, Qt::AltModifier);
  EXPECT_TRUE(f->SlideMenuMan->KeyMode());
  QTest::keyClick(f, Qt::Key_Down, Qt::AltModifier);
  EXPECT_EQ(f->SlideMenu1->HotIndex(), 1);
  QTest::keyClick(f, Qt::Key_End, Qt::AltModifier);
  EXPECT_FALSE(f->SlideMenuMan->KeyMode());
  // Escape ends the walk too, and is left alone otherwise.
  QTest::keyClick(f, Qt::Key_Right, Qt::AltModifier);
  ASSERT_TRUE(f->SlideMenuMan->KeyMode());
  QTest::keyClick(f, Qt::Key_Escape);
  EXPECT_FALSE(f->SlideMenuMan->KeyMode());
  EXPECT_FALSE(f->SlideMenu1->KeyFocus());
}

TEST(SlideWindow, TheUpwardMenuAndALeftBarOpenInPlace) {
  Window w;
  TFormSlideMenu* f = w.form;
  OpenFully(f->SlideMenuServices);
  OpenFully(f->SlideButtonBar6);
  EXPECT_EQ(f->SlideMenuServices->geometry(), QRect(376, 1, 205, 390));
  EXPECT_EQ(f->SlideButtonBar6->geometry(), QRect(316, 200, 300, 24));
  Keep(f, "slide-open-up-left.png");
}

TEST(SlideWindow, AfterClosingNoTimerRuns) {
  Window w;
  TFormSlideMenu* f = w.form;
  f->SlideMenuMan->ShowMenus();
  QList<TSlideButtonBar*> bars{f->SlideMenu1, f->SlideButtonBar1, f->SlideButtonBar5};
  for (TSlideButtonBar* b : bars) {
    b->setInterval(5);
    b->MouseEnter();
  }
  ASSERT_TRUE(WaitUntil([&] { return f->SlideButtonBar1->width() == 348; }));
  for (TSlideButtonBar* b : bars) b->MouseLeave();
  EXPECT_TRUE(WaitUntil([&] {
    for (TSlideButtonBar* b : f->findChildren<TSlideButtonBar*>())
      if (b->TimerActive()) return false;
    return true;
  }));
  EXPECT_EQ(f->SlideButtonBar5->width(), 23);
  EXPECT_EQ(f->SlideButtonBar5->x() + f->SlideButtonBar5->width(), 616);
}

}  // namespace
