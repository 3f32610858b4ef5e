#pragma once
// The report preview window "Anteprima di Stampa": created hidden at
// start-up and shown when a report asks for a preview. It pages and zooms
// through the report, sets up the printer and the copies, prints, saves the
// report compressed (.odr) and mails that file.

#include <QPointer>
#include <QTemporaryDir>
#include <memory>
#include <optional>

#include <Tarnwell/app/QuickRpt.h>
#include <Tarnwell/app/QuickRptFile.h>
#include <Tarnwell/platform/TControls.h>
#include <Tarnwell/platform/THourglass.h>
#include <Tarnwell/TarnwellExport.h>

class QLabel;
class QProgressBar;
class QPushButton;
class QSpinBox;
class QToolButton;

namespace Tarnwell {

class TFastCompress;
class TMAPISender;

// The report preview window ("Anteprima di Stampa"): pages of a report with zoom, page moves,
// printing and saving.
class TARNWELL_APP_EXPORT TFormReportPreview : public TForm {
  Q_OBJECT
 public:
  explicit TFormReportPreview(QWidget* parent = nullptr);
  ~TFormReportPreview() override;

  // The report to act on; its printer object goes to the preview control.
  void SetReport(TQuickRep* report);
  TQuickRep* Report() const { return mReport; }
  // Shows the window (maximised) for the report set before.
  void ShowPreview();
  // Shows a saved compressed report; a damaged file gives a message and
  // changes nothing. The window must be shown by the caller.
  bool OpenReport(const QString& fileName);
  // The report's title, or the loaded file's.
  QString ReportTitle() const;

  // Zoom of the two fit buttons for the preview control's current size.
  static int ZoomToFit(int w, int h, TPrinterOrientation o);
  static int ZoomToPageWidth(int w, TPrinterOrientation o);

  // The folder of the temporary files: TEMP when set, otherwise the system's
  // temporary folder.
  static QString TempDirectory();
  // Saves the compressed report under fileName: the message "Sorry, Can't
  // Get Temp File!" (and false) when no temporary file can be had; other
  // failures raise EStreamError; an existing file is kept on every failure.
  bool SaveCompressedReport(const QString& fileName);

  // The buttons' actions (also reached through the buttons).
  void SetPrinterClick();
  void PrintClick();
  void SaveClick();
  void SendClick();
  void FirstClick();
  void PriorClick();
  void NextClick();
  void LastClick();
  void ZoomToFitClick();
  void Zoom100Click();
  void ZoomPageWidthClick();

  // The components of the window.
  TQRPreview* QRPreview;
  QProgressBar* ProgressBar;
  QSpinBox* UpDownNCopies;  // the copies field with its up-down
  QLabel* LabelCopies;
  QLabel* LabelPage;
  QPushButton *BtnSetPrinter, *BitPrint, *BtnSave, *BtnSend, *BtnClose;
  QToolButton *BtnFirst, *BtnPrior, *BtnNext, *BtnLast, *BtnZToFit, *BtnZ100x100, *BtnZPageW;
  TMAPISender* MAPISender;
  QWidget* ButtonPanel;
  QWidget* ProgressPanel;

  // Where the mailed attachments wait for the mail client (removed at exit).
  QString AttachmentDirectory();
  // Whether the buttons are blocked (saving, printing, producing pages).
  bool Busy() const { return mBusy > 0; }

 protected:
  void showEvent(QShowEvent* e) override;
  void keyPressEvent(QKeyEvent* e) override;
  void FormClose(TCloseAction& action) override;

 private:
  void BuildButtons();
  void UpdateState();
  void OnFirstPage();
  void OnProgress(int percent);
  void OnFinished();
  void Run(const std::function<void()>& action);
  TQRPrinter* Printer() const;

  QPointer<TQuickRep> mReport;
  QList<QMetaObject::Connection> mReportConnections;
  // The pages of a loaded .odr, when no report is set.
  std::unique_ptr<TQRPrinter> mLoaded;
  std::unique_ptr<TFastCompress> mFastCompress;
  std::optional<THourglass> mWaitCursor;
  std::unique_ptr<QTemporaryDir> mAttachDir;
  int mBusy = 0;
};

// The one preview window of the program (read by the windows that print).
extern TARNWELL_APP_EXPORT QPointer<TFormReportPreview> FormReportPreview;

}  // namespace Tarnwell
