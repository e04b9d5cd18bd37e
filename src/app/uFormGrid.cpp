#include "app/uFormGrid.h"

#include <QAction>
#include <QEvent>
#include <QFileDialog>
#include <QGuiApplication>
#include <QHeaderView>
#include <QItemSelectionModel>
#include <QLabel>
#include <QMenu>
#include <QMessageBox>
#include <QScreen>
#include <QStatusBar>
#include <QTabWidget>
#include <QTextEdit>
#include <QTreeView>
#include <QVBoxLayout>

#include "app/core/uFormGrid_Files.h"
#include "app/uFormGrid_Model.h"
#include "widgets/WsPlainText.h"

namespace qmz {

namespace {

QString RouteFileFilter() { return QStringLiteral("Route File (*.csv);;Alle Dateien (*)"); }

QFileDialog* MakeDialog(QWidget* parent, const QString& title, QFileDialog::AcceptMode mode) {
  auto* dlg = new QFileDialog(parent, title);
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
  lvRoutes = new QTreeView(tsRoutes);
  lvRoutes->setObjectName(QStringLiteral("lvRoutes"));
  lvRoutes->setModel(model_);
  lvRoutes->setRootIsDecorated(false);
  lvRoutes->setItemsExpandable(false);
  lvRoutes->setUniformRowHeights(true);
  lvRoutes->setAllColumnsShowFocus(true);
  lvRoutes->setSelectionBehavior(QAbstractItemView::SelectRows);
  lvRoutes->setSelectionMode(QAbstractItemView::SingleSelection);
  lvRoutes->setEditTriggers(QAbstractItemView::NoEditTriggers);
  QFont listFont(QStringLiteral("Arial"));
  listFont.setPixelSize(12);
  lvRoutes->setFont(listFont);
  lvRoutes->setToolTip(QStringLiteral("Here you can see the resulting traderoutes"));
  lvRoutes->header()->setSectionsClickable(true);
  lvRoutes->header()->setSortIndicatorShown(false);
  for (int c = 0; c < RouteColumnCount; ++c) lvRoutes->setColumnWidth(c, RouteColumnWidths[std::size_t(c)]);
  lvRoutes->setMouseTracking(true);
  lvRoutes->viewport()->setMouseTracking(true);
  lvRoutes->viewport()->installEventFilter(this);
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
  lvRoutes->setContextMenuPolicy(Qt::CustomContextMenu);
  connect(lvRoutes, &QWidget::customContextMenuRequested, this,
          [this](const QPoint& p) { popupRoutes->popup(lvRoutes->viewport()->mapToGlobal(p)); });

  DlgSave = MakeDialog(this, QStringLiteral("Save to..."), QFileDialog::AcceptSave);
  DlgSave->setObjectName(QStringLiteral("DlgSave"));
  DlgOpen = MakeDialog(this, QStringLiteral("Open..."), QFileDialog::AcceptOpen);
  DlgOpen->setObjectName(QStringLiteral("DlgOpen"));

  ShowMessage = [this](const QString& text, const QString& caption) {
    PlainMessageBox(this, QMessageBox::Information, caption, text);
  };

  connect(lvRoutes->header(), &QHeaderView::sectionClicked, this, &TformGrid::lvRoutesColumnClick);
  connect(lvRoutes->selectionModel(), &QItemSelectionModel::selectionChanged, this, &TformGrid::lvRoutesSelectItem);
  connect(miAddFilter, &QAction::triggered, this, &TformGrid::miAddFilterClick);
  connect(miSave, &QAction::triggered, this, &TformGrid::miSaveClick);
  connect(LoadRoutes1, &QAction::triggered, this, &TformGrid::LoadRoutes1Click);
  connect(miClear, &QAction::triggered, this, &TformGrid::miClearClick);
}

TformGrid::~TformGrid() = default;

void TformGrid::ClearRoutes() { model_->Clear(); }

void TformGrid::AddRoutes(std::vector<TRouteRow> Rows) { model_->AppendRows(std::move(Rows)); }

void TformGrid::SortRoutesByProfit() {
  model_->Sort(ReversedSort);
  sortTag_ = 1;
}

const std::vector<TRouteRow>& TformGrid::Rows() const { return model_->Rows(); }

void TformGrid::lvRoutesColumnClick(int Column) {
  if (Column < 0 || Column >= RouteColumnCount) return;
  if (sortTag_ == 0) {
    model_->Sort(Column + ReversedSort);
    sortTag_ = 1;
  } else {
    model_->Sort(Column);
    sortTag_ = 0;
  }
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
  DlgSave->selectNameFilter(RouteFileFilter().section(QStringLiteral(";;"), 0, 0));
  if (DlgSave->exec() != QDialog::Accepted || DlgSave->selectedFiles().isEmpty()) return;
  const QString path = DlgSave->selectedFiles().first();
  // A failed save must not look like a saved file; the old file, if any, stays as it was.
  if (!SaveRouteFile(path.toStdString(), model_->Rows()))
    ShowMessage(QStringLiteral("The routes could not be saved to \"%1\".").arg(path), QStringLiteral("Save Routes"));
}

void TformGrid::LoadRoutes1Click() {
  if (DlgOpen->exec() != QDialog::Accepted || DlgOpen->selectedFiles().isEmpty()) return;
  const QString path = DlgOpen->selectedFiles().first();
  std::vector<TRouteRow> rows;
  if (!LoadRouteFile(path.toStdString(), rows)) {
    ShowMessage(QStringLiteral("The route file \"%1\" could not be read.").arg(path), QStringLiteral("Load Routes"));
    return;
  }
  model_->SetRows(std::move(rows));
}

void TformGrid::miClearClick() { model_->Clear(); }

void TformGrid::OnMouseMove(QWidget* Sender) {
  // The bevel hot-tracking of the form has nothing to do here: this window holds no edit, list or combo box.
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
