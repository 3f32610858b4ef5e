#include "TLabel.h"

#include "TAccessible.h"

#include <QEvent>
#include <QFontMetrics>
#include <QKeySequence>
#include <QPaintEvent>
#include <QPainter>
#include <QShortcut>

TARNWELL_LIBRARY_ACCESSIBLE(platform)

namespace Tarnwell {

TCustomLabel::TCustomLabel(QWidget* parent) : QWidget(parent) {
  mFontView.changed = [this] {
    AdjustBounds();
    update();
    Q_EMIT FontChanged(font());
  };
  mColorView.WhenColorChanges([this] {
    update();
    Q_EMIT ColorChanged(ColorQColor());
  });
  setAutoFillBackground(false);
  AdjustBounds();
}

TCustomLabel::~TCustomLabel() = default;

void TCustomLabel::setFocusControl(QWidget* w) {
  if (mFocusControl == w) return;
  mFocusControl = w;
  UpdateShortcut();
  Q_EMIT FocusControlChanged(w);
}

void TCustomLabel::UpdateShortcut() {
  delete mShortcut;
  mShortcut = nullptr;
  if (!mShowAccelChar || !mFocusControl) return;
  const QKeySequence key = QKeySequence::mnemonic(mCaption);
  if (key.isEmpty()) return;
  mShortcut = new QShortcut(key, this);
  mShortcut->setContext(Qt::WindowShortcut);
  connect(mShortcut, &QShortcut::activated, this, [this] {
    if (mFocusControl && mFocusControl->isEnabled()) mFocusControl->setFocus(Qt::ShortcutFocusReason);
  });
}

void TCustomLabel::TextChanged() {
  UpdateShortcut();
  AdjustBounds();
  update();
}

QString TCustomLabel::DrawnText(int flags) const {
  if ((flags & dtCalcRect) &&
      (mCaption.isEmpty() || (mShowAccelChar && mCaption == QLatin1String("&"))))
    return QStringLiteral(" ");
  return mCaption;
}

int TCustomLabel::DrawTextFlags() const {
  int flags = Qt::AlignTop;
  switch (mAlignment) {
    case taLeftJustify: flags |= Qt::AlignLeft; break;
    case taRightJustify: flags |= Qt::AlignRight; break;
    case taCenter: flags |= Qt::AlignHCenter; break;
  }
  flags |= Qt::TextExpandTabs;
  if (mWordWrap) flags |= Qt::TextWordWrap;
  if (!mShowAccelChar) flags |= dtNoPrefix;
  return flags;
}

namespace {
int QtFlags(int flags) {
  int q = flags & ~(dtCalcRect | dtNoPrefix);
  if (!(flags & dtNoPrefix)) q |= Qt::TextShowMnemonic;
  return q;
}
}  // namespace

void TCustomLabel::DoDrawText(TCanvas& canvas, TRect& rect, int flags) {
  const QString text = DrawnText(flags);
  if (flags & dtCalcRect) {
    const QFontMetrics fm(canvas.Font().ToQFont());
    // Without word wrap the text keeps its own width; with it, the lines
    // break at the rectangle's width.
    const int w = (flags & Qt::TextWordWrap) ? std::max(1, rect.Width()) : 100000;
    const QRect box = fm.boundingRect(QRect(rect.Left, rect.Top, w, 100000), QtFlags(flags) & ~Qt::AlignHorizontal_Mask,
                                      text);
    rect.Right = rect.Left + box.width();
    rect.Bottom = rect.Top + std::max(box.height(), fm.height());
    return;
  }
  if (!isEnabled()) {
    const TColor keep = canvas.Font().Color();
    TRect shifted = rect;
    OffsetRect(shifted, 1, 1);
    canvas.Font().SetColor(clBtnHighlight);
    canvas.DrawText(shifted, text, QtFlags(flags));
    canvas.Font().SetColor(clBtnShadow);
    canvas.DrawText(rect, text, QtFlags(flags));
    canvas.Font().SetColor(keep);
    return;
  }
  canvas.DrawText(rect, text, QtFlags(flags));
}

void TCustomLabel::Paint(TCanvas& canvas) {
  canvas.Font().Assign(Font());
  if (!mTransparent) {
    canvas.Brush().SetColor(Color());
    canvas.Brush().SetStyle(bsSolid);
    canvas.FillRect(TRect(0, 0, width(), height()));
  }
  canvas.Brush().SetStyle(bsClear);
  TRect rect(0, 0, width(), height());
  const int flags = DrawTextFlags();
  if (mLayout != tlTop) {
    TRect calc = rect;
    DoDrawText(canvas, calc, flags | dtCalcRect);
    const int dy = mLayout == tlBottom ? rect.Height() - calc.Height() : (rect.Height() - calc.Height()) / 2;
    rect.Top += dy;
  }
  DoDrawText(canvas, rect, flags);
}

QSize TCustomLabel::sizeHint() const {
  TCanvas measure;
  measure.Font().Assign(Font());
  TRect r(0, 0, mWordWrap ? std::max(1, width()) : 0, 0);
  const_cast<TCustomLabel*>(this)->DoDrawText(measure, r, DrawTextFlags() | dtCalcRect);
  return QSize(std::max(1, r.Width()), std::max(1, r.Height()));
}

void TCustomLabel::AdjustBounds() {
  if (!mAutoSize || mAdjusting) return;
  mAdjusting = true;
  const QSize want = sizeHint();
  const QRect g = geometry();
  int left = g.left();
  if (mAlignment == taRightJustify) left = g.left() + g.width() - want.width();
  if (want != g.size() || left != g.left()) setGeometry(left, g.top(), want.width(), want.height());
  updateGeometry();
  mAdjusting = false;
}

void TCustomLabel::paintEvent(QPaintEvent*) {
  ++mPaintCount;
  QPainter p(this);
  TCanvas canvas(&p);
  canvas.SetPalette(palette());
  Paint(canvas);
}

void TCustomLabel::changeEvent(QEvent* e) {
  QWidget::changeEvent(e);
  if (e->type() == QEvent::EnabledChange) update();
}

}  // namespace Tarnwell
