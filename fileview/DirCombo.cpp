#include "DirCombo.h"

#include <QAbstractItemView>
#include <QDir>
#include <QKeyEvent>
#include <QPainter>
#include <QStyledItemDelegate>

#include "FileEntries.h"
#include "FileIcons.h"
#include "FileList.h"
#include "FileViewTexts.h"
#include <Tarnwell/platform/TDialogs.h>
#include <Tarnwell/platform/THourglass.h>

namespace Tarnwell {

namespace {

bool SamePlace(const QString& a, const QString& b) {
  if (IsSpecialPlace(a) || IsSpecialPlace(b)) return a.compare(b, Qt::CaseInsensitive) == 0;
  return a == b;
}

// Draws a row of the open list: its icon and text moved right by the
// row's indent.
class TDirComboDelegate : public QStyledItemDelegate {
 public:
  TDirComboDelegate(TDirectoryComboLite* combo) : QStyledItemDelegate(combo), mCombo(combo) {}
  void paint(QPainter* p, const QStyleOptionViewItem& option, const QModelIndex& index) const override {
    QStyleOptionViewItem o = option;
    initStyleOption(&o, index);
    const bool selected = o.state & QStyle::State_Selected;
    p->fillRect(o.rect, selected ? o.palette.highlight() : o.palette.base());
    const int indent = index.data(TDirectoryComboLite::IndentRole).toInt();
    const QIcon icon = index.data(Qt::DecorationRole).value<QIcon>();
    const QRect r = o.rect;
    icon.paint(p, QRect(r.left() + indent + 2, (r.top() + r.bottom() + 1 - 16) / 2, 16, 16), Qt::AlignCenter,
               selected ? QIcon::Selected : QIcon::Normal);
    p->setPen(selected ? o.palette.highlightedText().color() : o.palette.text().color());
    p->setFont(o.font);
    p->drawText(QRect(r.left() + indent + 22, r.top(), r.width() - indent - 22, r.height()),
                Qt::AlignVCenter | Qt::AlignLeft | Qt::TextSingleLine, index.data(Qt::DisplayRole).toString());
  }
  QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override {
    const int indent = index.data(TDirectoryComboLite::IndentRole).toInt();
    const int w = option.fontMetrics.horizontalAdvance(index.data(Qt::DisplayRole).toString());
    return QSize(indent + 22 + w + 4, mCombo->ItemHeight());
  }

 private:
  TDirectoryComboLite* mCombo;
};

}  // namespace

TFileListViewLite* TDirectoryComboLite::FileListView() const { return mView; }

TDirectoryComboLite::TDirectoryComboLite(QWidget* parent) : QComboBox(parent) {
  mFont.changed = [this] {
    updateGeometry();
    Q_EMIT FontChanged(font());
  };
  mColorView.changed = [this] { Q_EMIT ColorChanged(ColorQColor()); };
  setItemDelegate(new TDirComboDelegate(this));
  setIconSize(QSize(16, 16));
  setMaxVisibleItems(16);
  setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
  mDirectory = QDir::currentPath();  // read, never changed
  BuildRoots();
  connect(this, QOverload<int>::of(&QComboBox::activated), this, [this](int i) {
    if (!mUpdating && i >= 0) SetDirectory(ItemPlace(i));
  });
}

TColor TDirectoryComboLite::Color() const { return mColorView.Color(); }
void TDirectoryComboLite::setColor(TColor value) { mColorView.SetColor(value); }

void TDirectoryComboLite::setFileListView(TFileListViewLite* view) {
  if (mView == view) return;
  mView = view;
  if (view && !SamePlace(view->Directory(), mDirectory)) SetDirectory(view->Directory());
  Q_EMIT FileListViewChanged(view);
}

int TDirectoryComboLite::ItemHeight() const { return std::max(16, fontMetrics().height()); }

QString TDirectoryComboLite::ItemPlace(int index) const { return itemData(index, PlaceRole).toString(); }
int TDirectoryComboLite::ItemIndent(int index) const { return itemData(index, IndentRole).toInt(); }

int TDirectoryComboLite::IndexOfPath(const QString& place) const {
  for (int i = 0; i < count(); ++i)
    if (SamePlace(ItemPlace(i), place)) return i;
  return -1;
}

void TDirectoryComboLite::AddItem(int at, const QIcon& icon, int indent, const QString& place, const QString& text,
                                  bool pathPart) {
  insertItem(at, icon, text);
  setItemData(at, place, PlaceRole);
  setItemData(at, indent, IndentRole);
  setItemData(at, pathPart, PathPartRole);
  setItemData(at, place, Qt::ToolTipRole);
}

void TDirectoryComboLite::BuildRoots() {
  THourglass busy;
  const int base = mView ? mView->TextBase() : LanguageBase(lnUserDefault);
  mUpdating = true;
  clear();
  mInsertAt = -1;
  auto add = [this](const QIcon& icon, int indent, const QString& place, const QString& text) {
    AddItem(count(), icon, indent, place, text, false);
  };
  add(PlaceIcon(QLatin1String(kPlaceDesktop)), 0, QLatin1String(kPlaceDesktop),
      PlaceDisplayName(QLatin1String(kPlaceDesktop), base));
  add(PlaceIcon(QLatin1String(kPlaceDrives)), 10, QLatin1String(kPlaceDrives),
      PlaceDisplayName(QLatin1String(kPlaceDrives), base));
  for (const TFileItem& d : ListDrives(base)) add(PlaceIcon(d.Name), 20, d.Name, d.Caption);
  add(PlaceIcon(QLatin1String(kPlaceNetwork)), 10, QLatin1String(kPlaceNetwork),
      PlaceDisplayName(QLatin1String(kPlaceNetwork), base));
  add(PlaceIcon(QLatin1String(kPlaceRecycled)), 10, QLatin1String(kPlaceRecycled),
      PlaceDisplayName(QLatin1String(kPlaceRecycled), base));
  mUpdating = false;
  ShowPath();
}

void TDirectoryComboLite::ShowPath() {
  mUpdating = true;
  // Every path item goes, wherever it stands: none is left behind when the
  // anchor moved or went away.
  for (int i = count() - 1; i >= 0; --i)
    if (itemData(i, PathPartRole).toBool()) removeItem(i);
  mInsertAt = -1;
  mPathParts.clear();
  if (!IsSpecialPlace(mDirectory)) {
    const QString anchor = MountRootOf(mDirectory);
    mInsertAt = IndexOfPath(anchor);
    if (mInsertAt < 0) mInsertAt = IndexOfPath(QStringLiteral("/"));
    if (mInsertAt < 0) mInsertAt = IndexOfPath(QLatin1String(kPlaceDrives));
    for (QString p = mDirectory; p.size() > anchor.size() && p != QLatin1String("/"); p = ParentPath(p))
      mPathParts.prepend(p);
    for (int i = 0; i < mPathParts.size(); ++i) {
      const QString& part = mPathParts[i];
      const bool last = i == mPathParts.size() - 1;
      AddItem(mInsertAt + i + 1, FolderIcon(last), 30 + 10 * i, part, QDir(part).dirName(), true);
    }
  }
  mUpdating = false;
  SelectPlace();
}

void TDirectoryComboLite::SelectPlace() {
  mUpdating = true;
  setCurrentIndex(IndexOfPath(mDirectory));
  mUpdating = false;
}

void TDirectoryComboLite::SetDirectory(const QString& place) {
  const QString old = mDirectory;
  if (!SamePlace(place, mDirectory)) {
    const QString p = place == QLatin1String("\\\\") ? QString::fromLatin1(kPlaceNetwork) : place;
    if (IsSpecialPlace(p)) {
      mDirectory = NormalisePlace(p);
      BuildRoots();
    } else if (QDir::isAbsolutePath(p) &&
               (IsDirectoryPath(p) || (mView && !mView->RawOfShownParent(QDir::cleanPath(p)).isEmpty()))) {
      // The view's own folder or one of its parents may have a name that is
      // no UTF-8: shown with U+FFFD, reached through the view by its bytes.
      mDirectory = QDir::cleanPath(p);
      // A volume that was mounted since the list was made comes in too.
      if (IndexOfPath(MountRootOf(mDirectory)) < 0) BuildRoots();
      else ShowPath();
    }
    TW_FIRE(OnDirectoryChange, DirectoryChange, this, old, mDirectory,
            mDirectory.compare(QLatin1String(kPlaceDesktop), Qt::CaseInsensitive) != 0);
    if (mView && !SamePlace(mView->Directory(), mDirectory)) mView->ChangeDir(mDirectory);
  }
  SelectPlace();
}

bool TDirectoryComboLite::ChangeDrive(const QString& root) {
  for (const TFileItem& d : ListDrives(900))
    if (d.Name == root) {
      SetDirectory(root);
      return true;
    }
  return false;
}

bool TDirectoryComboLite::GoUp() {
  if (mDirectory.compare(QLatin1String(kPlaceDesktop), Qt::CaseInsensitive) == 0) return false;
  QString up;
  if (IsSpecialPlace(mDirectory)) up = QString::fromLatin1(kPlaceDesktop);
  else if (mDirectory == QLatin1String("/")) up = QString::fromLatin1(kPlaceDrives);
  else up = ParentPath(mDirectory);
  SetDirectory(up);
  return mDirectory.compare(QLatin1String(kPlaceDesktop), Qt::CaseInsensitive) != 0;
}

void TDirectoryComboLite::keyPressEvent(QKeyEvent* e) {
  if (e->key() == Qt::Key_Backspace) GoUp();
  QComboBox::keyPressEvent(e);
}

void TDirectoryComboLite::changeEvent(QEvent* e) {
  QComboBox::changeEvent(e);
  if (e->type() == QEvent::FontChange && view()) view()->doItemsLayout();
}

// ---- the file-name edit ---------------------------------------------------------

TFileNameEditLite::TFileNameEditLite(QWidget* parent) : QLineEdit(parent) {}

// Out of line: the header only declares the view class.
TFileListViewLite* TFileNameEditLite::FileListView() const { return mView; }

void TFileNameEditLite::setFileListView(TFileListViewLite* view) {
  if (mView == view) return;
  mView = view;
  Q_EMIT FileListViewChanged(view);
}

void TFileNameEditLite::keyPressEvent(QKeyEvent* e) {
  QLineEdit::keyPressEvent(e);
  if ((e->key() == Qt::Key_Return || e->key() == Qt::Key_Enter) && mView) {
    QString error;
    const QString mask = text().trimmed().isEmpty() ? QStringLiteral("*.*") : text().trimmed();
    if (!TFileMask::Validate(mask, &error)) MessageDlg(error, mtError, mbOK);
    else mView->setMask(mask);
    e->accept();
  }
}

}  // namespace Tarnwell
