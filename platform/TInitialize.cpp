#include "TInitialize.h"

#include "TGraphics.h"
#include "TInitialize_p.h"

namespace Tarnwell {

namespace {
TExceptionHandler& InitialHandler() {
  static TExceptionHandler handler;
  return handler;
}
}  // namespace

void SetInitialExceptionHandler(TExceptionHandler handler) { InitialHandler() = std::move(handler); }

void InitializeTarnwell() {
  InstallFontSubstitutes();
  if (!HasExceptionHandler() && InitialHandler()) SetExceptionHandler(InitialHandler());
}

}  // namespace Tarnwell
