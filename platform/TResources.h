#pragma once
// Pictures and strings loaded by name from the program's resources
// (":/pictures/NAME.png" or ".bmp", ":/strings/NAME.txt").

#include <QImage>
#include <QString>
#include <QStringList>

// Throws EResNotFound naming the picture when there is none of that name.
QImage LoadResourcePicture(const QString& name);
bool HasResourcePicture(const QString& name);
// A string table: one string per line. Throws EResNotFound when missing.
QStringList LoadResourceStrings(const QString& name);
