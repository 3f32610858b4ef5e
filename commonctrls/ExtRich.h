#pragma once
// TExtRichEdit: an editor tuned for source text. Tab inserts TabSpaces
// blanks, Enter repeats the line's indentation, Backspace at the end of the
// indentation removes one indentation step, Left and Right can step through
// the indentation and never wrap to another line, a status bar panel shows
// the caret as "line: column" counted from 1, and the text prints black on
// white whatever its colours.
//
// With TabSpaces 0 there is no indentation step: Tab, Backspace, Left and
// Right then behave as in a plain editor (except that Left and Right still
// stop at the ends of the line).

#include <QPlainTextEdit>
#include <QPointer>

#include <Tarnwell/platform/TProperty.h>
#include <Tarnwell/platform/TStatusBar.h>
#include <Tarnwell/TarnwellExport.h>
class QPrinter;

namespace Tarnwell {

// An editor for source text: Tab inserts TabSpaces blanks, Enter repeats the indentation, and a
// status bar panel shows the caret as "line: column".
class TARNWELL_COMMONCTRLS_EXPORT TExtRichEdit : public QPlainTextEdit {
  Q_OBJECT
  // Its first panel shows the caret's line and column.
  Q_PROPERTY(Tarnwell::TStatusBar* CaretPosDisplay READ CaretPosDisplay WRITE setCaretPosDisplay NOTIFY
                 CaretPosDisplayChanged)
  // Blanks inserted by Tab and the size of an indentation step; negative
  // values are ignored.
  TW_PROPERTY_FIXED_DEFAULT(int, TabSpaces, 0, value < 0 ? mTabSpaces : value, (void)0)
  // Enter repeats the indentation of the current line (the blanks before the caret when it is
  // inside them); default off.
  TW_PROPERTY_DEFAULT(bool, AutoIndent, false, (void)0)
  // Backspace at the end of the indentation removes one indentation step (TabSpaces blanks, or
  // what is left to the step before) instead of one blank; default off.
  TW_PROPERTY_DEFAULT(bool, BackUnindent, false, (void)0)
  // Left and Right move the caret in the indentation by TabSpaces columns at a time, as over
  // tabs; default off.
  TW_PROPERTY_DEFAULT(bool, CursThrTabs, false, (void)0)
  // The longest text typing and pasting may make (0: no limit).
  TW_PROPERTY_FIXED_DEFAULT(int, MaxLength, 0, std::max(0, value), (void)0)
  // The caret as (column, line), both from 0.
  Q_PROPERTY(QPoint CaretPos READ GetCaretPosition WRITE SetCaretPosition)

 public:
  explicit TExtRichEdit(QWidget* parent = nullptr);

  TStatusBar* CaretPosDisplay() const { return mCaretPosDisplay; }
  // The blanks Tab inserts.
  QString TabString() const { return QString(mTabSpaces, QLatin1Char(' ')); }

  QPoint GetCaretPosition() const;
  // Line clamped to the lines there are, column to that line's length.
  void SetCaretPosition(QPoint pos);
  void SetCaretPosition(int column, int line) { SetCaretPosition(QPoint(column, line)); }
  int LineCount() const;
  QString Line(int line) const;

  // Prints the text black on white through the printer dialog (or on
  // `printer` when given, without a dialog); `caption` names the print job.
  // Colours and selection are restored on every way out. True when printed.
  bool PrintBW(const QString& caption, QPrinter* printer = nullptr);

  // Handles the keys of a source editor; true when the key was consumed.
  bool HandleKey(QKeyEvent* e);

 public Q_SLOTS:
  // Sets the status bar whose first panel shows the caret as "line: column" (both from 1);
  // nullptr shows it nowhere. Emits CaretPosDisplayChanged.
  void setCaretPosDisplay(Tarnwell::TStatusBar* bar);
 Q_SIGNALS:
  // The status bar of CaretPosDisplay changed.
  void CaretPosDisplayChanged(Tarnwell::TStatusBar* value);

 protected:
  void keyPressEvent(QKeyEvent* e) override;
  void insertFromMimeData(const QMimeData* source) override;

 private:
  // The caret bar and the status panel, after every move.
  void CaretMoved();
  bool KeyDown(QKeyEvent* e);
  bool KeyPress(QKeyEvent* e);
  static int IndentOf(const QString& s);
  // Whether `chars` more characters (in place of the selection) fit MaxLength.
  bool RoomFor(int chars) const;
  QPointer<TStatusBar> mCaretPosDisplay;
  int mTabSpaces = 0;
  bool mAutoIndent = false;
  bool mBackUnindent = false;
  bool mCursThrTabs = false;
  int mMaxLength = 0;
};

}  // namespace Tarnwell
