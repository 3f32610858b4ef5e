#include "TGraphics.h"

#include <QFontDatabase>
#include <QFontMetrics>
#include <QHash>
#include <cmath>
#include <mutex>

namespace Tarnwell {

void TGraphicsObject::Changed() {
  if (OnChange) OnChange(this);
}

// ---- TPen ------------------------------------------------------------------

void TPen::SetColor(TColor c) {
  if (c == mColor) return;
  mColor = c;
  Changed();
}
void TPen::SetWidth(int w) {
  if (w < 0) w = 0;
  if (w == mWidth) return;
  mWidth = w;
  Changed();
}
void TPen::SetStyle(TPenStyle s) {
  if (s == mStyle) return;
  mStyle = s;
  Changed();
}
void TPen::SetMode(TPenMode m) {
  if (m == mMode) return;
  mMode = m;
  Changed();
}
void TPen::Assign(const TPen& o) {
  if (mColor == o.mColor && mWidth == o.mWidth && mStyle == o.mStyle && mMode == o.mMode) return;
  mColor = o.mColor;
  mWidth = o.mWidth;
  mStyle = o.mStyle;
  mMode = o.mMode;
  Changed();
}

QPen TPen::ToQPen() const {
  if (mStyle == psClear || mColor == clNone) return QPen(Qt::NoPen);
  QPen p(ToQColor(mColor));
  p.setWidth(std::max(1, mWidth));
  // Wide pens end and join round, as the classic canvas draws them, so that
  // short steps of a wide trace still meet and a zero-length line is a dot.
  p.setCapStyle(mWidth > 1 ? Qt::RoundCap : Qt::FlatCap);
  p.setJoinStyle(mWidth > 1 ? Qt::RoundJoin : Qt::MiterJoin);
  // Dashes only apply to thin pens, as on the classic canvas.
  if (mWidth <= 1) {
    switch (mStyle) {
      case psDash:
        p.setDashPattern({6, 2});
        break;
      case psDot:
        p.setDashPattern({1, 1});
        break;
      case psDashDot:
        p.setDashPattern({3, 1, 1, 1});
        break;
      case psDashDotDot:
        p.setDashPattern({3, 1, 1, 1, 1, 1});
        break;
      default:
        break;
    }
  }
  return p;
}

// ---- TBrush ----------------------------------------------------------------

void TBrush::SetColor(TColor c) {
  if (c == mColor) return;
  mColor = c;
  // Giving a clear brush a colour makes it solid again.
  if (mStyle == bsClear) mStyle = bsSolid;
  Changed();
}
void TBrush::SetStyle(TBrushStyle s) {
  if (s == mStyle) return;
  mStyle = s;
  Changed();
}
void TBrush::SetBitmap(const QImage& img) {
  mBitmap = img;
  Changed();
}
void TBrush::Assign(const TBrush& o) {
  if (mColor == o.mColor && mStyle == o.mStyle && mBitmap.cacheKey() == o.mBitmap.cacheKey()) return;
  mColor = o.mColor;
  mStyle = o.mStyle;
  mBitmap = o.mBitmap;
  Changed();
}

QBrush TBrush::ToQBrush() const {
  if (!mBitmap.isNull()) return QBrush(mBitmap);
  if (mStyle == bsClear || mColor == clNone) return QBrush(Qt::NoBrush);
  QColor c = ToQColor(mColor);
  switch (mStyle) {
    case bsSolid:
      return QBrush(c, Qt::SolidPattern);
    case bsHorizontal:
      return QBrush(c, Qt::HorPattern);
    case bsVertical:
      return QBrush(c, Qt::VerPattern);
    case bsFDiagonal:
      return QBrush(c, Qt::FDiagPattern);
    case bsBDiagonal:
      return QBrush(c, Qt::BDiagPattern);
    case bsCross:
      return QBrush(c, Qt::CrossPattern);
    case bsDiagCross:
      return QBrush(c, Qt::DiagCrossPattern);
    default:
      return QBrush(Qt::NoBrush);
  }
}

// ---- TFont -----------------------------------------------------------------

namespace {

// Classic face names found in stored designs, mapped to families that Debian's
// fonts-liberation2 and fonts-dejavu-core install with the same metrics.
const QHash<QString, QString>& FontMap() {
  static const QHash<QString, QString> map = {
      {QStringLiteral("ms sans serif"), QStringLiteral("Liberation Sans")},
      {QStringLiteral("ms shell dlg"), QStringLiteral("Liberation Sans")},
      {QStringLiteral("ms shell dlg 2"), QStringLiteral("Liberation Sans")},
      {QStringLiteral("microsoft sans serif"), QStringLiteral("Liberation Sans")},
      {QStringLiteral("tahoma"), QStringLiteral("DejaVu Sans")},
      {QStringLiteral("verdana"), QStringLiteral("DejaVu Sans")},
      {QStringLiteral("arial"), QStringLiteral("Liberation Sans")},
      {QStringLiteral("helvetica"), QStringLiteral("Liberation Sans")},
      {QStringLiteral("small fonts"), QStringLiteral("Liberation Sans")},
      {QStringLiteral("system"), QStringLiteral("Liberation Sans")},
      {QStringLiteral("times new roman"), QStringLiteral("Liberation Serif")},
      {QStringLiteral("ms serif"), QStringLiteral("Liberation Serif")},
      {QStringLiteral("times"), QStringLiteral("Liberation Serif")},
      {QStringLiteral("courier new"), QStringLiteral("Liberation Mono")},
      {QStringLiteral("courier"), QStringLiteral("Liberation Mono")},
      {QStringLiteral("fixedsys"), QStringLiteral("DejaVu Sans Mono")},
      {QStringLiteral("lucida console"), QStringLiteral("DejaVu Sans Mono")},
      {QStringLiteral("terminal"), QStringLiteral("DejaVu Sans Mono")},
  };
  return map;
}

QString MapFamily(const QString& name) {
  auto it = FontMap().constFind(name.toLower());
  return it == FontMap().constEnd() ? name : *it;
}

}  // namespace

void InstallFontSubstitutes() {
  static std::once_flag once;
  std::call_once(once, [] {
    for (auto it = FontMap().constBegin(); it != FontMap().constEnd(); ++it) {
      // QFont matches substitutes case-insensitively.
      QFont::insertSubstitution(it.key(), it.value());
    }
  });
}

TFont::TFont() = default;
TFont::TFont(const TFont& o)
    : TGraphicsObject(),
      mName(o.mName),
      mHeight(o.mHeight),
      mStyle(o.mStyle),
      mColor(o.mColor),
      mPitch(o.mPitch),
      mCharset(o.mCharset),
      mOrientation(o.mOrientation) {}

void TFont::SetName(const QString& n) {
  if (n == mName) return;
  mName = n;
  Changed();
}
void TFont::SetHeight(int h) {
  if (h == mHeight) return;
  mHeight = h;
  Changed();
}
int TFont::Size() const {
  // Points from pixels at 96 dpi, rounded half away from zero.
  const double pts = -double(mHeight) * 72.0 / ScreenPixelsPerInch;
  return int(std::lround(pts));
}
void TFont::SetSize(int points) { SetHeight(-int(std::lround(double(points) * ScreenPixelsPerInch / 72.0))); }
void TFont::SetStyle(TFontStyles s) {
  if (s == mStyle) return;
  mStyle = s;
  Changed();
}
void TFont::SetColor(TColor c) {
  if (c == mColor) return;
  mColor = c;
  Changed();
}
void TFont::SetPitch(TFontPitch p) {
  if (p == mPitch) return;
  mPitch = p;
  Changed();
}
void TFont::SetCharset(int c) {
  if (c == mCharset) return;
  mCharset = c;
  Changed();
}
void TFont::SetOrientation(int tenths) {
  if (tenths == mOrientation) return;
  mOrientation = tenths;
  Changed();
}
void TFont::Assign(const TFont& o) {
  if (*this == o) return;
  mName = o.mName;
  mHeight = o.mHeight;
  mStyle = o.mStyle;
  mColor = o.mColor;
  mPitch = o.mPitch;
  mCharset = o.mCharset;
  mOrientation = o.mOrientation;
  Changed();
}
bool TFont::operator==(const TFont& o) const {
  return mName == o.mName && mHeight == o.mHeight && mStyle == o.mStyle && mColor == o.mColor &&
         mPitch == o.mPitch && mCharset == o.mCharset && mOrientation == o.mOrientation;
}

QString TFont::Key() const {
  // Built by hand: this runs for every text a canvas draws.
  QString k;
  k.reserve(mName.size() + 12);
  k.append(mName).append(QChar(u'|')).append(QString::number(mHeight)).append(QChar(u'|'));
  k.append(QChar(char16_t(u'0' + (mStyle & 0xF)))).append(QChar(char16_t(u'0' + int(mPitch))));
  return k;
}

namespace {
QFont MakeQFont(const QString& name, int height, TFontStyles style, TFontPitch pitch);
}

QFont TFont::ToQFont() const {
  thread_local QHash<QString, QFont> cache;
  const QString key = Key();
  auto it = cache.constFind(key);
  if (it != cache.constEnd()) return *it;
  if (cache.size() > 256) cache.clear();
  QFont f = MakeQFont(mName, mHeight, mStyle, mPitch);
  cache.insert(key, f);
  return f;
}

namespace {
QFont MakeQFont(const QString& mName, int mHeight, TFontStyles mStyle, TFontPitch mPitch) {
  InstallFontSubstitutes();
  QFont f(MapFamily(mName));
  f.setStyleStrategy(QFont::NoAntialias);
  f.setHintingPreference(QFont::PreferFullHinting);
  if (mPitch == fpFixed) f.setFixedPitch(true);
  f.setBold(mStyle & fsBold);
  f.setItalic(mStyle & fsItalic);
  f.setUnderline(mStyle & fsUnderline);
  f.setStrikeOut(mStyle & fsStrikeOut);
  if (mHeight < 0) {
    f.setPixelSize(std::max(1, -mHeight));
  } else if (mHeight > 0) {
    // A cell height: find the em size whose line height is that many pixels.
    // Line heights grow by uneven steps with the em size, so start from the
    // proportional guess and walk to the largest em size whose line height
    // does not exceed the cell (exactly the cell whenever one has it).
    f.setPixelSize(mHeight);
    const int h0 = QFontMetrics(f).height();
    int px = h0 > 0 ? std::max(1, int(std::lround(double(mHeight) * mHeight / h0))) : mHeight;
    auto lineHeight = [&f](int size) {
      f.setPixelSize(size);
      return QFontMetrics(f).height();
    };
    for (int i = 0; i < 16 && px > 1 && lineHeight(px) > mHeight; ++i) --px;
    for (int i = 0; i < 16 && lineHeight(px + 1) <= mHeight; ++i) ++px;
    f.setPixelSize(px);
  } else {
    f.setPixelSize(13);
  }
  return f;
}
}  // namespace

void TFont::AssignQFont(const QFont& f) {
  TFont t(*this);
  t.mName = f.family();
  if (f.pixelSize() > 0)
    t.mHeight = -f.pixelSize();
  else
    t.mHeight = -int(std::lround(f.pointSizeF() * ScreenPixelsPerInch / 72.0));
  t.mStyle = (f.bold() ? TFontStyles(fsBold) : 0u) | (f.italic() ? TFontStyles(fsItalic) : 0u) |
             (f.underline() ? TFontStyles(fsUnderline) : 0u) |
             (f.strikeOut() ? TFontStyles(fsStrikeOut) : 0u);
  Assign(t);
}

TFont RotatedFont(const TFont& font, int tenths) {
  TFont f;
  f.Assign(font);
  f.SetOrientation(tenths);
  return f;
}

}  // namespace Tarnwell
