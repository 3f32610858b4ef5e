// Rendering and loading speed of the 3D space.
//
// Render: generated spheres of 1 000, 20 000 and 100 000 faces at 640x480
// and 1280x1024 on every level, rotating between frames; counters give
// frames/s, faces/s, the split project/sort/draw per frame and the share of
// the frame the model covers. At 1280x1024 the sphere is large enough to
// cover most of the frame, so that those rows measure filling that many
// pixels. BM_RenderCulled: the same with back-face culling. Baseline: the
// same depth-sorted flat triangles filled by Qt's raster painter.
//
// BM_RenderThreads: the 100 000-face sphere at 1280x1024 on every level
// drawn by one and by two threads, timed frame by frame (wall clock and the
// CPU time of the whole process, all threads), with the speed-up over one
// thread and the ratio to the system's software OpenGL (Mesa's llvmpipe, two
// threads) drawing the same sphere at the same size in the same process:
// BM_LlvmpipeBaseline, built where EGL is found.
//
// Load: our reader against lib3ds on the same files in the same run.

#include <benchmark/benchmark.h>

#include <QDir>
#include <QImage>
#include <QPainter>
#include <QTemporaryDir>
#include <chrono>
#include <cmath>
#include <cstdlib>
#include <ctime>
#include <map>
#include <string>

#include <Tarnwell/space3d/Loader3D.h>
#include <Tarnwell/space3d/Shapes3D.h>

#ifdef HAVE_LIB3DS
#include <lib3ds/file.h>
#endif
#ifdef HAVE_GL_BASELINE
#include <EGL/egl.h>
#include <EGL/eglext.h>
#include <GL/gl.h>
#include <GL/glext.h>
#endif

using namespace Tarnwell;

namespace {

constexpr float kLargeRadius = 700;

// 200 fills about a tenth of 640x480. At 1280x1024 the sphere's near side
// comes to about half the camera's distance and it covers most of the frame.
float RadiusFor(int width) { return width > 640 ? kLargeRadius : 200; }

struct Scene {
  TObject3DList Objects;
  TEngine3D Engine;
  explicit Scene(int faces, float radius = 200) {
    Objects.push_back(MakeSphere3D("sfera", radius, faces).ToObject());
    Engine.SetCamera(0, 0, -20);
    Engine.SetAmbient(RGB(40, 40, 40));
    Engine.PrepareScene(Objects);
  }
  void Turn() {
    static const float c = std::cos(0.05f), s = std::sin(0.05f);
    for (auto& o : Objects) {
      o->RotateY(c, s);
      o->RotateX(c, s);
      o->UpdateWorld();
    }
    Engine.UpdateScene(Objects);
  }
};

double Coverage(const QImage& img) {
  std::int64_t n = 0;
  for (int y = 0; y < img.height(); ++y) {
    const QRgb* row = reinterpret_cast<const QRgb*>(img.constScanLine(y));
    for (int x = 0; x < img.width(); ++x) n += (row[x] & 0xFFFFFF) != 0;
  }
  return double(n) / (double(img.width()) * img.height());
}

void RenderLoop(benchmark::State& state, bool cull) {
  const int faces = int(state.range(0)), w = int(state.range(1)), h = int(state.range(2)),
            level = int(state.range(3));
  Scene scene(faces, RadiusFor(w));
  scene.Engine.SetCullBackFaces(cull);
  double project = 0, sort = 0, draw = 0;
  for (auto _ : state) {
    scene.Turn();
    scene.Engine.Render(w, h, level);
    project += scene.Engine.LastTimes().ProjectMs;
    sort += scene.Engine.LastTimes().SortMs;
    draw += scene.Engine.LastTimes().DrawMs;
    benchmark::DoNotOptimize(scene.Engine.Image().constBits());
  }
  const double n = double(state.iterations());
  state.counters["fps"] = benchmark::Counter(n, benchmark::Counter::kIsRate);
  state.counters["faces/s"] = benchmark::Counter(n * scene.Engine.FaceCount(), benchmark::Counter::kIsRate);
  state.counters["project_ms"] = project / n;
  state.counters["sort_ms"] = sort / n;
  state.counters["draw_ms"] = draw / n;
  // For the filled levels: the share of the frame the model covers.
  state.counters["cover"] = level >= rsFlatSolid ? Coverage(scene.Engine.Image()) : 0;
}

void BM_Render(benchmark::State& state) { RenderLoop(state, false); }
void BM_RenderCulled(benchmark::State& state) { RenderLoop(state, true); }

void RenderArgs(benchmark::internal::Benchmark* b) {
  for (int faces : {1000, 20000, 100000})
    for (auto [w, h] : {std::pair{640, 480}, std::pair{1280, 1024}})
      for (int level = 0; level <= rlLastLevel; ++level) b->Args({faces, w, h, level});
}
BENCHMARK(BM_Render)->Apply(RenderArgs)->Unit(benchmark::kMillisecond)->MinTime(0.2);
BENCHMARK(BM_RenderCulled)
    ->Args({100000, 1280, 1024, rsDepthShade})
    ->Args({100000, 1280, 1024, rlZBuffered})
    ->Unit(benchmark::kMillisecond)
    ->MinTime(0.2);

// Baseline: the engine's own projection and sort, then every triangle
// filled flat by QPainter (no antialiasing), as level 3 does it.
void BM_QPainterBaseline(benchmark::State& state) {
  const int faces = int(state.range(0)), w = int(state.range(1)), h = int(state.range(2));
  Scene scene(faces, RadiusFor(w));
  QImage img(w, h, QImage::Format_RGB32);
  for (auto _ : state) {
    scene.Turn();
    scene.Engine.Render(w, h, rsDepthSolid);  // projection and depth for the sort
    std::vector<std::pair<float, int>> order;
    order.reserve(scene.Engine.FaceBuffer().size());
    for (int i = 0; i < int(scene.Engine.FaceBuffer().size()); ++i)
      order.push_back({scene.Engine.FaceBuffer()[i].Depth, i});
    std::sort(order.begin(), order.end(), [](auto& a, auto& b) { return a.first > b.first; });
    img.fill(Qt::black);
    QPainter p(&img);
    p.setPen(Qt::NoPen);
    const auto& pr = scene.Engine.Projected();
    for (auto [d, i] : order) {
      const TFaceRecord3D& f = scene.Engine.FaceBuffer()[i];
      if (!pr[f.A].InFront || !pr[f.B].InFront || !pr[f.C].InFront) continue;
      const int shade = std::clamp(int(255 * 100 / (d + 360)), 0, 255);
      p.setBrush(QColor(shade, shade, shade));
      const QPoint pts[3] = {{pr[f.A].X, pr[f.A].Y}, {pr[f.B].X, pr[f.B].Y}, {pr[f.C].X, pr[f.C].Y}};
      p.drawPolygon(pts, 3);
    }
    p.end();
    benchmark::DoNotOptimize(img.constBits());
  }
  state.counters["fps"] = benchmark::Counter(double(state.iterations()), benchmark::Counter::kIsRate);
}
BENCHMARK(BM_QPainterBaseline)
    ->Args({20000, 640, 480})
    ->Args({100000, 1280, 1024})
    ->Unit(benchmark::kMillisecond)
    ->MinTime(0.2);

// ------------------------------------------------------- threads, llvmpipe

constexpr int kThreadW = 1280, kThreadH = 1024, kThreadFaces = 100000;

double ProcessCpuSeconds() {
  timespec ts{};
  clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &ts);
  return double(ts.tv_sec) + double(ts.tv_nsec) * 1e-9;
}

struct FrameClock {
  double Wall = 0, Cpu = 0;  // seconds
  int Frames = 0;
  template <class Draw>
  double Time(Draw&& draw) {
    const double c0 = ProcessCpuSeconds();
    const auto t0 = std::chrono::steady_clock::now();
    draw();
    const double wall = std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count();
    Wall += wall;
    Cpu += ProcessCpuSeconds() - c0;
    ++Frames;
    return wall;
  }
  double Fps() const { return Wall > 0 ? Frames / Wall : 0; }
  double CpuMs() const { return Frames ? 1e3 * Cpu / Frames : 0; }
};

#ifdef HAVE_GL_BASELINE
// The sphere drawn by OpenGL through a surfaceless EGL display, software
// rendering forced: a vertex buffer and an index buffer made once, per-vertex
// colours, smooth shading and a depth test into an off-screen frame buffer
// of the same size, the sphere turned by the matrix (no upload a frame) and
// scaled to cover the same share of the frame as the engine's; a frame ends
// with glFinish. The pixels stay in the frame buffer: no read-back is timed.
class GlBaseline {
 public:
  static GlBaseline& Get() {
    static GlBaseline b;
    return b;
  }
  bool Ready() const { return mReady; }
  const std::string& Renderer() const { return mRenderer; }
  void Frame() {
    mAngle += 2.9f;
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    glRotatef(mAngle, 1, 1, 0);
    glDrawElements(GL_TRIANGLES, mIndices, GL_UNSIGNED_INT, nullptr);
    glFinish();
  }

 private:
  template <class F>
  static F Proc(const char* name) {
    return reinterpret_cast<F>(eglGetProcAddress(name));
  }
  GlBaseline() {
    setenv("LIBGL_ALWAYS_SOFTWARE", "1", 0);
    setenv("LP_NUM_THREADS", "2", 0);
    auto platformDisplay = Proc<PFNEGLGETPLATFORMDISPLAYEXTPROC>("eglGetPlatformDisplayEXT");
    if (!platformDisplay) return;
    mDisplay = platformDisplay(EGL_PLATFORM_SURFACELESS_MESA, EGL_DEFAULT_DISPLAY, nullptr);
    EGLint major = 0, minor = 0;
    if (mDisplay == EGL_NO_DISPLAY || !eglInitialize(mDisplay, &major, &minor) || !eglBindAPI(EGL_OPENGL_API))
      return;
    const EGLint want[] = {EGL_RENDERABLE_TYPE, EGL_OPENGL_BIT, EGL_NONE};
    EGLConfig config = nullptr;
    EGLint found = 0;
    if (!eglChooseConfig(mDisplay, want, &config, 1, &found) || found < 1) config = nullptr;
    mContext = eglCreateContext(mDisplay, config, EGL_NO_CONTEXT, nullptr);
    if (mContext == EGL_NO_CONTEXT || !eglMakeCurrent(mDisplay, EGL_NO_SURFACE, EGL_NO_SURFACE, mContext)) return;
    mRenderer = reinterpret_cast<const char*>(glGetString(GL_RENDERER));
    auto genFramebuffers = Proc<PFNGLGENFRAMEBUFFERSPROC>("glGenFramebuffers");
    auto bindFramebuffer = Proc<PFNGLBINDFRAMEBUFFERPROC>("glBindFramebuffer");
    auto genRenderbuffers = Proc<PFNGLGENRENDERBUFFERSPROC>("glGenRenderbuffers");
    auto bindRenderbuffer = Proc<PFNGLBINDRENDERBUFFERPROC>("glBindRenderbuffer");
    auto renderbufferStorage = Proc<PFNGLRENDERBUFFERSTORAGEPROC>("glRenderbufferStorage");
    auto framebufferRenderbuffer = Proc<PFNGLFRAMEBUFFERRENDERBUFFERPROC>("glFramebufferRenderbuffer");
    auto checkFramebuffer = Proc<PFNGLCHECKFRAMEBUFFERSTATUSPROC>("glCheckFramebufferStatus");
    auto genBuffers = Proc<PFNGLGENBUFFERSPROC>("glGenBuffers");
    auto bindBuffer = Proc<PFNGLBINDBUFFERPROC>("glBindBuffer");
    auto bufferData = Proc<PFNGLBUFFERDATAPROC>("glBufferData");
    if (!genFramebuffers || !bindFramebuffer || !genRenderbuffers || !bindRenderbuffer || !renderbufferStorage ||
        !framebufferRenderbuffer || !checkFramebuffer || !genBuffers || !bindBuffer || !bufferData)
      return;
    GLuint fb = 0, rb[2] = {};
    genFramebuffers(1, &fb);
    bindFramebuffer(GL_FRAMEBUFFER, fb);
    genRenderbuffers(2, rb);
    bindRenderbuffer(GL_RENDERBUFFER, rb[0]);
    renderbufferStorage(GL_RENDERBUFFER, GL_RGBA8, kThreadW, kThreadH);
    framebufferRenderbuffer(GL_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_RENDERBUFFER, rb[0]);
    bindRenderbuffer(GL_RENDERBUFFER, rb[1]);
    renderbufferStorage(GL_RENDERBUFFER, GL_DEPTH_COMPONENT24, kThreadW, kThreadH);
    framebufferRenderbuffer(GL_FRAMEBUFFER, GL_DEPTH_ATTACHMENT, GL_RENDERBUFFER, rb[1]);
    if (checkFramebuffer(GL_FRAMEBUFFER) != GL_FRAMEBUFFER_COMPLETE) return;

    // The engine's sphere of radius 700 covers 58 % of the frame (the
    // "cover" counter); this one is sized to cover the same.
    const float radius = std::sqrt(0.58f * kThreadW * kThreadH / 3.14159265f);
    const TMesh3D m = MakeSphere3D("sfera", radius, kThreadFaces);
    std::vector<float> data;  // x, y, z, r, g, b
    for (const TVertex3D& v : m.Vertices) {
      const float g = 0.35f + 0.6f * (v.Z + radius) / (2 * radius);
      data.insert(data.end(), {v.X, v.Y, v.Z, g, g, g});
    }
    std::vector<GLuint> index;
    for (const TFaceVert3D& f : m.Faces) index.insert(index.end(), {f.A, f.B, f.C});
    mIndices = GLsizei(index.size());
    GLuint buf[2] = {};
    genBuffers(2, buf);
    bindBuffer(GL_ARRAY_BUFFER, buf[0]);
    bufferData(GL_ARRAY_BUFFER, GLsizeiptr(data.size() * sizeof(float)), data.data(), GL_STATIC_DRAW);
    bindBuffer(GL_ELEMENT_ARRAY_BUFFER, buf[1]);
    bufferData(GL_ELEMENT_ARRAY_BUFFER, GLsizeiptr(index.size() * sizeof(GLuint)), index.data(), GL_STATIC_DRAW);
    glEnableClientState(GL_VERTEX_ARRAY);
    glEnableClientState(GL_COLOR_ARRAY);
    glVertexPointer(3, GL_FLOAT, 6 * sizeof(float), nullptr);
    glColorPointer(3, GL_FLOAT, 6 * sizeof(float), reinterpret_cast<const void*>(3 * sizeof(float)));
    glViewport(0, 0, kThreadW, kThreadH);
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    glOrtho(-kThreadW / 2.0, kThreadW / 2.0, -kThreadH / 2.0, kThreadH / 2.0, -2 * radius, 2 * radius);
    glEnable(GL_DEPTH_TEST);
    glShadeModel(GL_SMOOTH);
    glClearColor(0, 0, 0, 1);
    mReady = glGetError() == GL_NO_ERROR;
  }
  ~GlBaseline() {
    if (mDisplay == EGL_NO_DISPLAY) return;
    eglMakeCurrent(mDisplay, EGL_NO_SURFACE, EGL_NO_SURFACE, EGL_NO_CONTEXT);
    if (mContext != EGL_NO_CONTEXT) eglDestroyContext(mDisplay, mContext);
    eglTerminate(mDisplay);
  }
  EGLDisplay mDisplay = EGL_NO_DISPLAY;
  EGLContext mContext = EGL_NO_CONTEXT;
  std::string mRenderer;
  GLsizei mIndices = 0;
  float mAngle = 0;
  bool mReady = false;
};

// The baseline's frame rate, measured once a process (after a few frames
// to warm up); 0 where it cannot run.
double LlvmpipeFps() {
  static const double fps = [] {
    GlBaseline& gl = GlBaseline::Get();
    if (!gl.Ready()) return 0.0;
    for (int i = 0; i < 3; ++i) gl.Frame();
    FrameClock clock;
    while (clock.Wall < 1.0 || clock.Frames < 10) clock.Time([&] { gl.Frame(); });
    return clock.Fps();
  }();
  return fps;
}

void BM_LlvmpipeBaseline(benchmark::State& state) {
  GlBaseline& gl = GlBaseline::Get();
  if (!gl.Ready()) {
    state.SkipWithError("no software OpenGL through EGL");
    return;
  }
  LlvmpipeFps();  // the first frames compile the shaders
  FrameClock clock;
  for (auto _ : state) state.SetIterationTime(clock.Time([&] { gl.Frame(); }));
  state.SetLabel(gl.Renderer());
  state.counters["fps"] = clock.Fps();
  state.counters["cpu_ms"] = clock.CpuMs();
}
BENCHMARK(BM_LlvmpipeBaseline)->UseManualTime()->Unit(benchmark::kMillisecond)->MinTime(1.0);
#else
double LlvmpipeFps() { return 0; }
#endif

// Frame rate of one thread at a level: the 1-thread run stores it, a run
// without one before it measures it.
std::map<int, double>& SingleThreadFps() {
  static std::map<int, double> fps;
  return fps;
}

void BM_RenderThreads(benchmark::State& state) {
  const int level = int(state.range(0)), threads = int(state.range(1));
  Scene scene(kThreadFaces, kLargeRadius);
  scene.Engine.SetThreadCount(threads);
  FrameClock clock;
  double sort = 0, draw = 0;
  for (auto _ : state) {
    scene.Turn();  // the model's own rotation is not the engine's frame
    state.SetIterationTime(clock.Time([&] { scene.Engine.Render(kThreadW, kThreadH, level); }));
    sort += scene.Engine.LastTimes().SortMs;
    draw += scene.Engine.LastTimes().DrawMs;
  }
  state.counters["sort_ms"] = sort / double(state.iterations());
  state.counters["draw_ms"] = draw / double(state.iterations());
  if (threads == 1) SingleThreadFps()[level] = clock.Fps();
  if (!SingleThreadFps().count(level)) {
    Scene one(kThreadFaces, kLargeRadius);
    one.Engine.SetThreadCount(1);
    FrameClock c1;
    while (c1.Wall < 0.5 || c1.Frames < 5) {
      one.Turn();
      c1.Time([&] { one.Engine.Render(kThreadW, kThreadH, level); });
    }
    SingleThreadFps()[level] = c1.Fps();
  }
  state.counters["fps"] = clock.Fps();
  state.counters["cpu_ms"] = clock.CpuMs();
  state.counters["vs_1thread"] = clock.Fps() / SingleThreadFps()[level];
  const double gl = LlvmpipeFps();
  if (gl > 0) state.counters["vs_llvmpipe"] = clock.Fps() / gl;
}
BENCHMARK(BM_RenderThreads)
    ->ArgsProduct({{0, 1, 2, 3, 4, 5, 6}, {1, 2}})
    ->ArgNames({"level", "threads"})
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond)
    ->MinTime(0.5);

// ------------------------------------------------------------------ loading

QStringList& LoadFiles() {
  static QTemporaryDir dir;
  static QStringList files;
  if (files.isEmpty()) {
    const QDir real("/usr/share/assimp/models/3DS");
    for (const QFileInfo& fi : real.entryInfoList({"*.3ds", "*.3DS", "testFormatDetection"}, QDir::Files))
      files << fi.filePath();
    TWriter3DFile w;
    for (int i = 0; i < 4; ++i) {
      const TMesh3D m = MakeSphere3D(QString("Sfera%1").arg(i), 100, 100000);
      w.AddMesh(m.Name, m.Vertices, m.Faces);
    }
    files << dir.filePath("grande.3ds");
    w.SaveToFile(files.last());
  }
  return files;
}

// Arg 0: the real files, all of them; arg 1: a generated 400 000-face file.
QStringList Pick(int which) {
  QStringList all = LoadFiles();
  const QString big = all.takeLast();
  return which == 0 ? all : QStringList{big};
}

void BM_LoadOurs(benchmark::State& state) {
  const QStringList files = Pick(int(state.range(0)));
  std::int64_t bytes = 0;
  for (auto _ : state) {
    for (const QString& f : files) {
      TObject3DList list;
      TObject3D root;
      TLoader3DFile loader;
      benchmark::DoNotOptimize(loader.Load3DFile(f, list, &root));
    }
  }
  for (const QString& f : files) bytes += QFileInfo(f).size();
  state.SetBytesProcessed(bytes * std::int64_t(state.iterations()));
}
BENCHMARK(BM_LoadOurs)->Arg(0)->Arg(1)->Unit(benchmark::kMicrosecond);

#ifdef HAVE_LIB3DS
void BM_LoadLib3ds(benchmark::State& state) {
  const QStringList files = Pick(int(state.range(0)));
  std::vector<QByteArray> names;
  std::int64_t bytes = 0;
  for (const QString& f : files) {
    names.push_back(QFile::encodeName(f));
    bytes += QFileInfo(f).size();
  }
  for (auto _ : state) {
    for (const QByteArray& n : names) {
      Lib3dsFile* file = lib3ds_file_load(n.constData());
      benchmark::DoNotOptimize(file);
      if (file) lib3ds_file_free(file);
    }
  }
  state.SetBytesProcessed(bytes * std::int64_t(state.iterations()));
}
BENCHMARK(BM_LoadLib3ds)->Arg(0)->Arg(1)->Unit(benchmark::kMicrosecond);
#endif

}  // namespace

int main(int argc, char** argv) {
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
