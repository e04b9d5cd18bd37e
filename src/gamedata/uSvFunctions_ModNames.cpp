// The active mods of the outside mod manager: the names of the values under its registry key name the
// mod folders, and each folder's script.xml gives the mod's display name.

#include <filesystem>
#include <optional>

#include "gamedata/uSvFunctions.h"
#include "platform/GamePath.h"
#include "platform/Registry.h"
#include "support/XmlScanner.h"
#include "support/mRunJournal.h"

namespace qmz {

namespace {

// The value of the attribute "name" of the first header tag that has one (tag and attribute names
// ignoring case); nothing when no header has it. The attribute counts wherever it stands among the
// tag's attributes, not only where it sorts first: a header that also carries, say, an author would
// otherwise lose its mod's name from the caption and the journal.
std::optional<std::string> HeaderModName(TXmlParser& parser) {
  parser.StartScan();
  while (parser.Scan()) {
    if (parser.CurPartType != ptStartTag && parser.CurPartType != ptEmptyTag) continue;
    if (!SameText(Trim(parser.CurName), "header")) continue;
    for (int i = 0; i < parser.CurAttr.Count(); ++i)
      if (SameText(Trim(parser.CurAttr.Name(i)), "name")) return parser.CurAttr.Value(i);
  }
  return std::nullopt;
}

}  // namespace

TStringList TSvData::getActiveModNames() {
  TStringList result;
  JournalLine("[TSvData.getActiveModNames()]", jlBegin);
  bool passed = false;
  std::shared_ptr<const platform::Registry> registry = platform::ProcessRegistry();
  const platform::RegistryKey* key = registry->OpenKey(platform::RegistryRoot::LocalMachine, ModManagerKey);
  std::string dir = key ? GetModManagerDir() : std::string();
  if (key && !dir.empty()) {
    passed = true;
    TXmlParser parser;
    for (const std::string& name : key->ValueNames()) {
      if (LowerCase(name).find("mods\\") == std::string::npos) continue;
      std::string folder = dir + name + "\\";
      std::string file = folder + "script.xml";
      std::optional<std::filesystem::path> path = platform::ResolveGamePath(file);
      std::error_code ec;
      if (!path || !std::filesystem::is_regular_file(*path, ec)) {
        // One broken mod folder must not hide the mods listed after it.
        JournalFmt("No script.xml in mod folder %s; mod skipped", jlWarning, folder);
        passed = false;
        continue;
      }
      if (!parser.LoadFromFile(path->string(), 64)) {
        JournalFmt("Cannot read %s; mod skipped", jlWarning, file);
        passed = false;
        continue;
      }
      if (std::optional<std::string> modName = HeaderModName(parser)) result.Add(*modName);
      for (const auto& [unread, reason] : parser.UnreadFiles) NotRead(unread, reason);
    }
  }
  JournalFmt("[TSvData.getActiveModNames() - Passed: %s ]", jlEnd, passed ? "True" : "False");
  return result;
}

}  // namespace qmz
