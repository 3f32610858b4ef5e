#pragma once
// The fifteen launchers of the main frame, top to bottom as they stand on the
// panel (the component numbers are not in screen order).

#include <vector>

namespace Tarnwell {

class TForm;

struct TLauncher {
  const char* ComponentName;  // "ShineButton7"
  int Number;                 // 7
  const char* ButtonCaption;  // "Simple Visuals"
  const char* WindowClass;    // "TFormSimpleVis"
  const char* WindowCaption;  // "Simple Visual Components"
  int Top;                    // 4
  // Makes a new instance of the window; null while that window is not built.
  TForm* (*Create)();
};

const std::vector<TLauncher>& Launchers();
// The launcher whose button caption is `caption`, or null.
const TLauncher* FindLauncher(const char* caption);

}  // namespace Tarnwell
