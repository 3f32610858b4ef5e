#pragma once
// CSV exchange: ";" between fields, CRLF after each line. Fields holding
// ";", '"' or a line break are quoted with inner quotes doubled; reading
// also accepts the older files whose quoted fields had no doubled quotes.

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>

#include <Tarnwell/platform/TExceptions.h>
#include <Tarnwell/TarnwellExport.h>

namespace Tarnwell {

class TSpreadSheetDataCells;

// A CSV import or export that failed: unreadable or malformed text, or a target outside the
// sheet.
class TARNWELL_SPREADSHEET_EXPORT ECsvError : public EStreamError {
 public:
  using EStreamError::EStreamError;
};

// The display texts of rows 1..R and columns 1..C of the cells' extent
// (sizes and row formats add no empty lines), UTF-8.
TARNWELL_SPREADSHEET_EXPORT QByteArray CsvBytes(const TSpreadSheetDataCells& cells);
// One field as written ("a;b" -> "\"a;b\"").
TARNWELL_SPREADSHEET_EXPORT QString CsvQuote(const QString& field);
// Lines of fields.
TARNWELL_SPREADSHEET_EXPORT QList<QStringList> ParseCsv(const QString& text);
// The encoding of a byte-order mark (UTF-8, UTF-16, UTF-32), else UTF-8
// when valid, else the 8-bit code page. ECsvError when the bytes break the
// encoding their mark names.
TARNWELL_SPREADSHEET_EXPORT QString DecodeCsvBytes(const QByteArray& bytes);
// Places the fields from (col, row) on through the cells' text, skipping
// empty fields where no cell exists; then recalculates. Throws ECsvError
// without changing anything when the text would pass the sheet's bounds.
TARNWELL_SPREADSHEET_EXPORT void ImportCsv(TSpreadSheetDataCells& cells, const QString& text, int col, int row);
// Reads fileName and imports it at (col, row); ECsvError names the file.
TARNWELL_SPREADSHEET_EXPORT void ImportCsvFile(TSpreadSheetDataCells& cells, const QString& fileName, int col, int row);

}  // namespace Tarnwell
