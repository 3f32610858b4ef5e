#pragma once
// The enumerations of the file list view family, registered so that the
// properties of these types take their enumerator names.

#include <QObject>
#include <Tarnwell/TarnwellExport.h>

namespace Tarnwell {

namespace FileViewTypes {
Q_NAMESPACE_EXPORT(TARNWELL_FILEVIEW_EXPORT)
// The language of a file list's column titles and texts.
enum TFileViewLanguage { lnSystemDefault, lnUserDefault, lnEnglish, lnItalian, lnFrench, lnGerman, lnSpanish };
Q_ENUM_NS(TFileViewLanguage)
// The column a file list is sorted by, ascending or (...Inv) descending.
enum TSortedBy { sbName, sbSize, sbType, sbDate, sbAttr, sbNameInv, sbSizeInv, sbTypeInv, sbDateInv, sbAttrInv };
Q_ENUM_NS(TSortedBy)
// How a file list shows its files: large icons, small icons, a list or a report with columns.
enum TViewIconStyle { visIcon, visSmallIcon, visList, visReport };
Q_ENUM_NS(TViewIconStyle)
// Attribute flags of the files a file list shows: read-only, hidden, system.
enum TFileListViewAttr { flvReadOnly = 1, flvHidden = 2, flvSystem = 4 };
Q_DECLARE_FLAGS(TFileListViewType, TFileListViewAttr)
Q_FLAG_NS(TFileListViewType)
}  // namespace FileViewTypes
using namespace FileViewTypes;
Q_DECLARE_OPERATORS_FOR_FLAGS(FileViewTypes::TFileListViewType)

// The places that are not folders, as Directory spells them (compared
// without regard to case).
inline const char* const kPlaceDesktop = "DeskTop";
inline const char* const kPlaceDrives = "Drives";
inline const char* const kPlaceNetwork = "NetWork";
inline const char* const kPlaceRecycled = "Recycled";

}  // namespace Tarnwell
