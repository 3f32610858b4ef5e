// Measure and monitor displays for assistive technology: a read-only
// value in its range (a progress bar, the nearest role a screen reader on
// every platform knows: "indicator" reaches AT-SPI as an unknown role),
// named by its caption.
#include <Tarnwell/platform/TAccessible.h>

#include "Measdisp.h"
#include "Measure.h"
#include "MoniDisp.h"

namespace Tarnwell {

namespace {

QAccessibleInterface* Factory(const QString&, QObject* o) {
  if (auto* m = qobject_cast<TMonitorDisplay*>(o)) {
    auto* a = new TAccessibleControl(m, QAccessible::ProgressBar);
    a->name = [m] { return m->SignalCaption(); };
    a->description = [m] { return m->SignalDesc(); };
    a->valueText = [m] {
      QString v = QString::number(m->SignalValue());
      const QString state = m->SignalState();
      if (!state.isEmpty()) v += QStringLiteral(" ") + state;
      return v;
    };
    TAccessibleRange r;
    r.current = [m] { return double(m->SignalValue()); };
    r.minimum = [m] { return double(m->SignalValueMin()); };
    r.maximum = [m] { return double(m->SignalValueMax()); };
    a->range = r;
    a->states = [m](QAccessible::State& s) { s.selected = m->Selected(); };
    return a;
  }
  if (auto* d = qobject_cast<TMeasureDisplay*>(o)) {
    auto* a = new TAccessibleControl(d, QAccessible::ProgressBar);
    a->name = [d] { return d->ControlName(); };
    a->description = [d] { return d->ControlWhat(); };
    a->valueText = [d] {
      const TMeasureMonitor* mon = d->Monitor();
      QString v = mon && !mon->ValueText().isEmpty() ? mon->ValueText() : QString::number(d->ControlValue());
      if (mon && mon->AtAlarmLevel()) v += QStringLiteral(" (alarm)");
      return v;
    };
    TAccessibleRange r;
    r.current = [d] { return d->ControlValue(); };
    r.minimum = [d] { return d->MinValue(); };
    r.maximum = [d] { return d->MaxValue(); };
    a->range = r;
    return a;
  }
  return nullptr;
}

}  // namespace

int InstallAccessible_measure() { return InstallAccessibleFactory(&Factory); }

}  // namespace Tarnwell
