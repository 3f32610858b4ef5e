#include "TFileWriter.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <utility>

namespace Tarnwell {

namespace {
// Larger writes go straight through; smaller ones are gathered to this size.
constexpr qsizetype kBufferSize = 256 * 1024;

QByteArray Enc(const QString& path) { return QFile::encodeName(path); }

QString Reason(int err) { return QString::fromLocal8Bit(std::strerror(err)); }

bool WriteAll(int fd, const char* data, qint64 size, qint64 offset, int& err) {
  while (size > 0) {
    const ssize_t n = ::pwrite(fd, data, size_t(std::min<qint64>(size, qint64(1) << 30)), off_t(offset));
    if (n < 0) {
      if (errno == EINTR) continue;
      err = errno;
      return false;
    }
    if (n == 0) {
      err = ENOSPC;
      return false;
    }
    data += n;
    size -= n;
    offset += n;
  }
  return true;
}

QString RandomSuffix() {
  return QString::number(QRandomGenerator::global()->generate64() & 0xFFFFFFFFFFFFull, 36);
}
}  // namespace

// ---- TWriteBatch -------------------------------------------------------------

TWriteBatch::TWriteBatch(int syncEvery) : mSyncEvery(std::max(0, syncEvery)) {}

TWriteBatch::~TWriteBatch() {
  if (mPending > 0) Sync();
}

bool TWriteBatch::Finish() {
  Sync();
  return mError.isEmpty();
}

bool TWriteBatch::FileCommitted(const QString& folder) {
  mFolders.insert(folder);
  ++mCommitted;
  ++mPending;
  if (mSyncEvery > 0 && mPending >= mSyncEvery) return Sync();
  return true;
}

bool TWriteBatch::Sync() {
  // One syncfs per file system writes every file of the batch at once,
  // instead of waiting for the disk once per file; the folders' own fsync
  // makes the renames durable.
  bool ok = true;
  QSet<dev_t> synced;
  for (const QString& folder : std::as_const(mFolders)) {
    const int fd = ::open(Enc(folder).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    struct stat st {};
    if (fd < 0 || ::fstat(fd, &st) != 0 ||
        (!synced.contains(st.st_dev) && ::syncfs(fd) != 0) || ::fsync(fd) != 0) {
      const int err = errno;
      if (mError.isEmpty()) mError = QStringLiteral("cannot sync the folder %1: %2").arg(folder, Reason(err));
      ok = false;
    } else {
      synced.insert(st.st_dev);
    }
    if (fd >= 0) ::close(fd);
  }
  mFolders.clear();
  mPending = 0;
  return ok;
}

// ---- TFileWriter -------------------------------------------------------------

TFileWriter::TFileWriter(const QString& fileName, TWriteBatch* batch) : mFileName(fileName), mBatch(batch) {}

TFileWriter::~TFileWriter() { RemoveTemporary(); }

bool TFileWriter::Fail(int err, const QString& reason) {
  if (!Failed()) {
    mErrno = err;
    mFailed = true;
    setErrorString(reason.isEmpty() ? Reason(err) : reason);
  }
  return false;
}

bool TFileWriter::open(OpenMode mode) {
  if (isOpen()) return false;
  if (mode & ReadOnly) {
    setErrorString(QStringLiteral("a file being written cannot be read"));
    return false;
  }
  mErrno = 0;
  mFailed = false;
  mOffset = mSize = 0;
  mBuffer.clear();
  if (mFileName.isEmpty()) return Fail(ENOENT, QStringLiteral("no file name given"));
  mTarget = QDir::isAbsolutePath(mFileName) ? QDir::cleanPath(mFileName) : QFileInfo(mFileName).absoluteFilePath();
  struct stat st {};
  bool existing = ::lstat(Enc(mTarget).constData(), &st) == 0;
  if (existing && S_ISLNK(st.st_mode)) {
    // A symbolic link keeps pointing at the file it names, which gets the
    // new content.
    mTarget = QFileInfo(QFileInfo(mTarget).symLinkTarget()).absoluteFilePath();
    existing = ::stat(Enc(mTarget).constData(), &st) == 0;
  }
  if (existing && S_ISDIR(st.st_mode)) return Fail(EISDIR, QStringLiteral("it is a folder"));
  const mode_t keep = existing ? st.st_mode & 07777 : 0;
  const qsizetype slash = mTarget.lastIndexOf(QLatin1Char('/'));
  mFolder = slash > 0 ? mTarget.left(slash) : QStringLiteral("/");
  // An unnamed temporary vanishes with the process; where the file system
  // has none, a hidden name next to the target. Naming it later goes
  // through /proc; without it only the named way works.
  static const bool canLink = ::access("/proc/self/fd", X_OK) == 0;
  mFd = canLink ? ::open(Enc(mFolder).constData(), O_TMPFILE | O_WRONLY | O_CLOEXEC, 0666) : -1;
  if (!canLink) errno = EOPNOTSUPP;
  mUnnamed = mFd >= 0;
  if (mFd < 0 && (errno == EOPNOTSUPP || errno == EISDIR || errno == EINVAL)) {
    for (int attempt = 0; attempt < 100 && mFd < 0; ++attempt) {
      mTempName = QStringLiteral("%1/.%2.%3.tmp").arg(mFolder, mTarget.mid(slash + 1), RandomSuffix());
      mFd = ::open(Enc(mTempName).constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
      if (mFd < 0 && errno != EEXIST) break;
    }
    if (mFd < 0) mTempName.clear();
  }
  if (mFd < 0 && (errno == ENOENT || errno == ENOTDIR))
    return Fail(ENOENT, QStringLiteral("the folder %1 does not exist").arg(mFolder));
  if (mFd < 0) return Fail(errno);
  if (existing) ::fchmod(mFd, keep);
  return QIODevice::open(WriteOnly | Unbuffered);
}

bool TFileWriter::FlushBuffer() {
  if (mBuffer.isEmpty()) return !Failed();
  if (Failed()) {
    mBuffer.clear();
    return false;
  }
  int err = 0;
  const bool ok = WriteAll(mFd, mBuffer.constData(), mBuffer.size(), mOffset, err);
  mOffset += mBuffer.size();
  mBuffer.clear();
  return ok || Fail(err);
}

qint64 TFileWriter::writeData(const char* data, qint64 size) {
  if (mFd < 0 || Failed()) return -1;
  if (mBuffer.size() + size > kBufferSize) {
    if (!FlushBuffer()) return -1;
    if (size >= kBufferSize) {
      int err = 0;
      if (!WriteAll(mFd, data, size, mOffset, err)) {
        Fail(err);
        return -1;
      }
      mOffset += size;
      mSize = std::max(mSize, mOffset);
      return size;
    }
  }
  mBuffer.append(data, qsizetype(size));
  mSize = std::max(mSize, mOffset + mBuffer.size());
  return size;
}

qint64 TFileWriter::readData(char*, qint64) { return -1; }

bool TFileWriter::seek(qint64 pos) {
  if (mFd < 0 || pos < 0) return false;
  if (!FlushBuffer()) return false;
  mOffset = pos;
  return QIODevice::seek(pos);
}

qint64 TFileWriter::size() const { return mSize; }

void TFileWriter::close() { Discard(); }

void TFileWriter::Discard() {
  RemoveTemporary();
  if (isOpen()) QIODevice::close();
}

void TFileWriter::RemoveTemporary() {
  if (mFd >= 0) ::close(mFd);
  mFd = -1;
  if (!mTempName.isEmpty()) ::unlink(Enc(mTempName).constData());
  mTempName.clear();
  mBuffer.clear();
}

bool TFileWriter::Commit() {
  if (mFd < 0) {
    if (!Failed()) Fail(EBADF, QStringLiteral("the file was not open for writing"));
    Discard();
    return false;
  }
  auto fail = [&](int err) {
    Fail(err);
    Discard();
    return false;
  };
  if (!FlushBuffer()) {
    Discard();
    return false;
  }
  // Without a batch the content is on the disk before its name is: a crash
  // right after the rename cannot leave an empty file.
  if (!mBatch && ::fdatasync(mFd) != 0) return fail(errno);
  const QString& folder = mFolder;
  if (mUnnamed) {
    const QByteArray self = "/proc/self/fd/" + QByteArray::number(mFd);
    // A new file can take its name at once; an existing one is replaced by
    // a rename from a hidden name.
    if (::linkat(AT_FDCWD, self.constData(), AT_FDCWD, Enc(mTarget).constData(), AT_SYMLINK_FOLLOW) == 0) {
      const int fd = mFd;
      mFd = -1;
      if (::close(fd) != 0) {
        // The content is in place already (close only reports late
        // errors of network file systems): take the name away again.
        const int err = errno;
        ::unlink(Enc(mTarget).constData());
        return fail(err);
      }
      if (mBatch)
        mBatch->FileCommitted(folder);
      else if (const int dfd = ::open(Enc(folder).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC); dfd >= 0) {
        ::fsync(dfd);
        ::close(dfd);
      }
      QIODevice::close();
      return true;
    }
    if (errno != EEXIST) return fail(errno);
    for (int attempt = 0; attempt < 100; ++attempt) {
      const QString name = QStringLiteral("%1/.%2.%3.tmp").arg(folder, QFileInfo(mTarget).fileName(), RandomSuffix());
      if (::linkat(AT_FDCWD, self.constData(), AT_FDCWD, Enc(name).constData(), AT_SYMLINK_FOLLOW) == 0) {
        mTempName = name;
        break;
      }
      if (errno != EEXIST) return fail(errno);
    }
    if (mTempName.isEmpty()) return fail(EEXIST);
  }
  const int fd = mFd;
  mFd = -1;
  if (::close(fd) != 0) return fail(errno);
  if (::rename(Enc(mTempName).constData(), Enc(mTarget).constData()) != 0) return fail(errno);
  mTempName.clear();
  if (mBatch) {
    mBatch->FileCommitted(folder);
  } else if (const int dfd = ::open(Enc(folder).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC); dfd >= 0) {
    ::fsync(dfd);
    ::close(dfd);
  }
  QIODevice::close();
  return true;
}

QString TFileWriter::Message() const { return QStringLiteral("cannot write %1: %2").arg(mFileName, errorString()); }

bool WriteFileAtomically(const QString& fileName, const QByteArray& data, QString* error, TWriteBatch* batch) {
  TFileWriter w(fileName, batch);
  if (w.open() && w.write(data) == data.size() && w.Commit()) return true;
  if (error) *error = w.Message();
  return false;
}

bool WriteFileAtomically(const QString& fileName, const std::function<bool(QIODevice&)>& write, QString* error,
                         TWriteBatch* batch) {
  TFileWriter w(fileName, batch);
  if (w.open() && write(w) && w.Commit()) return true;
  if (error) *error = w.Failed() ? w.Message() : QStringLiteral("cannot write %1").arg(fileName);
  return false;
}

}  // namespace Tarnwell
