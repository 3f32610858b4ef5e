#include "MapiSend.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QPointer>
#include <QProcess>
#include <QStandardPaths>

#include <Tarnwell/platform/TDialogs.h>

namespace Tarnwell {

TMAPISender::TMAPISender(QObject* parent) : QObject(parent) {}

QString TMAPISender::MailProgram() {
  // Looked up on every send: the PATH of a long-running program may change.
  return QStandardPaths::findExecutable(QStringLiteral("xdg-email"));
}

QStringList TMAPISender::MailArguments() const {
  QStringList args{QStringLiteral("--utf8"), QStringLiteral("--subject"), mSubject, QStringLiteral("--body"),
                   mNotes.join(QLatin1Char('\n'))};
  const QFileInfo attach(mAttach);
  if (!mAttach.isEmpty() && attach.isFile()) args << QStringLiteral("--attach") << attach.absoluteFilePath();
  return args;
}

bool TMAPISender::Send(bool showErrors) {
  auto fail = [&] {
    if (showErrors) MessageDlg(QStringLiteral("Error!"), mtError, mbOK);
    return false;
  };
  const QString program = MailProgram();
  if (program.isEmpty()) return fail();
  // The process outlives this component if need be: the mail client is the
  // user's, and a closed window must not kill it halfway.
  auto* proc = new QProcess(QCoreApplication::instance());
  proc->setProgram(program);
  proc->setArguments(MailArguments());
  proc->setProcessChannelMode(QProcess::ForwardedErrorChannel);
  proc->setStandardOutputFile(QProcess::nullDevice());
  QPointer<TMAPISender> self(this);
  connect(proc, &QProcess::finished, proc, [proc, self, showErrors](int code, QProcess::ExitStatus st) {
    proc->deleteLater();
    const bool ok = st == QProcess::NormalExit && code == 0;
    if (!ok && showErrors) MessageDlg(QStringLiteral("Error!"), mtError, mbOK);
    if (self) Q_EMIT self->SendFinished(ok);
  });
  proc->start();
  // Starting is quick; the client itself runs on without us waiting.
  if (!proc->waitForStarted(5000)) {
    proc->disconnect();
    proc->deleteLater();
    return fail();
  }
  return true;
}

}  // namespace Tarnwell
