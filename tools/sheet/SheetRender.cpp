// tarnwell-sheet render: a sheet drawn by the grid control itself.
#include <QFileInfo>
#include <QRegularExpression>

#include <Tarnwell/platform/TFileWriter.h>
#include <Tarnwell/spreadsheet/SShtGrid.h>
#include "SheetTool.h"

using namespace Tarnwell;

int SheetRenderCommand(const QStringList& args) {
  QString in, out, ref;
  int width = 1024, height = 640;
  QStringList rest;
  for (int i = 0; i < args.size(); ++i) {
    if (args[i] == QLatin1String("--size") && i + 1 < args.size()) {
      const auto m = QRegularExpression(QStringLiteral("^(\\d{1,5})x(\\d{1,5})$")).match(args[++i]);
      if (!m.hasMatch() || m.captured(1).toInt() < 16 || m.captured(2).toInt() < 16 ||
          m.captured(1).toInt() > 8192 || m.captured(2).toInt() > 8192) {
        SheetToolError(QStringLiteral("--size wants WxH between 16 and 8192, not %1").arg(args[i]));
        return 2;
      }
      width = m.captured(1).toInt();
      height = m.captured(2).toInt();
    } else if (args[i] == QLatin1String("--cell") && i + 1 < args.size()) {
      ref = args[++i];
    } else {
      rest << args[i];
    }
  }
  if (rest.size() != 2) {
    SheetToolError(QStringLiteral("render needs IN and OUT.png"));
    return 2;
  }
  in = rest[0];
  out = rest[1];
  int col = 1, row = 1;
  if (!ref.isEmpty()) {
    const auto m = QRegularExpression(QStringLiteral("^([A-Za-z]{1,2})(\\d{1,8})$")).match(ref);
    col = m.hasMatch() ? ColumnFromName(m.captured(1)) : 0;
    row = m.hasMatch() ? m.captured(2).toInt() : 0;
    if (col < 1 || row < 1) {
      SheetToolError(QStringLiteral("%1 is not a cell reference").arg(ref));
      return 2;
    }
  }
  TSpreadSheetGrid grid;
  grid.resize(width, height);
  try {
    grid.LoadFromFile(in);
  } catch (const ETarnwellError& e) {
    SheetToolError(e.Message());
    return 1;
  }
  // The frame's width and the scroll bars are not part of the picture.
  grid.setFrameShape(QFrame::NoFrame);
  grid.setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
  grid.setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
  grid.resize(width, height);
  // Laid out like a shown window, without a screen.
  grid.setAttribute(Qt::WA_DontShowOnScreen);
  grid.show();
  grid.EnsureRows(row);
  grid.MoveCurrent(col, row, false, false);
  grid.SetTopLeft(col, row);
  const QImage img = grid.RenderImage();
  TFileWriter picture(out);
  if (!picture.open() || !img.save(&picture, "PNG") || !picture.Commit()) {
    SheetToolError(QStringLiteral("%1: cannot write the picture: %2").arg(out, picture.errorString()));
    return 1;
  }
  return 0;
}
