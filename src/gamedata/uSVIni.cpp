#include "gamedata/uSVIni.h"

#include <algorithm>
#include <charconv>
#include <climits>
#include <stdexcept>

#include "platform/AsciiText.h"
#include "platform/WholeFile.h"

namespace qmz {

namespace {

using platform::TrimView;

constexpr std::string_view kBom = "\xEF\xBB\xBF";

// Size of an entry line taken before any was read.
constexpr std::size_t kGuessedLineSize = 32;

bool IsLineEnd(char c) { return c == '\n' || c == '\r'; }

// True when the first character of line past blanks and control characters is "[".
bool IsHeader(std::string_view line) {
  for (const char c : line)
    if (static_cast<unsigned char>(c) > ' ') return c == '[';
  return false;
}

// The lines of text whose first character past blanks and control characters is "[": the sections the
// text gives. Counted first, so that the section list is made once at its size: growing it holds up to
// three times its items at once, which for a file of nothing but short headers is many times the file.
std::size_t CountHeaderLines(std::string_view text) {
  std::size_t count = 0;
  for (std::size_t at = text.find('['); at != std::string_view::npos; at = text.find('[', at + 1)) {
    std::size_t start = at;
    while (start > 0 && static_cast<unsigned char>(text[start - 1]) <= ' ' && !IsLineEnd(text[start - 1])) --start;
    if (start == 0 || IsLineEnd(text[start - 1])) ++count;
  }
  return count;
}

// Where the next line of text from from on that is a header begins (its "["); the end of text when none is.
std::size_t NextHeader(std::string_view text, std::size_t from) {
  for (std::size_t at = text.find('[', from); at != std::string_view::npos; at = text.find('[', at + 1)) {
    std::size_t start = at;
    while (start > from && static_cast<unsigned char>(text[start - 1]) <= ' ' && !IsLineEnd(text[start - 1])) --start;
    if (start == from || IsLineEnd(text[start - 1])) return at;
  }
  return text.size();
}

// Ends a parse that passed its budget.
struct BudgetPassed {};

}  // namespace

std::size_t ParsedLineCost(std::string_view line) { return (IsHeader(line) ? kSectionCost : kLineCost) + line.size(); }

TSvIniFile::TSvIniFile(const std::string& FileName, std::size_t Budget) : TCustomIniFile("") {
  std::string data;
  if (!platform::ReadWholeFile(FileName, data, kMaxGameFileSize, &ReadFailure)) {
    DecodeStatus = bsNoSource;
    return;
  }
  budget_ = Budget;
  try {
    LoadFromBuffer(data);
  } catch (const BudgetPassed&) {
    Clear();
    DecodeStatus = bsNoSource;
    ReadFailure = Format("its parse passes %d MiB", std::int64_t(Budget >> 20));
  }
  budget_ = SIZE_MAX;
  if (DecodeStatus == bsNoSource) return;
  fileName_ = FileName;
  Loaded = Sections.Count() > 0;
}

TSvIniFile::TSvIniFile(const TStringList& Strings, const std::string& FileName) : TCustomIniFile(FileName) {
  SetStrings(Strings);
}

TSvIniFile::TSvIniFile(const LineBuffer& Lines, const std::string& FileName) : TCustomIniFile(FileName) {
  SetLines(Lines);
}

TSvIniFile::~TSvIniFile() = default;

void TSvIniFile::Clear() {
  Sections.Clear();
  SectionNames.Clear();
  SectionCounts.clear();
  current_ = -1;
  currentLines_ = nullptr;
  currentRoom_ = {};
  cost_ = 0;
}

void TSvIniFile::Spend(std::size_t cost) {
  cost_ += cost;
  if (cost_ > budget_) throw BudgetPassed{};
}

void TSvIniFile::LoadFromBuffer(std::string_view Data) {
  // Decoded lines are parsed as they are made, as SetStrings would parse the list of them. A damaged
  // binary file keeps the sections decoded before the damage instead of being read again as text: its
  // bytes are no INI text, and reading them as text would lose every section and yield garbage ones.
  Clear();
  bool first = true;
  // The decoder tells each section's room first: the section's first line gets room for its lines at once,
  // their text guessed from the entry lines so far, but never more than the decoder's bound on what is
  // left to come nor more than the file (lines made long by one string would otherwise guess every
  // section long).
  TBiniSectionRoom room;
  std::size_t lines = 0;
  std::size_t bytes = 0;
  DecodeStatus = DecodeBiniLines(
      Data,
      [&](std::string_view line) {
    if (first && line.substr(0, kBom.size()) == kBom) line.remove_prefix(kBom.size());
    first = false;
    const int before = current_;
    ParseLine(line);
    if (current_ == before) {
      ++lines;
      bytes += line.size();
    } else {
      const std::size_t guess = room.lines * (lines == 0 ? kGuessedLineSize : bytes / lines + 1);
      currentRoom_ = {room.lines, std::min({guess, room.bytes, Data.size()})};
      room = {};
    }
      },
      [&room](TBiniSectionRoom next) { room = next; });
  current_ = -1;
  currentLines_ = nullptr;
  if (DecodeStatus == bsSuccess || DecodeStatus == bsBadEntry) return;
  ParseFileText(Data);
}

void TSvIniFile::LoadValues() {
  std::string data;
  if (fileName_.empty() || !platform::ReadWholeFile(fileName_, data, kMaxGameFileSize)) {
    Clear();
    return;
  }
  ParseFileText(data);
}

void TSvIniFile::ParseFileText(std::string_view bytes) {
  // The mark goes before the bytes are taken as Windows-1252, which would turn it into three letters.
  if (bytes.substr(0, kBom.size()) == kBom) bytes.remove_prefix(kBom.size());
  if (IsValidUtf8(bytes)) {
    ParseText(bytes);
  } else {
    ParseText(GameTextToUtf8(bytes));
  }
}

void TSvIniFile::ParseText(std::string_view text) {
  Clear();
  // Every header costs at least a section: a file of more than its budget allows is refused unparsed.
  const std::size_t headers = CountHeaderLines(text);
  if (budget_ != SIZE_MAX && headers > budget_ / kSectionCost) throw BudgetPassed{};
  Sections.Reserve(int(std::min<std::size_t>(headers, INT_MAX)));
  // Lines end at CR LF, LF or CR, as the string list splits them.
  ForEachTextLine(text, [this, text](std::string_view line) {
    const int before = current_;
    ParseLine(line);
    if (current_ == before) return;
    // A new section: its lines' text gets room at once, as much as there is up to the next header (most
    // sections are short, and a first room of the usual size would be many times one short line).
    const std::size_t end = std::size_t(line.data() - text.data()) + line.size();
    currentRoom_ = {0, NextHeader(text, end) - end};
  });
  current_ = -1;
  currentLines_ = nullptr;
}

void TSvIniFile::SetStrings(const TStringList& List) {
  Clear();
  for (int i = 0; i < List.Count(); ++i) {
    std::string_view line = List[i];
    if (i == 0 && line.substr(0, kBom.size()) == kBom) line.remove_prefix(kBom.size());
    ParseLine(line);
  }
  current_ = -1;
  currentLines_ = nullptr;
}

void TSvIniFile::SetLines(const LineBuffer& Lines) {
  Clear();
  // The section list made once at its size (see CountHeaderLines).
  std::size_t headers = 0;
  for (std::size_t i = 0; i < Lines.Count(); ++i) headers += IsHeader(Lines[i]) ? 1 : 0;
  Sections.Reserve(int(std::min<std::size_t>(headers, INT_MAX)));
  for (std::size_t i = 0; i < Lines.Count(); ++i) {
    std::string_view line = Lines[i];
    if (i == 0 && line.substr(0, kBom.size()) == kBom) line.remove_prefix(kBom.size());
    const int before = current_;
    ParseLine(line);
    if (current_ == before) continue;
    // A new section: room for the lines up to the next header at once, instead of growing its list
    // line by line (most sections are short, and there are many of them).
    std::size_t end = i + 1;
    std::size_t bytes = 0;
    for (; end < Lines.Count() && !IsHeader(Lines[end]); ++end) bytes += Lines[end].size();
    currentRoom_ = {std::min<std::size_t>(end - i - 1, 1u << 20), bytes};
  }
  current_ = -1;
  currentLines_ = nullptr;
}

void TSvIniFile::ParseLine(std::string_view line) {
  std::string_view s = TrimView(line);
  if (s.empty() || s.front() == ';' || s.front() == '/') return;
  if (s.front() == '[') {
    // The first and the last character go whatever the last one is; then the name ends at a "]".
    s = s.size() >= 2 ? s.substr(1, s.size() - 2) : std::string_view();
    const std::string_view raw = TrimView(s.substr(0, s.find(']')));
    int count = 1;
    const int known = SectionNames.IndexOf(raw);
    if (known >= 0) {
      count = ++SectionCounts[std::size_t(known)];
    } else {
      SectionNames.Add(raw);
      SectionCounts.push_back(1);
    }
    char digits[16];
    const auto r = std::to_chars(digits, digits + sizeof digits, count);
    Spend(kSectionCost + raw.size() + std::size_t(r.ptr - digits));
    // Name and number go into the list as they are: a huge name is not copied once more on the way.
    current_ = AddSection({raw, std::string_view(digits, std::size_t(r.ptr - digits))});
    return;
  }
  if (current_ < 0) return;
  // Inline comments run from the first ";".
  const auto semicolon = s.find(';');
  if (semicolon != std::string_view::npos) s = TrimView(s.substr(0, semicolon));
  if (currentLines_ == nullptr) currentLines_ = &LinesAt(current_);
  THashedStringList& lines = *currentLines_;
  Spend(kLineCost + s.size());
  const auto eq = s.find('=');
  if (eq == std::string_view::npos) {
    lines.Add(s);
    return;
  }
  lines.AddJoined({TrimView(s.substr(0, eq)), "=", TrimView(s.substr(eq + 1))});
}

int TSvIniFile::AddSection(std::initializer_list<std::string_view> name) {
  currentLines_ = nullptr;
  currentRoom_ = {};
  return Sections.AddJoined(name);
}

THashedStringList& TSvIniFile::LinesAt(int index) {
  if (auto* lines = static_cast<THashedStringList*>(Sections.Objects(index))) return *lines;
  auto lines = std::make_unique<THashedStringList>();
  if (index == current_ && (currentRoom_.lines > 0 || currentRoom_.bytes > 0)) {
    lines->Reserve(int(currentRoom_.lines), currentRoom_.bytes);
    currentRoom_ = {};
  }
  Sections.PutObject(index, lines.get());
  return *lines.release();
}

THashedStringList* TSvIniFile::FindLines(std::string_view Section) const {
  const int i = Sections.IndexOf(Section);
  return i < 0 ? nullptr : static_cast<THashedStringList*>(Sections.Objects(i));
}

std::string TSvIniFile::ReadString(const std::string& Section, const std::string& Ident,
                                   const std::string& Default) const {
  const THashedStringList* lines = FindLines(Section);
  if (lines == nullptr) return Default;
  const int i = lines->IndexOfName(Ident);
  return i < 0 ? Default : lines->ValueFromIndex(i);
}

std::string TSvIniFile::ReadStringF(std::string_view SectionFmt, const std::string& Ident, const std::string& Default,
                                    std::initializer_list<FormatArg> Args) const {
  return ReadString(FormatList(SectionFmt, Args), Ident, Default);
}

void TSvIniFile::ReadSections(TStringList* Strings) const {
  Strings->Clear();
  Strings->Reserve(Sections.Count());
  for (const auto& item : Sections) Strings->AddObject(item.text, item.object);
}

void TSvIniFile::ReadSectionValues(const std::string& Section, TStringList* Strings) const {
  Strings->Clear();
  const THashedStringList* lines = FindLines(Section);
  if (lines == nullptr) return;
  Strings->Reserve(lines->Count());
  for (const auto& item : *lines) Strings->Add(item.text);
}

void TSvIniFile::DoReadSectionValues(const std::string& Section, TStringList* Strings) const {
  Strings->Clear();
  const THashedStringList* lines = FindLines(Section);
  if (lines == nullptr) return;
  Strings->Reserve(lines->Count());
  for (const auto& item : *lines) {
    const std::string_view line = item.text;
    const std::size_t eq = line.find('=');
    Strings->Add(line.substr(eq == std::string_view::npos ? std::min<std::size_t>(1, line.size()) : eq + 1));
  }
}

std::unique_ptr<TStringList> TSvIniFile::ReadSectionValuesF(std::string_view SectionFmt,
                                                            std::initializer_list<FormatArg> Args) const {
  auto list = std::make_unique<TStringList>();
  ReadSectionValues(FormatList(SectionFmt, Args), list.get());
  return list;
}

std::unique_ptr<TStringList> TSvIniFile::ReadKeyValues(const std::string& Section, const std::string& Ident,
                                                       bool KeepWhole) const {
  auto list = std::make_unique<TStringList>();
  const THashedStringList* lines = FindLines(Section);
  if (lines == nullptr) return list;
  const std::string_view ident = TrimView(Ident);
  const std::string lowerKey = LowerCase(Ident) + "=";
  for (const auto& item : *lines) {
    const auto eq = item.text.find('=');
    const std::string_view name = eq == std::string::npos ? std::string_view()
                                                          : std::string_view(item.text).substr(0, eq);
    if (!SameText(TrimView(name), ident)) continue;
    if (KeepWhole) {
      list->Add(item.text);
    } else {
      list->Add(Trim(StringReplaceAll(LowerCase(item.text), lowerKey, "")));
    }
  }
  return list;
}

std::unique_ptr<TStringList> TSvIniFile::ReadKeyValuesF(std::string_view SectionFmt, const std::string& Ident,
                                                        std::initializer_list<FormatArg> Args, bool KeepWhole) const {
  return ReadKeyValues(FormatList(SectionFmt, Args), Ident, KeepWhole);
}

std::string TSvIniFile::FindSection(const std::string& Ident, const std::string& Value,
                                    const std::string& BaseName) const {
  const int name = SectionNames.IndexOf(BaseName);
  if (name < 0) return {};
  const std::string wanted = Trim(Value);
  for (int i = 1; i <= SectionCounts[std::size_t(name)]; ++i) {
    std::string section = BaseName + IntToStr(i);
    if (SameText(Trim(ReadString(section, Ident, "**fail**")), wanted)) return section;
  }
  return {};
}

void TSvIniFile::GetStrings(TStringList* Strings) const {
  for (const auto& section : Sections) {
    Strings->Add("[" + std::string(section.text) + "]");
    if (const auto* lines = static_cast<const THashedStringList*>(section.object))
      for (const auto& line : *lines) Strings->Add(line.text);
    Strings->Add(std::string());
  }
}

void TSvIniFile::WriteLine(THashedStringList& lines, const std::string& Ident, const std::string& Value) {
  const int i = lines.IndexOfName(Ident);
  if (i >= 0) {
    lines.Put(i, Ident + "=" + Value);
  } else {
    lines.Add(Ident + "=" + Value);
  }
}

THashedStringList& TSvIniFile::LinesForWrite(const std::string& Section) {
  int i = Sections.IndexOf(Section);
  // Exactly the name given: no number, and not counted among the raw names.
  if (i < 0) i = AddSection({Section});
  return LinesAt(i);
}

void TSvIniFile::WriteString(const std::string& Section, const std::string& Ident, const std::string& Value) {
  WriteLine(LinesForWrite(Section), Ident, Value);
}

void TSvIniFile::WriteSectionList(const std::string& Section, const TStringList& List) {
  THashedStringList* lines = nullptr;
  std::string text;
  for (const auto& item : List) {
    // Name and value are cut as views; the written line is made once, in a buffer, as WriteLine makes it.
    const std::string_view line = item.text;
    std::string_view ident, value;
    const auto eq = line.find('=');
    if (eq != std::string_view::npos && eq > 0) {
      ident = line.substr(0, eq);
      value = line.substr(eq + 1);
    } else {
      const auto comma = line.find(',');
      ident = TrimView(line.substr(0, comma));
      if (comma != std::string_view::npos) value = TrimView(line.substr(comma + 1));
    }
    // The section is looked up once; it is made by the first line, as WriteString would.
    if (lines == nullptr) lines = &LinesForWrite(Section);
    text.assign(ident).append(1, '=').append(value);
    const int i = lines->IndexOfName(ident);
    if (i >= 0) {
      lines->Put(i, text);
    } else {
      lines->Add(text);
    }
  }
}

void TSvIniFile::EraseSection(const std::string& Section) {
  const int i = Sections.IndexOf(Section);
  if (i >= 0) Sections.Delete(i);
}

void TSvIniFile::DeleteKey(const std::string& Section, const std::string& Ident) {
  THashedStringList* lines = FindLines(Section);
  if (lines == nullptr) return;
  const int i = lines->IndexOfName(Ident);
  if (i >= 0) lines->Delete(i);
}

void TSvIniFile::UpdateFile() {
  TStringList text;
  GetStrings(&text);
  text.SaveToFile(fileName_);
}

void TSvIniFile::ReadSection(const std::string& /*Section*/, TStringList* /*Strings*/) const {
  throw std::logic_error("Abstract Error");
}

}  // namespace qmz
