#include "update/wuWebUpdate_Page.h"

#include <algorithm>
#include <charconv>
#include <cstdint>
#include <optional>
#include <vector>

#include "support/SysUtils.h"

namespace qmz {

namespace {

// The text from start up to the next double quote, searched within limit characters; empty when
// no quote is found there.
std::string UpToQuote(std::string_view line, size_t start, size_t limit) {
  if (start >= line.size()) return {};
  const std::string_view window = line.substr(start, limit);
  const size_t quote = window.find('"');
  return quote == std::string_view::npos ? std::string() : std::string(window.substr(0, quote));
}

size_t FindNoCase(std::string_view text, std::string_view what) {
  const auto it = std::search(text.begin(), text.end(), what.begin(), what.end(), [](char a, char b) {
    return std::tolower(static_cast<unsigned char>(a)) == std::tolower(static_cast<unsigned char>(b));
  });
  return it == text.end() ? std::string_view::npos : static_cast<size_t>(it - text.begin());
}

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

// The leading decimal number of a version part; anything else counts as 0.
std::uint64_t PartValue(std::string_view part) {
  std::uint64_t value = 0;
  for (char c : part) {
    if (c < '0' || c > '9') return 0;
    value = std::min<std::uint64_t>(value * 10 + static_cast<std::uint64_t>(c - '0'), UINT64_MAX / 16);
  }
  return value;
}

std::vector<std::uint64_t> VersionParts(std::string_view text) {
  std::vector<std::uint64_t> parts;
  size_t start = 0;
  while (true) {
    const size_t dot = text.find('.', start);
    parts.push_back(PartValue(Trim(text.substr(start, dot == std::string_view::npos ? dot : dot - start))));
    if (dot == std::string_view::npos) return parts;
    start = dot + 1;
  }
}

}  // namespace

bool ParseMetaLine(std::string_view line, std::string& tag, std::string& value) {
  const size_t meta = line.find("META NAME");
  if (meta == std::string_view::npos) return false;
  tag = UpToQuote(line, meta + 11, 255);
  const size_t content = FindNoCase(line, "CONTENT=");
  value = UpToQuote(line, content == std::string_view::npos ? 8 : content + 9, 255);
  return true;
}

UpdatePageValues ParseUpdatePage(std::string_view page, const TwuTagInfo& tags) {
  UpdatePageValues values;
  const std::pair<const std::string*, std::string*> fields[] = {
      {&tags.Version, &values.WebVersion},
      {&tags.Download, &values.DownloadUrl},
      {&tags.ClientFileName, &values.ClientFileName},
      {&tags.Redirection, &values.Redirection},
      {&tags.Author, &values.Author},
      {&tags.Email, &values.Email},
      {&tags.ProductName, &values.ProductName},
      {&tags.RunParameters, &values.RunParameters},
  };
  std::string tag, value;
  ForEachTextLine(page, [&](std::string_view line) {
    if (!ParseMetaLine(line, tag, value)) return;
    for (const auto& [name, field] : fields) {
      if (*name == tag) *field = value;
    }
  });
  return values;
}

bool IsNewerVersion(const std::string& local, const std::string& web, TwuVersionFormat format) {
  switch (format) {
    case vfStandard: {
      // The shorter text is padded with zero parts rather than ending the comparison where the local text
      // runs out: that would miss "1.2.1" as newer than "1.2" and offer "1" again and again over "1.0".
      std::vector<std::uint64_t> a = VersionParts(local), b = VersionParts(web);
      const size_t n = std::max(a.size(), b.size());
      a.resize(n, 0);
      b.resize(n, 0);
      return b > a;
    }
    case vfString:
      return web > local;
    case vfNumber: {
      // '.' as decimal mark whatever the user's locale; the whole text must be the number, a sign in front
      // allowed. Only digits, the mark and an exponent make one: "inf", "nan" and hex forms are no version.
      const auto number = [](const std::string& text) -> std::optional<double> {
        std::string_view digits = text;
        if (!digits.empty() && digits.front() == '+') digits.remove_prefix(1);
        const size_t start = !digits.empty() && digits.front() == '-' ? 1 : 0;
        if (digits.size() <= start || (!IsDigit(digits[start]) && digits[start] != '.')) return std::nullopt;
        if (digits.find_first_not_of("0123456789.eE+-") != std::string_view::npos) return std::nullopt;
        double value = 0;
        const auto [end, error] = std::from_chars(digits.data(), digits.data() + digits.size(), value);
        if (error != std::errc() || end != digits.data() + digits.size()) return std::nullopt;
        return value;
      };
      const auto a = number(local), b = number(web);
      return a && b && *b > *a;
    }
  }
  return false;
}

std::string PlainFileName(std::string_view name) {
  const size_t cut = name.find_last_of("/\\");
  std::string plain(cut == std::string_view::npos ? name : name.substr(cut + 1));
  plain.erase(std::remove_if(plain.begin(), plain.end(),
                             [](char c) { return static_cast<unsigned char>(c) < 0x20 || c == 0x7F || c == ':'; }),
              plain.end());
  plain = Trim(plain);
  if (plain.find_first_not_of('.') == std::string::npos) return {};
  return plain;
}

}  // namespace qmz
