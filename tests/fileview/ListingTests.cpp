// Listing, places, navigation and sorting of the file list view.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/types.h>
#include <unistd.h>

#include <QDateTime>
#include <QLocale>
#include <QSignalSpy>
#include <QHeaderView>
#include <QStandardPaths>
#include <QTreeView>
#include <QTest>
#include <random>

#include "FileViewEnv.h"
#include "TestUtil.h"
#include <Tarnwell/fileview/FileEntries.h>
#include <Tarnwell/fileview/FileList.h>
#include <Tarnwell/fileview/FileList_p.h>
#include <Tarnwell/fileview/FileViewTexts.h>

namespace {

void SetTime(const QString& path, qint64 secsAgo) {
  QFile f(path);
  f.open(QIODevice::ReadWrite);
  f.setFileTime(QDateTime::currentDateTime().addSecs(-secsAgo), QFileDevice::FileModificationTime);
}

QStringList Captions(const TFileListViewLite& v) {
  QStringList out;
  for (int i = 0; i < v.ItemCount(); ++i) out << v.Caption(i);
  return out;
}

struct ListedView {
  TFileListViewLite View;
  explicit ListedView(const QString& dir) {
    View.setReadEnabled(true);
    View.ChangeDir(dir);
    View.WaitForRead();
  }
};

}  // namespace

TEST(Listing, FoldersFirstThenEachMatchOnceWithTotal) {
  const QString d = FreshDir("mask");
  QDir(d).mkdir("zeta");
  QDir(d).mkdir("alpha.txt");  // a folder whatever its name
  WriteFile(d + "/b.txt", QByteArray(10, 'x'));
  WriteFile(d + "/a.log", QByteArray(7, 'x'));
  WriteFile(d + "/c.txt.log", QByteArray(100, 'x'));  // matches both patterns
  WriteFile(d + "/README", QByteArray(3, 'x'));
  ListedView l(d);
  l.View.setMask("*.txt;*.log");
  l.View.WaitForRead();
  EXPECT_EQ(Captions(l.View), (QStringList{"alpha.txt", "zeta", "a.log", "b.txt", "c.txt.log"}));
  EXPECT_EQ(l.View.Total(), 117);
  EXPECT_EQ(l.View.SubItem(0, 3), "d ");
  EXPECT_EQ(l.View.SubItem(0, 0), " ");
  // "*.*" lists names without a dot too.
  l.View.setMask("*.*");
  l.View.WaitForRead();
  EXPECT_TRUE(Captions(l.View).contains("README"));
  EXPECT_EQ(l.View.Total(), 120);
  // A mask naming a folder is refused and the old one stays.
  l.View.setMask("../*.txt");
  EXPECT_EQ(l.View.Mask(), "*.*");
  QString err;
  EXPECT_FALSE(TFileMask::Validate("sub/*.c", &err));
  EXPECT_FALSE(err.isEmpty());
}

TEST(Listing, NothingWhileReadDisabled) {
  const QString d = FreshDir("disabled");
  WriteFile(d + "/a.txt", "a");
  TFileListViewLite v;
  QSignalSpy after(&v, &TFileListViewLite::AfterRead);
  v.ChangeDir(d);
  v.setMask("*.txt");
  v.setFileViewType(TFileListViewType());
  v.WaitForRead();
  EXPECT_EQ(v.ItemCount(), 0);
  EXPECT_EQ(after.count(), 0);
  EXPECT_EQ(v.Directory(), d);
}

TEST(Listing, AttributeKindsLeftOut) {
  const QString d = FreshDir("attrs");
  WriteFile(d + "/plain", "p");
  WriteFile(d + "/.hidden", "h");
  WriteFile(d + "/locked", "r");
  ::chmod(QFile::encodeName(d + "/locked").constData(), 0444);
  QDir(d).mkdir(".hiddendir");
  ASSERT_EQ(::mkfifo(QFile::encodeName(d + "/pipe").constData(), 0600), 0);
  ListedView l(d);
  EXPECT_EQ(l.View.ItemCount(), 5);
  const int locked = l.View.RowOfName("locked");
  ASSERT_GE(locked, 0);
  EXPECT_EQ(l.View.SubItem(locked, 3), "r ");
  EXPECT_EQ(l.View.SubItem(l.View.RowOfName("pipe"), 3), "s ");
  EXPECT_EQ(l.View.SubItem(l.View.RowOfName(".hidden"), 3), "h ");
  l.View.setFileViewType(TFileListViewType());
  l.View.WaitForRead();
  EXPECT_EQ(Captions(l.View), QStringList{"plain"});
  l.View.setFileViewType(flvHidden);
  l.View.WaitForRead();
  EXPECT_EQ(Captions(l.View), (QStringList{".hiddendir", ".hidden", "plain"}));
}

TEST(Listing, LinksAndDesktopFilesAreShortcutsAndNothingRuns) {
  const QString d = FreshDir("links");
  QDir(d).mkdir("target");
  ASSERT_EQ(::symlink(QFile::encodeName(d + "/target").constData(), QFile::encodeName(d + "/tolink").constData()), 0);
  const QString marker = d + "/ran";
  WriteFile(d + "/app.desktop", QStringLiteral("[Desktop Entry]\nType=Application\nExec=touch %1\n").arg(marker).toUtf8());
  WriteFile(d + "/go.desktop", QStringLiteral("[Desktop Entry]\nType=Link\nURL=file://%1/target\n").arg(d).toUtf8());
  ListedView l(d);
  const int link = l.View.RowOfName("tolink");
  ASSERT_GE(link, 0);
  EXPECT_EQ(l.View.SubItem(link, 3), "L");
  EXPECT_EQ(l.View.SubItem(link, 5), d + "/target");
  l.View.SelectRow(link);
  EXPECT_EQ(l.View.SelectedPath(), d + "/tolink");
  l.View.setResolveLink(true);
  EXPECT_EQ(l.View.SelectedPath(), d + "/target");
  l.View.setResolveLink(false);
  const int go = l.View.RowOfName("go.desktop");
  EXPECT_EQ(l.View.SubItem(go, 3), "L");
  EXPECT_EQ(l.View.SubItem(go, 5), d + "/target");
  EXPECT_EQ(l.View.SubItem(l.View.RowOfName("app.desktop"), 3).left(1), " ");
  // Activating an application entry opens it as a document, never its Exec line.
  QStringList opened;
  auto old = SetFileOpenHook([&](const QString& f, const QStringList&) {
    opened << f;
    return true;
  });
  l.View.setExecuteOpen(true);
  l.View.SelectRow(l.View.RowOfName("app.desktop"));
  l.View.ActivateSelected();
  EXPECT_EQ(opened, QStringList{d + "/app.desktop"});
  EXPECT_FALSE(QFile::exists(marker));
  // A link to a folder opens the folder.
  l.View.SelectRow(l.View.RowOfName("tolink"));
  l.View.ActivateSelected();
  l.View.WaitForRead();
  EXPECT_EQ(l.View.Directory(), d + "/target");
  SetFileOpenHook(old);
}

TEST(Navigation, UpFromRootToVolumesToDesktopAndNoFurther) {
  TFileListViewLite v;
  v.setReadEnabled(true);
  QSignalSpy changes(&v, &TFileListViewLite::DirectoryChange);
  v.ChangeDir("/");
  v.WaitForRead();
  EXPECT_TRUE(v.GoUp());
  EXPECT_EQ(v.Directory(), "Drives");
  ASSERT_GE(v.ItemCount(), 1);
  EXPECT_EQ(v.SubItem(0, 4), "/");
  EXPECT_EQ(v.SubItem(0, 3), "U");
  EXPECT_FALSE(v.SubItem(0, 1).isEmpty());
  EXPECT_FALSE(v.GoUp());
  EXPECT_EQ(v.Directory(), "DeskTop");
  ASSERT_GE(v.ItemCount(), 3);
  EXPECT_EQ(v.SubItem(0, 3), "X");
  EXPECT_FALSE(v.GoUp());
  EXPECT_EQ(v.Directory(), "DeskTop");
  const QList<QVariant> last = changes.last();
  EXPECT_EQ(last.at(1).toString(), "Drives");
  EXPECT_FALSE(last.at(3).toBool());  // CanPrev is False on the desktop
}

TEST(Navigation, MissingOrRelativePathKeepsThePlaceButAnnounces) {
  const QString d = FreshDir("nav");
  TFileListViewLite v;
  v.setReadEnabled(true);
  v.ChangeDir(d);
  QSignalSpy changes(&v, &TFileListViewLite::DirectoryChange);
  v.ChangeDir(d + "/nothing-here");
  v.ChangeDir("relative/path");
  EXPECT_EQ(v.Directory(), d);
  EXPECT_EQ(changes.count(), 2);
  EXPECT_EQ(changes.at(0).at(2).toString(), d);
  // Places in any case.
  v.ChangeDir("recycled");
  EXPECT_EQ(v.Directory(), "Recycled");
}

TEST(Navigation, DesktopListsPlacesFoldersAndLinks) {
  const QString desk = QStandardPaths::writableLocation(QStandardPaths::DesktopLocation);
  ASSERT_TRUE(desk.startsWith(TestHome()));
  QDir(desk).mkpath("Progetti");
  WriteFile(desk + "/note.txt", "n");
  ::symlink("/nonexistent-target", QFile::encodeName(desk + "/broken").constData());
  TFileListViewLite v;
  v.setReadEnabled(true);
  v.ChangeDir("DESKTOP");
  QStringList kinds, names;
  for (int i = 0; i < v.ItemCount(); ++i) {
    kinds << v.SubItem(i, 3).left(1);
    names << v.SubItem(i, 4);
  }
  EXPECT_EQ(kinds.mid(0, 3), (QStringList{"X", "X", "X"}));
  EXPECT_TRUE(names.contains("Drives") && names.contains("NetWork") && names.contains("Recycled"));
  EXPECT_TRUE(names.contains(desk + "/Progetti"));
  EXPECT_TRUE(names.contains(desk + "/note.txt"));
  EXPECT_FALSE(names.contains(desk + "/broken"));  // a link to nothing is left out
  // The network without browsing: "All the network" only.
  v.ChangeDir("NetWork");
  ASSERT_EQ(v.ItemCount(), 1);
  EXPECT_EQ(v.Caption(0), FileViewString(v.TextBase() + 31));
  EXPECT_EQ(v.SubItem(0, 3), "N");
}

TEST(Sorting, NewestFirstAndInverseNameFoldersLast) {
  const QString d = FreshDir("sort");
  QDir(d).mkdir("folder");
  WriteFile(d + "/old.txt", "o");
  WriteFile(d + "/new.txt", "n");
  WriteFile(d + "/mid.txt", "m");
  SetTime(d + "/old.txt", 3000);
  SetTime(d + "/mid.txt", 2000);
  SetTime(d + "/new.txt", 1000);
  ListedView l(d);
  l.View.setSortedBy(sbDate);
  EXPECT_EQ(Captions(l.View), (QStringList{"folder", "new.txt", "mid.txt", "old.txt"}));
  l.View.setSortedBy(sbNameInv);
  EXPECT_EQ(Captions(l.View), (QStringList{"old.txt", "new.txt", "mid.txt", "folder"}));
  // Column clicks: the same column twice inverts.
  l.View.setSortedBy(sbName);
  QSignalSpy sorted(&l.View, &TFileListViewLite::SortedByChanged);
  emit l.View.ReportView()->header()->sectionClicked(1);
  EXPECT_EQ(l.View.SortedBy(), sbSize);
  emit l.View.ReportView()->header()->sectionClicked(1);
  EXPECT_EQ(l.View.SortedBy(), sbSizeInv);
  EXPECT_EQ(sorted.count(), 2);
}

TEST(Sorting, EveryKeyIsAStrictWeakOrderingOnTypedKeys) {
  std::mt19937 rng(1234);
  TFileItems items;
  const TItemKind kinds[] = {TItemKind::File, TItemKind::Folder, TItemKind::Special, TItemKind::Link};
  for (int i = 0; i < 300; ++i) {
    TFileItem it;
    it.Kind = kinds[rng() % 4];
    it.Caption = QStringLiteral("n%1").arg(rng() % 40);  // many ties
    it.Name = it.Caption + QString::number(i % 3);
    it.Size = rng() % 3 == 0 ? kNoSize : qint64(rng() % 5) * 3'000'000'000LL;  // beyond 32 bits
    it.MTime = rng() % 4 == 0 ? kNoDate : qint64(rng() % 10) * 1000;
    it.TypeName = QStringLiteral("T%1").arg(rng() % 3);
    it.AttrText = rng() % 2 ? "a " : "r ";
    it.Raw = QByteArray::number(i);  // tells apart rows that compare equal
    items.push_back(it);
  }
  PrepareSortKeys(items);
  for (int k = 0; k < 10; ++k) {
    const auto by = TSortedBy(k);
    for (size_t i = 0; i < items.size(); ++i) {
      EXPECT_EQ(CompareItems(items[i], items[i], by), 0);
      for (size_t j = i + 1; j < std::min(items.size(), i + 40); ++j)
        ASSERT_EQ(CompareItems(items[i], items[j], by), -CompareItems(items[j], items[i], by)) << k;
    }
    TFileItems sorted = items;
    SortItems(sorted, by);
    for (size_t i = 1; i < sorted.size(); ++i) ASSERT_LE(CompareItems(sorted[i - 1], sorted[i], by), 0) << k;
    // Rows that compare equal keep the listing's order (an inverse order
    // reverses the whole list), so a re-sort never shuffles them.
    TFileItems expected = items;
    std::stable_sort(expected.begin(), expected.end(), [k](const TFileItem& a, const TFileItem& b) {
      return CompareItems(a, b, TSortedBy(k % 5)) < 0;
    });
    if (k >= 5) std::reverse(expected.begin(), expected.end());
    for (size_t i = 0; i < sorted.size(); ++i) ASSERT_EQ(sorted[i].Raw, expected[i].Raw) << k << " row " << i;
  }
  // 64-bit sizes: 6 GB after 3 GB.
  TFileItem a, b;
  a.Caption = a.Name = "a";
  b.Caption = b.Name = "b";
  a.Size = 6'000'000'000LL;
  b.Size = 3'000'000'000LL;
  EXPECT_GT(CompareItems(a, b, sbSize), 0);
  EXPECT_LT(CompareItems(a, b, sbSizeInv), 0);
}

TEST(Texts, LanguagesAndFallback) {
  EXPECT_EQ(LanguageBase(lnItalian), 1600);
  EXPECT_EQ(LanguageBase(lnGerman), 700);
  EXPECT_EQ(FileViewString(1600 + 33), "Nuova Cartella");
  EXPECT_EQ(FileViewString(700 + 12), QString::fromUtf8("Größe"));
  const QLocale saved;
  QLocale::setDefault(QLocale(QLocale::Japanese, QLocale::Japan));
  EXPECT_EQ(LanguageBase(lnUserDefault), 900);
  QLocale::setDefault(QLocale(QLocale::French, QLocale::France));
  EXPECT_EQ(LanguageBase(lnUserDefault), 1200);
  {
    TFileListViewLite v;
    v.setLanguage(lnItalian);
    EXPECT_EQ(v.ReportView()->model()->headerData(0, Qt::Horizontal).toString(), "Nome");
    EXPECT_EQ(v.ReportView()->model()->headerData(3, Qt::Horizontal).toString(), "Modificato");
  }
  QLocale::setDefault(saved);
}

TEST(Listing, SizesWithTheLocaleSeparators) {
  const QLocale saved;
  QLocale::setDefault(QLocale(QLocale::Italian, QLocale::Italy));
  EXPECT_EQ(FormatThousands(1234567), "1.234.567");
  EXPECT_EQ(FormatThousands(5'000'000'000LL), "5.000.000.000");
  QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates));
  EXPECT_EQ(FormatThousands(1234567), "1,234,567");
  QLocale::setDefault(saved);
}

TEST(Listing, AViewDestroyedDuringAListingAndVolumesByRoot) {
  const QString d = FreshDir("destroy");
  for (int i = 0; i < 2000; ++i) WriteFile(d + QStringLiteral("/g%1").arg(i), "");
  for (int round = 0; round < 3; ++round) {
    auto* v = new TFileListViewLite;
    v->setReadEnabled(true);
    v->ChangeDir(d);
    if (round > 0) QTest::qWait(round * 5);
    delete v;  // the worker stops and nothing reaches the gone view
  }
  QTest::qWait(50);
  TFileListViewLite v;
  v.setReadEnabled(true);
  EXPECT_TRUE(v.ChangeDrive("/"));
  EXPECT_EQ(v.Directory(), "/");
  EXPECT_FALSE(v.ChangeDrive("/no/such/volume"));
  EXPECT_EQ(v.Directory(), "/");
  v.ChangeDir(d);
  v.WaitForRead();
  EXPECT_EQ(v.DriveRoot(), MountRootOf(d));
  EXPECT_EQ(v.ItemCount(), 2000);
}
