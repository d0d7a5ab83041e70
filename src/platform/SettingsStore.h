#pragma once

#include "platform/TestSeam.h"

#include <string>

// The per-user store of the few values that outlive a run without belonging to a setup (the
// setups folder, the previous-run stamp). It keeps the registry's shape: keys are paths of
// names separated by "\" ("Software\Corvane Systems\ZBK"), each holding named text values.
// Results are the registry's result codes, so the layer above can word its statuses alike.
namespace kestrel::platform {

namespace settings_result {
constexpr long Success = 0;
constexpr long FileNotFound = 2; // no such key or value
constexpr long AccessDenied = 5; // the store's file cannot be read or written
constexpr long InvalidParameter = 87;
} // namespace settings_result

enum class KeyDisposition { CreatedNewKey, OpenedExistingKey };

class SettingsStore {
public:
    // Opens the key, creating it when missing. A key exists once it holds a value or a subkey.
    long createKey(const std::string& key, KeyDisposition& disposition) const;
    // Success when the key exists, FileNotFound otherwise.
    long openKey(const std::string& key) const;
    long setValue(const std::string& key, const std::string& name, const std::string& value) const;
    // FileNotFound when the value does not exist; `value` is emptied first.
    long queryValue(const std::string& key, const std::string& name, std::string& value) const;

    // The store's message for a result code ("The operation completed successfully." for 0).
    static std::string messageFor(long result);
};

// The store in use. Its file is settingsFile(), read and written afresh by every call.
const SettingsStore& settingsStore();

// configHome() + "/kestrel-backup/settings.ini", unless a test pointed it elsewhere.
std::string settingsFile();
// Test seam: while a guard lives, the store is the file it names in the test's temporary folder
// (on Windows a key of the test's own below HKEY_CURRENT_USER, emptied when the guard comes and
// removed when it goes). Guards nest; each gives back the store before it.
using SettingsFileSeam = TestSeam<struct SettingsFileTag, std::string>;
class ScopedSettingsFileForTesting {
public:
    explicit ScopedSettingsFileForTesting(const std::string& path);
    ~ScopedSettingsFileForTesting();
    ScopedSettingsFileForTesting(const ScopedSettingsFileForTesting&) = delete;
    ScopedSettingsFileForTesting& operator=(const ScopedSettingsFileForTesting&) = delete;

private:
    SettingsFileSeam::Guard guard_;
};

} // namespace kestrel::platform
