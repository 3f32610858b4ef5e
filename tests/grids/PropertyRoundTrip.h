#pragma once
// Writes a changed value into every property a class declares from `from` on
// (the meta-object of the class that declared them), reads it back, checks
// the change signal, and resets what has a reset to the value it started with.
#include <gtest/gtest.h>

#include <QColor>
#include <QFont>
#include <QMetaProperty>
#include <QSignalSpy>

inline QVariant ChangedValue(const QMetaProperty& p, const QVariant& v) {
  if (p.isFlagType()) {
    const QMetaEnum e = p.enumerator();
    return QVariant(v.toInt() ^ e.value(e.keyCount() - 1));  // toggle the last flag
  }
  if (p.isEnumType()) {
    const QMetaEnum e = p.enumerator();
    return QVariant(e.value(v.toInt() == e.value(0) ? 1 : 0));
  }
  switch (p.metaType().id()) {
    case QMetaType::Bool: return QVariant(!v.toBool());
    case QMetaType::Int: return QVariant(v.toInt() + 1);
    case QMetaType::QColor: {
      const QColor c = v.value<QColor>();
      return QVariant(c == QColor(10, 20, 30) ? QColor(40, 50, 60) : QColor(10, 20, 30));
    }
    case QMetaType::QFont: {
      QFont f = v.value<QFont>();
      f.setPixelSize(f.pixelSize() > 0 ? f.pixelSize() + 3 : 21);
      f.setItalic(!f.italic());
      return QVariant(f);
    }
    default: return QVariant();
  }
}

inline bool SameValue(const QMetaProperty& p, const QVariant& a, const QVariant& b) {
  if (p.metaType().id() == QMetaType::QFont) {
    const QFont x = a.value<QFont>(), y = b.value<QFont>();
    return x.pixelSize() == y.pixelSize() && x.italic() == y.italic();
  }
  if (p.isEnumType() || p.isFlagType()) return a.toInt() == b.toInt();
  return a == b;
}

// Returns the names of the properties checked.
inline QStringList RoundTripAllProperties(QObject& o, const QMetaObject& from) {
  QStringList names;
  const QMetaObject* mo = o.metaObject();
  for (int i = from.propertyOffset(); i < mo->propertyCount(); ++i) {
    const QMetaProperty p = mo->property(i);
    if (!p.isWritable()) continue;
    SCOPED_TRACE(p.name());
    names << QString::fromLatin1(p.name());
    const QVariant before = p.read(&o);
    const QVariant changed = ChangedValue(p, before);
    EXPECT_TRUE(changed.isValid()) << "no changed value for type " << p.typeName();
    if (!changed.isValid()) continue;
    EXPECT_TRUE(p.hasNotifySignal());
    QSignalSpy spy(&o, p.notifySignal());
    EXPECT_TRUE(o.setProperty(p.name(), changed));
    EXPECT_TRUE(SameValue(p, p.read(&o), changed));
    EXPECT_GE(spy.count(), 1);
    const int fired = int(spy.count());
    EXPECT_TRUE(o.setProperty(p.name(), p.read(&o)));  // equal: no signal
    EXPECT_EQ(spy.count(), fired);
    if (p.isResettable()) {
      EXPECT_TRUE(p.reset(&o));
      EXPECT_TRUE(SameValue(p, p.read(&o), before));
    } else {
      EXPECT_TRUE(o.setProperty(p.name(), before));
    }
  }
  return names;
}
