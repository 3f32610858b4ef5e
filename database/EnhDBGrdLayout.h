#pragma once
// The enhanced grid's saved layout as plain data, and its byte format.
//
// A layout is a resource header (0xFF, 10, the grid's name upper-cased, 0x1030
// and the byte length of the block that follows) and two blocks that begin
// "TPF0": the grid's properties, then the columns wrapper ("TColumnsWrapper")
// with every column. Properties are written by name with a type tag, every
// one of them, so that a loaded layout stands on its own.
//
// Reading never trusts the bytes: every length is checked against what is
// left, every value against its range, unknown names and tags are refused,
// and nothing is handed out unless the whole layout read cleanly. This part
// needs no widgets, so the fuzzer drives it directly.

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <vector>

#include <Tarnwell/platform/TColor.h>
#include <Tarnwell/TarnwellExport.h>

namespace Tarnwell {

// A font as a saved grid layout writes it: family name, height (negative: in pixels),
// TFontStyles and colour.
struct TARNWELL_DATABASE_EXPORT TLayoutFont {
  QString Name = QStringLiteral("MS Sans Serif");
  int Height = -11;         // negative: character height in pixels
  unsigned Style = 0;       // TFontStyles
  TColor Color = clWindowText;
  bool operator==(const TLayoutFont&) const = default;
};

// A column of a saved grid layout: its field, title and appearance; Assigned says which
// values the column holds itself.
struct TARNWELL_DATABASE_EXPORT TLayoutColumn {
  // Which values the column holds itself; the others follow the grid and the field.
  enum : unsigned {
    cvColor = 1,
    cvWidth = 2,
    cvFont = 4,
    cvAlignment = 8,
    cvTitleCaption = 16,
    cvTitleColor = 32,
    cvTitleAlignment = 64,
    cvTitleFont = 128,
    cvAll = 255
  };
  unsigned Assigned = 0;
  QString FieldName;
  QString TitleCaption;
  int TitleAlignment = 0;  // TAlignment
  TLayoutFont TitleFont;
  int Width = 64;
  TColor Color = clWindow;
  TLayoutFont Font;
  int Alignment = 0;
  bool operator==(const TLayoutColumn&) const = default;
};

// A saved layout of a TEnhDBGrid: the grid's appearance, its rules and options, and its
// columns in order.
struct TARNWELL_DATABASE_EXPORT TGridLayout {
  QString Name;  // the grid's component name, as written in the header
  TColor Color = clWindow;
  bool ParentColor = false;
  TLayoutFont Font;
  bool ParentFont = true;
  TColor FixedColor = clBtnFace;
  TLayoutFont TitleFont;
  unsigned Options = 0;
  bool ReadOnly = false;
  int CellStyle = 0;  // TCellStyle
  int FixedColumns = 1;
  QStringList ColorCond;
  QStringList Conversion;
  QString Caption;
  bool CanFilter = false;
  bool ClearOnRestore = false;
  std::vector<TLayoutColumn> Columns;
  bool operator==(const TGridLayout&) const = default;
};

// Limits a layout must keep.
constexpr int kLayoutMaxColumns = 4096;
constexpr int kLayoutMaxText = 1 << 20;        // characters of one text
constexpr int kLayoutMaxLines = 1 << 16;       // lines of one rule list
constexpr int kLayoutMaxWidth = 1 << 16;       // pixels of a column or row
constexpr int kLayoutMaxFixedColumns = kLayoutMaxColumns + 1;

TARNWELL_DATABASE_EXPORT QByteArray WriteGridLayout(const TGridLayout& layout);
// Reads one layout from the start of `data`. On success `out` holds it and
// `consumed` how many bytes it took (whatever follows is left alone); on
// failure `out` is untouched and `error` says what was wrong.
TARNWELL_DATABASE_EXPORT bool ReadGridLayout(const QByteArray& data, TGridLayout& out, qsizetype& consumed, QString& error);

}  // namespace Tarnwell
