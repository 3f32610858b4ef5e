#include "QuickRpt.h"

#include <QBuffer>
#include <QFile>
#include <QPageLayout>
#include <QPageSize>
#include <QPainter>
#include <QPaintEvent>
#include <QPdfDocument>
#include <QPdfWriter>
#include <QPrintDialog>
#include <QPrinter>
#include <QScrollBar>
#include <algorithm>
#include <cmath>

#include <Tarnwell/platform/TDialogs.h>
#include <Tarnwell/platform/TFileWriter.h>
#include <Tarnwell/platform/THourglass.h>

#include <Tarnwell/platform/TAccessible.h>

TARNWELL_LIBRARY_ACCESSIBLE(app)

namespace Tarnwell {

QSize ReportPageSize(TPrinterOrientation o) {
  const QSize a4 = QPageSize(QPageSize::A4).sizePixels(96);
  return o == poLandscape ? a4.transposed() : a4;
}

namespace {

// Playing a picture scales it by the device's resolution over the
// picture's own; the callers place pictures in their own units, so that
// factor is taken out again.
void PlayPicture(QPainter& p, const QPicture& pic) {
  if (const QPaintDevice* d = p.device()) {
    const double fx = double(d->logicalDpiX()) / pic.logicalDpiX();
    const double fy = double(d->logicalDpiY()) / pic.logicalDpiY();
    if (fx != 1.0 || fy != 1.0) p.scale(1.0 / fx, 1.0 / fy);
  }
  p.drawPicture(0, 0, pic);
}

QPageLayout A4Layout(TPrinterOrientation o) {
  return QPageLayout(QPageSize(QPageSize::A4),
                     o == poLandscape ? QPageLayout::Landscape : QPageLayout::Portrait, QMarginsF(0, 0, 0, 0));
}

// Counts a nesting level for the duration of a scope.
struct TBusyScope {
  int& n;
  explicit TBusyScope(int& c) : n(c) { ++n; }
  ~TBusyScope() { --n; }
};

}  // namespace

// ---- TQRPrinter --------------------------------------------------------------

TQRPrinter::TQRPrinter(QObject* parent) : QObject(parent), mPageSize(ReportPageSize(poPortrait)) {}

TQRPrinter::~TQRPrinter() {
  mPainter.reset();
}

int TQRPrinter::PageCount() const {
  if (mPdfDoc) return mPdfDoc->pageCount();
  return int(mPages.size());
}

void TQRPrinter::Clear() {
  mPainter.reset();
  mCurrent.reset();
  mCurrentItems.clear();
  mPageOpen = false;
  mPages.clear();
  mPdfDoc.reset();
  mPdfBuffer.reset();
  mPdf.clear();
  mFinished = false;
  Q_EMIT Cleared();
}

void TQRPrinter::BeginDocument(const QString& title, TPrinterOrientation o) {
  Clear();
  mTitle = title;
  mOrientation = o;
  mPageSize = ReportPageSize(o);
}

QPainter* TQRPrinter::NewPage() {
  if (mPageOpen) EndPage();
  mPageOpen = true;
  mCurrent = std::make_unique<QPicture>();
  mPainter = std::make_unique<QPainter>(mCurrent.get());
  mPainter->setClipRect(QRect(QPoint(0, 0), mPageSize));
  return mPainter.get();
}

void TQRPrinter::EndPage() {
  if (!mPageOpen) return;
  mPageOpen = false;
  if (mPainter) mPainter->end();
  mPainter.reset();
  TPage page;
  page.Drawn = *mCurrent;
  page.Items = std::move(mCurrentItems);
  mCurrentItems.clear();
  mPages.append(std::move(page));
  mCurrent.reset();
  Q_EMIT PageAvailable(int(mPages.size()));
}

void TQRPrinter::AddPicture(const QPicture& pic, const QRect& box, double sx, double sy) {
  if (!mPageOpen) NewPage();
  TPageItem item;
  item.Picture = pic;
  item.Box = box;
  item.Sx = sx;
  item.Sy = sy;
  mCurrentItems.append(std::move(item));
}

void TQRPrinter::AddImage(const QImage& img, const QRectF& target, const QRect& box) {
  if (!mPageOpen) NewPage();
  TPageItem item;
  item.Image = img;
  item.Target = target;
  item.Box = box;
  mCurrentItems.append(std::move(item));
}

void TQRPrinter::EndDocument() {
  EndPage();
  mFinished = true;
  Q_EMIT Progress(100);
  Q_EMIT DocumentFinished(PageCount());
}

void TQRPrinter::SetProgress(int percent) { Q_EMIT Progress(std::clamp(percent, 0, 100)); }

bool TQRPrinter::LoadPdf(const QByteArray& pdf, QString* error) {
  auto buffer = std::make_unique<QBuffer>();
  buffer->setData(pdf);
  buffer->open(QIODevice::ReadOnly);
  auto doc = std::make_unique<QPdfDocument>();
  doc->load(buffer.get());
  if (doc->status() != QPdfDocument::Status::Ready || doc->pageCount() <= 0) {
    if (error) {
      *error = doc->error() == QPdfDocument::Error::None
                   ? QStringLiteral("the PDF has no pages")
                   : QStringLiteral("Qt PDF cannot read it (error %1)").arg(int(doc->error()));
    }
    return false;
  }
  Clear();
  const QSizeF pts = doc->pagePointSize(0);
  mOrientation = pts.width() > pts.height() ? poLandscape : poPortrait;
  mPageSize = ReportPageSize(mOrientation);
  mTitle = doc->metaData(QPdfDocument::MetaDataField::Title).toString();
  mPdf = pdf;
  mPdfBuffer = std::move(buffer);
  mPdfDoc = std::move(doc);
  mFinished = true;
  Q_EMIT PageAvailable(1);
  Q_EMIT Progress(100);
  Q_EMIT DocumentFinished(PageCount());
  return true;
}

void TQRPrinter::PaintPage(QPainter& p, int page, const QRectF& target) const {
  if (page < 1 || page > PageCount() || target.isEmpty()) return;
  if (mPdfDoc) {
    // A loaded page is rendered at the pixel size it takes on the device.
    const QRectF dev = p.transform().mapRect(target);
    QSizeF want(std::max(1.0, dev.width()), std::max(1.0, dev.height()));
    // A printer's resolution would ask for a picture of hundreds of
    // megabytes; 300 dpi on A4 is plenty for a page already rendered once.
    const double cap = double(mPageSize.width()) * mPageSize.height() * (300.0 / 96) * (300.0 / 96);
    if (want.width() * want.height() > cap) want *= std::sqrt(cap / (want.width() * want.height()));
    const QSize px(std::max(1, qRound(want.width())), std::max(1, qRound(want.height())));
    const QImage img = mPdfDoc->render(page - 1, px);
    p.drawImage(target, img);
    return;
  }
  p.save();
  p.setClipRect(target, Qt::IntersectClip);
  p.translate(target.topLeft());
  p.scale(target.width() / mPageSize.width(), target.height() / mPageSize.height());
  const TPage& pg = mPages[page - 1];
  if (!pg.Drawn.isNull()) {
    p.save();
    PlayPicture(p, pg.Drawn);
    p.restore();
  }
  for (const TPageItem& item : pg.Items) {
    p.save();
    p.setClipRect(item.Box, Qt::IntersectClip);
    if (!item.Image.isNull()) {
      p.drawImage(item.Target, item.Image);
    } else {
      p.translate(item.Box.topLeft());
      p.scale(item.Sx, item.Sy);
      PlayPicture(p, item.Picture);
    }
    p.restore();
  }
  p.restore();
}

QImage TQRPrinter::PageImage(int page, const QSize& size) const {
  QImage img(size, QImage::Format_RGB32);
  img.fill(Qt::white);
  QPainter p(&img);
  p.setRenderHint(QPainter::Antialiasing);
  p.setRenderHint(QPainter::SmoothPixmapTransform);
  PaintPage(p, page, QRectF(QPointF(0, 0), QSizeF(size)));
  return img;
}

bool TQRPrinter::RenderTo(QPagedPaintDevice& device, int copies, QString* error) {
  const int n = PageCount();
  if (n <= 0) {
    if (error) *error = QStringLiteral("il report non ha pagine");
    return false;
  }
  TBusyScope busy(mBusy);
  device.setPageLayout(A4Layout(mOrientation));
  QPainter p;
  if (!p.begin(&device)) {
    if (error) *error = QStringLiteral("la stampante o il file di destinazione non è disponibile");
    return false;
  }
  // 96-dpi page units to the device's pixels.
  const QRectF target(0, 0, mPageSize.width(), mPageSize.height());
  p.scale(device.logicalDpiX() / 96.0, device.logicalDpiY() / 96.0);
  copies = std::max(1, copies);
  const int total = n * copies;
  int done = 0;
  for (int c = 0; c < copies; ++c) {
    for (int i = 1; i <= n; ++i) {
      if (done > 0 && !device.newPage()) {
        if (error) *error = QStringLiteral("la destinazione ha rifiutato una nuova pagina");
        p.end();
        return false;
      }
      PaintPage(p, i, target);
      Q_EMIT RenderProgress(++done, total);
    }
  }
  if (!p.end()) {
    if (error) *error = QStringLiteral("la stampa non si è potuta completare");
    return false;
  }
  return true;
}

bool TQRPrinter::Print(QPrinter& printer, QString* error) {
  const int copies = printer.supportsMultipleCopies() ? 1 : printer.copyCount();
  if (!mTitle.isEmpty()) printer.setDocName(mTitle);
  return RenderTo(printer, copies, error);
}

bool TQRPrinter::SaveToPdf(QIODevice& out, QString* error) {
  if (!mPdf.isEmpty()) {
    if (out.write(mPdf) != mPdf.size()) {
      if (error) *error = out.errorString();
      return false;
    }
    return true;
  }
  QPdfWriter w(&out);
  w.setTitle(mTitle);
  w.setCreator(QStringLiteral("Tarnwell"));
  // 600 dpi keeps picture placement exact to 1/6 of a screen pixel.
  w.setResolution(600);
  return RenderTo(w, 1, error);
}

bool TQRPrinter::SaveToPdf(const QString& fileName, QString* error) {
  // The PDF writer ignores failed writes; the file writer keeps the first
  // one and then refuses to put the file in place.
  TFileWriter f(fileName);
  if (!f.open()) {
    if (error) *error = f.errorString();
    return false;
  }
  if (!SaveToPdf(f, error)) {
    if (error && f.Failed()) *error = f.errorString();
    return false;
  }
  if (!f.Commit()) {
    if (error) *error = f.errorString();
    return false;
  }
  return true;
}

// ---- TQRImage / TQRBand ------------------------------------------------------

TQRImage::TQRImage(TQRBand* band) : QObject(band) {
  if (band) band->AddControl(this);
}

void TQRImage::SetPicture(const TMetafile& mf) {
  mMetafile = mf;
  mImage = QImage();
}

void TQRImage::SetPicture(const QImage& img) {
  mImage = img;
  mMetafile = TMetafile();
}

void TQRImage::ClearPicture() {
  mImage = QImage();
  mMetafile = TMetafile();
}

void TQRImage::Print(QPainter& p, const QPoint& origin) const {
  if (mWidth <= 0 || mHeight <= 0) return;
  const QRect box(origin + QPoint(mLeft, mTop), QSize(mWidth, mHeight));
  p.save();
  p.setClipRect(box, Qt::IntersectClip);
  if (!mMetafile.Empty()) {
    p.translate(box.topLeft());
    if (mStretch) p.scale(double(mWidth) / mMetafile.Width(), double(mHeight) / mMetafile.Height());
    PlayPicture(p, mMetafile.Picture());
  } else if (!mImage.isNull()) {
    if (mStretch)
      p.drawImage(QRectF(box), mImage);
    else
      p.drawImage(box.topLeft(), mImage);
  }
  p.restore();
}

void TQRImage::Print(TQRPrinter& out, const QPoint& origin) const {
  if (mWidth <= 0 || mHeight <= 0) return;
  const QRect box(origin + QPoint(mLeft, mTop), QSize(mWidth, mHeight));
  if (!mMetafile.Empty()) {
    if (mStretch)
      out.AddPicture(mMetafile.Picture(), box, double(mWidth) / mMetafile.Width(),
                     double(mHeight) / mMetafile.Height());
    else
      out.AddPicture(mMetafile.Picture(), box);
  } else if (!mImage.isNull()) {
    out.AddImage(mImage, mStretch ? QRectF(box) : QRectF(box.topLeft(), QSizeF(mImage.size())), box);
  }
}

TQRBand::TQRBand(QObject* parent) : QObject(parent) {}

QList<TQRImage*> TQRBand::Controls() const {
  QList<TQRImage*> r;
  for (const auto& c : mControls)
    if (c) r.append(c);
  return r;
}

void TQRBand::AddControl(TQRImage* c) {
  if (c && !mControls.contains(c)) mControls.append(c);
}

void TQRBand::Print(QPainter& p, int top) const {
  for (const auto& c : mControls)
    if (c) c->Print(p, QPoint(0, top));
}

void TQRBand::Print(TQRPrinter& out, int top) const {
  for (const auto& c : mControls)
    if (c) c->Print(out, QPoint(0, top));
}

// ---- TQuickRep ---------------------------------------------------------------

TQuickRep::TQuickRep(QObject* parent)
    : QObject(parent), mDetail(new TQRBand(this)), mQRPrinter(new TQRPrinter(this)) {
  mDetail->setObjectName(QStringLiteral("Detail"));
}

TQuickRep::~TQuickRep() = default;

QPrinter* TQuickRep::Printer() {
  if (!mPrinter) mPrinter = std::make_unique<QPrinter>(QPrinter::HighResolution);
  return mPrinter.get();
}

void TQuickRep::Prepare() {
  if (mPreparing) throw EInvalidOperation(QStringLiteral("the report is already being produced"));
  mPreparing = true;
  struct TDone {
    bool& flag;
    ~TDone() { flag = false; }
  } done{mPreparing};
  TQRPrinter& out = *mQRPrinter;
  out.BeginDocument(mReportTitle, mOrientation);
  const int pageH = Height();
  QPainter* page = nullptr;
  int y = 0, records = 0;
  try {
    for (;;) {
      bool more = records == 0;
      if (OnNeedData) OnNeedData(this, more);
      if (!more) break;
      ++records;
      bool print = true;
      Q_EMIT mDetail->Printing(mDetail);
      if (mDetail->BeforePrint) mDetail->BeforePrint(mDetail, print);
      if (print) {
        const int h = mDetail->Height();
        // A band that does not fit goes to a new page; one taller than a
        // page is cut at the page's foot rather than spread over pages.
        if (!page || (y > 0 && y + h > pageH)) {
          if (out.PageCount() >= MaxPages)
            throw ETarnwellError(QStringLiteral("the report passes %1 pages").arg(MaxPages));
          page = out.NewPage();
          y = 0;
        }
        mDetail->Print(out, y);
        y += h;
      }
      if (mRecordCount > 0) out.SetProgress(int(qint64(records) * 100 / mRecordCount));
    }
  } catch (...) {
    out.EndDocument();
    throw;
  }
  out.EndDocument();
}

void TQuickRep::Preview() {
  TW_FIRE(OnPreview, PreviewRequested, this);
  Prepare();
  TW_FIRE(AfterPreview, PreviewFinished, this);
}

bool TQuickRep::Print(QString* error) {
  if (mQRPrinter->PageCount() == 0 && !mPreparing) Prepare();
  QPrinter* pr = Printer();
  pr->setCopyCount(mCopies);
  pr->setPageLayout(A4Layout(mOrientation));
  THourglass busy;
  return mQRPrinter->Print(*pr, error);
}

bool TQuickRep::PrinterSetup() {
  QPrinter* pr = Printer();
  pr->setCopyCount(mCopies);
  pr->setPageOrientation(mOrientation == poLandscape ? QPageLayout::Landscape : QPageLayout::Portrait);
  QPrintDialog dlg(pr);
  dlg.setOption(QAbstractPrintDialog::PrintToFile);
  const bool ok = ExecModal(dlg) == QDialog::Accepted;
  setCopies(pr->copyCount());
  return ok;
}

bool TQuickRep::ExportToPdf(const QString& fileName, QString* error) {
  if (mQRPrinter->PageCount() == 0 && !mPreparing) Prepare();
  THourglass busy;
  return mQRPrinter->SaveToPdf(fileName, error);
}

// ---- TQRPreview --------------------------------------------------------------

TQRPreview::TQRPreview(QWidget* parent) : QAbstractScrollArea(parent) {
  setObjectName(QStringLiteral("QRPreview"));
  setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
  setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
  viewport()->setBackgroundRole(QPalette::Dark);
  viewport()->setAutoFillBackground(true);
  horizontalScrollBar()->setSingleStep(20);
  verticalScrollBar()->setSingleStep(20);
}

TQRPreview::~TQRPreview() = default;

void TQRPreview::setPageNumber(int value) {
  value = std::clamp(value, 1, std::max(1, PageCount()));
  if (value == mPageNumber) return;
  mPageNumber = value;
  mCachePage = 0;
  viewport()->update();
  Q_EMIT PageNumberChanged(mPageNumber);
}

void TQRPreview::setZoom(int value) {
  value = std::clamp(value, 5, 1000);
  if (value == mZoom) return;
  mZoom = value;
  mCachePage = 0;
  UpdateScrollBars();
  viewport()->update();
  Q_EMIT ZoomChanged(mZoom);
}

void TQRPreview::SetQRPrinter(TQRPrinter* p) {
  if (p == mQRPrinter) return;
  for (const auto& c : mConnections) disconnect(c);
  mConnections.clear();
  mQRPrinter = p;
  if (p) {
    mConnections << connect(p, &TQRPrinter::PageAvailable, this, &TQRPreview::OnPrinterPage);
    mConnections << connect(p, &TQRPrinter::Progress, this, [this](int percent) {
      TW_FIRE(OnProgressUpdate, ProgressUpdate, this, percent);
    });
    mConnections << connect(p, &TQRPrinter::Cleared, this, &TQRPreview::Reset);
    mConnections << connect(p, &TQRPrinter::DocumentFinished, this, [this](int n) {
      mCachePage = 0;
      UpdateScrollBars();
      viewport()->update();
      Q_EMIT PageCountChanged(n);
    });
    mConnections << connect(p, &QObject::destroyed, this, &TQRPreview::Reset);
  }
  Reset();
}

void TQRPreview::Reset() {
  mCachePage = 0;
  mCache = QImage();
  if (mPageNumber != 1) {
    mPageNumber = 1;
    Q_EMIT PageNumberChanged(1);
  }
  UpdateScrollBars();
  viewport()->update();
  Q_EMIT PageCountChanged(PageCount());
}

void TQRPreview::OnPrinterPage(int page) {
  if (page == mPageNumber) mCachePage = 0;
  UpdateScrollBars();
  viewport()->update();
  Q_EMIT PageCountChanged(page);
  if (page == 1) TW_FIRE(OnPageAvailable, PageAvailable, this);
}

QSize TQRPreview::ZoomedPageSize() const {
  const QSize s = mQRPrinter ? mQRPrinter->PageSize() : ReportPageSize(poPortrait);
  return {std::max(1, int(qint64(s.width()) * mZoom / 100)), std::max(1, int(qint64(s.height()) * mZoom / 100))};
}

void TQRPreview::UpdateScrollBars() {
  const QSize content = ZoomedPageSize() + QSize(2 * PageMargin, 2 * PageMargin);
  const QSize vp = viewport()->size();
  horizontalScrollBar()->setPageStep(vp.width());
  verticalScrollBar()->setPageStep(vp.height());
  horizontalScrollBar()->setRange(0, std::max(0, content.width() - vp.width()));
  verticalScrollBar()->setRange(0, std::max(0, content.height() - vp.height()));
}

void TQRPreview::resizeEvent(QResizeEvent* e) {
  QAbstractScrollArea::resizeEvent(e);
  UpdateScrollBars();
}

void TQRPreview::scrollContentsBy(int, int) { viewport()->update(); }

void TQRPreview::paintEvent(QPaintEvent*) {
  QPainter p(viewport());
  const QSize page = ZoomedPageSize();
  const QSize vp = viewport()->size();
  // Centred while it is narrower than the view, scrolled otherwise.
  const int x = page.width() + 2 * PageMargin <= vp.width() ? (vp.width() - page.width()) / 2
                                                            : PageMargin - horizontalScrollBar()->value();
  const int y = page.height() + 2 * PageMargin <= vp.height() ? (vp.height() - page.height()) / 2
                                                              : PageMargin - verticalScrollBar()->value();
  const int n = PageCount();
  if (!mQRPrinter || n <= 0 || mPageNumber > n) return;
  if (mCachePage != mPageNumber || mCacheSize != page || mCache.isNull()) {
    if (mZoom < 100) {
      // Small text drawn small loses its shapes; drawn twice as large and
      // scaled down smoothly it stays readable.
      mCache = mQRPrinter->PageImage(mPageNumber, page * 2)
                   .scaled(page, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
    } else {
      mCache = mQRPrinter->PageImage(mPageNumber, page);
    }
    mCachePage = mPageNumber;
    mCacheSize = page;
  }
  p.fillRect(QRect(x + 3, y + 3, page.width(), page.height()), QColor(0, 0, 0, 90));
  p.drawImage(x, y, mCache);
  p.setPen(Qt::black);
  p.drawRect(QRect(x - 1, y - 1, page.width() + 1, page.height() + 1));
}

}  // namespace Tarnwell
