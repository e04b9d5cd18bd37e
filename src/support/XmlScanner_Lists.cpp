// The scanner's lists: name-value pairs, attributes, element definitions and the entity stack.
#include "support/XmlScanner.h"

#include <algorithm>

#include "platform/Utf16.h"
#include "support/SysUtils.h"
#include "support/XmlScanner_Text.h"

namespace qmz {

// ---------------------------------------------------------------------------------------------------
// Lists

size_t TNvpList::LowerBound(const std::string& name) const {
  auto it = std::lower_bound(fItems.begin(), fItems.end(), name,
                             [](const std::unique_ptr<TNvpNode>& n, const std::string& key) { return n->Name < key; });
  return static_cast<size_t>(it - fItems.begin());
}

void TNvpList::Add(std::unique_ptr<TNvpNode> node) {
  if (!node) return;
  size_t at = LowerBound(node->Name);
  fItems.insert(fItems.begin() + static_cast<std::ptrdiff_t>(at), std::move(node));
}

void TNvpList::AddMany(std::vector<std::unique_ptr<TNvpNode>> nodes) {
  std::erase(nodes, nullptr);
  // Later nodes go in front of earlier ones of the same name, and new ones in front of old ones.
  std::reverse(nodes.begin(), nodes.end());
  auto byName = [](const std::unique_ptr<TNvpNode>& a, const std::unique_ptr<TNvpNode>& b) {
    return a->Name < b->Name;
  };
  std::stable_sort(nodes.begin(), nodes.end(), byName);
  std::vector<std::unique_ptr<TNvpNode>> merged;
  merged.reserve(nodes.size() + fItems.size());
  std::merge(std::make_move_iterator(nodes.begin()), std::make_move_iterator(nodes.end()),
             std::make_move_iterator(fItems.begin()), std::make_move_iterator(fItems.end()), std::back_inserter(merged),
             byName);
  fItems = std::move(merged);
}

void TNvpList::Replace(std::unique_ptr<TNvpNode> node) {
  if (!node) return;
  size_t at = LowerBound(node->Name);
  size_t end = at;
  while (end < fItems.size() && fItems[end]->Name == node->Name) ++end;
  if (end == at) {
    fItems.insert(fItems.begin() + static_cast<std::ptrdiff_t>(at), std::move(node));
    return;
  }
  // In place: a DTD that redefines one name over and over costs no shifting of the whole list.
  fItems[at] = std::move(node);
  fItems.erase(fItems.begin() + static_cast<std::ptrdiff_t>(at + 1), fItems.begin() + static_cast<std::ptrdiff_t>(end));
}

int TNvpList::IndexOf(const std::string& name) const {
  size_t at = LowerBound(name);
  return at < fItems.size() && fItems[at]->Name == name ? static_cast<int>(at) : -1;
}

TNvpNode* TNvpList::Node(const std::string& name) const {
  int i = IndexOf(name);
  return i < 0 ? nullptr : fItems[static_cast<size_t>(i)].get();
}

TNvpNode* TNvpList::Node(int index) const {
  return index < 0 || index >= Count() ? nullptr : fItems[static_cast<size_t>(index)].get();
}

std::string TNvpList::Value(const std::string& name) const {
  TNvpNode* n = Node(name);
  return n ? n->Value : std::string();
}

std::string TNvpList::Name(int index) const {
  TNvpNode* n = Node(index);
  return n ? n->Name : std::string();
}

std::string TNvpList::Value(int index) const {
  TNvpNode* n = Node(index);
  return n ? n->Value : std::string();
}

TElemDef* TElemList::Node(const std::string& name) const {
  auto it = std::lower_bound(fItems.begin(), fItems.end(), name,
                             [](const std::unique_ptr<TElemDef>& d, const std::string& key) { return d->Name < key; });
  return it != fItems.end() && (*it)->Name == name ? it->get() : nullptr;
}

TElemDef* TElemList::Node(int index) const {
  return index < 0 || index >= Count() ? nullptr : fItems[static_cast<size_t>(index)].get();
}

TElemDef* TElemList::Add(std::unique_ptr<TElemDef> def) {
  auto it = std::lower_bound(fItems.begin(), fItems.end(), def->Name,
                             [](const std::unique_ptr<TElemDef>& d, const std::string& key) { return d->Name < key; });
  if (it != fItems.end() && (*it)->Name == def->Name) {
    *it = std::move(def);
    return it->get();
  }
  return fItems.insert(it, std::move(def))->get();
}

TEntityStackNode TEntityStack::Pop() {
  TEntityStackNode node = std::move(fItems.back());
  fItems.pop_back();
  return node;
}

bool TEntityStack::Contains(const std::string& entityName) const {
  return std::any_of(fItems.begin(), fItems.end(),
                     [&](const TEntityStackNode& n) { return n.EntityName == entityName; });
}

}  // namespace qmz
