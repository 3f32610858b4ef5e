// The showcase: the main frame, the hidden report preview, and the message
// loop until the frame closes.
#include "Main.h"

#include <memory>

#include "FPreview.h"
#include <Tarnwell/platform/TApplication.h>

using namespace Tarnwell;

int main(int argc, char** argv) {
  PrepareProgramEnvironment();
  TApplication app(argc, argv);
  // The program's own identity and look; the component libraries leave them
  // to the host program.
  QApplication::setApplicationName(QStringLiteral("Tarnwell"));
  InitializeTarnwell();
  ApplyClassicLook();
  QApplication::setWindowIcon(ProgramIcon());
  auto formMain = std::make_unique<TFormMain>();
  auto preview = std::make_unique<TFormReportPreview>();
  FormReportPreview = preview.get();
  formMain->show();
  return app.exec();
}
