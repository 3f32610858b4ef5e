#include "Launchers.h"

#include <cstring>

#include "DemoRegistry.h"

namespace Tarnwell {

// A window's launcher turns on as soon as its demonstration library is
// linked in and has registered the window class (see DemoRegistry.h); the
// table is built on first use, after the registrations.

const std::vector<TLauncher>& Launchers() {
  static const std::vector<TLauncher> table = [] {
    RegisterLinkedDemoWindows();
    std::vector<TLauncher> t = {
      {"ShineButton7", 7, "Simple Visuals", "TFormSimpleVis", "Simple Visual Components", 4, nullptr},
      {"ShineButton2", 2, "TPattern....", "TFormPattern", "TPattern....", 28, nullptr},
      {"ShineButton1", 1, "TMeasureDisplay", "TFormMeasDisp", "TMeasureDisplay", 52, nullptr},
      {"ShineButton3", 3, "TFileListView...", "TFormFileView", "TFileListView...", 76, nullptr},
      {"ShineButton4", 4, "TSlideControls", "TFormSlideMenu", "TSlideControls...", 100, nullptr},
      {"ShineButton5", 5, "TBarCodes", "TFormBarCodes", "TBarCodes", 124, nullptr},
      {"ShineButton6", 6, "TGraph2D", "TFormGraph2D", "TGraph2D", 148, nullptr},
      {"ShineButton8", 8, "Scroll Components", "TFormScroll", "Scroll Components", 172, nullptr},
      {"ShineButton9", 9, "DB Controls", "TFormDBCtrl", "FormDBCtrl", 196, nullptr},
      {"ShineButton10", 10, "Common Controls", "TFormCommCtrls", "Common Controls", 220, nullptr},
      {"ShineButton15", 15, "Foglio di Calcolo", "TFormVDBChildSpreadSheet", "Foglio di Calcolo", 244, nullptr},
      {"ShineButton11", 11, "Gadget", "TFormGadget", "Gadget", 268, nullptr},
      {"ShineButton14", 14, "Run Time Design", "TFormRTDesign", "Run Time Designing", 292, nullptr},
      {"ShineButton12", 12, "Other Components", "TFormUtilityComp", "Other Components", 316, nullptr},
      {"ShineButton13", 13, "Other Objects", "TFormOtherObject", "Other Objects", 340, nullptr},
    };
    for (TLauncher& l : t) l.Create = FindDemoWindow(l.WindowClass);
    return t;
  }();
  return table;
}

const TLauncher* FindLauncher(const char* caption) {
  for (const auto& l : Launchers())
    if (std::strcmp(l.ButtonCaption, caption) == 0) return &l;
  return nullptr;
}

}  // namespace Tarnwell
