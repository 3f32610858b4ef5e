#include "DTEdit.h"

#include <Tarnwell/platform/TAccessible.h>

#include <QApplication>
#include <QKeyEvent>
#include <QLocale>
#include <QMouseEvent>
#include <QPaintEvent>

TARNWELL_LIBRARY_ACCESSIBLE(visuals)

namespace Tarnwell {

namespace {
QString TwoDigits(int v) { return QStringLiteral("%1").arg(v, 2, 10, QLatin1Char('0')); }
}  // namespace

// ---- TButtonArray ----------------------------------------------------------------

TButtonArray::TButtonArray(QWidget* parent) : QWidget(parent) {
  setGeometry(0, 0, 25, 50);
  setFocusPolicy(Qt::StrongFocus);
  mRepeat.setInterval(RepeatInterval);
  connect(&mRepeat, &QTimer::timeout, this, [this] {
    if (mPressed < 0) {
      StopRepeat();
      return;
    }
    if (mDelay > 0) {
      --mDelay;
      return;
    }
    RepeatTick();
  });
  mColorView.WhenColorChanges([this] {
    update();
    Q_EMIT ColorChanged(ColorQColor());
  });
}

TColor TButtonArray::Color() const { return mColorView.Color(); }
void TButtonArray::setColor(TColor value) { mColorView.SetColor(value); }

TRect TButtonArray::ButtonRect(int i) const {
  const int bw = ButtonWidth();
  return TRect(i * bw, 0, (i + 1) * bw, height());
}

void TButtonArray::paintEvent(QPaintEvent*) {
  TCanvas c(this);
  c.SetPalette(palette());
  c.Pen().SetStyle(psClear);
  c.Brush().SetColor(Color());
  c.FillRect(TRect(0, 0, width(), height()));
  for (int i = 0; i < mCount; ++i) {
    TRect r = ButtonRect(i);
    const bool down = i == mPressed && mDrawnDown;
    c.Brush().SetColor(clBtnFace);
    c.FillRect(r);
    TRect f = r;
    if (down) {
      c.Frame3D(f, clBtnShadow, clBtnHighlight, 1);
    } else {
      c.Frame3D(f, clBtnHighlight, clBlack, 1);
      c.Frame3D(f, clBtnFace, clBtnShadow, 1);
    }
    QImage pic;
    if (!mImageList.isEmpty()) {
      if (i < mImageList.size()) pic = mImageList.at(i);
    } else if (!mGlyph.isNull()) {
      pic = mGlyph.width() > mGlyph.height() ? mGlyph.copy(0, 0, mGlyph.height(), mGlyph.height()) : mGlyph;
      pic.setDevicePixelRatio(mGlyph.devicePixelRatio());
    }
    if (!pic.isNull()) {
      // Centred by its size on screen: a picture made for a high-density
      // screen has more pixels than it covers.
      const QSize size = pic.deviceIndependentSize().toSize();
      const int shift = down ? 1 : 0;
      c.Draw(r.Left + (r.Width() - size.width()) / 2 + shift, (height() - size.height()) / 2 + shift, pic);
    }
  }
  if (hasFocus() && mCurrent < mCount) {
    const TRect r = ButtonRect(mCurrent);
    c.DrawFocusRect(TRect(r.Left + 3, r.Top + 3, r.Right - 3, r.Bottom - 3));
  }
}

void TButtonArray::WatchWindow() {
  QWidget* w = window();
  if (w == mWatchedWindow) return;
  if (mWatchedWindow) mWatchedWindow->removeEventFilter(this);
  mWatchedWindow = w;
  if (w) w->installEventFilter(this);
}

void TButtonArray::BeginPress(int i, Qt::MouseButton button, Qt::KeyboardModifiers shift, QPoint p) {
  mPressed = std::clamp(i, 0, mCount - 1);
  mDrawnDown = true;
  update(ButtonRect(mPressed).ToQRect());
  TW_FIRE(OnButtonDown, ButtonDown, this, mPressed, button, shift, p.x(), p.y());
  mRepCount = 0;
  mDelay = RepeatDelayTicks;
  WatchWindow();
  if (mPressed >= 0) mRepeat.start();
}

void TButtonArray::mousePressEvent(QMouseEvent* e) {
  const QPoint p = e->position().toPoint();
  const int bw = ButtonWidth();
  if (bw <= 0) return;
  BeginPress(p.x() / bw, e->button(), e->modifiers(), p);
}

void TButtonArray::mouseMoveEvent(QMouseEvent* e) {
  const QPoint p = e->position().toPoint();
  if (mPressed >= 0) {
    const TRect r = ButtonRect(mPressed);
    const bool inside = p.x() >= r.Left && p.x() <= r.Right && p.y() >= r.Top && p.y() <= r.Bottom;
    if (inside != mDrawnDown) {
      mDrawnDown = inside;
      update(r.ToQRect());
    }
  }
  TW_FIRE(OnButtonMove, ButtonMove, this, mPressed, e->modifiers(), p.x(), p.y());
}

void TButtonArray::mouseReleaseEvent(QMouseEvent* e) {
  mRepeat.stop();
  mKeyHeld = false;
  const QPoint p = e->position().toPoint();
  const int pressed = mPressed;
  mDrawnDown = false;
  if (pressed >= 0) update(ButtonRect(pressed).ToQRect());
  TW_FIRE(OnButtonUp, ButtonUp, this, pressed, e->button(), e->modifiers(), p.x(), p.y());
  if (pressed >= 0) {
    const TRect r = ButtonRect(pressed);
    if (p.x() >= r.Left && p.x() <= r.Right && p.y() >= r.Top && p.y() <= r.Bottom)
      TW_FIRE(OnButtonClick, ButtonClick, this, pressed);
  }
  mPressed = -1;
}

void TButtonArray::SetCurrentIndex(int i) {
  i = std::clamp(i, 0, mCount - 1);
  if (i == mCurrent) return;
  if (hasFocus()) update();
  mCurrent = i;
}

void TButtonArray::PressButton(int i) {
  if (mPressed >= 0 || i < 0 || i >= mCount) return;
  SetCurrentIndex(i);
  BeginPress(i, Qt::NoButton, Qt::NoModifier, ButtonRect(i).ToQRect().center());
}

void TButtonArray::ReleaseButton(bool click) {
  mRepeat.stop();
  mKeyHeld = false;
  const int pressed = mPressed;
  if (pressed < 0) return;
  mDrawnDown = false;
  update(ButtonRect(pressed).ToQRect());
  const QPoint c = ButtonRect(pressed).ToQRect().center();
  TW_FIRE(OnButtonUp, ButtonUp, this, pressed, Qt::NoButton, Qt::NoModifier, c.x(), c.y());
  if (click) TW_FIRE(OnButtonClick, ButtonClick, this, pressed);
  mPressed = -1;
}

// Like a tool button row: the arrows walk the buttons, Space is the mouse
// button (a held Space repeats through the array's own timer, not the key's
// auto-repeat).
void TButtonArray::keyPressEvent(QKeyEvent* e) {
  switch (e->key()) {
    case Qt::Key_Left:
    case Qt::Key_Up: SetCurrentIndex(mCurrent - 1); return;
    case Qt::Key_Right:
    case Qt::Key_Down: SetCurrentIndex(mCurrent + 1); return;
    case Qt::Key_Home: SetCurrentIndex(0); return;
    case Qt::Key_End: SetCurrentIndex(mCount - 1); return;
    case Qt::Key_Space:
      if (!e->isAutoRepeat() && mPressed < 0) {
        mKeyHeld = true;
        BeginPress(mCurrent, Qt::NoButton, e->modifiers(), ButtonRect(mCurrent).ToQRect().center());
      }
      return;
    default: QWidget::keyPressEvent(e);
  }
}

void TButtonArray::keyReleaseEvent(QKeyEvent* e) {
  if (e->key() == Qt::Key_Space && !e->isAutoRepeat()) {
    if (mKeyHeld) ReleaseButton(true);
    return;
  }
  QWidget::keyReleaseEvent(e);
}

void TButtonArray::focusInEvent(QFocusEvent* e) {
  QWidget::focusInEvent(e);
  update();
}

// Focus gone while Space holds a button: it comes up without a click.
void TButtonArray::focusOutEvent(QFocusEvent* e) {
  QWidget::focusOutEvent(e);
  if (mKeyHeld) ReleaseButton(false);
  update();
}

void TButtonArray::RepeatTick() {
  if (mPressed < 0) return;
  ++mRepCount;
  TW_FIRE(OnButtonRepeat, ButtonRepeat, this, mPressed, mRepCount);
}

// The release of a hold can get lost: the window is blocked by a modal box,
// loses activation, or the array is hidden. The repeat then stops and the
// button comes up, without a click.
void TButtonArray::StopRepeat() {
  mRepeat.stop();
  mKeyHeld = false;
  if (mPressed >= 0) update(ButtonRect(mPressed).ToQRect());
  mPressed = -1;
  mDrawnDown = false;
}

void TButtonArray::hideEvent(QHideEvent* e) {
  QWidget::hideEvent(e);
  StopRepeat();
}

bool TButtonArray::eventFilter(QObject* watched, QEvent* event) {
  if (watched == mWatchedWindow && mPressed >= 0) {
    const QEvent::Type t = event->type();
    if (t == QEvent::WindowBlocked || t == QEvent::WindowDeactivate || t == QEvent::Hide) StopRepeat();
  }
  return QWidget::eventFilter(watched, event);
}

// ---- TDateTimeEdit ---------------------------------------------------------------

TDateTimeEdit::TDateTimeEdit(QWidget* parent) : QWidget(parent), mUp(new TButtonArray(this)), mDown(new TButtonArray(this)) {
  mDate = std::floor(Tarnwell::Date());
  const QTime now = QTime::currentTime();
  mTime = TimeToSerial(QTime(now.hour(), now.minute(), now.second()));
  QFont f(QStringLiteral("Times New Roman"));
  f.setItalic(true);
  setFont(f);
  // The edit takes the keys for its fields (as a spin box does); its rows
  // are worked with the mouse and put the caret on their column.
  setFocusPolicy(Qt::StrongFocus);
  mUp->setObjectName(QStringLiteral("UpButtons"));
  mDown->setObjectName(QStringLiteral("DownButtons"));
  mUp->setAccessibleName(QStringLiteral("Increase"));
  mDown->setAccessibleName(QStringLiteral("Decrease"));
  for (TButtonArray* row : {mUp, mDown}) {
    row->setCount(4);
    row->setColor(clBtnFace);
    row->setFocusPolicy(Qt::NoFocus);
    connect(row, &TButtonArray::ButtonDown, this, [this](TObject*, int i, Qt::MouseButton b, Qt::KeyboardModifiers, int, int) {
      if (b == Qt::NoButton) return;
      SetCurrentField(i);
      setFocus(Qt::MouseFocusReason);
    });
    const int delta = row == mUp ? 1 : -1;
    connect(row, &TButtonArray::ButtonClick, this, [this, delta](TObject*, int i) { StepGroup(i, delta); });
    connect(row, &TButtonArray::ButtonRepeat, this, [this, delta](TObject*, int i, int) { StepGroup(i, delta); });
  }
  setAccessibleName(QStringLiteral("Date"));
  mFont.changed = [this] {
    FitFont();
    update();
    Q_EMIT FontChanged(font());
  };
  mColorView.WhenColorChanges([this] {
    update();
    Q_EMIT ColorChanged(ColorQColor());
  });
  resize(160, 65);
  Regroup();
  Relayout();
}

TColor TDateTimeEdit::Color() const { return mColorView.Color(); }
void TDateTimeEdit::setColor(TColor value) { mColorView.SetColor(value); }

void TDateTimeEdit::setDTType(TDTEditType value) {
  if (value == mDTType) return;
  mDTType = value;
  mUp->setCount(Columns());
  mDown->setCount(Columns());
  mCaret = std::min(mCaret, Columns() - 1);
  setAccessibleName(value == dteDate ? QStringLiteral("Date") : QStringLiteral("Time"));
  Regroup();
  Relayout();
  Q_EMIT DTTypeChanged(value);
}

void TDateTimeEdit::setDate(double value) {
  if (value == mDate) return;
  mDate = value;
  if (mDTType == dteDate) {
    Regroup();
    update();
  }
  Q_EMIT DateChanged(value);
}

QString TDateTimeEdit::Time() const {
  const QTime t = SerialToTime(mTime);
  const QString sep = LocaleTimeSeparator();
  return TwoDigits(t.hour()) + sep + TwoDigits(t.minute()) + sep + TwoDigits(t.second());
}

// Times are read by their numbers, "12:25:22" and "12.25.22" alike (and the
// locale's separator), validated as a time: never through locale text.
void TDateTimeEdit::setTime(QString value) {
  QString t = value.trimmed();
  t.replace(QLatin1Char('.'), QLatin1Char(':'));
  t.replace(LocaleTimeSeparator(), QStringLiteral(":"));
  const QStringList parts = t.split(QLatin1Char(':'));
  if (parts.size() < 2 || parts.size() > 3) return;
  int n[3] = {0, 0, 0};
  for (int i = 0; i < int(parts.size()); ++i) {
    bool ok = false;
    n[i] = parts[i].trimmed().toInt(&ok);
    if (!ok) return;
  }
  const QTime time(n[0], n[1], n[2]);
  if (!time.isValid()) return;
  const double v = TimeToSerial(time);
  if (v == mTime) return;
  mTime = v;
  if (mDTType == dteTime) {
    Regroup();
    update();
  }
  Q_EMIT TimeChanged(Time());
}

void TDateTimeEdit::setBtnUpGlyph(QImage value) {
  mBtnUpGlyph = value;
  mUp->setGlyph(value);
  Q_EMIT BtnUpGlyphChanged(value);
}
void TDateTimeEdit::setBtnDnGlyph(QImage value) {
  mBtnDnGlyph = value;
  mDown->setGlyph(value);
  Q_EMIT BtnDnGlyphChanged(value);
}

void TDateTimeEdit::Regroup() {
  if (mDTType == dteDate) {
    const QDate d = SerialToDate(std::floor(mDate));
    mGroups = {quint16(d.day()), quint16(d.month()), quint16(d.year() / 100), quint16(d.year() % 100)};
  } else {
    const QTime t = SerialToTime(mTime);
    mGroups = {quint16(t.hour()), quint16(t.minute()), quint16(t.second()), quint16(t.msec())};
  }
}

void TDateTimeEdit::StepGroup(int group, int delta) {
  // No group past the last column.
  if (group < 0 || group >= Columns()) return;
  quint16& g = mGroups[size_t(group)];
  g = quint16(std::clamp(int(g) + delta, 0, 99));
  if (mDTType == dteDate) {
    const QDate d(mGroups[2] * 100 + mGroups[3], mGroups[1], mGroups[0]);
    if (d.isValid()) {
      mDate = DateToSerial(d);
      Q_EMIT DateChanged(mDate);
    }
  } else {
    const QTime t(mGroups[0], mGroups[1], mGroups[2]);
    if (t.isValid()) {
      mTime = TimeToSerial(t);
      Q_EMIT TimeChanged(Time());
    }
  }
  Regroup();  // an invalid step is undone here
  update();
}

void TDateTimeEdit::SetCurrentField(int field) {
  field = std::clamp(field, 0, Columns() - 1);
  if (field == mCaret) return;
  mCaret = field;
  if (hasFocus()) update();
}

QString TDateTimeEdit::DisplayText() const {
  if (mDTType == dteDate) {
    const QString sep = LocaleDateSeparator();
    return TwoDigits(mGroups[0]) + sep + TwoDigits(mGroups[1]) + sep + TwoDigits(mGroups[2]) + TwoDigits(mGroups[3]);
  }
  const QString sep = LocaleTimeSeparator();
  return TwoDigits(mGroups[0]) + sep + TwoDigits(mGroups[1]) + sep + TwoDigits(mGroups[2]);
}

// The keys of a date-time spin box: Up/Down a step, PageUp/PageDown ten,
// Left/Right between the fields (no wrap), Home/End to the first and last.
void TDateTimeEdit::keyPressEvent(QKeyEvent* e) {
  switch (e->key()) {
    case Qt::Key_Up: StepGroup(mCaret, 1); return;
    case Qt::Key_Down: StepGroup(mCaret, -1); return;
    case Qt::Key_PageUp: StepGroup(mCaret, 10); return;
    case Qt::Key_PageDown: StepGroup(mCaret, -10); return;
    case Qt::Key_Left: SetCurrentField(mCaret - 1); return;
    case Qt::Key_Right: SetCurrentField(mCaret + 1); return;
    case Qt::Key_Home: SetCurrentField(0); return;
    case Qt::Key_End: SetCurrentField(Columns() - 1); return;
    default: QWidget::keyPressEvent(e);
  }
}

void TDateTimeEdit::mousePressEvent(QMouseEvent* e) {
  QWidget::mousePressEvent(e);
  const int col = ColumnWidth();
  if (col > 0) SetCurrentField((int(e->position().x()) - mMargin) / col);
}

void TDateTimeEdit::focusInEvent(QFocusEvent* e) {
  QWidget::focusInEvent(e);
  update();
}
void TDateTimeEdit::focusOutEvent(QFocusEvent* e) {
  QWidget::focusOutEvent(e);
  update();
}

int TDateTimeEdit::ColumnWidth() const { return std::max(0, (width() - 2 * mMargin) / Columns()); }

void TDateTimeEdit::Relayout() {
  const int n = Columns();
  mMargin = (width() - n * ((width() - 2 * mBorderWidth) / n)) / 2;
  const int rowWidth = std::max(0, width() - 2 * mMargin);
  mUp->setGeometry(mMargin, 0, rowWidth, mBtnHeight);
  mDown->setGeometry(mMargin, height() - mBtnHeight, rowWidth, mBtnHeight);
  FitFont();
  update();
}

TRect TDateTimeEdit::DisplayRect() const {
  const int a = (height() - 2 * mBtnHeight) / 10;
  return TRect(mMargin + a, mBtnHeight + a, width() - mMargin - a, height() - mBtnHeight - a);
}

// The digits fill the display: the largest point size at which the widest
// sample fits. Done when size, rows or font change, never while painting.
void TDateTimeEdit::FitFont() {
  if (mFitting) return;
  mFitting = true;
  QFont f = font();
  const int pixel = std::max(1, (8 * height() - 16 * mBtnHeight) / 10);
  f.setPixelSize(pixel);
  const int points = std::max(1, int(std::lround(pixel * 72.0 / std::max(1, logicalDpiY()))));
  f.setPointSize(points);
  const QString sample = mDTType == dteDate ? QStringLiteral("99/99/9999") : QStringLiteral("99.99.99");
  const int room = DisplayRect().Width() - 4;
  while (f.pointSize() > 1 && QFontMetrics(f).horizontalAdvance(sample) >= room) f.setPointSize(f.pointSize() - 1);
  mDigitFont = f;
  mFitting = false;
}

void TDateTimeEdit::resizeEvent(QResizeEvent*) {
  // The clamps depend on the size.
  setBtnHeight(mBtnHeight);
  setBorderWidth(mBorderWidth);
  Relayout();
}

void TDateTimeEdit::changeEvent(QEvent* e) {
  QWidget::changeEvent(e);
  if (e->type() == QEvent::LocaleChange) update();
}

void TDateTimeEdit::paintEvent(QPaintEvent*) {
  TCanvas c(this);
  c.SetPalette(palette());
  const int rowWidth = std::max(0, width() - 2 * mMargin);
  c.Pen().SetStyle(psClear);
  c.Brush().SetColor(clBtnFace);
  c.FillRect(TRect(0, 0, width(), height()));
  // The band between the rows and the side strips: raised faces.
  TRect band(mMargin, mBtnHeight, mMargin + rowWidth - (width() % 2), height() - mBtnHeight);
  c.Frame3D(band, clBtnHighlight, clBtnShadow, 1);
  TRect leftStrip(0, 0, mMargin, height()), rightStrip(width() - mMargin, 0, width(), height());
  if (mMargin > 1) {
    c.Frame3D(leftStrip, clBtnHighlight, clBtnShadow, 1);
    c.Frame3D(rightStrip, clBtnHighlight, clBtnShadow, 1);
  }

  const TRect disp = DisplayRect();
  c.Brush().SetStyle(bsSolid);
  c.Brush().SetColor(Color());
  c.FillRect(disp);
  c.Font().AssignQFont(mDigitFont);
  c.Font().SetColor(clWindowText);
  const QString sep = mDTType == dteDate ? LocaleDateSeparator() : LocaleTimeSeparator();
  const int y = mBtnHeight + (height() - 2 * mBtnHeight - c.TextHeight(QStringLiteral("/"))) / 2;
  const int col = ColumnWidth();
  c.SetClipRect(disp);
  c.Brush().SetStyle(bsClear);
  for (int i = 0; i < 2; ++i) {
    const int left = mMargin + i * col;
    const QString digits = TwoDigits(mGroups[size_t(i)]);
    c.TextOut(left + (col - c.TextWidth(digits)) / 2, y, digits);
    c.TextOut(left + col - c.TextWidth(sep) / 2, y, sep);
  }
  if (mDTType == dteDate) {
    const QString year = TwoDigits(mGroups[2]) + TwoDigits(mGroups[3]);
    const int left = mMargin + 2 * col;
    c.TextOut(left + (2 * col - c.TextWidth(year)) / 2, y, year);
  } else {
    const QString secs = TwoDigits(mGroups[2]);
    const int left = mMargin + 2 * col;
    c.TextOut(left + (col - c.TextWidth(secs)) / 2, y, secs);
  }
  c.Release();
  TCanvas frame(this);
  if (hasFocus() && col > 0) {
    // The caret's field, framed inside the display.
    const int left = mMargin + mCaret * col;
    frame.DrawFocusRect(TRect(std::max(disp.Left + 1, left + 1), disp.Top + 1, std::min(disp.Right - 1, left + col - 1),
                              disp.Bottom - 1));
  }
  frame.SetPalette(palette());
  TRect r(disp.Left - 1, disp.Top - 1, disp.Right + 1, disp.Bottom + 1);
  frame.Frame3D(r, clBtnShadow, clBtnHighlight, 1);
}

}  // namespace Tarnwell
