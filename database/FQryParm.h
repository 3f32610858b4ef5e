#pragma once
// TFormQueryParms ("Parametri Query"): the window in which the user types
// the values an enhanced query asks for. One row per asked value: field,
// operator (a choice from the fixed list, or the parameter's type), value
// (with a date or time picker for date and time rows) and type label. Only
// the operator and value cells can be changed. Enter confirms, Escape cancels.
//
// InstallQueryPromptWindow() makes every TEnhQuery ask through this window,
// run modally through the platform's dialog hook (so tests answer it).

#include <QDialog>

#include <Tarnwell/database/EnhQuery.h>
#include <Tarnwell/TarnwellExport.h>

class QTableWidget;
class QPushButton;

namespace Tarnwell {

// The prompt window of TEnhQuery ("Parametri Query"): a grid of field, operator, value and
// type columns, date and time pickers for date and time rows, OK and Cancel.
class TARNWELL_DATABASEFORMS_EXPORT TFormQueryParms : public QDialog {
  Q_OBJECT
 public:
  static constexpr int kRowHeight = 18;
  explicit TFormQueryParms(const TQueryPrompt& prompt, QWidget* parent = nullptr);

  int RowCount() const;
  QString Field(int row) const;
  QString Operator(int row) const;
  QString Value(int row) const;
  QString TypeLabel(int row) const;
  // What typing into the cells (or choosing in the pickers) does.
  void SetOperator(int row, const QString& op);  // refused unless from the list (or empty)
  void SetValue(int row, const QString& value);
  // The date or time picker of a row, null for other rows.
  QWidget* Picker(int row) const;
  QTableWidget* Grid() const { return mGrid; }
  QPushButton* OkButton() const { return mOk; }
  QPushButton* CancelButton() const { return mCancel; }
  // Copies the answers back into the prompt.
  void Apply(TQueryPrompt& prompt) const;

 protected:
  void showEvent(QShowEvent* e) override;
  // Enter anywhere in the grid (its editors and pickers too) confirms,
  // Escape cancels.
  bool eventFilter(QObject* o, QEvent* e) override;

 private:
  QTableWidget* mGrid = nullptr;
  QPushButton* mOk = nullptr;
  QPushButton* mCancel = nullptr;
  bool mParameters = false;
};

// Makes TEnhQuery ask through TFormQueryParms.
TARNWELL_DATABASEFORMS_EXPORT void InstallQueryPromptWindow();

}  // namespace Tarnwell
