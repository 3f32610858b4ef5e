#pragma once
// Descriptions of custom-painted controls for assistive technology.
//
// A control that paints itself is a blank rectangle to a screen reader
// unless something says what it is. TAccessibleControl is a
// QAccessibleInterface filled in by its library: role, name, value, states,
// actions and, for controls made of several painted parts (a row of buttons,
// a menu), one child element per part.
//
// Each library installs a QAccessible factory for its own controls. Like its
// resources, the factory lives in a source nothing else refers to, so one
// source of every control names it at file scope, outside any namespace:
//
//   TARNWELL_LIBRARY_ACCESSIBLE(visuals)
//
// which links the factory in and installs it (once) before main() runs.

#include <QAccessible>
#include <QAccessibleWidget>
#include <QHash>
#include <QRect>
#include <QString>
#include <QStringList>
#include <QVariant>
#include <functional>
#include <optional>
#include <vector>
#include <Tarnwell/TarnwellExport.h>

namespace Tarnwell {

// A painted part of a control (a button of a row, an item of a menu).
struct TARNWELL_PLATFORM_EXPORT TAccessibleElements {
  QAccessible::Role role = QAccessible::PushButton;
  std::function<int()> count;
  std::function<QString(int)> name;
  // Widget coordinates; an empty rectangle is reported invisible.
  std::function<QRect(int)> rect;
  std::function<void(int, QAccessible::State&)> states;
  // "press" on the element; none leaves the element without actions.
  std::function<void(int)> press;
};

// A value with a range (a measured value, a position).
struct TARNWELL_PLATFORM_EXPORT TAccessibleRange {
  std::function<double()> current;
  std::function<double()> minimum;
  std::function<double()> maximum;
  double step = 1;
  // Writing the value; none makes it read-only.
  std::function<void(double)> set;
};

// What assistive technology reads of a component: its name, role, state, value with range
// and actions, each given by a function the component installs, so that a custom-drawn
// control is as accessible as a standard one.
class TARNWELL_PLATFORM_EXPORT TAccessibleControl : public QAccessibleWidget, public QAccessibleValueInterface {
 public:
  TAccessibleControl(QWidget* w, QAccessible::Role role);
  ~TAccessibleControl() override;

  // Caption or text; when it gives nothing the accessible name set on the
  // widget, then its object name, is used.
  std::function<QString()> name;
  std::function<QString()> description;
  // The value as shown (a date, "acceso", a cell's text).
  std::function<QString()> valueText;
  std::optional<TAccessibleRange> range;
  // Adds states (pressed, checked, ...) to the widget's own.
  std::function<void(QAccessible::State&)> states;
  // Named actions: QAccessibleActionInterface's pressAction(),
  // toggleAction(), increaseAction(), decreaseAction() ...
  void AddAction(const QString& action, std::function<void()> run);
  std::optional<TAccessibleElements> elements;

  QString text(QAccessible::Text t) const override;
  QAccessible::State state() const override;
  void* interface_cast(QAccessible::InterfaceType t) override;
  int childCount() const override;
  QAccessibleInterface* child(int index) const override;
  int indexOfChild(const QAccessibleInterface* child) const override;
  QAccessibleInterface* childAt(int x, int y) const override;

  QStringList actionNames() const override;
  void doAction(const QString& action) override;
  QStringList keyBindingsForAction(const QString& action) const override;

  QVariant currentValue() const override;
  void setCurrentValue(const QVariant& value) override;
  QVariant maximumValue() const override;
  QVariant minimumValue() const override;
  QVariant minimumStepSize() const override;

  // Element i's interface (made once, owned by Qt's accessibility cache).
  QAccessibleInterface* Element(int i) const;
  int ElementCount() const;

 private:
  int WidgetChildCount() const;
  std::vector<std::pair<QString, std::function<void()>>> mActions;
  mutable QHash<int, QAccessible::Id> mElementIds;
};

// Name of a control for assistive technology: `text` when not empty, else
// the accessible name set on it, else its object name.
TARNWELL_PLATFORM_EXPORT QString AccessibleNameOf(const QWidget* w, const QString& text);

// Clicks `w` at `p` (widget coordinates) with the left button, the pointer
// first moved there: the "press" of a painted part that has no call of its
// own, so that it does exactly what a click does.
TARNWELL_PLATFORM_EXPORT void AccessibleClickAt(QWidget* w, QPoint p);

// Installs `factory` once (a second call with the same one does nothing).
// Returns a value for the file-scope registration to hold.
TARNWELL_PLATFORM_EXPORT int InstallAccessibleFactory(QAccessible::InterfaceFactory factory);

}  // namespace Tarnwell

#define TARNWELL_ACCESSIBLE_NAME2(lib, n) tarnwellAccessibleOf_##lib##_##n
#define TARNWELL_ACCESSIBLE_NAME(lib, n) TARNWELL_ACCESSIBLE_NAME2(lib, n)
// Links in and installs the accessibility factory of library `lib` (see
// above). The holder's name is unique to each use, so that several sources
// compiled as one (a unity build) may each name the factory.
#define TARNWELL_LIBRARY_ACCESSIBLE(lib)                                       \
  namespace Tarnwell {                                                         \
  int InstallAccessible_##lib();                                               \
  }                                                                            \
  namespace {                                                                  \
  [[maybe_unused]] const int TARNWELL_ACCESSIBLE_NAME(lib, __COUNTER__) =      \
      Tarnwell::InstallAccessible_##lib();                                     \
  }
