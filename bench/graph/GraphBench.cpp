// The graph against QCustomPlot on the same data and the same 1920x1080
// image, both unantialiased. Every case times one drawing of each per
// iteration and reports both times and their ratio (ours / QCustomPlot).
#include <benchmark/benchmark.h>
#include <qcustomplot.h>

#include <QApplication>
#include <QElapsedTimer>
#include <QMouseEvent>
#include <QRandomGenerator>
#include <QWheelEvent>
#include <cmath>

#include <Tarnwell/graph/Graph2D.h>
#include <Tarnwell/graph/Graph2D_p.h>

using namespace Tarnwell;

namespace {

constexpr int kW = 1920, kH = 1080;

struct TData {
  QVector<double> X, Y;
};

TData MakeData(int n, bool noisy) {
  TData d;
  d.X.resize(n);
  d.Y.resize(n);
  QRandomGenerator rng(12345);
  for (int i = 0; i < n; ++i) {
    d.X[i] = i;
    d.Y[i] = noisy ? rng.bounded(1000.0) : 400 * std::sin(i * 20.0 / n) + rng.bounded(50.0);
  }
  return d;
}

TGraph2D* MakeOurs(TSerieKind kind, const TData& d) {
  auto* g = new TGraph2D();
  g->resize(kW, kH);
  g->setColor(clWhite);
  TPointSerie* s = g->Series().Add();
  s->SetKind(kind);
  s->SetColor(clBlue);
  s->Reserve(d.X.size());
  for (int i = 0; i < d.X.size(); ++i) {
    if (kind == skBars)
      s->AddBar(QString(), clBlue, d.X[i], d.Y[i], clBlack);
    else
      s->AddPoint(d.X[i], d.Y[i]);
  }
  g->setAutoSize(true);
  g->RefreshGraph();
  return g;
}

QCustomPlot* MakeTheirs(TSerieKind kind, const TData& d) {
  auto* p = new QCustomPlot();
  p->resize(kW, kH);
  p->setNotAntialiasedElements(QCP::aeAll);
  if (kind == skBars) {
    auto* bars = new QCPBars(p->xAxis, p->yAxis);
    bars->setData(d.X, d.Y, true);
    bars->setBrush(Qt::blue);
    bars->setPen(QPen(Qt::black));
  } else {
    QCPGraph* g = p->addGraph();
    g->setData(d.X, d.Y, true);
    g->setPen(QPen(Qt::blue));
    if (kind == skPoints) {
      g->setLineStyle(QCPGraph::lsNone);
      g->setScatterStyle(QCPScatterStyle(QCPScatterStyle::ssDot));
    }
  }
  p->rescaleAxes();
  return p;
}

qint64 DrawOurs(TGraph2D* g, QImage& img) {
  QElapsedTimer t;
  t.start();
  TCanvas canvas(&img);
  canvas.Font().Assign(g->Font());
  canvas.Brush().SetColor(clWhite);
  g->DrawGraph(canvas, TRect(0, 0, kW, kH), false);
  canvas.Release();
  return t.nsecsElapsed();
}

qint64 DrawTheirs(QCustomPlot* p, QImage& img) {
  QElapsedTimer t;
  t.start();
  QCPPainter painter(&img);
  p->toPainter(&painter, kW, kH);
  painter.end();
  return t.nsecsElapsed();
}

void Report(benchmark::State& state, double ours, double theirs, int64_t n) {
  state.counters["ours_ms"] = ours / n / 1e6;
  state.counters["qcp_ms"] = theirs / n / 1e6;
  state.counters["ratio"] = theirs > 0 ? ours / theirs : 0;
}

void Compare(benchmark::State& state, TSerieKind kind, bool noisy) {
  const TData d = MakeData(int(state.range(0)), noisy);
  std::unique_ptr<TGraph2D> ours(MakeOurs(kind, d));
  std::unique_ptr<QCustomPlot> theirs(MakeTheirs(kind, d));
  QImage img(kW, kH, QImage::Format_RGB32);
  DrawOurs(ours.get(), img);  // warm both up (fonts, caches)
  DrawTheirs(theirs.get(), img);
  double sumOurs = 0, sumTheirs = 0;
  int64_t n = 0;
  for (auto _ : state) {
    const qint64 a = DrawOurs(ours.get(), img);
    const qint64 b = DrawTheirs(theirs.get(), img);
    state.SetIterationTime(a / 1e9);
    sumOurs += a;
    sumTheirs += b;
    ++n;
  }
  Report(state, sumOurs, sumTheirs, n);
}

void BM_Lines(benchmark::State& state) { Compare(state, skLines, false); }

// The options beyond the classic graph, on 100 000 line points: range(1) is
// 0 all off, 1 round tick steps, 2 antialiasing (QCustomPlot antialiased
// too, so that like is timed against like). Each iteration draws the graph
// with the options, the same graph without them, and QCustomPlot: "cost" is
// ours with the options over ours without (1 when they cost nothing).
void BM_LinesOptions(benchmark::State& state) {
  const TData d = MakeData(int(state.range(0)), false);
  const int mode = int(state.range(1));
  std::unique_ptr<TGraph2D> plain(MakeOurs(skLines, d));
  std::unique_ptr<TGraph2D> ours(MakeOurs(skLines, d));
  std::unique_ptr<QCustomPlot> theirs(MakeTheirs(skLines, d));
  if (mode == 1) {
    ours->Labels().setNiceSteps(true);
    ours->Grid().setNiceSteps(true);
  }
  if (mode == 2) {
    ours->setAntialiased(true);
    theirs->setNotAntialiasedElements(QCP::aeNone);
    theirs->setAntialiasedElements(QCP::aeAll);
  }
  QImage img(kW, kH, QImage::Format_RGB32);
  auto drawOurs = [&](TGraph2D* g) {
    QElapsedTimer t;
    t.start();
    g->PaintGraph(&img, QRect(0, 0, kW, kH));
    return t.nsecsElapsed();
  };
  drawOurs(plain.get());
  drawOurs(ours.get());
  DrawTheirs(theirs.get(), img);
  double sumOurs = 0, sumPlain = 0, sumTheirs = 0;
  int64_t n = 0;
  for (auto _ : state) {
    const qint64 a = drawOurs(ours.get());
    const qint64 p = drawOurs(plain.get());
    const qint64 b = DrawTheirs(theirs.get(), img);
    state.SetIterationTime(a / 1e9);
    sumOurs += a;
    sumPlain += p;
    sumTheirs += b;
    ++n;
  }
  Report(state, sumOurs, sumTheirs, n);
  state.counters["plain_ms"] = sumPlain / n / 1e6;
  state.counters["cost"] = sumPlain > 0 ? sumOurs / sumPlain : 0;
}

// One wheel notch in and one out over 100 000 line points (each redraws the
// graph), against one full drawing of the same graph: "ratio" is a notch's
// time over a drawing's.
void BM_WheelZoom(benchmark::State& state) {
  const TData d = MakeData(100000, false);
  std::unique_ptr<TGraph2D> ours(MakeOurs(skLines, d));
  ours->setZoomEnabled(true);
  ours->show();
  QCoreApplication::processEvents();
  QImage img(kW, kH, QImage::Format_RGB32);
  auto wheel = [&](int delta) {
    const QPointF at(900, 500);
    QWheelEvent e(at, ours->mapToGlobal(at), QPoint(), QPoint(0, delta), Qt::NoButton, Qt::NoModifier,
                  Qt::NoScrollPhase, false);
    QCoreApplication::sendEvent(ours.get(), &e);
  };
  double sumWheel = 0, sumDraw = 0;
  int64_t n = 0;
  for (auto _ : state) {
    QElapsedTimer t;
    t.start();
    wheel(120);
    wheel(-120);
    const qint64 a = t.nsecsElapsed() / 2;
    const qint64 b = DrawOurs(ours.get(), img);
    state.SetIterationTime(a / 1e9);
    sumWheel += a;
    sumDraw += b;
    ++n;
  }
  state.counters["notch_ms"] = sumWheel / n / 1e6;
  state.counters["draw_ms"] = sumDraw / n / 1e6;
  state.counters["ratio"] = sumDraw > 0 ? sumWheel / sumDraw : 0;
}
void BM_Points(benchmark::State& state) { Compare(state, skPoints, true); }
void BM_Bars(benchmark::State& state) { Compare(state, skBars, true); }

void SendMouse(QWidget* w, QEvent::Type type, QPoint pos, Qt::MouseButton button, Qt::MouseButtons buttons) {
  QMouseEvent e(type, QPointF(pos), w->mapToGlobal(QPointF(pos)), button, buttons, Qt::NoModifier);
  QCoreApplication::sendEvent(w, &e);
}

// Runs the event loop until the work a move queued is done (QCustomPlot
// queues its replot on a zero timer), so neither side pays for the other.
void Settle() {
  for (int i = 0; i < 10; ++i) QCoreApplication::processEvents();
}

// One move of the rubber band over a graph of 100 000 line points, with the
// repaint it causes, against QCustomPlot's zoom rectangle on the same data.
void BM_RubberBandMove(benchmark::State& state) {
  const TData d = MakeData(100000, false);
  std::unique_ptr<TGraph2D> ours(MakeOurs(skLines, d));
  std::unique_ptr<QCustomPlot> theirs(MakeTheirs(skLines, d));
  ours->setZoomEnabled(true);
  theirs->setSelectionRectMode(QCP::srmZoom);
  ours->show();
  theirs->show();
  theirs->replot();
  QCoreApplication::processEvents();
  SendMouse(ours.get(), QEvent::MouseButtonPress, {300, 300}, Qt::LeftButton, Qt::LeftButton);
  SendMouse(theirs.get(), QEvent::MouseButtonPress, {300, 300}, Qt::LeftButton, Qt::LeftButton);
  Settle();
  double sumOurs = 0, sumTheirs = 0;
  int64_t n = 0;
  int k = 0;
  for (auto _ : state) {
    const QPoint to(900 + (k % 200), 700 + (k % 150));
    ++k;
    QElapsedTimer t;
    t.start();
    SendMouse(ours.get(), QEvent::MouseMove, to, Qt::NoButton, Qt::LeftButton);
    Settle();
    const qint64 a = t.nsecsElapsed();
    t.restart();
    SendMouse(theirs.get(), QEvent::MouseMove, to, Qt::NoButton, Qt::LeftButton);
    Settle();
    const qint64 b = t.nsecsElapsed();
    state.SetIterationTime(a / 1e9);
    sumOurs += a;
    sumTheirs += b;
    ++n;
  }
  Report(state, sumOurs, sumTheirs, n);
  state.counters["renders"] = RenderCount(*ours);
}

}  // namespace

BENCHMARK(BM_Lines)->Arg(10000)->Arg(100000)->Arg(1000000)->UseManualTime()->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Points)->Arg(100000)->UseManualTime()->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Bars)->Arg(10000)->UseManualTime()->Unit(benchmark::kMillisecond);
BENCHMARK(BM_LinesOptions)->Args({100000, 0})->Args({100000, 1})->Args({100000, 2})->UseManualTime()->Unit(benchmark::kMillisecond);
BENCHMARK(BM_WheelZoom)->UseManualTime()->Unit(benchmark::kMillisecond);
BENCHMARK(BM_RubberBandMove)->UseManualTime()->Unit(benchmark::kMillisecond);

int main(int argc, char** argv) {
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication app(argc, argv);
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
