#include "TStatusBar.h"

#include "TAccessible.h"

#include <QFontMetrics>
#include <QPaintEvent>
#include <QPainter>

TARNWELL_LIBRARY_ACCESSIBLE(platform)

namespace Tarnwell {

TStatusBar::TStatusBar(QWidget* parent) : QWidget(parent) {
  setAutoFillBackground(true);
  setBackgroundRole(QPalette::Window);
  setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Fixed);
}

int TStatusBar::AddPanel(const QString& text, int width, TAlignment alignment) {
  mPanels.push_back(TStatusPanel{text, std::max(0, width), alignment});
  update();
  return PanelCount() - 1;
}

void TStatusBar::ClearPanels() {
  mPanels.clear();
  update();
}

QString TStatusBar::PanelText(int index) const {
  const TStatusPanel* p = Panel(index);
  return p ? p->Text : QString();
}

void TStatusBar::SetPanelText(int index, const QString& text) {
  if (index < 0 || index >= PanelCount()) return;
  TStatusPanel& p = mPanels[size_t(index)];
  if (p.Text == text) return;
  p.Text = text;
  update(PanelRect(index).ToQRect());
  Q_EMIT PanelTextChanged(index, text);
}

const TStatusPanel* TStatusBar::Panel(int index) const {
  if (index < 0 || index >= PanelCount()) return nullptr;
  return &mPanels[size_t(index)];
}

TRect TStatusBar::PanelRect(int index) const {
  if (index < 0 || index >= PanelCount()) return TRect();
  int left = 0;
  for (int i = 0; i < index; ++i) left += mPanels[size_t(i)].Width + 2;
  const int right = index == PanelCount() - 1 ? width() : left + mPanels[size_t(index)].Width;
  return TRect(left, 2, std::max(left, right), std::max(2, height()));
}

QSize TStatusBar::sizeHint() const {
  return QSize(200, std::max(19, QFontMetrics(font()).height() + 6));
}

void TStatusBar::paintEvent(QPaintEvent*) {
  QPainter p(this);
  TCanvas c(&p);
  c.SetPalette(palette());
  c.Font().AssignQFont(font());
  c.Font().SetColor(clWindowText);
  c.Brush().SetStyle(bsClear);
  for (int i = 0; i < PanelCount(); ++i) {
    TRect r = PanelRect(i);
    if (r.Width() <= 0) continue;
    c.Frame3D(r, clBtnShadow, clBtnHighlight, 1);
    const TStatusPanel& panel = mPanels[size_t(i)];
    if (panel.Text.isEmpty()) continue;
    TRect inner = r;
    InflateRect(inner, -2, 0);
    int align = Qt::AlignVCenter | Qt::TextSingleLine;
    align |= panel.Alignment == taRightJustify ? Qt::AlignRight
             : panel.Alignment == taCenter    ? Qt::AlignHCenter
                                              : Qt::AlignLeft;
    c.DrawText(inner, panel.Text, align);
  }
}

}  // namespace Tarnwell
