#include "gamedata/uSVIni_Hash.h"

#include <algorithm>

#include "support/SysUtils.h"

namespace qmz {

TStringHash::TStringHash(int Size) : size_(std::max(Size, 1)) {}

std::uint32_t TStringHash::HashOf(std::string_view Key) const {
  std::uint32_t h = 0;
  for (unsigned char c : Key) h = ((h << 2) | (h >> 30)) ^ c;
  return h;
}

void TStringHash::Add(std::string_view Key, int Value) {
  if (buckets_.empty()) buckets_.assign(std::size_t(size_), -1);
  // Chains are kept short as the hash fills; a section list holds tens of thousands of names.
  if (items_.size() >= buckets_.size() * 2) Grow();
  const std::uint64_t hash = KeyedHash(Key);
  int& head = buckets_[hash % buckets_.size()];
  items_.push_back({std::string(Key), hash, Value, head});
  head = int(items_.size()) - 1;
}

void TStringHash::Grow() {
  buckets_.assign(buckets_.size() * 2, -1);
  // Re-adding in the original order puts the newest item of each key at the head of its chain again.
  for (std::size_t i = 0; i < items_.size(); ++i) {
    int& head = buckets_[items_[i].hash % buckets_.size()];
    items_[i].next = head;
    head = int(i);
  }
}

int TStringHash::Find(std::string_view Key, std::uint64_t hash) const {
  if (buckets_.empty()) return -1;
  for (int i = buckets_[hash % buckets_.size()]; i >= 0; i = items_[std::size_t(i)].next) {
    const Item& item = items_[std::size_t(i)];
    if (item.hash == hash && item.key == Key) return i;
  }
  return -1;
}

int TStringHash::ValueOf(std::string_view Key) const {
  const int i = Find(Key, KeyedHash(Key));
  return i < 0 ? -1 : items_[std::size_t(i)].value;
}

void TStringHash::Clear() {
  items_.clear();
  std::fill(buckets_.begin(), buckets_.end(), -1);
}

THashedStringList::~THashedStringList() = default;

const std::string& THashedStringList::Key(std::string_view s) const {
  if (CaseSensitive()) {
    key_.assign(s);
  } else {
    LowerCaseTo(s, key_);
  }
  return key_;
}

bool THashedStringList::Same(std::string_view a, std::string_view b) const {
  return CaseSensitive() ? a == b : SameText(a, b);
}

void THashedStringList::UpdateValueHash() const {
  if (valueHashValid_) return;
  valueHash_.Clear();
  for (int i = 0; i < Count(); ++i) valueHash_.Add(Key(Strings(i)), i);
  valueHashValid_ = true;
}

void THashedStringList::UpdateNameHash() const {
  if (nameHashValid_) return;
  nameHash_.Clear();
  for (int i = 0; i < Count(); ++i) {
    const std::string_view s = Strings(i);
    const auto eq = s.find('=');
    if (eq != std::string_view::npos) nameHash_.Add(Key(s.substr(0, eq)), i);
  }
  nameHashValid_ = true;
}

int THashedStringList::IndexOf(std::string_view S) const {
  if (Count() <= kScanLimit && !valueHashValid_) {
    for (int i = Count() - 1; i >= 0; --i) {
      if (Same(Strings(i), S)) return i;
    }
    return -1;
  }
  UpdateValueHash();
  return valueHash_.ValueOf(Key(S));
}

int THashedStringList::IndexOfName(std::string_view Name) const {
  if (Count() <= kScanLimit && !nameHashValid_) {
    // A line's name ends at its first "=", so no name holds one; a line of this name has its "=" right
    // after it (folding keeps lengths and makes no "=").
    if (Name.find('=') != std::string_view::npos) return -1;
    const std::size_t n = Name.size();
    for (int i = Count() - 1; i >= 0; --i) {
      const std::string_view s = Strings(i);
      if (s.size() > n && s[n] == '=' && Same(s.substr(0, n), Name)) return i;
    }
    return -1;
  }
  UpdateNameHash();
  return nameHash_.ValueOf(Key(Name));
}

void THashedStringList::Appended(int index) {
  // A new last item can only become the answer for its own text, which Add puts first in its chain.
  const std::string_view s = Strings(index);
  if (valueHashValid_) valueHash_.Add(Key(s), index);
  if (nameHashValid_) {
    const auto eq = s.find('=');
    if (eq != std::string_view::npos) nameHash_.Add(Key(s.substr(0, eq)), index);
  }
}

void THashedStringList::Changed(int index) {
  valueHashValid_ = false;
  if (!nameHashValid_ || index < 0) {
    nameHashValid_ = false;
    return;
  }
  // A replaced line whose name stays the same (a value written in place) leaves the name hash as it
  // was: the hash answers index for that name exactly when index held that name before.
  const std::string_view s = Strings(index);
  const auto eq = s.find('=');
  nameHashValid_ = eq != std::string_view::npos && nameHash_.ValueOf(Key(s.substr(0, eq))) == index;
}

}  // namespace qmz
