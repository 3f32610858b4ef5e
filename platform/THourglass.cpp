#include "THourglass.h"

#include <QCursor>
#include <QGuiApplication>

namespace Tarnwell {

namespace {
int gDepth = 0;
}

THourglass::THourglass() {
  ++gDepth;
  if (qobject_cast<QGuiApplication*>(QCoreApplication::instance()))
    QGuiApplication::setOverrideCursor(QCursor(Qt::WaitCursor));
}

THourglass::~THourglass() {
  --gDepth;
  if (qobject_cast<QGuiApplication*>(QCoreApplication::instance())) QGuiApplication::restoreOverrideCursor();
}

int THourglass::Depth() { return gDepth; }

}  // namespace Tarnwell
