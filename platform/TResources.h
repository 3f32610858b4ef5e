#pragma once
// Pictures and strings loaded by name from the program's resources
// (":/pictures/NAME.png" or ".bmp", ":/strings/NAME.txt").
//
// Each library carries the pictures its components use, compiled into the
// library itself. A static library's resource data would be dropped by the
// linker (nothing refers to it), so one source of the library that uses the
// pictures names them at file scope, outside any namespace:
//
//   TARNWELL_LIBRARY_RESOURCES(tarnwell_pattern)
//
// which registers them when that source is linked in, before main() runs.

#include <QImage>
#include <QString>
#include <QStringList>
#include <Tarnwell/TarnwellExport.h>

namespace Tarnwell {

// Throws EResNotFound naming the picture when there is none of that name.
TARNWELL_PLATFORMCORE_EXPORT QImage LoadResourcePicture(const QString& name);
TARNWELL_PLATFORMCORE_EXPORT bool HasResourcePicture(const QString& name);
// A string table: one string per line. Throws EResNotFound when missing.
TARNWELL_PLATFORMCORE_EXPORT QStringList LoadResourceStrings(const QString& name);

}  // namespace Tarnwell

#define TARNWELL_RESOURCES_NAME2(lib, n) tarnwellResourcesOf_##lib##_##n
#define TARNWELL_RESOURCES_NAME(lib, n) TARNWELL_RESOURCES_NAME2(lib, n)
// Registers the resources compiled into library `lib` (see above); each use
// has a holder of its own, so that sources compiled as one may each name them.
#define TARNWELL_LIBRARY_RESOURCES(lib)                                      \
  int qInitResources_##lib();                                                \
  namespace {                                                                \
  [[maybe_unused]] const int TARNWELL_RESOURCES_NAME(lib, __COUNTER__) =     \
      qInitResources_##lib();                                                \
  }
