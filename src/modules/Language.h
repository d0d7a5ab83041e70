#pragma once

#include <string>

// The numbered program texts, read once at start-up from the program text file (data/zbk.dat,
// whose head describes its format). Replaces the closed library's `_lt@8` and `_gt@20`.
namespace kestrel {

// The longest text a number may hold, in characters (Unicode code points).
constexpr int kMaxProgramTextLength = 1024;

// Loads `fileName` from the program's folder (`platform::programFolder()`).
int LoadProgramText(const std::string& fileName);
// Loads the file at `fullPath` and replaces the table; after a failure the table is empty.
// Result: the number of texts loaded (> 0), or one of these failure codes:
//   0 no text in the file (only comments and blank lines); -1 the file cannot be opened;
//   -3 a text number above 32767, a file over 4 MiB, or a text over 1024 characters beyond
//   line 500; -4 a malformed line, or a number without text beyond line 500; -6 the file is
//   empty; -7 the file cannot be read; -(500 + line) a number without text; -(1000 + line) a
//   text over 1024 characters; -(1500 + line) a number already used. Lines count from 1 and
//   include comments. The first fault in the file is the one reported.
int LoadProgramTextFromPath(const std::string& fullPath);
// The message for a failure code of the loader; "" for a success (r > 0).
std::string ProgramTextLoadMessage(int result, const std::string& fullPath);
// "" for a number the file does not hold and for a text of "~". Safe from any thread.
std::string GetProgramText(int n);

} // namespace kestrel
