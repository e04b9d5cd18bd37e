#pragma once
#include <cstdint>
#include <filesystem>
#include <span>
#include <vector>

namespace qmz::platform {

// Resource types the program reads.
inline constexpr uint16_t kPeResourceString = 6;    // RT_STRING
inline constexpr uint16_t kPeResourceVersion = 16;  // RT_VERSION

// One leaf of a PE file's resource tree: type / name / language, and its bytes inside the image.
struct PeResource {
  uint16_t Name;
  uint16_t Language;
  std::span<const uint8_t> Data;
};

// A bounds-checked reader of the resource directory of a PE32 or PE32+ file (DOS header, PE header,
// section table, resource data directory, then the three fixed levels type / name / language).
// Every offset, size, count and RVA is checked against the file; a damaged file simply has fewer (or
// no) resources. Entries named by strings instead of numbers are skipped: the game uses numbers.
class PeResources {
 public:
  // Reads the whole file; an unreadable or overlarge file gives an image without resources.
  static std::vector<uint8_t> ReadFile(const std::filesystem::path& file);

  // The image must outlive this object and the spans it hands out.
  explicit PeResources(std::span<const uint8_t> image);

  // True when the headers were sound and the file has a resource directory.
  bool HasResources() const { return resourceSize_ != 0; }

  // The leaves of one resource type in directory order (only the first directory entry of the type).
  std::vector<PeResource> OfType(uint16_t type) const;

  // Of several languages of one name: 0x409 (US English), else neutral (0), else the first found.
  // Returns one resource per name, in the order the names first appear.
  static std::vector<PeResource> PreferredLanguage(const std::vector<PeResource>& resources);

 private:
  struct Section {
    uint32_t VirtualAddress;
    uint32_t RawSize;
    uint32_t RawOffset;
  };
  // The bytes at an RVA: at most `size` of them; empty when the RVA lies in no section's file data.
  std::span<const uint8_t> AtRva(uint32_t rva, uint64_t size) const;

  std::span<const uint8_t> image_;
  std::vector<Section> sections_;
  size_t resourceOffset_ = 0;  // file offset of the resource directory
  size_t resourceSize_ = 0;    // bytes from there to the end of its section's file data
};

}  // namespace qmz::platform
