// The model's containers: the nickname index of the entity arrays (the market is in uSvFunctions_Market).

#include <algorithm>
#include <limits>

#include "gamedata/uSvFunctions.h"
#include "platform/AsciiText.h"

namespace qmz {

namespace {

using platform::TrimView;

// Keys are stored trimmed as written; hashing and comparing fold letter case, so lookups need no copy.
// TextHash is keyed per process: nicknames of a crafted file cannot be chosen to share one bucket. It
// needs no memory, so a lookup cannot fail for the want of it.
struct FoldedHash {
  using is_transparent = void;
  std::size_t operator()(std::string_view s) const { return TextHash(s); }
};
struct FoldedEqual {
  using is_transparent = void;
  bool operator()(std::string_view a, std::string_view b) const noexcept { return SameText(a, b); }
};

}  // namespace

struct TGoodArr::NicknameIndex {
  std::unordered_map<std::string, std::uint32_t, FoldedHash, FoldedEqual> map;
  std::vector<std::string> keys;       // the key each indexed element had, by index (0 unused)
  std::vector<std::uint32_t> unnamed;  // indexed elements whose nickname was empty then
  std::size_t indexed = 1;             // elements 1 .. indexed-1 are in the map

  void Clear() {
    map.clear();
    keys.clear();
    unnamed.clear();
    indexed = 1;
  }

  // First match wins: an element only takes a key that no smaller index holds.
  void Insert(const std::string& key, std::uint32_t i) {
    auto [it, inserted] = map.try_emplace(key, i);
    if (!inserted && it->second > i) it->second = i;
  }

  void Add(const std::vector<TGood>& items, std::size_t i) {
    std::string key(TrimView(items[i].nickname.str()));
    if (keys.size() <= i) keys.resize(i + 1);
    keys[i] = key;
    if (key.empty()) {
      unnamed.push_back(std::uint32_t(i));
    } else {
      Insert(key, std::uint32_t(i));
    }
  }

  void Remove(std::size_t i) {
    auto it = map.find(std::string_view(keys[i]));
    if (it != map.end() && it->second == i) map.erase(it);
    std::erase(unnamed, std::uint32_t(i));
    keys[i].clear();
  }

  // Brings the index up to the array: new elements, a changed last element, elements named since.
  // (The array drops the index whenever it loses elements.)
  void Sync(const std::vector<TGood>& items) {
    if (indexed > 1) {
      std::size_t last = indexed - 1;
      if (TrimView(items[last].nickname.str()) != keys[last]) {
        Remove(last);
        Add(items, last);
      }
    }
    if (!unnamed.empty()) {
      std::vector<std::uint32_t> still;
      for (std::uint32_t i : unnamed) {
        std::string key(TrimView(items[i].nickname.str()));
        if (key.empty()) {
          still.push_back(i);
        } else {
          keys[i] = key;
          Insert(key, i);
        }
      }
      unnamed.swap(still);
    }
    for (; indexed < items.size(); ++indexed) Add(items, indexed);
  }

  int Find(const std::vector<TGood>& items, std::string_view key) const {
    auto it = map.find(key);
    if (it == map.end()) return -1;
    std::uint32_t i = it->second;
    // The element may have been renamed in place since it was indexed.
    if (i < items.size() && FoldedEqual{}(TrimView(items[i].nickname.str()), key)) return int(i);
    return -2;
  }
};

TGoodArr::TGoodArr() = default;
TGoodArr::TGoodArr(std::initializer_list<TGood> items) : items_(items) {}
TGoodArr::TGoodArr(const TGoodArr& other) : items_(other.items_) {}
TGoodArr::TGoodArr(TGoodArr&& other) noexcept : items_(std::move(other.items_)) { other.NicknamesChanged(); }

TGoodArr& TGoodArr::operator=(const TGoodArr& other) {
  if (this != &other) {
    items_ = other.items_;
    NicknamesChanged();
  }
  return *this;
}

TGoodArr& TGoodArr::operator=(TGoodArr&& other) noexcept {
  if (this != &other) {
    items_ = std::move(other.items_);
    NicknamesChanged();
    other.NicknamesChanged();
  }
  return *this;
}

TGoodArr::~TGoodArr() = default;

TGoodArr::NicknameIndex& TGoodArr::Index() const {
  if (!index_) index_ = std::make_unique<NicknameIndex>();
  return *index_;
}

void TGoodArr::NicknamesChanged() const { index_.reset(); }

int TGoodArr::IndexOfNickname(std::string_view nickname) const {
  std::string_view key = TrimView(nickname);
  if (key.empty() || items_.size() < 2) return -1;
  NicknameIndex& index = Index();
  index.Sync(items_);
  int found = index.Find(items_, key);
  if (found == -2) {
    index.Clear();
    index.Sync(items_);
    found = index.Find(items_, key);
  }
  return found < 0 ? -1 : found;
}

}  // namespace qmz
