#include "FileList.h"
#include "FileList_p.h"

#include <sys/stat.h>
#include <time.h>

#include <QApplication>
#include <QDesktopServices>
#include <QDir>
#include <QDragEnterEvent>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QHeaderView>
#include <QKeyEvent>
#include <QListView>
#include <QMimeData>
#include <QProcess>
#include <QSet>
#include <QProgressDialog>
#include <QThread>
#include <QTimer>
#include <QTreeView>
#include <QUrl>
#include <QStackedLayout>

#include "ChangeNotify.h"
#include "DirCombo.h"
#include "DropSource.h"
#include "FileIcons.h"
#include "FileListModel_p.h"
#include "FileListPopup.h"
#include "FileOps.h"
#include "FileViewTexts.h"
#include <Tarnwell/platform/TDialogs.h>
#include <Tarnwell/platform/THourglass.h>

#include <Tarnwell/platform/TAccessible.h>

TARNWELL_LIBRARY_ACCESSIBLE(fileview)

namespace Tarnwell {

namespace {

// Rows are handed to the view in small steps, as many as fit in a time
// slice per turn of the event loop, so that the loop never waits long.
constexpr size_t kStepRows = 250;
constexpr qint64 kSliceMs = 12;

bool Exists(const QByteArray& p) {
  struct stat st;
  return ::lstat(p.constData(), &st) == 0;
}

bool IsFolderRaw(const QByteArray& p) {
  struct stat st;
  return !p.isEmpty() && ::stat(p.constData(), &st) == 0 && S_ISDIR(st.st_mode);
}

// "a//b/./c/" -> "a/b/c", on the bytes (no trip through text).
QByteArray CleanRaw(const QByteArray& p) {
  QList<QByteArray> parts;
  for (const QByteArray& c : p.split('/')) {
    if (c.isEmpty() || c == ".") continue;
    if (c == "..") {
      if (!parts.isEmpty()) parts.removeLast();
      continue;
    }
    parts << c;
  }
  return '/' + parts.join('/');
}

QByteArray CurrentDirRaw() {
  char buf[4096];
  return ::getcwd(buf, sizeof buf) ? QByteArray(buf) : QFile::encodeName(QDir::currentPath());
}

bool SamePlace(const QString& a, const QString& b) {
  if (IsSpecialPlace(a) || IsSpecialPlace(b)) return a.compare(b, Qt::CaseInsensitive) == 0;
  return a == b;  // file names differ by case on this system
}

TFileOpenHook& OpenHook() {
  static TFileOpenHook h;
  return h;
}

}  // namespace

// ---- the model ----------------------------------------------------------------

TFileListModel::TFileListModel(TFileListViewLite* view) : QAbstractTableModel(view), mView(view) {}

int TFileListModel::rowCount(const QModelIndex& parent) const {
  return parent.isValid() ? 0 : int(Items.size());
}
int TFileListModel::columnCount(const QModelIndex& parent) const { return parent.isValid() ? 0 : 5; }

QVariant TFileListModel::data(const QModelIndex& index, int role) const {
  if (!index.isValid() || index.row() >= int(Items.size())) return QVariant();
  const TFileItem& it = Items[size_t(index.row())];
  const int c = index.column();
  switch (role) {
    case Qt::DisplayRole:
    case Qt::EditRole:
      return c == 0 ? it.Caption : mView->SubItem(index.row(), c - 1);
    case Qt::DecorationRole:
      if (c == 0) return FileItemIcon(it);
      break;
    case Qt::TextAlignmentRole:
      if (c == 1 || c == 4) return int(Qt::AlignRight | Qt::AlignVCenter);
      if (LargeIcons) return int(Qt::AlignHCenter | Qt::AlignTop);
      return int(Qt::AlignLeft | Qt::AlignVCenter);
    case Qt::SizeHintRole:
      // The icon view's items share one size (uniform sizes keep large
      // folders quick): the whole grid cell, not the first name's width.
      if (LargeIcons && c == 0) return QSize(92, 72);
      break;
    case Qt::ToolTipRole:
      if (!it.Target.isEmpty()) return it.Target;
      break;
    default: break;
  }
  return QVariant();
}

QVariant TFileListModel::headerData(int section, Qt::Orientation o, int role) const {
  if (o != Qt::Horizontal) return QVariant();
  if (role == Qt::DisplayRole && section >= 0 && section < 5) return mView->Text(ftName + section);
  if (role == Qt::TextAlignmentRole)
    return int((section == 1 || section == 4 ? Qt::AlignRight : Qt::AlignLeft) | Qt::AlignVCenter);
  return QVariant();
}

Qt::ItemFlags TFileListModel::flags(const QModelIndex& index) const {
  if (!index.isValid()) return Qt::ItemIsDropEnabled;
  Qt::ItemFlags f = Qt::ItemIsEnabled | Qt::ItemIsSelectable;
  const TFileItem& it = Items[size_t(index.row())];
  if (index.column() == 0 && !mView->ReadOnly() && !IsSpecialPlace(mView->Directory()) &&
      (it.Kind == TItemKind::File || it.Kind == TItemKind::Folder || it.Kind == TItemKind::Link))
    f |= Qt::ItemIsEditable;
  if (it.Kind == TItemKind::Folder) f |= Qt::ItemIsDropEnabled;
  return f;
}

bool TFileListModel::setData(const QModelIndex& index, const QVariant& value, int role) {
  if (role != Qt::EditRole || index.column() != 0) return false;
  // The view renames on disk and updates the row itself.
  // By name, not by row: the rows may have changed by the time it runs.
  const TFileItem& it = Items[size_t(index.row())];
  const QByteArray raw = it.Raw;
  const QString text = value.toString();
  if (text == it.Caption) return false;  // accepted unchanged: nothing to rename
  QTimer::singleShot(0, mView, [v = QPointer<TFileListViewLite>(mView), raw, text] {
    if (v) v->RenameEntryRaw(raw, text);
  });
  return false;
}

void TFileListModel::Reset(TFileItems items) {
  beginResetModel();
  Items = std::move(items);
  endResetModel();
}

void TFileListModel::Append(TFileItems::iterator from, TFileItems::iterator to) {
  if (from == to) return;
  const int first = int(Items.size());
  beginInsertRows(QModelIndex(), first, first + int(to - from) - 1);
  Items.insert(Items.end(), std::make_move_iterator(from), std::make_move_iterator(to));
  endInsertRows();
}

TFileItems TFileListModel::Take() {
  beginResetModel();
  TFileItems out = std::move(Items);
  Items.clear();
  endResetModel();
  return out;
}

void TFileListModel::RemoveRaw(const QSet<QByteArray>& names) {
  for (int r = int(Items.size()) - 1; r >= 0; --r) {
    if (!names.contains(Items[size_t(r)].Raw)) continue;
    beginRemoveRows(QModelIndex(), r, r);
    Items.erase(Items.begin() + r);
    endRemoveRows();
  }
}

void TFileListModel::Replace(int row, TFileItem item) {
  Items[size_t(row)] = std::move(item);
  Q_EMIT dataChanged(index(row, 0), index(row, 4));
}

// ---- the view -------------------------------------------------------------------

TFileListViewLite::TFileListViewLite(QWidget* parent) : QWidget(parent) {
  mFont.changed = [this] { Q_EMIT FontChanged(font()); };
  mColorView.changed = [this] { Q_EMIT ColorChanged(ColorQColor()); };
  mDirBytes = CurrentDirRaw();  // read, never changed
  mDirectory = DisplayName(mDirBytes);
  mTextBase = LanguageBase(mLanguage);
  mModel = new TFileListModel(this);

  mList = new QListView(this);
  mTree = new QTreeView(this);
  mList->setModel(mModel);
  mTree->setModel(mModel);
  mSelection = mTree->selectionModel();
  QItemSelectionModel* own = mList->selectionModel();
  mList->setSelectionModel(mSelection);  // both views show one selection
  delete own;
  mTree->setRootIsDecorated(false);
  mTree->setUniformRowHeights(true);
  mTree->setItemsExpandable(false);
  mTree->setAllColumnsShowFocus(true);
  mTree->header()->setSectionsClickable(true);
  mTree->header()->setSortIndicatorShown(false);
  mTree->header()->setStretchLastSection(false);
  const int widths[] = {135, 60, 125, 120, 50};
  for (int i = 0; i < 5; ++i) mTree->setColumnWidth(i, widths[i]);
  connect(mTree->header(), &QHeaderView::sectionClicked, this, &TFileListViewLite::HeaderClicked);
  mList->setUniformItemSizes(true);
  mList->setLayoutMode(QListView::Batched);
  mList->setBatchSize(2000);
  mList->setMovement(QListView::Static);
  mList->setResizeMode(QListView::Adjust);
  for (QAbstractItemView* v : {static_cast<QAbstractItemView*>(mList), static_cast<QAbstractItemView*>(mTree)}) {
    v->setSelectionMode(QAbstractItemView::SingleSelection);
    v->setEditTriggers(QAbstractItemView::EditKeyPressed | QAbstractItemView::SelectedClicked);
    v->setContextMenuPolicy(Qt::CustomContextMenu);
    v->setAcceptDrops(true);
    v->setDragDropMode(QAbstractItemView::DropOnly);
    v->installEventFilter(this);
    v->viewport()->installEventFilter(this);
    v->viewport()->setAcceptDrops(true);
    connect(v, &QAbstractItemView::doubleClicked, this, [this](const QModelIndex& i) {
      if (!i.isValid()) return;
      SelectRow(i.row());
      ActivateSelected();
    });
    connect(v, &QWidget::customContextMenuRequested, this, [this, v](const QPoint& p) {
      if (mPoPupMenuEnabled && mPopup) mPopup->Popup(v->viewport()->mapToGlobal(p));
    });
  }
  connect(mSelection, &QItemSelectionModel::selectionChanged, this, &TFileListViewLite::SelectionChanged);
  connect(mSelection, &QItemSelectionModel::currentChanged, this, &TFileListViewLite::SelectionChanged);

  // One of the two views shows at a time; switching is immediate.
  mStack = new QStackedLayout(this);
  mStack->setContentsMargins(0, 0, 0, 0);
  mStack->addWidget(mList);
  mStack->addWidget(mTree);
  setFocusProxy(mList);

  mBatchTimer = new QTimer(this);
  mBatchTimer->setInterval(0);
  connect(mBatchTimer, &QTimer::timeout, this, &TFileListViewLite::AppendBatch);

  mWatcher = new TShellChangeNotifyThread(this);
  mDragSource = new TDropFileSource(this);
  mPopup = new TFileListLitePopup(this);
  mPopup->BuildMenu(mTextBase);
  ApplyViewStyle();
  ApplySelectionLook();
}

TFileListViewLite::~TFileListViewLite() {
  mWatcher->Callback = nullptr;
  mWatcher->Watch(QString());
  if (mWorker) {
    if (mCancel) mCancel->store(true);
    mWorker->wait();
    delete mWorker;
  }
}

QString TFileListViewLite::Text(int offset) const { return FileViewString(mTextBase + offset); }

TColor TFileListViewLite::Color() const { return mColorView.Color(); }
void TFileListViewLite::setColor(TColor value) {
  mColorView.SetColor(value);
  for (QWidget* w : {mList->viewport(), mTree->viewport()}) {
    QPalette p = w->palette();
    p.setColor(QPalette::Base, ToQColor(value, palette()));
    w->setPalette(p);
  }
}

// ---- properties -----------------------------------------------------------------

TDirectoryComboLite* TFileListViewLite::DirCombo() const { return mDirCombo; }
TFileNameEditLite* TFileListViewLite::FileEdit() const { return mFileEdit; }

void TFileListViewLite::setDirCombo(TDirectoryComboLite* combo) {
  if (mDirCombo == combo) return;
  mDirCombo = combo;
  if (combo && !SamePlace(combo->Directory(), mDirectory)) combo->SetDirectory(mDirectory);
  Q_EMIT DirComboChanged(combo);
}

void TFileListViewLite::setFileEdit(TFileNameEditLite* edit) {
  if (mFileEdit == edit) return;
  mFileEdit = edit;
  if (edit) edit->setText(SelectedName());
  Q_EMIT FileEditChanged(edit);
}

void TFileListViewLite::setFileViewType(TFileListViewType value) {
  if (value == mFileViewType) return;
  mFileViewType = value;
  Restart();
  Q_EMIT FileViewTypeChanged(value);
}

void TFileListViewLite::setLanguage(TFileViewLanguage value) {
  if (value == mLanguage) return;
  mLanguage = value;
  mTextBase = LanguageBase(value);
  mPopup->BuildMenu(mTextBase);
  mModel->HeaderTextsChanged();
  if (IsSpecialPlace(mDirectory)) Refresh();  // their captions are texts too
  Q_EMIT LanguageChanged(value);
}

void TFileListViewLite::setMask(QString value) {
  if (value == mMask) return;
  if (!TFileMask::Validate(value)) return;  // a mask naming a folder is refused
  mMask = value;
  Restart();
  Q_EMIT MaskChanged(mMask);
}

void TFileListViewLite::setSortedBy(TSortedBy value) {
  if (value == mSortedBy) return;
  mSortedBy = value;
  SortBy(value);
  Q_EMIT SortedByChanged(value);
}

void TFileListViewLite::setViewIconStyle(TViewIconStyle value) {
  if (value == mViewIconStyle) return;
  mViewIconStyle = value;
  ApplyViewStyle();
  TW_FIRE(OnViewChange, ViewChange, this, value);
  Q_EMIT ViewIconStyleChanged(value);
}

void TFileListViewLite::setPoPupMenuEnabled(bool value) {
  if (value == mPoPupMenuEnabled) return;
  mPoPupMenuEnabled = value;
  Q_EMIT PoPupMenuEnabledChanged(value);
}

void TFileListViewLite::setAutoUpdate(bool value) {
  if (value == mAutoUpdate) return;
  mAutoUpdate = value;
  mWatcher->Enabled = value;
  Q_EMIT AutoUpdateChanged(value);
}

void TFileListViewLite::setMultiSelect(bool value) {
  if (value == mMultiSelect) return;
  mMultiSelect = value;
  const auto mode = value ? QAbstractItemView::ExtendedSelection : QAbstractItemView::SingleSelection;
  mList->setSelectionMode(mode);
  mTree->setSelectionMode(mode);
  Q_EMIT MultiSelectChanged(value);
}

void TFileListViewLite::setHideSelection(bool value) {
  if (value == mHideSelection) return;
  mHideSelection = value;
  ApplySelectionLook();
  Q_EMIT HideSelectionChanged(value);
}

void TFileListViewLite::ApplySelectionLook() {
  // Without the focus the selection is drawn as plain rows when hidden.
  for (QAbstractItemView* v : {static_cast<QAbstractItemView*>(mList), static_cast<QAbstractItemView*>(mTree)}) {
    QPalette p = v->palette();
    const QPalette app = QApplication::palette(v);
    p.setBrush(QPalette::Inactive, QPalette::Highlight,
               mHideSelection ? p.brush(QPalette::Inactive, QPalette::Base) : app.brush(QPalette::Inactive, QPalette::Highlight));
    p.setBrush(QPalette::Inactive, QPalette::HighlightedText,
               mHideSelection ? p.brush(QPalette::Inactive, QPalette::Text)
                              : app.brush(QPalette::Inactive, QPalette::HighlightedText));
    v->setPalette(p);
  }
}

void TFileListViewLite::ApplyViewStyle() {
  const bool report = mViewIconStyle == visReport;
  mStack->setCurrentWidget(report ? static_cast<QWidget*>(mTree) : mList);
  setFocusProxy(report ? static_cast<QWidget*>(mTree) : mList);
  switch (mViewIconStyle) {
    case visIcon:
      mList->setViewMode(QListView::IconMode);
      mList->setFlow(QListView::LeftToRight);
      mList->setWrapping(true);
      mList->setIconSize(QSize(32, 32));
      // Room for two lines of a name under the icon; longer names lose
      // their middle, so the start and the extension stay readable.
      mList->setGridSize(QSize(96, 76));
      mList->setWordWrap(true);
      mList->setTextElideMode(Qt::ElideMiddle);
      break;
    case visSmallIcon:
      mList->setViewMode(QListView::ListMode);
      mList->setFlow(QListView::LeftToRight);
      mList->setWrapping(true);
      mList->setIconSize(QSize(16, 16));
      mList->setGridSize(QSize(150, 20));
      mList->setWordWrap(false);
      mList->setTextElideMode(Qt::ElideMiddle);
      break;
    case visList:
    case visReport:
      mList->setViewMode(QListView::ListMode);
      mList->setFlow(QListView::TopToBottom);
      mList->setWrapping(true);
      mList->setIconSize(QSize(16, 16));
      mList->setGridSize(QSize(150, 18));
      mList->setWordWrap(false);
      mList->setTextElideMode(Qt::ElideMiddle);
      break;
  }
  mList->setMovement(QListView::Static);
  // The list view turns drops off for items that cannot be moved; files
  // dropped from outside are still welcome.
  mList->viewport()->setAcceptDrops(true);
  mModel->LargeIcons = mViewIconStyle == visIcon;
}

// ---- items ----------------------------------------------------------------------

int TFileListViewLite::ItemCount() const { return int(mModel->Items.size()); }
const TFileItem& TFileListViewLite::Item(int row) const { return mModel->Items.at(size_t(row)); }
QString TFileListViewLite::Caption(int row) const { return Item(row).Caption; }

QString TFileListViewLite::SubItem(int row, int index) const {
  const TFileItem& it = Item(row);
  switch (index) {
    case 0: return SizeColumnText(it);
    case 1: return it.TypeName;
    case 2: return DateColumnText(it.MTime);
    case 3: return it.AttrText;
    case 4: return it.Name;
    case 5: return it.Target;
    default: return QString();
  }
}

int TFileListViewLite::RowOfName(const QString& name) const {
  for (size_t i = 0; i < mModel->Items.size(); ++i)
    if (mModel->Items[i].Name == name) return int(i);
  return -1;
}

int TFileListViewLite::RowOfRaw(const QByteArray& raw) const {
  for (size_t i = 0; i < mModel->Items.size(); ++i)
    if (mModel->Items[i].Raw == raw) return int(i);
  return -1;
}

QList<int> TFileListViewLite::SelectedRows() const {
  QList<int> rows;
  for (const QModelIndex& i : mSelection->selectedRows(0)) rows << i.row();
  std::sort(rows.begin(), rows.end());
  return rows;
}

void TFileListViewLite::SelectRow(int row, bool keepOthers) {
  if (row < 0 || row >= ItemCount()) return;
  const QModelIndex idx = mModel->index(row, 0);
  const auto flags = QItemSelectionModel::Rows |
                     (keepOthers && mMultiSelect ? QItemSelectionModel::Select : QItemSelectionModel::ClearAndSelect);
  mSelection->setCurrentIndex(idx, flags);
  CurrentView()->scrollTo(idx);
}

void TFileListViewLite::ClearSelection() { mSelection->clearSelection(); }

int TFileListViewLite::SelectionCount() const {
  const int n = int(mSelection->selectedRows(0).size());
  return n ? n : ItemCount();
}

qint64 TFileListViewLite::SelectedSize() const {
  const QList<int> rows = SelectedRows();
  if (rows.isEmpty()) return mTotal;
  qint64 sum = 0;
  for (int r : rows) {
    const TFileItem& it = Item(r);
    if (it.Size > 0 && it.Kind != TItemKind::Folder) sum += it.Size;
  }
  return sum;
}

QAbstractItemView* TFileListViewLite::CurrentView() const {
  return mViewIconStyle == visReport ? static_cast<QAbstractItemView*>(mTree) : mList;
}

bool TFileListViewLite::Special() const { return IsSpecialPlace(mDirectory); }

QString TFileListViewLite::PathOfRow(int row) const { return DisplayName(RawPathOfRow(row)); }

QByteArray TFileListViewLite::RawPathOfRow(int row) const {
  const TFileItem& it = Item(row);
  if (Special() || it.Raw.startsWith('/')) return it.Raw;
  return JoinRaw(mDirBytes, it.Raw);
}

QString TFileListViewLite::SelectedPath() const {
  const QModelIndex cur = mSelection->currentIndex();
  QList<int> rows = SelectedRows();
  if (rows.isEmpty()) return QString();
  const int row = cur.isValid() && mSelection->isRowSelected(cur.row(), QModelIndex()) ? cur.row() : rows.first();
  const TFileItem& it = Item(row);
  if (it.Kind == TItemKind::Link && mResolveLink && !it.Target.isEmpty()) return it.Target;
  return PathOfRow(row);
}

QString TFileListViewLite::SelectedName() const {
  const QList<int> rows = SelectedRows();
  if (rows.isEmpty()) return QString();
  const QModelIndex cur = mSelection->currentIndex();
  const int row = cur.isValid() && mSelection->isRowSelected(cur.row(), QModelIndex()) ? cur.row() : rows.first();
  const TFileItem& it = Item(row);
  switch (it.Kind) {
    case TItemKind::Special:
    case TItemKind::Drive:
    case TItemKind::Folder:
    case TItemKind::Network: return QString();
    case TItemKind::Link:
      if (mResolveLink && !it.Target.isEmpty()) return QFileInfo(it.Target).fileName();
      break;
    case TItemKind::File: break;
  }
  return QFileInfo(it.Name).fileName();
}

int TFileListViewLite::SelectedFiles(QStringList& list, bool includeFolders) const {
  QList<QByteArray> raw;
  SelectedRawFiles(raw, includeFolders);
  list.clear();
  for (const QByteArray& p : raw) list << DisplayName(p);
  return int(list.size());
}

int TFileListViewLite::SelectedRawFiles(QList<QByteArray>& list, bool includeFolders) const {
  list.clear();
  for (int r : SelectedRows()) {
    const TFileItem& it = Item(r);
    if (it.Kind == TItemKind::Drive || it.Kind == TItemKind::Network || it.Kind == TItemKind::Special) continue;
    if (it.Kind == TItemKind::Folder && !includeFolders) continue;
    if (mDirectory.compare(QLatin1String(kPlaceRecycled), Qt::CaseInsensitive) == 0) continue;
    list << RawPathOfRow(r);
  }
  return int(list.size());
}

// ---- listing --------------------------------------------------------------------

void TFileListViewLite::Refresh() {
  if (!mReadEnabled) return;
  if (mReading) {
    // Never a listing inside a listing: this one runs after the current.
    mRefreshPending = true;
    return;
  }
  mKeepSelection.clear();
  for (int r : SelectedRows()) mKeepSelection << Item(r).Raw;
  mTotal = 0;
  if (Special()) {
    ListPlace();
    return;
  }
  ReadDirectory();
}

void TFileListViewLite::Restart() {
  // The listing under way is of no use any more: it stops early.
  if (mReading && mCancel) mCancel->store(true);
  Refresh();
}

void TFileListViewLite::ListPlace() {
  THourglass busy;
  TFileItems items;
  if (mDirectory.compare(QLatin1String(kPlaceDesktop), Qt::CaseInsensitive) == 0) items = ListDesktop(mTextBase);
  else if (mDirectory.compare(QLatin1String(kPlaceDrives), Qt::CaseInsensitive) == 0) items = ListDrives(mTextBase);
  else if (mDirectory.compare(QLatin1String(kPlaceNetwork), Qt::CaseInsensitive) == 0)
    items = ListNetwork(mTextBase, mNetWorkEnabled);
  else items = ListTrash(mTextBase);
  qint64 total = 0;
  for (const TFileItem& it : items)
    if (it.Kind == TItemKind::File && it.Size > 0) total += it.Size;
  // The desktop's places and the volumes keep their own order.
  const bool keepOrder = mDirectory.compare(QLatin1String(kPlaceDrives), Qt::CaseInsensitive) == 0 ||
                         mDirectory.compare(QLatin1String(kPlaceNetwork), Qt::CaseInsensitive) == 0;
  if (!keepOrder) SortItems(items, mSortedBy);
  SetItems(std::move(items), total);
  FinishRead();
}

void TFileListViewLite::SetItems(TFileItems items, qint64 total) {
  mTotal = total;
  mModel->Reset(std::move(items));
}

void TFileListViewLite::ReadDirectory() {
  mReading = true;
  // The old rows are freed by the worker: 100 000 of them would hold the
  // event loop up.
  mLongestStepMs = 0;
  auto old = std::make_shared<TFileItems>(mModel->Take());
  QApplication::setOverrideCursor(Qt::BusyCursor);
  TFolderQuery q;
  q.Directory = mDirectory;
  q.DirBytes = mDirBytes;
  q.Mask = mMask;
  q.Types = mFileViewType;
  const TSortedBy by = mSortedBy;
  mListedBy = by;
  mCancel = std::make_shared<std::atomic<bool>>(false);
  auto cancel = mCancel;
  QPointer<TFileListViewLite> self(this);
  if (mWorker) {
    mWorker->wait();
    delete mWorker;
  }
  // Watching starts before the reading: what changes while the folder is
  // read gives one more listing after this one (the watcher's call finds
  // the listing under way and waits for it), so nothing made meanwhile is
  // missed. What changed before is in this listing.
  mWatcher->Enabled = mAutoUpdate;
  mWatcher->Watch(mDirBytes);
  AttachWatcher();
  mWorker = QThread::create([q, by, cancel, self, this, old]() mutable {
    old.reset();
    auto result = std::make_shared<TFolderResult>(ReadFolder(q, cancel.get()));
    if (!cancel->load()) SortItems(result->Items, by);
    if (cancel->load()) result->Items.clear();
    // Handed to the GUI thread; dropped there when the view is gone.
    QMetaObject::invokeMethod(
        qApp, [self, result, cancel, this] {
          if (!self) return;
          if (cancel->load()) {
            AbortRead();
            return;
          }
          if (!result->Ok) {
            ReadFailed(result->Error);
            return;
          }
          mIncoming = result;
          mIncomingPos = 0;
          mModel->Items.reserve(result->Items.size());
          mTotal = result->Total;
          mBatchTimer->start();
        },
        Qt::QueuedConnection);
  });
  mWorker->start();
}

void TFileListViewLite::AppendBatch() {
  if (!mIncoming) {
    mBatchTimer->stop();
    return;
  }
  if (mCancel && mCancel->load()) {
    mBatchTimer->stop();
    mIncoming.reset();
    AbortRead();
    return;
  }
  TFileItems& items = mIncoming->Items;
  QElapsedTimer slice;
  slice.start();
  // The step's own work: processor time of this thread (on a busy machine
  // the wall clock also counts the other processes' turns).
  struct TStepClock {
    double& Longest;
    double Start = Now();
    static double Now() {
      timespec ts{};
      clock_gettime(CLOCK_THREAD_CPUTIME_ID, &ts);
      return double(ts.tv_sec) * 1e3 + double(ts.tv_nsec) * 1e-6;
    }
    ~TStepClock() { Longest = std::max(Longest, Now() - Start); }
  } clock{mLongestStepMs};
  do {
    const size_t end = std::min(items.size(), mIncomingPos + kStepRows);
    mModel->Append(items.begin() + ptrdiff_t(mIncomingPos), items.begin() + ptrdiff_t(end));
    mIncomingPos = end;
  } while (mIncomingPos < items.size() && slice.elapsed() < kSliceMs);
  if (mIncomingPos < items.size()) return;
  mBatchTimer->stop();
  mIncoming.reset();
  FinishRead();
}

void TFileListViewLite::ReadFailed(const QString& error) {
  FinishRead();
  if (!IsFolderRaw(mDirBytes)) {
    // The folder went away (deleted or unmounted): its nearest ancestor
    // that is still there.
    QByteArray up = mDirBytes;
    while (up != "/" && !IsFolderRaw(up)) up = RawParent(up);
    QTimer::singleShot(0, this, [this, up] { ChangeDirRaw(up); });
  } else {
    ShowError(QStringLiteral("Impossibile leggere la cartella \"%1\": %2").arg(mDirectory, error));
  }
}

void TFileListViewLite::AbortRead() {
  // A listing given up for a newer one: no AfterRead, the newer one follows.
  if (mReading) QApplication::restoreOverrideCursor();
  mReading = false;
  if (mRefreshPending) {
    mRefreshPending = false;
    Refresh();
  }
}

void TFileListViewLite::FinishRead() {
  const bool wasReading = mReading;
  mReading = false;
  if (wasReading) QApplication::restoreOverrideCursor();
  if (wasReading && mListedBy != mSortedBy) SortBy(mSortedBy);  // changed during the listing
  RestoreSelection(mKeepSelection);
  mKeepSelection.clear();
  ++mReadCount;
  TW_FIRE(OnAfterRead, AfterRead, this);
  if (mRefreshPending) {
    // Still pending until it starts (WaitForRead waits for it too).
    QTimer::singleShot(0, this, [this] {
      mRefreshPending = false;
      Refresh();
    });
  }
}

bool TFileListViewLite::WaitForRead(int ms) {
  QElapsedTimer t;
  t.start();
  while ((mReading || mRefreshPending) && t.elapsed() < ms) QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
  return !mReading && !mRefreshPending;
}

void TFileListViewLite::RestoreSelection(const QList<QByteArray>& names) {
  if (names.isEmpty()) return;
  // One pass over the rows and one selection change, whatever the count.
  QSet<QByteArray> wanted(names.begin(), names.end());
  QItemSelection sel;
  int first = -1, runStart = -1, runEnd = -2;
  auto flush = [&] {
    if (runStart >= 0) sel.select(mModel->index(runStart, 0), mModel->index(runEnd, 0));
  };
  for (int r = 0; r < ItemCount(); ++r) {
    if (!wanted.contains(Item(r).Raw)) continue;
    if (first < 0) first = r;
    if (r != runEnd + 1) {
      flush();
      runStart = r;
    }
    runEnd = r;
    if (!mMultiSelect) break;
  }
  flush();
  if (first < 0) return;
  mSelection->setCurrentIndex(mModel->index(first, 0), QItemSelectionModel::NoUpdate);
  mSelection->select(sel, QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
}

void TFileListViewLite::SortBy(TSortedBy key) {
  if (mReading) return;  // the listing sorts by SortedBy when it ends
  THourglass busy;
  QList<QByteArray> keep;
  for (int r : SelectedRows()) keep << Item(r).Raw;
  const QByteArray current =
      mSelection->currentIndex().isValid() ? Item(mSelection->currentIndex().row()).Raw : QByteArray();
  // The ranks made with the listing turn this into a sort of integers.
  TFileItems items = std::move(mModel->Items);
  mModel->Items.clear();
  SortItems(items, key);
  mModel->Reset(std::move(items));
  RestoreSelection(keep);
  if (!current.isEmpty())
    if (const int row = RowOfRaw(current); row >= 0)
      mSelection->setCurrentIndex(mModel->index(row, 0), QItemSelectionModel::NoUpdate);
}

void TFileListViewLite::HeaderClicked(int column) {
  if (column == mLastSortColumn) mSortInverse = !mSortInverse;
  else {
    mLastSortColumn = column;
    mSortInverse = false;
  }
  setSortedBy(TSortedBy(mSortInverse ? column + 5 : column));
}

// ---- navigation -----------------------------------------------------------------

void TFileListViewLite::SetPlace(const QString& keyword) {
  mDirectory = NormalisePlace(keyword);
  mDirBytes = mDirectory.toLatin1();
}

void TFileListViewLite::SetFolder(const QByteArray& path) {
  mDirBytes = path;
  mDirectory = DisplayName(path);
}

QByteArray TFileListViewLite::RawOfShownParent(const QString& shown) const {
  if (Special() || !shown.startsWith(QLatin1Char('/'))) return QByteArray();
  for (QByteArray p = mDirBytes;; p = RawParent(p)) {
    if (DisplayName(p) == shown) return p;
    if (p == "/") return QByteArray();
  }
}

void TFileListViewLite::ChangeDir(const QString& path) {
  const QString p = path == QLatin1String("\\\\") ? QString::fromLatin1(kPlaceNetwork) : path;
  if (IsSpecialPlace(p)) {
    if (SamePlace(p, mDirectory)) return;
    mOldDirectory = mDirectory;
    SetPlace(p);
    Restart();
  } else if (QDir::isAbsolutePath(p)) {
    // A folder of the current path as shown (a name there may be no UTF-8,
    // and its look-alike, if one exists, is another folder).
    QByteArray raw = RawOfShownParent(QDir::cleanPath(p));
    if (raw.isEmpty()) raw = CleanRaw(QFile::encodeName(p));
    ChangeDirRaw(raw);
    return;
  } else {
    mOldDirectory = mDirectory;
  }
  TW_FIRE(OnDirectoryChange, DirectoryChange, this, mOldDirectory, mDirectory,
          mDirectory.compare(QLatin1String(kPlaceDesktop), Qt::CaseInsensitive) != 0);
  if (mDirCombo && !SamePlace(mDirCombo->Directory(), mDirectory)) mDirCombo->SetDirectory(mDirectory);
}

void TFileListViewLite::ChangeDirRaw(const QByteArray& rawPath) {
  const QByteArray path = rawPath.startsWith('/') ? CleanRaw(rawPath) : rawPath;
  if (!Special() && path == mDirBytes) return;
  mOldDirectory = mDirectory;
  // Refused (missing, not a folder, relative): the place stays, the change
  // is still announced.
  if (path.startsWith('/') && IsFolderRaw(path)) {
    SetFolder(path);
    Restart();
  }
  TW_FIRE(OnDirectoryChange, DirectoryChange, this, mOldDirectory, mDirectory,
          mDirectory.compare(QLatin1String(kPlaceDesktop), Qt::CaseInsensitive) != 0);
  if (mDirCombo && !SamePlace(mDirCombo->Directory(), mDirectory)) mDirCombo->SetDirectory(mDirectory);
}

bool TFileListViewLite::ChangeDrive(const QString& root) {
  for (const TFileItem& d : ListDrives(mTextBase))
    if (d.Name == root) {
      ChangeDir(root);
      return true;
    }
  return false;
}

QString TFileListViewLite::DriveRoot() const { return Special() ? QString() : MountRootOf(mDirectory); }

bool TFileListViewLite::GoUp() {
  if (mDirectory.compare(QLatin1String(kPlaceDesktop), Qt::CaseInsensitive) == 0) return false;
  if (Special()) ChangeDir(QString::fromLatin1(kPlaceDesktop));
  else if (mDirBytes == "/") ChangeDir(QString::fromLatin1(kPlaceDrives));
  else ChangeDirRaw(RawParent(mDirBytes));  // the parent as it is spelt on disk
  return mDirectory.compare(QLatin1String(kPlaceDesktop), Qt::CaseInsensitive) != 0;
}

void TFileListViewLite::ActivateSelected() {
  const QList<int> rows = SelectedRows();
  if (rows.isEmpty()) return;
  const QModelIndex cur = mSelection->currentIndex();
  const int row = cur.isValid() && mSelection->isRowSelected(cur.row(), QModelIndex()) ? cur.row() : rows.first();
  const TFileItem it = Item(row);
  switch (it.Kind) {
    case TItemKind::Special:
    case TItemKind::Drive: ChangeDir(it.Name); break;
    case TItemKind::Link: {
      struct stat st;
      if (!it.RawTarget.isEmpty() && ::stat(it.RawTarget.constData(), &st) == 0) {
        if (S_ISDIR(st.st_mode)) ChangeDirRaw(it.RawTarget);
        else if (S_ISREG(st.st_mode)) OpenRaw(it.RawTarget);
      }
      TW_FIRE(OnFileSelect, FileSelect, this, SelectedPath());
      break;
    }
    case TItemKind::Folder: ChangeDirRaw(RawPathOfRow(row)); break;
    case TItemKind::Network: {
      const TFileItems inside = ListNetwork(mTextBase, mNetWorkEnabled, it.Name);
      if (mNetWorkEnabled) SetItems(inside, 0);
      break;
    }
    case TItemKind::File:
      if (mDirectory.compare(QLatin1String(kPlaceRecycled), Qt::CaseInsensitive) == 0) break;
      if (mExecuteOpen) OpenRaw(RawPathOfRow(row));
      else TW_FIRE(OnFileSelect, FileSelect, this, SelectedPath());
      break;
  }
}

void TFileListViewLite::SelectionChanged() {
  if (mFileEdit) {
    const QString n = SelectedName();
    if (!n.isEmpty()) mFileEdit->setText(n);
  }
  TW_FIRE(OnChange, Change, this);
}

// ---- file operations ------------------------------------------------------------

TFileOpenHook SetFileOpenHook(TFileOpenHook hook) {
  TFileOpenHook old = OpenHook();
  OpenHook() = std::move(hook);
  return old;
}

void TFileListViewLite::Open(const QString& file, const QStringList& args) {
  if (OpenHook()) {
    OpenHook()(file, args);
    return;
  }
  bool ok;
  if (args.isEmpty()) ok = QDesktopServices::openUrl(QUrl::fromLocalFile(file));
  else ok = QProcess::startDetached(file, args);  // an argument list, never a shell
  if (!ok) ShowError(QStringLiteral("Impossibile aprire \"%1\".").arg(file));
}

void TFileListViewLite::OpenRaw(const QByteArray& file) {
  if (OpenHook()) {
    OpenHook()(DisplayName(file), {});
    return;
  }
  // The URL carries the exact bytes of the name.
  if (!QDesktopServices::openUrl(RawPathUrl(file)))
    ShowError(QStringLiteral("Impossibile aprire \"%1\".").arg(DisplayName(file)));
}

void TFileListViewLite::ShowError(const QString& text) { MessageDlg(text, mtError, mbOK); }

void TFileListViewLite::DetachWatcher() { mWatcher->Callback = nullptr; }
void TFileListViewLite::AttachWatcher() {
  mWatcher->Drain();  // our own changes give no second listing
  QPointer<TFileListViewLite> self(this);
  mWatcher->Callback = [self] {
    if (self) self->Refresh();
  };
}

void TFileListViewLite::OpenSelected() {
  const QList<int> rows = SelectedRows();
  if (rows.isEmpty()) return;
  const QModelIndex cur = mSelection->currentIndex();
  const int row = cur.isValid() && mSelection->isRowSelected(cur.row(), QModelIndex()) ? cur.row() : rows.first();
  const TFileItem& it = Item(row);
  OpenRaw(it.Kind == TItemKind::Link && mResolveLink && !it.RawTarget.isEmpty() ? it.RawTarget : RawPathOfRow(row));
}

void TFileListViewLite::CopySelectedTo(const QString& dir) {
  QList<QByteArray> files;
  if (Special() || SelectedRawFiles(files, true) == 0) return;
  const TCopyPlan plan = PlanCopy(files, QFile::encodeName(dir));
  TOpResult r;
  if (!plan.Steps.empty()) {
    THourglass busy;
    r = ExecuteCopy(plan);
  }
  QString msg = r.Ok ? QString() : r.Error;
  if (!plan.Skipped.isEmpty()) msg += (msg.isEmpty() ? QString() : QStringLiteral("\n")) + plan.Skipped.join(QLatin1Char('\n'));
  if (!msg.isEmpty()) ShowError(msg);
}

void TFileListViewLite::SendTo(const QString& entry) {
  QStringList files;
  if (SelectedFiles(files, true) == 0) return;
  const QFileInfo fi(entry);
  if (fi.isDir()) {  // a folder or a link to one
    CopySelectedTo(fi.canonicalFilePath());
    return;
  }
  if (entry.endsWith(QLatin1String(".desktop"))) {
    const QString linkTarget = DesktopLinkTarget(entry);
    if (!linkTarget.isEmpty()) {
      if (IsDirectoryPath(linkTarget)) CopySelectedTo(linkTarget);
      return;
    }
    // A program of the send-to folder: its Exec line with the selected
    // files for %f/%F/%u/%U, run with an argument list. Arguments are text:
    // a name that is no UTF-8 would reach the program as its look-alike.
    QList<QByteArray> raw;
    SelectedRawFiles(raw, true);
    for (const QByteArray& r : raw)
      if (QFile::encodeName(DisplayName(r)) != r) {
        ShowError(QStringLiteral("Il nome \"%1\" non è testo valido: non può essere passato a un programma.")
                      .arg(DisplayName(RawFileName(r))));
        return;
      }
    QString exec;
    for (const QString& line : DesktopEntryLines(QFile::encodeName(entry)))
      if (line.startsWith(QLatin1String("Exec="))) exec = line.mid(5);
    QStringList parts = QProcess::splitCommand(exec);
    if (parts.isEmpty()) return;
    const QString program = parts.takeFirst();
    QStringList args;
    bool placed = false;
    for (const QString& a : parts) {
      if (a == QLatin1String("%f") || a == QLatin1String("%u")) {
        args << files.first();
        placed = true;
      } else if (a == QLatin1String("%F") || a == QLatin1String("%U")) {
        args << files;
        placed = true;
      } else if (!(a.size() == 2 && a.startsWith(QLatin1Char('%')))) {
        args << a;
      }
    }
    if (!placed) args << files;
    Open(program, args);
  }
}

void TFileListViewLite::DeleteSelected() {
  if (Special()) return;
  QList<QByteArray> paths;
  if (SelectedRawFiles(paths, true) == 0) return;
  const QString what = paths.size() == 1 ? QStringLiteral("\"%1\"").arg(DisplayName(RawFileName(paths.first())))
                                         : QStringLiteral("questi %1 elementi").arg(paths.size());
  if (MessageDlg(QStringLiteral("Spostare %1 nel cestino?").arg(what), mtConfirmation, mbYes | mbNo) != mrYes) return;
  DetachWatcher();
  TOpResult r;
  {
    THourglass busy;
    r = TrashEntries(paths);
  }
  if (!r.Ok && !r.Failed.isEmpty()) {
    // Never a silent fallback: deleting for good needs its own answer, and
    // "no" is what Enter gives.
    const int answer = MessageDlg(r.Error + QStringLiteral("\n\nEliminare definitivamente %1 elementi? "
                                                           "L'operazione non si può annullare.")
                                                .arg(r.Failed.size()),
                                  mtWarning, mbYes | mbNo, mbNo);
    if (answer == mrYes) {
      const TOpResult gone = RemovePermanently(r.FailedRaw);
      if (!gone.Ok) ShowError(gone.Error);
    }
  }
  // What went is taken out at once; the listing after it shows the rest as
  // it is now (no nested event loop here: the view may be closed meanwhile).
  QSet<QByteArray> gone;
  for (const QByteArray& p : paths)
    if (!Exists(p)) gone.insert(RawFileName(p));
  mModel->RemoveRaw(gone);
  AttachWatcher();
  Refresh();
}

void TFileListViewLite::NewFolder() {
  if (Special()) return;
  DetachWatcher();
  const TOpResult r = CreateNewFolder(mDirBytes, Text(ftNewFolder));
  if (!r.Ok) {
    AttachWatcher();
    ShowError(r.Error);
    return;
  }
  const QByteArray name = QFile::encodeName(QFileInfo(r.Path).fileName());  // made from our own text
  if (auto it = ReadOneEntry(JoinRaw(mDirBytes, name))) {
    TFileItems one;
    one.push_back(std::move(*it));
    mModel->Append(one.begin(), one.end());
  }
  AttachWatcher();
  const int row = RowOfRaw(name);
  if (row < 0) return;
  SelectRow(row);
  CurrentView()->setFocus();
  if (!mReadOnly) CurrentView()->edit(mModel->index(row, 0));
}

void TFileListViewLite::RenameSelected() {
  const QList<int> rows = SelectedRows();
  if (rows.isEmpty() || mReadOnly || Special()) return;
  const QModelIndex cur = mSelection->currentIndex();
  const int row = cur.isValid() && mSelection->isRowSelected(cur.row(), QModelIndex()) ? cur.row() : rows.first();
  CurrentView()->setFocus();
  CurrentView()->edit(mModel->index(row, 0));
}

bool TFileListViewLite::RenameItem(int row, const QString& caption) {
  if (row < 0 || row >= ItemCount()) return false;
  return RenameEntryRaw(Item(row).Raw, caption);
}

bool TFileListViewLite::RenameEntryNamed(const QString& name, const QString& caption) {
  const int row = RowOfName(name);
  return row >= 0 && RenameEntryRaw(Item(row).Raw, caption);
}

bool TFileListViewLite::RenameEntryRaw(const QByteArray& raw, const QString& caption) {
  if (Special() || raw.isEmpty()) return false;
  const QByteArray newRaw = QFile::encodeName(caption);
  // The old caption stays: empty, the same bytes, or the very text shown
  // for a name that is no UTF-8 (that text names another file).
  if (caption.isEmpty() || newRaw == raw || caption == DisplayName(raw)) return false;
  QString error;
  if (!ValidateEntryName(caption, &error)) {
    ShowError(error);
    return false;
  }
  DetachWatcher();
  const TOpResult r = RenameEntry(JoinRaw(mDirBytes, raw), caption);
  AttachWatcher();
  if (r.Ok) {
    const int row = RowOfRaw(raw);
    if (mReading || row < 0) {
      Refresh();  // the listing under way may have missed it
    } else {
      // The renamed entry itself, by its exact new path.
      if (auto it = ReadOneEntry(JoinRaw(mDirBytes, newRaw))) mModel->Replace(row, std::move(*it));
      SortBy(mSortedBy);
      SelectRow(RowOfRaw(newRaw));
    }
  }
  if (!r.Ok) ShowError(r.Error);
  return r.Ok;
}

void TFileListViewLite::DropFiles(const QStringList& files, const QPoint& pos) {
  QList<QByteArray> raw;
  for (const QString& f : files) raw << QFile::encodeName(f);
  DropRawFiles(raw, pos);
}

void TFileListViewLite::DropRawFiles(const QList<QByteArray>& files, const QPoint& pos) {
  if (files.isEmpty()) return;
  if (!Special()) {
    QByteArray target = mDirBytes;
    const QModelIndex at = CurrentView()->indexAt(pos);
    if (at.isValid() && Item(at.row()).Kind == TItemKind::Folder) {
      target = RawPathOfRow(at.row());
      SelectRow(at.row());
    }
    const TCopyPlan plan = PlanCopy(files, target);
    TOpResult r;
    if (!plan.Steps.empty()) {
      THourglass busy;
      QProgressDialog progress(QStringLiteral("Copia in corso..."), QStringLiteral("Annulla"), 0, 1000, this);
      progress.setWindowModality(Qt::WindowModal);
      progress.setMinimumDuration(500);
      progress.setValue(0);
      r = ExecuteCopy(plan, [&progress](qint64 done, qint64 total) {
        progress.setValue(total > 0 ? int(done * 1000 / total) : 0);
        QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
        return !progress.wasCanceled();
      });
      progress.reset();
      Refresh();
    }
    QString msg = r.Ok ? QString() : r.Error;
    if (!plan.Skipped.isEmpty())
      msg += (msg.isEmpty() ? QString() : QStringLiteral("\n")) + QStringLiteral("Non copiati:\n") +
             plan.Skipped.join(QLatin1Char('\n'));
    if (!msg.isEmpty()) ShowError(msg);
  }
  QStringList shown;
  for (const QByteArray& f : files) shown << DisplayName(f);
  TW_FIRE(OnFileDrop, FileDrop, shown, pos.x(), pos.y());
}

// ---- dragging out -----------------------------------------------------------------

void TFileListViewLite::StartDrag() {
  mDragging = true;
  mDown = QPoint(-1, -1);
  try {
    SelectedRawFiles(mDragSource->RawFiles, true);
    SelectedFiles(mDragSource->Files, true);
    mDragSource->AllowedOp = 0;
    const int result = mDragSource->Execute(CurrentView()->viewport());
    if (result != TDropSource::drCopied) {
      QPointer<TFileListViewLite> self(this);
      QTimer::singleShot(200, this, [self] {
        if (self) self->Refresh();
      });
    }
  } catch (...) {
    mDragging = false;
    throw;
  }
  mDragging = false;
}

// ---- events ---------------------------------------------------------------------

bool TFileListViewLite::eventFilter(QObject* watched, QEvent* event) {
  const bool onViewport = watched == mList->viewport() || watched == mTree->viewport();
  const bool onView = watched == mList || watched == mTree;
  if (!onViewport && !onView) return QWidget::eventFilter(watched, event);
  switch (event->type()) {
    case QEvent::KeyPress: {
      // While a caption is edited the keys go to the editor, not the view.
      if (!onView) break;
      auto* k = static_cast<QKeyEvent*>(event);
      switch (k->key()) {
        case Qt::Key_Backspace: GoUp(); return true;
        case Qt::Key_Return:
        case Qt::Key_Enter: ActivateSelected(); return true;
        case Qt::Key_Delete: DeleteSelected(); return true;
        case Qt::Key_F5: Refresh(); return true;
        default: break;
      }
      break;
    }
    case QEvent::KeyRelease:
      if (onView) Q_EMIT KeyUp();
      break;
    case QEvent::MouseButtonPress:
      if (onViewport) mDown = static_cast<QMouseEvent*>(event)->position().toPoint();
      break;
    case QEvent::MouseButtonRelease:
      if (onViewport) {
        mDown = QPoint(-1, -1);
        QTimer::singleShot(0, this, [this] { Q_EMIT MouseUp(); });
      }
      break;
    case QEvent::MouseMove: {
      if (!onViewport || mDown.x() < 0 || !mDragFileEnabled) break;
      auto* m = static_cast<QMouseEvent*>(event);
      if (m->buttons() != Qt::LeftButton || m->modifiers() != Qt::NoModifier || SelectedRows().isEmpty()) break;
      const QPoint d = m->position().toPoint() - mDown;
      if (std::abs(d.x()) < 10 && std::abs(d.y()) < 10) break;
      StartDrag();
      return true;
    }
    case QEvent::DragEnter:
    case QEvent::DragMove: {
      if (!onViewport) break;
      auto* e = static_cast<QDropEvent*>(event);
      if (!e->mimeData()->hasUrls()) break;
      e->setDropAction(Qt::CopyAction);
      e->accept();
      return true;
    }
    case QEvent::Drop: {
      if (!onViewport) break;
      auto* e = static_cast<QDropEvent*>(event);
      // The URLs' bytes, not their text: a name that is no UTF-8 arrives
      // as its %XX escapes and is copied as exactly that name.
      QList<QByteArray> files;
      for (const QUrl& u : e->mimeData()->urls())
        if (u.isLocalFile()) files << RawPathOfUrl(u);
      e->setDropAction(Qt::CopyAction);
      e->accept();
      const QPoint pos = e->position().toPoint();
      // After the drag has finished: the copy may show its own progress.
      QTimer::singleShot(0, this, [this, files, pos] { DropRawFiles(files, pos); });
      return true;
    }
    default: break;
  }
  return QWidget::eventFilter(watched, event);
}

void TFileListViewLite::changeEvent(QEvent* e) {
  QWidget::changeEvent(e);
  if (e->type() == QEvent::FontChange) {
    mList->setFont(font());
    mTree->setFont(font());
  }
}

}  // namespace Tarnwell
