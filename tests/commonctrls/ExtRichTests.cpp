// The source editor: Tab, Enter indentation, Backspace-unindent, the
// cursor keys that do not wrap, the caret panel, and printing black on
// white read back from a PDF with pdftotext and pdftoppm.
#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QPrintDialog>
#include <QPrinter>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

#include <Tarnwell/commonctrls/ExtRich.h>
#include <Tarnwell/platform/TDialogs.h>
#include <Tarnwell/platform/TStatusBar.h>

using namespace Tarnwell;

namespace {

struct Editor {
  TStatusBar bar;
  TExtRichEdit ed;
  Editor() {
    bar.AddPanel("45: 1", 60, taRightJustify);
    ed.setCaretPosDisplay(&bar);
    ed.setTabSpaces(2);
    ed.setAutoIndent(true);
    ed.setBackUnindent(true);
    ed.setCursThrTabs(true);
    ed.setLineWrapMode(QPlainTextEdit::NoWrap);
    ed.show();
  }
  void Key(int key, Qt::KeyboardModifiers m = {}) { QTest::keyClick(&ed, Qt::Key(key), m); }
  QPoint At() const { return ed.GetCaretPosition(); }
};

}  // namespace

TEST(ExtRichEdit, TabInsertsBlanksOrGoesToTheBase) {
  Editor e;
  e.ed.setPlainText("ab");
  e.ed.SetCaretPosition(1, 0);
  e.Key(Qt::Key_Tab);
  EXPECT_EQ(e.ed.toPlainText(), "a  b");
  EXPECT_EQ(e.bar.PanelText(0), "1: 4");
  e.ed.setTabSpaces(-3);  // ignored
  EXPECT_EQ(e.ed.TabSpaces(), 2);
  e.ed.setTabSpaces(0);
  e.Key(Qt::Key_Tab);
  EXPECT_EQ(e.ed.toPlainText(), "a  \tb");
  // A selection is replaced by the blanks.
  e.ed.setTabSpaces(3);
  QTextCursor c = e.ed.textCursor();
  c.setPosition(0);
  c.setPosition(2, QTextCursor::KeepAnchor);
  e.ed.setTextCursor(c);
  e.Key(Qt::Key_Tab);
  EXPECT_EQ(e.ed.toPlainText(), "    \tb");
}

TEST(ExtRichEdit, EnterRepeatsTheIndentation) {
  Editor e;
  e.ed.setPlainText("    abc");
  e.ed.SetCaretPosition(7, 0);
  e.Key(Qt::Key_Return);
  EXPECT_EQ(e.ed.Line(1), "    ");
  EXPECT_EQ(e.At(), QPoint(4, 1));
  e.ed.setPlainText("    abc");
  e.ed.SetCaretPosition(2, 0);
  e.Key(Qt::Key_Return);
  EXPECT_EQ(e.ed.Line(0), "  ");
  EXPECT_EQ(e.ed.Line(1), "    abc");  // two repeated, then the rest
  EXPECT_EQ(e.At(), QPoint(2, 1));
  e.ed.setPlainText("\t x");
  e.ed.SetCaretPosition(3, 0);
  e.Key(Qt::Key_Enter);
  EXPECT_EQ(e.ed.Line(1), "\t ");
  e.ed.setAutoIndent(false);
  e.Key(Qt::Key_Return);
  EXPECT_EQ(e.ed.Line(2), "");
}

TEST(ExtRichEdit, BackspaceRemovesOneIndentationStep) {
  Editor e;
  e.ed.setPlainText("     x");  // indented by 5, step 2
  e.ed.SetCaretPosition(4, 0);
  e.Key(Qt::Key_Backspace);  // not at the end of the indentation: one blank
  EXPECT_EQ(e.ed.Line(0), "    x");
  EXPECT_EQ(e.At(), QPoint(3, 0));
  e.ed.setPlainText("     x");
  e.ed.SetCaretPosition(5, 0);
  e.Key(Qt::Key_Backspace);  // 5 mod 2 = 1
  EXPECT_EQ(e.ed.Line(0), "    x");
  EXPECT_EQ(e.At(), QPoint(4, 0));
  e.Key(Qt::Key_Backspace);  // 4 mod 2 = 0: a whole step
  EXPECT_EQ(e.ed.Line(0), "  x");
  EXPECT_EQ(e.At(), QPoint(2, 0));
  // A selection is deleted, the indentation stays.
  e.ed.setPlainText("    abcd");
  QTextCursor c = e.ed.textCursor();
  c.setPosition(6);
  c.setPosition(4, QTextCursor::KeepAnchor);
  e.ed.setTextCursor(c);
  e.Key(Qt::Key_Backspace);
  EXPECT_EQ(e.ed.Line(0), "    cd");
}

TEST(ExtRichEdit, NoStepSizeMeansPlainKeys) {
  Editor e;
  e.ed.setTabSpaces(0);
  e.ed.setPlainText("    x");
  e.ed.SetCaretPosition(4, 0);
  e.Key(Qt::Key_Backspace);
  EXPECT_EQ(e.ed.Line(0), "   x");
  e.Key(Qt::Key_Left);
  EXPECT_EQ(e.At(), QPoint(2, 0));
  e.Key(Qt::Key_Right);
  EXPECT_EQ(e.At(), QPoint(3, 0));
}

TEST(ExtRichEdit, CursorKeysStepThroughIndentationAndNeverWrap) {
  Editor e;
  e.ed.setPlainText("ab\n     cd\nef");
  e.ed.SetCaretPosition(0, 1);
  e.Key(Qt::Key_Left);
  EXPECT_EQ(e.At(), QPoint(0, 1));  // stays on its line
  e.Key(Qt::Key_Right);
  EXPECT_EQ(e.At(), QPoint(2, 1));
  e.Key(Qt::Key_Right);
  EXPECT_EQ(e.At(), QPoint(4, 1));
  e.Key(Qt::Key_Right);  // within the last step: to the indentation's end
  EXPECT_EQ(e.At(), QPoint(5, 1));
  e.Key(Qt::Key_Right);
  EXPECT_EQ(e.At(), QPoint(6, 1));
  e.Key(Qt::Key_Left);
  e.Key(Qt::Key_Left);  // 5 -> 4
  EXPECT_EQ(e.At(), QPoint(4, 1));
  e.Key(Qt::Key_Left);
  EXPECT_EQ(e.At(), QPoint(2, 1));
  e.ed.SetCaretPosition(2, 0);
  e.Key(Qt::Key_Right);
  EXPECT_EQ(e.At(), QPoint(2, 0));  // end of line: no wrap
  e.ed.setCursThrTabs(false);
  e.ed.SetCaretPosition(7, 1);
  e.Key(Qt::Key_Right);
  EXPECT_EQ(e.At(), QPoint(7, 1));
  e.ed.SetCaretPosition(0, 2);
  e.Key(Qt::Key_Left);
  EXPECT_EQ(e.At(), QPoint(0, 2));
  e.Key(Qt::Key_Down);
  EXPECT_EQ(e.At(), QPoint(0, 2));
  e.ed.SetCaretPosition(1, 0);
  e.Key(Qt::Key_Up);
  e.Key(Qt::Key_PageUp);
  EXPECT_EQ(e.At(), QPoint(1, 0));
  e.Key(Qt::Key_Down);
  EXPECT_EQ(e.At().y(), 1);
  // Shift leaves the keys to the editor: selecting still works.
  e.ed.SetCaretPosition(0, 1);
  e.Key(Qt::Key_Right, Qt::ShiftModifier);
  EXPECT_TRUE(e.ed.textCursor().hasSelection());
}

TEST(ExtRichEdit, CaretPanelCountsFromOneAndPositionsClamp) {
  Editor e;
  QStringList lines;
  for (int i = 0; i < 50; ++i) lines << QStringLiteral("riga %1").arg(i + 1);
  e.ed.setPlainText(lines.join('\n'));
  e.ed.SetCaretPosition(0, 44);
  EXPECT_EQ(e.bar.PanelText(0), "45: 1");
  e.ed.SetCaretPosition(99, 999);
  EXPECT_EQ(e.At(), QPoint(7, 49));
  EXPECT_EQ(e.bar.PanelText(0), "50: 8");
  e.ed.SetCaretPosition(-4, -4);
  EXPECT_EQ(e.At(), QPoint(0, 0));
  EXPECT_EQ(e.ed.cursorWidth(), 2);
  // The panel is dropped when the status bar goes.
  auto* bar = new TStatusBar;
  bar->AddPanel("", 60);
  e.ed.setCaretPosDisplay(bar);
  delete bar;
  e.ed.SetCaretPosition(0, 3);
  EXPECT_EQ(e.ed.CaretPosDisplay(), nullptr);
}

TEST(ExtRichEdit, MaxLengthLimitsTypingAndPasting) {
  Editor e;
  e.ed.setMaxLength(5);
  e.ed.setPlainText("abcd");
  e.ed.SetCaretPosition(4, 0);
  QTest::keyClicks(&e.ed, "xyz");
  EXPECT_EQ(e.ed.toPlainText(), "abcdx");
}

TEST(ExtRichEdit, PrintsBlackOnWhiteAndRestoresTheEditor) {
  if (QStandardPaths::findExecutable("pdftotext").isEmpty() || QStandardPaths::findExecutable("pdftoppm").isEmpty())
    GTEST_SKIP() << "poppler-utils missing";
  QTemporaryDir dir;
  const QString pdf = dir.filePath("stampa.pdf");
  Editor e;
  QPalette pal = e.ed.palette();
  pal.setColor(QPalette::Base, QColor(0, 0, 128));
  pal.setColor(QPalette::Text, Qt::yellow);
  e.ed.setPalette(pal);
  QFont f("Courier New");
  f.setPixelSize(16);
  f.setBold(true);
  e.ed.setFont(f);
  e.ed.setPlainText("unit ExtRich;\n\ninterface\n   TabSpaces = 2;");
  QTextCursor sel = e.ed.textCursor();
  sel.setPosition(5);
  sel.setPosition(12, QTextCursor::KeepAnchor);
  e.ed.setTextCursor(sel);

  TRecordingDialogs dialogs;
  int asked = 0;
  dialogs.OnModal = [&](QDialog& d) {
    ++asked;
    auto* pd = qobject_cast<QPrintDialog*>(&d);
    EXPECT_NE(pd, nullptr);
    if (!pd) return int(QDialog::Rejected);
    pd->printer()->setOutputFormat(QPrinter::PdfFormat);
    pd->printer()->setOutputFileName(pdf);
    return int(QDialog::Accepted);
  };
  ASSERT_TRUE(e.ed.PrintBW(QString()));
  EXPECT_EQ(asked, 1);
  EXPECT_EQ(e.ed.palette().color(QPalette::Base), QColor(0, 0, 128));
  EXPECT_EQ(e.ed.textCursor().selectionStart(), 5);
  EXPECT_EQ(e.ed.textCursor().selectionEnd(), 12);
  EXPECT_TRUE(e.ed.updatesEnabled());

  QProcess text;
  text.start("pdftotext", {"-layout", pdf, "-"});
  ASSERT_TRUE(text.waitForFinished(20000));
  const QString out = QString::fromUtf8(text.readAllStandardOutput());
  EXPECT_TRUE(out.contains("unit ExtRich;")) << out.toStdString();
  EXPECT_TRUE(out.contains("TabSpaces = 2;"));

  QProcess ppm;
  ppm.start("pdftoppm", {"-r", "50", "-f", "1", "-l", "1", "-png", pdf, dir.filePath("pagina")});
  ASSERT_TRUE(ppm.waitForFinished(20000));
  QDir d(dir.path());
  const QStringList pngs = d.entryList({"pagina*.png"});
  ASSERT_FALSE(pngs.isEmpty());
  const QImage page(dir.filePath(pngs.first()));
  int dark = 0, coloured = 0;
  for (int y = 0; y < page.height(); ++y)
    for (int x = 0; x < page.width(); ++x) {
      const QRgb p = page.pixel(x, y);
      const int spread = std::max({qRed(p), qGreen(p), qBlue(p)}) - std::min({qRed(p), qGreen(p), qBlue(p)});
      coloured += spread > 60;
      dark += qGray(p) < 100;
    }
  EXPECT_GT(dark, 20);      // the text is there, dark
  EXPECT_EQ(coloured, 0);   // no yellow, no navy
  EXPECT_GT(qGray(page.pixel(2, 2)), 240);  // white paper

  // Cancelled in the dialog: nothing printed, the editor untouched.
  dialogs.OnModal = [](QDialog&) { return int(QDialog::Rejected); };
  EXPECT_FALSE(e.ed.PrintBW("x"));
  EXPECT_EQ(e.ed.textCursor().selectionEnd(), 12);
}
