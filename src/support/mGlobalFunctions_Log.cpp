#include "support/mGlobalFunctions.h"
#include "support/mRunJournal.h"

namespace qmz {

void Log(std::string_view Text, std::uint8_t Level, TJournal* Journal) {
  if (Journal != nullptr) Journal->Add(Text, Level);
}

void LogFmt(std::string_view FormatText, std::initializer_list<FormatArg> Args, std::uint8_t Level, TJournal* Journal) {
  if (Journal != nullptr) Journal->AddFmt(FormatText, Args, Level);
}

void LogOnce(std::string_view Key, std::string_view Text, std::uint8_t Level, TJournal* Journal) {
  if (Journal != nullptr && Journal->FirstTime(Key)) Journal->Add(Text, Level);
}

}  // namespace qmz
