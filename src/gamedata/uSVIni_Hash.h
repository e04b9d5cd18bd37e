#pragma once
// String hash and the string list with hashed lookups that the INI classes use for their large section
// and line lists.
#include <algorithm>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "platform/KeyedHash.h"
#include "support/Classes.h"

namespace qmz {

using platform::KeyedHash;

// Chains of entries (a hash and an int) by hash, holding no keys: the owner says which entry matches. A
// newer entry comes first in its chain, so of entries that match the newest is found.
class HashChains {
 public:
  explicit HashChains(int Size = 256) : size_(std::max(Size, 1)) {}

  void Clear();
  // Room for count entries in all, so that adding them grows nothing.
  void Reserve(std::size_t count);
  void Add(std::uint64_t hash, int value);
  int Count() const { return int(entries_.size()); }
  // The value of the newest entry of hash that matches (match is given the value), or -1.
  template <typename Match>
  int Find(std::uint64_t hash, const Match& match) const {
    if (buckets_.empty()) return -1;
    const auto low = std::uint32_t(hash);
    for (int i = buckets_[low % buckets_.size()]; i >= 0; i = entries_[std::size_t(i)].next) {
      if (entries_[std::size_t(i)].hash == low && match(ValueOf(i))) return ValueOf(i);
    }
    return -1;
  }

 private:
  // Of the hash, the low half is kept: enough to pick the bucket and to pass over most entries of other
  // keys without comparing, at half the room of an entry.
  struct Entry {
    std::uint32_t hash;
    int next;  // the next entry of the chain, -1 at its end
  };
  int ValueOf(int entry) const { return ownValues_ ? values_[std::size_t(entry)] : entry; }
  // Spreads the entries over buckets chains.
  void Rebucket(std::size_t buckets);

  int size_;                  // bucket count to start with; the buckets are made at the first Add
  std::vector<int> buckets_;  // head entry of each chain, -1 for an empty chain
  std::vector<Entry> entries_;
  // The value of each entry, kept only once one differs from its entry's number: the lists add their
  // items' numbers in order, and a hash of many short names would otherwise hold each number twice.
  bool ownValues_ = false;
  std::vector<int> values_;
};

// Chained hash of string keys to integers. A key added several times answers with its LAST value, since
// new items go to the head of their chain.
class TStringHash : public TObject {
 public:
  struct Item {
    std::string Key;
    int Value;
  };

  explicit TStringHash(int Size = 256);
  ~TStringHash() override = default;

  void Add(std::string_view Key, int Value);
  // The item of the last Add of Key (exact comparison), or nullptr. Valid until the next Add or Clear.
  const Item* Find(std::string_view Key) const;
  // The value of the last Add of Key, or -1.
  int ValueOf(std::string_view Key) const;
  void Clear();
  int Count() const { return chains_.Count(); }

  // h := (h rotated left by 2) xor character code, over the key's bytes. The chains themselves are
  // picked by a keyed hash, so that names crafted to collide here cannot slow the lookups down.
  virtual std::uint32_t HashOf(std::string_view Key) const;

 private:
  HashChains chains_;        // of the items' numbers
  std::vector<Item> items_;  // in the order they were added
};

// String list whose IndexOf and IndexOfName go through hashes of the upper-cased texts (of the whole item
// and of the part before its first "="). With equal texts or names the LAST index is returned. Appends
// keep the hashes valid; any other change marks them invalid and they are rebuilt at the next lookup.
class THashedStringList : public TStringList {
 public:
  THashedStringList() = default;
  explicit THashedStringList(bool ownsObjects) : TStringList(ownsObjects) {}
  ~THashedStringList() override;

  int IndexOf(std::string_view S) const override;
  int IndexOfName(std::string_view Name) const override;

 protected:
  void Appended(int index) override;
  void Changed(int index) override;

 private:
  // The keyed hash of the text as the list compares it (folded unless the list is case-sensitive).
  std::uint64_t HashOf(std::string_view s) const;
  bool Same(std::string_view a, std::string_view b) const;
  int FindName(std::string_view Name, std::uint64_t hash) const;
  void UpdateValueHash() const {
    if (!ValueHashValid()) RebuildValueHash();
  }
  void UpdateNameHash() const {
    if (!NameHashValid()) RebuildNameHash();
  }
  void RebuildValueHash() const;
  void RebuildNameHash() const;

  // Lists this short are searched from their end instead: the same answer without a hash's memory,
  // which matters for the tens of thousands of small line lists of a game file.
  static constexpr int kScanLimit = 12;
  // A folding buffer grown past this by one long text is given back after use.
  static constexpr std::size_t kKeptKeyRoom = std::size_t(64) << 10;

  // The hashes hold the numbers of the items, not copies of their texts: a lookup compares with the
  // list's own texts. They are made at the first hashed lookup: most line lists are never hashed, and
  // a list of a few lines should cost little more than its lines.
  struct Hashes {
    HashChains value;
    HashChains name;
    bool valueValid = false;
    bool nameValid = false;
    std::string key;  // folding buffer
  };
  Hashes& HashState() const {
    if (!hashes_) hashes_ = std::make_unique<Hashes>();
    return *hashes_;
  }
  bool ValueHashValid() const { return hashes_ && hashes_->valueValid; }
  bool NameHashValid() const { return hashes_ && hashes_->nameValid; }

  mutable std::unique_ptr<Hashes> hashes_;
};

}  // namespace qmz
