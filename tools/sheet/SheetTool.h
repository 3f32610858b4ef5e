#pragma once
// Commands of tarnwell-sheet. Each takes the arguments after its name and
// returns the exit code; messages go to stderr. Add a command by writing
// one such function and listing it in the table of main.cpp.

#include <QString>
#include <QStringList>

struct TSheetCommand {
  const char* Name;
  const char* Usage;  // arguments, for the help text
  int (*Run)(const QStringList& args);
  bool NeedsGui;  // drawing commands get a QApplication (offscreen)
};

int SheetConvertCommand(const QStringList& args);
int SheetCellsCommand(const QStringList& args);
int SheetRenderCommand(const QStringList& args);

// "tarnwell-sheet: <message>" on stderr.
void SheetToolError(const QString& message);
