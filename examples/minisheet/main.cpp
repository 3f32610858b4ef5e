// A mini spreadsheet: the sheet grid with a few figures and formulas; type
// into the cells, the totals follow. `minisheet --check` fills it off screen,
// checks the computed totals and exits.
#include <QApplication>
#include <QVBoxLayout>
#include <cstdio>

#include <Tarnwell/platform/TApplication.h>
#include <Tarnwell/spreadsheet/SShtGrid.h>

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  Tarnwell::InitializeTarnwell();

  QWidget window;
  auto* sheet = new Tarnwell::TSpreadSheetGrid;
  sheet->setAutoRecalc(true);
  const char* rows[][3] = {{"Voce", "Quantità", "Prezzo"}, {"Viti", "120", "0.05"}, {"Dadi", "80", "0.04"},
                           {"Rondelle", "200", "0.02"}};
  for (int r = 0; r < 4; ++r)
    for (int c = 0; c < 3; ++c) sheet->SetCellText(c + 1, r + 1, QString::fromUtf8(rows[r][c]));
  sheet->SetCellText(4, 1, QStringLiteral("Importo"));
  for (int r = 2; r <= 4; ++r) sheet->SetCellText(4, r, QStringLiteral("=B%1*C%1").arg(r));
  sheet->SetCellText(3, 5, QStringLiteral("Totale"));
  sheet->SetCellText(4, 5, QStringLiteral("=SUM(D2:D4)"));
  sheet->Recalculate();
  (new QVBoxLayout(&window))->addWidget(sheet);
  window.resize(480, 260);
  window.show();

  if (argc > 1 && QByteArray(argv[1]) == "--check") {
    const QString total = sheet->Cells().CellDisplayText(4, 5);
    std::printf("total %s\n", qPrintable(total));
    // 120*0.05 + 80*0.04 + 200*0.02 = 13.2, in whatever the locale writes.
    const double value = QString(total).replace(QLatin1Char(','), QLatin1Char('.')).toDouble();
    return qAbs(value - 13.2) < 1e-9 ? 0 : 1;
  }
  return app.exec();
}
