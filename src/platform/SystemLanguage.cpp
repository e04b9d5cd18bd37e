#include "platform/SystemLanguage.h"

#include <cstdlib>
#include <cstring>

namespace qmz::platform {

namespace {

struct CodeName {
  const char* code;
  const char* name;
};

constexpr CodeName kLanguages[] = {
    {"ar", "Arabic"},
    {"bg", "Bulgarian"},
    {"ca", "Catalan"},
    {"cs", "Czech"},
    {"da", "Danish"},
    {"de", "German"},
    {"el", "Greek"},
    {"en", "English"},
    {"es", "Spanish"},
    {"et", "Estonian"},
    {"fi", "Finnish"},
    {"fr", "French"},
    {"he", "Hebrew"},
    {"hr", "Croatian"},
    {"hu", "Hungarian"},
    {"it", "Italian"},
    {"ja", "Japanese"},
    {"ko", "Korean"},
    {"lt", "Lithuanian"},
    {"lv", "Latvian"},
    {"nb", "Norwegian (Bokmal)"},
    {"nl", "Dutch"},
    {"nn", "Norwegian (Nynorsk)"},
    {"no", "Norwegian"},
    {"pl", "Polish"},
    {"pt", "Portuguese"},
    {"ro", "Romanian"},
    {"ru", "Russian"},
    {"sk", "Slovak"},
    {"sl", "Slovenian"},
    {"sr", "Serbian"},
    {"sv", "Swedish"},
    {"tr", "Turkish"},
    {"uk", "Ukrainian"},
    {"zh", "Chinese"},
};

constexpr CodeName kCountries[] = {
    {"AT", "Austria"},       {"AU", "Australia"},      {"BE", "Belgium"},     {"BR", "Brazil"},
    {"CA", "Canada"},        {"CH", "Switzerland"},    {"CN", "PRC"},         {"CZ", "Czech Republic"},
    {"DE", "Germany"},       {"DK", "Denmark"},        {"ES", "Spain"},       {"FI", "Finland"},
    {"FR", "France"},        {"GB", "United Kingdom"}, {"GR", "Greece"},      {"HU", "Hungary"},
    {"IE", "Ireland"},       {"IT", "Italy"},          {"JP", "Japan"},       {"KR", "Korea"},
    {"LU", "Luxembourg"},    {"MX", "Mexico"},         {"NL", "Netherlands"}, {"NO", "Norway"},
    {"NZ", "New Zealand"},   {"PL", "Poland"},         {"PT", "Portugal"},    {"RU", "Russia"},
    {"SE", "Sweden"},        {"TR", "Turkey"},         {"TW", "Taiwan"},      {"UA", "Ukraine"},
    {"US", "United States"}, {"ZA", "South Africa"},
};

template <size_t N>
const char* Lookup(const CodeName (&table)[N], const std::string& code) {
  for (const auto& e : table) {
    if (code == e.code) return e.name;
  }
  return nullptr;
}

}  // namespace

std::string LanguageNameOfLocale(const std::string& locale) {
  // language[_territory][.codeset][@modifier]
  std::string base = locale.substr(0, locale.find_first_of(".@"));
  if (base.empty() || base == "C" || base == "POSIX") return "Language Neutral";
  const auto underscore = base.find('_');
  const std::string language = base.substr(0, underscore);
  const std::string territory = underscore == std::string::npos ? std::string() : base.substr(underscore + 1);
  const char* languageName = Lookup(kLanguages, language);
  std::string result = languageName != nullptr ? languageName : language;
  if (!territory.empty()) {
    const char* countryName = Lookup(kCountries, territory);
    result += " (" + std::string(countryName != nullptr ? countryName : territory.c_str()) + ")";
  }
  if (result.size() > 49) result.resize(49);
  return result;
}

std::string SystemLanguageName() {
  for (const char* var : {"LC_ALL", "LC_MESSAGES", "LANG"}) {
    if (const char* v = std::getenv(var); v != nullptr && *v != '\0') return LanguageNameOfLocale(v);
  }
  return LanguageNameOfLocale("");
}

}  // namespace qmz::platform
