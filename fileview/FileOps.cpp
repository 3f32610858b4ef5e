#include "FileOps.h"

#include <dirent.h>
#include <fcntl.h>
#include <signal.h>
#include <stdio.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QCryptographicHash>
#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QRegularExpression>
#include <QSet>
#include <atomic>
#include <cerrno>
#include <cstring>

#include "FileEntries.h"
#include "FileOps_p.h"

namespace Tarnwell {

namespace {

QByteArray Enc(const QString& p) { return QFile::encodeName(p); }
QList<QByteArray> EncAll(const QStringList& l) {
  QList<QByteArray> out;
  out.reserve(l.size());
  for (const QString& p : l) out << Enc(p);
  return out;
}
QString SysError() { return QString::fromLocal8Bit(std::strerror(errno)); }
QString Shown(const QByteArray& p) { return DisplayName(p); }

bool LExists(const QByteArray& p) {
  struct stat st;
  return ::lstat(p.constData(), &st) == 0;
}

QByteArray RealPath(const QByteArray& p) {
  char* r = ::realpath(p.constData(), nullptr);
  if (!r) return QByteArray();
  QByteArray out(r);
  ::free(r);
  return out;
}

// rename(2) that fails rather than replace an existing target.
int RenameNoReplace(const QByteArray& from, const QByteArray& to) {
  const int r = ::renameat2(AT_FDCWD, from.constData(), AT_FDCWD, to.constData(), RENAME_NOREPLACE);
  if (r == 0 || errno != EINVAL) return r;
  // A file system without the no-replace flag: link() never replaces either;
  // folders (which cannot be hard-linked) take a checked rename.
  struct stat st;
  if (::lstat(from.constData(), &st) != 0) return -1;
  if (!S_ISDIR(st.st_mode)) {
    if (::link(from.constData(), to.constData()) != 0) {
      if (errno == EEXIST) return -1;
    } else {
      return ::unlink(from.constData());
    }
  }
  if (LExists(to)) {
    errno = EEXIST;
    return -1;
  }
  return ::rename(from.constData(), to.constData());
}

// Removes a tree without following links; folders without write or search
// permission are opened up first (copies of read-only folders are made so).
bool RemoveTree(const QByteArray& path) {
  struct stat st;
  if (::lstat(path.constData(), &st) != 0) return errno == ENOENT;
  if (!S_ISDIR(st.st_mode)) return ::unlink(path.constData()) == 0;
  if ((st.st_mode & 0700) != 0700) ::chmod(path.constData(), (st.st_mode & 07777) | 0700);
  bool ok = true;
  if (DIR* d = ::opendir(path.constData())) {
    QList<QByteArray> names;
    while (dirent* e = ::readdir(d)) {
      const char* n = e->d_name;
      if (n[0] == '.' && (n[1] == 0 || (n[1] == '.' && n[2] == 0))) continue;
      names << QByteArray(n);
    }
    ::closedir(d);
    for (const QByteArray& n : names) ok = RemoveTree(JoinRaw(path, n)) && ok;
  } else {
    ok = false;
  }
  return ::rmdir(path.constData()) == 0 && ok;
}

QList<QByteArray> ChildNames(const QByteArray& dir, bool* ok) {
  QList<QByteArray> names;
  DIR* d = ::opendir(dir.constData());
  *ok = d != nullptr;
  if (!d) return names;
  while (dirent* e = ::readdir(d)) {
    const char* n = e->d_name;
    if (n[0] == '.' && (n[1] == 0 || (n[1] == '.' && n[2] == 0))) continue;
    names << QByteArray(n);
  }
  ::closedir(d);
  return names;
}

// ---- temporary names of copies ----------------------------------------------

// Part of every temporary name: which machine made it (a folder on a shared
// volume may see copies of other machines, whose processes are not ours to
// judge).
const QByteArray& HostTag() {
  static const QByteArray tag = [] {
    char host[256] = {};
    ::gethostname(host, sizeof host - 1);
    return QCryptographicHash::hash(QByteArray(host), QCryptographicHash::Sha1).toHex().left(8);
  }();
  return tag;
}

// Short whatever the final name, and never the name of another copy's entry.
QByteArray NewPartName() {
  static std::atomic<quint64> counter{0};
  return CopyPartName(qint64(::getpid()), ++counter);
}

// Removes the temporary entries of copies of this machine whose process is
// gone (killed in the middle of a copy); nothing else is touched.
void RemoveStaleParts(const QByteArray& dir) {
  static const QRegularExpression re(QStringLiteral("^\\.tarnwell-([0-9a-f]{8})-([0-9]+)-[0-9]+\\.part$"));
  bool ok;
  for (const QByteArray& n : ChildNames(dir, &ok)) {
    if (!n.startsWith(".tarnwell-")) continue;
    const QRegularExpressionMatch m = re.match(QString::fromLatin1(n));
    if (!m.hasMatch() || m.captured(1).toLatin1() != HostTag()) continue;
    const qint64 pid = m.captured(2).toLongLong();
    if (pid <= 0 || pid == qint64(::getpid())) continue;
    if (::kill(pid_t(pid), 0) == 0 || errno != ESRCH) continue;  // still running (or not ours to ask)
    const QByteArray path = JoinRaw(dir, n);
    struct stat st;
    if (::lstat(path.constData(), &st) == 0 && st.st_uid == ::geteuid()) RemoveTree(path);
  }
}

}  // namespace

QByteArray CopyPartName(qint64 pid, quint64 n) {
  return ".tarnwell-" + HostTag() + '-' + QByteArray::number(pid) + '-' + QByteArray::number(n) + ".part";
}

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

TOpResult RenameEntry(const QString& oldPath, const QString& newName) { return RenameEntry(Enc(oldPath), newName); }

TOpResult RenameEntry(const QByteArray& oldPath, const QString& newName) {
  TOpResult r;
  if (!ValidateEntryName(newName, &r.Error)) {
    r.Ok = false;
    return r;
  }
  const QByteArray newPath = JoinRaw(RawParent(oldPath), Enc(newName));
  r.Path = Shown(newPath);
  if (newPath == oldPath) return r;  // same name, byte for byte: nothing to do
  const QString oldName = Shown(RawFileName(oldPath));
  if (!LExists(oldPath)) {
    r.Ok = false;
    r.Error = QStringLiteral("\"%1\" non esiste più.").arg(oldName);
    return r;
  }
  if (RenameNoReplace(oldPath, newPath) != 0) {
    r.Ok = false;
    r.Error = errno == EEXIST || errno == ENOTEMPTY
                  ? QStringLiteral("Esiste già un elemento di nome \"%1\".").arg(newName)
                  : QStringLiteral("Impossibile rinominare \"%1\": %2").arg(oldName, SysError());
    return r;
  }
  r.Done << Shown(oldPath);
  return r;
}

TOpResult CreateNewFolder(const QString& dir, const QString& baseName) { return CreateNewFolder(Enc(dir), baseName); }

TOpResult CreateNewFolder(const QByteArray& dir, const QString& baseName) {
  TOpResult r;
  for (int n = 1; n < 10000; ++n) {
    const QString name = n == 1 ? baseName : QStringLiteral("%1 %2").arg(baseName).arg(n);
    const QByteArray path = JoinRaw(dir, Enc(name));
    if (LExists(path)) continue;
    if (::mkdir(path.constData(), 0777) == 0) {
      r.Path = Shown(path);
      r.Done << r.Path;
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
bool PrepareTrash(const QByteArray& trash) {
  for (const QByteArray& p : {trash, trash + "/files", trash + "/info"}) {
    struct stat st;
    if (::lstat(p.constData(), &st) != 0) {
      if (::mkdir(p.constData(), 0700) != 0) return false;
      if (::lstat(p.constData(), &st) != 0) return false;
    }
    if (!S_ISDIR(st.st_mode) || st.st_uid != ::geteuid()) return false;  // never a link or a stranger's
  }
  return true;
}

dev_t DeviceOf(const QByteArray& p) {
  struct stat st;
  return ::stat(p.constData(), &st) == 0 ? st.st_dev : dev_t(-1);
}

// The top of the volume holding the folder `dir` (device `dev`): its
// highest ancestor on the same device.
QByteArray VolumeTop(const QByteArray& dir, dev_t dev) {
  QByteArray top = dir;
  while (top != "/") {
    const QByteArray up = RawParent(top);
    if (DeviceOf(up) != dev) break;
    top = up;
  }
  return top;
}

// The trash for an entry on device `dev`, and how its .trashinfo spells the
// path: absolute in the home trash, relative to the volume root in a
// volume's own trash.
bool ChooseTrash(const QByteArray& path, dev_t dev, QByteArray* trash, QByteArray* infoPath) {
  const QByteArray home = Enc(HomeTrashDir());
  const QByteArray dataHome = RawParent(home);
  QDir().mkpath(Shown(dataHome));
  if (DeviceOf(dataHome) == dev) {
    if (!PrepareTrash(home)) return false;
    *trash = home;
    *infoPath = path;
    return true;
  }
  // The real mount point, whatever its file system: a volume's trash is
  // made only on the volume itself.
  const QByteArray top = VolumeTop(RawParent(path), dev);
  const QByteArray uid = QByteArray::number(qint64(::geteuid()));
  const QByteArray rel = path.mid(top == "/" ? 1 : top.size() + 1);
  const QByteArray shared = JoinRaw(top, ".Trash");
  struct stat st;
  if (::lstat(shared.constData(), &st) == 0 && S_ISDIR(st.st_mode) && (st.st_mode & S_ISVTX) &&
      PrepareTrash(JoinRaw(shared, uid)) && DeviceOf(JoinRaw(shared, uid)) == dev) {
    *trash = JoinRaw(shared, uid);
    *infoPath = rel;
    return true;
  }
  const QByteArray own = JoinRaw(top, ".Trash-" + uid);
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
bool TrashOne(const QByteArray& rawPath, QString* why) {
  // The folder holding the entry resolved, the entry itself not: a link is
  // trashed as a link.
  const QByteArray parent = RealPath(RawParent(rawPath));
  const QByteArray name = RawFileName(rawPath);
  struct stat st;
  if (parent.isEmpty() || name.isEmpty() || ::lstat(rawPath.constData(), &st) != 0) {
    *why = QStringLiteral("non esiste");
    return false;
  }
  const QByteArray path = JoinRaw(parent, name);
  QByteArray trash, infoPath;
  if (!ChooseTrash(path, st.st_dev, &trash, &infoPath)) {
    *why = QStringLiteral("nessun cestino utilizzabile su questo volume");
    return false;
  }
  const QString date = QDateTime::currentDateTime().toString(QStringLiteral("yyyy-MM-ddThh:mm:ss"));
  // The bytes of the path, each one outside the unreserved set as %XX: a
  // name that is no UTF-8 comes back exactly as it was.
  const QByteArray info = "[Trash Info]\nPath=" + infoPath.toPercentEncoding("/") + "\nDeletionDate=" +
                          date.toLatin1() + "\n";
  // The info file's name is the stored name plus ".trashinfo": a long name
  // is shortened for both, so that it still fits in 255 bytes.
  const QByteArray base = name.size() > 200 ? name.left(200) : name;
  for (int n = 1; n < 100000; ++n) {
    const QByteArray stem = n == 1 ? base : base + '.' + QByteArray::number(n);
    const QByteArray infoFile = trash + "/info/" + stem + ".trashinfo";
    const int fd = ::open(infoFile.constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
    if (fd < 0) {
      if (errno == EEXIST) continue;
      *why = SysError();
      return false;
    }
    const bool written = ::write(fd, info.constData(), size_t(info.size())) == ssize_t(info.size());
    const bool closed = ::close(fd) == 0;
    if (!written || !closed) {
      *why = SysError();
      ::unlink(infoFile.constData());
      return false;
    }
    const QByteArray stored = trash + "/files/" + stem;
    if (RenameNoReplace(path, stored) == 0) return true;
    const int err = errno;
    ::unlink(infoFile.constData());
    if (err == EEXIST || err == ENOTEMPTY) continue;  // a stray entry without its info
    errno = err;
    *why = SysError();
    return false;
  }
  *why = QStringLiteral("nessun nome libero nel cestino");
  return false;
}

}  // namespace

TOpResult TrashEntries(const QStringList& paths) { return TrashEntries(EncAll(paths)); }

TOpResult TrashEntries(const QList<QByteArray>& paths) {
  TOpResult r;
  QStringList reasons;
  for (const QByteArray& p : paths) {
    QString why;
    if (TrashOne(p, &why) && !LExists(p)) {
      r.Done << Shown(p);
    } else {
      r.Failed << Shown(p);
      r.FailedRaw << p;
      reasons << QStringLiteral("%1 (%2)").arg(Shown(RawFileName(p)), why);
    }
  }
  if (!r.Failed.isEmpty()) {
    r.Ok = false;
    r.Error = QStringLiteral("Impossibile spostare nel cestino: %1").arg(reasons.join(QStringLiteral(", ")));
  }
  return r;
}

TOpResult RemovePermanently(const QStringList& paths) { return RemovePermanently(EncAll(paths)); }

TOpResult RemovePermanently(const QList<QByteArray>& paths) {
  TOpResult r;
  for (const QByteArray& p : paths) {
    const bool ok = LExists(p) && RemoveTree(p);  // links are removed, never followed
    (ok ? r.Done : r.Failed) << Shown(p);
    if (!ok) r.FailedRaw << p;
  }
  if (!r.Failed.isEmpty()) {
    r.Ok = false;
    r.Error = QStringLiteral("Impossibile eliminare %1 elementi.").arg(r.Failed.size());
  }
  return r;
}

// ---- copying ----------------------------------------------------------------

namespace {

qint64 TreeBytes(const QByteArray& path, int depth = 0) {
  struct stat st;
  if (::lstat(path.constData(), &st) != 0) return 0;
  if (!S_ISDIR(st.st_mode)) return S_ISREG(st.st_mode) ? st.st_size : 0;
  if (depth > 256) return 0;
  qint64 n = 0;
  bool ok;
  for (const QByteArray& c : ChildNames(path, &ok)) n += TreeBytes(JoinRaw(path, c), depth + 1);
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

  // The entry being copied: its temporary name is shown as the final one.
  QByteArray Part, Final;

  bool Fail(const QByteArray& p) {
    const QString why = SysError();
    const QByteArray shown = !Part.isEmpty() && (p == Part || p.startsWith(Part + '/')) ? Final + p.mid(Part.size()) : p;
    if (Error.isEmpty()) Error = QStringLiteral("%1: %2").arg(Shown(shown), why);
    return false;
  }

  // Writes the regular file `src` to `dst` (which does not exist yet).
  bool WriteFile(const QByteArray& src, const QByteArray& dst, mode_t mode) {
    // Non-blocking, and checked again once open: the source may have been
    // replaced by a FIFO since it was looked at.
    const int in = ::open(src.constData(), O_RDONLY | O_CLOEXEC | O_NOFOLLOW | O_NONBLOCK | O_NOCTTY);
    if (in < 0) return Fail(src);
    struct stat st;
    if (::fstat(in, &st) != 0 || !S_ISREG(st.st_mode)) {
      ::close(in);
      errno = ENOTSUP;
      return Fail(src);
    }
    const int out = ::open(dst.constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, mode & 07777);
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
    return ok;
  }

  // Copies `src` to `dst`, which is inside a temporary tree of ours or is
  // the temporary name itself: nothing here is visible under a final name.
  bool CopyInto(const QByteArray& src, const QByteArray& dst, int depth) {
    struct stat st;
    if (::lstat(src.constData(), &st) != 0) return Fail(src);
    if (S_ISLNK(st.st_mode)) {
      QByteArray target(4096, Qt::Uninitialized);
      const ssize_t n = ::readlink(src.constData(), target.data(), size_t(target.size()));
      if (n < 0) return Fail(src);
      target.truncate(qsizetype(n));
      if (::symlink(target.constData(), dst.constData()) != 0) return Fail(dst);  // never replaces
      return true;
    }
    if (S_ISDIR(st.st_mode)) {
      if (depth > 256) {
        errno = ELOOP;
        return Fail(src);
      }
      // Writable while it fills; its own mode (0555 too) once it is full.
      if (::mkdir(dst.constData(), 0700) != 0) return Fail(dst);
      bool listed;
      const QList<QByteArray> children = ChildNames(src, &listed);
      if (!listed) return Fail(src);
      for (const QByteArray& c : children)
        if (!CopyInto(JoinRaw(src, c), JoinRaw(dst, c), depth + 1)) return false;
      if (::chmod(dst.constData(), st.st_mode & 07777) != 0) return Fail(dst);
      return true;
    }
    if (!S_ISREG(st.st_mode)) {
      errno = ENOTSUP;
      return Fail(src);
    }
    return WriteFile(src, dst, st.st_mode);
  }

  // One dropped entry: built under a temporary name beside `dst`, renamed
  // to `dst` only when complete (and only while `dst` is still free).
  bool CopyEntry(const QByteArray& src, const QByteArray& dst) {
    const QByteArray part = JoinRaw(RawParent(dst), NewPartName());
    Part = part;
    Final = dst;
    bool ok = CopyInto(src, part, 0);
    if (ok && RenameNoReplace(part, dst) != 0) ok = Fail(dst);
    if (!ok) RemoveTree(part);  // only our own temporary entry
    return ok;
  }
};

}  // namespace

TCopyPlan PlanCopy(const QStringList& sources, const QString& targetDir) {
  return PlanCopy(EncAll(sources), Enc(targetDir));
}

TCopyPlan PlanCopy(const QList<QByteArray>& sources, const QByteArray& targetDir) {
  TCopyPlan plan;
  const QByteArray target = RealPath(targetDir);
  struct stat tst;
  if (target.isEmpty() || ::stat(target.constData(), &tst) != 0 || !S_ISDIR(tst.st_mode)) {
    for (const QByteArray& s : sources)
      plan.Skipped << QStringLiteral("%1: la cartella di destinazione non esiste").arg(Shown(s));
    return plan;
  }
  for (const QByteArray& s : sources) {
    struct stat sst;
    const QByteArray name = RawFileName(s);
    if (!s.startsWith('/') || name.isEmpty() || ::lstat(s.constData(), &sst) != 0) {
      plan.Skipped << QStringLiteral("%1: non esiste").arg(Shown(s));
      continue;
    }
    const QByteArray dst = JoinRaw(target, name);
    struct stat dstst;
    if (::lstat(dst.constData(), &dstst) == 0) {
      if (dstst.st_dev == sst.st_dev && dstst.st_ino == sst.st_ino)
        plan.Same << Shown(s);
      else
        plan.Skipped << QStringLiteral("%1: esiste già nella destinazione (non sovrascritto)").arg(Shown(name));
      continue;
    }
    if (S_ISDIR(sst.st_mode)) {
      const QByteArray canon = RealPath(s);
      if (target == canon || target.startsWith(canon + '/')) {
        plan.Skipped << QStringLiteral("%1: una cartella non può essere copiata in se stessa").arg(Shown(name));
        continue;
      }
    }
    plan.Steps.push_back({s, dst});
    plan.Bytes += TreeBytes(s);
  }
  return plan;
}

TOpResult ExecuteCopy(const TCopyPlan& plan, const std::function<bool(qint64, qint64)>& progress) {
  TOpResult r;
  TCopier c(progress);
  c.Total = plan.Bytes;
  QSet<QByteArray> cleaned;
  for (const TCopyStep& s : plan.Steps) {
    if (c.Cancelled) break;
    const QByteArray dir = RawParent(s.Target);
    if (!cleaned.contains(dir)) {
      cleaned.insert(dir);
      RemoveStaleParts(dir);
    }
    if (c.CopyEntry(s.Source, s.Target)) {
      r.Done << Shown(s.Target);
    } else {
      r.Failed << Shown(s.Source);
      r.FailedRaw << s.Source;
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
