// The lamp and the three labels: geometry of the lamp and its auto size,
// the 3D label's passes, the angled label's start point, and what the URL
// label opens (captured through the desktop's URL handlers).
#include <gtest/gtest.h>

#include <QDesktopServices>
#include <QLineEdit>
#include <QSignalSpy>
#include <QTest>
#include <QUrl>

#include <Tarnwell/platform/TDialogs.h>
#include <Tarnwell/visuals/GraphLed.h>
#include <Tarnwell/visuals/Label3D.h>
#include <Tarnwell/visuals/LabelAng.h>
#include <Tarnwell/visuals/URLLabel.h>
#include <Tarnwell/visuals/GraphLed_p.h>
#include "../measure/MeasureTestUtil.h"
#include "../measure/PropertyRoundTrip.h"
#include "TestUtil.h"

using namespace Tarnwell;

namespace {

class UrlCatcher : public QObject {
  Q_OBJECT
 public:
  QList<QUrl> Opened;
 public Q_SLOTS:
  void open(const QUrl& url) { Opened.push_back(url); }
};

// Catches every kind of address the label may hand to the desktop.
struct CatchUrls {
  UrlCatcher catcher;
  CatchUrls() {
    for (const char* s : {"http", "https", "mailto", "ftp", "file", "javascript"})
      QDesktopServices::setUrlHandler(QLatin1String(s), &catcher, "open");
  }
  ~CatchUrls() {
    for (const char* s : {"http", "https", "mailto", "ftp", "file", "javascript"})
      QDesktopServices::unsetUrlHandler(QLatin1String(s));
  }
};

QImage Render(QWidget& w) { return w.grab().toImage().convertToFormat(QImage::Format_RGB32); }

// Pixels clearly of one primary (the others well below it): counts the
// passes of a given colour in a rendered text.
int CountOf(const QImage& img, QRgb primary) {
  int n = 0;
  for (int y = 0; y < img.height(); ++y)
    for (int x = 0; x < img.width(); ++x) {
      const QRgb p = img.pixel(x, y);
      const int r = qRed(p), g = qGreen(p), b = qBlue(p);
      const bool match = primary == qRgb(255, 0, 0)   ? r > 160 && g < 90 && b < 90
                         : primary == qRgb(0, 255, 0) ? g > 160 && r < 90 && b < 90
                                                      : b > 160 && r < 90 && g < 90;
      n += match;
    }
  return n;
}

}  // namespace

TEST(GraphicLed, AutoSizeFollowsCaptionLayoutAndHeight) {
  TGraphicLed led;
  EXPECT_EQ(led.size(), QSize(50, 16));  // an empty caption at design size
  led.setCaption(QStringLiteral("Motore acceso"));
  TCanvas measure;
  measure.Font().Assign(led.Font());
  const int tw = measure.TextWidth(led.Caption());
  // 16 high, lamp on the left: lamp right edge 15, a gap of 16 div 4.
  EXPECT_EQ(led.width(), 15 + 4 + tw);
  EXPECT_EQ(led.AutoWidth(16), 15 + 4 + tw);
  led.setLayout(glLedRight);
  EXPECT_EQ(led.width(), 15 + tw + 4);
  EXPECT_EQ(led.LedRect(led.width(), 16), TRect(led.width() - 15, 0, led.width(), 15));
  led.setLayout(glLedTop);
  EXPECT_EQ(led.width(), tw);
  led.setLayout(glLedLeft);
  led.show();  // a shown control hears of its new height at once
  led.resize(led.width(), 24);  // a new height re-measures
  EXPECT_EQ(led.width(), 23 + 6 + tw);
  led.setAutoSize(false);
  led.setCaption(QStringLiteral("x"));
  EXPECT_EQ(led.width(), 23 + 6 + tw);
}

TEST(GraphicLed, SixtyPixelCaptionGivesSeventyNine) {
  TGraphicLed led;
  // A caption of exactly 60 pixels: widen a text until it measures 60.
  TCanvas measure;
  measure.Font().Assign(led.Font());
  QString text;
  while (measure.TextWidth(text + QLatin1Char('i')) <= 60) text += QLatin1Char('i');
  while (measure.TextWidth(text) < 60) text += QLatin1Char(' ');
  ASSERT_EQ(measure.TextWidth(text), 60) << "font cannot make a 60-pixel text";
  led.setCaption(text);
  EXPECT_EQ(led.width(), 79);
}

TEST(GraphicLed, LitAndDarkPicturesAndLayoutRectangles) {
  TGraphicLed led;
  led.setAutoSize(false);
  led.resize(40, 40);
  const int t = led.TextLineHeight();
  led.setLayout(glLedTop);
  const int s = 40 - 1 - t;
  EXPECT_EQ(led.LedRect(40, 40), TRect((40 - s) / 2, 0, (40 - s) / 2 + s, s));
  EXPECT_EQ(led.CaptionPos(40, 40), TPoint(0, 40 - t));
  led.setLayout(glLedBottom);
  EXPECT_EQ(led.LedRect(40, 40), TRect((40 - s) / 2, t, (40 - s) / 2 + s, 39));
  led.setLayout(glLedLeft);
  const QImage dark = Render(led);
  led.setChecked(true);
  const QImage lit = Render(led);
  // The lit lamp is brighter green in its middle.
  EXPECT_GT(qGreen(lit.pixel(19, 19)), qGreen(dark.pixel(19, 19)) + 60);
}

TEST(GraphicLed, TooLowForItsCaptionDrawsNoLampAndKeepsItsSize) {
  TGraphicLed led;
  led.setCaption(QStringLiteral("Pompa"));
  led.setLayout(glLedTop);
  led.resize(led.width(), 6);  // lower than the caption line
  EXPECT_TRUE(led.LedRect(led.width(), 6).IsEmpty());
  const QSize before = led.size();
  const int paints = PaintCount(led);
  led.repaint();
  Render(led);
  EXPECT_GT(PaintCount(led), paints);
  EXPECT_EQ(led.size(), before);  // painting never resizes
  led.resize(led.width(), 0);
  Render(led);
  led.setLayout(glLedLeft);
  EXPECT_TRUE(led.LedRect(led.width(), 1).IsEmpty());
}

TEST(Label3D, DisplacementKeepsOnlyZeroToTen) {
  TLabel3D l;
  EXPECT_EQ(l.Displacement(), 1);
  QSignalSpy spy(&l, &TLabel3D::DisplacementChanged);
  l.setDisplacement(11);
  l.setDisplacement(-1);
  EXPECT_EQ(l.Displacement(), 1);
  l.setDisplacement(10);
  l.setDisplacement(0);
  EXPECT_EQ(l.Displacement(), 0);
  EXPECT_EQ(spy.count(), 2);
  l.setProperty("Displacement", 11);
  EXPECT_EQ(l.Displacement(), 0);
  EXPECT_EQ(l.FontHighLight(), clBtnHighlight);
  EXPECT_EQ(l.FontShadow(), clBtnShadow);
}

TEST(Label3D, ThreePassesAndClNoneLeavesOneOut) {
  TLabel3D l;
  l.setCaption(QStringLiteral("HHHH"));
  QFont f = l.font();
  f.setPixelSize(24);
  f.setBold(true);
  l.setFont(f);
  l.setColor(clWhite);
  l.Font().SetColor(clBlue);
  l.setFontHighLight(clRed);
  l.setFontShadow(clLime);
  l.setDisplacement(3);
  l.resize(l.sizeHint() + QSize(10, 10));
  QImage img = Render(l);
  EXPECT_GT(CountOf(img, qRgb(255, 0, 0)), 10);
  EXPECT_GT(CountOf(img, qRgb(0, 255, 0)), 10);
  EXPECT_GT(CountOf(img, qRgb(0, 0, 255)), 10);
  l.setFontShadow(clNone);
  img = Render(l);
  EXPECT_GT(CountOf(img, qRgb(255, 0, 0)), 10);
  EXPECT_EQ(CountOf(img, qRgb(0, 255, 0)), 0);
  EXPECT_GT(CountOf(img, qRgb(0, 0, 255)), 10);
  // The highlight sits up-left of the text: its leftmost column is 3 before.
  auto leftmost = [](const QImage& im, QRgb c) {
    for (int x = 0; x < im.width(); ++x)
      for (int y = 0; y < im.height(); ++y)
        if (CountOf(im.copy(x, y, 1, 1), c)) return x;
    return -1;
  };
  l.setFontHighLight(clNone);
  const int textLeft = leftmost(Render(l), qRgb(0, 0, 255));
  l.setFontHighLight(clRed);
  l.setFontShadow(clLime);
  img = Render(l);
  EXPECT_EQ(leftmost(img, qRgb(0, 255, 0)), textLeft + 3);
}

TEST(Label3D, AutoSizeEmptyCaptionAndAccelerator) {
  TLabel3D l;
  l.setCaption(QString());
  EXPECT_GT(l.width(), 0);  // measured as a blank
  const QSize blank = l.size();
  l.setCaption(QStringLiteral("&"));
  EXPECT_EQ(l.size(), blank);
  l.setCaption(QStringLiteral("&Salva"));
  const int withAccel = l.width();
  l.setShowAccelChar(false);  // "&" now drawn
  EXPECT_GT(l.width(), withAccel);
  l.setWordWrap(true);
  l.setAutoSize(false);
  l.resize(10, 10);
  l.setCaption(QStringLiteral("nessun cambio"));
  EXPECT_EQ(l.size(), QSize(10, 10));
}

TEST(LabelAngle, NinetyDegreesWritesUpwardsFromTheStartPoint) {
  TLabelAngle l;
  EXPECT_FALSE(l.AutoSize());
  EXPECT_FALSE(l.WordWrap());
  l.resize(200, 200);
  l.setColor(clWhite);
  QFont f = l.font();
  f.setPixelSize(20);
  l.setFont(f);
  l.Font().SetColor(clBlack);
  l.setCaption(QStringLiteral("MMMMMM"));
  l.setAngle(90);
  l.setOffSetX(0);
  l.setOffSetY(100);
  const QImage img = Render(l);
  int minY = 1000, maxY = -1, maxX = -1, minX = 1000;
  for (int y = 0; y < 200; ++y)
    for (int x = 0; x < 200; ++x)
      if (qGray(img.pixel(x, y)) < 100) {
        minY = std::min(minY, y);
        maxY = std::max(maxY, y);
        minX = std::min(minX, x);
        maxX = std::max(maxX, x);
      }
  ASSERT_GE(maxY, 0) << "nothing written";
  EXPECT_LE(maxY, 100);       // nothing below the start point
  EXPECT_LT(minY, 100 - 60);  // the text runs up
  EXPECT_GE(minX, 0);
  EXPECT_LE(maxX, 25);  // one line high, to the right of x = 0
}

TEST(LabelAngle, TransparentAndDisabledLook) {
  TLabelAngle l;
  l.resize(60, 30);
  l.setColor(clRed);
  QImage img = Render(l);
  EXPECT_EQ(PixelAt(img, 50, 25), clRed);
  l.setCaption(QStringLiteral("a&&b"));
  EXPECT_EQ(l.ShownText(), "a&b");
  l.setShowAccelChar(false);
  EXPECT_EQ(l.ShownText(), "a&&b");
}

TEST(URLLabel, FontsFollowTheMouse) {
  TURLLabel l;
  EXPECT_EQ(l.ShineFont().Color(), clBlue);
  EXPECT_TRUE(l.ShineFont().Style() & fsUnderline);
  EXPECT_EQ(l.cursor().shape(), Qt::PointingHandCursor);
  QEvent enter(QEvent::Enter);
  QEnterEvent e(QPointF(1, 1), QPointF(1, 1), QPointF(1, 1));
  QCoreApplication::sendEvent(&l, &e);
  EXPECT_TRUE(l.font().underline());
  EXPECT_EQ(l.Font().Color(), clBlue);
  QEvent leave(QEvent::Leave);
  QCoreApplication::sendEvent(&l, &leave);
  EXPECT_FALSE(l.font().underline());
  TFont big(l.NormFont());
  big.SetHeight(-20);
  l.setNormFont(big);
  EXPECT_EQ(l.Font().Height(), -20);
}

TEST(URLLabel, OpensMailWebAndKeepsAnExistingScheme) {
  CatchUrls urls;
  TRecordingDialogs dialogs;
  TURLLabel l;
  l.setCaption(QStringLiteral("Scrivici"));
  QSignalSpy clicked(&l, &TURLLabel::Clicked);
  l.setURL(QStringLiteral("posta@example.org"));
  l.show();
  QTest::mouseClick(&l, Qt::LeftButton, {}, QPoint(2, 2));
  ASSERT_EQ(urls.catcher.Opened.size(), 1);
  EXPECT_EQ(urls.catcher.Opened[0], QUrl("mailto:posta@example.org"));
  EXPECT_EQ(clicked.count(), 1);
  const struct {
    const char* in;
    const char* out;
  } cases[] = {
      {"www.example.org/a?b=1", "http://www.example.org/a?b=1"},
      {"http://www.example.org", "http://www.example.org"},  // never "http://http://"
      {"HTTPS://example.org/x", "HTTPS://example.org/x"},
      {"ftp://files.example.org/", "ftp://files.example.org/"},
      {"mailto:a@b.it", "mailto:a@b.it"},
      {"localhost:8080/pagina", "http://localhost:8080/pagina"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.in);
    l.setURL(QString::fromLatin1(c.in));
    EXPECT_TRUE(l.OpenURL());
    EXPECT_EQ(urls.catcher.Opened.back(), QUrl(QString::fromLatin1(c.out), QUrl::StrictMode));
  }
  EXPECT_TRUE(dialogs.Messages.empty());
}

TEST(URLLabel, RefusesOtherKindsOfAddressWithAMessage) {
  CatchUrls urls;
  TRecordingDialogs dialogs;
  TURLLabel l;
  for (const char* bad : {"file:///etc/passwd", "javascript:alert(1)", "", "   "}) {
    SCOPED_TRACE(bad);
    l.setURL(QString::fromLatin1(bad));
    EXPECT_TRUE(l.Address().isEmpty());
    EXPECT_FALSE(l.OpenURL());
  }
  EXPECT_TRUE(urls.catcher.Opened.empty());
  ASSERT_EQ(dialogs.Messages.size(), 4u);
  EXPECT_EQ(dialogs.Messages[0].Type, mtError);
  EXPECT_TRUE(dialogs.Messages[0].Text.contains("file:///etc/passwd"));
}

TEST(LabelProperties, EveryPropertyRoundTripsAndNotifies) {
  TLabel3D l3;
  EXPECT_GE(TestUtil::CheckRoundTrips(l3, QWidget::staticMetaObject, {"FocusControl"}), 10);
  TLabelAngle la;
  EXPECT_GE(TestUtil::CheckRoundTrips(la, TCustomLabel::staticMetaObject), 3);
  TURLLabel lu;
  EXPECT_GE(TestUtil::CheckRoundTrips(lu, TCustomLabel::staticMetaObject), 3);
  TGraphicLed led;
  EXPECT_GE(TestUtil::CheckRoundTrips(led, QWidget::staticMetaObject), 4);
  EXPECT_TRUE(led.setProperty("Layout", "glLedBottom"));
  EXPECT_EQ(led.Layout(), glLedBottom);
}

TEST(Label3D, AcceleratorFocusesItsControl) {
  QWidget window;
  auto* label = new TLabel3D(&window);
  auto* other = new QLineEdit(&window);
  auto* edit = new QLineEdit(&window);
  label->setCaption(QStringLiteral("&Nome"));
  label->setFocusControl(edit);
  window.show();
  window.activateWindow();
  ASSERT_TRUE(QTest::qWaitForWindowActive(&window));
  other->setFocus();
  QTest::keyClick(&window, Qt::Key_N, Qt::AltModifier);
  EXPECT_TRUE(WaitUntil([&] { return edit->hasFocus(); }, 1000));
  // The control gone, the label forgets it.
  delete edit;
  EXPECT_EQ(label->FocusControl(), nullptr);
  QTest::keyClick(&window, Qt::Key_N, Qt::AltModifier);
}

TEST(LabelProperties, AllFourKindsTogether) {
  // One panel with every kind, for looking at (TARNWELL_DUMP_DIR).
  QWidget panel;
  panel.resize(300, 140);
  panel.setAutoFillBackground(true);
  auto* on = new TGraphicLed(&panel);
  on->setCaption(QStringLiteral("Acceso"));
  on->setChecked(true);
  on->move(8, 8);
  auto* off = new TGraphicLed(&panel);
  off->setCaption(QStringLiteral("Spento"));
  off->setLayout(glLedRight);
  off->move(8, 30);
  auto* top = new TGraphicLed(&panel);
  top->setAutoSize(false);
  top->setLayout(glLedTop);
  top->setCaption(QStringLiteral("Sopra"));
  top->setChecked(true);
  top->setGeometry(100, 8, 40, 40);
  auto* l3 = new TLabel3D(&panel);
  l3->setCaption(QStringLiteral("Etichetta 3D"));
  QFont f = l3->font();
  f.setPixelSize(20);
  f.setBold(true);
  l3->setFont(f);
  l3->setDisplacement(2);
  l3->move(8, 60);
  auto* la = new TLabelAngle(&panel);
  la->setGeometry(200, 0, 100, 140);
  la->setCaption(QStringLiteral("Angolo 45"));
  la->setAngle(45);
  la->setOffSetX(10);
  la->setOffSetY(120);
  auto* lu = new TURLLabel(&panel);
  lu->setCaption(QStringLiteral("www.example.org"));
  lu->move(8, 100);
  panel.show();
  const QImage img = panel.grab().toImage();
  DumpImage(img, "visuals-labels-led");
  EXPECT_EQ(on->width(), on->AutoWidth(on->height()));
}

#include "LabelLedTests.moc"
