#pragma once
// The clock of the enhanced query's date markers, fixed by the tests.

#include <QDateTime>
#include <functional>

namespace Tarnwell {

// Replaces the clock TEnhQuery::CurrentDateTime reads; empty restores the
// system clock.
void SetEnhQueryClock(std::function<QDateTime()> clock);

}  // namespace Tarnwell
