// The shared-library build: each family's library carries its SONAME and
// exports nothing but names of namespace Tarnwell, and a program built
// against the installed package alone uses the libraries across their
// boundary (tests/shared/outside). Skipped in the static build.
#include <gtest/gtest.h>

#include <QDir>
#include <QFileInfo>
#include <QProcess>
#include <QRegularExpression>
#include <QString>
#include <QStringList>
#include <cstdio>

namespace {

#define SKIP_WHEN_STATIC()                                                                  \
  if (!TARNWELL_SHARED_BUILD) GTEST_SKIP() << "the libraries are static in this build " \
                                              "(configure with -DBUILD_SHARED_LIBS=ON)"

struct TRun {
  int Code = -1;
  QString Output;
};

TRun RunProgram(const QString& program, const QStringList& args, const QString& dir = {}) {
  QProcess p;
  p.setProcessChannelMode(QProcess::MergedChannels);
  if (!dir.isEmpty()) p.setWorkingDirectory(dir);
  p.start(program, args);
  TRun r;
  if (!p.waitForFinished(600000)) {
    p.kill();
    p.waitForFinished();
    r.Output = program + QStringLiteral(" did not finish: ") + p.errorString();
    return r;
  }
  r.Output = QString::fromLocal8Bit(p.readAll());
  r.Code = p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1;
  return r;
}

// What a name exported by one of the libraries may be: a name of the
// namespace, or the vtable, type information or a thunk of one.
bool IsTarnwellName(const QString& name) {
  static const QRegularExpression allowed(QStringLiteral(
      "^((typeinfo( name)? for |vtable for |VTT for |construction vtable for .*-in-|"
      "(non-)?virtual thunk to |covariant return thunk to )?Tarnwell::)"));
  return allowed.match(name).hasMatch();
}

TEST(SharedLibraries, EachHasItsSonameAndExportsOnlyTarnwellNames) {
  SKIP_WHEN_STATIC();
  const QStringList libs = QStringLiteral(TARNWELL_FAMILY_LIBRARIES).split(QLatin1Char(','));
  ASSERT_GE(libs.size(), 20);
  int total = 0;
  for (const QString& lib : libs) {
    SCOPED_TRACE(lib.toStdString());
    // libtarnwell_barcodes.so.0.1 is known to the loader as libtarnwell_barcodes.so.0.
    const QString file = QFileInfo(lib).fileName();
    const QRegularExpressionMatch m = QRegularExpression(QStringLiteral("^(lib\\w+\\.so\\.0)\\.1$")).match(file);
    ASSERT_TRUE(m.hasMatch()) << "not a library of version 0.1: " << file.toStdString();
    const TRun elf = RunProgram(QStringLiteral("readelf"), {QStringLiteral("-d"), lib});
    ASSERT_EQ(elf.Code, 0) << elf.Output.toStdString();
    EXPECT_TRUE(elf.Output.contains(QStringLiteral("Library soname: [%1]").arg(m.captured(1))))
        << elf.Output.toStdString();

    const TRun nm = RunProgram(QStringLiteral("nm"), {QStringLiteral("-D"), QStringLiteral("--defined-only"),
                                               QStringLiteral("-C"), lib});
    ASSERT_EQ(nm.Code, 0) << nm.Output.toStdString();
    QStringList foreign;
    int exported = 0;
    for (const QString& line : nm.Output.split(QLatin1Char('\n'), Qt::SkipEmptyParts)) {
      // "0000000000012340 T Tarnwell::TBarCodes::setCaption(QString)"
      const QString name = line.section(QLatin1Char(' '), 2);
      ++exported;
      if (!IsTarnwellName(name)) foreign << name;
    }
    EXPECT_GT(exported, 0);
    EXPECT_TRUE(foreign.isEmpty()) << foreign.size() << " exported names outside namespace Tarnwell, e.g.:\n"
                                   << foreign.mid(0, 20).join(QLatin1Char('\n')).toStdString();
    std::printf("%s: %d exported names\n", qPrintable(file), exported);
    total += exported;
  }
  std::printf("%lld libraries, %d exported names\n", static_cast<long long>(libs.size()), total);
}

TEST(SharedLibraries, AProgramBuiltAgainstTheInstallUsesThemAcrossTheBoundary) {
  SKIP_WHEN_STATIC();
  const QString work = QStringLiteral(TARNWELL_WORK_DIR);
  QDir(work).removeRecursively();
  ASSERT_TRUE(QDir().mkpath(work));
  const QString cmake = QStringLiteral(TARNWELL_CMAKE);
  const QString prefix = work + QStringLiteral("/prefix");
  // What a programmer installs: the development files and the libraries.
  for (const char* component : {"dev", "runtime"}) {
    const TRun r = RunProgram(cmake, {QStringLiteral("--install"), QStringLiteral(TARNWELL_BUILD_DIR), QStringLiteral("--prefix"),
                               prefix, QStringLiteral("--component"), QString::fromLatin1(component)});
    ASSERT_EQ(r.Code, 0) << r.Output.toStdString();
  }
  const QString build = work + QStringLiteral("/build");
  QStringList configure{QStringLiteral("-S"), QStringLiteral(TARNWELL_OUTSIDE_DIR), QStringLiteral("-B"), build,
                        QStringLiteral("-G"), QStringLiteral(TARNWELL_GENERATOR),
                        QStringLiteral("-DCMAKE_BUILD_TYPE=Release"), QStringLiteral("-DCMAKE_PREFIX_PATH=") + prefix,
                        // The sanitizer build's libraries need the same runtime in the program.
                        QStringLiteral("-DCMAKE_CXX_FLAGS=" TARNWELL_OUTSIDE_FLAGS),
                        QStringLiteral("-DCMAKE_EXE_LINKER_FLAGS=" TARNWELL_OUTSIDE_FLAGS)};
  if (QStringLiteral(TARNWELL_LAUNCHER) != QString())
    configure << QStringLiteral("-DCMAKE_CXX_COMPILER_LAUNCHER=" TARNWELL_LAUNCHER);
  TRun r = RunProgram(cmake, configure);
  ASSERT_EQ(r.Code, 0) << r.Output.toStdString();
  r = RunProgram(cmake, {QStringLiteral("--build"), build});
  ASSERT_EQ(r.Code, 0) << r.Output.toStdString();

  for (const char* program : {"boundary", "anchor"}) {
    SCOPED_TRACE(program);
    r = RunProgram(build + QLatin1Char('/') + QString::fromLatin1(program), {});
    EXPECT_EQ(r.Code, 0) << r.Output.toStdString();
    EXPECT_FALSE(r.Output.contains(QStringLiteral("FAILED"))) << r.Output.toStdString();
  }
}

}  // namespace
