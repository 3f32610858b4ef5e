#pragma once
// A small banded report engine over Qt PrintSupport.
//
// TQuickRep asks for records through OnNeedData and prints its one detail
// band per record (BeforePrint may skip it); the band holds picture controls.
// Band geometry is in 96-dpi units on an A4 page. The pages go into the
// report's printer object, TQRPrinter, as recorded pictures; one render loop
// (TQRPrinter::RenderTo) plays them on any paged device, a QPrinter or a
// QPdfWriter, scaled from 96 dpi to the device's resolution. The preview
// control TQRPreview shows one page of a printer object at a zoom.
//
// The printer object can also hold the pages of a saved report (a PDF, read
// with Qt PDF): the preview shows them and printing and saving work as for
// a report produced here.

#include <QAbstractScrollArea>
#include <QByteArray>
#include <QImage>
#include <QList>
#include <QObject>
#include <QPicture>
#include <QPointer>
#include <algorithm>
#include <functional>
#include <memory>

#include <Tarnwell/platform/TBitmap.h>
#include <Tarnwell/platform/TProperty.h>
#include <Tarnwell/platform/TTypes.h>
#include <Tarnwell/TarnwellExport.h>

class QPainter;
class QPagedPaintDevice;
class QPrinter;
class QPdfDocument;
class QBuffer;

namespace Tarnwell {

namespace QuickRptTypes {
Q_NAMESPACE_EXPORT(TARNWELL_APP_EXPORT)
// The orientation of a report's pages.
enum TPrinterOrientation { poPortrait, poLandscape };
Q_ENUM_NS(TPrinterOrientation)
}  // namespace QuickRptTypes
using namespace QuickRptTypes;

// The size of a report page (A4) in 96-dpi units.
TARNWELL_APP_EXPORT QSize ReportPageSize(TPrinterOrientation o);

// ---- TQRPrinter --------------------------------------------------------------

// The pages of a report: built page by page by the report engine (or loaded from a saved
// PDF), drawn by the preview, printed and saved as PDF. Page coordinates are 96-dpi units.
class TARNWELL_APP_EXPORT TQRPrinter : public QObject {
  Q_OBJECT
 public:
  explicit TQRPrinter(QObject* parent = nullptr);
  ~TQRPrinter() override;

  QString Title() const { return mTitle; }
  TPrinterOrientation Orientation() const { return mOrientation; }
  // The page size in 96-dpi units.
  QSize PageSize() const { return mPageSize; }
  int PageCount() const;
  // True once the last page is there (a report being produced is not).
  bool Finished() const { return mFinished; }
  // True while a render loop runs (printing or saving).
  bool Busy() const { return mBusy > 0; }

  // Building: the report engine's render loop. NewPage returns a painter on
  // the new page (96-dpi units) that stays valid until EndPage.
  void BeginDocument(const QString& title, TPrinterOrientation o);
  QPainter* NewPage();
  void EndPage();
  void EndDocument();
  void SetProgress(int percent);
  // Places a picture (scaled by sx, sy from its own units) or an image
  // (drawn into target) on the page being built, clipped to box. The
  // page keeps a reference, not a re-recording: a page of pictures costs
  // what the pictures cost.
  void AddPicture(const QPicture& pic, const QRect& box, double sx = 1, double sy = 1);
  void AddImage(const QImage& img, const QRectF& target, const QRect& box);
  // Forgets every page.
  void Clear();

  // The pages of a saved report (a PDF). False with a message when the data
  // is not a PDF Qt PDF can open; the printer is unchanged then.
  bool LoadPdf(const QByteArray& pdf, QString* error = nullptr);
  // The PDF the pages came from, when they were loaded.
  QByteArray LoadedPdf() const { return mPdf; }

  // Draws page n (from 1) scaled into target.
  void PaintPage(QPainter& p, int page, const QRectF& target) const;
  // Page n at the given pixel size on white.
  QImage PageImage(int page, const QSize& size) const;

  // The render loop: every page, `copies` times (collated), on a device
  // whose pages it starts itself (the first page is already open). False
  // when the device cannot be painted on.
  bool RenderTo(QPagedPaintDevice& device, int copies = 1, QString* error = nullptr);
  // Prints to printer (its copy count when it cannot make copies itself).
  bool Print(QPrinter& printer, QString* error = nullptr);
  // The engine's saved-report file: a PDF of the pages (a loaded report is
  // written back byte for byte).
  bool SaveToPdf(QIODevice& out, QString* error = nullptr);
  bool SaveToPdf(const QString& fileName, QString* error = nullptr);

 Q_SIGNALS:
  // A page is complete (the first one lets the preview show something).
  void PageAvailable(int page);
  // The progress of the report being produced, in percent (0 to 100; SetProgress clamps). 100
  // when the document is finished or loaded.
  void Progress(int percent);
  // The last page is there (EndDocument, or a PDF loaded): pageCount pages in all.
  void DocumentFinished(int pageCount);
  // Every page was forgotten (Clear); a preview showing the printer starts again at page 1.
  void Cleared();
  // RenderTo is at page `done` of `total`.
  void RenderProgress(int done, int total);

 private:
  QString mTitle;
  TPrinterOrientation mOrientation = poPortrait;
  QSize mPageSize;
  struct TPageItem {
    QPicture Picture;
    QImage Image;
    QRectF Target;  // the image's rectangle
    QRect Box;      // the clip
    double Sx = 1, Sy = 1;
  };
  struct TPage {
    QPicture Drawn;  // what was painted through NewPage's painter
    QList<TPageItem> Items;
  };
  QList<TPage> mPages;
  std::unique_ptr<QPicture> mCurrent;
  QList<TPageItem> mCurrentItems;
  bool mPageOpen = false;
  std::unique_ptr<QPainter> mPainter;
  bool mFinished = false;
  int mBusy = 0;
  QByteArray mPdf;
  std::unique_ptr<QBuffer> mPdfBuffer;
  std::unique_ptr<QPdfDocument> mPdfDoc;
};

// ---- report components -------------------------------------------------------

class TQRBand;

// A picture control: a metafile or an image at a place in its band.
class TARNWELL_APP_EXPORT TQRImage : public QObject {
  Q_OBJECT
  // The left edge in its band, in 96-dpi units (default 0).
  TW_PROPERTY(int, Left, )
  // The top edge in its band, in 96-dpi units (default 0).
  TW_PROPERTY(int, Top, )
  // The width in 96-dpi units (default 100; negative values become 0).
  TW_PROPERTY_FIXED(int, Width, std::max(0, value), )
  // The height in 96-dpi units (default 100; negative values become 0).
  TW_PROPERTY_FIXED(int, Height, std::max(0, value), )
  // Scale the picture to the control (otherwise drawn at its own size,
  // clipped to the control).
  TW_PROPERTY(bool, Stretch, )

 public:
  // Takes its place in the band's control list.
  explicit TQRImage(TQRBand* band);

  void SetPicture(const TMetafile& mf);
  void SetPicture(const QImage& img);
  void ClearPicture();
  const TMetafile& Metafile() const { return mMetafile; }
  const QImage& Image() const { return mImage; }
  // Draws the control with the band's top-left corner at origin.
  void Print(QPainter& p, const QPoint& origin) const;
  void Print(TQRPrinter& out, const QPoint& origin) const;

 private:
  int mLeft = 0, mTop = 0, mWidth = 100, mHeight = 100;
  bool mStretch = false;
  TMetafile mMetafile;
  QImage mImage;
};

// A band of a report: a strip of the page holding picture controls (TQRImage).
class TARNWELL_APP_EXPORT TQRBand : public QObject {
  Q_OBJECT
  // In 96-dpi units; at least 1.
  TW_PROPERTY_FIXED(int, Height, std::max(1, value), )

 public:
  explicit TQRBand(QObject* parent = nullptr);
  // Called before the band prints; clearing PrintBand skips this record.
  std::function<void(TQRBand* sender, bool& PrintBand)> BeforePrint;
  QList<TQRImage*> Controls() const;
  void AddControl(TQRImage* c);
  void Print(QPainter& p, int top) const;
  void Print(TQRPrinter& out, int top) const;

 Q_SIGNALS:
  // Emitted for each record before the band prints, before BeforePrint is called; band is the
  // band itself.
  void Printing(Tarnwell::TQRBand* band);

 private:
  int mHeight = 40;
  QList<QPointer<TQRImage>> mControls;
};

// A report: its bands printed onto the pages of a TQRPrinter, shown by the preview window.
class TARNWELL_APP_EXPORT TQuickRep : public QObject {
  Q_OBJECT
  // The title of the report's document (the printer's Title), from which the preview window
  // names the file it saves and the subject it mails; empty by default.
  TW_PROPERTY(QString, ReportTitle, )
  // The paper orientation of the pages (default poPortrait); it sets Width and Height.
  TW_PROPERTY_DEFAULT(Tarnwell::QuickRptTypes::TPrinterOrientation, Orientation, poPortrait, )
  // How many copies Print makes, 1 to 999 (default 1); PrinterSetup takes the dialog's count.
  TW_PROPERTY_FIXED_DEFAULT(int, Copies, 1, std::clamp(value, 1, 999), )
  // How many records OnNeedData will give, when known: the progress.
  TW_PROPERTY_FIXED(int, RecordCount, std::max(0, value), )

 public:
  explicit TQuickRep(QObject* parent = nullptr);
  ~TQuickRep() override;

  // The page in 96-dpi units for the orientation.
  int Width() const { return ReportPageSize(mOrientation).width(); }
  int Height() const { return ReportPageSize(mOrientation).height(); }
  TQRBand* Detail() const { return mDetail; }
  TQRPrinter* QRPrinter() const { return mQRPrinter; }
  // The system printer (created on first use).
  QPrinter* Printer();

  // Asked before each record; MoreData := whether one follows. Without it
  // the report has exactly one record.
  std::function<void(TQuickRep* sender, bool& MoreData)> OnNeedData;
  // Called (and PreviewRequested emitted) when a preview starts, before the
  // pages are produced: the program shows its preview window here.
  std::function<void(TQuickRep* sender)> OnPreview;
  // Called (and PreviewFinished emitted) once the preview's pages are done.
  std::function<void(TQuickRep* sender)> AfterPreview;
  // A report that never stops asking for records ends here.
  static constexpr int MaxPages = 100000;

  // The render loop: produces the pages into QRPrinter().
  void Prepare();
  bool Preparing() const { return mPreparing; }
  void Preview();
  // Prints the finished pages (producing them first when there are none)
  // with Copies copies.
  bool Print(QString* error = nullptr);
  // The printer set-up dialog (through the dialog hook); Copies follows it.
  bool PrinterSetup();
  bool ExportToPdf(const QString& fileName, QString* error = nullptr);

 Q_SIGNALS:
  // Emitted when Preview starts, before the pages are produced (OnPreview is called after it).
  void PreviewRequested(Tarnwell::TQuickRep* sender);
  // Emitted when the preview's pages are done (AfterPreview is called after it).
  void PreviewFinished(Tarnwell::TQuickRep* sender);

 private:
  QString mReportTitle;
  TPrinterOrientation mOrientation = poPortrait;
  int mCopies = 1;
  int mRecordCount = 0;
  TQRBand* mDetail;
  TQRPrinter* mQRPrinter;
  std::unique_ptr<QPrinter> mPrinter;
  bool mPreparing = false;
};

// ---- TQRPreview --------------------------------------------------------------

// Shows one page of a printer object at Zoom percent of its 96-dpi size,
// with scroll bars that track.
class TARNWELL_APP_EXPORT TQRPreview : public QAbstractScrollArea {
  Q_OBJECT
  // From 1; kept within the printer's pages.
  TW_PROPERTY_SETTER(int, PageNumber)
  // Percent, 5 to 1000.
  TW_PROPERTY_SETTER(int, Zoom)

 public:
  explicit TQRPreview(QWidget* parent = nullptr);
  ~TQRPreview() override;

  TQRPrinter* QRPrinter() const { return mQRPrinter; }
  void SetQRPrinter(TQRPrinter* p);
  int PageCount() const { return mQRPrinter ? mQRPrinter->PageCount() : 0; }
  // The page at the current zoom in pixels.
  QSize ZoomedPageSize() const;
  static constexpr int PageMargin = 10;

  // The first page of a report can be shown.
  std::function<void(TObject* sender)> OnPageAvailable;
  // Percent of the report produced.
  std::function<void(TObject* sender, int progress)> OnProgressUpdate;
  QSize sizeHint() const override { return {400, 300}; }

 Q_SIGNALS:
  // Emitted once the first page of the report can be shown (OnPageAvailable is called after it).
  void PageAvailable(QObject* sender);
  // The printer's progress in percent while the report is produced (OnProgressUpdate is called
  // after it).
  void ProgressUpdate(QObject* sender, int progress);
  // The number of pages the preview can show changed: a page arrived, the document finished,
  // or the printer was cleared or replaced.
  void PageCountChanged(int count);

 protected:
  void paintEvent(QPaintEvent*) override;
  void resizeEvent(QResizeEvent*) override;
  void scrollContentsBy(int dx, int dy) override;

 private:
  void UpdateScrollBars();
  void Reset();
  void OnPrinterPage(int page);
  int mPageNumber = 1;
  int mZoom = 100;
  QPointer<TQRPrinter> mQRPrinter;
  QList<QMetaObject::Connection> mConnections;
  mutable QImage mCache;
  mutable int mCachePage = 0;
  mutable QSize mCacheSize;
};

}  // namespace Tarnwell
