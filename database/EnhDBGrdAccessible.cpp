// The grid's cell texts as assistive technology reads them: the same texts
// the paint writes, for any row in view.
#include "EnhDBGrd.h"

#include <Tarnwell/database/DBDataSet.h>

namespace Tarnwell {

QString TEnhDBGrid::CellDisplayText(int col, int row) const {
  const int dataCol = RawToDataColumn(col);
  if (dataCol < 0 || dataCol >= mColumns.Count()) return QString();
  if (row == 0) return mColumns[dataCol]->TitleCaption();
  TDataSet* ds = DataSet();
  if (!ds || !ds->Active()) return QString();
  const int recNo = RowRecNo(row);
  if (recNo == 0) return QString();
  if (!ds->SetDisplayRecord(recNo > 0 ? recNo : 0)) {
    ds->SetDisplayRecord(0);
    return QString();
  }
  QString text;
  try {
    text = ConvertCellText(dataCol);
  } catch (...) {
    // A conversion that fails reads as an empty cell, as it paints.
  }
  ds->SetDisplayRecord(0);
  return text;
}

}  // namespace Tarnwell
