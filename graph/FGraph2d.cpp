#include "FGraph2d.h"

#include <QRandomGenerator>
#include <QShowEvent>
#include <QSplitter>
#include <QVBoxLayout>
#include <cmath>

#include <Tarnwell/platform/TFormSize.h>
#include <Tarnwell/app/DemoRegistry.h>

namespace Tarnwell {

namespace {

int Random(int n) { return int(QRandomGenerator::global()->bounded(n)); }

TColor RandomColor() {
  static const TColor colors[16] = {clBlack,  clAqua,   clBlue,  clFuchsia, clGray,   clGreen,
                                    clLime,   clMaroon, clNavy,  clOlive,   clPurple, clRed,
                                    clSilver, clTeal,   clWhite, clYellow};
  return colors[Random(16)];
}

// The look shared by the line and bar graphs: unit steps, upright X labels,
// wide number fields and horizontal lines only.
void DesignUnitGraph(TGraph2D* g) {
  g->setCursor(Qt::CrossCursor);
  g->Font().SetName("Arial");
  TGraphLabels& l = g->Labels();
  l.setDivisionX(1);
  l.setDivisionY(10);
  l.setUnitaryX(true);
  l.setUnitaryY(true);
  l.setXLabVert(true);
  l.setDigit(12);
  TGraphGrid& grid = g->Grid();
  grid.setAStyle(ggsHorizontal);
  grid.setDivisionY(1000);
  grid.setUnitaryY(true);
  grid.setAxis(ggaNone);
}

}  // namespace

TFormGraph2D::TFormGraph2D(QWidget* parent) : TForm(parent) {
  setObjectName("FormGraph2D");
  SetCaption("TGraph2D");
  setBorderIcons(biSystemMenu | biMinimize);
  SetDesignOuterSize(this, 486, 469);
  setWindowFlags(windowFlags() | Qt::WindowSystemMenuHint | Qt::WindowMinimizeButtonHint);

  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(0, 0, 0, 0);
  auto* vertical = new QSplitter(Qt::Vertical, this);
  vertical->setHandleWidth(3);
  vertical->setChildrenCollapsible(false);
  layout->addWidget(vertical);

  auto* top = new QSplitter(Qt::Horizontal, vertical);
  top->setHandleWidth(3);
  top->setChildrenCollapsible(false);
  GraphPoint = new TGraph2D(top);
  GraphLine = new TGraph2D(top);
  auto* middle = new QSplitter(Qt::Horizontal, vertical);
  middle->setHandleWidth(3);
  middle->setChildrenCollapsible(false);
  GraphFill = new TGraph2D(middle);
  GraphBars = new TGraph2D(middle);
  GraphGantt = new TGraph2D(vertical);

  GraphPoint->setObjectName("GraphPoint");
  GraphLine->setObjectName("GraphLine");
  GraphFill->setObjectName("GraphFill");
  GraphBars->setObjectName("GraphBars");
  GraphGantt->setObjectName("GraphGantt");

  // The left graphs keep their designed widths; the right ones take what the
  // window gives or takes.
  top->setStretchFactor(0, 0);
  top->setStretchFactor(1, 1);
  middle->setStretchFactor(0, 0);
  middle->setStretchFactor(1, 1);
  mTop = top;
  mMiddle = middle;
  mVertical = vertical;
  top->setSizes({229, 486 - 229 - 3});
  middle->setSizes({205, 486 - 205 - 3});
  vertical->setStretchFactor(0, 0);
  vertical->setStretchFactor(1, 1);
  vertical->setStretchFactor(2, 0);
  vertical->setSizes({153, 442 - 153 - 145 - 6, 145});

  for (TGraph2D* g : {GraphPoint, GraphLine, GraphFill, GraphBars, GraphGantt}) {
    g->setAutoSize(true);
    g->setZoomEnabled(false);
    g->setMinimumSize(40, 40);
  }
  DesignUnitGraph(GraphLine);
  DesignUnitGraph(GraphBars);
  // The chart's ten rows share its 145 pixels: the texts it leaves empty
  // (title, description, axis titles) take next to no room, the row numbers
  // are left out (the tasks' own texts name them), and the texts are small,
  // so that every row has room for its bar, its text and the links.
  GraphGantt->Font().SetName("Arial");
  GraphGantt->Font().SetHeight(-9);
  GraphGantt->Layout().Font().SetHeight(-1);
  GraphGantt->Labels().setAStyle(glsVertical);
  GraphGantt->Labels().Font().SetName("Arial");
  GraphGantt->Labels().Font().SetHeight(-9);

  AddComponent(GraphPoint);
  AddComponent(GraphLine);
  AddComponent(GraphFill);
  AddComponent(GraphBars);
  AddComponent(GraphGantt);
}

TFormGraph2D::~TFormGraph2D() = default;

void TFormGraph2D::showEvent(QShowEvent* e) {
  TForm::showEvent(e);
  if (mFilled) return;
  mFilled = true;
  if (this->layout()) this->layout()->activate();
  // Sizes given before the first layout are rescaled by the splitter to the
  // width it then had; set them again now that the window has its own.
  mTop->setSizes({229, std::max(1, mTop->width() - 229 - mTop->handleWidth())});
  mMiddle->setSizes({205, std::max(1, mMiddle->width() - 205 - mMiddle->handleWidth())});
  mVertical->setSizes({153, std::max(1, mVertical->height() - 153 - 145 - 2 * mVertical->handleWidth()), 145});
  FormShow();
}

void TFormGraph2D::FormShow() {
  auto wave = [](TGraph2D* g, TSerieKind kind, double turns, const QString& name) {
    g->Series().Clear();
    TPointSerie* s = g->Series().Add();
    s->SetKind(kind);
    s->SetName(name);
    const int w = std::max(1, g->width()), h = g->height();
    double p = 0;
    for (int i = 1; i <= w - 30; ++i) {
      s->AddPoint(i, std::nearbyint(std::sin(p) * h));
      p += turns * M_PI / w;
    }
    g->RefreshGraph();
  };
  wave(GraphPoint, skPoints, 2, "Punti");
  wave(GraphFill, skFill, 4, "Riempimento");

  GraphLine->Series().Clear();
  TPointSerie* line = GraphLine->Series().Add();
  line->SetKind(skLines);
  line->SetName("Linee");
  for (int i = 0; i <= 9; ++i) line->AddPoint(i, Random(150) - 50);
  GraphLine->RefreshGraph();

  GraphBars->Series().Clear();
  TPointSerie* bars = GraphBars->Series().Add();
  bars->SetKind(skBars);
  bars->SetName("Barre");
  for (int i = 0; i <= 9; ++i) {
    const int v = Random(150) - 50;
    bars->AddBar(QString::number(v), RandomColor(), i, v, clRed);
  }
  GraphBars->RefreshGraph();

  GraphGantt->Series().Clear();
  TPointSerie* gantt = GraphGantt->Series().Add();
  gantt->SetKind(skGantt);
  gantt->SetName("Attività");
  mLinks = std::make_shared<TGanttLinkList>();
  gantt->SetLinks(mLinks);
  for (int i = 1; i <= 10; ++i) {
    const int s = Random(100), d = Random(20) + 5;
    const int k = gantt->AddTask(QString::number(s), RandomColor(), s, s + d, i, clRed);
    if (k > 1) mLinks->AddLink(k, k - 1);
  }
  GraphGantt->RefreshGraph();
  // The fitted range keeps a spare row under the first task only: half a
  // row beyond the first and the last task keeps both bars inside the plot
  // and the rows evenly spread.
  TGraphRange r = GraphGantt->Range();
  r.YMin = 0.5;
  r.YMax = 10.5;
  GraphGantt->setRange(r);

}

void TFormGraph2D::FormClose(TCloseAction& action) {
  GraphGantt->Series().Clear();
  mLinks.reset();
  GraphBars->Series().Clear();
  TForm::FormClose(action);
}

void RegisterDemo_graph() {
  RegisterDemoWindow("TFormGraph2D", []() -> TForm* { return new TFormGraph2D(); });
}

}  // namespace Tarnwell
