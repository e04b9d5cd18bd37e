#pragma once
#include <clocale>
#include <cstdlib>
#include <filesystem>
#include <string>

#include <unistd.h>

namespace qmz::test {

// Switches LC_NUMERIC of the process to a locale whose decimal mark is ',' for one test and back.
// Uses an installed German locale, else builds one with localedef into a folder of this process;
// Active() is false when neither works (the caller skips).
class CommaLocale {
 public:
  CommaLocale() {
    if (const char* old = std::setlocale(LC_NUMERIC, nullptr)) old_ = old;
    for (const char* name : {"de_DE.UTF-8", "de_DE.utf8", "de_DE"}) {
      if (TrySet(name)) return;
    }
    const std::string dir = GeneratedFolder();
    if (dir.empty()) return;
    setenv("LOCPATH", dir.c_str(), 1);
    TrySet("de_DE");
  }
  ~CommaLocale() { std::setlocale(LC_NUMERIC, old_.c_str()); }
  CommaLocale(const CommaLocale&) = delete;
  CommaLocale& operator=(const CommaLocale&) = delete;

  bool Active() const { return active_; }

 private:
  bool TrySet(const char* name) {
    if (std::setlocale(LC_NUMERIC, name) == nullptr) return false;
    active_ = std::localeconv()->decimal_point[0] == ',';
    if (!active_) std::setlocale(LC_NUMERIC, old_.c_str());
    return active_;
  }

  static std::string GeneratedFolder() {
    static const auto dir = std::filesystem::temp_directory_path() / ("qmz-locale-" + std::to_string(getpid()));
    static const std::string folder = [] {
      std::filesystem::create_directories(dir);
      const std::string cmd = "localedef -i de_DE -f ISO-8859-1 '" + (dir / "de_DE").string() + "' >/dev/null 2>&1";
      if (std::system(cmd.c_str()) != 0 || !std::filesystem::exists(dir / "de_DE" / "LC_NUMERIC")) return std::string();
      std::atexit([] {
        std::error_code ec;
        std::filesystem::remove_all(dir, ec);
      });
      return dir.string();
    }();
    return folder;
  }

  std::string old_ = "C";
  bool active_ = false;
};

}  // namespace qmz::test
