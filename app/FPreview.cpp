#include "FPreview.h"

namespace Tarnwell {

QPointer<TFormReportPreview> FormReportPreview;

TFormReportPreview::TFormReportPreview(QWidget* parent) : TForm(parent) {
  setObjectName(QStringLiteral("FormReportPreview"));
  SetCaption(QStringLiteral("Anteprima di Stampa"));
  // It lives as long as the program; closing only hides it.
  SetDefaultCloseAction(caHide);
}

}  // namespace Tarnwell
