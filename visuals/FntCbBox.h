#pragma once
// TFontComboBox: a drop-down list of the installed fonts, each with a mark for
// its kind (scalable outline or device font) and, on request, a sample.

#include <QComboBox>
#include <QImage>

#include <Tarnwell/platform/TCanvas.h>
#include <Tarnwell/platform/TGraphics.h>
#include <Tarnwell/platform/TProperty.h>
#include <Tarnwell/platform/TWidgetLook.h>
#include <Tarnwell/platform/TTypes.h>
#include <Tarnwell/TarnwellExport.h>

namespace Tarnwell {

namespace FontComboTypes {
Q_NAMESPACE_EXPORT(TARNWELL_VISUALS_EXPORT)
// How a font combo box shows each font: its name (smNormal), its name written in the font itself
// (smFonts), or both.
enum TFontComboShowMode { smNormal, smFonts, smBoth };
Q_ENUM_NS(TFontComboShowMode)
}  // namespace FontComboTypes
using namespace FontComboTypes;

// A drop-down list of the installed fonts, with a mark for scalable or device fonts and optional
// samples.
class TARNWELL_VISUALS_EXPORT TFontComboBox : public QComboBox {
  Q_OBJECT
  // The selected entry's name ("" when none); writing selects the equal
  // entry, or none when the list does not have it.
  TW_PROPERTY_CUSTOM(QString, FontName)
  // How each font is shown (default smNormal).
  TW_PROPERTY(Tarnwell::FontComboTypes::TFontComboShowMode, ShowMode, AfterShowMode())
  // The face of the entries that are not selected.
  TW_COLOR_PROPERTY_CUSTOM(Color)
  // The entries' font, the widget's own font.
  TW_FONT_PROPERTY(mFont)

 public:
  explicit TFontComboBox(QWidget* parent = nullptr);

  // Entry kinds.
  static constexpr int KindOther = 0, KindTrueType = 1, KindDevice = 2;
  static constexpr const char* SampleText = "AbCdeFgHiLmNoPqRsTuVz";

  int ItemHeight() const { return mItemHeight; }
  int KindOf(int index) const;
  // Fills the list with the installed fonts when it is empty.
  void LoadFonts();

  // Assigned handler, called after the Change signal.
  TNotifyEvent OnChange;

  QSize sizeHint() const override;
  QSize minimumSizeHint() const override;

 Q_SIGNALS:
  // The user picked an entry.
  void Change(QObject* sender);

 public:

  void DrawItem(TCanvas& c, const TRect& r, int index, bool selected) const;

 protected:
  void paintEvent(QPaintEvent*) override;

 private:
  void AfterFont();
  void AfterShowMode();
  TFontComboShowMode mShowMode = smFonts;
  int mItemHeight = 16;
  QString mLastName;  // what FontNameChanged last told
  TControlFont mFont{this, QPalette::Text};
  TControlColor mColor{this, clWindow, QPalette::Base};
  QImage mTrueType, mDevice;
};

}  // namespace Tarnwell
