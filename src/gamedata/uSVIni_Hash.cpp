#include "gamedata/uSVIni_Hash.h"

#include <algorithm>
#include <optional>

#include "support/SysUtils.h"

namespace qmz {

void HashChains::Clear() {
  entries_.clear();
  values_.clear();
  ownValues_ = false;
  std::fill(buckets_.begin(), buckets_.end(), -1);
}

void HashChains::Reserve(std::size_t count) {
  entries_.reserve(count);
  // As many buckets as adding count entries one by one would end with.
  std::size_t buckets = std::max(buckets_.size(), std::size_t(size_));
  while (buckets * 2 < count) buckets *= 2;
  if (buckets != buckets_.size()) Rebucket(buckets);
}

void HashChains::Add(std::uint64_t hash, int value) {
  if (buckets_.empty()) buckets_.assign(std::size_t(size_), -1);
  // Chains are kept short as the hash fills; a section list holds tens of thousands of names.
  if (entries_.size() >= buckets_.size() * 2) Rebucket(buckets_.size() * 2);
  if (!ownValues_ && value != int(entries_.size())) {
    values_.resize(entries_.size());
    for (std::size_t i = 0; i < values_.size(); ++i) values_[i] = int(i);
    ownValues_ = true;
  }
  if (ownValues_) values_.push_back(value);
  const auto low = std::uint32_t(hash);
  int& head = buckets_[low % buckets_.size()];
  try {
    entries_.push_back({low, head});
  } catch (...) {
    if (ownValues_) values_.pop_back();
    throw;
  }
  head = int(entries_.size()) - 1;
}

void HashChains::Rebucket(std::size_t buckets) {
  buckets_.assign(buckets, -1);
  // Re-adding in the original order puts the newest entry of each key at the head of its chain again.
  for (std::size_t i = 0; i < entries_.size(); ++i) {
    int& head = buckets_[entries_[i].hash % buckets_.size()];
    entries_[i].next = head;
    head = int(i);
  }
}

TStringHash::TStringHash(int Size) : chains_(Size) {}

std::uint32_t TStringHash::HashOf(std::string_view Key) const {
  std::uint32_t h = 0;
  for (unsigned char c : Key) h = ((h << 2) | (h >> 30)) ^ c;
  return h;
}

void TStringHash::Add(std::string_view Key, int Value) {
  chains_.Add(KeyedHash(Key), int(items_.size()));
  items_.push_back({std::string(Key), Value});
}

const TStringHash::Item* TStringHash::Find(std::string_view Key) const {
  const int i = chains_.Find(KeyedHash(Key), [&](int item) { return items_[std::size_t(item)].Key == Key; });
  return i < 0 ? nullptr : &items_[std::size_t(i)];
}

int TStringHash::ValueOf(std::string_view Key) const {
  const Item* item = Find(Key);
  return item != nullptr ? item->Value : -1;
}

void TStringHash::Clear() {
  items_.clear();
  chains_.Clear();
}

THashedStringList::~THashedStringList() = default;

std::uint64_t THashedStringList::HashOf(std::string_view s) const {
  if (CaseSensitive()) return KeyedHash(s);
  // Only the hashed lookups hash, and they made the hashes first.
  std::string& key = hashes_->key;
  LowerCaseTo(s, key);
  const std::uint64_t hash = KeyedHash(key);
  if (key.capacity() > kKeptKeyRoom) std::string().swap(key);
  return hash;
}

bool THashedStringList::Same(std::string_view a, std::string_view b) const {
  return CaseSensitive() ? a == b : SameText(a, b);
}

namespace {

// The name of a line: its text before the first "="; none when it holds no "=".
std::optional<std::string_view> NameOf(std::string_view line) {
  const auto eq = line.find('=');
  if (eq == std::string_view::npos) return std::nullopt;
  return line.substr(0, eq);
}

}  // namespace

void THashedStringList::RebuildValueHash() const {
  Hashes& h = HashState();
  h.value.Clear();
  h.value.Reserve(std::size_t(Count()));
  for (int i = 0; i < Count(); ++i) h.value.Add(HashOf(Strings(i)), i);
  h.valueValid = true;
}

void THashedStringList::RebuildNameHash() const {
  Hashes& h = HashState();
  h.name.Clear();
  for (int i = 0; i < Count(); ++i) {
    if (const auto name = NameOf(Strings(i))) h.name.Add(HashOf(*name), i);
  }
  h.nameValid = true;
}

int THashedStringList::FindName(std::string_view Name, std::uint64_t hash) const {
  return hashes_->name.Find(hash, [&](int i) {
    const auto name = NameOf(Strings(i));
    return name && Same(*name, Name);
  });
}

int THashedStringList::IndexOf(std::string_view S) const {
  if (Count() <= kScanLimit && !ValueHashValid()) {
    for (int i = Count() - 1; i >= 0; --i) {
      if (Same(Strings(i), S)) return i;
    }
    return -1;
  }
  UpdateValueHash();
  return hashes_->value.Find(HashOf(S), [&](int i) { return Same(Strings(i), S); });
}

int THashedStringList::IndexOfName(std::string_view Name) const {
  if (Count() <= kScanLimit && !NameHashValid()) {
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
  return FindName(Name, HashOf(Name));
}

void THashedStringList::Appended(int index) {
  // A new last item can only become the answer for its own text, which Add puts first in its chain.
  if (!hashes_) return;
  const std::string_view s = Strings(index);
  if (hashes_->valueValid) hashes_->value.Add(HashOf(s), index);
  if (hashes_->nameValid) {
    if (const auto name = NameOf(s)) hashes_->name.Add(HashOf(*name), index);
  }
}

void THashedStringList::Changed(int index) {
  if (!hashes_) return;
  hashes_->valueValid = false;
  if (!hashes_->nameValid || index < 0) {
    hashes_->nameValid = false;
    return;
  }
  // A replaced line whose name stays the same (a value written in place) leaves the name hash as it
  // was: the hash answers index for that name exactly when index held that name before.
  const auto name = NameOf(Strings(index));
  hashes_->nameValid = name && FindName(*name, HashOf(*name)) == index;
}

}  // namespace qmz
