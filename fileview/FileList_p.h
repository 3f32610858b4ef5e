#pragma once
// Internal counters and the opening hook of the file list, for the tests and
// benchmarks.

#include <QStringList>
#include <functional>

#include "FileList.h"
#include <Tarnwell/TarnwellExport.h>

namespace Tarnwell {

template <>
struct TProbe<TFileListViewLite> {
  static int ReadCount(const TFileListViewLite& v) { return v.mReadCount; }
  static double LongestStepMs(const TFileListViewLite& v) { return v.mLongestStepMs; }
};
// How many listings finished.
inline int ReadCount(const TFileListViewLite& v) { return TProbe<TFileListViewLite>::ReadCount(v); }
// The longest single step the last folder listing took on the GUI thread
// (handing rows to the view), in milliseconds of processor time.
inline double LongestStepMs(const TFileListViewLite& v) { return TProbe<TFileListViewLite>::LongestStepMs(v); }

// Replaces how a file is opened or a program run with arguments (all file
// lists of the process); returns the previous hook (empty: the desktop's).
using TFileOpenHook = std::function<bool(const QString& file, const QStringList& args)>;
TARNWELL_FILEVIEW_EXPORT TFileOpenHook SetFileOpenHook(TFileOpenHook hook);

}  // namespace Tarnwell
