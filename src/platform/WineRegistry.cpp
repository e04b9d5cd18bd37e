#include "platform/WineRegistry.h"

#include <optional>
#include <string>

#include "platform/Utf16.h"
#include "platform/WholeFile.h"

namespace qmz::platform {

namespace {

constexpr std::string_view kHeader = "WINE REGISTRY Version 2";

int HexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

// Decodes one UTF-8 sequence at text[pos] into UTF-16 units; a broken sequence gives U+FFFD for its
// first byte, so bytes that are not UTF-8 never swallow what follows.
void DecodeRawUtf8(std::string_view text, size_t& pos, std::u16string& out) {
  const char32_t cp = DecodeUtf8At(text, pos);
  if (cp == kNoUtf8) {
    out += u'\uFFFD';
    ++pos;
  } else if (cp >= 0x10000) {
    out += static_cast<char16_t>(0xD800 + ((cp - 0x10000) >> 10));
    out += static_cast<char16_t>(0xDC00 + ((cp - 0x10000) & 0x3FF));
  } else {
    out += static_cast<char16_t>(cp);
  }
}

// Reads an escaped text that starts at line[pos] and ends at the unescaped terminator (Wine writes
// key names with "]" and names and strings with '"' as terminator). Escapes: \\ \" \a \b \e \f \n \r
// \t \v, \x with up to four hex digits (one UTF-16 unit, so characters beyond the BMP come as two),
// \ with up to three octal digits; any other escaped character stands for itself. On success pos is
// just past the terminator; nullopt when the terminator is missing.
std::optional<std::string> ParseEscaped(std::string_view line, size_t& pos, char terminator) {
  std::u16string units;
  while (pos < line.size()) {
    const char c = line[pos];
    if (c == terminator) {
      ++pos;
      return Utf16ToUtf8(units);
    }
    if (static_cast<unsigned char>(c) >= 0x80) {
      DecodeRawUtf8(line, pos, units);
      continue;
    }
    ++pos;
    if (c != '\\') {
      units += static_cast<char16_t>(c);
      continue;
    }
    if (pos >= line.size()) break;
    const char e = line[pos++];
    switch (e) {
      case 'a':
        units += u'\a';
        break;
      case 'b':
        units += u'\b';
        break;
      case 'e':
        units += u'\x1b';
        break;
      case 'f':
        units += u'\f';
        break;
      case 'n':
        units += u'\n';
        break;
      case 'r':
        units += u'\r';
        break;
      case 't':
        units += u'\t';
        break;
      case 'v':
        units += u'\v';
        break;
      case 'x': {
        unsigned value = 0;
        int digits = 0;
        while (digits < 4 && pos < line.size() && HexDigit(line[pos]) >= 0) {
          value = value * 16 + static_cast<unsigned>(HexDigit(line[pos++]));
          ++digits;
        }
        units += digits > 0 ? static_cast<char16_t>(value) : u'x';
        break;
      }
      default:
        if (e >= '0' && e <= '7') {
          unsigned value = static_cast<unsigned>(e - '0');
          for (int digits = 1; digits < 3 && pos < line.size() && line[pos] >= '0' && line[pos] <= '7'; ++digits) {
            value = value * 8 + static_cast<unsigned>(line[pos++] - '0');
          }
          units += static_cast<char16_t>(value);
        } else if (static_cast<unsigned char>(e) >= 0x80) {
          --pos;  // an escaped non-ASCII character: take it whole
          DecodeRawUtf8(line, pos, units);
        } else {
          units += static_cast<char16_t>(e);
        }
    }
  }
  return std::nullopt;
}

std::string_view TrimRight(std::string_view s) {
  while (!s.empty() && (s.back() == ' ' || s.back() == '\t' || s.back() == '\r')) s.remove_suffix(1);
  return s;
}

std::string_view TrimLeft(std::string_view s) {
  while (!s.empty() && (s.front() == ' ' || s.front() == '\t')) s.remove_prefix(1);
  return s;
}

// Splits the text into lines (LF or CRLF), without the line breaks.
class LineReader {
 public:
  explicit LineReader(std::string_view text) : text_(text) {}
  bool Next(std::string_view& line) {
    if (pos_ >= text_.size()) return false;
    const size_t end = std::min(text_.find('\n', pos_), text_.size());
    line = TrimRight(text_.substr(pos_, end - pos_));
    pos_ = end + 1;
    return true;
  }

 private:
  std::string_view text_;
  size_t pos_ = 0;
};

}  // namespace

bool WineRegistry::LoadText(RegistryRoot root, std::string_view text) {
  if (text.starts_with("\xEF\xBB\xBF")) text.remove_prefix(3);
  LineReader lines(text);
  std::string_view line;
  if (!lines.Next(line) || line != kHeader) return false;

  RegistryKey* key = nullptr;
  while (lines.Next(line)) {
    line = TrimLeft(line);
    if (line.empty() || line.front() == '#' || line.front() == ';') continue;
    size_t pos = 1;
    if (line.front() == '[') {
      // "[Software\\Vendor\\App] 1700000000": the stamp after the name is of no use here.
      const auto name = ParseEscaped(line, pos, ']');
      key = name ? &AddKey(root, *name) : nullptr;
      continue;
    }
    std::optional<std::string> name;
    if (line.front() == '@') {
      name = std::string();
    } else if (line.front() == '"') {
      name = ParseEscaped(line, pos, '"');
    }
    if (!name) continue;
    const bool hasData = pos < line.size() && line[pos] == '=';
    const std::string_view data = hasData ? line.substr(pos + 1) : std::string_view();
    // Hex data runs on over lines ending in "\"; its continuation lines are skipped with it.
    if (data.starts_with("hex")) {
      std::string_view last = line;
      while (last.ends_with('\\') && lines.Next(last)) {
      }
    }
    if (key == nullptr || !hasData) continue;
    std::optional<std::string> text;
    size_t start = 0;
    if (data.starts_with('"')) {
      start = 1;
    } else if (data.starts_with("str(2):\"")) {
      start = 8;  // REG_EXPAND_SZ: read like a plain string, as the game's registry reads do
    }
    if (start != 0) {
      size_t at = start;
      text = ParseEscaped(data, at, '"');
      if (!text) continue;  // unterminated text: a damaged line, not a value
      key->SetString(*name, std::move(*text));
    } else if (!data.empty()) {
      key->SetNonString(*name);
    }
  }
  return true;
}

std::shared_ptr<WineRegistry> WineRegistry::LoadPrefix(const std::filesystem::path& prefix) {
  auto registry = std::make_shared<WineRegistry>();
  const auto load = [&](RegistryRoot root, const char* fileName) {
    std::string text;
    if (ReadWholeFile((prefix / fileName).string(), text)) registry->LoadText(root, text);
  };
  load(RegistryRoot::LocalMachine, "system.reg");
  load(RegistryRoot::CurrentUser, "user.reg");
  return registry;
}

}  // namespace qmz::platform
