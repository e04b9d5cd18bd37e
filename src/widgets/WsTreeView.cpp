#include "widgets/WsTreeView.h"

#include <QApplication>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QScrollBar>
#include <QStyledItemDelegate>
#include <QTreeWidgetItemIterator>
#include <algorithm>
#include <stdexcept>
#include <unordered_set>

namespace qmz {

// ---- nodes -------------------------------------------------------------------------------------------------

TWsTreeNode::TWsTreeNode(const QString& text) : QTreeWidgetItem(QStringList(text), NodeType) {}

TWsTreeNode::TWsTreeNode(QTreeWidget* tree, const QString& text) : QTreeWidgetItem(tree, QStringList(text), NodeType) {
  AttachToTree();
}

TWsTreeNode::TWsTreeNode(TWsTreeNode* parent, const QString& text)
    : QTreeWidgetItem(parent, QStringList(text), NodeType) {
  AttachToTree();
}

TWsTreeNode::~TWsTreeNode() = default;

TWsTreeView* TWsTreeNode::View() const { return qobject_cast<TWsTreeView*>(treeWidget()); }

// The view saw this node inserted before it was complete; the check box is set up here instead.
void TWsTreeNode::AttachToTree() {
  if (TWsTreeView* view = View(); view != nullptr && view->Checkboxes()) ReapplyCheckState();
}

int TWsTreeNode::Level() const {
  int level = 0;
  for (QTreeWidgetItem* p = parent(); p != nullptr; p = p->parent()) ++level;
  return level;
}

bool TWsTreeNode::Bold() const {
  const QVariant value = data(0, Qt::FontRole);
  return value.isValid() && value.value<QFont>().bold();
}

void TWsTreeNode::SetBold(bool value) {
  if (Bold() == value) return;
  QFont f = data(0, Qt::FontRole).isValid() ? data(0, Qt::FontRole).value<QFont>()
            : treeWidget() != nullptr       ? treeWidget()->font()
                                            : QApplication::font();
  f.setBold(value);
  setData(0, Qt::FontRole, f);
}

bool TWsTreeNode::Checked() const {
  const QVariant state = data(0, Qt::CheckStateRole);
  if (state.isValid()) return state.toInt() == Qt::Checked;
  return checked_;
}

void TWsTreeNode::SetChecked(bool value) {
  checked_ = value;
  if (data(0, Qt::CheckStateRole).isValid()) setCheckState(0, value ? Qt::Checked : Qt::Unchecked);
}

void TWsTreeNode::ReapplyCheckState() {
  const Qt::CheckState wanted = checked_ ? Qt::Checked : Qt::Unchecked;
  if (!data(0, Qt::CheckStateRole).isValid() || checkState(0) != wanted) setCheckState(0, wanted);
}

QFont& TWsTreeNode::Font() {
  if (!font_) font_ = std::make_unique<QFont>(QApplication::font());
  return *font_;
}

void TWsTreeNode::SetFont(const QFont& font) { Font() = font; }

QBrush TWsTreeNode::DefaultBrush() { return {Qt::white, Qt::SolidPattern}; }

QBrush& TWsTreeNode::Brush() {
  if (!brush_) brush_ = std::make_unique<QBrush>(DefaultBrush());
  return *brush_;
}

void TWsTreeNode::SetBrush(const QBrush& brush) { Brush() = brush; }

void TWsTreeNode::Assign(const TWsTreeNode& source) {
  QTreeWidgetItem::operator=(source);  // the base node's part: texts, data, icons, flags
  menuItem_ = source.menuItem_;
  SetChecked(source.Checked());
  // The copied check box shows only in a tree that shows check boxes.
  if (TWsTreeView* view = View(); view != nullptr && view->Checkboxes()) ReapplyCheckState();
  else setData(0, Qt::CheckStateRole, QVariant());
  SetBold(source.Bold());
  SetPopupMenu(source.PopupMenu());
  // A source without a brush or font of its own hands on the ones it would make at first use.
  SetBrush(source.brush_ ? *source.brush_ : DefaultBrush());
  SetFont(source.font_ ? *source.font_ : QApplication::font());
  emitDataChanged();
}

// ---- item painting -----------------------------------------------------------------------------------------

namespace {

class NodeDelegate : public QStyledItemDelegate {
 public:
  explicit NodeDelegate(TWsTreeView* tree) : QStyledItemDelegate(tree), tree_(tree) {}

  void paint(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const override {
    QStyleOptionViewItem opt = option;
    initStyleOption(&opt, index);
    bool defaultDraw = true;
    auto* node = dynamic_cast<TWsTreeNode*>(tree_->itemFromIndex(index));
    tree_->ColorItem(node, painter, opt, defaultDraw);
    if (!defaultDraw) return;
    const QWidget* widget = opt.widget;
    QStyle* style = widget != nullptr ? widget->style() : QApplication::style();
    style->drawControl(QStyle::CE_ItemViewItem, &opt, painter, widget);
  }

  QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override {
    QSize size = QStyledItemDelegate::sizeHint(option, index);
    if (height_ > 0) size.setHeight(height_);
    return size;
  }

  // Check box, icon and label of the item laid out in option, drawn in font; the label as wide as its text.
  QRect ItemRect(QStyleOptionViewItem option, const QModelIndex& index, const QFont& font) const {
    const QRect cell = option.rect;
    initStyleOption(&option, index);
    option.font = font;
    option.fontMetrics = QFontMetrics(font);
    const QWidget* widget = option.widget;
    const QStyle* style = widget != nullptr ? widget->style() : QApplication::style();
    QRect item;
    if ((option.features & QStyleOptionViewItem::HasCheckIndicator) != 0)
      item |= style->subElementRect(QStyle::SE_ItemViewItemCheckIndicator, &option, widget);
    if ((option.features & QStyleOptionViewItem::HasDecoration) != 0)
      item |= style->subElementRect(QStyle::SE_ItemViewItemDecoration, &option, widget);
    // The style draws the text this far inside the text rectangle on either side.
    const QRect text = style->subElementRect(QStyle::SE_ItemViewItemText, &option, widget);
    const int margin = style->pixelMetric(QStyle::PM_FocusFrameHMargin, nullptr, widget) + 1;
    const int width = std::min(option.fontMetrics.horizontalAdvance(option.text) + 2 * margin, text.width());
    const Qt::Alignment horizontal = option.displayAlignment & Qt::AlignHorizontal_Mask;
    item |= QStyle::alignedRect(option.direction, horizontal | Qt::AlignVCenter, QSize(width, text.height()), text);
    item.setTop(cell.top());
    item.setBottom(cell.bottom());
    return item;
  }

  void SetHeight(int height) { height_ = height; }
  int Height() const { return height_; }

 private:
  TWsTreeView* tree_;
  int height_ = 0;
};

}  // namespace

TWsExTreeView::TWsExTreeView(QWidget* parent) : QTreeWidget(parent), WsExControl(this) {}

bool TWsExTreeView::event(QEvent* e) {
  return HandleEvent(e, [this](QEvent* ev) { return QTreeWidget::event(ev); });
}

// ---- tree ------------------------------------------------------------------------------------------------

TWsTreeView::TWsTreeView(QWidget* parent) : TWsExTreeView(parent) {
  setHeaderHidden(true);
  setColumnCount(1);
  // The tree's own list decides what is selected; Qt only keeps the current node.
  setSelectionMode(QAbstractItemView::NoSelection);
  setItemDelegate(new NodeDelegate(this));
  // The tree scrolls while dragging by its own timer (AutoDragScroll), not Qt's.
  setAutoScroll(false);
  ownConnections_.push_back(connect(verticalScrollBar(), &QScrollBar::valueChanged, this, [this] {
    if (OnVerticalScroll) OnVerticalScroll(this);
  }));
  ownConnections_.push_back(connect(horizontalScrollBar(), &QScrollBar::valueChanged, this, [this] {
    if (OnHorizontalScroll) OnHorizontalScroll(this);
  }));
  // Emptying the whole tree resets the model without removing rows one by one.
  ownConnections_.push_back(connect(model(), &QAbstractItemModel::modelAboutToBeReset, this, [this] {
    selectedNodes_.clear();
    pendingAdd_ = pendingClear_ = false;
  }));
}

TWsTreeView::~TWsTreeView() {
  // The base classes empty the model and scroll bars after this part is gone.
  for (const QMetaObject::Connection& connection : ownConnections_) disconnect(connection);
  selectedNodes_.clear();
  for (const QPointer<QObject>& watched : watchedMenus_)
    if (watched != nullptr) watched->removeEventFilter(this);
}

TWsTreeNode* TWsTreeView::AddChild(TWsTreeNode* parent, const QString& text) {
  if (parent != nullptr) return new TWsTreeNode(parent, text);
  return new TWsTreeNode(this, text);
}

TWsTreeNode* TWsTreeView::CurrentNode() const { return dynamic_cast<TWsTreeNode*>(currentItem()); }

TWsTreeNode* TWsTreeView::NodeAt(const QPoint& viewportPos) const {
  return dynamic_cast<TWsTreeNode*>(itemAt(viewportPos));
}

QRect TWsTreeView::ItemRect(const TWsTreeNode* node) const {
  const QModelIndex index = indexFromItem(node);
  const QRect cell = visualRect(index);
  if (node == nullptr || !cell.isValid()) return {};
  QStyleOptionViewItem option;
  initViewItemOption(&option);
  option.rect = cell;
  // The font the item is drawn in (ColorItem): the node's own, except for the current node of the focused tree.
  QFont font = option.font;
  if (!(node == currentItem() && hasFocus())) font = node->font_ ? *node->font_ : QApplication::font();
  if (node->Bold()) font.setBold(true);
  return static_cast<const NodeDelegate*>(itemDelegate())->ItemRect(option, index, font);
}

// Every click, hover and hit test of the base tree asks here, so the empty rest of a row is no node's for all.
QModelIndex TWsTreeView::indexAt(const QPoint& point) const {
  const QModelIndex index = TWsExTreeView::indexAt(point);
  const auto* node = dynamic_cast<const TWsTreeNode*>(itemFromIndex(index));
  if (node == nullptr) return index;
  const QRect item = ItemRect(node);
  const bool beyond = isRightToLeft() ? point.x() < item.left() : point.x() > item.right();
  return beyond ? QModelIndex() : index;
}

void TWsTreeView::ForEachNode(const std::function<void(TWsTreeNode*)>& visit) const {
  for (QTreeWidgetItemIterator it(const_cast<TWsTreeView*>(this)); *it != nullptr; ++it) {
    if (auto* node = dynamic_cast<TWsTreeNode*>(*it)) visit(node);
  }
}

// ---- selection -------------------------------------------------------------------------------------------

void TWsTreeView::SetMultiSelect(bool value) {
  if (multiSelect_ == value) return;
  multiSelect_ = value;
  viewport()->update();
}

void TWsTreeView::SelectItem(TWsTreeNode* node, bool unselect) {
  if (node != nullptr && node->treeWidget() == this) {
    if (unselect) {
      selectedNodes_.removeAll(node);
    } else if (!selectedNodes_.contains(node)) {
      selectedNodes_.append(node);
    }
    RepaintNode(node);
  }
  DoSelectionChange();
}

bool TWsTreeView::IsNodeSelected(const TWsTreeNode* node) const {
  return std::find(selectedNodes_.begin(), selectedNodes_.end(), node) != selectedNodes_.end();
}

int TWsTreeView::GetSelectedCount() const { return multiSelect_ ? int(selectedNodes_.size()) : -1; }

TWsTreeNode* TWsTreeView::GetSelectedItem(int index) const {
  if (index < 0 || index >= selectedNodes_.size()) throw std::out_of_range("List index out of bounds");
  return selectedNodes_.at(index);
}

void TWsTreeView::ClearSelection() {
  pendingClear_ = false;
  if (selectedNodes_.isEmpty()) return;
  DoSelectionChange();
  const QList<TWsTreeNode*> old = std::exchange(selectedNodes_, {});
  for (TWsTreeNode* node : old) RepaintNode(node);
}

void TWsTreeView::DoSelectionChange() {
  if (OnSelectionChange) OnSelectionChange(this);
}

void TWsTreeView::RepaintNode(const TWsTreeNode* node) {
  const QRect r = visualItemRect(node);
  if (r.isValid()) viewport()->update(r);
}

int TWsTreeView::ItemIndex() const {
  const QTreeWidgetItem* current = currentItem();
  if (current == nullptr) return -1;
  int index = 0;
  for (QTreeWidgetItemIterator it(const_cast<TWsTreeView*>(this)); *it != nullptr; ++it, ++index) {
    if (*it == current) return index;
  }
  return -1;
}

void TWsTreeView::SetItemIndex(int value) {
  if (value == -1) {
    setCurrentItem(nullptr);
    return;
  }
  int index = 0;
  for (QTreeWidgetItemIterator it(this); *it != nullptr; ++it, ++index) {
    if (index == value) {
      setCurrentItem(*it);
      return;
    }
  }
  throw std::out_of_range("List index out of bounds (" + std::to_string(value) + ")");
}

// A node leaving the tree, deleted or taken out, leaves the selection with its whole subtree. Only pointer
// values are compared here: a deleted node is already half destroyed when its row goes.
void TWsTreeView::rowsAboutToBeRemoved(const QModelIndex& parent, int start, int end) {
  if (!selectedNodes_.isEmpty() && !movingNode_) {
    std::unordered_set<const QTreeWidgetItem*> leaving;
    QTreeWidgetItem* parentItem = parent.isValid() ? itemFromIndex(parent) : invisibleRootItem();
    QList<const QTreeWidgetItem*> stack;
    for (int row = start; row <= end && parentItem != nullptr; ++row) stack.append(parentItem->child(row));
    while (!stack.isEmpty()) {
      const QTreeWidgetItem* item = stack.takeLast();
      if (item == nullptr) continue;
      leaving.insert(item);
      for (int i = 0; i < item->childCount(); ++i) stack.append(item->child(i));
    }
    selectedNodes_.removeIf(
        [&](TWsTreeNode* node) { return leaving.count(static_cast<const QTreeWidgetItem*>(node)) != 0; });
  }
  TWsExTreeView::rowsAboutToBeRemoved(parent, start, end);
}

void TWsTreeView::rowsInserted(const QModelIndex& parent, int start, int end) {
  TWsExTreeView::rowsInserted(parent, start, end);
  if (!checkboxes_) return;
  QTreeWidgetItem* parentItem = parent.isValid() ? itemFromIndex(parent) : invisibleRootItem();
  QList<QTreeWidgetItem*> stack;
  for (int row = start; row <= end && parentItem != nullptr; ++row) stack.append(parentItem->child(row));
  while (!stack.isEmpty()) {
    QTreeWidgetItem* item = stack.takeLast();
    if (item == nullptr) continue;
    // A node still being constructed is not a TWsTreeNode yet; it sets its check box itself.
    if (auto* node = dynamic_cast<TWsTreeNode*>(item)) node->ReapplyCheckState();
    for (int i = 0; i < item->childCount(); ++i) stack.append(item->child(i));
  }
}

// ---- mouse and keyboard ------------------------------------------------------------------------------------

void TWsTreeView::ResetFlags() {
  pendingClear_ = false;
  pendingAdd_ = !multiSelect_;
}

void TWsTreeView::mousePressEvent(QMouseEvent* event) {
  if (event->button() == Qt::LeftButton) {
    ResetFlags();
    const QPoint pos = event->position().toPoint();
    TWsTreeNode* node = multiSelect_ ? NodeAt(pos) : nullptr;
    // Only a press on the item selects: not one on the expand button or the indentation.
    if (node != nullptr && ItemRect(node).contains(pos)) {
      if ((event->modifiers() & Qt::ControlModifier) != 0) {
        SelectItem(node, IsNodeSelected(node));
      } else {
        ClearSelection();
        SelectItem(node, false);
      }
    }
  }
  TWsExTreeView::mousePressEvent(event);
}

// A left or right click makes the node under the mouse current, also on its expand button, and none on empty
// space (below the last row, right of an item); with check boxes a click just left of a row counts for it.
void TWsTreeView::mouseReleaseEvent(QMouseEvent* event) {
  TWsExTreeView::mouseReleaseEvent(event);
  const Qt::MouseButton button = event->button();
  if (button != Qt::LeftButton && button != Qt::RightButton) return;
  const QPoint pos = event->position().toPoint();
  TWsTreeNode* node = NodeAt(pos);
  if (node == nullptr && checkboxes_) node = NodeAt(pos + QPoint(16, 0));
  if (node != CurrentNode()) setCurrentItem(node, 0, QItemSelectionModel::NoUpdate);
  if (button == Qt::RightButton && node != nullptr && node->PopupMenu() != nullptr)
    node->PopupMenu()->popup(event->globalPosition().toPoint());
}

void TWsTreeView::mouseDoubleClickEvent(QMouseEvent* event) {
  TWsExTreeView::mouseDoubleClickEvent(event);
  if (menuDblClick_ && IsMenuItemClick(CurrentNode())) MenuItemClick(CurrentNode());
}

void TWsTreeView::keyPressEvent(QKeyEvent* event) {
  const int key = event->key();
  const bool editing = state() == QAbstractItemView::EditingState;
  const Qt::KeyboardModifiers mods = event->modifiers();
  if (multiSelect_) {
    ResetFlags();
    if ((mods & Qt::AltModifier) == 0 && !editing) {
      if (key == Qt::Key_Space) {
        if (TWsTreeNode* node = CurrentNode()) SelectItem(node, IsNodeSelected(node));
      } else {
        pendingAdd_ = true;
        if ((mods & (Qt::ShiftModifier | Qt::ControlModifier)) == 0) pendingClear_ = true;
      }
    }
  } else {
    pendingAdd_ = true;
  }
  bool swallowed = multiSelect_ && key == Qt::Key_Space && !editing;
  if (!swallowed && !editing && OnKeyPress) {
    QChar ch;
    if (key == Qt::Key_Return || key == Qt::Key_Enter) ch = QChar(13);
    else if (event->text().size() == 1) ch = event->text().at(0);
    if (!ch.isNull()) {
      OnKeyPress(this, ch);
      swallowed = ch.isNull();
    }
  }
  if (swallowed) event->accept();
  else TWsExTreeView::keyPressEvent(event);
  if ((key == Qt::Key_Space || key == Qt::Key_Return || key == Qt::Key_Enter) && menuDblClick_ &&
      IsMenuItemClick(CurrentNode())) {
    MenuItemClick(CurrentNode());
  }
}

void TWsTreeView::focusInEvent(QFocusEvent* event) {
  for (TWsTreeNode* node : selectedNodes_) RepaintNode(node);
  TWsExTreeView::focusInEvent(event);
}

void TWsTreeView::focusOutEvent(QFocusEvent* event) {
  for (TWsTreeNode* node : selectedNodes_) RepaintNode(node);
  TWsExTreeView::focusOutEvent(event);
}

void TWsTreeView::currentChanged(const QModelIndex& current, const QModelIndex& previous) {
  if (movingNode_) {
    // A node moving inside the tree passes the current node to a neighbour and takes it back: no change.
    TWsExTreeView::currentChanged(current, previous);
    return;
  }
  if (pendingClear_) {
    pendingClear_ = false;
    ClearSelection();
  }
  TWsTreeNode* node = dynamic_cast<TWsTreeNode*>(itemFromIndex(current));
  if (pendingAdd_) {
    pendingAdd_ = false;
    if (node != nullptr) SelectItem(node, false);
  }
  TWsExTreeView::currentChanged(current, previous);
  viewport()->update();
  if (OnChange) OnChange(this, node);
  SyncPageControl(node);
  if (!menuDblClick_ && IsMenuItemClick(node)) MenuItemClick(node);
}

void TWsTreeView::closeEditor(QWidget* editor, QAbstractItemDelegate::EndEditHint hint) {
  TWsExTreeView::closeEditor(editor, hint);
  if (hint == QAbstractItemDelegate::RevertModelCache && OnEditCancelled) OnEditCancelled(this);
}

// ---- look --------------------------------------------------------------------------------------------------

void TWsTreeView::SetHideSelection(bool value) {
  hideSelection_ = value;
  viewport()->update();
}

void TWsTreeView::SetHotTrack(bool value) {
  hotTrack_ = value;
  viewport()->setAttribute(Qt::WA_Hover, value);
  viewport()->update();
}

void TWsTreeView::SetCheckboxes(bool value) {
  if (checkboxes_ == value) return;
  if (!value) {
    // The shown states are remembered before the boxes go, so switching them on again restores them.
    ForEachNode([](TWsTreeNode* node) {
      node->checked_ = node->Checked();
      node->setData(0, Qt::CheckStateRole, QVariant());
    });
  }
  checkboxes_ = value;
  if (value) ForEachNode([](TWsTreeNode* node) { node->ReapplyCheckState(); });
  viewport()->update();
}

// Like the line colour, the item height belongs to the tree's window: 16 before it exists, and a height set
// before then is not kept.
int TWsTreeView::ItemHeight() const {
  if (!WindowExists()) return 16;
  auto* delegate = static_cast<NodeDelegate*>(itemDelegate());
  if (delegate->Height() > 0) return delegate->Height();
  return topLevelItemCount() > 0 ? sizeHintForRow(0) : 16;
}

void TWsTreeView::SetItemHeight(int value) {
  if (!WindowExists()) return;
  static_cast<NodeDelegate*>(itemDelegate())->SetHeight(value < 1 ? 16 : value);
  scheduleDelayedItemsLayout();
}

WsColor TWsTreeView::LineColor() const { return WindowExists() ? lineColor_ : colors::Default; }

// Like the platform tree's, the colour goes to a tree that has its window; one set before is not kept.
void TWsTreeView::SetLineColor(WsColor value) {
  if (!WindowExists()) return;
  lineColor_ = value == colors::Default ? FromQColor(palette().color(QPalette::Text)) : ColorToRgb(value, palette());
  viewport()->update();
}

bool TWsTreeView::WindowExists() const { return testAttribute(Qt::WA_WState_Created); }

void TWsTreeView::ColorItem(TWsTreeNode* node, QPainter* painter, QStyleOptionViewItem& option, bool& defaultDraw) {
  if (node == nullptr) return;
  const bool focused = hasFocus();
  const bool current = node == currentItem();
  const bool hot = hotTrack_ && (option.state & QStyle::State_MouseOver) != 0;
  // The node's own font and brush, except under the mouse and for the current node of the focused tree
  // (the states the platform tree draws itself).
  if (!hot && !(current && focused)) {
    option.font = node->Font();
    option.backgroundBrush = node->Brush();
  }
  if (node->Bold()) option.font.setBold(true);
  if (multiSelect_) {
    option.state &= ~QStyle::State_Selected;
    if (hot) {
      option.font.setUnderline(true);
      option.palette.setColor(QPalette::Text,
                              palette().color(current ? QPalette::HighlightedText : QPalette::Highlight));
    }
    if (!IsNodeSelected(node)) {
      option.palette.setColor(QPalette::Text, palette().color(QPalette::Text));
      option.backgroundBrush = palette().color(QPalette::Base);
    } else if (focused) {
      option.palette.setColor(QPalette::Text, palette().color(QPalette::HighlightedText));
      option.backgroundBrush = palette().color(QPalette::Highlight);
    } else if (!hideSelection_) {
      option.palette.setColor(QPalette::Text, palette().color(QPalette::Text));
      option.backgroundBrush = ToQColor(0xFF00000B, palette());  // the inactive border colour
    }
  } else {
    // Single selection shows the current node the way the platform tree does.
    if (current && (focused || !hideSelection_)) option.state |= QStyle::State_Selected;
    else option.state &= ~QStyle::State_Selected;
    if (!focused) option.state &= ~QStyle::State_Active;
  }
  option.state &= ~QStyle::State_HasFocus;
  if (OnCustomDrawItem) OnCustomDrawItem(this, node, painter, option, defaultDraw);
}

// Dotted connecting lines in LineColor, under the expand buttons; without a colour of its own the tree looks as
// the style draws it.
void TWsTreeView::drawBranches(QPainter* painter, const QRect& rect, const QModelIndex& index) const {
  const int indent = indentation();
  if (lineColor_ != colors::Default && indent > 0 && rect.width() >= indent) {
    painter->save();
    QPen pen(ToQColor(lineColor_, palette()));
    pen.setStyle(Qt::DotLine);
    painter->setPen(pen);
    QRect column(rect.right() + 1 - indent, rect.top(), indent, rect.height());
    const int middle = column.center().y();
    const bool hasNext = index.sibling(index.row() + 1, 0).isValid();
    painter->drawLine(column.center().x(), column.top(), column.center().x(), hasNext ? column.bottom() : middle);
    painter->drawLine(column.center().x(), middle, column.right(), middle);
    for (QModelIndex up = index.parent(); up.isValid() && column.left() - indent >= rect.left(); up = up.parent()) {
      column.translate(-indent, 0);
      if (up.sibling(up.row() + 1, 0).isValid())
        painter->drawLine(column.center().x(), column.top(), column.center().x(), column.bottom());
    }
    painter->restore();
  }
  TWsExTreeView::drawBranches(painter, rect, index);
}

}  // namespace qmz
