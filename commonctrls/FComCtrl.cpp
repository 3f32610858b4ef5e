#include "FComCtrl.h"

#include <QDate>
#include <QLocale>
#include <QRandomGenerator>
#include <QResizeEvent>
#include <QScrollBar>
#include <QShowEvent>
#include <QTime>

#include <Tarnwell/platform/TFormSize.h>
#include <Tarnwell/app/DemoRegistry.h>
#include <Tarnwell/platform/TGraphics.h>

namespace Tarnwell {

namespace {
constexpr int StatusHeight = 19;

int Random(int n) { return int(QRandomGenerator::global()->bounded(n)); }

QFont FontOf(const QString& name, int height, TFontStyles style = 0) {
  TFont f;
  f.SetName(name);
  f.SetHeight(height);
  f.SetStyle(style);
  return f.ToQFont();
}
}  // namespace

QString TFormCommCtrls::SourceSample() {
  return QStringLiteral(R"pas(unit ExtRich;

interface

uses
  Platform, Graphics, Editors, StatusBars;

type
  TExtRichEdit = class(TSourceEditorBase)
  private
    FCaretPosDisplay: TStatusBar;
    FTabSpaces: Integer;
    FTabString: string;
    FAutoIndent: Boolean;
    FBackUnindent: Boolean;
    FCursThrTabs: Boolean;
    procedure SetTabSpaces(Value: Integer);
    function GetCaretPosition: TPoint;
    procedure SetCaretPosition(Value: TPoint);
    procedure ShowCaretPos;
    procedure MakeCaret;
  protected
    procedure KeyDown(var Key: Word; Modifiers: Integer); override;
    procedure KeyPress(var Key: Char); override;
    procedure SelectionChange; override;
    procedure StatusBarRemoved(Bar: TStatusBar;
      var Handled: Boolean); override;
  public
    constructor Create(Owner: TObject); override;
    procedure PrintBW(const Caption: string);
    property CaretPos: TPoint read GetCaretPosition
      write SetCaretPosition;
  published
    property CaretPosDisplay: TStatusBar read FCaretPosDisplay
      write FCaretPosDisplay;
    property TabSpaces: Integer read FTabSpaces
      write SetTabSpaces default 0;
    property AutoIndent: Boolean read FAutoIndent
      write FAutoIndent default False;
    property BackUnindent: Boolean read FBackUnindent
      write FBackUnindent default False;
    property CursThrTabs: Boolean read FCursThrTabs
      write FCursThrTabs default False;
   end;)pas");
}

TFormCommCtrls::TFormCommCtrls(QWidget* parent) : TForm(parent) {
  setObjectName(QStringLiteral("FormCommCtrls"));
  SetCaption(QStringLiteral("Common Controls"));
  setBorderIcons(biSystemMenu | biMinimize);
  setFont(FontOf(QStringLiteral("MS Sans Serif"), -11));

  CheckTreeView = new TCheckTreeView(this);
  CheckTreeView->setObjectName(QStringLiteral("CheckTreeView"));
  CheckTreeView->setAllowGrayed(false);
  CheckTreeView->setAutoCheckChild(true);
  CheckTreeView->setAutoUnCheckChild(true);
  CheckTreeView->setAutoGrayParent(true);
  CheckTreeView->setIndentation(19);
  QTreeWidgetItem* root = CheckTreeView->AddNode(nullptr, QStringLiteral("Root"), TCheckTreeView::stUnchecked, 0);
  for (const char* sub : {"SubItem1", "SubItem2", "SubItem3"})
    CheckTreeView->AddNode(root, QLatin1String(sub), TCheckTreeView::stUnchecked, 0);
  CheckTreeView->Loaded();

  ListView = new TColSortListView(this);
  ListView->setObjectName(QStringLiteral("ListView"));
  ListView->setHeaderLabels({QStringLiteral("String"), QStringLiteral("Integer"), QStringLiteral("Date"),
                             QStringLiteral("Time"), QStringLiteral("DateTime")});
  const int widths[] = {45, 50, 70, 60, 120};  // "Integer" keeps the default width
  for (int i = 0; i < 5; ++i) ListView->setColumnWidth(i, widths[i]);

  StatusBar = new TStatusBar(this);
  StatusBar->setObjectName(QStringLiteral("StatusBar"));
  StatusBar->AddPanel(QStringLiteral("45: 1"), 60, taRightJustify);
  StatusBar->AddPanel(QString(), 0, taCenter);
  StatusBar->AddPanel(QString(), 60, taCenter);
  StatusBar->AddPanel(QString(), 0);

  RichEditSource = new TExtRichEdit(this);
  RichEditSource->setObjectName(QStringLiteral("RichEditSource"));
  QPalette pal = RichEditSource->palette();
  for (auto group : {QPalette::Active, QPalette::Inactive}) {
    pal.setColor(group, QPalette::Base, ToQColor(clNavy));
    pal.setColor(group, QPalette::Text, ToQColor(clYellow));
  }
  // The selection stays visible when the editor has no focus.
  pal.setColor(QPalette::Inactive, QPalette::Highlight, pal.color(QPalette::Active, QPalette::Highlight));
  pal.setColor(QPalette::Inactive, QPalette::HighlightedText, pal.color(QPalette::Active, QPalette::HighlightedText));
  RichEditSource->setPalette(pal);
  RichEditSource->setFont(FontOf(QStringLiteral("Courier New"), -16, fsBold));
  RichEditSource->setTabChangesFocus(false);
  RichEditSource->setLineWrapMode(QPlainTextEdit::NoWrap);
  RichEditSource->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
  RichEditSource->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
  RichEditSource->setMaxLength(99999999);
  RichEditSource->setTabSpaces(2);
  RichEditSource->setAutoIndent(true);
  RichEditSource->setBackUnindent(true);
  RichEditSource->setCursThrTabs(true);
  RichEditSource->setPlainText(SourceSample());
  RichEditSource->setCaretPosDisplay(StatusBar);
  // The panel shows the designed text until the caret first moves.
  StatusBar->SetPanelText(0, QStringLiteral("45: 1"));

  PopupSource = new QMenu(this);
  PopupSource->setObjectName(QStringLiteral("PopupSource"));
  Paste1 = PopupSource->addAction(QStringLiteral("Paste"), RichEditSource, &QPlainTextEdit::paste);
  Copy1 = PopupSource->addAction(QStringLiteral("Copy"), RichEditSource, &QPlainTextEdit::copy);
  Cut1 = PopupSource->addAction(QStringLiteral("Cut"), RichEditSource, &QPlainTextEdit::cut);
  PopupSource->addSeparator();
  PrintSection1 = PopupSource->addAction(QStringLiteral("&Print Section"), this, &TFormCommCtrls::PrintSection1Click);
  RichEditSource->setContextMenuPolicy(Qt::CustomContextMenu);
  connect(RichEditSource, &QWidget::customContextMenuRequested, this,
          [this](const QPoint& at) { PopupSource->popup(RichEditSource->viewport()->mapToGlobal(at)); });

  for (QObject* c : std::initializer_list<QObject*>{CheckTreeView, ListView, RichEditSource, StatusBar, PopupSource})
    AddComponent(c);
  SetDesignOuterSize(this, 518, 455);
  PlaceControls();
}

void TFormCommCtrls::PlaceControls() {
  // The controls stand as designed in the client area the window opens
  // with; anchored ones keep their distances to its edges.
  const QSize design = DesignClientSize(this);
  const int DesignClientWidth = design.width(), DesignClientHeight = design.height();
  const int w = width(), h = height();
  CheckTreeView->setGeometry(4, 8, 121, 141);
  ListView->setGeometry(132, 8, std::max(20, 369 + w - DesignClientWidth), 141);
  const int editH = 247 + (h - DesignClientHeight);
  RichEditSource->setGeometry(4, 156, std::max(20, 497 + w - DesignClientWidth), std::max(20, editH));
  StatusBar->setGeometry(0, h - StatusHeight, w, StatusHeight);
}

void TFormCommCtrls::resizeEvent(QResizeEvent* e) {
  TForm::resizeEvent(e);
  PlaceControls();
}

void TFormCommCtrls::showEvent(QShowEvent* e) {
  TForm::showEvent(e);
  if (mShown) return;
  mShown = true;
  FormShow();
}

void TFormCommCtrls::FormShow() {
  ListView->ColumnTypes[0] = cstText;
  ListView->ColumnTypes[1] = cstInteger;
  ListView->ColumnTypes[2] = cstDate;
  ListView->ColumnTypes[3] = cstTime;  // "DateTime" stays text
  const QLocale loc;
  for (int i = 0; i <= 15; ++i) {
    const int n = Random(1000) + 100;
    const QString d = loc.toString(QDate::currentDate().addDays(Random(30)), QLocale::ShortFormat);
    const int hour = Random(24), minute = Random(59), second = Random(59);
    const QString t = loc.toString(QTime(hour, minute, second), TColSortListView::LongTimeFormat(loc));
    ListView->AddItem(QString(QChar(65 + i)) + QStringLiteral("_Item"),
                      {QString::number(n), d, t, d + QLatin1Char(' ') + t});
  }
  CheckTreeView->expandAll();
}

void TFormCommCtrls::PrintSection1Click() { RichEditSource->PrintBW(QString()); }

void RegisterDemo_commonctrls() {
  RegisterDemoWindow("TFormCommCtrls", []() -> TForm* { return new TFormCommCtrls(); });
}

}  // namespace Tarnwell
