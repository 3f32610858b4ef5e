// The viewer control and the Gadget window: loading, mouse zones, rotation
// tables, frame-rate reports, and the window's pages and timers.
#include <gtest/gtest.h>

#include <QCheckBox>
#include <QScrollBar>
#include <QSlider>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <cmath>
#include <numbers>

#include <Tarnwell/space3d/FGadget.h>
#include <Tarnwell/space3d/Loader3D.h>
#include <Tarnwell/space3d/Polygon.h>
#include <Tarnwell/space3d/Shapes3D.h>
#include <Tarnwell/platform/TDialogs.h>
#include "HiDpiUtil.h"
#include "TestUtil.h"
#include <Tarnwell/space3d/View3D.h>
#include <Tarnwell/space3d/Polygon_p.h>

using namespace Tarnwell;

namespace {

QString WriteTwoMeshFile(const QTemporaryDir& dir) {
  TWriter3DFile w;
  const TMesh3D a = MakeBox3D("A", 60, 60, 60), b = MakeSphere3D("B", 40, 100);
  w.AddMesh(a.Name, a.Vertices, a.Faces);
  w.AddMesh(b.Name, b.Vertices, b.Faces);
  const QString path = dir.filePath("due.3ds");
  w.SaveToFile(path);
  return path;
}

int NonBlack(const QImage& img) {
  int n = 0;
  for (int y = 0; y < img.height(); ++y)
    for (int x = 0; x < img.width(); ++x) n += (img.pixel(x, y) & 0xFFFFFF) != 0;
  return n;
}

}  // namespace

TEST(View3D, LoadingClearingAndShowingObjects) {
  QTemporaryDir dir;
  TSpace3DViewer v;
  v.resize(300, 200);
  EXPECT_EQ(v.Distance(), -20.0f);
  const QString file = WriteTwoMeshFile(dir);
  v.setFileName(file);
  ASSERT_EQ(v.Objects().size(), 3u);  // root and two meshes
  EXPECT_EQ(v.Objects()[0]->ObjectName, "due");
  EXPECT_EQ(v.Objects()[2]->ParentObject, v.Objects()[0].get());
  // Showing a mesh shows it alone; showing the root shows its subtree.
  v.ShowObject(v.Objects()[1].get());
  EXPECT_TRUE(v.Objects()[1]->Visible);
  EXPECT_FALSE(v.Objects()[2]->Visible);
  v.ShowObject(v.Objects()[0].get());
  EXPECT_TRUE(v.Objects()[2]->Visible);
  // A name that does not exist clears the scene.
  v.setFileName(dir.filePath("manca.3ds"));
  EXPECT_TRUE(v.Objects().empty());
  EXPECT_EQ(v.Engine().FaceCount(), 0);
  // A damaged file keeps its complete meshes and says what was wrong.
  QFile f(file);
  ASSERT_TRUE(f.open(QIODevice::ReadOnly));
  QByteArray data = f.readAll();
  f.close();
  const QString cut = dir.filePath("cut.3ds");
  QFile g(cut);
  ASSERT_TRUE(g.open(QIODevice::WriteOnly));
  g.write(data.left(data.size() - 10));
  g.close();
  EXPECT_EQ(v.LoadFile(cut), 1);
  EXPECT_FALSE(v.LoadError().isEmpty());
}

TEST(View3D, RotationReducesAnglesModulo360) {
  TSpace3DViewer v;
  TObject3D ref;
  auto* o = new TObject3D;
  const TVertex3D p[1] = {{0, 10, 5}};
  o->SetVertices(p, 1);
  ref.SetVertices(p, 1);
  QTemporaryDir dir;
  v.setFileName(WriteTwoMeshFile(dir));
  const TObject3D* mesh = v.Objects()[1].get();
  const TVertex3D before = mesh->LocalVertices.GetItem(3);
  v.Rotate(-10, 0, 0);  // the table entry for 350
  const double a = 350 * std::numbers::pi / 180;
  TObject3D check;
  check.SetVertices(&before, 1);
  check.RotateX(float(std::cos(a)), float(std::sin(a)));
  EXPECT_NEAR(mesh->LocalVertices.GetItem(3).Y, check.LocalVertices.GetItem(0).Y, 1e-4);
  EXPECT_NEAR(mesh->LocalVertices.GetItem(3).Z, check.LocalVertices.GetItem(0).Z, 1e-4);
  // Large steps: 370 turns like 10, -730 like -10; nothing reads past the tables.
  v.Rotate(370, -730, 1000000);
  v.Rotate(INT32_MIN, INT32_MAX, 0);
  delete o;
}

TEST(View3D, MouseZonesAndRightClick) {
  QTemporaryDir dir;
  TSpace3DViewer v;
  v.resize(300, 200);
  v.setFileName(WriteTwoMeshFile(dir));
  v.setCtrlEnabled(true);
  v.setRealTime(true);
  v.ShowObject(nullptr);
  // Left band: a drag moves the scene along Y.
  QTest::mousePress(&v, Qt::LeftButton, {}, QPoint(10, 100));
  EXPECT_EQ(v.DragZone(), 3);
  QTest::mouseMove(&v, QPoint(10, 112));
  QMouseEvent move(QEvent::MouseMove, QPointF(10, 112), QPointF(10, 112), Qt::NoButton, Qt::LeftButton, {});
  QCoreApplication::sendEvent(&v, &move);
  EXPECT_EQ(v.Objects()[1]->Position.Y, 12.0f);
  EXPECT_EQ(v.Objects()[1]->Position.X, 0.0f);
  QTest::mouseRelease(&v, Qt::LeftButton, {}, QPoint(10, 112));
  EXPECT_EQ(v.DragZone(), 0);
  // The other zones.
  const std::pair<QPoint, int> zones[] = {{{150, 10}, 1}, {{290, 100}, 2}, {{150, 190}, 4}, {{150, 100}, 5}};
  for (const auto& [pt, zone] : zones) {
    QTest::mousePress(&v, Qt::LeftButton, {}, pt);
    EXPECT_EQ(v.DragZone(), zone);
    QTest::mouseRelease(&v, Qt::LeftButton, {}, pt);
  }
  // Right band drags change the distance by a quarter of the movement.
  const float before = v.Distance();
  QTest::mousePress(&v, Qt::LeftButton, {}, QPoint(290, 100));
  QMouseEvent drag(QEvent::MouseMove, QPointF(290, 140), QPointF(290, 140), Qt::NoButton, Qt::LeftButton, {});
  QCoreApplication::sendEvent(&v, &drag);
  EXPECT_FLOAT_EQ(v.Distance(), before + 10);
  QTest::mouseRelease(&v, Qt::LeftButton, {}, QPoint(290, 140));
  QTest::mousePress(&v, Qt::RightButton, {}, QPoint(150, 100));
  EXPECT_EQ(v.Distance(), 5.0f);
  v.setCtrlEnabled(false);
  v.setDistance(20);
  QTest::mousePress(&v, Qt::RightButton, {}, QPoint(150, 100));
  EXPECT_EQ(v.Distance(), 20.0f);
}

TEST(View3D, FrameRateReportsAndBackground) {
  QTemporaryDir dir;
  TSpace3DViewer v;
  v.resize(120, 90);
  v.setDistance(20);
  v.setFileName(WriteTwoMeshFile(dir));
  v.ShowObject(nullptr);
  int reports = 0;
  float last = 0;
  v.OnRenderized = [&](TObject* sender, float fps) {
    EXPECT_EQ(sender, &v);
    ++reports;
    last = fps;
  };
  for (int i = 0; i < 40; ++i) v.RenderFrame();
  EXPECT_EQ(reports, 0);  // RealTime off: nothing is rendered
  EXPECT_EQ(PixelAt(v.grab().toImage(), 60, 45), clBlack);
  v.setRealTime(true);
  v.setRenderStyle(rsFlatSolid);
  reports = 0;
  for (int i = 0; i < 40; ++i) v.RenderFrame();
  EXPECT_GE(reports, 1);
  EXPECT_GT(last, 0);
  EXPECT_GT(NonBlack(v.grab().toImage()), 500);
  v.setRealTime(false);
  v.setColor(clNavy);
  EXPECT_EQ(PixelAt(v.grab().toImage(), 60, 45), clNavy);
  v.setRenderLevel(9);
  EXPECT_EQ(v.RenderLevel(), rlLastLevel);
  v.setPerspectRatio(1000);
  EXPECT_EQ(v.PerspectRatio(), 100);
  v.setAmbientLight(RGB(1, 2, 3));
  EXPECT_EQ(v.AmbientLight(), RGB(1, 2, 3));
}

// Painted on a device of ratio 2 (a screen, or a grab at that resolution)
// the viewer renders the frame at the device's pixels rather than copying a
// logical frame that the device enlarges; painted at 1 again it is the 1x
// frame.
TEST(View3D, PaintsFramesAtTheDeviceResolution) {
  QTemporaryDir dir;
  TSpace3DViewer v;
  v.resize(160, 120);
  v.setDistance(20);
  v.setFileName(WriteTwoMeshFile(dir));
  v.ShowObject(nullptr);
  v.setRenderStyle(rsWireFrame);
  v.setRealTime(true);
  const QImage at1 = HiDpi::Render(&v, 1), at2 = HiDpi::Render(&v, 2);
  const double more = double(NonBlack(at2)) / NonBlack(at1);
  EXPECT_GT(more, 3.2);  // lines as thick as the ratio: thin ones give 2
  EXPECT_LT(more, 4.8);
  EXPECT_GT(HiDpi::Detail(at1, at2, v.rect()), 0.001);
  EXPECT_EQ(HiDpi::Render(&v, 1), at1);
}

TEST(Gadget, WindowPagesTimersAndModel) {
  TRecordingDialogs dialogs;
  auto* f = new TFormGadget;
  EXPECT_EQ(f->Caption(), "Gadget");
  EXPECT_EQ(f->DesignSize(), QSize(473, 332));
  ASSERT_EQ(f->PageControl->count(), 2);
  EXPECT_EQ(f->PageControl->tabText(0), "Bezier");
  EXPECT_EQ(f->PageControl->tabText(1), "3D View");
  EXPECT_EQ(f->Polygon->Lines(), 6);
  EXPECT_EQ(f->Polygon->Lates(), 8);
  EXPECT_EQ(f->Space3DViewer->RenderLevel(), 1);
  // Every control answers to its design name.
  for (const char* name : {"PageControl", "TrackBar1", "TrackBar2", "UpDown1", "CheckBoxRealTime",
                           "TrackBarRenderLevel", "CheckBoxPerspect", "TrackBarPerspect", "ScrollBarRed",
                           "ScrollBarGreen", "ScrollBarBlue", "LabelFPS"})
    EXPECT_NE(f->findChild<QWidget*>(QLatin1String(name)), nullptr) << name;
  f->resize(473, 332);
  f->show();
  // The model is loaded once: showing again does not double the meshes.
  const std::size_t objects = f->Space3DViewer->Objects().size();
  EXPECT_EQ(objects, 9u);
  f->hide();
  f->show();
  EXPECT_EQ(f->Space3DViewer->Objects().size(), objects);
  EXPECT_TRUE(dialogs.Messages.empty());
  // Bezier page: the polygon runs, the timers do not.
  EXPECT_TRUE(f->Polygon->Active());
  EXPECT_FALSE(f->TimerAniX->isActive());
  EXPECT_TRUE(WaitUntil([&] { return FrameCount(*f->Polygon) > 3; }, 3000));
  f->PageControl->setCurrentIndex(1);
  EXPECT_FALSE(f->Polygon->Active());
  EXPECT_TRUE(f->TimerAniY->isActive());
  // The view spins on its own.
  const TVertex3D before = f->Space3DViewer->Objects()[1]->LocalVertices.GetItem(0);
  EXPECT_TRUE(WaitUntil([&] {
    const TVertex3D now = f->Space3DViewer->Objects()[1]->LocalVertices.GetItem(0);
    return now.X != before.X || now.Z != before.Z;
  }));
  const QImage shot = f->grab().toImage();
  EXPECT_GT(NonBlack(shot.copy(f->Space3DViewer->mapTo(f, QPoint(0, 0)).x(),
                               f->Space3DViewer->mapTo(f, QPoint(0, 0)).y(), f->Space3DViewer->width(),
                               f->Space3DViewer->height())),
            300);
  // A press on the viewer stops the timers, the release starts them.
  QTest::mousePress(f->Space3DViewer, Qt::LeftButton, {}, QPoint(100, 100));
  EXPECT_FALSE(f->TimerAniX->isActive());
  QTest::mouseRelease(f->Space3DViewer, Qt::LeftButton, {}, QPoint(100, 100));
  EXPECT_TRUE(f->TimerRand->isActive());
  // The controls reach the viewer.
  f->TrackBarRenderLevel->setValue(5);
  EXPECT_EQ(f->Space3DViewer->RenderLevel(), 5);
  f->TrackBarPerspect->setValue(4);
  EXPECT_EQ(f->Space3DViewer->PerspectRatio(), 20);
  f->ScrollBarGreen->setValue(16);
  EXPECT_EQ(f->Space3DViewer->AmbientLight(), RGB(255, 16, 0));
  f->CheckBoxRealTime->setChecked(false);
  EXPECT_FALSE(f->Space3DViewer->RealTime());
  f->PageControl->setCurrentIndex(0);
  EXPECT_FALSE(f->TimerAniX->isActive());
  EXPECT_TRUE(f->Polygon->Active());
  f->Close();
  QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

TEST(Gadget, FindsTheModel) {
  const QString path = FindDemoModel();
  EXPECT_TRUE(QFileInfo::exists(path)) << path.toStdString();
  // The built-in copy is always there and is the model the generator makes.
  QFile res(":/models/Demo.DDD");
  ASSERT_TRUE(res.open(QIODevice::ReadOnly));
  TWriter3DFile w;
  for (const TMesh3D& m : MakeDemoModel3D()) w.AddMesh(m.Name, m.Vertices, m.Faces);
  EXPECT_EQ(res.readAll(), w.Data());
  TSpace3DViewer v;
  EXPECT_EQ(v.LoadFile(":/models/Demo.DDD"), 8);
  EXPECT_EQ(v.Objects()[0]->ObjectName, "Demo");
}
