#include <gtest/gtest.h>

#include <QActionGroup>
#include <QApplication>
#include <QDropEvent>
#include <QHeaderView>
#include <QLineEdit>
#include <QMenu>
#include <QMimeData>
#include <QScrollBar>
#include <utility>
#include <QTabWidget>
#include <QTest>
#include <map>
#include <memory>

#include "widgets/WsTreeView.h"

namespace qmz {
namespace {

class TreeFixture : public ::testing::Test {
 protected:
  void SetUp() override {
    tree.resize(200, 300);
    Fill();
    tree.show();
    QApplication::processEvents();
  }

  void Fill() {
    roots.clear();
    for (const char* text : {"::Any::", "{All Commodities}", "{Commodity}"})
      roots.push_back(tree.AddChild(nullptr, text));
    for (const char* text : {"Gold", "Iron", "Water"}) tree.AddChild(roots[1], text);
    tree.expandAll();
    QApplication::processEvents();
  }

  // On the node's label, where a click takes it.
  void Click(QTreeWidgetItem* item, Qt::KeyboardModifiers mods = {}) {
    QTest::mouseClick(tree.viewport(), Qt::LeftButton, mods, tree.ItemRect(static_cast<TWsTreeNode*>(item)).center());
  }

  QStringList Selected() const {
    QStringList texts;
    for (int i = 0; i < tree.GetSelectedCount(); ++i) texts << tree.GetSelectedItem(i)->Text();
    return texts;
  }

  TWsTreeView tree;
  std::vector<TWsTreeNode*> roots;
};

TEST_F(TreeFixture, ClickCtrlClickPlainClickAndKeyboardRules) {
  tree.SetMultiSelect(true);
  int changes = 0;
  tree.OnSelectionChange = [&](TWsTreeView*) { ++changes; };
  Click(roots[0]);
  Click(roots[2], Qt::ControlModifier);
  EXPECT_EQ(Selected(), QStringList({"::Any::", "{Commodity}"}));
  Click(roots[0], Qt::ControlModifier);
  EXPECT_EQ(Selected(), QStringList({"{Commodity}"}));
  Click(roots[1]);
  EXPECT_EQ(Selected(), QStringList({"{All Commodities}"}));
  EXPECT_GT(changes, 0);
  // The indentation left of a child (where its expand button would be) selects nothing.
  QTest::mouseClick(tree.viewport(), Qt::LeftButton, {},
                    QPoint(2, tree.visualItemRect(roots[1]->child(0)).center().y()));
  EXPECT_EQ(Selected(), QStringList({"{All Commodities}"}));
  // Keyboard: Shift+Down extends, Space toggles the current node and is consumed.
  QString typed;
  tree.OnKeyPress = [&](QWidget*, QChar& key) { typed += key; };
  Click(roots[0]);
  QTest::keyClick(&tree, Qt::Key_Down, Qt::ShiftModifier);
  EXPECT_EQ(Selected(), QStringList({"::Any::", "{All Commodities}"}));
  QTest::keyClick(&tree, Qt::Key_Space);  // toggles the current node off
  EXPECT_EQ(Selected(), QStringList({"::Any::"}));
  QTest::keyClick(&tree, Qt::Key_Space);
  EXPECT_EQ(Selected(), QStringList({"::Any::", "{All Commodities}"}));
  EXPECT_TRUE(typed.isEmpty());  // Space is consumed
  QTest::keyClick(&tree, Qt::Key_Down);
  EXPECT_EQ(Selected(), QStringList({"Gold"}));
  QTest::keyClick(&tree, Qt::Key_Return);
  EXPECT_EQ(typed, QString(QChar(13)));
}

TEST_F(TreeFixture, NodesLeavingTheTreeLeaveTheSelectionASingleSelectTreeCountsMinusOne) {
  for (bool multi : {true, false}) {
    tree.SetMultiSelect(multi);
    QTreeWidgetItem* gold = roots[1]->child(0);
    tree.SelectItem(static_cast<TWsTreeNode*>(gold), false);
    tree.SelectItem(roots[2], false);
    tree.SelectItem(roots[0], false);
    delete roots[1];  // its child Gold goes with it
    EXPECT_EQ(tree.SelectedNodes(), QList<TWsTreeNode*>({roots[2], roots[0]}));
    std::unique_ptr<QTreeWidgetItem> taken(tree.takeTopLevelItem(tree.indexOfTopLevelItem(roots[2])));
    EXPECT_EQ(tree.SelectedNodes(), QList<TWsTreeNode*>({roots[0]}));
    tree.clear();
    EXPECT_TRUE(tree.SelectedNodes().isEmpty());
    Fill();
    tree.SelectItem(roots[0], false);
    tree.repaint();  // paints only live nodes
    Click(roots[2]);
    tree.clear();
    Fill();
  }
  // Single selection (as the loop leaves it): the count reads -1; ItemIndex counts all nodes.
  Click(roots[0]);
  tree.SelectItem(roots[1], false);
  EXPECT_EQ(tree.GetSelectedCount(), -1);
  EXPECT_TRUE(tree.IsNodeSelected(roots[1]));
  tree.setCurrentItem(roots[2]);
  EXPECT_EQ(tree.ItemIndex(), 5);
  tree.SetItemIndex(2);
  EXPECT_EQ(tree.CurrentNode()->Text(), "Gold");
  tree.SetItemIndex(-1);
  EXPECT_EQ(tree.ItemIndex(), -1);
  EXPECT_THROW(tree.SetItemIndex(6), std::out_of_range);
}

TEST_F(TreeFixture, SelectedNodesShowInHighlightWhileFocused) {
  tree.SetMultiSelect(true);
  tree.SetHideSelection(false);
  tree.SelectItem(roots[2], false);
  tree.setFocus();
  QApplication::setActiveWindow(&tree);
  QApplication::processEvents();
  ASSERT_TRUE(tree.hasFocus());
  const QPoint selectedAt = tree.viewport()->mapTo(&tree, tree.visualItemRect(roots[2]).topRight() - QPoint(3, -2));
  const QPoint plainAt = tree.viewport()->mapTo(&tree, tree.visualItemRect(roots[0]).topRight() - QPoint(3, -2));
  QImage focused = tree.grab().toImage();
  EXPECT_EQ(focused.pixelColor(selectedAt), tree.palette().color(QPalette::Highlight));
  EXPECT_NE(focused.pixelColor(plainAt), tree.palette().color(QPalette::Highlight));
  tree.clearFocus();
  QApplication::processEvents();
  QImage unfocused = tree.grab().toImage();
  EXPECT_EQ(unfocused.pixelColor(selectedAt), ToQColor(0xFF00000B, tree.palette()));
}

TEST_F(TreeFixture, ItemHeightAndCheckBoxesSurviveSwitching) {
  // Without a window the height reads 16 and a height set then is not kept.
  TWsTreeView unshown;
  unshown.AddChild(nullptr, "Gold");
  unshown.SetItemHeight(30);
  EXPECT_EQ(unshown.ItemHeight(), 16);
  unshown.show();
  EXPECT_NE(unshown.ItemHeight(), 30);
  tree.SetItemHeight(0);
  EXPECT_EQ(tree.ItemHeight(), 16);
  tree.SetItemHeight(22);
  EXPECT_EQ(tree.ItemHeight(), 22);
  tree.SetCheckboxes(true);
  EXPECT_EQ(roots[2]->checkState(0), Qt::Unchecked);
  roots[2]->setCheckState(0, Qt::Checked);  // as a click on the box does
  tree.SetCheckboxes(false);
  EXPECT_FALSE(roots[2]->data(0, Qt::CheckStateRole).isValid());
  tree.SetCheckboxes(true);
  EXPECT_TRUE(roots[2]->Checked());
  EXPECT_FALSE(roots[0]->Checked());
  EXPECT_EQ(tree.AddChild(roots[0], "new")->checkState(0), Qt::Unchecked);
}

TEST(WsTreeView, MenuBuildsNodesWithoutAcceleratorsOrSeparators) {
  QMenu menu;
  QMenu* file = menu.addMenu("&File");
  QAction* open = file->addAction("&Open");
  file->addSeparator();
  file->addAction("Save && Close");
  menu.addAction("-");
  TWsTreeView tree;
  int opened = 0;
  QObject::connect(open, &QAction::triggered, [&] { ++opened; });
  tree.SetMenu(&menu);
  ASSERT_EQ(tree.topLevelItemCount(), 1);
  QTreeWidgetItem* fileNode = tree.topLevelItem(0);
  EXPECT_EQ(fileNode->text(0), "File");
  ASSERT_EQ(fileNode->childCount(), 2);
  EXPECT_EQ(fileNode->child(1)->text(0), "Save & Close");
  tree.setCurrentItem(fileNode->child(0));
  EXPECT_EQ(opened, 1);
  menu.addAction("Help");
  EXPECT_EQ(tree.topLevelItemCount(), 2);
}

QStringList Captions(const QTreeWidgetItem* item) {
  QStringList captions;
  for (int i = 0; i < item->childCount(); ++i) captions << item->child(i)->text(0);
  return captions;
}

// Any change of the menu or of a sub-menu, however deep, builds the tree again; a menu no longer coupled is not
// heard. A checkable item whose click changes it rebuilds the tree from inside that click.
TEST(WsTreeView, MenuChangesRebuildTheTreeSubMenusIncluded) {
  QMenu menu;
  QMenu* file = menu.addMenu("&File");
  QAction* open = file->addAction("&Open");
  TWsTreeView tree;
  tree.show();
  tree.SetMenu(&menu);
  const auto fileNode = [&] { return tree.topLevelItem(0); };
  file->addAction("Close");
  EXPECT_EQ(Captions(fileNode()), QStringList({"Open", "Close"}));
  open->setText("&Load");
  EXPECT_EQ(Captions(fileNode()), QStringList({"Load", "Close"}));
  file->removeAction(open);
  EXPECT_EQ(Captions(fileNode()), QStringList({"Close"}));
  QMenu* recent = file->addMenu("Recent");
  recent->addAction("Route one");
  ASSERT_EQ(fileNode()->childCount(), 2);
  EXPECT_EQ(Captions(fileNode()->child(1)), QStringList({"Route one"}));
  file->menuAction()->setText("Data");
  EXPECT_EQ(fileNode()->text(0), "Data");

  QAction* flag = file->addAction("Flag");
  flag->setCheckable(true);
  int flagged = 0;
  QObject::connect(flag, &QAction::triggered, [&] { ++flagged; });
  tree.expandAll();
  QTest::mouseClick(tree.viewport(), Qt::LeftButton, {},
                    tree.ItemRect(static_cast<TWsTreeNode*>(fileNode()->child(2))).center());
  EXPECT_EQ(flagged, 1);
  EXPECT_TRUE(flag->isChecked());
  EXPECT_EQ(Captions(fileNode()), QStringList({"Close", "Recent", "Flag"}));

  delete recent;
  EXPECT_EQ(Captions(fileNode()), QStringList({"Close", "Flag"}));
  tree.SetMenu(nullptr);
  EXPECT_EQ(tree.topLevelItemCount(), 0);
  file->addAction("Route two");
  menu.addAction("Help");
  EXPECT_EQ(tree.topLevelItemCount(), 0);
  // A menu freed while coupled leaves the property empty.
  {
    QMenu brief;
    brief.addMenu("Sub")->addAction("Item");
    tree.SetMenu(&brief);
    EXPECT_EQ(tree.topLevelItemCount(), 1);
  }
  EXPECT_EQ(tree.Menu(), nullptr);
  // A tree freed before its menu hears nothing more of it.
  auto other = std::make_unique<TWsTreeView>();
  other->SetMenu(&menu);
  other.reset();
  file->addAction("After");
}

// With MenuDblClick a menu-item node clicks on double click, Enter or Space, not when it becomes current.
TEST(WsTreeView, MenuDblClickClicksOnDoubleClickEnterAndSpace) {
  QMenu menu;
  QAction* open = menu.addAction("Open");
  menu.addAction("Close");
  int opened = 0;
  QObject::connect(open, &QAction::triggered, [&] { ++opened; });
  TWsTreeView tree;
  tree.SetMenuDblClick(true);
  EXPECT_TRUE(tree.MenuDblClick());
  tree.SetMenu(&menu);
  tree.show();
  const QPoint at = tree.ItemRect(static_cast<TWsTreeNode*>(tree.topLevelItem(0))).center();
  QTest::mouseClick(tree.viewport(), Qt::LeftButton, {}, at);
  EXPECT_EQ(tree.CurrentNode()->Text(), "Open");
  EXPECT_EQ(opened, 0);
  QTest::mouseDClick(tree.viewport(), Qt::LeftButton, {}, at);
  EXPECT_EQ(opened, 1);
  QTest::keyClick(&tree, Qt::Key_Return);
  QTest::keyClick(&tree, Qt::Key_Space);
  EXPECT_EQ(opened, 3);
  QTest::keyClick(&tree, Qt::Key_Down);  // "Close" has no click handler
  QTest::keyClick(&tree, Qt::Key_Return);
  EXPECT_EQ(opened, 3);
}

TEST(WsTreeView, PageOfTheSameCaptionIgnoringCaseBecomesActive) {
  QTabWidget pages;
  pages.addTab(new QWidget, "Gold");
  QWidget* iron = new QWidget;
  pages.addTab(iron, "IRON");
  TWsTreeView tree;
  tree.SetPageControl(&pages);
  QWidget* reported = nullptr;
  tree.OnPageChanged = [&](TWsTreeView*, TWsTreeNode*, QWidget* page) { reported = page; };
  tree.AddChild(nullptr, "Gold");
  TWsTreeNode* node = tree.AddChild(nullptr, "iron");
  tree.setCurrentItem(node);
  EXPECT_EQ(pages.currentWidget(), iron);
  EXPECT_EQ(reported, iron);
  // OnComparePage decides instead; of several matching pages the last becomes active, and with none nothing
  // changes.
  QWidget* third = new QWidget;
  pages.addTab(third, "Water");
  std::vector<std::pair<QWidget*, QString>> compared;
  tree.OnComparePage = [&](TWsTreeView*, QWidget* page, TWsTreeNode* n, bool& matches) {
    compared.emplace_back(page, n->Text());
    matches = n->Text() == "Gold" && page != iron;
  };
  tree.setCurrentItem(tree.topLevelItem(0));
  EXPECT_EQ(compared.size(), 3u);
  EXPECT_EQ(compared.back(), std::make_pair(third, QString("Gold")));
  EXPECT_EQ(pages.currentWidget(), third);
  EXPECT_EQ(reported, third);
  pages.setCurrentIndex(0);
  tree.setCurrentItem(node);
  EXPECT_EQ(pages.currentIndex(), 0);
  EXPECT_EQ(reported, third);
}

// The text and background colours the tree chose for each node, as its custom-draw handler sees them.
std::map<QString, std::pair<QColor, QColor>> Draw(TWsTreeView& tree) {
  std::map<QString, std::pair<QColor, QColor>> drawn;
  tree.OnCustomDrawItem = [&](TWsTreeView*, TWsTreeNode* node, QPainter*, QStyleOptionViewItem& option, bool&) {
    drawn[node->Text()] = {option.palette.color(QPalette::Text), option.backgroundBrush.color()};
  };
  tree.viewport()->repaint();
  tree.OnCustomDrawItem = nullptr;
  return drawn;
}

// A node outside the selection shows the tree's text colour on the tree's background, also under the mouse; a
// single-select tree draws each node with its own brush (white unless set).
TEST_F(TreeFixture, ItemColoursFollowTheSelectionListAndTheNodesOwnBrush) {
  QPalette palette = tree.palette();
  palette.setColor(QPalette::Base, QColor(250, 250, 200));
  palette.setColor(QPalette::Text, QColor(10, 20, 30));
  tree.setPalette(palette);
  tree.SetMultiSelect(true);
  tree.SetHotTrack(true);
  const QPoint over = tree.ItemRect(roots[0]).center();
  QHoverEvent hover(QEvent::HoverMove, over, tree.viewport()->mapToGlobal(over), QPoint(-1, -1));
  QApplication::sendEvent(tree.viewport(), &hover);
  for (const auto& [text, colours] : Draw(tree))
    EXPECT_EQ(colours, std::make_pair(QColor(10, 20, 30), QColor(250, 250, 200))) << text.toStdString();
  tree.SetMultiSelect(false);
  tree.SetHotTrack(false);
  tree.clearFocus();
  roots[1]->SetBrush(QBrush(Qt::yellow));
  const auto drawn = Draw(tree);
  EXPECT_EQ(drawn.at("::Any::").second, QColor(Qt::white));
  EXPECT_EQ(drawn.at("{All Commodities}").second, QColor(Qt::yellow));
}

// Lines are drawn in LineColor; a value set before the tree has a window is not kept.
TEST_F(TreeFixture, ConnectingLinesShowInLineColor) {
  tree.SetLineColor(0x000000FF);
  EXPECT_EQ(tree.LineColor(), 0x000000FFu);
  const QImage image = tree.viewport()->grab().toImage();
  int red = 0;
  for (int y = 0; y < image.height(); ++y)
    for (int x = 0; x < 2 * tree.indentation(); ++x) red += image.pixelColor(x, y) == QColor(255, 0, 0) ? 1 : 0;
  EXPECT_GT(red, 0);
  TWsTreeView unshown;
  unshown.SetLineColor(0x000000FF);
  EXPECT_EQ(unshown.LineColor(), colors::Default);
}

// A node stands for a menu click when its item has a click handler, whether or not it has sub-items; the
// item's group of exclusive choices is no handler.
TEST(WsTreeView, MenuItemNodesClickWhenTheirItemHasAClickHandler) {
  QMenu menu;
  QMenu* file = menu.addMenu("File");
  QAction* quiet = file->addAction("Quiet");
  QActionGroup choices(&menu);
  choices.addAction(quiet)->setCheckable(true);
  int fileClicks = 0;
  QObject::connect(file->menuAction(), &QAction::triggered, [&] { ++fileClicks; });
  TWsTreeView tree;
  tree.SetMenu(&menu);
  auto* fileNode = static_cast<TWsTreeNode*>(tree.topLevelItem(0));
  tree.setCurrentItem(fileNode->child(0));
  EXPECT_FALSE(quiet->isChecked());
  tree.setCurrentItem(fileNode);
  EXPECT_EQ(fileClicks, 1);
}

// A moved node keeps its check box and its place in the selection; a node never moves below itself.
TEST_F(TreeFixture, MoveToKeepsTheCheckBoxAndTheSelection) {
  tree.SetMultiSelect(true);
  tree.SetCheckboxes(true);
  auto* gold = static_cast<TWsTreeNode*>(roots[1]->child(0));
  gold->setCheckState(0, Qt::Checked);  // as a click on the box does
  tree.SelectItem(gold, false);
  gold->MoveTo(roots[2], NodeAttachMode::Insert);
  EXPECT_EQ(tree.indexOfTopLevelItem(gold), 2);
  roots[1]->MoveTo(gold, NodeAttachMode::AddChildFirst);
  EXPECT_EQ(gold->child(0), roots[1]);
  gold->MoveTo(roots[1], NodeAttachMode::AddChild);  // below itself: nothing
  EXPECT_EQ(tree.indexOfTopLevelItem(gold), 1);
  EXPECT_EQ(gold->checkState(0), Qt::Checked);
  EXPECT_EQ(tree.SelectedNodes(), QList<TWsTreeNode*>({gold}));
}

// Moving the current node, or a node above it, keeps it current without passing the current node through its
// neighbours: no menu command runs and no change is reported.
TEST(WsTreeView, MovingTheCurrentNodeRunsNoMenuCommandAndReportsNoChange) {
  QMenu menu;
  QStringList clicked;
  for (const char* caption : {"A", "B", "C"}) {
    QAction* item = menu.addAction(caption);
    QObject::connect(item, &QAction::triggered, [&clicked, item] { clicked << item->text(); });
  }
  TWsTreeView tree;
  tree.SetMenu(&menu);
  tree.show();
  auto* b = static_cast<TWsTreeNode*>(tree.topLevelItem(1));
  TWsTreeNode* inner = tree.AddChild(b, "B1");
  tree.setCurrentItem(b);
  int changes = 0;
  tree.OnChange = [&](TWsTreeView*, TWsTreeNode*) { ++changes; };
  b->MoveTo(static_cast<TWsTreeNode*>(tree.topLevelItem(0)), NodeAttachMode::Insert);
  EXPECT_EQ(tree.CurrentNode(), b);
  tree.setCurrentItem(inner);
  b->MoveTo(nullptr, NodeAttachMode::Add);
  EXPECT_EQ(Captions(tree.invisibleRootItem()), QStringList({"A", "C", "B"}));
  EXPECT_EQ(tree.CurrentNode(), inner);
  EXPECT_EQ(clicked, QStringList({"B"}));
  EXPECT_EQ(changes, 1) << "only the change made on purpose";
}

// While a node is dragged within 20 pixels of an edge the tree scrolls one line per tick toward it, only with
// AutoDragScroll; a drop or leaving the tree stops it.
TEST_F(TreeFixture, DragNearAnEdgeScrollsLineByLine) {
  for (int i = 0; i < 100; ++i) tree.AddChild(roots[2], QString::number(i));
  tree.expandAll();
  tree.viewport()->setAcceptDrops(true);
  const std::unique_ptr<QMimeData> data(tree.model()->mimeData({tree.model()->index(0, 0)}));
  const int bottom = tree.viewport()->height() - 5;
  QDragEnterEvent enter(QPoint(50, bottom), Qt::CopyAction, data.get(), Qt::LeftButton, {});
  QApplication::sendEvent(tree.viewport(), &enter);
  const auto drag = [&](int y) {
    QDragMoveEvent event(QPoint(50, y), Qt::CopyAction, data.get(), Qt::LeftButton, {});
    QApplication::sendEvent(tree.viewport(), &event);
  };
  drag(bottom);
  EXPECT_EQ(tree.ScrollDirection(), 0);
  tree.SetAutoDragScroll(true);
  drag(5);
  EXPECT_EQ(tree.ScrollDirection(), -1);
  drag(tree.viewport()->height() / 2);
  EXPECT_EQ(tree.ScrollDirection(), 0);
  drag(bottom);
  ASSERT_TRUE(QTest::qWaitFor([&] { return tree.verticalScrollBar()->value() > 0; }, 1000));
  EXPECT_EQ(tree.verticalScrollBar()->value(), 1);
  QDropEvent drop(QPointF(50, bottom), Qt::CopyAction, data.get(), Qt::LeftButton, {});
  QApplication::sendEvent(tree.viewport(), &drop);
  EXPECT_EQ(tree.ScrollDirection(), 0);
  // A drag that leaves the tree may end anywhere, unheard: leaving stops the scrolling too.
  QApplication::sendEvent(tree.viewport(), &enter);
  drag(5);
  QDragLeaveEvent leave;
  QApplication::sendEvent(tree.viewport(), &leave);
  EXPECT_EQ(tree.ScrollDirection(), 0);
}

// The node's own Bold, Checked, PopupMenu, Font and Brush; Assign copies them with texts and data, also into a
// node outside any tree, and a source without a brush of its own hands on the default white one.
TEST_F(TreeFixture, NodeAttributesAndAssign) {
  tree.SetCheckboxes(true);
  auto* gold = static_cast<TWsTreeNode*>(roots[1]->child(0));
  QMenu popup;
  gold->setData(0, Qt::UserRole + 1, 42);
  gold->SetBold(true);
  gold->SetChecked(true);
  gold->SetPopupMenu(&popup);
  gold->SetFont(QFont("Serif", 17));
  gold->SetBrush(QBrush(Qt::yellow));
  EXPECT_TRUE(gold->Bold());
  EXPECT_EQ(gold->checkState(0), Qt::Checked);
  EXPECT_EQ(gold->Level(), 1);
  bool drawnBold = false;
  tree.OnCustomDrawItem = [&](TWsTreeView*, TWsTreeNode* node, QPainter*, QStyleOptionViewItem& option, bool&) {
    if (node == gold) drawnBold = option.font.bold();
  };
  tree.viewport()->repaint();
  EXPECT_TRUE(drawnBold);

  TWsTreeNode copy("Spare");
  copy.Assign(*gold);
  EXPECT_EQ(copy.Text(), "Gold");
  EXPECT_EQ(copy.data(0, Qt::UserRole + 1).toInt(), 42);
  EXPECT_TRUE(copy.Bold());
  EXPECT_TRUE(copy.Checked());
  EXPECT_FALSE(copy.data(0, Qt::CheckStateRole).isValid());  // no tree, no box
  EXPECT_EQ(copy.PopupMenu(), &popup);
  EXPECT_EQ(copy.Font().pointSize(), 17);
  EXPECT_EQ(copy.Brush().color(), QColor(Qt::yellow));

  roots[2]->SetBrush(QBrush(Qt::red));
  roots[2]->SetBold(true);
  roots[2]->Assign(TWsTreeNode("Plain"));
  EXPECT_EQ(roots[2]->Text(), "Plain");
  EXPECT_FALSE(roots[2]->Bold());
  EXPECT_EQ(roots[2]->checkState(0), Qt::Unchecked);
  EXPECT_EQ(roots[2]->PopupMenu(), nullptr);
  EXPECT_EQ(roots[2]->Brush().color(), QColor(Qt::white));
  gold->SetChecked(false);
  EXPECT_EQ(gold->checkState(0), Qt::Unchecked);
}

// A click makes the node of the row under the mouse current, also on its expand button, and none below the
// last row; a right click also pops up the node's menu, when it has one.
TEST_F(TreeFixture, ClickMakesTheRowsNodeCurrentRightClickPopsUpItsMenu) {
  const QRect all = tree.visualItemRect(roots[1]);
  QTest::mouseClick(tree.viewport(), Qt::LeftButton, {}, QPoint(all.left() - tree.indentation() / 2, all.center().y()));
  EXPECT_EQ(tree.CurrentNode(), roots[1]);
  EXPECT_FALSE(roots[1]->isExpanded());
  QTest::mouseClick(tree.viewport(), Qt::LeftButton, {}, QPoint(50, tree.viewport()->height() - 5));
  EXPECT_EQ(tree.CurrentNode(), nullptr);

  QMenu popup;
  popup.addAction("Sell");
  int shown = 0;
  QObject::connect(&popup, &QMenu::aboutToShow, [&] { ++shown; });
  roots[2]->SetPopupMenu(&popup);
  QTest::mouseClick(tree.viewport(), Qt::RightButton, {}, tree.ItemRect(roots[0]).center());
  EXPECT_EQ(tree.CurrentNode(), roots[0]);
  EXPECT_EQ(shown, 0);
  QTest::mouseClick(tree.viewport(), Qt::RightButton, {}, tree.ItemRect(roots[2]).center());
  EXPECT_EQ(tree.CurrentNode(), roots[2]);
  EXPECT_EQ(shown, 1);
  EXPECT_TRUE(popup.isVisible());
  popup.close();
}

// Only a click on the item (its check box, icon or label, as wide as the text) selects a node and makes it
// current; the empty rest of the row is no node's, like the space below the last row.
TEST_F(TreeFixture, OnlyAClickOnTheItemSelectsItAndMakesItCurrent) {
  const QRect item = tree.ItemRect(roots[2]);
  const QImage image = tree.viewport()->grab().toImage();
  int inkRight = -1;
  for (int y = item.top(); y <= item.bottom(); ++y)
    for (int x = 0; x < image.width(); ++x)
      if (qGray(image.pixel(x, y)) < 128) inkRight = std::max(inkRight, x);
  EXPECT_LE(inkRight, item.right());
  EXPECT_GT(inkRight, item.right() - 8) << "the label ends where its text does";
  const QPoint beside(item.right() + 10, item.center().y());
  for (bool multi : {true, false}) {
    tree.SetMultiSelect(multi);
    tree.ClearSelection();
    QTest::mouseClick(tree.viewport(), Qt::LeftButton, {}, beside);
    EXPECT_EQ(tree.CurrentNode(), nullptr);
    EXPECT_FALSE(tree.IsNodeSelected(roots[2]));
    QTest::mouseClick(tree.viewport(), Qt::LeftButton, {}, QPoint(item.right() - 1, item.center().y()));
    EXPECT_EQ(tree.CurrentNode(), roots[2]);
    EXPECT_TRUE(tree.IsNodeSelected(roots[2]));
  }
  QTest::mouseClick(tree.viewport(), Qt::RightButton, {}, beside);
  EXPECT_EQ(tree.CurrentNode(), nullptr);
  tree.SetCheckboxes(true);  // the box belongs to the item
  const QRect checked = tree.ItemRect(roots[0]);
  QTest::mouseClick(tree.viewport(), Qt::LeftButton, {}, QPoint(checked.left() + 2, checked.center().y()));
  EXPECT_EQ(tree.CurrentNode(), roots[0]);
}

// Escape ends a label edit cancelled; Enter keeps the new text and is no cancel.
TEST_F(TreeFixture, CancelledLabelEditIsReported) {
  int cancelled = 0;
  tree.OnEditCancelled = [&](TWsTreeView* sender) { cancelled += sender == &tree ? 1 : 100; };
  roots[0]->setFlags(roots[0]->flags() | Qt::ItemIsEditable);
  const auto edit = [&](const QString& typed, Qt::Key end) {
    tree.editItem(roots[0]);
    QLineEdit* editor = nullptr;  // a closed editor lingers, hidden, until the event loop deletes it
    for (QLineEdit* open : tree.viewport()->findChildren<QLineEdit*>())
      if (open->isVisible()) editor = open;
    ASSERT_NE(editor, nullptr);
    QTest::keyClicks(editor, typed);
    QTest::keyClick(editor, end);
    QApplication::processEvents();
  };
  edit("Salt", Qt::Key_Escape);
  EXPECT_EQ(cancelled, 1);
  EXPECT_EQ(roots[0]->Text(), "::Any::");
  edit("Salt", Qt::Key_Return);
  EXPECT_EQ(cancelled, 1);
  EXPECT_EQ(roots[0]->Text(), "Salt");
}

// Scrolling either way reports its own direction.
TEST_F(TreeFixture, ScrollEventsReportTheirDirection) {
  for (int i = 0; i < 100; ++i) tree.AddChild(roots[2], QString::number(i));
  tree.expandAll();
  tree.header()->setStretchLastSection(false);
  tree.setColumnWidth(0, 1000);
  QApplication::processEvents();
  int vertical = 0, horizontal = 0;
  tree.OnVerticalScroll = [&](TWsTreeView*) { ++vertical; };
  tree.OnHorizontalScroll = [&](TWsTreeView*) { ++horizontal; };
  tree.verticalScrollBar()->triggerAction(QAbstractSlider::SliderSingleStepAdd);
  EXPECT_EQ(std::make_pair(vertical, horizontal), std::make_pair(1, 0));
  tree.horizontalScrollBar()->triggerAction(QAbstractSlider::SliderSingleStepAdd);
  EXPECT_EQ(std::make_pair(vertical, horizontal), std::make_pair(1, 1));
}

}  // namespace
}  // namespace qmz
