// Every window of the showcase as assistive technology sees it.
#include <gtest/gtest.h>

#include <QAccessible>
#include <QAccessibleActionInterface>
#include <QPointer>
#include <QSignalSpy>
#include <functional>
#include <map>

#include <Tarnwell/app/Launchers.h>
#include <Tarnwell/app/Main.h>
#include <Tarnwell/grids/TGrids.h>
#include <Tarnwell/measure/Measdisp.h>
#include <Tarnwell/measure/MoniDisp.h>
#include <Tarnwell/visuals/Button3D.h>
#include <Tarnwell/visuals/DTEdit.h>
#include <Tarnwell/visuals/ERombBtn.h>
#include <Tarnwell/visuals/GraphLed.h>

#include "TestUtil.h"
#include "WindowWalk.h"

using namespace Tarnwell;

namespace {

bool IsCellRole(QAccessible::Role r) {
  return r == QAccessible::Cell || r == QAccessible::ColumnHeader || r == QAccessible::RowHeader;
}

// Roles a screen reader on Linux is told as "unknown" (AT-SPI has no word
// for them).
bool UnknownToAtSpi(QAccessible::Role r) {
  return r == QAccessible::Indicator || r == QAccessible::Grip || r == QAccessible::Clock ||
         r == QAccessible::Sound || r == QAccessible::Caret || r == QAccessible::NoRole;
}

// Qt's own controls on our forms: a role AT-SPI knows, and a name where
// nothing else could be read (an editor, a slider, a list, a picture).
void QtControlIsTold(QWidget* c) {
  QAccessibleInterface* a = QAccessible::queryAccessibleInterface(c);
  if (!a) return;
  EXPECT_FALSE(UnknownToAtSpi(a->role())) << Describe(c) << " role " << a->role();
  static const QList<QAccessible::Role> named = {QAccessible::EditableText, QAccessible::Slider,
                                                 QAccessible::SpinBox,      QAccessible::List,
                                                 QAccessible::Graphic,      QAccessible::StatusBar};
  if (named.contains(a->role()) && !c->parentWidget()->inherits("QAbstractSpinBox")) {
    EXPECT_FALSE(a->text(QAccessible::Name).isEmpty()) << Describe(c);
  }
}

// Each of our controls (and each part painted inside one) tells its role
// and a name; a plain widget would answer "client" with no name.
TEST(Accessibility, EveryControlOfEveryWindowHasARoleAndAName) {
  int controls = 0, parts = 0, windows = 0;
  ForEveryWindow([&](TForm* w, const TLauncher&) {
    ++windows;
    QList<QWidget*> all = w->findChildren<QWidget*>();
    all.prepend(w);
    for (QWidget* c : all) {
      if (!c->isVisibleTo(w)) continue;
      if (!QByteArray(c->metaObject()->className()).startsWith("Tarnwell::")) {
        QtControlIsTold(c);
        continue;
      }
      QAccessibleInterface* a = QAccessible::queryAccessibleInterface(c);
      ASSERT_NE(a, nullptr) << Describe(c);
      ++controls;
      EXPECT_NE(a->role(), QAccessible::Client) << Describe(c);
      EXPECT_FALSE(UnknownToAtSpi(a->role())) << Describe(c);
      EXPECT_FALSE(a->text(QAccessible::Name).isEmpty()) << Describe(c);
      for (int i = 0; i < a->childCount(); ++i) {
        QAccessibleInterface* part = a->child(i);
        ASSERT_NE(part, nullptr) << Describe(c) << " child " << i;
        if (part->object()) continue;  // a widget, checked on its own
        ++parts;
        EXPECT_EQ(part->parent(), a) << Describe(c) << " child " << i;
        EXPECT_EQ(a->indexOfChild(part), i) << Describe(c) << " child " << i;
        if (IsCellRole(part->role())) continue;  // empty cells have no text
        EXPECT_FALSE(part->text(QAccessible::Name).isEmpty()) << Describe(c) << " child " << i;
      }
    }
  });
  EXPECT_EQ(windows, 15);
  EXPECT_GT(controls, 100);
  EXPECT_GT(parts, 20);
}

// Values, states and actions say what the control shows and do what its
// mouse and keys do: checked on the first control of each kind found.
TEST(Accessibility, ValuesStatesAndActionsFollowTheControls) {
  using Check = std::function<void(QWidget*, QAccessibleInterface*)>;
  const std::vector<std::pair<const QMetaObject*, Check>> checks = {
      {&TGraphicLed::staticMetaObject,
       [](QWidget* w, QAccessibleInterface* a) {
         auto* led = static_cast<TGraphicLed*>(w);
         EXPECT_EQ(a->role(), QAccessible::CheckBox);
         EXPECT_TRUE(a->state().readOnly);
         EXPECT_EQ(a->text(QAccessible::Name), led->Caption());
         EXPECT_EQ(a->state().checked, led->Checked());
         led->setChecked(!led->Checked());
         EXPECT_EQ(a->state().checked, led->Checked());
         EXPECT_EQ(a->text(QAccessible::Value), led->Checked() ? QStringLiteral("on") : QStringLiteral("off"));
       }},
      {&TDateTimeEdit::staticMetaObject,
       [](QWidget* w, QAccessibleInterface* a) {
         auto* e = static_cast<TDateTimeEdit*>(w);
         EXPECT_EQ(a->role(), QAccessible::SpinBox);
         EXPECT_EQ(a->text(QAccessible::Value), e->DisplayText());
         const auto before = e->Groups();
         a->actionInterface()->doAction(QAccessibleActionInterface::decreaseAction());
         EXPECT_EQ(e->Groups()[0], before[0] - 1);
         EXPECT_EQ(a->text(QAccessible::Value), e->DisplayText());
         // The button rows: one named button per field, "press" steps it.
         QAccessibleInterface* up = QAccessible::queryAccessibleInterface(e->UpButtons());
         ASSERT_EQ(up->childCount(), e->UpButtons()->Count());
         EXPECT_FALSE(up->child(0)->text(QAccessible::Name).isEmpty());
         up->child(0)->actionInterface()->doAction(QAccessibleActionInterface::pressAction());
         EXPECT_EQ(e->Groups()[0], before[0]);
       }},
      {&TEnhRombButtons::staticMetaObject,
       [](QWidget* w, QAccessibleInterface* a) {
         QSignalSpy up(w, SIGNAL(UpClick(QObject*)));
         ASSERT_EQ(a->childCount(), 4);
         EXPECT_EQ(a->child(0)->text(QAccessible::Name), QStringLiteral("Up"));
         a->child(0)->actionInterface()->doAction(QAccessibleActionInterface::pressAction());
         EXPECT_EQ(up.count(), 1);
         static_cast<TEnhRombButtons*>(w)->setButtonDown(erbLeft);
         EXPECT_TRUE(a->child(1)->state().pressed);
         static_cast<TEnhRombButtons*>(w)->setButtonDown(erbNone);
       }},
      {&TSphericalButton::staticMetaObject,
       [](QWidget* w, QAccessibleInterface* a) {
         QSignalSpy click(w, SIGNAL(Click(QObject*)));
         EXPECT_EQ(a->role(), QAccessible::Button);
         a->actionInterface()->doAction(QAccessibleActionInterface::pressAction());
         EXPECT_EQ(click.count(), 1);
         w->setEnabled(false);
         EXPECT_TRUE(a->state().disabled);
         a->actionInterface()->doAction(QAccessibleActionInterface::pressAction());
         EXPECT_EQ(click.count(), 1);
         w->setEnabled(true);
       }},
      {&TMeasureDisplay::staticMetaObject,
       [](QWidget* w, QAccessibleInterface* a) {
         auto* d = static_cast<TMeasureDisplay*>(w);
         ASSERT_NE(a->valueInterface(), nullptr);
         EXPECT_EQ(a->valueInterface()->currentValue().toDouble(), d->ControlValue());
         EXPECT_EQ(a->valueInterface()->minimumValue().toDouble(), d->MinValue());
         EXPECT_EQ(a->valueInterface()->maximumValue().toDouble(), d->MaxValue());
         EXPECT_FALSE(a->text(QAccessible::Value).isEmpty());
       }},
      {&TMonitorDisplay::staticMetaObject,
       [](QWidget* w, QAccessibleInterface* a) {
         auto* m = static_cast<TMonitorDisplay*>(w);
         ASSERT_NE(a->valueInterface(), nullptr);
         EXPECT_EQ(a->valueInterface()->currentValue().toInt(), m->SignalValue());
         EXPECT_EQ(a->valueInterface()->maximumValue().toInt(), m->SignalValueMax());
       }},
      {&TCustomGrid::staticMetaObject,
       [](QWidget* w, QAccessibleInterface* a) {
         auto* g = static_cast<TCustomGrid*>(w);
         QAccessibleTableInterface* t = a->tableInterface();
         ASSERT_NE(t, nullptr);
         EXPECT_EQ(t->rowCount(), g->RowCount());
         EXPECT_EQ(t->columnCount(), g->ColCount());
         const int col = g->FixedCols(), row = g->FixedRows();
         QAccessibleInterface* cell = t->cellAt(row, col);
         ASSERT_NE(cell, nullptr);
         EXPECT_EQ(cell->text(QAccessible::Name), g->CellDisplayText(col, row));
         EXPECT_EQ(cell->tableCellInterface()->rowIndex(), row);
         if (row > 0) {
           EXPECT_EQ(cell->tableCellInterface()->columnHeaderCells().size(), row);
         }
         g->MoveCurrent(col, row, false);
         EXPECT_TRUE(cell->state().selected);
         EXPECT_EQ(a->text(QAccessible::Value), g->CellDisplayText(col, row));
       }},
  };
  std::map<const QMetaObject*, int> seen;
  ForEveryWindow([&](TForm* w, const TLauncher&) {
    for (QWidget* c : w->findChildren<QWidget*>())
      for (const auto& [meta, check] : checks)
        if (c->metaObject()->inherits(meta) && !seen[meta] && c->isVisibleTo(w)) {
          SCOPED_TRACE(Describe(c));
          ++seen[meta];
          check(c, QAccessible::queryAccessibleInterface(c));
        }
  });
  for (const auto& [meta, check] : checks) EXPECT_EQ(seen[meta], 1) << meta->className();
}

}  // namespace
