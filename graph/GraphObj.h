#pragma once
// The 2D graph's data (point series of five kinds, Gantt tasks and links, the
// zoom history) and the four drawing objects the graph control delegates to:
// layout, labels, grid and the series drawer. Everything draws through a
// TCanvas, so the same code paints a widget, an image or a printer page.

#include <QString>
#include <QStringList>
#include <cstdint>
#include <functional>
#include <memory>
#include <vector>

#include <Tarnwell/platform/TCanvas.h>
#include <Tarnwell/platform/TColor.h>
#include <Tarnwell/platform/TGraphics.h>
#include <Tarnwell/platform/TTypes.h>

namespace Tarnwell {

// A data-space rectangle: the visible range, a serie's bounds, a zoom entry.
struct TGraphRange {
  double XMin = 0, YMin = 0, XMax = 0, YMax = 0;
  bool operator==(const TGraphRange&) const = default;
};

struct TGraphPointObj {
  double X = 0;
  double Y = 0;
};

// A Gantt task, or a bar (X2 == X1, Y is the value).
struct TExtGraphPointObj {
  double X1 = 0;
  double X2 = 0;
  double Y = 0;
  QString Text;
  TColor Color = clRed;
  TColor TextColor = clBlack;
};

// Connector from the end of FromTask to the start of ToTask (task indexes).
struct TGanttLink {
  std::int32_t FromTask = 0;
  std::int32_t ToTask = 0;
};

class TGanttLinkList {
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

enum TSerieKind : std::uint8_t { skPoints, skLines, skFill, skBars, skGantt };

class TPointSerie;
using TCalcPointEvent = std::function<void(TPointSerie* sender, int functionTag, double& x, double& y)>;

// One serie. Points of skPoints/skLines/skFill and the tasks of skBars/skGantt
// live in separate stores, so a task is always a task whatever Kind says.
class TPointSerie {
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

  // Pages of a bar serie: ceil(Count / PointsPerPage), at least 1.
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

class TPointSeries {
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
class TZoomList {
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
void TextOutAngle(TCanvas& canvas, int x, int y, const QString& text, int angle);

// Ticks of one axis: the step is `division` data units when unitary, else the
// span divided into `division` parts; it doubles while two ticks lie closer
// than `minPixels`. The first tick is the first multiple of the step above
// (or at, for Min <= 0) Min; Max is never a tick. Refuses (no ticks) a
// non-positive or non-finite step, an empty or inverted range, and a step too
// small to move a tick.
std::vector<double> GraphTicks(double min, double max, int division, bool unitary, double pixelsPerUnit,
                               double minPixels);

// Base of the drawing objects: the data-to-pixel mapping of the last drawing.
class TGraphDrawObject : public TGraphicsObject {
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

class TGraphLayout : public TGraphDrawObject {
 public:
  TGraphLayout();
  TGraphLayout(const TGraphLayout&) = delete;
  TGraphLayout& operator=(const TGraphLayout&) = delete;
  void Assign(const TGraphLayout& other);

  QString Title() const { return mTitle; }
  void SetTitle(const QString& s);
  QString Description() const { return mDescription; }
  void SetDescription(const QString& s);
  QString AxisXText() const { return mAxisXText; }
  void SetAxisXText(const QString& s);
  QString AxisYText() const { return mAxisYText; }
  void SetAxisYText(const QString& s);
  bool Legend() const { return mLegend; }
  void SetLegend(bool v);
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

enum TGraphLabelStyle { glsNone, glsVertical, glsHorizontal, glsBoth };
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

class TGraphLabels : public TGraphDrawObject {
 public:
  TGraphLabels();
  TGraphLabels(const TGraphLabels&) = delete;
  TGraphLabels& operator=(const TGraphLabels&) = delete;
  void Assign(const TGraphLabels& other);

  TGraphLabelStyle AStyle() const { return mAStyle; }
  void SetAStyle(TGraphLabelStyle s);
  TGraphLabelKind AXKind() const { return mAXKind; }
  void SetAXKind(TGraphLabelKind k);
  TGraphLabelKind AYKind() const { return mAYKind; }
  void SetAYKind(TGraphLabelKind k);
  int DivisionX() const { return mDivisionX; }
  void SetDivisionX(int d);
  int DivisionY() const { return mDivisionY; }
  void SetDivisionY(int d);
  bool UnitaryX() const { return mUnitaryX; }
  void SetUnitaryX(bool u);
  bool UnitaryY() const { return mUnitaryY; }
  void SetUnitaryY(bool u);
  bool XLabVert() const { return mXLabVert; }
  void SetXLabVert(bool v);
  int Digit() const { return mDigit; }
  void SetDigit(int d);
  TBrush& Brush() { return mBrush; }
  TFont& Font() { return mFont; }
  const TBrush& Brush() const { return mBrush; }
  const TFont& Font() const { return mFont; }
  const QStringList& TextLab() const { return mTextLab; }
  // Copies the strings; nobody is notified.
  void SetTextLab(const QStringList& l) { mTextLab = l; }

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
  TBrush mBrush;
  TFont mFont;
  QStringList mTextLab;
  int mLabelWidth = 0, mLabelHeight = 0, mSampleXWidth = 0;
  std::vector<double> mXTicks, mYTicks;
};

enum TGraphGridStyle { ggsNone, ggsVertical, ggsHorizontal, ggsBoth };
enum TGraphGridBorder { ggbNone, ggbSingle };
enum TGraphGridAxis { ggaNone, ggaVertical, ggaHorizontal, ggaBoth };

class TGraphGrid : public TGraphDrawObject {
 public:
  TGraphGrid();
  TGraphGrid(const TGraphGrid&) = delete;
  TGraphGrid& operator=(const TGraphGrid&) = delete;
  void Assign(const TGraphGrid& other);

  TGraphGridStyle AStyle() const { return mAStyle; }
  void SetAStyle(TGraphGridStyle s);
  int DivisionX() const { return mDivisionX; }
  void SetDivisionX(int d);
  int DivisionY() const { return mDivisionY; }
  void SetDivisionY(int d);
  bool UnitaryX() const { return mUnitaryX; }
  void SetUnitaryX(bool u);
  bool UnitaryY() const { return mUnitaryY; }
  void SetUnitaryY(bool u);
  bool StayOnTop() const { return mStayOnTop; }
  void SetStayOnTop(bool s);
  TColor Color() const { return mColor; }
  void SetColor(TColor c);
  int Width() const { return mWidth; }
  void SetWidth(int w);
  TGraphGridBorder ABorder() const { return mABorder; }
  void SetABorder(TGraphGridBorder b);
  TGraphGridAxis Axis() const { return mAxis; }
  void SetAxis(TGraphGridAxis a);
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
  TPen mPen;
  const TFont* mLabelFont = nullptr;
};

// The pixel form of a task or bar.
struct TExtParm {
  int X1 = 0, X2 = 0, Y = 0;
  QString Text;
  TColor Color = clBlack;
  TColor TextColor = clBlack;
};

struct TGanttTask {
  double X1 = 0, X2 = 0, Y = 0;
  QString Text;
  bool operator==(const TGanttTask&) const = default;
};

class TGraphDrawer : public TGraphDrawObject {
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
