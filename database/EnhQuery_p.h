#pragma once
// The clock of the enhanced query's date markers, fixed by the tests.

#include <QDateTime>
#include <functional>
#include <Tarnwell/TarnwellExport.h>

namespace Tarnwell {

// Replaces the clock TEnhQuery::CurrentDateTime reads; empty restores the
// system clock.
TARNWELL_DATABASE_EXPORT void SetEnhQueryClock(std::function<QDateTime()> clock);

}  // namespace Tarnwell
