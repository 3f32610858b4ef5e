#pragma once
// Design sizes that give the whole window. TForm::SetDesignSize gives the
// client area, and the frame window grows around it; most designs give the
// window's outer size instead, title bar and borders included, and the
// client is what those leave inside.

#include <QMargins>
#include <QSize>
#include <Tarnwell/TarnwellExport.h>

namespace Tarnwell {

class TForm;

// The design gives the whole window, width x height; the form itself takes
// the client size that leaves (for its border style and icons as they are
// now: set those first).
TARNWELL_PLATFORM_EXPORT void SetDesignOuterSize(TForm* form, int width, int height);
// Whether the form's design size is its outer size.
TARNWELL_PLATFORM_EXPORT bool DesignSizeIsOuter(const TForm* form);
// The client area the design gives: the design size itself, or the outer
// size less the title bar and borders.
TARNWELL_PLATFORM_EXPORT QSize DesignClientSize(const TForm* form);
// The title bar and borders of the frame window the form stands in, or of
// the one it would get with its border style and icons.
TARNWELL_PLATFORM_EXPORT QMargins FrameMargins(const TForm* form);

}  // namespace Tarnwell
