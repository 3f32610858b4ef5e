#pragma once
// TStatusBar: the platform's status bar, a row of sunken panels at the
// bottom of a window. Each panel has a text, a width and an alignment; the
// last panel takes whatever width is left.

#include <QString>
#include <QWidget>
#include <vector>

#include "TCanvas.h"
#include "TTypes.h"
#include "TWidgetLook.h"
#include <Tarnwell/TarnwellExport.h>

namespace Tarnwell {

// One panel of a status bar: its text, width in pixels and alignment.
struct TARNWELL_PLATFORM_EXPORT TStatusPanel {
  QString Text;
  int Width = 50;
  TAlignment Alignment = taLeftJustify;
};

// A status bar of panels, each with its text, width and alignment.
class TARNWELL_PLATFORM_EXPORT TStatusBar : public QWidget {
  Q_OBJECT
 public:
  explicit TStatusBar(QWidget* parent = nullptr);

  int PanelCount() const { return int(mPanels.size()); }
  // Appends a panel; returns its index.
  int AddPanel(const QString& text, int width, TAlignment alignment = taLeftJustify);
  void ClearPanels();
  // Out-of-range indexes read as empty and are ignored when written.
  QString PanelText(int index) const;
  void SetPanelText(int index, const QString& text);
  const TStatusPanel* Panel(int index) const;
  // Where panel `index` is drawn (the last one reaches the right edge).
  TRect PanelRect(int index) const;

  QSize sizeHint() const override;

 Q_SIGNALS:
  // The text of panel index changed (SetPanelText with a different text).
  void PanelTextChanged(int index, const QString& text);

 protected:
  void paintEvent(QPaintEvent*) override;

 private:
  std::vector<TStatusPanel> mPanels;
};

}  // namespace Tarnwell
