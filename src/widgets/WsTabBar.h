#pragma once
// A single row of tabs along the top or bottom of its area: select, close with a small button, reorder by
// dragging, scroll with two arrow buttons when the tabs do not fit, and drive a page list. Drawing and
// measuring go through a painter.
//
// Hand-written on QWidget: QTabBar cannot be left without a selected tab and does not delegate its painting.

#include <QList>
#include <QPixmap>
#include <QPointer>
#include <QWidget>
#include <functional>
#include <memory>

#include "widgets/WsTabBarItems.h"
#include "widgets/WsTabBarPainter.h"

class QMenu;

namespace qmz {

class IPageList;

enum class TWsTabBarOrientation { toTop, toBottom };

class TWsCustomTabBar : public QWidget {
  Q_OBJECT

 public:
  using NotifyEvent = std::function<void(TWsCustomTabBar* sender)>;
  using ItemEvent = std::function<void(TWsCustomTabBar* sender, TWsTabBarItem* item)>;
  using AllowItemEvent = std::function<void(TWsCustomTabBar* sender, TWsTabBarItem* item, bool& allow)>;
  using ScrollEvent = std::function<void(TWsCustomTabBar* sender, int button)>;
  // source: the control the drag came from (this bar for its own tab), or nil when the toolkit names none.
  using DragOverEvent = std::function<void(TWsCustomTabBar* sender, QObject* source, int x, int y, bool& accept)>;
  using DragDropEvent = std::function<void(TWsCustomTabBar* sender, QObject* source, int x, int y)>;

  explicit TWsCustomTabBar(QWidget* parent = nullptr);
  ~TWsCustomTabBar() override;

  AllowItemEvent OnTabClosing;
  ItemEvent OnTabClosed;
  AllowItemEvent OnTabSelecting;
  ItemEvent OnTabSelected;
  ItemEvent OnTabMoved;
  NotifyEvent OnChange;
  // After a scroll button moved the row (button 0 left, 1 right) and the bar was repainted.
  ScrollEvent OnScroll;
  // Something is dragged over the bar; accept starts True when the bar takes it (its own selected tab over
  // another tab), else True only because a handler is assigned.
  DragOverEvent OnDragOver;
  DragDropEvent OnDragDrop;

  // The format of a tab dragged off its bar; the data is the tab's index, the drag's source the bar.
  static QString TabDragFormat() { return QStringLiteral("application/x-qmz-tab"); }

  TWsTabBarItems& Tabs() { return *tabs_; }
  const TWsTabBarItems& Tabs() const { return *tabs_; }
  void SetTabs(const TWsTabBarItems& tabs) { tabs_->Assign(tabs); }

  TWsTabBarOrientation Orientation() const { return orientation_; }
  void SetOrientation(TWsTabBarOrientation value);
  bool CloseButton() const { return closeButton_; }
  void SetCloseButton(bool value);
  bool RightClickSelect() const { return rightClickSelect_; }
  void SetRightClickSelect(bool value) { rightClickSelect_ = value; }
  bool HotTracking() const { return hotTracking_; }
  void SetHotTracking(bool value) { hotTracking_ = value; }
  bool AutoFreeClosed() const { return autoFreeClosed_; }
  void SetAutoFreeClosed(bool value) { autoFreeClosed_ = value; }
  bool AllowUnselected() const { return allowUnselected_; }
  void SetAllowUnselected(bool value) { allowUnselected_ = value; }
  bool SelectBeforeClose() const { return selectBeforeClose_; }
  void SetSelectBeforeClose(bool value) { selectBeforeClose_ = value; }
  int Margin() const { return margin_; }
  void SetMargin(int value);
  bool FlatScrollButtons() const { return flatScrollButtons_; }
  void SetFlatScrollButtons(bool value);
  bool AllowTabMoving() const { return allowTabMoving_; }
  void SetAllowTabMoving(bool value) { allowTabMoving_ = value; }
  bool PageListTabLink() const { return pageListTabLink_; }
  void SetPageListTabLink(bool value) { pageListTabLink_ = value; }
  QWidget* PageList() const { return pageList_; }
  // Only a control that offers IPageList is taken; anything else leaves the property as it was.
  void SetPageList(QWidget* pageList);
  TWsTabBarPainter* Painter() const { return painter_; }
  void SetPainter(TWsTabBarPainter* painter);
  // The painter in use: Painter, or the bar's own modern painter.
  TWsTabBarPainter* CurrentPainter();
  const QList<QPixmap>& Images() const { return images_; }
  void SetImages(const QList<QPixmap>& images);
  // The bar's own hint, shown where the mouse is over no tab with a hint of its own.
  QString Hint() const { return hint_; }
  void SetHint(const QString& hint);
  bool ShowHint() const { return showHint_; }
  void SetShowHint(bool value) { showHint_ = value; }
  QMenu* PopupMenu() const { return popupMenu_; }
  void SetPopupMenu(QMenu* menu) { popupMenu_ = menu; }

  TWsTabBarItem* SelectedTab() const { return selectedTab_; }
  void SetSelectedTab(TWsTabBarItem* tab);
  TWsTabBarItem* HotTab() const { return hotTab_; }
  TWsTabBarItem* ClosingTab() const { return closingTab_; }
  TWsTabBarItem* MoveMarkTab() const { return moveMarkTab_; }
  int LeftIndex() const { return leftIndex_; }
  int BarLimit() const { return barLimit_; }
  ScrollButtonState ScrollButtonStateOf(int button) const { return buttons_[button].state; }
  QRect ScrollButtonRect(int button) const { return buttons_[button].rect; }

  void MakeVisible(TWsTabBarItem* tab);
  TWsTabBarItem* TabAt(int x, int y);
  void CalcTabsRects();
  void UpdateScrollButtons();
  // Call once the tabs are built: selects the first selectable tab unless unselected is allowed.
  void Loaded();
  // Building the bar as a form is loaded: tabs added, moved or renamed meanwhile leave the page list alone;
  // EndLoad ends it with Loaded.
  void BeginLoad() { loading_ = true; }
  void EndLoad();
  bool Loading() const { return loading_; }

  QSize sizeHint() const override;

 protected:
  virtual void PaintTab(QPainter& canvas, TWsTabBarItem* tab);
  virtual bool TabClosing(TWsTabBarItem* tab);
  virtual void TabClosed(TWsTabBarItem* tab);
  virtual bool TabSelecting(TWsTabBarItem* tab);
  virtual void TabSelected(TWsTabBarItem* tab);
  virtual void TabMoved(TWsTabBarItem* tab);
  virtual void Changed();
  virtual void PainterChanged();
  virtual void ScrollButtonClick(int button);
  virtual bool ScrollButtonsMouseDown(Qt::MouseButton button, Qt::KeyboardModifiers shift, int x, int y);
  virtual bool ScrollButtonsMouseUp(Qt::MouseButton button, Qt::KeyboardModifiers shift, int x, int y);
  virtual bool ScrollButtonsMouseMove(Qt::KeyboardModifiers shift, int x, int y);

  bool event(QEvent* e) override;
  void paintEvent(QPaintEvent* e) override;
  void resizeEvent(QResizeEvent* e) override;
  void mousePressEvent(QMouseEvent* e) override;
  void mouseMoveEvent(QMouseEvent* e) override;
  void mouseReleaseEvent(QMouseEvent* e) override;
  void keyPressEvent(QKeyEvent* e) override;
  void leaveEvent(QEvent* e) override;
  void dragEnterEvent(QDragEnterEvent* e) override;
  void dragMoveEvent(QDragMoveEvent* e) override;
  void dragLeaveEvent(QDragLeaveEvent* e) override;
  void dropEvent(QDropEvent* e) override;

 private:
  friend class TWsTabBarItem;
  friend class TWsTabBarItems;
  friend class TWsTabBarPainter;

  struct ScrollButton {
    ScrollButtonState state = ScrollButtonState::Hidden;
    QRect rect;
    bool pressedOutside = false;
  };

  TWsTabBarItem* FindSelectableTab(TWsTabBarItem* tab) const;
  IPageList* PageListInterface() const;
  void TabRemoving(TWsTabBarItem* tab);
  void PainterFreed(TWsTabBarPainter* painter);
  void SetClosingTab(TWsTabBarItem* tab);
  QRect CloseRectOf(TWsTabBarItem* tab);
  bool ButtonsShown() const { return buttons_[0].state != ScrollButtonState::Hidden; }
  void DrawScrollButtons(QPainter& canvas);
  void UpdateHint(TWsTabBarItem* tab);
  void BeginDrag();
  bool DragOver(QObject* source, const QPoint& pos);
  void DragDrop(QObject* source, const QPoint& pos);
  void DragCancel();
  void RemoveMoveMark();
  // Hands the drag of the selected tab to the toolkit once the mouse leaves the bar.
  void HandOverDrag();

  std::unique_ptr<TWsTabBarItems> tabs_;
  TWsTabBarOrientation orientation_ = TWsTabBarOrientation::toTop;
  bool closeButton_ = true;
  bool rightClickSelect_ = true;
  bool hotTracking_ = false;
  bool autoFreeClosed_ = true;
  bool allowUnselected_ = false;
  bool selectBeforeClose_ = false;
  int margin_ = 6;
  bool flatScrollButtons_ = true;
  bool allowTabMoving_ = false;
  bool pageListTabLink_ = false;
  QPointer<QWidget> pageList_;
  TWsTabBarPainter* painter_ = nullptr;
  std::unique_ptr<TWsModernTabBarPainter> defaultPainter_;
  QList<QPixmap> images_;
  QString hint_;
  bool showHint_ = false;
  QPointer<QMenu> popupMenu_;

  TWsTabBarItem* selectedTab_ = nullptr;
  TWsTabBarItem* hotTab_ = nullptr;
  TWsTabBarItem* closingTab_ = nullptr;
  TWsTabBarItem* pressedCloseTab_ = nullptr;
  TWsTabBarItem* moveMarkTab_ = nullptr;
  int leftIndex_ = 0;
  int tabsWidth_ = 0;
  int shownTabsWidth_ = 0;
  int barLimit_ = 0;
  ScrollButton buttons_[2];
  bool dragPending_ = false;
  bool dragging_ = false;  // the bar's own tracking of a drag inside it
  bool dragAccepted_ = false;
  QPoint dragStart_;
  bool destroying_ = false;
  bool loading_ = false;
};

class TWsTabBar : public TWsCustomTabBar {
  Q_OBJECT

 public:
  using TWsCustomTabBar::TWsCustomTabBar;
};

}  // namespace qmz
