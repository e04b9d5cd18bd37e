#include "platform/Registry.h"

#include <mutex>

#include "platform/AsciiText.h"
#include "platform/WinePrefix.h"
#include "platform/WineRegistry.h"

namespace qmz::platform {

namespace {

// "\SOFTWARE\\A\B\" -> "SOFTWARE\A\B": no empty names, no leading or trailing separator.
std::string NormalizedPath(std::string_view path) {
  std::string out;
  size_t i = 0;
  while (i < path.size()) {
    const size_t end = std::min(path.find('\\', i), path.size());
    if (end > i) {
      if (!out.empty()) out += '\\';
      out.append(path.substr(i, end - i));
    }
    i = end + 1;
  }
  return out;
}

size_t RootIndex(RegistryRoot root) { return root == RegistryRoot::LocalMachine ? 0 : 1; }

}  // namespace

RegistryKey::~RegistryKey() {
  // A damaged file can nest keys thousands deep: take the tree down with a work list, not recursion.
  std::vector<std::unique_ptr<RegistryKey>> pending;
  for (auto& [name, key] : subKeys_) pending.push_back(std::move(key));
  while (!pending.empty()) {
    std::unique_ptr<RegistryKey> key = std::move(pending.back());
    pending.pop_back();
    for (auto& [name, sub] : key->subKeys_) pending.push_back(std::move(sub));
    key->subKeys_.clear();
  }
}

bool RegistryKey::ValueExists(std::string_view name) const { return index_.count(AsciiLower(name)) != 0; }

std::optional<std::string> RegistryKey::ReadString(std::string_view name) const {
  const auto it = index_.find(AsciiLower(name));
  if (it == index_.end()) return std::nullopt;
  return values_[it->second].text;
}

std::vector<std::string> RegistryKey::ValueNames() const {
  std::vector<std::string> names;
  names.reserve(values_.size());
  for (const Value& v : values_) names.push_back(v.name);
  return names;
}

void RegistryKey::SetString(std::string_view name, std::string value) { Set(name, std::move(value)); }

void RegistryKey::SetNonString(std::string_view name) { Set(name, std::nullopt); }

void RegistryKey::Set(std::string_view name, std::optional<std::string> text) {
  const auto [it, added] = index_.emplace(AsciiLower(name), values_.size());
  if (added) {
    values_.push_back({std::string(name), std::move(text)});
  } else {
    values_[it->second].text = std::move(text);
  }
}

const RegistryKey* Registry::OpenKey(RegistryRoot root, std::string_view path) const {
  const std::string folded = AsciiLower(NormalizedPath(path));
  static constexpr std::string_view kSoftware = "software\\";
  static constexpr std::string_view kWow = "software\\wow6432node";
  const bool redirectable = folded.starts_with(kSoftware) &&
                            !(folded.starts_with(kWow) &&
                              (folded.size() == kWow.size() || folded[kWow.size()] == '\\'));
  if (!redirectable) return FindKey(root, folded);
  const std::string wow = std::string(kWow) + folded.substr(kSoftware.size() - 1);
  const std::string& first = root == RegistryRoot::LocalMachine ? wow : folded;
  const std::string& second = root == RegistryRoot::LocalMachine ? folded : wow;
  if (const RegistryKey* key = FindKey(root, first)) return key;
  return FindKey(root, second);
}

std::optional<std::string> Registry::ReadString(RegistryRoot root, std::string_view path, std::string_view name) const {
  const RegistryKey* key = OpenKey(root, path);
  return key != nullptr ? key->ReadString(name) : std::nullopt;
}

RegistryKey& MemoryRegistry::AddKey(RegistryRoot root, std::string_view path) {
  // Wine writes only keys that hold something, yet every key above one exists, so add them all.
  RegistryKey* key = &roots_[RootIndex(root)];
  const std::string normalized = NormalizedPath(path);
  for (size_t i = 0; i < normalized.size();) {
    const size_t end = std::min(normalized.find('\\', i), normalized.size());
    const std::string_view name = std::string_view(normalized).substr(i, end - i);
    auto& slot = key->subKeys_[AsciiLower(name)];
    if (!slot) slot = std::make_unique<RegistryKey>(std::string(name));
    key = slot.get();
    i = end + 1;
  }
  return *key;
}

const RegistryKey* MemoryRegistry::FindKey(RegistryRoot root, const std::string& foldedPath) const {
  const RegistryKey* key = &roots_[RootIndex(root)];
  for (size_t i = 0; key != nullptr && i < foldedPath.size();) {
    const size_t end = std::min(foldedPath.find('\\', i), foldedPath.size());
    const auto it = key->subKeys_.find(std::string_view(foldedPath).substr(i, end - i));
    key = it != key->subKeys_.end() ? it->second.get() : nullptr;
    i = end + 1;
  }
  return key;
}

namespace {

std::mutex processMutex;
std::shared_ptr<const Registry> processRegistry;

}  // namespace

std::shared_ptr<const Registry> ProcessRegistry() {
  std::lock_guard lock(processMutex);
  if (!processRegistry) {
    const std::filesystem::path prefix = WinePrefix();
    processRegistry = prefix.empty() ? std::make_shared<MemoryRegistry>() : WineRegistry::LoadPrefix(prefix);
  }
  return processRegistry;
}

void SetProcessRegistry(std::shared_ptr<const Registry> registry) {
  std::lock_guard lock(processMutex);
  processRegistry = std::move(registry);
}

void ResetProcessRegistry() { SetProcessRegistry(nullptr); }

}  // namespace qmz::platform
