// A data browser: opens a table of an SQLite file (a path is a database
// name; a PostgreSQL service name from ~/.pg_service.conf works the same
// way) through the dataset components and lists its records.
// `databrowser --check` writes a small file, browses it and exits.
#include <QApplication>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QVBoxLayout>
#include <cstdio>

#include <Tarnwell/database/DBTable.h>
#include <Tarnwell/platform/TApplication.h>

namespace {
void WriteSample(const QString& file) {
  QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("sample"));
  db.setDatabaseName(file);
  db.open();
  QSqlQuery q(db);
  q.exec(QStringLiteral("CREATE TABLE clienti (codice INTEGER PRIMARY KEY, nome TEXT, citta TEXT)"));
  q.exec(QStringLiteral("INSERT INTO clienti VALUES (1, 'Rossi', 'Milano'), (2, 'Bianchi', 'Torino'),"
                        " (3, 'D''Angelo', 'Napoli')"));
  db.close();
}
}  // namespace

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  Tarnwell::InitializeTarnwell();
  const bool check = argc > 1 && QByteArray(argv[1]) == "--check";
  QTemporaryDir dir;
  QString file = argc > 1 && !check ? QString::fromLocal8Bit(argv[1]) : dir.filePath(QStringLiteral("sample.db"));
  QString tableName = argc > 2 ? QString::fromLocal8Bit(argv[2]) : QStringLiteral("clienti");
  if (check || argc < 2) WriteSample(file);
  QSqlDatabase::removeDatabase(QStringLiteral("sample"));

  Tarnwell::TTable table;
  table.setDatabaseName(file);
  table.setTableName(tableName);
  table.Open();

  QWidget window;
  auto* list = new QTableWidget(0, table.FieldCount());
  QStringList headers;
  for (int i = 0; i < table.FieldCount(); ++i) headers << table.Fields(i)->FieldName();
  list->setHorizontalHeaderLabels(headers);
  for (table.First(); !table.Eof(); table.Next()) {
    const int row = list->rowCount();
    list->insertRow(row);
    for (int i = 0; i < table.FieldCount(); ++i)
      list->setItem(row, i, new QTableWidgetItem(table.Fields(i)->AsString()));
  }
  (new QVBoxLayout(&window))->addWidget(list);
  window.resize(420, 200);
  window.show();

  if (check) {
    std::printf("%d records, %d fields; third: %s\n", list->rowCount(), list->columnCount(),
                qPrintable(list->item(2, 1)->text()));
    return list->rowCount() == 3 && list->item(2, 1)->text() == QStringLiteral("D'Angelo") ? 0 : 1;
  }
  return app.exec();
}
