#pragma once
// Companions of TFileListViewLite: TDirectoryComboLite, a drop-down list of
// the desktop, the computer with its mounted volumes, the network and the
// trash, with each folder of the current path indented under its volume;
// and TFileNameEditLite, which shows the selected file's name and applies
// its text as the view's mask on Enter. Combo and view keep each other on
// the same place.
//
// Each combo item keeps its place, icon and indent in item data (not in its
// text), so a folder named with ";" or digits shows and works as it is.

#include <QComboBox>
#include <QLineEdit>
#include <QPointer>
#include <functional>

#include <Tarnwell/platform/TProperty.h>
#include <Tarnwell/platform/TTypes.h>
#include <Tarnwell/platform/TWidgetLook.h>
#include <Tarnwell/TarnwellExport.h>

namespace Tarnwell {

class TFileListViewLite;

// A drop-down list of the places (desktop, volumes, network, trash) and the folders of the current
// path of a TFileListViewLite; choosing one lists it.
class TARNWELL_FILEVIEW_EXPORT TDirectoryComboLite : public QComboBox {
  Q_OBJECT
  Q_MOC_INCLUDE(<Tarnwell/fileview/FileList.h>)
  // The file list the combo drives and follows (none by default): choosing a place lists it
  // there, and the list's folder changes show here.
  Q_PROPERTY(Tarnwell::TFileListViewLite* FileListView READ FileListView WRITE setFileListView NOTIFY FileListViewChanged)
  // The widget's font; its colour is the WindowText role of the palette.
  TW_FONT_PROPERTY(mFont)
  // The background of the list (clWindow): the Base role of the palette, so setPalette and
  // style sheets reach it.
  TW_COLOR_PROPERTY_CUSTOM(Color)

 public:
  // Item data roles.
  enum { PlaceRole = Qt::UserRole + 1, IndentRole, PathPartRole };

  explicit TDirectoryComboLite(QWidget* parent = nullptr);

  TFileListViewLite* FileListView() const;
 public Q_SLOTS:
  // Sets FileListView and goes to the list's folder; emits FileListViewChanged.
  void setFileListView(Tarnwell::TFileListViewLite* view);
 Q_SIGNALS:
  // FileListView changed.
  void FileListViewChanged(Tarnwell::TFileListViewLite* value);
  // Emitted when the combo went to another place: oldDir and directory are the places before
  // and after, canPrev whether directory is not the desktop (a place above it exists).
  // OnDirectoryChange is called after it; the file list then follows.
  void DirectoryChange(QObject* sender, const QString& oldDir, const QString& directory, bool canPrev);

 public:
  QString Directory() const { return mDirectory; }
  // Goes to a place (a folder or a keyword); the view follows.
  void SetDirectory(const QString& place);
  bool ChangeDrive(const QString& root);
  bool GoUp();
  // The first item whose place is `place` (keywords in any case); -1 when none.
  int IndexOfPath(const QString& place) const;
  void BuildRoots();
  virtual void ShowPath();

  QString ItemPlace(int index) const;
  int ItemIndent(int index) const;
  // The row height: the larger of 16 and the font's line height.
  int ItemHeight() const;

  std::function<void(TObject*, const QString&, const QString&, bool)> OnDirectoryChange;

 protected:
  void keyPressEvent(QKeyEvent* e) override;
  void changeEvent(QEvent* e) override;

 private:
  void AddItem(int at, const QIcon& icon, int indent, const QString& place, const QString& text, bool pathPart);
  void SelectPlace();

  TControlFont mFont{this};
  TControlColor mColorView{this, clWindow, QPalette::Base};
  QPointer<TFileListViewLite> mView;
  QString mDirectory;
  QStringList mPathParts;
  int mInsertAt = -1;
  bool mUpdating = false;
};

// A file-name edit that shows the name of the file selected in a TFileListViewLite and applies its
// text as the view's mask on Enter.
class TARNWELL_FILEVIEW_EXPORT TFileNameEditLite : public QLineEdit {
  Q_OBJECT
  Q_MOC_INCLUDE(<Tarnwell/fileview/FileList.h>)
  // The file list whose selected file name the edit shows and whose Mask it sets on Enter
  // (none by default).
  Q_PROPERTY(Tarnwell::TFileListViewLite* FileListView READ FileListView WRITE setFileListView NOTIFY FileListViewChanged)
 public:
  explicit TFileNameEditLite(QWidget* parent = nullptr);
  TFileListViewLite* FileListView() const;
 public Q_SLOTS:
  // Sets FileListView; emits FileListViewChanged.
  void setFileListView(Tarnwell::TFileListViewLite* view);
 Q_SIGNALS:
  // FileListView changed.
  void FileListViewChanged(Tarnwell::TFileListViewLite* value);

 protected:
  void keyPressEvent(QKeyEvent* e) override;

 private:
  QPointer<TFileListViewLite> mView;
};

}  // namespace Tarnwell
