#pragma once
/// \file
/// One-time set-up of the components for a host program.

#include <Tarnwell/TarnwellExport.h>

namespace Tarnwell {

/// Prepares the components for any Qt program that uses them; call it once,
/// after the application object exists. Every family reaches it, the ones
/// without widgets (Database, Spreadsheet, Space3DEngine ...) too.
///
/// It adds process-wide font substitutions (QFont::insertSubstitution) for
/// the classic face names that stored designs name: "MS Sans Serif",
/// "MS Shell Dlg", "MS Shell Dlg 2", "Microsoft Sans Serif", "Arial",
/// "Helvetica", "Small Fonts" and "System" to Liberation Sans; "Tahoma" and
/// "Verdana" to DejaVu Sans; "Times New Roman", "MS Serif" and "Times" to
/// Liberation Serif; "Courier New" and "Courier" to Liberation Mono;
/// "Fixedsys", "Lucida Console" and "Terminal" to DejaVu Sans Mono. These
/// affect every QFont of the process that names those faces.
///
/// When the program has set no exception handler (SetExceptionHandler), it
/// installs one: a message box (TApplication::HandleException) when the
/// Platform family (widgets) is linked, otherwise none, so that messages go
/// to the Qt log. It changes nothing else of the host program: not its name,
/// style, palette or font.
TARNWELL_PLATFORMCORE_EXPORT void InitializeTarnwell();

}  // namespace Tarnwell
