#pragma once
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/KeyedHash.h"

namespace qmz::platform {

// The two registry roots the program reads.
enum class RegistryRoot { LocalMachine, CurrentUser };

// One key with its values, read-only for users of a Registry. Value names compare case-insensitively,
// as on Windows; ValueNames keeps the order in which the values were stored.
class RegistryKey {
 public:
  explicit RegistryKey(std::string name) : name_(std::move(name)) {}
  RegistryKey(const RegistryKey&) = delete;
  RegistryKey& operator=(const RegistryKey&) = delete;
  ~RegistryKey();

  // The key's own name (the last of its path) as first written.
  const std::string& Name() const { return name_; }
  bool ValueExists(std::string_view name) const;
  // The text of a string value (REG_SZ or REG_EXPAND_SZ, not expanded); nullopt when the value is
  // absent or holds another type. The default value has the empty name.
  std::optional<std::string> ReadString(std::string_view name) const;
  std::vector<std::string> ValueNames() const;

  // Used by the implementations to fill the key; a value set twice keeps its place and takes the new data.
  void SetString(std::string_view name, std::string value);
  void SetNonString(std::string_view name);

 private:
  struct Value {
    std::string name;
    std::optional<std::string> text;
  };
  void Set(std::string_view name, std::optional<std::string> text);

  friend class MemoryRegistry;
  std::string name_;
  std::vector<Value> values_;
  // Names come from the prefix's files: tables of them use the keyed hash.
  KeyedHashMap<size_t> index_;  // lower-case name -> position in values_
  // The keys below, by lower-case name: a tree, so a key costs its own name, not its whole path.
  KeyedHashMap<std::unique_ptr<RegistryKey>> subKeys_;
};

// Read access to a registry. Key paths use "\" between names, may start with "\" and ignore letter
// case. Under HKEY_LOCAL_MACHINE a key below Software\ is looked up in Software\Wow6432Node\ first,
// because the game and its mod manager are 32-bit programs and see that view of a 64-bit prefix;
// under HKEY_CURRENT_USER the plain key comes first and Wow6432Node is the fallback.
class Registry {
 public:
  virtual ~Registry() = default;

  // The key, or nullptr when it does not exist. Never creates a key. The pointer stays valid as long
  // as the registry object lives.
  const RegistryKey* OpenKey(RegistryRoot root, std::string_view path) const;
  bool KeyExists(RegistryRoot root, std::string_view path) const { return OpenKey(root, path) != nullptr; }
  // Shorthand for OpenKey + ReadString: nullopt when the key or the string value is absent.
  std::optional<std::string> ReadString(RegistryRoot root, std::string_view path, std::string_view name) const;

 protected:
  // Exact lookup of a key by its folded form: lower case, no leading or trailing "\", single "\"
  // between names; the empty path is the root itself.
  virtual const RegistryKey* FindKey(RegistryRoot root, const std::string& foldedPath) const = 0;
};

// A registry held in memory: what the Wine reader fills, and what tests of other modules set up.
class MemoryRegistry : public Registry {
 public:
  // Returns the key, creating it and every key above it.
  RegistryKey& AddKey(RegistryRoot root, std::string_view path);
  void SetString(RegistryRoot root, std::string_view path, std::string_view name, std::string value) {
    AddKey(root, path).SetString(name, std::move(value));
  }

 protected:
  const RegistryKey* FindKey(RegistryRoot root, const std::string& foldedPath) const override;

 private:
  RegistryKey roots_[2] = {RegistryKey(""), RegistryKey("")};
};

// The registry the program reads: the Wine registry of WinePrefix(), parsed once per process on first
// use (an empty registry when there is no prefix). SetProcessRegistry replaces it (tests hand in a
// MemoryRegistry); ResetProcessRegistry drops it, so the next use reads the prefix again.
std::shared_ptr<const Registry> ProcessRegistry();
void SetProcessRegistry(std::shared_ptr<const Registry> registry);
void ResetProcessRegistry();

}  // namespace qmz::platform
