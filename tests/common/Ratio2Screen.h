#pragma once
// Tests of what a control or a window makes for the screen it is on, run
// on a screen of device pixel ratio 2.
#include <QCoreApplication>
#include <QGuiApplication>
#include <QProcess>

#include <gtest/gtest.h>

namespace HiDpi {

// Whether the screen windows open on has device pixel ratio 2. When it has
// not, the calling test runs again by itself in a child process whose
// screen has (QT_SCALE_FACTOR=2, read only when the application starts),
// with its output passed on and its failure reported here; the caller then
// returns.
inline bool OnARatio2Screen() {
  if (qApp->devicePixelRatio() == 2) return true;
  if (qEnvironmentVariable("QT_SCALE_FACTOR") == QLatin1String("2")) {
    ADD_FAILURE() << "QT_SCALE_FACTOR=2 gave a screen of ratio " << qApp->devicePixelRatio();
    return false;
  }
  const ::testing::TestInfo* test = ::testing::UnitTest::GetInstance()->current_test_info();
  QProcess child;
  QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
  env.insert(QStringLiteral("QT_SCALE_FACTOR"), QStringLiteral("2"));
  child.setProcessEnvironment(env);
  child.setProcessChannelMode(QProcess::ForwardedChannels);
  child.start(QCoreApplication::applicationFilePath(),
              {QStringLiteral("--gtest_filter=%1.%2")
                   .arg(QString::fromUtf8(test->test_suite_name()), QString::fromUtf8(test->name()))});
  EXPECT_TRUE(child.waitForFinished(-1)) << child.errorString().toStdString();
  EXPECT_EQ(child.exitStatus(), QProcess::NormalExit);
  EXPECT_EQ(child.exitCode(), 0) << "the test failed on the ratio-2 screen (its output is above)";
  return false;
}

}  // namespace HiDpi
