#pragma once
// A small form to design and a mouse that reaches widgets the way the
// window system does: the press goes to the widget under the pointer (those
// that let the mouse through are passed over), moves and the release go to
// the widget that took the press.
#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPushButton>
#include <QStatusBar>
#include <QTest>
#include <QVBoxLayout>

#include <Tarnwell/platform/TControls.h>
#include <Tarnwell/rtdesign/DsgnRunT.h>

using namespace Tarnwell;

// Counts the form's own mouse handling.
class TCountingForm : public TForm {
 public:
  int Presses = 0, Moves = 0, Releases = 0;

 protected:
  void mousePressEvent(QMouseEvent*) override { ++Presses; }
  void mouseMoveEvent(QMouseEvent*) override { ++Moves; }
  void mouseReleaseEvent(QMouseEvent*) override { ++Releases; }
};

struct TDesignForm {
  TCountingForm Form;
  QPushButton* A;      // designable, 75 x 25 at (40, 40)
  QLineEdit* B;        // designable, 80 x 20 at (200, 100)
  QLabel* C;           // designable, disabled before design mode
  QCheckBox* Tagged;   // Tag -1
  QLabel* Aligned;     // "Align" alTop
  QStatusBar* Status;  // placed by the layout
  TDesignAtRunTime* D;

  TDesignForm() {
    Form.SetCaption(QStringLiteral("Design Test"));
    Form.resize(400, 300);
    A = new QPushButton(QStringLiteral("A"), &Form);
    A->setObjectName(QStringLiteral("A"));
    A->setGeometry(40, 40, 75, 25);
    B = new QLineEdit(&Form);
    B->setObjectName(QStringLiteral("B"));
    B->setGeometry(200, 100, 80, 20);
    C = new QLabel(QStringLiteral("C"), &Form);
    C->setObjectName(QStringLiteral("C"));
    C->setGeometry(40, 200, 60, 20);
    C->setEnabled(false);
    Tagged = new QCheckBox(QStringLiteral("T"), &Form);
    Tagged->setObjectName(QStringLiteral("Tagged"));
    Tagged->setGeometry(200, 200, 100, 17);
    Tagged->setProperty("Tag", -1);
    Aligned = new QLabel(QStringLiteral("Al"), &Form);
    Aligned->setObjectName(QStringLiteral("Aligned"));
    Aligned->setGeometry(300, 10, 50, 20);
    Aligned->setProperty("Align", QStringLiteral("alTop"));
    Status = new QStatusBar(&Form);
    Status->setObjectName(QStringLiteral("Status"));
    auto* l = new QVBoxLayout(&Form);
    l->setContentsMargins(0, 0, 0, 0);
    l->addStretch(1);
    l->addWidget(Status);
    D = new TDesignAtRunTime(&Form);
    Form.show();
    QCoreApplication::processEvents();
  }
};

class TMouse {
 public:
  explicit TMouse(QWidget* top) : mTop(top) {}

  void Press(QPoint p, Qt::MouseButton b = Qt::LeftButton, Qt::KeyboardModifiers m = {}) {
    mGrab = mTop->childAt(p);
    if (!mGrab) mGrab = mTop;
    QTest::mousePress(mGrab, b, m, mGrab->mapFrom(mTop, p));
  }
  void Move(QPoint p) { QTest::mouseMove(mGrab, mGrab->mapFrom(mTop, p)); }
  void Release(QPoint p, Qt::MouseButton b = Qt::LeftButton) {
    QTest::mouseRelease(mGrab, b, {}, mGrab->mapFrom(mTop, p));
  }
  void Drag(QPoint from, QPoint to, Qt::MouseButton b = Qt::LeftButton) {
    Press(from, b);
    // In two steps, as a hand moves.
    Move((from + to) / 2);
    Move(to);
    Release(to, b);
  }
  // A pointer passing by with no button down.
  void Hover(QPoint p) {
    QWidget* r = mTop->childAt(p);
    if (!r) r = mTop;
    const QPoint local = r->mapFrom(mTop, p);
    QMouseEvent me(QEvent::MouseMove, QPointF(local), QPointF(r->mapToGlobal(local)), Qt::NoButton, Qt::NoButton,
                   Qt::NoModifier);
    QApplication::sendEvent(r, &me);
  }

 private:
  QWidget* mTop;
  QWidget* mGrab = nullptr;
};
