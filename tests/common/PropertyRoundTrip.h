#pragma once
// Generic check of a component's published properties: every writable
// property declared by a class (from `from` down to the object's own class)
// takes a changed value through setProperty(), gives it back through
// property(), announces it with its NOTIFY signal, and, when it has a RESET,
// goes back to the value a fresh object had.
//
//   TBarCodes bc;
//   ExpectPropertyRoundTrips(&bc, &TCustomBarCodes::staticMetaObject,
//                            {{"A_BarCode", QStringLiteral("1234567890128")}});
//
// A changed value is made from the property's type; `values` gives it by
// name where the type alone says too little (an object pointer, a text the
// component rewrites). Properties that refuse a made-up value (clamps,
// ignored values) are tried with a few candidates; the first one that sticks
// counts. Returns how many properties were checked.
#include <gtest/gtest.h>

#include <QColor>
#include <QFont>
#include <QHash>
#include <QImage>
#include <QMetaEnum>
#include <QMetaProperty>
#include <QObject>
#include <QSignalSpy>
#include <QStringList>
#include <QVariant>
#include <vector>

namespace PropertyRoundTripDetail {

inline std::vector<QVariant> Candidates(const QMetaProperty& p, const QVariant& now) {
  std::vector<QVariant> out;
  if (p.isEnumType()) {
    // By name, so that the enumerator names are checked too.
    const QMetaEnum e = p.enumerator();
    for (int i = 0; i < e.keyCount(); ++i)
      if (e.value(i) != now.toInt()) out.push_back(QString::fromLatin1(e.key(i)));
    return out;
  }
  switch (p.metaType().id()) {
    case QMetaType::Bool:
      out.push_back(!now.toBool());
      break;
    case QMetaType::Int:
    case QMetaType::UInt:
    case QMetaType::LongLong:
    case QMetaType::Short:
      for (int d : {1, -1, 7, 100}) out.push_back(static_cast<int>(now.toLongLong() + d));
      break;
    case QMetaType::Double:
    case QMetaType::Float:
      out.push_back(now.toDouble() + 0.5);
      break;
    case QMetaType::QString:
      out.push_back(now.toString() + QStringLiteral("Prova 1"));
      out.push_back(QStringLiteral("12345"));
      break;
    case QMetaType::QStringList:
      out.push_back(now.toStringList() + QStringList{QStringLiteral("riga")});
      break;
    case QMetaType::QColor: {
      const QColor c = now.value<QColor>();
      out.push_back(QColor(12, 34, 56) == c ? QColor(200, 10, 30) : QColor(12, 34, 56));
      break;
    }
    case QMetaType::QFont: {
      QFont f = now.value<QFont>();
      f.setPixelSize(f.pixelSize() > 0 ? f.pixelSize() + 3 : 17);
      f.setBold(!f.bold());
      out.push_back(f);
      break;
    }
    case QMetaType::QImage: {
      QImage img(5, 3, QImage::Format_RGB32);
      img.fill(QColor(10, 200, 30));
      out.push_back(img);
      break;
    }
    default:
      break;
  }
  return out;
}

inline bool Same(const QMetaProperty& p, const QVariant& a, const QVariant& b) {
  if (p.isEnumType()) return a.toInt() == b.toInt();
  if (p.metaType().id() == QMetaType::QImage)
    return a.value<QImage>().convertToFormat(QImage::Format_RGB32) ==
           b.value<QImage>().convertToFormat(QImage::Format_RGB32);
  if (p.metaType().id() == QMetaType::QColor) return a.value<QColor>().rgba() == b.value<QColor>().rgba();
  if (b.metaType() != a.metaType()) {
    QVariant c = a;
    return c.convert(b.metaType()) && c == b;
  }
  return a == b;
}

}  // namespace PropertyRoundTripDetail

inline int ExpectPropertyRoundTrips(QObject* obj, const QMetaObject* from,
                                    const QHash<QByteArray, QVariant>& values = {}) {
  using namespace PropertyRoundTripDetail;
  const QMetaObject* mo = obj->metaObject();
  int checked = 0;
  for (int i = from->propertyOffset(); i < mo->propertyCount(); ++i) {
    const QMetaProperty p = mo->property(i);
    if (!p.isWritable()) continue;
    const QByteArray name = p.name();
    SCOPED_TRACE(std::string(mo->className()) + "::" + name.constData());
    EXPECT_TRUE(p.hasNotifySignal()) << "no NOTIFY";
    if (!p.hasNotifySignal()) continue;
    const QVariant initial = p.read(obj);
    std::vector<QVariant> tries = values.contains(name) ? std::vector<QVariant>{values.value(name)}
                                                        : Candidates(p, initial);
    if (tries.empty()) {
      ADD_FAILURE() << "no changed value for type " << p.typeName() << ": give one in `values`";
      continue;
    }
    bool stuck = false;
    for (const QVariant& v : tries) {
      QSignalSpy spy(obj, p.notifySignal());
      EXPECT_TRUE(obj->setProperty(name.constData(), v));
      const QVariant back = obj->property(name.constData());
      if (Same(p, back, initial) && !Same(p, v, initial)) {
        EXPECT_EQ(spy.count(), 0) << "unchanged, yet notified";
        continue;  // refused (a clamp, an ignored value): try the next one
      }
      stuck = true;
      QVariant expected = v;
      if (p.isEnumType()) expected = p.enumerator().keyToValue(v.toString().toLatin1().constData());
      EXPECT_TRUE(Same(p, back, expected)) << "wrote " << v.toString().toStdString() << ", read "
                                           << back.toString().toStdString();
      EXPECT_GE(spy.count(), 1) << "changed without its NOTIFY signal";
      // Writing the same value again is no change.
      QSignalSpy again(obj, p.notifySignal());
      obj->setProperty(name.constData(), back);
      EXPECT_EQ(again.count(), 0) << "an equal value notified";
      break;
    }
    EXPECT_TRUE(stuck) << "no changed value was accepted";
    if (stuck && p.isResettable()) {
      EXPECT_TRUE(p.reset(obj));
      EXPECT_TRUE(Same(p, p.read(obj), initial)) << "RESET does not give the constructor's value";
    }
    ++checked;
  }
  return checked;
}
