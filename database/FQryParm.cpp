#include "FQryParm.h"

#include <QComboBox>
#include <QDateEdit>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QPushButton>
#include <QScreen>
#include <QTableWidget>
#include <QTimeEdit>
#include <QVBoxLayout>

#include <Tarnwell/platform/TDialogs.h>

namespace Tarnwell {

namespace {
const QString kDate = QStringLiteral("(Data)");
const QString kTime = QStringLiteral("(Ora)");
const QString kDateTime = QStringLiteral("(Data/Ora)");

QTableWidgetItem* FixedItem(const QString& text) {
  auto* it = new QTableWidgetItem(text);
  it->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable);
  return it;
}
}  // namespace

TFormQueryParms::TFormQueryParms(const TQueryPrompt& prompt, QWidget* parent)
    : QDialog(parent), mParameters(prompt.Parameters) {
  setWindowTitle(prompt.Caption.isEmpty() ? QStringLiteral("Parametri Query") : prompt.Caption);
  setObjectName(QStringLiteral("FormQueryParms"));
  mGrid = new QTableWidget(int(prompt.Rows.size()), 4, this);
  mGrid->horizontalHeader()->hide();
  mGrid->verticalHeader()->hide();
  const int widths[4] = {150, 56, 201, 150};
  for (int c = 0; c < 4; ++c) mGrid->setColumnWidth(c, widths[c]);
  mGrid->verticalHeader()->setDefaultSectionSize(kRowHeight);
  mGrid->verticalHeader()->setMinimumSectionSize(kRowHeight);
  mGrid->setEditTriggers(QAbstractItemView::AllEditTriggers);
  for (int r = 0; r < int(prompt.Rows.size()); ++r) {
    const TQueryPromptRow& row = prompt.Rows[size_t(r)];
    mGrid->setItem(r, 0, FixedItem(row.Field));
    mGrid->setItem(r, 3, FixedItem(row.TypeLabel));
    mGrid->setItem(r, 2, new QTableWidgetItem(row.Value));
    if (mParameters) {
      mGrid->setItem(r, 1, FixedItem(row.Operator));
    } else {
      // The operator is picked, never typed: only the fixed list reaches SQL.
      mGrid->setItem(r, 1, FixedItem(row.Operator));
      auto* ops = new QComboBox(mGrid);
      ops->addItem(QString());
      ops->addItems(TEnhQuery::QueryOperators());
      const int at = ops->findText(row.Operator.trimmed().toUpper());
      ops->setCurrentIndex(at < 0 ? 0 : at);
      mGrid->item(r, 1)->setText(ops->currentText());
      connect(ops, &QComboBox::currentTextChanged, this,
              [this, r](const QString& t) { mGrid->item(r, 1)->setText(t); });
      mGrid->setCellWidget(r, 1, ops);
    }
    const QString label = row.TypeLabel;
    if (label == kDate || label == kTime || label == kDateTime) {
      // A time picker for times, a date picker otherwise; it writes its value
      // into the value cell at once and on every change.
      const bool time = label == kTime || row.Field.trimmed().toUpper().startsWith(QLatin1String("ORA"));
      QDateTimeEdit* pick = time ? static_cast<QDateTimeEdit*>(new QTimeEdit(mGrid))
                                 : static_cast<QDateTimeEdit*>(new QDateEdit(mGrid));
      pick->setCalendarPopup(!time);
      if (time) {
        pick->setDisplayFormat(QStringLiteral("HH:mm:ss"));
        const QTime t = QTime::fromString(row.Value, Qt::ISODate);
        pick->setTime(t.isValid() ? t : QTime::currentTime());
      } else {
        const QDate d = QDate::fromString(row.Value.left(10), Qt::ISODate);
        pick->setDate(d.isValid() ? d : TEnhQuery::CurrentDateTime().date());
      }
      auto write = [this, r, time, pick] {
        mGrid->item(r, 2)->setText(time ? pick->time().toString(QStringLiteral("HH:mm:ss"))
                                        : TEnhQuery::SQLDate(pick->date()));
      };
      connect(pick, &QDateTimeEdit::dateTimeChanged, this, write);
      // A date-time parameter keeps its time: the picker shows the date.
      if (label != kDateTime || row.Value.isEmpty()) write();
      mGrid->setCellWidget(r, 2, pick);
    }
  }
  mOk = new QPushButton(QStringLiteral("&OK"), this);
  mCancel = new QPushButton(QStringLiteral("&Cancel"), this);
  mOk->setDefault(true);
  connect(mOk, &QPushButton::clicked, this, &QDialog::accept);
  connect(mCancel, &QPushButton::clicked, this, &QDialog::reject);
  auto* buttons = new QHBoxLayout;
  buttons->addStretch();
  buttons->addWidget(mOk);
  buttons->addWidget(mCancel);
  auto* lay = new QVBoxLayout(this);
  lay->addWidget(mGrid);
  lay->addLayout(buttons);
  // As tall as the rows need, but never taller than the screen.
  int h = int(prompt.Rows.size()) * kRowHeight + 88;
  if (const QScreen* s = QGuiApplication::primaryScreen()) h = std::min(h, s->availableGeometry().height() - 40);
  resize(150 + 56 + 201 + 150 + 2 * mGrid->frameWidth() + lay->contentsMargins().left() +
             lay->contentsMargins().right() + 4,
         h);
}

void TFormQueryParms::showEvent(QShowEvent* e) {
  QDialog::showEvent(e);
  mGrid->setFocus();
  // The value cells show their editors at once.
  for (int r = 0; r < mGrid->rowCount(); ++r)
    if (!mGrid->cellWidget(r, 2)) mGrid->openPersistentEditor(mGrid->item(r, 2));
  if (mGrid->rowCount() > 0) mGrid->setCurrentCell(0, 2);
  mGrid->installEventFilter(this);
  for (int r = 0; r < mGrid->rowCount(); ++r)
    for (int c : {1, 2})
      if (QWidget* w = mGrid->indexWidget(mGrid->model()->index(r, c))) {
        w->installEventFilter(this);
        for (QWidget* child : w->findChildren<QWidget*>()) child->installEventFilter(this);
      }
}

bool TFormQueryParms::eventFilter(QObject* o, QEvent* e) {
  if (e->type() == QEvent::KeyPress) {
    const int key = static_cast<QKeyEvent*>(e)->key();
    if (key == Qt::Key_Return || key == Qt::Key_Enter) {
      accept();
      return true;
    }
    if (key == Qt::Key_Escape) {
      reject();
      return true;
    }
  }
  return QDialog::eventFilter(o, e);
}

int TFormQueryParms::RowCount() const { return mGrid->rowCount(); }
QString TFormQueryParms::Field(int row) const { return mGrid->item(row, 0)->text(); }
QString TFormQueryParms::Operator(int row) const { return mGrid->item(row, 1)->text(); }
QString TFormQueryParms::TypeLabel(int row) const { return mGrid->item(row, 3)->text(); }

QString TFormQueryParms::Value(int row) const {
  // An open editor holds what is being typed.
  if (mGrid->isPersistentEditorOpen(mGrid->item(row, 2))) {
    if (QWidget* ed = mGrid->indexWidget(mGrid->model()->index(row, 2)); ed && !qobject_cast<QDateTimeEdit*>(ed))
      return ed->property("text").toString();
  }
  return mGrid->item(row, 2)->text();
}

void TFormQueryParms::SetOperator(int row, const QString& op) {
  auto* ops = qobject_cast<QComboBox*>(mGrid->cellWidget(row, 1));
  if (!ops) return;
  const int at = ops->findText(op.trimmed().toUpper());
  if (at >= 0) ops->setCurrentIndex(at);
}

void TFormQueryParms::SetValue(int row, const QString& value) {
  QWidget* w = mGrid->cellWidget(row, 2);
  if (auto* pick = qobject_cast<QDateTimeEdit*>(w)) {
    if (qobject_cast<QTimeEdit*>(pick)) {
      const QTime t = QTime::fromString(value, Qt::ISODate);
      if (t.isValid()) pick->setTime(t);
    } else {
      const QDate d = QDate::fromString(value.left(10), Qt::ISODate);
      if (d.isValid()) pick->setDate(d);
    }
    // What the picker cannot show is still typed text (a wrong date is refused later).
    if (!QDate::fromString(value.left(10), Qt::ISODate).isValid() &&
        !QTime::fromString(value, Qt::ISODate).isValid())
      mGrid->item(row, 2)->setText(value);
    return;
  }
  if (mGrid->isPersistentEditorOpen(mGrid->item(row, 2))) mGrid->closePersistentEditor(mGrid->item(row, 2));
  mGrid->item(row, 2)->setText(value);
}

QWidget* TFormQueryParms::Picker(int row) const {
  return qobject_cast<QDateTimeEdit*>(mGrid->cellWidget(row, 2));
}

void TFormQueryParms::Apply(TQueryPrompt& prompt) const {
  for (int r = 0; r < mGrid->rowCount() && r < int(prompt.Rows.size()); ++r) {
    if (!mParameters) prompt.Rows[size_t(r)].Operator = Operator(r);
    prompt.Rows[size_t(r)].Value = Value(r);
  }
}

void InstallQueryPromptWindow() {
  TEnhQuery::SetPrompter([](TQueryPrompt& prompt) {
    TFormQueryParms form(prompt);
    if (ExecModal(form) != QDialog::Accepted) return false;
    form.Apply(prompt);
    return true;
  });
}

}  // namespace Tarnwell
