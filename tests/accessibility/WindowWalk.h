#pragma once
// The walk through every window of the showcase the accessibility tests share.

#include <QCoreApplication>
#include <QPointer>
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

}  // namespace Tarnwell
