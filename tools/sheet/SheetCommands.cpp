#include <QFileInfo>
#include <algorithm>
#include <cstdio>
#include <vector>

#include <Tarnwell/spreadsheet/SShtEngine.h>
#include "SheetTool.h"

using namespace Tarnwell;

void SheetToolError(const QString& message) {
  std::fprintf(stderr, "tarnwell-sheet: %s\n", message.toLocal8Bit().constData());
}

namespace {

// Loads IN by its signature; false (with the message printed) on failure.
bool LoadInput(const QString& in, TSpreadSheetDataCells& cells) {
  try {
    LoadSheetFromFile(cells, in);
    return true;
  } catch (const ETarnwellError& e) {
    SheetToolError(e.Message());
    return false;
  }
}

QString Escaped(QString s) {
  s.replace(QLatin1Char('\\'), QLatin1String("\\\\"));
  s.replace(QLatin1Char('\t'), QLatin1String("\\t"));
  s.replace(QLatin1Char('\r'), QLatin1String("\\r"));
  s.replace(QLatin1Char('\n'), QLatin1String("\\n"));
  return s;
}

}  // namespace

int SheetConvertCommand(const QStringList& argsIn) {
  QStringList args = argsIn;
  const bool lossy = args.removeAll(QStringLiteral("--lossy")) > 0;
  if (args.size() != 2) {
    SheetToolError(QStringLiteral("convert needs IN and OUT"));
    return 2;
  }
  const QString in = args[0], out = args[1];
  const QString suffix = QFileInfo(out).suffix().toLower();
  if (suffix != QLatin1String("qvs") && suffix != QLatin1String("csv")) {
    SheetToolError(QStringLiteral("%1: the output must end in .qvs or .csv").arg(out));
    return 1;
  }
  TSpreadSheetDataCells cells;
  if (!LoadInput(in, cells)) return 1;
  if (suffix == QLatin1String("qvs")) {
    // Sheet files hold 8-bit texts: never change characters unasked.
    const QStringList bad = CellsNotStoredExactly(cells);
    if (!bad.isEmpty()) {
      const QString list = bad.mid(0, 20).join(QStringLiteral(", ")) +
                           (bad.size() > 20 ? QStringLiteral(", ... (%1 in all)").arg(bad.size()) : QString());
      if (!lossy) {
        SheetToolError(QStringLiteral("%1: %2 cell(s) hold characters a .qvs file cannot store: %3; "
                                      "nothing written (--lossy writes them as \"?\")")
                           .arg(out)
                           .arg(bad.size())
                           .arg(list));
        return 3;
      }
      SheetToolError(QStringLiteral("%1: characters written as \"?\" in %2").arg(out, list));
    }
  }
  try {
    SaveSheetToFile(cells, suffix == QLatin1String("qvs") ? sfkSheet : sfkCsv, out);
  } catch (const ETarnwellError& e) {
    SheetToolError(e.Message());
    return 1;
  }
  return 0;
}

int SheetCellsCommand(const QStringList& args) {
  if (args.size() != 1) {
    SheetToolError(QStringLiteral("cells needs IN"));
    return 2;
  }
  TSpreadSheetDataCells cells;
  if (!LoadInput(args[0], cells)) return 1;
  cells.Recalculate();
  std::vector<const TSpreadSheetCell*> list;
  for (const auto& column : cells.Columns()) {
    if (column->Col() < 1) continue;
    for (const auto& cell : column->Cells())
      if (cell->Row() >= 1 && !cell->Text().isEmpty()) list.push_back(cell.get());
  }
  std::sort(list.begin(), list.end(), [](const TSpreadSheetCell* a, const TSpreadSheetCell* b) {
    return a->Row() != b->Row() ? a->Row() < b->Row() : a->Col() < b->Col();
  });
  QByteArray out;
  for (const TSpreadSheetCell* c : list) {
    out += CellRefName(c->Col(), c->Row()).toUtf8();
    out += '\t';
    out += Escaped(c->Text()).toUtf8();
    out += '\t';
    out += Escaped(c->DisplayText()).toUtf8();
    out += '\n';
  }
  std::fwrite(out.constData(), 1, size_t(out.size()), stdout);
  return std::fflush(stdout) == 0 ? 0 : 1;
}
