#include "PatPanel.h"

#include <QEvent>
#include <QGuiApplication>
#include <QPaintEvent>
#include <QScreen>

#include <Tarnwell/platform/TResources.h>

namespace Tarnwell {

namespace {
// Captions written over the pattern take the text colour of the control's
// palette, so setPalette and style sheets reach them as they reach the
// platform's own painting.
TColor CaptionColor(const QWidget* w) {
  return FromQColor(w->palette().color(w->isEnabled() ? QPalette::Active : QPalette::Disabled,
                                       w->foregroundRole()));
}

QSize ScreenSize() {
  if (auto* s = QGuiApplication::primaryScreen()) return s->size();
  return QSize(1024, 768);
}
}  // namespace

// ---- TPatternHolder ------------------------------------------------------------

TPatternHolder::TPatternHolder(QObject* owner) : QObject(owner) {
  mPattern.Assign(LoadResourcePicture(QStringLiteral("PATTERN")));
  BuildWorking();
  BuildTiled(true);
}

TPatternHolder::~TPatternHolder() = default;

void TPatternHolder::ApplyEnabled() {
  if (!mEnabled) {
    mSwitchedOff = true;
  } else {
    // Switching back on restores the pattern; nothing was rebuilt meanwhile.
    mSwitchedOff = false;
    BuildWorking();
    BuildTiled(true);
  }
  Q_EMIT Changed();
}

QImage TPatternHolder::Pattern() const { return mPattern.Image(); }

void TPatternHolder::setPattern(const TBitmap& b) { setPattern(b.Image()); }

void TPatternHolder::setPattern(QImage img) {
  // Always rebuilt (the same picture may come back to undo a recolouring
  // done elsewhere); announced as a property change only when it differs.
  const bool differs = img != mPattern.Image();
  mPattern.Assign(img);
  BuildWorking();
  BuildTiled(true);
  if (differs) Q_EMIT PatternChanged(mPattern.Image());
  Q_EMIT Changed();
}

void TPatternHolder::Rebuild() {
  BuildWorking();
  BuildTiled(true);
  Q_EMIT Changed();
}

bool TPatternHolder::Active() const { return mEnabled && !mSwitchedOff && !mWorking.isNull(); }

void TPatternHolder::BuildWorking() {
  if (!mEnabled) return;
  mWorking = mPattern.Image().convertToFormat(QImage::Format_RGB32);
  mTile = QBrush(mWorking);
  if (mColor == clNone || mSubstColor == clNone || mWorking.isNull()) return;
  const unsigned from = ToQRgb(ColorToRGB(mSubstColor)) & 0xFFFFFF;
  const unsigned to = ToQRgb(ColorToRGB(mColor));
  for (int y = 0; y < mWorking.height(); ++y) {
    auto* line = reinterpret_cast<QRgb*>(mWorking.scanLine(y));
    for (int x = 0; x < mWorking.width(); ++x)
      if ((line[x] & 0xFFFFFF) == from) line[x] = to;
  }
  mTile = QBrush(mWorking);
}

void TPatternHolder::BuildTiled(bool force) {
  if (!mEnabled || mWorking.isNull() || mWorking.width() == 0 || mWorking.height() == 0) return;
  if (force || mTiled.isNull() || mTiled.width() < ScreenSize().width()) {
    mTiledWanted = true;
    mTiled = QImage();
  }
}

const QImage& TPatternHolder::Tiled() {
  if (!mTiledWanted || mWorking.isNull()) return mTiled;
  mTiledWanted = false;
  const QSize screen = ScreenSize();
  const int w = mWorking.width(), h = mWorking.height();
  // At least one whole tile beyond the screen, so that an anchor taken modulo
  // the tile always has a full screen of pattern after it.
  const int tw = std::max(screen.width(), w) + w, th = std::max(screen.height(), h) + h;
  QImage tiled(tw, th, QImage::Format_RGB32);
  QPainter p(&tiled);
  p.setCompositionMode(QPainter::CompositionMode_Source);
  p.drawImage(0, 0, mWorking);
  // Double along X, then along Y over the whole width.
  for (int x = w; x < tw; x *= 2) p.drawImage(QPoint(x, 0), tiled, QRect(0, 0, std::min(x, tw - x), h));
  for (int y = h; y < th; y *= 2) p.drawImage(QPoint(0, y), tiled, QRect(0, 0, tw, std::min(y, th - y)));
  p.end();
  mTiled = tiled;
  return mTiled;
}

QPoint TPatternHolder::AnchorOf(const QWidget* control) const {
  // The control's position in the owner window, so that neighbouring
  // controls take neighbouring parts of the tiling.
  const QWidget* form = qobject_cast<const QWidget*>(parent());
  if (!form && control) form = control->window();
  if (!control || !form) return QPoint(0, 0);
  if (form == control) return QPoint(0, 0);
  if (form->isAncestorOf(control)) return control->mapTo(form, QPoint(0, 0));
  return control->mapToGlobal(QPoint(0, 0)) - form->mapToGlobal(QPoint(0, 0));
}

// Fills dest with the tiling as it stands at (srcX, srcY): the same pixels a
// copy out of the screen-sized tiling gives, with no size limit and no copy.
void TPatternHolder::FillAnchored(TCanvas& canvas, const TRect& dest, int srcX, int srcY) {
  QPainter* p = canvas.Painter();
  if (!p) return;
  const int w = mWorking.width(), h = mWorking.height();
  int ox = (dest.Left - srcX) % w, oy = (dest.Top - srcY) % h;
  p->save();
  p->setCompositionMode(QPainter::CompositionMode_SourceOver);
  p->setBrushOrigin(ox, oy);
  p->fillRect(dest.ToQRect(), mTile);
  p->restore();
}

void TPatternHolder::PaintControl(const QWidget* control, TCanvas& canvas, const TRect& r) {
  if (!Active() || r.IsEmpty()) return;
  const QPoint a = AnchorOf(control);
  FillAnchored(canvas, r, a.x() + r.Left, a.y() + r.Top);
}

void TPatternHolder::PaintDC(const QWidget* control, TCanvas& canvas, int x, int y, int w, int h) {
  PaintControl(control, canvas, Bounds(x, y, w, h));
}

void TPatternHolder::PaintClient(TCanvas& canvas, const TRect& r) {
  if (!Active() || r.IsEmpty()) return;
  FillAnchored(canvas, r, r.Left, r.Top);
}

// ---- TPatternPanel ---------------------------------------------------------------

TPatternPanel::TPatternPanel(QWidget* parent) : TCustomPanel(parent) {}

void TPatternPanel::setPatternHolder(TPatternHolder* h) {
  if (h == mPatternHolder) return;
  QObject::disconnect(mConn);
  mPatternHolder = h;
  if (h) {
    h->BuildTiled(false);
    mConn = connect(h, &TPatternHolder::Changed, this, [this] {
      update();
      // Pattern-painted children draw from the same holder.
      for (QWidget* w : findChildren<QWidget*>()) w->update();
    });
  }
  update();
  Q_EMIT PatternHolderChanged(h);
}

TPatternHolder* TPatternPanel::ActiveHolder() const {
  return (mPatternHolder && mPatternHolder->Active()) ? mPatternHolder.data() : nullptr;
}

void TPatternPanel::Paint(TCanvas& canvas) {
  TPatternHolder* holder = ActiveHolder();
  if (!holder) {
    TCustomPanel::Paint(canvas);
  } else {
    TRect r(0, 0, width(), height());
    TRect inner = r;
    int bevel = 0;
    if (BevelOuter() != bvNone) bevel += BevelWidth();
    if (BevelInner() != bvNone) bevel += BevelWidth();
    InflateRect(inner, -bevel, -bevel);
    if (!inner.IsEmpty()) holder->PaintControl(this, canvas, inner);
    PaintBevels(canvas, r);
    PaintCaption(canvas);
  }
  TW_FIRE(OnPaint, Painted, this, canvas);
}

TPatternPanel* FindPatternPanel(const QWidget* control) {
  if (!control) return nullptr;
  QWidget* p = control->parentWidget();
  if (auto* panel = qobject_cast<TPatternPanel*>(p)) return panel;
  if (p) return qobject_cast<TPatternPanel*>(p->parentWidget());
  return nullptr;
}

void PaintButtonPattern(QAbstractButton* button) {
  TPatternPanel* panel = FindPatternPanel(button);
  TPatternHolder* holder = panel ? panel->ActiveHolder() : nullptr;
  if (!holder) return;
  TCanvas canvas(button);
  const bool captionRight = button->layoutDirection() == Qt::LeftToRight;
  int textX;
  if (captionRight) {
    holder->PaintDC(button, canvas, 16, 0, button->width() - 16, button->height());
    textX = 18;
  } else {
    holder->PaintDC(button, canvas, 0, 0, button->width() - 16, button->height());
    textX = 2;
  }
  canvas.Font().AssignQFont(button->font());
  canvas.Font().SetColor(CaptionColor(button));
  canvas.Brush().SetStyle(bsClear);
  const int y = std::max(1, (button->height() - canvas.TextHeight(button->text())) / 2);
  canvas.TextOut(textX, y, button->text());
  // The pattern covers the platform's own focus frame: frame the caption in
  // the highlight colour instead, so the keyboard focus stays visible on any
  // pattern.
  if (button->hasFocus()) {
    const int tw = canvas.TextWidth(button->text()), th = canvas.TextHeight(button->text());
    canvas.Pen().SetColor(FromQColor(button->palette().color(QPalette::Highlight)));
    canvas.Pen().SetWidth(1);
    canvas.Pen().SetStyle(psSolid);
    canvas.Brush().SetStyle(bsClear);
    canvas.Rectangle(textX - 2, std::max(0, y - 1), std::min(button->width(), textX + tw + 2),
                     std::min(button->height(), y + th + 1));
  }
}

QSize PatternButtonSize(const QAbstractButton* button, QSize platform) {
  // The caption is written at x = 18 in the button's own font, which may be
  // wider than what the platform measured for its own layout.
  const QFontMetrics fm(button->font());
  const int w = 18 + fm.horizontalAdvance(button->text()) + 2;
  const int h = fm.height() + 2;
  return platform.expandedTo(QSize(w, h));
}

// ---- group box --------------------------------------------------------------------

TPatternGroupBox::TPatternGroupBox(QWidget* parent) : QGroupBox(parent) {}

QString TPatternGroupBox::Caption() const { return title(); }

void TPatternGroupBox::setCaption(QString c) {
  if (c == title()) return;
  setTitle(c);
  Q_EMIT CaptionChanged(c);
}

void TPatternGroupBox::paintEvent(QPaintEvent* e) {
  auto* panel = qobject_cast<TPatternPanel*>(parentWidget());
  TPatternHolder* holder = (mPatternPaint && panel) ? panel->ActiveHolder() : nullptr;
  if (!holder) {
    QGroupBox::paintEvent(e);
    return;
  }
  TCanvas canvas(this);
  holder->PaintControl(this, canvas, TRect(0, 0, width(), height()));
  canvas.Font().AssignQFont(font());
  canvas.Font().SetColor(CaptionColor(this));
  const int top = canvas.TextHeight(QStringLiteral("0")) / 2 - 1;
  // The 3D group frame: highlight offset by one, shadow over it.
  canvas.Brush().SetColor(clBtnHighlight);
  canvas.FrameRect(TRect(1, top + 1, width(), height()));
  canvas.Brush().SetColor(clBtnShadow);
  canvas.FrameRect(TRect(0, top, width() - 1, height() - 1));
  const QString cap = title();
  if (!cap.isEmpty()) {
    const QSize ts = canvas.TextExtent(cap);
    TRect cr = layoutDirection() == Qt::RightToLeft
                   ? TRect(width() - 8 - ts.width(), 0, width() - 8, ts.height())
                   : Bounds(8, 0, ts.width(), ts.height());
    holder->PaintControl(this, canvas, cr);
    canvas.Brush().SetStyle(bsClear);
    canvas.TextOut(cr.Left, cr.Top, cap);
  }
}

}  // namespace Tarnwell

TARNWELL_LIBRARY_RESOURCES(tarnwell_pattern)
