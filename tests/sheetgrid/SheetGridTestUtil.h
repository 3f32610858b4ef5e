#pragma once
// A spreadsheet grid laid out as if shown, at a known size, without frame
// or scroll bars so that viewport and widget coordinates agree.
#include <QApplication>
#include <QLocale>
#include <QMouseEvent>
#include <QTest>
#include <memory>

#include "SShtGrid.h"

inline std::unique_ptr<TSpreadSheetGrid> MakeGrid(int w = 800, int h = 400) {
  auto g = std::make_unique<TSpreadSheetGrid>();
  g->setAttribute(Qt::WA_DontShowOnScreen);
  g->setFrameShape(QFrame::NoFrame);
  g->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
  g->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
  g->resize(w, h);
  g->show();
  return g;
}

inline QPoint Centre(TSpreadSheetGrid& g, int col, int row) {
  return g.CellRect(col, row).ToQRect().center();
}

// A drag step with the left button held (QTest's mouseMove carries no button).
inline void DragTo(QWidget* w, QPoint p) {
  QMouseEvent e(QEvent::MouseMove, QPointF(p), w->mapToGlobal(QPointF(p)), Qt::NoButton, Qt::LeftButton,
                Qt::NoModifier);
  QApplication::sendEvent(w, &e);
}

// Formats and numbers read the same whatever the machine's locale.
struct TCLocale {
  QLocale old;
  TCLocale() { QLocale::setDefault(QLocale::c()); }
  ~TCLocale() { QLocale::setDefault(old); }
};
