#include "URLLabel.h"

#include <Tarnwell/platform/TAccessible.h>

#include <QDesktopServices>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QRegularExpression>

#include <Tarnwell/platform/TDialogs.h>

TARNWELL_LIBRARY_ACCESSIBLE(visuals)

namespace Tarnwell {

TURLLabel::TURLLabel(QWidget* parent) : TCustomLabel(parent) {
  mNormFont.Assign(Font());
  mShineFont.Assign(Font());
  mShineFont.SetColor(clBlue);
  mShineFont.SetStyle(mShineFont.Style() | fsUnderline);
  setCursor(Qt::PointingHandCursor);
  setFocusPolicy(Qt::TabFocus);
}

void TURLLabel::setNormFont(const TFont& f) {
  if (mNormFont == f && mNormFont.Color() == f.Color()) return;
  mNormFont.Assign(f);
  if (!Shining()) Font().Assign(mNormFont);
  Q_EMIT NormFontChanged(mNormFont.ToQFont());
}

void TURLLabel::setNormFont(const QFont& f) {
  TFont t;
  t.AssignQFont(f);
  t.SetColor(mNormFont.Color());
  setNormFont(t);
}

void TURLLabel::setShineFont(const TFont& f) {
  if (mShineFont == f && mShineFont.Color() == f.Color()) return;
  mShineFont.Assign(f);
  if (Shining()) Font().Assign(mShineFont);
  Q_EMIT ShineFontChanged(mShineFont.ToQFont());
}

void TURLLabel::setShineFont(const QFont& f) {
  TFont t;
  t.AssignQFont(f);
  t.SetColor(mShineFont.Color());
  setShineFont(t);
}

void TURLLabel::setNormFontColor(const QColor& c) {
  TFont t(mNormFont);
  t.SetColor(FromQColor(c));
  setNormFont(t);
}

void TURLLabel::setShineFontColor(const QColor& c) {
  TFont t(mShineFont);
  t.SetColor(FromQColor(c));
  setShineFont(t);
}

QUrl TURLLabel::Address(QString* why) const {
  const QString url = mURL.trimmed();
  auto refuse = [&](const QString& reason) {
    if (why) *why = reason;
    return QUrl();
  };
  if (url.isEmpty()) return refuse(QStringLiteral("Nessun indirizzo da aprire"));
  // An address that names its kind keeps it; "host:8080/..." names none.
  static const QRegularExpression scheme(QStringLiteral("^([A-Za-z][A-Za-z0-9+.-]*):(?!\\d)"));
  QString address;
  const QRegularExpressionMatch m = scheme.match(url);
  if (m.hasMatch()) {
    const QString kind = m.captured(1).toLower();
    if (kind != QLatin1String("http") && kind != QLatin1String("https") && kind != QLatin1String("mailto") &&
        kind != QLatin1String("ftp"))
      return refuse(QStringLiteral("Indirizzo non apribile: %1").arg(url));
    address = url;
  } else if (url.contains(QLatin1Char('@'))) {
    address = QStringLiteral("mailto:") + url;
  } else {
    address = QStringLiteral("http://") + url;
  }
  const QUrl result(address, QUrl::StrictMode);
  if (!result.isValid()) return refuse(QStringLiteral("Indirizzo non valido: %1").arg(url));
  return result;
}

bool TURLLabel::OpenURL() {
  QString why;
  const QUrl address = Address(&why);
  if (address.isEmpty()) {
    MessageDlg(why, mtError, mbOK);
    return false;
  }
  if (!QDesktopServices::openUrl(address)) {
    MessageDlg(QStringLiteral("Impossibile aprire %1").arg(address.toString()), mtError, mbOK);
    return false;
  }
  return true;
}

void TURLLabel::Click() {
  TW_FIRE(OnClick, Clicked, this);
  OpenURL();
}

void TURLLabel::enterEvent(QEnterEvent* e) {
  TCustomLabel::enterEvent(e);
  mMouseIn = true;
  Font().Assign(mShineFont);
}

void TURLLabel::leaveEvent(QEvent* e) {
  TCustomLabel::leaveEvent(e);
  mMouseIn = false;
  if (!Shining()) Font().Assign(mNormFont);
}

void TURLLabel::keyPressEvent(QKeyEvent* e) {
  const int k = e->key();
  if ((k == Qt::Key_Return || k == Qt::Key_Enter || k == Qt::Key_Space) && !e->isAutoRepeat()) {
    Click();
    return;
  }
  TCustomLabel::keyPressEvent(e);
}

void TURLLabel::focusInEvent(QFocusEvent* e) {
  TCustomLabel::focusInEvent(e);
  Font().Assign(mShineFont);
}

void TURLLabel::focusOutEvent(QFocusEvent* e) {
  TCustomLabel::focusOutEvent(e);
  if (!Shining()) Font().Assign(mNormFont);
}

void TURLLabel::mousePressEvent(QMouseEvent* e) {
  TCustomLabel::mousePressEvent(e);
  if (e->button() == Qt::LeftButton) mPressed = true;
}

void TURLLabel::mouseReleaseEvent(QMouseEvent* e) {
  TCustomLabel::mouseReleaseEvent(e);
  const bool click = mPressed && e->button() == Qt::LeftButton && rect().contains(e->position().toPoint());
  mPressed = false;
  if (click) Click();
}

}  // namespace Tarnwell
