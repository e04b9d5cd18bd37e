#pragma once
// Character classes and reference helpers shared by the scanner and the DTD reader of XmlScanner.
#include <cstddef>
#include <string>
#include <string_view>

namespace qmz::xml {

inline bool IsWs(char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\r'; }
// Whether a name can start at t[p] (p inside t).
bool IsNameStart(std::string_view t, size_t p);
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

#include <memory>
#include <vector>

#include "support/XmlScanner.h"

namespace qmz::xml {

// A text being read: a value, a subset, or the replacement text of an entity referenced from it.
struct TTextFrame {
  std::shared_ptr<const std::string> Text;
  size_t Pos = 0;
  std::string Name;                      // the entity whose text this is; empty for the starting text
  std::unique_ptr<TXmlParser> Instance;  // holds an external entity's text
};

// The texts of nested entity references, innermost last; an explicit stack, so the nesting of a
// document's entities never becomes nesting of calls.
class TTextFrames {
 public:
  explicit TTextFrames(std::shared_ptr<const std::string> text, size_t pos = 0);
  // The frame to read from: entity texts that were read to their end are left; the starting text
  // stays, also at its end.
  TTextFrame& Current();
  // The starting text.
  const TTextFrame& Outer() const { return fFrames.front(); }
  bool InEntity() const { return fFrames.size() > 1; }
  int Depth() const { return static_cast<int>(fFrames.size()) - 1; }
  bool Contains(std::string_view name) const;
  void Push(TTextFrame frame) { fFrames.push_back(std::move(frame)); }

 private:
  std::vector<TTextFrame> fFrames;
};

}  // namespace qmz::xml
