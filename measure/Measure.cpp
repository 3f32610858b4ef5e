#include "Measure.h"

#include "DeviceSurface_p.h"
#include "ScaleText_p.h"

#include <QLocale>
#include <algorithm>
#include <cmath>
#include <cstring>
#include <numbers>

namespace Tarnwell {

namespace {

// A one-pixel frame drawn with the pen: left and top edges in one colour,
// right and bottom in the other (sunken or raised by the order).
void EdgeFrame(TCanvas& c, int left, int top, int right, int bottom, TColor topLeft, TColor bottomRight) {
  c.MoveTo(left, bottom);
  c.Pen().SetColor(topLeft);
  c.LineTo(left, top);
  c.LineTo(right, top);
  c.Pen().SetColor(bottomRight);
  c.LineTo(right, bottom);
  c.LineTo(left, bottom);
}

constexpr double kNeedleDegToRad = std::numbers::pi / 180.0;

// Reads back a rectangle of a raster canvas (the host's surface), in its
// device pixels (a high-density surface gives a picture of its ratio); null
// when the canvas does not paint on an image.
// `spare` (moved from) is filled instead of a new picture when it has the
// size: the dial is read back at every full paint.
QImage GrabRect(TCanvas& c, const TRect& r, QImage&& spare = QImage()) {
  auto* img = dynamic_cast<QImage*>(c.Device());
  if (!img || r.IsEmpty()) return QImage();
  c.Painter();  // make sure pending state is applied; raster painting is immediate
  const qreal ratio = img->devicePixelRatio();
  const QRect d = MeasureSurface::DeviceRect(r.Left, r.Top, r.Right, r.Bottom, ratio);
  if (d == d.intersected(img->rect()) && img->depth() == 32 && spare.size() == d.size() &&
      spare.format() == img->format() && spare.devicePixelRatio() == ratio) {
    for (int y = 0; y < d.height(); ++y)
      std::memcpy(spare.scanLine(y), img->constScanLine(d.top() + y) + d.left() * 4, size_t(d.width()) * 4);
    return std::move(spare);
  }
  if (ratio == 1) return img->copy(r.ToQRect());
  QImage piece = img->copy(d);
  piece.setDevicePixelRatio(ratio);
  return piece;
}

// Moves src one logical pixel to the left on the same raster canvas
// (scrolling the plot), row by row in place.
void ScrollLeft(TCanvas& c, const TRect& src) {
  auto* img = dynamic_cast<QImage*>(c.Device());
  if (!img) return;
  const qreal ratio = img->devicePixelRatio();
  const int step = std::max(1, int(std::lround(ratio)));
  const QRect d = MeasureSurface::DeviceRect(src.Left, src.Top, src.Right, src.Bottom, ratio);
  const TRect r = IntersectRect(TRect(d.left(), d.top(), d.right() + 1, d.bottom() + 1),
                                TRect(step, 0, img->width(), img->height()));
  if (r.IsEmpty() || img->depth() != 32) return;
  c.Painter();  // raster painting is immediate: the rows hold everything drawn so far
  for (int y = r.Top; y < r.Bottom; ++y) {
    auto* line = reinterpret_cast<quint32*>(img->scanLine(y));
    std::memmove(line + r.Left - step, line + r.Left, size_t(r.Width()) * sizeof(quint32));
  }
}

void SetFontHeightSafe(TFont& f, int h) { f.SetHeight(h < 0 ? h : -1); }
void SetFontSizeSafe(TFont& f, int points) { f.SetSize(std::max(1, points)); }

// Clamps in order (raise to lo, then lower to hi), as the layouts expect even
// when tiny sizes leave lo above hi.
int RaiseLower(int v, int lo, int hi) { return std::min(std::max(v, lo), hi); }

// The square for the pictures of the animation and image kinds, between the
// caption lines and the value line.
TRect ImageSquare(int W, int H, int h, int k) {
  int S = H + (h * (k + 10) / 8);
  if (W * 8 / 10 < S) S = W * 8 / 10;
  const int t = (h * k) / (-8);
  const int Top = t + ((H + h * 10 / 8) - t - S) / 2 - 1;
  const int Left = (W - S) / 2;
  return Rect(Left, Top, Left + S, Top + S);
}

void RedCross(TCanvas& c, const TRect& r, const TPen& saved) {
  c.Pen().SetColor(clRed);
  c.Pen().SetWidth(3);
  c.Pen().SetStyle(psSolid);
  c.MoveTo(r.Left, r.Top);
  c.LineTo(r.Right, r.Bottom);
  c.MoveTo(r.Right, r.Top);
  c.LineTo(r.Left, r.Bottom);
  c.Pen().Assign(saved);
}

}  // namespace

void TDoubleList::Delete(int index) {
  if (index < 0 || index >= Count()) return;
  mItems.erase(mItems.begin() + index);
}

// ---- Base --------------------------------------------------------------------

TMeasureMonitor::TMeasureMonitor(TCanvas* canvas) : mCanvas(canvas) {
  if (mCanvas) {
    mSavedPen.Assign(mCanvas->Pen());
    mSavedBrush.Assign(mCanvas->Brush());
    mSavedFont.Assign(mCanvas->Font());
  }
}

TMeasureMonitor::~TMeasureMonitor() = default;

QString TMeasureMonitor::FormatValue(double v, int digits) {
  if (v == 0) return QStringLiteral("0");
  QLocale loc;
  loc.setNumberOptions(QLocale::OmitGroupSeparator);
  return loc.toString(v, 'f', std::clamp(digits, 0, 18));
}

void TMeasureMonitor::SetControlName(const QString& s) {
  if (s != mControlName) mControlName = s;
}

void TMeasureMonitor::SetControlWhat(const QString& s) {
  if (s != mControlWhat) mControlWhat = s;
}

void TMeasureMonitor::SetControlValue(double v) {
  if (v == mControlValue) return;
  mControlValue = v;
  mValueText = FormatValue(v, mDecimalDigits);
}

void TMeasureMonitor::SetMinValue(double v) {
  if (v == mMinValue) return;
  mMinValue = v;
  mMinText = FormatValue(v, mDecimalDigits);
}

void TMeasureMonitor::SetMaxValue(double v) {
  if (v == mMaxValue) return;
  mMaxValue = v;
  mMaxText = FormatValue(v, mDecimalDigits);
}

void TMeasureMonitor::SetDecimalDigits(int n) {
  if (n != mDecimalDigits) mDecimalDigits = n;
}

void TMeasureMonitor::SetWithWhat(bool b) {
  if (b == mWithWhat) return;
  mWithWhat = b;
  mHeaderUnits = b ? 20 : 10;
}

bool TMeasureMonitor::EmptyRange() const {
  const double range = mMaxValue - mMinValue;
  return !(range != 0) || !std::isfinite(range);
}

double TMeasureMonitor::Fraction(double v) const {
  if (EmptyRange()) return 0;
  const double f = (v - mMinValue) / (mMaxValue - mMinValue);
  if (std::isnan(f)) return 0;
  return std::clamp(f, 0.0, 1.0);
}

void TMeasureMonitor::RestorePenFont() {
  mCanvas->Pen().Assign(mSavedPen);
  mCanvas->Font().Assign(mSavedFont);
}

void TMeasureMonitor::PaintHeader() {
  TCanvas& c = *mCanvas;
  const int W = Width, H = Height;
  mSavedBrush.Assign(c.Brush());
  c.Pen().SetStyle(psClear);
  c.Rectangle(0, 0, W, H);
  c.Pen().SetStyle(psSolid);
  c.Pen().SetColor(c.Font().Color());
  mCaptionX = (W - c.TextWidth(mControlName)) / 2;
  mWhatX = (W - c.TextWidth(mControlWhat)) / 2;
  mValueX = (W - c.TextWidth(mValueText)) / 2;
  c.TextOut(mCaptionX, 0, mControlName);
  if (mWithWhat) c.TextOut(mWhatX, 4 - h(), mControlWhat);
  if (Stop) c.Font().SetColor(clRed);
  c.TextOut(mValueX, H - 2 + (h() * 10 / 8), mValueText);
  RestorePenFont();
}

void TMeasureMonitor::PaintValue() {
  TCanvas& c = *mCanvas;
  ClearValueStrip();
  mValueX = (Width - c.TextWidth(mValueText)) / 2;
  if (Stop) c.Font().SetColor(clRed);
  c.TextOut(mValueX, Height - 2 + (h() * 10 / 8), mValueText);
  RestorePenFont();
}

void TMeasureMonitor::ClearValueStrip() {
  TCanvas& c = *mCanvas;
  c.Pen().SetStyle(psClear);
  c.Rectangle(0, Height - 2 + h(), Width, Height);
  c.Pen().SetStyle(psSolid);
}

// ---- Label -------------------------------------------------------------------

TMeasureLabel::TMeasureLabel(TCanvas* c) : TMeasureMonitor(c) { mControlName = "MeasureLabel"; }

void TMeasureLabel::Paint() {
  if (Ready()) PaintHeader();
}

void TMeasureLabel::Update() {
  if (Ready()) PaintValue();
}

bool TMeasureMonitor::AtAlarmLevel() const {
  if (!AlarmEnabled || std::isnan(mControlValue) || std::isnan(AlarmLevel)) return false;
  return mMaxValue >= mMinValue ? mControlValue >= AlarmLevel : mControlValue <= AlarmLevel;
}

// ---- Gauge -------------------------------------------------------------------

TMeasureGauge::TMeasureGauge(TCanvas* c) : TMeasureMonitor(c) { mControlName = "MeasureGauge"; }

void TMeasureGauge::Paint() {
  if (!Ready()) return;
  PaintHeader();
  ClearValueStrip();
  mDrawnEnd = -1;  // the header cleared the trough
  Update();
  // The scale ends lie above the trough, where no update draws: they are
  // drawn once here instead of at every value change.
  TCanvas& c = *mCanvas;
  if (c.TextWidth(mMaxText + mMinText + mControlName + "000") < Width) {
    SetFontSizeSafe(c.Font(), 8);
    c.TextOut(Left, Top - 14, mMinText);
    c.TextOut(Right - c.TextWidth(mMaxText), Top - 14, mMaxText);
    c.Font().Assign(mSavedFont);
  }
  if (AlarmEnabled && !EmptyRange() && !std::isnan(AlarmLevel)) {
    // The level as a notch over the trough, where no update draws.
    const int lx = RaiseLower(Left + nearest(Fraction(AlarmLevel) * (Right - Left)), Left, Right);
    c.Brush().SetColor(AlarmColor);
    c.FillRect(Rect(lx - 1, std::max(0, Top - 4), lx + 1, Top));
    c.Brush().Assign(mSavedBrush);
  }
}

TColor TMeasureGauge::BarColor() const { return Stop ? clRed : AtAlarmLevel() ? AlarmColor : clBlue; }

int TMeasureGauge::BarEnd() const {
  const int x = EmptyRange() ? Left : Left + nearest(Fraction(mControlValue) * (Right - Left));
  return RaiseLower(x, Left, Right);
}

void TMeasureGauge::Update() {
  if (!Ready()) return;
  TCanvas& c = *mCanvas;
  Top = (h() * k()) / (-5);
  Bottom = Height * 13 / 15;
  Left = Height - Bottom;
  Right = Width - Left;
  const int x = BarEnd();
  const TRect geometry(Left, Top, Right, Bottom);
  const TColor bar = BarColor();
  if (mDrawnEnd >= 0 && geometry == mDrawnGeometry && Stop == mDrawnStop && bar == mDrawnColor) {
    // The trough is on the canvas already: only the strip between the old
    // and the new end changes colour.
    if (x != mDrawnEnd) {
      c.Brush().SetColor(x > mDrawnEnd ? bar : clWhite);
      c.FillRect(Rect(std::max(Left + 1, std::min(x, mDrawnEnd)), Top + 1, std::max(x, mDrawnEnd), Bottom));
      c.Brush().Assign(mSavedBrush);
    }
    mDrawnEnd = x;
    return;
  }
  c.Brush().SetColor(clWhite);
  c.Rectangle(Left, Top, Right + 1, Bottom + 1);
  EdgeFrame(c, Left, Top, Right, Bottom, clBlack, clWhite);  // sunken trough
  c.Pen().SetStyle(psClear);
  c.Brush().SetColor(bar);
  // An empty bar draws nothing (not even over the trough's edge).
  if (x > Left + 1) c.FillRect(Rect(Left + 1, Top + 1, x, Bottom));
  c.Brush().Assign(mSavedBrush);
  c.Pen().Assign(mSavedPen);
  mDrawnGeometry = geometry;
  mDrawnStop = Stop;
  mDrawnColor = bar;
  mDrawnEnd = std::max(x, Left + 1);
}

// ---- Meter -------------------------------------------------------------------

TMeasureMeter::TMeasureMeter(TCanvas* c) : TMeasureMonitor(c) { mControlName = "MeasureMeter"; }

int TMeasureMeter::ComputeNeedleAngle() const {
  if (EmptyRange()) return 160;
  return std::clamp(160 + nearest(Fraction(mControlValue) * 220.0), 160, 380);
}

void TMeasureMeter::Paint() {
  if (!Ready()) return;
  TCanvas& c = *mCanvas;
  const int W = Width, H = Height;
  mSavedBrush.Assign(c.Brush());
  c.Pen().SetStyle(psClear);
  c.Rectangle(0, 0, W, H);
  c.Pen().SetStyle(psSolid);
  int S = H + (h() * k() / 8);
  if (W * 13 / 14 < S) S = W * 13 / 14;
  const int t = -(h() * k() / 8);
  Top = t + (H - t - S) / 2 - 1;
  Bottom = Top + S;
  Left = (W - S) / 2;
  Right = Left + S;
  CenterX = Left + (Right - Left) / 2;
  CenterY = Top + (Bottom - Top) / 2;
  const int cx = CenterX, cy = CenterY;
  const int R = std::min((CenterX - Left) * 9 / 10, CenterY - Top);
  Radius = R * 9 / 10;
  if (S > 0) {
    c.Pen().SetColor(clWhite);
    c.Ellipse(cx - R - 1, cy - R - 1, cx + R, cy + R);
    c.Pen().SetColor(clBlack);
    c.Ellipse(cx - R, cy - R, cx + R, cy + R);
    c.Brush().SetColor(clGray);
    c.Pen().SetStyle(psClear);
    c.Ellipse(cx - R, cy - R, cx + R, cy + R);
    const int q = Radius * 17 / 16;
    c.Brush().SetColor(clWhite);
    c.Pen().SetStyle(psSolid);
    c.Pen().SetColor(clBlack);
    c.Ellipse(cx - q, cy - q, cx + q, cy + q);
    Radius = Radius * 9 / 10;
    const int hub = Radius / 10;
    int lx = cx, ly = cy;
    for (int pass = 0; pass < 2; ++pass) {
      const int start = pass == 0 ? 160 : 170, step = pass == 0 ? 5 : 25;
      for (int a = start; a <= 380; a += step) {
        const int dx = nearest(std::cos(a * kNeedleDegToRad) * Radius);
        const int dy = nearest(std::sin(a * kNeedleDegToRad) * Radius);
        c.MoveTo(cx + (10 + pass) * dx / 10, cy + (10 + pass) * dy / 10);
        c.LineTo(cx + dx * 9 / 10, cy + dy * 9 / 10);
        if (a == 160) {
          lx = cx + dx + 1;
          ly = cy + dy + 1;
        }
      }
    }
    c.Brush().SetColor(clBlack);
    c.Ellipse(cx - hub, cy - hub, cx + hub, cy + hub);
    c.Brush().SetStyle(bsClear);
    SetFontSizeSafe(c.Font(), Radius / 6);
    ly = std::min(ly, Bottom - 16);
    c.TextOut(lx, ly, mMinText);
    c.TextOut(W - lx - c.TextWidth(mMaxText), ly, mMaxText);
    c.Font().Assign(mSavedFont);
    QImage grabbed = GrabRect(c, Rect(Left, Top, Right, Bottom), std::move(SpareSnapshot));
    SpareSnapshot = Snapshot.Image();
    Snapshot.Assign(grabbed);
  } else {
    Radius = 0;
    Snapshot = TBitmap();
  }
  c.Brush().Assign(mSavedBrush);
  PaintHeader();
  ClearValueStrip();
  Update();
}

void TMeasureMeter::Update() {
  if (!Ready()) return;
  TCanvas& c = *mCanvas;
  if (!Snapshot.Empty()) c.Draw(Left, Top, Snapshot.Image());
  NeedleAngle = ComputeNeedleAngle();
  const double a = NeedleAngle * kNeedleDegToRad, b = (NeedleAngle + 180) * kNeedleDegToRad;
  const int tipX = nearest(std::cos(a) * Radius), tipY = nearest(std::sin(a) * Radius);
  const int tailX = nearest(std::cos(b) * Radius / 8), tailY = nearest(std::sin(b) * Radius / 8);
  c.Pen().SetColor(Stop ? clRed : clBlack);
  c.Pen().SetWidth(std::max(1, Radius / 20));
  c.MoveTo(CenterX + tipX, CenterY + tipY);
  c.LineTo(CenterX + tailX, CenterY + tailY);
  c.Brush().Assign(mSavedBrush);
  c.Pen().Assign(mSavedPen);
}

// ---- On/off lamp ---------------------------------------------------------------

TMeasureOnOff::TMeasureOnOff(TCanvas* c) : TMeasureMonitor(c) { mControlName = "MeasureOnOff"; }

bool TMeasureOnOff::Alarm() const {
  return mControlValue < mMinValue || mControlValue > mMaxValue || Stop || std::isnan(mControlValue);
}

void TMeasureOnOff::Paint() {
  if (!Ready()) return;
  PaintHeader();
  ClearValueStrip();
  mDrawnKey = -1;  // the header cleared the lamp
  Update();
}

void TMeasureOnOff::Update() {
  if (!Ready()) return;
  TCanvas& c = *mCanvas;
  int S = Height + (h() * k() / 7);
  if (Width * 8 / 10 < S) S = Width * 8 / 10;
  if (S <= 0) return;
  const int t = -(h() * k() / 8);
  const int Top = t + (Height - t - S) / 2 - 1, Bottom = Top + S;
  const int Left = (Width - S) / 2, Right = Left + S;
  const bool alarm = Alarm();
  // The lamp shows only on or alarm: a value that keeps the state keeps the picture.
  const long long key = ((static_cast<long long>(Left) * 65536 + Top) * 65536 + S) * 2 + (alarm ? 1 : 0);
  if (key == mDrawnKey) return;
  mDrawnKey = key;
  const TColor lamp = alarm ? clRed : clLime;
  c.Brush().SetColor(clTeal);
  c.Pen().SetColor(clBlack);
  c.Ellipse(Left, Top, Right, Bottom);
  const int d = (2 * S) / 12;
  c.Brush().SetColor(lamp);
  c.Ellipse(Left + d, Top + d, Right - d, Bottom - d);
  c.Pen().SetStyle(psClear);
  c.Brush().SetColor(clWhite);
  c.Ellipse(Left + S / 2, Top + (2 * S) / 7, Right - S / 4, Bottom - (2 * S) / 5);
  c.Brush().SetColor(alarm ? clMaroon : clGreen);
  c.Ellipse(Left + (3 * S) / 10, Top + S / 2, Right - (2 * S) / 5, Bottom - S / 4);
  const int e = (2 * S) / 7;
  c.Brush().SetColor(lamp);
  c.Ellipse(Left + e, Top + e, Right - e, Bottom - e);
  c.Pen().Assign(mSavedPen);
  c.Brush().Assign(mSavedBrush);
}

// ---- Graph -------------------------------------------------------------------

TMeasureGraph::TMeasureGraph(TCanvas* c) : TMeasureMonitor(c) {
  mControlName = "MeasureGraph";
  History.SetCapacity(HistoryCapacity);
}

TMeasureGraph::~TMeasureGraph() { History.Clear(); }

int TMeasureGraph::PointY(double v) const {
  const int y = EmptyRange() ? Bottom - 1 : Bottom - nearest(Fraction(v) * (Bottom - Top));
  return RaiseLower(y, Top + 1, Bottom - 1);
}

void TMeasureGraph::Paint() {
  if (!Ready()) return;
  TCanvas& c = *mCanvas;
  PaintHeader();
  ClearValueStrip();
  Top = (h() * k()) / (-7);
  Bottom = Height * 14 / 15;
  Left = Height - Bottom;
  SetFontHeightSafe(c.Font(), (Top - Bottom) / 6);
  if (c.Font().Size() > 14) c.Font().SetSize(14);
  Right = Width - Left - c.TextWidth("999,999");
  GridStep = (Bottom - Top) / 5;
  // Enough decimals that no grid label is a rounded neighbour of its value.
  const int digits = ScaleText::Decimals(mMinValue, mMaxValue, 5, mDecimalDigits);
  c.Brush().SetColor(clWhite);
  c.Rectangle(Left, Top, Right, Bottom);
  c.Pen().SetColor(clGray);
  c.Brush().Assign(mSavedBrush);
  for (int i = 0;; ++i) {
    const int y = Top + i * GridStep;
    if (y >= Bottom - 4) break;
    c.MoveTo(Left + 1, y);
    c.LineTo(Right - 1, y);
    const double v = ScaleText::Tick(mMaxValue, mMinValue, i, 5);
    c.TextOut(Right + 3, y - 9, (v > 0 ? " " : "") + FormatValue(v, digits));
    if (GridStep <= 0) break;  // a flat plot has a single grid line
  }
  c.TextOut(Right + 3, Bottom - 12, (mMinValue > 0 ? " " : "") +
                                        (digits == mDecimalDigits ? mMinText : FormatValue(mMinValue, digits)));
  c.Font().Assign(mSavedFont);
  // The history, newest at the right. Each column joins the point to its newer
  // neighbour; the first column starts at its own point, so no stale y leaks in.
  c.Pen().SetColor(clBlack);
  int n = History.Count() - 1;
  if (n > 0) {
    const int newestY = PointY(History.Item(n));
    LastY = newestY;
    c.Pen().SetWidth(2);
    for (int x = Right - 1; x >= Left && n >= 0; --x, --n) {
      const int y = PointY(History.Item(n));
      c.MoveTo(x, LastY);
      c.LineTo(x, y);
      LastY = y;
    }
    // The next update continues from the newest point, not the oldest drawn.
    LastY = newestY;
  } else {
    LastY = -1;
  }
  c.Pen().Assign(mSavedPen);
}

void TMeasureGraph::Update() {
  if (!Ready()) return;
  TCanvas& c = *mCanvas;
  const int y = PointY(mControlValue);
  while (History.Count() >= HistoryCapacity) History.Delete(0);
  History.Add(mControlValue);
  if (Right - Left > 3) ScrollLeft(c, Rect(Left + 2, Top, Right - 1, Bottom));
  c.Pen().SetColor(clWhite);
  c.MoveTo(Right - 2, Top + 1);
  c.LineTo(Right - 2, Bottom - 1);
  c.Pen().SetColor(clGray);
  for (int gy = Top; gy < Bottom - 4; gy += GridStep) {
    c.MoveTo(Right - 2, gy);
    c.LineTo(Right - 1, gy);
    if (GridStep <= 0) break;
  }
  c.Pen().SetColor(Stop ? clRed : clBlack);
  c.Pen().SetWidth(2);
  if (LastY == -1) LastY = y;
  c.MoveTo(Right - 2, LastY);
  c.LineTo(Right - 1, y);
  c.Pen().SetWidth(1);
  c.Pen().SetColor(clBlack);
  c.MoveTo(Right - 1, Top);
  c.LineTo(Right - 1, Bottom - 1);
  c.LineTo(Left, Bottom - 1);
  LastY = y;
  c.Brush().Assign(mSavedBrush);
  c.Pen().Assign(mSavedPen);
}

// ---- Animation ---------------------------------------------------------------

TMeasureAnima::TMeasureAnima(TCanvas* c) : TMeasureMonitor(c) { mControlName = "MeasureAnima"; }

void TMeasureAnima::Paint() {
  if (!Ready()) return;
  TCanvas& c = *mCanvas;
  // The strip's background (its bottom-left colour) takes the display's
  // colour. Always from the host's untouched original.
  if (mAnimBitmap && !mAnimBitmap->Empty()) {
    const QImage& src = mAnimBitmap->Image();
    const TColor key = FromQRgb(src.pixel(0, src.height() - 1));
    TBitmap tmp(src.width(), src.height());
    tmp.Canvas().Brush().SetColor(c.Brush().Color());
    tmp.Canvas().Brush().SetStyle(bsSolid);
    tmp.Canvas().FillRect(Rect(0, 0, src.width(), src.height()));
    tmp.Canvas().BrushCopy(Rect(0, 0, src.width(), src.height()), *mAnimBitmap,
                           Rect(0, 0, src.width(), src.height()), key);
    mStrip = tmp;
    FrameCount = src.width() / src.height();
  } else {
    mStrip = TBitmap();
    FrameCount = 0;
  }
  if (FrameIndex > FrameCount) FrameIndex = 0;
  PaintHeader();
  const TRect sq = ImageSquare(Width, Height, h(), k());
  ImageLeft = sq.Left;
  ImageTop = sq.Top;
  ImageRight = sq.Right;
  ImageBottom = sq.Bottom;
  FrameSize = mStrip.Height();
  if (sq.IsEmpty()) return;
  if (FrameCount > 0) c.CopyRect(sq, mStrip.Image(), Rect(0, 0, FrameSize, FrameSize));
  if (Stop) DrawStop();
  LastStop = Stop;
}

void TMeasureAnima::DrawStop() {
  TCanvas& c = *mCanvas;
  const TRect sq(ImageLeft, ImageTop, ImageRight, ImageBottom);
  if (mStopBitmap && mStopBitmap->Width() != 0)
    c.StretchDraw(sq, *mStopBitmap);
  else
    RedCross(c, sq, mSavedPen);
}

void TMeasureAnima::NextFrame() {
  if (!Ready() || Stop) return;  // a stopped animation keeps showing its stop picture
  const TRect sq(ImageLeft, ImageTop, ImageRight, ImageBottom);
  if (FrameIndex < FrameCount && !sq.IsEmpty()) {
    mCanvas->CopyRect(sq, mStrip.Image(),
                      Rect(FrameSize * FrameIndex, 0, FrameSize * (FrameIndex + 1), FrameSize));
    ++FrameIndex;
  }
  if (FrameIndex >= FrameCount) FrameIndex = 0;
}

void TMeasureAnima::Update() {
  if (!Ready()) return;
  if (Stop) {
    FrameIndex = FrameCount;
  } else if (FrameIndex == FrameCount && mControlValue != LastValue) {
    FrameIndex = 0;
    LastValue = mControlValue;
  }
  if (Stop == LastStop)
    PaintValue();
  else
    Paint();
  LastStop = Stop;
  if (!Stop && FrameIndex >= FrameCount) FrameIndex = 0;
}

// ---- Image -------------------------------------------------------------------

TMeasureImage::TMeasureImage(TCanvas* c) : TMeasureMonitor(c) { mControlName = "MeasureImage"; }

void TMeasureImage::Paint() {
  if (!Ready()) return;
  TCanvas& c = *mCanvas;
  PaintHeader();
  const TRect sq = ImageSquare(Width, Height, h(), k());
  LastStop = Stop;
  if (sq.IsEmpty()) return;
  if (mStatBitmap && !mStatBitmap->Empty()) c.StretchDraw(sq, *mStatBitmap);
  if (Stop) RedCross(c, sq, mSavedPen);
}

void TMeasureImage::Update() {
  if (!Ready()) return;
  if (Stop == LastStop)
    PaintValue();
  else
    Paint();
  LastStop = Stop;
}

// ---- Thermometer ---------------------------------------------------------------

TMeasureTermo::TMeasureTermo(TCanvas* c) : TMeasureMonitor(c) { mControlName = "MeasureTermo"; }

bool TMeasureTermo::Alarm() const {
  return mControlValue < mMinValue || mControlValue > mMaxValue || Stop || std::isnan(mControlValue);
}

int TMeasureTermo::ComputeLevel() const { return LevelFor(mControlValue); }

int TMeasureTermo::LevelFor(double v) const {
  const int r = BulbRadius, cy = BulbY;
  int level = EmptyRange() ? Top + r + 1 : (cy - 2 * r) + nearest(Fraction(v) * (Top + 3 * r + 1 - cy));
  return RaiseLower(level, Top + r + 1, cy - 2 * r);
}

TColor TMeasureTermo::ColumnColor() const { return Alarm() ? clRed : AtAlarmLevel() ? AlarmColor : clLime; }

void TMeasureTermo::Paint() {
  if (!Ready()) return;
  TCanvas& c = *mCanvas;
  PaintHeader();
  ClearValueStrip();
  Top = (h() * k()) / (-7);
  Right = Width * 9 / 10;
  Left = Width - Right;
  Bottom = Height - Left;
  const int r = BulbRadius = (Right - Left) / 5;
  const int cx = AxisX = Left + (Right - Left) * 2 / 6;
  const int cy = BulbY = Bottom - 2 * r;
  if (Right <= Left || Bottom <= Top) return;
  c.Rectangle(Left, Top, Right + 1, Bottom + 1);
  EdgeFrame(c, Left, Top, Right, Bottom, clWhite, clBlack);  // raised tube
  c.Brush().SetColor(clWhite);
  c.Rectangle(cx - r / 2, Top + r, cx + r / 2, cy);
  c.Brush().SetColor(ColumnColor());
  c.Ellipse(cx - r, cy - r, cx + r, cy + r);
  c.Rectangle(cx - r / 2, cy - 2 * r, cx + r / 2, cy);
  c.Pen().SetStyle(psClear);
  c.Ellipse(cx - r + 1, cy - r + 1, cx + r, cy + r);
  c.Brush().Assign(mSavedBrush);
  c.Pen().Assign(mSavedPen);

  const int p = (cy - Top - 3 * r) / 10;
  SetFontSizeSafe(c.Font(), (Right - cx - r) / 4);
  if (p - 1 < -c.Font().Height()) SetFontHeightSafe(c.Font(), 1 - p);
  const int fontSize = c.Font().Size();
  const int digits = ScaleText::Decimals(mMinValue, mMaxValue, 10, mDecimalDigits);
  for (int q = 0;; ++q) {
    const int y = Top + r + q * p;
    if (y > cy - 2 * r) break;
    c.MoveTo(cx + r / 2, y);
    c.LineTo(cx + r, y);
    const double v = ScaleText::Tick(mMaxValue, mMinValue, q, 10);
    c.TextOut(cx + r + fontSize / 2, y - fontSize, (v > 0 ? " " : "") + FormatValue(v, digits));
    if (p <= 0) break;
  }
  c.Font().Assign(mSavedFont);
  if (AlarmEnabled && !std::isnan(AlarmLevel)) {
    // The level as a mark left of the tube, where no update draws.
    const int ly = LevelFor(AlarmLevel);
    c.Pen().SetStyle(psClear);
    c.Brush().SetColor(AlarmColor);
    c.Rectangle(cx - r, ly - 1, cx - r / 2, ly + 2);
    c.Brush().Assign(mSavedBrush);
    c.Pen().Assign(mSavedPen);
  }
  Update();
}

void TMeasureTermo::Update() {
  if (!Ready()) return;
  TCanvas& c = *mCanvas;
  const int r = BulbRadius, cx = AxisX, cy = BulbY;
  if (Right <= Left || Bottom <= Top) return;
  Level = ComputeLevel();
  c.Pen().SetStyle(psClear);
  c.Brush().SetColor(clWhite);
  c.Rectangle(cx - r / 2 + 1, cy, cx + r / 2 - 1, Top + r + 1);
  // Same alarm as the paint (stop or out of range): otherwise every paint's
  // own update would turn a red bulb green again.
  c.Brush().SetColor(ColumnColor());
  c.Ellipse(cx - r + 1, cy - r + 1, cx + r, cy + r);
  c.Rectangle(cx - r / 2 + 1, cy, cx + r / 2 - 1, Level);
  c.Brush().Assign(mSavedBrush);
  c.Pen().Assign(mSavedPen);
}

}  // namespace Tarnwell
