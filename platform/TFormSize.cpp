#include "TFormSize.h"

#include <QHash>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QVariant>

#include "TControls.h"

namespace Tarnwell {

namespace {
const char* const OuterProperty = "TarnwellDesignOuterSize";
}

void SetDesignOuterSize(TForm* form, int width, int height) {
  if (!form) return;
  form->SetDesignSize(width, height);
  form->setProperty(OuterProperty, true);
  form->resize(DesignClientSize(form));
}

bool DesignSizeIsOuter(const TForm* form) { return form && form->property(OuterProperty).toBool(); }

QMargins FrameMargins(const TForm* form) {
  if (!form) return {};
  if (auto* sub = qobject_cast<QMdiSubWindow*>(form->parentWidget())) return sub->contentsMargins();
  // A frame window measures its title bar and borders only inside an MDI
  // area: a hidden one holding a form of the same border, once per border.
  static QHash<int, QMargins> known;
  const int key = int(form->BorderStyle()) | int(form->BorderIcons()) << 8;
  auto it = known.constFind(key);
  if (it != known.constEnd()) return *it;
  QMdiArea area;
  auto* probe = new TForm;
  probe->setBorderStyle(form->BorderStyle());
  probe->setBorderIcons(form->BorderIcons());
  QMdiSubWindow* sub = area.addSubWindow(probe);
  probe->ApplyBorder();
  sub->ensurePolished();
  return *known.insert(key, sub->contentsMargins());
}

QSize DesignClientSize(const TForm* form) {
  if (!form) return {};
  if (!DesignSizeIsOuter(form)) return form->DesignSize();
  const QMargins m = FrameMargins(form);
  return (form->DesignSize() - QSize(m.left() + m.right(), m.top() + m.bottom())).expandedTo(QSize(1, 1));
}

}  // namespace Tarnwell
