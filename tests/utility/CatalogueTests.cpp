#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QMouseEvent>
#include <QScrollBar>

#include <Tarnwell/utility/FOtherObj.h>
#include <Tarnwell/utility/FUtilCmp.h>
#include <Tarnwell/utility/Stringhl.h>

using namespace Tarnwell;

namespace {

TEST(StringHolder, CopiesOnAssignAndGivesEmptyPastTheEnd) {
  TStringHolder h;
  QStringList source{"uno", "due"};
  h.setStrings(source);
  source[0] = "cambiato";
  source << "tre";
  EXPECT_EQ(h.Strings(), QStringList({"uno", "due"}));
  EXPECT_EQ(h.Line(1), "due");
  EXPECT_EQ(h.Line(2), "");
  EXPECT_EQ(h.Line(-1), "");
  h.setProperty("Strings", QStringList{"x"});
  EXPECT_EQ(h.Count(), 1);
}

void MoveOver(QWidget* w, int x) {
  QMouseEvent e(QEvent::MouseMove, QPointF(x, 10), w->mapToGlobal(QPointF(x, 10)), Qt::NoButton, Qt::NoButton, {});
  QCoreApplication::sendEvent(w, &e);
}

TEST(OtherComponents, HoverShowsTheIconsDescription) {
  TFormUtilityComp form;
  EXPECT_EQ(form.windowTitle(), "Other Components");
  EXPECT_EQ(form.DesignSize(), QSize(296, 295));
  EXPECT_EQ(form.BorderStyle(), bsToolWindow);
  EXPECT_EQ(form.Memo1->toPlainText(), "Move mouse on component's glyph to show Description");
  for (auto* img : {form.Image1, form.Image2, form.Image3}) {
    EXPECT_EQ(img->height(), 28);
    EXPECT_EQ(img->width(), 280);
  }
  for (auto* h : {form.StringHolder1, form.StringHolder2, form.StringHolder3}) {
    ASSERT_EQ(h->Count(), 12);
    EXPECT_TRUE(h->Line(10).isEmpty() && h->Line(11).isEmpty());
  }
  MoveOver(form.Image1, 0);
  EXPECT_EQ(form.Memo1->toPlainText(), form.StringHolder1->Line(0));
  MoveOver(form.Image1, 27);
  EXPECT_EQ(form.Memo1->toPlainText(), form.StringHolder1->Line(0));
  MoveOver(form.Image1, 28);
  EXPECT_EQ(form.Memo1->toPlainText(), form.StringHolder1->Line(1));
  MoveOver(form.Image1, 55);
  EXPECT_EQ(form.Memo1->toPlainText(), form.StringHolder1->Line(1));
  MoveOver(form.Image3, 28 * 9 + 3);
  EXPECT_EQ(form.Memo1->toPlainText(), form.StringHolder3->Line(9));
  EXPECT_FALSE(form.Memo1->toPlainText().isEmpty());
  // The icons differ from one another.
  const QImage strip = ComponentIconStrip(0);
  EXPECT_NE(strip.copy(0, 0, 28, 28), strip.copy(28, 0, 28, 28));
}

TEST(OtherObjects, ReadOnlyCatalogueWithBothScrollBars) {
  TFormOtherObject form;
  EXPECT_EQ(form.windowTitle(), "Other Objects");
  EXPECT_EQ(form.DesignSize(), QSize(573, 398));
  EXPECT_EQ(form.BorderStyle(), bsSizeToolWin);
  EXPECT_TRUE(form.Memo1->isReadOnly());
  EXPECT_EQ(form.Memo1->horizontalScrollBarPolicy(), Qt::ScrollBarAlwaysOn);
  EXPECT_EQ(form.Memo1->verticalScrollBarPolicy(), Qt::ScrollBarAlwaysOn);
  EXPECT_TRUE(form.Memo1->toPlainText().contains("TCanvas"));
  EXPECT_GT(form.Memo1->document()->blockCount(), 30);
}

}  // namespace
