#pragma once
// Follows changes in the listed folder (names, sizes, times, attributes)
// through the kernel's inotify, read on the GUI thread by a socket notifier;
// a burst of changes gives one call of Callback once the folder has been
// quiet for the settling time (at the latest MaxDelay after the first).
// The name stays from the design it replaces: no thread of its own is needed,
// so the callback always runs on the GUI thread and never after the owner is
// gone (the object is the owner's child).

#include <QObject>
#include <QString>
#include <QTimer>
#include <functional>
#include <Tarnwell/TarnwellExport.h>

class QSocketNotifier;

namespace Tarnwell {

// Access to internal counters for the tests (defined in the *_p.h header).
template <class T>
struct TProbe;

// Watches one folder for changes on disk and calls Callback once the changes have settled
// (SettleMs of quiet, at most MaxDelayMs into a long burst): how a file list follows its
// folder (AutoUpdate).
class TARNWELL_FILEVIEW_EXPORT TShellChangeNotifyThread : public QObject {
  Q_OBJECT
 public:
  explicit TShellChangeNotifyThread(QObject* parent = nullptr);
  ~TShellChangeNotifyThread() override;

  // The watched folder; empty when none.
  QString Directory() const { return mDirectory; }
  // False: changes are read and dropped (the view's AutoUpdate).
  bool Enabled = true;
  // The view's Refresh; detached (empty) during the view's own operations.
  std::function<void()> Callback;
  // Quiet time before the call, and the longest wait during a long burst.
  int SettleMs = 300;
  int MaxDelayMs = 2000;

  // Watches `dir` (not its subfolders); empty stops watching. The same
  // folder again (the same bytes and still the same folder on disk) changes
  // nothing; any other spelling, "Case" for "case" too, is another folder.
  void Watch(const QString& dir);
  void Watch(const QByteArray& dir);
  // Drops the changes that arrived so far (the view's own operations).
  void Drain();
  // True when a call is due.
  bool Pending() const { return mTimer.isActive(); }

 private:
  void ReadEvents();
  void Fire();
  int mFd = -1;
  int mWd = -1;
  QSocketNotifier* mNotifier = nullptr;
  QString mDirectory;
  QByteArray mDirBytes;
  quint64 mDev = 0, mIno = 0;
  QTimer mTimer;
  qint64 mFirstEvent = 0;
  int mCalls = 0;
  friend struct TProbe<TShellChangeNotifyThread>;  // ChangeNotify_p.h
};

}  // namespace Tarnwell
