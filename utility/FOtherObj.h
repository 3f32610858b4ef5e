#pragma once
// "Other Objects": a read-only catalogue of the suite's further classes.

#include <QPlainTextEdit>

#include <Tarnwell/platform/TControls.h>

namespace Tarnwell {

class TFormOtherObject : public TForm {
  Q_OBJECT
 public:
  explicit TFormOtherObject(QWidget* parent = nullptr);
  QPlainTextEdit* Memo1;
};

// The catalogue text the window shows.
QString OtherObjectsCatalogue();

}  // namespace Tarnwell
