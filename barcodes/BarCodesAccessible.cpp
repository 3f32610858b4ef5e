// A bar code for assistive technology: a picture whose value is the text it
// encodes, described by its symbology.
#include <QMetaEnum>

#include <Tarnwell/platform/TAccessible.h>

#include "BarCodes.h"

namespace Tarnwell {

namespace {

QAccessibleInterface* Factory(const QString&, QObject* o) {
  auto* bc = qobject_cast<TCustomBarCodes*>(o);
  if (!bc) return nullptr;
  auto* a = new TAccessibleControl(bc, QAccessible::Graphic);
  a->name = [bc] { return bc->Caption(); };
  a->valueText = [bc] { return bc->Caption(); };
  if (auto* full = qobject_cast<TBarCodes*>(bc))
    a->description = [full] {
      const QMetaEnum e = QMetaEnum::fromType<BarCodeTypes::TBarCodesType>();
      const char* key = e.valueToKey(full->A_CodeType());
      return QStringLiteral("bar code %1").arg(key ? QString::fromLatin1(key).mid(2) : QString());
    };
  return a;
}

}  // namespace

int InstallAccessible_barcodes() { return InstallAccessibleFactory(&Factory); }

}  // namespace Tarnwell
