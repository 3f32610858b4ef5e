// The graph's frame: mapping, tick spacing, layout with legend, axis labels
// and their formats, grid, border and axes.
#include <QDate>
#include <QFontMetrics>
#include <QLocale>
#include <QPainter>
#include <algorithm>
#include <cmath>

#include "GraphObj.h"
#include "GraphRaster.h"
#include <Tarnwell/platform/TDateTime.h>

namespace Tarnwell {

namespace {

// Restores the canvas font on every way out of a drawing routine.
class TFontKeeper {
 public:
  explicit TFontKeeper(TCanvas& c) : mCanvas(c) { mSaved.Assign(c.Font()); }
  ~TFontKeeper() { mCanvas.Font().Assign(mSaved); }

 private:
  TCanvas& mCanvas;
  TFont mSaved;
};

int FontPixelHeight(const TFont& f) { return QFontMetrics(f.ToQFont()).height(); }

std::int64_t ClampPixel(double v) {
  if (std::isnan(v)) return 0;
  constexpr double lim = TGraphDrawObject::kPixelLimit;
  return std::int64_t(std::nearbyint(std::clamp(v, -lim, lim)));
}

}  // namespace

void TextOutAngle(TCanvas& canvas, int x, int y, const QString& text, int angle) {
  TFont saved;
  saved.Assign(canvas.Font());
  canvas.Font().Assign(RotatedFont(saved, angle * 10));
  canvas.TextOut(x, y, text);
  canvas.Font().Assign(saved);
}

double NiceStep(double step) {
  if (!std::isfinite(step) || !(step > 0)) return step;
  const double p = std::pow(10.0, std::floor(std::log10(step)));
  for (double m : {1.0, 2.0, 5.0, 10.0})
    if (m * p >= step * (1 - 1e-12)) return m * p;
  return 10 * p;
}

std::vector<double> GraphTicks(double min, double max, int division, bool unitary, double pixelsPerUnit,
                               double minPixels, bool nice) {
  std::vector<double> ticks;
  if (!std::isfinite(min) || !std::isfinite(max) || !(max > min)) return ticks;
  if (!unitary && division == 0) return ticks;  // the span cannot be divided by zero
  double step = unitary ? double(division) : (max - min) / division;
  if (!std::isfinite(step) || !(step > 0)) return ticks;
  if (!std::isfinite(pixelsPerUnit) || pixelsPerUnit <= 0) return ticks;
  // Never closer than one pixel, or a huge span in small unitary steps would
  // ask for billions of ticks.
  minPixels = std::max(minPixels, 1.0);
  if (nice) {
    step = NiceStep(step);
    while (std::isfinite(step) && step * pixelsPerUnit < minPixels) step = NiceStep(step * 1.5);
  } else {
    while (std::isfinite(step) && step * pixelsPerUnit < minPixels) step *= 2;
  }
  if (!std::isfinite(step) || !(step > 0)) return ticks;
  if (nice) {
    // Multiples of the step counted from zero, so that no rounding error
    // piles up along the axis (0.1 x 3 stays 0.3).
    const double e = std::floor(std::log10(step) + 1e-9);
    const double m = std::round(step / std::pow(10.0, e));
    auto value = [&](double k) { return e < 0 ? k * m / std::pow(10.0, -e) : k * m * std::pow(10.0, e); };
    const double k0 = std::ceil(min / step);
    if (!std::isfinite(k0) || !((max - k0 * step) / step < 1e6)) return ticks;
    for (double k = k0; value(k) < max; ++k) ticks.push_back(value(k) + 0.0);
    return ticks;
  }
  double t = std::trunc(min / step) * step;
  if (!std::isfinite(t)) t = min;
  if (min > 0) t += step;
  // Ticks so close that their number outgrows any pixel count are refused.
  const double count = (max - t) / step;
  if (!(count < 1e6)) return ticks;
  for (int i = 0; t < max; ++i) {
    ticks.push_back(t);
    const double next = t + step;
    if (next == t) break;  // the step no longer moves a value this large
    t = next;
  }
  return ticks;
}

// ---- TGraphDrawObject ----------------------------------------------------------------

void TGraphDrawObject::SetScale(const TGraphRange& range, const TRect& rect) {
  const double w = double(rect.Right) - rect.Left, h = double(rect.Bottom) - rect.Top;
  mXScale = w != 0 ? (range.XMax - range.XMin) / w : 1.0;
  mYScale = h != 0 ? (range.YMax - range.YMin) / h : 1.0;
  if (!std::isfinite(mXScale)) mXScale = 1.0;
  if (!std::isfinite(mYScale)) mYScale = 1.0;
  if (std::fabs(mXScale) < 1e-8) mXScale = 1e-8;
  if (std::fabs(mYScale) < 1e-8) mYScale = 1e-8;
  mXMin = range.XMin;
  mYMin = range.YMin;
  mPixLeft = rect.Left;
  mPixBottom = rect.Bottom;
}

int TGraphDrawObject::XToPixel(double x) const {
  return int(
      std::clamp<std::int64_t>(ClampPixel((x - mXMin) / mXScale) + mPixLeft, -kPixelLimit, kPixelLimit));
}

int TGraphDrawObject::YToPixel(double y) const {
  return int(
      std::clamp<std::int64_t>(mPixBottom - ClampPixel((y - mYMin) / mYScale), -kPixelLimit, kPixelLimit));
}

// ---- TGraphLayout ------------------------------------------------------------------

TGraphLayout::TGraphLayout() {
  mBrush.SetColor(clWhite);
  mBrush.SetStyle(bsClear);
  mFont.SetName("Arial");
  mLegendFont.SetName("Arial");
  mBrush.OnChange = [this](TGraphicsObject*) { Notify(); };
  mFont.OnChange = [this](TGraphicsObject*) {
    Notify();
    Q_EMIT FontChanged(mFont.ToQFont());
  };
  mLegendFont.OnChange = [this](TGraphicsObject*) {
    Notify();
    Q_EMIT LegendFontChanged(mLegendFont.ToQFont());
  };
}

void TGraphLayout::Assign(const TGraphLayout& o) {
  if (&o == this) return;
  mTitle = o.mTitle;
  mDescription = o.mDescription;
  mAxisXText = o.mAxisXText;
  mAxisYText = o.mAxisYText;
  mLegend = o.mLegend;
  mBrush.Assign(o.mBrush);
  mFont.Assign(o.mFont);
  mLegendFont.Assign(o.mLegendFont);
  Notify();
}


void TGraphLayout::ComputeLayout(TCanvas& canvas, const TRect& rect, TRect& plotRect) {
  TFontKeeper keep(canvas);
  const int th = canvas.TextHeight(mTitle), tw = canvas.TextWidth(mTitle);
  canvas.Font().Assign(mFont);
  const int dh = canvas.TextHeight(mDescription);
  const int xh = canvas.TextHeight(mAxisXText);
  const int yh = canvas.TextHeight(mAxisYText);
  int d = dh + 4;
  if (mSeries && mLegend) {
    canvas.Font().Assign(mLegendFont);
    for (int i = 0; i < mSeries->Count(); ++i)
      if (mSeries->Items(i)->Visible()) d += canvas.TextHeight(mSeries->Items(i)->Name());
    canvas.Font().Assign(mFont);
    d += 8;
  }
  plotRect.Left = rect.Left + yh + 8;
  plotRect.Right = rect.Right - 8;
  plotRect.Bottom = rect.Bottom - xh - 8;
  const int t = rect.Top + th + 2;
  plotRect.Top = t + d;
  mTitlePos = TPoint(rect.Left + yh + 8 + (rect.Right - rect.Left - yh - tw - 16) / 2, rect.Top + 4);
  mDescPos =
      TPoint(plotRect.Left + (plotRect.Right - plotRect.Left - canvas.TextWidth(mDescription)) / 2, t + 4);
  mAxisXPos = TPoint(plotRect.Left + (plotRect.Right - plotRect.Left - canvas.TextWidth(mAxisXText)) / 2,
                     plotRect.Bottom + 4);
  mAxisYPos = TPoint(rect.Left + 4,
                     plotRect.Bottom - (plotRect.Bottom - plotRect.Top - canvas.TextWidth(mAxisYText)) / 2);
  mPlot = plotRect;
  mDescHeight = dh;
}

void TGraphLayout::Draw(TCanvas& canvas, const TRect& rect, bool mono) {
  TFontKeeper keep(canvas);
  TRect plot;
  ComputeLayout(canvas, rect, plot);
  canvas.Font().Assign(mFont);
  if (mono) canvas.Font().SetColor(clBlack);
  canvas.Brush().Assign(mBrush);
  canvas.TextOut(mTitlePos.x(), mTitlePos.y(), mTitle);
  canvas.TextOut(mDescPos.x(), mDescPos.y(), mDescription);
  if (mSeries && mLegend) {
    int y = mDescPos.y() + mDescHeight + 4;
    int widest = 0;
    canvas.Font().Assign(mLegendFont);
    for (int i = 0; i < mSeries->Count(); ++i) {
      const TPointSerie* s = mSeries->Items(i);
      if (!s->Visible()) continue;
      canvas.Font().SetColor(mono ? clBlack : s->Color());
      canvas.TextOut(plot.Left + 8, y, s->Name());
      y += canvas.TextHeight(s->Name());
      widest = std::max(widest, canvas.TextWidth(s->Name()));
    }
    if (widest > 0) {
      canvas.Pen().SetWidth(1);
      canvas.Pen().SetStyle(psSolid);
      canvas.Pen().SetMode(pmCopy);
      canvas.Pen().SetColor(mono ? clBlack : mFont.Color());
      const TBrushStyle oldStyle = canvas.Brush().Style();
      canvas.Brush().SetStyle(bsClear);
      canvas.Rectangle(plot.Left, mDescPos.y() + mDescHeight, plot.Left + widest + 16, plot.Top - 4);
      canvas.Brush().SetStyle(oldStyle);
    }
    canvas.Font().Assign(mFont);
    if (mono) canvas.Font().SetColor(clBlack);
  }
  canvas.TextOut(mAxisXPos.x(), mAxisXPos.y(), mAxisXText);
  TextOutAngle(canvas, mAxisYPos.x(), mAxisYPos.y(), mAxisYText, 90);
}

// ---- TGraphLabels -------------------------------------------------------------------

TGraphLabels::TGraphLabels() {
  mBrush.SetColor(clWhite);
  mBrush.SetStyle(bsClear);
  mBrush.OnChange = [this](TGraphicsObject*) { Notify(); };
  mFont.OnChange = [this](TGraphicsObject*) {
    Notify();
    Q_EMIT FontChanged(mFont.ToQFont());
  };
}

void TGraphLabels::Assign(const TGraphLabels& o) {
  if (&o == this) return;
  mAStyle = o.mAStyle;
  mAXKind = o.mAXKind;
  mAYKind = o.mAYKind;
  mDivisionX = o.mDivisionX;
  mDivisionY = o.mDivisionY;
  mUnitaryX = o.mUnitaryX;
  mUnitaryY = o.mUnitaryY;
  mXLabVert = o.mXLabVert;
  mDigit = o.mDigit;
  mNiceSteps = o.mNiceSteps;
  mBrush.Assign(o.mBrush);
  mFont.Assign(o.mFont);
  mTextLab = o.mTextLab;
  Notify();
}


QString TGraphLabels::FormatValue(TGraphLabelKind kind, double v) const {
  const QLocale loc;
  const int digit = std::clamp(mDigit, 0, 30);
  auto localised = [&](QString s) {
    if (loc.decimalPoint() != QLatin1String(".")) s.replace('.', loc.decimalPoint());
    return s;
  };
  switch (kind) {
    case glkNone:
      return QString();
    case glkEngineer:
      if (!std::isfinite(v)) return QString();
      return localised(QString::number(v, 'E', digit));
    case glkFloat: {
      if (!std::isfinite(v)) return QString();
      const double ip = std::trunc(std::fabs(v));
      const int n = ip < 1 ? 1 : int(std::floor(std::log10(ip))) + 1;
      QString s = QString::number(v, 'f', std::clamp(digit - n, 0, 30));
      if (s.startsWith('-') && s.count('0') == s.size() - 1 - s.count('.')) s.remove(0, 1);  // no "-0.00"
      return localised(s);
    }
    case glkInteger: {
      if (std::isnan(v)) return QString();
      const double t = std::clamp(std::trunc(v), -9.2e18, 9.2e18);
      return QString::asprintf("%*lld", std::min(digit, 64), static_cast<long long>(t));
    }
    case glkDate:
    case glkTime:
    case glkDateTime:
    case glkShortDate: {
      if (!std::isfinite(v) || !IsValidSerial(v)) return QString();
      const QDate d = SerialToDate(v);
      const QTime t = SerialToTime(v);
      if (kind == glkDate) return loc.toString(d, QLocale::ShortFormat);
      if (kind == glkTime) return loc.toString(t, QLocale::ShortFormat);
      if (kind == glkShortDate) return d.toString(QStringLiteral("ddMMyy"));
      if (t == QTime(0, 0)) return loc.toString(d, QLocale::ShortFormat);
      return loc.toString(d, QLocale::ShortFormat) + ' ' + loc.toString(t, QLocale::ShortFormat);
    }
    case glkText: {
      if (std::isnan(v)) return QString();
      const double r = std::nearbyint(v);
      if (r >= 0 && r < mTextLab.size()) return mTextLab.at(int(r));
      if (v >= 0) return QString();
      QString longest;
      for (const QString& s : mTextLab)
        if (s.size() > longest.size()) longest = s;
      return longest;
    }
  }
  return QString();
}

void TGraphLabels::FormatPoint(double x, double y, QString& xText, QString& yText) const {
  xText = FormatValue(mAXKind, x);
  yText = FormatValue(mAYKind, y);
}

void TGraphLabels::ComputeLabelSpace(TCanvas& canvas, const TRect& rect, TRect& plotRect) {
  TFontKeeper keep(canvas);
  canvas.Font().Assign(mFont);
  const QString a = FormatValue(mAYKind, -4.4321);
  const QString b = FormatValue(mAXKind, -4.4321);
  mLabelWidth = canvas.TextWidth(a);
  mLabelHeight = canvas.TextHeight(b);
  mSampleXWidth = canvas.TextWidth(b);
  plotRect = rect;
  if (mAStyle == glsHorizontal || mAStyle == glsBoth) {
    plotRect.Top += canvas.TextHeight(QStringLiteral("0"));
    plotRect.Left = rect.Left + nearest(mLabelWidth * 1.1) + 8;
  }
  if (mAStyle == glsVertical || mAStyle == glsBoth) {
    if (mXLabVert) {
      mLabelWidth = mSampleXWidth;
      plotRect.Bottom = rect.Bottom - mLabelWidth - 8;
      plotRect.Right -= mLabelHeight;
    } else {
      const int h2 = nearest(mSampleXWidth * 1.2) / 2;
      plotRect.Bottom = rect.Bottom - mLabelHeight - 8;
      plotRect.Right -= h2;
      plotRect.Left = std::max(plotRect.Left, rect.Left + h2);
    }
  }
}

void TGraphLabels::Draw(TCanvas& canvas, const TGraphRange& range, bool mono, const TRect& rect) {
  TFontKeeper keep(canvas);
  TRect plot;
  ComputeLabelSpace(canvas, rect, plot);
  SetScale(range, plot);
  canvas.Font().Assign(mFont);
  if (mono) canvas.Font().SetColor(clBlack);
  canvas.Brush().Assign(mBrush);
  mXTicks.clear();
  mYTicks.clear();
  if (plot.IsEmpty()) return;
  if (mAStyle == glsVertical || mAStyle == glsBoth) {
    const double minPix = mXLabVert ? mLabelHeight : mSampleXWidth;
    mXTicks = GraphTicks(range.XMin, range.XMax, mDivisionX, mUnitaryX, 1.0 / mXScale, minPix, mNiceSteps);
    for (double x : mXTicks) {
      const QString s = FormatValue(mAXKind, x);
      if (mXLabVert)
        TextOutAngle(canvas, XToPixel(x) - mLabelHeight / 2, rect.Bottom - 4, s, 90);
      else
        canvas.TextOut(XToPixel(x) - canvas.TextWidth(s) / 2, rect.Bottom - mLabelHeight - 4, s);
    }
  }
  if (mAStyle == glsHorizontal || mAStyle == glsBoth) {
    const int fh = canvas.TextHeight(QStringLiteral("0"));
    mYTicks = GraphTicks(range.YMin, range.YMax, mDivisionY, mUnitaryY, 1.0 / mYScale, fh, mNiceSteps);
    for (double y : mYTicks) {
      const QString s = FormatValue(mAYKind, y);
      canvas.TextOut(plot.Left - canvas.TextWidth(s) - 4, YToPixel(y) - canvas.TextHeight(s) / 2, s);
    }
  }
}

// ---- TGraphGrid ---------------------------------------------------------------------

TGraphGrid::TGraphGrid() {
  mPen.SetStyle(psDot);
  mPen.SetColor(RGB(128, 128, 128));
  mPen.SetWidth(1);
  mPen.OnChange = [this](TGraphicsObject*) { Notify(); };
}

void TGraphGrid::Assign(const TGraphGrid& o) {
  if (&o == this) return;
  mAStyle = o.mAStyle;
  mDivisionX = o.mDivisionX;
  mDivisionY = o.mDivisionY;
  mUnitaryX = o.mUnitaryX;
  mUnitaryY = o.mUnitaryY;
  mStayOnTop = o.mStayOnTop;
  mColor = o.mColor;
  mWidth = o.mWidth;
  mABorder = o.mABorder;
  mAxis = o.mAxis;
  mNiceSteps = o.mNiceSteps;
  mPen.Assign(o.mPen);
  Notify();
}


void TGraphGrid::Border(TCanvas& canvas, bool mono, const TRect& p) {
  canvas.Pen().SetStyle(psSolid);
  canvas.Pen().SetMode(pmCopy);
  canvas.Pen().SetColor(mono ? clBlack : mColor);
  canvas.Pen().SetWidth(mWidth);
  canvas.Brush().SetStyle(bsClear);
  if (mABorder == ggbSingle) {
    const int h = mWidth / 2;
    canvas.Rectangle(p.Left + h, p.Top + h, p.Right + h, p.Bottom + h);
  }
}

void TGraphGrid::Draw(TCanvas& canvas, const TGraphRange& range, bool mono, const TRect& p) {
  SetScale(range, p);
  if (p.IsEmpty()) return;
  canvas.Pen().Assign(mPen);
  canvas.Pen().SetMode(pmCopy);
  if (mono) canvas.Pen().SetColor(clBlack);
  canvas.Brush().SetStyle(bsClear);
  // Thin dotted or solid lines straight into the pixels when the canvas is
  // an image: the dots of the canvas' pen (one on, two off), end excluded.
  // On a high-density image each dot is the square its logical pixel covers:
  // the grid scales with the graph and stays on the 1x pixel rows.
  TRaster raster;
  const bool fast = mPen.Width() <= 1 && (mPen.Style() == psDot || mPen.Style() == psSolid) &&
                    raster.Open(canvas.Painter(), ToQColor(ColorToRGB(canvas.Pen().Color())), true);
  const int period = mPen.Style() == psDot ? 3 : 1;
  auto line = [&](int x0, int y0, int x1, int y1) {
    if (fast && (x0 == x1 || y0 == y1)) {
      const int n = std::abs(x1 - x0) + std::abs(y1 - y0);
      const int sx = x1 > x0 ? 1 : (x1 < x0 ? -1 : 0), sy = y1 > y0 ? 1 : (y1 < y0 ? -1 : 0);
      for (int k = 0; k < n; k += period) raster.Pixel(x0 + k * sx, y0 + k * sy);
      return;
    }
    canvas.MoveTo(x0, y0);
    canvas.LineTo(x1, y1);
  };
  if (mAStyle == ggsVertical || mAStyle == ggsBoth) {
    const int y0 = YToPixel(range.YMin), y1 = YToPixel(range.YMax);
    for (double x : GraphTicks(range.XMin, range.XMax, mDivisionX, mUnitaryX, 1.0 / mXScale, 10, mNiceSteps))
      line(XToPixel(x), y0, XToPixel(x), y1);
  }
  if (mAStyle == ggsHorizontal || mAStyle == ggsBoth) {
    const int fh = mLabelFont ? FontPixelHeight(*mLabelFont) : 10;
    const int x0 = XToPixel(range.XMin), x1 = XToPixel(range.XMax);
    for (double y : GraphTicks(range.YMin, range.YMax, mDivisionY, mUnitaryY, 1.0 / mYScale, fh, mNiceSteps))
      line(x0, YToPixel(y), x1, YToPixel(y));
  }
  Border(canvas, mono, p);
  if (mAxis == ggaVertical || mAxis == ggaBoth) {
    canvas.MoveTo(XToPixel(0), YToPixel(range.YMin));
    canvas.LineTo(XToPixel(0), YToPixel(range.YMax));
  }
  if (mAxis == ggaHorizontal || mAxis == ggaBoth) {
    canvas.MoveTo(XToPixel(range.XMin), YToPixel(0));
    canvas.LineTo(XToPixel(range.XMax), YToPixel(0));
  }
}

void TGraphGrid::DrawBorder(TCanvas& canvas, const TGraphRange& range, bool mono, const TRect& p) {
  SetScale(range, p);
  Border(canvas, mono, p);
}

}  // namespace Tarnwell
