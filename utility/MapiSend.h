#pragma once
// TMAPISender: hands one message with an optional attachment to the
// desktop's mail client, where the user completes and sends it. On this
// system the client is reached through xdg-email (xdg-utils): the mail
// system is available when xdg-email is on the PATH.

#include <QObject>
#include <QStringList>

#include <Tarnwell/platform/TProperty.h>
#include <Tarnwell/TarnwellExport.h>

namespace Tarnwell {

// Hands one message with an optional attachment to the desktop's mail client, where the user
// completes and sends it.
class TARNWELL_UTILITY_EXPORT TMAPISender : public QObject {
  Q_OBJECT
  // Full path of the file to attach; empty or missing means none.
  TW_PROPERTY(QString, Attach, )
  // The subject of the message (empty by default).
  TW_PROPERTY(QString, Subject, )
  // The body, one line per entry (assigning copies the lines).
  TW_PROPERTY(QStringList, Notes, )

 public:
  explicit TMAPISender(QObject* parent = nullptr);

  // Starts the mail client with the message and returns at once: true when
  // it started. A client that then reports a failure shows "Error!" (when
  // showErrors was set) and emits SendFinished(false).
  bool Send(bool showErrors);
  // The xdg-email found on the PATH (empty when there is none).
  static QString MailProgram();
  static bool MAPIAvailable() { return !MailProgram().isEmpty(); }
  // The arguments Send passes to xdg-email for the current properties.
  QStringList MailArguments() const;

 Q_SIGNALS:
  // The mail client took the message (true) or refused it.
  void SendFinished(bool ok);

 private:
  QString mAttach, mSubject;
  QStringList mNotes;
};

}  // namespace Tarnwell
