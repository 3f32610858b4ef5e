#include "TColor.h"

#include <QGuiApplication>
#include <QGuiApplication>
#include <QString>
#include <array>

namespace Tarnwell {

namespace {

// The palette role that stands for each system colour index.
QColor SystemColor(unsigned index, const QPalette& pal) {
  switch (index) {
    case 0x00:
      return pal.color(QPalette::Button);  // scroll bar
    case 0x01:
      return pal.color(QPalette::Dark);  // desktop
    case 0x02:
      return pal.color(QPalette::Active, QPalette::Highlight);
    case 0x03:
      return pal.color(QPalette::Inactive, QPalette::Highlight);
    case 0x04:
      return pal.color(QPalette::Window);  // menu
    case 0x05:
      return pal.color(QPalette::Base);  // window
    case 0x06:
      return pal.color(QPalette::Shadow);  // window frame
    case 0x07:
      return pal.color(QPalette::WindowText);  // menu text
    case 0x08:
      return pal.color(QPalette::Text);  // window text
    case 0x09:
      return pal.color(QPalette::Active, QPalette::HighlightedText);
    case 0x0A:
      return pal.color(QPalette::Button);
    case 0x0B:
      return pal.color(QPalette::Button);
    case 0x0C:
      return pal.color(QPalette::Mid);  // MDI workspace
    case 0x0D:
      return pal.color(QPalette::Highlight);
    case 0x0E:
      return pal.color(QPalette::HighlightedText);
    case 0x0F:
      return pal.color(QPalette::Button);  // button face
    case 0x10:
      return pal.color(QPalette::Dark);  // button shadow
    case 0x11:
      return pal.color(QPalette::Disabled, QPalette::Text);
    case 0x12:
      return pal.color(QPalette::ButtonText);
    case 0x13:
      return pal.color(QPalette::Inactive, QPalette::HighlightedText);
    case 0x14:
      return pal.color(QPalette::Light);  // button highlight
    case 0x15:
      return pal.color(QPalette::Shadow);  // 3D dark shadow
    case 0x16:
      return pal.color(QPalette::Midlight);  // 3D light
    case 0x17:
      return pal.color(QPalette::ToolTipText);
    case 0x18:
      return pal.color(QPalette::ToolTipBase);
    default:
      return pal.color(QPalette::Button);
  }
}

QPalette AppPalette() {
  if (qobject_cast<QGuiApplication*>(QCoreApplication::instance())) return QGuiApplication::palette();
  return QPalette();
}

struct NamedColor {
  const char* name;
  TColor value;
};

constexpr std::array<NamedColor, 42> kNames{{
    {"clBlack", clBlack},
    {"clMaroon", clMaroon},
    {"clGreen", clGreen},
    {"clOlive", clOlive},
    {"clNavy", clNavy},
    {"clPurple", clPurple},
    {"clTeal", clTeal},
    {"clGray", clGray},
    {"clSilver", clSilver},
    {"clRed", clRed},
    {"clLime", clLime},
    {"clYellow", clYellow},
    {"clBlue", clBlue},
    {"clFuchsia", clFuchsia},
    {"clAqua", clAqua},
    {"clWhite", clWhite},
    {"clNone", clNone},
    {"clDefault", clDefault},
    {"clScrollBar", clScrollBar},
    {"clBackground", clBackground},
    {"clActiveCaption", clActiveCaption},
    {"clInactiveCaption", clInactiveCaption},
    {"clMenu", clMenu},
    {"clWindow", clWindow},
    {"clWindowFrame", clWindowFrame},
    {"clMenuText", clMenuText},
    {"clWindowText", clWindowText},
    {"clCaptionText", clCaptionText},
    {"clActiveBorder", clActiveBorder},
    {"clInactiveBorder", clInactiveBorder},
    {"clAppWorkSpace", clAppWorkSpace},
    {"clHighlight", clHighlight},
    {"clHighlightText", clHighlightText},
    {"clBtnFace", clBtnFace},
    {"clBtnShadow", clBtnShadow},
    {"clGrayText", clGrayText},
    {"clBtnText", clBtnText},
    {"clInactiveCaptionText", clInactiveCaptionText},
    {"clBtnHighlight", clBtnHighlight},
    {"cl3DDkShadow", cl3DDkShadow},
    {"cl3DLight", cl3DLight},
    {"clInfoBk", clInfoBk},
}};

}  // namespace

TColor ColorToRGB(TColor c, const QPalette& palette) {
  if (!IsSystemColor(c)) return c;
  return FromQColor(SystemColor(c & 0xFF, palette));
}

TColor ColorToRGB(TColor c) {
  if (!IsSystemColor(c)) return c;
  return ColorToRGB(c, AppPalette());
}

QColor ToQColor(TColor c, const QPalette& palette) {
  if (c == clNone) return QColor(0, 0, 0, 0);
  if (c == clDefault) return palette.color(QPalette::Window);
  TColor v = ColorToRGB(c, palette);
  return QColor(GetRValue(v), GetGValue(v), GetBValue(v));
}

QColor ToQColor(TColor c) {
  if (IsSystemColor(c) || c == clDefault) return ToQColor(c, AppPalette());
  if (c == clNone) return QColor(0, 0, 0, 0);
  return QColor(GetRValue(c), GetGValue(c), GetBValue(c));
}

TColor FromQColor(const QColor& c) {
  // The way back of ToQColor(clNone): a colour that paints nothing (or none
  // at all) stays "no colour" instead of turning black.
  if (!c.isValid() || c.alpha() == 0) return clNone;
  return RGB(c.red(), c.green(), c.blue());
}

QString ColorToString(TColor c) {
  for (const auto& n : kNames)
    if (n.value == c) return QString::fromLatin1(n.name);
  return QStringLiteral("$%1").arg(c, 8, 16, QLatin1Char('0')).toUpper();
}

bool StringToColor(const QString& s, TColor& out) {
  const QString t = s.trimmed();
  for (const auto& n : kNames)
    if (t.compare(QLatin1String(n.name), Qt::CaseInsensitive) == 0) {
      out = n.value;
      return true;
    }
  bool ok = false;
  unsigned v = 0;
  if (t.startsWith(QLatin1Char('$')))
    v = t.mid(1).toUInt(&ok, 16);
  else if (t.startsWith(QLatin1String("0x"), Qt::CaseInsensitive))
    v = t.mid(2).toUInt(&ok, 16);
  else {
    const qint64 d = t.toLongLong(&ok);
    ok = ok && d >= -0x80000000LL && d <= 0xFFFFFFFFLL;
    v = unsigned(d);
  }
  if (!ok) return false;
  out = v;
  return true;
}

}  // namespace Tarnwell
