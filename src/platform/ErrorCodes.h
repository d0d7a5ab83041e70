#pragma once

#include <string>

namespace kestrel::platform {

// The program reports file-system failures by the classic run-time error numbers and texts,
// which the setup files, the reports and the callers' rules are written against.
namespace err {
constexpr int Overflow = 6;
constexpr int TypeMismatch = 13;
constexpr int BadFileName = 52;
constexpr int FileNotFound = 53;
constexpr int DeviceIo = 57;
constexpr int FileAlreadyExists = 58;
constexpr int DiskFull = 61;
constexpr int InputPastEndOfFile = 62;
constexpr int PermissionDenied = 70;
constexpr int PathFileAccess = 75;
constexpr int PathNotFound = 76;
constexpr int InvalidPropertyValue = 380; // a value its field refuses
} // namespace err

// Maps an errno value; `forFolder` decides whether a missing entry reads "File not found" or
// "Path not found".
int errorNumberFromErrno(int errnoValue, bool forFolder = false);

// The description the program shows for an error number ("Permission denied" for 70): the
// program's own text for it once the program texts are loaded (setErrorTextSource), else the
// built-in English one.
std::string errorDescription(int number);

// Where error descriptions come from: the program text of an error number, "" for none. Set
// when the program texts are loaded; nullptr returns to the built-in texts.
using ErrorTextSource = std::string (*)(int number);
void setErrorTextSource(ErrorTextSource source);

// An error as a value: number 0 means success.
struct Error {
    int number = 0;
    std::string description;

    explicit operator bool() const { return number != 0; }
    static Error fromErrno(int errnoValue, bool forFolder = false);
    static Error of(int number);
};

} // namespace kestrel::platform
