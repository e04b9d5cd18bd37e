#pragma once
// The one place where the model meets Qt: model texts become QStrings, model lists become list items,
// and a list tag (TIndex) travels as a value in the item's data instead of an owned pointer.

#include <QListWidget>
#include <QMetaType>
#include <QTreeWidgetItem>
#include <QString>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "gamedata/uSvFunctions.h"
#include "support/Classes.h"

namespace qmz {

// The value form of TIndex: an index into one of the model's arrays and its kind (0 plain, 1 base,
// 2 system, 4 anywhere / any commodity, 5 good).
struct IndexTag {
  std::uint32_t Index = 0;
  std::uint8_t Kind = 0;
  friend bool operator==(const IndexTag&, const IndexTag&) = default;
};

// The data role that carries an item's tag.
inline constexpr int TagRole = Qt::UserRole + 1;
// The data role of a commodity-tree category node's equipment type (TETyp); good and "::Any::" nodes
// carry their tag under TagRole instead.
inline constexpr int ETypeRole = Qt::UserRole + 2;

QString ToQString(std::string_view text);
std::string FromQString(const QString& text);

// The tag of a list entry: its TIndex as a value; none for an entry without a TIndex.
std::optional<IndexTag> TagOfObject(const TObject* object);

// An entry of a sorted list box: sorted ignoring letter case, as the list boxes of the game's own tools
// sort, so "ice Port" stands between "Harbour" and "Jade Dock", not after every capital.
class ListBoxItem : public QListWidgetItem {
 public:
  using QListWidgetItem::QListWidgetItem;
  bool operator<(const QListWidgetItem& other) const override;
};

// Adds one item with a tag.
QListWidgetItem* AddTaggedItem(QListWidget* list, const QString& text, IndexTag tag);

// Replaces a list box's entries with those of a model list; kind, when given, replaces the kind of every
// tag (the start-up marks bases 1 and systems 2).
void FillListFromModel(QListWidget* list, const TStringList& items, std::optional<std::uint8_t> kind = {});

// The tag of an item or tree node; none for one without a tag (a category node).
std::optional<IndexTag> TagOf(const QListWidgetItem* item);
std::optional<IndexTag> TagOf(const QTreeWidgetItem* node);

}  // namespace qmz

Q_DECLARE_METATYPE(qmz::IndexTag)
