// Test main for every suite: a headless TApplication whose message boxes and
// modal dialogs are answered by a recording hook instead of blocking.
#include <gtest/gtest.h>

#include <Tarnwell/platform/TApplication.h>
#include <Tarnwell/platform/TDialogs.h>

using namespace Tarnwell;

int main(int argc, char** argv) {
  qputenv("QT_QPA_PLATFORM",
          qgetenv("QT_QPA_PLATFORM").isEmpty() ? QByteArray("offscreen") : qgetenv("QT_QPA_PLATFORM"));
  PrepareProgramEnvironment();
  ::testing::InitGoogleTest(&argc, argv);
  TApplication app(argc, argv);
  InitializeTarnwell();
  ApplyClassicLook();
  TRecordingDialogs dialogs(mrOk);  // nothing may block a headless run
  return RUN_ALL_TESTS();
}
