#include "FPreview.h"

QPointer<TFormReportPreview> FormReportPreview;

TFormReportPreview::TFormReportPreview(QWidget* parent) : TForm(parent) {
  setObjectName(QStringLiteral("FormReportPreview"));
  SetCaption(QStringLiteral("Anteprima di Stampa"));
  // It lives as long as the program; closing only hides it.
  SetDefaultCloseAction(caHide);
}
