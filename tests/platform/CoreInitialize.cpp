// Linked with Tarnwell::Database only: InitializeTarnwell() is there, adds
// the font substitutions and, without the widget part, installs no handler.
#include <QFont>
#include <QGuiApplication>
#include <Tarnwell/database/DBTable.h>
#include <Tarnwell/platform/TExceptions.h>
#include <Tarnwell/platform/TInitialize.h>
#include <cstdio>

int main(int argc, char** argv) {
  QGuiApplication app(argc, argv);
  Tarnwell::InitializeTarnwell();
  const QString face = QFont::substitute(QStringLiteral("MS Sans Serif"));
  if (face.compare(QStringLiteral("Liberation Sans"), Qt::CaseInsensitive) != 0) {
    std::fprintf(stderr, "MS Sans Serif -> %s\n", qPrintable(face));
    return 1;
  }
  if (Tarnwell::HasExceptionHandler()) {
    std::fprintf(stderr, "a handler was installed without widgets\n");
    return 1;
  }
  Tarnwell::TTable table;  // the family itself is linked
  return table.Active() ? 1 : 0;
}
