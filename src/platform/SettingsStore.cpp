#include "platform/SettingsStore.h"

namespace kestrel::platform {

std::string SettingsStore::messageFor(long result) {
    switch (result) {
    case settings_result::Success:
        return "The operation completed successfully.";
    case settings_result::FileNotFound:
        return "The system cannot find the file specified.";
    case settings_result::AccessDenied:
        return "Access is denied.";
    case settings_result::InvalidParameter:
        return "The parameter is incorrect.";
    default:
        return "Unknown error.";
    }
}

const SettingsStore& settingsStore() {
    static const SettingsStore store;
    return store;
}

} // namespace kestrel::platform
