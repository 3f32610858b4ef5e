// Links Tarnwell::Platform but calls only the core part: InitializeTarnwell()
// still installs the widget part's message-box handler.
#include <QApplication>
#include <cstdio>

#include <Tarnwell/platform/TExceptions.h>
#include <Tarnwell/platform/TInitialize.h>

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  Tarnwell::InitializeTarnwell();
  const bool ok = Tarnwell::HasExceptionHandler();
  std::printf("%s\n", ok ? "the widget part offered its handler" : "FAILED: no exception handler installed");
  return ok ? 0 : 1;
}
