#pragma once
// TColorComboBox: a drop-down list of twenty named colours with swatches.

#include <QComboBox>
#include <QStyledItemDelegate>

#include <Tarnwell/platform/TCanvas.h>
#include <Tarnwell/platform/TColor.h>
#include <Tarnwell/platform/TGraphics.h>
#include <Tarnwell/platform/TTypes.h>

namespace Tarnwell {

class TColorComboBox : public QComboBox {
  Q_OBJECT
  // Lets a form resizer scale the font the items are drawn with.
  Q_PROPERTY(int FontSize READ FontSize WRITE SetFontSize)

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

  // The selected entry's colour. A colour that is not in the table is kept
  // as it was written and no entry is selected.
  TColor ColorValue() const;
  void SetColorValue(TColor c);
  int ItemHeight() const { return mItemHeight; }
  void SetItemHeight(int h);
  TFont& Font() { return mFont; }
  int FontSize() const { return mFont.Size(); }
  void SetFontSize(int points) { mFont.SetSize(std::max(1, points)); }

  // Fired when the user picks an entry.
  TNotifyEvent OnChange;

  // Paints one entry into r (the list and the closed box share it).
  void DrawItem(TCanvas& c, const TRect& r, int index, bool selected) const;

 protected:
  void paintEvent(QPaintEvent*) override;

 private:
  void Rebuild();
  int mItemHeight = 16;
  TColor mFreeValue = clBlack;
  TFont mFont;
};

}  // namespace Tarnwell
