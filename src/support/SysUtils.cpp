#include "support/SysUtils.h"

#include "platform/KeyedHash.h"
#include "platform/AsciiText.h"
#include "platform/Utf16.h"

#include <algorithm>
#include <bit>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <vector>

namespace qmz {

namespace {

[[noreturn]] void InvalidFormat(std::string_view format) {
  throw EConvertError("Format '" + std::string(format) + "' invalid or incompatible with argument");
}

[[noreturn]] void NoArgument(std::string_view format) {
  throw EConvertError("No argument for format '" + std::string(format) + "'");
}

char AsciiUpper(char c) { return (c >= 'a' && c <= 'z') ? char(c - 32) : c; }
char AsciiLower(char c) { return (c >= 'A' && c <= 'Z') ? char(c + 32) : c; }

std::string Digits(std::uint64_t v, int base, bool upper) {
  char buf[32];
  auto r = std::to_chars(buf, buf + sizeof buf, v, base);
  std::string s(buf, r.ptr);
  if (upper) {
    for (auto& c : s) c = AsciiUpper(c);
  }
  return s;
}

// True when v lies exactly halfway between two numbers of `decimals` decimals. A binary fraction with
// n fractional bits has exactly n fractional decimal digits, the last one a 5; so v is such a tie
// exactly when it has decimals + 1 fractional bits.
bool IsDecimalTie(double v, int decimals) {
  if (v == 0 || !std::isfinite(v)) return false;
  int exp = 0;
  const double m = std::frexp(std::fabs(v), &exp);
  const auto mantissa = static_cast<std::uint64_t>(std::ldexp(m, 53));
  const int fractionBits = 53 - exp - std::countr_zero(mantissa);
  return fractionBits == decimals + 1;
}

std::string Fixed(double v, int precision) {
  if (!std::isfinite(v)) return std::isnan(v) ? "NAN" : (v < 0 ? "-INF" : "INF");
  // The runtime gives at most 18 decimals; the largest double then still fits the buffer below.
  precision = std::min(precision, 18);
  // The runtime rounds a tie away from zero (0.125 gives "0.13", 2.5 gives "3"); to_chars would round
  // it to even. One step away from zero makes it an ordinary case that rounds the same way.
  if (IsDecimalTie(v, precision)) v = std::nextafter(v, v < 0 ? -HUGE_VAL : HUGE_VAL);
  char buf[400];
  auto r = std::to_chars(buf, buf + sizeof buf, v, std::chars_format::fixed, precision);
  if (r.ec != std::errc()) return "0";
  std::string s(buf, r.ptr);
  // "-0.00" reads as a negative number that is not there.
  if (s[0] == '-' && s.find_first_not_of("-0.") == std::string::npos) s.erase(0, 1);
  return s;
}

// Mantissa with the given number of significant digits and an exponent of at least three digits,
// the runtime's scientific form: 1.50000000000000E+003.
std::string Scientific(double v, int significant) {
  if (!std::isfinite(v)) return Fixed(v, 0);
  // At most 18 significant digits, as the runtime gives; the text then always fits the buffer.
  significant = std::clamp(significant, 1, 18);
  char buf[400];
  auto r = std::to_chars(buf, buf + sizeof buf, v, std::chars_format::scientific, significant - 1);
  std::string s(buf, r.ptr);
  const auto e = s.find('e');
  std::string mant = s.substr(0, e);
  int exp = std::stoi(s.substr(e + 1));
  std::string ex = std::to_string(std::abs(exp));
  while (ex.size() < 3) ex.insert(0, "0");
  return mant + "E" + (exp < 0 ? "-" : "+") + ex;
}

std::string General(double v, int precision) {
  if (!std::isfinite(v)) return Fixed(v, 0);
  if (precision <= 0 || precision > 15) precision = 15;
  if (v == 0) return "0";
  char buf[400];
  auto r = std::to_chars(buf, buf + sizeof buf, v, std::chars_format::general, precision);
  std::string s(buf, r.ptr);
  const auto e = s.find('e');
  if (e == std::string::npos) return s;
  int exp = std::stoi(s.substr(e + 1));
  std::string ex = std::to_string(std::abs(exp));
  while (ex.size() < 2) ex.insert(0, "0");
  return s.substr(0, e) + "E" + (exp < 0 ? "-" : "+") + ex;
}

std::string WithThousands(const std::string& fixed) {
  std::size_t start = (fixed[0] == '-') ? 1 : 0;
  std::size_t dot = fixed.find('.');
  if (dot == std::string::npos) dot = fixed.size();
  std::string out = fixed.substr(0, start);
  for (std::size_t i = start; i < dot; ++i) {
    out += fixed[i];
    const std::size_t left = dot - i - 1;
    if (left > 0 && left % 3 == 0) out += ',';
  }
  out += fixed.substr(dot);
  return out;
}

}  // namespace

std::string FormatList(std::string_view format, std::initializer_list<FormatArg> args) {
  std::vector<const FormatArg*> list;
  list.reserve(args.size());
  for (const auto& a : args) list.push_back(&a);

  std::string out;
  out.reserve(format.size() + 16 * list.size());
  std::size_t next = 0;
  std::size_t i = 0;
  const std::size_t n = format.size();

  auto takeArg = [&](std::size_t specStart) -> const FormatArg& {
    if (next >= list.size()) NoArgument(format.substr(specStart));
    return *list[next++];
  };
  auto readNumber = [&](std::size_t specStart, int& value) -> bool {
    if (i < n && format[i] == '*') {
      ++i;
      const FormatArg& a = takeArg(specStart);
      if (a.kind() != FormatArg::Kind::Signed && a.kind() != FormatArg::Kind::Unsigned) InvalidFormat(format);
      value = int(a.kind() == FormatArg::Kind::Signed ? a.asSigned() : std::int64_t(a.asUnsigned()));
      return true;
    }
    bool any = false;
    value = 0;
    while (i < n && format[i] >= '0' && format[i] <= '9') {
      if (value < 100000) value = value * 10 + (format[i] - '0');
      ++i;
      any = true;
    }
    return any;
  };

  while (i < n) {
    const char c = format[i];
    if (c != '%') {
      out += c;
      ++i;
      continue;
    }
    const std::size_t specStart = i;
    ++i;
    if (i < n && format[i] == '%') {
      out += '%';
      ++i;
      continue;
    }
    bool left = false;
    int width = -1;
    int precision = -1;
    int number = 0;
    // An index ("%1:s") or a width; an index is followed by ':'.
    {
      std::size_t j = i;
      int index = 0;
      while (j < n && format[j] >= '0' && format[j] <= '9' && index < 100000) index = index * 10 + (format[j++] - '0');
      if (j > i && j < n && format[j] == ':') {
        next = std::size_t(index);
        i = j + 1;
      }
    }
    if (i < n && format[i] == '-') {
      left = true;
      ++i;
    }
    if (readNumber(specStart, number)) width = number;
    if (i < n && format[i] == '.') {
      ++i;
      readNumber(specStart, number);
      precision = number;
    }
    if (i >= n) InvalidFormat(format);
    const char type = AsciiLower(format[i++]);
    const FormatArg& a = takeArg(specStart);
    std::string text;
    using K = FormatArg::Kind;
    switch (type) {
      case 'd':
      case 'u':
      case 'x': {
        std::uint64_t mag;
        bool neg = false;
        if (a.kind() == K::Signed) {
          const std::int64_t v = a.asSigned();
          if (type == 'd') {
            neg = v < 0;
            mag = neg ? std::uint64_t(0) - std::uint64_t(v) : std::uint64_t(v);
          } else {
            // Unsigned and hex views of a negative value show its two's complement at its own width.
            mag = a.narrow() ? std::uint64_t(std::uint32_t(v)) : std::uint64_t(v);
          }
        } else if (a.kind() == K::Unsigned) {
          mag = a.asUnsigned();
        } else {
          InvalidFormat(format);
        }
        std::string digits = Digits(mag, type == 'x' ? 16 : 10, true);
        if (precision > 0 && int(digits.size()) < precision)
          digits.insert(0, std::size_t(precision) - digits.size(), '0');
        text = (neg ? "-" : "") + digits;
        break;
      }
      case 'e':
      case 'f':
      case 'g':
      case 'n':
      case 'm': {
        if (a.kind() != K::Float) InvalidFormat(format);
        const double v = a.asFloat();
        if (type == 'e') text = Scientific(v, precision < 0 ? 15 : precision);
        else if (type == 'g') text = General(v, precision);
        else if (type == 'f') text = Fixed(v, precision < 0 ? 2 : precision);
        else text = WithThousands(Fixed(v, precision < 0 ? 2 : precision));
        break;
      }
      case 's': {
        if (a.kind() != K::Text) InvalidFormat(format);
        std::string_view s = a.asText();
        if (precision >= 0 && std::size_t(precision) < s.size()) s = s.substr(0, std::size_t(precision));
        text = s;
        break;
      }
      case 'p': {
        if (a.kind() != K::Pointer) InvalidFormat(format);
        text = Digits(reinterpret_cast<std::uintptr_t>(a.asPointer()), 16, true);
        text.insert(0, sizeof(void*) * 2 - text.size(), '0');
        break;
      }
      default:
        InvalidFormat(format);
    }
    if (width > 0 && int(text.size()) < width) {
      const std::string pad(std::size_t(width) - text.size(), ' ');
      text = left ? text + pad : pad + text;
    }
    out += text;
  }
  return out;
}

std::string TrimRight(std::string_view s) {
  std::size_t e = s.size();
  while (e > 0 && static_cast<unsigned char>(s[e - 1]) <= ' ') --e;
  return std::string(s.substr(0, e));
}

std::size_t AppendQuotedText(std::string_view Text, std::size_t From, std::string& Out) {
  std::size_t i = From;
  while (i < Text.size()) {
    const std::size_t quote = Text.find('"', i);
    if (quote == std::string_view::npos) {
      Out.append(Text.substr(i));
      return Text.size();
    }
    Out.append(Text.substr(i, quote - i));
    i = quote + 1;
    if (i >= Text.size() || Text[i] != '"') return i;
    Out += '"';
    ++i;
  }
  return i;
}

std::string Trim(std::string_view s) {
  std::size_t b = 0;
  std::size_t e = s.size();
  while (b < e && static_cast<unsigned char>(s[b]) <= ' ') ++b;
  while (e > b && static_cast<unsigned char>(s[e - 1]) <= ' ') --e;
  return std::string(s.substr(b, e - b));
}

std::string UpperCase(std::string_view s) {
  std::string r(s);
  for (auto& c : r) c = AsciiUpper(c);
  return r;
}

namespace {

// Windows-1252's 0x80..0x9F; the five unassigned codes map to the C1 controls as Windows does.
constexpr char16_t kCp1252High[32] = {0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,
                                      0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0x008D, 0x017D, 0x008F,
                                      0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
                                      0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};

// Length of the capital at s[i] and the bytes of its small letter: A-Z, and Windows-1252's capitals as they
// stand in UTF-8 (U+00C0..U+00DE without the multiplication sign, Š, Œ, Ž, Ÿ). Every small letter is as long
// as its capital, so folding never moves the rest of the text. 0 when s[i] starts no capital.
std::size_t LowerAt(std::string_view s, std::size_t i, char (&small)[2]) {
  const auto b = static_cast<unsigned char>(s[i]);
  if (b >= 'A' && b <= 'Z') {
    small[0] = char(b + 32);
    return 1;
  }
  if ((b != 0xC3 && b != 0xC5) || i + 1 >= s.size()) return 0;
  const auto c = static_cast<unsigned char>(s[i + 1]);
  small[0] = char(b);
  if (b == 0xC3 && c >= 0x80 && c <= 0x9E && c != 0x97) small[1] = char(c + 0x20);
  else if (b == 0xC5 && (c == 0xA0 || c == 0x92 || c == 0xBD)) small[1] = char(c + 1);
  else if (b == 0xC5 && c == 0xB8) small[0] = char(0xC3), small[1] = char(0xBF);  // Ÿ -> ÿ
  else return 0;
  return 2;
}

// Weight of the character at s[pos] after folding, pos moved past it. Characters order as their bytes do in
// Windows-1252, the game's code page; other code points follow all of those, and a byte that is no UTF-8
// follows everything, so two texts weigh the same only when their folded bytes are the same.
std::uint32_t FoldedWeightAt(std::string_view s, std::size_t& pos) {
  const auto b = static_cast<unsigned char>(s[pos]);
  if (b < 0x80) {
    ++pos;
    return (b >= 'A' && b <= 'Z') ? b + 32u : b;
  }
  const std::size_t at = pos;
  char32_t cp = platform::DecodeUtf8At(s, pos);
  if (cp == platform::kNoUtf8) {
    ++pos;
    return 0x200000u + b;
  }
  char small[2];
  if (LowerAt(s, at, small) == 2) {
    cp = static_cast<char32_t>(((static_cast<unsigned char>(small[0]) & 0x1F) << 6) |
                               (static_cast<unsigned char>(small[1]) & 0x3F));
  }
  if (cp >= 0xA0 && cp <= 0xFF) return cp;
  for (std::uint32_t k = 0; k < 32; ++k) {
    if (kCp1252High[k] == cp) return 0x80 + k;
  }
  return 0x100u + cp;
}

}  // namespace

std::string LowerCase(std::string_view s) {
  std::string r;
  LowerCaseTo(s, r);
  return r;
}

namespace {

// Folds the n bytes at p where they stand.
void FoldInPlace(char* p, std::size_t n) {
  const std::string_view r(p, n);
  char small[2];
  for (std::size_t i = 0; i < n; ++i) {
    const auto b = static_cast<unsigned char>(p[i]);
    if (b - unsigned('A') < 26u) {
      p[i] = char(b + 32);
    } else if (b >= 0xC3 && LowerAt(r, i, small) == 2) {  // no capital of two bytes starts lower
      p[i] = small[0];
      p[++i] = small[1];
    }
  }
}

}  // namespace

void LowerCaseTo(std::string_view s, std::string& r) {
  r.assign(s);
  FoldInPlace(r.data(), r.size());
}

std::size_t TextHash(std::string_view s) {
  // Folded and hashed a piece at a time on the stack: a lookup allocates nothing, so running out of memory
  // never reaches it, and no buffer of the thread waits for its end.
  platform::KeyedHashStream hash;
  char piece[256];
  while (!s.empty()) {
    std::size_t n = std::min(s.size(), sizeof piece);
    // A capital of two bytes stays in one piece; two lead bytes in a row are never one capital.
    const auto last = static_cast<unsigned char>(s[n - 1]);
    if (n < s.size() && (last == 0xC3 || last == 0xC5)) --n;
    std::memcpy(piece, s.data(), n);
    FoldInPlace(piece, n);
    hash.Add(std::string_view(piece, n));
    s.remove_prefix(n);
  }
  return std::size_t(hash.Finish());
}

int CompareText(std::string_view a, std::string_view b) {
  // Equal bytes weigh the same: the common start is skipped eight bytes at a time, then the walk goes back
  // to the start of the character there, so a letter of several bytes is still weighed whole.
  const std::size_t shorter = std::min(a.size(), b.size());
  std::size_t same = 0;
  while (same + 8 <= shorter && std::memcmp(a.data() + same, b.data() + same, 8) == 0) same += 8;
  const auto inside = [](std::string_view s, std::size_t at) {
    return at < s.size() && (static_cast<unsigned char>(s[at]) & 0xC0) == 0x80;
  };
  while (same > 0 && (inside(a, same) || inside(b, same))) --same;
  std::size_t i = same, j = same;
  while (i < a.size() && j < b.size()) {
    const auto x = static_cast<unsigned char>(a[i]);
    const auto y = static_cast<unsigned char>(b[j]);
    if ((x | y) < 0x80) {  // the common all-ASCII step without decoding
      const unsigned lx = (x >= 'A' && x <= 'Z') ? x + 32u : x;
      const unsigned ly = (y >= 'A' && y <= 'Z') ? y + 32u : y;
      if (lx != ly) return lx < ly ? -1 : 1;
      ++i, ++j;
      continue;
    }
    const std::uint32_t wx = FoldedWeightAt(a, i);
    const std::uint32_t wy = FoldedWeightAt(b, j);
    if (wx != wy) return wx < wy ? -1 : 1;
  }
  if (i == a.size()) return j == b.size() ? 0 : -1;
  return 1;
}

bool SameText(std::string_view a, std::string_view b) { return a.size() == b.size() && CompareText(a, b) == 0; }

bool StartsText(std::string_view prefix, std::string_view s) {
  return s.size() >= prefix.size() && SameText(s.substr(0, prefix.size()), prefix);
}

bool EndsText(std::string_view suffix, std::string_view s) {
  return s.size() >= suffix.size() && SameText(s.substr(s.size() - suffix.size()), suffix);
}

std::size_t FindText(std::string_view haystack, std::string_view needle, std::size_t from) {
  if (needle.empty()) return from <= haystack.size() ? from : std::string_view::npos;
  for (std::size_t i = from; i + needle.size() <= haystack.size(); ++i) {
    if (SameText(haystack.substr(i, needle.size()), needle)) return i;
  }
  return std::string_view::npos;
}

std::string IntToStr(std::int64_t v) { return std::to_string(v); }

std::optional<std::int64_t> TryStrToInt(std::string_view s) {
  std::string t = Trim(s);
  std::string_view v = t;
  bool neg = false;
  if (!v.empty() && (v[0] == '-' || v[0] == '+')) {
    neg = v[0] == '-';
    v.remove_prefix(1);
  }
  int base = 10;
  if (!v.empty() && v[0] == '$') {
    base = 16;
    v.remove_prefix(1);
  } else if (v.size() > 1 && v[0] == '0' && (v[1] == 'x' || v[1] == 'X')) {
    base = 16;
    v.remove_prefix(2);
  }
  if (v.empty()) return std::nullopt;
  std::uint64_t mag = 0;
  auto r = std::from_chars(v.data(), v.data() + v.size(), mag, base);
  if (r.ec != std::errc() || r.ptr != v.data() + v.size()) return std::nullopt;
  if (neg) {
    if (mag > std::uint64_t(INT64_MAX) + 1) return std::nullopt;
    return std::int64_t(std::uint64_t(0) - mag);
  }
  if (mag > std::uint64_t(INT64_MAX)) return std::nullopt;
  return std::int64_t(mag);
}

int StrToIntDef(std::string_view s, int def) {
  const auto v = TryStrToInt(s);
  if (!v || *v < INT32_MIN || *v > INT32_MAX) return def;
  return int(*v);
}

std::string StringReplaceAll(std::string_view s, std::string_view from, std::string_view to) {
  if (from.empty()) return std::string(s);
  std::string out;
  out.reserve(s.size());
  std::size_t pos = 0;
  while (true) {
    const std::size_t hit = s.find(from, pos);
    if (hit == std::string_view::npos) break;
    out.append(s.substr(pos, hit - pos));
    out.append(to);
    pos = hit + from.size();
  }
  out.append(s.substr(pos));
  return out;
}

std::string CutUtf8(std::string_view s, std::size_t maxChars) {
  std::size_t chars = 0;
  for (std::size_t i = 0; i < s.size(); ++i) {
    // Continuation bytes belong to the character before them.
    if ((static_cast<unsigned char>(s[i]) & 0xC0) == 0x80) continue;
    if (chars == maxChars) return std::string(s.substr(0, i));
    ++chars;
  }
  return std::string(s);
}

// The code point and UTF-16 conversions live once, in the platform layer, which reads UTF-16 itself
// (registry escapes, PE string tables) and cannot depend on this library.
void AppendUtf8(std::string& out, char32_t cp) { platform::AppendUtf8(out, cp); }

bool IsValidUtf8(std::string_view s) {
  for (std::size_t i = 0; i < s.size();) {
    // Plain ASCII, most of any game file, is passed eight bytes at a time.
    std::uint64_t word = 0;
    if (s.size() - i >= sizeof word) {
      std::memcpy(&word, s.data() + i, sizeof word);
      if ((word & 0x8080808080808080ull) == 0) {
        i += sizeof word;
        continue;
      }
    }
    if (static_cast<unsigned char>(s[i]) < 0x80) ++i;
    else if (platform::DecodeUtf8At(s, i) == platform::kNoUtf8) return false;
  }
  return true;
}

std::string Cp1252ToUtf8(std::string_view s) {
  // 0x80..0x9F differ from Latin-1.
  std::string out;
  out.reserve(s.size() + s.size() / 8);
  for (char ch : s) {
    const auto c = static_cast<unsigned char>(ch);
    if (c < 0x80) out += ch;
    else if (c < 0xA0) AppendUtf8(out, kCp1252High[c - 0x80]);
    else AppendUtf8(out, c);
  }
  return out;
}

std::string GameTextToUtf8(std::string_view s) {
  if (IsValidUtf8(s)) return std::string(s);
  return Cp1252ToUtf8(s);
}

std::string EscapeOutsideText(std::string_view s) {
  static constexpr char kHex[] = "0123456789abcdef";
  std::string out;
  out.reserve(s.size());
  for (std::size_t i = 0; i < s.size();) {
    const auto c = static_cast<unsigned char>(s[i]);
    if (c < 0x20 || c == 0x7F) {
      out += {'\\', 'x', kHex[c >> 4], kHex[c & 15]};
      ++i;
    } else if (c < 0x80) {
      out += s[i++];
    } else {
      const std::size_t start = i;
      const char32_t cp = platform::DecodeUtf8At(s, i);
      if (cp == platform::kNoUtf8) {
        out += {'\\', 'x', kHex[c >> 4], kHex[c & 15]};
        ++i;
      } else if ((cp >= 0x80 && cp < 0xA0) || cp == 0x061C || cp == 0x200E || cp == 0x200F ||
                 (cp >= 0x202A && cp <= 0x202E) || (cp >= 0x2066 && cp <= 0x2069)) {
        out += "\\u";
        for (int shift = 12; shift >= 0; shift -= 4) out += kHex[(cp >> shift) & 15];
      } else {
        out.append(s.substr(start, i - start));
      }
    }
  }
  return out;
}

}  // namespace qmz
