#pragma once
// Drawing routines of the monitor display's pictures. Every picture is drawn
// in a fixed logical space whose long side is 200 units and recorded into a
// metafile, which the display stretches into its own rectangle: the pictures
// look the same at any size. Each style has a back routine (what changes only
// with scale, colours or stop state) and a value routine (what changes with the
// value).

#include <QChar>
#include <QStringList>
#include <deque>

#include <Tarnwell/platform/TCanvas.h>
#include <Tarnwell/platform/TColor.h>
#include <Tarnwell/platform/TTypes.h>
#include <Tarnwell/TarnwellExport.h>

namespace Tarnwell {

// Integer samples of the graph style, oldest first; owned by the display.
using TMonitorHistory = std::deque<int>;

// What the monitor painter draws a style's picture from: the size of its space (200 units on
// the long side), the signal's range, value, stop state and colours, the aspect, the graph's
// history and the alarm.
struct TARNWELL_MEASURE_EXPORT TMonitorPaintData {
  int Size = 200;
  int ValueMin = 0;
  int ValueMax = 100;
  int Value = 0;
  bool Stop = false;
  TColor SignalColor = clWhite;
  TColor BackColor = clBtnFace;
  int Aspect = 1;  // 1 .. 10
  TMonitorHistory* History = nullptr;
  // The graph's value routine appends Value to History; a repaint of the same
  // value turns this off so that the sample is not counted twice.
  bool AppendHistory = true;
  // The alarm of the thermometer, the vertical bar and the level: at or
  // past AlarmLevel (towards ValueMax) the value is drawn in AlarmColor, and
  // a mark in that colour shows the level on the scale. Off: no trace of it.
  bool AlarmEnabled = false;
  int AlarmLevel = 0;
  TColor AlarmColor = clRed;
};

// The three shades of a colour: Dark (shadow), Light (highlight) and Contrast (a text colour
// that reads on it).
struct TARNWELL_MEASURE_EXPORT TColorShade {
  TColor Dark = clBlack;
  TColor Light = clWhite;
  TColor Contrast = clWhite;
};

// Shadow, highlight and text colour for a background colour.
TARNWELL_MEASURE_EXPORT void ColorShades(TColor c, TColor& dark, TColor& light, TColor& contrast);
TARNWELL_MEASURE_EXPORT TColorShade ColorShades(TColor c);

// c1 along the top and left, c2 along the bottom and right: (Dark, Light)
// looks sunken, (Light, Dark) raised.
TARNWELL_MEASURE_EXPORT void DrawEdge3D(TCanvas& canvas, const TRect& r, TColor c1, TColor c2);
// Hexagonal segments of a seven-segment digit, filled with the brush.
TARNWELL_MEASURE_EXPORT void DrawSegmentV(TCanvas& canvas, int x1, int y1, int x2, int y2);
TARNWELL_MEASURE_EXPORT void DrawSegmentH(TCanvas& canvas, int x1, int y1, int x2, int y2);
// Which segments a character lights, "1" per lit segment in the order lower
// left, upper left, top, upper right, lower right, bottom, middle.
TARNWELL_MEASURE_EXPORT const char* DigitPattern(QChar ch);
// One seven-segment character in the current pen and brush.
TARNWELL_MEASURE_EXPORT void DrawDigit(TCanvas& canvas, QChar ch, const TRect& r);

TARNWELL_MEASURE_EXPORT void PaintLevelBack(TCanvas& c, const TMonitorPaintData& d);
TARNWELL_MEASURE_EXPORT void PaintLevelValue(TCanvas& c, const TMonitorPaintData& d);
TARNWELL_MEASURE_EXPORT void PaintMeterBack(TCanvas& c, const TMonitorPaintData& d);
TARNWELL_MEASURE_EXPORT void PaintMeterValue(TCanvas& c, const TMonitorPaintData& d);
TARNWELL_MEASURE_EXPORT void PaintOnOffBack(TCanvas& c, const TMonitorPaintData& d);
TARNWELL_MEASURE_EXPORT void PaintOnOffValue(TCanvas& c, const TMonitorPaintData& d);
TARNWELL_MEASURE_EXPORT void PaintGraphBack(TCanvas& c, const TMonitorPaintData& d);
// Appends the clamped value to the history and drops the oldest samples that
// no longer fit the plot.
TARNWELL_MEASURE_EXPORT void PaintGraphValue(TCanvas& c, const TMonitorPaintData& d);
TARNWELL_MEASURE_EXPORT void PaintTermoBack(TCanvas& c, const TMonitorPaintData& d);
TARNWELL_MEASURE_EXPORT void PaintTermoValue(TCanvas& c, const TMonitorPaintData& d);
TARNWELL_MEASURE_EXPORT void PaintDigitBack(TCanvas& c, const TMonitorPaintData& d);
TARNWELL_MEASURE_EXPORT void PaintDigitValue(TCanvas& c, const TMonitorPaintData& d);
TARNWELL_MEASURE_EXPORT void PaintVBarBack(TCanvas& c, const TMonitorPaintData& d);
TARNWELL_MEASURE_EXPORT void PaintVBarValue(TCanvas& c, const TMonitorPaintData& d);
TARNWELL_MEASURE_EXPORT void PaintHalfMeterBack(TCanvas& c, const TMonitorPaintData& d);
TARNWELL_MEASURE_EXPORT void PaintHalfMeterValue(TCanvas& c, const TMonitorPaintData& d);

// Geometry the routines share, exposed for callers and tests.
namespace MoniPnt {
// The needle angle of the dial meter, 160 .. 380 degrees.
TARNWELL_MEASURE_EXPORT int MeterAngle(int value, int vmin, int vmax);
// The needle angle of the half meter, 180 .. 360 degrees.
TARNWELL_MEASURE_EXPORT int HalfMeterAngle(int value, int vmin, int vmax);
// Value clamped into the range, whichever way round its ends are given.
TARNWELL_MEASURE_EXPORT int ClampValue(int value, int vmin, int vmax);
// (value - vmin) * span / (vmax - vmin) in 64 bits, truncated toward zero;
// 0 when the range is empty. The result is clamped into the int range.
TARNWELL_MEASURE_EXPORT int ScaleInt(int value, int vmin, int vmax, int span);
// Number of cells of the digit counter: the longer of the two range texts.
TARNWELL_MEASURE_EXPORT int DigitCells(int vmin, int vmax);
// Whether the alarm is on and the value has reached its level, counting
// towards ValueMax (a range given upside down counts downwards).
TARNWELL_MEASURE_EXPORT bool InAlarm(const TMonitorPaintData& d);
// The graph plot's history length for a picture of short side D.
TARNWELL_MEASURE_EXPORT int GraphPlotLength(const TMonitorPaintData& d, TCanvas& c);
// The labels of a scale of `steps` equal steps from vmin (first) to vmax
// (last), as the graph (5 steps) and thermometer (10 steps) pictures print them.
TARNWELL_MEASURE_EXPORT QStringList ScaleLabels(int vmin, int vmax, int steps);
}  // namespace MoniPnt

}  // namespace Tarnwell
