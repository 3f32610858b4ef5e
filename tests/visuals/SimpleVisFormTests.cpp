#include <gtest/gtest.h>

#include <QMouseEvent>
#include <QTest>

#include <Tarnwell/platform/TDialogs.h>
#include <Tarnwell/visuals/FSimpVis.h>

#include "TestUtil.h"

namespace {

TEST(SimpleVisForm, EveryComponentPlacedAndConfigured) {
  TFormSimpleVis form;
  EXPECT_EQ(form.windowTitle(), "Simple Visual Components");
  EXPECT_EQ(form.DesignSize(), QSize(531, 338));
  EXPECT_EQ(form.BorderStyle(), bsSingle);
  EXPECT_EQ(form.BorderIcons(), TBorderIcons(biSystemMenu | biMinimize));
  EXPECT_EQ(form.ColorComboBox1->geometry().topLeft(), QPoint(8, 4));
  EXPECT_EQ(form.ColorComboBox1->width(), 133);
  EXPECT_EQ(form.FontComboBox1->geometry().topLeft(), QPoint(160, 4));
  EXPECT_EQ(form.FontComboBox1->width(), 273);
  EXPECT_EQ(form.SpeedButton1->geometry().topLeft(), QPoint(448, 4));
  EXPECT_EQ(form.SpeedButton1->Caption(), "Color");

  std::array<quint16, 4> date{16, 12, 19, 99};
  EXPECT_EQ(form.DateTimeEdit1->Groups(), date);
  EXPECT_EQ(form.DateTimeEdit1->size(), QSize(161, 65));
  EXPECT_EQ(form.DateTimeEdit2->DTType(), dteTime);
  EXPECT_EQ(form.DateTimeEdit2->Groups()[0], 12);
  EXPECT_EQ(form.DateTimeEdit2->Groups()[1], 25);
  EXPECT_EQ(form.DateTimeEdit2->Groups()[2], 22);
  EXPECT_EQ(form.ButtonArray1->size(), QSize(237, 39));
  EXPECT_EQ(form.ButtonArray2->size(), QSize(133, 25));
  EXPECT_EQ(form.ButtonArray1->ImageList().size(), 6);
  EXPECT_EQ(form.EnhRombButtons1->size(), QSize(117, 117));
  EXPECT_EQ(form.EnhRombButtons1->ButtonSpace(), 3);
  EXPECT_FALSE(form.EnhRombButtons1->SignalFocus());
  EXPECT_FALSE(form.EnhRombButtons2->FullPression());
  EXPECT_FALSE(form.EnhRombButtons3->DrawContur());
  EXPECT_EQ(form.SphericalButton3->ButtonColor(), bclRed);
  EXPECT_EQ(form.SphericalButton5->ButtonColor(), bclNone);
  EXPECT_EQ(form.SphericalButton1->size(), QSize(48, 48));
  EXPECT_EQ(form.LabelAngle2->Angle(), 90);
  EXPECT_EQ(form.LabelAngle2->OffSetY(), 100);
  EXPECT_FALSE(form.LabelAngle2->Transparent());
  EXPECT_TRUE(form.LabelAngle3->Transparent());
  EXPECT_TRUE(form.GraphicLed2->Checked());
  EXPECT_EQ(form.GraphicLed2->toolTip(), "Checked = True");
  EXPECT_TRUE(form.URLLabel2->Address().scheme() == "mailto");
  EXPECT_TRUE(form.ShineButton2->Flat());

  // Nothing overlaps another control (the layout is ours: keep it tidy).
  const QList<QWidget*> widgets = form.findChildren<QWidget*>(QString(), Qt::FindDirectChildrenOnly);
  for (int i = 0; i < widgets.size(); ++i)
    for (int j = i + 1; j < widgets.size(); ++j) {
      const QRect a = widgets[i]->geometry(), b = widgets[j]->geometry();
      EXPECT_FALSE(a.intersects(b)) << widgets[i]->objectName().toStdString() << " / "
                                    << widgets[j]->objectName().toStdString();
    }
  for (QWidget* w : widgets) EXPECT_TRUE(QRect(0, 0, 531, 338).contains(w->geometry())) << w->objectName().toStdString();
}

TEST(SimpleVisForm, ColorButtonRecoloursTheWindow) {
  TFormSimpleVis form;
  TRecordingDialogs dialogs;
  bool cancel = false;
  dialogs.OnModal = [&](QDialog& dlg) {
    auto& f = dynamic_cast<TFormColorSelector&>(dlg);
    const Qt::MouseButton button = cancel ? Qt::RightButton : Qt::LeftButton;
    QMouseEvent press(QEvent::MouseButtonPress, QPointF(20, 20), f.PBDefCols->mapToGlobal(QPointF(20, 20)), button,
                      button, {});
    QMouseEvent release(QEvent::MouseButtonRelease, QPointF(20, 20), f.PBDefCols->mapToGlobal(QPointF(20, 20)),
                        button, Qt::NoButton, {});
    QCoreApplication::sendEvent(f.PBDefCols, &press);
    QCoreApplication::sendEvent(f.PBDefCols, &release);
    return f.result();
  };
  form.SpeedButton1->click();  // red is the swatch at (20, 20)
  EXPECT_EQ(form.palette().color(form.backgroundRole()), QColor(Qt::red));
  cancel = true;
  form.SpeedButton1->click();
  EXPECT_EQ(form.palette().color(form.backgroundRole()), QColor(Qt::red));
}

}  // namespace
