// The Qt face of the 3D controls: every published property through
// setProperty/property with its change signal, declared defaults, events as
// signals next to assigned handlers, and the background as a palette view.
#include <gtest/gtest.h>

#include <QLabel>
#include <QMetaProperty>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTabWidget>
#include <QTest>
#include <QTimer>

#include <Tarnwell/space3d/FGadget.h>
#include <Tarnwell/space3d/Polygon.h>
#include <Tarnwell/space3d/View3D.h>
#include <Tarnwell/platform/TDialogs.h>
#include <Tarnwell/platform/TExceptions.h>
#include "TestUtil.h"

using namespace Tarnwell;

namespace {

// A value of the property's type that differs from `now`.
QVariant Changed(const QMetaProperty& p, const QVariant& now, const QString& spareFile) {
  if (p.isEnumType()) {
    const QMetaEnum e = p.enumerator();
    for (int i = 0; i < e.keyCount(); ++i)
      if (e.value(i) != now.toInt()) return e.value(i);
  }
  switch (p.metaType().id()) {
    case QMetaType::Bool:
      return !now.toBool();
    case QMetaType::Int:
      return now.toInt() + 1;
    case QMetaType::Float:
      return now.toFloat() + 1.5f;
    case QMetaType::QString:
      return spareFile;
    case QMetaType::QColor: {
      const QColor c = now.value<QColor>();
      return c == QColor(0x12, 0x34, 0x56) ? QColor(0x65, 0x43, 0x21) : QColor(0x12, 0x34, 0x56);
    }
    case QMetaType::QFont: {
      QFont f = now.value<QFont>();
      f.setPointSize(f.pointSize() + 3);
      f.setBold(!f.bold());
      return f;
    }
    default:
      return {};
  }
}

bool Same(const QMetaProperty& p, const QVariant& a, const QVariant& b) {
  return p.isEnumType() ? a.toInt() == b.toInt() : a == b;
}

// Writes a changed value into each property the class itself declares,
// reads it back and counts its change signal; a resettable property resets
// to the value a new object starts with.
void RoundTripEveryProperty(QObject* fresh, QObject* obj, const QString& spareFile) {
  const QMetaObject* mo = obj->metaObject();
  int tried = 0;
  for (int i = mo->propertyOffset(); i < mo->propertyCount(); ++i) {
    const QMetaProperty p = mo->property(i);
    SCOPED_TRACE(p.name());
    if (!p.isWritable()) continue;
    ASSERT_TRUE(p.hasNotifySignal());
    const QVariant before = obj->property(p.name());
    const QVariant value = Changed(p, before, spareFile);
    ASSERT_TRUE(value.isValid()) << "no test value for " << p.typeName();
    QSignalSpy spy(obj, p.notifySignal());
    ASSERT_TRUE(obj->setProperty(p.name(), value));
    EXPECT_TRUE(Same(p, obj->property(p.name()), value));
    EXPECT_EQ(spy.count(), 1);
    ASSERT_TRUE(obj->setProperty(p.name(), value));
    EXPECT_EQ(spy.count(), 1) << "an equal value is no change";
    if (p.isResettable()) {
      p.reset(obj);
      EXPECT_TRUE(Same(p, obj->property(p.name()), fresh->property(p.name())));
    }
    ++tried;
  }
  EXPECT_GE(tried, 7);
}

}  // namespace

TEST(Space3DProperties, EveryPropertyRoundTripsAndNotifies) {
  QTemporaryDir dir;
  const QString spare = dir.filePath("manca.3ds");
  TSpace3DViewer freshViewer, viewer;
  viewer.resize(120, 90);
  RoundTripEveryProperty(&freshViewer, &viewer, spare);
  TAnimatedPolygon freshPolygon, polygon;
  polygon.resize(80, 60);
  RoundTripEveryProperty(&freshPolygon, &polygon, spare);

  // The polygon's declared defaults are the values it starts with: resetting
  // a new control changes nothing, so a design that keeps them reads back.
  const QMetaObject* mo = polygon.metaObject();
  for (int i = mo->propertyOffset(); i < mo->propertyCount(); ++i) {
    const QMetaProperty p = mo->property(i);
    EXPECT_TRUE(p.isResettable()) << p.name();
    QSignalSpy spy(&freshPolygon, p.notifySignal());
    p.reset(&freshPolygon);
    EXPECT_EQ(spy.count(), 0) << p.name();
  }
}

TEST(Space3DProperties, NamesClampsAndLevels) {
  TAnimatedPolygon p;
  QSignalSpy lates(&p, &TAnimatedPolygon::LatesChanged);
  EXPECT_TRUE(p.setProperty("Lates", 20));
  EXPECT_EQ(p.Lates(), 15);
  p.setLates(30);  // clamps to what is stored: no change
  ASSERT_EQ(lates.count(), 1);
  EXPECT_EQ(lates.at(0).at(0).toInt(), 15);
  p.setProperty("LineColor", QColor(0, 0, 255));
  EXPECT_EQ(p.LineColor(), clBlue);

  TSpace3DViewer v;
  QSignalSpy style(&v, &TSpace3DViewer::RenderStyleChanged);
  EXPECT_TRUE(v.setProperty("RenderStyle", QStringLiteral("rsDepthSolid")));
  EXPECT_EQ(v.RenderStyle(), rsDepthSolid);
  v.setRenderLevel(4);
  v.setRenderLevel(5);  // the sixth level still reads as the last style
  EXPECT_EQ(v.RenderLevel(), 5);
  EXPECT_EQ(v.property("RenderStyle").toInt(), int(rsDepthShade));
  EXPECT_EQ(style.count(), 2);
  QSignalSpy ratio(&v, &TSpace3DViewer::PerspectRatioChanged);
  v.setPerspectRatio(100);
  v.setPerspectRatio(1000);  // the engine clamps it back to 100
  EXPECT_EQ(ratio.count(), 1);
  EXPECT_FALSE(v.setProperty("FramePerSecond", 3.0f));
  // A system colour is resolved before the engine takes its bytes.
  v.setAmbientLight(clBtnFace);
  EXPECT_EQ(v.AmbientLight(), ColorToRGB(clBtnFace, v.palette()) & 0xFFFFFF);
}

TEST(Space3DProperties, UnreadableFileLeavesTheNameAndGoesToTheExceptionHandler) {
  QTemporaryDir dir;
  TSpace3DViewer v;
  QSignalSpy spy(&v, &TSpace3DViewer::FileNameChanged);
  QStringList messages;
  const TExceptionHandler previous = SetExceptionHandler([&](const QString& m) { messages << m; });
  // A folder exists but is no file: the loader refuses it, the setter does
  // not throw.
  EXPECT_NO_THROW(v.setFileName(dir.path()));
  SetExceptionHandler(previous);
  EXPECT_EQ(v.FileName(), QString());
  EXPECT_EQ(spy.count(), 0);
  EXPECT_EQ(messages.size(), 1);
  EXPECT_TRUE(v.Objects().empty());
  EXPECT_THROW(v.LoadFile(dir.path()), ETarnwellError);
}

TEST(Space3DProperties, BackgroundFollowsThePalette) {
  TSpace3DViewer v;
  v.resize(60, 60);
  QSignalSpy spy(&v, &TSpace3DViewer::ColorChanged);
  QPalette pal = v.palette();
  pal.setColor(v.backgroundRole(), QColor(0, 0, 128));
  v.setPalette(pal);
  EXPECT_EQ(v.Color(), clNavy);
  EXPECT_EQ(PixelAt(v.grab().toImage(), 30, 30), clNavy);
  EXPECT_EQ(spy.count(), 1);
  v.setColor(clMaroon);
  EXPECT_EQ(v.palette().color(v.backgroundRole()), QColor(128, 0, 0));
  EXPECT_EQ(PixelAt(v.grab().toImage(), 30, 30), clMaroon);
  EXPECT_EQ(spy.count(), 2);
  QFont f = v.font();
  f.setPointSize(f.pointSize() + 5);
  v.setFont(f);
  EXPECT_EQ(v.Font().Size(), f.pointSize());
}

TEST(Space3DProperties, EventsReachListenersAndTheAssignedHandler) {
  TRecordingDialogs dialogs;
  auto* f = new TFormGadget;
  f->resize(473, 332);
  f->show();
  f->PageControl->setCurrentIndex(1);
  TSpace3DViewer* v = f->Space3DViewer;
  // The window listens through signals, so a user's handlers do not replace
  // its own: the press still stops the spinning.
  EXPECT_FALSE(v->OnMouseDown);
  EXPECT_FALSE(v->OnRenderized);
  QSignalSpy down(v, &TSpace3DViewer::MouseDown);
  QList<Qt::MouseButton> assigned;
  v->OnMouseDown = [&](TObject* sender, Qt::MouseButton b, int, int) {
    EXPECT_EQ(sender, v);
    EXPECT_EQ(down.count(), 1);  // after the signal
    assigned << b;
  };
  QTest::mousePress(v, Qt::LeftButton, {}, QPoint(100, 80));
  EXPECT_FALSE(f->TimerAniX->isActive());
  ASSERT_EQ(assigned.size(), 1);
  EXPECT_EQ(down.at(0).at(1).value<Qt::MouseButton>(), Qt::LeftButton);
  EXPECT_EQ(down.at(0).at(2).toInt(), 100);
  QSignalSpy up(v, &TSpace3DViewer::MouseUp);
  QTest::mouseRelease(v, Qt::LeftButton, {}, QPoint(100, 80));
  EXPECT_EQ(up.count(), 1);
  EXPECT_TRUE(f->TimerAniX->isActive());
  // Frame-rate reports: every 20 frames, to the window's label as well.
  QSignalSpy fps(v, &TSpace3DViewer::Renderized);
  for (int i = 0; i < 40; ++i) v->RenderFrame();
  EXPECT_GE(fps.count(), 1);
  EXPECT_NE(f->LabelFPS->text(), "00.0000");
  f->Close();
  QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}
