// What the simple visual components tell assistive technology.
#include <QAccessibleActionInterface>

#include <Tarnwell/platform/TAccessible.h>

#include "Button3D.h"
#include "ColSelec.h"
#include "DTEdit.h"
#include "ERombBtn.h"
#include "GraphLed.h"
#include "Label3D.h"
#include "LabelAng.h"
#include "URLLabel.h"

namespace Tarnwell {

namespace {

QString FieldName(const TDateTimeEdit* e, int i) {
  static const char* const date[4] = {"day", "month", "century", "year"};
  static const char* const time[3] = {"hours", "minutes", "seconds"};
  if (e->DTType() == dteDate) return i >= 0 && i < 4 ? QString::fromLatin1(date[i]) : QString();
  return i >= 0 && i < 3 ? QString::fromLatin1(time[i]) : QString();
}

QAccessibleInterface* ButtonRow(TButtonArray* row) {
  auto* a = new TAccessibleControl(row, QAccessible::ToolBar);
  TAccessibleElements el;
  el.count = [row] { return row->Count(); };
  el.name = [row](int i) {
    if (auto* edit = qobject_cast<TDateTimeEdit*>(row->parentWidget())) {
      const bool up = row == edit->UpButtons();
      return (up ? QStringLiteral("Increase ") : QStringLiteral("Decrease ")) + FieldName(edit, i);
    }
    return QStringLiteral("Button %1").arg(i + 1);
  };
  el.rect = [row](int i) {
    const int bw = row->ButtonWidth();
    return QRect(i * bw, 0, bw, row->height());
  };
  el.states = [row](int i, QAccessible::State& s) {
    s.focusable = row->focusPolicy() != Qt::NoFocus;
    if (row->PressedIndex() == i) s.pressed = true;
    if (row->hasFocus() && row->CurrentIndex() == i) s.focused = true;
  };
  el.press = [row](int i) {
    row->PressButton(i);
    row->ReleaseButton(true);
  };
  a->elements = el;
  return a;
}

QString RombName(TEnhRombButtonPressed b) {
  switch (b) {
    case erbUp: return QStringLiteral("Up");
    case erbLeft: return QStringLiteral("Left");
    case erbDown: return QStringLiteral("Down");
    case erbRight: return QStringLiteral("Right");
    case erbNone: break;
  }
  return QString();
}

QAccessibleInterface* RombPad(TEnhRombButtons* pad) {
  auto* a = new TAccessibleControl(pad, QAccessible::Grouping);
  TAccessibleElements el;
  el.count = [] { return 4; };
  el.name = [](int i) { return RombName(TEnhRombButtonPressed(i + 1)); };
  el.rect = [pad](int i) {
    const TPoint o = pad->RombOrigin(TEnhRombButtonPressed(i + 1));
    return QRect(o.x(), o.y(), 2 * pad->HalfWidth() + 1, 2 * pad->HalfHeight() + 1);
  };
  el.states = [pad](int i, QAccessible::State& s) {
    if (pad->ButtonDown() == TEnhRombButtonPressed(i + 1)) s.pressed = true;
  };
  el.press = [pad](int i) { pad->Click(TEnhRombButtonPressed(i + 1)); };
  a->elements = el;
  return a;
}

QAccessibleInterface* Factory(const QString&, QObject* o) {
  if (!o || !o->isWidgetType()) return nullptr;
  if (auto* led = qobject_cast<TGraphicLed*>(o)) {
    // A lamp that is on or off: a check box the user cannot change
    // ("indicator" reaches AT-SPI as an unknown role).
    auto* a = new TAccessibleControl(led, QAccessible::CheckBox);
    a->name = [led] { return led->Caption(); };
    a->valueText = [led] { return led->Checked() ? QStringLiteral("on") : QStringLiteral("off"); };
    a->states = [led](QAccessible::State& s) {
      s.readOnly = true;
      s.checkable = true;
      s.checked = led->Checked();
    };
    return a;
  }
  if (auto* url = qobject_cast<TURLLabel*>(o)) {
    auto* a = new TAccessibleControl(url, QAccessible::Link);
    a->name = [url] { return url->Caption(); };
    a->description = [url] { return url->URL(); };
    a->states = [](QAccessible::State& s) { s.linked = true; };
    a->AddAction(QAccessibleActionInterface::pressAction(), [url] { url->Click(); });
    return a;
  }
  if (auto* l = qobject_cast<TLabel3D*>(o)) {
    auto* a = new TAccessibleControl(l, QAccessible::StaticText);
    a->name = [l] { return l->Caption(); };
    return a;
  }
  if (auto* l = qobject_cast<TLabelAngle*>(o)) {
    auto* a = new TAccessibleControl(l, QAccessible::StaticText);
    a->name = [l] { return l->Caption(); };
    return a;
  }
  if (auto* b = qobject_cast<TSphericalButton*>(o)) {
    auto* a = new TAccessibleControl(b, QAccessible::Button);
    a->states = [b](QAccessible::State& s) {
      if (b->MouseState() == 2) s.pressed = true;
      if (b->MouseState() == 1) s.hotTracked = true;
    };
    a->AddAction(QAccessibleActionInterface::pressAction(), [b] { b->PerformClick(); });
    return a;
  }
  if (auto* row = qobject_cast<TButtonArray*>(o)) return ButtonRow(row);
  if (auto* pad = qobject_cast<TEnhRombButtons*>(o)) return RombPad(pad);
  if (auto* e = qobject_cast<TDateTimeEdit*>(o)) {
    auto* a = new TAccessibleControl(e, QAccessible::SpinBox);
    a->valueText = [e] { return e->DisplayText(); };
    a->description = [e] { return QStringLiteral("Field: ") + FieldName(e, e->CurrentField()); };
    a->AddAction(QAccessibleActionInterface::increaseAction(), [e] { e->StepGroup(e->CurrentField(), 1); });
    a->AddAction(QAccessibleActionInterface::decreaseAction(), [e] { e->StepGroup(e->CurrentField(), -1); });
    return a;
  }
  if (auto* box = qobject_cast<TPaintBox*>(o)) {
    // The colour selector's palettes and swatches.
    auto* a = new TAccessibleControl(box, QAccessible::ColorChooser);
    return a;
  }
  return nullptr;
}

}  // namespace

int InstallAccessible_visuals() { return InstallAccessibleFactory(&Factory); }

}  // namespace Tarnwell
