#include "FFileView.h"

#include <QPainter>
#include <QVBoxLayout>

#include "FileEntries.h"
#include <Tarnwell/platform/TFormSize.h>
#include <Tarnwell/app/DemoRegistry.h>

namespace Tarnwell {

namespace {

enum TGlyph { glUp, glList, glReport, glSmall, glBig };

// The buttons' 16 x 16 pictures, drawn here.
QImage Glyph(TGlyph g) {
  QImage img(16, 16, QImage::Format_ARGB32);
  img.fill(Qt::transparent);
  QPainter p(&img);
  const QColor ink(0, 0, 0), paper(255, 255, 255), folder(230, 190, 60), blue(0, 0, 160);
  switch (g) {
    case glUp:
      p.fillRect(1, 5, 13, 9, folder);
      p.fillRect(1, 3, 6, 2, folder);
      p.setPen(QColor(120, 90, 0));
      p.drawRect(1, 5, 12, 8);
      p.setPen(ink);
      p.setBrush(ink);
      p.drawPolygon(QPolygon({QPoint(7, 6), QPoint(10, 9), QPoint(4, 9)}));
      p.fillRect(6, 9, 3, 4, ink);
      break;
    case glList:
    case glReport:
      p.fillRect(1, 1, 14, 14, paper);
      p.setPen(QColor(128, 128, 128));
      p.drawRect(1, 1, 13, 13);
      for (int y = 3; y <= 11; y += 4) {
        p.fillRect(3, y, 2, 2, blue);
        p.fillRect(6, y, g == glReport ? 3 : 6, 1, ink);
        if (g == glReport) p.fillRect(10, y, 3, 1, ink);
      }
      break;
    case glSmall:
      p.fillRect(1, 1, 14, 14, paper);
      p.setPen(QColor(128, 128, 128));
      p.drawRect(1, 1, 13, 13);
      for (int y : {3, 9})
        for (int x : {3, 9}) p.fillRect(x, y, 4, 4, blue);
      break;
    case glBig:
      p.fillRect(1, 1, 14, 14, paper);
      p.setPen(QColor(128, 128, 128));
      p.drawRect(1, 1, 13, 13);
      p.fillRect(4, 3, 8, 7, blue);
      p.fillRect(4, 11, 8, 1, ink);
      break;
  }
  return img;
}

}  // namespace

TFormFileView::TFormFileView(QWidget* parent) : TForm(parent) {
  SetCaption(QStringLiteral("TFileListView..."));
  setObjectName(QStringLiteral("FormFileView"));
  setBorderIcons(biSystemMenu | biMinimize);
  TFont formFont;
  formFont.SetName("MS Sans Serif");
  formFont.SetHeight(-11);
  setFont(formFont.ToQFont());
  SetDesignOuterSize(this, 488, 322);

  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->setSpacing(0);

  Panel1 = new TCustomPanel(this);
  Panel1->setFixedHeight(37);
  layout->addWidget(Panel1);
  DirectoryComboLite1 = new TDirectoryComboLite(Panel1);
  DirectoryComboLite1->setGeometry(8, 8, 249, 21);
  BtnPrevDir = new TSpeedButton(Panel1);
  BtnPrevDir->setGeometry(264, 4, 28, 28);
  BtnPrevDir->setFlat(true);
  BtnPrevDir->setGlyph(Glyph(glUp));
  BtnPrevDir->setHint(QStringLiteral("Livello superiore"));
  const std::pair<TSpeedButton**, TGlyph> styles[] = {
      {&BtnList, glList}, {&BtnReport, glReport}, {&BtnSmall, glSmall}, {&BtnBig, glBig}};
  int left = 300;
  for (const auto& [btn, glyph] : styles) {
    *btn = new TSpeedButton(Panel1);
    (*btn)->setGeometry(left, 4, 28, 28);
    (*btn)->setFlat(true);
    (*btn)->setGlyph(Glyph(glyph));
    // The four style buttons work as one group: the style in use stays down.
    (*btn)->setCheckable(true);
    (*btn)->setAutoExclusive(true);
    TSpeedButton* b = *btn;
    connect(b, &QAbstractButton::clicked, this, [this, b] { BtnListClick(b); });
    left += 28;
  }
  BtnList->setChecked(true);
  BtnList->setHint(QStringLiteral("Elenco"));
  BtnReport->setHint(QStringLiteral("Dettagli"));
  BtnSmall->setHint(QStringLiteral("Icone piccole"));
  BtnBig->setHint(QStringLiteral("Icone grandi"));

  Panel3 = new TCustomPanel(this);
  Panel3->setBevelOuter(bvNone);
  Panel3->setBorderWidth(8);
  layout->addWidget(Panel3, 1);
  auto* inner = new QVBoxLayout(Panel3);
  inner->setContentsMargins(8, 8, 8, 8);
  FileListView = new TFileListViewLite(Panel3);
  inner->addWidget(FileListView);

  Panel2 = new TCustomPanel(this);
  Panel2->setFixedHeight(40);
  layout->addWidget(Panel2);
  Label1 = new QLabel(QStringLiteral("File Mask"), Panel2);
  Label1->setGeometry(8, 12, 50, 13);
  FileNameEditLite1 = new TFileNameEditLite(Panel2);
  FileNameEditLite1->setGeometry(60, 8, 177, 21);

  StatusBar = new QStatusBar(this);
  StatusBar->setSizeGripEnabled(false);
  for (int i = 0; i < 2; ++i) {
    mPanels[i] = new QLabel(StatusBar);
    mPanels[i]->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    mPanels[i]->setContentsMargins(2, 0, 2, 0);
  }
  mPanels[0]->setFixedWidth(150);
  mPanels[0]->setText(QStringLiteral("Objects:"));
  StatusBar->addWidget(mPanels[0]);
  StatusBar->addWidget(mPanels[1], 1);
  layout->addWidget(StatusBar);

  FileListView->setLanguage(lnUserDefault);
  FileListView->setMask(QStringLiteral("*.*"));
  FileListView->setViewIconStyle(visList);
  FileListView->setExecuteOpen(true);
  FileListView->setDragFileEnabled(true);
  FileListView->setAutoUpdate(true);
  FileListView->setReadOnly(false);
  FileListView->setMultiSelect(true);
  FileListView->setDirCombo(DirectoryComboLite1);
  FileListView->setFileEdit(FileNameEditLite1);
  DirectoryComboLite1->setFileListView(FileListView);
  FileNameEditLite1->setFileListView(FileListView);

  connect(FileListView, &TFileListViewLite::AfterRead, this, [this] { UpdateStatus(); });
  connect(FileListView, &TFileListViewLite::MouseUp, this, [this] { UpdateStatus(); });
  connect(FileListView, &TFileListViewLite::KeyUp, this, [this] { UpdateStatus(); });
  connect(FileListView, &TFileListViewLite::Change, this, [this] { UpdateStatus(); });
  connect(BtnPrevDir, &QAbstractButton::clicked, this, [this] { FileListView->GoUp(); });

  // Each control by its name, so that it can be found and driven from outside.
  const std::pair<QObject*, const char*> named[] = {
      {Panel1, "Panel1"},       {DirectoryComboLite1, "DirectoryComboLite1"},
      {BtnPrevDir, "BtnPrevDir"}, {BtnList, "BtnList"},
      {BtnReport, "BtnReport"}, {BtnSmall, "BtnSmall"},
      {BtnBig, "BtnBig"},       {Panel3, "Panel3"},
      {FileListView, "FileListView"}, {Panel2, "Panel2"},
      {Label1, "Label1"},       {FileNameEditLite1, "FileNameEditLite1"},
      {StatusBar, "StatusBar"}};
  for (const auto& [c, name] : named) {
    c->setObjectName(QLatin1String(name));
    AddComponent(c);
  }
}

void TFormFileView::showEvent(QShowEvent* e) {
  TForm::showEvent(e);
  if (mShown) return;
  mShown = true;
  FileListView->setReadEnabled(true);
  FileListView->Refresh();
}

void TFormFileView::BtnListClick(TSpeedButton* sender) {
  if (sender == BtnList) FileListView->setViewIconStyle(visList);
  else if (sender == BtnReport) FileListView->setViewIconStyle(visReport);
  else if (sender == BtnSmall) FileListView->setViewIconStyle(visSmallIcon);
  else if (sender == BtnBig) FileListView->setViewIconStyle(visIcon);
}

QString TFormFileView::StatusText(int panel) const { return mPanels[panel & 1]->text(); }

void TFormFileView::UpdateStatus() {
  const int n = int(FileListView->SelectedRows().size());
  mPanels[0]->setText(n ? QStringLiteral("Selected Objects: %1").arg(n)
                        : QStringLiteral("Objects: %1").arg(FileListView->ItemCount()));
  const qint64 size = FileListView->SelectedSize();
  // "0 bytes" rather than a lone " bytes" for an empty selection.
  mPanels[1]->setText((size ? FormatThousands(size) : QStringLiteral("0")) + QStringLiteral(" bytes"));
}

void RegisterDemo_fileview() {
  RegisterDemoWindow("TFormFileView", []() -> TForm* { return new TFormFileView(); });
}

}  // namespace Tarnwell
