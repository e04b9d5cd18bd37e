#include "platform/AdminTest.h"
#include "platform/HostNames.h"
#include "platform/Registry.h"
#include "support/mGlobalFunctions.h"

namespace qmz {

std::string GetLocalComputerName(const THklmStringReader& ReadHklm) {
  std::string name = platform::ComputerName();
  if (ReadHklm) {
    if (auto value = ReadHklm("\\SYSTEM\\CurrentControlSet\\Control\\ComputerName\\ComputerName", "ComputerName")) {
      name = std::move(*value);
    }
  }
  return name;
}

std::string GetLocalComputerName() {
  const auto registry = platform::ProcessRegistry();
  if (!registry) return GetLocalComputerName(THklmStringReader());
  return GetLocalComputerName([&registry](const std::string& key, const std::string& name) {
    return registry->ReadString(platform::RegistryRoot::LocalMachine, key, name);
  });
}

std::string GetCurrentUserName() {
  std::string name = platform::UserName();
  if (name.size() > 255) name.resize(255);
  return name;
}

bool IsAdmin() { return platform::IsAdministrator(); }

}  // namespace qmz
