#include "FPattern.h"

#include <QVBoxLayout>

#include <Tarnwell/platform/TFormSize.h>
#include <Tarnwell/platform/TResources.h>

#include <Tarnwell/app/DemoRegistry.h>

namespace Tarnwell {

TFormPattern::TFormPattern(QWidget* parent) : TForm(parent) {
  SetCaption(QStringLiteral("TPattern...."));
  setBorderIcons(biSystemMenu | biMinimize);
  setObjectName(QStringLiteral("FormPattern"));

  PatternHolder1 = new TPatternHolder(this);
  PatternHolder1->setPattern(LoadResourcePicture(QStringLiteral("PATTERNPAPER")));
  AddComponent(PatternHolder1);

  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(0, 0, 0, 0);
  Splitter1 = new QSplitter(Qt::Horizontal, this);
  Splitter1->setHandleWidth(3);
  Splitter1->setChildrenCollapsible(false);
  layout->addWidget(Splitter1);

  PatternPanel1 = new TPatternPanel(Splitter1);
  PatternPanel1->setCaption(QStringLiteral("TPatternPanel"));
  PatternPanel1->setPatternHolder(PatternHolder1);
  PatternPanel1->setMinimumWidth(120);
  PatternPanel2 = new TPatternPanel(Splitter1);
  PatternPanel2->setCaption(QStringLiteral("TPatternPanel"));
  PatternPanel2->setPatternHolder(PatternHolder1);
  PatternPanel2->setMinimumWidth(120);
  Splitter1->addWidget(PatternPanel1);
  Splitter1->addWidget(PatternPanel2);
  Splitter1->setStretchFactor(0, 0);
  Splitter1->setStretchFactor(1, 1);
  Splitter1->setSizes({245, 479 - 245 - 3});

  PatternGroupBox1 = new TPatternGroupBox(PatternPanel1);
  PatternGroupBox1->setCaption(QStringLiteral("TPatternGroupBox"));
  PatternGroupBox1->setPatternPaint(true);
  PatternGroupBox1->setGeometry(12, 10, 217, 84);

  PatternCheckBox1 = new TPatternCheckBox(PatternGroupBox1);
  PatternCheckBox1->setText(QStringLiteral("TPatternCheckBox"));
  PatternCheckBox1->setPatternPaint(true);
  PatternCheckBox1->setGeometry(14, 24, 180, 20);
  PatternCheckBox1->setChecked(true);
  PatternCheckBox2 = new TPatternCheckBox(PatternGroupBox1);
  PatternCheckBox2->setText(QStringLiteral("TPatternCheckBox"));
  PatternCheckBox2->setPatternPaint(true);
  PatternCheckBox2->setGeometry(14, 52, 180, 20);

  PatternRadioButton1 = new TPatternRadioButton(PatternPanel2);
  PatternRadioButton2 = new TPatternRadioButton(PatternPanel2);
  PatternRadioButton3 = new TPatternRadioButton(PatternPanel2);
  int top = 16;
  for (auto* rb : {PatternRadioButton1, PatternRadioButton2, PatternRadioButton3}) {
    rb->setText(QStringLiteral("TPatternRadioButton"));
    rb->setPatternPaint(true);
    rb->setGeometry(20, top, 190, 20);
    top += 28;
  }
  PatternRadioButton1->setChecked(true);

  for (QObject* c : std::initializer_list<QObject*>{Splitter1, PatternPanel1, PatternPanel2, PatternGroupBox1,
                                                    PatternCheckBox1, PatternCheckBox2, PatternRadioButton1,
                                                    PatternRadioButton2, PatternRadioButton3})
    AddComponent(c);

  SetDesignOuterSize(this, 479, 281);
}

void RegisterDemo_pattern() {
  RegisterDemoWindow("TFormPattern", []() -> TForm* { return new TFormPattern(); });
}

}  // namespace Tarnwell

TARNWELL_LIBRARY_RESOURCES(tarnwell_demo_pattern)
