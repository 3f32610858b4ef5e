#include "MoniPnt.h"

#include "DeviceSurface_p.h"
#include "ScaleText_p.h"

#include <QLocale>
#include <QPainter>
#include <QPolygon>
#include <algorithm>
#include <climits>
#include <cmath>
#include <cstdint>
#include <numbers>

namespace Tarnwell {

namespace {

constexpr double kDegToRad = std::numbers::pi / 180.0;

int ShortSide(const TMonitorPaintData& d) { return 200 / std::clamp(d.Aspect, 1, 10); }

// The label colour of a back picture: red while stopped (unless the background
// is red itself), else the text colour of the background.
TColor LabelColor(const TMonitorPaintData& d) {
  if (d.Stop && d.BackColor != clRed) return clRed;
  return ColorShades(d.BackColor).Contrast;
}

// Font heights computed from tiny pictures must never reach 0 (the default
// height) nor turn positive by accident.
void SetFontHeightSafe(TCanvas& c, int h) { c.Font().SetHeight(h < 0 ? h : -1); }

int CosR(double deg, double r) { return nearest(std::cos(deg * kDegToRad) * r); }
int SinR(double deg, double r) { return nearest(std::sin(deg * kDegToRad) * r); }

QString Num(std::int64_t v) { return QString::number(v); }

// Labels of a scale of n equal steps from ValueMin to ValueMax. A range the
// steps do not divide gets fractional labels, so every tick shows where it
// really stands; the ends stay the range's own integers.
struct TScaleLabels {
  int lo, hi, n, decimals;
  TScaleLabels(const TMonitorPaintData& d, int steps)
      : lo(d.ValueMin), hi(d.ValueMax), n(steps), decimals(ScaleText::Decimals(lo, hi, steps, 0)) {}
  QString Label(int i) const {
    if (i <= 0) return Num(lo);  // the ends are the range's own integers
    if (i >= n) return Num(hi);
    if (decimals == 0) {
      const std::int64_t v = std::int64_t(lo) + (std::int64_t(hi) - lo) * i / n;
      return Num(v);
    }
    QLocale loc;
    loc.setNumberOptions(QLocale::OmitGroupSeparator);
    return loc.toString(ScaleText::Tick(lo, hi, i, n), 'f', decimals);
  }
  // Room the labels take to the right of a plot: the maximum's width for
  // whole-number labels (as always), the widest label otherwise.
  int Width(TCanvas& c) const {
    int w = c.TextWidth(Num(hi));
    if (decimals > 0)
      for (int i = 0; i <= n; ++i) w = std::max(w, c.TextWidth(Label(i)));
    return w;
  }
};

}  // namespace

namespace MoniPnt {
bool InAlarm(const TMonitorPaintData& d) {
  if (!d.AlarmEnabled) return false;
  return d.ValueMax >= d.ValueMin ? d.Value >= d.AlarmLevel : d.Value <= d.AlarmLevel;
}


int ClampValue(int value, int vmin, int vmax) {
  const int lo = std::min(vmin, vmax), hi = std::max(vmin, vmax);
  return std::clamp(value, lo, hi);
}

int ScaleInt(int value, int vmin, int vmax, int span) {
  const std::int64_t range = std::int64_t(vmax) - std::int64_t(vmin);
  if (range == 0) return 0;
  // |value - vmin| < 2^33 and |span| < 2^31: the product fits in 64 bits.
  const std::int64_t num = (std::int64_t(value) - std::int64_t(vmin)) * std::int64_t(span);
  return ClampToInt(num / range);
}

int MeterAngle(int value, int vmin, int vmax) {
  if (vmax == vmin) return 160;
  const double a = 160.0 + double(nearest((double(value) - vmin) * 220.0 / (double(vmax) - vmin)));
  return int(std::clamp(a, 160.0, 380.0));
}

int HalfMeterAngle(int value, int vmin, int vmax) {
  if (vmax == vmin) return 180;
  const double a = 180.0 + double(nearest((double(value) - vmin) * 180.0 / (double(vmax) - vmin)));
  return int(std::clamp(a, 180.0, 360.0));
}

int DigitCells(int vmin, int vmax) {
  return std::max<int>({1, int(Num(vmax).size()), int(Num(vmin).size())});
}

QStringList ScaleLabels(int vmin, int vmax, int steps) {
  TMonitorPaintData d;
  d.ValueMin = vmin;
  d.ValueMax = vmax;
  const TScaleLabels labels(d, std::max(1, steps));
  QStringList out;
  for (int i = 0; i <= labels.n; ++i) out << labels.Label(i);
  return out;
}

int GraphPlotLength(const TMonitorPaintData& d, TCanvas& c) {
  const int D = ShortSide(d);
  const int old = c.Font().Height();
  SetFontHeightSafe(c, D / -8);
  const int w = TScaleLabels(d, 5).Width(c);
  c.Font().SetHeight(old);
  return (200 - w - 4) - 4;
}

}  // namespace MoniPnt

void ColorShades(TColor c, TColor& dark, TColor& light, TColor& contrast) {
  struct Row {
    TColor c, dark, light, contrast;
  };
  static constexpr Row kTable[] = {
      {clBlack, clWhite, clWhite, clWhite},  {clMaroon, clBlack, clRed, clWhite},
      {clGreen, clBlack, clLime, clWhite},   {clOlive, clBlack, clYellow, clWhite},
      {clNavy, clBlack, clBlue, clWhite},    {clPurple, clBlack, clFuchsia, clWhite},
      {clTeal, clNavy, clAqua, clBlack},     {clGray, clBlack, clSilver, clWhite},
      {clSilver, clGray, clWhite, clBlack},  {clRed, clMaroon, clWhite, clWhite},
      {clLime, clGreen, clWhite, clBlack},   {clYellow, clOlive, clWhite, clBlack},
      {clBlue, clNavy, clAqua, clWhite},     {clFuchsia, clPurple, clWhite, clBlack},
      {clAqua, clTeal, clWhite, clBlack},    {clWhite, clBlack, clBlack, clBlack},
      {clBtnFace, clGray, clWhite, clBlack}, {clWindow, clBlack, clBlack, clBlack},
  };
  for (const Row& r : kTable) {
    if (r.c == c) {
      dark = r.dark;
      light = r.light;
      contrast = r.contrast;
      return;
    }
  }
  dark = clBlack;
  light = clWhite;
  contrast = clWhite;
}

TColorShade ColorShades(TColor c) {
  TColorShade s;
  ColorShades(c, s.Dark, s.Light, s.Contrast);
  return s;
}

void DrawEdge3D(TCanvas& canvas, const TRect& r, TColor c1, TColor c2) {
  canvas.Pen().SetColor(c1);
  canvas.Polyline({Point(r.Left, r.Bottom - 1), Point(r.Left, r.Top), Point(r.Right, r.Top)});
  canvas.Pen().SetColor(c2);
  canvas.Polyline({Point(r.Left, r.Bottom), Point(r.Right, r.Bottom), Point(r.Right, r.Top + 1)});
}

void DrawSegmentV(TCanvas& canvas, int x1, int y1, int x2, int y2) {
  const int d = (x2 - x1) / 2;
  canvas.Polygon({Point(x1, y1 + d), Point(x1 + d, y1), Point(x2, y1 + d), Point(x2, y2 - d),
                  Point(x2 - d, y2), Point(x1, y2 - d)});
}

void DrawSegmentH(TCanvas& canvas, int x1, int y1, int x2, int y2) {
  const int d = (y2 - y1) / 2;
  canvas.Polygon({Point(x1, y1 + d), Point(x1 + d, y1), Point(x2 - d, y1), Point(x2, y1 + d),
                  Point(x2 - d, y2), Point(x1 + d, y2)});
}

const char* DigitPattern(QChar ch) {
  switch (ch.unicode()) {
    case '0':
      return "1111110";
    case '1':
      return "0001100";
    case '2':
      return "1011011";
    case '3':
      return "0011111";
    case '4':
      return "0101101";
    case '5':
      return "0110111";
    case '6':
      return "1110111";
    case '7':
      return "0011100";
    case '8':
      return "1111111";
    case '9':
      return "0111111";
    case '-':
      return "0000001";
    case '*':
      return "1111111";
    default:
      return "0000000";
  }
}

void DrawDigit(TCanvas& canvas, QChar ch, const TRect& r) {
  const int L = r.Left + 2, T = r.Top + 2, R = r.Right - 2, B = r.Bottom - 2;
  const int t = std::min((B - T) / 5, (R - L) / 5);
  if (t <= 0) return;  // too small for any segment
  const int M = T + (B - T) / 2;
  const int d = t / 2;
  const char* p = DigitPattern(ch);
  if (p[0] == '1') DrawSegmentV(canvas, L, M, L + t, B - d);
  if (p[1] == '1') DrawSegmentV(canvas, L, T + d, L + t, M);
  if (p[2] == '1') DrawSegmentH(canvas, L + d, T, R - d, T + t);
  if (p[3] == '1') DrawSegmentV(canvas, R - t, T + d, R, M);
  if (p[4] == '1') DrawSegmentV(canvas, R - t, M, R, B - d);
  if (p[5] == '1') DrawSegmentH(canvas, L + d, B - t, R - d, B);
  if (p[6] == '1') DrawSegmentH(canvas, L + d, M - d, R - d, M + d);
}

// ---- Level: horizontal segmented bar -------------------------------------

void PaintLevelBack(TCanvas& c, const TMonitorPaintData& d) {
  const int D = ShortSide(d);
  const TColorShade bs = ColorShades(d.BackColor);
  const int oldHeight = c.Font().Height();
  SetFontHeightSafe(c, D / -3);
  const int h = c.Font().Height();
  DrawEdge3D(c, Rect(0, 2 - h, 200, D), bs.Dark, bs.Light);
  const QString minText = Num(d.ValueMin), maxText = Num(d.ValueMax);
  if (c.TextWidth(maxText + minText) < 192) {
    c.Brush().SetStyle(bsClear);
    c.Font().SetColor(LabelColor(d));
    c.TextOut(4, 0, minText);
    c.TextOut(200 - c.TextWidth(maxText) - 4, 0, maxText);
  }
  c.Font().SetHeight(oldHeight);
}

void PaintLevelValue(TCanvas& c, const TMonitorPaintData& d) {
  const int D = ShortSide(d);
  const TColor fill = MoniPnt::InAlarm(d) ? d.AlarmColor : d.SignalColor;
  const TColorShade ss = ColorShades(fill);
  TRect r = Rect(0, D / 3 + 2, 200, D);
  InflateRect(r, -1, -1);
  c.Brush().SetColor(fill);
  c.Brush().SetStyle(bsSolid);
  // Only the top is clamped: a value below the minimum lights no segment.
  const int b = std::min(MoniPnt::ScaleInt(d.Value, d.ValueMin, d.ValueMax, 200), 200);
  for (int x = 1; x < b; x += 10) {
    r.Left = x;
    r.Right = x + 8;
    c.FillRect(r);
    DrawEdge3D(c, r, ss.Light, ss.Dark);
  }
  if (d.AlarmEnabled) {
    // The level as a notch over the segments.
    const int lx = std::clamp(MoniPnt::ScaleInt(MoniPnt::ClampValue(d.AlarmLevel, d.ValueMin, d.ValueMax),
                                                d.ValueMin, d.ValueMax, 200),
                              1, 198);
    c.Brush().SetColor(d.AlarmColor);
    c.FillRect(Rect(lx - 1, D / 3 + 1, lx + 1, D / 3 + 1 + std::max(2, (D - D / 3) / 4)));
  }
}

// ---- Meter: 220 degree dial ----------------------------------------------

void PaintMeterBack(TCanvas& c, const TMonitorPaintData& d) {
  const TColorShade bs = ColorShades(d.BackColor);
  c.Pen().SetStyle(psSolid);
  c.Pen().SetColor(bs.Light);
  c.Ellipse(9, 9, 190, 190);
  c.Pen().SetColor(bs.Contrast);
  c.Ellipse(10, 10, 191, 191);
  c.Brush().SetColor(bs.Dark);
  c.Pen().SetColor(bs.Dark);
  c.Ellipse(10, 10, 190, 190);
  c.Brush().SetColor(d.SignalColor);
  c.Pen().SetColor(clBlack);
  c.Ellipse(15, 15, 185, 185);
  c.Pen().SetColor(d.SignalColor == clBlack ? clWhite : clBlack);
  const int r = 72;
  int lx = 0, ly = 0;
  for (int pass = 0; pass < 2; ++pass) {
    const int start = pass == 0 ? 160 : 170, step = pass == 0 ? 5 : 25;
    for (int a = start; a <= 380; a += step) {
      const int dx = CosR(a, r), dy = SinR(a, r);
      c.MoveTo(100 + (10 + pass) * dx / 10, 100 + (10 + pass) * dy / 10);
      c.LineTo(100 + dx * 9 / 10, 100 + dy * 9 / 10);
      if (a == 160) {
        lx = 100 + dx + 1;
        ly = 100 + dy + 1;
      }
    }
  }
  c.Brush().SetStyle(bsClear);
  const int oldHeight = c.Font().Height();
  c.Font().SetSize(r / 6);
  const QString maxText = Num(d.ValueMax);
  c.TextOut(lx, ly, Num(d.ValueMin));
  c.TextOut(200 - lx - c.TextWidth(maxText), ly, maxText);
  c.Font().SetHeight(oldHeight);
}

void PaintMeterValue(TCanvas& c, const TMonitorPaintData& d) {
  const int a = MoniPnt::MeterAngle(d.Value, d.ValueMin, d.ValueMax);
  TColor col = d.SignalColor == clBlack ? clWhite : clBlack;
  if (d.Stop && d.SignalColor != clRed) col = clRed;
  c.Pen().SetColor(col);
  c.Pen().SetWidth(200 * 8 / 400);
  c.MoveTo(100 + CosR(a, 80), 100 + SinR(a, 80));
  c.LineTo(100 + CosR(a + 180, 10), 100 + SinR(a + 180, 10));
  c.Brush().SetColor(col);
  c.Brush().SetStyle(bsSolid);
  c.Ellipse(92, 92, 108, 108);
}

// ---- Lamp ----------------------------------------------------------------

void PaintOnOffBack(TCanvas& c, const TMonitorPaintData& d) {
  const TColorShade bs = ColorShades(d.BackColor);
  c.Pen().SetColor(bs.Light);
  c.Ellipse(-2, -2, 200, 200);
  c.Pen().SetColor(bs.Contrast);
  c.Ellipse(0, 0, 202, 202);
  c.Brush().SetColor(bs.Dark);
  c.Pen().SetColor(bs.Dark);
  c.Ellipse(0, 0, 200, 200);
}

void PaintOnOffValue(TCanvas& c, const TMonitorPaintData& d) {
  const int S = (200 / 7) * 6;
  const TColorShade ss = ColorShades(d.SignalColor);
  c.Brush().SetColor(d.SignalColor);
  const int e1 = (2 * S) / 12;
  c.Ellipse(e1, e1, 200 - e1, 200 - e1);
  c.Pen().SetStyle(psClear);
  c.Brush().SetColor(ss.Light);
  c.Ellipse(S / 2, (2 * S) / 7, 200 - S / 4, 200 - (2 * S) / 5);
  c.Brush().SetColor(ss.Dark);
  c.Ellipse((3 * S) / 10, S / 2, 200 - (2 * S) / 5, 200 - S / 4);
  c.Brush().SetColor(d.SignalColor);
  const int e2 = (2 * S) / 7;
  c.Ellipse(e2, e2, 200 - e2, 200 - e2);
}

// ---- Graph: strip chart --------------------------------------------------

void PaintGraphBack(TCanvas& c, const TMonitorPaintData& d) {
  const int D = ShortSide(d);
  const TColorShade bs = ColorShades(d.BackColor), ss = ColorShades(d.SignalColor);
  const int oldHeight = c.Font().Height();
  SetFontHeightSafe(c, D / -8);
  const int hh = c.Font().Height() / 2;
  const TScaleLabels labels(d, 5);
  const int w = labels.Width(c);
  TRect r = Rect(0, -hh, 200 - w - 4, D + hh);
  c.Font().SetColor(LabelColor(d));
  c.Pen().SetStyle(psSolid);
  DrawEdge3D(c, r, bs.Dark, bs.Light);
  r.Left += 1;
  r.Top += 1;
  c.Brush().SetColor(d.SignalColor);
  c.Pen().SetColor(ss.Dark);
  c.Rectangle(r);
  c.Brush().SetStyle(bsClear);
  const int gs = (r.Bottom - r.Top) / 5;
  int y = r.Bottom - 1;
  for (int i = 0; i <= 5; ++i) {
    if (i > 0 && i < 5) {
      for (int x = r.Left + 3; x < r.Right - 2; x += 4) {
        c.MoveTo(x, y);
        c.LineTo(x + 1, y);
      }
    }
    c.TextOut(r.Right, y + hh, " " + labels.Label(i));
    y -= gs;
  }
  c.Font().SetHeight(oldHeight);
}

void PaintGraphValue(TCanvas& c, const TMonitorPaintData& d) {
  const int D = ShortSide(d);
  const TColorShade bs = ColorShades(d.BackColor), ss = ColorShades(d.SignalColor);
  SetFontHeightSafe(c, D / -8);
  const int q = D / 16;
  const int w = TScaleLabels(d, 5).Width(c);
  const TRect r = Rect(0, q, 200 - w - 4, D - q);
  const int n = std::max(0, r.Right - r.Left - 4);
  c.Pen().SetStyle(psSolid);
  c.Pen().SetColor(ss.Contrast);
  const int v = MoniPnt::ClampValue(d.Value, d.ValueMin, d.ValueMax);
  auto yOf = [&](int s) {
    if (d.ValueMax == d.ValueMin) return r.Bottom - 1;
    return r.Bottom - MoniPnt::ScaleInt(MoniPnt::ClampValue(s, d.ValueMin, d.ValueMax), d.ValueMin,
                                        d.ValueMax, r.Bottom - r.Top);
  };
  if (d.History) {
    TMonitorHistory& h = *d.History;
    if (d.AppendHistory) h.push_back(v);
    while (int(h.size()) > n) h.pop_front();
    if (h.size() > 1) {
      // One polyline rather than a LineTo per sample: the curve is redrawn
      // at every value change.
      QPolygon poly;
      poly.reserve(int(h.size()));
      int x = r.Right - 2;
      for (auto it = h.rbegin(); it != h.rend(); ++it, --x) poly.append(QPoint(x, yOf(*it)));
      if (QPainter* p = c.Painter()) {
        p->setBrush(Qt::NoBrush);
        p->drawPolyline(poly);
      }
    }
  }
  DrawEdge3D(c, r, bs.Dark, bs.Light);
}

// ---- Thermometer ---------------------------------------------------------

namespace {
struct TermoGeometry {
  int R, t, cx, by, s0;
  explicit TermoGeometry(int D) {
    R = D / 3;
    t = R / 2;
    cx = D * 2 / 6;
    by = 200 - R;
    s0 = by - R - t;
  }
};
}  // namespace

void PaintTermoBack(TCanvas& c, const TMonitorPaintData& d) {
  const TermoGeometry g(ShortSide(d));
  const int R = g.R, t = g.t, cx = g.cx, by = g.by, s0 = g.s0;
  const TColorShade bs = ColorShades(d.BackColor), ss = ColorShades(d.SignalColor);
  const TColor scale = LabelColor(d);
  c.Font().SetColor(scale);
  c.Pen().SetStyle(psSolid);
  c.Brush().SetColor(d.BackColor);
  c.Rectangle(cx - t, 0, cx + t, by);
  c.Brush().SetColor(bs.Light);
  c.Pen().SetColor(bs.Light);
  c.Rectangle(cx - t + 1, 1, cx - t / 2, by - 1);
  c.Brush().SetColor(bs.Dark);
  c.Pen().SetColor(bs.Dark);
  c.Rectangle(cx + t / 2, 1, cx + t - 1, by - 1);
  c.Pen().SetColor(clBlack);
  c.Brush().SetColor(d.SignalColor);
  c.Ellipse(cx - R, by - R, cx + R, by + R);
  c.Rectangle(cx - t, s0, cx + t, by);
  c.Rectangle(cx - t - 1, s0 + 1, cx + t + 1, s0 + 3);
  c.Brush().SetColor(ss.Light);
  c.Pen().SetColor(ss.Light);
  c.Ellipse(cx - R + 1, by - R + 2, cx + t, by + R - 2);
  c.Rectangle(cx - t + 1, s0 + 3, cx - t / 2, by);
  c.Brush().SetColor(ss.Dark);
  c.Pen().SetColor(ss.Dark);
  c.Ellipse(cx - t, by - R + 2, cx + R - 1, by + R - 2);
  c.Rectangle(cx + t / 2, s0 + 3, cx + t - 1, by - 1);
  c.Brush().SetColor(d.SignalColor);
  c.Pen().SetStyle(psClear);
  c.Rectangle(cx - t / 2 - 1, s0 + 3, cx + t / 2 + 1, by);
  const int rr = (R + t) / 2;
  c.Ellipse(cx - rr, by - rr, cx + rr, by + rr);

  c.Brush().SetStyle(bsClear);
  c.Pen().SetStyle(psSolid);
  c.Pen().SetColor(scale);
  const int o = (by - 2 * R) / 10;
  SetFontHeightSafe(c, o * -2 / 3);
  const int fh = c.Font().Height();
  const TScaleLabels labels(d, 10);
  int y = s0;
  for (int i = 0; i <= 10; ++i) {
    c.MoveTo(cx + t, y);
    c.LineTo(cx + R, y);
    c.TextOut(cx + R, y + fh / 2, " " + labels.Label(i));
    y -= o;
  }
}

void PaintTermoValue(TCanvas& c, const TMonitorPaintData& d) {
  const TermoGeometry g(ShortSide(d));
  const int R = g.R, t = g.t, cx = g.cx, by = g.by, s0 = g.s0;
  const TColorShade ss = ColorShades(d.SignalColor);
  const int v = MoniPnt::ClampValue(d.Value, d.ValueMin, d.ValueMax);
  const int top = s0 - MoniPnt::ScaleInt(v, d.ValueMin, d.ValueMax, by - 2 * R);
  const bool alarm = MoniPnt::InAlarm(d);
  const TColorShade as = alarm ? ColorShades(d.AlarmColor) : ss;
  c.Brush().SetColor(alarm ? d.AlarmColor : d.SignalColor);
  c.Rectangle(cx - t + 1, top, cx + t - 1, s0);
  c.Brush().SetColor(as.Light);
  c.Pen().SetColor(as.Light);
  c.Rectangle(cx - t + 1, top, cx - t / 2, s0 - 1);
  c.Brush().SetColor(as.Dark);
  c.Pen().SetColor(as.Dark);
  c.Rectangle(cx + t / 2, top, cx + t - 1, s0 - 1);
  if (d.AlarmEnabled) {
    // The level as a mark right of the tube.
    const int ly = s0 - MoniPnt::ScaleInt(MoniPnt::ClampValue(d.AlarmLevel, d.ValueMin, d.ValueMax), d.ValueMin,
                                          d.ValueMax, by - 2 * R);
    c.Brush().SetColor(d.AlarmColor);
    c.Pen().SetColor(d.AlarmColor);
    c.Rectangle(cx + t + 1, ly - 1, cx + t + 1 + std::max(3, t), ly + 2);
  }
}

// ---- Seven-segment counter -----------------------------------------------

void PaintDigitBack(TCanvas& c, const TMonitorPaintData& d) {
  const int D = ShortSide(d);
  const TColorShade bs = ColorShades(d.BackColor), ss = ColorShades(d.SignalColor);
  const int N = MoniPnt::DigitCells(d.ValueMin, d.ValueMax);
  const int dw = 192 / N, g = (192 % N + 8) / (N + 1);
  DrawEdge3D(c, Rect(0, 0, 200, D), bs.Dark, bs.Light);
  c.Brush().SetStyle(bsSolid);
  c.Brush().SetColor(ss.Dark);
  c.Pen().SetStyle(psClear);
  int x = 200 - dw - g;
  for (int i = 0; i < N; ++i) {
    c.Rectangle(x, 2, x + dw, D - 2);
    x -= dw + g;
  }
}

void PaintDigitValue(TCanvas& c, const TMonitorPaintData& d) {
  const int D = ShortSide(d);
  const TColorShade ss = ColorShades(d.SignalColor);
  const int N = MoniPnt::DigitCells(d.ValueMin, d.ValueMax);
  const int dw = 192 / N, g = (192 % N + 8) / (N + 1);
  c.Brush().SetStyle(bsSolid);
  c.Brush().SetColor(d.SignalColor);
  c.Pen().SetColor(ss.Dark);
  // 64 bits: the magnitude of INT_MIN does not fit an int.
  std::int64_t v = MoniPnt::ClampValue(d.Value, d.ValueMin, d.ValueMax);
  if (v < 0) {
    DrawDigit(c, '-', Rect(g, 2, g + dw, D - 2));
    v = -v;
  }
  int x = 200 - dw - g;
  if (v == 0) {
    DrawDigit(c, '0', Rect(x, 2, x + dw, D - 2));
    return;
  }
  const QString s = Num(v);
  std::int64_t p = 1;
  for (int i = 1; i < N; ++i) p *= 10;
  for (int i = N - 1; i >= 0; --i, p /= 10) {
    if (p <= v && i < s.size()) {
      DrawDigit(c, s[i], Rect(x, 2, x + dw, D - 2));
      x -= dw + g;
    }
  }
}

// ---- Vertical segmented bar ----------------------------------------------

void PaintVBarBack(TCanvas& c, const TMonitorPaintData& d) {
  const int D = ShortSide(d);
  const TColorShade bs = ColorShades(d.BackColor), ss = ColorShades(d.SignalColor);
  c.Font().SetHeight(-(200 / 20));
  c.Brush().SetStyle(bsSolid);
  c.Brush().SetColor(d.SignalColor == clWhite ? clWhite : bs.Contrast);
  c.FillRect(Rect(0, 1, D, 199));
  c.Pen().SetStyle(psSolid);
  DrawEdge3D(c, Rect(0, 0, D, 200), bs.Dark, bs.Light);
  TColor pen;
  if (d.SignalColor == clWhite)
    pen = clSilver;
  else if (d.SignalColor == clBlack)
    pen = clGray;
  else if (d.SignalColor == clGray)
    pen = clBlack;
  else
    pen = ss.Dark == clBlack ? clGray : ss.Dark;
  c.Pen().SetColor(pen);
  for (int y = 186; y > 12; y -= 2) {
    c.MoveTo(4, y);
    c.LineTo(D - 4, y);
  }
  c.Font().SetColor(d.Stop && d.SignalColor != clRed ? clRed : ss.Light);
  c.Brush().SetStyle(bsClear);
  const QString maxText = Num(d.ValueMax), minText = Num(d.ValueMin);
  c.TextRect(Rect(0, 2, D, 12), (D - c.TextWidth(maxText)) / 2, 2, maxText);
  c.TextRect(Rect(0, 188, D, 198), (D - c.TextWidth(minText)) / 2, 188, minText);
}

void PaintVBarValue(TCanvas& c, const TMonitorPaintData& d) {
  const int D = ShortSide(d);
  TColor pen = d.SignalColor;
  if (d.SignalColor == clWhite) pen = clBlack;
  if (d.SignalColor == clBlack) pen = clWhite;
  if (MoniPnt::InAlarm(d)) pen = d.AlarmColor;
  c.Pen().SetColor(pen);
  const int v = MoniPnt::ClampValue(d.Value, d.ValueMin, d.ValueMax);
  const int top = d.ValueMax == d.ValueMin ? 188 : 188 - MoniPnt::ScaleInt(v, d.ValueMin, d.ValueMax, 176);
  for (int y = 186; y > top; y -= 2) {
    c.MoveTo(4, y);
    c.LineTo(D - 4, y);
  }
  if (d.AlarmEnabled) {
    // The level as a double line across the bar.
    const int lv = MoniPnt::ClampValue(d.AlarmLevel, d.ValueMin, d.ValueMax);
    const int ly = d.ValueMax == d.ValueMin ? 188 : 188 - MoniPnt::ScaleInt(lv, d.ValueMin, d.ValueMax, 176);
    c.Pen().SetColor(d.AlarmColor);
    for (int y : {ly - 1, ly}) {
      c.MoveTo(4, y);
      c.LineTo(D - 4, y);
    }
  }
}

// ---- Half meter ----------------------------------------------------------

namespace {
struct HalfGeometry {
  int lw, m, x1, x2, base;
  explicit HalfGeometry(int D) {
    lw = D / 10;
    m = D / 6;
    x1 = lw / 2 + m;
    x2 = 200 - m - lw / 2;
    base = D - m;
  }
};
}  // namespace

void PaintHalfMeterBack(TCanvas& c, const TMonitorPaintData& d) {
  const int D = ShortSide(d);
  const HalfGeometry g(D);
  const TColorShade bs = ColorShades(d.BackColor), ss = ColorShades(d.SignalColor);
  SetFontHeightSafe(c, D / -6);
  DrawEdge3D(c, Rect(0, 0, 200, D), bs.Dark, bs.Light);
  c.Brush().SetColor(ss.Dark);
  c.FillRect(Rect(1, 1, 199, D - 1));
  const bool mono = d.SignalColor == clWhite || d.SignalColor == clBlack;
  c.Pen().SetWidth(std::max(1, g.lw));
  c.Pen().SetColor(mono ? clSilver : ss.Light);
  c.Arc(g.x1, g.lw - 2, g.x2, 2 * g.base - 2, g.x2, g.base - 2, g.x1, g.base - 2);
  c.Pen().SetColor(d.SignalColor);
  c.Arc(g.x1, g.lw, g.x2, 2 * g.base, g.x2, g.base, g.x1, g.base);
  TColor font = ss.Contrast;
  if (d.SignalColor == clWhite) font = clBlack;
  if (d.SignalColor == clBlack) font = clWhite;
  c.Font().SetColor(font);
  c.Brush().SetStyle(bsClear);
  const QString maxText = Num(d.ValueMax);
  c.TextOut(g.lw / 2, g.base - 2, Num(d.ValueMin));
  c.TextOut(200 - c.TextWidth(maxText) - g.lw / 2, g.base - 2, maxText);
}

void PaintHalfMeterValue(TCanvas& c, const TMonitorPaintData& d) {
  const int D = ShortSide(d);
  const HalfGeometry g(D);
  const TColorShade ss = ColorShades(d.SignalColor);
  const int rx = (200 - 2 * g.m) / 2 - g.lw, ry = D - g.m - g.lw;
  const int a = MoniPnt::HalfMeterAngle(d.Value, d.ValueMin, d.ValueMax);
  const TPoint tip(100 + CosR(a, rx), g.base + SinR(a, ry));
  const TPoint p1(100 + CosR(a + 90, g.lw - 2), g.base + SinR(a + 90, g.lw - 2));
  const TPoint p2(100 + CosR(a - 90, g.lw - 2), g.base + SinR(a - 90, g.lw - 2));
  c.Brush().SetColor(d.Stop ? clRed : d.SignalColor);
  c.Pen().SetStyle(psClear);
  c.Polygon({tip, p1, p2});
  c.Pen().SetStyle(psSolid);
  c.Pen().SetColor(a <= 270 ? clBlack : ss.Light);
  c.MoveTo(tip.x(), tip.y());
  c.LineTo(p2.x(), p2.y());
  c.Pen().SetColor(a <= 270 ? ss.Light : clBlack);
  c.MoveTo(tip.x(), tip.y());
  c.LineTo(p1.x(), p1.y());
  c.Pen().SetStyle(psClear);
  c.Brush().SetColor(ss.Dark == clBlack ? clWhite : clBlack);
  c.Ellipse(100 - g.lw - 1, g.base - g.lw - 1, 100 + g.lw + 1, g.base + g.lw + 1);
}

}  // namespace Tarnwell
