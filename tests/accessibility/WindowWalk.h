#pragma once
// The walk through every window of the showcase the accessibility tests share.

#include <QCoreApplication>
#include <QMdiArea>
#include <QPointer>
#include <QTabWidget>
#include <functional>
#include <string>

#include <gtest/gtest.h>

#include <Tarnwell/app/Launchers.h>
#include <Tarnwell/app/Main.h>

#include "TestUtil.h"

namespace Tarnwell {

inline std::string Describe(const QWidget* w) {
  return std::string(w->metaObject()->className()) + " " + w->objectName().toStdString();
}

// Opens every window the showcase has, one after the other, and hands each
// to `visit` while it is open.
inline void ForEveryWindow(const std::function<void(TForm*, const TLauncher&)>& visit) {
  TFormMain frame;
  frame.show();
  for (const TLauncher& l : Launchers()) {
    if (!l.Create) continue;
    SCOPED_TRACE(l.WindowCaption);
    QPointer<TForm> w = frame.Launch(l);
    ASSERT_TRUE(w);
    QCoreApplication::processEvents();
    visit(w, l);
    if (w) w->Close();
    WaitUntil([&] { return w.isNull(); });
  }
}

// Whether `c` lies inside the frame's window area: a control of an open
// window rather than of the main frame itself.
inline bool InsideWindowArea(const QWidget* c) {
  for (const QWidget* p = c; p; p = p->parentWidget())
    if (qobject_cast<const QMdiArea*>(p)) return true;
  return false;
}

// Brings up, one after the other, each page that a visible tab widget of `w`
// does not show at first, hands it to `visit` with its tab's text, and shows
// the first page again.
inline void ForEachHiddenTabPage(QWidget* w, const std::function<void(const QString& tab, QWidget* page)>& visit) {
  for (QTabWidget* tabs : w->findChildren<QTabWidget*>()) {
    if (!tabs->isVisibleTo(w)) continue;
    const int first = tabs->currentIndex();
    for (int i = 0; i < tabs->count(); ++i) {
      if (i == first) continue;
      tabs->setCurrentIndex(i);
      visit(tabs->tabText(i), tabs->widget(i));
    }
    tabs->setCurrentIndex(first);
  }
}

}  // namespace Tarnwell
