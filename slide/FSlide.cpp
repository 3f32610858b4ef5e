#include "FSlide.h"

#include <QPainter>
#include <QPainterPath>

#include <Tarnwell/app/DemoRegistry.h>
#include <Tarnwell/platform/TPixelRatio.h>

namespace Tarnwell {

namespace {
// The face colours of the pictures, one per bar or image.
const QColor kHues[] = {QColor(0x2f, 0x6f, 0xb5), QColor(0xb5, 0x3a, 0x2f), QColor(0x3a, 0x8f, 0x45),
                        QColor(0x8a, 0x4f, 0xa8), QColor(0xc8, 0x8a, 0x1e), QColor(0x1e, 0x8a, 0x8a),
                        QColor(0x6b, 0x6b, 0x6b), QColor(0xa8, 0x2f, 0x6f), QColor(0x4a, 0x5a, 0xc8),
                        QColor(0x7a, 0x9a, 0x2a), QColor(0x9a, 0x5a, 0x2a)};

// One of a few small symbols, centred in r.
void DrawSymbol(QPainter& p, const QRectF& r, int kind, const QColor& c) {
  p.save();
  p.setRenderHint(QPainter::Antialiasing, true);
  p.setPen(QPen(c.darker(160), 1.2));
  p.setBrush(c);
  const QPointF m = r.center();
  const double s = std::min(r.width(), r.height()) / 2.0;
  switch (kind % 8) {
    case 0: p.drawEllipse(m, s, s); break;
    case 1: p.drawRect(QRectF(m.x() - s, m.y() - s, 2 * s, 2 * s)); break;
    case 2: p.drawPolygon(QPolygonF({QPointF(m.x(), m.y() - s), QPointF(m.x() + s, m.y() + s), QPointF(m.x() - s, m.y() + s)})); break;
    case 3: p.drawPolygon(QPolygonF({QPointF(m.x(), m.y() - s), QPointF(m.x() + s, m.y()), QPointF(m.x(), m.y() + s), QPointF(m.x() - s, m.y())})); break;
    case 4: {
      QPolygonF star;
      for (int i = 0; i < 10; ++i) {
        const double a = -M_PI / 2 + i * M_PI / 5, rr = (i % 2) ? s * 0.45 : s;
        star << QPointF(m.x() + rr * std::cos(a), m.y() + rr * std::sin(a));
      }
      p.drawPolygon(star);
      break;
    }
    case 5: {
      QPainterPath path;
      path.addRoundedRect(QRectF(m.x() - s, m.y() - s * 0.7, 2 * s, 1.4 * s), s * 0.3, s * 0.3);
      p.drawPath(path);
      break;
    }
    case 6: {
      p.drawRect(QRectF(m.x() - s * 0.3, m.y() - s, s * 0.6, 2 * s));
      p.drawRect(QRectF(m.x() - s, m.y() - s * 0.3, 2 * s, s * 0.6));
      break;
    }
    default: {
      p.drawEllipse(m, s, s);
      p.setBrush(Qt::white);
      p.drawEllipse(m, s * 0.45, s * 0.45);
      break;
    }
  }
  p.restore();
}

// A raised face for one button of a strip.
void DrawFace(QPainter& p, const QRect& r, const QColor& c, bool handle) {
  QLinearGradient g(r.topLeft(), r.bottomLeft());
  g.setColorAt(0, handle ? c.lighter(130) : QColor(0xe8, 0xe8, 0xe8));
  g.setColorAt(1, handle ? c.darker(130) : QColor(0xb8, 0xb8, 0xb8));
  p.fillRect(r, g);
  p.setPen(QColor(0xff, 0xff, 0xff));
  p.drawLine(r.left(), r.top(), r.right(), r.top());
  p.drawLine(r.left(), r.top(), r.left(), r.bottom());
  p.setPen(QColor(0x50, 0x50, 0x50));
  p.drawLine(r.left(), r.bottom(), r.right(), r.bottom());
  p.drawLine(r.right(), r.top(), r.right(), r.bottom());
}

// A picture of `logical` pixels, drawn in logical coordinates at `ratio`.
QImage Picture(int width, int height, qreal ratio) {
  QImage img(InDevicePixels(QSize(width, height), ratio), QImage::Format_RGB32);
  img.setDevicePixelRatio(ratio);
  return img;
}

QImage Strip(int width, int height, int buttons, int bar, bool handleRight, qreal ratio) {
  QImage img = Picture(width, height, ratio);
  img.fill(QColor(0xc0, 0xc0, 0xc0));
  QPainter p(&img);
  const int bw = width / buttons;
  const QColor hue = kHues[bar % 11];
  for (int i = 0; i < buttons; ++i) {
    const QRect r(i * bw, 0, bw, height);
    DrawFace(p, r, hue, i == 0);
    const double inset = height > 30 ? 12 : 5;
    if (i == 0) {
      // The handle: an arrow pointing the way the bar opens.
      p.save();
      p.setRenderHint(QPainter::Antialiasing, true);
      p.setPen(Qt::NoPen);
      p.setBrush(Qt::white);
      const QPointF m = QRectF(r).center();
      const double s = (height - 2 * inset) / 2.0;
      const double d = handleRight ? -1 : 1;
      p.drawPolygon(QPolygonF({QPointF(m.x() - d * s * 0.6, m.y() - s), QPointF(m.x() + d * s * 0.8, m.y()),
                               QPointF(m.x() - d * s * 0.6, m.y() + s)}));
      p.restore();
    } else {
      DrawSymbol(p, QRectF(r).adjusted(inset, inset, -inset, -inset), i + bar, kHues[(i + bar) % 11]);
    }
  }
  // Columns past the last whole button (300 px for 13 buttons) stay grey.
  return img;
}

TSlideMenu* MakeMenu(QWidget* parent, const char* name, int x, int buttons, const QStringList& lines,
                     TSlideMenuMan* man, TSlideImageList* images, TPatternHolder* holder) {
  auto* m = new TSlideMenu(parent);
  m->setObjectName(QLatin1String(name));
  m->setGeometry(x, 0, 120, 24);
  m->setBtnOffSet(2);
  m->setStepIn(16);
  m->setStepOut(48);
  m->setInterval(40);
  m->setCloseOnClick(true);
  m->setTextTransparent(true);
  m->setBevelWidth(1);
  m->setColor(clSilver);
  TFont f;
  f.SetName(QStringLiteral("MS Sans Serif"));
  f.SetHeight(-11);
  f.SetColor(clBlack);
  m->Font().Assign(f);
  m->setButtonCount(buttons);
  m->setImageList(images);
  m->setPatternHolder(holder);
  m->setMenuManager(man);
  m->setHints(QStringList(lines.size(), QString()));
  m->setItems(lines);
  m->setVisible(false);
  return m;
}

QString Line(const char* caption, bool enabled, bool checked, int image) {
  TSlideMenuItem it;
  it.Caption = QString::fromUtf8(caption);
  it.Enabled = enabled;
  it.CheckMark = checked;
  it.ImageIndex = image;
  return it.Line();
}

QStringList ProvaItems(const char* title, int count) {
  struct R { const char* c; bool e, k; };
  static const R rows[] = {{"Item1 asdf", true, true},  {"Item2 asdf", false, false}, {"Item3 asdfas", true, true},
                           {"Item4 fdas", false, false}, {"-", true, false},          {"Item5 dsf", true, false},
                           {"Item6 dsl", false, false},  {"Item7 lkkl", true, false}, {"Item1 asdf", true, true},
                           {"Item2 asdf", false, false}, {"Item3 asdfas", true, true}};
  QStringList l{Line(title, true, false, 0)};
  for (int i = 1; i < count; ++i) l << Line(rows[i - 1].c, rows[i - 1].e, rows[i - 1].k, i);
  return l;
}
}  // namespace

QImage TFormSlideMenu::ManagerGlyph() {
  QImage img(16, 16, QImage::Format_ARGB32_Premultiplied);
  img.fill(Qt::transparent);
  QPainter p(&img);
  p.setRenderHint(QPainter::Antialiasing, true);
  // Three menu rows under a title bar.
  p.fillRect(QRect(1, 1, 14, 4), QColor(0x20, 0x40, 0x90));
  for (int i = 0; i < 3; ++i) p.fillRect(QRect(3, 6 + i * 3, 11, 2), QColor(0x30, 0x30, 0x30));
  return img;
}

QImage TFormSlideMenu::MenuImage(int index) {
  QImage img(16, 16, QImage::Format_ARGB32_Premultiplied);
  img.fill(Qt::transparent);
  QPainter p(&img);
  DrawSymbol(p, QRectF(2, 2, 12, 12), index, kHues[index % 11]);
  return img;
}

QImage TFormSlideMenu::ServicesPicture(qreal ratio) {
  // Ten rows of 39 px: nine services above, the title row at the bottom
  // (the menu opens upward).
  QImage img = Picture(205, 390, ratio);
  QPainter p(&img);
  QLinearGradient g(0, 0, 205, 0);
  g.setColorAt(0, QColor(0x1d, 0x3c, 0x6e));
  g.setColorAt(1, QColor(0x6a, 0x93, 0xc8));
  p.fillRect(QRect(0, 0, 205, 390), g);
  QFont f(QStringLiteral("DejaVu Sans"));
  f.setPixelSize(13);
  f.setBold(true);
  p.setFont(f);
  static const char* names[] = {"Servizi", "Posta", "Agenda", "Rubrica", "Calcolatrice",
                                "Note", "Stampa", "Archivio", "Orologio", "Aiuto"};
  for (int i = 0; i < 10; ++i) {
    const QRect r(0, i * 39, 205, 39);
    if (i == 0) p.fillRect(r, QColor(0x10, 0x20, 0x40));
    p.setPen(QColor(0xff, 0xff, 0xff, 90));
    p.drawLine(r.left() + 4, r.bottom(), r.right() - 4, r.bottom());
    if (i > 0) DrawSymbol(p, QRectF(10, r.top() + 9, 21, 21), i, kHues[i % 11].lighter(140));
    p.setPen(Qt::white);
    p.drawText(r.adjusted(i == 0 ? 12 : 42, 0, 0, 0), Qt::AlignVCenter | Qt::AlignLeft, QLatin1String(names[i]));
  }
  return img;
}

QImage TFormSlideMenu::BigStrip(int bar, qreal ratio) { return Strip(348, 58, 6, bar, false, ratio); }
QImage TFormSlideMenu::SmallStrip(int bar, qreal ratio) { return Strip(300, 24, 13, bar, true, ratio); }

QImage TFormSlideMenu::PatternTile() {
  QImage img(8, 8, QImage::Format_RGB32);
  img.fill(QColor(0xc0, 0xc0, 0xc0));
  for (int i = 0; i < 8; ++i) img.setPixelColor(i, (i * 3) % 8, QColor(0xd4, 0xd4, 0xd4));
  img.setPixelColor(3, 5, QColor(0xb0, 0xb0, 0xb0));
  return img;
}

TFormSlideMenu::TFormSlideMenu(QWidget* parent) : TForm(parent) {
  setObjectName(QStringLiteral("FormSlideMenu"));
  SetCaption(QStringLiteral("TSlideControls..."));
  setBorderStyle(bsToolWindow);
  TFont formFont;
  formFont.SetName(QStringLiteral("MS Sans Serif"));
  formFont.SetHeight(-11);
  setFont(formFont.ToQFont());

  ImageList1 = new TSlideImageList(this);
  ImageList1->setObjectName(QStringLiteral("ImageList1"));
  for (int i = 0; i < 11; ++i) ImageList1->Add(MenuImage(i));
  PatternHolder1 = new TPatternHolder(this);
  PatternHolder1->setObjectName(QStringLiteral("PatternHolder1"));
  PatternHolder1->setPattern(PatternTile());
  PatternHolder1->setEnabled(true);
  AddComponent(ImageList1);
  AddComponent(PatternHolder1);

  SlideMenuMan = new TSlideMenuMan(this);
  SlideMenuMan->setObjectName(QStringLiteral("SlideMenuMan"));
  SlideMenuMan->setGeometry(0, 0, 23, 24);
  SlideMenuMan->setGlyph(ManagerGlyph());
  SlideMenuMan->setBevelWidth(1);
  SlideMenuMan->setColor(clSilver);
  SlideMenuMan->MenuPosRect()->SetRect(TRect(0, 0, 320, 200));

  const QStringList file = {Line("File Menù", true, false, 0), Line("New Browser", true, false, 1),
                            Line("New Monitor", true, false, 2), Line("Open", true, false, 3),
                            Line("save", true, false, 4),        Line("Save As", true, false, 5),
                            Line("-", true, false, 6),           Line("Close", true, false, 7),
                            Line("Close All", true, false, 8),   Line("Exit", true, false, 9)};
  const QStringList window = {Line("Window Menù", true, false, 0), Line("Tile", true, false, 1),
                              Line("Cascade", true, false, 2), Line("-", true, false, 3)};
  SlideMenu1 = MakeMenu(this, "SlideMenu1", 23, 10, file, SlideMenuMan, ImageList1, PatternHolder1);
  SlideMenu2 = MakeMenu(this, "SlideMenu2", 143, 12, ProvaItems("Prova Menù L", 12), SlideMenuMan, ImageList1,
                        PatternHolder1);
  SlideMenu3 = MakeMenu(this, "SlideMenu3", 263, 4, window, SlideMenuMan, ImageList1, PatternHolder1);
  SlideMenu4 = MakeMenu(this, "SlideMenu4", 383, 9, ProvaItems("Prova Menù", 9), SlideMenuMan, ImageList1,
                        PatternHolder1);
  SlideMenu1->setMenuNext(SlideMenu2);
  SlideMenu2->setMenuPrior(SlideMenu1);
  SlideMenu2->setMenuNext(SlideMenu3);
  SlideMenu3->setMenuPrior(SlideMenu2);
  SlideMenu3->setMenuNext(SlideMenu4);
  SlideMenu4->setMenuPrior(SlideMenu3);
  SlideMenu1->ArrangeNext();
  SlideMenuMan->setMenuFirst(SlideMenu1);
  connect(SlideMenuMan, &TSlideMenuMan::DblClick, this, [this] { SlideMenuMan->ShowMenuTree(TRect()); });

  SlideMenuServices = new TSlideMenu(this);
  SlideMenuServices->setObjectName(QStringLiteral("SlideMenuServices"));
  SlideMenuServices->setGeometry(376, 352, 205, 39);
  SlideMenuServices->setCustom(true);
  SlideMenuServices->setButtonCount(10);
  // Made for the screen the window opens on.
  SlideMenuServices->setBitmap(ServicesPicture(devicePixelRatioF()));
  SlideMenuServices->setDirection(slbToUp);
  SlideMenuServices->setStepIn(20);
  SlideMenuServices->setStepOut(40);
  SlideMenuServices->setInterval(30);
  SlideMenuServices->setBtnOffSet(2);

  TSlideButtonBar** big[] = {&SlideButtonBar1, &SlideButtonBar2, &SlideButtonBar3};
  for (int i = 0; i < 3; ++i) {
    auto* b = new TSlideButtonBar(this);
    b->setObjectName(QStringLiteral("SlideButtonBar%1").arg(i + 1));
    b->setGeometry(4, 208 + 60 * i, 58, 58);
    b->setButtonCount(6);
    b->setBitmap(BigStrip(i, devicePixelRatioF()));
    b->setDirection(slbToRight);
    b->setStepIn(24);
    b->setStepOut(36);
    b->setInterval(50);
    *big[i] = b;
  }
  TSlideButtonBar** small[] = {&SlideButtonBar4, &SlideButtonBar5, &SlideButtonBar6, &SlideButtonBar7,
                               &SlideButtonBar8};
  for (int i = 0; i < 5; ++i) {
    auto* b = new TSlideButtonBar(this);
    b->setObjectName(QStringLiteral("SlideButtonBar%1").arg(i + 4));
    b->setGeometry(592, 152 + 24 * i, 24, 24);
    b->setButtonCount(13);
    b->setBitmap(SmallStrip(i + 3, devicePixelRatioF()));
    b->setDirection(slbToLeft);
    b->setStepIn(12);
    b->setStepOut(24);
    b->setInterval(50);
    *small[i] = b;
  }
  for (QObject* c : std::initializer_list<QObject*>{
           SlideMenuMan, SlideMenu1, SlideMenu2, SlideMenu3, SlideMenu4, SlideMenuServices, SlideButtonBar1,
           SlideButtonBar2, SlideButtonBar3, SlideButtonBar4, SlideButtonBar5, SlideButtonBar6, SlideButtonBar7,
           SlideButtonBar8})
    AddComponent(c);
  SetDesignSize(623, 392);
}

void RegisterDemo_slide() {
  RegisterDemoWindow("TFormSlideMenu", []() -> TForm* { return new TFormSlideMenu(); });
}

}  // namespace Tarnwell
