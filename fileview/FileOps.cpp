#include "FileOps.h"

#include <fcntl.h>
#include <stdio.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QDateTime>
#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QStorageInfo>
#include <QUrl>
#include <cerrno>
#include <cstring>

#include "FileEntries.h"

namespace Tarnwell {

namespace {

QByteArray Enc(const QString& p) { return QFile::encodeName(p); }
QString SysError() { return QString::fromLocal8Bit(std::strerror(errno)); }

bool LExists(const QString& p) {
  struct stat st;
  return ::lstat(Enc(p).constData(), &st) == 0;
}

QString DirOf(const QString& path) { return QFileInfo(path).absolutePath(); }

// rename(2) that fails rather than replace an existing target.
int RenameNoReplace(const QString& from, const QString& to) {
  const int r = ::renameat2(AT_FDCWD, Enc(from).constData(), AT_FDCWD, Enc(to).constData(), RENAME_NOREPLACE);
  if (r == 0 || errno != EINVAL) return r;
  // A file system without the no-replace flag: link() never replaces either;
  // folders (which cannot be hard-linked) take a checked rename.
  struct stat st;
  if (::lstat(Enc(from).constData(), &st) != 0) return -1;
  if (!S_ISDIR(st.st_mode)) {
    if (::link(Enc(from).constData(), Enc(to).constData()) != 0) {
      if (errno == EEXIST) return -1;
    } else {
      return ::unlink(Enc(from).constData());
    }
  }
  if (LExists(to)) {
    errno = EEXIST;
    return -1;
  }
  return ::rename(Enc(from).constData(), Enc(to).constData());
}

}  // namespace

bool ValidateEntryName(const QString& name, QString* error) {
  auto fail = [&](const QString& e) {
    if (error) *error = e;
    return false;
  };
  if (name.isEmpty()) return fail(QStringLiteral("Il nome non può essere vuoto."));
  if (name == QLatin1String(".") || name == QLatin1String(".."))
    return fail(QStringLiteral("\"%1\" non è un nome valido.").arg(name));
  if (name.contains(QLatin1Char('/')) || name.contains(QChar(0)))
    return fail(QStringLiteral("Il nome \"%1\" non può contenere \"/\".").arg(name));
  if (Enc(name).size() > 255) return fail(QStringLiteral("Il nome è troppo lungo (più di 255 byte)."));
  return true;
}

TOpResult RenameEntry(const QString& oldPath, const QString& newName) {
  TOpResult r;
  if (!ValidateEntryName(newName, &r.Error)) {
    r.Ok = false;
    return r;
  }
  const QString newPath = QDir(DirOf(oldPath)).filePath(newName);
  r.Path = newPath;
  if (newPath == oldPath) return r;  // same name, byte for byte: nothing to do
  if (!LExists(oldPath)) {
    r.Ok = false;
    r.Error = QStringLiteral("\"%1\" non esiste più.").arg(QFileInfo(oldPath).fileName());
    return r;
  }
  if (RenameNoReplace(oldPath, newPath) != 0) {
    r.Ok = false;
    r.Error = errno == EEXIST || errno == ENOTEMPTY
                  ? QStringLiteral("Esiste già un elemento di nome \"%1\".").arg(newName)
                  : QStringLiteral("Impossibile rinominare \"%1\": %2").arg(QFileInfo(oldPath).fileName(), SysError());
    return r;
  }
  r.Done << oldPath;
  return r;
}

TOpResult CreateNewFolder(const QString& dir, const QString& baseName) {
  TOpResult r;
  for (int n = 1; n < 10000; ++n) {
    const QString name = n == 1 ? baseName : QStringLiteral("%1 %2").arg(baseName).arg(n);
    const QString path = QDir(dir).filePath(name);
    if (LExists(path)) continue;
    if (::mkdir(Enc(path).constData(), 0777) == 0) {
      r.Path = path;
      r.Done << path;
      return r;
    }
    if (errno == EEXIST) continue;  // taken meanwhile
    r.Ok = false;
    r.Error = QStringLiteral("Impossibile creare la cartella \"%1\": %2").arg(name, SysError());
    return r;
  }
  r.Ok = false;
  r.Error = QStringLiteral("Nessun nome libero per una nuova cartella.");
  return r;
}

namespace {

// A trash folder with its files/ and info/ parts, made when missing; false
// when it is not a real folder of ours.
bool PrepareTrash(const QString& trash) {
  for (const QString& p : {trash, trash + QStringLiteral("/files"), trash + QStringLiteral("/info")}) {
    struct stat st;
    if (::lstat(Enc(p).constData(), &st) != 0) {
      if (::mkdir(Enc(p).constData(), 0700) != 0) return false;
      if (::lstat(Enc(p).constData(), &st) != 0) return false;
    }
    if (!S_ISDIR(st.st_mode) || st.st_uid != ::geteuid()) return false;  // never a link or a stranger's
  }
  return true;
}

dev_t DeviceOf(const QString& p) {
  struct stat st;
  return ::stat(Enc(p).constData(), &st) == 0 ? st.st_dev : dev_t(-1);
}

// The trash for an entry on device `dev` below the volume `top`, and how
// its .trashinfo spells the path: absolute in the home trash, relative to
// the volume root in a volume's own trash.
bool ChooseTrash(const QString& path, dev_t dev, QString* trash, QString* infoPath) {
  const QString home = HomeTrashDir();
  const QString dataHome = QFileInfo(home).absolutePath();
  QDir().mkpath(dataHome);
  if (DeviceOf(dataHome) == dev) {
    if (!PrepareTrash(home)) return false;
    *trash = home;
    *infoPath = path;
    return true;
  }
  // The real mount point, whatever its file system: a volume's trash is
  // made only on the volume itself.
  const QString top = QStorageInfo(QFileInfo(path).absolutePath()).rootPath();
  if (top.isEmpty() || DeviceOf(top) != dev) return false;
  const QString uid = QString::number(::geteuid());
  const QString rel = path.mid(top == QLatin1String("/") ? 1 : top.size() + 1);
  const QString shared = JoinPath(top, QStringLiteral(".Trash"));
  struct stat st;
  if (::lstat(Enc(shared).constData(), &st) == 0 && S_ISDIR(st.st_mode) && (st.st_mode & S_ISVTX) &&
      PrepareTrash(JoinPath(shared, uid)) && DeviceOf(JoinPath(shared, uid)) == dev) {
    *trash = JoinPath(shared, uid);
    *infoPath = rel;
    return true;
  }
  const QString own = JoinPath(top, QStringLiteral(".Trash-") + uid);
  if (PrepareTrash(own) && DeviceOf(own) == dev) {
    *trash = own;
    *infoPath = rel;
    return true;
  }
  return false;
}

// Moves one entry into the trash by the freedesktop.org rules: the
// .trashinfo is made first under a free name, then the entry is renamed
// beside it (never replacing anything); a failed rename takes the info back.
bool TrashOne(const QString& rawPath, QString* why) {
  const QFileInfo fi(rawPath);
  // The folder holding the entry resolved, the entry itself not: a link is
  // trashed as a link.
  const QString parent = QFileInfo(fi.absolutePath()).canonicalFilePath();
  struct stat st;
  if (parent.isEmpty() || ::lstat(Enc(rawPath).constData(), &st) != 0) {
    *why = QStringLiteral("non esiste");
    return false;
  }
  const QString path = JoinPath(parent, fi.fileName());
  QString trash, infoPath;
  if (!ChooseTrash(path, st.st_dev, &trash, &infoPath)) {
    *why = QStringLiteral("nessun cestino utilizzabile su questo volume");
    return false;
  }
  const QString date = QDateTime::currentDateTime().toString(QStringLiteral("yyyy-MM-ddThh:mm:ss"));
  const QByteArray info = "[Trash Info]\nPath=" + QUrl::toPercentEncoding(infoPath, "/") + "\nDeletionDate=" +
                          date.toLatin1() + "\n";
  for (int n = 1; n < 100000; ++n) {
    const QString name = n == 1 ? fi.fileName() : QStringLiteral("%1.%2").arg(fi.fileName()).arg(n);
    const QString infoFile = QStringLiteral("%1/info/%2.trashinfo").arg(trash, name);
    const int fd = ::open(Enc(infoFile).constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
    if (fd < 0) {
      if (errno == EEXIST) continue;
      *why = SysError();
      return false;
    }
    const bool written = ::write(fd, info.constData(), size_t(info.size())) == ssize_t(info.size());
    const bool closed = ::close(fd) == 0;
    if (!written || !closed) {
      *why = SysError();
      ::unlink(Enc(infoFile).constData());
      return false;
    }
    const QString stored = QStringLiteral("%1/files/%2").arg(trash, name);
    if (RenameNoReplace(path, stored) == 0) return true;
    const int err = errno;
    ::unlink(Enc(infoFile).constData());
    if (err == EEXIST || err == ENOTEMPTY) continue;  // a stray entry without its info
    errno = err;
    *why = SysError();
    return false;
  }
  *why = QStringLiteral("nessun nome libero nel cestino");
  return false;
}

}  // namespace

TOpResult TrashEntries(const QStringList& paths) {
  TOpResult r;
  QStringList reasons;
  for (const QString& p : paths) {
    QString why;
    if (TrashOne(p, &why) && !LExists(p)) {
      r.Done << p;
    } else {
      r.Failed << p;
      reasons << QStringLiteral("%1 (%2)").arg(QFileInfo(p).fileName(), why);
    }
  }
  if (!r.Failed.isEmpty()) {
    r.Ok = false;
    r.Error = QStringLiteral("Impossibile spostare nel cestino: %1").arg(reasons.join(QStringLiteral(", ")));
  }
  return r;
}

TOpResult RemovePermanently(const QStringList& paths) {
  TOpResult r;
  for (const QString& p : paths) {
    struct stat st;
    bool ok = false;
    if (::lstat(Enc(p).constData(), &st) == 0) {
      if (S_ISDIR(st.st_mode)) ok = QDir(p).removeRecursively();  // does not follow links inside
      else ok = ::unlink(Enc(p).constData()) == 0;
    }
    (ok ? r.Done : r.Failed) << p;
  }
  if (!r.Failed.isEmpty()) {
    r.Ok = false;
    r.Error = QStringLiteral("Impossibile eliminare %1 elementi.").arg(r.Failed.size());
  }
  return r;
}

// ---- copying ----------------------------------------------------------------

namespace {

qint64 TreeBytes(const QString& path) {
  struct stat st;
  if (::lstat(Enc(path).constData(), &st) != 0) return 0;
  if (!S_ISDIR(st.st_mode)) return S_ISREG(st.st_mode) ? st.st_size : 0;
  qint64 n = 0;
  QDirIterator it(path, QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot,
                  QDirIterator::Subdirectories);
  while (it.hasNext()) {
    it.next();
    const QFileInfo fi = it.fileInfo();
    if (fi.isFile() && !fi.isSymLink()) n += fi.size();
  }
  return n;
}

struct TCopier {
  explicit TCopier(const std::function<bool(qint64, qint64)>& progress) : Progress(progress) {}
  const std::function<bool(qint64, qint64)>& Progress;
  qint64 Total = 0, Done = 0;
  bool Cancelled = false;
  QString Error;

  bool Tick() {
    if (Progress && !Progress(Done, Total)) Cancelled = true;
    return !Cancelled;
  }

  bool CopyFile(const QString& src, const QString& dst, mode_t mode) {
    const int in = ::open(Enc(src).constData(), O_RDONLY | O_CLOEXEC | O_NOFOLLOW);
    if (in < 0) return Fail(src);
    // Written under a part name, then moved onto the final name only when
    // that is still free.
    const QString part = QDir(DirOf(dst)).filePath(QStringLiteral(".%1.tarnwell-part").arg(QFileInfo(dst).fileName()));
    const int out = ::open(Enc(part).constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, mode & 07777);
    if (out < 0) {
      ::close(in);
      return Fail(dst);
    }
    char buf[1 << 16];
    bool ok = true;
    for (;;) {
      const ssize_t n = ::read(in, buf, sizeof buf);
      if (n == 0) break;
      if (n < 0) {
        if (errno == EINTR) continue;
        ok = Fail(src);
        break;
      }
      ssize_t off = 0;
      while (off < n) {
        const ssize_t w = ::write(out, buf + off, size_t(n - off));
        if (w < 0) {
          if (errno == EINTR) continue;
          ok = Fail(dst);
          break;
        }
        off += w;
      }
      if (!ok) break;
      Done += n;
      if (!Tick()) {
        ok = false;
        break;
      }
    }
    ::close(in);
    if (::close(out) != 0 && ok) ok = Fail(dst);
    if (ok && RenameNoReplace(part, dst) != 0) ok = Fail(dst);
    if (!ok) ::unlink(Enc(part).constData());  // only our own part file
    return ok;
  }

  bool Fail(const QString& p) {
    if (Error.isEmpty()) Error = QStringLiteral("%1: %2").arg(p, SysError());
    return false;
  }

  bool CopyEntry(const QString& src, const QString& dst) {
    struct stat st;
    if (::lstat(Enc(src).constData(), &st) != 0) return Fail(src);
    if (S_ISLNK(st.st_mode)) {
      QByteArray target(4096, 0);
      const ssize_t n = ::readlink(Enc(src).constData(), target.data(), size_t(target.size()));
      if (n < 0) return Fail(src);
      target.truncate(int(n));
      if (::symlink(target.constData(), Enc(dst).constData()) != 0) return Fail(dst);  // never replaces
      return true;
    }
    if (S_ISDIR(st.st_mode)) {
      if (::mkdir(Enc(dst).constData(), st.st_mode & 07777) != 0) return Fail(dst);
      const QStringList children =
          QDir(src).entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot);
      for (const QString& c : children)
        if (!CopyEntry(QDir(src).filePath(c), QDir(dst).filePath(c))) return false;
      return true;
    }
    if (!S_ISREG(st.st_mode)) {
      errno = ENOTSUP;
      return Fail(src);
    }
    return CopyFile(src, dst, st.st_mode);
  }
};

}  // namespace

TCopyPlan PlanCopy(const QStringList& sources, const QString& targetDir) {
  TCopyPlan plan;
  const QString target = QFileInfo(targetDir).canonicalFilePath();
  struct stat tst;
  if (target.isEmpty() || ::stat(Enc(target).constData(), &tst) != 0 || !S_ISDIR(tst.st_mode)) {
    for (const QString& s : sources) plan.Skipped << QStringLiteral("%1: la cartella di destinazione non esiste").arg(s);
    return plan;
  }
  for (const QString& s : sources) {
    const QFileInfo fi(s);
    struct stat sst;
    if (!fi.isAbsolute() || ::lstat(Enc(s).constData(), &sst) != 0) {
      plan.Skipped << QStringLiteral("%1: non esiste").arg(s);
      continue;
    }
    const QString dst = QDir(target).filePath(fi.fileName());
    struct stat dstst;
    if (::lstat(Enc(dst).constData(), &dstst) == 0) {
      if (dstst.st_dev == sst.st_dev && dstst.st_ino == sst.st_ino)
        plan.Same << s;
      else
        plan.Skipped << QStringLiteral("%1: esiste già nella destinazione (non sovrascritto)").arg(fi.fileName());
      continue;
    }
    if (S_ISDIR(sst.st_mode)) {
      const QString canon = fi.canonicalFilePath();
      if (target == canon || target.startsWith(canon + QLatin1Char('/'))) {
        plan.Skipped << QStringLiteral("%1: una cartella non può essere copiata in se stessa").arg(fi.fileName());
        continue;
      }
    }
    plan.Steps.push_back({fi.absoluteFilePath(), dst});
    plan.Bytes += TreeBytes(s);
  }
  return plan;
}

TOpResult ExecuteCopy(const TCopyPlan& plan, const std::function<bool(qint64, qint64)>& progress) {
  TOpResult r;
  TCopier c(progress);
  c.Total = plan.Bytes;
  for (const TCopyStep& s : plan.Steps) {
    if (c.Cancelled) break;
    if (c.CopyEntry(s.Source, s.Target)) {
      r.Done << s.Target;
    } else {
      r.Failed << s.Source;
      if (c.Cancelled) break;
    }
  }
  if (c.Cancelled) {
    r.Ok = false;
    r.Error = QStringLiteral("Copia annullata: %1 elementi copiati.").arg(r.Done.size());
  } else if (!r.Failed.isEmpty()) {
    r.Ok = false;
    r.Error = QStringLiteral("Copia non riuscita: %1").arg(c.Error);
  }
  return r;
}

}  // namespace Tarnwell
