#pragma once
// The run journal: a ".mjf" text file (UTF-8, CR LF) in which every line carries a time stamp and a
// level name; optionally an in-memory copy; Begin/End pairs that report the elapsed time.

#include <cstdint>
#include <functional>
#include <initializer_list>
#include <optional>
#include <set>
#include <string>
#include <string_view>
#include <vector>

#include "platform/LocalTime.h"
#include "platform/WholeFile.h"
#include "support/Classes.h"
#include "support/SysUtils.h"

namespace qmz {

using TJournalLevel = std::uint8_t;

// The ten levels; 3 and 9 are both End levels.
inline constexpr TJournalLevel jlStart = 0;
inline constexpr TJournalLevel jlSystem = 1;
inline constexpr TJournalLevel jlBegin = 2;
inline constexpr TJournalLevel jlEnd = 3;
inline constexpr TJournalLevel jlInfo = 4;
inline constexpr TJournalLevel jlWarning = 5;
inline constexpr TJournalLevel jlError = 6;
inline constexpr TJournalLevel jlData = 7;
inline constexpr TJournalLevel jlAction = 8;
inline constexpr TJournalLevel jlEnd2 = 9;

// The 7-character name of a level; empty above 9.
std::string_view JournalLevelName(TJournalLevel Level);

struct TJournalRecord {
  TJournalLevel Level = 0;
  double Time = 0;       // days since 30 December 1899
  std::string TimeText;  // "yyyy-mm-dd hh:mm:ss"
  std::string Text;      // as written to the file
};
using TJournalBuffer = std::vector<TJournalRecord>;

// Where the journal takes its time from; tests hand in fixed clocks so they never sleep.
struct TJournalClock {
  std::function<std::uint64_t()> TickCount;      // monotonic milliseconds
  std::function<platform::LocalDateTime()> Now;  // local wall-clock time
};

// Milliseconds as "hh:mm:ss", seconds rounded half to even; hours may have more digits.
std::string FormatElapsedTime(std::int64_t Milliseconds);

class TJournal : public TObject {
 public:
  // Path is the folder; Name the base name (any folder part and extension dropped, trimmed). With
  // NoFile no file is used at all; DailyFile puts "_" and today's date into the name. A file that
  // cannot be opened leaves the journal working without one (FileName empty); a link (symbolic or hard)
  // or anything but a regular file at its place is refused so, with the reason on standard error.
  TJournal(const std::string& Path, const std::string& Name, bool KeepInMemory, bool Recreate, bool NoFile,
           bool DailyFile, TJournalClock Clock = {});
  // Writes the closing lines (whether active or not) and closes the file.
  ~TJournal() override;
  TJournal(const TJournal&) = delete;
  TJournal& operator=(const TJournal&) = delete;

  // Writes one line; line breaks become blanks. A failing write (disk full) closes the file and the
  // journal goes on without it, so no caller ever sees the error.
  void Add(std::string_view Text, TJournalLevel Level);
  // Formats with Format's rules; a format that does not fit its arguments throws EConvertError.
  void AddFmt(std::string_view FormatText, std::initializer_list<FormatArg> Args, TJournalLevel Level);
  // Switches writing on or off; the change itself is always written, at level 5.
  void SetActive(bool Value);
  // True the first time Key is asked for: a line about a condition that lasts the whole run is written once.
  bool FirstTime(std::string_view Key);

  bool Active() const { return active_; }
  const std::string& FileName() const { return fileName_; }
  bool HasFile() const { return fd_ >= 0; }
  // The file the journal opened at FileName and writes (also after a failed write closed it); none without
  // one. Whoever sends the journal elsewhere checks against it that the name still leads there.
  const std::optional<platform::FileIdentity>& OpenedFile() const { return openedFile_; }
  const TJournalBuffer& Buffer() const { return buffer_; }
  bool KeepInMemory() const { return keepInMemory_; }
  bool Recreate() const { return recreate_; }
  const std::string& ComputerName() const { return computerName_; }
  const std::string& UserName() const { return userName_; }
  const std::string& ModuleFileName() const { return moduleFileName_; }
  const std::string& ModuleVersion() const { return moduleVersion_; }
  std::size_t OpenTimers() const { return timers_.size(); }

 private:
  void OpenFile();
  void CloseFile();
  bool WriteRaw(std::string_view bytes);
  void AddLineBreak();
  void AddToBuffer(std::string_view Text, TJournalLevel Level, const platform::LocalDateTime& Time);
  std::size_t PushTimer(std::uint64_t Tick);
  std::uint64_t PopTimer();

  TJournalClock clock_;
  bool processModule_ = false;  // set once the file was opened: the first line names the process
  int fd_ = -1;
  TJournalBuffer buffer_;
  bool keepInMemory_ = false;
  std::string fileName_;
  std::optional<platform::FileIdentity> openedFile_;
  std::string computerName_;
  std::string userName_;
  bool recreate_ = false;
  std::vector<std::uint64_t> timers_;
  std::string moduleFileName_;
  std::string moduleVersion_;
  bool active_ = true;
  std::set<std::string, std::less<>> onceKeys_;
};

}  // namespace qmz
