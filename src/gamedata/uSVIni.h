#pragma once
// The game INI file: every section gets the running number of its name ("Good1", "Good2" ...), keys stay
// lines in file order with their duplicates, and the file may be INI text or the binary form.
#include <algorithm>
#include <cstdint>
#include <initializer_list>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "gamedata/uIniDecoder.h"
#include "gamedata/uSVIni_Hash.h"
#include "gamedata/uSVIni_IniFile.h"
#include "support/SysUtils.h"

namespace qmz {

// Text lines kept end to end in one buffer: many lines (the joined data files) without an allocation a
// line.
class LineBuffer {
 public:
  void Add(std::string_view line) {
    bytes_.append(line);
    ends_.push_back(bytes_.size());
  }
  // Room for about bytes more text, growing as appending would (so many calls stay linear).
  void Reserve(std::size_t bytes) {
    const std::size_t needed = bytes_.size() + bytes;
    if (needed > bytes_.capacity()) bytes_.reserve(std::max(needed, bytes_.capacity() * 2));
  }
  std::size_t Count() const { return ends_.size(); }
  std::string_view operator[](std::size_t i) const {
    const std::size_t begin = i == 0 ? 0 : ends_[i - 1];
    return std::string_view(bytes_).substr(begin, ends_[i] - begin);
  }
  // Empties the buffer and gives its memory back.
  void Clear() {
    std::string().swap(bytes_);
    std::vector<std::size_t>().swap(ends_);
  }

 private:
  std::string bytes_;
  std::vector<std::size_t> ends_;  // end of each line in bytes_
};

// What a line and a section of a parsed game INI object cost beyond their text: a line its list item; a
// section its list item, its hash entries and the line list it gets with its first line. A budget for
// game text counts these, so a file of many tiny sections cannot cost many times its size.
inline constexpr std::size_t kLineCost = 32;
inline constexpr std::size_t kSectionCost = 192;
// The cost of one text line once parsed, as a budget counts it (an upper bound: comments and empty
// lines are counted too, a header's name is counted whole).
std::size_t ParsedLineCost(std::string_view line);

class TSvIniFile : public TCustomIniFile {
 public:
  // Reads FileName (binary or text). A missing or unreadable file (also one larger than
  // kMaxGameFileSize) gives an object without file name and content, with Loaded False, DecodeStatus
  // bsNoSource and the reason in ReadFailure. So does a file whose parse would cost more than Budget
  // (text plus kLineCost a line and kSectionCost a section); a text file is refused before it is parsed.
  explicit TSvIniFile(const std::string& FileName, std::size_t Budget = SIZE_MAX);
  // An object made from INI text lines; FileName is any name (the loader uses "TEMP", "Markets" ...).
  TSvIniFile(const TStringList& Strings, const std::string& FileName);
  static std::unique_ptr<TSvIniFile> CreateFromList(const TStringList& Strings, const std::string& FileName) {
    return std::make_unique<TSvIniFile>(Strings, FileName);
  }
  // The same from lines kept in a buffer.
  TSvIniFile(const LineBuffer& Lines, const std::string& FileName);
  ~TSvIniFile() override;
  TSvIniFile(const TSvIniFile&) = delete;
  TSvIniFile& operator=(const TSvIniFile&) = delete;

  // One item per section in load order: the numbered name, with the section's line list
  // (a THashedStringList) as its object, owned here. A section without lines has none (nullptr): a file of
  // many empty sections costs a list item each, not a line list each.
  THashedStringList Sections{true};
  // The distinct raw section names in order of first appearance, spelled as there, and how many sections
  // of each name were read (parallel to SectionNames).
  THashedStringList SectionNames;
  std::vector<int> SectionCounts;
  // True when the constructor from a file found at least one section.
  bool Loaded = false;
  // How the file was read: bsSuccess for a binary file, bsNotBini or bsTooSmall for text, bsNoSource for
  // a missing file. bsBadEntry: a damaged binary file, of which the part before the damage was kept.
  TBiniStatus DecodeStatus = bsGeneralError;
  bool Damaged() const { return DecodeStatus == bsBadEntry; }
  // Why the file constructor could not read its file; empty otherwise.
  std::string ReadFailure;
  // What the file constructor's parse cost, as its budget counts it.
  std::size_t Cost() const { return cost_; }

  // Replaces the content by the parse of the content of a game file, binary or text (as the file
  // constructor reads it); FileName and Loaded stay as they are.
  void LoadFromBuffer(std::string_view Data);
  // Reloads FileName as text; clears the object when there is no such file.
  void LoadValues();
  // Replaces the content by the parse of the INI text lines of List.
  void SetStrings(const TStringList& List);
  void SetLines(const LineBuffer& Lines);
  // Appends "[numbered name]", the section's lines and an empty line for every section.
  void GetStrings(TStringList* Strings) const;

  // The value of the LAST line named Ident in the section of that numbered name; Default when absent.
  std::string ReadString(const std::string& Section, const std::string& Ident,
                         const std::string& Default) const override;
  std::string ReadStringF(std::string_view SectionFmt, const std::string& Ident, const std::string& Default,
                          std::initializer_list<FormatArg> Args) const;
  // The numbered section names with their line lists as objects (still owned here: Strings must not own
  // its objects; nullptr for a section without lines). Previous content replaced.
  void ReadSections(TStringList* Strings) const override;
  // All lines of the section, whole. Previous content replaced; empty for an absent section. Called
  // through TCustomIniFile, ReadSectionValues gives the values only (DoReadSectionValues).
  void ReadSectionValues(const std::string& Section, TStringList* Strings) const;
  std::unique_ptr<TStringList> ReadSectionValuesF(std::string_view SectionFmt,
                                                  std::initializer_list<FormatArg> Args) const;
  // The lines of the section named Ident (both trimmed, case ignored; bare lines have an empty name), in
  // file order: whole, or with KeepWhole False lower-cased and with Ident= removed (only the value).
  std::unique_ptr<TStringList> ReadKeyValues(const std::string& Section, const std::string& Ident,
                                             bool KeepWhole) const;
  std::unique_ptr<TStringList> ReadKeyValuesF(std::string_view SectionFmt, const std::string& Ident,
                                              std::initializer_list<FormatArg> Args, bool KeepWhole) const;
  // The numbered name of the first section BaseName1 .. BaseNameN whose Ident value equals Value (trimmed,
  // case ignored); empty when none does or BaseName was never read.
  std::string FindSection(const std::string& Ident, const std::string& Value, const std::string& BaseName) const;

  // Sets the last line named Ident of the section of exactly that name (appending the section, without a
  // number and uncounted, when there is none), or appends the line.
  void WriteString(const std::string& Section, const std::string& Ident, const std::string& Value) override;
  // Writes every "name=value" line of List, and every other line split at its first "," into name and
  // value: lines of one name collapse into one line holding the last value.
  void WriteSectionList(const std::string& Section, const TStringList& List);
  void EraseSection(const std::string& Section) override;
  void DeleteKey(const std::string& Section, const std::string& Ident) override;
  // Writes GetStrings to FileName (numbered names: not the file that was read).
  void UpdateFile() override;

  // Key names of a section are not offered by this class; raises std::logic_error.
  void ReadSection(const std::string& Section, TStringList* Strings) const override;

 protected:
  // For each line of the section the text after its first "=", for a bare line the line less its first
  // character. Previous content replaced; empty for an absent section.
  void DoReadSectionValues(const std::string& Section, TStringList* Strings) const override;

 private:
  void Clear();
  void ParseLine(std::string_view line);
  void ParseText(std::string_view text);
  void ParseFileText(std::string_view bytes);
  // A new empty section named by the parts end to end, appended to Sections; its index.
  int AddSection(std::initializer_list<std::string_view> name);
  // The line list of section index, made when the section has none yet.
  THashedStringList& LinesAt(int index);
  // The line list of the section of that name; nullptr when there is no such section or it has no lines.
  THashedStringList* FindLines(std::string_view Section) const;
  THashedStringList& LinesForWrite(const std::string& Section);
  static void WriteLine(THashedStringList& lines, const std::string& Ident, const std::string& Value);

  // While parsing: the section receiving lines (-1 before the first header), and the room its line list
  // gets when its first line comes (what a reader knew of the section at its header).
  int current_ = -1;
  THashedStringList* currentLines_ = nullptr;  // its line list, once made
  TBiniSectionRoom currentRoom_;
  // The parse's budget and what it has cost so far (counted by ParseLine).
  std::size_t budget_ = SIZE_MAX;
  std::size_t cost_ = 0;
  void Spend(std::size_t cost);
};

}  // namespace qmz
