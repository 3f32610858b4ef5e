#pragma once
// TColorComboBox: a drop-down list of twenty named colours with swatches.

#include <QComboBox>
#include <QStyledItemDelegate>

#include <Tarnwell/platform/TCanvas.h>
#include <Tarnwell/platform/TColor.h>
#include <Tarnwell/platform/TGraphics.h>
#include <Tarnwell/platform/TProperty.h>
#include <Tarnwell/platform/TWidgetLook.h>
#include <Tarnwell/platform/TTypes.h>
#include <Tarnwell/TarnwellExport.h>

namespace Tarnwell {

// A drop-down list of twenty named colours, each with its swatch.
class TARNWELL_VISUALS_EXPORT TColorComboBox : public QComboBox {
  Q_OBJECT
  // The selected entry's colour. A colour that is not in the table is kept
  // as it was written and no entry is selected.
  TW_COLOR_PROPERTY_CUSTOM(ColorValue)
  // Height in pixels of each entry of the list.
  TW_PROPERTY_SETTER(int, ItemHeight)
  // The face of the entries that are not selected.
  TW_COLOR_PROPERTY_CUSTOM(Color)
  // The entries' font, the widget's own font.
  TW_FONT_PROPERTY(mFont)

 public:
  explicit TColorComboBox(QWidget* parent = nullptr);

  static constexpr int ColorCount = 20;
  // The table's names and colours by index.
  static QString ColorName(int index);
  static TColor ColorAt(int index);
  // The name of a colour ("" when it is not in the table).
  static QString ColorToName(TColor c);
  // The colour of a name, compared without regard to case; black for a
  // name the table does not have.
  static TColor NameToColor(const QString& name);

  // Assigned handler, called after the Change signal.
  TNotifyEvent OnChange;

  QSize sizeHint() const override;
  QSize minimumSizeHint() const override;

 Q_SIGNALS:
  // The user picked an entry.
  void Change(QObject* sender);

 public:
  // Paints one entry into r (the list and the closed box share it).
  void DrawItem(TCanvas& c, const TRect& r, int index, bool selected) const;

 protected:
  void paintEvent(QPaintEvent*) override;

 private:
  void Rebuild();
  void AfterFont();
  int mItemHeight = 16;
  TColor mFreeValue = clBlack;
  TColor mLastValue = clBlack;  // what ColorValueChanged last told
  TControlFont mFont{this, QPalette::Text};
  TControlColor mColor{this, clWindow, QPalette::Base};
};

}  // namespace Tarnwell
