// The Designer plugin as Designer meets it: loaded with QPluginLoader, every
// widget created through the collection interface and one of its own
// properties set, as the property editor would.
#include <gtest/gtest.h>

#include <QFile>
#include <QMetaProperty>
#include <QRegularExpression>
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

// The widget classes the installed headers declare (with Q_OBJECT, deriving
// from a Qt widget directly or through other classes of ours), as a reader
// of the headers would list them; windows are left out.
QSet<QString> WidgetClassesOfTheInstalledHeaders() {
  QFile list(QStringLiteral(TARNWELL_PUBLIC_HEADERS));
  EXPECT_TRUE(list.open(QIODevice::ReadOnly));
  const QStringList headers = QString::fromUtf8(list.readAll()).split(u'\n', Qt::SkipEmptyParts);
  EXPECT_GT(headers.size(), 50);
  // class TName : public Base  or  : public Template<Base>, the family's
  // export macro (TARNWELL_<FAMILY>_EXPORT) between class and the name
  static const QRegularExpression declaration(QStringLiteral(
      R"(^(?:template\s*<[^>]*>\s*)?class\s+(?:TARNWELL_\w+_EXPORT\s+)?(T\w+)\s*(?:final\s*)?:\s*public\s+(?:Tarnwell::)?(\w+)(?:<\s*(?:Tarnwell::)?(\w+)\s*>)?)"),
      QRegularExpression::MultilineOption);
  QHash<QString, QString> baseOf;
  QSet<QString> qobjects;
  for (const QString& path : headers) {
    QFile f(path);
    EXPECT_TRUE(f.open(QIODevice::ReadOnly)) << qPrintable(path);
    const QString text = QString::fromUtf8(f.readAll());
    for (auto it = declaration.globalMatch(text); it.hasNext();) {
      const QRegularExpressionMatch m = it.next();
      const QString cls = m.captured(1);
      // A template deriving from its parameter: the argument is the base.
      baseOf[cls] = m.captured(3).isEmpty() ? m.captured(2) : m.captured(3);
      const qsizetype end = text.indexOf(QStringLiteral("\n};"), m.capturedEnd());
      if (text.mid(m.capturedEnd(), end - m.capturedEnd()).contains(QStringLiteral("Q_OBJECT"))) qobjects << cls;
    }
  }
  // The Qt classes our headers derive from; an unknown one fails, so this
  // list grows with the headers instead of hiding a widget.
  static const QSet<QString> qtWidgets = {
      QStringLiteral("QWidget"),    QStringLiteral("QAbstractScrollArea"), QStringLiteral("QScrollArea"),
      QStringLiteral("QComboBox"),  QStringLiteral("QLineEdit"),           QStringLiteral("QLabel"),
      QStringLiteral("QCheckBox"),  QStringLiteral("QRadioButton"),        QStringLiteral("QGroupBox"),
      QStringLiteral("QTextEdit"),  QStringLiteral("QPlainTextEdit"),      QStringLiteral("QTreeWidget"),
      QStringLiteral("QAbstractButton"), QStringLiteral("QFrame"),         QStringLiteral("QPushButton")};
  static const QSet<QString> qtWindows = {QStringLiteral("QDialog"), QStringLiteral("QMainWindow"),
                                          QStringLiteral("QMenu"), QStringLiteral("TForm")};
  static const QSet<QString> qtOthers = {QStringLiteral("QObject"), QStringLiteral("QApplication"),
                                         QStringLiteral("QThread"), QStringLiteral("QAbstractTableModel"),
                                         QStringLiteral("QIODevice")};
  QSet<QString> result;
  for (auto it = baseOf.cbegin(); it != baseOf.cend(); ++it) {
    if (!qobjects.contains(it.key())) continue;
    QString b = it.key();
    bool window = false;
    while (baseOf.contains(b) && !qtWindows.contains(b)) b = baseOf.value(b);
    if (qtWindows.contains(b)) window = true;
    else if (!qtWidgets.contains(b)) {
      EXPECT_TRUE(qtOthers.contains(b) || !b.startsWith(u'Q')) << "unknown Qt base " << qPrintable(b) << " of "
                                                               << qPrintable(it.key());
      continue;
    }
    if (!window) result << it.key();
  }
  return result;
}

}  // namespace

TEST(DesignerPlugin, OffersEveryWidgetOfTheInstalledHeadersInItsGroup) {
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
  // Widgets that are not components one places on a form: the bases of
  // components, and parts that a window of ours builds and wires itself.
  static const QSet<QString> notComponents = {
      QStringLiteral("TCustomBarCodes"), QStringLiteral("TCustomGraph2D"), QStringLiteral("TCustomGrid"),
      QStringLiteral("TCustomPanel"),    QStringLiteral("TCustomLabel"),   QStringLiteral("TSlideControl"),
      QStringLiteral("TSpeedButton"),    QStringLiteral("TStatusBar"),     // platform bases of the showcase
      QStringLiteral("TQRPreview"),      // the report preview window's page view
      QStringLiteral("TPaintBox"),       // the colour selector window's surfaces
      QStringLiteral("TDBEdit"),         QStringLiteral("TDBCheckBox"),    QStringLiteral("TDBRichEdit"),
      QStringLiteral("TDBImage"),        QStringLiteral("TDBNavigator")};  // the record window's editors
  const QSet<QString> declared = WidgetClassesOfTheInstalledHeaders();
  EXPECT_GT(declared.size(), 40);
  for (const QString& cls : declared)
    if (!notComponents.contains(cls))
      EXPECT_TRUE(names.contains(QStringLiteral("Tarnwell::") + cls)) << qPrintable(cls) << " is not in Designer";
  for (const QString& cls : notComponents) EXPECT_TRUE(declared.contains(cls)) << qPrintable(cls) << " is gone";
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
    // Signals and slots are declared with QObject*, so string-based
    // connections (SIGNAL(Click(QObject*))) find them.
    for (int i = QWidget::staticMetaObject.methodCount(); i < mo->methodCount(); ++i)
      EXPECT_FALSE(mo->method(i).methodSignature().contains("TObject")) << mo->method(i).methodSignature().data();
    // Every property Designer can change tells when it changed.
    for (int i = QWidget::staticMetaObject.propertyCount(); i < mo->propertyCount(); ++i) {
      const QMetaProperty p = mo->property(i);
      if (p.isWritable() && !p.isConstant() && QByteArray(p.name()) == "Enabled")
        EXPECT_TRUE(p.hasNotifySignal()) << p.name();
    }
    delete widget;
  }
}

#include "ui_AllComponents.h"
#include "ui_UnreadableModel.h"

#include <QDir>
#include <QHBoxLayout>
#include <QTemporaryDir>
#include <Tarnwell/fileview/DirCombo.h>
#include <Tarnwell/fileview/FileList.h>
#include <Tarnwell/platform/TExceptions.h>
#include <Tarnwell/scroll/BtnQueDs.h>
#include <Tarnwell/scroll/EnhScrol.h>
#include <Tarnwell/slide/SldBBar.h>
#include <Tarnwell/visuals/Button3D.h>
#include <Tarnwell/visuals/DTEdit.h>
#include <Tarnwell/visuals/ERombBtn.h>

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
  EXPECT_EQ(ui.graphicLed->Layout(), Tarnwell::glLedRight);
  EXPECT_EQ(ui.slideButtonBar->StepIn(), 3);
  EXPECT_TRUE(ui.slideMenu->TextTransparent());
  EXPECT_EQ(ui.slideMenuMan->Caption(), QStringLiteral("Menu"));
  EXPECT_EQ(ui.fileListViewLite->Mask(), QStringLiteral("*.txt"));
  EXPECT_NE(ui.directoryComboLite, nullptr);
  EXPECT_NE(ui.fileNameEditLite, nullptr);
  EXPECT_EQ(ui.scrollRule->StartPos(), 5);
  EXPECT_NE(ui.enhScrollBox, nullptr);
  EXPECT_EQ(ui.btnQueDisplay->BevelWidth(), 3);
  EXPECT_FALSE(ui.btnQuePeriodDisplay->ClickEnabled());
  EXPECT_EQ(ui.sphericalButton->ButtonColor(), Tarnwell::bclRed);
  EXPECT_FALSE(ui.enhRombButtons->WithArrows());
  EXPECT_EQ(ui.dateTimeEdit->DTType(), Tarnwell::dteTime);
  EXPECT_EQ(ui.buttonArray->Count(), 5);
  // The enumerated Layout properties leave the widget's own layout
  // reachable (this compiles only while setLayout(QLayout*) is not hidden).
  auto* box = new QHBoxLayout;
  ui.graphicLed->setLayout(box);
  ui.label3D->setLayout(new QHBoxLayout);
  EXPECT_EQ(ui.graphicLed->layout(), box);
  ui.graph2D->setLayout(new QHBoxLayout);
  EXPECT_NE(ui.graph2D->layout(), nullptr);
  form.show();
  EXPECT_FALSE(form.grab().isNull());
}

TEST(DesignerForm, AFormNamingAnUnreadableModelIsSetUpAndReportsTheFile) {
  QTemporaryDir dir;
  // A name the loader refuses outright: it is there but no regular file.
  ASSERT_TRUE(QDir(dir.path()).mkdir(QStringLiteral("unreadable-model.3ds")));
  const QString cwd = QDir::currentPath();
  QDir::setCurrent(dir.path());
  QStringList messages;
  const Tarnwell::TExceptionHandler previous =
      Tarnwell::SetExceptionHandler([&](const QString& m) { messages << m; });
  QWidget form;
  Ui::UnreadableModelForm ui{};
  EXPECT_NO_THROW(ui.setupUi(&form));
  Tarnwell::SetExceptionHandler(previous);
  QDir::setCurrent(cwd);
  EXPECT_EQ(ui.viewer->FileName(), QString());
  EXPECT_TRUE(ui.viewer->Objects().empty());
  EXPECT_EQ(messages.size(), 1);
}
