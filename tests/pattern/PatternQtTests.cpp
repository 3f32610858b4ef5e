// The pattern components as a Qt programmer meets them: properties by name,
// paint events as signals, fonts and palettes, size hints.
#include <gtest/gtest.h>

#include <QHBoxLayout>
#include <QSignalSpy>

#include <Tarnwell/pattern/PatPanel.h>
#include "PropertyRoundTrip.h"
#include "TestUtil.h"

using namespace Tarnwell;

namespace {

// Bounding box of the pixels of one colour.
QRect Extent(const QImage& img, TColor c) {
  QRect r;
  for (int y = 0; y < img.height(); ++y)
    for (int x = 0; x < img.width(); ++x)
      if (PixelAt(img, x, y) == c) r |= QRect(x, y, 1, 1);
  return r;
}

}  // namespace

TEST(PatternProperties, EveryPropertyOfEveryComponentRoundTrips) {
  TForm form;
  TPatternHolder holder(&form);
  EXPECT_EQ(ExpectPropertyRoundTrips(&holder, &TPatternHolder::staticMetaObject), 5);

  const QVariant h = QVariant::fromValue(&holder);
  TPatternPanel panel(&form);
  // The panel's own properties and those of the platform panel under it.
  EXPECT_EQ(ExpectPropertyRoundTrips(&panel, &TCustomPanel::staticMetaObject, {{"PatternHolder", h}}), 10);

  TPatternCheckBox check(&panel);
  TPatternRadioButton radio(&panel);
  TPatternGroupBox box(&panel);
  EXPECT_EQ(ExpectPropertyRoundTrips(&check, &TPatternCheckBox::staticMetaObject), 1);
  EXPECT_EQ(ExpectPropertyRoundTrips(&radio, &TPatternRadioButton::staticMetaObject), 1);
  EXPECT_EQ(ExpectPropertyRoundTrips(&box, &TPatternGroupBox::staticMetaObject), 2);

  TPatternFormPaint fp(&form);
  EXPECT_EQ(ExpectPropertyRoundTrips(&fp, &TPatternFormPaint::staticMetaObject, {{"PatternHolder", h}}), 15);
}

TEST(PatternProperties, NoColourSurvivesTheQtBoundary) {
  // A holder's colours start as "none"; read and written back through Qt
  // they must not turn into black (which would recolour the pattern).
  TPatternHolder h;
  h.setProperty("SubstColor", h.property("SubstColor"));
  h.setProperty("Color", QColor(Qt::red));
  EXPECT_EQ(h.SubstColor(), clNone);
  h.setColor(Qt::blue);  // Qt's named colours, not a small TColor number
  EXPECT_EQ(h.Color(), clBlue);
  EXPECT_TRUE(h.setProperty("Color", QColor()));
  EXPECT_EQ(h.Color(), clNone);
}

TEST(PatternEvents, PaintsReachEveryListenerAndTheAssignedHandler) {
  TPatternPanel p;
  p.resize(40, 30);
  int a = 0, b = 0, assigned = 0;
  QObject::connect(&p, &TPatternPanel::Painted, [&](QObject* s, TCanvas&) { a += s == &p; });
  QObject::connect(&p, &TPatternPanel::Painted, [&](QObject*, TCanvas&) { ++b; });
  p.OnPaint = [&](TObject*, TCanvas&) { ++assigned; };
  p.grab();
  EXPECT_EQ(a, 1);
  EXPECT_EQ(b, 1);
  EXPECT_EQ(assigned, 1);

  QWidget w;
  w.resize(60, 40);
  TPatternFormPaint fp(&w);
  fp.setImage(QImage(10, 10, QImage::Format_RGB32));
  QStringList order;
  QObject::connect(&fp, &TPatternFormPaint::BeforePaintImage, [&](QObject*, TCanvas&) { order << "before"; });
  QObject::connect(&fp, &TPatternFormPaint::AfterPaintImage, [&](QObject*, TCanvas&) { order << "after"; });
  fp.OnAfterPaintImage = [&](TObject*, TCanvas&) { order << "assigned"; };
  w.grab();
  EXPECT_EQ(order, (QStringList{"before", "after", "assigned"}));
}

TEST(PatternLook, PanelCaptionAndFaceFollowFontPaletteAndStyleSheet) {
  QWidget parent;
  auto* p = new TPatternPanel(&parent);
  p->resize(200, 60);
  p->setBevelOuter(bvNone);
  p->setCaption(QStringLiteral("Pannello"));
  p->setColor(clWhite);
  QPalette pal = p->palette();
  pal.setColor(QPalette::WindowText, QColor(255, 0, 0));
  p->setPalette(pal);
  EXPECT_EQ(p->Font().Color(), clRed);
  const QRect small = Extent(p->grab().toImage(), clRed);
  ASSERT_FALSE(small.isEmpty());

  QFont f = p->font();
  f.setPixelSize(30);
  QSignalSpy fonts(p, &TCustomPanel::FontChanged);
  p->setFont(f);
  EXPECT_GE(fonts.count(), 1);
  EXPECT_EQ(p->Font().Height(), -30);
  const QRect big = Extent(p->grab().toImage(), clRed);
  EXPECT_GT(big.height(), small.height() + 8);

  // A parent's style sheet reaches caption and face.
  parent.setStyleSheet(QStringLiteral("Tarnwell--TPatternPanel { color: #0000ff; background-color: #00ff00 }"));
  p->ensurePolished();
  const QImage sheet = p->grab().toImage();
  EXPECT_FALSE(Extent(sheet, clBlue).isEmpty());
  EXPECT_EQ(PixelAt(sheet, 2, 2), clLime);
}

TEST(PatternLook, ButtonCaptionsOverThePatternTakeFontAndPalette) {
  TForm form;
  form.resize(300, 80);
  TPatternHolder holder(&form);
  QImage white(4, 4, QImage::Format_RGB32);
  white.fill(Qt::white);
  holder.setPattern(white);
  TPatternPanel panel(&form);
  panel.setGeometry(0, 0, 300, 80);
  panel.setPatternHolder(&holder);
  auto* row = new QHBoxLayout(&panel);
  auto* check = new TPatternCheckBox;
  row->addWidget(check);
  row->addStretch();
  check->setPatternPaint(true);
  QFont f = check->font();
  f.setPixelSize(28);
  check->setFont(f);
  check->setText(QStringLiteral("Casella WWW"));
  QPalette pal = check->palette();
  pal.setColor(QPalette::WindowText, QColor(0, 0, 255));
  check->setPalette(pal);
  form.show();
  panel.layout()->activate();
  // The layout gives the caption its whole width in the large font.
  EXPECT_GE(check->width(), 18 + QFontMetrics(f).horizontalAdvance(check->text()));
  EXPECT_GE(check->height(), QFontMetrics(f).height());
  const QRect text = Extent(check->grab().toImage(), clBlue);
  ASSERT_FALSE(text.isEmpty());
  EXPECT_GT(text.height(), 14);
  EXPECT_LT(text.right(), check->width());
}
