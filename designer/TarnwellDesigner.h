#pragma once
// The Designer plugin's collection of the components' widgets.

#include <QObject>
#include <QtUiPlugin/QDesignerCustomWidgetCollectionInterface>
#include <QtUiPlugin/QDesignerCustomWidgetInterface>

namespace Tarnwell {

class TDesignerCollection : public QObject, public QDesignerCustomWidgetCollectionInterface {
  Q_OBJECT
  Q_PLUGIN_METADATA(IID "org.qt-project.Qt.QDesignerCustomWidgetCollectionInterface")
  Q_INTERFACES(QDesignerCustomWidgetCollectionInterface)

 public:
  explicit TDesignerCollection(QObject* parent = nullptr);
  ~TDesignerCollection() override;  // the collection owns its widget descriptions
  QList<QDesignerCustomWidgetInterface*> customWidgets() const override { return mWidgets; }

 private:
  QList<QDesignerCustomWidgetInterface*> mWidgets;
};

}  // namespace Tarnwell
