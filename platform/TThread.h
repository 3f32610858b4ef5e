#pragma once
// TThread: a worker thread with the classic life cycle. It is created
// suspended, runs Execute() after the first Resume(), pauses cooperatively on
// Suspend() (at its next Sleep or CheckPaused), is asked to stop by Terminate(),
// and runs calls on the GUI thread with Synchronize, which waits for them.
//
// Synchronize never deadlocks at shutdown: while the GUI thread waits for a
// worker in WaitFor() it runs that worker's pending calls itself, and once the
// thread is terminated or the application is going down a pending call is
// dropped instead of waited for.

#include <QThread>
#include <atomic>
#include <condition_variable>
#include <functional>
#include <memory>
#include <mutex>
#include <Tarnwell/TarnwellExport.h>

namespace Tarnwell {

// The priority a worker thread runs at.
enum TThreadPriority { tpIdle, tpLowest, tpLower, tpNormal, tpHigher, tpHighest, tpTimeCritical };

// A worker thread with the classic interface: created suspended or running, Execute overridden,
// Terminate asks it to stop, WaitFor joins it.
class TARNWELL_PLATFORMCORE_EXPORT TThread {
 public:
  explicit TThread(bool createSuspended = true);
  virtual ~TThread();  // terminates and waits
  TThread(const TThread&) = delete;
  TThread& operator=(const TThread&) = delete;

  void Resume();
  void Suspend();
  bool Suspended() const { return mSuspended; }
  void Terminate();
  bool Terminated() const { return mTerminated; }
  // Waits until Execute has returned; on the GUI thread it keeps running this
  // thread's Synchronize calls meanwhile. Returns the ReturnValue.
  int WaitFor();
  bool Finished() const { return mFinished; }
  TThreadPriority Priority() const { return mPriority; }
  void SetPriority(TThreadPriority p);
  // The object deletes itself when Execute ends (not together with WaitFor).
  bool FreeOnTerminate() const { return mFreeOnTerminate; }
  void SetFreeOnTerminate(bool f) { mFreeOnTerminate = f; }
  int ReturnValue() const { return mReturnValue; }
  std::function<void(TThread* sender)> OnTerminate;

  static bool IsGuiThread();

 protected:
  virtual void Execute() = 0;
  // Runs fn on the GUI thread and waits. Returns false when the call was
  // dropped because the thread was terminated or the application ends.
  bool Synchronize(const std::function<void()>& fn);
  // Sleeps up to ms, waking early on Terminate; waits while suspended.
  // Returns false once terminated.
  bool Sleep(int ms);
  // Blocks while suspended; returns false once terminated.
  bool CheckPaused();
  void SetReturnValue(int v) { mReturnValue = v; }

 private:
  class Runner;
  friend class Runner;
  void Run();

  // Shared with calls queued on the GUI thread, which may run after the
  // thread object is gone.
  struct State {
    std::mutex Mutex;
    std::condition_variable Cond;
    std::function<void()> Pending;
    bool PendingDone = false;
    std::uint64_t PendingSeq = 0;
  };
  static void RunPending(State& s);

  Runner* mRunner;
  std::shared_ptr<State> mState = std::make_shared<State>();
  std::mutex& mMutex = mState->Mutex;
  std::condition_variable& mCond = mState->Cond;
  std::atomic<bool> mSuspended{true};
  std::atomic<bool> mStarted{false};
  std::atomic<bool> mTerminated{false};
  std::atomic<bool> mFinished{false};
  bool mFreeOnTerminate = false;
  TThreadPriority mPriority = tpNormal;
  int mReturnValue = 0;
};

// A thread whose Execute calls a function (for small pacing threads).
class TARNWELL_PLATFORMCORE_EXPORT TFunctionThread : public TThread {
 public:
  explicit TFunctionThread(std::function<void(TFunctionThread&)> body)
      : TThread(true), mBody(std::move(body)) {}
  ~TFunctionThread() override;
  using TThread::CheckPaused;
  using TThread::Sleep;
  using TThread::Synchronize;

 protected:
  void Execute() override { mBody(*this); }

 private:
  std::function<void(TFunctionThread&)> mBody;
};

}  // namespace Tarnwell
