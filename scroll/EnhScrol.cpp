#include "EnhScrol.h"

#include <QChildEvent>
#include <QLocale>
#include <QPaintEvent>
#include <QScrollBar>
#include <algorithm>
#include <cmath>

#include <Tarnwell/platform/TAccessible.h>

TARNWELL_LIBRARY_ACCESSIBLE(scroll)

namespace Tarnwell {

// ---- locale texts -------------------------------------------------------------

namespace {

QDate ReadDate(const QString& text) {
  const QLocale loc;
  const QString t = text.trimmed();
  const QString shortFormat = loc.dateFormat(QLocale::ShortFormat);
  QDate d = WindowTwoDigitYear(loc.toDate(t, shortFormat), shortFormat);
  if (!d.isValid()) d = loc.toDate(t, QLocale::LongFormat);
  if (!d.isValid()) d = QDate::fromString(t, Qt::ISODate);
  return d;
}

QTime ReadTime(const QString& text) {
  const QLocale loc;
  const QString t = text.trimmed();
  QTime tm = loc.toTime(t, QLocale::ShortFormat);
  if (!tm.isValid()) tm = loc.toTime(t, QLocale::LongFormat);
  if (!tm.isValid()) tm = QTime::fromString(t, Qt::ISODate);
  return tm;
}

// A date and time: "date time" in the locale's short forms, or ISO.
bool ReadDateTime(const QString& text, double& serial) {
  const QString t = text.trimmed();
  QDateTime dt = QDateTime::fromString(t, Qt::ISODate);
  if (dt.isValid()) {
    serial = DateTimeToSerial(dt);
    return true;
  }
  // The time is the last blank-separated part(s); dates may contain blanks
  // themselves, so try every split from the right.
  const QStringList parts = t.split(QLatin1Char(' '), Qt::SkipEmptyParts);
  for (int cut = int(parts.size()) - 1; cut >= 1; --cut) {
    const QDate d = ReadDate(parts.mid(0, cut).join(QLatin1Char(' ')));
    const QTime tm = ReadTime(parts.mid(cut).join(QLatin1Char(' ')));
    if (d.isValid() && tm.isValid()) {
      serial = DateToSerial(d) + TimeToSerial(tm);
      return true;
    }
  }
  const QDate d = ReadDate(t);
  if (d.isValid()) {
    serial = DateToSerial(d);
    return true;
  }
  return false;
}

bool ReadInteger(const QString& text, double& v) {
  bool ok = false;
  const qlonglong n = text.trimmed().toLongLong(&ok);
  if (!ok) return false;
  v = double(n);
  return true;
}

double Frac(double v) { return v - std::floor(v); }

}  // namespace

QString RuleDateText(double serial) {
  return QLocale().toString(SerialToDate(std::floor(serial)), QLocale::ShortFormat);
}
QString RuleTimeText(double serial) { return QLocale().toString(SerialToTime(Frac(serial)), QLocale::ShortFormat); }
QString RuleDateTimeText(double serial) { return RuleDateText(serial) + QLatin1Char(' ') + RuleTimeText(serial); }

// ---- TScrollRule -----------------------------------------------------------------

TScrollRule::TScrollRule(QWidget* parent) : QWidget(parent) {
  resize(96, 24);
  mFont.changed = [this] {
    update();
    Q_EMIT FontChanged(font());
  };
  mColorView.WhenColorChanges([this] {
    update();
    Q_EMIT ColorChanged(ColorQColor());
  });
}

TColor TScrollRule::Color() const { return mColorView.Color(); }
void TScrollRule::setColor(TColor value) { mColorView.SetColor(value); }

void TScrollRule::setValueType(TScrollRuleValueType value) {
  if (value == mValueType) return;
  mValueType = value;
  switch (value) {
    case srvInteger:
    case srvLabels:
      mStart = 0;
      mStep = 1;
      break;
    case srvDate:
      mStart = Date();
      mStep = 1;
      break;
    case srvTime:
      mStart = Frac(Now());
      mStep = 0;
      break;
    case srvDateTime:
    case srvDatePTime:
      mStart = Now();
      mStep = 0;
      break;
  }
  update();
  Q_EMIT ValueTypeChanged(value);
  Q_EMIT StartValueChanged(StartValue());
  Q_EMIT StepValueChanged(StepValue());
}

QString TScrollRule::FormatValue(double v, bool asStep) const {
  switch (mValueType) {
    case srvInteger:
    case srvLabels:
      return QString::number(qlonglong(std::llround(v)));
    case srvDate:
      return asStep ? QString::number(qlonglong(std::llround(v))) : RuleDateText(v);
    case srvTime:
      return RuleTimeText(v);
    case srvDateTime:
    case srvDatePTime:
      return asStep ? RuleTimeText(v) : RuleDateTimeText(v);
  }
  return {};
}

QString TScrollRule::StartValue() const { return FormatValue(mStart, false); }
QString TScrollRule::StepValue() const { return FormatValue(mStep, true); }

// The inverse of FormatValue. Start texts that do not read as the value type
// give 1; steps are whole days for dates (else 1) and a time of day for the
// date-time types (else 0), otherwise read as the start value is.
double TScrollRule::ParseValue(const QString& text, bool asStep) const {
  double v = 1;
  switch (mValueType) {
    case srvInteger:
    case srvLabels:
      return ReadInteger(text, v) ? v : 1;
    case srvDate:
      if (asStep) return ReadInteger(text, v) ? v : 1;
      if (const QDate d = ReadDate(text); d.isValid()) return DateToSerial(d);
      return 1;
    case srvTime:
      if (const QTime t = ReadTime(text); t.isValid()) return TimeToSerial(t);
      return 1;
    case srvDateTime:
    case srvDatePTime:
      if (asStep) {
        const QTime t = ReadTime(text);
        return t.isValid() ? TimeToSerial(t) : 0;
      }
      return ReadDateTime(text, v) ? v : 1;
  }
  return 1;
}

void TScrollRule::setStartValue(QString value) { SetStartNumber(ParseValue(value, false)); }
void TScrollRule::setStepValue(QString value) { SetStepNumber(ParseValue(value, true)); }

void TScrollRule::SetStartNumber(double v) {
  if (v == mStart) return;
  mStart = v;
  update();
  Q_EMIT StartValueChanged(StartValue());
}

void TScrollRule::SetStepNumber(double v) {
  if (v == mStep) return;
  mStep = v;
  update();
  Q_EMIT StepValueChanged(StepValue());
}

// A step and gap that add up to nothing would never leave the paint loop.
int TScrollRule::Pitch() const { return std::max(1, mStepSize + mJumpSize); }

int TScrollRule::CellStart(int n) const {
  const int pos = mDirection == srdVertical ? mTopPosition : mLeftPosition;
  return mStartPos + n * Pitch() + pos;
}

QString TScrollRule::CellLabel(int n) const {
  const double v = mStart + double(n) * mStep;
  if (mValueType == srvLabels) {
    const double idx = std::round(v);
    if (idx < 0 || idx >= double(mLabels.size())) return {};
    return mLabels.at(int(idx));
  }
  return FormatValue(v, false);
}

void TScrollRule::paintEvent(QPaintEvent*) {
  TCanvas canvas(this);
  canvas.SetPalette(palette());
  canvas.Font().Assign(Font());
  Paint(canvas);
}

void TScrollRule::DrawLabel(TCanvas& canvas, const TRect& cell, double value, int n) {
  canvas.Brush().SetStyle(bsClear);
  if (mValueType == srvDatePTime) {
    // Date and time are two lines, formatted apart (a date text may itself
    // contain blanks, so the joined text cannot be split again).
    const QString dateLine = RuleDateText(value), timeLine = RuleTimeText(value);
    const int h1 = canvas.TextHeight(dateLine), h2 = canvas.TextHeight(timeLine);
    const int top = cell.Top + (cell.Height() - h1 - h2) / 2;
    canvas.TextRect(cell, cell.Left + (cell.Width() - canvas.TextWidth(dateLine)) / 2, top, dateLine);
    canvas.TextRect(cell, cell.Left + (cell.Width() - canvas.TextWidth(timeLine)) / 2, top + h1, timeLine);
    return;
  }
  const QString text = CellLabel(n);
  if (text.isEmpty()) return;
  canvas.TextRect(cell, cell.Left + (cell.Width() - canvas.TextWidth(text)) / 2,
                  cell.Top + (cell.Height() - canvas.TextHeight(text)) / 2, text);
}

void TScrollRule::Paint(TCanvas& canvas) {
  const bool vertical = mDirection == srdVertical;
  const int length = vertical ? height() : width();
  const int across = vertical ? width() : height();
  const int p = Pitch();
  const int end = mStopPos != 0 ? mStopPos : length;
  const int pos = vertical ? mTopPosition : mLeftPosition;

  canvas.Pen().SetStyle(psClear);
  canvas.Brush().SetStyle(bsSolid);
  canvas.Brush().SetColor(Color());
  canvas.FillRect(TRect(0, 0, width(), height()));

  // The first cell is the one just before the visible start, so that a cell
  // cut by the left (top) edge is drawn too.
  int k = -(pos / p) - 1;
  int at = mStartPos + (pos % p) - p;
  canvas.Pen().SetStyle(psSolid);
  canvas.Pen().SetColor(clBlack);
  canvas.Pen().SetWidth(1);
  while (at <= end) {
    TRect cell = vertical ? TRect(0, at, across, at + mStepSize) : TRect(at, 0, at + mStepSize, across);
    canvas.Brush().SetStyle(bsClear);
    switch (mLabelType) {
      case srlSingle:
        // Horizontal neighbours share their dividing line.
        canvas.Rectangle(vertical ? cell : TRect(cell.Left, cell.Top, cell.Right + 1, cell.Bottom));
        break;
      case srlRaised: {
        TRect r = cell;
        canvas.Frame3D(r, clBtnHighlight, clBtnShadow, 1);
        break;
      }
      case srlLowered: {
        TRect r = cell;
        canvas.Frame3D(r, clBtnShadow, clBtnHighlight, 1);
        break;
      }
      case srlNone:
        break;
    }
    DrawLabel(canvas, cell, mStart + double(k) * mStep, k);
    at += p;
    ++k;
  }

  // Before the first cell's place and after the last, only the colour.
  canvas.Pen().SetStyle(psClear);
  canvas.Brush().SetStyle(bsSolid);
  canvas.Brush().SetColor(Color());
  if (mStartPos > 0) canvas.FillRect(vertical ? TRect(0, 0, across, mStartPos) : TRect(0, 0, mStartPos, across));
  if (end < length) canvas.FillRect(vertical ? TRect(0, end, across, length) : TRect(end, 0, length, across));
}

// ---- TEnhScrollBox ---------------------------------------------------------------

namespace {
TScrollCode CodeOf(int action) {
  switch (action) {
    case QAbstractSlider::SliderSingleStepAdd: return scLineDown;
    case QAbstractSlider::SliderSingleStepSub: return scLineUp;
    case QAbstractSlider::SliderPageStepAdd: return scPageDown;
    case QAbstractSlider::SliderPageStepSub: return scPageUp;
    case QAbstractSlider::SliderToMinimum: return scTop;
    case QAbstractSlider::SliderToMaximum: return scBottom;
    case QAbstractSlider::SliderMove: return scTrack;
    default: return scPosition;
  }
}
}  // namespace

TEnhScrollBox::TEnhScrollBox(QWidget* parent) : QScrollArea(parent), mContent(new QWidget) {
  mContent->setObjectName(QStringLiteral("ScrollBoxContent"));
  mContent->installEventFilter(this);
  setWidget(mContent);
  setWidgetResizable(false);
  for (QScrollBar* bar : {horizontalScrollBar(), verticalScrollBar()}) {
    const Qt::Orientation o = bar == horizontalScrollBar() ? Qt::Horizontal : Qt::Vertical;
    connect(bar, &QAbstractSlider::actionTriggered, this, [this, o](int action) {
      (o == Qt::Horizontal ? mLastHAction : mLastVAction) = action;
    });
    connect(bar, &QAbstractSlider::valueChanged, this, [this, o](int v) { ScrollBarMoved(o, v); });
    connect(bar, &QAbstractSlider::sliderReleased, this, [this, o, bar] {
      (o == Qt::Horizontal ? mLastHAction : mLastVAction) = -1;
      ScrollBarMoved(o, bar->value());
    });
  }
}

int TEnhScrollBox::TopPosition() const { return -verticalScrollBar()->value(); }
int TEnhScrollBox::LeftPosition() const { return -horizontalScrollBar()->value(); }

void TEnhScrollBox::setTopPosition(int value) {
  const int before = TopPosition();
  verticalScrollBar()->setValue(-value);
  if (mVertRule) mVertRule->setTopPosition(TopPosition());
  if (TopPosition() != before) Q_EMIT TopPositionChanged(TopPosition());
}

void TEnhScrollBox::setLeftPosition(int value) {
  const int before = LeftPosition();
  horizontalScrollBar()->setValue(-value);
  if (mHorzRule) mHorzRule->setLeftPosition(LeftPosition());
  if (LeftPosition() != before) Q_EMIT LeftPositionChanged(LeftPosition());
}

void TEnhScrollBox::setHorzRule(TScrollRule* r) {
  mHorzRule = r;
  SyncRules();
}
void TEnhScrollBox::setVertRule(TScrollRule* r) {
  mVertRule = r;
  SyncRules();
}

void TEnhScrollBox::SyncRules() {
  if (mHorzRule) mHorzRule->setLeftPosition(LeftPosition());
  if (mVertRule) mVertRule->setTopPosition(TopPosition());
}

void TEnhScrollBox::ScrollBarMoved(Qt::Orientation o, int value) {
  const bool horizontal = o == Qt::Horizontal;
  QScrollBar* bar = horizontal ? horizontalScrollBar() : verticalScrollBar();
  const int pos = -value;
  TScrollRule* rule = horizontal ? mHorzRule.data() : mVertRule.data();
  if (rule) {
    if (horizontal)
      rule->setLeftPosition(pos);
    else
      rule->setTopPosition(pos);
  }
  const bool tracking = bar->isSliderDown();
  const int action = horizontal ? mLastHAction : mLastVAction;
  if (horizontal)
    Q_EMIT LeftPositionChanged(pos);
  else
    Q_EMIT TopPositionChanged(pos);
  if (tracking) {
    if (horizontal)
      TW_FIRE(OnHTrack, HTrack, this, int(scTrack), pos);
    else
      TW_FIRE(OnVTrack, VTrack, this, int(scTrack), pos);
    return;
  }
  const int code = action < 0 || action == QAbstractSlider::SliderMove ? int(scPosition) : int(CodeOf(action));
  (horizontal ? mLastHAction : mLastVAction) = -1;
  if (horizontal)
    TW_FIRE(OnHScroll, HScroll, this, code, pos);
  else
    TW_FIRE(OnVScroll, VScroll, this, code, pos);
}

// The content holds every control placed on it: it grows to their extent
// (and at least to the viewport), as a classic scroll box's range does.
void TEnhScrollBox::FitContent() {
  if (mFitting) return;
  mFitting = true;
  QRect extent;
  for (QObject* o : mContent->children()) {
    auto* w = qobject_cast<QWidget*>(o);
    if (w && !w->isHidden()) extent = extent.united(w->geometry());
  }
  const QSize want(std::max(extent.right() + 1, viewport()->width()), std::max(extent.bottom() + 1, viewport()->height()));
  if (mContent->size() != want) mContent->resize(want);
  mFitting = false;
}

bool TEnhScrollBox::eventFilter(QObject* watched, QEvent* event) {
  if (watched == mContent) {
    if (event->type() == QEvent::ChildAdded) {
      auto* ce = static_cast<QChildEvent*>(event);
      if (ce->child()->isWidgetType()) ce->child()->installEventFilter(this);
      FitContent();
    } else if (event->type() == QEvent::ChildRemoved || event->type() == QEvent::LayoutRequest) {
      FitContent();
    }
  } else if (watched->parent() == mContent) {
    const QEvent::Type t = event->type();
    if (t == QEvent::Move || t == QEvent::Resize || t == QEvent::Show || t == QEvent::Hide) FitContent();
  }
  return QScrollArea::eventFilter(watched, event);
}

void TEnhScrollBox::resizeEvent(QResizeEvent* e) {
  QScrollArea::resizeEvent(e);
  FitContent();
  SyncRules();
}

}  // namespace Tarnwell
