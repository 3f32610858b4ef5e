// tarnwell-dbdemos: writes the demo database into an SQLite file, or fills the
// database behind an alias (a libpq service, for instance) with the same data.
//
//   tarnwell-dbdemos [--anchor YYYY-MM-DD] [--rows N] FILE.sqlite
//   tarnwell-dbdemos [--anchor YYYY-MM-DD] [--rows N] --alias NAME
#include <QCommandLineParser>
#include <QGuiApplication>

#include <Tarnwell/platform/TEnvironment.h>
#include <cstdio>

#include <Tarnwell/database/demo/DBDemos.h>
#include <Tarnwell/database/DBEngine.h>

using namespace Tarnwell;

int main(int argc, char** argv) {
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  Tarnwell::PrepareProgramEnvironment();
  QGuiApplication app(argc, argv);
  QCommandLineParser p;
  p.setApplicationDescription("Generates the DBDEMOS demo database.");
  p.addHelpOption();
  p.addOption({"anchor", "Date the generated dates lie around (default: today).", "YYYY-MM-DD"});
  p.addOption({"rows", "Rows of the MOVIMENTI table (default 100000).", "N"});
  p.addOption({"alias", "Fill the (empty) database behind this alias instead of a file.", "NAME"});
  p.addPositionalArgument("file", "SQLite file to write (a file that is not a demo database is refused).");
  p.process(app);

  QDate anchor = QDate::currentDate();
  if (p.isSet("anchor")) {
    anchor = QDate::fromString(p.value("anchor"), Qt::ISODate);
    if (!anchor.isValid()) {
      std::fprintf(stderr, "tarnwell-dbdemos: not a date: %s\n", qPrintable(p.value("anchor")));
      return 2;
    }
  }
  int rows = kDemoMovementRows;
  if (p.isSet("rows")) {
    bool ok = false;
    rows = p.value("rows").toInt(&ok);
    if (!ok || rows < 0 || rows > 10000000) {
      std::fprintf(stderr, "tarnwell-dbdemos: rows must be 0..10000000\n");
      return 2;
    }
  }
  RegisterDemoAlias();  // so that "--alias DBDEMOS" names the showcase's file
  try {
    if (p.isSet("alias")) {
      FillDemoDatabase(TDBSession::Connection(p.value("alias")), anchor, rows);
    } else if (p.positionalArguments().size() == 1) {
      GenerateDemoDatabase(p.positionalArguments().first(), anchor, rows);
    } else {
      p.showHelp(2);
    }
  } catch (const ETarnwellError& e) {
    std::fprintf(stderr, "tarnwell-dbdemos: %s\n", qPrintable(e.Message()));
    return 1;
  }
  TDBSession::CloseAll();
  return 0;
}
