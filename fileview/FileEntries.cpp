#include "FileEntries.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QCollator>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QLocale>
#include <QMimeDatabase>
#include <QMutex>
#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QStorageInfo>
#include <QTextStream>
#include <QUrl>
#include <algorithm>
#include <cstring>

#include "FileViewTexts.h"

namespace Tarnwell {

QString FormatThousands(qint64 v) {
  if (v == 0) return QString();
  QLocale loc;
  loc.setNumberOptions(loc.numberOptions() & ~QLocale::OmitGroupSeparator);
  return loc.toString(v);
}

QString SizeColumnText(const TFileItem& it) {
  if (!it.SizeText.isEmpty()) return it.SizeText;
  if (it.Size <= 0) return QStringLiteral(" ");
  return FormatThousands(it.Size);
}

QString DateColumnText(qint64 msecs) {
  if (msecs == kNoDate) return QString();
  return QLocale().toString(QDateTime::fromMSecsSinceEpoch(msecs).toLocalTime(), QLocale::ShortFormat);
}

// ---- masks -------------------------------------------------------------

bool TFileMask::Validate(const QString& mask, QString* error) {
  for (const QString& p : mask.split(QLatin1Char(';'))) {
    if (p.contains(QLatin1Char('/'))) {
      if (error) *error = QStringLiteral("La maschera \"%1\" contiene un percorso: indicare solo nomi di file.").arg(p);
      return false;
    }
  }
  return true;
}

TFileMask::TFileMask(const QString& mask) {
  for (QString p : mask.split(QLatin1Char(';'), Qt::SkipEmptyParts)) {
    p = p.trimmed();
    if (p.isEmpty() || p.contains(QLatin1Char('/'))) continue;
    // "*.*" and "*" mean every name, with or without a dot.
    if (p == QLatin1String("*.*") || p == QLatin1String("*")) {
      mMatchAll = true;
      continue;
    }
    mPatterns.push_back(QRegularExpression::fromWildcard(p, Qt::CaseInsensitive));
  }
}

bool TFileMask::Matches(const QString& name) const {
  if (mMatchAll) return true;
  for (const QRegularExpression& re : mPatterns)
    if (re.match(name).hasMatch()) return true;
  return false;
}

// ---- sorting -------------------------------------------------------------

void PrepareSortKeys(TFileItems& items) {
  QCollator coll;  // the locale's collation
  coll.setNumericMode(false);
  for (TFileItem& it : items)
    if (!it.NameKey) it.NameKey = coll.sortKey(it.Caption);
}

namespace {

int ClassRank(const TFileItem& it) {
  switch (it.Kind) {
    case TItemKind::Special: return 0;
    case TItemKind::Folder: return 1;
    default: return 2;
  }
}

template <typename T>
int Cmp(const T& a, const T& b) {
  return a < b ? -1 : (b < a ? 1 : 0);
}

int CompareNames(const TFileItem& a, const TFileItem& b) {
  if (a.NameKey && b.NameKey) {
    const int c = a.NameKey->compare(*b.NameKey);
    if (c) return c < 0 ? -1 : 1;
  }
  if (const int c = QString::compare(a.Caption, b.Caption, Qt::CaseInsensitive)) return c < 0 ? -1 : 1;
  if (const int c = QString::compare(a.Caption, b.Caption, Qt::CaseSensitive)) return c < 0 ? -1 : 1;
  const int c = QString::compare(a.Name, b.Name, Qt::CaseSensitive);
  return c < 0 ? -1 : (c > 0 ? 1 : 0);
}

int CompareForward(const TFileItem& a, const TFileItem& b, int key) {
  if (const int c = Cmp(ClassRank(a), ClassRank(b))) return c;
  int c = 0;
  switch (key) {
    case sbSize: c = Cmp(a.Size, b.Size); break;
    case sbType: c = QString::compare(a.TypeName, b.TypeName, Qt::CaseInsensitive); break;
    case sbDate:
      // Newest first; entries without a date after every dated one.
      if (a.MTime == kNoDate || b.MTime == kNoDate) c = Cmp(a.MTime == kNoDate, b.MTime == kNoDate);
      else c = Cmp(b.MTime, a.MTime);
      break;
    case sbAttr: c = QString::compare(a.AttrText, b.AttrText, Qt::CaseSensitive); break;
    default: break;
  }
  if (c) return c < 0 ? -1 : 1;
  return CompareNames(a, b);
}

}  // namespace

int CompareItems(const TFileItem& a, const TFileItem& b, TSortedBy by) {
  const int k = int(by);
  return k >= 5 ? CompareForward(b, a, k - 5) : CompareForward(a, b, k);
}

void SortItems(TFileItems& items, TSortedBy by) {
  PrepareSortKeys(items);
  std::sort(items.begin(), items.end(),
            [by](const TFileItem& a, const TFileItem& b) { return CompareItems(a, b, by) < 0; });
}

// ---- types ---------------------------------------------------------------

namespace {

struct TTypeCache {
  QMutex Lock;
  QHash<QString, QString> Comments;  // MIME name -> comment
  QMimeDatabase Db;
};
TTypeCache& TypeCache() {
  static TTypeCache c;
  return c;
}

qint64 StatTimeMs(const struct stat& st) {
  return qint64(st.st_mtim.tv_sec) * 1000 + st.st_mtim.tv_nsec / 1000000;
}

bool IsReadOnly(const struct stat& st) {
  if (st.st_uid == geteuid()) return !(st.st_mode & S_IWUSR);
  if (st.st_gid == getegid()) return !(st.st_mode & S_IWGRP);
  return !(st.st_mode & S_IWOTH);
}

// The attribute filter: an entry with an attribute kind the view does not
// list is left out.
struct TAttrs {
  bool ReadOnly = false, Hidden = false, System = false;
};

bool Passes(const TAttrs& a, TFileListViewType types) {
  if (a.ReadOnly && !(types & flvReadOnly)) return false;
  if (a.Hidden && !(types & flvHidden)) return false;
  if (a.System && !(types & flvSystem)) return false;
  return true;
}

QString AttrLetters(bool folder, const TAttrs& a) {
  QString s;
  if (folder) s += QLatin1Char('d');
  if (a.ReadOnly) s += QLatin1Char('r');
  if (a.Hidden) s += QLatin1Char('h');
  if (a.System) s += QLatin1Char('s');
  s += QLatin1Char(' ');
  return s;
}

QString FallbackTypeName(const QString& name) {
  const int dot = name.lastIndexOf(QLatin1Char('.'));
  return QStringLiteral("File ") + (dot > 0 ? name.mid(dot + 1).toUpper() : QString());
}

// Fills the item from the entry's lstat data; false when it is left out.
bool FillEntry(TFileItem& it, const QString& dir, const QString& name, const struct stat& lst, int dirFd,
               const QByteArray& nameBytes, const TFolderQuery* q, const TFileMask* mask) {
  TAttrs a;
  a.Hidden = name.startsWith(QLatin1Char('.'));
  const bool isLink = S_ISLNK(lst.st_mode);
  bool isDir = S_ISDIR(lst.st_mode);
  struct stat st = lst;
  if (isLink) {
    struct stat t;
    if (::fstatat(dirFd, nameBytes.constData(), &t, 0) == 0) {
      st = t;
      isDir = S_ISDIR(t.st_mode);
    }
  }
  a.ReadOnly = IsReadOnly(st);
  a.System = !isLink && !S_ISREG(lst.st_mode) && !S_ISDIR(lst.st_mode);
  if (q && !Passes(a, q->Types)) return false;
  // Folders (and links to folders) are listed whatever the mask.
  if (!isDir && mask && !mask->Matches(name)) return false;
  it.Name = name;
  it.Caption = name;
  it.MTime = StatTimeMs(lst);
  if (isLink) {
    it.Kind = TItemKind::Link;
    it.LinkToFolder = isDir;
    const QString target = QFileInfo(JoinPath(dir, name)).symLinkTarget();
    it.Target = target;
    it.AttrText = QStringLiteral("L");
    it.Size = isDir ? kNoSize : qint64(st.st_size);
    it.TypeName = TypeNameForFile(name, &it.MimeName, isDir);
    if (isDir) it.MimeName = QStringLiteral("inode/directory");
  } else if (isDir) {
    it.Kind = TItemKind::Folder;
    it.AttrText = AttrLetters(true, a);
    it.Size = kNoSize;
    it.TypeName = TypeNameForFile(name, &it.MimeName, true);
  } else {
    it.Kind = TItemKind::File;
    it.AttrText = AttrLetters(false, a);
    it.Size = qint64(lst.st_size);
    it.TypeName = TypeNameForFile(name, &it.MimeName, false);
    if (name.endsWith(QLatin1String(".desktop"))) {
      const QString target = DesktopLinkTarget(JoinPath(dir, name));
      if (!target.isEmpty()) {
        it.Kind = TItemKind::Link;
        it.Target = target;
        it.AttrText = QStringLiteral("L");
        it.LinkToFolder = QFileInfo(target).isDir();
      }
    }
  }
  if (it.TypeName.trimmed().isEmpty()) it.TypeName = FallbackTypeName(name);
  return true;
}

}  // namespace

QString TypeNameForFile(const QString& fileName, QString* mimeName, bool folder) {
  TTypeCache& c = TypeCache();
  QMutexLocker lock(&c.Lock);
  const QMimeType mt = folder ? c.Db.mimeTypeForName(QStringLiteral("inode/directory"))
                              : c.Db.mimeTypeForFile(fileName, QMimeDatabase::MatchExtension);
  const QString n = mt.name();
  if (mimeName) *mimeName = n;
  auto it = c.Comments.find(n);
  if (it == c.Comments.end()) it = c.Comments.insert(n, mt.comment().trimmed());
  return it.value();
}

QString DesktopLinkTarget(const QString& path) {
  QFile f(path);
  if (!f.open(QIODevice::ReadOnly) || f.size() > 64 * 1024) return QString();
  bool inEntry = false, isLink = false;
  QString url;
  while (!f.atEnd()) {
    const QString line = QString::fromUtf8(f.readLine()).trimmed();
    if (line.startsWith(QLatin1Char('['))) {
      inEntry = line == QLatin1String("[Desktop Entry]");
      continue;
    }
    if (!inEntry) continue;
    if (line == QLatin1String("Type=Link")) isLink = true;
    else if (line.startsWith(QLatin1String("URL="))) url = line.mid(4);
  }
  if (!isLink || url.isEmpty()) return QString();
  const QUrl u(url);
  if (u.isLocalFile()) return u.toLocalFile();
  if (url.startsWith(QLatin1Char('/'))) return url;
  return QString();
}

TFolderResult ReadFolder(const TFolderQuery& q, const std::atomic<bool>* cancel) {
  TFolderResult r;
  const QByteArray dirBytes = QFile::encodeName(q.Directory);
  DIR* d = ::opendir(dirBytes.constData());
  if (!d) {
    r.Ok = false;
    r.Error = QString::fromLocal8Bit(std::strerror(errno));
    return r;
  }
  const int fd = ::dirfd(d);
  const TFileMask mask(q.Mask);
  while (dirent* e = ::readdir(d)) {
    if (cancel && cancel->load(std::memory_order_relaxed)) break;
    const char* n = e->d_name;
    if (n[0] == '.' && (n[1] == 0 || (n[1] == '.' && n[2] == 0))) continue;
    struct stat st;
    if (::fstatat(fd, n, &st, AT_SYMLINK_NOFOLLOW) != 0) continue;  // gone meanwhile
    const QByteArray nb(n);
    TFileItem it;
    if (!FillEntry(it, q.Directory, QFile::decodeName(nb), st, fd, nb, &q, &mask)) continue;
    if (it.Size > 0 && it.Kind != TItemKind::Folder && !it.LinkToFolder) r.Total += it.Size;
    r.Items.push_back(std::move(it));
  }
  ::closedir(d);
  return r;
}

std::optional<TFileItem> ReadOneEntry(const QString& path) {
  const QFileInfo fi(path);
  const QString dir = fi.absolutePath();
  const QByteArray nb = QFile::encodeName(fi.fileName());
  const int fd = ::open(QFile::encodeName(dir).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (fd < 0) return std::nullopt;
  struct stat st;
  std::optional<TFileItem> out;
  if (::fstatat(fd, nb.constData(), &st, AT_SYMLINK_NOFOLLOW) == 0) {
    TFileItem it;
    FillEntry(it, dir, fi.fileName(), st, fd, nb, nullptr, nullptr);
    out = std::move(it);
  }
  ::close(fd);
  return out;
}

// ---- paths ---------------------------------------------------------------

QString JoinPath(const QString& dir, const QString& name) {
  if (dir.isEmpty()) return QString();
  return dir.endsWith(QLatin1Char('/')) ? dir + name : dir + QLatin1Char('/') + name;
}

bool IsDirectoryPath(const QString& path) { return !path.isEmpty() && QFileInfo(path).isDir(); }

QString ParentPath(const QString& path) {
  QString p = path;
  while (p.size() > 1 && p.endsWith(QLatin1Char('/'))) p.chop(1);
  const int slash = p.lastIndexOf(QLatin1Char('/'));
  if (slash <= 0) return QStringLiteral("/");
  return p.left(slash);
}

bool IsSpecialPlace(const QString& place) {
  for (const char* k : {kPlaceDesktop, kPlaceDrives, kPlaceNetwork, kPlaceRecycled})
    if (place.compare(QLatin1String(k), Qt::CaseInsensitive) == 0) return true;
  return false;
}

QString NormalisePlace(const QString& place) {
  for (const char* k : {kPlaceDesktop, kPlaceDrives, kPlaceNetwork, kPlaceRecycled})
    if (place.compare(QLatin1String(k), Qt::CaseInsensitive) == 0) return QLatin1String(k);
  return place;
}

// ---- volumes -------------------------------------------------------------

namespace {

bool PseudoFileSystem(const QByteArray& type) {
  static const char* const pseudo[] = {"proc", "sysfs", "devpts", "cgroup", "cgroup2", "securityfs", "debugfs",
                                       "tracefs", "mqueue", "hugetlbfs", "pstore", "bpf", "configfs", "fusectl",
                                       "devtmpfs", "autofs", "binfmt_misc", "nsfs", "rpc_pipefs", "efivarfs",
                                       "selinuxfs", "tmpfs", "ramfs", "squashfs", "overlay_internal"};
  for (const char* p : pseudo)
    if (type == p) return true;
  return false;
}

std::vector<QStorageInfo> FileVolumes() {
  std::vector<QStorageInfo> out;
  bool haveRoot = false;
  for (const QStorageInfo& s : QStorageInfo::mountedVolumes()) {
    if (!s.isValid() || !s.isReady()) continue;
    const bool root = s.rootPath() == QLatin1String("/");
    if (!root && (PseudoFileSystem(s.fileSystemType()) || s.bytesTotal() <= 0)) continue;
    if (root) {
      if (haveRoot) continue;
      haveRoot = true;
      out.insert(out.begin(), s);
    } else {
      out.push_back(s);
    }
  }
  if (!haveRoot) out.insert(out.begin(), QStorageInfo(QStringLiteral("/")));
  return out;
}

int DriveTypeText(const QStorageInfo& s) {
  const QByteArray t = s.fileSystemType();
  const QByteArray dev = s.device();
  if (dev.startsWith("/dev/sr") || t == "iso9660" || t == "udf") return ftCdRom;
  if (t == "nfs" || t == "nfs4" || t == "cifs" || t == "smb3" || t == "fuse.sshfs" || t.startsWith("fuse.gvfs"))
    return ftNetworkUnit;
  if (t == "tmpfs" || t == "ramfs") return ftRamDisk;
  if (t == "vfat" || t == "exfat") return ftRemovable;
  return ftFixed;
}

}  // namespace

QString MountRootOf(const QString& path) {
  QString best = QStringLiteral("/");
  for (const QStorageInfo& s : FileVolumes()) {
    const QString r = s.rootPath();
    if (r == QLatin1String("/")) continue;
    if ((path == r || path.startsWith(r + QLatin1Char('/'))) && r.size() > best.size()) best = r;
  }
  return best;
}

TFileItems ListDrives(int textBase) {
  TFileItems out;
  for (const QStorageInfo& s : FileVolumes()) {
    TFileItem it;
    it.Kind = TItemKind::Drive;
    const QString root = s.rootPath();
    it.Name = root;
    it.Caption = root == QLatin1String("/") ? QStringLiteral("/") : (s.displayName().isEmpty() ? root : s.displayName());
    if (it.Caption != root && root != QLatin1String("/")) it.Caption = QStringLiteral("%1 (%2)").arg(it.Caption, root);
    const int type = DriveTypeText(s);
    it.TypeName = FileViewString(textBase + type);
    it.AttrText = QStringLiteral("U");
    it.MimeName = QStringLiteral("inode/mount-point");
    const qint64 kb = (type == ftRemovable || type == ftCdRom) ? 0 : (s.bytesTotal() + 512) / 1024;
    it.Size = kb * 1024;
    if (kb >= 10001) it.SizeText = FormatThousands(kb / 1000) + QStringLiteral(" Mb");
    else if (kb <= 0) it.SizeText = QStringLiteral("0 Kb");
    else it.SizeText = FormatThousands(kb) + QStringLiteral(" Kb");
    out.push_back(std::move(it));
  }
  return out;
}

// ---- desktop ---------------------------------------------------------------

TFileItems ListDesktop(int textBase) {
  TFileItems out;
  const std::pair<const char*, const char*> places[] = {
      {kPlaceDrives, "inode/mount-point"}, {kPlaceNetwork, "x-network"}, {kPlaceRecycled, "x-trash"}};
  for (const auto& [p, mime] : places) {
    TFileItem it;
    it.Kind = TItemKind::Special;
    it.Caption = PlaceDisplayName(QLatin1String(p), textBase);
    it.Name = QLatin1String(p);
    it.AttrText = QStringLiteral("X");
    it.MimeName = QLatin1String(mime);
    out.push_back(std::move(it));
  }
  const QString desk = QStandardPaths::writableLocation(QStandardPaths::DesktopLocation);
  if (desk.isEmpty() || !IsDirectoryPath(desk)) return out;
  TFolderQuery q;
  q.Directory = desk;
  TFolderResult r = ReadFolder(q);
  for (TFileItem& it : r.Items) {
    const QString full = JoinPath(desk, it.Name);
    if (it.Kind == TItemKind::Folder) {
      it.Name = full;
    } else if (it.Kind == TItemKind::Link) {
      if (it.Target.isEmpty() || !QFileInfo::exists(it.Target)) continue;  // a link to nothing
      it.Name = full;
    } else if (it.Kind == TItemKind::File) {
      // A plain file on the desktop is reached as a link to itself.
      it.Kind = TItemKind::Link;
      it.AttrText = QStringLiteral("L");
      it.Target = full;
      it.Name = full;
    } else {
      continue;
    }
    out.push_back(std::move(it));
  }
  return out;
}

// ---- trash -----------------------------------------------------------------

QString HomeTrashDir() {
  return JoinPath(QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation), QStringLiteral("Trash"));
}

namespace {

// Reads one trash folder (with files/ and info/); `top` is the volume root
// the relative paths of a per-volume trash start from.
void ReadTrashDir(const QString& trash, const QString& top, int textBase, TFileItems& out) {
  const QDir info(JoinPath(trash, QStringLiteral("info")));
  if (!info.exists()) return;
  const QStringList infos = info.entryList({QStringLiteral("*.trashinfo")}, QDir::Files | QDir::Hidden);
  for (const QString& inf : infos) {
    QFile f(info.filePath(inf));
    if (!f.open(QIODevice::ReadOnly) || f.size() > 64 * 1024) continue;
    QString path, date;
    bool header = false;
    while (!f.atEnd()) {
      const QString line = QString::fromUtf8(f.readLine()).trimmed();
      if (line.startsWith(QLatin1Char('['))) header = line == QLatin1String("[Trash Info]");
      else if (header && line.startsWith(QLatin1String("Path=")))
        path = QUrl::fromPercentEncoding(line.mid(5).toUtf8());
      else if (header && line.startsWith(QLatin1String("DeletionDate="))) date = line.mid(13);
    }
    if (path.isEmpty()) continue;
    if (!path.startsWith(QLatin1Char('/'))) path = JoinPath(top, path);
    const QString stored = JoinPath(JoinPath(trash, QStringLiteral("files")), inf.chopped(10));
    const QFileInfo sfi(stored);
    if (!sfi.exists() && !sfi.isSymLink()) continue;  // an info without its file
    TFileItem it;
    it.Kind = TItemKind::File;
    it.Caption = QFileInfo(path).fileName();
    it.Name = stored;
    it.Target = path;
    it.AttrText = FileViewString(textBase + ftDeleted);
    it.Size = sfi.isDir() ? kNoSize : sfi.size();
    const QDateTime dt = QDateTime::fromString(date, Qt::ISODate);
    it.MTime = dt.isValid() ? dt.toMSecsSinceEpoch() : kNoDate;
    it.TypeName = TypeNameForFile(it.Caption, &it.MimeName, sfi.isDir());
    if (it.TypeName.isEmpty()) it.TypeName = FallbackTypeName(it.Caption);
    out.push_back(std::move(it));
  }
}

}  // namespace

TFileItems ListTrash(int textBase) {
  TFileItems out;
  ReadTrashDir(HomeTrashDir(), QString(), textBase, out);
  const QString uid = QString::number(::getuid());
  const QString homeTrash = QFileInfo(HomeTrashDir()).canonicalFilePath();
  // Every mount point may hold a trash, also those the volume list leaves
  // out (the mount table itself: the platform's list skips some).
  QStringList tops;
  QFile mounts(QStringLiteral("/proc/self/mounts"));
  if (mounts.open(QIODevice::ReadOnly)) {
    for (const QByteArray& line : mounts.readAll().split('\n')) {
      const QList<QByteArray> f = line.split(' ');
      if (f.size() < 3) continue;
      static const QByteArrayList skip = {"proc", "sysfs", "devpts", "cgroup", "cgroup2", "mqueue", "devtmpfs"};
      if (skip.contains(f[2])) continue;
      QByteArray mp = f[1];
      mp.replace("\\040", " ").replace("\\011", "\t").replace("\\012", "\n").replace("\\134", "\\");
      const QString top = QFile::decodeName(mp);
      if (!tops.contains(top)) tops << top;
    }
  }
  for (const QStorageInfo& s : FileVolumes())
    if (!tops.contains(s.rootPath())) tops << s.rootPath();
  for (const QString& top : tops) {
    // $topdir/.Trash/$uid only under a sticky, real (not linked) .Trash.
    const QString shared = JoinPath(top, QStringLiteral(".Trash"));
    struct stat st;
    if (::lstat(QFile::encodeName(shared).constData(), &st) == 0 && S_ISDIR(st.st_mode) && (st.st_mode & S_ISVTX)) {
      const QString t = JoinPath(shared, uid);
      if (QFileInfo(t).canonicalFilePath() != homeTrash) ReadTrashDir(t, top, textBase, out);
    }
    const QString own = JoinPath(top, QStringLiteral(".Trash-") + uid);
    if (QFileInfo(own).isDir() && QFileInfo(own).canonicalFilePath() != homeTrash) ReadTrashDir(own, top, textBase, out);
  }
  return out;
}

// ---- network ---------------------------------------------------------------

TFileItems ListNetwork(int textBase, bool enabled, const QString& container) {
  TFileItems out;
  auto allNetwork = [&] {
    TFileItem it;
    it.Kind = TItemKind::Network;
    it.Caption = FileViewString(textBase + ftAllNetwork);
    it.Name = QStringLiteral("network:///");
    it.AttrText = QStringLiteral("N");
    it.MimeName = QStringLiteral("x-network");
    out.push_back(std::move(it));
  };
  if (!enabled) {
    allNetwork();
    return out;
  }
  QProcess p;
  p.start(QStringLiteral("gio"), {QStringLiteral("list"), QStringLiteral("-u"),
                                  container.isEmpty() ? QStringLiteral("network:///") : container});
  if (!p.waitForFinished(3000)) {
    p.kill();
    p.waitForFinished(500);
  }
  if (container.isEmpty()) allNetwork();
  const QStringList lines = QString::fromUtf8(p.readAllStandardOutput()).split(QLatin1Char('\n'), Qt::SkipEmptyParts);
  for (const QString& l : lines) {
    TFileItem it;
    const QUrl u(l.trimmed());
    it.Caption = u.fileName().isEmpty() ? u.host() : QUrl::fromPercentEncoding(u.fileName().toUtf8());
    if (it.Caption.isEmpty()) it.Caption = l.trimmed();
    it.Name = l.trimmed();
    it.Kind = u.isLocalFile() ? TItemKind::Folder : TItemKind::Network;
    if (u.isLocalFile()) it.Name = u.toLocalFile();
    it.AttrText = it.Kind == TItemKind::Folder ? QStringLiteral("d") : QStringLiteral("N");
    it.MimeName = QStringLiteral("x-network");
    out.push_back(std::move(it));
  }
  return out;
}

}  // namespace Tarnwell
