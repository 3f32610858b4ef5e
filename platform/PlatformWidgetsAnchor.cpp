// Compiled into every program and library that links the shared Platform
// library (an interface source of Tarnwell::Platform): the reference from
// an object of the program itself keeps libtarnwell_platform.so.0 among its
// libraries under --as-needed, so that its start-up code offers the
// message-box exception handler to InitializeTarnwell(). A linker option
// (--undefined) does not: it is no object's reference.
namespace Tarnwell {
void PlatformWidgetsAnchor();
}

namespace {
[[gnu::used]] void (*const tarnwellPlatformWidgetsAnchor)() = &Tarnwell::PlatformWidgetsAnchor;
}
