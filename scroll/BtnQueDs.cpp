#include "BtnQueDs.h"

#include <QKeyEvent>
#include <QMouseEvent>
#include <QPaintEvent>
#include <QPainter>
#include <QRandomGenerator>
#include <algorithm>
#include <cmath>

#include <Tarnwell/platform/TAccessible.h>

TARNWELL_LIBRARY_ACCESSIBLE(scroll)

namespace Tarnwell {

TBtnQueShades BtnQueShades(TColor c) {
  switch (c) {
    case clBlack: return {clWhite, clWhite, clWhite};
    case clMaroon: return {clBlack, clRed, clWhite};
    case clGreen: return {clBlack, clLime, clWhite};
    case clOlive: return {clBlack, clYellow, clWhite};
    case clNavy: return {clBlack, clBlue, clWhite};
    case clPurple: return {clBlack, clFuchsia, clWhite};
    case clTeal: return {clNavy, clAqua, clBlack};
    case clGray: return {clBlack, clSilver, clWhite};
    case clSilver: return {clGray, clWhite, clBlack};
    case clRed: return {clMaroon, clWhite, clWhite};
    case clLime: return {clGreen, clWhite, clBlack};
    case clYellow: return {clOlive, clWhite, clBlack};
    case clBlue: return {clNavy, clAqua, clWhite};
    case clFuchsia: return {clPurple, clWhite, clBlack};
    case clAqua: return {clTeal, clWhite, clBlack};
    case clWhite: return {clBlack, clBlack, clBlack};
    default: return {clBlack, clWhite, clWhite};
  }
}

// ---- TBtnQueDisplay ----------------------------------------------------------------

TBtnQueDisplay::TBtnQueDisplay(QWidget* parent) : QWidget(parent) {
  resize(50, 24);
  setFocusPolicy(Qt::StrongFocus);
  setMouseTracking(false);
  mFont.changed = [this] {
    update();
    Q_EMIT FontChanged(font());
  };
}

TBtnQueDisplay::~TBtnQueDisplay() = default;

int TBtnQueDisplay::ButtonsEnd() const {
  if (mButtons.empty()) return 0;
  const TBtnQueObject& last = mButtons.back();
  return last.X + last.Width;
}

// Placing walks the bars with a running end; bars already placed keep their
// X, so only the new bar needs the walk's step: O(1) per bar.
int TBtnQueDisplay::AppendButton(TBtnQueObject bar) {
  if (bar.X == -1) bar.X = mRunningEnd;
  mRunningEnd = bar.X + bar.Width;
  mButtons.push_back(std::move(bar));
  return int(mButtons.size()) - 1;
}

int TBtnQueDisplay::AddButton(const QString& caption, int x, const QVariant& data, int imageIndex, int style,
                              TColor color, int width) {
  const int end = ButtonsEnd();
  if (x >= 0 && end < x) AppendButton({QString(), end, x - end, clBlack, 0, -1, {}});
  const int index = AppendButton({caption, x, width, color, style, imageIndex, data});
  ApplyAutoWidth();
  if (mAutoRepaint) update();
  return index;
}

void TBtnQueDisplay::ClearButtons() {
  mButtons.clear();
  mRunningEnd = 0;
  mPressed = -1;
  if (mAutoRepaint) update();
}

void TBtnQueDisplay::FitWidth() {
  const int end = ButtonsEnd();
  resize(end > 0 ? end : 1, height());
}

// The width follows the bars when they change, never from inside painting.
void TBtnQueDisplay::ApplyAutoWidth() {
  if (!mAutoWidth) return;
  const int end = ButtonsEnd();
  if (end > 0 && end != width()) resize(end, height());
}

void TBtnQueDisplay::setZRandomize(bool value) {
  if (mDesigning) FillPreview();
  if (value == mZRandomize) return;
  mZRandomize = value;
  Q_EMIT ZRandomizeChanged(value);
}

void TBtnQueDisplay::setDesigning(bool value) {
  if (value == mDesigning) return;
  mDesigning = value;
  mZRandomize = value;
  if (value) FillPreview();
  Q_EMIT DesigningChanged(value);
}

void TBtnQueDisplay::FillPreview() {
  ClearButtons();
  auto* rnd = QRandomGenerator::global();
  AddButton(QStringLiteral("BtnQue0"), -1, {}, -1, 0, clFuchsia, 30 + int(rnd->bounded(100)));
  AddButton(QStringLiteral("BtnQue1"), -1, {}, -1, 6, clSilver, 30 + int(rnd->bounded(100)));
  AddButton(QStringLiteral("BtnQue2"), -1, {}, -1, 5, clYellow, 30 + int(rnd->bounded(100)));
  update();
}

TRect TBtnQueDisplay::ButtonRect(int i) const {
  const TBtnQueObject& b = mButtons.at(size_t(i));
  return TRect(b.X, 0, b.X + b.Width, height());
}

// The hatch tile: one control height high and a whole number of line
// periods wide plus one, so tiles join without a seam.
const QImage& TBtnQueDisplay::HatchTile(TColor color, int style, int offset) {
  const int h = std::max(1, height());
  if (color == mTileColor && style == mTileStyle && offset == mTileOffset && h == mTileHeight) return mTile;
  const int w = (h / 5) * 5 + 5;
  mTile = QImage(w, h, QImage::Format_RGB32);
  mTileColor = color;
  mTileStyle = style;
  mTileOffset = offset;
  mTileHeight = h;
  TCanvas c(&mTile);
  c.Pen().SetStyle(psClear);
  c.Brush().SetStyle(bsSolid);
  c.Brush().SetColor(color);
  c.FillRect(TRect(0, 0, w, h));
  if (style <= 0 || style > 7) return mTile;
  const TColor dark = BtnQueShades(color).Dark;
  c.Pen().SetColor(dark);
  c.Pen().SetWidth(1);
  c.Pen().SetStyle(style == 1 ? psDot : psSolid);
  const int o = offset;
  if (style == 3 || style == 6)
    for (int x = o + 4; x < w; x += 5) {
      c.MoveTo(x, 0);
      c.LineTo(x, h);
    }
  if (style == 2 || style == 6)
    for (int y = o + 4; y < h; y += 5) {
      c.MoveTo(0, y);
      c.LineTo(w, y);
    }
  if (style == 1 || style == 5 || style == 7)
    for (int y = o - w; y <= h; y += 5) {
      c.MoveTo(w, y);
      c.LineTo(0, y + w);
    }
  if (style == 4 || style == 7)
    for (int y = o - w; y <= h; y += 5) {
      c.MoveTo(0, y);
      c.LineTo(w, y + w);
    }
  c.Release();
  return mTile;
}

void TBtnQueDisplay::DrawButton(TCanvas& canvas, const TBtnQueObject& bar, bool pressed) {
  if (bar.Width <= 0) return;
  const TBtnQueShades s = BtnQueShades(bar.Color);
  const int o = pressed && s.Dark != s.Light ? mBevelWidth : 0;
  const TRect r(bar.X, 0, bar.X + bar.Width, height());
  const QImage& tile = HatchTile(bar.Color, bar.Style, o);
  for (int x = r.Left; x < r.Right; x += tile.width()) {
    const int piece = std::min(tile.width(), r.Right - x);
    canvas.CopyRect(TRect(x, 0, x + piece, r.Bottom), tile, TRect(0, 0, piece, tile.height()));
  }
  if (!bar.Caption.isEmpty()) {
    canvas.Font().Assign(Font());
    canvas.Font().SetColor(s.Text);
    const int tw = canvas.TextWidth(bar.Caption), th = canvas.TextHeight(bar.Caption);
    if (tw <= bar.Width) {
      canvas.Brush().SetStyle(bsSolid);
      canvas.Brush().SetColor(bar.Color);
      const int x = r.Left + (bar.Width - tw) / 2 - o, y = (r.Height() - th) / 2 - o;
      canvas.TextRect(TRect(x, y, x + tw, y + th), x, y, bar.Caption);
    }
  }
  TRect frame = r;
  if (pressed)
    canvas.Frame3D(frame, s.Dark, s.Light, mBevelWidth);
  else
    canvas.Frame3D(frame, s.Light, s.Dark, mBevelWidth);
  if (bar.ImageIndex >= 0 && bar.ImageIndex < mImageList.size()) {
    const QImage& img = mImageList.at(bar.ImageIndex);
    canvas.Draw(bar.X + o + 4, (height() - img.height()) / 2 + o, img);
  }
}

// Only the bars inside the exposed area are drawn: a scrolled row of
// thousands of bars costs what its visible part costs.
void TBtnQueDisplay::paintEvent(QPaintEvent* e) {
  TCanvas canvas(this);
  canvas.SetPalette(palette());
  const QRect exposed = e->rect();
  mLastPainted = 0;
  for (size_t i = 0; i < mButtons.size(); ++i) {
    const TBtnQueObject& b = mButtons[i];
    if (b.X + b.Width <= exposed.left()) continue;
    if (b.X > exposed.right()) break;
    DrawButton(canvas, b, int(i) == mPressed && mPressedShown);
    ++mLastPainted;
  }
  if (hasFocus() && mCurrent >= 0 && mCurrent < ButtonCount()) {
    const TRect r = ButtonRect(mCurrent);
    canvas.DrawFocusRect(TRect(r.Left + 2, r.Top + 2, r.Right - 2, r.Bottom - 2));
  }
}

namespace {
QVariant DataOf(const std::vector<TBtnQueObject>& bars, int i) {
  return i >= 0 && i < int(bars.size()) ? bars[size_t(i)].Data : QVariant();
}
}  // namespace

void TBtnQueDisplay::SetCurrentButton(int i) {
  i = std::clamp(i, 0, std::max(0, ButtonCount() - 1));
  if (i == mCurrent) return;
  mCurrent = i;
  if (hasFocus()) update();
}

void TBtnQueDisplay::keyPressEvent(QKeyEvent* e) {
  switch (e->key()) {
    case Qt::Key_Left: SetCurrentButton(mCurrent - 1); return;
    case Qt::Key_Right: SetCurrentButton(mCurrent + 1); return;
    case Qt::Key_Home: SetCurrentButton(0); return;
    case Qt::Key_End: SetCurrentButton(ButtonCount() - 1); return;
    case Qt::Key_Space:
    case Qt::Key_Return:
    case Qt::Key_Enter: {
      if (e->isAutoRepeat() || mPressed >= 0 || mCurrent >= ButtonCount()) return;
      if (!mClickEnabled) return;
      mPressed = mCurrent;
      mKeyHeld = true;
      RepaintButton(mPressed, true);
      const QPoint c = ButtonRect(mPressed).ToQRect().center();
      TW_FIRE(OnButtonDown, ButtonDown, this, mPressed, DataOf(mButtons, mPressed), Qt::NoButton, e->modifiers(), c.x(),
              c.y());
      // Enter clicks at once; Space clicks on its release, as a button does.
      if (e->key() != Qt::Key_Space) KeyRelease(true);
      return;
    }
    default: QWidget::keyPressEvent(e);
  }
}

void TBtnQueDisplay::keyReleaseEvent(QKeyEvent* e) {
  if (e->key() == Qt::Key_Space && !e->isAutoRepeat() && mKeyHeld) {
    KeyRelease(true);
    return;
  }
  QWidget::keyReleaseEvent(e);
}

void TBtnQueDisplay::KeyRelease(bool click) {
  const int pressed = mPressed;
  mKeyHeld = false;
  mPressed = -1;
  if (pressed < 0 || pressed >= ButtonCount()) return;
  RepaintButton(pressed, false);
  const QVariant data = DataOf(mButtons, pressed);
  const QPoint c = ButtonRect(pressed).ToQRect().center();
  TW_FIRE(OnButtonUp, ButtonUp, this, pressed, data, Qt::NoButton, Qt::NoModifier, c.x(), c.y());
  if (click) TW_FIRE(OnButtonClick, ButtonClick, this, pressed, data);
}

void TBtnQueDisplay::focusInEvent(QFocusEvent* e) {
  QWidget::focusInEvent(e);
  update();
}

void TBtnQueDisplay::focusOutEvent(QFocusEvent* e) {
  QWidget::focusOutEvent(e);
  if (mKeyHeld) KeyRelease(false);
  update();
}

int TBtnQueDisplay::ButtonAt(int x) const {
  if (mButtons.empty()) return -1;
  int found = 0;
  for (size_t i = 1; i < mButtons.size(); ++i)
    if (mButtons[i].X <= x) found = int(i);
  return found;
}

void TBtnQueDisplay::RepaintButton(int i, bool pressed) {
  mPressedShown = pressed;
  if (i >= 0 && i < ButtonCount()) update(ButtonRect(i).ToQRect());
}

void TBtnQueDisplay::mousePressEvent(QMouseEvent* e) {
  const QPoint p = e->position().toPoint();
  if (e->button() == Qt::LeftButton && mClickEnabled) {
    mPressed = ButtonAt(p.x());
    if (mPressed >= 0) RepaintButton(mPressed, true);
  }
  TW_FIRE(OnButtonDown, ButtonDown, this, mPressed, DataOf(mButtons, mPressed), e->button(), e->modifiers(), p.x(),
          p.y());
}

void TBtnQueDisplay::mouseMoveEvent(QMouseEvent* e) {
  const QPoint p = e->position().toPoint();
  if (mPressed >= 0) {
    const bool inside = ButtonRect(mPressed).ToQRect().contains(p);
    if (inside != mPressedShown) RepaintButton(mPressed, inside);
  }
  TW_FIRE(OnButtonMove, ButtonMove, this, mPressed, DataOf(mButtons, mPressed), e->modifiers(), p.x(), p.y());
}

void TBtnQueDisplay::mouseReleaseEvent(QMouseEvent* e) {
  const QPoint p = e->position().toPoint();
  const int pressed = mPressed;
  if (mClickEnabled && e->button() == Qt::LeftButton && pressed >= 0) RepaintButton(pressed, false);
  const QVariant data = DataOf(mButtons, pressed);
  TW_FIRE(OnButtonUp, ButtonUp, this, pressed, data, e->button(), e->modifiers(), p.x(), p.y());
  if (pressed >= 0 && pressed < ButtonCount() && ButtonRect(pressed).ToQRect().contains(p))
    TW_FIRE(OnButtonClick, ButtonClick, this, pressed, data);
  mPressed = -1;
  mPressedShown = false;
}

// ---- TBtnQuePeriodDisplay ----------------------------------------------------------

TBtnQuePeriodDisplay::TBtnQuePeriodDisplay(QWidget* parent) : TBtnQueDisplay(parent) {}

namespace {
// Periods are kept sorted by start: the first one not starting before `start`.
template <class It>
It FirstFrom(It begin, It end, TDateTime start) {
  return std::lower_bound(begin, end, start, [](const TPeriodObject& p, TDateTime s) { return p.Start < s; });
}
}  // namespace

int TBtnQuePeriodDisplay::FindPeriod(TDateTime start) const {
  const auto at = FirstFrom(mPeriods.begin(), mPeriods.end(), start);
  return at != mPeriods.end() && at->Start == start ? int(at - mPeriods.begin()) : -1;
}

int TBtnQuePeriodDisplay::AddPeriod(const QString& caption, TColor color, TDateTime start, TDateTime stop, int style,
                                    int imageIndex, const QVariant& data) {
  auto at = FirstFrom(mPeriods.begin(), mPeriods.end(), start);
  // Equal starts are one period, whose stop is only ever raised.
  if (at != mPeriods.end() && at->Start == start) {
    *at = {caption, start, std::max(at->Stop, stop), color, style, imageIndex, data};
    return int(at - mPeriods.begin());
  }
  at = mPeriods.insert(at, {caption, start, stop, color, style, imageIndex, data});
  return int(at - mPeriods.begin());
}

namespace {
int HourOf(TDateTime v) { return SerialToTime(v - std::floor(v)).hour(); }
double WholeDays(TDateTime v) { return std::floor(v); }
}  // namespace

bool TBtnQuePeriodDisplay::PeriodToPixels(const TPeriodObject& period, int& x, int& width) const {
  if (!mRule) return false;
  double hoursPerStep = 0;
  TDateTime origin = 0;
  if (mRule->ValueType() == srvDate) {
    hoursPerStep = mRule->StepNumber() * 24;
    origin = WholeDays(mRule->StartNumber());
  } else {
    hoursPerStep = HourOf(mRule->StepNumber());
    origin = mRule->StartNumber();
  }
  // A step under one hour cannot place anything (it would divide by zero).
  if (hoursPerStep < 1) return false;
  const int step = mRule->StepSize();
  // Whole days count by calendar day, so a 1.2-day period that crosses two
  // midnights is not shortened; minutes and seconds are left out.
  const double startHours = (WholeDays(period.Start) - WholeDays(origin)) * 24 + HourOf(period.Start) - HourOf(origin);
  const double lengthHours = (WholeDays(period.Stop) - WholeDays(period.Start)) * 24 + HourOf(period.Stop) -
                             HourOf(period.Start);
  const double px = std::trunc(startHours * step / hoursPerStep);
  const double pw = std::trunc(lengthHours * step / hoursPerStep);
  if (!std::isfinite(px) || !std::isfinite(pw) || std::abs(px) > 1e9 || std::abs(pw) > 1e9) return false;
  x = int(px);
  width = int(pw);
  return true;
}

void TBtnQuePeriodDisplay::RebuildButtons() {
  ClearButtons();
  for (const TPeriodObject& p : mPeriods) {
    int x = 0, w = 0;
    if (!PeriodToPixels(p, x, w)) continue;
    // AddButton places in constant time, so a rebuild is linear.
    AddButton(p.Caption, x, p.Data, p.ImageIndex, p.Style, p.Color, w);
  }
  FitWidth();
  update();
}

}  // namespace Tarnwell
