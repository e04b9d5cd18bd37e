#pragma once
// The route-list window: the list of routes the display wrote, sortable by any column, coloured, with
// a hint box and a pop-up menu to save the rows to and load them from a route file.

#include <QElapsedTimer>
#include <QHeaderView>
#include <QPersistentModelIndex>
#include <QStyleOptionViewItem>
#include <QTableView>
#include <QWidget>
#include <functional>
#include <vector>

#include "app/core/uFormGrid_Rows.h"
#include "app/core/uFormGrid_Table.h"

class QAction;
class QFileDialog;
class QLabel;
class QMenu;
class QProgressBar;
class QStatusBar;
class QTabWidget;
class QTextEdit;

namespace qmz {

class RouteRowsModel;

// The list of routes: a list view in report mode, made of a table view without grid lines or row
// headers. A table view keeps one small record a row in its row header, a tree view lays each of
// millions of rows out in one go and freezes the window meanwhile.
class RoutesView : public QTableView {
 public:
  using QTableView::QTableView;
  // The column header, as a list view has one.
  QHeaderView* header() const { return horizontalHeader(); }

 protected:
  // Home and End go to the first and the last row, as in a list.
  QModelIndex moveCursor(CursorAction action, Qt::KeyboardModifiers modifiers) override {
    if (action == MoveHome || action == MoveEnd) modifiers |= Qt::ControlModifier;
    return QTableView::moveCursor(action, modifiers);
  }
};

class TformGrid : public QWidget {
  Q_OBJECT

 public:
  explicit TformGrid(QWidget* parent = nullptr);
  ~TformGrid() override;

  // ---- what the main window calls ----------------------------------------------------------------
  // Removes all rows (the start of a display, and miClear).
  void ClearRoutes();
  // Appends rows in the order given.
  void AddRoutes(const std::vector<TRouteRow>& Rows);
  // Takes the display's rows in place of the list's, without copying them. ByProfit: first puts them in
  // the display's closing order, before the list shows them: by "Profit" (the total), highest first,
  // equal totals in the order they were built, whatever header the user clicked before; the next header
  // click then sorts in the base direction, as after start-up.
  void TakeRoutes(TRouteTable Rows, bool ByProfit);
  // The rows in their shown order.
  const TRouteTable& RouteTable() const;
  // Loads a route file in place of the rows (the load menu's work once a file is chosen). A file that
  // is not a route file is refused with a message and the rows stay as they were.
  void LoadRoutesFrom(const QString& Path);
  // Saves the rows as shown to a route file (the save menu's work once a file is chosen); a failure is
  // reported with the system's reason.
  void SaveRoutesTo(const QString& Path);
  RoutesView* RoutesListView() const { return lvRoutes; }

  // ---- handlers ------------------------------------------------------------------------------------
  // Flips the direction and sorts by Column (header click; also called with 0 by the start-up).
  void lvRoutesColumnClick(int Column);
  // The colours of a row as it is drawn (Option's background and text); DefaultDraw false would leave the
  // drawing to the handler.
  void lvRoutesCustomDrawItem(QAbstractItemView* Sender, const QModelIndex& Item, QStyleOptionViewItem& Option,
                              bool& DefaultDraw);
  void lvRoutesSelectItem();
  void miAddFilterClick();
  void miSaveClick();
  void LoadRoutes1Click();
  void miClearClick();
  // The hint box: the hint of the control under the mouse.
  void OnMouseMove(QWidget* Sender);

  // ---- controls, named as the form describes them --------------------------------------------------
  QWidget* panBackHeader = nullptr;
  QTextEdit* reInfo = nullptr;
  QTabWidget* pcRoutes = nullptr;
  QWidget* tsRoutes = nullptr;
  QWidget* tsFilter = nullptr;
  // Replaced by a fresh view when a long list is cleared or replaced: read it here each time.
  RoutesView* lvRoutes = nullptr;
  QLabel* Label1 = nullptr;
  QMenu* popupRoutes = nullptr;
  QAction* miAddFilter = nullptr;
  QAction* miSave = nullptr;
  QAction* LoadRoutes1 = nullptr;
  QAction* miClear = nullptr;
  QFileDialog* DlgSave = nullptr;
  QFileDialog* DlgOpen = nullptr;
  QStatusBar* StatusBar1 = nullptr;
  // The gauge of a long load or sort, in the status bar while it runs.
  QProgressBar* Progress = nullptr;

  // Shows an information box (text, caption); Qt's message box unless a test replaces it.
  std::function<void(const QString&, const QString&)> ShowMessage;

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  // Long loads, saves and sorts: busy cursor and gauge; Tick moves the gauge and pumps the message queue at
  // least every 50 ms so the window never freezes.
  void BeginBusy();
  void EndBusy();
  void Tick(std::size_t done, std::size_t total);
  void Sort(int paramSort);
  RoutesView* MakeRoutesView();
  void RenewRoutesView();
  // Every replacement of the rows (clear, load, display) goes through here.
  void ReplaceRoutes(TRouteTable Rows);

  RouteRowsModel* model_ = nullptr;
  int busy_ = 0;         // loads, saves and sorts running (nested through the pump)
  int sorting_ = 0;      // sorts running
  bool filing_ = false;  // a load or a save runs: one file at a time
  QElapsedTimer sincePump_;
  int sortTag_ = 0;  // lvRoutes' direction toggle: 0 the next click sorts reversed
  int reInfoTag_ = 0;
  QWidget* FLastHintControl = nullptr;
  QPersistentModelIndex FSelectedItem;
};

}  // namespace qmz
