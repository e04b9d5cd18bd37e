#include "platform/BuildInfo.h"

#include "BuildConfig.h"

namespace qmz::platform {

BuildVersion OwnBuildVersion() { return {QMZ_VERSION_MAJOR, QMZ_VERSION_MINOR, QMZ_VERSION_PATCH, QMZ_VERSION_BUILD}; }

std::string ContactEmail() { return QMZ_CONTACT_EMAIL; }

}  // namespace qmz::platform
