#pragma once
// The engine's private parts: the small pool of threads that draws a frame in
// horizontal bands. Not installed.

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <mutex>
#include <thread>
#include <type_traits>
#include <vector>
#include <Tarnwell/TarnwellExport.h>

namespace Tarnwell {

// Where the engine's primitives draw: the frame's pixels (and depths, for
// the depth-buffered level) and the rows RowLo..RowHi, inside the frame,
// that one call may touch. A thread drawing a band gets that band's rows.
struct TARNWELL_SPACE3DENGINE_EXPORT TRasterTarget3D {
  std::uint32_t* Bits = nullptr;
  float* Depth = nullptr;
  int Width = 0, Height = 0, RowLo = 0, RowHi = -1;
};

// Persistent helper threads for the engine. Run(units, job) calls job(u)
// once for every unit u in 0..units-1 and returns when all have finished.
// The calling thread takes units too, claiming them one by one with the
// helpers, so a helper that the system wakes late (a loaded machine) finds
// the work done instead of holding up the frame; the caller then waits only
// for the helpers busy on a unit. What a job wrote is visible to the caller
// and to the next Run (the hand-over goes through the pool's mutex). Jobs
// must not throw. One engine renders from one thread at a time, so Run is
// not re-entered.
class TARNWELL_SPACE3DENGINE_EXPORT TRenderPool3D {
 public:
  // Starts threads - 1 helpers; a helper the system refuses leaves the pool
  // smaller (down to the calling thread alone).
  explicit TRenderPool3D(int threads) : mRequested(threads) {
    try {
      for (int k = 1; k < threads; ++k) mWorkers.emplace_back([this] { Loop(); });
    } catch (...) {
      // Too few threads is not an error: the frame is the same.
    }
  }
  ~TRenderPool3D() {
    {
      std::lock_guard<std::mutex> lock(mMutex);
      mStop = true;
    }
    mWake.notify_all();
    for (std::thread& t : mWorkers) t.join();
  }
  TRenderPool3D(const TRenderPool3D&) = delete;
  TRenderPool3D& operator=(const TRenderPool3D&) = delete;

  int Threads() const { return int(mWorkers.size()) + 1; }
  int Requested() const { return mRequested; }

  template <class Job>
  void Run(int units, Job&& job) {
    if (mWorkers.empty() || units <= 1) {
      for (int u = 0; u < units; ++u) job(u);
      return;
    }
    std::atomic<int> next{0};
    {
      std::lock_guard<std::mutex> lock(mMutex);
      mTask = {[](void* j, int u) { (*static_cast<std::remove_reference_t<Job>*>(j))(u); }, &job, &next, units};
      mOpen = true;
      ++mGeneration;
    }
    mWake.notify_all();
    for (int u; (u = next.fetch_add(1, std::memory_order_relaxed)) < units;) job(u);
    std::unique_lock<std::mutex> lock(mMutex);
    mOpen = false;  // a helper not yet in stays out
    mDone.wait(lock, [this] { return mActive == 0; });
  }

 private:
  struct Task {
    void (*Call)(void*, int) = nullptr;
    void* Job = nullptr;
    std::atomic<int>* Next = nullptr;
    int Units = 0;
  };

  void Loop() {
    std::uint64_t seen = 0;
    std::unique_lock<std::mutex> lock(mMutex);
    for (;;) {
      mWake.wait(lock, [&] { return mStop || (mOpen && mGeneration != seen); });
      if (mStop) return;
      seen = mGeneration;
      const Task task = mTask;
      ++mActive;
      lock.unlock();
      for (int u; (u = task.Next->fetch_add(1, std::memory_order_relaxed)) < task.Units;) task.Call(task.Job, u);
      lock.lock();
      if (--mActive == 0) mDone.notify_one();
    }
  }

  std::mutex mMutex;
  std::condition_variable mWake, mDone;
  Task mTask;
  std::uint64_t mGeneration = 0;
  int mActive = 0;
  bool mOpen = false, mStop = false;
  const int mRequested;
  std::vector<std::thread> mWorkers;  // last: started once the rest exists
};

}  // namespace Tarnwell
