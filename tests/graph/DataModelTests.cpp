// The graph's data: series, paging, bounds, function series, links, zoom list.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include <Tarnwell/graph/GraphObj.h>

using namespace Tarnwell;

namespace {
constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();
constexpr double kInf = std::numeric_limits<double>::infinity();

TPointSerie& Bars(TPointSeries& list, std::initializer_list<double> values, int perPage = 0) {
  TPointSerie& s = *list.Add();
  s.SetKind(skBars);
  s.SetPointsPerPage(perPage);
  int i = 0;
  for (double v : values) s.AddBar("", clRed, i++, v, clBlack);
  return s;
}
}  // namespace

TEST(GraphSerie, DefaultsAndKindsOfItems) {
  TPointSeries list;
  TPointSerie& s = *list.Add();
  EXPECT_EQ(s.Kind(), skLines);
  EXPECT_EQ(s.Color(), clRed);
  EXPECT_EQ(s.Page(), 1);
  EXPECT_TRUE(s.Visible());
  EXPECT_FALSE(s.IsFunction());
  EXPECT_EQ(s.AddPoint(1, 2), 0);
  EXPECT_EQ(s.AddPoint(3, 4), 1);

  // Bars and Gantt tasks take no plain points.
  s.SetKind(skBars);
  EXPECT_EQ(s.AddPoint(5, 6), -1);
  s.SetKind(skGantt);
  EXPECT_EQ(s.AddPoint(5, 6), -1);
  EXPECT_EQ(s.PointCount(), 2);
  // A task stays a task whatever the kind says.
  s.SetKind(skLines);
  EXPECT_EQ(s.AddTask("t", clBlue, 1, 2, 3, clWhite), 0);
  EXPECT_EQ(s.Count(), 2);
  s.SetKind(skGantt);
  EXPECT_EQ(s.Count(), 1);
  EXPECT_EQ(s.Tasks(0).Text, "t");
  EXPECT_EQ(s.AddBar("b", clBlue, 7, 8, clWhite), 1);
  EXPECT_EQ(s.Tasks(1).X1, s.Tasks(1).X2);

  s.Clear();
  EXPECT_EQ(s.PointCount(), 0);
  EXPECT_EQ(s.TaskCount(), 0);
  list.Clear();
  EXPECT_EQ(list.Count(), 0);
}

TEST(GraphSerie, PagesEndWithARoomyPageAndPageIsClamped) {
  TPointSeries list;
  TPointSerie& s = Bars(list, {}, 10);
  EXPECT_EQ(s.PageCount(), 1);  // empty: still one page
  for (int i = 0; i < 20; ++i) s.AddBar("", clRed, i, i + 1, clBlack);
  EXPECT_EQ(s.PageCount(), 3);  // an exact multiple: the third page is empty
  s.SetPage(3);
  EXPECT_EQ(s.Page(), 3);
  s.SetPage(4);
  EXPECT_EQ(s.Page(), 3);
  s.SetPage(0);
  EXPECT_EQ(s.Page(), 3);
  int first = 0, last = 0;
  s.PageBars(first, last);
  EXPECT_EQ(first, 20);
  EXPECT_EQ(last, 20);
  // The empty page continues the axis by one page width, past the last bar.
  TGraphRange b = s.GetBounds();
  EXPECT_EQ(b.XMin, 20);
  EXPECT_EQ(b.XMax, 29);
  EXPECT_EQ(b.YMax, 20);
  s.SetPage(2);
  b = s.GetBounds();
  EXPECT_EQ(b.XMin, 10);
  EXPECT_EQ(b.XMax, 19);
  s.AddBar("", clRed, 20, 1, clBlack);
  EXPECT_EQ(s.PageCount(), 3);
  s.SetPage(3);
  s.PageBars(first, last);
  EXPECT_EQ(first, 20);
  EXPECT_EQ(last, 21);
  // One bar per page: the empty page after the last bar reads nothing past it.
  s.SetPointsPerPage(1);
  EXPECT_EQ(s.PageCount(), 22);
  s.SetPage(22);
  b = s.GetBounds();
  EXPECT_EQ(b.XMin, 21);
  EXPECT_EQ(b.XMax, 21);
  s.SetPointsPerPage(10);

  // The data shrinks under the chosen page: bounds and bars stay in range.
  s.Clear();
  for (int i = 0; i < 5; ++i) s.AddBar("", clRed, i, -2, clBlack);
  EXPECT_EQ(s.EffectivePage(), 1);
  s.PageBars(first, last);
  EXPECT_EQ(first, 0);
  EXPECT_EQ(last, 5);
  b = s.GetBounds();
  EXPECT_EQ(b.XMin, 0);
  EXPECT_EQ(b.XMax, 4);

  s.SetPointsPerPage(0);
  EXPECT_EQ(s.PageCount(), 1);
}

TEST(GraphSerie, BarBounds) {
  TPointSeries list;
  // All negative: the top stays at the base line.
  const TGraphRange neg = Bars(list, {-5, -10, -2}).GetBounds();
  EXPECT_DOUBLE_EQ(neg.YMax, 0);
  EXPECT_DOUBLE_EQ(neg.YMin, -10);
  // The first bar's value is widened by a tenth.
  const TGraphRange pos = Bars(list, {20, 10, 10}).GetBounds();
  EXPECT_DOUBLE_EQ(pos.YMin, 0);
  EXPECT_DOUBLE_EQ(pos.YMax, 22);
  EXPECT_DOUBLE_EQ(Bars(list, {-10, -20}).GetBounds().YMin, -20);
  EXPECT_DOUBLE_EQ(Bars(list, {-10, -5}).GetBounds().YMin, -11);

  // Paging: later pages measure their width on the page before.
  TPointSerie& paged = Bars(list, {1, 2, 3, 4, 5, 6, 7, 8, 9, 10}, 4);
  TGraphRange b = paged.GetBounds();
  EXPECT_EQ(b.XMin, 0);
  EXPECT_EQ(b.XMax, 3);
  paged.SetPage(2);
  b = paged.GetBounds();
  EXPECT_EQ(b.XMin, 4);
  EXPECT_EQ(b.XMax, 7);
  EXPECT_DOUBLE_EQ(b.YMax, 10);  // Y covers every page

  TPointSerie& single = Bars(list, {1, 2, 3}, 1);
  single.SetPage(3);
  b = single.GetBounds();
  EXPECT_EQ(b.XMin, b.XMax);
  EXPECT_EQ(b.XMin, 2);
}

TEST(GraphSerie, BoundsOfPointsAndGanttSkipNonFinite) {
  TPointSeries list;
  TPointSerie& empty = *list.Add();
  EXPECT_EQ(empty.GetBounds(), (TGraphRange{-10, -10, 10, 10}));

  TPointSerie& s = *list.Add();
  s.AddPoint(1, 5);
  s.AddPoint(kNaN, 100);
  s.AddPoint(3, kInf);
  s.AddPoint(-2, -1);
  EXPECT_EQ(s.GetBounds(), (TGraphRange{-2, -1, 1, 5}));

  TPointSerie& only = *list.Add();
  only.AddPoint(kNaN, kNaN);
  EXPECT_EQ(only.GetBounds(), (TGraphRange{-10, -10, 10, 10}));

  TPointSerie& g = *list.Add();
  g.SetKind(skGantt);
  g.AddTask("a", clRed, 2, 5, 3, clBlack);
  g.AddTask("b", clRed, 1, 4, 4, clBlack);
  g.AddTask("c", clRed, 6, 9, 2.5, clBlack);
  // Only the first task's row is widened by one.
  EXPECT_EQ(g.GetBounds(), (TGraphRange{1, 2, 9, 4}));
}

TEST(GraphSerie, SortsOnceAndPutsNonFiniteAbscissaeLast) {
  TPointSeries list;
  TPointSerie& s = *list.Add();
  for (double x : {1.0, 2.0, 3.0}) s.AddPoint(x, 0);
  EXPECT_TRUE(s.Sorted());  // appended in order: nothing to do
  s.AddPoint(kNaN, 1);
  s.AddPoint(0.5, 2);
  s.AddPoint(kInf, 3);
  EXPECT_FALSE(s.Sorted());
  s.SortPoints();
  EXPECT_TRUE(s.Sorted());
  ASSERT_EQ(s.SortedCount(), 4);
  EXPECT_EQ(s.Points(0).X, 0.5);
  EXPECT_EQ(s.Points(3).X, 3.0);
  EXPECT_FALSE(std::isfinite(s.Points(4).X));
  EXPECT_FALSE(std::isfinite(s.Points(5).X));
}

TEST(GraphSerie, FunctionIsSampledOncePerRangeAndWidth) {
  TPointSeries list;
  TPointSerie& s = *list.Add();
  s.SetIsFunction(true);
  s.SetFunctionTag(7);
  int calls = 0;
  s.OnCalcPoint = [&](TPointSerie*, int tag, double& x, double& y) {
    ++calls;
    EXPECT_EQ(tag, 7);
    y = x * 2;
  };
  s.CalcFunction({0, -1, 10, 1}, 5);
  ASSERT_EQ(s.Count(), 5);
  EXPECT_EQ(calls, 5);
  EXPECT_DOUBLE_EQ(s.Points(4).X, 8);  // one step short of XMax
  EXPECT_DOUBLE_EQ(s.Points(4).Y, 16);
  s.CalcFunction({0, -50, 10, 50}, 5);  // only Y changed
  EXPECT_EQ(calls, 5);
  s.CalcFunction({0, -50, 20, 50}, 5);
  EXPECT_EQ(calls, 10);
  s.CalcFunction({0, -50, 20, 50}, 0);
  EXPECT_EQ(s.Count(), 0);

  TPointSerie& plain = *list.Add();
  plain.AddPoint(1, 1);
  plain.CalcFunction({0, 0, 1, 1}, 10);  // not a function: untouched
  EXPECT_EQ(plain.Count(), 1);
}

TEST(GraphLinks, DeletingATaskDropsItsLinks) {
  TPointSeries list;
  TPointSerie& g = *list.Add();
  g.SetKind(skGantt);
  auto links = std::make_shared<TGanttLinkList>();
  g.SetLinks(links);
  for (int i = 0; i < 4; ++i) g.AddTask("", clRed, i, i + 1, i, clBlack);
  EXPECT_EQ(links->AddLink(1, 0), 0);
  links->AddLink(2, 1);
  links->AddLink(3, 2);
  g.DeleteTask(1);
  ASSERT_EQ(links->Count(), 1);
  EXPECT_EQ(links->Items(0).FromTask, 2);
  EXPECT_EQ(links->Items(0).ToTask, 1);
  // The serie shares the list: dropping the filler's reference is safe.
  links.reset();
  EXPECT_EQ(g.Links()->Count(), 1);
  g.Links()->Clear();
  EXPECT_EQ(g.Links()->Count(), 0);
}

TEST(GraphZoomList, PushPopDelete) {
  TZoomList z;
  EXPECT_EQ(z.Pop(), TGraphRange());
  z.Push({1, 2, 3, 4});
  z.Push({5, 6, 7, 8});
  z.Delete(5);  // out of range: ignored
  EXPECT_EQ(z.Count(), 2);
  EXPECT_EQ(z.Pop(), (TGraphRange{5, 6, 7, 8}));
  z.Delete(0);
  EXPECT_EQ(z.Count(), 0);
}
