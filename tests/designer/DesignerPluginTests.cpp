// The Designer plugin as Designer meets it: loaded with QPluginLoader, every
// widget created through the collection interface and one of its own
// properties set, as the property editor would.
#include <gtest/gtest.h>

#include <QMetaProperty>
#include <QPluginLoader>
#include <QSet>
#include <QWidget>
#include <QtUiPlugin/QDesignerCustomWidgetCollectionInterface>
#include <QtUiPlugin/QDesignerCustomWidgetInterface>

namespace {

QDesignerCustomWidgetCollectionInterface* Collection() {
  static QPluginLoader loader(QStringLiteral(TARNWELL_DESIGNER_PLUGIN));
  QObject* plugin = loader.instance();
  EXPECT_NE(plugin, nullptr) << qPrintable(loader.errorString());
  return plugin ? qobject_cast<QDesignerCustomWidgetCollectionInterface*>(plugin) : nullptr;
}

// A value different from `now` for the common property types.
QVariant Changed(const QMetaProperty& p, const QVariant& now) {
  if (p.isEnumType()) {
    const QMetaEnum e = p.enumerator();
    for (int i = 0; i < e.keyCount(); ++i)
      if (e.value(i) != now.toInt()) return QString::fromLatin1(e.key(i));
    return {};
  }
  switch (p.metaType().id()) {
    case QMetaType::Bool:
      return !now.toBool();
    case QMetaType::Int:
      return now.toInt() + 3;
    case QMetaType::Double:
      return now.toDouble() + 1.5;
    case QMetaType::QString:
      return now.toString() + QStringLiteral("12345");
    case QMetaType::QColor:
      return QColor(10, 120, 200);
    default:
      return {};
  }
}

}  // namespace

TEST(DesignerPlugin, OffersEveryVisualComponentInItsGroup) {
  QDesignerCustomWidgetCollectionInterface* c = Collection();
  ASSERT_NE(c, nullptr);
  const QList<QDesignerCustomWidgetInterface*> widgets = c->customWidgets();
  QSet<QString> names;
  for (QDesignerCustomWidgetInterface* w : widgets) {
    names << w->name();
    SCOPED_TRACE(qPrintable(w->name()));
    EXPECT_EQ(w->group(), QStringLiteral("Tarnwell"));
    EXPECT_FALSE(w->toolTip().isEmpty());
    EXPECT_FALSE(w->icon().isNull());
    EXPECT_TRUE(w->includeFile().startsWith(QStringLiteral("Tarnwell/")));
    EXPECT_TRUE(w->domXml().contains(w->name()));
  }
  for (const char* expected :
       {"Tarnwell::TBarCodes", "Tarnwell::TPatternPanel", "Tarnwell::TPatternGroupBox", "Tarnwell::TPatternCheckBox",
        "Tarnwell::TPatternRadioButton", "Tarnwell::TShineButton", "Tarnwell::TMonitorDisplay",
        "Tarnwell::TMeasureDisplay", "Tarnwell::TGraph2D", "Tarnwell::TSpace3DViewer", "Tarnwell::TAnimatedPolygon",
        "Tarnwell::TColorComboBox", "Tarnwell::TFontComboBox", "Tarnwell::TDrawGrid", "Tarnwell::TSpreadSheetGrid",
        "Tarnwell::TEnhDBGrid",
        "Tarnwell::TGraphicLed", "Tarnwell::TLabel3D", "Tarnwell::TLabelAngle", "Tarnwell::TURLLabel",
        "Tarnwell::TColSortListView", "Tarnwell::TCheckTreeView", "Tarnwell::TExtRichEdit", "Tarnwell::TMyTreeView",
        "Tarnwell::TImageComboBox",
        "Tarnwell::TDBTreeView"})
    EXPECT_TRUE(names.contains(QString::fromLatin1(expected))) << expected;
}

TEST(DesignerPlugin, CreatesEachWidgetAndItsPropertiesCanBeSet) {
  QDesignerCustomWidgetCollectionInterface* c = Collection();
  ASSERT_NE(c, nullptr);
  QWidget form;
  for (QDesignerCustomWidgetInterface* w : c->customWidgets()) {
    SCOPED_TRACE(qPrintable(w->name()));
    w->initialize(nullptr);
    QWidget* widget = w->createWidget(&form);
    ASSERT_NE(widget, nullptr);
    EXPECT_EQ(QString::fromLatin1(widget->metaObject()->className()), w->name());
    // Set one of the component's own properties, as the property editor does.
    const QMetaObject* mo = widget->metaObject();
    bool set = false;
    for (int i = QWidget::staticMetaObject.propertyCount(); i < mo->propertyCount() && !set; ++i) {
      const QMetaProperty p = mo->property(i);
      if (!p.isWritable() || !p.isDesignable()) continue;
      const QVariant before = p.read(widget);
      const QVariant v = Changed(p, before);
      if (!v.isValid()) continue;
      if (!widget->setProperty(p.name(), v)) continue;
      const QVariant after = p.read(widget);
      if (after == before) continue;  // a clamp or an ignored value: try the next one
      set = true;
    }
    EXPECT_TRUE(set) << "no property of its own could be set";
    delete widget;
  }
}

#include "ui_AllComponents.h"

#include <Tarnwell/app/ShineBtn.h>
#include <Tarnwell/barcodes/BarCodes.h>
#include <Tarnwell/graph/Graph2D.h>
#include <Tarnwell/grids/TGrids.h>
#include <Tarnwell/measure/Measdisp.h>
#include <Tarnwell/measure/MoniDisp.h>
#include <Tarnwell/pattern/PatPanel.h>
#include <Tarnwell/space3d/Polygon.h>
#include <Tarnwell/space3d/View3D.h>
#include <Tarnwell/spreadsheet/SShtGrid.h>
#include <Tarnwell/visuals/ColCbBox.h>
#include <Tarnwell/visuals/FntCbBox.h>
#include <Tarnwell/visuals/GraphLed.h>
#include <Tarnwell/visuals/Label3D.h>
#include <Tarnwell/visuals/LabelAng.h>
#include <Tarnwell/visuals/URLLabel.h>
#include <Tarnwell/commonctrls/ChkTreeV.h>
#include <Tarnwell/commonctrls/ExtRich.h>
#include <Tarnwell/commonctrls/LstVSort.h>
#include <Tarnwell/commonctrls/MyTreeV.h>
#include <Tarnwell/database/DBTreeV.h>
#include <Tarnwell/database/EnhDBGrd.h>

TEST(DesignerForm, AFormWithEveryComponentCompilesThroughUicAndShowsItsValues) {
  QWidget form;
  Ui::AllComponentsForm ui;
  ui.setupUi(&form);
  EXPECT_EQ(ui.barCodes->Caption(), QStringLiteral("ABC123"));
  EXPECT_EQ(ui.patternPanel->Caption(), QStringLiteral("Pannello"));
  EXPECT_EQ(ui.patternGroupBox->Caption(), QStringLiteral("Gruppo"));
  EXPECT_TRUE(ui.patternCheckBox->PatternPaint());
  EXPECT_TRUE(ui.patternRadioButton->PatternPaint());
  EXPECT_EQ(ui.shineButton->Caption(), QStringLiteral("Apri"));
  EXPECT_EQ(ui.monitorDisplay->SignalCaption(), QStringLiteral("Pressione"));
  EXPECT_EQ(ui.measureDisplay->ControlID(), 7);
  EXPECT_TRUE(ui.graph2D->AutoSize());
  EXPECT_TRUE(ui.space3DViewer->CtrlEnabled());
  EXPECT_EQ(ui.animatedPolygon->LineWidth(), 4);
  EXPECT_EQ(ui.colorComboBox->ItemHeight(), 20);
  EXPECT_FALSE(ui.fontComboBox->isEnabled());
  EXPECT_EQ(ui.drawGrid->ColCount(), 9);
  EXPECT_TRUE(ui.spreadSheetGrid->AutoRecalc());
  EXPECT_EQ(ui.enhDBGrid->CellStyle(), Tarnwell::csRaised);
  EXPECT_EQ(ui.enhDBGrid->FixedColumns(), 2);
  EXPECT_TRUE(ui.enhDBGrid->CanFilter());
  EXPECT_EQ(ui.enhDBGrid->Caption(), QStringLiteral("Clienti"));
  EXPECT_TRUE(ui.graphicLed->Checked());
  EXPECT_EQ(ui.label3D->Displacement(), 2);
  EXPECT_EQ(ui.labelAngle->Angle(), 45);
  EXPECT_EQ(ui.urlLabel->URL(), QStringLiteral("www.example.org"));
  EXPECT_EQ(ui.colSortListView->SortDirection, 1);
  EXPECT_TRUE(ui.checkTreeView->AllowGrayed());
  EXPECT_EQ(ui.extRichEdit->TabSpaces(), 2);
  EXPECT_TRUE(ui.myTreeView->ShowToolTip());
  EXPECT_TRUE(ui.dbTreeView->FixedAlias());
  ASSERT_EQ(ui.dbTreeView->topLevelItemCount(), 1);
  EXPECT_EQ(ui.dbTreeView->topLevelItem(0)->child(0)->text(0), QStringLiteral("Altre"));
  EXPECT_EQ(ui.imageComboBox->ItemHeight(), 18);
  form.show();
  EXPECT_FALSE(form.grab().isNull());
}
