#pragma once
// The file operations of the file list view, written so that no user file
// is ever lost or overwritten: renames and copies never replace an existing
// entry, deletion goes to the trash, and a failure is reported, never taken
// for success. Absolute paths only; the process's current directory is
// never used nor changed.
//
// Paths are bytes, exactly as the file system spells them (a name that is
// no UTF-8 is still that name, not a look-alike); the QString forms encode
// their text and are for paths typed or known to be text.

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>
#include <functional>
#include <vector>
#include <Tarnwell/TarnwellExport.h>

namespace Tarnwell {

// The outcome of a file operation: whether it succeeded (Error says why not), the path it
// made, and the entries it handled and could not handle.
struct TARNWELL_FILEVIEW_EXPORT TOpResult {
  bool Ok = true;
  QString Error;     // why it failed (Italian, for the user)
  QString Path;      // the path made (rename, new folder)
  QStringList Done;  // the entries handled
  QStringList Failed;
  QList<QByteArray> FailedRaw;  // the same as Failed, as bytes
};

// A name an entry can take: not empty, no "/", not "." or "..", and at most
// 255 bytes in the file system's encoding.
TARNWELL_FILEVIEW_EXPORT bool ValidateEntryName(const QString& name, QString* error = nullptr);
// Renames `oldPath` to `newName` in the same folder; never replaces an
// existing entry (a change of case alone is a real rename).
TARNWELL_FILEVIEW_EXPORT TOpResult RenameEntry(const QString& oldPath, const QString& newName);
TARNWELL_FILEVIEW_EXPORT TOpResult RenameEntry(const QByteArray& oldPath, const QString& newName);
// Makes "<base>", else "<base> 2", "<base> 3" ... in `dir`, whichever is the
// first name no entry (file, folder or link) has.
TARNWELL_FILEVIEW_EXPORT TOpResult CreateNewFolder(const QString& dir, const QString& baseName);
TARNWELL_FILEVIEW_EXPORT TOpResult CreateNewFolder(const QByteArray& dir, const QString& baseName);
// Moves the entries to the freedesktop.org trash: the home trash for the
// home's volume, else the volume's own .Trash/$uid or .Trash-$uid (a link
// goes, not what it points to). There is no fallback: what cannot be
// trashed stays where it is and is listed in Failed. The .trashinfo's Path
// percent-encodes the entry's bytes.
TARNWELL_FILEVIEW_EXPORT TOpResult TrashEntries(const QStringList& paths);
TARNWELL_FILEVIEW_EXPORT TOpResult TrashEntries(const QList<QByteArray>& paths);
// Deletes for good (folders with their contents; links are removed, never
// followed). Only after the user confirmed it a second time.
TARNWELL_FILEVIEW_EXPORT TOpResult RemovePermanently(const QStringList& paths);
TARNWELL_FILEVIEW_EXPORT TOpResult RemovePermanently(const QList<QByteArray>& paths);

// Copying dropped entries into a folder.
struct TARNWELL_FILEVIEW_EXPORT TCopyStep {
  QByteArray Source, Target;
};
// What copying dropped entries into a folder will do: the copies to make, the entries
// skipped (with the reason) and those already there, and the bytes to copy.
struct TARNWELL_FILEVIEW_EXPORT TCopyPlan {
  std::vector<TCopyStep> Steps;
  QStringList Skipped;  // with the reason, one line each
  QStringList Same;     // dropped where they already are: nothing to do, nothing to say
  qint64 Bytes = 0;     // to copy
};
// Checks every dropped entry: an entry dropped onto itself is skipped, a
// folder dropped into itself or below is refused, an existing target is
// never overwritten (skipped and reported).
TARNWELL_FILEVIEW_EXPORT TCopyPlan PlanCopy(const QStringList& sources, const QString& targetDir);
TARNWELL_FILEVIEW_EXPORT TCopyPlan PlanCopy(const QList<QByteArray>& sources, const QByteArray& targetDir);
// Copies (links as links, folders with their contents). Each entry is
// written under a short temporary name of its own (unique per process and
// copy, so a name of 255 bytes copies too) and takes its final name only
// when it is complete: a folder gets its own mode after its contents, and
// a copy that fails or is cancelled leaves nothing under the final name.
// Temporary entries that copies killed on this machine left behind are
// removed. `progress(done, total)` returns false to cancel; entries already
// copied stay.
TARNWELL_FILEVIEW_EXPORT TOpResult ExecuteCopy(const TCopyPlan& plan, const std::function<bool(qint64, qint64)>& progress = {});

}  // namespace Tarnwell
