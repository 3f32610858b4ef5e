// The property/event mechanism and the font and colour views of widgets.
#include <gtest/gtest.h>

#include <QApplication>
#include <QMetaProperty>
#include <QSignalSpy>
#include <QWidget>
#include <algorithm>

#include <Tarnwell/platform/TProperty.h>
#include <Tarnwell/platform/TWidgetLook.h>

using namespace Tarnwell;

namespace PropertyTestTypes {
Q_NAMESPACE
enum TGaugeKind { gkRound, gkBar, gkDigits };
Q_ENUM_NS(TGaugeKind)
}  // namespace PropertyTestTypes
using namespace PropertyTestTypes;

class TGauge : public QWidget {
  Q_OBJECT
  TW_PROPERTY(int, Value, ++mReactions)
  TW_PROPERTY_DEFAULT(QString, Caption, QStringLiteral("Gauge"), ++mReactions)
  TW_PROPERTY_FIXED(int, Step, std::max(value, 1), ++mReactions)
  TW_PROPERTY(PropertyTestTypes::TGaugeKind, Kind, ++mReactions)

 public:
  int mReactions = 0;
  std::function<void(QObject*)> OnChange;
  void Fire() { TW_FIRE(OnChange, Change, this); }
 Q_SIGNALS:
  void Change(QObject* sender);

 private:
  int mValue = 0;
  QString mCaption = QStringLiteral("Gauge");
  int mStep = 1;
  PropertyTestTypes::TGaugeKind mKind = gkRound;
};

TEST(Properties, GeneratedSettersCompareStoreReactAndNotify) {
  TGauge g;
  QSignalSpy spy(&g, &TGauge::ValueChanged);
  g.setValue(5);
  g.setValue(5);  // equal: no reaction, no signal
  EXPECT_EQ(g.Value(), 5);
  EXPECT_EQ(g.mReactions, 1);
  ASSERT_EQ(spy.count(), 1);
  EXPECT_EQ(spy.at(0).at(0).toInt(), 5);

  EXPECT_TRUE(g.setProperty("Value", 9));
  EXPECT_EQ(g.property("Value").toInt(), 9);
  g.setStep(-4);  // brought into range before the comparison
  EXPECT_EQ(g.Step(), 1);
  EXPECT_EQ(g.mReactions, 2);
}

TEST(Properties, DefaultsResetAndEnumerationsByNameOrNumber) {
  TGauge g;
  g.setCaption(QStringLiteral("Pressione"));
  const QMetaObject* mo = g.metaObject();
  const QMetaProperty caption = mo->property(mo->indexOfProperty("Caption"));
  ASSERT_TRUE(caption.isResettable());
  caption.reset(&g);
  EXPECT_EQ(g.Caption(), QStringLiteral("Gauge"));

  const QMetaProperty kind = mo->property(mo->indexOfProperty("Kind"));
  EXPECT_TRUE(kind.isEnumType());
  EXPECT_STREQ(kind.enumerator().name(), "TGaugeKind");
  EXPECT_TRUE(g.setProperty("Kind", 2));
  EXPECT_EQ(g.Kind(), gkDigits);
  EXPECT_TRUE(g.setProperty("Kind", QStringLiteral("gkBar")));
  EXPECT_EQ(g.Kind(), gkBar);
}

TEST(Properties, EventsReachEverySignalListenerAndTheAssignedHandler) {
  TGauge g;
  int a = 0, b = 0, assigned = 0;
  QObject::connect(&g, &TGauge::Change, [&](QObject*) { ++a; });
  QObject::connect(&g, &TGauge::Change, [&](QObject*) { ++b; });
  g.Fire();  // nothing assigned: signals only
  g.OnChange = [&](QObject* sender) { assigned += sender == &g; };
  g.Fire();
  EXPECT_EQ(a, 2);
  EXPECT_EQ(b, 2);
  EXPECT_EQ(assigned, 1);
}

class TLookWidget : public QWidget {
  Q_OBJECT
  TW_FONT_PROPERTY(mFont)
  TW_COLOR_PROPERTY_CUSTOM(Color)
  TW_COLOR_PROPERTY(Ink, update())

 public:
  TLookWidget() {
    mFont.changed = [this] { Q_EMIT FontChanged(font()); };
  }
  TControlFont mFont{this};
  TControlColor mColor{this, clBtnFace};

 private:
  TColor mInk = clBlack;
};

TColor TLookWidget::Color() const { return mColor.Color(); }
void TLookWidget::setColor(TColor c) {
  const TColor before = Color();
  mColor.SetColor(c);
  if (Color() != before) Q_EMIT ColorChanged(ColorQColor());
}

TEST(WidgetLook, ColourAndFontPropertiesAreQtTypesAtTheBoundary) {
  TLookWidget w;
  QSignalSpy colour(&w, &TLookWidget::ColorChanged);
  QSignalSpy font(&w, &TLookWidget::FontChanged);
  EXPECT_TRUE(w.setProperty("Color", QColor(255, 0, 0)));
  EXPECT_EQ(w.Color(), clRed);
  EXPECT_EQ(w.property("Color").value<QColor>(), QColor(255, 0, 0));
  EXPECT_EQ(colour.count(), 1);
  w.setInk(clBlue);
  EXPECT_EQ(w.property("Ink").value<QColor>(), QColor(0, 0, 255));
  QFont f = w.font();
  f.setPixelSize(19);
  EXPECT_TRUE(w.setProperty("Font", f));
  EXPECT_EQ(w.Font().Height(), -19);
  EXPECT_GE(font.count(), 1);
}

TEST(WidgetLook, FontIsAViewOfTheWidgetFontBothWays) {
  QWidget parent;
  auto* w = new TLookWidget;
  w->setParent(&parent);
  QFont big = parent.font();
  big.setPixelSize(23);
  big.setBold(true);
  parent.setFont(big);  // inherited from the parent
  EXPECT_EQ(w->mFont.Font().Height(), -23);
  EXPECT_TRUE(w->mFont.Font().Style() & fsBold);

  int changes = 0;
  w->mFont.changed = [&] { ++changes; };
  w->mFont.Font().SetHeight(-30);  // written through
  EXPECT_EQ(w->font().pixelSize(), 30);
  w->mFont.Font().SetColor(clRed);
  EXPECT_EQ(w->palette().color(QPalette::WindowText), QColor(255, 0, 0));
  QPalette pal = w->palette();
  pal.setColor(QPalette::WindowText, QColor(0, 0, 255));
  w->setPalette(pal);
  EXPECT_EQ(w->mFont.Font().Color(), clBlue);
  EXPECT_GE(changes, 3);
}

TEST(WidgetLook, ColorIsAViewOfThePaletteAndKeepsSystemColoursByName) {
  TLookWidget w;
  EXPECT_EQ(w.mColor.Color(), clBtnFace);  // nothing written yet: inherited
  w.mColor.SetColor(clYellow);
  EXPECT_EQ(w.palette().color(w.backgroundRole()), QColor(255, 255, 0));
  EXPECT_EQ(w.mColor.Color(), clYellow);
  w.mColor.SetColor(clWindow);
  EXPECT_EQ(w.mColor.Color(), clWindow);  // symbolic, resolved on use
  QPalette pal = w.palette();
  pal.setColor(w.backgroundRole(), QColor(0, 128, 0));
  w.setPalette(pal);  // from outside: the widget's colour wins
  EXPECT_EQ(w.mColor.Color(), clGreen);
  w.setStyleSheet(QStringLiteral("background-color: #000080;"));
  w.ensurePolished();
  EXPECT_EQ(w.mColor.Color(), clNavy);
}

#include "PropertyTests.moc"
