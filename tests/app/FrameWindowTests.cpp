// Windows as users see them in the frame: whole, each new one visible,
// the right one forward after a close, our icon; and the snapshot tool.
#include <gtest/gtest.h>

#include <QDir>
#include <QImage>
#include <QMdiSubWindow>
#include <QProcess>
#include <QTemporaryDir>

#include <Tarnwell/platform/TFormSize.h>
#include <Tarnwell/app/Main.h>
#include "TestUtil.h"

using namespace Tarnwell;

namespace {
QMdiSubWindow* FrameOf(TForm* form) { return qobject_cast<QMdiSubWindow*>(form->parentWidget()); }
}  // namespace

TEST(FrameWindows, EveryWindowShowsWholeInsideItsFrameWindow) {
  for (const TLauncher& l : Launchers()) {
    if (!l.Create) continue;
    SCOPED_TRACE(l.ButtonCaption);
    TFormMain frame;
    frame.show();
    TForm* form = frame.Launch(l);
    ASSERT_NE(form, nullptr);
    QMdiSubWindow* sub = FrameOf(form);
    ASSERT_NE(sub, nullptr);
    QCoreApplication::processEvents();
    // A design of the client area: the frame window grows around it; one of
    // the whole window: the frame window is that size.
    if (form->DesignSize().isValid() && !form->DesignSize().isEmpty()) {
      EXPECT_EQ(DesignSizeIsOuter(form) ? sub->size() : form->size(), form->DesignSize());
      EXPECT_EQ(form->size(), DesignClientSize(form));
    }
    EXPECT_TRUE(sub->contentsRect().contains(form->geometry()))
        << "form " << form->geometry().width() << "x" << form->geometry().height();
    for (QWidget* child : form->findChildren<QWidget*>(QString(), Qt::FindDirectChildrenOnly)) {
      if (!child->isVisible()) continue;
      EXPECT_TRUE(form->rect().contains(child->geometry()))
          << child->metaObject()->className() << " " << qPrintable(child->objectName());
    }
    EXPECT_EQ(sub->windowIcon().pixmap(16).toImage(), ProgramIcon().pixmap(16).toImage());
  }
}

TEST(FrameWindows, WindowSizesAsTheirDesignsGiveThem) {
  // Most designs give the whole window, title bar and borders included; a
  // few give the client area.
  struct Row {
    const char* launcher;
    bool outer;
    QSize size;
  };
  const Row rows[] = {
      {"TPattern....", true, {479, 281}},      {"TGraph2D", true, {486, 469}},
      {"TMeasureDisplay", true, {614, 500}},   {"Gadget", true, {473, 332}},
      {"Common Controls", true, {518, 455}},   {"TFileListView...", true, {488, 322}},
      {"Foglio di Calcolo", true, {559, 415}}, {"Other Objects", true, {573, 398}},
      {"TBarCodes", false, {421, 244}},        {"Simple Visuals", false, {531, 338}},
      {"TSlideControls", false, {623, 392}},   {"Other Components", false, {296, 295}},
  };
  TFormMain frame;
  frame.show();
  for (const Row& r : rows) {
    SCOPED_TRACE(r.launcher);
    const TLauncher* l = FindLauncher(r.launcher);
    ASSERT_TRUE(l && l->Create);
    TForm* form = frame.Launch(*l);
    QCoreApplication::processEvents();
    QMdiSubWindow* sub = FrameOf(form);
    ASSERT_NE(sub, nullptr);
    EXPECT_EQ(r.outer ? sub->size() : form->size(), r.size);
    form->Close();
  }
}

TEST(FrameWindows, EachNewWindowOpensWhereItCanBeSeen) {
  TFormMain frame;
  frame.show();
  const TLauncher* l = FindLauncher("TMeasureDisplay");
  ASSERT_TRUE(l && l->Create);
  QList<QPoint> seen;
  QImage before = frame.grab().toImage();
  for (int i = 0; i < 12; ++i) {
    TForm* form = frame.Launch(*l);
    QCoreApplication::processEvents();
    QMdiSubWindow* sub = FrameOf(form);
    EXPECT_FALSE(seen.contains(sub->pos())) << i << ": " << sub->pos().x() << "," << sub->pos().y();
    seen << sub->pos();
    EXPECT_EQ(frame.MdiArea->activeSubWindow(), sub);
    // The new window's title bar lies inside the client area.
    EXPECT_TRUE(frame.MdiArea->viewport()->rect().contains(sub->geometry().topLeft() + QPoint(8, 8)));
    const QImage after = frame.grab().toImage();
    EXPECT_NE(after, before) << "click " << i << " changed nothing the user can see";
    before = after;
  }
}

TEST(FrameWindows, ClosingTheTopWindowBringsForwardTheOneBelowIt) {
  TFormMain frame;
  frame.show();
  TForm* a = frame.Launch(*FindLauncher("TBarCodes"));
  TForm* b = frame.Launch(*FindLauncher("TGraph2D"));
  TForm* c = frame.Launch(*FindLauncher("TPattern...."));
  ASSERT_TRUE(a && b && c);
  frame.MdiArea->setActiveSubWindow(FrameOf(a));
  frame.MdiArea->setActiveSubWindow(FrameOf(c));
  // Activation history: b, a, c. Closing c brings a back, not the oldest.
  QMdiSubWindow* top = FrameOf(c);
  top->close();
  QCoreApplication::processEvents();
  EXPECT_EQ(frame.MdiArea->activeSubWindow(), FrameOf(a));
}

class SnapTool : public ::testing::Test {
 protected:
  int Run(const QStringList& args, QString* err = nullptr) {
    QProcess p;
    p.start(QCoreApplication::applicationDirPath() + QStringLiteral("/tarnwell-snap"), args);
    EXPECT_TRUE(p.waitForFinished(60000));
    if (err) *err = QString::fromUtf8(p.readAllStandardError());
    return p.exitCode();
  }
  QTemporaryDir dir;
};

TEST_F(SnapTool, RendersTheWindowAsItStandsInTheFrameOrBare) {
  const QString framed = dir.filePath(QStringLiteral("framed.png"));
  const QString bare = dir.filePath(QStringLiteral("bare.png"));
  ASSERT_EQ(Run({QStringLiteral("--window"), QStringLiteral("TBarCodes"), framed}), 0);
  ASSERT_EQ(Run({QStringLiteral("--window"), QStringLiteral("TBarCodes"), QStringLiteral("--bare"), bare}), 0);
  const QImage f(framed), b(bare);
  ASSERT_FALSE(f.isNull());
  ASSERT_FALSE(b.isNull());
  // The framed picture holds the whole form plus borders and a title bar.
  EXPECT_GT(f.width(), b.width());
  EXPECT_GT(f.height(), b.height() + 10);
  EXPECT_EQ(b.size(), QSize(421, 244));
}

TEST_F(SnapTool, TakesTheWindowCaptionAsWellAsTheLauncherCaption) {
  const QString byLauncher = dir.filePath(QStringLiteral("launcher.png"));
  const QString byWindow = dir.filePath(QStringLiteral("window.png"));
  ASSERT_EQ(Run({QStringLiteral("--window"), QStringLiteral("TSlideControls"), QStringLiteral("--bare"), byLauncher}),
            0);
  ASSERT_EQ(Run({QStringLiteral("--window"), QStringLiteral("TSlideControls..."), QStringLiteral("--bare"), byWindow}),
            0);
  EXPECT_EQ(QImage(byWindow).size(), QImage(byLauncher).size());
  EXPECT_EQ(Run({QStringLiteral("--open"), QStringLiteral("Run Time Designing"), byWindow}), 0);
  QString err;
  EXPECT_EQ(Run({QStringLiteral("--window"), QStringLiteral("NoSuchWindow"), byWindow}, &err), 3);
  EXPECT_TRUE(err.contains(QStringLiteral("the launchers are"))) << qPrintable(err);
}

TEST_F(SnapTool, OpensLaunchersAndRendersTheWholeFrame) {
  const QString once = dir.filePath(QStringLiteral("once.png"));
  const QString thrice = dir.filePath(QStringLiteral("thrice.png"));
  ASSERT_EQ(Run({QStringLiteral("--open"), QStringLiteral("TMeasureDisplay"), once}), 0);
  ASSERT_EQ(Run({QStringLiteral("--open"), QStringLiteral("TMeasureDisplay"), QStringLiteral("--open"),
                 QStringLiteral("TMeasureDisplay"), QStringLiteral("--open"), QStringLiteral("TMeasureDisplay"),
                 thrice}),
            0);
  const QImage a(once), b(thrice);
  EXPECT_EQ(a.size(), QSize(640, 422));
  EXPECT_EQ(b.size(), a.size());
  EXPECT_NE(a, b);  // the later windows stand where they can be seen
  QString err;
  EXPECT_EQ(Run({QStringLiteral("--open"), QStringLiteral("TBarCodes"), QStringLiteral("--window"),
                 QStringLiteral("TBarCodes"), dir.filePath(QStringLiteral("x.png"))},
                &err),
            2);
}

TEST_F(SnapTool, ClicksNamedControlsBeforeTheShot) {
  const QString plain = dir.filePath(QStringLiteral("plain.png"));
  const QString clicked = dir.filePath(QStringLiteral("clicked.png"));
  const QString caption = QStringLiteral("Run Time Design");
  ASSERT_EQ(Run({QStringLiteral("--window"), caption, QStringLiteral("--bare"), plain}), 0);
  // Design mode on, then Button1 (192, 112, 75 x 25) selected: red handles around it.
  ASSERT_EQ(Run({QStringLiteral("--window"), caption, QStringLiteral("--bare"), QStringLiteral("--click"),
                 QStringLiteral("CheckBox1"), QStringLiteral("--click"), QStringLiteral("Button1"), clicked}),
            0);
  const QImage a(plain), b(clicked);
  ASSERT_EQ(a.size(), b.size());
  EXPECT_NE(a.pixelColor(188, 108), QColor(Qt::red));
  EXPECT_EQ(b.pixelColor(188, 108), QColor(Qt::red));
  EXPECT_EQ(b.pixelColor(270, 140), QColor(Qt::red));
  QString err;
  EXPECT_EQ(Run({QStringLiteral("--window"), caption, QStringLiteral("--click"), QStringLiteral("NoSuchControl"),
                 dir.filePath(QStringLiteral("x.png"))},
                &err),
            3);
  EXPECT_TRUE(err.contains(QStringLiteral("NoSuchControl"))) << qPrintable(err);
  EXPECT_EQ(Run({QStringLiteral("--click"), QStringLiteral("Button1"), dir.filePath(QStringLiteral("x.png"))}, &err),
            2);
  EXPECT_TRUE(err.contains(QStringLiteral("--window"))) << qPrintable(err);
}

TEST_F(SnapTool, RefusesAMissingCaptionAndAnUnknownFormat) {
  QString err;
  EXPECT_EQ(Run({QStringLiteral("--window")}, &err), 2);
  EXPECT_TRUE(err.contains(QStringLiteral("--window needs"))) << qPrintable(err);
  EXPECT_EQ(Run({dir.filePath(QStringLiteral("out.xyz"))}, &err), 2);
  EXPECT_TRUE(err.contains(QStringLiteral("format"))) << qPrintable(err);
  EXPECT_FALSE(QFile::exists(dir.filePath(QStringLiteral("out.xyz"))));
  const QString jpg = dir.filePath(QStringLiteral("main.jpg"));
  EXPECT_EQ(Run({jpg}), 0);
  EXPECT_FALSE(QImage(jpg).isNull());
}

TEST(FrameWindows, TitleBarsAsDesigned) {
  TFormMain frame;
  frame.show();
  struct Row {
    const char* launcher;
    bool minimise, maximise, fixed, tool;
  };
  const Row rows[] = {
      {"TBarCodes", false, false, true, true},       // fixed tool window
      {"TMeasureDisplay", false, false, false, true},  // sizeable tool window
      {"TGraph2D", true, false, false, false},       // system menu and minimise box
      {"Gadget", true, false, false, false},
      {"TPattern....", true, false, false, false},
  };
  int normalCaption = 0, toolCaption = 0;
  for (const Row& r : rows) {
    SCOPED_TRACE(r.launcher);
    const TLauncher* l = FindLauncher(r.launcher);
    ASSERT_TRUE(l && l->Create);
    TForm* form = frame.Launch(*l);
    QMdiSubWindow* sub = FrameOf(form);
    const Qt::WindowFlags f = sub->windowFlags();
    EXPECT_EQ(bool(f & Qt::WindowMinimizeButtonHint), r.minimise);
    EXPECT_EQ(bool(f & Qt::WindowMaximizeButtonHint), r.maximise);
    EXPECT_TRUE(f & Qt::WindowCloseButtonHint);
    EXPECT_EQ(sub->minimumSize() == sub->maximumSize(), r.fixed);
    (r.tool ? toolCaption : normalCaption) = sub->contentsMargins().top();
    // The form itself is still its design's client size and keeps its own font.
    EXPECT_EQ(form->size(), DesignClientSize(form));
    EXPECT_EQ(form->font().pixelSize(), frame.font().pixelSize());
  }
  EXPECT_LT(toolCaption, normalCaption);  // tool windows have a small caption
}

// The README's gallery (docs/gallery, made by scripts/gallery.sh) is kept
// current: the main frame exactly as the snapshot tool renders it, and every
// window's picture of the size the window now shows in the frame. When this
// fails, run scripts/gallery.sh.
TEST_F(SnapTool, TheGalleryShowsTheWindowsAsTheyAreNow) {
  const QDir gallery(SourceDir() + QStringLiteral("/docs/gallery"));
  ASSERT_TRUE(gallery.exists()) << qPrintable(gallery.path());
  const QString frameNow = dir.filePath(QStringLiteral("main-frame.png"));
  ASSERT_EQ(Run({frameNow}), 0);
  EXPECT_EQ(QImage(gallery.filePath(QStringLiteral("main-frame.png"))), QImage(frameNow))
      << "the main frame changed: run scripts/gallery.sh";
  for (const TLauncher& l : Launchers()) {
    if (!l.Create) continue;
    SCOPED_TRACE(l.ButtonCaption);
    // The file name gallery.sh gives: the caption in lower case, each other
    // character a "-", none at either end.
    QString name;
    for (const QChar c : QString::fromUtf8(l.ButtonCaption))
      name += c.unicode() < 128 && c.isLetterOrNumber() ? c.toLower() : QLatin1Char('-');
    while (name.endsWith(QLatin1Char('-'))) name.chop(1);
    while (name.startsWith(QLatin1Char('-'))) name.remove(0, 1);
    const QImage picture(gallery.filePath(name + QStringLiteral(".png")));
    ASSERT_FALSE(picture.isNull()) << qPrintable(name) << ".png is missing: run scripts/gallery.sh";
    TFormMain frame;
    frame.show();
    TForm* form = frame.Launch(l);
    QCoreApplication::processEvents();
    const QRect visible = FrameOf(form)->geometry().intersected(frame.MdiArea->viewport()->rect());
    EXPECT_EQ(picture.size(), visible.size()) << qPrintable(name) << ".png is stale: run scripts/gallery.sh";
    form->Close();
  }
}
