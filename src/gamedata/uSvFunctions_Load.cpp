// The loading constructor of TSvData: the installation chooser, the manual path, the mod manager, the
// main INI, the data files and the parsers, in this order, each only when all before succeeded; and the
// warning dialogs it shows on the way.

#include <exception>
#include <filesystem>
#include <new>

#include "gamedata/LoaderUserInterface.h"
#include "gamedata/uSVIni.h"
#include "gamedata/uSvFunctions.h"
#include "platform/BuildInfo.h"
#include "platform/GamePath.h"
#include "support/mGlobalFunctions.h"
#include "support/mRunJournal.h"

namespace qmz {

namespace {

// The loader's dialogs break lines with LF CR; a blank line after a line is LF CR CR.
constexpr std::string_view Br = "\n\r";
constexpr std::string_view BrBlank = "\n\r\r";

std::string FailedInstallationLines() {
  std::string text;
  text += "This could possibly come from a failed Starvagant installation or";
  text += Br;
  text += "a broken mod. Please try to de- and reactivate the current mod";
  text += Br;
  text += "(if one is installed) or reinstall Starvagant";
  return text;
}

bool IsAbsoluteGamePath(std::string_view path) {
  if (!path.empty() && (path[0] == '\\' || path[0] == '/')) return true;
  return path.size() >= 2 && path[1] == ':';
}

}  // namespace

std::string TSvData::NoInstallationText() {
  std::string text;
  text += "No Starvagant installation found !";
  text += BrBlank;
  text += "Please install Starvagant first and start this tool again";
  text += Br;
  text += "If you allready installed Starvagant and did a system restart";
  text += Br;
  text += "and you still get this error, please contact me at";
  text += BrBlank;
  text += platform::ContactEmail() + " ";
  text += BrBlank;
  text += "You can enter your Starvagant installation directory manually, if you";
  text += Br;
  text += "think it should work this way. Do you want to enter it manually ?";
  return text;
}

std::string TSvData::MainIniText(std::string_view path) {
  std::string text;
  text += "Starvagant.ini file couldnt be read !";
  text += BrBlank;
  text += FailedInstallationLines();
  text += BrBlank;
  text += "Filepath: ";
  text += path;
  return text;
}

std::string TSvData::ResourceListText() {
  return std::string("The list of resource files couldnt be read !") + std::string(BrBlank) +
         FailedInstallationLines() + std::string(Br);
}

std::string TSvData::DataFilesText() {
  return std::string("The list of data files couldnt be retrieved or joined") + std::string(BrBlank) +
         FailedInstallationLines() + std::string(Br);
}

TSvData::TSvData(TJournal* journal, platform::WindowHandle statusWindow, platform::SharedMemoryHandle statusMapping,
                 TLoaderUserInterface& ui)
    : TSvData(journal, statusWindow, statusMapping) {
  ui_ = &ui;
  unreadFiles_ = 0;
  outOfMemory_ = false;
  bool found = false;
  bool mainIniLoaded = false;
  std::exception_ptr error;
  // Every step allocates, the journal lines too: memory running out anywhere must end in the failed
  // load below, never leave the constructor.
  try {
    Log("<< SvData.Create() >>", jlBegin, journal);
    SetPriorityClass(platform::PriorityClass::Normal, journal);
    found = runPipeline(mainIniLoaded);
  } catch (const std::bad_alloc&) {
    // Memory running out is a failed load like any other, not an error for the owner. Running out while
    // reading a game file was journaled with the file; anywhere else it gets this line.
    found = false;
    try {
      if (!outOfMemory_) JournalLine("Loading stopped: out of memory", jlError);
      ui.showWarning(mainIniLoaded ? DataFilesText() : MainIniText(SVPath + "EXE\\starvagant.ini"));
    } catch (const std::bad_alloc&) {
      // No memory even for the message: the result lines below still say the load failed.
    }
  } catch (...) {
    // The error goes on to the owner; the result lines must not call this load a success.
    error = std::current_exception();
    found = false;
  }

  // A step of this end block that finds no memory (a journal line) is left out; the others and the
  // load's result stand.
  const auto line = [](const auto& write) {
    try {
      write();
    } catch (const std::bad_alloc&) {
    }
  };
  if (mainIniLoaded) line([&] { Log("Freeing inis...", jlInfo, journal); });
  // Also the unloaded main INI: the slots are empty whenever the constructor returns.
  for (auto& slot : aIni) slot.reset();
  line([&] { SetPriorityClass(platform::PriorityClass::Normal, journal); });
  DataValid = found;
  ui_ = nullptr;
  if (unreadFiles_ > 0) line([&] { LogFmt("Data files named but not read: %d", {unreadFiles_}, jlWarning, journal); });
  line([&] { LogFmt("Result = %s", {found ? "True" : "False"}, jlWarning, journal); });
  line([&] { LogFmt("<< SvData.Create() >> - Result: %s", {DataValid ? "True" : "False"}, jlEnd, journal); });
  // The object is complete, so its destructor runs and journals before the error reaches the owner.
  if (error) std::rethrow_exception(error);
}

void TSvData::ReadingFile(std::string_view gamePath, const std::function<void()>& read) const {
  try {
    read();
  } catch (const std::bad_alloc&) {
    outOfMemory_ = true;
    JournalFmt("Data file not read (out of memory): %s", jlError, gamePath);
    throw;
  }
}

bool TSvData::runPipeline(bool& mainIniLoaded) {
  TLoaderUserInterface& ui = *ui_;
  StepCount = 1;
  PostStep("Checking Starvagant installation....");
  const auto chosen = ui.chooseInstallation();
  if (!chosen) return false;
  SVPath = *chosen;
  // A folder from the browse dialog comes without the trailing separator.
  if (!SVPath.empty() && SVPath.back() != '\\' && SVPath.back() != '/') SVPath += '\\';

  while (SVPath.empty()) {
    JournalLine("Starvagant is not installed", jlError);
    if (!ui.askYesNo(NoInstallationText())) return false;
    JournalLine("Manual override: Trying user given directory", jlWarning);
    do {
      const std::string answer = ui.inputText("Manual override",
                                              "Please enter the path to your Starvagant installation");
      if (answer.empty()) return false;
      // A relative answer means the current folder, not a path that loses its leading "..\" steps.
      std::string path = answer;
      if (!IsAbsoluteGamePath(path)) {
        std::error_code ec;
        const auto cwd = std::filesystem::current_path(ec);
        if (!ec) path = cwd.string() + "/" + path;
      }
      SVPath = ExpandRelativePath(path);
    } while (!platform::GameDirectoryExists(SVPath));
    JournalFmt("   SVPath = %s", jlWarning, SVPath);
  }

  JournalFmt("Starvagant installation: %s", jlInfo, SVPath);
  StepCount = 1;
  PostStep(Format("    Found Starvagant installation: %s", SVPath));

  StepCount = 1;
  PostStep("Checking SVMM installation....");
  SVMMPath = GetModManagerDir();
  JournalFmt("SVMM installation: %s", jlInfo, SVMMPath);
  StepCount = 1;
  if (!SVMMPath.empty()) {
    PostStep(Format("    Found SVMM installation: %s", SVMMPath));
    JournalFmt("Found Mods: { %s }", jlData, getActiveModNames().CommaText());
  }

  StepCount = 1;
  PostStep("Creating data objects...", psAddToStartupLog | psEchoToJournal);
  DllList.Clear();
  StepCount = 2;
  PostStep("Initializing ini file", psAddToStartupLog | psEchoToJournal);

  for (auto& slot : aIni) slot.reset();
  const std::string mainIni = SVPath + "EXE\\starvagant.ini";
  aIni[iniMain] = OpenGameIni(mainIni);
  if (!aIni[iniMain] || !aIni[iniMain]->Loaded) {
    JournalLine("Starvagant.ini not existant", jlError);
    ui.showWarning(MainIniText(mainIni));
    return false;
  }
  mainIniLoaded = true;

  if (!getInitialData()) {
    JournalLine("Data Path not found", jlError);
    return false;
  }
  if (!getDllList()) {
    JournalLine("Dll List coulnt be retrieved", jlError);
    ui.showWarning(ResourceListText());
    return false;
  }
  if (Stopping()) return false;
  if (!getDataInis()) {
    JournalLine("Joining of data files failed", jlError);
    ui.showWarning(DataFilesText());
    return false;
  }

  missingSections_ = false;
  bool (TSvData::*const parsers[])() = {&TSvData::parseGroups, &TSvData::parseSolars, &TSvData::parseUniverse,
                                        &TSvData::parseGoods, &TSvData::parseMarkets};
  for (auto parser : parsers) {
    if (!(this->*parser)()) {
      // A data kind without any section, or a file too large for the memory, is a broken installation
      // the user must hear about.
      if (missingSections_ || outOfMemory_) ui.showWarning(DataFilesText());
      return false;
    }
    if (parser != &TSvData::parseMarkets && Stopping()) return false;
  }
  return true;
}

}  // namespace qmz
