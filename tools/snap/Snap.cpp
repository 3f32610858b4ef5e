// tarnwell-snap: renders the main frame, or one demonstration window opened
// through its launcher, to a picture without a display.
//
//   tarnwell-snap [--window "CAPTION" [--bare] [--click NAME ...]] [--size WxH] [--wait MS] OUT.png
//   tarnwell-snap --open "CAPTION" [--open "CAPTION" ...] OUT.png
//
// CAPTION is a launcher's caption ("DB Controls") or the caption of the
// window it opens ("FormDBCtrl").
// --window "Anteprima di Stampa" shows the report preview window with a
// sample report of two pages (--pages N for another count).
// --open clicks the launcher CAPTION (as often as it is given) and renders
// the whole main frame with the windows it opened.
// --click NAME clicks the middle of the window's control named NAME (its
// object name) with the left button before the picture is taken, in the
// order given: "--click CheckBox1 --click Button1" puts a window in a state.
// A window is rendered as it stands in the main frame: its frame window with
// the title bar, cut to the part the frame's client area shows. --bare
// renders the form alone at its full size instead. The format follows the
// output file's extension (png, jpg, bmp, ppm ...); others are refused.
#include <QDir>
#include <QFileInfo>
#include <QImageWriter>
#include <QElapsedTimer>
#include <QMdiSubWindow>
#include <QMouseEvent>
#include <QPainter>
#include <QTextStream>
#include <cstdio>
#include <memory>

#include <Tarnwell/app/FPreview.h>
#include <Tarnwell/app/Main.h>
#include <Tarnwell/platform/TApplication.h>
#include <Tarnwell/platform/TDialogs.h>
#include <Tarnwell/platform/TFileWriter.h>

using namespace Tarnwell;

namespace {

// A page of a sample report: a heading and a table, as a sheet prints.
TMetafile SamplePage(int page, int pages) {
  TMetafile mf;
  mf.SetSize(734, 1062);
  QPainter p(&mf.Picture());
  QFont f(QStringLiteral("DejaVu Sans"));
  f.setPixelSize(20);
  f.setBold(true);
  p.setFont(f);
  p.drawText(QRect(30, 30, 680, 30), Qt::AlignLeft, QStringLiteral("Conti 2026 - pagina %1 di %2").arg(page).arg(pages));
  f.setPixelSize(11);
  f.setBold(false);
  p.setFont(f);
  for (int r = 0; r < 42; ++r)
    for (int c = 0; c < 6; ++c) {
      const QRect cell(30 + c * 111, 80 + r * 22, 110, 21);
      p.setPen(QColor(192, 192, 192));
      p.drawRect(cell);
      p.setPen(Qt::black);
      const QString text = c == 0 ? QStringLiteral("Voce %1").arg((page - 1) * 42 + r + 1)
                                  : QString::number(((page * 37 + r) * 53 + c * 11) % 9973);
      p.drawText(cell.adjusted(4, 0, -4, 0), Qt::AlignVCenter | (c == 0 ? Qt::AlignLeft : Qt::AlignRight), text);
    }
  return mf;
}

// The launcher named by its button's caption or by its window's caption
// ("DB Controls" or "FormDBCtrl"); the button's wins where both could match.
const TLauncher* LauncherNamed(const QString& caption) {
  const QByteArray cap = caption.toUtf8();
  if (const TLauncher* l = FindLauncher(cap.constData())) return l;
  for (const TLauncher& l : Launchers())
    if (caption == QString::fromUtf8(l.WindowCaption)) return &l;
  return nullptr;
}

int Fail(int code, const QString& msg) {
  QTextStream(stderr) << "tarnwell-snap: " << msg << "\n";
  return code;
}

// The picture in place of `file` whole, or `file` as it was (exit 1).
int SavePicture(const QImage& img, const QString& file, const char* format) {
  TFileWriter out(file);
  if (out.open() && img.save(&out, format) && out.Commit()) return 0;
  return Fail(1, QStringLiteral("cannot write %1: %2")
                     .arg(QDir::toNativeSeparators(file),
                          out.Failed() ? out.errorString() : QStringLiteral("the picture could not be encoded")));
}

void Pump(int ms) {
  QElapsedTimer t;
  t.start();
  do {
    QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
  } while (t.elapsed() < ms);
}

}  // namespace

int main(int argc, char** argv) {
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  PrepareProgramEnvironment();
  TApplication app(argc, argv);
  QApplication::setApplicationName(QStringLiteral("Tarnwell"));
  InitializeTarnwell();
  ApplyClassicLook();
  // A headless run must never wait for a click.
  TRecordingDialogs dialogs(mrOk);

  const char* usage =
      "usage: tarnwell-snap [--window \"CAPTION\" [--bare] [--click NAME ...] | --open \"CAPTION\" ...] [--size WxH] [--wait MS] OUT.png";
  QString window, out;
  QSize size;
  int wait = 0;
  bool bare = false;
  QStringList opens, clicks;
  int pages = 2;
  const QStringList args = app.arguments();
  for (int i = 1; i < args.size(); ++i) {
    const QString& a = args[i];
    if (a == QLatin1String("--window")) {
      if (i + 1 >= args.size() || args[i + 1].isEmpty())
        return Fail(2, QStringLiteral("--window needs the CAPTION of a launcher, e.g. --window \"TBarCodes\""));
      window = args[++i];
    } else if (a == QLatin1String("--open")) {
      if (i + 1 >= args.size() || args[i + 1].isEmpty())
        return Fail(2, QStringLiteral("--open needs the CAPTION of a launcher, e.g. --open \"TBarCodes\""));
      opens << args[++i];
    } else if (a == QLatin1String("--icon")) {
      // The program's icon as a picture, for the desktop entry.
      bool ok = false;
      const int px = i + 2 < args.size() ? args[i + 1].toInt(&ok) : 0;
      if (!ok || px < 16 || px > 512)
        return Fail(2, QStringLiteral("--icon needs SIZE (16 to 512) and an output file, e.g. --icon 64 tarnwell.png"));
      ++i;
      const QString file = args[++i];
      return SavePicture(ProgramIcon().pixmap(px).toImage().scaled(px, px), file,
                         QFileInfo(file).suffix().toLower().toLatin1().constData());
    } else if (a == QLatin1String("--click")) {
      if (i + 1 >= args.size() || args[i + 1].isEmpty())
        return Fail(2, QStringLiteral("--click needs the NAME of a control of the window, e.g. --click CheckBox1"));
      clicks << args[++i];
    } else if (a == QLatin1String("--pages") && i + 1 < args.size()) {
      bool ok = false;
      pages = args[++i].toInt(&ok);
      if (!ok || pages < 0 || pages > 500) return Fail(2, QStringLiteral("--pages wants 0 to 500"));
    } else if (a == QLatin1String("--bare")) {
      bare = true;
    } else if (a == QLatin1String("--size") && i + 1 < args.size()) {
      const QStringList wh = args[++i].split(QLatin1Char('x'));
      bool okw = false, okh = false;
      if (wh.size() == 2) size = QSize(wh[0].toInt(&okw), wh[1].toInt(&okh));
      if (!okw || !okh || size.width() < 1 || size.height() < 1 || size.width() > 8192 ||
          size.height() > 8192)
        return Fail(2, QStringLiteral("--size wants WIDTHxHEIGHT between 1 and 8192, e.g. 800x600"));
    } else if (a == QLatin1String("--wait") && i + 1 < args.size()) {
      bool ok = false;
      wait = args[++i].toInt(&ok);
      if (!ok || wait < 0 || wait > 600000)
        return Fail(2, QStringLiteral("--wait wants milliseconds (0 to 600000)"));
    } else if (a == QLatin1String("-h") || a == QLatin1String("--help")) {
      QTextStream(stdout) << usage << "\n";
      return 0;
    } else if (a.startsWith(QLatin1String("--"))) {
      return Fail(2, QStringLiteral("unknown option %1").arg(a));
    } else if (out.isEmpty()) {
      out = a;
    } else {
      return Fail(2, QStringLiteral("only one output file, got %1 and %2").arg(out, a));
    }
  }
  if (out.isEmpty()) return Fail(2, QString::fromUtf8(usage));
  if (!opens.isEmpty() && !window.isEmpty())
    return Fail(2, QStringLiteral("--open renders the main frame; it does not go with --window"));
  if (!clicks.isEmpty() && window.isEmpty())
    return Fail(2, QStringLiteral("--click clicks a control of a window: give --window \"CAPTION\""));
  if (bare && window.isEmpty()) return Fail(2, QStringLiteral("--bare renders a window: give --window \"CAPTION\""));
  const QByteArray format = QFileInfo(out).suffix().toLower().toLatin1();
  if (format.isEmpty() || !QImageWriter::supportedImageFormats().contains(format)) {
    QStringList known;
    for (const QByteArray& f : QImageWriter::supportedImageFormats()) known << QString::fromLatin1(f);
    return Fail(2, QStringLiteral("cannot tell the picture format from \"%1\"; use one of the extensions %2")
                       .arg(out, known.join(QStringLiteral(", "))));
  }

  auto frame = std::make_unique<TFormMain>();
  auto preview = std::make_unique<TFormReportPreview>();
  FormReportPreview = preview.get();
  frame->show();
  Pump(50);

  QWidget* target = frame.get();
  if (window == preview->windowTitle()) {
    // The preview is a window of its own: shown with a sample report.
    std::vector<TMetafile> sample;
    for (int i = 1; i <= pages; ++i) sample.push_back(SamplePage(i, pages));
    TQuickRep report;
    report.setReportTitle(QStringLiteral("Conti 2026"));
    report.setRecordCount(pages);
    report.Detail()->setHeight(report.Height());
    auto* image = new TQRImage(report.Detail());
    image->setWidth(report.Width());
    image->setHeight(report.Height());
    size_t produced = 0;
    report.OnNeedData = [&](TQuickRep*, bool& more) { more = produced < sample.size(); };
    report.Detail()->BeforePrint = [&](TQRBand*, bool&) { image->SetPicture(sample[produced++]); };
    report.OnPreview = [&](TQuickRep* r) {
      preview->SetReport(r);
      preview->ShowPreview();
    };
    report.Preview();
    preview->showNormal();
    preview->resize(size.isValid() ? size : QSize(1024, 768));
    Pump(50);
    preview->ZoomToFitClick();
    Pump(std::max(wait, 100));
    const QImage img = preview->grab().toImage();
    if (img.isNull()) return Fail(1, QStringLiteral("nothing to render"));
    return SavePicture(img, out, format.constData());
  }
  for (const QString& caption : opens) {
    const TLauncher* l = LauncherNamed(caption);
    if (!l) return Fail(3, QStringLiteral("no launcher or window is captioned \"%1\"").arg(caption));
    if (!l->Create) return Fail(4, QStringLiteral("the window of launcher \"%1\" is not built yet").arg(caption));
    frame->Launch(*l);
    Pump(20);
  }
  if (!window.isEmpty()) {
    const TLauncher* l = LauncherNamed(window);
    if (!l) {
      QStringList known;
      for (const auto& x : Launchers())
        known << QStringLiteral("\"%1\"").arg(QString::fromUtf8(x.ButtonCaption));
      return Fail(3, QStringLiteral("no launcher or window is captioned \"%1\"; the launchers are %2")
                         .arg(window, known.join(QStringLiteral(", "))));
    }
    if (!l->Create)
      return Fail(4, QStringLiteral("the window of launcher \"%1\" is not built yet").arg(window));
    TForm* form = frame->Launch(*l);
    if (!form)
      return Fail(4, QStringLiteral("the window of launcher \"%1\" could not be opened").arg(window));
    target = form;
    if (size.isValid()) {
      if (auto* sub = qobject_cast<QMdiSubWindow*>(form->parentWidget())) {
        const QSize frameExtra = sub->size() - form->size();
        frame->resize(std::max(frame->width(), size.width() + frameExtra.width() + 140),
                      std::max(frame->height(), size.height() + frameExtra.height() + 80));
        sub->resize(size + frameExtra);
      }
      form->resize(size);
    }
  } else if (size.isValid()) {
    frame->resize(size);
  }
  for (const QString& name : clicks) {
    Pump(50);
    auto* w = target->findChild<QWidget*>(name);
    if (!w || !w->isVisible())
      return Fail(3, QStringLiteral("the window \"%1\" has no visible control named \"%2\"").arg(window, name));
    // To the widget a real click there reaches (one that lets the mouse
    // through is passed over), through the application.
    const QPoint at = w->mapTo(target, w->rect().center());
    QWidget* receiver = target->childAt(at);
    if (!receiver) receiver = target;
    const QPointF local = QPointF(receiver->mapFrom(target, at));
    const QPointF global = QPointF(target->mapToGlobal(at));
    QMouseEvent press(QEvent::MouseButtonPress, local, global, Qt::LeftButton, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(receiver, &press);
    QMouseEvent release(QEvent::MouseButtonRelease, local, global, Qt::LeftButton, Qt::NoButton, Qt::NoModifier);
    QCoreApplication::sendEvent(receiver, &release);
  }
  Pump(std::max(wait, 100));
  QImage img;
  auto* sub = target == frame.get() ? nullptr : qobject_cast<QMdiSubWindow*>(target->parentWidget());
  if (bare || !sub) {
    img = target->grab().toImage();
  } else {
    // What the user sees: the frame window, cut to the visible client area.
    QWidget* viewport = frame->MdiArea->viewport();
    const QRect visible = sub->geometry().intersected(viewport->rect());
    const QRect inFrame(viewport->mapTo(frame.get(), visible.topLeft()), visible.size());
    img = frame->grab(inFrame).toImage();
  }
  if (img.isNull()) return Fail(1, QStringLiteral("nothing to render"));
  return SavePicture(img, out, format.constData());
}
