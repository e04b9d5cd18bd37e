#include "platform/PeStringTable.h"

#include "platform/LittleEndian.h"
#include "platform/PeResources.h"
#include "platform/Utf16.h"

namespace qmz::platform {

PeStringTable PeStringTable::FromFile(const std::filesystem::path& file) {
  const std::vector<uint8_t> image = PeResources::ReadFile(file);
  return PeStringTable(image);
}

PeStringTable::PeStringTable(std::span<const uint8_t> image) {
  const PeResources resources(image);
  for (const PeResource& block : PeResources::PreferredLanguage(resources.OfType(kPeResourceString))) {
    if (block.Name == 0 || block.Name > 0x1000) continue;  // blocks 1..4096 cover ids 0..65535
    const auto data = block.Data;
    size_t at = 0;
    for (uint32_t entry = 0; entry < 16; ++entry) {
      if (at + 2 > data.size()) break;
      const size_t length = ReadLe16(data, at);
      at += 2;
      const size_t available = std::min(length, (data.size() - at) / 2);
      std::u16string text;
      for (size_t i = 0; i < available && text.size() < kMaxChars; ++i) {
        const auto unit = static_cast<char16_t>(ReadLe16(data, at + 2 * i));
        if (unit == 0) break;
        text += unit;
      }
      // A cut between the halves of a pair would leave half a character.
      if (text.size() == kMaxChars && text.back() >= 0xD800 && text.back() <= 0xDBFF) text.pop_back();
      if (available < length) break;  // the block ends inside this text: a damaged block, no text
      at += 2 * available;
      if (!text.empty()) strings_.emplace(static_cast<uint16_t>((block.Name - 1) * 16 + entry), Utf16ToUtf8(text));
    }
  }
}

std::string PeStringTable::LoadString(uint32_t id) const {
  const auto it = id <= 0xFFFF ? strings_.find(static_cast<uint16_t>(id)) : strings_.end();
  return it != strings_.end() ? it->second : std::string();
}

}  // namespace qmz::platform
