#include "FSimpVis.h"

#include <QApplication>
#include <QPainter>
#include <QPainterPath>

#include <Tarnwell/app/DemoRegistry.h>

namespace Tarnwell {

QList<QImage> SimpleVisImageList(qreal ratio) {
  QList<QImage> list;
  const QColor colours[6] = {QColor(200, 30, 30), QColor(30, 140, 30), QColor(30, 60, 200),
                             QColor(220, 170, 0), QColor(0, 150, 160), QColor(160, 40, 160)};
  for (int i = 0; i < 6; ++i) {
    QImage img(qRound(16 * ratio), qRound(16 * ratio), QImage::Format_ARGB32_Premultiplied);
    img.setDevicePixelRatio(ratio);
    img.fill(Qt::transparent);
    QPainter p(&img);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(QPen(Qt::black, 1));
    p.setBrush(colours[i]);
    switch (i % 3) {
      case 0: p.drawEllipse(QRectF(2.5, 2.5, 11, 11)); break;
      case 1: p.drawRect(QRectF(2.5, 2.5, 11, 11)); break;
      default: p.drawPolygon(QPolygonF({QPointF(8, 2), QPointF(14, 14), QPointF(2, 14)})); break;
    }
    list << img;
  }
  return list;
}

QImage SimpleVisArrowGlyph(bool up, qreal ratio) {
  QImage img(qRound(9 * ratio), qRound(5 * ratio), QImage::Format_ARGB32_Premultiplied);
  img.setDevicePixelRatio(ratio);
  img.fill(Qt::transparent);
  QPainter p(&img);
  // Exact pixels at ratio 1; smooth edges at the screen's resolution above.
  if (ratio != 1) p.setRenderHint(QPainter::Antialiasing);
  p.setPen(Qt::NoPen);
  p.setBrush(Qt::black);
  if (up)
    p.drawPolygon(QPolygon({QPoint(4, 0), QPoint(9, 5), QPoint(0, 5)}));
  else
    p.drawPolygon(QPolygon({QPoint(0, 0), QPoint(9, 0), QPoint(4, 5)}));
  return img;
}

// A 16 x 16 picture on white (its bottom-left pixel is the transparent one).
QImage SimpleVisSphereGlyph(int index) {
  QImage img(16, 16, QImage::Format_RGB32);
  img.fill(Qt::white);
  QPainter p(&img);
  p.setPen(QPen(QColor(20, 20, 20), 2));
  p.setBrush(Qt::NoBrush);
  switch (index % 5) {
    case 0: p.drawLine(8, 2, 8, 13); p.drawLine(3, 8, 13, 8); break;          // plus
    case 1: p.drawLine(3, 8, 7, 12); p.drawLine(7, 12, 13, 3); break;         // tick
    case 2: p.drawLine(3, 3, 12, 12); p.drawLine(12, 3, 3, 12); break;        // cross
    case 3: p.drawPolygon(QPolygon({QPoint(4, 2), QPoint(12, 8), QPoint(4, 13)})); break;  // play
    default: p.drawRect(4, 4, 7, 7); break;                                   // stop
  }
  return img;
}

QImage SimpleVisPaletteGlyph(qreal ratio) {
  QImage img(qRound(16 * ratio), qRound(16 * ratio), QImage::Format_ARGB32_Premultiplied);
  img.setDevicePixelRatio(ratio);
  img.fill(Qt::transparent);
  QPainter p(&img);
  const QColor c[4] = {Qt::red, Qt::green, Qt::blue, Qt::yellow};
  for (int i = 0; i < 4; ++i) p.fillRect(QRect(1 + (i % 2) * 7, 1 + (i / 2) * 7, 7, 7), c[i]);
  p.setPen(Qt::black);
  // At the screen's resolution the frame runs through the middle of its
  // logical pixels, as wide as one of them.
  if (ratio == 1)
    p.drawRect(0, 0, 15, 15);
  else
    p.drawRect(QRectF(0.5, 0.5, 15, 15));
  return img;
}

namespace {
void PixelFont(TFont& f, const QString& name, int pixels, TFontStyles style) {
  f.SetName(name);
  f.SetHeight(-pixels);
  f.SetStyle(style);
}
}  // namespace

TFormSimpleVis::TFormSimpleVis(QWidget* parent) : TForm(parent) {
  SetCaption(QStringLiteral("Simple Visual Components"));
  setObjectName(QStringLiteral("FormSimpleVis"));
  setBorderStyle(bsSingle);
  setBorderIcons(biSystemMenu | biMinimize);
  setAutoFillBackground(true);

  ColorComboBox1 = new TColorComboBox(this);
  ColorComboBox1->setObjectName(QStringLiteral("ColorComboBox1"));
  ColorComboBox1->setGeometry(8, 4, 133, 22);
  ColorComboBox1->setColorValue(clBlack);
  ColorComboBox1->setItemHeight(16);

  FontComboBox1 = new TFontComboBox(this);
  FontComboBox1->setObjectName(QStringLiteral("FontComboBox1"));
  FontComboBox1->setShowMode(FontComboTypes::smBoth);
  FontComboBox1->Font().SetHeight(-13);
  FontComboBox1->setGeometry(160, 4, 273, 22);

  SpeedButton1 = new TSpeedButton(this);
  SpeedButton1->setObjectName(QStringLiteral("SpeedButton1"));
  SpeedButton1->setCaption(QStringLiteral("Color"));
  SpeedButton1->setGlyph(SimpleVisPaletteGlyph(devicePixelRatioF()));
  SpeedButton1->setGeometry(448, 4, 75, 24);
  connect(SpeedButton1, &QAbstractButton::clicked, this, &TFormSimpleVis::SpeedButton1Click);

  ColorSelector1 = new TColorSelector(this);
  ColorSelector1->setObjectName(QStringLiteral("ColorSelector1"));
  ColorSelector1->setSelectedColor(clNone);

  auto label3d = [this](const char* name, int y) {
    auto* l = new TLabel3D(this);
    l->setObjectName(QString::fromLatin1(name));
    l->setCaption(QStringLiteral("Label3D1"));
    PixelFont(l->Font(), QStringLiteral("Times New Roman"), 24, 0);
    l->move(8, y);
    return l;
  };
  Label3D1 = label3d("Label3D1", 32);
  Label3D1->setFontHighLight(clBtnHighlight);
  Label3D1->setFontShadow(clNone);
  Label3D1->setDisplacement(1);
  Label3D2 = label3d("Label3D2", 62);
  Label3D2->Font().SetStyle(fsBold);
  Label3D2->Font().SetColor(clTeal);
  Label3D2->setFontShadow(clNone);
  Label3D2->setDisplacement(2);
  Label3D3 = label3d("Label3D3", 92);
  Label3D3->Font().SetColor(clBlue);
  Label3D3->setFontHighLight(clNone);
  Label3D3->setFontShadow(clBtnShadow);
  Label3D3->setDisplacement(3);

  auto angle = [this](const char* name, int angleValue, QRect r) {
    auto* l = new TLabelAngle(this);
    l->setObjectName(QString::fromLatin1(name));
    l->setAutoSize(false);
    l->setCaption(QStringLiteral("LabelAngle1"));
    PixelFont(l->Font(), QStringLiteral("Arial"), 16, fsBold);
    l->setAngle(angleValue);
    l->setGeometry(r);
    l->setTransparent(true);
    return l;
  };
  LabelAngle1 = angle("LabelAngle1", 0, QRect(160, 36, 120, 22));
  LabelAngle2 = angle("LabelAngle2", 90, QRect(300, 30, 26, 104));
  LabelAngle2->setOffSetY(100);
  LabelAngle2->setTransparent(false);
  LabelAngle3 = angle("LabelAngle3", 45, QRect(330, 30, 80, 66));
  LabelAngle3->setOffSetY(60);
  LabelAngle4 = angle("LabelAngle4", -30, QRect(160, 62, 136, 58));
  LabelAngle4->setOffSetX(20);

  ShineButton1 = new TShineButton(this);
  ShineButton2 = new TShineButton(this);
  int sy = 36;
  for (TShineButton* b : {ShineButton1, ShineButton2}) {
    b->setObjectName(b == ShineButton1 ? QStringLiteral("ShineButton1") : QStringLiteral("ShineButton2"));
    b->setCaption(QStringLiteral("Shine"));
    b->setShineColor(clRed);
    b->setDefColor(clBlack);
    b->setGeometry(448, sy, 75, 24);
    sy += 28;
  }
  ShineButton2->setFlat(true);

  auto led = [this](const char* name, bool lit, GraphLedTypes::TGLedLayout layout, QPoint at, const char* hint) {
    auto* l = new TGraphicLed(this);
    l->setObjectName(QString::fromLatin1(name));
    l->setCaption(QStringLiteral("GraphicLed1"));
    l->setChecked(lit);
    l->setLayout(layout);
    l->move(at);
    SetHint(l, QString::fromLatin1(hint));
    return l;
  };
  GraphicLed1 = led("GraphicLed1", false, GraphLedTypes::glLedLeft, QPoint(8, 140), "Checked = False");
  GraphicLed2 = led("GraphicLed2", true, GraphLedTypes::glLedTop, QPoint(118, 128), "Checked = True");
  GraphicLed2->Font().SetHeight(-13);
  GraphicLed2->resize(GraphicLed2->width(), 36);
  GraphicLed3 = led("GraphicLed3", false, GraphLedTypes::glLedRight, QPoint(210, 140), "Checked = False");
  GraphicLed3->Font().SetHeight(-16);
  GraphicLed3->Font().SetStyle(fsBold);
  GraphicLed3->resize(GraphicLed3->width(), 20);
  GraphicLed1->resize(GraphicLed1->width(), 18);

  URLLabel1 = new TURLLabel(this);
  URLLabel1->setObjectName(QStringLiteral("URLLabel1"));
  URLLabel1->setCaption(QStringLiteral("Go to Tarnwell"));
  URLLabel1->setURL(QStringLiteral("https://tarnwell.example.org"));
  URLLabel1->setNormFontColor(QColor(0, 0, 128));
  {
    QFont shine = URLLabel1->NormQFont();
    shine.setUnderline(true);
    URLLabel1->setShineFont(shine);
  }
  URLLabel1->setShineFontColor(QColor(0, 0, 255));
  SetHint(URLLabel1, URLLabel1->URL());
  URLLabel1->move(8, 166);
  URLLabel2 = new TURLLabel(this);
  URLLabel2->setObjectName(QStringLiteral("URLLabel2"));
  URLLabel2->setCaption(QStringLiteral("Send an Email"));
  URLLabel2->setURL(QStringLiteral("tarnwell@example.org"));
  URLLabel2->setNormFontColor(QColor(128, 0, 0));
  {
    QFont shine = URLLabel2->NormQFont();
    shine.setUnderline(true);
    URLLabel2->setShineFont(shine);
  }
  URLLabel2->setShineFontColor(QColor(255, 0, 0));
  SetHint(URLLabel2, URLLabel2->URL());
  URLLabel2->move(150, 166);

  auto caption = [this](const char* name, const char* text, QPoint at) {
    auto* l = new QLabel(QString::fromLatin1(text), this);
    l->setObjectName(QString::fromLatin1(name));
    l->move(at);
    l->adjustSize();
    return l;
  };
  Label2 = caption("Label2", "TSfericalButton", QPoint(8, 184));
  const TSphericalButtonColor tints[5] = {bclBlue, bclGreen, bclRed, bclYellow, bclNone};
  TSphericalButton** spheres[5] = {&SphericalButton1, &SphericalButton2, &SphericalButton3, &SphericalButton4,
                                   &SphericalButton5};
  for (int i = 0; i < 5; ++i) {
    auto* b = new TSphericalButton(this);
    b->setObjectName(QStringLiteral("SphericalButton%1").arg(i + 1));
    b->setFrameType(ftDefault24Bit);
    b->setGlyph(SimpleVisSphereGlyph(i));
    b->setButtonColor(tints[i]);
    b->move(8 + 48 * i, 199);
    b->setAccessibleName(QStringLiteral("SphericalButton%1").arg(i + 1));
    *spheres[i] = b;
  }

  Label1 = caption("Label1", "TButtonArray", QPoint(8, 250));
  ButtonArray1 = new TButtonArray(this);
  ButtonArray1->setObjectName(QStringLiteral("ButtonArray1"));
  ButtonArray1->setCount(6);
  ButtonArray1->setImageList(SimpleVisImageList(devicePixelRatioF()));
  ButtonArray1->setGeometry(8, 266, 237, 39);
  ButtonArray2 = new TButtonArray(this);
  ButtonArray2->setObjectName(QStringLiteral("ButtonArray2"));
  ButtonArray2->setCount(6);
  ButtonArray2->setImageList(SimpleVisImageList(devicePixelRatioF()));
  ButtonArray2->setGeometry(8, 309, 133, 25);

  Label3 = caption("Label3", "TDateTimeEdit", QPoint(250, 176));
  DateTimeEdit1 = new TDateTimeEdit(this);
  DateTimeEdit1->setObjectName(QStringLiteral("DateTimeEdit1"));
  DateTimeEdit1->setGeometry(250, 192, 161, 65);
  PixelFont(DateTimeEdit1->Font(), QStringLiteral("Times New Roman"), 26, fsItalic);
  DateTimeEdit1->setDate(36510);
  DateTimeEdit2 = new TDateTimeEdit(this);
  DateTimeEdit2->setObjectName(QStringLiteral("DateTimeEdit2"));
  DateTimeEdit2->setDTType(dteTime);
  DateTimeEdit2->setGeometry(250, 262, 121, 65);
  PixelFont(DateTimeEdit2->Font(), QStringLiteral("Times New Roman"), 24, fsItalic);
  DateTimeEdit2->setTime(QStringLiteral("12.25.22"));
  for (TDateTimeEdit* e : {DateTimeEdit1, DateTimeEdit2}) {
    e->setBtnHeight(16);
    e->setBorderWidth(10);
    e->setBtnUpGlyph(SimpleVisArrowGlyph(true, devicePixelRatioF()));
    e->setBtnDnGlyph(SimpleVisArrowGlyph(false, devicePixelRatioF()));
  }

  Label4 = caption("Label4", "TEnhRombButton", QPoint(414, 226));
  EnhRombButtons1 = new TEnhRombButtons(this);
  EnhRombButtons1->setObjectName(QStringLiteral("EnhRombButtons1"));
  EnhRombButtons1->setGeometry(414, 100, 117, 117);
  EnhRombButtons1->setButtonSpace(3);
  EnhRombButtons1->setSignalFocus(false);
  SetHint(EnhRombButtons1, QStringLiteral("SignalFocus = False"));
  EnhRombButtons2 = new TEnhRombButtons(this);
  EnhRombButtons2->setObjectName(QStringLiteral("EnhRombButtons2"));
  EnhRombButtons2->setGeometry(376, 262, 69, 69);
  EnhRombButtons2->setFullPression(false);
  EnhRombButtons2->setWithArrows(false);
  SetHint(EnhRombButtons2, QStringLiteral("SignalFocus = True"));
  EnhRombButtons3 = new TEnhRombButtons(this);
  EnhRombButtons3->setObjectName(QStringLiteral("EnhRombButtons3"));
  EnhRombButtons3->setGeometry(462, 262, 61, 61);
  EnhRombButtons3->setDrawContur(false);
  EnhRombButtons3->setWithArrows(false);
  EnhRombButtons3->setButtonSpace(3);

  for (QObject* c : children()) AddComponent(c);
  SetDesignSize(531, 338);
}

void TFormSimpleVis::SpeedButton1Click() {
  if (!ColorSelector1->Execute()) return;
  const TColor c = ColorSelector1->SelectedColor();
  QPalette pal = palette();
  // "none" gives the window back the ordinary face colour.
  pal.setColor(backgroundRole(), c == clNone ? QApplication::palette().color(backgroundRole()) : ToQColor(c));
  setPalette(pal);
}

void RegisterDemo_visuals() {
  RegisterDemoWindow("TFormSimpleVis", []() -> TForm* { return new TFormSimpleVis(); });
}

}  // namespace Tarnwell
