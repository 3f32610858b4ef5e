#pragma once
// The software 3D engine: mesh objects with in-place transforms, and a small
// renderer that gathers the visible meshes into flat buffers, projects them
// with a simple perspective, sorts the triangles by depth (painter's
// algorithm) and fills them into an off-screen bitmap at one of six levels,
// from dots to Gouraud-shaded faces.

#include <QImage>
#include <QObject>
#include <QString>
#include <cstdint>
#include <memory>
#include <vector>

#include "DtType3D.h"
#include <Tarnwell/platform/TColor.h>
#include <Tarnwell/platform/TTypes.h>
#include <Tarnwell/TarnwellExport.h>

namespace Tarnwell {

// One object of a 3D scene: its mesh (vertices and faces), its place in the object tree and whether
// it is shown.
class TARNWELL_SPACE3DENGINE_EXPORT TObject3D {
 public:
  TObject3D() = default;
  TObject3D(const TObject3D&) = delete;
  TObject3D& operator=(const TObject3D&) = delete;

  TVertex3D Position;                             // added to every local vertex
  float Matrix[9] = {1, 0, 0, 0, 1, 0, 0, 0, 1};  // the file's mesh matrix, kept, not applied
  TVertex3DList LocalVertices;
  TObject3D* ParentObject = nullptr;
  QString ObjectName;
  bool Visible = false;
  TFaceVert3DList Faces;
  TFacePara3DList FaceParams;
  TVertex3DList WorldVertices;  // LocalVertices + Position, same order

  void SetVertices(const TVertex3D* source, int count);
  void SetFaces(const TFaceVert3D* source, int count);
  // 12 floats: the 3x3 matrix followed by the origin, which becomes Position.
  void SetMatrix(const float* source);
  void SetPosition(float x, float y, float z) { Position = {x, y, z}; }
  void ResetPosition() { Position = {0, 0, 0}; }
  void Translate(float dx, float dy, float dz);
  // Rotate the local vertices in place by an angle given as its cosine and sine.
  void RotateX(float cosA, float sinA);
  void RotateY(float cosA, float sinA);
  void RotateZ(float cosA, float sinA);
  // Recomputes WorldVertices; call after rotating or translating.
  void UpdateWorld();
};

using TObject3DList = std::vector<std::unique_ptr<TObject3D>>;

// The levels with a name; registered so that a property of this type takes
// "rsWireFrame" as well as 1.
namespace Space3DTypes {
Q_NAMESPACE_EXPORT(TARNWELL_SPACE3DENGINE_EXPORT)
// rsZBuffered (level 6) follows the five classic levels and the unnamed
// sixth: per-pixel depth instead of the painter's order, lit by an ambient
// share and a directional light.
enum TRenderStyle { rsPoint, rsWireFrame, rsFlatSolid, rsDepthSolid, rsDepthShade, rsZBuffered = 6 };
Q_ENUM_NS(TRenderStyle)
}  // namespace Space3DTypes
using namespace Space3DTypes;

// The sixth level: faces shaded by how squarely they face the viewer.
constexpr int rlFacingShade = 5;
constexpr int rlZBuffered = rsZBuffered;
constexpr int rlLastLevel = rlZBuffered;

// A vertex projected onto the screen: its pixel position, and whether it lies in front of
// the camera.
struct TARNWELL_SPACE3DENGINE_EXPORT TProjVertex3D {
  int X = 0, Y = 0;
  bool InFront = false;
};

// A face of the whole scene: indexes into the scene's vertex buffer (32-bit,
// so that a scene may hold more than 65 535 vertices).
struct TARNWELL_SPACE3DENGINE_EXPORT TFaceRecord3D {
  std::uint32_t A = 0, B = 0, C = 0;
  std::uint16_t Flags = 0;
  float Depth = 0;
};

// The off-screen surface: a 32-bit RGB image of the target's size and two
// edge tables, one entry per scanline of that image, for code that scans
// triangles of its own (the engine's filler works out its spans row by row
// and leaves them alone).
class TARNWELL_SPACE3DENGINE_EXPORT TBitmapBuffer3D {
 public:
  // Makes the image width x height (rebuilding only on a change) and, unless
  // clear is false, clears it to black. Returns false for an empty size.
  bool Prepare(int width, int height, bool clear = true);
  // The image's device pixels per logical pixel (1 unless a frame was
  // rendered for a high-density device).
  void SetPixelRatio(double ratio);
  void Release();
  int Width() const { return mWidth; }
  int Height() const { return mHeight; }
  int Stride() const { return mWidth; }  // in pixels
  std::uint32_t* Bits() { return mWidth > 0 ? reinterpret_cast<std::uint32_t*>(mImage.bits()) : nullptr; }
  const QImage& Image() const { return mImage; }

  static constexpr int kEmpty = INT32_MIN;
  std::vector<int> Edge1, Edge2;

 private:
  QImage mImage;
  int mWidth = 0, mHeight = 0;
};

// How long the parts of the last frame took, in milliseconds: projection, depth sorting and
// drawing.
struct TARNWELL_SPACE3DENGINE_EXPORT TRenderTimes3D {
  double ProjectMs = 0, SortMs = 0, DrawMs = 0;
};

class TRenderPool3D;
struct TRasterTarget3D;

// The software 3D engine: transforms, depth-sorts, shades and fills the faces of a scene into a
// bitmap, from wire frame to a lit depth buffer.
class TARNWELL_SPACE3DENGINE_EXPORT TEngine3D {
 public:
  TEngine3D();
  ~TEngine3D();
  TEngine3D(const TEngine3D&) = delete;
  TEngine3D& operator=(const TEngine3D&) = delete;

  void SetCamera(float x, float y, float z) { mCamera = {x, y, z}; }
  TVertex3D Camera() const { return mCamera; }
  // Clamped to 1..100.
  void SetPerspectRatio(int n);
  int PerspectRatio() const { return mPerspectRatio; }
  void SetPerspectActive(bool on) { mPerspectActive = on; }
  bool PerspectActive() const { return mPerspectActive; }
  void SetAmbient(TColor c);
  TColor GetAmbient() const;
  bool Busy() const { return mBusy; }
  // Faces turned away from the camera (clockwise on the screen, for meshes
  // wound counter-clockwise seen from outside) are left out of levels 1..6.
  void SetCullBackFaces(bool on) { mCullBackFaces = on; }
  bool CullBackFaces() const { return mCullBackFaces; }
  // How many threads draw a frame, sharing out its bands of rows: 1
  // draws on the calling thread alone; 0 (the default) takes one a core, at
  // most kAutoThreads. The picture is the same whatever the count. Clamped
  // to 0..kMaxThreads; the threads start with the next frame.
  void SetThreadCount(int n);
  int ThreadCount() const { return mThreadCount; }
  // The threads the next frame is drawn with: the setting, or for 0 what
  // this machine has (1 on a single core).
  int EffectiveThreadCount() const;
  static constexpr int kAutoThreads = 4, kMaxThreads = 16;

  // Gathers the visible objects of the list into the scene buffers. The
  // engine keeps a reference to the list until ReleaseScene.
  void PrepareScene(const TObject3DList& objects);
  // After rotations and translations: refreshes vertices and projections,
  // rebuilding the scene when its shape (the visible meshes) changed.
  void UpdateScene(const TObject3DList& objects);
  void ReleaseScene();

  // Renders one frame of width x height at the level (0..6) into the buffer
  // and returns the frame rate that frame allows.
  double Render(int width, int height, int level) { return Render(width, height, level, 1.0); }
  // The same frame for a device of `ratio` device pixels per logical pixel:
  // the buffer is width x height times the ratio (rounded; the image's
  // devicePixelRatio set), the projection is scaled by the ratio, so that
  // the scene fills the same logical area, and points and lines are the
  // ratio (rounded) pixels thick. A ratio of 1, or one that is not positive,
  // renders exactly the frame of the call above.
  double Render(int width, int height, int level, double ratio);
  // The device pixels per logical pixel of the last frame.
  double PixelRatio() const { return mRatio; }
  const QImage& Image() const { return mBuffer.Image(); }
  TBitmapBuffer3D& Buffer() { return mBuffer; }
  const TRenderTimes3D& LastTimes() const { return mTimes; }

  int VertexCount() const { return mVertexCount; }
  int FaceCount() const { return mFaceCount; }
  const std::vector<TProjVertex3D>& Projected() const { return mProjected; }
  const std::vector<TFaceRecord3D>& FaceBuffer() const { return mFaces; }

  TProjVertex3D ProjectVertex(const TVertex3D& v) const;
  // min(255, round((c + 2 ambient) * f)) per channel.
  TColor Shade(TColor color, double f) const;
  static TColor ShadeNoAmbient(TColor color, double f);
  TColor FacingFactor(const TFaceRecord3D& face) const;
  // Frame rate from a frame's duration; a frame too short to measure counts 30.
  static double FramesPerSecond(std::int64_t nsecs);

  // Drawing into the buffer (public for the tests; Render uses them).
  void FillTriangle(TPoint p0, TPoint p1, TPoint p2, TColor c0, TColor c1, TColor c2);
  void FillFlat(TPoint p0, TPoint p1, TPoint p2, TColor c);
  // As FillTriangle, but each pixel is written only when it is nearer than
  // what the depth buffer holds there; d0..d2 are the corners' inverse
  // camera distances, which are linear on the screen.
  void FillTriangleDepth(TPoint p0, TPoint p1, TPoint p2, TColor c0, TColor c1, TColor c2, float d0, float d1,
                         float d2);
  // The level-6 colour of a face: the light colour (the ambient setting)
  // times an ambient share plus a directional share, never saturating.
  TColor LitColor(const TFaceRecord3D& face) const;
  // Clears the depth buffer for a frame of the bitmap's size.
  void ClearDepth();
  // A line without its last pixel.
  void Line(int x0, int y0, int x1, int y1, TColor c);

 private:
  struct TSceneEntry {
    const TObject3D* Object;
    int Vertices, Faces;
  };
  bool SceneShapeMatches(const TObject3DList& objects) const;
  void CopyVertices(const TObject3DList& objects);
  void ProjectAll();
  void SortFaces();
  struct TFaceSetup;
  // Runs job(lo, hi, slice) over SliceCount(n) slices of 0..n, on the pool
  // when there is one.
  int SliceCount(std::size_t n) const;
  template <class Job>
  void ForSlices(std::size_t n, Job&& job);
  // Returns the units the frame is drawn in: fewer when the bins cannot be had.
  int PrepareLevel(int level, int units);
  void SetupFace(int level, std::size_t order);
  void DrawBands(int level, const TRasterTarget3D& frame, int unit, int units);
  void DrawFace(int level, const TFaceSetup& s, const TRasterTarget3D& rows);
  TRasterTarget3D Frame();
  double VertexFactor(float z) const;
  float InverseDepth(const TVertex3D& v) const;
  bool FacesAway(TPoint a, TPoint b, TPoint c) const;

  TBitmapBuffer3D mBuffer;
  TVertex3D mCamera{0, 0, -20};
  bool mPerspectActive = true;
  int mPerspectRatio = 10;
  std::uint8_t mAmbient[3] = {255, 255, 255};  // red, green, blue
  bool mBusy = false;
  bool mCullBackFaces = false;
  std::vector<float> mDepth;  // per pixel: inverse camera distance, 0 = empty
  int mCentreX = 0, mCentreY = 0;
  // The frame's ratio: the pixels a unit spans at distance 1 (10 at ratio
  // 1), and the thickness of points and lines in pixels.
  double mRatio = 1;
  float mUnitPixels = 10.0f;
  int mThickness = 1;
  const TObject3DList* mObjects = nullptr;
  std::vector<TSceneEntry> mScene;
  int mVertexCount = 0, mFaceCount = 0;
  std::vector<TVertex3D> mVertices;
  std::vector<TProjVertex3D> mProjected;
  std::vector<TFaceRecord3D> mFaces;
  std::vector<std::uint32_t> mSortList;
  std::vector<std::uint64_t> mSortKeys, mSortTmp;
  // Per vertex, for the level being drawn: the shade factor (levels 4, 5),
  // the shaded colour (level 4) or the inverse depth (level 6).
  std::vector<double> mVertexFactor;
  std::vector<TColor> mVertexColor;
  std::vector<float> mVertexDepth;
  std::vector<TFaceSetup> mSetup;  // in drawing order
  // For a frame drawn in several units (one band of rows each), the bins:
  // mBinFaces[mBinStart[u] .. mBinStart[u + 1]) holds copies of the faces of
  // mSetup with rows in unit u's band, in drawing order. mBinCount holds, per
  // slice and unit, first a count and then where that slice's part begins.
  std::vector<TFaceSetup> mBinFaces;
  std::vector<std::uint32_t> mBinCount;
  std::vector<std::size_t> mBinStart;
  int mBinSlices = 0;
  TRenderTimes3D mTimes;
  int mThreadCount = 0;
  std::unique_ptr<TRenderPool3D> mPool;
};

}  // namespace Tarnwell
