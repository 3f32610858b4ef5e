#pragma once
// TFileListViewLite: a list view that browses the file system like a small
// file manager window. It lists a folder (folders first, then the entries
// matching the mask), the mounted volumes, the desktop, the network or the
// trash, in four view styles and five sort orders (each also inverted),
// with its texts in five languages. It renames in place, deletes to the
// trash, makes folders, copies files dropped onto it, lets files be dragged
// out, and follows changes on disk.
//
// A folder is read on a worker thread and its rows reach the view in
// batches, so a folder of 100 000 entries never stalls the event loop; the
// listing ends with AfterRead. Reading() tells whether one is under way.

#include <QPointer>
#include <QWidget>
#include <atomic>
#include <functional>
#include <memory>

#include "FileEntries.h"
#include "FileViewTypes.h"
#include <Tarnwell/platform/TProperty.h>
#include <Tarnwell/platform/TTypes.h>
#include <Tarnwell/platform/TWidgetLook.h>
#include <Tarnwell/TarnwellExport.h>

class QListView;
class QTreeView;
class QItemSelectionModel;
class QAbstractItemView;
class QModelIndex;
class QThread;
class QTimer;
class QStackedLayout;

namespace Tarnwell {

// Access to internal counters for the tests (defined in the *_p.h header).
template <class T>
struct TProbe;

class TDirectoryComboLite;
class TFileNameEditLite;
class TFileListLitePopup;
class TFileListModel;
class TShellChangeNotifyThread;
class TDropFileSource;

// A list of a folder's files with icons and columns in five languages: sorting, navigation, file
// operations, drag and drop and change watching.
class TARNWELL_FILEVIEW_EXPORT TFileListViewLite : public QWidget {
  Q_OBJECT
  Q_MOC_INCLUDE(<Tarnwell/fileview/DirCombo.h>)
  // The directory combo that shows and chooses the list's place (none by default); the two
  // follow each other.
  Q_PROPERTY(Tarnwell::TDirectoryComboLite* DirCombo READ DirCombo WRITE setDirCombo NOTIFY DirComboChanged)
  // The file-name edit that shows the selected file's name and sets Mask on Enter (none by
  // default).
  Q_PROPERTY(Tarnwell::TFileNameEditLite* FileEdit READ FileEdit WRITE setFileEdit NOTIFY FileEditChanged)
  // Which files are listed besides the normal ones: a combination of flvReadOnly, flvHidden
  // and flvSystem (default all three). A change lists the folder again.
  TW_PROPERTY_SETTER(Tarnwell::FileViewTypes::TFileListViewType, FileViewType)
  // The language of the column titles, the menu and the places' captions (default
  // lnUserDefault: the user's locale).
  TW_PROPERTY_SETTER(Tarnwell::FileViewTypes::TFileViewLanguage, Language)
  // Patterns separated by ";"; a mask naming a folder is refused (kept unchanged).
  TW_PROPERTY_SETTER(QString, Mask)
  // The column and direction the files are sorted by (default sbName: by name, ascending).
  TW_PROPERTY_SETTER(Tarnwell::FileViewTypes::TSortedBy, SortedBy)
  // How the files are shown: large icons, small icons, a list or a report with columns
  // (default visList). Emits ViewChange too.
  TW_PROPERTY_SETTER(Tarnwell::FileViewTypes::TViewIconStyle, ViewIconStyle)
  // The network place lists the network's hosts and shares and can be entered (default false:
  // it lists nothing).
  TW_PROPERTY(bool, NetWorkEnabled, )
  // Nothing is listed while False.
  TW_PROPERTY(bool, ReadEnabled, )
  // A link's selected path is its target.
  TW_PROPERTY(bool, ResolveLink, )
  // Double-click (or Enter) opens files with the desktop's program for them.
  TW_PROPERTY(bool, ExecuteOpen, )
  // The right mouse button opens the list's context menu (open, view style, sort order, send
  // to, rename, delete, new folder); default true.
  TW_PROPERTY_SETTER(bool, PoPupMenuEnabled)
  // Selected files can be dragged out of the list to other programs (default false).
  TW_PROPERTY(bool, DragFileEnabled, )
  // Follow changes on disk.
  TW_PROPERTY_SETTER(bool, AutoUpdate)
  // Captions cannot be edited (no rename in place).
  TW_PROPERTY(bool, ReadOnly, )
  // Several files can be selected at once (default false).
  TW_PROPERTY_SETTER(bool, MultiSelect)
  // Without the focus the selection is not shown.
  TW_PROPERTY_SETTER(bool, HideSelection)
  // The widget's font; its colour is the WindowText role of the palette.
  TW_FONT_PROPERTY(mFont)
  // The background of the list (clWindow): the Base role of the palette, so setPalette and
  // style sheets reach it.
  TW_COLOR_PROPERTY_CUSTOM(Color)

 public:
  explicit TFileListViewLite(QWidget* parent = nullptr);
  ~TFileListViewLite() override;

  TDirectoryComboLite* DirCombo() const;
  TFileNameEditLite* FileEdit() const;
 public Q_SLOTS:
  // Sets DirCombo; the combo goes to the list's place. Emits DirComboChanged.
  void setDirCombo(Tarnwell::TDirectoryComboLite* combo);
  // Sets FileEdit; the edit shows the selected file's name. Emits FileEditChanged.
  void setFileEdit(Tarnwell::TFileNameEditLite* edit);
 Q_SIGNALS:
  // DirCombo changed.
  void DirComboChanged(Tarnwell::TDirectoryComboLite* value);
  // FileEdit changed.
  void FileEditChanged(Tarnwell::TFileNameEditLite* value);

 public:
  // The current place: an absolute folder path or one of the keywords
  // "DeskTop", "Drives", "NetWork", "Recycled" (any case on input).
  QString Directory() const { return mDirectory; }
  // The current folder as the file system spells it (Directory shows bytes
  // that are no UTF-8 as U+FFFD); the keyword for the places.
  QByteArray DirectoryBytes() const { return mDirBytes; }
  QString OldDirectory() const { return mOldDirectory; }
  // The first identifier of the language's string block.
  int TextBase() const { return mTextBase; }
  QString Text(int offset) const;

  // Navigation. ChangeDir refuses a relative or missing path (the place
  // stays) but still announces DirectoryChange.
  // A path shown for the current folder or one of its parents (as the
  // directory combo lists them) goes to that folder itself, whatever bytes
  // its name has.
  void ChangeDir(const QString& path);
  // Goes to the folder of exactly these bytes.
  void ChangeDirRaw(const QByteArray& path);
  // The current folder or parent that `shown` names, as bytes; empty when
  // it names none of them.
  QByteArray RawOfShownParent(const QString& shown) const;
  // Switches to a mounted volume's root; false when `root` is none.
  bool ChangeDrive(const QString& root);
  // Up one level: a folder to its parent, "/" to the volumes, the volumes,
  // the network and the trash to the desktop. False when the new place is
  // the desktop.
  bool GoUp();
  // Lists the place again (only when ReadEnabled). During a listing the
  // request waits for its end: a refresh never starts inside a refresh.
  void Refresh();
  void SortBy(Tarnwell::FileViewTypes::TSortedBy key);
  // The mount root of the current folder ("/" at least; empty for places).
  QString DriveRoot() const;

  // A listing is under way; WaitForRead runs the event loop until it ends.
  bool Reading() const { return mReading; }
  bool WaitForRead(int ms = 30000);

  // The items, in display order.
  int ItemCount() const;
  const TFileItem& Item(int row) const;
  // Sub-items of the contract: 0 size, 1 type, 2 date, 3 attributes, 4 name
  // within the folder (or the place), 5 link target.
  QString SubItem(int row, int index) const;
  QString Caption(int row) const;
  // The row whose name (sub-item 4) is exactly `name`; -1 when none.
  int RowOfName(const QString& name) const;
  // The row of the entry whose name has exactly these bytes; -1 when none.
  int RowOfRaw(const QByteArray& raw) const;
  QList<int> SelectedRows() const;
  void SelectRow(int row, bool keepOthers = false);
  void ClearSelection();
  int SelectionCount() const;
  qint64 SelectedSize() const;
  qint64 Total() const { return mTotal; }

  virtual QString SelectedPath() const;
  QString SelectedName() const;
  // Absolute paths of the selected files (and folders when asked); never
  // places, volumes or network items.
  int SelectedFiles(QStringList& list, bool includeFolders) const;
  // The same paths as the file system spells them (what every operation uses).
  int SelectedRawFiles(QList<QByteArray>& list, bool includeFolders) const;

  // File operations.
  void OpenSelected();
  void CopySelectedTo(const QString& dir);
  void SendTo(const QString& entry);
  void DeleteSelected();
  void NewFolder();
  // Starts editing the selected caption.
  void RenameSelected();
  // Renames the item at `row` to `caption` (what an accepted edit does);
  // false when nothing was renamed (the caption stays the old one).
  bool RenameItem(int row, const QString& caption);
  // The same for the entry named `name` (sub-item 4) in the listed folder.
  bool RenameEntryNamed(const QString& name, const QString& caption);
  // The same for the entry whose name has exactly the bytes `raw`.
  bool RenameEntryRaw(const QByteArray& raw, const QString& caption);
  // What a drop of `files` at `pos` (view coordinates) does.
  void DropFiles(const QStringList& files, const QPoint& pos);
  // The same for paths as bytes (a drop's URLs give the exact bytes).
  void DropRawFiles(const QList<QByteArray>& files, const QPoint& pos);
  // The double-click action on the selected item.
  void ActivateSelected();

  TShellChangeNotifyThread* Watcher() const { return mWatcher; }
  TDropFileSource* DragSource() const { return mDragSource; }
  TFileListLitePopup* PopupMenu() const { return mPopup; }
  QAbstractItemView* CurrentView() const;
  QTreeView* ReportView() const { return mTree; }
  QListView* IconView() const { return mList; }

  // Assignable events (each also a signal).
  TNotifyEvent OnAfterRead;
  std::function<void(TObject*, Tarnwell::FileViewTypes::TViewIconStyle)> OnViewChange;
  std::function<void(TObject*, const QString&)> OnFileSelect;
  std::function<void(TObject*, const QString&, const QString&, bool)> OnDirectoryChange;
  std::function<void(const QStringList&, int, int)> OnFileDrop;
  TNotifyEvent OnChange;

 Q_SIGNALS:
  // Emitted when a listing of the folder is complete (also after a refresh), with the
  // selection restored; OnAfterRead is called after it.
  void AfterRead(QObject* sender);
  // ViewIconStyle changed to style; OnViewChange is called after it.
  void ViewChange(QObject* sender, Tarnwell::FileViewTypes::TViewIconStyle style);
  // Emitted when a file (or a link) was chosen by double-click or Enter and not opened with
  // its program: fileName is its path. OnFileSelect is called after it.
  void FileSelect(QObject* sender, const QString& fileName);
  // Emitted when the list went to another place: oldDir and directory are the places before
  // and after, canPrev whether directory is not the desktop (a place above it exists).
  // OnDirectoryChange is called after it.
  void DirectoryChange(QObject* sender, const QString& oldDir, const QString& directory, bool canPrev);
  // Emitted after files dropped on the list were copied or moved into its folder: their names
  // and the drop point in the view's coordinates. OnFileDrop is called after it.
  void FileDrop(const QStringList& files, int x, int y);
  // The selection changed.
  void Change(QObject* sender);
  // A mouse button was released over the files (emitted after the release was handled).
  void MouseUp();
  // A key was released in the view.
  void KeyUp();

 protected:
  virtual void ReadDirectory();
  bool eventFilter(QObject* watched, QEvent* event) override;
  void changeEvent(QEvent* e) override;

 private:
  friend class TFileListModel;
  void SetItems(TFileItems items, qint64 total);
  void ListPlace();
  void FinishRead();
  void AbortRead();
  void ReadFailed(const QString& error);
  void ApplySelectionLook();
  void Restart();
  void AppendBatch();
  void ApplyViewStyle();
  void SelectionChanged();
  void HeaderClicked(int column);
  void StartDrag();
  bool Special() const;
  QString PathOfRow(int row) const;
  QByteArray RawPathOfRow(int row) const;
  void SetPlace(const QString& keyword);
  void SetFolder(const QByteArray& path);
  void OpenRaw(const QByteArray& file);
  void DetachWatcher();
  void AttachWatcher();
  void ShowError(const QString& text);
  void Open(const QString& file, const QStringList& args = {});
  void RestoreSelection(const QList<QByteArray>& names);

  TControlFont mFont{this};
  TControlColor mColorView{this, clWindow, QPalette::Base};
  TFileListModel* mModel;
  QListView* mList;
  QTreeView* mTree;
  QStackedLayout* mStack;
  QItemSelectionModel* mSelection;
  QPointer<TDirectoryComboLite> mDirCombo;
  QPointer<TFileNameEditLite> mFileEdit;
  TFileListLitePopup* mPopup = nullptr;
  TShellChangeNotifyThread* mWatcher;
  TDropFileSource* mDragSource;

  TFileListViewType mFileViewType = TFileListViewType(flvReadOnly | flvHidden | flvSystem);
  TFileViewLanguage mLanguage = lnUserDefault;
  QString mMask = QStringLiteral("*.*");
  TSortedBy mSortedBy = sbName;
  TViewIconStyle mViewIconStyle = visList;
  bool mNetWorkEnabled = false, mReadEnabled = false, mResolveLink = false, mExecuteOpen = false;
  bool mPoPupMenuEnabled = true, mDragFileEnabled = false, mAutoUpdate = true, mReadOnly = false;
  bool mMultiSelect = false, mHideSelection = true;

  QString mDirectory, mOldDirectory;
  QByteArray mDirBytes;
  int mTextBase = 900;
  qint64 mTotal = 0;
  int mLastSortColumn = -1;
  bool mSortInverse = false;

  // The listing under way.
  bool mReading = false;
  bool mRefreshPending = false;
  QThread* mWorker = nullptr;
  std::shared_ptr<std::atomic<bool>> mCancel;
  std::shared_ptr<TFolderResult> mIncoming;
  size_t mIncomingPos = 0;
  QList<QByteArray> mKeepSelection;
  QTimer* mBatchTimer;
  int mReadCount = 0;
  double mLongestStepMs = 0;
  TSortedBy mListedBy = sbName;

  // Dragging out.
  QPoint mDown{-1, -1};
  bool mDragging = false;
  friend struct TProbe<TFileListViewLite>;  // FileList_p.h
};

}  // namespace Tarnwell
