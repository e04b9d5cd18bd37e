#pragma once
#include <filesystem>

namespace qmz::platform {

// The Wine prefix the game runs in: $WINEPREFIX when set and not empty, else ~/.wine.
// The folder may not exist; callers treat a missing prefix as "no registry, no drive letters".
// Returns an empty path only when neither $WINEPREFIX nor a home folder can be found.
std::filesystem::path WinePrefix();

}  // namespace qmz::platform
