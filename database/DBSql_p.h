#pragma once
// Shared inside the SQL side of the layer (engine, SQL datasets, queries).

#include <QSqlError>
#include <QVariant>

#include "DBTypes.h"

namespace Tarnwell {

// The failure `what` with the engine's own message appended.
EDatabaseError EngineError(const QString& what, const QSqlError& e);
// A value in the form it is bound to a statement (dates as ISO text, ...).
QVariant BindForm(const QVariant& v);

}  // namespace Tarnwell
