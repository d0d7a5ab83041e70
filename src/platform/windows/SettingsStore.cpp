#include "platform/SettingsStore.h"

#include "platform/windows/Win32.h"

#include <cstdint>
#include <cstdio>

// The store is the registry itself: keys below HKEY_CURRENT_USER, text values as REG_SZ, and the
// registry's own result codes.
namespace kestrel::platform {

namespace {

const char kTestRoot[] = "Software\\Kestrel Backup tests";

// The key that stands for HKEY_CURRENT_USER while a test points the store elsewhere.
std::string testKey() {
    const std::string path = SettingsFileSeam::current();
    if (path.empty())
        return {};
    std::uint64_t hash = 1469598103934665603ull;
    for (unsigned char c : path) {
        hash ^= c;
        hash *= 1099511628211ull;
    }
    char name[17];
    std::snprintf(name, sizeof name, "%016llx", static_cast<unsigned long long>(hash));
    return std::string(kTestRoot) + "\\" + name;
}

// Empty parts (a leading "\", a doubled one) are dropped, as the registry's own tools do.
std::wstring keyPath(const std::string& key) {
    std::string path = testKey();
    std::size_t start = 0;
    while (start <= key.size()) {
        const std::size_t slash = key.find('\\', start);
        const std::size_t end = slash == std::string::npos ? key.size() : slash;
        if (end > start)
            path += (path.empty() ? "" : "\\") + key.substr(start, end - start);
        if (slash == std::string::npos)
            break;
        start = slash + 1;
    }
    return win::wide(path);
}

bool isUtf8(const std::string& text) {
    return text.empty() || ::MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, text.data(),
                                                 static_cast<int>(text.size()), nullptr, 0) > 0;
}

class Key {
public:
    Key() = default;
    ~Key() {
        if (key_)
            ::RegCloseKey(key_);
    }
    Key(const Key&) = delete;
    Key& operator=(const Key&) = delete;
    HKEY* out() { return &key_; }
    HKEY get() const { return key_; }

private:
    HKEY key_ = nullptr;
};

} // namespace

long SettingsStore::createKey(const std::string& key, KeyDisposition& disposition) const {
    Key k;
    DWORD how = 0;
    const LONG rc = ::RegCreateKeyExW(HKEY_CURRENT_USER, keyPath(key).c_str(), 0, nullptr,
                                      REG_OPTION_NON_VOLATILE, KEY_READ | KEY_WRITE, nullptr, k.out(), &how);
    if (rc == ERROR_SUCCESS)
        disposition =
            how == REG_CREATED_NEW_KEY ? KeyDisposition::CreatedNewKey : KeyDisposition::OpenedExistingKey;
    return rc;
}

long SettingsStore::openKey(const std::string& key) const {
    Key k;
    return ::RegOpenKeyExW(HKEY_CURRENT_USER, keyPath(key).c_str(), 0, KEY_READ, k.out());
}

long SettingsStore::setValue(const std::string& key, const std::string& name,
                             const std::string& value) const {
    Key k;
    LONG rc = ::RegCreateKeyExW(HKEY_CURRENT_USER, keyPath(key).c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE,
                                KEY_SET_VALUE, nullptr, k.out(), nullptr);
    if (rc != ERROR_SUCCESS)
        return rc;
    const std::wstring valueName = win::wide(name);
    if (isUtf8(value)) {
        const std::wstring text = win::wide(value);
        rc = ::RegSetValueExW(k.get(), valueName.c_str(), 0, REG_SZ,
                              reinterpret_cast<const BYTE*>(text.c_str()),
                              static_cast<DWORD>((text.size() + 1) * sizeof(wchar_t)));
    } else {
        // Bytes that are no UTF-8 text are kept as they are.
        rc = ::RegSetValueExW(k.get(), valueName.c_str(), 0, REG_BINARY,
                              reinterpret_cast<const BYTE*>(value.data()), static_cast<DWORD>(value.size()));
    }
    return rc;
}

long SettingsStore::queryValue(const std::string& key, const std::string& name, std::string& value) const {
    value.clear();
    Key k;
    LONG rc = ::RegOpenKeyExW(HKEY_CURRENT_USER, keyPath(key).c_str(), 0, KEY_QUERY_VALUE, k.out());
    if (rc != ERROR_SUCCESS)
        return rc;
    const std::wstring valueName = win::wide(name);
    DWORD type = 0;
    DWORD size = 0;
    rc = ::RegQueryValueExW(k.get(), valueName.c_str(), nullptr, &type, nullptr, &size);
    if (rc != ERROR_SUCCESS)
        return rc;
    std::string bytes(size, '\0');
    rc = ::RegQueryValueExW(k.get(), valueName.c_str(), nullptr, &type, reinterpret_cast<BYTE*>(bytes.data()),
                            &size);
    if (rc != ERROR_SUCCESS)
        return rc;
    bytes.resize(size);
    if (type == REG_SZ || type == REG_EXPAND_SZ) {
        std::wstring text(reinterpret_cast<const wchar_t*>(bytes.data()), bytes.size() / sizeof(wchar_t));
        while (!text.empty() && text.back() == L'\0')
            text.pop_back();
        value = win::utf8(text);
    } else {
        value = bytes;
    }
    return ERROR_SUCCESS;
}

std::string settingsFile() {
    const std::string key = testKey();
    return "HKEY_CURRENT_USER" + (key.empty() ? std::string() : "\\" + key);
}

// A test's store is a key of its own below HKEY_CURRENT_USER, named after the file the test gave.
ScopedSettingsFileForTesting::ScopedSettingsFileForTesting(const std::string& path) : guard_(path) {
    ::RegDeleteTreeW(HKEY_CURRENT_USER, win::wide(testKey()).c_str());
}

ScopedSettingsFileForTesting::~ScopedSettingsFileForTesting() {
    ::RegDeleteTreeW(HKEY_CURRENT_USER, win::wide(testKey()).c_str());
    ::RegDeleteKeyW(HKEY_CURRENT_USER,
                    win::wide(kTestRoot).c_str()); // only when no other test's key is in it
}

} // namespace kestrel::platform
