#include "samplegen/WineOut.h"

#include "samplegen/FileOut.h"

#include <cctype>

namespace qmz::samplegen {

namespace fs = std::filesystem;

namespace {

// Fixed key times keep the output byte-identical between runs.
constexpr const char* kKeyTime = " 1700000000\n#time=1da1b2c3d4e5f60\n";
constexpr const char* kModManagerDir = "C:\\Games\\Starvagant Mod Manager";

// A string as Wine's registry files quote it: backslash and double quote escaped.
std::string RegString(const std::string& s) {
  std::string out = "\"";
  for (char c : s) {
    if (c == '\\' || c == '"') out += '\\';
    out += c;
  }
  return out + "\"";
}

std::string XmlEscape(const std::string& s) {
  std::string out;
  for (char c : s) {
    switch (c) {
      case '&':
        out += "&amp;";
        break;
      case '<':
        out += "&lt;";
        break;
      case '>':
        out += "&gt;";
        break;
      case '"':
        out += "&quot;";
        break;
      default:
        out += c;
    }
  }
  return out;
}

std::string FolderOf(const std::string& modName) {
  std::string f;
  for (unsigned char c : modName)
    if (std::isalnum(c)) f += static_cast<char>(c);
  return f.empty() ? "Mod" : f;
}

// The mod's description. The mod manager writes the header attributes in any order;
// the three forms here all give the name to a reader that takes the attribute sorting first.
std::string ScriptXml(const std::string& name, std::size_t variant) {
  const std::string n = XmlEscape(name);
  std::string header;
  switch (variant % 3) {
    case 0:
      header = "  <header name=\"" + n + "\" version=\"1.2\">\n    <author>QMZ sample</author>\n  </header>\n";
      break;
    case 1:
      header = "  <header version=\"0.9\" name=\"" + n + "\"/>\n";
      break;
    default:
      header = "  <header author=\"QMZ sample\" Name=\"" + n + "\" version=\"2.0\"></header>\n";
      break;
  }
  return "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<script>\n" + header + "  <description>Sample modification " + n +
         ".</description>\n"
         "  <data>\n    <copy source=\"DATA\\equipment\" dest=\"DATA\\equipment\"/>\n  </data>\n</script>\n";
}

void Link(const fs::path& link, const fs::path& target) {
  std::error_code ec;
  fs::remove(link, ec);
  fs::create_directories(link.parent_path());
  fs::create_directory_symlink(target, link);
}

}  // namespace

std::vector<std::string> WriteWinePrefix(const fs::path& prefix, const std::string& appPath,
                                         const std::vector<std::string>& mods) {
  const fs::path modManager = prefix / "drive_c" / "Games" / "Starvagant Mod Manager";
  std::vector<std::string> names;

  std::string reg = "WINE REGISTRY Version 2\n;; All keys relative to \\\\Machine\n\n#arch=win32\n\n";
  reg += "[Software\\\\Starvagant Games\\\\Starvagant\\\\1.0]";
  reg += kKeyTime;
  reg += RegString("AppPath") + "=" + RegString(appPath) + "\n";
  reg += RegString("Version") + "=" + RegString("1.0") + "\n\n";

  reg += "[Software\\\\Starvagant Mod Manager]";
  reg += kKeyTime;
  reg += RegString("Install_Dir") + "=" + RegString(kModManagerDir) + "\n";
  for (std::size_t i = 0; i < mods.size(); ++i) {
    const std::string folder = FolderOf(mods[i]);
    // The value's name is the mod folder relative to the mod manager; its data is not read.
    reg += RegString("mods\\" + folder) + "=dword:00000001\n";
    if (i == 0) reg += RegString("Language") + "=" + RegString("English") + "\n";  // a value that names no mod
    WriteFileBytes(modManager / DiskName("mods") / folder / "script.xml", ScriptXml(mods[i], i));
    names.push_back(mods[i]);
  }
  fs::create_directories(modManager);
  reg += "\n[Software\\\\Wine\\\\Drives]";
  reg += kKeyTime;
  reg += "\"c:\"=\"hd\"\n";
  WriteFileBytes(prefix / "system.reg", reg);
  WriteFileBytes(prefix / "user.reg",
                 "WINE REGISTRY Version 2\n;; All keys relative to \\\\User\\\\S-1-5-21-0-0-0-1000\n\n#arch=win32\n");

  Link(prefix / "dosdevices" / "c:", "../drive_c");
  Link(prefix / "dosdevices" / "z:", "/");
  return names;
}

}  // namespace qmz::samplegen
