#pragma once
// The showcase's main window: an MDI frame whose left panel holds the
// fifteen launchers. Each click opens one more instance of its window.

#include <QMainWindow>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QPointer>
#include <array>

#include "Launchers.h"
#include <Tarnwell/pattern/PatPanel.h>
#include "ShineBtn.h"

namespace Tarnwell {

// The program's own icon, for the frame and every window it opens.
QIcon ProgramIcon();

class TFormMain : public QMainWindow {
  Q_OBJECT
 public:
  explicit TFormMain(QWidget* parent = nullptr);
  ~TFormMain() override;

  TCustomPanel* Panel1;
  QMdiArea* MdiArea;
  // The status line: the long part of the hint under the mouse.
  TCustomPanel* StatusLine;
  TPatternHolder* PatternHolder1;
  TPatternFormPaint* PatternFormPaint1;

  // ShineButton1 ... ShineButton15 by their component number.
  TShineButton* ShineButton(int number) const { return mButtons.at(number - 1); }
  // Opens a new instance of the launcher's window as an MDI child; null when
  // that window is not built yet.
  TForm* Launch(const TLauncher& launcher);
  // The last instance a launcher created, while it is open.
  TForm* LastWindow(int number) const { return mLast.at(number - 1); }

 protected:
  bool event(QEvent* e) override;

 private:
  std::array<TShineButton*, 15> mButtons{};
  // Where the next window opens: cascaded from the one opened last.
  QPoint NextWindowPosition(const QSize& outer);
  std::array<QPointer<TForm>, 15> mLast{};
  QPointer<QMdiSubWindow> mLastOpened;
  int mWraps = 0;
};

}  // namespace Tarnwell
