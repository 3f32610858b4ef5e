#include "Engine3D.h"
#include "Engine3D_p.h"

#include <QElapsedTimer>
#include <algorithm>
#include <climits>
#include <cmath>
#include <cstring>
#include <new>
#include <thread>

#if defined(__SSE2__) || defined(_M_X64)
#include <emmintrin.h>
#define TW_ENGINE3D_SSE2 1
#endif

namespace Tarnwell {

// ---------------------------------------------------------------- TObject3D

void TObject3D::SetVertices(const TVertex3D* source, int count) {
  LocalVertices.SetData(source, count, sizeof(TVertex3D));
  WorldVertices.SetData(source, count, sizeof(TVertex3D));
}

void TObject3D::SetFaces(const TFaceVert3D* source, int count) {
  Faces.SetData(source, count, sizeof(TFaceVert3D));
}

void TObject3D::SetMatrix(const float* source) {
  std::memcpy(Matrix, source, sizeof Matrix);
  Position = {source[9], source[10], source[11]};
}

void TObject3D::Translate(float dx, float dy, float dz) {
  Position.X += dx;
  Position.Y += dy;
  Position.Z += dz;
}

void TObject3D::RotateX(float c, float s) {
  TVertex3D* v = LocalVertices.Data();
  for (int i = 0, n = LocalVertices.Count(); i < n; ++i) {
    const float y = v[i].Y, z = v[i].Z;
    v[i].Y = y * c + z * s;
    v[i].Z = -y * s + z * c;
  }
}

void TObject3D::RotateY(float c, float s) {
  TVertex3D* v = LocalVertices.Data();
  for (int i = 0, n = LocalVertices.Count(); i < n; ++i) {
    const float x = v[i].X, z = v[i].Z;
    v[i].X = x * c - z * s;
    v[i].Z = x * s + z * c;
  }
}

void TObject3D::RotateZ(float c, float s) {
  TVertex3D* v = LocalVertices.Data();
  for (int i = 0, n = LocalVertices.Count(); i < n; ++i) {
    const float x = v[i].X, y = v[i].Y;
    v[i].X = x * c + y * s;
    v[i].Y = -x * s + y * c;
  }
}

void TObject3D::UpdateWorld() {
  const int n = std::min(LocalVertices.Count(), WorldVertices.Count());
  const TVertex3D* l = LocalVertices.Data();
  TVertex3D* w = WorldVertices.Data();
  for (int i = 0; i < n; ++i) w[i] = {l[i].X + Position.X, l[i].Y + Position.Y, l[i].Z + Position.Z};
}

// ---------------------------------------------------------- TBitmapBuffer3D

bool TBitmapBuffer3D::Prepare(int width, int height, bool clear) {
  if (width <= 0 || height <= 0) {
    Release();
    return false;
  }
  if (width != mWidth || height != mHeight) {
    mImage = QImage(width, height, QImage::Format_RGB32);
    if (mImage.isNull()) {
      Release();
      return false;
    }
    mWidth = width;
    mHeight = height;
    // One entry per real scanline, whatever the height.
    Edge1.assign(std::size_t(height), kEmpty);
    Edge2.assign(std::size_t(height), kEmpty);
  }
  if (clear) mImage.fill(0xFF000000u);
  return true;
}

void TBitmapBuffer3D::SetPixelRatio(double ratio) {
  if (!mImage.isNull() && mImage.devicePixelRatio() != ratio) mImage.setDevicePixelRatio(ratio);
}

void TBitmapBuffer3D::Release() {
  mImage = QImage();
  mWidth = mHeight = 0;
  Edge1.clear();
  Edge2.clear();
}

// ---------------------------------------------------------------- TEngine3D

namespace {

constexpr std::uint32_t kWhitePixel = 0xFFFFFFFFu;
constexpr double kCoordLimit = double(1 << 29);

inline std::uint32_t ToPixel(TColor c) {
  return 0xFF000000u | (std::uint32_t(GetRValue(c)) << 16) | (std::uint32_t(GetGValue(c)) << 8) |
         std::uint32_t(GetBValue(c));
}

// int(std::nearbyint(v)) for v well inside the int range: the conversion
// instruction rounds by the same mode, without the library call that once
// took a tenth of a frame.
inline int RoundToInt(double v) {
#ifdef TW_ENGINE3D_SSE2
  return _mm_cvtsd_si32(_mm_set_sd(v));
#else
  return int(std::nearbyint(v));
#endif
}

// Screen coordinates stay far inside the int range so that differences of
// two of them never overflow.
inline int ScreenRound(double v) {
  if (std::isnan(v)) return 0;
  v = std::clamp(v, -kCoordLimit, kCoordLimit);
  return RoundToInt(v);
}

inline int ClampChannel(double v) {
  if (!(v > 0)) return 0;  // NaN included
  if (v >= 255) return 255;
  return RoundToInt(v);
}

// |atan(x)| within 1e-5: the library's atan dominated the facing shade.
inline double AbsAtan(double x) {
  x = std::fabs(x);
  const bool inverted = x > 1;
  if (inverted) x = 1 / x;
  const double x2 = x * x;
  const double a =
      x * (0.99997726 + x2 * (-0.33262347 +
                              x2 * (0.19354346 + x2 * (-0.11643287 + x2 * (0.05265332 + x2 * -0.01172120)))));
  return inverted ? 1.5707963267948966 - a : a;
}

inline std::uint32_t SortableKey(float f) {
  std::uint32_t u;
  std::memcpy(&u, &f, sizeof u);
  return (u & 0x80000000u) ? ~u : (u | 0x80000000u);
}

}  // namespace

// A face ready to draw: its corners on the screen, their colours (and
// inverse depths for level 6) and the rows its fill and outline touch.
// Complete here, before the constructor and destructor that build and free
// the engine's vector of them.
struct TEngine3D::TFaceSetup {
  TPoint P[3];
  TColor C[3];
  float D[3];
  int Top = 1, Bottom = 0;  // its rows inside the frame; Top > Bottom: none
};

TEngine3D::TEngine3D() = default;

TEngine3D::~TEngine3D() { ReleaseScene(); }

void TEngine3D::SetPerspectRatio(int n) { mPerspectRatio = std::clamp(n, 1, 100); }

void TEngine3D::SetAmbient(TColor c) {
  mAmbient[0] = std::uint8_t(GetRValue(c));
  mAmbient[1] = std::uint8_t(GetGValue(c));
  mAmbient[2] = std::uint8_t(GetBValue(c));
}

TColor TEngine3D::GetAmbient() const { return RGB(mAmbient[0], mAmbient[1], mAmbient[2]); }

TColor TEngine3D::Shade(TColor color, double f) const {
  return RGB(ClampChannel((GetRValue(color) + 2.0 * mAmbient[0]) * f),
             ClampChannel((GetGValue(color) + 2.0 * mAmbient[1]) * f),
             ClampChannel((GetBValue(color) + 2.0 * mAmbient[2]) * f));
}

TColor TEngine3D::ShadeNoAmbient(TColor color, double f) {
  return RGB(ClampChannel(GetRValue(color) * f), ClampChannel(GetGValue(color) * f),
             ClampChannel(GetBValue(color) * f));
}

TColor TEngine3D::FacingFactor(const TFaceRecord3D& face) const {
  const std::size_t n = mVertices.size();
  if (face.A >= n || face.B >= n || face.C >= n) return clWhite;
  const TVertex3D& a = mVertices[face.A];
  const TVertex3D& b = mVertices[face.B];
  const TVertex3D& c = mVertices[face.C];
  auto extent = [](float p, float q, float r) { return std::max({p, q, r}) - std::min({p, q, r}); };
  const double dx = extent(a.X, b.X, c.X), dy = extent(a.Y, b.Y, c.Y), dz = extent(a.Z, b.Z, c.Z);
  if (dz == 0) return clWhite;
  double o = 4 * (AbsAtan(dx / dz) / 1.57) * (AbsAtan(dy / dz) / 1.57);
  if (!(o < 1)) o = 1;
  return ShadeNoAmbient(clWhite, std::sqrt(o));
}

double TEngine3D::FramesPerSecond(std::int64_t nsecs) {
  if (nsecs <= 0) return 30;
  return 1e9 / double(nsecs);
}

TProjVertex3D TEngine3D::ProjectVertex(const TVertex3D& v) const {
  const float zp = mPerspectActive ? v.Z * float(mPerspectRatio) / 500.0f : v.Z / 10000.0f;
  const float d = zp - mCamera.Z;
  TProjVertex3D p;
  p.InFront = d >= 1;  // false for NaN too
  const float divisor = p.InFront ? d / mUnitPixels : 1.0f;
  p.X = ScreenRound(double(v.X / divisor)) + mCentreX;
  p.Y = mCentreY - ScreenRound(double(v.Y / divisor));
  return p;
}

// ------------------------------------------------------------------- scene

void TEngine3D::PrepareScene(const TObject3DList& objects) {
  mObjects = &objects;
  mScene.clear();
  std::int64_t nv = 0, nf = 0;
  for (const auto& o : objects) {
    if (!o || !o->Visible) continue;
    mScene.push_back({o.get(), o->WorldVertices.Count(), o->Faces.Count()});
    nv += o->WorldVertices.Count();
    nf += o->Faces.Count();
  }
  if (nv == 0 || nf == 0 || nv > INT_MAX || nf > INT_MAX) {
    ReleaseScene();
    return;
  }
  try {
    mVertices.resize(std::size_t(nv));
    mProjected.resize(std::size_t(nv));
    mFaces.resize(std::size_t(nf));
  } catch (const std::bad_alloc&) {
    ReleaseScene();
    return;
  }
  mVertexCount = int(nv);
  mFaceCount = int(nf);
  CopyVertices(objects);
  ProjectAll();
  std::size_t f = 0;
  std::uint32_t offset = 0;
  for (const TSceneEntry& e : mScene) {
    const TFaceVert3D* src = e.Object->Faces.Data();
    const std::uint32_t count = std::uint32_t(e.Vertices);
    // An index outside its own object would reach into another mesh: such a
    // face gets an index past the buffer and is skipped when drawn.
    auto map = [&](std::uint16_t i) { return i < count ? offset + i : UINT32_MAX; };
    for (int i = 0; i < e.Faces; ++i, ++f) {
      mFaces[f] = {map(src[i].A), map(src[i].B), map(src[i].C), src[i].Flags, 0.0f};
    }
    offset += count;
  }
}

bool TEngine3D::SceneShapeMatches(const TObject3DList& objects) const {
  if (mObjects != &objects || mScene.empty()) return false;
  std::size_t k = 0;
  for (const auto& o : objects) {
    if (!o || !o->Visible) continue;
    if (k >= mScene.size()) return false;
    const TSceneEntry& e = mScene[k++];
    if (e.Object != o.get() || e.Vertices != o->WorldVertices.Count() || e.Faces != o->Faces.Count())
      return false;
  }
  return k == mScene.size();
}

void TEngine3D::UpdateScene(const TObject3DList& objects) {
  if (!SceneShapeMatches(objects)) {
    PrepareScene(objects);
    return;
  }
  CopyVertices(objects);
  ProjectAll();
}

void TEngine3D::ReleaseScene() {
  mSortList.clear();
  mSortList.shrink_to_fit();
  mVertices = {};
  mProjected = {};
  mFaces = {};
  mVertexFactor = {};
  mVertexColor = {};
  mVertexDepth = {};
  mSetup = {};
  mBinFaces = {};
  mBinStart = {};
  mBinCount = {};
  mBinSlices = 0;
  mScene.clear();
  mVertexCount = mFaceCount = 0;
  mBuffer.Release();
}

void TEngine3D::CopyVertices(const TObject3DList&) {
  std::size_t at = 0;
  for (const TSceneEntry& e : mScene) {
    if (e.Vertices > 0)
      std::memcpy(&mVertices[at], e.Object->WorldVertices.Data(), sizeof(TVertex3D) * e.Vertices);
    at += std::size_t(e.Vertices);
  }
}

// ----------------------------------------------------------------- threads

namespace {

// Rows go out in bands of this many, one unit of work each, claimed by the
// threads one by one: a band's pixels stay in a core's own cache while its
// faces are drawn, and many bands balance a model that covers only part of
// the frame. Most small faces fall in one band.
constexpr int kBandRows = 64;
// Units a thread: more than one, so that a thread woken late finds the
// others have shared its work.
constexpr int kUnitsPerThread = 2;
// Fewer items than this are not worth a slice of their own.
constexpr std::size_t kMinSlice = 2048;

}  // namespace

void TEngine3D::SetThreadCount(int n) {
  mThreadCount = std::clamp(n, 0, kMaxThreads);
  if (mThreadCount == 1) mPool.reset();
}

int TEngine3D::EffectiveThreadCount() const {
  if (mThreadCount > 0) return mThreadCount;
  const int cores = int(std::thread::hardware_concurrency());  // 0 when unknown
  return std::clamp(cores, 1, kAutoThreads);
}

int TEngine3D::SliceCount(std::size_t n) const {
  const int threads = mPool ? mPool->Threads() : 1;
  if (threads <= 1 || n < 2 * kMinSlice) return 1;
  return int(std::min<std::size_t>(std::size_t(threads) * kUnitsPerThread, n / kMinSlice));
}

template <class Job>
void TEngine3D::ForSlices(std::size_t n, Job&& job) {
  const int parts = SliceCount(n);
  if (parts == 1) {
    job(std::size_t(0), n, 0);
    return;
  }
  mPool->Run(parts, [&](int u) {
    job(n * std::size_t(u) / std::size_t(parts), n * std::size_t(u + 1) / std::size_t(parts), u);
  });
}

// ------------------------------------------------------------------- scene

void TEngine3D::ProjectAll() {
  const std::size_t n = std::min(mVertices.size(), mProjected.size());
  ForSlices(n, [this](std::size_t lo, std::size_t hi, int) {
    for (std::size_t i = lo; i < hi; ++i) mProjected[i] = ProjectVertex(mVertices[i]);
  });
}

// Depth of a face: the mean of its vertices' world Z (by the engine's own
// constant, not exactly a third); the farthest face comes first. A radix
// sort keeps this linear for large scenes; the keys hold the face's index,
// so equal depths keep the buffer's order.
void TEngine3D::SortFaces() {
  const std::size_t n = mFaces.size(), nv = mVertices.size();
  mSortKeys.resize(n);
  mSortTmp.resize(n);
  ForSlices(n, [&](std::size_t lo, std::size_t hi, int) {
    for (std::size_t i = lo; i < hi; ++i) {
      TFaceRecord3D& f = mFaces[i];
      if (f.A < nv && f.B < nv && f.C < nv)
        f.Depth = (mVertices[f.A].Z + mVertices[f.B].Z + mVertices[f.C].Z) * 0.33333f;
      else
        f.Depth = 0;
      // Descending by depth: invert the ascending key.
      mSortKeys[i] = (std::uint64_t(~SortableKey(f.Depth)) << 32) | std::uint64_t(i);
    }
  });
  // One thread: slices scattering into the same buckets would write into
  // each other's cache lines at nearly every key.
  constexpr int kBits = 11, kBuckets = 1 << kBits;
  std::uint64_t* src = mSortKeys.data();
  std::uint64_t* dst = mSortTmp.data();
  mSortList.resize(n);
  for (int shift = 32; shift < 64; shift += kBits) {
    std::size_t count[kBuckets + 1] = {};
    for (std::size_t i = 0; i < n; ++i) ++count[((src[i] >> shift) & (kBuckets - 1)) + 1];
    for (int b = 0; b < kBuckets; ++b) count[b + 1] += count[b];
    if (shift + kBits >= 64) {
      // The last pass writes the faces' order straight away.
      for (std::size_t i = 0; i < n; ++i)
        mSortList[count[(src[i] >> shift) & (kBuckets - 1)]++] = std::uint32_t(src[i] & 0xFFFFFFFFu);
      break;
    }
    for (std::size_t i = 0; i < n; ++i) dst[count[(src[i] >> shift) & (kBuckets - 1)]++] = src[i];
    std::swap(src, dst);
  }
}

// ------------------------------------------------------------------ render

TRasterTarget3D TEngine3D::Frame() {
  TRasterTarget3D t;
  t.Bits = mBuffer.Bits();
  t.Width = mBuffer.Width();
  t.Height = mBuffer.Height();
  t.RowHi = t.Bits ? t.Height - 1 : -1;
  t.Depth = mDepth.size() == std::size_t(t.Width) * std::size_t(t.Height) ? mDepth.data() : nullptr;
  return t;
}

double TEngine3D::Render(int width, int height, int level, double ratio) {
  QElapsedTimer clock;  // monotonic
  clock.start();
  mBusy = true;
  mTimes = {};
  // For a high-density device the frame has the device's pixels and the
  // scene is projected that much larger, rather than a logical frame being
  // enlarged by whoever shows it; ratio 1 keeps the classic constants.
  if (!(ratio > 0) || !std::isfinite(ratio)) ratio = 1;
  mRatio = ratio;
  mUnitPixels = ratio == 1 ? 10.0f : float(10.0 * ratio);
  mThickness = std::max(1, int(std::lround(ratio)));
  if (ratio != 1 && width > 0 && height > 0) {
    width = std::max(1, int(std::lround(width * ratio)));
    height = std::max(1, int(std::lround(height * ratio)));
  }
  // The buffer is cleared band by band by the threads that draw the bands.
  if (mBuffer.Prepare(width, height, false)) {
    mBuffer.SetPixelRatio(ratio);
    mCentreX = width / 2;
    mCentreY = height / 2;
    const int threads = EffectiveThreadCount();
    if (threads <= 1) {
      mPool.reset();
    } else if (!mPool || mPool->Requested() != threads) {
      mPool.reset();
      try {
        mPool = std::make_unique<TRenderPool3D>(threads);
      } catch (...) {
        // Without helpers the calling thread draws the frame alone.
      }
    }
    QElapsedTimer step;
    step.start();
    ProjectAll();
    mTimes.ProjectMs = double(step.nsecsElapsed()) / 1e6;
    const bool scene = !mVertices.empty() && !mFaces.empty();
    // The depth buffer needs no order.
    if (scene && level >= rsFlatSolid && level <= rlFacingShade) {
      step.restart();
      SortFaces();
      mTimes.SortMs = double(step.nsecsElapsed()) / 1e6;
    }
    step.restart();
    if (level == rlZBuffered && mDepth.size() != std::size_t(width) * std::size_t(height))
      mDepth.assign(std::size_t(width) * std::size_t(height), 0.0f);
    const int drawn = scene ? level : -1;  // nothing but the clearing
    // A frame of a band or two is not worth the hand-over.
    // Points are too few to share.
    int units = mPool && mPool->Threads() > 1 && height >= 2 * kBandRows && level != rsPoint
                    ? (height + kBandRows - 1) / kBandRows
                    : 1;
    units = PrepareLevel(drawn, units);
    const TRasterTarget3D frame = Frame();
    if (units > 1)
      mPool->Run(units, [&](int u) { DrawBands(drawn, frame, u, units); });
    else
      DrawBands(drawn, frame, 0, 1);
    mTimes.DrawMs = double(step.nsecsElapsed()) / 1e6;
  }
  mBusy = false;
  return FramesPerSecond(clock.nsecsElapsed());
}

double TEngine3D::VertexFactor(float z) const {
  const double f = 100.0 / (double(z) - 18.0 * double(mCamera.Z));
  return f < 0 ? 0.5 : f;
}

float TEngine3D::InverseDepth(const TVertex3D& v) const {
  const float zp = mPerspectActive ? v.Z * float(mPerspectRatio) / 500.0f : v.Z / 10000.0f;
  return 1.0f / (zp - mCamera.Z);  // in front: the distance is at least 1
}

// Seen from the camera (looking along +Z, Y up, screen Y down) a face wound
// counter-clockwise from outside comes out with a positive cross product;
// one with no area is seen edge-on and goes too.
bool TEngine3D::FacesAway(TPoint a, TPoint b, TPoint c) const {
  const std::int64_t cross = std::int64_t(b.x() - a.x()) * (c.y() - a.y()) -
                             std::int64_t(b.y() - a.y()) * (c.x() - a.x());
  return cross <= 0;
}

TColor TEngine3D::LitColor(const TFaceRecord3D& face) const {
  const TVertex3D& a = mVertices[face.A];
  const TVertex3D& b = mVertices[face.B];
  const TVertex3D& c = mVertices[face.C];
  const double ux = b.X - a.X, uy = b.Y - a.Y, uz = b.Z - a.Z;
  const double vx = c.X - a.X, vy = c.Y - a.Y, vz = c.Z - a.Z;
  const double nx = uy * vz - uz * vy, ny = uz * vx - ux * vz, nz = ux * vy - uy * vx;
  const double len = std::sqrt(nx * nx + ny * ny + nz * nz);
  // From above left, behind the viewer (the camera looks along +Z).
  constexpr double lx = -0.37139068, ly = 0.55708601, lz = -0.74278135;
  // Both sides are lit, so that meshes wound either way look alike.
  const double diffuse = len > 0 && std::isfinite(len) ? std::fabs(nx * lx + ny * ly + nz * lz) / len : 0;
  // Ambient and directional shares add up to less than one: a face turned
  // squarely to the light stays below full brightness.
  const double k = 0.25 + 0.70 * diffuse;
  return RGB(ClampChannel(mAmbient[0] * k), ClampChannel(mAmbient[1] * k), ClampChannel(mAmbient[2] * k));
}

void TEngine3D::ClearDepth() {
  const std::size_t n = std::size_t(mBuffer.Width()) * std::size_t(mBuffer.Height());
  if (mDepth.size() != n) mDepth.assign(n, 0.0f);
  else std::fill(mDepth.begin(), mDepth.end(), 0.0f);
}

// What every band needs of a level, worked out once a frame in slices: the
// per-vertex shades, then every face's corners, colours and rows in drawing
// order. Pure functions of the scene, so the threads share them as they are.
int TEngine3D::PrepareLevel(int level, int units) {
  if (level < rsWireFrame || level > rlLastLevel) return units;
  const std::size_t nv = mVertices.size();
  const bool sorted = level >= rsFlatSolid && level <= rlFacingShade;
  try {
    if (level == rsDepthShade) mVertexColor.resize(nv);
    if (level == rlFacingShade) mVertexFactor.resize(nv);
    if (level == rlZBuffered) mVertexDepth.resize(nv);
    const std::size_t n = sorted ? mSortList.size() : mFaces.size();
    mSetup.resize(n);
    if (units > 1) {
      mBinSlices = SliceCount(n);
      mBinCount.assign(std::size_t(mBinSlices) * std::size_t(units), 0);
      mBinStart.resize(std::size_t(units) + 1);
    }
  } catch (const std::bad_alloc&) {
    mSetup.clear();
    return 1;
  }
  if (level == rsDepthShade || level == rlFacingShade || level == rlZBuffered) {
    ForSlices(nv, [&](std::size_t lo, std::size_t hi, int) {
      for (std::size_t i = lo; i < hi; ++i) {
        if (level == rsDepthShade)
          mVertexColor[i] = Shade(clWhite, VertexFactor(mVertices[i].Z));
        else if (level == rlFacingShade)
          mVertexFactor[i] = VertexFactor(mVertices[i].Z);
        else if (mProjected[i].InFront)
          mVertexDepth[i] = InverseDepth(mVertices[i]);
      }
    });
  }
  ForSlices(mSetup.size(), [&](std::size_t lo, std::size_t hi, int slice) {
    std::uint32_t* const counts = units > 1 ? mBinCount.data() + std::size_t(slice) * std::size_t(units) : nullptr;
    for (std::size_t i = lo; i < hi; ++i) {
#if defined(__GNUC__)
      // The sorted order reaches all over the face and vertex buffers: ask
      // for a face a little ahead, and for the corners of one nearer.
      if (sorted && i + 16 < hi) __builtin_prefetch(&mFaces[mSortList[i + 16]]);
      if (i + 8 < hi) {
        const TFaceRecord3D& f = mFaces[sorted ? mSortList[i + 8] : i + 8];
        if (f.A < nv && f.B < nv && f.C < nv) {
          __builtin_prefetch(&mProjected[f.A]);
          __builtin_prefetch(&mProjected[f.B]);
          __builtin_prefetch(&mProjected[f.C]);
          if (level != rsWireFrame && level != rsFlatSolid) {
            __builtin_prefetch(&mVertices[f.A]);
            __builtin_prefetch(&mVertices[f.B]);
            __builtin_prefetch(&mVertices[f.C]);
          }
        }
      }
#endif
      SetupFace(level, i);
      const TFaceSetup& f = mSetup[i];
      if (!counts || f.Top > f.Bottom) continue;
      for (int u = f.Top / kBandRows, last = f.Bottom / kBandRows; u <= last; ++u) ++counts[u];
    }
  });
  if (units <= 1) return units;
  // Each unit's bin holds its slices' parts in slice order, so a band meets
  // the faces in the frame's order; the counts turn into where each part starts.
  std::size_t place = 0;
  for (int u = 0; u < units; ++u) {
    mBinStart[std::size_t(u)] = place;
    for (int p = 0; p < mBinSlices; ++p) {
      std::uint32_t& c = mBinCount[std::size_t(p) * std::size_t(units) + std::size_t(u)];
      const std::size_t k = c;
      c = std::uint32_t(place - mBinStart[std::size_t(u)]);
      place += k;
    }
  }
  mBinStart[std::size_t(units)] = place;
  try {
    mBinFaces.resize(place);
  } catch (const std::bad_alloc&) {
    return 1;
  }
  ForSlices(mSetup.size(), [&](std::size_t lo, std::size_t hi, int slice) {
    std::uint32_t* const at = mBinCount.data() + std::size_t(slice) * std::size_t(units);
    for (std::size_t i = lo; i < hi; ++i) {
      const TFaceSetup& f = mSetup[i];
      if (f.Top > f.Bottom) continue;
      for (int u = f.Top / kBandRows, last = f.Bottom / kBandRows; u <= last; ++u)
        mBinFaces[mBinStart[std::size_t(u)] + at[u]++] = f;
    }
  });
  return units;
}

void TEngine3D::SetupFace(int level, std::size_t order) {
  const bool sorted = level >= rsFlatSolid && level <= rlFacingShade;
  const TFaceRecord3D& f = mFaces[sorted ? mSortList[order] : order];
  TFaceSetup& s = mSetup[order];
  s.Top = 1;
  s.Bottom = 0;
  const std::size_t nv = mProjected.size();
  if (!(f.A < nv && f.B < nv && f.C < nv)) return;
  const TProjVertex3D &a = mProjected[f.A], &b = mProjected[f.B], &c = mProjected[f.C];
  if (!a.InFront || !b.InFront || !c.InFront) return;
  s.P[0] = TPoint(a.X, a.Y);
  s.P[1] = TPoint(b.X, b.Y);
  s.P[2] = TPoint(c.X, c.Y);
  if (mCullBackFaces && FacesAway(s.P[0], s.P[1], s.P[2])) return;
  switch (level) {
    case rsWireFrame:
      s.C[0] = clWhite;
      break;
    case rsFlatSolid:
      s.C[0] = clWhite;
      break;
    case rsDepthSolid: {
      double fd = 100.0 / (double(f.Depth) - 18.0 * double(mCamera.Z));
      if (fd < 0) fd = 0.5;
      s.C[0] = Shade(clWhite, fd);
      break;
    }
    case rsDepthShade:
      s.C[0] = mVertexColor[f.A];
      s.C[1] = mVertexColor[f.B];
      s.C[2] = mVertexColor[f.C];
      break;
    case rlFacingShade: {
      const TColor base = FacingFactor(f);
      s.C[0] = Shade(base, mVertexFactor[f.A]);
      s.C[1] = Shade(base, mVertexFactor[f.B]);
      s.C[2] = Shade(base, mVertexFactor[f.C]);
      break;
    }
    default:
      s.C[0] = s.C[1] = s.C[2] = LitColor(f);
      s.D[0] = mVertexDepth[f.A];
      s.D[1] = mVertexDepth[f.B];
      s.D[2] = mVertexDepth[f.C];
      break;
  }
  s.Top = std::max(std::min({a.Y, b.Y, c.Y}), 0);
  // Thick lines reach below their lowest corner.
  const int below = level == rsWireFrame || level == rsFlatSolid ? mThickness - 1 : 0;
  s.Bottom = std::min(std::max({a.Y, b.Y, c.Y}) + below, mBuffer.Height() - 1);
}

// --------------------------------------------------------------- drawing

namespace {

// A line without its last pixel, only its pixels on the target's rows: the
// general case, with clipping. A line `thick` pixels thick steps each of its
// pixels that many pixels along the minor axis, down or right: on a
// high-density device it covers the pixels its logical line covers.
[[gnu::noinline]] void DrawLineClipped(const TRasterTarget3D& t, int x0, int y0, int x1, int y1, std::uint32_t px,
                                       int thick = 1) {
  const bool xMajor = std::llabs(std::int64_t(x1) - x0) >= std::llabs(std::int64_t(y1) - y0);
  // Walk the major axis one pixel at a time, only over the part inside the
  // rows and columns allowed; the minor coordinate is the rounded exact
  // line (half up), worked out from the start whatever part is walked.
  const std::int64_t ma0 = xMajor ? x0 : y0, ma1 = xMajor ? x1 : y1;
  const std::int64_t mi0 = xMajor ? y0 : x0, mi1 = xMajor ? y1 : x1;
  const std::int64_t majLen = std::llabs(ma1 - ma0);
  if (majLen == 0) return;  // a line to its own start draws nothing
  const int majStep = ma1 > ma0 ? 1 : -1;
  const std::int64_t minLen = std::llabs(mi1 - mi0);
  const int minStep = mi1 > mi0 ? 1 : -1;
  const std::int64_t majLo = xMajor ? 0 : t.RowLo, majHi = xMajor ? t.Width - 1 : t.RowHi;
  const std::int64_t minLo = xMajor ? t.RowLo : 0, minHi = xMajor ? t.RowHi : t.Width - 1;
  std::int64_t iLo, iHi;  // steps from the start, the last pixel excluded
  if (majStep > 0) {
    iLo = std::max<std::int64_t>(0, majLo - ma0);
    iHi = std::min<std::int64_t>(majLen - 1, majHi - ma0);
  } else {
    iLo = std::max<std::int64_t>(0, ma0 - majHi);
    iHi = std::min<std::int64_t>(majLen - 1, ma0 - majLo);
  }
  if (iLo > iHi) return;
  const std::int64_t den = 2 * majLen, rise = 2 * minLen;
  std::int64_t q = 0, r = majLen;  // from the first pixel: no division
  if (iLo > 0) {
    const std::int64_t num = 2 * iLo * minLen + majLen;
    q = num / den;
    r = num % den;
  }
  std::uint32_t* const bits = t.Bits;
  const std::size_t w = std::size_t(t.Width);
  for (std::int64_t i = iLo; i <= iHi; ++i) {
    const std::int64_t ma = ma0 + majStep * i;
    const std::int64_t mi = mi0 + minStep * q;
    if (thick == 1) {
      if (mi >= minLo && mi <= minHi) {
        if (xMajor)
          bits[std::size_t(mi) * w + std::size_t(ma)] = px;
        else
          bits[std::size_t(ma) * w + std::size_t(mi)] = px;
      }
    } else {
      for (std::int64_t m = std::max(mi, minLo), mh = std::min(mi + thick - 1, minHi); m <= mh; ++m) {
        if (xMajor)
          bits[std::size_t(m) * w + std::size_t(ma)] = px;
        else
          bits[std::size_t(ma) * w + std::size_t(m)] = px;
      }
    }
    r += rise;
    if (r >= den) {
      r -= den;
      ++q;
    }
  }
}

// A line without its last pixel, only its pixels on the target's rows;
// `thick` as for DrawLineClipped.
inline void DrawLine(const TRasterTarget3D& t, int x0, int y0, int x1, int y1, std::uint32_t px, int thick = 1) {
  // Most lines of a mesh are short and lie wholly inside the rows drawn:
  // then no pixel needs a test, and the same walk runs in plain ints.
  const int more = thick - 1;
  if (t.Bits && t.Width > more && unsigned(x0) < unsigned(t.Width - more) && unsigned(x1) < unsigned(t.Width - more) &&
      y0 >= t.RowLo && y0 <= t.RowHi - more && y1 >= t.RowLo && y1 <= t.RowHi - more) {
    const int dx = x1 >= x0 ? x1 - x0 : x0 - x1, dy = y1 >= y0 ? y1 - y0 : y0 - y1;
    const std::ptrdiff_t w = t.Width, sx = x1 > x0 ? 1 : -1, sy = y1 > y0 ? w : -w;
    const bool xMajor = dx >= dy;
    const int majLen = xMajor ? dx : dy, minLen = xMajor ? dy : dx;
    const std::ptrdiff_t majStride = xMajor ? sx : sy, minStride = xMajor ? sy : sx;
    const int den = 2 * majLen, rise = 2 * minLen;
    std::uint32_t* p = t.Bits + std::ptrdiff_t(y0) * w + x0;
    if (thick == 1) {
      for (int i = 0, r = majLen; i < majLen; ++i) {
        *p = px;
        p += majStride;
        r += rise;
        if (r >= den) {
          r -= den;
          p += minStride;
        }
      }
      return;
    }
    const std::ptrdiff_t across = xMajor ? w : 1;
    for (int i = 0, r = majLen; i < majLen; ++i) {
      for (int k = 0; k < thick; ++k) p[k * across] = px;
      p += majStride;
      r += rise;
      if (r >= den) {
        r -= den;
        p += minStride;
      }
    }
    return;
  }
  if (t.Bits && t.RowLo <= t.RowHi) DrawLineClipped(t, x0, y0, x1, y1, px, thick);
}

// Calls span(y, xl, xh) for each row of the triangle on the target's rows
// whose span is not empty. A row y of an edge from a to b (a the upper end)
// is at a.x + (y - a.y) (b.x - a.x) / (b.y - a.y), kept within -1..width and
// rounded to nearest; an edge holds the rows below its upper end down to its
// lower end, so every row of the triangle below its top has two edges, and
// the span runs between them, clipped to the frame.
template <class Span>
inline void ForEachSpan(const TRasterTarget3D& t, TPoint p0, TPoint p1, TPoint p2, Span&& span) {
  if (p1.y() < p0.y()) std::swap(p0, p1);
  if (p2.y() < p1.y()) std::swap(p1, p2);
  if (p1.y() < p0.y()) std::swap(p0, p1);
  const int lo = std::max(p0.y() + 1, t.RowLo), hi = std::min(p2.y(), t.RowHi);
  if (lo > hi) return;  // p2 is below p0 from here on
  const double right = double(t.Width);
  const int xMax = t.Width - 1;
  auto slope = [](TPoint a, TPoint b) {
    return a.y() == b.y() ? 0.0 : double(b.x() - a.x()) / double(b.y() - a.y());
  };
  const double sLong = slope(p0, p2), sUpper = slope(p0, p1), sLower = slope(p1, p2);
  auto edge = [right](TPoint a, double s, int y) {
    double x = double(a.x()) + double(y - a.y()) * s;
    x = std::clamp(x, -1.0, right);
    return RoundToInt(x);
  };
  if (std::min({p0.x(), p1.x(), p2.x()}) >= 0 && std::max({p0.x(), p1.x(), p2.x()}) <= xMax) {
    // Wholly inside the frame's columns: every edge stays between its ends,
    // so no clamp would change a value.
    auto inner = [](TPoint a, double s, int y) { return RoundToInt(double(a.x()) + double(y - a.y()) * s); };
    for (int y = lo; y <= hi; ++y) {
      const int e1 = inner(p0, sLong, y);
      const int e2 = y <= p1.y() ? inner(p0, sUpper, y) : inner(p1, sLower, y);
      span(y, std::min(e1, e2), std::max(e1, e2));
    }
    return;
  }
  for (int y = lo; y <= hi; ++y) {
    const int e1 = edge(p0, sLong, y);
    const int e2 = y <= p1.y() ? edge(p0, sUpper, y) : edge(p1, sLower, y);
    const int xl = std::max(std::min(e1, e2), 0), xh = std::min(std::max(e1, e2), xMax);
    if (xl <= xh) span(y, xl, xh);
  }
}

// Most spans of a large mesh are a few pixels long: stored in place rather
// than through a library call each.
inline void FillPixels(std::uint32_t* p, int n, std::uint32_t px) {
#ifdef TW_ENGINE3D_SSE2
  if (n < 64) {
    const __m128i v = _mm_set1_epi32(int(px));
    for (; n >= 4; n -= 4, p += 4) _mm_storeu_si128(reinterpret_cast<__m128i*>(p), v);
    if (n & 2) {
      _mm_storel_epi64(reinterpret_cast<__m128i*>(p), v);
      p += 2;
    }
    if (n & 1) *p = px;
    return;
  }
#endif
  std::fill_n(p, n, px);
}

void FillFlatRows(const TRasterTarget3D& t, TPoint p0, TPoint p1, TPoint p2, std::uint32_t px) {
  if (!t.Bits) return;
  ForEachSpan(t, p0, p1, p2, [&](int y, int xl, int xh) {
    FillPixels(t.Bits + std::size_t(y) * std::size_t(t.Width) + xl, xh - xl + 1, px);
  });
}

void FillShadedRows(const TRasterTarget3D& t, TPoint p0, TPoint p1, TPoint p2, TColor c0, TColor c1, TColor c2) {
  if (!t.Bits) return;
  if (c0 == c1 && c1 == c2) {
    const TColor flat = RGB(3 * (GetRValue(c0) / 3), 3 * (GetGValue(c0) / 3), 3 * (GetBValue(c0) / 3));
    FillFlatRows(t, p0, p1, p2, ToPixel(flat));
    return;
  }
  // Plane value = A x + B y + C per channel through the three corners,
  // solved with the triangle's own determinant, so no corner position (such
  // as x = 0) makes a proper triangle vanish.
  const double x0 = p0.x(), y0 = p0.y();
  const double ux = p1.x() - x0, uy = p1.y() - y0, vx = p2.x() - x0, vy = p2.y() - y0;
  const double det = ux * vy - vx * uy;
  if (det == 0) {
    // No area: the few pixels the edges reach get the corners' mean colour.
    const TColor mean = RGB((GetRValue(c0) + GetRValue(c1) + GetRValue(c2)) / 3,
                            (GetGValue(c0) + GetGValue(c1) + GetGValue(c2)) / 3,
                            (GetBValue(c0) + GetBValue(c1) + GetBValue(c2)) / 3);
    FillFlatRows(t, p0, p1, p2, ToPixel(mean));
    return;
  }
  double A[3], B[3], C[3];
  const TColor cs[3] = {c0, c1, c2};
  for (int k = 0; k < 3; ++k) {
    auto ch = [k](TColor c) { return double((c >> (8 * (2 - k))) & 0xFF); };  // blue, green, red
    const double d1 = ch(cs[1]) - ch(cs[0]), d2 = ch(cs[2]) - ch(cs[0]);
    A[k] = (d1 * vy - d2 * uy) / det;
    B[k] = (ux * d2 - vx * d1) / det;
    C[k] = ch(cs[0]) - A[k] * x0 - B[k] * y0;
  }
  ForEachSpan(t, p0, p1, p2, [&](int y, int xl, int xh) {
    float v[3], dv[3];
    for (int k = 0; k < 3; ++k) {
      v[k] = float(A[k] * xl + B[k] * y + C[k]);
      dv[k] = float(A[k]);
    }
    std::uint32_t* row = t.Bits + std::size_t(y) * std::size_t(t.Width);
    // Clamped per pixel: spans reach a little past the exact edges. The
    // channels step together, each by the same float additions one at a
    // time, so every pixel keeps the value a channel-by-channel walk gives.
#ifdef TW_ENGINE3D_SSE2
    __m128 vv = _mm_setr_ps(v[0], v[1], v[2], 0.0f);
    const __m128 dd = _mm_setr_ps(dv[0], dv[1], dv[2], 0.0f);
    const __m128 zero = _mm_setzero_ps(), top = _mm_set1_ps(255.0f), half = _mm_set1_ps(0.5f);
    for (int x = xl; x <= xh; ++x) {
      const __m128i c = _mm_cvttps_epi32(_mm_add_ps(_mm_min_ps(_mm_max_ps(vv, zero), top), half));
      const __m128i w16 = _mm_packs_epi32(c, c);
      row[x] = 0xFF000000u | std::uint32_t(_mm_cvtsi128_si32(_mm_packus_epi16(w16, w16)));
      vv = _mm_add_ps(vv, dd);
    }
#else
    for (int x = xl; x <= xh; ++x) {
      const int b = int(std::clamp(v[0], 0.0f, 255.0f) + 0.5f);
      const int g = int(std::clamp(v[1], 0.0f, 255.0f) + 0.5f);
      const int r = int(std::clamp(v[2], 0.0f, 255.0f) + 0.5f);
      row[x] = 0xFF000000u | (std::uint32_t(r) << 16) | (std::uint32_t(g) << 8) | std::uint32_t(b);
      v[0] += dv[0];
      v[1] += dv[1];
      v[2] += dv[2];
    }
#endif
  });
}

void FillDepthRows(const TRasterTarget3D& t, TPoint p0, TPoint p1, TPoint p2, TColor c0, TColor c1, TColor c2,
                   float d0, float d1, float d2) {
  if (!t.Bits || !t.Depth) return;
  const double x0 = p0.x(), y0 = p0.y();
  const double ux = p1.x() - x0, uy = p1.y() - y0, vx = p2.x() - x0, vy = p2.y() - y0;
  const double det = ux * vy - vx * uy;
  // Planes through the corners for the depth and the three channels (blue,
  // green, red); a face with no area gets its corners' means.
  const double val[4][3] = {{d0, d1, d2},
                            {double(GetBValue(c0)), double(GetBValue(c1)), double(GetBValue(c2))},
                            {double(GetGValue(c0)), double(GetGValue(c1)), double(GetGValue(c2))},
                            {double(GetRValue(c0)), double(GetRValue(c1)), double(GetRValue(c2))}};
  double A[4], B[4], C[4];
  for (int k = 0; k < 4; ++k) {
    if (det == 0) {
      A[k] = B[k] = 0;
      C[k] = (val[k][0] + val[k][1] + val[k][2]) / 3;
      continue;
    }
    const double e1 = val[k][1] - val[k][0], e2 = val[k][2] - val[k][0];
    A[k] = (e1 * vy - e2 * uy) / det;
    B[k] = (ux * e2 - vx * e1) / det;
    C[k] = val[k][0] - A[k] * x0 - B[k] * y0;
  }
  // Spans reach a little past the exact edges: the depth is kept within the
  // corners' range, so that an edge pixel never pokes through a nearer face.
  const float dMin = std::min({d0, d1, d2}), dMax = std::max({d0, d1, d2});
  const bool flat = c0 == c1 && c1 == c2;
  const std::uint32_t flatPx = ToPixel(c0);
  ForEachSpan(t, p0, p1, p2, [&](int y, int xl, int xh) {
    std::uint32_t* row = t.Bits + std::size_t(y) * std::size_t(t.Width);
    float* zrow = t.Depth + std::size_t(y) * std::size_t(t.Width);
    double z = A[0] * xl + B[0] * y + C[0];
    if (flat) {
      for (int x = xl; x <= xh; ++x, z += A[0]) {
        const float zf = std::clamp(float(z), dMin, dMax);
        if (zf > zrow[x]) {
          zrow[x] = zf;
          row[x] = flatPx;
        }
      }
      return;
    }
    const double v[3] = {A[1] * xl + B[1] * y + C[1], A[2] * xl + B[2] * y + C[2], A[3] * xl + B[3] * y + C[3]};
    for (int x = xl; x <= xh; ++x, z += A[0]) {
      const float zf = std::clamp(float(z), dMin, dMax);
      if (zf > zrow[x]) {
        zrow[x] = zf;
        const double dx = x - xl;
        const int b = ClampChannel(v[0] + A[1] * dx), g = ClampChannel(v[1] + A[2] * dx),
                  r = ClampChannel(v[2] + A[3] * dx);
        row[x] = 0xFF000000u | (std::uint32_t(r) << 16) | (std::uint32_t(g) << 8) | std::uint32_t(b);
      }
    }
  });
}

}  // namespace

// One unit of a frame: it clears its band, then draws the faces of its bin
// in the frame's order, each clipped to the band's rows. A pixel so meets the
// same writes in the same order whatever the number of units or threads.
void TEngine3D::DrawBands(int level, const TRasterTarget3D& frame, int unit, int units) {
  const int w = frame.Width, h = frame.Height;
  if (!frame.Bits) return;
  const int y0 = units == 1 ? 0 : unit * kBandRows, y1 = units == 1 ? h - 1 : std::min(h, y0 + kBandRows) - 1;
  if (y0 > y1) return;
  const std::size_t at = std::size_t(y0) * std::size_t(w), n = std::size_t(y1 - y0 + 1) * std::size_t(w);
  std::fill_n(frame.Bits + at, n, 0xFF000000u);
  if (level == rlZBuffered && frame.Depth) std::fill_n(frame.Depth + at, n, 0.0f);
  if (level == rsPoint) {
    if (mThickness == 1) {
      for (const TProjVertex3D& p : mProjected)
        if (p.InFront && p.X >= 0 && p.X < w && p.Y >= y0 && p.Y <= y1) frame.Bits[std::size_t(p.Y) * w + p.X] = kWhitePixel;
      return;
    }
    // On a high-density device a point is the square its logical pixel covers.
    const int t = mThickness;
    for (const TProjVertex3D& p : mProjected) {
      if (!p.InFront || p.X <= -t || p.X >= w || p.Y <= y0 - t || p.Y > y1) continue;
      const int xl = std::max(p.X, 0), xh = std::min(p.X + t - 1, w - 1);
      for (int y = std::max(p.Y, y0), yh = std::min(p.Y + t - 1, y1); y <= yh; ++y)
        std::fill(frame.Bits + std::size_t(y) * w + xl, frame.Bits + std::size_t(y) * w + xh + 1, kWhitePixel);
    }
    return;
  }
  if (level < rsWireFrame || level > rlLastLevel) return;
  TRasterTarget3D rows = frame;
  if (units == 1) {
    for (std::size_t i = 0, count = mSetup.size(); i < count; ++i) {
      rows.RowLo = mSetup[i].Top;
      rows.RowHi = mSetup[i].Bottom;
      if (rows.RowLo <= rows.RowHi) DrawFace(level, mSetup[i], rows);
    }
    return;
  }
  // A band's faces lie one after another in its bin: drawing them reads
  // memory in order, where picking them out of the frame's list would miss
  // the cache at nearly every face of a depth-sorted frame.
  for (std::size_t j = mBinStart[std::size_t(unit)], end = mBinStart[std::size_t(unit) + 1]; j < end; ++j) {
    const TFaceSetup& f = mBinFaces[j];
    rows.RowLo = std::max(f.Top, y0);
    rows.RowHi = std::min(f.Bottom, y1);
    DrawFace(level, f, rows);
  }
}

void TEngine3D::DrawFace(int level, const TFaceSetup& s, const TRasterTarget3D& rows) {
  const TPoint a = s.P[0], b = s.P[1], c = s.P[2];
  const int t = mThickness;
  auto line = [&rows, t](TPoint p, TPoint q, std::uint32_t px) { DrawLine(rows, p.x(), p.y(), q.x(), q.y(), px, t); };
  switch (level) {
    case rsWireFrame:
      // Open polylines A-B-C in buffer order: the closing edge is not drawn.
      line(a, b, kWhitePixel);
      line(b, c, kWhitePixel);
      break;
    case rsFlatSolid: {
      const std::uint32_t ink = ToPixel(clBlack);
      FillFlatRows(rows, a, b, c, kWhitePixel);
      line(a, b, ink);
      line(b, c, ink);
      line(c, a, ink);
      break;
    }
    case rsDepthSolid:
      FillFlatRows(rows, a, b, c, ToPixel(s.C[0]));
      break;
    case rsDepthShade:
    case rlFacingShade:
      FillShadedRows(rows, a, b, c, s.C[0], s.C[1], s.C[2]);
      break;
    case rlZBuffered:
      FillDepthRows(rows, a, b, c, s.C[0], s.C[1], s.C[2], s.D[0], s.D[1], s.D[2]);
      break;
    default:
      break;
  }
}

void TEngine3D::Line(int x0, int y0, int x1, int y1, TColor color) { DrawLine(Frame(), x0, y0, x1, y1, ToPixel(color)); }

void TEngine3D::FillFlat(TPoint p0, TPoint p1, TPoint p2, TColor c) { FillFlatRows(Frame(), p0, p1, p2, ToPixel(c)); }

void TEngine3D::FillTriangle(TPoint p0, TPoint p1, TPoint p2, TColor c0, TColor c1, TColor c2) {
  FillShadedRows(Frame(), p0, p1, p2, c0, c1, c2);
}

void TEngine3D::FillTriangleDepth(TPoint p0, TPoint p1, TPoint p2, TColor c0, TColor c1, TColor c2, float d0,
                                  float d1, float d2) {
  if (!mBuffer.Bits()) return;
  if (mDepth.size() != std::size_t(mBuffer.Width()) * std::size_t(mBuffer.Height())) ClearDepth();
  FillDepthRows(Frame(), p0, p1, p2, c0, c1, c2, d0, d1, d2);
}

}  // namespace Tarnwell
