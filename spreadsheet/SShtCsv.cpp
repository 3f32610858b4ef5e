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

QList<QStringList> ParseCsv(const QString& text) {
  QList<QStringList> lines;
  const qsizetype n = text.size();
  qsizetype i = 0;
  auto lineEnd = [&](qsizetype k) {
    return k >= n || text[k] == QLatin1Char('\r') || text[k] == QLatin1Char('\n');
  };
  while (i < n) {
    QStringList fields;
    // One line: fields until a line break outside quotes.
    while (!lineEnd(i)) {
      QString field;
      if (text[i] == QLatin1Char('"')) {
        // A quoted field ends at a quote that is not doubled. Without any
        // closing quote in the rest of the text the field runs to the end
        // of the line, as older files had it.
        qsizetype k = i + 1;
        bool closed = false;
        QString content;
        while (k < n) {
          if (text[k] == QLatin1Char('"')) {
            if (k + 1 < n && text[k + 1] == QLatin1Char('"')) {
              content += QLatin1Char('"');
              k += 2;
              continue;
            }
            closed = true;
            break;
          }
          content += text[k++];
        }
        if (closed) {
          field = content;
          i = k + 1;
          // Text after the closing quote up to the separator belongs to the field.
          while (!lineEnd(i) && text[i] != QLatin1Char(';')) field += text[i++];
        } else {
          qsizetype e = i + 1;
          while (!lineEnd(e)) ++e;
          field = text.mid(i + 1, e - i - 1);
          i = e;
        }
      } else {
        qsizetype e = i;
        while (!lineEnd(e) && text[e] != QLatin1Char(';')) ++e;
        field = text.mid(i, e - i);
        i = e;
      }
      fields << field;
      if (i < n && text[i] == QLatin1Char(';')) ++i;
    }
    lines << fields;
    if (i < n && text[i] == QLatin1Char('\r')) ++i;
    if (i < n && text[i] == QLatin1Char('\n')) ++i;
  }
  return lines;
}

void ImportCsv(TSpreadSheetDataCells& cells, const QString& text, int col, int row) {
  THourglass hourglass;
  TSheetLocaleScope locale;
  const QList<QStringList> lines = ParseCsv(text);
  if (col < 1 || row < 1) throw ECsvError(QStringLiteral("the import starts outside the sheet"));
  qsizetype widest = 0;
  for (const QStringList& l : lines) widest = std::max(widest, l.size());
  if (widest > 0 && col + widest - 1 > SShtMaxCol)
    throw ECsvError(
        QStringLiteral("%1 fields from column %2 pass the last column ZZ").arg(widest).arg(ColumnName(col)));
  if (!lines.isEmpty() && qint64(row) + lines.size() - 1 > SShtMaxRow)
    throw ECsvError(QStringLiteral("%1 lines from row %2 pass the last row").arg(lines.size()).arg(row));
  int r = row;
  for (const QStringList& l : lines) {
    int c = col;
    for (const QString& field : l) {
      if (!field.isEmpty() || cells.FindCell(c, r)) cells.SetCellText(c, r, field);
      ++c;
    }
    ++r;
  }
  cells.Recalculate();
}

void ImportCsvFile(TSpreadSheetDataCells& cells, const QString& fileName, int col, int row) {
  QFile f(fileName);
  if (!f.open(QIODevice::ReadOnly))
    throw ECsvError(QStringLiteral("%1: cannot open: %2").arg(fileName, f.errorString()));
  const QByteArray all = f.readAll();
  if (f.error() != QFileDevice::NoError)
    throw ECsvError(QStringLiteral("%1: cannot read: %2").arg(fileName, f.errorString()));
  try {
    ImportCsv(cells, DecodeCsvBytes(all), col, row);
  } catch (const ECsvError& e) {
    throw ECsvError(QStringLiteral("%1: %2").arg(fileName, e.Message()));
  }
}

}  // namespace Tarnwell
