#pragma once
// The showcase's list of demonstration windows. Each demonstration library
// offers RegisterDemo_<folder>(), which registers its window classes here;
// the main frame calls every linked one at start-up (a generated list, see
// app/CMakeLists.txt), so a launcher turns on exactly when its window's
// library is part of the program.

#include <QString>

namespace Tarnwell {

class TForm;

using TDemoWindowFactory = TForm* (*)();

// Later registrations of the same class replace earlier ones.
void RegisterDemoWindow(const char* windowClass, TDemoWindowFactory create);
// The factory of `windowClass`, or null when that window is not registered.
TDemoWindowFactory FindDemoWindow(const char* windowClass);
// Window classes registered, in registration order.
QStringList RegisteredDemoWindows();

// Generated into the main frame's library: calls RegisterDemo_<folder>() of
// every demonstration library of the build. The launcher table calls it once.
void RegisterLinkedDemoWindows();

}  // namespace Tarnwell
