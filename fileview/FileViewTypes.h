#pragma once
// The enumerations of the file list view family, registered so that the
// properties of these types take their enumerator names.

#include <QObject>

namespace Tarnwell {

namespace FileViewTypes {
Q_NAMESPACE
enum TFileViewLanguage { lnSystemDefault, lnUserDefault, lnEnglish, lnItalian, lnFrench, lnGerman, lnSpanish };
Q_ENUM_NS(TFileViewLanguage)
enum TSortedBy { sbName, sbSize, sbType, sbDate, sbAttr, sbNameInv, sbSizeInv, sbTypeInv, sbDateInv, sbAttrInv };
Q_ENUM_NS(TSortedBy)
enum TViewIconStyle { visIcon, visSmallIcon, visList, visReport };
Q_ENUM_NS(TViewIconStyle)
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
