// The scroll rule and the button queues for assistive technology.
#include <Tarnwell/platform/TAccessible.h>

#include "BtnQueDs.h"
#include "EnhScrol.h"

namespace Tarnwell {

namespace {

QAccessibleInterface* Factory(const QString&, QObject* o) {
  if (auto* q = qobject_cast<TBtnQueDisplay*>(o)) {
    auto* a = new TAccessibleControl(q, QAccessible::ToolBar);
    TAccessibleElements el;
    el.count = [q] { return q->ButtonCount(); };
    el.name = [q](int i) {
      const QString c = q->Button(i).Caption;
      return c.isEmpty() ? QStringLiteral("Button %1").arg(i + 1) : c;
    };
    el.rect = [q](int i) {
      const TBtnQueObject& b = q->Button(i);
      return QRect(b.X, 0, b.Width, q->height()).intersected(q->rect());
    };
    el.states = [q](int i, QAccessible::State& s) {
      if (q->PressedButton() == i) s.pressed = true;
    };
    el.press = [q](int i) {
      const TBtnQueObject& b = q->Button(i);
      AccessibleClickAt(q, QPoint(b.X + b.Width / 2, q->height() / 2));
    };
    a->elements = el;
    return a;
  }
  if (auto* box = qobject_cast<TEnhScrollBox*>(o)) {
    auto* a = new TAccessibleControl(box, QAccessible::Pane);
    a->description = [box] {
      return QStringLiteral("scrolled to %1, %2").arg(box->LeftPosition()).arg(box->TopPosition());
    };
    return a;
  }
  if (auto* rule = qobject_cast<TScrollRule*>(o)) {
    auto* a = new TAccessibleControl(rule, QAccessible::Graphic);
    a->description = [rule] {
      return rule->Direction() == srdHorizontal ? QStringLiteral("horizontal rule") : QStringLiteral("vertical rule");
    };
    // What the rule shows at its start: the label of the first cell in view.
    a->valueText = [rule] {
      const int pos = rule->Direction() == srdHorizontal ? rule->LeftPosition() : rule->TopPosition();
      const int pitch = std::max(1, rule->Pitch());
      return rule->CellLabel(std::max(0, pos / pitch));
    };
    return a;
  }
  return nullptr;
}

}  // namespace

int InstallAccessible_scroll() { return InstallAccessibleFactory(&Factory); }

}  // namespace Tarnwell
