// File operations, the trash, dropped files, dragging out and change watching.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QDrag>
#include <QListView>
#include <QTreeView>
#include <QElapsedTimer>
#include <QMimeData>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QUrl>

#include "FileViewEnv.h"
#include "TestUtil.h"
#include <Tarnwell/fileview/ChangeNotify.h>
#include <Tarnwell/fileview/DropSource.h>
#include <Tarnwell/fileview/FileEntries.h>
#include <Tarnwell/fileview/FileList.h>
#include <Tarnwell/fileview/FileOps.h>
#include <Tarnwell/platform/TDialogs.h>
#include <Tarnwell/fileview/FileList_p.h>

namespace {

// Answers every question by its first words.
struct Answers {
  std::vector<TMessageRequest> Asked;
  std::function<int(const TMessageRequest&)> Rule;
  TMessageHook Old;
  explicit Answers(std::function<int(const TMessageRequest&)> rule) : Rule(std::move(rule)) {
    Old = SetMessageHook([this](const TMessageRequest& r) {
      Asked.push_back(r);
      return Rule(r);
    });
  }
  ~Answers() { SetMessageHook(Old); }
};

struct ListedView {
  TFileListViewLite View;
  explicit ListedView(const QString& dir) {
    View.setReadEnabled(true);
    View.ChangeDir(dir);
    View.WaitForRead();
  }
};

bool Exists(const QString& p) {
  struct stat st;
  return ::lstat(QFile::encodeName(p).constData(), &st) == 0;
}

}  // namespace

TEST(Rename, OntoAnExistingNameFailsAndBothFilesStay) {
  const QString d = FreshDir("rename");
  WriteFile(d + "/a.txt", "contents of a");
  WriteFile(d + "/b.txt", "contents of b");
  ListedView l(d);
  Answers answers([](const TMessageRequest&) { return int(mrOk); });
  const int row = l.View.RowOfName("a.txt");
  EXPECT_FALSE(l.View.RenameItem(row, "b.txt"));
  EXPECT_EQ(ReadAll(d + "/a.txt"), "contents of a");
  EXPECT_EQ(ReadAll(d + "/b.txt"), "contents of b");
  EXPECT_EQ(l.View.Caption(l.View.RowOfName("a.txt")), "a.txt");
  ASSERT_EQ(answers.Asked.size(), 1u);
  EXPECT_TRUE(answers.Asked[0].Text.contains("b.txt"));
  // The same onto a folder name.
  QDir(d).mkdir("sub");
  EXPECT_FALSE(RenameEntry(d + "/a.txt", "sub").Ok);
  EXPECT_TRUE(QFileInfo(d + "/sub").isDir());
}

TEST(Rename, BadNamesRefusedCaseChangeIsARealRename) {
  const QString d = FreshDir("rename2");
  WriteFile(d + "/Letter.txt", "L");
  ListedView l(d);
  Answers answers([](const TMessageRequest&) { return int(mrOk); });
  for (const QString& bad : {QString("x/y"), QString("."), QString(".."), QString(256, QChar('n'))})
    EXPECT_FALSE(l.View.RenameItem(l.View.RowOfName("Letter.txt"), bad)) << bad.left(10).toStdString();
  EXPECT_EQ(answers.Asked.size(), 4u);
  EXPECT_FALSE(l.View.RenameItem(l.View.RowOfName("Letter.txt"), ""));  // the old caption stays
  EXPECT_EQ(QDir(d).entryList(QDir::Files), QStringList{"Letter.txt"});
  // A multi-byte name within 255 bytes is fine, one beyond is not.
  EXPECT_TRUE(ValidateEntryName(QString(127, QChar(0x00E8))));
  EXPECT_FALSE(ValidateEntryName(QString(128, QChar(0x00E8))));
  ASSERT_TRUE(l.View.RenameItem(l.View.RowOfName("Letter.txt"), "letter.txt"));
  EXPECT_EQ(QDir(d).entryList(QDir::Files), QStringList{"letter.txt"});
  const int row = l.View.RowOfName("letter.txt");
  ASSERT_GE(row, 0);
  EXPECT_EQ(l.View.Caption(row), "letter.txt");
  EXPECT_EQ(l.View.SelectedRows(), QList<int>{row});
}

TEST(Trash, DeleteWritesATrashinfoTheOtherToolSees) {
  const QString d = FreshDir("trash");
  WriteFile(d + "/doomed file.txt", "bye");
  WriteFile(d + "/stays.txt", "hi");
  ListedView l(d);
  Answers answers([](const TMessageRequest&) { return int(mrYes); });
  l.View.SelectRow(l.View.RowOfName("doomed file.txt"));
  l.View.DeleteSelected();
  ASSERT_EQ(answers.Asked.size(), 1u);
  EXPECT_EQ(answers.Asked[0].Type, mtConfirmation);
  EXPECT_FALSE(Exists(d + "/doomed file.txt"));
  EXPECT_TRUE(Exists(d + "/stays.txt"));
  EXPECT_EQ(l.View.RowOfName("doomed file.txt"), -1);
  int rc = -1;
  const QString listed = RunTool("trash-list", {}, &rc);
  EXPECT_EQ(rc, 0);
  EXPECT_TRUE(listed.contains(d + "/doomed file.txt")) << listed.toStdString();
  // Our trash place lists what the other tool put there, with its origin.
  WriteFile(d + "/by-tool.txt", "tool");
  RunTool("trash-put", {d + "/by-tool.txt"}, &rc);
  EXPECT_EQ(rc, 0);
  l.View.ChangeDir("Recycled");
  l.View.WaitForRead();
  int tool = -1, ours = -1;
  for (int i = 0; i < l.View.ItemCount(); ++i) {
    if (l.View.SubItem(i, 5) == d + "/by-tool.txt") tool = i;
    if (l.View.SubItem(i, 5) == d + "/doomed file.txt") ours = i;
  }
  ASSERT_GE(tool, 0);
  ASSERT_GE(ours, 0);
  EXPECT_EQ(l.View.Caption(tool), "by-tool.txt");
  EXPECT_EQ(l.View.SubItem(tool, 3), l.View.Text(32));
  EXPECT_FALSE(l.View.SubItem(tool, 2).isEmpty());  // the deletion date
  EXPECT_EQ(ReadAll(l.View.SubItem(ours, 4)), "bye");
}

TEST(Trash, AFileOnAnotherVolumeGoesToThatVolumesTrash) {
  struct stat shm, home;
  if (::stat("/dev/shm", &shm) != 0 || ::stat(QFile::encodeName(TestHome()).constData(), &home) != 0 ||
      shm.st_dev == home.st_dev || ::access("/dev/shm", W_OK) != 0)
    GTEST_SKIP() << "no second writable volume";
  const bool hadTrash = QFileInfo::exists("/dev/shm/.Trash-" + QString::number(::geteuid()));
  QTemporaryDir dir("/dev/shm/tarnwell-fileview-XXXXXX");
  ASSERT_TRUE(dir.isValid());
  const QString f = dir.path() + "/far away.txt";
  WriteFile(f, "far");
  const TOpResult r = TrashEntries({f});
  ASSERT_TRUE(r.Ok) << r.Error.toStdString();
  EXPECT_FALSE(Exists(f));
  const QString trash = "/dev/shm/.Trash-" + QString::number(::geteuid());
  const QString name = QFileInfo(f).fileName();
  EXPECT_EQ(ReadAll(trash + "/files/" + name), "far");
  const QByteArray info = ReadAll(trash + "/info/" + name + ".trashinfo");
  EXPECT_TRUE(info.startsWith("[Trash Info]\nPath=" + QUrl::toPercentEncoding(f.mid(QString("/dev/shm/").size()), "/")))
      << info.toStdString();
  EXPECT_FALSE(QFileInfo::exists("/.Trash-" + QString::number(::geteuid())));  // nothing made elsewhere
  int found = 0;
  for (const TFileItem& it : ListTrash(900))
    if (it.Target == f) ++found;
  EXPECT_EQ(found, 1);
  QFile::remove(trash + "/files/" + name);
  QFile::remove(trash + "/info/" + name + ".trashinfo");
  if (!hadTrash) QDir(trash).removeRecursively();
}

TEST(Trash, DeletingALinkKeepsItsTarget) {
  const QString d = FreshDir("trashlink");
  const QString other = FreshDir("linktarget");
  WriteFile(other + "/precious.txt", "keep me");
  ::symlink(QFile::encodeName(other + "/precious.txt").constData(), QFile::encodeName(d + "/link").constData());
  ListedView l(d);
  Answers answers([](const TMessageRequest&) { return int(mrYes); });
  l.View.SelectRow(l.View.RowOfName("link"));
  l.View.DeleteSelected();
  EXPECT_FALSE(Exists(d + "/link"));
  EXPECT_EQ(ReadAll(other + "/precious.txt"), "keep me");
}

TEST(Trash, AFailedTrashRemovesNothingAndAsksAgainDefaultNo) {
  const QString d = FreshDir("trashfail");
  WriteFile(d + "/keep.txt", "still here");
  // A trash that cannot be made: its place is taken by a file.
  const QString trash = HomeTrashDir();
  const QString saved = trash + ".saved";
  QDir().rename(trash, saved);
  WriteFile(trash, "not a folder");
  ListedView l(d);
  Answers answers([](const TMessageRequest& r) { return r.Type == mtConfirmation ? int(mrYes) : int(mrNo); });
  l.View.SelectRow(l.View.RowOfName("keep.txt"));
  l.View.DeleteSelected();
  QFile::remove(trash);
  QDir().rename(saved, trash);
  ASSERT_EQ(answers.Asked.size(), 2u);
  EXPECT_EQ(answers.Asked[1].DefaultButton, unsigned(mbNo));
  EXPECT_TRUE(answers.Asked[1].Text.contains("keep.txt"));
  EXPECT_EQ(ReadAll(d + "/keep.txt"), "still here");
  l.View.WaitForRead();
  EXPECT_GE(l.View.RowOfName("keep.txt"), 0);
}

TEST(NewFolder, SkipsEveryTakenNameAndEditsTheNewItem) {
  const QString d = FreshDir("newfolder");
  ListedView l(d);
  l.View.setLanguage(lnEnglish);
  WriteFile(d + "/New folder", "a file, not a folder");
  QDir(d).mkdir("New folder 2");
  l.View.Refresh();
  l.View.WaitForRead();
  l.View.NewFolder();
  EXPECT_TRUE(QFileInfo(d + "/New folder 3").isDir());
  EXPECT_EQ(ReadAll(d + "/New folder"), "a file, not a folder");
  const int row = l.View.RowOfName("New folder 3");
  ASSERT_GE(row, 0);
  EXPECT_EQ(l.View.SubItem(row, 3), "d ");
  EXPECT_EQ(l.View.SelectedRows(), QList<int>{row});
  // No new folder in a place that is not a folder.
  l.View.ChangeDir("Drives");
  l.View.NewFolder();
  EXPECT_EQ(l.View.Directory(), "Drives");
}

TEST(Drop, FolderIntoItselfRefusedExistingFileUntouched) {
  const QString src = FreshDir("dropsrc");
  const QString dst = FreshDir("dropdst");
  QDir(src).mkpath("tree/inner");
  WriteFile(src + "/tree/inner/f.txt", "deep");
  WriteFile(src + "/new.txt", "new one");
  WriteFile(src + "/clash.txt", "dropped version");
  WriteFile(dst + "/clash.txt", "original version");
  ::symlink("new.txt", QFile::encodeName(src + "/rel-link").constData());
  ListedView l(dst);
  Answers answers([](const TMessageRequest&) { return int(mrOk); });
  QSignalSpy dropped(&l.View, &TFileListViewLite::FileDrop);
  l.View.DropFiles({src + "/new.txt", src + "/clash.txt", src + "/tree", src + "/rel-link"}, QPoint(-5, -5));
  EXPECT_EQ(ReadAll(dst + "/new.txt"), "new one");
  EXPECT_EQ(ReadAll(dst + "/clash.txt"), "original version");
  EXPECT_EQ(ReadAll(dst + "/tree/inner/f.txt"), "deep");
  EXPECT_EQ(QFileInfo(dst + "/rel-link").symLinkTarget(), dst + "/new.txt");  // copied as a link
  EXPECT_TRUE(QFileInfo(dst + "/rel-link").isSymLink());
  ASSERT_EQ(answers.Asked.size(), 1u);
  EXPECT_TRUE(answers.Asked[0].Text.contains("clash.txt"));
  EXPECT_EQ(dropped.count(), 1);
  EXPECT_TRUE(QDir(dst).entryList(QDir::Hidden | QDir::Files).filter("tarnwell-part").isEmpty());
  // A folder dropped into its own subfolder.
  const TCopyPlan plan = PlanCopy({src + "/tree"}, src + "/tree/inner");
  EXPECT_TRUE(plan.Steps.empty());
  ASSERT_EQ(plan.Skipped.size(), 1);
  EXPECT_TRUE(PlanCopy({src + "/tree"}, src + "/tree").Steps.empty());
}

TEST(Drop, FromTheListedFolderCopiesNothingButAnnounces) {
  const QString d = FreshDir("dropself");
  WriteFile(d + "/same.txt", "same");
  QDir(d).mkdir("box");
  ListedView l(d);
  l.View.setViewIconStyle(visReport);
  l.View.resize(400, 300);
  l.View.show();
  Answers answers([](const TMessageRequest&) { return int(mrOk); });
  QSignalSpy dropped(&l.View, &TFileListViewLite::FileDrop);
  l.View.DropFiles({d + "/same.txt"}, QPoint(-5, -5));
  EXPECT_EQ(dropped.count(), 1);
  EXPECT_TRUE(answers.Asked.empty());  // nothing to copy, nothing to complain about
  EXPECT_EQ(QDir(d).entryList(QDir::Files), QStringList{"same.txt"});
  // Dropped onto the folder item: into that folder.
  const int box = l.View.RowOfName("box");
  const QRect r = l.View.ReportView()->visualRect(l.View.ReportView()->model()->index(box, 0));
  l.View.DropFiles({d + "/same.txt"}, r.center());
  l.View.WaitForRead();
  EXPECT_EQ(ReadAll(d + "/box/same.txt"), "same");
  EXPECT_EQ(l.View.SelectedRows(), QList<int>{l.View.RowOfName("box")});
}

TEST(Drop, CancelKeepsWhatWasCopiedAndNoPartFile) {
  const QString src = FreshDir("cancelsrc");
  const QString dst = FreshDir("canceldst");
  WriteFile(src + "/1.bin", QByteArray(200000, '1'));
  WriteFile(src + "/2.bin", QByteArray(200000, '2'));
  const TCopyPlan plan = PlanCopy({src + "/1.bin", src + "/2.bin"}, dst);
  ASSERT_EQ(plan.Steps.size(), 2u);
  int ticks = 0;
  const TOpResult r = ExecuteCopy(plan, [&](qint64 done, qint64) { return ++ticks && done <= 200000; });
  EXPECT_FALSE(r.Ok);
  EXPECT_EQ(ReadAll(dst + "/1.bin"), QByteArray(200000, '1'));
  EXPECT_FALSE(Exists(dst + "/2.bin"));
  EXPECT_EQ(QDir(dst).entryList(QDir::Files | QDir::Hidden), QStringList{"1.bin"});
}

TEST(DragOut, UriListCopyByDefaultMoveRefreshesLater) {
  const QString d = FreshDir("drag");
  WriteFile(d + "/x.txt", "x");
  ListedView l(d);
  l.View.SelectRow(l.View.RowOfName("x.txt"));
  QList<QUrl> urls;
  Qt::DropActions offered;
  Qt::DropAction preferred = Qt::IgnoreAction, answer = Qt::CopyAction;
  auto old = TDropSource::SetDragRunner([&](QDrag& drag, Qt::DropActions o, Qt::DropAction p) {
    urls = drag.mimeData()->urls();
    offered = o;
    preferred = p;
    return answer;
  });
  QStringList files;
  l.View.SelectedFiles(files, true);
  l.View.DragSource()->Files = files;
  EXPECT_EQ(l.View.DragSource()->Execute(&l.View), TDropSource::drCopied);
  EXPECT_EQ(urls, QList<QUrl>{QUrl::fromLocalFile(d + "/x.txt")});
  EXPECT_EQ(offered, Qt::CopyAction | Qt::MoveAction);
  EXPECT_EQ(preferred, Qt::CopyAction);
  answer = Qt::MoveAction;
  EXPECT_EQ(l.View.DragSource()->Execute(&l.View), TDropSource::drMoved);
  answer = Qt::IgnoreAction;
  EXPECT_EQ(l.View.DragSource()->Execute(&l.View), TDropSource::drCancelled);
  l.View.DragSource()->AllowedOp = 1;
  answer = Qt::MoveAction;  // not on offer
  EXPECT_EQ(l.View.DragSource()->Execute(&l.View), TDropSource::drCancelled);
  l.View.DragSource()->Files.clear();
  EXPECT_EQ(l.View.DragSource()->Execute(&l.View), TDropSource::drCancelled);
  // With the mouse: a move refreshes 200 ms later, a copy does not.
  l.View.setDragFileEnabled(true);
  l.View.resize(300, 200);
  l.View.show();
  QWidget* vp = l.View.IconView()->viewport();
  const QRect r = l.View.IconView()->visualRect(l.View.IconView()->model()->index(0, 0));
  for (Qt::DropAction a : {Qt::CopyAction, Qt::MoveAction}) {
    answer = a;
    const int reads = ReadCount(l.View);
    QTest::mousePress(vp, Qt::LeftButton, Qt::NoModifier, r.center());
    l.View.SelectRow(0);
    QMouseEvent move(QEvent::MouseMove, QPointF(r.center() + QPoint(20, 0)), vp->mapToGlobal(QPointF(r.center() + QPoint(20, 0))),
                     Qt::NoButton, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(vp, &move);
    QTest::mouseRelease(vp, Qt::LeftButton, Qt::NoModifier, r.center());
    QTest::qWait(400);
    l.View.WaitForRead();
    EXPECT_EQ(ReadCount(l.View) - reads, a == Qt::MoveAction ? 1 : 0);
  }
  TDropSource::SetDragRunner(old);
}

TEST(Watch, ABurstGivesOneRefreshAndAnAppendIsSeen) {
  const QString d = FreshDir("watch");
  WriteFile(d + "/log.txt", "1");
  ListedView l(d);
  l.View.WaitForRead();
  ASSERT_EQ(l.View.Watcher()->Directory(), d);
  const int before = ReadCount(l.View);
  WriteFile(d + "/a", "a");
  WriteFile(d + "/b", "b");
  WriteFile(d + "/c", "c");
  QTest::qWait(900);
  l.View.WaitForRead();
  EXPECT_EQ(ReadCount(l.View) - before, 1);
  EXPECT_EQ(l.View.ItemCount(), 4);
  // An append changes only the size: still seen.
  const int before2 = ReadCount(l.View);
  {
    QFile f(d + "/log.txt");
    f.open(QIODevice::Append);
    f.write("more");
  }
  EXPECT_TRUE(WaitUntil([&] { return ReadCount(l.View) > before2 && !l.View.Reading(); }, 3000));
  EXPECT_EQ(l.View.Item(l.View.RowOfName("log.txt")).Size, 5);
  // A burst of 1000 changes: at most two listings.
  const int before3 = ReadCount(l.View);
  for (int i = 0; i < 1000; ++i) WriteFile(d + QStringLiteral("/burst%1").arg(i), "b");
  QTest::qWait(1500);
  l.View.WaitForRead();
  EXPECT_LE(ReadCount(l.View) - before3, 2);
  EXPECT_EQ(l.View.ItemCount(), 1004);
  // The view's own operations give no second listing.
  const int before4 = ReadCount(l.View);
  l.View.NewFolder();
  QTest::qWait(700);
  EXPECT_EQ(ReadCount(l.View), before4);
  // AutoUpdate off: no listing.
  l.View.setAutoUpdate(false);
  WriteFile(d + "/quiet", "q");
  QTest::qWait(700);
  EXPECT_EQ(ReadCount(l.View), before4);
}

TEST(Watch, ARefreshNeverStartsInsideARefresh) {
  const QString d = FreshDir("reentry");
  for (int i = 0; i < 3000; ++i) WriteFile(d + QStringLiteral("/f%1").arg(i), "");
  TFileListViewLite v;
  v.setReadEnabled(true);
  int overlapping = 0;
  QObject::connect(&v, &TFileListViewLite::AfterRead, [&] {
    if (v.Reading()) ++overlapping;
  });
  v.ChangeDir(d);
  ASSERT_TRUE(v.Reading());
  const int reads = ReadCount(v);
  v.Refresh();  // during the listing: folded into one listing after it
  v.Refresh();
  v.Refresh();
  ASSERT_TRUE(v.WaitForRead());
  EXPECT_EQ(overlapping, 0);
  EXPECT_EQ(ReadCount(v) - reads, 2);
  EXPECT_EQ(v.ItemCount(), 3000);
  // Going elsewhere during a listing gives that one up: one AfterRead, of the new place.
  const QString other = FreshDir("reentry-other");
  WriteFile(other + "/only", "o");
  v.ChangeDir(d + "/..");
  ASSERT_TRUE(v.Reading());
  const int reads2 = ReadCount(v);
  v.ChangeDir(other);
  ASSERT_TRUE(v.WaitForRead());
  EXPECT_EQ(ReadCount(v) - reads2, 1);
  ASSERT_EQ(v.ItemCount(), 1);
  EXPECT_EQ(v.Caption(0), "only");
  // A refresh keeps a large selection, in one go.
  v.setMultiSelect(true);
  v.ChangeDir(d);
  ASSERT_TRUE(v.WaitForRead());
  v.CurrentView()->selectAll();
  QSignalSpy changes(&v, &TFileListViewLite::Change);
  QElapsedTimer t;
  t.start();
  v.Refresh();
  ASSERT_TRUE(v.WaitForRead());
  EXPECT_EQ(v.SelectedRows().size(), 3000);
  EXPECT_LE(changes.count(), 3);
  EXPECT_LT(t.elapsed(), 3000);
}

TEST(Rename, AnAcceptedEditRenamesTheEditedEntryEvenAfterTheRowsMoved) {
  const QString d = FreshDir("editrename");
  WriteFile(d + "/m.txt", "m");
  ListedView l(d);
  QAbstractItemModel* model = l.View.ReportView()->model();
  const int row = l.View.RowOfName("m.txt");
  EXPECT_TRUE(model->flags(model->index(row, 0)) & Qt::ItemIsEditable);
  model->setData(model->index(row, 0), "z.txt", Qt::EditRole);
  WriteFile(d + "/a.txt", "a");  // a new first row before the rename runs
  l.View.Refresh();
  l.View.WaitForRead();
  QTest::qWait(50);
  l.View.WaitForRead();
  EXPECT_EQ(ReadAll(d + "/z.txt"), "m");
  EXPECT_EQ(ReadAll(d + "/a.txt"), "a");
  EXPECT_GE(l.View.RowOfName("z.txt"), 0);
  // Read-only views and places edit nothing.
  l.View.setReadOnly(true);
  EXPECT_FALSE(model->flags(model->index(0, 0)) & Qt::ItemIsEditable);
}

TEST(Keys, BackspaceEnterF5AndDelete) {
  const QString d = FreshDir("keys");
  QDir(d).mkdir("inner");
  WriteFile(d + "/k.txt", "k");
  ListedView l(d);
  l.View.resize(300, 200);
  l.View.show();
  QWidget* v = l.View.IconView();
  l.View.SelectRow(l.View.RowOfName("inner"));
  QTest::keyClick(v, Qt::Key_Return);
  l.View.WaitForRead();
  EXPECT_EQ(l.View.Directory(), d + "/inner");
  QTest::keyClick(v, Qt::Key_Backspace);
  l.View.WaitForRead();
  EXPECT_EQ(l.View.Directory(), d);
  const int reads = ReadCount(l.View);
  QTest::keyClick(v, Qt::Key_F5);
  l.View.WaitForRead();
  EXPECT_EQ(ReadCount(l.View), reads + 1);
  Answers answers([](const TMessageRequest&) { return int(mrNo); });
  l.View.SelectRow(l.View.RowOfName("k.txt"));
  QTest::keyClick(v, Qt::Key_Delete);
  EXPECT_EQ(answers.Asked.size(), 1u);
  EXPECT_TRUE(Exists(d + "/k.txt"));  // "no" keeps it
}

TEST(Watch, AListedFolderThatGoesAwayLeavesForItsParent) {
  const QString d = FreshDir("vanish");
  QDir(d).mkpath("gone/deeper");
  ListedView l(d + "/gone/deeper");
  QDir(d + "/gone").removeRecursively();
  EXPECT_TRUE(WaitUntil([&] { return l.View.Directory() == d && !l.View.Reading(); }, 4000));
}
