// The commodity trees ("::Any::", "{All Commodities}", a root per equipment type, the goods below) and
// adding their selection to the chosen goods.

#include "app/uFormMain.h"
#include "app/uFormMain_InformationPage.h"
#include "app/uFormMain_Selection.h"

namespace qmz {

namespace {

const IndexTag kAnyCommodity{0, 4};

const char* const kAnyCaption = "Realy choose Any Commodity ?";
const char* const kAnyText =
    "You selected ANY COMMODITY and wished to add it to the list\r\n\r\nWhen you continue now all other selected "
    "commodities will be cleared from list,\r\nas the ANY Commodiy always have to be calculated alone as a "
    "placeholder\r\nfor any existing commodity.\r\n\r\nDo you want to go on ?";

TWsTreeNode* AddNode(MainTreeView* tree, TWsTreeNode* parent, const QString& text, IndexTag tag) {
  TWsTreeNode* node = tree->AddChild(parent, text);
  node->setData(0, TagRole, QVariant::fromValue(tag));
  return node;
}

// The first root of the tree: "::Any::".
bool IsFirstRoot(const QTreeWidgetItem* node) {
  return node->parent() == nullptr && node->treeWidget() &&
         node->treeWidget()->indexOfTopLevelItem(const_cast<QTreeWidgetItem*>(node)) == 0;
}

}  // namespace

std::optional<std::uint8_t> ETypeOfNode(const QTreeWidgetItem* node) {
  if (!node) return std::nullopt;
  const QVariant v = node->data(0, ETypeRole);
  if (!v.isValid()) return std::nullopt;
  return std::uint8_t(v.toUInt());
}

void TformMain::FillCommodityTrees() {
  if (!FData) return;
  // 2. Goods by name, ignoring case; goods of the same name all stay (each is a good of its own).
  TStringList goods = FData->getGoodNames();
  goods.SetDuplicates(TDuplicates::dupAccept);
  goods.Sort();

  // 3. The "::Any::" root first, and selected.
  tvInfBaseGood->clear();
  tvCommoAll->clear();
  tvCommoAll->SelectItem(AddNode(tvCommoAll, nullptr, QStringLiteral("::Any::"), kAnyCommodity), false);
  tvInfCommos->clear();
  tvInfCommos->SelectItem(AddNode(tvInfCommos, nullptr, QStringLiteral("::Any::"), kAnyCommodity), false);

  // 4. "{All Commodities}", then a root per equipment type 1 .. 16 ("Unknown" and "Any" have none).
  constexpr std::size_t firstType = 1, lastType = 16;
  struct TreeRoots {
    MainTreeView* tree;
    TWsTreeNode* all;
    std::array<TWsTreeNode*, lastType + 1> types{};
  };
  std::array<TreeRoots, 2> trees{{{tvCommoAll, nullptr, {}}, {tvInfCommos, nullptr, {}}}};
  for (TreeRoots& t : trees) t.all = AddNode(t.tree, nullptr, QStringLiteral("{All Commodities}"), kAnyCommodity);
  for (TreeRoots& t : trees)
    for (std::size_t type = firstType; type <= lastType; ++type) {
      TWsTreeNode* node = t.tree->AddChild(nullptr, QStringLiteral("{%1}").arg(ToQString(EquipmentTypeNames[type])));
      node->setData(0, ETypeRole, unsigned(type));
      t.types[type] = node;
    }

  // 5. Every good under "{All Commodities}" and under its type's root; a good of type 0 (or any type
  // without a root) becomes a root of its own, one of type 17 is listed under "{All Commodities}" twice.
  for (int i = 0; i < goods.Count(); ++i) {
    const std::optional<IndexTag> listed = TagOfObject(goods.Objects(i));
    if (!listed) continue;
    const IndexTag tag{listed->Index, 5};
    const std::uint8_t type = listed->Index < FData->aGood.size() ? FData->aGood[listed->Index].etype : 0;
    const QString name = ToQString(goods.Strings(i));
    for (TreeRoots& t : trees) {
      AddNode(t.tree, t.all, name, tag);
      TWsTreeNode* typeRoot = nullptr;
      if (type >= firstType && type <= lastType) typeRoot = t.types[type];
      else if (type == EquipmentTypeNames.size() - 1) typeRoot = t.all;
      AddNode(t.tree, typeRoot, name, tag);
    }
  }
  // 6.
  FillBaseMarketTrees();
}

void TformMain::btAddCommoClick() {
  if (tvCommoAll->GetSelectedCount() <= 0) return;
  const auto addNode = [this](const QTreeWidgetItem* node) {
    const std::optional<IndexTag> tag = TagOf(node);
    if (!tag) return;
    // Kind and index both count, so a good and the any-commodity entry never hide each other.
    for (int i = 0; i < lbCommo->count(); ++i)
      if (TagOf(lbCommo->item(i)) == tag) return;
    AddTaggedItem(lbCommo, node->text(0), *tag);
  };
  // A copy: the handlers below must not see the tree's list change under them.
  const QList<TWsTreeNode*> selected = tvCommoAll->SelectedNodes();
  for (TWsTreeNode* node : selected) {
    if (IsFirstRoot(node)) {
      // "::Any::" stands alone for every good.
      if (lbCommo->count() > 0 && !dialogs_->Question(kAnyCaption, kAnyText)) return;
      lbCommo->clear();
      const std::optional<IndexTag> tag = TagOf(node);
      if (!tag || (tag->Kind != 5 && tag->Kind != 4)) return;
      addNode(node);
    } else if (node->parent() == nullptr) {
      for (int c = 0; c < node->childCount(); ++c) addNode(node->child(c));
    } else {
      const std::optional<IndexTag> tag = TagOf(node);
      if (!tag || (tag->Kind != 5 && tag->Kind != 4)) return;
      addNode(node);
    }
    SetCalculateEnabled(true);
  }
}

}  // namespace qmz
