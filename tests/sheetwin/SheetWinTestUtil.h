#pragma once
#include <Tarnwell/platform/TDialogs.h>
#include <Tarnwell/spreadsheet/FSpread.h>
#include <Tarnwell/spreadsheet/SShtGrid.h>

#include <QAbstractButton>
#include <QFileDialog>
#include <QInputDialog>
#include <QLocale>
#include <QTest>
#include <memory>

#include "TestUtil.h"

// Formats and numbers read the same whatever the machine's locale.
struct TFixedLocale {
  QLocale old;
  explicit TFixedLocale(const QLocale& l = QLocale::c()) { QLocale::setDefault(l); }
  ~TFixedLocale() { QLocale::setDefault(old); }
};

// The window shown (offscreen) on an empty sheet, with every dialog answered
// by the test.
struct TSheetWindow {
  TFixedLocale locale;
  TRecordingDialogs dialogs;
  std::unique_ptr<TFormVDBChildSpreadSheet> w = std::make_unique<TFormVDBChildSpreadSheet>();
  TSpreadSheetGrid& g = *w->Grid;
  TSheetWindow() {
    w->show();
    g.Cells().ClearAll();
    g.Cells().ResetSizes();
    g.UndoStack()->clear();
    g.MoveCurrent(1, 1, false);
    w->GridSelectCell(1, 1);
  }
  // The next input prompt is answered with text (or cancelled).
  void AnswerPrompt(const QString& text, bool ok = true) {
    dialogs.OnModal = [text, ok](QDialog& d) {
      auto* in = qobject_cast<QInputDialog*>(&d);
      if (!in) return int(QDialog::Rejected);
      in->setTextValue(text);
      return int(ok ? QDialog::Accepted : QDialog::Rejected);
    };
  }
  // The next file dialog chooses fileName with filter entry n (from 1).
  void AnswerFile(const QString& fileName, int n = 1) {
    dialogs.OnModal = [fileName, n](QDialog& d) {
      auto* fd = qobject_cast<QFileDialog*>(&d);
      if (!fd) return int(QDialog::Rejected);
      fd->selectNameFilter(fd->nameFilters().value(n - 1));
      fd->selectFile(fileName);
      return int(QDialog::Accepted);
    };
  }
  QString LastMessage() const { return dialogs.Messages.empty() ? QString() : dialogs.Messages.back().Text; }
};
