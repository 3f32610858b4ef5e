#pragma once
// The enhanced grid's two windows and the data-aware controls of the second.
//
// TFormDBGridEdit ("Personalizza - " + the grid's Caption): five pages that
// change the grid's fonts and colours, choose and order its columns, set each
// column's title, colour, alignment, width and font, and edit its value
// conversions and colour conditions. Every change reaches the grid at once;
// TEnhDBGrid::Customize undoes them all when the window is cancelled.
//
// TFormEditRecord ("Modifica Record", or "Visualizza Record" to look only):
// the grid's current record as a column of labelled data-aware editors made
// at run time, one per grid column with a field, under a navigator. Closing
// with OK posts; a post that fails says why and keeps the window and what was
// typed.

#include <QCheckBox>
#include <QDialog>
#include <QLabel>
#include <QLineEdit>
#include <QPointer>
#include <QScopedValueRollback>
#include <QTextEdit>
#include <memory>
#include <vector>

#include <Tarnwell/database/EnhDBGrd.h>
#include <Tarnwell/TarnwellExport.h>

class QComboBox;
class QListWidget;
class QPushButton;
class QSlider;
class QSpinBox;
class QTabWidget;
class QToolButton;
class QTreeWidget;
class QScrollArea;

namespace Tarnwell {

class TColorComboBox;
class TFontComboBox;

// ------------------------------------------------------------------ data-aware controls

// What the data-aware controls share: the link to one field of a data source.
class TARNWELL_DATABASEFORMS_EXPORT TFieldDataLink : public TDataLink {
 public:
  QString FieldName;
  TField* Field() const;
  // Puts the dataset into edit state (when the source allows it); false when it cannot.
  bool Edit();
  // Edit() caused by the control's own input: going into edit state re-reads
  // the record, and that must not overwrite what is being typed.
  bool EditFromControl() {
    const QScopedValueRollback<bool> writing(Writing, true);
    return Edit();
  }
  // Runs `write`, which sets the field from the control, without the change
  // being read back into the control; an exception passes through.
  template <class F>
  void WriteFromControl(F&& write) {
    const QScopedValueRollback<bool> writing(Writing, true);
    write();
  }
  std::function<void()> OnDataChange, OnUpdateData, OnEditingChange, OnActiveChange;

 protected:
  void ActiveChanged() override {
    if (OnActiveChange) OnActiveChange();
    if (OnDataChange) OnDataChange();
  }
  void DataSetChanged() override {
    if (OnDataChange) OnDataChange();
  }
  void RecordChanged(TField* f) override;
  void EditingChanged() override {
    if (OnEditingChange) OnEditingChange();
  }
  void UpdateData() override {
    if (OnUpdateData) OnUpdateData();
  }

 public:
  bool Writing = false;  // the control is writing the field itself
};

// A line edit bound to one field of a data source: shows the current record's value and
// hands what was typed to the field when it loses the focus (UpdateRecord).
class TARNWELL_DATABASEFORMS_EXPORT TDBEdit : public QLineEdit {
  Q_OBJECT
 public:
  TDBEdit(TDataSource* source, const QString& field, QWidget* parent = nullptr);
  TFieldDataLink& Link() { return mLink; }
  // Hands what was typed to the field (the dataset posts it).
  void UpdateRecord();

 protected:
  void focusOutEvent(QFocusEvent* e) override;

 private:
  void Load();
  TFieldDataLink mLink;
  bool mModified = false;
};

// A check box bound to a boolean field of a data source: shows the current record's value
// and writes a click to the field.
class TARNWELL_DATABASEFORMS_EXPORT TDBCheckBox : public QCheckBox {
  Q_OBJECT
 public:
  TDBCheckBox(TDataSource* source, const QString& field, QWidget* parent = nullptr);
  TFieldDataLink& Link() { return mLink; }

 private:
  void Load();
  TFieldDataLink mLink;
  bool mLoading = false;
};

// A text edit bound to a memo field of a data source: shows the current record's text and
// hands the edited text to the field when it loses the focus (UpdateRecord).
class TARNWELL_DATABASEFORMS_EXPORT TDBRichEdit : public QTextEdit {
  Q_OBJECT
 public:
  TDBRichEdit(TDataSource* source, const QString& field, QWidget* parent = nullptr);
  TFieldDataLink& Link() { return mLink; }
  void UpdateRecord();

 protected:
  void focusOutEvent(QFocusEvent* e) override;

 private:
  void Load();
  TFieldDataLink mLink;
  bool mModified = false, mLoading = false;
};

// A picture from a blob field. With AutoDisplay the blob is read as a picture
// of any format; without it the picture is loaded on request (LoadPicture),
// from the first bitmap signature "BM" found in the blob. A blob that holds
// no readable picture, or a picture without height, changes nothing.
class TARNWELL_DATABASEFORMS_EXPORT TDBImage : public QLabel {
  Q_OBJECT
 public:
  TDBImage(TDataSource* source, const QString& field, bool autoDisplay, QWidget* parent = nullptr);
  TFieldDataLink& Link() { return mLink; }
  bool AutoDisplay() const { return mAutoDisplay; }
  bool Stretch() const { return mStretch; }
  void SetStretch(bool on);
  const QImage& Picture() const { return mPicture; }
  // Reads the picture from the blob as described above; false (nothing
  // changed) when there is none.
  bool LoadPicture();
  // Width fitted to the picture's aspect at the control's height, 10..400.
  void FitWidth();

 protected:
  void mouseDoubleClickEvent(QMouseEvent* e) override;
  void resizeEvent(QResizeEvent* e) override;

 private:
  void Load();
  void Show();
  TFieldDataLink mLink;
  bool mAutoDisplay;
  bool mStretch = false;
  QImage mPicture;
};

// The record navigator of the record window: buttons for the first, prior, next and last
// record, insert and delete (only when editing) and refresh, each enabled when its move or
// change is possible.
class TARNWELL_DATABASEFORMS_EXPORT TDBNavigator : public QWidget {
  Q_OBJECT
 public:
  // The buttons of the record navigator.
  enum TNavigateBtn { nbFirst, nbPrior, nbNext, nbLast, nbInsert, nbDelete, nbRefresh };
  TDBNavigator(TDataSource* source, bool editing, QWidget* parent = nullptr);
  QToolButton* Button(TNavigateBtn b) const { return mButtons[b]; }
  void BtnClick(TNavigateBtn b);

 Q_SIGNALS:
  // Emitted after a button's action on the dataset was done; button is its TNavigateBtn.
  void Click(QObject* sender, int button);

 private:
  void UpdateButtons();
  TFieldDataLink mLink;
  QToolButton* mButtons[7] = {};
};

// ------------------------------------------------------------------ customisation window

// The grid's customisation window: the columns to show and their order, titles, widths,
// fonts and colours, the colour conditions and the conversions of a TEnhDBGrid.
class TARNWELL_DATABASEFORMS_EXPORT TFormDBGridEdit : public QDialog {
  Q_OBJECT
 public:
  explicit TFormDBGridEdit(TEnhDBGrid* grid, QWidget* parent = nullptr);
  ~TFormDBGridEdit() override;

  TEnhDBGrid* Grid() const { return mGrid; }
  // Fills every page from the grid (on show and after "Ripristina" / "Predefinito").
  void FillForm();

  // --- the controls, by page
  QTabWidget* Pages = nullptr;
  // "Proprietà Griglia"
  TFontComboBox* DataFontName = nullptr;
  TColorComboBox* DataFontColor = nullptr;
  QComboBox* DataFontSize = nullptr;
  QComboBox* DataFontStyle = nullptr;
  TFontComboBox* TitleFontName = nullptr;
  TColorComboBox* TitleFontColor = nullptr;
  QComboBox* TitleFontSize = nullptr;
  QComboBox* TitleFontStyle = nullptr;
  TColorComboBox* FixedColorBox = nullptr;
  TColorComboBox* CellColorBox = nullptr;
  QComboBox* CellStyleBox = nullptr;
  QSpinBox* FixedColumnsBox = nullptr;
  // "Selezione Campi"
  QListWidget* AvailableList = nullptr;
  QListWidget* ColumnsList = nullptr;
  QPushButton *AddButton = nullptr, *AddAllButton = nullptr, *RemoveButton = nullptr, *RemoveAllButton = nullptr,
              *RebuildButton = nullptr, *NewColumnButton = nullptr;
  // "Proprietà Colonne"
  QTreeWidget* ColumnPropsList = nullptr;
  QLineEdit* ColumnTitle = nullptr;
  TColorComboBox* ColumnColor = nullptr;
  QComboBox* ColumnAlignment = nullptr;
  QSlider* ColumnWidth = nullptr;
  TFontComboBox* ColumnFontName = nullptr;
  TColorComboBox* ColumnFontColor = nullptr;
  QComboBox* ColumnFontSize = nullptr;
  QComboBox* ColumnFontStyle = nullptr;
  // "Funzioni"
  QTreeWidget* ConvList = nullptr;
  QPushButton *ConvNew = nullptr, *ConvDelete = nullptr;
  QComboBox *ConvColumn = nullptr, *ConvOperator = nullptr, *ConvValue = nullptr, *ConvFunction = nullptr,
            *ConvParam1 = nullptr, *ConvParam2 = nullptr;
  QLabel *ConvOperatorLabel = nullptr, *ConvValueLabel = nullptr;
  QWidget* ConvPanel = nullptr;
  // "Segnalazioni"
  QTreeWidget* SignalList = nullptr;
  QPushButton *SignalNew = nullptr, *SignalDelete = nullptr;
  QComboBox *SignalColumn = nullptr, *SignalOperator = nullptr, *SignalValue = nullptr;
  TColorComboBox *SignalBack = nullptr, *SignalText = nullptr;
  QWidget* SignalPanel = nullptr;
  // Bottom buttons
  QPushButton *RestoreButton = nullptr, *DefaultButton = nullptr, *OkButton = nullptr, *CancelButton = nullptr;

  // --- what the column page's buttons do
  void AddField(int availableIndex);
  void AddAllFields();
  void RemoveColumn(int columnIndex);
  void RemoveAllColumns();
  void RebuildAllColumns();
  void NewColumn();
  void MoveColumnEntry(int from, int to);
  // --- the rule pages
  void NewConversion();
  void DeleteConversion();
  void DeleteRuleLine(QTreeWidget* list, QStringList (TEnhDBGrid::*get)() const, void (TEnhDBGrid::*set)(QStringList));
  void NewSignal();
  void DeleteSignal();

 protected:
  void showEvent(QShowEvent* e) override;
  void keyPressEvent(QKeyEvent* e) override;
  void resizeEvent(QResizeEvent* e) override;
  bool eventFilter(QObject* o, QEvent* e) override;

 private:
  QWidget* MakeGridPage();
  QWidget* MakeFieldsPage();
  QWidget* MakeColumnsPage();
  QWidget* MakeConversionPage();
  QWidget* MakeSignalPage();
  void ApplyGridFont(bool title);
  void FillColumnLists();
  void FillColumnProps();
  void ShowColumnProps();
  void ApplyColumnProps();
  void ShowConversion();
  void ApplyConversion();
  void ShowSignal();
  void ApplySignal();
  void FillRuleColumns();
  QStringList OperandChoices() const;
  TDBGridColumn* PropsColumn() const;

  QPointer<TEnhDBGrid> mGrid;
  bool mLoading = true;
  bool mShowing = false;
  QWidget* mFieldsLeft = nullptr;
  QWidget* mFieldsButtons = nullptr;
  std::vector<int> mPropsColumns;  // grid column of each row of the column page
  QByteArray mScratch;
};

// ------------------------------------------------------------------ record window

// The record window of a TEnhDBGrid: the current record's fields one under the other with a
// navigator, for reading or (editMode) editing.
class TARNWELL_DATABASEFORMS_EXPORT TFormEditRecord : public QDialog {
  Q_OBJECT
 public:
  TFormEditRecord(TEnhDBGrid* grid, bool editMode, QWidget* parent = nullptr);

  TEnhDBGrid* Grid() const { return mGrid; }
  bool EditMode() const { return mEditMode; }
  // Builds the editors (done on show; tests call it to look without showing).
  void Build();
  const std::vector<QWidget*>& Editors() const { return mEditors; }
  const std::vector<QLabel*>& Labels() const { return mLabels; }
  TDBNavigator* Navigator() const { return mNavigator; }
  // Fits the pictures' widths as a navigator click does.
  void FitImages();
  // Why the last closing post failed (empty when it did not).
  QString LastError() const { return mLastError; }

  void done(int r) override;

 protected:
  void showEvent(QShowEvent* e) override;
  void keyPressEvent(QKeyEvent* e) override;

 private:
  QPointer<TEnhDBGrid> mGrid;
  bool mEditMode;
  bool mBuilt = false;
  TDataSource* mSource = nullptr;
  TDBNavigator* mNavigator = nullptr;
  QScrollArea* mScroll = nullptr;
  QWidget* mContent = nullptr;
  QPushButton* mOk = nullptr;
  std::vector<QWidget*> mEditors;
  std::vector<QLabel*> mLabels;
  QString mLastError;
};

}  // namespace Tarnwell
