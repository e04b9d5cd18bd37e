#include "platform/PeResources.h"

#include <algorithm>
#include <unordered_map>

#include "platform/LittleEndian.h"
#include "platform/WholeFile.h"

namespace qmz::platform {

namespace {

// Resource DLLs are a few megabytes; anything beyond this is not one of the game's files.
constexpr size_t kMaxFileSize = size_t{256} << 20;
// Upper bound of directory entries looked at in one walk. Real files have a few thousand; a crafted
// file whose entries all point back at the same directories could otherwise make the walk explode.
constexpr size_t kMaxEntries = 1u << 18;
constexpr uint32_t kHighBit = 0x80000000u;

bool Fits(std::span<const uint8_t> b, uint64_t at, uint64_t size) { return at <= b.size() && size <= b.size() - at; }

}  // namespace

std::vector<uint8_t> PeResources::ReadFile(const std::filesystem::path& file) {
  std::string bytes;
  if (!ReadWholeFile(file.string(), bytes, kMaxFileSize)) return {};
  return std::vector<uint8_t>(bytes.begin(), bytes.end());
}

PeResources::PeResources(std::span<const uint8_t> image) : image_(image) {
  if (!Fits(image, 0, 64) || image[0] != 'M' || image[1] != 'Z') return;
  const uint64_t pe = ReadLe32(image, 0x3C);
  if (!Fits(image, pe, 24) || ReadLe32(image, pe) != 0x00004550u) return;  // "PE\0\0"
  const uint16_t sectionCount = ReadLe16(image, pe + 6);
  const uint16_t optionalSize = ReadLe16(image, pe + 20);
  const uint64_t optional = pe + 24;
  if (!Fits(image, optional, optionalSize) || optionalSize < 2) return;

  uint64_t directories = 0;  // offset of the data directories inside the optional header
  const uint16_t magic = ReadLe16(image, optional);
  if (magic == 0x10B) {
    directories = 96;  // PE32
  } else if (magic == 0x20B) {
    directories = 112;  // PE32+
  } else {
    return;
  }
  if (optionalSize < directories) return;
  const uint32_t directoryCount = ReadLe32(image, optional + directories - 4);
  constexpr uint32_t kResourceDirectory = 2;
  if (directoryCount <= kResourceDirectory || optionalSize < directories + (kResourceDirectory + 1) * 8) return;
  const uint32_t resourceRva = ReadLe32(image, optional + directories + kResourceDirectory * 8);
  if (resourceRva == 0) return;

  const uint64_t table = optional + optionalSize;
  if (!Fits(image, table, uint64_t{sectionCount} * 40)) return;
  sections_.reserve(sectionCount);
  for (uint16_t i = 0; i < sectionCount; ++i) {
    const uint64_t s = table + uint64_t{i} * 40;
    sections_.push_back({ReadLe32(image, s + 12), ReadLe32(image, s + 16), ReadLe32(image, s + 20)});
  }
  // The directory's own size field is often too small or zero; its section's file data bounds it.
  const auto resources = AtRva(resourceRva, image.size());
  if (resources.size() < 16) return;
  resourceOffset_ = static_cast<size_t>(resources.data() - image.data());
  resourceSize_ = resources.size();
}

std::span<const uint8_t> PeResources::AtRva(uint32_t rva, uint64_t size) const {
  for (const Section& s : sections_) {
    if (rva < s.VirtualAddress) continue;
    const uint64_t into = rva - s.VirtualAddress;
    if (into >= s.RawSize || !Fits(image_, s.RawOffset, 0)) continue;
    const uint64_t start = uint64_t{s.RawOffset} + into;
    const uint64_t end = std::min<uint64_t>(uint64_t{s.RawOffset} + s.RawSize, image_.size());
    if (start >= end) continue;
    return image_.subspan(static_cast<size_t>(start), static_cast<size_t>(std::min<uint64_t>(size, end - start)));
  }
  return {};
}

std::vector<PeResource> PeResources::OfType(uint16_t type) const {
  std::vector<PeResource> found;
  if (!HasResources()) return found;
  const auto tree = image_.subspan(resourceOffset_, resourceSize_);
  size_t budget = kMaxEntries;

  struct Entry {
    uint32_t Name;
    uint32_t Target;
  };
  // The entries of the directory at a tree offset, or none when it does not fit.
  const auto entries = [&](uint32_t offset) {
    std::vector<Entry> list;
    if (!Fits(tree, offset, 16)) return list;
    uint64_t count = uint64_t{ReadLe16(tree, offset + 12)} + ReadLe16(tree, offset + 14);
    count = std::min<uint64_t>({count, (tree.size() - offset - 16) / 8, budget});
    budget -= static_cast<size_t>(count);
    list.reserve(static_cast<size_t>(count));
    for (uint64_t i = 0; i < count; ++i) {
      const uint64_t at = offset + 16 + i * 8;
      list.push_back({ReadLe32(tree, at), ReadLe32(tree, at + 4)});
    }
    return list;
  };
  const auto numbered = [](const Entry& e) { return (e.Name & kHighBit) == 0 && e.Name <= 0xFFFF; };
  const auto isDirectory = [](const Entry& e) { return (e.Target & kHighBit) != 0; };

  for (const Entry& t : entries(0)) {
    if (!numbered(t) || t.Name != type || !isDirectory(t)) continue;
    for (const Entry& n : entries(t.Target & ~kHighBit)) {
      if (!numbered(n) || !isDirectory(n)) continue;
      for (const Entry& l : entries(n.Target & ~kHighBit)) {
        // The language level holds data entries; a deeper directory here is not followed.
        if (!numbered(l) || isDirectory(l) || !Fits(tree, l.Target, 16)) continue;
        const uint32_t dataRva = ReadLe32(tree, l.Target);
        const uint32_t dataSize = ReadLe32(tree, l.Target + 4);
        const auto data = AtRva(dataRva, dataSize);
        if (data.size() != dataSize) continue;  // cut off by the end of its section or file
        found.push_back({static_cast<uint16_t>(n.Name), static_cast<uint16_t>(l.Name), data});
      }
    }
    break;  // only the first directory of the type counts
  }
  return found;
}

std::vector<PeResource> PeResources::PreferredLanguage(const std::vector<PeResource>& resources) {
  std::vector<PeResource> chosen;
  std::unordered_map<uint16_t, size_t> byName;
  const auto rank = [](uint16_t language) { return language == 0x409 ? 0 : language == 0 ? 1 : 2; };
  for (const PeResource& r : resources) {
    const auto [it, added] = byName.emplace(r.Name, chosen.size());
    if (added) {
      chosen.push_back(r);
    } else if (rank(r.Language) < rank(chosen[it->second].Language)) {
      chosen[it->second] = r;
    }
  }
  return chosen;
}

}  // namespace qmz::platform
