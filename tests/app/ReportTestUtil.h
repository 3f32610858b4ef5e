#pragma once
// A report of N page pictures printed one per band, the way a sheet hands
// its rendered pages to the engine; the pictures are spreadsheet-like: a
// heading and a table of numbered cells.
#include <QFile>
#include <QPainter>
#include <QProcess>
#include <QStandardPaths>
#include <vector>

#include <Tarnwell/app/QuickRpt.h>

using namespace Tarnwell;

inline TMetafile SamplePage(int page, int pages, TPrinterOrientation o = poPortrait) {
  const QSize s = ReportPageSize(o) - QSize(60, 60);
  TMetafile mf;
  mf.SetSize(s.width(), s.height());
  QPainter p(&mf.Picture());
  QFont f(QStringLiteral("DejaVu Sans"));
  f.setPixelSize(20);
  p.setFont(f);
  p.drawText(QRect(30, 30, s.width() - 60, 30), Qt::AlignLeft, QStringLiteral("Pagina %1 di %2").arg(page).arg(pages));
  f.setPixelSize(11);
  p.setFont(f);
  for (int r = 0; r < 40; ++r)
    for (int c = 0; c < 6; ++c) {
      const QRect cell(30 + c * 110, 80 + r * 22, 109, 21);
      p.setPen(QColor(192, 192, 192));
      p.drawRect(cell);
      p.setPen(Qt::black);
      p.drawText(cell.adjusted(3, 0, -3, 0), Qt::AlignVCenter | Qt::AlignRight,
                 QString::number((page * 1000 + r) * 10 + c));
    }
  p.end();
  return mf;
}

struct TPagedReport {
  std::vector<TMetafile> Pages;
  TQuickRep Report;
  TQRImage* Image;
  int Produced = 0;
  explicit TPagedReport(int n, TPrinterOrientation o = poPortrait, const QString& title = QStringLiteral("Prova")) {
    for (int i = 1; i <= n; ++i) Pages.push_back(SamplePage(i, n, o));
    Report.setReportTitle(title);
    Report.setOrientation(o);
    Report.setRecordCount(n);
    Report.Detail()->setHeight(Report.Height());
    Image = new TQRImage(Report.Detail());
    Image->setWidth(Report.Width());
    Image->setHeight(Report.Height());
    Report.OnNeedData = [this](TQuickRep*, bool& more) { more = Produced < int(Pages.size()); };
    Report.Detail()->BeforePrint = [this](TQRBand*, bool&) { Image->SetPicture(Pages[size_t(Produced++)]); };
  }
};

// Runs a program to its end; its standard output, or a null string when it
// cannot run.
inline QString RunTool(const QString& program, const QStringList& args, int* exitCode = nullptr) {
  QProcess p;
  p.start(program, args);
  if (!p.waitForFinished(60000)) return QString();
  if (exitCode) *exitCode = p.exitCode();
  return QString::fromUtf8(p.readAllStandardOutput());
}

inline bool HavePoppler() { return !QStandardPaths::findExecutable(QStringLiteral("pdfinfo")).isEmpty(); }

// pdfinfo's "Pages:" line.
inline int PdfPages(const QString& file) {
  const QString out = RunTool(QStringLiteral("pdfinfo"), {file});
  for (const QString& line : out.split(QLatin1Char('\n')))
    if (line.startsWith(QLatin1String("Pages:"))) return line.mid(6).trimmed().toInt();
  return -1;
}

inline QString PdfField(const QString& file, const QString& field) {
  const QString out = RunTool(QStringLiteral("pdfinfo"), {file});
  for (const QString& line : out.split(QLatin1Char('\n')))
    if (line.startsWith(field + QLatin1Char(':'))) return line.mid(field.size() + 1).trimmed();
  return QString();
}

inline QString PdfText(const QString& file) {
  return RunTool(QStringLiteral("pdftotext"), {QStringLiteral("-layout"), file, QStringLiteral("-")});
}

inline QByteArray ReadFile(const QString& name) {
  QFile f(name);
  return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

inline bool WriteFile(const QString& name, const QByteArray& data) {
  QFile f(name);
  return f.open(QIODevice::WriteOnly | QIODevice::Truncate) && f.write(data) == data.size();
}
