#pragma once
// TURLLabel: a label that takes its "shine" font while the mouse is over it
// and, when clicked, opens its address: a new mail when the address holds an
// "@", a web page otherwise. Only web, mail and file-transfer addresses are
// opened, and always through the desktop's URL handling, never a shell.

#include <QFont>
#include <QUrl>

#include <Tarnwell/platform/TLabel.h>
#include <Tarnwell/TarnwellExport.h>

namespace Tarnwell {

// A label that opens a web page or a new mail (URL) when clicked, shining under the mouse.
class TARNWELL_VISUALS_EXPORT TURLLabel : public TCustomLabel {
  Q_OBJECT
  // The address a click opens: a mail address (with "@") or a web or
  // file-transfer address.
  TW_PROPERTY(QString, URL, (void)0)
  // The two fonts as Qt fonts; their colours are NormFontColor and
  // ShineFontColor. Font() is whichever of the two is in use.
  Q_PROPERTY(QFont NormFont READ NormQFont WRITE setNormFont NOTIFY NormFontChanged)
  // The font while the mouse is over the label.
  Q_PROPERTY(QFont ShineFont READ ShineQFont WRITE setShineFont NOTIFY ShineFontChanged)
  // The caption's colour while the mouse is elsewhere.
  Q_PROPERTY(QColor NormFontColor READ NormFontColor WRITE setNormFontColor NOTIFY NormFontChanged)
  // The caption's colour while the mouse is over the label.
  Q_PROPERTY(QColor ShineFontColor READ ShineFontColor WRITE setShineFontColor NOTIFY ShineFontChanged)

 public:
  explicit TURLLabel(QWidget* parent = nullptr);

  const TFont& NormFont() const { return mNormFont; }
  const TFont& ShineFont() const { return mShineFont; }
  QFont NormQFont() const { return mNormFont.ToQFont(); }
  QFont ShineQFont() const { return mShineFont.ToQFont(); }
  QColor NormFontColor() const { return ToQColor(mNormFont.Color()); }
  QColor ShineFontColor() const { return ToQColor(mShineFont.Color()); }

  // The address a click opens, or an empty QUrl (with the reason in `why`)
  // when URL is empty or names a kind of address that is not opened.
  QUrl Address(QString* why = nullptr) const;
  // What a click does after the Click signal: opens Address(), or reports
  // why it cannot. True when the address went to the desktop.
  bool OpenURL();
  bool MouseInControl() const { return mMouseIn; }
  // Reached with Tab like a link; Enter, Return or Space open it. Focused, it
  // shows ShineFont as under the mouse.

  TNotifyEvent OnClick;

 public Q_SLOTS:
  // Sets the font used while the mouse is elsewhere, its colour included; emits
  // NormFontChanged.
  void setNormFont(const Tarnwell::TFont& f);
  // Sets the font used while the mouse is elsewhere from a Qt font (the colour stays); emits
  // NormFontChanged.
  void setNormFont(const QFont& f);
  // Sets the font used while the mouse is over the label, its colour included; emits
  // ShineFontChanged.
  void setShineFont(const Tarnwell::TFont& f);
  // Sets the font used while the mouse is over the label from a Qt font (the colour stays);
  // emits ShineFontChanged.
  void setShineFont(const QFont& f);
  // Sets NormFontColor; emits NormFontChanged.
  void setNormFontColor(const QColor& c);
  // Sets ShineFontColor; emits ShineFontChanged.
  void setShineFontColor(const QColor& c);
  // As a click does.
  void Click();

 Q_SIGNALS:
  // After NormFont or NormFontColor changed.
  void NormFontChanged(const QFont& value);
  // After ShineFont or ShineFontColor changed.
  void ShineFontChanged(const QFont& value);
  // The label was clicked, before its address is opened; `sender` is the label.
  void Clicked(QObject* sender);

 protected:
  void enterEvent(QEnterEvent* e) override;
  void leaveEvent(QEvent* e) override;
  void mousePressEvent(QMouseEvent* e) override;
  void mouseReleaseEvent(QMouseEvent* e) override;
  void keyPressEvent(QKeyEvent* e) override;
  void focusInEvent(QFocusEvent* e) override;
  void focusOutEvent(QFocusEvent* e) override;

 private:
  QString mURL;
  TFont mNormFont, mShineFont;
  bool Shining() const { return mMouseIn || hasFocus(); }
  bool mMouseIn = false;
  bool mPressed = false;
};

}  // namespace Tarnwell
