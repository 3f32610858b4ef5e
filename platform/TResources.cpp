#include "TResources.h"

#include <QFile>
#include <QHash>
#include <QMutex>
#include <QTextStream>

#include "TExceptions.h"

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
