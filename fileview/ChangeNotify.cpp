#include "ChangeNotify.h"

#include <sys/inotify.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QDateTime>
#include <QFile>
#include <QSocketNotifier>

#include <Tarnwell/platform/TExceptions.h>

namespace Tarnwell {

TShellChangeNotifyThread::TShellChangeNotifyThread(QObject* parent) : QObject(parent) {
  mTimer.setSingleShot(true);
  connect(&mTimer, &QTimer::timeout, this, &TShellChangeNotifyThread::Fire);
  mFd = ::inotify_init1(IN_NONBLOCK | IN_CLOEXEC);
  if (mFd >= 0) {
    mNotifier = new QSocketNotifier(mFd, QSocketNotifier::Read, this);
    connect(mNotifier, &QSocketNotifier::activated, this, &TShellChangeNotifyThread::ReadEvents);
  }
}

TShellChangeNotifyThread::~TShellChangeNotifyThread() {
  Callback = nullptr;
  mTimer.stop();
  if (mNotifier) mNotifier->setEnabled(false);
  if (mFd >= 0) ::close(mFd);
}

void TShellChangeNotifyThread::Watch(const QString& dir) { Watch(QFile::encodeName(dir)); }

void TShellChangeNotifyThread::Watch(const QByteArray& dir) {
  if (dir.isEmpty()) {
    if (mWd >= 0) ::inotify_rm_watch(mFd, mWd);
    mWd = -1;
    mDirectory.clear();
    mDirBytes.clear();
    mTimer.stop();
    return;
  }
  struct stat st;
  const bool found = ::stat(dir.constData(), &st) == 0;
  if (mWd >= 0 && dir == mDirBytes && found && st.st_dev == mDev && st.st_ino == mIno) return;
  if (mWd >= 0) ::inotify_rm_watch(mFd, mWd);
  mWd = -1;
  Drain();
  mDirBytes = dir;
  mDirectory = QString::fromUtf8(dir);
  mDev = found ? quint64(st.st_dev) : 0;
  mIno = found ? quint64(st.st_ino) : 0;
  if (mFd < 0) return;
  mWd = ::inotify_add_watch(mFd, dir.constData(),
                            IN_CREATE | IN_DELETE | IN_MOVED_FROM | IN_MOVED_TO | IN_MODIFY | IN_ATTRIB |
                                IN_CLOSE_WRITE | IN_DELETE_SELF | IN_MOVE_SELF | IN_ONLYDIR);
}

void TShellChangeNotifyThread::Drain() {
  if (mFd >= 0) {
    char buf[16384];
    while (::read(mFd, buf, sizeof buf) > 0) {
    }
  }
  mTimer.stop();
}

void TShellChangeNotifyThread::ReadEvents() {
  char buf[16384] __attribute__((aligned(__alignof__(struct inotify_event))));
  bool any = false;
  for (;;) {
    const ssize_t n = ::read(mFd, buf, sizeof buf);
    if (n <= 0) break;
    for (ssize_t off = 0; off < n;) {
      const auto* e = reinterpret_cast<const inotify_event*>(buf + off);
      if (e->wd == mWd || (e->mask & IN_Q_OVERFLOW)) any = true;
      off += ssize_t(sizeof(inotify_event)) + e->len;
    }
  }
  if (!any || !Enabled || mDirectory.isEmpty()) return;
  const qint64 now = QDateTime::currentMSecsSinceEpoch();
  if (!mTimer.isActive()) mFirstEvent = now;
  // Quiet time again after every change, but never past the longest wait.
  const qint64 left = mFirstEvent + MaxDelayMs - now;
  mTimer.start(int(std::max<qint64>(0, std::min<qint64>(SettleMs, left))));
}

void TShellChangeNotifyThread::Fire() {
  if (!Enabled || !Callback) return;
  ++mCalls;
  try {
    Callback();
  } catch (...) {
    HandleCurrentException();
  }
}

}  // namespace Tarnwell
