#include "TEnvironment.h"

#include <QDir>
#include <QFile>
#include <QString>
#include <QtGlobal>
#include <cstdio>
#include <unistd.h>

namespace Tarnwell {

namespace {
QtMessageHandler gPreviousHandler = nullptr;
bool gQuietInstalled = false;
void QuietHandler(QtMsgType type, const QMessageLogContext& context, const QString& message) {
  // The offscreen platform says these for every window with a minimum size
  // and for every window brought to the front; neither is a fault.
  if (message.startsWith(QLatin1String("This plugin does not support propagateSizeHints")) ||
      message == QLatin1String("This plugin does not support raise()"))
    return;
  if (gPreviousHandler) {
    gPreviousHandler(type, context, message);
  } else {
    std::fprintf(stderr, "%s\n", qPrintable(qFormatLogMessage(type, context, message)));
    std::fflush(stderr);
  }
}
}  // namespace

void PrepareProgramEnvironment() {
  if (qEnvironmentVariableIsEmpty("XDG_RUNTIME_DIR")) {
    const QString dir = QDir::tempPath() + QStringLiteral("/tarnwell-runtime-") + QString::number(getuid());
    QDir().mkpath(dir);
    QFile::setPermissions(dir, QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
    qputenv("XDG_RUNTIME_DIR", QFile::encodeName(dir));
  }
  if (!gQuietInstalled) {
    gQuietInstalled = true;
    gPreviousHandler = qInstallMessageHandler(QuietHandler);
  }
}

}  // namespace Tarnwell
