#include "FileIcons.h"

#include <QFileIconProvider>
#include <QHash>
#include <QMimeDatabase>

namespace Tarnwell {

namespace {

QHash<QString, QIcon>& Cache() {
  static QHash<QString, QIcon> c;
  return c;
}

QFileIconProvider& Provider() {
  static QFileIconProvider p;
  return p;
}

QIcon Themed(const QStringList& names, QAbstractFileIconProvider::IconType fallback) {
  for (const QString& n : names)
    if (!n.isEmpty() && QIcon::hasThemeIcon(n)) return QIcon::fromTheme(n);
  return Provider().icon(fallback);
}

}  // namespace

QIcon FolderIcon(bool open) {
  const QString key = open ? QStringLiteral("#folder-open") : QStringLiteral("#folder");
  auto it = Cache().find(key);
  if (it == Cache().end())
    it = Cache().insert(key, Themed({open ? QStringLiteral("folder-open") : QStringLiteral("folder")},
                                    QAbstractFileIconProvider::Folder));
  return *it;
}

QIcon PlaceIcon(const QString& place) {
  const QString key = QStringLiteral("#place:") + place.toLower();
  auto it = Cache().find(key);
  if (it != Cache().end()) return *it;
  QIcon icon;
  if (place.compare(QLatin1String(kPlaceDesktop), Qt::CaseInsensitive) == 0)
    icon = Themed({QStringLiteral("user-desktop")}, QAbstractFileIconProvider::Desktop);
  else if (place.compare(QLatin1String(kPlaceDrives), Qt::CaseInsensitive) == 0)
    icon = Themed({QStringLiteral("computer")}, QAbstractFileIconProvider::Computer);
  else if (place.compare(QLatin1String(kPlaceNetwork), Qt::CaseInsensitive) == 0)
    icon = Themed({QStringLiteral("network-workgroup")}, QAbstractFileIconProvider::Network);
  else if (place.compare(QLatin1String(kPlaceRecycled), Qt::CaseInsensitive) == 0)
    icon = Themed({QStringLiteral("user-trash")}, QAbstractFileIconProvider::Trashcan);
  else
    icon = Themed({QStringLiteral("drive-harddisk")}, QAbstractFileIconProvider::Drive);
  return *Cache().insert(key, icon);
}

QIcon FileItemIcon(const TFileItem& item) {
  switch (item.Kind) {
    case TItemKind::Folder: return FolderIcon(false);
    case TItemKind::Drive: return PlaceIcon(item.Name);
    case TItemKind::Network: return PlaceIcon(QLatin1String(kPlaceNetwork));
    case TItemKind::Special: return PlaceIcon(item.Name);
    case TItemKind::Link:
      if (item.LinkToFolder) return FolderIcon(false);
      break;
    case TItemKind::File: break;
  }
  const QString key = item.MimeName.isEmpty() ? QStringLiteral("application/octet-stream") : item.MimeName;
  auto it = Cache().find(key);
  if (it != Cache().end()) return *it;
  static QMimeDatabase db;
  const QMimeType mt = db.mimeTypeForName(key);
  const QIcon icon = Themed({mt.iconName(), mt.genericIconName()}, QAbstractFileIconProvider::File);
  return *Cache().insert(key, icon);
}

int FileIconCacheSize() { return int(Cache().size()); }

}  // namespace Tarnwell
