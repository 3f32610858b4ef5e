#pragma once
// Dragging files out of a window to any drop target (file managers, other
// programs): the files travel as text/uri-list, copied unless the target
// asks for a move.

#include <QObject>
#include <QByteArray>
#include <QList>
#include <QStringList>
#include <functional>
#include <Tarnwell/TarnwellExport.h>

class QDrag;
class QMimeData;
class QWidget;

namespace Tarnwell {

// The start of a drag out of a control: MakeData gives what is dragged, Execute runs the
// drag with the copy and move actions AllowedOp permits and tells how it ended
// (TDragResult).
class TARNWELL_FILEVIEW_EXPORT TDropSource : public QObject {
  Q_OBJECT
 public:
  // The outcomes of Execute.
  enum TDragResult { drCopied = 0, drMoved = 1, drCancelled = 2, drOutOfMemory = 3, drFailed = 4 };
  Q_ENUM(TDragResult)

  explicit TDropSource(QObject* parent = nullptr);

  // 1 copy only, 2 move only, anything else copy or move.
  int AllowedOp = 0;
  // The effect the target last offered during the drag.
  Qt::DropAction LastEffect = Qt::IgnoreAction;

  // Runs the drag from `source` (modal, in the GUI thread) and tells how it
  // ended. Nothing to drag is a cancelled drag.
  int Execute(QWidget* source);

  // The data on offer (owned by the drag once it starts); null: nothing.
  virtual QMimeData* MakeData() const = 0;

  // Runs a prepared drag and returns the action taken; tests replace it to
  // play a drop target. The default runs QDrag::exec.
  using TDragRunner = std::function<Qt::DropAction(QDrag& drag, Qt::DropActions offered, Qt::DropAction preferred)>;
  static TDragRunner SetDragRunner(TDragRunner runner);

  // The result for an action the target took, given what was offered.
  static int ResultOf(Qt::DropAction taken, Qt::DropActions offered);
  Qt::DropActions Offered() const;
};

// A drag of files: their paths as URLs (text/uri-list), from RawFiles when set so that names
// that are no UTF-8 travel exactly.
class TARNWELL_FILEVIEW_EXPORT TDropFileSource : public TDropSource {
  Q_OBJECT
 public:
  explicit TDropFileSource(QObject* parent = nullptr);
  // Absolute paths of the files to drag.
  QStringList Files;
  // The same paths as the file system spells them; when set, the URLs are
  // made from these bytes (a name that is no UTF-8 travels exactly).
  QList<QByteArray> RawFiles;
  QMimeData* MakeData() const override;
};

}  // namespace Tarnwell
