// A label window: a bar code in a layout, on a patterned panel, with its
// price computed by the spreadsheet engine. `label --check` renders it off
// screen, checks what a user would see and exits (the package test runs it).
#include <QApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <cstdio>

#include <Tarnwell/barcodes/BarCodes.h>
#include <Tarnwell/pattern/PatPanel.h>
#include <Tarnwell/platform/TApplication.h>
#include <Tarnwell/spreadsheet/SShtEngine.h>

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  Tarnwell::InitializeTarnwell();  // font substitutes, exception handler

  QWidget window;
  auto* layout = new QHBoxLayout(&window);
  auto* code = new Tarnwell::TBarCodes;
  code->SetA_CodeType(Tarnwell::bcEAN_13);
  code->SetCaption(QStringLiteral("978020137962"));
  layout->addWidget(code);

  auto* holder = new Tarnwell::TPatternHolder(&window);  // its picture comes with the library
  auto* panel = new Tarnwell::TPatternPanel;
  panel->SetPatternHolder(holder);
  auto* price = new QLabel(panel);
  layout->addWidget(panel);

  Tarnwell::TSpreadSheetDataCells sheet;
  sheet.SetCellText(1, 1, QStringLiteral("25"));
  sheet.SetCellText(2, 1, QStringLiteral("=A1*2"));
  sheet.Recalculate();
  price->setText(QStringLiteral("EUR ") + sheet.CellDisplayText(2, 1));
  window.show();

  if (argc > 1 && QByteArray(argv[1]) == "--check") {
    window.adjustSize();
    const QSize s = code->size();
    const bool whole = s.width() >= code->sizeHint().width() && s.height() >= code->sizeHint().height();
    std::printf("bar code %s at %dx%d (hint %dx%d); pattern %dx%d; price %s\n",
                qPrintable(code->A_BarCode()), s.width(), s.height(), code->sizeHint().width(),
                code->sizeHint().height(), holder->Pattern().Width(), holder->Pattern().Height(),
                qPrintable(price->text()));
    return whole && holder->Pattern().Width() > 0 && code->A_BarCode().size() == 13 ? 0 : 1;
  }
  return app.exec();
}
