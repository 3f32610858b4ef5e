// The graph for assistive technology: a chart described by the ranges it
// shows and, under the mouse, the point it reads.
#include <Tarnwell/platform/TAccessible.h>

#include "Graph2D.h"

namespace Tarnwell {

namespace {

QAccessibleInterface* Factory(const QString&, QObject* o) {
  auto* g = qobject_cast<TCustomGraph2D*>(o);
  if (!g) return nullptr;
  auto* a = new TAccessibleControl(g, QAccessible::Chart);
  a->description = [g] {
    const TGraphRange r = g->Range();
    return QStringLiteral("x %1 .. %2, y %3 .. %4%5")
        .arg(r.XMin)
        .arg(r.XMax)
        .arg(r.YMin)
        .arg(r.YMax)
        .arg(g->IsZoomed() ? QStringLiteral(", zoomed") : QString());
  };
  a->valueText = [g] {
    if (g->MouseXText().isEmpty() && g->MouseYText().isEmpty()) return QString();
    return g->MouseXText() + QStringLiteral("; ") + g->MouseYText();
  };
  return a;
}

}  // namespace

int InstallAccessible_graph() { return InstallAccessibleFactory(&Factory); }

}  // namespace Tarnwell
