#pragma once
// One process-wide icon cache for the file list view and the directory
// combo, so both show the same picture for a type: the icon theme's icon of
// the MIME type (chosen by name, not content), else the platform's file icon
// provider. Cached per type; GUI thread only.

#include <QIcon>

#include "FileEntries.h"
#include <Tarnwell/TarnwellExport.h>

namespace Tarnwell {

TARNWELL_FILEVIEW_EXPORT QIcon FileItemIcon(const TFileItem& item);
// Icons of the places: "DeskTop", "Drives", "NetWork", "Recycled", a mount
// root, a folder (open or closed).
TARNWELL_FILEVIEW_EXPORT QIcon PlaceIcon(const QString& place);
TARNWELL_FILEVIEW_EXPORT QIcon FolderIcon(bool open = false);
// How many different icons were made so far.
TARNWELL_FILEVIEW_EXPORT int FileIconCacheSize();

}  // namespace Tarnwell
