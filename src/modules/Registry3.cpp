#include "modules/Registry3.h"

#include "modules/Language.h"

#include "platform/Clock.h"
#include "platform/SettingsStore.h"

#include <cstdio>

namespace kestrel {

namespace {

constexpr const char* programTitle = "Kestrel Backup";
constexpr std::size_t maxMessageLength = 100;

std::string storeMessage(long result) {
    std::string message = platform::SettingsStore::messageFor(result);
    if (message.size() > maxMessageLength)
        message.resize(maxMessageLength);
    return message;
}

void removeTrailingControlCharacters(std::string& text) {
    while (!text.empty() && static_cast<unsigned char>(text.back()) < 32)
        text.pop_back();
}

void showPlainMessage(MessageService* messages, const std::string& text) {
    if (!messages)
        return;
    MessageRequest request;
    request.text = text;
    request.title = programTitle;
    request.buttons = MessageButtons::Ok;
    request.icon = MessageIcon::None;
    messages->ShowMessage(request);
}

} // namespace

std::string WriteRegistryString(RegistryRoot, const std::string& strKey, const std::string& strName,
                                const std::string& strValue) {
    const platform::SettingsStore& store = platform::settingsStore();
    platform::KeyDisposition disposition = platform::KeyDisposition::CreatedNewKey;
    long result = store.createKey(strKey, disposition);
    if (result != platform::settings_result::Success)
        return std::to_string(result) + " Unable to create (or find) key.  " + storeMessage(result);

    std::string status = disposition == platform::KeyDisposition::CreatedNewKey ? "0 New key created."
                                                                                : "0 Key already exists.";
    // The status tells how the key was opened; the value's own outcome shows in the message.
    result = store.setValue(strKey, strName, strValue);
    return status + "  " + storeMessage(result);
}

std::string ReadRegistryString(RegistryRoot, const std::string& strKey, const std::string& strName,
                               std::string& strValue) {
    strValue.clear();
    if (strKey.empty())
        return "1 Key not found or is empty.";
    if (strName.empty())
        return "2 Name not specified.";
    const platform::SettingsStore& store = platform::settingsStore();
    if (store.openKey(strKey) != platform::settings_result::Success)
        return "1 Key not found or is empty.";

    long result = store.queryValue(strKey, strName, strValue);
    removeTrailingControlCharacters(strValue);
    if (result == platform::settings_result::Success)
        return "0 OK";
    if (result == platform::settings_result::FileNotFound)
        return "3 Name not found.";
    if (!strValue.empty())
        return "0 OK probably";
    return "4 " + storeMessage(result);
}

bool SaveToRegistry(const std::string& strKey, const std::string& strName, const std::string& strValue,
                    bool blnShowError, MessageService* messages) {
    // The store never holds an empty text written here; readers trim the blank away.
    const std::string value = strValue.empty() ? " " : strValue;
    std::string status = WriteRegistryString(HKEY_CURRENT_USER, ProgramRegistryKey + strKey, strName, value);
    if (!status.empty() && status[0] == '0')
        return true;
    if (blnShowError)
        showPlainMessage(messages, GetProgramText(1210) + ":\r\nstrKey=" + strKey + "\r\nstrName=" + strName +
                                       "\r\nstrValue=" + value);
    return false;
}

std::string RestoreFromRegistry(const std::string& strKey, const std::string& strName,
                                const std::string& strDefaultValueOnError, bool blnShowError,
                                MessageService* messages) {
    std::string value;
    std::string status = ReadRegistryString(HKEY_CURRENT_USER, ProgramRegistryKey + strKey, strName, value);
    if (!status.empty() && status[0] == '0')
        return value;
    if (blnShowError)
        showPlainMessage(messages, GetProgramText(1211) + ":\r\nstrKey=" + strKey + "\r\nstrName=" + strName +
                                       "\r\nstrValue=" + value +
                                       "\r\nstrDefaultValueOnError=" + strDefaultValueOnError);
    return strDefaultValueOnError;
}

std::string StampPreviousRun(const std::string& strKey, const std::string& strName) {
    std::string value;
    std::string status = ReadRegistryString(HKEY_CURRENT_USER, strKey, strName, value);
    std::string previous = (!status.empty() && status[0] == '0' && value.size() >= 10) ? value : "";

    const platform::LocalDateTime now = platform::clock().now();
    char date[16];
    char time[16];
    std::snprintf(date, sizeof date, "%04d-%02d-%02d", now.year, now.month, now.day);
    std::snprintf(time, sizeof time, "%02d:%02d", now.hour, now.minute);
    WriteRegistryString(HKEY_CURRENT_USER, strKey, strName,
                        std::string(date) + " " + GetProgramText(1213) + " " + time);
    return previous;
}

} // namespace kestrel
