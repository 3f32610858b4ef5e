#include "DBDataSource.h"

#include <algorithm>

namespace Tarnwell {

TDataLink::~TDataLink() { SetDataSource(nullptr); }

void TDataLink::SetDataSource(TDataSource* ds) {
  if (ds == mDataSource) return;
  if (mDataSource) {
    auto& v = mDataSource->mLinks;
    v.erase(std::remove(v.begin(), v.end(), this), v.end());
  }
  mDataSource = ds;
  if (ds) ds->mLinks.push_back(this);
  mLastActive = Active();
  mLastEditing = Editing();
  ActiveChanged();
}

TDataSet* TDataLink::DataSet() const { return mDataSource ? mDataSource->DataSet() : nullptr; }
bool TDataLink::Active() const { return DataSet() && DataSet()->Active() && mDataSource->Enabled(); }
bool TDataLink::Editing() const {
  return Active() && (DataSet()->State() == dsEdit || DataSet()->State() == dsInsert);
}

TDataSource::TDataSource(QObject* owner) : QObject(owner) {}

TDataSource::~TDataSource() {
  if (mDataSet) mDataSet->DetachObserver(this);
  mDataSet = nullptr;
  for (auto* l : std::vector<TDataLink*>(mLinks)) l->SetDataSource(nullptr);
}

void TDataSource::FireStateChange() { TW_FIRE(OnStateChange, StateChange, this); }

void TDataSource::setDataSet(TDataSet* ds) {
  if (ds == mDataSet) return;
  if (mDataSet) mDataSet->DetachObserver(this);
  mDataSet = ds;
  if (ds) ds->AttachObserver(this);
  for (auto* l : std::vector<TDataLink*>(mLinks)) {
    l->mLastActive = l->Active();
    l->mLastEditing = l->Editing();
    l->ActiveChanged();
  }
  Q_EMIT DataSetChanged(ds);
  FireStateChange();
}

void TDataSource::DataSetDestroyed(TDataSet* dataSet) {
  if (dataSet == mDataSet) setDataSet(nullptr);
}

void TDataSource::setEnabled(bool v) {
  if (v == mEnabled) return;
  mEnabled = v;
  for (auto* l : std::vector<TDataLink*>(mLinks)) {
    l->mLastActive = l->Active();
    l->mLastEditing = l->Editing();
    l->ActiveChanged();
  }
  Q_EMIT EnabledChanged(v);
}

TDataSetState TDataSource::State() const { return mDataSet ? mDataSet->State() : dsInactive; }

void TDataSource::DataSetEvent(TDataEvent ev, TField* field, int info) {
  if (!mEnabled) return;
  const auto links = mLinks;
  switch (ev) {
    case deUpdateState:
      // Links hear only about what changed for them.
      for (auto* l : links) {
        const bool active = l->Active(), editing = l->Editing();
        if (active != l->mLastActive) {
          l->mLastActive = active;
          l->ActiveChanged();
        }
        if (editing != l->mLastEditing) {
          l->mLastEditing = editing;
          l->EditingChanged();
        }
      }
      FireStateChange();
      return;
    case deFieldChange:
      for (auto* l : links) l->RecordChanged(field);
      break;
    case deRecordChange:
      for (auto* l : links) l->RecordChanged(nullptr);
      break;
    case deDataSetChange:
      for (auto* l : links) l->DataSetChanged();
      break;
    case deDataSetScroll:
      for (auto* l : links) l->DataSetScrolled(info);
      break;
    case deLayoutChange:
      for (auto* l : links) l->LayoutChanged();
      break;
    case deUpdateRecord:
      for (auto* l : links) l->UpdateData();
      TW_FIRE(OnUpdateData, UpdateData, this);
      return;
    case deCheckBrowseMode:
      return;
  }
  TW_FIRE(OnDataChange, DataChange, this, field);
}

}  // namespace Tarnwell
