// Arbitrary bytes as a Wine registry file, then the lookups the loader makes.
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "platform/WineRegistry.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using qmz::platform::RegistryRoot;
  qmz::platform::WineRegistry reg;
  reg.LoadText(RegistryRoot::LocalMachine, std::string_view(reinterpret_cast<const char*>(data), size));
  for (const char* path :
       {"\\SOFTWARE\\Starvagant Games\\Starvagant\\1.0", "\\SOFTWARE\\Starvagant Mod Manager", "Software", "", "\\"}) {
    if (const auto* key = reg.OpenKey(RegistryRoot::LocalMachine, path)) {
      for (const auto& name : key->ValueNames()) (void)key->ReadString(name);
      (void)key->ReadString("AppPath");
    }
  }
  return 0;
}
