#pragma once
// The runtime's string routines the rest of the program is written against: a type-safe Format,
// trimming, ASCII case handling, integer texts and the text-encoding conversions at the edges.

#include <bit>
#include <cstdint>
#include <cstring>
#include <initializer_list>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <type_traits>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace qmz {

class EConvertError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// One argument of Format. Only the types a format can print are accepted; anything else fails to compile.
class FormatArg {
 public:
  enum class Kind { Signed, Unsigned, Float, Text, Pointer };

  template <typename T>
  requires(std::is_integral_v<T> && !std::is_same_v<T, bool> && !std::is_same_v<T, char>)
      FormatArg(T v) {  // NOLINT(google-explicit-constructor)
    if constexpr (std::is_signed_v<T>) {
      kind_ = Kind::Signed;
      i_ = v;
    } else {
      kind_ = Kind::Unsigned;
      u_ = v;
    }
    narrow_ = sizeof(T) <= 4;
  }
  FormatArg(double v) : kind_(Kind::Float), f_(v) {}               // NOLINT
  FormatArg(float v) : kind_(Kind::Float), f_(v) {}                // NOLINT
  FormatArg(long double v) : kind_(Kind::Float), f_(double(v)) {}  // NOLINT
  FormatArg(char c) : kind_(Kind::Text), s_(&c_, 1), c_(c) {}      // NOLINT
  FormatArg(const char* s) : kind_(Kind::Text), s_(s ? s : "") {}  // NOLINT
  FormatArg(std::string_view s) : kind_(Kind::Text), s_(s) {}      // NOLINT
  FormatArg(const std::string& s) : kind_(Kind::Text), s_(s) {}    // NOLINT
  FormatArg(const void* p) : kind_(Kind::Pointer), p_(p) {}        // NOLINT
  FormatArg(bool) = delete;
  FormatArg(const FormatArg& o) : kind_(o.kind_), narrow_(o.narrow_), i_(o.i_), u_(o.u_), f_(o.f_), p_(o.p_), c_(o.c_) {
    s_ = (o.s_.data() == &o.c_) ? std::string_view(&c_, 1) : o.s_;
  }
  FormatArg& operator=(const FormatArg&) = delete;

  Kind kind() const { return kind_; }
  bool narrow() const { return narrow_; }
  std::int64_t asSigned() const { return i_; }
  std::uint64_t asUnsigned() const { return u_; }
  double asFloat() const { return f_; }
  std::string_view asText() const { return s_; }
  const void* asPointer() const { return p_; }

 private:
  Kind kind_;
  bool narrow_ = false;
  std::int64_t i_ = 0;
  std::uint64_t u_ = 0;
  double f_ = 0;
  std::string_view s_;
  const void* p_ = nullptr;
  char c_ = 0;
};

// Formats like the runtime's Format: "%" [index ":"] ["-"] [width] ["." precision] type, with the types
// d, u, x, e, f, g, n, m, s, p and "%%". Width and precision may be "*". Floats always use '.'.
// A placeholder whose argument is missing or of the wrong type throws EConvertError.
std::string FormatList(std::string_view format, std::initializer_list<FormatArg> args);

template <typename... Args>
std::string Format(std::string_view format, const Args&... args) {
  return FormatList(format, {FormatArg(args)...});
}

// Removes leading and trailing characters up to and including the blank (control characters too).
std::string Trim(std::string_view s);
std::string TrimRight(std::string_view s);
// Appends the text of a double-quoted item whose opening quote stands just before From, a doubled quote
// standing for one; returns the position behind the closing quote (the end when there is none).
std::size_t AppendQuotedText(std::string_view Text, std::size_t From, std::string& Out);

// A-Z only; other bytes pass unchanged.
std::string UpperCase(std::string_view s);
// Letter case is ignored by folding to lower case, the game's code-page way: A-Z and Windows-1252's capitals
// as they stand in UTF-8 (À..Þ without ×, Š, Œ, Ž, Ÿ). LowerCase, CompareText, SameText and TextHash share
// that one mapping, so sorting, finding and hashing agree; '_' sorts before the letters.
std::string LowerCase(std::string_view s);
// The same into out (its memory reused), for lookups that fold a text each time.
void LowerCaseTo(std::string_view s, std::string& out);
bool SameText(std::string_view a, std::string_view b);
// <0, 0, >0 over the folded texts, characters in Windows-1252 byte order.
int CompareText(std::string_view a, std::string_view b);
// Hash of the folded text under the process's key (platform::KeyedHash): equal for texts SameText calls
// equal, and names crafted to collide under a fixed hash do not collide here.
std::size_t TextHash(std::string_view s);
bool StartsText(std::string_view prefix, std::string_view s);
bool EndsText(std::string_view suffix, std::string_view s);
// Position of needle in haystack ignoring letter case, or npos.
std::size_t FindText(std::string_view haystack, std::string_view needle, std::size_t from = 0);

std::string IntToStr(std::int64_t v);
// Decimal integer with optional sign, or "$"/"0x" hexadecimal; surrounding blanks allowed. No partial reads.
std::optional<std::int64_t> TryStrToInt(std::string_view s);
int StrToIntDef(std::string_view s, int def);

std::string StringReplaceAll(std::string_view s, std::string_view from, std::string_view to);

// The first maxChars characters of a UTF-8 text, never cutting inside a character.
std::string CutUtf8(std::string_view s, std::size_t maxChars);

// The position of the first CR or LF at or after from in data[0, n), n when there is none; sixteen bytes a
// step where the processor offers it.
inline std::size_t FindLineBreak(const char* data, std::size_t from, std::size_t n) {
#if defined(__SSE2__)
  const __m128i cr = _mm_set1_epi8('\r');
  const __m128i lf = _mm_set1_epi8('\n');
  for (; from + 16 <= n; from += 16) {
    const __m128i chunk = _mm_loadu_si128(reinterpret_cast<const __m128i*>(data + from));
    const int mask = _mm_movemask_epi8(_mm_or_si128(_mm_cmpeq_epi8(chunk, cr), _mm_cmpeq_epi8(chunk, lf)));
    if (mask != 0) return from + std::size_t(std::countr_zero(unsigned(mask)));
  }
#endif
  for (; from < n; ++from) {
    if (data[from] == '\r' || data[from] == '\n') return from;
  }
  return n;
}

// Calls line with each line of text (a view into it): lines end at CR LF, LF or CR; a last line without its
// end counts, nothing after a final end does.
template <typename LineFn>
void ForEachTextLine(std::string_view text, LineFn&& line) {
  const char* const data = text.data();
  const std::size_t n = text.size();
  std::size_t start = 0;
  while (start < n) {
    const std::size_t at = FindLineBreak(data, start, n);
    line(text.substr(start, at - start));
    start = at + 1;
    if (at < n && data[at] == '\r' && start < n && data[start] == '\n') ++start;
  }
}

// Text encodings at the program's edges; inside, everything is UTF-8.
bool IsValidUtf8(std::string_view s);
std::string Cp1252ToUtf8(std::string_view s);
std::string GameTextToUtf8(std::string_view s);  // valid UTF-8 stays, anything else is taken as Windows-1252
void AppendUtf8(std::string& out, char32_t cp);

// Text from outside made safe to write into the journal or a box: control characters (C0, DEL, C1), bytes
// that are no UTF-8 and the marks that reverse the writing direction are written as escapes ("\x1b",
// "\u202e"); everything else stays as it is.
std::string EscapeOutsideText(std::string_view s);

}  // namespace qmz
