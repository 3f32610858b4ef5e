#include "Launchers.h"

#include <cstring>

#include "TControls.h"

// A window's launcher turns on as soon as its module is linked in: the
// header is found on the include path of that subsystem's library.

#if __has_include("FSimpVis.h")
#include "FSimpVis.h"
static TForm* NewFormSimpleVis() { return new TFormSimpleVis(); }
#else
static TForm* (*const NewFormSimpleVis)() = nullptr;
#endif

#if __has_include("FPattern.h")
#include "FPattern.h"
static TForm* NewFormPattern() { return new TFormPattern(); }
#else
static TForm* (*const NewFormPattern)() = nullptr;
#endif

#if __has_include("FMeasure.h")
#include "FMeasure.h"
static TForm* NewFormMeasDisp() { return new TFormMeasDisp(); }
#else
static TForm* (*const NewFormMeasDisp)() = nullptr;
#endif

#if __has_include("FFileVie.h")
#include "FFileVie.h"
static TForm* NewFormFileView() { return new TFormFileView(); }
#else
static TForm* (*const NewFormFileView)() = nullptr;
#endif

#if __has_include("FSlide.h")
#include "FSlide.h"
static TForm* NewFormSlideMenu() { return new TFormSlideMenu(); }
#else
static TForm* (*const NewFormSlideMenu)() = nullptr;
#endif

#if __has_include("FBarCodes.h")
#include "FBarCodes.h"
static TForm* NewFormBarCodes() { return new TFormBarCodes(); }
#else
static TForm* (*const NewFormBarCodes)() = nullptr;
#endif

#if __has_include("FGraph2d.h")
#include "FGraph2d.h"
static TForm* NewFormGraph2D() { return new TFormGraph2D(); }
#else
static TForm* (*const NewFormGraph2D)() = nullptr;
#endif

#if __has_include("FScroll.h")
#include "FScroll.h"
static TForm* NewFormScroll() { return new TFormScroll(); }
#else
static TForm* (*const NewFormScroll)() = nullptr;
#endif

#if __has_include("FDBCtrl.h")
#include "FDBCtrl.h"
static TForm* NewFormDBCtrl() { return new TFormDBCtrl(); }
#else
static TForm* (*const NewFormDBCtrl)() = nullptr;
#endif

#if __has_include("FComCtrl.h")
#include "FComCtrl.h"
static TForm* NewFormCommCtrls() { return new TFormCommCtrls(); }
#else
static TForm* (*const NewFormCommCtrls)() = nullptr;
#endif

#if __has_include("FSpread.h")
#include "FSpread.h"
static TForm* NewFormVDBChildSpreadSheet() { return new TFormVDBChildSpreadSheet(); }
#else
static TForm* (*const NewFormVDBChildSpreadSheet)() = nullptr;
#endif

#if __has_include("FGadget.h")
#include "FGadget.h"
static TForm* NewFormGadget() { return new TFormGadget(); }
#else
static TForm* (*const NewFormGadget)() = nullptr;
#endif

#if __has_include("FRTDsgn.h")
#include "FRTDsgn.h"
static TForm* NewFormRTDesign() { return new TFormRTDesign(); }
#else
static TForm* (*const NewFormRTDesign)() = nullptr;
#endif

#if __has_include("FUtilCmp.h")
#include "FUtilCmp.h"
static TForm* NewFormUtilityComp() { return new TFormUtilityComp(); }
#else
static TForm* (*const NewFormUtilityComp)() = nullptr;
#endif

#if __has_include("FOtherObj.h")
#include "FOtherObj.h"
static TForm* NewFormOtherObject() { return new TFormOtherObject(); }
#else
static TForm* (*const NewFormOtherObject)() = nullptr;
#endif

const std::vector<TLauncher>& Launchers() {
  static const std::vector<TLauncher> table = {
      {"ShineButton7", 7, "Simple Visuals", "TFormSimpleVis", "Simple Visual Components", 4,
       NewFormSimpleVis},
      {"ShineButton2", 2, "TPattern....", "TFormPattern", "TPattern....", 28, NewFormPattern},
      {"ShineButton1", 1, "TMeasureDisplay", "TFormMeasDisp", "TMeasureDisplay", 52, NewFormMeasDisp},
      {"ShineButton3", 3, "TFileListView...", "TFormFileView", "TFileListView...", 76, NewFormFileView},
      {"ShineButton4", 4, "TSlideControls", "TFormSlideMenu", "TSlideControls...", 100, NewFormSlideMenu},
      {"ShineButton5", 5, "TBarCodes", "TFormBarCodes", "TBarCodes", 124, NewFormBarCodes},
      {"ShineButton6", 6, "TGraph2D", "TFormGraph2D", "TGraph2D", 148, NewFormGraph2D},
      {"ShineButton8", 8, "Scroll Components", "TFormScroll", "Scroll Components", 172, NewFormScroll},
      {"ShineButton9", 9, "DB Controls", "TFormDBCtrl", "FormDBCtrl", 196, NewFormDBCtrl},
      {"ShineButton10", 10, "Common Controls", "TFormCommCtrls", "Common Controls", 220, NewFormCommCtrls},
      {"ShineButton15", 15, "Foglio di Calcolo", "TFormVDBChildSpreadSheet", "Foglio di Calcolo", 244,
       NewFormVDBChildSpreadSheet},
      {"ShineButton11", 11, "Gadget", "TFormGadget", "Gadget", 268, NewFormGadget},
      {"ShineButton14", 14, "Run Time Design", "TFormRTDesign", "Run Time Designing", 292, NewFormRTDesign},
      {"ShineButton12", 12, "Other Components", "TFormUtilityComp", "Other Components", 316,
       NewFormUtilityComp},
      {"ShineButton13", 13, "Other Objects", "TFormOtherObject", "Other Objects", 340, NewFormOtherObject},
  };
  return table;
}

const TLauncher* FindLauncher(const char* caption) {
  for (const auto& l : Launchers())
    if (std::strcmp(l.ButtonCaption, caption) == 0) return &l;
  return nullptr;
}
