#pragma once
// Sheet files (".qvs"): the signature, the size of the body and the body
// compressed with TFastCompress. The body holds the used area, the column
// widths and row heights and the records of every cell in the area, header
// cells included. Loading parses into a fresh store and replaces the sheet
// only when the whole file was read.

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <memory>

#include "SShtStore.h"
#include <Tarnwell/platform/TExceptions.h>
#include <Tarnwell/TarnwellExport.h>
class QIODevice;

namespace Tarnwell {


// A sheet file that cannot be read or written: missing, truncated or malformed.
class TARNWELL_SPREADSHEET_EXPORT ESheetFileError : public EStreamError {
 public:
  using EStreamError::EStreamError;
};

// The kind of a sheet file: the spreadsheet's own (.qvs) or CSV text.
enum TSheetFileKind { sfkSheet = 0, sfkCsv = 1 };

// The byte 7 followed by "QVSS100".
extern TARNWELL_SPREADSHEET_EXPORT const QByteArray SheetSignature;

// 0 when the next 8 bytes are the signature, 1 when they differ, 2 when
// fewer than 8 can be read; the position is restored.
TARNWELL_SPREADSHEET_EXPORT int CheckSignature(QIODevice& dev);

// The uncompressed body and the whole file image of a sheet. A wide body
// (the program's own copies: undo) has wide cell records.
TARNWELL_SPREADSHEET_EXPORT QByteArray SheetBodyBytes(const TSpreadSheetDataCells& cells, bool wide = false);
TARNWELL_SPREADSHEET_EXPORT QByteArray SheetFileBytes(const TSpreadSheetDataCells& cells);

// The body compressed as sheet files hold it, made and read block by block
// (the program's whole-sheet undo steps): never the whole body at once.
TARNWELL_SPREADSHEET_EXPORT QByteArray PackedSheetBody(const TSpreadSheetDataCells& cells, bool wide = false);
// Throws ESheetFileError for damaged data.
TARNWELL_SPREADSHEET_EXPORT void ReadPackedSheetBody(const QByteArray& packed, TSpreadSheetDataCells& cells, bool wide = false);
// Parses a whole file image (signature included) into a new store made
// like `like` (default font and sizes), recalculated. Throws ESheetFileError.
TARNWELL_SPREADSHEET_EXPORT std::unique_ptr<TSpreadSheetDataCells> ReadSheetFileBytes(const QByteArray& file,
                                                          const TSpreadSheetDataCells& like);
// Parses an uncompressed body into `cells` (which should be empty).
TARNWELL_SPREADSHEET_EXPORT void ReadSheetBody(const QByteArray& body, TSpreadSheetDataCells& cells, bool wide = false);
// The cells whose texts or font name the 8-bit records of a sheet file
// cannot hold exactly ("C5", ...), at most limit of them, in file order.
TARNWELL_SPREADSHEET_EXPORT QStringList CellsNotStoredExactly(const TSpreadSheetDataCells& cells, int limit = 1 << 30);

// Writes the sheet (kind 0) or CSV (kind 1) through a temporary file that
// replaces fileName only when everything was written. Throws ESheetFileError.
TARNWELL_SPREADSHEET_EXPORT void SaveSheetToFile(const TSpreadSheetDataCells& cells, TSheetFileKind kind, const QString& fileName);
// Reads a sheet file, or CSV text when the signature is missing (also for
// files shorter than the signature), into the store, replacing its content
// only on success. Throws ESheetFileError and leaves the store as it was.
TARNWELL_SPREADSHEET_EXPORT void LoadSheetFromFile(TSpreadSheetDataCells& cells, const QString& fileName);
// The file's bytes, or ESheetFileError naming the file.
TARNWELL_SPREADSHEET_EXPORT QByteArray ReadWholeFile(const QString& fileName);

}  // namespace Tarnwell
