#include "Stringhl.h"

namespace Tarnwell {

TStringHolder::TStringHolder(QObject* parent) : QObject(parent) {}

QString TStringHolder::Line(int index) const {
  return index >= 0 && index < mStrings.size() ? mStrings.at(index) : QString();
}

}  // namespace Tarnwell
