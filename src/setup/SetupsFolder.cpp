#include "setup/SetupsFolder.h"

#include "modules/Registry3.h"
#include "modules/StrProc.h"

namespace kestrel {

namespace {
const char* const kKey = "\\ZBK";
const char* const kName = "Setup folder";
} // namespace

std::string RestoreSetupsFolder() {
    // A cleared folder is stored as one blank.
    return TrimBlanks(RestoreFromRegistry(kKey, kName, "", false));
}

bool SaveSetupsFolder(const std::string& folder) {
    return SaveToRegistry(kKey, kName, folder, false);
}

} // namespace kestrel
