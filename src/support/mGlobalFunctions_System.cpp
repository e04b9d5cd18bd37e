#include "platform/AdminTest.h"
#include "platform/HostNames.h"
#include "platform/Registry.h"
#include "support/mGlobalFunctions.h"
#include "support/mRunJournal.h"

namespace qmz {

std::string GetLocalComputerName() {
  std::string name = platform::ComputerName();
  // The computer name of the Wine prefix's registry wins when it is there.
  if (const auto registry = platform::ProcessRegistry()) {
    if (auto value = registry->ReadString(platform::RegistryRoot::LocalMachine,
                                          "\\SYSTEM\\CurrentControlSet\\Control\\ComputerName\\ComputerName",
                                          "ComputerName")) {
      name = std::move(*value);
    }
  }
  return name;
}

std::string GetCurrentUserName() {
  std::string name = platform::UserName();
  if (name.size() > 255) name.resize(255);
  return name;
}

bool IsAdmin() { return platform::IsAdministrator(); }

platform::PriorityResult SetPriorityClass(platform::PriorityClass Value, TJournal* Journal) {
  platform::PriorityResult result = platform::SetProcessPriorityClass(Value);
  if (result.outcome == platform::PriorityOutcome::Refused)
    LogOnce("priority not lowered", "Process priority not lowered to idle, because " + result.reason, jlWarning,
            Journal);
  return result;
}

}  // namespace qmz
