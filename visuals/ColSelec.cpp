#include "ColSelec.h"

#include <Tarnwell/platform/TAccessible.h>

#include <QCursor>
#include <QMouseEvent>
#include <QPainter>

#include <Tarnwell/platform/TDialogs.h>

TARNWELL_LIBRARY_ACCESSIBLE(visuals)

namespace Tarnwell {

namespace {

constexpr TColor kBasic[16] = {clBlack,  clMaroon, clGreen, clOlive,  clNavy, clPurple,  clTeal, clGray,
                               clSilver, clRed,    clLime,  clYellow, clBlue, clFuchsia, clAqua, clWhite};

// A 24-bit picture with a one-pixel frame: top and left black, right and bottom white.
QImage FramedPicture(int w, int h) {
  QImage img(w, h, QImage::Format_RGB32);
  img.fill(Qt::white);
  QPainter p(&img);
  p.fillRect(0, 0, w, 1, Qt::black);
  p.fillRect(0, 0, 1, h, Qt::black);
  return img;
}

void Swatch(QImage& img, int x, int y, TColor c) {
  QPainter p(&img);
  p.fillRect(x, y, 16, 16, QColor::fromRgb(ToQRgb(ColorToRGB(c))));
}

TColor PixelColor(const QImage& img, int x, int y) {
  if (x < 0 || y < 0 || x >= img.width() || y >= img.height()) return clNone;
  return FromQRgb(img.pixel(x, y));
}

}  // namespace

// ---- TPaintBox -----------------------------------------------------------------

void TPaintBox::paintEvent(QPaintEvent*) {
  QPainter p(this);
  if (OnPaint) OnPaint(p);
}

void TPaintBox::mouseMoveEvent(QMouseEvent* e) {
  if (OnMouseMove) OnMouseMove(e->position().toPoint().x(), e->position().toPoint().y());
}

void TPaintBox::mouseReleaseEvent(QMouseEvent* e) {
  if (OnMouseUp) OnMouseUp(e->button(), e->position().toPoint().x(), e->position().toPoint().y());
}

// ---- TFormColorSelector ----------------------------------------------------------

TFormColorSelector::TFormColorSelector(const QImage& defCols, const QImage& userCols, const QImage& redScroll,
                                       const QImage& colArea, TColor current, QWidget* parent)
    : QDialog(parent, Qt::Popup | Qt::FramelessWindowHint),
      mDefCols(defCols),
      mUserCols(userCols),
      mRedScroll(redScroll),
      mColArea(colArea),
      mColor(current) {
  setFixedSize(199, 179);
  auto box = [this](int x, int y, int w, int h) {
    auto* b = new TPaintBox(this);
    b->setGeometry(x, y, w, h);
    b->setMouseTracking(true);
    return b;
  };
  PBDefCols = box(4, 4, 34, 130);
  PBRedScroll = box(44, 4, 18, 130);
  PBRedScroll->setCursor(Qt::SplitVCursor);
  PBColArea = box(64, 4, 130, 130);
  PBColArea->setCursor(Qt::CrossCursor);
  PBUserCols = box(4, 140, 130, 34);
  PBSelNone = box(140, 140, 22, 34);
  PBSelCol = box(172, 140, 22, 34);

  PBDefCols->OnPaint = [this](QPainter& p) { p.drawImage(0, 0, mDefCols); };
  PBUserCols->OnPaint = [this](QPainter& p) { p.drawImage(0, 0, mUserCols); };
  PBRedScroll->OnPaint = [this](QPainter& p) { p.drawImage(0, 0, mRedScroll); };
  PBColArea->OnPaint = [this](QPainter& p) { p.drawImage(0, 0, mColArea); };
  PBSelCol->OnPaint = [this](QPainter& p) {
    p.setPen(Qt::black);
    p.setBrush(mColor == clNone ? QBrush(Qt::NoBrush) : QBrush(ToQColor(mColor)));
    p.drawRect(0, 0, PBSelCol->width() - 1, PBSelCol->height() - 1);
  };
  PBSelNone->OnPaint = [this](QPainter& p) {
    const int w = PBSelNone->width() - 1, h = PBSelNone->height() - 1;
    p.setPen(Qt::black);
    p.setBrush(Qt::white);
    p.drawRect(0, 0, w, h);
    p.drawLine(0, 0, w, h);
    p.drawLine(w, 0, 0, h);
  };

  PBDefCols->OnMouseMove = [this](int x, int y) {
    if (InDefCols(x, y)) Hover(mDefCols, x, y);
  };
  PBUserCols->OnMouseMove = [this](int x, int y) {
    if (InUserCols(x, y)) Hover(mUserCols, x, y);
  };
  PBColArea->OnMouseMove = [this](int x, int y) {
    if (InColArea(x, y)) Hover(mColArea, x, y);
  };
  PBRedScroll->OnMouseMove = [this](int x, int y) {
    if (InRedScroll(x, y)) SetRed(2 * y - 2);
  };
  PBDefCols->OnMouseUp = [this](Qt::MouseButton b, int x, int y) {
    Release(mDefCols, b, x, y, InDefCols(x, y));
  };
  PBUserCols->OnMouseUp = [this](Qt::MouseButton b, int x, int y) {
    Release(mUserCols, b, x, y, InUserCols(x, y));
  };
  PBColArea->OnMouseUp = [this](Qt::MouseButton b, int x, int y) {
    Release(mColArea, b, x, y, InColArea(x, y));
  };
  PBSelNone->OnMouseUp = [this](Qt::MouseButton, int, int) {
    mColor = clNone;
    accept();
  };
  PBSelCol->OnMouseUp = [this](Qt::MouseButton, int, int) { accept(); };
}

void TFormColorSelector::Hover(const QImage& img, int x, int y) {
  const TColor c = PixelColor(img, x, y);
  if (c == clNone) return;
  mColor = c;
  PBSelCol->update();
}

void TFormColorSelector::Release(const QImage& img, Qt::MouseButton b, int x, int y, bool inside) {
  if (b == Qt::RightButton) {
    reject();
    return;
  }
  if (!inside) return;
  const TColor c = PixelColor(img, x, y);
  if (c == clNone) return;
  mColor = c;
  accept();
}

void TFormColorSelector::SetRed(int red) {
  red = std::clamp(red, 0, 255);
  for (int y = 1; y <= 128 && y < mColArea.height(); ++y) {
    auto* line = reinterpret_cast<QRgb*>(mColArea.scanLine(y));
    for (int x = 1; x <= 128 && x < mColArea.width(); ++x)
      line[x] = qRgb(red, qGreen(line[x]), qBlue(line[x]));
  }
  PBColArea->update();
}

// ---- TColorSelector --------------------------------------------------------------

TColorSelector::TColorSelector(QObject* owner) : QObject(owner) {
  mUserColors.fill(clNone);
  mDefCols = FramedPicture(34, 130);
  for (int i = 0; i < 16; ++i) Swatch(mDefCols, i < 8 ? 1 : 17, 1 + (i % 8) * 16, kBasic[i]);
  BuildUserPalette();
  mRedScroll = FramedPicture(18, 130);
  for (int y = 1; y <= 128; ++y) {
    auto* line = reinterpret_cast<QRgb*>(mRedScroll.scanLine(y));
    for (int x = 1; x <= 16; ++x) line[x] = qRgb(2 * (y - 1), 0, 0);
  }
  mColArea = FramedPicture(130, 130);
  for (int y = 1; y <= 128; ++y) {
    auto* line = reinterpret_cast<QRgb*>(mColArea.scanLine(y));
    for (int x = 1; x <= 128; ++x) line[x] = qRgb(0, 2 * (x - 1), 2 * (y - 1));
  }
}

void TColorSelector::BuildUserPalette() {
  mUserCols = FramedPicture(130, 34);
  for (int i = 0; i < 16; ++i) {
    const TColor c = mUserColors[size_t(i)] == clNone ? clWhite : mUserColors[size_t(i)];
    Swatch(mUserCols, 1 + (i % 8) * 16, i < 8 ? 1 : 17, c);
  }
}

void TColorSelector::Accept(TColor c) {
  setSelectedColor(c);
  if (c == clNone) return;
  for (TColor u : mUserColors)
    if (u == c) return;
  mUserColors[size_t(mInsert)] = c;
  mInsert = (mInsert + 1) % 16;
  BuildUserPalette();
}

bool TColorSelector::Execute() {
  TFormColorSelector form(mDefCols, mUserCols, mRedScroll, mColArea, mSelectedColor);
  const QPoint m = QCursor::pos();
  form.move(m.x() - form.width() / 2, m.y() + 10);
  const int r = ExecModal(form);
  if (r != QDialog::Accepted && r != mrOk) return false;
  Accept(form.CurrentColor());
  return true;
}

}  // namespace Tarnwell
