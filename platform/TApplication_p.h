#pragma once
// The application object's count of handled exceptions, for the tests.

#include <Tarnwell/TarnwellExport.h>

namespace Tarnwell {

// How many exceptions TApplication::HandleException handled so far.
TARNWELL_PLATFORM_EXPORT int HandledExceptionCount();

}  // namespace Tarnwell
