#pragma once
// TBrowserFold: a non-visual component that asks the user for a folder with
// the desktop's folder dialog and gives back the chosen path. The dialog runs
// through the platform's modal hook (ExecModal), so tests can answer it.
//
// The root folder names a place of the desktop: the desktop itself, the
// documents, fonts, templates and applications folders, "/" for the drives
// and the trash folder for the recycle bin; places a desktop does not have
// fall back to the desktop.

#include <QObject>
#include <QString>

#include <Tarnwell/platform/TProperty.h>
#include <Tarnwell/TarnwellExport.h>

class QFileDialog;

namespace Tarnwell {

namespace BrowsFldTypes {
Q_NAMESPACE_EXPORT(TARNWELL_DATABASEFORMS_EXPORT)
// The folder the folder browser starts from.
enum TSHFolders {
  foDesktop = 0,
  foDesktopExpanded = 0xFEFE,
  foPrograms = 2,
  foControlPanel = 3,
  foPrinters = 4,
  foPersonal = 5,
  foFavorites = 6,
  foStartup = 7,
  foRecent = 8,
  foSendto = 9,
  foRecycleBin = 10,
  foStartMenu = 11,
  foDesktopDirectory = 16,
  foMyComputer = 17,
  foNetwork = 18,
  foNetworkNeighborhood = 19,
  foFonts = 20,
  foTemplates = 21
};
Q_ENUM_NS(TSHFolders)
// Options of the folder browser window.
enum TBrowseInfoFlag {
  bfDirectoriesOnly = 0x1,
  bfDomainOnly = 0x2,
  bfAncestors = 0x4,
  bfComputers = 0x8,
  bfPrinters = 0x10,
  bfIncludeFiles = 0x20,
  bfEditBox = 0x40,
  bfIncludeURLs = 0x80,
  bfNewDialogStyle = 0x100,
  bfShareable = 0x200,
  bfUseNewUI = 0x400
};
Q_DECLARE_FLAGS(TBrowseInfoFlagSet, TBrowseInfoFlag)
Q_FLAG_NS(TBrowseInfoFlagSet)
}  // namespace BrowsFldTypes
using namespace BrowsFldTypes;
Q_DECLARE_OPERATORS_FOR_FLAGS(BrowsFldTypes::TBrowseInfoFlagSet)

// A folder browser: a dialog, shown by Execute, in which the user picks a folder (or a file,
// with bfIncludeFiles) starting from Directory or from the root folder.
class TARNWELL_DATABASEFORMS_EXPORT TBrowserFold : public QObject {
  Q_OBJECT
  // The chosen folder's path after Execute (empty when nothing was chosen); set before
  // Execute, an existing folder is where the dialog starts. Empty by default.
  TW_PROPERTY(QString, Directory, (void)0)
  // The caption of the dialog; empty by default.
  TW_PROPERTY(QString, Title, (void)0)
  // The folder the dialog starts from when Directory names no existing folder (default
  // foDesktopExpanded).
  TW_PROPERTY_DEFAULT(Tarnwell::BrowsFldTypes::TSHFolders, RootFolder, foDesktopExpanded, (void)0)
  // Some options bring others with them: URLs need files and the new look,
  // shareable needs the new look, the new look brings the edit box and the
  // new dialog style.
  Q_PROPERTY(Tarnwell::BrowsFldTypes::TBrowseInfoFlagSet Options READ Options WRITE setOptions RESET resetOptions
                 NOTIFY OptionsChanged)

 public:
  explicit TBrowserFold(QObject* owner = nullptr);

  TBrowseInfoFlagSet Options() const { return mOptions; }
  static TBrowseInfoFlagSet OptionsDefault() { return bfDirectoriesOnly | bfNewDialogStyle; }
  // The options with the ones they bring.
  static TBrowseInfoFlagSet Completed(TBrowseInfoFlagSet options);

  // Shows the dialog; true, with Directory the chosen path, when a path was
  // chosen; false, with Directory empty, otherwise.
  bool Execute();

  // The folder a root stands for on this desktop.
  static QString RootPath(TSHFolders root);
  // The folder the dialog starts in: Directory when it names an existing
  // folder, else the root's folder.
  QString StartFolder() const;

 public Q_SLOTS:
  // Sets the options, completed with the ones they bring (Completed); emits OptionsChanged
  // with the completed set when it differs.
  void setOptions(Tarnwell::BrowsFldTypes::TBrowseInfoFlagSet value);
  // Back to the default options, bfDirectoriesOnly and bfNewDialogStyle.
  void resetOptions() { setOptions(OptionsDefault()); }

 Q_SIGNALS:
  // The options changed; value is the completed set.
  void OptionsChanged(Tarnwell::BrowsFldTypes::TBrowseInfoFlagSet value);

 private:
  QString mDirectory, mTitle;
  TSHFolders mRootFolder = foDesktopExpanded;
  TBrowseInfoFlagSet mOptions = OptionsDefault();
};

}  // namespace Tarnwell
