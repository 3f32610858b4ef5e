#include "TDialogs.h"

#include <QApplication>
#include <QDialog>
#include <QMessageBox>

namespace Tarnwell {

namespace {

int DefaultMessage(const TMessageRequest& r) {
  QMessageBox box;
  switch (r.Type) {
    case mtWarning:
      box.setIcon(QMessageBox::Warning);
      break;
    case mtError:
      box.setIcon(QMessageBox::Critical);
      break;
    case mtInformation:
      box.setIcon(QMessageBox::Information);
      break;
    case mtConfirmation:
      box.setIcon(QMessageBox::Question);
      break;
    case mtCustom:
      break;
  }
  box.setWindowTitle(QApplication::applicationDisplayName());
  box.setText(r.Text);
  struct Map {
    unsigned btn;
    QMessageBox::StandardButton q;
    int result;
  };
  const Map map[] = {{mbYes, QMessageBox::Yes, mrYes},
                     {mbNo, QMessageBox::No, mrNo},
                     {mbOK, QMessageBox::Ok, mrOk},
                     {mbCancel, QMessageBox::Cancel, mrCancel},
                     {mbAbort, QMessageBox::Abort, mrAbort},
                     {mbRetry, QMessageBox::Retry, mrRetry},
                     {mbIgnore, QMessageBox::Ignore, mrIgnore},
                     {mbAll, QMessageBox::YesToAll, mrAll}};
  QMessageBox::StandardButtons buttons;
  for (const auto& m : map)
    if (r.Buttons & m.btn) buttons |= m.q;
  if (!buttons) buttons = QMessageBox::Ok;
  box.setStandardButtons(buttons);
  for (const auto& m : map)
    if (r.DefaultButton == m.btn && (r.Buttons & m.btn)) box.setDefaultButton(m.q);
  const int q = box.exec();
  for (const auto& m : map)
    if (q == m.q) return m.result;
  return mrCancel;
}

TMessageHook& MessageHook() {
  static TMessageHook hook;
  return hook;
}
TModalHook& ModalHook() {
  static TModalHook hook;
  return hook;
}

}  // namespace

TMessageHook SetMessageHook(TMessageHook hook) {
  TMessageHook old = MessageHook();
  MessageHook() = std::move(hook);
  return old;
}

TModalHook SetModalHook(TModalHook hook) {
  TModalHook old = ModalHook();
  ModalHook() = std::move(hook);
  return old;
}

int MessageDlg(const QString& text, TMsgDlgType type, TMsgDlgButtons buttons) {
  TMessageRequest r{text, type, buttons};
  if (MessageHook()) return MessageHook()(r);
  return DefaultMessage(r);
}

int MessageDlg(const QString& text, TMsgDlgType type, TMsgDlgButtons buttons, TMsgDlgBtn defaultButton) {
  TMessageRequest r{text, type, buttons, defaultButton};
  if (MessageHook()) return MessageHook()(r);
  return DefaultMessage(r);
}

void ShowMessage(const QString& text) { MessageDlg(text, mtCustom, mbOK); }

int ExecModal(QDialog& dlg) {
  if (ModalHook()) return ModalHook()(dlg);
  return dlg.exec();
}

TRecordingDialogs::TRecordingDialogs(int answer) : Answer(answer) {
  mOldMsg = SetMessageHook([this](const TMessageRequest& r) {
    Messages.push_back(r);
    return Answer;
  });
  mOldModal = SetModalHook([this](QDialog& d) { return OnModal ? OnModal(d) : int(QDialog::Rejected); });
}

TRecordingDialogs::~TRecordingDialogs() {
  SetMessageHook(mOldMsg);
  SetModalHook(mOldModal);
}

}  // namespace Tarnwell
