// The file list view on the file systems users really have: FIFOs where a
// file is expected, names that are not UTF-8, folders that differ only by
// case, changes during a listing, and copies that meet long names, dead
// copies and read-only folders.
#include <gtest/gtest.h>
#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <QDrag>
#include <QElapsedTimer>
#include <QMimeData>
#include <QStandardPaths>
#include <QTest>
#include <QUrl>
#include <atomic>
#include <thread>

#include "FileViewEnv.h"
#include "TestUtil.h"
#include <Tarnwell/fileview/ChangeNotify.h>
#include <Tarnwell/fileview/DirCombo.h>
#include <Tarnwell/fileview/DropSource.h>
#include <Tarnwell/fileview/FileEntries.h>
#include <Tarnwell/fileview/FileList.h>
#include <Tarnwell/fileview/FileOps.h>
#include <Tarnwell/fileview/FileOps_p.h>
#include <Tarnwell/platform/TDialogs.h>

namespace {

QByteArray Raw(const QString& p) { return QFile::encodeName(p); }

bool ExistsRaw(const QByteArray& p) {
  struct stat st;
  return ::lstat(p.constData(), &st) == 0;
}

void WriteRaw(const QByteArray& path, const QByteArray& data) {
  const int fd = ::open(path.constData(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
  ASSERT_GE(fd, 0) << path.toStdString();
  ASSERT_EQ(::write(fd, data.constData(), size_t(data.size())), ssize_t(data.size()));
  ::close(fd);
}

QByteArray ReadRaw(const QByteArray& path) {
  QByteArray out;
  ReadRegularFile(path, 1 << 20, &out);
  return out;
}

// Whoever opens a FIFO to read waits for a writer: this one comes after
// `ms`, so that code which wrongly opens one is late (the test fails)
// rather than stuck for ever.
struct TLateWriter {
  std::vector<QByteArray> Fifos;
  std::atomic<bool> Stop{false};
  std::thread Thread;
  explicit TLateWriter(std::vector<QByteArray> fifos, int ms = 4000) : Fifos(std::move(fifos)) {
    Thread = std::thread([this, ms] {
      for (int waited = 0; waited < ms && !Stop; waited += 20) std::this_thread::sleep_for(std::chrono::milliseconds(20));
      while (!Stop) {
        for (const QByteArray& f : Fifos) {
          const int fd = ::open(f.constData(), O_RDWR | O_NONBLOCK);
          if (fd >= 0) ::close(fd);
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
      }
    });
  }
  ~TLateWriter() {
    Stop = true;
    Thread.join();
  }
};

struct Answers {
  TMessageHook Old;
  std::vector<TMessageRequest> Asked;
  explicit Answers(int answer) {
    Old = SetMessageHook([this, answer](const TMessageRequest& r) {
      Asked.push_back(r);
      return answer;
    });
  }
  ~Answers() { SetMessageHook(Old); }
};

}  // namespace

TEST(FileSystem, FifosAreNeverOpenedInAFolderOnTheDesktopOrInTheTrash) {
  const QString d = FreshDir("fifo");
  const QString desk = QStandardPaths::writableLocation(QStandardPaths::DesktopLocation);
  const QString info = HomeTrashDir() + "/info";
  QDir().mkpath(info);
  QDir().mkpath(HomeTrashDir() + "/files");
  const std::vector<QByteArray> fifos = {Raw(d + "/trap.desktop"), Raw(desk + "/trap.desktop"),
                                         Raw(info + "/trap.trashinfo"), Raw(TestHome() + "/send.desktop")};
  WriteFile(HomeTrashDir() + "/files/trap", "t");
  for (const QByteArray& f : fifos) ASSERT_EQ(::mkfifo(f.constData(), 0600), 0) << f.toStdString();
  WriteFile(d + "/real.desktop", "[Desktop Entry]\nType=Link\nURL=file:///tmp\n");
  TLateWriter late(fifos);
  struct TPlace {
    QString Place;
    QString Fifo;  // the name sub-item 4 shows for it, or empty when it is left out
  };
  const TPlace places[] = {{d, "trap.desktop"}, {"DeskTop", ""}, {"Recycled", ""}};
  for (const TPlace& p : places) {
    QElapsedTimer t;
    t.start();
    {
      TFileListViewLite v;
      v.setReadEnabled(true);
      v.ChangeDir(p.Place);
      ASSERT_TRUE(v.WaitForRead(10000)) << p.Place.toStdString();
      if (!p.Fifo.isEmpty()) {
        const int row = v.RowOfName(p.Fifo);
        ASSERT_GE(row, 0);
        EXPECT_EQ(v.SubItem(row, 3), "s ");  // listed as what it is, never read
        EXPECT_EQ(v.SubItem(v.RowOfName("real.desktop"), 3), "L");
      }
    }  // destroyed too without waiting for anything
    EXPECT_LT(t.elapsed(), 2500) << p.Place.toStdString() << " waited for a FIFO";
  }
  QElapsedTimer t;
  t.start();
  EXPECT_TRUE(DesktopEntryLines(fifos[3]).isEmpty());
  EXPECT_TRUE(DesktopLinkTarget(QFile::decodeName(fifos[0])).isEmpty());
  QByteArray out;
  EXPECT_FALSE(ReadRegularFile("/dev/zero", 1024, &out));
  EXPECT_LT(t.elapsed(), 1000);
  for (const QByteArray& f : fifos) ::unlink(f.constData());
  QFile::remove(HomeTrashDir() + "/files/trap");
}

TEST(FileSystem, ANameThatIsNoUtf8IsActedOnByItsBytesNeverItsLookAlike) {
  const QString d = FreshDir("bytes");
  const QByteArray dir = Raw(d);
  const QByteArray mangled = "\xff\xfe-name.txt";
  // What the mangled name looks like as text, as a real file of its own.
  const QByteArray lookAlike = QString::fromUtf8(mangled).toUtf8();
  ASSERT_NE(mangled, lookAlike);
  WriteRaw(dir + '/' + mangled, "mangled");
  WriteRaw(dir + '/' + lookAlike, "look-alike");
  TFileListViewLite v;
  v.setReadEnabled(true);
  v.ChangeDir(d);
  ASSERT_TRUE(v.WaitForRead());
  ASSERT_EQ(v.ItemCount(), 2);
  EXPECT_EQ(v.Caption(0), v.Caption(1));  // both show U+FFFD where the bytes do not decode
  EXPECT_TRUE(v.Caption(0).contains(QChar(0xFFFD)));
  const int row = v.RowOfRaw(mangled);
  ASSERT_GE(row, 0);
  // Dragged out: the URL carries the bytes.
  v.SelectRow(row);
  QList<QUrl> urls;
  auto oldRunner = TDropSource::SetDragRunner([&](QDrag& drag, Qt::DropActions, Qt::DropAction) {
    urls = drag.mimeData()->urls();
    return Qt::CopyAction;
  });
  v.SelectedRawFiles(v.DragSource()->RawFiles, true);
  v.SelectedFiles(v.DragSource()->Files, true);
  v.DragSource()->Execute(&v);
  TDropSource::SetDragRunner(oldRunner);
  ASSERT_EQ(urls.size(), 1);
  EXPECT_TRUE(urls[0].toEncoded().endsWith("/%FF%FE-name.txt")) << urls[0].toEncoded().toStdString();
  EXPECT_EQ(RawPathOfUrl(urls[0]), dir + '/' + mangled);
  // Dropped into another folder: copied under the same bytes.
  const QString other = FreshDir("bytes-copy");
  TFileListViewLite target;
  target.setReadEnabled(true);
  target.ChangeDir(other);
  target.WaitForRead();
  target.DropRawFiles({RawPathOfUrl(urls[0])}, QPoint(-5, -5));
  EXPECT_EQ(ReadRaw(Raw(other) + '/' + mangled), "mangled");
  EXPECT_FALSE(ExistsRaw(Raw(other) + '/' + lookAlike));
  // Renamed: the mangled file gets the new name, the look-alike stays.
  {
    Answers answers(mrOk);
    EXPECT_FALSE(v.RenameItem(row, v.Caption(row)));  // the text shown is not its name
    ASSERT_TRUE(v.RenameItem(v.RowOfRaw(mangled), "renamed.txt"));
    EXPECT_TRUE(answers.Asked.empty());
  }
  EXPECT_EQ(ReadRaw(dir + "/renamed.txt"), "mangled");
  EXPECT_EQ(ReadRaw(dir + '/' + lookAlike), "look-alike");
  ASSERT_TRUE(RenameEntry(dir + "/renamed.txt", QStringLiteral("x")).Ok);
  ASSERT_EQ(::rename((dir + "/x").constData(), (dir + '/' + mangled).constData()), 0);
  v.Refresh();
  v.WaitForRead();
  // Deleted: only the mangled one goes, and its .trashinfo spells its bytes.
  {
    Answers answers(mrYes);
    v.SelectRow(v.RowOfRaw(mangled));
    v.DeleteSelected();
  }
  EXPECT_FALSE(ExistsRaw(dir + '/' + mangled));
  EXPECT_EQ(ReadRaw(dir + '/' + lookAlike), "look-alike");
  v.WaitForRead();
  EXPECT_EQ(v.ItemCount(), 1);
  EXPECT_EQ(v.Item(0).Raw, lookAlike);
  const QByteArray path = dir + '/' + mangled;
  bool found = false;
  for (const TFileItem& it : ListTrash(900)) {
    if (it.RawTarget != path) continue;
    found = true;
    EXPECT_EQ(ReadRaw(it.Raw), "mangled");
    const QByteArray trashinfo =
        ReadRaw(RawParent(RawParent(it.Raw)) + "/info/" + RawFileName(it.Raw) + ".trashinfo");
    EXPECT_TRUE(trashinfo.contains("Path=" + path.toPercentEncoding("/") + '\n')) << trashinfo.toStdString();
    EXPECT_TRUE(trashinfo.contains("%FF%FE-name.txt"));
  }
  EXPECT_TRUE(found);
  // A folder of such a name is entered, watched and left by its bytes; the
  // directory combo follows without sending the view back.
  TDirectoryComboLite combo;
  v.setDirCombo(&combo);
  combo.setFileListView(&v);
  ASSERT_EQ(::mkdir((dir + "/\xe9t\xe9").constData(), 0755), 0);
  v.Refresh();
  v.WaitForRead();
  v.SelectRow(v.RowOfRaw("\xe9t\xe9"));
  v.ActivateSelected();
  ASSERT_TRUE(v.WaitForRead());
  EXPECT_EQ(v.DirectoryBytes(), dir + "/\xe9t\xe9");
  EXPECT_EQ(combo.Directory(), v.Directory());
  WriteRaw(dir + "/\xe9t\xe9/new.txt", "n");
  EXPECT_TRUE(WaitUntil([&] { return v.RowOfName("new.txt") >= 0; }, 4000));
  EXPECT_TRUE(v.GoUp());
  v.WaitForRead();
  EXPECT_EQ(v.DirectoryBytes(), dir);
}

TEST(FileSystem, WatchingFollowsTheExactFolderAndChangesDuringAListing) {
  // "Case" and "case" are two folders: going from one to the other moves
  // the watch.
  const QString d = FreshDir("case");
  QDir(d).mkdir("Case");
  QDir(d).mkdir("case");
  TFileListViewLite v;
  v.setReadEnabled(true);
  v.ChangeDir(d + "/Case");
  v.WaitForRead();
  v.ChangeDir(d + "/case");
  v.WaitForRead();
  EXPECT_EQ(v.Watcher()->Directory(), d + "/case");
  WriteFile(d + "/case/seen.txt", "s");
  EXPECT_TRUE(WaitUntil([&] { return v.RowOfName("seen.txt") >= 0; }, 4000));
  // Files made while a large folder is being read all appear soon after.
  const QString big = FreshDir("during");
  constexpr int kBig = 4000;
  for (int i = 0; i < kBig; ++i) {
    const QByteArray n = Raw(big + QStringLiteral("/f%1").arg(i));
    const int fd = ::open(n.constData(), O_WRONLY | O_CREAT, 0644);
    if (fd >= 0) ::close(fd);
  }
  v.ChangeDir(big);
  int made = 0;
  // One file a turn of the event loop, to the listing's very end.
  while (v.Reading() && made < 2000) {
    WriteFile(big + QStringLiteral("/new%1").arg(made++), "n");
    QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
  }
  ASSERT_GT(made, 0) << "the listing ended before any file was made";
  ASSERT_TRUE(v.WaitForRead());
  EXPECT_TRUE(WaitUntil([&] { return !v.Reading() && v.ItemCount() == kBig + made; }, 6000))
      << v.ItemCount() << " of " << kBig + made;
  QDir(big).removeRecursively();
}

namespace {

// Runs `body` in a child process as an unprivileged user (nobody) when the
// tests run as root, as the user itself otherwise: permissions that root
// overrides are then what they are for everyone else. True when body did.
bool AsUnprivileged(const std::function<bool()>& body) {
  if (::geteuid() != 0) return body();
  const pid_t pid = ::fork();
  if (pid == 0) {
    if (::setgid(65534) != 0 || ::setuid(65534) != 0) ::_exit(3);
    ::_exit(body() ? 0 : 1);
  }
  int status = 0;
  ::waitpid(pid, &status, 0);
  return WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

// A folder everyone may reach (the test tree's own root is private).
QByteArray SharedDir() {
  char tmpl[] = "/tmp/tarnwell-fileview-shared-XXXXXX";
  const char* d = ::mkdtemp(tmpl);
  if (!d) return QByteArray();
  ::chmod(d, 0777);
  return QByteArray(d);
}

}  // namespace

TEST(FileSystem, CopiesUseShortUniquePartNamesAndLeaveNothingHalfDone) {
  const QByteArray base = SharedDir();
  ASSERT_FALSE(base.isEmpty());
  const QByteArray src = base + "/src", dst = base + "/dst";
  ASSERT_EQ(::mkdir(src.constData(), 0777), 0);
  ASSERT_EQ(::mkdir(dst.constData(), 0777), 0);
  ::chmod(src.constData(), 0777);
  ::chmod(dst.constData(), 0777);
  // Names of 241-255 bytes leave no room for a part name built on them.
  const QByteArray longName = QByteArray(250, 'l') + ".txt";
  WriteRaw(src + '/' + longName, "long");
  WriteRaw(src + "/again.txt", "again");
  // What a killed copy left: the old fixed part name, and one of ours whose
  // process is gone (a child that has ended).
  WriteRaw(dst + "/.again.txt.tarnwell-part", "stale");
  const pid_t dead = ::fork();
  if (dead == 0) ::_exit(0);
  ::waitpid(dead, nullptr, 0);
  // Temporary names of ours, of the dead process and of a live one (pid 1).
  const QByteArray deadPart = dst + '/' + CopyPartName(dead, 1);
  const QByteArray livePart = dst + '/' + CopyPartName(1, 1);
  WriteRaw(deadPart, "dead");
  WriteRaw(livePart, "live");
  TOpResult r = ExecuteCopy(PlanCopy(QList<QByteArray>{src + '/' + longName, src + "/again.txt"}, dst));
  EXPECT_TRUE(r.Ok) << r.Error.toStdString();
  EXPECT_EQ(ReadRaw(dst + '/' + longName), "long");
  EXPECT_EQ(ReadRaw(dst + "/again.txt"), "again");
  EXPECT_FALSE(ExistsRaw(deadPart));
  EXPECT_TRUE(ExistsRaw(livePart));  // a running copy's is never touched
  // A folder whose copy fails (a FIFO cannot be copied) leaves nothing under
  // its final name, nor any temporary entry.
  ASSERT_EQ(::mkdir((src + "/broken").constData(), 0777), 0);
  WriteRaw(src + "/broken/first.txt", "1");
  ASSERT_EQ(::mkfifo((src + "/broken/pipe").constData(), 0666), 0);
  r = ExecuteCopy(PlanCopy(QList<QByteArray>{src + "/broken"}, dst));
  EXPECT_FALSE(r.Ok);
  EXPECT_FALSE(r.Error.contains(".tarnwell-")) << r.Error.toStdString();
  EXPECT_FALSE(ExistsRaw(dst + "/broken"));
  // A read-only folder (0555) is copied with its contents, then made 0555;
  // as any user, not only as root, who may write into it anyway.
  ASSERT_EQ(::mkdir((src + "/ro").constData(), 0777), 0);
  ASSERT_EQ(::mkdir((src + "/ro/inner").constData(), 0777), 0);
  WriteRaw(src + "/ro/inner/f.txt", "inside");
  ::chmod((src + "/ro/inner/f.txt").constData(), 0644);
  ::chmod((src + "/ro/inner").constData(), 0555);
  ::chmod((src + "/ro").constData(), 0555);
  const QByteArray roDst = base + "/rodst";
  ASSERT_EQ(::mkdir(roDst.constData(), 0777), 0);
  ::chmod(roDst.constData(), 0777);
  EXPECT_TRUE(AsUnprivileged([&] {
    const TOpResult c = ExecuteCopy(PlanCopy(QList<QByteArray>{src + "/ro"}, roDst));
    return c.Ok;
  }));
  struct stat st;
  ASSERT_EQ(::stat((roDst + "/ro").constData(), &st), 0);
  EXPECT_EQ(st.st_mode & 07777, 0555u);
  EXPECT_EQ(ReadRaw(roDst + "/ro/inner/f.txt"), "inside");
  bool onlyFinal = true;
  QDir listing(QFile::decodeName(dst));
  for (const QString& n : listing.entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot))
    if (n.startsWith(".tarnwell-") && n.toLatin1() != RawFileName(livePart)) onlyFinal = false;
  EXPECT_TRUE(onlyFinal) << listing.entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot).join(' ').toStdString();
  ::chmod((src + "/ro").constData(), 0755);
  ::chmod((src + "/ro/inner").constData(), 0755);
  RemovePermanently(QList<QByteArray>{base});
}
