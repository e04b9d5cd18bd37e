#include "gamedata/uIniDecoder.h"

#include <charconv>
#include <algorithm>
#include <bit>
#include <cmath>
#include <cstring>
#include <span>
#include <vector>

#include "platform/LittleEndian.h"
#include "platform/WholeFile.h"
#include "support/Classes.h"
#include "support/SysUtils.h"

namespace qmz {

const std::array<const char*, 11> BiniStatusText = {
    "Decompressing of INI File did not complete - general error",
    "This INI File is no compressed INI in Starvagant BINI format",
    "Entry with wrong format found - decode can not complete",
    "The Destination File does not exist",
    "The Source File does not exist",
    "The size of the given File is too small - file cant be decompressed",
    "",
    "",
    "",
    "",
    "Decode Success",
};

namespace {

constexpr std::uint32_t kBiniMagic = 0x494E4942;  // "BINI" read little-endian
constexpr std::size_t kHeaderSize = 12;
constexpr std::size_t kEntrySize = 3;  // an entry record without values

using Bytes = std::span<const std::uint8_t>;
using platform::ReadLe16;
using platform::ReadLe32;

Bytes AsBytes(std::string_view data) { return {reinterpret_cast<const std::uint8_t*>(data.data()), data.size()}; }

// Texts of a string table that is not UTF-8, converted once per offset named and kept in one buffer,
// found through an open-addressing table keyed by the offset.
class ConvertedTexts {
 public:
  // The converted text of offset; a text without data (not an empty one) when it was not converted yet.
  std::string_view Find(std::uint32_t offset) const {
    if (slots_.empty()) return {};
    for (std::size_t i = Home(offset);; i = (i + 1) & (slots_.size() - 1)) {
      const Slot& slot = slots_[i];
      if (slot.key == offset + 1) return std::string_view(text_).substr(slot.start, slot.length);
      if (slot.key == 0) return {nullptr, 0};
    }
  }

  std::string_view Add(std::uint32_t offset, std::string_view raw) {
    if ((used_ + 1) * 2 > slots_.size()) Rehash();
    const std::size_t start = text_.size();
    text_ += GameTextToUtf8(raw);
    Place(Slot{offset + 1, text_.size() - start, start});
    ++used_;
    return std::string_view(text_).substr(start);
  }

 private:
  struct Slot {
    std::uint32_t key = 0;  // offset + 1; 0 marks a free slot
    std::size_t length = 0;
    std::size_t start = 0;
  };

  std::size_t Home(std::uint32_t offset) const {
    return std::size_t((std::uint64_t(offset) * 0x9E3779B97F4A7C15ull) >> 32) & (slots_.size() - 1);
  }

  void Place(const Slot& slot) {
    std::size_t i = Home(slot.key - 1);
    while (slots_[i].key != 0) i = (i + 1) & (slots_.size() - 1);
    slots_[i] = slot;
  }

  void Rehash() {
    std::vector<Slot> old(std::max<std::size_t>(slots_.size() * 2, 64));
    old.swap(slots_);
    for (const Slot& slot : old) {
      if (slot.key != 0) Place(slot);
    }
  }

  std::vector<Slot> slots_;
  std::size_t used_ = 0;
  std::string text_;
};

// Room the string table's writes need beyond the text itself.
constexpr std::size_t kStringSlack = 16;

// The string table of one file. Strings are 8-bit game text: when the whole table is valid UTF-8 (the
// usual, plain ASCII case) they are used as they are, otherwise each string is converted once. Where
// each string ends is read from a map of the table's zero bytes made once (a bit per byte), not searched
// again for every value that names the string.
class StringTable {
 public:
  explicit StringTable(std::string_view table) : table_(table), utf8_(IsValidUtf8(table)), zeros_(MapZeros(table)) {}

  // The text at offset, valid until the next call; false for an offset outside the table.
  bool Get(std::uint32_t offset, std::string_view& text) {
    if (offset >= table_.size()) return false;
    // The usual case inline: a UTF-8 table and a string ending in the same word of the zero map.
    const std::uint64_t bits = zeros_[offset / 64] >> (offset % 64);
    if (utf8_ && bits != 0) {
      text = std::string_view(table_.data() + offset, std::size_t(std::countr_zero(bits)));
    } else {
      text = Text(offset);
    }
    return true;
  }

  // Writes text, given by Get, at p, which has room for kStringSlack bytes more than the text: a short
  // string of a UTF-8 table with that many bytes of table behind it goes in one fixed-size move.
  char* Put(char* p, std::string_view text) const {
    if (utf8_ && text.size() <= kStringSlack &&
        std::size_t(table_.data() + table_.size() - text.data()) >= kStringSlack) {
      std::memcpy(p, text.data(), kStringSlack);
    } else {
      std::memcpy(p, text.data(), text.size());
    }
    return p + text.size();
  }

 private:
  static std::vector<std::uint64_t> MapZeros(std::string_view table) {
    static_assert(std::endian::native == std::endian::little, "the zero map reads the table in words");
    std::vector<std::uint64_t> zeros((table.size() + 63) / 64);
    constexpr std::uint64_t kLow7 = 0x7F7F7F7F7F7F7F7Full;
    std::size_t i = 0;
    for (; i + 8 <= table.size(); i += 8) {
      std::uint64_t word;
      std::memcpy(&word, table.data() + i, sizeof word);
      // The top bit of every zero byte, then those eight bits gathered in byte order.
      const std::uint64_t high = ~(((word & kLow7) + kLow7) | word | kLow7);
      zeros[i / 64] |= (((high >> 7) * 0x0102040810204080ull) >> 56) << (i % 64);
    }
    for (; i < table.size(); ++i) {
      if (table[i] == 0) zeros[i / 64] |= std::uint64_t(1) << (i % 64);
    }
    return zeros;
  }

  [[gnu::noinline]] std::string_view Text(std::uint32_t offset) {
    if (utf8_) return Raw(offset);
    const std::string_view known = converted_.Find(offset);
    return known.data() != nullptr ? known : converted_.Add(offset, Raw(offset));
  }

  std::string_view Raw(std::uint32_t offset) const {
    std::size_t word = offset / 64;
    const std::uint64_t bits = zeros_[word] >> (offset % 64);
    if (bits != 0) return table_.substr(offset, std::size_t(std::countr_zero(bits)));
    while (++word < zeros_.size()) {
      if (zeros_[word] != 0)
        return table_.substr(offset, word * 64 + std::size_t(std::countr_zero(zeros_[word])) - offset);
    }
    return table_.substr(offset);  // the end of the table ends the last string
  }

  std::string_view table_;
  bool utf8_;
  std::vector<std::uint64_t> zeros_;
  ConvertedTexts converted_;
};

// Room a number's text may take: an int's takes 11 characters at most, a float's 48 (a sign and the 39
// digits of FLT_MAX's whole part and six decimals, or a tiny float's 45 decimals).
constexpr std::size_t kNumberRoom = 64;

// The text of one line, written through a raw pointer into one buffer kept for the whole decode: room is
// made before each piece (a whole entry's numbers at once), so the writes themselves check nothing.
class LineWriter {
 public:
  LineWriter() : data_(4096, '\0'), begin_(data_.data()), end_(begin_ + data_.size()) {}

  char* Begin() { return begin_; }
  std::size_t Size(const char* p) const { return std::size_t(p - begin_); }
  std::string_view Text(const char* p) const { return {begin_, Size(p)}; }

  // Makes room for n bytes from p on, p being inside the buffer; the buffer may move, so p is returned anew.
  char* Room(char* p, std::size_t n) { return std::size_t(end_ - p) >= n ? p : Grow(p, n); }

 private:
  char* Grow(char* p, std::size_t n) {
    const std::size_t used = Size(p);
    data_.resize(std::max(data_.size() * 2, used + n));
    begin_ = data_.data();
    end_ = begin_ + data_.size();
    return begin_ + used;
  }

  std::string data_;
  char* begin_;
  char* end_;
};

char* Put(char* p, std::string_view text) {
  std::memcpy(p, text.data(), text.size());
  return p + text.size();
}

constexpr auto kDigitPairs = [] {
  std::array<char, 200> pairs{};
  for (int i = 0; i < 100; ++i) {
    pairs[std::size_t(2 * i)] = char('0' + i / 10);
    pairs[std::size_t(2 * i + 1)] = char('0' + i % 10);
  }
  return pairs;
}();

char* PutTwoDigits(char* p, unsigned v) {
  std::memcpy(p, &kDigitPairs[2 * v], 2);
  return p + 2;
}

// The text of a whole number; the small counts and prices most values are go without to_chars's search
// for the length.
char* PutWhole(char* p, std::uint32_t v) {
  if (v < 10) {
    *p = char('0' + v);
    return p + 1;
  }
  if (v < 100) return PutTwoDigits(p, v);
  if (v < 1000) {
    *p = char('0' + v / 100);
    return PutTwoDigits(p + 1, v % 100);
  }
  return std::to_chars(p, p + kNumberRoom, v).ptr;
}

char* PutInt(char* p, std::int32_t v) {
  if (v >= 0) return PutWhole(p, std::uint32_t(v));
  *p = '-';
  return PutWhole(p + 1, 0u - std::uint32_t(v));
}

// The "%.6f" text of a 32-bit float, as Format prints it, into p (kNumberRoom bytes of room). A float
// times 10^6 is exact in a double, so a decimal tie (exactly halfway between two texts) is seen exactly;
// Format rounds it away from zero, to_chars to even, so a tie is moved one step away from zero first, as
// Format does. A value too small for six decimals (a tiny decay per second) would print as 0.000000 and
// turn a perishable good into a durable one, so such a value is written with as many decimals as it needs
// to read back as itself, still in plain fixed notation.
[[gnu::noinline]] char* PutRareFloat(char* p, float v) {
  if (!std::isfinite(v)) return Put(p, std::isnan(v) ? "NAN" : (v < 0 ? "-INF" : "INF"));
  // Also for -0: a sign would read as a negative number that is not there.
  if (v == 0.0f) return Put(p, "0.000000");
  double d = v;
  const double scaled = std::fabs(d * 1e6);
  if (scaled < 0.5) return std::to_chars(p, p + kNumberRoom, v, std::chars_format::fixed).ptr;
  if (scaled - std::floor(scaled) == 0.5) d = std::nextafter(d, d < 0 ? -HUGE_VAL : HUGE_VAL);
  return std::to_chars(p, p + kNumberRoom, d, std::chars_format::fixed, 6).ptr;
}

// The usual floats (six decimals show them, and they are below 10^12) inline, their digits straight from
// the exact scaled value: its fraction is exact too, so rounding half away from zero here gives
// to_chars's text of the moved tie, without its general road. Zero, NAN and INF fail the test too.
char* PutFloat(char* p, float v) {
  const double d = v;
  const double scaled = std::fabs(d * 1e6);
  if (!(scaled >= 0.5 && scaled < 1e18)) return PutRareFloat(p, v);
  const auto whole = std::uint64_t(scaled);
  const std::uint64_t n = whole + (scaled - double(whole) >= 0.5 ? 1 : 0);
  if (d < 0) *p++ = '-';
  const std::uint64_t integer = n / 1000000;
  p = integer <= UINT32_MAX ? PutWhole(p, std::uint32_t(integer)) : std::to_chars(p, p + kNumberRoom, integer).ptr;
  *p++ = '.';
  const auto fraction = unsigned(n % 1000000);
  p = PutTwoDigits(p, fraction / 10000);
  p = PutTwoDigits(p, fraction / 100 % 100);
  return PutTwoDigits(p, fraction % 100);
}

// Decodes the records, handing every line to addLine and, before each header line, the room its section's
// entry lines can take to section.
template <typename Section, typename AddLine>
TBiniStatus DecodeRecords(std::string_view data, Section section, AddLine addLine) {
  const Bytes bytes = AsBytes(data);
  const std::size_t size = data.size();
  const std::uint32_t tableOffset = ReadLe32(bytes, 8);
  StringTable strings(tableOffset < size ? data.substr(tableOffset) : std::string_view());
  // Records may neither run past the file nor into the string table.
  const std::size_t recordEnd = std::min<std::size_t>(tableOffset, size);

  // Every value may name the same long string: the text is bounded, or a small file decodes into gigabytes.
  const std::size_t limit = MaxDecodedSize(size);
  std::size_t decoded = 0;
  LineWriter line;
  // Hands the line ending at p on, unless it would take the text past the bound.
  auto add = [&](const char* p) {
    const std::string_view text = line.Text(p);
    if (decoded + text.size() > limit) return false;
    decoded += text.size() + 2;
    addLine(text);
    return true;
  };
  std::string_view text;
  std::size_t pos = kHeaderSize;
  while (pos < tableOffset) {
    if (recordEnd < pos + 4) return bsBadEntry;
    const std::uint16_t nameOffset = ReadLe16(bytes, pos);
    const std::uint16_t entryCount = ReadLe16(bytes, pos + 2);
    pos += 4;
    if (!strings.Get(nameOffset, text)) return bsBadEntry;
    // A record may claim more entries than follow it, and one string may make every line long: the room
    // told is what the rest of the record area and the decoded bound allow, not what the record claims.
    section(TBiniSectionRoom{std::min<std::size_t>(entryCount, (recordEnd - pos) / kEntrySize),
                             decoded < limit ? limit - decoded : 0});
    char* p = line.Room(line.Begin(), text.size() + kStringSlack + 2);
    *p++ = '[';
    p = strings.Put(p, text);
    *p++ = ']';
    if (!add(p)) return bsBadEntry;

    for (unsigned entry = 0; entry < entryCount; ++entry) {
      if (recordEnd < pos + 3) return bsBadEntry;
      const std::uint16_t keyOffset = ReadLe16(bytes, pos);
      const unsigned valueCount = bytes[pos + 2];
      pos += 3;
      if (recordEnd - pos < std::size_t(valueCount) * 5) return bsBadEntry;
      if (!strings.Get(keyOffset, text)) return bsBadEntry;
      // The key, " = " and every value as the longest number with its ", ": strings make their own room.
      p = line.Room(line.Begin(), text.size() + kStringSlack + 7 + valueCount * (kNumberRoom + 2));
      p = strings.Put(p, text);
      if (valueCount == 0) {
        p = Put(p, " = true");
      } else {
        p = Put(p, " = ");
        for (unsigned v = 0; v < valueCount; ++v, pos += 5) {
          if (v > 0) p = Put(p, ", ");
          const std::uint32_t raw = ReadLe32(bytes, pos + 1);
          switch (bytes[pos]) {
            case 1:
              p = PutInt(p, std::int32_t(raw));
              break;
            case 2: {
              float f;
              std::memcpy(&f, &raw, sizeof f);
              p = PutFloat(p, f);
              break;
            }
            case 3:
              if (!strings.Get(raw, text) || decoded + line.Size(p) + text.size() > limit) return bsBadEntry;
              p = line.Room(p, text.size() + kStringSlack + (valueCount - v) * (kNumberRoom + 2));
              p = strings.Put(p, text);
              break;
            default:
              return bsBadEntry;
          }
        }
      }
      if (!add(p)) return bsBadEntry;
    }
    decoded += 2;
    addLine(std::string_view());
  }
  return bsSuccess;
}

}  // namespace

std::size_t MaxDecodedSize(std::size_t InputSize) {
  const std::size_t scaled = InputSize > kMaxDecodedTotal / kMaxDecodedFactor ? kMaxDecodedTotal
                                                                              : InputSize * kMaxDecodedFactor;
  return std::clamp(scaled, kMinDecodedBound, kMaxDecodedTotal);
}

std::string GetCStr(const std::string& StrTable, std::int64_t Offset) {
  if (Offset < 0 || std::uint64_t(Offset) >= StrTable.size()) return {};
  const char* begin = StrTable.data() + Offset;
  const std::size_t room = StrTable.size() - std::size_t(Offset);
  const void* zero = std::memchr(begin, 0, room);
  return std::string(begin, zero ? std::size_t(static_cast<const char*>(zero) - begin) : room);
}

TBiniStatus DecodeBiniLines(std::string_view Data, const std::function<void(std::string_view)>& Line,
                            const std::function<void(TBiniSectionRoom)>& Section) {
  if (Data.size() <= kHeaderSize) return bsTooSmall;
  if (ReadLe32(AsBytes(Data), 0) != kBiniMagic) return bsNotBini;
  return DecodeRecords(
      Data,
      [&Section](TBiniSectionRoom room) {
    if (Section) Section(room);
      },
      Line);
}

TBiniStatus DecodeBiniBuffer(std::string_view Data, TStringList* Target) {
  if (Target == nullptr) return bsGeneralError;
  return DecodeBiniLines(Data, [Target](std::string_view line) { Target->Add(line); });
}

TBiniStatus DecodeBini(const std::string& FileName, TStringList* Target, std::string* Reason) {
  std::string data;
  if (!platform::ReadWholeFile(FileName, data, kMaxGameFileSize, Reason)) return bsNoSource;
  if (Target == nullptr) return bsGeneralError;
  const TBiniStatus status = DecodeBiniBuffer(data, Target);
  if (status == bsNotBini) {
    // Read once: the text comes from the same bytes, taken as game text like any text file.
    std::string_view text = data;
    if (text.substr(0, 3) == "\xEF\xBB\xBF") text.remove_prefix(3);
    Target->SetText(GameTextToUtf8(text));
  }
  return status;
}

TBiniStatus DecodeBiniFileLines(const std::string& FileName, const std::function<void(std::string_view)>& Line,
                                std::string* Reason) {
  std::string data;
  if (!platform::ReadWholeFile(FileName, data, kMaxGameFileSize, Reason)) return bsNoSource;
  const TBiniStatus status = DecodeBiniLines(data, Line);
  if (status != bsNotBini) return status;
  // The text lines as SetText splits the game text: at CR LF, LF or CR, a last line without its end kept.
  std::string_view text = data;
  if (text.substr(0, 3) == "\xEF\xBB\xBF") text.remove_prefix(3);
  std::string converted;
  if (!IsValidUtf8(text)) {
    converted = Cp1252ToUtf8(text);
    text = converted;
  }
  ForEachTextLine(text, Line);
  return status;
}

}  // namespace qmz
