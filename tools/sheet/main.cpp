// tarnwell-sheet: sheet files and CSV from the command line.
//   tarnwell-sheet convert IN OUT [--lossy]
//                                   IN by its signature; OUT .qvs or .csv; exit 3
//                                   when a .qvs cannot hold every character
//                                   (--lossy writes them as "?")
//   tarnwell-sheet cells IN         REF<TAB>TEXT<TAB>DISPLAY per non-empty cell
//   tarnwell-sheet render IN OUT.png [--size WxH] [--cell REF]
//                                   the sheet as the grid paints it, REF top-left
#include <QApplication>

#include <Tarnwell/platform/TEnvironment.h>
#include <cstdio>
#include <cstring>
#include <memory>

#include "SheetTool.h"


namespace {

const TSheetCommand kCommands[] = {
    {"convert", "IN OUT [--lossy]", SheetConvertCommand, false},
    {"cells", "IN", SheetCellsCommand, false},
    {"render", "IN OUT.png [--size WxH] [--cell REF]", SheetRenderCommand, true},
};

void Usage() {
  std::fprintf(stderr, "usage:\n");
  for (const TSheetCommand& c : kCommands) std::fprintf(stderr, "  tarnwell-sheet %s %s\n", c.Name, c.Usage);
}

}  // namespace

int main(int argc, char** argv) {
  const TSheetCommand* command = nullptr;
  for (const TSheetCommand& c : kCommands)
    if (argc > 1 && std::strcmp(argv[1], c.Name) == 0) command = &c;
  Tarnwell::PrepareProgramEnvironment();
  std::unique_ptr<QCoreApplication> app;
  if (command && command->NeedsGui) {
    // Drawing commands need no display.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    app = std::make_unique<QApplication>(argc, argv);
  } else {
    app = std::make_unique<QCoreApplication>(argc, argv);
  }
  const QStringList args = QCoreApplication::arguments().mid(1);
  if (args.isEmpty()) {
    Usage();
    return 2;
  }
  if (command) return command->Run(args.mid(1));
  SheetToolError(QStringLiteral("unknown command %1").arg(args[0]));
  Usage();
  return 2;
}
