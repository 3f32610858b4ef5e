#pragma once
// The "TGraph2D" demonstration window: five graphs, one per serie kind, the
// Gantt chart with links between its tasks.

#include <memory>

#include "Graph2D.h"
#include <Tarnwell/platform/TControls.h>
class QSplitter;

namespace Tarnwell {


class TFormGraph2D : public TForm {
  Q_OBJECT
 public:
  explicit TFormGraph2D(QWidget* parent = nullptr);
  ~TFormGraph2D() override;

  TGraph2D* GraphPoint = nullptr;
  TGraph2D* GraphLine = nullptr;
  TGraph2D* GraphFill = nullptr;
  TGraph2D* GraphBars = nullptr;
  TGraph2D* GraphGantt = nullptr;

  // Fills the five graphs with fresh data (done once when first shown).
  void FormShow();

 protected:
  void showEvent(QShowEvent* e) override;
  void FormClose(TCloseAction& action) override;

 private:
  std::shared_ptr<TGanttLinkList> mLinks;
  bool mFilled = false;
  QSplitter* mTop = nullptr;
  QSplitter* mVertical = nullptr;
  QSplitter* mMiddle = nullptr;
};

}  // namespace Tarnwell
