#pragma once

#include <string>

// The numbered program texts, read once at start-up from the program text file.
namespace kestrel {

// Loads `fileName` from the program's folder; > 0 on success, else a failure code.
int LoadProgramText(const std::string& fileName);
int LoadProgramTextFromPath(const std::string& fullPath);
// The message for a failure code of the loader.
std::string ProgramTextLoadMessage(int result, const std::string& fullPath);
// "" for a number the file does not hold and for a text of "~".
std::string GetProgramText(int n);

} // namespace kestrel
