// TSpreadSheetGrid: construction, painting and the pattern tile cache.
#include <QFontMetrics>
#include <QLineEdit>
#include <QPaintEngine>
#include <QPainter>
#include <QTextLayout>
#include <QUndoStack>
#include <algorithm>
#include <cmath>

#include "SShtGrid.h"
#include <Tarnwell/platform/TGraphics.h>
#include <Tarnwell/platform/TResources.h>

namespace Tarnwell {

struct TSpreadSheetGrid::TFontEntry {
  TCellFont Key;
  QFont Font;
  QFontMetrics Metrics;
  // The font of recorded pages: unhinted, its letters keep their spacing at
  // any resolution the page is played at.
  QFont Unhinted = UnhintedFont(Font);
  static QFont UnhintedFont(QFont f) {
    f.setHintingPreference(QFont::PreferNoHinting);
    return f;
  }
};

const char* const SShtClipboardFormatName = "QV SpreadSheet Cells";

TSpreadSheetGrid::TSpreadSheetGrid(QWidget* parent)
    : TCustomGrid(parent),
      mCells(std::make_unique<TSpreadSheetDataCells>()),
      mUndo(std::make_unique<QUndoStack>()) {
  mUndo->setUndoLimit(100);
  // The header drag's auto-scroll cadence; a GUI timer, so every tick runs
  // on the GUI thread and none can outlive the grid.
  mTicker.setInterval(100);
  connect(&mTicker, &QTimer::timeout, this, [this] { Tick(); });
  setColor(clWindow);
  setColCount(SShtMaxCol + 1);
  setRowCount(1001);
  setFixedCols(1);
  setFixedRows(1);
  setDefaultRowHeight(TSpreadSheetDataCells::DefaultRowHeightInit);
  setOptions(goFixedVertLine | goFixedHorzLine | goVertLine | goHorzLine | goRangeSelect |
             goDrawFocusSelected | goRowSizing | goColSizing | goRowMoving | goColMoving | goEditing);
  // Headers and the default cell format share the control's font; a later
  // change of font or text colour reaches the store (FontViewChanged).
  Font().Assign(TFont());
  mCells->SetDefaultFont(Font());
  UpdateScrollBars();
}

TSpreadSheetGrid::~TSpreadSheetGrid() { mTicker.stop(); }

void TSpreadSheetGrid::setEditEnabled(bool on) {
  if (on == EditEnabled()) return;
  setOptions(on ? Options() | goEditing : Options() & ~TGridOptions(goEditing));
}

void TSpreadSheetGrid::BeginUpdate() { ++mUpdateCount; }

void TSpreadSheetGrid::EndUpdate() {
  if (mUpdateCount == 0) return;
  if (--mUpdateCount == 0) InvalidateGrid();
}

void TSpreadSheetGrid::EnsureRows(int row) {
  if (row < RowCount() - 1) return;
  // Far-away rows grow the grid to reach them, plus a page to scroll into.
  const qint64 grown =
      std::max<qint64>(qint64(RowCount()) + VisibleRowCount(), qint64(row) + 1 + VisibleRowCount());
  setRowCount(int(std::min<qint64>(grown, qint64(SShtMaxRow) + 1)));
}

TSpreadSheetCell* TSpreadSheetGrid::GetCellAt(int col, int row) {
  EnsureRows(row);
  return mCells->FindCell(col, row);
}

TSpreadSheetCell* TSpreadSheetGrid::GetCurrentCell() { return mCells->FindCell(Col(), Row()); }

void TSpreadSheetGrid::setDefaultColWidth(int w) {
  const int before = mCells->DefaultColWidth();
  mCells->SetDefaultColWidth(w);
  UpdateScrollBars();
  InvalidateGrid();
  if (mCells->DefaultColWidth() != before) Q_EMIT DefaultColWidthChanged(mCells->DefaultColWidth());
}

void TSpreadSheetGrid::setDefaultRowHeight(int h) {
  const int before = mCells->DefaultRowHeight();
  mCells->SetDefaultRowHeight(h);
  UpdateScrollBars();
  InvalidateGrid();
  if (mCells->DefaultRowHeight() != before) Q_EMIT DefaultRowHeightChanged(mCells->DefaultRowHeight());
}

void TSpreadSheetGrid::SetColWidth(int col, int w) {
  if (mCells->ColWidth(col) == w) return;
  mCells->SetColWidth(col, w);
  UpdateScrollBars();
  InvalidateGrid();
}

void TSpreadSheetGrid::SetRowHeight(int row, int h) {
  if (mCells->RowHeight(row) == h) return;
  mCells->SetRowHeight(row, h);
  UpdateScrollBars();
  InvalidateGrid();
}

// ---------------------------------------------------------------- tiles

void TSpreadSheetGrid::ClearTileCache() {
  mLastTile = nullptr;
  mTiles.clear();
}

bool TSpreadSheetGrid::TileCached(int pattern, TColor back, TColor ink) const {
  if (back == scKeepColor) back = Color();
  if (ink == scKeepColor) ink = Color();
  return std::any_of(mTiles.begin(), mTiles.end(), [&](const auto& t) {
    return t->Pattern == pattern && t->BackColor == back && t->InkColor == ink;
  });
}

const TGridPatternBitmap& TSpreadSheetGrid::GetPatternTile(int pattern, TColor back, TColor ink) {
  pattern = std::clamp(pattern, 0, CellPatternCount - 1);
  if (back == scKeepColor) back = Color();
  if (ink == scKeepColor) ink = Color();
  auto matches = [&](const TGridPatternBitmap* t) {
    return t->Pattern == pattern && t->BackColor == back && t->InkColor == ink;
  };
  if (mLastTile && matches(mLastTile)) return *mLastTile;
  for (const auto& t : mTiles)
    if (matches(t.get())) {
      mLastTile = t.get();
      return *mLastTile;
    }
  auto entry = std::make_unique<TGridPatternBitmap>();
  entry->Pattern = std::uint8_t(pattern);
  entry->BackColor = back;
  entry->InkColor = ink;
  QImage raw;
  try {
    raw = LoadResourcePicture(CellPatternName(pattern));
  } catch (const ETarnwellError&) {
    // Without its picture a pattern paints as its background.
  }
  QImage tile =
      raw.isNull() ? QImage(8, 8, QImage::Format_RGB888) : raw.convertToFormat(QImage::Format_RGB888);
  if (raw.isNull()) tile.fill(Qt::white);
  if (tile.size() != QSize(8, 8)) tile = tile.copy(0, 0, 8, 8);
  const QRgb b = ToQColor(back, palette()).rgb(), k = ToQColor(ink, palette()).rgb();
  for (int y = 0; y < 8; ++y)
    for (int x = 0; x < 8; ++x) {
      const QRgb px = tile.pixel(x, y);
      tile.setPixel(x, y, qRed(px) + qGreen(px) + qBlue(px) > 0 ? b : k);
    }
  entry->Bitmap = tile;
  // The brush holds the tile in the raster engine's own format: filling with
  // a 24-bit texture would convert it on every cell.
  const QImage small = tile.convertToFormat(QImage::Format_RGB32);
  entry->Brush = QBrush(small);
  // The raster engine fills a textured area in runs as wide as the texture:
  // eight runs a cell row with the bare tile, one with the tile repeated to
  // 64 pixels. Being a whole number of tiles, it gives the same pixels.
  QImage wide(64, 64, QImage::Format_RGB32);
  for (int y = 0; y < 64; ++y) {
    auto* line = reinterpret_cast<QRgb*>(wide.scanLine(y));
    const auto* from = reinterpret_cast<const QRgb*>(small.constScanLine(y % 8));
    for (int x = 0; x < 64; ++x) line[x] = from[x % 8];
  }
  entry->ScreenBrush = QBrush(wide);
  mTiles.push_back(std::move(entry));
  mLastTile = mTiles.back().get();
  if (int(mTiles.size()) > MaxTileCache) mTiles.erase(mTiles.begin());
  return *mLastTile;
}

std::vector<QImage> TSpreadSheetGrid::FillPatternImages(QSize size) const {
  std::vector<QImage> out;
  for (int p = 0; p < CellPatternCount; ++p) {
    QImage img(size, QImage::Format_RGB32);
    img.fill(Qt::white);
    QPainter painter(&img);
    try {
      painter.fillRect(img.rect(), QBrush(LoadResourcePicture(CellPatternName(p))));
    } catch (const ETarnwellError&) {
    }
    painter.end();
    out.push_back(img);
  }
  return out;
}

// ---------------------------------------------------------------- painting

const TSpreadSheetGrid::TFontEntry& TSpreadSheetGrid::FontFor(const TCellFont& f) {
  // The colour is the pen's: fonts differing only in colour share an entry.
  auto same = [&f](const TCellFont& k) { return k.Size == f.Size && k.Style == f.Style && k.Name == f.Name; };
  if (mLastFont && same(mLastFont->Key)) return *mLastFont;
  for (const auto& e : mFonts)
    if (same(e->Key)) {
      mLastFont = e.get();
      return *mLastFont;
    }
  TFont tf;
  tf.SetName(f.Name.isEmpty() ? QStringLiteral("Arial") : f.Name);
  tf.SetSize(std::clamp(int(f.Size), 1, 400));
  tf.SetStyle(f.Style & 15u);
  QFont q = tf.ToQFont();
  if (mFonts.size() >= 64) {
    mRuns.clear();
    mFonts.clear();
    mFontOnPainter = nullptr;
  }
  mFonts.push_back(std::unique_ptr<TFontEntry>(new TFontEntry{f, q, QFontMetrics(q)}));
  mLastFont = mFonts.back().get();
  return *mLastFont;
}

const TSpreadSheetGrid::TTextRun& TSpreadSheetGrid::Shaped(const TFontEntry& fe, const QString& text) {
  const QPair<quintptr, QString> key(quintptr(&fe), text);
  auto it = mRuns.constFind(key);
  if (it != mRuns.constEnd()) return *it;
  // Bounded: a sheet scrolled far shows ever new texts.
  if (mRuns.size() >= 20000) mRuns.clear();
  QTextLayout layout(text, fe.Font);
  QTextOption opt;
  opt.setWrapMode(QTextOption::NoWrap);
  layout.setTextOption(opt);
  layout.beginLayout();
  QTextLine line = layout.createLine();
  layout.endLayout();
  TTextRun run;
  if (line.isValid()) {
    run.Runs = layout.glyphRuns();
    run.Width = int(std::ceil(line.naturalTextWidth()));
  }
  return *mRuns.insert(key, run);
}

void TSpreadSheetGrid::PrepareEditor(QLineEdit* editor, int col, int row) {
  // The editor shows the text as the cell does: its font and alignment.
  const TSpreadSheetCell* c = mCells->GetFormatCell(col, row);
  editor->setFont(FontFor(c->Font()).Font);
  const int h = c->HAlign();
  editor->setAlignment(h == 2                                             ? Qt::AlignHCenter
                       : h == 3 || (h == 0 && c->DataType() == cdtNumber) ? Qt::AlignRight
                                                                          : Qt::AlignLeft);
}

void TSpreadSheetGrid::DrawCell(QPainter& p, int col, int row, const TRect& r, TGridDrawState s) {
  if (col == 0 && row == 0) {
    if (mHeaderSel.Kind == 3) {
      TRect in = r;
      InflateRect(in, -1, -1);
      p.fillRect(in.Left, in.Top, in.Width(), 1, ToQColor(clBtnShadow));
      p.fillRect(in.Left, in.Top, 1, in.Height(), ToQColor(clBtnShadow));
      p.fillRect(in.Left, in.Bottom - 1, in.Width(), 1, ToQColor(clBtnHighlight));
      p.fillRect(in.Right - 1, in.Top, 1, in.Height(), ToQColor(clBtnHighlight));
    }
    return;
  }
  if (col > 0 && row > 0) {
    if (mUpdateCount == 0)
      DrawDataCell(p, col, row, s, r);
    else
      p.fillRect(r.ToQRect(), ToQColor(Color()));
    return;
  }
  if (row == 0)
    DrawColHeader(p, col, r, s);
  else
    DrawRowHeader(p, row, r, s);
}

namespace {

void DrawSunken(QPainter& p, const TRect& r) {
  TRect in = r;
  InflateRect(in, -1, -1);
  if (in.IsEmpty()) return;
  p.fillRect(in.Left, in.Top, in.Width(), 1, ToQColor(clBtnShadow));
  p.fillRect(in.Left, in.Top, 1, in.Height(), ToQColor(clBtnShadow));
  p.fillRect(in.Left, in.Bottom - 1, in.Width(), 1, ToQColor(clBtnHighlight));
  p.fillRect(in.Right - 1, in.Top, 1, in.Height(), ToQColor(clBtnHighlight));
}

}  // namespace

void TSpreadSheetGrid::DrawHeaderText(QPainter& p, const TRect& r, const QString& text) {
  if (!mHeaderFont || mHeaderFont->Font != font()) {
    mRuns.clear();
    mHeaderFont.reset(new TFontEntry{TCellFont(), font(), QFontMetrics(font())});
  }
  const TTextRun& shaped = Shaped(*mHeaderFont, text);
  const int tw = shaped.Width, th = mHeaderFont->Metrics.height();
  const int dx = (r.Width() - tw) / 2, dy = (r.Height() - th) / 2;
  p.setPen(ToQColor(clBtnText, palette()));
  const bool clip = dx < 0 || dy < 0;
  if (clip) {
    p.save();
    p.setClipRect(r.ToQRect(), Qt::IntersectClip);
  }
  for (const QGlyphRun& g : shaped.Runs) p.drawGlyphRun(QPointF(r.Left + dx, r.Top + dy), g);
  if (clip) p.restore();
}

void TSpreadSheetGrid::DrawColHeader(QPainter& p, int col, const TRect& r, TGridDrawState) {
  if (mHeaders) DrawHeaderText(p, r, ColumnName(col));
  const bool inSel = (mHeaderSel.Kind == 1 && col >= std::min(mHeaderSel.Col1, mHeaderSel.Col2) &&
                      col <= std::max(mHeaderSel.Col1, mHeaderSel.Col2));
  if (inSel) DrawSunken(p, r);
}

void TSpreadSheetGrid::DrawRowHeader(QPainter& p, int row, const TRect& r, TGridDrawState) {
  if (row == 0) return;
  if (mHeaders) DrawHeaderText(p, r, QString::number(row));
  const bool inSel = (mHeaderSel.Kind == 2 && row >= std::min(mHeaderSel.Row1, mHeaderSel.Row2) &&
                      row <= std::max(mHeaderSel.Row1, mHeaderSel.Row2));
  if (inSel) DrawSunken(p, r);
}

void TSpreadSheetGrid::DrawDataCell(QPainter& p, int col, int row, TGridDrawState s, const TRect& r) {
  const TSpreadSheetCell* cell = mCells->FindCell(col, row);
  if (!cell) cell = mCells->GetFormatCell(col, row);
  PaintCell(col, row, s, r, p, cell);
}

bool TSpreadSheetGrid::InHeaderSelection(int col, int row) const {
  // Header positions and the preview's (-1, -1) are never part of it.
  if (col < 1 || row < 1) return false;
  switch (mHeaderSel.Kind) {
    case 1:
      return col >= std::min(mHeaderSel.Col1, mHeaderSel.Col2) &&
             col <= std::max(mHeaderSel.Col1, mHeaderSel.Col2);
    case 2:
      return row >= std::min(mHeaderSel.Row1, mHeaderSel.Row2) &&
             row <= std::max(mHeaderSel.Row1, mHeaderSel.Row2);
    case 3:
      return true;
    default:
      return false;
  }
}

namespace {

Qt::PenStyle BorderPenStyle(int style) {
  switch (style) {
    case 1:
      return Qt::DashLine;
    case 2:
      return Qt::DotLine;
    case 3:
      return Qt::DashDotLine;
    case 4:
      return Qt::DashDotDotLine;
    default:
      return Qt::SolidLine;
  }
}

double RelativeLuminance(const QColor& c) {
  auto lin = [](double v) { return v <= 0.04045 ? v / 12.92 : std::pow((v + 0.055) / 1.055, 2.4); };
  return 0.2126 * lin(c.redF()) + 0.7152 * lin(c.greenF()) + 0.0722 * lin(c.blueF());
}

double ContrastRatio(const QColor& a, const QColor& b) {
  const double la = RelativeLuminance(a), lb = RelativeLuminance(b);
  return (std::max(la, lb) + 0.05) / (std::min(la, lb) + 0.05);
}

// A system ink is meant for the palette's window colour. On a cell's own
// paper (a plain colour of the format, white by default) it stays the
// palette's while that reads; the light ink of a dark theme (lighter than
// the palette's window and readable on it) that does not read on the paper
// gives way to black or white, whichever reads better. A light palette, and
// any palette whose ink is not made for a dark window, is never changed.
QColor InkOnPaper(const QColor& ink, TColor paper, const QPalette& pal) {
  if (paper == scKeepColor || IsSystemColor(paper)) return ink;
  const QColor window = pal.color(QPalette::Base);
  if (RelativeLuminance(ink) <= RelativeLuminance(window) || ContrastRatio(ink, window) < 4.5) return ink;
  const QColor back = ToQColor(paper);
  if (ContrastRatio(ink, back) >= 4.5) return ink;
  const QColor black(Qt::black), white(Qt::white);
  return ContrastRatio(black, back) >= ContrastRatio(white, back) ? black : white;
}

}  // namespace

void TSpreadSheetGrid::PaintCell(int col, int row, TGridDrawState s, const TRect& r, QPainter& p,
                                 const TSpreadSheetCell* cell) {
  if (!cell || r.IsEmpty()) return;
  const QPalette& pal = palette();
  bool selected = (s & gdSelected) && (!(s & gdFocused) || (Options() & (goDrawFocusSelected | goRowSelect)));
  TColor brush = selected ? clHighlight : Color();
  bool brushClear = false;
  const int pattern = cell->Pattern();
  const QRect qr = r.ToQRect();
  // A recorded page is played on white paper: a white fill there would only
  // add to every page's size.
  const bool recorded = p.device() && p.device()->devType() == QInternal::Picture;
  auto fillPlain = [&](const QColor& c) {
    if (!recorded || c != QColor(Qt::white)) p.fillRect(qr, c);
  };
  auto fillTile = [&](TColor back) {
    // Patterns 0 and 17 are one colour: a plain fill gives the same pixels.
    if (pattern == 0)
      fillPlain(ToQColor(back == scKeepColor ? Color() : back, pal));
    else if (pattern == CellPatternCount - 1)
      fillPlain(ToQColor(cell->PatternColor() == scKeepColor ? Color() : cell->PatternColor(), pal));
    else {
      // Only the raster engine gets the wide tile: recorded and printed
      // pages keep the bare one, and so stay as they were.
      const TGridPatternBitmap& tile = GetPatternTile(pattern, back, cell->PatternColor());
      const bool raster = p.paintEngine() && p.paintEngine()->type() == QPaintEngine::Raster;
      p.fillRect(qr, raster ? tile.ScreenBrush : tile.Brush);
    }
    brushClear = true;
  };
  if (!selected && InHeaderSelection(col, row)) {
    selected = true;
    brush = clHighlight;
    if (pattern != 0) fillTile(clHighlight);
  } else if (!selected) {
    if (cell->BackColor() != scKeepColor || pattern != 0) fillTile(cell->BackColor());
  } else if (pattern != 0) {
    fillTile(brush);
  }
  if (!brushClear) fillPlain(ToQColor(brush, pal));

  const QString& text = cell->DisplayText();
  if (!text.isEmpty()) {
    const TFontEntry& fe = FontFor(cell->Font());
    // Setting the same font again copies it into the painter's state: on a
    // full view that costs more than the text.
    if (!mInGridPaint || mFontOnPainter != &fe) {
      p.setFont(recorded ? fe.Unhinted : fe.Font);
      mFontOnPainter = &fe;
    }
    if (selected)
      p.setPen(ToQColor(clHighlightText, pal));
    else if (IsSystemColor(cell->Font().Color) && pattern == 0)
      p.setPen(InkOnPaper(ToQColor(cell->Font().Color, pal), cell->BackColor(), pal));
    else
      p.setPen(ToQColor(cell->Font().Color, pal));
    const TTextRun& shaped = Shaped(fe, text);
    const int tw = shaped.Width, th = fe.Metrics.height();
    const int w = r.Width(), h = r.Height();
    int dx;
    switch (cell->HAlign()) {
      case 1:
        dx = 2;
        break;
      case 2:
        dx = (w - tw) / 2;
        break;
      case 3:
        dx = w - tw - 2;
        break;
      default:
        dx = cell->DataType() == cdtNumber ? w - tw - 2 : 2;
        break;
    }
    int dy;
    switch (cell->VAlign()) {
      case 0:
        dy = 2;
        break;
      case 2:
        dy = h - th - 2;
        break;
      default:
        dy = (h - th) / 2;
        break;
    }
    const bool clip = dx < 0 || dy < 0 || dx + tw > w || dy + th > h;
    if (clip) {
      p.save();
      p.setClipRect(qr, Qt::IntersectClip);
    }
    if (recorded) {
      // A recorded page keeps glyph runs only as outlines; as text it stays
      // text on paper and in a PDF.
      p.drawText(QPointF(r.Left + dx, r.Top + dy + fe.Metrics.ascent()), text);
    } else {
      for (const QGlyphRun& g : shaped.Runs) p.drawGlyphRun(QPointF(r.Left + dx, r.Top + dy), g);
    }
    if (clip) p.restore();
  }

  // Borders: Width parallel one-pixel lines inside the cell. On screen the
  // lines of the sides that share a pen go to the engine in one call (it
  // strokes each line on its own, so the pixels are those of one call per
  // line); a recorded page keeps one line per call, as it always has.
  QLine lines[4 * CellBorderMaxWidth];
  int count = 0;
  const TCellBorder* pending = nullptr;
  auto flush = [&] {
    if (count > 0) p.drawLines(lines, count);
    count = 0;
  };
  for (int side = 0; side < 4; ++side) {
    const TCellBorder& b = cell->Borders()[side];
    if (!b.Visible()) continue;
    const int n = std::min<int>(b.Width, CellBorderMaxWidth);
    if (!pending || pending->Color != b.Color || pending->Style != b.Style || recorded) {
      flush();
      QPen pen(ToQColor(b.Color, pal), 0, BorderPenStyle(b.Style));
      pen.setCosmetic(true);
      p.setPen(pen);
      pending = &b;
    }
    for (int i = 0; i < n; ++i) {
      QLine l;
      switch (side) {
        case cbsLeft:
          l = QLine(r.Left + i, r.Top, r.Left + i, r.Bottom - 1);
          break;
        case cbsTop:
          l = QLine(r.Left, r.Top + i, r.Right - 1, r.Top + i);
          break;
        case cbsRight:
          l = QLine(r.Right - 1 - i, r.Top, r.Right - 1 - i, r.Bottom - 1);
          break;
        default:
          l = QLine(r.Left, r.Bottom - 1 - i, r.Right - 1, r.Bottom - 1 - i);
          break;
      }
      if (recorded)
        p.drawLine(l);
      else
        lines[count++] = l;
    }
  }
  flush();
}

void TSpreadSheetGrid::PaintCellPreview(const TSpreadSheetCell* cell, QPainter& p, const TRect& r) {
  p.fillRect(r.ToQRect(), ToQColor(Color(), palette()));
  PaintCell(-1, -1, 0, r, p, cell);
}

void TSpreadSheetGrid::PaintGrid(QPainter& p, const QRect& clip) {
  mInGridPaint = true;
  mFontOnPainter = nullptr;
  TCustomGrid::PaintGrid(p, clip);
  mInGridPaint = false;
}

QImage TSpreadSheetGrid::RenderImage() {
  QImage img(viewport()->size(), QImage::Format_RGB32);
  img.fill(Qt::white);
  QPainter p(&img);
  PaintGrid(p, img.rect());
  p.end();
  return img;
}

}  // namespace Tarnwell

TARNWELL_LIBRARY_RESOURCES(tarnwell_sheetgrid)
