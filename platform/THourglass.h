#pragma once

#include <Tarnwell/TarnwellExport.h>

namespace Tarnwell {
// Shows the busy cursor for its lifetime and restores the previous cursor on
// every way out, exceptions included. Nested guards stack.

class TARNWELL_PLATFORMCORE_EXPORT THourglass {
 public:
  THourglass();
  ~THourglass();
  THourglass(const THourglass&) = delete;
  THourglass& operator=(const THourglass&) = delete;
  // How many guards are active now (tests use it).
  static int Depth();
};

}  // namespace Tarnwell
