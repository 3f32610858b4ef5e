#pragma once
// The widget part of the platform offers its message-box exception handler
// to InitializeTarnwell(), which lives in the core part.

#include "TExceptions.h"
#include <Tarnwell/TarnwellExport.h>

namespace Tarnwell {

// The handler InitializeTarnwell() installs when the program has set none.
TARNWELL_PLATFORMCORE_EXPORT void SetInitialExceptionHandler(TExceptionHandler handler);

}  // namespace Tarnwell
