#include "BrowsFld.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QFileInfo>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QWidget>

#include <Tarnwell/platform/TDialogs.h>

namespace Tarnwell {

TBrowserFold::TBrowserFold(QObject* owner) : QObject(owner) {}

TBrowseInfoFlagSet TBrowserFold::Completed(TBrowseInfoFlagSet o) {
  if (o & bfIncludeURLs) o |= bfIncludeFiles | bfUseNewUI;
  if (o & bfShareable) o |= bfUseNewUI;
  if (o & bfUseNewUI) o |= bfEditBox | bfNewDialogStyle;
  return o;
}

void TBrowserFold::setOptions(TBrowseInfoFlagSet value) {
  if (value == mOptions) return;
  mOptions = Completed(value);
  Q_EMIT OptionsChanged(mOptions);
}

namespace {

QString Location(QStandardPaths::StandardLocation l) {
  const QString p = QStandardPaths::writableLocation(l);
  return p.isEmpty() ? QDir::homePath() : p;
}

// The user's templates folder as the desktop names it (XDG user dirs), or
// ~/Templates; empty when neither exists.
QString TemplatesFolder() {
  const QString home = QDir::homePath();
  QFile f(QStandardPaths::writableLocation(QStandardPaths::ConfigLocation) + QStringLiteral("/user-dirs.dirs"));
  if (f.open(QIODevice::ReadOnly)) {
    static const QRegularExpression line(QStringLiteral("^\\s*XDG_TEMPLATES_DIR\\s*=\\s*\"([^\"]*)\""));
    for (const QString& l : QString::fromUtf8(f.readAll()).split(QLatin1Char('\n'))) {
      const auto m = line.match(l);
      if (!m.hasMatch()) continue;
      QString p = m.captured(1);
      p.replace(QStringLiteral("$HOME"), home);
      // "$HOME/" alone means the templates are switched off.
      if (QDir(p) != QDir(home) && QFileInfo(p).isDir()) return p;
    }
  }
  const QString fallback = home + QStringLiteral("/Templates");
  return QFileInfo(fallback).isDir() ? fallback : QString();
}

}  // namespace

QString TBrowserFold::RootPath(TSHFolders root) {
  const QString desktop = Location(QStandardPaths::DesktopLocation);
  switch (root) {
    case foPersonal:
      return Location(QStandardPaths::DocumentsLocation);
    case foFonts:
      return Location(QStandardPaths::FontsLocation);
    case foTemplates: {
      const QString t = TemplatesFolder();
      return t.isEmpty() ? desktop : t;
    }
    case foPrograms:
    case foStartMenu:
      return Location(QStandardPaths::ApplicationsLocation);
    case foMyComputer:
      return QStringLiteral("/");
    case foRecycleBin:
      return QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation) + QStringLiteral("/Trash/files");
    default:
      return desktop;
  }
}

QString TBrowserFold::StartFolder() const {
  if (!mDirectory.isEmpty() && QFileInfo(mDirectory).isDir()) return QFileInfo(mDirectory).absoluteFilePath();
  return RootPath(mRootFolder);
}

bool TBrowserFold::Execute() {
  QWidget* owner = qobject_cast<QWidget*>(parent());
  if (!owner) owner = QApplication::activeWindow();
  QFileDialog dlg(owner, mTitle);
  const bool files = mOptions & bfIncludeFiles;
  dlg.setFileMode(files ? QFileDialog::AnyFile : QFileDialog::Directory);
  dlg.setAcceptMode(QFileDialog::AcceptOpen);
  if (!files) dlg.setOption(QFileDialog::ShowDirsOnly, true);
  const QString start = StartFolder();
  dlg.setDirectory(start);
  // A folder to preselect only when Directory names one that exists.
  const bool preselect = !mDirectory.isEmpty() && QFileInfo(mDirectory).isDir();
  if (preselect) dlg.selectFile(start);
  QString chosen;
  if (ExecModal(dlg) == QDialog::Accepted) {
    chosen = dlg.selectedFiles().value(0);
    // Only file-system paths count as a choice.
    if (!chosen.isEmpty() && !QFileInfo::exists(chosen)) chosen.clear();
    if (!chosen.isEmpty() && !files && !QFileInfo(chosen).isDir()) chosen.clear();
  }
  if (!chosen.isEmpty()) chosen = QDir::cleanPath(QFileInfo(chosen).absoluteFilePath());
  setDirectory(chosen);
  return !chosen.isEmpty();
}

}  // namespace Tarnwell
