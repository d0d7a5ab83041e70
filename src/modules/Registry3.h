#pragma once

#include "modules/MessageBox.h"

#include <string>

// Text values in the per-user settings store, worded as registry statuses: the first character
// of a status is "0" on success, another digit on failure.
namespace kestrel {

// The part of the store a key lies below; the per-user part is the only one the program uses.
enum class RegistryRoot { CurrentUser };
constexpr RegistryRoot HKEY_CURRENT_USER = RegistryRoot::CurrentUser;

// The key every value of the program lies below; callers add a part that begins with "\".
inline constexpr const char* ProgramRegistryKey = "Software\\Corvane Systems";

// Creates or opens `strKey` and writes the value. The status tells only how the key was opened
// ("0 New key created.", "0 Key already exists.", or the error code and "Unable to create (or
// find) key."), followed by two blanks and the store's message for the last call.
std::string WriteRegistryString(RegistryRoot hKey, const std::string& strKey, const std::string& strName,
                                const std::string& strValue);

// Reads a value: "0 OK", "1 Key not found or is empty.", "2 Name not specified.",
// "3 Name not found.", ... Trailing control characters of the value are removed.
std::string ReadRegistryString(RegistryRoot hKey, const std::string& strKey, const std::string& strName,
                               std::string& strValue);

// Writes below the program key; an empty value is stored as one blank. True on success. With
// `blnShowError` a failure is shown through `messages` (when given).
bool SaveToRegistry(const std::string& strKey, const std::string& strName, const std::string& strValue,
                    bool blnShowError, MessageService* messages = nullptr);

// Reads below the program key; on failure the default (and, with `blnShowError`, a message).
std::string RestoreFromRegistry(const std::string& strKey, const std::string& strName,
                                const std::string& strDefaultValueOnError, bool blnShowError,
                                MessageService* messages = nullptr);

// Returns the stamp of the previous run (empty when there is none of at least 10 characters)
// and records the current date and time, "yyyy-mm-dd at hh:mm", in its place. `strKey` is a
// whole key path: the program key is not added.
std::string StampPreviousRun(const std::string& strKey, const std::string& strName);

} // namespace kestrel
