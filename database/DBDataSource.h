#pragma once
// Data sources and data links: how grids and data-aware controls follow a
// dataset. A data source observes one dataset and passes its notices on to
// the links (the controls) bound to it, and to anyone connected to its signals.

#include <QObject>
#include <QPointer>
#include <functional>
#include <vector>

#include "DBDataSet.h"
#include <Tarnwell/platform/TProperty.h>
#include <Tarnwell/TarnwellExport.h>

namespace Tarnwell {

class TDataSource;

// The connection of one data-aware control (a grid, an edit) to a data source: the source
// calls its virtual functions as the dataset changes, and a derived link answers them. A
// link tells only what changed for it: ActiveChanged and EditingChanged when those states
// flip.
class TARNWELL_DATABASE_EXPORT TDataLink {
 public:
  TDataLink() = default;
  virtual ~TDataLink();
  TDataLink(const TDataLink&) = delete;
  TDataLink& operator=(const TDataLink&) = delete;

  TDataSource* DataSource() const { return mDataSource; }
  void SetDataSource(TDataSource* ds);
  TDataSet* DataSet() const;
  bool Active() const;
  bool Editing() const;

 protected:
  friend class TDataSource;
  virtual void ActiveChanged() {}
  virtual void DataSetChanged() {}
  virtual void DataSetScrolled(int /*distance*/) { DataSetChanged(); }
  virtual void RecordChanged(TField* /*field*/) {}
  virtual void LayoutChanged() { DataSetChanged(); }
  virtual void EditingChanged() {}
  virtual void UpdateData() {}

 private:
  TDataSource* mDataSource = nullptr;
  bool mLastActive = false, mLastEditing = false;  // what the link was last told
};

// Binds grids and data-aware controls to a dataset.
class TARNWELL_DATABASE_EXPORT TDataSource : public QObject, public TDataSetObserver {
  Q_OBJECT
  // The dataset the source serves (none by default); setting it tells every link and emits
  // StateChange.
  TW_PROPERTY_SETTER(Tarnwell::TDataSet*, DataSet)
  // While false, the dataset's changes reach neither the links nor DataChange and StateChange
  // (default true); switching it tells the links whether they are active.
  Q_PROPERTY(bool Enabled READ Enabled WRITE setEnabled RESET resetEnabled NOTIFY EnabledChanged)
  // Whether data-aware controls may put the dataset into edit state when the
  // user types; the controls consult it, the source itself does not.
  TW_PROPERTY_DEFAULT(bool, AutoEdit, true, (void)0)

 public:
  explicit TDataSource(QObject* owner = nullptr);
  ~TDataSource() override;
  bool Enabled() const { return mEnabled; }
  TDataSetState State() const;
  const std::vector<TDataLink*>& Links() const { return mLinks; }

  // Assignable handlers, called after the signals of the same name without "On".
  std::function<void(TObject* Sender, TField* Field)> OnDataChange;
  TNotifyEvent OnStateChange;
  TNotifyEvent OnUpdateData;

 public Q_SLOTS:
  // Enables or disables the source (Enabled); emits EnabledChanged.
  void setEnabled(bool v);
  // Enables the source again (Enabled true).
  void resetEnabled() { setEnabled(true); }

 Q_SIGNALS:
  // Enabled changed.
  void EnabledChanged(bool value);
  // A record or the whole dataset changed (field is null unless one field did).
  void DataChange(QObject* sender, Tarnwell::TField* field);
  // The dataset's state changed (State), or the source got another dataset; OnStateChange is
  // called after it.
  void StateChange(QObject* sender);
  // The dataset is about to post: controls hand over what they hold.
  void UpdateData(QObject* sender);

 protected:
  void DataSetEvent(TDataEvent ev, TField* field, int info) override;
  void DataSetDestroyed(TDataSet* dataSet) override;

 private:
  friend class TDataLink;
  void FireStateChange();
  std::vector<TDataLink*> mLinks;
  QPointer<TDataSet> mDataSet;
  bool mEnabled = true;
  bool mAutoEdit = true;
};

}  // namespace Tarnwell
