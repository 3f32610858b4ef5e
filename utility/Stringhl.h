#pragma once
// A non-visual component that only keeps a list of strings (texts a form
// carries with it, such as descriptions shown on demand).

#include <QObject>
#include <QStringList>

#include <Tarnwell/platform/TProperty.h>
#include <Tarnwell/TarnwellExport.h>

namespace Tarnwell {

// Holds a list of strings for a program to use.
class TARNWELL_UTILITY_EXPORT TStringHolder : public QObject {
  Q_OBJECT
  // Assigning copies the lines: later changes to the source list do not
  // reach the holder.
  TW_PROPERTY(QStringList, Strings, (void)0)

 public:
  explicit TStringHolder(QObject* parent = nullptr);

  // Line `index`, or an empty text when there is no such line.
  QString Line(int index) const;
  int Count() const { return int(mStrings.size()); }

 private:
  QStringList mStrings;
};

}  // namespace Tarnwell
