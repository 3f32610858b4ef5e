// The run-time designer's selection for assistive technology: the overlay
// that draws the handles is a graphic named after the control it marks, with
// that control's place as its value.
#include <QPointer>

#include <Tarnwell/platform/TAccessible.h>

#include "DsgnRunT.h"

namespace Tarnwell {

namespace {

TDesignAtRunTime* DesignerOf(QWidget* overlay) {
  for (QWidget* w = overlay->parentWidget(); w; w = w->parentWidget())
    for (TDesignAtRunTime* d : w->findChildren<TDesignAtRunTime*>())
      if (d->Overlay() == overlay) return d;
  return nullptr;
}

QAccessibleInterface* Factory(const QString& className, QObject* o) {
  if (className != QLatin1String("QWidget") || !o->isWidgetType() ||
      o->objectName() != QLatin1String("DesignSelector"))
    return nullptr;
  auto* overlay = static_cast<QWidget*>(o);
  QPointer<TDesignAtRunTime> designer = DesignerOf(overlay);
  if (!designer) return nullptr;
  auto* a = new TAccessibleControl(overlay, QAccessible::Graphic);
  a->name = [designer] {
    QWidget* c = designer ? designer->MarkedControl() : nullptr;
    return c ? QStringLiteral("Selection: %1").arg(c->objectName()) : QStringLiteral("Selection");
  };
  a->valueText = [designer] {
    QWidget* c = designer ? designer->MarkedControl() : nullptr;
    if (!c) return QString();
    const QRect g = c->geometry();
    return QStringLiteral("%1, %2, %3 x %4").arg(g.x()).arg(g.y()).arg(g.width()).arg(g.height());
  };
  return a;
}

}  // namespace

int InstallAccessible_rtdesign() { return InstallAccessibleFactory(&Factory); }

}  // namespace Tarnwell
