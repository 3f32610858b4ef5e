// The 3D viewer and the animated polygon for assistive technology.
#include <QFileInfo>

#include <Tarnwell/platform/TAccessible.h>

#include "Polygon.h"
#include "View3D.h"

namespace Tarnwell {

namespace {

QAccessibleInterface* Factory(const QString&, QObject* o) {
  if (auto* v = qobject_cast<TSpace3DViewer*>(o)) {
    auto* a = new TAccessibleControl(v, QAccessible::Canvas);
    a->name = [v] { return QFileInfo(v->FileName()).fileName(); };
    a->description = [v] {
      if (!v->LoadError().isEmpty()) return v->LoadError();
      return QStringLiteral("3D view, distance %1").arg(double(v->Distance()));
    };
    return a;
  }
  if (auto* p = qobject_cast<TAnimatedPolygon*>(o)) {
    auto* a = new TAccessibleControl(p, QAccessible::Animation);
    a->states = [p](QAccessible::State& s) { s.animated = p->Active(); };
    return a;
  }
  return nullptr;
}

}  // namespace

int InstallAccessible_space3d() { return InstallAccessibleFactory(&Factory); }

}  // namespace Tarnwell
