// The showcase's side of the demo database: the alias is registered at
// start-up, and while its file is generated (a few seconds, once) the user
// sees the busy cursor and how far it got.
#include <QApplication>
#include <QProgressDialog>
#include <memory>

#include <Tarnwell/database/FQryParm.h>
#include <Tarnwell/platform/THourglass.h>
#include "DBDemos.h"
#include "FDBCtrl.h"

namespace Tarnwell {

namespace {
struct TGenerationUi {
  std::unique_ptr<THourglass> Wait;
  std::unique_ptr<QProgressDialog> Dialog;
};
TGenerationUi& Ui() {
  static TGenerationUi ui;
  return ui;
}
}  // namespace

void RegisterDemo_database() {
  // Queries that prompt for their values ask through the real window.
  InstallQueryPromptWindow();
  TDemoGenerationHooks hooks;
  hooks.Started = [] {
    Ui().Wait = std::make_unique<THourglass>();
    if (!qobject_cast<QApplication*>(QCoreApplication::instance())) return;
    auto dlg = std::make_unique<QProgressDialog>(QStringLiteral("Creazione del database dimostrativo..."),
                                                 QString(), 0, 100);
    dlg->setWindowTitle(DemoAliasName());
    dlg->setWindowModality(Qt::ApplicationModal);
    dlg->setMinimumDuration(300);
    Ui().Dialog = std::move(dlg);
  };
  hooks.Progress = [](int percent) {
    if (Ui().Dialog) Ui().Dialog->setValue(percent);
  };
  hooks.Finished = [] {
    Ui().Dialog.reset();
    Ui().Wait.reset();
  };
  RegisterDemoAlias(std::move(hooks));
  RegisterDemoWindowDBCtrl();
}

}  // namespace Tarnwell
