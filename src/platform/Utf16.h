#pragma once
#include <string>
#include <string_view>

namespace qmz::platform {

// UTF-16 to UTF-8 for the Windows-side data the stand-ins read (registry escapes, PE string tables).
// Unpaired surrogates become U+FFFD, so the result is always valid UTF-8.
// Lives here and not in support/ because support builds on platform, not the other way round.
std::string Utf16ToUtf8(std::u16string_view text);

// Appends one code point as UTF-8 (invalid code points and surrogates as U+FFFD).
void AppendUtf8(std::string& out, char32_t codePoint);

}  // namespace qmz::platform
