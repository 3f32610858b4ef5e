#pragma once
// Message boxes and modal dialogs go through one replaceable hook, so that
// headless tests (and the snapshot tool) never block on a dialog. The default
// hook shows a real QMessageBox / runs QDialog::exec().

#include <QString>
#include <functional>
#include <vector>
#include <Tarnwell/TarnwellExport.h>
class QDialog;

namespace Tarnwell {


// The kind of a message box: warning, error, information, confirmation or custom.
enum TMsgDlgType { mtWarning, mtError, mtInformation, mtConfirmation, mtCustom };
// The buttons of a message box (flags).
enum TMsgDlgBtn : unsigned {
  mbYes = 1,
  mbNo = 2,
  mbOK = 4,
  mbCancel = 8,
  mbAbort = 16,
  mbRetry = 32,
  mbIgnore = 64,
  mbAll = 128
};
using TMsgDlgButtons = unsigned;
// How a modal window or message box was closed (the button chosen).
enum TModalResult {
  mrNone = 0,
  mrOk = 1,
  mrCancel = 2,
  mrAbort = 3,
  mrRetry = 4,
  mrIgnore = 5,
  mrYes = 6,
  mrNo = 7,
  mrAll = 8
};

// A message box as asked for: its text, type and buttons, handed to the message hook.
struct TARNWELL_PLATFORM_EXPORT TMessageRequest {
  QString Text;
  TMsgDlgType Type = mtInformation;
  TMsgDlgButtons Buttons = mbOK;
  // The button Enter presses; 0 leaves the box's own choice. A question whose
  // "yes" cannot be undone makes "no" the default.
  unsigned DefaultButton = 0;
};

using TMessageHook = std::function<int(const TMessageRequest&)>;
// Gets the dialog to run; returns its result (QDialog::Accepted/Rejected or a TModalResult).
using TModalHook = std::function<int(QDialog&)>;

// Returns the previous hook. An empty hook restores the default.
TARNWELL_PLATFORM_EXPORT TMessageHook SetMessageHook(TMessageHook hook);
TARNWELL_PLATFORM_EXPORT TModalHook SetModalHook(TModalHook hook);

TARNWELL_PLATFORM_EXPORT int MessageDlg(const QString& text, TMsgDlgType type, TMsgDlgButtons buttons);
TARNWELL_PLATFORM_EXPORT int MessageDlg(const QString& text, TMsgDlgType type, TMsgDlgButtons buttons, TMsgDlgBtn defaultButton);
TARNWELL_PLATFORM_EXPORT void ShowMessage(const QString& text);
// Runs a modal dialog through the hook.
TARNWELL_PLATFORM_EXPORT int ExecModal(QDialog& dlg);

// A hook for tests: records every message and answers with `answer`; modal
// dialogs are rejected (or handed to `onModal`).
class TARNWELL_PLATFORM_EXPORT TRecordingDialogs {
 public:
  explicit TRecordingDialogs(int answer = mrOk);
  ~TRecordingDialogs();
  std::vector<TMessageRequest> Messages;
  int Answer;
  std::function<int(QDialog&)> OnModal;

 private:
  TMessageHook mOldMsg;
  TModalHook mOldModal;
};

}  // namespace Tarnwell
