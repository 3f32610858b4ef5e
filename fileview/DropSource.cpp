#include "DropSource.h"

#include "FileEntries.h"

#include <QDrag>
#include <QMimeData>
#include <QUrl>
#include <QWidget>
#include <new>

namespace Tarnwell {

namespace {
TDropSource::TDragRunner& Runner() {
  static TDropSource::TDragRunner r;
  return r;
}
}  // namespace

TDropSource::TDropSource(QObject* parent) : QObject(parent) {}

TDropSource::TDragRunner TDropSource::SetDragRunner(TDragRunner runner) {
  TDragRunner old = Runner();
  Runner() = std::move(runner);
  return old;
}

Qt::DropActions TDropSource::Offered() const {
  if (AllowedOp == 1) return Qt::CopyAction;
  if (AllowedOp == 2) return Qt::MoveAction;
  return Qt::CopyAction | Qt::MoveAction;
}

int TDropSource::ResultOf(Qt::DropAction taken, Qt::DropActions offered) {
  if (taken == Qt::IgnoreAction || !(offered & taken)) return drCancelled;
  if (taken == Qt::CopyAction || taken == Qt::LinkAction) return drCopied;
  return drMoved;  // a drop without the copy effect
}

int TDropSource::Execute(QWidget* source) {
  try {
    QMimeData* data = MakeData();
    if (!data) return drCancelled;
    auto* drag = new QDrag(source);
    drag->setMimeData(data);
    LastEffect = Qt::IgnoreAction;
    connect(drag, &QDrag::actionChanged, this, [this](Qt::DropAction a) { LastEffect = a; });
    const Qt::DropActions offered = Offered();
    const Qt::DropAction preferred = (offered & Qt::CopyAction) ? Qt::CopyAction : Qt::MoveAction;
    Qt::DropAction taken;
    if (Runner()) {
      taken = Runner()(*drag, offered, preferred);
      drag->deleteLater();
    } else {
      taken = drag->exec(offered, preferred);  // the drag manager disposes of the drag
    }
    if (taken != Qt::IgnoreAction) LastEffect = taken;
    return ResultOf(taken, offered);
  } catch (const std::bad_alloc&) {
    return drOutOfMemory;
  } catch (...) {
    return drFailed;
  }
}

TDropFileSource::TDropFileSource(QObject* parent) : TDropSource(parent) {}

QMimeData* TDropFileSource::MakeData() const {
  const bool raw = !RawFiles.isEmpty() && RawFiles.size() == Files.size();
  if (Files.isEmpty()) return nullptr;
  QList<QUrl> urls;
  for (qsizetype i = 0; i < Files.size(); ++i)
    urls << (raw ? RawPathUrl(RawFiles[i]) : QUrl::fromLocalFile(Files[i]));
  auto* data = new QMimeData;
  data->setUrls(urls);  // text/uri-list, each byte outside the safe set as %XX
  data->setText(Files.join(QLatin1Char('\n')));
  return data;
}

}  // namespace Tarnwell
