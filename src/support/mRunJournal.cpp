#include "support/mRunJournal.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>

#include "platform/ExePath.h"
#include "platform/ExitCode.h"
#include "platform/TickCount.h"
#include "platform/WholeFile.h"
#include "support/mGlobalFunctions.h"

namespace qmz {

namespace {

constexpr std::string_view kLevelNames[] = {"Start  ", "System ", "Begin  ", "End    ", "Info   ",
                                            "Warning", "Error  ", "Data   ", "Action ", "End    "};

std::string VersionText(const std::string& file) {
  TVersionInfo info;
  GetFileVersionRecord(file, info);
  return Format("%d.%d.%d.%d", info.Major, info.Minor, info.Release, info.Build);
}

// The file-name part of a name, without its extension, trimmed.
std::string BaseNameOf(const std::string& name) {
  std::string base = name.substr(name.find_last_of("\\/") == std::string::npos ? 0 : name.find_last_of("\\/") + 1);
  if (const size_t dot = base.rfind('.'); dot != std::string::npos) base.resize(dot);
  return Trim(base);
}

}  // namespace

std::string_view JournalLevelName(TJournalLevel Level) {
  return Level < std::size(kLevelNames) ? kLevelNames[Level] : std::string_view();
}

std::string FormatElapsedTime(std::int64_t Milliseconds) {
  if (Milliseconds < 0) Milliseconds = 0;
  std::int64_t seconds = Milliseconds / 1000;
  const std::int64_t rest = Milliseconds % 1000;
  if (rest > 500 || (rest == 500 && seconds % 2 == 1)) ++seconds;
  return Format("%2.2d:%2.2d:%2.2d", seconds / 3600, (seconds / 60) % 60, seconds % 60);
}

TJournal::TJournal(const std::string& Path, const std::string& Name, bool KeepInMemory, bool Recreate, bool NoFile,
                   bool DailyFile, TJournalClock Clock)
    : clock_(std::move(Clock)) {
  if (!clock_.TickCount) clock_.TickCount = platform::TickCount64;
  if (!clock_.Now) clock_.Now = platform::LocalNow;
  active_ = true;
  computerName_ = GetLocalComputerName();
  userName_ = GetCurrentUserName();
  // The journal's code is linked into the executable itself.
  moduleFileName_ = platform::ExecutablePath();
  moduleVersion_ = VersionText(moduleFileName_);
  keepInMemory_ = KeepInMemory;
  recreate_ = Recreate;
  buffer_.clear();
  if (NoFile) return;
  std::string name = BaseNameOf(Name);
  if (DailyFile && !name.empty()) name += '_';
  std::string folder = Path;
  // An empty folder means the current one, never the root folder.
  if (!folder.empty() && folder.back() != '/' && folder.back() != '\\') folder += '/';
  fileName_ = folder + name + (DailyFile ? platform::FormatDate(clock_.Now()) : std::string()) + ".mjf";
  OpenFile();
}

TJournal::~TJournal() {
  try {
    active_ = true;
    while (!timers_.empty()) Add("Freeing internal timer leak", jlEnd);
    if (processModule_) {
      AddFmt("Process terminated with exit code %d", {platform::ProcessExitCode()}, jlSystem);
    } else {
      Add("Module removed from memory", jlSystem);
    }
  } catch (...) {
    // Closing lines are a courtesy; a destructor must not throw.
  }
  buffer_.clear();
  CloseFile();
}

void TJournal::OpenFile() {
  CloseFile();
  // A link at the journal's place is refused (another user could point it at any file of ours, which
  // re-creation would empty, or append to it), a hard link as well as a symbolic one, and so is anything
  // but a regular file: a FIFO would block the open.
  fd_ = ::open(fileName_.c_str(), O_WRONLY | O_CREAT | O_APPEND | O_CLOEXEC | O_NOFOLLOW | O_NONBLOCK | O_NOCTTY, 0644);
  struct stat st {};
  bool ok = fd_ >= 0 && fstat(fd_, &st) == 0;
  std::string refusal;
  if (fd_ < 0 && lstat(fileName_.c_str(), &st) == 0) {
    if (S_ISLNK(st.st_mode)) refusal = "it is a symbolic link";
    else if (!S_ISREG(st.st_mode)) refusal = "it is not a regular file";
  } else if (ok && !S_ISREG(st.st_mode)) {
    refusal = "it is not a regular file";
  } else if (ok && st.st_nlink > 1) {
    refusal = Format("it has %d hard links", static_cast<std::int64_t>(st.st_nlink));
  }
  // The journal has no other place to say why it runs without its file.
  if (!refusal.empty()) {
    ok = false;
    std::fprintf(stderr, "%s\n", Format("Journal file %s not used: %s", fileName_, refusal).c_str());
  }
  // Like a file opened deny-write: a second writer (another run) is turned away, readers are not.
  if (ok) ok = flock(fd_, LOCK_EX | LOCK_NB) == 0;
  if (ok && recreate_) ok = ftruncate(fd_, 0) == 0;
  if (ok) ok = fstat(fd_, &st) == 0;
  if (ok && st.st_size > 0) AddLineBreak();
  if (ok && fd_ >= 0) {
    openedFile_ = platform::IdentityOf(fd_);
    processModule_ = true;
    const std::string exe = platform::ExecutablePath();
    AddFmt("Process \"%s\" version \"%s\" running on \"%s\\%s\"", {exe, VersionText(exe), computerName_, userName_},
           jlStart);
  }
  if (!ok || fd_ < 0) {
    CloseFile();
    fileName_.clear();
    openedFile_.reset();
  }
}

void TJournal::CloseFile() {
  if (fd_ >= 0) ::close(fd_);
  fd_ = -1;
}

bool TJournal::WriteRaw(std::string_view bytes) {
  if (fd_ < 0) return false;
  struct stat before {};
  const bool sized = fstat(fd_, &before) == 0;
  if (platform::WriteAll(fd_, bytes)) return true;
  // Disk full or the file gone: the journal goes on without a file. A line written in part is taken back,
  // so the file ends with its last whole line.
  if (sized) (void)!ftruncate(fd_, before.st_size);
  CloseFile();
  return false;
}

void TJournal::AddLineBreak() { WriteRaw("\r\n"); }

void TJournal::AddToBuffer(std::string_view Text, TJournalLevel Level, const platform::LocalDateTime& Time) {
  buffer_.push_back({Level, platform::ToDateTime(Time), platform::FormatTimeStamp(Time), std::string(Text)});
}

std::size_t TJournal::PushTimer(std::uint64_t Tick) {
  timers_.push_back(Tick);
  return timers_.size() - 1;
}

std::uint64_t TJournal::PopTimer() {
  const std::uint64_t tick = timers_.back();
  timers_.pop_back();
  return tick;
}

void TJournal::Add(std::string_view Text, TJournalLevel Level) {
  if (!active_) return;
  std::string text = StringReplaceAll(Text, "\n\r", " ");
  text = StringReplaceAll(text, "\r\n", " ");
  text = StringReplaceAll(text, "\n", " ");
  text = StringReplaceAll(text, "\r", " ");
  if (Level == jlBegin) PushTimer(clock_.TickCount());
  if (Level == jlEnd || Level == jlEnd2) {
    std::string elapsed;
    if (timers_.empty()) {
      // Nothing to pair with: say so rather than invent a time.
      elapsed = "Elapsed time: unknown (no matching Begin)";
    } else {
      const std::uint64_t start = PopTimer();
      const std::uint64_t now = clock_.TickCount();
      elapsed = "Elapsed time: " + FormatElapsedTime(now >= start ? static_cast<std::int64_t>(now - start) : 0);
    }
    text = text.empty() ? elapsed : text + " - " + elapsed;
  }
  const platform::LocalDateTime now = clock_.Now();
  if (fd_ >= 0) {
    // One write per line: the file is whole up to the last line even if the process dies.
    WriteRaw(Format("[%s][%s] %s", platform::FormatTimeStamp(now), JournalLevelName(Level), text) + "\r\n");
  }
  if (keepInMemory_) AddToBuffer(text, Level, now);
}

void TJournal::AddFmt(std::string_view FormatText, std::initializer_list<FormatArg> Args, TJournalLevel Level) {
  Add(FormatList(FormatText, Args), Level);
}

bool TJournal::FirstTime(std::string_view Key) { return onceKeys_.emplace(Key).second; }

void TJournal::SetActive(bool Value) {
  const bool old = active_;
  active_ = true;
  AddFmt("Journaling Status changed: From %s to %s", {old ? "True" : "False", Value ? "True" : "False"}, jlWarning);
  active_ = Value;
}

}  // namespace qmz
