#include "MyTreeV.h"

#include <QFontMetrics>
#include <QHelpEvent>
#include <QToolTip>

namespace Tarnwell {

TMyTreeView::TMyTreeView(QWidget* parent) : QTreeWidget(parent) {
  setHeaderHidden(true);
  setColumnCount(1);
}

bool TMyTreeView::HasChildNamed(const QTreeWidgetItem* node, const QString& text) const {
  if (!node) return false;
  for (int i = 0; i < node->childCount(); ++i)
    if (node->child(i)->text(0) == text) return true;
  return false;
}

QString TMyTreeView::ToolTipAt(const QPoint& pos) const {
  const QModelIndex index = indexAt(pos);
  if (!index.isValid()) return QString();
  const QString own = index.data(Qt::ToolTipRole).toString();
  if (!own.isEmpty()) return own;
  const QString label = index.data(Qt::DisplayRole).toString();
  const QRect shown = visualRect(index);
  const int iconWidth = index.data(Qt::DecorationRole).isValid() ? iconSize().width() + 4 : 0;
  const int needed = QFontMetrics(font()).horizontalAdvance(label) + iconWidth + 6;
  // Cut off by the column or by the viewport's right edge.
  const int room = std::min(shown.width(), viewport()->width() - shown.left());
  return needed > room ? label : QString();
}

bool TMyTreeView::viewportEvent(QEvent* e) {
  if (e->type() != QEvent::ToolTip) return QTreeWidget::viewportEvent(e);
  auto* help = static_cast<QHelpEvent*>(e);
  const QString tip = mShowToolTip ? ToolTipAt(help->pos()) : QString();
  if (tip.isEmpty()) {
    QToolTip::hideText();
    e->ignore();
    return true;
  }
  const QModelIndex index = indexAt(help->pos());
  QToolTip::showText(help->globalPos(), tip, viewport(), visualRect(index));
  return true;
}

}  // namespace Tarnwell
