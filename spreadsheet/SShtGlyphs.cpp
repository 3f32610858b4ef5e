#include "SShtGlyphs.h"

#include <QPainter>
#include <QPainterPath>
#include <QPolygonF>

#include <Tarnwell/platform/TPixelRatio.h>

namespace Tarnwell {

namespace {

void Page(QPainter& p, const QRectF& r) {
  p.setPen(QPen(Qt::black, 1));
  p.setBrush(Qt::white);
  p.drawRect(r);
}

void TextLines(QPainter& p, double x1, double x2, double y, int n, double step = 2) {
  p.setPen(QPen(QColor(0, 0, 128), 1));
  for (int i = 0; i < n; ++i) p.drawLine(QPointF(x1, y + i * step), QPointF(x2, y + i * step));
}

void Arrow(QPainter& p, bool up, double x, const QColor& c) {
  p.setPen(QPen(c, 1.5));
  p.drawLine(QPointF(x, 2), QPointF(x, 14));
  p.setPen(Qt::NoPen);
  p.setBrush(c);
  if (up)
    p.drawPolygon(QPolygonF({QPointF(x - 3.5, 6), QPointF(x, 1), QPointF(x + 3.5, 6)}));
  else
    p.drawPolygon(QPolygonF({QPointF(x - 3.5, 10), QPointF(x, 15), QPointF(x + 3.5, 10)}));
}

void Lens(QPainter& p) {
  p.setPen(QPen(Qt::black, 1.5));
  p.setBrush(QColor(200, 230, 255));
  p.drawEllipse(QRectF(1.5, 1.5, 8, 8));
  p.setPen(QPen(QColor(90, 60, 20), 2.5));
  p.drawLine(QPointF(8.5, 8.5), QPointF(13, 13));
}

void Align(QPainter& p, int how) {
  p.setPen(QPen(Qt::black, 1));
  const int widths[] = {12, 8, 12, 6, 10};
  for (int i = 0; i < 5; ++i) {
    const int w = widths[i];
    const int x = how == 0 ? 2 : how == 1 ? 8 - w / 2 : 14 - w;
    p.drawLine(x, 3 + i * 2 + (i > 0 ? i : 0) / 2, x + w - 1, 3 + i * 2 + (i > 0 ? i : 0) / 2);
  }
}

void VLayout(QPainter& p, int how) {
  p.setPen(QPen(Qt::gray, 1));
  p.setBrush(Qt::white);
  p.drawRect(QRectF(1.5, 1.5, 13, 13));
  p.setPen(QPen(Qt::black, 1));
  const int y = how == 0 ? 4 : how == 1 ? 7 : 10;
  p.drawLine(4, y, 12, y);
  p.drawLine(4, y + 2, 10, y + 2);
}

}  // namespace

QImage SheetGlyph(TSheetGlyph g, qreal ratio) {
  QImage img(InDevicePixels(QSize(16, 16), ratio), QImage::Format_ARGB32_Premultiplied);
  img.setDevicePixelRatio(ratio);
  img.fill(Qt::transparent);
  QPainter p(&img);
  const QColor navy(0, 0, 128);
  switch (g) {
    case sgNew:
      Page(p, QRectF(3.5, 1.5, 9, 13));
      break;
    case sgOpen:
      p.setPen(QPen(Qt::black, 1));
      p.setBrush(QColor(230, 200, 80));
      p.drawPolygon(QPolygonF({QPointF(1.5, 4.5), QPointF(6.5, 4.5), QPointF(7.5, 6.5), QPointF(13.5, 6.5),
                               QPointF(13.5, 13.5), QPointF(1.5, 13.5)}));
      break;
    case sgSave:
      p.setPen(QPen(Qt::black, 1));
      p.setBrush(navy);
      p.drawRect(QRectF(1.5, 1.5, 13, 13));
      p.fillRect(QRectF(4, 2, 8, 5), Qt::white);
      p.fillRect(QRectF(5, 10, 6, 4), QColor(192, 192, 192));
      break;
    case sgPrintGrid:
      p.setPen(QPen(Qt::black, 1));
      p.setBrush(Qt::white);
      p.drawRect(QRectF(1.5, 2.5, 13, 11));
      p.drawLine(QPointF(1.5, 6.5), QPointF(14.5, 6.5));
      p.drawLine(QPointF(1.5, 10.5), QPointF(14.5, 10.5));
      p.drawLine(QPointF(6.5, 2.5), QPointF(6.5, 13.5));
      p.drawLine(QPointF(10.5, 2.5), QPointF(10.5, 13.5));
      break;
    case sgLandscape:
      Page(p, QRectF(1.5, 4.5, 13, 8));
      TextLines(p, 3, 13, 7, 3);
      break;
    case sgPrint:
      p.setPen(QPen(Qt::black, 1));
      p.setBrush(Qt::white);
      p.drawRect(QRectF(4.5, 1.5, 7, 6));
      p.setBrush(QColor(192, 192, 192));
      p.drawRect(QRectF(1.5, 7.5, 13, 5));
      p.setBrush(Qt::white);
      p.drawRect(QRectF(4.5, 11.5, 7, 3));
      break;
    case sgEdit:
      p.setPen(QPen(Qt::black, 1));
      p.setBrush(QColor(250, 220, 80));
      p.drawPolygon(
          QPolygonF({QPointF(2, 14), QPointF(3, 10), QPointF(11, 2), QPointF(14, 5), QPointF(6, 13)}));
      break;
    case sgAutoRecalc:
    case sgRecalc: {
      QFont f(QStringLiteral("Times New Roman"));
      f.setPixelSize(13);
      f.setItalic(true);
      f.setBold(true);
      p.setFont(f);
      p.setPen(g == sgRecalc ? navy : QColor(0, 110, 0));
      p.drawText(QRect(0, 0, 16, 16), Qt::AlignCenter,
                 g == sgRecalc ? QStringLiteral("fx") : QStringLiteral("=A"));
      break;
    }
    case sgCut:
      p.setPen(QPen(Qt::black, 1));
      p.setBrush(Qt::NoBrush);
      p.drawEllipse(QRectF(2.5, 10.5, 4, 4));
      p.drawEllipse(QRectF(9.5, 10.5, 4, 4));
      p.drawLine(QPointF(5.5, 10.5), QPointF(11, 1.5));
      p.drawLine(QPointF(10.5, 10.5), QPointF(5, 1.5));
      break;
    case sgCopy:
      Page(p, QRectF(1.5, 1.5, 8, 10));
      Page(p, QRectF(6.5, 4.5, 8, 10));
      TextLines(p, 8, 13, 7, 3, 2.5);
      break;
    case sgPaste:
      p.setPen(QPen(Qt::black, 1));
      p.setBrush(QColor(180, 130, 60));
      p.drawRect(QRectF(1.5, 2.5, 10, 12));
      Page(p, QRectF(6.5, 6.5, 8, 8));
      break;
    case sgSortAsc:
    case sgSortDesc: {
      Arrow(p, g == sgSortAsc, 4, navy);
      QFont f = p.font();
      f.setPixelSize(7);
      f.setBold(true);
      p.setFont(f);
      p.setPen(Qt::black);
      p.drawText(QRect(7, 0, 9, 8), Qt::AlignCenter,
                 g == sgSortAsc ? QStringLiteral("A") : QStringLiteral("Z"));
      p.drawText(QRect(7, 8, 9, 8), Qt::AlignCenter,
                 g == sgSortAsc ? QStringLiteral("Z") : QStringLiteral("A"));
      break;
    }
    case sgFindFirst:
      Lens(p);
      break;
    case sgFindNext:
      Lens(p);
      p.setPen(Qt::NoPen);
      p.setBrush(navy);
      p.drawPolygon(QPolygonF({QPointF(11, 1), QPointF(15, 4), QPointF(11, 7)}));
      break;
    case sgFontColor: {
      QFont f(QStringLiteral("Times New Roman"));
      f.setPixelSize(12);
      f.setBold(true);
      p.setFont(f);
      p.setPen(Qt::black);
      p.drawText(QRect(0, -1, 16, 13), Qt::AlignCenter, QStringLiteral("A"));
      p.fillRect(QRect(1, 12, 14, 3), Qt::red);
      break;
    }
    case sgAlignLeft:
      Align(p, 0);
      break;
    case sgAlignCenter:
      Align(p, 1);
      break;
    case sgAlignRight:
      Align(p, 2);
      break;
    case sgBackColor:
      p.setPen(QPen(Qt::black, 1));
      p.setBrush(QColor(255, 255, 0));
      p.drawRect(QRectF(1.5, 1.5, 13, 13));
      p.fillRect(QRect(4, 4, 4, 4), QColor(0, 160, 0));
      p.fillRect(QRect(8, 8, 4, 4), QColor(0, 160, 0));
      break;
    case sgMakeBox:
      p.setPen(QPen(Qt::gray, 1, Qt::DotLine));
      p.drawLine(QPointF(8, 1), QPointF(8, 15));
      p.drawLine(QPointF(1, 8), QPointF(15, 8));
      p.setPen(QPen(Qt::black, 2));
      p.setBrush(Qt::NoBrush);
      p.drawRect(QRectF(2, 2, 12, 12));
      break;
    case sgUndo: {
      p.setPen(QPen(navy, 2));
      QPainterPath path;
      path.moveTo(4, 6);
      path.cubicTo(9, 2, 15, 6, 12, 13);
      p.setBrush(Qt::NoBrush);
      p.drawPath(path);
      p.setPen(Qt::NoPen);
      p.setBrush(navy);
      p.drawPolygon(QPolygonF({QPointF(1, 6), QPointF(7, 2), QPointF(7, 10)}));
      break;
    }
    case sgApply:
      p.setRenderHint(QPainter::Antialiasing);
      p.setPen(QPen(QColor(0, 128, 0), 2.5));
      p.drawLine(QPointF(2, 8), QPointF(6, 13));
      p.drawLine(QPointF(6, 13), QPointF(14, 3));
      break;
    case sgLayTop:
      VLayout(p, 0);
      break;
    case sgLayCenter:
      VLayout(p, 1);
      break;
    case sgLayBottom:
      VLayout(p, 2);
      break;
    case sgLineColor:
      p.setPen(QPen(Qt::black, 1));
      p.setBrush(Qt::NoBrush);
      p.drawRect(QRectF(1.5, 1.5, 12, 12));
      p.fillRect(QRect(1, 12, 14, 3), Qt::blue);
      break;
  }
  return img;
}

}  // namespace Tarnwell
