// A project plan as a Gantt chart: tasks on rows with their days, and the
// links between them. `gantt --check` renders it off screen, checks that the
// chart shows its tasks' colours, and exits.
#include <QApplication>
#include <QImage>
#include <QVBoxLayout>
#include <cstdio>

#include <Tarnwell/graph/Graph2D.h>
#include <Tarnwell/platform/TApplication.h>

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  Tarnwell::InitializeTarnwell();

  QWidget window;
  auto* layout = new QVBoxLayout(&window);
  auto* chart = new Tarnwell::TGraph2D;
  chart->setAutoSize(true);  // the axes follow the plan
  Tarnwell::TPointSerie* plan = chart->Series().Add();
  plan->SetKind(Tarnwell::skGantt);
  struct Task {
    const char* name;
    double from, to, row;
    Tarnwell::TColor color;
  };
  const Task tasks[] = {{"Analisi", 1, 4, 1, Tarnwell::clNavy},
                        {"Progetto", 4, 9, 2, Tarnwell::clTeal},
                        {"Sviluppo", 9, 20, 3, Tarnwell::clGreen},
                        {"Collaudo", 18, 24, 4, Tarnwell::clMaroon}};
  for (const Task& t : tasks)
    plan->AddTask(QString::fromUtf8(t.name), t.color, t.from, t.to, t.row, Tarnwell::clWhite);
  chart->RefreshGraph();
  layout->addWidget(chart);
  window.resize(500, 260);
  window.show();

  if (argc > 1 && QByteArray(argv[1]) == "--check") {
    QCoreApplication::processEvents();
    const QImage img = chart->grab().toImage();
    int found = 0;
    for (const Task& t : tasks) {
      const QRgb want = Tarnwell::ToQColor(t.color).rgb();
      bool seen = false;
      for (int y = 0; y < img.height() && !seen; ++y)
        for (int x = 0; x < img.width() && !seen; ++x) seen = img.pixel(x, y) == want;
      found += seen;
    }
    std::printf("%d of %d tasks drawn\n", found, int(std::size(tasks)));
    return found == int(std::size(tasks)) ? 0 : 1;
  }
  return app.exec();
}
