#pragma once
// One cell of the spreadsheet: coordinates, complete format, the text as
// entered, its typed value and the text shown. Cells of row 0 and column 0
// carry whole-column and whole-row formats; (0,0) is the sheet's default.

#include <QByteArray>
#include <QLocale>
#include <QString>
#include <QVariant>
#include <array>
#include <atomic>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <new>
#include <string>

#include <Tarnwell/platform/TColor.h>
#include <Tarnwell/platform/TDateTime.h>
#include <Tarnwell/platform/TExceptions.h>

#include "SShtCellAccess.h"
#include <Tarnwell/TarnwellExport.h>
class QIODevice;

namespace Tarnwell {

class TSpreadSheetFormuler;

// "A".."Z", "AA".."ZZ"; empty for numbers outside 1..702.
TARNWELL_SPREADSHEET_EXPORT QString ColumnName(int col);
// The column number of "A".."ZZ" (either case), or 0 when s is not a name.
TARNWELL_SPREADSHEET_EXPORT int ColumnFromName(const QString& s);
// "C5" for (3, 5).
TARNWELL_SPREADSHEET_EXPORT QString CellRefName(int col, int row);

// Markers that tell the partial setters to leave an item unchanged.
constexpr TColor scKeepColor = 0x1FFFFFFF;
constexpr int scKeepStyle = 16;
constexpr int scKeepHAlign = 4;
constexpr int scKeepVAlign = 3;
constexpr int scKeepPattern = 18;
constexpr int scKeepBorderStyle = 6;
constexpr int scKeepDataType = 7;

// The data type a spreadsheet cell's text is read as.
enum TCellDataType : std::uint8_t {
  cdtGeneral = 0,
  cdtText = 1,
  cdtNumber = 2,
  cdtBoolean = 3,
  cdtDate = 4,
  cdtTime = 5,
  cdtDateTime = 6
};
constexpr int CellDataTypeCount = 7;
// "General", "Text", "Number", "Boolean", "Date", "Time", "DateTime".
TARNWELL_SPREADSHEET_EXPORT QString CellDataTypeName(int t);
// The edit mask of a data type (empty for 0..3 and out-of-range types).
TARNWELL_SPREADSHEET_EXPORT QString CellDataTypeEditMask(int t);

constexpr int CellPatternCount = 18;
// "CLEAR" ... "SOLID"; empty outside 0..17.
TARNWELL_SPREADSHEET_EXPORT QString CellPatternName(int p);

constexpr int CellBorderNone = 5;
// Painting draws Width one-pixel lines; more than this is never meaningful.
constexpr int CellBorderMaxWidth = 64;
constexpr int CellFontNameMax = 64;

// The font of a spreadsheet cell: family name (at most 64 characters), size in points,
// colour and style bits.
struct TARNWELL_SPREADSHEET_EXPORT TCellFont {
  QString Name = QStringLiteral("Arial");  // at most 64 characters
  std::int32_t Size = 8;                   // points; negative = leave unchanged
  TColor Color = clBlack;
  std::uint8_t Style = 0;  // bit 0 bold, 1 italic, 2 underline, 3 strike-out; 16 = leave unchanged
  bool operator==(const TCellFont&) const = default;
};

// One side of a spreadsheet cell's border: line style (0 solid to 4 dash-dot-dot,
// CellBorderNone for none), width as a number of one-pixel lines, and colour.
struct TARNWELL_SPREADSHEET_EXPORT TCellBorder {
  std::int32_t Style = CellBorderNone;  // 0 solid .. 4 dash-dot-dot, 5 none
  std::int32_t Width = 0;               // number of one-pixel lines
  TColor Color = clBlack;
  bool Visible() const { return Style != CellBorderNone && Width > 0; }
  bool operator==(const TCellBorder&) const = default;
};

// A side of a spreadsheet cell's border.
enum TCellBorderSide { cbsLeft = 0, cbsTop = 1, cbsRight = 2, cbsBottom = 3 };

// Everything of a cell but its position and content: what a format command
// changes, and so what its undo step keeps.
struct TARNWELL_SPREADSHEET_EXPORT TCellFormat {
  TCellFont Font;
  std::uint8_t HAlign = 0, VAlign = 1, Pattern = 0, DataType = 0;
  TColor BackColor = clWhite, PatternColor = clGray;
  std::array<TCellBorder, 4> Borders{};
  QString EditMask;
  double FormatStamp = 0;
  bool operator==(const TCellFormat&) const = default;
};

// The typed value of a cell: a number or a string, never both, so that it
// takes no more room than its string.
class TARNWELL_SPREADSHEET_EXPORT TCellValue {
 public:
  // The kind of a computed cell value.
  enum TKind : std::uint8_t { vkNull, vkString, vkNumber, vkBoolean, vkDateTime };
  TCellValue() : mNumber(0) {}
  TCellValue(const TCellValue& o) { CopyFrom(o); }
  TCellValue(TCellValue&& o) noexcept { MoveFrom(o); }
  TCellValue& operator=(const TCellValue& o) {
    if (this != &o) {
      if (mKind == vkString && o.mKind == vkString) {
        mString = o.mString;
      } else {
        Clear();
        CopyFrom(o);
      }
    }
    return *this;
  }
  TCellValue& operator=(TCellValue&& o) noexcept {
    if (this != &o) {
      if (mKind == vkString && o.mKind == vkString) {
        mString.swap(o.mString);
      } else {
        Clear();
        MoveFrom(o);
      }
    }
    return *this;
  }
  ~TCellValue() { Clear(); }

  static TCellValue String(const QString& s) {
    TCellValue v;
    v.mKind = vkString;
    new (&v.mString) QString(s);
    return v;
  }
  static TCellValue Number(double d) { return Numeric(vkNumber, d); }
  static TCellValue Boolean(bool b) { return Numeric(vkBoolean, b ? 1 : 0); }
  static TCellValue DateTime(TDateTime d) { return Numeric(vkDateTime, d); }

  TKind Kind() const { return mKind; }
  bool IsNull() const { return mKind == vkNull; }
  // "" for values that are not strings.
  const QString& AsString() const { return mKind == vkString ? mString : EmptyString(); }
  // 0 for strings and Null.
  double AsNumber() const { return mKind == vkString ? 0 : mNumber; }
  bool AsBoolean() const { return AsNumber() != 0; }
  // Converts the way formulas read cells: numbers and date-times as they
  // are, true as -1, false as 0, a string by the locale's number format.
  // Null, an empty or a non-numeric string: false.
  bool ToNumber(double& out) const;
  QVariant ToVariant() const;
  bool operator==(const TCellValue& o) const {
    return mKind == o.mKind && (mKind == vkString ? mString == o.mString : mNumber == o.mNumber);
  }

 private:
  static const QString& EmptyString();
  static TCellValue Numeric(TKind k, double d) {
    TCellValue v;
    v.mKind = k;
    v.mNumber = d;
    return v;
  }
  void Clear() {
    if (mKind == vkString) mString.~QString();
    mKind = vkNull;
    mNumber = 0;
  }
  void CopyFrom(const TCellValue& o) {
    mKind = o.mKind;
    if (mKind == vkString)
      new (&mString) QString(o.mString);
    else
      mNumber = o.mNumber;
  }
  void MoveFrom(TCellValue& o) {
    mKind = o.mKind;
    if (mKind == vkString)
      new (&mString) QString(std::move(o.mString));
    else
      mNumber = o.mNumber;
  }

  union {
    double mNumber;
    QString mString;
  };
  TKind mKind = vkNull;
};

namespace SShtDetail {
// A cell format shared by every cell that has it: most cells of a sheet
// have their column's or the sheet's format, so a million cells hold a
// handful of these. Immutable while shared; counted references.
struct TARNWELL_SPREADSHEET_EXPORT TSharedFormat {
  TCellFormat Format;
  // The format's part of the 8-bit cell record (its bytes 8..160), so that
  // writing and reading records compare and copy bytes.
  static constexpr int ImageSize = 153;
  char Image[ImageSize];
  mutable std::atomic<int> Refs{0};
  std::size_t Hash = 0;
  bool InTable = false;  // guarded by the table's lock
};
// The number of distinct formats in use in the process.
TARNWELL_SPREADSHEET_EXPORT std::size_t SharedFormatCount();
}  // namespace SShtDetail

// While one exists, number conversions on this thread use the locale as it
// stood when the outermost scope began: asking the system locale per cell is
// the dominant cost of bulk work (recalculation, loading, import).
class TARNWELL_SPREADSHEET_EXPORT TSheetLocaleScope {
 public:
  TSheetLocaleScope();
  ~TSheetLocaleScope();
  TSheetLocaleScope(const TSheetLocaleScope&) = delete;
  TSheetLocaleScope& operator=(const TSheetLocaleScope&) = delete;

 private:
  bool mOwner = false;
};

// Locale-aware conversions of one data type; failures give Null or "".
TARNWELL_SPREADSHEET_EXPORT TCellValue TextToCellValue(const QString& text, int dataType);
TARNWELL_SPREADSHEET_EXPORT QString CellValueToText(const TCellValue& value, int dataType);
// A date, time or date-time value as the data type's edit mask holds it:
// day and month in the locale's order with two digits each, the year with
// four, the locale's separator; the time as "hh.mm.ss". "" for other values.
TARNWELL_SPREADSHEET_EXPORT QString CellEditText(const TCellValue& value, int dataType);
// The general floating-point format of the locale ("1,5", "1E20", "-0.25").
TARNWELL_SPREADSHEET_EXPORT QString FloatToText(double v);
// Locale number parsing with the locale's decimal separator; rejects
// infinities, NaN and trailing junk.
TARNWELL_SPREADSHEET_EXPORT bool TextToFloat(const QString& s, double& out);

// The cell record of sheet files and the clipboard fails with this.
class TARNWELL_SPREADSHEET_EXPORT ECellRecordError : public EStreamError {
 public:
  using EStreamError::EStreamError;
};

// One cell of a spreadsheet: its text or formula, computed value, data type, font, borders and
// background pattern.
class TARNWELL_SPREADSHEET_EXPORT TSpreadSheetCell {
 public:
  TSpreadSheetCell(int col, int row, TSpreadSheetFormuler* formuler = nullptr,
                   const TSpreadSheetCell* templ = nullptr);
  ~TSpreadSheetCell();
  TSpreadSheetCell(const TSpreadSheetCell&) = delete;
  TSpreadSheetCell& operator=(const TSpreadSheetCell&) = delete;
  // Cells come from slabs of their own: a sheet makes a million of them at
  // once, and the general heap spends more on them than the rest of loading.
  static void* operator new(std::size_t size);
  static void operator delete(void* p, std::size_t size) noexcept;

  int Col() const { return mCol; }
  int Row() const { return mRow; }
  const TCellFont& Font() const { return mFormat->Format.Font; }
  int HAlign() const { return mFormat->Format.HAlign; }
  int VAlign() const { return mFormat->Format.VAlign; }
  TColor BackColor() const { return mFormat->Format.BackColor; }
  TColor PatternColor() const { return mFormat->Format.PatternColor; }
  int Pattern() const { return mFormat->Format.Pattern; }
  const std::array<TCellBorder, 4>& Borders() const { return mFormat->Format.Borders; }
  const TCellBorder& Border(TCellBorderSide side) const { return mFormat->Format.Borders[side]; }
  int DataType() const { return mFormat->Format.DataType; }
  const QString& Text() const { return mText; }
  const QString& EditMask() const { return mFormat->Format.EditMask; }
  const QString& DisplayText() const { return (mFlags & kOwnDisplay) ? mExtra->DisplayText : mText; }
  const TCellValue& Value() const { return mValue; }
  TDateTime FormatStamp() const { return mFormat->Format.FormatStamp; }
  bool IsFormula() const { return mFlags & kFormula; }
  TSpreadSheetFormuler* Formuler() const { return mFormuler; }

  void SetText(const QString& s);
  // Copies the format and re-enters the text here (formulas evaluate in
  // their new place); coordinates and evaluator stay.
  void Assign(const TSpreadSheetCell* source);
  void SetDataType(int t);
  void SetFont(const TCellFont& f);
  void IncludeStyle(int bit);
  void ExcludeStyle(int bit);
  void SetAlignment(int h, int v);
  void SetBackground(TColor back, TColor patternColor, int pattern);
  // sides: any of "LTRB" in either case.
  void SetBorders(const QString& sides, int style, int width, TColor color);
  void SetBorders(const QString& sides, const TCellBorder& b) {
    SetBorders(sides, b.Style, b.Width, b.Color);
  }
  // The border named by "L", "T", "R" or "B" (either case); other letters
  // leave out untouched and return false.
  bool GetBorder(QChar side, TCellBorder& out) const;
  // Non-finite stamps are ignored: files could not hold them.
  void SetFormatStamp(TDateTime v);
  // Re-evaluates a formula; returns whether the value changed.
  bool Recalc();
  TCellFormat Format() const { return mFormat->Format; }
  // Sets every item (no markers); a new data type re-displays the value.
  void SetFormat(const TCellFormat& f);
  // True when format and text are those of a new cell.
  bool HasSameFormat(const TSpreadSheetCell& o) const;
  // True when both cells hold the very same shared format (every item,
  // stamp and mask included): a cheap test for equal formats.
  bool SharesFormat(const TSpreadSheetCell& o) const { return mFormat == o.mFormat; }

  // The cell record of sheet files and the clipboard (little-endian). Its
  // strings are 8-bit (code page 1252); the wide form, kept inside the
  // program (undo, the program's own clipboard data), holds them as UTF-16
  // and adds the font name, so that no character is ever lost.
  void WriteTo(QByteArray& out, bool wide = false) const;
  void WriteTo(QIODevice& dev) const;
  // Whether the 8-bit record holds every character of the cell's texts.
  bool StoresExactly() const;
  // Reads one record at pos, advancing it; the text is entered again.
  // Throws ECellRecordError for a truncated or damaged record.
  void ReadFrom(const char* data, qsizetype size, qsizetype& pos, bool wide = false);
  void ReadFrom(QIODevice& dev);
  // The length of the record at pos, or -1 when fewer bytes follow than
  // its fixed part and string lengths announce (a reader of a stream then
  // waits for more; ReadFrom says what is wrong).
  static qsizetype RecordLength(const char* data, qsizetype size, qsizetype pos, bool wide = false);

 private:
  friend class TSpreadSheetDataColumn;
  friend class TSpreadSheetDataCells;
  using TSharedFormat = SShtDetail::TSharedFormat;
  void EnterPlain(const QString& s);
  // What Assign(source) makes of a new cell, for the readers of files. With
  // a probe (an evaluator that reads no cells), a formula that evaluates
  // there without fault is kept unevaluated: the reader recalculates the
  // sheet before anyone sees it.
  void EnterLoaded(const TSpreadSheetCell& source, TSpreadSheetFormuler* probe);
  void ApplyFormulaResult(double r);
  void SetDisplay(const QString& d);
  void SetError();
  // Replaces the shared format by next (whose reference this cell takes).
  void TakeFormat(const TSharedFormat* next);
  void SetFormatExact(const TCellFormat& f) ;
  void SetFontExact(const TCellFont& f);

  // What few cells have: a formula, a display text other than the text.
  // Kept apart so that a sheet of a million plain cells does not pay for it.
  struct TExtra {
    // The formula as the evaluator reads it (no "=", no blanks, upper case),
    // prepared once when the text is entered.
    std::string FormulaBytes;
    QString DisplayText;  // when kOwnDisplay is set
    // During a recalculation: this formula's number in the dependency graph.
    std::int32_t RecalcIndex = -1;
  };
  static constexpr std::uint8_t kFormula = 1;
  static constexpr std::uint8_t kOwnDisplay = 2;
  const std::string& FormulaBytes() const;
  TExtra& Extra();
  void TrimExtra();
  void DropFormulaBytes();

  std::int32_t mRow;
  std::int16_t mCol;  // 0..702
  std::uint8_t mFlags = 0;
  const TSharedFormat* mFormat;
  TSpreadSheetFormuler* mFormuler = nullptr;
  QString mText;
  TCellValue mValue;
  std::unique_ptr<TExtra> mExtra;
};

}  // namespace Tarnwell
