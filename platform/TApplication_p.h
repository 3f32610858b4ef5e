#pragma once
// The application object's count of handled exceptions, for the tests.

namespace Tarnwell {

// How many exceptions TApplication::HandleException handled so far.
int HandledExceptionCount();

}  // namespace Tarnwell
