#include "DTEdit.h"

#include <QApplication>
#include <QLocale>
#include <QMouseEvent>
#include <QPaintEvent>

namespace Tarnwell {

namespace {
QString TwoDigits(int v) { return QStringLiteral("%1").arg(v, 2, 10, QLatin1Char('0')); }
}  // namespace

// ---- TButtonArray ----------------------------------------------------------------

TButtonArray::TButtonArray(QWidget* parent) : QWidget(parent) {
  setGeometry(0, 0, 25, 50);
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
    }
    if (!pic.isNull()) {
      const int shift = down ? 1 : 0;
      c.Draw(r.Left + (r.Width() - pic.width()) / 2 + shift, (height() - pic.height()) / 2 + shift, pic);
    }
  }
}

void TButtonArray::WatchWindow() {
  QWidget* w = window();
  if (w == mWatchedWindow) return;
  if (mWatchedWindow) mWatchedWindow->removeEventFilter(this);
  mWatchedWindow = w;
  if (w) w->installEventFilter(this);
}

void TButtonArray::mousePressEvent(QMouseEvent* e) {
  const QPoint p = e->position().toPoint();
  const int bw = ButtonWidth();
  if (bw <= 0) return;
  mPressed = std::clamp(p.x() / bw, 0, mCount - 1);
  mDrawnDown = true;
  update(ButtonRect(mPressed).ToQRect());
  TW_FIRE(OnButtonDown, ButtonDown, this, mPressed, e->button(), e->modifiers(), p.x(), p.y());
  mRepCount = 0;
  mDelay = RepeatDelayTicks;
  WatchWindow();
  if (mPressed >= 0) mRepeat.start();
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
  mUp->setObjectName(QStringLiteral("UpButtons"));
  mDown->setObjectName(QStringLiteral("DownButtons"));
  for (TButtonArray* row : {mUp, mDown}) {
    row->setCount(4);
    row->setColor(clBtnFace);
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
  if (delta > 0 && g < 99) ++g;
  if (delta < 0 && g > 0) --g;
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
  frame.SetPalette(palette());
  TRect r(disp.Left - 1, disp.Top - 1, disp.Right + 1, disp.Bottom + 1);
  frame.Frame3D(r, clBtnShadow, clBtnHighlight, 1);
}

}  // namespace Tarnwell
