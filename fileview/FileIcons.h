#pragma once
// One process-wide icon cache for the file list view and the directory
// combo, so both show the same picture for a type: the icon theme's icon of
// the MIME type (chosen by name, not content), else the platform's file icon
// provider. Cached per type; GUI thread only.

#include <QIcon>

#include "FileEntries.h"

namespace Tarnwell {

QIcon FileItemIcon(const TFileItem& item);
// Icons of the places: "DeskTop", "Drives", "NetWork", "Recycled", a mount
// root, a folder (open or closed).
QIcon PlaceIcon(const QString& place);
QIcon FolderIcon(bool open = false);
// How many different icons were made so far.
int FileIconCacheSize();

}  // namespace Tarnwell
