#pragma once
// A ruler of labelled cells (integers, dates, times, date-times or texts)
// that scrolls together with some content, and a scroll box that keeps up to
// two such rulers in step with its scroll bars and reports its scrolling.

#include <QPointer>
#include <QScrollArea>
#include <QStringList>
#include <QWidget>
#include <functional>

#include <Tarnwell/platform/TCanvas.h>
#include <Tarnwell/platform/TDateTime.h>
#include <Tarnwell/platform/TProperty.h>
#include <Tarnwell/platform/TWidgetLook.h>
#include <Tarnwell/TarnwellExport.h>

namespace Tarnwell {

namespace ScrollTypes {
Q_NAMESPACE_EXPORT(TARNWELL_SCROLL_EXPORT)
// Whether a rule runs along the top (horizontal) or the side (vertical).
enum TScrollRuleDirection { srdHorizontal, srdVertical };
Q_ENUM_NS(TScrollRuleDirection)
// What a rule's cells are labelled with: integers, dates, times, date-times,
// a date with a time under it, or the texts of Labels.
enum TScrollRuleValueType { srvInteger, srvDate, srvTime, srvDateTime, srvDatePTime, srvLabels };
Q_ENUM_NS(TScrollRuleValueType)
// How a rule's cells are framed: not at all, a single line, raised or
// lowered.
enum TScrollRuleLabelType { srlNone, srlSingle, srlRaised, srlLowered };
Q_ENUM_NS(TScrollRuleLabelType)
// What moved a scroll bar: a line or page step, the thumb being dragged
// (scTrack), the thumb let go (scPosition), a jump to an end.
enum TScrollCode { scLineUp, scLineDown, scPageUp, scPageDown, scPosition, scTrack, scTop, scBottom, scEndScroll };
Q_ENUM_NS(TScrollCode)
}  // namespace ScrollTypes
using namespace ScrollTypes;

// A ruler of labelled cells, StepSize pixels each, that scrolls with some
// content: cell i begins at StartPos + i * StepSize (shifted by the content's
// offset) and shows StartValue + i * StepValue in the ValueType's form.
class TARNWELL_SCROLL_EXPORT TScrollRule : public QWidget {
  Q_OBJECT
  // Along the top or along the side (default srdHorizontal).
  TW_PROPERTY_DEFAULT(Tarnwell::ScrollTypes::TScrollRuleDirection, Direction, srdHorizontal, update())
  // Changing the type resets start and step to that type's defaults.
  TW_PROPERTY_SETTER(Tarnwell::ScrollTypes::TScrollRuleValueType, ValueType)
  // How the cells are framed: srlRaised (default), srlLowered, srlSingle or srlNone.
  TW_PROPERTY_DEFAULT(Tarnwell::ScrollTypes::TScrollRuleLabelType, LabelType, srlRaised, update())
  // The content's scroll offsets (0 or negative).
  TW_PROPERTY_DEFAULT(int, TopPosition, 0, update())
  // The content's horizontal scroll offset in pixels (0 or negative; default 0).
  TW_PROPERTY_DEFAULT(int, LeftPosition, 0, update())
  // Where cell 0 begins, and the last position a cell may begin at (0: the
  // control's length).
  TW_PROPERTY_DEFAULT(int, StartPos, 0, update())
  // The last position a cell may begin at, in pixels (default 0: the control's length).
  TW_PROPERTY_DEFAULT(int, StopPos, 0, update())
  // The length of a cell in pixels (default 24).
  TW_PROPERTY_DEFAULT(int, StepSize, 24, update())
  // Extra pixels between one cell and the next (default 0); the pitch is StepSize + JumpSize,
  // at least 1.
  TW_PROPERTY_DEFAULT(int, JumpSize, 0, update())
  // Value of cell 0 and the increment per cell, as locale texts of the value
  // type (see the .cpp for the forms and what an unreadable text gives).
  TW_PROPERTY_CUSTOM(QString, StartValue)
  // The increment from one cell's value to the next, as a locale text of the value type (a
  // number, or a date or time span).
  TW_PROPERTY_CUSTOM(QString, StepValue)
  // The cells' texts for ValueType srvLabels, one a cell (empty by default).
  TW_PROPERTY(QStringList, Labels, update())
  // The background of the rule (clBtnFace): the background role of the palette.
  TW_COLOR_PROPERTY_CUSTOM(Color)
  // The font of the labels; its colour is the WindowText role of the palette.
  TW_FONT_PROPERTY(mFont)

 public:
  explicit TScrollRule(QWidget* parent = nullptr);

  // The values as numbers: integers, or date serials (days since 30 Dec 1899,
  // the time of day as the fraction).
  double StartNumber() const { return mStart; }
  double StepNumber() const { return mStep; }
  void SetStartNumber(double v);
  void SetStepNumber(double v);

  // Pixel position (along the direction) where cell n begins, scrolled.
  int CellStart(int n) const;
  // The label of cell n: a text of Labels, or the value formatted.
  QString CellLabel(int n) const;
  // The distance from one cell to the next (at least 1).
  int Pitch() const;

  QSize sizeHint() const override { return QSize(96, 24); }

 protected:
  virtual void Paint(TCanvas& canvas);
  void paintEvent(QPaintEvent*) override;

 private:
  QString FormatValue(double v, bool asStep) const;
  double ParseValue(const QString& text, bool asStep) const;
  void DrawLabel(TCanvas& canvas, const TRect& cell, double value, int n);

  TScrollRuleDirection mDirection = srdHorizontal;
  TScrollRuleValueType mValueType = srvInteger;
  TScrollRuleLabelType mLabelType = srlRaised;
  int mTopPosition = 0;
  int mLeftPosition = 0;
  int mStartPos = 0;
  int mStopPos = 0;
  int mStepSize = 24;
  int mJumpSize = 0;
  QStringList mLabels;
  double mStart = 0;
  double mStep = 1;
  TControlColor mColorView{this, clBtnFace};
  TControlFont mFont{this};
};

// Locale texts of dates and times as the rule reads and writes them; exposed
// for callers that build start values (the schedule demonstration).
TARNWELL_SCROLL_EXPORT QString RuleDateText(double serial);
TARNWELL_SCROLL_EXPORT QString RuleTimeText(double serial);
TARNWELL_SCROLL_EXPORT QString RuleDateTimeText(double serial);

using TEnhScrollEvent = std::function<void(TObject* sender, int code, int pos)>;

// A scrolling container. Its content is a plain widget (Content()) that
// grows to hold the controls placed on it; the rules attached as HorzRule and
// VertRule follow the scroll positions.
class TARNWELL_SCROLL_EXPORT TEnhScrollBox : public QScrollArea {
  Q_OBJECT
  // The content's vertical scroll offset in pixels: 0 or negative, minus the vertical scroll
  // bar's value. Setting it scrolls, and VertRule follows.
  TW_PROPERTY_CUSTOM(int, TopPosition)
  // The content's horizontal scroll offset in pixels: 0 or negative, minus the horizontal
  // scroll bar's value. Setting it scrolls, and HorzRule follows.
  TW_PROPERTY_CUSTOM(int, LeftPosition)
  // The rule that follows the horizontal scrolling, shown along the top (none by default).
  Q_PROPERTY(Tarnwell::TScrollRule* HorzRule READ HorzRule WRITE setHorzRule)
  // The rule that follows the vertical scrolling, shown along the side (none by default).
  Q_PROPERTY(Tarnwell::TScrollRule* VertRule READ VertRule WRITE setVertRule)

 public:
  explicit TEnhScrollBox(QWidget* parent = nullptr);

  // The widget the box scrolls: place controls on it.
  QWidget* Content() const { return mContent; }

  TScrollRule* HorzRule() const { return mHorzRule; }
  TScrollRule* VertRule() const { return mVertRule; }
  void setHorzRule(TScrollRule* r);
  void setVertRule(TScrollRule* r);

  // While the thumb is dragged (code scTrack, minus the tracking position)
  // and after every other scroll action (its code, minus the new position).
  TEnhScrollEvent OnHTrack, OnVTrack, OnHScroll, OnVScroll;

 Q_SIGNALS:
  // The horizontal thumb is being dragged: `code` is scTrack, `pos` minus
  // the tracking position; `sender` is the box.
  void HTrack(QObject* sender, int code, int pos);
  // The vertical thumb is being dragged (as HTrack).
  void VTrack(QObject* sender, int code, int pos);
  // The horizontal scroll bar moved by any other action: its TScrollCode and
  // minus the new position.
  void HScroll(QObject* sender, int code, int pos);
  // The vertical scroll bar moved by any other action (as HScroll).
  void VScroll(QObject* sender, int code, int pos);

 protected:
  void resizeEvent(QResizeEvent* e) override;
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void ScrollBarMoved(Qt::Orientation o, int value);
  void FitContent();
  void SyncRules();

  QWidget* mContent;
  QPointer<TScrollRule> mHorzRule, mVertRule;
  int mLastHAction = -1, mLastVAction = -1;
  bool mFitting = false;
};

}  // namespace Tarnwell
