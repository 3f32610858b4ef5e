#pragma once
// The widget part of the platform offers its message-box exception handler
// to InitializeTarnwell(), which lives in the core part.

#include "TExceptions.h"

namespace Tarnwell {

// The handler InitializeTarnwell() installs when the program has set none.
void SetInitialExceptionHandler(TExceptionHandler handler);

}  // namespace Tarnwell
