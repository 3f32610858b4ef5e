#pragma once
// The five-language string table of the file list view. Each language owns a
// block of identifiers; a text lies at the block's base + offset.

#include <QString>

#include "FileViewTypes.h"
#include <Tarnwell/TarnwellExport.h>

namespace Tarnwell {

// Offsets within a block.
enum TFileViewText {
  ftHeader = 0,
  ftName = 11, ftSize = 12, ftType = 13, ftModified = 14, ftAttr = 15,
  ftUnknown = 21, ftNotExist = 22, ftRemovable = 23, ftFixed = 24, ftNetworkUnit = 25, ftCdRom = 26,
  ftRamDisk = 27,
  ftAllNetwork = 31, ftDeleted = 32, ftNewFolder = 33,
  ftViewStyle = 41, ftLargeIcons = 42, ftSmallIcons = 43, ftList = 44, ftReport = 45, ftImages = 46,
  ftBrowserSetting = 51, ftMasked = 52,
  ftSortIcons = 61, ftByName = 62, ftBySize = 63, ftByType = 64, ftByDate = 65, ftByAttr = 66,
  ftSendTo = 71, ftDelete = 72, ftRename = 73, ftMenuNewFolder = 74, ftOpen = 75,
};

// The text with identifier `id` (base + offset); empty when there is none.
TARNWELL_FILEVIEW_EXPORT QString FileViewString(int id);
// 900 English, 1600 Italian, 1200 French, 700 German, 1000 Spanish; the two
// default languages take the locale's language (the system's or the
// application's default) and fall back to English without a block of its own.
TARNWELL_FILEVIEW_EXPORT int LanguageBase(TFileViewLanguage language);

// Display names of the places the desktop holds, in the language of `base`
// (what the platform's shell would show).
TARNWELL_FILEVIEW_EXPORT QString PlaceDisplayName(const QString& place, int base);

}  // namespace Tarnwell
