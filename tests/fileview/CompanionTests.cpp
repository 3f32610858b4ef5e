// The directory combo, the file-name edit and the context menu.
#include <gtest/gtest.h>

#include <QDragEnterEvent>
#include <QListView>
#include <QMimeData>
#include <QSignalSpy>
#include <QUrl>
#include <QTest>

#include "FileViewEnv.h"
#include "PropertyRoundTrip.h"
#include "TestUtil.h"
#include <Tarnwell/fileview/DirCombo.h>
#include <Tarnwell/fileview/FileList.h>
#include <Tarnwell/fileview/FileListPopup.h>
#include <Tarnwell/platform/TDialogs.h>

namespace {

struct Pair {
  TFileListViewLite View;
  TDirectoryComboLite Combo;
  TFileNameEditLite Edit;
  Pair() {
    View.setReadEnabled(true);
    View.setDirCombo(&Combo);
    View.setFileEdit(&Edit);
    Combo.setFileListView(&View);
    Edit.setFileListView(&View);
  }
};

}  // namespace

TEST(DirCombo, PathPartsIndentedUnderTheRootAndRemovedAgain) {
  const QString d = FreshDir("combo");
  QDir(d).mkpath("one/two");
  Pair p;
  p.View.ChangeDir(d + "/one/two");
  p.View.WaitForRead();
  EXPECT_EQ(p.Combo.Directory(), d + "/one/two");
  EXPECT_EQ(p.Combo.ItemPlace(0), "DeskTop");
  EXPECT_EQ(p.Combo.ItemIndent(0), 0);
  EXPECT_EQ(p.Combo.ItemPlace(1), "Drives");
  EXPECT_EQ(p.Combo.ItemIndent(1), 10);
  const QString anchor = MountRootOf(d);
  const int at = p.Combo.IndexOfPath(anchor);
  ASSERT_GE(at, 2);
  EXPECT_EQ(p.Combo.ItemIndent(at), 20);
  // Every folder of the path below the volume root, outermost first.
  QStringList parts;
  for (QString x = d + "/one/two"; x.size() > anchor.size() && x != "/"; x = ParentPath(x)) parts.prepend(x);
  for (int i = 0; i < parts.size(); ++i) {
    EXPECT_EQ(p.Combo.ItemPlace(at + 1 + i), parts[i]);
    EXPECT_EQ(p.Combo.ItemIndent(at + 1 + i), 30 + 10 * i);
  }
  EXPECT_EQ(p.Combo.currentIndex(), at + parts.size());
  EXPECT_EQ(p.Combo.ItemPlace(p.Combo.count() - 1), "Recycled");
  EXPECT_EQ(p.Combo.ItemPlace(p.Combo.count() - 2), "NetWork");
  const int withPath = p.Combo.count();
  // Going to the root removes the path items; back again gives no stale ones.
  p.Combo.SetDirectory("/");
  EXPECT_EQ(p.View.Directory(), "/");
  EXPECT_EQ(p.Combo.count(), withPath - parts.size() + (anchor == "/" ? 0 : 0) - (anchor == "/" ? 0 : 0));
  p.Combo.SetDirectory(d + "/one/two");
  p.Combo.SetDirectory(d + "/one");
  EXPECT_EQ(p.Combo.count(), withPath - 1);
}

TEST(DirCombo, AFolderOnAVolumeLeftOutHangsUnderTheRootAndLeavesNothingBehind) {
  if (!QFileInfo("/proc/sys").isDir()) GTEST_SKIP() << "no /proc/sys";
  const QString d = FreshDir("stale");
  Pair p;
  p.Combo.SetDirectory(d);
  const int before = p.Combo.count();
  p.Combo.SetDirectory("/proc/sys");  // a pseudo file system: not a listed volume
  const int root = p.Combo.IndexOfPath("/");
  ASSERT_GE(root, 0);
  EXPECT_EQ(p.Combo.ItemPlace(root + 1), "/proc");
  EXPECT_EQ(p.Combo.ItemPlace(root + 2), "/proc/sys");
  EXPECT_EQ(p.Combo.ItemIndent(root + 2), 40);
  p.Combo.SetDirectory(d);
  EXPECT_EQ(p.Combo.count(), before);
  EXPECT_EQ(p.Combo.IndexOfPath("/proc"), -1);
}

TEST(DirCombo, AFolderNamedWithSemicolonsAndDigits) {
  const QString d = FreshDir("semi");
  QDir(d).mkdir("0001002;odd;name");
  Pair p;
  p.View.ChangeDir(d + "/0001002;odd;name");
  const int i = p.Combo.IndexOfPath(d + "/0001002;odd;name");
  ASSERT_GE(i, 0);
  EXPECT_EQ(p.Combo.itemText(i), "0001002;odd;name");
  EXPECT_EQ(p.Combo.currentIndex(), i);
  p.Combo.SetDirectory(d);
  EXPECT_EQ(p.View.Directory(), d);
  p.Combo.SetDirectory(d + "/0001002;odd;name");
  EXPECT_EQ(p.View.Directory(), d + "/0001002;odd;name");
}

TEST(DirCombo, ChoosingTheDesktopListsItAndBackspaceGoesUp) {
  const QString d = FreshDir("combodesk");
  Pair p;
  p.View.ChangeDir(d);
  QSignalSpy changes(&p.Combo, &TDirectoryComboLite::DirectoryChange);
  const int desk = p.Combo.IndexOfPath("DeskTop");
  emit p.Combo.activated(desk);
  p.View.WaitForRead();
  EXPECT_EQ(p.View.Directory(), "DeskTop");
  EXPECT_EQ(p.View.SubItem(0, 3), "X");
  EXPECT_EQ(changes.count(), 1);
  EXPECT_FALSE(changes.at(0).at(3).toBool());
  p.Combo.SetDirectory(d);
  QTest::keyClick(&p.Combo, Qt::Key_Backspace);
  EXPECT_EQ(p.View.Directory(), ParentPath(d));
}

TEST(FileEdit, EnterAppliesTheMaskAndShowsTheSelectedName) {
  const QString d = FreshDir("edit");
  QDir(d).mkdir("sub");
  WriteFile(d + "/a.txt", "a");
  WriteFile(d + "/b.doc", "b");
  Pair p;
  p.View.ChangeDir(d);
  p.View.WaitForRead();
  p.View.SelectRow(p.View.RowOfName("b.doc"));
  EXPECT_EQ(p.Edit.text(), "b.doc");
  p.Edit.setText("*.txt");
  QTest::keyClick(&p.Edit, Qt::Key_Return);
  p.View.WaitForRead();
  EXPECT_EQ(p.View.Mask(), "*.txt");
  ASSERT_EQ(p.View.ItemCount(), 2);
  EXPECT_EQ(p.View.Caption(0), "sub");
  EXPECT_EQ(p.View.Caption(1), "a.txt");
  // A mask with a path is refused with a message.
  TRecordingDialogs dialogs(mrOk);
  p.Edit.setText("../*");
  QTest::keyClick(&p.Edit, Qt::Key_Return);
  EXPECT_EQ(p.View.Mask(), "*.txt");
  EXPECT_EQ(dialogs.Messages.size(), 1u);
}

TEST(Popup, ItemsFollowTheSelectionAndSendToCopies) {
  const QString d = FreshDir("popup");
  WriteFile(d + "/doc.txt", "document");
  const QString sendTo = TFileListLitePopup::SendToDir();
  QDir(sendTo).removeRecursively();
  TFileListViewLite v;
  v.setReadEnabled(true);
  v.setLanguage(lnItalian);
  v.ChangeDir(d);
  v.WaitForRead();
  TFileListLitePopup* m = v.PopupMenu();
  m->Prepare();
  EXPECT_EQ(m->Item("SubMenuOpen")->text(), "&Apri");
  EXPECT_FALSE(m->Item("SubMenuOpen")->isVisible());
  EXPECT_TRUE(m->Item("ItemOpFolder")->isVisible());
  EXPECT_TRUE(m->Item("ItemViewList")->isChecked());
  EXPECT_TRUE(m->Item("ItemSortName")->isChecked());
  EXPECT_TRUE(m->SendToPaths.isEmpty());  // no send-to folder: an empty submenu
  m->Item("ItemViewRepr")->trigger();
  EXPECT_EQ(v.ViewIconStyle(), visReport);
  m->Item("ItemSortDate")->trigger();
  EXPECT_EQ(v.SortedBy(), sbDate);
  // A folder in the send-to folder receives a copy.
  const QString box = FreshDir("sendbox");
  QDir().mkpath(sendTo);
  ::symlink(QFile::encodeName(box).constData(), QFile::encodeName(sendTo + "/Box").constData());
  v.SelectRow(v.RowOfName("doc.txt"));
  m->Prepare();
  EXPECT_TRUE(m->Item("SubMenuOpen")->isVisible());
  EXPECT_FALSE(m->Item("ItemOpFolder")->isVisible());
  ASSERT_EQ(m->SendToPaths.size(), 1);
  ASSERT_NE(m->Item("SendTo0"), nullptr);
  EXPECT_EQ(m->Item("SendTo0")->text(), "Box");
  m->Item("SendTo0")->trigger();
  EXPECT_EQ(ReadAll(box + "/doc.txt"), "document");
  EXPECT_EQ(ReadAll(d + "/doc.txt"), "document");
  // Language change rebuilds the captions.
  v.setLanguage(lnGerman);
  EXPECT_EQ(v.PopupMenu()->Item("ItemOpDelete")->text(), QString::fromUtf8("&Löschen"));
  QDir(sendTo).removeRecursively();
}

TEST(Published, PropertiesRoundTripUnderTheirNames) {
  TFileListViewLite v;
  TDirectoryComboLite c;
  TFileNameEditLite e;
  EXPECT_GE(ExpectPropertyRoundTrips(&v, &TFileListViewLite::staticMetaObject,
                                     {{"DirCombo", QVariant::fromValue(&c)}, {"FileEdit", QVariant::fromValue(&e)},
                                      {"Mask", QStringLiteral("*.txt")}}),
            18);
  EXPECT_EQ(v.property("Mask").toString(), "*.txt");
  TFileListViewLite other;
  EXPECT_GE(ExpectPropertyRoundTrips(&c, &TDirectoryComboLite::staticMetaObject,
                                     {{"FileListView", QVariant::fromValue(&other)}}),
            3);
  EXPECT_EQ(ExpectPropertyRoundTrips(&e, &TFileNameEditLite::staticMetaObject,
                                     {{"FileListView", QVariant::fromValue(&other)}}),
            1);
  // Defaults as constructed.
  TFileListViewLite fresh;
  EXPECT_EQ(fresh.FileViewType(), TFileListViewType(flvReadOnly | flvHidden | flvSystem));
  EXPECT_EQ(fresh.Language(), lnUserDefault);
  EXPECT_EQ(fresh.ViewIconStyle(), visList);
  EXPECT_FALSE(fresh.ReadEnabled());
  EXPECT_TRUE(fresh.PoPupMenuEnabled());
  EXPECT_TRUE(fresh.AutoUpdate());
  EXPECT_FALSE(fresh.MultiSelect());
}

TEST(Published, ARealDropEventCopiesIntoTheListedFolder) {
  const QString src = FreshDir("realdropsrc");
  const QString dst = FreshDir("realdropdst");
  WriteFile(src + "/given.txt", "given");
  TFileListViewLite v;
  v.setReadEnabled(true);
  v.ChangeDir(dst);
  v.WaitForRead();
  v.resize(300, 200);
  v.show();
  QSignalSpy dropped(&v, &TFileListViewLite::FileDrop);
  QMimeData data;
  data.setUrls({QUrl::fromLocalFile(src + "/given.txt")});
  QWidget* vp = v.IconView()->viewport();
  QDragEnterEvent enter(QPoint(250, 150), Qt::CopyAction | Qt::MoveAction, &data, Qt::LeftButton, Qt::NoModifier);
  QCoreApplication::sendEvent(vp, &enter);
  EXPECT_TRUE(enter.isAccepted());
  EXPECT_EQ(enter.dropAction(), Qt::CopyAction);
  QDropEvent drop(QPointF(250, 150), Qt::CopyAction | Qt::MoveAction, &data, Qt::LeftButton, Qt::NoModifier);
  QCoreApplication::sendEvent(vp, &drop);
  EXPECT_TRUE(WaitUntil([&] { return dropped.count() == 1; }));
  v.WaitForRead();
  EXPECT_EQ(ReadAll(dst + "/given.txt"), "given");
  EXPECT_EQ(ReadAll(src + "/given.txt"), "given");  // a copy: the source stays
  EXPECT_GE(v.RowOfName("given.txt"), 0);
}
