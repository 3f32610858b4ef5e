#pragma once
// TGraph2D: a control that draws point, line, fill, bar and Gantt series with
// title, legend, labels and grid, fits its range to the data on request, and
// zooms with a rubber band (right click or a plain click steps back).
//
// The graph is rendered once into a cached image; painting the widget blits
// that image and draws the rubber band over it, so dragging the band never
// redraws the graph.

#include <QImage>
#include <QWidget>
#include <functional>
#include <memory>

#include "GraphObj.h"
#include <Tarnwell/platform/TProperty.h>
#include <Tarnwell/platform/TWidgetLook.h>
#include <Tarnwell/TarnwellExport.h>

namespace Tarnwell {

// Access to internal counters for the tests (defined in the *_p.h header).
template <class T>
struct TProbe;

using TGraph2DZoomChangeEvent = std::function<void(TObject* sender, bool zoomed)>;
using TGraphMouseEvent =
    std::function<void(TObject* sender, Qt::MouseButton button, Qt::KeyboardModifiers shift, int x, int y)>;
using TGraphMouseMoveEvent = std::function<void(TObject* sender, Qt::KeyboardModifiers shift, int x, int y)>;

// The base of the 2D graph: drawing objects (layout, labels, grid, drawer) over a series of points,
// with rubber-band zooming and a zoom history.
class TARNWELL_GRAPH_EXPORT TCustomGraph2D : public QWidget {
  Q_OBJECT
  // The drawing objects, edited in place through their own properties.
  Q_PROPERTY(Tarnwell::TGraphLayout* Layout READ LayoutObject CONSTANT)
  // The axis labels (TGraphLabels); the object is the graph's own, edited in place.
  Q_PROPERTY(Tarnwell::TGraphLabels* Labels READ LabelsObject CONSTANT)
  // The grid lines and the border (TGraphGrid); the object is the graph's own, edited in
  // place.
  Q_PROPERTY(Tarnwell::TGraphGrid* Grid READ GridObject CONSTANT)
  // RefreshGraph fits the range to the data.
  TW_PROPERTY(bool, AutoSize, RefreshGraph())
  // A left-button drag zooms; with it the wheel zooms about the mouse and a
  // middle-button (or Ctrl + left) drag pans, each step going on the history.
  TW_PROPERTY(bool, ZoomEnabled, AfterZoomEnabled())
  // Smooth (antialiased) lines and text; off draws the classic hard pixels.
  TW_PROPERTY_DEFAULT(bool, Antialiased, false, Invalidate())
  // The background outside the plot (clWindow): the background role of the palette, so
  // setPalette and style sheets reach it.
  TW_COLOR_PROPERTY_CUSTOM(Color)
  // The widget's font, which the drawer uses for the points' texts; its colour is the
  // WindowText role of the palette.
  TW_FONT_PROPERTY(mFont)

 public:
  explicit TCustomGraph2D(QWidget* parent = nullptr);
  ~TCustomGraph2D() override;

  TGraphLayout& Layout() { return *mLayout; }
  TGraphLabels& Labels() { return *mLabels; }
  TGraphGrid& Grid() { return *mGrid; }
  TGraphLayout* LayoutObject() const { return mLayout.get(); }
  TGraphLabels* LabelsObject() const { return mLabels.get(); }
  TGraphGrid* GridObject() const { return mGrid.get(); }
  // Copy the published values of `v` into the owned object.
  void setLayout(const TGraphLayout& v);
  using QWidget::setLayout;  // the widget's own layout stays reachable
  void setLabels(const TGraphLabels& v);
  void setGrid(const TGraphGrid& v);
  TPointSeries& Series() { return *mSeries; }
  TGraphDrawer& Drawer() { return *mDrawer; }

  TGraphRange Range() const { return mRange; }
  void setRange(const TGraphRange& r);
  bool Zooming() const { return mZooming; }
  bool IsZoomed() const { return mDrawer->IsZoomed(); }


  double MousePointX() const { return mMouseX; }
  double MousePointY() const { return mMouseY; }
  QString MouseXText() const { return mMouseXText; }
  QString MouseYText() const { return mMouseYText; }
  TGanttTask MouseTask() const { return mMouseTask; }
  // Plot rectangle of the last drawing on the control itself (right and
  // bottom edges exclusive, as the drawing code keeps them).
  TRect PlotRect() const { return mPlotRect; }
  QRect PlotQRect() const { return mPlotRect.ToQRect(); }
  // Start and current corner of the rubber band.
  TRect DragRect() const { return mDrag; }

  // Fits Range to the data when AutoSize is on, then redraws. Call it after
  // changing the data.
  void RefreshGraph();
  // Union of the bounds of every serie that is not a function, with a margin
  // of 1/50 of each span (none under a base line at 0). With no such serie the
  // current range stays as it is.
  TGraphRange AutoRange() const;
  // Draws the whole graph on any canvas: the control's cache, an image, a printer.
  void DrawGraph(TCanvas& canvas, const TRect& rect, bool mono);
  // Draws the whole graph on any paint device (an image, an SVG generator, a
  // PDF writer, a printer) into `rect`, with the control's font, colour and
  // antialiasing.
  void PaintGraph(QPaintDevice* device, const QRect& rect, bool mono = false);
  // Writes the graph to a PNG (or another image format Qt writes), SVG or
  // PDF file chosen by the suffix, at `size` (the control's size when not given).
  // False with a message in `error` for an unknown suffix or a failed write.
  bool ExportGraph(const QString& fileName, QSize size = QSize(), QString* error = nullptr);
  bool Panning() const { return mPanning; }
  // Drops the cached picture and schedules a repaint.
  void Invalidate();

  // Assigned handlers, each called after the signal of the same name.
  TGraph2DZoomChangeEvent OnZoomChange;
  TGraphMouseEvent OnMouseDown;
  TGraphMouseEvent OnMouseUp;
  TGraphMouseMoveEvent OnMouseMove;
  TNotifyEvent OnResize;
  TNotifyEvent OnClick;
  TNotifyEvent OnDblClick;

  QSize sizeHint() const override { return QSize(80, 50); }
  QSize minimumSizeHint() const override { return QSize(40, 30); }

 Q_SIGNALS:
  // After every zoom step (in or out).
  void ZoomChange(QObject* sender, bool zoomed);
  // Mouse positions in control pixels; MouseMove comes after MousePoint,
  // MouseXText, MouseYText and MouseTask are fresh.
  void MouseDown(QObject* sender, Qt::MouseButton button, Qt::KeyboardModifiers shift, int x, int y);
  // A mouse button was released at (x, y), in control pixels, with the modifiers shift; after
  // a zoom drag ended (OnMouseUp is called after it).
  void MouseUp(QObject* sender, Qt::MouseButton button, Qt::KeyboardModifiers shift, int x, int y);
  // The mouse moved to (x, y), in control pixels, with the modifiers shift; MousePoint,
  // MouseXText, MouseYText and MouseTask already tell what is under it (OnMouseMove is called
  // after it).
  void MouseMove(QObject* sender, Qt::KeyboardModifiers shift, int x, int y);
  // The control was resized (OnResize is called after it).
  void Resize(QObject* sender);
  // The left button was released inside the control (after MouseUp; OnClick is called after
  // it).
  void Click(QObject* sender);
  // The left button was double-clicked (OnDblClick is called after it).
  void DblClick(QObject* sender);

 protected:
  virtual void Paint(QPainter& painter, const QRect& area);
  // What a press, a move and a release do (the signals come first).
  virtual void DoMouseDown(Qt::MouseButton button, Qt::KeyboardModifiers shift, int x, int y);
  virtual void DoMouseMove(Qt::KeyboardModifiers shift, int x, int y);
  virtual void DoMouseUp(Qt::MouseButton button, Qt::KeyboardModifiers shift, int x, int y);

  void paintEvent(QPaintEvent* e) override;
  void resizeEvent(QResizeEvent* e) override;
  void mousePressEvent(QMouseEvent* e) override;
  void mouseMoveEvent(QMouseEvent* e) override;
  void mouseReleaseEvent(QMouseEvent* e) override;
  void mouseDoubleClickEvent(QMouseEvent* e) override;
  void wheelEvent(QWheelEvent* e) override;

 private:
  void DrawGraphOn(TCanvas& canvas, const TRect& rect, bool mono, bool own);
  void RenderCache();
  void ApplyChange();
  // Zooms by `factor` (below 1 in, above 1 out) about pixel (x, y).
  void WheelZoom(double factor, int x, int y);
  void AfterZoomEnabled();
  QRegion BandRegion(const TRect& r) const;

  std::unique_ptr<TGraphDrawer> mDrawer;
  std::unique_ptr<TGraphLayout> mLayout;
  std::unique_ptr<TGraphLabels> mLabels;
  std::unique_ptr<TGraphGrid> mGrid;
  std::unique_ptr<TPointSeries> mSeries;
  TGraphRange mRange{-10, -10, 10, 10};
  double mMouseX = 0, mMouseY = 0;
  QString mMouseXText, mMouseYText;
  TGanttTask mMouseTask;
  bool mAutoSize = false;
  bool mZoomEnabled = false;
  bool mZooming = false;
  bool mAntialiased = false;
  // Panning: from a middle or Ctrl + left press; moved once it has shifted
  // the range (its start range is then on the history).
  bool mPanning = false, mPanMoved = false;
  Qt::MouseButton mPanButton = Qt::NoButton;
  int mPanX = 0, mPanY = 0;
  TGraphRange mPanStart;
  TRect mPlotRect;
  TRect mDrag;
  TControlFont mFont{this};
  TControlColor mColor{this, clWindow};
  TColor mDrawnColor = clNone;  // the background the cache was drawn with
  QImage mCache;
  // The device pixel ratio the cache is drawn at: the one last painted on,
  // so that a high-density screen gets the graph at its own resolution.
  qreal mCacheRatio = 1;
  bool CacheFits() const { return mCache.deviceIndependentSize().toSize() == size(); }
  bool mCacheValid = false;
  int mRenderCount = 0;
  friend struct TProbe<TCustomGraph2D>;  // Graph2D_p.h
};

// A 2D graph control: lines, points, fills, bars, functions and Gantt charts, zoomed with the
// mouse.
class TARNWELL_GRAPH_EXPORT TGraph2D : public TCustomGraph2D {
  Q_OBJECT
 public:
  explicit TGraph2D(QWidget* parent = nullptr) : TCustomGraph2D(parent) {}
};

}  // namespace Tarnwell
