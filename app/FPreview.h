#pragma once
// The report preview window: created hidden at start-up and shown when a
// demonstration window asks for a print preview.

#include <QPointer>

#include <Tarnwell/platform/TControls.h>

namespace Tarnwell {

class TFormReportPreview : public TForm {
  Q_OBJECT
 public:
  explicit TFormReportPreview(QWidget* parent = nullptr);
};

// The one preview window of the program (read by the windows that print).
extern QPointer<TFormReportPreview> FormReportPreview;

}  // namespace Tarnwell
