#pragma once
// Shared by the grid's sources: fonts to and from their layout form.

#include <Tarnwell/database/EnhDBGrdLayout.h>
#include <Tarnwell/platform/TGraphics.h>

namespace Tarnwell {

inline TLayoutFont ToLayoutFont(const TFont& f) {
  TLayoutFont l;
  l.Name = f.Name();
  l.Height = f.Height();
  l.Style = f.Style();
  l.Color = f.Color();
  return l;
}

inline TFont FromLayoutFont(const TLayoutFont& l) {
  TFont f;
  f.SetName(l.Name);
  f.SetHeight(l.Height);
  f.SetStyle(l.Style);
  f.SetColor(l.Color);
  return f;
}

}  // namespace Tarnwell
