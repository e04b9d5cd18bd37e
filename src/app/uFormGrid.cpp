#include "app/uFormGrid.h"

#include <algorithm>

#include <QAction>
#include <QAbstractItemView>
#include <QApplication>
#include <QCompleter>
#include <QEvent>
#include <QFileDialog>
#include <QFontMetrics>
#include <QGuiApplication>
#include <QStyle>
#include <QHeaderView>
#include <QItemSelectionModel>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMessageBox>
#include <QProgressBar>
#include <QScreen>
#include <QStyledItemDelegate>
#include <QStatusBar>
#include <QTabWidget>
#include <QTextEdit>
#include <QVBoxLayout>

#include "app/ModelAdapter.h"
#include "app/core/uFormGrid_Files.h"
#include "app/uFormGrid_Model.h"
#include "platform/MemoryPages.h"
#include "widgets/WsControls.h"
#include "widgets/WsPlainText.h"

namespace qmz {

namespace {

// From this many rows on, clearing or replacing the list also renews its view.
constexpr int kLargeList = 65536;

QString RouteFileFilter() { return QStringLiteral("Route File (*.csv);;Alle Dateien (*)"); }

// The file name field comes up with its text selected, as in any file dialog: a name typed in replaces
// the last one instead of being added to it. Its completion list closes with the dialog.
class RouteFileDialog : public QFileDialog {
 public:
  using QFileDialog::QFileDialog;

 protected:
  void showEvent(QShowEvent* event) override {
    QFileDialog::showEvent(event);
    if (QLineEdit* name = NameEdit()) name->selectAll();
    if (QWidget* list = CompletionList()) list->installEventFilter(this);
  }
  void done(int result) override {
    QFileDialog::done(result);
    if (QWidget* list = CompletionList()) list->hide();
  }
  bool eventFilter(QObject* watched, QEvent* event) override {
    // A folder the list was still reading when the dialog closed brings the list up once it is read,
    // floating over the window below and taking its next click. It goes once it is fully shown (hidden
    // before that, it would stay registered as the open pop-up).
    if (event->type() == QEvent::Show && !isVisible() && watched == CompletionList())
      QMetaObject::invokeMethod(static_cast<QWidget*>(watched), &QWidget::hide, Qt::QueuedConnection);
    return QFileDialog::eventFilter(watched, event);
  }

 private:
  QLineEdit* NameEdit() const { return findChild<QLineEdit*>(QStringLiteral("fileNameEdit")); }
  QWidget* CompletionList() const {
    QLineEdit* name = NameEdit();
    return name != nullptr && name->completer() != nullptr ? name->completer()->popup() : nullptr;
  }
};

// Draws each row of the list through the window's custom-draw handler.
class RouteRowDelegate : public QStyledItemDelegate {
 public:
  explicit RouteRowDelegate(TformGrid* grid) : QStyledItemDelegate(grid), grid_(grid) {}

  void paint(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const override {
    QStyleOptionViewItem opt = option;
    initStyleOption(&opt, index);
    auto* view = qobject_cast<QAbstractItemView*>(const_cast<QWidget*>(option.widget));
    bool defaultDraw = true;
    grid_->lvRoutesCustomDrawItem(view, index, opt, defaultDraw);
    if (!defaultDraw) return;
    const QStyle* style = option.widget ? option.widget->style() : QApplication::style();
    style->drawControl(QStyle::CE_ItemViewItem, &opt, painter, option.widget);
  }

 private:
  TformGrid* grid_;
};

QFileDialog* MakeDialog(QWidget* parent, const QString& title, QFileDialog::AcceptMode mode) {
  auto* dlg = new RouteFileDialog(parent, title);
  // Qt's own dialog: the same on every desktop, and one the tests can drive.
  dlg->setOption(QFileDialog::DontUseNativeDialog);
  dlg->setAcceptMode(mode);
  dlg->setFileMode(mode == QFileDialog::AcceptSave ? QFileDialog::AnyFile : QFileDialog::ExistingFile);
  dlg->setDefaultSuffix(QStringLiteral("csv"));
  dlg->setNameFilter(RouteFileFilter());
  return dlg;
}

}  // namespace

TformGrid::TformGrid(QWidget* parent) : QWidget(parent, Qt::Window) {
  setObjectName(QStringLiteral("formGrid"));
  setWindowTitle(QStringLiteral("Starvagant [] Traderoutes"));
  resize(870, 642);
  if (const QScreen* screen = QGuiApplication::primaryScreen())
    move(screen->availableGeometry().center() - rect().center());

  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->setSpacing(0);

  panBackHeader = new QWidget(this);
  panBackHeader->setObjectName(QStringLiteral("panBackHeader"));
  auto* headerLayout = new QVBoxLayout(panBackHeader);
  reInfo = new QTextEdit(panBackHeader);
  reInfo->setObjectName(QStringLiteral("reInfo"));
  reInfo->setReadOnly(true);
  reInfo->setFont(QFont(QStringLiteral("Tahoma")));
  reInfo->setStyleSheet(QStringLiteral("QTextEdit { background: #FFFFD7; }"));
  reInfo->setMaximumHeight(80);
  headerLayout->addWidget(reInfo);
  layout->addWidget(panBackHeader);

  pcRoutes = new QTabWidget(this);
  pcRoutes->setObjectName(QStringLiteral("pcRoutes"));
  tsRoutes = new QWidget(pcRoutes);
  tsRoutes->setObjectName(QStringLiteral("tsRoutes"));
  tsFilter = new QWidget(pcRoutes);
  tsFilter->setObjectName(QStringLiteral("tsFilter"));
  pcRoutes->addTab(tsRoutes, QStringLiteral("Traderoutes"));
  pcRoutes->addTab(tsFilter, QStringLiteral("Filter"));
  layout->addWidget(pcRoutes, 1);

  model_ = new RouteRowsModel(this);
  lvRoutes = MakeRoutesView();
  auto* routesLayout = new QVBoxLayout(tsRoutes);
  routesLayout->setContentsMargins(0, 0, 0, 0);
  routesLayout->addWidget(lvRoutes);

  Label1 = new QLabel(QStringLiteral("Filters are not yet implemented. \r\nPlease filter manually by not selecting the "
                                     "base / good you would like to filter"),
                      tsFilter);
  Label1->setObjectName(QStringLiteral("Label1"));
  QFont labelFont(QStringLiteral("Tahoma"));
  labelFont.setPixelSize(16);
  Label1->setFont(labelFont);
  Label1->setAlignment(Qt::AlignCenter);
  Label1->setWordWrap(true);
  auto* filterLayout = new QVBoxLayout(tsFilter);
  filterLayout->addWidget(Label1);

  StatusBar1 = new QStatusBar(this);
  StatusBar1->setObjectName(QStringLiteral("StatusBar1"));
  layout->addWidget(StatusBar1);
  Progress = new QProgressBar(StatusBar1);
  Progress->setObjectName(QStringLiteral("Progress"));
  Progress->setRange(0, 1000);
  Progress->setMaximumWidth(200);
  StatusBar1->addPermanentWidget(Progress);
  Progress->hide();

  popupRoutes = new QMenu(this);
  popupRoutes->setObjectName(QStringLiteral("popupRoutes"));
  miAddFilter = popupRoutes->addAction(QStringLiteral("&Add to Filter..."));
  miAddFilter->setObjectName(QStringLiteral("miAddFilter"));
  miAddFilter->setEnabled(false);
  popupRoutes->addSeparator();
  miSave = popupRoutes->addAction(QStringLiteral("&Save Routes..."));
  miSave->setObjectName(QStringLiteral("miSave"));
  LoadRoutes1 = popupRoutes->addAction(QStringLiteral("&Load Routes..."));
  LoadRoutes1->setObjectName(QStringLiteral("LoadRoutes1"));
  popupRoutes->addSeparator();
  miClear = popupRoutes->addAction(QStringLiteral("&Clear"));
  miClear->setObjectName(QStringLiteral("miClear"));

  DlgSave = MakeDialog(this, QStringLiteral("Save to..."), QFileDialog::AcceptSave);
  DlgSave->setObjectName(QStringLiteral("DlgSave"));
  DlgOpen = MakeDialog(this, QStringLiteral("Open..."), QFileDialog::AcceptOpen);
  DlgOpen->setObjectName(QStringLiteral("DlgOpen"));

  ShowMessage = [this](const QString& text, const QString& caption) {
    PlainMessageBox(this, QMessageBox::Information, caption, text);
  };

  connect(miAddFilter, &QAction::triggered, this, &TformGrid::miAddFilterClick);
  connect(miSave, &QAction::triggered, this, &TformGrid::miSaveClick);
  connect(LoadRoutes1, &QAction::triggered, this, &TformGrid::LoadRoutes1Click);
  connect(miClear, &QAction::triggered, this, &TformGrid::miClearClick);
}

RoutesView* TformGrid::MakeRoutesView() {
  auto* view = new RoutesView(tsRoutes);
  view->setObjectName(QStringLiteral("lvRoutes"));
  view->setModel(model_);
  view->setItemDelegate(new RouteRowDelegate(this));
  // A list view's looks and keys: whole rows, no grid, no row headers, Tab leaves the list.
  view->setShowGrid(false);
  view->setWordWrap(false);
  view->setTabKeyNavigation(false);
  view->setCornerButtonEnabled(false);
  view->setHorizontalScrollMode(QAbstractItemView::ScrollPerPixel);
  view->setSelectionBehavior(QAbstractItemView::SelectRows);
  view->setSelectionMode(QAbstractItemView::SingleSelection);
  view->setEditTriggers(QAbstractItemView::NoEditTriggers);
  QFont listFont(QStringLiteral("Arial"));
  listFont.setPixelSize(12);
  view->setFont(listFont);
  // Every row as high as one line of the list's font.
  view->verticalHeader()->hide();
  view->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
  view->verticalHeader()->setMinimumSectionSize(1);
  view->verticalHeader()->setDefaultSectionSize(QFontMetrics(listFont).height() + 4);
  view->setToolTip(QStringLiteral("Here you can see the resulting traderoutes"));
  view->header()->setSectionsClickable(true);
  view->header()->setSortIndicatorShown(false);
  view->header()->setHighlightSections(false);
  view->header()->setStretchLastSection(true);
  view->header()->setDefaultAlignment(Qt::AlignLeft | Qt::AlignVCenter);
  // The widths are the least a column gets: each is at least as wide as its caption in the list's font.
  const QFontMetrics headerFont(view->header()->font());
  const int headerMargins = 2 * view->header()->style()->pixelMetric(QStyle::PM_HeaderMargin) + 8;
  for (int c = 0; c < RouteColumnCount; ++c) {
    const int captionWidth = headerFont.horizontalAdvance(ToQString(RouteColumnHeaders[std::size_t(c)])) +
                             headerMargins;
    view->setColumnWidth(c, std::max(RouteColumnWidths[std::size_t(c)], captionWidth));
  }
  view->setMouseTracking(true);
  view->viewport()->setMouseTracking(true);
  view->viewport()->installEventFilter(this);
  view->setContextMenuPolicy(Qt::CustomContextMenu);
  connect(view, &QWidget::customContextMenuRequested, this,
          [this, view](const QPoint& p) { popupRoutes->popup(view->viewport()->mapToGlobal(p)); });
  // A click while a file loads or the rows sort waits for nothing: the list is not touched then.
  connect(view->header(), &QHeaderView::sectionClicked, this, [this](int column) {
    if (busy_ == 0) lvRoutesColumnClick(column);
  });
  connect(view->selectionModel(), &QItemSelectionModel::selectionChanged, this, &TformGrid::lvRoutesSelectItem);
  return view;
}

void TformGrid::RenewRoutesView() {
  // The view keeps the room it held for the rows of a long list (a record a row in its row header) after
  // the rows are gone; a fresh view, with the columns as the user left them, gives it back. Not while a
  // sort runs: the old view's header click is still under way then.
  if (sorting_ > 0) return;
  RoutesView* old = lvRoutes;
  const QByteArray columns = old->header()->saveState();
  const bool focused = old->hasFocus();
  lvRoutes = MakeRoutesView();
  lvRoutes->header()->restoreState(columns);
  delete tsRoutes->layout()->replaceWidget(old, lvRoutes);
  if (FLastHintControl == old) FLastHintControl = lvRoutes;
  // A widget added to a window already shown stays hidden until told otherwise.
  lvRoutes->setVisible(old->isVisibleTo(tsRoutes));
  delete old;
  if (focused) lvRoutes->setFocus();
}

TformGrid::~TformGrid() = default;

void TformGrid::ReplaceRoutes(TRouteTable Rows) {
  const bool large = model_->rowCount() >= kLargeList;
  const std::shared_ptr<TRouteTable> before = model_->SetTable(std::move(Rows));
  if (large) RenewRoutesView();
  // Rows cleared and filled again start at the first one, wherever the list was scrolled to before.
  lvRoutes->scrollToTop();
  // What the status line said was about the rows before (a load's count).
  StatusBar1->clearMessage();
  // The rows before, unless a sort still reads them: millions of them take longer to free than the
  // window may go without its message pump.
  if (before.use_count() == 1) before->Clear([this] { Tick(0, 1); });
  // The old rows (and a long list's old view) are freed: their memory goes back, once.
  platform::ReleaseFreeMemory();
}

void TformGrid::ClearRoutes() { ReplaceRoutes({}); }

void TformGrid::AddRoutes(const std::vector<TRouteRow>& Rows) { model_->AppendRows(Rows); }

void TformGrid::TakeRoutes(TRouteTable Rows, bool ByProfit) {
  if (ByProfit) {
    // Sorted while still apart from the list: the list lays them out once, and the sort pumps meanwhile.
    BeginBusy();
    Rows.Reorder(RouteOrder(Rows, ReversedSort, [this](std::size_t done, std::size_t total) { Tick(done, total); }));
    sortTag_ = 1;
    EndBusy();
  }
  ReplaceRoutes(std::move(Rows));
}

const TRouteTable& TformGrid::RouteTable() const { return model_->Table(); }

void TformGrid::lvRoutesColumnClick(int Column) {
  if (Column < 0 || Column >= RouteColumnCount) return;
  if (sortTag_ == 0) {
    sortTag_ = 1;
    Sort(Column + ReversedSort);
  } else {
    sortTag_ = 0;
    Sort(Column);
  }
}

void TformGrid::Sort(int paramSort) {
  BeginBusy();
  ++sorting_;
  model_->Sort(paramSort, [this](std::size_t done, std::size_t total) { Tick(done, total); });
  --sorting_;
  EndBusy();
  // The sort's keys and positions are freed.
  platform::ReleaseFreeMemory();
}

void TformGrid::BeginBusy() {
  if (busy_++ == 0) {
    QApplication::setOverrideCursor(Qt::WaitCursor);
    Progress->setValue(0);
    Progress->show();
  }
  sincePump_.start();
}

void TformGrid::EndBusy() {
  if (--busy_ == 0) {
    Progress->hide();
    QApplication::restoreOverrideCursor();
  }
}

void TformGrid::Tick(std::size_t done, std::size_t total) {
  if (sincePump_.isValid() && sincePump_.elapsed() < 50) return;
  Progress->setValue(total == 0 ? 0 : int(double(done) / double(total) * 1000.0));
  QCoreApplication::processEvents();
  sincePump_.start();
}

void TformGrid::lvRoutesCustomDrawItem(QAbstractItemView* /*Sender*/, const QModelIndex& Item,
                                       QStyleOptionViewItem& Option, bool& /*DefaultDraw*/) {
  const TRouteTable& rows = model_->Table();
  if (!Item.isValid() || std::size_t(Item.row()) >= rows.Count()) return;
  Option.backgroundBrush = RouteRowBackground(rows, std::size_t(Item.row()));
  Option.palette.setColor(QPalette::Text, RouteRowText(rows, std::size_t(Item.row())));
}

void TformGrid::lvRoutesSelectItem() {
  miAddFilter->setEnabled(true);
  const QModelIndexList rows = lvRoutes->selectionModel()->selectedRows();
  FSelectedItem = rows.isEmpty() ? QPersistentModelIndex() : QPersistentModelIndex(rows.first());
}

void TformGrid::miAddFilterClick() {
  if (!FSelectedItem.isValid())
    ShowMessage(QStringLiteral("To add a filter, plase select a row in the listview first."),
                QStringLiteral("No row selected"));
}

void TformGrid::miSaveClick() {
  if (filing_) return;
  DlgSave->selectNameFilter(RouteFileFilter().section(QStringLiteral(";;"), 0, 0));
  if (DlgSave->exec() != QDialog::Accepted || DlgSave->selectedFiles().isEmpty()) return;
  SaveRoutesTo(DlgSave->selectedFiles().first());
}

void TformGrid::SaveRoutesTo(const QString& Path) {
  if (filing_) return;
  filing_ = true;
  // The rows as they are now: a load, a clear or a display while the file is written gives the list
  // rows of its own and leaves these whole.
  const std::shared_ptr<const TRouteTable> rows = model_->SharedTable();
  BeginBusy();
  sincePump_.invalidate();
  Tick(0, 1);
  std::string why;
  const bool saved = SaveRouteFile(
      Path.toStdString(), *rows, [this](std::size_t done, std::size_t total) { Tick(done, total); }, &why);
  EndBusy();
  filing_ = false;
  // A failed save must not look like a saved file; the old file, if any, stays as it was.
  if (!saved)
    ShowMessage(QStringLiteral("The routes could not be saved to \"%1\" (%2).").arg(Path, QString::fromStdString(why)),
                QStringLiteral("Save Routes"));
}

void TformGrid::LoadRoutes1Click() {
  if (filing_) return;
  if (DlgOpen->exec() != QDialog::Accepted || DlgOpen->selectedFiles().isEmpty()) return;
  LoadRoutesFrom(DlgOpen->selectedFiles().first());
}

void TformGrid::LoadRoutesFrom(const QString& Path) {
  if (filing_) return;
  filing_ = true;
  BeginBusy();
  // The busy cursor and gauge show before the first byte is read.
  sincePump_.invalidate();
  Tick(0, 1);
  // Read beside the rows shown: they stay whole until the file has proved to be a route file.
  TRouteTable table;
  const TRouteFileLoad load = LoadRouteFile(Path.toStdString(), table,
                                            [this](std::size_t done, std::size_t total) { Tick(done, total); });
  if (load.Error == TRouteFileError::None) {
    ReplaceRoutes(std::move(table));
    StatusBar1->showMessage(QStringLiteral("Loaded %1 routes; lines with another number of fields than %2: %3")
                                .arg(load.Rows)
                                .arg(RouteColumnCount)
                                .arg(load.OtherFieldCountLines));
  }
  EndBusy();
  filing_ = false;
  if (load.Error != TRouteFileError::None)
    ShowMessage(QStringLiteral("\"%1\" was not loaded: %2.")
                    .arg(Path, QString::fromStdString(RouteFileErrorText(load))),
                QStringLiteral("Load Routes"));
}

void TformGrid::miClearClick() { ClearRoutes(); }

void TformGrid::OnMouseMove(QWidget* Sender) {
  // The list is no edit, list or combo box: every box of the window gets its soft bevel back.
  SetBevelKind(this, Sender, Qt::NoModifier, 0, 0);
  if (Sender != nullptr && Sender != FLastHintControl) {
    reInfo->clear();
    if (Sender->toolTip().isEmpty() && reInfoTag_ != 5) {
      reInfoTag_ = 5;
    } else {
      reInfoTag_ = 0;
      reInfo->append(Sender->toolTip());
    }
  }
  FLastHintControl = Sender;
}

bool TformGrid::eventFilter(QObject* watched, QEvent* event) {
  if (watched == lvRoutes->viewport() && event->type() == QEvent::MouseMove) OnMouseMove(lvRoutes);
  return QWidget::eventFilter(watched, event);
}

}  // namespace qmz
