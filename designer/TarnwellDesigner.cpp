#include "TarnwellDesigner.h"

#include <QIcon>
#include <QPainter>
#include <QPixmap>
#include <functional>

#include <Tarnwell/app/ShineBtn.h>
#include <Tarnwell/barcodes/BarCodes.h>
#include <Tarnwell/commonctrls/ChkTreeV.h>
#include <Tarnwell/commonctrls/ExtRich.h>
#include <Tarnwell/commonctrls/LstVSort.h>
#include <Tarnwell/commonctrls/MyTreeV.h>
#include <Tarnwell/database/DBTreeV.h>
#include <Tarnwell/database/EnhDBGrd.h>
#include <Tarnwell/graph/Graph2D.h>
#include <Tarnwell/grids/TGrids.h>
#include <Tarnwell/measure/Measdisp.h>
#include <Tarnwell/measure/MoniDisp.h>
#include <Tarnwell/pattern/PatPanel.h>
#include <Tarnwell/fileview/DirCombo.h>
#include <Tarnwell/fileview/FileList.h>
#include <Tarnwell/platform/TGraphics.h>
#include <Tarnwell/scroll/BtnQueDs.h>
#include <Tarnwell/scroll/EnhScrol.h>
#include <Tarnwell/slide/SldBBar.h>
#include <Tarnwell/space3d/Polygon.h>
#include <Tarnwell/space3d/View3D.h>
#include <Tarnwell/spreadsheet/ImgCbBox.h>
#include <Tarnwell/spreadsheet/SShtGrid.h>
#include <Tarnwell/visuals/Button3D.h>
#include <Tarnwell/visuals/ColCbBox.h>
#include <Tarnwell/visuals/DTEdit.h>
#include <Tarnwell/visuals/ERombBtn.h>
#include <Tarnwell/visuals/FntCbBox.h>
#include <Tarnwell/visuals/GraphLed.h>
#include <Tarnwell/visuals/Label3D.h>
#include <Tarnwell/visuals/LabelAng.h>
#include <Tarnwell/visuals/URLLabel.h>

namespace Tarnwell {

namespace {

// The widget box icon: the class's capitals on our slate tile.
QIcon ComponentIcon(const QString& className) {
  QString letters;
  for (QChar c : className.mid(1))
    if (c.isUpper() || c.isDigit()) letters += c;
  letters = letters.left(3);
  QPixmap pm(32, 32);
  pm.fill(Qt::transparent);
  QPainter p(&pm);
  p.setRenderHint(QPainter::Antialiasing);
  p.setPen(QColor(0xC8, 0xD4, 0xE4));
  p.setBrush(QColor(0x3A, 0x4E, 0x6E));
  p.drawRoundedRect(QRectF(0.5, 0.5, 31, 31), 5, 5);
  QFont f;
  f.setBold(true);
  f.setPixelSize(letters.size() > 2 ? 11 : 14);
  p.setFont(f);
  p.setPen(Qt::white);
  p.drawText(QRect(0, 0, 32, 32), Qt::AlignCenter, letters);
  return QIcon(pm);
}

class TDesignerWidget : public QDesignerCustomWidgetInterface {
 public:
  TDesignerWidget(QString cls, QString header, QString tip, bool container,
                  std::function<QWidget*(QWidget*)> make)
      : mClass(std::move(cls)), mHeader(std::move(header)), mTip(std::move(tip)), mContainer(container),
        mMake(std::move(make)) {}

  QString name() const override { return QStringLiteral("Tarnwell::") + mClass; }
  QString group() const override { return QStringLiteral("Tarnwell"); }
  QString toolTip() const override { return mTip; }
  QString whatsThis() const override { return mTip; }
  QString includeFile() const override { return mHeader; }
  QIcon icon() const override { return ComponentIcon(mClass); }
  bool isContainer() const override { return mContainer; }
  QWidget* createWidget(QWidget* parent) override { return mMake(parent); }
  bool isInitialized() const override { return mInitialized; }
  void initialize(QDesignerFormEditorInterface*) override {
    if (!mInitialized) InstallFontSubstitutes();
    mInitialized = true;
  }
  QString domXml() const override {
    QString object = mClass.mid(1);
    object[0] = object[0].toLower();
    return QStringLiteral(
               "<ui language=\"c++\"><widget class=\"%1\" name=\"%2\"/>"
               "<customwidgets><customwidget><class>%1</class><header location=\"global\">%3</header>"
               "</customwidget></customwidgets></ui>")
        .arg(name(), object, mHeader);
  }

 private:
  QString mClass, mHeader, mTip;
  bool mContainer;
  std::function<QWidget*(QWidget*)> mMake;
  bool mInitialized = false;
};

template <class W>
std::function<QWidget*(QWidget*)> Maker() {
  return [](QWidget* parent) -> QWidget* { return new W(parent); };
}

}  // namespace

TDesignerCollection::~TDesignerCollection() { qDeleteAll(mWidgets); }

TDesignerCollection::TDesignerCollection(QObject* parent) : QObject(parent) {
  const auto add = [this](const char* cls, const char* header, const char* tip, bool container,
                          std::function<QWidget*(QWidget*)> make) {
    mWidgets << new TDesignerWidget(QString::fromLatin1(cls), QString::fromLatin1(header),
                                    QString::fromUtf8(tip), container, std::move(make));
  };
  add("TBarCodes", "Tarnwell/barcodes/BarCodes.h", "Bar code in eleven symbologies, sized to its symbol", false,
      Maker<TBarCodes>());
  add("TPatternPanel", "Tarnwell/pattern/PatPanel.h", "Panel painted with the pattern of a pattern holder", true,
      Maker<TPatternPanel>());
  add("TPatternGroupBox", "Tarnwell/pattern/PatPanel.h", "Group box that shows its panel's pattern", true,
      Maker<TPatternGroupBox>());
  add("TPatternCheckBox", "Tarnwell/pattern/PatPanel.h", "Check box over its panel's pattern", false,
      Maker<TPatternCheckBox>());
  add("TPatternRadioButton", "Tarnwell/pattern/PatPanel.h", "Radio button over its panel's pattern", false,
      Maker<TPatternRadioButton>());
  add("TShineButton", "Tarnwell/app/ShineBtn.h", "Flat button whose caption shines under the mouse", false,
      Maker<TShineButton>());
  add("TMonitorDisplay", "Tarnwell/measure/MoniDisp.h", "Instrument display: gauges, bars, thermometer, graph",
      false, Maker<TMonitorDisplay>());
  add("TMeasureDisplay", "Tarnwell/measure/Measdisp.h", "Measurement display with its monitors", false,
      Maker<TMeasureDisplay>());
  add("TGraph2D", "Tarnwell/graph/Graph2D.h", "2D graph: lines, points, bars, fills and Gantt charts", false,
      Maker<TGraph2D>());
  add("TSpace3DViewer", "Tarnwell/space3d/View3D.h", "Software 3D viewer of 3D Studio models", false,
      Maker<TSpace3DViewer>());
  add("TAnimatedPolygon", "Tarnwell/space3d/Polygon.h", "Animated polygon and Bezier lines", false,
      Maker<TAnimatedPolygon>());
  add("TColorComboBox", "Tarnwell/visuals/ColCbBox.h", "Combo box of named colours", false, Maker<TColorComboBox>());
  add("TFontComboBox", "Tarnwell/visuals/FntCbBox.h", "Combo box of the installed fonts", false,
      Maker<TFontComboBox>());
  add("TGraphicLed", "Tarnwell/visuals/GraphLed.h", "Caption beside a lamp that is lit or dark", false,
      Maker<TGraphicLed>());
  add("TLabel3D", "Tarnwell/visuals/Label3D.h", "Label with a raised or engraved look", false, Maker<TLabel3D>());
  add("TLabelAngle", "Tarnwell/visuals/LabelAng.h", "Label written at any angle", false, Maker<TLabelAngle>());
  add("TURLLabel", "Tarnwell/visuals/URLLabel.h", "Label that opens a web page or a new mail", false,
      Maker<TURLLabel>());
  add("TColSortListView", "Tarnwell/commonctrls/LstVSort.h", "List whose header clicks sort by text, number or date",
      false, Maker<TColSortListView>());
  add("TCheckTreeView", "Tarnwell/commonctrls/ChkTreeV.h", "Tree with three-state check boxes", false,
      Maker<TCheckTreeView>());
  add("TExtRichEdit", "Tarnwell/commonctrls/ExtRich.h", "Source editor with indentation keys and a caret panel",
      false, Maker<TExtRichEdit>());
  add("TMyTreeView", "Tarnwell/commonctrls/MyTreeV.h", "Tree whose item tooltips can be switched off", false,
      Maker<TMyTreeView>());
  add("TDBTreeView", "Tarnwell/database/DBTreeV.h",
      "Tree of a database's tables that drives master, detail and linked queries", false, Maker<TDBTreeView>());
  add("TDrawGrid", "Tarnwell/grids/TGrids.h", "Grid whose cells the program draws", false, Maker<TDrawGrid>());
  add("TSpreadSheetGrid", "Tarnwell/spreadsheet/SShtGrid.h", "Spreadsheet grid with formulas", false,
      Maker<TSpreadSheetGrid>());
  add("TImageComboBox", "Tarnwell/spreadsheet/ImgCbBox.h", "Drop-down list whose items show a picture", false,
      Maker<TImageComboBox>());
  add("TEnhDBGrid", "Tarnwell/database/EnhDBGrd.h",
      "Data grid with rule colours, title search, filter and sort, and a savable layout", false,
      Maker<TEnhDBGrid>());
  add("TSlideButtonBar", "Tarnwell/slide/SldBBar.h",
      "Strip of picture buttons that slides open from its handle under the mouse", false, Maker<TSlideButtonBar>());
  add("TSlideMenu", "Tarnwell/slide/SldBBar.h", "Vertical sliding menu drawn from text items, chained to other menus", false,
      Maker<TSlideMenu>());
  add("TSlideMenuMan", "Tarnwell/slide/SldBBar.h", "Handle that shows, hides and drives a chain of sliding menus", false,
      Maker<TSlideMenuMan>());
  add("TFileListViewLite", "Tarnwell/fileview/FileList.h",
      "List of a folder's files with icons, sorting, navigation and file operations", false,
      Maker<TFileListViewLite>());
  add("TDirectoryComboLite", "Tarnwell/fileview/DirCombo.h",
      "Drop-down list of the folders above a file list's folder", false, Maker<TDirectoryComboLite>());
  add("TFileNameEditLite", "Tarnwell/fileview/DirCombo.h", "File-name edit that follows a file list's selection",
      false, Maker<TFileNameEditLite>());
  add("TScrollRule", "Tarnwell/scroll/EnhScrol.h", "Ruler of labelled cells (numbers, dates, times or texts) that scrolls with its content",
      false, Maker<TScrollRule>());
  add("TEnhScrollBox", "Tarnwell/scroll/EnhScrol.h", "Scroll box that keeps up to two rulers in step with its scroll bars", false,
      Maker<TEnhScrollBox>());
  add("TBtnQueDisplay", "Tarnwell/scroll/BtnQueDs.h", "Row of bars of their own widths, colours and captions, pressed like buttons", false,
      Maker<TBtnQueDisplay>());
  add("TBtnQuePeriodDisplay", "Tarnwell/scroll/BtnQueDs.h",
      "Row of bars placed by time periods on a ruler's time axis", false, Maker<TBtnQuePeriodDisplay>());
  add("TSphericalButton", "Tarnwell/visuals/Button3D.h", "Round glossy button, tinted and stamped with a glyph",
      false, Maker<TSphericalButton>());
  add("TEnhRombButtons", "Tarnwell/visuals/ERombBtn.h", "Four arrow buttons arranged in a rhomb", false,
      Maker<TEnhRombButtons>());
  add("TDateTimeEdit", "Tarnwell/visuals/DTEdit.h", "Date or time edit with up and down buttons", false,
      Maker<TDateTimeEdit>());
  add("TButtonArray", "Tarnwell/visuals/DTEdit.h", "Row of buttons that repeat their click while held", false,
      Maker<TButtonArray>());
}

}  // namespace Tarnwell
