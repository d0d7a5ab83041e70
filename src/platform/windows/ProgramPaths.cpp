#include "platform/ProgramPaths.h"

#include "platform/FileSystem.h"
#include "platform/Path.h"
#include "platform/windows/Win32.h"

#include <shlobj.h>

#include <mutex>

namespace kestrel::platform {

namespace {

std::mutex pathMutex;
std::string overrideFolder;

} // namespace

std::string executableFolder() {
    std::wstring buffer(32768, L'\0');
    const DWORD length = ::GetModuleFileNameW(nullptr, buffer.data(), static_cast<DWORD>(buffer.size()));
    if (length == 0 || length >= buffer.size())
        return ".\\";
    buffer.resize(length);
    return win::utf8(buffer.substr(0, buffer.rfind(L'\\') + 1));
}

std::string programFolder() {
    {
        std::lock_guard<std::mutex> lock(pathMutex);
        if (!overrideFolder.empty())
            return overrideFolder;
    }
    // The data files lie beside the program on Windows.
    return executableFolder();
}

void setProgramFolder(const std::string& folder) {
    std::lock_guard<std::mutex> lock(pathMutex);
    overrideFolder = folder;
    if (!overrideFolder.empty() && !win::isSeparator(overrideFolder.back()))
        overrideFolder += '\\';
}

std::string configHome() {
    // The user's roaming application-data folder (C:\Users\<name>\AppData\Roaming), as
    // %APPDATA% names it for the program (so a test or a portable setup can point it elsewhere).
    if (const wchar_t* named = ::_wgetenv(L"APPDATA"); named != nullptr && named[0] != L'\0')
        return win::utf8(named, wcslen(named));
    PWSTR folder = nullptr;
    std::string result;
    if (SUCCEEDED(::SHGetKnownFolderPath(FOLDERID_RoamingAppData, 0, nullptr, &folder)))
        result = win::utf8(folder, wcslen(folder));
    ::CoTaskMemFree(folder);
    if (result.empty()) {
        wchar_t legacy[MAX_PATH];
        if (SUCCEEDED(::SHGetFolderPathW(nullptr, CSIDL_APPDATA, nullptr, SHGFP_TYPE_CURRENT, legacy)))
            result = win::utf8(legacy, wcslen(legacy));
    }
    return result;
}

std::string userTrashFolder() {
    return {}; // each disk keeps its own recycle bin
}

std::string workingFolder() {
    const DWORD size = ::GetCurrentDirectoryW(0, nullptr);
    std::wstring folder(size, L'\0');
    const DWORD length = size == 0 ? 0 : ::GetCurrentDirectoryW(size, folder.data());
    if (length == 0 || length >= size)
        return "C:\\";
    folder.resize(length);
    return withFinalSeparator(win::utf8(folder));
}

} // namespace kestrel::platform
