#pragma once
// String hash and the string list with hashed lookups that the INI classes use for their large section
// and line lists.
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "platform/KeyedHash.h"
#include "support/Classes.h"

namespace qmz {

using platform::KeyedHash;

// Chained hash of string keys to integers. A key added several times answers with its LAST value, since
// new items go to the head of their chain.
class TStringHash : public TObject {
 public:
  explicit TStringHash(int Size = 256);
  ~TStringHash() override = default;

  void Add(std::string_view Key, int Value);
  // The value of the last Add of Key (exact comparison), or -1.
  int ValueOf(std::string_view Key) const;
  void Clear();
  int Count() const { return int(items_.size()); }

  // h := (h rotated left by 2) xor character code, over the key's bytes. The chains themselves are
  // picked by a keyed hash, so that names crafted to collide here cannot slow the lookups down.
  virtual std::uint32_t HashOf(std::string_view Key) const;

 private:
  struct Item {
    std::string key;
    std::uint64_t hash;  // the keyed chain hash
    int value;
    int next;  // index of the next item of the chain, -1 at its end
  };
  int Find(std::string_view Key, std::uint64_t hash) const;
  void Grow();

  int size_;                  // bucket count to start with; the buckets are made at the first Add
  std::vector<int> buckets_;  // head item of each chain, -1 for an empty chain
  std::vector<Item> items_;   // in the order they were added
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
  // The text as the hashes hold it, in a buffer of the list (valid until the next call).
  const std::string& Key(std::string_view s) const;
  bool Same(std::string_view a, std::string_view b) const;
  void UpdateValueHash() const;
  void UpdateNameHash() const;

  // Lists this short are searched from their end instead: the same answer without a hash's memory,
  // which matters for the tens of thousands of small line lists of a game file.
  static constexpr int kScanLimit = 12;

  mutable TStringHash valueHash_;
  mutable TStringHash nameHash_;
  mutable bool valueHashValid_ = false;
  mutable bool nameHashValid_ = false;
  mutable std::string key_;
};

}  // namespace qmz
