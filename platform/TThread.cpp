#include "TThread.h"

#include <QCoreApplication>
#include <QMetaObject>
#include <QPointer>
#include <chrono>

namespace Tarnwell {

class TThread::Runner : public QThread {
 public:
  explicit Runner(TThread* owner) : mOwner(owner) {}
  void run() override { mOwner->Run(); }

 private:
  TThread* mOwner;
};

namespace {
QThread::Priority ToQt(TThreadPriority p) {
  switch (p) {
    case tpIdle:
      return QThread::IdlePriority;
    case tpLowest:
      return QThread::LowestPriority;
    case tpLower:
      return QThread::LowPriority;
    case tpNormal:
      return QThread::NormalPriority;
    case tpHigher:
      return QThread::HighPriority;
    case tpHighest:
      return QThread::HighestPriority;
    case tpTimeCritical:
      return QThread::TimeCriticalPriority;
  }
  return QThread::NormalPriority;
}
}  // namespace

TThread::TThread(bool createSuspended) : mRunner(new Runner(this)) {
  if (!createSuspended) Resume();
}

TThread::~TThread() {
  Terminate();
  if (mStarted && !mFinished) WaitFor();
  mRunner->wait();
  delete mRunner;
}

bool TThread::IsGuiThread() {
  auto* app = QCoreApplication::instance();
  return !app || QThread::currentThread() == app->thread();
}

void TThread::Resume() {
  {
    std::lock_guard<std::mutex> lock(mMutex);
    mSuspended = false;
  }
  mCond.notify_all();
  bool expected = false;
  if (mStarted.compare_exchange_strong(expected, true)) {
    mRunner->start(ToQt(mPriority));
  }
}

void TThread::Suspend() {
  std::lock_guard<std::mutex> lock(mMutex);
  mSuspended = true;
}

void TThread::Terminate() {
  {
    std::lock_guard<std::mutex> lock(mMutex);
    mTerminated = true;
  }
  mCond.notify_all();
}

void TThread::SetPriority(TThreadPriority p) {
  mPriority = p;
  if (mRunner->isRunning()) mRunner->setPriority(ToQt(p));
}

void TThread::Run() {
  // Wait for a Resume that raced with start-up, or leave at once when
  // terminated before running.
  if (CheckPaused()) Execute();
  mFinished = true;
  mCond.notify_all();
  if (OnTerminate) {
    Synchronize([this] {
      if (OnTerminate) OnTerminate(this);
    });
  }
  if (mFreeOnTerminate) {
    // Deleting ourselves from our own thread would join it: hand it to the GUI thread.
    auto* app = QCoreApplication::instance();
    if (app)
      QMetaObject::invokeMethod(
          app, [this] { delete this; }, Qt::QueuedConnection);
  }
}

bool TThread::CheckPaused() {
  std::unique_lock<std::mutex> lock(mMutex);
  mCond.wait(lock, [this] { return !mSuspended || mTerminated; });
  return !mTerminated;
}

bool TThread::Sleep(int ms) {
  std::unique_lock<std::mutex> lock(mMutex);
  if (ms > 0) mCond.wait_for(lock, std::chrono::milliseconds(ms), [this] { return bool(mTerminated); });
  mCond.wait(lock, [this] { return !mSuspended || mTerminated; });
  return !mTerminated;
}

void TThread::RunPending(State& s) {
  std::function<void()> fn;
  {
    std::lock_guard<std::mutex> lock(s.Mutex);
    if (!s.Pending || s.PendingDone) return;
    fn = std::move(s.Pending);
    s.Pending = nullptr;
  }
  fn();
  {
    std::lock_guard<std::mutex> lock(s.Mutex);
    s.PendingDone = true;
  }
  s.Cond.notify_all();
}

bool TThread::Synchronize(const std::function<void()>& fn) {
  if (IsGuiThread()) {
    fn();
    return true;
  }
  auto* app = QCoreApplication::instance();
  if (!app || QCoreApplication::closingDown()) return false;
  State& s = *mState;
  std::uint64_t seq;
  {
    std::lock_guard<std::mutex> lock(s.Mutex);
    if (mTerminated && !mFinished) return false;
    s.Pending = fn;
    s.PendingDone = false;
    seq = ++s.PendingSeq;
  }
  // The GUI thread runs the call from its event loop, or from WaitFor when it
  // is waiting for us. The queued call holds the state, not the thread.
  std::weak_ptr<State> weak = mState;
  QMetaObject::invokeMethod(
      app,
      [weak, seq] {
        auto st = weak.lock();
        if (!st) return;
        {
          std::lock_guard<std::mutex> lock(st->Mutex);
          if (seq != st->PendingSeq) return;
        }
        RunPending(*st);
      },
      Qt::QueuedConnection);
  std::unique_lock<std::mutex> lock(s.Mutex);
  for (;;) {
    if (s.PendingDone) return true;
    // Once terminated, do not wait for an event loop that may never run again.
    if ((mTerminated && !mFinished) || QCoreApplication::closingDown()) {
      s.Cond.wait_for(lock, std::chrono::milliseconds(50));
      if (s.PendingDone) return true;
      if (s.Pending) {
        // Still queued: withdraw it.
        s.Pending = nullptr;
        s.PendingDone = true;
        return false;
      }
      // Being run right now by the GUI thread: wait for it to finish.
      s.Cond.wait(lock, [&s] { return s.PendingDone; });
      return true;
    }
    s.Cond.wait_for(lock, std::chrono::milliseconds(20));
  }
}

int TThread::WaitFor() {
  if (!mStarted) return mReturnValue;
  if (!IsGuiThread()) {
    mRunner->wait();
    return mReturnValue;
  }
  while (!mRunner->wait(5)) RunPending(*mState);
  RunPending(*mState);
  return mReturnValue;
}

TFunctionThread::~TFunctionThread() {
  // Stop before mBody goes: the base destructor would be too late.
  Terminate();
  WaitFor();
}

}  // namespace Tarnwell
