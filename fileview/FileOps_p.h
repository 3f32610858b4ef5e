#pragma once
// Inside the file operations: the temporary names copies write under.

#include <QByteArray>
#include <Tarnwell/TarnwellExport.h>

namespace Tarnwell {

// ".tarnwell-<machine>-<pid>-<n>.part": the name the n-th copy of process
// `pid` on this machine writes an entry under before it takes its name.
TARNWELL_FILEVIEW_EXPORT QByteArray CopyPartName(qint64 pid, quint64 n);

}  // namespace Tarnwell
