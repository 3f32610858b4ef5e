// Every window of the showcase stays readable under a dark and under a
// high-contrast application palette.
//
// What is measured: every visible, enabled control that shows a caption or
// a value (a Caption, Text, text, title or currentText property, the
// accessible value or text, the name of a standard widget whose name is its
// label), and every part painted inside a control (a cell, an item, a
// button of a row) that has a text; the pages of tab widgets one by one. A
// slider's or scroll bar's value is a position, not a text. The area is cut
// out of the window's picture, minus the control's visible child widgets
// (each is measured on its own; a scroll area is measured on its viewport)
// and minus a thin border where bevels and frames lie. The most frequent
// colour of what remains is the background, the pixel of highest contrast
// against it stands for the text, and their contrast (WCAG 2) must reach
// 4.5:1.
//
// Colours the window's design fixes stay as given. Fixed are a Color or
// Font.Color that is not a system colour, a palette role the form set to a
// colour of its own, a picture painted behind the text (a pattern), and,
// for a control of ours with no Font (its drawing code gives the colours),
// a text or background colour that stays the same under the application's
// own palette. The colours of a painted part (a cell's fill and ink) are
// content, not properties: a part that looks the same under the
// application's own palette is the design's.
//
// - Both colours fixed: the control looks the same under every palette and
//   is not measured.
// - One fixed, the other following the palette: no drawing code can keep it
//   readable without changing a colour the design gives. It is measured and
//   a shortfall is listed on the output as the design's, not failed.
// - Both following the palette: a shortfall fails. The control draws with
//   colours of its own where it should use the palette's.
#include <gtest/gtest.h>

#include <QAbstractItemView>
#include <QAbstractScrollArea>
#include <QAbstractSlider>
#include <QAccessible>
#include <QApplication>
#include <QImage>
#include <QMdiSubWindow>
#include <cmath>
#include <map>
#include <optional>
#include <iostream>
#include <sstream>

#include <Tarnwell/platform/TColor.h>
#include <Tarnwell/platform/TWidgetLook.h>

#include "WindowWalk.h"

using namespace Tarnwell;

namespace {

QPalette MakePalette(const std::vector<std::pair<QPalette::ColorRole, QRgb>>& roles, QRgb disabledText) {
  QPalette p;
  for (const auto& [role, rgb] : roles) p.setColor(role, QColor::fromRgb(rgb));
  for (QPalette::ColorRole r : {QPalette::WindowText, QPalette::Text, QPalette::ButtonText})
    p.setColor(QPalette::Disabled, r, QColor::fromRgb(disabledText));
  return p;
}

QPalette DarkPalette() {
  using P = QPalette;
  return MakePalette({{P::Window, 0x2d2d2d}, {P::WindowText, 0xf0f0f0}, {P::Base, 0x1e1e1e},
                      {P::AlternateBase, 0x2a2a2a}, {P::Text, 0xf0f0f0}, {P::Button, 0x3c3c3c},
                      {P::ButtonText, 0xf0f0f0}, {P::BrightText, 0xffffff}, {P::Light, 0x5a5a5a},
                      {P::Midlight, 0x4b4b4b}, {P::Mid, 0x303030}, {P::Dark, 0x232323},
                      {P::Shadow, 0x141414}, {P::Highlight, 0x264f78}, {P::HighlightedText, 0xffffff},
                      {P::Link, 0x6cb4ff}, {P::LinkVisited, 0xc39bff}, {P::ToolTipBase, 0x3c3c3c},
                      {P::ToolTipText, 0xf0f0f0}, {P::PlaceholderText, 0xa0a0a0}},
                     0x8a8a8a);
}

QPalette HighContrastPalette() {
  using P = QPalette;
  return MakePalette({{P::Window, 0x000000}, {P::WindowText, 0xffffff}, {P::Base, 0x000000},
                      {P::AlternateBase, 0x000000}, {P::Text, 0xffffff}, {P::Button, 0x000000},
                      {P::ButtonText, 0xffffff}, {P::BrightText, 0xffff00}, {P::Light, 0xffffff},
                      {P::Midlight, 0x808080}, {P::Mid, 0x808080}, {P::Dark, 0x808080},
                      {P::Shadow, 0xc0c0c0}, {P::Highlight, 0xffff00}, {P::HighlightedText, 0x000000},
                      {P::Link, 0xffff00}, {P::LinkVisited, 0xffff00}, {P::ToolTipBase, 0x000000},
                      {P::ToolTipText, 0xffffff}, {P::PlaceholderText, 0xc0c0c0}},
                     0xa0a0a0);
}

// Sets a palette on the application for one test and gives the old one back.
struct AppPaletteScope {
  explicit AppPaletteScope(const QPalette& p) : saved(QApplication::palette()) {
    QApplication::setPalette(p);
    QCoreApplication::processEvents();
  }
  ~AppPaletteScope() {
    QApplication::setPalette(saved);
    QCoreApplication::processEvents();
  }
  QPalette saved;
};

double Luminance(QRgb c) {
  auto lin = [](int v) {
    const double s = v / 255.0;
    return s <= 0.04045 ? s / 12.92 : std::pow((s + 0.055) / 1.055, 2.4);
  };
  return 0.2126 * lin(qRed(c)) + 0.7152 * lin(qGreen(c)) + 0.0722 * lin(qBlue(c));
}

double Contrast(QRgb a, QRgb b) {
  const double la = Luminance(a), lb = Luminance(b);
  return (std::max(la, lb) + 0.05) / (std::min(la, lb) + 0.05);
}

// The caption or value the control shows, empty when it shows none.
QString ShownText(QWidget* w) {
  // A slider's value is a position; an item view shows its items (parts).
  if (qobject_cast<QAbstractSlider*>(w) || qobject_cast<QAbstractItemView*>(w)) return {};
  for (const char* name : {"Caption", "Text", "text", "title", "currentText"}) {
    const QVariant v = w->property(name);
    if (v.typeId() == QMetaType::QString && !v.toString().trimmed().isEmpty()) return v.toString();
  }
  QAccessibleInterface* a = QAccessible::queryAccessibleInterface(w);
  if (!a) return {};
  if (const QString v = a->text(QAccessible::Value); !v.trimmed().isEmpty()) return v;
  if (QAccessibleTextInterface* t = a->textInterface(); t && t->characterCount() > 0)
    return t->text(0, t->characterCount());
  // Our controls fall back to the object name when they have no caption:
  // only a standard widget's name is the label it shows.
  const bool ours = QByteArray(w->metaObject()->className()).startsWith("Tarnwell::");
  switch (a->role()) {
    case QAccessible::StaticText:
    case QAccessible::PushButton:
    case QAccessible::CheckBox:
    case QAccessible::RadioButton:
      return ours ? QString() : a->text(QAccessible::Name);
    default:
      return {};
  }
}

template <class T>
const T* View(const QWidget* w) {
  for (QObject* o : w->children())
    if (auto* v = dynamic_cast<const T*>(o)) return v;
  return nullptr;
}

bool SetApart(const QWidget* w, QPalette::ColorRole role) {
  const QPalette& own = w->palette();
  return own.isBrushSet(QPalette::Active, role) &&
         own.color(role) != QApplication::palette(w).color(role);
}

struct Fixed {
  bool text = false, back = false;
};

// A pattern (its own holder's, or its panel's drawn under it).
bool PaintsAPicture(const QWidget* w) {
  if (w->property("PatternPaint").toBool()) return true;
  const QVariant holder = w->property("PatternHolder");
  return (holder.metaType().flags() & QMetaType::PointerToQObject) && holder.value<QObject*>();
}
// Which of the control's two colours the design fixes. `colorFollows`
// holds the controls whose bare Color property changed with the palette.
Fixed FixedColours(const QWidget* w, const std::map<const QWidget*, bool>& colorFollows) {
  Fixed f;
  if (const TControlFont* font = View<TControlFont>(w))
    f.text = !IsSystemColor(font->Font().Color());
  else
    f.text = SetApart(w, w->foregroundRole());
  const TControlColor* color = View<TControlColor>(w);
  if ((w->property("Transparent").toBool() || (color && color->Color() == clNone)) && w->parentWidget()) {
    f.back = FixedColours(w->parentWidget(), colorFollows).back;
  } else if (PaintsAPicture(w)) {
    f.back = true;
  } else if (color) {
    const TColor c = color->Color();
    f.back = !IsSystemColor(c) && c != clDefault;
  } else if (auto it = colorFollows.find(w); it != colorFollows.end()) {
    f.back = !it->second;
  } else {
    f.back = SetApart(w, w->backgroundRole());
  }
  return f;
}

// A Color property kept as a bare colour value (no palette view): it follows
// the palette if it reads differently under another one.
std::map<const QWidget*, bool> ColorPropertiesFollowing(const QList<QWidget*>& controls, const QPalette& other) {
  std::map<const QWidget*, QColor> now;
  for (QWidget* c : controls)
    if (!View<TControlColor>(c) && c->property("Color").typeId() == QMetaType::QColor)
      now[c] = c->property("Color").value<QColor>();
  std::map<const QWidget*, bool> follows;
  if (now.empty()) return follows;
  const QPalette mine = QApplication::palette();
  QApplication::setPalette(other);
  for (const auto& [c, colour] : now) follows[c] = c->property("Color").value<QColor>() != colour;
  QApplication::setPalette(mine);
  QCoreApplication::processEvents();
  return follows;
}

struct Tally {
  int measured = 0, fixed = 0;
  std::vector<std::string> design;  // one colour fixed, below 4.5:1
};

struct Reading {
  QRgb back = 0, text = 0;
  double contrast = 1;
  bool operator==(const Reading&) const = default;
};

// Background: the most frequent colour of the region; text: the pixel of
// highest contrast against it.
std::optional<Reading> Read(const QImage& picture, const QRegion& within) {
  std::map<QRgb, int> count;
  for (const QRect& r : within & QRegion(picture.rect()))
    for (int y = r.top(); y <= r.bottom(); ++y)
      for (int x = r.left(); x <= r.right(); ++x) ++count[picture.pixel(x, y)];
  if (count.empty()) return std::nullopt;
  Reading r;
  int most = 0;
  for (const auto& [rgb, n] : count)
    if (n > most) most = n, r.back = rgb;
  r.text = r.back;
  for (const auto& [rgb, n] : count)
    if (const double k = Contrast(rgb, r.back); k > r.contrast) r.contrast = k, r.text = rgb;
  return r;
}

void Judge(const std::optional<Reading>& r, const QString& what, bool design, Tally& tally) {
  if (!r) return;
  ++tally.measured;
  if (r->contrast >= 4.5) return;
  std::ostringstream m;
  m.precision(3);
  m << what.toStdString() << " contrast " << r->contrast << " (text #" << std::hex << (r->text & 0xffffff)
    << " on #" << (r->back & 0xffffff) << ")";
  if (design)
    tally.design.push_back(m.str());
  else
    ADD_FAILURE() << m.str();
}

// Measures every control of `top` (inside it, not inside `skip`).
QImage Picture(QWidget* top) {
  QCoreApplication::processEvents();
  return top->grab().toImage().convertToFormat(QImage::Format_RGB32);
}

void MeasureWindow(QWidget* top, const QString& window, const QPalette& other, Tally& tally,
                   const std::function<bool(QWidget*)>& skip = {}) {
  // What the user sees, and the same under the application's own palette;
  // again while the window is still filling itself (a folder being read).
  QImage picture = Picture(top), usual;
  ASSERT_EQ(picture.devicePixelRatio(), 1.0);
  const QPalette mine = QApplication::palette();
  for (int tries = 0; tries < 10; ++tries) {
    QApplication::setPalette(other);
    usual = Picture(top);
    QApplication::setPalette(mine);
    const QImage again = Picture(top);
    if (again == picture) break;
    picture = again;
  }
  QList<QWidget*> controls;
  for (QWidget* c : top->findChildren<QWidget*>())
    if (c->isVisibleTo(top) && c->isEnabled() && !(skip && skip(c)) && !qobject_cast<QMdiSubWindow*>(c) &&
        (!ShownText(c).isEmpty() || qobject_cast<QAbstractItemView*>(c)))
      controls.append(c);
  const auto follows = ColorPropertiesFollowing(controls, other);
  for (QWidget* c : controls) {
    Fixed f = FixedColours(c, follows);
    QWidget* area = c;
    if (auto* scroll = qobject_cast<QAbstractScrollArea*>(c)) area = scroll->viewport();
    const QPoint at = area->mapTo(top, QPoint(0, 0));
    const int inset = std::min({2, area->width() / 4, area->height() / 4});
    QRegion region = QRegion(area->rect().adjusted(inset, inset, -inset, -inset));
    for (QWidget* child : area->findChildren<QWidget*>(Qt::FindDirectChildrenOnly))
      if (child->isVisibleTo(area)) region -= child->geometry();
    const auto now = Read(picture, region.translated(at));
    if (QByteArray(c->metaObject()->className()).startsWith("Tarnwell::") &&
        c->metaObject()->indexOfProperty("Font") < 0 && now)
      if (const auto before = Read(usual, region.translated(at)))
        for (QRgb was : {before->text, before->back})
          f.text = f.text || was == now->text || was == now->back;
    if (f.text && f.back) {
      ++tally.fixed;
      continue;
    }
    const bool design = f.text || f.back;
    const QString name = window + QStringLiteral(": ") + QString::fromStdString(Describe(c));
    if (!ShownText(c).isEmpty())
      Judge(now, name + QStringLiteral(" \"") + ShownText(c).left(30) + '"',
          design, tally);
    // The parts it paints, each with its text on its own background.
    QAccessibleInterface* a = QAccessible::queryAccessibleInterface(c);
    for (int i = 0; a && i < a->childCount(); ++i) {
      QAccessibleInterface* part = a->child(i);
      if (!part || part->object() || part->state().invisible) continue;
      const QString text = part->text(QAccessible::Name);
      const QRect r = part->rect();
      if (text.trimmed().isEmpty() || r.isEmpty()) continue;
      const QRect local(top->mapFromGlobal(r.topLeft()), r.size());
      if (!QRect(at, area->size()).contains(local)) continue;  // partly scrolled out
      const int in = std::min({1, r.width() / 4, r.height() / 4});
      const QRegion inside(local.adjusted(in, in, -in, -in));
      const auto now = Read(picture, inside);
      if (now && now == Read(usual, inside)) {
        ++tally.fixed;
        continue;
      }
      Judge(now, name + QStringLiteral(" part \"") + text.left(30) + '"', design, tally);
    }
  }
}

void MeasureEveryWindow(const QPalette& palette) {
  AppPaletteScope scope(palette);
  Tally tally;
  int windows = 0;
  ForEveryWindow([&](TForm* w, const TLauncher& l) {
    if (windows++ == 0) {
      // The main frame's own controls, the windows inside it apart.
      MeasureWindow(w->window(), QStringLiteral("main frame"), scope.saved, tally, InsideWindowArea);
    }
    const QString caption = QString::fromUtf8(l.WindowCaption);
    MeasureWindow(w, caption, scope.saved, tally);
    // The pages a tab widget does not show at first, each on its own.
    ForEachHiddenTabPage(w, [&](const QString& tab, QWidget* page) {
      MeasureWindow(w, caption + QStringLiteral(" / ") + tab, scope.saved, tally,
                    [page](QWidget* c) { return !page->isAncestorOf(c); });
    });
  });
  EXPECT_EQ(windows, 15);
  EXPECT_GT(tally.measured, 100);
  std::cout << "measured " << tally.measured << " controls, " << tally.fixed << " with fixed colours, "
            << tally.design.size() << " below 4.5:1 with one colour the design's:\n";
  for (const std::string& d : tally.design) std::cout << "  " << d << "\n";
}

// The measure itself: the WCAG figures (#767676 is the lightest grey that
// reads on white).
TEST(Contrast, RatiosAreTheWcagOnes) {
  EXPECT_DOUBLE_EQ(Contrast(0xffffffu, 0xff000000u), 21.0);
  EXPECT_GE(Contrast(0xff767676u, 0xffffffffu), 4.5);
  EXPECT_LT(Contrast(0xff777777u, 0xffffffffu), 4.5);
  EXPECT_NEAR(Contrast(0xfff0f0f0u, 0xff2d2d2du), 12.08, 0.01);
}

TEST(Contrast, EveryWindowIsReadableUnderADarkPalette) { MeasureEveryWindow(DarkPalette()); }

TEST(Contrast, EveryWindowIsReadableUnderAHighContrastPalette) { MeasureEveryWindow(HighContrastPalette()); }

}  // namespace
