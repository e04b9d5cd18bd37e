// Game INI parsing of arbitrary file content (text, or binary when it starts with the magic), followed by
// the reads and writes the loader makes on the result.
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "gamedata/uSVIni.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  qmz::TSvIniFile ini(qmz::TStringList(), "fuzz");
  ini.LoadFromBuffer(std::string_view(reinterpret_cast<const char*>(data), size));
  if (ini.Sections.Count() == 0) return 0;
  const std::string first(ini.Sections[0]);
  (void)ini.ReadString(first, "nickname", "");
  (void)ini.ReadKeyValues(first, "MarketGood", false);
  if (ini.SectionNames.Count() > 0) (void)ini.FindSection("nickname", "x", std::string(ini.SectionNames[0]));
  qmz::TStringList values;
  ini.ReadSectionValues(first, &values);
  ini.WriteSectionList("written", values);
  qmz::TStringList text;
  ini.GetStrings(&text);
  qmz::TSvIniFile again(text, "again");
  if (again.Sections.Count() != ini.Sections.Count()) __builtin_trap();
  return 0;
}
