#include <QApplication>
#include <QCursor>
#include <QEnterEvent>
#include <QHash>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QScreen>
#include <QShortcut>
#include <QToolTip>
#include <QTreeWidgetItem>

#include <Tarnwell/app/ShineBtn.h>
#include <Tarnwell/commonctrls/MyTreeV.h>
#include <Tarnwell/visuals/Label3D.h>

#include "SldBBar.h"
#include "SldMenuTree.h"

#include <Tarnwell/platform/TAccessible.h>

TARNWELL_LIBRARY_ACCESSIBLE(slide)

namespace Tarnwell {

namespace {
// The keys claimed by managers, process-wide: identifier -> holder.
QHash<int, TSlideMenuMan*>& HotKeyOwners() {
  static QHash<int, TSlideMenuMan*> owners;
  return owners;
}

// The window the manager was placed on.
TForm* OwnerFormOf(QWidget* w) {
  for (QWidget* p = w ? w->parentWidget() : nullptr; p; p = p->parentWidget())
    if (auto* f = qobject_cast<TForm*>(p)) return f;
  return nullptr;
}
}  // namespace

// ---- keyboard mode as the bars see it ------------------------------------------------

bool TSlideButtonBar::KeyModeOn() const { return mMenuManager && mMenuManager->KeyMode(); }

void TSlideButtonBar::LeaveKeyModeFromMouse() {
  if (mMenuManager && mMenuManager->KeyMode()) mMenuManager->MouseActivity();
}

// ---- TMenuPosRect ----------------------------------------------------------------------

void TMenuPosRect::SetRect(const TRect& r) {
  setLeft(r.Left);
  setTop(r.Top);
  setRight(r.Right);
  setBottom(r.Bottom);
}

// ---- TSlideMenuMan -----------------------------------------------------------------------

TSlideMenuMan::TSlideMenuMan(QWidget* parent) : TSlideControl(parent), mMenuPosRect(new TMenuPosRect(this)) {
  resize(48, 24);
  connect(this, &TSlideControl::FontChanged, this, [this](const QFont& f) {
    for (TSlideButtonBar* b : ManagedBars()) b->setFont(f);
  });
  RegisterHotKeys();
}

TSlideMenuMan::~TSlideMenuMan() {
  UnregisterHotKeys();
  // The tree window is ours: it goes with us and never calls back.
  if (mTree) {
    mTree->mManager = nullptr;
    delete mTree;
    mTree = nullptr;
  }
}

QKeySequence TSlideMenuMan::HotKeySequence(int id) {
  static const int keys[] = {0, Qt::Key_End, Qt::Key_Left, Qt::Key_Right, Qt::Key_Up, Qt::Key_Down, Qt::Key_Return};
  if (id < 1 || id > 6) return QKeySequence();
  return QKeySequence(QKeyCombination(Qt::AltModifier, Qt::Key(keys[id])));
}

void TSlideMenuMan::RegisterHotKeys() {
  auto& owners = HotKeyOwners();
  for (int id = 1; id <= 6; ++id) {
    if (owners.contains(id)) continue;  // refused: another manager holds it
    owners.insert(id, this);
    mHeld[id] = true;
    auto* sc = new QShortcut(HotKeySequence(id), this);
    sc->setContext(Qt::ApplicationShortcut);
    connect(sc, &QShortcut::activated, this, [this, id] { HotKey(id); });
    mShortcuts.append(sc);
  }
  // Escape also ends keyboard navigation, but only while it runs: the rest
  // of the time the key belongs to whoever has the focus.
  if (mHeld[1]) {
    mEscape = new QShortcut(QKeySequence(Qt::Key_Escape), this);
    mEscape->setContext(Qt::ApplicationShortcut);
    mEscape->setEnabled(false);
    connect(mEscape, &QShortcut::activated, this, [this] { HotKey(1); });
    mShortcuts.append(mEscape);
  }
}

void TSlideMenuMan::SetKeyMode(bool on) {
  mKeyMode = on;
  if (mEscape) mEscape->setEnabled(on);
}

void TSlideMenuMan::UnregisterHotKeys() {
  auto& owners = HotKeyOwners();
  for (int id = 1; id <= 6; ++id) {
    if (mHeld[id] && owners.value(id) == this) owners.remove(id);
    mHeld[id] = false;
  }
  qDeleteAll(mShortcuts);
  mShortcuts.clear();
  mEscape = nullptr;
}

bool TSlideMenuMan::HotKeyRegistered(int id) const { return id >= 1 && id <= 6 && mHeld[id]; }

TSlideMenuMan* TSlideMenuMan::HotKeyOwner(int id) { return HotKeyOwners().value(id, nullptr); }

TSlideMenu* TSlideMenuMan::MenuFirst() const { return mMenuFirst; }
void TSlideMenuMan::setMenuFirst(TSlideMenu* value) {
  if (mMenuFirst == value) return;
  mMenuFirst = value;
  Q_EMIT MenuFirstChanged(value);
}

QList<TSlideButtonBar*> TSlideMenuMan::ManagedBars() const {
  QList<TSlideButtonBar*> bars;
  QWidget* owner = OwnerFormOf(const_cast<TSlideMenuMan*>(this));
  if (!owner) owner = parentWidget();
  if (!owner) return bars;
  for (TSlideButtonBar* b : owner->findChildren<TSlideButtonBar*>())
    if (b->MenuManager() == this) bars.append(b);
  return bars;
}

QList<TSlideMenu*> TSlideMenuMan::Menus() const {
  QList<TSlideMenu*> menus;
  if (!mMenuFirst) return menus;
  for (TSlideButtonBar* b : mMenuFirst->Chain())
    if (auto* m = qobject_cast<TSlideMenu*>(b)) menus.append(m);
  return menus;
}

void TSlideMenuMan::ShowMenus() {
  if (!isEnabled() || mBusy) return;
  TW_FIRE(OnShowMenu, ShowMenu, this);
  if (mTree && mTree->isVisible()) return;
  mBusy = true;
  if (mMenuFirst) mMenuFirst->ShowChain();
  mBusy = false;
}

void TSlideMenuMan::HideMenus() {
  if (!isEnabled() || mBusy) return;
  TW_FIRE(OnHideMenu, HideMenu, this);
  mBusy = true;
  if (mMenuFirst) mMenuFirst->HideChain();
  mBusy = false;
  PauseTimer();
}

void TSlideMenuMan::ActiveChanged_() {
  if (mActive)
    HideMenus();
  else
    ShowMenus();
}

void TSlideMenuMan::Step() {
  if (!mActive) {
    PauseTimer();
    return;
  }
  for (TSlideButtonBar* b : ManagedBars())
    if (b->TimerActive()) return;  // still opening, open or closing
  HideMenus();
}

void TSlideMenuMan::ShowMenuTree(const TRect& rect) {
  if (!mTree) mTree = new TFormSlideMenuTree(this);
  const TRect place = rect.Left < rect.Right ? rect : mMenuPosRect->Rect();
  mTree->ShowTree(place, OwnerFormOf(this), mGlyph);
}

void TSlideMenuMan::RefreshAll() {
  if (!mCustom) update();
  for (TSlideButtonBar* b : ManagedBars()) {
    if (b->Custom()) continue;
    b->Invalidate();
    if (b->MenuManager() && b->MenuManager()->mTree) b->MenuManager()->mTree->Rebuild();
  }
}

void TSlideMenuMan::Invalidate() {
  mPaintValid = false;
  if (!mCustom) update();
}

void TSlideMenuMan::Paint(TCanvas& canvas) {
  const int W = width(), H = height();
  canvas.Brush().SetStyle(bsSolid);
  canvas.Brush().SetColor(Color());
  canvas.FillRect(TRect(0, 0, W, H));
  TRect r(0, 0, W, H);
  canvas.Frame3D(r, mHighlightColor, mShadowColor, BevelWidth());
  canvas.Font().Assign(Font());
  int x = (W - canvas.TextWidth(mCaption)) / 2;
  const int y = (Font().Height() + H) / 2;
  if (!mGlyph.isNull()) {
    const int gy = (H - mGlyph.height()) / 2;
    const int gx = mCaption.isEmpty() ? (W - mGlyph.width()) / 2 : mGlyph.width() / 2;
    canvas.Draw(gx, gy, mGlyph);
    x = (3 * mGlyph.width()) / 2 + 10;
  }
  if (!mCaption.isEmpty()) {
    canvas.Brush().SetStyle(bsClear);
    canvas.TextOut(x, y, mCaption);
  }
}

void TSlideMenuMan::MouseActivity() {
  // Bars growing under a pointer that stands still, or the pointer moved by
  // the keyboard start itself, are no sign of the mouse being used.
  if (mKeyMode && QCursor::pos() != mKeyModePointer) LeaveKeyMode();
}

void TSlideMenuMan::LeaveKeyMode() {
  if (!mKeyMode) return;
  if (mMenuFirst) mMenuFirst->KeyDispatch(nullptr, TSlideMenu::vkEnd);
  SetKeyMode(false);
}

void TSlideMenuMan::enterEvent(QEnterEvent* e) {
  TSlideControl::enterEvent(e);
  MouseActivity();
  if (!mActive) return;
  ShowMenus();
  PauseTimer();
}

void TSlideMenuMan::leaveEvent(QEvent* e) {
  TSlideControl::leaveEvent(e);
  MouseActivity();
  if (mActive) ResumeTimer();
}

void TSlideMenuMan::mousePressEvent(QMouseEvent* e) {
  TSlideControl::mousePressEvent(e);
  mPressedInside = e->button() == Qt::LeftButton;
}

void TSlideMenuMan::mouseReleaseEvent(QMouseEvent* e) {
  TSlideControl::mouseReleaseEvent(e);
  const bool click = mPressedInside && e->button() == Qt::LeftButton && rect().contains(e->position().toPoint());
  mPressedInside = false;
  if (click) TW_FIRE(OnClick, Click, this);
}

void TSlideMenuMan::mouseDoubleClickEvent(QMouseEvent* e) {
  TSlideControl::mouseDoubleClickEvent(e);
  if (e->button() == Qt::LeftButton) TW_FIRE(OnDblClick, DblClick, this);
}

void TSlideMenuMan::FireCloseMenuForm(const TRect& r, bool closing) {
  try {
    Q_EMIT CloseMenuForm(this, r.ToQRect(), closing);
    if (OnCloseMenuForm) OnCloseMenuForm(this, r, closing);
  } catch (...) {
    HandleCurrentException();
  }
}

void TSlideMenuMan::HotKey(int id) {
  if (!HotKeyRegistered(id)) return;  // a key this manager could not claim
  if (mTree && mTree->isVisible()) return;
  TSlideMenu* first = mMenuFirst;
  if (!mKeyMode) {
    if (id != 3) return;
    PauseTimer();
    // The pointer goes off the manager, below it, out of the menus' way.
    if (isVisible()) QCursor::setPos(mapToGlobal(QPoint(width() - 16, height() + 16)));
    mKeyModePointer = QCursor::pos();
    SetKeyMode(true);
    if (first) first->KeyDispatch(nullptr, TSlideMenu::vkEnd);
    ShowMenus();
    if (first) first->FocusBar();
    return;
  }
  if (id == 1) {
    if (first) first->KeyDispatch(nullptr, TSlideMenu::vkEnd);
    if (mActive) HideMenus();
    SetKeyMode(false);
    return;
  }
  if (!first) return;
  switch (id) {
    case 2:
      if (first->KeyFocus()) {
        first->KeyDispatch(nullptr, TSlideMenu::vkEnd);
        if (mActive) HideMenus();
        SetKeyMode(false);
      } else {
        first->KeyDispatch(nullptr, TSlideMenu::vkLeft);
      }
      break;
    case 3: first->KeyDispatch(nullptr, TSlideMenu::vkRight); break;
    case 4: first->KeyDispatch(nullptr, TSlideMenu::vkUp); break;
    case 5: first->KeyDispatch(nullptr, TSlideMenu::vkDown); break;
    case 6:
      first->KeyDispatch(nullptr, TSlideMenu::vkReturn);
      if (mActive) HideMenus();
      SetKeyMode(false);
      break;
    default: break;
  }
}

// ---- TFormSlideMenuTree ------------------------------------------------------------------

TFormSlideMenuTree::TFormSlideMenuTree(TSlideMenuMan* manager) : TForm(nullptr), mManager(manager) {
  setObjectName(QStringLiteral("FormSlideMenuTree"));
  setWindowFlags(Qt::Tool | Qt::WindowStaysOnTopHint);
  SetCaption(QStringLiteral("Funzioni"));
  SetDefaultCloseAction(caHide);
  TFont f;
  f.SetName(QStringLiteral("MS Sans Serif"));
  f.SetHeight(-11);
  setFont(f.ToQFont());
  resize(200, 320);

  ImageList1 = new TSlideImageList(this);
  Panel1 = new TCustomPanel(this);
  Panel1->setObjectName(QStringLiteral("Panel1"));
  Panel1->installEventFilter(this);
  Label3D1 = new TLabel3D(Panel1);
  Label3D1->setObjectName(QStringLiteral("Label3D1"));
  TFont lf;
  lf.SetName(QStringLiteral("Arial"));
  lf.SetHeight(-15);
  lf.SetStyle(TFontStyles(fsBold | fsItalic));
  Label3D1->setFont(lf.ToQFont());
  Label3D1->setFontHighLight(clBtnHighlight);
  Label3D1->setFontShadow(clNone);
  Label3D1->setDisplacement(1);
  Label3D1->setTransparent(true);
  Label3D1->move(4, 2);
  Label3D1->installEventFilter(this);

  TFont bf;
  bf.SetName(QStringLiteral("Lucida Console"));
  bf.SetHeight(-16);
  bf.SetStyle(TFontStyles(fsBold));
  auto makeButton = [&](const char* name, const char* caption, const char* hint) {
    auto* b = new TShineButton(Panel1);
    b->setObjectName(QLatin1String(name));
    b->setCaption(QLatin1String(caption));
    b->setHint(QString::fromUtf8(hint));
    b->setFont(bf.ToQFont());
    b->setFlat(true);
    b->setShineColor(clFuchsia);
    b->setDefColor(clBlack);
    b->resize(18, 18);
    return b;
  };
  BtnMin = makeButton("BtnMin", "-", "|Minimizza l'applicazione");
  BtnClose = makeButton("BtnClose", "X", "|Esce dall'applicazione");
  connect(BtnMin, &QAbstractButton::clicked, this, [this] {
    if (mOwnerForm) mOwnerForm->window()->showMinimized();
  });
  connect(BtnClose, &QAbstractButton::clicked, this, [this] {
    auto* owner = qobject_cast<TForm*>(mOwnerForm.data());
    if (!owner) return;
    if (mManager) mManager->FireCloseMenuForm(TRect(geometry()), true);
    hide();
    owner->Close();
  });

  TreeView1 = new TMyTreeView(this);
  TreeView1->setObjectName(QStringLiteral("TreeView1"));
  TreeView1->setHeaderHidden(true);
  TreeView1->setEditTriggers(QAbstractItemView::NoEditTriggers);
  TreeView1->setIndentation(19);
  TreeView1->setMouseTracking(true);
  TreeView1->installEventFilter(this);
  connect(TreeView1, &QTreeWidget::itemDoubleClicked, this, [this](QTreeWidgetItem* item) { ActivateItem(item); });
  connect(TreeView1, &QTreeWidget::itemEntered, this, [this](QTreeWidgetItem* item) {
    QToolTip::hideText();
    SetHint(TreeView1, HintFor(item));
  });
}

TFormSlideMenuTree::~TFormSlideMenuTree() = default;

void TFormSlideMenuTree::resizeEvent(QResizeEvent* e) {
  TForm::resizeEvent(e);
  const int w = width();
  Panel1->setGeometry(0, 0, w, 21);
  BtnClose->move(w - 20, 1);
  BtnMin->move(w - 39, 1);
  TreeView1->setGeometry(0, 21, w, std::max(0, height() - 21));
}

void TFormSlideMenuTree::ShowTree(const TRect& rect, QWidget* ownerForm, const QImage& glyph) {
  mClosing = false;
  mOwnerForm = ownerForm;
  mGlyph = glyph;
  mRequested = rect;
  mSaved = rect;
  if (mManager) {
    mManager->HideMenus();
    mManager->setVisible(false);
  }
  if (mFirstShow) {
    setGeometry(rect.ToQRect());
    mFirstShow = false;
  }
  Label3D1->setCaption(QGuiApplication::applicationDisplayName());
  show();
  raise();
  Rebuild();
}

void TFormSlideMenuTree::Rebuild() {
  if (!isVisible() || mClosing) return;
  ImageList1->Clear();
  ImageList1->Add(mGlyph.isNull() ? QImage(16, 16, QImage::Format_ARGB32_Premultiplied) : mGlyph);
  if (QTreeWidgetItem* root = TreeView1->topLevelItem(0)) {
    mExpanded.clear();
    for (int i = 0; i < root->childCount(); ++i)
      if (root->child(i)->isExpanded()) mExpanded.insert(root->child(i)->text(0));
  }
  TreeView1->clear();
  mMenus.clear();
  auto* root = new QTreeWidgetItem(TreeView1, QStringList{QGuiApplication::applicationDisplayName()});
  root->setIcon(0, QIcon(QPixmap::fromImage(ImageList1->Image(0))));
  if (mManager)
    for (TSlideMenu* m : mManager->Menus()) {
      mMenus.append(m);
      m->AddToTree(root, *ImageList1);
    }
  root->setExpanded(true);
  for (int i = 0; i < root->childCount(); ++i)
    if (mExpanded.contains(root->child(i)->text(0))) root->child(i)->setExpanded(true);
}

TSlideMenu* TFormSlideMenuTree::MenuOf(QTreeWidgetItem* item, int* index) const {
  if (!item) return nullptr;
  auto* o = item->data(0, Qt::UserRole).value<QObject*>();
  if (!o) return nullptr;
  // Only a menu that still exists: the node keeps a bare pointer.
  TSlideMenu* menu = nullptr;
  for (const QPointer<TSlideMenu>& m : mMenus)
    if (m && static_cast<QObject*>(m.data()) == o) menu = m;
  if (!menu) return nullptr;
  QTreeWidgetItem* parent = item->parent();
  const bool menuNode = parent && !parent->parent();
  if (index) *index = menuNode ? 0 : parent->indexOfChild(item) + 1;
  return menu;
}

void TFormSlideMenuTree::ActivateItem(QTreeWidgetItem* item) {
  int index = 0;
  if (TSlideMenu* menu = MenuOf(item, &index)) menu->FireButtonClick(index);
}

QString TFormSlideMenuTree::HintFor(QTreeWidgetItem* item) const {
  int index = 0;
  TSlideMenu* menu = MenuOf(item, &index);
  if (!menu || index >= menu->Hints().size()) return QString();
  return menu->Hints()[index];
}

void TFormSlideMenuTree::CaptionDoubleClick() {
  if (height() < 31) {
    setGeometry(mSaved.ToQRect());
    return;
  }
  mSaved = TRect(geometry());
  const QRect screen = QGuiApplication::primaryScreen() ? QGuiApplication::primaryScreen()->geometry()
                                                        : QRect(0, 0, 1024, 768);
  setGeometry(screen.width() - 131, screen.height() - 28, 130, 27);
}

bool TFormSlideMenuTree::eventFilter(QObject* watched, QEvent* event) {
  if ((watched == Panel1 || watched == Label3D1) && event->type() == QEvent::MouseButtonDblClick &&
      static_cast<QMouseEvent*>(event)->button() == Qt::LeftButton) {
    CaptionDoubleClick();
    return true;
  }
  if (watched == TreeView1 && event->type() == QEvent::KeyPress) {
    const int key = static_cast<QKeyEvent*>(event)->key();
    if (key == Qt::Key_Return || key == Qt::Key_Enter) {
      ActivateItem(TreeView1->currentItem());
      return true;
    }
  }
  return TForm::eventFilter(watched, event);
}

void TFormSlideMenuTree::FormClose(TCloseAction& action) {
  TForm::FormClose(action);
  action = caHide;
  mClosing = true;
  if (mManager) {
    mManager->setVisible(true);
    mManager->FireCloseMenuForm(TRect(geometry()), false);
    mManager->RefreshAll();
    mManager->setActive(true);
  }
  mClosing = false;
}

}  // namespace Tarnwell
