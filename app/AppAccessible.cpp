// The report preview for assistive technology: a document whose value is
// the page shown.
#include <Tarnwell/platform/TAccessible.h>

#include "QuickRpt.h"

namespace Tarnwell {

namespace {

QAccessibleInterface* Factory(const QString&, QObject* o) {
  auto* p = qobject_cast<TQRPreview*>(o);
  if (!p) return nullptr;
  auto* a = new TAccessibleControl(p, QAccessible::Document);
  a->valueText = [p] {
    return p->PageCount() > 0 ? QStringLiteral("page %1 of %2").arg(p->PageNumber()).arg(p->PageCount()) : QString();
  };
  return a;
}

}  // namespace

int InstallAccessible_app() { return InstallAccessibleFactory(&Factory); }

}  // namespace Tarnwell
