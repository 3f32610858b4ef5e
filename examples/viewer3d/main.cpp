// A model viewer: writes a small model file (a torus on a box) with the
// engine's writer, opens it in the 3D viewer, which frames it by itself.
// `viewer3d --check` renders it off screen, checks that the model fills a
// fair part of the view, and exits.
#include <QApplication>
#include <QDir>
#include <QImage>
#include <QTemporaryDir>
#include <QVBoxLayout>
#include <cstdio>

#include <Tarnwell/platform/TApplication.h>
#include <Tarnwell/space3d/Loader3D.h>
#include <Tarnwell/space3d/Shapes3D.h>
#include <Tarnwell/space3d/View3D.h>

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  Tarnwell::InitializeTarnwell();

  QTemporaryDir dir;
  const QString file = dir.filePath(QStringLiteral("model.3ds"));
  Tarnwell::TWriter3DFile writer;
  Tarnwell::TMesh3D torus = Tarnwell::MakeTorus3D(QStringLiteral("Torus"), 30, 10, 24, 12);
  Tarnwell::TMesh3D box = Tarnwell::MakeBox3D(QStringLiteral("Box"), 45, 5, 45);
  torus.Translate(200, 215, 0);  // far from the origin: the viewer frames it anyway
  box.Translate(200, 200, 0);
  for (const Tarnwell::TMesh3D& m : {torus, box}) writer.AddMesh(m.Name, m.Vertices, m.Faces);
  writer.SaveToFile(file);

  QWidget window;
  auto* layout = new QVBoxLayout(&window);
  auto* viewer = new Tarnwell::TSpace3DViewer;
  viewer->setColor(QColor(20, 24, 40));
  viewer->setRenderStyle(Tarnwell::rsZBuffered);  // depth-buffered and lit
  viewer->setRealTime(true);                      // the viewer draws only when on
  viewer->setFileName(file);    // loads and fits (AutoFit is on)
  viewer->ShowObject(nullptr);  // every object of the file visible
  layout->addWidget(viewer);
  window.resize(400, 300);
  window.show();

  if (argc > 1 && QByteArray(argv[1]) == "--check") {
    QCoreApplication::processEvents();
    const QImage img = viewer->grab().toImage();
    const QRgb back = img.pixel(0, 0);
    int ink = 0;
    for (int y = 0; y < img.height(); ++y)
      for (int x = 0; x < img.width(); ++x) ink += img.pixel(x, y) != back;
    const double share = double(ink) / (img.width() * img.height());
    std::printf("model covers %.0f %% of %dx%d\n", share * 100, img.width(), img.height());
    return share > 0.05 && share < 0.9 ? 0 : 1;
  }
  return app.exec();
}
