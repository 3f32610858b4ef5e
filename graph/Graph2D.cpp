#include "Graph2D.h"

#include <QFileInfo>
#include <QImageWriter>
#include <QMouseEvent>
#include <QPaintEvent>
#include <QPainter>
#include <QPdfWriter>
#include <QSvgGenerator>
#include <QWheelEvent>
#include <algorithm>
#include <cmath>

#include <Tarnwell/platform/TFileWriter.h>
#include <Tarnwell/platform/TAccessible.h>
#include <Tarnwell/platform/TPixelRatio.h>

TARNWELL_LIBRARY_ACCESSIBLE(graph)

namespace Tarnwell {

TCustomGraph2D::TCustomGraph2D(QWidget* parent) : QWidget(parent) {
  resize(80, 50);
  setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Expanding);
  setMouseTracking(true);
  setAttribute(Qt::WA_OpaquePaintEvent);
  mDrawer = std::make_unique<TGraphDrawer>();
  mLayout = std::make_unique<TGraphLayout>();
  mLabels = std::make_unique<TGraphLabels>();
  mGrid = std::make_unique<TGraphGrid>();
  mSeries = std::make_unique<TPointSeries>();
  auto invalidate = [this](TGraphicsObject*) { Invalidate(); };
  mDrawer->OnChange = invalidate;
  mLayout->OnChange = invalidate;
  mLabels->OnChange = invalidate;
  mGrid->OnChange = invalidate;
  mFont.changed = [this] {
    Invalidate();
    Q_EMIT FontChanged(font());
  };
  mColor.changed = [this] {
    // Only what the graph is drawn with: other palette roles leave the cache.
    if (Color() == mDrawnColor) return;
    Invalidate();
    Q_EMIT ColorChanged(ColorQColor());
  };
  mLayout->SetSeries(mSeries.get());
  mDrawer->SetSeries(mSeries.get());
  mDrawer->SetFont(&mFont.Font());
  mGrid->SetLabelFont(&mLabels->Font());
  RefreshGraph();
}

TCustomGraph2D::~TCustomGraph2D() {
  // The layout and the drawer refer to the series: they go first.
  mLayout->SetSeries(nullptr);
  mDrawer->SetSeries(nullptr);
  mSeries->Clear();
}

void TCustomGraph2D::setLayout(const TGraphLayout& v) {
  mLayout->Assign(v);
  Invalidate();
}
void TCustomGraph2D::setLabels(const TGraphLabels& v) {
  mLabels->Assign(v);
  Invalidate();
}
void TCustomGraph2D::setGrid(const TGraphGrid& v) {
  mGrid->Assign(v);
  Invalidate();
}

void TCustomGraph2D::setRange(const TGraphRange& r) {
  if (r == mRange) return;
  mRange = r;
  Invalidate();
}

void TCustomGraph2D::AfterZoomEnabled() {
  if (!mZoomEnabled && mZooming) {
    mZooming = false;
    update();
  }
  if (!mZoomEnabled) mPanning = false;
}

TColor TCustomGraph2D::Color() const { return mColor.Color(); }

void TCustomGraph2D::setColor(TColor c) { mColor.SetColor(c); }

void TCustomGraph2D::Invalidate() {
  mCacheValid = false;
  update();
}

void TCustomGraph2D::RefreshGraph() {
  if (mAutoSize) mRange = AutoRange();
  Invalidate();
}

TGraphRange TCustomGraph2D::AutoRange() const {
  if (mSeries->Count() == 0) return mRange;
  // Function series follow the view, so they never feed back into it: a
  // graph of functions alone keeps its range instead of widening it at
  // every refresh.
  bool any = false;
  TGraphRange r;
  for (int i = 0; i < mSeries->Count(); ++i) {
    const TPointSerie* s = mSeries->Items(i);
    if (s->IsFunction()) continue;
    const TGraphRange b = s->GetBounds();
    if (!any) {
      r = b;
      any = true;
      continue;
    }
    r.XMin = std::min(r.XMin, b.XMin);
    r.YMin = std::min(r.YMin, b.YMin);
    r.XMax = std::max(r.XMax, b.XMax);
    r.YMax = std::max(r.YMax, b.YMax);
  }
  if (!any) return mRange;
  const double dx = (r.XMax - r.XMin) / 50, dy = (r.YMax - r.YMin) / 50;
  r.XMin -= dx;
  r.XMax += dx;
  r.YMax += dy;
  if (r.YMin != 0) r.YMin -= dy;
  return r;
}

void TCustomGraph2D::DrawGraph(TCanvas& canvas, const TRect& rect, bool mono) {
  DrawGraphOn(canvas, rect, mono, false);
}

void TCustomGraph2D::DrawGraphOn(TCanvas& c, const TRect& rect, bool mono, bool own) {
  // Each step is guarded: bad data spoils only its own part of the picture.
  auto guarded = [](auto&& step) {
    try {
      step();
    } catch (...) {
    }
  };
  TRect p0 = rect, p = rect;
  guarded([&] {
    mLayout->ComputeLayout(c, rect, p0);
    mLabels->ComputeLabelSpace(c, p0, p);
  });
  if (own) mPlotRect = p;
  const TColor background = c.Brush().Color();
  c.Brush().SetStyle(bsSolid);
  // The margins are filled after the series anyway: the background goes
  // under the plot only, so no pixel is filled twice.
  const TRect under = IntersectRect(p, rect);
  c.FillRect(under.IsEmpty() ? rect : under);
  mGrid->SetLabelFont(&mLabels->Font());
  mDrawer->SetFont(&mFont.Font());
  if (!mGrid->StayOnTop()) guarded([&] { mGrid->Draw(c, mRange, mono, p); });
  guarded([&] { mDrawer->Draw(c, mRange, mono, p); });
  if (mGrid->StayOnTop()) guarded([&] { mGrid->Draw(c, mRange, mono, p); });
  // The margins hide whatever the series drew outside the plot.
  c.Brush().SetStyle(bsSolid);
  c.Brush().SetColor(background);
  const int midTop = std::max(p.Top, rect.Top), midBottom = std::min(p.Bottom, rect.Bottom);
  const TRect margins[] = {TRect(rect.Left, rect.Top, rect.Right, std::min(p.Top, rect.Bottom)),
                           TRect(rect.Left, midTop, std::min(p.Left, rect.Right), midBottom),
                           TRect(std::max(p.Right, rect.Left), midTop, rect.Right, midBottom),
                           TRect(rect.Left, std::max(p.Bottom, rect.Top), rect.Right, rect.Bottom)};
  for (const TRect& m : margins)
    if (!m.IsEmpty()) c.FillRect(m);
  guarded([&] { mGrid->DrawBorder(c, mRange, mono, p); });
  guarded([&] { mLayout->Draw(c, rect, mono); });
  guarded([&] { mLabels->Draw(c, mRange, mono, p0); });
}

void TCustomGraph2D::RenderCache() {
  const QSize sz = size();
  const QSize pixels = InDevicePixels(sz, mCacheRatio);
  if (mCache.size() != pixels || mCache.devicePixelRatio() != mCacheRatio) {
    mCache = QImage(pixels, QImage::Format_RGB32);
    mCache.setDevicePixelRatio(mCacheRatio);
  }
  mCacheValid = true;
  if (sz.isEmpty()) return;
  ++mRenderCount;
  TCanvas canvas(&mCache);
  canvas.SetPalette(palette());
  canvas.Font().Assign(mFont.Font());
  mDrawnColor = Color();
  canvas.Brush().SetColor(mDrawnColor);
  if (mAntialiased) canvas.Painter()->setRenderHints(QPainter::Antialiasing | QPainter::TextAntialiasing);
  DrawGraphOn(canvas, TRect(0, 0, sz.width(), sz.height()), false, true);
  canvas.Release();
}

void TCustomGraph2D::PaintGraph(QPaintDevice* device, const QRect& rect, bool mono) {
  if (!device) return;
  TCanvas canvas(device);
  canvas.SetPalette(palette());
  canvas.Font().Assign(mFont.Font());
  canvas.Brush().SetColor(Color());
  if (mAntialiased) canvas.Painter()->setRenderHints(QPainter::Antialiasing | QPainter::TextAntialiasing);
  DrawGraphOn(canvas, TRect(rect.left(), rect.top(), rect.right() + 1, rect.bottom() + 1), mono, false);
  canvas.Release();
}

bool TCustomGraph2D::ExportGraph(const QString& fileName, QSize size, QString* error) {
  auto fail = [&](const QString& why) {
    if (error) *error = why;
    return false;
  };
  if (!size.isValid()) size = this->size();
  if (size.isEmpty() || size.width() > 20000 || size.height() > 20000)
    return fail(QStringLiteral("the picture size %1 x %2 is out of range (1 to 20000)")
                    .arg(size.width())
                    .arg(size.height()));
  const QString suffix = QFileInfo(fileName).suffix().toLower();
  const QRect rect(QPoint(0, 0), size);
  const bool image = suffix != QLatin1String("svg") && suffix != QLatin1String("pdf");
  if (image && !QImageWriter::supportedImageFormats().contains(suffix.toLatin1()))
    return fail(QStringLiteral("unknown picture type \"%1\": use .png, .svg or .pdf").arg(suffix));
  // The SVG and PDF generators report no failed write of their own; the
  // file writer keeps the first one and then leaves the old file in place.
  TFileWriter out(fileName);
  if (!out.open()) return fail(out.Message());
  if (suffix == QLatin1String("svg")) {
    QSvgGenerator svg;
    svg.setOutputDevice(&out);
    svg.setSize(size);
    svg.setViewBox(rect);
    svg.setTitle(Layout().Title());
    PaintGraph(&svg, rect);
  } else if (suffix == QLatin1String("pdf")) {
    QPdfWriter pdf(&out);
    pdf.setResolution(72);
    pdf.setPageSize(QPageSize(QSizeF(size), QPageSize::Point));
    pdf.setPageMargins(QMarginsF(0, 0, 0, 0));
    pdf.setTitle(Layout().Title());
    PaintGraph(&pdf, rect);
  } else {
    QImage img(size, QImage::Format_RGB32);
    PaintGraph(&img, rect);
    QImageWriter writer(&out, suffix.toLatin1());
    if (!writer.write(img) && !out.Failed())
      return fail(QStringLiteral("cannot write %1: %2").arg(fileName, writer.errorString()));
  }
  if (!out.Commit()) return fail(out.Message());
  return true;
}

QRegion TCustomGraph2D::BandRegion(const TRect& r) const {
  const QRect q = QRect(QPoint(std::min(r.Left, r.Right), std::min(r.Top, r.Bottom)),
                        QPoint(std::max(r.Left, r.Right), std::max(r.Top, r.Bottom)));
  const QRect outer = q.adjusted(-3, -3, 3, 3);
  const QRect inner = q.adjusted(3, 3, -3, -3);
  QRegion region(outer);
  if (inner.isValid()) region -= QRegion(inner);
  return region;
}

void TCustomGraph2D::Paint(QPainter& painter, const QRect& area) {
  const qreal ratio = PixelRatio(painter);
  if (ratio != mCacheRatio) {
    mCacheRatio = ratio;
    mCacheValid = false;
  }
  if (!mCacheValid || !CacheFits()) RenderCache();
  if (!mCache.isNull() && !area.isEmpty()) painter.drawImage(QRectF(area), mCache, InDevicePixels(area, mCacheRatio));
  if (mZooming) {
    QPen pen(ToQColor(clRed));
    pen.setWidth(2);
    painter.setPen(pen);
    painter.setBrush(Qt::NoBrush);
    painter.drawRect(QRect(QPoint(std::min(mDrag.Left, mDrag.Right), std::min(mDrag.Top, mDrag.Bottom)),
                           QPoint(std::max(mDrag.Left, mDrag.Right), std::max(mDrag.Top, mDrag.Bottom))));
  }
}

void TCustomGraph2D::paintEvent(QPaintEvent* e) {
  QPainter painter(this);
  if (mCacheValid && CacheFits() && mCacheRatio == PixelRatio(painter) && e->region().rectCount() > 1) {
    // The band's outlines: copy just their strips from the cache.
    for (const QRect& r : e->region()) painter.drawImage(QRectF(r), mCache, InDevicePixels(r, mCacheRatio));
    Paint(painter, QRect());
    return;
  }
  Paint(painter, e->rect());
}

void TCustomGraph2D::resizeEvent(QResizeEvent* e) {
  QWidget::resizeEvent(e);
  mCacheValid = false;
  TW_FIRE(OnResize, Resize, this);
}

void TCustomGraph2D::mousePressEvent(QMouseEvent* e) {
  DoMouseDown(e->button(), e->modifiers(), e->position().toPoint().x(), e->position().toPoint().y());
}
void TCustomGraph2D::mouseMoveEvent(QMouseEvent* e) {
  DoMouseMove(e->modifiers(), e->position().toPoint().x(), e->position().toPoint().y());
}
void TCustomGraph2D::mouseReleaseEvent(QMouseEvent* e) {
  const QPoint p = e->position().toPoint();
  DoMouseUp(e->button(), e->modifiers(), p.x(), p.y());
  if (e->button() == Qt::LeftButton && rect().contains(p)) TW_FIRE(OnClick, Click, this);
}
void TCustomGraph2D::mouseDoubleClickEvent(QMouseEvent* e) {
  QWidget::mouseDoubleClickEvent(e);  // also delivered as a press
  if (e->button() == Qt::LeftButton) TW_FIRE(OnDblClick, DblClick, this);
}

void TCustomGraph2D::wheelEvent(QWheelEvent* e) {
  const int notches = e->angleDelta().y();
  if (!mZoomEnabled || notches == 0 || mZooming || mPanning) {
    e->ignore();
    return;
  }
  e->accept();
  // One notch (120) zooms in by a fifth; turning back zooms out as much.
  const QPoint p = e->position().toPoint();
  WheelZoom(std::pow(0.8, notches / 120.0), p.x(), p.y());
}

void TCustomGraph2D::WheelZoom(double factor, int x, int y) {
  if (!mCacheValid) RenderCache();  // the mapping of the current layout
  double cx = 0, cy = 0;
  if (!mPlotRect.Contains(TPoint(x, y))) {
    x = (mPlotRect.Left + mPlotRect.Right) / 2;
    y = (mPlotRect.Top + mPlotRect.Bottom) / 2;
  }
  mDrawer->PixelToData(x, y, cx, cy);
  TGraphRange n;
  n.XMin = cx - (cx - mRange.XMin) * factor;
  n.XMax = cx + (mRange.XMax - cx) * factor;
  n.YMin = cy - (cy - mRange.YMin) * factor;
  n.YMax = cy + (mRange.YMax - cy) * factor;
  const bool finite = std::isfinite(n.XMin) && std::isfinite(n.XMax) && std::isfinite(n.YMin) &&
                      std::isfinite(n.YMax) && std::fabs(n.XMax - n.XMin) < 1e300 &&
                      std::fabs(n.YMax - n.YMin) < 1e300;
  // The same limit as the rubber band: no span below 1e-6.
  if (!finite || n.XMax - n.XMin < 1e-6 || n.YMax - n.YMin < 1e-6) return;
  mDrawer->ZoomList().Push(mRange);
  mRange = n;
  ApplyChange();
}

void TCustomGraph2D::DoMouseDown(Qt::MouseButton button, Qt::KeyboardModifiers shift, int x, int y) {
  TW_FIRE(OnMouseDown, MouseDown, this, button, shift, x, y);
  const bool panButton =
      button == Qt::MiddleButton || (button == Qt::LeftButton && (shift & Qt::ControlModifier));
  if (mZoomEnabled && panButton && !mZooming) {
    if (!mCacheValid) RenderCache();
    mPanning = true;
    mPanMoved = false;
    mPanButton = button;
    mPanX = x;
    mPanY = y;
    mPanStart = mRange;
    return;
  }
  if (mZoomEnabled && button == Qt::LeftButton) {
    mZooming = true;
    mDrag = TRect(x, y, x, y);
    update(BandRegion(mDrag));
  }
}

void TCustomGraph2D::DoMouseMove(Qt::KeyboardModifiers shift, int x, int y) {
  mDrawer->PixelToData(x, y, mMouseX, mMouseY);
  mLabels->FormatPoint(mMouseX, mMouseY, mMouseXText, mMouseYText);
  mMouseTask = mDrawer->TaskAt(x, y);
  TW_FIRE(OnMouseMove, MouseMove, this, shift, x, y);
  if (mPanning && (x != mPanX || y != mPanY)) {
    // The data under the press follows the mouse: the span stays, the
    // range moves by the pixels dragged at the current scale.
    const double dx = (x - mPanX) * mDrawer->XScale(), dy = (y - mPanY) * mDrawer->YScale();
    TGraphRange n = mPanStart;
    n.XMin -= dx;
    n.XMax -= dx;
    n.YMin += dy;
    n.YMax += dy;
    if (std::isfinite(n.XMin) && std::isfinite(n.XMax) && std::isfinite(n.YMin) && std::isfinite(n.YMax)) {
      if (!mPanMoved) mDrawer->ZoomList().Push(mPanStart);
      mPanMoved = true;
      mRange = n;
      RenderCache();
      // The mapping now follows the new range; the next step starts from
      // the press again, so the scale is the same for every step.
      update();
    }
    return;
  }
  if (mZooming) {
    // Only the band's old and new outline are repainted, from the cache.
    QRegion dirty = BandRegion(mDrag);
    mDrag.Right = x;
    mDrag.Bottom = y;
    dirty += BandRegion(mDrag);
    update(dirty);
  }
}

void TCustomGraph2D::DoMouseUp(Qt::MouseButton button, Qt::KeyboardModifiers shift, int x, int y) {
  TW_FIRE(OnMouseUp, MouseUp, this, button, shift, x, y);
  if (mPanning && button == mPanButton) {
    mPanning = false;
    if (mPanMoved) {
      ApplyChange();
      return;
    }
    // A press without a drag: a Ctrl + left click does nothing, a middle
    // click steps back as any other click does.
    if (button == Qt::LeftButton) return;
  }
  if (button == Qt::LeftButton && mZooming) {
    mZooming = false;
    QRegion dirty = BandRegion(mDrag);
    mDrag.Right = x;
    mDrag.Bottom = y;
    update(dirty + BandRegion(mDrag));
    if (mDrag.Left == mDrag.Right || mDrag.Top == mDrag.Bottom) return;
    if (!mCacheValid) RenderCache();  // the plot rectangle of the current layout
    mRange = mDrawer->ZoomIn(mRange, mPlotRect, mDrag);
    ApplyChange();
    return;
  }
  if (mDrawer->IsZoomed()) {
    mRange = mDrawer->ZoomOut(mRange);
    ApplyChange();
  }
}

void TCustomGraph2D::ApplyChange() {
  RenderCache();
  update();
  TW_FIRE(OnZoomChange, ZoomChange, this, mDrawer->IsZoomed());
}

}  // namespace Tarnwell
