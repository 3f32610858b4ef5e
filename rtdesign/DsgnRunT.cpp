#include "DsgnRunT.h"

#include <QApplication>
#include <QChildEvent>
#include <QKeyEvent>
#include <QLayout>
#include <QMdiSubWindow>
#include <QMouseEvent>
#include <QPainter>
#include <QPaintEvent>
#include <QStatusTipEvent>

#include <Tarnwell/platform/TControls.h>
#include <Tarnwell/platform/TExceptions.h>

#include <Tarnwell/platform/TAccessible.h>

TARNWELL_LIBRARY_ACCESSIBLE(rtdesign)

namespace Tarnwell {

// The handles: a child laid over the whole client, above every sibling,
// that lets the mouse through and paints only inside its paint events.
class TDesignSelector : public QWidget {
 public:
  TDesignSelector(QWidget* client, const TDesignAtRunTime* owner) : QWidget(client), mOwner(owner) {
    setObjectName(QStringLiteral("DesignSelector"));
    setAttribute(Qt::WA_TransparentForMouseEvents);
    setAttribute(Qt::WA_NoSystemBackground);
    setFocusPolicy(Qt::NoFocus);
    setGeometry(client->rect());
    raise();
    show();
  }

 protected:
  void paintEvent(QPaintEvent*) override {
    const QRect box = mOwner->SelectorBox();
    const TColor color = mOwner->SelectorColor();
    if (box.isEmpty() || color == clNone || !mOwner->MarkedControl()) return;
    const int L = box.left(), T = box.top(), R = box.left() + box.width(), B = box.top() + box.height();
    const int MX = idiv(L + R, 2), MY = idiv(T + B, 2);
    const TRect squares[8] = {
        Rect(L, T, L + 4, T + 4),           Rect(R - 4, T, R, T + 4),       Rect(L, B - 4, L + 4, B),
        Rect(R - 4, B - 4, R, B),           Rect(MX - 2, T, MX + 2, T + 4), Rect(MX - 2, B - 4, MX + 2, B),
        Rect(L, MY - 2, L + 4, MY + 2),     Rect(R - 4, MY - 2, R, MY + 2),
    };
    QPainter p(this);
    const QColor c = ToQColor(color, palette());
    for (const TRect& s : squares) p.fillRect(s.ToQRect(), c);
  }

 private:
  const TDesignAtRunTime* mOwner;
};

namespace {

int TagOf(const QWidget* w) {
  const QVariant v = w->property("Tag");
  return v.isValid() ? v.toInt() : 0;
}

bool InLayout(const QLayout* l, const QWidget* w) {
  if (!l) return false;
  for (int i = 0; i < l->count(); ++i) {
    QLayoutItem* item = l->itemAt(i);
    if (!item) continue;
    if (item->widget() == w) return true;
    if (InLayout(item->layout(), w)) return true;
  }
  return false;
}

// The four strips of the handles around box, as one region.
QRegion Strips(const QRect& box) {
  if (box.isEmpty()) return {};
  const int L = box.left(), T = box.top(), R = box.left() + box.width(), B = box.top() + box.height();
  QRegion r;
  r += Rect(L, T, R, T + 4).ToQRect();
  r += Rect(L, T, L + 4, B).ToQRect();
  r += Rect(R - 4, T, R, B).ToQRect();
  r += Rect(L, B - 4, R, B).ToQRect();
  return r;
}

bool IsMouse(QEvent::Type t) {
  return t == QEvent::MouseButtonPress || t == QEvent::MouseButtonDblClick || t == QEvent::MouseMove ||
         t == QEvent::MouseButtonRelease;
}

}  // namespace

TDesignAtRunTime::TDesignAtRunTime(QObject* owner) : QObject(owner) {
  mClientControl = qobject_cast<QWidget*>(owner);
  if (mClientControl) connect(mClientControl, &QObject::destroyed, this, [this](QObject* o) { ClientDestroyed(o); });
}

TDesignAtRunTime::~TDesignAtRunTime() {
  // Deleted while on, alone or along with its form: whatever still lives
  // gets its own state back.
  if (mActive) SwitchOff();
}

QWidget* TDesignAtRunTime::Client() const { return mClientControl ? mClientControl.data() : OwnerForm(); }

QList<QWidget*> TDesignAtRunTime::DesignedControls() const {
  QList<QWidget*> out;
  for (const TDRTControlRef& r : mRefs)
    if (r.Control) out << r.Control;
  return out;
}

QWidget* TDesignAtRunTime::Overlay() const { return mOverlay; }

void TDesignAtRunTime::setClientControl(QWidget* c) {
  if (mClientControl == c) return;
  // Design mode follows the client: the old one gets everything back first.
  const bool wasActive = mActive;
  if (wasActive) setActive(false);
  if (mClientControl) disconnect(mClientControl, &QObject::destroyed, this, nullptr);
  mClientControl = c;
  if (c) connect(c, &QObject::destroyed, this, [this](QObject* o) { ClientDestroyed(o); });
  if (wasActive) setActive(true);
  Q_EMIT ClientControlChanged(c);
}

void TDesignAtRunTime::ClientDestroyed(QObject* gone) {
  // Its children go with it: nothing is left to give back.
  if (mActive && (mClient.isNull() || mClient.data() == gone)) {
    mRefs.clear();
    mSelected = nullptr;
    mMarked = nullptr;
    mShown = false;
    mMoving = mResizing = false;
    mZone = 0;
    mActive = false;
    Q_EMIT ActiveChanged(false);
  }
  if (mClientControl.isNull() || mClientControl.data() == gone) {
    mClientControl = nullptr;
    Q_EMIT ClientControlChanged(nullptr);
  }
}

void TDesignAtRunTime::setActive(bool on) {
  if (mActive == on) return;
  if (on)
    SwitchOn();
  else
    SwitchOff();
  Q_EMIT ActiveChanged(mActive);
}

bool TDesignAtRunTime::Designable(const QWidget* w) const {
  if (!w || w->isWindow() || w == mOverlay) return false;
  if (TagOf(w) < 0) return false;
  const QVariant align = w->property("Align");
  if (align.isValid()) {
    const QString a = align.toString();
    if (!a.isEmpty() && a != QLatin1String("alNone") && a != QLatin1String("0")) return false;
  }
  return !InLayout(w->parentWidget() ? w->parentWidget()->layout() : nullptr, w);
}

void TDesignAtRunTime::SwitchOn() {
  QWidget* client = Client();
  if (!client)
    throw EInvalidOperation(
        QStringLiteral("Design mode needs a client control: the designer has no form and no ClientControl"));
  mRefs.clear();
  mClient = client;

  TDRTControlRef cr;
  cr.Control = client;
  cr.HadCursor = client->testAttribute(Qt::WA_SetCursor);
  cr.Cursor = client->cursor();
  cr.HadTracking = client->hasMouseTracking();
  cr.ToolTip = client->toolTip();
  cr.StatusTip = client->statusTip();
  mRefs << cr;
  client->installEventFilter(this);
  client->setMouseTracking(true);
  mActive = true;

  // Created before the overlay, which is no child to design.
  QList<QWidget*> children;
  for (QObject* o : client->children())
    if (auto* w = qobject_cast<QWidget*>(o); w && Designable(w)) children << w;
  mOverlay = new TDesignSelector(client, this);
  mShown = false;
  for (QWidget* w : children) {
    TDRTControlRef r;
    r.Control = w;
    r.HadCursor = w->testAttribute(Qt::WA_SetCursor);
    r.Cursor = w->cursor();
    r.WasDisabled = w->testAttribute(Qt::WA_Disabled);
    r.WasTransparent = w->testAttribute(Qt::WA_TransparentForMouseEvents);
    mRefs << r;
    w->setEnabled(false);
    // A disabled child passes presses on to the client, but not the moves
    // of a pointer hovering without a button; transparent, it passes all.
    w->setAttribute(Qt::WA_TransparentForMouseEvents, true);
    if (w->isVisibleTo(client)) {
      mSelected = w;
      EraseSelector();
      PaintSelector();
    }
  }
}

void TDesignAtRunTime::SwitchOff() {
  if (Dragging()) EndDrag();
  mActive = false;
  QWidget* client = mClient;
  if (client) {
    client->removeEventFilter(this);
    const TDRTControlRef& cr = mRefs.value(0);
    if (cr.Control == client) {
      client->setMouseTracking(cr.HadTracking);
      if (cr.HadCursor)
        client->setCursor(cr.Cursor);
      else
        client->unsetCursor();
      client->setToolTip(cr.ToolTip);
      client->setStatusTip(cr.StatusTip);
    }
  }
  // Each control gets its own state back: one that was disabled before
  // design mode stays disabled.
  for (int i = 1; i < mRefs.size(); ++i) {
    const TDRTControlRef& r = mRefs[i];
    QWidget* w = r.Control;
    if (!w) continue;
    if (r.HadCursor)
      w->setCursor(r.Cursor);
    else
      w->unsetCursor();
    w->setAttribute(Qt::WA_TransparentForMouseEvents, r.WasTransparent);
    w->setEnabled(!r.WasDisabled);
  }
  mRefs.clear();
  mSelected = nullptr;
  EraseSelector();
  mMarked = nullptr;
  delete mOverlay.data();
  mOverlay = nullptr;
  mClient = nullptr;
  mHint.clear();
}

int TDesignAtRunTime::HitZone(int x, int y, int w, int h) {
  auto near = [](int d) { return d >= -3 && d <= 3; };
  if (near(x) && near(y)) return 1;
  if (near(x - w) && near(y)) return 2;
  if (near(x) && near(y - h)) return 3;
  if (near(x - w) && near(y - h)) return 4;
  if (x > 3 && x < w - 3 && near(y)) return 5;
  if (near(x) && y > 3 && y < h - 3) return 6;
  if (x > 3 && x < w - 3 && near(y - h)) return 7;
  if (near(x - w) && y > 3 && y < h - 3) return 8;
  return 0;
}

Qt::CursorShape TDesignAtRunTime::ZoneCursor(int zone) {
  switch (zone) {
    case 1:
    case 4:
      return Qt::SizeFDiagCursor;
    case 2:
    case 3:
      return Qt::SizeBDiagCursor;
    case 5:
    case 7:
      return Qt::SizeVerCursor;
    case 6:
    case 8:
      return Qt::SizeHorCursor;
    default:
      return Qt::ArrowCursor;
  }
}

int TDesignAtRunTime::Snap(int v, int grid) {
  if (grid < 1) return v;
  // Exact in integers: the quotient rounded half to even.
  int q = v / grid, r = v % grid;  // r has v's sign
  const int twice = 2 * std::abs(r);
  if (twice > grid || (twice == grid && (q % 2 != 0))) q += (v < 0 ? -1 : 1);
  return q * grid;
}

QWidget* TDesignAtRunTime::ControlAt(int x, int y) const {
  if (!mActive) return nullptr;
  // The topmost designable child under the point; the offsets catch a
  // press on a handle just outside the control.
  static const QPoint tries[] = {{0, 0}, {-6, 0}, {3, 0}, {0, -6}, {0, 3}, {-6, -6}, {3, 3}};
  for (const QPoint& d : tries) {
    const QPoint p(x + d.x(), y + d.y());
    // Widgets stack in the order of the client's children, the last on top.
    const QObjectList& kids = mClient ? mClient->children() : QObjectList();
    for (auto it = kids.crbegin(); it != kids.crend(); ++it) {
      auto* w = qobject_cast<QWidget*>(*it);
      if (!w || w == mOverlay || !w->isVisibleTo(mClient) || !w->geometry().contains(p)) continue;
      for (int i = 1; i < mRefs.size(); ++i)
        if (mRefs[i].Control == w) return w;
    }
  }
  return nullptr;
}

int TDesignAtRunTime::HandleAt(int x, int y) const {
  if (!mActive || !mShown || !mMarked) return 0;
  // The eight squares as painted, corners first: a press on one belongs to
  // the marked control even where another control lies under it or the
  // nearby points would find another one first.
  const int L = mSelectorBox.left(), T = mSelectorBox.top();
  const int R = mSelectorBox.left() + mSelectorBox.width(), B = mSelectorBox.top() + mSelectorBox.height();
  const int MX = (L + R) / 2, MY = (T + B) / 2;
  const struct {
    int zone;
    QRect square;
  } handles[] = {
      {1, QRect(L, T, 4, 4)},          {2, QRect(R - 4, T, 4, 4)},      {3, QRect(L, B - 4, 4, 4)},
      {4, QRect(R - 4, B - 4, 4, 4)}, {5, QRect(MX - 2, T, 4, 4)},     {6, QRect(L, MY - 2, 4, 4)},
      {7, QRect(MX - 2, B - 4, 4, 4)}, {8, QRect(R - 4, MY - 2, 4, 4)},
  };
  for (const auto& h : handles)
    if (h.square.contains(x, y)) return h.zone;
  return 0;
}

QString TDesignAtRunTime::HintFor(const QWidget* c) const {
  QString name;
  QRect b;
  if (c) {
    name = c->objectName();
    b = c->geometry();
  } else if (const QWidget* form = OwnerForm()) {
    auto* tf = qobject_cast<const TForm*>(form);
    name = tf ? tf->Caption() : form->windowTitle();
    // The window as it stands in its frame: an MDI child's frame window.
    if (auto* sub = qobject_cast<const QMdiSubWindow*>(form->parentWidget()))
      b = sub->geometry();
    else if (form->isWindow())
      b = form->frameGeometry();
    else
      b = form->geometry();
  }
  return QStringLiteral("|%1 -  L: %2, T: %3, W: %4, H: %5")
      .arg(name)
      .arg(b.x())
      .arg(b.y())
      .arg(b.width())
      .arg(b.height());
}

void TDesignAtRunTime::SetClientHint(const QString& hint) {
  if (!mClient || hint == mHint) return;
  mHint = hint;
  SetHint(mClient, hint);
  // The status line shows a hint when the pointer enters; this one changes
  // under a resting pointer, so it is announced again.
  QStatusTipEvent tip(GetLongHint(hint));
  QCoreApplication::sendEvent(mClient, &tip);
}

void TDesignAtRunTime::SetClientCursor(Qt::CursorShape shape) {
  if (mClient && (!mClient->testAttribute(Qt::WA_SetCursor) || mClient->cursor().shape() != shape))
    mClient->setCursor(shape);
}

void TDesignAtRunTime::DefaultClientCursor() {
  if (!mClient || mRefs.isEmpty()) return;
  const TDRTControlRef& cr = mRefs[0];
  if (cr.HadCursor)
    mClient->setCursor(cr.Cursor);
  else
    mClient->unsetCursor();
}

void TDesignAtRunTime::MouseDown(Qt::MouseButton button, Qt::KeyboardModifiers, int X, int Y) {
  if (!mActive) return;
  // A second button during a drag leaves the drag alone.
  if (Dragging()) return;
  const int handle = HandleAt(X, Y);
  mSelected = handle ? mMarked.data() : ControlAt(X, Y);
  TW_FIRE(OnSelectControl, SelectControl, this);
  EraseSelector();
  QWidget* c = mSelected;
  if (!c) return;
  c->raise();
  if (mOverlay) mOverlay->raise();
  if (button == Qt::LeftButton) {
    const QRect g = c->geometry();
    mZone = handle ? handle : HitZone(X - g.x(), Y - g.y(), g.width(), g.height());
    if (mChangeEnabled) {
      mStartBounds = mWork = g;
      mGrab = QPoint(X - g.x(), Y - g.y());
      mResizing = mZone != 0;
      mMoving = mZone == 0;
      TW_FIRE(OnBeginChange, BeginChange, this);
    }
  } else {
    TW_FIRE(OnMouseRight, MouseRight, this);
  }
  // A click shows at once which control it selected.
  if (mSelected) PaintSelector();
  // Arrow keys and Escape come to the client from now on.
  if (mClient) mClient->setFocus(Qt::MouseFocusReason);
}

void TDesignAtRunTime::MouseMove(Qt::KeyboardModifiers, int X, int Y) {
  if (!mActive) return;
  const int handle = Dragging() ? 0 : HandleAt(X, Y);
  if (!Dragging()) mSelected = handle ? mMarked.data() : ControlAt(X, Y);
  QWidget* c = mSelected;
  if (c) {
    SetClientHint(HintFor(c));
    if (mChangeEnabled) {
      const QRect g = c->geometry();
      // A drag keeps the cursor of the handle it took.
      const int zone = Dragging() ? mZone : handle ? handle : HitZone(X - g.x(), Y - g.y(), g.width(), g.height());
      SetClientCursor(ZoneCursor(zone));
      if (Dragging()) ApplyDrag(X, Y);
    }
    if (Dragging()) {
      EraseSelector();
      PaintSelector();
    }
  } else {
    DefaultClientCursor();
    SetClientHint(HintFor(nullptr));
  }
}

void TDesignAtRunTime::MouseUp(Qt::MouseButton button, Qt::KeyboardModifiers, int, int) {
  if (!mActive || button != Qt::LeftButton) return;
  if (mSelected && Dragging()) {
    EraseSelector();
    PaintSelector();
    EndDrag();
  }
  mZone = 0;
  DefaultClientCursor();
}

void TDesignAtRunTime::EndDrag() {
  mZone = 0;
  const bool was = Dragging();
  mMoving = mResizing = false;
  if (was) TW_FIRE(OnEndChange, EndChange, this);
}

QRect TDesignAtRunTime::Constrained(QRect r, int edges) const {
  int l = r.x(), t = r.y(), w = r.width(), h = r.height();
  const QWidget* client = mClient ? mClient.data() : Client();
  const int C = client ? client->width() : std::max(w, 1);
  const int D = client ? client->height() : std::max(h, 1);
  const bool sizing = edges != edAll;

  // Horizontal.
  if (!sizing) {
    l = std::max(l, -(w / 2));
    l = std::min(l, C - w + w / 2);
    l = std::max(l, -(w / 2));
  } else if (edges & edLeft) {
    const int R = l + w;  // the right edge stays
    if (R - l < 8) l = R - 8;
    l = std::clamp(l, -R, std::max(-R, 2 * C - R));
    l = std::min(l, R - 8);
    w = R - l;
  } else if (edges & edRight) {
    int R = std::max(l + w, l + 8);
    R = std::clamp(R, -l, std::max(-l, 2 * C - l));
    w = std::max(R - l, 8);
  }
  // Vertical.
  if (!sizing) {
    t = std::max(t, -(h / 2));
    t = std::min(t, D - h + h / 2);
    t = std::max(t, -(h / 2));
  } else if (edges & edTop) {
    const int B = t + h;
    if (B - t < 8) t = B - 8;
    t = std::clamp(t, -B, std::max(-B, 2 * D - B));
    t = std::min(t, B - 8);
    h = B - t;
  } else if (edges & edBottom) {
    int B = std::max(t + h, t + 8);
    B = std::clamp(B, -t, std::max(-t, 2 * D - t));
    h = std::max(B - t, 8);
  }

  const int g = mGridSize;
  if (g >= 1) {
    l = Snap(l, g);
    t = Snap(t, g);
    w = Snap(w, g);
    h = Snap(h, g);
    // A coarse grid never snaps a control away to nothing, nor over the
    // half-inside limits.
    if (w < 1) w = g;
    if (h < 1) h = g;
    if (l < -(w / 2)) l += g;
    if (l + w - C > w / 2 && l - g >= -(w / 2)) l -= g;
    if (t < -(h / 2)) t += g;
    if (t + h - D > h / 2 && t - g >= -(h / 2)) t -= g;
  }
  return QRect(l, t, w, h);
}

void TDesignAtRunTime::ApplyDrag(int X, int Y) {
  QWidget* c = mSelected;
  if (!c) return;
  const QRect cur = c->geometry();
  const int x = X - cur.x(), y = Y - cur.y();
  const int gx = mGrab.x(), gy = mGrab.y();
  const int W0 = mStartBounds.width(), H0 = mStartBounds.height();
  int l = mWork.x(), t = mWork.y(), w = mWork.width(), h = mWork.height();
  int edges = edAll;
  if (mResizing) {
    edges = 0;
    const int z = mZone;
    if (z == 1 || z == 2 || z == 5) {
      t = cur.y() + y - gy;
      h = cur.height() + gy - y;
      edges |= edTop;
    }
    if (z == 1 || z == 3 || z == 6) {
      l = cur.x() + x - gx;
      w = cur.width() + gx - x;
      edges |= edLeft;
    }
    if (z == 2 || z == 4 || z == 8) {
      w = x + W0 - gx;
      edges |= edRight;
    }
    if (z == 3 || z == 4 || z == 7) {
      h = y + H0 - gy;
      edges |= edBottom;
    }
  } else {
    l = cur.x() + x - gx;
    t = cur.y() + y - gy;
    w = W0;
    h = H0;
  }
  mWork = Constrained(QRect(l, t, w, h), edges);
  SetBounds(c, mWork);
}

void TDesignAtRunTime::SetBounds(QWidget* c, const QRect& r) {
  const QRect before = c->geometry();
  if (r != before) c->setGeometry(r);
  if (c->geometry() != before) TW_FIRE(OnChange, Change, this);
}

bool TDesignAtRunTime::KeyDown(int key, Qt::KeyboardModifiers shift) {
  if (!mActive) return false;
  if (key == Qt::Key_Escape) {
    if (!Dragging() || !mSelected) return false;
    // The drag is called off: the control goes back where it started.
    SetBounds(mSelected, mStartBounds);
    EraseSelector();
    PaintSelector();
    EndDrag();
    DefaultClientCursor();
    return true;
  }
  if (key != Qt::Key_Left && key != Qt::Key_Right && key != Qt::Key_Up && key != Qt::Key_Down) return false;
  QWidget* c = mShown && mMarked ? mMarked.data() : mSelected.data();
  if (!c || !mChangeEnabled || Dragging()) return false;
  const int step = mGridSize >= 1 ? mGridSize : 1;
  const int dx = key == Qt::Key_Left ? -step : key == Qt::Key_Right ? step : 0;
  const int dy = key == Qt::Key_Up ? -step : key == Qt::Key_Down ? step : 0;
  QRect r = c->geometry();
  int edges = edAll;
  if (shift & Qt::ShiftModifier) {
    r.setWidth(r.width() + dx);
    r.setHeight(r.height() + dy);
    edges = dx ? edRight : edBottom;
  } else {
    r.translate(dx, dy);
  }
  mSelected = c;
  TW_FIRE(OnBeginChange, BeginChange, this);
  EraseSelector();
  SetBounds(c, Constrained(r, edges));
  PaintSelector();
  TW_FIRE(OnEndChange, EndChange, this);
  SetClientHint(HintFor(c));
  return true;
}

void TDesignAtRunTime::PaintSelector() {
  QWidget* c = mSelected;
  if (!c || !mOverlay) return;
  const QRect g = c->geometry();
  mSelectorBox = g.adjusted(-4, -4, 4, 4);
  mMarked = c;
  mShown = true;
  mOverlay->update(Strips(mSelectorBox));
}

void TDesignAtRunTime::EraseSelector() {
  if (!mShown) return;
  mShown = false;
  if (mOverlay) mOverlay->update(Strips(mSelectorBox));
}

void TDesignAtRunTime::SelectorColorSet() {
  if (mOverlay && mShown) mOverlay->update(Strips(mSelectorBox));
}

bool TDesignAtRunTime::eventFilter(QObject* watched, QEvent* e) {
  if (!mActive || watched != mClient) return QObject::eventFilter(watched, e);
  const QEvent::Type t = e->type();
  if (IsMouse(t)) {
    auto* me = static_cast<QMouseEvent*>(e);
    const QPoint p = me->position().toPoint();
    if (t == QEvent::MouseMove)
      MouseMove(me->modifiers(), p.x(), p.y());
    else if (t == QEvent::MouseButtonRelease)
      MouseUp(me->button(), me->modifiers(), p.x(), p.y());
    else
      MouseDown(me->button(), me->modifiers(), p.x(), p.y());
    return true;
  }
  if (t == QEvent::KeyPress) {
    auto* ke = static_cast<QKeyEvent*>(e);
    if (KeyDown(ke->key(), ke->modifiers())) return true;
  } else if (t == QEvent::Resize) {
    if (mOverlay) mOverlay->setGeometry(mClient->rect());
  } else if (t == QEvent::ChildAdded) {
    // A control placed later stacks above the overlay; put it back on top.
    if (mOverlay) QMetaObject::invokeMethod(mOverlay, "raise", Qt::QueuedConnection);
  } else if (t == QEvent::ChildRemoved) {
    if (mOverlay && !mMarked) mOverlay->update();
  }
  return QObject::eventFilter(watched, e);
}

}  // namespace Tarnwell
