// Text helpers of the scanner and the DTD reader: names, references, white space, UTF-8 repair.
#include "support/XmlScanner.h"

#include <algorithm>

#include "platform/Utf16.h"
#include "support/SysUtils.h"
#include "support/XmlScanner_Text.h"

namespace qmz {

// ---------------------------------------------------------------------------------------------------
// Text helpers shared with the DTD reader

namespace xml {

namespace {

bool IsAsciiLetter(char c) { return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z'); }

}  // namespace

// Names start as in the 8-bit code page: ':', '_', an ASCII letter or a Latin-1 letter (192 to 255
// without the signs "×" 215 and "÷" 247; 128 to 191 are no letters). The text is held as UTF-8, so the
// class is taken of the character at p, not of its first byte. A character beyond Latin-1 has no byte
// of its own in that code page: it starts a name, as every lead byte from 0xC0 did, and so does a byte
// that is no UTF-8 there.
bool IsNameStart(std::string_view t, size_t p) {
  const auto lead = static_cast<unsigned char>(t[p]);
  if (lead < 0x80) return t[p] == ':' || t[p] == '_' || IsAsciiLetter(t[p]);
  size_t next = p;
  const char32_t cp = platform::DecodeUtf8At(t, next);
  if (cp == platform::kNoUtf8 || cp > 0xFF) return lead >= 0xC0;
  return cp >= 0xC0 && cp != 0xD7 && cp != 0xF7;
}

// Every byte of a character beyond ASCII belongs to a reference's name.
bool IsNameChar(char c) {
  return c == ':' || c == '_' || IsAsciiLetter(c) || (c >= '0' && c <= '9') || c == '.' || c == '-' ||
         static_cast<unsigned char>(c) >= 0x80;
}

size_t SkipWs(std::string_view t, size_t p) {
  while (p < t.size() && IsWs(t[p])) ++p;
  return p;
}

size_t NameEnd(std::string_view t, size_t p, std::string_view delims) {
  while (p < t.size() && !IsWs(t[p]) && t[p] != '>' && t[p] != '\0' && delims.find(t[p]) == std::string_view::npos) ++p;
  return p;
}

bool StartsAt(std::string_view t, size_t p, std::string_view s) { return p <= t.size() && t.substr(p, s.size()) == s; }

void AppendCharRef(std::string& out, std::string_view digits) {
  bool hex = !digits.empty() && (digits[0] == 'x' || digits[0] == 'X');
  if (hex) digits.remove_prefix(1);
  unsigned long cp = 0;
  bool ok = !digits.empty();
  for (char c : digits) {
    int d;
    if (c >= '0' && c <= '9') d = c - '0';
    else if (hex && c >= 'a' && c <= 'f') d = c - 'a' + 10;
    else if (hex && c >= 'A' && c <= 'F') d = c - 'A' + 10;
    else {
      ok = false;
      break;
    }
    cp = cp * (hex ? 16 : 10) + static_cast<unsigned long>(d);
    if (cp > 0x10FFFF) {
      ok = false;
      break;
    }
  }
  // A code that names no character (unreadable, zero, a surrogate half, beyond Unicode) gives a blank:
  // a zero byte or a lone surrogate would corrupt the text further on.
  if (!ok || cp == 0 || (cp >= 0xD800 && cp <= 0xDFFF)) cp = ' ';
  AppendUtf8(out, static_cast<char32_t>(cp));
}

TRef ScanRef(std::string_view t, size_t amp, char lead) {
  TRef r;
  size_t p = amp + 1;
  bool isChar = lead == '&' && p < t.size() && t[p] == '#';
  if (isChar) ++p;
  size_t start = p;
  while (p < t.size() && IsNameChar(t[p])) ++p;
  // The name ends at the first character that cannot belong to it; without ';' right there this is
  // no reference (never a ';' found further on in the text). "&#;" is a character reference whose
  // number cannot be read.
  if ((p == start && !isChar) || p >= t.size() || t[p] != ';') return r;
  r.Kind = isChar ? TRef::Char : TRef::Named;
  r.Name = t.substr(start, p - start);
  r.End = p + 1;
  return r;
}

const char* PredefinedEntity(std::string_view name) {
  if (name == "lt") return "<";
  if (name == "gt") return ">";
  if (name == "amp") return "&";
  if (name == "apos") return "'";
  if (name == "quot") return "\"";
  return nullptr;
}

std::string ReplaceCharRefs(std::string_view t) {
  std::string out;
  out.reserve(t.size());
  size_t p = 0;
  while (p < t.size()) {
    size_t amp = t.find('&', p);
    if (amp == std::string_view::npos) amp = t.size();
    out.append(t.substr(p, amp - p));
    if (amp >= t.size()) break;
    TRef r = ScanRef(t, amp, '&');
    if (r.Kind == TRef::Char) {
      AppendCharRef(out, r.Name);
      p = r.End;
    } else {
      out += '&';
      p = amp + 1;
    }
  }
  return out;
}

std::string CollapseWs(std::string_view t) {
  std::string out;
  out.reserve(t.size());
  bool pendingBlank = false;
  for (char c : t) {
    if (IsWs(c)) {
      pendingBlank = !out.empty();
    } else {
      if (pendingBlank) out += ' ';
      pendingBlank = false;
      out += c;
    }
  }
  return out;
}

std::string RemoveWs(std::string_view t) {
  std::string out;
  out.reserve(t.size());
  for (char c : t)
    if (!IsWs(c)) out += c;
  return out;
}

TTextFrames::TTextFrames(std::shared_ptr<const std::string> text, size_t pos) {
  fFrames.push_back({std::move(text), pos, {}, nullptr});
}

TTextFrame& TTextFrames::Current() {
  while (fFrames.size() > 1 && fFrames.back().Pos >= fFrames.back().Text->size()) fFrames.pop_back();
  return fFrames.back();
}

bool TTextFrames::Contains(std::string_view name) const {
  return std::any_of(fFrames.begin() + 1, fFrames.end(), [&](const TTextFrame& f) { return f.Name == name; });
}

}  // namespace xml

using namespace xml;

std::string XmlValidUtf8(std::string_view t) {
  if (IsValidUtf8(t)) return std::string(t);
  std::string out;
  out.reserve(t.size() + 8);
  for (size_t i = 0; i < t.size();) {
    const size_t start = i;
    if (platform::DecodeUtf8At(t, i) == platform::kNoUtf8) {
      // One "¿" for this byte only: what follows is read again as the start of a character.
      out += "\xC2\xBF";
      ++i;
    } else {
      out.append(t.substr(start, i - start));
    }
  }
  return out;
}

}  // namespace qmz
