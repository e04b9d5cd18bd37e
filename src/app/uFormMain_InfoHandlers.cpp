// Handlers of the information page (its page switch, the good trees of a base, the base and good cards,
// the node fonts),
// and the connections of the information and debug pages that are not button clicks.

#include <QApplication>
#include <QEvent>
#include <QKeyEvent>
#include <QLocale>
#include <QMouseEvent>
#include <QPainter>
#include <functional>

#include "app/QmzApplication.h"
#include "app/uFormMain.h"
#include "app/uFormMain_DebugPanel.h"
#include "app/uFormMain_InformationPage.h"

namespace qmz {

namespace {

// Runs a handler on one kind of event of a control that has no signal for it (a double-click on a group
// box, a click on a panel, Enter in a list box). The handler decides whether the event is consumed.
class EventHook : public QObject {
 public:
  EventHook(QObject* watched, std::function<bool(QEvent*)> handler) : QObject(watched), handler_(std::move(handler)) {
    watched->installEventFilter(this);
  }

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override {
    if (watched == parent() && handler_(event)) return true;
    return QObject::eventFilter(watched, event);
  }

 private:
  std::function<bool(QEvent*)> handler_;
};

bool IsEnter(QEvent* event) {
  if (event->type() != QEvent::KeyPress) return false;
  const int key = static_cast<QKeyEvent*>(event)->key();
  return key == Qt::Key_Return || key == Qt::Key_Enter;
}

// A list box's click as the user knows it: a click on an entry, or moving the selection with the keys.
// A press of the mouse changes the row before the click follows, so that change is left to the click.
void ConnectListClick(QListWidget* list, QObject* context, std::function<void()> handler) {
  QObject::connect(list, &QListWidget::itemClicked, context,
                   [list, handler] { QmzApplication::RunHandler(list, handler); });
  QObject::connect(list, &QListWidget::currentRowChanged, context, [list, handler] {
    if (QApplication::mouseButtons() == Qt::NoButton) QmzApplication::RunHandler(list, handler);
  });
}

char UserDecimalSeparator() {
  const QString point = QLocale().decimalPoint();
  return point.size() == 1 && point[0].unicode() < 128 ? char(point[0].unicode()) : '.';
}

}  // namespace

void TformMain::ConnectInfoAndDebug() {
  // ---- information page
  ConnectListClick(lbInfBase, this, [this] { lbInfBaseClick(); });
  connect(tvInfBaseGood, &QTreeWidget::itemClicked, this,
          [this] { QmzApplication::RunHandler(tvInfBaseGood, [this] { tvInfBaseGoodClick(); }); });
  // Enter in the trees is bound with the commodity tree's (uFormMain_Selection.cpp).
  for (MainTreeView* tree : {tvInfBaseGood, tvInfCommos})
    tree->OnCustomDrawItem = std::bind_front(&TformMain::tvInfBaseGoodCustomDrawItem, this);
  // Enter in the base list adds the destination page's selection.
  new EventHook(lbInfBase, [this](QEvent* event) {
    if (!IsEnter(event)) return false;
    QChar key(13);
    QmzApplication::RunHandler(lbInfBase, [this, &key] { lbDestSystemKeyPress(key); });
    return true;
  });

  // ---- debug page
  // Only a press on the box or panel itself counts, not one a control inside passed on.
  const auto onItself = [](QWidget* widget, QEvent* event) {
    return !widget->childAt(static_cast<QMouseEvent*>(event)->position().toPoint());
  };
  new EventHook(gbOptions, [this, onItself](QEvent* event) {
    if (event->type() != QEvent::MouseButtonDblClick || static_cast<QMouseEvent*>(event)->button() != Qt::LeftButton ||
        !onItself(gbOptions, event))
      return false;
    QmzApplication::RunHandler(gbOptions, [this] { gbOptionsDblClick(); });
    return true;
  });
  new EventHook(panBackTop, [this, onItself](QEvent* event) {
    if (event->type() != QEvent::MouseButtonRelease || static_cast<QMouseEvent*>(event)->button() != Qt::LeftButton ||
        !onItself(panBackTop, event))
      return false;
    QmzApplication::RunHandler(panBackTop, [this] { panBackTopClick(); });
    return false;
  });
  ConnectListClick(lbSection, this, [this] { lbSectionClick(); });
  ConnectListClick(lbSectionList, this, [this] { lbSectionListClick(); });
}

void TformMain::OnInfClick() { plInformation->SetActivePage(btInfBase->isChecked() ? pageInfBase : pageInfGood); }

void TformMain::FillBaseMarketTrees() {
  tvInfBaseGood->clear();
  if (!FData) return;
  auto* sells = tvInfBaseGood->AddChild(nullptr, ToQString(BaseSellsRoot));
  auto* buys = tvInfBaseGood->AddChild(nullptr, ToQString(BaseBuysRoot));
  for (auto* root : {sells, buys}) root->setData(0, TagRole, QVariant::fromValue(IndexTag{0, 0}));
  tvInfBaseGood->SelectItem(buys, false);
  AddInfoNodes(tvInfBaseGood, buys, BaseBuysChildren(*FData));
}

void TformMain::FillBaseSellsTree(int Base) {
  if (!FData) return;
  // The first node of that text, in display order.
  const auto found = tvInfBaseGood->findItems(ToQString(BaseSellsRoot), Qt::MatchExactly | Qt::MatchRecursive);
  if (found.isEmpty()) return;
  auto* sells = static_cast<TWsTreeNode*>(found.first());
  qDeleteAll(sells->takeChildren());
  tvInfBaseGood->SelectItem(sells, false);
  AddInfoNodes(tvInfBaseGood, sells, BaseSellsChildren(*FData, Base));
}

void TformMain::lbInfBaseClick() {
  const auto selected = lbInfBase->selectedItems();
  if (selected.isEmpty() || !FData) return;
  const std::optional<IndexTag> tag = TagOf(selected.first());
  if (!tag) return;
  FillBaseSellsTree(int(tag->Index));
  informationPage_->ShowCard(BaseCardLines(*FData, int(tag->Index)));
}

void TformMain::tvInfBaseGoodClick() {
  TWsTreeNode* node = tvInfBaseGood->CurrentNode();
  if (!node || node->Level() != 2 || !FData) return;
  const std::optional<IndexTag> good = TagOf(node);
  if (!good) return;
  // The price is the one at the base chosen in the list; before any is chosen the card has none.
  std::optional<int> base;
  const auto selected = lbInfBase->selectedItems();
  if (!selected.isEmpty())
    if (const std::optional<IndexTag> tag = TagOf(selected.first())) base = int(tag->Index);
  informationPage_->ShowCard(GoodCardLines(*FData, int(good->Index), base, UserDecimalSeparator()));
}

void TformMain::tvInfBaseGoodCustomDrawItem(TWsTreeView* Sender, TWsTreeNode* Node, QPainter*,
                                            QStyleOptionViewItem& Option, bool& DefaultDraw) {
  if (!Node) return;
  QFont font = Sender->font();
  switch (Node->Level()) {
    case 0:
      font.setBold(true);
      font.setUnderline(true);
      if (font.pointSizeF() > 0) font.setPointSizeF(font.pointSizeF() + 1);
      else font.setPixelSize(font.pixelSize() + 1);
      break;
    case 1:
      font.setBold(true);
      break;
    default:
      break;
  }
  Option.font = font;
  DefaultDraw = true;
}

}  // namespace qmz
