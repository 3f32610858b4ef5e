// The platform's status bar panels and label base.
#include <gtest/gtest.h>

#include <QSignalSpy>

#include <Tarnwell/platform/TLabel.h>
#include <Tarnwell/platform/TStatusBar.h>

using namespace Tarnwell;

TEST(StatusBar, PanelsSitSideBySideAndTheLastTakesTheRest) {
  TStatusBar bar;
  bar.resize(300, 19);
  bar.AddPanel("45: 1", 60, taRightJustify);
  bar.AddPanel("", 0, taCenter);
  bar.AddPanel("", 60, taCenter);
  bar.AddPanel("", 0);
  EXPECT_EQ(bar.PanelRect(0), TRect(0, 2, 60, 19));
  EXPECT_EQ(bar.PanelRect(1).Width(), 0);
  EXPECT_EQ(bar.PanelRect(2).Left, 64);
  EXPECT_EQ(bar.PanelRect(3).Right, 300);
  QSignalSpy spy(&bar, &TStatusBar::PanelTextChanged);
  bar.SetPanelText(0, "1: 1");
  bar.SetPanelText(0, "1: 1");
  bar.SetPanelText(7, "fuori");  // no such panel: ignored
  bar.SetPanelText(-1, "fuori");
  EXPECT_EQ(spy.count(), 1);
  EXPECT_EQ(bar.PanelText(0), "1: 1");
  EXPECT_EQ(bar.PanelText(9), "");
  EXPECT_EQ(bar.Panel(9), nullptr);
  EXPECT_EQ(bar.PanelRect(9), TRect());
  const QImage img = bar.grab().toImage();
  EXPECT_EQ(img.size(), QSize(300, 19));
}

TEST(CustomLabel, AutoSizeKeepsTheAnchoredEdge) {
  TCustomLabel l;
  l.setGeometry(100, 10, 10, 10);
  l.setCaption("Etichetta");
  const int w = l.width();
  EXPECT_GT(w, 10);
  EXPECT_EQ(l.x(), 100);
  l.setAlignment(taRightJustify);
  const int right = l.geometry().right();
  l.setCaption("Etichetta molto più lunga");
  EXPECT_EQ(l.geometry().right(), right);
  EXPECT_GT(l.width(), w);
  l.setAutoSize(false);
  l.setCaption("x");
  EXPECT_GT(l.width(), w);
  EXPECT_EQ(l.Color(), clBtnFace);
}
