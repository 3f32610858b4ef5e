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
  code->setA_CodeType(Tarnwell::bcEAN_13);
  code->setCaption(QStringLiteral("978020137962"));
  layout->addWidget(code);

  auto* holder = new Tarnwell::TPatternHolder(&window);  // its picture comes with the library
  auto* panel = new Tarnwell::TPatternPanel;
  panel->setPatternHolder(holder);
  auto* price = new QLabel(panel);
  layout->addWidget(panel);

  Tarnwell::TSpreadSheetDataCells sheet;
  sheet.SetCellText(1, 1, QStringLiteral("25"));
  sheet.SetCellText(2, 1, QStringLiteral("=A1*2"));
  sheet.Recalculate();
  price->setText(QStringLiteral("EUR ") + sheet.CellDisplayText(2, 1));
  QObject::connect(code, &Tarnwell::TBarCodes::A_BarCodeChanged,
                   [](const QString& text) { std::printf("now showing %s\n", qPrintable(text)); });
  window.show();

  if (argc > 1 && QByteArray(argv[1]) == "--check") {
    window.adjustSize();
    const QSize s = code->size();
    // The layout gives the bar code its whole symbol, as the control asks.
    const QSize hint = code->sizeHint();
    const bool whole = hint.width() > 100 && hint.height() > 50 && s.width() >= hint.width() &&
                       s.height() >= hint.height();
    std::printf("bar code %s at %dx%d (hint %dx%d); pattern %dx%d; price %s\n",
                qPrintable(code->A_BarCode()), s.width(), s.height(), code->sizeHint().width(),
                code->sizeHint().height(), holder->Pattern().width(), holder->Pattern().height(),
                qPrintable(price->text()));
    return whole && !holder->Pattern().isNull() && code->A_BarCode().size() == 13 &&
                   price->text() == QStringLiteral("EUR 50")
               ? 0
               : 1;
  }
  return app.exec();
}
