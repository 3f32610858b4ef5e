#pragma once

namespace Tarnwell {
// Shows the busy cursor for its lifetime and restores the previous cursor on
// every way out, exceptions included. Nested guards stack.

class THourglass {
 public:
  THourglass();
  ~THourglass();
  THourglass(const THourglass&) = delete;
  THourglass& operator=(const THourglass&) = delete;
  // How many guards are active now (tests use it).
  static int Depth();
};

}  // namespace Tarnwell
