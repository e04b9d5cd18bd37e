// TSvData: construction, destruction and the reporting of the loader (journal and progress channel).

#include "gamedata/uSvFunctions.h"
#include "support/mRunJournal.h"

#include <algorithm>
#include <chrono>
#include <new>

#include "gamedata/uSVIni.h"
#include "support/mGlobalFunctions.h"

namespace qmz {

TSvData::TSvData(TJournal* journal, platform::WindowHandle statusWindow, platform::SharedMemoryHandle statusMapping)
    : Journal(journal), StatusWindow(statusWindow), StatusMapping(statusMapping) {}

TSvData::~TSvData() {
  // A destructor must not throw: without memory for the lines, they are left out.
  try {
    JournalLine("TSvData.Destroy()", jlBegin);
    JournalLine("TSvData.Destroy()", jlEnd);
  } catch (const std::bad_alloc&) {
  }
}

void TSvData::JournalLine(std::string_view text, std::uint8_t level) const { Log(text, level, Journal); }

void TSvData::PostStatus(std::string_view text, int min, int max, int position, unsigned flags) {
  // The channel carries 16-bit numbers; a longer loop is scaled down rather than wrapped.
  if (max > 0xFFFF) {
    position = int(std::int64_t(position) * 0xFFFF / max);
    min = int(std::int64_t(min) * 0xFFFF / max);
    max = 0xFFFF;
  }
  min = std::clamp(min, 0, 0xFFFF);
  max = std::clamp(max, 0, 0xFFFF);
  position = std::clamp(position, 0, 0xFFFF);
  SendStatusMessage(text, min, max, position, StatusWindow, StatusMapping, flags & psAddToStartupLog,
                    flags & psReplaceStartupLine, flags & psEchoToJournal);
}

void TSvData::PostStep(std::string_view text, unsigned flags) { PostStatus(text, 0, 60, StepCount, flags); }

void TSvData::PostItem(int min, int max, int position) {
  // Every post repaints the window; a few hundred per second are enough to show progress.
  constexpr std::int64_t spacingMicros = 5000;
  std::int64_t now = std::chrono::duration_cast<std::chrono::microseconds>(
                         std::chrono::steady_clock::now().time_since_epoch())
                         .count();
  if (position > min + 1 && position < max && now - lastItemPost_ < spacingMicros) return;
  lastItemPost_ = now;
  PostStatus("", min, max, position, psAddToStartupLog);
}

}  // namespace qmz
