#pragma once
// Internal counters of the change watcher, for the tests.

#include "ChangeNotify.h"

namespace Tarnwell {

template <>
struct TProbe<TShellChangeNotifyThread> {
  static int Calls(const TShellChangeNotifyThread& o) { return o.mCalls; }
};
// How many times Callback ran.
inline int Calls(const TShellChangeNotifyThread& o) { return TProbe<TShellChangeNotifyThread>::Calls(o); }

}  // namespace Tarnwell
