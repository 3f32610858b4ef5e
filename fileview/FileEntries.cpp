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
#include <array>
#include <cstdint>
#include <cstring>
#include <utility>

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
  if (const int c = QString::compare(a.Name, b.Name, Qt::CaseSensitive)) return c < 0 ? -1 : 1;
  // Names that differ only in bytes that do not decode are still two names.
  const int c = a.Raw.compare(b.Raw);
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

namespace {

// Gives every item the rank of its text among the distinct texts of the
// list, equal texts (by `cmp`) sharing one rank.
template <typename Get, typename CmpFn>
void RankTexts(TFileItems& items, Get get, CmpFn cmp, quint32 TFileItem::*rank) {
  QHash<QString, quint32> ranks;
  for (const TFileItem& it : items) ranks.insert(get(it), 0);
  QStringList texts = ranks.keys();
  std::sort(texts.begin(), texts.end(), [&](const QString& a, const QString& b) { return cmp(a, b) < 0; });
  quint32 r = 0;
  for (qsizetype i = 0; i < texts.size(); ++i) {
    if (i > 0 && cmp(texts[i - 1], texts[i]) != 0) r = quint32(i);
    ranks[texts[i]] = r;
  }
  for (TFileItem& it : items) it.*rank = ranks.value(get(it));
}

}  // namespace

void PrepareSortKeys(TFileItems& items) {
  QCollator coll;  // the locale's collation
  coll.setNumericMode(false);
  bool ranked = true;
  for (TFileItem& it : items) {
    if (!it.NameKey) it.NameKey = coll.sortKey(it.Caption);
    if (it.NameRank == TFileItem::kNoRank) ranked = false;
  }
  if (ranked) return;
  std::vector<quint32> order(items.size());
  for (size_t i = 0; i < order.size(); ++i) order[i] = quint32(i);
  std::sort(order.begin(), order.end(),
            [&](quint32 a, quint32 b) { return CompareNames(items[a], items[b]) < 0; });
  quint32 r = 0;
  for (size_t i = 0; i < order.size(); ++i) {
    if (i > 0 && CompareNames(items[order[i - 1]], items[order[i]]) != 0) r = quint32(i);
    items[order[i]].NameRank = r;
  }
  RankTexts(
      items, [](const TFileItem& it) -> const QString& { return it.TypeName; },
      [](const QString& a, const QString& b) { return QString::compare(a, b, Qt::CaseInsensitive); },
      &TFileItem::TypeRank);
  RankTexts(
      items, [](const TFileItem& it) -> const QString& { return it.AttrText; },
      [](const QString& a, const QString& b) { return QString::compare(a, b, Qt::CaseSensitive); },
      &TFileItem::AttrRank);
}

void SortItems(TFileItems& items, TSortedBy by) {
  PrepareSortKeys(items);
  // The order CompareItems gives, from integers alone: a re-sort of 100 000
  // rows on the GUI thread never compares a text.
  struct TKey {
    quint32 Class;  // place, folder, rest; then "no date" after every date
    qint64 Primary;
    quint32 Name;
    quint32 Index;
  };
  const int k = int(by) % 5;
  // Kept from sort to sort on each thread: a fresh buffer for 100 000 rows
  // costs more in page faults than the sort itself.
  thread_local std::vector<TKey> keys;
  keys.resize(items.size());
  for (size_t i = 0; i < items.size(); ++i) {
    const TFileItem& it = items[i];
    TKey& key = keys[i];
    key.Class = quint32(ClassRank(it)) << 1;
    key.Name = it.NameRank;
    key.Index = quint32(i);
    switch (k) {
      case sbSize: key.Primary = it.Size; break;
      case sbType: key.Primary = it.TypeRank; break;
      case sbAttr: key.Primary = it.AttrRank; break;
      case sbDate:
        // Newest first; entries without a date after every dated one.
        if (it.MTime == kNoDate) key.Class |= 1, key.Primary = 0;
        else key.Primary = -it.MTime;
        break;
      default: key.Primary = 0; break;
    }
  }
  // Ordered by Class, Primary, Name and then Index, with stable radix
  // passes from the least significant field up: the keys start in Index
  // order, and rows equal in the three fields keep it. Only the bits in
  // which a field's values differ are passed over, 11 at a time, so a
  // re-sort of 100 000 rows takes a few passes over the keys instead of a
  // comparison sort.
  const size_t n = keys.size();
  thread_local std::vector<TKey> spare;
  spare.resize(n);
  constexpr int kDigitBits = 11;
  constexpr std::uint64_t kDigitMask = (1u << kDigitBits) - 1;
  auto passes = [&](auto field, std::uint64_t span) {  // field(key) lies in 0..span
    for (int shift = 0; shift < 64 && (span >> shift) != 0; shift += kDigitBits) {
      std::array<quint32, 1u << kDigitBits> slot{};
      for (const TKey& key : keys) ++slot[(field(key) >> shift) & kDigitMask];
      if (slot[(field(keys[0]) >> shift) & kDigitMask] == n) continue;  // one digit throughout
      quint32 sum = 0;
      for (quint32& s : slot) sum += std::exchange(s, sum);
      for (const TKey& key : keys) spare[slot[(field(key) >> shift) & kDigitMask]++] = key;
      keys.swap(spare);
    }
  };
  if (n > 1) {
    quint32 maxName = 0, maxClass = 0;
    qint64 minPrimary = keys[0].Primary, maxPrimary = keys[0].Primary;
    for (const TKey& key : keys) {
      maxName = std::max(maxName, key.Name);
      maxClass = std::max(maxClass, key.Class);
      minPrimary = std::min(minPrimary, key.Primary);
      maxPrimary = std::max(maxPrimary, key.Primary);
    }
    passes([](const TKey& key) { return std::uint64_t(key.Name); }, maxName);
    // Unsigned distances from the least value keep the signed order.
    const auto base = std::uint64_t(minPrimary);
    passes([base](const TKey& key) { return std::uint64_t(key.Primary) - base; }, std::uint64_t(maxPrimary) - base);
    passes([](const TKey& key) { return std::uint64_t(key.Class); }, maxClass);
  }
  // The inverse orders reverse the whole comparison.
  if (int(by) >= 5) std::reverse(keys.begin(), keys.end());
  // The rows move into place along the permutation's cycles: each once,
  // with no second array of rows.
  for (size_t i = 0; i < keys.size(); ++i) {
    if (keys[i].Index == i) continue;
    TFileItem held = std::move(items[i]);
    size_t j = i;
    for (;;) {
      const size_t from = keys[j].Index;
      keys[j].Index = quint32(j);  // done
      if (from == i) {
        items[j] = std::move(held);
        break;
      }
      items[j] = std::move(items[from]);
      j = from;
    }
  }
  if (keys.capacity() > 4 * keys.size() + 1024) {  // one huge list does not stay
    keys = std::vector<TKey>();
    spare = std::vector<TKey>();
  }
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

// Where a symbolic link points, as an absolute path in bytes.
QByteArray LinkTargetRaw(int dirFd, const QByteArray& dirBytes, const QByteArray& nameBytes) {
  QByteArray target(4096, Qt::Uninitialized);
  const ssize_t n = ::readlinkat(dirFd, nameBytes.constData(), target.data(), size_t(target.size()));
  if (n <= 0) return QByteArray();
  target.truncate(qsizetype(n));
  if (!target.startsWith('/')) target = JoinRaw(dirBytes, target);
  // Cleaned ("a/../b") through text only when the bytes survive the trip.
  const QString text = DisplayName(target);
  return QFile::encodeName(text) == target ? QFile::encodeName(QDir::cleanPath(text)) : target;
}

// Fills the item from the entry's lstat data; false when it is left out.
bool FillEntry(TFileItem& it, const QByteArray& dirBytes, const QByteArray& nameBytes, const struct stat& lst,
               int dirFd, const TFolderQuery* q, const TFileMask* mask) {
  const QString name = DisplayName(nameBytes);
  TAttrs a;
  a.Hidden = nameBytes.startsWith('.');
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
  it.Raw = nameBytes;
  it.Caption = name;
  it.MTime = StatTimeMs(lst);
  if (isLink) {
    it.Kind = TItemKind::Link;
    it.LinkToFolder = isDir;
    it.RawTarget = LinkTargetRaw(dirFd, dirBytes, nameBytes);
    it.Target = DisplayName(it.RawTarget);
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
    // Only a regular file is ever read: a FIFO named "*.desktop" would
    // block the reader until some writer came.
    if (S_ISREG(lst.st_mode) && nameBytes.endsWith(".desktop")) {
      const QByteArray target = DesktopLinkTargetRaw(JoinRaw(dirBytes, nameBytes));
      if (!target.isEmpty()) {
        it.Kind = TItemKind::Link;
        it.RawTarget = target;
        it.Target = DisplayName(target);
        it.AttrText = QStringLiteral("L");
        struct stat tst;
        it.LinkToFolder = ::stat(target.constData(), &tst) == 0 && S_ISDIR(tst.st_mode);
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

// ---- names as bytes ---------------------------------------------------------

QString DisplayName(const QByteArray& raw) { return QString::fromUtf8(raw); }

QByteArray JoinRaw(const QByteArray& dir, const QByteArray& name) {
  if (dir.isEmpty()) return QByteArray();
  return dir.endsWith('/') ? dir + name : dir + '/' + name;
}

QByteArray RawFileName(const QByteArray& path) {
  QByteArray p = path;
  while (p.size() > 1 && p.endsWith('/')) p.chop(1);
  const qsizetype slash = p.lastIndexOf('/');
  return slash < 0 ? p : p.mid(slash + 1);
}

QByteArray RawParent(const QByteArray& path) {
  QByteArray p = path;
  while (p.size() > 1 && p.endsWith('/')) p.chop(1);
  const qsizetype slash = p.lastIndexOf('/');
  if (slash <= 0) return QByteArrayLiteral("/");
  return p.left(slash);
}

QUrl RawPathUrl(const QByteArray& path) {
  return QUrl::fromEncoded("file://" + path.toPercentEncoding("/"), QUrl::StrictMode);
}

QByteArray RawPathOfUrl(const QUrl& url) {
  if (!url.isLocalFile()) return QByteArray();
  // The encoded path keeps bytes that are no UTF-8 as their %XX escapes.
  return QByteArray::fromPercentEncoding(url.path(QUrl::FullyEncoded).toLatin1());
}

bool ReadRegularFile(const QByteArray& path, qint64 maxBytes, QByteArray* out) {
  struct stat st;
  // The type first: opening a FIFO to read waits for a writer, a device may
  // do anything when opened.
  if (::lstat(path.constData(), &st) != 0) return false;
  if (S_ISLNK(st.st_mode) && ::stat(path.constData(), &st) != 0) return false;
  if (!S_ISREG(st.st_mode) || st.st_size > maxBytes) return false;
  // Non-blocking all the same: the entry may have been replaced meanwhile.
  const int fd = ::open(path.constData(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
  if (fd < 0) return false;
  bool ok = ::fstat(fd, &st) == 0 && S_ISREG(st.st_mode) && st.st_size <= maxBytes;
  QByteArray data;
  if (ok) {
    data.resize(qsizetype(maxBytes) + 1);
    qsizetype got = 0;
    while (got < data.size()) {
      const ssize_t n = ::read(fd, data.data() + got, size_t(data.size() - got));
      if (n < 0 && errno == EINTR) continue;
      if (n <= 0) {
        ok = n == 0;
        break;
      }
      got += n;
    }
    if (got > maxBytes) ok = false;  // grew meanwhile
    data.truncate(got);
  }
  ::close(fd);
  if (ok && out) *out = std::move(data);
  return ok;
}

QStringList DesktopEntryLines(const QByteArray& path) {
  QByteArray data;
  if (!ReadRegularFile(path, 64 * 1024, &data)) return {};
  QStringList out;
  bool inEntry = false;
  for (const QByteArray& raw : data.split('\n')) {
    const QString line = QString::fromUtf8(raw).trimmed();
    if (line.startsWith(QLatin1Char('['))) {
      inEntry = line == QLatin1String("[Desktop Entry]");
      continue;
    }
    if (inEntry && !line.isEmpty()) out << line;
  }
  return out;
}

QByteArray DesktopLinkTargetRaw(const QByteArray& path) {
  bool isLink = false;
  QString url;
  for (const QString& line : DesktopEntryLines(path)) {
    if (line == QLatin1String("Type=Link")) isLink = true;
    else if (line.startsWith(QLatin1String("URL="))) url = line.mid(4);
  }
  if (!isLink || url.isEmpty()) return QByteArray();
  if (url.startsWith(QLatin1Char('/'))) return QFile::encodeName(url);
  const QUrl u(url);
  if (u.isLocalFile()) return RawPathOfUrl(u);
  return QByteArray();
}

QString DesktopLinkTarget(const QString& path) {
  return DisplayName(DesktopLinkTargetRaw(QFile::encodeName(path)));
}

TFolderResult ReadFolder(const TFolderQuery& q, const std::atomic<bool>* cancel) {
  TFolderResult r;
  const QByteArray dirBytes = q.DirBytes.isEmpty() ? QFile::encodeName(q.Directory) : q.DirBytes;
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
    TFileItem it;
    if (!FillEntry(it, dirBytes, QByteArray(n), st, fd, &q, &mask)) continue;
    if (it.Size > 0 && it.Kind != TItemKind::Folder && !it.LinkToFolder) r.Total += it.Size;
    r.Items.push_back(std::move(it));
  }
  ::closedir(d);
  return r;
}

std::optional<TFileItem> ReadOneEntry(const QByteArray& path) {
  const QByteArray dir = RawParent(path);
  const QByteArray nb = RawFileName(path);
  const int fd = ::open(dir.constData(), O_RDONLY | O_DIRECTORY | O_NONBLOCK | O_CLOEXEC);
  if (fd < 0) return std::nullopt;
  struct stat st;
  std::optional<TFileItem> out;
  if (::fstatat(fd, nb.constData(), &st, AT_SYMLINK_NOFOLLOW) == 0) {
    TFileItem it;
    FillEntry(it, dir, nb, st, fd, nullptr, nullptr);
    out = std::move(it);
  }
  ::close(fd);
  return out;
}

std::optional<TFileItem> ReadOneEntry(const QString& path) { return ReadOneEntry(QFile::encodeName(path)); }

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
    it.Raw = QFile::encodeName(root);
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
    it.Raw = QByteArray(p);
    it.AttrText = QStringLiteral("X");
    it.MimeName = QLatin1String(mime);
    out.push_back(std::move(it));
  }
  const QString desk = QStandardPaths::writableLocation(QStandardPaths::DesktopLocation);
  if (desk.isEmpty() || !IsDirectoryPath(desk)) return out;
  TFolderQuery q;
  q.Directory = desk;
  q.DirBytes = QFile::encodeName(desk);
  TFolderResult r = ReadFolder(q);
  for (TFileItem& it : r.Items) {
    const QByteArray full = JoinRaw(q.DirBytes, it.Raw);
    struct stat st;
    if (it.Kind == TItemKind::Folder) {
    } else if (it.Kind == TItemKind::Link) {
      if (it.RawTarget.isEmpty() || ::stat(it.RawTarget.constData(), &st) != 0) continue;  // a link to nothing
    } else if (it.Kind == TItemKind::File && ::lstat(full.constData(), &st) == 0 && S_ISREG(st.st_mode)) {
      // A plain file on the desktop is reached as a link to itself.
      it.Kind = TItemKind::Link;
      it.AttrText = QStringLiteral("L");
      it.RawTarget = full;
      it.Target = DisplayName(full);
    } else {
      continue;  // FIFOs, devices and sockets are no desktop items
    }
    it.Raw = full;
    it.Name = DisplayName(full);
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
  const QByteArray trashBytes = QFile::encodeName(trash);
  const QByteArray infoDir = JoinRaw(trashBytes, "info");
  const QByteArray filesDir = JoinRaw(trashBytes, "files");
  // By bytes: a stored name that is no UTF-8 must still find its file.
  DIR* d = ::opendir(infoDir.constData());
  if (!d) return;
  QList<QByteArray> infos;
  while (dirent* e = ::readdir(d))
    if (QByteArray n(e->d_name); n.endsWith(".trashinfo") && n.size() > 10) infos << n;
  ::closedir(d);
  for (const QByteArray& inf : infos) {
    QByteArray data;
    if (!ReadRegularFile(JoinRaw(infoDir, inf), 64 * 1024, &data)) continue;  // never a FIFO
    QByteArray path;
    QString date;
    bool header = false;
    for (const QByteArray& raw : data.split('\n')) {
      const QByteArray line = raw.trimmed();
      if (line.startsWith('[')) header = line == "[Trash Info]";
      else if (header && line.startsWith("Path=")) path = QByteArray::fromPercentEncoding(line.mid(5));
      else if (header && line.startsWith("DeletionDate=")) date = QString::fromLatin1(line.mid(13));
    }
    if (path.isEmpty()) continue;
    if (!path.startsWith('/')) path = JoinRaw(QFile::encodeName(top), path);
    const QByteArray stored = JoinRaw(filesDir, inf.chopped(10));
    struct stat st;
    if (::lstat(stored.constData(), &st) != 0) continue;  // an info without its file
    const bool isDir = S_ISDIR(st.st_mode);
    TFileItem it;
    it.Kind = TItemKind::File;
    it.Caption = DisplayName(RawFileName(path));
    it.Raw = stored;
    it.Name = DisplayName(stored);
    it.RawTarget = path;
    it.Target = DisplayName(path);
    it.AttrText = FileViewString(textBase + ftDeleted);
    it.Size = isDir ? kNoSize : qint64(st.st_size);
    const QDateTime dt = QDateTime::fromString(date, Qt::ISODate);
    it.MTime = dt.isValid() ? dt.toMSecsSinceEpoch() : kNoDate;
    it.TypeName = TypeNameForFile(it.Caption, &it.MimeName, isDir);
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
    it.Raw = it.Name.toUtf8();
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
    it.Raw = u.isLocalFile() ? RawPathOfUrl(u) : it.Name.toUtf8();
    it.AttrText = it.Kind == TItemKind::Folder ? QStringLiteral("d") : QStringLiteral("N");
    it.MimeName = QStringLiteral("x-network");
    out.push_back(std::move(it));
  }
  return out;
}

}  // namespace Tarnwell
