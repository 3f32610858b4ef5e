// The slide bars and menus for assistive technology: a bar is a tool bar of
// its buttons (named by their hints), a menu a menu of its items.
#include <Tarnwell/platform/TAccessible.h>

#include "SldBBar.h"

namespace Tarnwell {

namespace {

QString ShortHint(const TSlideButtonBar* bar, int i) {
  const QStringList hints = bar->Hints();
  if (i < hints.size()) {
    const QString h = hints.at(i).section(QLatin1Char('|'), 0, 0).trimmed();
    if (!h.isEmpty()) return h;
  }
  return i == 0 ? QStringLiteral("Handle") : QStringLiteral("Button %1").arg(i);
}

QAccessibleInterface* Factory(const QString&, QObject* o) {
  if (auto* menu = qobject_cast<TSlideMenu*>(o)) {
    auto* a = new TAccessibleControl(menu, QAccessible::PopupMenu);
    a->name = [menu] {
      const QList<TSlideMenuItem>& items = menu->ParsedItems();
      return items.isEmpty() ? QString() : items.first().Caption;
    };
    TAccessibleElements el;
    el.role = QAccessible::MenuItem;
    el.count = [menu] { return std::min<int>(int(menu->ParsedItems().size()), menu->ButtonCount()); };
    el.name = [menu](int i) { return menu->ParsedItems().at(i).Caption; };
    el.rect = [menu](int i) { return menu->ButtonBounds(i).intersected(menu->rect()); };
    el.states = [menu](int i, QAccessible::State& s) {
      const TSlideMenuItem& it = menu->ParsedItems().at(i);
      if (!it.Enabled || it.IsSeparator()) s.disabled = true;
      if (it.CheckMark) s.checkable = s.checked = true;
      if (menu->HotIndex() == i && menu->Hot()) s.hotTracked = true;
    };
    el.press = [menu](int i) { AccessibleClickAt(menu, menu->ButtonBounds(i).center()); };
    a->elements = el;
    return a;
  }
  if (auto* bar = qobject_cast<TSlideButtonBar*>(o)) {
    auto* a = new TAccessibleControl(bar, QAccessible::ToolBar);
    TAccessibleElements el;
    el.count = [bar] { return bar->ButtonCount(); };
    el.name = [bar](int i) { return ShortHint(bar, i); };
    el.rect = [bar](int i) { return bar->ButtonBounds(i).intersected(bar->rect()); };
    el.states = [bar](int i, QAccessible::State& s) {
      if (bar->HotIndex() == i && bar->Hot()) {
        s.hotTracked = true;
        if (bar->Pressed()) s.pressed = true;
      }
    };
    el.press = [bar](int i) { AccessibleClickAt(bar, bar->ButtonBounds(i).center()); };
    a->elements = el;
    return a;
  }
  if (auto* man = qobject_cast<TSlideMenuMan*>(o)) {
    auto* a = new TAccessibleControl(man, QAccessible::ButtonMenu);
    a->name = [man] { return man->Caption(); };
    a->AddAction(QAccessibleActionInterface::pressAction(), [man] { AccessibleClickAt(man, man->rect().center()); });
    return a;
  }
  return nullptr;
}

}  // namespace

int InstallAccessible_slide() { return InstallAccessibleFactory(&Factory); }

}  // namespace Tarnwell
