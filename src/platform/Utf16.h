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

// The well-formed UTF-8 sequence at text[pos]: its code point, with pos moved past it. Without one
// (a stray continuation byte, a cut-off, overlong or surrogate sequence, beyond U+10FFFF) the result is
// -1 and pos is left alone, so the caller decides what the byte stands for.
char32_t DecodeUtf8At(std::string_view text, size_t& pos);
inline constexpr char32_t kNoUtf8 = static_cast<char32_t>(-1);

}  // namespace qmz::platform
