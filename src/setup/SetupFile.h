#pragma once

#include "setup/Setup.h"

#include <string>

namespace kestrel {

// Writes the setup in the setup file format (one item a line, CR LF) under a temporary name and
// renames it over `path`, so a failed save leaves the earlier file whole. True when saved; the
// caller shows "Setup saved" or its failure message.
bool SaveSetupFile(const Setup& setup, const std::string& path);

// The setup file's whole text as SaveSetupFile writes it.
std::string FormatSetupFile(const Setup& setup);

// The messages a load may give, shown by whoever owns the window (or recorded by a test).
class SetupLoadMessages {
public:
    virtual ~SetupLoadMessages() = default;
    // "Source folder <path> does not exist.", a warning titled "Error".
    virtual void SourceFolderMissing(const std::string& text) = 0;
    // "Target folder <path> does not exist."; the window asks whether to clear the target and
    // may empty `setup.txbDirectory[1]`.
    virtual void TargetFolderNotFound(const std::string& text, Setup& setup) = 0;
};

struct SetupLoadContext {
    bool blnStartupCompleted = true; // false while the last-run setup loads at start-up
    SetupLoadMessages* messages = nullptr;
};

// Result codes of LoadOperationFile besides the run-time error numbers.
constexpr int LoadTargetFolderMissing = -200; // multiple backup only
constexpr int LoadInvalidPropertyValue = 380; // a check box or list index outside its values

// Reads a setup file into `setup`. 0 on success; else the error number n of the failed read
// (62 the file ended early, 53 it cannot be opened, 13 a number line holds no number, 6 a number
// outside the 16-bit range, 380 a value its field refuses). With `blnMultipleBackup`: -(200 + n)
// with the description in `strErrDescr`, and -200 "Target folder does not exist".
// The fields read before a failure keep their new values, the others their cleared values.
int LoadOperationFile(Setup& setup, const std::string& strOperationFilePath, const SetupLoadContext& context,
                      bool blnMultipleBackup = false, std::string* strErrDescr = nullptr);

// The result of LoadOperationFile in words: "Type mismatch (error 13)".
std::string SetupLoadFailureText(int result);

} // namespace kestrel
