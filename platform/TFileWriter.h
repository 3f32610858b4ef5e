#pragma once
// The one way files are written: all or nothing.
//
// A TFileWriter writes into a temporary file in the target's folder (an
// unnamed one where the file system allows it, so that a killed program
// leaves nothing behind), checks every write and the final flush itself,
// syncs the data to the disk and then renames the temporary over the
// target. Until Commit() succeeds the target is untouched; a failure at any
// step removes the temporary and leaves the old file byte for byte as it
// was. A kill at any moment leaves either the old or the new content.
//
// Writers of many files (a batch) pass a TWriteBatch: their files are not
// synced one by one; the batch syncs the file systems it wrote to every
// so many files and when it finishes.
//
// Qt Core only.

#include <QIODevice>
#include <QSet>
#include <QString>
#include <functional>
#include <Tarnwell/TarnwellExport.h>

namespace Tarnwell {

/// Files written together and synced together.
///
/// A file committed in a batch is complete and in place for every other
/// program at once (and after a kill); it is on the disk, safe from a power
/// loss or a system crash, once the batch has synced: after every
/// `SyncEvery()` files and in Finish(). Files committed after the last sync
/// may, after a system crash, be missing, hold their old content or, on file
/// systems that do not write data before renames, be empty.
class TARNWELL_PLATFORMCORE_EXPORT TWriteBatch {
 public:
  /// syncEvery: sync after that many committed files; 0 only in Finish().
  explicit TWriteBatch(int syncEvery = 0);
  /// Finishes the batch if Finish() was not called (its result is lost).
  ~TWriteBatch();
  TWriteBatch(const TWriteBatch&) = delete;
  TWriteBatch& operator=(const TWriteBatch&) = delete;

  /// Syncs what the batch wrote since the last sync. False when the system
  /// reports a failure; ErrorString() then says which folder and why.
  bool Finish();
  int SyncEvery() const { return mSyncEvery; }
  /// Files committed in the batch so far.
  int Committed() const { return mCommitted; }
  QString ErrorString() const { return mError; }

 private:
  friend class TFileWriter;
  bool FileCommitted(const QString& folder);
  bool Sync();
  int mSyncEvery;
  int mCommitted = 0;
  int mPending = 0;
  QSet<QString> mFolders;
  QString mError;
};

/// A file written all or nothing; a write-only, seekable QIODevice.
///
/// open() creates the temporary (the folder must exist and be writable);
/// writes go through a buffer of its own, and the first failing write is
/// kept: every later write and Commit() fail with its reason. Commit() writes
/// the rest, checks it, syncs it (not in a batch) and renames it over the
/// target, keeping the permissions of an existing target. Destroying the
/// writer without a successful Commit() removes the temporary.
///
/// errorString() is the reason alone ("No space left on device",
/// "Permission denied", "the folder /x does not exist"); Message() names
/// the file too.
class TARNWELL_PLATFORMCORE_EXPORT TFileWriter : public QIODevice {
  Q_OBJECT
 public:
  explicit TFileWriter(const QString& fileName, TWriteBatch* batch = nullptr);
  ~TFileWriter() override;

  /// Opens for writing (WriteOnly is implied; reading is not offered).
  bool open(OpenMode mode = WriteOnly) override;
  /// Puts the written content in place of the target; false (and the
  /// target untouched, the temporary gone) when anything failed.
  bool Commit();
  /// Drops what was written; the target stays as it was.
  void Discard();

  QString FileName() const { return mFileName; }
  /// "cannot write FILE: REASON" (English; callers in Italian use
  /// errorString() with their own words).
  QString Message() const;
  /// Whether a write has failed so far.
  bool Failed() const { return mErrno != 0 || mFailed; }

  bool isSequential() const override { return false; }
  bool seek(qint64 pos) override;
  qint64 size() const override;
  void close() override;

 protected:
  qint64 readData(char* data, qint64 maxSize) override;
  qint64 writeData(const char* data, qint64 size) override;

 private:
  bool FlushBuffer();
  bool Fail(int err, const QString& reason = QString());
  void RemoveTemporary();
  QString mFileName;    // as given
  QString mTarget;      // where the content goes (a symbolic link's target)
  QString mFolder;      // the target's
  QString mTempName;    // empty for an unnamed temporary
  TWriteBatch* mBatch;
  int mFd = -1;
  int mErrno = 0;
  bool mFailed = false;
  bool mUnnamed = false;
  qint64 mOffset = 0;   // where the buffer starts in the file
  qint64 mSize = 0;
  QByteArray mBuffer;
};

/// Writes data to fileName all or nothing; on failure false, with
/// "cannot write FILE: REASON" in *error.
TARNWELL_PLATFORMCORE_EXPORT bool WriteFileAtomically(const QString& fileName, const QByteArray& data, QString* error = nullptr,
                         TWriteBatch* batch = nullptr);
/// Lets `write` fill the file (returning false when it could not make the
/// content; nothing is written then, and *error holds the writer's reason if
/// it had one), then commits.
TARNWELL_PLATFORMCORE_EXPORT bool WriteFileAtomically(const QString& fileName, const std::function<bool(QIODevice&)>& write,
                         QString* error = nullptr, TWriteBatch* batch = nullptr);

}  // namespace Tarnwell
