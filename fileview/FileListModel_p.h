#pragma once
// The rows of TFileListViewLite: typed entries, shown through display text
// made on demand (only the rows on screen pay for it).

#include <QAbstractTableModel>
#include <QSet>

#include "FileEntries.h"
#include <Tarnwell/TarnwellExport.h>

namespace Tarnwell {

class TFileListViewLite;

class TARNWELL_FILEVIEW_EXPORT TFileListModel : public QAbstractTableModel {
  Q_OBJECT
 public:
  explicit TFileListModel(TFileListViewLite* view);

  int rowCount(const QModelIndex& parent = QModelIndex()) const override;
  int columnCount(const QModelIndex& parent = QModelIndex()) const override;
  QVariant data(const QModelIndex& index, int role) const override;
  QVariant headerData(int section, Qt::Orientation o, int role) const override;
  Qt::ItemFlags flags(const QModelIndex& index) const override;
  bool setData(const QModelIndex& index, const QVariant& value, int role) override;

  TFileItems Items;
  // Large icons in the icon style.
  bool LargeIcons = false;

  void Reset(TFileItems items);
  // Empties the model and hands its rows over.
  TFileItems Take();
  void Append(TFileItems::iterator from, TFileItems::iterator to);
  void Replace(int row, TFileItem item);
  // Takes out the rows of these names (exact bytes).
  void RemoveRaw(const QSet<QByteArray>& names);
  void HeaderTextsChanged() { Q_EMIT headerDataChanged(Qt::Horizontal, 0, 4); }

 private:
  TFileListViewLite* mView;
};

}  // namespace Tarnwell
