#include "TResources.h"

#include <QFile>
#include <QHash>
#include <QMutex>
#include <QPainter>
#include <QSvgRenderer>
#include <QTextStream>

#include "TExceptions.h"
#include "TPixelRatio.h"

namespace Tarnwell {

namespace {
QString FindPicture(const QString& name) {
  for (const char* ext : {".png", ".bmp", ".PNG", ".BMP"}) {
    const QString path = QStringLiteral(":/pictures/") + name + QLatin1String(ext);
    if (QFile::exists(path)) return path;
  }
  return QString();
}
}  // namespace

bool HasResourcePicture(const QString& name) { return !FindPicture(name).isEmpty(); }

QImage LoadResourcePicture(const QString& name) {
  // Resources never change: decode each once (QImage copies share the data).
  static QHash<QString, QImage> cache;
  static QMutex mutex;
  QMutexLocker lock(&mutex);
  auto it = cache.constFind(name);
  if (it != cache.constEnd()) return *it;
  const QString path = FindPicture(name);
  QImage img;
  if (path.isEmpty() || !img.load(path) || img.isNull())
    throw EResNotFound(QStringLiteral("Resource picture \"%1\" not found").arg(name));
  cache.insert(name, img);
  return img;
}

QImage LoadResourcePictureFor(const QString& name, QSize logical, qreal dpr) {
  const QString svg = QStringLiteral(":/pictures/") + name + QStringLiteral(".svg");
  if (dpr == 1.0 || logical.isEmpty() || !QFile::exists(svg)) return LoadResourcePicture(name);
  const QSize device(qMax(1, qRound(logical.width() * dpr)), qMax(1, qRound(logical.height() * dpr)));
  const QString key = name + QStringLiteral("@%1x%2").arg(device.width()).arg(device.height());
  static QHash<QString, QImage> cache;
  static QMutex mutex;
  QMutexLocker lock(&mutex);
  auto it = cache.constFind(key);
  if (it != cache.constEnd()) return *it;
  QSvgRenderer renderer(svg);
  if (!renderer.isValid()) {
    lock.unlock();
    return LoadResourcePicture(name);
  }
  QImage img(device, QImage::Format_ARGB32_Premultiplied);
  img.fill(Qt::transparent);
  {
    QPainter p(&img);
    p.setRenderHint(QPainter::Antialiasing);
    renderer.render(&p, QRectF(QPointF(0, 0), QSizeF(device)));
  }
  img.setDevicePixelRatio(dpr);
  // A few sizes per picture at most: a control's size and the screens'.
  if (cache.size() > 256) cache.clear();
  cache.insert(key, img);
  return img;
}

QStringList LoadResourceStrings(const QString& name) {
  QFile f(QStringLiteral(":/strings/") + name + QStringLiteral(".txt"));
  if (!f.open(QIODevice::ReadOnly | QIODevice::Text))
    throw EResNotFound(QStringLiteral("Resource strings \"%1\" not found").arg(name));
  QTextStream in(&f);
  in.setEncoding(QStringConverter::Utf8);
  QStringList lines;
  while (!in.atEnd()) lines << in.readLine();
  return lines;
}

}  // namespace Tarnwell
