#include "FileListPopup.h"

#include <QActionGroup>
#include <QDir>
#include <QFile>
#include <QStandardPaths>

#include "FileEntries.h"
#include "FileList.h"
#include "FileViewTexts.h"

namespace Tarnwell {

TFileListLitePopup::TFileListLitePopup(TFileListViewLite* view) : QMenu(view), mView(view) {
  connect(this, &QMenu::triggered, this, &TFileListLitePopup::Clicked);
}

QString TFileListLitePopup::SendToDir() {
  return JoinPath(QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation),
                  QStringLiteral("Tarnwell/sendto"));
}

QAction* TFileListLitePopup::Item(const QString& name) const {
  return findChild<QAction*>(name);
}

void TFileListLitePopup::BuildMenu(int base) {
  mBase = base;
  clear();
  for (QAction* a : findChildren<QAction*>(QString(), Qt::FindDirectChildrenOnly)) delete a;
  for (QMenu* m : findChildren<QMenu*>(QString(), Qt::FindDirectChildrenOnly)) delete m;
  auto text = [base](int off) { return FileViewString(base + off); };
  auto command = [this](QMenu* into, const char* name, const QString& caption) {
    auto* a = new QAction(caption, this);
    a->setObjectName(QLatin1String(name));
    into->addAction(a);
    return a;
  };
  command(this, "SubMenuOpen", text(ftOpen));
  addSeparator()->setObjectName(QStringLiteral("Separator1"));
  QMenu* view = addMenu(text(ftViewStyle));
  view->menuAction()->setObjectName(QStringLiteral("SubMenuView"));
  auto* g1 = new QActionGroup(view);
  for (auto [name, off] : {std::pair{"ItemViewIcon", ftLargeIcons}, {"ItemViewSmal", ftSmallIcons},
                           {"ItemViewList", ftList}, {"ItemViewRepr", ftReport}}) {
    QAction* a = command(view, name, text(off));
    a->setCheckable(true);
    g1->addAction(a);
  }
  QMenu* sort = addMenu(text(ftSortIcons));
  sort->menuAction()->setObjectName(QStringLiteral("SubMenuSort"));
  auto* g2 = new QActionGroup(sort);
  for (auto [name, off] : {std::pair{"ItemSortName", ftByName}, {"ItemSortSize", ftBySize},
                           {"ItemSortType", ftByType}, {"ItemSortDate", ftByDate}, {"ItemSortAttr", ftByAttr}}) {
    QAction* a = command(sort, name, text(off));
    a->setCheckable(true);
    g2->addAction(a);
  }
  mSendMenu = addMenu(text(ftSendTo));
  mSendMenu->menuAction()->setObjectName(QStringLiteral("SubMenuSend"));
  addSeparator()->setObjectName(QStringLiteral("Separator2"));
  command(this, "ItemOpRename", text(ftRename));
  command(this, "ItemOpDelete", text(ftDelete));
  command(this, "ItemOpFolder", text(ftMenuNewFolder));
  ScanSendTo();
}

void TFileListLitePopup::ScanSendTo() {
  SendToPaths.clear();
  if (!mSendMenu) return;
  for (QAction* a : mSendMenu->actions()) delete a;
  mSendMenu->clear();
  const QDir dir(SendToDir());
  if (!dir.exists()) return;
  const QStringList names = dir.entryList(QDir::AllEntries | QDir::NoDotAndDotDot, QDir::Name);
  for (const QString& n : names) {
    const QString path = dir.filePath(n);
    QString caption = n;
    if (n.endsWith(QLatin1String(".desktop"))) {
      // Read only when it is a regular file (never a FIFO), 64 KiB at most.
      for (const QString& line : DesktopEntryLines(QFile::encodeName(path)))
        if (line.startsWith(QLatin1String("Name="))) caption = line.mid(5);
    } else if (!QFileInfo(path).isDir()) {
      continue;  // only folders and .desktop entries
    }
    auto* a = new QAction(caption, this);
    a->setObjectName(QStringLiteral("SendTo%1").arg(SendToPaths.size()));
    mSendMenu->addAction(a);
    SendToPaths << path;
  }
}

void TFileListLitePopup::Prepare() {
  static const char* const views[] = {"ItemViewIcon", "ItemViewSmal", "ItemViewList", "ItemViewRepr"};
  static const char* const sorts[] = {"ItemSortName", "ItemSortSize", "ItemSortType", "ItemSortDate", "ItemSortAttr"};
  if (QAction* a = Item(QLatin1String(views[int(mView->ViewIconStyle())]))) a->setChecked(true);
  if (QAction* a = Item(QLatin1String(sorts[int(mView->SortedBy()) % 5]))) a->setChecked(true);
  ScanSendTo();
  const bool sel = !mView->SelectedRows().isEmpty();
  for (const char* n : {"SubMenuOpen", "Separator1", "SubMenuSend", "ItemOpRename", "ItemOpDelete"})
    if (QAction* a = Item(QLatin1String(n))) a->setVisible(sel);
  for (const char* n : {"SubMenuView", "SubMenuSort", "ItemOpFolder"})
    if (QAction* a = Item(QLatin1String(n))) a->setVisible(!sel);
  if (QAction* a = Item(QStringLiteral("Separator2"))) a->setVisible(true);
}

void TFileListLitePopup::Popup(const QPoint& globalPos) {
  Prepare();
  popup(globalPos);
}

void TFileListLitePopup::Clicked(QAction* a) {
  const QString n = a->objectName();
  if (n == QLatin1String("ItemViewList")) mView->setViewIconStyle(visList);
  else if (n == QLatin1String("ItemViewRepr")) mView->setViewIconStyle(visReport);
  else if (n == QLatin1String("ItemViewSmal")) mView->setViewIconStyle(visSmallIcon);
  else if (n == QLatin1String("ItemViewIcon")) mView->setViewIconStyle(visIcon);
  else if (n == QLatin1String("ItemSortName")) mView->setSortedBy(sbName);
  else if (n == QLatin1String("ItemSortSize")) mView->setSortedBy(sbSize);
  else if (n == QLatin1String("ItemSortType")) mView->setSortedBy(sbType);
  else if (n == QLatin1String("ItemSortDate")) mView->setSortedBy(sbDate);
  else if (n == QLatin1String("ItemSortAttr")) mView->setSortedBy(sbAttr);
  else if (n == QLatin1String("ItemOpRename")) mView->RenameSelected();
  else if (n == QLatin1String("ItemOpDelete")) mView->DeleteSelected();
  else if (n == QLatin1String("ItemOpFolder")) mView->NewFolder();
  else if (n == QLatin1String("SubMenuOpen")) mView->OpenSelected();
  else if (n.startsWith(QLatin1String("SendTo"))) {
    bool ok = false;
    const int i = n.mid(6, 5).toInt(&ok);
    if (ok && i >= 0 && i < SendToPaths.size()) mView->SendTo(SendToPaths[i]);
  }
}

}  // namespace Tarnwell
