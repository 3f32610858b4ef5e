// Every control of every window of the showcase (and of its main frame) on a
// high-density screen: painted at device pixel ratio 2 it is drawn at that
// resolution, not drawn at 1x and enlarged.
//
// Each visible leaf control (no visible child widgets) is rendered alone
// into a white picture at ratios 1 and 2, the pages of tab widgets one by
// one. Its background is the most frequent colour of its picture; ink is
// every pixel it paints that differs from it.
// - The ink box at 2 is the 1x box doubled, each edge within a device pixel;
//   within two where the ink has steps (below): hinted text and curves at 1x
//   end on whole pixels, at 2x on half pixels of the 1x grid.
// - Where the 1x ink has steps (text, curves, slanted lines: see Steps;
//   boxes and straight lines have none, and their 2x picture rightly is the
//   1x one doubled), the 2x picture differs from the 1x one enlarged by
//   nearest neighbour.
// A control whose picture changes between two 1x renders (a clock, an
// animation) cannot be compared and is counted apart. Unpainted pixels
// (those that show the fill) are not ink: a white and a black fill tell them.
//
// The walk runs twice: on the 1x screen of the tests, and in a child process
// whose screen has ratio 2, where the windows open and make their pictures
// for that screen; there the pictures a window makes are measured too.
#include <gtest/gtest.h>

#include <QMdiSubWindow>
#include <iostream>
#include <map>
#include <sstream>
#include <vector>

#include "HiDpiUtil.h"
#include "Ratio2Screen.h"
#include "WindowWalk.h"

using namespace Tarnwell;

namespace {

// Controls that show a picture they are given, which no resolution of the
// screen changes, by "Class objectName" or by class alone; each is listed on
// the output when it falls short, with the reason.
const std::map<std::string, const char*> kGivenPicture = {
    {"Tarnwell::TSphericalButton",
     "its faces are cut from bitmaps: the resources' frame pictures in 4, 8 and 24 bits, which have no vector "
     "source, or the ButtonFace given"},
};

// Controls that show pictures the window makes for the screen it opens on:
// on a 1x screen they are rightly 1x pictures, which a render at 2 enlarges.
// The walk on a ratio-2 screen checks them.
const std::map<std::string, const char*> kMadeForTheScreen = {
    {"Tarnwell::TButtonArray", "shows the pictures it is given, made for the screen"},
    {"Tarnwell::TSpeedButton", "shows the Glyph it is given, made for the screen"},
    {"Tarnwell::TSlideButtonBar", "shows the Bitmap it is given, made for the screen"},
    {"Tarnwell::TIconStrip", "shows the picture it is given, made for the screen"},
    {"QLabel Image1", "a picture label: shows the pixmap it is given, made for the screen"},
    {"Tarnwell::TSlideMenu", "a Custom menu: shows the Bitmap it is given, made for the screen"},
    {"Tarnwell::TAnimatedPolygon", "draws its frames for the screen it is on"},
};

const char* Reason(const std::map<std::string, const char*>& list, const QWidget* c) {
  for (const std::string& key : {Describe(c), std::string(c->metaObject()->className())})
    if (auto it = list.find(key); it != list.end()) return it->second;
  return nullptr;
}

const char* FixedPictureReason(const QWidget* c) {
  if (const char* why = Reason(kGivenPicture, c)) return why;
  return qApp->devicePixelRatio() == 2 ? nullptr : Reason(kMadeForTheScreen, c);
}

QRgb Background(const QImage& img) {
  std::map<QRgb, int> count;
  for (int y = 0; y < img.height(); ++y) {
    const QRgb* row = reinterpret_cast<const QRgb*>(img.constScanLine(y));
    for (int x = 0; x < img.width(); ++x) ++count[row[x]];
  }
  QRgb back = 0;
  int most = 0;
  for (const auto& [rgb, n] : count)
    if (n > most) most = n, back = rgb;
  return back;
}

// Where the ink's outline runs at a slant: 2x2 windows of the ink mask in
// which two ink pixels touch only at a corner (a thin slanted stroke), and
// corners of the mask (three pixels of one kind, one of the other) that
// have another corner diagonally next to them (a filled shape's staircase).
// Boxes and straight lines have corners too, but apart from each other.
int Steps(const QImage& img, const HiDpi::Ink& ink) {
  const int w = img.width(), h = img.height();
  if (w < 2 || h < 2) return 0;
  std::vector<char> mask(size_t(w) * h), corner(size_t(w) * h, 0);
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) mask[size_t(y) * w + x] = ink(img.pixel(x, y));
  // Specks of up to three pixels (a grip's dots with their shadow, a dotted
  // line) are squares too small to hold a curve: they double.
  std::vector<char> seen(mask.size(), 0);
  for (size_t start = 0; start < mask.size(); ++start) {
    if (!mask[start] || seen[start]) continue;
    std::vector<size_t> part{start}, todo{start};
    seen[start] = 1;
    while (!todo.empty()) {
      const size_t i = todo.back();
      todo.pop_back();
      const int x = int(i % w), y = int(i / w);
      for (int dy = -1; dy <= 1; ++dy)
        for (int dx = -1; dx <= 1; ++dx) {
          const int nx = x + dx, ny = y + dy;
          if (nx < 0 || ny < 0 || nx >= w || ny >= h) continue;
          const size_t n = size_t(ny) * w + nx;
          if (mask[n] && !seen[n]) seen[n] = 1, part.push_back(n), todo.push_back(n);
        }
    }
    if (part.size() <= 3)
      for (size_t i : part) mask[i] = 0;
  }
  int steps = 0;
  for (int y = 0; y + 1 < h; ++y)
    for (int x = 0; x + 1 < w; ++x) {
      const char* m = &mask[size_t(y) * w + x];
      const int a = m[0], b = m[1], c = m[w], d = m[w + 1];
      if (a == d && b == c && a != b) ++steps;
      corner[size_t(y) * w + x] = (a + b + c + d) % 2;
    }
  for (int y = 0; y + 2 < h; ++y)
    for (int x = 1; x + 2 < w; ++x)
      if (corner[size_t(y) * w + x] && (corner[size_t(y + 1) * w + x - 1] || corner[size_t(y + 1) * w + x + 1])) ++steps;
  return steps;
}

// Pixels that show the fill (they differ between a white and a black one)
// take the background's colour.
void Unpainted(QImage& onWhite, const QImage& onBlack, QRgb back) {
  for (int y = 0; y < onWhite.height(); ++y) {
    auto* w = reinterpret_cast<QRgb*>(onWhite.scanLine(y));
    const auto* b = reinterpret_cast<const QRgb*>(onBlack.constScanLine(y));
    for (int x = 0; x < onWhite.width(); ++x)
      if (w[x] != b[x]) w[x] = back;
  }
}

struct Tally {
  int measured = 0, detailed = 0, moving = 0;
  std::vector<std::string> excepted;
};

void MeasureControl(QWidget* c, const QString& window, Tally& tally) {
  using namespace HiDpi;
  QImage at1 = Render(c, 1), at2 = Render(c, 2);
  if (Render(c, 1) != at1) {
    ++tally.moving;
    return;
  }
  // What the control leaves unpainted shows the fill, which is not ink.
  const QRgb back = Background(at1);
  Unpainted(at1, Render(c, 1, Qt::black), back);
  Unpainted(at2, Render(c, 2, Qt::black), back);
  const Ink ink = [back](QRgb p) { return (p & 0xffffff) != (back & 0xffffff); };
  const QRect all(QPoint(0, 0), c->size());
  const QRect b1 = InkBox(at1, all, 1, ink), b2 = InkBox(at2, all, 2, ink);
  if (b1.isEmpty()) return;  // paints nothing of its own
  ++tally.measured;
  const bool stepped = Steps(at1, ink) >= 2;
  tally.detailed += stepped;
  const int slack = stepped ? 2 : 1;
  const bool sized = std::abs(b2.left() - 2 * b1.left()) <= slack && std::abs(b2.top() - 2 * b1.top()) <= slack &&
                     std::abs(b2.right() + 1 - 2 * (b1.right() + 1)) <= slack &&
                     std::abs(b2.bottom() + 1 - 2 * (b1.bottom() + 1)) <= slack;
  const double detail = stepped ? Detail(at1, at2, all) : 1;
  if (sized && detail > 0) return;
  std::ostringstream m;
  auto box = [&m](const QRect& r) { m << r.width() << "x" << r.height() << "@" << r.x() << "," << r.y(); };
  m << window.toStdString() << ": " << Describe(c) << " ink 1x ";
  box(b1);
  m << " 2x ";
  box(b2);
  if (!(detail > 0)) m << ", 2x is the 1x picture enlarged";
  if (const char* why = FixedPictureReason(c))
    tally.excepted.push_back(m.str() + " (" + why + ")");
  else
    ADD_FAILURE() << m.str();
}

// The visible leaf controls of `top` that `within` accepts.
void MeasureWindow(QWidget* top, const QString& window, Tally& tally,
                   const std::function<bool(QWidget*)>& within = {}) {
  QCoreApplication::processEvents();
  for (QWidget* c : top->findChildren<QWidget*>()) {
    if (!c->isVisibleTo(top) || c->size().isEmpty() || qobject_cast<QMdiSubWindow*>(c) || (within && !within(c)))
      continue;
    bool leaf = true;
    for (QWidget* child : c->findChildren<QWidget*>(Qt::FindDirectChildrenOnly)) leaf = leaf && !child->isVisibleTo(c);
    if (leaf) MeasureControl(c, window, tally);
  }
}

void WalkEveryWindow() {
  Tally tally;
  int windows = 0;
  ForEveryWindow([&](TForm* w, const TLauncher& l) {
    if (windows++ == 0)  // the main frame's own controls, the windows inside it apart
      MeasureWindow(w->window(), QStringLiteral("main frame"), tally,
                    [](QWidget* c) { return !InsideWindowArea(c); });
    const QString caption = QString::fromUtf8(l.WindowCaption);
    MeasureWindow(w, caption, tally);
    ForEachHiddenTabPage(w, [&](const QString& tab, QWidget* page) {
      MeasureWindow(w, caption + QStringLiteral(" / ") + tab, tally,
                    [page](QWidget* c) { return page->isAncestorOf(c); });
    });
  });
  EXPECT_EQ(windows, 15);
  EXPECT_GT(tally.measured, 150);
  std::cout << "screen ratio " << qApp->devicePixelRatio() << ": measured " << tally.measured << " controls, "
            << tally.detailed << " with steps, " << tally.moving << " moving; " << tally.excepted.size()
            << " excepted, with the reason:\n";
  for (const std::string& e : tally.excepted) std::cout << "  " << e << "\n";
}

TEST(HiDpi, EveryControlOfEveryWindowIsDrawnAtTheDeviceResolution) { WalkEveryWindow(); }

// The windows open on a ratio-2 screen: the pictures they make for it when
// they open are measured too.
TEST(HiDpi, EveryControlOfEveryWindowOnARatio2Screen) {
  if (HiDpi::OnARatio2Screen()) WalkEveryWindow();
}

}  // namespace
