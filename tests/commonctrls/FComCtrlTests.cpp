// The "Common Controls" window: opened by its launcher, laid out and set as
// designed, its random rows, header sorting, the check-tree cycle, the
// editor's Tab and caret panel, and the popup menu's printing.
#include <gtest/gtest.h>

#include <QApplication>
#include <QClipboard>
#include <QCollator>
#include <QDateTime>
#include <QHeaderView>
#include <QLocale>
#include <QMdiSubWindow>
#include <QPointer>
#include <QPrintDialog>
#include <QPrinter>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

#include <Tarnwell/app/Launchers.h>
#include <Tarnwell/app/Main.h>
#include <Tarnwell/commonctrls/FComCtrl.h>
#include <Tarnwell/platform/TDialogs.h>
#include "TestUtil.h"

using namespace Tarnwell;

namespace {

QStringList Column(const TColSortListView* v, int column) {
  QStringList out;
  for (int i = 0; i < v->topLevelItemCount(); ++i) out << v->topLevelItem(i)->text(column);
  return out;
}

struct ShownWindow {
  TFormCommCtrls* f = new TFormCommCtrls;
  ShownWindow() {
    f->show();
    QCoreApplication::processEvents();
  }
  ~ShownWindow() { delete f; }
};

}  // namespace

TEST(CommonControlsWindow, TheLauncherOpensIt) {
  const TLauncher* l = FindLauncher("Common Controls");
  ASSERT_TRUE(l && l->Create);
  TFormMain frame;
  frame.show();
  TForm* form = frame.Launch(*l);
  ASSERT_NE(form, nullptr);
  auto* f = qobject_cast<TFormCommCtrls*>(form);
  ASSERT_NE(f, nullptr);
  EXPECT_EQ(f->Caption(), "Common Controls");
  EXPECT_EQ(f->ListView->topLevelItemCount(), 16);
  // System menu and minimise box; sizeable; the form at its design size.
  auto* sub = qobject_cast<QMdiSubWindow*>(form->parentWidget());
  ASSERT_NE(sub, nullptr);
  const Qt::WindowFlags flags = sub->windowFlags();
  EXPECT_TRUE(flags & Qt::WindowMinimizeButtonHint);
  EXPECT_FALSE(flags & Qt::WindowMaximizeButtonHint);
  EXPECT_TRUE(flags & Qt::WindowCloseButtonHint);
  EXPECT_NE(sub->minimumSize(), sub->maximumSize());
  // 518 x 455 is the whole window; the controls stand as designed in what
  // its title bar and borders leave.
  EXPECT_EQ(sub->size(), form->DesignSize());
  EXPECT_EQ(f->ListView->geometry(), QRect(132, 8, 369, 141));
  EXPECT_EQ(f->RichEditSource->geometry(), QRect(4, 156, 497, 247));
  EXPECT_EQ(f->StatusBar->geometry(), QRect(0, f->height() - 19, f->width(), 19));
  EXPECT_TRUE(sub->isVisible());
  // Each click opens a new one.
  TForm* second = frame.Launch(*l);
  EXPECT_NE(second, form);
  second->Close();
  // Closing frees it.
  QPointer<TForm> alive(form);
  form->Close();
  EXPECT_TRUE(WaitUntil([&] { return alive.isNull(); }));
}

TEST(CommonControlsWindow, LayoutAndSettingsAsDesigned) {
  ShownWindow w;
  TFormCommCtrls* f = w.f;
  EXPECT_EQ(f->DesignSize(), QSize(518, 455));
  EXPECT_EQ(f->BorderIcons(), TBorderIcons(biSystemMenu | biMinimize));
  EXPECT_EQ(f->CheckTreeView->geometry(), QRect(4, 8, 121, 141));
  EXPECT_EQ(f->ListView->geometry().topLeft(), QPoint(132, 8));
  EXPECT_EQ(f->RichEditSource->geometry().topLeft(), QPoint(4, 156));
  // Anchored: the list keeps its right margin, the editor all four.
  EXPECT_EQ(f->ListView->width(), 369);
  EXPECT_EQ(f->RichEditSource->size(), QSize(497, 247));
  EXPECT_EQ(f->width() - f->ListView->geometry().right() - 1, 9);
  EXPECT_EQ(f->StatusBar->geometry(), QRect(0, f->height() - 19, f->width(), 19));
  const int gap = f->StatusBar->geometry().top() - f->RichEditSource->geometry().bottom() - 1;
  f->resize(700, 600);
  EXPECT_EQ(f->width() - f->ListView->geometry().right() - 1, 9);
  EXPECT_EQ(f->StatusBar->geometry().top() - f->RichEditSource->geometry().bottom() - 1, gap);
  EXPECT_EQ(f->CheckTreeView->geometry(), QRect(4, 8, 121, 141));

  EXPECT_FALSE(f->CheckTreeView->AllowGrayed());
  EXPECT_TRUE(f->CheckTreeView->AutoCheckChild());
  EXPECT_TRUE(f->CheckTreeView->AutoUnCheckChild());
  EXPECT_TRUE(f->CheckTreeView->AutoGrayParent());
  EXPECT_EQ(f->CheckTreeView->indentation(), 19);
  QTreeWidgetItem* root = f->CheckTreeView->topLevelItem(0);
  ASSERT_EQ(root->text(0), "Root");
  EXPECT_TRUE(root->isExpanded());
  ASSERT_EQ(root->childCount(), 3);
  EXPECT_EQ(root->child(2)->text(0), "SubItem3");
  EXPECT_EQ(TCheckTreeView::StateIndex(root), 1);

  QStringList headers;
  for (int i = 0; i < f->ListView->columnCount(); ++i) headers << f->ListView->headerItem()->text(i);
  EXPECT_EQ(headers, QStringList({"String", "Integer", "Date", "Time", "DateTime"}));
  EXPECT_EQ(f->ListView->columnWidth(0), 45);
  EXPECT_EQ(f->ListView->columnWidth(2), 70);
  EXPECT_EQ(f->ListView->columnWidth(3), 60);
  EXPECT_EQ(f->ListView->columnWidth(4), 120);

  TExtRichEdit* ed = f->RichEditSource;
  EXPECT_EQ(ed->palette().color(QPalette::Base), QColor(0, 0, 128));
  EXPECT_EQ(ed->palette().color(QPalette::Text), QColor(255, 255, 0));
  EXPECT_TRUE(ed->font().bold());
  EXPECT_EQ(ed->font().pixelSize(), 16);
  EXPECT_EQ(ed->TabSpaces(), 2);
  EXPECT_TRUE(ed->AutoIndent() && ed->BackUnindent() && ed->CursThrTabs());
  EXPECT_EQ(ed->MaxLength(), 99999999);
  EXPECT_EQ(ed->lineWrapMode(), QPlainTextEdit::NoWrap);
  EXPECT_FALSE(ed->tabChangesFocus());
  EXPECT_EQ(ed->CaretPosDisplay(), f->StatusBar);
  EXPECT_EQ(ed->LineCount(), 44);
  EXPECT_EQ(ed->Line(0), "unit ExtRich;");
  EXPECT_EQ(ed->Line(43), "   end;");

  ASSERT_EQ(f->StatusBar->PanelCount(), 4);
  EXPECT_EQ(f->StatusBar->PanelText(0), "45: 1");
  EXPECT_EQ(f->StatusBar->Panel(0)->Width, 60);
  EXPECT_EQ(f->StatusBar->Panel(0)->Alignment, taRightJustify);
  EXPECT_EQ(f->StatusBar->Panel(1)->Alignment, taCenter);
  EXPECT_EQ(f->StatusBar->Panel(2)->Width, 60);

  QStringList menu;
  for (QAction* a : f->PopupSource->actions()) menu << (a->isSeparator() ? "-" : a->text());
  EXPECT_EQ(menu, QStringList({"Paste", "Copy", "Cut", "-", "&Print Section"}));
}

TEST(CommonControlsWindow, SixteenRandomRows) {
  ShownWindow w;
  const TColSortListView* v = w.f->ListView;
  ASSERT_EQ(v->topLevelItemCount(), 16);
  EXPECT_EQ(v->ColumnTypes[1], cstInteger);
  EXPECT_EQ(v->ColumnTypes[2], cstDate);
  EXPECT_EQ(v->ColumnTypes[3], cstTime);
  EXPECT_EQ(v->ColumnTypes[4], cstText);
  const QDate today = QDate::currentDate();
  for (int i = 0; i < 16; ++i) {
    const QTreeWidgetItem* it = v->topLevelItem(i);
    EXPECT_EQ(it->text(0), QString(QChar('A' + i)) + "_Item");
    bool ok = false;
    const int n = it->text(1).toInt(&ok);
    EXPECT_TRUE(ok && n >= 100 && n <= 1099) << n;
    qint64 day = 0, ms = 0;
    ASSERT_TRUE(TColSortListView::ParseDate(it->text(2), day)) << it->text(2).toStdString();
    EXPECT_GE(day, today.toJulianDay());
    EXPECT_LE(day, today.toJulianDay() + 29);
    ASSERT_TRUE(TColSortListView::ParseTime(it->text(3), ms));
    const QTime t = QTime::fromMSecsSinceStartOfDay(int(ms));
    EXPECT_LE(t.minute(), 58);
    EXPECT_LE(t.second(), 58);
    EXPECT_EQ(it->text(4), it->text(2) + " " + it->text(3));
  }
}

TEST(CommonControlsWindow, HeaderSortsIntegersByValueAndDateTimeAsText) {
  ShownWindow w;
  TColSortListView* v = w.f->ListView;
  // Values on both sides of 999 / 1000, where text order differs.
  v->topLevelItem(0)->setText(1, "1000");
  v->topLevelItem(1)->setText(1, "999");
  v->ColClick(1);
  QStringList nums = Column(v, 1);
  for (int i = 1; i < nums.size(); ++i) EXPECT_LE(nums[i - 1].toInt(), nums[i].toInt());
  EXPECT_LT(nums.indexOf("999"), nums.indexOf("1000"));
  v->ColClick(1);
  const QStringList down = Column(v, 1);
  for (int i = 1; i < down.size(); ++i) EXPECT_GE(down[i - 1].toInt(), down[i].toInt());
  v->ColClick(4);
  const QStringList texts = Column(v, 4);
  QCollator coll{QLocale()};
  coll.setCaseSensitivity(Qt::CaseSensitive);
  for (int i = 1; i < texts.size(); ++i) EXPECT_LE(coll.compare(texts[i - 1], texts[i]), 0);
}

TEST(CommonControlsWindow, StringHeaderSortsAscendingFirstAndTimesShowNoZone) {
  const QLocale before;
  for (const char* name : {"it_IT", "en_US"}) {
    SCOPED_TRACE(name);
    QLocale::setDefault(QLocale(QString::fromLatin1(name)));
    ShownWindow w;
    TColSortListView* v = w.f->ListView;
    const QString zone = QLocale().toString(QDateTime::currentDateTime(), QStringLiteral("t"));
    ASSERT_FALSE(zone.isEmpty());
    for (int i = 0; i < v->topLevelItemCount(); ++i) {
      EXPECT_FALSE(v->topLevelItem(i)->text(3).contains(zone)) << v->topLevelItem(i)->text(3).toStdString();
      EXPECT_FALSE(v->topLevelItem(i)->text(4).contains(zone));
    }
    // A click on the "String" header, as the user gives it: ascending first.
    QHeaderView* h = v->header();
    const QPoint at(h->sectionViewportPosition(0) + h->sectionSize(0) / 2, h->height() / 2);
    QTest::mouseClick(h->viewport(), Qt::LeftButton, {}, at);
    EXPECT_EQ(v->topLevelItem(0)->text(0), "A_Item");
    EXPECT_EQ(v->topLevelItem(15)->text(0), "P_Item");
    QTest::mouseClick(h->viewport(), Qt::LeftButton, {}, at, 500);
    EXPECT_EQ(v->topLevelItem(0)->text(0), "P_Item");
  }
  QLocale::setDefault(before);
}

TEST(CommonControlsWindow, CheckTreeCycleAndEditorTab) {
  ShownWindow w;
  TCheckTreeView* t = w.f->CheckTreeView;
  QTreeWidgetItem* root = t->topLevelItem(0);
  QTest::mouseClick(t->viewport(), Qt::LeftButton, {}, t->StateRect(root).center());
  for (int i = 0; i < 3; ++i) EXPECT_EQ(TCheckTreeView::StateIndex(root->child(i)), 3);
  QTest::mouseClick(t->viewport(), Qt::LeftButton, {}, t->StateRect(root->child(0)).center());
  EXPECT_EQ(TCheckTreeView::StateIndex(root), 2);

  TExtRichEdit* ed = w.f->RichEditSource;
  ed->setFocus();
  ed->SetCaretPosition(0, 2);
  QTest::keyClick(ed, Qt::Key_Tab);
  EXPECT_EQ(ed->Line(2), "  interface");
  EXPECT_EQ(w.f->StatusBar->PanelText(0), "3: 3");
}

TEST(CommonControlsWindow, PopupMenuClipboardAndPrintSection) {
  ShownWindow w;
  TExtRichEdit* ed = w.f->RichEditSource;
  QTextCursor c = ed->textCursor();
  c.setPosition(5);
  c.setPosition(12, QTextCursor::KeepAnchor);
  ed->setTextCursor(c);
  w.f->Copy1->trigger();
  EXPECT_EQ(QApplication::clipboard()->text(), "ExtRich");
  w.f->Cut1->trigger();
  EXPECT_EQ(ed->Line(0), "unit ;");
  w.f->Paste1->trigger();
  EXPECT_EQ(ed->Line(0), "unit ExtRich;");

  if (QStandardPaths::findExecutable("pdftotext").isEmpty()) GTEST_SKIP() << "poppler-utils missing";
  QTemporaryDir dir;
  const QString pdf = dir.filePath("sezione.pdf");
  TRecordingDialogs dialogs;
  dialogs.OnModal = [&](QDialog& d) {
    auto* pd = qobject_cast<QPrintDialog*>(&d);
    if (!pd) return int(QDialog::Rejected);
    pd->printer()->setOutputFormat(QPrinter::PdfFormat);
    pd->printer()->setOutputFileName(pdf);
    return int(QDialog::Accepted);
  };
  w.f->PrintSection1->trigger();
  QProcess text;
  text.start("pdftotext", {pdf, "-"});
  ASSERT_TRUE(text.waitForFinished(20000));
  const QString out = QString::fromUtf8(text.readAllStandardOutput());
  EXPECT_TRUE(out.contains("unit ExtRich;"));
  EXPECT_TRUE(out.contains("TExtRichEdit = class"));
  EXPECT_TRUE(out.contains("end;"));
}
