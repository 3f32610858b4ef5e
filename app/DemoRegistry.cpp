#include "DemoRegistry.h"

#include <QStringList>
#include <utility>
#include <vector>

namespace Tarnwell {

namespace {
std::vector<std::pair<QString, TDemoWindowFactory>>& Table() {
  static std::vector<std::pair<QString, TDemoWindowFactory>> table;
  return table;
}
}  // namespace

void RegisterDemoWindow(const char* windowClass, TDemoWindowFactory create) {
  const QString name = QString::fromLatin1(windowClass);
  for (auto& entry : Table())
    if (entry.first == name) {
      entry.second = create;
      return;
    }
  Table().emplace_back(name, create);
}

TDemoWindowFactory FindDemoWindow(const char* windowClass) {
  const QString name = QString::fromLatin1(windowClass);
  for (const auto& entry : Table())
    if (entry.first == name) return entry.second;
  return nullptr;
}

QStringList RegisteredDemoWindows() {
  QStringList names;
  for (const auto& entry : Table()) names << entry.first;
  return names;
}

}  // namespace Tarnwell
