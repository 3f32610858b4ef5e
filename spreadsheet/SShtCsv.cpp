#include "SShtCsv.h"

#include <QFile>

#include "SShtStore.h"
#include "SShtText.h"
#include <Tarnwell/platform/THourglass.h>

namespace Tarnwell {

QString CsvQuote(const QString& field) {
  bool needs = false;
  for (QChar c : field)
    if (c == QLatin1Char(';') || c == QLatin1Char('"') || c == QLatin1Char('\r') || c == QLatin1Char('\n')) {
      needs = true;
      break;
    }
  if (!needs) return field;
  QString q = field;
  q.replace(QLatin1String("\""), QLatin1String("\"\""));
  return QLatin1Char('"') + q + QLatin1Char('"');
}

QByteArray CsvBytes(const TSpreadSheetDataCells& cells) {
  const TGridRect ext = cells.CellExtent();
  QString out;
  // Rows of each column are walked once, in step, to keep this linear.
  std::vector<std::pair<const TSpreadSheetDataColumn*, size_t>> cursors;
  for (const auto& column : cells.Columns())
    if (column->Col() >= 1 && column->Col() <= ext.Right) cursors.push_back({column.get(), 0});
  for (int r = 1; r <= ext.Bottom; ++r) {
    QStringList fields;
    int nextCol = 1;
    for (auto& [column, idx] : cursors) {
      const auto& list = column->Cells();
      while (idx < list.size() && list[idx]->Row() < r) ++idx;
      if (idx < list.size() && list[idx]->Row() == r) {
        for (; nextCol < column->Col(); ++nextCol) fields << QString();
        fields << CsvQuote(list[idx]->DisplayText());
        ++nextCol;
      }
    }
    for (; nextCol <= ext.Right; ++nextCol) fields << QString();
    out += fields.join(QLatin1Char(';'));
    out += QLatin1String("\r\n");
  }
  return out.toUtf8();
}

QString DecodeCsvBytes(const QByteArray& bytes) {
  QString error;
  QString text = DecodeTextFile(bytes, &error);
  if (!error.isEmpty()) throw ECsvError(error);
  return text;
}

namespace {

// Walks the fields of CSV text: field(line, index, text) for each field, in
// order; the text is built only when build is set. Returns the number of
// lines (an empty line counts, with no fields). Nothing is held but the
// current field, so that large files are not copied into lists first.
template <class F>
qsizetype ScanCsv(const QString& text, bool build, F&& field) {
  const qsizetype n = text.size();
  const QChar* t = text.constData();
  qsizetype i = 0, line = 0;
  auto lineEnd = [&](qsizetype k) { return k >= n || t[k] == QLatin1Char('\r') || t[k] == QLatin1Char('\n'); };
  QString content;
  while (i < n) {
    int index = 0;
    // One line: fields until a line break outside quotes.
    while (!lineEnd(i)) {
      QString value;
      if (t[i] == QLatin1Char('"')) {
        // A quoted field ends at a quote that is not doubled. Without any
        // closing quote in the rest of the text the field runs to the end
        // of the line, as older files had it.
        qsizetype k = i + 1;
        bool closed = false;
        content.resize(0);
        while (k < n) {
          if (t[k] == QLatin1Char('"')) {
            if (k + 1 < n && t[k + 1] == QLatin1Char('"')) {
              if (build) content += QLatin1Char('"');
              k += 2;
              continue;
            }
            closed = true;
            break;
          }
          if (build) content += t[k];
          ++k;
        }
        if (closed) {
          i = k + 1;
          // Text after the closing quote up to the separator belongs to the field.
          const qsizetype from = i;
          while (!lineEnd(i) && t[i] != QLatin1Char(';')) ++i;
          if (build) value = content + text.mid(from, i - from);
        } else {
          qsizetype e = i + 1;
          while (!lineEnd(e)) ++e;
          if (build) value = text.mid(i + 1, e - i - 1);
          i = e;
        }
      } else {
        qsizetype e = i;
        while (!lineEnd(e) && t[e] != QLatin1Char(';')) ++e;
        if (build) value = text.mid(i, e - i);
        i = e;
      }
      field(line, index++, value);
      if (i < n && t[i] == QLatin1Char(';')) ++i;
    }
    ++line;
    if (i < n && t[i] == QLatin1Char('\r')) ++i;
    if (i < n && t[i] == QLatin1Char('\n')) ++i;
  }
  return line;
}

}  // namespace

QList<QStringList> ParseCsv(const QString& text) {
  QList<QStringList> lines;
  const qsizetype count = ScanCsv(text, true, [&](qsizetype line, int, const QString& value) {
    while (lines.size() <= line) lines.append(QStringList());
    lines.last() << value;
  });
  while (lines.size() < count) lines.append(QStringList());
  return lines;
}

void ImportCsv(TSpreadSheetDataCells& cells, const QString& text, int col, int row) {
  THourglass hourglass;
  TSheetLocaleScope locale;
  if (col < 1 || row < 1) throw ECsvError(QStringLiteral("the import starts outside the sheet"));
  // The bounds first, without building any field, so that nothing changes
  // when the text does not fit.
  qsizetype widest = 0;
  const qsizetype lines = ScanCsv(text, false, [&](qsizetype, int index, const QString&) {
    widest = std::max<qsizetype>(widest, index + 1);
  });
  if (widest > 0 && col + widest - 1 > SShtMaxCol)
    throw ECsvError(
        QStringLiteral("%1 fields from column %2 pass the last column ZZ").arg(widest).arg(ColumnName(col)));
  if (lines > 0 && qint64(row) + lines - 1 > SShtMaxRow)
    throw ECsvError(QStringLiteral("%1 lines from row %2 pass the last row").arg(lines).arg(row));
  ScanCsv(text, true, [&](qsizetype line, int index, const QString& field) {
    const int c = col + index, r = row + int(line);
    if (!field.isEmpty() || cells.FindCell(c, r)) cells.SetCellText(c, r, field);
  });
  cells.Recalculate();
}

void ImportCsvFile(TSpreadSheetDataCells& cells, const QString& fileName, int col, int row) {
  QFile f(fileName);
  if (!f.open(QIODevice::ReadOnly))
    throw ECsvError(QStringLiteral("%1: cannot open: %2").arg(fileName, f.errorString()));
  QByteArray all = f.readAll();
  if (f.error() != QFileDevice::NoError)
    throw ECsvError(QStringLiteral("%1: cannot read: %2").arg(fileName, f.errorString()));
  try {
    QString text = DecodeCsvBytes(all);
    all = QByteArray();  // the text alone is enough
    ImportCsv(cells, text, col, row);
  } catch (const ECsvError& e) {
    throw ECsvError(QStringLiteral("%1: %2").arg(fileName, e.Message()));
  }
}

}  // namespace Tarnwell
