#pragma once
// TFontComboBox: a drop-down list of the installed fonts, each with a mark for
// its kind (scalable outline or device font) and, on request, a sample.

#include <QComboBox>
#include <QImage>

#include <Tarnwell/platform/TCanvas.h>
#include <Tarnwell/platform/TGraphics.h>
#include <Tarnwell/platform/TTypes.h>

namespace Tarnwell {

enum TFontComboShowMode { smNormal, smFonts, smBoth };

class TFontComboBox : public QComboBox {
  Q_OBJECT
  // Lets a form resizer scale the font the items are drawn with.
  Q_PROPERTY(int FontSize READ FontSize WRITE SetFontSize)

 public:
  explicit TFontComboBox(QWidget* parent = nullptr);

  // Entry kinds.
  static constexpr int KindOther = 0, KindTrueType = 1, KindDevice = 2;
  static constexpr const char* SampleText = "AbCdeFgHiLmNoPqRsTuVz";

  // The selected entry's name ("" when none); writing selects the equal
  // entry, or none when the list does not have it.
  QString FontName() const;
  void SetFontName(const QString& name);
  TFontComboShowMode ShowMode() const { return mShowMode; }
  void SetShowMode(TFontComboShowMode m);
  int ItemHeight() const { return mItemHeight; }
  TFont& Font() { return mFont; }
  int FontSize() const { return mFont.Size(); }
  void SetFontSize(int points) { mFont.SetSize(std::max(1, points)); }
  int KindOf(int index) const;
  // Fills the list with the installed fonts when it is empty.
  void LoadFonts();

  TNotifyEvent OnChange;

  void DrawItem(TCanvas& c, const TRect& r, int index, bool selected) const;

 protected:
  void paintEvent(QPaintEvent*) override;

 private:
  void FontChanged();
  TFontComboShowMode mShowMode = smFonts;
  int mItemHeight = 16;
  TFont mFont;
  QImage mTrueType, mDevice;
};

}  // namespace Tarnwell
