#pragma once
// The 2D graph's data (point series of five kinds, Gantt tasks and links, the
// zoom history) and the four drawing objects the graph control delegates to:
// layout, labels, grid and the series drawer. Everything draws through a
// TCanvas, so the same code paints a widget, an image or a printer page.

#include <QFont>
#include <QObject>
#include <QString>
#include <QStringList>
#include <cstdint>
#include <functional>
#include <memory>
#include <vector>

#include <Tarnwell/platform/TCanvas.h>
#include <Tarnwell/platform/TColor.h>
#include <Tarnwell/platform/TGraphics.h>
#include <Tarnwell/platform/TProperty.h>
#include <Tarnwell/platform/TTypes.h>
#include <Tarnwell/TarnwellExport.h>

namespace Tarnwell {

// The graph's enumerations, registered so that properties of their types
// take enumerator names.
namespace GraphTypes {
Q_NAMESPACE_EXPORT(TARNWELL_GRAPH_EXPORT)
// How a graph series is drawn: points, lines, a filled area, bars or Gantt tasks.
enum TSerieKind : std::uint8_t { skPoints, skLines, skFill, skBars, skGantt };
Q_ENUM_NS(TSerieKind)
// Which axes of a graph carry labels: vertical, horizontal or both.
enum TGraphLabelStyle { glsNone, glsVertical, glsHorizontal, glsBoth };
Q_ENUM_NS(TGraphLabelStyle)
// What kind of values a graph axis's labels show.
enum TGraphLabelKind {
  glkNone,
  glkEngineer,
  glkFloat,
  glkInteger,
  glkDate,
  glkTime,
  glkDateTime,
  glkShortDate,
  glkText
};
Q_ENUM_NS(TGraphLabelKind)
// Which grid lines of a graph are drawn: vertical, horizontal or both.
enum TGraphGridStyle { ggsNone, ggsVertical, ggsHorizontal, ggsBoth };
Q_ENUM_NS(TGraphGridStyle)
// Whether a graph's plot area has a border line.
enum TGraphGridBorder { ggbNone, ggbSingle };
Q_ENUM_NS(TGraphGridBorder)
// Which axes of a graph are drawn.
enum TGraphGridAxis { ggaNone, ggaVertical, ggaHorizontal, ggaBoth };
Q_ENUM_NS(TGraphGridAxis)
}  // namespace GraphTypes
using namespace GraphTypes;

// A font of a drawing object as a QFont property (the drawing code keeps the
// TFont m<Name>; changing it notifies through Name##Changed).
#define TW_GRAPH_FONT_PROPERTY(Name)                                            \
  Q_PROPERTY(QFont Name READ Name##QFont WRITE set##Name NOTIFY Name##Changed)  \
 public:                                                                        \
  QFont Name##QFont() const { return m##Name.ToQFont(); }                       \
 public Q_SLOTS:                                                                \
  void set##Name(const QFont& value) {                                          \
    Tarnwell::TFont f;                                                          \
    f.AssignQFont(value);                                                       \
    m##Name.Assign(f);                                                          \
  }                                                                             \
 Q_SIGNALS:                                                                     \
  void Name##Changed(const QFont& value);                                       \
                                                                                \
 public:

// A data-space rectangle: the visible range, a serie's bounds, a zoom entry.
struct TARNWELL_GRAPH_EXPORT TGraphRange {
  double XMin = 0, YMin = 0, XMax = 0, YMax = 0;
  bool operator==(const TGraphRange&) const = default;
};

// One point of a graph series: X, Y and how it is drawn.
struct TARNWELL_GRAPH_EXPORT TGraphPointObj {
  double X = 0;
  double Y = 0;
};

// A Gantt task, or a bar (X2 == X1, Y is the value).
struct TARNWELL_GRAPH_EXPORT TExtGraphPointObj {
  double X1 = 0;
  double X2 = 0;
  double Y = 0;
  QString Text;
  TColor Color = clRed;
  TColor TextColor = clBlack;
};

// Connector from the end of FromTask to the start of ToTask (task indexes).
struct TARNWELL_GRAPH_EXPORT TGanttLink {
  std::int32_t FromTask = 0;
  std::int32_t ToTask = 0;
};

// The links between the tasks of a Gantt chart, from one task to another.
class TARNWELL_GRAPH_EXPORT TGanttLinkList {
 public:
  int AddLink(int fromTask, int toTask);
  void Delete(int index);
  virtual void Clear();
  virtual ~TGanttLinkList() = default;
  int Count() const { return int(mItems.size()); }
  const TGanttLink& Items(int i) const { return mItems.at(size_t(i)); }
  TGanttLink& Items(int i) { return mItems.at(size_t(i)); }
  // A task was deleted: links to it go, later indexes move down by one.
  void TaskDeleted(int taskIndex);

 private:
  std::vector<TGanttLink> mItems;
};


class TPointSerie;
using TCalcPointEvent = std::function<void(TPointSerie* sender, int functionTag, double& x, double& y)>;

// One serie. Points of skPoints/skLines/skFill and the tasks of skBars/skGantt
// live in separate stores, so a task is always a task whatever Kind says.
class TARNWELL_GRAPH_EXPORT TPointSerie {
 public:
  TPointSerie();
  virtual ~TPointSerie() = default;
  TPointSerie(const TPointSerie&) = delete;
  TPointSerie& operator=(const TPointSerie&) = delete;

  // -1 (and nothing added) on a bar or Gantt serie.
  int AddPoint(double x, double y);
  int AddTask(const QString& text, TColor color, double x1, double x2, double y, TColor textColor);
  int AddBar(const QString& text, TColor color, double x, double y, TColor textColor) {
    return AddTask(text, color, x, x, y, textColor);
  }
  void DeletePoint(int index);
  // Removes a task and the links that touch it.
  void DeleteTask(int index);
  virtual void Clear();
  void Reserve(int n);

  // Items of the store that Kind uses: tasks for bars and Gantt, else points.
  int Count() const { return IsTaskKind() ? TaskCount() : PointCount(); }
  int PointCount() const { return int(mPoints.size()); }
  int TaskCount() const { return int(mTasks.size()); }
  const TGraphPointObj& Points(int i) const { return mPoints.at(size_t(i)); }
  const TExtGraphPointObj& Tasks(int i) const { return mTasks.at(size_t(i)); }
  TExtGraphPointObj& Tasks(int i) { return mTasks.at(size_t(i)); }
  const std::vector<TGraphPointObj>& PointData() const { return mPoints; }
  const std::vector<TExtGraphPointObj>& TaskData() const { return mTasks; }
  bool IsTaskKind() const { return mKind == skBars || mKind == skGantt; }

  // Pages of a bar serie: Count / PointsPerPage + 1 (after an exact multiple
  // the last page is empty), 1 without paging.
  int PageCount() const;
  int Page() const { return mPage; }
  // Accepted for 1..PageCount, otherwise ignored.
  void SetPage(int n);
  // The page actually shown: Page clamped into 1..PageCount (the data may
  // have shrunk since it was chosen).
  int EffectivePage() const;
  // Bars per page, and the index range [first, last) of the shown page.
  int BarsPerPage() const;
  void PageBars(int& first, int& last) const;

  void CalcFunction(const TGraphRange& range, int pixelCount);
  TGraphRange GetBounds() const;
  // Whether GetBounds found finite data (an empty serie answers -10..10).
  bool HasBounds() const;

  // Sorts the points by X once after they change; points with a non-finite X
  // go to the end and are left out of SortedCount().
  void SortPoints();
  bool Sorted() const { return mSorted; }
  int SortedCount() const { return mFiniteCount; }

  TGraphRange FunctionRange() const { return mFunctionRange; }
  TCalcPointEvent OnCalcPoint;
  int FunctionTag() const { return mFunctionTag; }
  void SetFunctionTag(int t);
  bool IsFunction() const { return mIsFunction; }
  void SetIsFunction(bool f);
  bool Visible() const { return mVisible; }
  void SetVisible(bool v) { mVisible = v; }
  TSerieKind Kind() const { return mKind; }
  void SetKind(TSerieKind k);
  TColor Color() const { return mColor; }
  void SetColor(TColor c) { mColor = c; }
  int PenWidth() const { return mPenWidth; }
  void SetPenWidth(int w) { mPenWidth = w; }
  QString Name() const { return mName; }
  void SetName(const QString& n) { mName = n; }
  // Shared with whoever filled the serie, so it never dangles.
  const std::shared_ptr<TGanttLinkList>& Links() const { return mLinks; }
  void SetLinks(std::shared_ptr<TGanttLinkList> links) { mLinks = std::move(links); }
  int PointsPerPage() const { return mPointsPerPage; }
  void SetPointsPerPage(int n) { mPointsPerPage = n; }

 private:
  std::vector<TGraphPointObj> mPoints;
  std::vector<TExtGraphPointObj> mTasks;
  TGraphRange mFunctionRange;
  int mPage = 1;
  int mFunctionTag = 0;
  bool mIsFunction = false;
  bool mVisible = true;
  TSerieKind mKind = skLines;
  TColor mColor = clRed;
  int mPenWidth = 1;
  QString mName;
  std::shared_ptr<TGanttLinkList> mLinks;
  int mPointsPerPage = 0;
  bool mSorted = true;
  int mFiniteCount = 0;
};

// The points of a graph, kept in order of X.
class TARNWELL_GRAPH_EXPORT TPointSeries {
 public:
  virtual ~TPointSeries() = default;
  TPointSerie* Add();
  void Delete(int index);
  virtual void Clear();
  int Count() const { return int(mItems.size()); }
  TPointSerie* Items(int i) const { return mItems.at(size_t(i)).get(); }
  TPointSerie* operator[](int i) const { return Items(i); }

 private:
  std::vector<std::unique_ptr<TPointSerie>> mItems;
};

// Zoom history, most recent last.
class TARNWELL_GRAPH_EXPORT TZoomList {
 public:
  virtual ~TZoomList() = default;
  void Push(const TGraphRange& r) { mItems.push_back(r); }
  // The last entry, removed; all zero when the list is empty.
  TGraphRange Pop();
  void Delete(int index);
  virtual void Clear() { mItems.clear(); }
  int Count() const { return int(mItems.size()); }
  const TGraphRange& Items(int i) const { return mItems.at(size_t(i)); }

 private:
  std::vector<TGraphRange> mItems;
};

// Writes text turned by `angle` degrees counter-clockwise (90 reads upwards).
TARNWELL_GRAPH_EXPORT void TextOutAngle(TCanvas& canvas, int x, int y, const QString& text, int angle);

// Ticks of one axis: the step is `division` data units when unitary, else the
// span divided into `division` parts; it doubles while two ticks lie closer
// than `minPixels`. The first tick is the first multiple of the step above
// (or at, for Min <= 0) Min; Max is never a tick. Refuses (no ticks) a
// non-positive or non-finite step, an empty or inverted range, and a step too
// small to move a tick.
//
// With `nice`, the step is the smallest of 1, 2 and 5 times a power of ten
// that is not below the plain one, and it grows to the next such number
// instead of doubling; the first tick is the first multiple at or above Min.
TARNWELL_GRAPH_EXPORT std::vector<double> GraphTicks(double min, double max, int division, bool unitary, double pixelsPerUnit,
                               double minPixels, bool nice = false);
// The smallest of 1, 2, 5 x 10^k that is at least `step` (positive, finite).
TARNWELL_GRAPH_EXPORT double NiceStep(double step);

// Base of the drawing objects: the data-to-pixel mapping of the last drawing.
class TARNWELL_GRAPH_EXPORT TGraphDrawObject : public QObject, public TGraphicsObject {
  Q_OBJECT
 public:
  void SetScale(const TGraphRange& range, const TRect& rect);
  // Pixel coordinates are worked out in 64 bits and clamped to +-kPixelLimit.
  int XToPixel(double x) const;
  int YToPixel(double y) const;
  double XScale() const { return mXScale; }
  double YScale() const { return mYScale; }
  double XMin() const { return mXMin; }
  double YMin() const { return mYMin; }
  int PixLeft() const { return mPixLeft; }
  int PixBottom() const { return mPixBottom; }
  static constexpr int kPixelLimit = 1 << 22;

 protected:
  void Notify() { Changed(); }
  double mXScale = 1, mYScale = 1, mXMin = 0, mYMin = 0;
  int mPixLeft = 0, mPixBottom = 0;
};

// The texts of a graph: title, description, the axes' captions, and whether a legend is shown.
class TARNWELL_GRAPH_EXPORT TGraphLayout : public TGraphDrawObject {
  Q_OBJECT
  // The graph's title, centred above the plot (empty by default).
  TW_PROPERTY(QString, Title, Notify())
  // A second line under the title, centred on the plot (empty by default).
  TW_PROPERTY(QString, Description, Notify())
  // The caption of the X axis, centred under the plot (empty by default).
  TW_PROPERTY(QString, AxisXText, Notify())
  // The caption of the Y axis, written upwards left of the plot (empty by default).
  TW_PROPERTY(QString, AxisYText, Notify())
  // Lists the visible series' names in their colours in a framed box above the plot, in
  // LegendFont (default false).
  TW_PROPERTY(bool, Legend, Notify())
  // The font of the title, description and axis captions (Arial by default).
  TW_GRAPH_FONT_PROPERTY(Font)
  // The font of the legend (Arial by default).
  TW_GRAPH_FONT_PROPERTY(LegendFont)

 public:
  TGraphLayout();
  TGraphLayout(const TGraphLayout&) = delete;
  TGraphLayout& operator=(const TGraphLayout&) = delete;
  void Assign(const TGraphLayout& other);

  TBrush& Brush() { return mBrush; }
  TFont& Font() { return mFont; }
  TFont& LegendFont() { return mLegendFont; }
  const TBrush& Brush() const { return mBrush; }
  const TFont& Font() const { return mFont; }
  const TFont& LegendFont() const { return mLegendFont; }

  void SetSeries(const TPointSeries* s) { mSeries = s; }
  void ComputeLayout(TCanvas& canvas, const TRect& rect, TRect& plotRect);
  void Draw(TCanvas& canvas, const TRect& rect, bool mono);

  // Positions of the last layout (top-left corners of the texts).
  TPoint TitlePos() const { return mTitlePos; }
  TPoint DescriptionPos() const { return mDescPos; }
  TPoint AxisXPos() const { return mAxisXPos; }
  TPoint AxisYPos() const { return mAxisYPos; }

 private:
  QString mTitle, mDescription, mAxisXText, mAxisYText;
  bool mLegend = false;
  TBrush mBrush;
  TFont mFont;
  TFont mLegendFont;
  const TPointSeries* mSeries = nullptr;
  TPoint mTitlePos, mDescPos, mAxisXPos, mAxisYPos;
  TRect mPlot;
  int mDescHeight = 0;
};


// The axis labels of a graph: which axes, what kind of values, the divisions and the digits.
class TARNWELL_GRAPH_EXPORT TGraphLabels : public TGraphDrawObject {
  Q_OBJECT
  // Which axes have labels: glsVertical those along X (under the vertical grid lines),
  // glsHorizontal those along Y, glsBoth (default) or glsNone.
  TW_PROPERTY_DEFAULT(Tarnwell::GraphTypes::TGraphLabelStyle, AStyle, glsBoth, Notify())
  // How the X labels write their values: integer (default), engineering, float, date, time,
  // date and time, short date, or the TextLab strings.
  TW_PROPERTY_DEFAULT(Tarnwell::GraphTypes::TGraphLabelKind, AXKind, glkInteger, Notify())
  // How the Y labels write their values (as AXKind; default integer).
  TW_PROPERTY_DEFAULT(Tarnwell::GraphTypes::TGraphLabelKind, AYKind, glkInteger, Notify())
  // Into how many steps the X range is divided (default 5); with UnitaryX the step itself, in
  // data units. Steps double while the labels would overlap.
  TW_PROPERTY_DEFAULT(int, DivisionX, 5, Notify())
  // Into how many steps the Y range is divided (default 5); with UnitaryY the step itself, in
  // data units.
  TW_PROPERTY_DEFAULT(int, DivisionY, 5, Notify())
  // DivisionX is the step between X labels in data units instead of a number of divisions
  // (default false).
  TW_PROPERTY_DEFAULT(bool, UnitaryX, false, Notify())
  // DivisionY is the step between Y labels in data units instead of a number of divisions
  // (default false).
  TW_PROPERTY_DEFAULT(bool, UnitaryY, false, Notify())
  // X labels are written upwards, turned 90 degrees (default false).
  TW_PROPERTY_DEFAULT(bool, XLabVert, false, Notify())
  // The digits of a label: significant digits of float and engineering values, the field width
  // of integers (default 6).
  TW_PROPERTY_DEFAULT(int, Digit, 6, Notify())
  // Ticks at round steps (1, 2 or 5 times a power of ten) instead of the
  // span's plain division; off keeps the classic ticks.
  TW_PROPERTY_DEFAULT(bool, NiceSteps, false, Notify())
  // The font of the labels (the platform's default font).
  TW_GRAPH_FONT_PROPERTY(Font)
  // Copies the strings; the graph is not redrawn for it.
  TW_PROPERTY(QStringList, TextLab, (void)0)

 public:
  TGraphLabels();
  TGraphLabels(const TGraphLabels&) = delete;
  TGraphLabels& operator=(const TGraphLabels&) = delete;
  void Assign(const TGraphLabels& other);

  TBrush& Brush() { return mBrush; }
  TFont& Font() { return mFont; }
  const TBrush& Brush() const { return mBrush; }
  const TFont& Font() const { return mFont; }

  void ComputeLabelSpace(TCanvas& canvas, const TRect& rect, TRect& plotRect);
  void Draw(TCanvas& canvas, const TGraphRange& range, bool mono, const TRect& rect);
  QString FormatValue(TGraphLabelKind kind, double v) const;
  void FormatPoint(double x, double y, QString& xText, QString& yText) const;
  int LabelWidth() const { return mLabelWidth; }
  int LabelHeight() const { return mLabelHeight; }
  // Ticks the last Draw wrote, for inspection.
  const std::vector<double>& XTicks() const { return mXTicks; }
  const std::vector<double>& YTicks() const { return mYTicks; }

 private:
  TGraphLabelStyle mAStyle = glsBoth;
  TGraphLabelKind mAXKind = glkInteger, mAYKind = glkInteger;
  int mDivisionX = 5, mDivisionY = 5;
  bool mUnitaryX = false, mUnitaryY = false, mXLabVert = false;
  int mDigit = 6;
  bool mNiceSteps = false;
  TBrush mBrush;
  TFont mFont;
  QStringList mTextLab;
  int mLabelWidth = 0, mLabelHeight = 0, mSampleXWidth = 0;
  std::vector<double> mXTicks, mYTicks;
};


// The grid lines of a graph: which axes, the divisions, colour, width and border.
class TARNWELL_GRAPH_EXPORT TGraphGrid : public TGraphDrawObject {
  Q_OBJECT
  // Which grid lines are drawn: ggsVertical at the X ticks, ggsHorizontal at the Y ticks,
  // ggsBoth (default) or ggsNone. The lines use the grid's dotted gray pen.
  TW_PROPERTY_DEFAULT(Tarnwell::GraphTypes::TGraphGridStyle, AStyle, ggsBoth, Notify())
  // Into how many steps the X range is divided for the vertical lines (default 5); with
  // UnitaryX the step itself, in data units.
  TW_PROPERTY_DEFAULT(int, DivisionX, 5, Notify())
  // Into how many steps the Y range is divided for the horizontal lines (default 5); with
  // UnitaryY the step itself, in data units.
  TW_PROPERTY_DEFAULT(int, DivisionY, 5, Notify())
  // DivisionX is the step between vertical lines in data units instead of a number of
  // divisions (default false).
  TW_PROPERTY_DEFAULT(bool, UnitaryX, false, Notify())
  // DivisionY is the step between horizontal lines in data units instead of a number of
  // divisions (default false).
  TW_PROPERTY_DEFAULT(bool, UnitaryY, false, Notify())
  // The grid is drawn over the series instead of under them (default false).
  TW_PROPERTY_DEFAULT(bool, StayOnTop, false, Notify())
  // The colour of the border and the axis lines (default clBlack).
  TW_COLOR_PROPERTY_DEFAULT(Color, clBlack, Notify())
  // The pen width of the border and the axis lines, in pixels (default 1).
  TW_PROPERTY_DEFAULT(int, Width, 1, Notify())
  // Whether the plot has a border: ggbSingle (default) or ggbNone.
  TW_PROPERTY_DEFAULT(Tarnwell::GraphTypes::TGraphGridBorder, ABorder, ggbSingle, Notify())
  // Which zero lines are drawn solid: ggaVertical the line X = 0, ggaHorizontal the line Y =
  // 0, ggaBoth (default) or ggaNone.
  TW_PROPERTY_DEFAULT(Tarnwell::GraphTypes::TGraphGridAxis, Axis, ggaBoth, Notify())
  // Grid lines at round steps, as the labels' NiceSteps.
  TW_PROPERTY_DEFAULT(bool, NiceSteps, false, Notify())

 public:
  TGraphGrid();
  TGraphGrid(const TGraphGrid&) = delete;
  TGraphGrid& operator=(const TGraphGrid&) = delete;
  void Assign(const TGraphGrid& other);

  TPen& Pen() { return mPen; }
  const TPen& Pen() const { return mPen; }
  // The labels' font, whose height spaces the horizontal lines.
  void SetLabelFont(const TFont* f) { mLabelFont = f; }

  void Draw(TCanvas& canvas, const TGraphRange& range, bool mono, const TRect& plotRect);
  void DrawBorder(TCanvas& canvas, const TGraphRange& range, bool mono, const TRect& plotRect);

 private:
  void Border(TCanvas& canvas, bool mono, const TRect& plotRect);
  TGraphGridStyle mAStyle = ggsBoth;
  int mDivisionX = 5, mDivisionY = 5;
  bool mUnitaryX = false, mUnitaryY = false, mStayOnTop = false;
  TColor mColor = clBlack;
  int mWidth = 1;
  TGraphGridBorder mABorder = ggbSingle;
  TGraphGridAxis mAxis = ggaBoth;
  bool mNiceSteps = false;
  TPen mPen;
  const TFont* mLabelFont = nullptr;
};

// The pixel form of a task or bar.
struct TARNWELL_GRAPH_EXPORT TExtParm {
  int X1 = 0, X2 = 0, Y = 0;
  QString Text;
  TColor Color = clBlack;
  TColor TextColor = clBlack;
};

// One task of a Gantt chart: from X1 to X2 at height Y, with its text.
struct TARNWELL_GRAPH_EXPORT TGanttTask {
  double X1 = 0, X2 = 0, Y = 0;
  QString Text;
  bool operator==(const TGanttTask&) const = default;
};

// Draws the series of a graph: lines, points, fills, bars, functions and Gantt tasks with their
// links.
class TARNWELL_GRAPH_EXPORT TGraphDrawer : public TGraphDrawObject {
  Q_OBJECT
 public:
  TGraphDrawer() = default;
  void SetSeries(TPointSeries* s) { mSeries = s; }
  void SetFont(const TFont* f) { mFont = f; }

  void Draw(TCanvas& canvas, const TGraphRange& range, bool mono, const TRect& plotRect);
  TPoint DataToPixel(double x, double y) const { return TPoint(XToPixel(x), YToPixel(y) - 1); }
  void PixelToData(int px, int py, double& x, double& y) const;
  TExtParm ToExtParm(const TExtGraphPointObj& task) const;
  // The range inside the dragged pixel rectangle; the old range goes on the
  // history. A rectangle thinner than 1e-6 data units gives `range` back.
  TGraphRange ZoomIn(const TGraphRange& range, const TRect& plotRect, const TRect& drag);
  TGraphRange ZoomOut(const TGraphRange& range);
  bool IsZoomed() const { return mZoomList.Count() > 0; }
  TZoomList& ZoomList() { return mZoomList; }
  TGanttTask TaskAt(int px, int py) const;
  // Half height of a task bar: the font's, or less where the rows of the
  // current mapping lie closer than a bar of that height (so bars of
  // neighbouring rows never cover each other); at least 0.
  int TaskHalfHeightAtPitch() const;

  // Connector with a detour when the target starts left of the source end.
  static void DrawConnector(TCanvas& canvas, int ax, int ay, int bx, int by);

 private:
  int TaskHalfHeight() const;
  void DrawLines(TCanvas& canvas, TPointSerie& s, bool mono, const TRect& r);
  void DrawPoints(TCanvas& canvas, TPointSerie& s, bool mono, const TRect& r);
  void DrawFill(TCanvas& canvas, TPointSerie& s, bool mono, const TRect& r);
  void DrawBars(TCanvas& canvas, TPointSerie& s, bool mono, const TRect& r);
  void DrawGantt(TCanvas& canvas, TPointSerie& s, bool mono, const TRect& r);
  // First and one-past-last index of the sorted points that can reach the
  // X range [x0, x1], with one neighbour on either side for the edge segments.
  void VisibleSpan(const TPointSerie& s, double x0, double x1, int& first, int& last) const;

  TPointSeries* mSeries = nullptr;
  TZoomList mZoomList;
  const TFont* mFont = nullptr;
  TGraphRange mRange;
};

}  // namespace Tarnwell
