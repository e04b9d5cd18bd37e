#include "gamedata/uIniDecoder.h"

#include <charconv>
#include <algorithm>
#include <cmath>
#include <cstring>
#include <span>
#include <unordered_map>

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

using Bytes = std::span<const std::uint8_t>;
using platform::ReadLe16;
using platform::ReadLe32;

Bytes AsBytes(std::string_view data) { return {reinterpret_cast<const std::uint8_t*>(data.data()), data.size()}; }

// The string table of one file. Strings are 8-bit game text: when the whole table is valid UTF-8 (the
// usual, plain ASCII case) they are used as they are, otherwise each string is converted once.
class StringTable {
 public:
  explicit StringTable(std::string_view table) : table_(table), utf8_(IsValidUtf8(table)) {}

  // False for an offset outside the table.
  bool Append(std::uint32_t offset, std::string& out) {
    if (offset >= table_.size()) return false;
    std::string_view s = Raw(offset);
    if (utf8_) {
      out.append(s);
    } else {
      auto it = converted_.find(offset);
      if (it == converted_.end()) it = converted_.emplace(offset, GameTextToUtf8(s)).first;
      out.append(it->second);
    }
    return true;
  }

 private:
  std::string_view Raw(std::uint32_t offset) const {
    const char* begin = table_.data() + offset;
    std::size_t room = table_.size() - offset;
    const void* zero = std::memchr(begin, 0, room);
    return {begin, zero ? std::size_t(static_cast<const char*>(zero) - begin) : room};
  }

  std::string_view table_;
  bool utf8_;
  std::unordered_map<std::uint32_t, std::string> converted_;
};

void AppendInt(std::string& out, std::int32_t v) {
  char buf[16];
  auto r = std::to_chars(buf, buf + sizeof buf, v);
  out.append(buf, r.ptr);
}

// The "%.6f" text of a 32-bit float, as Format prints it, straight from to_chars. A float times 10^6 is
// exact in a double, so a decimal tie (exactly halfway between two texts) is seen exactly; Format rounds
// it away from zero, to_chars to even, so a tie is moved one step away from zero first, as Format does.
// A value too small for six decimals (a tiny decay per second) would print as 0.000000 and turn a
// perishable good into a durable one, so such a value is written with as many decimals as it needs to
// read back as itself, still in plain fixed notation.
void AppendFloat(std::string& out, float v) {
  if (!std::isfinite(v)) {
    out += std::isnan(v) ? "NAN" : (v < 0 ? "-INF" : "INF");
    return;
  }
  if (v == 0.0f) {
    out += "0.000000";  // also for -0: a sign would read as a negative number that is not there
    return;
  }
  char buf[128];
  double d = v;
  const double scaled = std::fabs(d * 1e6);
  if (scaled < 0.5) {
    const auto r = std::to_chars(buf, buf + sizeof buf, v, std::chars_format::fixed);
    out.append(buf, r.ptr);
    return;
  }
  if (scaled < 1e18) {
    // The digits straight from the exact scaled value: its fraction is exact too, so rounding half away
    // from zero here gives to_chars's text of the moved tie below, without its general road.
    const double whole = std::floor(scaled);
    const std::uint64_t n = std::uint64_t(whole) + (scaled - whole >= 0.5 ? 1 : 0);
    char* p = buf;
    if (d < 0) *p++ = '-';
    p = std::to_chars(p, buf + sizeof buf, n / 1000000).ptr;
    *p++ = '.';
    std::uint64_t fraction = n % 1000000;
    for (int i = 5; i >= 0; --i, fraction /= 10) p[i] = char('0' + fraction % 10);
    out.append(buf, p + 6);
    return;
  }
  if (scaled - std::floor(scaled) == 0.5) d = std::nextafter(d, d < 0 ? -HUGE_VAL : HUGE_VAL);
  const auto r = std::to_chars(buf, buf + sizeof buf, d, std::chars_format::fixed, 6);
  out.append(buf, r.ptr);
}

// Number of lines the records give (up to the first record that runs past the record area), so the
// target can make room once instead of growing many times over a large file.
std::size_t CountLines(Bytes bytes, std::size_t recordEnd, std::uint32_t tableOffset) {
  std::size_t pos = kHeaderSize, lines = 0;
  while (pos < tableOffset && pos + 4 <= recordEnd) {
    const unsigned entries = ReadLe16(bytes, pos + 2);
    pos += 4;
    lines += 2;
    for (unsigned e = 0; e < entries && pos + 3 <= recordEnd; ++e, ++lines) pos += 3 + std::size_t(bytes[pos + 2]) * 5;
  }
  return lines;
}

// Decodes the records, handing every line to addLine; reserve is told the number of lines first.
template <typename Reserve, typename AddLine>
TBiniStatus DecodeRecords(std::string_view data, Reserve reserve, AddLine addLine) {
  const Bytes bytes = AsBytes(data);
  const std::size_t size = data.size();
  // Every value may name the same long string: the text is bounded, or a small file decodes into gigabytes.
  const std::size_t limit = MaxDecodedSize(size);
  std::size_t decoded = 0;
  auto add = [&](std::string_view text) {
    decoded += text.size() + 2;
    addLine(text);
  };
  auto tooLong = [&](std::string_view text) { return decoded + text.size() > limit; };
  const std::uint32_t tableOffset = ReadLe32(bytes, 8);
  StringTable strings(tableOffset < size ? data.substr(tableOffset) : std::string_view());
  // Records may neither run past the file nor into the string table.
  const std::size_t recordEnd = std::min<std::size_t>(tableOffset, size);
  reserve(std::min<std::size_t>(CountLines(bytes, recordEnd, tableOffset), size));

  std::size_t pos = kHeaderSize;
  // One buffer for every line: each stored line is then made with a single allocation of its own size.
  std::string line;
  while (pos < tableOffset) {
    if (recordEnd < pos + 4) return bsBadEntry;
    const std::uint16_t nameOffset = ReadLe16(bytes, pos);
    const std::uint16_t entryCount = ReadLe16(bytes, pos + 2);
    pos += 4;
    line.clear();
    line += '[';
    if (!strings.Append(nameOffset, line)) return bsBadEntry;
    line += ']';
    if (tooLong(line)) return bsBadEntry;
    add(line);

    for (unsigned entry = 0; entry < entryCount; ++entry) {
      if (recordEnd < pos + 3) return bsBadEntry;
      const std::uint16_t keyOffset = ReadLe16(bytes, pos);
      const unsigned valueCount = bytes[pos + 2];
      pos += 3;
      if (recordEnd - pos < std::size_t(valueCount) * 5) return bsBadEntry;
      line.clear();
      if (!strings.Append(keyOffset, line)) return bsBadEntry;
      if (valueCount == 0) {
        line += " = true";
      } else {
        line += " = ";
        for (unsigned v = 0; v < valueCount; ++v, pos += 5) {
          if (v > 0) line += ", ";
          const std::uint32_t raw = ReadLe32(bytes, pos + 1);
          switch (bytes[pos]) {
            case 1:
              AppendInt(line, std::int32_t(raw));
              break;
            case 2: {
              float f;
              std::memcpy(&f, &raw, sizeof f);
              AppendFloat(line, f);
              break;
            }
            case 3:
              if (!strings.Append(raw, line) || tooLong(line)) return bsBadEntry;
              break;
            default:
              return bsBadEntry;
          }
        }
      }
      if (tooLong(line)) return bsBadEntry;
      add(line);
    }
    add(std::string_view());
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

TBiniStatus DecodeBiniBuffer(std::string_view Data, TStringList* Target) {
  if (Target == nullptr) return bsGeneralError;
  if (Data.size() <= kHeaderSize) return bsTooSmall;
  if (ReadLe32(AsBytes(Data), 0) != kBiniMagic) return bsNotBini;
  TStringList& target = *Target;
  return DecodeRecords(
      Data, [&target](std::size_t lines) { target.Reserve(target.Count() + int(lines)); },
      [&target](std::string_view line) { target.Add(std::string(line)); });
}

TBiniStatus DecodeBiniLines(std::string_view Data, const std::function<void(std::string_view)>& Line) {
  if (Data.size() <= kHeaderSize) return bsTooSmall;
  if (ReadLe32(AsBytes(Data), 0) != kBiniMagic) return bsNotBini;
  return DecodeRecords(
      Data, [](std::size_t) {}, Line);
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
