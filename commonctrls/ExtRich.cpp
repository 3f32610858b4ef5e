#include "ExtRich.h"

#include <QApplication>
#include <QKeyEvent>
#include <QMimeData>
#include <QPrintDialog>
#include <QPrinter>
#include <QTextBlock>
#include <QTextDocument>
#include <memory>

#include <Tarnwell/platform/TDialogs.h>
#include <Tarnwell/platform/THourglass.h>

namespace Tarnwell {

TExtRichEdit::TExtRichEdit(QWidget* parent) : QPlainTextEdit(parent) {
  setCursorWidth(2);
  connect(this, &QPlainTextEdit::cursorPositionChanged, this, &TExtRichEdit::CaretMoved);
  connect(this, &QPlainTextEdit::selectionChanged, this, &TExtRichEdit::CaretMoved);
}

void TExtRichEdit::setCaretPosDisplay(TStatusBar* bar) {
  if (mCaretPosDisplay == bar) return;
  mCaretPosDisplay = bar;
  CaretMoved();
  Q_EMIT CaretPosDisplayChanged(bar);
}

int TExtRichEdit::LineCount() const { return document()->blockCount(); }

QString TExtRichEdit::Line(int line) const {
  const QTextBlock b = document()->findBlockByNumber(line);
  return b.isValid() ? b.text() : QString();
}

QPoint TExtRichEdit::GetCaretPosition() const {
  const QTextCursor c = textCursor();
  const int p = c.selectionEnd();
  const QTextBlock b = document()->findBlock(p);
  if (!b.isValid()) return QPoint(0, 0);
  return QPoint(p - b.position(), b.blockNumber());
}

void TExtRichEdit::SetCaretPosition(QPoint pos) {
  const int line = std::clamp(pos.y(), 0, std::max(0, LineCount() - 1));
  const QTextBlock b = document()->findBlockByNumber(line);
  if (!b.isValid()) return;
  const int column = std::clamp(pos.x(), 0, b.length() - 1);
  QTextCursor c = textCursor();
  c.setPosition(b.position() + column);
  setTextCursor(c);
}

void TExtRichEdit::CaretMoved() {
  // The caret is a 2-pixel bar as tall as the line.
  if (cursorWidth() != 2) setCursorWidth(2);
  if (!mCaretPosDisplay || mCaretPosDisplay->PanelCount() == 0) return;
  const QPoint p = GetCaretPosition();
  mCaretPosDisplay->SetPanelText(0, QStringLiteral("%1: %2").arg(p.y() + 1).arg(p.x() + 1));
}

int TExtRichEdit::IndentOf(const QString& s) {
  int n = 0;
  while (n < s.size() && (s[n] == QLatin1Char(' ') || s[n] == QLatin1Char('\t'))) ++n;
  return n;
}

void TExtRichEdit::keyPressEvent(QKeyEvent* e) {
  if (HandleKey(e)) {
    e->accept();
    CaretMoved();
    return;
  }
  if (mMaxLength > 0 && !e->text().isEmpty() && e->text()[0].isPrint() && !textCursor().hasSelection() &&
      document()->characterCount() - 1 >= mMaxLength) {
    e->accept();  // full: the key types nothing
    return;
  }
  QPlainTextEdit::keyPressEvent(e);
  CaretMoved();
}

void TExtRichEdit::insertFromMimeData(const QMimeData* source) {
  if (mMaxLength <= 0 || !source || !source->hasText()) {
    QPlainTextEdit::insertFromMimeData(source);
    return;
  }
  const QTextCursor c = textCursor();
  const int room = mMaxLength - (document()->characterCount() - 1) + (c.selectionEnd() - c.selectionStart());
  if (room <= 0) return;
  QTextCursor ins = textCursor();
  ins.insertText(source->text().left(room));
  setTextCursor(ins);
}

bool TExtRichEdit::HandleKey(QKeyEvent* e) {
  if (KeyDown(e)) return true;
  return KeyPress(e);
}

bool TExtRichEdit::KeyPress(QKeyEvent* e) {
  const auto mods = e->modifiers() & (Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier);
  if (e->key() == Qt::Key_Tab && mods == Qt::NoModifier && !(e->modifiers() & Qt::ShiftModifier) &&
      mTabSpaces > 0) {
    textCursor().insertText(TabString());
    return true;
  }
  if ((e->key() == Qt::Key_Return || e->key() == Qt::Key_Enter) && mods == Qt::NoModifier && mAutoIndent) {
    const QPoint caret = GetCaretPosition();
    const QString s = Line(caret.y());
    const int indent = IndentOf(s);
    const int n = caret.x() < indent ? caret.x() : int(s.size());
    QTextCursor c = textCursor();
    c.insertText(QStringLiteral("\n") + s.left(std::min(n, indent)));
    setTextCursor(c);
    return true;
  }
  return false;
}

bool TExtRichEdit::KeyDown(QKeyEvent* e) {
  if (e->modifiers() & (Qt::ShiftModifier | Qt::ControlModifier)) return false;
  const int key = e->key();
  switch (key) {
    case Qt::Key_Backspace: case Qt::Key_Left: case Qt::Key_Right: case Qt::Key_Up: case Qt::Key_PageUp:
    case Qt::Key_Down: case Qt::Key_PageDown: case Qt::Key_Home: case Qt::Key_End: break;
    default: return false;
  }
  const QPoint caret = GetCaretPosition();
  const int column = caret.x(), line = caret.y();
  const QString s = Line(line);
  const int indent = IndentOf(s);
  const int t = mTabSpaces;
  QTextCursor c = textCursor();
  const bool selected = c.hasSelection();
  auto collapse = [&] {
    if (!selected) return;
    QTextCursor k = textCursor();
    k.setPosition(k.position());
    setTextCursor(k);
  };
  switch (key) {
    case Qt::Key_Backspace:
      // With a selection Backspace deletes the selection, never indentation.
      if (mBackUnindent && t > 0 && !selected && column == indent && indent > 0) {
        int n = indent % t;
        if (n == 0) n = t;
        QTextCursor del(document()->findBlockByNumber(line));
        del.setPosition(del.position() + n, QTextCursor::KeepAnchor);
        del.removeSelectedText();
        SetCaretPosition(column - n, line);
        return true;
      }
      return false;
    case Qt::Key_Left:
      if (mCursThrTabs && t > 0 && column <= indent) {
        const int to = column % t == 0 ? column - t : column - column % t;
        SetCaretPosition(std::max(0, to), line);
        return true;
      }
      if (column == 0) {
        collapse();
        return true;
      }
      return false;
    case Qt::Key_Right:
      if (mCursThrTabs && t > 0 && column <= indent - t) {
        SetCaretPosition(column / t * t + t, line);
        return true;
      }
      if (mCursThrTabs && t > 0 && column > indent - t && column < indent) {
        SetCaretPosition(indent, line);
        return true;
      }
      if (column >= s.size()) {
        collapse();
        return true;
      }
      return false;
    case Qt::Key_Up:
    case Qt::Key_PageUp:
      if (line == 0) {
        collapse();
        return true;
      }
      return false;
    case Qt::Key_Down:
    case Qt::Key_PageDown:
      if (line >= LineCount() - 1) {
        collapse();
        return true;
      }
      return false;
    case Qt::Key_Home:
      if (column == 0) {
        collapse();
        return true;
      }
      return false;
    case Qt::Key_End:
      if (column >= s.size()) {
        collapse();
        return true;
      }
      return false;
  }
  return false;
}

bool TExtRichEdit::PrintBW(const QString& caption, QPrinter* printer) {
  std::unique_ptr<QPrinter> own;
  if (!printer) {
    own = std::make_unique<QPrinter>(QPrinter::HighResolution);
    QPrintDialog dlg(own.get(), this);
    if (ExecModal(dlg) != QDialog::Accepted) return false;
    printer = own.get();
  }
  THourglass busy;
  repaint();
  // Whatever happens while printing, the editor comes back as it was.
  struct Restore {
    TExtRichEdit* e;
    QTextCursor cursor;
    QPalette palette;
    ~Restore() {
      e->setPalette(palette);
      e->setTextCursor(cursor);
      e->setUpdatesEnabled(true);
      e->update();
    }
  } restore{this, textCursor(), palette()};
  setUpdatesEnabled(false);
  QTextCursor plain = textCursor();
  plain.clearSelection();
  setTextCursor(plain);
  QPalette bw = palette();
  bw.setColor(QPalette::Base, Qt::white);
  bw.setColor(QPalette::Text, Qt::black);
  setPalette(bw);
  QApplication::processEvents();
  // Every character black, every background white, whatever formats the
  // text carries.
  std::unique_ptr<QTextDocument> doc(document()->clone());
  // Pixel sizes mean screen pixels: on paper the text keeps its size in points.
  QFont paperFont = font();
  if (paperFont.pixelSize() > 0) paperFont.setPointSizeF(paperFont.pixelSize() * 72.0 / 96.0);
  doc->setDefaultFont(paperFont);
  QTextCursor all(doc.get());
  all.select(QTextCursor::Document);
  QTextCharFormat f;
  f.setForeground(Qt::black);
  f.setBackground(Qt::white);
  all.mergeCharFormat(f);
  printer->setDocName(caption.isEmpty() ? documentTitle() : caption);
  doc->print(printer);
  QApplication::processEvents();
  return true;
}

}  // namespace Tarnwell
