#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QLabel>
#include <QMdiArea>
#include <QMdiSubWindow>

#include <Tarnwell/utility/Fresizer.h>
#include <Tarnwell/platform/TControls.h>
#include <Tarnwell/platform/TTypes.h>

using namespace Tarnwell;

namespace {

struct Form {
  TForm form;
  TFormResizer* resizer;
  QList<QLabel*> labels;
  explicit Form(int controls = 3) {
    form.SetDesignSize(400, 300);
    for (int i = 0; i < controls; ++i) {
      auto* l = new QLabel(QString::number(i), &form);
      l->setGeometry(10 + i % 10, 20 + i % 7, 100, 40);
      QFont f = l->font();
      f.setPointSize(8);
      l->setFont(f);
      form.AddComponent(l);
      labels.append(l);
    }
    resizer = new TFormResizer(&form);
    form.AddComponent(resizer);
    resizer->setMinFormHeight(100);
    resizer->setMinFormWidth(100);
  }
  void ResizeTo(int w, int h) {
    form.resize(w, h);
    resizer->Resize();
  }
};

}  // namespace

TEST(FormResizer, DoublingDoublesBoundsAndFonts) {
  Form f;
  EXPECT_EQ(f.resizer->MinFormHeight(), 100);
  ASSERT_TRUE(f.resizer->Resize());  // captures at 400 x 300
  f.ResizeTo(800, 600);
  EXPECT_EQ(f.labels[1]->geometry(), QRect(22, 42, 200, 80));
  EXPECT_EQ(f.labels[1]->font().pointSize(), 16);
  f.ResizeTo(400, 300);
  EXPECT_EQ(f.labels[1]->geometry(), QRect(11, 21, 100, 40));
  EXPECT_EQ(f.labels[1]->font().pointSize(), 8);
}

TEST(FormResizer, TagsExemptControls) {
  Form f(6);
  const int tags[] = {-1, -2, -3, -4, -5, -6};
  for (int i = 0; i < 6; ++i) f.labels[i]->setProperty("Tag", tags[i]);
  f.resizer->Resize();
  f.ResizeTo(800, 600);
  EXPECT_EQ(f.labels[0]->geometry(), QRect(20, 40, 200, 80));  // keeps only its font
  EXPECT_EQ(f.labels[0]->font().pointSize(), 8);
  EXPECT_EQ(f.labels[1]->geometry(), QRect(11, 21, 200, 80));  // keeps its position
  EXPECT_EQ(f.labels[1]->font().pointSize(), 16);
  EXPECT_EQ(f.labels[2]->geometry(), QRect(24, 44, 100, 40));  // keeps its size
  EXPECT_EQ(f.labels[3]->geometry(), QRect(13, 46, 100, 80));  // no horizontal change
  EXPECT_EQ(f.labels[4]->geometry(), QRect(28, 24, 200, 40));  // no vertical change
  EXPECT_EQ(f.labels[5]->geometry(), QRect(15, 25, 100, 40));  // left alone
  EXPECT_EQ(f.labels[5]->font().pointSize(), 8);
}

TEST(FormResizer, LimitsAndGuards) {
  Form f(105);
  f.resizer->setMaxFontSize(12);
  f.resizer->Resize();
  f.ResizeTo(800, 600);
  EXPECT_EQ(f.labels[0]->font().pointSize(), 12);
  EXPECT_EQ(f.labels[98]->width(), 200);
  EXPECT_EQ(f.labels[99]->width(), 100);  // beyond the 99th: never moved
  f.ResizeTo(50, 30);                     // below the minimum: snapped back
  EXPECT_EQ(f.form.size(), QSize(100, 100));
  // Tiny sizes never give a zero font.
  f.resizer->setMinFormHeight(0);
  f.resizer->setMinFormWidth(0);
  f.ResizeTo(5, 5);
  EXPECT_EQ(f.form.size(), QSize(10, 10));
  EXPECT_GE(f.labels[0]->font().pointSize(), 1);
  f.resizer->setActive(false);
  EXPECT_FALSE(f.resizer->Resize());
}

TEST(FormResizer, WaitsForALaidOutForm) {
  TForm form;
  form.resize(0, 0);
  TFormResizer r(&form);
  auto* l = new QLabel(&form);
  l->setGeometry(10, 10, 50, 20);
  form.AddComponent(l);
  r.setMinFormHeight(0);
  r.setMinFormWidth(0);
  EXPECT_FALSE(r.Resize());  // nothing to scale from yet
  EXPECT_FALSE(r.Captured());
  form.resize(100, 100);
  EXPECT_TRUE(r.Resize());
  form.resize(200, 200);
  r.Resize();
  EXPECT_EQ(l->geometry(), QRect(20, 20, 100, 40));
}

// In a frame window the user drags the frame: below the minimum the frame
// snaps back around the minimum client size, so no part of the form is cut.
TEST(FormResizer, FrameWindowSnapsBackBelowTheMinimum) {
  QMdiArea area;
  area.resize(900, 700);
  auto* form = new TForm();
  form->SetDesignSize(400, 300);
  auto* label = new QLabel("x", form);
  label->setGeometry(300, 200, 90, 90);
  form->AddComponent(label);
  auto* resizer = new TFormResizer(form);
  form->AddComponent(resizer);
  resizer->setMinFormWidth(300);
  resizer->setMinFormHeight(200);
  QMdiSubWindow* sub = area.addSubWindow(form);
  area.show();
  sub->show();
  const QMargins m = sub->contentsMargins();
  const QSize extra(m.left() + m.right(), m.top() + m.bottom());
  sub->resize(QSize(400, 300) + extra);
  QCoreApplication::processEvents();
  resizer->Resize();
  sub->resize(QSize(142, 72) + extra);  // the user drags it small
  QCoreApplication::processEvents();
  resizer->Resize();
  QCoreApplication::processEvents();
  EXPECT_EQ(form->size(), QSize(300, 200));
  EXPECT_EQ(sub->size(), QSize(300, 200) + extra);
  // The control scaled with the form stays inside what the frame shows.
  EXPECT_LE(label->geometry().right(), sub->contentsRect().width());
  EXPECT_LE(label->geometry().bottom(), sub->contentsRect().height());
}
