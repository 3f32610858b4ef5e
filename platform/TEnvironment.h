#pragma once
// The process environment of this project's own programs.

#include <Tarnwell/TarnwellExport.h>

namespace Tarnwell {

// For the programs of this project (showcase, tools, tests), called before
// the application object exists: gives a session without one a private
// runtime folder (XDG_RUNTIME_DIR) instead of Qt's warning about it, and
// keeps the headless platform's notes about window hints it cannot honour
// out of the output. Host programs need not call it.
TARNWELL_PLATFORMCORE_EXPORT void PrepareProgramEnvironment();

}  // namespace Tarnwell
