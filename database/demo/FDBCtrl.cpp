#include "FDBCtrl.h"

#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QMdiSubWindow>
#include <QMouseEvent>
#include <QPainter>
#include <QResizeEvent>
#include <QStandardPaths>
#include <QVBoxLayout>

#include <Tarnwell/app/DemoRegistry.h>
#include <Tarnwell/database/DBEngine.h>
#include <Tarnwell/platform/TDialogs.h>
#include <Tarnwell/platform/TFileWriter.h>
#include <Tarnwell/platform/TGraphics.h>
#include <Tarnwell/platform/THourglass.h>

namespace Tarnwell {

namespace {
// The client area the controls were placed in.
constexpr int DesignClientWidth = 600;
constexpr int DesignClientHeight = 400;
constexpr int CaptionHeight = 20;
constexpr int PageWidth = 185;
constexpr int ButtonBarHeight = 29;
constexpr int SplitHeight = 3;

QFont FontOf(const QString& name, int height, TFontStyles style = 0) {
  TFont f;
  f.SetName(name);
  f.SetHeight(height);
  f.SetStyle(style);
  return f.ToQFont();
}

// The tree's four pictures: category, table, detail, link.
QList<QIcon> TreeImages() {
  QList<QIcon> icons;
  for (int i = 0; i < 4; ++i) {
    QPixmap pm(16, 16);
    pm.fill(Qt::transparent);
    QPainter p(&pm);
    p.setPen(Qt::black);
    switch (i) {
      case 0:  // a folder
        p.setBrush(QColor(240, 200, 80));
        p.drawRect(1, 4, 13, 9);
        p.drawRect(1, 2, 5, 2);
        break;
      case 1:  // a table
        p.setBrush(Qt::white);
        p.drawRect(1, 2, 13, 11);
        p.fillRect(2, 3, 12, 3, QColor(0, 0, 128));
        p.drawLine(1, 9, 14, 9);
        p.drawLine(6, 6, 6, 13);
        break;
      case 2:  // a detail: a small table under an arrow
        p.setBrush(QColor(0, 160, 0));
        p.drawPolygon(QPolygon({QPoint(7, 1), QPoint(12, 6), QPoint(2, 6)}).translated(0, 0));
        p.setBrush(Qt::white);
        p.drawRect(3, 8, 9, 6);
        break;
      default:  // a link: two rings
        p.setBrush(Qt::NoBrush);
        p.setPen(QPen(QColor(0, 0, 200), 2));
        p.drawEllipse(1, 5, 8, 6);
        p.drawEllipse(6, 5, 8, 6);
        break;
    }
    icons << QIcon(pm);
  }
  return icons;
}
}  // namespace

// A bar between two grids: dragging it gives the grid below more or less room.
class TSplitBar : public QWidget {
 public:
  TSplitBar(TFormDBCtrl* form, int* height) : QWidget(form), mForm(form), mHeight(height) {
    setCursor(Qt::SizeVerCursor);
  }

 protected:
  void mousePressEvent(QMouseEvent* e) override {
    mStartY = e->globalPosition().toPoint().y();
    mStartHeight = *mHeight;
  }
  void mouseMoveEvent(QMouseEvent* e) override {
    if (!(e->buttons() & Qt::LeftButton)) return;
    *mHeight = std::max(1, mStartHeight - (e->globalPosition().toPoint().y() - mStartY));
    mForm->PlaceControls();
  }
  void paintEvent(QPaintEvent*) override {
    QPainter p(this);
    p.fillRect(rect(), palette().window());
  }

 private:
  TFormDBCtrl* mForm;
  int* mHeight;
  int mStartY = 0, mStartHeight = 0;
};

TFormDBCtrl::TFormDBCtrl(QWidget* parent) : TForm(parent) {
  setObjectName(QStringLiteral("FormDBCtrl"));
  SetCaption(QStringLiteral("FormDBCtrl"));
  setFont(FontOf(QStringLiteral("MS Sans Serif"), -11));

  // --- the queries: the tree view links them; their own links only name
  // each other (no index fields).
  auto makeQuery = [this](const char* name) {
    auto* q = new TEnhQuery(this);
    q->setObjectName(QLatin1String(name));
    q->setDatabaseName(QStringLiteral("DBDEMOS"));
    q->setSQL({QStringLiteral("SELECT *"), QStringLiteral("FROM XXXXXXXXXX")});
    q->setZFrom({QStringLiteral("XXXXXXXXXX")});
    q->setDefDTFrom(QDateTime(QDate(2000, 9, 24), QTime(0, 0)));
    q->setDefDTTo(QDateTime(QDate(2000, 9, 26), QTime(0, 0)));
    q->setWhereBoolOp(QStringLiteral("AND"));
    return q;
  };
  EnhQueryT = makeQuery("EnhQueryT");
  EnhQuery1 = makeQuery("EnhQuery1");
  EnhQuery2 = makeQuery("EnhQuery2");
  EnhQueryT->setRequestLive(true);
  EnhQueryT->setDetailQuery(EnhQuery1);
  EnhQueryT->setLinkedDataSet(EnhQuery2);
  auto makeSource = [this](const char* name, TEnhQuery* q) {
    auto* s = new TDataSource(this);
    s->setObjectName(QLatin1String(name));
    s->setDataSet(q);
    return s;
  };
  DataSourceT = makeSource("DataSourceT", EnhQueryT);
  DataSource1 = makeSource("DataSource1", EnhQuery1);
  DataSource2 = makeSource("DataSource2", EnhQuery2);

  // --- caption strip
  PanelCaption = new QWidget(this);
  PanelCaption->setObjectName(QStringLiteral("PanelCaption"));
  PanelCaption->setAutoFillBackground(true);
  LabelCaption = new QLabel(QStringLiteral("Data Browser"), PanelCaption);
  LabelCaption->setObjectName(QStringLiteral("LabelCaption"));
  LabelCaption->setFont(FontOf(QStringLiteral("MS Sans Serif"), -11, fsBold));
  LabelCaption->installEventFilter(this);
  auto makeShine = [this](const char* name, const QString& caption, const QString& hint) {
    auto* b = new TShineButton(PanelCaption);
    b->setObjectName(QLatin1String(name));
    b->setCaption(caption);
    b->setHint(hint);
    b->setShineColor(clFuchsia);
    b->setDefColor(clBlack);
    return b;
  };
  BtnMinimize = makeShine("BtnMinimize", QStringLiteral("-"), QStringLiteral("Minimizza|Riduce a icona la finestra"));
  BtnRestore = makeShine("BtnRestore", QStringLiteral("[]"),
                         QStringLiteral("Ripristina|Ripristina la dimensione normale della finestra"));
  BtnClose = makeShine("BtnClose", QStringLiteral("X"), QStringLiteral("Chiudi|Chiude la finestra"));
  connect(BtnMinimize, &QAbstractButton::clicked, this, [this] { FrameWindow()->showMinimized(); });
  connect(BtnRestore, &QAbstractButton::clicked, this, [this] { FrameWindow()->showNormal(); });
  connect(BtnClose, &QAbstractButton::clicked, this, [this] { Close(); });
  PanelCaption->hide();

  // --- left: browse and explore
  PageControl = new QTabWidget(this);
  PageControl->setObjectName(QStringLiteral("PageControl"));
  TabBrowse = new QWidget;
  TabBrowse->setObjectName(QStringLiteral("TabBrowse"));
  ComboAlias = new QComboBox(TabBrowse);
  ComboAlias->setObjectName(QStringLiteral("ComboAlias"));
  ListTables = new QListWidget(TabBrowse);
  ListTables->setObjectName(QStringLiteral("ListTables"));
  auto* browse = new QVBoxLayout(TabBrowse);
  browse->setContentsMargins(4, 4, 4, 4);
  browse->addWidget(ComboAlias);
  browse->addWidget(ListTables);
  PageControl->addTab(TabBrowse, QStringLiteral("Browse"));
  TabExplore = new QWidget;
  TabExplore->setObjectName(QStringLiteral("TabExplore"));
  BtnAnalize = new QPushButton(QStringLiteral("Analize Database"), TabExplore);
  BtnAnalize->setObjectName(QStringLiteral("BtnAnalize"));
  DBTreeView = new TDBTreeView(TabExplore);
  DBTreeView->setObjectName(QStringLiteral("DBTreeView"));
  DBTreeView->setQueryMaster(EnhQueryT);
  DBTreeView->setQueryDetail(EnhQuery1);
  DBTreeView->setQueryLinked(EnhQuery2);
  DBTreeView->SetImages(TreeImages());
  auto* explore = new QVBoxLayout(TabExplore);
  explore->setContentsMargins(4, 4, 4, 4);
  explore->addWidget(BtnAnalize);
  explore->addWidget(DBTreeView);
  PageControl->addTab(TabExplore, QStringLiteral("Explore"));
  connect(PageControl, &QTabWidget::currentChanged, this, [this](int) { PageChanged(); });
  connect(ComboAlias, &QComboBox::activated, this, [this](int) { AliasChosen(ComboAlias->currentText()); });
  connect(ListTables, &QListWidget::itemDoubleClicked, this,
          [this](QListWidgetItem* item) { OpenTable(item->text()); });
  connect(BtnAnalize, &QPushButton::clicked, this, &TFormDBCtrl::Analize);

  // --- right: buttons and grids
  PanelButtons = new QWidget(this);
  PanelButtons->setObjectName(QStringLiteral("PanelButtons"));
  auto makeButton = [this](const char* name, const QString& caption) {
    auto* b = new QPushButton(caption, PanelButtons);
    b->setObjectName(QLatin1String(name));
    return b;
  };
  BtnSaveGrid = makeButton("BtnSaveGrid", QStringLiteral("Save Grid"));
  BtnLoadGrid = makeButton("BtnLoadGrid", QStringLiteral("Load Grid"));
  BtnCustomize = makeButton("BtnCustomize", QStringLiteral("Customize"));
  BtnEditRec = makeButton("BtnEditRec", QStringLiteral("Edit Rec"));
  BtnShowRec = makeButton("BtnShowRec", QStringLiteral("Show Rec"));
  connect(BtnSaveGrid, &QPushButton::clicked, this, &TFormDBCtrl::SaveGrid);
  connect(BtnLoadGrid, &QPushButton::clicked, this, &TFormDBCtrl::LoadGrid);
  connect(BtnCustomize, &QPushButton::clicked, this, &TFormDBCtrl::Customize);
  connect(BtnEditRec, &QPushButton::clicked, this, &TFormDBCtrl::EditRec);
  connect(BtnShowRec, &QPushButton::clicked, this, &TFormDBCtrl::ShowRec);

  PopupGrid = new QMenu(this);
  PopupGrid->setObjectName(QStringLiteral("PopupGrid"));
  ActShow = PopupGrid->addAction(QStringLiteral("Visualizza"), this, &TFormDBCtrl::ShowRec);
  ActEdit = PopupGrid->addAction(QStringLiteral("Modifica"), this, &TFormDBCtrl::EditRec);
  ActCustomize = PopupGrid->addAction(QStringLiteral("Personalizza..."), this, &TFormDBCtrl::Customize);
  PopupGrid->addSeparator();
  ActSave = PopupGrid->addAction(QStringLiteral("Salva"), this, &TFormDBCtrl::SaveGrid);
  ActRestore = PopupGrid->addAction(QStringLiteral("Ripristina"), this, &TFormDBCtrl::LoadGrid);

  auto makeGrid = [this](const char* name, TDataSource* source) {
    auto* g = new TEnhDBGrid(this);
    g->setObjectName(QLatin1String(name));
    g->setDataSource(source);
    g->setReadOnly(true);
    g->SetParentColor(true);
    g->setCellStyle(csRaised);
    g->setFixedColumns(1);
    g->setColorCond({QStringLiteral("DELTA | < | 100 | clRed | clWhite"),
                     QStringLiteral("DELTA | > | 200 | clBlue | clYellow")});
    g->setConversion({QStringLiteral("Tipo | = | ORG | Sostituisci con | Organiz.")});
    g->setCaption(QStringLiteral("Griglia di Prova"));
    g->setCanFilter(false);
    g->setClearOnRestore(false);
    g->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(g, &QWidget::customContextMenuRequested, this,
            [this, g](const QPoint& at) { PopupGrid->popup(g->mapToGlobal(at)); });
    g->viewport()->installEventFilter(this);
    return g;
  };
  DBGrid = makeGrid("DBGrid", DataSourceT);
  EnhDBGrid1 = makeGrid("EnhDBGrid1", DataSource1);
  EnhDBGrid2 = makeGrid("EnhDBGrid2", DataSource2);
  Splitter1 = new TSplitBar(this, &mGrid1Height);
  Splitter1->setObjectName(QStringLiteral("Splitter1"));
  Splitter2 = new TSplitBar(this, &mGrid2Height);
  Splitter2->setObjectName(QStringLiteral("Splitter2"));

  // Every move of the master keeps the tree's dependents in step.
  connect(EnhQueryT, &TDataSet::afterScroll, this, [this] { DBTreeView->SyncDependents(); });

  for (QObject* c : std::initializer_list<QObject*>{
           PanelCaption, LabelCaption, BtnMinimize, BtnRestore, BtnClose, PageControl, ComboAlias, ListTables,
           BtnAnalize, DBTreeView, PanelButtons, BtnSaveGrid, BtnLoadGrid, BtnCustomize, BtnEditRec, BtnShowRec,
           DBGrid, Splitter1, EnhDBGrid1, Splitter2, EnhDBGrid2, PopupGrid, EnhQueryT, EnhQuery1, EnhQuery2,
           DataSourceT, DataSource1, DataSource2})
    AddComponent(c);
  SetDesignSize(DesignClientWidth, DesignClientHeight);
  resize(DesignClientWidth, DesignClientHeight);

  // Creation: the aliases, the lower grids collapsed.
  ComboAlias->addItems(TDBSession::AliasNames());
  ComboAlias->setCurrentIndex(-1);
  mGrid1Height = 1;
  mGrid2Height = 1;
  PlaceControls();
}

TFormDBCtrl::~TFormDBCtrl() {
  // The tree must not drive queries that are going.
  DBTreeView->setQueryMaster(nullptr);
  DBTreeView->setQueryDetail(nullptr);
  DBTreeView->setQueryLinked(nullptr);
  disconnect(EnhQueryT, nullptr, this, nullptr);
}

QWidget* TFormDBCtrl::FrameWindow() const {
  if (auto* sub = qobject_cast<QMdiSubWindow*>(parentWidget())) return sub;
  return const_cast<TFormDBCtrl*>(this);
}

bool TFormDBCtrl::Maximized() const { return FrameWindow()->isMaximized(); }

void TFormDBCtrl::PlaceControls() {
  const int w = width(), h = height();
  const int top = PanelCaption->isVisible() ? CaptionHeight : 0;
  PanelCaption->setGeometry(0, 0, w, CaptionHeight);
  LabelCaption->setGeometry(4, 2, 200, CaptionHeight - 4);
  BtnClose->setGeometry(w - 19, 2, 16, 16);
  BtnRestore->setGeometry(w - 37, 2, 16, 16);
  BtnMinimize->setGeometry(w - 55, 2, 16, 16);

  PageControl->setGeometry(0, top, PageWidth, std::max(40, h - top));

  const int left = PageWidth + 3, right = std::max(left + 40, w);
  const int gw = right - left;
  PanelButtons->setGeometry(left, top, gw, ButtonBarHeight);
  int x = 2;
  for (QPushButton* b : {BtnSaveGrid, BtnLoadGrid, BtnCustomize, BtnEditRec, BtnShowRec}) {
    b->setGeometry(x, 2, 75, 25);
    x += 77;
  }
  // From the bottom: the linked grid, a bar, the detail grid, a bar, the main grid.
  const int gridsTop = top + ButtonBarHeight;
  const int room = std::max(0, h - gridsTop - 2 * SplitHeight - 20);
  const int h2 = std::min(mGrid2Height, room);
  const int h1 = std::min(mGrid1Height, std::max(0, room - h2));
  int y = h - h2;
  EnhDBGrid2->setGeometry(left, y, gw, h2);
  y -= SplitHeight;
  Splitter2->setGeometry(left, y, gw, SplitHeight);
  y -= h1;
  EnhDBGrid1->setGeometry(left, y, gw, h1);
  y -= SplitHeight;
  Splitter1->setGeometry(left, y, gw, SplitHeight);
  DBGrid->setGeometry(left, gridsTop, gw, std::max(1, y - gridsTop));
}

void TFormDBCtrl::resizeEvent(QResizeEvent* e) {
  TForm::resizeEvent(e);
  UpdateCaptionStrip();
  PlaceControls();
}

void TFormDBCtrl::changeEvent(QEvent* e) {
  TForm::changeEvent(e);
  if (e->type() == QEvent::ParentChange) {
    if (auto* sub = qobject_cast<QMdiSubWindow*>(parentWidget())) sub->installEventFilter(this);
  }
}

bool TFormDBCtrl::eventFilter(QObject* o, QEvent* e) {
  if (o == parentWidget() && e->type() == QEvent::WindowStateChange) {
    UpdateCaptionStrip();
    PlaceControls();
  } else if (o == LabelCaption && e->type() == QEvent::MouseButtonDblClick) {
    FrameWindow()->showNormal();
    return true;
  } else if (e->type() == QEvent::MouseButtonDblClick) {
    for (TEnhDBGrid* g : {DBGrid, EnhDBGrid1, EnhDBGrid2})
      if (o == g->viewport()) {
        // Any of the three shows the main grid's record.
        ShowRec();
        return true;
      }
  }
  return TForm::eventFilter(o, e);
}

void TFormDBCtrl::UpdateCaptionStrip() {
  const bool show = Maximized();
  if (PanelCaption->isVisibleTo(this) == show) return;
  PanelCaption->setVisible(show);
}

void TFormDBCtrl::PageChanged() {
  const bool explore = PageControl->currentWidget() == TabExplore;
  mGrid1Height = explore ? 110 : 1;
  mGrid2Height = explore ? 70 : 1;
  PlaceControls();
}

void TFormDBCtrl::AliasChosen(const QString& alias) {
  ListTables->clear();
  try {
    THourglass wait;
    ListTables->addItems(Catalog::TableNames(TDBSession::Connection(alias)));
  } catch (const ETarnwellError&) {
    // An alias that does not open lists nothing.
  }
}

void TFormDBCtrl::OpenTable(const QString& table) {
  const QString alias = ComboAlias->currentText();
  THourglass wait;
  try {
    QSqlDatabase db = TDBSession::Connection(alias);
    const QString name = TDBAnalyzer::CatalogName(Catalog::TableNames(db), table);
    if (name.isEmpty()) throw EDatabaseError(QStringLiteral("La tabella '%1' non è nel database %2").arg(table, alias));
    // The tree's detail and linked tables belonged to the master it showed.
    DBTreeView->CloseQueries(nullptr);
    EnhQueryT->Close();
    EnhQueryT->setDatabaseName(alias);
    QStringList from = EnhQueryT->ZFrom();
    if (from.isEmpty()) from << QString();
    from[0] = Catalog::QuoteTableName(db, name);
    EnhQueryT->setZFrom(from);
    EnhQueryT->setZOrderBy({});
    if (!EnhQueryT->Rebuild(true) && !EnhQueryT->LastError().isEmpty())
      MessageDlg(EnhQueryT->LastError(), mtError, mbOK);
  } catch (const ETarnwellError& e) {
    MessageDlg(e.Message(), mtError, mbOK);
  }
}

void TFormDBCtrl::Analize() { DBTreeView->ShowAnalyzer(false); }

QString TFormDBCtrl::LayoutFile() {
  return QDir(QStandardPaths::writableLocation(QStandardPaths::AppDataLocation)).filePath(QStringLiteral("DBGrid.RES"));
}

void TFormDBCtrl::SaveGrid() {
  const QString file = LayoutFile();
  QDir().mkpath(QFileInfo(file).absolutePath());
  TFileWriter f(file);
  bool ok = f.open();
  if (ok) {
    DBGrid->SaveLayout(f);
    ok = f.Commit();
  }
  if (!ok) MessageDlg(QStringLiteral("Impossibile scrivere il file %1: %2").arg(file, f.errorString()), mtError, mbOK);
}

void TFormDBCtrl::LoadGrid() {
  const QString file = LayoutFile();
  QFile f(file);
  if (!f.open(QIODevice::ReadOnly)) {
    MessageDlg(QStringLiteral("Impossibile aprire il file %1").arg(file), mtError, mbOK);
    return;
  }
  if (!DBGrid->LoadLayout(f))
    MessageDlg(QStringLiteral("Il file %1 non contiene una disposizione valida della griglia: %2")
                   .arg(file, DBGrid->LastLayoutError()),
               mtError, mbOK);
}

void TFormDBCtrl::Customize() { DBGrid->Customize(); }
void TFormDBCtrl::EditRec() { DBGrid->EditRecord(); }
void TFormDBCtrl::ShowRec() { DBGrid->ShowRecord(); }

void RegisterDemoWindowDBCtrl() {
  RegisterDemoWindow("TFormDBCtrl", []() -> TForm* { return new TFormDBCtrl(); });
}

}  // namespace Tarnwell
