// Selection of places: the trade/loot switch, the source pages of the origin and destination tabs, adding,
// deleting and clearing chosen places, the keyboard and double-click shortcuts and the hint line.

#include <QAbstractScrollArea>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPointer>
#include <functional>

#include "app/QmzApplication.h"
#include "app/uFormMain.h"
#include "app/uFormMain_Selection.h"

namespace qmz {

namespace {

// The first of base, system, region whose button is down decides; else anywhere.
std::uint8_t DownButton(QToolButton* base, QToolButton* system, QToolButton* region) {
  if (base->isChecked()) return 0;
  if (system->isChecked()) return 1;
  if (region->isChecked()) return 2;
  return 3;
}

// Kind and index both count: base 5 and system 5 are different places.
bool HoldsTag(const QListWidget* list, IndexTag tag) {
  for (int i = 0; i < list->count(); ++i)
    if (TagOf(list->item(i)) == tag) return true;
  return false;
}

void DeleteSelected(QListWidget* list) {
  for (int i = list->count() - 1; i >= 0; --i)
    if (list->item(i)->isSelected()) delete list->takeItem(i);
}

const char* const kAnywhereCaption = "Realy choose Anywhere ?";
const char* const kAnywhereText =
    "You selected ANYWHERE and wished to add it to the list\r\n\r\nWhen you continue now, all other selected places "
    "will be cleared from list,\r\nas the ANYWHERE Place always have to be calculated alone as a placeholder\r\nfor "
    "any existing Place.\r\n\r\nDo you want to go on ?";

// Carries the double-clicks, Enter keys, the Shift+press on the commodity page and the mouse moves of
// the calculator page to the window's handlers; each runs guarded like a button's click.
class SelectionEvents : public QObject {
 public:
  SelectionEvents(TformMain* form, QObject* parent) : QObject(parent), form_(form) {}

  void OnDoubleClick(QAbstractScrollArea* area, std::function<void()> handler) {
    area->viewport()->installEventFilter(this);
    doubleClicks_.push_back({area->viewport(), std::move(handler)});
  }
  void OnEnter(QWidget* list, std::function<void(QChar&)> handler) {
    list->installEventFilter(this);
    enters_.push_back({list, std::move(handler)});
  }
  void OnShiftPress(QWidget* page) {
    page->installEventFilter(this);
    shiftPage_ = page;
  }
  void OnMove(QWidget* control) {
    // A scroll area's mouse moves arrive at its viewport; the hint is the area's.
    auto* area = qobject_cast<QAbstractScrollArea*>(control);
    QWidget* target = area ? area->viewport() : control;
    target->setMouseTracking(true);
    target->installEventFilter(this);
    moves_.push_back({target, control});
  }

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override {
    switch (event->type()) {
      case QEvent::MouseButtonDblClick:
        // Only the left button's double-click counts, as with the lists' own double-click signal.
        if (static_cast<QMouseEvent*>(event)->button() != Qt::LeftButton) break;
        for (const auto& [w, handler] : doubleClicks_)
          if (w == watched) QmzApplication::RunHandler(watched, handler);
        break;
      case QEvent::KeyPress: {
        auto* key = static_cast<QKeyEvent*>(event);
        if (key->key() != Qt::Key_Return && key->key() != Qt::Key_Enter) break;
        for (const auto& [w, handler] : enters_)
          if (w == watched) {
            QChar ch(13);
            QmzApplication::RunHandler(watched, [&handler, &ch] { handler(ch); });
          }
        break;
      }
      case QEvent::MouseButtonPress:
        if (watched == shiftPage_) {
          const auto mods = static_cast<QMouseEvent*>(event)->modifiers();
          QmzApplication::RunHandler(watched, [this, mods] { form_->pageCommodityMouseDown(mods); });
        }
        break;
      case QEvent::MouseMove: {
        // A move the control under the mouse leaves unhandled goes on to its parents; the hint stays the
        // control's own.
        const auto* move = static_cast<QMouseEvent*>(event);
        auto* widget = qobject_cast<QWidget*>(watched);
        if (lastMove_ && widget && move->timestamp() == lastMoveTime_ && move->globalPosition() == lastMovePos_ &&
            widget->isAncestorOf(lastMove_))
          break;
        for (const auto& [w, control] : moves_)
          if (w == watched) {
            QWidget* sender = control;
            lastMove_ = widget;
            lastMoveTime_ = move->timestamp();
            lastMovePos_ = move->globalPosition();
            QmzApplication::RunHandler(watched, [this, sender] { form_->OnMouseMove(sender); });
            break;
          }
        break;
      }
      default:
        break;
    }
    return false;
  }

 private:
  TformMain* form_;
  std::vector<std::pair<QObject*, std::function<void()>>> doubleClicks_;
  std::vector<std::pair<QObject*, std::function<void(QChar&)>>> enters_;
  std::vector<std::pair<QObject*, QWidget*>> moves_;
  QObject* shiftPage_ = nullptr;
  QPointer<QWidget> lastMove_;
  quint64 lastMoveTime_ = 0;
  QPointF lastMovePos_;
};

bool TakesHint(QWidget* w) {
  return qobject_cast<QAbstractButton*>(w) || qobject_cast<QGroupBox*>(w) || qobject_cast<QLabel*>(w) ||
         qobject_cast<MainSpinEdit*>(w) || qobject_cast<QListWidget*>(w) || qobject_cast<MainTreeView*>(w) ||
         qobject_cast<MainPanel*>(w) || qobject_cast<MainPage*>(w);
}

}  // namespace

void TformMain::ConnectSelection() {
  auto* events = new SelectionEvents(this, this);
  for (QListWidget* l : {lbFromBase, lbFromSystem, lbFromRegion, lbFromAny}) {
    events->OnDoubleClick(l, [this] { btAddFromClick(); });
    events->OnEnter(l, [this](QChar& key) { lbFromSystemKeyPress(key); });
  }
  for (QListWidget* l : {lbDestBase, lbDestSystem, lbDestRegion, lbDestAny}) {
    events->OnDoubleClick(l, [this] { btAddToClick(); });
    events->OnEnter(l, [this](QChar& key) { lbDestSystemKeyPress(key); });
  }
  events->OnDoubleClick(tvCommoAll, [this] { btAddCommoClick(); });
  events->OnDoubleClick(lbOrigin, [this] { btDelFromClick(); });
  events->OnDoubleClick(lbDestination, [this] { btDelToClick(); });
  events->OnDoubleClick(lbCommo, [this] { btDelCommoClick(); });
  // Enter in any of the three good trees adds the commodity tree's selection; Enter in the information
  // page's base list is bound with that page.
  for (MainTreeView* tree : {tvCommoAll, tvInfBaseGood, tvInfCommos})
    tree->OnKeyPress = [this](QWidget* sender, QChar& key) {
      QmzApplication::RunHandler(sender, [this, &key] { tvCommoAllKeyPress(key); });
    };
  tvCommoAll->OnCustomDrawItem = std::bind_front(&TformMain::tvCommoAllCustomDrawItem, this);
  tbRoutes->OnTabClosing = std::bind_front(&TformMain::tbRoutesTabClosing, this);
  events->OnShiftPress(pageCommodity);
  events->OnMove(panBackTop);
  for (QWidget* w : panBackTop->findChildren<QWidget*>())
    if (w != reInfo && TakesHint(w)) events->OnMove(w);
}

// ---- trade and loot ----------------------------------------------------------------------------------

void TformMain::FunctionClick() {
  SetCalculateEnabled(true);
  TWsTabBarItem* origin = nullptr;
  TWsTabBarItem* destination = nullptr;
  // Tabs may have been moved: they are found by caption.
  for (int i = 0; i < tbRoutes->Tabs().Count(); ++i) {
    TWsTabBarItem* tab = tbRoutes->Tabs()[i];
    if (tab->Caption() == QStringLiteral("From Origin")) origin = tab;
    if (tab->Caption() == QStringLiteral("to Destination")) destination = tab;
  }
  if (btFuncLoot->isChecked()) {
    if (destination) tbRoutes->SetSelectedTab(destination);
    if (origin) origin->SetEnabled(false);
  } else if (origin) {
    origin->SetEnabled(true);
  }
}

void TformMain::rbAnyClick() { SetCalculateEnabled(true); }

void TformMain::rbCommodityClick() { SetCalculateEnabled(true); }

// ---- source pages ------------------------------------------------------------------------------------

void TformMain::OnFromClick() {
  FromListMode = DownButton(btFromBase, btFromSystem, btFromRegion);
  plFrom->SetActivePage(std::array{pageFromBase, pageFromSystem, pageFromRegion, pageFromAny}[FromListMode]);
}

void TformMain::OnDestClick() {
  DestListMode = DownButton(btDestBase, btDestSystem, btDestRegion);
  plDest->SetActivePage(std::array{pageDestBase, pageDestSystem, pageDestRegion, pageDestAny}[DestListMode]);
}

// ---- adding, deleting, clearing places ---------------------------------------------------------------

void TformMain::AddPlaces(int ListMode, const std::array<QListWidget*, 4>& Sources, QListWidget* Chosen) {
  QListWidget* source = Sources[std::size_t(ListMode) & 3];
  if (source->selectedItems().isEmpty()) return;
  for (int i = 0; i < source->count(); ++i) {
    QListWidgetItem* item = source->item(i);
    if (!item->isSelected()) continue;
    const std::optional<IndexTag> tag = TagOf(item);
    if (!tag) continue;  // an entry that stands for nothing of the model
    if (tag->Kind == 4) {
      // "Anywhere" stands alone for every place.
      if (Chosen->count() > 0 && !dialogs_->Question(kAnywhereCaption, kAnywhereText)) return;
      Chosen->clear();
    }
    if (!HoldsTag(Chosen, *tag))
      AddTaggedItem(Chosen, PlaceListPrefixes[std::size_t(ListMode) & 3] + item->text(), *tag);
  }
  SetCalculateEnabled(true);
}

void TformMain::btAddFromClick() {
  AddPlaces(FromListMode, {lbFromBase, lbFromSystem, lbFromRegion, lbFromAny}, lbOrigin);
}

void TformMain::btAddToClick() {
  AddPlaces(DestListMode, {lbDestBase, lbDestSystem, lbDestRegion, lbDestAny}, lbDestination);
}

void TformMain::btDelFromClick() {
  DeleteSelected(lbOrigin);
  SetCalculateEnabled(true);
}

void TformMain::btDelToClick() {
  DeleteSelected(lbDestination);
  SetCalculateEnabled(true);
}

void TformMain::btDelCommoClick() {
  DeleteSelected(lbCommo);
  SetCalculateEnabled(true);
}

void TformMain::btClearFromClick() {
  lbOrigin->clear();
  SetCalculateEnabled(true);
}

void TformMain::btClearDestClick() {
  lbDestination->clear();
  SetCalculateEnabled(true);
}

void TformMain::btClearClick() {
  lbCommo->clear();
  SetCalculateEnabled(true);
}

// ---- keyboard, mouse, hint ---------------------------------------------------------------------------

void TformMain::lbFromSystemKeyPress(QChar& Key) {
  if (Key == QChar(13)) btAddFromClick();
}

void TformMain::lbDestSystemKeyPress(QChar& Key) {
  if (Key == QChar(13)) btAddToClick();
}

void TformMain::tvCommoAllKeyPress(QChar& Key) {
  if (Key == QChar(13)) btAddCommoClick();
}

void TformMain::pageCommodityMouseDown(Qt::KeyboardModifiers Shift) {
  if (Shift & Qt::ShiftModifier) FillCommodityTrees();
}

void TformMain::tbRoutesTabClosing(TWsCustomTabBar*, TWsTabBarItem*, bool& AllowClose) { AllowClose = false; }

void TformMain::tvCommoAllCustomDrawItem(TWsTreeView*, TWsTreeNode* Node, QPainter*, QStyleOptionViewItem& Option,
                                         bool&) {
  // Roots bold: "::Any::", "{All Commodities}", the categories and goods without one.
  if (Node) Option.font.setBold(Node->Level() == 0);
}

void TformMain::OnMouseMove(QObject* Sender) {
  SetBevelKind(this, Sender, Qt::NoModifier, 0, 0);
  auto* control = qobject_cast<QWidget*>(Sender);
  if (Sender != LastHintControl && control) {
    reInfo->clear();
    if (!control->toolTip().isEmpty()) reInfo->setPlainText(control->toolTip());
  }
  LastHintControl = Sender;
}

}  // namespace qmz
