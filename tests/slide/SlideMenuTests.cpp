// The slide menu: item lines, keyboard walk, chains (also circular), the
// tree export and the manager's key registry.
#include <gtest/gtest.h>

#include <QSignalSpy>
#include <QCursor>
#include <QTest>
#include <QTreeWidget>

#include <Tarnwell/slide/SldBBar.h>

#include "HiDpiUtil.h"
#include "TestUtil.h"

namespace {

TEST(SlideMenuItems, LinesParseWithDefaultsAndReadBackCanonically) {
  const TSlideMenuItem tile = TSlideMenuItem::Parse(QStringLiteral("Tile"), 1);
  EXPECT_EQ(tile.Caption, "Tile");
  EXPECT_TRUE(tile.Enabled);
  EXPECT_FALSE(tile.CheckMark);
  EXPECT_EQ(tile.ImageIndex, 1);
  EXPECT_EQ(tile.Line(), "Tile | True | False | 1");

  const TSlideMenuItem a = TSlideMenuItem::Parse(QStringLiteral("  A b  |tRuE| TRUE |x"), 4);
  EXPECT_EQ(a.Caption, "A b");
  EXPECT_TRUE(a.Enabled);
  EXPECT_TRUE(a.CheckMark);
  EXPECT_EQ(a.ImageIndex, 4);  // not a number
  EXPECT_FALSE(TSlideMenuItem::Parse(QStringLiteral("B | yes"), 0).Enabled);
  EXPECT_EQ(TSlideMenuItem::Parse(QStringLiteral("C | True | False | 7"), 0).ImageIndex, 7);
  EXPECT_TRUE(TSlideMenuItem::Parse(QStringLiteral(" - "), 0).IsSeparator());

  TSlideMenu menu;
  menu.setButtonCount(3);
  menu.setItems({QStringLiteral("Title"), QStringLiteral("Item2 asdf | False | False | 2"), QStringLiteral("Tile")});
  ASSERT_EQ(menu.ParsedItems().size(), 3);
  EXPECT_EQ(menu.Items(), QStringList({"Title | True | False | 0", "Item2 asdf | False | False | 2",
                                       "Tile | True | False | 2"}));
  EXPECT_EQ(menu.Hints().size(), 3);  // one (empty) hint per item
  // A new list replaces the parsed items.
  menu.setItems({QStringLiteral("Only")});
  EXPECT_EQ(menu.Items(), QStringList({"Only | True | False | 0"}));
}

TEST(SlideMenuItems, TheStripHasOneRowPerButtonAndActiveRulesTheTitle) {
  TSlideMenu menu;
  menu.resize(120, 24);
  QStringList items;
  for (int i = 0; i < 10; ++i) items << QStringLiteral("Item %1").arg(i);
  menu.setButtonCount(4);
  menu.setItems(items);
  EXPECT_EQ(menu.StripBitmap().Height(), 4 * 24);
  EXPECT_GE(menu.width(), 50);
  menu.setActive(false);
  EXPECT_FALSE(menu.ParsedItems()[0].Enabled);
}

// On a high-density screen the items' strip is composed at the device's
// resolution: the title's text twice the 1x size with detail of its own, and
// the 1x picture unchanged afterwards.
TEST(SlideMenuItems, AtRatio2TheStripIsComposedAtTheDeviceResolution) {
  TSlideMenu menu;
  menu.resize(120, 24);
  menu.setButtonCount(2);
  menu.setItems({QStringLiteral("Servizi"), QStringLiteral("Posta")});
  const QImage at1 = HiDpi::Render(&menu, 1), at2 = HiDpi::Render(&menu, 2);
  const QRect title(3, 3, menu.width() - 6, menu.ItemHeight() - 6);
  const QRect b1 = HiDpi::InkBox(at1, title, 1, HiDpi::Dark), b2 = HiDpi::InkBox(at2, title, 2, HiDpi::Dark);
  ASSERT_FALSE(b1.isEmpty());
  EXPECT_NEAR(b2.width(), 2 * b1.width(), 2) << "1x " << b1.width() << " 2x " << b2.width();
  EXPECT_NEAR(b2.height(), 2 * b1.height(), 2) << "1x " << b1.height() << " 2x " << b2.height();
  EXPECT_GT(HiDpi::Detail(at1, at2, title), 0.01);
  EXPECT_EQ(HiDpi::Render(&menu, 1), at1);
}

// Title, A, -, -, B (disabled), C
TSlideMenu* WalkMenu(QWidget* parent) {
  auto* m = new TSlideMenu(parent);
  m->setGeometry(0, 0, 120, 24);
  m->setButtonCount(6);
  m->setItems({"Title", "A", "-", "-", "B | False", "C"});
  return m;
}

TEST(SlideMenuKeys, UpAndDownStepOverOneSeparatorOrDisabledItemPerPress) {
  QWidget form;
  TSlideMenu* m = WalkMenu(&form);
  m->FocusBar();
  EXPECT_TRUE(m->KeyFocus());
  EXPECT_TRUE(m->TimerActive());
  EXPECT_EQ(m->HotIndex(), 0);
  m->KeyDispatch(nullptr, TSlideMenu::vkUp);
  EXPECT_EQ(m->HotIndex(), 0);
  std::vector<int> down;
  for (int i = 0; i < 5; ++i) {
    m->KeyDispatch(nullptr, TSlideMenu::vkDown);
    down.push_back(m->HotIndex());
  }
  EXPECT_EQ(down, (std::vector<int>{1, 3, 5, 5, 5}));
  m->KeyDispatch(nullptr, TSlideMenu::vkUp);
  EXPECT_EQ(m->HotIndex(), 3);  // over the disabled B onto the second separator
}

TEST(SlideMenuKeys, EnterOnASeparatorClosesWithoutAClickAndOnAnItemClicks) {
  QWidget form;
  TSlideMenu* m = WalkMenu(&form);
  QSignalSpy click(m, &TSlideButtonBar::ButtonClick);
  m->FocusBar();
  m->KeyDispatch(nullptr, TSlideMenu::vkDown);
  m->KeyDispatch(nullptr, TSlideMenu::vkDown);  // separator 3
  m->KeyDispatch(nullptr, TSlideMenu::vkReturn);
  EXPECT_EQ(click.count(), 0);
  EXPECT_FALSE(m->KeyFocus());
  m->Step();
  EXPECT_FALSE(m->TimerActive());

  m->FocusBar();
  m->KeyDispatch(nullptr, TSlideMenu::vkDown);
  m->KeyDispatch(nullptr, TSlideMenu::vkReturn);
  ASSERT_EQ(click.count(), 1);
  EXPECT_EQ(click[0][1].toInt(), 1);
}

TEST(SlideMenuChain, ATwoMenuCycleIsWalkedOnceEverywhere) {
  QWidget form;
  form.resize(400, 300);
  auto* a = WalkMenu(&form);
  auto* b = WalkMenu(&form);
  a->setMenuNext(b);
  b->setMenuNext(a);
  b->setMenuPrior(a);
  form.show();
  EXPECT_EQ(a->Chain().size(), 2);
  a->ArrangeNext();
  EXPECT_EQ(b->x(), a->x() + a->width());
  a->ShowChain();
  EXPECT_TRUE(a->isVisible() && b->isVisible());
  a->FocusBar();
  a->KeyDispatch(nullptr, TSlideMenu::vkRight);
  EXPECT_TRUE(b->KeyFocus());
  a->KeyDispatch(nullptr, TSlideMenu::vkDown);
  EXPECT_EQ(b->HotIndex(), 1);
  a->KeyDispatch(nullptr, TSlideMenu::vkEnd);
  EXPECT_FALSE(a->KeyFocus() || b->KeyFocus());
  a->KeyDispatch(nullptr, TSlideMenu::vkDown);  // nobody has the keyboard
  a->HideChain();
  EXPECT_TRUE(WaitUntil([&] { return !a->isVisible() && !b->isVisible(); }));

  TSlideMenuMan man(&form);
  man.setMenuFirst(a);
  EXPECT_EQ(man.Menus().size(), 2);
  TSlideImageList images;
  QTreeWidget tree;
  auto* root = new QTreeWidgetItem(&tree, QStringList{"root"});
  for (TSlideMenu* m : man.Menus()) m->AddToTree(root, images);
  EXPECT_EQ(root->childCount(), 2);
}

TEST(SlideMenuChain, TheTreeExportStopsAtTheButtonCount) {
  TSlideMenu m;
  m.setButtonCount(4);
  m.setItems({"Title", "A", "- ", "B | False", "D", "E"});
  TSlideImageList images;
  QTreeWidget tree;
  auto* root = new QTreeWidgetItem(&tree, QStringList{"root"});
  QTreeWidgetItem* node = m.AddToTree(root, images);
  ASSERT_TRUE(node);
  EXPECT_EQ(node->text(0), "Title");
  ASSERT_EQ(node->childCount(), 3);
  EXPECT_EQ(node->child(0)->text(0), "A");
  EXPECT_EQ(node->child(1)->text(0), QString(19, QLatin1Char('-')));
  EXPECT_EQ(node->child(2)->text(0), " ");
  EXPECT_FALSE(node->child(1)->data(0, Qt::UserRole).isValid());
  m.setActive(false);
  EXPECT_EQ(m.AddToTree(root, images), nullptr);
}

TEST(SlideMenuCustom, ACustomMenuShowsItsPictureAndEveryRowClicks) {
  QWidget form;
  form.resize(623, 392);
  auto* m = new TSlideMenu(&form);
  m->setGeometry(376, 352, 205, 39);
  m->setCustom(true);
  m->setButtonCount(10);
  QImage pic(205, 390, QImage::Format_RGB32);
  pic.fill(Qt::darkBlue);
  m->setBitmap(pic);
  m->setDirection(slbToUp);
  m->setStepOut(40);
  m->setStepIn(20);
  form.show();
  m->MouseEnter();
  for (int i = 0; i < 20; ++i) {
    m->Step();
    EXPECT_EQ(m->y() + m->height(), 391);  // the bottom stays put
  }
  EXPECT_EQ(m->height(), 390);
  int clicked = -1;
  m->OnButtonClick = [&](TObject*, int i) { clicked = i; };
  QTest::mousePress(m, Qt::LeftButton, {}, QPoint(50, 39 * 2 + 5));
  QTest::mouseRelease(m, Qt::LeftButton, {}, QPoint(50, 39 * 2 + 6));
  EXPECT_EQ(clicked, 3);  // rows count from the bottom title upward
  m->Step();
  EXPECT_EQ(m->height(), 39);
  EXPECT_EQ(m->y(), 352);
  EXPECT_FALSE(m->TimerActive());
}

TEST(SlideMenuManager, HotKeysAreHeldByOneManagerAndFreedWithIt) {
  auto* first = new TSlideMenuMan;
  for (int id = 1; id <= 6; ++id) {
    EXPECT_TRUE(first->HotKeyRegistered(id));
    EXPECT_EQ(TSlideMenuMan::HotKeyOwner(id), first);
  }
  EXPECT_EQ(TSlideMenuMan::HotKeySequence(3), QKeySequence(QStringLiteral("Alt+Right")));
  {
    TSlideMenuMan second;
    EXPECT_FALSE(second.HotKeyRegistered(3));
    second.HotKey(3);
    EXPECT_FALSE(second.KeyMode());  // its keyboard navigation stays off
  }
  EXPECT_EQ(TSlideMenuMan::HotKeyOwner(3), first);  // the refused one freed nothing
  delete first;
  EXPECT_EQ(TSlideMenuMan::HotKeyOwner(3), nullptr);
  TSlideMenuMan third;
  EXPECT_TRUE(third.HotKeyRegistered(3));
}

TEST(SlideMenuManager, ActiveOffShowsTheWholeChainAndKeepsIt) {
  QWidget form;
  form.resize(600, 300);
  auto* man = new TSlideMenuMan(&form);
  auto* a = WalkMenu(&form);
  auto* b = WalkMenu(&form);
  a->setMenuNext(b);
  a->setMenuManager(man);
  b->setMenuManager(man);
  a->hide();
  b->hide();
  man->setMenuFirst(a);
  form.show();
  // The pointer away from the manager: entering it would show the menus.
  QCursor::setPos(form.mapToGlobal(QPoint(500, 250)));
  man->setActive(false);
  EXPECT_TRUE(a->isVisible() && b->isVisible());
  man->Step();
  EXPECT_TRUE(a->isVisible() && b->isVisible());
  EXPECT_FALSE(man->TimerActive());
  man->setActive(true);
  EXPECT_TRUE(WaitUntil([&] { return !a->isVisible() && !b->isVisible(); }));
}

}  // namespace

#include "PropertyRoundTrip.h"

namespace {

TEST(SlideProperties, PublishedPropertiesRoundTripUnderTheirNames) {
  QWidget form;
  TSlideButtonBar bar(&form);
  TSlideButtonBar other(&form);
  TSlideMenuMan* man = nullptr;
  {
    // The keys are not what this test is about; any manager will do.
    man = new TSlideMenuMan(&form);
  }
  QImage strip(120, 20, QImage::Format_RGB32);
  strip.fill(Qt::red);
  EXPECT_GT(ExpectPropertyRoundTrips(&bar, &TSlideControl::staticMetaObject,
                                     {{"Bitmap", strip},
                                      {"Hints", QStringList{"a|b"}},
                                      {"MenuManager", QVariant::fromValue(man)},
                                      {"MenuPrior", QVariant::fromValue(&other)},
                                      {"MenuNext", QVariant::fromValue(&other)}}),
            10);
  TSlideMenu menu(&form);
  TSlideImageList images;
  TPatternHolder holder;
  EXPECT_GT(ExpectPropertyRoundTrips(&menu, &TSlideMenu::staticMetaObject,
                                     {{"Items", QStringList{"A | True | False | 0"}},
                                      {"ImageList", QVariant::fromValue(&images)},
                                      {"PatternHolder", QVariant::fromValue(&holder)}}),
            3);
  EXPECT_TRUE(menu.setProperty("Direction", QStringLiteral("slbToUp")));
  EXPECT_EQ(menu.Direction(), slbToUp);
}

}  // namespace
