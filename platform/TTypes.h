#pragma once
// Small value types shared by all components: rectangles with exclusive right
// and bottom edges, points, alignments and the event signature convention.

#include <QObject>
#include <QPoint>
#include <QRect>
#include <QSize>
#include <algorithm>
#include <cmath>
#include <cstdint>
#include <functional>
#include <Tarnwell/TarnwellExport.h>

namespace Tarnwell {

using TObject = QObject;
using TNotifyEvent = std::function<void(TObject* sender)>;

using TPoint = QPoint;

// Left/Top inclusive, Right/Bottom exclusive: Rect(0,0,10,10) is 10x10 pixels.
struct TARNWELL_PLATFORMCORE_EXPORT TRect {
  int Left = 0, Top = 0, Right = 0, Bottom = 0;
  constexpr TRect() = default;
  constexpr TRect(int l, int t, int r, int b) : Left(l), Top(t), Right(r), Bottom(b) {}
  explicit TRect(const QRect& q)
      : Left(q.left()), Top(q.top()), Right(q.left() + q.width()), Bottom(q.top() + q.height()) {}
  constexpr int Width() const { return Right - Left; }
  constexpr int Height() const { return Bottom - Top; }
  constexpr bool IsEmpty() const { return Right <= Left || Bottom <= Top; }
  constexpr TPoint TopLeft() const { return {Left, Top}; }
  constexpr TPoint BottomRight() const { return {Right, Bottom}; }
  constexpr bool Contains(const TPoint& p) const {
    return p.x() >= Left && p.x() < Right && p.y() >= Top && p.y() < Bottom;
  }
  QRect ToQRect() const { return QRect(Left, Top, Right - Left, Bottom - Top); }
  constexpr bool operator==(const TRect&) const = default;
};

constexpr TRect Rect(int l, int t, int r, int b) { return TRect(l, t, r, b); }
constexpr TRect Bounds(int l, int t, int w, int h) { return TRect(l, t, l + w, t + h); }
constexpr TPoint Point(int x, int y) { return TPoint(x, y); }
inline void InflateRect(TRect& r, int dx, int dy) {
  r.Left -= dx;
  r.Top -= dy;
  r.Right += dx;
  r.Bottom += dy;
}
inline void OffsetRect(TRect& r, int dx, int dy) {
  r.Left += dx;
  r.Right += dx;
  r.Top += dy;
  r.Bottom += dy;
}
// The common part; empty (all zero) when they do not meet.
TARNWELL_PLATFORMCORE_EXPORT TRect IntersectRect(const TRect& a, const TRect& b);
TARNWELL_PLATFORMCORE_EXPORT TRect UnionRect(const TRect& a, const TRect& b);

// Registered with the meta-object system so that properties of these types
// take their enumerator names (setProperty("Alignment", "taCenter"), uic).
namespace PlatformTypes {
Q_NAMESPACE_EXPORT(TARNWELL_PLATFORMCORE_EXPORT)
// Horizontal alignment of a caption: left, right or centre.
enum TAlignment { taLeftJustify, taRightJustify, taCenter };
Q_ENUM_NS(TAlignment)
// Vertical placement of a caption: top, centre or bottom.
enum TTextLayout { tlTop, tlCenter, tlBottom };
Q_ENUM_NS(TTextLayout)
// How a bevel is drawn: none, lowered, raised or a space.
enum TBevelCut { bvNone, bvLowered, bvRaised, bvSpace };
Q_ENUM_NS(TBevelCut)
// Panels use bsNone and bsSingle; windows use all of them.
enum TBorderStyle { bsNone, bsSingle, bsSizeable, bsDialog, bsToolWindow, bsSizeToolWin };
Q_ENUM_NS(TBorderStyle)
// The buttons of a window's title bar (the system menu brings the close button).
enum TBorderIcon { biSystemMenu = 1, biMinimize = 2, biMaximize = 4, biHelp = 8 };
Q_DECLARE_FLAGS(TBorderIcons, TBorderIcon)
Q_FLAG_NS(TBorderIcons)
// What closing a window does: nothing, hide it, free it or minimise it.
enum TCloseAction { caNone, caHide, caFree, caMinimize };
Q_ENUM_NS(TCloseAction)
}  // namespace PlatformTypes
using namespace PlatformTypes;
Q_DECLARE_OPERATORS_FOR_FLAGS(PlatformTypes::TBorderIcons)

// The integer nearest to x, halves going to the even one (nearest(2.5) == 2).
// Values beyond the int range are clamped; NaN gives 0.
TARNWELL_PLATFORMCORE_EXPORT int nearest(double x);
// 64-bit variant for coordinates computed from large values.
TARNWELL_PLATFORMCORE_EXPORT std::int64_t nearest64(double x);
// Integer division truncating toward zero (C++'s own, named for readability);
// a zero divisor gives 0 instead of a trap.
constexpr int idiv(int a, int b) { return b == 0 ? 0 : a / b; }
// Clamp a 64-bit or floating value into int range (NaN gives 0).
TARNWELL_PLATFORMCORE_EXPORT int ClampToInt(double v);
TARNWELL_PLATFORMCORE_EXPORT int ClampToInt(std::int64_t v);

}  // namespace Tarnwell
