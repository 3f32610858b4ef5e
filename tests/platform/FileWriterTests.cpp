// The one write path: a full disk, a missing folder, a kill, and batches.
#include <gtest/gtest.h>

#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include <Tarnwell/platform/TFileWriter.h>

#include "SmallDisk.h"

#include <sys/stat.h>

using namespace Tarnwell;

// Where the disk fills up decides where the failure shows: at the first
// write, in the middle, or only when the buffered rest goes out at Commit.
TEST(FileWriter, FullDiskKeepsTheOldFileAndLeavesNoTemporary) {
  TSmallDisk disk(256);
  REQUIRE_SMALL_DISK(disk);
  const QString target = disk.File("data.bin");
  const QByteArray old(3314, 'o');
  struct Case {
    const char* Name;
    qint64 Leave;     // bytes left free after filling
    qint64 Size;      // what is written
    bool Chunked;     // in 1000-byte writes
  } cases[] = {
      {"nothing left, one write", 0, 20000, false},
      {"one page left, a larger file", 4096, 600000, false},
      {"one page left, small writes gathered until Commit", 4096, 9000, true},
  };
  for (const Case& c : cases) {
    PutFileBytes(target, old);
    disk.Fill(c.Leave);
    TFileWriter w(target);
    bool ok = w.open();
    const QByteArray data(c.Size, 'n');
    if (ok && c.Chunked)
      for (qsizetype at = 0; at < data.size(); at += 1000) w.write(data.mid(at, 1000));
    else if (ok)
      w.write(data);
    ok = ok && w.Commit();
    EXPECT_FALSE(ok) << c.Name;
    EXPECT_EQ(w.errorString(), QString::fromLocal8Bit(strerror(ENOSPC))) << c.Name;
    EXPECT_TRUE(w.Message().contains(target)) << c.Name;
    EXPECT_EQ(FileBytes(target), old) << c.Name;
    EXPECT_EQ(disk.Entries(), QStringList{"data.bin"}) << c.Name;
    disk.Unfill();
  }
  // With room, the new content is in place and the permissions are kept.
  QFile::setPermissions(target, QFileDevice::ReadOwner | QFileDevice::WriteOwner);
  QString error;
  ASSERT_TRUE(WriteFileAtomically(target, "new", &error)) << error.toStdString();
  EXPECT_EQ(FileBytes(target), "new");
  struct stat st {};
  ASSERT_EQ(::stat(QFile::encodeName(target).constData(), &st), 0);
  EXPECT_EQ(st.st_mode & 0777, 0600u);
  EXPECT_EQ(disk.Entries(), QStringList{"data.bin"});
}

TEST(FileWriter, ErrorsNameTheFileAndTheReason) {
  QTemporaryDir dir;
  QString error;
  EXPECT_FALSE(WriteFileAtomically(dir.filePath("missing/x.txt"), "x", &error));
  EXPECT_EQ(error, QString("cannot write %1: the folder %2 does not exist")
                       .arg(dir.filePath("missing/x.txt"), dir.filePath("missing")));
  EXPECT_FALSE(WriteFileAtomically(dir.path(), "x", &error));
  EXPECT_TRUE(error.endsWith(": it is a folder")) << error.toStdString();
  // A content maker that gives up leaves nothing.
  PutFileBytes(dir.filePath("keep.txt"), "keep");
  EXPECT_FALSE(WriteFileAtomically(dir.filePath("keep.txt"), [](QIODevice& d) {
    d.write("partial");
    return false;
  }));
  EXPECT_EQ(FileBytes(dir.filePath("keep.txt")), "keep");
  EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden), QStringList{"keep.txt"});
  // A read-only file system says so.
  TSmallDisk disk(64);
  if (disk.Mounted()) {
    PutFileBytes(disk.File("ro.txt"), "ro");
    ASSERT_EQ(::mount("tmpfs", QFile::encodeName(disk.Path()).constData(), "tmpfs", MS_REMOUNT | MS_RDONLY,
                      nullptr),
              0);
    EXPECT_FALSE(WriteFileAtomically(disk.File("ro.txt"), "x", &error));
    EXPECT_TRUE(error.endsWith(QString::fromLocal8Bit(strerror(EROFS)))) << error.toStdString();
    EXPECT_EQ(FileBytes(disk.File("ro.txt")), "ro");
  }
}

// A seek back (the sheet file fills in a size field at the end) and a
// symbolic link, which keeps pointing at the file it names.
TEST(FileWriter, SeekBackAndSymbolicLinks) {
  QTemporaryDir dir;
  const QString real = dir.filePath("real.bin"), link = dir.filePath("link.bin");
  PutFileBytes(real, "old");
  ASSERT_TRUE(QFile::link(real, link));
  TFileWriter w(link);
  ASSERT_TRUE(w.open());
  w.write("0000");
  w.write(QByteArray(300000, 'x'));
  ASSERT_TRUE(w.seek(1));
  w.write("AB");
  ASSERT_TRUE(w.Commit()) << w.Message().toStdString();
  const QByteArray got = FileBytes(real);
  EXPECT_EQ(got.size(), 300004);
  EXPECT_TRUE(got.startsWith("0AB0x"));
  EXPECT_TRUE(QFileInfo(link).isSymLink());
}

// A batch: every file in place at once, the sync counted per batch.
TEST(FileWriter, BatchCommitsEveryFileAndSyncsAtItsEnd) {
  QTemporaryDir dir;
  TWriteBatch batch(3);
  for (int i = 0; i < 7; ++i) {
    QString error;
    ASSERT_TRUE(WriteFileAtomically(dir.filePath(QString("f%1").arg(i)), QByteArray::number(i), &error, &batch))
        << error.toStdString();
    EXPECT_EQ(FileBytes(dir.filePath(QString("f%1").arg(i))), QByteArray::number(i));
  }
  EXPECT_EQ(batch.Committed(), 7);
  EXPECT_TRUE(batch.Finish()) << batch.ErrorString().toStdString();
  EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden).size(), 7);
}
