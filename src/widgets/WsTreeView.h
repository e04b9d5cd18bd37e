#pragma once
// A tree view with its own list of selected nodes. Qt's selection is off: SelectedNodes alone says what is
// selected (click replaces, Ctrl+click toggles, Shift/Ctrl+arrows add, Space toggles), and the items are
// coloured from it. Nodes carry bold, check-box, font, brush and pop-up menu state; the tree can mirror a
// menu and switch the page of a coupled tab widget.

#include <QBasicTimer>
#include <QMenu>
#include <QPointer>
#include <QStyleOptionViewItem>
#include <QTabWidget>
#include <QTreeWidget>
#include <functional>
#include <memory>
#include <vector>

#include "widgets/WsControls.h"

namespace qmz {

class TWsTreeView;

// Where MoveTo puts a node: after the last or before the first sibling of the destination, as its last or first
// child, or right before it.
enum class NodeAttachMode { Add, AddFirst, AddChild, AddChildFirst, Insert };

class TWsTreeNode : public QTreeWidgetItem {
 public:
  static constexpr int NodeType = QTreeWidgetItem::UserType + 0x5753;

  explicit TWsTreeNode(const QString& text = QString());
  TWsTreeNode(QTreeWidget* tree, const QString& text);
  TWsTreeNode(TWsTreeNode* parent, const QString& text);
  ~TWsTreeNode() override;

  int Level() const;
  QString Text() const { return text(0); }

  // The item's own bold state (its font role).
  bool Bold() const;
  void SetBold(bool value);
  // The check-box state; kept while the tree shows no check boxes.
  bool Checked() const;
  void SetChecked(bool value);
  QMenu* PopupMenu() const { return popupMenu_; }
  void SetPopupMenu(QMenu* menu) { popupMenu_ = menu; }
  // Font and brush the node is drawn with; made on first use (default font, solid white brush).
  QFont& Font();
  void SetFont(const QFont& font);
  bool HasFont() const { return font_ != nullptr; }
  QBrush& Brush();
  void SetBrush(const QBrush& brush);
  bool HasBrush() const { return brush_ != nullptr; }
  // The menu item a node of a menu-built tree stands for.
  QAction* MenuItem() const { return menuItem_; }
  void SetMenuItem(QAction* action) { menuItem_ = action; }

  // Texts, data, icons and the menu item, then Checked, Bold, PopupMenu, Brush and Font of another node.
  void Assign(const TWsTreeNode& source);
  // Sets the shown check box back to Checked when they differ.
  virtual void ReapplyCheckState();
  // Moves the node with its children; its check box and its place in the selection go with it. A destination
  // below the node itself leaves everything as it was; no destination means the roots.
  virtual void MoveTo(TWsTreeNode* destination, NodeAttachMode mode);

 private:
  friend class TWsTreeView;
  static QBrush DefaultBrush();
  void AttachToTree();
  TWsTreeView* View() const;

  bool checked_ = false;
  QPointer<QMenu> popupMenu_;
  QPointer<QAction> menuItem_;
  std::unique_ptr<QFont> font_;
  std::unique_ptr<QBrush> brush_;
};

// The tree view base: QTreeWidget with the extended controls' notifications (mouse enter/leave, hint
// colour, parent colour, focus frame).
class TWsExTreeView : public QTreeWidget, public WsExControl {
  Q_OBJECT

 public:
  explicit TWsExTreeView(QWidget* parent = nullptr);

 protected:
  bool event(QEvent* e) override;
};

class TWsTreeView : public TWsExTreeView {
  Q_OBJECT

 public:
  using TreeEvent = std::function<void(TWsTreeView* sender)>;
  using CustomDrawItemEvent = std::function<void(TWsTreeView* sender, TWsTreeNode* node, QPainter* painter,
                                                 QStyleOptionViewItem& option, bool& defaultDraw)>;
  using PageChangedEvent = std::function<void(TWsTreeView* sender, TWsTreeNode* item, QWidget* page)>;
  using ComparePageEvent = std::function<void(TWsTreeView* sender, QWidget* page, TWsTreeNode* node, bool& matches)>;
  using NodeEvent = std::function<void(TWsTreeView* sender, TWsTreeNode* node)>;
  using KeyPressEvent = std::function<void(QWidget* sender, QChar& key)>;

  explicit TWsTreeView(QWidget* parent = nullptr);
  ~TWsTreeView() override;

  // Adds a node at the end of parent's children (a root for none).
  TWsTreeNode* AddChild(TWsTreeNode* parent, const QString& text);
  TWsTreeNode* CurrentNode() const;
  // The node whose item or indentation lies at the point; the empty rest of a row right of the item is no node's.
  TWsTreeNode* NodeAt(const QPoint& viewportPos) const;
  // The node's item as a click finds it, in viewport coordinates: check box, icon and label, the label as wide
  // as its text. Empty when the node is not shown.
  QRect ItemRect(const TWsTreeNode* node) const;
  QModelIndex indexAt(const QPoint& point) const override;

  // ----- selection
  bool MultiSelect() const { return multiSelect_; }
  void SetMultiSelect(bool value);
  void SelectItem(TWsTreeNode* node, bool unselect);
  bool IsNodeSelected(const TWsTreeNode* node) const;
  // -1 in a single-select tree.
  int GetSelectedCount() const;
  TWsTreeNode* GetSelectedItem(int index) const;
  const QList<TWsTreeNode*>& SelectedNodes() const { return selectedNodes_; }
  void ClearSelection();
  // Absolute index of the current node in the whole tree, -1 for none; an index beyond the nodes throws
  // std::out_of_range.
  int ItemIndex() const;
  void SetItemIndex(int value);

  // ----- look
  bool HideSelection() const { return hideSelection_; }
  void SetHideSelection(bool value);
  bool HotTrack() const { return hotTrack_; }
  void SetHotTrack(bool value);
  bool Checkboxes() const { return checkboxes_; }
  void SetCheckboxes(bool value);
  int ItemHeight() const;
  void SetItemHeight(int value);
  WsColor LineColor() const;
  void SetLineColor(WsColor value);

  // ----- coupling
  QMenu* Menu() const { return qobject_cast<QMenu*>(menu_.data()); }
  void SetMenu(QMenu* menu);
  bool MenuDblClick() const { return menuDblClick_; }
  void SetMenuDblClick(bool value) { menuDblClick_ = value; }
  virtual void RebuildFromMenu();
  bool IsMenuItemClick(const TWsTreeNode* node) const;
  QTabWidget* PageControl() const { return pageControl_; }
  void SetPageControl(QTabWidget* pages) { pageControl_ = pages; }
  // Scrolling one line every 200 ms while something is dragged within 20 pixels of the top or bottom edge.
  bool AutoDragScroll() const { return autoDragScroll_; }
  void SetAutoDragScroll(bool value) { autoDragScroll_ = value; }
  // -1 up, 0 none, 1 down.
  int ScrollDirection() const { return scrollDirection_; }

  TreeEvent OnSelectionChange;
  TreeEvent OnEditCancelled;
  TreeEvent OnVerticalScroll;
  TreeEvent OnHorizontalScroll;
  NodeEvent OnChange;
  CustomDrawItemEvent OnCustomDrawItem;
  PageChangedEvent OnPageChanged;
  ComparePageEvent OnComparePage;
  // Every typed character (Enter as '\r'); clearing it swallows the key.
  KeyPressEvent OnKeyPress;

  // Colours and font of one item as the tree draws it, then the user's custom draw.
  void ColorItem(TWsTreeNode* node, QPainter* painter, QStyleOptionViewItem& option, bool& defaultDraw);

 protected:
  void mousePressEvent(QMouseEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;
  void mouseDoubleClickEvent(QMouseEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;
  void focusInEvent(QFocusEvent* event) override;
  void focusOutEvent(QFocusEvent* event) override;
  void currentChanged(const QModelIndex& current, const QModelIndex& previous) override;
  void rowsInserted(const QModelIndex& parent, int start, int end) override;
  void rowsAboutToBeRemoved(const QModelIndex& parent, int start, int end) override;
  void closeEditor(QWidget* editor, QAbstractItemDelegate::EndEditHint hint) override;
  void drawBranches(QPainter* painter, const QRect& rect, const QModelIndex& index) const override;
  bool eventFilter(QObject* watched, QEvent* event) override;
  void dragMoveEvent(QDragMoveEvent* event) override;
  void dragLeaveEvent(QDragLeaveEvent* event) override;
  void dropEvent(QDropEvent* event) override;
  void timerEvent(QTimerEvent* event) override;
  void SetScrollDirection(int direction);
  virtual bool DoComparePage(QWidget* page, TWsTreeNode* node);
  // The menu or one of its sub-menus changed: source is the item added, removed (rebuild true) or changed
  // (rebuild false). The tree is built again in every case.
  virtual void MenuChanged(QMenu* sender, QAction* source, bool rebuild);

 private:
  friend class TWsTreeNode;
  void ResetFlags();
  void DoSelectionChange();
  void RepaintNode(const TWsTreeNode* node);
  void AddMenuItemNode(TWsTreeNode* parent, QAction* item);
  void WatchMenus();
  void MenuItemClick(TWsTreeNode* node);
  void SyncPageControl(TWsTreeNode* node);
  void ForEachNode(const std::function<void(TWsTreeNode*)>& visit) const;
  bool WindowExists() const;

  QList<TWsTreeNode*> selectedNodes_;
  bool multiSelect_ = false;
  bool pendingClear_ = false;
  bool pendingAdd_ = false;
  bool hideSelection_ = true;
  bool hotTrack_ = false;
  bool checkboxes_ = false;
  int itemHeight_ = 0;  // 0: the font's natural height
  WsColor lineColor_ = colors::Default;
  // Held as plain objects: a menu half destroyed reads as none instead of as a QMenu it no longer is.
  QPointer<QObject> menu_;
  QList<QPointer<QObject>> watchedMenus_;  // the menu and its sub-menus
  bool menuDblClick_ = false;
  QPointer<QTabWidget> pageControl_;
  bool autoDragScroll_ = false;
  int scrollDirection_ = 0;
  QBasicTimer dragScrollTimer_;
  // A node moving inside the tree keeps its place in the selection and the current node where it is.
  bool movingNode_ = false;
  std::vector<QMetaObject::Connection> ownConnections_;
};

}  // namespace qmz
