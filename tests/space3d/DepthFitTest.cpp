// The depth-buffered level, back-face culling, framing a model in the
// viewer, the frame rate of the whole frame, and the Gadget's controls at
// start.
#include <gtest/gtest.h>

#include <QScrollBar>
#include <QSlider>
#include <QSpinBox>
#include <QCheckBox>
#include <QDir>
#include <QTemporaryDir>
#include <QTest>
#include <QThread>
#include <cmath>

#include <Tarnwell/platform/TDialogs.h>
#include <Tarnwell/space3d/FGadget.h>
#include <Tarnwell/space3d/Loader3D.h>
#include <Tarnwell/space3d/Polygon.h>
#include <Tarnwell/space3d/Shapes3D.h>
#include <Tarnwell/space3d/View3D.h>
#include "TestUtil.h"

using namespace Tarnwell;

namespace {

std::unique_ptr<TObject3D> Tri(TVertex3D a, TVertex3D b, TVertex3D c) {
  TMesh3D m;
  m.Vertices = {a, b, c};
  m.Faces = {{0, 1, 2, 0}};
  return m.ToObject();
}

QImage RenderList(const TObject3DList& list, int level, bool cull = false) {
  TEngine3D e;
  e.SetCamera(0, 0, -20);
  e.SetCullBackFaces(cull);
  e.PrepareScene(list);
  e.Render(300, 240, level);
  return e.Image().copy();
}

bool Ink(QRgb p) { return (p & 0xFFFFFF) != 0; }

// Share of the image that is not black, and the centre of that ink.
struct InkStats {
  double Share = 0, CX = 0, CY = 0;
};
InkStats Measure(const QImage& img) {
  InkStats s;
  long long n = 0;
  double sx = 0, sy = 0;
  for (int y = 0; y < img.height(); ++y)
    for (int x = 0; x < img.width(); ++x)
      if (Ink(img.pixel(x, y))) {
        ++n;
        sx += x;
        sy += y;
      }
  s.Share = double(n) / (double(img.width()) * img.height());
  if (n) {
    s.CX = sx / double(n) / img.width();
    s.CY = sy / double(n) / img.height();
  }
  return s;
}

QString WriteBox(const QTemporaryDir& dir, const QString& name, float half, TVertex3D at) {
  TMesh3D box = MakeBox3D("Box", half, half * 0.6f, half * 0.8f);
  box.Translate(at.X, at.Y, at.Z);
  TMesh3D ball = MakeSphere3D("Ball", half * 0.5f, 200);
  ball.Translate(at.X + half, at.Y, at.Z);
  TWriter3DFile w;
  w.AddMesh(box.Name, box.Vertices, box.Faces);
  w.AddMesh(ball.Name, ball.Vertices, ball.Faces);
  const QString path = dir.filePath(name);
  w.SaveToFile(path);
  return path;
}

}  // namespace

// Two large faces that pass through each other: one leans back towards the
// top, the other towards the bottom, crossing a little above the middle.
// The painter's order can only put one of them in front everywhere.
TEST(DepthBuffer, InterpenetratingFacesAreResolvedPerPixel) {
  auto lowNear = [] { return Tri({-180, -150, -30}, {180, -150, -30}, {0, 150, 30}); };
  auto topNear = [] { return Tri({-180, 150, -27}, {0, -150, 33}, {180, 150, -27}); };
  for (int level : {int(rsDepthSolid), rlZBuffered}) {
    TObject3DList a, b, both;
    a.push_back(lowNear());
    b.push_back(topNear());
    both.push_back(lowNear());
    both.push_back(topNear());
    const QImage ia = RenderList(a, level), ib = RenderList(b, level), ii = RenderList(both, level);
    // World y = 7.5 (where the faces cross) is near screen row 116.
    int overlap = 0, right = 0;
    for (int y = 0; y < 240; ++y) {
      if (std::abs(y - 116) <= 3) continue;
      for (int x = 0; x < 300; ++x) {
        if (!Ink(ia.pixel(x, y)) || !Ink(ib.pixel(x, y))) continue;
        ++overlap;
        const QRgb nearer = y < 116 ? ib.pixel(x, y) : ia.pixel(x, y);
        right += ii.pixel(x, y) == nearer;
      }
    }
    ASSERT_GT(overlap, 5000);
    ASSERT_NE(ia.pixel(150, 90), ib.pixel(150, 90)) << "the two faces must look different";
    if (level == rlZBuffered) {
      EXPECT_GT(double(right) / overlap, 0.99);
      EXPECT_EQ(ii.pixel(150, 90), ib.pixel(150, 90));
      EXPECT_EQ(ii.pixel(150, 150), ia.pixel(150, 150));
    } else {
      // The painter's order draws the face with the nearer mean last, over
      // the part where the other one is in front.
      EXPECT_LT(double(right) / overlap, 0.75);
    }
  }
}

TEST(DepthBuffer, LitColoursStayBelowSaturationAndFollowTheLight) {
  TObject3DList list;
  list.push_back(MakeSphere3D("s", 150, 4000).ToObject());
  TEngine3D e;
  e.SetCamera(0, 0, -20);
  e.PrepareScene(list);
  e.Render(300, 240, rlZBuffered);
  int white = 0, lit = 0, maxChannel = 0;
  for (int y = 0; y < 240; ++y)
    for (int x = 0; x < 300; ++x) {
      const QRgb p = e.Image().pixel(x, y);
      white += (p & 0xFFFFFF) == 0xFFFFFF;
      lit += Ink(p);
      maxChannel = std::max({maxChannel, qRed(p), qGreen(p), qBlue(p)});
    }
  EXPECT_EQ(white, 0);
  EXPECT_GT(lit, 10000);
  EXPECT_GT(maxChannel, 200);  // squarely lit faces are bright, not dim
  // The light comes from above left: that side is brighter than below right.
  EXPECT_GT(qRed(e.Image().pixel(120, 90)), qRed(e.Image().pixel(180, 150)));
  // The ambient setting colours the light.
  e.SetAmbient(clRed);
  e.Render(300, 240, rlZBuffered);
  const QRgb p = e.Image().pixel(150, 120);
  EXPECT_GT(qRed(p), 0);
  EXPECT_EQ(qGreen(p), 0);
  EXPECT_EQ(qBlue(p), 0);
}

TEST(BackFaceCulling, DropsFacesTurnedAwayOnEveryFaceLevel) {
  for (int level = rsWireFrame; level <= rlLastLevel; ++level) {
    TObject3DList facing, away;
    facing.push_back(Tri({-50, -50, 0}, {-50, 50, 0}, {50, -50, 0}));
    away.push_back(Tri({-50, -50, 0}, {50, -50, 0}, {-50, 50, 0}));
    EXPECT_GT(Measure(RenderList(facing, level, true)).Share, 0) << level;
    EXPECT_EQ(Measure(RenderList(away, level, true)).Share, 0) << level;
    EXPECT_GT(Measure(RenderList(away, level, false)).Share, 0) << level;  // off: both sides drawn
  }
  // A closed mesh looks the same with the depth buffer whether or not the
  // hidden side is culled (but for a few pixels on its outline and seams,
  // where either side may win): the generated shapes are wound the same way.
  auto sameBut = [](const QImage& a, const QImage& b) {
    int diff = 0, ink = 0;
    for (int y = 0; y < a.height(); ++y)
      for (int x = 0; x < a.width(); ++x) {
        diff += a.pixel(x, y) != b.pixel(x, y);
        ink += Ink(b.pixel(x, y));
      }
    return ink > 1000 && diff < ink / 40;
  };
  const TMesh3D shapes[] = {MakeSphere3D("s", 150, 2000), MakeBox3D("b", 80, 60, 70),
                            MakeTorus3D("t", 100, 35, 24, 12), MakeCone3D("c", 90, 150, 24)};
  for (const TMesh3D& m : shapes) {
    TObject3DList list;
    list.push_back(m.ToObject());
    for (auto& o : list) {
      o->RotateX(std::cos(0.5f), std::sin(0.5f));
      o->RotateY(std::cos(0.7f), std::sin(0.7f));
      o->UpdateWorld();
    }
    EXPECT_TRUE(sameBut(RenderList(list, rlZBuffered, true), RenderList(list, rlZBuffered, false)))
        << m.Name.toStdString();
  }
}

TEST(BackFaceCulling, IsAViewerPropertyOffByDefault) {
  TSpace3DViewer v;
  EXPECT_FALSE(v.BackFaceCulling());
  EXPECT_FALSE(v.Engine().CullBackFaces());
  EXPECT_TRUE(v.setProperty("BackFaceCulling", true));
  EXPECT_TRUE(v.Engine().CullBackFaces());
  v.resetBackFaceCulling();
  EXPECT_FALSE(v.Engine().CullBackFaces());
  EXPECT_TRUE(v.setProperty("RenderStyle", QStringLiteral("rsZBuffered")));
  EXPECT_EQ(v.RenderLevel(), rlZBuffered);
  EXPECT_EQ(v.RenderStyle(), rsZBuffered);
}

// Models far from the origin, tiny or huge, set only by their file name:
// the viewer centres and scales them to fill a good part of the view.
TEST(FitToView, FramesFarTinyAndHugeModels) {
  QTemporaryDir dir;
  struct Case {
    const char* Name;
    float Half;
    TVertex3D At;
  } cases[] = {{"tiny.3ds", 0.01f, {500, -300, 80}},
               {"huge.3ds", 1e5f, {-2e5f, 1e5f, 3e5f}},
               {"plain.3ds", 40, {0, 0, 0}}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.Name);
    const QString file = WriteBox(dir, c.Name, c.Half, c.At);
    TSpace3DViewer v;
    EXPECT_TRUE(v.AutoFit());
    v.resize(320, 240);
    v.setRealTime(true);
    v.setRenderStyle(rsFlatSolid);
    v.setFileName(file);
    v.ShowObject(nullptr);
    InkStats s = Measure(v.Engine().Image());
    EXPECT_GT(s.Share, 0.15);
    EXPECT_LT(s.Share, 0.85);
    EXPECT_NEAR(s.CX, 0.5, 0.08);
    EXPECT_NEAR(s.CY, 0.5, 0.08);
    // It turns about its own centre: a quarter turn keeps it framed.
    v.Rotate(0, 90, 0);
    s = Measure(v.Engine().Image());
    EXPECT_GT(s.Share, 0.15);
    EXPECT_NEAR(s.CX, 0.5, 0.08);
    // A larger control frames it again at its size.
    v.resize(640, 480);
    v.RenderFrame();
    ASSERT_EQ(v.Engine().Image().size(), QSize(640, 480));
    s = Measure(v.Engine().Image());
    EXPECT_GT(s.Share, 0.15);
    EXPECT_NEAR(s.CX, 0.5, 0.08);
  }
  // Without it the tiny model is a few pixels at most, as before.
  TSpace3DViewer plain;
  plain.setAutoFit(false);
  plain.resize(320, 240);
  plain.setRealTime(true);
  plain.setDistance(20);
  plain.setRenderStyle(rsFlatSolid);
  plain.setFileName(dir.filePath("tiny.3ds"));
  plain.ShowObject(nullptr);
  EXPECT_LT(Measure(plain.Engine().Image()).Share, 0.001);
  // Turning it on frames what is loaded.
  plain.setAutoFit(true);
  EXPECT_GT(Measure(plain.Engine().Image()).Share, 0.15);
}

// The real models installed on the machine, when there are any: each one
// with faces, set only by its name, covers a good part of the view, centred.
TEST(FitToView, RealModelsFillTheView) {
  const QDir real("/usr/share/assimp/models/3DS");
  const QFileInfoList files = real.entryInfoList({"*.3ds", "*.3DS", "testFormatDetection"}, QDir::Files);
  if (files.isEmpty()) GTEST_SKIP() << "no real models installed";
  int tried = 0;
  for (const QFileInfo& fi : files) {
    SCOPED_TRACE(fi.fileName().toStdString());
    TSpace3DViewer v;
    v.resize(320, 240);
    v.setRealTime(true);
    v.setRenderStyle(rsZBuffered);
    try {
      v.setFileName(fi.filePath());
    } catch (const ETarnwellError&) {
      continue;
    }
    v.ShowObject(nullptr);
    if (v.Engine().FaceCount() == 0) continue;
    ++tried;
    const InkStats s = Measure(v.Engine().Image());
    // The bounding sphere is framed, so that the model stays inside however
    // it is turned: a flat model covers less of the view than a round one.
    EXPECT_GT(s.Share, 0.05);
    EXPECT_NEAR(s.CX, 0.5, 0.15);
    EXPECT_NEAR(s.CY, 0.5, 0.15);
  }
  EXPECT_GT(tried, 0);
}

TEST(FitToView, KeepsTheModelInFrontAtAnyPerspective) {
  QTemporaryDir dir;
  TSpace3DViewer v;
  v.resize(640, 480);
  v.setRealTime(true);
  v.setRenderStyle(rsDepthShade);
  v.setFileName(WriteBox(dir, "m.3ds", 3, {10, 10, 10}));
  v.ShowObject(nullptr);
  const int faces = v.Engine().FaceCount();
  // The camera moved from behind the origin to the usual distance.
  EXPECT_EQ(v.Distance(), 20.0f);
  for (int ratio : {1, 10, 25, 100}) {
    v.setPerspectRatio(ratio);
    for (const TProjVertex3D& p : v.Engine().Projected()) EXPECT_TRUE(p.InFront) << ratio;
    // The strongest perspective allows only a small model undistorted.
    EXPECT_GT(Measure(v.Engine().Image()).Share, ratio == 100 ? 0.002 : 0.05) << ratio;
  }
  // A distance the user chose is kept: the model is framed for it.
  v.setPerspectRatio(10);
  v.setDistance(40);
  v.FitToView();
  EXPECT_EQ(v.Distance(), 40.0f);
  EXPECT_GT(Measure(v.Engine().Image()).Share, 0.05);
  v.setPerspectActive(false);
  EXPECT_GT(Measure(v.Engine().Image()).Share, 0.05);
  EXPECT_EQ(v.Engine().FaceCount(), faces);
}

// A copy to the screen that takes 25 ms is part of each frame's time.
TEST(FrameRate, CountsTheCopyToTheScreen) {
  class SlowPaint : public QObject {
   public:
    bool eventFilter(QObject*, QEvent* e) override {
      if (e->type() == QEvent::Paint) QThread::msleep(25);
      return false;
    }
  } slow;
  QTemporaryDir dir;
  TSpace3DViewer v;
  v.resize(120, 90);
  v.setRealTime(true);
  v.setFileName(WriteBox(dir, "m.3ds", 3, {0, 0, 0}));
  v.show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(&v));
  v.installEventFilter(&slow);
  v.ShowObject(nullptr);
  EXPECT_GT(v.FramePerSecond(), 0);
  EXPECT_LT(v.FramePerSecond(), 41);
  float reported = 0;
  QObject::connect(&v, &TSpace3DViewer::Renderized, [&](QObject*, float fps) { reported = fps; });
  for (int i = 0; i < 20; ++i) v.Rotate(0, 5, 0);
  EXPECT_GT(reported, 0);
  EXPECT_LT(reported, 41);
}

TEST(Gadget, ControlsShowTheValuesInForceAtStart) {
  TRecordingDialogs dialogs;
  TFormGadget f;
  TSpace3DViewer* v = f.Space3DViewer;
  EXPECT_EQ(f.TrackBar1->value(), f.Polygon->Lines());
  EXPECT_EQ(f.TrackBar2->value(), f.Polygon->Lates());
  EXPECT_EQ(f.UpDown1->value(), f.Polygon->Velocity());
  EXPECT_EQ(f.CheckBoxRealTime->isChecked(), v->RealTime());
  EXPECT_EQ(f.TrackBarRenderLevel->value(), v->RenderLevel());
  EXPECT_EQ(f.CheckBoxPerspect->isChecked(), v->PerspectActive());
  EXPECT_EQ(5 * f.TrackBarPerspect->value(), v->PerspectRatio());
  EXPECT_EQ(RGB(f.ScrollBarRed->value(), f.ScrollBarGreen->value(), f.ScrollBarBlue->value()), v->AmbientLight());
  EXPECT_EQ(v->AmbientLight(), clRed);
  // The window keeps its designed camera: no automatic framing.
  EXPECT_FALSE(v->AutoFit());
  EXPECT_EQ(v->Distance(), 20.0f);
  // Moving a control and back leaves the viewer as designed.
  f.ScrollBarGreen->setValue(10);
  f.ScrollBarGreen->setValue(0);
  EXPECT_EQ(v->AmbientLight(), clRed);
}
