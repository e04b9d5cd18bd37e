#include "samplegen/PeWriter.h"

#include <vector>

namespace qmz::samplegen {

namespace {

constexpr std::uint32_t kFileAlign = 0x200;
constexpr std::uint32_t kSectionAlign = 0x1000;
constexpr std::uint32_t kRsrcRva = 0x1000;
constexpr std::uint32_t kPeOffset = 0x40;  // right after the DOS header: no DOS stub needed
constexpr std::uint32_t kRtString = 6;
constexpr std::uint32_t kLangEnUs = 0x409;
constexpr std::uint32_t kSubdirFlag = 0x80000000u;

void Put8(std::string& b, std::size_t at, std::uint32_t v) { b[at] = static_cast<char>(v & 0xFF); }
void Put16(std::string& b, std::size_t at, std::uint32_t v) {
  Put8(b, at, v);
  Put8(b, at + 1, v >> 8);
}
void Put32(std::string& b, std::size_t at, std::uint32_t v) {
  Put16(b, at, v & 0xFFFF);
  Put16(b, at + 2, v >> 16);
}
std::uint32_t AlignUp(std::uint32_t v, std::uint32_t a) { return (v + a - 1) / a * a; }

// The resource section: root (type 6) -> one directory per block id -> language 0x409 -> data.
std::string BuildRsrc(const std::map<std::uint16_t, std::string>& strings) {
  // Block n holds the strings n*16-16 .. n*16-1, i.e. string id / 16 + 1.
  std::map<std::uint32_t, std::vector<std::u16string>> blocks;
  for (const auto& [id, text] : strings) {
    auto& block = blocks[id / 16u + 1u];
    block.resize(16);
    block[id % 16u] = Utf8ToUtf16(text);
  }
  const std::uint32_t n = static_cast<std::uint32_t>(blocks.size());
  const std::uint32_t typeDirAt = 16 + 8;
  const std::uint32_t nameDirsAt = typeDirAt + 16 + 8 * n;
  const std::uint32_t dataEntriesAt = nameDirsAt + 24 * n;
  std::uint32_t dataAt = dataEntriesAt + 16 * n;

  std::string r(dataAt, '\0');
  Put16(r, 14, 1);  // root: one id entry, RT_STRING
  Put32(r, 16, kRtString);
  Put32(r, 20, kSubdirFlag | typeDirAt);
  Put16(r, typeDirAt + 14, n);

  std::uint32_t k = 0;
  for (const auto& [blockId, texts] : blocks) {  // ascending ids, as the format requires
    const std::uint32_t entry = typeDirAt + 16 + 8 * k;
    const std::uint32_t nameDir = nameDirsAt + 24 * k;
    const std::uint32_t dataEntry = dataEntriesAt + 16 * k;
    Put32(r, entry, blockId);
    Put32(r, entry + 4, kSubdirFlag | nameDir);
    Put16(r, nameDir + 14, 1);
    Put32(r, nameDir + 16, kLangEnUs);
    Put32(r, nameDir + 20, dataEntry);  // no flag: points at a data entry

    std::string data;
    for (const auto& t : texts) {
      data += static_cast<char>(t.size() & 0xFF);
      data += static_cast<char>(t.size() >> 8);
      for (char16_t c : t) {
        data += static_cast<char>(c & 0xFF);
        data += static_cast<char>(c >> 8);
      }
    }
    dataAt = AlignUp(static_cast<std::uint32_t>(r.size()), 4);
    r.resize(dataAt, '\0');
    Put32(r, dataEntry, kRsrcRva + dataAt);  // data entries hold RVAs, not section offsets
    Put32(r, dataEntry + 4, static_cast<std::uint32_t>(data.size()));
    r += data;
    ++k;
  }
  return r;
}

}  // namespace

std::u16string Utf8ToUtf16(const std::string& s) {
  std::u16string out;
  for (std::size_t i = 0; i < s.size();) {
    const unsigned char c = static_cast<unsigned char>(s[i]);
    std::uint32_t cp = 0xFFFD;
    std::size_t len = 1;
    if (c < 0x80) {
      cp = c;
    } else if ((c >> 5) == 0x6 || (c >> 4) == 0xE || (c >> 3) == 0x1E) {
      len = (c >> 5) == 0x6 ? 2 : (c >> 4) == 0xE ? 3 : 4;
      if (i + len <= s.size()) {
        cp = c & (0x7F >> len);
        for (std::size_t k = 1; k < len; ++k) cp = (cp << 6) | (static_cast<unsigned char>(s[i + k]) & 0x3F);
      } else {
        len = 1;
        cp = 0xFFFD;
      }
    }
    i += len;
    if (cp >= 0x10000) {
      cp -= 0x10000;
      out += static_cast<char16_t>(0xD800 + (cp >> 10));
      out += static_cast<char16_t>(0xDC00 + (cp & 0x3FF));
    } else {
      out += static_cast<char16_t>(cp);
    }
  }
  return out;
}

std::string BuildStringTableDll(const std::map<std::uint16_t, std::string>& strings) {
  const std::string rsrc = BuildRsrc(strings);
  const std::uint32_t rawSize = AlignUp(static_cast<std::uint32_t>(rsrc.size()), kFileAlign);
  const std::uint32_t headersSize = kFileAlign;

  std::string f(headersSize, '\0');
  f[0] = 'M';
  f[1] = 'Z';
  Put32(f, 0x3C, kPeOffset);

  const std::size_t pe = kPeOffset;
  f[pe] = 'P';
  f[pe + 1] = 'E';
  const std::size_t coff = pe + 4;
  Put16(f, coff + 0, 0x14C);    // i386
  Put16(f, coff + 2, 1);        // one section
  Put16(f, coff + 16, 224);     // size of the PE32 optional header
  Put16(f, coff + 18, 0x2102);  // executable image, 32-bit machine, DLL

  const std::size_t opt = coff + 20;
  Put16(f, opt + 0, 0x10B);        // PE32
  Put8(f, opt + 2, 6);             // linker version 6.0
  Put32(f, opt + 8, rawSize);      // initialised data
  Put32(f, opt + 20, kRsrcRva);    // base of code (there is none)
  Put32(f, opt + 24, kRsrcRva);    // base of data
  Put32(f, opt + 28, 0x10000000);  // image base
  Put32(f, opt + 32, kSectionAlign);
  Put32(f, opt + 36, kFileAlign);
  Put16(f, opt + 40, 4);  // OS version 4.0
  Put16(f, opt + 48, 4);  // subsystem version 4.0
  Put32(f, opt + 56, kRsrcRva + AlignUp(static_cast<std::uint32_t>(rsrc.size()), kSectionAlign));
  Put32(f, opt + 60, headersSize);
  Put16(f, opt + 68, 2);  // Windows GUI
  Put32(f, opt + 72, 0x100000);
  Put32(f, opt + 76, 0x1000);
  Put32(f, opt + 80, 0x100000);
  Put32(f, opt + 84, 0x1000);
  Put32(f, opt + 92, 16);                // data directories
  Put32(f, opt + 96 + 2 * 8, kRsrcRva);  // directory 2: resources
  Put32(f, opt + 96 + 2 * 8 + 4, static_cast<std::uint32_t>(rsrc.size()));

  const std::size_t sec = opt + 224;
  f.replace(sec, 5, ".rsrc");
  Put32(f, sec + 8, static_cast<std::uint32_t>(rsrc.size()));  // virtual size
  Put32(f, sec + 12, kRsrcRva);
  Put32(f, sec + 16, rawSize);
  Put32(f, sec + 20, headersSize);  // raw data follows the headers
  Put32(f, sec + 36, 0x40000040);   // initialised data, readable

  f += rsrc;
  f.resize(headersSize + rawSize, '\0');
  return f;
}

}  // namespace qmz::samplegen
