#pragma once

#include "modules/Language.h"
#include "platform/ProgramPaths.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

// A translation of the program texts that changes every one of them, and the check that a shown
// text holds no word that did not come from them. Header only: it loads texts, which the
// libraries of the tests that use it bring along.
namespace kestrel::testing {

// Each text of the translation stands between these marks.
inline const std::string kTextOpen = "\xC2\xAB";  // «
inline const std::string kTextClose = "\xC2\xBB"; // »

// The build's program text file with every text wrapped in « and », as the program's own
// zbk.dat in a folder of its own: loaded, and the folder the program loads its texts from, for
// as long as this lives; then the build's own texts again.
class TranslatedTexts {
public:
    TranslatedTexts() {
        platform::setProgramFolder("");
        std::ifstream in(platform::programFolder() + "zbk.dat", std::ios::binary);
        std::string line;
        std::string translated;
        while (std::getline(in, line)) {
            if (!line.empty() && line.back() == '\r')
                line.pop_back();
            const std::size_t equals = line.find('=');
            const bool text = !line.empty() && std::isdigit(static_cast<unsigned char>(line[0])) &&
                              equals != std::string::npos;
            translated +=
                (text ? line.substr(0, equals + 1) + kTextOpen + line.substr(equals + 1) + kTextClose
                      : line) +
                "\n";
        }
        EXPECT_FALSE(translated.empty()) << "the build's zbk.dat cannot be read";
        dir_.createFile("zbk.dat", translated);
        platform::setProgramFolder(dir_.path());
        loaded_ = LoadProgramText("zbk.dat");
        EXPECT_GT(loaded_, 0) << ProgramTextLoadMessage(loaded_, dir_.path("zbk.dat"));
    }
    ~TranslatedTexts() {
        platform::setProgramFolder("");
        LoadProgramText("zbk.dat");
    }
    TranslatedTexts(const TranslatedTexts&) = delete;
    TranslatedTexts& operator=(const TranslatedTexts&) = delete;

    int loaded() const { return loaded_; }

private:
    TempDir dir_;
    int loaded_ = 0;
};

// What a shown text holds that did not come from the program texts: the text without its «…»
// parts (which may span lines) and without `data` (paths, names the test gave, the program's
// name, longest first), as the lines that still hold an ASCII letter, each once; "" when every
// word came from the text file. Digits, blanks and punctuation are the program's own figures
// and layout.
inline std::string WordsNotFromTexts(const std::string& shown, const std::vector<std::string>& data) {
    std::string rest;
    for (std::size_t at = 0; at < shown.size();) {
        const std::size_t open = shown.find(kTextOpen, at);
        if (open == std::string::npos) {
            rest += shown.substr(at);
            break;
        }
        rest += shown.substr(at, open - at) + " ";
        const std::size_t close = shown.find(kTextClose, open);
        if (close == std::string::npos)
            break;
        at = close + kTextClose.size();
    }
    for (const std::string& piece : data)
        for (std::size_t at = piece.empty() ? std::string::npos : rest.find(piece); at != std::string::npos;
             at = rest.find(piece, at))
            rest.replace(at, piece.size(), " ");
    std::vector<std::string> lines;
    std::istringstream in(rest);
    for (std::string line; std::getline(in, line);) {
        const bool word = std::any_of(line.begin(), line.end(), [](char c) {
            return std::isalpha(static_cast<unsigned char>(c)) != 0;
        });
        if (word && std::find(lines.begin(), lines.end(), line) == lines.end())
            lines.push_back(line);
    }
    std::string found;
    for (const std::string& line : lines)
        found += line + "\n";
    return found;
}

} // namespace kestrel::testing
