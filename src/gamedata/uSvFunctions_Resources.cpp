// The game's resource libraries: their list from the main INI, and display texts by IDS number.

#include "gamedata/uSVIni.h"
#include "gamedata/uSvFunctions.h"
#include "platform/AsciiText.h"
#include "platform/GamePath.h"
#include "platform/WholeFile.h"
#include "support/mGlobalFunctions.h"
#include "support/mRunJournal.h"

namespace qmz {

namespace {

// IDS numbers are written in decimal; "$1F" or "0x1F" is no IDS number, though the integer reader takes them.
bool IsDecimalText(std::string_view text) {
  text = platform::TrimView(text);
  if (!text.empty() && (text[0] == '-' || text[0] == '+')) text.remove_prefix(1);
  if (text.empty()) return false;
  for (char c : text) {
    if (c < '0' || c > '9') return false;
  }
  return true;
}

}  // namespace

bool TSvData::getDllList() {
  JournalLine("TSvData.getDllList()", jlBegin);
  ++StepCount;
  PostStep("Retrieving resource files...");
  DllList.Clear();
  if (aIni[iniMain]) aIni[iniMain]->ReadSectionValues("Resources1", &DllList);
  int count = 0;
  for (int i = 0; i < DllList.Count(); ++i) {
    const std::string_view line = DllList[i];
    if (FindText(line, "DLL=") == std::string::npos) continue;
    // The prefix goes in any letter case: "dll=names.dll" names the library names.dll too.
    std::string name;
    for (std::size_t at = 0; at < line.size();) {
      if (line.size() - at >= 4 && SameText(std::string_view(line).substr(at, 4), "DLL=")) {
        at += 4;
      } else {
        name += line[at++];
      }
    }
    name = ExtractBetween(name, "*", ";", false);
    DllList.Put(i, name);
    JournalFmt("DLL found : %s", jlData, name);
    ++StepCount;
    PostStep(Format("   Resource file found: %s", name));
    ++count;
  }
  JournalFmt("Found %d Dlls", jlInfo, count);
  JournalLine("TSvData.getDllList()", jlEnd);
  return true;
}

std::string TSvData::getIdsString(std::string_view Ids) {
  if (Ids.empty()) return {};
  // The game's numbers are library * 65,536 + resource number, libraries 0 to 255. Anything else is
  // a damaged data file: one line in the journal and no text, never the end of the program.
  auto number = IsDecimalText(Ids) ? TryStrToInt(Ids) : std::nullopt;
  if (!number || *number < 0 || *number > 0xFFFFFF) {
    JournalFmt("Found invalid IDS String: %s", jlError, Ids);
    return {};
  }
  const int library = int(*number / 65536);
  const int index = library == 0 ? 0 : library - 1;  // numbers below 65,536 use the first library
  const int resId = int(*number % 65536);
  if (index >= DllList.Count()) {
    JournalFmt("Found invalid IDS String: %s > DllNr: %d > ResId: %d", jlError, Ids, index, resId);
    return {};
  }
  // Each library is read once per model and its string table kept: a load looks up thousands of names.
  // The table belongs to the file, not to its spelling: a library named many ways ("a\..\names.dll",
  // "b\..\names.dll", links) is read once.
  const std::string gamePath = platform::JoinGamePath(SVPath, "exe\\" + std::string(DllList[index]));
  const std::string spelling = LowerCase(gamePath);
  auto named = resourceFiles_.find(spelling);
  if (named == resourceFiles_.end())
    ReadingFile(gamePath, [&] { named = resourceFiles_.emplace(spelling, GameFileKey(gamePath)).first; });
  auto it = resourceTables_.find(named->second);
  if (it == resourceTables_.end()) {
    platform::PeStringTable table;
    ReadingFile(gamePath, [&] {
      auto file = platform::ResolveGamePath(gamePath);
      std::string bytes, reason = "not found";
      if (file && platform::ReadWholeFile(file->string(), bytes, kMaxGameFileSize, &reason)) {
        table = platform::PeStringTable(
            std::span<const std::uint8_t>(reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size()));
      } else {
        NotRead(gamePath, reason);
      }
    });
    it = resourceTables_.emplace(named->second, std::move(table)).first;
  }
  return it->second.LoadString(std::uint32_t(resId));
}

}  // namespace qmz
