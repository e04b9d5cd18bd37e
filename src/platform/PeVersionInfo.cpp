#include "platform/PeVersionInfo.h"

#include "platform/AsciiText.h"
#include "platform/LittleEndian.h"
#include "platform/PeResources.h"
#include "platform/Utf16.h"

namespace qmz::platform {

namespace {

size_t Align4(size_t at) { return (at + 3) & ~size_t{3}; }

// One node of the version resource: length, value length, type, key, then value and child nodes,
// each 32-bit aligned from the start of the resource.
struct Node {
  std::string Key;
  std::span<const uint8_t> Value;
  size_t Children;
  size_t End;
};

std::optional<Node> ReadNode(std::span<const uint8_t> block, size_t at, size_t limit) {
  if (at >= limit || limit - at < 6) return std::nullopt;
  const size_t length = ReadLe16(block, at);
  if (length < 6 || length > limit - at) return std::nullopt;
  const size_t end = at + length;
  const uint16_t valueLength = ReadLe16(block, at + 2);
  const uint16_t type = ReadLe16(block, at + 4);
  std::u16string key;
  size_t p = at + 6;
  for (;; p += 2) {
    if (p + 2 > end) return std::nullopt;  // key without its terminator
    const auto unit = static_cast<char16_t>(ReadLe16(block, p));
    if (unit == 0) break;
    key += unit;
  }
  p = std::min(Align4(p + 2), end);
  // Text values count in characters, binary ones in bytes. Some tools write a text's size in bytes;
  // that only makes the span longer, and a text ends at its terminator anyway.
  const size_t valueSize = std::min<size_t>(type == 1 ? size_t{valueLength} * 2 : valueLength, end - p);
  return Node{Utf16ToUtf8(key), block.subspan(p, valueSize), std::min(Align4(p + valueSize), end), end};
}

std::string TextValue(std::span<const uint8_t> value) {
  std::u16string text;
  for (size_t i = 0; i + 1 < value.size(); i += 2) {
    const auto unit = static_cast<char16_t>(ReadLe16(value, i));
    if (unit == 0) break;
    text += unit;
  }
  return Utf16ToUtf8(text);
}

bool IsKey(const Node& node, std::string_view key) { return AsciiLower(node.Key) == AsciiLower(key); }

// Calls visit for each child node of parent; stops at the first damaged child.
template <typename Visit>
void ForEachChild(std::span<const uint8_t> block, const Node& parent, Visit visit) {
  size_t at = parent.Children;
  while (at < parent.End) {
    const auto child = ReadNode(block, at, parent.End);
    if (!child) return;
    visit(*child);
    at = Align4(child->End);
  }
}

}  // namespace

std::optional<std::string> PeVersionInfo::StringValue(std::string_view table, std::string_view key) const {
  for (const StringTable& t : StringTables) {
    if (AsciiLower(t.Name) != AsciiLower(table)) continue;
    for (const auto& [name, value] : t.Values) {
      if (AsciiLower(name) == AsciiLower(key)) return value;
    }
  }
  return std::nullopt;
}

std::optional<PeVersionInfo> ParsePeVersionInfo(std::span<const uint8_t> image) {
  const PeResources resources(image);
  const auto found = PeResources::PreferredLanguage(resources.OfType(kPeResourceVersion));
  if (found.empty()) return std::nullopt;
  const auto block = found.front().Data;
  const auto root = ReadNode(block, 0, block.size());
  if (!root || !IsKey(*root, "VS_VERSION_INFO")) return std::nullopt;

  PeVersionInfo info;
  if (root->Value.size() >= 52 && ReadLe32(root->Value, 0) == 0xFEEF04BDu) {
    const uint32_t high = ReadLe32(root->Value, 8);
    const uint32_t low = ReadLe32(root->Value, 12);
    info.FileVersion = PeFileVersion{static_cast<uint16_t>(high >> 16), static_cast<uint16_t>(high & 0xFFFF),
                                     static_cast<uint16_t>(low >> 16), static_cast<uint16_t>(low & 0xFFFF)};
  }
  // The three levels below the root are walked with fixed nesting, never by recursion on the input.
  ForEachChild(block, *root, [&](const Node& group) {
    if (IsKey(group, "StringFileInfo")) {
      ForEachChild(block, group, [&](const Node& table) {
        PeVersionInfo::StringTable strings{table.Key, {}};
        ForEachChild(block, table,
                     [&](const Node& value) { strings.Values.emplace_back(value.Key, TextValue(value.Value)); });
        info.StringTables.push_back(std::move(strings));
      });
    } else if (IsKey(group, "VarFileInfo")) {
      ForEachChild(block, group, [&](const Node& var) {
        if (!IsKey(var, "Translation")) return;
        for (size_t i = 0; i + 4 <= var.Value.size(); i += 4) info.Translations.push_back(ReadLe32(var.Value, i));
      });
    }
  });
  return info;
}

std::optional<PeVersionInfo> ReadPeVersionInfo(const std::filesystem::path& file) {
  const std::vector<uint8_t> image = PeResources::ReadFile(file);
  return ParsePeVersionInfo(image);
}

}  // namespace qmz::platform
