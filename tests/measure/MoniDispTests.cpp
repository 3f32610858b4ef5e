#include <gtest/gtest.h>

#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>

#include "MeasureTestUtil.h"
#include <Tarnwell/measure/MoniDisp.h>

using namespace Tarnwell;

using namespace MoniDisp;

namespace {

void SetUpDisplay(TMonitorDisplay& d, TMeasureDisplayStyle style, int w, int h) {
  d.BeginLoad();
  d.resize(w, h);
  d.setDisplayStyle(style);
  d.setBorderStyle(mdbBoxRaised);
  d.setSignalCaption("Segnale 1");
  d.setSignalDesc("Descrizione 1");
  d.setSignalColor(clLime);
  d.setSignalState("LAV");
  d.setSignalValueMin(-50);
  d.setSignalValueMax(150);
  d.setSignalValue(55);
  d.setColor(clBtnFace);
  d.Font().SetName("Arial");
  d.Font().SetHeight(-11);
  d.Font().SetColor(clNavy);
  d.Loaded();
}

QImage StripOf(int frames, int size) {
  QImage strip(frames * size, size, QImage::Format_RGB32);
  strip.fill(Qt::white);
  for (int k = 0; k < frames; ++k)
    for (int y = size / 4; y < size * 3 / 4; ++y)
      for (int x = 0; x < size / 2; ++x)
        strip.setPixel(k * size + x + (k * size / 2) / frames, y, qRgb(0, 0, 128));
  return strip;
}

}  // namespace

TEST(MonitorDisplay, AspectRatioIsClampedAndStylesHaveDefaults) {
  TMonitorDisplay d;
  d.setAspectRatio(-3);
  EXPECT_EQ(d.AspectRatio(), 0);
  d.setAspectRatio(25);
  EXPECT_EQ(d.AspectRatio(), 10);
  d.setAspectRatio(0);
  const std::pair<TMeasureDisplayStyle, QSize> sizes[] = {
      {mdLevel, {200, 33}}, {mdGraph, {200, 100}}, {mdDigit, {200, 100}}, {mdHalfM, {200, 100}},
      {mdTermo, {50, 200}}, {mdVBarL, {25, 200}},  {mdMeter, {200, 200}}, {mdOnOff, {200, 200}},
  };
  for (const auto& [style, size] : sizes) {
    d.setDisplayStyle(style);
    EXPECT_EQ(QSize(d.BackPicture().Width(), d.BackPicture().Height()), size) << style;
    EXPECT_EQ(QSize(d.ValuePicture().Width(), d.ValuePicture().Height()), size) << style;
  }
  d.setDisplayStyle(mdVBarL);
  d.setAspectRatio(4);
  EXPECT_EQ(d.EffectiveAspect(), 4);
  EXPECT_EQ(d.BackPicture().Width(), 50);  // still the vertical bar
}

TEST(MonitorDisplay, InnerRectFollowsTheTexts) {
  TMonitorDisplay d;
  d.resize(120, 100);
  d.setShowState(false);
  d.setShowValue(false);
  d.setSignalCaption("");
  EXPECT_EQ(d.InnerRect(), TRect(4, 4, 116, 96));
  d.setSignalCaption("A");
  d.setShowValue(true);
  EXPECT_EQ(d.InnerRect(), TRect(4, 4 + 4 + 11, 116, 100 - 8 - 11));
}

TEST(MonitorDisplay, AnimationCyclesTwelveFramesAndStops) {
  TMonitorDisplay d;
  SetUpDisplay(d, mdAnima, 141, 141);
  d.setImageAnim(StripOf(12, 78));  // 936 x 78
  EXPECT_EQ(d.FrameCount(), 12);
  std::vector<int> seen;
  for (int i = 0; i < 13; ++i) {
    d.Animate();
    seen.push_back(d.FrameIndex());
  }
  // Setting the strip already took one step (frame 0 -> 1).
  EXPECT_EQ(seen.front(), 2);
  EXPECT_EQ(seen[9], 11);
  EXPECT_EQ(seen[10], 0);
  QImage stop(64, 64, QImage::Format_RGB32);
  stop.fill(Qt::red);
  stop.setPixel(0, 63, qRgb(255, 255, 255));  // the key colour: white is see-through
  d.setImageStat(stop);
  d.setSignalStop(true);
  const int frozen = d.FrameIndex();
  d.Animate();
  EXPECT_EQ(d.FrameIndex(), frozen);
  d.Paint();
  // The still image is composed over the animation.
  const TRect r = d.InnerRect();
  EXPECT_EQ(PixelAt(d.Surface(), (r.Left + r.Right) / 2, (r.Top + r.Bottom) / 2), clRed);
}

TEST(MonitorDisplay, ColourChangesNeverRecolourTheArtwork) {
  TMonitorDisplay d;
  SetUpDisplay(d, mdAnima, 100, 100);
  const QImage strip = StripOf(4, 40);
  d.setImageAnim(strip);
  for (TColor c : {clNavy, clRed, clNavy, clSilver}) d.setColor(c);
  EXPECT_EQ(d.ImageAnim(), strip);
  d.Paint();
  // The artwork's navy survives a round with a navy background.
  int navy = 0;
  const QImage s = d.Surface();
  for (int y = 0; y < s.height(); ++y)
    for (int x = 0; x < s.width(); ++x) navy += PixelAt(s, x, y) == clNavy;
  EXPECT_GT(navy, 100);
}

TEST(MonitorDisplay, DisabledDisplayKeepsItsValues) {
  TMonitorDisplay d;
  SetUpDisplay(d, mdVBarL, 60, 200);
  d.setShowValue(false);
  d.setShowState(false);
  d.Paint();
  const QImage before = d.Surface();
  d.setEnabled(false);
  d.setSignalValue(150);
  d.setSignalStop(true);
  EXPECT_EQ(d.SignalValue(), 150);
  EXPECT_TRUE(d.SignalStop());
  EXPECT_EQ(d.Surface(), before);  // nothing drawn while disabled
  d.setEnabled(true);
  d.Paint();
  EXPECT_NE(d.Surface(), before);  // shown once enabled again
  TMonitorDisplay fresh;
  SetUpDisplay(fresh, mdVBarL, 60, 200);
  fresh.setShowValue(false);
  fresh.setShowState(false);
  fresh.setSignalValue(150);
  fresh.setSignalStop(true);
  fresh.Paint();
  EXPECT_EQ(d.Surface(), fresh.Surface());
}

TEST(MonitorDisplay, GraphHistoryIsTrimmedToThePlot) {
  TMonitorDisplay d;
  SetUpDisplay(d, mdGraph, 305, 141);
  for (int i = 0; i < 500; ++i) d.setSignalValue(i % 200 - 50);
  EXPECT_LT(d.History().size(), 200u);
  EXPECT_GT(d.History().size(), 100u);
  EXPECT_EQ(d.History().back(), 499 % 200 - 50);
}

TEST(MonitorDisplay, EveryStyleAtAnySize) {
  const TMeasureDisplayStyle styles[] = {mdAnima, mdLevel, mdValue, mdMeter, mdImage, mdOnOff,
                                         mdGraph, mdTermo, mdDigit, mdVBarL, mdHalfM};
  for (QSize s : {QSize(0, 0), QSize(1, 1), QSize(2000, 40), QSize(9, 9)}) {
    for (auto style : styles) {
      TMonitorDisplay d;
      SetUpDisplay(d, style, s.width(), s.height());
      d.setImageAnim(StripOf(3, 10));
      d.setImageStat(StripOf(1, 10));
      d.setSignalValue(9999);
      d.setSignalStop(true);
      d.setSelected(true);
      d.Animate();
      d.Paint();
      d.setSignalValueMax(-50);
      d.Paint();
      EXPECT_EQ(d.Surface().size(), s) << style;
    }
  }
}

TEST(MonitorDisplay, BordersAndHandles) {
  TMonitorDisplay d;
  SetUpDisplay(d, mdValue, 100, 80);
  d.setColor(clSilver);
  d.Paint();
  EXPECT_EQ(PixelAt(d.Surface(), 0, 40), clWhite);  // raised: light left
  EXPECT_EQ(PixelAt(d.Surface(), 99, 40), clGray);  // dark right
  d.setBorderStyle(mdbSingle);
  d.Paint();
  EXPECT_EQ(PixelAt(d.Surface(), 0, 40), clBlack);  // contrast of silver
  d.setSelected(true);
  d.Paint();
  EXPECT_EQ(PixelAt(d.Surface(), 50, 2), clBlack);  // top-middle handle
  EXPECT_EQ(PixelAt(d.Surface(), 97, 77), clBlack);
}

TEST(MonitorDisplay, PicturesLookRight) {
  // Renders every style as the demonstration shows them (TARNWELL_DUMP_DIR to look).
  const TMeasureDisplayStyle styles[] = {mdLevel, mdValue, mdMeter, mdOnOff, mdGraph,
                                         mdTermo, mdDigit, mdVBarL, mdHalfM};
  for (auto style : styles) {
    TMonitorDisplay d;
    SetUpDisplay(d, style, 200, 200);
    for (int v = -45; v <= 55; v += 5) d.setSignalValue(v);
    d.Paint();
    DumpImage(d.Surface(), QString("monitor-%1").arg(int(style)));
    // Something of the signal colour is drawn for every style but the lamp's
    // highlight-only corners.
    EXPECT_GT(CountColor(d.Surface(), d.InnerRect(), clLime), 20) << style;
  }
}

// Reads rendered seven-segment values back with an independent reader.
TEST(MonitorDisplay, SevenSegmentValuesReadBackWithSsocr) {
  const QString ssocr = QStandardPaths::findExecutable("ssocr");
  if (ssocr.isEmpty()) GTEST_SKIP() << "ssocr is not installed: seven-segment reading not checked";
  QTemporaryDir dir;
  ASSERT_TRUE(dir.isValid());
  for (int value : {-45, -50, 0, 7, 89, 123, 150}) {
    TMonitorDisplay d;
    SetUpDisplay(d, mdDigit, 400, 220);
    d.setSignalColor(clBlack);
    d.setSignalValue(value);
    // The value picture alone, three times the logical size, dark on white.
    const QImage img = RenderMetafile(d.ValuePicture(), 600, 300, clWhite);
    const QString path = dir.filePath(QString("digits%1.png").arg(value));
    ASSERT_TRUE(img.save(path));
    QProcess p;
    p.start(ssocr, {"-d", "-1", "-T", "-C", path});
    ASSERT_TRUE(p.waitForFinished(10000));
    const QString read = QString::fromLatin1(p.readAllStandardOutput()).trimmed();
    EXPECT_EQ(read, QString::number(value)) << "ssocr read \"" << read.toStdString() << "\""
                                            << QString::fromLatin1(p.readAllStandardError()).toStdString();
  }
}

TEST(MonitorDisplay, ValueUpdatesMatchAFullPaint) {
  // The value layer is redrawn over the cached face; the lamp keeps its
  // picture while it shows the same: either way the result equals painting afresh.
  for (auto style : {mdLevel, mdMeter, mdOnOff, mdTermo, mdDigit, mdVBarL, mdHalfM, mdValue}) {
    TMonitorDisplay d;
    SetUpDisplay(d, style, 160, 200);
    for (int v : {10, 120, 30, -100, 40}) d.setSignalValue(v);
    d.setSignalStop(true);
    d.setSignalValue(60);
    d.setSignalColor(clYellow);
    d.setSignalValue(65);
    d.grab();  // what the screen gets: pending repaints included
    const QImage incremental = d.Surface();
    d.Paint();
    EXPECT_EQ(incremental, d.Surface()) << style;
  }
}

TEST(MonitorDisplay, UnsizedGraphKeepsABoundedHistory) {
  TMonitorDisplay d;
  SetUpDisplay(d, mdGraph, 0, 0);
  for (int i = 0; i < 5000; ++i) d.setSignalValue(i % 100);
  EXPECT_LE(d.History().size(), 200u);
  EXPECT_EQ(d.History().back(), 4999 % 100);
}

namespace {
int CountColour(const QImage& img, TColor c) {
  const QRgb want = ToQColor(c).rgb();
  int n = 0;
  for (int y = 0; y < img.height(); ++y)
    for (int x = 0; x < img.width(); ++x)
      if (img.pixel(x, y) == want) ++n;
  return n;
}

QImage Shown(TMonitorDisplay& d) {
  d.Paint();
  return d.Surface().copy();
}
}  // namespace

// The alarm of the thermometer, the vertical bar and the level: off by
// default and then pixel for pixel the classic picture; on, a mark at the
// level, and the value in the alarm colour once it reaches the level.
TEST(MonitorDisplay, AlarmLevelColoursTheValueAndMarksTheLevel) {
  for (TMeasureDisplayStyle style : {mdTermo, mdVBarL, mdLevel}) {
    SCOPED_TRACE(int(style));
    TMonitorDisplay d;
    SetUpDisplay(d, style, 120, 160);
    d.setSignalValue(80);
    EXPECT_FALSE(d.AlarmEnabled());
    EXPECT_EQ(d.AlarmColor(), clRed);
    d.setAlarmColor(clFuchsia);
    d.setAlarmLevel(120);
    const QImage classic = Shown(d);
    EXPECT_EQ(CountColour(classic, clFuchsia), 0);

    d.setAlarmEnabled(true);  // below the level: only the mark
    const QImage marked = Shown(d);
    const int mark = CountColour(marked, clFuchsia);
    EXPECT_GT(mark, 0);
    EXPECT_GT(CountColour(marked, clLime), 0);

    d.setAlarmLevel(60);  // reached: the value turns
    const QImage alarm = Shown(d);
    EXPECT_GT(CountColour(alarm, clFuchsia), mark + 10);
    d.setSignalValue(60);  // exactly at the level counts
    EXPECT_GT(CountColour(Shown(d), clFuchsia), mark + 10);
    d.setSignalValue(59);
    EXPECT_LT(CountColour(Shown(d), clFuchsia), mark + 10);

    d.setSignalValue(80);
    d.setAlarmEnabled(false);
    d.setAlarmLevel(120);
    EXPECT_EQ(Shown(d), classic);
  }
  // Other styles ignore it.
  TMonitorDisplay meter;
  SetUpDisplay(meter, mdMeter, 120, 160);
  const QImage before = Shown(meter);
  meter.setAlarmColor(clFuchsia);
  meter.setAlarmEnabled(true);
  EXPECT_EQ(Shown(meter), before);
}

TEST(MonitorPainter, AlarmCountsTowardsTheRangesMaximum) {
  TMonitorPaintData d;
  d.ValueMin = 0;
  d.ValueMax = 100;
  d.Value = 70;
  d.AlarmLevel = 70;
  EXPECT_FALSE(MoniPnt::InAlarm(d));  // not enabled
  d.AlarmEnabled = true;
  EXPECT_TRUE(MoniPnt::InAlarm(d));
  d.Value = 69;
  EXPECT_FALSE(MoniPnt::InAlarm(d));
  // A range given upside down counts downwards.
  d.ValueMin = 100;
  d.ValueMax = 0;
  d.AlarmLevel = 30;
  d.Value = 20;
  EXPECT_TRUE(MoniPnt::InAlarm(d));
  d.Value = 40;
  EXPECT_FALSE(MoniPnt::InAlarm(d));
}
