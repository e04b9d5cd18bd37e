#include "app/ModelAdapter.h"

namespace qmz {

QString ToQString(std::string_view text) { return QString::fromUtf8(text.data(), qsizetype(text.size())); }

std::string FromQString(const QString& text) { return text.toStdString(); }

std::optional<IndexTag> TagOfObject(const TObject* object) {
  const auto* index = dynamic_cast<const TIndex*>(object);
  if (!index) return std::nullopt;
  return IndexTag{index->Index, index->Kind};
}

bool ListBoxItem::operator<(const QListWidgetItem& other) const {
  return text().compare(other.text(), Qt::CaseInsensitive) < 0;
}

QListWidgetItem* AddTaggedItem(QListWidget* list, const QString& text, IndexTag tag) {
  auto* item = new ListBoxItem(text);
  item->setData(TagRole, QVariant::fromValue(tag));
  list->addItem(item);
  return item;
}

void FillListFromModel(QListWidget* list, const TStringList& items, std::optional<std::uint8_t> kind) {
  list->clear();
  for (int i = 0; i < items.Count(); ++i) {
    auto* item = new ListBoxItem(ToQString(items.Strings(i)));
    if (auto tag = TagOfObject(items.Objects(i))) {
      if (kind) tag->Kind = *kind;
      item->setData(TagRole, QVariant::fromValue(*tag));
    }
    list->addItem(item);
  }
}

namespace {

std::optional<IndexTag> TagOfData(const QVariant& v) {
  if (!v.canConvert<IndexTag>()) return std::nullopt;
  return v.value<IndexTag>();
}

}  // namespace

std::optional<IndexTag> TagOf(const QListWidgetItem* item) {
  return item ? TagOfData(item->data(TagRole)) : std::nullopt;
}

std::optional<IndexTag> TagOf(const QTreeWidgetItem* node) {
  return node ? TagOfData(node->data(0, TagRole)) : std::nullopt;
}

}  // namespace qmz
