#pragma once
// A generic check over every property a class declares itself (from its own
// property offset): write a value different from the current one, read it
// back, and see the NOTIFY signal fire. Enumerations take another enumerator,
// numbers move by one, texts and lists grow, colours and fonts change.
#include <gtest/gtest.h>

#include <QColor>
#include <QFont>
#include <QImage>
#include <QMetaEnum>
#include <QMetaProperty>
#include <QSignalSpy>
#include <QStringList>
#include <memory>

namespace TestUtil {

// A value of the property's type that differs from `now`; invalid when the
// type is not one this check knows.
inline QVariant ChangedValue(const QMetaProperty& p, const QVariant& now) {
  if (p.isEnumType()) {
    const QMetaEnum e = p.enumerator();
    for (int i = 0; i < e.keyCount(); ++i)
      if (e.value(i) != now.toInt()) return e.value(i);
    return {};
  }
  switch (p.metaType().id()) {
    case QMetaType::Bool:
      return !now.toBool();
    case QMetaType::Int:
      return now.toInt() + 1;
    case QMetaType::Double:
      return now.toDouble() + 1.5;
    case QMetaType::QString:
      return now.toString() + QStringLiteral("x");
    case QMetaType::QStringList:
      return now.toStringList() << QStringLiteral("riga");
    case QMetaType::QColor: {
      const QColor c = now.value<QColor>();
      return c == QColor(12, 34, 56) ? QColor(65, 43, 21) : QColor(12, 34, 56);
    }
    case QMetaType::QFont: {
      QFont f = now.value<QFont>();
      f.setPixelSize(f.pixelSize() > 0 ? f.pixelSize() + 3 : 17);
      f.setBold(!f.bold());
      return f;
    }
    case QMetaType::QImage: {
      QImage img(6, 3, QImage::Format_RGB32);
      img.fill(QColor(10, 200, 30));
      return img;
    }
    default:
      return {};
  }
}

inline bool SameValue(const QMetaProperty& p, const QVariant& a, const QVariant& b) {
  if (p.isEnumType()) return a.toInt() == b.toInt();
  if (p.metaType().id() == QMetaType::QFont) {
    const QFont x = a.value<QFont>(), y = b.value<QFont>();
    return x.pixelSize() == y.pixelSize() && x.bold() == y.bold();
  }
  if (p.metaType().id() == QMetaType::QImage) return a.value<QImage>().size() == b.value<QImage>().size();
  return a == b;
}

// Checks every own writable property of `o` (those of its class and of the
// classes between it and `base`); returns how many were checked.
// Properties named in `skip` are left to tests of their own (a value that
// only some inputs can take, such as a name that must be in a list).
inline int CheckRoundTrips(QObject& o, const QMetaObject& base, const QStringList& skip = {}) {
  const QMetaObject* mo = o.metaObject();
  int checked = 0;
  for (int i = base.propertyCount(); i < mo->propertyCount(); ++i) {
    const QMetaProperty p = mo->property(i);
    if (!p.isWritable() || skip.contains(QLatin1String(p.name()))) continue;
    SCOPED_TRACE(p.name());
    const QVariant before = p.read(&o);
    const QVariant next = ChangedValue(p, before);
    EXPECT_TRUE(next.isValid()) << "no test value for type " << p.typeName();
    if (!next.isValid()) continue;
    EXPECT_TRUE(p.hasNotifySignal());
    std::unique_ptr<QSignalSpy> spy;
    if (p.hasNotifySignal()) spy = std::make_unique<QSignalSpy>(&o, p.notifySignal());
    EXPECT_TRUE(p.write(&o, next));
    EXPECT_TRUE(SameValue(p, p.read(&o), next)) << p.read(&o).toString().toStdString();
    if (spy) {
      EXPECT_GE(spy->count(), 1);
    }
    // Writing the same value again is no change (pictures are always taken).
    if (spy && p.metaType().id() != QMetaType::QImage) {
      const int n = int(spy->count());
      p.write(&o, p.read(&o));
      EXPECT_EQ(spy->count(), n);
    }
    // Reset always lands on the one declared default, from any value.
    if (p.isResettable()) {
      p.reset(&o);
      const QVariant def = p.read(&o);
      p.write(&o, ChangedValue(p, def));
      p.reset(&o);
      EXPECT_TRUE(SameValue(p, p.read(&o), def)) << "reset is not one default";
    }
    ++checked;
  }
  return checked;
}

}  // namespace TestUtil
