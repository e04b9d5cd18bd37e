#pragma once
#include <string>

namespace qmz::platform {

// Name of the language the user's environment asks for ($LC_ALL, else $LC_MESSAGES, else $LANG),
// in the English form "German (Germany)"; at most 49 characters.
std::string SystemLanguageName();

// The naming rule over one locale text such as "de_DE.UTF-8" or "pt_BR@euro". "C", "POSIX" and an
// empty text give "Language Neutral"; an unknown language keeps its code ("xx (YY)").
std::string LanguageNameOfLocale(const std::string& locale);

}  // namespace qmz::platform
