#pragma once
// A tiny file system of the test's own (tmpfs), to meet a full disk the way
// a user does; and a kill loop against a program writing its output.
//
// Mounting needs root. Where that fails the tests that need the disk are
// skipped, except under CI=true, where they fail: CI runs as root, and a
// skipped full-disk test there would hide the fault it exists to catch.
#include <gtest/gtest.h>

#include <QByteArray>
#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QRandomGenerator>
#include <QStringList>
#include <QTemporaryDir>
#include <QThread>
#include <functional>

#include <sys/mount.h>

class TSmallDisk {
 public:
  // On a temporary folder of its own, or over the (existing) folder `at`.
  explicit TSmallDisk(int kib = 256, const QString& at = QString()) : mPath(at.isEmpty() ? mDir.path() : at) {
    if (!mDir.isValid()) return;
    const QByteArray options = "size=" + QByteArray::number(kib) + "k";
    mMounted = ::mount("tmpfs", QFile::encodeName(mPath).constData(), "tmpfs", 0, options.constData()) == 0;
  }
  ~TSmallDisk() {
    if (mMounted) ::umount2(QFile::encodeName(mPath).constData(), MNT_DETACH);
  }
  bool Mounted() const { return mMounted; }
  QString Path() const { return mPath; }
  QString File(const QString& name) const { return QDir(mPath).filePath(name); }

  // Fills what is left with dd, then gives back `leave` bytes (tmpfs counts
  // whole pages, so a few bytes free means one page).
  void Fill(qint64 leave = 0) {
    const QString fill = File(QStringLiteral(".fill"));
    QProcess dd;
    dd.start(QStringLiteral("dd"), {QStringLiteral("if=/dev/zero"), QStringLiteral("of=") + fill,
                                    QStringLiteral("bs=4096"), QStringLiteral("status=none")});
    dd.waitForFinished(30000);
    if (leave > 0) {
      QFile f(fill);
      f.resize(std::max<qint64>(0, f.size() - ((leave + 4095) / 4096) * 4096));
    }
  }
  void Unfill() { QFile::remove(File(QStringLiteral(".fill"))); }
  // Every name in the folder but the filler's, hidden ones included: what a
  // failed write may have left behind.
  QStringList Entries() const {
    QStringList names = QDir(Path()).entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot,
                                               QDir::Name);
    names.removeAll(QStringLiteral(".fill"));
    return names;
  }

 private:
  QTemporaryDir mDir;
  QString mPath;
  bool mMounted = false;
};

// Use at the start of a test: skips or, under CI, fails without the disk.
#define REQUIRE_SMALL_DISK(disk)                                                              \
  do {                                                                                        \
    if (!(disk).Mounted()) {                                                                  \
      if (qEnvironmentVariable("CI") == QLatin1String("true"))                                \
        FAIL() << "cannot mount a tmpfs (tests under CI run as root and need one)";           \
      GTEST_SKIP() << "cannot mount a tmpfs (needs root)";                                    \
    }                                                                                         \
  } while (0)

inline QByteArray FileBytes(const QString& path) {
  QFile f(path);
  return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

inline void PutFileBytes(const QString& path, const QByteArray& data) {
  QFile f(path);
  if (f.open(QIODevice::WriteOnly)) f.write(data);
}

// Kills `program args` at random moments, `rounds` times, each time while it
// (re)writes `out`, which holds `oldContent` before every round; afterwards
// `out` must hold exactly the old or the new content. Returns the number of
// rounds that found anything else (and describes the first in *what).
inline int KillLoop(const QString& program, const QStringList& args, const QString& out,
                    const QByteArray& oldContent, const QByteArray& newContent, int rounds, int maxDelayMs,
                    QString* what = nullptr) {
  int damaged = 0;
  for (int i = 0; i < rounds; ++i) {
    PutFileBytes(out, oldContent);
    QProcess p;
    p.start(program, args);
    p.waitForStarted();
    QThread::msleep(QRandomGenerator::global()->bounded(maxDelayMs + 1));
    p.kill();
    p.waitForFinished(30000);
    const QByteArray now = FileBytes(out);
    if (now != oldContent && now != newContent) {
      if (!damaged && what)
        *what = QStringLiteral("round %1: %2 bytes, neither the old (%3) nor the new (%4)")
                    .arg(i)
                    .arg(now.size())
                    .arg(oldContent.size())
                    .arg(newContent.size());
      ++damaged;
    }
  }
  return damaged;
}
