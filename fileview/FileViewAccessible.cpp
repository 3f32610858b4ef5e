// The file list view for assistive technology: a pane named after its
// folder; the list or report view inside it is Qt's own, with its rows and
// cells.
#include <Tarnwell/platform/TAccessible.h>

#include "FileList.h"

namespace Tarnwell {

namespace {

QAccessibleInterface* Factory(const QString&, QObject* o) {
  auto* v = qobject_cast<TFileListViewLite*>(o);
  if (!v) return nullptr;
  auto* a = new TAccessibleControl(v, QAccessible::Pane);
  a->valueText = [v] { return v->Directory(); };
  a->states = [v](QAccessible::State& s) { s.busy = v->Reading(); };
  return a;
}

}  // namespace

int InstallAccessible_fileview() { return InstallAccessibleFactory(&Factory); }

}  // namespace Tarnwell
