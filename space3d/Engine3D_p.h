#pragma once
// The engine's private parts: the small pool of threads that draws a frame in
// horizontal bands. Not installed.

#include <condition_variable>
#include <cstdint>
#include <mutex>
#include <thread>
#include <type_traits>
#include <vector>

namespace Tarnwell {

// Where the engine's primitives draw: the frame's pixels (and depths, for
// the depth-buffered level) and the rows RowLo..RowHi, inside the frame,
// that one call may touch. A thread drawing a band gets that band's rows.
struct TRasterTarget3D {
  std::uint32_t* Bits = nullptr;
  float* Depth = nullptr;
  int Width = 0, Height = 0, RowLo = 0, RowHi = -1;
};

// Persistent helper threads for the engine. Run(job) calls job(k) once for
// every k in 0..Threads()-1, the calling thread taking k = 0, and returns when
// all of them have finished; what a job wrote is then visible to the caller
// and to the next Run (the hand-over goes through the pool's mutex). Jobs must
// not throw. One engine renders from one thread at a time, so Run is not
// re-entered.
class TRenderPool3D {
 public:
  // Starts threads - 1 helpers; a helper the system refuses leaves the pool
  // smaller (down to the calling thread alone).
  explicit TRenderPool3D(int threads) {
    try {
      for (int k = 1; k < threads; ++k) mWorkers.emplace_back([this, k] { Loop(k); });
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

  template <class Job>
  void Run(Job&& job) {
    if (mWorkers.empty()) {
      job(0);
      return;
    }
    Thunk thunk{[](void* j, int k) { (*static_cast<std::remove_reference_t<Job>*>(j))(k); }, &job};
    {
      std::lock_guard<std::mutex> lock(mMutex);
      mThunk = thunk;
      mPending = int(mWorkers.size());
      ++mGeneration;
    }
    mWake.notify_all();
    job(0);
    std::unique_lock<std::mutex> lock(mMutex);
    mDone.wait(lock, [this] { return mPending == 0; });
  }

 private:
  struct Thunk {
    void (*Call)(void*, int) = nullptr;
    void* Job = nullptr;
  };

  void Loop(int k) {
    std::uint64_t seen = 0;
    for (;;) {
      Thunk thunk;
      {
        std::unique_lock<std::mutex> lock(mMutex);
        mWake.wait(lock, [&] { return mStop || mGeneration != seen; });
        if (mStop) return;
        seen = mGeneration;
        thunk = mThunk;
      }
      thunk.Call(thunk.Job, k);
      bool last;
      {
        std::lock_guard<std::mutex> lock(mMutex);
        last = --mPending == 0;
      }
      if (last) mDone.notify_one();
    }
  }

  std::mutex mMutex;
  std::condition_variable mWake, mDone;
  Thunk mThunk;
  std::uint64_t mGeneration = 0;
  int mPending = 0;
  bool mStop = false;
  std::vector<std::thread> mWorkers;  // last: started once the rest exists
};

}  // namespace Tarnwell
