// The software renderer: projection, sorting, the render levels and the
// triangle filler, checked on the pixels that matter.
#include <gtest/gtest.h>

#include <QElapsedTimer>
#include <cmath>

#include <Tarnwell/space3d/Engine3D.h>
#include <Tarnwell/space3d/Shapes3D.h>
#include "HiDpiUtil.h"
#include "TestUtil.h"

using namespace Tarnwell;

namespace {

std::unique_ptr<TObject3D> Tri(TVertex3D a, TVertex3D b, TVertex3D c) {
  TMesh3D m;
  m.Vertices = {a, b, c};
  m.Faces = {{0, 1, 2, 0}};
  return m.ToObject();
}

TColor At(const TEngine3D& e, int x, int y) { return PixelAt(e.Image(), x, y); }

int CountNonBlack(const QImage& img) {
  int n = 0;
  for (int y = 0; y < img.height(); ++y)
    for (int x = 0; x < img.width(); ++x) n += (img.pixel(x, y) & 0xFFFFFF) != 0;
  return n;
}

}  // namespace

TEST(Engine3D, ProjectionAndPerspectiveSettings) {
  TEngine3D e;
  e.SetCamera(0, 0, -20);
  TObject3DList none;
  e.Render(100, 80, rsPoint);  // sets the centre (50, 40)
  const TProjVertex3D p = e.ProjectVertex({10, 10, 0});
  EXPECT_TRUE(p.InFront);
  EXPECT_EQ(p.X, 55);
  EXPECT_EQ(p.Y, 35);
  // Z' - camera Z below 1: behind the viewer.
  EXPECT_FALSE(e.ProjectVertex({0, 0, -1000}).InFront);
  EXPECT_FALSE(e.ProjectVertex({0, 0, std::nanf("")}).InFront);
  e.SetPerspectRatio(0);
  EXPECT_EQ(e.PerspectRatio(), 1);
  e.SetPerspectRatio(500);
  EXPECT_EQ(e.PerspectRatio(), 100);
  e.SetAmbient(RGB(1, 2, 3));
  EXPECT_EQ(e.GetAmbient(), TColor(1 + 2 * 256 + 3 * 65536));
  EXPECT_EQ(TEngine3D::FramesPerSecond(0), 30.0);
  EXPECT_DOUBLE_EQ(TEngine3D::FramesPerSecond(20'000'000), 50.0);
}

TEST(Engine3D, ObjectTransforms) {
  TObject3D o;
  const TVertex3D v[1] = {{0, 1, 0}};
  o.SetVertices(v, 1);
  o.RotateX(0, 1);  // 90 degrees: y' = z, z' = -y
  EXPECT_NEAR(o.LocalVertices.GetItem(0).Z, -1, 1e-6);
  o.RotateY(0, 1);
  o.RotateZ(1, 0);
  o.SetPosition(1, 2, 3);
  o.Translate(1, 1, 1);
  o.UpdateWorld();
  const TVertex3D w = o.WorldVertices.GetItem(0);
  EXPECT_NEAR(w.X, 2 + 1, 1e-6);  // x' = x cos - z sin = 1
  EXPECT_NEAR(w.Y, 3, 1e-6);
  EXPECT_NEAR(w.Z, 4, 1e-6);
  const float m[12] = {1, 0, 0, 0, 1, 0, 0, 0, 1, 7, 8, 9};
  o.SetMatrix(m);
  EXPECT_EQ(o.Position.Y, 8.0f);
}

TEST(Engine3D, EmptyOrInvisibleSceneRendersBlack) {
  TEngine3D e;
  TObject3DList list;
  list.push_back(Tri({-50, -50, 0}, {50, -50, 0}, {0, 50, 0}));
  list[0]->Visible = false;
  e.PrepareScene(list);
  EXPECT_EQ(e.FaceCount(), 0);
  e.Render(60, 40, rsFlatSolid);
  EXPECT_EQ(CountNonBlack(e.Image()), 0);
  EXPECT_FALSE(e.Busy());
}

TEST(Engine3D, WireframeDrawsTwoEdgesOfATriangle) {
  TEngine3D e;
  TObject3DList list;
  // Camera at -20: divisor 2 at Z = 0. Screen corners (10,10) (50,10) (10,50) in a 60x60 image.
  list.push_back(Tri({-40, 40, 0}, {40, 40, 0}, {-40, -40, 0}));
  e.PrepareScene(list);
  e.Render(60, 60, rsWireFrame);
  EXPECT_EQ(At(e, 30, 10), clWhite);  // A-B
  EXPECT_EQ(At(e, 30, 30), clWhite);  // B-C
  EXPECT_EQ(At(e, 10, 30), clBlack);  // C-A is not drawn
  EXPECT_EQ(At(e, 50, 10), clWhite);
  EXPECT_EQ(At(e, 10, 50), clBlack);  // last pixel of the polyline left out
}

TEST(Engine3D, FacesBehindTheCameraVanish) {
  TEngine3D e;
  TObject3DList list;
  list.push_back(Tri({-40, 40, 0}, {40, 40, 0}, {-40, -40, -5000}));
  e.PrepareScene(list);
  for (int level = rsWireFrame; level <= rlFacingShade; ++level) {
    e.Render(60, 60, level);
    EXPECT_EQ(CountNonBlack(e.Image()), 0) << level;
  }
  e.Render(60, 60, rsPoint);
  EXPECT_EQ(CountNonBlack(e.Image()), 2);
}

TEST(Engine3D, FillTriangleColoursAndEdges) {
  TEngine3D e;
  e.Render(40, 30, rsPoint);  // a 40x30 buffer
  // Equal colours: each channel reduced to a multiple of 3.
  e.FillTriangle({0, 0}, {39, 0}, {0, 29}, RGB(254, 10, 0), RGB(254, 10, 0), RGB(254, 10, 0));
  EXPECT_EQ(At(e, 5, 5), RGB(252, 9, 0));
  // Row 0 is the upper row of the triangle and stays out; column 0 is drawn.
  EXPECT_EQ(At(e, 0, 5), RGB(252, 9, 0));
  EXPECT_EQ(At(e, 5, 0), clBlack);
  // A Gouraud triangle with a corner at x = 0 and one at y = 0 is drawn,
  // red at the left, blue at the right, every channel in range.
  e.Render(40, 30, rsPoint);
  e.FillTriangle({0, 29}, {39, 29}, {0, 0}, clRed, clBlue, clRed);
  const TColor left = At(e, 1, 20), right = At(e, 12, 28);
  EXPECT_GT(GetRValue(left), 200);
  EXPECT_LT(GetBValue(left), 50);
  EXPECT_GT(GetBValue(right), GetBValue(left));
  EXPECT_GT(CountNonBlack(e.Image()), 500);
  // Degenerate (no area) and far outside triangles: no crash, nothing odd.
  e.FillTriangle({5, 5}, {10, 10}, {15, 15}, clRed, clLime, clBlue);
  e.FillTriangle({-1000000000, 5}, {1000000000, 6}, {3, -1000000000}, clRed, clLime, clBlue);
  e.Line(-1000000000, -999999999, 1000000000, 1000000001, clWhite);
}

TEST(Engine3D, TallBitmapsAreFilledToTheBottom) {
  TEngine3D e;
  e.Render(8, 3000, rsPoint);
  e.FillTriangle({0, -10}, {7, -10}, {4, 2999}, clWhite, clWhite, clWhite);
  EXPECT_EQ(At(e, 4, 2500), RGB(255, 255, 255));
  EXPECT_EQ(At(e, 4, 2998), RGB(255, 255, 255));
}

TEST(Engine3D, DepthSortDrawsTheNearestFaceLast) {
  TEngine3D e;
  TObject3DList list;
  // Two overlapping triangles; the one with smaller Z is nearer.
  list.push_back(Tri({-40, 40, 0}, {40, 40, 0}, {-40, -40, 0}));
  list.push_back(Tri({-40, 40, -200}, {40, 40, -200}, {-40, -40, -200}));
  list.push_back(Tri({-40, 40, 300}, {40, 40, 300}, {-40, -40, 300}));
  e.PrepareScene(list);
  e.Render(200, 200, rsDepthSolid);
  // Depth -200: F = 100 / (-199.998 + 360) ~ 0.625: white with white ambient clamps to 255.
  // What matters is which one is on top: the nearest covers the centre.
  e.SetAmbient(clBlack);
  e.Render(200, 200, rsDepthSolid);
  const int nearShade = ClampToInt(std::nearbyint(255 * 100 / (-200 * 0.33333f * 3 + 360)));
  EXPECT_NEAR(GetRValue(At(e, 95, 95)), nearShade, 1);
}

// Drawn in bands by several threads, every level gives the picture of one
// thread pixel for pixel: faces across band edges and off the frame, equal
// depths, culling on and off, heights that are no multiple of a band, and
// the pool resized between frames.
TEST(Engine3D, BandedFramesMatchOneThreadOnEveryLevel) {
  struct Case {
    int W, H;
    bool Cull;
    float ShiftX;
  } const cases[] = {{640, 480, false, 0}, {301, 777, true, 0}, {1280, 1024, false, 250}};
  TObject3DList list;
  list.push_back(MakeSphere3D("a", 260, 6000).ToObject());
  list.push_back(MakeSphere3D("b", 120, 1500).ToObject());
  const float c = std::cos(0.3f), s = std::sin(0.3f);
  for (auto& o : list) o->RotateX(c, s);
  TEngine3D one, banded;
  one.SetThreadCount(1);
  one.SetAmbient(RGB(40, 50, 60));
  banded.SetAmbient(RGB(40, 50, 60));
  for (const Case& k : cases) {
    list[0]->SetPosition(k.ShiftX, 0, 0);
    list[1]->SetPosition(k.ShiftX + 200, -150, -100);
    for (auto& o : list) o->UpdateWorld();
    one.PrepareScene(list);
    banded.PrepareScene(list);
    one.SetCullBackFaces(k.Cull);
    banded.SetCullBackFaces(k.Cull);
    for (int level = rsPoint; level <= rlLastLevel; ++level) {
      one.Render(k.W, k.H, level);
      for (int threads : {2, 3}) {
        banded.SetThreadCount(threads);
        banded.Render(k.W, k.H, level);
        ASSERT_TRUE(banded.Image() == one.Image()) << k.W << "x" << k.H << " level " << level << ", " << threads;
      }
    }
  }
  EXPECT_GT(CountNonBlack(one.Image()), 50000);
}

TEST(Engine3D, ScenesOfMoreThan65535VerticesKeepTheirFaces) {
  TEngine3D e;
  TObject3DList list;
  for (int k = 0; k < 3; ++k) {
    TMesh3D m = MakeSphere3D("s", 10, 50000);  // about 25 000 vertices each
    m.Translate(0, 0, 5000);                   // far away, tiny
    list.push_back(m.ToObject());
  }
  // The last object's triangle lies beyond vertex 65 535 of the scene.
  list.push_back(Tri({-40, 40, 0}, {40, 40, 0}, {-40, -40, 0}));
  e.PrepareScene(list);
  ASSERT_GT(e.VertexCount(), 70000);
  const TFaceRecord3D& last = e.FaceBuffer().back();
  EXPECT_EQ(last.A, std::uint32_t(e.VertexCount() - 3));
  e.Render(60, 60, rsFlatSolid);
  EXPECT_EQ(At(e, 20, 20), clWhite);
}

TEST(Engine3D, UpdateFollowsTransformsAndVisibility) {
  TEngine3D e;
  TObject3DList list;
  list.push_back(Tri({-40, 40, 0}, {40, 40, 0}, {-40, -40, 0}));
  e.PrepareScene(list);
  list[0]->Translate(100, 0, 0);
  list[0]->UpdateWorld();
  e.UpdateScene(list);
  e.Render(200, 60, rsFlatSolid);
  EXPECT_EQ(At(e, 140, 20), clWhite);
  EXPECT_EQ(At(e, 90, 20), clBlack);
  list[0]->Visible = false;
  e.UpdateScene(list);
  EXPECT_EQ(e.FaceCount(), 0);
}

TEST(Engine3D, ShadingRules) {
  TEngine3D e;
  EXPECT_EQ(e.Shade(clWhite, 0.5), clWhite);  // white ambient clamps
  e.SetAmbient(clBlack);
  EXPECT_EQ(e.Shade(RGB(100, 200, 10), 0.5), RGB(50, 100, 5));
  EXPECT_EQ(TEngine3D::ShadeNoAmbient(RGB(100, 200, 255), 2), RGB(200, 255, 255));
  EXPECT_EQ(TEngine3D::ShadeNoAmbient(clWhite, std::nan("")), clBlack);
  // Facing the viewer (no depth extent): white; edge-on: dark.
  TObject3DList list;
  list.push_back(Tri({0, 0, 0}, {10, 0, 0}, {0, 10, 0}));
  list.push_back(Tri({0, 0, 0}, {0.1f, 0, 10}, {0, 0.1f, 10}));
  e.PrepareScene(list);
  EXPECT_EQ(e.FacingFactor(e.FaceBuffer()[0]), clWhite);
  EXPECT_LT(GetRValue(e.FacingFactor(e.FaceBuffer()[1])), 20);
}

TEST(Engine3D, EveryLevelDrawsASphereAndHugeCoordinatesAreSafe) {
  TEngine3D e;
  TObject3DList list;
  list.push_back(MakeSphere3D("s", 100, 2000).ToObject());
  e.PrepareScene(list);
  for (int level = rsPoint; level <= rlFacingShade; ++level) {
    e.Render(320, 240, level);
    EXPECT_GT(CountNonBlack(e.Image()), level == rsPoint ? 200 : 3000) << level;
    EXPECT_GE(e.LastTimes().DrawMs, 0);
  }
  TMesh3D huge;
  huge.Vertices = {{3e38f, 3e38f, 0}, {-3e38f, 3e38f, 0}, {0, -3e38f, 3e38f}};
  huge.Faces = {{0, 1, 2, 0}};
  list.push_back(huge.ToObject());
  list.back()->RotateX(0.7f, 0.7f);  // overflows to infinity
  list.back()->UpdateWorld();
  e.PrepareScene(list);
  QElapsedTimer t;
  t.start();
  for (int level = rsPoint; level <= rlFacingShade; ++level) e.Render(320, 240, level);
  EXPECT_LT(t.elapsed(), 1000);
}

// For a device of ratio 2 the frame has the device's pixels: the scene fills
// the same logical area (its box doubled), points and lines are two pixels
// thick (about four times the lit pixels of 1x, where thin ones give two),
// the picture has detail of its own instead of being the 1x frame enlarged,
// and threads sharing its bands draw what one thread draws.
TEST(Engine3D, AtRatio2EveryLevelDrawsTheDevicePixels) {
  TObject3DList list;
  list.push_back(MakeSphere3D("s", 100, 600).ToObject());
  list[0]->RotateX(std::cos(0.4f), std::sin(0.4f));
  list[0]->UpdateWorld();
  TEngine3D e, one;
  e.SetThreadCount(3);
  one.SetThreadCount(1);
  e.PrepareScene(list);
  one.PrepareScene(list);
  const HiDpi::Ink lit = [](QRgb p) { return (p & 0xFFFFFF) != 0; };
  const QRect logical(0, 0, 301, 257);
  for (int level = rsPoint; level <= rlLastLevel; ++level) {
    SCOPED_TRACE(level);
    e.Render(logical.width(), logical.height(), level);
    const QImage at1 = e.Image().copy();
    e.Render(logical.width(), logical.height(), level, 2);
    QImage at2 = e.Image().copy();
    EXPECT_EQ(at2.devicePixelRatio(), 2);
    one.Render(logical.width(), logical.height(), level, 2);
    EXPECT_TRUE(one.Image() == at2);
    at2.setDevicePixelRatio(1);
    ASSERT_EQ(at2.size(), logical.size() * 2);
    const QRect b1 = HiDpi::InkBox(at1, logical, 1, lit), b2 = HiDpi::InkBox(at2, logical, 2, lit);
    ASSERT_FALSE(b1.isEmpty());
    // Level 2 outlines its white faces in black on the black ground: where
    // faces are thinner than their outlines (the silhouette) neither ratio
    // shows ink, so its box is no measure.
    if (level != rsFlatSolid) {
      EXPECT_NEAR(b2.left(), 2 * b1.left(), 2);
      EXPECT_NEAR(b2.top(), 2 * b1.top(), 2);
      EXPECT_NEAR(b2.right() + 1, 2 * (b1.right() + 1), 2);
      EXPECT_NEAR(b2.bottom() + 1, 2 * (b1.bottom() + 1), 2);
    }
    const double more = double(CountNonBlack(at2)) / CountNonBlack(at1);
    EXPECT_GT(more, 3.2);
    EXPECT_LT(more, 4.8);
    EXPECT_GT(HiDpi::Detail(at1, at2, logical), 0.001);
  }
}
