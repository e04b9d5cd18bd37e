#include "support/mGlobalFunctions.h"

#include <charconv>
#include <filesystem>
#include <system_error>

#include "platform/BuildInfo.h"
#include "platform/PeVersionInfo.h"

namespace qmz {

// ---- file versions -------------------------------------------------------------------------------

bool GetFileVersionRecord(const std::string& FileName, TVersionInfo& Info) {
  if (FileName.empty()) return false;
  Info.FileName = FileName;
  // Our own executable is an ELF file without a version resource: it carries the build's version.
  std::error_code ec;
  if (std::filesystem::equivalent(FileName, "/proc/self/exe", ec) && !ec) {
    const auto v = platform::OwnBuildVersion();
    Info.Major = static_cast<int>(v.major);
    Info.Minor = static_cast<int>(v.minor);
    Info.Release = static_cast<int>(v.release);
    Info.Build = static_cast<int>(v.build);
    Info.FileVersion = Format("%d.%d.%d.%d", Info.Major, Info.Minor, Info.Release, Info.Build);
    return true;
  }
  const std::optional<platform::PeVersionInfo> resource = platform::ReadPeVersionInfo(FileName);
  if (!resource) return false;
  // A version resource was read: the answer is true whatever it holds.
  if (!resource->FileVersion) return true;
  const platform::PeFileVersion& v = *resource->FileVersion;
  Info.Major = v.Major;
  Info.Minor = v.Minor;
  Info.Release = v.Release;
  Info.Build = v.Build;
  Info.FileVersion = Format("%d.%d.%d.%d", Info.Major, Info.Minor, Info.Release, Info.Build);
  // The string table of the first translation: its language, then its code page.
  std::string table;
  if (!resource->Translations.empty()) {
    const std::uint32_t translation = resource->Translations.front();
    table = Format("%.4X%.4X", translation & 0xFFFF, translation >> 16);
  }
  const std::pair<const char*, std::string TVersionInfo::*> values[] = {{"FileDescription",
                                                                         &TVersionInfo::FileDescription},
                                                                        {"LegalCopyright",
                                                                         &TVersionInfo::LegalCopyright},
                                                                        {"Comments", &TVersionInfo::Comments},
                                                                        {"ProductName", &TVersionInfo::ProductName},
                                                                        {"CompanyName", &TVersionInfo::CompanyName}};
  for (const auto& [key, field] : values) {
    if (table.empty()) break;
    if (auto value = resource->StringValue(table, key)) Info.*field = std::move(*value);
  }
  return true;
}

std::string FormatVersion(const std::string& FileName, std::string_view Template) {
  TVersionInfo info;
  GetFileVersionRecord(FileName, info);
  std::string result = StringReplaceAll(Template, "%M", IntToStr(info.Major));
  result = StringReplaceAll(result, "%N", IntToStr(info.Minor));
  result = StringReplaceAll(result, "%R", IntToStr(info.Release));
  return StringReplaceAll(result, "%B", IntToStr(info.Build));
}

// ---- paths ---------------------------------------------------------------------------------------

namespace {

bool IsSep(char c) { return c == '\\' || c == '/'; }

// Length of the root that starts the path: "C:\" 3, "\\server\share\" up to its last separator,
// a lone leading separator 1; 0 for a relative path.
size_t RootLength(std::string_view s) {
  if (s.size() >= 3 && s[1] == ':' && IsSep(s[2]) && ((s[0] >= 'A' && s[0] <= 'Z') || (s[0] >= 'a' && s[0] <= 'z'))) {
    return 3;
  }
  if (s.size() >= 2 && IsSep(s[0]) && IsSep(s[1])) {
    size_t i = 2;
    for (int part = 0; part < 2 && i < s.size(); ++part) {
      while (i < s.size() && !IsSep(s[i])) ++i;
      if (i < s.size()) ++i;  // the separator after server, then after share
    }
    return i;
  }
  return !s.empty() && IsSep(s[0]) ? 1 : 0;
}

// First ".." step that is a whole path component followed by a separator.
size_t FindParentStep(std::string_view s) {
  for (size_t pos = s.find(".."); pos != std::string_view::npos; pos = s.find("..", pos + 1)) {
    if ((pos == 0 || IsSep(s[pos - 1])) && pos + 2 < s.size() && IsSep(s[pos + 2])) return pos;
  }
  return std::string_view::npos;
}

}  // namespace

std::string ExpandRelativePath(std::string_view Path) {
  std::string result(Path);
  if (result.empty() || !IsSep(result.back())) result += '\\';
  for (size_t pos = FindParentStep(result); pos != std::string::npos; pos = FindParentStep(result)) {
    std::string before = result.substr(0, pos);
    const std::string after = result.substr(pos + 3);
    if (!before.empty() && before.size() > RootLength(before)) {
      before.pop_back();  // its trailing separator
      const size_t sep = before.find_last_of("\\/");
      before = sep == std::string::npos ? std::string() : before.substr(0, sep + 1);
    }
    // At a drive root the step has nowhere to go and is dropped.
    result = before + after;
  }
  return result;
}

// ---- fields of text lines ------------------------------------------------------------------------

namespace {

struct Piece {
  bool found = false;
  size_t begin = 0, end = 0;        // the result before trimming
  size_t cutBegin = 0, cutEnd = 0;  // what Cut removes
};

Piece LocatePiece(std::string_view text, std::string_view startMark, std::string_view endMark, bool includeMarks) {
  Piece p;
  size_t restBegin = 0;
  size_t afterStart = 0;
  if (startMark != "*") {
    const size_t s = startMark.empty() ? std::string_view::npos : text.find(startMark);
    if (s == std::string_view::npos) return p;
    afterStart = s + startMark.size();
    restBegin = includeMarks ? s : afterStart;
  }
  p.found = true;
  p.begin = restBegin;
  p.cutBegin = afterStart;
  p.end = p.cutEnd = text.size();
  if (endMark != "*" && !endMark.empty()) {
    if (const size_t q = text.find(endMark, restBegin); q != std::string_view::npos) {
      p.end = includeMarks ? q + endMark.size() : q;
    }
    if (const size_t q = text.find(endMark, afterStart); q != std::string_view::npos) p.cutEnd = q + endMark.size();
  }
  return p;
}

}  // namespace

std::string ExtractBetween(std::string_view Text, std::string_view StartMark, std::string_view EndMark,
                           bool IncludeMarks) {
  const Piece p = LocatePiece(Text, StartMark, EndMark, IncludeMarks);
  return p.found ? Trim(Text.substr(p.begin, p.end - p.begin)) : std::string();
}

std::string ExtractBetweenCut(std::string& Text, std::string_view StartMark, std::string_view EndMark,
                              bool IncludeMarks, bool Cut) {
  const Piece p = LocatePiece(Text, StartMark, EndMark, IncludeMarks);
  if (!p.found) return {};
  std::string result = Trim(std::string_view(Text).substr(p.begin, p.end - p.begin));
  if (Cut) Text.erase(p.cutBegin, p.cutEnd - p.cutBegin);
  return result;
}

int PosText(std::string_view SubText, std::string_view Text) {
  if (SubText.empty()) return 0;
  const size_t pos = FindText(Text, SubText);
  return pos == std::string_view::npos ? 0 : static_cast<int>(pos) + 1;
}

bool SameTrimmedText(std::string_view A, std::string_view B) { return LowerCase(Trim(A)) == LowerCase(Trim(B)); }

std::string MakeBarText(char Fill, int Filled, int Width) {
  std::string bar;
  for (int i = 0; i < Width; ++i) bar += i <= Filled ? Fill : ' ';
  return bar;
}

// ---- number texts ----------------------------------------------------------------------------------

std::string DotToComma(std::string_view Text) { return StringReplaceAll(Text, ".", ","); }

std::string NormalizeNumberText(std::string_view Text) {
  const std::string s = DotToComma(Trim(Text));
  if (s.empty()) return "0";
  std::string result;
  bool markWritten = false;
  for (size_t i = 0; i < s.size(); ++i) {
    const char c = s[i];
    if (c == '-' && i == 0) {
      result += c;
    } else if (c == ',') {
      if (!markWritten) result += '.';
      markWritten = true;
    } else if (c >= '0' && c <= '9') {
      result += c;
    }
  }
  return result;
}

bool IsNumberText(std::string_view Text) {
  if (Text.empty()) return false;
  for (size_t i = 0; i < Text.size(); ++i) {
    const auto c = static_cast<unsigned char>(Text[i]);
    if (c == 8 || (c >= 43 && c <= 46) || (c >= '0' && c <= '9') || c == 'm' || c == 'n') continue;
    // The set's characters 188 to 190 of the 8-bit code page are U+00BC to U+00BE, two bytes in UTF-8.
    const auto next = i + 1 < Text.size() ? static_cast<unsigned char>(Text[i + 1]) : 0u;
    if (c == 0xC2 && next >= 0xBC && next <= 0xBE) {
      ++i;
      continue;
    }
    return false;
  }
  return true;
}

namespace {

// Sign, digits with at most one '.', optional exponent; the whole text. No locale is consulted.
template <typename T>
std::optional<T> ParseDecimal(std::string_view s) {
  if (!s.empty() && s[0] == '+') s.remove_prefix(1);
  const bool negative = !s.empty() && s[0] == '-';
  size_t i = negative ? 1 : 0;
  size_t digits = 0;
  size_t decimals = 0;
  bool dot = false;
  std::uint32_t number = 0;  // the digits while there are at most seven
  for (; i < s.size(); ++i) {
    const char c = s[i];
    if (c >= '0' && c <= '9') {
      if (++digits <= 7) number = number * 10 + std::uint32_t(c - '0');
      decimals += dot;
    } else if (c == '.' && !dot) {
      dot = true;
    } else {
      break;
    }
  }
  if (digits == 0) return std::nullopt;
  // A number of up to seven digits (most numbers of the game files): its digits and the power of ten
  // below them are exact in every T, so their quotient is the correctly rounded value, the same as
  // from_chars gives (-0 included) without its general road.
  if (i == s.size() && digits <= 7) {
    static constexpr std::uint32_t kTens[8] = {1, 10, 100, 1000, 10000, 100000, 1000000, 10000000};
    const T value = static_cast<T>(number) / static_cast<T>(kTens[decimals]);
    return negative ? -value : value;
  }
  if (i < s.size()) {
    if (s[i] != 'e' && s[i] != 'E') return std::nullopt;
    size_t j = i + 1;
    if (j < s.size() && (s[j] == '+' || s[j] == '-')) ++j;
    if (j == s.size()) return std::nullopt;
    for (; j < s.size(); ++j) {
      if (s[j] < '0' || s[j] > '9') return std::nullopt;
    }
  }
  T value{};
  const auto [end, ec] = std::from_chars(s.data(), s.data() + s.size(), value);
  if (ec != std::errc() || end != s.data() + s.size()) return std::nullopt;
  return value;
}

}  // namespace

namespace {

template <typename T>
std::optional<T> TryTextToNumber(std::string_view Text, char Separator) {
  std::string_view s = Text;
  while (!s.empty() && static_cast<unsigned char>(s.front()) <= ' ') s.remove_prefix(1);
  while (!s.empty() && static_cast<unsigned char>(s.back()) <= ' ') s.remove_suffix(1);
  if (s.empty()) return std::nullopt;
  // Only the text before a second decimal mark counts. Numbers are short: a plain walk finds it.
  for (size_t k = 0, seen = 0; k < s.size(); ++k) {
    if (s[k] == Separator && ++seen == 2) {
      s = s.substr(0, k);
      break;
    }
  }
  // With the '.' as the decimal mark the text is read where it stands: no copy per number.
  if (Separator == '.') return ParseDecimal<T>(s);
  // With another decimal mark a '.' is no part of a number.
  if (s.find('.') != std::string_view::npos) return std::nullopt;
  std::string copy(s);
  for (char& c : copy) {
    if (c == Separator) c = '.';
  }
  return ParseDecimal<T>(copy);
}

}  // namespace

float TextToSingle(std::string_view Text, char Separator) { return TryTextToSingle(Text, Separator).value_or(0.0f); }

std::optional<float> TryTextToSingle(std::string_view Text, char Separator) {
  return TryTextToNumber<float>(Text, Separator);
}

std::optional<double> TryTextToDouble(std::string_view Text, char Separator) {
  return TryTextToNumber<double>(Text, Separator);
}

std::optional<long double> TextToExtended(std::string_view Text) {
  const std::string s = NormalizeNumberText(Text);
  if (s.empty() || !IsNumberText(s)) return std::nullopt;
  return ParseDecimal<long double>(s).value_or(0.0L);
}

}  // namespace qmz
