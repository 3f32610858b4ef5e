#pragma once
// The entries the file list view shows, and how each kind of place is read:
// a folder (through the system's directory calls, fit for a worker thread),
// the mounted volumes, the desktop, the trash and the network. Nothing here
// needs widgets; what is shown is built from typed fields (sizes are 64-bit,
// dates are instants), so sorting never reads display text back.

#include <QCollatorSortKey>
#include <QDateTime>
#include <QRegularExpression>
#include <QString>
#include <QUrl>
#include <QStringList>
#include <atomic>
#include <functional>
#include <limits>
#include <optional>
#include <vector>

#include "FileViewTypes.h"
#include <Tarnwell/TarnwellExport.h>

namespace Tarnwell {

// What an item is; the first letter of its Attr text tells the same.
enum class TItemKind : char {
  File,     // a plain file (or anything else listed in a folder)
  Folder,   // "d"
  Special,  // "X": Computer, Network, Trash on the desktop
  Drive,    // "U": a mounted volume
  Link,     // "L": a symbolic link or a link .desktop file
  Network,  // "N": a network container
};

constexpr qint64 kNoSize = -1;
constexpr qint64 kNoDate = std::numeric_limits<qint64>::min();

// An entry a file list shows: a file, folder, place, drive, link or network container, with
// its name, size, date, attributes and icon.
struct TARNWELL_FILEVIEW_EXPORT TFileItem {
  TItemKind Kind = TItemKind::File;
  // What a sort reads comes first, in one cache line.
  qint64 Size = kNoSize; // bytes; kNoSize for folders and places
  qint64 MTime = kNoDate;  // ms since the epoch (UTC); kNoDate when unknown
  // Each item's place in the name, type and attribute orders of its list,
  // made once per listing (PrepareSortKeys) so that a re-sort compares
  // integers only; kNoRank until then, or after the item changed.
  quint32 NameRank = kNoRank, TypeRank = kNoRank, AttrRank = kNoRank;
  static constexpr quint32 kNoRank = 0xFFFFFFFFu;
  QString Caption;
  // Sub-item 4: the name within the listed folder; for the items of the
  // desktop, the drives and the network the full path or place keyword.
  // Shown text: bytes that are not UTF-8 appear as U+FFFD.
  QString Name;
  // The same as the exact bytes the file system gave. Every operation acts
  // on these, never on Name: two entries whose names differ only in bytes
  // that do not decode look the same as text.
  QByteArray Raw;
  // Sub-item 5: where a link points (an absolute path), or, for an entry of
  // the trash, the path it had before it was deleted; RawTarget its bytes.
  QString Target;
  QByteArray RawTarget;
  QString TypeName;
  QString AttrText;      // "d", "rhs ", "L", "U", "X", "N" ...
  QString SizeText;      // set only where the size is not shown in bytes (volumes)
  QString MimeName;      // the type the icon is chosen by
  bool LinkToFolder = false;
  // The locale's collation key of the caption (filled by PrepareSortKeys).
  std::optional<QCollatorSortKey> NameKey;
};

using TFileItems = std::vector<TFileItem>;

// "###,###,###,###" with the locale's group separator; empty for 0.
TARNWELL_FILEVIEW_EXPORT QString FormatThousands(qint64 v);
// The Size column: the byte count, or " " for an empty file or a folder.
TARNWELL_FILEVIEW_EXPORT QString SizeColumnText(const TFileItem& it);
// The Modified column: local date and time in the locale's short format.
TARNWELL_FILEVIEW_EXPORT QString DateColumnText(qint64 msecs);

// File masks: patterns separated by ";". "*.*" matches every name (also one
// without a dot); matching ignores case. A pattern may not name a folder.
class TARNWELL_FILEVIEW_EXPORT TFileMask {
 public:
  // Returns false (and the reason) for a mask that cannot be used.
  static bool Validate(const QString& mask, QString* error = nullptr);
  explicit TFileMask(const QString& mask);
  bool Matches(const QString& name) const;
  bool MatchesAll() const { return mMatchAll; }

 private:
  bool mMatchAll = false;
  std::vector<QRegularExpression> mPatterns;
};

// The locale's collation keys of every caption and the ranks of every item
// (thread-safe: one collator per call). Ranks are made again whenever one
// item lacks them.
TARNWELL_FILEVIEW_EXPORT void PrepareSortKeys(TFileItems& items);
// A strict weak ordering for every key: places, then folders, then the
// rest; within a class by the key, ties by caption and name. The inverse
// orders reverse the whole comparison (folders come last).
TARNWELL_FILEVIEW_EXPORT int CompareItems(const TFileItem& a, const TFileItem& b, TSortedBy by);
TARNWELL_FILEVIEW_EXPORT void SortItems(TFileItems& items, TSortedBy by);

// How a folder is read. Attribute kinds not in `types` are left out.
struct TARNWELL_FILEVIEW_EXPORT TFolderQuery {
  QString Directory;  // absolute
  QByteArray DirBytes;  // the same as the file system spells it; when empty, Directory encoded
  QString Mask = QStringLiteral("*.*");
  TFileListViewType Types = TFileListViewType(flvReadOnly | flvHidden | flvSystem);
};
// What ReadFolder read: the entries, the total size of the listed files in bytes, and
// whether it succeeded (Error says why not).
struct TARNWELL_FILEVIEW_EXPORT TFolderResult {
  TFileItems Items;
  qint64 Total = 0;    // the sum of the listed files' sizes
  bool Ok = true;
  QString Error;
};
// Reads the folder: each entry once, folders always, files when the mask
// matches. `cancel` (may be null) stops the reading early. Safe on any thread.
TARNWELL_FILEVIEW_EXPORT TFolderResult ReadFolder(const TFolderQuery& q, const std::atomic<bool>* cancel = nullptr);
// One entry, as ReadFolder would list it (for re-adding a renamed or created
// entry by its exact path); nullopt when it does not exist.
TARNWELL_FILEVIEW_EXPORT std::optional<TFileItem> ReadOneEntry(const QString& path);
TARNWELL_FILEVIEW_EXPORT std::optional<TFileItem> ReadOneEntry(const QByteArray& path);

// File names as bytes: the text shown for them (undecodable bytes as
// U+FFFD), and paths joined and split without ever going through text.
TARNWELL_FILEVIEW_EXPORT QString DisplayName(const QByteArray& raw);
TARNWELL_FILEVIEW_EXPORT QByteArray JoinRaw(const QByteArray& dir, const QByteArray& name);
TARNWELL_FILEVIEW_EXPORT QByteArray RawFileName(const QByteArray& path);
TARNWELL_FILEVIEW_EXPORT QByteArray RawParent(const QByteArray& path);
// A "file://" URL of the exact bytes (each byte outside the safe set
// percent-encoded), and the bytes back from one.
TARNWELL_FILEVIEW_EXPORT QUrl RawPathUrl(const QByteArray& path);
TARNWELL_FILEVIEW_EXPORT QByteArray RawPathOfUrl(const QUrl& url);

// Reads at most `maxBytes` of a regular file (a link to one too); anything
// else (a FIFO, a device, a socket, a folder) is never opened. False when it
// is no regular file, cannot be read or is larger than `maxBytes`.
TARNWELL_FILEVIEW_EXPORT bool ReadRegularFile(const QByteArray& path, qint64 maxBytes, QByteArray* out);

// The MIME type comment and name for a file name (by name, not content);
// process-wide cached, thread-safe.
TARNWELL_FILEVIEW_EXPORT QString TypeNameForFile(const QString& fileName, QString* mimeName = nullptr, bool folder = false);

// A link .desktop file's target (Type=Link, URL=file:...); empty otherwise.
// Nothing of the file is ever run.
TARNWELL_FILEVIEW_EXPORT QString DesktopLinkTarget(const QString& path);
TARNWELL_FILEVIEW_EXPORT QByteArray DesktopLinkTargetRaw(const QByteArray& path);
// The lines of the [Desktop Entry] group of a .desktop file ("Key=Value",
// read with ReadRegularFile, 64 KiB at most); empty when it is none.
TARNWELL_FILEVIEW_EXPORT QStringList DesktopEntryLines(const QByteArray& path);

// The mounted volumes that hold files (pseudo file systems left out), "/" first.
TARNWELL_FILEVIEW_EXPORT TFileItems ListDrives(int textBase);
// The mount root holding `path` (the deepest mounted volume), "/" at least.
TARNWELL_FILEVIEW_EXPORT QString MountRootOf(const QString& path);
// The desktop: Computer, Network, Trash, then the desktop folder's folders
// and links.
TARNWELL_FILEVIEW_EXPORT TFileItems ListDesktop(int textBase);
// The entries of the trash: the home trash ($XDG_DATA_HOME/Trash) and the
// per-volume .Trash-$uid and .Trash/$uid, with the original path and the
// deletion date of their .trashinfo files.
TARNWELL_FILEVIEW_EXPORT TFileItems ListTrash(int textBase);
// The home trash folder.
TARNWELL_FILEVIEW_EXPORT QString HomeTrashDir();
// The network: only "All the network" unless enabled; enabled, what the
// platform's network browsing lists (run with a time limit).
TARNWELL_FILEVIEW_EXPORT TFileItems ListNetwork(int textBase, bool enabled, const QString& container = QString());

// Absolute paths: "dir/name" with one separator; empty when dir is empty.
TARNWELL_FILEVIEW_EXPORT QString JoinPath(const QString& dir, const QString& name);
// True for an existing folder (links followed).
TARNWELL_FILEVIEW_EXPORT bool IsDirectoryPath(const QString& path);
// The parent folder; "/" for "/" itself.
TARNWELL_FILEVIEW_EXPORT QString ParentPath(const QString& path);
// True for the four place keywords (any case).
TARNWELL_FILEVIEW_EXPORT bool IsSpecialPlace(const QString& place);
// The keyword as spelled by the view ("DeskTop", ...) or the path unchanged.
TARNWELL_FILEVIEW_EXPORT QString NormalisePlace(const QString& place);

}  // namespace Tarnwell
