#pragma once
#include <cstdint>
#include <map>
#include <string>

namespace qmz::samplegen {

// A resource-only PE32 DLL whose .rsrc section holds the given strings as RT_STRING
// blocks, keyed by resource number (0..65535), texts in UTF-8 (stored as UTF-16LE).
std::string BuildStringTableDll(const std::map<std::uint16_t, std::string>& strings);

// UTF-8 to UTF-16 code units; invalid bytes become U+FFFD.
std::u16string Utf8ToUtf16(const std::string& s);

}  // namespace qmz::samplegen
