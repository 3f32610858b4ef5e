// Threads, the busy cursor, the exception handler, dialogs and resources.
#include <gtest/gtest.h>

#include <QCursor>
#include <QDialog>
#include <QGuiApplication>
#include <QMouseEvent>
#include <QTimer>
#include <QWidget>
#include <atomic>


#include <Tarnwell/platform/TApplication.h>
#include <Tarnwell/platform/TControls.h>
#include <Tarnwell/platform/TDialogs.h>
#include <Tarnwell/platform/TExceptions.h>
#include <Tarnwell/platform/THourglass.h>
#include <Tarnwell/platform/TResources.h>
#include <Tarnwell/platform/TThread.h>
#include <Tarnwell/platform/TApplication_p.h>
#include "TestUtil.h"

TEST(Thread, CreatedSuspendedRunsAfterResume) {
  std::atomic<int> runs{0};
  TFunctionThread t([&](TFunctionThread&) { ++runs; });
  QThread::msleep(30);
  EXPECT_EQ(runs, 0);
  t.Resume();
  t.WaitFor();
  EXPECT_EQ(runs, 1);
  EXPECT_TRUE(t.Finished());
}

TEST(Thread, SynchronizeRunsOnTheGuiThreadAndWaits) {
  std::atomic<int> onGui{0}, total{0};
  TFunctionThread t([&](TFunctionThread& self) {
    for (int i = 0; i < 5; ++i) {
      self.Synchronize([&] {
        if (TThread::IsGuiThread()) ++onGui;
      });
      ++total;
    }
  });
  t.Resume();
  // WaitFor runs the worker's calls while the GUI thread waits.
  t.WaitFor();
  EXPECT_EQ(onGui, 5);
  EXPECT_EQ(total, 5);
}

TEST(Thread, DestroyingARunningPacerNeverDeadlocks) {
  std::atomic<int> steps{0};
  {
    TFunctionThread t([&](TFunctionThread& self) {
      while (self.Sleep(1)) self.Synchronize([&] { ++steps; });
    });
    t.Resume();
    WaitUntil([&] { return steps > 3; });
  }  // terminate + wait, with Synchronize calls in flight
  EXPECT_GT(steps, 3);
}

TEST(Thread, SuspendPausesAtTheNextSleep) {
  std::atomic<int> ticks{0};
  TFunctionThread t([&](TFunctionThread& self) {
    while (self.Sleep(1)) ++ticks;
  });
  t.Resume();
  WaitUntil([&] { return ticks > 2; });
  t.Suspend();
  QThread::msleep(20);
  const int frozen = ticks;
  QThread::msleep(40);
  EXPECT_LE(ticks - frozen, 1);
  t.Resume();
  WaitUntil([&] { return ticks > frozen + 2; });
  EXPECT_GT(ticks, frozen + 2);
}

TEST(Hourglass, RestoresTheCursorOnEveryWayOut) {
  ASSERT_EQ(QGuiApplication::overrideCursor(), nullptr);
  try {
    THourglass busy;
    ASSERT_NE(QGuiApplication::overrideCursor(), nullptr);
    EXPECT_EQ(QGuiApplication::overrideCursor()->shape(), Qt::WaitCursor);
    {
      THourglass nested;
      EXPECT_EQ(THourglass::Depth(), 2);
    }
    throw ETarnwellError(QStringLiteral("boom"));
  } catch (const ETarnwellError&) {
  }
  EXPECT_EQ(QGuiApplication::overrideCursor(), nullptr);
  EXPECT_EQ(THourglass::Depth(), 0);
}

// LeakSanitizer's switches, there when the program runs with it.
extern "C" void __lsan_disable() __attribute__((weak));
extern "C" void __lsan_enable() __attribute__((weak));

namespace {
struct LeakCheckPause {
  LeakCheckPause() {
    if (__lsan_disable) __lsan_disable();
  }
  ~LeakCheckPause() {
    if (__lsan_enable) __lsan_enable();
  }
  LeakCheckPause(const LeakCheckPause&) = delete;
  LeakCheckPause& operator=(const LeakCheckPause&) = delete;
};

class Throwing : public QWidget {
 protected:
  void mousePressEvent(QMouseEvent*) override { throw ETarnwellError(QStringLiteral("Valore non valido")); }
};
}  // namespace

TEST(Application, AnExceptionFromAnEventHandlerBecomesAMessage) {
  // Qt's own frames are built without exception cleanup: unwinding through
  // them drops a few bytes (a guard made for the widget), which is why
  // components catch their failures themselves and this handler is only the
  // last line of defence. The leak checker is asked at run time, since this
  // program itself is not compiled with the sanitizers.
  const LeakCheckPause qtFramesLeak;

using namespace Tarnwell;
  TRecordingDialogs dialogs;
  Throwing w;
  w.resize(10, 10);
  w.show();
  const int before = HandledExceptionCount();
  QMouseEvent press(QEvent::MouseButtonPress, QPointF(2, 2), QPointF(2, 2), Qt::LeftButton, Qt::LeftButton,
                    Qt::NoModifier);
  QApplication::sendEvent(&w, &press);
  EXPECT_EQ(HandledExceptionCount(), before + 1);
  ASSERT_EQ(dialogs.Messages.size(), 1u);
  EXPECT_EQ(dialogs.Messages[0].Text, QStringLiteral("Valore non valido"));
  EXPECT_EQ(dialogs.Messages[0].Type, mtError);
}

TEST(Dialogs, HooksAnswerWithoutBlocking) {
  TRecordingDialogs dialogs(mrYes);
  EXPECT_EQ(MessageDlg(QStringLiteral("Sicuro?"), mtConfirmation, mbYes | mbNo), mrYes);
  QDialog dlg;
  dialogs.OnModal = [](QDialog& d) {
    d.accept();
    return int(QDialog::Accepted);
  };
  EXPECT_EQ(ExecModal(dlg), QDialog::Accepted);
  EXPECT_EQ(dialogs.Messages.size(), 1u);
}

TEST(Resources, PicturesByNameAndAClearErrorForAMissingOne) {
  EXPECT_EQ(LoadResourcePicture(QStringLiteral("PATTERN")).size(), QSize(16, 16));
  try {
    LoadResourcePicture(QStringLiteral("NOSUCHPICTURE"));
    FAIL() << "no exception";
  } catch (const EResNotFound& e) {
    EXPECT_TRUE(e.Message().contains(QStringLiteral("NOSUCHPICTURE")));
  }
}

TEST(Hints, ShortAndLongParts) {
  EXPECT_EQ(GetShortHint(QStringLiteral("Apri|Apre un file")), QStringLiteral("Apri"));
  EXPECT_EQ(GetLongHint(QStringLiteral("Apri|Apre un file")), QStringLiteral("Apre un file"));
  EXPECT_EQ(GetLongHint(QStringLiteral("Solo")), QStringLiteral("Solo"));
  QWidget w;
  SetHint(&w, QStringLiteral("a|b"));
  EXPECT_EQ(w.toolTip(), QStringLiteral("a"));
  EXPECT_EQ(w.statusTip(), QStringLiteral("b"));
}

// The test program carries one picture of its own, registered the way a
// library registers its pictures.
TARNWELL_LIBRARY_RESOURCES(tests_platform_pictures)
