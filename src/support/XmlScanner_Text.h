#pragma once
// Character classes and reference helpers shared by the scanner and the DTD reader of XmlScanner.
#include <cstddef>
#include <string>
#include <string_view>

namespace qmz::xml {

inline bool IsWs(char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\r'; }
bool IsNameStart(char c);
bool IsNameChar(char c);
size_t SkipWs(std::string_view t, size_t p);
// End of a name starting at p: white space, '>', a zero byte and the given delimiters end it.
size_t NameEnd(std::string_view t, size_t p, std::string_view delims);
bool StartsAt(std::string_view t, size_t p, std::string_view s);

// "65" or "x41" of a character reference, appended as UTF-8.
void AppendCharRef(std::string& out, std::string_view digits);

// A reference at t[amp] (lead '&' for general and character references, '%' for parameter ones).
struct TRef {
  enum { None, Char, Named } Kind = None;
  std::string_view Name;  // the name, or the digits of a character reference
  size_t End = 0;         // just after the ';'
};
TRef ScanRef(std::string_view t, size_t amp, char lead);
const char* PredefinedEntity(std::string_view name);

std::string ReplaceCharRefs(std::string_view t);
std::string CollapseWs(std::string_view t);  // trimmed, inner runs become one blank
std::string RemoveWs(std::string_view t);

}  // namespace qmz::xml
